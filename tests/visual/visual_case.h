// Visual cases: small Direct3D 8 scenes with probed pixels, written once
// against the Direct3D 8 interface. The same case files compile against our
// own headers (the native tests compare our runtime with stored reference
// results) and against the Windows headers (the reference program records
// what a real Direct3D 8 draws).
//
// A group of cases is a function that adds its cases to a list:
//
//   ZEP_VISUAL_GROUP(stages) {
//       cases.add("modulate", [](zep::visual::Context& c) {
//           c.drawStrip(screenQuad(0, 0, 64, 64, 0.5f, 0xFFFF0000), kScreenFvf);
//           c.expect(32, 32, 0xFF0000);   // probe with the colour worked out by hand
//           c.probe(2, 2);                // probe compared with the reference only
//       });
//   }
//
// Before a case runs, the device has culling, lighting and depth off, the
// target cleared to black (depth 1, stencil 0) and a scene begun. Probes are
// read from the back buffer after the case returns; they compare RGB only
// (the back buffer has no alpha unless a case asks for one).
#pragma once

#include "visual_geometry.h"
#include "visual_image.h"

#include <d3d8.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace zep::visual {

struct Options {
    UINT width = 64;
    UINT height = 64;
    D3DFORMAT backBufferFormat = D3DFMT_X8R8G8B8;
    D3DFORMAT depthFormat = D3DFMT_D24S8;  // D3DFMT_UNKNOWN: no automatic depth-stencil
    D3DMULTISAMPLE_TYPE multiSample = D3DMULTISAMPLE_NONE;
    DWORD behaviour = D3DCREATE_HARDWARE_VERTEXPROCESSING;
    int tolerance = 3;  // per channel, for probes that give none
};

struct Probe {
    int x = 0, y = 0;
    bool hasExpected = false;
    D3DCOLOR expected = 0;  // RGB worked out by hand, when hasExpected
    int tolerance = 3;
    D3DCOLOR actual = 0;    // filled in after the case ran
};

class Context {
public:
    Context(IDirect3DDevice8* device, const Options& options) : d3d(device), options_(options) {}
    ~Context();
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;

    IDirect3DDevice8* const d3d;

    // Probes on the back buffer as it stands when the case returns.
    void expect(int x, int y, D3DCOLOR rgb, int tolerance = -1);
    void probe(int x, int y, int tolerance = -1);

    // A case that cannot run says why: fail() for a step that went wrong,
    // skip() for something the device does not offer.
    void fail(const std::string& why);
    void skip(const std::string& why);
    bool check(HRESULT hr, const char* what);  // false (and fail) unless it succeeded

    void clear(D3DCOLOR color);
    template <typename Vertex>
    bool drawStrip(const std::vector<Vertex>& vertices, DWORD fvf) {
        d3d->SetVertexShader(fvf);
        return check(d3d->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, UINT(vertices.size() - 2), vertices.data(),
                                          sizeof(Vertex)),
                     "DrawPrimitiveUP");
    }
    template <typename Vertex>
    bool drawPrimitives(D3DPRIMITIVETYPE type, UINT count, const std::vector<Vertex>& vertices, DWORD fvf) {
        d3d->SetVertexShader(fvf);
        return check(d3d->DrawPrimitiveUP(type, count, vertices.data(), sizeof(Vertex)), "DrawPrimitiveUP");
    }

    // A managed texture filled texel by texel (one texel: all of them);
    // A8R8G8B8 unless a 32-bit `format` is given. Released after the case.
    IDirect3DTexture8* makeTexture(UINT width, UINT height, std::initializer_list<DWORD> texels,
                                   D3DFORMAT format = D3DFMT_A8R8G8B8);
    IDirect3DTexture8* makeTexture(UINT width, UINT height, const std::vector<DWORD>& texels,
                                   D3DFORMAT format = D3DFMT_A8R8G8B8);
    // Any object the case creates, released after the read-back.
    template <typename T>
    T* keep(T* object) {
        if (object) kept_.push_back(object);
        return object;
    }

    // Point sampling, clamped: texel colours come back exactly.
    void samplePoint(DWORD stage);

    const Options& options() const { return options_; }
    const std::vector<Probe>& probes() const { return probes_; }
    std::vector<Probe>& probes() { return probes_; }
    const std::string& error() const { return error_; }
    const std::string& skipped() const { return skipped_; }

private:
    const Options& options_;
    std::vector<Probe> probes_;
    std::vector<IUnknown*> kept_;
    std::string error_;
    std::string skipped_;
};

using CaseBody = std::function<void(Context&)>;

struct Case {
    std::string group;
    std::string name;  // group_case, letters, digits and underscores only
    Options options;
    CaseBody body;
};

class CaseList {
public:
    explicit CaseList(std::string group) : group_(std::move(group)) {}
    void add(const std::string& name, CaseBody body) { add(name, Options{}, std::move(body)); }
    void add(const std::string& name, const Options& options, CaseBody body);
    std::vector<Case>& cases() { return cases_; }

private:
    std::string group_;
    std::vector<Case> cases_;
};

// Every registered case, sorted by name.
const std::vector<Case>& allCases();

// Anything other than a letter or digit becomes one underscore.
std::string caseIdentifier(const std::string& text);

struct GroupRegistrar {
    GroupRegistrar(const char* group, void (*fill)(CaseList&));
};

// The result of running one case on an open device.
struct CaseResult {
    std::string error;    // a step failed: the case proves nothing
    std::string skipped;  // the device lacks something the case needs
    std::vector<Probe> probes;
    Image image;
};

// Sets the starting state, runs the case in a scene, reads the back buffer
// and fills in the probes.
CaseResult runCase(IDirect3DDevice8* device, const Case& c);

// The parameters a case's device is created with (windowed, one back buffer).
D3DPRESENT_PARAMETERS presentParameters(const Options& options, HWND window);

}  // namespace zep::visual

#define ZEP_VISUAL_GROUP(group)                                                              \
    static void zepVisualGroup_##group(zep::visual::CaseList& cases);                        \
    static const zep::visual::GroupRegistrar zepVisualRegistrar_##group(#group,              \
                                                                        zepVisualGroup_##group); \
    static void zepVisualGroup_##group(zep::visual::CaseList& cases)
