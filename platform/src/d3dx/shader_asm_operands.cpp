#include "d3dx/shader_asm_operands.h"

#include <d3d8types.h>

#include <charconv>
#include <cstring>

namespace zep::d3dx::asmx {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetter(char c) { return c >= 'a' && c <= 'z'; }

std::string quoted(std::string_view text) { return "'" + std::string(text) + "'"; }

// Reads a decimal number at `pos`; false when there is none or it cannot be
// a register number.
bool readNumber(std::string_view text, size_t* pos, uint32_t* out) {
    const size_t start = *pos;
    uint32_t value = 0;
    while (*pos < text.size() && isDigit(text[*pos])) {
        value = value * 10 + uint32_t(text[*pos] - '0');
        if (value > D3DSP_REGNUM_MASK) return false;
        ++*pos;
    }
    *out = value;
    return *pos > start;
}

// Register files by name. Outputs and a0 exist only in vertex shaders, t#
// only in pixel shaders; the assembler proper checks roles and ranges.
struct RegisterName {
    const char* name;
    DWORD file;
    int fixedNumber;  // -1: a number follows the name
    bool vertex;
    bool pixel;
};

constexpr RegisterName kRegisterNames[] = {
    {"opos", D3DSPR_RASTOUT, D3DSRO_POSITION, true, false},
    {"ofog", D3DSPR_RASTOUT, D3DSRO_FOG, true, false},
    {"opts", D3DSPR_RASTOUT, D3DSRO_POINT_SIZE, true, false},
    {"od", D3DSPR_ATTROUT, -1, true, false},
    {"ot", D3DSPR_TEXCRDOUT, -1, true, false},
    {"r", D3DSPR_TEMP, -1, true, true},
    {"v", D3DSPR_INPUT, -1, true, true},
    {"c", D3DSPR_CONST, -1, true, true},
    {"a", D3DSPR_ADDR, -1, true, false},
    {"t", D3DSPR_TEXTURE, -1, false, true},
};

// c[a0.x + n], c[n + a0.x], c[a0.x] or c[n]; `pos` is just past "c[".
std::string readRelative(std::string_view text, size_t* pos, RegisterRef* out) {
    const size_t close = text.find(']', *pos);
    if (close == std::string_view::npos) return "unclosed '[' in " + quoted(text);
    std::string_view inside = text.substr(*pos, close - *pos);
    *pos = close + 1;
    out->file = D3DSPR_CONST;
    out->number = 0;
    bool sawAddress = false, sawOffset = false;
    while (!inside.empty()) {
        const size_t plus = inside.find('+');
        std::string_view term = inside.substr(0, plus);
        inside = plus == std::string_view::npos ? std::string_view{} : inside.substr(plus + 1);
        if (plus != std::string_view::npos && inside.empty()) return "missing term after '+' in " + quoted(text);
        if (term == "a0.x" && !sawAddress) {
            sawAddress = true;
            continue;
        }
        size_t at = 0;
        uint32_t n = 0;
        if (sawOffset || !readNumber(term, &at, &n) || at != term.size())
            return "bad constant index " + quoted(term) + " in " + quoted(text);
        sawOffset = true;
        out->number = n;
    }
    if (!sawAddress && !sawOffset) return "empty constant index in " + quoted(text);
    out->relative = sawAddress;
    return "";
}

std::string readRegister(std::string_view text, size_t* pos, bool vertex, RegisterRef* out) {
    if (text.substr(*pos, 2) == "c[") {
        *pos += 2;
        return readRelative(text, pos, out);
    }
    for (const RegisterName& name : kRegisterNames) {
        const size_t length = std::strlen(name.name);
        if (text.substr(*pos, length) != name.name) continue;
        // "t" must not take the start of a longer word.
        if (name.fixedNumber >= 0) {
            if (*pos + length < text.size() && (isLetter(text[*pos + length]) || isDigit(text[*pos + length])))
                continue;
        } else if (*pos + length >= text.size() || !isDigit(text[*pos + length])) {
            continue;
        }
        if ((vertex && !name.vertex) || (!vertex && !name.pixel))
            return quoted(text) + " is not a " + (vertex ? "vertex" : "pixel") + " shader register";
        *pos += length;
        out->file = name.file;
        out->relative = false;
        if (name.fixedNumber >= 0) {
            out->number = uint32_t(name.fixedNumber);
            return "";
        }
        if (!readNumber(text, pos, &out->number)) return "register number out of range in " + quoted(text);
        return "";
    }
    return "bad register " + quoted(text);
}

// One component letter: x y z w, or r g b a.
int componentOf(char c, bool* colour) {
    static constexpr char kXyzw[] = "xyzw", kRgba[] = "rgba";
    for (int i = 0; i < 4; ++i) {
        if (c == kXyzw[i]) {
            *colour = false;
            return i;
        }
        if (c == kRgba[i]) {
            *colour = true;
            return i;
        }
    }
    return -1;
}

// Reads the letters of a mask or swizzle after '.'. Returns "" or an error.
std::string readComponents(std::string_view letters, std::string_view whole, int* components, size_t* count) {
    if (letters.empty()) return "missing components after '.' in " + quoted(whole);
    if (letters.size() > 4) return "too many components in " + quoted(whole);
    bool colourSet = false;
    for (size_t i = 0; i < letters.size(); ++i) {
        bool colour = false;
        const int component = componentOf(letters[i], &colour);
        if (component < 0) return "bad component '" + std::string(1, letters[i]) + "' in " + quoted(whole);
        if (i > 0 && colour != colourSet) return "mixed xyzw and rgba components in " + quoted(whole);
        colourSet = colour;
        components[i] = component;
    }
    *count = letters.size();
    return "";
}

std::string readSuffix(std::string_view name, std::string_view whole, SourceSuffix* out) {
    if (*out != SourceSuffix::None) return "more than one source modifier in " + quoted(whole);
    if (name == "bias") *out = SourceSuffix::Bias;
    else if (name == "bx2") *out = SourceSuffix::Bx2;
    else if (name == "x2") *out = SourceSuffix::X2;
    else if (name == "dz" || name == "db") *out = SourceSuffix::DivideZ;
    else if (name == "dw" || name == "da") *out = SourceSuffix::DivideW;
    else return "unknown source modifier '_" + std::string(name) + "' in " + quoted(whole);
    return "";
}

}  // namespace

std::string parseDestination(std::string_view text, bool vertex, DestinationOperand* out) {
    *out = DestinationOperand{};
    if (text.empty()) return "missing destination operand";
    size_t pos = 0;
    std::string error = readRegister(text, &pos, vertex, &out->reg);
    if (!error.empty()) return error;
    if (out->reg.relative) return "a destination cannot be addressed through a0.x: " + quoted(text);
    if (pos == text.size()) return "";
    if (text[pos] != '.') return "unexpected " + quoted(text.substr(pos)) + " after the destination register";
    int components[4];
    size_t count = 0;
    error = readComponents(text.substr(pos + 1), text, components, &count);
    if (!error.empty()) return error;
    uint8_t mask = 0;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t bit = uint8_t(1u << components[i]);
        // A write mask names components in order, each once.
        if (mask >= bit) return "write mask components out of order in " + quoted(text);
        mask |= bit;
    }
    out->mask = mask;
    out->masked = true;
    return "";
}

std::string parseSource(std::string_view text, bool vertex, SourceOperand* out) {
    *out = SourceOperand{};
    if (text.empty()) return "missing source operand";
    const std::string_view whole = text;
    if (text.substr(0, 2) == "1-") {
        out->complement = true;
        text.remove_prefix(2);
    } else if (text[0] == '-') {
        out->negate = true;
        text.remove_prefix(1);
    }
    if (text.empty()) return "missing register in " + quoted(whole);
    size_t pos = 0;
    std::string error = readRegister(text, &pos, vertex, &out->reg);
    if (!error.empty()) return error;
    // Modifier suffixes and the swizzle, in either order.
    while (pos < text.size()) {
        if (text[pos] == '_') {
            size_t end = pos + 1;
            while (end < text.size() && text[end] != '.' && text[end] != '_') ++end;
            error = readSuffix(text.substr(pos + 1, end - pos - 1), whole, &out->suffix);
            if (!error.empty()) return error;
            pos = end;
        } else if (text[pos] == '.') {
            if (out->swizzled) return "more than one swizzle in " + quoted(whole);
            size_t end = pos + 1;
            while (end < text.size() && text[end] != '_') ++end;
            int components[4];
            size_t count = 0;
            error = readComponents(text.substr(pos + 1, end - pos - 1), whole, components, &count);
            if (!error.empty()) return error;
            // Fewer than four letters repeat the last one: .xy reads .xyyy.
            for (size_t i = 0; i < 4; ++i) out->swizzle[i] = uint8_t(components[i < count ? i : count - 1]);
            out->swizzled = true;
            pos = end;
        } else {
            return "unexpected " + quoted(text.substr(pos)) + " after the source register";
        }
    }
    return "";
}

bool parseFloat(std::string_view text, float* out) {
    if (!text.empty() && (text.back() == 'f' || text.back() == 'F')) text.remove_suffix(1);
    if (!text.empty() && text[0] == '+') text.remove_prefix(1);
    if (text.empty()) return false;
    // from_chars wants a digit before the point; def values may start with it.
    std::string spelled(text);
    if (spelled[0] == '.') spelled.insert(0, "0");
    else if (spelled.size() > 1 && spelled[0] == '-' && spelled[1] == '.') spelled.insert(1, "0");
    const char* end = spelled.data() + spelled.size();
    const auto result = std::from_chars(spelled.data(), end, *out);
    return result.ec == std::errc{} && result.ptr == end;
}

DWORD swizzleBits(const SourceOperand& source) {
    DWORD bits = 0;
    for (int i = 0; i < 4; ++i) bits |= DWORD(source.swizzle[i]) << (D3DSP_SWIZZLE_SHIFT + 2 * i);
    return bits;
}

bool isReplicate(const SourceOperand& source) {
    return source.swizzle[0] == source.swizzle[1] && source.swizzle[1] == source.swizzle[2] &&
           source.swizzle[2] == source.swizzle[3];
}

}  // namespace zep::d3dx::asmx
