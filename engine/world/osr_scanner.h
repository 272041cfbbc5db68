// Reading the words and numbers of world object (OSR) text.
//
// The text is a stream of tokens separated by spaces, tabs and line ends;
// keys compare without regard to case; values that carry several numbers
// separate them by commas ("1.0,0,0"). Numbers are read forgivingly: a field
// that is not a number (or is missing) repeats the last number of its kind
// that was read, and nothing is reported.
//
//   zep::OsrTokens tokens(text, size);
//   zep::OsrNumbers numbers;
//   std::string token;
//   while (tokens.next(token))
//       if (zep::sameWord(token, "ROW0:") && tokens.next(token)) numbers.floats(token, row, 3);
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zep {

// Tokens longer than this are cut; the rest of such a token is dropped.
inline constexpr size_t kOsrMaxToken = 1000;

class OsrTokens {
public:
    OsrTokens(const char* text, size_t size) : text_(text), size_(size) {}

    // The next non-empty token; false at the end of the text.
    bool next(std::string& token);

private:
    const char* text_;
    size_t size_;
    size_t at_ = 0;
};

// Lines whose first character is '[': the sections a file announces.
int32_t countSectionLines(const char* text, size_t size);

// Whole-token comparison without regard to case.
bool sameWord(std::string_view a, std::string_view b);

// Converts to int32 by truncation toward zero, saturating outside the
// range (0 for NaN), so that no value read from a file is undefined.
int32_t truncateToInt32(double value);

class OsrNumbers {
public:
    // `count` floats from the comma-separated fields of `value`, in the
    // manner of "%f".
    void floats(std::string_view value, float* out, int count);
    float floatValue(std::string_view value);

    // An integer in the manner of "%i": decimal, 0x hexadecimal or 0 octal,
    // with a sign. Values beyond 32 bits wrap, so 0xAARRGGBB colours keep
    // their bits.
    int32_t integer(std::string_view value);

    // The integer of a section token "[n]" (the text between '[' and the
    // first ']'); false when there is no number there.
    static bool sectionNumber(std::string_view token, int32_t* number);

private:
    float lastFloat_ = 0.0f;
    int32_t lastInteger_ = 0;
};

// The "%i" conversion of one field; false when it holds no number.
bool parseInteger(std::string_view field, int32_t* out);

// The "%f" conversion of one field; false when it holds no number.
bool parseFloat(std::string_view field, float* out);

}  // namespace zep
