// GL programs for draws, each linked from a vertex part and a fragment part.
//
// A part is either fixed-function (generated from its key) or translated
// from a shader handle's tokens. Compiled parts are kept on their own, so a
// vertex part serves every fragment part it meets; linked programs are kept
// by the pair. Nothing is freed until the cache is destroyed, except what a
// deleted shader handle built (forgetShaderPrograms).
#pragma once

#include "d3d8/pipeline_state.h"
#include "gl/ffp_fragment.h"
#include "gl/ffp_vertex.h"

#include <epoxy/gl.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>
#include <unordered_map>

namespace zep::d3d {

// Bytes only: hashed and compared as raw memory, without padding.
struct ProgramKey {
    uint8_t vertexShader[4];  // a vertex shader handle with function tokens, or 0 for fixed function
    uint8_t pixelShader[4];   // a pixel shader handle, or 0 for fixed function
    uint8_t pixelKinds[4];    // TextureKind of stages 0..3 (a pixel shader's samplers depend on them)
    gl::FfpVertexKey vertex;      // zero unless the vertex part is fixed function
    gl::FfpFragmentKey fragment;  // fixed function: all of it; a pixel shader: only fog and alphaFunc
};
static_assert(std::has_unique_object_representations_v<ProgramKey>);

DWORD vertexShaderOf(const ProgramKey& key);
DWORD pixelShaderOf(const ProgramKey& key);
void setShaders(ProgramKey* key, DWORD vertexShader, DWORD pixelShader);

// Uniforms every program may declare; the draw path uploads them.
struct CommonUniforms {
    GLint halfPixel, viewport, depthRange, textureFactor, vsConst, psConst, bumpEnvMat, bumpLum;
    bool uploadedOnce;
    float lastFrame[12];  // half pixel, viewport, depth range, texture factor
    float lastBump[48];   // bump matrices, luminance scale and offset
    float lastVs[kMaxVertexShaderConstants * 4];
    float lastPs[kMaxPixelShaderConstants * 4];
};

struct Program {
    GLuint name;            // 0 when building failed (the reason went to stderr)
    unsigned stagesSampled; // texture units the program reads (bit i: stage i)
    bool ffpVertex;
    bool ffpFragment;
    CommonUniforms common;
    gl::FfpVertexUniforms vertex;
    gl::FfpFragmentUniforms fragment;
};

// Shader tokens for the translated parts of a key.
struct ShaderTokens {
    const DWORD* vertex;
    size_t vertexCount;
    const DWORD* pixel;
    size_t pixelCount;
};

template <typename Key>
struct BytesHash {
    size_t operator()(const Key& key) const {
        const auto* bytes = reinterpret_cast<const unsigned char*>(&key);
        uint64_t hash = 1469598103934665603ull;  // FNV-1a
        for (size_t i = 0; i < sizeof key; ++i) hash = (hash ^ bytes[i]) * 1099511628211ull;
        return size_t(hash);
    }
};

template <typename Key>
struct BytesEqual {
    bool operator()(const Key& a, const Key& b) const { return std::memcmp(&a, &b, sizeof a) == 0; }
};

struct ProgramCache {
    std::unordered_map<ProgramKey, Program, BytesHash<ProgramKey>, BytesEqual<ProgramKey>> programs;
    std::unordered_map<gl::FfpVertexKey, GLuint, BytesHash<gl::FfpVertexKey>, BytesEqual<gl::FfpVertexKey>> ffpVertexParts;
    std::unordered_map<gl::FfpFragmentKey, GLuint, BytesHash<gl::FfpFragmentKey>, BytesEqual<gl::FfpFragmentKey>>
        ffpFragmentParts;
    std::unordered_map<uint64_t, GLuint> shaderParts;  // handle (and pixel kinds) -> compiled translated part
    // The last program found: consecutive draws of one state skip the hash.
    ProgramKey lastKey;
    Program* last = nullptr;
    // The program current in GL. Only the draw path binds programs, so a
    // draw with the current one skips glUseProgram.
    GLuint bound = 0;
};

// Makes the program current unless it already is.
void useProgram(ProgramCache& cache, GLuint program);

// The program for `key`, built on first use. Null only if the key asks for a
// translated part while the runtime has no shader translator.
Program* findProgram(ProgramCache& cache, const ProgramKey& key, const ShaderTokens& tokens);

void forgetShaderPrograms(ProgramCache& cache, DWORD handle);
void destroyPrograms(ProgramCache& cache);  // needs the GL context current

// True when this build translates shader tokens (the translator is present).
bool shaderTranslationAvailable();

// Compiles one GLSL stage; 0 (and the log on stderr) on failure. Exposed for
// the generator tests.
GLuint compileShaderPart(GLenum stage, const std::string& source);
GLuint linkProgram(GLuint vertexPart, GLuint fragmentPart, std::string* log);

}  // namespace zep::d3d
