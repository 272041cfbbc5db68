// What the device opening, the frame cycle and the render target share
// inside the engine.
#pragma once

#include "core/device_host.h"

#include <ZEPenginedll.h>

#include <d3d8.h>

#include <cstdint>

namespace zep {

// The engine's one device host.
DeviceHost& engineHost();

// Where a pool buffer of this size lives: in system memory when it is
// larger than a third of the free video memory, else managed.
D3DPOOL poolForBuffer(uint64_t bytes, int32_t freeVideoMemory);

// The display driver object the memory figures come from.
void openDirectDraw();
void closeDirectDraw();

// The four pool buffers (the layer and dynamic ones prefilled) and the
// object, mesh and helper tables; false when any of them cannot be made.
bool createPools();
// Releases the pool buffers and the full-screen quad, frees the tables.
void releasePools();

// The 2 x 2 image surface in the back-buffer format, unless it exists.
void createSmallSurface();

// What the frame cycle keeps outside the engine record.
struct FrameState {
    // Set from library load until the first begin of frame with the
    // follow-window flag has sized the back buffer by the window.
    bool firstFrameResize = true;
    int32_t resizeWidth = 0;  // the size ResizeMainWindow asked for
    int32_t resizeHeight = 0;
    D3DVIEWPORT8 renderTargetViewport{};
    // Held from BeginRenderTargetClear to RenderTarget, to switch back.
    IDirect3DSurface8* savedBackBuffer = nullptr;
    IDirect3DSurface8* savedDepthStencil = nullptr;
};
FrameState& frameState();

// The begin of every frame: viewport, scene, clear (when the low byte of
// clear is set), default transforms and states. 1 when the scene began.
uint8_t beginFrame(bool toTarget, int32_t clear);

// The end of every frame's scene: EndScene, then the device check once the
// device host is ready. True when both went well.
bool endFrameScene(IDirect3DDevice8* device);

// The first layer vertex of the text block, reserved at initialisation.
int32_t& textBlockStart();

// Creates the render target at the stored size, halving the larger side
// (both when equal) after each failure; gives up once both sides are
// below 128. True when a render target was made.
bool fitRenderTarget();

// Releases the render-target texture, its depth-stencil surface and the
// copy surface; the texture list entry keeps no stale pointer.
void releaseRenderTarget();

// Lets go of the back buffer and depth surface held across a render-target
// scene.
void releaseSavedTargets();

// Bits per pixel of a back-buffer format: 32, 16, or -1 for any other.
int32_t backBufferBits(D3DFORMAT format);

}  // namespace zep
