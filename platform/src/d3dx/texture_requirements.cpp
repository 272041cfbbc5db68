// Size and format rules of D3DXCheckTextureRequirements, apart from the
// device so that they can be applied to any capabilities.

#include "d3dx/texture_requirements.h"

#include "d3dx/pixel_convert.h"

#include <d3dx8tex.h>

#include <algorithm>

namespace zep::d3dx {

namespace {

UINT nextPowerOfTwo(UINT value) {
    UINT p = 1;
    while (p < value && p < 0x80000000u) p <<= 1;
    return p;
}

UINT fullChain(UINT width, UINT height, UINT depth) {
    UINT levels = 1;
    while (width > 1 || height > 1 || depth > 1) {
        width = std::max(1u, width / 2);
        height = std::max(1u, height / 2);
        depth = std::max(1u, depth / 2);
        ++levels;
    }
    return levels;
}

// D3DX_DEFAULT takes the other size, or 256 when both are defaults.
void defaultSizes(UINT* width, UINT* height) {
    if (*width == D3DX_DEFAULT && *height == D3DX_DEFAULT) {
        *width = *height = 256;
    } else if (*width == D3DX_DEFAULT) {
        *width = std::max(1u, *height);
    } else if (*height == D3DX_DEFAULT) {
        *height = std::max(1u, *width);
    }
    *width = std::max(1u, *width);
    *height = std::max(1u, *height);
}

UINT clampToLimit(UINT size, DWORD limit) { return limit ? std::min<UINT>(size, limit) : size; }

UINT fitLevels(UINT requested, UINT full, bool mipmapsOffered) {
    if (!mipmapsOffered) return 1;
    if (requested == 0 || requested == D3DX_DEFAULT || requested > full) return full;
    return requested;
}

// Formats that hold the same kind of data in other layouts, nearest first.
struct Alternatives {
    D3DFORMAT format;
    D3DFORMAT candidates[3];
};

const Alternatives kAlternatives[] = {
    {D3DFMT_R8G8B8, {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8}},
    {D3DFMT_X8R8G8B8, {D3DFMT_R8G8B8, D3DFMT_A8R8G8B8}},
    {D3DFMT_R5G6B5, {D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_X8R8G8B8}},
    {D3DFMT_X1R5G5B5, {D3DFMT_R5G6B5, D3DFMT_A1R5G5B5, D3DFMT_X8R8G8B8}},
    {D3DFMT_A1R5G5B5, {D3DFMT_A4R4G4B4, D3DFMT_A8R8G8B8}},
    {D3DFMT_X4R4G4B4, {D3DFMT_X1R5G5B5, D3DFMT_R5G6B5, D3DFMT_A4R4G4B4}},
    {D3DFMT_R3G3B2, {D3DFMT_R5G6B5, D3DFMT_X1R5G5B5}},
    {D3DFMT_A4L4, {D3DFMT_A8L8, D3DFMT_A4R4G4B4}},
    {D3DFMT_V8U8, {D3DFMT_X8L8V8U8, D3DFMT_Q8W8V8U8}},
    {D3DFMT_L6V5U5, {D3DFMT_X8L8V8U8, D3DFMT_Q8W8V8U8}},
    {D3DFMT_X8L8V8U8, {D3DFMT_Q8W8V8U8}},
    {D3DFMT_V16U16, {D3DFMT_Q8W8V8U8}},
    {D3DFMT_W11V11U10, {D3DFMT_Q8W8V8U8}},
    {D3DFMT_A2W10V10U10, {D3DFMT_Q8W8V8U8}},
};

}  // namespace

void fitTextureSize(const D3DCAPS8& caps, UINT* width, UINT* height, UINT* levels) {
    defaultSizes(width, height);
    // A device that takes other sizes only conditionally still takes them
    // for single-level textures.
    const bool powerOfTwo = (caps.TextureCaps & D3DPTEXTURECAPS_POW2) &&
                            !((caps.TextureCaps & D3DPTEXTURECAPS_NONPOW2CONDITIONAL) && *levels == 1);
    if (powerOfTwo) {
        *width = nextPowerOfTwo(*width);
        *height = nextPowerOfTwo(*height);
    }
    *width = clampToLimit(*width, caps.MaxTextureWidth);
    *height = clampToLimit(*height, caps.MaxTextureHeight);
    if (caps.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY) {
        const UINT side = std::max(*width, *height);
        *width = *height = std::min(clampToLimit(side, caps.MaxTextureWidth), clampToLimit(side, caps.MaxTextureHeight));
    }
    *levels = fitLevels(*levels, fullChain(*width, *height, 1), caps.TextureCaps & D3DPTEXTURECAPS_MIPMAP);
}

void fitVolumeSize(const D3DCAPS8& caps, UINT* width, UINT* height, UINT* depth, UINT* levels) {
    defaultSizes(width, height);
    *depth = *depth == D3DX_DEFAULT ? 1 : std::max(1u, *depth);
    if (caps.TextureCaps & D3DPTEXTURECAPS_VOLUMEMAP_POW2) {
        *width = nextPowerOfTwo(*width);
        *height = nextPowerOfTwo(*height);
        *depth = nextPowerOfTwo(*depth);
    }
    *width = clampToLimit(*width, caps.MaxVolumeExtent);
    *height = clampToLimit(*height, caps.MaxVolumeExtent);
    *depth = clampToLimit(*depth, caps.MaxVolumeExtent);
    *levels = fitLevels(*levels, fullChain(*width, *height, *depth), caps.TextureCaps & D3DPTEXTURECAPS_MIPVOLUMEMAP);
}

D3DFORMAT closestFormat(D3DFORMAT requested, const std::function<bool(D3DFORMAT)>& offered, bool* known) {
    *known = true;
    if (requested == D3DFMT_UNKNOWN) requested = D3DFMT_A8R8G8B8;
    if (offered(requested)) return requested;
    if (texelBytes(requested) == 0) {
        *known = false;  // depth, compressed, video and unheard-of values
        return D3DFMT_UNKNOWN;
    }
    for (const Alternatives& a : kAlternatives) {
        if (a.format != requested) continue;
        for (D3DFORMAT candidate : a.candidates)
            if (candidate != D3DFMT_UNKNOWN && offered(candidate)) return candidate;
    }
    // Bump data has no meaning in a colour format.
    if (isSignedFormat(requested)) return D3DFMT_UNKNOWN;
    const bool alpha = channelBits(requested).a > 0 || isPaletteFormat(requested);
    for (D3DFORMAT fallback : {alpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8})
        if (offered(fallback)) return fallback;
    return D3DFMT_UNKNOWN;
}

}  // namespace zep::d3dx
