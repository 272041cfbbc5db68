// Per-vertex features of the fixed-function pipeline: fog, texture
// coordinate generation and transforms, volume coordinates, tweening,
// point sizes and user clip planes. Expected values are worked out by hand
// from Direct3D 8's formulas.
#include "visual_case.h"

#include <string>

namespace {

using zep::visual::Context;
using zep::visual::floatBits;
using zep::visual::identityMatrix;
using zep::visual::kSceneFvf;
using zep::visual::kScreenFvf;
using zep::visual::SceneVertex;
using zep::visual::ScreenVertex;
using zep::visual::sceneQuad;
using zep::visual::screenQuad;

constexpr DWORD kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF, kWhite = 0xFFFFFFFF, kBlack = 0xFF000000;

// Depth z / 20 keeps scenes up to z = 20 inside the depth range; x and y
// pass straight through (w = 1). An affine projection: table fog reads the
// depth z / 20.
void setFlatProjection(IDirect3DDevice8* d3d) {
    D3DMATRIX projection = identityMatrix();
    projection._33 = 0.05f;
    d3d->SetTransform(D3DTS_PROJECTION, &projection);
}

// A perspective projection (near 1, far 20, 90 degrees): w is the camera
// depth, which table fog then reads; x and y are divided by it.
void setPerspectiveProjection(IDirect3DDevice8* d3d) {
    D3DMATRIX projection{};
    projection._11 = 1.0f;
    projection._22 = 1.0f;
    projection._33 = 20.0f / 19.0f;
    projection._34 = 1.0f;
    projection._43 = -20.0f / 19.0f;
    d3d->SetTransform(D3DTS_PROJECTION, &projection);
}

void showStage0(IDirect3DDevice8* d3d, DWORD argument) {
    d3d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    d3d->SetTextureStageState(0, D3DTSS_COLORARG1, argument);
}

// ---- Fog ----------------------------------------------------------------------

struct FogCase {
    const char* name;
    DWORD enable, tableMode, vertexMode, range;
    float start, end, density, z;
    bool perspective;  // else the flat projection
    DWORD expected;    // red vertices, blue fog: (f, 0, 1 - f)
    DWORD specular = 0;
};

const FogCase kFogCases[] = {
    {"linear halfway", TRUE, D3DFOG_NONE, D3DFOG_LINEAR, FALSE, 0, 10, 0, 5, false, 0x800080},
    {"linear beyond the end", TRUE, D3DFOG_NONE, D3DFOG_LINEAR, FALSE, 0, 10, 0, 12, false, 0x0000FF},
    {"linear before the start", TRUE, D3DFOG_NONE, D3DFOG_LINEAR, FALSE, 2, 10, 0, 1, false, 0xFF0000},
    {"exp", TRUE, D3DFOG_NONE, D3DFOG_EXP, FALSE, 0, 0, 0.1f, 5, false, 0x9B0064},    // e^-0.5 = 0.607
    {"exp2", TRUE, D3DFOG_NONE, D3DFOG_EXP2, FALSE, 0, 0, 0.1f, 5, false, 0xC70038},  // e^-0.25 = 0.779
    // corners at (+-1, +-1, 5): range sqrt(27) = 5.196, f = 0.480
    {"range", TRUE, D3DFOG_NONE, D3DFOG_LINEAR, TRUE, 0, 10, 0, 5, false, 0x7A0085},
    // the camera depth 5 through the table's linear formula, not EXP's
    {"table mode wins", TRUE, D3DFOG_LINEAR, D3DFOG_EXP, FALSE, 0, 10, 0, 5, true, 0x800080},
    // f = (8 - 6) / 8 = 0.25
    {"table linear by camera depth", TRUE, D3DFOG_LINEAR, D3DFOG_NONE, FALSE, 0, 8, 0, 6, true, 0x4000BF},
    // an affine projection: the depth 5 / 20 = 0.25 against start 0 and end 0.5
    {"table linear by depth", TRUE, D3DFOG_LINEAR, D3DFOG_NONE, FALSE, 0, 0.5f, 0, 5, false, 0x800080},
    // no formula: the factor is the vertex's specular alpha, 0x40 / 255
    {"without a mode from second colour alpha", TRUE, D3DFOG_NONE, D3DFOG_NONE, FALSE, 0, 10, 0, 5, false, 0x4000BF,
     0x40000000},
    {"off", FALSE, D3DFOG_NONE, D3DFOG_LINEAR, FALSE, 0, 10, 0, 12, false, 0xFF0000},
};

void addFogCases(zep::visual::CaseList& cases) {
    for (const FogCase& f : kFogCases) {
        cases.add(std::string("fog ") + f.name, [f](Context& c) {
            if (f.perspective)
                setPerspectiveProjection(c.d3d);
            else
                setFlatProjection(c.d3d);
            c.d3d->SetRenderState(D3DRS_FOGENABLE, f.enable);
            c.d3d->SetRenderState(D3DRS_FOGCOLOR, 0x000000FF);
            c.d3d->SetRenderState(D3DRS_FOGTABLEMODE, f.tableMode);
            c.d3d->SetRenderState(D3DRS_FOGVERTEXMODE, f.vertexMode);
            c.d3d->SetRenderState(D3DRS_RANGEFOGENABLE, f.range);
            c.d3d->SetRenderState(D3DRS_FOGSTART, floatBits(f.start));
            c.d3d->SetRenderState(D3DRS_FOGEND, floatBits(f.end));
            c.d3d->SetRenderState(D3DRS_FOGDENSITY, floatBits(f.density));
            // Under the perspective projection the quad grows with its depth
            // to fill the screen.
            const float half = f.perspective ? f.z : 1.0f;
            c.drawStrip(sceneQuad(-half, -half, half, half, f.z, kRed, f.specular), kSceneFvf);
            c.expect(32, 32, f.expected);
        });
    }

    // Table fog of pre-transformed vertices under the (affine) identity
    // projection reads their depth, 0.25 against 0..0.5, not their w of 5.
    cases.add("fog table linear pretransformed by depth", [](Context& c) {
        c.d3d->SetRenderState(D3DRS_FOGENABLE, TRUE);
        c.d3d->SetRenderState(D3DRS_FOGCOLOR, 0x000000FF);
        c.d3d->SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_LINEAR);
        c.d3d->SetRenderState(D3DRS_FOGSTART, floatBits(0.0f));
        c.d3d->SetRenderState(D3DRS_FOGEND, floatBits(0.5f));
        c.drawStrip(screenQuad(0, 0, 64, 64, 0.25f, kRed, 0xFF000000, 0.2f), kScreenFvf);
        c.expect(32, 32, 0x800080);
    });

    // Pre-transformed vertices carry their own fog factor in the specular alpha.
    cases.add("fog pretransformed from second colour alpha", [](Context& c) {
        c.d3d->SetRenderState(D3DRS_FOGENABLE, TRUE);
        c.d3d->SetRenderState(D3DRS_FOGCOLOR, 0x000000FF);
        c.d3d->SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
        c.drawStrip(screenQuad(0, 0, 64, 64, 0.5f, kRed, 0x40000000), kScreenFvf);
        c.expect(32, 32, 0x4000BF);  // f = 0x40 / 255 = 0.251
    });
}

// ---- Texture coordinates --------------------------------------------------------

struct TexCoordCase {
    const char* name;
    DWORD index;                 // D3DTSS_TEXCOORDINDEX
    DWORD flags;                 // D3DTSS_TEXTURETRANSFORMFLAGS
    float matrix[4][4];          // D3DTS_TEXTURE0 (row vectors)
    bool zeroVertexCoordinates;  // the vertices carry (0, 0): generated coordinates ignore them
    DWORD quadrants[4];          // top-left, top-right, bottom-left, bottom-right
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

// The reflection vector under the lighting states: a 4 x 1 texture red |
// green | blue | white read at u = 0.5 - 0.375 R.z. E runs from the vertex
// to the eye at the origin whatever LOCALVIEWER says (which only places the
// viewer of specular highlights): R.z = -1/3 as above, blue. A viewer at
// infinity towards -z would give R = (0, 0, -1) (white), one towards +z
// R = (0, 0, 1) (red).
struct ReflectionCase {
    const char* name;
    DWORD lighting, localViewer;
};

const ReflectionCase kReflectionCases[] = {
    {"reflection lit local viewer", TRUE, TRUE},
    {"reflection lit distant viewer", TRUE, FALSE},
    {"reflection unlit distant viewer", FALSE, FALSE},
};

void addTexCoordCases(zep::visual::CaseList& cases) {
    for (const TexCoordCase& t : kTexCoordCases) {
        cases.add(std::string("texcoord ") + t.name, [t](Context& c) {
            setFlatProjection(c.d3d);
            c.d3d->SetTexture(0, c.makeTexture(2, 2, {kRed, kGreen, kBlue, kWhite}));
            c.samplePoint(0);
            showStage0(c.d3d, D3DTA_TEXTURE);
            c.d3d->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, t.index);
            c.d3d->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, t.flags);
            D3DMATRIX m;
            std::memcpy(m.m, t.matrix, sizeof m.m);
            c.d3d->SetTransform(D3DTS_TEXTURE0, &m);
            std::vector<SceneVertex> quad = sceneQuad(-1, -1, 1, 1, 0.5f, kWhite);
            if (t.zeroVertexCoordinates)
                for (SceneVertex& v : quad) v.u = v.v = 0.0f;
            c.drawStrip(quad, kSceneFvf);
            c.expect(16, 16, t.quadrants[0]);
            c.expect(48, 16, t.quadrants[1]);
            c.expect(16, 48, t.quadrants[2]);
            c.expect(48, 48, t.quadrants[3]);
        });
    }

    for (const ReflectionCase& r : kReflectionCases) {
        cases.add(std::string("texcoord ") + r.name, [r](Context& c) {
            setFlatProjection(c.d3d);
            c.d3d->SetTexture(0, c.makeTexture(4, 1, {kRed, kGreen, kBlue, kWhite}));
            c.samplePoint(0);
            showStage0(c.d3d, D3DTA_TEXTURE);
            c.d3d->SetRenderState(D3DRS_LIGHTING, r.lighting);
            c.d3d->SetRenderState(D3DRS_LOCALVIEWER, r.localViewer);
            c.d3d->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR);
            c.d3d->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
            D3DMATRIX m{};
            m._31 = -0.375f;
            m._41 = 0.5f;
            m._42 = 0.5f;
            m._44 = 1.0f;
            c.d3d->SetTransform(D3DTS_TEXTURE0, &m);
            c.drawStrip(sceneQuad(-1, -1, 1, 1, 0.5f, kWhite), kSceneFvf);
            c.expect(32, 32, kBlue);
        });
    }

    // Two sets: set 0 picks the red texel, set 1 the green one. Stage 0
    // reads set 1 through its index, stage 1 set 0.
    for (bool secondStage : {false, true}) {
        cases.add(secondStage ? "texcoordindex per stage" : "texcoordindex picks the set", [secondStage](Context& c) {
            struct TwoSetVertex {
                float x, y, z, rhw;
                DWORD diffuse;
                float u0, v0, u1, v1;
            };
            std::vector<TwoSetVertex> quad;
            for (const ScreenVertex& v : screenQuad(0, 0, 64, 64, 0.5f, kWhite))
                quad.push_back({v.x, v.y, v.z, v.rhw, v.diffuse, 0.25f, 0.5f, 0.75f, 0.5f});
            IDirect3DTexture8* texture = c.makeTexture(2, 1, {kRed, kGreen});
            for (DWORD stage : {0u, 1u}) {
                c.samplePoint(stage);
                c.d3d->SetTexture(stage, texture);
                c.d3d->SetTextureStageState(stage, D3DTSS_COLORARG1, D3DTA_TEXTURE);
                c.d3d->SetTextureStageState(stage, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
            }
            c.d3d->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 1);
            c.d3d->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 0);
            c.d3d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
            // Stage 1 adds its texel (red) to stage 0's green.
            c.d3d->SetTextureStageState(1, D3DTSS_COLOROP, secondStage ? D3DTOP_ADD : D3DTOP_DISABLE);
            c.d3d->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_CURRENT);
            c.drawStrip(quad, D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX2);
            c.expect(32, 32, secondStage ? 0xFFFF00 : kGreen);
        });
    }

    for (float w : {0.25f, 0.75f}) {
        cases.add(w < 0.5f ? "volume texture front slice" : "volume texture back slice", [w](Context& c) {
            IDirect3DVolumeTexture8* volume = nullptr;
            if (!c.check(c.d3d->CreateVolumeTexture(1, 1, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &volume),
                         "CreateVolumeTexture"))
                return;
            c.keep(volume);
            D3DLOCKED_BOX box{};
            if (!c.check(volume->LockBox(0, &box, nullptr, 0), "LockBox")) return;
            const DWORD red = kRed, green = kGreen;
            std::memcpy(box.pBits, &red, 4);
            std::memcpy(static_cast<BYTE*>(box.pBits) + box.SlicePitch, &green, 4);
            volume->UnlockBox(0);
            c.samplePoint(0);
            c.d3d->SetTextureStageState(0, D3DTSS_ADDRESSW, D3DTADDRESS_CLAMP);
            c.d3d->SetTexture(0, volume);
            showStage0(c.d3d, D3DTA_TEXTURE);
            struct VolumeVertex {
                float x, y, z, rhw;
                DWORD diffuse;
                float u, v, w;
            };
            const std::vector<VolumeVertex> quad = {{0, 0, 0.5f, 1, kWhite, 0.5f, 0.5f, w},
                                                    {64, 0, 0.5f, 1, kWhite, 0.5f, 0.5f, w},
                                                    {0, 64, 0.5f, 1, kWhite, 0.5f, 0.5f, w},
                                                    {64, 64, 0.5f, 1, kWhite, 0.5f, 0.5f, w}};
            c.drawStrip(quad, D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1 | D3DFVF_TEXCOORDSIZE3(0));
            c.expect(32, 32, w < 0.5f ? kRed : kGreen);
        });
    }
}

// ---- Tweening ---------------------------------------------------------------------

// Both positions and normals of a vertex in one stream, as the engine's
// morphing declaration lays them out.
struct TweenVertex {
    float x, y, z;
    float nx, ny, nz;
    DWORD diffuse;
    float u0, v0, u1, v1;
    float x2, y2, z2;
    float nx2, ny2, nz2;
};

// First positions: x -1..-0.5; second: x 0.5..1. Normals: facing, then +x.
std::vector<TweenVertex> tweenQuad() {
    auto corner = [](float x, float y, float x2) {
        return TweenVertex{x, y, 0.5f, 0, 0, -1, kWhite, 0, 0, 0, 0, x2, y, 0.5f, 1, 0, 0};
    };
    return {corner(-1, 1, 0.5f), corner(-0.5f, 1, 1), corner(-1, -1, 0.5f), corner(-0.5f, -1, 1)};
}

// A white light from the camera: N.L is the blended normal's -z.
void lightFromTheCamera(IDirect3DDevice8* d3d) {
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
}

void addTweenCases(zep::visual::CaseList& cases) {
    struct Tween {
        const char* name;
        DWORD blend;
        float factor;
        int litX;  // the column the quad covers
    };
    for (const Tween& t : {Tween{"tween factor 0", D3DVBF_TWEENING, 0.0f, 8}, Tween{"tween factor 0.5", D3DVBF_TWEENING, 0.5f, 32},
                           Tween{"tween factor 1", D3DVBF_TWEENING, 1.0f, 56},
                           Tween{"tween needs the blend state", D3DVBF_DISABLE, 0.5f, 8}}) {
        cases.add(t.name, [t](Context& c) {
            // The engine's morphing declaration: stream 0 with position,
            // normal, colour, two coordinate sets, second position and normal.
            const DWORD declaration[] = {0x20000000, 0x40020000, 0x40020003, 0x40040005, 0x40010007,
                                         0x40010008, 0x4002000F, 0x40020010, 0xFFFFFFFF};
            DWORD shader = 0;
            if (!c.check(c.d3d->CreateVertexShader(declaration, nullptr, &shader, 0), "CreateVertexShader")) return;
            setFlatProjection(c.d3d);
            showStage0(c.d3d, D3DTA_DIFFUSE);
            c.d3d->SetRenderState(D3DRS_VERTEXBLEND, t.blend);
            c.d3d->SetRenderState(D3DRS_TWEENFACTOR, floatBits(t.factor));
            c.drawStrip(tweenQuad(), shader);
            for (int x : {8, 32, 56}) c.expect(x, 32, x == t.litX ? kWhite : kBlack);
            c.d3d->SetVertexShader(kSceneFvf);
            c.check(c.d3d->DeleteVertexShader(shader), "DeleteVertexShader");
        });
    }

    // Lit halfway: normal (0.5, 0, -0.5), N.L = 0.5 with a facing white light.
    cases.add("tween blends the normal", [](Context& c) {
        const DWORD declaration[] = {0x20000000, 0x40020000, 0x40020003, 0x40040005, 0x40010007,
                                     0x40010008, 0x4002000F, 0x40020010, 0xFFFFFFFF};
        DWORD shader = 0;
        if (!c.check(c.d3d->CreateVertexShader(declaration, nullptr, &shader, 0), "CreateVertexShader")) return;
        setFlatProjection(c.d3d);
        showStage0(c.d3d, D3DTA_DIFFUSE);
        c.d3d->SetRenderState(D3DRS_VERTEXBLEND, D3DVBF_TWEENING);
        c.d3d->SetRenderState(D3DRS_TWEENFACTOR, floatBits(0.5f));
        lightFromTheCamera(c.d3d);
        c.drawStrip(tweenQuad(), shader);
        c.expect(32, 32, 0x808080);
        c.d3d->SetVertexShader(kSceneFvf);
        c.d3d->DeleteVertexShader(shader);
    });

    // The second position and normal in a stream of their own, drawn from
    // vertex buffers. At 0.25 the quad spans x -0.625..-0.125 (columns
    // 12..28), and the normal (0.25, 0, -0.75) gives N.L = 0.75.
    cases.add("tween from two streams", [](Context& c) {
        struct First {
            float x, y, z, nx, ny, nz;
            DWORD diffuse;
        };
        struct Second {
            float x, y, z, nx, ny, nz;
        };
        const First first[4] = {{-1, 1, 0.5f, 0, 0, -1, kWhite}, {-0.5f, 1, 0.5f, 0, 0, -1, kWhite},
                                {-1, -1, 0.5f, 0, 0, -1, kWhite}, {-0.5f, -1, 0.5f, 0, 0, -1, kWhite}};
        const Second second[4] = {{0.5f, 1, 0.5f, 1, 0, 0}, {1, 1, 0.5f, 1, 0, 0}, {0.5f, -1, 0.5f, 1, 0, 0},
                                  {1, -1, 0.5f, 1, 0, 0}};
        const DWORD declaration[] = {D3DVSD_STREAM(0),
                                     D3DVSD_REG(D3DVSDE_POSITION, D3DVSDT_FLOAT3),
                                     D3DVSD_REG(D3DVSDE_NORMAL, D3DVSDT_FLOAT3),
                                     D3DVSD_REG(D3DVSDE_DIFFUSE, D3DVSDT_D3DCOLOR),
                                     D3DVSD_STREAM(1),
                                     D3DVSD_REG(D3DVSDE_POSITION2, D3DVSDT_FLOAT3),
                                     D3DVSD_REG(D3DVSDE_NORMAL2, D3DVSDT_FLOAT3),
                                     D3DVSD_END()};
        IDirect3DVertexBuffer8* buffers[2] = {};
        const void* data[2] = {first, second};
        const UINT sizes[2] = {sizeof first, sizeof second};
        for (int i = 0; i < 2; ++i) {
            if (!c.check(c.d3d->CreateVertexBuffer(sizes[i], D3DUSAGE_WRITEONLY, 0, D3DPOOL_MANAGED, &buffers[i]),
                         "CreateVertexBuffer"))
                return;
            c.keep(buffers[i]);
            BYTE* bytes = nullptr;
            if (!c.check(buffers[i]->Lock(0, 0, &bytes, 0), "Lock")) return;
            std::memcpy(bytes, data[i], sizes[i]);
            buffers[i]->Unlock();
        }
        DWORD shader = 0;
        if (!c.check(c.d3d->CreateVertexShader(declaration, nullptr, &shader, 0), "CreateVertexShader")) return;
        setFlatProjection(c.d3d);
        showStage0(c.d3d, D3DTA_DIFFUSE);
        c.d3d->SetRenderState(D3DRS_VERTEXBLEND, D3DVBF_TWEENING);
        c.d3d->SetRenderState(D3DRS_TWEENFACTOR, floatBits(0.25f));
        lightFromTheCamera(c.d3d);
        c.d3d->SetStreamSource(0, buffers[0], sizeof(First));
        c.d3d->SetStreamSource(1, buffers[1], sizeof(Second));
        c.d3d->SetVertexShader(shader);
        c.check(c.d3d->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), "DrawPrimitive");
        c.expect(20, 32, 0xBFBFBF);
        c.expect(8, 32, kBlack);
        c.expect(34, 32, kBlack);
        c.d3d->SetVertexShader(kSceneFvf);
        c.d3d->DeleteVertexShader(shader);
    });
}

// ---- Points -----------------------------------------------------------------------

struct PointCase {
    const char* name;
    bool transformed;    // a scene point at distance `z`, else a screen point at (32, 32)
    bool perVertexSize;  // D3DFVF_PSIZE = 8
    float size, minimum, maximum;
    bool scale;
    float a, b, c, z;    // D3DRS_POINTSCALE_A/B/C and the scene point's distance
    int halfWidth;       // pixels covered right of the centre column
};

const PointCase kPointCases[] = {
    {"default size", false, false, 1, 0, 64, false, 0, 0, 1, 8, 0},
    {"size 8", false, false, 8, 0, 64, false, 0, 0, 1, 8, 4},
    {"per-vertex size", false, true, 1, 0, 64, false, 0, 0, 1, 8, 4},
    {"minimum", false, false, 1, 8, 64, false, 0, 0, 1, 8, 4},
    // 64 x 1 x sqrt(1 / (1 x 8^2)) = 8
    {"scaled by distance", true, false, 1, 0, 64, true, 0, 0, 1, 8, 4},
    {"scaled then the maximum", true, false, 1, 0, 4, true, 0, 0, 1, 8, 2},
    // 64 x 0.75 x sqrt(1 / (4 + 2 x 2 + 2 x 2^2)) = 12
    {"scaled by all three factors", true, false, 0.75f, 0, 64, true, 4, 2, 2, 2, 6},
};

void addPointCases(zep::visual::CaseList& cases) {
    for (const PointCase& p : kPointCases) {
        cases.add(std::string("point ") + p.name, [p](Context& c) {
            setFlatProjection(c.d3d);
            showStage0(c.d3d, D3DTA_DIFFUSE);
            c.d3d->SetRenderState(D3DRS_POINTSCALE_A, floatBits(p.a));
            c.d3d->SetRenderState(D3DRS_POINTSCALE_B, floatBits(p.b));
            c.d3d->SetRenderState(D3DRS_POINTSCALE_C, floatBits(p.c));
            c.d3d->SetRenderState(D3DRS_POINTSIZE, floatBits(p.size));
            c.d3d->SetRenderState(D3DRS_POINTSIZE_MIN, floatBits(p.minimum));
            c.d3d->SetRenderState(D3DRS_POINTSIZE_MAX, floatBits(p.maximum));
            c.d3d->SetRenderState(D3DRS_POINTSCALEENABLE, p.scale);
            if (p.transformed) {
                const std::vector<SceneVertex> v = {{0, 0, p.z, 0, 0, -1, kWhite, 0, 0, 0}};
                c.drawPrimitives(D3DPT_POINTLIST, 1, v, kSceneFvf);
            } else if (p.perVertexSize) {
                struct SizedVertex {
                    float x, y, z, rhw;
                    float size;
                    DWORD diffuse;
                };
                const std::vector<SizedVertex> v = {{32, 32, 0.5f, 1, 8, kWhite}};
                c.drawPrimitives(D3DPT_POINTLIST, 1, v, D3DFVF_XYZRHW | D3DFVF_PSIZE | D3DFVF_DIFFUSE);
            } else {
                const std::vector<ScreenVertex> v = {{32, 32, 0.5f, 1, kWhite, 0, 0, 0}};
                c.drawPrimitives(D3DPT_POINTLIST, 1, v, kScreenFvf);
            }
            // A point of size s centred on pixel 32 covers columns 32 - s/2 .. 32 + s/2 - 1.
            c.expect(32, 32, kWhite);
            for (int dx = 1; dx <= 6; ++dx) c.expect(32 + dx, 32, dx < p.halfWidth ? kWhite : kBlack);
        });
    }

    // A 16-pixel point at (32, 32) covers 24..39; with sprites on, every
    // stage reads (0, 0) at its top left to (1, 1) at its bottom right.
    for (DWORD sprite : {TRUE, FALSE}) {
        cases.add(sprite ? "point sprite spreads the texture" : "point without sprite reads its coordinate",
                  [sprite](Context& c) {
                      c.d3d->SetTexture(0, c.makeTexture(2, 2, {kRed, kGreen, kBlue, kWhite}));
                      c.samplePoint(0);
                      showStage0(c.d3d, D3DTA_TEXTURE);
                      c.d3d->SetRenderState(D3DRS_POINTSIZE, floatBits(16.0f));
                      c.d3d->SetRenderState(D3DRS_POINTSPRITEENABLE, sprite);
                      const std::vector<ScreenVertex> v = {{32, 32, 0.5f, 1, kWhite, 0, 0, 0}};
                      c.drawPrimitives(D3DPT_POINTLIST, 1, v, kScreenFvf);
                      c.expect(27, 27, kRed);
                      c.expect(36, 27, sprite ? kGreen : kRed);
                      c.expect(27, 36, sprite ? kBlue : kRed);
                      c.expect(36, 36, sprite ? kWhite : kRed);
                  });
    }
}

}  // namespace

ZEP_VISUAL_GROUP(vertex) {
    addFogCases(cases);
    addTexCoordCases(cases);
    addTweenCases(cases);
    addPointCases(cases);

    // Plane x >= 0.25 in world space; World moves the quad left by 0.5, so
    // the kept part of the quad (world x 0.25..0.5) is at view x 0.25..0.5.
    cases.add("clip plane keeps the positive side in world space", [](Context& c) {
        setFlatProjection(c.d3d);
        showStage0(c.d3d, D3DTA_DIFFUSE);
        const float plane[4] = {1, 0, 0, -0.25f};
        if (!c.check(c.d3d->SetClipPlane(0, plane), "SetClipPlane")) return;
        c.d3d->SetRenderState(D3DRS_CLIPPLANEENABLE, D3DCLIPPLANE0);
        D3DMATRIX world = identityMatrix();
        world._41 = -0.5f;
        c.d3d->SetTransform(D3DTS_WORLD, &world);
        c.drawStrip(sceneQuad(-0.5f, -1, 1, 1, 0.5f, kGreen), kSceneFvf);
        c.expect(44, 32, kGreen);  // world x 0.375
        c.expect(36, 32, kBlack);  // world x 0.125: clipped
        c.expect(20, 32, kBlack);  // world x -0.375: clipped
    });
}
