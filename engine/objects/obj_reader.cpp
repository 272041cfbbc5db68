// The OBJ reader: loadobj and loadmorphobj. A file is first parsed whole
// into an ObjFile (nothing registered yet), then registered: helpers and
// animations, textures, meshes split by slot, vertices and indexes into the
// static pools, box and radius. A file that is damaged never reaches the
// registry; a load that fails on a capacity keeps what it had taken, as the
// engine's counters only grow.

#include "objects/obj_format.h"

#include "objects/registry.h"
#include "objects/textures.h"
#include "objects/whole_file.h"

#include <ZEPenginedll.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <strings.h>

namespace zep::obj {

namespace {

// ---- Reading bytes ---------------------------------------------------------

// A read position over the loaded bytes. Every read checks what is left
// first; once a read fails the cursor stays failed, so a parse can check
// once after a group of reads.
class Cursor {
public:
    Cursor(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool failed() const { return failed_; }
    size_t remaining() const { return failed_ ? 0 : size_ - at_; }
    bool atEnd() const { return remaining() == 0; }

    // True when `count` items of `bytes` each are left.
    bool has(int64_t count, size_t bytes) const {
        return count >= 0 && uint64_t(count) <= remaining() / bytes;
    }

    bool copy(void* out, size_t bytes) {
        if (failed_ || bytes > size_ - at_) {
            failed_ = true;
            return false;
        }
        if (bytes) std::memcpy(out, data_ + at_, bytes);
        at_ += bytes;
        return true;
    }

    bool skip(size_t bytes) {
        if (failed_ || bytes > size_ - at_) {
            failed_ = true;
            return false;
        }
        at_ += bytes;
        return true;
    }

    int32_t i32() { return value<int32_t>(); }
    uint16_t u16() { return value<uint16_t>(); }
    uint8_t u8() { return value<uint8_t>(); }
    float f32() { return value<float>(); }

    // `count` values into `out`; fails without allocating when they are not there.
    template <typename T>
    bool array(std::vector<T>& out, int64_t count) {
        if (!has(count, sizeof(T))) {
            failed_ = true;
            return false;
        }
        out.resize(size_t(count));
        return copy(out.data(), size_t(count) * sizeof(T));
    }

    // A NUL-terminated name inside a field of kNameBytes.
    bool name(char (&out)[kNameBytes + 1]) {
        std::memset(out, 0, sizeof out);
        return copy(out, kNameBytes);
    }

private:
    template <typename T>
    T value() {
        T v{};
        copy(&v, sizeof v);
        return v;
    }

    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
    bool failed_ = false;
};

// ---- Layout pieces ---------------------------------------------------------

// The four digits after "OBJ", read as a decimal number (up to the first
// character that is not a digit).
int32_t versionFromTag(const char (&tag)[kTagBytes]) {
    int32_t version = 0;
    for (int i = 3; i < kTagBytes && tag[i] >= '0' && tag[i] <= '9'; ++i) version = version * 10 + (tag[i] - '0');
    return version;
}

ParseStatus checkSlotCount(int32_t slots) {
    if (slots > kMaxSlots) return ParseStatus::TooManyTextures;
    if (slots < 0) return ParseStatus::NegativeCount;
    return ParseStatus::Ok;
}

bool readSlotTables(Cursor& in, ObjFile& file) {
    const int32_t version = file.version;
    for (Slot& slot : file.slots) in.name(slot.name1);
    if (version >= kVersionTwoTextures) {
        for (Slot& slot : file.slots) in.name(slot.name2);
        for (Slot& slot : file.slots) slot.typeByte = in.u8();
        for (Slot& slot : file.slots) slot.param = in.f32();
    }
    if (version >= kVersionOpacity)
        for (Slot& slot : file.slots) slot.opacity = in.f32();
    return !in.failed();
}

bool readVertexArrays(Cursor& in, ObjFile& file) {
    const int32_t v = file.vertexCount;
    const int32_t version = file.version;
    VertexArrays& a = file.vertices;
    in.array(a.x, v) && in.array(a.y, v) && in.array(a.z, v) && in.array(a.tu1, v) && in.array(a.tv1, v);
    if (version >= kVersionTwoTextures) in.array(a.tu2, v) && in.array(a.tv2, v);
    if (version >= kVersionOpacity) in.array(a.alpha, v);
    in.array(a.red, v) && in.array(a.green, v) && in.array(a.blue, v);
    in.array(a.nx, v) && in.array(a.ny, v) && in.array(a.nz, v);
    return !in.failed();
}

// One slot per triangle; only the low 16 bits of a slot are meaningful.
bool readTriangleSlots(Cursor& in, ObjFile& file) {
    std::vector<int32_t> slots;
    if (!in.array(slots, file.triangleCount)) return false;
    file.triangleSlots.resize(slots.size());
    for (size_t i = 0; i < slots.size(); ++i) file.triangleSlots[i] = uint16_t(uint32_t(slots[i]) & 0xFFFF);
    return true;
}

bool readTriangles(Cursor& in, ObjFile& file) {
    return in.array(file.corners, 3 * int64_t(file.triangleCount)) && readTriangleSlots(in, file);
}

ParseStatus checkTriangles(const ObjFile& file) {
    const int32_t slotCount = int32_t(file.slots.size());
    for (uint16_t slot : file.triangleSlots)
        if (slot < 1 || slot > slotCount) return ParseStatus::SlotOutOfRange;
    for (int32_t corner : file.corners)
        if (corner < 0 || corner >= file.vertexCount) return ParseStatus::CornerOutOfRange;
    return ParseStatus::Ok;
}

ParseStatus readHelpers(Cursor& in, ObjFile& file) {
    const int32_t count = in.i32();
    if (in.failed()) return ParseStatus::EndsEarly;
    if (count < 0) return ParseStatus::NegativeCount;
    if (!in.array(file.helpers, count)) return ParseStatus::EndsEarly;
    file.helpersAttached = file.version >= kVersionChunks;
    return ParseStatus::Ok;
}

// ---- Chunks ----------------------------------------------------------------

// A box of eight corners, second and third component exchanged.
void readBox(Cursor& in, D3DVECTOR (&box)[8]) {
    for (D3DVECTOR& corner : box) {
        corner.x = in.f32();
        corner.z = in.f32();
        corner.y = in.f32();
    }
}

ParseStatus readClipGroups(Cursor& in, ObjFile& file) {
    const int32_t count = in.i32();
    if (in.failed()) return ParseStatus::EndsEarly;
    if (count < 0) return ParseStatus::NegativeCount;
    if (!in.has(count, sizeof(int32_t) + kClipBoxBytes)) return ParseStatus::EndsEarly;
    // A later clip-group chunk replaces an earlier one: groups always count
    // from the object's first mesh.
    file.clipGroups.assign(size_t(count), ClipGroup{});
    for (ClipGroup& group : file.clipGroups) group.meshCount = in.i32();
    for (ClipGroup& group : file.clipGroups) readBox(in, group.box);
    for (const ClipGroup& group : file.clipGroups)
        if (group.meshCount < 0) return ParseStatus::NegativeCount;
    file.hasClipGroups = true;
    return in.failed() ? ParseStatus::EndsEarly : ParseStatus::Ok;
}

ParseStatus readAnimation(Cursor& in, AnimationEntry& entry) {
    entry = AnimationEntry{};
    entry.kind = in.i32();
    if (in.failed()) return ParseStatus::EndsEarly;
    if (entry.kind != 1) return ParseStatus::Ok;
    std::memset(entry.name, 0, sizeof entry.name);
    in.copy(entry.name, sizeof entry.name);
    entry.name[sizeof entry.name - 1] = '\0';
    entry.keyCount = in.i32();
    entry.rate = in.f32() * kAnimationRateScale;
    if (in.failed()) return ParseStatus::EndsEarly;
    if (entry.keyCount > ZEP_MAX_ANIMATION_KEYS) return ParseStatus::TooManyKeys;
    if (entry.keyCount < 0) return ParseStatus::NegativeCount;
    for (int32_t k = 0; k < entry.keyCount; ++k) {
        entry.keyTimes[k] = in.f32();
        in.copy(&entry.keys[k], sizeof(AnimationKey));
    }
    return in.failed() ? ParseStatus::EndsEarly : ParseStatus::Ok;
}

ParseStatus readAnimations(Cursor& in, ObjFile& file, int32_t animationRoom) {
    const int32_t count = in.i32();
    if (in.failed()) return ParseStatus::EndsEarly;
    if (count < 0) return ParseStatus::NegativeCount;
    if (count > 0) file.firstAnimation = int32_t(file.animations.size());
    for (int32_t i = 0; i < count; ++i) {
        if (int32_t(file.animations.size()) >= animationRoom) return ParseStatus::TooManyAnimations;
        AnimationEntry entry;
        const ParseStatus status = readAnimation(in, entry);
        if (status != ParseStatus::Ok) return status;
        file.animations.push_back(entry);
    }
    return ParseStatus::Ok;
}

ParseStatus readChunkBody(Cursor& in, uint16_t type, ObjFile& file, int32_t animationRoom) {
    const int32_t slotCount = int32_t(file.slots.size());
    switch (type) {
        case kChunkSpecular:
            for (Slot& slot : file.slots) slot.specularPower = in.f32();
            break;
        case kChunkClipGroups:
            return readClipGroups(in, file);
        case kChunkAnimations:
            return readAnimations(in, file, animationRoom);
        case kChunkSlotWords:
            in.skip(size_t(slotCount) * 4);
            break;
        case kChunkWord:
            in.skip(4);
            break;
        default:
            break;
    }
    return in.failed() ? ParseStatus::EndsEarly : ParseStatus::Ok;
}

// The chunk list ends at a header whose type is 0 or above the last type, at
// a closing word that is not 0 (the load goes on), or where the data ends.
ParseStatus readChunks(Cursor& in, ObjFile& file, int32_t animationRoom) {
    while (!in.atEnd()) {
        const uint16_t type = in.u16();
        in.i32();  // the chunk's parameter: not used
        if (in.failed()) return ParseStatus::EndsEarly;
        if (type == kChunkEnd || type > kLastChunkType) return ParseStatus::Ok;
        const ParseStatus status = readChunkBody(in, type, file, animationRoom);
        if (status != ParseStatus::Ok) return status;
        const uint16_t closing = in.u16();
        if (in.failed()) return ParseStatus::EndsEarly;
        if (closing != 0) {
            file.chunkListBroken = true;
            return ParseStatus::Ok;
        }
    }
    return ParseStatus::Ok;
}

// ---- Layouts ---------------------------------------------------------------

// Old layout: slot names, per-triangle arrays and triangle slots. Its
// per-triangle arrays carry no vertices the engine can use; they are
// checked and passed over, and the object gets its meshes without geometry.
ParseStatus readOldLayout(Cursor& in, int32_t slotCount, ObjFile& file) {
    file.version = kOldLayoutVersion;
    file.oldLayout = true;
    file.slots.assign(size_t(slotCount), Slot{});
    if (!readSlotTables(in, file)) return ParseStatus::EndsEarly;
    file.triangleCount = in.i32();
    if (in.failed()) return ParseStatus::EndsEarly;
    if (file.triangleCount < 0) return ParseStatus::NegativeCount;
    const int64_t p = file.triangleCount;
    if (!in.has(p, kOldTriangleArrays * 12) || !in.skip(size_t(p) * kOldTriangleArrays * 12))
        return ParseStatus::EndsEarly;
    if (!readTriangleSlots(in, file)) return ParseStatus::EndsEarly;
    return checkTriangles(file);
}

ParseStatus readCurrentLayout(Cursor& in, ObjFile& file, int32_t animationRoom) {
    char tag[kTagBytes];
    if (!in.copy(tag, sizeof tag)) return ParseStatus::EndsEarly;
    file.version = versionFromTag(tag);
    // Newer layouts drop the triangle block this reader builds meshes from.
    if (file.version > kNewestVersion) return ParseStatus::UnknownVersion;

    const int32_t slotCount = in.i32();
    if (in.failed()) return ParseStatus::EndsEarly;
    if (const ParseStatus status = checkSlotCount(slotCount); status != ParseStatus::Ok) return status;
    file.slots.assign(size_t(slotCount), Slot{});
    if (!readSlotTables(in, file)) return ParseStatus::EndsEarly;

    file.vertexCount = in.i32();
    file.triangleCount = in.i32();
    if (in.failed()) return ParseStatus::EndsEarly;
    if (file.vertexCount >= kVertexLimit) return ParseStatus::TooManyVertices;
    if (file.vertexCount < 0 || file.triangleCount < 0) return ParseStatus::NegativeCount;
    if (!readVertexArrays(in, file) || !readTriangles(in, file)) return ParseStatus::EndsEarly;
    if (const ParseStatus status = checkTriangles(file); status != ParseStatus::Ok) return status;

    if (file.version >= kVersionTwoTextures)
        if (const ParseStatus status = readHelpers(in, file); status != ParseStatus::Ok) return status;
    if (file.version >= kVersionChunks) return readChunks(in, file, animationRoom);
    return ParseStatus::Ok;
}

// Clip groups run over consecutive meshes from the first one; they must
// stay inside the object.
ParseStatus checkClipGroups(const ObjFile& file) {
    if (!file.hasClipGroups) return ParseStatus::Ok;
    std::vector<int32_t> keys(file.triangleSlots.begin(), file.triangleSlots.end());
    const int64_t meshes = int64_t(splitIntoRuns(keys).size());
    int64_t covered = 0;
    for (const ClipGroup& group : file.clipGroups) covered += group.meshCount;
    return covered <= meshes ? ParseStatus::Ok : ParseStatus::ClipGroupsTooLong;
}

}  // namespace

// ---- Parsing -----------------------------------------------------------------

ParseStatus parseObjFile(const uint8_t* data, size_t size, int32_t animationRoom, ObjFile& out) {
    out = ObjFile{};
    Cursor in(data, size);
    const int32_t first = in.i32();
    if (in.failed()) return ParseStatus::EndsEarly;
    if (first > kMaxSlots) return ParseStatus::TooManyTextures;
    if (first != kMarker) {
        if (first < 0) return ParseStatus::NegativeCount;
        return readOldLayout(in, first, out);
    }
    const ParseStatus status = readCurrentLayout(in, out, animationRoom);
    if (status != ParseStatus::Ok) return status;
    return checkClipGroups(out);
}

const char* parseStatusMessage(ParseStatus status) {
    switch (status) {
        case ParseStatus::Ok: return "";
        case ParseStatus::TooManyTextures: return "Error: too much textures in this object.\n";
        case ParseStatus::TooManyVertices: return "Error: vertex number is out of the limits.\n";
        case ParseStatus::TooManyAnimations: return "Error: too much animations.\n";
        case ParseStatus::TooManyKeys: return "Error: anim keys overflow.\n";
        case ParseStatus::EndsEarly: return "Error: object file ends early.\n";
        case ParseStatus::NegativeCount: return "Error: negative count in object file.\n";
        case ParseStatus::SlotOutOfRange: return "Error: triangle texture slot out of range.\n";
        case ParseStatus::CornerOutOfRange: return "Error: triangle corner out of range.\n";
        case ParseStatus::ClipGroupsTooLong: return "Error: clip groups reach past the last mesh.\n";
        case ParseStatus::UnknownVersion: return "Error: unknown object file version.\n";
    }
    return "";
}

std::vector<MeshRun> splitIntoRuns(const std::vector<int32_t>& triangleKeys) {
    std::vector<MeshRun> runs;
    if (triangleKeys.empty()) return {{0, 0, -1}};
    for (int32_t i = 0; i < int32_t(triangleKeys.size()); ++i) {
        if (runs.empty() || runs.back().key != triangleKeys[size_t(i)])
            runs.push_back({i, 0, triangleKeys[size_t(i)]});
        ++runs.back().triangleCount;
    }
    return runs;
}

// ---- Conversion rules ----------------------------------------------------

uint8_t channelFromStored(float stored) {
    // Some tools store bytes rather than fractions; 255.0 is the one value
    // of that kind that must not be scaled again.
    if (stored == 255.0f) return 255;
    const float scaled = stored * 255.0f;
    if (!(scaled > 0.0f)) return 0;  // also NaN
    if (scaled >= 255.0f) return 255;
    return uint8_t(scaled);
}

uint32_t vertexDiffuse(const VertexArrays& a, int32_t version, int32_t i) {
    const size_t v = size_t(i);
    const uint32_t alpha = version >= kVersionOpacity ? channelFromStored(a.alpha[v]) : 255u;
    return alpha << 24 | uint32_t(channelFromStored(a.red[v])) << 16 | uint32_t(channelFromStored(a.green[v])) << 8 |
           uint32_t(channelFromStored(a.blue[v]));
}

StaticVertex engineVertex(const VertexArrays& a, int32_t version, int32_t i) {
    const size_t v = size_t(i);
    StaticVertex out{};
    out.position = {a.x[v], a.z[v], a.y[v]};
    out.normal = {a.nx[v], a.nz[v], a.ny[v]};
    out.diffuse = vertexDiffuse(a, version, i);
    out.tu1 = a.tu1[v];
    out.tv1 = 1.0f - a.tv1[v];
    const bool twoPairs = version >= kVersionTwoTextures;
    out.tu2 = twoPairs ? a.tu2[v] : out.tu1;
    out.tv2 = twoPairs ? 1.0f - a.tv2[v] : out.tv1;
    return out;
}

uint32_t slotBlendMode(const Slot& slot) {
    switch (slot.typeByte & 0x0F) {
        case kTypeBump: {
            const size_t length = std::strlen(slot.name2);
            const bool water = length > 2 && slot.name2[length - 2] == '$' && slot.name2[length - 1] == 'W';
            return water ? ZEP_BLEND_WATER : ZEP_BLEND_DOT3;
        }
        case kTypeSphereMap: return ZEP_EFFECT_SPHERE_MAP;
        case kTypeWater: return ZEP_BLEND_WATER;
        case kTypeOneTexture: return ZEP_BLEND_ONE_TEXTURE;
        default: return ZEP_BLEND_TWO_TEXTURES;
    }
}

int lavaRule(const char* name1) {
    if (std::strncmp(name1, "lav", 3) == 0 || std::strncmp(name1, "LAV", 3) == 0) return 1;
    if (name1[0] == 'v' && name1[6] == 'l' && name1[7] == 'a') return 3;
    return 0;
}

}  // namespace zep::obj

// ---- Registering a parsed file --------------------------------------------------

namespace zep {

namespace {

using obj::ObjFile;
using obj::ParseStatus;

constexpr int32_t kObjectNameBytes = 100;
constexpr char kLavaTexture[] = "text1.tga";

// The path up to (not including) its last '/', or empty.
std::string objectDirectory(const char* path) {
    const char* slash = std::strrchr(path, '/');
    return slash ? std::string(path, size_t(slash - path)) : std::string();
}

bool startsWith(const char* text, const char* prefix) { return std::strncmp(text, prefix, std::strlen(prefix)) == 0; }

bool endsWith(const char* text, const char* suffix) {
    const size_t length = std::strlen(text);
    const size_t n = std::strlen(suffix);
    return length >= n && std::strcmp(text + length - n, suffix) == 0;
}

// Object kinds named by the file: "*$2"/"2_*" and "*$a"/"a_*" are drawn
// without culling; the later rule wins.
int32_t flagsFromName(const char* path) {
    int32_t flags = ZEP_OBJ_ORDINARY;
    if (std::strlen(path) < 3) return flags;
    const char* name = fileNamePart(path);
    if (endsWith(name, "$2") || startsWith(name, "2_")) flags = ZEP_OBJ_DOUBLE_SIDED;
    if (endsWith(name, "$a") || endsWith(name, "$A") || startsWith(name, "a_") || startsWith(name, "A_"))
        flags = ZEP_OBJ_ALPHA_NAMED;
    return flags;
}

// Paths without a three-letter extension are object names: ".OBJ" is added.
std::string fileNameToRead(const char* path) {
    const size_t length = std::strlen(path);
    if (length < 5 || path[length - 4] != '.') return std::string(path) + ".OBJ";
    return path;
}

void startObjectRecord(ObjectRecord& object, const char* path, bool morph) {
    std::memset(object.name, 0, sizeof object.name);
    std::strncpy(object.name, path, kObjectNameBytes - 1);
    object.firstAnimation = -1;
    object.morphSlot = morph ? 0 : -1;
    object.morphWeight = 0.0f;
}

void logParseNotes(const ObjFile& file) {
    if (file.oldLayout) ZEP_log("Old version file format detected.\n");
    if (file.chunkListBroken) ZEP_log("Object eof header error.\n");
}

// Helpers: appended for every layout that stores them; only version 250
// attaches them to the object.
bool registerHelpers(ObjectRecord& object, const ObjFile& file) {
    object.helperCount = 0;
    object.firstHelper = ZEPengine.helperCount;
    if (file.version < obj::kVersionTwoTextures) return true;
    const int32_t first = appendHelpers(file.helpers.data(), int32_t(file.helpers.size()));
    if (first < 0) return false;
    object.firstHelper = first;
    if (file.helpersAttached) object.helperCount = int32_t(file.helpers.size());
    return true;
}

void registerAnimations(ObjectRecord& object, const ObjFile& file) {
    const int32_t base = ZEPengine.animationCount;
    if (file.firstAnimation >= 0) object.firstAnimation = base + file.firstAnimation;
    for (size_t i = 0; i < file.animations.size(); ++i) ZEPengine.animations[size_t(base) + i] = file.animations[i];
    ZEPengine.animationCount = base + int32_t(file.animations.size());
}

// What splits the triangles into meshes: the slot for files that carry
// materials, the texture handle for older files, whose slots are only
// texture names (two slots naming one texture make one mesh).
std::vector<int32_t> meshKeys(const ObjFile& file, const std::string& directory) {
    std::vector<int32_t> keys(file.triangleSlots.begin(), file.triangleSlots.end());
    if (file.version >= obj::kVersionTwoTextures) return keys;
    std::vector<int32_t> handles;
    for (const obj::Slot& slot : file.slots) handles.push_back(loadTexture(directory.c_str(), slot.name1, kModeObject));
    for (int32_t& key : keys) key = handles[size_t(key) - 1];
    return keys;
}

// The material of meshes that have no slot material: older files, and the
// one empty mesh of a file without triangles.
void setPlainMaterial(MeshRecord& mesh, int32_t texture) {
    mesh.texture = texture;
    mesh.texture2 = ZEP_NO_TEXTURE;
    mesh.wrapU0 = mesh.wrapU1 = mesh.wrapV0 = mesh.wrapV1 = 1;
    mesh.blendMode = ZEP_BLEND_ONE_TEXTURE;
    mesh.materialParam = 0.0f;
    mesh.specularPower = obj::kDefaultSpecularPower;
    mesh.userValue = 0;
    mesh.opacity = 1.0f;
}

void setSlotMaterial(MeshRecord& mesh, obj::Slot& slot, const std::string& directory) {
    const uint8_t type = slot.typeByte & 0x0F;
    mesh.texture = loadTexture(directory.c_str(), slot.name1, kModeObject);
    mesh.texture2 = type == obj::kTypeOneTexture ? ZEP_NO_TEXTURE : loadTexture(directory.c_str(), slot.name2, kModeObject);
    mesh.blendMode = obj::slotBlendMode(slot);
    mesh.wrapU0 = (slot.typeByte & obj::kWrapU0) ? 1 : 0;
    mesh.wrapV0 = (slot.typeByte & obj::kWrapV0) ? 1 : 0;
    mesh.wrapU1 = (slot.typeByte & obj::kWrapU1) ? 1 : 0;
    mesh.wrapV1 = (slot.typeByte & obj::kWrapV1) ? 1 : 0;
    if (const int lava = obj::lavaRule(slot.name1)) {
        // Lava wraps everywhere from its next mesh on and glows through the
        // engine's own bump texture.
        mesh.blendMode = ZEP_BLEND_LAVA;
        slot.typeByte |= obj::kWrapAll;
        mesh.texture2 = loadTexture(nullptr, kLavaTexture, kModeBump);
        ZEP_log(lava == 1 ? "LAVA1!!\n" : "LAVA3!!\n");
    }
    mesh.materialParam = slot.param;
    mesh.specularPower = slot.specularPower;
    mesh.userValue = 0;
    mesh.opacity = slot.opacity;
}

void setMeshMaterial(MeshRecord& mesh, const obj::MeshRun& run, ObjFile& file, const std::string& directory) {
    mesh.clipGroupSize = 0;
    mesh.rangeCount = 0;
    mesh.ranges = nullptr;
    if (run.triangleCount == 0 || file.version < obj::kVersionTwoTextures)
        setPlainMaterial(mesh, run.triangleCount == 0 ? ZEP_NO_TEXTURE : run.key);
    else
        setSlotMaterial(mesh, file.slots[size_t(run.key) - 1], directory);
}

// One mesh per run of triangles; the mesh count grows by one per mesh and
// may not reach the last spare record.
bool registerMeshes(ObjectRecord& object, ObjFile& file, const std::vector<obj::MeshRun>& runs,
                    const std::string& directory) {
    const int32_t indexBase = ZEPengine.staticIndexCount;
    const int32_t cornersPerTriangle = file.oldLayout ? 0 : 3;
    object.firstMesh = ZEPengine.meshCount;
    for (size_t r = 0; r < runs.size(); ++r) {
        const obj::MeshRun& run = runs[r];
        const int32_t index = ZEPengine.meshCount;
        const bool last = r + 1 == runs.size();
        if (MeshRecord* mesh = meshSlot(index)) {
            mesh->indexStart = indexBase + cornersPerTriangle * run.firstTriangle;
            mesh->indexEnd = mesh->indexStart + cornersPerTriangle * run.triangleCount;
            setMeshMaterial(*mesh, run, file, directory);
            const int32_t vertexMark =
                object.firstVertex + (last ? file.vertexCount : 3 * (run.firstTriangle + run.triangleCount));
            ZEP_log(",mesh(%i,t%i,%i,%i)", index, mesh->texture, mesh->indexEnd - mesh->indexStart, vertexMark);
        }
        if (last) object.lastMesh = index;
        ++ZEPengine.meshCount;
        if (!meshCountHasRoom()) return false;
    }
    return true;
}

void registerClipGroups(ObjectRecord& object, const ObjFile& file) {
    if (!file.hasClipGroups) return;
    object.flags |= ZEP_OBJ_CLIP_GROUPS;
    int32_t start = object.firstMesh;
    for (const obj::ClipGroup& group : file.clipGroups) {
        if (start > object.lastMesh) break;  // only empty groups are left
        MeshRecord& mesh = ZEPengine.meshes[start];
        mesh.clipGroupSize = group.meshCount;
        std::copy(std::begin(group.box), std::end(group.box), mesh.clipBox);
        start += group.meshCount;
    }
}

// Vertices from firstVertex (every second slot for a morph object), with the
// object's box and radius.
bool registerVertices(ObjectRecord& object, const ObjFile& file, int32_t slotsPerVertex) {
    const int32_t slots = file.vertexCount * slotsPerVertex;
    if (!objectVerticesFit(object.firstVertex, slots)) return false;
    Bounds bounds = emptyBounds();
    {
        StaticVertexLock lock(object.firstVertex, slots);
        if (!lock.ok()) return false;
        for (int32_t i = 0; i < file.vertexCount; ++i) {
            const StaticVertex vertex = obj::engineVertex(file.vertices, file.version, i);
            lock[i * slotsPerVertex] = vertex;
            includePoint(bounds, vertex.position);
        }
    }
    ZEPengine.staticVertexCount = object.firstVertex + slots;
    setObjectBox(object, bounds);
    return true;
}

bool registerIndexes(const ObjectRecord& object, const ObjFile& file) {
    std::vector<uint16_t> indexes(file.corners.size());
    for (size_t i = 0; i < indexes.size(); ++i) indexes[i] = uint16_t(uint32_t(file.corners[i]) & 0xFFFF);
    const int32_t count = int32_t(indexes.size());
    if (!objectIndexesFit(count)) return false;
    const int32_t base = ZEPengine.staticIndexCount;
    {
        StaticIndexLock lock(base, count);
        if (!lock.ok()) return false;
        if (count > 0) std::memcpy(lock.data(), indexes.data(), indexes.size() * sizeof(uint16_t));
    }
    ZEPengine.staticIndexCount = base + count;
    for (int32_t m = object.firstMesh; m <= object.lastMesh; ++m) {
        MeshRecord& mesh = ZEPengine.meshes[m];
        const int32_t first = mesh.indexStart - base;
        setMeshVertexRange(mesh, indexes.data() + first, mesh.indexEnd - mesh.indexStart);
    }
    return true;
}

bool parseFile(const std::string& fileName, ObjFile& parsed) {
    WholeFile file;
    bool decoded = false;
    if (!file.load(fileName.c_str(), &decoded)) {
        ZEP_log("\nObj load error: %s\n", fileName.c_str());
        return false;
    }
    // A count the host has put outside the table leaves no room at all.
    const int32_t used = ZEPengine.animationCount;
    const int32_t animationRoom = used >= 0 && used <= ZEP_MAX_ANIMATIONS ? ZEP_MAX_ANIMATIONS - used : 0;
    const ParseStatus status = obj::parseObjFile(file.data(), size_t(file.size()), animationRoom, parsed);
    logParseNotes(parsed);
    if (status == ParseStatus::Ok) return true;
    ZEP_log("%s", obj::parseStatusMessage(status));
    return false;
}

// Reads one file into the next object; its index, or -1.
int32_t readObject(const char* path, bool morph) {
    ObjectRecord* object = newObjectSlot();
    if (!object) return -1;
    const int32_t obj = ZEPengine.objectCount;
    const std::string directory = objectDirectory(path);
    startObjectRecord(*object, path, morph);
    ZEP_log("obj: [%s]\n", path);
    if (!meshCountHasRoom()) return -1;
    object->flags = flagsFromName(path);

    ObjFile file;
    if (!parseFile(fileNameToRead(path), file) || !registerHelpers(*object, file)) return -1;
    registerAnimations(*object, file);

    const std::vector<obj::MeshRun> runs = obj::splitIntoRuns(meshKeys(file, directory));
    object->firstVertex = beginObjectVertices();
    ZEP_log("Polygons%i;\n", file.triangleCount);
    if (file.oldLayout) ZEP_log("Convert old version obj format...\n");
    ZEP_log("Indexes:%i", file.vertexCount);
    if (!registerMeshes(*object, file, runs, directory)) return -1;
    if (!registerVertices(*object, file, morph ? 2 : 1)) return -1;
    registerClipGroups(*object, file);
    if (!registerIndexes(*object, file)) return -1;
    ++ZEPengine.objectCount;
    // The mesh list is logged without line ends; end its line here so that
    // whatever is logged next starts a line of its own.
    ZEP_log("\n");
    return obj;
}

// An object already read from `path` (compared without regard to case), or -1.
int32_t findLoadedObject(const char* path) {
    if (path[0] == '\0') return -1;
    const int32_t count = std::min(ZEPengine.objectCount, registryCapacities().objects);
    for (int32_t obj = 1; obj < count; ++obj)
        if (strcasecmp(ZEPengine.objects[obj].name, path) == 0) return obj;
    return -1;
}

int32_t loadObject(const char* path, bool morph) {
    if (!path) return -1;
    const int32_t loaded = findLoadedObject(path);
    if (loaded >= 0) return loaded;
    const int32_t obj = readObject(path, morph);
    const char* folder = ZEPengine.objectFolder;
    if (obj >= 0 || !folder || folder[0] == '\0') return obj;
    return readObject((std::string(folder) + path).c_str(), morph);
}

}  // namespace

}  // namespace zep

extern "C" {

ZEP_EXPORT int32_t ZEPAPI loadobj(const char* path) { return zep::loadObject(path, false); }

ZEP_EXPORT int32_t ZEPAPI loadmorphobj(const char* path) { return zep::loadObject(path, true); }

}  // extern "C"
