// Reading OBJ files: small files written byte by byte in every layout, read
// through loadobj and loadmorphobj, then checked in the object, mesh, helper
// and animation tables, the static pools and the log. Damaged files, and
// every truncation of good ones, must fail with a log line and never read
// outside the data.

#include "../engine_test_host.h"
#include "obj_fixture.h"

#include "objects/obj_format.h"
#include "objects/registry.h"

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

using zep::obj::ParseStatus;
using zep::test::EngineTestHost;
using zep::test::Lines;
using zep::test::ObjAnimation;
using zep::test::ObjChunk;
using zep::test::ObjFixture;
using zep::test::ObjHelper;
using zep::test::ObjSlot;
using zep::test::ObjVertex;

// Counters a failed load must leave as they were.
struct Counters {
    int32_t objects, meshes, vertices, indexes, helpers, animations;
    bool operator==(const Counters&) const = default;
};

Counters counters() {
    return {ZEPengine.objectCount,     ZEPengine.meshCount,   ZEPengine.staticVertexCount,
            ZEPengine.staticIndexCount, ZEPengine.helperCount, ZEPengine.animationCount};
}

VertexExchange vertexOf(int32_t obj, int32_t vertex) {
    VertexExchange v{};
    EXPECT_TRUE(GetStaticVertex(obj, vertex, &v));
    return v;
}

const ObjectRecord& objectAt(int32_t obj) { return ZEPengine.objects[obj]; }
const MeshRecord& meshAt(int32_t mesh) { return ZEPengine.meshes[mesh]; }

// One slot, three vertices with a value in every field, one helper and, for
// version 250, a specular power: every field a version adds can be seen.
ObjFixture richFixture(int32_t version) {
    ObjFixture f;
    f.version = version;
    f.slots = {{"", "", 0x50, 0.25f, 0.5f}};
    ObjVertex v;
    v.x = 1, v.y = 2, v.z = 3;
    v.tu1 = 0.25f, v.tv1 = 0.25f, v.tu2 = 0.5f, v.tv2 = 0.75f;
    v.alpha = 0.5f, v.red = 1.0f, v.green = 0.0f, v.blue = 255.0f;
    v.nx = 0, v.ny = 1, v.nz = 0;
    f.vertices = {v, v, v};
    f.vertices[1].x = -4;
    f.vertices[2].y = 6;
    f.triangles = {{0, 1, 2}};
    f.triangleSlots = {1};
    ObjHelper helper{"dummy", "text", {}};
    helper.matrix[12] = 7;
    f.helpers = {helper};
    if (version >= 250) f.chunks = {zep::test::specularChunk({20.0f})};
    return f;
}

// Version 250 with every chunk type, for truncations.
ObjFixture chunkedFixture() {
    ObjFixture f = richFixture(250);
    f.slots.push_back({"", "", 0xF0, 1.0f, 1.0f});
    f.vertices.push_back(f.vertices[0]);
    f.triangles.push_back({1, 2, 3});
    f.triangleSlots.push_back(2);
    ObjAnimation spin{1, "spin", 2.0f, {{0.0f, {}}, {10.0f, {1, 2, 3, 1, 1, 1, 0, 0, 5}}}, {}};
    f.chunks = {zep::test::specularChunk({20.0f, 30.0f}), zep::test::clipGroupChunk({{2, {}}}),
                zep::test::animationChunk({spin, ObjAnimation{0, "", 0, {}, {}}}), zep::test::ignoredChunk(4, 8),
                zep::test::ignoredChunk(5, 4)};
    return f;
}

// The bytes a version-250 file has before its chunk list.
size_t chunkListStart(ObjFixture f) {
    f.chunks.clear();
    f.endChunk.reset();
    return f.bytes().size();
}

class ObjReader : public EngineTestHost {
protected:
    void SetUp() override {
        EngineTestHost::SetUp();
        if (!openInSetUp) return;
        ASSERT_TRUE(open());
        useFolders("", "TEXTURES/;");
    }

    // Object folder and texture paths; the strings must outlive the engine's use.
    static void useFolders(const char* objectFolder, const char* texturePaths) {
        SetTexturePaths(objectFolder, texturePaths, 0, 0, 0);
    }

    std::string put(const std::string& name, const std::vector<uint8_t>& bytes) {
        zep::test::writeBytes(directory / name, bytes);
        return name;
    }

    void putTexture(const std::string& name, uint8_t red, uint8_t green, uint8_t blue) {
        zep::test::writeBytes(directory / "TEXTURES" / name, zep::test::tgaBytes(red, green, blue));
    }

    // Loads `bytes` as `name`; checks that a failure takes nothing and logs `error`.
    void expectFailure(const std::string& name, const std::vector<uint8_t>& bytes, const std::string& error) {
        put(name, bytes);
        const Counters before = counters();
        const size_t mark = logMark();
        EXPECT_EQ(loadobj(name.c_str()), -1) << name;
        EXPECT_EQ(counters(), before) << name;
        const Lines lines = logLinesSince(mark);
        ASSERT_FALSE(lines.empty()) << name;
        EXPECT_EQ(lines.back(), error) << name;
    }

    ::testing::AssertionResult lastLineEndsWith(size_t mark, const std::string& tail) const {
        const Lines lines = logLinesSince(mark);
        if (!lines.empty() && lines.back().size() >= tail.size() &&
            lines.back().compare(lines.back().size() - tail.size(), tail.size(), tail) == 0)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "last line: \"" << (lines.empty() ? "" : lines.back()) << "\"";
    }

    bool openInSetUp = true;
};

// ---- Layouts --------------------------------------------------------------------

TEST_F(ObjReader, EveryLayoutAndVersionGivesItsFields) {
    for (const int32_t version : {200, 230, 240, 250}) {
        SCOPED_TRACE(version);
        const std::string name = "v" + std::to_string(version) + ".obj";
        put(name, richFixture(version).bytes());
        const int32_t helpersBefore = ZEPengine.helperCount;
        const int32_t obj = loadobj(name.c_str());
        // Object 0 is reserved: the first object read gets index 1.
        if (version == 200) {
            EXPECT_EQ(obj, 1);
        }
        ASSERT_GE(obj, 1);
        const ObjectRecord& object = objectAt(obj);
        ASSERT_EQ(object.lastMesh, object.firstMesh);
        EXPECT_STREQ(object.name, name.c_str());
        EXPECT_EQ(object.flags, ZEP_OBJ_ORDINARY);
        EXPECT_EQ(object.morphSlot, -1);
        EXPECT_EQ(object.firstAnimation, -1);

        // Vertices in engine axes, v flipped; older files repeat the first pair.
        const VertexExchange v = vertexOf(obj, 0);
        EXPECT_EQ(v.x, 1.0f);
        EXPECT_EQ(v.y, 3.0f);
        EXPECT_EQ(v.z, 2.0f);
        EXPECT_EQ(v.nz, 1.0f);
        EXPECT_EQ(v.tu1, 0.25f);
        EXPECT_EQ(v.tv1, 0.75f);
        EXPECT_EQ(v.tu2, version >= 230 ? 0.5f : 0.25f);
        EXPECT_EQ(v.tv2, version >= 230 ? 0.25f : 0.75f);
        EXPECT_EQ(v.color, (version >= 240 ? 0x7F000000u : 0xFF000000u) | 0x00FF00FFu);

        const MeshRecord& mesh = meshAt(object.firstMesh);
        EXPECT_EQ(mesh.indexEnd - mesh.indexStart, 3);
        EXPECT_EQ(mesh.texture, -1);
        EXPECT_EQ(mesh.texture2, -1);
        EXPECT_EQ(mesh.blendMode, version >= 230 ? 0x100u : 0u);
        const uint8_t wraps[4] = {mesh.wrapU0, mesh.wrapU1, mesh.wrapV0, mesh.wrapV1};
        // Type byte 0x50: stage-0 and stage-1 U wrap, V clamps; older files wrap everywhere.
        const uint8_t expectedWraps[4] = {1, 1, uint8_t(version >= 230 ? 0 : 1), uint8_t(version >= 230 ? 0 : 1)};
        EXPECT_EQ(std::memcmp(wraps, expectedWraps, 4), 0);
        EXPECT_EQ(mesh.materialParam, version >= 230 ? 0.25f : 0.0f);
        EXPECT_EQ(mesh.opacity, version >= 240 ? 0.5f : 1.0f);
        EXPECT_EQ(mesh.specularPower, version >= 250 ? 20.0f : 50.0f);
        EXPECT_EQ(mesh.userValue, 0);
        EXPECT_EQ(mesh.clipGroupSize, 0);

        // Helpers are stored from 230 on, and belong to the object from 250.
        EXPECT_EQ(ZEPengine.helperCount, helpersBefore + (version >= 230 ? 1 : 0));
        EXPECT_EQ(object.firstHelper, helpersBefore);
        EXPECT_EQ(GetHelperCount(obj), version >= 250 ? 1 : 0);
        if (version >= 230) {
            EXPECT_STREQ(ZEPengine.helpers[helpersBefore].name, "dummy");
        }
    }
}

TEST_F(ObjReader, OldLayoutGivesMeshesWithoutGeometry) {
    putTexture("red.tga", 255, 0, 0);
    ObjFixture f;
    f.slots = {{"red.tga", ""}, {"missing.tga", ""}};
    f.triangleSlots = {1, 1, 2};
    put("old.obj", f.oldLayoutBytes());
    const Counters before = counters();
    const size_t mark = logMark();

    const int32_t obj = loadobj("old.obj");
    ASSERT_GE(obj, 1);
    const ObjectRecord& object = objectAt(obj);
    ASSERT_EQ(object.lastMesh, object.firstMesh + 1);
    const MeshRecord& first = meshAt(object.firstMesh);
    EXPECT_GE(first.texture, ZEP_FIRST_TEXTURE);
    EXPECT_EQ(meshAt(object.lastMesh).texture, -1);
    for (const MeshRecord* mesh : {&first, &meshAt(object.lastMesh)}) {
        EXPECT_EQ(mesh->indexEnd, mesh->indexStart);
        EXPECT_EQ(mesh->texture2, -1);
        EXPECT_EQ(mesh->blendMode, 0u);
    }
    EXPECT_EQ(ZEPengine.staticIndexCount, before.indexes);
    EXPECT_EQ(object.helperCount, 0);
    EXPECT_TRUE(inOrder(logLinesSince(mark), {"obj: [old.obj]", "Old version file format detected.",
                                              "Error: texture is not loaded [missing.tga]", "Polygons3;",
                                              "Convert old version obj format..."}));
}

TEST_F(ObjReader, SlotCountStopsAtThirtyTwo) {
    for (const bool old : {false, true}) {
        SCOPED_TRACE(old ? "old layout" : "current layout");
        ObjFixture f = zep::test::triangleFixture(240);
        f.slots.assign(32, ObjSlot{});
        const std::string name = old ? "t32old.obj" : "t32.obj";
        put(name, old ? f.oldLayoutBytes() : f.bytes());
        EXPECT_GE(loadobj(name.c_str()), 1);

        f.slots.assign(33, ObjSlot{});
        expectFailure(old ? "t33old.obj" : "t33.obj", old ? f.oldLayoutBytes() : f.bytes(),
                      "Error: too much textures in this object.");
    }
}

TEST_F(ObjReader, SlotRunsSplitIntoMeshes) {
    putTexture("one.tga", 255, 0, 0);
    putTexture("two.tga", 0, 255, 0);
    ObjFixture f;
    f.slots = {{"one.tga", ""}, {"two.tga", ""}};
    f.vertices.resize(6);
    f.triangles = {{0, 1, 2}, {1, 2, 3}, {2, 3, 4}, {3, 4, 5}, {4, 5, 0}};
    f.triangleSlots = {1, 1, 2, 2, 1};
    put("runs.obj", f.bytes());
    textureload("one.tga", ZEP_TEXMODE_OBJECT);  // loaded first: the load's log stays on one line
    textureload("two.tga", ZEP_TEXMODE_OBJECT);
    const size_t mark = logMark();

    const int32_t obj = loadobj("runs.obj");
    ASSERT_GE(obj, 1);
    const ObjectRecord& object = objectAt(obj);
    const int32_t m = object.firstMesh;
    ASSERT_EQ(object.lastMesh, m + 2);
    const int32_t base = meshAt(m).indexStart;
    const int32_t expected[3][3] = {{0, 6, 0}, {6, 12, 2}, {12, 15, 0}};  // start, end, which texture
    const int32_t one = meshAt(m).texture;
    const int32_t two = meshAt(m + 1).texture;
    EXPECT_GE(one, ZEP_FIRST_TEXTURE);
    EXPECT_GE(two, ZEP_FIRST_TEXTURE);
    EXPECT_NE(one, two);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(meshAt(m + i).indexStart - base, expected[i][0]);
        EXPECT_EQ(meshAt(m + i).indexEnd - base, expected[i][1]);
        EXPECT_EQ(meshAt(m + i).texture, expected[i][2] ? two : one);
    }
    // Vertex ranges from the corners each mesh uses.
    EXPECT_EQ(meshAt(m).minVertex, 0);
    EXPECT_EQ(meshAt(m).vertexEnd, 4);
    EXPECT_EQ(meshAt(m + 1).minVertex, 2);
    EXPECT_EQ(meshAt(m + 1).vertexEnd, 6);
    EXPECT_EQ(meshAt(m + 2).minVertex, 0);
    EXPECT_EQ(meshAt(m + 2).vertexEnd, 6);
    EXPECT_EQ(GetIndex(base + 14), 0);

    char line[160];
    std::snprintf(line, sizeof line, "Indexes:6,mesh(%i,t%i,6,%i),mesh(%i,t%i,6,%i),mesh(%i,t%i,3,%i)", m, one,
                  object.firstVertex + 6, m + 1, two, object.firstVertex + 12, m + 2, one, object.firstVertex + 6);
    EXPECT_EQ(logLinesSince(mark), (Lines{"obj: [runs.obj]", "Polygons5;", line}));
}

TEST_F(ObjReader, SecondTextureTypeWrapsAndLava) {
    putTexture("one.tga", 255, 0, 0);
    putTexture("two.tga", 0, 0, 255);
    putTexture("text1.tga", 128, 128, 128);
    struct Case {
        ObjSlot slot;
        uint32_t blendMode;
        bool secondLoaded;
        uint8_t wrapU0, wrapU1, wrapV0, wrapV1;
    };
    const Case cases[] = {
        {{"one.tga", "two.tga", 0x08}, 0x300, true, 0, 0, 0, 0},
        {{"one.tga", "two$W", 0x08}, 0x400, false, 0, 0, 0, 0},  // "two$W.TGA" does not exist
        {{"one.tga", "two.tga", 0x19}, 0x004, true, 0, 1, 0, 0},
        {{"one.tga", "two.tga", 0x2E}, 0x400, true, 0, 0, 0, 1},
        {{"one.tga", "two.tga", 0x4F}, 0x000, false, 1, 0, 0, 0},
        {{"one.tga", "two.tga", 0x83}, 0x100, true, 0, 0, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.slot.name2 + " type " + std::to_string(c.slot.typeByte));
        ObjFixture f = zep::test::triangleFixture(240);
        f.slots = {c.slot};
        const std::string name = "type" + std::to_string(&c - cases) + ".obj";
        put(name, f.bytes());
        const int32_t obj = loadobj(name.c_str());
        ASSERT_GE(obj, 1);
        const MeshRecord& mesh = meshAt(objectAt(obj).firstMesh);
        EXPECT_EQ(mesh.blendMode, c.blendMode);
        EXPECT_GE(mesh.texture, ZEP_FIRST_TEXTURE);
        EXPECT_EQ(mesh.texture2 >= ZEP_FIRST_TEXTURE, c.secondLoaded);
        EXPECT_EQ(mesh.wrapU0, c.wrapU0);
        EXPECT_EQ(mesh.wrapU1, c.wrapU1);
        EXPECT_EQ(mesh.wrapV0, c.wrapV0);
        EXPECT_EQ(mesh.wrapV1, c.wrapV1);
    }

    // Lava slots: both name rules; the slot wraps everywhere from its second mesh on.
    const int32_t bump = textureload("text1.tga", ZEP_TEXMODE_BUMP);
    ASSERT_GE(bump, ZEP_FIRST_TEXTURE);
    ObjFixture f = zep::test::triangleFixture(240);
    f.slots = {{"lava.tga", "two.tga", 0x00}, {"one.tga", "", 0x00}, {"vulcanlava", "", 0x00}};
    f.triangles = {{0, 1, 2}, {0, 1, 2}, {0, 1, 2}, {0, 1, 2}};
    f.triangleSlots = {1, 2, 1, 3};
    put("lava.obj", f.bytes());
    const size_t mark = logMark();
    const int32_t obj = loadobj("lava.obj");
    ASSERT_GE(obj, 1);
    const int32_t m = objectAt(obj).firstMesh;
    ASSERT_EQ(objectAt(obj).lastMesh, m + 3);
    for (const int32_t lava : {m, m + 2, m + 3}) {
        EXPECT_EQ(meshAt(lava).blendMode, 0x200u);
        EXPECT_EQ(meshAt(lava).texture2, bump);
    }
    EXPECT_EQ(meshAt(m + 1).blendMode, 0x100u);
    EXPECT_EQ(meshAt(m).wrapU0 + meshAt(m).wrapV0 + meshAt(m).wrapU1 + meshAt(m).wrapV1, 0);
    EXPECT_EQ(meshAt(m + 2).wrapU0 + meshAt(m + 2).wrapV0 + meshAt(m + 2).wrapU1 + meshAt(m + 2).wrapV1, 4);
    int lava1 = 0, lava3 = 0;
    for (const std::string& line : logLinesSince(mark)) {
        lava1 += line.find("LAVA1!!") != std::string::npos;
        lava3 += line.find("LAVA3!!") != std::string::npos;
    }
    EXPECT_EQ(lava1, 2);
    EXPECT_EQ(lava3, 1);
}

// ---- Vertices, box and pools ---------------------------------------------------------------

TEST_F(ObjReader, VertexColoursBoxAndRadius) {
    ObjFixture f = zep::test::triangleFixture(240);
    // Stored colours: fractions, the byte value 255.0, and values outside 0..1.
    f.vertices = {{-2, 1, 0.5f}, {3, -7, 0}, {0, 2, -1}};
    f.vertices[0].alpha = 1.0f, f.vertices[0].red = 255.0f, f.vertices[0].green = 0.5f, f.vertices[0].blue = 0.0f;
    f.vertices[1].alpha = 0.0f, f.vertices[1].red = 2.0f, f.vertices[1].green = -1.0f, f.vertices[1].blue = 0.999f;
    put("colours.obj", f.bytes());
    const int32_t obj = loadobj("colours.obj");
    ASSERT_GE(obj, 1);
    EXPECT_EQ(vertexOf(obj, 0).color, 0xFFFF7F00u);
    EXPECT_EQ(vertexOf(obj, 1).color, 0x00FF00FEu);

    const ObjectRecord& object = objectAt(obj);
    // Engine axes: file z is y, file y is z.
    const D3DVECTOR lo{-2, -1, -7}, hi{3, 0.5f, 2};
    const D3DVECTOR corners[8] = {{lo.x, lo.y, lo.z}, {hi.x, lo.y, lo.z}, {hi.x, hi.y, lo.z}, {lo.x, hi.y, lo.z},
                                  {lo.x, lo.y, hi.z}, {hi.x, lo.y, hi.z}, {hi.x, hi.y, hi.z}, {lo.x, hi.y, hi.z}};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(object.box[i].x, corners[i].x) << i;
        EXPECT_EQ(object.box[i].y, corners[i].y) << i;
        EXPECT_EQ(object.box[i].z, corners[i].z) << i;
    }
    EXPECT_EQ(object.radius, 7.0f);
}

TEST_F(ObjReader, ObjectWithoutGeometryKeepsTheEmptyBox) {
    ObjFixture f;
    f.slots = {{"", "", 0}};
    put("empty.obj", f.bytes());
    const int32_t obj = loadobj("empty.obj");
    ASSERT_GE(obj, 1);
    const ObjectRecord& object = objectAt(obj);
    EXPECT_EQ(object.box[0].x, 100000.0f);
    EXPECT_EQ(object.box[0].y, 100000.0f);
    EXPECT_EQ(object.box[6].z, -100000.0f);
    EXPECT_EQ(object.radius, 100000.0f);
    ASSERT_EQ(object.lastMesh, object.firstMesh);
    const MeshRecord& mesh = meshAt(object.firstMesh);
    EXPECT_EQ(mesh.indexEnd, mesh.indexStart);
    EXPECT_EQ(mesh.minVertex, 100000);
    EXPECT_EQ(mesh.vertexEnd, 1);
    EXPECT_EQ(mesh.texture, -1);
}

TEST_F(ObjReader, ObjectsStartOnEvenSlotsAndIndexesStayRelative) {
    put("tri.obj", zep::test::triangleFixture(240).bytes());
    put("tri2.obj", zep::test::triangleFixture(240).bytes());
    const int32_t first = loadobj("tri.obj");
    const int32_t second = loadobj("tri2.obj");
    ASSERT_GE(first, 1);
    ASSERT_EQ(second, first + 1);
    EXPECT_EQ(objectAt(first).firstVertex % 2, 0);
    EXPECT_EQ(objectAt(second).firstVertex, objectAt(first).firstVertex + 4);
    EXPECT_EQ(ZEPengine.staticVertexCount, objectAt(second).firstVertex + 3);
    const int32_t start = meshAt(objectAt(second).firstMesh).indexStart;
    EXPECT_EQ(GetIndex(start), 0);
    EXPECT_EQ(GetIndex(start + 2), 2);
}

TEST_F(ObjReader, MorphObjectTakesTwoSlotsPerVertex) {
    put("morph.obj", zep::test::triangleFixture(240).bytes());
    const int32_t obj = loadmorphobj("morph.obj");
    ASSERT_GE(obj, 1);
    const ObjectRecord& object = objectAt(obj);
    EXPECT_EQ(object.morphSlot, 0);
    EXPECT_EQ(object.morphWeight, 0.0f);
    EXPECT_EQ(ZEPengine.staticVertexCount, object.firstVertex + 6);
    // Vertex i sits in slot 2i; indexes still number vertices.
    EXPECT_EQ(vertexOf(obj, 2).x, 1.0f);
    EXPECT_EQ(vertexOf(obj, 4).y, 1.0f);
    const MeshRecord& mesh = meshAt(object.firstMesh);
    EXPECT_EQ(GetIndex(mesh.indexStart + 2), 2);
    EXPECT_EQ(mesh.vertexEnd, 3);
}

// ---- Names, paths and the cache ------------------------------------------------------------

TEST_F(ObjReader, FileNamesGiveObjectKinds) {
    const struct {
        const char* path;
        const char* file;  // on disk
        int32_t flags;
    } cases[] = {
        {"plain.obj", "plain.obj", ZEP_OBJ_ORDINARY},   {"box$2", "box$2.obj", ZEP_OBJ_DOUBLE_SIDED},
        {"2_box.obj", "2_box.obj", ZEP_OBJ_DOUBLE_SIDED}, {"a_box.obj", "a_box.obj", ZEP_OBJ_ALPHA_NAMED},
        {"glass$A", "glass$A.OBJ", ZEP_OBJ_ALPHA_NAMED},  {"a_both$2", "a_both$2.obj", ZEP_OBJ_ALPHA_NAMED},
        {"sub/2_x.obj", "sub/2_x.obj", ZEP_OBJ_DOUBLE_SIDED}, {"2_/box.obj", "2_/box.obj", ZEP_OBJ_ORDINARY},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        put(c.file, zep::test::triangleFixture(240).bytes());
        const int32_t obj = loadobj(c.path);
        ASSERT_GE(obj, 1);
        EXPECT_EQ(objectAt(obj).flags, c.flags);
        EXPECT_STREQ(objectAt(obj).name, c.path);
    }
    expectFailure("nothing.obj", {}, "Error: object file ends early.");
    const size_t mark = logMark();
    EXPECT_EQ(loadobj("ab"), -1);
    EXPECT_EQ(logLinesSince(mark), (Lines{"obj: [ab]", "", "Obj load error: ab.OBJ"}));
}

TEST_F(ObjReader, SamePathTwiceGivesTheLoadedObject) {
    put("Models/Box.obj", zep::test::triangleFixture(240).bytes());
    const int32_t obj = loadobj("Models/Box.obj");
    ASSERT_GE(obj, 1);
    std::filesystem::remove(directory / "Models/Box.obj");
    const Counters before = counters();
    const size_t mark = logMark();
    EXPECT_EQ(loadobj("MODELS/BOX.OBJ"), obj);
    EXPECT_EQ(loadmorphobj("models/box.obj"), obj);
    EXPECT_EQ(counters(), before);
    EXPECT_TRUE(logLinesSince(mark).empty());
}

TEST_F(ObjReader, PathFoundOnlyThroughTheObjectFolder) {
    useFolders("objs/", "TEXTURES/;");
    put("objs/box.obj", zep::test::triangleFixture(240).bytes());
    const size_t mark = logMark();
    const int32_t obj = loadobj("box.obj");
    ASSERT_GE(obj, 1);
    EXPECT_STREQ(objectAt(obj).name, "objs/box.obj");
    EXPECT_TRUE(inOrder(logLinesSince(mark), {"obj: [box.obj]", "", "Obj load error: box.obj", "obj: [objs/box.obj]"}));
    // The object is known by the path read: the short path reads it again.
    const int32_t again = loadobj("box.obj");
    EXPECT_EQ(again, obj + 1);
    EXPECT_EQ(loadobj("OBJS/BOX.OBJ"), obj);
}

// ---- Chunks: clip groups, animations, endings ---------------------------------------------

TEST_F(ObjReader, ChunkListEndings) {
    struct Case {
        const char* name;
        std::optional<uint16_t> end;
        uint16_t closing;
        bool animationsRead;
    };
    const Case cases[] = {
        {"end0.obj", 0, 0, true},
        {"end9.obj", 9, 0, true},
        {"endofdata.obj", std::nullopt, 0, true},
        {"badclose.obj", 0, 0x1234, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ObjFixture f = richFixture(250);
        f.chunks[0].closing = c.closing;  // the specular chunk is read either way
        f.chunks.push_back(zep::test::animationChunk({ObjAnimation{2, "", 0, {}, {}}}));
        f.endChunk = c.end;
        put(c.name, f.bytes());
        const int32_t animations = ZEPengine.animationCount;
        const size_t mark = logMark();
        const int32_t obj = loadobj(c.name);
        ASSERT_GE(obj, 1);
        EXPECT_EQ(meshAt(objectAt(obj).firstMesh).specularPower, 20.0f);
        EXPECT_EQ(ZEPengine.animationCount, animations + (c.animationsRead ? 1 : 0));
        EXPECT_EQ(objectAt(obj).firstAnimation, c.animationsRead ? animations : -1);
        const Lines lines = logLinesSince(mark);
        const bool eofLogged = std::find(lines.begin(), lines.end(), "Object eof header error.") != lines.end();
        EXPECT_EQ(eofLogged, c.closing != 0);
    }
}

TEST_F(ObjReader, ClipGroupsMarkTheirFirstMeshes) {
    ObjFixture f = richFixture(250);
    f.slots = {{}, {}};
    f.triangles = {{0, 1, 2}, {0, 1, 2}, {0, 1, 2}};
    f.triangleSlots = {1, 2, 1};
    zep::test::ObjClipGroup first{2, {}}, second{1, {}};
    for (int i = 0; i < 24; ++i) first.box[size_t(i)] = float(i), second.box[size_t(i)] = float(-i);
    f.chunks = {zep::test::clipGroupChunk({first, second})};
    put("clip.obj", f.bytes());
    const int32_t obj = loadobj("clip.obj");
    ASSERT_GE(obj, 1);
    const ObjectRecord& object = objectAt(obj);
    EXPECT_EQ(object.flags, ZEP_OBJ_ORDINARY | ZEP_OBJ_CLIP_GROUPS);
    const int32_t m = object.firstMesh;
    EXPECT_EQ(meshAt(m).clipGroupSize, 2);
    EXPECT_EQ(meshAt(m + 1).clipGroupSize, 0);
    EXPECT_EQ(meshAt(m + 2).clipGroupSize, 1);
    // Second and third components exchanged.
    EXPECT_EQ(meshAt(m).clipBox[1].x, 3.0f);
    EXPECT_EQ(meshAt(m).clipBox[1].y, 5.0f);
    EXPECT_EQ(meshAt(m).clipBox[1].z, 4.0f);
    EXPECT_EQ(meshAt(m + 2).clipBox[7].y, -23.0f);

    zep::test::ObjClipGroup tooLong{3, {}};
    f.chunks = {zep::test::clipGroupChunk({first, tooLong})};
    expectFailure("cliplong.obj", f.bytes(), "Error: clip groups reach past the last mesh.");
}

TEST_F(ObjReader, AnimationsFillTheEngineTable) {
    ObjFixture f = richFixture(250);
    ObjAnimation walk{1, "walk", 160.0f, {{0.0f, {0.5f, 0, 0, 1, 1, 1, 0, 0, 0}}, {8.0f, {1, 2, 3, 4, 5, 6, 7, 8, 9}}},
                      {}};
    f.chunks = {zep::test::animationChunk({walk, ObjAnimation{4, "", 0, {}, {}}})};
    put("anim.obj", f.bytes());
    const int32_t first = ZEPengine.animationCount;
    const int32_t obj = loadobj("anim.obj");
    ASSERT_GE(obj, 1);
    EXPECT_EQ(objectAt(obj).firstAnimation, first);
    ASSERT_EQ(ZEPengine.animationCount, first + 2);
    const AnimationEntry& entry = ZEPengine.animations[first];
    EXPECT_EQ(entry.kind, 1);
    EXPECT_STREQ(entry.name, "walk");
    EXPECT_EQ(entry.keyCount, 2);
    EXPECT_FLOAT_EQ(entry.rate, 1.0f);
    EXPECT_EQ(entry.keyTimes[1], 8.0f);
    EXPECT_EQ(entry.keys[0].rotation.x, 0.5f);
    EXPECT_EQ(entry.keys[1].scale.y, 5.0f);
    EXPECT_EQ(entry.keys[1].translation.z, 9.0f);
    EXPECT_EQ(ZEPengine.animations[first + 1].kind, 4);

    // A key count above 16, and a full table, fail the file.
    walk.keyCount = 17;
    f.chunks = {zep::test::animationChunk({walk})};
    expectFailure("keys.obj", f.bytes(), "Error: anim keys overflow.");
    ZEPengine.animationCount = ZEP_MAX_ANIMATIONS - 1;
    f.chunks = {zep::test::animationChunk({ObjAnimation{0, "", 0, {}, {}}, ObjAnimation{0, "", 0, {}, {}}})};
    expectFailure("full.obj", f.bytes(), "Error: too much animations.");
}

// ---- Damaged files ------------------------------------------------------------------------

TEST_F(ObjReader, DamagedFilesFailWithALogLine) {
    const struct {
        const char* name;
        void (*damage)(ObjFixture&);
        const char* error;
    } cases[] = {
        {"slot0", [](ObjFixture& f) { f.triangleSlots = {0}; }, "Error: triangle texture slot out of range."},
        {"slot2", [](ObjFixture& f) { f.triangleSlots = {2}; }, "Error: triangle texture slot out of range."},
        {"corner", [](ObjFixture& f) { f.triangles = {{0, 1, 3}}; }, "Error: triangle corner out of range."},
        {"cornerneg", [](ObjFixture& f) { f.triangles = {{0, -1, 2}}; }, "Error: triangle corner out of range."},
        {"vneg", [](ObjFixture& f) { f.vertexCount = -1; }, "Error: negative count in object file."},
        {"pneg", [](ObjFixture& f) { f.triangleCount = -3; }, "Error: negative count in object file."},
        {"hneg", [](ObjFixture& f) { f.helperCount = -1; }, "Error: negative count in object file."},
        {"tneg", [](ObjFixture& f) { f.slotCount = -2; }, "Error: negative count in object file."},
        {"pbig", [](ObjFixture& f) { f.triangleCount = 0x7FFFFFFF; }, "Error: object file ends early."},
        {"v260", [](ObjFixture& f) { f.tagDigits = "0260"; }, "Error: unknown object file version."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ObjFixture f = richFixture(250);
        c.damage(f);
        expectFailure(std::string(c.name) + ".obj", f.bytes(), c.error);
    }
    ObjFixture old;
    old.slotCount = -7;
    expectFailure("oldneg.obj", old.oldLayoutBytes(), "Error: negative count in object file.");
}

TEST_F(ObjReader, EveryTruncationOfAVersion250FileFailsCleanlyOrLoads) {
    const ObjFixture f = chunkedFixture();
    const std::vector<uint8_t> bytes = f.bytes();
    const size_t chunks = chunkListStart(f);
    int loaded = 0;
    for (size_t length = 0; length < bytes.size(); ++length) {
        const std::string name = "cut" + std::to_string(length) + ".obj";
        put(name, std::vector<uint8_t>(bytes.begin(), bytes.begin() + std::ptrdiff_t(length)));
        const Counters before = counters();
        const size_t mark = logMark();
        const int32_t obj = loadobj(name.c_str());
        if (obj < 0) {
            ASSERT_EQ(counters(), before) << length;
            ASSERT_EQ(logLinesSince(mark).back(), "Error: object file ends early.") << length;
        } else {
            // Only a cut between two chunks leaves a whole file.
            ASSERT_GE(length, chunks) << length;
            ++loaded;
        }
    }
    EXPECT_EQ(loaded, 6);  // where the chunk list starts, and after each of its five chunks
    put("whole.obj", bytes);
    EXPECT_GE(loadobj("whole.obj"), 1);
}

// ---- Limits that need their own capacities ------------------------------------------------

class ObjReaderLimits : public ObjReader {
protected:
    ObjReaderLimits() { openInSetUp = false; }

    void openWith(int32_t staticVertices, int32_t objects, int32_t meshes) {
        SetZEPengineMemory(ZEP_DEFAULT_DYNAMIC_VERTICES, staticVertices, ZEP_DEFAULT_LAYER_VERTICES,
                           ZEP_DEFAULT_HELPERS, objects, meshes);
        ASSERT_TRUE(open());
        useFolders("", "TEXTURES/;");
    }
};

TEST_F(ObjReaderLimits, VertexCountStopsBelowOneHundredThousand) {
    openWith(110000, ZEP_DEFAULT_OBJECTS, ZEP_DEFAULT_MESHES);
    ObjFixture f = zep::test::triangleFixture(240);
    f.vertices.resize(99999);
    f.vertices[99998].x = 5;
    f.triangles = {{0, 1, 99998}};
    put("v99999.obj", f.bytes());
    const int32_t obj = loadobj("v99999.obj");
    ASSERT_GE(obj, 1);
    EXPECT_EQ(ZEPengine.staticVertexCount, objectAt(obj).firstVertex + 99999);
    EXPECT_EQ(vertexOf(obj, 99998).x, 5.0f);
    // Corners keep their low 16 bits in the index pool.
    EXPECT_EQ(GetIndex(meshAt(objectAt(obj).firstMesh).indexStart + 2), 99998 - 65536);

    ObjFixture over = zep::test::triangleFixture(240);
    over.vertexCount = 100000;
    expectFailure("v100000.obj", over.bytes(), "Error: vertex number is out of the limits.");
}

TEST_F(ObjReaderLimits, PoolAndTableCapacitiesRefuseTheObject) {
    constexpr int32_t kStatic = 200, kObjects = 3, kMeshes = 40;
    openWith(kStatic, kObjects, kMeshes);

    // Vertices that would reach the capacity; the meshes taken before the
    // check stay taken, the object slot and the indexes do not.
    ObjFixture big = zep::test::triangleFixture(240);
    big.vertices.resize(size_t(kStatic - (ZEPengine.staticVertexCount + 1) / 2 * 2));
    put("big.obj", big.bytes());
    const Counters before = counters();
    size_t mark = logMark();
    EXPECT_EQ(loadobj("big.obj"), -1);
    EXPECT_EQ(logLinesSince(mark).back(), "[Load obj] Error: Out of static vertex buffer.");
    EXPECT_EQ(ZEPengine.meshCount, before.meshes + 1);
    EXPECT_EQ(ZEPengine.objectCount, before.objects);
    EXPECT_EQ(ZEPengine.staticIndexCount, before.indexes);

    // Indexes that would reach the capacity.
    ObjFixture manyIndexes = zep::test::triangleFixture(240);
    manyIndexes.triangles.assign(size_t((kStatic - ZEPengine.staticIndexCount) / 3 + 1), {0, 1, 2});
    manyIndexes.triangleSlots.assign(manyIndexes.triangles.size(), 1);
    put("indexes.obj", manyIndexes.bytes());
    mark = logMark();
    EXPECT_EQ(loadobj("indexes.obj"), -1);
    // The mesh list before it has no line end.
    EXPECT_TRUE(lastLineEndsWith(mark, ")Error: Out of static index buffer memory."));

    // Meshes: the count may not reach the last record.
    ObjFixture threeMeshes = zep::test::triangleFixture(240);
    threeMeshes.slots.resize(3);
    threeMeshes.triangles.assign(3, {0, 1, 2});
    threeMeshes.triangleSlots = {1, 2, 3};
    put("three.obj", threeMeshes.bytes());
    SetMeshesNumber(kMeshes - 4);
    mark = logMark();
    EXPECT_EQ(loadobj("three.obj"), -1);
    EXPECT_TRUE(lastLineEndsWith(mark, ",t-1,3,7)Static meshes overflow."));
    EXPECT_EQ(ZEPengine.meshCount, kMeshes - 1);
    SetMeshesNumber(kMeshes - 5);
    EXPECT_GE(loadobj("three.obj"), 1);

    // Objects.
    SetObjsNumber(kObjects);
    put("tri.obj", zep::test::triangleFixture(240).bytes());
    mark = logMark();
    EXPECT_EQ(loadobj("tri.obj"), -1);
    EXPECT_EQ(logLinesSince(mark), (Lines{"Static objects overflow."}));
}

// ---- Parsing alone ------------------------------------------------------------------------

// Every cut of every layout parses as "ends early", never reading past the
// cut; a version-250 file may also end between two chunks.
TEST(ObjParse, EveryTruncationOfEveryLayoutEndsEarly) {
    ObjFixture old = richFixture(240);
    old.triangleSlots = {1, 1};
    const struct {
        const char* layout;
        std::vector<uint8_t> bytes;
        size_t wholeFrom;  // shortest cut that is a whole file
    } files[] = {
        {"old", old.oldLayoutBytes(), old.oldLayoutBytes().size()},
        {"200", richFixture(200).bytes(), richFixture(200).bytes().size()},
        {"230", richFixture(230).bytes(), richFixture(230).bytes().size()},
        {"240", richFixture(240).bytes(), richFixture(240).bytes().size()},
        {"250", chunkedFixture().bytes(), chunkListStart(chunkedFixture())},
    };
    for (const auto& file : files) {
        SCOPED_TRACE(file.layout);
        zep::obj::ObjFile parsed;
        ASSERT_EQ(zep::obj::parseObjFile(file.bytes.data(), file.bytes.size(), ZEP_MAX_ANIMATIONS, parsed),
                  ParseStatus::Ok);
        for (size_t length = 0; length < file.bytes.size(); ++length) {
            // An exact-size copy, so that a read past the cut is a read past the buffer.
            const std::vector<uint8_t> cut(file.bytes.begin(), file.bytes.begin() + std::ptrdiff_t(length));
            const ParseStatus status = zep::obj::parseObjFile(cut.data(), cut.size(), ZEP_MAX_ANIMATIONS, parsed);
            if (length < file.wholeFrom) {
                ASSERT_EQ(status, ParseStatus::EndsEarly) << length;
            } else {
                ASSERT_TRUE(status == ParseStatus::EndsEarly || status == ParseStatus::Ok) << length;
            }
        }
    }
}

TEST(ObjParse, ColourChannelsAndLavaNames) {
    EXPECT_EQ(zep::obj::channelFromStored(255.0f), 255);
    EXPECT_EQ(zep::obj::channelFromStored(1.0f), 255);
    EXPECT_EQ(zep::obj::channelFromStored(0.5f), 127);
    EXPECT_EQ(zep::obj::channelFromStored(254.0f), 255);
    EXPECT_EQ(zep::obj::channelFromStored(-3.0f), 0);
    EXPECT_EQ(zep::obj::channelFromStored(std::nanf("")), 0);
    for (int b = 0; b < 256; ++b)
        ASSERT_EQ(zep::obj::channelFromStored(zep::obj::storedFromChannel(uint8_t(b))), b) << b;

    const struct {
        const char name[31];
        int rule;
    } names[] = {{"lava.tga", 1}, {"LAVA_2.tga", 1}, {"Lava.tga", 0}, {"vulcanlava", 3}, {"v\0\0\0\0\0la", 3},
                 {"vulcan.tga", 0}, {"", 0}};
    for (const auto& n : names) EXPECT_EQ(zep::obj::lavaRule(n.name), n.rule) << n.name;
}

}  // namespace
