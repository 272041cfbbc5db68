// Rasteriser states through real draws: culling by Direct3D's winding, fill
// modes, depth functions and bias, stencil operations, blend factors and
// colour writes. Pre-transformed vertices put every shape exactly where the
// table says, in pixels.

#include "d3d_test_device.h"

#include <gtest/gtest.h>


namespace {

using zep::test::colorNear;
using zep::test::D3DTestDevice;
using zep::test::Image;

struct ScreenVertex {
    float x, y, z, rhw;
    D3DCOLOR diffuse;
};
constexpr DWORD kScreenFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE;

// The diffuse colour straight through stage 0, no lighting.
void useDiffuseOnly(IDirect3DDevice8* device) {
    device->SetVertexShader(kScreenFvf);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
}

// A rectangle as two triangles wound clockwise on screen (Direct3D's front
// faces), or counter-clockwise when `clockwise` is false.
HRESULT drawRect(IDirect3DDevice8* device, float x0, float y0, float x1, float y1, float z, D3DCOLOR color,
                 bool clockwise = true) {
    ScreenVertex v[6] = {{x0, y0, z, 1, color}, {x1, y0, z, 1, color}, {x0, y1, z, 1, color},
                         {x1, y0, z, 1, color}, {x1, y1, z, 1, color}, {x0, y1, z, 1, color}};
    if (!clockwise) {
        std::swap(v[1], v[2]);
        std::swap(v[4], v[5]);
    }
    return device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, v, sizeof(ScreenVertex));
}

class D3D8Raster : public ::testing::Test {
protected:
    void SetUp() override {
        if (!d.ok()) GTEST_SKIP() << d.failure();
        useDiffuseOnly(d.device());
    }
    D3DCOLOR centre() { return d.readBackBuffer().at(32, 32); }
    D3DTestDevice d;
};

TEST_F(D3D8Raster, CullingFollowsDirect3DWinding) {
    struct Case {
        DWORD cullMode;
        bool clockwise;
        bool drawn;
    };
    const Case cases[] = {
        {D3DCULL_NONE, true, true}, {D3DCULL_NONE, false, true}, {D3DCULL_CCW, true, true},
        {D3DCULL_CCW, false, false}, {D3DCULL_CW, true, false},  {D3DCULL_CW, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "cull " << c.cullMode << (c.clockwise ? " clockwise" : " counter-clockwise"));
        d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        d->SetRenderState(D3DRS_CULLMODE, c.cullMode);
        ASSERT_EQ(drawRect(d.device(), 8, 8, 56, 56, 0.5f, 0xFF00FF00, c.clockwise), D3D_OK);
        EXPECT_TRUE(colorNear(centre(), c.drawn ? 0xFF00FF00 : 0xFF000000, 2));
    }
}

TEST_F(D3D8Raster, FillModesDrawFacesEdgesOrVertices) {
    struct Case {
        DWORD fill;
        int minPixels, maxPixels;
    };
    // A 48 x 48 square: 2304 pixels filled, its outline and diagonal a few
    // hundred, its four corners a handful.
    const Case cases[] = {{D3DFILL_SOLID, 2200, 2400}, {D3DFILL_WIREFRAME, 100, 500}, {D3DFILL_POINT, 1, 24}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fill);
        d->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
        d->SetRenderState(D3DRS_FILLMODE, c.fill);
        ASSERT_EQ(drawRect(d.device(), 8, 8, 56, 56, 0.5f, 0xFF00FF00), D3D_OK);
        const Image image = d.readBackBuffer();
        int green = 0;
        for (D3DCOLOR pixel : image.pixels) green += colorNear(pixel, 0xFF00FF00, 2) ? 1 : 0;
        EXPECT_GE(green, c.minPixels);
        EXPECT_LE(green, c.maxPixels);
        if (c.fill != D3DFILL_SOLID) {
            EXPECT_TRUE(colorNear(image.at(32, 20), 0xFF000000, 2));
        }
    }
}

TEST_F(D3D8Raster, DepthFunctionsCompareWithTheStoredDepth) {
    struct Case {
        DWORD func;
        bool passLess, passEqual, passGreater;  // new depth below, at, above the stored 0.5
    };
    const Case cases[] = {
        {D3DCMP_NEVER, false, false, false},   {D3DCMP_LESS, true, false, false},
        {D3DCMP_EQUAL, false, true, false},    {D3DCMP_LESSEQUAL, true, true, false},
        {D3DCMP_GREATER, false, false, true},  {D3DCMP_NOTEQUAL, true, false, true},
        {D3DCMP_GREATEREQUAL, false, true, true}, {D3DCMP_ALWAYS, true, true, true},
    };
    for (const Case& c : cases) {
        const float depths[3] = {0.25f, 0.5f, 0.75f};
        const bool expected[3] = {c.passLess, c.passEqual, c.passGreater};
        for (int i = 0; i < 3; ++i) {
            SCOPED_TRACE(::testing::Message() << "func " << c.func << " depth " << depths[i]);
            d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 0.5f, 0);
            d->SetRenderState(D3DRS_ZFUNC, c.func);
            ASSERT_EQ(drawRect(d.device(), 0, 0, 64, 64, depths[i], 0xFF0000FF), D3D_OK);
            EXPECT_TRUE(colorNear(centre(), expected[i] ? 0xFF0000FF : 0xFF000000, 2));
        }
    }
}

TEST_F(D3D8Raster, DepthEnableWriteAndBias) {
    struct Case {
        const char* what;
        DWORD zenable, zwrite, zbias;  // for the second rectangle
        float firstZ, secondZ;
        D3DCOLOR expected;
    };
    // The first rectangle (red) writes depth; the second (green) tests LESS.
    const Case cases[] = {
        {"farther loses", D3DZB_TRUE, TRUE, 0, 0.5f, 0.75f, 0xFFFF0000},
        {"nearer wins", D3DZB_TRUE, TRUE, 0, 0.5f, 0.25f, 0xFF00FF00},
        {"coplanar loses without bias", D3DZB_TRUE, TRUE, 0, 0.5f, 0.5f, 0xFFFF0000},
        {"coplanar wins with bias", D3DZB_TRUE, TRUE, 1, 0.5f, 0.5f, 0xFF00FF00},
        {"coplanar wins with the largest bias", D3DZB_TRUE, TRUE, 16, 0.5f, 0.5f, 0xFF00FF00},
        {"no depth test", D3DZB_FALSE, TRUE, 0, 0.5f, 0.75f, 0xFF00FF00},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        d->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
        d->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
        d->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
        d->SetRenderState(D3DRS_ZBIAS, 0);
        ASSERT_EQ(drawRect(d.device(), 0, 0, 64, 64, c.firstZ, 0xFFFF0000), D3D_OK);
        d->SetRenderState(D3DRS_ZENABLE, c.zenable);
        d->SetRenderState(D3DRS_ZWRITEENABLE, c.zwrite);
        d->SetRenderState(D3DRS_ZBIAS, c.zbias);
        ASSERT_EQ(drawRect(d.device(), 0, 0, 64, 64, c.secondZ, 0xFF00FF00), D3D_OK);
        EXPECT_TRUE(colorNear(centre(), c.expected, 2));
    }
    // Without depth writes a nearer face leaves the depth as it was.
    d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    d->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    d->SetRenderState(D3DRS_ZBIAS, 0);
    d->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    drawRect(d.device(), 0, 0, 64, 64, 0.25f, 0xFFFF0000);
    d->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    drawRect(d.device(), 0, 0, 64, 64, 0.5f, 0xFF00FF00);
    EXPECT_TRUE(colorNear(centre(), 0xFF00FF00, 2));
}

TEST_F(D3D8Raster, StencilOperationsWriteTheDocumentedValues) {
    struct Case {
        const char* what;
        DWORD start;        // stencil after Clear
        DWORD func;         // stencil test of the first draw
        bool depthFails;    // the first draw is behind the cleared depth
        DWORD op;           // the operation that the outcome selects
        DWORD ref, writeMask;
        DWORD expected;     // stencil afterwards
    };
    const Case cases[] = {
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
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0xFF000000, 0.5f, c.start);
        // First draw: colour writes off, only the stencil changes.
        d->SetRenderState(D3DRS_COLORWRITEENABLE, 0);
        d->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
        d->SetRenderState(D3DRS_STENCILENABLE, TRUE);
        d->SetRenderState(D3DRS_STENCILFUNC, c.func);
        d->SetRenderState(D3DRS_STENCILREF, c.ref);
        d->SetRenderState(D3DRS_STENCILMASK, 0xFF);
        d->SetRenderState(D3DRS_STENCILWRITEMASK, c.writeMask);
        const DWORD keep = D3DSTENCILOP_KEEP;
        d->SetRenderState(D3DRS_STENCILFAIL, c.func == D3DCMP_NEVER ? c.op : keep);
        d->SetRenderState(D3DRS_STENCILZFAIL, c.depthFails ? c.op : keep);
        d->SetRenderState(D3DRS_STENCILPASS, c.func != D3DCMP_NEVER && !c.depthFails ? c.op : keep);
        ASSERT_EQ(drawRect(d.device(), 0, 0, 64, 64, c.depthFails ? 0.75f : 0.25f, 0xFFFFFFFF), D3D_OK);
        // Second draw: colour only where the stencil equals the expected value.
        d->SetRenderState(D3DRS_COLORWRITEENABLE, 0xF);
        d->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
        d->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_EQUAL);
        d->SetRenderState(D3DRS_STENCILREF, c.expected);
        d->SetRenderState(D3DRS_STENCILFAIL, D3DSTENCILOP_KEEP);
        d->SetRenderState(D3DRS_STENCILZFAIL, D3DSTENCILOP_KEEP);
        d->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_KEEP);
        ASSERT_EQ(drawRect(d.device(), 0, 0, 64, 64, 0.1f, 0xFF0000FF), D3D_OK);
        d->SetRenderState(D3DRS_STENCILENABLE, FALSE);
        EXPECT_TRUE(colorNear(centre(), 0xFF0000FF, 2));
    }
}

TEST_F(D3D8Raster, ColorWriteEnableMasksChannels) {
    d->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    d->SetRenderState(D3DRS_COLORWRITEENABLE, D3DCOLORWRITEENABLE_GREEN);
    drawRect(d.device(), 0, 0, 64, 64, 0.5f, 0xFFFFFFFF);
    d->SetRenderState(D3DRS_COLORWRITEENABLE, 0xF);
    EXPECT_TRUE(colorNear(centre(), 0xFF00FF00, 2));
}

// Blending needs destination alpha, so these draw into an A8R8G8B8 target.
TEST(D3D8Blend, FactorsAndOperationsFollowTheFormulas) {
    D3DTestDevice d({.backBufferFormat = D3DFMT_A8R8G8B8});
    ZEP_REQUIRE_D3D_DEVICE(d);
    useDiffuseOnly(d.device());
    // Source S = (a .25, r 0, g 0, b 1) onto destination D = (a .5, r 1, g 0, b 0):
    // result = S * srcFactor (op) D * destFactor, per channel, clamped to 0..1.
    const D3DCOLOR source = 0x400000FF, destination = 0x80FF0000;
    struct Case {
        const char* what;
        DWORD src, dst, op;
        D3DCOLOR expected;
    };
    const Case cases[] = {
        {"one, zero", D3DBLEND_ONE, D3DBLEND_ZERO, D3DBLENDOP_ADD, 0x400000FF},
        {"zero, one", D3DBLEND_ZERO, D3DBLEND_ONE, D3DBLENDOP_ADD, 0x80FF0000},
        {"one, one", D3DBLEND_ONE, D3DBLEND_ONE, D3DBLENDOP_ADD, 0xBFFF00FF},
        {"srcalpha, invsrcalpha", D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DBLENDOP_ADD, 0x70BF0040},
        {"invsrcalpha, srcalpha", D3DBLEND_INVSRCALPHA, D3DBLEND_SRCALPHA, D3DBLENDOP_ADD, 0x504000BF},
        {"destalpha, zero", D3DBLEND_DESTALPHA, D3DBLEND_ZERO, D3DBLENDOP_ADD, 0x20000080},
        {"invdestalpha, one", D3DBLEND_INVDESTALPHA, D3DBLEND_ONE, D3DBLENDOP_ADD, 0x9FFF0080},
        {"zero, srccolor", D3DBLEND_ZERO, D3DBLEND_SRCCOLOR, D3DBLENDOP_ADD, 0x20000000},
        {"zero, invsrccolor", D3DBLEND_ZERO, D3DBLEND_INVSRCCOLOR, D3DBLENDOP_ADD, 0x60FF0000},
        {"destcolor, one", D3DBLEND_DESTCOLOR, D3DBLEND_ONE, D3DBLENDOP_ADD, 0x9FFF0000},
        {"invdestcolor, zero", D3DBLEND_INVDESTCOLOR, D3DBLEND_ZERO, D3DBLENDOP_ADD, 0x200000FF},
        {"srcalphasat, one", D3DBLEND_SRCALPHASAT, D3DBLEND_ONE, D3DBLENDOP_ADD, 0xBFFF0040},
        // The BOTH factors set both sides; the destination factor is ignored.
        {"bothsrcalpha", D3DBLEND_BOTHSRCALPHA, D3DBLEND_ZERO, D3DBLENDOP_ADD, 0x70BF0040},
        {"bothinvsrcalpha", D3DBLEND_BOTHINVSRCALPHA, D3DBLEND_ZERO, D3DBLENDOP_ADD, 0x504000BF},
        {"subtract", D3DBLEND_ONE, D3DBLEND_ONE, D3DBLENDOP_SUBTRACT, 0x000000FF},
        {"revsubtract", D3DBLEND_ONE, D3DBLEND_ONE, D3DBLENDOP_REVSUBTRACT, 0x40FF0000},
        {"min", D3DBLEND_ONE, D3DBLEND_ONE, D3DBLENDOP_MIN, 0x40000000},
        {"max", D3DBLEND_ONE, D3DBLEND_ONE, D3DBLENDOP_MAX, 0x80FF00FF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        d->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
        d->Clear(0, nullptr, D3DCLEAR_TARGET, destination, 1.0f, 0);
        d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        d->SetRenderState(D3DRS_SRCBLEND, c.src);
        d->SetRenderState(D3DRS_DESTBLEND, c.dst);
        d->SetRenderState(D3DRS_BLENDOP, c.op);
        ASSERT_EQ(drawRect(d.device(), 0, 0, 64, 64, 0.5f, source), D3D_OK);
        EXPECT_TRUE(colorNear(d.readBackBuffer().at(32, 32), c.expected, 3));
    }
    // Blending off writes the source as it is.
    d->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    d->Clear(0, nullptr, D3DCLEAR_TARGET, destination, 1.0f, 0);
    drawRect(d.device(), 0, 0, 64, 64, 0.5f, source);
    EXPECT_TRUE(colorNear(d.readBackBuffer().at(32, 32), source, 2));
}

}  // namespace

namespace {

// Pixels along a diagonal edge that are neither background nor fill.
int blendedEdgePixels(const zep::test::Image& image) {
    int blended = 0;
    for (D3DCOLOR pixel : image.pixels)
        if (!colorNear(pixel, 0xFF000000, 8) && !colorNear(pixel, 0xFF00FF00, 8)) ++blended;
    return blended;
}

zep::test::Image presentedImage(D3DTestDevice& d) {
    zep::test::Image image;
    IDirect3DSurface8* front = nullptr;
    if (FAILED(d->CreateImageSurface(64, 64, D3DFMT_A8R8G8B8, &front))) return image;
    if (SUCCEEDED(d->GetFrontBuffer(front))) image = d.readSurface(front);
    front->Release();
    return image;
}

TEST(D3D8Multisample, EdgesAreSmoothedOnlyWhenAsked) {
    struct Case {
        D3DMULTISAMPLE_TYPE type;
        DWORD antialias;  // D3DRS_MULTISAMPLEANTIALIAS
        bool smooth;
    };
    const Case cases[] = {
        {D3DMULTISAMPLE_NONE, TRUE, false},
        {D3DMULTISAMPLE_4_SAMPLES, TRUE, true},
        {D3DMULTISAMPLE_2_SAMPLES, TRUE, true},
        {D3DMULTISAMPLE_4_SAMPLES, FALSE, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.type << " samples, antialias " << c.antialias);
        D3DTestDevice d({.multiSample = c.type});
        ZEP_REQUIRE_D3D_DEVICE(d);
        useDiffuseOnly(d.device());
        d->SetRenderState(D3DRS_MULTISAMPLEANTIALIAS, c.antialias);
        d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        // The lower-left half, cut by the diagonal.
        const ScreenVertex half[3] = {{0, 0, 0.5f, 1, 0xFF00FF00}, {64, 64, 0.5f, 1, 0xFF00FF00},
                                      {0, 64, 0.5f, 1, 0xFF00FF00}};
        ASSERT_EQ(d->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, half, sizeof(ScreenVertex)), D3D_OK);
        ASSERT_EQ(d->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
        const zep::test::Image image = presentedImage(d);
        ASSERT_EQ(image.width, 64u);
        EXPECT_TRUE(colorNear(image.at(10, 50), 0xFF00FF00, 2));
        EXPECT_TRUE(colorNear(image.at(50, 10), 0xFF000000, 2));
        if (c.smooth) {
            EXPECT_GT(blendedEdgePixels(image), 30);
        } else {
            EXPECT_EQ(blendedEdgePixels(image), 0);
        }
        // A multisampled back buffer is never locked.
        if (c.type != D3DMULTISAMPLE_NONE) {
            IDirect3DSurface8* back = nullptr;
            d->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back);
            D3DLOCKED_RECT locked{};
            EXPECT_EQ(back->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3DERR_INVALIDCALL);
            back->Release();
            IDirect3DSurface8* target = nullptr;
            EXPECT_EQ(d->CreateRenderTarget(16, 16, D3DFMT_X8R8G8B8, c.type, TRUE, &target), D3DERR_INVALIDCALL);
        }
    }
}

}  // namespace

namespace {

TEST(D3D8Viewport, DepthRangeMapsTransformedDepth) {
    struct Case {
        float minZ, maxZ;
        bool drawn;  // a face at clip depth 0 lands at MinZ; the buffer holds 0.6
    };
    const Case cases[] = {{0.0f, 1.0f, true}, {0.5f, 1.0f, true}, {0.7f, 1.0f, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.minZ);
        D3DTestDevice d;
        ZEP_REQUIRE_D3D_DEVICE(d);
        d->SetVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE);
        d->SetRenderState(D3DRS_LIGHTING, FALSE);
        d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
        d->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
        d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 0.6f, 0);
        const D3DVIEWPORT8 vp{0, 0, 64, 64, c.minZ, c.maxZ};
        ASSERT_EQ(d->SetViewport(&vp), D3D_OK);
        struct Vertex {
            float x, y, z;
            D3DCOLOR color;
        };
        const Vertex quad[4] = {{-1, 1, 0, 0xFFFFFFFF}, {1, 1, 0, 0xFFFFFFFF}, {-1, -1, 0, 0xFFFFFFFF},
                                {1, -1, 0, 0xFFFFFFFF}};
        d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        ASSERT_EQ(d->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(Vertex)), D3D_OK);
        EXPECT_TRUE(colorNear(d.readBackBuffer().at(32, 32), c.drawn ? 0xFFFFFFFF : 0xFF000000, 2));
    }
}

}  // namespace
