// The vs.1.x / ps.1.x assembler: the tokens it writes for each kind of
// instruction, operand and modifier, the errors it reports (with their
// lines) for text it cannot assemble, and D3DXAssembleShader's buffers.

#include "d3dx/shader_asm.h"
#include "gl/shader_decode.h"

#include <d3dx8.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using zep::d3dx::assembleShader;
using Tokens = std::vector<DWORD>;

constexpr DWORD kParam = 0x80000000u;

DWORD dst(DWORD file, DWORD n, DWORD mask = D3DSP_WRITEMASK_ALL, DWORD modifiers = 0) {
    return kParam | file | n | mask | modifiers;
}

DWORD src(DWORD file, DWORD n, DWORD swizzle = D3DSP_NOSWIZZLE, DWORD modifier = D3DSPSM_NONE) {
    return kParam | file | n | swizzle | modifier;
}

DWORD bits(float f) {
    DWORD b;
    std::memcpy(&b, &f, sizeof b);
    return b;
}

constexpr DWORD kXY = D3DVS_X_X | D3DVS_Y_Y | D3DVS_Z_Y | D3DVS_W_Y;  // .xy reads .xyyy
constexpr DWORD kWZYX = D3DVS_X_W | D3DVS_Y_Z | D3DVS_Z_Y | D3DVS_W_X;
constexpr DWORD kShiftX2 = 1u << D3DSP_DSTSHIFT_SHIFT;
constexpr DWORD kShiftD2 = 0xFu << D3DSP_DSTSHIFT_SHIFT;

struct TokenCase {
    const char* text;  // the program after its version line
    const char* version;
    Tokens expected;   // the instruction tokens (version and END not included)
};

// One or two instructions per case, each kind of operand and modifier once.
const TokenCase kTokenCases[] = {
    // Vertex shaders.
    {"mov r1, v0", "vs.1.0", {D3DSIO_MOV, dst(D3DSPR_TEMP, 1), src(D3DSPR_INPUT, 0)}},
    {"add r1.xy, r0.xy, r1.xy",
     "vs.1.0",
     {D3DSIO_ADD, dst(D3DSPR_TEMP, 1, D3DSP_WRITEMASK_0 | D3DSP_WRITEMASK_1), src(D3DSPR_TEMP, 0, kXY),
      src(D3DSPR_TEMP, 1, kXY)}},
    {"mul r0.xy, v1.xy, c8.xx",
     "vs.1.0",
     {D3DSIO_MUL, dst(D3DSPR_TEMP, 0, D3DSP_WRITEMASK_0 | D3DSP_WRITEMASK_1), src(D3DSPR_INPUT, 1, kXY),
      src(D3DSPR_CONST, 8, D3DSP_REPLICATERED)}},
    {"m4x4 oPos, r0, c4", "vs.1.0", {D3DSIO_M4x4, dst(D3DSPR_RASTOUT, D3DSRO_POSITION), src(D3DSPR_TEMP, 0),
                                     src(D3DSPR_CONST, 4)}},
    {"mov oT0.zw, c64.z",
     "vs.1.0",
     {D3DSIO_MOV, dst(D3DSPR_TEXCRDOUT, 0, D3DSP_WRITEMASK_2 | D3DSP_WRITEMASK_3),
      src(D3DSPR_CONST, 64, D3DSP_REPLICATEBLUE)}},
    {"MOV oD0, V2", "vs.1.0", {D3DSIO_MOV, dst(D3DSPR_ATTROUT, 0), src(D3DSPR_INPUT, 2)}},
    {"dp4 oFog.x, -r0, c1.wzyx",
     "vs.1.1",
     {D3DSIO_DP4, dst(D3DSPR_RASTOUT, D3DSRO_FOG, D3DSP_WRITEMASK_0), src(D3DSPR_TEMP, 0, D3DSP_NOSWIZZLE, D3DSPSM_NEG),
      src(D3DSPR_CONST, 1, kWZYX)}},
    {"mov a0.x, r2.y\nmad r0, v0, c[a0.x + 3], c[2 + a0.x]",
     "vs.1.1",
     {D3DSIO_MOV, dst(D3DSPR_ADDR, 0, D3DSP_WRITEMASK_0), src(D3DSPR_TEMP, 2, D3DSP_REPLICATEGREEN), D3DSIO_MAD,
      dst(D3DSPR_TEMP, 0), src(D3DSPR_INPUT, 0), src(D3DSPR_CONST, 3) | D3DVS_ADDRMODE_RELATIVE,
      src(D3DSPR_CONST, 2) | D3DVS_ADDRMODE_RELATIVE}},
    {"rcp r2.w, r1.w\nexpp r3, v0.x\nm3x3 r4.xyz, v3, c0",
     "vs.1.1",
     {D3DSIO_RCP, dst(D3DSPR_TEMP, 2, D3DSP_WRITEMASK_3), src(D3DSPR_TEMP, 1, D3DSP_REPLICATEALPHA), D3DSIO_EXPP,
      dst(D3DSPR_TEMP, 3), src(D3DSPR_INPUT, 0, D3DSP_REPLICATERED), D3DSIO_M3x3,
      dst(D3DSPR_TEMP, 4, D3DSP_WRITEMASK_0 | D3DSP_WRITEMASK_1 | D3DSP_WRITEMASK_2), src(D3DSPR_INPUT, 3),
      src(D3DSPR_CONST, 0)}},
    {"def c64, 0.5f, 1.0f, .25, -1.0f",
     "vs.1.0",
     {D3DSIO_DEF, dst(D3DSPR_CONST, 64), bits(0.5f), bits(1.0f), bits(0.25f), bits(-1.0f)}},
    // Pixel shaders 1.0 .. 1.3.
    {"tex t0\ntexcoord t2",
     "ps.1.1",
     {D3DSIO_TEX, dst(D3DSPR_TEXTURE, 0), D3DSIO_TEXCOORD, dst(D3DSPR_TEXTURE, 2)}},
    {"tex t0\ntexbem t1, t0", "ps.1.1",
     {D3DSIO_TEX, dst(D3DSPR_TEXTURE, 0), D3DSIO_TEXBEM, dst(D3DSPR_TEXTURE, 1), src(D3DSPR_TEXTURE, 0)}},
    {"dp3_sat r0, t1_bx2,-t2",
     "ps.1.1",
     {D3DSIO_DP3, dst(D3DSPR_TEMP, 0, D3DSP_WRITEMASK_ALL, D3DSPDM_SATURATE),
      src(D3DSPR_TEXTURE, 1, D3DSP_NOSWIZZLE, D3DSPSM_SIGN), src(D3DSPR_TEXTURE, 2, D3DSP_NOSWIZZLE, D3DSPSM_NEG)}},
    {"mov r0.a,t0.a", "ps.1.1",
     {D3DSIO_MOV, dst(D3DSPR_TEMP, 0, D3DSP_WRITEMASK_3), src(D3DSPR_TEXTURE, 0, D3DSP_REPLICATEALPHA)}},
    {"mul_x2 r0.rgb, 1-r1, c0_bias\nmad_d2_sat r1, -v0_bx2, -c1_bias, v1.b",
     "ps.1.1",
     {D3DSIO_MUL, dst(D3DSPR_TEMP, 0, D3DSP_WRITEMASK_0 | D3DSP_WRITEMASK_1 | D3DSP_WRITEMASK_2, kShiftX2),
      src(D3DSPR_TEMP, 1, D3DSP_NOSWIZZLE, D3DSPSM_COMP), src(D3DSPR_CONST, 0, D3DSP_NOSWIZZLE, D3DSPSM_BIAS),
      D3DSIO_MAD, dst(D3DSPR_TEMP, 1, D3DSP_WRITEMASK_ALL, D3DSPDM_SATURATE | kShiftD2),
      src(D3DSPR_INPUT, 0, D3DSP_NOSWIZZLE, D3DSPSM_SIGNNEG), src(D3DSPR_CONST, 1, D3DSP_NOSWIZZLE, D3DSPSM_BIASNEG),
      src(D3DSPR_INPUT, 1, D3DSP_REPLICATEBLUE)}},
    {"mul r0.rgb, t0, v0\n+mov r0.a, v0", "ps.1.1",
     {D3DSIO_MUL, dst(D3DSPR_TEMP, 0, D3DSP_WRITEMASK_0 | D3DSP_WRITEMASK_1 | D3DSP_WRITEMASK_2),
      src(D3DSPR_TEXTURE, 0), src(D3DSPR_INPUT, 0), D3DSIO_MOV | D3DSI_COISSUE,
      dst(D3DSPR_TEMP, 0, D3DSP_WRITEMASK_3), src(D3DSPR_INPUT, 0)}},
    {"cnd r0, r0.a, t0, t1\nlrp r1, v0, r0, c7", "ps.1.0",
     {D3DSIO_CND, dst(D3DSPR_TEMP, 0), src(D3DSPR_TEMP, 0, D3DSP_REPLICATEALPHA), src(D3DSPR_TEXTURE, 0),
      src(D3DSPR_TEXTURE, 1), D3DSIO_LRP, dst(D3DSPR_TEMP, 1), src(D3DSPR_INPUT, 0), src(D3DSPR_TEMP, 0),
      src(D3DSPR_CONST, 7)}},
    {"texkill t3\ntexm3x3spec t2, t1, c0", "ps.1.3",
     {D3DSIO_TEXKILL, dst(D3DSPR_TEXTURE, 3), D3DSIO_TEXM3x3SPEC, dst(D3DSPR_TEXTURE, 2), src(D3DSPR_TEXTURE, 1),
      src(D3DSPR_CONST, 0)}},
    {"def c0, 1, 0, 0.5, -0.25\n// a comment\nmov r0, c0 ; another", "ps.1.1",
     {D3DSIO_DEF, dst(D3DSPR_CONST, 0), bits(1.0f), bits(0.0f), bits(0.5f), bits(-0.25f), D3DSIO_MOV,
      dst(D3DSPR_TEMP, 0), src(D3DSPR_CONST, 0)}},
    // Pixel shader 1.4: named coordinate sources, phases, arbitrary masks.
    {"texld r0, t0\ntexcrd r1.rgb, t1_dw.xyw\nphase\ntexld r2, r1_dz\nbem r3.rg, c0, r1\nmul_x8 r0.g, r2.r, c1_x2",
     "ps.1.4",
     {D3DSIO_TEX, dst(D3DSPR_TEMP, 0), src(D3DSPR_TEXTURE, 0), D3DSIO_TEXCOORD,
      dst(D3DSPR_TEMP, 1, D3DSP_WRITEMASK_0 | D3DSP_WRITEMASK_1 | D3DSP_WRITEMASK_2),
      src(D3DSPR_TEXTURE, 1, D3DVS_X_X | D3DVS_Y_Y | D3DVS_Z_W | D3DVS_W_W, D3DSPSM_DW), D3DSIO_PHASE, D3DSIO_TEX,
      dst(D3DSPR_TEMP, 2), src(D3DSPR_TEMP, 1, D3DSP_NOSWIZZLE, D3DSPSM_DZ), D3DSIO_BEM,
      dst(D3DSPR_TEMP, 3, D3DSP_WRITEMASK_0 | D3DSP_WRITEMASK_1), src(D3DSPR_CONST, 0), src(D3DSPR_TEMP, 1),
      D3DSIO_MUL, dst(D3DSPR_TEMP, 0, D3DSP_WRITEMASK_1, 3u << D3DSP_DSTSHIFT_SHIFT),
      src(D3DSPR_TEMP, 2, D3DSP_REPLICATERED), src(D3DSPR_CONST, 1, D3DSP_NOSWIZZLE, D3DSPSM_X2)}},
};

TEST(ShaderAssembler, WritesTheTokensOfEachInstructionKindAndTheRuntimeAcceptsThem) {
    for (const TokenCase& c : kTokenCases) {
        SCOPED_TRACE(std::string(c.version) + "\n" + c.text);
        const std::string text = std::string(c.version) + "\n" + c.text + "\n";
        const zep::d3dx::AssembledShader shader = assembleShader(text);
        ASSERT_TRUE(shader.ok) << zep::d3dx::formatAsmErrors(shader.errors);
        const bool vertex = c.version[0] == 'v';
        const DWORD version = vertex ? D3DVS_VERSION(1, c.version[5] - '0') : D3DPS_VERSION(1, c.version[5] - '0');
        Tokens expected{version};
        expected.insert(expected.end(), c.expected.begin(), c.expected.end());
        expected.push_back(D3DVS_END());
        EXPECT_EQ(shader.tokens, expected);
        const auto decoded = zep::gl::decodeShader(shader.tokens.data(), shader.tokens.size(),
                                                   vertex ? zep::gl::ShaderKind::Vertex : zep::gl::ShaderKind::Pixel);
        EXPECT_TRUE(decoded.ok) << decoded.error;
    }
}

struct ErrorCase {
    const char* text;
    int line;              // the line the (first) error is reported on
    const char* message;   // part of its message
};

const ErrorCase kErrorCases[] = {
    {"", 1, "no shader version"},
    {"; only a comment\n", 2, "no shader version"},
    {"ps.1", 1, "expected a shader version"},
    {"vs.2.0\nmov r0, v0", 1, "expected a shader version"},
    {"ps.1.5\n", 1, "ps.1.5 is not supported"},
    {"ps.1.1\ntex t0\nfrob r0, t0", 3, "unknown instruction 'frob'"},
    {"ps.1.1\nmov r0, q1", 2, "bad register 'q1'"},
    {"ps.1.1\nmov r0, t", 2, "bad register 't'"},
    {"vs.1.1\nmov r0,", 2, "empty operand"},
    {"vs.1.1\nmov r0", 2, "takes 2 operands, found 1"},
    {"vs.1.1\nmad r0, v0, v1, v2, v3", 2, "takes 4 operands, found 5"},
    {"vs.1.1\nmov r0, c[a0.x +", 2, "unclosed '['"},
    {"vs.1.1\nmov r0, c96", 2, "out of range"},
    {"vs.1.1\nmov r12, v0", 2, "out of range"},
    {"vs.1.1\nmov v0, r0", 2, "cannot be written"},
    {"vs.1.1\nmov r0, oPos", 2, "cannot be read"},
    {"vs.1.1\nmov r0, t0", 2, "is not a vertex shader register"},
    {"vs.1.1\nmov r0.xz_, v0", 2, "bad component"},
    {"vs.1.1\nmov r0.yx, v0", 2, "out of order"},
    {"vs.1.1\nmov r0, v0.xq", 2, "bad component"},
    {"vs.1.1\nmov r0, v0_bx2", 2, "can only be negated"},
    {"vs.1.1\nmov_sat r0, v0", 2, "takes no instruction modifier"},
    {"vs.1.0\nmov a0.x, r0.x", 2, "vs.1.0 has no address register"},
    {"vs.1.1\nadd a0.x, r0, r1", 2, "a0 is written only by"},
    {"vs.1.1\ntex t0", 2, "is not a vertex shader instruction"},
    {"vs.1.1\ndef c0, 1, 2, 3", 2, "takes 5 operands"},
    {"vs.1.1\ndef c0, 1, 2, 3, x", 2, "is not a number"},
    {"vs.1.1\ndef r0, 1, 2, 3, 4", 2, "whole constant register"},
    {"ps.1.1\ndef c8, 1, 2, 3, 4", 2, "out of range"},
    {"ps.1.1\nmov r2, t0", 2, "out of range"},
    {"ps.1.1\nmov r0.xz, t0", 2, "write mask .xz is not available"},
    {"ps.1.1\nmov r0, t0.xy", 2, "source selector"},
    {"ps.1.0\nmov r0, t0.b", 2, "source selector"},
    {"ps.1.1\nmov r0, t0\ntex t1", 3, "after an arithmetic instruction"},
    {"ps.1.1\n+mov r0.a, t0", 2, "no arithmetic instruction before it"},
    {"ps.1.1\ntex r0", 2, "writes a t# register"},
    {"ps.1.1\ntexld r0, t0", 2, "not available in ps.1.1"},
    {"ps.1.4\ntex t0", 2, "not available in ps.1.4"},
    {"ps.1.1\nmul_x8 r0, t0, t1", 2, "instruction modifier '_x8'"},
    {"ps.1.1\nmul r0, t0_x2, t1", 2, "needs ps.1.4"},
    {"ps.1.1\nmul r0, 1-t0_bias, t1", 2, "cannot be combined"},
    {"ps.1.4\nmov r0, t0", 2, "only through texld and texcrd"},
    {"ps.1.4\ntexld r0, r1", 2, "or r# after 'phase'"},
    {"ps.1.1\nmov r0, v0\nps.1.1", 3, "a second version"},
    {"ps.1.1\ntex t0\n/* unclosed comment\nmov r0, q9", 3, "never closed"},
};

TEST(ShaderAssembler, ReportsEachErrorWithItsLineAndWritesNoTokens) {
    for (const ErrorCase& c : kErrorCases) {
        SCOPED_TRACE(c.text);
        const zep::d3dx::AssembledShader shader = assembleShader(c.text);
        EXPECT_FALSE(shader.ok);
        EXPECT_TRUE(shader.tokens.empty());
        ASSERT_FALSE(shader.errors.empty());
        EXPECT_EQ(shader.errors[0].line, c.line);
        EXPECT_NE(shader.errors[0].message.find(c.message), std::string::npos) << shader.errors[0].message;
    }
}

TEST(ShaderAssembler, ReportsEveryBadLineInOneRunCountingFromTheGivenFirstLine) {
    const auto shader = assembleShader("vs.1.1\nmov r0, q0\nmov r1, v0\nfoo r1\n", 20);
    ASSERT_EQ(shader.errors.size(), 2u);
    EXPECT_EQ(shader.errors[0].line, 21);
    EXPECT_EQ(shader.errors[1].line, 23);
    EXPECT_EQ(zep::d3dx::formatAsmErrors(shader.errors),
              "(21): error: bad register 'q0'\n(23): error: unknown instruction 'foo'\n");
}

// Text cut off anywhere, or with stray bytes, gives tokens or errors,
// never a crash or a read past the text.
TEST(ShaderAssembler, SurvivesTextCutAtEveryLength) {
    const std::string program =
        "vs.1.1\ndef c64, 390.0f,0.5f, 1.0f,1.0f\nmov oPos.xyz, v0.xyz\nmad r0, v0, c[a0.x + 3], -c2.wzyx\n"
        "/* block */ m4x4 oPos, r0, c4 ; tail\n";
    for (size_t length = 0; length <= program.size(); ++length) {
        const std::string cut = program.substr(0, length);
        const auto shader = assembleShader(cut);
        if (shader.ok) continue;
        for (const auto& error : shader.errors) {
            EXPECT_GE(error.line, 1);
            EXPECT_LE(error.line, 6);
        }
    }
    const char stray[] = "ps.1.1\nmov r0, \x01\xff\0 v0\n";
    EXPECT_FALSE(assembleShader(std::string_view(stray, sizeof stray - 1)).ok);
}

TEST(ShaderAssembler, AssembleShaderHandsOutTokensConstantsAndErrorTextInBuffers) {
    const char text[] = "vs.1.1\ndef c5, 1, 2, 3, 4\nmov oPos, v0\n";
    ID3DXBuffer* constants = nullptr;
    ID3DXBuffer* compiled = nullptr;
    ID3DXBuffer* errors = nullptr;
    ASSERT_EQ(D3DXAssembleShader(text, UINT(sizeof text - 1), 0, &constants, &compiled, &errors), D3D_OK);
    ASSERT_NE(compiled, nullptr);
    ASSERT_NE(constants, nullptr);
    EXPECT_EQ(errors, nullptr);
    const Tokens expectedFunction{D3DVS_VERSION(1, 1), D3DSIO_DEF, dst(D3DSPR_CONST, 5), bits(1), bits(2), bits(3),
                                  bits(4), D3DSIO_MOV, dst(D3DSPR_RASTOUT, 0), src(D3DSPR_INPUT, 0), D3DVS_END()};
    const DWORD* f = static_cast<const DWORD*>(compiled->GetBufferPointer());
    EXPECT_EQ(Tokens(f, f + compiled->GetBufferSize() / 4), expectedFunction);
    const Tokens expectedConstants{D3DVSD_CONST(5, 1), bits(1), bits(2), bits(3), bits(4)};
    const DWORD* k = static_cast<const DWORD*>(constants->GetBufferPointer());
    EXPECT_EQ(Tokens(k, k + constants->GetBufferSize() / 4), expectedConstants);
    compiled->Release();
    constants->Release();

    const char bad[] = "ps.1.1\ntex t0\nmov r0, t9\n";
    EXPECT_EQ(D3DXAssembleShader(bad, UINT(sizeof bad - 1), 0, nullptr, &compiled, &errors), D3DXERR_INVALIDDATA);
    EXPECT_EQ(compiled, nullptr);
    ASSERT_NE(errors, nullptr);
    EXPECT_STREQ(static_cast<const char*>(errors->GetBufferPointer()),
                 "(3): error: register 't9' is out of range (the model has 4)\n");
    errors->Release();

    EXPECT_EQ(D3DXAssembleShader(text, 4, 0, nullptr, nullptr, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXAssembleShader(nullptr, 4, 0, nullptr, &compiled, nullptr), D3DERR_INVALIDCALL);
}

}  // namespace
