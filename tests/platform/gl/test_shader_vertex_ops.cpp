// vs.1.1 instructions, one by one, run through transform feedback: each
// case computes into oT0 from constants and is checked against Direct3D's
// documented results, special cases included.
#include "test_shader_harness.h"

#include <cfloat>
#include <limits>

namespace {

using namespace zep::test::shader;
using zep::gl::TranslatedShader;

constexpr float kInf = std::numeric_limits<float>::infinity();

class ShaderVertexOps : public ::testing::Test {
protected:
    void SetUp() override {
        if (!zep::test::makeHeadlessGlCurrent()) GTEST_SKIP() << "no headless OpenGL 3.3 context";
    }
};

DWORD c(DWORD n, const char* swizzle = "", DWORD modifier = D3DSPSM_NONE) {
    return src(D3DSPR_CONST, n, swizzle, modifier);
}
DWORD r(DWORD n, const char* swizzle = "") { return src(D3DSPR_TEMP, n, swizzle); }
DWORD oT0(const char* mask = "") { return dst(D3DSPR_TEXCRDOUT, 0, mask); }

struct OpCase {
    const char* name;
    std::vector<Tokens> body;
    std::vector<std::pair<int, Vec4>> constants;
    Vec4 expected;  // oT0
    float tolerance;
};

// Translates, links and runs `body`; returns the outputs.
VertexOutputs run(const std::vector<Tokens>& body, const VertexInputs& inputs, float* pointSize = nullptr) {
    Tokens tokens{D3DVS_VERSION(1, 1)};
    for (const Tokens& piece : body) tokens.insert(tokens.end(), piece.begin(), piece.end());
    tokens.push_back(D3DVS_END());
    const TranslatedShader vs = zep::gl::translateVertexShader(tokens.data(), tokens.size());
    EXPECT_TRUE(vs.ok) << vs.error;
    VertexOutputs out{};
    if (vs.ok) {
        const GLuint linked = linkProgram(vs.source, kPartnerFragment);
        EXPECT_NE(linked, 0u);
        glDeleteProgram(linked);
        runVertexShader(vs.source, inputs, &out, pointSize);
    }
    return out;
}

TEST_F(ShaderVertexOps, EachInstructionComputesDirect3DsResult) {
    const Vec4 a{1.5f, -2.0f, 0.25f, 4.0f}, b{2.0f, 3.0f, -1.0f, 0.5f}, d{0.5f, 0.5f, 2.0f, -1.0f};
    const OpCase cases[] = {
        {"mov", {{D3DSIO_MOV, oT0(), c(0)}}, {{0, a}}, a, 0},
        {"add", {{D3DSIO_ADD, oT0(), c(0), c(1)}}, {{0, a}, {1, b}}, {3.5f, 1.0f, -0.75f, 4.5f}, 1e-6f},
        {"sub", {{D3DSIO_SUB, oT0(), c(0), c(1)}}, {{0, a}, {1, b}}, {-0.5f, -5.0f, 1.25f, 3.5f}, 1e-6f},
        {"mul", {{D3DSIO_MUL, oT0(), c(0), c(1)}}, {{0, a}, {1, b}}, {3.0f, -6.0f, -0.25f, 2.0f}, 1e-6f},
        {"mad", {{D3DSIO_MAD, oT0(), c(0), c(1), c(2)}}, {{0, a}, {1, b}, {2, d}}, {3.5f, -5.5f, 1.75f, 1.0f}, 1e-6f},
        {"rcp", {{D3DSIO_RCP, oT0(), c(0, "w")}}, {{0, a}}, {0.25f, 0.25f, 0.25f, 0.25f}, 1e-6f},
        {"rcp of 1 is exactly 1", {{D3DSIO_RCP, oT0(), c(0, "x")}}, {{0, {1, 0, 0, 0}}}, {1, 1, 1, 1}, 0},
        {"rcp of 0 is +inf", {{D3DSIO_RCP, oT0(), c(0, "x")}}, {{0, {0, 0, 0, 0}}}, {kInf, kInf, kInf, kInf}, 0},
        {"rcp without swizzle reads w", {{D3DSIO_RCP, oT0(), c(0)}}, {{0, {2, 8, 8, 5}}}, {0.2f, 0.2f, 0.2f, 0.2f}, 1e-6f},
        {"rsq takes the absolute value", {{D3DSIO_RSQ, oT0(), c(0, "y")}}, {{0, {0, -4, 0, 0}}},
         {0.5f, 0.5f, 0.5f, 0.5f}, 1e-6f},
        {"rsq of 0 is +inf", {{D3DSIO_RSQ, oT0(), c(0, "z")}}, {{0, {1, 1, 0, 1}}}, {kInf, kInf, kInf, kInf}, 0},
        {"dp3 ignores w", {{D3DSIO_DP3, oT0(), c(0), c(1)}}, {{0, a}, {1, b}}, {-3.25f, -3.25f, -3.25f, -3.25f}, 1e-6f},
        {"dp4", {{D3DSIO_DP4, oT0(), c(0), c(1)}}, {{0, a}, {1, b}}, {-1.25f, -1.25f, -1.25f, -1.25f}, 1e-6f},
        {"min", {{D3DSIO_MIN, oT0(), c(0), c(1)}}, {{0, a}, {1, b}}, {1.5f, -2.0f, -1.0f, 0.5f}, 0},
        {"max", {{D3DSIO_MAX, oT0(), c(0), c(1)}}, {{0, a}, {1, b}}, {2.0f, 3.0f, 0.25f, 4.0f}, 0},
        {"slt", {{D3DSIO_SLT, oT0(), c(0), c(1)}}, {{0, {1, 2, 3, 4}}, {1, {2, 2, 2, 5}}}, {1, 0, 0, 1}, 0},
        {"sge", {{D3DSIO_SGE, oT0(), c(0), c(1)}}, {{0, {1, 2, 3, 4}}, {1, {2, 2, 2, 5}}}, {0, 1, 1, 0}, 0},
        {"exp", {{D3DSIO_EXP, oT0(), c(0, "x")}}, {{0, {3, 0, 0, 0}}}, {8, 8, 8, 8}, 1e-5f},
        {"exp of a fraction", {{D3DSIO_EXP, oT0(), c(0, "y")}}, {{0, {0, -0.5f, 0, 0}}},
         {0.70710678f, 0.70710678f, 0.70710678f, 0.70710678f}, 1e-5f},
        {"log of |x|", {{D3DSIO_LOG, oT0(), c(0, "x")}}, {{0, {-8, 0, 0, 0}}}, {3, 3, 3, 3}, 1e-5f},
        {"log of 0", {{D3DSIO_LOG, oT0(), c(0, "x")}}, {{0, {0, 0, 0, 0}}}, {-FLT_MAX, -FLT_MAX, -FLT_MAX, -FLT_MAX}, 0},
        {"expp", {{D3DSIO_EXPP, oT0(), c(0, "x")}}, {{0, {2.5f, 0, 0, 0}}}, {4.0f, 0.5f, 5.6568542f, 1.0f}, 1e-4f},
        {"expp of a negative", {{D3DSIO_EXPP, oT0(), c(0, "x")}}, {{0, {-1.25f, 0, 0, 0}}},
         {0.25f, 0.75f, 0.42044820f, 1.0f}, 1e-4f},
        {"logp", {{D3DSIO_LOGP, oT0(), c(0, "x")}}, {{0, {-10, 0, 0, 0}}}, {3.0f, 1.25f, 3.3219281f, 1.0f}, 1e-5f},
        {"logp of 0", {{D3DSIO_LOGP, oT0(), c(0, "x")}}, {{0, {0, 0, 0, 0}}}, {-FLT_MAX, 1, -FLT_MAX, 1}, 0},
        {"lit", {{D3DSIO_LIT, oT0(), c(0)}}, {{0, {0.5f, 0.8f, 0, 2}}}, {1, 0.5f, 0.64f, 1}, 1e-5f},
        {"lit facing away", {{D3DSIO_LIT, oT0(), c(0)}}, {{0, {-0.5f, 0.8f, 0, 2}}}, {1, 0, 0, 1}, 0},
        {"lit without specular", {{D3DSIO_LIT, oT0(), c(0)}}, {{0, {0.5f, -0.1f, 0, 2}}}, {1, 0.5f, 0, 1}, 0},
        {"lit clamps the power", {{D3DSIO_LIT, oT0(), c(0)}}, {{0, {1, 0.5f, 0, -200}}},
         {1, 1, 3.3936e38f, 1}, 1e-3f},
        {"dst", {{D3DSIO_DST, oT0(), c(0), c(1)}}, {{0, {9, 2, 3, 9}}, {1, {9, 4, 9, 5}}}, {1, 8, 3, 5}, 0},
        {"frc", {{D3DSIO_FRC, oT0(), c(0)}}, {{0, {1.25f, -0.25f, 3.0f, 0.0f}}}, {0.25f, 0.75f, 0, 0}, 1e-6f},
        {"m4x4", {{D3DSIO_M4x4, oT0(), c(0), c(1)}},
         {{0, {1, 2, 3, 4}}, {1, {1, 0, 0, 0}}, {2, {0, 1, 1, 0}}, {3, {0, 0, 0, 2}}, {4, {1, 1, 1, 1}}},
         {1, 5, 8, 10}, 1e-6f},
        {"m4x3 leaves w", {{D3DSIO_M4x3, oT0(), c(0), c(1)}},
         {{0, {1, 2, 3, 4}}, {1, {1, 0, 0, 0}}, {2, {0, 1, 1, 0}}, {3, {0, 0, 0, 2}}, {4, {1, 1, 1, 1}}},
         {1, 5, 8, 1}, 1e-6f},
        {"m3x4 ignores w", {{D3DSIO_M3x4, oT0(), c(0), c(1)}},
         {{0, {1, 2, 3, 4}}, {1, {1, 0, 0, 9}}, {2, {0, 1, 1, 9}}, {3, {0, 0, 0, 9}}, {4, {1, 1, 1, 9}}},
         {1, 5, 0, 6}, 1e-6f},
        {"m3x3", {{D3DSIO_M3x3, oT0(), c(0), c(1)}},
         {{0, {1, 2, 3, 4}}, {1, {1, 0, 0, 9}}, {2, {0, 1, 1, 9}}, {3, {1, 1, 1, 9}}}, {1, 5, 6, 1}, 1e-6f},
        {"m3x2", {{D3DSIO_M3x2, oT0(), c(0), c(1)}}, {{0, {1, 2, 3, 4}}, {1, {1, 0, 0, 9}}, {2, {0, 1, 1, 9}}},
         {1, 5, 0, 1}, 1e-6f},
        {"macro reading its own destination", {{D3DSIO_MOV, dst(D3DSPR_TEMP, 0), c(0)},
                                               {D3DSIO_M4x4, dst(D3DSPR_TEMP, 0), r(0), c(1)},
                                               {D3DSIO_MOV, oT0(), r(0)}},
         {{0, {1, 2, 3, 4}}, {1, {1, 0, 0, 0}}, {2, {1, 1, 0, 0}}, {3, {1, 1, 1, 0}}, {4, {1, 1, 1, 1}}},
         {1, 3, 6, 10}, 1e-6f},
        {"negated swizzle", {{D3DSIO_MOV, oT0(), c(0, "wzyx", D3DSPSM_NEG)}}, {{0, a}}, {-4.0f, -0.25f, 2.0f, -1.5f}, 0},
        {"write mask keeps the rest", {{D3DSIO_MOV, oT0("xz"), c(0)}}, {{0, a}}, {1.5f, 0, 0.25f, 1}, 0},
        {"temp registers r0..r11", {{D3DSIO_MOV, dst(D3DSPR_TEMP, 11), c(0)},
                                     {D3DSIO_ADD, dst(D3DSPR_TEMP, 11, "y"), r(11), r(11)},
                                     {D3DSIO_MOV, oT0(), r(11)}},
         {{0, a}}, {1.5f, -4.0f, 0.25f, 4.0f}, 0},
        {"def replaces the constant", {def(5, 1, 2, 3, 4), {D3DSIO_MOV, oT0(), c(5)}}, {{5, a}}, {1, 2, 3, 4}, 0},
        {"c95 is the last constant", {{D3DSIO_MOV, oT0(), c(95)}}, {{95, b}}, b, 0},
        {"relative address floors a0.x", {{D3DSIO_MOV, dst(D3DSPR_ADDR, 0, "x"), c(0, "x")},
                                          {D3DSIO_MOV, oT0(), srcRelative(3)}},
         {{0, {2.7f, 0, 0, 0}}, {5, a}, {6, b}}, a, 0},
        {"negative a0.x floors down", {{D3DSIO_MOV, dst(D3DSPR_ADDR, 0, "x"), c(0, "x")},
                                       {D3DSIO_MOV, oT0(), srcRelative(4)}},
         {{0, {-0.5f, 0, 0, 0}}, {3, a}, {4, b}}, a, 0},
        {"relative read of a def'd slot", {def(7, 5, 6, 7, 8), {D3DSIO_MOV, dst(D3DSPR_ADDR, 0, "x"), c(0, "y")},
                                           {D3DSIO_MOV, oT0(), srcRelative(5)}},
         {{0, {0, 2, 0, 0}}, {7, a}}, {5, 6, 7, 8}, 0},
        {"relative read past c95 is zero", {{D3DSIO_MOV, dst(D3DSPR_ADDR, 0, "x"), c(0, "x")},
                                            {D3DSIO_MOV, oT0(), srcRelative(90)}},
         {{0, {6, 0, 0, 0}}}, {0, 0, 0, 0}, 0},
        {"m4x4 through a0.x", {{D3DSIO_MOV, dst(D3DSPR_ADDR, 0, "x"), c(0, "w")},
                               {D3DSIO_M4x4, oT0(), c(0), srcRelative(0)}},
         {{0, {1, 2, 3, 10}}, {10, {1, 0, 0, 0}}, {11, {0, 1, 0, 0}}, {12, {0, 0, 1, 0}}, {13, {0, 0, 0, 1}}},
         {1, 2, 3, 10}, 0},
        {"nop", {{D3DSIO_NOP}, {D3DSIO_MOV, oT0(), c(0)}}, {{0, a}}, a, 0},
    };
    for (const OpCase& op : cases) {
        SCOPED_TRACE(op.name);
        VertexInputs inputs;
        inputs.constants = op.constants;
        const VertexOutputs out = run(op.body, inputs);
        EXPECT_TRUE(vec4Near(out.tex[0], op.expected, op.tolerance));
    }
}

TEST_F(ShaderVertexOps, InputsReachTheirRegisters) {
    VertexInputs inputs;
    inputs.attributes = {{0, {1, 2, 3, 1}}, {7, {0.5f, 0.25f, 0, 1}}, {15, {9, 8, 7, 6}}};
    const VertexOutputs out = run({{D3DSIO_MOV, oT0(), src(D3DSPR_INPUT, 0)},
                                   {D3DSIO_MOV, dst(D3DSPR_TEXCRDOUT, 1), src(D3DSPR_INPUT, 7)},
                                   {D3DSIO_MOV, dst(D3DSPR_TEXCRDOUT, 2), src(D3DSPR_INPUT, 15, "wzyx")}},
                                  inputs);
    EXPECT_TRUE(vec4Near(out.tex[0], {1, 2, 3, 1}));
    EXPECT_TRUE(vec4Near(out.tex[1], {0.5f, 0.25f, 0, 1}));
    EXPECT_TRUE(vec4Near(out.tex[2], {6, 7, 8, 9}));
}

TEST_F(ShaderVertexOps, OutputsFollowDirect3DsRules) {
    VertexInputs inputs;
    inputs.constants = {{0, {2.0f, -1.0f, 0.5f, 1.0f}}, {1, {0.25f, 0.75f, 0, 0}}, {2, {3, 4, 5, 6}}, {3, {7, 0, 0, 0}}};
    inputs.halfPixel[0] = 0.5f;
    inputs.halfPixel[1] = -0.25f;
    float pointSize = 0;
    const VertexOutputs out = run({{D3DSIO_MOV, dst(D3DSPR_RASTOUT, D3DSRO_POSITION), c(2)},
                                   {D3DSIO_MOV, dst(D3DSPR_ATTROUT, 0), c(0)},
                                   {D3DSIO_MOV, dst(D3DSPR_ATTROUT, 1), c(0, "wzyx")},
                                   {D3DSIO_MOV, dst(D3DSPR_RASTOUT, D3DSRO_FOG, "x"), c(1, "y")},
                                   {D3DSIO_MOV, dst(D3DSPR_RASTOUT, D3DSRO_POINT_SIZE, "x"), c(3, "x")},
                                   {D3DSIO_MOV, dst(D3DSPR_TEXCRDOUT, 7), c(1)}},
                                  inputs, &pointSize);
    EXPECT_TRUE(vec4Near(out.position, {3 + 0.5f * 6, 4 - 0.25f * 6, 5, 6}));
    EXPECT_TRUE(vec4Near(out.diffuse, {1.0f, 0.0f, 0.5f, 1.0f}));   // clamped to 0..1
    EXPECT_TRUE(vec4Near(out.specular, {1.0f, 0.5f, 0.0f, 1.0f}));
    EXPECT_FLOAT_EQ(out.fog, 0.75f);
    EXPECT_FLOAT_EQ(pointSize, 7.0f);
    EXPECT_TRUE(vec4Near(out.tex[7], {0.25f, 0.75f, 0, 0}));
}

TEST_F(ShaderVertexOps, UnwrittenOutputsTakeDefaults) {
    VertexInputs inputs;
    inputs.constants = {{0, {1, 2, 3, 4}}};
    const VertexOutputs out = run({{D3DSIO_MOV, dst(D3DSPR_RASTOUT, D3DSRO_POSITION), c(0)}}, inputs);
    EXPECT_TRUE(vec4Near(out.diffuse, {1, 1, 1, 1}));
    EXPECT_TRUE(vec4Near(out.specular, {0, 0, 0, 0}));
    for (int i = 0; i < 8; ++i) EXPECT_TRUE(vec4Near(out.tex[i], {0, 0, 0, 1})) << "oT" << i;
    EXPECT_FLOAT_EQ(out.fog, 1.0f);
}

}  // namespace
