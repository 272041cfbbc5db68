// The fixed-function pixel stage as generated GLSL: Direct3D 8's texture
// stage cascade, specular add, fog blend and alpha test.
//
// The key holds what changes the program's text: per stage the operations,
// arguments, result register, texture kind and projection; the alpha
// function. Colours (texture factor, fog colour, alpha reference, bump
// matrices) are uniforms.
#pragma once

#include "d3d8/pipeline_state.h"

#include <epoxy/gl.h>

#include <cstdint>
#include <string>

namespace zep::gl {

struct FfpStageKey {
    uint8_t colorOp;       // D3DTOP_*
    uint8_t colorArg[3];   // D3DTA_* of COLORARG0, 1, 2 (unused ones zero)
    uint8_t alphaOp;
    uint8_t alphaArg[3];
    uint8_t resultTemp;    // D3DTSS_RESULTARG is D3DTA_TEMP
    uint8_t textureKind;   // d3d::TextureKind
    uint8_t projected;     // divide the coordinates by their w before sampling
};

// Bytes only: hashed and compared as raw memory.
struct FfpFragmentKey {
    uint8_t stageCount;    // stages before the first COLOROP DISABLE
    FfpStageKey stages[d3d::kMaxTextureStages];
    uint8_t specularAdd;   // D3DRS_SPECULARENABLE
    uint8_t fog;           // blend with D3DRS_FOGCOLOR by zFog
    uint8_t alphaFunc;     // D3DCMP_* (ALWAYS when the test is off)
    uint8_t flatShade;     // colours use flat interpolation (must match the vertex part)
    uint8_t pointSprite;   // a point list under D3DRS_POINTSPRITEENABLE: every stage reads (0, 0)..(1, 1) across the point
};

// `fogFromVertex`: the vertex part produces a fog factor for this draw
// (fixed-function fog with a mode, or any vertex shader while FOGENABLE).
// `pointSprite` is left 0: the draw path sets it, knowing the primitive.
void makeFfpFragmentKey(const d3d::PipelineState& state, bool fogFromVertex, bool flatShade, FfpFragmentKey* key);

std::string ffpFragmentSource(const FfpFragmentKey& key);

// Direct3D applies fog and the alpha test after a pixel shader as well: the
// translated program's main() becomes a function that a new main() calls
// before finishing zColor the fixed-function way. False (source unchanged)
// when the source has no main() to wrap.
bool wrapPixelShaderSource(std::string* source, bool fog, uint8_t alphaFunc);

// Texture units the program samples (bit i: stage i).
unsigned ffpFragmentStagesSampled(const FfpFragmentKey& key);

struct FfpFragmentUniforms {
    GLint fogColor, alphaRef;
    bool uploadedOnce;
    float last[5];
};

void locateFfpFragmentUniforms(GLuint program, FfpFragmentUniforms* uniforms);
void uploadFfpFragmentUniforms(FfpFragmentUniforms* uniforms, const d3d::PipelineState& state);

}  // namespace zep::gl
