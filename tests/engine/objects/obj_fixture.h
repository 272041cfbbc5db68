// Object files written byte by byte, in every layout the reader knows: the
// old layout without marker, the current layout at any version (fields
// appear and disappear with the version as the reader expects them), and
// the chunk list of version 250. Counts can be overridden to disagree with
// the data, and chunks can carry any closing word, so tests can build
// damaged files as easily as good ones.
//
//   ObjFixture f;                       // version 240, no slots
//   f.slots = {{"red.tga"}};
//   f.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}};
//   f.triangles = {{0, 1, 2}};
//   f.triangleSlots = {1};
//   writeBytes(dir / "tri.obj", f.bytes());
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace zep::test {

// Little-endian values appended to a byte vector.
struct ByteWriter {
    std::vector<uint8_t> bytes;

    ByteWriter& raw(const void* data, size_t size) {
        const auto* p = static_cast<const uint8_t*>(data);
        bytes.insert(bytes.end(), p, p + size);
        return *this;
    }
    ByteWriter& u8(uint8_t v) { return raw(&v, 1); }
    ByteWriter& u16(uint16_t v) {
        const uint8_t b[2] = {uint8_t(v), uint8_t(v >> 8)};
        return raw(b, 2);
    }
    ByteWriter& u32(uint32_t v) {
        const uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
        return raw(b, 4);
    }
    ByteWriter& i32(int32_t v) { return u32(uint32_t(v)); }
    ByteWriter& f32(float v) {
        uint32_t bits;
        std::memcpy(&bits, &v, 4);
        return u32(bits);
    }
    // `text` in a field of `width` bytes, zero-filled (cut when longer).
    ByteWriter& text(const std::string& text, size_t width) {
        std::vector<uint8_t> field(width, 0);
        std::memcpy(field.data(), text.data(), std::min(width, text.size()));
        return raw(field.data(), width);
    }
    ByteWriter& append(const std::vector<uint8_t>& more) { return raw(more.data(), more.size()); }
};

struct ObjSlot {
    std::string name1;
    std::string name2;
    uint8_t typeByte = 0;
    float param = 0.0f;
    float opacity = 1.0f;
};

// A vertex in file axes (Z up), colours as stored (0.0-1.0).
struct ObjVertex {
    float x = 0, y = 0, z = 0;
    float tu1 = 0, tv1 = 0, tu2 = 0, tv2 = 0;
    float alpha = 1, red = 1, green = 1, blue = 1;
    float nx = 0, ny = 0, nz = 1;
};

struct ObjHelper {
    std::string name;
    std::string text;
    std::array<float, 16> matrix{};
};

// One chunk of the version-250 chunk list.
struct ObjChunk {
    uint16_t type = 0;
    int32_t parameter = 0;
    std::vector<uint8_t> body;
    uint16_t closing = 0;
};

struct ObjAnimationKey {
    float time = 0;
    std::array<float, 9> values{};  // rotation, scale, translation
};

struct ObjAnimation {
    int32_t kind = 1;
    std::string name;
    float rate = 1.0f;
    std::vector<ObjAnimationKey> keys;
    std::optional<int32_t> keyCount;  // written instead of keys.size()
};

struct ObjClipGroup {
    int32_t meshCount = 0;
    std::array<float, 24> box{};  // eight corners, file axes
};

inline ObjChunk specularChunk(const std::vector<float>& powers) {
    ByteWriter w;
    for (float p : powers) w.f32(p);
    return {1, 0, w.bytes, 0};
}

inline ObjChunk clipGroupChunk(const std::vector<ObjClipGroup>& groups) {
    ByteWriter w;
    w.i32(int32_t(groups.size()));
    for (const ObjClipGroup& g : groups) w.i32(g.meshCount);
    for (const ObjClipGroup& g : groups)
        for (float f : g.box) w.f32(f);
    return {2, 0, w.bytes, 0};
}

inline ObjChunk animationChunk(const std::vector<ObjAnimation>& animations) {
    ByteWriter w;
    w.i32(int32_t(animations.size()));
    for (const ObjAnimation& a : animations) {
        w.i32(a.kind);
        if (a.kind != 1) continue;
        w.text(a.name, 30).i32(a.keyCount.value_or(int32_t(a.keys.size()))).f32(a.rate);
        for (const ObjAnimationKey& k : a.keys) {
            w.f32(k.time);
            for (float f : k.values) w.f32(f);
        }
    }
    return {3, 0, w.bytes, 0};
}

// A chunk whose body is `size` bytes the reader passes over (types 4 and 5).
inline ObjChunk ignoredChunk(uint16_t type, size_t size) { return {type, 7, std::vector<uint8_t>(size, 0xAB), 0}; }

struct ObjFixture {
    int32_t version = 240;
    std::vector<ObjSlot> slots;
    std::vector<ObjVertex> vertices;
    std::vector<std::array<int32_t, 3>> triangles;
    std::vector<int32_t> triangleSlots;
    std::vector<ObjHelper> helpers;
    std::vector<ObjChunk> chunks;           // version 250 only
    std::optional<uint16_t> endChunk = 0;   // terminating header type; none when empty

    // Written instead of the true counts.
    std::optional<int32_t> slotCount;
    std::optional<int32_t> vertexCount;
    std::optional<int32_t> triangleCount;
    std::optional<int32_t> helperCount;
    // The tag's four digits; the version when empty.
    std::optional<std::string> tagDigits;

    // The file in the current layout.
    std::vector<uint8_t> bytes() const {
        ByteWriter w;
        w.i32(-1);
        const std::string digits = tagDigits.value_or(fourDigits(version));
        w.raw("OBJ", 3).raw(digits.data(), 4);
        w.i32(slotCount.value_or(int32_t(slots.size())));
        for (const ObjSlot& s : slots) w.text(s.name1, 30);
        if (version >= 230) {
            for (const ObjSlot& s : slots) w.text(s.name2, 30);
            for (const ObjSlot& s : slots) w.u8(s.typeByte);
            for (const ObjSlot& s : slots) w.f32(s.param);
        }
        if (version >= 240)
            for (const ObjSlot& s : slots) w.f32(s.opacity);
        w.i32(vertexCount.value_or(int32_t(vertices.size())));
        w.i32(triangleCount.value_or(int32_t(triangles.size())));
        writeVertexArrays(w);
        if (version <= 250) {
            for (const auto& t : triangles) w.i32(t[0]).i32(t[1]).i32(t[2]);
            for (int32_t s : triangleSlots) w.i32(s);
        }
        if (version >= 230 && version <= 250) {
            w.i32(helperCount.value_or(int32_t(helpers.size())));
            for (const ObjHelper& h : helpers) {
                w.text(h.name, 30).text(h.text, 30);
                for (float f : h.matrix) w.f32(f);
            }
        }
        if (version >= 250) {
            for (const ObjChunk& c : chunks) w.u16(c.type).i32(c.parameter).append(c.body).u16(c.closing);
            if (endChunk) w.u16(*endChunk).i32(0);
        }
        return w.bytes;
    }

    // The file in the old layout: slot count first, slot names, triangle
    // count, five per-triangle arrays of three floats, triangle slots.
    std::vector<uint8_t> oldLayoutBytes() const {
        ByteWriter w;
        w.i32(slotCount.value_or(int32_t(slots.size())));
        for (const ObjSlot& s : slots) w.text(s.name1, 30);
        const int32_t p = int32_t(triangleSlots.size());
        w.i32(triangleCount.value_or(p));
        for (int array = 0; array < 5; ++array)
            for (int32_t t = 0; t < p; ++t) w.f32(float(array)).f32(float(t)).f32(1.0f);
        for (int32_t s : triangleSlots) w.i32(s);
        return w.bytes;
    }

    static std::string fourDigits(int32_t version) {
        std::string digits = std::to_string(version);
        return std::string(digits.size() < 4 ? 4 - digits.size() : 0, '0') + digits;
    }

private:
    void writeVertexArrays(ByteWriter& w) const {
        auto array = [&](float ObjVertex::*field) {
            for (const ObjVertex& v : vertices) w.f32(v.*field);
        };
        array(&ObjVertex::x);
        array(&ObjVertex::y);
        array(&ObjVertex::z);
        array(&ObjVertex::tu1);
        array(&ObjVertex::tv1);
        if (version >= 230) {
            array(&ObjVertex::tu2);
            array(&ObjVertex::tv2);
        }
        if (version >= 240) array(&ObjVertex::alpha);
        array(&ObjVertex::red);
        array(&ObjVertex::green);
        array(&ObjVertex::blue);
        array(&ObjVertex::nx);
        array(&ObjVertex::ny);
        array(&ObjVertex::nz);
    }
};

// A unit triangle fixture of one slot.
inline ObjFixture triangleFixture(int32_t version, const std::string& texture = "") {
    ObjFixture f;
    f.version = version;
    f.slots = {{texture, "", 0, 0.0f, 1.0f}};
    f.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}};
    f.triangles = {{0, 1, 2}};
    f.triangleSlots = {1};
    return f;
}

inline void writeBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::filesystem::create_directories(path.parent_path().empty() ? "." : path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline std::vector<uint8_t> readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A 2 x 2 uncompressed 24-bit TGA of one colour, for textures objects name.
inline std::vector<uint8_t> tgaBytes(uint8_t red, uint8_t green, uint8_t blue) {
    ByteWriter w;
    w.u8(0).u8(0).u8(2).u16(0).u16(0).u8(0).u16(0).u16(0).u16(2).u16(2).u8(24).u8(0);
    for (int i = 0; i < 4; ++i) w.u8(blue).u8(green).u8(red);
    return w.bytes;
}

}  // namespace zep::test
