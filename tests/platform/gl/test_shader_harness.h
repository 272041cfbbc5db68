// Helpers for the shader translator tests: hand-built token streams, and a
// tiny GL harness that runs a translated vertex shader through transform
// feedback or draws a translated pixel shader into a float framebuffer.
#pragma once

#include "gl/shader_translate.h"
#include "../gl_test_context.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace zep::test::shader {

using Vec4 = std::array<float, 4>;
using Tokens = std::vector<DWORD>;

// ---- Token streams --------------------------------------------------------

inline DWORD bits(float value) {
    DWORD result = 0;
    std::memcpy(&result, &value, sizeof result);
    return result;
}

// A write mask from "xyzw"/"rgba" letters ("" = all).
inline DWORD maskOf(const char* letters) {
    if (!*letters) return D3DSP_WRITEMASK_ALL;
    DWORD mask = 0;
    for (const char* c = letters; *c; ++c) {
        const std::string xyzw = "xyzw", rgba = "rgba";
        size_t i = xyzw.find(*c);
        if (i == std::string::npos) i = rgba.find(*c);
        mask |= D3DSP_WRITEMASK_0 << i;
    }
    return mask;
}

// A swizzle from one letter (replicate) or four.
inline DWORD swizzleOf(const char* letters) {
    const size_t n = std::strlen(letters);
    if (n == 0) return D3DSP_NOSWIZZLE;
    DWORD swizzle = 0;
    for (int i = 0; i < 4; ++i) {
        const char c = letters[n == 1 ? 0 : i];
        const std::string xyzw = "xyzw", rgba = "rgba";
        size_t k = xyzw.find(c);
        if (k == std::string::npos) k = rgba.find(c);
        swizzle |= static_cast<DWORD>(k) << (D3DSP_SWIZZLE_SHIFT + 2 * i);
    }
    return swizzle;
}

// Destination: register file (D3DSPR_*), number, mask letters, modifier bits.
inline DWORD dst(DWORD file, DWORD n, const char* mask = "", DWORD modifiers = 0) {
    return 0x80000000u | file | n | maskOf(mask) | modifiers;
}
inline DWORD src(DWORD file, DWORD n, const char* swizzle = "", DWORD modifier = D3DSPSM_NONE) {
    return 0x80000000u | file | n | swizzleOf(swizzle) | modifier;
}
// c[a0.x + n]
inline DWORD srcRelative(DWORD n, const char* swizzle = "") {
    return src(D3DSPR_CONST, n, swizzle) | D3DVS_ADDRMODE_RELATIVE;
}

constexpr DWORD kSat = D3DSPDM_SATURATE;
constexpr DWORD kX2 = 1u << D3DSP_DSTSHIFT_SHIFT;
constexpr DWORD kX4 = 2u << D3DSP_DSTSHIFT_SHIFT;
constexpr DWORD kD2 = 0xFu << D3DSP_DSTSHIFT_SHIFT;

inline Tokens def(DWORD constant, float x, float y, float z, float w) {
    return {D3DSIO_DEF, dst(D3DSPR_CONST, constant), bits(x), bits(y), bits(z), bits(w)};
}

// version + body pieces + END
inline Tokens program(DWORD version, std::initializer_list<Tokens> pieces) {
    Tokens result{version};
    for (const Tokens& piece : pieces) result.insert(result.end(), piece.begin(), piece.end());
    result.push_back(D3DVS_END());
    return result;
}

// ---- GL programs -----------------------------------------------------------

inline GLuint compileStage(GLenum stage, const std::string& source) {
    const GLuint shader = glCreateShader(stage);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    char log[4096] = {};
    glGetShaderInfoLog(shader, sizeof log, nullptr, log);
    EXPECT_EQ(ok, GL_TRUE) << "compile failed:\n" << log << "\n" << source;
    return shader;
}

// Links the given stages (0 = absent); 0 when linking fails, with the info log
// reported as a test failure.
inline GLuint linkProgram(const std::string& vertexSource, const std::string& fragmentSource,
                          const std::vector<const char*>& feedback = {}) {
    const GLuint program = glCreateProgram();
    const GLuint vs = compileStage(GL_VERTEX_SHADER, vertexSource);
    glAttachShader(program, vs);
    GLuint fs = 0;
    if (!fragmentSource.empty()) {
        fs = compileStage(GL_FRAGMENT_SHADER, fragmentSource);
        glAttachShader(program, fs);
    }
    if (!feedback.empty())
        glTransformFeedbackVaryings(program, static_cast<GLsizei>(feedback.size()), feedback.data(),
                                    GL_INTERLEAVED_ATTRIBS);
    glLinkProgram(program);
    glDeleteShader(vs);
    if (fs) glDeleteShader(fs);
    GLint ok = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (ok != GL_TRUE) {
        char log[4096] = {};
        glGetProgramInfoLog(program, sizeof log, nullptr, log);
        ADD_FAILURE() << "link failed:\n" << log << "\nvertex:\n" << vertexSource << "\nfragment:\n" << fragmentSource;
        glDeleteProgram(program);
        return 0;
    }
    return program;
}

// Every vertex-to-fragment value of the conventions, read by a fragment half.
constexpr const char* kPartnerFragment = R"(#version 330 core
in vec4 zDiffuse;
in vec4 zSpecular;
in vec4 zTex0; in vec4 zTex1; in vec4 zTex2; in vec4 zTex3;
in vec4 zTex4; in vec4 zTex5; in vec4 zTex6; in vec4 zTex7;
in float zFog;
layout(location = 0) out vec4 zColor;
void main() {
    zColor = zDiffuse + zSpecular + zTex0 + zTex1 + zTex2 + zTex3 + zTex4 + zTex5 + zTex6 + zTex7 + vec4(zFog);
}
)";

// A vertex half writing the interface from uniforms, as one big triangle
// that covers the framebuffer.
constexpr const char* kPartnerVertex = R"(#version 330 core
uniform vec4 uDiffuse;
uniform vec4 uSpecular;
uniform vec4 uTex[8];
out vec4 zDiffuse;
out vec4 zSpecular;
out vec4 zTex0; out vec4 zTex1; out vec4 zTex2; out vec4 zTex3;
out vec4 zTex4; out vec4 zTex5; out vec4 zTex6; out vec4 zTex7;
out float zFog;
void main() {
    gl_Position = vec4(gl_VertexID == 1 ? 3.0 : -1.0, gl_VertexID == 2 ? 3.0 : -1.0, 0.5, 1.0);
    zDiffuse = uDiffuse;
    zSpecular = uSpecular;
    zTex0 = uTex[0]; zTex1 = uTex[1]; zTex2 = uTex[2]; zTex3 = uTex[3];
    zTex4 = uTex[4]; zTex5 = uTex[5]; zTex6 = uTex[6]; zTex7 = uTex[7];
    zFog = 1.0;
}
)";

inline void setUniform4(GLuint program, const char* name, const Vec4& value) {
    const GLint location = glGetUniformLocation(program, name);
    if (location >= 0) glUniform4fv(location, 1, value.data());
}

// ---- Vertex shaders through transform feedback ------------------------------

struct VertexOutputs {
    Vec4 position, diffuse, specular;
    Vec4 tex[8];
    float fog;
};

struct VertexInputs {
    std::vector<std::pair<int, Vec4>> constants;   // c# values
    std::vector<std::pair<int, Vec4>> attributes;  // v# values
    float halfPixel[2] = {0.0f, 0.0f};
};

// Runs one vertex through the translated shader; false (with a test failure)
// when it does not link.
inline bool runVertexShader(const std::string& source, const VertexInputs& inputs, VertexOutputs* out,
                            float* pointSize = nullptr) {
    std::vector<const char*> varyings = {"gl_Position", "zDiffuse", "zSpecular", "zTex0", "zTex1", "zTex2",
                                         "zTex3",       "zTex4",    "zTex5",     "zTex6", "zTex7", "zFog"};
    if (pointSize) varyings.push_back("gl_PointSize");
    const GLuint program = linkProgram(source, "", varyings);
    if (!program) return false;
    glUseProgram(program);

    float constants[96][4] = {};
    for (const auto& [index, value] : inputs.constants) std::memcpy(constants[index], value.data(), sizeof(Vec4));
    const GLint constantsAt = glGetUniformLocation(program, "zVsConst");
    if (constantsAt >= 0) glUniform4fv(constantsAt, 96, &constants[0][0]);
    glUniform2fv(glGetUniformLocation(program, "zHalfPixel"), 1, inputs.halfPixel);
    for (GLuint i = 0; i < 16; ++i) glVertexAttrib4f(i, 0.0f, 0.0f, 0.0f, 1.0f);
    for (const auto& [index, value] : inputs.attributes)
        glVertexAttrib4fv(zep::d3d::attributeLocation(static_cast<uint32_t>(index)), value.data());

    // A surfaceless context has no complete default framebuffer, and draws
    // need one even with rasterisation off.
    GLuint framebuffer = 0, color = 0, vao = 0, buffer = 0;
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glGenRenderbuffers(1, &color);
    glBindRenderbuffer(GL_RENDERBUFFER, color);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, 1, 1);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, color);
    glGenVertexArrays(1, &vao);
    glBindVertexArray(vao);
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_TRANSFORM_FEEDBACK_BUFFER, buffer);
    glBufferData(GL_TRANSFORM_FEEDBACK_BUFFER, 64 * sizeof(float), nullptr, GL_STATIC_READ);
    glBindBufferBase(GL_TRANSFORM_FEEDBACK_BUFFER, 0, buffer);
    glEnable(GL_RASTERIZER_DISCARD);
    glBeginTransformFeedback(GL_POINTS);
    glDrawArrays(GL_POINTS, 0, 1);
    glEndTransformFeedback();
    glDisable(GL_RASTERIZER_DISCARD);

    float captured[64] = {};
    glGetBufferSubData(GL_TRANSFORM_FEEDBACK_BUFFER, 0, sizeof captured, captured);
    std::memcpy(out->position.data(), captured, sizeof(Vec4));
    std::memcpy(out->diffuse.data(), captured + 4, sizeof(Vec4));
    std::memcpy(out->specular.data(), captured + 8, sizeof(Vec4));
    for (int i = 0; i < 8; ++i) std::memcpy(out->tex[i].data(), captured + 12 + 4 * i, sizeof(Vec4));
    out->fog = captured[44];
    if (pointSize) *pointSize = captured[45];

    glBindBufferBase(GL_TRANSFORM_FEEDBACK_BUFFER, 0, 0);
    glDeleteBuffers(1, &buffer);
    glBindVertexArray(0);
    glDeleteVertexArrays(1, &vao);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteRenderbuffers(1, &color);
    glDeleteFramebuffers(1, &framebuffer);
    glUseProgram(0);
    glDeleteProgram(program);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    return true;
}

// ---- Pixel shaders into a float framebuffer ---------------------------------

struct PixelInputs {
    Vec4 diffuse{0, 0, 0, 0}, specular{0, 0, 0, 0};
    Vec4 tex[8] = {};
    std::vector<std::pair<int, Vec4>> constants;  // c# values
    Vec4 bumpEnvMat[8] = {};                      // m00, m01, m10, m11 per stage
    float bumpLum[8][2] = {};                     // scale, offset per stage
};

// A texture for one stage: 2D (depth 1) or volume, float RGBA texels with
// nearest filtering, so a lookup returns one texel exactly.
struct StageTexture {
    int width = 1, height = 1, depth = 1;
    bool volume = false;
    std::vector<Vec4> texels;
};

inline GLuint makeTexture(const StageTexture& t) {
    GLuint name = 0;
    glGenTextures(1, &name);
    const GLenum target = t.volume ? GL_TEXTURE_3D : GL_TEXTURE_2D;
    glBindTexture(target, name);
    if (t.volume)
        glTexImage3D(target, 0, GL_RGBA32F, t.width, t.height, t.depth, 0, GL_RGBA, GL_FLOAT, t.texels.data());
    else
        glTexImage2D(target, 0, GL_RGBA32F, t.width, t.height, 0, GL_RGBA, GL_FLOAT, t.texels.data());
    glTexParameteri(target, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(target, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(target, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(target, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(target, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);
    return name;
}

struct PixelResult {
    Vec4 color;   // what zColor wrote, or the clear colour when discarded
    float depth;  // the depth written (0.5 from the partner triangle otherwise)
};

constexpr Vec4 kClearColor{0.125f, 0.25f, 0.375f, 0.5f};

// Draws a 4x4 float framebuffer with the translated fragment half; false
// (with a test failure) when it does not link.
inline bool runPixelShader(const std::string& source, const PixelInputs& inputs,
                           const std::vector<StageTexture>& textures, PixelResult* out) {
    const GLuint program = linkProgram(kPartnerVertex, source);
    if (!program) return false;
    glUseProgram(program);
    setUniform4(program, "uDiffuse", inputs.diffuse);
    setUniform4(program, "uSpecular", inputs.specular);
    glUniform4fv(glGetUniformLocation(program, "uTex"), 8, inputs.tex[0].data());
    float constants[8][4] = {};
    for (const auto& [index, value] : inputs.constants) std::memcpy(constants[index], value.data(), sizeof(Vec4));
    GLint at = glGetUniformLocation(program, "zPsConst");
    if (at >= 0) glUniform4fv(at, 8, &constants[0][0]);
    at = glGetUniformLocation(program, "zBumpEnvMat");
    if (at >= 0) glUniform4fv(at, 8, inputs.bumpEnvMat[0].data());
    at = glGetUniformLocation(program, "zBumpLum");
    if (at >= 0) glUniform2fv(at, 8, &inputs.bumpLum[0][0]);

    std::vector<GLuint> names;
    for (size_t i = 0; i < textures.size(); ++i) {
        glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(i));
        names.push_back(textures[i].texels.empty() ? 0 : makeTexture(textures[i]));
        const std::string sampler = "zSampler" + std::to_string(i);
        at = glGetUniformLocation(program, sampler.c_str());
        if (at >= 0) glUniform1i(at, static_cast<GLint>(i));
    }
    glActiveTexture(GL_TEXTURE0);

    GLuint framebuffer = 0, color = 0, depth = 0, vao = 0;
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glGenRenderbuffers(1, &color);
    glBindRenderbuffer(GL_RENDERBUFFER, color);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA32F, 4, 4);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, color);
    glGenRenderbuffers(1, &depth);
    glBindRenderbuffer(GL_RENDERBUFFER, depth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT32F, 4, 4);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth);
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
    glViewport(0, 0, 4, 4);
    glClearColor(kClearColor[0], kClearColor[1], kClearColor[2], kClearColor[3]);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_ALWAYS);
    glGenVertexArrays(1, &vao);
    glBindVertexArray(vao);
    glDrawArrays(GL_TRIANGLES, 0, 3);
    glDisable(GL_DEPTH_TEST);
    glReadPixels(1, 1, 1, 1, GL_RGBA, GL_FLOAT, out->color.data());
    glReadPixels(1, 1, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &out->depth);

    glBindVertexArray(0);
    glDeleteVertexArrays(1, &vao);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteRenderbuffers(1, &color);
    glDeleteRenderbuffers(1, &depth);
    glDeleteFramebuffers(1, &framebuffer);
    for (GLuint name : names)
        if (name) glDeleteTextures(1, &name);
    glUseProgram(0);
    glDeleteProgram(program);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    return true;
}

// ---- Comparisons ------------------------------------------------------------

// Equal within a relative and absolute tolerance; infinities must match.
inline bool closeTo(float actual, float expected, float tolerance) {
    if (std::isinf(expected)) return actual == expected;
    return std::fabs(actual - expected) <= tolerance * (1.0f + std::fabs(expected));
}

inline ::testing::AssertionResult vec4Near(const Vec4& actual, const Vec4& expected, float tolerance = 1e-5f) {
    for (int i = 0; i < 4; ++i)
        if (!closeTo(actual[i], expected[i], tolerance))
            return ::testing::AssertionFailure()
                   << "got (" << actual[0] << ", " << actual[1] << ", " << actual[2] << ", " << actual[3]
                   << "), expected (" << expected[0] << ", " << expected[1] << ", " << expected[2] << ", "
                   << expected[3] << ")";
    return ::testing::AssertionSuccess();
}

}  // namespace zep::test::shader
