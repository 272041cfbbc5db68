// The engine's effect programs: made at opening from its own texts, let go
// of and made again around a device reset, released at close; and what the
// bump, wide-line and terrain programs draw.

#include "../engine_test_host.h"

#include "terrain/effects.h"

#include "d3d8/d3d_test_device.h"

#include <d3dx8.h>

#include <cstring>
#include <vector>

namespace {

using zep::test::colorNear;
using zep::test::EngineTestHost;
using zep::test::Lines;

class EffectPrograms : public EngineTestHost {
protected:
    static zep::EffectPrograms& programs() { return zep::effectPrograms(); }
    static IDirect3DDevice8* device() { return zep::graphics().device; }

    std::vector<ID3DXEffect*> effects() const {
        return {programs().bump, programs().water, programs().wideLine, programs().terrain};
    }

    // A black frame with the engine's blending, alpha test, culling and
    // depth out of the way, ready for one draw.
    void beginPlainScene() {
        IDirect3DDevice8* d = device();
        d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        d->BeginScene();
        d->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
        d->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
        d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        d->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
        d->SetRenderState(D3DRS_FOGENABLE, FALSE);
        for (DWORD stage = 0; stage < 4; ++stage) {
            d->SetTextureStageState(stage, D3DTSS_TEXCOORDINDEX, stage);
            d->SetTextureStageState(stage, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
            d->SetTextureStageState(stage, D3DTSS_MINFILTER, D3DTEXF_POINT);
            d->SetTextureStageState(stage, D3DTSS_MAGFILTER, D3DTEXF_POINT);
            d->SetTextureStageState(stage, D3DTSS_MIPFILTER, D3DTEXF_NONE);
        }
    }

    // Colour and alpha from one argument on stage 0 alone.
    static void stageZeroSelects(DWORD argument) {
        IDirect3DDevice8* d = device();
        d->SetTexture(0, nullptr);
        d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        d->SetTextureStageState(0, D3DTSS_COLORARG1, argument);
        d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
        d->SetTextureStageState(0, D3DTSS_ALPHAARG1, argument);
        d->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    }

    zep::visual::Image endScene() {
        device()->EndScene();
        return readBackBuffer();
    }

    IDirect3DTexture8* onePixelTexture(DWORD texel) {
        IDirect3DTexture8* texture = nullptr;
        EXPECT_EQ(device()->CreateTexture(1, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
        if (!texture) return nullptr;
        D3DLOCKED_RECT locked{};
        if (SUCCEEDED(texture->LockRect(0, &locked, nullptr, 0))) {
            std::memcpy(locked.pBits, &texel, sizeof texel);
            texture->UnlockRect(0);
        }
        return texture;
    }
};

TEST_F(EffectPrograms, TextsAreTheEnginesOwnToTheCharacter) {
    EXPECT_EQ(std::strlen(zep::kBumpEffectText), 190u);
    EXPECT_EQ(std::strlen(zep::kWaterEffectText), 189u);
    EXPECT_EQ(std::strlen(zep::kWideLineEffectText), 496u);
    EXPECT_EQ(std::strlen(zep::kTerrainEffectText), 318u);
}

TEST_F(EffectPrograms, OpeningMakesAllFiveWithTheirTechniquesAndParameters) {
    ASSERT_TRUE(open(160, 120));
    const char* techniques[] = {"dot3", "water", "Sphere", "Voxel"};
    const std::vector<ID3DXEffect*> made = effects();
    for (size_t i = 0; i < made.size(); ++i) {
        SCOPED_TRACE(techniques[i]);
        ASSERT_NE(made[i], nullptr);
        D3DXTECHNIQUE_DESC desc{};
        ASSERT_EQ(made[i]->GetTechniqueDesc(nullptr, &desc), D3D_OK);
        EXPECT_STREQ(desc.Name, techniques[i]);
        EXPECT_EQ(desc.Passes, 1u);
        EXPECT_EQ(made[i]->Validate(), D3D_OK);
    }
    const struct {
        const char* name;
        D3DXPARAMETERTYPE type;
    } parameters[] = {{"matWorld", D3DXPT_MATRIX}, {"matViewProject", D3DXPT_MATRIX}, {"wide", D3DXPT_FLOAT},
                      {"towv", D3DXPT_FLOAT}};
    for (const auto& p : parameters) {
        D3DXPARAMETER_DESC desc{};
        ASSERT_EQ(programs().wideLine->GetParameterDesc(p.name, &desc), D3D_OK) << p.name;
        EXPECT_EQ(desc.Type, p.type) << p.name;
    }

    // The tween shader is a declaration handle the device drives
    // fixed-function with.
    ASSERT_NE(programs().tweenShader, 0u);
    EXPECT_EQ(programs().tweenShader & 1u, 1u);
    DWORD declaration[16] = {};
    DWORD size = sizeof declaration;
    ASSERT_EQ(device()->GetVertexShaderDeclaration(programs().tweenShader, declaration, &size), D3D_OK);
    ASSERT_EQ(size, sizeof zep::kTweenDeclaration);
    EXPECT_EQ(std::memcmp(declaration, zep::kTweenDeclaration, size), 0);
    EXPECT_EQ(device()->SetVertexShader(programs().tweenShader), D3D_OK);

    for (const std::string& line : logLines()) EXPECT_NE(line, "Vertex shader Error.");
}

TEST_F(EffectPrograms, ResizeLetsGoOfThemAndMakesThemAgain) {
    ASSERT_TRUE(open(160, 120));
    const std::vector<ID3DXEffect*> before = effects();
    for (ID3DXEffect* effect : before) effect->AddRef();
    const size_t mark = logMark();
    ResizeMainWindow(200, 100);
    EXPECT_TRUE(inOrder(logLinesSince(mark), {"Invalidate device objects", "Restore device objects"}));
    // Only this test's references are left on the old ones.
    for (ID3DXEffect* effect : before) EXPECT_EQ(effect->Release(), 0u);
    for (ID3DXEffect* effect : effects()) EXPECT_NE(effect, nullptr);
    EXPECT_NE(programs().tweenShader, 0u);
    EXPECT_EQ(zep::createEffectPrograms(), 1);  // made again over existing ones without complaint
}

// Whether the effects themselves were freed shows in the sanitizer build's
// leak check; here the engine must at least hold none any more.
TEST_F(EffectPrograms, CloseReleasesThemAll) {
    ASSERT_TRUE(open(160, 120));
    CloseZEPengine();
    for (ID3DXEffect* effect : effects()) EXPECT_EQ(effect, nullptr);
    EXPECT_EQ(programs().tweenShader, 0u);
}

TEST_F(EffectPrograms, WithoutADeviceCreationFailsAndSaysSo) {
    ASSERT_TRUE(open(160, 120));
    IDirect3DDevice8* d = device();
    zep::graphics().device = nullptr;
    const size_t mark = logMark();
    EXPECT_EQ(zep::createEffectPrograms(), 0);
    EXPECT_EQ(logLinesSince(mark), Lines{"Vertex shader Error."});
    for (ID3DXEffect* effect : effects()) EXPECT_EQ(effect, nullptr);
    zep::graphics().device = d;
}

// texture0 x diffuse + saturate(dot(expand(texture1), -texcoord2)) x diffuse:
// the left quad's light vector meets the normal head on, the right one's
// is zero.
TEST_F(EffectPrograms, BumpProgramLightsByTheNormalMap) {
    ASSERT_TRUE(open(160, 120));
    beginPlainScene();
    IDirect3DTexture8* white = onePixelTexture(0xFFFFFFFF);
    IDirect3DTexture8* normal = onePixelTexture(0xFF808000);  // expands to (0, 0, -1)
    device()->SetTexture(0, white);
    device()->SetTexture(1, normal);
    struct Vertex {
        float x, y, z, rhw;
        DWORD diffuse;
        float u0, v0, u1, v1, s2, t2, r2;
    };
    auto quad = [](float x0, float x1, float lightZ) {
        const DWORD grey = 0xFF404040;
        return std::vector<Vertex>{{x0, 20, 0.5f, 1, grey, 0, 0, 0, 0, 0, 0, lightZ},
                                   {x1, 20, 0.5f, 1, grey, 1, 0, 1, 0, 0, 0, lightZ},
                                   {x0, 100, 0.5f, 1, grey, 0, 1, 0, 1, 0, 0, lightZ},
                                   {x1, 100, 0.5f, 1, grey, 1, 1, 1, 1, 0, 0, lightZ}};
    };
    device()->SetVertexShader(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX3 | D3DFVF_TEXCOORDSIZE3(2));
    ASSERT_TRUE(zep::beginEffectPass(programs().bump));
    for (const auto& q : {quad(0, 80, 1.0f), quad(80, 160, 0.0f)})
        EXPECT_EQ(device()->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, q.data(), sizeof(Vertex)), D3D_OK);
    zep::endEffectPass(programs().bump);
    device()->SetTexture(0, nullptr);
    device()->SetTexture(1, nullptr);
    white->Release();
    normal->Release();

    const zep::visual::Image image = endScene();
    EXPECT_TRUE(colorNear(image.at(40, 60), 0xFF808080, 3, true));   // 0.25 + 0.25
    EXPECT_TRUE(colorNear(image.at(120, 60), 0xFF404040, 3, true));  // 0.25 alone
}

// saturate(dot(expand(texture1), expand(texcoord3))) x diffuse + texture2,
// textures 1 and 2 looked up through the bump map in texture 0 (here with
// a zero bump matrix, so the lookups stay put).
TEST_F(EffectPrograms, WaterProgramAddsTheSecondTextureToTheLitDiffuse) {
    ASSERT_TRUE(open(160, 120));
    beginPlainScene();
    IDirect3DTexture8* bump = onePixelTexture(0x00000000);
    IDirect3DTexture8* normal = onePixelTexture(0xFF8080FF);  // expands to (0, 0, 1)
    IDirect3DTexture8* blue = onePixelTexture(0xFF000040);
    IDirect3DTexture8* stages[3] = {bump, normal, blue};
    for (DWORD stage = 0; stage < 3; ++stage) device()->SetTexture(stage, stages[stage]);
    for (DWORD stage = 1; stage < 3; ++stage)
        for (D3DTEXTURESTAGESTATETYPE m : {D3DTSS_BUMPENVMAT00, D3DTSS_BUMPENVMAT01, D3DTSS_BUMPENVMAT10,
                                           D3DTSS_BUMPENVMAT11})
            device()->SetTextureStageState(stage, m, 0);
    struct Vertex {
        float x, y, z, rhw;
        DWORD diffuse;
        float u0, v0, u1, v1, u2, v2, s3, t3, r3;
    };
    auto quad = [](float x0, float x1, float lightZ) {
        const DWORD grey = 0xFF404040;
        auto at = [&](float x, float y) {
            return Vertex{x, y, 0.5f, 1, grey, 0, 0, 0, 0, 0, 0, 0.5f, 0.5f, lightZ};
        };
        return std::vector<Vertex>{at(x0, 20), at(x1, 20), at(x0, 100), at(x1, 100)};
    };
    device()->SetVertexShader(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX4 | D3DFVF_TEXCOORDSIZE3(3));
    ASSERT_TRUE(zep::beginEffectPass(programs().water));
    for (const auto& q : {quad(0, 80, 1.0f), quad(80, 160, 0.5f)})
        EXPECT_EQ(device()->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, q.data(), sizeof(Vertex)), D3D_OK);
    zep::endEffectPass(programs().water);
    for (DWORD stage = 0; stage < 3; ++stage) device()->SetTexture(stage, nullptr);
    for (IDirect3DTexture8* texture : stages) texture->Release();

    const zep::visual::Image image = endScene();
    EXPECT_TRUE(colorNear(image.at(40, 60), 0xFF404080, 3, true));   // lit grey plus the blue
    EXPECT_TRUE(colorNear(image.at(120, 60), 0xFF000040, 3, true));  // unlit: the blue alone
}

// Each vertex moves by its direction x "wide", then goes through
// "matWorld" and "matViewProject".
TEST_F(EffectPrograms, WideLineProgramWidensAndTransformsTheStrip) {
    ASSERT_TRUE(open(160, 120));
    beginPlainScene();
    stageZeroSelects(D3DTA_TFACTOR);
    device()->SetRenderState(D3DRS_TEXTUREFACTOR, 0xFF00FF00);
    ID3DXEffect* wide = programs().wideLine;
    D3DXMATRIX world, viewProject;
    D3DXMatrixTranslation(&world, 0.25f, 0.0f, 0.0f);
    D3DXMatrixScaling(&viewProject, 1.0f, 2.0f, 1.0f);
    ASSERT_EQ(wide->SetMatrix("matWorld", &world), D3D_OK);
    ASSERT_EQ(wide->SetMatrix("matViewProject", &viewProject), D3D_OK);
    ASSERT_EQ(wide->SetFloat("wide", 0.25f), D3D_OK);
    ASSERT_EQ(wide->SetFloat("towv", 1.0f), D3D_OK);
    // Position, then direction x, y, distance along the line, side.
    const float strip[4][7] = {{-0.5f, 0, 0.5f, 0, 1, 0, 0},
                               {-0.5f, 0, 0.5f, 0, -1, 0, 1},
                               {0.5f, 0, 0.5f, 0, 1, 1, 0},
                               {0.5f, 0, 0.5f, 0, -1, 1, 1}};
    ASSERT_TRUE(zep::beginEffectPass(wide, D3DXFX_DONOTSAVESTATE));
    EXPECT_EQ(device()->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, strip, sizeof strip[0]), D3D_OK);
    zep::endEffectPass(wide);

    // Clip x -0.25 .. 0.75 and y -0.5 .. 0.5: pixels 60 .. 140 and 30 .. 90.
    const zep::visual::Image image = endScene();
    EXPECT_TRUE(colorNear(image.at(100, 60), 0xFF00FF00, 2, true));
    EXPECT_TRUE(colorNear(image.at(100, 36), 0xFF00FF00, 2, true));  // only with y doubled
    EXPECT_TRUE(colorNear(image.at(50, 60), 0xFF000000, 2, true));   // only without the shift
    EXPECT_TRUE(colorNear(image.at(100, 20), 0xFF000000, 2, true));
}

// Positions pass through with w = 390; the colour comes from v2.
TEST_F(EffectPrograms, TerrainProgramPassesPositionsWithAFixedW) {
    ASSERT_TRUE(open(160, 120));
    beginPlainScene();
    stageZeroSelects(D3DTA_DIFFUSE);
    struct Vertex {
        float x, y, z, w;
        float u1, v1;
        DWORD color;
        float u3, v3;
    };
    const DWORD magenta = 0xFFFF00FF;
    const Vertex quad[4] = {{-195, 97.5f, 195, 1, 0, 0, magenta, 0, 0},
                            {195, 97.5f, 195, 1, 1, 0, magenta, 1, 0},
                            {-195, -97.5f, 195, 1, 0, 1, magenta, 0, 1},
                            {195, -97.5f, 195, 1, 1, 1, magenta, 1, 1}};
    ASSERT_TRUE(zep::beginEffectPass(programs().terrain));
    EXPECT_EQ(device()->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(Vertex)), D3D_OK);
    zep::endEffectPass(programs().terrain);

    // Clip +-0.5 across and +-0.25 down: pixels 40 .. 120 and 45 .. 75.
    const zep::visual::Image image = endScene();
    EXPECT_TRUE(colorNear(image.at(80, 60), magenta, 2, true));
    EXPECT_TRUE(colorNear(image.at(80, 30), 0xFF000000, 2, true));
    EXPECT_TRUE(colorNear(image.at(20, 60), 0xFF000000, 2, true));
}

}  // namespace
