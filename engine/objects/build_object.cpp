// The procedural object interface and the registry exports: hosts (and the
// engine itself, for its quads, sky and water) build an object mesh by mesh
// into the shared tables and pools, then commit it by advancing the counts.
//
// Building follows one order: InitObj(n) at the object count n, vertices and
// triangles, AddMesh for every further mesh and once more to close the last,
// CloseObj, then SetMeshesNumber and SetObjsNumber. Nothing checks that
// order, but every handle and position is checked against the tables and
// pools, so a host that gets it wrong gets a log line and a failure result,
// never a write outside them.

#include "objects/registry.h"

#include <ZEPenginedll.h>

#include <cstring>

namespace zep {
namespace {

constexpr float kDefaultSpecularPower = 50.0f;

// Objects a host may name: 1 (0 is reserved) up to the object count, the
// one at the count being the object under construction.
bool objectHandleValid(int32_t obj) { return obj >= 1 && obj <= ZEPengine.objectCount; }

// An object that exists or is being built, for reading and editing.
ObjectRecord* objectFor(int32_t obj) {
    if (!objectHandleValid(obj) || obj >= registryCapacities().objects) {
        ZEP_log("Error: Bad object index [%i].\n", obj);
        return nullptr;
    }
    return &ZEPengine.objects[obj];
}

// The object a building call works on; past the table it is an overflow.
ObjectRecord* objectToBuild(int32_t obj) {
    if (!objectHandleValid(obj)) {
        ZEP_log("Error: Bad object index [%i].\n", obj);
        return nullptr;
    }
    if (obj >= registryCapacities().objects) {
        ZEP_log("Static objects overflow.\n");
        return nullptr;
    }
    return &ZEPengine.objects[obj];
}

// A mesh a building call closes or ends an object with.
bool buildMeshValid(int32_t mesh) {
    if (mesh < 0) {
        ZEP_log("Error: Bad mesh index [%i].\n", mesh);
        return false;
    }
    if (mesh >= registryCapacities().meshes) {
        ZEP_log("Static meshes overflow.\n");
        return false;
    }
    return true;
}

void closeMesh(MeshRecord& mesh, const ObjectRecord& object) {
    mesh.vertexEnd = ZEPengine.staticVertexCount - object.firstVertex;
    mesh.indexEnd = ZEPengine.staticIndexCount;
}

void openMesh(MeshRecord& mesh, const ObjectRecord& object) {
    mesh.minVertex = ZEPengine.staticVertexCount - object.firstVertex;
    mesh.indexStart = ZEPengine.staticIndexCount;
    mesh.texture = ZEP_NO_TEXTURE;
    mesh.texture2 = ZEP_NO_TEXTURE;
    mesh.blendMode = ZEP_BLEND_ONE_TEXTURE;
    mesh.userValue = -1;
    mesh.materialParam = 1.0f;
    mesh.specularPower = kDefaultSpecularPower;
    mesh.opacity = 1.0f;
    mesh.wrapU0 = mesh.wrapU1 = mesh.wrapV0 = mesh.wrapV1 = 1;
    // The slot may hold a rolled-back file object's mesh: no stale clip group.
    mesh.clipGroupSize = 0;
}

// Extends `bounds` by every vertex the indexes [start, end) reference,
// relative to `firstVertex`. False (and nothing read) when a range leaves a
// pool or a lock fails.
bool includeIndexedVertices(Bounds& bounds, int32_t firstVertex, int32_t start, int32_t end) {
    if (end <= start) return true;
    StaticIndexLock indexes(start, end - start, true);
    if (!indexes.ok()) return false;
    int32_t lowest = 0xFFFF, highest = 0;
    for (int32_t i = 0; i < end - start; ++i) {
        lowest = indexes[i] < lowest ? indexes[i] : lowest;
        highest = indexes[i] > highest ? indexes[i] : highest;
    }
    StaticVertexLock vertices(firstVertex + lowest, highest - lowest + 1, true);
    if (!vertices.ok()) return false;
    for (int32_t i = 0; i < end - start; ++i) includePoint(bounds, vertices[indexes[i] - lowest].position);
    return true;
}

// Slot of vertex `vertex` of an object, when it is a slot already written.
bool vertexSlot(const ObjectRecord& object, int32_t vertex, int32_t* slot) {
    const int64_t at = int64_t(object.firstVertex) + vertex;
    const int32_t written = ZEPengine.staticVertexCount < registryCapacities().staticVertices
                                ? ZEPengine.staticVertexCount
                                : registryCapacities().staticVertices;
    if (vertex < 0 || at < 0 || at >= written) {
        ZEP_log("Error: Bad vertex index [%i].\n", vertex);
        return false;
    }
    *slot = int32_t(at);
    return true;
}

bool indexPositionValid(int32_t i) {
    if (i >= 0 && i < registryCapacities().staticVertices) return true;
    ZEP_log("Error: Bad index position [%i].\n", i);
    return false;
}

// GetHelper hands matrices out in engine axes: Y and Z exchanged in every
// row, and a homogeneous last element whatever the file held.
D3DMATRIX helperMatrixToEngineAxes(const D3DMATRIX& file) {
    D3DMATRIX out;
    for (int row = 0; row < 4; ++row) {
        out.m[row][0] = file.m[row][0];
        out.m[row][1] = file.m[row][2];
        out.m[row][2] = file.m[row][1];
        out.m[row][3] = file.m[row][3];
    }
    out.m[3][3] = 1.0f;
    return out;
}

}  // namespace
}  // namespace zep

using namespace zep;

extern "C" {

// ---- Building objects ----------------------------------------------------

ZEP_EXPORT uint8_t ZEPAPI AddMesh(int32_t obj, int32_t mesh) {
    ObjectRecord* object = objectToBuild(obj);
    if (!object) return 0;
    const int32_t capacity = registryCapacities().meshes;
    if (mesh < 0) {
        ZEP_log("Error: Bad mesh index [%i].\n", mesh);
        return 0;
    }
    if (mesh > capacity) {
        ZEP_log("Static meshes overflow.\n");
        return 0;
    }
    if (mesh > 0 && mesh > object->firstMesh) closeMesh(ZEPengine.meshes[mesh - 1], *object);
    // AddMesh(n, last + 1) closes an object's last mesh; when that mesh was
    // the table's last record there is nothing to open.
    if (mesh < capacity) openMesh(ZEPengine.meshes[mesh], *object);
    return 1;
}

ZEP_EXPORT uint8_t ZEPAPI InitObj(int32_t obj, int32_t flags) {
    ObjectRecord* object = objectToBuild(obj);
    if (!object) return 0;
    const int32_t firstMesh = ZEPengine.meshCount;
    if (firstMesh < 0 || firstMesh >= registryCapacities().meshes) {
        ZEP_log("Static meshes overflow.\n");
        return 0;
    }
    object->firstMesh = firstMesh;
    object->lastMesh = firstMesh;
    object->flags = flags;
    object->helperCount = 0;
    object->firstHelper = ZEPengine.helperCount;
    object->firstVertex = ZEPengine.staticVertexCount;
    object->firstAnimation = -1;
    object->morphSlot = -1;
    object->morphWeight = 0.0f;
    // Built objects have no file: a stale name would let a later load of
    // that file find this object instead.
    object->name[0] = '\0';
    return AddMesh(obj, firstMesh);
}

ZEP_EXPORT int32_t ZEPAPI AddLightVertex2(float x, float y, float z, float nx, float ny, float nz, float tu1, float tv1,
                                          float tu2, float tv2, uint32_t color) {
    const PoolCapacities capacities = registryCapacities();
    const int32_t building = ZEPengine.objectCount;
    if (building < 0 || building >= capacities.objects) {
        ZEP_log("Static objects overflow.\n");
        return -1;
    }
    const int32_t slot = ZEPengine.staticVertexCount;
    if (slot < 0 || slot >= capacities.staticVertices) {
        ZEP_log("Error: Out of static vertex buffer.\n");
        return -1;
    }
    {
        StaticVertexLock vertex(slot, 1);
        if (!vertex.ok()) return -1;
        vertex[0] = StaticVertex{{x, y, z}, {nx, ny, nz}, color, tu1, tv1, tu2, tv2};
    }
    ZEPengine.staticVertexCount = slot + 1;
    return slot - ZEPengine.objects[building].firstVertex;
}

ZEP_EXPORT int32_t ZEPAPI AddLightVertex(float x, float y, float z, float nx, float ny, float nz, float tu, float tv,
                                         uint32_t color) {
    return AddLightVertex2(x, y, z, nx, ny, nz, tu, tv, tu, tv, color);
}

ZEP_EXPORT int32_t ZEPAPI AddPolyIndexes(int32_t first, int32_t second, int32_t third) {
    const int32_t fill = ZEPengine.staticIndexCount;
    if (fill < 0 || int64_t(fill) + 3 > registryCapacities().staticVertices) {
        ZEP_log("Error: Out of static index buffer memory.\n");
        return -1;
    }
    {
        StaticIndexLock indexes(fill, 3);
        if (!indexes.ok()) return -1;
        indexes[0] = uint16_t(first);
        indexes[1] = uint16_t(second);
        indexes[2] = uint16_t(third);
    }
    ZEPengine.staticIndexCount = fill + 3;
    return ZEPengine.staticIndexCount;
}

ZEP_EXPORT uint8_t ZEPAPI CloseObj(int32_t obj, int32_t lastMesh) {
    ObjectRecord* object = objectToBuild(obj);
    if (!object || !buildMeshValid(object->firstMesh) || !buildMeshValid(lastMesh)) return 0;
    Bounds bounds = emptyBounds();
    const int32_t start = ZEPengine.meshes[object->firstMesh].indexStart;
    const int32_t end = ZEPengine.meshes[lastMesh].indexEnd;
    if (!includeIndexedVertices(bounds, object->firstVertex, start, end)) return 0;
    object->lastMesh = lastMesh;
    setObjectBox(*object, bounds);
    return 1;
}

// ---- Object registry -----------------------------------------------------

ZEP_EXPORT uint8_t ZEPAPI ModifyStaticVertex(int32_t obj, int32_t vertex, const VertexExchange* in) {
    const ObjectRecord* object = objectFor(obj);
    int32_t slot = 0;
    if (!object || !vertexSlot(*object, vertex, &slot)) return 0;
    if (!in) {
        ZEP_log("Error: No vertex record.\n");
        return 0;
    }
    StaticVertexLock lock(slot, 1);
    if (!lock.ok()) return 0;
    lock[0] = StaticVertex{{in->x, in->y, in->z}, {in->nx, in->ny, in->nz}, in->color, in->tu1, in->tv1, in->tu2, in->tv2};
    return 1;
}

ZEP_EXPORT uint8_t ZEPAPI GetStaticVertex(int32_t obj, int32_t vertex, VertexExchange* out) {
    const ObjectRecord* object = objectFor(obj);
    int32_t slot = 0;
    if (!object || !vertexSlot(*object, vertex, &slot)) return 0;
    if (!out) {
        ZEP_log("Error: No vertex record.\n");
        return 0;
    }
    StaticVertexLock lock(slot, 1, true);
    if (!lock.ok()) return 0;
    const StaticVertex& v = lock[0];
    *out = VertexExchange{v.position.x, v.position.y, v.position.z, v.normal.x, v.normal.y, v.normal.z,
                          v.tu1,        v.tv1,        v.tu2,        v.tv2,      v.diffuse};
    return 1;
}

ZEP_EXPORT int32_t ZEPAPI GetIndex(int32_t i) {
    if (!indexPositionValid(i)) return -1;
    StaticIndexLock lock(i, 1, true);
    return lock.ok() ? int32_t(lock[0]) : -1;
}

ZEP_EXPORT uint8_t ZEPAPI ModifyIndex(int32_t i, int32_t value) {
    if (!indexPositionValid(i)) return 0;
    StaticIndexLock lock(i, 1);
    if (!lock.ok()) return 0;
    lock[0] = uint16_t(value);
    return 1;
}

ZEP_EXPORT void ZEPAPI SetObjsNumber(int32_t n) {
    // At least object 0, which is reserved; at most a full table.
    if (n < 1 || n > registryCapacities().objects) {
        ZEP_log("Error: Bad object count [%i].\n", n);
        return;
    }
    ZEPengine.objectCount = n;
}

ZEP_EXPORT int32_t ZEPAPI GetObjsNumber(void) { return ZEPengine.objectCount; }

ZEP_EXPORT void ZEPAPI SetMeshesNumber(int32_t n) {
    if (n < 0 || n > registryCapacities().meshes) {
        ZEP_log("Error: Bad mesh count [%i].\n", n);
        return;
    }
    ZEPengine.meshCount = n;
}

ZEP_EXPORT int32_t ZEPAPI GetMeshesNumber(void) { return ZEPengine.meshCount; }

ZEP_EXPORT void ZEPAPI SetMeshMaterial(int32_t mesh, int32_t texture, int32_t texture2, int32_t blendMode,
                                       int32_t userValue, float materialParam, uint8_t wrapU0, uint8_t wrapV0,
                                       uint8_t wrapU1, uint8_t wrapV1, float opacity) {
    MeshRecord* m = meshSlot(mesh);
    if (!m) return;
    // -1 (and -1.0) keep a field, so hosts can change one thing at a time.
    if (texture != -1) m->texture = texture;
    if (texture2 != -1) m->texture2 = texture2;
    if (blendMode != -1) m->blendMode = uint32_t(blendMode);
    if (userValue != -1) m->userValue = userValue;
    if (materialParam != -1.0f) m->materialParam = materialParam;
    if (opacity != -1.0f) m->opacity = opacity;
    m->wrapU0 = wrapU0;
    m->wrapV0 = wrapV0;
    m->wrapU1 = wrapU1;
    m->wrapV1 = wrapV1;
}

ZEP_EXPORT void ZEPAPI GetMeshMaterial(int32_t mesh, int32_t* texture, int32_t* texture2, int32_t* blendMode,
                                       int32_t* userValue, float* materialParam, uint8_t* wrapU0, uint8_t* wrapV0,
                                       uint8_t* wrapU1, uint8_t* wrapV1, float* opacity) {
    const MeshRecord* m = meshSlot(mesh);
    if (!m) return;
    if (texture) *texture = m->texture;
    if (texture2) *texture2 = m->texture2;
    if (blendMode) *blendMode = int32_t(m->blendMode);
    if (userValue) *userValue = m->userValue;
    if (materialParam) *materialParam = m->materialParam;
    if (wrapU0) *wrapU0 = m->wrapU0;
    if (wrapV0) *wrapV0 = m->wrapV0;
    if (wrapU1) *wrapU1 = m->wrapU1;
    if (wrapV1) *wrapV1 = m->wrapV1;
    if (opacity) *opacity = m->opacity;
}

ZEP_EXPORT int32_t ZEPAPI GetHelperCount(int32_t obj) {
    const ObjectRecord* object = objectFor(obj);
    return object ? object->helperCount : -1;
}

ZEP_EXPORT HelperResult ZEPAPI GetHelper(int32_t obj, int32_t i) {
    HelperResult result;
    std::memset(&result, 0, sizeof result);
    const ObjectRecord* object = objectFor(obj);
    if (!object || i < 0 || i >= object->helperCount) return result;
    const int64_t index = int64_t(object->firstHelper) + i;
    if (index < 0 || index >= registryCapacities().helpers) {
        ZEP_log("Error: Bad helper index [%i].\n", i);
        return result;
    }
    const HelperRecord& helper = ZEPengine.helpers[index];
    result.found = 1;
    result.matrix = helperMatrixToEngineAxes(helper.matrix);
    result.name = helper.name;
    result.text = helper.text;
    return result;
}

}  // extern "C"
