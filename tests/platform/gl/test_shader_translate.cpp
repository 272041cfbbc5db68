// The shader translator on whole programs: malformed token streams fail
// cleanly, and the engine's effect programs translate, link and compute what
// they are meant to.
#include "test_shader_harness.h"

#include <memory>

namespace {

using namespace zep::test::shader;
using zep::d3d::TextureKind;
using zep::gl::TranslatedShader;

constexpr TextureKind kAll2D[4] = {TextureKind::Texture2D, TextureKind::Texture2D, TextureKind::Texture2D,
                                   TextureKind::Texture2D};
constexpr DWORD kVs11 = D3DVS_VERSION(1, 1);
constexpr DWORD kPs11 = D3DPS_VERSION(1, 1);

// Translates from an exactly sized heap copy, so that any read past `count`
// is caught by AddressSanitizer.
TranslatedShader translateExact(bool vertex, const Tokens& tokens, size_t count) {
    std::unique_ptr<DWORD[]> copy(new DWORD[count == 0 ? 1 : count]);
    std::memcpy(copy.get(), tokens.data(), count * sizeof(DWORD));
    return vertex ? zep::gl::translateVertexShader(copy.get(), count)
                  : zep::gl::translatePixelShader(copy.get(), count, kAll2D);
}

struct MalformedCase {
    const char* name;
    bool vertex;
    Tokens tokens;
    size_t count;  // tokens read; SIZE_MAX = all
    const char* errorPart;
};

TEST(ShaderTranslate, MalformedStreamsFailWithAReason) {
    const DWORD movR0C0[] = {D3DSIO_MOV, dst(D3DSPR_TEMP, 0), src(D3DSPR_CONST, 0)};
    const Tokens mov(std::begin(movR0C0), std::end(movR0C0));
    const MalformedCase cases[] = {
        {"empty", true, {}, 0, "empty"},
        {"pixel version given to the vertex translator", true, {kPs11, D3DVS_END()}, SIZE_MAX, "not a vertex"},
        {"vertex version given to the pixel translator", false, {kVs11, D3DVS_END()}, SIZE_MAX, "not a pixel"},
        {"vs.2.0", true, {D3DVS_VERSION(2, 0), D3DVS_END()}, SIZE_MAX, "vs.2.0"},
        {"ps.1.4", false, {D3DPS_VERSION(1, 4), D3DPS_END()}, SIZE_MAX, "ps.1.4"},
        {"missing END", true, program(kVs11, {mov}), 4, "no END"},
        {"ends inside an instruction", true, program(kVs11, {mov}), 3, "ends inside 'mov'"},
        {"missing parameter before END", true, {kVs11, D3DSIO_MOV, dst(D3DSPR_TEMP, 0), D3DVS_END()}, SIZE_MAX,
         "missing a parameter"},
        {"too many parameters", true,
         {kVs11, D3DSIO_MOV, dst(D3DSPR_TEMP, 0), src(D3DSPR_CONST, 0), src(D3DSPR_CONST, 1), D3DVS_END()}, SIZE_MAX,
         "too many parameters"},
        {"unknown opcode", true, program(kVs11, {{0x0090, dst(D3DSPR_TEMP, 0)}}), SIZE_MAX, "unknown opcode 144"},
        {"pixel opcode in a vertex shader", true, program(kVs11, {{D3DSIO_TEX, dst(D3DSPR_TEXTURE, 0)}}), SIZE_MAX,
         "'tex' is not a vertex"},
        {"vertex opcode in a pixel shader", false,
         program(kPs11, {{D3DSIO_RCP, dst(D3DSPR_TEMP, 0), src(D3DSPR_CONST, 0)}}), SIZE_MAX, "'rcp' is not a pixel"},
        {"cmp before ps.1.2", false,
         program(kPs11, {{D3DSIO_CMP, dst(D3DSPR_TEMP, 0), src(D3DSPR_CONST, 0), src(D3DSPR_CONST, 1),
                          src(D3DSPR_CONST, 2)}}),
         SIZE_MAX, "needs ps.1.2"},
        {"r12", true, program(kVs11, {{D3DSIO_MOV, dst(D3DSPR_TEMP, 12), src(D3DSPR_CONST, 0)}}), SIZE_MAX,
         "r12 is out of range"},
        {"v16", true, program(kVs11, {{D3DSIO_MOV, dst(D3DSPR_TEMP, 0), src(D3DSPR_INPUT, 16)}}), SIZE_MAX,
         "v16 is out of range"},
        {"c96", true, program(kVs11, {{D3DSIO_MOV, dst(D3DSPR_TEMP, 0), src(D3DSPR_CONST, 96)}}), SIZE_MAX,
         "c96 is out of range"},
        {"oT8", true, program(kVs11, {{D3DSIO_MOV, dst(D3DSPR_TEXCRDOUT, 8), src(D3DSPR_CONST, 0)}}), SIZE_MAX,
         "oT8 is out of range"},
        {"writing an input", true, program(kVs11, {{D3DSIO_MOV, dst(D3DSPR_INPUT, 0), src(D3DSPR_CONST, 0)}}), SIZE_MAX,
         "cannot write"},
        {"reading an output", true, program(kVs11, {{D3DSIO_MOV, dst(D3DSPR_TEMP, 0), src(D3DSPR_ATTROUT, 0)}}),
         SIZE_MAX, "cannot read"},
        {"m4x4 rows past c95", true,
         program(kVs11, {{D3DSIO_M4x4, dst(D3DSPR_TEMP, 0), src(D3DSPR_INPUT, 0), src(D3DSPR_CONST, 93)}}), SIZE_MAX,
         "past c95"},
        {"r2 in ps.1.1", false, program(kPs11, {{D3DSIO_MOV, dst(D3DSPR_TEMP, 2), src(D3DSPR_CONST, 0)}}), SIZE_MAX,
         "r2 is out of range"},
        {"t4 in ps.1.1", false, program(kPs11, {{D3DSIO_TEX, dst(D3DSPR_TEXTURE, 4)}}), SIZE_MAX,
         "t4 is out of range"},
        {"c8 in ps.1.1", false, program(kPs11, {{D3DSIO_MOV, dst(D3DSPR_TEMP, 0), src(D3DSPR_CONST, 8)}}), SIZE_MAX,
         "c8 is out of range"},
        {"relative address in a pixel shader", false,
         program(kPs11, {{D3DSIO_MOV, dst(D3DSPR_TEMP, 0), srcRelative(0)}}), SIZE_MAX, "relative"},
        {"comment past the end", true, {kVs11, D3DSHADER_COMMENT(5), 0x41414141u, D3DVS_END()}, SIZE_MAX,
         "comment runs past"},
        {"truncated def", true, {kVs11, D3DSIO_DEF, dst(D3DSPR_CONST, 0), bits(1.0f), bits(2.0f)}, SIZE_MAX,
         "inside 'def'"},
        {"co-issue on the first instruction", false,
         program(kPs11, {{D3DSIO_MOV | D3DSI_COISSUE, dst(D3DSPR_TEMP, 0, "a"), src(D3DSPR_CONST, 0)}}), SIZE_MAX,
         "co-issued"},
        {"co-issue in a vertex shader", true,
         program(kVs11, {mov, {D3DSIO_MOV | D3DSI_COISSUE, dst(D3DSPR_TEMP, 1), src(D3DSPR_CONST, 0)}}), SIZE_MAX,
         "co-issued"},
        {"texm3x2tex without its pad", false,
         program(kPs11, {{D3DSIO_TEX, dst(D3DSPR_TEXTURE, 0)},
                         {D3DSIO_TEXM3x2TEX, dst(D3DSPR_TEXTURE, 1), src(D3DSPR_TEXTURE, 0)}}),
         SIZE_MAX, "texm3x2pad"},
        {"unfinished pad", false,
         program(kPs11, {{D3DSIO_TEX, dst(D3DSPR_TEXTURE, 0)},
                         {D3DSIO_TEXM3x3PAD, dst(D3DSPR_TEXTURE, 1), src(D3DSPR_TEXTURE, 0)}}),
         SIZE_MAX, "unfinished"},
        {"texture instruction reading a later stage", false,
         program(kPs11, {{D3DSIO_TEXBEM, dst(D3DSPR_TEXTURE, 1), src(D3DSPR_TEXTURE, 2)}}), SIZE_MAX,
         "earlier stage"},
        {"texm3x3diff", false,
         program(kPs11, {{D3DSIO_TEX, dst(D3DSPR_TEXTURE, 0)},
                         {D3DSIO_TEXM3x3DIFF, dst(D3DSPR_TEXTURE, 1), src(D3DSPR_TEXTURE, 0)}}),
         SIZE_MAX, "'texm3x3diff' (token 3): is not supported"},
        {"vertex source modifier other than negation", true,
         program(kVs11, {{D3DSIO_MOV, dst(D3DSPR_TEMP, 0), src(D3DSPR_CONST, 0, "", D3DSPSM_BIAS)}}), SIZE_MAX,
         "only be negated"},
        {"saturate in a vertex shader", true,
         program(kVs11, {{D3DSIO_MOV, dst(D3DSPR_TEMP, 0, "", kSat), src(D3DSPR_CONST, 0)}}), SIZE_MAX,
         "no result modifiers"},
    };
    for (const MalformedCase& c : cases) {
        SCOPED_TRACE(c.name);
        const size_t count = c.count == SIZE_MAX ? c.tokens.size() : c.count;
        const TranslatedShader result = translateExact(c.vertex, c.tokens, count);
        EXPECT_FALSE(result.ok);
        EXPECT_TRUE(result.source.empty());
        EXPECT_NE(result.error.find(c.errorPart), std::string::npos) << "error: " << result.error;
    }
}

TEST(ShaderTranslate, NullTokensFailCleanly) {
    EXPECT_FALSE(zep::gl::translateVertexShader(nullptr, 4).ok);
    EXPECT_FALSE(zep::gl::translatePixelShader(nullptr, 4, kAll2D).ok);
}

TEST(ShaderTranslate, CommentsAndTokensAfterEndAreSkipped) {
    const Tokens body = {D3DSIO_MOV, dst(D3DSPR_TEXCRDOUT, 0), src(D3DSPR_CONST, 3)};
    const Tokens plain = program(kVs11, {body});
    Tokens commented = {kVs11, D3DSHADER_COMMENT(2), 0x12345678u, 0xFFFFFFFFu};
    commented.insert(commented.end(), body.begin(), body.end());
    commented.insert(commented.end(), {D3DSHADER_COMMENT(0), D3DVS_END(), 0xDEADBEEFu});
    const TranslatedShader a = translateExact(true, plain, plain.size());
    const TranslatedShader b = translateExact(true, commented, commented.size());
    ASSERT_TRUE(a.ok) << a.error;
    ASSERT_TRUE(b.ok) << b.error;
    EXPECT_EQ(a.source, b.source);
}

// ---- The engine's effect programs -------------------------------------------

Tokens bumpPixelShader() {
    // tex t0 / tex t1 / texcoord t2 / dp3_sat r0, t1_bx2, -t2 / mul r0, r0, v0
    // mad r0, t0, v0, r0 / mov r0.a, t0.a
    return program(kPs11, {
        {D3DSIO_TEX, dst(D3DSPR_TEXTURE, 0)},
        {D3DSIO_TEX, dst(D3DSPR_TEXTURE, 1)},
        {D3DSIO_TEXCOORD, dst(D3DSPR_TEXTURE, 2)},
        {D3DSIO_DP3, dst(D3DSPR_TEMP, 0, "", kSat), src(D3DSPR_TEXTURE, 1, "", D3DSPSM_SIGN),
         src(D3DSPR_TEXTURE, 2, "", D3DSPSM_NEG)},
        {D3DSIO_MUL, dst(D3DSPR_TEMP, 0), src(D3DSPR_TEMP, 0), src(D3DSPR_INPUT, 0)},
        {D3DSIO_MAD, dst(D3DSPR_TEMP, 0), src(D3DSPR_TEXTURE, 0), src(D3DSPR_INPUT, 0), src(D3DSPR_TEMP, 0)},
        {D3DSIO_MOV, dst(D3DSPR_TEMP, 0, "a"), src(D3DSPR_TEXTURE, 0, "a")},
    });
}

Tokens waterPixelShader() {
    // tex t0 / texbem t1, t0 / texbem t2, t0 / texcoord t3
    // dp3_sat r0, t1_bx2, t3_bx2 / mad r0, r0, v0, t2
    return program(kPs11, {
        {D3DSIO_TEX, dst(D3DSPR_TEXTURE, 0)},
        {D3DSIO_TEXBEM, dst(D3DSPR_TEXTURE, 1), src(D3DSPR_TEXTURE, 0)},
        {D3DSIO_TEXBEM, dst(D3DSPR_TEXTURE, 2), src(D3DSPR_TEXTURE, 0)},
        {D3DSIO_TEXCOORD, dst(D3DSPR_TEXTURE, 3)},
        {D3DSIO_DP3, dst(D3DSPR_TEMP, 0, "", kSat), src(D3DSPR_TEXTURE, 1, "", D3DSPSM_SIGN),
         src(D3DSPR_TEXTURE, 3, "", D3DSPSM_SIGN)},
        {D3DSIO_MAD, dst(D3DSPR_TEMP, 0), src(D3DSPR_TEMP, 0), src(D3DSPR_INPUT, 0), src(D3DSPR_TEXTURE, 2)},
    });
}

Tokens wideLineVertexShader() {
    // def c64, 0.5, 1.0, 1.0, -1.0 / mov r1, v0 / mul r0.xy, v1.xy, c8.xx
    // add r1.xy, r0.xy, r1.xy / mov oT0.y, v1.w / m4x4 r0, r1, c0
    // mov oT0.zw, c64.z / m4x4 oPos, r0, c4 / mul oT0.x, v1.z, c9.x
    return program(D3DVS_VERSION(1, 0), {
        def(64, 0.5f, 1.0f, 1.0f, -1.0f),
        {D3DSIO_MOV, dst(D3DSPR_TEMP, 1), src(D3DSPR_INPUT, 0)},
        {D3DSIO_MUL, dst(D3DSPR_TEMP, 0, "xy"), src(D3DSPR_INPUT, 1, "xyzw"), src(D3DSPR_CONST, 8, "xxzw")},
        {D3DSIO_ADD, dst(D3DSPR_TEMP, 1, "xy"), src(D3DSPR_TEMP, 0), src(D3DSPR_TEMP, 1)},
        {D3DSIO_MOV, dst(D3DSPR_TEXCRDOUT, 0, "y"), src(D3DSPR_INPUT, 1, "w")},
        {D3DSIO_M4x4, dst(D3DSPR_TEMP, 0), src(D3DSPR_TEMP, 1), src(D3DSPR_CONST, 0)},
        {D3DSIO_MOV, dst(D3DSPR_TEXCRDOUT, 0, "zw"), src(D3DSPR_CONST, 64, "z")},
        {D3DSIO_M4x4, dst(D3DSPR_RASTOUT, D3DSRO_POSITION), src(D3DSPR_TEMP, 0), src(D3DSPR_CONST, 4)},
        {D3DSIO_MUL, dst(D3DSPR_TEXCRDOUT, 0, "x"), src(D3DSPR_INPUT, 1, "z"), src(D3DSPR_CONST, 9, "x")},
    });
}

Tokens terrainVertexShader() {
    // def c64, 390.0, 0.5, 1.0, 1.0 / mov oT0.zw, c64.z / mov oPos.xyz, v0.xyz
    // mov oT1.zw, c64.z / mov oD0, v2 / mov oT2.zw, c64.z / mov oT0.xy, v1.xy
    // mov oPos.w, c64.x / mov oT1.xy, v1.xy / mov oT2.xy, v3.xy
    return program(D3DVS_VERSION(1, 0), {
        def(64, 390.0f, 0.5f, 1.0f, 1.0f),
        {D3DSIO_MOV, dst(D3DSPR_TEXCRDOUT, 0, "zw"), src(D3DSPR_CONST, 64, "z")},
        {D3DSIO_MOV, dst(D3DSPR_RASTOUT, D3DSRO_POSITION, "xyz"), src(D3DSPR_INPUT, 0)},
        {D3DSIO_MOV, dst(D3DSPR_TEXCRDOUT, 1, "zw"), src(D3DSPR_CONST, 64, "z")},
        {D3DSIO_MOV, dst(D3DSPR_ATTROUT, 0), src(D3DSPR_INPUT, 2)},
        {D3DSIO_MOV, dst(D3DSPR_TEXCRDOUT, 2, "zw"), src(D3DSPR_CONST, 64, "z")},
        {D3DSIO_MOV, dst(D3DSPR_TEXCRDOUT, 0, "xy"), src(D3DSPR_INPUT, 1)},
        {D3DSIO_MOV, dst(D3DSPR_RASTOUT, D3DSRO_POSITION, "w"), src(D3DSPR_CONST, 64, "x")},
        {D3DSIO_MOV, dst(D3DSPR_TEXCRDOUT, 1, "xy"), src(D3DSPR_INPUT, 1)},
        {D3DSIO_MOV, dst(D3DSPR_TEXCRDOUT, 2, "xy"), src(D3DSPR_INPUT, 3)},
    });
}

class EffectPrograms : public ::testing::Test {
protected:
    void SetUp() override {
        if (!zep::test::makeHeadlessGlCurrent()) GTEST_SKIP() << "no headless OpenGL 3.3 context";
    }
};

// Row-vector transform through four constant rows, as m4x4 computes it.
Vec4 m4x4(const Vec4& v, const Vec4 rows[4]) {
    Vec4 r{};
    for (int i = 0; i < 4; ++i) r[i] = v[0] * rows[i][0] + v[1] * rows[i][1] + v[2] * rows[i][2] + v[3] * rows[i][3];
    return r;
}

TEST_F(EffectPrograms, WideLinesOffsetTransformAndMapDistance) {
    const Tokens tokens = wideLineVertexShader();
    const TranslatedShader vs = translateExact(true, tokens, tokens.size());
    ASSERT_TRUE(vs.ok) << vs.error;
    const GLuint linked = linkProgram(vs.source, kPartnerFragment);
    EXPECT_NE(linked, 0u);
    glDeleteProgram(linked);

    const Vec4 world[4] = {{2, 0, 0, 1}, {0, 3, 0, -2}, {0, 0, 1, 0.5f}, {0, 0, 0, 1}};
    const Vec4 viewProject[4] = {{0.5f, 0, 0, 0}, {0, 0.25f, 0, 0}, {0, 0, 1, -1}, {0, 0, 1, 0}};
    VertexInputs in;
    for (int i = 0; i < 4; ++i) {
        in.constants.push_back({i, world[i]});
        in.constants.push_back({4 + i, viewProject[i]});
    }
    in.constants.push_back({8, {2.0f, 0, 0, 0}});   // wide
    in.constants.push_back({9, {0.25f, 0, 0, 0}});  // towv
    in.constants.push_back({64, {9, 9, 9, 9}});     // the def wins over this
    in.attributes = {{0, {1, 2, 3, 1}}, {1, {0.5f, -1.0f, 10.0f, 1.0f}}};
    VertexOutputs out;
    ASSERT_TRUE(runVertexShader(vs.source, in, &out));

    const Vec4 offset{1 + 0.5f * 2, 2 - 1.0f * 2, 3, 1};
    EXPECT_TRUE(vec4Near(out.position, m4x4(m4x4(offset, world), viewProject)));
    EXPECT_TRUE(vec4Near(out.tex[0], {2.5f, 1.0f, 1.0f, 1.0f}));
}

TEST_F(EffectPrograms, TerrainPassesPretransformedVerticesThrough) {
    const Tokens tokens = terrainVertexShader();
    const TranslatedShader vs = translateExact(true, tokens, tokens.size());
    ASSERT_TRUE(vs.ok) << vs.error;
    const GLuint linked = linkProgram(vs.source, kPartnerFragment);
    EXPECT_NE(linked, 0u);
    glDeleteProgram(linked);

    VertexInputs in;
    in.attributes = {{0, {10, 20, 0.5f, 7}}, {1, {0.25f, 0.75f, 0, 1}}, {2, {0.2f, 0.4f, 0.6f, 0.8f}},
                     {3, {0.125f, 0.625f, 0, 1}}};
    in.halfPixel[0] = 1.0f / 640.0f;
    in.halfPixel[1] = -1.0f / 480.0f;
    VertexOutputs out;
    ASSERT_TRUE(runVertexShader(vs.source, in, &out));

    // Pixel centres on integers: xy move by half a pixel times w.
    EXPECT_TRUE(vec4Near(out.position, {10 + 390.0f / 640.0f, 20 - 390.0f / 480.0f, 0.5f, 390.0f}));
    EXPECT_TRUE(vec4Near(out.diffuse, {0.2f, 0.4f, 0.6f, 0.8f}));
    EXPECT_TRUE(vec4Near(out.tex[0], {0.25f, 0.75f, 1, 1}));
    EXPECT_TRUE(vec4Near(out.tex[1], {0.25f, 0.75f, 1, 1}));
    EXPECT_TRUE(vec4Near(out.tex[2], {0.125f, 0.625f, 1, 1}));
}

TEST_F(EffectPrograms, BumpLightsTheTextureWithTheNormalMap) {
    const Tokens tokens = bumpPixelShader();
    const TranslatedShader ps = translateExact(false, tokens, tokens.size());
    ASSERT_TRUE(ps.ok) << ps.error;

    PixelInputs in;
    in.diffuse = {0.5f, 1.0f, 0.25f, 1.0f};
    in.tex[2] = {0.0f, 0.6f, -0.5f, 0};  // the light vector; texcoord clamps z to 0
    const std::vector<StageTexture> textures = {
        {1, 1, 1, false, {{0.5f, 0.25f, 1.0f, 0.75f}}},
        {1, 1, 1, false, {{0.5f, 0.1f, 0.5f, 1.0f}}},  // expands to (0, -0.8, 0)
    };
    PixelResult out;
    ASSERT_TRUE(runPixelShader(ps.source, in, textures, &out));
    // dp3 = 0.48; rgb = t0 * v0 + 0.48 * v0; alpha = t0.a
    EXPECT_TRUE(vec4Near(out.color, {0.25f + 0.24f, 0.25f + 0.48f, 0.25f + 0.12f, 0.75f}, 1e-4f));
}

TEST_F(EffectPrograms, WaterPerturbsTwoLookupsByTheBumpMap) {
    const Tokens tokens = waterPixelShader();
    const TranslatedShader ps = translateExact(false, tokens, tokens.size());
    ASSERT_TRUE(ps.ok) << ps.error;

    // 4x4 textures whose every texel but one is a decoy.
    StageTexture normals{4, 4, 1, false, std::vector<Vec4>(16, Vec4{0.0f, 0.5f, 0.5f, 0.0f})};
    normals.texels[1 * 4 + 1] = {1.0f, 0.5f, 0.5f, 1.0f};  // expands to (1, 0, 0)
    StageTexture colours{4, 4, 1, false, std::vector<Vec4>(16, Vec4{0.9f, 0.9f, 0.9f, 0.9f})};
    colours.texels[2 * 4 + 2] = {0.1f, 0.3f, 0.1f, 0.2f};
    const std::vector<StageTexture> textures = {{1, 1, 1, false, {{0.5f, -0.25f, 0, 0}}}, normals, colours};

    PixelInputs in;
    in.diffuse = {0.5f, 0.25f, 1.0f, 1.0f};
    in.bumpEnvMat[1] = {0.5f, 0.0f, 0.0f, 1.0f};  // u += 0.5 du, v += dv
    in.bumpEnvMat[2] = {0.0f, 0.5f, 1.0f, 0.0f};  // u += dv, v += 0.5 du
    in.tex[1] = {0.125f, 0.625f, 0, 0};            // -> (0.375, 0.375): texel (1, 1)
    in.tex[2] = {0.875f, 0.375f, 0, 0};            // -> (0.625, 0.625): texel (2, 2)
    in.tex[3] = {0.9f, 0.5f, 0.5f, 0};             // expands to (0.8, 0, 0)
    PixelResult out;
    ASSERT_TRUE(runPixelShader(ps.source, in, textures, &out));
    EXPECT_TRUE(vec4Near(out.color, {0.4f + 0.1f, 0.2f + 0.3f, 0.8f + 0.1f, 1.0f}, 1e-4f));
}

TEST_F(EffectPrograms, PixelHalvesLinkWithEveryStageKind) {
    const Tokens tokens = bumpPixelShader();
    const TextureKind volume[4] = {TextureKind::Volume, TextureKind::Cube, TextureKind::Texture2D,
                                   TextureKind::None};
    const TranslatedShader ps = zep::gl::translatePixelShader(tokens.data(), tokens.size(), volume);
    ASSERT_TRUE(ps.ok) << ps.error;
    EXPECT_NE(ps.source.find("uniform sampler3D zSampler0;"), std::string::npos);
    EXPECT_NE(ps.source.find("uniform samplerCube zSampler1;"), std::string::npos);
    const GLuint linked = linkProgram(kPartnerVertex, ps.source);
    EXPECT_NE(linked, 0u);
    glDeleteProgram(linked);
}

}  // namespace
