// 2D textures with mip chains. Ordinary textures keep each level's bytes and
// upload the dirty rectangle of each level when a draw samples them;
// render-target textures live in GL, their levels being render targets.

#include "d3d8/device.h"

#include "d3d8/format.h"
#include "d3d8/resources.h"

#include <algorithm>

namespace zep::d3d {

void withUploadBinding(GLenum target, GLuint texture);
void endUploadBinding();
void allocateGlLevel(GLenum target, GLint level, const FormatInfo& info, UINT width, UINT height, UINT depth);
void setGlSwizzle(GLenum target, const FormatInfo& info);

UINT fullMipCount(UINT width, UINT height, UINT depth) {
    UINT levels = 1;
    while (width > 1 || height > 1 || depth > 1) {
        width = std::max(1u, width / 2);
        height = std::max(1u, height / 2);
        depth = std::max(1u, depth / 2);
        ++levels;
    }
    return levels;
}

namespace {

bool isEmpty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

void growRect(RECT& d, const RECT& rect) {
    if (isEmpty(d)) {
        d = rect;
        return;
    }
    d.left = std::min(d.left, rect.left);
    d.top = std::min(d.top, rect.top);
    d.right = std::max(d.right, rect.right);
    d.bottom = std::max(d.bottom, rect.bottom);
}

}  // namespace

Texture::Texture(Device* device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool)
    : DeviceChild(device, pool == D3DPOOL_DEFAULT), levels_(levels), usage_(usage), format_(format), pool_(pool) {
    const FormatInfo& info = formatInfo(format);
    const bool renderTarget = isRenderTarget();
    const SurfaceRole role = pool == D3DPOOL_SYSTEMMEM ? SurfaceRole::Image
                             : renderTarget            ? SurfaceRole::RenderTarget
                                                       : SurfaceRole::TextureLevel;
    if (pool != D3DPOOL_SYSTEMMEM) {
        glGenTextures(1, &glTexture_);
        withUploadBinding(GL_TEXTURE_2D, glTexture_);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, GLint(levels - 1));
        setGlSwizzle(GL_TEXTURE_2D, info);
    }
    bytes_.resize(levels);
    dirty_.assign(levels, RECT{0, 0, 0, 0});
    for (UINT level = 0; level < levels; ++level) {
        const UINT w = std::max(1u, width >> level), h = std::max(1u, height >> level);
        D3DSURFACE_DESC desc{format, D3DRTYPE_SURFACE, usage, pool, rowPitch(format, w) * h, D3DMULTISAMPLE_NONE, w, h};
        if (glTexture_) allocateGlLevel(GL_TEXTURE_2D, GLint(level), info, w, h, 1);
        BYTE* bytes = nullptr;
        if (!renderTarget) {
            bytes_[level].assign(desc.Size, 0);
            bytes = bytes_[level].data();
            // Zeroed contents reach GL at the first draw.
            if (glTexture_) dirty_[level] = RECT{0, 0, LONG(w), LONG(h)};
        }
        surfaces_.push_back(new Surface(this, level, desc, role, bytes, glTexture_));
        if (glTexture_) videoBytes_ += desc.Size;
    }
    device_->videoMemoryChanged(int64_t(videoBytes_));
    if (glTexture_) endUploadBinding();
}

Texture::~Texture() {
    device_->videoMemoryChanged(-int64_t(videoBytes_));
    for (Surface* surface : surfaces_) delete surface;
    if (glTexture_ && device_->makeCurrent()) glDeleteTextures(1, &glTexture_);
}

void Texture::markDirty(UINT level, const RECT& rect) {
    if (level >= levels_ || !glTexture_) return;
    // A managed texture keeps Direct3D's dirty region: it is recorded for
    // level 0 and covers the levels below at their scale. Bytes written into
    // a lower level alone wait until level 0's region or AddDirtyRect covers
    // them, as they do on Direct3D's own texture manager.
    if (pool_ == D3DPOOL_MANAGED) {
        if (level == 0) AddDirtyRect(&rect);
        return;
    }
    std::lock_guard<std::mutex> hold(dirtyLock_);
    growRect(dirty_[level], rect);
}

GLuint Texture::uploadForDraw() {
    if (!glTexture_ || isRenderTarget()) return glTexture_;
    bool bound = false;
    const FormatInfo& info = formatInfo(format_);
    std::lock_guard<std::mutex> hold(dirtyLock_);
    for (UINT level = 0; level < levels_; ++level) {
        RECT& d = dirty_[level];
        if (isEmpty(d)) continue;
        if (!bound) {
            withUploadBinding(GL_TEXTURE_2D, glTexture_);
            bound = true;
        }
        const Surface* surface = surfaces_[level];
        glPixelStorei(GL_UNPACK_ROW_LENGTH, GLint(surface->desc().Width));
        glTexSubImage2D(GL_TEXTURE_2D, GLint(level), d.left, d.top, d.right - d.left, d.bottom - d.top,
                        info.uploadFormat, info.uploadType,
                        bytes_[level].data() + size_t(d.top) * surface->pitch() + size_t(d.left) * info.bytesPerPixel);
        d = RECT{0, 0, 0, 0};
    }
    if (bound) {
        glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
        endUploadBinding();
    }
    return glTexture_;
}

HRESULT Texture::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDirect3DResource8) ||
        IsEqualIID(riid, IID_IDirect3DBaseTexture8) || IsEqualIID(riid, IID_IDirect3DTexture8)) {
        AddRef();
        *object = static_cast<IDirect3DTexture8*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT Texture::GetDevice(IDirect3DDevice8** device) {
    if (!device) return D3DERR_INVALIDCALL;
    device_->AddRef();
    *device = device_;
    return D3D_OK;
}

HRESULT Texture::SetPrivateData(REFGUID guid, const void* data, DWORD size, DWORD flags) {
    return privateData_.set(guid, data, size, flags);
}
HRESULT Texture::GetPrivateData(REFGUID guid, void* data, DWORD* size) {
    return privateData_.get(guid, data, size);
}
HRESULT Texture::FreePrivateData(REFGUID guid) { return privateData_.free(guid); }

DWORD Texture::SetPriority(DWORD priority) {
    const DWORD previous = priority_;
    priority_ = priority;
    return previous;
}

DWORD Texture::SetLOD(DWORD lod) {
    // Only managed textures have a level of detail to set.
    if (pool_ != D3DPOOL_MANAGED) return 0;
    const DWORD previous = lod_;
    lod_ = std::min<DWORD>(lod, levels_ - 1);
    device_->makeCurrent();
    withUploadBinding(GL_TEXTURE_2D, glTexture_);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, GLint(lod_));
    endUploadBinding();
    return previous;
}

HRESULT Texture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
    if (!desc || level >= levels_) return D3DERR_INVALIDCALL;
    *desc = surfaces_[level]->desc();
    return D3D_OK;
}

HRESULT Texture::GetSurfaceLevel(UINT level, IDirect3DSurface8** surface) {
    if (!surface) return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (level >= levels_) return D3DERR_INVALIDCALL;
    surfaces_[level]->AddRef();
    *surface = surfaces_[level];
    return D3D_OK;
}

HRESULT Texture::LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
    if (level >= levels_) return D3DERR_INVALIDCALL;
    return surfaces_[level]->LockRect(locked, rect, flags);
}

HRESULT Texture::UnlockRect(UINT level) {
    if (level >= levels_) return D3DERR_INVALIDCALL;
    return surfaces_[level]->UnlockRect();
}

HRESULT Texture::AddDirtyRect(const RECT* rect) {
    if (!glTexture_) return D3D_OK;
    // The rectangle names level 0; the levels below follow at their scale.
    const D3DSURFACE_DESC& top = surfaces_[0]->desc();
    RECT r = rect ? *rect : RECT{0, 0, LONG(top.Width), LONG(top.Height)};
    std::lock_guard<std::mutex> hold(dirtyLock_);
    for (UINT level = 0; level < levels_; ++level) {
        const D3DSURFACE_DESC& d = surfaces_[level]->desc();
        RECT scaled{r.left >> level, r.top >> level, std::max(LONG(r.right >> level), LONG((r.left >> level) + 1)),
                    std::max(LONG(r.bottom >> level), LONG((r.top >> level) + 1))};
        scaled.right = std::min(scaled.right, LONG(d.Width));
        scaled.bottom = std::min(scaled.bottom, LONG(d.Height));
        if (!isEmpty(scaled)) growRect(dirty_[level], scaled);
    }
    return D3D_OK;
}

}  // namespace zep::d3d
