// Volume textures and their levels: tightly packed CPU copies (a host may
// rely on row and slice pitches of exactly width and width x height texels),
// uploaded whole per dirty level when a draw samples them.

#include "d3d8/device.h"

#include "d3d8/format.h"
#include "d3d8/resources.h"

#include <algorithm>

namespace zep::d3d {

void withUploadBinding(GLenum target, GLuint texture);
void endUploadBinding();
void allocateGlLevel(GLenum target, GLint level, const FormatInfo& info, UINT width, UINT height, UINT depth);
void setGlSwizzle(GLenum target, const FormatInfo& info);

// ---- Levels -------------------------------------------------------------------

Volume::Volume(VolumeTexture* texture, UINT level, const D3DVOLUME_DESC& desc, BYTE* bytes)
    : texture_(texture), level_(level), desc_(desc), bytes_(bytes) {
    rowPitch_ = zep::d3d::rowPitch(desc.Format, desc.Width);
    slicePitch_ = rowPitch_ * desc.Height;
}

HRESULT Volume::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDirect3DVolume8)) {
        AddRef();
        *object = static_cast<IDirect3DVolume8*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG Volume::AddRef() { return texture_->AddRef(); }
ULONG Volume::Release() { return texture_->Release(); }

HRESULT Volume::GetDevice(IDirect3DDevice8** device) { return texture_->GetDevice(device); }

HRESULT Volume::SetPrivateData(REFGUID guid, const void* data, DWORD size, DWORD flags) {
    return privateData_.set(guid, data, size, flags);
}
HRESULT Volume::GetPrivateData(REFGUID guid, void* data, DWORD* size) {
    return privateData_.get(guid, data, size);
}
HRESULT Volume::FreePrivateData(REFGUID guid) { return privateData_.free(guid); }

HRESULT Volume::GetContainer(REFIID riid, void** container) {
    if (!container) return D3DERR_INVALIDCALL;
    return texture_->QueryInterface(riid, container);
}

HRESULT Volume::GetDesc(D3DVOLUME_DESC* desc) {
    if (!desc) return D3DERR_INVALIDCALL;
    *desc = desc_;
    return D3D_OK;
}

HRESULT Volume::LockBox(D3DLOCKED_BOX* locked, const D3DBOX* box, DWORD flags) {
    if (!locked || locked_) return D3DERR_INVALIDCALL;
    const D3DBOX whole{0, 0, desc_.Width, desc_.Height, 0, desc_.Depth};
    const D3DBOX b = box ? *box : whole;
    if (b.Left >= b.Right || b.Top >= b.Bottom || b.Front >= b.Back || b.Right > desc_.Width ||
        b.Bottom > desc_.Height || b.Back > desc_.Depth)
        return D3DERR_INVALIDCALL;
    const UINT texel = formatInfo(desc_.Format).bytesPerPixel;
    locked->RowPitch = INT(rowPitch_);
    locked->SlicePitch = INT(slicePitch_);
    locked->pBits = bytes_ + size_t(b.Front) * slicePitch_ + size_t(b.Top) * rowPitch_ + size_t(b.Left) * texel;
    locked_ = true;
    lockBox_ = b;
    lockFlags_ = flags;
    return D3D_OK;
}

HRESULT Volume::UnlockBox() {
    if (!locked_) return D3DERR_INVALIDCALL;
    locked_ = false;
    if (!(lockFlags_ & (D3DLOCK_READONLY | D3DLOCK_NO_DIRTY_UPDATE))) texture_->markDirty(level_);
    return D3D_OK;
}

// ---- Volume textures -------------------------------------------------------------

VolumeTexture::VolumeTexture(Device* device, UINT width, UINT height, UINT depth, UINT levels, DWORD usage,
                             D3DFORMAT format, D3DPOOL pool)
    : DeviceChild(device, pool == D3DPOOL_DEFAULT), levels_(levels), format_(format), pool_(pool) {
    const FormatInfo& info = formatInfo(format);
    if (pool != D3DPOOL_SYSTEMMEM) {
        glGenTextures(1, &glTexture_);
        withUploadBinding(GL_TEXTURE_3D, glTexture_);
        glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_BASE_LEVEL, 0);
        glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_MAX_LEVEL, GLint(levels - 1));
        setGlSwizzle(GL_TEXTURE_3D, info);
    }
    bytes_.resize(levels);
    dirty_.assign(levels, glTexture_ != 0);
    for (UINT level = 0; level < levels; ++level) {
        const UINT w = std::max(1u, width >> level), h = std::max(1u, height >> level),
                   d = std::max(1u, depth >> level);
        D3DVOLUME_DESC desc{format, D3DRTYPE_VOLUME, usage, pool, rowPitch(format, w) * h * d, w, h, d};
        bytes_[level].assign(desc.Size, 0);
        if (glTexture_) allocateGlLevel(GL_TEXTURE_3D, GLint(level), info, w, h, d);
        volumes_.push_back(new Volume(this, level, desc, bytes_[level].data()));
        if (glTexture_) videoBytes_ += desc.Size;
    }
    device_->videoMemoryChanged(int64_t(videoBytes_));
    if (glTexture_) endUploadBinding();
}

VolumeTexture::~VolumeTexture() {
    device_->videoMemoryChanged(-int64_t(videoBytes_));
    for (Volume* volume : volumes_) delete volume;
    if (glTexture_ && device_->makeCurrent()) glDeleteTextures(1, &glTexture_);
}

void VolumeTexture::markDirty(UINT level) {
    if (level >= levels_ || !glTexture_) return;
    // Managed volumes keep Direct3D's dirty box on level 0 only, which covers
    // every level below; a lock of a lower level alone leaves it unsent.
    if (pool_ == D3DPOOL_MANAGED) {
        if (level == 0) AddDirtyBox(nullptr);
        return;
    }
    dirty_[level] = true;
}

GLuint VolumeTexture::uploadForDraw() {
    if (!glTexture_) return 0;
    bool bound = false;
    const FormatInfo& info = formatInfo(format_);
    for (UINT level = 0; level < levels_; ++level) {
        if (!dirty_[level]) continue;
        if (!bound) {
            withUploadBinding(GL_TEXTURE_3D, glTexture_);
            bound = true;
        }
        const D3DVOLUME_DESC& d = volumes_[level]->desc();
        glTexSubImage3D(GL_TEXTURE_3D, GLint(level), 0, 0, 0, GLsizei(d.Width), GLsizei(d.Height), GLsizei(d.Depth),
                        info.uploadFormat, info.uploadType, bytes_[level].data());
        dirty_[level] = false;
    }
    if (bound) endUploadBinding();
    return glTexture_;
}

HRESULT VolumeTexture::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDirect3DResource8) ||
        IsEqualIID(riid, IID_IDirect3DBaseTexture8) || IsEqualIID(riid, IID_IDirect3DVolumeTexture8)) {
        AddRef();
        *object = static_cast<IDirect3DVolumeTexture8*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT VolumeTexture::GetDevice(IDirect3DDevice8** device) {
    if (!device) return D3DERR_INVALIDCALL;
    device_->AddRef();
    *device = device_;
    return D3D_OK;
}

HRESULT VolumeTexture::SetPrivateData(REFGUID guid, const void* data, DWORD size, DWORD flags) {
    return privateData_.set(guid, data, size, flags);
}
HRESULT VolumeTexture::GetPrivateData(REFGUID guid, void* data, DWORD* size) {
    return privateData_.get(guid, data, size);
}
HRESULT VolumeTexture::FreePrivateData(REFGUID guid) { return privateData_.free(guid); }

DWORD VolumeTexture::SetPriority(DWORD priority) {
    const DWORD previous = priority_;
    priority_ = priority;
    return previous;
}

DWORD VolumeTexture::SetLOD(DWORD lod) {
    if (pool_ != D3DPOOL_MANAGED) return 0;
    const DWORD previous = lod_;
    lod_ = std::min<DWORD>(lod, levels_ - 1);
    device_->makeCurrent();
    withUploadBinding(GL_TEXTURE_3D, glTexture_);
    glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_BASE_LEVEL, GLint(lod_));
    endUploadBinding();
    return previous;
}

HRESULT VolumeTexture::GetLevelDesc(UINT level, D3DVOLUME_DESC* desc) {
    if (!desc || level >= levels_) return D3DERR_INVALIDCALL;
    *desc = volumes_[level]->desc();
    return D3D_OK;
}

HRESULT VolumeTexture::GetVolumeLevel(UINT level, IDirect3DVolume8** volume) {
    if (!volume) return D3DERR_INVALIDCALL;
    *volume = nullptr;
    if (level >= levels_) return D3DERR_INVALIDCALL;
    volumes_[level]->AddRef();
    *volume = volumes_[level];
    return D3D_OK;
}

HRESULT VolumeTexture::LockBox(UINT level, D3DLOCKED_BOX* locked, const D3DBOX* box, DWORD flags) {
    if (level >= levels_) return D3DERR_INVALIDCALL;
    return volumes_[level]->LockBox(locked, box, flags);
}

HRESULT VolumeTexture::UnlockBox(UINT level) {
    if (level >= levels_) return D3DERR_INVALIDCALL;
    return volumes_[level]->UnlockBox();
}

HRESULT VolumeTexture::AddDirtyBox(const D3DBOX*) {
    // Whole levels are sent, so any box dirties all of each level.
    if (glTexture_) dirty_.assign(levels_, true);
    return D3D_OK;
}

}  // namespace zep::d3d
