// Operands of the vs.1.x / ps.1.x assembler: registers with write masks,
// swizzles and modifiers, read from lower-case text without spaces. What a
// shader model allows is checked by the assembler proper; this part only
// knows the syntax.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace zep::d3dx::asmx {

struct RegisterRef {
    DWORD file = 0;         // D3DSPR_* (already in bits 28..30)
    uint32_t number = 0;
    bool relative = false;  // c[a0.x + number]
};

struct DestinationOperand {
    RegisterRef reg;
    uint8_t mask = 0xF;     // bit 0 = x .. bit 3 = w
    bool masked = false;    // a mask was written
};

enum class SourceSuffix : uint8_t { None, Bias, Bx2, X2, DivideZ, DivideW };

struct SourceOperand {
    RegisterRef reg;
    uint8_t swizzle[4] = {0, 1, 2, 3};
    bool swizzled = false;   // a swizzle was written
    bool negate = false;     // "-r0"
    bool complement = false; // "1-r0"
    SourceSuffix suffix = SourceSuffix::None;
};

// Each returns "" on success, else what is wrong with the operand.
std::string parseDestination(std::string_view text, bool vertex, DestinationOperand* out);
std::string parseSource(std::string_view text, bool vertex, SourceOperand* out);

// A float as def writes it: "1", "-0.5", ".25f", "1e-3". False when the
// text is not all one number.
bool parseFloat(std::string_view text, float* out);

// The token bits of a source's swizzle (D3DSP_SWIZZLE_MASK).
DWORD swizzleBits(const SourceOperand& source);

// True when every component reads the same one (.x, .a, ...).
bool isReplicate(const SourceOperand& source);

}  // namespace zep::d3dx::asmx
