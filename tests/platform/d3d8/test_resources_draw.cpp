// Buffers reach the draws that read them: written ranges are uploaded at the
// next draw, in every pool (system-memory buffers included, as Direct3D
// draws from them too), with DISCARD and partial relocks.

#include "d3d_test_device.h"

#include <gtest/gtest.h>

namespace {

using zep::test::colorNear;
using zep::test::D3DTestDevice;

struct ScreenVertex {
    float x, y, z, rhw;
    D3DCOLOR diffuse;
};
constexpr DWORD kFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE;

// Four vertices of a rectangle (for an indexed strip-free list) in `out`.
void rectangle(ScreenVertex* out, float x0, float y0, float x1, float y1, D3DCOLOR color) {
    out[0] = {x0, y0, 0.5f, 1, color};
    out[1] = {x1, y0, 0.5f, 1, color};
    out[2] = {x0, y1, 0.5f, 1, color};
    out[3] = {x1, y1, 0.5f, 1, color};
}

class D3D8BufferDraws : public ::testing::TestWithParam<D3DPOOL> {
protected:
    void SetUp() override {
        if (!d.ok()) GTEST_SKIP() << d.failure();
        d->SetVertexShader(kFvf);
        d->SetRenderState(D3DRS_LIGHTING, FALSE);
        d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    }
    D3DTestDevice d;
};

TEST_P(D3D8BufferDraws, WrittenRangesReachTheNextDraw) {
    const D3DPOOL pool = GetParam();
    // Two rectangles: left half (vertices 0..3) and right half (4..7).
    IDirect3DVertexBuffer8* vb = nullptr;
    ASSERT_EQ(d->CreateVertexBuffer(8 * sizeof(ScreenVertex), D3DUSAGE_WRITEONLY, kFvf, pool, &vb), D3D_OK);
    ScreenVertex* v = nullptr;
    ASSERT_EQ(vb->Lock(0, 0, reinterpret_cast<BYTE**>(&v), 0), D3D_OK);
    rectangle(v, 0, 0, 32, 64, 0xFFFF0000);
    rectangle(v + 4, 32, 0, 64, 64, 0xFF00FF00);
    vb->Unlock();
    IDirect3DIndexBuffer8* ib = nullptr;
    ASSERT_EQ(d->CreateIndexBuffer(6 * sizeof(WORD), D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, pool, &ib), D3D_OK);
    WORD* indices = nullptr;
    ASSERT_EQ(ib->Lock(0, 0, reinterpret_cast<BYTE**>(&indices), 0), D3D_OK);
    const WORD list[6] = {0, 1, 2, 1, 3, 2};
    for (int i = 0; i < 6; ++i) indices[i] = list[i];
    ib->Unlock();

    ASSERT_EQ(d->SetStreamSource(0, vb, sizeof(ScreenVertex)), D3D_OK);
    d->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    ASSERT_EQ(d->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
    ASSERT_EQ(d->SetIndices(ib, 4), D3D_OK);  // the same indices, relative to vertex 4
    ASSERT_EQ(d->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 2), D3D_OK);
    zep::test::Image image = d.readBackBuffer();
    EXPECT_TRUE(colorNear(image.at(16, 32), 0xFFFF0000, 2));
    EXPECT_TRUE(colorNear(image.at(48, 32), 0xFF00FF00, 2));

    // Recolour only the right rectangle; the left one keeps its uploaded bytes.
    ASSERT_EQ(vb->Lock(4 * sizeof(ScreenVertex), 4 * sizeof(ScreenVertex), reinterpret_cast<BYTE**>(&v), 0), D3D_OK);
    rectangle(v, 32, 0, 64, 64, 0xFF0000FF);
    vb->Unlock();
    d->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    ASSERT_EQ(d->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
    ASSERT_EQ(d->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 2), D3D_OK);
    image = d.readBackBuffer();
    EXPECT_TRUE(colorNear(image.at(16, 32), 0xFFFF0000, 2));
    EXPECT_TRUE(colorNear(image.at(48, 32), 0xFF0000FF, 2));

    // A discarding lock that rewrites the whole buffer.
    ASSERT_EQ(vb->Lock(0, 0, reinterpret_cast<BYTE**>(&v), D3DLOCK_DISCARD), D3D_OK);
    rectangle(v, 0, 0, 32, 64, 0xFFFFFFFF);
    rectangle(v + 4, 32, 0, 64, 64, 0xFFFFFF00);
    vb->Unlock();
    d->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    ASSERT_EQ(d->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
    ASSERT_EQ(d->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 2), D3D_OK);
    image = d.readBackBuffer();
    EXPECT_TRUE(colorNear(image.at(16, 32), 0xFFFFFFFF, 2));
    EXPECT_TRUE(colorNear(image.at(48, 32), 0xFFFFFF00, 2));

    d->SetStreamSource(0, nullptr, 0);
    d->SetIndices(nullptr, 0);
    vb->Release();
    ib->Release();
}

INSTANTIATE_TEST_SUITE_P(Pools, D3D8BufferDraws,
                         ::testing::Values(D3DPOOL_MANAGED, D3DPOOL_DEFAULT, D3DPOOL_SYSTEMMEM));

}  // namespace
