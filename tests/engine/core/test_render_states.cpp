// The render-state setters seen in the pixels they produce: vertex sources,
// fill, cull and depth modes, alpha test and blending, the texture-factor
// colour code, the frame blend modes; and the clipping switch's software
// vertex processing on devices that cannot clip pre-transformed vertices.

#include "engine_device_fixture.h"

#include <vector>

namespace {

using zep::test::areaNear;
using zep::test::countPixels;
using zep::test::EngineDeviceTest;
using zep::test::Image;
using zep::test::quad;
using zep::test::screenFillingQuad;
using zep::test::vertex;

constexpr float kHalfScreenAtDepthOne = 0.41421356f;  // tan(pi / 8) under the default projection

// Camera-space quad that covers the pixel rectangle px0..px1, py0..py1 at depth z.
std::vector<StaticVertex> quadOverPixels(float px0, float py0, float px1, float py1, float z, uint32_t color) {
    auto cameraX = [z](float px) { return (px / 32.0f - 1.0f) * z * kHalfScreenAtDepthOne; };
    auto cameraY = [z](float py) { return (1.0f - py / 32.0f) * z * kHalfScreenAtDepthOne; };
    return quad(cameraX(px0), cameraY(py1), cameraX(px1), cameraY(py0), z, color);
}

template <typename Vertex>
bool fillBuffer(IDirect3DVertexBuffer8* buffer, const std::vector<Vertex>& vertices) {
    BYTE* data = nullptr;
    if (FAILED(buffer->Lock(0, UINT(vertices.size() * sizeof(Vertex)), &data, 0))) return false;
    std::memcpy(data, vertices.data(), vertices.size() * sizeof(Vertex));
    return SUCCEEDED(buffer->Unlock());
}

class RenderStates : public EngineDeviceTest {};

}  // namespace

TEST_F(RenderStates, VertexSourceSwitchesDrawFromTheirPool) {
    zep::PoolBuffers& pools = zep::poolBuffers();
    ASSERT_TRUE(fillBuffer<StaticVertex>(pools.staticVertices, {vertex(-3, -3, 10, 0xFF00FF00),
                                                                vertex(0, 3, 10, 0xFF00FF00),
                                                                vertex(3, -3, 10, 0xFF00FF00)}));
    ASSERT_TRUE(fillBuffer<DynamicVertex>(pools.dynamicVertices, {{-3, -3, 10, 0xFF0000FF, 0, 0},
                                                                  {0, 3, 10, 0xFF0000FF, 0, 0},
                                                                  {3, -3, 10, 0xFF0000FF, 0, 0}}));
    ASSERT_TRUE(fillBuffer<LayerVertex>(pools.layerVertices, {{8, 56, 0.5f, 1, 0xFFFF0000, 0, 0},
                                                              {32, 8, 0.5f, 1, 0xFFFF0000, 0, 0},
                                                              {56, 56, 0.5f, 1, 0xFFFF0000, 0, 0}}));
    struct Case {
        const char* name;
        void(ZEPAPI* select)();
        int32_t kind;
        IDirect3DVertexBuffer8* pool;
        UINT stride;
        D3DCOLOR color;
    } cases[] = {
        {"static", SetLightObjRender, ZEP_SOURCE_STATIC, pools.staticVertices, 44, 0xFF00FF00},
        {"dynamic", SetDynamicBufferRender, ZEP_SOURCE_DYNAMIC, pools.dynamicVertices, 24, 0xFF0000FF},
        {"layer", SetLayerRender, ZEP_SOURCE_LAYER, pools.layerVertices, 28, 0xFFFF0000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        beginFrame(0xFF000000);
        c.select();
        EXPECT_EQ(ZEPengine.vertexSource, c.kind);
        IDirect3DVertexBuffer8* stream = nullptr;
        UINT stride = 0;
        d3d->GetStreamSource(0, &stream, &stride);
        EXPECT_EQ(stream, c.pool);
        EXPECT_EQ(stride, c.stride);
        if (stream) stream->Release();
        EXPECT_EQ(d3d->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3D_OK);
        EXPECT_TRUE(areaNear(endFrame(), 32, 40, c.color));
    }
}

TEST_F(RenderStates, StaticSourceAfterLinesRestoresTheColourOperation) {
    ZEPengine.vertexSource = ZEP_SOURCE_LINES;
    ZEPengine.colorOp = D3DTOP_ADD;
    d3d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    SetLightObjRender();
    EXPECT_EQ(stageState(0, D3DTSS_COLOROP), DWORD(D3DTOP_ADD));
    EXPECT_EQ(ZEPengine.vertexSource, ZEP_SOURCE_STATIC);
}

TEST_F(RenderStates, FillModeWireframeWinsOverPoints) {
    enum Fill { Solid, Wireframe, Points };
    const struct Case {
        int32_t flags;
        Fill fill;
    } cases[] = {{1, Solid}, {2, Wireframe}, {4, Points}, {6, Wireframe}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        beginFrame(0xFF000000);
        SetFillMode(c.flags);
        EXPECT_EQ(ZEPengine.fillFlags, c.flags);
        drawTriangles({vertex(-3, -3, 8, 0xFFFF0000), vertex(0, 3.2f, 8, 0xFFFF0000), vertex(3, -3, 8, 0xFFFF0000)});
        const Image image = endFrame();
        // A triangle 58 pixels wide and 60 high: about 1700 pixels filled,
        // under 200 on its outline, three vertex points.
        const int lit = countPixels(image, 0xFFFF0000);
        switch (c.fill) {
        case Solid:
            EXPECT_GT(lit, 1000);
            EXPECT_TRUE(areaNear(image, 32, 36, 0xFFFF0000));
            break;
        case Wireframe:
            EXPECT_GT(lit, 40);
            EXPECT_LT(lit, 300);
            EXPECT_TRUE(areaNear(image, 32, 36, 0xFF000000));
            break;
        case Points:
            EXPECT_GE(lit, 1);
            EXPECT_LE(lit, 12);
            break;
        }
    }
}

TEST_F(RenderStates, CullModesFollowDirect3DWinding) {
    // Left: clockwise on the screen (top, bottom right, bottom left).
    // Right: counter-clockwise (top, bottom left, bottom right).
    const std::vector<StaticVertex> triangles = {
        vertex(-2.0f, 2, 10, 0xFFFFFFFF), vertex(-0.5f, -2, 10, 0xFFFFFFFF), vertex(-3.5f, -2, 10, 0xFFFFFFFF),
        vertex(2.0f, 2, 10, 0xFFFFFFFF),  vertex(0.5f, -2, 10, 0xFFFFFFFF),  vertex(3.5f, -2, 10, 0xFFFFFFFF),
    };
    const struct Case {
        std::vector<int32_t> modes;
        bool clockwiseShown, counterClockwiseShown;
    } cases[] = {
        {{0}, true, true},
        {{1}, false, true},
        {{2}, true, false},
        {{1, 3}, false, true},  // 3 is no mode: the last one stays
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.modes.back());
        beginFrame(0xFF000000);
        for (int32_t mode : c.modes) grCullMode(mode);
        drawTriangles(triangles);
        D3DVECTOR left = {-2.0f, -0.67f, 10.0f}, right = {2.0f, -0.67f, 10.0f};
        ProjectPoint(&left);
        ProjectPoint(&right);
        const Image image = endFrame();
        EXPECT_TRUE(areaNear(image, int(left.x), int(left.y), c.clockwiseShown ? 0xFFFFFFFF : 0xFF000000));
        EXPECT_TRUE(areaNear(image, int(right.x), int(right.y), c.counterClockwiseShown ? 0xFFFFFFFF : 0xFF000000));
    }
}

TEST_F(RenderStates, DepthFunctionsCompareNearerEqualAndFartherDepths) {
    // A red wall at depth 10, then green columns nearer (5), at (10) and
    // beyond (20) it, drawn with the function under test.
    const struct Case {
        std::vector<uint32_t> functions;
        bool depthTest;
        bool nearer, equal, farther;
    } cases[] = {
        {{0}, true, false, false, false},  // never
        {{1}, true, true, false, false},   // less
        {{2}, true, false, true, false},   // equal
        {{3}, true, true, true, false},    // less or equal
        {{4}, true, false, false, true},   // greater
        {{6}, true, false, true, true},    // greater or equal
        {{7}, true, true, true, true},     // always
        {{1, 8}, true, true, false, false},  // 8 is no function: the last one stays
        {{0}, false, true, true, true},    // no depth test at all
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.functions.back());
        SCOPED_TRACE(c.depthTest ? "depth test on" : "depth test off");
        beginFrame(0xFF000000);
        grDepthBufferFunction(7);
        drawTriangles(screenFillingQuad(10, 0xFFFF0000));
        for (uint32_t function : c.functions) grDepthBufferFunction(function);
        grDepthBufferMode(c.depthTest ? 1 : 0);
        std::vector<StaticVertex> columns = quadOverPixels(2, 2, 20, 62, 5, 0xFF00FF00);
        for (const auto& q : {quadOverPixels(23, 2, 41, 62, 10, 0xFF00FF00), quadOverPixels(44, 2, 62, 62, 20, 0xFF00FF00)})
            columns.insert(columns.end(), q.begin(), q.end());
        drawTriangles(columns);
        const Image image = endFrame();
        EXPECT_TRUE(areaNear(image, 11, 32, c.nearer ? 0xFF00FF00 : 0xFFFF0000)) << "nearer";
        EXPECT_TRUE(areaNear(image, 32, 32, c.equal ? 0xFF00FF00 : 0xFFFF0000)) << "equal";
        EXPECT_TRUE(areaNear(image, 53, 32, c.farther ? 0xFF00FF00 : 0xFFFF0000)) << "farther";
    }
}

TEST_F(RenderStates, AlphaBlendModeTestsBlendsOrDrawsOpaque) {
    // Red at a quarter alpha over blue.
    const struct Case {
        const char* name;
        int32_t operation, reference;
        uint32_t ambient;
        D3DCOLOR expected;
    } cases[] = {
        {"reference above the alpha rejects", D3DTOP_MODULATE, 0x80, 0xFF000000, 0xFF0000FF},
        {"reference below the alpha blends", D3DTOP_MODULATE, 0x20, 0xFF000000, 0xFF4000BF},
        {"reference -1 draws opaque", D3DTOP_MODULATE, -1, 0xFF000000, 0xFFFF0000},
        {"alpha from the texture factor", ZEP_OP_TEXTURE_FACTOR, 0x60, 0x80000000, 0xFF80007F},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        beginFrame(0xFF0000FF);
        SetAmbientColor(c.ambient);
        SetAlphaBlendMode(c.operation, c.reference);
        EXPECT_EQ(ZEPengine.alphaOp, c.operation);
        EXPECT_EQ(ZEPengine.alphaRef, c.reference);
        drawTriangles(screenFillingQuad(10, 0x40FF0000));
        if (c.reference == -1) {
            EXPECT_EQ(renderState(D3DRS_ALPHAREF), 0u);
            EXPECT_EQ(renderState(D3DRS_ALPHATESTENABLE), DWORD(FALSE));
            EXPECT_EQ(renderState(D3DRS_ALPHABLENDENABLE), DWORD(FALSE));
        }
        EXPECT_TRUE(areaNear(endFrame(), 32, 32, c.expected));
    }
}

TEST_F(RenderStates, TextureFactorColourKeepsItsArgumentUntilTheNextFrame) {
    // Cyan vertices, yellow ambient colour (the texture factor).
    beginFrame(0xFF000000);
    SetAmbientColor(0xFFFFFF00);
    SetBlendMode(ZEP_OP_TEXTURE_FACTOR);
    EXPECT_EQ(ZEPengine.colorOp, ZEP_OP_TEXTURE_FACTOR);
    drawTriangles(quad(-4, -4, -0.5f, 4, 10, 0xFF00FFFF));
    SetBlendMode(D3DTOP_MODULATE);  // modulates the factor now, not the texture
    drawTriangles(quad(0.5f, -4, 4, 4, 10, 0xFF00FFFF));
    Image image = endFrame();
    EXPECT_TRUE(areaNear(image, 16, 32, 0xFFFFFF00));
    EXPECT_TRUE(areaNear(image, 48, 32, 0xFF00FF00));

    beginFrame(0xFF000000);
    SetBlendMode(D3DTOP_MODULATE);
    drawTriangles(quad(0.5f, -4, 4, 4, 10, 0xFF00FFFF));
    EXPECT_TRUE(areaNear(endFrame(), 48, 32, 0xFF00FFFF));
}

TEST_F(RenderStates, FrameBlendModes) {
    // Red at a quarter alpha over green.
    const struct Case {
        std::vector<uint32_t> modes;
        D3DCOLOR expected;
    } cases[] = {
        {{0}, 0xFF00FF00},     // zero, one: the frame unchanged
        {{1}, 0xFF40BF00},     // source alpha, inverse source alpha
        {{2}, 0xFFFFFF00},     // source colour, inverse source colour
        {{3}, 0xFFFF0000},     // inverse destination colour on both sides
        {{4}, 0xFFBF4000},     // inverse source alpha, source alpha
        {{2, 5}, 0xFFFFFF00},  // 5 is no mode: the last one stays
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.modes.back());
        beginFrame(0xFF00FF00);
        SetAlphaBlendMode(D3DTOP_MODULATE, 0);
        for (uint32_t mode : c.modes) SetFrameBlendMode(mode);
        drawTriangles(screenFillingQuad(10, 0x40FF0000));
        EXPECT_TRUE(areaNear(endFrame(), 32, 32, c.expected));
    }
}

TEST_F(RenderStates, PolyClipSwitchesSoftwareVertexProcessingOnlyWithoutTransformedClipping) {
    auto streamIsStaticPool = [this] {
        IDirect3DVertexBuffer8* stream = nullptr;
        UINT stride = 0;
        d3d->GetStreamSource(0, &stream, &stride);
        if (stream) stream->Release();
        return stream == zep::poolBuffers().staticVertices && stream != nullptr;
    };
    ZEPengine.vertexSource = ZEP_SOURCE_STATIC;
    ZEPengine.softwareClip = 1;

    zep::graphics().lacksTransformedClipping = false;
    SetPolyClip();
    EXPECT_EQ(renderState(D3DRS_SOFTWAREVERTEXPROCESSING), DWORD(FALSE));
    EXPECT_EQ(renderState(D3DRS_CLIPPING), DWORD(TRUE));

    zep::graphics().lacksTransformedClipping = true;
    d3d->SetStreamSource(0, nullptr, 0);
    SetPolyClip();
    EXPECT_EQ(renderState(D3DRS_SOFTWAREVERTEXPROCESSING), DWORD(TRUE));
    EXPECT_TRUE(zep::graphics().engineTurnedSoftwareOn);
    EXPECT_TRUE(streamIsStaticPool()) << "the current states are applied again";

    ZEPengine.softwareClip = 0;
    SetPolyClip();
    EXPECT_EQ(renderState(D3DRS_SOFTWAREVERTEXPROCESSING), DWORD(FALSE));
    EXPECT_FALSE(zep::graphics().engineTurnedSoftwareOn);

    ZEPengine.softwareClip = 1;
    SetPolyClip();
    SetPolyNoClip();
    EXPECT_EQ(renderState(D3DRS_SOFTWAREVERTEXPROCESSING), DWORD(FALSE));
    EXPECT_FALSE(zep::graphics().engineTurnedSoftwareOn);
    EXPECT_EQ(renderState(D3DRS_CLIPPING), DWORD(FALSE));
}
