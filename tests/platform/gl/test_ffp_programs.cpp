// The fixed-function generator: every key variant that changes the GLSL
// compiles and links in a bare GL 3.3 core context, and keys keep apart
// exactly what needs a different program.
#include "d3d8/draw_interface.h"
#include "d3d8/program_cache.h"
#include "gl/ffp_fragment.h"
#include "gl/ffp_vertex.h"

#include "../gl_test_context.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

using zep::d3d::PipelineState;
using zep::d3d::TextureKind;
using zep::d3d::VertexLayout;

DWORD bitsOf(float value) {
    DWORD bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// Direct3D 8's defaults for what the generator reads.
std::unique_ptr<PipelineState> defaultState() {
    auto state = std::make_unique<PipelineState>();
    std::memset(state.get(), 0, sizeof *state);
    DWORD* rs = state->renderStates;
    rs[D3DRS_LIGHTING] = TRUE;
    rs[D3DRS_COLORVERTEX] = TRUE;
    rs[D3DRS_LOCALVIEWER] = TRUE;
    rs[D3DRS_DIFFUSEMATERIALSOURCE] = D3DMCS_COLOR1;
    rs[D3DRS_SPECULARMATERIALSOURCE] = D3DMCS_COLOR2;
    rs[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
    rs[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
    rs[D3DRS_POINTSIZE] = bitsOf(1.0f);
    rs[D3DRS_POINTSIZE_MAX] = bitsOf(64.0f);
    rs[D3DRS_POINTSCALE_A] = bitsOf(1.0f);
    rs[D3DRS_FOGEND] = bitsOf(1.0f);
    rs[D3DRS_FOGDENSITY] = bitsOf(1.0f);
    for (int i = 0; i < zep::d3d::kMaxTextureStages; ++i) {
        DWORD* ts = state->stageStates[i];
        ts[D3DTSS_COLOROP] = i == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
        ts[D3DTSS_ALPHAOP] = i == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
        ts[D3DTSS_COLORARG1] = ts[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
        ts[D3DTSS_COLORARG2] = ts[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
        ts[D3DTSS_COLORARG0] = ts[D3DTSS_ALPHAARG0] = D3DTA_CURRENT;
        ts[D3DTSS_RESULTARG] = D3DTA_CURRENT;
        ts[D3DTSS_TEXCOORDINDEX] = DWORD(i);
    }
    return state;
}

// Texture stubs are never dereferenced by the generator: only null or not.
IDirect3DBaseTexture8* fakeTexture() { return reinterpret_cast<IDirect3DBaseTexture8*>(uintptr_t(0x10)); }

class FfpPrograms : public testing::Test {
protected:
    void SetUp() override {
        if (!zep::test::makeHeadlessGlCurrent()) GTEST_SKIP() << "no headless OpenGL 3.3 context";
        state = defaultState();
    }

    // Builds both keys from the state and layout, compiles and links.
    ::testing::AssertionResult links(DWORD fvf, bool flat = false) {
        VertexLayout layout;
        if (!zep::d3d::layoutFromFvf(fvf, &layout)) return ::testing::AssertionFailure() << "bad fvf";
        return links(layout, flat);
    }
    ::testing::AssertionResult links(const VertexLayout& layout, bool flat = false) {
        zep::gl::FfpFragmentKey fragmentKey;
        zep::gl::makeFfpFragmentKey(*state, true, flat, &fragmentKey);
        zep::gl::FfpVertexKey vertexKey;
        zep::gl::FfpLightSelection lights;
        zep::gl::makeFfpVertexKey(*state, layout, fragmentKey.stageCount, flat, &vertexKey, &lights);
        const std::string vertexSource = zep::gl::ffpVertexSource(vertexKey);
        const std::string fragmentSource = zep::gl::ffpFragmentSource(fragmentKey);
        const GLuint vs = zep::d3d::compileShaderPart(GL_VERTEX_SHADER, vertexSource);
        const GLuint fs = zep::d3d::compileShaderPart(GL_FRAGMENT_SHADER, fragmentSource);
        if (!vs || !fs) {
            if (vs) glDeleteShader(vs);
            if (fs) glDeleteShader(fs);
            return ::testing::AssertionFailure() << "compile failed (source on stderr)";
        }
        std::string log;
        const GLuint program = zep::d3d::linkProgram(vs, fs, &log);
        glDeleteShader(vs);
        glDeleteShader(fs);
        if (!program) return ::testing::AssertionFailure() << "link failed: " << log;
        glDeleteProgram(program);
        return ::testing::AssertionSuccess();
    }

    void setLight(int index, D3DLIGHTTYPE type) {
        state->lights[index].defined = true;
        state->lights[index].enabled = true;
        state->lights[index].light.Type = type;
    }

    std::unique_ptr<PipelineState> state;
};

TEST_F(FfpPrograms, EngineVertexFormatsLinkLitAndUnlit) {
    for (DWORD fvf : {0x252u, 0x142u, 0x144u, 0x42u, 0x44u, 0x202u, 0x112u, 0x1C4u, 0x2u}) {
        for (DWORD lighting : {FALSE, TRUE}) {
            state->renderStates[D3DRS_LIGHTING] = lighting;
            EXPECT_TRUE(links(fvf)) << std::hex << fvf << " lighting " << lighting;
            EXPECT_TRUE(links(fvf, true)) << std::hex << fvf << " flat, lighting " << lighting;
        }
    }
}

TEST_F(FfpPrograms, EveryLightTypeAndMaterialSourceLinks) {
    setLight(0, D3DLIGHT_DIRECTIONAL);
    setLight(3, D3DLIGHT_POINT);
    setLight(7, D3DLIGHT_SPOT);
    state->renderStates[D3DRS_SPECULARENABLE] = TRUE;
    state->renderStates[D3DRS_NORMALIZENORMALS] = TRUE;
    for (DWORD localViewer : {FALSE, TRUE}) {
        state->renderStates[D3DRS_LOCALVIEWER] = localViewer;
        for (DWORD source : {D3DMCS_MATERIAL, D3DMCS_COLOR1, D3DMCS_COLOR2}) {
            state->renderStates[D3DRS_AMBIENTMATERIALSOURCE] = source;
            state->renderStates[D3DRS_EMISSIVEMATERIALSOURCE] = source;
            state->renderStates[D3DRS_DIFFUSEMATERIALSOURCE] = source;
            state->renderStates[D3DRS_SPECULARMATERIALSOURCE] = source;
            EXPECT_TRUE(links(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_SPECULAR)) << source;
            EXPECT_TRUE(links(D3DFVF_XYZ | D3DFVF_NORMAL)) << source;
            EXPECT_TRUE(links(D3DFVF_XYZ)) << source;  // lit without normals: ambient and emissive only
        }
    }
}

TEST_F(FfpPrograms, FogFormulasAndSourcesLink) {
    state->renderStates[D3DRS_FOGENABLE] = TRUE;
    for (DWORD table : {DWORD(D3DFOG_NONE), DWORD(D3DFOG_EXP), DWORD(D3DFOG_EXP2), DWORD(D3DFOG_LINEAR)})
        for (DWORD vertex : {DWORD(D3DFOG_EXP), DWORD(D3DFOG_EXP2), DWORD(D3DFOG_LINEAR)})
            for (DWORD range : {FALSE, TRUE}) {
                state->renderStates[D3DRS_FOGTABLEMODE] = table;
                state->renderStates[D3DRS_FOGVERTEXMODE] = vertex;
                state->renderStates[D3DRS_RANGEFOGENABLE] = range;
                EXPECT_TRUE(links(0x142u)) << table << " " << vertex << " " << range;
                EXPECT_TRUE(links(0x144u)) << table << " " << vertex;
                EXPECT_TRUE(links(0x1C4u)) << table << " " << vertex;  // pre-transformed with specular
            }
}

TEST_F(FfpPrograms, TextureCoordinateSourcesAndTransformsLink) {
    const DWORD generations[] = {D3DTSS_TCI_PASSTHRU, D3DTSS_TCI_CAMERASPACENORMAL, D3DTSS_TCI_CAMERASPACEPOSITION,
                                 D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR};
    const DWORD fvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX3 | D3DFVF_TEXCOORDSIZE1(1) | D3DFVF_TEXCOORDSIZE4(2);
    for (int stage = 0; stage < 4; ++stage) {
        state->stageStates[stage][D3DTSS_COLOROP] = D3DTOP_MODULATE;
        state->stageStates[stage][D3DTSS_ALPHAOP] = D3DTOP_SELECTARG1;
        state->textures[stage] = fakeTexture();
        state->textureKinds[stage] = stage == 3 ? TextureKind::Volume : TextureKind::Texture2D;
    }
    for (DWORD generation : generations)
        for (DWORD flags = 0; flags <= 4; ++flags)
            for (DWORD projected : {0u, unsigned(D3DTTFF_PROJECTED)})
                for (DWORD set = 0; set < 4; ++set) {  // set 3 is missing from the layout
                    for (int stage = 0; stage < 4; ++stage) {
                        state->stageStates[stage][D3DTSS_TEXCOORDINDEX] = generation | ((set + DWORD(stage)) & 3);
                        state->stageStates[stage][D3DTSS_TEXTURETRANSFORMFLAGS] = flags | projected;
                    }
                    EXPECT_TRUE(links(fvf)) << generation << " " << flags << " " << projected << " " << set;
                    EXPECT_TRUE(links(0x144u)) << generation << " " << flags << " " << projected;
                }
}

TEST_F(FfpPrograms, TweeningPointScalingAndClipPlanesLink) {
    const DWORD tween[] = {0x20000000, 0x40020000, 0x40020003, 0x40040005, 0x40010007,
                           0x40010008, 0x4002000F, 0x40020010, 0xFFFFFFFF};
    VertexLayout layout;
    ASSERT_TRUE(zep::d3d::layoutFromDeclaration(tween, &layout));
    setLight(0, D3DLIGHT_DIRECTIONAL);
    for (DWORD blend : {DWORD(D3DVBF_DISABLE), DWORD(D3DVBF_TWEENING)}) {
        state->renderStates[D3DRS_VERTEXBLEND] = blend;
        EXPECT_TRUE(links(layout)) << blend;
    }
    state->renderStates[D3DRS_POINTSCALEENABLE] = TRUE;
    state->renderStates[D3DRS_CLIPPLANEENABLE] = D3DCLIPPLANE0 | D3DCLIPPLANE5;
    EXPECT_TRUE(links(D3DFVF_XYZ | D3DFVF_PSIZE | D3DFVF_DIFFUSE));
    EXPECT_TRUE(links(D3DFVF_XYZ));
    EXPECT_TRUE(links(D3DFVF_XYZRHW | D3DFVF_PSIZE));
}

TEST_F(FfpPrograms, EveryTextureOpAndArgumentLinksAsColourAndAlpha) {
    state->textures[0] = state->textures[1] = fakeTexture();
    state->textureKinds[0] = state->textureKinds[1] = TextureKind::Texture2D;
    const DWORD arguments[] = {D3DTA_DIFFUSE, D3DTA_CURRENT, D3DTA_TEXTURE, D3DTA_TFACTOR, D3DTA_SPECULAR, D3DTA_TEMP};
    for (DWORD op = D3DTOP_SELECTARG1; op <= D3DTOP_LERP; ++op) {
        DWORD* ts = state->stageStates[1];
        ts[D3DTSS_COLOROP] = op;
        ts[D3DTSS_ALPHAOP] = op;
        for (size_t a = 0; a < std::size(arguments); ++a) {
            ts[D3DTSS_COLORARG0] = arguments[a] | D3DTA_COMPLEMENT;
            ts[D3DTSS_COLORARG1] = arguments[a];
            ts[D3DTSS_COLORARG2] = arguments[(a + 1) % std::size(arguments)] | D3DTA_ALPHAREPLICATE;
            ts[D3DTSS_ALPHAARG0] = arguments[(a + 2) % std::size(arguments)];
            ts[D3DTSS_ALPHAARG1] = arguments[a] | D3DTA_COMPLEMENT | D3DTA_ALPHAREPLICATE;
            ts[D3DTSS_ALPHAARG2] = arguments[(a + 3) % std::size(arguments)];
            ts[D3DTSS_RESULTARG] = a % 2 ? D3DTA_TEMP : D3DTA_CURRENT;
            EXPECT_TRUE(links(0x252u)) << "op " << op << " argument " << arguments[a];
        }
    }
}

TEST_F(FfpPrograms, BumpStagesVolumesAndAlphaFunctionsLink) {
    for (int stage = 0; stage < 3; ++stage) {
        state->textures[stage] = fakeTexture();
        state->textureKinds[stage] = stage == 2 ? TextureKind::Volume : TextureKind::Texture2D;
        state->stageStates[stage][D3DTSS_ALPHAOP] = D3DTOP_SELECTARG1;
    }
    state->stageStates[1][D3DTSS_COLOROP] = D3DTOP_SELECTARG1;
    state->stageStates[2][D3DTSS_COLOROP] = D3DTOP_MODULATE;
    state->renderStates[D3DRS_ALPHATESTENABLE] = TRUE;
    for (DWORD bump : {DWORD(D3DTOP_BUMPENVMAP), DWORD(D3DTOP_BUMPENVMAPLUMINANCE)}) {
        state->stageStates[0][D3DTSS_COLOROP] = bump;
        for (DWORD func = D3DCMP_NEVER; func <= D3DCMP_ALWAYS; ++func) {
            state->renderStates[D3DRS_ALPHAFUNC] = func;
            EXPECT_TRUE(links(D3DFVF_XYZ | D3DFVF_TEX3 | D3DFVF_TEXCOORDSIZE3(2))) << bump << " " << func;
        }
    }
}

TEST_F(FfpPrograms, KeysIgnoreArgumentsTheOpDoesNotRead) {
    zep::gl::FfpFragmentKey a, b;
    state->stageStates[0][D3DTSS_COLOROP] = D3DTOP_SELECTARG1;
    zep::gl::makeFfpFragmentKey(*state, false, false, &a);
    state->stageStates[0][D3DTSS_COLORARG2] = D3DTA_TFACTOR;
    state->stageStates[0][D3DTSS_COLORARG0] = D3DTA_SPECULAR;
    zep::gl::makeFfpFragmentKey(*state, false, false, &b);
    EXPECT_EQ(std::memcmp(&a, &b, sizeof a), 0);
    state->stageStates[0][D3DTSS_COLOROP] = D3DTOP_MODULATE;
    zep::gl::makeFfpFragmentKey(*state, false, false, &b);
    EXPECT_NE(std::memcmp(&a, &b, sizeof a), 0);
    // Stages after the first disabled one do not count.
    state->stageStates[2][D3DTSS_COLOROP] = D3DTOP_ADD;
    zep::gl::makeFfpFragmentKey(*state, false, false, &a);
    EXPECT_EQ(a.stageCount, 1);
}

TEST_F(FfpPrograms, LightSelectionTakesTheFirstEightEnabledLights) {
    for (int i = 0; i < 12; ++i) setLight(10 + i * 3, i % 2 ? D3DLIGHT_POINT : D3DLIGHT_DIRECTIONAL);
    state->lights[13].enabled = false;  // the second light, switched off
    VertexLayout layout;
    ASSERT_TRUE(zep::d3d::layoutFromFvf(D3DFVF_XYZ | D3DFVF_NORMAL, &layout));
    zep::gl::FfpVertexKey key;
    zep::gl::FfpLightSelection lights;
    zep::gl::makeFfpVertexKey(*state, layout, 1, false, &key, &lights);
    ASSERT_EQ(lights.count, 8);
    EXPECT_EQ(lights.slots[0], 10);
    EXPECT_EQ(lights.slots[1], 16);
    EXPECT_EQ(lights.slots[7], 34);
    EXPECT_EQ(key.lightTypes[1], zep::gl::kFfpLightDirectional);
    EXPECT_EQ(key.lightTypes[2], zep::gl::kFfpLightPoint);
    // Vertex colours named by a material source but missing from the
    // vertex fall back to the material.
    EXPECT_EQ(key.diffuseSource, D3DMCS_MATERIAL);
    state->renderStates[D3DRS_LIGHTING] = FALSE;
    zep::gl::makeFfpVertexKey(*state, layout, 1, false, &key, &lights);
    EXPECT_EQ(lights.count, 0);
    EXPECT_EQ(key.lighting, 0);
}

}  // namespace
