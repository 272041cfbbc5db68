// The pools: the static vertex and index pools, the dynamic and layer vertex
// pools and the object, mesh and helper tables, sized from the capacities
// the host set, placed by the video memory the display driver reports.

#include "core/device_opening.h"

#include "core/graphics.h"
#include "core/state.h"

#include <ZEPenginedll.h>
#include <ddraw.h>

#include <cstdlib>

namespace zep {

namespace {

constexpr uint32_t kOpaqueWhite = 0xffffffff;

// The display driver's memory figures; made at opening, gone at close.
IDirectDraw7* directDraw = nullptr;

bool bufferBytes(int32_t count, size_t unit, UINT* bytes) {
    if (count <= 0) return false;
    const uint64_t total = uint64_t(count) * unit;
    if (total > 0xFFFFFFFFu) return false;
    *bytes = UINT(total);
    return true;
}

bool createVertexPool(int32_t count, size_t stride, DWORD fvf, int32_t freeMemory, IDirect3DVertexBuffer8** out) {
    UINT bytes = 0;
    if (!bufferBytes(count, stride, &bytes)) return false;
    return SUCCEEDED(device()->CreateVertexBuffer(bytes, 0, fvf, poolForBuffer(bytes, freeMemory), out));
}

bool createIndexPool(int32_t count, int32_t freeMemory, IDirect3DIndexBuffer8** out) {
    UINT bytes = 0;
    if (!bufferBytes(count, sizeof(uint16_t), &bytes)) return false;
    return SUCCEEDED(device()->CreateIndexBuffer(bytes, 0, D3DFMT_INDEX16, poolForBuffer(bytes, freeMemory), out));
}

// Every layer vertex is ready to draw as a white pre-transformed vertex.
bool prefillLayerPool(int32_t count) {
    BYTE* data = nullptr;
    IDirect3DVertexBuffer8* buffer = poolBuffers().layerVertices;
    if (FAILED(buffer->Lock(0, 0, &data, D3DLOCK_DISCARD))) return false;
    auto* vertices = reinterpret_cast<LayerVertex*>(data);
    for (int32_t i = 0; i < count; ++i) {
        vertices[i].rhw = 1.0f;
        vertices[i].color = kOpaqueWhite;
    }
    buffer->Unlock();
    return true;
}

bool prefillDynamicPool(int32_t count) {
    BYTE* data = nullptr;
    IDirect3DVertexBuffer8* buffer = poolBuffers().dynamicVertices;
    if (FAILED(buffer->Lock(0, 0, &data, D3DLOCK_DISCARD))) return false;
    auto* vertices = reinterpret_cast<DynamicVertex*>(data);
    for (int32_t i = 0; i < count; ++i) vertices[i].color = kOpaqueWhite;
    buffer->Unlock();
    return true;
}

template <typename Record>
bool allocateTable(int32_t capacity, Record** table) {
    if (capacity < 0) return false;
    // Zeroed rather than left as the heap gives it: no stale bytes to read.
    *table = static_cast<Record*>(std::calloc(size_t(capacity > 0 ? capacity : 1), sizeof(Record)));
    return *table != nullptr;
}

}  // namespace

D3DPOOL poolForBuffer(uint64_t bytes, int32_t freeVideoMemory) {
    const uint64_t third = freeVideoMemory > 0 ? uint64_t(freeVideoMemory / 3) : 0;
    return bytes > third ? D3DPOOL_SYSTEMMEM : D3DPOOL_MANAGED;
}

void openDirectDraw() {
    if (FAILED(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&directDraw), IID_IDirectDraw7, nullptr)))
        directDraw = nullptr;
}

void closeDirectDraw() { release(directDraw); }

bool createPools() {
    int32_t total = 0, freeMemory = 0, textureMemory = 0;
    GetAvailableMem(&total, &freeMemory, &textureMemory);
    const PoolCapacities capacity = poolCapacities();
    PoolBuffers& pools = poolBuffers();
    return createVertexPool(capacity.staticVertices, sizeof(StaticVertex), ZEP_FVF_STATIC, freeMemory,
                            &pools.staticVertices) &&
           createIndexPool(capacity.staticVertices, freeMemory, &pools.staticIndices) &&
           createVertexPool(capacity.dynamicVertices, sizeof(DynamicVertex), ZEP_FVF_DYNAMIC, freeMemory,
                            &pools.dynamicVertices) &&
           createVertexPool(capacity.layerVertices, sizeof(LayerVertex), ZEP_FVF_LAYER, freeMemory,
                            &pools.layerVertices) &&
           prefillLayerPool(capacity.layerVertices) && prefillDynamicPool(capacity.dynamicVertices) &&
           allocateTable(capacity.objects, &ZEPengine.objects) && allocateTable(capacity.meshes, &ZEPengine.meshes) &&
           allocateTable(capacity.helpers, &ZEPengine.helpers);
}

void releasePools() {
    PoolBuffers& pools = poolBuffers();
    release(pools.staticVertices);
    release(pools.staticIndices);
    release(pools.dynamicVertices);
    release(pools.layerVertices);
    release(pools.screenQuad);
    std::free(ZEPengine.objects);
    std::free(ZEPengine.meshes);
    std::free(ZEPengine.helpers);
    ZEPengine.objects = nullptr;
    ZEPengine.meshes = nullptr;
    ZEPengine.helpers = nullptr;
}

}  // namespace zep

extern "C" ZEP_EXPORT int32_t ZEPAPI GetAvailableMem(int32_t* totalVideoMemory, int32_t* freeVideoMemory,
                                                     int32_t* availableTextureMemory) {
    int32_t total = 0, freeMemory = 0, textureMemory = 0;
    DDCAPS caps{};
    caps.dwSize = sizeof caps;
    if (zep::directDraw && SUCCEEDED(zep::directDraw->GetCaps(&caps, nullptr))) {
        total = int32_t(caps.dwVidMemTotal);
        freeMemory = int32_t(caps.dwVidMemFree);
    }
    if (IDirect3DDevice8* d = zep::device()) textureMemory = int32_t(d->GetAvailableTextureMem());
    if (totalVideoMemory) *totalVideoMemory = total;
    if (freeVideoMemory) *freeVideoMemory = freeMemory;
    if (availableTextureMemory) *availableTextureMemory = textureMemory;
    return textureMemory;
}
