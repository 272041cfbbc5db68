// Formats as the device draws them: every texture format sampled (four
// texels per format, bit layouts as Direct3D defines them, alpha shown as
// grey beside the colour), back buffers of each colour format the engine
// renders into, and each depth-stencil format testing depth.
#include "visual_case.h"

#include <cstring>
#include <string>

namespace {

using zep::visual::Context;
using zep::visual::kScreenFvf;
using zep::visual::Options;
using zep::visual::screenQuad;
using zep::visual::ScreenVertex;

struct TextureFormat {
    const char* name;
    D3DFORMAT format;
    UINT bytes;
    DWORD texels[4];    // 2 x 2, as they lie in memory (little-endian)
    DWORD expected[4];  // ARGB as sampled
};

// Channels of fewer than eight bits widen by repeating their high bits:
// 5-bit 16 is 0x84, 6-bit 32 is 0x82, 4-bit 0xC is 0xCC. Missing colour
// channels of L8 copy luminance; missing alpha is one.
const TextureFormat kTextureFormats[] = {
    {"A8R8G8B8", D3DFMT_A8R8G8B8, 4, {0x80FF0000, 0xFF00FF00, 0x400000FF, 0xC0804020},
     {0x80FF0000, 0xFF00FF00, 0x400000FF, 0xC0804020}},
    // The X byte is no alpha, whatever it holds.
    {"X8R8G8B8", D3DFMT_X8R8G8B8, 4, {0x0000FF00, 0x12FF0000, 0xAB0000FF, 0x00804020},
     {0xFF00FF00, 0xFFFF0000, 0xFF0000FF, 0xFF804020}},
    // Three bytes: blue, green, red.
    {"R8G8B8", D3DFMT_R8G8B8, 3, {0xFFFF00, 0x804020, 0x0000FF, 0xFFFFFF},
     {0xFFFFFF00, 0xFF804020, 0xFF0000FF, 0xFFFFFFFF}},
    {"R5G6B5", D3DFMT_R5G6B5, 2, {0xF800, 0x07E0, 0x001F, 0x8410}, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF848284}},
    {"X1R5G5B5", D3DFMT_X1R5G5B5, 2, {0x7C00, 0xFC00, 0x03E0, 0x4210}, {0xFFFF0000, 0xFFFF0000, 0xFF00FF00, 0xFF848484}},
    {"A1R5G5B5", D3DFMT_A1R5G5B5, 2, {0x03E0, 0x801F, 0xFC00, 0x4210}, {0x0000FF00, 0xFF0000FF, 0xFFFF0000, 0x00848484}},
    {"A4R4G4B4", D3DFMT_A4R4G4B4, 2, {0xF00F, 0x8C63, 0x0F00, 0xFFFF}, {0xFF0000FF, 0x88CC6633, 0x00FF0000, 0xFFFFFFFF}},
    {"L8", D3DFMT_L8, 1, {0xFF, 0x80, 0x00, 0x40}, {0xFFFFFFFF, 0xFF808080, 0xFF000000, 0xFF404040}},
    {"A8", D3DFMT_A8, 1, {0x80, 0xFF, 0x00, 0x40}, {0x80000000, 0xFF000000, 0x00000000, 0x40000000}},
};

IDirect3DTexture8* fill2x2(Context& c, D3DFORMAT format, UINT bytes, const DWORD texels[4]) {
    IDirect3DTexture8* texture = nullptr;
    if (!c.check(c.d3d->CreateTexture(2, 2, 1, 0, format, D3DPOOL_MANAGED, &texture), "CreateTexture")) return nullptr;
    c.keep(texture);
    D3DLOCKED_RECT locked{};
    if (!c.check(texture->LockRect(0, &locked, nullptr, 0), "LockRect")) return nullptr;
    for (UINT i = 0; i < 4; ++i)
        std::memcpy(static_cast<BYTE*>(locked.pBits) + (i / 2) * locked.Pitch + (i % 2) * bytes, &texels[i], bytes);
    texture->UnlockRect(0);
    return texture;
}

// The texture on the left half, its alpha replicated into grey on the right.
void drawColourAndAlpha(Context& c, IDirect3DTexture8* texture) {
    c.samplePoint(0);
    c.d3d->SetTexture(0, texture);
    c.d3d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    c.d3d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    c.d3d->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    c.d3d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    c.drawStrip(screenQuad(0, 0, 32, 64, 0.5f, 0xFFFFFFFF), kScreenFvf);
    c.d3d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE | D3DTA_ALPHAREPLICATE);
    c.drawStrip(screenQuad(32, 0, 64, 64, 0.5f, 0xFFFFFFFF), kScreenFvf);
}

// Probe points of texel i: its colour on the left, its alpha on the right.
int texelX(int i) { return (i % 2) * 16 + 8; }
int texelY(int i) { return (i / 2) * 32 + 16; }

void expectTexels(Context& c, const DWORD expected[4]) {
    for (int i = 0; i < 4; ++i) {
        const DWORD alpha = expected[i] >> 24;
        c.expect(texelX(i), texelY(i), expected[i]);
        c.expect(32 + texelX(i), texelY(i), (alpha << 16) | (alpha << 8) | alpha);
    }
}

bool textureFormatOffered(Context& c, D3DFORMAT format) {
    IDirect3D8* d3d = nullptr;
    if (!c.check(c.d3d->GetDirect3D(&d3d), "GetDirect3D")) return false;
    D3DDISPLAYMODE mode{};
    c.d3d->GetDisplayMode(&mode);
    const HRESULT hr =
        d3d->CheckDeviceFormat(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, mode.Format, 0, D3DRTYPE_TEXTURE, format);
    d3d->Release();
    return SUCCEEDED(hr);
}

void addTextureFormats(zep::visual::CaseList& cases) {
    for (const TextureFormat& f : kTextureFormats) {
        cases.add(std::string("texture ") + f.name, [f](Context& c) {
            // A format the device does not offer must not be created either.
            if (!textureFormatOffered(c, f.format)) {
                IDirect3DTexture8* refused = nullptr;
                if (SUCCEEDED(c.d3d->CreateTexture(2, 2, 1, 0, f.format, D3DPOOL_MANAGED, &refused))) {
                    refused->Release();
                    c.fail("CreateTexture accepted a format that CheckDeviceFormat refuses");
                    return;
                }
                c.skip(std::string("no ") + f.name + " textures");
                return;
            }
            IDirect3DTexture8* texture = fill2x2(c, f.format, f.bytes, f.texels);
            if (!texture) return;
            drawColourAndAlpha(c, texture);
            expectTexels(c, f.expected);
        });
    }
    // Signed: U, V, W, Q (low byte first) sample as red, green, blue, alpha
    // in -1..1; the stage output clamps negative values to zero.
    cases.add("texture Q8W8V8U8", [](Context& c) {
        if (!textureFormatOffered(c, D3DFMT_Q8W8V8U8)) {
            c.skip("no Q8W8V8U8 textures");
            return;
        }
        const DWORD texels[4] = {0x7F00407F, 0x407F8100, 0x00000000, 0x7F7F7F7F};
        IDirect3DTexture8* texture = fill2x2(c, D3DFMT_Q8W8V8U8, 4, texels);
        if (!texture) return;
        drawColourAndAlpha(c, texture);
        // 0x40 / 127 = 0.504
        const DWORD expected[4] = {0xFFFF8000, 0x800000FF, 0x00000000, 0xFFFFFFFF};
        expectTexels(c, expected);
    });
}

// Back buffers of the display formats' families (32-bit with and without
// alpha, the 16-bit modes): four quadrants in colours the format holds
// exactly, so that they read back unchanged.
void addBackBufferFormats(zep::visual::CaseList& cases) {
    struct BackBuffer {
        const char* name;
        D3DFORMAT format;
        DWORD grey;
    };
    const BackBuffer formats[] = {
        {"X8R8G8B8", D3DFMT_X8R8G8B8, 0x804020}, {"A8R8G8B8", D3DFMT_A8R8G8B8, 0x804020},
        {"R5G6B5", D3DFMT_R5G6B5, 0x848284},     {"X1R5G5B5", D3DFMT_X1R5G5B5, 0x848484},
    };
    for (const BackBuffer& b : formats) {
        Options options;
        options.backBufferFormat = b.format;
        cases.add(std::string("back buffer ") + b.name, options, [b](Context& c) {
            c.d3d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
            c.d3d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
            const DWORD colors[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF000000 | b.grey};
            for (int i = 0; i < 4; ++i) {
                const float x = float(i % 2) * 32.0f, y = float(i / 2) * 32.0f;
                c.drawStrip(screenQuad(x, y, x + 32, y + 32, 0.5f, colors[i]), kScreenFvf);
                c.expect(int(x) + 16, int(y) + 16, colors[i]);
            }
        });
    }
}

// Depth formats: the device opens without a depth buffer and the case
// attaches one of the format, when the device offers it.
void addDepthFormats(zep::visual::CaseList& cases) {
    struct Depth {
        const char* name;
        D3DFORMAT format;
    };
    for (const Depth& d : {Depth{"D16", D3DFMT_D16}, Depth{"D24S8", D3DFMT_D24S8}, Depth{"D24X8", D3DFMT_D24X8},
                           Depth{"D32", D3DFMT_D32}}) {
        Options options;
        options.depthFormat = D3DFMT_UNKNOWN;
        cases.add(std::string("depth ") + d.name, options, [d](Context& c) {
            IDirect3D8* d3d = nullptr;
            if (!c.check(c.d3d->GetDirect3D(&d3d), "GetDirect3D")) return;
            D3DDISPLAYMODE mode{};
            c.d3d->GetDisplayMode(&mode);
            const bool offered =
                SUCCEEDED(d3d->CheckDeviceFormat(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, mode.Format, D3DUSAGE_DEPTHSTENCIL,
                                                 D3DRTYPE_SURFACE, d.format)) &&
                SUCCEEDED(d3d->CheckDepthStencilMatch(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, mode.Format,
                                                      c.options().backBufferFormat, d.format));
            d3d->Release();
            if (!offered) {
                c.skip(std::string("no ") + d.name + " depth buffers");
                return;
            }
            IDirect3DSurface8* depth = nullptr;
            if (!c.check(c.d3d->CreateDepthStencilSurface(64, 64, d.format, D3DMULTISAMPLE_NONE, &depth),
                         "CreateDepthStencilSurface"))
                return;
            c.keep(depth);
            IDirect3DSurface8* back = nullptr;
            if (!c.check(c.d3d->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back), "GetBackBuffer")) return;
            c.keep(back);
            if (!c.check(c.d3d->SetRenderTarget(back, depth), "SetRenderTarget")) return;
            c.d3d->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
            c.d3d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
            c.d3d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
            c.d3d->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
            c.d3d->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
            c.d3d->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
            // Red at 0.5 everywhere; green 1/1024 behind it on the left
            // (hidden) and 1/1024 in front on the right (shown): a step every
            // format resolves.
            const float step = 1.0f / 1024.0f;
            c.drawStrip(screenQuad(0, 0, 64, 64, 0.5f, 0xFFFF0000), kScreenFvf);
            c.drawStrip(screenQuad(0, 0, 32, 64, 0.5f + step, 0xFF00FF00), kScreenFvf);
            c.drawStrip(screenQuad(32, 0, 64, 64, 0.5f - step, 0xFF00FF00), kScreenFvf);
            c.expect(16, 32, 0xFF0000);
            c.expect(48, 32, 0x00FF00);
        });
    }
}

}  // namespace

ZEP_VISUAL_GROUP(formats) {
    addTextureFormats(cases);
    addBackBufferFormats(cases);
    addDepthFormats(cases);
}
