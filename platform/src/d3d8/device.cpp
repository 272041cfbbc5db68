// The device: creation, reference counting, the swap buffers, scenes,
// Clear, render targets, copies, Reset and the small device queries.
// States and shaders are in device_state.cpp, presentation in swapchain.cpp.

#include "d3d8/device.h"

#include "d3d8/caps.h"
#include "d3d8/format.h"
#include "d3d8/state_block.h"
#include "gl/gl_context.h"
#include "win32/window_handle.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace zep::d3d {

namespace {

bool isBackBufferFormat(D3DFORMAT format) {
    return format == D3DFMT_X8R8G8B8 || format == D3DFMT_A8R8G8B8 || format == D3DFMT_R5G6B5 ||
           format == D3DFMT_X1R5G5B5 || format == D3DFMT_A1R5G5B5;
}

RECT intersect(const RECT& a, const RECT& b) {
    RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
    if (r.right < r.left) r.right = r.left;
    if (r.bottom < r.top) r.bottom = r.top;
    return r;
}

bool isEmpty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

}  // namespace

// ---- Creation ----------------------------------------------------------------

Device::Device(IDirect3D8* d3d, D3DDEVTYPE type, HWND focusWindow, DWORD behaviour) : d3d_(d3d) {
    d3d_->AddRef();
    creation_.AdapterOrdinal = D3DADAPTER_DEFAULT;
    creation_.DeviceType = type;
    creation_.hFocusWindow = focusWindow;
    creation_.BehaviorFlags = behaviour;
    for (int i = 0; i < 256; ++i) {
        const WORD level = WORD(i * 257);
        gamma_.red[i] = gamma_.green[i] = gamma_.blue[i] = level;
    }
}

HRESULT Device::create(IDirect3D8* d3d, D3DDEVTYPE type, HWND focusWindow, DWORD behaviour,
                       D3DPRESENT_PARAMETERS* params, IDirect3DDevice8** result) {
    if (!result) return D3DERR_INVALIDCALL;
    *result = nullptr;
    if (!params) return D3DERR_INVALIDCALL;
    const DWORD vertexProcessing =
        behaviour & (D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_HARDWARE_VERTEXPROCESSING |
                     D3DCREATE_MIXED_VERTEXPROCESSING);
    // Exactly one kind of vertex processing, as Direct3D requires.
    if (vertexProcessing != D3DCREATE_SOFTWARE_VERTEXPROCESSING &&
        vertexProcessing != D3DCREATE_HARDWARE_VERTEXPROCESSING && vertexProcessing != D3DCREATE_MIXED_VERTEXPROCESSING)
        return D3DERR_INVALIDCALL;
    auto* device = new Device(d3d, type, focusWindow, behaviour);
    HRESULT hr = device->initialise(*params);
    if (FAILED(hr)) {
        device->Release();
        return hr;
    }
    *params = device->params_;
    *result = device;
    return D3D_OK;
}

HRESULT Device::initialise(const D3DPRESENT_PARAMETERS& requested) {
    D3DPRESENT_PARAMETERS params = requested;
    HWND windowHandle = params.hDeviceWindow ? params.hDeviceWindow : creation_.hFocusWindow;
    window_ = win32::windowFromHandle(windowHandle);
    if (params.BackBufferFormat == D3DFMT_UNKNOWN && params.Windowed) params.BackBufferFormat = D3DFMT_X8R8G8B8;
    if (!isBackBufferFormat(params.BackBufferFormat)) return D3DERR_INVALIDCALL;
    if (params.BackBufferCount > D3DPRESENT_BACK_BUFFERS_MAX) return D3DERR_INVALIDCALL;
    if (params.BackBufferCount == 0) params.BackBufferCount = 1;
    if (params.SwapEffect < D3DSWAPEFFECT_DISCARD || params.SwapEffect > D3DSWAPEFFECT_COPY_VSYNC)
        return D3DERR_INVALIDCALL;
    if (!isOfferedMultiSample(params.MultiSampleType)) return D3DERR_INVALIDCALL;
    if (params.EnableAutoDepthStencil && !isDepthFormat(params.AutoDepthStencilFormat)) return D3DERR_INVALIDCALL;

    if (window_) context_ = gl::createWindowContext(window_);
    if (!context_) context_ = gl::createHeadlessContext();
    if (!context_) return D3DERR_NOTAVAILABLE;
    if (!gl::isWindowContext(context_)) window_ = nullptr;  // nothing to present to

    initGlShadow(gl_);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glGenFramebuffers(1, &drawFbo_);
    glGenFramebuffers(1, &readFbo_);
    glGenFramebuffers(1, &copyFbo_);

    HRESULT hr = createSwapBuffers(params);
    if (FAILED(hr)) return hr;
    resetStateToDefaults();
    drawCache_ = createDrawCache();
    return D3D_OK;
}

HRESULT Device::createSwapBuffers(const D3DPRESENT_PARAMETERS& requested) {
    D3DPRESENT_PARAMETERS params = requested;
    if (params.BackBufferWidth == 0 || params.BackBufferHeight == 0) {
        int w = 0, h = 0;
        if (!params.Windowed || !window_ || !win32::clientSize(win32::handleFromWindow(window_), &w, &h) || w <= 0 ||
            h <= 0)
            return D3DERR_INVALIDCALL;
        if (params.BackBufferWidth == 0) params.BackBufferWidth = UINT(w);
        if (params.BackBufferHeight == 0) params.BackBufferHeight = UINT(h);
    }
    if (params.BackBufferWidth > 8192 || params.BackBufferHeight > 8192) return D3DERR_INVALIDCALL;
    if (window_) showFullScreen(!params.Windowed, params.FullScreen_PresentationInterval);

    D3DSURFACE_DESC desc{};
    desc.Format = params.BackBufferFormat;
    desc.Type = D3DRTYPE_SURFACE;
    desc.Usage = D3DUSAGE_RENDERTARGET;
    desc.Pool = D3DPOOL_DEFAULT;
    desc.Width = params.BackBufferWidth;
    desc.Height = params.BackBufferHeight;
    desc.Size = rowPitch(desc.Format, desc.Width) * desc.Height;
    desc.MultiSampleType = params.MultiSampleType;
    backBuffer_ = new Surface(this, SurfaceRole::RenderTarget, desc, this, false);
    if (params.EnableAutoDepthStencil) {
        D3DSURFACE_DESC depth = desc;
        depth.Format = params.AutoDepthStencilFormat;
        depth.Usage = D3DUSAGE_DEPTHSTENCIL;
        depth.MultiSampleType = params.MultiSampleType;
        depth.Size = rowPitch(depth.Format, depth.Width) * depth.Height;
        autoDepth_ = new Surface(this, SurfaceRole::DepthStencil, depth, this, false);
    }
    renderTarget_ = backBuffer_;
    depthStencil_ = autoDepth_;

    // The front buffer: what Present showed last, for GetFrontBuffer.
    const FormatInfo& info = formatInfo(desc.Format);
    glGenTextures(1, &frontTexture_);
    glActiveTexture(GL_TEXTURE15);
    glBindTexture(GL_TEXTURE_2D, frontTexture_);
    glTexImage2D(GL_TEXTURE_2D, 0, GLint(info.internalFormat), GLsizei(desc.Width), GLsizei(desc.Height), 0,
                 info.uploadFormat, info.uploadType, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glActiveTexture(GL_TEXTURE0);
    frontWidth_ = desc.Width;
    frontHeight_ = desc.Height;
    presentedOnce_ = false;

    params_ = params;
    attachRenderTargets();

    // Start from black everywhere, depth 1, stencil 0.
    setDrawFramebuffer(gl_, copyFbo_);
    glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, frontTexture_, 0);
    setScissor(gl_, false);
    setColorMask(gl_, true, true, true, true);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    setDrawFramebuffer(gl_, drawFbo_);
    setDepthMask(gl_, true);
    setStencilWriteMask(gl_, 0xFF);
    glClearDepth(1.0);
    glClearStencil(0);
    glClear(GL_COLOR_BUFFER_BIT | (autoDepth_ ? GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT : 0));
    return D3D_OK;
}

// Full screen is the desktop's mode with the window covering it: Present
// scales the back buffer to it, so no display mode ever changes.
void Device::showFullScreen(bool fullScreen, UINT presentationInterval) {
    const bool isFullScreen = (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN) != 0;
    if (fullScreen != isFullScreen) SDL_SetWindowFullscreen(window_, fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    // Windowed presents never wait; full-screen ones wait for the vertical
    // blank unless asked to present immediately.
    SDL_GL_SetSwapInterval(fullScreen && presentationInterval != D3DPRESENT_INTERVAL_IMMEDIATE ? 1 : 0);
}

void Device::releaseSwapBuffers() {
    if (renderTarget_ && renderTarget_ != backBuffer_) renderTarget_->unbind();
    if (depthStencil_ && depthStencil_ != autoDepth_) depthStencil_->unbind();
    renderTarget_ = nullptr;
    depthStencil_ = nullptr;
    delete backBuffer_;
    delete autoDepth_;
    backBuffer_ = nullptr;
    autoDepth_ = nullptr;
    if (frontTexture_) glDeleteTextures(1, &frontTexture_);
    frontTexture_ = 0;
}

void Device::attachRenderTargets() {
    setDrawFramebuffer(gl_, drawFbo_);
    if (renderTarget_ && renderTarget_->multisampled()) {
        glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
        glFramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                                  renderTarget_->glMultisampleRenderbuffer());
    } else {
        glFramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, 0);
        glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D,
                               renderTarget_ ? renderTarget_->glTexture() : 0,
                               renderTarget_ ? renderTarget_->glLevel() : 0);
    }
    GLuint depth = depthStencil_ ? depthStencil_->glRenderbuffer() : 0;
    const bool stencil = depthStencil_ && formatInfo(depthStencil_->desc().Format).stencilBits > 0;
    glFramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth);
    glFramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, GL_STENCIL_ATTACHMENT, GL_RENDERBUFFER, stencil ? depth : 0);
    const GLenum status = glCheckFramebufferStatus(GL_DRAW_FRAMEBUFFER);
    if (status != GL_FRAMEBUFFER_COMPLETE)
        std::fprintf(stderr, "zep: render-target framebuffer incomplete (0x%04X)\n", unsigned(status));
}

Device::~Device() {
    if (context_) {
        makeCurrent();
        unbindEverything();
        for (auto& [token, block] : stateBlocks_) {
            block->releaseBindings();
            delete block;
        }
        stateBlocks_.clear();
        if (recording_) {
            recording_->releaseBindings();
            delete recording_;
            recording_ = nullptr;
        }
        if (drawCache_) destroyDrawCache(drawCache_);
        releaseSwapBuffers();
        glDeleteFramebuffers(1, &drawFbo_);
        glDeleteFramebuffers(1, &readFbo_);
        glDeleteFramebuffers(1, &copyFbo_);
        destroyGlShadow(gl_);
        gl::destroyContext(context_);
    }
    if (cursor_) SDL_FreeCursor(cursor_);
    d3d_->Release();
}

void Device::unbindEverything() {
    for (DWORD stage = 0; stage < kMaxTextureStages; ++stage) bindTexture(stage, nullptr);
    for (UINT stream = 0; stream < kMaxStreams; ++stream) bindStream(stream, nullptr, 0);
    bindIndices(nullptr, 0);
}

bool Device::makeCurrent() { return gl::makeCurrent(context_); }

// ---- IUnknown ----------------------------------------------------------------

HRESULT Device::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDirect3DDevice8)) {
        AddRef();
        *object = static_cast<IDirect3DDevice8*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG Device::AddRef() { return ++refs_; }

ULONG Device::Release() {
    if (refs_ == 0) return 0;
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
}

// ---- Small queries -------------------------------------------------------------

HRESULT Device::TestCooperativeLevel() { return D3D_OK; }

UINT Device::GetAvailableTextureMem() {
    // What the driver reports when it can (GL_NVX_gpu_memory_info,
    // GL_ATI_meminfo: already net of what we hold); otherwise a card of 256
    // MB less what our resources hold. Rounded down to a megabyte as drivers do.
    GLint kilobytes[4] = {0, 0, 0, 0};
    makeCurrent();
    if (epoxy_has_gl_extension("GL_NVX_gpu_memory_info")) {
        glGetIntegerv(0x9049 /* GPU_MEMORY_INFO_CURRENT_AVAILABLE_VIDMEM_NVX */, kilobytes);
    } else if (epoxy_has_gl_extension("GL_ATI_meminfo")) {
        glGetIntegerv(0x87FC /* TEXTURE_FREE_MEMORY_ATI */, kilobytes);
    }
    int64_t bytes = kilobytes[0] > 0 ? int64_t(kilobytes[0]) * 1024 : (int64_t(256) << 20) - videoBytes_;
    bytes = std::clamp<int64_t>(bytes, 0, 0x7FF00000);
    return UINT(bytes & ~int64_t(0xFFFFF));
}

HRESULT Device::ResourceManagerDiscardBytes(DWORD) {
    // Managed resources keep their CPU copies; their GL objects are uploaded
    // again only when dirty, so there is nothing to evict.
    return D3D_OK;
}

HRESULT Device::GetDirect3D(IDirect3D8** d3d) {
    if (!d3d) return D3DERR_INVALIDCALL;
    d3d_->AddRef();
    *d3d = d3d_;
    return D3D_OK;
}

HRESULT Device::GetDeviceCaps(D3DCAPS8* caps) {
    if (!caps) return D3DERR_INVALIDCALL;
    fillDeviceCaps(creation_.DeviceType, caps);
    return D3D_OK;
}

HRESULT Device::GetDisplayMode(D3DDISPLAYMODE* mode) {
    if (!mode) return D3DERR_INVALIDCALL;
    return d3d_->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, mode);
}

HRESULT Device::GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* parameters) {
    if (!parameters) return D3DERR_INVALIDCALL;
    *parameters = creation_;
    return D3D_OK;
}

// The device cursor: an A8R8G8B8 image of at most 32 x 32 with its hot spot,
// shown in place of the system cursor while the device is full screen.
HRESULT Device::SetCursorProperties(UINT hotX, UINT hotY, IDirect3DSurface8* bitmap) {
    Surface* image = surfaceOf(bitmap);
    if (!image || image->desc().Format != D3DFMT_A8R8G8B8 || image->multisampled() ||
        image->role() == SurfaceRole::DepthStencil)
        return D3DERR_INVALIDCALL;
    const D3DSURFACE_DESC& desc = image->desc();
    if (desc.Width > 32 || desc.Height > 32 || hotX >= desc.Width || hotY >= desc.Height) return D3DERR_INVALIDCALL;
    makeCurrent();
    image->readBack(RECT{0, 0, LONG(desc.Width), LONG(desc.Height)});
    SDL_Cursor* cursor = nullptr;
    if (SDL_WasInit(SDL_INIT_VIDEO)) {
        SDL_Surface* pixels = SDL_CreateRGBSurfaceWithFormatFrom(image->cpuBytes(), int(desc.Width), int(desc.Height),
                                                                 32, int(image->pitch()), SDL_PIXELFORMAT_ARGB8888);
        if (pixels) {
            cursor = SDL_CreateColorCursor(pixels, int(hotX), int(hotY));
            SDL_FreeSurface(pixels);
        }
    }
    if (cursor_) SDL_FreeCursor(cursor_);
    cursor_ = cursor;
    applyCursor();
    return D3D_OK;
}

void Device::applyCursor() {
    if (!window_ || params_.Windowed || !cursor_) return;
    if (cursorShown_) SDL_SetCursor(cursor_);
    SDL_ShowCursor(cursorShown_ ? SDL_ENABLE : SDL_DISABLE);
}

void Device::SetCursorPosition(UINT x, UINT y, DWORD) {
    if (window_) SDL_WarpMouseInWindow(window_, int(x), int(y));
}

BOOL Device::ShowCursor(BOOL show) {
    const BOOL previous = cursorShown_;
    cursorShown_ = show != FALSE;
    applyCursor();
    return previous;
}

HRESULT Device::CreateAdditionalSwapChain(D3DPRESENT_PARAMETERS*, IDirect3DSwapChain8** swapChain) {
    // Not implemented: Present with a target window covers the engine's use.
    if (swapChain) *swapChain = nullptr;
    return D3DERR_INVALIDCALL;
}

HRESULT Device::GetRasterStatus(D3DRASTER_STATUS* status) {
    if (!status) return D3DERR_INVALIDCALL;
    status->InVBlank = TRUE;
    status->ScanLine = 0;
    return D3D_OK;
}

void Device::SetGammaRamp(DWORD, const D3DGAMMARAMP* ramp) {
    // Kept for GetGammaRamp; windowed devices do not change the display's ramp.
    if (ramp) gamma_ = *ramp;
}

void Device::GetGammaRamp(D3DGAMMARAMP* ramp) {
    if (ramp) *ramp = gamma_;
}

// ---- Scene and Clear -------------------------------------------------------------

HRESULT Device::BeginScene() {
    if (inScene_) return D3DERR_INVALIDCALL;
    inScene_ = true;
    return D3D_OK;
}

HRESULT Device::EndScene() {
    if (!inScene_) return D3DERR_INVALIDCALL;
    inScene_ = false;
    return D3D_OK;
}

HRESULT Device::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil) {
    if (count > 0 && !rects) return D3DERR_INVALIDCALL;
    if (flags & ~DWORD(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) return D3DERR_INVALIDCALL;
    if ((flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) && !depthStencil_) return D3DERR_INVALIDCALL;
    if ((flags & D3DCLEAR_STENCIL) && formatInfo(depthStencil_->desc().Format).stencilBits == 0)
        return D3DERR_INVALIDCALL;
    if (flags == 0) return D3D_OK;
    makeCurrent();

    GLbitfield mask = 0;
    if (flags & D3DCLEAR_TARGET) {
        setColorMask(gl_, true, true, true, true);
        glClearColor(float((color >> 16) & 0xFF) / 255.0f, float((color >> 8) & 0xFF) / 255.0f,
                     float(color & 0xFF) / 255.0f, float(color >> 24) / 255.0f);
        mask |= GL_COLOR_BUFFER_BIT;
    }
    if (flags & D3DCLEAR_ZBUFFER) {
        setDepthMask(gl_, true);
        glClearDepth(std::clamp(z, 0.0f, 1.0f));
        mask |= GL_DEPTH_BUFFER_BIT;
    }
    if (flags & D3DCLEAR_STENCIL) {
        setStencilWriteMask(gl_, 0xFFFFFFFFu);
        glClearStencil(GLint(stencil));
        mask |= GL_STENCIL_BUFFER_BIT;
    }
    setDrawFramebuffer(gl_, drawFbo_);

    // Clears never reach outside the viewport.
    const D3DVIEWPORT8& vp = state_.viewport;
    const RECT viewport{LONG(vp.X), LONG(vp.Y), LONG(vp.X + vp.Width), LONG(vp.Y + vp.Height)};
    const RECT bounds{0, 0, LONG(renderTarget_->desc().Width), LONG(renderTarget_->desc().Height)};
    const RECT limit = intersect(viewport, bounds);
    auto clearRect = [&](const RECT& r) {
        const RECT clipped = intersect(r, limit);
        if (isEmpty(clipped)) return;
        setScissor(gl_, true, clipped.left, clipped.top, clipped.right - clipped.left, clipped.bottom - clipped.top);
        glClear(mask);
    };
    if (count == 0) {
        clearRect(limit);
    } else {
        for (DWORD i = 0; i < count; ++i) clearRect(RECT{rects[i].x1, rects[i].y1, rects[i].x2, rects[i].y2});
    }
    return D3D_OK;
}

// ---- Render targets ----------------------------------------------------------------

HRESULT Device::GetBackBuffer(UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface8** surface) {
    if (!surface) return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (index >= params_.BackBufferCount || type != D3DBACKBUFFER_TYPE_MONO) return D3DERR_INVALIDCALL;
    backBuffer_->AddRef();
    *surface = backBuffer_;
    return D3D_OK;
}

HRESULT Device::SetRenderTarget(IDirect3DSurface8* renderTarget, IDirect3DSurface8* depthStencil) {
    Surface* target = renderTarget ? surfaceOf(renderTarget) : renderTarget_;
    Surface* depth = surfaceOf(depthStencil);
    if (target->role() != SurfaceRole::RenderTarget) return D3DERR_INVALIDCALL;
    if (depth) {
        if (depth->role() != SurfaceRole::DepthStencil) return D3DERR_INVALIDCALL;
        if (depth->desc().Width < target->desc().Width || depth->desc().Height < target->desc().Height ||
            depth->desc().MultiSampleType != target->desc().MultiSampleType)
            return D3DERR_INVALIDCALL;
    }
    makeCurrent();
    if (target != renderTarget_) {
        target->bind();
        if (renderTarget_ != backBuffer_) renderTarget_->unbind();
        renderTarget_ = target;
    }
    if (depth != depthStencil_) {
        if (depth && depth != autoDepth_) depth->bind();
        if (depthStencil_ && depthStencil_ != autoDepth_) depthStencil_->unbind();
        depthStencil_ = depth;
    }
    attachRenderTargets();
    // A new render target brings a viewport of its own size.
    state_.viewport = D3DVIEWPORT8{0, 0, target->desc().Width, target->desc().Height, 0.0f, 1.0f};
    return D3D_OK;
}

HRESULT Device::GetRenderTarget(IDirect3DSurface8** renderTarget) {
    if (!renderTarget) return D3DERR_INVALIDCALL;
    renderTarget_->AddRef();
    *renderTarget = renderTarget_;
    return D3D_OK;
}

HRESULT Device::GetDepthStencilSurface(IDirect3DSurface8** depthStencil) {
    if (!depthStencil) return D3DERR_INVALIDCALL;
    *depthStencil = depthStencil_;
    if (!depthStencil_) return D3DERR_NOTFOUND;
    depthStencil_->AddRef();
    return D3D_OK;
}

// ---- Resource creation ---------------------------------------------------------------

HRESULT Device::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                              IDirect3DTexture8** texture) {
    if (!texture) return D3DERR_INVALIDCALL;
    *texture = nullptr;
    const FormatInfo& info = formatInfo(format);
    if (width == 0 || height == 0 || width > 4096 || height > 4096 || !info.texture) return D3DERR_INVALIDCALL;
    if (pool != D3DPOOL_DEFAULT && pool != D3DPOOL_MANAGED && pool != D3DPOOL_SYSTEMMEM) return D3DERR_INVALIDCALL;
    if (usage & D3DUSAGE_RENDERTARGET) {
        if (pool != D3DPOOL_DEFAULT || !info.renderTarget) return D3DERR_INVALIDCALL;
    }
    if (usage & D3DUSAGE_DEPTHSTENCIL) return D3DERR_INVALIDCALL;
    const UINT full = fullMipCount(width, height);
    if (levels == 0 || levels > full) levels = full;
    makeCurrent();
    *texture = new Texture(this, width, height, levels, usage, format, pool);
    return D3D_OK;
}

HRESULT Device::CreateVolumeTexture(UINT width, UINT height, UINT depth, UINT levels, DWORD usage, D3DFORMAT format,
                                    D3DPOOL pool, IDirect3DVolumeTexture8** texture) {
    if (!texture) return D3DERR_INVALIDCALL;
    *texture = nullptr;
    const FormatInfo& info = formatInfo(format);
    if (width == 0 || height == 0 || depth == 0 || width > 512 || height > 512 || depth > 512 || !info.texture)
        return D3DERR_INVALIDCALL;
    if (usage & (D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL)) return D3DERR_INVALIDCALL;
    if (pool != D3DPOOL_DEFAULT && pool != D3DPOOL_MANAGED && pool != D3DPOOL_SYSTEMMEM) return D3DERR_INVALIDCALL;
    const UINT full = fullMipCount(width, height, depth);
    if (levels == 0 || levels > full) levels = full;
    makeCurrent();
    *texture = new VolumeTexture(this, width, height, depth, levels, usage, format, pool);
    return D3D_OK;
}

HRESULT Device::CreateCubeTexture(UINT, UINT, DWORD, D3DFORMAT, D3DPOOL, IDirect3DCubeTexture8** texture) {
    // Not implemented: the caps do not offer cube maps.
    if (texture) *texture = nullptr;
    return D3DERR_INVALIDCALL;
}

HRESULT Device::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                   IDirect3DVertexBuffer8** buffer) {
    if (!buffer) return D3DERR_INVALIDCALL;
    *buffer = nullptr;
    if (length == 0 || (pool != D3DPOOL_DEFAULT && pool != D3DPOOL_MANAGED && pool != D3DPOOL_SYSTEMMEM))
        return D3DERR_INVALIDCALL;
    makeCurrent();
    *buffer = new VertexBuffer(this, length, usage, fvf, pool);
    return D3D_OK;
}

HRESULT Device::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                  IDirect3DIndexBuffer8** buffer) {
    if (!buffer) return D3DERR_INVALIDCALL;
    *buffer = nullptr;
    if (length == 0 || (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32)) return D3DERR_INVALIDCALL;
    if (pool != D3DPOOL_DEFAULT && pool != D3DPOOL_MANAGED && pool != D3DPOOL_SYSTEMMEM) return D3DERR_INVALIDCALL;
    makeCurrent();
    *buffer = new IndexBuffer(this, length, usage, format, pool);
    return D3D_OK;
}

HRESULT Device::CreateRenderTarget(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                                   BOOL lockable, IDirect3DSurface8** surface) {
    if (!surface) return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (width == 0 || height == 0 || width > 8192 || height > 8192 || !formatInfo(format).renderTarget ||
        !isOfferedMultiSample(multiSample))
        return D3DERR_INVALIDCALL;
    // Direct3D 8 never locks a multisampled surface.
    if (lockable && multiSample != D3DMULTISAMPLE_NONE) return D3DERR_INVALIDCALL;
    D3DSURFACE_DESC desc{format, D3DRTYPE_SURFACE, D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT,
                         rowPitch(format, width) * height, multiSample, width, height};
    makeCurrent();
    *surface = new Surface(this, SurfaceRole::RenderTarget, desc, nullptr, true);
    return D3D_OK;
}

HRESULT Device::CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                                          IDirect3DSurface8** surface) {
    if (!surface) return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (width == 0 || height == 0 || width > 8192 || height > 8192 || !isDepthFormat(format) ||
        !isOfferedMultiSample(multiSample))
        return D3DERR_INVALIDCALL;
    D3DSURFACE_DESC desc{format, D3DRTYPE_SURFACE, D3DUSAGE_DEPTHSTENCIL, D3DPOOL_DEFAULT,
                         rowPitch(format, width) * height, multiSample, width, height};
    makeCurrent();
    *surface = new Surface(this, SurfaceRole::DepthStencil, desc, nullptr, true);
    return D3D_OK;
}

HRESULT Device::CreateImageSurface(UINT width, UINT height, D3DFORMAT format, IDirect3DSurface8** surface) {
    if (!surface) return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (width == 0 || height == 0 || width > 8192 || height > 8192 || !formatInfo(format).texture)
        return D3DERR_INVALIDCALL;
    D3DSURFACE_DESC desc{format, D3DRTYPE_SURFACE, 0, D3DPOOL_SYSTEMMEM, rowPitch(format, width) * height,
                         D3DMULTISAMPLE_NONE, width, height};
    *surface = new Surface(this, SurfaceRole::Image, desc, nullptr, false);
    return D3D_OK;
}

// ---- Copies ---------------------------------------------------------------------------

HRESULT Device::copyRect(Surface* source, const RECT& rect, Surface* destination, POINT at) {
    const D3DSURFACE_DESC& sd = source->desc();
    const D3DSURFACE_DESC& dd = destination->desc();
    if (rect.left < 0 || rect.top < 0 || rect.right > LONG(sd.Width) || rect.bottom > LONG(sd.Height) ||
        isEmpty(rect))
        return D3DERR_INVALIDCALL;
    const LONG w = rect.right - rect.left, h = rect.bottom - rect.top;
    if (at.x < 0 || at.y < 0 || at.x + w > LONG(dd.Width) || at.y + h > LONG(dd.Height)) return D3DERR_INVALIDCALL;
    const RECT target{at.x, at.y, at.x + w, at.y + h};
    const FormatInfo& info = formatInfo(sd.Format);
    const bool sourceGl = source->role() == SurfaceRole::RenderTarget;
    const bool destinationGl = destination->role() == SurfaceRole::RenderTarget;
    if (destination->multisampled()) return D3DERR_INVALIDCALL;
    source->resolve();

    if (sourceGl && destinationGl) {
        glBindFramebuffer(GL_READ_FRAMEBUFFER, readFbo_);
        glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, source->glTexture(),
                               source->glLevel());
        setDrawFramebuffer(gl_, copyFbo_);
        glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, destination->glTexture(),
                               destination->glLevel());
        setScissor(gl_, false);
        glBlitFramebuffer(rect.left, rect.top, rect.right, rect.bottom, target.left, target.top, target.right,
                          target.bottom, GL_COLOR_BUFFER_BIT, GL_NEAREST);
        return D3D_OK;
    }
    // One side is a CPU copy: read GL into it, or write it into the other.
    if (sourceGl) source->readBack(rect);
    const BYTE* from = source->cpuBytes() + size_t(rect.top) * source->pitch() + size_t(rect.left) * info.bytesPerPixel;
    BYTE* to = destination->cpuBytes() + size_t(target.top) * destination->pitch() +
               size_t(target.left) * info.bytesPerPixel;
    for (LONG row = 0; row < h; ++row)
        std::memcpy(to + size_t(row) * destination->pitch(), from + size_t(row) * source->pitch(),
                    size_t(w) * info.bytesPerPixel);
    destination->cpuRectChanged(target);
    return D3D_OK;
}

HRESULT Device::CopyRects(IDirect3DSurface8* sourceSurface, const RECT* rects, UINT count,
                          IDirect3DSurface8* destinationSurface, const POINT* points) {
    Surface* source = surfaceOf(sourceSurface);
    Surface* destination = surfaceOf(destinationSurface);
    if (!source || !destination || source == destination) return D3DERR_INVALIDCALL;
    if (source->desc().Format != destination->desc().Format) return D3DERR_INVALIDCALL;
    if (source->role() == SurfaceRole::DepthStencil || destination->role() == SurfaceRole::DepthStencil)
        return D3DERR_INVALIDCALL;
    makeCurrent();
    if (!rects || count == 0) {
        const RECT whole{0, 0, LONG(source->desc().Width), LONG(source->desc().Height)};
        return copyRect(source, whole, destination, points ? points[0] : POINT{0, 0});
    }
    for (UINT i = 0; i < count; ++i) {
        const POINT at = points ? points[i] : POINT{rects[i].left, rects[i].top};
        HRESULT hr = copyRect(source, rects[i], destination, at);
        if (FAILED(hr)) return hr;
    }
    return D3D_OK;
}

HRESULT Device::UpdateTexture(IDirect3DBaseTexture8* source, IDirect3DBaseTexture8* destination) {
    if (!source || !destination || source->GetType() != D3DRTYPE_TEXTURE ||
        destination->GetType() != D3DRTYPE_TEXTURE)
        return D3DERR_INVALIDCALL;
    auto* from = static_cast<Texture*>(static_cast<IDirect3DTexture8*>(source));
    auto* to = static_cast<Texture*>(static_cast<IDirect3DTexture8*>(destination));
    if (from->GetLevelCount() != to->GetLevelCount()) return D3DERR_INVALIDCALL;
    for (UINT level = 0; level < from->GetLevelCount(); ++level) {
        HRESULT hr = CopyRects(from->level(level), nullptr, 0, to->level(level), nullptr);
        if (FAILED(hr)) return hr;
    }
    return D3D_OK;
}

// ---- Reset ------------------------------------------------------------------------------

HRESULT Device::Reset(D3DPRESENT_PARAMETERS* params) {
    if (!params) return D3DERR_INVALIDCALL;
    // Default-pool resources of the host must be gone first.
    if (liveDefaultResources_ > 0) return D3DERR_INVALIDCALL;
    D3DPRESENT_PARAMETERS next = *params;
    if (next.BackBufferFormat == D3DFMT_UNKNOWN && next.Windowed) next.BackBufferFormat = D3DFMT_X8R8G8B8;
    if (!isBackBufferFormat(next.BackBufferFormat) || !isOfferedMultiSample(next.MultiSampleType) ||
        next.BackBufferCount > D3DPRESENT_BACK_BUFFERS_MAX ||
        (next.EnableAutoDepthStencil && !isDepthFormat(next.AutoDepthStencilFormat)))
        return D3DERR_INVALIDCALL;
    if (next.BackBufferCount == 0) next.BackBufferCount = 1;
    if ((next.BackBufferWidth == 0 || next.BackBufferHeight == 0) && !window_) return D3DERR_INVALIDCALL;
    makeCurrent();
    if (recording_) {
        recording_->releaseBindings();
        delete recording_;
        recording_ = nullptr;
    }
    unbindEverything();
    releaseSwapBuffers();
    HRESULT hr = createSwapBuffers(next);
    if (FAILED(hr)) {
        // Keep a usable device at the previous size.
        createSwapBuffers(params_);
        resetStateToDefaults();
        return hr;
    }
    resetStateToDefaults();
    inScene_ = false;
    *params = params_;
    return D3D_OK;
}

// ---- Not offered ---------------------------------------------------------------------

HRESULT Device::ValidateDevice(DWORD* passes) {
    if (passes) *passes = 1;
    return D3D_OK;
}

HRESULT Device::GetInfo(DWORD, void*, DWORD) {
    // Not implemented: no device statistics are kept.
    return S_FALSE;
}

HRESULT Device::SetPaletteEntries(UINT, const PALETTEENTRY*) {
    // Not implemented: palettised formats are not offered.
    return D3DERR_INVALIDCALL;
}

HRESULT Device::GetPaletteEntries(UINT, PALETTEENTRY*) {
    // Not implemented: palettised formats are not offered.
    return D3DERR_INVALIDCALL;
}

HRESULT Device::SetCurrentTexturePalette(UINT) {
    // Not implemented: palettised formats are not offered.
    return D3DERR_INVALIDCALL;
}

HRESULT Device::GetCurrentTexturePalette(UINT*) {
    // Not implemented: palettised formats are not offered.
    return D3DERR_INVALIDCALL;
}

HRESULT Device::ProcessVertices(UINT, UINT, UINT, IDirect3DVertexBuffer8*, DWORD) {
    // Not implemented: vertices are processed only while drawing.
    return D3DERR_INVALIDCALL;
}

HRESULT Device::DrawRectPatch(UINT, const float*, const D3DRECTPATCH_INFO*) {
    // Not implemented: the caps offer no patches.
    return D3DERR_INVALIDCALL;
}

HRESULT Device::DrawTriPatch(UINT, const float*, const D3DTRIPATCH_INFO*) {
    // Not implemented: the caps offer no patches.
    return D3DERR_INVALIDCALL;
}

HRESULT Device::DeletePatch(UINT) {
    // Not implemented: the caps offer no patches.
    return D3DERR_INVALIDCALL;
}

HRESULT Device::SetClipStatus(const D3DCLIPSTATUS8* status) { return status ? D3D_OK : D3DERR_INVALIDCALL; }

HRESULT Device::GetClipStatus(D3DCLIPSTATUS8* status) {
    if (!status) return D3DERR_INVALIDCALL;
    status->ClipUnion = 0;
    status->ClipIntersection = 0xFFFFFFFFu;
    return D3D_OK;
}

}  // namespace zep::d3d
