// The rasteriser's fixed states through real draws: culling by Direct3D's
// winding, fill and shade modes, depth functions, writes, bias and range,
// stencil operations (and the stencil shadow-volume passes the engine
// draws), colour writes, blend factors, dithering, edge antialiasing and
// multisampling. Pre-transformed vertices put every shape exactly where the
// case says, in pixels; Direct3D samples pixels at their integer centres.
#include "visual_case.h"

#include <cstring>
#include <string>
#include <utility>

namespace {

using zep::visual::Context;
using zep::visual::kScreenFvf;
using zep::visual::Options;
using zep::visual::ScreenVertex;

// Stage 0 passes the diffuse colour and alpha through.
void useDiffuse(Context& c) {
    c.d3d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    c.d3d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    c.d3d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    c.d3d->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
}

ScreenVertex at(float x, float y, float z, DWORD diffuse) { return {x, y, z, 1.0f, diffuse, 0, 0.0f, 0.0f}; }

// A rectangle as two triangles wound clockwise on screen (Direct3D's front
// faces), or counter-clockwise when `clockwise` is false.
bool drawRect(Context& c, float x0, float y0, float x1, float y1, float z, DWORD diffuse, bool clockwise = true) {
    std::vector<ScreenVertex> v = {at(x0, y0, z, diffuse), at(x1, y0, z, diffuse), at(x0, y1, z, diffuse),
                                   at(x1, y0, z, diffuse), at(x1, y1, z, diffuse), at(x0, y1, z, diffuse)};
    if (!clockwise) {
        std::swap(v[1], v[2]);
        std::swap(v[4], v[5]);
    }
    return c.drawPrimitives(D3DPT_TRIANGLELIST, 2, v, kScreenFvf);
}

void depthTestOn(Context& c, DWORD func) {
    c.d3d->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    c.d3d->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    c.d3d->SetRenderState(D3DRS_ZFUNC, func);
}

// ---- culling, fill and shading ---------------------------------------------------------

void addCulling(zep::visual::CaseList& cases) {
    struct Cull {
        const char* name;
        DWORD mode;
        bool clockwiseDrawn, counterDrawn;
    };
    for (const Cull& t : {Cull{"none", D3DCULL_NONE, true, true}, Cull{"cw", D3DCULL_CW, false, true},
                          Cull{"ccw", D3DCULL_CCW, true, false}}) {
        // A clockwise rectangle on the left, a counter-clockwise one on the right.
        cases.add(std::string("cull ") + t.name, [t](Context& c) {
            useDiffuse(c);
            c.d3d->SetRenderState(D3DRS_CULLMODE, t.mode);
            drawRect(c, 4, 8, 28, 56, 0.5f, 0xFF00FF00, true);
            drawRect(c, 36, 8, 60, 56, 0.5f, 0xFF00FF00, false);
            c.expect(16, 32, t.clockwiseDrawn ? 0x00FF00 : 0x000000);
            c.expect(48, 32, t.counterDrawn ? 0x00FF00 : 0x000000);
        });
    }
}

void addFillModes(zep::visual::CaseList& cases) {
    // The rectangle's corners sit a quarter pixel off the pixel centres so
    // that each edge and corner falls on one pixel row or column beyond
    // doubt: edges on rows / columns 8 and 56, the diagonal through (32, 32).
    auto draw = [](Context& c, DWORD fill) {
        useDiffuse(c);
        c.d3d->SetRenderState(D3DRS_FILLMODE, fill);
        drawRect(c, 8.25f, 8.25f, 56.25f, 55.75f, 0.5f, 0xFF00FF00);
    };
    cases.add("fill solid", [draw](Context& c) {
        draw(c, D3DFILL_SOLID);
        for (int xy : {20, 32, 44}) c.expect(xy, xy, 0x00FF00);
        c.expect(20, 24, 0x00FF00);
        c.expect(4, 32, 0x000000);
    });
    cases.add("fill wireframe", [draw](Context& c) {
        draw(c, D3DFILL_WIREFRAME);
        c.expect(32, 8, 0x00FF00);   // top edge
        c.expect(8, 32, 0x00FF00);   // left edge
        c.expect(56, 32, 0x00FF00);  // right edge
        c.expect(32, 56, 0x00FF00);  // bottom edge
        c.expect(32, 32, 0x00FF00);  // the diagonal shared by the two triangles
        c.expect(20, 24, 0x000000);  // inside the upper-left triangle
        c.expect(44, 44, 0x000000);  // inside the lower-right triangle
    });
    cases.add("fill point", [draw](Context& c) {
        draw(c, D3DFILL_POINT);
        c.expect(8, 8, 0x00FF00);
        c.expect(56, 8, 0x00FF00);
        c.expect(8, 56, 0x00FF00);
        c.expect(56, 56, 0x00FF00);
        c.expect(32, 8, 0x000000);
        c.expect(32, 32, 0x000000);
    });
}

void addShading(zep::visual::CaseList& cases) {
    // A strip of two triangles with four vertex colours. Flat shading takes
    // each triangle's first vertex: red for (v0, v1, v2), green for (v1, v2, v3).
    const DWORD colors[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
    auto draw = [colors](Context& c, DWORD shade) {
        useDiffuse(c);
        c.d3d->SetRenderState(D3DRS_SHADEMODE, shade);
        c.drawStrip(std::vector<ScreenVertex>{at(0, 0, 0.5f, colors[0]), at(64, 0, 0.5f, colors[1]),
                                              at(0, 64, 0.5f, colors[2]), at(64, 64, 0.5f, colors[3])},
                    kScreenFvf);
    };
    cases.add("shade flat uses the first vertex of each triangle", [draw](Context& c) {
        draw(c, D3DSHADE_FLAT);
        c.expect(10, 10, 0xFF0000);
        c.expect(10, 44, 0xFF0000);
        c.expect(54, 20, 0x00FF00);
        c.expect(54, 54, 0x00FF00);
    });
    cases.add("shade gouraud interpolates", [draw](Context& c) {
        draw(c, D3DSHADE_GOURAUD);
        // (16, 16) in the first triangle: weights 1/2 red, 1/4 green, 1/4 blue.
        c.expect(16, 16, 0x804040);
        // (48, 48) in the second: 1/4 green, 1/4 blue, 1/2 white.
        c.expect(48, 48, 0x80BFBF);
    });
}

// ---- depth --------------------------------------------------------------------------------

void addDepthFunctions(zep::visual::CaseList& cases) {
    struct Func {
        const char* name;
        DWORD func;
        bool below, equal, above;  // passes for a depth below, at and above the stored 0.5
    };
    const Func funcs[] = {
        {"never", D3DCMP_NEVER, false, false, false},      {"less", D3DCMP_LESS, true, false, false},
        {"equal", D3DCMP_EQUAL, false, true, false},       {"lessequal", D3DCMP_LESSEQUAL, true, true, false},
        {"greater", D3DCMP_GREATER, false, false, true},   {"notequal", D3DCMP_NOTEQUAL, true, false, true},
        {"greaterequal", D3DCMP_GREATEREQUAL, false, true, true}, {"always", D3DCMP_ALWAYS, true, true, true},
    };
    for (const Func& f : funcs) {
        // Three columns at depths 0.25, 0.5 and 0.75 against a buffer cleared to 0.5.
        cases.add(std::string("zfunc ") + f.name, [f](Context& c) {
            useDiffuse(c);
            c.d3d->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 0.5f, 0);
            depthTestOn(c, f.func);
            drawRect(c, 0, 0, 21, 64, 0.25f, 0xFF0000FF);
            drawRect(c, 21, 0, 43, 64, 0.5f, 0xFF0000FF);
            drawRect(c, 43, 0, 64, 64, 0.75f, 0xFF0000FF);
            c.expect(10, 32, f.below ? 0x0000FF : 0x000000);
            c.expect(32, 32, f.equal ? 0x0000FF : 0x000000);
            c.expect(53, 32, f.above ? 0x0000FF : 0x000000);
        });
    }
}

void addDepthWritesAndBias(zep::visual::CaseList& cases) {
    struct Row {
        const char* name;
        DWORD zenable, zbias;  // for the second rectangle
        float firstZ, secondZ;
        DWORD expected;
    };
    // The first rectangle (red) writes depth; the second (green) tests LESS.
    const Row rows[] = {
        {"farther loses", D3DZB_TRUE, 0, 0.5f, 0.75f, 0xFF0000},
        {"nearer wins", D3DZB_TRUE, 0, 0.5f, 0.25f, 0x00FF00},
        {"coplanar loses without bias", D3DZB_TRUE, 0, 0.5f, 0.5f, 0xFF0000},
        {"coplanar wins with bias 1", D3DZB_TRUE, 1, 0.5f, 0.5f, 0x00FF00},
        {"coplanar wins with bias 16", D3DZB_TRUE, 16, 0.5f, 0.5f, 0x00FF00},
        {"zenable false draws behind", D3DZB_FALSE, 0, 0.5f, 0.75f, 0x00FF00},
    };
    for (const Row& r : rows) {
        cases.add(std::string("depth ") + r.name, [r](Context& c) {
            useDiffuse(c);
            depthTestOn(c, D3DCMP_LESS);
            drawRect(c, 0, 0, 64, 64, r.firstZ, 0xFFFF0000);
            c.d3d->SetRenderState(D3DRS_ZENABLE, r.zenable);
            c.d3d->SetRenderState(D3DRS_ZBIAS, r.zbias);
            drawRect(c, 0, 0, 64, 64, r.secondZ, 0xFF00FF00);
            c.expect(32, 32, r.expected);
        });
    }
    cases.add("depth zwriteenable false keeps the stored depth", [](Context& c) {
        useDiffuse(c);
        depthTestOn(c, D3DCMP_LESS);
        c.d3d->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
        drawRect(c, 0, 0, 64, 64, 0.25f, 0xFFFF0000);
        c.d3d->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
        drawRect(c, 0, 0, 64, 64, 0.5f, 0xFF00FF00);
        c.expect(32, 32, 0x00FF00);
    });
}

void addDepthRange(zep::visual::CaseList& cases) {
    struct Range {
        const char* name;
        float minZ;
        bool drawn;  // a face at clip depth 0 lands at MinZ; the buffer holds 0.6
    };
    for (const Range& r :
         {Range{"0 to 1", 0.0f, true}, Range{"0.5 to 1", 0.5f, true}, Range{"0.7 to 1", 0.7f, false}}) {
        cases.add(std::string("viewport depth ") + r.name, [r](Context& c) {
            useDiffuse(c);
            c.d3d->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 0.6f, 0);
            depthTestOn(c, D3DCMP_LESS);
            const D3DVIEWPORT8 viewport{0, 0, 64, 64, r.minZ, 1.0f};
            if (!c.check(c.d3d->SetViewport(&viewport), "SetViewport")) return;
            // Untransformed, identity transforms: clip space is the screen.
            struct Vertex {
                float x, y, z;
                DWORD diffuse;
            };
            const std::vector<Vertex> quad = {{-1, 1, 0, 0xFFFFFFFF}, {1, 1, 0, 0xFFFFFFFF}, {-1, -1, 0, 0xFFFFFFFF},
                                              {1, -1, 0, 0xFFFFFFFF}};
            c.drawStrip(quad, D3DFVF_XYZ | D3DFVF_DIFFUSE);
            c.expect(32, 32, r.drawn ? 0xFFFFFF : 0x000000);
        });
    }
}

// ---- stencil ------------------------------------------------------------------------------

void addStencilOperations(zep::visual::CaseList& cases) {
    struct Op {
        const char* name;
        DWORD start;      // stencil after Clear
        DWORD func;       // stencil test of the first draw
        bool depthFails;  // the first draw is behind the cleared depth
        DWORD op;         // the operation that the outcome selects
        DWORD ref, writeMask;
        DWORD expected;   // stencil afterwards
    };
    const Op ops[] = {
        {"keep", 5, D3DCMP_ALWAYS, false, D3DSTENCILOP_KEEP, 9, 0xFF, 5},
        {"zero", 5, D3DCMP_ALWAYS, false, D3DSTENCILOP_ZERO, 9, 0xFF, 0},
        {"replace", 5, D3DCMP_ALWAYS, false, D3DSTENCILOP_REPLACE, 9, 0xFF, 9},
        {"incrsat", 5, D3DCMP_ALWAYS, false, D3DSTENCILOP_INCRSAT, 9, 0xFF, 6},
        {"incrsat saturates", 255, D3DCMP_ALWAYS, false, D3DSTENCILOP_INCRSAT, 9, 0xFF, 255},
        {"decrsat", 5, D3DCMP_ALWAYS, false, D3DSTENCILOP_DECRSAT, 9, 0xFF, 4},
        {"decrsat saturates", 0, D3DCMP_ALWAYS, false, D3DSTENCILOP_DECRSAT, 9, 0xFF, 0},
        {"invert", 5, D3DCMP_ALWAYS, false, D3DSTENCILOP_INVERT, 9, 0xFF, 250},
        {"incr wraps", 255, D3DCMP_ALWAYS, false, D3DSTENCILOP_INCR, 9, 0xFF, 0},
        {"decr wraps", 0, D3DCMP_ALWAYS, false, D3DSTENCILOP_DECR, 9, 0xFF, 255},
        {"fail op on a failed test", 5, D3DCMP_NEVER, false, D3DSTENCILOP_ZERO, 9, 0xFF, 0},
        {"zfail op on a failed depth test", 5, D3DCMP_ALWAYS, true, D3DSTENCILOP_INCR, 9, 0xFF, 6},
        {"test against the reference", 5, D3DCMP_LESS, false, D3DSTENCILOP_INCR, 4, 0xFF, 6},  // 4 < 5 passes
        {"write mask", 5, D3DCMP_ALWAYS, false, D3DSTENCILOP_REPLACE, 0xFA, 0x0F, 0x0A},
    };
    for (const Op& o : ops) {
        cases.add(std::string("stencil ") + o.name, [o](Context& c) {
            useDiffuse(c);
            c.d3d->Clear(0, nullptr, D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0, 0.5f, o.start);
            // First draw: colour writes off, only the stencil changes.
            c.d3d->SetRenderState(D3DRS_COLORWRITEENABLE, 0);
            depthTestOn(c, D3DCMP_LESS);
            c.d3d->SetRenderState(D3DRS_STENCILENABLE, TRUE);
            c.d3d->SetRenderState(D3DRS_STENCILFUNC, o.func);
            c.d3d->SetRenderState(D3DRS_STENCILREF, o.ref);
            c.d3d->SetRenderState(D3DRS_STENCILMASK, 0xFF);
            c.d3d->SetRenderState(D3DRS_STENCILWRITEMASK, o.writeMask);
            const DWORD keep = D3DSTENCILOP_KEEP;
            c.d3d->SetRenderState(D3DRS_STENCILFAIL, o.func == D3DCMP_NEVER ? o.op : keep);
            c.d3d->SetRenderState(D3DRS_STENCILZFAIL, o.depthFails ? o.op : keep);
            c.d3d->SetRenderState(D3DRS_STENCILPASS, o.func != D3DCMP_NEVER && !o.depthFails ? o.op : keep);
            drawRect(c, 0, 0, 64, 64, o.depthFails ? 0.75f : 0.25f, 0xFFFFFFFF);
            // Second draw: blue only where the stencil holds the expected value.
            c.d3d->SetRenderState(D3DRS_COLORWRITEENABLE, 0xF);
            c.d3d->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
            c.d3d->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_EQUAL);
            c.d3d->SetRenderState(D3DRS_STENCILREF, o.expected);
            c.d3d->SetRenderState(D3DRS_STENCILFAIL, keep);
            c.d3d->SetRenderState(D3DRS_STENCILZFAIL, keep);
            c.d3d->SetRenderState(D3DRS_STENCILPASS, keep);
            drawRect(c, 0, 0, 64, 64, 0.1f, 0xFF0000FF);
            c.expect(32, 32, 0x0000FF);
        });
    }
}

// The engine's stencil shadows: every shadow volume is drawn twice into the
// stencil only (colour kept by blending ZERO, ONE), front faces counting up
// and back faces down where they pass the depth test; then one screen quad
// darkens the pixels whose count is at least one.
void addShadowVolume(zep::visual::CaseList& cases) {
    cases.add("stencil shadow volume passes", [](Context& c) {
        struct Position {
            float x, y, z;
        };
        // Pixels to clip space with identity transforms.
        auto clip = [](float x, float y, float z) { return Position{x / 32.0f - 1.0f, 1.0f - y / 32.0f, z}; };
        // A closed volume over a screen rectangle: a front face (clockwise on
        // screen) at `nearZ`, a back face (counter-clockwise) at `farZ`.
        std::vector<Position> volumes;
        auto addVolume = [&](float x0, float y0, float x1, float y1, float nearZ, float farZ) {
            for (Position p : {clip(x0, y0, nearZ), clip(x1, y0, nearZ), clip(x0, y1, nearZ), clip(x1, y0, nearZ),
                               clip(x1, y1, nearZ), clip(x0, y1, nearZ), clip(x0, y0, farZ), clip(x0, y1, farZ),
                               clip(x1, y0, farZ), clip(x1, y0, farZ), clip(x0, y1, farZ), clip(x1, y1, farZ)})
                volumes.push_back(p);
        };
        addVolume(0, 0, 21, 64, 0.3f, 0.7f);    // the receiver (z 0.5) inside: shadowed
        addVolume(0, 32, 21, 64, 0.35f, 0.65f); // a second volume around it: count 2, still shadowed
        addVolume(21, 0, 43, 64, 0.2f, 0.4f);   // wholly in front of the receiver: counts cancel
        addVolume(43, 0, 64, 64, 0.6f, 0.8f);   // wholly behind it: nothing counts

        IDirect3DTexture8* shadowTexture = nullptr;
        if (!c.check(c.d3d->CreateTexture(16, 16, 1, 0, D3DFMT_A4R4G4B4, D3DPOOL_MANAGED, &shadowTexture),
                     "CreateTexture"))
            return;
        c.keep(shadowTexture);
        D3DLOCKED_RECT locked{};
        if (!c.check(shadowTexture->LockRect(0, &locked, nullptr, 0), "LockRect")) return;
        for (int y = 0; y < 16; ++y) std::memset(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch, 0xFF, 32);
        shadowTexture->UnlockRect(0);

        // The receiver: grey, depth 0.5.
        useDiffuse(c);
        depthTestOn(c, D3DCMP_LESSEQUAL);
        drawRect(c, 0, 0, 64, 64, 0.5f, 0xFF808080);

        // The volumes.
        c.d3d->SetVertexShader(D3DFVF_XYZ);
        c.d3d->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
        c.d3d->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_ALWAYS);
        c.d3d->SetTexture(0, shadowTexture);
        c.d3d->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
        c.d3d->SetRenderState(D3DRS_STENCILENABLE, TRUE);
        c.d3d->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT);
        c.d3d->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_ALWAYS);
        c.d3d->SetRenderState(D3DRS_STENCILZFAIL, D3DSTENCILOP_KEEP);
        c.d3d->SetRenderState(D3DRS_STENCILFAIL, D3DSTENCILOP_KEEP);
        c.d3d->SetRenderState(D3DRS_STENCILREF, 1);
        c.d3d->SetRenderState(D3DRS_STENCILMASK, 0xFFFFFFFF);
        c.d3d->SetRenderState(D3DRS_STENCILWRITEMASK, 0xFFFFFFFF);
        c.d3d->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_INCR);
        c.d3d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        c.d3d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ZERO);
        c.d3d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
        const UINT triangles = UINT(volumes.size() / 3);
        c.d3d->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
        c.check(c.d3d->DrawPrimitiveUP(D3DPT_TRIANGLELIST, triangles, volumes.data(), sizeof(Position)),
                "DrawPrimitiveUP");
        c.d3d->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
        c.d3d->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_DECR);
        c.check(c.d3d->DrawPrimitiveUP(D3DPT_TRIANGLELIST, triangles, volumes.data(), sizeof(Position)),
                "DrawPrimitiveUP");
        c.d3d->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_ZERO);

        // Darkening: half-transparent black where 1 <= stencil.
        c.d3d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        c.d3d->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
        c.d3d->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
        c.d3d->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
        c.d3d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        c.d3d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        c.d3d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
        c.d3d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        c.d3d->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
        c.d3d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
        c.d3d->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        c.d3d->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
        c.d3d->SetRenderState(D3DRS_STENCILREF, 1);
        c.d3d->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_LESSEQUAL);
        c.d3d->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_KEEP);
        struct QuadVertex {
            float x, y, z, rhw;
            DWORD diffuse;
        };
        const DWORD shadow = 0x80000000;
        const QuadVertex quad[4] = {{0, 64, 0, 1, shadow}, {0, 0, 0, 1, shadow}, {64, 64, 0, 1, shadow},
                                    {64, 0, 0, 1, shadow}};
        c.d3d->SetVertexShader(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
        c.check(c.d3d->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(QuadVertex)), "DrawPrimitiveUP");

        // 0x80 grey under half black: 0.502 * 0.498 = 0.25.
        c.expect(10, 16, 0x404040);
        c.expect(10, 48, 0x404040);
        c.expect(32, 32, 0x808080);
        c.expect(53, 32, 0x808080);
    });
}

// ---- colour writes and blending ---------------------------------------------------------------

void addColorWrites(zep::visual::CaseList& cases) {
    cases.add("colorwriteenable masks channels", [](Context& c) {
        useDiffuse(c);
        c.clear(0xFF800080);
        c.d3d->SetRenderState(D3DRS_COLORWRITEENABLE, D3DCOLORWRITEENABLE_GREEN);
        drawRect(c, 0, 0, 64, 64, 0.5f, 0xFF00FF00);
        c.expect(32, 32, 0x80FF80);
    });
}

// Source S = (a 0.251, r 0, g 0, b 1) onto destination D = (a 0.502, r 1,
// g 0, b 0): result = S * srcFactor (op) D * destFactor per channel, clamped.
// The left half shows the colour; on the right half a second pass turns the
// resulting alpha into grey (white times DESTALPHA).
void addBlending(zep::visual::CaseList& cases) {
    struct Blend {
        const char* name;
        DWORD src, dst, op;
        DWORD expected;  // ARGB
    };
    const Blend blends[] = {
        {"one zero", D3DBLEND_ONE, D3DBLEND_ZERO, D3DBLENDOP_ADD, 0x400000FF},
        {"zero one", D3DBLEND_ZERO, D3DBLEND_ONE, D3DBLENDOP_ADD, 0x80FF0000},
        {"one one", D3DBLEND_ONE, D3DBLEND_ONE, D3DBLENDOP_ADD, 0xBFFF00FF},
        {"srcalpha invsrcalpha", D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DBLENDOP_ADD, 0x70BF0040},
        {"invsrcalpha srcalpha", D3DBLEND_INVSRCALPHA, D3DBLEND_SRCALPHA, D3DBLENDOP_ADD, 0x504000BF},
        // r 1 * (1 - 0), b 1 * 1 + 0; a 0.251 * 0.251 + 0.502 * 0.749
        {"srccolor invsrccolor", D3DBLEND_SRCCOLOR, D3DBLEND_INVSRCCOLOR, D3DBLENDOP_ADD, 0x70FF00FF},
        // r 0 * 0 + 1 * 0, b 1 * 1 + 0 * 1; a 0.251 * 0.498 + 0.502 * 0.498
        {"invdestcolor invdestcolor", D3DBLEND_INVDESTCOLOR, D3DBLEND_INVDESTCOLOR, D3DBLENDOP_ADD, 0x600000FF},
        {"destalpha zero", D3DBLEND_DESTALPHA, D3DBLEND_ZERO, D3DBLENDOP_ADD, 0x20000080},
        {"invdestalpha one", D3DBLEND_INVDESTALPHA, D3DBLEND_ONE, D3DBLENDOP_ADD, 0x9FFF0080},
        {"zero srccolor", D3DBLEND_ZERO, D3DBLEND_SRCCOLOR, D3DBLENDOP_ADD, 0x20000000},
        {"zero invsrccolor", D3DBLEND_ZERO, D3DBLEND_INVSRCCOLOR, D3DBLENDOP_ADD, 0x60FF0000},
        {"destcolor one", D3DBLEND_DESTCOLOR, D3DBLEND_ONE, D3DBLENDOP_ADD, 0x9FFF0000},
        {"invdestcolor zero", D3DBLEND_INVDESTCOLOR, D3DBLEND_ZERO, D3DBLENDOP_ADD, 0x200000FF},
        {"srcalphasat one", D3DBLEND_SRCALPHASAT, D3DBLEND_ONE, D3DBLENDOP_ADD, 0xBFFF0040},
        // The BOTH factors set both sides; the destination factor is ignored.
        {"bothsrcalpha", D3DBLEND_BOTHSRCALPHA, D3DBLEND_ZERO, D3DBLENDOP_ADD, 0x70BF0040},
        {"bothinvsrcalpha", D3DBLEND_BOTHINVSRCALPHA, D3DBLEND_ZERO, D3DBLENDOP_ADD, 0x504000BF},
        {"subtract", D3DBLEND_ONE, D3DBLEND_ONE, D3DBLENDOP_SUBTRACT, 0x000000FF},
        {"revsubtract", D3DBLEND_ONE, D3DBLEND_ONE, D3DBLENDOP_REVSUBTRACT, 0x40FF0000},
        {"min", D3DBLEND_ONE, D3DBLEND_ONE, D3DBLENDOP_MIN, 0x40000000},
        {"max", D3DBLEND_ONE, D3DBLEND_ONE, D3DBLENDOP_MAX, 0x80FF00FF},
    };
    Options withAlpha;
    withAlpha.backBufferFormat = D3DFMT_A8R8G8B8;
    auto showAlphaOnTheRight = [](Context& c) {
        c.d3d->SetRenderState(D3DRS_BLENDOP, D3DBLENDOP_ADD);
        c.d3d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_DESTALPHA);
        c.d3d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ZERO);
        drawRect(c, 32, 0, 64, 64, 0.5f, 0xFFFFFFFF);
    };
    for (const Blend& b : blends) {
        cases.add(std::string("blend ") + b.name, withAlpha, [b, showAlphaOnTheRight](Context& c) {
            useDiffuse(c);
            c.clear(0x80FF0000);
            c.d3d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
            c.d3d->SetRenderState(D3DRS_SRCBLEND, b.src);
            c.d3d->SetRenderState(D3DRS_DESTBLEND, b.dst);
            c.d3d->SetRenderState(D3DRS_BLENDOP, b.op);
            drawRect(c, 0, 0, 64, 64, 0.5f, 0x400000FF);
            showAlphaOnTheRight(c);
            const DWORD alpha = b.expected >> 24;
            c.expect(16, 32, b.expected);
            c.expect(48, 32, (alpha << 16) | (alpha << 8) | alpha);
        });
    }
    cases.add("blend off writes the source", withAlpha, [showAlphaOnTheRight](Context& c) {
        useDiffuse(c);
        c.clear(0x80FF0000);
        c.d3d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ZERO);
        c.d3d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
        drawRect(c, 0, 0, 64, 64, 0.5f, 0x400000FF);
        c.d3d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        showAlphaOnTheRight(c);
        c.expect(16, 32, 0x0000FF);
        c.expect(48, 32, 0x404040);
    });
}

// ---- dithering, edge antialiasing, multisampling -----------------------------------------------

void addDither(zep::visual::CaseList& cases) {
    // Dithering only spreads the rounding error of colours the target cannot
    // hold; a colour it holds exactly comes out unchanged.
    struct Target {
        const char* name;
        D3DFORMAT format;
        DWORD color;
    };
    for (const Target& t :
         {Target{"x8r8g8b8", D3DFMT_X8R8G8B8, 0xFF804020}, Target{"r5g6b5", D3DFMT_R5G6B5, 0xFF840821}}) {
        Options options;
        options.backBufferFormat = t.format;
        cases.add(std::string("dither keeps exact colours ") + t.name, options, [t](Context& c) {
            useDiffuse(c);
            c.d3d->SetRenderState(D3DRS_DITHERENABLE, TRUE);
            drawRect(c, 0, 0, 64, 64, 0.5f, t.color);
            for (int y : {31, 32})
                for (int x : {31, 32}) c.expect(x, y, t.color);
        });
    }
}

void addEdgeAntialias(zep::visual::CaseList& cases) {
    // The engine leaves D3DRS_EDGEANTIALIAS on for all its drawing. Faces keep
    // their colour inside; a device without D3DPRASTERCAPS_ANTIALIASEDGES
    // draws lines as it would without the state, one full pixel per step.
    cases.add("edgeantialias keeps faces and lines", [](Context& c) {
        D3DCAPS8 caps{};
        if (!c.check(c.d3d->GetDeviceCaps(&caps), "GetDeviceCaps")) return;
        useDiffuse(c);
        c.d3d->SetRenderState(D3DRS_EDGEANTIALIAS, TRUE);
        drawRect(c, 4, 4, 30, 60, 0.5f, 0xFF00FF00);
        const std::vector<ScreenVertex> strip = {at(36.25f, 8.25f, 0.5f, 0xFFFFFFFF),
                                                 at(60.25f, 8.25f, 0.5f, 0xFFFFFFFF),
                                                 at(60.25f, 56.25f, 0.5f, 0xFFFFFFFF)};
        c.drawPrimitives(D3DPT_LINESTRIP, 2, strip, kScreenFvf);
        c.expect(16, 32, 0x00FF00);
        c.expect(48, 32, 0x000000);
        const bool antialiasedEdges = (caps.RasterCaps & D3DPRASTERCAPS_ANTIALIASEDGES) != 0;
        for (const POINT& p : {POINT{48, 8}, POINT{60, 32}}) {
            if (antialiasedEdges)
                c.probe(p.x, p.y);
            else
                c.expect(p.x, p.y, 0xFFFFFF);
        }
    });
}

void addMultisample(zep::visual::CaseList& cases) {
    struct Sampling {
        const char* name;
        D3DMULTISAMPLE_TYPE type;
        DWORD antialias;  // D3DRS_MULTISAMPLEANTIALIAS
        bool smooth;
    };
    const Sampling rows[] = {
        {"none", D3DMULTISAMPLE_NONE, TRUE, false},
        {"2 samples", D3DMULTISAMPLE_2_SAMPLES, TRUE, true},
        {"4 samples", D3DMULTISAMPLE_4_SAMPLES, TRUE, true},
        {"4 samples antialias off", D3DMULTISAMPLE_4_SAMPLES, FALSE, false},
    };
    for (const Sampling& s : rows) {
        Options options;
        options.multiSample = s.type;
        cases.add(std::string("multisample ") + s.name, options, [s](Context& c) {
            useDiffuse(c);
            c.d3d->SetRenderState(D3DRS_MULTISAMPLEANTIALIAS, s.antialias);
            // The lower-left half, cut by the diagonal through the pixel centres (i, i).
            c.drawPrimitives(D3DPT_TRIANGLELIST, 1,
                             std::vector<ScreenVertex>{at(0, 0, 0.5f, 0xFF00FF00), at(64, 64, 0.5f, 0xFF00FF00),
                                                       at(0, 64, 0.5f, 0xFF00FF00)},
                             kScreenFvf);
            c.expect(10, 50, 0x00FF00);
            c.expect(50, 10, 0x000000);
            for (int i = 8; i < 56; i += 8) {
                if (s.smooth) {
                    // Where the samples sit is the device's choice; any pattern
                    // with samples off the diagonal covers these pixels in part:
                    // green strictly between none and full.
                    c.expect(i, i, 0x008000, 0x7E);
                    c.probe(i, i);
                } else {
                    // Sampled at the centre only: the diagonal is the
                    // triangle's right edge, which the fill rule leaves out.
                    c.expect(i, i, 0x000000);
                }
            }
        });
    }
}

}  // namespace

ZEP_VISUAL_GROUP(raster) {
    addCulling(cases);
    addFillModes(cases);
    addShading(cases);
    addDepthFunctions(cases);
    addDepthWritesAndBias(cases);
    addDepthRange(cases);
    addStencilOperations(cases);
    addShadowVolume(cases);
    addColorWrites(cases);
    addBlending(cases);
    addDither(cases);
    addEdgeAntialias(cases);
    addMultisample(cases);
}
