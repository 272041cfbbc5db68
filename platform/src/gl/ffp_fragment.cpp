// The fixed-function pixel stage: key, GLSL and uniforms.
//
// Direct3D 8's texture stages, in order, each computing a colour and an
// alpha from up to three arguments, clamped to 0..1, into CURRENT (or TEMP
// with D3DTSS_RESULTARG). CURRENT starts as the interpolated diffuse colour;
// a stage without a texture samples opaque white. A BUMPENVMAP stage leaves
// CURRENT's colour alone and instead perturbs the next stage's coordinates
// by its 2x2 matrix times its texel's (du, dv); the LUMINANCE form also
// scales the next stage's texel by clamp(l * scale + offset).
#include "gl/ffp_fragment.h"

#include <cstring>

namespace zep::gl {
namespace {

using d3d::PipelineState;
using d3d::TextureKind;

bool usesArg0(DWORD op) { return op == D3DTOP_MULTIPLYADD || op == D3DTOP_LERP; }
bool usesArg1(DWORD op) { return op != D3DTOP_SELECTARG2 && op != D3DTOP_BUMPENVMAP && op != D3DTOP_BUMPENVMAPLUMINANCE && op != D3DTOP_DISABLE; }
bool usesArg2(DWORD op) {
    return op != D3DTOP_SELECTARG1 && op != D3DTOP_PREMODULATE && op != D3DTOP_BUMPENVMAP &&
           op != D3DTOP_BUMPENVMAPLUMINANCE && op != D3DTOP_DISABLE;
}
bool isBump(uint8_t op) { return op == D3DTOP_BUMPENVMAP || op == D3DTOP_BUMPENVMAPLUMINANCE; }

// Ops outside Direct3D's list behave as DISABLE would: the stage passes
// CURRENT through unchanged.
uint8_t knownOp(DWORD op) { return op >= D3DTOP_DISABLE && op <= D3DTOP_LERP ? uint8_t(op) : uint8_t(D3DTOP_DISABLE); }

std::string argumentValue(uint8_t arg) {
    std::string value;
    switch (arg & D3DTA_SELECTMASK) {
    case D3DTA_DIFFUSE: value = "zDiffuse"; break;
    case D3DTA_TEXTURE: value = "tex"; break;
    case D3DTA_TFACTOR: value = "zTextureFactor"; break;
    case D3DTA_SPECULAR: value = "zSpecular"; break;
    case D3DTA_TEMP: value = "temp"; break;
    default: value = "current"; break;
    }
    if (arg & D3DTA_ALPHAREPLICATE) value = "vec4(" + value + ".a)";
    if (arg & D3DTA_COMPLEMENT) value = "(vec4(1.0) - " + value + ")";
    return value;
}

// Replaces $0, $1, $2 by the arguments' channels and @1 by argument 1's alpha.
std::string expand(const char* pattern, const std::string& prefix, const char* swizzle) {
    std::string out;
    for (const char* p = pattern; *p; ++p) {
        if ((*p == '$' || *p == '@') && p[1] >= '0' && p[1] <= '2') {
            out += prefix + p[1] + (*p == '@' ? ".a" : swizzle);
            ++p;
        } else {
            out += *p;
        }
    }
    return out;
}

// The formula of each D3DTOP_ over one channel group; tex, zDiffuse,
// zTextureFactor and current give the blend factors.
const char* opPattern(uint8_t op) {
    switch (op) {
    case D3DTOP_SELECTARG1: return "$1";
    case D3DTOP_SELECTARG2: return "$2";
    case D3DTOP_MODULATE: return "$1 * $2";
    case D3DTOP_MODULATE2X: return "2.0 * $1 * $2";
    case D3DTOP_MODULATE4X: return "4.0 * $1 * $2";
    case D3DTOP_ADD: return "$1 + $2";
    case D3DTOP_ADDSIGNED: return "$1 + $2 - 0.5";
    case D3DTOP_ADDSIGNED2X: return "2.0 * ($1 + $2 - 0.5)";
    case D3DTOP_SUBTRACT: return "$1 - $2";
    case D3DTOP_ADDSMOOTH: return "$1 + $2 - $1 * $2";
    case D3DTOP_BLENDDIFFUSEALPHA: return "mix($2, $1, zDiffuse.a)";
    case D3DTOP_BLENDTEXTUREALPHA: return "mix($2, $1, tex.a)";
    case D3DTOP_BLENDFACTORALPHA: return "mix($2, $1, zTextureFactor.a)";
    case D3DTOP_BLENDTEXTUREALPHAPM: return "$1 + $2 * (1.0 - tex.a)";
    case D3DTOP_BLENDCURRENTALPHA: return "mix($2, $1, current.a)";
    case D3DTOP_PREMODULATE: return "$1";
    case D3DTOP_MODULATEALPHA_ADDCOLOR: return "$1 + @1 * $2";
    case D3DTOP_MODULATECOLOR_ADDALPHA: return "$1 * $2 + @1";
    case D3DTOP_MODULATEINVALPHA_ADDCOLOR: return "(1.0 - @1) * $2 + $1";
    case D3DTOP_MODULATEINVCOLOR_ADDALPHA: return "(1.0 - $1) * $2 + @1";
    case D3DTOP_MULTIPLYADD: return "$0 + $1 * $2";
    case D3DTOP_LERP: return "mix($2, $1, $0)";
    default: return nullptr;  // DISABLE, BUMPENVMAP*, DOTPRODUCT3: handled by the caller
    }
}

const char* kDot3 = "dot($1.rgb * 2.0 - 1.0, $2.rgb * 2.0 - 1.0)";

std::string samplerType(uint8_t kind) {
    switch (TextureKind(kind)) {
    case TextureKind::Volume: return "sampler3D";
    case TextureKind::Cube: return "samplerCube";
    default: return "sampler2D";
    }
}

void appendSample(const FfpFragmentKey& key, int i, std::string& s) {
    const FfpStageKey& stage = key.stages[i];
    const std::string n = std::to_string(i);
    const bool bumped = i > 0 && isBump(key.stages[i - 1].colorOp);
    if (TextureKind(stage.textureKind) == TextureKind::None) {
        s += "        vec4 tex = vec4(1.0);\n";  // Direct3D's rule for a stage without a texture
        return;
    }
    s += key.pointSprite ? "        vec4 coords = vec4(gl_PointCoord, 0.0, 1.0);\n" : "        vec4 coords = zTex" + n + ";\n";
    if (stage.projected && !key.pointSprite) s += "        coords.xyz /= coords.w != 0.0 ? coords.w : 1.0;\n";
    if (bumped) s += "        coords.xy += bumpOffset;\n";
    if (TextureKind(stage.textureKind) == TextureKind::Texture2D)
        s += "        vec4 tex = texture(zSampler" + n + ", coords.xy);\n";
    else
        s += "        vec4 tex = texture(zSampler" + n + ", coords.xyz);\n";
    if (bumped && key.stages[i - 1].colorOp == D3DTOP_BUMPENVMAPLUMINANCE) s += "        tex.rgb *= bumpLuminance;\n";
}

void appendStage(const FfpFragmentKey& key, int i, std::string& s) {
    const FfpStageKey& stage = key.stages[i];
    const std::string n = std::to_string(i);
    s += "    {\n";
    appendSample(key, i, s);
    for (int a = 0; a < 3; ++a) {
        const std::string index = std::to_string(a);
        s += "        vec4 c" + index + " = " + argumentValue(stage.colorArg[a]) + ";\n";
        s += "        vec4 a" + index + " = " + argumentValue(stage.alphaArg[a]) + ";\n";
    }
    std::string color, alpha;
    if (isBump(stage.colorOp)) {
        color = "current.rgb";
        s += "        bumpOffset = vec2(tex.x * zBumpEnvMat[" + n + "].x + tex.y * zBumpEnvMat[" + n + "].z,\n";
        s += "                          tex.x * zBumpEnvMat[" + n + "].y + tex.y * zBumpEnvMat[" + n + "].w);\n";
        if (stage.colorOp == D3DTOP_BUMPENVMAPLUMINANCE)
            s += "        bumpLuminance = clamp(tex.z * zBumpLum[" + n + "].x + zBumpLum[" + n + "].y, 0.0, 1.0);\n";
    } else if (stage.colorOp == D3DTOP_DOTPRODUCT3) {
        color = "vec3(" + expand(kDot3, "c", "") + ")";
    } else {
        color = expand(opPattern(stage.colorOp), "c", ".rgb");
    }
    if (stage.colorOp == D3DTOP_DOTPRODUCT3) {
        alpha = expand(kDot3, "c", "");  // the dot product goes to all four channels
    } else if (stage.alphaOp == D3DTOP_DISABLE || isBump(stage.alphaOp)) {
        alpha = "current.a";
    } else if (stage.alphaOp == D3DTOP_DOTPRODUCT3) {
        alpha = expand(kDot3, "a", "");
    } else {
        alpha = expand(opPattern(stage.alphaOp), "a", ".a");
    }
    s += "        vec4 result = clamp(vec4(" + color + ", " + alpha + "), 0.0, 1.0);\n";
    s += stage.resultTemp ? "        temp = result;\n" : "        current = result;\n";
    s += "    }\n";
}

const char* alphaComparison(uint8_t func) {
    switch (func) {
    case D3DCMP_NEVER: return "false";
    case D3DCMP_LESS: return "alpha < zAlphaRef";
    case D3DCMP_EQUAL: return "alpha == zAlphaRef";
    case D3DCMP_LESSEQUAL: return "alpha <= zAlphaRef";
    case D3DCMP_GREATER: return "alpha > zAlphaRef";
    case D3DCMP_NOTEQUAL: return "alpha != zAlphaRef";
    case D3DCMP_GREATEREQUAL: return "alpha >= zAlphaRef";
    default: return nullptr;  // ALWAYS: no test
    }
}

// Fog blend and alpha test on `color`, the last fixed steps before output.
void appendFogAndAlphaTest(bool fog, uint8_t alphaFunc, std::string& s) {
    if (fog) s += "    color.rgb = mix(zFogColor.rgb, color.rgb, clamp(zFog, 0.0, 1.0));\n";
    if (const char* comparison = alphaComparison(alphaFunc)) {
        // Direct3D compares the 8-bit alpha with the 8-bit reference.
        s += "    float alpha = floor(clamp(color.a, 0.0, 1.0) * 255.0 + 0.5);\n";
        s += std::string("    if (!(") + comparison + ")) discard;\n";
    }
}

}  // namespace

void makeFfpFragmentKey(const PipelineState& state, bool fogFromVertex, bool flatShade, FfpFragmentKey* key) {
    std::memset(key, 0, sizeof *key);
    int count = 0;
    while (count < d3d::kMaxTextureStages && knownOp(state.stageStates[count][D3DTSS_COLOROP]) != D3DTOP_DISABLE)
        ++count;
    key->stageCount = uint8_t(count);
    for (int i = 0; i < count; ++i) {
        const DWORD* ts = state.stageStates[i];
        FfpStageKey& stage = key->stages[i];
        stage.colorOp = knownOp(ts[D3DTSS_COLOROP]);
        stage.alphaOp = knownOp(ts[D3DTSS_ALPHAOP]);
        // Arguments an op does not read stay zero, so that they do not split the cache.
        if (usesArg0(stage.colorOp)) stage.colorArg[0] = uint8_t(ts[D3DTSS_COLORARG0] & 0x3F);
        if (usesArg1(stage.colorOp)) stage.colorArg[1] = uint8_t(ts[D3DTSS_COLORARG1] & 0x3F);
        if (usesArg2(stage.colorOp)) stage.colorArg[2] = uint8_t(ts[D3DTSS_COLORARG2] & 0x3F);
        if (stage.colorOp != D3DTOP_DOTPRODUCT3) {
            if (usesArg0(stage.alphaOp)) stage.alphaArg[0] = uint8_t(ts[D3DTSS_ALPHAARG0] & 0x3F);
            if (usesArg1(stage.alphaOp)) stage.alphaArg[1] = uint8_t(ts[D3DTSS_ALPHAARG1] & 0x3F);
            if (usesArg2(stage.alphaOp)) stage.alphaArg[2] = uint8_t(ts[D3DTSS_ALPHAARG2] & 0x3F);
        } else {
            stage.alphaOp = D3DTOP_DISABLE;  // DOTPRODUCT3 writes alpha itself
        }
        stage.resultTemp = (ts[D3DTSS_RESULTARG] & D3DTA_SELECTMASK) == D3DTA_TEMP;
        stage.textureKind = state.textures[i] ? uint8_t(state.textureKinds[i]) : uint8_t(TextureKind::None);
        const DWORD flags = ts[D3DTSS_TEXTURETRANSFORMFLAGS];
        stage.projected = (flags & D3DTTFF_PROJECTED) && (flags & 0xFF) >= 1 && (flags & 0xFF) <= 4;
    }
    const DWORD* rs = state.renderStates;
    key->specularAdd = rs[D3DRS_SPECULARENABLE] != 0;
    key->fog = rs[D3DRS_FOGENABLE] != 0 && fogFromVertex;
    key->alphaFunc = rs[D3DRS_ALPHATESTENABLE] ? uint8_t(rs[D3DRS_ALPHAFUNC] & 0xFF) : uint8_t(D3DCMP_ALWAYS);
    key->flatShade = flatShade;
}

unsigned ffpFragmentStagesSampled(const FfpFragmentKey& key) {
    unsigned mask = 0;
    for (int i = 0; i < key.stageCount; ++i)
        if (TextureKind(key.stages[i].textureKind) != TextureKind::None) mask |= 1u << i;
    return mask;
}

std::string ffpFragmentSource(const FfpFragmentKey& key) {
    std::string s = "#version 330 core\n";
    const char* in = key.flatShade ? "flat in" : "in";
    s += std::string(in) + " vec4 zDiffuse;\n" + in + " vec4 zSpecular;\n";
    for (int i = 0; i < key.stageCount; ++i) s += "in vec4 zTex" + std::to_string(i) + ";\n";
    s += "in float zFog;\n";
    for (int i = 0; i < key.stageCount; ++i)
        if (TextureKind(key.stages[i].textureKind) != TextureKind::None)
            s += "uniform " + samplerType(key.stages[i].textureKind) + " zSampler" + std::to_string(i) + ";\n";
    s += "uniform vec4 zTextureFactor;\nuniform vec4 zBumpEnvMat[8];\nuniform vec2 zBumpLum[8];\n";
    s += "uniform vec4 zFogColor;\nuniform float zAlphaRef;\n";
    s += "layout(location = 0) out vec4 zColor;\n";
    s += "void main() {\n";
    s += "    vec4 current = zDiffuse;\n    vec4 temp = vec4(0.0);\n";
    s += "    vec2 bumpOffset = vec2(0.0);\n    float bumpLuminance = 1.0;\n";
    for (int i = 0; i < key.stageCount; ++i) appendStage(key, i, s);
    s += "    vec4 color = current;\n";
    if (key.specularAdd) s += "    color.rgb = clamp(color.rgb + zSpecular.rgb, 0.0, 1.0);\n";
    appendFogAndAlphaTest(key.fog, key.alphaFunc, s);
    s += "    zColor = color;\n}\n";
    return s;
}

bool wrapPixelShaderSource(std::string* source, bool fog, uint8_t alphaFunc) {
    if (!fog && !alphaComparison(alphaFunc)) return true;
    const std::string::size_type at = source->find("void main()");
    if (at == std::string::npos) return false;
    source->replace(at, 11, "void zPixelShaderMain()");
    std::string s = "\n";
    if (fog) s += "in float zFog;\nuniform vec4 zFogColor;\n";
    if (alphaComparison(alphaFunc)) s += "uniform float zAlphaRef;\n";
    s += "void main() {\n    zPixelShaderMain();\n    vec4 color = zColor;\n";
    appendFogAndAlphaTest(fog, alphaFunc, s);
    s += "    zColor = color;\n}\n";
    *source += s;
    return true;
}

void locateFfpFragmentUniforms(GLuint program, FfpFragmentUniforms* u) {
    std::memset(u, 0, sizeof *u);
    u->fogColor = glGetUniformLocation(program, "zFogColor");
    u->alphaRef = glGetUniformLocation(program, "zAlphaRef");
}

void uploadFfpFragmentUniforms(FfpFragmentUniforms* u, const PipelineState& state) {
    const DWORD fog = state.renderStates[D3DRS_FOGCOLOR];
    const float now[5] = {float((fog >> 16) & 0xFF) / 255.0f, float((fog >> 8) & 0xFF) / 255.0f,
                          float(fog & 0xFF) / 255.0f, float(fog >> 24) / 255.0f,
                          float(state.renderStates[D3DRS_ALPHAREF] & 0xFF)};
    if (u->uploadedOnce && std::memcmp(u->last, now, sizeof now) == 0) return;
    u->uploadedOnce = true;
    std::memcpy(u->last, now, sizeof now);
    glUniform4fv(u->fogColor, 1, now);
    glUniform1f(u->alphaRef, now[4]);
}

}  // namespace zep::gl
