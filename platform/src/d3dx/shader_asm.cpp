#include "d3dx/shader_asm.h"

#include "d3dx/shader_asm_operands.h"
#include "gl/shader_decode.h"

#include <d3d8types.h>

#include <cstring>
#include <optional>

namespace zep::d3dx {
namespace {

using namespace asmx;

// How an instruction is written, beyond its operand count.
enum class Form : uint8_t {
    Arithmetic,  // destination, then sources
    Texture,     // ps texture-address instruction: destination, then sources
    Def,         // def c#, four numbers
    Phase,       // ps.1.4 phase marker, no operands
    Nop,
};

// Every ps texture-address instruction, and nothing else, is named tex...
Form formOf(const gl::ShaderOpcodeInfo& info) {
    switch (info.opcode) {
    case D3DSIO_NOP: return Form::Nop;
    case D3DSIO_PHASE: return Form::Phase;
    case D3DSIO_DEF: return Form::Def;
    default: return std::string_view(info.name).starts_with("tex") ? Form::Texture : Form::Arithmetic;
    }
}

// An instruction as written: the decoder's opcode facts under the name the
// text used, with the ps.1.x versions that spelling belongs to.
struct Mnemonic {
    const char* name;
    DWORD opcode;
    uint8_t where;    // gl::ShaderOpcodeInfo::kVertex | kPixel
    Form form;
    uint8_t sources;
    uint8_t psFirst;  // first ps.1.x minor version that has it
    uint8_t psLast;   // last ps.1.x minor version that has it
};

// ps.1.4 renames tex and texcoord: texld and texcrd name their coordinate
// source, so they take one operand more.
struct Ps14Spelling {
    const char* name;
    DWORD opcode;
};
constexpr Ps14Spelling kPs14Spellings[] = {{"texld", D3DSIO_TEX}, {"texcrd", D3DSIO_TEXCOORD}};

bool hasPs14Spelling(DWORD opcode) {
    for (const Ps14Spelling& spelling : kPs14Spellings)
        if (spelling.opcode == opcode) return true;
    return false;
}

Mnemonic mnemonicOf(const char* name, const gl::ShaderOpcodeInfo& info) {
    return Mnemonic{name, info.opcode, info.where, formOf(info), info.sources, info.psFirstMinor, info.psLastMinor};
}

std::optional<Mnemonic> findMnemonic(std::string_view name) {
    for (const Ps14Spelling& spelling : kPs14Spellings) {
        if (name != spelling.name) continue;
        Mnemonic m = mnemonicOf(spelling.name, *gl::findShaderOpcode(spelling.opcode));
        m.sources = uint8_t(m.sources + 1);
        m.psFirst = 4;
        return m;
    }
    const gl::ShaderOpcodeInfo* info = gl::findShaderOpcode(name);
    if (!info) return std::nullopt;
    Mnemonic m = mnemonicOf(info->name, *info);
    if (hasPs14Spelling(m.opcode)) m.psLast = 3;  // ps.1.4 writes it as texld or texcrd
    return m;
}

std::string lowered(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return out;
}

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
    return text;
}

std::string withoutSpaces(std::string_view text) {
    std::string out;
    for (char c : text)
        if (!isSpace(c)) out += c;
    return out;
}

// Comments become spaces, line breaks stay, so that line numbers hold.
// `unclosedLine` gets the index of the line where a "/*" that is never
// closed starts, or -1.
std::string withoutComments(std::string_view text, int* unclosedLine) {
    std::string out(text);
    *unclosedLine = -1;
    int line = 0;
    size_t i = 0;
    while (i < out.size()) {
        if (out[i] == ';' || (out[i] == '/' && i + 1 < out.size() && out[i + 1] == '/')) {
            while (i < out.size() && out[i] != '\n') out[i++] = ' ';
        } else if (out[i] == '/' && i + 1 < out.size() && out[i + 1] == '*') {
            const int start = line;
            while (i < out.size() && !(out[i] == '*' && i + 1 < out.size() && out[i + 1] == '/')) {
                if (out[i] == '\n') ++line;
                else out[i] = ' ';
                ++i;
            }
            if (i >= out.size()) *unclosedLine = start;
            for (int k = 0; k < 2 && i < out.size(); ++k) out[i++] = ' ';
        } else {
            if (out[i] == '\n') ++line;
            ++i;
        }
    }
    return out;
}

std::vector<std::string> splitOperands(std::string_view text) {
    std::vector<std::string> operands;
    if (trimmed(text).empty()) return operands;
    size_t start = 0;
    while (true) {
        const size_t comma = text.find(',', start);
        operands.push_back(withoutSpaces(text.substr(start, comma - start)));
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    return operands;
}

std::string maskText(uint8_t mask) {
    std::string out;
    for (int i = 0; i < 4; ++i)
        if (mask & (1u << i)) out += "xyzw"[i];
    return out;
}

class Assembler {
public:
    explicit Assembler(int firstLine) : firstLine_(firstLine) {}

    AssembledShader run(std::string_view text) {
        int unclosedLine = -1;
        const std::string clean = lowered(withoutComments(text, &unclosedLine));
        std::string_view rest = clean;
        int lineIndex = 0;
        while (true) {
            const size_t end = rest.find('\n');
            line_ = firstLine_ + lineIndex++;
            statement(trimmed(rest.substr(0, end)));
            if (end == std::string_view::npos) break;
            rest.remove_prefix(end + 1);
        }
        if (unclosedLine >= 0) {
            line_ = firstLine_ + unclosedLine;
            error("a '/*' comment is never closed");
        }
        if (!haveVersion_) error("no shader version (vs.1.0, vs.1.1 or ps.1.0 .. ps.1.4)");
        out_.tokens.push_back(D3DVS_END());
        out_.ok = out_.errors.empty();
        if (!out_.ok) {
            out_.tokens.clear();
            out_.constants.clear();
        }
        return std::move(out_);
    }

private:
    void error(std::string message) { out_.errors.push_back(AsmError{line_, std::move(message)}); }

    bool vertex() const { return out_.vertex; }
    bool ps14() const { return !out_.vertex && minor_ >= 4; }

    void statement(std::string_view text) {
        if (text.empty()) return;
        if (!haveVersion_) {
            readVersion(text);
            return;
        }
        if (text.substr(0, 3) == "vs." || text.substr(0, 3) == "ps.") {
            error("a second version statement '" + std::string(text) + "'");
            return;
        }
        instruction(text);
    }

    // "vs.1.1" or "ps.1.4" (also written vs_1_1).
    void readVersion(std::string_view text) {
        haveVersion_ = true;  // a bad version is reported once, not on every line
        const std::string spelled = withoutSpaces(text);
        const bool wellFormed = spelled.size() == 6 && (spelled[2] == '.' || spelled[2] == '_') &&
                                spelled[4] == spelled[2] && spelled[3] == '1' && spelled[5] >= '0' && spelled[5] <= '9';
        const std::string prefix = spelled.substr(0, 2);
        if (!wellFormed || (prefix != "vs" && prefix != "ps")) {
            error("expected a shader version (vs.1.x or ps.1.x), found '" + std::string(text) + "'");
            out_.vertex = true;
            return;
        }
        out_.vertex = prefix == "vs";
        minor_ = unsigned(spelled[5] - '0');
        if (minor_ > (out_.vertex ? 1u : 4u)) {
            error(std::string(out_.vertex ? "vs" : "ps") + ".1." + std::to_string(minor_) + " is not supported");
            minor_ = out_.vertex ? 1 : 4;
        }
        out_.version = out_.vertex ? D3DVS_VERSION(1, minor_) : D3DPS_VERSION(1, minor_);
        out_.tokens.push_back(out_.version);
    }

    // Splits "+dp3_sat" into co-issue, name and instruction modifiers.
    void instruction(std::string_view text) {
        bool coissue = false;
        if (text[0] == '+') {
            coissue = true;
            text = trimmed(text.substr(1));
        }
        size_t nameEnd = 0;
        while (nameEnd < text.size() && !isSpace(text[nameEnd])) ++nameEnd;
        const std::string_view word = text.substr(0, nameEnd);
        const size_t underscore = word.find('_');
        const std::string_view name = word.substr(0, underscore);
        const std::optional<Mnemonic> mnemonic = findMnemonic(name);
        if (!mnemonic) {
            error("unknown instruction '" + std::string(name) + "'");
            return;
        }
        if (!available(*mnemonic)) return;

        DWORD resultModifier = 0;
        if (underscore != std::string_view::npos &&
            !readResultModifiers(*mnemonic, word.substr(underscore + 1), &resultModifier))
            return;
        if (coissue && !checkCoissue(*mnemonic)) return;

        const std::vector<std::string> operands = splitOperands(text.substr(nameEnd));
        switch (mnemonic->form) {
        case Form::Nop: assembleBare(*mnemonic, operands); break;
        case Form::Phase: assemblePhase(*mnemonic, operands); break;
        case Form::Def: assembleDef(operands); break;
        case Form::Arithmetic:
        case Form::Texture: assembleOperation(*mnemonic, operands, resultModifier, coissue); break;
        }
    }

    bool available(const Mnemonic& m) {
        const uint8_t here = vertex() ? gl::ShaderOpcodeInfo::kVertex : gl::ShaderOpcodeInfo::kPixel;
        if (!(m.where & here)) {
            error(std::string("'") + m.name + "' is not a " + (vertex() ? "vertex" : "pixel") + " shader instruction");
            return false;
        }
        if (!vertex() && (minor_ < m.psFirst || minor_ > m.psLast)) {
            error(std::string("'") + m.name + "' is not available in ps.1." + std::to_string(minor_));
            return false;
        }
        return true;
    }

    // _sat, _x2, _x4, _d2 (and _x8, _d4, _d8 in ps.1.4), pixel shaders only.
    bool readResultModifiers(const Mnemonic& m, std::string_view list, DWORD* bits) {
        if (vertex() || m.form != Form::Arithmetic) {
            error(std::string("'") + m.name + "' takes no instruction modifier");
            return false;
        }
        bool saturate = false;
        int shift = 0;
        while (true) {
            const size_t next = list.find('_');
            const std::string_view modifier = list.substr(0, next);
            if (modifier == "sat" && !saturate) {
                saturate = true;
            } else if (shift == 0 && (modifier == "x2" || modifier == "x4" || modifier == "d2")) {
                shift = modifier == "x2" ? 1 : modifier == "x4" ? 2 : -1;
            } else if (shift == 0 && ps14() && (modifier == "x8" || modifier == "d4" || modifier == "d8")) {
                shift = modifier == "x8" ? 3 : modifier == "d4" ? -2 : -3;
            } else {
                error("unknown or repeated instruction modifier '_" + std::string(modifier) + "' on '" + m.name +
                      "'");
                return false;
            }
            if (next == std::string_view::npos) break;
            list.remove_prefix(next + 1);
        }
        *bits = (saturate ? DWORD(D3DSPDM_SATURATE) : 0u) | ((DWORD(shift) & 0xFu) << D3DSP_DSTSHIFT_SHIFT);
        return true;
    }

    bool checkCoissue(const Mnemonic& m) {
        if (vertex() || m.form != Form::Arithmetic) {
            error(std::string("'+") + m.name + "' cannot be co-issued");
            return false;
        }
        if (!lastWasArithmetic_) {
            error(std::string("'+") + m.name + "' has no arithmetic instruction before it to pair with");
            return false;
        }
        return true;
    }

    bool operandCount(const Mnemonic& m, const std::vector<std::string>& operands, size_t expected) {
        if (operands.size() == expected) {
            for (const std::string& operand : operands)
                if (operand.empty()) {
                    error(std::string("'") + m.name + "' has an empty operand");
                    return false;
                }
            return true;
        }
        error(std::string("'") + m.name + "' takes " + std::to_string(expected) + " operand" +
              (expected == 1 ? "" : "s") + ", found " + std::to_string(operands.size()));
        return false;
    }

    void assembleBare(const Mnemonic& m, const std::vector<std::string>& operands) {
        if (!operandCount(m, operands, 0)) return;
        out_.tokens.push_back(m.opcode);
        lastWasArithmetic_ = false;
    }

    void assemblePhase(const Mnemonic& m, const std::vector<std::string>& operands) {
        if (!operandCount(m, operands, 0)) return;
        if (phaseSeen_) {
            error("a second 'phase'");
            return;
        }
        phaseSeen_ = true;
        arithmeticSeen_ = false;
        lastWasArithmetic_ = false;
        out_.tokens.push_back(m.opcode);
    }

    void assembleDef(const std::vector<std::string>& operands) {
        static const Mnemonic def = *findMnemonic("def");
        if (!operandCount(def, operands, 5)) return;
        DestinationOperand dest;
        std::string problem = parseDestination(operands[0], vertex(), &dest);
        if (problem.empty() && (dest.reg.file != D3DSPR_CONST || dest.masked))
            problem = "'def' must name a whole constant register, found '" + operands[0] + "'";
        const uint32_t limit = vertex() ? D3DVS_CONSTREG_MAX_V1_1 : D3DPS_CONSTREG_MAX_V1_1;
        if (problem.empty() && dest.reg.number >= limit)
            problem = "constant register '" + operands[0] + "' is out of range (c0 .. c" + std::to_string(limit - 1) +
                      ")";
        if (!problem.empty()) {
            error(problem);
            return;
        }
        DWORD values[4];
        for (int i = 0; i < 4; ++i) {
            float value = 0.0f;
            if (!parseFloat(operands[size_t(i) + 1], &value)) {
                error("'def' value '" + operands[size_t(i) + 1] + "' is not a number");
                return;
            }
            std::memcpy(&values[i], &value, sizeof value);
        }
        const DWORD destination = 0x80000000u | D3DSPR_CONST | dest.reg.number | D3DSP_WRITEMASK_ALL;
        out_.tokens.insert(out_.tokens.end(), {D3DSIO_DEF, destination, values[0], values[1], values[2], values[3]});
        if (vertex()) {
            out_.constants.push_back(D3DVSD_CONST(dest.reg.number, 1));
            out_.constants.insert(out_.constants.end(), values, values + 4);
        }
    }

    void assembleOperation(const Mnemonic& m, const std::vector<std::string>& operands, DWORD resultModifier,
                           bool coissue) {
        if (!operandCount(m, operands, 1 + size_t(m.sources))) return;
        if (!vertex() && !orderIsRight(m)) return;

        DestinationOperand dest;
        std::string problem = parseDestination(operands[0], vertex(), &dest);
        if (problem.empty()) problem = checkDestination(m, dest, operands[0]);
        if (!problem.empty()) {
            error(problem);
            return;
        }
        std::vector<DWORD> tokens{m.opcode | (coissue ? DWORD(D3DSI_COISSUE) : 0u),
                                  0x80000000u | dest.reg.file | dest.reg.number | (DWORD(dest.mask) << 16) |
                                      resultModifier};
        for (size_t i = 1; i < operands.size(); ++i) {
            SourceOperand source;
            problem = parseSource(operands[i], vertex(), &source);
            if (problem.empty()) problem = checkSource(m, source, operands[i]);
            if (!problem.empty()) {
                error(problem);
                return;
            }
            tokens.push_back(0x80000000u | source.reg.file | source.reg.number |
                             (source.reg.relative ? DWORD(D3DVS_ADDRMODE_RELATIVE) : 0u) | swizzleBits(source) |
                             sourceModifier(source));
        }
        out_.tokens.insert(out_.tokens.end(), tokens.begin(), tokens.end());
        lastWasArithmetic_ = m.form == Form::Arithmetic;
    }

    // Pixel shaders sample before they compute: texture instructions come
    // before arithmetic ones (in each phase of ps.1.4).
    bool orderIsRight(const Mnemonic& m) {
        if (m.form == Form::Arithmetic) {
            arithmeticSeen_ = true;
            return true;
        }
        if (arithmeticSeen_) {
            error(std::string("texture instruction '") + m.name + "' after an arithmetic instruction" +
                  (ps14() ? " in the same phase" : ""));
            return false;
        }
        return true;
    }

    uint32_t registerLimit(DWORD file, bool destination) const {
        if (vertex() && file == D3DSPR_ADDR && minor_ == 0) return 0;  // a0 arrived with vs.1.1
        const auto registerFile = static_cast<gl::RegisterFile>(file >> D3DSP_REGTYPE_SHIFT);
        return gl::shaderRegisterCount(vertex() ? gl::ShaderKind::Vertex : gl::ShaderKind::Pixel, minor_, registerFile,
                                       destination);
    }

    std::string checkRange(const RegisterRef& reg, bool destination, const std::string& text) const {
        const uint32_t limit = registerLimit(reg.file, destination);
        if (limit == 0) {
            if (vertex() && reg.file == D3DSPR_ADDR && minor_ == 0) return "vs.1.0 has no address register a0";
            return "'" + text + "' cannot be " + (destination ? "written" : "read") + " here";
        }
        if (reg.relative) {
            if (minor_ == 0) return "vs.1.0 has no address register a0: '" + text + "'";
            return "";
        }
        if (reg.number >= limit)
            return "register '" + text + "' is out of range (the model has " + std::to_string(limit) + ")";
        return "";
    }

    std::string checkDestination(const Mnemonic& m, const DestinationOperand& dest, const std::string& text) const {
        // ps.1.4's texkill names the register it tests in the destination slot.
        const bool readOnly = ps14() && m.opcode == D3DSIO_TEXKILL;
        std::string problem = checkRange(dest.reg, !readOnly, text);
        if (!problem.empty()) return problem;
        if (vertex()) {
            if (dest.reg.file == D3DSPR_ADDR && (m.opcode != D3DSIO_MOV || dest.mask != 0x1))
                return "a0 is written only by 'mov a0.x, ...'";
            if (dest.reg.file == D3DSPR_RASTOUT && dest.reg.number != D3DSRO_POSITION && dest.mask != 0xF &&
                dest.mask != 0x1)
                return "'" + text + "' is a scalar: write it as .x";
            return "";
        }
        if (m.form == Form::Texture) return checkTextureDestination(m, dest, text);
        if (m.opcode == D3DSIO_BEM && dest.mask != 0x3) return "'bem' writes .rg only";
        // Before ps.1.4 the colour and alpha pipes are written as a whole.
        if (!ps14() && dest.mask != 0xF && dest.mask != 0x7 && dest.mask != 0x8)
            return "write mask ." + maskText(dest.mask) + " is not available in ps.1." + std::to_string(minor_) +
                   " (use .rgb, .a or none)";
        return "";
    }

    std::string checkTextureDestination(const Mnemonic& m, const DestinationOperand& dest,
                                        const std::string& text) const {
        if (!ps14()) {
            if (dest.reg.file != D3DSPR_TEXTURE) return std::string("'") + m.name + "' writes a t# register";
            if (dest.masked) return std::string("'") + m.name + "' takes no write mask";
            return "";
        }
        if (m.opcode == D3DSIO_TEXDEPTH && !(dest.reg.file == D3DSPR_TEMP && dest.reg.number == 5))
            return "'texdepth' writes r5";
        if (m.opcode != D3DSIO_TEXKILL && dest.reg.file != D3DSPR_TEMP)
            return std::string("'") + m.name + "' writes an r# register, not '" + text + "'";
        return "";
    }

    std::string checkSource(const Mnemonic& m, const SourceOperand& source, const std::string& text) const {
        std::string problem = checkRange(source.reg, false, text);
        if (!problem.empty()) return problem;
        if (vertex()) {
            if (source.complement || source.suffix != SourceSuffix::None)
                return "vertex shader sources can only be negated: '" + text + "'";
            return "";
        }
        return m.form == Form::Texture ? checkTextureSource(m, source, text) : checkArithmeticSource(source, text);
    }

    std::string checkArithmeticSource(const SourceOperand& source, const std::string& text) const {
        if (ps14() && source.reg.file == D3DSPR_TEXTURE)
            return "ps.1.4 reads t# registers only through texld and texcrd: '" + text + "'";
        if (source.complement && source.suffix != SourceSuffix::None)
            return "'1-' cannot be combined with another source modifier: '" + text + "'";
        if (source.suffix == SourceSuffix::X2 && !ps14()) return "_x2 on a source needs ps.1.4: '" + text + "'";
        if (source.suffix == SourceSuffix::DivideZ || source.suffix == SourceSuffix::DivideW)
            return "_dz and _dw belong to texld and texcrd sources: '" + text + "'";
        if (!source.swizzled) return "";
        // Pixel shaders select a replicated component; blue needs ps.1.1,
        // red and green ps.1.4.
        const uint8_t c = source.swizzle[0];
        const bool allowed = isReplicate(source) && (c == 3 || (c == 2 && minor_ >= 1) || ps14());
        if (!allowed) return "source selector in '" + text + "' is not available in ps.1." + std::to_string(minor_);
        return "";
    }

    std::string checkTextureSource(const Mnemonic& m, const SourceOperand& source, const std::string& text) const {
        if (source.negate || source.complement || source.suffix == SourceSuffix::Bias ||
            source.suffix == SourceSuffix::X2 || (!ps14() && source.suffix != SourceSuffix::None))
            return std::string("'") + m.name + "' takes its source without modifiers: '" + text + "'";
        if (!ps14()) {
            // texm3x3spec reads the eye vector from a constant.
            const bool constantAllowed = m.opcode == D3DSIO_TEXM3x3SPEC;
            if (source.reg.file != D3DSPR_TEXTURE && !(constantAllowed && source.reg.file == D3DSPR_CONST))
                return std::string("'") + m.name + "' reads a t# register, not '" + text + "'";
            if (source.swizzled) return std::string("'") + m.name + "' takes its source without a swizzle";
            return "";
        }
        if (source.reg.file != D3DSPR_TEXTURE && !(source.reg.file == D3DSPR_TEMP && phaseSeen_))
            return std::string("'") + m.name + "' reads t# (or r# after 'phase'), not '" + text + "'";
        if (source.suffix == SourceSuffix::Bx2) return "_bx2 is not a texld/texcrd source modifier";
        const uint8_t* s = source.swizzle;
        const bool xyz = s[0] == 0 && s[1] == 1 && s[2] == 2;
        if (source.swizzled && !(xyz && (s[3] == 2 || s[3] == 3)) && !(s[0] == 0 && s[1] == 1 && s[2] == 3))
            return "'" + text + "': texld and texcrd select .xyz or .xyw";
        return "";
    }

    static DWORD sourceModifier(const SourceOperand& source) {
        if (source.complement) return D3DSPSM_COMP;
        switch (source.suffix) {
        case SourceSuffix::None: return source.negate ? D3DSPSM_NEG : D3DSPSM_NONE;
        case SourceSuffix::Bias: return source.negate ? D3DSPSM_BIASNEG : D3DSPSM_BIAS;
        case SourceSuffix::Bx2: return source.negate ? D3DSPSM_SIGNNEG : D3DSPSM_SIGN;
        case SourceSuffix::X2: return source.negate ? D3DSPSM_X2NEG : D3DSPSM_X2;
        case SourceSuffix::DivideZ: return D3DSPSM_DZ;
        case SourceSuffix::DivideW: return D3DSPSM_DW;
        }
        return D3DSPSM_NONE;
    }

    AssembledShader out_;
    int firstLine_;
    int line_ = 0;
    bool haveVersion_ = false;
    unsigned minor_ = 0;
    bool arithmeticSeen_ = false;
    bool lastWasArithmetic_ = false;
    bool phaseSeen_ = false;
};

}  // namespace

AssembledShader assembleShader(std::string_view text, int firstLine) { return Assembler(firstLine).run(text); }

std::string formatAsmErrors(const std::vector<AsmError>& errors) {
    std::string out;
    for (const AsmError& e : errors) out += "(" + std::to_string(e.line) + "): error: " + e.message + "\n";
    return out;
}

}  // namespace zep::d3dx
