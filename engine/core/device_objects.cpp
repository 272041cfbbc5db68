// The engine's device objects through a device's life: what is made when
// the device is created, made again after every reset, let go of before a
// reset, and released when the engine closes.

#include "core/device_opening.h"

#include "core/graphics.h"
#include "terrain/effects.h"

#include <ZEPenginedll.h>

#include <cstring>

namespace zep {

namespace {

constexpr DWORD kScreenQuadFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE;

// One vertex of the full-screen quad: pre-transformed, coloured.
struct ScreenQuadVertex {
    float x, y, z, rhw;
    uint32_t color;
};


// The strip the shadow pass darkens the whole screen with, in the shadow colour.
void fillScreenQuad() {
    IDirect3DVertexBuffer8* quad = poolBuffers().screenQuad;
    BYTE* data = nullptr;
    if (!quad || FAILED(quad->Lock(0, 0, &data, 0))) return;
    const float w = float(graphics().backBufferWidth), h = float(graphics().backBufferHeight);
    const uint32_t color = ZEPengine.shadowColor;
    const ScreenQuadVertex strip[4] = {
        {0.0f, h, 0.0f, 1.0f, color}, {0.0f, 0.0f, 0.0f, 1.0f, color},
        {w, h, 0.0f, 1.0f, color},    {w, 0.0f, 0.0f, 1.0f, color},
    };
    std::memcpy(data, strip, sizeof strip);
    quad->Unlock();
}

// ---- The engine's device host ------------------------------------------------------------

class EngineHost final : public DeviceHost {
protected:
    // The engine reads device state back (state blocks, Get calls), which a
    // pure device does not keep.
    HRESULT confirmDevice(const D3DCAPS8&, DWORD behaviour, D3DFORMAT) override {
        return (behaviour & D3DCREATE_PUREDEVICE) ? E_FAIL : S_OK;
    }

    HRESULT initDeviceObjects() override {
        ZEP_log("Init device objects\n");
        // The text font takes the device and makes its objects here (text
        // drawing, a later piece of the engine).
        PoolBuffers& pools = poolBuffers();
        if (!pools.screenQuad)
            device()->CreateVertexBuffer(4 * sizeof(ScreenQuadVertex), D3DUSAGE_WRITEONLY, kScreenQuadFvf,
                                         D3DPOOL_MANAGED, &pools.screenQuad);
        device()->SetTextureStageState(0, D3DTSS_MAXMIPLEVEL, 0);
        return S_OK;
    }

    HRESULT restoreDeviceObjects() override {
        ZEP_log("Restore device objects\n");
        // The font is restored here (text drawing, later).
        createSmallSurface();
        ResetRenderTargetSize(ZEPengine.renderTargetWidth, ZEPengine.renderTargetHeight);
        // A terrain colour image recorded for the render target is loaded
        // again here (terrain, later).
        applyDefaultTransforms();
        if (graphics().stencilPresent == 4) fillScreenQuad();
        ZEPengine.backBufferBits = backBufferBits(graphics().backBufferFormat);
        reapplyCurrentStates();
        createEffectPrograms();
        return S_OK;
    }

    HRESULT invalidateDeviceObjects() override {
        ZEP_log("Invalidate device objects\n");
        releaseSavedTargets();
        releaseRenderTarget();
        release(poolBuffers().smallSurface);
        releaseEffectPrograms();
        // The font is invalidated here (text drawing, later).
        return S_OK;
    }

    HRESULT deleteDeviceObjects() override {
        ZEP_log("Delete device objects\n");
        // The font releases its texture and lets go of the device here
        // (text drawing, later).
        return S_OK;
    }

    HRESULT finalCleanup() override {
        ZEP_log("Engine closed\n");
        // The water noise texture goes here (water, later).
        releaseEffectPrograms();
        releasePools();
        closeDirectDraw();
        // The host's flag is let go of too: a later close must not write to
        // a flag the host may have dropped.
        if (graphics().running) *graphics().running = 0;
        graphics().running = nullptr;
        return S_OK;
    }

    void closeRequested(HWND) override {
        // Video textures stop here first (video to texture, later).
        CloseZEPengine();
    }
};

}  // namespace

void createSmallSurface() {
    PoolBuffers& pools = poolBuffers();
    if (!pools.smallSurface) device()->CreateImageSurface(2, 2, graphics().backBufferFormat, &pools.smallSurface);
}

DeviceHost& engineHost() {
    static EngineHost host;
    return host;
}

// Bits per pixel the record reports for a back-buffer format: 32 for the
// 24- and 32-bit formats, 16 for the 16-bit ones, -1 otherwise.
int32_t backBufferBits(D3DFORMAT format) {
    switch (format) {
    case D3DFMT_R8G8B8:
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8: return 32;
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5: return 16;
    default: return -1;
    }
}

}  // namespace zep
