// zep::d3d::Device, the IDirect3DDevice8 implementation: records state into
// a PipelineState, owns the back buffer, the render-target framebuffer and
// the GL context, and hands draws to the draw path (draw_interface.h).
#pragma once

#include "d3d8/draw_interface.h"
#include "d3d8/gl_state.h"
#include "d3d8/resources.h"

#include <d3d8.h>

#include <SDL.h>

#include <map>
#include <memory>
#include <unordered_map>
#include <vector>

namespace zep::gl {
struct Context;
}

namespace zep::d3d {

struct StateBlock;

// The Direct3D object (interface.cpp); the device keeps a reference to it.
IDirect3D8* createDirect3D();

// Vertex and pixel shader handles come from one counter and have bit 0 set,
// so they never look like an FVF code (bit 0 of an FVF code is reserved and
// clear) and never collide with each other.
constexpr DWORD shaderHandleFromIndex(DWORD index) { return (index << 1) | 1u; }

class Device final : public IDirect3DDevice8 {
public:
    static HRESULT create(IDirect3D8* d3d, D3DDEVTYPE type, HWND focusWindow, DWORD behaviour,
                          D3DPRESENT_PARAMETERS* params, IDirect3DDevice8** result);
    ~Device();

    // ---- For resources, state blocks and the draw path ----
    bool makeCurrent();
    PipelineState& state() { return state_; }
    GlShadow& gl() { return gl_; }
    DrawCache* drawCacheOrNull() { return drawCache_; }
    void resourceCreated() { ++liveDefaultResources_; }
    void resourceReleased() { --liveDefaultResources_; }
    // Bytes of GL storage held by resources, which GetAvailableTextureMem
    // subtracts when the driver does not report its own figure.
    void videoMemoryChanged(int64_t delta) { videoBytes_ += delta; }
    GLuint readFramebuffer() const { return readFbo_; }
    GLuint copyFramebuffer() const { return copyFbo_; }
    Surface* currentRenderTarget() const { return renderTarget_; }
    Surface* currentDepthStencil() const { return depthStencil_; }
    GLuint renderFramebuffer() const { return drawFbo_; }
    std::unordered_map<DWORD, VertexShaderRecord>& vertexShaders() { return vertexShaders_; }
    std::unordered_map<DWORD, std::vector<DWORD>>& pixelShaders() { return pixelShaders_; }
    // Binding helpers that keep the device's references right.
    void bindTexture(DWORD stage, IDirect3DBaseTexture8* texture);
    void bindStream(UINT stream, IDirect3DVertexBuffer8* buffer, UINT stride);
    void bindIndices(IDirect3DIndexBuffer8* buffer, UINT base);
    // The state Set... methods write to: the device's, or the state block
    // being recorded.
    PipelineState& target();
    StateBlock* recording() const { return recording_; }

    // ---- IUnknown ----
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // ---- IDirect3DDevice8 ----
    HRESULT STDMETHODCALLTYPE TestCooperativeLevel() override;
    UINT STDMETHODCALLTYPE GetAvailableTextureMem() override;
    HRESULT STDMETHODCALLTYPE ResourceManagerDiscardBytes(DWORD bytes) override;
    HRESULT STDMETHODCALLTYPE GetDirect3D(IDirect3D8** d3d) override;
    HRESULT STDMETHODCALLTYPE GetDeviceCaps(D3DCAPS8* caps) override;
    HRESULT STDMETHODCALLTYPE GetDisplayMode(D3DDISPLAYMODE* mode) override;
    HRESULT STDMETHODCALLTYPE GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* parameters) override;
    HRESULT STDMETHODCALLTYPE SetCursorProperties(UINT x, UINT y, IDirect3DSurface8* bitmap) override;
    void STDMETHODCALLTYPE SetCursorPosition(UINT x, UINT y, DWORD flags) override;
    BOOL STDMETHODCALLTYPE ShowCursor(BOOL show) override;
    HRESULT STDMETHODCALLTYPE CreateAdditionalSwapChain(D3DPRESENT_PARAMETERS* params,
                                                        IDirect3DSwapChain8** swapChain) override;
    HRESULT STDMETHODCALLTYPE Reset(D3DPRESENT_PARAMETERS* params) override;
    HRESULT STDMETHODCALLTYPE Present(const RECT* source, const RECT* dest, HWND window,
                                      const RGNDATA* dirty) override;
    HRESULT STDMETHODCALLTYPE GetBackBuffer(UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface8** surface) override;
    HRESULT STDMETHODCALLTYPE GetRasterStatus(D3DRASTER_STATUS* status) override;
    void STDMETHODCALLTYPE SetGammaRamp(DWORD flags, const D3DGAMMARAMP* ramp) override;
    void STDMETHODCALLTYPE GetGammaRamp(D3DGAMMARAMP* ramp) override;
    HRESULT STDMETHODCALLTYPE CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                                            D3DPOOL pool, IDirect3DTexture8** texture) override;
    HRESULT STDMETHODCALLTYPE CreateVolumeTexture(UINT width, UINT height, UINT depth, UINT levels, DWORD usage,
                                                  D3DFORMAT format, D3DPOOL pool,
                                                  IDirect3DVolumeTexture8** texture) override;
    HRESULT STDMETHODCALLTYPE CreateCubeTexture(UINT edge, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                                IDirect3DCubeTexture8** texture) override;
    HRESULT STDMETHODCALLTYPE CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                                 IDirect3DVertexBuffer8** buffer) override;
    HRESULT STDMETHODCALLTYPE CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                                IDirect3DIndexBuffer8** buffer) override;
    HRESULT STDMETHODCALLTYPE CreateRenderTarget(UINT width, UINT height, D3DFORMAT format,
                                                 D3DMULTISAMPLE_TYPE multiSample, BOOL lockable,
                                                 IDirect3DSurface8** surface) override;
    HRESULT STDMETHODCALLTYPE CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                                        D3DMULTISAMPLE_TYPE multiSample,
                                                        IDirect3DSurface8** surface) override;
    HRESULT STDMETHODCALLTYPE CreateImageSurface(UINT width, UINT height, D3DFORMAT format,
                                                 IDirect3DSurface8** surface) override;
    HRESULT STDMETHODCALLTYPE CopyRects(IDirect3DSurface8* source, const RECT* rects, UINT count,
                                        IDirect3DSurface8* destination, const POINT* points) override;
    HRESULT STDMETHODCALLTYPE UpdateTexture(IDirect3DBaseTexture8* source, IDirect3DBaseTexture8* destination) override;
    HRESULT STDMETHODCALLTYPE GetFrontBuffer(IDirect3DSurface8* destination) override;
    HRESULT STDMETHODCALLTYPE SetRenderTarget(IDirect3DSurface8* renderTarget, IDirect3DSurface8* depthStencil) override;
    HRESULT STDMETHODCALLTYPE GetRenderTarget(IDirect3DSurface8** renderTarget) override;
    HRESULT STDMETHODCALLTYPE GetDepthStencilSurface(IDirect3DSurface8** depthStencil) override;
    HRESULT STDMETHODCALLTYPE BeginScene() override;
    HRESULT STDMETHODCALLTYPE EndScene() override;
    HRESULT STDMETHODCALLTYPE Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                                    DWORD stencil) override;
    HRESULT STDMETHODCALLTYPE SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
    HRESULT STDMETHODCALLTYPE GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
    HRESULT STDMETHODCALLTYPE MultiplyTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
    HRESULT STDMETHODCALLTYPE SetViewport(const D3DVIEWPORT8* viewport) override;
    HRESULT STDMETHODCALLTYPE GetViewport(D3DVIEWPORT8* viewport) override;
    HRESULT STDMETHODCALLTYPE SetMaterial(const D3DMATERIAL8* material) override;
    HRESULT STDMETHODCALLTYPE GetMaterial(D3DMATERIAL8* material) override;
    HRESULT STDMETHODCALLTYPE SetLight(DWORD index, const D3DLIGHT8* light) override;
    HRESULT STDMETHODCALLTYPE GetLight(DWORD index, D3DLIGHT8* light) override;
    HRESULT STDMETHODCALLTYPE LightEnable(DWORD index, BOOL enable) override;
    HRESULT STDMETHODCALLTYPE GetLightEnable(DWORD index, BOOL* enable) override;
    HRESULT STDMETHODCALLTYPE SetClipPlane(DWORD index, const float* plane) override;
    HRESULT STDMETHODCALLTYPE GetClipPlane(DWORD index, float* plane) override;
    HRESULT STDMETHODCALLTYPE SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
    HRESULT STDMETHODCALLTYPE GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override;
    HRESULT STDMETHODCALLTYPE BeginStateBlock() override;
    HRESULT STDMETHODCALLTYPE EndStateBlock(DWORD* token) override;
    HRESULT STDMETHODCALLTYPE ApplyStateBlock(DWORD token) override;
    HRESULT STDMETHODCALLTYPE CaptureStateBlock(DWORD token) override;
    HRESULT STDMETHODCALLTYPE DeleteStateBlock(DWORD token) override;
    HRESULT STDMETHODCALLTYPE CreateStateBlock(D3DSTATEBLOCKTYPE type, DWORD* token) override;
    HRESULT STDMETHODCALLTYPE SetClipStatus(const D3DCLIPSTATUS8* status) override;
    HRESULT STDMETHODCALLTYPE GetClipStatus(D3DCLIPSTATUS8* status) override;
    HRESULT STDMETHODCALLTYPE GetTexture(DWORD stage, IDirect3DBaseTexture8** texture) override;
    HRESULT STDMETHODCALLTYPE SetTexture(DWORD stage, IDirect3DBaseTexture8* texture) override;
    HRESULT STDMETHODCALLTYPE GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) override;
    HRESULT STDMETHODCALLTYPE SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override;
    HRESULT STDMETHODCALLTYPE ValidateDevice(DWORD* passes) override;
    HRESULT STDMETHODCALLTYPE GetInfo(DWORD id, void* data, DWORD size) override;
    HRESULT STDMETHODCALLTYPE SetPaletteEntries(UINT palette, const PALETTEENTRY* entries) override;
    HRESULT STDMETHODCALLTYPE GetPaletteEntries(UINT palette, PALETTEENTRY* entries) override;
    HRESULT STDMETHODCALLTYPE SetCurrentTexturePalette(UINT palette) override;
    HRESULT STDMETHODCALLTYPE GetCurrentTexturePalette(UINT* palette) override;
    HRESULT STDMETHODCALLTYPE DrawPrimitive(D3DPRIMITIVETYPE type, UINT start, UINT count) override;
    HRESULT STDMETHODCALLTYPE DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertices, UINT start,
                                                   UINT count) override;
    HRESULT STDMETHODCALLTYPE DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT count, const void* data,
                                              UINT stride) override;
    HRESULT STDMETHODCALLTYPE DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertices, UINT count,
                                                     const void* indices, D3DFORMAT indexFormat, const void* data,
                                                     UINT stride) override;
    HRESULT STDMETHODCALLTYPE ProcessVertices(UINT source, UINT destination, UINT count,
                                              IDirect3DVertexBuffer8* buffer, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE CreateVertexShader(const DWORD* declaration, const DWORD* function, DWORD* handle,
                                                 DWORD usage) override;
    HRESULT STDMETHODCALLTYPE SetVertexShader(DWORD handle) override;
    HRESULT STDMETHODCALLTYPE GetVertexShader(DWORD* handle) override;
    HRESULT STDMETHODCALLTYPE DeleteVertexShader(DWORD handle) override;
    HRESULT STDMETHODCALLTYPE SetVertexShaderConstant(DWORD reg, const void* data, DWORD count) override;
    HRESULT STDMETHODCALLTYPE GetVertexShaderConstant(DWORD reg, void* data, DWORD count) override;
    HRESULT STDMETHODCALLTYPE GetVertexShaderDeclaration(DWORD handle, void* data, DWORD* size) override;
    HRESULT STDMETHODCALLTYPE GetVertexShaderFunction(DWORD handle, void* data, DWORD* size) override;
    HRESULT STDMETHODCALLTYPE SetStreamSource(UINT stream, IDirect3DVertexBuffer8* buffer, UINT stride) override;
    HRESULT STDMETHODCALLTYPE GetStreamSource(UINT stream, IDirect3DVertexBuffer8** buffer, UINT* stride) override;
    HRESULT STDMETHODCALLTYPE SetIndices(IDirect3DIndexBuffer8* buffer, UINT baseVertex) override;
    HRESULT STDMETHODCALLTYPE GetIndices(IDirect3DIndexBuffer8** buffer, UINT* baseVertex) override;
    HRESULT STDMETHODCALLTYPE CreatePixelShader(const DWORD* function, DWORD* handle) override;
    HRESULT STDMETHODCALLTYPE SetPixelShader(DWORD handle) override;
    HRESULT STDMETHODCALLTYPE GetPixelShader(DWORD* handle) override;
    HRESULT STDMETHODCALLTYPE DeletePixelShader(DWORD handle) override;
    HRESULT STDMETHODCALLTYPE SetPixelShaderConstant(DWORD reg, const void* data, DWORD count) override;
    HRESULT STDMETHODCALLTYPE GetPixelShaderConstant(DWORD reg, void* data, DWORD count) override;
    HRESULT STDMETHODCALLTYPE GetPixelShaderFunction(DWORD handle, void* data, DWORD* size) override;
    HRESULT STDMETHODCALLTYPE DrawRectPatch(UINT handle, const float* segments, const D3DRECTPATCH_INFO* info) override;
    HRESULT STDMETHODCALLTYPE DrawTriPatch(UINT handle, const float* segments, const D3DTRIPATCH_INFO* info) override;
    HRESULT STDMETHODCALLTYPE DeletePatch(UINT handle) override;

private:
    Device(IDirect3D8* d3d, D3DDEVTYPE type, HWND focusWindow, DWORD behaviour);
    HRESULT initialise(const D3DPRESENT_PARAMETERS& params);
    HRESULT createSwapBuffers(const D3DPRESENT_PARAMETERS& params);
    void releaseSwapBuffers();
    void showFullScreen(bool fullScreen, UINT presentationInterval);
    void resetStateToDefaults();
    void unbindEverything();
    void attachRenderTargets();
    void presentToFrontBuffer();
    HRESULT copyRect(Surface* source, const RECT& rect, Surface* destination, POINT at);

    ULONG refs_ = 1;
    IDirect3D8* d3d_;
    D3DDEVICE_CREATION_PARAMETERS creation_;
    D3DPRESENT_PARAMETERS params_{};
    gl::Context* context_ = nullptr;
    SDL_Window* window_ = nullptr;  // null for a headless device
    GlShadow gl_{};
    GLuint drawFbo_ = 0, readFbo_ = 0, copyFbo_ = 0;
    Surface* backBuffer_ = nullptr;   // owned; reference count is the device's
    Surface* autoDepth_ = nullptr;    // owned; null without EnableAutoDepthStencil
    Surface* renderTarget_ = nullptr; // bound (back buffer or a host surface)
    Surface* depthStencil_ = nullptr; // bound, may be null
    GLuint frontTexture_ = 0;         // the last presented image, for GetFrontBuffer
    UINT frontWidth_ = 0, frontHeight_ = 0;
    bool presentedOnce_ = false;

    PipelineState state_{};
    StateBlock* recording_ = nullptr;
    std::map<DWORD, StateBlock*> stateBlocks_;
    DWORD nextStateBlock_ = 1;
    std::unordered_map<DWORD, VertexShaderRecord> vertexShaders_;
    std::unordered_map<DWORD, std::vector<DWORD>> pixelShaders_;
    DWORD nextShader_ = 1;
    DrawCache* drawCache_ = nullptr;
    bool inScene_ = false;
    int liveDefaultResources_ = 0;
    int64_t videoBytes_ = 0;
    D3DGAMMARAMP gamma_{};
    bool cursorShown_ = false;
    SDL_Cursor* cursor_ = nullptr;  // from SetCursorProperties
    void applyCursor();
    friend struct StateBlock;
};

inline Device* deviceOf(IDirect3DDevice8* device) { return static_cast<Device*>(device); }

// Surfaces handed in by a host, as ours (null stays null).
inline Surface* surfaceOf(IDirect3DSurface8* surface) { return static_cast<Surface*>(surface); }

}  // namespace zep::d3d
