// Draws through shader programs from tokens: a vs.1.0 program with the
// fixed-function pixel stages, a ps.1.1 program after the fixed-function
// vertex stage (texture coordinates and samplers flow across), and the two
// together.
#include "test_draw_support.h"

namespace {

using zep::test::colorNear;
using zep::test::Image;
using zep::test::kScreenFvf;
using zep::test::screenQuad;

constexpr DWORD kParameter = 0x80000000u;
DWORD destination(DWORD type, DWORD index) { return kParameter | type | D3DSP_WRITEMASK_ALL | index; }
DWORD source(DWORD type, DWORD index) { return kParameter | type | D3DSP_NOSWIZZLE | index; }

struct ShaderVertex {
    float x, y, z;
    DWORD color;
};

class DrawShaders : public zep::test::DrawTest {
protected:
    // m4x4 oPos, v0, c0 ; mul oD0, v1, c4
    DWORD createVertexShader() {
        const DWORD declaration[] = {D3DVSD_STREAM(0), D3DVSD_REG(0, D3DVSDT_FLOAT3), D3DVSD_REG(1, D3DVSDT_D3DCOLOR),
                                     D3DVSD_END()};
        const DWORD function[] = {D3DVS_VERSION(1, 0),
                                  D3DSIO_M4x4, destination(D3DSPR_RASTOUT, 0), source(D3DSPR_INPUT, 0), source(D3DSPR_CONST, 0),
                                  D3DSIO_MUL, destination(D3DSPR_ATTROUT, 0), source(D3DSPR_INPUT, 1), source(D3DSPR_CONST, 4),
                                  D3DVS_END()};
        DWORD handle = 0;
        EXPECT_EQ(d3d->CreateVertexShader(declaration, function, &handle, 0), D3D_OK);
        // oPos.x = v0 . c0 = 0.5 x + 0.5: the quad -1..1 lands on x 0..1.
        const float constants[5][4] = {{0.5f, 0, 0, 0.5f}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}, {1, 0.5f, 0, 1}};
        d3d->SetVertexShaderConstant(0, constants, 5);
        return handle;
    }

    HRESULT drawShaderQuad(DWORD handle) {
        const ShaderVertex quad[4] = {{-1, 1, 0.5f, 0xFFFFFFFF}, {1, 1, 0.5f, 0xFFFFFFFF}, {-1, -1, 0.5f, 0xFFFFFFFF},
                                      {1, -1, 0.5f, 0xFFFFFFFF}};
        d3d->SetVertexShader(handle);
        return d3d->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ShaderVertex));
    }
};

TEST_F(DrawShaders, VertexShaderFeedsTheFixedFunctionPixelStages) {
    const DWORD vs = createVertexShader();
    ASSERT_NE(vs, 0u);
    ASSERT_EQ(drawShaderQuad(vs), D3D_OK);
    const Image image = read();
    EXPECT_TRUE(colorNear(image.at(48, 32), 0xFFFF8000));  // white x c4
    EXPECT_TRUE(colorNear(image.at(16, 32), 0xFF000000));
    d3d->SetVertexShader(kScreenFvf);
    EXPECT_EQ(d3d->DeleteVertexShader(vs), D3D_OK);
}

TEST_F(DrawShaders, PixelShaderSamplesWhatTheFixedFunctionStageSends) {
    // tex t0 ; mul r0, t0, c0
    const DWORD function[] = {D3DPS_VERSION(1, 1),
                              D3DSIO_TEX, destination(D3DSPR_TEXTURE, 0),
                              D3DSIO_MUL, destination(D3DSPR_TEMP, 0), source(D3DSPR_TEXTURE, 0), source(D3DSPR_CONST, 0),
                              D3DPS_END()};
    DWORD ps = 0;
    ASSERT_EQ(d3d->CreatePixelShader(function, &ps), D3D_OK);
    const float c0[4] = {1, 1, 0, 1};  // keeps red and green, drops blue
    d3d->SetPixelShaderConstant(0, c0, 1);
    makeTexture(2, 1, {0xFFFF00FF, 0xFF00FFFF});  // magenta | cyan
    samplePoint(0);
    d3d->SetTexture(0, textures.back());
    d3d->SetPixelShader(ps);
    ASSERT_EQ(drawStrip(screenQuad(0, 0, 64, 64, 0.5f, 0xFFFFFFFF), kScreenFvf), D3D_OK);
    const Image image = read();
    EXPECT_TRUE(colorNear(image.at(16, 32), 0xFFFF0000));
    EXPECT_TRUE(colorNear(image.at(48, 32), 0xFF00FF00));
    d3d->SetPixelShader(0);
    d3d->SetTexture(0, nullptr);
    EXPECT_EQ(d3d->DeletePixelShader(ps), D3D_OK);
}

TEST_F(DrawShaders, VertexAndPixelShadersTogether) {
    // mov r0, v0 ; the vertex shader's oD0 reaches the pixel shader's v0.
    const DWORD function[] = {D3DPS_VERSION(1, 1),
                              D3DSIO_MOV, destination(D3DSPR_TEMP, 0), source(D3DSPR_INPUT, 0),
                              D3DPS_END()};
    DWORD ps = 0;
    ASSERT_EQ(d3d->CreatePixelShader(function, &ps), D3D_OK);
    const DWORD vs = createVertexShader();
    d3d->SetPixelShader(ps);
    ASSERT_EQ(drawShaderQuad(vs), D3D_OK);
    EXPECT_TRUE(colorNear(read().at(48, 32), 0xFFFF8000));
    // Deleting a shader forgets its programs: a new shader, whose handle may
    // be the old one's, must not draw with the old program.
    d3d->SetPixelShader(0);
    EXPECT_EQ(d3d->DeletePixelShader(ps), D3D_OK);
    const DWORD constant[] = {D3DPS_VERSION(1, 1),
                              D3DSIO_MOV, destination(D3DSPR_TEMP, 0), source(D3DSPR_CONST, 1),
                              D3DPS_END()};
    ASSERT_EQ(d3d->CreatePixelShader(constant, &ps), D3D_OK);
    const float blue[4] = {0, 0, 1, 1};
    d3d->SetPixelShaderConstant(1, blue, 1);
    d3d->SetPixelShader(ps);
    ASSERT_EQ(drawShaderQuad(vs), D3D_OK);
    EXPECT_TRUE(colorNear(read().at(48, 32), 0xFF0000FF));
    d3d->SetPixelShader(0);
    EXPECT_EQ(d3d->DeletePixelShader(ps), D3D_OK);
    d3d->SetVertexShader(kScreenFvf);
    d3d->DeleteVertexShader(vs);
}

TEST_F(DrawShaders, FogAndAlphaTestFollowAPixelShader) {
    // mov r0, c0: red at alpha 0.5.
    const DWORD function[] = {D3DPS_VERSION(1, 1),
                              D3DSIO_MOV, destination(D3DSPR_TEMP, 0), source(D3DSPR_CONST, 0),
                              D3DPS_END()};
    DWORD ps = 0;
    ASSERT_EQ(d3d->CreatePixelShader(function, &ps), D3D_OK);
    const float red[4] = {1, 0, 0, 0.5f};
    d3d->SetPixelShaderConstant(0, red, 1);
    d3d->SetPixelShader(ps);
    D3DMATRIX projection = zep::test::identityMatrix();
    projection._33 = 0.05f;
    d3d->SetTransform(D3DTS_PROJECTION, &projection);
    const auto quad = zep::test::sceneQuad(-1, -1, 1, 1, 5.0f, 0xFFFFFFFF);
    // Linear fog 0..10 at z = 5: half red, half the blue fog colour.
    d3d->SetRenderState(D3DRS_FOGENABLE, TRUE);
    d3d->SetRenderState(D3DRS_FOGCOLOR, 0x000000FF);
    d3d->SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
    d3d->SetRenderState(D3DRS_FOGSTART, zep::test::floatBits(0.0f));
    d3d->SetRenderState(D3DRS_FOGEND, zep::test::floatBits(10.0f));
    ASSERT_EQ(drawStrip(quad, zep::test::kSceneFvf), D3D_OK);
    EXPECT_TRUE(colorNear(read().at(32, 32), 0xFF800080, 3));
    d3d->SetRenderState(D3DRS_FOGENABLE, FALSE);
    // Alpha 0x80 against the reference: drawn for GREATER 0x7F, not for 0x80.
    d3d->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    d3d->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
    for (DWORD ref : {0x7Fu, 0x80u}) {
        d3d->SetRenderState(D3DRS_ALPHAREF, ref);
        d3d->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
        ASSERT_EQ(drawStrip(quad, zep::test::kSceneFvf), D3D_OK);
        EXPECT_TRUE(colorNear(read().at(32, 32), ref == 0x7F ? 0xFFFF0000 : 0xFF000000)) << ref;
    }
    d3d->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
    d3d->SetPixelShader(0);
    EXPECT_EQ(d3d->DeletePixelShader(ps), D3D_OK);
}

}  // namespace
