// Draw calls and vertex processing through the public interface: where
// pre-transformed and transformed vertices land, the depth they write, the
// primitive types, indexed draws with a base vertex, streams and the UP
// calls' side effects.
#include "test_draw_support.h"

namespace {

using zep::test::colorNear;
using zep::test::floatBits;
using zep::test::identityMatrix;
using zep::test::Image;
using zep::test::ScreenVertex;
using zep::test::SceneVertex;
using zep::test::kScreenFvf;
using zep::test::kSceneFvf;
using zep::test::screenQuad;
using zep::test::sceneQuad;

constexpr DWORD kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF, kBlack = 0xFF000000;

class DrawGeometry : public zep::test::DrawTest {};

TEST_F(DrawGeometry, PretransformedPixelCentresAreOnIntegers) {
    // Edges at half pixels: Direct3D covers the pixels whose integer centres
    // lie inside, columns and rows 11..40 here.
    ASSERT_EQ(drawStrip(screenQuad(10.5f, 10.5f, 40.5f, 40.5f, 0.5f, kRed), kScreenFvf), D3D_OK);
    const Image image = read();
    EXPECT_TRUE(colorNear(image.at(25, 25), kRed));
    EXPECT_TRUE(colorNear(image.at(11, 25), kRed));
    EXPECT_TRUE(colorNear(image.at(40, 25), kRed));
    EXPECT_TRUE(colorNear(image.at(10, 25), kBlack));
    EXPECT_TRUE(colorNear(image.at(41, 25), kBlack));
    EXPECT_TRUE(colorNear(image.at(25, 11), kRed));
    EXPECT_TRUE(colorNear(image.at(25, 40), kRed));
    EXPECT_TRUE(colorNear(image.at(25, 10), kBlack));
    EXPECT_TRUE(colorNear(image.at(25, 41), kBlack));
}

TEST_F(DrawGeometry, PretransformedDepthIsWrittenAsGiven) {
    d3d->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    d3d->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
    ASSERT_EQ(drawStrip(screenQuad(0, 0, 64, 64, 0.5f, kRed), kScreenFvf), D3D_OK);
    drawStrip(screenQuad(0, 0, 32, 64, 0.6f, kGreen), kScreenFvf);  // behind: hidden
    drawStrip(screenQuad(32, 0, 64, 64, 0.4f, kBlue), kScreenFvf);  // in front: drawn
    const Image image = read();
    EXPECT_TRUE(colorNear(image.at(16, 32), kRed));
    EXPECT_TRUE(colorNear(image.at(48, 32), kBlue));
}

TEST_F(DrawGeometry, RhwGivesPerspectiveCorrectTextureCoordinates) {
    // Left edge rhw 1, right edge rhw 1/3: with perspective the coordinate
    // u = 0.5 lies three quarters across the span (s / 3 = (1 - s) / 2 ...
    // solved: s = 0.75, x = 16 + 36 = 52), not at its middle (x = 40).
    // A 2x1 texture: u < 0.5 red, else green.
    makeTexture(2, 1, {kRed, kGreen});
    samplePoint(0);
    d3d->SetTexture(0, textures.back());
    d3d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    std::vector<ScreenVertex> quad = screenQuad(16, 0, 64, 64, 0.5f, kBlack);
    quad[1].rhw = quad[3].rhw = 1.0f / 3.0f;
    ASSERT_EQ(drawStrip(quad, kScreenFvf), D3D_OK);
    const Image image = read();
    EXPECT_TRUE(colorNear(image.at(24, 32), kRed));
    EXPECT_TRUE(colorNear(image.at(46, 32), kRed));  // linear interpolation: u = 0.625, green
    EXPECT_TRUE(colorNear(image.at(58, 32), kGreen));
}

TEST_F(DrawGeometry, RowVectorTransformsWorldViewProjection) {
    // v' = v x World x View x Projection with translations in the fourth
    // row. The quad spans x -1..0; World moves it right by 0.5, View by 0.5
    // more, Projection scales x by 0.5: it ends up at x 0..0.5 (columns 32..47).
    D3DMATRIX world = identityMatrix(), view = identityMatrix(), projection = identityMatrix();
    world._41 = 0.5f;
    view._41 = 0.5f;
    projection._11 = 0.5f;
    projection._33 = 0.5f;
    d3d->SetTransform(D3DTS_WORLD, &world);
    d3d->SetTransform(D3DTS_VIEW, &view);
    d3d->SetTransform(D3DTS_PROJECTION, &projection);
    ASSERT_EQ(drawStrip(sceneQuad(-1, -1, 0, 1, 0.5f, kGreen), kSceneFvf), D3D_OK);
    const Image image = read();
    EXPECT_TRUE(colorNear(image.at(40, 20), kGreen));
    EXPECT_TRUE(colorNear(image.at(20, 20), kBlack));
    EXPECT_TRUE(colorNear(image.at(56, 20), kBlack));
}

TEST_F(DrawGeometry, PerspectiveProjectionKeepsDepthBetweenZeroAndOne) {
    // A left-handed perspective projection, near 1 and far 3: camera-space
    // z = 2 maps to depth (2 - 1) * 3/2 / 2 = 0.75.
    D3DMATRIX projection{};
    projection._11 = projection._22 = 1.0f;
    projection._33 = 3.0f / 2.0f;
    projection._34 = 1.0f;
    projection._43 = -1.0f * 3.0f / 2.0f;
    d3d->SetTransform(D3DTS_PROJECTION, &projection);
    d3d->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    d3d->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
    ASSERT_EQ(drawStrip(sceneQuad(-4, -4, 4, 4, 2.0f, kRed), kSceneFvf), D3D_OK);
    drawStrip(screenQuad(0, 0, 32, 64, 0.76f, kGreen), kScreenFvf);  // behind 0.75: hidden
    drawStrip(screenQuad(32, 0, 64, 64, 0.74f, kBlue), kScreenFvf);  // in front: drawn
    const Image image = read();
    EXPECT_TRUE(colorNear(image.at(16, 32), kRed));
    EXPECT_TRUE(colorNear(image.at(48, 32), kBlue));
}

TEST_F(DrawGeometry, ViewportDepthRangeMapsTransformedDepth) {
    // MinZ 0.5, MaxZ 1: projected z = 0 is written as depth 0.5.
    D3DVIEWPORT8 viewport{0, 0, 64, 64, 0.5f, 1.0f};
    d3d->SetViewport(&viewport);
    D3DMATRIX projection = identityMatrix();
    d3d->SetTransform(D3DTS_PROJECTION, &projection);
    d3d->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    d3d->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
    ASSERT_EQ(drawStrip(sceneQuad(-1, -1, 1, 1, 0.0f, kRed), kSceneFvf), D3D_OK);
    viewport.MinZ = 0.0f;
    d3d->SetViewport(&viewport);
    drawStrip(sceneQuad(-1, -1, 0, 1, 0.6f, kGreen), kSceneFvf);  // 0.6 behind 0.5: hidden
    drawStrip(sceneQuad(0, -1, 1, 1, 0.4f, kBlue), kSceneFvf);    // 0.4 in front: drawn
    const Image image = read();
    EXPECT_TRUE(colorNear(image.at(16, 32), kRed));
    EXPECT_TRUE(colorNear(image.at(48, 32), kBlue));
}

TEST_F(DrawGeometry, PrimitiveTypesAndCounts) {
    struct Case {
        const char* name;
        D3DPRIMITIVETYPE type;
        UINT count;
        std::vector<ScreenVertex> vertices;
        int litX, litY;      // a pixel the primitives cover
        int unlitX, unlitY;  // one that only a wrong count or type would cover
    };
    auto v = [](float x, float y) { return ScreenVertex{x, y, 0.5f, 1.0f, 0xFFFFFFFF, 0, 0, 0}; };
    const Case cases[] = {
        {"triangle list", D3DPT_TRIANGLELIST, 1, {v(0, 0), v(64, 0), v(0, 64), v(64, 0), v(64, 64), v(0, 64)}, 10, 10, 54, 54},
        {"triangle strip", D3DPT_TRIANGLESTRIP, 2, {v(0, 0), v(32, 0), v(0, 64), v(32, 64), v(64, 0)}, 16, 32, 36, 44},
        {"triangle fan", D3DPT_TRIANGLEFAN, 2, {v(32, 32), v(0, 0), v(64, 0), v(64, 64), v(0, 64)}, 50, 32, 32, 50},
        {"line list", D3DPT_LINELIST, 1, {v(0, 20), v(64, 20), v(0, 40), v(64, 40)}, 32, 20, 32, 40},
        {"line strip", D3DPT_LINESTRIP, 1, {v(0, 20), v(50, 20), v(50, 40)}, 25, 20, 50, 30},
        {"point list", D3DPT_POINTLIST, 1, {v(20, 20), v(40, 40)}, 20, 20, 40, 40},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        d3d->Clear(0, nullptr, D3DCLEAR_TARGET, kBlack, 1.0f, 0);
        d3d->SetVertexShader(kScreenFvf);
        ASSERT_EQ(d3d->DrawPrimitiveUP(c.type, c.count, c.vertices.data(), sizeof(ScreenVertex)), D3D_OK);
        const Image image = read();
        EXPECT_TRUE(colorNear(image.at(c.litX, c.litY), 0xFFFFFFFF));
        EXPECT_TRUE(colorNear(image.at(c.unlitX, c.unlitY), kBlack));
    }
}

TEST_F(DrawGeometry, FlatShadingTakesEachTrianglesFirstVertex) {
    // A strip of two triangles: the first takes vertex 0's red, the second
    // vertex 1's green; Gouraud shading blends all three colours instead.
    const std::vector<ScreenVertex> strip = {{0, 0, 0.5f, 1, kRed, 0, 0, 0},
                                             {64, 0, 0.5f, 1, kGreen, 0, 0, 0},
                                             {0, 64, 0.5f, 1, kBlue, 0, 0, 0},
                                             {64, 64, 0.5f, 1, kBlue, 0, 0, 0}};
    d3d->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT);
    ASSERT_EQ(drawStrip(strip, kScreenFvf), D3D_OK);
    Image image = read();
    EXPECT_TRUE(colorNear(image.at(12, 12), kRed));
    EXPECT_TRUE(colorNear(image.at(30, 8), kRed));
    EXPECT_TRUE(colorNear(image.at(52, 52), kGreen));
    EXPECT_TRUE(colorNear(image.at(56, 30), kGreen));
    d3d->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
    ASSERT_EQ(drawStrip(strip, kScreenFvf), D3D_OK);
    image = read();
    EXPECT_FALSE(colorNear(image.at(30, 8), kRed, 40));
}

TEST_F(DrawGeometry, IndexedDrawsReadIndicesFromTheBaseVertex) {
    // Eight vertices: a red quad on the left, a green one on the right.
    IDirect3DVertexBuffer8* vb = nullptr;
    ASSERT_EQ(d3d->CreateVertexBuffer(8 * sizeof(ScreenVertex), D3DUSAGE_WRITEONLY, kScreenFvf, D3DPOOL_MANAGED, &vb),
              D3D_OK);
    std::vector<ScreenVertex> vertices = screenQuad(0, 0, 32, 64, 0.5f, kRed);
    for (const ScreenVertex& v : screenQuad(32, 0, 64, 64, 0.5f, kGreen)) vertices.push_back(v);
    BYTE* data = nullptr;
    ASSERT_EQ(vb->Lock(0, 0, &data, 0), D3D_OK);
    std::memcpy(data, vertices.data(), vertices.size() * sizeof(ScreenVertex));
    vb->Unlock();
    IDirect3DIndexBuffer8* ib = nullptr;
    ASSERT_EQ(d3d->CreateIndexBuffer(12 * sizeof(WORD), D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED, &ib), D3D_OK);
    const WORD indices[12] = {9, 9, 9, 9, 9, 9, 0, 1, 2, 1, 3, 2};  // the first six are never drawn
    ASSERT_EQ(ib->Lock(0, 0, &data, 0), D3D_OK);
    std::memcpy(data, indices, sizeof indices);
    ib->Unlock();

    d3d->SetVertexShader(kScreenFvf);
    d3d->SetStreamSource(0, vb, sizeof(ScreenVertex));
    d3d->SetIndices(ib, 4);  // index i names vertex 4 + i: the green quad
    EXPECT_EQ(d3d->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 6, 2), D3D_OK);
    Image image = read();
    EXPECT_TRUE(colorNear(image.at(48, 32), kGreen));
    EXPECT_TRUE(colorNear(image.at(16, 32), kBlack));

    d3d->SetIndices(ib, 0);
    EXPECT_EQ(d3d->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 6, 2), D3D_OK);
    image = read();
    EXPECT_TRUE(colorNear(image.at(16, 32), kRed));

    // Indices past the end of the buffer are refused.
    EXPECT_EQ(d3d->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 8, 2), D3DERR_INVALIDCALL);

    d3d->SetStreamSource(0, nullptr, 0);
    d3d->SetIndices(nullptr, 0);
    vb->Release();
    ib->Release();
}

TEST_F(DrawGeometry, StreamStrideMayExceedTheVertexFormat) {
    struct Padded {
        ScreenVertex vertex;
        float extra[3];
    };
    IDirect3DVertexBuffer8* vb = nullptr;
    ASSERT_EQ(d3d->CreateVertexBuffer(4 * sizeof(Padded), 0, 0, D3DPOOL_MANAGED, &vb), D3D_OK);
    Padded* data = nullptr;
    ASSERT_EQ(vb->Lock(0, 0, reinterpret_cast<BYTE**>(&data), 0), D3D_OK);
    int i = 0;
    for (const ScreenVertex& v : screenQuad(0, 0, 64, 64, 0.5f, kBlue)) data[i++] = Padded{v, {-1.0f, -1.0f, -1.0f}};
    vb->Unlock();
    d3d->SetVertexShader(kScreenFvf);
    d3d->SetStreamSource(0, vb, sizeof(Padded));
    EXPECT_EQ(d3d->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
    EXPECT_TRUE(colorNear(read().at(32, 32), kBlue));
    d3d->SetStreamSource(0, nullptr, 0);
    vb->Release();
}

TEST_F(DrawGeometry, DeclarationsReadSeveralStreams) {
    // Positions in stream 0, colours in stream 1 (after a skipped DWORD),
    // drawn by the fixed-function pipeline through a declaration.
    const DWORD declaration[] = {D3DVSD_STREAM(0), D3DVSD_REG(D3DVSDE_POSITION, D3DVSDT_FLOAT3), D3DVSD_STREAM(1),
                                 D3DVSD_SKIP(1), D3DVSD_REG(D3DVSDE_DIFFUSE, D3DVSDT_D3DCOLOR), D3DVSD_END()};
    DWORD shader = 0;
    ASSERT_EQ(d3d->CreateVertexShader(declaration, nullptr, &shader, 0), D3D_OK);
    const float positions[4][3] = {{-1, 1, 0.5f}, {1, 1, 0.5f}, {-1, -1, 0.5f}, {1, -1, 0.5f}};
    const DWORD colors[4][2] = {{0, kGreen}, {0, kGreen}, {0, kGreen}, {0, kGreen}};
    IDirect3DVertexBuffer8* buffers[2] = {};
    ASSERT_EQ(d3d->CreateVertexBuffer(sizeof positions, 0, 0, D3DPOOL_MANAGED, &buffers[0]), D3D_OK);
    ASSERT_EQ(d3d->CreateVertexBuffer(sizeof colors, 0, 0, D3DPOOL_MANAGED, &buffers[1]), D3D_OK);
    BYTE* data = nullptr;
    ASSERT_EQ(buffers[0]->Lock(0, 0, &data, 0), D3D_OK);
    std::memcpy(data, positions, sizeof positions);
    buffers[0]->Unlock();
    ASSERT_EQ(buffers[1]->Lock(0, 0, &data, 0), D3D_OK);
    std::memcpy(data, colors, sizeof colors);
    buffers[1]->Unlock();
    d3d->SetVertexShader(shader);
    d3d->SetStreamSource(0, buffers[0], 12);
    d3d->SetStreamSource(1, buffers[1], 8);
    EXPECT_EQ(d3d->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
    EXPECT_TRUE(colorNear(read().at(32, 32), kGreen));
    d3d->SetStreamSource(1, nullptr, 0);  // a stream the declaration reads is missing
    EXPECT_EQ(d3d->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3DERR_INVALIDCALL);
    d3d->SetStreamSource(0, nullptr, 0);
    d3d->SetVertexShader(kScreenFvf);
    d3d->DeleteVertexShader(shader);
    buffers[0]->Release();
    buffers[1]->Release();
}

TEST_F(DrawGeometry, UpDrawsLeaveStreamZeroAndIndicesUnset) {
    IDirect3DVertexBuffer8* vb = nullptr;
    IDirect3DIndexBuffer8* ib = nullptr;
    ASSERT_EQ(d3d->CreateVertexBuffer(256, 0, 0, D3DPOOL_MANAGED, &vb), D3D_OK);
    ASSERT_EQ(d3d->CreateIndexBuffer(64, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &ib), D3D_OK);
    d3d->SetStreamSource(0, vb, sizeof(ScreenVertex));
    d3d->SetIndices(ib, 0);
    const std::vector<ScreenVertex> quad = screenQuad(0, 0, 64, 64, 0.5f, kRed);
    ASSERT_EQ(drawStrip(quad, kScreenFvf), D3D_OK);
    IDirect3DVertexBuffer8* boundVb = vb;
    UINT stride = 1;
    ASSERT_EQ(d3d->GetStreamSource(0, &boundVb, &stride), D3D_OK);
    EXPECT_EQ(boundVb, nullptr);
    IDirect3DIndexBuffer8* boundIb = nullptr;
    UINT base = 0;
    ASSERT_EQ(d3d->GetIndices(&boundIb, &base), D3D_OK);
    EXPECT_EQ(boundIb, ib);  // DrawPrimitiveUP leaves the indices alone
    if (boundIb) boundIb->Release();

    const WORD indices[6] = {0, 1, 2, 1, 3, 2};
    ASSERT_EQ(d3d->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, indices, D3DFMT_INDEX16, quad.data(),
                                          sizeof(ScreenVertex)),
              D3D_OK);
    ASSERT_EQ(d3d->GetIndices(&boundIb, &base), D3D_OK);
    EXPECT_EQ(boundIb, nullptr);
    vb->Release();
    ib->Release();
}

TEST_F(DrawGeometry, IndexedUpDrawsUseTheNamedVertexRange) {
    // Vertices 0..3 red, 4..7 green; 32-bit indices 4..7 with minimum 4.
    std::vector<ScreenVertex> vertices = screenQuad(0, 0, 64, 64, 0.5f, kRed);
    for (const ScreenVertex& v : screenQuad(0, 0, 64, 64, 0.5f, kGreen)) vertices.push_back(v);
    const DWORD indices[6] = {4, 5, 6, 5, 7, 6};
    d3d->SetVertexShader(kScreenFvf);
    ASSERT_EQ(d3d->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 4, 4, 2, indices, D3DFMT_INDEX32, vertices.data(),
                                          sizeof(ScreenVertex)),
              D3D_OK);
    EXPECT_TRUE(colorNear(read().at(32, 32), kGreen));
}

TEST_F(DrawGeometry, ManyUpDrawsStreamThroughTheRing) {
    // Batches of 30000 triangles (2.9 MB each, a stride that does not divide
    // the buffer) fill the streaming buffer several times over, so it grows
    // and starts over; every draw must still read its own data. All but the
    // last triangle of a batch lie off screen; the last covers the view in
    // the batch's colour.
    const DWORD colors[] = {kRed, kGreen, kBlue, kRed};
    std::vector<ScreenVertex> big;
    for (DWORD color : colors) {
        big.clear();
        for (int i = 0; i < 29999; ++i) {
            big.push_back({-200, -200, 0.5f, 1, kGreen, 0, 0, 0});
            big.push_back({-100, -200, 0.5f, 1, kGreen, 0, 0, 0});
            big.push_back({-200, -100, 0.5f, 1, kGreen, 0, 0, 0});
        }
        big.push_back({0, 0, 0.5f, 1, color, 0, 0, 0});
        big.push_back({200, 0, 0.5f, 1, color, 0, 0, 0});
        big.push_back({0, 200, 0.5f, 1, color, 0, 0, 0});
        d3d->SetVertexShader(kScreenFvf);
        ASSERT_EQ(d3d->DrawPrimitiveUP(D3DPT_TRIANGLELIST, UINT(big.size() / 3), big.data(), sizeof(ScreenVertex)),
                  D3D_OK);
        EXPECT_TRUE(colorNear(read().at(32, 32), color));
    }
    for (int i = 0; i < 50; ++i)
        ASSERT_EQ(drawStrip(screenQuad(0, 0, 64, 64, 0.5f, i % 2 ? kRed : kBlue), kScreenFvf), D3D_OK);
    EXPECT_TRUE(colorNear(read().at(32, 32), kRed));  // the last draw (i = 49)
}

TEST_F(DrawGeometry, InvalidDrawsAreRefused) {
    const std::vector<ScreenVertex> quad = screenQuad(0, 0, 64, 64, 0.5f, kRed);
    d3d->SetVertexShader(kScreenFvf);
    EXPECT_EQ(d3d->DrawPrimitiveUP(D3DPRIMITIVETYPE(7), 1, quad.data(), sizeof(ScreenVertex)), D3DERR_INVALIDCALL);
    EXPECT_EQ(d3d->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, nullptr, sizeof(ScreenVertex)), D3DERR_INVALIDCALL);
    d3d->SetStreamSource(0, nullptr, 0);
    EXPECT_EQ(d3d->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3DERR_INVALIDCALL);  // no stream
    d3d->SetIndices(nullptr, 0);
    EXPECT_EQ(d3d->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 3, 0, 1), D3DERR_INVALIDCALL);  // no indices
    if (d3d->SetVertexShader(D3DFVF_DIFFUSE) == D3D_OK) {  // no position, if the device takes the code at all
        EXPECT_EQ(d3d->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, quad.data(), sizeof(ScreenVertex)), D3DERR_INVALIDCALL);
    }
    EXPECT_TRUE(colorNear(read().at(32, 32), kBlack));
}

}  // namespace
