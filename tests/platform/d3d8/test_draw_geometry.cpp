// Draw calls through the public interface, their return codes and side
// effects: refused draws, indices past the end of their buffer, a stream a
// declaration reads but nobody set, and what the UP calls unbind. Where the
// draws land is checked by the visual cases (tests/visual/cases/geometry.cpp).
#include "test_draw_support.h"

namespace {

using zep::test::ScreenVertex;
using zep::test::kScreenFvf;
using zep::test::screenQuad;

constexpr DWORD kRed = 0xFFFF0000;

class DrawGeometry : public zep::test::DrawTest {};

TEST_F(DrawGeometry, IndexedDrawsRefuseIndicesPastTheEnd) {
    IDirect3DVertexBuffer8* vb = nullptr;
    ASSERT_EQ(d3d->CreateVertexBuffer(8 * sizeof(ScreenVertex), D3DUSAGE_WRITEONLY, kScreenFvf, D3DPOOL_MANAGED, &vb),
              D3D_OK);
    IDirect3DIndexBuffer8* ib = nullptr;
    ASSERT_EQ(d3d->CreateIndexBuffer(12 * sizeof(WORD), D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED, &ib),
              D3D_OK);
    d3d->SetVertexShader(kScreenFvf);
    d3d->SetStreamSource(0, vb, sizeof(ScreenVertex));
    d3d->SetIndices(ib, 0);
    EXPECT_EQ(d3d->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 6, 2), D3D_OK);  // the last six indices
    EXPECT_EQ(d3d->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 8, 2), D3DERR_INVALIDCALL);
    d3d->SetStreamSource(0, nullptr, 0);
    d3d->SetIndices(nullptr, 0);
    vb->Release();
    ib->Release();
}

TEST_F(DrawGeometry, DrawsRefuseAMissingDeclaredStream) {
    // Positions in stream 0, colours in stream 1; stream 1 is never set.
    const DWORD declaration[] = {D3DVSD_STREAM(0), D3DVSD_REG(D3DVSDE_POSITION, D3DVSDT_FLOAT3), D3DVSD_STREAM(1),
                                 D3DVSD_SKIP(1), D3DVSD_REG(D3DVSDE_DIFFUSE, D3DVSDT_D3DCOLOR), D3DVSD_END()};
    DWORD shader = 0;
    ASSERT_EQ(d3d->CreateVertexShader(declaration, nullptr, &shader, 0), D3D_OK);
    IDirect3DVertexBuffer8* positions = nullptr;
    ASSERT_EQ(d3d->CreateVertexBuffer(4 * 12, 0, 0, D3DPOOL_MANAGED, &positions), D3D_OK);
    d3d->SetVertexShader(shader);
    d3d->SetStreamSource(0, positions, 12);
    d3d->SetStreamSource(1, nullptr, 0);
    EXPECT_EQ(d3d->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3DERR_INVALIDCALL);
    d3d->SetStreamSource(0, nullptr, 0);
    d3d->SetVertexShader(kScreenFvf);
    d3d->DeleteVertexShader(shader);
    positions->Release();
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
}

}  // namespace
