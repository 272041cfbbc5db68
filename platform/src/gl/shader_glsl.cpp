#include "gl/shader_glsl.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace zep::gl {

std::string glslFloat(float value) {
    if (!std::isfinite(value)) {
        uint32_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        char text[48];
        std::snprintf(text, sizeof text, "uintBitsToFloat(0x%08Xu)", bits);
        return text;
    }
    // Nine significant digits round-trip every float.
    char text[48];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    std::string result = text;
    if (result.find_first_of(".e") == std::string::npos) result += ".0";
    return result;
}

std::string glslVec4(const float values[4]) {
    return "vec4(" + glslFloat(values[0]) + ", " + glslFloat(values[1]) + ", " + glslFloat(values[2]) + ", " +
           glslFloat(values[3]) + ")";
}

std::string glslSwizzle(const uint8_t swizzle[4]) {
    if (swizzle[0] == 0 && swizzle[1] == 1 && swizzle[2] == 2 && swizzle[3] == 3) return "";
    std::string result = ".";
    for (int i = 0; i < 4; ++i) result += "xyzw"[swizzle[i] & 3];
    return result;
}

std::string glslMask(uint8_t writeMask) {
    std::string result = ".";
    for (int i = 0; i < 4; ++i)
        if (writeMask & (1u << i)) result += "xyzw"[i];
    return result;
}

std::string glslSourceModifier(const std::string& e, uint32_t modifier) {
    switch (modifier) {
    case D3DSPSM_NEG: return "(-" + e + ")";
    case D3DSPSM_BIAS: return "(" + e + " - 0.5)";
    case D3DSPSM_BIASNEG: return "(0.5 - " + e + ")";
    case D3DSPSM_SIGN: return "(2.0 * " + e + " - 1.0)";
    case D3DSPSM_SIGNNEG: return "(1.0 - 2.0 * " + e + ")";
    case D3DSPSM_COMP: return "(1.0 - " + e + ")";
    case D3DSPSM_X2: return "(2.0 * " + e + ")";
    case D3DSPSM_X2NEG: return "(-2.0 * " + e + ")";
    default: return e;
    }
}

}  // namespace zep::gl
