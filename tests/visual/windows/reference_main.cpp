// The reference program: runs every visual case on the system's Direct3D 8
// and writes, per group, the probed pixels (<out>/<group>.txt) and an image
// of each case (<out>/<group>/<case>.png). Built for Windows with MinGW-w64
// and run under Wine by tools/visual-references.sh.
//
//   visual_reference.exe OUT_FOLDER [GROUP...]
#include "png_write.h"
#include "reference_data.h"
#include "visual_case.h"

#include <windows.h>

#include <cstdio>
#include <map>
#include <set>

namespace {

using zep::visual::Case;
using zep::visual::CaseResult;

std::string systemName() {
    using VersionFunction = const char*(CDECL*)();
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    auto wineVersion = ntdll ? reinterpret_cast<VersionFunction>(
                                   reinterpret_cast<void*>(GetProcAddress(ntdll, "wine_get_version")))
                             : nullptr;
    return wineVersion ? std::string("Wine ") + wineVersion() : std::string("Windows");
}

HWND openWindow() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "ZEPvisualReference";
    RegisterClassA(&wc);
    HWND window = CreateWindowA(wc.lpszClassName, "visual reference", WS_OVERLAPPEDWINDOW, 0, 0, 320, 320, nullptr,
                                nullptr, wc.hInstance, nullptr);
    ShowWindow(window, SW_SHOWNORMAL);
    return window;
}

CaseResult runOnNewDevice(IDirect3D8* d3d, HWND window, const Case& c) {
    D3DPRESENT_PARAMETERS pp = zep::visual::presentParameters(c.options, window);
    IDirect3DDevice8* device = nullptr;
    const HRESULT hr = d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window, c.options.behaviour, &pp, &device);
    if (FAILED(hr) || !device) {
        CaseResult failed;
        char text[64];
        std::snprintf(text, sizeof text, "CreateDevice failed: 0x%08X", unsigned(hr));
        failed.error = text;
        return failed;
    }
    CaseResult result = zep::visual::runCase(device, c);
    device->Release();
    return result;
}

// Where the reference itself disagrees with a hand-worked colour: worth a
// look, whichever of the two is wrong.
void reportHandDifferences(const Case& c, const CaseResult& r) {
    if (!r.error.empty()) std::printf("%s: error %s\n", c.name.c_str(), r.error.c_str());
    if (!r.skipped.empty()) std::printf("%s: skipped %s\n", c.name.c_str(), r.skipped.c_str());
    for (const zep::visual::Probe& p : r.probes)
        if (p.hasExpected && zep::visual::channelDistance(p.actual, p.expected) > p.tolerance)
            std::printf("%s: (%d, %d) drew %06x, worked out by hand %06x\n", c.name.c_str(), p.x, p.y,
                        unsigned(p.actual & 0xFFFFFF), unsigned(p.expected));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUT_FOLDER [GROUP...]\n", argv[0]);
        return 2;
    }
    const std::string out = argv[1];
    std::set<std::string> wanted(argv + 2, argv + argc);

    HWND window = openWindow();
    IDirect3D8* d3d = Direct3DCreate8(D3D_SDK_VERSION);
    if (!window || !d3d) {
        std::fprintf(stderr, "no window or no Direct3D 8\n");
        return 1;
    }
    std::map<std::string, std::vector<const Case*>> groupCases;
    std::map<std::string, std::vector<CaseResult>> groupResults;
    for (const Case& c : zep::visual::allCases()) {
        if (!wanted.empty() && !wanted.count(c.group)) continue;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        CaseResult result = runOnNewDevice(d3d, window, c);
        reportHandDifferences(c, result);
        CreateDirectoryA((out + "/" + c.group).c_str(), nullptr);
        if (!result.image.pixels.empty()) zep::visual::writePng(out + "/" + c.group + "/" + c.name + ".png", result.image);
        groupCases[c.group].push_back(&c);
        groupResults[c.group].push_back(std::move(result));
    }
    d3d->Release();

    const std::string header = "# Probed pixels of the visual cases as " + systemName() +
                               "'s Direct3D 8 drew them (tools/visual-references.sh).\n"
                               "# case x y rrggbb | case skipped reason | case error reason\n";
    int written = 0;
    for (const auto& [group, cases] : groupCases) {
        const std::string path = out + "/" + group + ".txt";
        FILE* file = std::fopen(path.c_str(), "wb");
        if (!file) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
        const std::string text = zep::visual::formatReferences(header, cases, groupResults[group]);
        std::fwrite(text.data(), 1, text.size(), file);
        std::fclose(file);
        written += int(cases.size());
    }
    std::printf("%d cases in %zu groups written to %s\n", written, groupCases.size(), out.c_str());
    return 0;
}
