// Filling a surface from memory: shared by the surface loads and the
// texture loads.
#pragma once

#include "d3dx/image_decode.h"
#include "d3dx/image_resample.h"

#include <d3d8.h>

namespace zep::d3dx {

// Resamples `source` into `destRect` of `destination` (null: the whole
// surface) with a resolved filter and colour key. A surface that cannot be
// locked is filled through an image surface and CopyRects.
HRESULT loadSurface(IDirect3DSurface8* destination, const RECT* destRect, const SourceImage& source, DWORD filter,
                    D3DCOLOR colorKey);

// The same from a decoded file, `sourceRect` (null: all of it) picking the
// part of the image.
HRESULT loadSurfaceFromImage(IDirect3DSurface8* destination, const RECT* destRect, const DecodedImage& image,
                             const RECT* sourceRect, DWORD filter, D3DCOLOR colorKey);

void fillImageInfo(const DecodedImage& image, D3DXIMAGE_INFO* info);

}  // namespace zep::d3dx
