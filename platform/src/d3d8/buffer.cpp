// Vertex and index buffers: a CPU copy the host locks, and a GL buffer that
// receives the written range once, at the draw that needs it.

#include "d3d8/device.h"

#include "d3d8/resources.h"

#include <algorithm>

namespace zep::d3d {

namespace {

void createStorage(BufferStorage& storage, UINT length, D3DPOOL pool) {
    storage.bytes.assign(length, 0);
    // System-memory buffers get their GL buffer at their first draw (Direct3D
    // draws from them too); until then they are plain memory.
    if (pool == D3DPOOL_SYSTEMMEM) {
        storage.respecify = true;
        return;
    }
    glGenBuffers(1, &storage.glBuffer);
    // GL_COPY_WRITE_BUFFER is no vertex-array state: binding it here never
    // disturbs the draw path's vertex arrays.
    glBindBuffer(GL_COPY_WRITE_BUFFER, storage.glBuffer);
    glBufferData(GL_COPY_WRITE_BUFFER, GLsizeiptr(length), storage.bytes.data(), GL_DYNAMIC_DRAW);
}

void destroyStorage(Device* device, BufferStorage& storage) {
    if (storage.glBuffer && device->makeCurrent()) glDeleteBuffers(1, &storage.glBuffer);
    storage.glBuffer = 0;
}

HRESULT lockStorage(BufferStorage& storage, UINT offset, UINT size, BYTE** data, DWORD flags) {
    if (!data) return D3DERR_INVALIDCALL;
    *data = nullptr;
    const UINT length = UINT(storage.bytes.size());
    if (offset == 0 && size == 0) size = length;
    if (offset > length || size > length - offset || storage.locked) return D3DERR_INVALIDCALL;
    if (size == 0) size = length - offset;
    storage.locked = true;
    storage.lockBegin = offset;
    storage.lockEnd = offset + size;
    storage.lockFlags = flags;
    if (flags & D3DLOCK_DISCARD) storage.respecify = true;
    *data = storage.bytes.data() + offset;
    return D3D_OK;
}

HRESULT unlockStorage(BufferStorage& storage) {
    if (!storage.locked) return D3DERR_INVALIDCALL;
    storage.locked = false;
    if (!(storage.lockFlags & D3DLOCK_READONLY)) storage.dirty.add(storage.lockBegin, storage.lockEnd);
    return D3D_OK;
}

GLuint uploadStorage(BufferStorage& storage) {
    if (!storage.glBuffer) glGenBuffers(1, &storage.glBuffer);
    if (storage.dirty.empty() && !storage.respecify) return storage.glBuffer;
    glBindBuffer(GL_COPY_WRITE_BUFFER, storage.glBuffer);
    if (storage.respecify) {
        // A DISCARD lock promised nothing old is needed: fresh storage spares
        // waiting for draws that still read the old contents.
        glBufferData(GL_COPY_WRITE_BUFFER, GLsizeiptr(storage.bytes.size()), storage.bytes.data(), GL_DYNAMIC_DRAW);
    } else {
        glBufferSubData(GL_COPY_WRITE_BUFFER, GLintptr(storage.dirty.begin),
                        GLsizeiptr(storage.dirty.end - storage.dirty.begin), storage.bytes.data() + storage.dirty.begin);
    }
    storage.dirty = DirtyRange{};
    storage.respecify = false;
    return storage.glBuffer;
}

}  // namespace

// ---- Vertex buffers ------------------------------------------------------------

VertexBuffer::VertexBuffer(Device* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool)
    : DeviceChild(device, pool == D3DPOOL_DEFAULT) {
    desc_ = D3DVERTEXBUFFER_DESC{D3DFMT_VERTEXDATA, D3DRTYPE_VERTEXBUFFER, usage, pool, length, fvf};
    createStorage(storage_, length, pool);
    if (pool != D3DPOOL_SYSTEMMEM) device_->videoMemoryChanged(length);
}

VertexBuffer::~VertexBuffer() {
    if (desc_.Pool != D3DPOOL_SYSTEMMEM) device_->videoMemoryChanged(-int64_t(desc_.Size));
    destroyStorage(device_, storage_);
}

GLuint VertexBuffer::uploadForDraw() { return uploadStorage(storage_); }

HRESULT VertexBuffer::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDirect3DResource8) ||
        IsEqualIID(riid, IID_IDirect3DVertexBuffer8)) {
        AddRef();
        *object = static_cast<IDirect3DVertexBuffer8*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT VertexBuffer::GetDevice(IDirect3DDevice8** device) {
    if (!device) return D3DERR_INVALIDCALL;
    device_->AddRef();
    *device = device_;
    return D3D_OK;
}

HRESULT VertexBuffer::SetPrivateData(REFGUID guid, const void* data, DWORD size, DWORD flags) {
    return privateData_.set(guid, data, size, flags);
}
HRESULT VertexBuffer::GetPrivateData(REFGUID guid, void* data, DWORD* size) {
    return privateData_.get(guid, data, size);
}
HRESULT VertexBuffer::FreePrivateData(REFGUID guid) { return privateData_.free(guid); }

DWORD VertexBuffer::SetPriority(DWORD priority) {
    const DWORD previous = priority_;
    priority_ = priority;
    return previous;
}

HRESULT VertexBuffer::Lock(UINT offset, UINT size, BYTE** data, DWORD flags) {
    return lockStorage(storage_, offset, size, data, flags);
}

HRESULT VertexBuffer::Unlock() { return unlockStorage(storage_); }

HRESULT VertexBuffer::GetDesc(D3DVERTEXBUFFER_DESC* desc) {
    if (!desc) return D3DERR_INVALIDCALL;
    *desc = desc_;
    return D3D_OK;
}

// ---- Index buffers -----------------------------------------------------------------

IndexBuffer::IndexBuffer(Device* device, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool)
    : DeviceChild(device, pool == D3DPOOL_DEFAULT) {
    desc_ = D3DINDEXBUFFER_DESC{format, D3DRTYPE_INDEXBUFFER, usage, pool, length};
    createStorage(storage_, length, pool);
    if (pool != D3DPOOL_SYSTEMMEM) device_->videoMemoryChanged(length);
}

IndexBuffer::~IndexBuffer() {
    if (desc_.Pool != D3DPOOL_SYSTEMMEM) device_->videoMemoryChanged(-int64_t(desc_.Size));
    destroyStorage(device_, storage_);
}

GLuint IndexBuffer::uploadForDraw() { return uploadStorage(storage_); }

HRESULT IndexBuffer::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDirect3DResource8) ||
        IsEqualIID(riid, IID_IDirect3DIndexBuffer8)) {
        AddRef();
        *object = static_cast<IDirect3DIndexBuffer8*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT IndexBuffer::GetDevice(IDirect3DDevice8** device) {
    if (!device) return D3DERR_INVALIDCALL;
    device_->AddRef();
    *device = device_;
    return D3D_OK;
}

HRESULT IndexBuffer::SetPrivateData(REFGUID guid, const void* data, DWORD size, DWORD flags) {
    return privateData_.set(guid, data, size, flags);
}
HRESULT IndexBuffer::GetPrivateData(REFGUID guid, void* data, DWORD* size) {
    return privateData_.get(guid, data, size);
}
HRESULT IndexBuffer::FreePrivateData(REFGUID guid) { return privateData_.free(guid); }

DWORD IndexBuffer::SetPriority(DWORD priority) {
    const DWORD previous = priority_;
    priority_ = priority;
    return previous;
}

HRESULT IndexBuffer::Lock(UINT offset, UINT size, BYTE** data, DWORD flags) {
    return lockStorage(storage_, offset, size, data, flags);
}

HRESULT IndexBuffer::Unlock() { return unlockStorage(storage_); }

HRESULT IndexBuffer::GetDesc(D3DINDEXBUFFER_DESC* desc) {
    if (!desc) return D3DERR_INVALIDCALL;
    *desc = desc_;
    return D3D_OK;
}

}  // namespace zep::d3d
