// The registry's limits: every table and pool refuses what does not fit with
// its log line and writes nothing past its capacity; bad handles fail with a
// log line; nothing crashes once the tables are gone; and the checks the
// object file reader registers through.

#include "../engine_test_host.h"

#include "objects/registry.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

using zep::test::EngineTestHost;
using zep::test::Lines;

std::string line(const char* format, int32_t value) {
    char text[128];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

StaticVertex readStaticVertex(int32_t slot) {
    StaticVertex v{};
    zep::StaticVertexLock lock(slot, 1, true);
    if (lock.ok()) v = lock[0];
    return v;
}

// A committed one-mesh triangle object; its index.
int32_t buildTriangle() {
    const int32_t obj = GetObjsNumber();
    const int32_t mesh = GetMeshesNumber();
    InitObj(obj, ZEP_OBJ_ORDINARY);
    AddPolyIndexes(AddLightVertex(0, 0, 0, 0, 0, 1, 0, 0, 0), AddLightVertex(1, 0, 0, 0, 0, 1, 0, 0, 0),
                   AddLightVertex(0, 1, 0, 0, 0, 1, 0, 0, 0));
    AddMesh(obj, mesh + 1);
    CloseObj(obj, mesh);
    SetMeshesNumber(mesh + 1);
    SetObjsNumber(obj + 1);
    return obj;
}

// The engine opened with small tables and pools.
class SmallRegistry : public EngineTestHost {
protected:
    static constexpr int32_t kStatic = 200;
    static constexpr int32_t kHelpers = 4;
    static constexpr int32_t kObjects = 4;
    static constexpr int32_t kMeshes = 8;

    void SetUp() override {
        EngineTestHost::SetUp();
        SetZEPengineMemory(ZEP_DEFAULT_DYNAMIC_VERTICES, kStatic, ZEP_DEFAULT_LAYER_VERTICES, kHelpers, kObjects,
                           kMeshes);
        ASSERT_TRUE(open());
    }
};

TEST_F(SmallRegistry, StaticVertexPoolFillsToItsLastSlot) {
    const int32_t obj = GetObjsNumber();
    InitObj(obj, ZEP_OBJ_ORDINARY);
    const int32_t firstVertex = ZEPengine.objects[obj].firstVertex;
    while (ZEPengine.staticVertexCount < kStatic - 1) ASSERT_GE(AddLightVertex(0, 0, 0, 0, 0, 1, 0, 0, 0), 0);

    EXPECT_EQ(AddLightVertex(7, 7, 7, 0, 0, 1, 0, 0, 0xFF00FF00), kStatic - 1 - firstVertex);
    EXPECT_EQ(ZEPengine.staticVertexCount, kStatic);
    const size_t mark = logMark();
    EXPECT_EQ(AddLightVertex(9, 9, 9, 0, 0, 1, 0, 0, 0xFFFF0000), -1);
    EXPECT_EQ(AddLightVertex2(9, 9, 9, 0, 0, 1, 0, 0, 0, 0, 0xFFFF0000), -1);
    EXPECT_EQ(ZEPengine.staticVertexCount, kStatic);
    EXPECT_EQ(logLinesSince(mark),
              (Lines{"Error: Out of static vertex buffer.", "Error: Out of static vertex buffer."}));
    EXPECT_EQ(readStaticVertex(kStatic - 1).diffuse, 0xFF00FF00u);

    // The reader's check: an object must end below the capacity.
    EXPECT_TRUE(zep::objectVerticesFit(kStatic - 10, 9));
    const size_t readerMark = logMark();
    EXPECT_FALSE(zep::objectVerticesFit(kStatic - 10, 10));
    EXPECT_EQ(logLinesSince(readerMark), (Lines{"", "[Load obj] Error: Out of static vertex buffer."}));
}

TEST_F(SmallRegistry, StaticIndexPoolRefusesATriangleThatDoesNotFit) {
    while (ZEPengine.staticIndexCount + 3 <= kStatic) ASSERT_GT(AddPolyIndexes(1, 2, 3), 0);
    const int32_t fill = ZEPengine.staticIndexCount;
    const size_t mark = logMark();
    EXPECT_EQ(AddPolyIndexes(4, 5, 6), -1);
    EXPECT_EQ(ZEPengine.staticIndexCount, fill);
    EXPECT_EQ(logLinesSince(mark), (Lines{"Error: Out of static index buffer memory."}));
    EXPECT_EQ(GetIndex(fill - 1), 3);

    // Positions: the last one works, the one past it is refused.
    EXPECT_EQ(ModifyIndex(kStatic - 1, 77), 1);
    EXPECT_EQ(GetIndex(kStatic - 1), 77);
    const size_t positionMark = logMark();
    EXPECT_EQ(GetIndex(kStatic), -1);
    EXPECT_EQ(ModifyIndex(kStatic, 1), 0);
    EXPECT_EQ(logLinesSince(positionMark), (Lines{line("Error: Bad index position [%i].", kStatic),
                                                  line("Error: Bad index position [%i].", kStatic)}));

    // The reader's check: the fill plus the object's indexes stay below the capacity.
    ZEPengine.staticIndexCount = kStatic - 10;
    EXPECT_TRUE(zep::objectIndexesFit(9));
    const size_t readerMark = logMark();
    EXPECT_FALSE(zep::objectIndexesFit(10));
    EXPECT_EQ(logLinesSince(readerMark), (Lines{"Error: Out of static index buffer memory."}));
}

TEST_F(SmallRegistry, ObjectTableStopsAtItsCapacity) {
    while (GetObjsNumber() < kObjects) buildTriangle();
    ASSERT_EQ(GetObjsNumber(), kObjects);
    const int32_t fill = ZEPengine.staticVertexCount;
    const size_t mark = logMark();
    EXPECT_EQ(InitObj(kObjects, ZEP_OBJ_ORDINARY), 0);
    EXPECT_EQ(AddLightVertex(0, 0, 0, 0, 0, 1, 0, 0, 0), -1);
    EXPECT_EQ(zep::newObjectSlot(), nullptr);
    EXPECT_EQ(logLinesSince(mark),
              (Lines{"Static objects overflow.", "Static objects overflow.", "Static objects overflow."}));
    EXPECT_EQ(ZEPengine.staticVertexCount, fill);

    SetObjsNumber(kObjects - 1);
    EXPECT_EQ(zep::newObjectSlot(), &ZEPengine.objects[kObjects - 1]);
}

TEST_F(SmallRegistry, MeshTableStopsAtItsCapacity) {
    const int32_t obj = GetObjsNumber();
    ASSERT_EQ(InitObj(obj, ZEP_OBJ_ORDINARY), 1);
    for (int32_t mesh = GetMeshesNumber() + 1; mesh < kMeshes; ++mesh) ASSERT_EQ(AddMesh(obj, mesh), 1);
    SetMeshMaterial(kMeshes - 1, 5, 6, 0, 0, 0.0f, 0, 0, 0, 0, 0.0f);
    AddPolyIndexes(AddLightVertex(0, 0, 0, 0, 0, 1, 0, 0, 0), AddLightVertex(2, 0, 0, 0, 0, 1, 0, 0, 0),
                   AddLightVertex(0, 2, 0, 0, 0, 1, 0, 0, 0));
    // Closing the table's last mesh: AddMesh(n, capacity) has nothing to open.
    ASSERT_EQ(AddMesh(obj, kMeshes), 1);
    EXPECT_EQ(ZEPengine.meshes[kMeshes - 1].indexEnd, ZEPengine.staticIndexCount);

    const size_t mark = logMark();
    EXPECT_EQ(AddMesh(obj, kMeshes + 1), 0);
    EXPECT_EQ(CloseObj(obj, kMeshes), 0);
    SetMeshMaterial(kMeshes, 9, 9, 9, 9, 9.0f, 1, 1, 1, 1, 9.0f);
    int32_t texture = 123;
    GetMeshMaterial(kMeshes, &texture, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(texture, 123);
    EXPECT_EQ(zep::meshSlot(kMeshes), nullptr);
    EXPECT_EQ(logLinesSince(mark),
              (Lines{"Static meshes overflow.", "Static meshes overflow.", "Error: Mesh index is too big [8].",
                     "Error: Mesh index is too big [8].", "Error: Mesh index is too big [8]."}));
    EXPECT_EQ(ZEPengine.meshes[kMeshes - 1].texture, 5);

    ASSERT_EQ(CloseObj(obj, kMeshes - 1), 1);
    EXPECT_EQ(ZEPengine.objects[obj].radius, 2.0f);
    SetMeshesNumber(kMeshes);
    SetObjsNumber(obj + 1);
    const size_t fullMark = logMark();
    EXPECT_EQ(InitObj(obj + 1, ZEP_OBJ_ORDINARY), 0);
    EXPECT_EQ(logLinesSince(fullMark), (Lines{"Static meshes overflow."}));
}

TEST_F(SmallRegistry, ReaderMeshRuleKeepsOneRecordSpare) {
    const struct Case {
        int32_t count;
        bool room;
        int32_t countAfter;
    } cases[] = {{kMeshes - 2, true, kMeshes - 2}, {kMeshes - 1, false, kMeshes - 1}, {kMeshes, false, kMeshes - 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        ZEPengine.meshCount = c.count;
        const size_t mark = logMark();
        EXPECT_EQ(zep::meshCountHasRoom(), c.room);
        EXPECT_EQ(ZEPengine.meshCount, c.countAfter);
        EXPECT_EQ(logLinesSince(mark), c.room ? Lines{} : Lines{"Static meshes overflow."});
    }
}

TEST_F(SmallRegistry, HelperTableTakesWholeBlocksOnly) {
    HelperRecord records[kHelpers + 1]{};
    for (int i = 0; i <= kHelpers; ++i) records[i].name[0] = char('a' + i);
    ASSERT_EQ(ZEPengine.helperCount, 0);

    EXPECT_EQ(zep::appendHelpers(records, 3), 0);
    const size_t mark = logMark();
    EXPECT_EQ(zep::appendHelpers(records, 2), -1);
    EXPECT_EQ(ZEPengine.helperCount, 3);
    EXPECT_EQ(ZEPengine.helpers[3].name[0], '\0');
    EXPECT_EQ(zep::appendHelpers(records + 3, 1), 3);
    EXPECT_EQ(zep::appendHelpers(records, 0), 4);
    EXPECT_EQ(zep::appendHelpers(records + 4, 1), -1);
    EXPECT_EQ(ZEPengine.helperCount, kHelpers);
    EXPECT_EQ(logLinesSince(mark), (Lines{"Static helpers overflow.", "Static helpers overflow."}));
    EXPECT_STREQ(ZEPengine.helpers[3].name, "d");
}

class Registry : public EngineTestHost {
protected:
    void SetUp() override {
        EngineTestHost::SetUp();
        ASSERT_TRUE(open());
    }
};

TEST_F(Registry, BadObjectHandlesFailWithALogLine) {
    const int32_t obj = buildTriangle();
    VertexExchange vertex{};
    for (int32_t bad : {0, -1, GetObjsNumber() + 1}) {
        SCOPED_TRACE(bad);
        const size_t mark = logMark();
        EXPECT_EQ(InitObj(bad, ZEP_OBJ_ORDINARY), 0);
        EXPECT_EQ(AddMesh(bad, GetMeshesNumber()), 0);
        EXPECT_EQ(CloseObj(bad, 0), 0);
        EXPECT_EQ(ModifyStaticVertex(bad, 0, &vertex), 0);
        EXPECT_EQ(GetStaticVertex(bad, 0, &vertex), 0);
        EXPECT_EQ(GetHelperCount(bad), -1);
        EXPECT_EQ(GetHelper(bad, 0).found, 0);
        EXPECT_EQ(logLinesSince(mark), Lines(7, line("Error: Bad object index [%i].", bad)));
    }
    EXPECT_EQ(ZEPengine.objects[obj].radius, 1.0f);  // the good object untouched
}

TEST_F(Registry, BadMeshVertexAndIndexPositionsFailWithALogLine) {
    const int32_t obj = buildTriangle();
    const int32_t mesh = ZEPengine.objects[obj].firstMesh;
    const int32_t pastFill = ZEPengine.staticVertexCount - ZEPengine.objects[obj].firstVertex;
    VertexExchange vertex{};
    int32_t texture = 55;
    const size_t mark = logMark();
    EXPECT_EQ(GetStaticVertex(obj, -1, &vertex), 0);
    EXPECT_EQ(GetStaticVertex(obj, pastFill, &vertex), 0);
    EXPECT_EQ(ModifyStaticVertex(obj, pastFill, &vertex), 0);
    EXPECT_EQ(GetStaticVertex(obj, 0, nullptr), 0);
    EXPECT_EQ(ModifyStaticVertex(obj, 0, nullptr), 0);
    SetMeshMaterial(-1, 1, 1, 1, 1, 1.0f, 0, 0, 0, 0, 1.0f);
    GetMeshMaterial(-1, &texture, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(AddMesh(obj, -1), 0);
    EXPECT_EQ(CloseObj(obj, -1), 0);
    EXPECT_EQ(GetIndex(-1), -1);
    EXPECT_EQ(ModifyIndex(-1, 0), 0);
    EXPECT_EQ(texture, 55);
    EXPECT_EQ(logLinesSince(mark),
              (Lines{"Error: Bad vertex index [-1].", line("Error: Bad vertex index [%i].", pastFill),
                     line("Error: Bad vertex index [%i].", pastFill), "Error: No vertex record.",
                     "Error: No vertex record.", "Error: Bad mesh index [-1].", "Error: Bad mesh index [-1].",
                     "Error: Bad mesh index [-1].", "Error: Bad mesh index [-1].", "Error: Bad index position [-1].",
                     "Error: Bad index position [-1]."}));
    EXPECT_EQ(ZEPengine.meshes[mesh].texture, -1);
}

TEST_F(Registry, NothingBreaksOnceTheTablesAreGone) {
    buildTriangle();
    const int32_t objects = GetObjsNumber();
    CloseZEPengine();
    ASSERT_EQ(ZEPengine.objects, nullptr);

    VertexExchange vertex{};
    EXPECT_EQ(InitObj(objects, ZEP_OBJ_ORDINARY), 0);
    EXPECT_EQ(AddLightVertex(0, 0, 0, 0, 0, 1, 0, 0, 0), -1);
    EXPECT_EQ(AddPolyIndexes(0, 1, 2), -1);
    EXPECT_EQ(CloseObj(1, 0), 0);
    EXPECT_EQ(GetStaticVertex(1, 0, &vertex), 0);
    EXPECT_EQ(GetIndex(0), -1);
    EXPECT_EQ(GetHelperCount(1), -1);
    EXPECT_EQ(GetHelper(1, 0).found, 0);
    SetMeshMaterial(0, 1, 1, 1, 1, 1.0f, 0, 0, 0, 0, 1.0f);
    SetObjsNumber(2);
    EXPECT_EQ(GetObjsNumber(), objects);
    const HelperRecord helper{};
    EXPECT_EQ(zep::appendHelpers(&helper, 1), -1);
}

TEST_F(Registry, InitialisationClearsTheFirstVertexOfObjectsZeroAndOne) {
    EXPECT_EQ(GetObjsNumber(), 1);
    ZEPengine.objects[0].firstVertex = 33;
    ZEPengine.objects[1].firstVertex = 33;
    ZEPengine.objects[2].firstVertex = 33;
    InitZEPengine();
    EXPECT_EQ(ZEPengine.objects[0].firstVertex, 0);
    EXPECT_EQ(ZEPengine.objects[1].firstVertex, 0);
    EXPECT_EQ(ZEPengine.objects[2].firstVertex, 33);
}

TEST_F(Registry, FileObjectsStartOnEvenSlots) {
    for (int32_t fill : {5, 6}) {
        ZEPengine.staticVertexCount = fill;
        EXPECT_EQ(zep::beginObjectVertices(), 6);
        EXPECT_EQ(ZEPengine.staticVertexCount, 6);
    }
}

class TinyTables : public EngineTestHost {};

TEST_F(TinyTables, AnObjectTableOfOneRecordOpens) {
    // Only the reserved object 0 fits: initialisation must not touch object 1.
    SetZEPengineMemory(ZEP_DEFAULT_DYNAMIC_VERTICES, 100, ZEP_DEFAULT_LAYER_VERTICES, 1, 1, 2);
    ASSERT_TRUE(open());
    const size_t mark = logMark();
    EXPECT_EQ(InitObj(1, ZEP_OBJ_ORDINARY), 0);
    EXPECT_EQ(logLinesSince(mark), (Lines{"Static objects overflow."}));
}

TEST(RegistryBoxes, ObjectBoxAndMeshVertexRange) {
    zep::Bounds bounds = zep::emptyBounds();
    zep::includePoint(bounds, {1, -4, 2});
    zep::includePoint(bounds, {-3, 5, 0.5f});
    ObjectRecord object{};
    zep::setObjectBox(object, bounds);
    const float corners[8][3] = {{-3, -4, 0.5f}, {1, -4, 0.5f}, {1, 5, 0.5f}, {-3, 5, 0.5f},
                                 {-3, -4, 2},    {1, -4, 2},    {1, 5, 2},    {-3, 5, 2}};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(object.box[i].x, corners[i][0]) << i;
        EXPECT_EQ(object.box[i].y, corners[i][1]) << i;
        EXPECT_EQ(object.box[i].z, corners[i][2]) << i;
    }
    EXPECT_EQ(object.radius, 5.0f);

    const struct Case {
        std::vector<uint16_t> indexes;
        int32_t minVertex, vertexEnd;
    } cases[] = {{{}, 100000, 1}, {{4, 2, 9}, 2, 10}, {{0, 0, 0}, 0, 1}, {{65535, 1, 2}, 1, 65536}};
    for (const Case& c : cases) {
        MeshRecord mesh{};
        zep::setMeshVertexRange(mesh, c.indexes.data(), int32_t(c.indexes.size()));
        EXPECT_EQ(mesh.minVertex, c.minVertex);
        EXPECT_EQ(mesh.vertexEnd, c.vertexEnd);
    }
}

}  // namespace
