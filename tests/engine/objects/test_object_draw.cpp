// Drawing objects with putclipobj, read back from the back buffer: where an
// object lands, the box and clip-group tests, culling and fill, textures and
// the default texture, the two-texture modes and surface effects, morph
// objects, the near-plane cap; and the small setters beside it (dots, the
// light map's texture transform).

#include "draw_test_scene.h"
#include "obj_fixture.h"

#include "objects/object_draw.h"
#include "objects/registry.h"
#include "terrain/effects.h"

#include <cmath>
#include <vector>

namespace {

using zep::test::colorNear;
using zep::test::DrawScene;
using zep::test::kBlack;
using zep::test::kBlue;
using zep::test::kGreen;
using zep::test::kRed;
using zep::test::kWhite;
using zep::test::Lines;
using zep::test::Quad;

class ObjectDraw : public DrawScene {
protected:
    static DWORD renderStateOf(D3DRENDERSTATETYPE state) {
        DWORD value = 0xDEADBEEF;
        device()->GetRenderState(state, &value);
        return value;
    }

    static MeshRecord& meshOf(int32_t obj, int32_t i = 0) {
        return ZEPengine.meshes[ZEPengine.objects[obj].firstMesh + i];
    }

    static std::vector<StaticVertex> objectVertices(int32_t obj, int32_t count) {
        std::vector<StaticVertex> out;
        zep::StaticVertexLock lock(ZEPengine.objects[obj].firstVertex, count, true);
        EXPECT_TRUE(lock.ok());
        if (lock.ok()) out.assign(lock.data(), lock.data() + count);
        return out;
    }
};

TEST_F(ObjectDraw, UnknownObjectIsLoggedAndDrawsNothing) {
    beginFrame();
    const size_t mark = logMark();
    putclipobj(GetObjsNumber());
    putclipobj(-1);
    EXPECT_EQ(logLinesSince(mark), (Lines{"Error [in putclipobj]: unknown obj number.",
                                          "Error [in putclipobj]: unknown obj number."}));
}

TEST_F(ObjectDraw, ObjectAppearsWhereProjectPointPutsItsCorners) {
    const int32_t obj = buildQuads({{-3, -1, 1, 2, 0, kRed}});
    beginFrame();
    placeAt(2, -1, 15);
    putclipobj(obj);
    const zep::visual::Image image = readBackBuffer();

    const D3DVECTOR low = screenOf(-3, -1, 0);  // screen y grows downwards
    const D3DVECTOR high = screenOf(1, 2, 0);
    ASSERT_LT(low.x + 8, high.x);
    ASSERT_GT(low.y, high.y + 8);
    EXPECT_TRUE(colorNear(pixelAt(image, (low.x + high.x) / 2, (low.y + high.y) / 2), kRed));
    // Two pixels inside each corner is the object, two pixels outside is not.
    for (const auto& [x, y] : {std::pair{low.x, low.y}, std::pair{low.x, high.y}, std::pair{high.x, low.y},
                               std::pair{high.x, high.y}}) {
        const float inX = x == low.x ? x + 2 : x - 2;
        const float inY = y == low.y ? y - 2 : y + 2;
        const float outX = x == low.x ? x - 2 : x + 2;
        const float outY = y == low.y ? y + 2 : y - 2;
        EXPECT_TRUE(colorNear(pixelAt(image, inX, inY), kRed)) << inX << ", " << inY;
        EXPECT_TRUE(colorNear(pixelAt(image, outX, outY), kBlack)) << outX << ", " << outY;
    }
}

// The object box against the view: wholly on one side draws nothing (and
// leaves clipping off); crossing an edge draws with clipping on.
TEST_F(ObjectDraw, BoxTestRejectsObjectsOutsideAndClipsObjectsOnTheEdge) {
    struct Case {
        const char* name;
        float x, z;
        bool drawn;
        DWORD clipping;
        int32_t counted;  // triangles the debug counter finds in view
    };
    const Case cases[] = {
        {"centre", 0, 20, true, FALSE, 2},
        {"straddles the left edge", -11, 20, true, TRUE, 2},
        {"wholly left", -16, 20, false, FALSE, 0},
        {"wholly right", 16, 20, false, FALSE, 0},
        {"behind the viewer", 0, -20, false, FALSE, 0},
    };
    const int32_t obj = buildQuads({{-2, -2, 2, 2, 0, kWhite}});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        beginFrame();
        ZEPengine.drawDebug = 1;
        ZEPengine.drawDebugCount = 0;
        SetPolyClip();
        placeAt(c.x, 0, c.z);
        putclipobj(obj);
        EXPECT_EQ(renderStateOf(D3DRS_CLIPPING), c.clipping);
        EXPECT_EQ(ZEPengine.drawDebugCount, c.counted);
        const zep::visual::Image image = readBackBuffer();
        int lit = 0;
        for (D3DCOLOR p : image.pixels) lit += p != kBlack;
        EXPECT_EQ(lit > 0, c.drawn) << lit << " pixels drawn";
        ZEPengine.drawDebug = 0;
        ASSERT_EQ(RenderHWND(nullptr), 1);
    }
}

// Four meshes in a row; a clip group whose box lies outside the view skips
// its meshes even where they would show, and drawing resumes after it.
TEST_F(ObjectDraw, ClipGroupOutsideTheViewIsSkipped) {
    struct Case {
        const char* name;
        int32_t groupStart;
        int32_t groupSize;
        bool boxOutside;
        bool drawn[4];
    };
    const Case cases[] = {
        {"group of three outside", 0, 3, true, {false, false, false, true}},
        {"group of two in the middle outside", 1, 2, true, {true, false, false, true}},
        {"group of three inside", 0, 3, false, {true, true, true, true}},
    };
    const float centres[4] = {-7.5f, -2.5f, 2.5f, 7.5f};
    std::vector<Quad> quads;
    for (float c : centres) quads.push_back({c - 2, -2, c + 2, 2, 0, kGreen});
    const int32_t obj = buildQuads(quads);

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (int i = 0; i < 4; ++i) meshOf(obj, i).clipGroupSize = 0;
        MeshRecord& start = meshOf(obj, c.groupStart);
        start.clipGroupSize = c.groupSize;
        const float x0 = c.boxOutside ? -100.0f : -2.0f;
        const D3DVECTOR corners[8] = {{x0, -2, -1}, {x0 + 4, -2, -1}, {x0 + 4, 2, -1}, {x0, 2, -1},
                                      {x0, -2, 1},  {x0 + 4, -2, 1},  {x0 + 4, 2, 1},  {x0, 2, 1}};
        std::copy(std::begin(corners), std::end(corners), start.clipBox);

        beginFrame();
        placeAt(0, 0, 20);
        putclipobj(obj);
        const zep::visual::Image image = readBackBuffer();
        for (int i = 0; i < 4; ++i) {
            const D3DVECTOR at = screenOf(centres[i], 0, 0);
            EXPECT_TRUE(colorNear(pixelAt(image, at.x, at.y), c.drawn[i] ? kGreen : kBlack)) << "mesh " << i;
        }
        ASSERT_EQ(RenderHWND(nullptr), 1);
    }
}

// The object cull mode applies unless culling is off or the object is
// double-sided or alpha-named.
TEST_F(ObjectDraw, CullingFollowsTheObjectFlagsAndTheCullingSwitch) {
    struct Case {
        const char* name;
        int32_t flags;
        bool backFacing;
        uint8_t culling;
        int32_t waterMode;
        bool drawn;
    };
    const Case cases[] = {
        {"front side", ZEP_OBJ_ORDINARY, false, 1, 0, true},
        {"back side", ZEP_OBJ_ORDINARY, true, 1, 0, false},
        {"back side, double-sided", ZEP_OBJ_DOUBLE_SIDED, true, 1, 0, true},
        {"back side, alpha-named", ZEP_OBJ_ALPHA_NAMED, true, 1, 0, true},
        {"back side, culling switched off", ZEP_OBJ_ORDINARY, true, 0, 0, true},
        // The mirrored carrier turns the winding round, and the culled side
        // with it: the same side stays visible.
        {"front side, reflection pass", ZEP_OBJ_ORDINARY, false, 1, 1, true},
        {"back side, reflection pass", ZEP_OBJ_ORDINARY, true, 1, 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Swapping the x extent mirrors the quad, turning its winding round.
        const Quad quad = c.backFacing ? Quad{2, -2, -2, 2, 0, kBlue} : Quad{-2, -2, 2, 2, 0, kBlue};
        const int32_t obj = buildQuads({quad}, c.flags);
        ZEPengine.cullingEnabled = c.culling;
        SetWaterMode(c.waterMode);
        beginFrame();
        placeAt(0, 0, 20);
        putclipobj(obj);
        EXPECT_TRUE(colorNear(readBackBuffer().at(80, 60), c.drawn ? kBlue : kBlack));
        ASSERT_EQ(RenderHWND(nullptr), 1);
    }
}

TEST_F(ObjectDraw, WireframeObjectsDrawEdgesOnlyAndGiveTheFillModeBack) {
    const int32_t obj = buildQuads({{-4, -4, 4, 4, 0, kWhite}}, ZEP_OBJ_WIREFRAME);
    beginFrame();
    placeAt(0, 0, 20);
    putclipobj(obj);
    EXPECT_EQ(renderStateOf(D3DRS_FILLMODE), DWORD(D3DFILL_SOLID));
    const zep::visual::Image image = readBackBuffer();
    // (90, 60) lies inside the quad, clear of its diagonal.
    EXPECT_TRUE(colorNear(image.at(90, 60), kBlack)) << "the inside stays empty";
    int edge = 0;
    for (UINT x = 0; x < 80; ++x) edge += image.at(x, 60) != kBlack;
    EXPECT_GT(edge, 0) << "no left edge drawn";

    // Points fill from the render flags comes back the same way.
    SetFillMode(ZEP_FILL_TEXTURED | ZEP_FILL_POINTS);
    putclipobj(obj);
    EXPECT_EQ(renderStateOf(D3DRS_FILLMODE), DWORD(D3DFILL_POINT));
}

// A mesh without a texture takes the default texture; with no default
// either, or with textures switched off, the stage shows diffuse colour.
TEST_F(ObjectDraw, DefaultTextureStandsInForAMissingOne) {
    const int32_t red = solidTexture("red", kRed);
    struct Case {
        const char* name;
        int32_t meshTexture;
        int32_t defaultTexture;
        int32_t fillFlags;
        D3DCOLOR expected;
    };
    const Case cases[] = {
        {"own texture", red, -1, ZEP_FILL_TEXTURED, kRed},
        {"default texture", -1, red, ZEP_FILL_TEXTURED, kRed},
        {"neither: diffuse", -1, -1, ZEP_FILL_TEXTURED, kWhite},
        {"textures off", red, red, 0, kWhite},
    };
    const int32_t obj = buildQuads({{-2, -2, 2, 2, 0, kWhite}});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        meshOf(obj).texture = c.meshTexture;
        beginFrame();
        SetDefaultTexture(c.defaultTexture);
        SetFillMode(c.fillFlags);
        placeAt(0, 0, 20);
        putclipobj(obj);
        EXPECT_TRUE(colorNear(readBackBuffer().at(80, 60), c.expected));
        ASSERT_EQ(RenderHWND(nullptr), 1);
    }
}

// Yellow first texture, cyan second: one texture shows yellow; the second
// texture on stage 1 (by mode 0x100, or under a sphere map or a screen
// projection) multiplies it to green. Sphere maps and screen projections
// need textures switched on; the alpha view shows the texture's alpha. The
// bump modes draw with the noise texture: lava shows the first texture (a
// flat second one bends no lookup), dot3 too (the cyan normal map faces
// away from its light), and water-style adds the first texture to the
// normal map lit by the sun, which the cyan one faces: yellow turns white.
TEST_F(ObjectDraw, SecondTextureModesAndEffectsCombineOnStageOne) {
    const int32_t yellow = solidTexture("yellow", 0xFFFFFF00);
    const int32_t cyan = solidTexture("cyan", 0xFF00FFFF);
    const int32_t noise = solidTexture("noise", 0xFF808080);
    struct Case {
        const char* name;
        uint32_t blendMode;
        int32_t fillFlags;
        D3DCOLOR expected;
        bool noise = false;
    };
    const Case cases[] = {
        {"one texture", ZEP_BLEND_ONE_TEXTURE, ZEP_FILL_TEXTURED, 0xFFFFFF00},
        {"two textures", ZEP_BLEND_TWO_TEXTURES, ZEP_FILL_TEXTURED, kGreen},
        {"sphere map", ZEP_EFFECT_SPHERE_MAP, ZEP_FILL_TEXTURED, kGreen},
        {"screen projection", ZEP_EFFECT_SCREEN_PROJECTED, ZEP_FILL_TEXTURED, kGreen},
        {"sphere map, textures off", ZEP_EFFECT_SPHERE_MAP, 0, kWhite},
        {"two textures, alpha view", ZEP_BLEND_TWO_TEXTURES, ZEP_FILL_TEXTURED | ZEP_FILL_ALPHA_VIEW, kWhite},
        {"lava", ZEP_BLEND_LAVA, ZEP_FILL_TEXTURED, 0xFFFFFF00, true},
        {"dot3", ZEP_BLEND_DOT3, ZEP_FILL_TEXTURED, 0xFFFFFF00, true},
        {"water-style", ZEP_BLEND_WATER, ZEP_FILL_TEXTURED, kWhite, true},
    };
    // A second object of one plain texture follows each case: it must not
    // see anything of the case's set-up.
    const int32_t obj = buildQuads({{-2, -2, 2, 2, 0, kWhite}});
    const int32_t after = buildQuads({{6, -2, 10, 2, 0, kWhite}});
    meshOf(after).texture = yellow;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MeshRecord& mesh = meshOf(obj);
        mesh.texture = yellow;
        mesh.texture2 = cyan;
        mesh.blendMode = c.blendMode;
        zep::bumpState().noise = c.noise ? Textures[noise].texture : nullptr;
        beginFrame();
        SetFillMode(c.fillFlags);
        placeAt(0, 0, 20);
        putclipobj(obj);
        SetFillMode(ZEP_FILL_TEXTURED);
        putclipobj(after);
        const zep::visual::Image image = readBackBuffer();
        EXPECT_TRUE(colorNear(image.at(80, 60), c.expected));
        const D3DVECTOR next = screenOf(8, 0, 0);
        EXPECT_TRUE(colorNear(pixelAt(image, next.x, next.y), 0xFFFFFF00)) << "the next object";
        ASSERT_EQ(RenderHWND(nullptr), 1);
    }
}

// Without pixel shaders the sphere map writes second texture coordinates
// from the view-turned normal: (2 x / L + 0.5, 0.5 - 2 y / L), L the length
// of (x, y, z, 1) after the view. The screen projection writes each vertex's
// screen position over the render size.
TEST_F(ObjectDraw, SurfaceEffectsWriteSecondTextureCoordinates) {
    const int32_t texture = solidTexture("any", kWhite);
    const int32_t obj = GetObjsNumber();
    const int32_t mesh = GetMeshesNumber();
    InitObj(obj, ZEP_OBJ_ORDINARY);
    AddLightVertex(-2, -2, 0, 1, 0, 0, 0, 0, kWhite);
    AddLightVertex(2, -2, 0, 0, 1, 0, 0, 0, kWhite);
    AddLightVertex(0, 2, 0, 0, 0, -1, 0, 0, kWhite);
    AddPolyIndexes(0, 2, 1);
    AddMesh(obj, mesh + 1);
    CloseObj(obj, mesh);
    SetMeshesNumber(mesh + 1);
    SetObjsNumber(obj + 1);
    MeshRecord& record = ZEPengine.meshes[mesh];
    record.texture = record.texture2 = texture;

    const float r2 = std::sqrt(2.0f), r3 = std::sqrt(3.0f);
    struct Case {
        const char* name;
        float viewZ;  // translation of the view matrix
        float tu2[3], tv2[3];
    };
    const Case cases[] = {
        {"identity view", 0, {2 / r2 + 0.5f, 0.5f, 0.5f}, {0.5f, 0.5f - 2 / r2, 0.5f}},
        // The normal goes through the view as a point, translation and all.
        {"view moved by 1 in z", 1, {2 / r3 + 0.5f, 0.5f, 0.5f}, {0.5f, 0.5f - 2 / r3, 0.5f}},
    };
    ZEPengine.pixelShaderVersion = 1.0f;
    record.blendMode = ZEP_EFFECT_SPHERE_MAP;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        beginFrame();
        const D3DXMATRIX view = translation(0, 0, c.viewZ);
        Setviewmatrix(&view);
        placeAt(0, 0, 20);
        putclipobj(obj);
        const std::vector<StaticVertex> v = objectVertices(obj, 3);
        for (int i = 0; i < 3 && v.size() == 3; ++i) {
            EXPECT_NEAR(v[i].tu2, c.tu2[i], 1e-5f) << "vertex " << i;
            EXPECT_NEAR(v[i].tv2, c.tv2[i], 1e-5f) << "vertex " << i;
        }
        ASSERT_EQ(RenderHWND(nullptr), 1);
    }

    record.blendMode = ZEP_EFFECT_SCREEN_PROJECTED;
    beginFrame();
    placeAt(1, 0, 20);
    putclipobj(obj);
    const std::vector<StaticVertex> v = objectVertices(obj, 3);
    const D3DVECTOR corners[3] = {screenOf(-2, -2, 0), screenOf(2, -2, 0), screenOf(0, 2, 0)};
    ASSERT_GT(ZEPengine.renderTargetWidth, 0);
    for (int i = 0; i < 3 && v.size() == 3; ++i) {
        EXPECT_NEAR(v[i].tu2, corners[i].x / float(ZEPengine.renderTargetWidth), 1e-4f) << "vertex " << i;
        EXPECT_NEAR(v[i].tv2, corners[i].y / float(ZEPengine.renderTargetHeight), 1e-4f) << "vertex " << i;
    }
}

// Grey waves: every use moves the two phases on (0.003 and 0.0017); each
// vertex gets the grey level 128 - 64 sin(cos p2 + 0.2 x) + 64 cos(sin p1 +
// 0.4 z) of its world position, added signed to the texture. Vertices at
// x = -5 pi and 5 pi share their level, so the quad is flat.
TEST_F(ObjectDraw, GreyWavesColourTheVerticesAndAddToTheTexture) {
    const float pi = 3.14159265f;
    const int32_t grey = solidTexture("grey", 0xFF808080);
    const int32_t obj = buildQuads({{-5 * pi, -4, 5 * pi, 4, 0, kWhite}});
    meshOf(obj).texture = grey;
    meshOf(obj).blendMode = ZEP_EFFECT_GREY_WAVES;
    zep::wavePhases() = {0.0f, 0.0f};

    beginFrame();
    placeAt(0, 0, 20);
    putclipobj(obj);
    EXPECT_FLOAT_EQ(zep::wavePhases().first, 0.003f);
    EXPECT_FLOAT_EQ(zep::wavePhases().second, 0.0017f);
    const std::vector<StaticVertex> v = objectVertices(obj, 4);
    ASSERT_EQ(v.size(), 4u);
    for (const StaticVertex& vertex : v) {
        const float x = vertex.position.x;
        const float z = vertex.position.z + 20.0f;
        const float level = 128.0f - 64.0f * std::sin(std::cos(0.0017f) + 0.2f * x) +
                            64.0f * std::cos(std::sin(0.003f) + 0.4f * z);
        const uint32_t g = uint32_t(int32_t(level)) & 0xFF;
        EXPECT_EQ(vertex.diffuse, 0xFF000000u | g * 0x010101u) << "vertex at x " << x;
    }
    // Texture 0x80 added signed to the level shows the level itself.
    const uint32_t g = v[0].diffuse & 0xFF;
    EXPECT_TRUE(colorNear(readBackBuffer().at(80, 60), 0xFF000000u | g * 0x010101u, 3));

    putclipobj(obj);
    EXPECT_FLOAT_EQ(zep::wavePhases().first, 0.006f);
}

// Dot3: texture x diffuse plus the normal map dotted with the sun's
// direction in the object's frame. A normal map facing the light adds the
// full diffuse colour; one facing away adds nothing. Without the noise
// texture the mode falls back to the first texture alone.
TEST_F(ObjectDraw, Dot3ModeLightsTheTextureByItsNormalMap) {
    ASSERT_NE(zep::effectPrograms().bump, nullptr) << "the bump effect program is not made";
    const int32_t dark = solidTexture("dark", 0xFF404040);
    const int32_t towards = solidTexture("towards", 0xFF000000);
    const int32_t away = solidTexture("away", 0xFFFFFFFF);
    const int32_t obj = buildQuads({{-6, -2, -2, 2, 0, kWhite}, {2, -2, 6, 2, 0, kWhite}});
    for (int i = 0; i < 2; ++i) {
        meshOf(obj, i).texture = dark;
        meshOf(obj, i).texture2 = i == 0 ? towards : away;
        meshOf(obj, i).blendMode = ZEP_BLEND_DOT3;
    }
    struct Case {
        const char* name;
        bool noise;
        D3DCOLOR left, right;
    };
    const Case cases[] = {
        {"with the noise texture", true, kWhite, 0xFF404040},
        {"without the noise texture", false, 0xFF404040, 0xFF404040},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        zep::bumpState().noise = c.noise ? Textures[dark].texture : nullptr;
        beginFrame();
        placeAt(0, 0, 20);
        putclipobj(obj);
        const zep::visual::Image image = readBackBuffer();
        const D3DVECTOR left = screenOf(-4, 0, 0), right = screenOf(4, 0, 0);
        EXPECT_TRUE(colorNear(pixelAt(image, left.x, left.y), c.left, 3));
        EXPECT_TRUE(colorNear(pixelAt(image, right.x, right.y), c.right, 3));
        ASSERT_EQ(RenderHWND(nullptr), 1);
    }
    zep::bumpState().noise = nullptr;
}

// Water-style: texture2 (the normal map) and the texture on stage 2 are
// looked up through the noise texture's bumps, and the texture is added to
// the lit normal map. A flat grey normal map lights nothing, so the texture
// shows unmodulated by the half-grey diffuse colour. Without pixel shaders
// the mode falls back to the texture times diffuse.
TEST_F(ObjectDraw, WaterStyleModeAddsTheTextureToTheLitNormalMap) {
    ASSERT_NE(zep::effectPrograms().water, nullptr) << "the water effect program is not made";
    const int32_t red = solidTexture("red", kRed);
    const int32_t flat = solidTexture("flat", 0xFF808080);
    const int32_t noise = solidTexture("noise", 0xFF808080);
    const int32_t obj = buildQuads({{-2, -2, 2, 2, 0, 0xFF808080}});
    meshOf(obj).texture = red;
    meshOf(obj).texture2 = flat;
    meshOf(obj).blendMode = ZEP_BLEND_WATER;
    zep::bumpState().noise = Textures[noise].texture;
    struct Case {
        const char* name;
        float pixelShaderVersion;
        D3DCOLOR expected;
    };
    const Case cases[] = {{"pixel shaders", 1.1f, kRed}, {"no pixel shaders", 1.0f, 0xFF800000}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ZEPengine.pixelShaderVersion = c.pixelShaderVersion;
        beginFrame();
        placeAt(0, 0, 20);
        putclipobj(obj);
        EXPECT_TRUE(colorNear(readBackBuffer().at(80, 60), c.expected, 3));
        ASSERT_EQ(RenderHWND(nullptr), 1);
    }
}

// Lava: the texels of the second texture bend the lookup of the first,
// which stage 1 multiplies by the diffuse colour. A first texture red on
// its left half and blue on its right, bent by half its width (red 0x2C
// times the world scale 5 / sqrt 3), shows blue where it would show red.
// Without the noise texture the mode falls back to the first texture alone.
TEST_F(ObjectDraw, LavaModeBendsTheFirstTextureByTheSecond) {
    const int32_t halves = solidTexture("halves", kRed);
    {
        D3DLOCKED_RECT locked{};
        ASSERT_EQ(Textures[halves].texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
        for (int y = 0; y < 4; ++y) {
            auto* row = reinterpret_cast<uint32_t*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch);
            row[2] = row[3] = kBlue;
        }
        Textures[halves].texture->UnlockRect(0);
    }
    const int32_t bend = solidTexture("bend", 0xFF2C0000);
    const int32_t noise = solidTexture("noise", 0xFF808080);
    const int32_t obj = buildQuads({{-2, -2, 2, 2, 0, kWhite}});
    meshOf(obj).texture = halves;
    meshOf(obj).texture2 = bend;
    meshOf(obj).blendMode = ZEP_BLEND_LAVA;
    struct Case {
        const char* name;
        bool noise;
        D3DCOLOR expected;
    };
    const Case cases[] = {{"with the noise texture", true, kBlue}, {"without the noise texture", false, kRed}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        zep::bumpState().noise = c.noise ? Textures[noise].texture : nullptr;
        beginFrame();
        placeAt(0, 0, 20);
        putclipobj(obj);
        const D3DVECTOR quarter = screenOf(-1, 0, 0);  // u = 0.25: the middle of the red half
        EXPECT_TRUE(colorNear(pixelAt(readBackBuffer(), quarter.x, quarter.y), c.expected, 3));
        ASSERT_EQ(RenderHWND(nullptr), 1);
    }
}

// A host's draw ranges: range 0 is never read, each range after it draws
// its triangles on from where the one before stopped, and none reaches past
// the mesh's own indexes. The first mesh holds a red quad (left) and a blue
// one (right); the second, a green quad above, has no range after range 0
// and so draws nothing, though its indexes follow the first mesh's.
TEST_F(ObjectDraw, DrawRangesPickTheMeshTrianglesInTurn) {
    const int32_t obj = GetObjsNumber();
    const int32_t firstMesh = GetMeshesNumber();
    auto quad = [](float x0, float y0, float x1, float y1, D3DCOLOR color) {
        const int32_t a = AddLightVertex(x0, y0, 0, 0, 0, -1, 0, 1, color);
        const int32_t b = AddLightVertex(x0, y1, 0, 0, 0, -1, 0, 0, color);
        const int32_t c = AddLightVertex(x1, y1, 0, 0, 0, -1, 1, 0, color);
        const int32_t d = AddLightVertex(x1, y0, 0, 0, 0, -1, 1, 1, color);
        AddPolyIndexes(a, c, b);
        AddPolyIndexes(a, d, c);
    };
    InitObj(obj, ZEP_OBJ_ORDINARY);
    quad(-6, -2, -2, 2, kRed);
    quad(2, -2, 6, 2, kBlue);
    AddMesh(obj, firstMesh + 1);
    quad(-2, 3, 2, 6, kGreen);
    AddMesh(obj, firstMesh + 2);
    CloseObj(obj, firstMesh + 1);
    SetMeshesNumber(firstMesh + 2);
    SetObjsNumber(obj + 1);

    MeshRange unused[2] = {};
    unused[0].triangleCount = unused[1].triangleCount = 2;
    meshOf(obj, 1).rangeCount = 1;
    meshOf(obj, 1).ranges = unused;

    struct Case {
        const char* name;
        int32_t rangeCount;
        int32_t first, second;  // triangles of ranges 1 and 2
        D3DCOLOR left, right;
    };
    const Case cases[] = {
        {"one range of two triangles", 2, 2, 0, kRed, kBlack},
        {"the second range goes on after the first", 3, 2, 2, kRed, kBlue},
        {"a range past the mesh stops at its end", 2, 99, 0, kRed, kBlue},
    };
    // Range 0 would draw the whole mesh if it were read.
    MeshRange ranges[3] = {};
    ranges[0].triangleCount = 4;
    meshOf(obj).ranges = ranges;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ranges[1].triangleCount = c.first;
        ranges[2].triangleCount = c.second;
        meshOf(obj).rangeCount = c.rangeCount;
        beginFrame();
        placeAt(0, 0, 20);
        const size_t mark = logMark();
        putclipobj(obj);
        EXPECT_EQ(logLinesSince(mark), Lines{});
        const zep::visual::Image image = readBackBuffer();
        const D3DVECTOR left = screenOf(-4, 0, 0), right = screenOf(4, 0, 0), above = screenOf(0, 4.5f, 0);
        EXPECT_TRUE(colorNear(pixelAt(image, left.x, left.y), c.left));
        EXPECT_TRUE(colorNear(pixelAt(image, right.x, right.y), c.right));
        EXPECT_TRUE(colorNear(pixelAt(image, above.x, above.y), kBlack)) << "the mesh without ranges";
        ASSERT_EQ(RenderHWND(nullptr), 1);
    }
    // The tables live on this stack frame only.
    meshOf(obj).ranges = meshOf(obj, 1).ranges = nullptr;
}

// The light map multiplies what the two textures made by its alpha.
TEST_F(ObjectDraw, LightMapDarkensByItsAlpha) {
    const int32_t white = solidTexture("white", kWhite);
    const int32_t halfLit = solidTexture("light", 0x80FFFFFF, D3DFMT_A8R8G8B8);
    const int32_t obj = buildQuads({{-2, -2, 2, 2, 0, kWhite}});
    meshOf(obj).texture = meshOf(obj).texture2 = white;
    meshOf(obj).blendMode = ZEP_BLEND_TWO_TEXTURES;
    for (bool lightMap : {false, true}) {
        SCOPED_TRACE(lightMap);
        beginFrame();
        placeAt(0, 0, 20);
        SetLightMap(lightMap ? halfLit : -1);
        putclipobj(obj);
        EXPECT_TRUE(colorNear(readBackBuffer().at(80, 60), lightMap ? 0xFF808080 : kWhite, 3));
        ASSERT_EQ(RenderHWND(nullptr), 1);
    }
}

// A morph object blends its own vertices with the targets UpdateMorph copied
// into the second slots: weight 0 is its own shape (a quad on the left),
// weight 1 the target's (a quad on the right).
TEST_F(ObjectDraw, MorphObjectTweensTowardsItsTarget) {
    auto quadFile = [](float x0, float x1) {
        zep::test::ObjFixture f;
        f.slots = {zep::test::ObjSlot{}};
        // File axes are Z up: (x, 0, y) is the engine's (x, y, 0).
        f.vertices = {{x0, 0, -2}, {x0, 0, 2}, {x1, 0, 2}, {x1, 0, -2}};
        f.triangles = {{0, 2, 1}, {0, 3, 2}};
        f.triangleSlots = {1, 1};
        return f;
    };
    zep::test::writeBytes(directory / "left.obj", quadFile(-8, -4).bytes());
    zep::test::writeBytes(directory / "right.obj", quadFile(4, 8).bytes());
    const int32_t morph = loadmorphobj("left.obj");
    const int32_t target = loadobj("right.obj");
    ASSERT_GE(morph, 0);
    ASSERT_GE(target, 0);
    EXPECT_EQ(ZEPengine.objects[morph].morphSlot, 0);
    ASSERT_EQ(UpdateMorph(morph, target), 1);
    ASSERT_NE(zep::effectPrograms().tweenShader, 0u) << "the tween declaration is not made";

    for (float weight : {0.0f, 1.0f}) {
        SCOPED_TRACE(weight);
        SetMorph(morph, 0, weight);
        beginFrame();
        placeAt(0, 0, 20);
        putclipobj(morph);
        const zep::visual::Image image = readBackBuffer();
        const D3DVECTOR left = screenOf(-6, 0, 0), right = screenOf(6, 0, 0);
        EXPECT_TRUE(colorNear(pixelAt(image, left.x, left.y), weight == 0.0f ? kWhite : kBlack));
        EXPECT_TRUE(colorNear(pixelAt(image, right.x, right.y), weight == 0.0f ? kBlack : kWhite));
        ASSERT_EQ(RenderHWND(nullptr), 1);
    }

    // A slot of -1 makes it an ordinary object record again.
    SetMorph(morph, -1, 0.5f);
    EXPECT_EQ(ZEPengine.objects[morph].morphSlot, -1);
    EXPECT_EQ(ZEPengine.objects[morph].morphWeight, 0.5f);
}

// In the cap pass the part of an object nearer than the near plane, which
// the near plane cuts away, is drawn flat white on the screen.
TEST_F(ObjectDraw, CapPassClosesObjectsCutByTheNearPlane) {
    // A slope from y -0.3 at depth 0.5 up to y 1.5 at depth 5: its part
    // before the near plane (depth 1) would show below the screen centre.
    const int32_t obj = GetObjsNumber();
    const int32_t mesh = GetMeshesNumber();
    InitObj(obj, ZEP_OBJ_DOUBLE_SIDED);
    AddLightVertex(-3, -0.3f, 0.5f, 0, 0, -1, 0, 0, kRed);
    AddLightVertex(-3, 1.5f, 5, 0, 0, -1, 0, 0, kRed);
    AddLightVertex(3, 1.5f, 5, 0, 0, -1, 0, 0, kRed);
    AddLightVertex(3, -0.3f, 0.5f, 0, 0, -1, 0, 0, kRed);
    AddPolyIndexes(0, 2, 1);
    AddPolyIndexes(0, 3, 2);
    AddMesh(obj, mesh + 1);
    CloseObj(obj, mesh);
    SetMeshesNumber(mesh + 1);
    SetObjsNumber(obj + 1);

    for (int32_t phase : {0, 2}) {
        SCOPED_TRACE(phase);
        beginFrame();
        SwitchRenderPhase(phase);
        putclipobj(obj);
        const zep::visual::Image image = readBackBuffer();
        EXPECT_TRUE(colorNear(image.at(80, 40), kRed)) << "the slope beyond the near plane";
        EXPECT_TRUE(colorNear(image.at(80, 90), phase == 2 ? kWhite : kBlack)) << "the cut before it";
        DWORD shader = 0;
        device()->GetVertexShader(&shader);
        EXPECT_EQ(shader, DWORD(ZEP_FVF_STATIC));
        SwitchRenderPhase(0);
        ASSERT_EQ(RenderHWND(nullptr), 1);
    }
}

TEST_F(ObjectDraw, PutDotDrawsOnePointOfTheDotSize) {
    beginFrame();
    SetDotSize(7.0f, 0.0f, 0.0f, 0);
    placeAt(0, 0, 0);
    PutDot(1, 1, 10, kGreen);
    const D3DVECTOR at = screenOf(1, 1, 10);
    const zep::visual::Image image = readBackBuffer();
    EXPECT_TRUE(colorNear(pixelAt(image, at.x, at.y), kGreen));
    EXPECT_TRUE(colorNear(pixelAt(image, at.x + 2, at.y - 2), kGreen));
    EXPECT_TRUE(colorNear(pixelAt(image, at.x + 6, at.y), kBlack));
    DWORD size = 0;
    device()->GetRenderState(D3DRS_POINTSIZE_MAX, &size);
    float maxSize = 0;
    std::memcpy(&maxSize, &size, sizeof maxSize);
    EXPECT_EQ(maxSize, 10000.0f);
}

// The light map's texture transform turns with the object's heading in
// whole radians only (0, 1, 2 or 3) and follows its ground position.
TEST_F(ObjectDraw, LightMapTransformFollowsHeadingAndPosition) {
    struct Case {
        float angle;    // object turned about z
        float heading;  // expected h
    };
    const Case cases[] = {{0.0f, 0.0f}, {0.5f, 0.0f}, {-1.5f, 1.0f}, {2.0f, 1.0f}, {-2.9f, 2.0f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.angle);
        D3DXMATRIX turn, carrier;
        D3DXMatrixRotationZ(&turn, c.angle);
        const D3DXMATRIX moved = translation(24, -12, 5);
        D3DXMatrixMultiply(&carrier, &turn, &moved);
        beginFrame();
        SetObjectCarrier(&carrier);
        EXPECT_EQ(SetLightMap(3), 1);
        EXPECT_EQ(ZEPengine.lightMapTexture, 3);
        D3DMATRIX t{};
        device()->GetTransform(D3DTS_TEXTURE2, &t);
        const float ch = std::cos(c.heading), sh = std::sin(c.heading);
        EXPECT_NEAR(t._11, 0.09f * ch, 1e-5f);
        EXPECT_NEAR(t._12, -0.17f * sh, 1e-5f);
        EXPECT_NEAR(t._21, -0.09f * sh, 1e-5f);
        EXPECT_NEAR(t._22, -0.17f * ch, 1e-5f);
        const float qx = 24 * ch + 12 * sh, qy = 24 * sh - 12 * ch;
        EXPECT_NEAR(t._41, -qx / 12, 1e-4f);
        EXPECT_NEAR(t._42, qy / 6, 1e-4f);
        ASSERT_EQ(RenderHWND(nullptr), 1);
    }
    EXPECT_EQ(SetLightMap(-1), 1);
    EXPECT_EQ(ZEPengine.lightMapTexture, -1);
}

}  // namespace
