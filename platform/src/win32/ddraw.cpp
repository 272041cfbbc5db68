// DirectDraw 7: the display's memory figures, nothing else.

#include <ddraw.h>

#include "win32/com_object.h"

#include <SDL.h>
#include <epoxy/egl.h>
#include <epoxy/gl.h>

#include <cstddef>
#include <cstring>

namespace {

// Without figures from a driver, those of a modest card of the engine's
// time-frame grown up: enough for the engine to place its pools in video
// memory, which it then asks of OpenGL anyway.
constexpr DWORD kFixedTotal = 256u << 20;
constexpr DWORD kFixedFree = 192u << 20;

// Old programs keep these figures in signed 32-bit fields; a card with more
// memory than that reports the largest figure they can hold.
constexpr uint64_t kLargestFigure = 0x7FFFFFFFu;

#ifndef GL_GPU_MEMORY_INFO_TOTAL_AVAILABLE_MEMORY_NVX
#define GL_GPU_MEMORY_INFO_TOTAL_AVAILABLE_MEMORY_NVX 0x9048
#define GL_GPU_MEMORY_INFO_CURRENT_AVAILABLE_VIDMEM_NVX 0x9049
#endif
#ifndef GL_TEXTURE_FREE_MEMORY_ATI
#define GL_TEXTURE_FREE_MEMORY_ATI 0x87FC
#endif

struct MemoryFigures {
    DWORD total = kFixedTotal;
    DWORD free = kFixedFree;
};

DWORD fromKibibytes(GLint kib) {
    const uint64_t bytes = uint64_t(kib < 0 ? 0 : kib) * 1024u;
    return DWORD(bytes > kLargestFigure ? kLargestFigure : bytes);
}

bool glContextCurrent() {
    return SDL_GL_GetCurrentContext() != nullptr || eglGetCurrentContext() != EGL_NO_CONTEXT;
}

MemoryFigures videoMemory() {
    MemoryFigures figures;
    if (!glContextCurrent()) return figures;
    if (epoxy_has_gl_extension("GL_NVX_gpu_memory_info")) {
        GLint total = 0, available = 0;
        glGetIntegerv(GL_GPU_MEMORY_INFO_TOTAL_AVAILABLE_MEMORY_NVX, &total);
        glGetIntegerv(GL_GPU_MEMORY_INFO_CURRENT_AVAILABLE_VIDMEM_NVX, &available);
        if (total > 0) {
            figures.total = fromKibibytes(total);
            figures.free = fromKibibytes(available);
        }
    } else if (epoxy_has_gl_extension("GL_ATI_meminfo")) {
        // Free memory only; the total is at least what is free.
        GLint pool[4] = {};
        glGetIntegerv(GL_TEXTURE_FREE_MEMORY_ATI, pool);
        if (pool[0] > 0) {
            figures.free = fromKibibytes(pool[0]);
            figures.total = figures.free > kFixedTotal ? figures.free : kFixedTotal;
        }
    }
    return figures;
}

void fillCaps(DDCAPS* caps, bool hardware) {
    const DWORD size = caps->dwSize;
    std::memset(caps, 0, sizeof(DDCAPS));
    caps->dwSize = size;
    if (!hardware) return;  // emulation has no display memory
    const MemoryFigures figures = videoMemory();
    caps->dwCaps = DDCAPS_3D | DDCAPS_BLT | DDCAPS_BLTSTRETCH;
    caps->dwZBufferBitDepths = 0x400 | 0x200 | 0x100;  // DDBD_16 | DDBD_24 | DDBD_32
    caps->dwVidMemTotal = figures.total;
    caps->dwVidMemFree = figures.free;
    caps->ddsCaps.dwCaps = DDSCAPS_3DDEVICE | DDSCAPS_TEXTURE | DDSCAPS_ZBUFFER | DDSCAPS_VIDEOMEMORY;
    caps->ddsOldCaps.dwCaps = caps->ddsCaps.dwCaps;
}

class DirectDraw final : public zep::win32::ComObject<IDirectDraw7, IID_IDirectDraw7> {
public:

    HRESULT STDMETHODCALLTYPE GetCaps(LPDDCAPS driverCaps, LPDDCAPS emulationCaps) override {
        if (!driverCaps && !emulationCaps) return DDERR_INVALIDPARAMS;
        if ((driverCaps && driverCaps->dwSize != sizeof(DDCAPS)) ||
            (emulationCaps && emulationCaps->dwSize != sizeof(DDCAPS)))
            return DDERR_INVALIDPARAMS;
        if (driverCaps) fillCaps(driverCaps, true);
        if (emulationCaps) fillCaps(emulationCaps, false);
        return DD_OK;
    }

    HRESULT STDMETHODCALLTYPE GetAvailableVidMem(LPDDSCAPS2 caps, LPDWORD total, LPDWORD free) override {
        if (!caps || (!total && !free)) return DDERR_INVALIDPARAMS;
        const MemoryFigures figures = videoMemory();
        if (total) *total = figures.total;
        if (free) *free = figures.free;
        return DD_OK;
    }

    // Cooperation is accepted and changes nothing: no display modes or
    // surfaces exist to guard.
    HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND, DWORD) override { return DD_OK; }
    HRESULT STDMETHODCALLTYPE TestCooperativeLevel() override { return DD_OK; }
    HRESULT STDMETHODCALLTYPE Initialize(GUID*) override { return DDERR_ALREADYINITIALIZED; }
    HRESULT STDMETHODCALLTYPE Compact() override { return DD_OK; }

    // Not provided: surfaces, palettes, clippers and display modes.
    HRESULT STDMETHODCALLTYPE CreateClipper(DWORD, IDirectDrawClipper**, IUnknown*) override { return DDERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE CreatePalette(DWORD, LPPALETTEENTRY, IDirectDrawPalette**, IUnknown*) override { return DDERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE CreateSurface(DDSURFACEDESC2*, IDirectDrawSurface7**, IUnknown*) override { return DDERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE DuplicateSurface(IDirectDrawSurface7*, IDirectDrawSurface7**) override { return DDERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDisplayModes(DWORD, DDSURFACEDESC2*, LPVOID, LPDDENUMMODESCALLBACK2) override { return DDERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumSurfaces(DWORD, DDSURFACEDESC2*, LPVOID, LPDDENUMSURFACESCALLBACK7) override { return DDERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE FlipToGDISurface() override { return DDERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE GetDisplayMode(DDSURFACEDESC2*) override { return DDERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE GetFourCCCodes(LPDWORD, LPDWORD) override { return DDERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE GetGDISurface(IDirectDrawSurface7**) override { return DDERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE GetMonitorFrequency(LPDWORD) override { return DDERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE GetScanLine(LPDWORD) override { return DDERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE GetVerticalBlankStatus(LPBOOL) override { return DDERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE RestoreDisplayMode() override { return DDERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE SetDisplayMode(DWORD, DWORD, DWORD, DWORD, DWORD) override { return DDERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE WaitForVerticalBlank(DWORD, HANDLE) override { return DDERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE GetSurfaceFromDC(HDC, IDirectDrawSurface7**) override { return DDERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE RestoreAllSurfaces() override { return DDERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE GetDeviceIdentifier(DDDEVICEIDENTIFIER2*, DWORD) override { return DDERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE StartModeTest(SIZE*, DWORD, DWORD) override { return DDERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EvaluateMode(DWORD, DWORD*) override { return DDERR_UNSUPPORTED; }

private:
};

bool isDisplayDevice(const GUID* device) {
    const auto value = reinterpret_cast<uintptr_t>(device);
    return value == 0 || value == DDCREATE_HARDWAREONLY || value == DDCREATE_EMULATIONONLY;
}

}  // namespace

extern "C" HRESULT WINAPI DirectDrawCreateEx(GUID* device, LPVOID* out, REFIID riid, IUnknown* outer) {
    if (!out) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    if (!IsEqualIID(riid, IID_IDirectDraw7)) return DDERR_INVALIDPARAMS;
    if (!isDisplayDevice(device)) return DDERR_INVALIDDIRECTDRAWGUID;
    *out = static_cast<IDirectDraw7*>(new DirectDraw);
    return DD_OK;
}
