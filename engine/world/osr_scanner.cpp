// Tokens and numbers of world object text; see osr_scanner.h.

#include "world/osr_scanner.h"

#include <cctype>
#include <climits>
#include <cstdlib>

namespace zep {

namespace {

bool isSeparator(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The next comma-separated field of `value` from `at`; `at` moves past it.
// Past the last field the result is empty.
std::string_view nextField(std::string_view value, size_t& at) {
    if (at > value.size()) return {};
    const size_t comma = value.find(',', at);
    const size_t end = comma == std::string_view::npos ? value.size() : comma;
    const std::string_view field = value.substr(at, end - at);
    at = end + 1;
    return field;
}

}  // namespace

bool OsrTokens::next(std::string& token) {
    token.clear();
    while (at_ < size_ && isSeparator(text_[at_])) ++at_;
    while (at_ < size_ && !isSeparator(text_[at_])) {
        if (token.size() < kOsrMaxToken) token.push_back(text_[at_]);
        ++at_;
    }
    return !token.empty();
}

int32_t countSectionLines(const char* text, size_t size) {
    int32_t count = 0;
    bool lineStart = true;
    for (size_t i = 0; i < size; ++i) {
        if (lineStart && text[i] == '[' && count < INT32_MAX) ++count;
        lineStart = text[i] == '\n';
    }
    return count;
}

bool sameWord(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

int32_t truncateToInt32(double value) {
    if (value != value) return 0;
    if (value <= double(INT32_MIN)) return INT32_MIN;
    if (value >= double(INT32_MAX)) return INT32_MAX;
    return int32_t(value);
}

bool parseInteger(std::string_view field, int32_t* out) {
    const std::string text(field);
    const char* p = text.c_str();
    while (std::isspace(static_cast<unsigned char>(*p))) ++p;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    // strtoull would take a second sign; "%i" does not.
    if (!std::isdigit(static_cast<unsigned char>(*p))) return false;
    char* end = nullptr;
    const unsigned long long magnitude = std::strtoull(p, &end, 0);
    if (end == p) return false;
    const uint32_t bits = uint32_t(magnitude);
    *out = int32_t(negative ? 0u - bits : bits);
    return true;
}

bool parseFloat(std::string_view field, float* out) {
    const std::string text(field);
    char* end = nullptr;
    const float value = std::strtof(text.c_str(), &end);
    if (end == text.c_str()) return false;
    *out = value;
    return true;
}

void OsrNumbers::floats(std::string_view value, float* out, int count) {
    size_t at = 0;
    for (int i = 0; i < count; ++i) {
        float number = 0.0f;
        if (parseFloat(nextField(value, at), &number)) lastFloat_ = number;
        out[i] = lastFloat_;
    }
}

float OsrNumbers::floatValue(std::string_view value) {
    float number = 0.0f;
    floats(value, &number, 1);
    return number;
}

int32_t OsrNumbers::integer(std::string_view value) {
    size_t at = 0;
    int32_t number = 0;
    if (parseInteger(nextField(value, at), &number)) lastInteger_ = number;
    return lastInteger_;
}

bool OsrNumbers::sectionNumber(std::string_view token, int32_t* number) {
    if (token.empty() || token[0] != '[') return false;
    const size_t close = token.find(']');
    const std::string_view inside = close == std::string_view::npos ? token.substr(1) : token.substr(1, close - 1);
    return parseInteger(inside, number);
}

}  // namespace zep
