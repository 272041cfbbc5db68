// Recorded state: Direct3D 8's defaults, Set/Get round trips, lights,
// transforms, shader handles and state blocks.

#include "d3d_test_device.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using zep::test::D3DTestDevice;

DWORD floatBits(float f) {
    DWORD bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

class D3D8State : public ::testing::Test {
protected:
    void SetUp() override {
        if (!d.ok()) GTEST_SKIP() << d.failure();
    }
    DWORD renderState(D3DRENDERSTATETYPE type) {
        DWORD value = 0xDEADBEEF;
        EXPECT_EQ(d->GetRenderState(type, &value), D3D_OK);
        return value;
    }
    DWORD stageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type) {
        DWORD value = 0xDEADBEEF;
        EXPECT_EQ(d->GetTextureStageState(stage, type, &value), D3D_OK);
        return value;
    }
    D3DTestDevice d;
};

TEST_F(D3D8State, DefaultsAreDirect3Ds) {
    struct RenderCase {
        D3DRENDERSTATETYPE state;
        DWORD value;
    };
    const RenderCase render[] = {
        {D3DRS_ZENABLE, D3DZB_TRUE},  // an automatic depth buffer was asked for
        {D3DRS_FILLMODE, D3DFILL_SOLID},
        {D3DRS_SHADEMODE, D3DSHADE_GOURAUD},
        {D3DRS_ZWRITEENABLE, TRUE},
        {D3DRS_ALPHATESTENABLE, FALSE},
        {D3DRS_SRCBLEND, D3DBLEND_ONE},
        {D3DRS_DESTBLEND, D3DBLEND_ZERO},
        {D3DRS_CULLMODE, D3DCULL_CCW},
        {D3DRS_ZFUNC, D3DCMP_LESSEQUAL},
        {D3DRS_ALPHAFUNC, D3DCMP_ALWAYS},
        {D3DRS_ALPHABLENDENABLE, FALSE},
        {D3DRS_FOGENABLE, FALSE},
        {D3DRS_FOGEND, floatBits(1.0f)},
        {D3DRS_FOGDENSITY, floatBits(1.0f)},
        {D3DRS_STENCILFUNC, D3DCMP_ALWAYS},
        {D3DRS_STENCILMASK, 0xFFFFFFFF},
        {D3DRS_STENCILWRITEMASK, 0xFFFFFFFF},
        {D3DRS_STENCILPASS, D3DSTENCILOP_KEEP},
        {D3DRS_TEXTUREFACTOR, 0xFFFFFFFF},
        {D3DRS_CLIPPING, TRUE},
        {D3DRS_LIGHTING, TRUE},
        {D3DRS_AMBIENT, 0},
        {D3DRS_COLORVERTEX, TRUE},
        {D3DRS_LOCALVIEWER, TRUE},
        {D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1},
        {D3DRS_SPECULARMATERIALSOURCE, D3DMCS_COLOR2},
        {D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_MATERIAL},
        {D3DRS_VERTEXBLEND, D3DVBF_DISABLE},
        {D3DRS_POINTSIZE, floatBits(1.0f)},
        {D3DRS_POINTSCALE_A, floatBits(1.0f)},
        {D3DRS_MULTISAMPLEANTIALIAS, TRUE},
        {D3DRS_COLORWRITEENABLE, 0xF},
        {D3DRS_BLENDOP, D3DBLENDOP_ADD},
    };
    for (const RenderCase& c : render) EXPECT_EQ(renderState(c.state), c.value) << "render state " << c.state;

    struct StageCase {
        DWORD stage;
        D3DTEXTURESTAGESTATETYPE state;
        DWORD value;
    };
    const StageCase stages[] = {
        {0, D3DTSS_COLOROP, D3DTOP_MODULATE},    {1, D3DTSS_COLOROP, D3DTOP_DISABLE},
        {0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1},  {3, D3DTSS_ALPHAOP, D3DTOP_DISABLE},
        {0, D3DTSS_COLORARG1, D3DTA_TEXTURE},    {0, D3DTSS_COLORARG2, D3DTA_CURRENT},
        {2, D3DTSS_TEXCOORDINDEX, 2},            {0, D3DTSS_ADDRESSU, D3DTADDRESS_WRAP},
        {0, D3DTSS_MAGFILTER, D3DTEXF_POINT},    {0, D3DTSS_MIPFILTER, D3DTEXF_NONE},
        {0, D3DTSS_MAXANISOTROPY, 1},            {1, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE},
    };
    for (const StageCase& c : stages)
        EXPECT_EQ(stageState(c.stage, c.state), c.value) << "stage " << c.stage << " state " << c.state;

    D3DMATRIX world{};
    ASSERT_EQ(d->GetTransform(D3DTS_WORLD, &world), D3D_OK);
    EXPECT_EQ(world._11, 1.0f);
    EXPECT_EQ(world._12, 0.0f);
    EXPECT_EQ(world._44, 1.0f);
    DWORD shader = 1;
    d->GetVertexShader(&shader);
    EXPECT_EQ(shader, 0u);
}

TEST_F(D3D8State, SetAndGetRoundTripAndRefuseBadIndices) {
    ASSERT_EQ(d->SetRenderState(D3DRS_FOGCOLOR, 0x00123456), D3D_OK);
    EXPECT_EQ(renderState(D3DRS_FOGCOLOR), 0x00123456u);
    EXPECT_EQ(d->SetRenderState(D3DRENDERSTATETYPE(300), 1), D3DERR_INVALIDCALL);
    ASSERT_EQ(d->SetTextureStageState(7, D3DTSS_ADDRESSV, D3DTADDRESS_MIRROR), D3D_OK);
    EXPECT_EQ(stageState(7, D3DTSS_ADDRESSV), DWORD(D3DTADDRESS_MIRROR));
    EXPECT_EQ(d->SetTextureStageState(8, D3DTSS_ADDRESSV, D3DTADDRESS_CLAMP), D3DERR_INVALIDCALL);

    D3DMATERIAL8 material{};
    material.Diffuse = {0.25f, 0.5f, 0.75f, 1.0f};
    material.Power = 12.0f;
    ASSERT_EQ(d->SetMaterial(&material), D3D_OK);
    D3DMATERIAL8 back{};
    d->GetMaterial(&back);
    EXPECT_EQ(std::memcmp(&back, &material, sizeof material), 0);

    const float plane[4] = {1, 2, 3, 4};
    ASSERT_EQ(d->SetClipPlane(5, plane), D3D_OK);
    float planeBack[4] = {};
    d->GetClipPlane(5, planeBack);
    EXPECT_EQ(planeBack[3], 4.0f);
    EXPECT_EQ(d->SetClipPlane(6, plane), D3DERR_INVALIDCALL);

    const float constants[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    ASSERT_EQ(d->SetVertexShaderConstant(94, constants, 2), D3D_OK);
    EXPECT_EQ(d->SetVertexShaderConstant(95, constants, 2), D3DERR_INVALIDCALL);
    float constantsBack[8] = {};
    d->GetVertexShaderConstant(94, constantsBack, 2);
    EXPECT_EQ(constantsBack[7], 8.0f);
    ASSERT_EQ(d->SetPixelShaderConstant(7, constants, 1), D3D_OK);
    EXPECT_EQ(d->SetPixelShaderConstant(7, constants, 2), D3DERR_INVALIDCALL);
}

TEST_F(D3D8State, TransformsMultiplyWithTheNewMatrixFirst) {
    D3DMATRIX scale{};
    scale._11 = 2;
    scale._22 = 2;
    scale._33 = 2;
    scale._44 = 1;
    D3DMATRIX translate{};
    translate._11 = translate._22 = translate._33 = translate._44 = 1;
    translate._41 = 5;
    ASSERT_EQ(d->SetTransform(D3DTS_VIEW, &translate), D3D_OK);
    ASSERT_EQ(d->MultiplyTransform(D3DTS_VIEW, &scale), D3D_OK);
    D3DMATRIX result{};
    d->GetTransform(D3DTS_VIEW, &result);
    // scale * translate: a row vector is scaled, then moved by 5.
    EXPECT_EQ(result._11, 2.0f);
    EXPECT_EQ(result._41, 5.0f);
    ASSERT_EQ(d->SetTransform(D3DTS_TEXTURE3, &scale), D3D_OK);
    d->GetTransform(D3DTS_TEXTURE3, &result);
    EXPECT_EQ(result._22, 2.0f);
    EXPECT_EQ(d->SetTransform(D3DTRANSFORMSTATETYPE(5), &scale), D3DERR_INVALIDCALL);
}

TEST_F(D3D8State, LightsDefinedEnabledAndDefaulted) {
    D3DLIGHT8 light{};
    EXPECT_EQ(d->GetLight(3, &light), D3DERR_INVALIDCALL);  // never set
    BOOL enabled = TRUE;
    EXPECT_EQ(d->GetLightEnable(3, &enabled), D3DERR_INVALIDCALL);

    light.Type = D3DLIGHT_POINT;
    light.Range = 10.0f;
    light.Attenuation1 = 0.5f;
    ASSERT_EQ(d->SetLight(3, &light), D3D_OK);
    D3DLIGHT8 back{};
    ASSERT_EQ(d->GetLight(3, &back), D3D_OK);
    EXPECT_EQ(back.Range, 10.0f);
    ASSERT_EQ(d->GetLightEnable(3, &enabled), D3D_OK);
    EXPECT_FALSE(enabled);
    ASSERT_EQ(d->LightEnable(3, TRUE), D3D_OK);
    d->GetLightEnable(3, &enabled);
    EXPECT_TRUE(enabled);

    // Enabling a light never set gives Direct3D's default: white, directional, down +z.
    ASSERT_EQ(d->LightEnable(9, TRUE), D3D_OK);
    ASSERT_EQ(d->GetLight(9, &back), D3D_OK);
    EXPECT_EQ(back.Type, D3DLIGHT_DIRECTIONAL);
    EXPECT_EQ(back.Diffuse.r, 1.0f);
    EXPECT_EQ(back.Direction.z, 1.0f);
    EXPECT_EQ(back.Specular.r, 0.0f);

    light.Type = D3DLIGHTTYPE(7);
    EXPECT_EQ(d->SetLight(4, &light), D3DERR_INVALIDCALL);
}

TEST_F(D3D8State, ShaderHandlesNeverLookLikeFvfCodes) {
    const DWORD declaration[] = {D3DVSD_STREAM(0), D3DVSD_REG(D3DVSDE_POSITION, D3DVSDT_FLOAT3),
                                 D3DVSD_REG(D3DVSDE_DIFFUSE, D3DVSDT_D3DCOLOR), D3DVSD_END()};
    const DWORD function[] = {D3DVS_VERSION(1, 1), 0x00000001, 0x800F0000 | 0xC0000000u /* mov oPos, v0 */,
                              0x90E40000, D3DVS_END()};
    DWORD fixedFunction = 0, programmable = 0;
    ASSERT_EQ(d->CreateVertexShader(declaration, nullptr, &fixedFunction, 0), D3D_OK);
    ASSERT_EQ(d->CreateVertexShader(declaration, function, &programmable, 0), D3D_OK);
    EXPECT_EQ(fixedFunction & 1u, 1u);
    EXPECT_EQ(programmable & 1u, 1u);
    EXPECT_NE(fixedFunction, programmable);

    DWORD size = 0;
    ASSERT_EQ(d->GetVertexShaderDeclaration(programmable, nullptr, &size), D3D_OK);
    EXPECT_EQ(size, sizeof declaration);
    DWORD tokens[8] = {};
    size = 2 * sizeof(DWORD);
    EXPECT_EQ(d->GetVertexShaderDeclaration(programmable, tokens, &size), D3DERR_MOREDATA);
    size = sizeof tokens;
    ASSERT_EQ(d->GetVertexShaderFunction(programmable, tokens, &size), D3D_OK);
    EXPECT_EQ(size, sizeof function);
    EXPECT_EQ(tokens[0], function[0]);
    ASSERT_EQ(d->GetVertexShaderFunction(fixedFunction, nullptr, &size), D3D_OK);
    EXPECT_EQ(size, 0u);

    const DWORD pixel[] = {D3DPS_VERSION(1, 1), 0x00000042, 0xB00F0000 /* tex t0 */, D3DPS_END()};
    DWORD pixelHandle = 0;
    ASSERT_EQ(d->CreatePixelShader(pixel, &pixelHandle), D3D_OK);
    EXPECT_NE(pixelHandle, 0u);
    EXPECT_NE(pixelHandle, programmable);
    const DWORD ps14[] = {D3DPS_VERSION(1, 4), D3DPS_END()};
    DWORD refused = 0;
    EXPECT_EQ(d->CreatePixelShader(ps14, &refused), D3DERR_INVALIDCALL);

    ASSERT_EQ(d->SetVertexShader(programmable), D3D_OK);
    ASSERT_EQ(d->SetPixelShader(pixelHandle), D3D_OK);
    ASSERT_EQ(d->DeleteVertexShader(programmable), D3D_OK);
    ASSERT_EQ(d->DeletePixelShader(pixelHandle), D3D_OK);
    DWORD current = 1;
    d->GetVertexShader(&current);
    EXPECT_EQ(current, 0u);  // deleting the current shader leaves none set
    d->GetPixelShader(&current);
    EXPECT_EQ(current, 0u);
    EXPECT_EQ(d->SetVertexShader(programmable), D3DERR_INVALIDCALL);
    EXPECT_EQ(d->DeleteVertexShader(programmable), D3DERR_INVALIDCALL);
    EXPECT_EQ(d->SetVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE), D3D_OK);
}

TEST_F(D3D8State, RecordedBlocksApplyOnlyWhatWasSet) {
    ASSERT_EQ(d->BeginStateBlock(), D3D_OK);
    EXPECT_EQ(d->BeginStateBlock(), D3DERR_INVALIDCALL);
    d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    d->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_ADD);
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(d->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    d->SetTexture(2, texture);
    DWORD token = 0;
    ASSERT_EQ(d->EndStateBlock(&token), D3D_OK);
    EXPECT_NE(token, 0u);
    // Recording does not change the device.
    EXPECT_EQ(renderState(D3DRS_CULLMODE), DWORD(D3DCULL_CCW));
    IDirect3DBaseTexture8* bound = nullptr;
    d->GetTexture(2, &bound);
    EXPECT_EQ(bound, nullptr);

    d->SetRenderState(D3DRS_ZFUNC, D3DCMP_GREATER);
    ASSERT_EQ(d->ApplyStateBlock(token), D3D_OK);
    EXPECT_EQ(renderState(D3DRS_CULLMODE), DWORD(D3DCULL_NONE));
    EXPECT_EQ(stageState(1, D3DTSS_COLOROP), DWORD(D3DTOP_ADD));
    EXPECT_EQ(renderState(D3DRS_ZFUNC), DWORD(D3DCMP_GREATER));  // not in the block
    d->GetTexture(2, &bound);
    EXPECT_EQ(bound, texture);
    if (bound) bound->Release();

    // Capture updates only the block's own states.
    d->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    ASSERT_EQ(d->CaptureStateBlock(token), D3D_OK);
    d->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    d->ApplyStateBlock(token);
    EXPECT_EQ(renderState(D3DRS_CULLMODE), DWORD(D3DCULL_CW));

    texture->Release();  // the block and the device still hold it
    ASSERT_EQ(d->SetTexture(2, nullptr), D3D_OK);
    ASSERT_EQ(d->ApplyStateBlock(token), D3D_OK);
    d->GetTexture(2, &bound);
    EXPECT_EQ(bound, texture);
    if (bound) bound->Release();
    ASSERT_EQ(d->SetTexture(2, nullptr), D3D_OK);
    ASSERT_EQ(d->DeleteStateBlock(token), D3D_OK);
    EXPECT_EQ(d->ApplyStateBlock(token), D3DERR_INVALIDCALL);
    EXPECT_EQ(d->EndStateBlock(&token), D3DERR_INVALIDCALL);
}

TEST_F(D3D8State, CreatedBlocksCaptureTheirKindOfState) {
    struct Case {
        D3DSTATEBLOCKTYPE type;
        bool restoresBlend;     // a pixel state
        bool restoresLighting;  // a vertex state
        bool restoresWorld;     // only in ALL
    };
    const Case cases[] = {
        {D3DSBT_ALL, true, true, true},
        {D3DSBT_PIXELSTATE, true, false, false},
        {D3DSBT_VERTEXSTATE, false, true, false},
    };
    D3DMATRIX identity{};
    identity._11 = identity._22 = identity._33 = identity._44 = 1;
    D3DMATRIX moved = identity;
    moved._41 = 3;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
        d->SetRenderState(D3DRS_LIGHTING, TRUE);
        d->SetTransform(D3DTS_WORLD, &identity);
        DWORD token = 0;
        ASSERT_EQ(d->CreateStateBlock(c.type, &token), D3D_OK);
        d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        d->SetRenderState(D3DRS_LIGHTING, FALSE);
        d->SetTransform(D3DTS_WORLD, &moved);
        ASSERT_EQ(d->ApplyStateBlock(token), D3D_OK);
        EXPECT_EQ(renderState(D3DRS_SRCBLEND), DWORD(c.restoresBlend ? D3DBLEND_ONE : D3DBLEND_SRCALPHA));
        EXPECT_EQ(renderState(D3DRS_LIGHTING), DWORD(c.restoresLighting ? TRUE : FALSE));
        D3DMATRIX world{};
        d->GetTransform(D3DTS_WORLD, &world);
        EXPECT_EQ(world._41, c.restoresWorld ? 0.0f : 3.0f);
        d->DeleteStateBlock(token);
    }
    DWORD token = 0;
    EXPECT_EQ(d->CreateStateBlock(D3DSTATEBLOCKTYPE(9), &token), D3DERR_INVALIDCALL);
}

}  // namespace
