// Object drawing: putclipobj draws one object of the object table with the
// current world transform, mesh by mesh, and the small setters whose state
// it reads (light map, morph weights, dot sizes).
//
// A mesh's blend mode picks its texture stages: the second byte is the
// two-texture mode (one texture, two textures, lava, dot3, water-style),
// the low byte a surface effect (sphere map, screen projection, grey
// waves). Every stage and state a mesh changes beyond the common set is put
// back before the next mesh, so meshes never see each other's set-up.

#include "objects/object_draw.h"

#include "core/graphics.h"
#include "objects/registry.h"
#include "objects/textures.h"
#include "terrain/effects.h"

#include <d3dx8.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace zep {

DrawSwitches& drawSwitches() {
    static DrawSwitches switches;
    return switches;
}

BumpState& bumpState() {
    static BumpState state;
    return state;
}

WavePhases& wavePhases() {
    static WavePhases phases;
    return phases;
}

void advanceBumpRotation(uint32_t milliseconds) {
    // In double: the clock's milliseconds outgrow a float's exact range
    // within hours, and the swirl would start to stutter.
    const double angle = 0.01 * double(milliseconds);
    const float c = float(0.004 * std::cos(angle));
    const float s = float(0.004 * std::sin(angle));
    float* b = bumpState().rotation;
    b[0] = c;
    b[1] = -s;
    b[2] = s;
    b[3] = c;
}

}  // namespace zep

namespace {

using zep::viewState;
using zep::device;
using zep::floatBits;

constexpr int32_t kVertexPairBytes = 2 * int32_t(sizeof(StaticVertex));

void renderState(D3DRENDERSTATETYPE state, DWORD value) { device()->SetRenderState(state, value); }

void stageState(DWORD stage, D3DTEXTURESTAGESTATETYPE state, DWORD value) {
    device()->SetTextureStageState(stage, state, value);
}

bool texturesOn() { return (ZEPengine.fillFlags & ZEP_FILL_TEXTURED) != 0; }

bool pixelShadersUsable() { return ZEPengine.pixelShaderVersion >= 1.1f; }

bool isBumpMode(uint32_t mode) { return mode >= ZEP_BLEND_LAVA && mode <= ZEP_BLEND_WATER; }

bool isMorph(const ObjectRecord& object) { return object.morphSlot >= 0; }

// ---- Box test ------------------------------------------------------------------

// Where one projected box corner lies. A box is wholly outside when all its
// corners share one side other than inside.
enum class Side { Inside, Behind, Left, Right, Top, Bottom };

// world x view x projection, multiplied in the order D3DXVec3Project itself
// uses, so that projecting through the product gives the very same screen
// positions as handing it the three matrices.
D3DXMATRIX worldViewProjection(const D3DXMATRIX& world, const D3DXMATRIX& view, const D3DXMATRIX& projection) {
    D3DXMATRIX m;
    D3DXMatrixMultiply(&m, &world, &view);
    D3DXMatrixMultiply(&m, &m, &projection);
    return m;
}

// Projection runs for every box corner and for every vertex of some
// effects, so the three matrices are multiplied once per gathering.
struct Projection {
    D3DXMATRIX toScreen;  // world x view x projection
    D3DXMATRIX world;
    D3DVIEWPORT8 viewport;
};

Projection currentProjection() {
    const zep::ViewState& v = viewState();
    const D3DXMATRIX world(v.world);
    return {worldViewProjection(world, D3DXMATRIX(v.view), D3DXMATRIX(v.projection)), world, v.viewport};
}

// The product stands in as the world matrix; the missing view and
// projection count as identity and add no multiplication.
D3DXVECTOR3 projectThrough(const D3DXMATRIX& toScreen, const D3DVIEWPORT8& viewport, const D3DVECTOR& point) {
    const D3DXVECTOR3 in(point);
    D3DXVECTOR3 out;
    D3DXVec3Project(&out, &in, &viewport, nullptr, nullptr, &toScreen);
    return out;
}

D3DXVECTOR3 project(const Projection& p, const D3DVECTOR& point) { return projectThrough(p.toScreen, p.viewport, point); }

// Depth of a point after the world transform: negative behind the viewer.
float worldDepth(const D3DXMATRIX& w, const D3DVECTOR& p) { return p.x * w._13 + p.y * w._23 + p.z * w._33 + w._43; }

Side sideOf(const Projection& p, const D3DVECTOR& corner, bool& outsideView) {
    const D3DXVECTOR3 s = project(p, corner);
    const bool depthOutside = s.z < 0.0f || s.z > 1.0f;
    outsideView = depthOutside;
    // Behind the viewer the projection mirrors x and y, so only the depth
    // says anything there.
    if (depthOutside && worldDepth(p.world, corner) < 0.0f) return Side::Behind;
    const D3DVIEWPORT8& vp = p.viewport;
    Side side = Side::Inside;
    if (s.x < float(vp.X))
        side = Side::Left;
    else if (s.x > float(vp.X + vp.Width))
        side = Side::Right;
    else if (s.y < float(vp.Y))
        side = Side::Top;
    else if (s.y > float(vp.Y + vp.Height))
        side = Side::Bottom;
    if (side != Side::Inside) outsideView = true;
    return side;
}

// How a box lies against the view: wholly on one side of it (nothing to
// draw), or with some corner outside (the draw needs clipping).
struct BoxTest {
    bool outside = false;
    bool crossesEdge = false;
};

BoxTest testBox(const D3DVECTOR (&box)[8]) {
    const Projection p = currentProjection();
    BoxTest test;
    bool oneSide = true;
    Side first = Side::Inside;
    for (int i = 0; i < 8; ++i) {
        bool outside = false;
        const Side side = sideOf(p, box[i], outside);
        test.crossesEdge = test.crossesEdge || outside;
        if (i == 0)
            first = side;
        else if (side != first)
            oneSide = false;
    }
    test.outside = oneSide && first != Side::Inside;
    return test;
}

// Clipping costs, so only draws that cross an edge of the view get it.
void applyClipping(bool on) {
    if (on)
        SetPolyClip();
    else
        SetPolyNoClip();
}

// ---- World scale -------------------------------------------------------------------

D3DXMATRIX withoutTranslation(const D3DMATRIX& m) {
    D3DXMATRIX out(m);
    out._41 = out._42 = out._43 = 0.0f;
    return out;
}

// ---- Stage helpers -----------------------------------------------------------------

void stageArguments(DWORD stage, DWORD first, DWORD second) {
    stageState(stage, D3DTSS_COLORARG1, first);
    stageState(stage, D3DTSS_COLORARG2, second);
    stageState(stage, D3DTSS_ALPHAARG1, first);
    stageState(stage, D3DTSS_ALPHAARG2, second);
}

void addressing(DWORD stage, uint8_t wrapU, uint8_t wrapV) {
    stageState(stage, D3DTSS_ADDRESSU, wrapU ? D3DTADDRESS_WRAP : D3DTADDRESS_CLAMP);
    stageState(stage, D3DTSS_ADDRESSV, wrapV ? D3DTADDRESS_WRAP : D3DTADDRESS_CLAMP);
}

// A texture on a stage; without one (negative handle, or textures switched
// off) the stage reads diffuse colour in every argument instead.
void bindTexture(DWORD stage, int32_t handle) {
    if (!texturesOn() || handle < 0) {
        stageArguments(stage, D3DTA_DIFFUSE, D3DTA_DIFFUSE);
        return;
    }
    device()->SetTexture(stage, zep::textureOf(handle));
}

void bindNoise(DWORD stage) {
    if (!texturesOn()) {
        stageArguments(stage, D3DTA_DIFFUSE, D3DTA_DIFFUSE);
        return;
    }
    device()->SetTexture(stage, zep::bumpState().noise);
}

// Stage 1 as the second texture over what stage 0 made, combined by the
// engine's blend operations.
void secondTextureStage(int32_t t1) {
    stageArguments(1, D3DTA_TEXTURE, D3DTA_CURRENT);
    stageState(1, D3DTSS_COLOROP, DWORD(ZEPengine.colorOp));
    stageState(1, D3DTSS_ALPHAOP, DWORD(ZEPengine.alphaOp));
    bindTexture(1, t1);
}

void bumpMatrix(DWORD stage, float m00, float m01, float m10, float m11) {
    stageState(stage, D3DTSS_BUMPENVMAT00, floatBits(m00));
    stageState(stage, D3DTSS_BUMPENVMAT01, floatBits(m01));
    stageState(stage, D3DTSS_BUMPENVMAT10, floatBits(m10));
    stageState(stage, D3DTSS_BUMPENVMAT11, floatBits(m11));
}

// Texture coordinates generated from camera space and turned by `transform`.
void generatedCoordinates(DWORD stage, DWORD source, const D3DMATRIX& transform, D3DTEXTURETRANSFORMFLAGS count) {
    device()->SetTransform(D3DTRANSFORMSTATETYPE(D3DTS_TEXTURE0 + stage), &transform);
    stageState(stage, D3DTSS_TEXTURETRANSFORMFLAGS, count);
    stageState(stage, D3DTSS_TEXCOORDINDEX, source | stage);
}

// ---- One mesh ------------------------------------------------------------------------

// What a mesh's set-up changed, for the clean-up after its draw.
struct MeshSetup {
    uint32_t mode = 0;                // two-texture mode after the fallbacks
    uint32_t effect = 0;              // surface effect
    ID3DXEffect* program = nullptr;   // run around the draw
    bool secondStage = false;         // stage 1 was given something to do
    bool extraStages = false;         // stages 1-3 generate or transform coordinates
};

// Modes 0x200-0x400 need the noise texture; dot3 and water-style also a
// pixel shader. Without them the mesh draws with its first texture alone.
uint32_t effectiveMode(uint32_t mode) {
    if (ZEPengine.fillFlags & ZEP_FILL_ALPHA_VIEW) return ZEP_BLEND_ONE_TEXTURE;
    if (mode == ZEP_BLEND_ONE_TEXTURE || mode == ZEP_BLEND_TWO_TEXTURES) return mode;
    if (!isBumpMode(mode) || !zep::bumpState().noise) return ZEP_BLEND_ONE_TEXTURE;
    if (mode != ZEP_BLEND_LAVA && !pixelShadersUsable()) return ZEP_BLEND_ONE_TEXTURE;
    return mode;
}

// Lava: texture2 perturbs the lookup of the texture on stage 1.
void lavaSetup() {
    const float k = viewState().worldScale;
    const D3DMATRIX& w = viewState().world;
    bumpMatrix(0, k * w._11, k * w._12, k * w._21, k * w._22);
    stageState(0, D3DTSS_COLOROP, D3DTOP_BUMPENVMAP);
    stageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    stageState(0, D3DTSS_COLORARG2, D3DTA_CURRENT);
    stageState(1, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    stageState(1, D3DTSS_COLORARG2, D3DTA_TEXTURE);
    stageState(1, D3DTSS_COLOROP, DWORD(ZEPengine.colorOp));
    stageState(0, D3DTSS_BUMPENVLSCALE, floatBits(1.0f));
    stageState(0, D3DTSS_BUMPENVLOFFSET, floatBits(1.0f));
    renderState(D3DRS_ALPHABLENDENABLE, FALSE);
    renderState(D3DRS_ALPHAFUNC, D3DCMP_ALWAYS);
}

// Dot3: stage 2 carries the sun direction in the object's frame as its
// texture coordinates, which the bump program dots with the normal map.
void dot3Setup(MeshSetup& setup) {
    const D3DXMATRIX rotation = withoutTranslation(viewState().world);
    const D3DXMATRIX sun(viewState().sun[1]);
    D3DXMATRIX transform;
    D3DXMatrixMultiply(&transform, &rotation, &sun);
    generatedCoordinates(2, D3DTSS_TCI_CAMERASPACENORMAL, transform, D3DTTFF_COUNT3);
    setup.extraStages = true;
    setup.program = zep::effectPrograms().bump;
}

// Water-style: the noise texture swirls the lookups of texture2 and of the
// environment on stage 2, lit by the sun on stage 3.
void waterSetup(MeshSetup& setup) {
    setup.program = zep::effectPrograms().water;
    const float k = viewState().worldScale;
    const float* b = zep::bumpState().rotation;
    for (DWORD stage = 1; stage <= 2; ++stage) bumpMatrix(stage, k * b[0], k * b[1], k * b[2], k * b[3]);
    const D3DXMATRIX view = withoutTranslation(viewState().view);
    if (setup.effect == 0) {
        D3DXMATRIX turn, transform;
        D3DXMatrixRotationYawPitchRoll(&turn, 1.57f, 0.0f, 0.0f);
        D3DXMatrixMultiply(&transform, &view, &turn);
        generatedCoordinates(2, D3DTSS_TCI_CAMERASPACENORMAL, transform, D3DTTFF_COUNT3);
    } else {
        stageState(2, D3DTSS_TEXCOORDINDEX, 1);
    }
    const D3DXMATRIX sun(viewState().sun[0]);
    D3DXMATRIX lit;
    D3DXMatrixMultiply(&lit, &view, &sun);
    generatedCoordinates(3, D3DTSS_TCI_CAMERASPACENORMAL, lit, D3DTTFF_COUNT3);
    setup.extraStages = true;
}

void setUpStages(const MeshRecord& mesh, int32_t t0, int32_t t1, MeshSetup& setup) {
    switch (setup.mode) {
    case ZEP_BLEND_LAVA:
        addressing(1, mesh.wrapU0, mesh.wrapV0);
        addressing(0, mesh.wrapU1, mesh.wrapV1);
        bindTexture(0, t1);
        bindTexture(1, t0);
        lavaSetup();
        setup.secondStage = true;
        break;
    case ZEP_BLEND_DOT3:
        addressing(1, mesh.wrapU0, mesh.wrapV0);
        addressing(0, mesh.wrapU1, mesh.wrapV1);
        bindTexture(0, t0);
        bindTexture(1, t1);
        dot3Setup(setup);
        setup.secondStage = true;
        break;
    case ZEP_BLEND_WATER:
        addressing(1, mesh.wrapU0, mesh.wrapV0);
        addressing(0, mesh.wrapU1, mesh.wrapV1);
        addressing(2, mesh.wrapU0, mesh.wrapV0);
        bindNoise(0);
        bindTexture(1, t1);
        bindTexture(2, t0);
        waterSetup(setup);
        setup.secondStage = true;
        break;
    default:
        addressing(0, mesh.wrapU0, mesh.wrapV0);
        stageArguments(0, D3DTA_TEXTURE, D3DTA_DIFFUSE);
        bindTexture(0, t0);
        if (setup.mode == ZEP_BLEND_TWO_TEXTURES) {
            addressing(1, mesh.wrapU1, mesh.wrapV1);
            secondTextureStage(t1);
            setup.secondStage = true;
        }
        break;
    }
}

// The vertex slots of a mesh's range: one per vertex, or every second slot
// of a morph object's pairs.
struct VertexRange {
    int32_t first = 0;  // slot of vertex minVertex
    int32_t count = 0;  // vertices
    int32_t step = 1;   // slots per vertex
};

VertexRange vertexRange(const ObjectRecord& object, const MeshRecord& mesh) {
    VertexRange range;
    range.step = isMorph(object) ? 2 : 1;
    range.first = object.firstVertex + mesh.minVertex * range.step;
    range.count = std::max(0, mesh.vertexEnd - mesh.minVertex);
    return range;
}

// Locks a mesh's vertices and hands each to `edit`.
template <typename Edit>
void editMeshVertices(const ObjectRecord& object, const MeshRecord& mesh, Edit edit) {
    const VertexRange range = vertexRange(object, mesh);
    if (range.count == 0) return;
    zep::StaticVertexLock lock(range.first, (range.count - 1) * range.step + 1);
    if (!lock.ok()) return;
    for (int32_t i = 0; i < range.count; ++i) edit(lock[i * range.step]);
}

// Sphere map without pixel shaders: the view-turned normal picks the
// second texture coordinates.
void sphereMapCoordinates(const ObjectRecord& object, const MeshRecord& mesh) {
    const D3DXMATRIX view(viewState().view);
    const float k = viewState().worldScale2;
    editMeshVertices(object, mesh, [&](StaticVertex& v) {
        const D3DXVECTOR3 normal(v.normal);
        D3DXVECTOR4 turned;
        D3DXVec3Transform(&turned, &normal, &view);
        const float length = std::sqrt(turned.x * turned.x + turned.y * turned.y + turned.z * turned.z +
                                       turned.w * turned.w);
        if (length == 0.0f) return;
        v.tu2 = k * turned.x / length + 0.5f;
        v.tv2 = 0.5f - k * turned.y / length;
    });
}

void sphereMap(const ObjectRecord& object, const MeshRecord& mesh, MeshSetup& setup) {
    if (pixelShadersUsable()) {
        generatedCoordinates(1, D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR, viewState().view, D3DTTFF_COUNT3);
        setup.extraStages = true;
    } else {
        sphereMapCoordinates(object, mesh);
    }
}

// The second texture laid over the screen: each vertex takes its own screen
// position as coordinates, for screen copies in the render texture.
void screenProjection(const ObjectRecord& object, const MeshRecord& mesh) {
    const Projection p = currentProjection();
    float width = float(ZEPengine.renderTargetWidth);
    float height = float(ZEPengine.renderTargetHeight);
    if (width <= 0.0f || height <= 0.0f) {
        width = float(p.viewport.Width);
        height = float(p.viewport.Height);
    }
    if (width <= 0.0f || height <= 0.0f) return;
    editMeshVertices(object, mesh, [&](StaticVertex& v) {
        const D3DXVECTOR3 s = project(p, v.position);
        v.tu2 = s.x / width;
        v.tv2 = s.y / height;
    });
}

// Slowly moving grey waves over the mesh, added to the texture.
void greyWaves(const ObjectRecord& object, const MeshRecord& mesh) {
    zep::WavePhases& phases = zep::wavePhases();
    phases.first += 0.003f;
    phases.second += 0.0017f;
    const D3DMATRIX& w = viewState().world;
    const float c = std::cos(phases.second);
    const float s = std::sin(phases.first);
    editMeshVertices(object, mesh, [&](StaticVertex& v) {
        const D3DVECTOR& p = v.position;
        const float x = p.x * w._11 + p.y * w._21 + p.z * w._31 + w._41;
        const float z = p.x * w._13 + p.y * w._23 + p.z * w._33 + w._43;
        const float level = 128.0f - 64.0f * std::sin(c + 0.2f * x) + 64.0f * std::cos(s + 0.4f * z);
        const uint32_t grey = uint32_t(int32_t(level)) & 0xFFu;
        v.diffuse = 0xFF000000u | grey * 0x010101u;
    });
    stageState(0, D3DTSS_COLOROP, D3DTOP_ADDSIGNED);
}

void surfaceEffect(const ObjectRecord& object, const MeshRecord& mesh, int32_t t1, MeshSetup& setup) {
    const bool overScreen = setup.effect == ZEP_EFFECT_SPHERE_MAP || setup.effect == ZEP_EFFECT_SCREEN_PROJECTED;
    if (overScreen && texturesOn()) {
        if (!isBumpMode(setup.mode)) {
            secondTextureStage(t1);
            setup.secondStage = true;
        }
        if (setup.effect == ZEP_EFFECT_SPHERE_MAP)
            sphereMap(object, mesh, setup);
        else
            screenProjection(object, mesh);
    } else if (setup.effect == ZEP_EFFECT_GREY_WAVES) {
        greyWaves(object, mesh);
    }
}

// Debug view: the texture's alpha in place of its colour.
void alphaView() {
    stageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE | D3DTA_ALPHAREPLICATE);
    stageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE | D3DTA_ALPHAREPLICATE);
}

// The light map on stage 2, looked up by camera-space position through the
// transform SetLightMap made.
void lightMap(MeshSetup& setup) {
    device()->SetTexture(2, zep::textureOf(ZEPengine.lightMapTexture));
    stageState(2, D3DTSS_COLOROP, D3DTOP_MODULATE);
    stageState(2, D3DTSS_COLORARG1, D3DTA_TEXTURE | D3DTA_ALPHAREPLICATE);
    stageState(2, D3DTSS_COLORARG2, D3DTA_CURRENT);
    stageState(2, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
    stageState(2, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEPOSITION | 2);
    setup.extraStages = true;
}

// Debug counter: triangles of the mesh with a corner in the view (on the
// render target and between the near distance and near + far).
void countTrianglesInView(const ObjectRecord& object, const MeshRecord& mesh) {
    const int32_t indexCount = mesh.indexEnd - mesh.indexStart;
    const VertexRange range = vertexRange(object, mesh);
    if (indexCount < 3 || range.count == 0) return;
    zep::StaticIndexLock indexes(mesh.indexStart, indexCount, true);
    zep::StaticVertexLock vertices(object.firstVertex, mesh.vertexEnd * range.step, true);
    if (!indexes.ok() || !vertices.ok()) return;
    const Projection p = currentProjection();
    const float nearClip = ZEPengine.nearClip;
    const float farClip = nearClip + ZEPengine.farClip;
    auto inView = [&](const D3DVECTOR& point) {
        const D3DXVECTOR3 s = project(p, point);
        const float depth = worldDepth(p.world, point);
        return s.x >= 0.0f && s.x <= float(p.viewport.Width) && s.y >= 0.0f && s.y <= float(p.viewport.Height) &&
               depth >= nearClip && depth <= farClip;
    };
    for (int32_t i = 0; i + 2 < indexCount; i += 3) {
        bool seen = false;
        for (int corner = 0; corner < 3 && !seen; ++corner) {
            const int32_t vertex = indexes[i + corner];
            if (vertex >= mesh.vertexEnd) continue;
            seen = inView(vertices[vertex * range.step].position);
        }
        if (seen) ++ZEPengine.drawDebugCount;
    }
}

void drawOrdinary(const MeshRecord& mesh) {
    IDirect3DDevice8* d = device();
    d->SetVertexShader(ZEP_FVF_STATIC);
    d->SetStreamSource(0, zep::poolBuffers().staticVertices, sizeof(StaticVertex));
    const UINT vertices = UINT(std::max(0, mesh.vertexEnd - mesh.minVertex));
    const UINT firstVertex = UINT(std::max(0, mesh.minVertex));
    if (mesh.rangeCount < 1 || !mesh.ranges) {
        const int32_t triangles = (mesh.indexEnd - mesh.indexStart) / 3;
        if (triangles <= 0) return;
        if (FAILED(d->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, firstVertex, vertices, UINT(mesh.indexStart),
                                           UINT(triangles))))
            ZEP_log("DrawPrimitive failed.\n");
        return;
    }
    // Host-made draw ranges, from the mesh's first index on; none may reach
    // past the mesh's own indexes.
    int32_t start = mesh.indexStart;
    for (int32_t r = 1; r < mesh.rangeCount; ++r) {
        const int32_t triangles = std::min(mesh.ranges[r].triangleCount, (mesh.indexEnd - start) / 3);
        if (triangles <= 0) continue;
        if (FAILED(d->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, firstVertex, vertices, UINT(start),
                                           UINT(triangles))))
            ZEP_log("DrawPrimitive failed.\n");
        start += 3 * triangles;
    }
}

// Morph objects blend each vertex with its partner slot by the weight.
void drawMorphed(const ObjectRecord& object, const MeshRecord& mesh) {
    const int32_t triangles = (mesh.indexEnd - mesh.indexStart) / 3;
    if (triangles <= 0) return;
    IDirect3DDevice8* d = device();
    const DWORD tween = zep::effectPrograms().tweenShader;
    if (tween) {
        renderState(D3DRS_VERTEXBLEND, D3DVBF_TWEENING);
        renderState(D3DRS_TWEENFACTOR, floatBits(object.morphWeight));
        d->SetVertexShader(tween);
    } else {
        // Without the tween program the object keeps its own shape.
        d->SetVertexShader(ZEP_FVF_STATIC);
    }
    d->SetStreamSource(0, zep::poolBuffers().staticVertices, kVertexPairBytes);
    const UINT vertices = UINT(std::max(0, mesh.vertexEnd - mesh.minVertex));
    if (FAILED(d->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, UINT(std::max(0, mesh.minVertex)), vertices,
                                       UINT(mesh.indexStart), UINT(triangles))))
        ZEP_log("DrawMorphedPrimitive failed.\n");
    renderState(D3DRS_VERTEXBLEND, D3DVBF_DISABLE);
    zep::reapplyVertexSource();
}

void restoreBlendModes() {
    SetBlendMode(ZEPengine.colorOp);
    SetAlphaBlendMode(ZEPengine.alphaOp, ZEPengine.alphaRef);
}

void cleanUp(const MeshSetup& setup) {
    const bool bump = isBumpMode(setup.mode);
    const bool blendModesChanged = bump || setup.effect == ZEP_EFFECT_SPHERE_MAP ||
                                   setup.effect == ZEP_EFFECT_SCREEN_PROJECTED || setup.effect == ZEP_EFFECT_GREY_WAVES;
    if (bump) stageArguments(0, D3DTA_TEXTURE, D3DTA_DIFFUSE);
    if (blendModesChanged) restoreBlendModes();
    if (bump) renderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
    // Every bump mode marks stage 1 as used, so this ends theirs as well.
    if (setup.secondStage) {
        stageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
        stageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    }
    if (setup.extraStages) {
        for (DWORD stage = 1; stage <= 3; ++stage) {
            stageState(stage, D3DTSS_TEXCOORDINDEX, stage);
            stageState(stage, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
        }
        stageState(2, D3DTSS_COLOROP, D3DTOP_DISABLE);
    }
}

// The material of a mesh: opacity and specular power through the default
// material. The first mesh of every object sets it: other drawing may have
// changed the material since the last object.
struct MaterialCache {
    bool valid = false;
    float opacity = 0.0f;
    float power = 0.0f;
};

void applyMeshMaterial(const MeshRecord& mesh, MaterialCache& cache) {
    if (cache.valid && cache.opacity == mesh.opacity && cache.power == mesh.specularPower) return;
    zep::applyDefaultMaterial(mesh.opacity, mesh.specularPower);
    cache = {true, mesh.opacity, mesh.specularPower};
}

void drawMesh(const ObjectRecord& object, const MeshRecord& mesh, MaterialCache& material) {
    applyMeshMaterial(mesh, material);
    const zep::DefaultTextures& defaults = zep::defaultTextures();
    const int32_t t0 = mesh.texture < 0 ? defaults.first : mesh.texture;
    const int32_t t1 = mesh.texture2 < 0 ? defaults.second : mesh.texture2;

    MeshSetup setup;
    setup.mode = effectiveMode(mesh.blendMode & ZEP_BLEND_MODE_MASK);
    setup.effect = mesh.blendMode & ZEP_EFFECT_MASK;
    setUpStages(mesh, t0, t1, setup);
    surfaceEffect(object, mesh, t1, setup);

    const bool programRuns = zep::beginEffectPass(setup.program);
    if (programRuns) {
        ZEPengine.normalizeNormals = 1;
        renderState(D3DRS_NORMALIZENORMALS, TRUE);
    }
    if (ZEPengine.fillFlags & ZEP_FILL_ALPHA_VIEW) alphaView();
    if (ZEPengine.lightMapTexture >= 0) lightMap(setup);
    if (ZEPengine.drawDebug) countTrianglesInView(object, mesh);

    if (isMorph(object))
        drawMorphed(object, mesh);
    else
        drawOrdinary(mesh);

    if (programRuns) {
        zep::endEffectPass(setup.program);
        renderState(D3DRS_NORMALIZENORMALS, ZEPengine.normalizeNormals);
    }
    cleanUp(setup);
}

// ---- Culling and fill -------------------------------------------------------------

void chooseCullingAndFill(const ObjectRecord& object) {
    if ((object.flags & ZEP_OBJ_WIREFRAME) || (ZEPengine.fillFlags & ZEP_FILL_WIREFRAME)) {
        renderState(D3DRS_CULLMODE, D3DCULL_NONE);
        renderState(D3DRS_FILLMODE, D3DFILL_WIREFRAME);
        return;
    }
    zep::recomputeWorldScale();
    const bool culled = ZEPengine.cullingEnabled && !(object.flags & (ZEP_OBJ_DOUBLE_SIDED | ZEP_OBJ_ALPHA_NAMED));
    renderState(D3DRS_CULLMODE, culled ? DWORD(ZEPengine.cullMode) : DWORD(D3DCULL_NONE));
}

void restoreFillMode() {
    D3DFILLMODE mode = D3DFILL_SOLID;
    if (ZEPengine.fillFlags & ZEP_FILL_WIREFRAME)
        mode = D3DFILL_WIREFRAME;
    else if (ZEPengine.fillFlags & ZEP_FILL_POINTS)
        mode = D3DFILL_POINT;
    renderState(D3DRS_FILLMODE, mode);
}

// ---- Near-plane cap ----------------------------------------------------------------

struct CapVertex {
    float x, y, z, rhw;
    uint32_t color;
};
constexpr DWORD kCapFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE;

// The part of triangle (a, b, c) at or below depth `cut` (points already in
// the space after the world transform): at most four corners.
int clipToNearSide(const D3DXVECTOR3 (&in)[3], float cut, D3DXVECTOR3 (&out)[4]) {
    int count = 0;
    for (int i = 0; i < 3; ++i) {
        const D3DXVECTOR3& p = in[i];
        const D3DXVECTOR3& q = in[(i + 1) % 3];
        const bool pIn = p.z <= cut;
        const bool qIn = q.z <= cut;
        if (pIn) out[count++] = p;
        if (pIn != qIn) {
            const float t = (cut - p.z) / (q.z - p.z);
            out[count++] = p + (q - p) * t;
        }
    }
    return count;
}

// Where an object crosses the near plane, the cut is drawn as a flat white
// polygon on the screen, so shadow volumes that the near plane opens stay
// closed in the stencil.
void drawNearPlaneCap(const ObjectRecord& object) {
    const int32_t meshes = zep::registryCapacities().meshes;
    const int32_t step = isMorph(object) ? 2 : 1;
    const int32_t slots = ZEPengine.staticVertexCount - object.firstVertex;
    if (slots <= 0) return;
    zep::StaticVertexLock vertices(object.firstVertex, slots, true);
    if (!vertices.ok()) return;

    const zep::ViewState& v = viewState();
    const D3DXMATRIX world(v.world);
    // The cut corners are already past the world transform: only view and
    // projection remain (the identity keeps the multiplication order).
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    const D3DXMATRIX toScreen = worldViewProjection(identity, D3DXMATRIX(v.view), D3DXMATRIX(v.projection));
    const float cut = ZEPengine.nearClip;
    static std::vector<CapVertex> cap;
    cap.clear();

    for (int32_t m = std::max(0, object.firstMesh); m <= object.lastMesh && m < meshes; ++m) {
        const MeshRecord& mesh = ZEPengine.meshes[m];
        const int32_t count = mesh.indexEnd - mesh.indexStart;
        if (count < 3) continue;
        zep::StaticIndexLock indexes(mesh.indexStart, count, true);
        if (!indexes.ok()) continue;
        for (int32_t i = 0; i + 2 < count; i += 3) {
            D3DXVECTOR3 corners[3];
            bool usable = true;
            for (int c = 0; c < 3 && usable; ++c) {
                const int32_t slot = int32_t(indexes[i + c]) * step;
                usable = slot < slots;
                if (!usable) break;
                const D3DXVECTOR3 p(vertices[slot].position);
                D3DXVec3TransformCoord(&corners[c], &p, &world);
            }
            if (!usable) continue;
            D3DXVECTOR3 part[4];
            const int n = clipToNearSide(corners, cut, part);
            if (n < 3) continue;
            CapVertex screen[4];
            for (int k = 0; k < n; ++k) {
                D3DXVECTOR3 onCut = part[k];
                onCut.z = cut;
                const D3DXVECTOR3 s = projectThrough(toScreen, v.viewport, onCut);
                screen[k] = {s.x, s.y, 0.0f, 1.0f, 0xFFFFFFFFu};
            }
            for (int k = 1; k + 1 < n; ++k) {
                cap.push_back(screen[0]);
                cap.push_back(screen[k]);
                cap.push_back(screen[k + 1]);
            }
        }
    }
    if (cap.empty()) return;
    device()->SetVertexShader(kCapFvf);
    device()->DrawPrimitiveUP(D3DPT_TRIANGLELIST, UINT(cap.size() / 3), cap.data(), sizeof(CapVertex));
    zep::reapplyVertexSource();
}

bool validObject(int32_t obj) {
    return obj >= 0 && obj < ZEPengine.objectCount && obj < zep::registryCapacities().objects && ZEPengine.objects;
}

// The light-map lookup follows the object's heading in whole radians (so
// only four orientations) and its position on the ground plane.
D3DXMATRIX lightMapTransform(const D3DMATRIX& w) {
    const float x = w._11;
    const float y = w._12;
    float heading = std::trunc(std::atan2(-y, x));
    if (heading < 0.0f) heading = std::trunc(heading + 3.14159265f);
    D3DXMATRIX rotation;
    D3DXMatrixRotationZ(&rotation, heading);
    const D3DXVECTOR3 position(w._41, w._42, 0.0f);
    D3DXVECTOR3 turned;
    D3DXVec3TransformCoord(&turned, &position, &rotation);
    D3DXMATRIX scale;
    D3DXMatrixScaling(&scale, 0.09f, -0.17f, 1.0f);
    scale._41 = -turned.x / 12.0f;
    scale._42 = turned.y / 6.0f;
    scale._43 = 0.0f;
    D3DXMATRIX transform;
    D3DXMatrixMultiply(&transform, &rotation, &scale);
    return transform;
}

}  // namespace

extern "C" {

ZEP_EXPORT void ZEPAPI putclipobj(int32_t obj) {
    if (!validObject(obj)) {
        ZEP_log("Error [in putclipobj]: unknown obj number.\n");
        return;
    }
    IDirect3DDevice8* d = device();
    if (!d) return;
    const ObjectRecord& object = ZEPengine.objects[obj];
    const BoxTest whole = testBox(object.box);
    // Set once the box is known; an object left out leaves clipping off.
    applyClipping(whole.crossesEdge && !whole.outside);
    if (whole.outside) return;

    // Morph objects are streamed as 88-byte pairs, so their base counts pairs.
    const int32_t base = isMorph(object) ? object.firstVertex / 2 : object.firstVertex;
    d->SetIndices(zep::poolBuffers().staticIndices, UINT(base));
    chooseCullingAndFill(object);

    const int32_t meshes = zep::registryCapacities().meshes;
    MaterialCache material;
    // A clip group decides clipping for its own meshes only; the meshes
    // after it go back to the object's choice.
    int32_t groupEnd = -1;
    bool groupClipping = false;
    for (int32_t m = std::max(0, object.firstMesh); m <= object.lastMesh && m < meshes; ++m) {
        const MeshRecord& mesh = ZEPengine.meshes[m];
        if (mesh.clipGroupSize > 0) {
            const int32_t last = int32_t(std::min<int64_t>(int64_t(m) + mesh.clipGroupSize - 1, object.lastMesh));
            const BoxTest group = testBox(mesh.clipBox);
            if (group.outside) {
                m = last;
                continue;
            }
            applyClipping(group.crossesEdge);
            groupEnd = last;
            groupClipping = true;
        } else if (groupClipping && m > groupEnd) {
            applyClipping(whole.crossesEdge);
            groupClipping = false;
        }
        drawMesh(object, mesh, material);
    }

    if (object.flags & ZEP_OBJ_WIREFRAME) restoreFillMode();
    if (zep::drawSwitches().capPass) drawNearPlaneCap(object);
}

ZEP_EXPORT uint8_t ZEPAPI SetLightMap(int32_t handle) {
    ZEPengine.lightMapTexture = handle;
    if (handle < 0) return 1;
    const D3DXMATRIX transform = lightMapTransform(viewState().world);
    if (IDirect3DDevice8* d = device()) d->SetTransform(D3DTS_TEXTURE2, &transform);
    return 1;
}

ZEP_EXPORT void ZEPAPI SetMorph(int32_t obj, int32_t morphSlot, float morphWeight) {
    if (obj < 0 || obj >= zep::registryCapacities().objects) return;
    ObjectRecord& object = ZEPengine.objects[obj];
    object.morphSlot = morphSlot;
    object.morphWeight = morphWeight;
}

ZEP_EXPORT uint8_t ZEPAPI UpdateMorph(int32_t dst, int32_t src) {
    const int32_t objects = zep::registryCapacities().objects;
    if (dst < 0 || src < 0 || dst >= objects || src >= objects) return 0;
    const int32_t filled = ZEPengine.staticVertexCount;
    zep::StaticVertexLock pool(0, filled);
    if (!pool.ok()) return 0;
    const ObjectRecord& to = ZEPengine.objects[dst];
    const ObjectRecord& from = ZEPengine.objects[src];
    const int32_t meshes = zep::registryCapacities().meshes;
    // Meshes pair up in order; the shorter object ends the walk.
    for (int32_t dm = to.firstMesh, sm = from.firstMesh; dm <= to.lastMesh && sm <= from.lastMesh; ++dm, ++sm) {
        if (dm < 0 || sm < 0 || dm >= meshes || sm >= meshes) break;
        const MeshRecord& dMesh = ZEPengine.meshes[dm];
        const MeshRecord& sMesh = ZEPengine.meshes[sm];
        for (int32_t j = dMesh.minVertex; j < dMesh.vertexEnd; ++j) {
            const int32_t source = from.firstVertex + sMesh.minVertex + (j - dMesh.minVertex);
            const int32_t target = to.firstVertex + 2 * j + 1;
            if (source < 0 || target < 0 || source >= filled || target >= filled) continue;
            pool[target].position = pool[source].position;
            pool[target].normal = pool[source].normal;
        }
    }
    return 1;
}

ZEP_EXPORT void ZEPAPI SetDotSize(float size, float scaleA, float scaleC, uint8_t scaleEnable) {
    if (!device()) return;
    renderState(D3DRS_POINTSPRITEENABLE, FALSE);
    renderState(D3DRS_POINTSCALEENABLE, scaleEnable);
    renderState(D3DRS_POINTSIZE, floatBits(size));
    renderState(D3DRS_POINTSIZE_MIN, floatBits(size));
    renderState(D3DRS_POINTSIZE_MAX, floatBits(10000.0f));
    renderState(D3DRS_POINTSCALE_A, floatBits(scaleA));
    renderState(D3DRS_POINTSCALE_B, floatBits((scaleA + scaleC) / 2.0f));
    renderState(D3DRS_POINTSCALE_C, floatBits(scaleC));
}

ZEP_EXPORT void ZEPAPI PutDot(float x, float y, float z, uint32_t color) {
    IDirect3DDevice8* d = device();
    if (!d) return;
    {
        // Slot 0 is the engine's own point slot, kept free at start-up.
        zep::StaticVertexLock slot(0, 1);
        if (!slot.ok()) return;
        slot[0] = StaticVertex{{x, y, z}, {0.0f, 0.0f, 0.0f}, color, 0.0f, 0.0f, 0.0f, 0.0f};
    }
    d->SetVertexShader(ZEP_FVF_STATIC);
    d->SetStreamSource(0, zep::poolBuffers().staticVertices, sizeof(StaticVertex));
    d->DrawPrimitive(D3DPT_POINTLIST, 0, 1);
    zep::reapplyVertexSource();
}

}  // extern "C"
