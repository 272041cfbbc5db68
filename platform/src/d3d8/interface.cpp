// The Direct3D object: one adapter (the OpenGL implementation), its display
// modes, capabilities and format checks, and device creation.

#include "d3d8/caps.h"
#include "d3d8/device.h"
#include "d3d8/format.h"
#include "gl/gl_context.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>

namespace zep::d3d {

namespace {

struct ModeSize {
    UINT width, height;
};

// Common sizes of the time and of today, each at 32 and 16 bits per pixel.
constexpr ModeSize kModeSizes[] = {{640, 480},   {800, 600},   {1024, 768},  {1152, 864},
                                   {1280, 720},  {1280, 1024}, {1600, 900},  {1920, 1080}};
constexpr D3DFORMAT kModeFormats[] = {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5};
constexpr UINT kModeCount = UINT(sizeof kModeSizes / sizeof kModeSizes[0]) * 2;

bool isDisplayFormat(D3DFORMAT format) { return format == D3DFMT_X8R8G8B8 || format == D3DFMT_R5G6B5; }

bool isDeviceType(D3DDEVTYPE type) { return type == D3DDEVTYPE_HAL || type == D3DDEVTYPE_REF; }

class Direct3D final : public IDirect3D8 {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDirect3D8)) {
            AddRef();
            *object = static_cast<IDirect3D8*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        if (refs_ == 0) return 0;
        const ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE RegisterSoftwareDevice(void*) override {
        // Not implemented: there are no pluggable software rasterisers.
        return D3DERR_INVALIDCALL;
    }

    UINT STDMETHODCALLTYPE GetAdapterCount() override { return 1; }

    HRESULT STDMETHODCALLTYPE GetAdapterIdentifier(UINT adapter, DWORD, D3DADAPTER_IDENTIFIER8* identifier) override {
        if (adapter != D3DADAPTER_DEFAULT || !identifier) return D3DERR_INVALIDCALL;
        std::memset(identifier, 0, sizeof *identifier);
        std::snprintf(identifier->Driver, sizeof identifier->Driver, "zep-opengl");
        std::snprintf(identifier->Description, sizeof identifier->Description, "Direct3D 8 on OpenGL 3.3");
        identifier->DriverVersion.QuadPart = (LONGLONG(8) << 48) | 1;
        identifier->DeviceIdentifier = GUID{0x7A3B5C10, 0x2E4D, 0x4F61, {0x9A, 0x1B, 0x3C, 0x5D, 0x7E, 0x8F, 0x90, 0x21}};
        identifier->WHQLLevel = 0;
        return D3D_OK;
    }

    UINT STDMETHODCALLTYPE GetAdapterModeCount(UINT adapter) override {
        return adapter == D3DADAPTER_DEFAULT ? kModeCount : 0;
    }

    HRESULT STDMETHODCALLTYPE EnumAdapterModes(UINT adapter, UINT mode, D3DDISPLAYMODE* result) override {
        if (adapter != D3DADAPTER_DEFAULT || !result || mode >= kModeCount) return D3DERR_INVALIDCALL;
        const UINT sizes = kModeCount / 2;
        const ModeSize& size = kModeSizes[mode % sizes];
        *result = D3DDISPLAYMODE{size.width, size.height, 60, kModeFormats[mode / sizes]};
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* result) override {
        if (adapter != D3DADAPTER_DEFAULT || !result) return D3DERR_INVALIDCALL;
        // The desktop when SDL knows one; a common desktop when headless.
        *result = D3DDISPLAYMODE{1024, 768, 60, D3DFMT_X8R8G8B8};
        SDL_DisplayMode desktop;
        if (SDL_WasInit(SDL_INIT_VIDEO) && SDL_GetDesktopDisplayMode(0, &desktop) == 0 && desktop.w > 0) {
            result->Width = UINT(desktop.w);
            result->Height = UINT(desktop.h);
            if (desktop.refresh_rate > 0) result->RefreshRate = UINT(desktop.refresh_rate);
            if (SDL_BITSPERPIXEL(desktop.format) == 16) result->Format = D3DFMT_R5G6B5;
        }
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT displayFormat,
                                              D3DFORMAT backBufferFormat, BOOL windowed) override {
        if (adapter != D3DADAPTER_DEFAULT || !isDeviceType(type)) return D3DERR_INVALIDCALL;
        if (!isDisplayFormat(displayFormat)) return D3DERR_NOTAVAILABLE;
        const FormatInfo& back = formatInfo(backBufferFormat);
        if (!back.renderTarget || backBufferFormat == D3DFMT_A4R4G4B4) return D3DERR_NOTAVAILABLE;
        // The back buffer has the display's colour depth, with or without alpha.
        if (back.bytesPerPixel != formatInfo(displayFormat).bytesPerPixel) return D3DERR_NOTAVAILABLE;
        (void)windowed;
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                                                D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat) override {
        if (adapter != D3DADAPTER_DEFAULT || !isDeviceType(type) || !isDisplayFormat(adapterFormat))
            return D3DERR_INVALIDCALL;
        const FormatInfo& info = formatInfo(checkFormat);
        if (usage & D3DUSAGE_DEPTHSTENCIL)
            return resourceType == D3DRTYPE_SURFACE && info.depthBits ? D3D_OK : D3DERR_NOTAVAILABLE;
        if ((usage & D3DUSAGE_RENDERTARGET) && !info.renderTarget) return D3DERR_NOTAVAILABLE;
        switch (resourceType) {
        case D3DRTYPE_SURFACE:
        case D3DRTYPE_TEXTURE:
        case D3DRTYPE_VOLUME:
            return info.texture ? D3D_OK : D3DERR_NOTAVAILABLE;
        case D3DRTYPE_VOLUMETEXTURE:
            return info.texture && !(usage & D3DUSAGE_RENDERTARGET) ? D3D_OK : D3DERR_NOTAVAILABLE;
        case D3DRTYPE_VERTEXBUFFER:
            return checkFormat == D3DFMT_VERTEXDATA ? D3D_OK : D3DERR_NOTAVAILABLE;
        case D3DRTYPE_INDEXBUFFER:
            return checkFormat == D3DFMT_INDEX16 || checkFormat == D3DFMT_INDEX32 ? D3D_OK : D3DERR_NOTAVAILABLE;
        default:
            return D3DERR_NOTAVAILABLE;  // cube textures are not offered
        }
    }

    HRESULT STDMETHODCALLTYPE CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE type, D3DFORMAT surfaceFormat, BOOL,
                                                         D3DMULTISAMPLE_TYPE multiSample) override {
        if (adapter != D3DADAPTER_DEFAULT || !isDeviceType(type)) return D3DERR_INVALIDCALL;
        const FormatInfo& info = formatInfo(surfaceFormat);
        if (!info.renderTarget && !info.depthBits) return D3DERR_NOTAVAILABLE;
        return isOfferedMultiSample(multiSample) ? D3D_OK : D3DERR_NOTAVAILABLE;
    }

    HRESULT STDMETHODCALLTYPE CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                                     D3DFORMAT renderTargetFormat,
                                                     D3DFORMAT depthStencilFormat) override {
        if (adapter != D3DADAPTER_DEFAULT || !isDeviceType(type) || !isDisplayFormat(adapterFormat))
            return D3DERR_INVALIDCALL;
        // Any depth format goes with any colour format: each is its own GL object.
        return formatInfo(renderTargetFormat).renderTarget && isDepthFormat(depthStencilFormat) ? D3D_OK
                                                                                               : D3DERR_NOTAVAILABLE;
    }

    HRESULT STDMETHODCALLTYPE GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS8* caps) override {
        if (adapter != D3DADAPTER_DEFAULT || !isDeviceType(type) || !caps) return D3DERR_INVALIDCALL;
        fillDeviceCaps(type, caps);
        return D3D_OK;
    }

    HMONITOR STDMETHODCALLTYPE GetAdapterMonitor(UINT adapter) override {
        // One monitor; its handle only has to be non-null and stable.
        return adapter == D3DADAPTER_DEFAULT ? reinterpret_cast<HMONITOR>(uintptr_t(1)) : nullptr;
    }

    HRESULT STDMETHODCALLTYPE CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviour,
                                           D3DPRESENT_PARAMETERS* params, IDirect3DDevice8** device) override {
        if (device) *device = nullptr;
        if (adapter != D3DADAPTER_DEFAULT || !isDeviceType(type)) return D3DERR_INVALIDCALL;
        return Device::create(this, type, focusWindow, behaviour, params, device);
    }

private:
    ULONG refs_ = 1;
};

}  // namespace

IDirect3D8* createDirect3D() { return new Direct3D(); }

}  // namespace zep::d3d

// Null for another SDK version, or when there is nothing to draw with: no
// surfaceless EGL and no SDL video.
extern "C" IDirect3D8* WINAPI Direct3DCreate8(UINT sdkVersion) {
    if (sdkVersion != D3D_SDK_VERSION) return nullptr;
    if (!zep::gl::headlessAvailable() && !SDL_WasInit(SDL_INIT_VIDEO)) return nullptr;
    return zep::d3d::createDirect3D();
}
