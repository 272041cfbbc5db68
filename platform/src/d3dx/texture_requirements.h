// The rules that turn a texture request into what a device can create:
// default sizes, powers of two, the size limit, the level count and the
// closest format the device offers.
#pragma once

#include <d3d8.h>

#include <functional>

namespace zep::d3dx {

// Width, height and levels of a 2D texture on a device with `caps`:
// D3DX_DEFAULT sizes become 256 (or the other size when one is given), 0
// becomes 1;
// sizes round up to powers of two when the device requires it and are
// clamped to its maximum; 0 or D3DX_DEFAULT levels mean the full chain.
void fitTextureSize(const D3DCAPS8& caps, UINT* width, UINT* height, UINT* levels);

// The same for volume textures (a default depth is 1).
void fitVolumeSize(const D3DCAPS8& caps, UINT* width, UINT* height, UINT* depth, UINT* levels);

// The format to create for `requested` when `offered` tells which formats
// the device takes: the request itself, else the closest that keeps its
// kind of data (alpha, luminance, signed), else 32-bit ARGB or XRGB.
// D3DFMT_UNKNOWN asks for A8R8G8B8. Returns D3DFMT_UNKNOWN when nothing
// fits; sets *known false for values that are no colour format at all.
D3DFORMAT closestFormat(D3DFORMAT requested, const std::function<bool(D3DFORMAT)>& offered, bool* known);

}  // namespace zep::d3dx
