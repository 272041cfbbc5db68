// Moving a rectangle of texels from one memory image into another of any
// size and format: D3DX's common core of surface loads, texture loads and
// mip-level filtering.
#pragma once

#include <d3d8.h>

namespace zep::d3dx {

// A source rectangle in memory. `bits` points at the texel (rect.left,
// rect.top); rows are `pitch` bytes apart.
struct SourceImage {
    D3DFORMAT format;
    const BYTE* bits;
    UINT pitch;
    UINT width, height;
    const PALETTEENTRY* palette;  // 256 entries for palette formats
    // The format whose precision the texels really have (a 16-bit TGA
    // decoded into A8R8G8B8 has A1R5G5B5's): decides where dithering helps.
    D3DFORMAT precision;
};

// A destination rectangle in memory, `bits` at its top-left texel. x and y
// place it in its surface, for the dither pattern.
struct DestinationImage {
    D3DFORMAT format;
    BYTE* bits;
    UINT pitch;
    UINT width, height;
    UINT x, y;
};

// The filter kind (low byte) and flags of a D3DX_FILTER value, with
// D3DX_DEFAULT replaced by `fallback`. False for kinds D3DX does not know.
bool resolveFilter(DWORD filter, DWORD fallback, DWORD* resolved);

// Converts and scales `source` into `destination` with a filter already
// resolved; texels equal to `colorKey` (when not 0) become transparent
// black first. Both formats must be ones pixel_convert knows.
void resample(const SourceImage& source, const DestinationImage& destination, DWORD filter, D3DCOLOR colorKey);

}  // namespace zep::d3dx
