// Building objects through the exports: what lands in the object and mesh
// tables and in the static pools (read back from the device buffers), the
// box CloseObj computes, materials, vertex and index edits, the counters and
// rolling them back, and helpers handed out in engine axes.

#include "../engine_test_host.h"

#include "objects/registry.h"

#include <cstring>
#include <vector>

namespace {

using zep::test::EngineTestHost;
using zep::test::Lines;

std::vector<StaticVertex> readStaticVertices(int32_t first, int32_t count) {
    std::vector<StaticVertex> out(static_cast<size_t>(count));
    BYTE* data = nullptr;
    IDirect3DVertexBuffer8* buffer = zep::poolBuffers().staticVertices;
    if (FAILED(buffer->Lock(UINT(first) * sizeof(StaticVertex), UINT(count) * sizeof(StaticVertex), &data,
                            D3DLOCK_READONLY))) {
        ADD_FAILURE() << "static vertex pool lock";
        return out;
    }
    std::memcpy(out.data(), data, out.size() * sizeof(StaticVertex));
    buffer->Unlock();
    return out;
}

std::vector<uint16_t> readStaticIndexes(int32_t first, int32_t count) {
    std::vector<uint16_t> out(static_cast<size_t>(count));
    BYTE* data = nullptr;
    IDirect3DIndexBuffer8* buffer = zep::poolBuffers().staticIndices;
    if (FAILED(buffer->Lock(UINT(first) * 2, UINT(count) * 2, &data, D3DLOCK_READONLY))) {
        ADD_FAILURE() << "static index pool lock";
        return out;
    }
    std::memcpy(out.data(), data, out.size() * 2);
    buffer->Unlock();
    return out;
}

::testing::AssertionResult sameVector(const D3DVECTOR& actual, float x, float y, float z) {
    if (actual.x == x && actual.y == y && actual.z == z) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << actual.x << ", " << actual.y << ", " << actual.z << "), expected ("
                                         << x << ", " << y << ", " << z << ")";
}

class BuildObject : public EngineTestHost {
protected:
    void SetUp() override {
        EngineTestHost::SetUp();
        ASSERT_TRUE(open());
    }

    // A committed one-mesh triangle object; its index.
    static int32_t buildTriangle(float size) {
        const int32_t obj = GetObjsNumber();
        const int32_t mesh = GetMeshesNumber();
        InitObj(obj, ZEP_OBJ_ORDINARY);
        const int32_t a = AddLightVertex(0, 0, 0, 0, 0, 1, 0, 0, 0xFFFFFFFF);
        const int32_t b = AddLightVertex(size, 0, 0, 0, 0, 1, 1, 0, 0xFFFFFFFF);
        const int32_t c = AddLightVertex(0, size, 0, 0, 0, 1, 0, 1, 0xFFFFFFFF);
        AddPolyIndexes(a, b, c);
        AddMesh(obj, mesh + 1);
        CloseObj(obj, mesh);
        SetMeshesNumber(mesh + 1);
        SetObjsNumber(obj + 1);
        return obj;
    }
};

TEST_F(BuildObject, TwoMeshObjectLandsInTablesAndPools) {
    const int32_t obj = GetObjsNumber();
    const int32_t mesh0 = GetMeshesNumber();
    const int32_t firstVertex = ZEPengine.staticVertexCount;
    const int32_t firstIndex = ZEPengine.staticIndexCount;
    const int32_t firstHelper = ZEPengine.helperCount;

    ASSERT_EQ(InitObj(obj, ZEP_OBJ_WIREFRAME), 1);
    // Mesh 0: one triangle. Vertex numbers are relative to the object.
    EXPECT_EQ(AddLightVertex(-2, 0, 1, 0, 1, 0, 0.25f, 0.5f, 0xFF102030), 0);
    EXPECT_EQ(AddLightVertex(3, 0, 1, 0, 1, 0, 1, 0, 0xFF405060), 1);
    EXPECT_EQ(AddLightVertex2(0, 5, -7, 0, 0, -1, 0, 1, 0.75f, 0.125f, 0x80FFFFFF), 2);
    EXPECT_EQ(AddPolyIndexes(0, 1, 2), firstIndex + 3);
    // Mesh 1: a quad of two triangles, with a material of its own.
    ASSERT_EQ(AddMesh(obj, mesh0 + 1), 1);
    SetMeshMaterial(mesh0 + 1, 7, 8, ZEP_BLEND_DOT3, 42, 0.5f, 0, 1, 1, 0, 0.25f);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(AddLightVertex(float(i & 1), float(i >> 1), 0, 0, 0, -1, 0, 0, 0xFFFFFFFF), 3 + i);
    // A vertex no triangle uses stays out of the box.
    EXPECT_EQ(AddLightVertex(500, 500, 500, 0, 0, 1, 0, 0, 0xFFFFFFFF), 7);
    AddPolyIndexes(3, 4, 5);
    EXPECT_EQ(AddPolyIndexes(5, 4, 6), firstIndex + 9);
    ASSERT_EQ(AddMesh(obj, mesh0 + 2), 1);
    ASSERT_EQ(CloseObj(obj, mesh0 + 1), 1);
    SetMeshesNumber(mesh0 + 2);
    SetObjsNumber(obj + 1);

    EXPECT_EQ(GetObjsNumber(), obj + 1);
    EXPECT_EQ(GetMeshesNumber(), mesh0 + 2);
    EXPECT_EQ(ZEPengine.staticVertexCount, firstVertex + 8);
    EXPECT_EQ(ZEPengine.staticIndexCount, firstIndex + 9);

    const ObjectRecord& object = ZEPengine.objects[obj];
    EXPECT_EQ(object.firstMesh, mesh0);
    EXPECT_EQ(object.lastMesh, mesh0 + 1);
    EXPECT_EQ(object.flags, ZEP_OBJ_WIREFRAME);
    EXPECT_EQ(object.helperCount, 0);
    EXPECT_EQ(object.firstHelper, firstHelper);
    EXPECT_EQ(object.firstVertex, firstVertex);
    EXPECT_EQ(object.firstAnimation, -1);
    EXPECT_EQ(object.morphSlot, -1);
    EXPECT_EQ(object.morphWeight, 0.0f);
    EXPECT_STREQ(object.name, "");
    // x -2..3, y 0..5, z -7..1 over the seven referenced vertices.
    const float corners[8][3] = {{-2, 0, -7}, {3, 0, -7}, {3, 5, -7}, {-2, 5, -7},
                                 {-2, 0, 1},  {3, 0, 1},  {3, 5, 1},  {-2, 5, 1}};
    for (int i = 0; i < 8; ++i)
        EXPECT_TRUE(sameVector(object.box[i], corners[i][0], corners[i][1], corners[i][2])) << "corner " << i;
    EXPECT_EQ(object.radius, 7.0f);

    const MeshRecord& first = ZEPengine.meshes[mesh0];
    EXPECT_EQ(first.indexStart, firstIndex);
    EXPECT_EQ(first.indexEnd, firstIndex + 3);
    EXPECT_EQ(first.minVertex, 0);
    EXPECT_EQ(first.vertexEnd, 3);
    EXPECT_EQ(first.texture, -1);
    EXPECT_EQ(first.texture2, -1);
    EXPECT_EQ(first.blendMode, 0u);
    EXPECT_EQ(first.userValue, -1);
    EXPECT_EQ(first.materialParam, 1.0f);
    EXPECT_EQ(first.specularPower, 50.0f);
    EXPECT_EQ(first.opacity, 1.0f);
    EXPECT_EQ(first.clipGroupSize, 0);
    EXPECT_EQ(first.wrapU0 + first.wrapU1 + first.wrapV0 + first.wrapV1, 4);

    const MeshRecord& second = ZEPengine.meshes[mesh0 + 1];
    EXPECT_EQ(second.indexStart, firstIndex + 3);
    EXPECT_EQ(second.indexEnd, firstIndex + 9);
    EXPECT_EQ(second.minVertex, 3);
    EXPECT_EQ(second.vertexEnd, 8);
    EXPECT_EQ(second.texture, 7);
    EXPECT_EQ(second.texture2, 8);
    EXPECT_EQ(second.blendMode, uint32_t(ZEP_BLEND_DOT3));
    EXPECT_EQ(second.userValue, 42);
    EXPECT_EQ(second.materialParam, 0.5f);
    EXPECT_EQ(second.opacity, 0.25f);
    EXPECT_EQ(second.specularPower, 50.0f);

    // The pools, read straight from the device buffers.
    const std::vector<StaticVertex> vertices = readStaticVertices(firstVertex, 8);
    EXPECT_TRUE(sameVector(vertices[0].position, -2, 0, 1));
    EXPECT_TRUE(sameVector(vertices[0].normal, 0, 1, 0));
    EXPECT_EQ(vertices[0].diffuse, 0xFF102030u);
    EXPECT_EQ(vertices[0].tu1, 0.25f);  // AddLightVertex puts its pair in both stages
    EXPECT_EQ(vertices[0].tv1, 0.5f);
    EXPECT_EQ(vertices[0].tu2, 0.25f);
    EXPECT_EQ(vertices[0].tv2, 0.5f);
    EXPECT_TRUE(sameVector(vertices[2].position, 0, 5, -7));
    EXPECT_TRUE(sameVector(vertices[2].normal, 0, 0, -1));
    EXPECT_EQ(vertices[2].diffuse, 0x80FFFFFFu);
    EXPECT_EQ(vertices[2].tu1, 0.0f);
    EXPECT_EQ(vertices[2].tv1, 1.0f);
    EXPECT_EQ(vertices[2].tu2, 0.75f);
    EXPECT_EQ(vertices[2].tv2, 0.125f);
    EXPECT_TRUE(sameVector(vertices[6].position, 1, 1, 0));
    EXPECT_EQ(readStaticIndexes(firstIndex, 9), (std::vector<uint16_t>{0, 1, 2, 3, 4, 5, 5, 4, 6}));
}

TEST_F(BuildObject, NextObjectNumbersItsVerticesFromZero) {
    const int32_t first = buildTriangle(1.0f);
    const int32_t fill = ZEPengine.staticVertexCount;
    const int32_t obj = GetObjsNumber();
    ASSERT_EQ(obj, first + 1);
    InitObj(obj, ZEP_OBJ_ORDINARY);
    EXPECT_EQ(ZEPengine.objects[obj].firstVertex, fill);
    EXPECT_EQ(ZEPengine.objects[obj].firstMesh, ZEPengine.objects[first].lastMesh + 1);
    EXPECT_EQ(AddLightVertex(0, 0, 0, 0, 0, 1, 0, 0, 0), 0);
    EXPECT_EQ(AddLightVertex(0, 0, 0, 0, 0, 1, 0, 0, 0), 1);
}

TEST_F(BuildObject, CloseObjWithoutIndexesLeavesTheEmptyBox) {
    const int32_t obj = GetObjsNumber();
    const int32_t mesh = GetMeshesNumber();
    InitObj(obj, ZEP_OBJ_ORDINARY);
    AddLightVertex(9, 9, 9, 0, 0, 1, 0, 0, 0);  // no triangle refers to it
    AddMesh(obj, mesh + 1);
    ASSERT_EQ(CloseObj(obj, mesh), 1);
    const ObjectRecord& object = ZEPengine.objects[obj];
    EXPECT_TRUE(sameVector(object.box[0], 100000, 100000, 100000));
    EXPECT_TRUE(sameVector(object.box[6], -100000, -100000, -100000));
    EXPECT_EQ(object.radius, 100000.0f);
}

TEST_F(BuildObject, MeshMaterialKeepsFieldsGivenAsMinusOne) {
    const int32_t obj = GetObjsNumber();
    const int32_t mesh = GetMeshesNumber();
    InitObj(obj, ZEP_OBJ_ORDINARY);
    SetMeshMaterial(mesh, 11, 12, 0x104, 5, 2.5f, 0, 0, 0, 0, 0.5f);

    struct Material {
        int32_t texture, texture2, blendMode, userValue;
        float materialParam;
        uint8_t wrapU0, wrapV0, wrapU1, wrapV1;
        float opacity;
    };
    auto read = [&] {
        Material m{};
        GetMeshMaterial(mesh, &m.texture, &m.texture2, &m.blendMode, &m.userValue, &m.materialParam, &m.wrapU0,
                        &m.wrapV0, &m.wrapU1, &m.wrapV1, &m.opacity);
        return m;
    };
    Material m = read();
    EXPECT_EQ(m.texture, 11);
    EXPECT_EQ(m.texture2, 12);
    EXPECT_EQ(m.blendMode, 0x104);
    EXPECT_EQ(m.userValue, 5);
    EXPECT_EQ(m.materialParam, 2.5f);
    EXPECT_EQ(m.opacity, 0.5f);

    // Only the wrap flags change; the arguments come U0, V0, U1, V1.
    SetMeshMaterial(mesh, -1, -1, -1, -1, -1.0f, 1, 1, 0, 0, -1.0f);
    m = read();
    EXPECT_EQ(m.texture, 11);
    EXPECT_EQ(m.texture2, 12);
    EXPECT_EQ(m.blendMode, 0x104);
    EXPECT_EQ(m.userValue, 5);
    EXPECT_EQ(m.materialParam, 2.5f);
    EXPECT_EQ(m.opacity, 0.5f);
    const MeshRecord& record = ZEPengine.meshes[mesh];
    EXPECT_EQ(record.wrapU0, 1);
    EXPECT_EQ(record.wrapV0, 1);
    EXPECT_EQ(record.wrapU1, 0);
    EXPECT_EQ(record.wrapV1, 0);
    SetMeshMaterial(mesh, -1, -1, -1, -1, -1.0f, 0, 1, 1, 0, -1.0f);
    EXPECT_EQ(record.wrapU0, 0);
    EXPECT_EQ(record.wrapV0, 1);
    EXPECT_EQ(record.wrapU1, 1);
    EXPECT_EQ(record.wrapV1, 0);
}

TEST_F(BuildObject, VertexEditsUseTheExchangeOrder) {
    const int32_t obj = GetObjsNumber();
    InitObj(obj, ZEP_OBJ_ORDINARY);
    AddLightVertex(0, 0, 0, 0, 0, 1, 0, 0, 0);
    AddLightVertex(0, 0, 0, 0, 0, 1, 0, 0, 0);

    const VertexExchange in{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 0x11223344};
    ASSERT_EQ(ModifyStaticVertex(obj, 1, &in), 1);
    const StaticVertex stored = readStaticVertices(ZEPengine.objects[obj].firstVertex + 1, 1)[0];
    EXPECT_TRUE(sameVector(stored.position, 1, 2, 3));
    EXPECT_TRUE(sameVector(stored.normal, 4, 5, 6));
    EXPECT_EQ(stored.tu1, 7.0f);
    EXPECT_EQ(stored.tv1, 8.0f);
    EXPECT_EQ(stored.tu2, 9.0f);
    EXPECT_EQ(stored.tv2, 10.0f);
    EXPECT_EQ(stored.diffuse, 0x11223344u);

    VertexExchange out{};
    ASSERT_EQ(GetStaticVertex(obj, 1, &out), 1);
    EXPECT_EQ(std::memcmp(&out, &in, sizeof out), 0);
    ASSERT_EQ(GetStaticVertex(obj, 0, &out), 1);
    EXPECT_EQ(out.x, 0.0f);
    EXPECT_EQ(out.nz, 1.0f);
}

TEST_F(BuildObject, IndexesKeepTheirLowSixteenBits) {
    const int32_t at = ZEPengine.staticIndexCount;
    AddPolyIndexes(70000, 65535, -1);
    EXPECT_EQ(GetIndex(at), 4464);
    EXPECT_EQ(GetIndex(at + 1), 65535);
    EXPECT_EQ(GetIndex(at + 2), 65535);
    ASSERT_EQ(ModifyIndex(at + 1, 0x12345), 1);
    EXPECT_EQ(GetIndex(at + 1), 0x2345);
    EXPECT_EQ(readStaticIndexes(at, 3), (std::vector<uint16_t>{4464, 0x2345, 65535}));
}

TEST_F(BuildObject, CountsRollBackAndTheSlotsAreBuiltAgain) {
    const int32_t objects = GetObjsNumber();
    const int32_t meshes = GetMeshesNumber();
    const int32_t obj = buildTriangle(1.0f);
    std::strcpy(ZEPengine.objects[obj].name, "OBJS\\BOX.OBJ");  // as if a file had been read into it
    EXPECT_EQ(GetObjsNumber(), objects + 1);
    EXPECT_EQ(GetMeshesNumber(), meshes + 1);

    SetObjsNumber(objects);
    SetMeshesNumber(meshes);
    EXPECT_EQ(GetObjsNumber(), objects);
    EXPECT_EQ(GetMeshesNumber(), meshes);
    EXPECT_EQ(ZEPengine.objectCount, objects);
    EXPECT_EQ(ZEPengine.meshCount, meshes);

    // The same object and mesh slots again; the pools only grow.
    const int32_t fill = ZEPengine.staticVertexCount;
    EXPECT_EQ(buildTriangle(4.0f), obj);
    EXPECT_EQ(ZEPengine.objects[obj].firstMesh, meshes);
    EXPECT_EQ(ZEPengine.objects[obj].firstVertex, fill);
    EXPECT_EQ(ZEPengine.objects[obj].radius, 4.0f);
    EXPECT_STREQ(ZEPengine.objects[obj].name, "");
}

TEST_F(BuildObject, CountsOutsideTheTablesAreRefused) {
    const zep::PoolCapacities capacity = zep::registryCapacities();
    const int32_t objects = GetObjsNumber();
    const int32_t meshes = GetMeshesNumber();
    const size_t mark = logMark();
    SetObjsNumber(0);
    SetObjsNumber(capacity.objects + 1);
    SetMeshesNumber(-1);
    SetMeshesNumber(capacity.meshes + 1);
    EXPECT_EQ(GetObjsNumber(), objects);
    EXPECT_EQ(GetMeshesNumber(), meshes);
    EXPECT_EQ(logLinesSince(mark), (Lines{"Error: Bad object count [0].",
                                          "Error: Bad object count [" + std::to_string(capacity.objects + 1) + "].",
                                          "Error: Bad mesh count [-1].",
                                          "Error: Bad mesh count [" + std::to_string(capacity.meshes + 1) + "]."}));
    // A full table is a count hosts may set.
    SetObjsNumber(capacity.objects);
    EXPECT_EQ(GetObjsNumber(), capacity.objects);
}

TEST_F(BuildObject, HelpersComeOutInEngineAxes) {
    HelperRecord records[2]{};
    std::strcpy(records[0].name, "door");
    std::strcpy(records[0].text, "opens");
    std::strcpy(records[1].name, "lamp");
    for (int i = 0; i < 16; ++i) records[1].matrix.m[i / 4][i % 4] = float(i + 1);  // _44 = 16

    const int32_t obj = GetObjsNumber();
    InitObj(obj, ZEP_OBJ_ORDINARY);
    ObjectRecord& object = ZEPengine.objects[obj];
    object.firstHelper = zep::appendHelpers(records, 2);
    object.helperCount = 2;
    ASSERT_GE(object.firstHelper, 0);
    EXPECT_EQ(GetHelperCount(obj), 2);

    const HelperResult door = GetHelper(obj, 0);
    EXPECT_EQ(door.found, 1);
    EXPECT_STREQ(door.name, "door");
    EXPECT_STREQ(door.text, "opens");
    EXPECT_EQ(door.name, ZEPengine.helpers[object.firstHelper].name);  // the record itself, not a copy
    EXPECT_EQ(door.matrix._44, 1.0f);

    const HelperResult lamp = GetHelper(obj, 1);
    EXPECT_EQ(lamp.found, 1);
    EXPECT_STREQ(lamp.name, "lamp");
    // Second and third element of every row exchanged, the last set to 1.
    const float expected[16] = {1, 3, 2, 4, 5, 7, 6, 8, 9, 11, 10, 12, 13, 15, 14, 1};
    for (int i = 0; i < 16; ++i) EXPECT_EQ(lamp.matrix.m[i / 4][i % 4], expected[i]) << "element " << i;

    // Past the object's helpers: nothing found, everything zero.
    const HelperRecord zero{};
    for (int32_t i : {2, -1}) {
        const HelperResult none = GetHelper(obj, i);
        EXPECT_EQ(none.found, 0) << i;
        EXPECT_EQ(std::memcmp(&none.matrix, &zero.matrix, sizeof zero.matrix), 0) << i;
        EXPECT_EQ(none.name, nullptr) << i;
        EXPECT_EQ(none.text, nullptr) << i;
    }
}

}  // namespace
