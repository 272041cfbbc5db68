// The objects a device creates: buffers, textures, volume textures, surfaces
// and volumes. Each keeps a CPU copy of its contents (what locks hand out)
// and an OpenGL object that draws upload to lazily; render targets are the
// exception, where OpenGL holds the contents and a lock reads them back.
#pragma once

#include "d3d8/private_data.h"

#include <d3d8.h>

#include <epoxy/gl.h>

#include <cstdint>
#include <mutex>
#include <vector>

// QueryInterface's refusal; <windows.h> does not declare it (yet).
#ifndef E_NOINTERFACE
#define E_NOINTERFACE ((HRESULT)0x80004002L)
#endif

namespace zep::d3d {

class Device;
class Texture;
class VolumeTexture;

// Reference counting shared by everything a device creates. The public count
// is the host's (each object also holds a reference on its device, as
// Direct3D's do); the binding count is the device's own hold on an object
// bound as texture, stream, indices or render target, so an object released
// by the host while bound lives on until it is unbound, without keeping its
// device alive.
class DeviceChild {
public:
    // holdsDevice false: a part of another object (a texture level, the back
    // buffer) whose reference count is its owner's.
    DeviceChild(Device* device, bool hostDefaultPool, bool holdsDevice = true);
    virtual ~DeviceChild();
    DeviceChild(const DeviceChild&) = delete;
    DeviceChild& operator=(const DeviceChild&) = delete;

    ULONG addRefChild();
    ULONG releaseChild();
    virtual void bind();
    virtual void unbind();
    Device* device() const { return device_; }

protected:
    Device* device_;
    PrivateData privateData_;

private:
    ULONG refs_ = 1;
    ULONG binds_ = 0;
    bool hostDefaultPool_;  // counted against Reset while the host holds it
    bool holdsDevice_;
};

// Bytes written since the last upload, as one range.
struct DirtyRange {
    UINT begin = 0, end = 0;
    void add(UINT from, UINT to) {
        if (begin == end) {
            begin = from;
            end = to;
        } else {
            begin = from < begin ? from : begin;
            end = to > end ? to : end;
        }
    }
    bool empty() const { return begin == end; }
};

// The shared body of vertex and index buffers.
struct BufferStorage {
    std::vector<BYTE> bytes;
    GLuint glBuffer = 0;      // D3DPOOL_SYSTEMMEM: 0 until the first draw
    DirtyRange dirty;
    bool respecify = false;   // a DISCARD lock: give GL fresh storage at upload
    bool locked = false;
    UINT lockBegin = 0, lockEnd = 0;
    DWORD lockFlags = 0;
};

class VertexBuffer final : public IDirect3DVertexBuffer8, public DeviceChild {
public:
    VertexBuffer(Device* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool);
    ~VertexBuffer() override;
    GLuint uploadForDraw();
    const BufferStorage& storage() const { return storage_; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return addRefChild(); }
    ULONG STDMETHODCALLTYPE Release() override { return releaseChild(); }
    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice8** device) override;
    HRESULT STDMETHODCALLTYPE SetPrivateData(REFGUID, const void*, DWORD, DWORD) override;
    HRESULT STDMETHODCALLTYPE GetPrivateData(REFGUID, void*, DWORD*) override;
    HRESULT STDMETHODCALLTYPE FreePrivateData(REFGUID) override;
    DWORD STDMETHODCALLTYPE SetPriority(DWORD priority) override;
    DWORD STDMETHODCALLTYPE GetPriority() override { return priority_; }
    void STDMETHODCALLTYPE PreLoad() override { uploadForDraw(); }
    D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return D3DRTYPE_VERTEXBUFFER; }
    HRESULT STDMETHODCALLTYPE Lock(UINT offset, UINT size, BYTE** data, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE Unlock() override;
    HRESULT STDMETHODCALLTYPE GetDesc(D3DVERTEXBUFFER_DESC* desc) override;

private:
    D3DVERTEXBUFFER_DESC desc_;
    BufferStorage storage_;
    DWORD priority_ = 0;
};

class IndexBuffer final : public IDirect3DIndexBuffer8, public DeviceChild {
public:
    IndexBuffer(Device* device, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool);
    ~IndexBuffer() override;
    GLuint uploadForDraw();
    D3DFORMAT format() const { return desc_.Format; }
    const BufferStorage& storage() const { return storage_; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return addRefChild(); }
    ULONG STDMETHODCALLTYPE Release() override { return releaseChild(); }
    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice8** device) override;
    HRESULT STDMETHODCALLTYPE SetPrivateData(REFGUID, const void*, DWORD, DWORD) override;
    HRESULT STDMETHODCALLTYPE GetPrivateData(REFGUID, void*, DWORD*) override;
    HRESULT STDMETHODCALLTYPE FreePrivateData(REFGUID) override;
    DWORD STDMETHODCALLTYPE SetPriority(DWORD priority) override;
    DWORD STDMETHODCALLTYPE GetPriority() override { return priority_; }
    void STDMETHODCALLTYPE PreLoad() override { uploadForDraw(); }
    D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return D3DRTYPE_INDEXBUFFER; }
    HRESULT STDMETHODCALLTYPE Lock(UINT offset, UINT size, BYTE** data, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE Unlock() override;
    HRESULT STDMETHODCALLTYPE GetDesc(D3DINDEXBUFFER_DESC* desc) override;

private:
    D3DINDEXBUFFER_DESC desc_;
    BufferStorage storage_;
    DWORD priority_ = 0;
};

// What a surface is, which decides where its contents live.
enum class SurfaceRole : uint8_t {
    Image,         // CreateImageSurface, or a SYSTEMMEM texture level: CPU only
    TextureLevel,  // MANAGED / DEFAULT texture level: CPU copy, uploaded at draw
    RenderTarget,  // back buffer, CreateRenderTarget, render-target texture level: GL holds it
    DepthStencil,  // GL renderbuffer, not lockable
};

class Surface final : public IDirect3DSurface8, public DeviceChild {
public:
    // A standalone surface (image, render target, depth-stencil) or the back
    // buffer / automatic depth surface (container = the device).
    Surface(Device* device, SurfaceRole role, const D3DSURFACE_DESC& desc, IUnknown* container, bool hostDefaultPool);
    // A level of a texture: contents in the texture's storage.
    Surface(Texture* texture, UINT level, const D3DSURFACE_DESC& desc, SurfaceRole role, BYTE* bytes, GLuint glTexture);
    ~Surface() override;

    SurfaceRole role() const { return role_; }
    const D3DSURFACE_DESC& desc() const { return desc_; }
    GLuint glTexture() const { return glTexture_; }
    GLint glLevel() const { return glLevel_; }
    GLuint glRenderbuffer() const { return glRenderbuffer_; }
    // Multisampled render targets draw into this renderbuffer; glTexture()
    // then holds the resolved image, brought up to date by resolve().
    GLuint glMultisampleRenderbuffer() const { return msRenderbuffer_; }
    bool multisampled() const { return desc_.MultiSampleType != D3DMULTISAMPLE_NONE; }
    uint64_t videoBytes() const;
    void resolve();
    UINT pitch() const { return pitch_; }
    BYTE* cpuBytes();  // the CPU copy (allocated on demand for render targets)
    Texture* texture() const { return texture_; }
    // After a write into the CPU copy: upload (render targets) or mark dirty.
    void cpuRectChanged(const RECT& rect);
    // Reads GL contents of `rect` into the CPU copy (render targets).
    void readBack(const RECT& rect);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice8** device) override;
    HRESULT STDMETHODCALLTYPE SetPrivateData(REFGUID, const void*, DWORD, DWORD) override;
    HRESULT STDMETHODCALLTYPE GetPrivateData(REFGUID, void*, DWORD*) override;
    HRESULT STDMETHODCALLTYPE FreePrivateData(REFGUID) override;
    HRESULT STDMETHODCALLTYPE GetContainer(REFIID riid, void** container) override;
    HRESULT STDMETHODCALLTYPE GetDesc(D3DSURFACE_DESC* desc) override;
    HRESULT STDMETHODCALLTYPE LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE UnlockRect() override;
    void bind() override;
    void unbind() override;

private:
    SurfaceRole role_;
    D3DSURFACE_DESC desc_;
    IUnknown* container_;  // owner of the reference count, or null when standalone
    Texture* texture_ = nullptr;
    std::vector<BYTE> ownBytes_;
    BYTE* bytes_ = nullptr;
    UINT pitch_;
    GLuint glTexture_ = 0;
    GLint glLevel_ = 0;
    bool ownsGlTexture_ = false;
    GLuint glRenderbuffer_ = 0;
    GLuint msRenderbuffer_ = 0;
    bool locked_ = false;
    RECT lockRect_{};
    DWORD lockFlags_ = 0;
};

class Texture final : public IDirect3DTexture8, public DeviceChild {
public:
    Texture(Device* device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool);
    ~Texture() override;
    GLuint uploadForDraw();
    void markDirty(UINT level, const RECT& rect);
    bool isRenderTarget() const { return (usage_ & D3DUSAGE_RENDERTARGET) != 0; }
    Surface* level(UINT i) const { return surfaces_[i]; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return addRefChild(); }
    ULONG STDMETHODCALLTYPE Release() override { return releaseChild(); }
    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice8** device) override;
    HRESULT STDMETHODCALLTYPE SetPrivateData(REFGUID, const void*, DWORD, DWORD) override;
    HRESULT STDMETHODCALLTYPE GetPrivateData(REFGUID, void*, DWORD*) override;
    HRESULT STDMETHODCALLTYPE FreePrivateData(REFGUID) override;
    DWORD STDMETHODCALLTYPE SetPriority(DWORD priority) override;
    DWORD STDMETHODCALLTYPE GetPriority() override { return priority_; }
    void STDMETHODCALLTYPE PreLoad() override { uploadForDraw(); }
    D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return D3DRTYPE_TEXTURE; }
    DWORD STDMETHODCALLTYPE SetLOD(DWORD lod) override;
    DWORD STDMETHODCALLTYPE GetLOD() override { return lod_; }
    DWORD STDMETHODCALLTYPE GetLevelCount() override { return levels_; }
    HRESULT STDMETHODCALLTYPE GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
    HRESULT STDMETHODCALLTYPE GetSurfaceLevel(UINT level, IDirect3DSurface8** surface) override;
    HRESULT STDMETHODCALLTYPE LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE UnlockRect(UINT level) override;
    HRESULT STDMETHODCALLTYPE AddDirtyRect(const RECT* rect) override;

private:
    UINT levels_;
    DWORD usage_;
    D3DFORMAT format_;
    D3DPOOL pool_;
    GLuint glTexture_ = 0;
    std::vector<std::vector<BYTE>> bytes_;
    std::vector<Surface*> surfaces_;
    std::vector<RECT> dirty_;  // per level; empty rectangle = clean
    // Hosts may fill a texture from another thread (video frames) while the
    // device draws with it: the dirty rectangles change under this lock.
    std::mutex dirtyLock_;
    DWORD priority_ = 0;
    DWORD lod_ = 0;
    uint64_t videoBytes_ = 0;
};

class Volume final : public IDirect3DVolume8 {
public:
    Volume(VolumeTexture* texture, UINT level, const D3DVOLUME_DESC& desc, BYTE* bytes);
    const D3DVOLUME_DESC& desc() const { return desc_; }
    UINT rowPitch() const { return rowPitch_; }
    UINT slicePitch() const { return slicePitch_; }
    BYTE* bytes() const { return bytes_; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice8** device) override;
    HRESULT STDMETHODCALLTYPE SetPrivateData(REFGUID, const void*, DWORD, DWORD) override;
    HRESULT STDMETHODCALLTYPE GetPrivateData(REFGUID, void*, DWORD*) override;
    HRESULT STDMETHODCALLTYPE FreePrivateData(REFGUID) override;
    HRESULT STDMETHODCALLTYPE GetContainer(REFIID riid, void** container) override;
    HRESULT STDMETHODCALLTYPE GetDesc(D3DVOLUME_DESC* desc) override;
    HRESULT STDMETHODCALLTYPE LockBox(D3DLOCKED_BOX* locked, const D3DBOX* box, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE UnlockBox() override;

private:
    VolumeTexture* texture_;
    PrivateData privateData_;
    UINT level_;
    D3DVOLUME_DESC desc_;
    BYTE* bytes_;
    UINT rowPitch_, slicePitch_;
    bool locked_ = false;
    D3DBOX lockBox_{};
    DWORD lockFlags_ = 0;
};

class VolumeTexture final : public IDirect3DVolumeTexture8, public DeviceChild {
public:
    VolumeTexture(Device* device, UINT width, UINT height, UINT depth, UINT levels, DWORD usage, D3DFORMAT format,
                  D3DPOOL pool);
    ~VolumeTexture() override;
    GLuint uploadForDraw();
    void markDirty(UINT level);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return addRefChild(); }
    ULONG STDMETHODCALLTYPE Release() override { return releaseChild(); }
    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice8** device) override;
    HRESULT STDMETHODCALLTYPE SetPrivateData(REFGUID, const void*, DWORD, DWORD) override;
    HRESULT STDMETHODCALLTYPE GetPrivateData(REFGUID, void*, DWORD*) override;
    HRESULT STDMETHODCALLTYPE FreePrivateData(REFGUID) override;
    DWORD STDMETHODCALLTYPE SetPriority(DWORD priority) override;
    DWORD STDMETHODCALLTYPE GetPriority() override { return priority_; }
    void STDMETHODCALLTYPE PreLoad() override { uploadForDraw(); }
    D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return D3DRTYPE_VOLUMETEXTURE; }
    DWORD STDMETHODCALLTYPE SetLOD(DWORD lod) override;
    DWORD STDMETHODCALLTYPE GetLOD() override { return lod_; }
    DWORD STDMETHODCALLTYPE GetLevelCount() override { return levels_; }
    HRESULT STDMETHODCALLTYPE GetLevelDesc(UINT level, D3DVOLUME_DESC* desc) override;
    HRESULT STDMETHODCALLTYPE GetVolumeLevel(UINT level, IDirect3DVolume8** volume) override;
    HRESULT STDMETHODCALLTYPE LockBox(UINT level, D3DLOCKED_BOX* locked, const D3DBOX* box, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE UnlockBox(UINT level) override;
    HRESULT STDMETHODCALLTYPE AddDirtyBox(const D3DBOX* box) override;

private:
    UINT levels_;
    D3DFORMAT format_;
    D3DPOOL pool_;
    GLuint glTexture_ = 0;
    std::vector<std::vector<BYTE>> bytes_;
    std::vector<Volume*> volumes_;
    std::vector<bool> dirty_;
    DWORD priority_ = 0;
    DWORD lod_ = 0;
    uint64_t videoBytes_ = 0;
};

// The device's hold on a bound texture or buffer (null is ignored).
void bindChild(IDirect3DBaseTexture8* texture);
void unbindChild(IDirect3DBaseTexture8* texture);
void bindChild(IDirect3DVertexBuffer8* buffer);
void unbindChild(IDirect3DVertexBuffer8* buffer);
void bindChild(IDirect3DIndexBuffer8* buffer);
void unbindChild(IDirect3DIndexBuffer8* buffer);

// Number of levels of a full mip chain down to 1 x 1 (x 1).
UINT fullMipCount(UINT width, UINT height, UINT depth = 1);

}  // namespace zep::d3d
