// Direct3D 8 shader function tokens to GLSL 330 core.
//
// Vertex shaders (vs.1.0, vs.1.1) and pixel shaders (ps.1.0 .. ps.1.4)
// become programs that follow the conventions of d3d8/pipeline_state.h, so a
// translated vertex half links with a generated fixed-function fragment half
// and the other way round. Each program declares only the uniforms it reads,
// from this set: zHalfPixel, zVsConst[96], zPsConst[8], zBumpEnvMat[8],
// zBumpLum[8], zSampler0..5.
//
// Numeric rules kept from the 1.x models:
// - def'd constants replace their slot of zVsConst / zPsConst in that shader;
// - pixel shader constants read as clamped to [-1, 1], and every arithmetic
//   result is clamped to [-1, 1] ([-8, 8] in ps.1.4);
// - the colour result r0 and the vertex colours oD0/oD1 are clamped to 0..1;
// - outputs a vertex shader leaves unwritten read oD0 = 1, oD1 = 0,
//   oT# = (0, 0, 0, 1), oFog = 1 (no fog).
//
// Shape of the text, for callers that add pipeline stages after the shader
// (fog blending, alpha test): the first line is the #version line, the last
// line is the closing "}" of main, and the line before it is the final
// assignment (zColor = ..., or zFog = ... / gl_PointSize = ...), so code
// inserted before the last line sees the finished outputs. A vertex program
// writes gl_PointSize only when the shader writes oPts. The colour interface
// is declared on lines of their own, "out vec4 zDiffuse;" and
// "out vec4 zSpecular;" (vertex) or "in vec4 zDiffuse;" / "in vec4
// zSpecular;" (pixel, when read), so flat shading is a "flat " put before
// them, matching a flat-shaded partner half.
#pragma once

#include "d3d8/pipeline_state.h"

#include <cstddef>
#include <string>

namespace zep::gl {

struct TranslatedShader {
    bool ok;
    std::string source;  // GLSL 330 core
    std::string error;   // why translation failed (unknown opcode, bad token stream, ...)
};

// Vertex shader function tokens (version token first, D3DSIO_END last).
TranslatedShader translateVertexShader(const DWORD* tokens, size_t count);

// Pixel shader function tokens; kinds[i] says what stage i's texture is (2D
// or volume) so that tex instructions pick the sampler type. ps.1.4's stages
// 4 and 5 have no entry and sample as 2D. Bit i of `projectedStages` marks a
// stage under D3DTTFF_PROJECTED: up to ps.1.3, tex divides its coordinate by
// w there.
TranslatedShader translatePixelShader(const DWORD* tokens, size_t count, const zep::d3d::TextureKind kinds[4],
                                      unsigned projectedStages = 0);

}  // namespace zep::gl
