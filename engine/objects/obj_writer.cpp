// saveobj: one object of the object table written back as an OBJ file of
// version 240, the layout the reader loads. The file is assembled in memory,
// handed to the host's content encoder when one is installed, and written in
// one piece. Slot i describes mesh i; the file carries one slot more than
// the object has meshes, the extra one repeating the last mesh.

#include "objects/obj_format.h"

#include "objects/registry.h"
#include "objects/textures.h"

#include <ZEPenginedll.h>
#include <zep_files.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace zep::obj {

float storedFromChannel(uint8_t channel) {
    // The single-precision reciprocal: every byte comes back exactly when
    // the reader multiplies by 255 and truncates.
    constexpr float kOneOver255 = 1.0f / 255.0f;
    return float(channel) * kOneOver255;
}

uint8_t typeByteForMesh(const MeshRecord& mesh) {
    uint8_t type = 0;
    switch (mesh.blendMode) {
        case ZEP_BLEND_TWO_TEXTURES: type = 0; break;
        case ZEP_BLEND_LAVA:
        case ZEP_BLEND_DOT3: type = kTypeBump; break;
        case ZEP_BLEND_WATER: type = kTypeWater; break;
        case ZEP_BLEND_ONE_TEXTURE: type = kTypeOneTexture; break;
        case ZEP_EFFECT_SPHERE_MAP: type = kTypeSphereMap; break;
        default: type = 0; break;
    }
    if (mesh.wrapU0) type |= kWrapU0;
    if (mesh.wrapV0) type |= kWrapV0;
    if (mesh.wrapU1) type |= kWrapU1;
    if (mesh.wrapV1) type |= kWrapV1;
    return type;
}

}  // namespace zep::obj

namespace zep {

namespace {

// Appends little-endian values to the file image.
class FileImage {
public:
    explicit FileImage(size_t reserve) { bytes_.reserve(reserve); }

    void raw(const void* data, size_t size) {
        const size_t at = bytes_.size();
        bytes_.resize(at + size);
        if (size) std::memcpy(bytes_.data() + at, data, size);
    }
    void i32(int32_t v) { raw(&v, sizeof v); }
    void u8(uint8_t v) { raw(&v, sizeof v); }
    void f32(float v) { raw(&v, sizeof v); }

    std::vector<uint8_t>& bytes() { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};

// What of the object is written: its meshes, its vertex and index ranges,
// all kept inside the tables and pools.
struct SaveRange {
    int32_t firstMesh = 0;
    int32_t meshCount = 0;
    int32_t firstVertex = 0;
    int32_t vertexCount = 0;
    int32_t indexStart = 0;
    int32_t indexCount = 0;
    int32_t firstHelper = 0;
    int32_t helperCount = 0;
};

bool objectSavable(int32_t obj, const ObjectRecord** out) {
    const PoolCapacities capacity = registryCapacities();
    if (obj < 0 || obj >= capacity.objects) return false;
    const ObjectRecord& object = ZEPengine.objects[obj];
    if (object.firstMesh < 0 || object.lastMesh < object.firstMesh || object.lastMesh >= capacity.meshes) return false;
    *out = &object;
    return true;
}

// Vertices are written from the object's first slot up to the largest
// vertexEnd, so the file's corner numbers are the pool's indexes as they
// are; ranges are cut to the pools and tables.
SaveRange saveRange(const ObjectRecord& object) {
    const PoolCapacities capacity = registryCapacities();
    SaveRange range;
    range.firstMesh = object.firstMesh;
    range.meshCount = object.lastMesh - object.firstMesh + 1;
    const MeshRecord& first = ZEPengine.meshes[object.firstMesh];
    const MeshRecord& last = ZEPengine.meshes[object.lastMesh];
    int32_t vertexEnd = 0;
    for (int32_t m = object.firstMesh; m <= object.lastMesh; ++m)
        vertexEnd = std::max(vertexEnd, ZEPengine.meshes[m].vertexEnd);
    range.firstVertex = std::clamp(object.firstVertex, 0, capacity.staticVertices);
    range.vertexCount = std::clamp(vertexEnd, 0, capacity.staticVertices - range.firstVertex);
    range.indexStart = std::clamp(first.indexStart, 0, capacity.staticVertices);
    range.indexCount = std::clamp(last.indexEnd - range.indexStart, 0, capacity.staticVertices - range.indexStart);
    range.indexCount -= range.indexCount % 3;  // whole triangles only: the file counts triangles
    range.firstHelper = std::clamp(object.firstHelper, 0, capacity.helpers);
    range.helperCount = std::clamp(object.helperCount, 0, capacity.helpers - range.firstHelper);
    return range;
}

// The first 30 bytes of a texture's list name; zeros for no texture.
void writeTextureName(FileImage& image, int32_t handle) {
    char name[obj::kNameBytes] = {};
    if (const TextureEntry* entry = handle >= 0 ? textureEntry(handle) : nullptr)
        std::memcpy(name, entry->name, sizeof name);
    image.raw(name, sizeof name);
}

void writeSlots(FileImage& image, const SaveRange& range) {
    // Slot i (1..T) is mesh i - 1; the extra last slot repeats the last mesh.
    const int32_t slotCount = range.meshCount + 1;
    auto meshOfSlot = [&](int32_t slot) -> const MeshRecord& {
        return ZEPengine.meshes[range.firstMesh + std::min(slot, range.meshCount - 1)];
    };
    image.i32(slotCount);
    for (int32_t s = 0; s < slotCount; ++s) writeTextureName(image, meshOfSlot(s).texture);
    for (int32_t s = 0; s < slotCount; ++s) writeTextureName(image, meshOfSlot(s).texture2);
    for (int32_t s = 0; s < slotCount; ++s) image.u8(obj::typeByteForMesh(meshOfSlot(s)));
    for (int32_t s = 0; s < slotCount; ++s) image.f32(meshOfSlot(s).materialParam);
    for (int32_t s = 0; s < slotCount; ++s) image.f32(meshOfSlot(s).opacity);
}

uint8_t channel(uint32_t colour, int shift) { return uint8_t(colour >> shift); }

// The fourteen per-attribute arrays, engine axes written back as file axes.
bool writeVertices(FileImage& image, const SaveRange& range) {
    StaticVertexLock lock(range.firstVertex, range.vertexCount, true);
    if (!lock.ok()) return false;
    const int32_t n = range.vertexCount;
    auto array = [&](auto value) {
        for (int32_t i = 0; i < n; ++i) image.f32(value(lock[i]));
    };
    array([](const StaticVertex& v) { return v.position.x; });
    array([](const StaticVertex& v) { return v.position.z; });
    array([](const StaticVertex& v) { return v.position.y; });
    array([](const StaticVertex& v) { return v.tu1; });
    array([](const StaticVertex& v) { return 1.0f - v.tv1; });
    array([](const StaticVertex& v) { return v.tu2; });
    array([](const StaticVertex& v) { return 1.0f - v.tv2; });
    array([](const StaticVertex& v) { return obj::storedFromChannel(channel(v.diffuse, 24)); });
    array([](const StaticVertex& v) { return obj::storedFromChannel(channel(v.diffuse, 16)); });
    array([](const StaticVertex& v) { return obj::storedFromChannel(channel(v.diffuse, 8)); });
    array([](const StaticVertex& v) { return obj::storedFromChannel(channel(v.diffuse, 0)); });
    array([](const StaticVertex& v) { return v.normal.x; });
    array([](const StaticVertex& v) { return v.normal.z; });
    array([](const StaticVertex& v) { return v.normal.y; });
    return true;
}

bool writeIndexes(FileImage& image, const SaveRange& range) {
    StaticIndexLock lock(range.indexStart, range.indexCount, true);
    if (!lock.ok()) return false;
    for (int32_t i = 0; i < range.indexCount; ++i) image.i32(lock[i]);
    return true;
}

// One slot number per triangle: mesh k (1..M) for each of its triangles,
// exactly P of them so that the file stays consistent whatever the meshes
// hold.
void writeTriangleSlots(FileImage& image, const SaveRange& range) {
    const int32_t triangles = range.indexCount / 3;
    int32_t written = 0;
    for (int32_t k = 1; k <= range.meshCount && written < triangles; ++k) {
        const MeshRecord& mesh = ZEPengine.meshes[range.firstMesh + k - 1];
        const int32_t count = std::max(0, (mesh.indexEnd - mesh.indexStart) / 3);
        for (int32_t t = 0; t < count && written < triangles; ++t, ++written) image.i32(k);
    }
    for (; written < triangles; ++written) image.i32(range.meshCount);
}

bool buildImage(FileImage& image, const SaveRange& range) {
    image.i32(obj::kMarker);
    image.raw(obj::kWriterTag, obj::kTagBytes);
    writeSlots(image, range);
    image.i32(range.vertexCount);
    image.i32(range.indexCount / 3);
    if (!writeVertices(image, range)) return false;
    if (!writeIndexes(image, range)) return false;
    writeTriangleSlots(image, range);
    image.i32(range.helperCount);
    if (range.helperCount > 0)
        image.raw(&ZEPengine.helpers[range.firstHelper], size_t(range.helperCount) * sizeof(HelperRecord));
    return true;
}

size_t imageSize(const SaveRange& range) {
    const size_t slots = size_t(range.meshCount) + 1;
    const size_t indexes = size_t(range.indexCount);
    return 27 + 69 * slots + 56 * size_t(range.vertexCount) + 4 * indexes + 4 * ((indexes + 1) / 3) +
           124 * size_t(range.helperCount);
}

// The reader refuses more than 32 texture slots and 100000 vertices or
// more; a file it would refuse is not written at all, rather than reported
// as saved and lost on the next load.
bool readableBack(const SaveRange& range, int32_t obj) {
    const int32_t slots = range.meshCount + 1;
    if (slots > obj::kMaxSlots) {
        ZEP_log("Error: object %i has %i meshes, a file holds at most %i.\n", obj, range.meshCount,
                obj::kMaxSlots - 1);
        return false;
    }
    if (range.vertexCount >= obj::kVertexLimit) {
        ZEP_log("Error: object %i has %i vertices, a file holds fewer than %i.\n", obj, range.vertexCount,
                obj::kVertexLimit);
        return false;
    }
    return true;
}

uint8_t saveObject(const char* path, int32_t obj) {
    const ObjectRecord* object = nullptr;
    if (!objectSavable(obj, &object)) {
        ZEP_log("Error: no object to save [%i].\n", obj);
        return 0;
    }
    // The image is complete before the file is created, so a failed read of
    // the pools leaves no half-written file behind.
    const SaveRange range = saveRange(*object);
    if (!readableBack(range, obj)) return 0;
    FileImage image(imageSize(range));
    if (!buildImage(image, range)) return 0;
    FILE* file = path ? zep_fopen(path, "wb") : nullptr;
    if (!file) {
        ZEP_log("Error: File write open [%s]\n", path ? path : "");
        return 0;
    }
    std::vector<uint8_t>& bytes = image.bytes();
    if (ZEPengine.contentEncoder) ZEPengine.contentEncoder(bytes.data(), int32_t(bytes.size()));
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        ZEP_log("Error: File write [%s]\n", path);
        return 0;
    }
    return 1;
}

}  // namespace

}  // namespace zep

extern "C" ZEP_EXPORT uint8_t ZEPAPI saveobj(const char* path, int32_t obj) { return zep::saveObject(path, obj); }
