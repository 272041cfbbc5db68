#include "d3dx/effect_parse.h"

#include "d3dx/effect_states.h"
#include "d3dx/shader_asm_operands.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace zep::d3dx::fx {
namespace {

// ---- Tokens --------------------------------------------------------------------------

enum class Tok : unsigned char { Identifier, Number, String, Symbol, End, Bad };

struct Token {
    Tok kind = Tok::End;
    std::string text;
    int line = 0;

    bool is(const char* symbol) const { return kind == Tok::Symbol && text == symbol; }
    bool isWord(const char* word) const { return kind == Tok::Identifier && sameName(text, word); }
};

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isWordStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool isWordChar(char c) { return isWordStart(c) || isDigit(c); }

class Lexer {
public:
    explicit Lexer(std::string_view text) : text_(text) {}

    Token next() {
        skipSpaceAndComments();
        Token token;
        token.line = line_;
        if (pos_ >= text_.size()) return token;
        const char c = text_[pos_];
        const size_t start = pos_;
        if (isWordStart(c)) {
            while (pos_ < text_.size() && isWordChar(text_[pos_])) ++pos_;
            token.kind = Tok::Identifier;
        } else if (isDigit(c) || (c == '.' && pos_ + 1 < text_.size() && isDigit(text_[pos_ + 1]))) {
            scanNumber();
            token.kind = Tok::Number;
        } else if (c == '"') {
            const size_t close = text_.find_first_of("\"\n", pos_ + 1);
            if (close == std::string_view::npos || text_[close] != '"') {
                token.kind = Tok::Bad;
                token.text = "unclosed string";
                pos_ = text_.size();
                return token;
            }
            token.kind = Tok::String;
            token.text = std::string(text_.substr(pos_ + 1, close - pos_ - 1));
            pos_ = close + 1;
            return token;
        } else if (std::strchr("{}[]()<>=;,|-+", c)) {
            ++pos_;
            token.kind = Tok::Symbol;
        } else {
            ++pos_;
            token.kind = Tok::Bad;
            token.text = "unexpected character '" + std::string(1, c) + "'";
            return token;
        }
        token.text = std::string(text_.substr(start, pos_ - start));
        return token;
    }

    Token peek() {
        const size_t pos = pos_;
        const int line = line_;
        Token token = next();
        pos_ = pos;
        line_ = line;
        return token;
    }

    // The text between '{' and its '}', taken as it stands (shader
    // assembly); `firstLine` is the line the body starts on. False when
    // there is no '{' or it is never closed.
    bool rawBlock(std::string* body, int* firstLine) {
        skipSpaceAndComments();
        if (pos_ >= text_.size() || text_[pos_] != '{') return false;
        ++pos_;
        *firstLine = line_;
        const size_t start = pos_;
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (c == '}') {
                *body = std::string(text_.substr(start, pos_ - start));
                ++pos_;
                return true;
            }
            // Assembly comments may hold a '}'.
            if (c == ';' || startsWith("//")) {
                while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
            } else if (startsWith("/*")) {
                skipBlockComment();
            } else {
                if (c == '\n') ++line_;
                ++pos_;
            }
        }
        return false;
    }

private:
    bool startsWith(const char* s) const { return text_.substr(pos_, std::strlen(s)) == s; }

    void skipBlockComment() {
        pos_ += 2;
        while (pos_ < text_.size() && !startsWith("*/")) {
            if (text_[pos_] == '\n') ++line_;
            ++pos_;
        }
        pos_ = pos_ + 2 < text_.size() ? pos_ + 2 : text_.size();
    }

    void skipSpaceAndComments() {
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (c == '\n') {
                ++line_;
                ++pos_;
            } else if (c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f') {
                ++pos_;
            } else if (startsWith("//")) {
                while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
            } else if (startsWith("/*")) {
                skipBlockComment();
            } else {
                return;
            }
        }
    }

    void scanNumber() {
        if (startsWith("0x") || startsWith("0X")) {
            pos_ += 2;
            while (pos_ < text_.size() && std::isxdigit(static_cast<unsigned char>(text_[pos_]))) ++pos_;
            return;
        }
        while (pos_ < text_.size() && (isDigit(text_[pos_]) || text_[pos_] == '.')) ++pos_;
        if (pos_ < text_.size() && (text_[pos_] == 'e' || text_[pos_] == 'E')) {
            ++pos_;
            if (pos_ < text_.size() && (text_[pos_] == '+' || text_[pos_] == '-')) ++pos_;
            while (pos_ < text_.size() && isDigit(text_[pos_])) ++pos_;
        }
        if (pos_ < text_.size() && (text_[pos_] == 'f' || text_[pos_] == 'F')) ++pos_;
    }

    std::string_view text_;
    size_t pos_ = 0;
    int line_ = 1;
};

// ---- Parser --------------------------------------------------------------------------

struct TypeName {
    const char* name;
    D3DXPARAMETERTYPE type;
};

constexpr TypeName kTypes[] = {
    {"DWORD", D3DXPT_DWORD},       {"float", D3DXPT_FLOAT},
    {"vector", D3DXPT_VECTOR},     {"matrix", D3DXPT_MATRIX},
    {"texture", D3DXPT_TEXTURE},   {"vertexshader", D3DXPT_VERTEXSHADER},
    {"pixelshader", D3DXPT_PIXELSHADER}, {"string", D3DXPT_STRING},
};

const TypeName* findType(const Token& token) {
    if (token.kind != Tok::Identifier) return nullptr;
    for (const TypeName& t : kTypes)
        if (sameName(t.name, token.text)) return &t;
    return nullptr;
}

std::string describe(const Token& token) {
    if (token.kind == Tok::End) return "the end of the text";
    if (token.kind == Tok::Bad) return token.text;
    return "'" + token.text + "'";
}

// A number token as float and DWORD; `integral` when it has no fraction.
bool numberValue(const std::string& text, bool negative, float* asFloat, DWORD* asDword, bool* integral) {
    if (text.size() > 2 && (text[1] == 'x' || text[1] == 'X')) {
        const unsigned long value = std::strtoul(text.c_str() + 2, nullptr, 16);
        *asDword = negative ? DWORD(0u - DWORD(value)) : DWORD(value);
        *asFloat = negative ? -float(value) : float(value);
        *integral = true;
        return true;
    }
    float value = 0.0f;
    if (!asmx::parseFloat(text, &value)) return false;
    if (negative) value = -value;
    *integral = text.find_first_of(".eEfF") == std::string::npos;
    *asFloat = value;
    *asDword = *integral ? DWORD(int64_t(value)) : 0u;
    if (!*integral) std::memcpy(asDword, &value, sizeof value);
    return true;
}

class Parser {
public:
    explicit Parser(std::string_view text) : lexer_(text) {}

    ParsedEffect run() {
        while (lexer_.peek().kind != Tok::End) {
            if (!topLevel()) break;
        }
        out_.ok = out_.errors.empty();
        return std::move(out_);
    }

private:
    EffectDescription& effect() { return out_.effect; }

    bool fail(int line, std::string message) {
        out_.errors.push_back(AsmError{line, std::move(message)});
        return false;
    }

    bool expect(const char* symbol) {
        const Token token = lexer_.next();
        if (token.is(symbol)) return true;
        return fail(token.line, std::string("expected '") + symbol + "', found " + describe(token));
    }

    void optional(const char* symbol) {
        if (lexer_.peek().is(symbol)) lexer_.next();
    }

    bool topLevel() {
        const Token token = lexer_.next();
        if (token.isWord("technique")) return technique();
        if (const TypeName* type = findType(token)) return parameter(*type);
        return fail(token.line, "expected a parameter or a technique, found " + describe(token));
    }

    const ParameterDescription* findParameter(const std::string& name) const {
        for (const ParameterDescription& p : out_.effect.parameters)
            if (p.name == name) return &p;
        return nullptr;
    }

    bool parameter(const TypeName& type) {
        const Token name = lexer_.next();
        if (name.kind != Tok::Identifier)
            return fail(name.line, std::string("expected a name for the ") + type.name + " parameter, found " +
                                       describe(name));
        if (findParameter(name.text)) return fail(name.line, "parameter '" + name.text + "' is declared twice");
        ParameterDescription description{name.text, type.type, Value{}};
        if (lexer_.peek().is("=")) {
            lexer_.next();
            if (!initializer(type.type, &description.initial)) return false;
        }
        effect().parameters.push_back(std::move(description));
        return expect(";");
    }

    bool initializer(D3DXPARAMETERTYPE type, Value* value) {
        switch (type) {
        case D3DXPT_DWORD:
        case D3DXPT_FLOAT: return stateValue(ValueNames::Number, value);
        case D3DXPT_VECTOR:
        case D3DXPT_MATRIX: return numberList(type == D3DXPT_MATRIX ? 16 : 4, value);
        case D3DXPT_STRING: {
            const Token token = lexer_.next();
            if (token.kind != Tok::String) return fail(token.line, "expected a string, found " + describe(token));
            value->kind = ValueKind::Numbers;
            value->text = token.text;
            return true;
        }
        case D3DXPT_TEXTURE: return nullValue(value);
        case D3DXPT_PIXELSHADER: return shaderValue(false, value);
        case D3DXPT_VERTEXSHADER: return shaderValue(true, value);
        default: return fail(lexer_.peek().line, "this parameter takes no initial value");
        }
    }

    bool nullValue(Value* value) {
        const Token token = lexer_.next();
        if (!token.isWord("NULL")) return fail(token.line, "expected NULL, found " + describe(token));
        *value = Value{};
        return true;
    }

    // One number, or up to `most` in braces or parentheses.
    bool numberList(size_t most, Value* value) {
        value->kind = ValueKind::Numbers;
        Token token = lexer_.peek();
        const bool listed = token.is("{") || token.is("(");
        const char* close = token.is("{") ? "}" : ")";
        if (listed) lexer_.next();
        while (true) {
            token = lexer_.next();
            bool negative = false;
            if (token.is("-")) {
                negative = true;
                token = lexer_.next();
            }
            float f = 0.0f;
            DWORD d = 0;
            bool integral = true;
            if (token.kind != Tok::Number || !numberValue(token.text, negative, &f, &d, &integral))
                return fail(token.line, "expected a number, found " + describe(token));
            if (value->numbers.size() == most)
                return fail(token.line, "more than " + std::to_string(most) + " values");
            value->numbers.push_back(f);
            if (value->numbers.size() == 1) value->dword = d;
            value->integral = value->integral && integral;
            if (!listed) return true;
            token = lexer_.next();
            if (token.is(close)) return true;
            if (!token.is(",")) return fail(token.line, std::string("expected ',' or '") + close + "', found " +
                                                            describe(token));
        }
    }

    // A state value: numbers or names of `set`, joined with '|'.
    bool stateValue(ValueNames set, Value* value) {
        value->kind = ValueKind::Numbers;
        value->dword = 0;
        while (true) {
            Token token = lexer_.next();
            bool negative = false;
            if (token.is("-")) {
                negative = true;
                token = lexer_.next();
            }
            DWORD bits = 0;
            float f = 0.0f;
            bool integral = true;
            if (token.kind == Tok::Number) {
                if (!numberValue(token.text, negative, &f, &bits, &integral))
                    return fail(token.line, "bad number " + describe(token));
                if (set == ValueNames::Float) std::memcpy(&bits, &f, sizeof f);
            } else if (token.kind == Tok::Identifier && !negative &&
                       (namedStateValue(set, token.text, &bits) || namedStateValue(ValueNames::Bool, token.text, &bits))) {
                f = float(bits);
            } else {
                return fail(token.line, "expected a value, found " + describe(token));
            }
            value->dword |= bits;
            value->numbers.push_back(f);
            value->integral = value->integral && integral;
            if (!lexer_.peek().is("|")) return true;
            lexer_.next();
        }
    }

    bool parameterReference(Value* value, std::initializer_list<D3DXPARAMETERTYPE> allowed) {
        lexer_.next();  // '<'
        const Token name = lexer_.next();
        if (name.kind != Tok::Identifier)
            return fail(name.line, "expected a parameter name after '<', found " + describe(name));
        const ParameterDescription* p = findParameter(name.text);
        if (!p) return fail(name.line, "unknown parameter '" + name.text + "'");
        bool typeOk = false;
        for (D3DXPARAMETERTYPE t : allowed) typeOk = typeOk || t == p->type;
        if (!typeOk) return fail(name.line, "parameter '" + name.text + "' has the wrong type here");
        value->kind = ValueKind::Parameter;
        value->parameter = int(p - effect().parameters.data());
        return expect(">");
    }

    // asm { ... } for pixel shaders; decl { ... } with or without asm { ... }
    // for vertex shaders; or NULL.
    bool shaderValue(bool vertex, Value* value) {
        const Token token = lexer_.peek();
        if (token.isWord("NULL")) return nullValue(value);
        ShaderSource shader;
        shader.vertex = vertex;
        shader.line = token.line;
        if (token.isWord("decl")) {
            if (!vertex) return fail(token.line, "a pixel shader has no declaration");
            lexer_.next();
            if (!declaration(&shader.declaration)) return false;
        } else if (vertex) {
            return fail(token.line, "a vertex shader needs a 'decl { ... }' block, found " + describe(token));
        }
        if (lexer_.peek().isWord("asm")) {
            if (!assembly(vertex, &shader.function)) return false;
        } else if (!vertex) {
            return fail(token.line, "expected 'asm { ... }' or NULL for a pixel shader, found " + describe(token));
        }
        value->kind = ValueKind::Shader;
        value->shader = int(effect().shaders.size());
        effect().shaders.push_back(std::move(shader));
        return true;
    }

    bool assembly(bool vertex, std::vector<DWORD>* function) {
        const Token keyword = lexer_.next();  // asm
        std::string body;
        int firstLine = 0;
        if (!lexer_.rawBlock(&body, &firstLine))
            return fail(keyword.line, "'asm' needs a '{ ... }' block that is closed");
        AssembledShader shader = assembleShader(body, firstLine);
        if (!shader.ok) {
            // Assembly errors are collected and parsing goes on, so that every
            // program's errors are reported in one go.
            out_.errors.insert(out_.errors.end(), shader.errors.begin(), shader.errors.end());
            return true;
        }
        if (shader.vertex != vertex)
            return fail(firstLine, std::string("expected a ") + (vertex ? "vertex" : "pixel") + " shader (" +
                                       (vertex ? "vs" : "ps") + ".1.x)");
        *function = std::move(shader.tokens);
        return true;
    }

    // decl { [stream n;] type vN[count]; ... }
    bool declaration(std::vector<DWORD>* tokens) {
        if (!expect("{")) return false;
        tokens->clear();
        while (!lexer_.peek().is("}")) {
            const Token type = lexer_.next();
            if (type.isWord("stream")) {
                const Token n = lexer_.next();
                if (n.kind != Tok::Number || !std::all_of(n.text.begin(), n.text.end(), isDigit) || std::atoi(n.text.c_str()) > 15)
                    return fail(n.line, "expected a stream number, found " + describe(n));
                tokens->push_back(D3DVSD_STREAM(DWORD(std::atoi(n.text.c_str()))));
                if (!expect(";")) return false;
                continue;
            }
            if (tokens->empty()) tokens->push_back(D3DVSD_STREAM(0));
            if (!declarationRegister(type, tokens)) return false;
        }
        lexer_.next();  // '}'
        if (tokens->empty()) tokens->push_back(D3DVSD_STREAM(0));
        tokens->push_back(D3DVSD_END());
        return true;
    }

    bool declarationRegister(const Token& type, std::vector<DWORD>* tokens) {
        const Token reg = lexer_.next();
        if (reg.kind != Tok::Identifier || reg.text.size() < 2 || (reg.text[0] != 'v' && reg.text[0] != 'V') ||
            !std::all_of(reg.text.begin() + 1, reg.text.end(), isDigit) ||
            std::atoi(reg.text.c_str() + 1) >= D3DVS_INPUTREG_MAX_V1_1)
            return fail(reg.line, "expected an input register v0 .. v15, found " + describe(reg));
        if (!expect("[")) return false;
        const Token count = lexer_.next();
        if (count.kind != Tok::Number || count.text.size() != 1 || !isDigit(count.text[0]))
            return fail(count.line, "expected an element count, found " + describe(count));
        if (!expect("]") || !expect(";")) return false;
        DWORD dataType = 0;
        if (!declarationType(type, count.text[0] - '0', &dataType))
            return fail(type.line, "no vertex element type '" + type.text + "[" + count.text + "]'");
        tokens->push_back(D3DVSD_REG(DWORD(std::atoi(reg.text.c_str() + 1)), dataType));
        return true;
    }

    static bool declarationType(const Token& type, int count, DWORD* out) {
        if (type.isWord("float") && count >= 1 && count <= 4) *out = DWORD(D3DVSDT_FLOAT1 + (count - 1));
        else if (type.isWord("d3dcolor") && count == 1) *out = D3DVSDT_D3DCOLOR;
        else if (type.isWord("ubyte") && count == 4) *out = D3DVSDT_UBYTE4;
        else if (type.isWord("short") && count == 2) *out = D3DVSDT_SHORT2;
        else if (type.isWord("short") && count == 4) *out = D3DVSDT_SHORT4;
        else return false;
        return true;
    }

    bool technique() {
        TechniqueDescription description;
        if (lexer_.peek().kind == Tok::Identifier) description.name = lexer_.next().text;
        if (!expect("{")) return false;
        while (!lexer_.peek().is("}")) {
            const Token token = lexer_.next();
            if (!token.isWord("pass"))
                return fail(token.line, "expected 'pass' or '}' in technique, found " + describe(token));
            if (!pass(&description)) return false;
        }
        lexer_.next();
        optional(";");
        effect().techniques.push_back(std::move(description));
        return true;
    }

    bool pass(TechniqueDescription* technique) {
        PassDescription description;
        if (lexer_.peek().kind == Tok::Identifier) description.name = lexer_.next().text;
        if (!expect("{")) return false;
        while (!lexer_.peek().is("}")) {
            if (!assignment(&description)) return false;
        }
        lexer_.next();
        optional(";");
        technique->passes.push_back(std::move(description));
        return true;
    }

    // "VertexShaderConstant4" -> count 4; no digit: as many registers as the
    // value fills.
    static bool constantState(const std::string& name, const char* stem, DWORD* count) {
        const size_t length = std::strlen(stem);
        if (name.size() < length || !sameName(name.substr(0, length), stem)) return false;
        if (name.size() == length) {
            *count = 0;
            return true;
        }
        if (name.size() == length + 1 && name[length] >= '1' && name[length] <= '4') {
            *count = DWORD(name[length] - '0');
            return true;
        }
        return false;
    }

    bool assignment(PassDescription* pass) {
        const Token name = lexer_.next();
        if (name.kind != Tok::Identifier) return fail(name.line, "expected a state name, found " + describe(name));
        Assignment a{};
        a.line = name.line;
        bool indexed = false;
        if (lexer_.peek().is("[")) {
            lexer_.next();
            const Token index = lexer_.next();
            if (index.kind != Tok::Number || !std::all_of(index.text.begin(), index.text.end(), isDigit))
                return fail(index.line, "expected an index, found " + describe(index));
            a.index = DWORD(std::strtoul(index.text.c_str(), nullptr, 10));
            indexed = true;
            if (!expect("]")) return false;
        }
        if (!expect("=")) return false;
        if (!assignmentValue(name, indexed, &a)) return false;
        pass->assignments.push_back(std::move(a));
        return expect(";");
    }

    bool assignmentValue(const Token& name, bool indexed, Assignment* a) {
        const bool reference = lexer_.peek().is("<");
        if (name.isWord("PixelShader") || name.isWord("VertexShader")) {
            const bool vertex = name.isWord("VertexShader");
            a->kind = vertex ? StateKind::VertexShader : StateKind::PixelShader;
            if (reference)
                return vertex ? parameterReference(&a->value, {D3DXPT_VERTEXSHADER, D3DXPT_DWORD})
                              : parameterReference(&a->value, {D3DXPT_PIXELSHADER});
            if (vertex && lexer_.peek().kind == Tok::Number) return stateValue(ValueNames::Number, &a->value);
            return shaderValue(vertex, &a->value);
        }
        if (constantState(name.text, "VertexShaderConstant", &a->count) ||
            constantState(name.text, "PixelShaderConstant", &a->count)) {
            a->kind = sameName(name.text.substr(0, 6), "Vertex") ? StateKind::VertexShaderConstant
                                                                  : StateKind::PixelShaderConstant;
            if (!indexed) return fail(name.line, "'" + name.text + "' needs a register index in brackets");
            if (reference)
                return parameterReference(&a->value, {D3DXPT_FLOAT, D3DXPT_DWORD, D3DXPT_VECTOR, D3DXPT_MATRIX});
            return numberList(16, &a->value);
        }
        if (name.isWord("Texture")) {
            a->kind = StateKind::Texture;
            if (a->index > 7) return fail(name.line, "texture stage " + std::to_string(a->index) + " is out of range");
            return reference ? parameterReference(&a->value, {D3DXPT_TEXTURE}) : nullValue(&a->value);
        }
        if (const RenderStateName* state = findRenderState(name.text)) {
            if (indexed) return fail(name.line, "render state '" + name.text + "' takes no index");
            a->kind = StateKind::Render;
            a->state = state->state;
            a->floatBits = state->values == ValueNames::Float;
            return reference ? parameterReference(&a->value, {D3DXPT_DWORD, D3DXPT_FLOAT})
                             : stateValue(state->values, &a->value);
        }
        if (const StageStateName* state = findStageState(name.text)) {
            if (a->index > 7) return fail(name.line, "texture stage " + std::to_string(a->index) + " is out of range");
            a->kind = StateKind::Stage;
            a->state = state->state;
            a->floatBits = state->values == ValueNames::Float;
            return reference ? parameterReference(&a->value, {D3DXPT_DWORD, D3DXPT_FLOAT})
                             : stateValue(state->values, &a->value);
        }
        return fail(name.line, "unknown state '" + name.text + "'");
    }

    Lexer lexer_;
    ParsedEffect out_;
};

}  // namespace

ParsedEffect parseEffect(std::string_view text) { return Parser(text).run(); }

}  // namespace zep::d3dx::fx
