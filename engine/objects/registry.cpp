// The object registry: range checks of the object, mesh and helper tables,
// locked access to the static vertex and index pools, and the box of an
// object. Capacities are taken once per initialisation, from the numbers the
// tables and pools were created with, so that a host changing them for the
// next device opening cannot make the open tables look larger than they are.

#include "objects/registry.h"

#include "core/graphics.h"

#include <d3d8.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>

namespace zep {

namespace {

constexpr float kEmptyExtent = 100000.0f;
constexpr int32_t kEmptyMinVertex = 100000;

PoolCapacities& openedCapacities() {
    static PoolCapacities capacities{};
    return capacities;
}

// A range [first, first + count) inside a pool of `capacity` elements.
bool rangeInside(int32_t first, int32_t count, int32_t capacity) {
    return first >= 0 && count >= 0 && int64_t(first) + count <= capacity;
}

}  // namespace

PoolCapacities registryCapacities() {
    // A table that is gone (engine closed, never opened) holds nothing.
    PoolCapacities capacities = openedCapacities();
    if (!ZEPengine.objects) capacities.objects = 0;
    if (!ZEPengine.meshes) capacities.meshes = 0;
    if (!ZEPengine.helpers) capacities.helpers = 0;
    if (!poolBuffers().staticVertices || !poolBuffers().staticIndices) capacities.staticVertices = 0;
    return capacities;
}

void resetRegistry() {
    openedCapacities() = poolCapacities();
    // Object 0 is never used and object 1 holds the engine's own quads,
    // whose vertex numbers are pool slots: both start at slot 0.
    const int32_t objects = registryCapacities().objects;
    for (int32_t obj = 0; obj < 2 && obj < objects; ++obj) ZEPengine.objects[obj].firstVertex = 0;
}

// ---- Tables -----------------------------------------------------------

ObjectRecord* newObjectSlot() {
    const int32_t obj = ZEPengine.objectCount;
    if (obj < 0 || obj >= registryCapacities().objects) {
        ZEP_log("Static objects overflow.\n");
        return nullptr;
    }
    return &ZEPengine.objects[obj];
}

MeshRecord* meshSlot(int32_t mesh) {
    if (mesh < 0) {
        ZEP_log("Error: Bad mesh index [%i].\n", mesh);
        return nullptr;
    }
    if (mesh >= registryCapacities().meshes) {
        ZEP_log("Error: Mesh index is too big [%i].\n", mesh);
        return nullptr;
    }
    return &ZEPengine.meshes[mesh];
}

bool meshCountHasRoom() {
    // One record is kept spare past the last mesh in use: building code
    // opens the mesh after the last one when it closes an object.
    const int32_t limit = registryCapacities().meshes - 1;
    if (ZEPengine.meshCount < limit) return true;
    ZEPengine.meshCount = std::max(limit, 0);
    ZEP_log("Static meshes overflow.\n");
    return false;
}

int32_t appendHelpers(const void* records, int32_t count) {
    const int32_t first = ZEPengine.helperCount;
    if (!rangeInside(first, count, registryCapacities().helpers) || (count > 0 && !records)) {
        ZEP_log("Static helpers overflow.\n");
        return -1;
    }
    if (count > 0) std::memcpy(&ZEPengine.helpers[first], records, size_t(count) * sizeof(HelperRecord));
    ZEPengine.helperCount = first + count;
    return first;
}

// ---- Static pools ------------------------------------------------------

int32_t beginObjectVertices() {
    // Even slots let a morph object's vertex pairs be read as 88-byte
    // vertices from a base of firstVertex / 2.
    ZEPengine.staticVertexCount += ZEPengine.staticVertexCount & 1;
    return ZEPengine.staticVertexCount;
}

bool objectVerticesFit(int32_t firstVertex, int32_t slots) {
    if (firstVertex >= 0 && slots >= 0 && int64_t(firstVertex) + slots < registryCapacities().staticVertices)
        return true;
    ZEP_log("\n[Load obj] Error: Out of static vertex buffer.\n");
    return false;
}

bool objectIndexesFit(int32_t count) {
    const int32_t fill = ZEPengine.staticIndexCount;
    if (fill >= 0 && count >= 0 && int64_t(fill) + count < registryCapacities().staticVertices) return true;
    ZEP_log("Error: Out of static index buffer memory.\n");
    return false;
}

namespace {

// The buffer behind each pool and the word its lock errors name.
IDirect3DVertexBuffer8* poolBuffer(const StaticVertex*) { return poolBuffers().staticVertices; }
IDirect3DIndexBuffer8* poolBuffer(const uint16_t*) { return poolBuffers().staticIndices; }
const char* poolName(const StaticVertex*) { return "vertex"; }
const char* poolName(const uint16_t*) { return "index"; }

}  // namespace

template <typename Element>
StaticPoolLock<Element>::StaticPoolLock(int32_t first, int32_t count, bool readOnly) {
    if (count == 0) {
        ok_ = true;
        return;
    }
    const Element* kind = nullptr;
    BYTE* data = nullptr;
    if (!rangeInside(first, count, registryCapacities().staticVertices) ||
        FAILED(poolBuffer(kind)->Lock(UINT(first) * sizeof(Element), UINT(count) * sizeof(Element), &data,
                                      readOnly ? D3DLOCK_READONLY : 0))) {
        ZEP_log("Error: Static %s buffer lock [%i,%i].\n", poolName(kind), first, count);
        return;
    }
    elements_ = reinterpret_cast<Element*>(data);
    ok_ = true;
}

template <typename Element>
StaticPoolLock<Element>::~StaticPoolLock() {
    if (elements_) poolBuffer(elements_)->Unlock();
}

template class StaticPoolLock<StaticVertex>;
template class StaticPoolLock<uint16_t>;

// ---- Boxes -------------------------------------------------------------

Bounds emptyBounds() {
    return {{kEmptyExtent, kEmptyExtent, kEmptyExtent}, {-kEmptyExtent, -kEmptyExtent, -kEmptyExtent}};
}

void includePoint(Bounds& bounds, const D3DVECTOR& point) {
    bounds.min.x = std::min(bounds.min.x, point.x);
    bounds.min.y = std::min(bounds.min.y, point.y);
    bounds.min.z = std::min(bounds.min.z, point.z);
    bounds.max.x = std::max(bounds.max.x, point.x);
    bounds.max.y = std::max(bounds.max.y, point.y);
    bounds.max.z = std::max(bounds.max.z, point.z);
}

void setObjectBox(ObjectRecord& object, const Bounds& bounds) {
    const D3DVECTOR& lo = bounds.min;
    const D3DVECTOR& hi = bounds.max;
    const D3DVECTOR corners[8] = {{lo.x, lo.y, lo.z}, {hi.x, lo.y, lo.z}, {hi.x, hi.y, lo.z}, {lo.x, hi.y, lo.z},
                                  {lo.x, lo.y, hi.z}, {hi.x, lo.y, hi.z}, {hi.x, hi.y, hi.z}, {lo.x, hi.y, hi.z}};
    std::copy(std::begin(corners), std::end(corners), object.box);
    object.radius = std::max({std::fabs(lo.x), std::fabs(hi.x), std::fabs(lo.y), std::fabs(hi.y), std::fabs(lo.z),
                              std::fabs(hi.z)});
}

void setMeshVertexRange(MeshRecord& mesh, const uint16_t* indexes, int32_t count) {
    int32_t lowest = kEmptyMinVertex;
    int32_t highest = 0;
    for (int32_t i = 0; i < count; ++i) {
        lowest = std::min<int32_t>(lowest, indexes[i]);
        highest = std::max<int32_t>(highest, indexes[i]);
    }
    mesh.minVertex = lowest;
    mesh.vertexEnd = highest + 1;
}

}  // namespace zep
