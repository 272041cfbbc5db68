// Text helpers shared by the vertex and pixel shader emitters.
#pragma once

#include "gl/shader_decode.h"

#include <string>

namespace zep::gl {

// A float as a GLSL expression that reproduces it bit for bit, including
// infinities and NaNs, which GLSL has no literal for.
std::string glslFloat(float value);
std::string glslVec4(const float values[4]);

// ".zyxw"-style suffix of a source swizzle; empty for the identity.
std::string glslSwizzle(const uint8_t swizzle[4]);

// ".xz"-style suffix of a write mask (bit 0 = x).
std::string glslMask(uint8_t writeMask);

// "(-e)", "(e - 0.5)", "(2.0 * e - 1.0)", ... for a D3DSPSM_* modifier.
std::string glslSourceModifier(const std::string& expression, uint32_t modifier);

}  // namespace zep::gl
