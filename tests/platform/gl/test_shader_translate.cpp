// The shader translator on whole programs: malformed token streams fail
// cleanly, and the engine's effect programs translate, link and compute what
// they are meant to.
#include "test_shader_harness.h"

#include "gl/ffp_fragment.h"
#include "gl/ffp_vertex.h"

#include <memory>
#include <random>
#include <set>

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
    if (count > 0) std::memcpy(copy.get(), tokens.data(), count * sizeof(DWORD));
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
        {"ps.2.0", false, {D3DPS_VERSION(2, 0), D3DPS_END()}, SIZE_MAX, "ps.2.0"},
        {"texbem in ps.1.4", false,
         program(D3DPS_VERSION(1, 4), {{D3DSIO_TEXBEM, dst(D3DSPR_TEMP, 1), src(D3DSPR_TEMP, 0)}}), SIZE_MAX,
         "not a ps.1.4 instruction"},
        {"_dz outside texld", false,
         program(D3DPS_VERSION(1, 4), {{D3DSIO_MOV, dst(D3DSPR_TEMP, 0), src(D3DSPR_TEMP, 1, "", D3DSPSM_DZ)}}),
         SIZE_MAX, "_dz and _dw"},
        {"writing t0 in ps.1.4", false,
         program(D3DPS_VERSION(1, 4), {{D3DSIO_MOV, dst(D3DSPR_TEXTURE, 0), src(D3DSPR_TEMP, 1)}}), SIZE_MAX,
         "cannot write"},
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

TEST(ShaderTranslate, NullArgumentsAreHandled) {
    EXPECT_FALSE(zep::gl::translateVertexShader(nullptr, 4).ok);
    EXPECT_FALSE(zep::gl::translatePixelShader(nullptr, 4, kAll2D).ok);
    const Tokens tex = program(kPs11, {{D3DSIO_TEX, dst(D3DSPR_TEXTURE, 0)}});
    const TranslatedShader noKinds = zep::gl::translatePixelShader(tex.data(), tex.size(), nullptr);
    ASSERT_TRUE(noKinds.ok) << noKinds.error;
    EXPECT_NE(noKinds.source.find("uniform sampler2D zSampler0;"), std::string::npos);
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

class ShaderEffects : public ::testing::Test {
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

TEST_F(ShaderEffects, WideLinesOffsetTransformAndMapDistance) {
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

TEST_F(ShaderEffects, TerrainPassesPretransformedVerticesThrough) {
    const Tokens tokens = terrainVertexShader();
    const TranslatedShader vs = translateExact(true, tokens, tokens.size());
    ASSERT_TRUE(vs.ok) << vs.error;
    const GLuint linked = linkProgram(vs.source, kPartnerFragment);
    EXPECT_NE(linked, 0u);
    glDeleteProgram(linked);
    const std::string ending = "    zFog = clamp(oFog, 0.0, 1.0);\n}\n";
    EXPECT_EQ(vs.source.substr(vs.source.size() - ending.size()), ending);

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

TEST_F(ShaderEffects, BumpLightsTheTextureWithTheNormalMap) {
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

TEST_F(ShaderEffects, WaterPerturbsTwoLookupsByTheBumpMap) {
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

TEST_F(ShaderEffects, PixelHalvesLinkWithEveryStageKind) {
    const Tokens tokens = bumpPixelShader();
    const TextureKind volume[4] = {TextureKind::Volume, TextureKind::Cube, TextureKind::Texture2D,
                                   TextureKind::None};
    const TranslatedShader ps = zep::gl::translatePixelShader(tokens.data(), tokens.size(), volume);
    ASSERT_TRUE(ps.ok) << ps.error;
    EXPECT_NE(ps.source.find("uniform sampler3D zSampler0;"), std::string::npos);
    EXPECT_NE(ps.source.find("uniform samplerCube zSampler1;"), std::string::npos);
    // Callers insert fog and alpha test before the last line.
    EXPECT_EQ(ps.source.rfind("#version 330 core\n", 0), 0u);
    const std::string ending = "    zColor = clamp(r0, 0.0, 1.0);\n}\n";
    EXPECT_EQ(ps.source.substr(ps.source.size() - ending.size()), ending);
    const GLuint linked = linkProgram(kPartnerVertex, ps.source);
    EXPECT_NE(linked, 0u);
    glDeleteProgram(linked);
}

// Halves of different origin: the effect programs with generated
// fixed-function halves.
TEST_F(ShaderEffects, LinkWithFixedFunctionHalves) {
    zep::gl::FfpVertexKey vertexKey{};
    vertexKey.hasDiffuse = 1;
    vertexKey.texStageCount = 4;
    zep::gl::FfpFragmentKey fragmentKey{};
    fragmentKey.alphaFunc = D3DCMP_ALWAYS;
    const std::string ffpVertex = zep::gl::ffpVertexSource(vertexKey);
    const std::string ffpFragment = zep::gl::ffpFragmentSource(fragmentKey);
    for (const Tokens& tokens : {bumpPixelShader(), waterPixelShader()}) {
        const TranslatedShader ps = translateExact(false, tokens, tokens.size());
        ASSERT_TRUE(ps.ok) << ps.error;
        const GLuint linked = linkProgram(ffpVertex, ps.source);
        EXPECT_NE(linked, 0u);
        glDeleteProgram(linked);
    }
    for (const Tokens& tokens : {wideLineVertexShader(), terrainVertexShader()}) {
        const TranslatedShader vs = translateExact(true, tokens, tokens.size());
        ASSERT_TRUE(vs.ok) << vs.error;
        const GLuint linked = linkProgram(vs.source, ffpFragment);
        EXPECT_NE(linked, 0u);
        glDeleteProgram(linked);
    }
}

// Flat shading: callers put "flat " before the colour lines of both halves.
TEST_F(ShaderEffects, FlatShadingIsAPrefixOnTheColourLines) {
    auto flat = [](std::string source, const char* direction) {
        for (const char* name : {"zDiffuse;", "zSpecular;"}) {
            const std::string line = std::string("\n") + direction + " vec4 " + name + "\n";
            const size_t at = source.find(line);
            if (at != std::string::npos) source.insert(at + 1, "flat ");
        }
        return source;
    };
    const Tokens vsTokens = terrainVertexShader();
    const TranslatedShader vs = translateExact(true, vsTokens, vsTokens.size());
    const Tokens psTokens = bumpPixelShader();
    const TranslatedShader ps = translateExact(false, psTokens, psTokens.size());
    ASSERT_TRUE(vs.ok && ps.ok);
    const std::string flatVs = flat(vs.source, "out"), flatPs = flat(ps.source, "in");
    EXPECT_NE(flatVs.find("\nflat out vec4 zDiffuse;\nflat out vec4 zSpecular;\n"), std::string::npos);
    EXPECT_NE(flatPs.find("\nflat in vec4 zDiffuse;\n"), std::string::npos);
    for (const auto& [vertex, fragment] : {std::pair{flatVs, flatPs}, std::pair{flatVs, flat(kPartnerFragment, "in")},
                                           std::pair{flat(kPartnerVertex, "out"), flatPs}}) {
        const GLuint linked = linkProgram(vertex, fragment);
        EXPECT_NE(linked, 0u);
        glDeleteProgram(linked);
    }
}

TEST(ShaderTranslate, ProgramsDeclareOnlyTheUniformsTheyRead) {
    struct Expectation {
        const char* name;
        bool vertex;
        Tokens tokens;
        std::vector<const char*> declared, absent;
    };
    const Expectation cases[] = {
        {"terrain reads def'd constants only", true, terrainVertexShader(), {"zHalfPixel"}, {"zVsConst"}},
        {"wide lines", true, wideLineVertexShader(), {"zHalfPixel", "zVsConst[96]"}, {"zPsConst"}},
        {"bump", false, bumpPixelShader(), {"zSampler0", "zSampler1"}, {"zSampler2", "zPsConst", "zBumpEnvMat"}},
        {"water", false, waterPixelShader(), {"zBumpEnvMat[8]", "zSampler2"}, {"zSampler3", "zBumpLum", "zPsConst"}},
    };
    for (const Expectation& c : cases) {
        SCOPED_TRACE(c.name);
        const TranslatedShader result = translateExact(c.vertex, c.tokens, c.tokens.size());
        ASSERT_TRUE(result.ok) << result.error;
        for (const char* name : c.declared)
            EXPECT_NE(result.source.find(" " + std::string(name) + ";\n"), std::string::npos) << name;
        for (const char* name : c.absent) EXPECT_EQ(result.source.find(name), std::string::npos) << name;
    }
}

class ShaderCorruption : public ShaderEffects {};

// Every prefix and every single-bit corruption of the effect programs either
// fails with a reason or gives GLSL that compiles; nothing reads past the
// end (AddressSanitizer watches the exactly sized copies).
TEST_F(ShaderCorruption, EffectStreamsFailCleanlyOrCompile) {
    struct Subject {
        bool vertex;
        Tokens tokens;
    };
    const Subject subjects[] = {{false, bumpPixelShader()}, {false, waterPixelShader()},
                                {true, wideLineVertexShader()}, {true, terrainVertexShader()}};
    std::set<std::string> compiled;
    int failures = 0;
    for (const Subject& subject : subjects) {
        for (size_t count = 0; count < subject.tokens.size(); ++count) {
            const TranslatedShader prefix = translateExact(subject.vertex, subject.tokens, count);
            EXPECT_FALSE(prefix.ok) << "a stream cut after " << count << " tokens has no END";
            EXPECT_FALSE(prefix.error.empty());
        }
        for (size_t index = 0; index < subject.tokens.size(); ++index) {
            for (int bit = 0; bit < 32; ++bit) {
                Tokens corrupted = subject.tokens;
                corrupted[index] ^= 1u << bit;
                const TranslatedShader result = translateExact(subject.vertex, corrupted, corrupted.size());
                if (!result.ok) {
                    EXPECT_FALSE(result.error.empty());
                    ++failures;
                    continue;
                }
                if (!compiled.insert(result.source).second) continue;
                SCOPED_TRACE("token " + std::to_string(index) + " bit " + std::to_string(bit));
                glDeleteShader(compileStage(subject.vertex ? GL_VERTEX_SHADER : GL_FRAGMENT_SHADER, result.source));
            }
        }
    }
    // Both outcomes must really occur, or the corruption reached nothing.
    EXPECT_GT(failures, 100);
    EXPECT_GT(compiled.size(), 100u);
}

// Random instruction streams built from real opcodes with plausible
// parameters: whatever the translator accepts must compile.
TEST_F(ShaderCorruption, RandomInstructionStreamsFailCleanlyOrCompile) {
    struct Op {
        DWORD opcode;
        int sources;
    };
    const Op vertexOps[] = {{D3DSIO_MOV, 1},  {D3DSIO_ADD, 2},  {D3DSIO_SUB, 2},  {D3DSIO_MAD, 3},  {D3DSIO_MUL, 2},
                            {D3DSIO_RCP, 1},  {D3DSIO_RSQ, 1},  {D3DSIO_DP3, 2},  {D3DSIO_DP4, 2},  {D3DSIO_MIN, 2},
                            {D3DSIO_MAX, 2},  {D3DSIO_SLT, 2},  {D3DSIO_SGE, 2},  {D3DSIO_EXP, 1},  {D3DSIO_LOG, 1},
                            {D3DSIO_LIT, 1},  {D3DSIO_DST, 2},  {D3DSIO_FRC, 1},  {D3DSIO_M4x4, 2}, {D3DSIO_M4x3, 2},
                            {D3DSIO_M3x4, 2}, {D3DSIO_M3x3, 2}, {D3DSIO_M3x2, 2}, {D3DSIO_EXPP, 1}, {D3DSIO_LOGP, 1}};
    const Op pixelOps[] = {{D3DSIO_MOV, 1},          {D3DSIO_ADD, 2},          {D3DSIO_SUB, 2},
                           {D3DSIO_MAD, 3},          {D3DSIO_MUL, 2},          {D3DSIO_LRP, 3},
                           {D3DSIO_DP3, 2},          {D3DSIO_DP4, 2},          {D3DSIO_CND, 3},
                           {D3DSIO_CMP, 3},          {D3DSIO_TEX, 0},          {D3DSIO_TEXCOORD, 0},
                           {D3DSIO_TEXKILL, 0},      {D3DSIO_TEXBEM, 1},       {D3DSIO_TEXBEML, 1},
                           {D3DSIO_TEXREG2AR, 1},    {D3DSIO_TEXREG2GB, 1},    {D3DSIO_TEXREG2RGB, 1},
                           {D3DSIO_TEXM3x2PAD, 1},   {D3DSIO_TEXM3x2TEX, 1},   {D3DSIO_TEXM3x3PAD, 1},
                           {D3DSIO_TEXM3x3TEX, 1},   {D3DSIO_TEXM3x3SPEC, 2},  {D3DSIO_TEXM3x3VSPEC, 1},
                           {D3DSIO_TEXM3x3, 1},      {D3DSIO_TEXDP3, 1},       {D3DSIO_TEXDP3TEX, 1},
                           {D3DSIO_TEXM3x2DEPTH, 1}, {D3DSIO_BEM, 2},          {D3DSIO_TEXDEPTH, 0},
                           {D3DSIO_PHASE, -1}};
    std::mt19937 random(20261210u);
    auto pick = [&](int n) { return static_cast<DWORD>(std::uniform_int_distribution<int>(0, n - 1)(random)); };
    // Mostly files the role allows, and now and then one it does not.
    const DWORD vertexDestinations[] = {D3DSPR_TEMP,    D3DSPR_TEMP,      D3DSPR_ADDR, D3DSPR_RASTOUT,
                                        D3DSPR_ATTROUT, D3DSPR_TEXCRDOUT, D3DSPR_INPUT};
    const DWORD vertexSources[] = {D3DSPR_TEMP, D3DSPR_INPUT, D3DSPR_CONST, D3DSPR_CONST, D3DSPR_ATTROUT};
    const DWORD pixelDestinations[] = {D3DSPR_TEMP, D3DSPR_TEMP, D3DSPR_TEXTURE, D3DSPR_CONST};
    const DWORD pixelSources[] = {D3DSPR_TEMP, D3DSPR_TEXTURE, D3DSPR_TEXTURE, D3DSPR_CONST, D3DSPR_INPUT};
    std::set<std::string> compiled;
    int failures = 0;
    for (int round = 0; round < 6000; ++round) {
        const bool vertex = round % 2 == 0;
        const DWORD minor = vertex ? pick(2) : pick(5);
        Tokens tokens{vertex ? D3DVS_VERSION(1, minor) : D3DPS_VERSION(1, minor)};
        const int instructions = 1 + static_cast<int>(pick(6));
        for (int i = 0; i < instructions; ++i) {
            const Op op = vertex ? vertexOps[pick(std::size(vertexOps))] : pixelOps[pick(std::size(pixelOps))];
            const bool coissue = !vertex && i > 0 && pick(5) == 0;
            tokens.push_back(op.opcode | (coissue ? D3DSI_COISSUE : 0u));
            if (op.sources < 0) continue;
            const DWORD shift = vertex || pick(3) ? 0u : (pick(2) ? 1u : 0xFu) << D3DSP_DSTSHIFT_SHIFT;
            const DWORD saturate = !vertex && pick(3) == 0 ? kSat : 0u;
            const DWORD destination = vertex ? vertexDestinations[pick(std::size(vertexDestinations))]
                                             : pixelDestinations[pick(std::size(pixelDestinations))];
            tokens.push_back(0x80000000u | destination | pick(vertex ? 3 : 2) | ((1 + pick(15)) << 16) | shift |
                             saturate);
            for (int k = 0; k < op.sources; ++k) {
                const DWORD modifier = vertex ? (pick(2) ? DWORD{D3DSPSM_NEG} : 0u) : pick(7) << D3DSP_SRCMOD_SHIFT;
                const DWORD relative = vertex && pick(4) == 0 ? DWORD{D3DVS_ADDRMODE_RELATIVE} : 0u;
                const DWORD file = vertex ? vertexSources[pick(std::size(vertexSources))]
                                          : pixelSources[pick(std::size(pixelSources))];
                tokens.push_back(0x80000000u | file | pick(vertex ? 4 : 3) | (pick(256) << 16) |
                                 modifier | relative);
            }
        }
        tokens.push_back(D3DVS_END());
        const TranslatedShader result = translateExact(vertex, tokens, tokens.size());
        if (!result.ok) {
            EXPECT_FALSE(result.error.empty());
            ++failures;
            continue;
        }
        if (!compiled.insert(result.source).second) continue;
        SCOPED_TRACE("round " + std::to_string(round));
        glDeleteShader(compileStage(vertex ? GL_VERTEX_SHADER : GL_FRAGMENT_SHADER, result.source));
    }
    EXPECT_GT(failures, 100);
    EXPECT_GT(compiled.size(), 100u);
}

}  // namespace
