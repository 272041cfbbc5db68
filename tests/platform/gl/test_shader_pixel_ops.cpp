// ps.1.x instructions drawn into a float framebuffer: arithmetic with its
// modifiers, ranges and co-issue, then the texture address instructions
// against textures whose texels tell where they were looked up.
#include "test_shader_harness.h"

namespace {

using namespace zep::test::shader;
using zep::d3d::TextureKind;
using zep::gl::TranslatedShader;

class ShaderPixelOps : public ::testing::Test {
protected:
    void SetUp() override {
        if (!zep::test::makeHeadlessGlCurrent()) GTEST_SKIP() << "no headless OpenGL 3.3 context";
    }
};

DWORD c(DWORD n, const char* swizzle = "", DWORD modifier = D3DSPSM_NONE) {
    return src(D3DSPR_CONST, n, swizzle, modifier);
}
DWORD r(DWORD n, const char* swizzle = "", DWORD modifier = D3DSPSM_NONE) {
    return src(D3DSPR_TEMP, n, swizzle, modifier);
}
DWORD t(DWORD n, const char* swizzle = "", DWORD modifier = D3DSPSM_NONE) {
    return src(D3DSPR_TEXTURE, n, swizzle, modifier);
}
DWORD r0(const char* mask = "", DWORD modifiers = 0) { return dst(D3DSPR_TEMP, 0, mask, modifiers); }
DWORD r1(const char* mask = "", DWORD modifiers = 0) { return dst(D3DSPR_TEMP, 1, mask, modifiers); }
DWORD tDst(DWORD n) { return dst(D3DSPR_TEXTURE, n); }
constexpr DWORD kCoissue = D3DSI_COISSUE;

constexpr TextureKind k2D = TextureKind::Texture2D;
constexpr TextureKind kVolume = TextureKind::Volume;

struct PixelCase {
    const char* name;
    DWORD minor;
    std::vector<Tokens> body;
    Vec4 expected;
};

TranslatedShader translate(DWORD minor, const std::vector<Tokens>& body, const TextureKind kinds[4]) {
    Tokens tokens{D3DPS_VERSION(1, minor)};
    for (const Tokens& piece : body) tokens.insert(tokens.end(), piece.begin(), piece.end());
    tokens.push_back(D3DPS_END());
    return zep::gl::translatePixelShader(tokens.data(), tokens.size(), kinds);
}

PixelResult draw(DWORD minor, const std::vector<Tokens>& body, const PixelInputs& inputs,
                 const std::vector<StageTexture>& textures = {},
                 const TextureKind* kinds = nullptr) {
    const TextureKind all2D[4] = {k2D, k2D, k2D, k2D};
    const TranslatedShader ps = translate(minor, body, kinds ? kinds : all2D);
    EXPECT_TRUE(ps.ok) << ps.error;
    PixelResult out{};
    if (ps.ok) runPixelShader(ps.source, inputs, textures, &out);
    return out;
}

TEST_F(ShaderPixelOps, ArithmeticModifiersAndRanges) {
    // c0..c6 as the cases below read them; c6 lies outside [-1, 1].
    PixelInputs in;
    in.constants = {{0, {0.2f, 0.4f, 0.6f, 0.8f}}, {1, {0.5f, 0.25f, 1.0f, 0.0f}}, {2, {-0.5f, 0.5f, -1.0f, 0.0f}},
                    {3, {1.0f, 1.0f, 0.0f, 0.5f}}, {4, {0.0f, 0.0f, 0.0f, 0.5f}}, {5, {0.5f, 0.5f, 0.5f, 0.5f}},
                    {6, {3.0f, -2.0f, 0.5f, 1.0f}}};
    in.diffuse = {0.25f, 0.5f, 0.0f, 1.0f};
    in.specular = {0.5f, 0.25f, 0.125f, 0.0f};
    const PixelCase cases[] = {
        {"mov", 1, {{D3DSIO_MOV, r0(), c(0)}}, {0.2f, 0.4f, 0.6f, 0.8f}},
        {"add", 1, {{D3DSIO_ADD, r0(), c(0), c(1)}}, {0.7f, 0.65f, 1.0f, 0.8f}},
        {"sub", 1, {{D3DSIO_SUB, r0(), c(1), c(4)}}, {0.5f, 0.25f, 1.0f, 0.0f}},
        {"mul", 1, {{D3DSIO_MUL, r0(), c(0), c(1)}}, {0.1f, 0.1f, 0.6f, 0.0f}},
        {"mad", 1, {{D3DSIO_MAD, r0(), c(0), c(1), c(4)}}, {0.1f, 0.1f, 0.6f, 0.5f}},
        {"lrp", 1, {{D3DSIO_LRP, r0(), c(1), c(0), c(3)}}, {0.6f, 0.85f, 0.6f, 0.5f}},
        {"dp3 fills every channel", 1, {{D3DSIO_DP3, r0(), c(0), c(1)}}, {0.8f, 0.8f, 0.8f, 0.8f}},
        {"dp4", 2, {{D3DSIO_DP4, r0(), c(0), c(3)}}, {1.0f, 1.0f, 1.0f, 1.0f}},
        {"cnd takes src1 when r0.a > 0.5", 1, {{D3DSIO_MOV, r0(), c(0)}, {D3DSIO_CND, r0(), r(0, "a"), c(1), c(3)}},
         {0.5f, 0.25f, 1.0f, 0.0f}},
        {"cnd takes src2 at r0.a = 0.5", 1, {{D3DSIO_MOV, r0(), c(4)}, {D3DSIO_CND, r0(), r(0, "a"), c(1), c(3)}},
         {1.0f, 1.0f, 0.0f, 0.5f}},
        {"cmp per component", 2, {{D3DSIO_CMP, r0(), c(2), c(0), c(1)}}, {0.5f, 0.4f, 1.0f, 0.8f}},
        {"_x2", 1, {{D3DSIO_MUL, r0("", kX2), c(0), c(1)}}, {0.2f, 0.2f, 1.0f, 0.0f}},
        {"_x4", 1, {{D3DSIO_MOV, r0("", kX4), c(0)}}, {0.8f, 1.0f, 1.0f, 1.0f}},
        {"_d2", 1, {{D3DSIO_MOV, r0("", kD2), c(0)}}, {0.1f, 0.2f, 0.3f, 0.4f}},
        {"_sat clamps what the next instruction reads", 1,
         {{D3DSIO_SUB, r1("", kSat), c(0), c(1)}, {D3DSIO_ADD, r0(), r(1), c(5)}}, {0.5f, 0.65f, 0.5f, 1.0f}},
        {"results clamp to 1", 1, {{D3DSIO_ADD, r1(), c(3), c(3)}, {D3DSIO_SUB, r0(), r(1), c(5)}},
         {0.5f, 0.5f, 0.0f, 0.5f}},
        {"results clamp to -1", 1, {{D3DSIO_SUB, r1(), c(2), c(3)}, {D3DSIO_MAD, r0(), r(1), c(5), c(3)}},
         {0.5f, 0.75f, 0.0f, 0.25f}},
        {"constants read clamped", 1, {{D3DSIO_MUL, r0(), c(6), c(5)}}, {0.5f, 0.0f, 0.25f, 0.5f}},
        {"def clamped too", 1, {def(0, 2.0f, 0.5f, -3.0f, 0.25f), {D3DSIO_MUL, r0(), c(0), c(5)}},
         {0.5f, 0.25f, 0.0f, 0.125f}},
        {"negate", 1, {{D3DSIO_ADD, r0(), c(3), c(0, "", D3DSPSM_NEG)}}, {0.8f, 0.6f, 0.0f, 0.0f}},
        {"_bias", 1, {{D3DSIO_MOV, r0(), c(0, "", D3DSPSM_BIAS)}}, {0.0f, 0.0f, 0.1f, 0.3f}},
        {"-_bias", 1, {{D3DSIO_MOV, r0(), c(0, "", D3DSPSM_BIASNEG)}}, {0.3f, 0.1f, 0.0f, 0.0f}},
        {"_bx2", 1, {{D3DSIO_MOV, r0(), c(0, "", D3DSPSM_SIGN)}}, {0.0f, 0.0f, 0.2f, 0.6f}},
        {"-_bx2", 1, {{D3DSIO_MOV, r0(), c(0, "", D3DSPSM_SIGNNEG)}}, {0.6f, 0.2f, 0.0f, 0.0f}},
        {"1-x", 1, {{D3DSIO_MOV, r0(), c(0, "", D3DSPSM_COMP)}}, {0.8f, 0.6f, 0.4f, 0.2f}},
        {".a replicate", 1, {{D3DSIO_MOV, r0(), c(0, "a")}}, {0.8f, 0.8f, 0.8f, 0.8f}},
        {".b replicate", 1, {{D3DSIO_MOV, r0(), c(0, "b")}}, {0.6f, 0.6f, 0.6f, 0.6f}},
        {"modifier after replicate", 1, {{D3DSIO_MOV, r0(), c(2, "r", D3DSPSM_NEG)}}, {0.5f, 0.5f, 0.5f, 0.5f}},
        {"alpha write mask", 1, {{D3DSIO_MOV, r0(), c(0)}, {D3DSIO_MOV, r0("a"), c(1)}}, {0.2f, 0.4f, 0.6f, 0.0f}},
        {"colour write mask", 1, {{D3DSIO_MOV, r0(), c(0)}, {D3DSIO_MOV, r0("rgb"), c(1)}}, {0.5f, 0.25f, 1.0f, 0.8f}},
        {"co-issue reads before it writes", 1,
         {{D3DSIO_MOV, r0(), c(0)}, {D3DSIO_MOV, r0("rgb"), r(0, "a")}, {D3DSIO_MOV | kCoissue, r0("a"), r(0, "r")}},
         {0.8f, 0.8f, 0.8f, 0.2f}},
        {"co-issued pair of different operations", 1,
         {{D3DSIO_MUL, r0("rgb"), c(0), c(1)}, {D3DSIO_ADD | kCoissue, r0("a", kSat), c(0), c(3)}},
         {0.1f, 0.1f, 0.6f, 1.0f}},
        {"v0 and v1", 1, {{D3DSIO_ADD, r0(), src(D3DSPR_INPUT, 0), src(D3DSPR_INPUT, 1)}}, {0.75f, 0.75f, 0.125f, 1.0f}},
        {"t and r1 as temporaries", 1,
         {{D3DSIO_MOV, tDst(0), c(0)}, {D3DSIO_MOV, r1(), t(0)}, {D3DSIO_ADD, r0(), r(1), c(4)}},
         {0.2f, 0.4f, 0.6f, 1.0f}},
        {"ps.1.0", 0, {{D3DSIO_NOP}, {D3DSIO_MOV, r0(), c(1)}}, {0.5f, 0.25f, 1.0f, 0.0f}},
        {"ps.1.3", 3, {{D3DSIO_CMP, r0(), c(2, "", D3DSPSM_NEG), c(0), c(1)}}, {0.2f, 0.25f, 0.6f, 0.8f}},
    };
    for (const PixelCase& op : cases) {
        SCOPED_TRACE(op.name);
        EXPECT_TRUE(vec4Near(draw(op.minor, op.body, in).color, op.expected, 1e-5f));
    }
}

// Texels that say where they are: (x / 4, y / 4, 0.5, 1) in 2D and
// (x / 4, y / 4, z / 4, 1) in a volume.
StageTexture lookupTexture() {
    StageTexture texture{4, 4, 1, false, {}};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) texture.texels.push_back({x / 4.0f, y / 4.0f, 0.5f, 1.0f});
    return texture;
}

StageTexture lookupVolume() {
    StageTexture texture{4, 4, 4, true, {}};
    for (int z = 0; z < 4; ++z)
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x) texture.texels.push_back({x / 4.0f, y / 4.0f, z / 4.0f, 1.0f});
    return texture;
}

StageTexture texel(const Vec4& value) { return {1, 1, 1, false, {value}}; }

struct TextureCase {
    const char* name;
    DWORD minor;
    std::vector<Tokens> body;
    TextureKind kinds[4];
    std::vector<StageTexture> textures;
    PixelInputs inputs;
    Vec4 expected;
};

TEST_F(ShaderPixelOps, TextureAddressInstructions) {
    const StageTexture look = lookupTexture(), volume = lookupVolume();
    const StageTexture normal = texel({1.0f, 0.5f, 0.75f, 1.0f});  // _bx2: (1, 0, 0.5)
    const DWORD movR0T1[] = {D3DSIO_MOV, r0(), t(1)};
    const Tokens outT1(std::begin(movR0T1), std::end(movR0T1));
    const Tokens texT0 = {D3DSIO_TEX, tDst(0)};
    auto inputs = [](std::initializer_list<std::pair<int, Vec4>> coordinates) {
        PixelInputs in;
        for (const auto& [stage, value] : coordinates) in.tex[stage] = value;
        return in;
    };
    PixelInputs bumpInputs = inputs({{1, {0.3f, 0.6f, 0, 0}}});
    bumpInputs.bumpEnvMat[1] = {1, 0, 0, 1};
    bumpInputs.bumpLum[1][0] = 1.5f;
    bumpInputs.bumpLum[1][1] = -0.25f;
    PixelInputs specInputs = inputs({{1, {0, 0, 0, -0.3f}}, {2, {0, 0, 0, -0.7f}}, {3, {0, 0, 2, 0.4f}}});
    specInputs.constants = {{0, {-0.3f, -0.7f, 0.4f, 0}}};
    const std::vector<Tokens> m3x3Rows = {texT0, {D3DSIO_TEXM3x3PAD, tDst(1), t(0, "", D3DSPSM_SIGN)},
                                          {D3DSIO_TEXM3x3PAD, tDst(2), t(0, "", D3DSPSM_SIGN)}};
    auto withRows = [&](Tokens last) {
        std::vector<Tokens> body = m3x3Rows;
        body.push_back(std::move(last));
        body.push_back({D3DSIO_MOV, r0(), t(3)});
        return body;
    };
    const PixelInputs rowInputs = inputs({{1, {0.1f, 0, 0.2f, 0}}, {2, {0.3f, 0, 0.6f, 0}}, {3, {0.4f, 0, 0.8f, 0}}});

    const TextureCase cases[] = {
        {"tex 2D", 1, {texT0, {D3DSIO_MOV, r0(), t(0)}}, {k2D, k2D, k2D, k2D}, {look},
         inputs({{0, {0.6f, 0.3f, 0, 0}}}), {0.5f, 0.25f, 0.5f, 1}},
        {"tex volume", 1, {texT0, {D3DSIO_MOV, r0(), t(0)}}, {kVolume, k2D, k2D, k2D}, {volume},
         inputs({{0, {0.1f, 0.6f, 0.9f, 0}}}), {0, 0.5f, 0.75f, 1}},
        {"texcoord clamps and sets alpha", 1, {{D3DSIO_TEXCOORD, tDst(0)}, {D3DSIO_MOV, r0(), t(0)}},
         {k2D, k2D, k2D, k2D}, {}, inputs({{0, {1.5f, -0.5f, 0.25f, 7}}}), {1, 0, 0.25f, 1}},
        {"texbeml scales by luminance", 1, {texT0, {D3DSIO_TEXBEML, tDst(1), t(0)}, outT1}, {k2D, k2D, k2D, k2D},
         {texel({0.25f, 0, 0.5f, 0}), look}, bumpInputs, {0.25f, 0.25f, 0.25f, 0.5f}},
        {"texreg2ar", 1, {texT0, {D3DSIO_TEXREG2AR, tDst(1), t(0)}, outT1}, {k2D, k2D, k2D, k2D},
         {texel({0.6f, 0.9f, 0.1f, 0.3f}), look}, {}, {0.25f, 0.5f, 0.5f, 1}},
        {"texreg2gb", 1, {texT0, {D3DSIO_TEXREG2GB, tDst(1), t(0)}, outT1}, {k2D, k2D, k2D, k2D},
         {texel({0.6f, 0.9f, 0.1f, 0.3f}), look}, {}, {0.75f, 0, 0.5f, 1}},
        {"texreg2rgb", 2, {texT0, {D3DSIO_TEXREG2RGB, tDst(1), t(0)}, outT1}, {k2D, kVolume, k2D, k2D},
         {texel({0.6f, 0.9f, 0.1f, 0.3f}), volume}, {}, {0.5f, 0.75f, 0, 1}},
        {"texm3x2pad / texm3x2tex", 1,
         {texT0, {D3DSIO_TEXM3x2PAD, tDst(1), t(0, "", D3DSPSM_SIGN)},
          {D3DSIO_TEXM3x2TEX, tDst(2), t(0, "", D3DSPSM_SIGN)}, {D3DSIO_MOV, r0(), t(2)}},
         {k2D, k2D, k2D, k2D}, {normal, {}, look}, inputs({{1, {0.2f, 0.9f, 0.4f, 0}}, {2, {0.4f, 0, 1.0f, 0}}}),
         {0.25f, 0.75f, 0.5f, 1}},
        {"texm3x3tex", 1, withRows({D3DSIO_TEXM3x3TEX, tDst(3), t(0, "", D3DSPSM_SIGN)}), {k2D, k2D, k2D, kVolume},
         {normal, {}, {}, volume}, rowInputs, {0, 0.5f, 0.75f, 1}},
        {"texm3x3", 2, withRows({D3DSIO_TEXM3x3, tDst(3), t(0, "", D3DSPSM_SIGN)}), {k2D, k2D, k2D, k2D},
         {normal}, rowInputs, {0.2f, 0.6f, 0.8f, 1}},
        {"texm3x3spec", 1, withRows({D3DSIO_TEXM3x3SPEC, tDst(3), t(0, "", D3DSPSM_SIGN), c(0)}),
         {k2D, k2D, k2D, kVolume}, {normal, {}, {}, volume}, specInputs, {0.25f, 0.5f, 0.25f, 1}},
        {"texm3x3vspec", 1, withRows({D3DSIO_TEXM3x3VSPEC, tDst(3), t(0, "", D3DSPSM_SIGN)}),
         {k2D, k2D, k2D, kVolume}, {normal, {}, {}, volume}, specInputs, {0.25f, 0.5f, 0.25f, 1}},
        {"texdp3tex", 2, {texT0, {D3DSIO_TEXDP3TEX, tDst(1), t(0, "", D3DSPSM_SIGN)}, outT1}, {k2D, k2D, k2D, k2D},
         {normal, look}, inputs({{1, {0.3f, 0.9f, 0.2f, 0}}}), {0.25f, 0, 0.5f, 1}},
        {"texdp3", 2, {texT0, {D3DSIO_TEXDP3, tDst(1), t(0, "", D3DSPSM_SIGN)}, outT1}, {k2D, k2D, k2D, k2D},
         {normal}, inputs({{1, {0.3f, 0.9f, 0.2f, 0}}}), {0.4f, 0.4f, 0.4f, 0.4f}},
    };
    for (const TextureCase& op : cases) {
        SCOPED_TRACE(op.name);
        EXPECT_TRUE(vec4Near(draw(op.minor, op.body, op.inputs, op.textures, op.kinds).color, op.expected, 1e-5f));
    }
}

TEST_F(ShaderPixelOps, Ps14LoadsRangesAndDependentReads) {
    const StageTexture look = lookupTexture();
    const DWORD r1RG = dst(D3DSPR_TEMP, 1, "rg");
    PixelInputs in;
    in.constants = {{0, {0.5f, 0.5f, 0.5f, 0.5f}}, {1, {0.0625f, 0.0625f, 0.0625f, 0.0625f}},
                    {2, {1, 1, 1, 1}}, {3, {0.6f, 0.4f, 0.7f, 0.5f}}, {4, {0.25f, 0.75f, 0.125f, 1}}};
    in.tex[0] = {0.6f, 0.3f, 0.0f, 0.0f};
    PixelInputs projected = in;
    projected.tex[0] = {1.2f, 0.6f, 4.0f, 2.0f};
    PixelInputs bump = in;
    bump.tex[1] = {0.3f, 0.6f, 0, 0};
    bump.bumpEnvMat[1] = {1, 0, 0, 1};
    PixelInputs coordinates = in;
    coordinates.tex[1] = {2.0f, 0.25f, 0.5f, 9.0f};
    const DWORD x8 = 3u << D3DSP_DSTSHIFT_SHIFT, d4 = 0xEu << D3DSP_DSTSHIFT_SHIFT, d8 = 0xDu << D3DSP_DSTSHIFT_SHIFT;
    const Vec4 looked{0.5f, 0.25f, 0.5f, 1};
    const TextureCase cases[] = {
        {"texld", 4, {{D3DSIO_TEX, r0(), t(0)}}, {k2D, k2D, k2D, k2D}, {look}, in, looked},
        {"texld _dw", 4, {{D3DSIO_TEX, r0(), t(0, "xyww", D3DSPSM_DW)}}, {k2D, k2D, k2D, k2D}, {look}, projected,
         looked},
        {"texld _dz", 4, {{D3DSIO_TEX, r0(), t(0, "xyzz", D3DSPSM_DZ)}}, {k2D, k2D, k2D, k2D}, {look}, projected,
         {0.25f, 0, 0.5f, 1}},
        {"texcrd keeps range and mask", 4, {{D3DSIO_TEXCOORD, r1("rgb"), t(1)}, {D3DSIO_MUL, r0(), r(1), c(1)}},
         {k2D, k2D, k2D, k2D}, {}, coordinates, {0.125f, 0.015625f, 0.03125f, 0}},
        {"_x8 and the [-8, 8] range", 4, {{D3DSIO_MOV, r1("", x8), c(0)}, {D3DSIO_MUL, r0(), r(1), c(1)}},
         {k2D, k2D, k2D, k2D}, {}, in, {0.25f, 0.25f, 0.25f, 0.25f}},
        {"results clamp to 8", 4,
         {{D3DSIO_MOV, r1("", x8), c(2)}, {D3DSIO_ADD, r1("", kX2), r(1), r(1)}, {D3DSIO_MUL, r0(), r(1), c(1)}},
         {k2D, k2D, k2D, k2D}, {}, in, {0.5f, 0.5f, 0.5f, 0.5f}},
        {"_d4", 4, {{D3DSIO_MOV, r0("", d4), c(2)}}, {k2D, k2D, k2D, k2D}, {}, in, {0.25f, 0.25f, 0.25f, 0.25f}},
        {"_d8", 4, {{D3DSIO_MOV, r0("", d8), c(2)}}, {k2D, k2D, k2D, k2D}, {}, in, {0.125f, 0.125f, 0.125f, 0.125f}},
        {"source _x2", 4, {{D3DSIO_ADD, r0(), c(4, "", D3DSPSM_X2), c(0, "", D3DSPSM_X2NEG)}},
         {k2D, k2D, k2D, k2D}, {}, in, {0, 0.5f, 0, 1}},
        {"cnd per component", 4, {{D3DSIO_CND, r0(), c(3), c(4), c(0)}}, {k2D, k2D, k2D, k2D}, {}, in,
         {0.25f, 0.5f, 0.125f, 0.5f}},
        {"bem, phase and a dependent read", 4,
         {{D3DSIO_TEXCOORD, r1RG, t(1)}, {D3DSIO_TEX, r0(), t(0)}, {D3DSIO_BEM, r1RG, r(1), r(0)}, {D3DSIO_PHASE},
          {D3DSIO_TEX, r1(), r(1)}, {D3DSIO_MOV, r0(), r(1)}},
         {k2D, k2D, k2D, k2D}, {texel({0.25f, 0, 0, 0}), look}, bump, {0.5f, 0.5f, 0.5f, 1}},
        {"texkill on a register", 4, {{D3DSIO_MOV, r1(), c(0, "", D3DSPSM_NEG)}, {D3DSIO_TEXKILL, r1()},
                                       {D3DSIO_MOV, r0(), c(2)}},
         {k2D, k2D, k2D, k2D}, {}, in, kClearColor},
    };
    for (const TextureCase& op : cases) {
        SCOPED_TRACE(op.name);
        EXPECT_TRUE(vec4Near(draw(op.minor, op.body, op.inputs, op.textures, op.kinds).color, op.expected, 1e-5f));
    }

    in.constants.push_back({5, {0.1f, 0.4f, 0, 0}});
    const PixelResult depth = draw(4, {{D3DSIO_MOV, dst(D3DSPR_TEMP, 5), c(5)}, {D3DSIO_TEXDEPTH, dst(D3DSPR_TEMP, 5)},
                                       {D3DSIO_MOV, r0(), c(2)}},
                                   in);
    EXPECT_NEAR(depth.depth, 0.25f, 1e-6f);
}

TEST_F(ShaderPixelOps, TexkillDiscardsOnANegativeCoordinate) {
    const std::vector<Tokens> body = {{D3DSIO_TEXKILL, tDst(0)}, {D3DSIO_MOV, r0(), c(0)}};
    PixelInputs in;
    in.constants = {{0, {1, 0, 1, 1}}};
    in.tex[0] = {0.5f, 0.0f, 0.0f, -4.0f};  // w is not tested
    EXPECT_TRUE(vec4Near(draw(1, body, in).color, {1, 0, 1, 1}));
    in.tex[0] = {0.5f, 0.0f, -0.01f, 0.0f};
    EXPECT_TRUE(vec4Near(draw(1, body, in).color, kClearColor));
}

TEST_F(ShaderPixelOps, Texm3x2depthWritesTheDepth) {
    PixelInputs in;
    in.tex[1] = {0.2f, 0.9f, 0.0f, 0};  // z = 0.2 with the normal (1, 0, 0.5)
    in.tex[2] = {0.8f, 0.0f, 0.0f, 0};  // w = 0.8
    const PixelResult out = draw(3,
                                 {{D3DSIO_TEX, tDst(0)}, {D3DSIO_TEXM3x2PAD, tDst(1), t(0, "", D3DSPSM_SIGN)},
                                  {D3DSIO_TEXM3x2DEPTH, tDst(2), t(0, "", D3DSPSM_SIGN)}},
                                 in, {texel({1.0f, 0.5f, 0.75f, 1.0f})});
    EXPECT_NEAR(out.depth, 0.25f, 1e-6f);
}

}  // namespace
