// Saving objects: what saveobj writes is read back by loadobj as the same
// object (vertices, colours exact, indexes, meshes and materials), slots
// and type bytes are what the file layout says, the host's encoder sees
// the whole file, and what the writer does not carry comes back as defaults.

#include "../engine_test_host.h"
#include "obj_fixture.h"

#include "objects/obj_format.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

using zep::test::EngineTestHost;
using zep::test::Lines;
using zep::test::ObjFixture;

class ObjWriter : public EngineTestHost {
protected:
    void SetUp() override {
        EngineTestHost::SetUp();
        ASSERT_TRUE(open());
        SetTexturePaths("", "TEXTURES/;", 0, 0, 0);
    }

    int32_t texture(const std::string& name, uint8_t red, uint8_t green, uint8_t blue) {
        zep::test::writeBytes(directory / "TEXTURES" / name, zep::test::tgaBytes(red, green, blue));
        return textureload(name.c_str(), ZEP_TEXMODE_OBJECT);
    }

    // A committed object built through the procedural interface: mesh 0 two
    // triangles over four vertices, mesh 1 one triangle over three.
    int32_t buildTwoMeshObject() {
        const int32_t obj = GetObjsNumber();
        const int32_t mesh = GetMeshesNumber();
        InitObj(obj, ZEP_OBJ_ORDINARY);
        const int32_t a = AddLightVertex2(1, 2, 3, 0, 1, 0, 0.1f, 0.2f, 0.3f, 0.4f, 0x80402010);
        const int32_t b = AddLightVertex2(-1, 2.5f, 3, 1, 0, 0, 1.0f, 0.0f, 0.5f, 0.25f, 0xFFFFFFFF);
        const int32_t c = AddLightVertex2(1, -2, 3, 0, 0, -1, 0.7f, 0.9f, 0.6f, 0.3f, 0x01FE7F00);
        const int32_t d = AddLightVertex2(4, 5, 6, 0, 1, 0, 0.0f, 1.0f, 0.0f, 1.0f, 0x00000000);
        AddPolyIndexes(a, b, c);
        AddPolyIndexes(c, b, d);
        AddMesh(obj, mesh + 1);
        const int32_t e = AddLightVertex(7, 8, 9, 0, 0, 1, 0.25f, 0.75f, 0xFF123456);
        const int32_t f = AddLightVertex(7, 9, 9, 0, 0, 1, 0.5f, 0.75f, 0x7F654321);
        const int32_t g = AddLightVertex(8, 8, 9, 0, 0, 1, 0.25f, 0.5f, 0x10FEDCBA);
        AddPolyIndexes(e, f, g);
        AddMesh(obj, mesh + 2);
        CloseObj(obj, mesh + 1);
        SetMeshesNumber(mesh + 2);
        SetObjsNumber(obj + 1);
        return obj;
    }

    // A committed object of `meshes` meshes, one triangle each.
    int32_t buildObjectOfMeshes(int32_t meshes) {
        const int32_t obj = GetObjsNumber();
        const int32_t first = GetMeshesNumber();
        InitObj(obj, ZEP_OBJ_ORDINARY);
        for (int32_t m = 0; m < meshes; ++m) {
            const float x = float(m);
            const int32_t a = AddLightVertex(x, 0, 0, 0, 1, 0, 0, 0, 0xFFFFFFFF);
            const int32_t b = AddLightVertex(x + 1, 0, 0, 0, 1, 0, 1, 0, 0xFFFFFFFF);
            const int32_t c = AddLightVertex(x, 1, 0, 0, 1, 0, 0, 1, 0xFFFFFFFF);
            AddPolyIndexes(a, b, c);
            AddMesh(obj, first + m + 1);
        }
        CloseObj(obj, first + meshes - 1);
        SetMeshesNumber(first + meshes);
        SetObjsNumber(obj + 1);
        return obj;
    }

    int32_t vertexCount(int32_t obj) const {
        const ObjectRecord& object = ZEPengine.objects[obj];
        return ZEPengine.meshes[object.lastMesh].vertexEnd;
    }
};

VertexExchange vertexOf(int32_t obj, int32_t vertex) {
    VertexExchange v{};
    EXPECT_TRUE(GetStaticVertex(obj, vertex, &v));
    return v;
}

TEST_F(ObjWriter, SavedObjectReadsBackTheSame) {
    const int32_t red = texture("red.tga", 255, 0, 0);
    const int32_t blue = texture("blue.tga", 0, 0, 255);
    ASSERT_GE(red, ZEP_FIRST_TEXTURE);
    ASSERT_GE(blue, ZEP_FIRST_TEXTURE);
    const int32_t obj = buildTwoMeshObject();
    const int32_t m = ZEPengine.objects[obj].firstMesh;
    SetMeshMaterial(m, red, blue, 0x100, 5, 0.25f, 1, 0, 1, 0, 0.5f);
    SetMeshMaterial(m + 1, blue, -1, 0x400, 5, 2.0f, 0, 1, 0, 1, 0.75f);

    ASSERT_EQ(saveobj("saved.obj", obj), 1);
    const int32_t copy = loadobj("saved.obj");
    ASSERT_GE(copy, 1);
    ASSERT_NE(copy, obj);

    const ObjectRecord& original = ZEPengine.objects[obj];
    const ObjectRecord& loaded = ZEPengine.objects[copy];
    ASSERT_EQ(loaded.lastMesh - loaded.firstMesh, 1);
    for (int32_t k = 0; k < 2; ++k) {
        SCOPED_TRACE(k);
        const MeshRecord& before = ZEPengine.meshes[original.firstMesh + k];
        const MeshRecord& after = ZEPengine.meshes[loaded.firstMesh + k];
        EXPECT_EQ(after.indexEnd - after.indexStart, before.indexEnd - before.indexStart);
        for (int32_t i = 0; i < before.indexEnd - before.indexStart; ++i)
            EXPECT_EQ(GetIndex(after.indexStart + i), GetIndex(before.indexStart + i)) << i;
        EXPECT_EQ(after.minVertex, before.minVertex);
        EXPECT_EQ(after.vertexEnd, before.vertexEnd);
        EXPECT_EQ(after.texture, before.texture);
        EXPECT_EQ(after.texture2, before.texture2);
        EXPECT_EQ(after.blendMode, before.blendMode);
        EXPECT_EQ(after.materialParam, before.materialParam);
        EXPECT_EQ(after.opacity, before.opacity);
        EXPECT_EQ(after.wrapU0, before.wrapU0);
        EXPECT_EQ(after.wrapU1, before.wrapU1);
        EXPECT_EQ(after.wrapV0, before.wrapV0);
        EXPECT_EQ(after.wrapV1, before.wrapV1);
        EXPECT_EQ(after.specularPower, 50.0f);
    }

    ASSERT_EQ(vertexCount(copy), vertexCount(obj));
    for (int32_t i = 0; i < vertexCount(obj); ++i) {
        SCOPED_TRACE(i);
        const VertexExchange a = vertexOf(obj, i);
        const VertexExchange b = vertexOf(copy, i);
        EXPECT_EQ(b.x, a.x);
        EXPECT_EQ(b.y, a.y);
        EXPECT_EQ(b.z, a.z);
        EXPECT_EQ(b.nx, a.nx);
        EXPECT_EQ(b.ny, a.ny);
        EXPECT_EQ(b.nz, a.nz);
        EXPECT_EQ(b.color, a.color);
        // v is stored flipped, 1 - v, which may round in the last bit.
        EXPECT_EQ(b.tu1, a.tu1);
        EXPECT_FLOAT_EQ(b.tv1, a.tv1);
        EXPECT_EQ(b.tu2, a.tu2);
        EXPECT_FLOAT_EQ(b.tv2, a.tv2);
    }
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(loaded.box[i].x, original.box[i].x);
        EXPECT_EQ(loaded.box[i].y, original.box[i].y);
        EXPECT_EQ(loaded.box[i].z, original.box[i].z);
    }
}

TEST_F(ObjWriter, OneMeshObjectWritesTwoSlotsInTheLayout) {
    const int32_t red = texture("red.tga", 255, 0, 0);
    const int32_t obj = buildTwoMeshObject();
    ObjectRecord& object = ZEPengine.objects[obj];
    object.lastMesh = object.firstMesh;  // save the first mesh only
    SetMeshMaterial(object.firstMesh, red, -1, 0x104, 0, 3.0f, 1, 1, 0, 1, 0.5f);
    ASSERT_EQ(saveobj("one.obj", obj), 1);
    const std::vector<uint8_t> bytes = zep::test::readBytes(directory / "one.obj");

    ASSERT_GE(bytes.size(), 11u);
    EXPECT_EQ(std::string(bytes.begin() + 4, bytes.begin() + 11), "OBJ0240");
    zep::obj::ObjFile file;
    ASSERT_EQ(zep::obj::parseObjFile(bytes.data(), bytes.size(), ZEP_MAX_ANIMATIONS, file), zep::obj::ParseStatus::Ok);
    EXPECT_EQ(file.version, 240);
    ASSERT_EQ(file.slots.size(), 2u);
    for (const zep::obj::Slot& slot : file.slots) {
        EXPECT_STREQ(slot.name1, "RED.TGA");
        EXPECT_EQ(std::memcmp(slot.name2, std::string(30, '\0').data(), 30), 0);
        // 0x104: texture type 0; wrapU0, wrapV0 and wrapV1 set.
        EXPECT_EQ(slot.typeByte, 0x40 | 0x80 | 0x20);
        EXPECT_EQ(slot.param, 3.0f);
        EXPECT_EQ(slot.opacity, 0.5f);
    }
    EXPECT_EQ(file.vertexCount, 4);
    EXPECT_EQ(file.triangleCount, 2);
    EXPECT_EQ(file.triangleSlots, (std::vector<uint16_t>{1, 1}));
    EXPECT_EQ(file.corners, (std::vector<int32_t>{0, 1, 2, 2, 1, 3}));
    // The size the layout gives for T = 2, V = 4, I = 6, H = 0.
    EXPECT_EQ(bytes.size(), 27u + 69 * 2 + 56 * 4 + 4 * 6 + 4 * ((6 + 1) / 3));

    const int32_t copy = loadobj("one.obj");
    ASSERT_GE(copy, 1);
    const MeshRecord& mesh = ZEPengine.meshes[ZEPengine.objects[copy].firstMesh];
    EXPECT_EQ(mesh.blendMode, 0x100u);
    EXPECT_EQ(mesh.texture, red);
    EXPECT_EQ(mesh.texture2, -1);  // an empty second name loads nothing
}

TEST(ObjWriterRules, BlendModesBecomeTextureTypes) {
    const struct {
        uint32_t blendMode;
        uint8_t type;
        uint32_t readBack;
    } cases[] = {
        {0x100, 0, 0x100}, {0x104, 0, 0x100}, {0x200, 8, 0x300}, {0x300, 8, 0x300},
        {0x400, 14, 0x400}, {0x000, 15, 0x000}, {0x004, 9, 0x004}, {0x010, 0, 0x100},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.blendMode);
        MeshRecord mesh{};
        mesh.blendMode = c.blendMode;
        EXPECT_EQ(zep::obj::typeByteForMesh(mesh), c.type);
        zep::obj::Slot slot;
        slot.typeByte = zep::obj::typeByteForMesh(mesh);
        EXPECT_EQ(zep::obj::slotBlendMode(slot), c.readBack);
    }
    MeshRecord wraps{};
    wraps.blendMode = 0x100;
    wraps.wrapU0 = wraps.wrapV0 = wraps.wrapU1 = wraps.wrapV1 = 1;
    EXPECT_EQ(zep::obj::typeByteForMesh(wraps), 0xF0);
}

TEST_F(ObjWriter, EncoderSeesTheWholeFile) {
    static int32_t encodedSize;
    encodedSize = 0;
    const ZEPcontentCoder flip = [](void* data, int32_t size) {
        auto* bytes = static_cast<uint8_t*>(data);
        for (int32_t i = 0; i < size; ++i) bytes[i] ^= 0x5A;
    };
    const ZEPcontentCoder encoder = [](void* data, int32_t size) {
        encodedSize = size;
        auto* bytes = static_cast<uint8_t*>(data);
        for (int32_t i = 0; i < size; ++i) bytes[i] ^= 0x5A;
    };
    const int32_t obj = buildTwoMeshObject();
    SetObjCoders(encoder, flip);
    ASSERT_EQ(saveobj("coded.obj", obj), 1);
    const std::vector<uint8_t> bytes = zep::test::readBytes(directory / "coded.obj");
    EXPECT_EQ(encodedSize, int32_t(bytes.size()));
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(bytes[0], 0xFF ^ 0x5A);

    // Without its signature the file goes through the decoder and reads back.
    const int32_t copy = loadobj("coded.obj");
    ASSERT_GE(copy, 1);
    EXPECT_EQ(ZEPengine.objects[copy].lastMesh - ZEPengine.objects[copy].firstMesh, 1);
    EXPECT_EQ(vertexOf(copy, 2).color, 0x01FE7F00u);
    SetObjCoders(nullptr, nullptr);
}

TEST_F(ObjWriter, ChunkDataIsNotWrittenAndHelpersComeBackUnattached) {
    ObjFixture f = zep::test::triangleFixture(250);
    f.helpers = {{"hook", "", {}}};
    f.chunks = {zep::test::specularChunk({20.0f}), zep::test::clipGroupChunk({{1, {}}}),
                zep::test::animationChunk({zep::test::ObjAnimation{0, "", 0, {}, {}}})};
    zep::test::writeBytes(directory / "chunks.obj", f.bytes());
    const int32_t obj = loadobj("chunks.obj");
    ASSERT_GE(obj, 1);
    ASSERT_EQ(GetHelperCount(obj), 1);

    ASSERT_EQ(saveobj("plain.obj", obj), 1);
    const int32_t helpers = ZEPengine.helperCount;
    const int32_t animations = ZEPengine.animationCount;
    const int32_t copy = loadobj("plain.obj");
    ASSERT_GE(copy, 1);
    const ObjectRecord& object = ZEPengine.objects[copy];
    EXPECT_EQ(object.flags, ZEP_OBJ_ORDINARY);
    EXPECT_EQ(object.firstAnimation, -1);
    EXPECT_EQ(ZEPengine.animationCount, animations);
    EXPECT_EQ(ZEPengine.meshes[object.firstMesh].specularPower, 50.0f);
    EXPECT_EQ(ZEPengine.meshes[object.firstMesh].clipGroupSize, 0);
    EXPECT_EQ(GetHelperCount(copy), 0);
    EXPECT_EQ(ZEPengine.helperCount, helpers + 1);
    EXPECT_STREQ(ZEPengine.helpers[helpers].name, "hook");
}

TEST_F(ObjWriter, FailuresWriteNothing) {
    const int32_t obj = buildTwoMeshObject();
    size_t mark = logMark();
    EXPECT_EQ(saveobj("missing/folder/x.obj", obj), 0);
    EXPECT_EQ(logLinesSince(mark), (Lines{"Error: File write open [missing/folder/x.obj]"}));

    // 31 meshes make the 32 texture slots a file can hold; 32 meshes would
    // make a file the reader refuses, so none is written.
    const int32_t most = buildObjectOfMeshes(31);
    ASSERT_EQ(saveobj("most.obj", most), 1);
    const int32_t copy = loadobj("most.obj");
    ASSERT_GE(copy, 1);
    EXPECT_EQ(ZEPengine.objects[copy].lastMesh - ZEPengine.objects[copy].firstMesh + 1, 31);
    const int32_t tooMany = buildObjectOfMeshes(32);
    mark = logMark();
    EXPECT_EQ(saveobj("many.obj", tooMany), 0);
    EXPECT_EQ(logLinesSince(mark),
              (Lines{"Error: object " + std::to_string(tooMany) + " has 32 meshes, a file holds at most 31."}));
    EXPECT_FALSE(std::filesystem::exists(directory / "many.obj"));

    mark = logMark();
    EXPECT_EQ(saveobj("bad.obj", -1), 0);
    EXPECT_EQ(logLinesSince(mark), (Lines{"Error: no object to save [-1]."}));
    EXPECT_FALSE(std::filesystem::exists(directory / "bad.obj"));
}

}  // namespace
