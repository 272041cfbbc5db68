// Program assembly: compile parts once, link pairs once, keep both.
#include "d3d8/program_cache.h"

#if __has_include("gl/shader_translate.h")
#include "gl/shader_translate.h"
#define ZEP_HAS_SHADER_TRANSLATOR 1
#else
#define ZEP_HAS_SHADER_TRANSLATOR 0
#endif

#include <cstdio>
#include <cstring>
#include <string>

namespace zep::d3d {
namespace {

DWORD readHandle(const uint8_t bytes[4]) {
    DWORD value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

void reportFailure(const char* what, const std::string& log, const std::string& source) {
    std::fprintf(stderr, "zep d3d8: %s failed:\n%s\n", what, log.c_str());
    if (!source.empty()) std::fprintf(stderr, "---- source ----\n%s\n", source.c_str());
}

// Stages 0..3 whose coordinates the fixed-function vertex part leaves for
// a projective lookup (D3DTTFF_PROJECTED): a pixel shader's tex divides
// there. A vertex shader's stages are not described by the key: none.
unsigned projectedStages(const ProgramKey& key) {
    if (vertexShaderOf(key)) return 0;
    unsigned stages = 0;
    for (int i = 0; i < 4 && i < key.vertex.texStageCount; ++i)
        if (key.vertex.tex[i].projected) stages |= 1u << i;
    return stages;
}

// Translated parts are keyed by handle; a pixel part also by the texture
// kinds its samplers were declared for and the stages it divides by w.
uint64_t vertexPartKey(DWORD handle) { return uint64_t(handle); }
// A pixel part also depends on the fog and alpha test appended to it.
uint64_t pixelPartKey(DWORD handle, const ProgramKey& key) {
    uint64_t kinds = 0;
    for (int i = 0; i < 4; ++i) kinds |= uint64_t(key.pixelKinds[i] & 3) << (2 * i);
    return (uint64_t(1) << 63) | (uint64_t(projectedStages(key)) << 45) | (uint64_t(key.fragment.alphaFunc & 0xF) << 41) |
           (uint64_t(key.fragment.fog & 1) << 40) | (kinds << 32) | uint64_t(handle);
}

GLuint translatedVertexPart(ProgramCache& cache, DWORD handle, const ShaderTokens& tokens) {
    auto found = cache.shaderParts.find(vertexPartKey(handle));
    if (found != cache.shaderParts.end()) return found->second;
    GLuint part = 0;
#if ZEP_HAS_SHADER_TRANSLATOR
    gl::TranslatedShader translated = gl::translateVertexShader(tokens.vertex, tokens.vertexCount);
    if (translated.ok)
        part = compileShaderPart(GL_VERTEX_SHADER, translated.source);
    else
        reportFailure("vertex shader translation", translated.error, "");
#else
    (void)tokens;
#endif
    cache.shaderParts.emplace(vertexPartKey(handle), part);
    return part;
}

GLuint translatedPixelPart(ProgramCache& cache, DWORD handle, const ProgramKey& key, const ShaderTokens& tokens) {
    const uint64_t partKey = pixelPartKey(handle, key);
    auto found = cache.shaderParts.find(partKey);
    if (found != cache.shaderParts.end()) return found->second;
    GLuint part = 0;
#if ZEP_HAS_SHADER_TRANSLATOR
    TextureKind textureKinds[4];
    for (int i = 0; i < 4; ++i) textureKinds[i] = TextureKind(key.pixelKinds[i]);
    gl::TranslatedShader translated =
        gl::translatePixelShader(tokens.pixel, tokens.pixelCount, textureKinds, projectedStages(key));
    if (!translated.ok)
        reportFailure("pixel shader translation", translated.error, "");
    else if (!gl::wrapPixelShaderSource(&translated.source, key.fragment.fog, key.fragment.alphaFunc))
        reportFailure("pixel shader fog and alpha test", "no main() in the translated source", translated.source);
    else
        part = compileShaderPart(GL_FRAGMENT_SHADER, translated.source);
#else
    (void)tokens;
#endif
    cache.shaderParts.emplace(partKey, part);
    return part;
}

template <typename Map, typename Key, typename Generate>
GLuint generatedPart(Map& parts, const Key& key, GLenum stage, Generate generate) {
    auto found = parts.find(key);
    if (found != parts.end()) return found->second;
    const GLuint part = compileShaderPart(stage, generate(key));
    parts.emplace(key, part);
    return part;
}

void locateCommonUniforms(GLuint program, CommonUniforms* u) {
    std::memset(u, 0, sizeof *u);
    u->halfPixel = glGetUniformLocation(program, "zHalfPixel");
    u->viewport = glGetUniformLocation(program, "zViewport");
    u->depthRange = glGetUniformLocation(program, "zDepthRange");
    u->textureFactor = glGetUniformLocation(program, "zTextureFactor");
    u->vsConst = glGetUniformLocation(program, "zVsConst");
    u->psConst = glGetUniformLocation(program, "zPsConst");
    u->bumpEnvMat = glGetUniformLocation(program, "zBumpEnvMat");
    u->bumpLum = glGetUniformLocation(program, "zBumpLum");
}

// Samplers never change unit: zSampler<i> reads unit i.
void bindSamplerUnits(ProgramCache& cache, GLuint program) {
    useProgram(cache, program);
    for (int i = 0; i < kMaxTextureStages; ++i) {
        const std::string name = "zSampler" + std::to_string(i);
        const GLint location = glGetUniformLocation(program, name.c_str());
        if (location >= 0) glUniform1i(location, i);
    }
}

void buildProgram(ProgramCache& cache, const ProgramKey& key, const ShaderTokens& tokens, Program* program) {
    std::memset(program, 0, sizeof *program);
    const DWORD vs = vertexShaderOf(key);
    const DWORD ps = pixelShaderOf(key);
    program->ffpVertex = vs == 0;
    program->ffpFragment = ps == 0;
    const GLuint vertexPart = vs ? translatedVertexPart(cache, vs, tokens)
                                 : generatedPart(cache.ffpVertexParts, key.vertex, GL_VERTEX_SHADER, gl::ffpVertexSource);
    const GLuint fragmentPart =
        ps ? translatedPixelPart(cache, ps, key, tokens)
           : generatedPart(cache.ffpFragmentParts, key.fragment, GL_FRAGMENT_SHADER, gl::ffpFragmentSource);
    if (!vertexPart || !fragmentPart) return;
    std::string log;
    program->name = linkProgram(vertexPart, fragmentPart, &log);
    if (!program->name) {
        reportFailure("program link", log, "");
        return;
    }
    if (ps) {
        for (int i = 0; i < 4; ++i)
            if (TextureKind(key.pixelKinds[i]) != TextureKind::None) program->stagesSampled |= 1u << i;
    } else {
        program->stagesSampled = gl::ffpFragmentStagesSampled(key.fragment);
    }
    locateCommonUniforms(program->name, &program->common);
    if (program->ffpVertex) gl::locateFfpVertexUniforms(program->name, &program->vertex);
    // Fog colour and alpha reference: also read by a wrapped pixel shader.
    gl::locateFfpFragmentUniforms(program->name, &program->fragment);
    bindSamplerUnits(cache, program->name);
}

}  // namespace

void useProgram(ProgramCache& cache, GLuint program) {
    if (cache.bound == program) return;
    glUseProgram(program);
    cache.bound = program;
}

DWORD vertexShaderOf(const ProgramKey& key) { return readHandle(key.vertexShader); }
DWORD pixelShaderOf(const ProgramKey& key) { return readHandle(key.pixelShader); }

void setShaders(ProgramKey* key, DWORD vertexShader, DWORD pixelShader) {
    std::memcpy(key->vertexShader, &vertexShader, sizeof vertexShader);
    std::memcpy(key->pixelShader, &pixelShader, sizeof pixelShader);
}

bool shaderTranslationAvailable() { return ZEP_HAS_SHADER_TRANSLATOR != 0; }

GLuint compileShaderPart(GLenum stage, const std::string& source) {
    const GLuint shader = glCreateShader(stage);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok) return shader;
    GLint length = 0;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
    std::string log(size_t(length > 0 ? length : 1), '\0');
    glGetShaderInfoLog(shader, GLsizei(log.size()), nullptr, log.data());
    reportFailure(stage == GL_VERTEX_SHADER ? "vertex part compile" : "fragment part compile", log, source);
    glDeleteShader(shader);
    return 0;
}

GLuint linkProgram(GLuint vertexPart, GLuint fragmentPart, std::string* log) {
    const GLuint program = glCreateProgram();
    glAttachShader(program, vertexPart);
    glAttachShader(program, fragmentPart);
    // Translated vertex programs name their inputs v<N>; generated ones
    // place theirs with layout qualifiers, which win over these bindings.
    for (uint32_t r = 0; r < 16; ++r) {
        const std::string name = "v" + std::to_string(r);
        glBindAttribLocation(program, attributeLocation(r), name.c_str());
    }
    glBindFragDataLocation(program, 0, "zColor");
    glLinkProgram(program);
    glDetachShader(program, vertexPart);
    glDetachShader(program, fragmentPart);
    GLint ok = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (ok) return program;
    if (log) {
        GLint length = 0;
        glGetProgramiv(program, GL_INFO_LOG_LENGTH, &length);
        log->assign(size_t(length > 0 ? length : 1), '\0');
        glGetProgramInfoLog(program, GLsizei(log->size()), nullptr, log->data());
    }
    glDeleteProgram(program);
    return 0;
}

Program* findProgram(ProgramCache& cache, const ProgramKey& key, const ShaderTokens& tokens) {
    if (cache.last && BytesEqual<ProgramKey>()(cache.lastKey, key)) return cache.last;
    if ((vertexShaderOf(key) || pixelShaderOf(key)) && !shaderTranslationAvailable()) return nullptr;
    auto found = cache.programs.find(key);
    if (found == cache.programs.end()) {
        found = cache.programs.emplace(key, Program{}).first;
        buildProgram(cache, key, tokens, &found->second);
    }
    cache.lastKey = key;
    cache.last = &found->second;
    return cache.last;
}

void forgetShaderPrograms(ProgramCache& cache, DWORD handle) {
    if (handle == 0) return;
    for (auto it = cache.programs.begin(); it != cache.programs.end();) {
        if (vertexShaderOf(it->first) == handle || pixelShaderOf(it->first) == handle) {
            // A deleted name may come back for a new program.
            if (it->second.name == cache.bound) cache.bound = 0;
            if (it->second.name) glDeleteProgram(it->second.name);
            it = cache.programs.erase(it);
        } else {
            ++it;
        }
    }
    for (auto it = cache.shaderParts.begin(); it != cache.shaderParts.end();) {
        if (DWORD(it->first & 0xFFFFFFFFu) == handle) {
            if (it->second) glDeleteShader(it->second);
            it = cache.shaderParts.erase(it);
        } else {
            ++it;
        }
    }
    cache.last = nullptr;
}

void destroyPrograms(ProgramCache& cache) {
    for (auto& entry : cache.programs)
        if (entry.second.name) glDeleteProgram(entry.second.name);
    for (auto& entry : cache.ffpVertexParts)
        if (entry.second) glDeleteShader(entry.second);
    for (auto& entry : cache.ffpFragmentParts)
        if (entry.second) glDeleteShader(entry.second);
    for (auto& entry : cache.shaderParts)
        if (entry.second) glDeleteShader(entry.second);
    cache.programs.clear();
    cache.ffpVertexParts.clear();
    cache.ffpFragmentParts.clear();
    cache.shaderParts.clear();
    cache.last = nullptr;
    cache.bound = 0;
}

}  // namespace zep::d3d
