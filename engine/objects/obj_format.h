// The OBJ object file: its layouts, the parsed form the reader registers
// from, and the small conversion rules the reader and the writer share.
//
// Parsing is a pure function over the bytes of one file: it never reads past
// them, checks every count against the bytes that are left before it
// allocates, and checks triangle slots and corner numbers against the
// file's own tables, so that what reaches the registry always fits.
//
// Files are little-endian with IEEE single floats, as the engine's hosts
// are; values are copied out byte by byte, never read through a cast.
#pragma once

#include <ZEPenginedll.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zep::obj {

// ---- Layout constants ----------------------------------------------------

// The marker that starts a file in the current layout; files without it are
// in the old layout and get this version number.
inline constexpr int32_t kMarker = -1;
inline constexpr int32_t kOldLayoutVersion = -1;

// Versions from which the layout grows.
inline constexpr int32_t kVersionTwoTextures = 230;  // second names, type bytes, params, second uv, helpers
inline constexpr int32_t kVersionOpacity = 240;      // slot opacity, vertex alpha
inline constexpr int32_t kVersionChunks = 250;       // chunk list; helpers attached to the object
inline constexpr int32_t kNewestVersion = 250;
inline constexpr int32_t kWriterVersion = 240;
inline constexpr char kWriterTag[8] = "OBJ0240";

inline constexpr int32_t kTagBytes = 7;
inline constexpr int32_t kMaxSlots = ZEP_MAX_OBJECT_TEXTURES;
inline constexpr int32_t kVertexLimit = 100000;  // vertex counts must stay below it
inline constexpr int32_t kNameBytes = 30;
inline constexpr int32_t kHelperBytes = 124;
inline constexpr int32_t kClipBoxBytes = 96;
inline constexpr int32_t kOldTriangleArrays = 5;  // per-triangle arrays of three floats in the old layout
inline constexpr float kDefaultSpecularPower = 50.0f;
inline constexpr float kAnimationRateScale = 0.00625f;

// Chunk types of the chunk list; 0 and anything above the last end it.
enum ChunkType : uint16_t {
    kChunkEnd = 0,
    kChunkSpecular = 1,
    kChunkClipGroups = 2,
    kChunkAnimations = 3,
    kChunkSlotWords = 4,  // one word per slot, not used
    kChunkWord = 5,       // one word, not used
    kLastChunkType = 5,
};

// Texture types (low nibble of a slot's type byte).
inline constexpr uint8_t kTypeBump = 8;
inline constexpr uint8_t kTypeSphereMap = 9;
inline constexpr uint8_t kTypeWater = 14;
inline constexpr uint8_t kTypeOneTexture = 15;

// Wrap bits (high nibble of a slot's type byte): set = wrap.
inline constexpr uint8_t kWrapU1 = 0x10;
inline constexpr uint8_t kWrapV1 = 0x20;
inline constexpr uint8_t kWrapU0 = 0x40;
inline constexpr uint8_t kWrapV0 = 0x80;
inline constexpr uint8_t kWrapAll = 0xF0;

// ---- Parsed file -----------------------------------------------------------

// One texture slot with the defaults of layouts that do not store a field.
struct Slot {
    char name1[kNameBytes + 1] = {};
    char name2[kNameBytes + 1] = {};
    uint8_t typeByte = 0;
    float param = 0.0f;
    float opacity = 1.0f;
    float specularPower = kDefaultSpecularPower;
};

// The per-attribute vertex arrays, file order and file axes (Z up). Arrays a
// version does not store stay empty.
struct VertexArrays {
    std::vector<float> x, y, z;
    std::vector<float> tu1, tv1, tu2, tv2;
    std::vector<float> alpha, red, green, blue;
    std::vector<float> nx, ny, nz;
};

// A run of consecutive meshes with one box, engine axes.
struct ClipGroup {
    int32_t meshCount = 0;
    D3DVECTOR box[8] = {};
};

struct ObjFile {
    int32_t version = kOldLayoutVersion;
    std::vector<Slot> slots;              // slot t (1..T) at [t - 1]
    int32_t vertexCount = 0;
    int32_t triangleCount = 0;            // as the file states it
    VertexArrays vertices;
    std::vector<int32_t> corners;         // three per triangle; empty in the old layout
    std::vector<uint16_t> triangleSlots;  // 1..T, one per triangle
    std::vector<HelperRecord> helpers;
    bool helpersAttached = false;         // version 250: the object owns its helpers
    bool hasClipGroups = false;
    std::vector<ClipGroup> clipGroups;
    std::vector<AnimationEntry> animations;
    int32_t firstAnimation = -1;          // index into `animations` where the object's start
    bool oldLayout = false;               // the file has no marker
    bool chunkListBroken = false;         // a chunk's closing word was not 0
};

enum class ParseStatus {
    Ok,
    TooManyTextures,     // more than 32 slots
    TooManyVertices,     // 100000 vertices or more
    TooManyAnimations,   // the animation table is full
    TooManyKeys,         // an animation with more than 16 keys
    EndsEarly,           // the data ends before the layout does
    NegativeCount,       // a count below zero
    SlotOutOfRange,      // a triangle slot outside 1..T
    CornerOutOfRange,    // a corner outside 0..V-1
    ClipGroupsTooLong,   // clip groups that reach past the object's meshes
    UnknownVersion,      // a version above the newest layout
};

// Parses one file. `animationRoom` is the number of free entries of the
// animation table. On failure `out` holds what was read so far.
ParseStatus parseObjFile(const uint8_t* data, size_t size, int32_t animationRoom, ObjFile& out);

// The log line of a failed parse ("...\n").
const char* parseStatusMessage(ParseStatus status);

// The runs of consecutive triangles with equal keys, one mesh each; a file
// without triangles still gives one, empty, run.
struct MeshRun {
    int32_t firstTriangle;
    int32_t triangleCount;
    int32_t key;  // the triangles' slot, or texture handle for layouts below 230; -1 without triangles
};
std::vector<MeshRun> splitIntoRuns(const std::vector<int32_t>& triangleKeys);

// ---- Conversion rules ----------------------------------------------------

// Colour channel of a stored 0.0-1.0 value: 255 for exactly 255.0, else the
// truncation of value x 255, kept inside 0..255.
uint8_t channelFromStored(float stored);

// Stored value of a colour byte: byte x (single-precision 1/255).
float storedFromChannel(uint8_t channel);

// The ARGB diffuse of vertex i; alpha 255 for versions without alpha.
uint32_t vertexDiffuse(const VertexArrays& arrays, int32_t version, int32_t i);

// Vertex i in engine axes: position (x, z, y), normal (nx, nz, ny),
// texture coordinates (u, 1 - v); layouts without a second pair repeat the
// first.
StaticVertex engineVertex(const VertexArrays& arrays, int32_t version, int32_t i);

// The blend mode a slot of version 230 or later gives its meshes.
uint32_t slotBlendMode(const Slot& slot);

// Lava rule of a slot's first name field (at least eight bytes): 1 for
// names starting "lav"/"LAV", 3 for fields with 'v' at 0, 'l' at 6 and 'a'
// at 7, 0 for other names.
int lavaRule(const char* name1);

// The type byte the writer stores for a mesh: texture type from the blend
// mode, wrap bits from the four wrap flags.
uint8_t typeByteForMesh(const MeshRecord& mesh);

}  // namespace zep::obj
