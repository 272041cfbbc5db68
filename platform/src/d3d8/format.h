// What the runtime knows about each D3DFORMAT: its memory layout (as a host
// locks it) and how OpenGL stores, uploads, reads back and samples it.
#pragma once

#include <d3d8.h>

#include <epoxy/gl.h>

#include <cstdint>

namespace zep::d3d {

struct FormatInfo {
    D3DFORMAT format;
    uint8_t bytesPerPixel;  // 0 for formats the runtime does not know
    uint8_t depthBits;
    uint8_t stencilBits;
    bool hasAlpha;
    bool isSigned;          // V8U8, Q8W8V8U8
    bool renderTarget;      // usable with D3DUSAGE_RENDERTARGET
    bool texture;           // usable for textures and image surfaces
    GLenum internalFormat;  // texture / renderbuffer storage
    GLenum uploadFormat;    // glTexSubImage / glReadPixels format and type,
    GLenum uploadType;      //   which match the Direct3D memory layout exactly
    GLint swizzle[4];       // sampled channel sources (GL_RED ... GL_ONE)
};

// The entry for `format`; an entry with bytesPerPixel 0 when unknown.
const FormatInfo& formatInfo(D3DFORMAT format);

inline bool isDepthFormat(D3DFORMAT format) { return formatInfo(format).depthBits != 0; }

// Multisample types the runtime offers: none, 2 and 4 samples (OpenGL 3.3
// guarantees at least 4 for every colour and depth renderbuffer format).
inline bool isOfferedMultiSample(D3DMULTISAMPLE_TYPE type) {
    return type == D3DMULTISAMPLE_NONE || type == D3DMULTISAMPLE_2_SAMPLES || type == D3DMULTISAMPLE_4_SAMPLES;
}

// Bytes from one row to the next in the runtime's CPU copies: tightly packed,
// which hosts may rely on (a 512-texel A8R8G8B8 row is 2048 bytes).
inline UINT rowPitch(D3DFORMAT format, UINT width) { return formatInfo(format).bytesPerPixel * width; }

}  // namespace zep::d3d
