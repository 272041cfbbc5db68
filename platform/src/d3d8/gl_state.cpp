// OpenGL's fixed state from Direct3D's render and stage states, through a
// shadow that skips every call whose value is already set.

#include "d3d8/gl_state.h"

#include "d3d8/device.h"
#include "d3d8/format.h"

#include <algorithm>
#include <cstring>

namespace zep::d3d {

namespace {

float floatOf(DWORD bits) {
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

GLint wrapMode(DWORD address) {
    switch (address) {
    case D3DTADDRESS_MIRROR: return GL_MIRRORED_REPEAT;
    case D3DTADDRESS_CLAMP: return GL_CLAMP_TO_EDGE;
    case D3DTADDRESS_BORDER: return GL_CLAMP_TO_BORDER;
    case D3DTADDRESS_MIRRORONCE: return GL_MIRROR_CLAMP_TO_EDGE;
    default: return GL_REPEAT;
    }
}

bool isSoftwareRasteriser() {
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    if (!renderer) return false;
    for (const char* name : {"llvmpipe", "softpipe", "swrast", "SwiftShader"})
        if (std::strstr(renderer, name)) return true;
    return false;
}

// The largest anisotropy handed to GL; 0 where GL cannot filter
// anisotropically at all. MAXANISOTROPY is a ceiling, not a demand, so a
// software rasteriser is held to 1: there every extra probe is paid per
// pixel on the CPU, and a ground plane at 2x made frames four times slower
// without a difference anyone could see at that degree.
float samplerAnisotropyLimit() {
    const bool supported = epoxy_gl_version() >= 46 || epoxy_has_gl_extension("GL_EXT_texture_filter_anisotropic") ||
                           epoxy_has_gl_extension("GL_ARB_texture_filter_anisotropic");
    if (!supported) return 0.0f;
    return isSoftwareRasteriser() ? 1.0f : 16.0f;
}

void setEnabled(GLenum capability, bool enabled) {
    if (enabled) glEnable(capability);
    else glDisable(capability);
}

}  // namespace

GLenum toGlCompare(DWORD d3dCmp) {
    switch (d3dCmp) {
    case D3DCMP_NEVER: return GL_NEVER;
    case D3DCMP_LESS: return GL_LESS;
    case D3DCMP_EQUAL: return GL_EQUAL;
    case D3DCMP_LESSEQUAL: return GL_LEQUAL;
    case D3DCMP_GREATER: return GL_GREATER;
    case D3DCMP_NOTEQUAL: return GL_NOTEQUAL;
    case D3DCMP_GREATEREQUAL: return GL_GEQUAL;
    default: return GL_ALWAYS;
    }
}

GLenum toGlStencilOp(DWORD d3dStencilOp) {
    switch (d3dStencilOp) {
    case D3DSTENCILOP_ZERO: return GL_ZERO;
    case D3DSTENCILOP_REPLACE: return GL_REPLACE;
    case D3DSTENCILOP_INCRSAT: return GL_INCR;
    case D3DSTENCILOP_DECRSAT: return GL_DECR;
    case D3DSTENCILOP_INVERT: return GL_INVERT;
    case D3DSTENCILOP_INCR: return GL_INCR_WRAP;
    case D3DSTENCILOP_DECR: return GL_DECR_WRAP;
    default: return GL_KEEP;
    }
}

GLenum toGlBlendFactor(DWORD d3dBlend) {
    switch (d3dBlend) {
    case D3DBLEND_ZERO: return GL_ZERO;
    case D3DBLEND_SRCCOLOR: return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR: return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA: return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA: return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA: return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA: return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR: return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR: return GL_ONE_MINUS_DST_COLOR;
    case D3DBLEND_SRCALPHASAT: return GL_SRC_ALPHA_SATURATE;
    case D3DBLEND_BOTHSRCALPHA: return GL_SRC_ALPHA;
    case D3DBLEND_BOTHINVSRCALPHA: return GL_ONE_MINUS_SRC_ALPHA;
    default: return GL_ONE;
    }
}

GLenum toGlBlendEquation(DWORD d3dBlendOp) {
    switch (d3dBlendOp) {
    case D3DBLENDOP_SUBTRACT: return GL_FUNC_SUBTRACT;
    case D3DBLENDOP_REVSUBTRACT: return GL_FUNC_REVERSE_SUBTRACT;
    case D3DBLENDOP_MIN: return GL_MIN;
    case D3DBLENDOP_MAX: return GL_MAX;
    default: return GL_FUNC_ADD;
    }
}

SamplerParams samplerParamsOf(const DWORD ts[kStageStateCount]) {
    SamplerParams p{};
    p.wrapS = wrapMode(ts[D3DTSS_ADDRESSU]);
    p.wrapT = wrapMode(ts[D3DTSS_ADDRESSV]);
    p.wrapR = wrapMode(ts[D3DTSS_ADDRESSW]);
    const DWORD mag = ts[D3DTSS_MAGFILTER], min = ts[D3DTSS_MINFILTER], mip = ts[D3DTSS_MIPFILTER];
    const bool magLinear = mag == D3DTEXF_LINEAR || mag == D3DTEXF_ANISOTROPIC || mag >= D3DTEXF_FLATCUBIC;
    const bool minLinear = min == D3DTEXF_LINEAR || min == D3DTEXF_ANISOTROPIC || min >= D3DTEXF_FLATCUBIC;
    p.magFilter = magLinear ? GL_LINEAR : GL_NEAREST;
    if (mip == D3DTEXF_NONE) {
        p.minFilter = minLinear ? GL_LINEAR : GL_NEAREST;
    } else if (mip == D3DTEXF_POINT) {
        p.minFilter = minLinear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    } else {
        p.minFilter = minLinear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
    }
    const bool anisotropic = mag == D3DTEXF_ANISOTROPIC || min == D3DTEXF_ANISOTROPIC;
    p.anisotropy = anisotropic ? float(std::clamp<DWORD>(ts[D3DTSS_MAXANISOTROPY], 1, 16)) : 1.0f;
    p.lodBias = floatOf(ts[D3DTSS_MIPMAPLODBIAS]);
    // MAXMIPLEVEL names the largest level used; clamping the LOD from below
    // to it makes level 0 .. n-1 unreachable, as Direct3D does.
    p.minLod = float(ts[D3DTSS_MAXMIPLEVEL]);
    p.border = ts[D3DTSS_BORDERCOLOR];
    return p;
}

// ---- Shadowed setters -----------------------------------------------------------------

void initGlShadow(GlShadow& gl) {
    std::memset(static_cast<void*>(&gl), 0, sizeof gl);
    gl.valid = false;
    gl.anisotropyLimit = samplerAnisotropyLimit();
    glGenSamplers(kMaxTextureStages, gl.samplers);
    for (int i = 0; i < kMaxTextureStages; ++i) glBindSampler(GLuint(i), gl.samplers[i]);
    // Direct3D's front faces wind clockwise on screen; with the upper-left
    // clip-control origin OpenGL sees the screen as Direct3D does.
    glFrontFace(GL_CW);
    glEnable(GL_PROGRAM_POINT_SIZE);
}

void destroyGlShadow(GlShadow& gl) {
    glDeleteSamplers(kMaxTextureStages, gl.samplers);
    std::memset(gl.samplers, 0, sizeof gl.samplers);
}

void setDrawFramebuffer(GlShadow& gl, GLuint framebuffer) {
    if (gl.valid && gl.drawFramebuffer == framebuffer) return;
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer);
    gl.drawFramebuffer = framebuffer;
}

void setViewport(GlShadow& gl, GLint x, GLint y, GLint width, GLint height) {
    if (gl.valid && gl.viewport[0] == x && gl.viewport[1] == y && gl.viewport[2] == width && gl.viewport[3] == height)
        return;
    glViewport(x, y, width, height);
    gl.viewport[0] = x;
    gl.viewport[1] = y;
    gl.viewport[2] = width;
    gl.viewport[3] = height;
}

void setScissor(GlShadow& gl, bool enabled, GLint x, GLint y, GLint width, GLint height) {
    if (!gl.valid || gl.scissorTest != enabled) {
        setEnabled(GL_SCISSOR_TEST, enabled);
        gl.scissorTest = enabled;
    }
    if (!enabled) return;
    if (gl.valid && gl.scissor[0] == x && gl.scissor[1] == y && gl.scissor[2] == width && gl.scissor[3] == height)
        return;
    glScissor(x, y, width, height);
    gl.scissor[0] = x;
    gl.scissor[1] = y;
    gl.scissor[2] = width;
    gl.scissor[3] = height;
}

void setColorMask(GlShadow& gl, bool r, bool g, bool b, bool a) {
    const GLboolean mask[4] = {GLboolean(r), GLboolean(g), GLboolean(b), GLboolean(a)};
    if (gl.valid && std::memcmp(mask, gl.colorMask, sizeof mask) == 0) return;
    glColorMask(mask[0], mask[1], mask[2], mask[3]);
    std::memcpy(gl.colorMask, mask, sizeof mask);
}

void setDepthMask(GlShadow& gl, bool enabled) {
    if (gl.valid && gl.depthMask == enabled) return;
    glDepthMask(enabled ? GL_TRUE : GL_FALSE);
    gl.depthMask = enabled;
}

void setStencilWriteMask(GlShadow& gl, GLuint mask) {
    if (gl.valid && gl.stencilWriteMask == mask) return;
    glStencilMask(mask);
    gl.stencilWriteMask = mask;
}

namespace {

void applyBlend(GlShadow& gl, const DWORD* rs) {
    const bool blend = rs[D3DRS_ALPHABLENDENABLE] != FALSE;
    if (!gl.valid || gl.blend != blend) {
        setEnabled(GL_BLEND, blend);
        gl.blend = blend;
    }
    if (!blend) return;
    GLenum src = toGlBlendFactor(rs[D3DRS_SRCBLEND]);
    GLenum dst = toGlBlendFactor(rs[D3DRS_DESTBLEND]);
    // The BOTH factors set the pair and override the destination factor.
    if (rs[D3DRS_SRCBLEND] == D3DBLEND_BOTHSRCALPHA) dst = GL_ONE_MINUS_SRC_ALPHA;
    if (rs[D3DRS_SRCBLEND] == D3DBLEND_BOTHINVSRCALPHA) dst = GL_SRC_ALPHA;
    if (!gl.valid || gl.blendSrc != src || gl.blendDst != dst) {
        glBlendFunc(src, dst);
        gl.blendSrc = src;
        gl.blendDst = dst;
    }
    const GLenum equation = toGlBlendEquation(rs[D3DRS_BLENDOP]);
    if (!gl.valid || gl.blendEquation != equation) {
        glBlendEquation(equation);
        gl.blendEquation = equation;
    }
}

void applyDepth(GlShadow& gl, const DWORD* rs, bool haveDepth) {
    const bool test = haveDepth && rs[D3DRS_ZENABLE] != D3DZB_FALSE;
    if (!gl.valid || gl.depthTest != test) {
        setEnabled(GL_DEPTH_TEST, test);
        gl.depthTest = test;
    }
    setDepthMask(gl, rs[D3DRS_ZWRITEENABLE] != FALSE);
    const GLenum func = toGlCompare(rs[D3DRS_ZFUNC]);
    if (!gl.valid || gl.depthFunc != func) {
        glDepthFunc(func);
        gl.depthFunc = func;
    }
    // ZBIAS pulls faces toward the viewer (smaller depth): both by the
    // face's slope and by whole depth-buffer steps, so coplanar decals win.
    const float bias = float(std::min<DWORD>(rs[D3DRS_ZBIAS], 16));
    const bool offset = bias > 0.0f;
    if (!gl.valid || gl.polygonOffset != offset) {
        setEnabled(GL_POLYGON_OFFSET_FILL, offset);
        setEnabled(GL_POLYGON_OFFSET_LINE, offset);
        setEnabled(GL_POLYGON_OFFSET_POINT, offset);
        gl.polygonOffset = offset;
    }
    if (offset && (!gl.valid || gl.offsetFactor != -bias || gl.offsetUnits != -2.0f * bias)) {
        glPolygonOffset(-bias, -2.0f * bias);
        gl.offsetFactor = -bias;
        gl.offsetUnits = -2.0f * bias;
    }
}

void applyStencil(GlShadow& gl, const DWORD* rs) {
    const bool test = rs[D3DRS_STENCILENABLE] != FALSE;
    if (!gl.valid || gl.stencilTest != test) {
        setEnabled(GL_STENCIL_TEST, test);
        gl.stencilTest = test;
    }
    if (!test) return;
    const GLenum func = toGlCompare(rs[D3DRS_STENCILFUNC]);
    const GLint ref = GLint(rs[D3DRS_STENCILREF]);
    const GLuint mask = rs[D3DRS_STENCILMASK];
    if (!gl.valid || gl.stencilFunc != func || gl.stencilRef != ref || gl.stencilMask != mask) {
        glStencilFunc(func, ref, mask);
        gl.stencilFunc = func;
        gl.stencilRef = ref;
        gl.stencilMask = mask;
    }
    setStencilWriteMask(gl, rs[D3DRS_STENCILWRITEMASK]);
    const GLenum fail = toGlStencilOp(rs[D3DRS_STENCILFAIL]);
    const GLenum zfail = toGlStencilOp(rs[D3DRS_STENCILZFAIL]);
    const GLenum pass = toGlStencilOp(rs[D3DRS_STENCILPASS]);
    if (!gl.valid || gl.stencilFail != fail || gl.stencilZFail != zfail || gl.stencilPass != pass) {
        glStencilOp(fail, zfail, pass);
        gl.stencilFail = fail;
        gl.stencilZFail = zfail;
        gl.stencilPass = pass;
    }
}

void applyRaster(GlShadow& gl, const DWORD* rs, bool multisampled) {
    // Front faces are clockwise (glFrontFace(GL_CW) at creation): CULL_CW
    // culls front faces, CULL_CCW back faces.
    const DWORD cullMode = rs[D3DRS_CULLMODE];
    const bool cull = cullMode == D3DCULL_CW || cullMode == D3DCULL_CCW;
    if (!gl.valid || gl.cull != cull) {
        setEnabled(GL_CULL_FACE, cull);
        gl.cull = cull;
    }
    if (cull) {
        const GLenum face = cullMode == D3DCULL_CW ? GL_FRONT : GL_BACK;
        if (!gl.valid || gl.cullFace != face) {
            glCullFace(face);
            gl.cullFace = face;
        }
    }
    const DWORD fill = rs[D3DRS_FILLMODE];
    const GLenum mode = fill == D3DFILL_POINT ? GL_POINT : fill == D3DFILL_WIREFRAME ? GL_LINE : GL_FILL;
    if (!gl.valid || gl.polygonMode != mode) {
        glPolygonMode(GL_FRONT_AND_BACK, mode);
        gl.polygonMode = mode;
    }
    const DWORD write = rs[D3DRS_COLORWRITEENABLE];
    setColorMask(gl, write & D3DCOLORWRITEENABLE_RED, write & D3DCOLORWRITEENABLE_GREEN,
                 write & D3DCOLORWRITEENABLE_BLUE, write & D3DCOLORWRITEENABLE_ALPHA);
    const bool multisample = multisampled && rs[D3DRS_MULTISAMPLEANTIALIAS] != FALSE;
    if (!gl.valid || gl.multisample != multisample) {
        setEnabled(GL_MULTISAMPLE, multisample);
        gl.multisample = multisample;
    }
    const DWORD planes = rs[D3DRS_CLIPPLANEENABLE] & ((1u << kMaxClipPlanes) - 1);
    if (!gl.valid || gl.clipDistances != planes) {
        for (int i = 0; i < kMaxClipPlanes; ++i)
            if (!gl.valid || ((gl.clipDistances ^ planes) & (1u << i))) setEnabled(GL_CLIP_DISTANCE0 + i, planes & (1u << i));
        gl.clipDistances = planes;
    }
}

void applySampler(GlShadow& gl, int stage, const SamplerParams& p) {
    if (gl.valid && gl.samplerValid[stage] && gl.samplerParams[stage] == p) return;
    const GLuint s = gl.samplers[stage];
    glSamplerParameteri(s, GL_TEXTURE_WRAP_S, p.wrapS);
    glSamplerParameteri(s, GL_TEXTURE_WRAP_T, p.wrapT);
    glSamplerParameteri(s, GL_TEXTURE_WRAP_R, p.wrapR);
    glSamplerParameteri(s, GL_TEXTURE_MAG_FILTER, p.magFilter);
    glSamplerParameteri(s, GL_TEXTURE_MIN_FILTER, p.minFilter);
    glSamplerParameterf(s, GL_TEXTURE_LOD_BIAS, p.lodBias);
    glSamplerParameterf(s, GL_TEXTURE_MIN_LOD, p.minLod);
    const float border[4] = {float((p.border >> 16) & 0xFF) / 255.0f, float((p.border >> 8) & 0xFF) / 255.0f,
                             float(p.border & 0xFF) / 255.0f, float(p.border >> 24) / 255.0f};
    glSamplerParameterfv(s, GL_TEXTURE_BORDER_COLOR, border);
    if (gl.anisotropyLimit >= 1.0f)
        glSamplerParameterf(s, GL_TEXTURE_MAX_ANISOTROPY_EXT, std::min(p.anisotropy, gl.anisotropyLimit));
    gl.samplerParams[stage] = p;
    gl.samplerValid[stage] = true;
}

}  // namespace

void applyFixedFunctionGlState(Device& device) {
    GlShadow& gl = device.gl();
    const PipelineState& s = device.state();
    const DWORD* rs = s.renderStates;

    setDrawFramebuffer(gl, device.renderFramebuffer());
    const D3DVIEWPORT8& vp = s.viewport;
    setViewport(gl, GLint(vp.X), GLint(vp.Y), GLint(vp.Width), GLint(vp.Height));
    if (!gl.valid || gl.depthRange[0] != vp.MinZ || gl.depthRange[1] != vp.MaxZ) {
        glDepthRange(vp.MinZ, vp.MaxZ);
        gl.depthRange[0] = vp.MinZ;
        gl.depthRange[1] = vp.MaxZ;
    }
    // Direct3D clips every primitive to the viewport.
    setScissor(gl, true, GLint(vp.X), GLint(vp.Y), GLint(vp.Width), GLint(vp.Height));

    applyBlend(gl, rs);
    applyDepth(gl, rs, device.currentDepthStencil() != nullptr);
    applyStencil(gl, rs);
    applyRaster(gl, rs, device.currentRenderTarget()->multisampled());
    for (int stage = 0; stage < kMaxTextureStages; ++stage)
        if (s.textures[stage]) applySampler(gl, stage, samplerParamsOf(s.stageStates[stage]));
    gl.valid = true;
}

}  // namespace zep::d3d
