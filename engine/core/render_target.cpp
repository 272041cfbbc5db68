// The render target: a square-ish texture the engine draws into (texture
// shadows, water reflection, movie frames), its own depth surface, and an
// image surface to copy it out through. Listed in the texture list as
// "@ScreenCopytexture".

#include "core/device_opening.h"

#include "core/graphics.h"
#include "objects/textures.h"

#include <ZEPenginedll.h>

namespace zep {

namespace {

constexpr const char* kRenderTextureName = "@ScreenCopytexture";
constexpr int32_t kSmallestSide = 128;

bool fitsDevice(int32_t width, int32_t height) {
    const D3DCAPS8& caps = graphics().caps;
    return int64_t(caps.MaxTextureWidth) >= width && int64_t(caps.MaxTextureHeight) >= height;
}

// The texture list entry follows the texture: listed the first time, its
// texture replaced afterwards.
void listRenderTexture(IDirect3DTexture8* texture, int32_t width, int32_t height) {
    int32_t& index = ZEPengine.renderTargetTextureIndex;
    if (index < 0) {
        index = registerTexture(kRenderTextureName, texture, width, height, graphics().backBufferFormat);
        return;
    }
    TextureEntry& entry = Textures[index];
    entry.texture = texture;
    entry.width = width;
    entry.height = height;
    entry.format = int32_t(graphics().backBufferFormat);
}

}  // namespace

void releaseRenderTarget() {
    release(ZEPengine.renderTargetTexture);
    release(ZEPengine.renderTargetDepth);
    release(ZEPengine.renderTargetCopy);
    const int32_t index = ZEPengine.renderTargetTextureIndex;
    if (index >= 0 && index < ZEP_MAX_TEXTURES) Textures[index].texture = nullptr;
}

bool fitRenderTarget() {
    int32_t width = ZEPengine.renderTargetWidth;
    int32_t height = ZEPengine.renderTargetHeight;
    while (!ResetRenderTargetSize(width, height)) {
        if (width > height) {
            width /= 2;
        } else if (height > width) {
            height /= 2;
        } else {
            width /= 2;
            height /= 2;
        }
        if (width < kSmallestSide && height < kSmallestSide) return false;
    }
    return true;
}

void releaseSavedTargets() {
    FrameState& frame = frameState();
    release(frame.savedBackBuffer);
    release(frame.savedDepthStencil);
}

}  // namespace zep

using namespace zep;

namespace {

// Back to the back buffer and the depth surface the frame started with.
void restoreSavedTargets() {
    FrameState& frame = frameState();
    if (IDirect3DDevice8* d = device(); d && frame.savedBackBuffer)
        d->SetRenderTarget(frame.savedBackBuffer, frame.savedDepthStencil);
    releaseSavedTargets();
}

}  // namespace

extern "C" {

ZEP_EXPORT uint8_t ZEPAPI ResetRenderTargetSize(int32_t width, int32_t height) {
    IDirect3DDevice8* d = device();
    if (!d || width <= 0 || height <= 0 || !fitsDevice(width, height)) return 0;
    ZEPengine.renderTargetSize = width;
    ZEPengine.renderTargetWidth = width;
    ZEPengine.renderTargetHeight = height;
    releaseRenderTarget();

    const D3DFORMAT format = graphics().backBufferFormat;
    const UINT w = UINT(width), h = UINT(height);
    bool complete = true;
    if (FAILED(d->CreateTexture(w, h, 1, D3DUSAGE_RENDERTARGET, format, D3DPOOL_DEFAULT,
                                &ZEPengine.renderTargetTexture))) {
        ZEPengine.renderTargetTexture = nullptr;
        ZEP_log("Error: [ResetRenderTagetSize: shadowtexture is failed]\n");
        complete = false;
    } else {
        listRenderTexture(ZEPengine.renderTargetTexture, width, height);
    }
    if (FAILED(d->CreateDepthStencilSurface(w, h, graphics().depthStencilFormat, D3DMULTISAMPLE_NONE,
                                            &ZEPengine.renderTargetDepth))) {
        ZEPengine.renderTargetDepth = nullptr;
        ZEP_log("Error: [ResetRenderTagetSize:DepthStencilSurface is failed]");
        complete = false;
    }
    if (FAILED(d->CreateImageSurface(w, h, format, &ZEPengine.renderTargetCopy))) {
        ZEPengine.renderTargetCopy = nullptr;
        ZEP_log("Error: [ResetRenderTagetSize:chache surface is failed]");
        return 0;
    }
    return complete ? 1 : 0;
}

ZEP_EXPORT uint8_t ZEPAPI BeginRenderTargetClear(int32_t clear) {
    IDirect3DDevice8* d = device();
    if (!d || !ZEPengine.renderTargetTexture) return 0;
    FrameState& frame = frameState();
    releaseSavedTargets();
    d->GetDepthStencilSurface(&frame.savedDepthStencil);
    d->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &frame.savedBackBuffer);
    IDirect3DSurface8* top = nullptr;
    if (FAILED(ZEPengine.renderTargetTexture->GetSurfaceLevel(0, &top))) {
        releaseSavedTargets();
        return 0;
    }
    d->SetRenderTarget(top, ZEPengine.renderTargetDepth);
    top->Release();
    if (beginFrame(true, clear)) return 1;
    // No scene began: nothing will end it, so the frame's targets come back now.
    restoreSavedTargets();
    return 0;
}

ZEP_EXPORT uint8_t ZEPAPI RenderTarget(void) {
    IDirect3DDevice8* d = device();
    if (!d) return 0;
    const bool shown = endFrameScene(d);
    // The frame goes on on the back buffer whatever happened here.
    restoreSavedTargets();
    return shown ? 1 : 0;
}

}  // extern "C"
