// The engine's device-side globals: what the device opening creates and
// what every drawing Part reads. Plain data, one instance each; the device
// host and the frame cycle fill it, the setters and drawing code use it.
#pragma once

#include <ZEPenginedll.h>

#include <d3d8.h>

#include <cstring>

namespace zep {

// The Direct3D objects and the choices the device host made.
struct Graphics {
    IDirect3D8* d3d = nullptr;
    IDirect3DDevice8* device = nullptr;
    HWND window = nullptr;             // the device window (the host's or the engine's own)
    uint8_t* running = nullptr;        // the host's running flag, cleared when the engine closes
    uint8_t ownRunning = 0;            // the running byte InitD3D passes for hosts that give none
    D3DFORMAT backBufferFormat = D3DFMT_UNKNOWN;
    D3DFORMAT depthStencilFormat = D3DFMT_UNKNOWN;
    int32_t stencilPresent = 0;        // 4 when the depth format has stencil, else 0
    bool lacksTransformedClipping = false;  // no D3DPMISCCAPS_CLIPTLVERTS: SetPolyClip may switch to software
    bool engineTurnedSoftwareOn = false;    // SetPolyClip turned software vertex processing on
    D3DCAPS8 caps{};
    UINT backBufferWidth = 0;          // the present parameters' size
    UINT backBufferHeight = 0;
};
Graphics& graphics();

// The four pool buffers and the full-screen quad (created at device opening).
struct PoolBuffers {
    IDirect3DVertexBuffer8* staticVertices = nullptr;  // 44-byte vertices, FVF 0x252
    IDirect3DIndexBuffer8* staticIndices = nullptr;    // 16-bit, as many as static vertices
    IDirect3DVertexBuffer8* dynamicVertices = nullptr; // 24-byte vertices, FVF 0x142
    IDirect3DVertexBuffer8* layerVertices = nullptr;   // 28-byte vertices, FVF 0x144
    IDirect3DVertexBuffer8* screenQuad = nullptr;      // four 20-byte pre-transformed vertices
    IDirect3DSurface8* smallSurface = nullptr;         // the 2 x 2 image surface in the back-buffer format
};
PoolBuffers& poolBuffers();

// Camera, carrier, projection and viewport as the setters left them.
struct ViewState {
    D3DMATRIX camera;         // C: world to camera
    D3DMATRIX cameraInverse;  // C^-1
    D3DMATRIX carrier;        // K: object to world
    D3DMATRIX world;          // W = K . C, the device's D3DTS_WORLD
    D3DMATRIX view;           // V as last given to the device
    D3DMATRIX projection;     // P as last given to the device
    D3DMATRIX visibility;     // read by PutWorldObjMax
    D3DMATRIX sun[2];         // the two sun rotations object drawing uses
    D3DVIEWPORT8 viewport{};  // the current viewport
    float fov = 0.7853982f;
    float aspectFactor = 1.0f;
    float orthoScale = 1.0f;
    float worldScale = 1.0f;     // k1, recomputed with W
    float worldScale2 = 2.0f;    // k2
};
ViewState& viewState();

// The open device; null before the opening and after the close.
inline IDirect3DDevice8* device() { return graphics().device; }

// A render or stage state for the open device; without a device nothing is
// set and the result is D3DERR_INVALIDCALL.
inline HRESULT setRenderState(D3DRENDERSTATETYPE state, DWORD value) {
    IDirect3DDevice8* d = device();
    return d ? d->SetRenderState(state, value) : D3DERR_INVALIDCALL;
}
inline HRESULT setStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE state, DWORD value) {
    IDirect3DDevice8* d = device();
    return d ? d->SetTextureStageState(stage, state, value) : D3DERR_INVALIDCALL;
}

// Releases a device object and forgets it.
template <typename T>
void release(T*& object) {
    if (object) object->Release();
    object = nullptr;
}

// A float as the bits a float-valued render or stage state takes.
inline DWORD floatBits(float value) {
    DWORD bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// k1 from the current W, five over the length of its summed first three
// rows (1 when that is 0); object drawing scales view distances and bump
// matrices by it. k2 is 2 from the first computation on.
void recomputeWorldScale();

// Selects again the pool the recorded vertex source names. Line arrays
// (kind 4) are selected again by the line renderers, which keep the array.
void reapplyVertexSource();

// Default transforms: W and V identity, P the perspective projection for the
// screen's aspect; run at every begin of frame and after a device reset.
void applyDefaultTransforms();

// Re-applies the states recorded in the engine record (vertex source,
// material, ambient, alpha blending, colour operation, lighting mode) after a
// device reset or a switch of vertex processing.
void reapplyCurrentStates();

// The default material with alpha a and power p (the engine passes 1, 50).
void applyDefaultMaterial(float alpha, float power);

}  // namespace zep
