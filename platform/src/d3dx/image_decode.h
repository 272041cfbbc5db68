// Image files in memory decoded to D3DCOLOR texels: TGA by our own reader,
// BMP, JPEG, PNG and PPM through stb_image. Bad data is refused, never read
// past: every size in a header is checked against the bytes present.
#pragma once

#include <d3d8.h>
#include <d3dx8tex.h>

#include <cstddef>
#include <vector>

namespace zep::d3dx {

struct DecodedImage {
    UINT width = 0;
    UINT height = 0;
    std::vector<D3DCOLOR> texels;       // ARGB, top row first
    D3DFORMAT format = D3DFMT_UNKNOWN;  // the file's own pixel format
    D3DXIMAGE_FILEFORMAT fileFormat = D3DXIFF_TGA;
    std::vector<PALETTEENTRY> palette;  // colour-mapped files: their 256-entry map (peFlags = alpha)
};

// Images above this many texels are refused with E_OUTOFMEMORY rather than
// allocated (8192 x 8192: twice the largest texture a device takes).
constexpr size_t kMaxDecodedTexels = size_t(8192) * 8192;

// Decodes a whole file. With `headerOnly`, only size and formats are filled
// (and the data checked as far as the header goes). D3DXERR_INVALIDDATA for
// anything that does not decode.
HRESULT decodeImage(const void* data, size_t size, DecodedImage* image, bool headerOnly = false);

// The TGA reader behind decodeImage, for data already known to be TGA.
HRESULT decodeTga(const BYTE* data, size_t size, DecodedImage* image, bool headerOnly);

// Reads a file, its name resolved as every engine file name is (backslashes
// and any case). D3DXERR_INVALIDDATA when it cannot be read.
HRESULT readImageFile(LPCSTR path, std::vector<BYTE>* bytes);

}  // namespace zep::d3dx
