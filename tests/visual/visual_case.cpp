// The visual case registry and the one way every case runs, shared by the
// native tests and the reference program.
#include "visual_case.h"

#include "visual_image.h"

#include <algorithm>
#include <cstdio>

namespace zep::visual {

namespace {

std::vector<std::pair<std::string, void (*)(CaseList&)>>& groups() {
    static std::vector<std::pair<std::string, void (*)(CaseList&)>> list;
    return list;
}

}  // namespace

Context::~Context() {
    for (auto it = kept_.rbegin(); it != kept_.rend(); ++it) (*it)->Release();
}

void Context::expect(int x, int y, D3DCOLOR rgb, int tolerance) {
    Probe p;
    p.x = x;
    p.y = y;
    p.hasExpected = true;
    p.expected = rgb & 0x00FFFFFFu;
    p.tolerance = tolerance >= 0 ? tolerance : options_.tolerance;
    probes_.push_back(p);
}

void Context::probe(int x, int y, int tolerance) {
    Probe p;
    p.x = x;
    p.y = y;
    p.tolerance = tolerance >= 0 ? tolerance : options_.tolerance;
    probes_.push_back(p);
}

void Context::fail(const std::string& why) {
    if (error_.empty()) error_ = why;
}

void Context::skip(const std::string& why) {
    if (skipped_.empty()) skipped_ = why;
}

bool Context::check(HRESULT hr, const char* what) {
    if (SUCCEEDED(hr)) return true;
    char text[160];
    std::snprintf(text, sizeof text, "%s failed: 0x%08X", what, unsigned(hr));
    fail(text);
    return false;
}

void Context::clear(D3DCOLOR color) { d3d->Clear(0, nullptr, D3DCLEAR_TARGET, color, 1.0f, 0); }

IDirect3DTexture8* Context::makeTexture(UINT width, UINT height, std::initializer_list<DWORD> texels,
                                        D3DFORMAT format) {
    return makeTexture(width, height, std::vector<DWORD>(texels), format);
}

IDirect3DTexture8* Context::makeTexture(UINT width, UINT height, const std::vector<DWORD>& texels,
                                        D3DFORMAT format) {
    IDirect3DTexture8* texture = nullptr;
    if (!check(d3d->CreateTexture(width, height, 1, 0, format, D3DPOOL_MANAGED, &texture), "CreateTexture"))
        return nullptr;
    keep(texture);
    D3DLOCKED_RECT locked{};
    if (!check(texture->LockRect(0, &locked, nullptr, 0), "LockRect")) return texture;
    size_t next = 0;
    for (UINT y = 0; y < height; ++y)
        for (UINT x = 0; x < width; ++x) {
            const DWORD texel = texels.size() == 1 ? texels[0] : next < texels.size() ? texels[next++] : 0u;
            std::memcpy(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch + x * 4, &texel, 4);
        }
    texture->UnlockRect(0);
    return texture;
}

void Context::samplePoint(DWORD stage) {
    d3d->SetTextureStageState(stage, D3DTSS_MINFILTER, D3DTEXF_POINT);
    d3d->SetTextureStageState(stage, D3DTSS_MAGFILTER, D3DTEXF_POINT);
    d3d->SetTextureStageState(stage, D3DTSS_MIPFILTER, D3DTEXF_NONE);
    d3d->SetTextureStageState(stage, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
    d3d->SetTextureStageState(stage, D3DTSS_ADDRESSV, D3DTADDRESS_CLAMP);
}

std::string caseIdentifier(const std::string& text) {
    std::string id;
    for (char ch : text) {
        const bool word = (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9');
        if (word)
            id += ch;
        else if (!id.empty() && id.back() != '_')
            id += '_';
    }
    while (!id.empty() && id.back() == '_') id.pop_back();
    return id;
}

void CaseList::add(const std::string& name, const Options& options, CaseBody body) {
    cases_.push_back(Case{group_, caseIdentifier(group_ + "_" + name), options, std::move(body)});
}

GroupRegistrar::GroupRegistrar(const char* group, void (*fill)(CaseList&)) { groups().emplace_back(group, fill); }

const std::vector<Case>& allCases() {
    static const std::vector<Case> cases = [] {
        std::vector<Case> all;
        for (const auto& [group, fill] : groups()) {
            CaseList list(group);
            fill(list);
            for (Case& c : list.cases()) all.push_back(std::move(c));
        }
        std::sort(all.begin(), all.end(), [](const Case& a, const Case& b) { return a.name < b.name; });
        return all;
    }();
    return cases;
}

D3DPRESENT_PARAMETERS presentParameters(const Options& options, HWND window) {
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = options.width;
    pp.BackBufferHeight = options.height;
    pp.BackBufferFormat = options.backBufferFormat;
    pp.BackBufferCount = 1;
    pp.MultiSampleType = options.multiSample;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.hDeviceWindow = window;
    pp.Windowed = TRUE;
    pp.EnableAutoDepthStencil = options.depthFormat != D3DFMT_UNKNOWN;
    pp.AutoDepthStencilFormat = options.depthFormat;
    return pp;
}

CaseResult runCase(IDirect3DDevice8* device, const Case& c) {
    CaseResult result;
    {
        Context context(device, c.options);
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        device->SetRenderState(D3DRS_LIGHTING, FALSE);
        device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
        const DWORD clearFlags = D3DCLEAR_TARGET | (c.options.depthFormat != D3DFMT_UNKNOWN
                                                        ? DWORD(D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)
                                                        : 0u);
        device->Clear(0, nullptr, clearFlags, 0xFF000000, 1.0f, 0);
        device->BeginScene();
        c.body(context);
        device->EndScene();
        result.error = context.error();
        result.skipped = context.skipped();
        result.probes = context.probes();
        if (result.error.empty() && result.skipped.empty()) {
            result.image = readBackBuffer(device, &result.error);
            for (Probe& p : result.probes) p.actual = result.image.at(UINT(p.x), UINT(p.y));
        }
        // Unbind what the case bound so its objects really go with the context.
        for (DWORD stage = 0; stage < 8; ++stage) device->SetTexture(stage, nullptr);
        for (UINT stream = 0; stream < 8; ++stream) device->SetStreamSource(stream, nullptr, 0);
        device->SetIndices(nullptr, 0);
    }
    return result;
}

}  // namespace zep::visual
