// The format table. Every colour format uploads to OpenGL as it lies in
// memory, through a packed GL type whose bit order is Direct3D's, so locks
// hand out and take back the host's bytes unchanged.

#include "d3d8/format.h"

namespace zep::d3d {

namespace {

constexpr GLint kRGBA[4] = {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA};

#define ZEP_SWIZZLE(r, g, b, a) {r, g, b, a}

const FormatInfo kFormats[] = {
    // format              bpp  z  s  alpha  signed  RT     tex    internal               upload format / type
    {D3DFMT_A8R8G8B8,       4,  0, 0, true,  false,  true,  true,  GL_RGBA8,  GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, ZEP_SWIZZLE(GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA)},
    // X formats keep no alpha in GL either, so blending reads destination alpha as one.
    {D3DFMT_X8R8G8B8,       4,  0, 0, false, false,  true,  true,  GL_RGB8,   GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, ZEP_SWIZZLE(GL_RED, GL_GREEN, GL_BLUE, GL_ONE)},
    {D3DFMT_R8G8B8,         3,  0, 0, false, false,  false, true,  GL_RGB8,   GL_BGR,  GL_UNSIGNED_BYTE,            ZEP_SWIZZLE(GL_RED, GL_GREEN, GL_BLUE, GL_ONE)},
    {D3DFMT_R5G6B5,         2,  0, 0, false, false,  true,  true,  GL_RGB565, GL_RGB,  GL_UNSIGNED_SHORT_5_6_5,     ZEP_SWIZZLE(GL_RED, GL_GREEN, GL_BLUE, GL_ONE)},
    {D3DFMT_X1R5G5B5,       2,  0, 0, false, false,  true,  true,  GL_RGB5,   GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, ZEP_SWIZZLE(GL_RED, GL_GREEN, GL_BLUE, GL_ONE)},
    {D3DFMT_A1R5G5B5,       2,  0, 0, true,  false,  true,  true,  GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, ZEP_SWIZZLE(GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA)},
    {D3DFMT_A4R4G4B4,       2,  0, 0, true,  false,  true,  true,  GL_RGBA4,  GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV, ZEP_SWIZZLE(GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA)},
    {D3DFMT_L8,             1,  0, 0, false, false,  false, true,  GL_R8,     GL_RED,  GL_UNSIGNED_BYTE,            ZEP_SWIZZLE(GL_RED, GL_RED, GL_RED, GL_ONE)},
    {D3DFMT_A8,             1,  0, 0, true,  false,  false, true,  GL_R8,     GL_RED,  GL_UNSIGNED_BYTE,            ZEP_SWIZZLE(GL_ZERO, GL_ZERO, GL_ZERO, GL_RED)},
    // Signed: U in the low byte becomes red, V green (W blue, Q alpha).
    {D3DFMT_V8U8,           2,  0, 0, false, true,   false, true,  GL_RG8_SNORM,   GL_RG,   GL_BYTE,           ZEP_SWIZZLE(GL_RED, GL_GREEN, GL_ONE, GL_ONE)},
    {D3DFMT_Q8W8V8U8,       4,  0, 0, true,  true,   false, true,  GL_RGBA8_SNORM, GL_RGBA, GL_BYTE,           ZEP_SWIZZLE(GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA)},
    // Depth-stencil: renderbuffers, never locked.
    {D3DFMT_D16,            2, 16, 0, false, false,  false, false, GL_DEPTH_COMPONENT16,  GL_DEPTH_COMPONENT, GL_UNSIGNED_SHORT, ZEP_SWIZZLE(GL_RED, GL_RED, GL_RED, GL_ONE)},
    {D3DFMT_D24X8,          4, 24, 0, false, false,  false, false, GL_DEPTH_COMPONENT24,  GL_DEPTH_COMPONENT, GL_UNSIGNED_INT, ZEP_SWIZZLE(GL_RED, GL_RED, GL_RED, GL_ONE)},
    {D3DFMT_D24S8,          4, 24, 8, false, false,  false, false, GL_DEPTH24_STENCIL8,   GL_DEPTH_STENCIL, GL_UNSIGNED_INT_24_8, ZEP_SWIZZLE(GL_RED, GL_RED, GL_RED, GL_ONE)},
    {D3DFMT_D32,            4, 32, 0, false, false,  false, false, GL_DEPTH_COMPONENT32F, GL_DEPTH_COMPONENT, GL_FLOAT, ZEP_SWIZZLE(GL_RED, GL_RED, GL_RED, GL_ONE)},
};

#undef ZEP_SWIZZLE

const FormatInfo kUnknown = {D3DFMT_UNKNOWN, 0, 0, 0, false, false, false, false, 0, 0, 0, {kRGBA[0], kRGBA[1], kRGBA[2], kRGBA[3]}};

}  // namespace

const FormatInfo& formatInfo(D3DFORMAT format) {
    for (const FormatInfo& info : kFormats)
        if (info.format == format) return info;
    return kUnknown;
}

}  // namespace zep::d3d
