// Surfaces: image surfaces (CPU only), texture levels (CPU copy, uploaded at
// draw time), render targets and the back buffer (GL holds the contents; a
// lock reads them back and an unlock writes them again) and depth-stencil
// surfaces (GL renderbuffers).

#include "d3d8/device.h"

#include "d3d8/format.h"
#include "d3d8/resources.h"

namespace zep::d3d {

namespace {

// Texture uploads go through unit 15, which no texture stage uses, so they
// never change what the draw path bound for stages 0..7.
constexpr GLenum kUploadUnit = GL_TEXTURE15;

}  // namespace

void withUploadBinding(GLenum target, GLuint texture) {
    glActiveTexture(kUploadUnit);
    glBindTexture(target, texture);
}

void endUploadBinding() { glActiveTexture(GL_TEXTURE0); }

// Storage for one level of a GL texture of `format`, contents undefined.
void allocateGlLevel(GLenum target, GLint level, const FormatInfo& info, UINT width, UINT height, UINT depth) {
    if (target == GL_TEXTURE_3D)
        glTexImage3D(target, level, GLint(info.internalFormat), GLsizei(width), GLsizei(height), GLsizei(depth), 0,
                     info.uploadFormat, info.uploadType, nullptr);
    else
        glTexImage2D(target, level, GLint(info.internalFormat), GLsizei(width), GLsizei(height), 0, info.uploadFormat,
                     info.uploadType, nullptr);
}

void setGlSwizzle(GLenum target, const FormatInfo& info) {
    glTexParameteriv(target, GL_TEXTURE_SWIZZLE_RGBA, info.swizzle);
}

Surface::Surface(Device* device, SurfaceRole role, const D3DSURFACE_DESC& desc, IUnknown* container,
                 bool hostDefaultPool)
    : DeviceChild(device, hostDefaultPool, container == nullptr),
      role_(role),
      desc_(desc),
      container_(container),
      pitch_(rowPitch(desc.Format, desc.Width)) {
    const FormatInfo& info = formatInfo(desc.Format);
    switch (role) {
    case SurfaceRole::Image:
    case SurfaceRole::TextureLevel:
        ownBytes_.assign(size_t(pitch_) * desc.Height, 0);
        bytes_ = ownBytes_.data();
        break;
    case SurfaceRole::RenderTarget:
        glGenTextures(1, &glTexture_);
        ownsGlTexture_ = true;
        withUploadBinding(GL_TEXTURE_2D, glTexture_);
        allocateGlLevel(GL_TEXTURE_2D, 0, info, desc.Width, desc.Height, 1);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
        setGlSwizzle(GL_TEXTURE_2D, info);
        endUploadBinding();
        if (multisampled()) {
            glGenRenderbuffers(1, &msRenderbuffer_);
            glBindRenderbuffer(GL_RENDERBUFFER, msRenderbuffer_);
            glRenderbufferStorageMultisample(GL_RENDERBUFFER, GLsizei(desc.MultiSampleType), info.internalFormat,
                                             GLsizei(desc.Width), GLsizei(desc.Height));
            glBindRenderbuffer(GL_RENDERBUFFER, 0);
        }
        break;
    case SurfaceRole::DepthStencil:
        glGenRenderbuffers(1, &glRenderbuffer_);
        glBindRenderbuffer(GL_RENDERBUFFER, glRenderbuffer_);
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, multisampled() ? GLsizei(desc.MultiSampleType) : 0,
                                         info.internalFormat, GLsizei(desc.Width), GLsizei(desc.Height));
        glBindRenderbuffer(GL_RENDERBUFFER, 0);
        break;
    }
    device_->videoMemoryChanged(int64_t(videoBytes()));
}

// GL storage of a standalone surface: its image, once more per sample.
uint64_t Surface::videoBytes() const {
    if (role_ == SurfaceRole::Image) return 0;
    const uint64_t samples = multisampled() ? desc_.MultiSampleType : 0;
    return uint64_t(desc_.Size) * (1 + samples);
}

Surface::Surface(Texture* texture, UINT level, const D3DSURFACE_DESC& desc, SurfaceRole role, BYTE* bytes,
                 GLuint glTexture)
    : DeviceChild(texture->device(), false, false),
      role_(role),
      desc_(desc),
      container_(static_cast<IDirect3DTexture8*>(texture)),
      texture_(texture),
      bytes_(bytes),
      pitch_(rowPitch(desc.Format, desc.Width)),
      glTexture_(glTexture),
      glLevel_(GLint(level)) {}

Surface::~Surface() {
    if (!texture_) device_->videoMemoryChanged(-int64_t(videoBytes()));
    if ((ownsGlTexture_ && glTexture_) || glRenderbuffer_ || msRenderbuffer_) {
        device_->makeCurrent();
        if (ownsGlTexture_ && glTexture_) glDeleteTextures(1, &glTexture_);
        if (glRenderbuffer_) glDeleteRenderbuffers(1, &glRenderbuffer_);
        if (msRenderbuffer_) glDeleteRenderbuffers(1, &msRenderbuffer_);
    }
}

BYTE* Surface::cpuBytes() {
    if (!bytes_) {
        ownBytes_.assign(size_t(pitch_) * desc_.Height, 0);
        bytes_ = ownBytes_.data();
    }
    return bytes_;
}

void Surface::resolve() {
    if (!msRenderbuffer_) return;
    device_->makeCurrent();
    glBindFramebuffer(GL_READ_FRAMEBUFFER, device_->readFramebuffer());
    glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
    glFramebufferRenderbuffer(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, msRenderbuffer_);
    setDrawFramebuffer(device_->gl(), device_->copyFramebuffer());
    glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, glTexture_, 0);
    setScissor(device_->gl(), false);
    const GLint w = GLint(desc_.Width), h = GLint(desc_.Height);
    glBlitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glFramebufferRenderbuffer(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, 0);
}

void Surface::readBack(const RECT& rect) {
    if (role_ != SurfaceRole::RenderTarget) return;
    resolve();
    const FormatInfo& info = formatInfo(desc_.Format);
    BYTE* bytes = cpuBytes();
    device_->makeCurrent();
    glBindFramebuffer(GL_READ_FRAMEBUFFER, device_->readFramebuffer());
    glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, glTexture_, glLevel_);
    glPixelStorei(GL_PACK_ROW_LENGTH, GLint(desc_.Width));
    glReadPixels(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, info.uploadFormat,
                 info.uploadType, bytes + size_t(rect.top) * pitch_ + size_t(rect.left) * info.bytesPerPixel);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
}

void Surface::cpuRectChanged(const RECT& rect) {
    if (role_ == SurfaceRole::TextureLevel) {
        texture_->markDirty(UINT(glLevel_), rect);
    } else if (role_ == SurfaceRole::RenderTarget) {
        const FormatInfo& info = formatInfo(desc_.Format);
        device_->makeCurrent();
        withUploadBinding(GL_TEXTURE_2D, glTexture_);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, GLint(desc_.Width));
        glTexSubImage2D(GL_TEXTURE_2D, glLevel_, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                        info.uploadFormat, info.uploadType,
                        bytes_ + size_t(rect.top) * pitch_ + size_t(rect.left) * info.bytesPerPixel);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
        endUploadBinding();
    }
}

HRESULT Surface::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDirect3DSurface8)) {
        AddRef();
        *object = static_cast<IDirect3DSurface8*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG Surface::AddRef() { return container_ ? container_->AddRef() : addRefChild(); }

ULONG Surface::Release() { return container_ ? container_->Release() : releaseChild(); }

void Surface::bind() {
    if (texture_) texture_->bind();
    else if (!container_) DeviceChild::bind();
}

void Surface::unbind() {
    if (texture_) texture_->unbind();
    else if (!container_) DeviceChild::unbind();
}

HRESULT Surface::GetDevice(IDirect3DDevice8** device) {
    if (!device) return D3DERR_INVALIDCALL;
    device_->AddRef();
    *device = device_;
    return D3D_OK;
}

HRESULT Surface::SetPrivateData(REFGUID guid, const void* data, DWORD size, DWORD flags) {
    return privateData_.set(guid, data, size, flags);
}
HRESULT Surface::GetPrivateData(REFGUID guid, void* data, DWORD* size) {
    return privateData_.get(guid, data, size);
}
HRESULT Surface::FreePrivateData(REFGUID guid) { return privateData_.free(guid); }

HRESULT Surface::GetContainer(REFIID riid, void** container) {
    if (!container) return D3DERR_INVALIDCALL;
    // A texture level's container is its texture; every other surface's is
    // the device.
    if (texture_) return static_cast<IDirect3DTexture8*>(texture_)->QueryInterface(riid, container);
    return device_->QueryInterface(riid, container);
}

HRESULT Surface::GetDesc(D3DSURFACE_DESC* desc) {
    if (!desc) return D3DERR_INVALIDCALL;
    *desc = desc_;
    return D3D_OK;
}

HRESULT Surface::LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
    // Multisampled surfaces cannot be locked, as in Direct3D 8.
    if (!locked || role_ == SurfaceRole::DepthStencil || multisampled() || locked_) return D3DERR_INVALIDCALL;
    const RECT whole{0, 0, LONG(desc_.Width), LONG(desc_.Height)};
    const RECT r = rect ? *rect : whole;
    if (r.left < 0 || r.top < 0 || r.right > whole.right || r.bottom > whole.bottom || r.left >= r.right ||
        r.top >= r.bottom)
        return D3DERR_INVALIDCALL;
    if (role_ == SurfaceRole::RenderTarget && !(flags & D3DLOCK_DISCARD)) readBack(r);
    const FormatInfo& info = formatInfo(desc_.Format);
    locked->Pitch = INT(pitch_);
    locked->pBits = cpuBytes() + size_t(r.top) * pitch_ + size_t(r.left) * info.bytesPerPixel;
    locked_ = true;
    lockRect_ = r;
    lockFlags_ = flags;
    return D3D_OK;
}

HRESULT Surface::UnlockRect() {
    if (!locked_) return D3DERR_INVALIDCALL;
    locked_ = false;
    const bool wrote = !(lockFlags_ & D3DLOCK_READONLY);
    const bool track = !(lockFlags_ & D3DLOCK_NO_DIRTY_UPDATE) || role_ != SurfaceRole::TextureLevel;
    if (wrote && track) cpuRectChanged(lockRect_);
    return D3D_OK;
}

}  // namespace zep::d3d
