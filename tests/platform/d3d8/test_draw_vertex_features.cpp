// Per-vertex features of the fixed-function pipeline: fog, texture
// coordinate generation and transforms, volume coordinates, tweening,
// point sizes and user clip planes. Expected values by hand from Direct3D
// 8's formulas.
#include "test_draw_support.h"

#include <cmath>

namespace {

using zep::test::colorNear;
using zep::test::floatBits;
using zep::test::identityMatrix;
using zep::test::Image;
using zep::test::kSceneFvf;
using zep::test::kScreenFvf;
using zep::test::SceneVertex;
using zep::test::ScreenVertex;
using zep::test::sceneQuad;
using zep::test::screenQuad;

constexpr DWORD kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF, kWhite = 0xFFFFFFFF,
                kBlack = 0xFF000000;

class DrawVertexFeatures : public zep::test::DrawTest {
protected:
    void SetUp() override {
        DrawTest::SetUp();
        if (IsSkipped()) return;
        // Depth z / 20 keeps scenes up to z = 20 inside the depth range; x and
        // y pass straight through (w = 1).
        D3DMATRIX projection = identityMatrix();
        projection._33 = 0.05f;
        d3d->SetTransform(D3DTS_PROJECTION, &projection);
    }
};

// ---- Fog --------------------------------------------------------------------

TEST_F(DrawVertexFeatures, FogFormulasBlendTowardsTheFogColour) {
    struct Case {
        const char* name;
        DWORD tableMode, vertexMode, range;
        float start, end, density, z;
        DWORD expected;  // red vertices, blue fog: (f, 0, 1 - f)
    };
    const Case cases[] = {
        {"linear halfway", D3DFOG_NONE, D3DFOG_LINEAR, FALSE, 0, 10, 0, 5, 0x800080},
        {"linear beyond the end", D3DFOG_NONE, D3DFOG_LINEAR, FALSE, 0, 10, 0, 12, 0x0000FF},
        {"linear before the start", D3DFOG_NONE, D3DFOG_LINEAR, FALSE, 2, 10, 0, 1, 0xFF0000},
        {"exp", D3DFOG_NONE, D3DFOG_EXP, FALSE, 0, 0, 0.1f, 5, 0x9B0064},    // e^-0.5 = 0.607
        {"exp2", D3DFOG_NONE, D3DFOG_EXP2, FALSE, 0, 0, 0.1f, 5, 0xC70038},  // e^-0.25 = 0.779
        // corners at (+-1, +-1, 5): range sqrt(27) = 5.196, f = 0.480
        {"range", D3DFOG_NONE, D3DFOG_LINEAR, TRUE, 0, 10, 0, 5, 0x7A0085},
        {"table mode wins", D3DFOG_LINEAR, D3DFOG_EXP, FALSE, 0, 10, 0, 5, 0x800080},
        {"no mode, no fog", D3DFOG_NONE, D3DFOG_NONE, FALSE, 0, 10, 0, 5, 0xFF0000},
    };
    d3d->SetRenderState(D3DRS_FOGENABLE, TRUE);
    d3d->SetRenderState(D3DRS_FOGCOLOR, 0x000000FF);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        d3d->SetRenderState(D3DRS_FOGTABLEMODE, c.tableMode);
        d3d->SetRenderState(D3DRS_FOGVERTEXMODE, c.vertexMode);
        d3d->SetRenderState(D3DRS_RANGEFOGENABLE, c.range);
        d3d->SetRenderState(D3DRS_FOGSTART, floatBits(c.start));
        d3d->SetRenderState(D3DRS_FOGEND, floatBits(c.end));
        d3d->SetRenderState(D3DRS_FOGDENSITY, floatBits(c.density));
        ASSERT_EQ(drawStrip(sceneQuad(-1, -1, 1, 1, c.z, kRed), kSceneFvf), D3D_OK);
        EXPECT_TRUE(colorNear(read().at(32, 32), 0xFF000000 | c.expected, 3));
    }
    // Fog off: the same draw is untouched.
    d3d->SetRenderState(D3DRS_FOGENABLE, FALSE);
    d3d->SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
    ASSERT_EQ(drawStrip(sceneQuad(-1, -1, 1, 1, 12, kRed), kSceneFvf), D3D_OK);
    EXPECT_TRUE(colorNear(read().at(32, 32), kRed));
}

TEST_F(DrawVertexFeatures, PretransformedVertexFogComesFromSpecularAlpha) {
    d3d->SetRenderState(D3DRS_FOGENABLE, TRUE);
    d3d->SetRenderState(D3DRS_FOGCOLOR, 0x000000FF);
    d3d->SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
    ASSERT_EQ(drawStrip(screenQuad(0, 0, 64, 64, 0.5f, kRed, 0x40000000), kScreenFvf), D3D_OK);
    EXPECT_TRUE(colorNear(read().at(32, 32), 0xFF4000BF, 3));  // f = 0x40 / 255 = 0.251
}

// ---- Texture coordinates ------------------------------------------------------

struct TexCoordCase {
    const char* name;
    DWORD index;                // D3DTSS_TEXCOORDINDEX
    DWORD flags;                // D3DTSS_TEXTURETRANSFORMFLAGS
    float matrix[4][4];         // D3DTS_TEXTURE0 (row vectors)
    bool zeroVertexCoordinates; // the vertices carry (0, 0): generated coordinates ignore them
    DWORD quadrants[4];         // top-left, top-right, bottom-left, bottom-right
};

#define IDENTITY {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}

// The texture: red | green over blue | white. The quad spans the screen with
// coordinates (0, 0) at the top left to (1, 1), normal (0, 0, -1), at z = 0.5.
const TexCoordCase kTexCoordCases[] = {
    {"set 0 as given", 0, D3DTTFF_DISABLE, IDENTITY, false, {kRed, kGreen, kBlue, kWhite}},
    // (u, v) enters as (u, v, 1, 0): the third row translates it
    {"2D translated by the third row", 0, D3DTTFF_COUNT2, {{1, 0, 0, 0}, {0, 1, 0, 0}, {0.5f, 0, 1, 0}, {0, 0, 0, 1}}, false,
     {kGreen, kGreen, kWhite, kWhite}},
    {"2D ignores the fourth row", 0, D3DTTFF_COUNT2, {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0.5f, 0, 0, 1}}, false,
     {kRed, kGreen, kBlue, kWhite}},
    // q = 1 x 2: (u, v) / 2 stays in the red texel
    {"projected by the third component", 0, D3DTTFF_COUNT3 | D3DTTFF_PROJECTED,
     {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 2, 0}, {0, 0, 0, 1}}, false, {kRed, kRed, kRed, kRed}},
    // u = 0.5 x + 0.5, v = -0.5 y + 0.5 of the camera-space position
    {"camera-space position", D3DTSS_TCI_CAMERASPACEPOSITION, D3DTTFF_COUNT2,
     {{0.5f, 0, 0, 0}, {0, -0.5f, 0, 0}, {0, 0, 1, 0}, {0.5f, 0.5f, 0, 1}}, true, {kRed, kGreen, kBlue, kWhite}},
    // normal (0, 0, -1): u = -0.75 x -1 = 0.75, v = 0.25
    {"camera-space normal", D3DTSS_TCI_CAMERASPACENORMAL, D3DTTFF_COUNT2,
     {{0, 0, 0, 0}, {0, 0, 0, 0}, {-0.75f, 0, 0, 0}, {0, 0.25f, 0, 1}}, true, {kGreen, kGreen, kGreen, kGreen}},
    // corner (1, 1, 0.5): E = -(1, 1, 0.5) / 1.5, E.N = 1/3, R = 2 (E.N) N - E,
    // R.z = -2/3 + 1/3 = -1/3 at every corner; u = -2 R.z = 0.667
    {"camera-space reflection vector", D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR, D3DTTFF_COUNT2,
     {{0, 0, 0, 0}, {0, 0, 0, 0}, {-2, 0, 0, 0}, {0, 0.25f, 0, 1}}, true, {kGreen, kGreen, kGreen, kGreen}},
};

TEST_F(DrawVertexFeatures, TextureCoordinateGenerationAndTransforms) {
    makeTexture(2, 2, {kRed, kGreen, kBlue, kWhite});
    d3d->SetTexture(0, textures.back());
    samplePoint(0);
    d3d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    d3d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    for (const TexCoordCase& c : kTexCoordCases) {
        SCOPED_TRACE(c.name);
        d3d->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, c.index);
        d3d->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, c.flags);
        D3DMATRIX m;
        std::memcpy(m.m, c.matrix, sizeof m.m);
        d3d->SetTransform(D3DTS_TEXTURE0, &m);
        std::vector<SceneVertex> quad = sceneQuad(-1, -1, 1, 1, 0.5f, kWhite);
        if (c.zeroVertexCoordinates)
            for (SceneVertex& v : quad) v.u = v.v = 0.0f;
        ASSERT_EQ(drawStrip(quad, kSceneFvf), D3D_OK);
        const Image image = read();
        EXPECT_TRUE(colorNear(image.at(16, 16), c.quadrants[0]));
        EXPECT_TRUE(colorNear(image.at(48, 16), c.quadrants[1]));
        EXPECT_TRUE(colorNear(image.at(16, 48), c.quadrants[2]));
        EXPECT_TRUE(colorNear(image.at(48, 48), c.quadrants[3]));
    }
    d3d->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
    d3d->SetTexture(0, nullptr);
}

TEST_F(DrawVertexFeatures, TexCoordIndexPicksTheSetEachStageReads) {
    // Two sets: set 0 picks the red texel, set 1 the green one. Stage 1
    // reads set 0 through its index, stage 0 set 1.
    makeTexture(2, 1, {kRed, kGreen});
    struct TwoSetVertex {
        float x, y, z, rhw;
        DWORD diffuse;
        float u0, v0, u1, v1;
    };
    std::vector<TwoSetVertex> quad;
    for (const ScreenVertex& v : screenQuad(0, 0, 64, 64, 0.5f, kWhite))
        quad.push_back({v.x, v.y, v.z, v.rhw, v.diffuse, 0.25f, 0.5f, 0.75f, 0.5f});
    const DWORD fvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX2;
    for (DWORD stage : {0u, 1u}) {
        samplePoint(stage);
        d3d->SetTexture(stage, textures.back());
        d3d->SetTextureStageState(stage, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        d3d->SetTextureStageState(stage, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    }
    d3d->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 1);
    d3d->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 0);
    d3d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    d3d->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    ASSERT_EQ(drawStrip(quad, fvf), D3D_OK);
    EXPECT_TRUE(colorNear(read().at(32, 32), kGreen));
    // Stage 1 adds its texel (red) to stage 0's green.
    d3d->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_ADD);
    d3d->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_CURRENT);
    ASSERT_EQ(drawStrip(quad, fvf), D3D_OK);
    EXPECT_TRUE(colorNear(read().at(32, 32), 0xFFFFFF00));
    d3d->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    d3d->SetTexture(0, nullptr);
    d3d->SetTexture(1, nullptr);
}

TEST_F(DrawVertexFeatures, VolumeTexturesTakeThreeCoordinates) {
    IDirect3DVolumeTexture8* volume = nullptr;
    ASSERT_EQ(d3d->CreateVolumeTexture(1, 1, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &volume), D3D_OK);
    textures.push_back(volume);
    D3DLOCKED_BOX box{};
    ASSERT_EQ(volume->LockBox(0, &box, nullptr, 0), D3D_OK);
    const DWORD red = kRed, green = kGreen;
    std::memcpy(box.pBits, &red, 4);
    std::memcpy(static_cast<BYTE*>(box.pBits) + box.SlicePitch, &green, 4);
    volume->UnlockBox(0);
    samplePoint(0);
    d3d->SetTextureStageState(0, D3DTSS_ADDRESSW, D3DTADDRESS_CLAMP);
    d3d->SetTexture(0, volume);
    d3d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    d3d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    struct VolumeVertex {
        float x, y, z, rhw;
        DWORD diffuse;
        float u, v, w;
    };
    const DWORD fvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1 | D3DFVF_TEXCOORDSIZE3(0);
    for (float w : {0.25f, 0.75f}) {
        const std::vector<VolumeVertex> quad = {{0, 0, 0.5f, 1, kWhite, 0.5f, 0.5f, w},
                                                {64, 0, 0.5f, 1, kWhite, 0.5f, 0.5f, w},
                                                {0, 64, 0.5f, 1, kWhite, 0.5f, 0.5f, w},
                                                {64, 64, 0.5f, 1, kWhite, 0.5f, 0.5f, w}};
        ASSERT_EQ(drawStrip(quad, fvf), D3D_OK);
        EXPECT_TRUE(colorNear(read().at(32, 32), w < 0.5f ? kRed : kGreen)) << w;
    }
    d3d->SetTexture(0, nullptr);
}

// ---- Tweening -------------------------------------------------------------------

struct TweenVertex {
    float x, y, z;
    float nx, ny, nz;
    DWORD diffuse;
    float u0, v0, u1, v1;
    float x2, y2, z2;
    float nx2, ny2, nz2;
};

TEST_F(DrawVertexFeatures, TweeningBlendsPositionAndNormalByTheFactor) {
    const DWORD declaration[] = {0x20000000, 0x40020000, 0x40020003, 0x40040005, 0x40010007,
                                 0x40010008, 0x4002000F, 0x40020010, 0xFFFFFFFF};
    DWORD shader = 0;
    ASSERT_EQ(d3d->CreateVertexShader(declaration, nullptr, &shader, 0), D3D_OK);
    // First positions: x -1..-0.5; second: x 0.5..1. Normals: facing, then +x.
    auto corner = [](float x, float y, float x2) {
        return TweenVertex{x, y, 0.5f, 0, 0, -1, kWhite, 0, 0, 0, 0, x2, y, 0.5f, 1, 0, 0};
    };
    const std::vector<TweenVertex> quad = {corner(-1, 1, 0.5f), corner(-0.5f, 1, 1), corner(-1, -1, 0.5f),
                                           corner(-0.5f, -1, 1)};
    d3d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    d3d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    struct Case {
        DWORD blend;
        float factor;
        int litX;  // the column the quad covers
    };
    for (const Case& c : {Case{D3DVBF_TWEENING, 0.0f, 8}, Case{D3DVBF_TWEENING, 0.5f, 32}, Case{D3DVBF_TWEENING, 1.0f, 56},
                          Case{D3DVBF_DISABLE, 0.5f, 8}}) {
        SCOPED_TRACE(testing::Message() << "blend " << c.blend << " factor " << c.factor);
        d3d->SetRenderState(D3DRS_VERTEXBLEND, c.blend);
        d3d->SetRenderState(D3DRS_TWEENFACTOR, floatBits(c.factor));
        d3d->Clear(0, nullptr, D3DCLEAR_TARGET, kBlack, 1.0f, 0);
        ASSERT_EQ(drawStrip(quad, shader), D3D_OK);
        const Image image = read();
        for (int x : {8, 32, 56}) EXPECT_TRUE(colorNear(image.at(x, 32), x == c.litX ? kWhite : kBlack)) << x;
    }
    // Lit halfway: normal (0.5, 0, -0.5), N.L = 0.5 with a facing white light.
    d3d->SetRenderState(D3DRS_VERTEXBLEND, D3DVBF_TWEENING);
    d3d->SetRenderState(D3DRS_TWEENFACTOR, floatBits(0.5f));
    d3d->SetRenderState(D3DRS_LIGHTING, TRUE);
    d3d->SetRenderState(D3DRS_COLORVERTEX, FALSE);
    D3DMATERIAL8 material{};
    material.Diffuse = {1, 1, 1, 1};
    d3d->SetMaterial(&material);
    D3DLIGHT8 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {1, 1, 1, 1};
    light.Direction = {0, 0, 1};
    d3d->SetLight(0, &light);
    d3d->LightEnable(0, TRUE);
    ASSERT_EQ(drawStrip(quad, shader), D3D_OK);
    EXPECT_TRUE(colorNear(read().at(32, 32), 0xFF808080, 3));
    d3d->SetRenderState(D3DRS_VERTEXBLEND, D3DVBF_DISABLE);
    d3d->SetVertexShader(kSceneFvf);
    d3d->DeleteVertexShader(shader);
}

// ---- Points ---------------------------------------------------------------------

TEST_F(DrawVertexFeatures, PointSizeScalingAndLimits) {
    struct SizedVertex {
        float x, y, z, rhw;
        float size;
        DWORD diffuse;
    };
    struct Case {
        const char* name;
        bool transformed;     // a scene point at z = 8, else a screen point at (32, 32)
        bool perVertexSize;   // D3DFVF_PSIZE = 8
        float size, minimum, maximum;
        bool scale;           // A = B = 0, C = 1: size x 64 / 8
        int halfWidth;        // pixels covered right of the centre column
    };
    const Case cases[] = {
        {"default size", false, false, 1, 0, 64, false, 0},
        {"size 8", false, false, 8, 0, 64, false, 4},
        {"per-vertex size", false, true, 1, 0, 64, false, 4},
        {"minimum", false, false, 1, 8, 64, false, 4},
        {"scaled by distance", true, false, 1, 0, 64, true, 4},
        {"scaled, then the maximum", true, false, 1, 0, 4, true, 2},
    };
    d3d->SetRenderState(D3DRS_POINTSCALE_A, floatBits(0.0f));
    d3d->SetRenderState(D3DRS_POINTSCALE_B, floatBits(0.0f));
    d3d->SetRenderState(D3DRS_POINTSCALE_C, floatBits(1.0f));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        d3d->SetRenderState(D3DRS_POINTSIZE, floatBits(c.size));
        d3d->SetRenderState(D3DRS_POINTSIZE_MIN, floatBits(c.minimum));
        d3d->SetRenderState(D3DRS_POINTSIZE_MAX, floatBits(c.maximum));
        d3d->SetRenderState(D3DRS_POINTSCALEENABLE, c.scale);
        d3d->Clear(0, nullptr, D3DCLEAR_TARGET, kBlack, 1.0f, 0);
        if (c.transformed) {
            const SceneVertex v{0, 0, 8, 0, 0, -1, kWhite, 0, 0, 0};
            d3d->SetVertexShader(kSceneFvf);
            ASSERT_EQ(d3d->DrawPrimitiveUP(D3DPT_POINTLIST, 1, &v, sizeof v), D3D_OK);
        } else if (c.perVertexSize) {
            const SizedVertex v{32, 32, 0.5f, 1, 8, kWhite};
            d3d->SetVertexShader(D3DFVF_XYZRHW | D3DFVF_PSIZE | D3DFVF_DIFFUSE);
            ASSERT_EQ(d3d->DrawPrimitiveUP(D3DPT_POINTLIST, 1, &v, sizeof v), D3D_OK);
        } else {
            const ScreenVertex v{32, 32, 0.5f, 1, kWhite, 0, 0, 0};
            d3d->SetVertexShader(kScreenFvf);
            ASSERT_EQ(d3d->DrawPrimitiveUP(D3DPT_POINTLIST, 1, &v, sizeof v), D3D_OK);
        }
        const Image image = read();
        // A point of size s centred on pixel 32 covers columns 32 - s/2 .. 32 + s/2 - 1.
        EXPECT_TRUE(colorNear(image.at(32, 32), kWhite));
        for (int dx = 1; dx <= 6; ++dx)
            EXPECT_TRUE(colorNear(image.at(32 + dx, 32), dx < c.halfWidth ? kWhite : kBlack)) << "column " << 32 + dx;
    }
}

TEST_F(DrawVertexFeatures, PointSpritesSpreadTheTextureOverThePoint) {
    // A 16-pixel point at (32, 32) covers 24..39; with sprites on, every
    // stage reads (0, 0) at its top left to (1, 1) at its bottom right.
    makeTexture(2, 2, {kRed, kGreen, kBlue, kWhite});
    d3d->SetTexture(0, textures.back());
    samplePoint(0);
    d3d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    d3d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    d3d->SetRenderState(D3DRS_POINTSIZE, floatBits(16.0f));
    const ScreenVertex v{32, 32, 0.5f, 1, kWhite, 0, 0, 0};
    d3d->SetVertexShader(kScreenFvf);
    for (DWORD sprite : {TRUE, FALSE}) {
        SCOPED_TRACE(testing::Message() << "sprites " << sprite);
        d3d->SetRenderState(D3DRS_POINTSPRITEENABLE, sprite);
        ASSERT_EQ(d3d->DrawPrimitiveUP(D3DPT_POINTLIST, 1, &v, sizeof v), D3D_OK);
        const Image image = read();
        EXPECT_TRUE(colorNear(image.at(27, 27), kRed));
        EXPECT_TRUE(colorNear(image.at(36, 27), sprite ? kGreen : kRed));
        EXPECT_TRUE(colorNear(image.at(27, 36), sprite ? kBlue : kRed));
        EXPECT_TRUE(colorNear(image.at(36, 36), sprite ? kWhite : kRed));
    }
    d3d->SetRenderState(D3DRS_POINTSPRITEENABLE, FALSE);
    d3d->SetTexture(0, nullptr);
}

// ---- Clip planes ----------------------------------------------------------------

TEST_F(DrawVertexFeatures, UserClipPlanesKeepThePositiveHalfSpaceInWorldSpace) {
    // Plane x >= 0.25 in world space; World moves the quad left by 0.5, so
    // the kept part of the quad (world x 0.25..0.5) is at view x 0.25..0.5.
    const float plane[4] = {1, 0, 0, -0.25f};
    ASSERT_EQ(d3d->SetClipPlane(0, plane), D3D_OK);
    d3d->SetRenderState(D3DRS_CLIPPLANEENABLE, D3DCLIPPLANE0);
    D3DMATRIX world = identityMatrix();
    world._41 = -0.5f;
    d3d->SetTransform(D3DTS_WORLD, &world);
    ASSERT_EQ(drawStrip(sceneQuad(-0.5f, -1, 1, 1, 0.5f, kGreen), kSceneFvf), D3D_OK);
    d3d->SetRenderState(D3DRS_CLIPPLANEENABLE, 0);
    const Image image = read();
    EXPECT_TRUE(colorNear(image.at(44, 32), kGreen));  // world x 0.375
    EXPECT_TRUE(colorNear(image.at(36, 32), kBlack));  // world x 0.125: clipped
    EXPECT_TRUE(colorNear(image.at(20, 32), kBlack));  // world x -0.375: clipped
}

}  // namespace
