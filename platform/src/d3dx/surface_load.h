// Filling a surface from memory, and reading one back: shared by the
// surface loads, the texture loads and the surface save.
#pragma once

#include "d3dx/image_decode.h"
#include "d3dx/image_resample.h"

#include <d3d8.h>
#include <d3dx8tex.h>

#include <cstddef>

namespace zep::d3dx {

// What D3DX_DEFAULT means for the filter of an image load.
constexpr DWORD kDefaultImageFilter = D3DX_FILTER_TRIANGLE | D3DX_FILTER_DITHER;

// Inside a width x height surface, and not empty.
bool validRect(const RECT& r, UINT width, UINT height);

// The texels of `surface` (of `format`) within `rect`, locked for reading,
// or copied into an image surface first when the surface cannot be locked
// (render targets, default-pool textures).
class ReadableSurface {
public:
    ReadableSurface(IDirect3DSurface8* surface, D3DFORMAT format, const RECT& rect);
    ~ReadableSurface();
    ReadableSurface(const ReadableSurface&) = delete;
    ReadableSurface& operator=(const ReadableSurface&) = delete;

    bool ok() const { return lockedSurface_ != nullptr; }
    const BYTE* bits() const { return static_cast<const BYTE*>(locked_.pBits); }
    UINT pitch() const { return UINT(locked_.Pitch); }
    const BYTE* row(UINT y) const { return bits() + size_t(y) * size_t(locked_.Pitch); }

private:
    void copyThenLock(IDirect3DSurface8* surface, D3DFORMAT format, const RECT& rect);

    D3DLOCKED_RECT locked_{};
    IDirect3DSurface8* lockedSurface_ = nullptr;
    IDirect3DSurface8* copy_ = nullptr;
};

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
