// Where geometry lands and what the draw calls read: pixel centres and the
// rhw of pre-transformed vertices, the row-vector transforms and the depth
// they write, the primitive types, indexed draws with a base vertex, stream
// strides and declarations, the UP calls, the vertex layouts the engine
// draws with, clipping and software vertex processing.
#include "visual_case.h"

#include <cstring>

namespace {

using zep::visual::Context;
using zep::visual::floatBits;
using zep::visual::identityMatrix;
using zep::visual::kSceneFvf;
using zep::visual::kScreenFvf;
using zep::visual::Options;
using zep::visual::sceneQuad;
using zep::visual::ScreenVertex;
using zep::visual::screenQuad;

constexpr DWORD kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF, kWhite = 0xFFFFFFFF;

// A managed vertex or index buffer holding `items`; released after the case.
template <typename T>
IDirect3DVertexBuffer8* vertexBuffer(Context& c, const std::vector<T>& items, DWORD usage = D3DUSAGE_WRITEONLY,
                                     DWORD fvf = 0) {
    IDirect3DVertexBuffer8* vb = nullptr;
    const UINT bytes = UINT(items.size() * sizeof(T));
    if (!c.check(c.d3d->CreateVertexBuffer(bytes, usage, fvf, D3DPOOL_MANAGED, &vb), "CreateVertexBuffer"))
        return nullptr;
    c.keep(vb);
    BYTE* data = nullptr;
    if (!c.check(vb->Lock(0, 0, &data, 0), "Lock")) return nullptr;
    std::memcpy(data, items.data(), bytes);
    vb->Unlock();
    return vb;
}

IDirect3DIndexBuffer8* indexBuffer(Context& c, const std::vector<WORD>& indices, DWORD usage = D3DUSAGE_WRITEONLY) {
    IDirect3DIndexBuffer8* ib = nullptr;
    const UINT bytes = UINT(indices.size() * sizeof(WORD));
    if (!c.check(c.d3d->CreateIndexBuffer(bytes, usage, D3DFMT_INDEX16, D3DPOOL_MANAGED, &ib), "CreateIndexBuffer"))
        return nullptr;
    c.keep(ib);
    BYTE* data = nullptr;
    if (!c.check(ib->Lock(0, 0, &data, 0), "Lock")) return nullptr;
    std::memcpy(data, indices.data(), bytes);
    ib->Unlock();
    return ib;
}

void selectTexture(Context& c, DWORD stage) {
    c.d3d->SetTextureStageState(stage, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    c.d3d->SetTextureStageState(stage, D3DTSS_COLORARG1, D3DTA_TEXTURE);
}

// ---- Primitive types ----------------------------------------------------------

struct PrimitiveCase {
    const char* name;
    D3DPRIMITIVETYPE type;
    UINT count;
    std::vector<ScreenVertex> vertices;
    int litX, litY;      // a pixel the primitives cover
    int unlitX, unlitY;  // one that only a wrong count or type would cover
};

ScreenVertex white(float x, float y) { return ScreenVertex{x, y, 0.5f, 1.0f, kWhite, 0, 0, 0}; }

const PrimitiveCase kPrimitiveCases[] = {
    {"triangle list", D3DPT_TRIANGLELIST, 1,
     {white(0, 0), white(64, 0), white(0, 64), white(64, 0), white(64, 64), white(0, 64)}, 10, 10, 54, 54},
    {"triangle strip", D3DPT_TRIANGLESTRIP, 2, {white(0, 0), white(32, 0), white(0, 64), white(32, 64), white(64, 0)},
     16, 32, 36, 44},
    {"triangle fan", D3DPT_TRIANGLEFAN, 2, {white(32, 32), white(0, 0), white(64, 0), white(64, 64), white(0, 64)}, 50,
     32, 32, 50},
    // Lines and points run through pixel centres: the lit probe is the line.
    {"line list", D3DPT_LINELIST, 1, {white(0, 20), white(64, 20), white(0, 40), white(64, 40)}, 32, 20, 32, 40},
    {"line strip", D3DPT_LINESTRIP, 1, {white(0, 20), white(50, 20), white(50, 40)}, 25, 20, 50, 30},
    {"point list", D3DPT_POINTLIST, 1, {white(20, 20), white(40, 40)}, 20, 20, 40, 40},
};

// ---- The engine's vertex layouts ------------------------------------------------

// Each layout draws a quad over the screen with lighting off. The vertex
// colour is the diffuse yellow, or opaque white for layouts without one.
// Layouts with texture coordinates modulate it by a 2x1 red | green texture
// sampled across the quad through the last set (a set that is not read
// would show one colour only).
struct LayoutCase {
    const char* name;
    DWORD fvf;
    bool rhw, normal, diffuse;
    int textureSets;
};

const LayoutCase kLayouts[] = {
    {"XYZ", D3DFVF_XYZ, false, false, false, 0},
    {"XYZ NORMAL", D3DFVF_XYZ | D3DFVF_NORMAL, false, true, false, 0},
    {"XYZ DIFFUSE", D3DFVF_XYZ | D3DFVF_DIFFUSE, false, false, true, 0},
    {"XYZRHW DIFFUSE", D3DFVF_XYZRHW | D3DFVF_DIFFUSE, true, false, true, 0},
    {"XYZ NORMAL TEX1", D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1, false, true, false, 1},
    {"XYZ DIFFUSE TEX1", D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1, false, false, true, 1},
    {"XYZRHW DIFFUSE TEX1", D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1, true, false, true, 1},
    {"XYZ NORMAL DIFFUSE TEX2", D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX2, false, true, true, 2},
};

constexpr DWORD kLayoutDiffuse = 0xFFFFFF00;

// Packs one vertex of the layout: position, then the optional parts in FVF
// order. The last texture set carries u, the ones before it a constant 0.75
// so that reading the wrong set shows green everywhere.
void packVertex(const LayoutCase& layout, float x, float y, float u, std::vector<BYTE>& out) {
    auto putFloat = [&](float f) {
        BYTE b[4];
        std::memcpy(b, &f, 4);
        out.insert(out.end(), b, b + 4);
    };
    if (layout.rhw) {
        putFloat((x + 1.0f) * 32.0f);
        putFloat((1.0f - y) * 32.0f);
        putFloat(0.5f);
        putFloat(1.0f);
    } else {
        putFloat(x);
        putFloat(y);
        putFloat(0.5f);
    }
    if (layout.normal) {
        putFloat(0.0f);
        putFloat(0.0f);
        putFloat(-1.0f);
    }
    if (layout.diffuse) {
        const DWORD colour = kLayoutDiffuse;
        const BYTE* b = reinterpret_cast<const BYTE*>(&colour);
        out.insert(out.end(), b, b + 4);
    }
    for (int set = 0; set < layout.textureSets; ++set) {
        putFloat(set + 1 == layout.textureSets ? u : 0.75f);
        putFloat(0.5f);
    }
}

}  // namespace

ZEP_VISUAL_GROUP(geometry) {
    // Edges at half pixels: Direct3D covers the pixels whose integer centres
    // lie inside, columns and rows 11..40 here. The probes sit on both sides
    // of each edge, as the edge rule is what this case is about.
    cases.add("pixel centres are on integers", [](Context& c) {
        c.drawStrip(screenQuad(10.5f, 10.5f, 40.5f, 40.5f, 0.5f, kRed), kScreenFvf);
        c.expect(25, 25, 0xFF0000);
        c.expect(11, 25, 0xFF0000);
        c.expect(40, 25, 0xFF0000);
        c.expect(10, 25, 0x000000);
        c.expect(41, 25, 0x000000);
        c.expect(25, 11, 0xFF0000);
        c.expect(25, 40, 0xFF0000);
        c.expect(25, 10, 0x000000);
        c.expect(25, 41, 0x000000);
    });

    // Edges through pixel centres: the top-left rule gives a pixel whose
    // centre lies on the left or top edge to the quad and one on the right or
    // bottom edge to its neighbour, so the quad 10..40 covers columns and
    // rows 10..39. The engine's screen layers and glyphs sit on whole pixels.
    cases.add("edges on pixel centres follow the top left rule", [](Context& c) {
        c.drawStrip(screenQuad(10, 10, 40, 40, 0.5f, kRed), kScreenFvf);
        c.expect(10, 25, 0xFF0000);
        c.expect(39, 25, 0xFF0000);
        c.expect(9, 25, 0x000000);
        c.expect(40, 25, 0x000000);
        c.expect(25, 10, 0xFF0000);
        c.expect(25, 39, 0xFF0000);
        c.expect(25, 9, 0x000000);
        c.expect(25, 40, 0x000000);
    });

    cases.add("pretransformed depth is written as given", [](Context& c) {
        c.d3d->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
        c.d3d->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
        c.drawStrip(screenQuad(0, 0, 64, 64, 0.5f, kRed), kScreenFvf);
        c.drawStrip(screenQuad(0, 0, 32, 64, 0.6f, kGreen), kScreenFvf);  // behind: hidden
        c.drawStrip(screenQuad(32, 0, 64, 64, 0.4f, kBlue), kScreenFvf);  // in front: drawn
        c.expect(16, 32, 0xFF0000);
        c.expect(48, 32, 0x0000FF);
    });

    // Pre-transformed vertices are in target pixels: the viewport's corner
    // does not move them (it only clips them). The quad spans the whole
    // target over a red | green texture; the viewport is the right half,
    // where the texture's green half lies. Moved by the viewport, the quad's
    // red half would show there.
    cases.add("pretransformed vertices ignore the viewport corner", [](Context& c) {
        c.d3d->SetTexture(0, c.makeTexture(2, 1, {kRed, kGreen}));
        c.samplePoint(0);
        selectTexture(c, 0);
        const D3DVIEWPORT8 viewport{32, 0, 32, 64, 0, 1};
        c.d3d->SetViewport(&viewport);
        c.drawStrip(screenQuad(0, 0, 64, 64, 0.5f, kWhite), kScreenFvf);
        c.expect(40, 32, 0x00FF00);
        c.expect(56, 32, 0x00FF00);
        c.expect(16, 32, 0x000000);
    });

    // Their z is the depth written, whatever the viewport's depth range:
    // drawn at z 0.7 with MinZ 0.5, MaxZ 1 it is 0.7 (mapped through the
    // range it would be 0.85), and hides a quad at 0.8 drawn with the full
    // range.
    cases.add("pretransformed depth ignores the viewport depth range", [](Context& c) {
        c.d3d->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
        c.d3d->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
        D3DVIEWPORT8 viewport{0, 0, 64, 64, 0.5f, 1.0f};
        c.d3d->SetViewport(&viewport);
        c.drawStrip(screenQuad(0, 0, 64, 64, 0.7f, kRed), kScreenFvf);
        viewport.MinZ = 0.0f;
        c.d3d->SetViewport(&viewport);
        c.drawStrip(screenQuad(0, 0, 64, 64, 0.8f, kGreen), kScreenFvf);
        c.expect(32, 32, 0xFF0000);
    });

    // Left edge rhw 1, right edge rhw 1/3: with perspective the coordinate
    // u = 0.5 lies three quarters across the span (s / 3 = (1 - s) / 2 ...
    // solved: s = 0.75, x = 16 + 36 = 52), not at its middle (x = 40).
    // A 2x1 texture: u < 0.5 red, else green.
    cases.add("rhw corrects texture coordinates for depth", [](Context& c) {
        c.d3d->SetTexture(0, c.makeTexture(2, 1, {kRed, kGreen}));
        c.samplePoint(0);
        selectTexture(c, 0);
        std::vector<ScreenVertex> quad = screenQuad(16, 0, 64, 64, 0.5f, 0xFF000000);
        quad[1].rhw = quad[3].rhw = 1.0f / 3.0f;
        c.drawStrip(quad, kScreenFvf);
        c.expect(24, 32, 0xFF0000);
        c.expect(46, 32, 0xFF0000);  // linear interpolation would give u = 0.625, green
        c.expect(58, 32, 0x00FF00);
    });

    // v' = v x World x View x Projection with translations in the fourth
    // row. The quad spans x -1..0; World moves it right by 0.5, View by 0.5
    // more, Projection scales x by 0.5: it ends up at x 0..0.5 (columns 32..47).
    cases.add("row vectors through world view projection", [](Context& c) {
        D3DMATRIX world = identityMatrix(), view = identityMatrix(), projection = identityMatrix();
        world._41 = 0.5f;
        view._41 = 0.5f;
        projection._11 = 0.5f;
        projection._33 = 0.5f;
        c.d3d->SetTransform(D3DTS_WORLD, &world);
        c.d3d->SetTransform(D3DTS_VIEW, &view);
        c.d3d->SetTransform(D3DTS_PROJECTION, &projection);
        c.drawStrip(sceneQuad(-1, -1, 0, 1, 0.5f, kGreen), kSceneFvf);
        c.expect(40, 20, 0x00FF00);
        c.expect(20, 20, 0x000000);
        c.expect(56, 20, 0x000000);
    });

    // A left-handed perspective projection, near 1 and far 3: camera-space
    // z = 2 maps to depth (2 - 1) * 3/2 / 2 = 0.75.
    cases.add("frustum projection keeps depth between zero and one", [](Context& c) {
        D3DMATRIX projection{};
        projection._11 = projection._22 = 1.0f;
        projection._33 = 3.0f / 2.0f;
        projection._34 = 1.0f;
        projection._43 = -1.0f * 3.0f / 2.0f;
        c.d3d->SetTransform(D3DTS_PROJECTION, &projection);
        c.d3d->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
        c.d3d->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
        c.drawStrip(sceneQuad(-4, -4, 4, 4, 2.0f, kRed), kSceneFvf);
        c.drawStrip(screenQuad(0, 0, 32, 64, 0.76f, kGreen), kScreenFvf);  // behind 0.75: hidden
        c.drawStrip(screenQuad(32, 0, 64, 64, 0.74f, kBlue), kScreenFvf);  // in front: drawn
        c.expect(16, 32, 0xFF0000);
        c.expect(48, 32, 0x0000FF);
    });

    // MinZ 0.5, MaxZ 1: projected z = 0 is written as depth 0.5.
    cases.add("viewport depth range maps transformed depth", [](Context& c) {
        D3DVIEWPORT8 viewport{0, 0, 64, 64, 0.5f, 1.0f};
        c.d3d->SetViewport(&viewport);
        c.d3d->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
        c.d3d->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
        c.drawStrip(sceneQuad(-1, -1, 1, 1, 0.0f, kRed), kSceneFvf);
        viewport.MinZ = 0.0f;
        c.d3d->SetViewport(&viewport);
        c.drawStrip(sceneQuad(-1, -1, 0, 1, 0.6f, kGreen), kSceneFvf);  // 0.6 behind 0.5: hidden
        c.drawStrip(sceneQuad(0, -1, 1, 1, 0.4f, kBlue), kSceneFvf);    // 0.4 in front: drawn
        c.expect(16, 32, 0xFF0000);
        c.expect(48, 32, 0x0000FF);
    });

    for (const PrimitiveCase& p : kPrimitiveCases) {
        cases.add(std::string("primitive ") + p.name, [p](Context& c) {
            c.drawPrimitives(p.type, p.count, p.vertices, kScreenFvf);
            c.expect(p.litX, p.litY, 0xFFFFFF);
            c.expect(p.unlitX, p.unlitY, 0x000000);
        });
    }

    // A strip of two triangles: red, green, blue, blue. Flat shading gives
    // the first triangle vertex 0's red and the second vertex 1's green.
    // Gouraud shading blends by position: at (30, 8) in the first triangle
    // red 1 - 30/64 - 8/64 = 0.406, green 30/64 = 0.469, blue 8/64 = 0.125;
    // at (52, 52) in the second, green 12/64 = 0.1875 and blue the rest.
    const std::vector<ScreenVertex> shadedStrip = {{0, 0, 0.5f, 1, kRed, 0, 0, 0},
                                                   {64, 0, 0.5f, 1, kGreen, 0, 0, 0},
                                                   {0, 64, 0.5f, 1, kBlue, 0, 0, 0},
                                                   {64, 64, 0.5f, 1, kBlue, 0, 0, 0}};
    cases.add("flat shading takes each triangle's first vertex", [shadedStrip](Context& c) {
        c.d3d->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT);
        c.drawStrip(shadedStrip, kScreenFvf);
        c.expect(12, 12, 0xFF0000);
        c.expect(30, 8, 0xFF0000);
        c.expect(52, 52, 0x00FF00);
        c.expect(56, 30, 0x00FF00);
    });
    cases.add("gouraud shading blends the vertex colours", [shadedStrip](Context& c) {
        c.d3d->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
        c.drawStrip(shadedStrip, kScreenFvf);
        c.expect(30, 8, 0x687820);
        c.expect(52, 52, 0x0030CF);
    });

    // Eight vertices: a red quad on the left, a green one on the right. The
    // index buffer's first six indices are never drawn; the last six name a
    // quad relative to the base vertex that SetIndices gives.
    for (UINT base : {4u, 0u}) {
        cases.add("indexed draw from base vertex " + std::to_string(base), [base](Context& c) {
            std::vector<ScreenVertex> vertices = screenQuad(0, 0, 32, 64, 0.5f, kRed);
            for (const ScreenVertex& v : screenQuad(32, 0, 64, 64, 0.5f, kGreen)) vertices.push_back(v);
            IDirect3DVertexBuffer8* vb = vertexBuffer(c, vertices, D3DUSAGE_WRITEONLY, kScreenFvf);
            IDirect3DIndexBuffer8* ib = indexBuffer(c, {9, 9, 9, 9, 9, 9, 0, 1, 2, 1, 3, 2});
            if (!vb || !ib) return;
            c.d3d->SetVertexShader(kScreenFvf);
            c.d3d->SetStreamSource(0, vb, sizeof(ScreenVertex));
            c.d3d->SetIndices(ib, base);
            c.check(c.d3d->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 6, 2), "DrawIndexedPrimitive");
            c.expect(48, 32, base == 4 ? 0x00FF00 : 0x000000);
            c.expect(16, 32, base == 4 ? 0x000000 : 0xFF0000);
        });
    }

    // The engine's static pool draw: a 44-byte XYZ NORMAL DIFFUSE TEX2 vertex
    // buffer, 16-bit indices relative to the object's first vertex, a vertex
    // range and a start index inside the buffer. Vertices 0..2 are another
    // object's; this one's quad starts at vertex 3, its indices at index 3.
    cases.add("indexed draw of an object in a shared pool", [](Context& c) {
        struct PoolVertex {
            float x, y, z, nx, ny, nz;
            DWORD diffuse;
            float u0, v0, u1, v1;
        };
        static_assert(sizeof(PoolVertex) == 44);
        const DWORD fvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX2;
        std::vector<PoolVertex> vertices(3, PoolVertex{0, 0, 0.5f, 0, 0, -1, kBlue, 0, 0, 0, 0});
        // Quad over x -1..1, y -1..1; set 0 selects the left texel, set 1 goes across.
        vertices.push_back({-1, 1, 0.5f, 0, 0, -1, kWhite, 0.25f, 0.5f, 0.0f, 0.5f});
        vertices.push_back({1, 1, 0.5f, 0, 0, -1, kWhite, 0.25f, 0.5f, 1.0f, 0.5f});
        vertices.push_back({-1, -1, 0.5f, 0, 0, -1, kWhite, 0.25f, 0.5f, 0.0f, 0.5f});
        vertices.push_back({1, -1, 0.5f, 0, 0, -1, kWhite, 0.25f, 0.5f, 1.0f, 0.5f});
        IDirect3DVertexBuffer8* vb = vertexBuffer(c, vertices, 0, fvf);
        IDirect3DIndexBuffer8* ib = indexBuffer(c, {0, 1, 2, 0, 1, 2, 1, 3, 2}, 0);
        if (!vb || !ib) return;
        // Stage 0 passes the diffuse colour; stage 1 modulates it with a
        // red | green texture read through the second coordinate set.
        c.d3d->SetTexture(1, c.makeTexture(2, 1, {kRed, kGreen}));
        c.samplePoint(1);
        c.d3d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        c.d3d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
        c.d3d->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
        c.d3d->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        c.d3d->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_CURRENT);
        c.d3d->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 1);
        c.d3d->SetVertexShader(fvf);
        c.d3d->SetStreamSource(0, vb, sizeof(PoolVertex));
        c.d3d->SetIndices(ib, 3);
        // Indices 3..8, minimum vertex 0 and four vertices, as seen from the base.
        c.check(c.d3d->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 3, 2), "DrawIndexedPrimitive");
        c.expect(16, 32, 0xFF0000);
        c.expect(48, 32, 0x00FF00);
    });

    cases.add("stream stride may exceed the vertex format", [](Context& c) {
        struct Padded {
            ScreenVertex vertex;
            float extra[3];
        };
        std::vector<Padded> padded;
        for (const ScreenVertex& v : screenQuad(0, 0, 64, 64, 0.5f, kBlue)) padded.push_back(Padded{v, {-1, -1, -1}});
        IDirect3DVertexBuffer8* vb = vertexBuffer(c, padded, 0);
        if (!vb) return;
        c.d3d->SetVertexShader(kScreenFvf);
        c.d3d->SetStreamSource(0, vb, sizeof(Padded));
        c.check(c.d3d->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), "DrawPrimitive");
        c.expect(32, 32, 0x0000FF);
    });

    // Positions in stream 0, colours in stream 1 (after a skipped DWORD),
    // drawn by the fixed-function pipeline through a declaration.
    cases.add("declaration reads two streams", [](Context& c) {
        const DWORD declaration[] = {D3DVSD_STREAM(0), D3DVSD_REG(D3DVSDE_POSITION, D3DVSDT_FLOAT3), D3DVSD_STREAM(1),
                                     D3DVSD_SKIP(1), D3DVSD_REG(D3DVSDE_DIFFUSE, D3DVSDT_D3DCOLOR), D3DVSD_END()};
        DWORD shader = 0;
        if (!c.check(c.d3d->CreateVertexShader(declaration, nullptr, &shader, 0), "CreateVertexShader")) return;
        struct Position {
            float x, y, z;
        };
        struct Colour {
            DWORD skipped, diffuse;
        };
        IDirect3DVertexBuffer8* positions =
            vertexBuffer(c, std::vector<Position>{{-1, 1, 0.5f}, {1, 1, 0.5f}, {-1, -1, 0.5f}, {1, -1, 0.5f}}, 0);
        IDirect3DVertexBuffer8* colours = vertexBuffer(c, std::vector<Colour>(4, Colour{0, kGreen}), 0);
        if (positions && colours) {
            c.d3d->SetVertexShader(shader);
            c.d3d->SetStreamSource(0, positions, sizeof(Position));
            c.d3d->SetStreamSource(1, colours, sizeof(Colour));
            c.check(c.d3d->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), "DrawPrimitive");
            c.expect(32, 32, 0x00FF00);
        }
        c.d3d->SetVertexShader(kScreenFvf);
        c.d3d->DeleteVertexShader(shader);
    });

    // Vertices 0..3 red, 4..7 green; indices 4..7 with minimum vertex 4.
    for (D3DFORMAT format : {D3DFMT_INDEX16, D3DFMT_INDEX32}) {
        const char* name = format == D3DFMT_INDEX16 ? "indexed UP draw INDEX16" : "indexed UP draw INDEX32";
        cases.add(name, [format](Context& c) {
            std::vector<ScreenVertex> vertices = screenQuad(0, 0, 64, 64, 0.5f, kRed);
            for (const ScreenVertex& v : screenQuad(0, 0, 64, 64, 0.5f, kGreen)) vertices.push_back(v);
            const WORD shortIndices[6] = {4, 5, 6, 5, 7, 6};
            const DWORD longIndices[6] = {4, 5, 6, 5, 7, 6};
            const void* indices = format == D3DFMT_INDEX16 ? static_cast<const void*>(shortIndices) : longIndices;
            c.d3d->SetVertexShader(kScreenFvf);
            c.check(c.d3d->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 4, 4, 2, indices, format, vertices.data(),
                                                  sizeof(ScreenVertex)),
                    "DrawIndexedPrimitiveUP");
            c.expect(32, 32, 0x00FF00);
        });
    }

    // Batches of 30000 triangles (2.9 MB each) fill any streaming buffer
    // behind the UP calls several times over; every draw must still read its
    // own data, also while earlier draws are still in flight. All but the
    // last two triangles of a batch lie off screen; those two cover the
    // batch's own column. Then 50 small draws alternate over the bottom half;
    // the last one (red) shows.
    cases.add("many UP draws each read their own vertices", [](Context& c) {
        const DWORD colours[] = {kRed, kGreen, kBlue, kWhite};
        std::vector<ScreenVertex> big;
        for (int batch = 0; batch < 4; ++batch) {
            big.clear();
            for (int i = 0; i < 29998; ++i) {
                big.push_back({-200, -200, 0.5f, 1, kGreen, 0, 0, 0});
                big.push_back({-100, -200, 0.5f, 1, kGreen, 0, 0, 0});
                big.push_back({-200, -100, 0.5f, 1, kGreen, 0, 0, 0});
            }
            const float x0 = 16.0f * float(batch), x1 = x0 + 16.0f;
            auto corner = [&](float x, float y) { return ScreenVertex{x, y, 0.5f, 1, colours[batch], 0, 0, 0}; };
            for (const ScreenVertex& v : {corner(x0, 0), corner(x1, 0), corner(x0, 32), corner(x1, 0), corner(x1, 32),
                                          corner(x0, 32)})
                big.push_back(v);
            c.drawPrimitives(D3DPT_TRIANGLELIST, UINT(big.size() / 3), big, kScreenFvf);
        }
        for (int i = 0; i < 50; ++i) c.drawStrip(screenQuad(0, 32, 64, 64, 0.5f, i % 2 ? kRed : kBlue), kScreenFvf);
        c.expect(8, 16, 0xFF0000);
        c.expect(24, 16, 0x00FF00);
        c.expect(40, 16, 0x0000FF);
        c.expect(56, 16, 0xFFFFFF);
        c.expect(32, 48, 0xFF0000);
    });

    // Draws Direct3D 8 refuses leave the target alone: an unknown primitive
    // type, a vertex format without a position, an indexed draw without an
    // index buffer. (Draws without a vertex stream or without vertex data
    // are refused too, but a real Direct3D 8 may fault on them, so only
    // their return codes are checked, outside the cases.)
    cases.add("refused draws draw nothing", [](Context& c) {
        const std::vector<ScreenVertex> quad = screenQuad(0, 0, 64, 64, 0.5f, kRed);
        c.d3d->SetVertexShader(kScreenFvf);
        c.d3d->DrawPrimitiveUP(D3DPRIMITIVETYPE(7), 2, quad.data(), sizeof(ScreenVertex));
        if (SUCCEEDED(c.d3d->SetVertexShader(D3DFVF_DIFFUSE)))
            c.d3d->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad.data(), sizeof(ScreenVertex));
        IDirect3DVertexBuffer8* vb = vertexBuffer(c, quad, 0, kScreenFvf);
        if (!vb) return;
        c.d3d->SetVertexShader(kScreenFvf);
        c.d3d->SetStreamSource(0, vb, sizeof(ScreenVertex));
        c.d3d->SetIndices(nullptr, 0);
        c.d3d->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 2);
        c.expect(32, 32, 0x000000);
    });

    for (const LayoutCase& layout : kLayouts) {
        cases.add(std::string("vertex layout ") + layout.name, [layout](Context& c) {
            std::vector<BYTE> bytes;
            packVertex(layout, -1, 1, 0, bytes);
            packVertex(layout, 1, 1, 1, bytes);
            packVertex(layout, -1, -1, 0, bytes);
            packVertex(layout, 1, -1, 1, bytes);
            const UINT stride = UINT(bytes.size() / 4);
            if (layout.textureSets > 0) {
                const DWORD stage = DWORD(layout.textureSets - 1);
                c.d3d->SetTexture(stage, c.makeTexture(2, 1, {kRed, kGreen}));
                c.samplePoint(stage);
                for (DWORD s = 0; s < stage; ++s) {
                    c.d3d->SetTextureStageState(s, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
                    c.d3d->SetTextureStageState(s, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
                }
                c.d3d->SetTextureStageState(stage, D3DTSS_COLOROP, D3DTOP_MODULATE);
                c.d3d->SetTextureStageState(stage, D3DTSS_COLORARG1, D3DTA_TEXTURE);
                c.d3d->SetTextureStageState(stage, D3DTSS_COLORARG2, stage == 0 ? D3DTA_DIFFUSE : D3DTA_CURRENT);
                c.d3d->SetTextureStageState(stage, D3DTSS_TEXCOORDINDEX, stage);
            } else {
                c.d3d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
                c.d3d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
            }
            c.d3d->SetVertexShader(layout.fvf);
            c.check(c.d3d->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, bytes.data(), stride), "DrawPrimitiveUP");
            const DWORD diffuse = layout.diffuse ? kLayoutDiffuse & 0xFFFFFF : 0xFFFFFF;
            const DWORD left = layout.textureSets ? diffuse & 0xFF0000 : diffuse;
            const DWORD right = layout.textureSets ? diffuse & 0x00FF00 : diffuse;
            c.expect(16, 32, left);
            c.expect(48, 32, right);
        });
    }

    // Clipping on: a quad tilted in depth from z 0.5 (left edge) to 1.5
    // (right edge), through an identity projection, is cut where it passes
    // the far plane z = 1, at x = 0 (column 32).
    cases.add("clipping cuts geometry beyond the far plane", [](Context& c) {
        c.d3d->SetRenderState(D3DRS_CLIPPING, TRUE);
        std::vector<zep::visual::SceneVertex> quad = sceneQuad(-1, -1, 1, 1, 0.5f, kGreen);
        quad[1].z = quad[3].z = 1.5f;
        c.drawStrip(quad, kSceneFvf);
        c.expect(16, 32, 0x00FF00);
        c.expect(48, 32, 0x000000);
    });

    // Clipping off promises geometry inside the view, which then draws as
    // with clipping on.
    cases.add("clipping off draws geometry inside the view", [](Context& c) {
        c.d3d->SetRenderState(D3DRS_CLIPPING, FALSE);
        c.drawStrip(sceneQuad(-1, -1, 0, 1, 0.5f, kGreen), kSceneFvf);
        c.drawStrip(screenQuad(32, 0, 64, 64, 0.5f, kBlue), kScreenFvf);
        c.expect(16, 32, 0x00FF00);
        c.expect(48, 32, 0x0000FF);
    });

    // Software vertex processing, on a software device and switched on for a
    // mixed one, draws what hardware processing draws: a transformed quad
    // moved by the world matrix from a software-processing buffer (left), a
    // pre-transformed quad that reaches past the viewport and is clipped to
    // it (right half; the viewport is the top 48 rows), and the quad tilted
    // through the far plane (bottom 16 rows, cut at column 32).
    struct Processing {
        const char* name;
        DWORD behaviour;
    };
    for (const Processing& p : {Processing{"software device", DWORD(D3DCREATE_SOFTWARE_VERTEXPROCESSING)},
                                Processing{"mixed device", DWORD(D3DCREATE_MIXED_VERTEXPROCESSING)},
                                Processing{"hardware device", DWORD(D3DCREATE_HARDWARE_VERTEXPROCESSING)}}) {
        Options options;
        options.behaviour = p.behaviour;
        cases.add(std::string("vertex processing on a ") + p.name, options, [p](Context& c) {
            if (p.behaviour == D3DCREATE_MIXED_VERTEXPROCESSING)
                c.check(c.d3d->SetRenderState(D3DRS_SOFTWAREVERTEXPROCESSING, TRUE), "SetRenderState");
            c.d3d->SetRenderState(D3DRS_CLIPPING, TRUE);
            const DWORD usage = p.behaviour == D3DCREATE_HARDWARE_VERTEXPROCESSING ? 0 : D3DUSAGE_SOFTWAREPROCESSING;
            IDirect3DVertexBuffer8* vb = vertexBuffer(c, sceneQuad(-2, -1, -1, 1, 0.5f, kGreen), usage, kSceneFvf);
            if (!vb) return;
            D3DMATRIX world = identityMatrix();
            world._41 = 1.0f;  // x -2..-1 becomes -1..0: columns 0..31
            c.d3d->SetTransform(D3DTS_WORLD, &world);
            D3DVIEWPORT8 viewport{0, 0, 64, 48, 0, 1};
            c.d3d->SetViewport(&viewport);
            c.d3d->SetVertexShader(kSceneFvf);
            c.d3d->SetStreamSource(0, vb, sizeof(zep::visual::SceneVertex));
            c.check(c.d3d->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), "DrawPrimitive");
            c.drawStrip(screenQuad(32, 0, 96, 96, 0.5f, kBlue), kScreenFvf);
            viewport = D3DVIEWPORT8{0, 48, 64, 16, 0, 1};
            c.d3d->SetViewport(&viewport);
            world = identityMatrix();
            c.d3d->SetTransform(D3DTS_WORLD, &world);
            std::vector<zep::visual::SceneVertex> tilted = sceneQuad(-1, -1, 1, 1, 0.5f, kRed);
            tilted[1].z = tilted[3].z = 1.5f;
            c.drawStrip(tilted, kSceneFvf);
            c.expect(16, 24, 0x00FF00);
            c.expect(48, 24, 0x0000FF);
            c.expect(16, 56, 0xFF0000);
            c.expect(48, 56, 0x000000);  // blue stops at its viewport, red at the far plane
        });
    }
}
