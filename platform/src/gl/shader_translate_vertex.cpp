// vs.1.0 / vs.1.1 to a GLSL vertex program.
//
// Each instruction computes a whole vec4 into a scratch value first and then
// stores the masked components, so a destination that is also a source (and
// the m4x4-style macros, which D3D expands into several dot products) reads
// the old value everywhere.
#include "gl/shader_translate.h"

#include "gl/shader_decode.h"
#include "gl/shader_glsl.h"

#include <map>
#include <sstream>

namespace zep::gl {
namespace {

constexpr int kVsConstants = D3DVS_CONSTREG_MAX_V1_1;

// Direct3D's special cases for the scalar and lighting instructions.
constexpr const char* kVertexHelpers = R"(const float zInf = uintBitsToFloat(0x7F800000u);
const float zMaxFloat = 3.40282347e38;
float zRcp(float s) { return s == 0.0 ? zInf : (s == 1.0 ? 1.0 : 1.0 / s); }
float zRsq(float s) { float v = abs(s); return v == 0.0 ? zInf : (v == 1.0 ? 1.0 : inversesqrt(v)); }
vec4 zLog(float s) { float v = abs(s); return vec4(v == 0.0 ? -zMaxFloat : log2(v)); }
vec4 zLogp(float s) {
    float v = abs(s);
    if (v == 0.0) return vec4(-zMaxFloat, 1.0, -zMaxFloat, 1.0);
    int bits = floatBitsToInt(v);
    float exponent = float(((bits >> 23) & 0xFF) - 127);
    float mantissa = intBitsToFloat((bits & 0x007FFFFF) | 0x3F800000);
    return vec4(exponent, mantissa, log2(v), 1.0);
}
vec4 zExpp(float s) { float w = floor(s); return vec4(exp2(w), s - w, exp2(s), 1.0); }
vec4 zLit(vec4 s) {
    vec4 d = vec4(1.0, 0.0, 0.0, 1.0);
    if (s.x > 0.0) {
        d.y = s.x;
        if (s.y > 0.0) d.z = pow(s.y, clamp(s.w, -127.9961, 127.9961));
    }
    return d;
}
)";

struct VertexEmitter {
    explicit VertexEmitter(const DecodedShader& decoded) : shader(decoded) {}

    const DecodedShader& shader;
    std::ostringstream body;
    std::map<uint32_t, const float*> defs;  // constant slot -> def'd value
    uint32_t inputsUsed = 0;
    uint32_t tempsUsed = 0;
    bool constantsUsed = false;
    bool relativeUsed = false;
    bool pointSizeWritten = false;
    std::string error;

    bool fail(const ShaderInstruction& instruction, const std::string& message) {
        if (error.empty())
            error = std::string("'") + shaderOpcodeName(instruction.opcode) + "' (token " +
                    std::to_string(instruction.tokenIndex) + "): " + message;
        return false;
    }

    // A source register, `offset` rows further on for the matrix macros.
    bool registerExpression(const ShaderInstruction& instruction, const ShaderRegister& reg, uint32_t offset,
                            std::string* out) {
        const uint32_t n = reg.number + offset;
        switch (reg.file) {
        case RegisterFile::Temp:
            if (n >= D3DVS_TEMPREG_MAX_V1_1) return fail(instruction, "reads past r11");
            tempsUsed |= 1u << n;
            *out = "r" + std::to_string(n);
            return true;
        case RegisterFile::Input:
            if (n >= D3DVS_INPUTREG_MAX_V1_1) return fail(instruction, "reads past v15");
            inputsUsed |= 1u << n;
            *out = "zV" + std::to_string(n);
            return true;
        case RegisterFile::Const:
            if (reg.relative) {
                relativeUsed = true;
                constantsUsed = true;
                *out = "zConst(a0x + " + std::to_string(n) + ")";
                return true;
            }
            if (n >= kVsConstants) return fail(instruction, "reads past c95");
            if (defs.count(n)) {
                *out = "zDef" + std::to_string(n);
            } else {
                constantsUsed = true;
                *out = "zVsConst[" + std::to_string(n) + "]";
            }
            return true;
        default:
            return fail(instruction, "cannot read " + shaderRegisterName(ShaderKind::Vertex, reg));
        }
    }

    bool source(const ShaderInstruction& instruction, int index, uint32_t offset, std::string* out) {
        const SourceParameter& parameter = instruction.sources[index];
        std::string reg;
        if (!registerExpression(instruction, parameter.reg, offset, &reg)) return false;
        *out = glslSourceModifier(reg + glslSwizzle(parameter.swizzle), parameter.modifier);
        return true;
    }

    // The rows of m4x4 & co.: dot products of src0 with consecutive
    // registers starting at src1.
    bool matrixExpression(const ShaderInstruction& instruction, int rows, bool fourComponents, std::string* out) {
        std::string vector;
        if (!source(instruction, 0, 0, &vector)) return false;
        std::string components[4] = {"0.0", "0.0", "0.0", "0.0"};
        for (int row = 0; row < rows; ++row) {
            std::string rowExpression;
            if (!source(instruction, 1, static_cast<uint32_t>(row), &rowExpression)) return false;
            components[row] = fourComponents ? "dot(" + vector + ", " + rowExpression + ")"
                                             : "dot((" + vector + ").xyz, (" + rowExpression + ").xyz)";
        }
        *out = "vec4(" + components[0] + ", " + components[1] + ", " + components[2] + ", " + components[3] + ")";
        return true;
    }

    // The instruction's full vec4 result, and which components it produces.
    bool resultExpression(const ShaderInstruction& instruction, std::string* out, uint8_t* produced) {
        *produced = 0xF;
        std::string s[3];
        const bool isMatrix = instruction.opcode >= D3DSIO_M4x4 && instruction.opcode <= D3DSIO_M3x2;
        if (!isMatrix)
            for (int i = 0; i < instruction.sourceCount; ++i)
                if (!source(instruction, i, 0, &s[i])) return false;
        // Scalar instructions read one component; with the replicate swizzle
        // the assembler requires, that is the swizzled w.
        const std::string scalar = "(" + s[0] + ").w";
        switch (instruction.opcode) {
        case D3DSIO_MOV: *out = s[0]; return true;
        case D3DSIO_ADD: *out = s[0] + " + " + s[1]; return true;
        case D3DSIO_SUB: *out = s[0] + " - " + s[1]; return true;
        case D3DSIO_MUL: *out = s[0] + " * " + s[1]; return true;
        case D3DSIO_MAD: *out = s[0] + " * " + s[1] + " + " + s[2]; return true;
        case D3DSIO_RCP: *out = "vec4(zRcp(" + scalar + "))"; return true;
        case D3DSIO_RSQ: *out = "vec4(zRsq(" + scalar + "))"; return true;
        case D3DSIO_DP3: *out = "vec4(dot((" + s[0] + ").xyz, (" + s[1] + ").xyz))"; return true;
        case D3DSIO_DP4: *out = "vec4(dot(" + s[0] + ", " + s[1] + "))"; return true;
        case D3DSIO_MIN: *out = "min(" + s[0] + ", " + s[1] + ")"; return true;
        case D3DSIO_MAX: *out = "max(" + s[0] + ", " + s[1] + ")"; return true;
        case D3DSIO_SLT: *out = "vec4(lessThan(" + s[0] + ", " + s[1] + "))"; return true;
        case D3DSIO_SGE: *out = "vec4(greaterThanEqual(" + s[0] + ", " + s[1] + "))"; return true;
        case D3DSIO_EXP: *out = "vec4(exp2(" + scalar + "))"; return true;
        case D3DSIO_LOG: *out = "zLog(" + scalar + ")"; return true;
        case D3DSIO_EXPP: *out = "zExpp(" + scalar + ")"; return true;
        case D3DSIO_LOGP: *out = "zLogp(" + scalar + ")"; return true;
        case D3DSIO_LIT: *out = "zLit(" + s[0] + ")"; return true;
        case D3DSIO_DST:
            *out = "vec4(1.0, (" + s[0] + ").y * (" + s[1] + ").y, (" + s[0] + ").z, (" + s[1] + ").w)";
            return true;
        case D3DSIO_FRC: *out = "fract(" + s[0] + ")"; return true;
        case D3DSIO_M4x4: return matrixExpression(instruction, 4, true, out);
        case D3DSIO_M4x3: *produced = 0x7; return matrixExpression(instruction, 3, true, out);
        case D3DSIO_M3x4: return matrixExpression(instruction, 4, false, out);
        case D3DSIO_M3x3: *produced = 0x7; return matrixExpression(instruction, 3, false, out);
        case D3DSIO_M3x2: *produced = 0x3; return matrixExpression(instruction, 2, false, out);
        default: return fail(instruction, "is not supported in vertex shaders");
        }
    }

    bool store(const ShaderInstruction& instruction, uint8_t mask) {
        const DestinationParameter& d = instruction.destination;
        const std::string m = glslMask(mask);
        const std::string n = std::to_string(d.reg.number);
        const bool whole = mask == 0xF;
        auto vectorStore = [&](const std::string& name) {
            body << "        " << name << (whole ? "" : m) << " = zR" << (whole ? "" : m) << ";\n";
        };
        switch (d.reg.file) {
        case RegisterFile::Temp:
            tempsUsed |= 1u << d.reg.number;
            vectorStore("r" + n);
            return true;
        case RegisterFile::AddressOrTexture:
            if (instruction.opcode != D3DSIO_MOV) return fail(instruction, "only mov can write a0");
            // vs.1.1 truncates towards minus infinity when loading a0.
            if (mask & 1) body << "        a0x = int(floor(zR.x));\n";
            return true;
        case RegisterFile::RastOut:
            if (d.reg.number == D3DSRO_POSITION) vectorStore("oPos");
            else if (mask & 1) {
                if (d.reg.number == D3DSRO_POINT_SIZE) pointSizeWritten = true;
                body << "        " << (d.reg.number == D3DSRO_FOG ? "oFog" : "oPts") << " = zR.x;\n";
            }
            return true;
        case RegisterFile::AttrOut: vectorStore("oD" + n); return true;
        case RegisterFile::TexCrdOut: vectorStore("oT" + n); return true;
        default: return fail(instruction, "cannot write " + shaderRegisterName(ShaderKind::Vertex, d.reg));
        }
    }

    bool emit(const ShaderInstruction& instruction) {
        if (instruction.opcode == D3DSIO_NOP || instruction.opcode == D3DSIO_DEF) return true;
        std::string expression;
        uint8_t produced = 0xF;
        if (!resultExpression(instruction, &expression, &produced)) return false;
        const uint8_t mask = instruction.destination.writeMask & produced;
        body << "    {\n        vec4 zR = " << expression << ";\n";
        if (mask && !store(instruction, mask)) return false;
        body << "    }\n";
        return true;
    }

    std::string assemble() const {
        std::ostringstream out;
        out << "#version 330 core\n";
        for (uint32_t i = 0; i < 16; ++i)
            if (inputsUsed & (1u << i))
                out << "layout(location = " << zep::d3d::attributeLocation(i) << ") in vec4 zV" << i << ";\n";
        out << "uniform vec2 zHalfPixel;\n";
        if (constantsUsed) out << "uniform vec4 zVsConst[" << kVsConstants << "];\n";
        out << "out vec4 zDiffuse;\nout vec4 zSpecular;\n";
        for (int i = 0; i < 8; ++i) out << "out vec4 zTex" << i << ";\n";
        out << "out float zFog;\n";
        for (const auto& [slot, values] : defs) out << "const vec4 zDef" << slot << " = " << glslVec4(values) << ";\n";
        out << kVertexHelpers;
        if (relativeUsed) {
            // Reads outside c0..c95 give zero rather than whatever GL finds there.
            out << "vec4 zConst(int i) {\n    if (i < 0 || i >= " << kVsConstants << ") return vec4(0.0);\n";
            for (const auto& entry : defs)
                out << "    if (i == " << entry.first << ") return zDef" << entry.first << ";\n";
            out << "    return zVsConst[i];\n}\n";
        }
        out << "void main() {\n";
        for (int i = 0; i < D3DVS_TEMPREG_MAX_V1_1; ++i)
            if (tempsUsed & (1u << i)) out << "    vec4 r" << i << " = vec4(0.0);\n";
        if (relativeUsed || usesAddressRegister()) out << "    int a0x = 0;\n";
        // Direct3D's values for outputs a shader leaves unwritten.
        out << "    vec4 oPos = vec4(0.0, 0.0, 0.0, 1.0);\n"
               "    vec4 oD0 = vec4(1.0);\n"
               "    vec4 oD1 = vec4(0.0);\n";
        for (int i = 0; i < 8; ++i) out << "    vec4 oT" << i << " = vec4(0.0, 0.0, 0.0, 1.0);\n";
        out << "    float oFog = 1.0;\n    float oPts = 1.0;\n";
        out << body.str();
        out << "    gl_Position = oPos;\n"
               "    gl_Position.xy += zHalfPixel * gl_Position.w;\n"
               "    zDiffuse = clamp(oD0, 0.0, 1.0);\n"
               "    zSpecular = clamp(oD1, 0.0, 1.0);\n";
        for (int i = 0; i < 8; ++i) out << "    zTex" << i << " = oT" << i << ";\n";
        out << "    zFog = clamp(oFog, 0.0, 1.0);\n";
        if (pointSizeWritten) out << "    gl_PointSize = oPts;\n";
        out << "}\n";
        return out.str();
    }

    bool usesAddressRegister() const {
        for (const ShaderInstruction& instruction : shader.instructions)
            if (instruction.hasDestination && instruction.destination.reg.file == RegisterFile::AddressOrTexture)
                return true;
        return false;
    }
};

}  // namespace

TranslatedShader translateVertexShader(const DWORD* tokens, size_t count) {
    DecodeResult decoded = decodeShader(tokens, count, ShaderKind::Vertex);
    if (!decoded.ok) return TranslatedShader{false, {}, decoded.error};

    VertexEmitter emitter(decoded.shader);
    // def applies to the whole shader, wherever it stands.
    for (const ShaderInstruction& instruction : decoded.shader.instructions)
        if (instruction.opcode == D3DSIO_DEF) emitter.defs[instruction.destination.reg.number] = instruction.defValues;
    for (const ShaderInstruction& instruction : decoded.shader.instructions)
        if (!emitter.emit(instruction)) return TranslatedShader{false, {}, emitter.error};
    return TranslatedShader{true, emitter.assemble(), {}};
}

}  // namespace zep::gl
