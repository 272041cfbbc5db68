#include "gl/shader_decode.h"

#include <cstring>

namespace zep::gl {
namespace {

constexpr uint8_t kVs = ShaderOpcodeInfo::kVertex;
constexpr uint8_t kPs = ShaderOpcodeInfo::kPixel;

// Parameter counts of the 1.x models: the tokens carry no instruction
// length, so this table is what tells the decoder where parameters end.
// ps.1.4 keeps the arithmetic and replaces every texture instruction of
// 1.0 .. 1.3 with texld (tex), texcrd (texcoord), texkill, texdepth and bem,
// hence the last version 3 on the older texture family.
constexpr ShaderOpcodeInfo kOpcodes[] = {
    {D3DSIO_NOP, "nop", kVs | kPs, false, 0, 0, 4},
    {D3DSIO_MOV, "mov", kVs | kPs, true, 1, 0, 4},
    {D3DSIO_ADD, "add", kVs | kPs, true, 2, 0, 4},
    {D3DSIO_SUB, "sub", kVs | kPs, true, 2, 0, 4},
    {D3DSIO_MAD, "mad", kVs | kPs, true, 3, 0, 4},
    {D3DSIO_MUL, "mul", kVs | kPs, true, 2, 0, 4},
    {D3DSIO_RCP, "rcp", kVs, true, 1, 0, 0},
    {D3DSIO_RSQ, "rsq", kVs, true, 1, 0, 0},
    {D3DSIO_DP3, "dp3", kVs | kPs, true, 2, 0, 4},
    {D3DSIO_DP4, "dp4", kVs | kPs, true, 2, 2, 4},
    {D3DSIO_MIN, "min", kVs, true, 2, 0, 0},
    {D3DSIO_MAX, "max", kVs, true, 2, 0, 0},
    {D3DSIO_SLT, "slt", kVs, true, 2, 0, 0},
    {D3DSIO_SGE, "sge", kVs, true, 2, 0, 0},
    {D3DSIO_EXP, "exp", kVs, true, 1, 0, 0},
    {D3DSIO_LOG, "log", kVs, true, 1, 0, 0},
    {D3DSIO_LIT, "lit", kVs, true, 1, 0, 0},
    {D3DSIO_DST, "dst", kVs, true, 2, 0, 0},
    {D3DSIO_LRP, "lrp", kPs, true, 3, 0, 4},
    {D3DSIO_FRC, "frc", kVs, true, 1, 0, 0},
    {D3DSIO_M4x4, "m4x4", kVs, true, 2, 0, 0},
    {D3DSIO_M4x3, "m4x3", kVs, true, 2, 0, 0},
    {D3DSIO_M3x4, "m3x4", kVs, true, 2, 0, 0},
    {D3DSIO_M3x3, "m3x3", kVs, true, 2, 0, 0},
    {D3DSIO_M3x2, "m3x2", kVs, true, 2, 0, 0},
    {D3DSIO_TEXCOORD, "texcoord", kPs, true, 0, 0, 4},
    {D3DSIO_TEXKILL, "texkill", kPs, true, 0, 0, 4},
    {D3DSIO_TEX, "tex", kPs, true, 0, 0, 4},
    {D3DSIO_TEXBEM, "texbem", kPs, true, 1, 0, 3},
    {D3DSIO_TEXBEML, "texbeml", kPs, true, 1, 0, 3},
    {D3DSIO_TEXREG2AR, "texreg2ar", kPs, true, 1, 0, 3},
    {D3DSIO_TEXREG2GB, "texreg2gb", kPs, true, 1, 0, 3},
    {D3DSIO_TEXM3x2PAD, "texm3x2pad", kPs, true, 1, 0, 3},
    {D3DSIO_TEXM3x2TEX, "texm3x2tex", kPs, true, 1, 0, 3},
    {D3DSIO_TEXM3x3PAD, "texm3x3pad", kPs, true, 1, 0, 3},
    {D3DSIO_TEXM3x3TEX, "texm3x3tex", kPs, true, 1, 0, 3},
    {D3DSIO_TEXM3x3DIFF, "texm3x3diff", kPs, true, 1, 0, 3},
    {D3DSIO_TEXM3x3SPEC, "texm3x3spec", kPs, true, 2, 0, 3},
    {D3DSIO_TEXM3x3VSPEC, "texm3x3vspec", kPs, true, 1, 0, 3},
    {D3DSIO_EXPP, "expp", kVs, true, 1, 0, 0},
    {D3DSIO_LOGP, "logp", kVs, true, 1, 0, 0},
    {D3DSIO_CND, "cnd", kPs, true, 3, 0, 4},
    {D3DSIO_DEF, "def", kVs | kPs, true, 0, 0, 4},
    {D3DSIO_TEXREG2RGB, "texreg2rgb", kPs, true, 1, 2, 3},
    {D3DSIO_TEXDP3TEX, "texdp3tex", kPs, true, 1, 2, 3},
    {D3DSIO_TEXM3x2DEPTH, "texm3x2depth", kPs, true, 1, 3, 3},
    {D3DSIO_TEXDP3, "texdp3", kPs, true, 1, 2, 3},
    {D3DSIO_TEXM3x3, "texm3x3", kPs, true, 1, 2, 3},
    {D3DSIO_TEXDEPTH, "texdepth", kPs, true, 0, 4, 4},
    {D3DSIO_CMP, "cmp", kPs, true, 3, 2, 4},
    {D3DSIO_BEM, "bem", kPs, true, 2, 4, 4},
    {D3DSIO_PHASE, "phase", kPs, false, 0, 4, 4},
};

bool isParameterToken(DWORD token) { return (token & 0x80000000u) != 0; }

ShaderRegister registerOf(DWORD token) {
    return ShaderRegister{static_cast<RegisterFile>((token & D3DSP_REGTYPE_MASK) >> D3DSP_REGTYPE_SHIFT),
                          token & D3DSP_REGNUM_MASK, false};
}

struct Decoder {
    const DWORD* tokens;
    size_t count;
    size_t pos;
    ShaderKind kind;
    DecodeResult result;

    bool fail(const std::string& message) {
        result.ok = false;
        result.error = message;
        return false;
    }

    bool checkRegister(const ShaderRegister& reg, bool destination, const char* what) {
        const uint32_t limit = shaderRegisterCount(kind, result.shader.minor, reg.file, destination);
        if (limit == 0)
            return fail(std::string(what) + " uses register file " + std::to_string(static_cast<int>(reg.file)) +
                        ", which this shader cannot " + (destination ? "write" : "read") + " (token " +
                        std::to_string(pos) + ")");
        // Relative constant reads are checked at run time instead.
        if (!reg.relative && reg.number >= limit)
            return fail(std::string(what) + " register " + shaderRegisterName(kind, reg) + " is out of range (token " +
                        std::to_string(pos) + ")");
        return true;
    }

    bool takeParameter(DWORD* token, const char* opcodeName) {
        if (pos >= count)
            return fail(std::string("token stream ends inside '") + opcodeName + "' (token " + std::to_string(pos) + ")");
        if (!isParameterToken(tokens[pos]))
            return fail(std::string("'") + opcodeName + "' is missing a parameter token (token " + std::to_string(pos) +
                        ")");
        *token = tokens[pos++];
        return true;
    }

    // `readOnly`: ps.1.4's texkill names the register it tests in the
    // destination slot, and may name a t# register there.
    bool decodeDestination(const char* opcodeName, DestinationParameter* out, bool readOnly = false) {
        DWORD token = 0;
        if (!takeParameter(&token, opcodeName)) return false;
        out->reg = registerOf(token);
        out->writeMask = static_cast<uint8_t>((token & D3DSP_WRITEMASK_ALL) >> 16);
        out->saturate = (token & D3DSP_DSTMOD_MASK) == D3DSPDM_SATURATE;
        const int shiftBits = static_cast<int>((token & D3DSP_DSTSHIFT_MASK) >> D3DSP_DSTSHIFT_SHIFT);
        out->shift = static_cast<int8_t>(shiftBits >= 8 ? shiftBits - 16 : shiftBits);
        if ((token & D3DSP_DSTMOD_MASK) & ~static_cast<DWORD>(D3DSPDM_SATURATE))
            return fail(std::string("'") + opcodeName + "' has an unknown result modifier");
        if (kind == ShaderKind::Vertex && (out->saturate || out->shift != 0))
            return fail(std::string("'") + opcodeName + "': vertex shaders have no result modifiers");
        const int8_t lowest = result.shader.minor >= 4 ? -3 : -1, highest = result.shader.minor >= 4 ? 3 : 2;
        if (kind == ShaderKind::Pixel && (out->shift > highest || out->shift < lowest))
            return fail(std::string("'") + opcodeName + "' has a result shift ps.1.x does not have");
        return checkRegister(out->reg, !readOnly, opcodeName);
    }

    bool decodeSource(const char* opcodeName, SourceParameter* out) {
        DWORD token = 0;
        if (!takeParameter(&token, opcodeName)) return false;
        out->reg = registerOf(token);
        out->reg.relative = (token & D3DVS_ADDRESSMODE_MASK) != 0;
        for (int i = 0; i < 4; ++i) out->swizzle[i] = static_cast<uint8_t>((token >> (16 + 2 * i)) & 3u);
        out->modifier = token & D3DSP_SRCMOD_MASK;
        if (kind == ShaderKind::Vertex) {
            if (out->modifier != D3DSPSM_NONE && out->modifier != D3DSPSM_NEG)
                return fail(std::string("'") + opcodeName + "': vertex shader sources can only be negated");
            if (out->reg.relative && out->reg.file != RegisterFile::Const)
                return fail(std::string("'") + opcodeName + "': only constants can be addressed through a0.x");
        } else {
            if (out->reg.relative)
                return fail(std::string("'") + opcodeName + "': pixel shaders have no relative addressing");
            // _x2 and the divide modifiers belong to ps.1.4.
            const uint32_t last = result.shader.minor >= 4 ? D3DSPSM_DW : D3DSPSM_COMP;
            if (out->modifier > last)
                return fail(std::string("'") + opcodeName + "' uses a source modifier ps.1.x does not have");
        }
        return checkRegister(out->reg, false, opcodeName);
    }

    bool decodeDef(ShaderInstruction* instruction) {
        DWORD token = 0;
        if (!takeParameter(&token, "def")) return false;
        instruction->hasDestination = true;
        instruction->destination = DestinationParameter{registerOf(token), 0xF, false, 0};
        if (instruction->destination.reg.file != RegisterFile::Const)
            return fail("'def' must name a constant register");
        const uint32_t limit = kind == ShaderKind::Vertex ? D3DVS_CONSTREG_MAX_V1_1 : D3DPS_CONSTREG_MAX_V1_1;
        if (instruction->destination.reg.number >= limit) return fail("'def' register is out of range");
        if (count - pos < 4) return fail("token stream ends inside 'def' (token " + std::to_string(pos) + ")");
        std::memcpy(instruction->defValues, tokens + pos, sizeof instruction->defValues);
        pos += 4;
        return true;
    }

    bool decodeVersion() {
        if (tokens == nullptr || count == 0) return fail("empty shader token stream");
        const DWORD version = tokens[0];
        const DWORD expected = kind == ShaderKind::Vertex ? 0xFFFE0000u : 0xFFFF0000u;
        if ((version & 0xFFFF0000u) != expected)
            return fail(std::string("not a ") + (kind == ShaderKind::Vertex ? "vertex" : "pixel") +
                        " shader version token");
        result.shader.major = D3DSHADER_VERSION_MAJOR(version);
        result.shader.minor = D3DSHADER_VERSION_MINOR(version);
        const std::string name = std::string(kind == ShaderKind::Vertex ? "vs." : "ps.") +
                                 std::to_string(result.shader.major) + "." + std::to_string(result.shader.minor);
        if (result.shader.major != 1) return fail(name + " is not supported");
        if (kind == ShaderKind::Vertex && result.shader.minor > 1) return fail(name + " is not supported");
        if (kind == ShaderKind::Pixel && result.shader.minor > 4) return fail(name + " is not supported");
        pos = 1;
        return true;
    }

    bool decodeInstruction(DWORD token) {
        const uint32_t opcode = token & D3DSI_OPCODE_MASK;
        const ShaderOpcodeInfo* info = findShaderOpcode(opcode);
        if (!info) return fail("unknown opcode " + std::to_string(opcode) + " (token " + std::to_string(pos) + ")");
        if (!info->in(kind))
            return fail(std::string("'") + info->name + "' is not a " +
                        (kind == ShaderKind::Vertex ? "vertex" : "pixel") + " shader instruction");
        if (kind == ShaderKind::Pixel && result.shader.minor < info->psFirstMinor)
            return fail(std::string("'") + info->name + "' needs ps.1." + std::to_string(info->psFirstMinor));
        if (kind == ShaderKind::Pixel && result.shader.minor > info->psLastMinor)
            return fail(std::string("'") + info->name + "' is not a ps.1." + std::to_string(result.shader.minor) +
                        " instruction");

        ShaderInstruction instruction{};
        instruction.opcode = opcode;
        instruction.tokenIndex = pos;
        instruction.coissue = (token & D3DSI_COISSUE) != 0;
        if (instruction.coissue && (kind == ShaderKind::Vertex || result.shader.instructions.empty()))
            return fail(std::string("'") + info->name + "' is marked co-issued where no instruction pairs with it");
        ++pos;

        if (opcode == D3DSIO_DEF) {
            if (!decodeDef(&instruction)) return false;
        } else {
            instruction.hasDestination = info->destination;
            const bool testsOnly = opcode == D3DSIO_TEXKILL && kind == ShaderKind::Pixel && result.shader.minor >= 4;
            if (info->destination && !decodeDestination(info->name, &instruction.destination, testsOnly)) return false;
            // texld and texcrd name their coordinate source; tex and texcoord
            // of the older versions take stage N's coordinates implicitly.
            const bool ps14Load = kind == ShaderKind::Pixel && result.shader.minor >= 4 &&
                                  (opcode == D3DSIO_TEX || opcode == D3DSIO_TEXCOORD);
            instruction.sourceCount = ps14Load ? 1 : info->sources;
            for (int i = 0; i < instruction.sourceCount; ++i)
                if (!decodeSource(info->name, &instruction.sources[i])) return false;
        }
        result.shader.instructions.push_back(instruction);
        return true;
    }

    bool run() {
        if (!decodeVersion()) return false;
        while (pos < count) {
            const DWORD token = tokens[pos];
            if (isParameterToken(token))
                return fail("parameter token where an instruction belongs (token " + std::to_string(pos) +
                            "): an instruction has too many parameters");
            const uint32_t opcode = token & D3DSI_OPCODE_MASK;
            if (opcode == D3DSIO_END) return true;
            if (opcode == D3DSIO_COMMENT) {
                const size_t size = (token & D3DSI_COMMENTSIZE_MASK) >> D3DSI_COMMENTSIZE_SHIFT;
                if (size > count - pos - 1) return fail("comment runs past the end of the token stream");
                pos += 1 + size;
                continue;
            }
            if (!decodeInstruction(token)) return false;
        }
        return fail("token stream has no END token");
    }
};

}  // namespace

const ShaderOpcodeInfo* findShaderOpcode(uint32_t opcode) {
    for (const ShaderOpcodeInfo& info : kOpcodes)
        if (info.opcode == opcode) return &info;
    return nullptr;
}

const ShaderOpcodeInfo* findShaderOpcode(std::string_view name) {
    for (const ShaderOpcodeInfo& info : kOpcodes)
        if (name == info.name) return &info;
    return nullptr;
}

const char* shaderOpcodeName(uint32_t opcode) {
    const ShaderOpcodeInfo* info = findShaderOpcode(opcode);
    return info ? info->name : "";
}

uint32_t shaderRegisterCount(ShaderKind kind, uint32_t minor, RegisterFile file, bool destination) {
    if (kind == ShaderKind::Vertex) {
        switch (file) {
        case RegisterFile::Temp: return D3DVS_TEMPREG_MAX_V1_1;
        case RegisterFile::Input: return destination ? 0 : D3DVS_INPUTREG_MAX_V1_1;
        case RegisterFile::Const: return destination ? 0 : D3DVS_CONSTREG_MAX_V1_1;
        case RegisterFile::AddressOrTexture: return destination ? D3DVS_ADDRREG_MAX_V1_1 : 0;
        case RegisterFile::RastOut: return destination ? 3 : 0;
        case RegisterFile::AttrOut: return destination ? D3DVS_ATTROUTREG_MAX_V1_1 : 0;
        case RegisterFile::TexCrdOut: return destination ? D3DVS_TCRDOUTREG_MAX_V1_1 : 0;
        }
        return 0;
    }
    if (minor >= 4) {
        // t# are read-only texture coordinates in ps.1.4.
        switch (file) {
        case RegisterFile::Temp: return D3DPS_TEMPREG_MAX_V1_4;
        case RegisterFile::Input: return destination ? 0 : D3DPS_INPUTREG_MAX_V1_4;
        case RegisterFile::Const: return destination ? 0 : D3DPS_CONSTREG_MAX_V1_4;
        case RegisterFile::AddressOrTexture: return destination ? 0 : D3DPS_TEXTUREREG_MAX_V1_4;
        default: return 0;
        }
    }
    switch (file) {
    case RegisterFile::Temp: return D3DPS_TEMPREG_MAX_V1_1;
    case RegisterFile::Input: return destination ? 0 : D3DPS_INPUTREG_MAX_V1_1;
    case RegisterFile::Const: return destination ? 0 : D3DPS_CONSTREG_MAX_V1_1;
    case RegisterFile::AddressOrTexture: return D3DPS_TEXTUREREG_MAX_V1_1;
    default: return 0;
    }
}

std::string shaderRegisterName(ShaderKind kind, const ShaderRegister& reg) {
    const std::string n = std::to_string(reg.number);
    switch (reg.file) {
    case RegisterFile::Temp: return "r" + n;
    case RegisterFile::Input: return "v" + n;
    case RegisterFile::Const: return reg.relative ? "c[a0.x + " + n + "]" : "c" + n;
    case RegisterFile::AddressOrTexture: return kind == ShaderKind::Vertex ? "a" + n : "t" + n;
    case RegisterFile::RastOut:
        return reg.number == 0 ? "oPos" : reg.number == 1 ? "oFog" : reg.number == 2 ? "oPts" : "o?" + n;
    case RegisterFile::AttrOut: return "oD" + n;
    case RegisterFile::TexCrdOut: return "oT" + n;
    }
    return "?" + n;
}

DecodeResult decodeShader(const DWORD* tokens, size_t count, ShaderKind kind) {
    Decoder decoder{tokens, count, 0, kind, DecodeResult{true, {}, DecodedShader{kind, 0, 0, {}}}};
    decoder.run();
    return decoder.result;
}

}  // namespace zep::gl
