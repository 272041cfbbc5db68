// Presentation: Present copies the back buffer (or a source rectangle of it)
// to the target window, turned the window's way up, and keeps a copy as the
// front buffer for GetFrontBuffer.

#include "d3d8/device.h"

#include "d3d8/format.h"
#include "gl/gl_context.h"
#include "win32/window_handle.h"

#include <algorithm>
#include <cstring>

namespace zep::d3d {

void Device::presentToFrontBuffer() {
    backBuffer_->resolve();
    glBindFramebuffer(GL_READ_FRAMEBUFFER, readFbo_);
    glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, backBuffer_->glTexture(), 0);
    setDrawFramebuffer(gl_, copyFbo_);
    glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, frontTexture_, 0);
    setScissor(gl_, false);
    const GLint w = GLint(frontWidth_), h = GLint(frontHeight_);
    glBlitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    presentedOnce_ = true;
}

HRESULT Device::Present(const RECT* source, const RECT* dest, HWND windowOverride, const RGNDATA*) {
    makeCurrent();
    const UINT bw = backBuffer_->desc().Width, bh = backBuffer_->desc().Height;
    RECT from = source ? *source : RECT{0, 0, LONG(bw), LONG(bh)};
    if (from.left < 0 || from.top < 0 || from.right > LONG(bw) || from.bottom > LONG(bh) || from.left >= from.right ||
        from.top >= from.bottom)
        return D3DERR_INVALIDCALL;
    presentToFrontBuffer();
    if (!window_) return D3D_OK;  // headless: the front buffer is all there is

    SDL_Window* target = windowOverride ? win32::windowFromHandle(windowOverride) : window_;
    if (!target) return D3DERR_INVALIDCALL;
    if (target != window_ && !gl::bindToWindow(context_, target)) return D3DERR_INVALIDCALL;
    int ww = 0, wh = 0;
    SDL_GL_GetDrawableSize(target, &ww, &wh);
    RECT to = dest ? *dest : RECT{0, 0, ww, wh};
    glBindFramebuffer(GL_READ_FRAMEBUFFER, readFbo_);
    glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, backBuffer_->glTexture(), 0);
    setDrawFramebuffer(gl_, 0);
    setScissor(gl_, false);
    setColorMask(gl_, true, true, true, true);
    // Row 0 of the back buffer is the top of the image; the window's row 0
    // is its bottom.
    const GLenum filter = (to.right - to.left == from.right - from.left && to.bottom - to.top == from.bottom - from.top)
                              ? GL_NEAREST
                              : GL_LINEAR;
    glBlitFramebuffer(from.left, from.top, from.right, from.bottom, to.left, wh - to.top, to.right, wh - to.bottom,
                      GL_COLOR_BUFFER_BIT, filter);
    gl::swapWindow(context_);
    if (target != window_) gl::bindToWindow(context_, window_);
    return D3D_OK;
}

HRESULT Device::GetFrontBuffer(IDirect3DSurface8* destinationSurface) {
    Surface* destination = surfaceOf(destinationSurface);
    if (!destination || destination->desc().Format != D3DFMT_A8R8G8B8 ||
        destination->role() == SurfaceRole::DepthStencil || destination->multisampled())
        return D3DERR_INVALIDCALL;
    const D3DSURFACE_DESC& desc = destination->desc();
    if (desc.Width < frontWidth_ || desc.Height < frontHeight_) return D3DERR_INVALIDCALL;
    // A windowed front buffer is the screen: the image lies where the window
    // is (a screen-sized surface gets it there), the rest is black. Headless
    // and full-screen images start at the top-left corner.
    int x = 0, y = 0;
    if (window_ && params_.Windowed) SDL_GetWindowPosition(window_, &x, &y);
    const LONG left = std::clamp<LONG>(x, 0, LONG(desc.Width - frontWidth_));
    const LONG top = std::clamp<LONG>(y, 0, LONG(desc.Height - frontHeight_));
    makeCurrent();
    BYTE* bytes = destination->cpuBytes();
    std::memset(bytes, 0, size_t(destination->pitch()) * desc.Height);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, readFbo_);
    glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, frontTexture_, 0);
    glPixelStorei(GL_PACK_ROW_LENGTH, GLint(desc.Width));
    // Read as A8R8G8B8 whatever the back-buffer format: GL converts, and
    // formats without alpha read back opaque.
    glReadPixels(0, 0, GLsizei(frontWidth_), GLsizei(frontHeight_), GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
                 bytes + size_t(top) * destination->pitch() + size_t(left) * 4);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    destination->cpuRectChanged(RECT{0, 0, LONG(desc.Width), LONG(desc.Height)});
    return D3D_OK;
}

}  // namespace zep::d3d
