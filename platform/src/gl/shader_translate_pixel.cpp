// ps.1.0 .. ps.1.4 to a GLSL fragment program.
//
// Texture instructions sample stage N through zSamplerN with stage N's
// interpolated coordinates zTexN; arithmetic instructions follow the 1.x
// register range: constants read clamped to [-1, 1] and every arithmetic
// result is clamped to [-1, 1] (ps.1.4: [-8, 8]) after its shift, or to
// [0, 1] with _sat. Co-issued instructions compute all their results before
// any of them is stored, as the colour and alpha pipes of the hardware do.
//
// ps.1.4 differs in its texture side: texld rN / texcrd rN read a named
// coordinate (t# is then the interpolated coordinate set, or an r# from the
// first phase), and stage N is the destination's number.
#include "gl/shader_translate.h"

#include "gl/shader_decode.h"
#include "gl/shader_glsl.h"

#include <algorithm>
#include <map>
#include <sstream>
#include <vector>

namespace zep::gl {
namespace {

using zep::d3d::TextureKind;

constexpr int kStages = D3DPS_TEXTUREREG_MAX_V1_4;  // 4 before ps.1.4
constexpr int kKnownKinds = 4;                       // entries of the kinds argument

// The matrix instructions' partial results (texm3x2pad, texm3x3pad) waiting
// for the instruction that completes them.
struct PendingPads {
    int size = 0;     // 2 for texm3x2pad, 3 for texm3x3pad
    uint32_t stages[2] = {0, 0};
    std::string names[2];
    int count = 0;
};

struct PixelEmitter {
    PixelEmitter(const DecodedShader& decoded, const TextureKind* stageKinds, unsigned projected)
        : shader(decoded), kinds(stageKinds), ps14(decoded.minor >= 4), projectedStages(projected) {}

    const DecodedShader& shader;
    const TextureKind* kinds;
    const bool ps14;
    const unsigned projectedStages;
    std::ostringstream body;
    std::map<uint32_t, const float*> defs;
    bool diffuseUsed = false;
    bool specularUsed = false;
    bool constantsUsed = false;
    uint32_t texCoordsUsed = 0;
    uint32_t samplersUsed = 0;
    uint32_t bumpMatricesUsed = 0;
    uint32_t bumpLuminanceUsed = 0;
    PendingPads pads;
    size_t current = 0;  // index of the instruction being emitted, for unique names
    std::string error;

    // A function-scope GLSL name unique to the current instruction.
    std::string local(const char* prefix) const { return prefix + std::to_string(current); }

    bool fail(const ShaderInstruction& instruction, const std::string& message) {
        if (error.empty())
            error = std::string("'") + shaderOpcodeName(instruction.opcode) + "' (token " +
                    std::to_string(instruction.tokenIndex) + "): " + message;
        return false;
    }

    std::string registerExpression(const ShaderRegister& reg) {
        const std::string n = std::to_string(reg.number);
        switch (reg.file) {
        case RegisterFile::Temp: return "r" + n;
        case RegisterFile::AddressOrTexture: return ps14 ? texCoord(reg.number) : "t" + n;
        case RegisterFile::Input:
            (reg.number == 0 ? diffuseUsed : specularUsed) = true;
            return reg.number == 0 ? "zDiffuse" : "zSpecular";
        case RegisterFile::Const:
            if (defs.count(reg.number)) return "zDef" + n;
            constantsUsed = true;
            return "clamp(zPsConst[" + n + "], -1.0, 1.0)";
        default: return "vec4(0.0)";  // the decoder lets no other file through
        }
    }

    std::string source(const ShaderInstruction& instruction, int index) {
        const SourceParameter& parameter = instruction.sources[index];
        return glslSourceModifier(registerExpression(parameter.reg) + glslSwizzle(parameter.swizzle),
                                  parameter.modifier);
    }

    std::string texCoord(uint32_t stage) {
        texCoordsUsed |= 1u << stage;
        return "zTex" + std::to_string(stage);
    }

    // tex's coordinate: divided by w for a stage under D3DTTFF_PROJECTED
    // (the vertex part leaves the divisor there).
    std::string projectedCoordinate(uint32_t stage) {
        const std::string tc = texCoord(stage);
        if (!(projectedStages & (1u << stage))) return tc + ".xyz";
        return "(" + tc + ".w != 0.0 ? " + tc + ".xyz / " + tc + ".w : " + tc + ".xyz)";
    }

    std::string bumpMatrix(uint32_t stage) {
        bumpMatricesUsed |= 1u << stage;
        return "zBumpEnvMat[" + std::to_string(stage) + "]";
    }

    // A lookup in stage `stage`'s texture at a three-component coordinate;
    // 2D textures use its first two components.
    std::string sample(uint32_t stage, const std::string& coordinate) {
        samplersUsed |= 1u << stage;
        const std::string sampler = "zSampler" + std::to_string(stage);
        // Stages 4 and 5 (ps.1.4 only) are not described by the caller: 2D.
        const TextureKind kind = stage < kKnownKinds ? kinds[stage] : TextureKind::Texture2D;
        if (kind == TextureKind::Volume || kind == TextureKind::Cube)
            return "texture(" + sampler + ", " + coordinate + ")";
        return "texture(" + sampler + ", (" + coordinate + ").xy)";
    }

    // dot(zTexN.xyz, source.xyz): one row of the texm3x* matrices.
    std::string matrixRow(const ShaderInstruction& instruction, uint32_t stage) {
        return "dot(" + texCoord(stage) + ".xyz, (" + source(instruction, 0) + ").xyz)";
    }

    bool takePads(const ShaderInstruction& instruction, int size) {
        if (pads.size != size || pads.count != size - 1)
            return fail(instruction, "needs the " + std::to_string(size - 1) + " texm3x" + std::to_string(size) +
                                         "pad instruction(s) right before it");
        pads = PendingPads{};
        return true;
    }

    std::string padName(int index) const { return pads.names[index]; }

    bool texturePad(const ShaderInstruction& instruction, int size, uint32_t stage) {
        if (pads.size != 0 && (pads.size != size || pads.count >= size - 1))
            return fail(instruction, "too many pad instructions, or pads of different matrices mixed");
        pads.size = size;
        pads.stages[pads.count] = stage;
        pads.names[pads.count++] = local("zPad");
        body << "    float " << local("zPad") << " = " << matrixRow(instruction, stage) << ";\n";
        return true;
    }

    // texld / texcrd coordinates: the source's xyz, divided by its z or w
    // under _dz / _dw.
    std::string loadCoordinate(const ShaderInstruction& instruction) {
        const SourceParameter& parameter = instruction.sources[0];
        const std::string b = "(" + registerExpression(parameter.reg) + glslSwizzle(parameter.swizzle) + ")";
        if (parameter.modifier == D3DSPSM_DZ) return "vec3(" + b + ".xy / " + b + ".z, 1.0)";
        if (parameter.modifier == D3DSPSM_DW) return "(" + b + ".xyz / " + b + ".w)";
        return b + ".xyz";
    }

    bool textureInstruction14(const ShaderInstruction& instruction, std::string* value) {
        const DestinationParameter& d = instruction.destination;
        const uint32_t stage = d.reg.number;
        value->clear();
        switch (instruction.opcode) {
        case D3DSIO_TEX: *value = sample(stage, loadCoordinate(instruction)); return true;
        case D3DSIO_TEXCOORD: *value = "vec4(" + loadCoordinate(instruction) + ", 1.0)"; return true;
        case D3DSIO_TEXKILL:
            body << "    if (any(lessThan(" << registerExpression(d.reg) << ".xyz, vec3(0.0)))) discard;\n";
            return true;
        case D3DSIO_TEXDEPTH:
            // r5.r / r5.g becomes the depth; g = 0 gives 1.
            body << "    gl_FragDepth = r5.y == 0.0 ? 1.0 : clamp(r5.x / r5.y, 0.0, 1.0);\n";
            return true;
        default: return fail(instruction, "is not supported in ps.1.4");
        }
    }

    // The texture address instructions: the value they load into their
    // register, or an empty string for those that load nothing.
    bool textureInstruction(const ShaderInstruction& instruction, std::string* value) {
        if (ps14) return textureInstruction14(instruction, value);
        const DestinationParameter& d = instruction.destination;
        if (d.reg.file != RegisterFile::AddressOrTexture)
            return fail(instruction, "must write a texture register");
        const uint32_t stage = d.reg.number;
        if (instruction.sourceCount > 0 && (instruction.sources[0].reg.file != RegisterFile::AddressOrTexture ||
                                            instruction.sources[0].reg.number >= stage))
            return fail(instruction, "must read a texture register of an earlier stage");
        const std::string tc = "zTex" + std::to_string(stage);
        std::string s = instruction.sourceCount > 0 ? source(instruction, 0) : std::string();
        auto row = [&] { return matrixRow(instruction, stage); };
        value->clear();
        switch (instruction.opcode) {
        case D3DSIO_TEX: *value = sample(stage, projectedCoordinate(stage)); return true;
        case D3DSIO_TEXCOORD: *value = "clamp(vec4(" + texCoord(stage) + ".xyz, 1.0), 0.0, 1.0)"; return true;
        case D3DSIO_TEXKILL:
            body << "    if (any(lessThan(" << texCoord(stage) << ".xyz, vec3(0.0)))) discard;\n";
            return true;
        case D3DSIO_TEXBEM:
        case D3DSIO_TEXBEML: {
            const std::string m = bumpMatrix(stage);
            texCoord(stage);
            const std::string b = local("zBump");
            body << "    vec4 " << b << " = " << s << ";\n";
            *value = sample(stage, "vec3(" + tc + ".x + " + m + ".x * " + b + ".x + " + m + ".z * " + b + ".y, " + tc +
                                       ".y + " + m + ".y * " + b + ".x + " + m + ".w * " + b + ".y, " + tc + ".z)");
            if (instruction.opcode == D3DSIO_TEXBEML) {
                bumpLuminanceUsed |= 1u << stage;
                const std::string lum = "zBumpLum[" + std::to_string(stage) + "]";
                // The luminance scales the whole texel, alpha included.
                *value = "(" + *value + " * clamp(" + b + ".z * " + lum + ".x + " + lum + ".y, 0.0, 1.0))";
            }
            return true;
        }
        case D3DSIO_TEXREG2AR: *value = sample(stage, "vec3((" + s + ").wx, 0.0)"); return true;
        case D3DSIO_TEXREG2GB: *value = sample(stage, "vec3((" + s + ").yz, 0.0)"); return true;
        case D3DSIO_TEXREG2RGB: *value = sample(stage, "(" + s + ").xyz"); return true;
        case D3DSIO_TEXDP3TEX: *value = sample(stage, "vec3(" + row() + ", 0.0, 0.0)"); return true;
        case D3DSIO_TEXDP3: *value = "vec4(" + row() + ")"; return true;
        case D3DSIO_TEXM3x2PAD: return texturePad(instruction, 2, stage);
        case D3DSIO_TEXM3x3PAD: return texturePad(instruction, 3, stage);
        case D3DSIO_TEXM3x2TEX: {
            const std::string u = padName(0);
            if (!takePads(instruction, 2)) return false;
            *value = sample(stage, "vec3(" + u + ", " + row() + ", 0.0)");
            return true;
        }
        case D3DSIO_TEXM3x2DEPTH: {
            // z / w of the two rows becomes the pixel's depth; w = 0 gives 1.
            const std::string z = padName(0);
            if (!takePads(instruction, 2)) return false;
            const std::string w = local("zDepthW");
            body << "    float " << w << " = " << row() << ";\n"
                 << "    gl_FragDepth = " << w << " == 0.0 ? 1.0 : clamp(" << z << " / " << w << ", 0.0, 1.0);\n";
            *value = "vec4(0.0)";
            return true;
        }
        case D3DSIO_TEXM3x3:
        case D3DSIO_TEXM3x3TEX:
        case D3DSIO_TEXM3x3SPEC:
        case D3DSIO_TEXM3x3VSPEC: {
            const uint32_t first = pads.stages[0], second = pads.stages[1];
            const std::string normal = "vec3(" + padName(0) + ", " + padName(1) + ", " + row() + ")";
            if (!takePads(instruction, 3)) return false;
            const std::string n = local("zNormal");
            body << "    vec3 " << n << " = " << normal << ";\n";
            if (instruction.opcode == D3DSIO_TEXM3x3) {
                *value = "vec4(" + n + ", 1.0)";
                return true;
            }
            if (instruction.opcode == D3DSIO_TEXM3x3TEX) {
                *value = sample(stage, n);
                return true;
            }
            // Reflect the eye ray about the normal: 2 N (N.E) / (N.N) - E.
            const std::string eye = instruction.opcode == D3DSIO_TEXM3x3SPEC
                                        ? "(" + source(instruction, 1) + ").xyz"
                                        : "vec3(" + texCoord(first) + ".w, " + texCoord(second) + ".w, " + tc + ".w)";
            const std::string e = local("zEye");
            body << "    vec3 " << e << " = " << eye << ";\n";
            *value = sample(stage, "2.0 * " + n + " * dot(" + n + ", " + e + ") / dot(" + n + ", " + n + ") - " + e);
            return true;
        }
        default: return fail(instruction, "is not supported");
        }
    }

    bool arithmeticExpression(const ShaderInstruction& instruction, std::string* out) {
        std::string s[3];
        for (int i = 0; i < instruction.sourceCount; ++i) {
            const uint32_t modifier = instruction.sources[i].modifier;
            if (modifier == D3DSPSM_DZ || modifier == D3DSPSM_DW)
                return fail(instruction, "_dz and _dw belong to texld and texcrd");
            s[i] = source(instruction, i);
        }
        switch (instruction.opcode) {
        case D3DSIO_MOV: *out = s[0]; return true;
        case D3DSIO_ADD: *out = s[0] + " + " + s[1]; return true;
        case D3DSIO_SUB: *out = s[0] + " - " + s[1]; return true;
        case D3DSIO_MUL: *out = s[0] + " * " + s[1]; return true;
        case D3DSIO_MAD: *out = s[0] + " * " + s[1] + " + " + s[2]; return true;
        case D3DSIO_LRP: *out = "mix(" + s[2] + ", " + s[1] + ", " + s[0] + ")"; return true;
        case D3DSIO_DP3: *out = "vec4(dot((" + s[0] + ").xyz, (" + s[1] + ").xyz))"; return true;
        case D3DSIO_DP4: *out = "vec4(dot(" + s[0] + ", " + s[1] + "))"; return true;
        // In ps.1.1 .. 1.3 the condition is r0.a, replicated: comparing
        // component by component gives the same choice for every channel.
        case D3DSIO_CND: *out = "mix(" + s[2] + ", " + s[1] + ", greaterThan(" + s[0] + ", vec4(0.5)))"; return true;
        case D3DSIO_CMP:
            *out = "mix(" + s[2] + ", " + s[1] + ", greaterThanEqual(" + s[0] + ", vec4(0.0)))";
            return true;
        case D3DSIO_BEM: {
            // src0.rg perturbed by src1.rg through the destination stage's matrix.
            const std::string m = bumpMatrix(instruction.destination.reg.number);
            const std::string a = "(" + s[0] + ")", b = "(" + s[1] + ")";
            *out = "vec4(" + a + ".x + " + m + ".x * " + b + ".x + " + m + ".z * " + b + ".y, " + a + ".y + " + m +
                   ".y * " + b + ".x + " + m + ".w * " + b + ".y, 0.0, 0.0)";
            return true;
        }
        default: return fail(instruction, "is not supported");
        }
    }

    // Shift, then saturate or the range of the pipes: [-1, 1] up to ps.1.3,
    // [-8, 8] in ps.1.4.
    std::string resultModifiers(const DestinationParameter& d, const std::string& value) const {
        std::string scaled = value;
        if (d.shift > 0) scaled = "(" + value + ") * " + std::to_string(1 << d.shift) + ".0";
        if (d.shift < 0) scaled = "(" + value + ") * " + glslFloat(1.0f / static_cast<float>(1 << -d.shift));
        if (d.saturate) return "clamp(" + scaled + ", 0.0, 1.0)";
        return ps14 ? "clamp(" + scaled + ", -8.0, 8.0)" : "clamp(" + scaled + ", -1.0, 1.0)";
    }

    static std::string destinationName(const DestinationParameter& d) {
        return (d.reg.file == RegisterFile::Temp ? "r" : "t") + std::to_string(d.reg.number);
    }

    static bool isTextureInstruction(uint32_t opcode) {
        return (opcode >= D3DSIO_TEXCOORD && opcode <= D3DSIO_TEXM3x3VSPEC) ||
               (opcode >= D3DSIO_TEXREG2RGB && opcode <= D3DSIO_TEXDEPTH);
    }

    // One instruction, or a co-issued group: every result first, then every
    // store.
    bool emitGroup(size_t first, size_t end) {
        std::vector<std::string> stores;
        for (size_t i = first; i < end; ++i) {
            const ShaderInstruction& instruction = shader.instructions[i];
            current = i;
            // phase only separates ps.1.4's dependent reads; registers carry over.
            if (instruction.opcode == D3DSIO_NOP || instruction.opcode == D3DSIO_DEF ||
                instruction.opcode == D3DSIO_PHASE)
                continue;
            const std::string name = "zR" + std::to_string(i);
            const DestinationParameter& d = instruction.destination;
            if (isTextureInstruction(instruction.opcode)) {
                if (end - first > 1) return fail(instruction, "texture instructions cannot be co-issued");
                std::string value;
                if (!textureInstruction(instruction, &value)) return false;
                if (value.empty()) continue;
                body << "    vec4 " << name << " = " << value << ";\n";
                // texcrd honours its write mask; every other load fills the register.
                const uint8_t written = instruction.opcode == D3DSIO_TEXCOORD && ps14 ? d.writeMask : 0xF;
                const std::string mask = written == 0xF ? "" : glslMask(written);
                if (written)
                    stores.push_back("    " + destinationName(d) + mask + " = " + name + mask + ";\n");
                continue;
            }
            std::string value;
            if (!arithmeticExpression(instruction, &value)) return false;
            body << "    vec4 " << name << " = " << resultModifiers(d, value) << ";\n";
            const std::string mask = d.writeMask == 0xF ? "" : glslMask(d.writeMask);
            if (d.writeMask) stores.push_back("    " + destinationName(d) + mask + " = " + name + mask + ";\n");
        }
        for (const std::string& store : stores) body << store;
        return true;
    }

    bool emitAll() {
        const auto& instructions = shader.instructions;
        for (size_t i = 0; i < instructions.size();) {
            size_t end = i + 1;
            while (end < instructions.size() && instructions[end].coissue) ++end;
            if (!emitGroup(i, end)) return false;
            i = end;
        }
        if (pads.size != 0) return fail(instructions.back(), "a texm3x pad sequence is left unfinished");
        return true;
    }

    std::string assemble() const {
        std::ostringstream out;
        out << "#version 330 core\n";
        if (diffuseUsed) out << "in vec4 zDiffuse;\n";
        if (specularUsed) out << "in vec4 zSpecular;\n";
        for (int i = 0; i < kStages; ++i)
            if (texCoordsUsed & (1u << i)) out << "in vec4 zTex" << i << ";\n";
        if (constantsUsed) out << "uniform vec4 zPsConst[" << D3DPS_CONSTREG_MAX_V1_1 << "];\n";
        if (bumpMatricesUsed) out << "uniform vec4 zBumpEnvMat[8];\n";
        if (bumpLuminanceUsed) out << "uniform vec2 zBumpLum[8];\n";
        for (int i = 0; i < kStages; ++i) {
            if (!(samplersUsed & (1u << i))) continue;
            const char* type = kinds[i] == TextureKind::Volume ? "sampler3D"
                               : kinds[i] == TextureKind::Cube ? "samplerCube"
                                                                : "sampler2D";
            out << "uniform " << type << " zSampler" << i << ";\n";
        }
        out << "layout(location = 0) out vec4 zColor;\n";
        for (const auto& [slot, values] : defs) {
            float clamped[4];
            for (int i = 0; i < 4; ++i) clamped[i] = std::clamp(values[i], -1.0f, 1.0f);
            out << "const vec4 zDef" << slot << " = " << glslVec4(clamped) << ";\n";
        }
        out << "void main() {\n";
        const int temps = ps14 ? D3DPS_TEMPREG_MAX_V1_4 : D3DPS_TEMPREG_MAX_V1_1;
        for (int i = 0; i < temps; ++i) out << "    vec4 r" << i << " = vec4(0.0);\n";
        if (!ps14)
            for (int i = 0; i < D3DPS_TEXTUREREG_MAX_V1_1; ++i) out << "    vec4 t" << i << " = vec4(0.0);\n";
        out << body.str();
        out << "    zColor = clamp(r0, 0.0, 1.0);\n}\n";
        return out.str();
    }
};

}  // namespace

TranslatedShader translatePixelShader(const DWORD* tokens, size_t count, const zep::d3d::TextureKind kinds[4],
                                      unsigned projectedStages) {
    DecodeResult decoded = decodeShader(tokens, count, ShaderKind::Pixel);
    if (!decoded.ok) return TranslatedShader{false, {}, decoded.error};

    // No description of the stages: every stage samples as 2D.
    static constexpr TextureKind kAll2D[kKnownKinds] = {TextureKind::Texture2D, TextureKind::Texture2D,
                                                        TextureKind::Texture2D, TextureKind::Texture2D};
    // ps.1.4 asks for a division itself (_dz, _dw); the stage flag is not read.
    PixelEmitter emitter(decoded.shader, kinds ? kinds : kAll2D, decoded.shader.minor >= 4 ? 0u : projectedStages);
    for (const ShaderInstruction& instruction : decoded.shader.instructions)
        if (instruction.opcode == D3DSIO_DEF) emitter.defs[instruction.destination.reg.number] = instruction.defValues;
    if (!emitter.emitAll()) return TranslatedShader{false, {}, emitter.error};
    return TranslatedShader{true, emitter.assemble(), {}};
}

}  // namespace zep::gl
