// The device's shadow of the OpenGL state it owns (fixed-function state,
// framebuffer, viewport, samplers), so that unchanged state costs no GL call.
#pragma once

#include "d3d8/pipeline_state.h"

#include <epoxy/gl.h>

namespace zep::d3d {

// Sampler parameters of one texture stage, as sent to its GL sampler object.
struct SamplerParams {
    GLint wrapS, wrapT, wrapR;
    GLint magFilter, minFilter;
    float anisotropy;
    float lodBias;
    float minLod;
    D3DCOLOR border;
    bool operator==(const SamplerParams&) const = default;
};

struct GlShadow {
    bool valid;  // false: nothing below is known, every setter sends
    GLuint drawFramebuffer;
    GLint viewport[4];
    float depthRange[2];
    bool scissorTest;
    GLint scissor[4];
    bool blend;
    GLenum blendSrc, blendDst, blendEquation;
    bool depthTest;
    bool depthMask;
    GLenum depthFunc;
    bool polygonOffset;
    float offsetFactor, offsetUnits;
    bool stencilTest;
    GLenum stencilFunc;
    GLint stencilRef;
    GLuint stencilMask, stencilWriteMask;
    GLenum stencilFail, stencilZFail, stencilPass;
    bool cull;
    GLenum cullFace;
    GLenum polygonMode;
    GLboolean colorMask[4];
    bool multisample;
    DWORD clipDistances;
    GLuint samplers[kMaxTextureStages];  // sampler objects, bound to units 0..7 once
    bool samplerValid[kMaxTextureStages];
    SamplerParams samplerParams[kMaxTextureStages];
    float anisotropyLimit;  // most anisotropy handed to GL; 0 where GL has none
};

// Creates the sampler objects and sets the state that never changes.
void initGlShadow(GlShadow& gl);
void destroyGlShadow(GlShadow& gl);

// Setters that skip redundant calls; Clear, copies and presentation use them
// too so that the shadow never goes stale.
void setDrawFramebuffer(GlShadow& gl, GLuint framebuffer);
void setViewport(GlShadow& gl, GLint x, GLint y, GLint width, GLint height);
void setScissor(GlShadow& gl, bool enabled, GLint x = 0, GLint y = 0, GLint width = 0, GLint height = 0);
void setColorMask(GlShadow& gl, bool r, bool g, bool b, bool a);
void setDepthMask(GlShadow& gl, bool enabled);
void setStencilWriteMask(GlShadow& gl, GLuint mask);

// GL enums of Direct3D values (exposed for tests of the mapping).
GLenum toGlCompare(DWORD d3dCmp);
GLenum toGlStencilOp(DWORD d3dStencilOp);
GLenum toGlBlendFactor(DWORD d3dBlend);
GLenum toGlBlendEquation(DWORD d3dBlendOp);
SamplerParams samplerParamsOf(const DWORD stageStates[kStageStateCount]);

}  // namespace zep::d3d
