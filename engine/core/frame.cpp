// The frame cycle: begin a frame, the default render states, the frame
// clock, present, clear, and the window-size and full-screen requests.

#include "core/device_opening.h"

#include "core/graphics.h"
#include "objects/object_draw.h"

#include <ZEPenginedll.h>
#include <mmsystem.h>

namespace zep {

namespace {

// Ends the scene and shows it: the device check first, then Present.
uint8_t present(const RECT* source, HWND target) {
    IDirect3DDevice8* d = device();
    if (!d || !endFrameScene(d)) return 0;
    return SUCCEEDED(d->Present(source, nullptr, target, nullptr)) ? 1 : 0;
}

}  // namespace

bool endFrameScene(IDirect3DDevice8* device) {
    if (FAILED(device->EndScene())) return false;
    DeviceHost& host = engineHost();
    return !host.ready() || SUCCEEDED(host.checkDevice());
}

FrameState& frameState() {
    static FrameState state;
    return state;
}

uint8_t beginFrame(bool toTarget, int32_t clear) {
    FrameState& frame = frameState();
    if (frame.firstFrameResize && ZEPengine.followWindow) {
        ResizeMainWindow(0, 0);
        frame.firstFrameResize = false;
    }
    IDirect3DDevice8* d = device();
    if (!d) return 0;

    D3DVIEWPORT8 viewport{0, 0, 0, 0, 0.0f, 1.0f};
    if (toTarget) {
        viewport.Width = viewport.Height = DWORD(ZEPengine.renderTargetSize);
        frame.renderTargetViewport = viewport;
    } else {
        viewport.Width = graphics().backBufferWidth;
        viewport.Height = graphics().backBufferHeight;
        ZEPengine.screenWidth = int32_t(viewport.Width);
        ZEPengine.screenHeight = int32_t(viewport.Height);
    }
    d->SetViewport(&viewport);
    viewState().viewport = viewport;

    if (FAILED(d->BeginScene())) {
        ZEP_log("Beginscene failed");
        return 0;
    }
    if (clear & 0xFF) {
        DWORD flags = D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER;
        // The render target's own depth surface has no stencil to clear.
        if (graphics().stencilPresent == 4 && !toTarget) flags |= D3DCLEAR_STENCIL;
        d->Clear(0, nullptr, flags, 0, 1.0f, 0);
    }
    applyDefaultTransforms();
    SetDefaultrenderStates();
    // On the back buffer the water animation advances: the bump rotation of
    // water-style meshes here, the water surface's own matrices with the
    // water surface.
    if (!toTarget) advanceBumpRotation(timeGetTime());
    return 1;
}

}  // namespace zep

using namespace zep;

extern "C" {

ZEP_EXPORT HRESULT ZEPAPI SetDefaultrenderStates(void) {
    IDirect3DDevice8* d = device();
    if (!d) return D3DERR_INVALIDCALL;
    d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    d->SetRenderState(D3DRS_NORMALIZENORMALS, ZEPengine.normalizeNormals);
    d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    d->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    SetTextureFiltering(ZEPengine.textureFilterMode, ZEPengine.textureFilterFlag, 2);
    d->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
    d->SetRenderState(D3DRS_ALPHATESTENABLE, 1);
    ZEPengine.alphaRef = 136;
    ZEPengine.alphaOp = D3DTOP_MODULATE;
    d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    d->SetRenderState(D3DRS_ALPHATESTENABLE, 1);
    d->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
    d->SetRenderState(D3DRS_ALPHAREF, 136);
    ZEPengine.colorOp = D3DTOP_MODULATE;
    d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    d->SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_WRAP);
    d->SetTextureStageState(0, D3DTSS_ADDRESSV, D3DTADDRESS_WRAP);
    d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    d->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
    ZEPengine.fillFlags = ZEP_FILL_TEXTURED;
    d->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    d->SetRenderState(D3DRS_SPECULARENABLE, 1);
    d->SetRenderState(D3DRS_SPECULARMATERIALSOURCE, D3DMCS_MATERIAL);
    d->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL);
    d->SetRenderState(D3DRS_EMISSIVEMATERIALSOURCE, D3DMCS_MATERIAL);
    d->SetRenderState(D3DRS_DITHERENABLE, 1);
    d->SetRenderState(D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_COLOR1);
    d->SetRenderState(D3DRS_LOCALVIEWER, 0);
    applyDefaultMaterial(1.0f, 50.0f);
    d->SetRenderState(D3DRS_LIGHTING, ZEPengine.lightingEnabled);
    SetPolyClip();
    d->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    SetNoAlphaMode();
    d->SetRenderState(D3DRS_EDGEANTIALIAS, 1);
    d->SetRenderState(D3DRS_CLIPPLANEENABLE, 0);
    d->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    d->SetRenderState(D3DRS_STENCILENABLE, 0);
    d->SetRenderState(D3DRS_STENCILWRITEMASK, 0);
    d->SetRenderState(D3DRS_STENCILMASK, 0);
    d->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_NEVER);
    d->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_ZERO);
    ZEPengine.lightMapTexture = -1;
    d->SetRenderState(D3DRS_FOGENABLE, 0);
    ZEPengine.fogEnabled = 0;
    LightsOff();
    d->SetRenderState(D3DRS_ZBIAS, 0);
    SetCurrentTexture(-1);
    return d->SetRenderState(D3DRS_ZWRITEENABLE, 1);
}

ZEP_EXPORT uint8_t ZEPAPI BeginRenderClear(int32_t clear) { return beginFrame(false, clear); }

ZEP_EXPORT uint8_t ZEPAPI BeginRender(void) { return beginFrame(false, 1); }

ZEP_EXPORT HRESULT ZEPAPI ClearTarget(uint32_t flags, uint32_t color, float z, uint32_t stencil) {
    IDirect3DDevice8* d = device();
    if (!d) return D3DERR_INVALIDCALL;
    if (graphics().stencilPresent != 4) flags &= ~DWORD(D3DCLEAR_STENCIL);
    return d->Clear(0, nullptr, flags, color, z, stencil);
}

ZEP_EXPORT int32_t ZEPAPI StartFrame(void) {
    // The key state for this frame; a failed read keeps the last one.
    RefreshKeyBuff();
    const int32_t now = int32_t(timeGetTime());
    const int32_t delta = now - ZEPengine.frameStart;
    ZEPengine.frameStart = now;
    ZEPengine.frameDelta = delta;
    return delta;
}

ZEP_EXPORT uint8_t ZEPAPI RenderHWND(HWND target) {
    if (!present(nullptr, target)) return 0;
    ZEPengine.lastPresent = ZEPengine.frameStart;
    return 1;
}

ZEP_EXPORT uint8_t ZEPAPI RenderMainWindow(void) { return RenderHWND(nullptr); }

ZEP_EXPORT uint8_t ZEPAPI RenderWindow(HWND target, int32_t width, int32_t height) {
    const RECT source{0, 0, width, height};
    return present(&source, target);
}

ZEP_EXPORT uint8_t ZEPAPI RenderRect(HWND target, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    const RECT source{left, top, right, bottom};
    return present(&source, target);
}

ZEP_EXPORT LRESULT ZEPAPI ResizeMainWindow(int32_t width, int32_t height) {
    frameState().resizeWidth = width;
    frameState().resizeHeight = height;
    ZEP_log("Ask resize %i,%i\n", width, height);
    return SendMessageA(graphics().window, kResizeMessage, 0, 0);
}

ZEP_EXPORT void ZEPAPI FullScreen(uint8_t on) {
    DeviceHost& host = engineHost();
    const bool fullScreen = !host.windowed();
    if ((on != 0) != fullScreen) host.toggleFullScreen();
}

}  // extern "C"
