// D3DXSaveSurfaceToFile: a surface (or a rectangle of it) written as an
// image file. BMP, DIB, PNG and JPEG are encoded by stb_image_write, TGA
// and PPM by the few lines they need here. Formats with alpha keep it where
// the file can hold it (TGA, PNG, 32-bit BMP); DDS files are not written.
//
// The surface is locked for reading when it can be; surfaces that refuse a
// lock (render targets, default-pool textures) are copied into an image
// surface of their format first.

#include "d3dx/pixel_convert.h"
#include "d3dx/surface_load.h"

#include <d3dx8tex.h>
#include <zep_files.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "d3dx/stb_image_write_private.h"

namespace zep::d3dx {

namespace {

// JPEG files are written at a quality that keeps flat colours within a few
// steps of the surface.
constexpr int kJpegQuality = 90;

using Bytes = std::vector<uint8_t>;

// Texels as 8-bit channels in red, green, blue (, alpha) order, top row first.
struct Pixels {
    UINT width = 0;
    UINT height = 0;
    int channels = 3;
    Bytes bytes;
};

uint8_t toByte(float value) {
    if (!(value > 0.0f)) return 0;
    if (value >= 1.0f) return 255;
    return uint8_t(value * 255.0f + 0.5f);
}

HRESULT readPixels(IDirect3DSurface8* surface, const D3DSURFACE_DESC& desc, const PALETTEENTRY* palette,
                   const RECT& rect, bool withAlpha, Pixels* out) {
    const ReadableSurface source(surface, desc.Format, rect);
    if (!source.ok()) return D3DERR_INVALIDCALL;
    out->width = UINT(rect.right - rect.left);
    out->height = UINT(rect.bottom - rect.top);
    out->channels = withAlpha ? 4 : 3;
    out->bytes.resize(size_t(out->width) * out->height * size_t(out->channels));
    std::vector<Texel> texels(out->width);
    uint8_t* to = out->bytes.data();
    for (UINT y = 0; y < out->height; ++y) {
        readTexels(desc.Format, source.row(y), out->width, palette, texels.data());
        for (const Texel& t : texels) {
            *to++ = toByte(t.r);
            *to++ = toByte(t.g);
            *to++ = toByte(t.b);
            if (withAlpha) *to++ = toByte(t.a);
        }
    }
    return D3D_OK;
}

void appendBytes(void* context, void* data, int size) {
    auto* file = static_cast<Bytes*>(context);
    file->insert(file->end(), static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
}

// Uncompressed true colour, rows from the bottom up, blue first.
Bytes encodeTga(const Pixels& p) {
    Bytes file(18, 0);
    file[2] = 2;
    file[12] = uint8_t(p.width);
    file[13] = uint8_t(p.width >> 8);
    file[14] = uint8_t(p.height);
    file[15] = uint8_t(p.height >> 8);
    file[16] = uint8_t(8 * p.channels);
    file[17] = p.channels == 4 ? 8 : 0;  // alpha bits; origin at the lower left
    for (UINT y = p.height; y-- > 0;) {
        const uint8_t* texel = p.bytes.data() + size_t(y) * p.width * size_t(p.channels);
        for (UINT x = 0; x < p.width; ++x, texel += p.channels) {
            file.insert(file.end(), {texel[2], texel[1], texel[0]});
            if (p.channels == 4) file.push_back(texel[3]);
        }
    }
    return file;
}

// Binary portable pixmap: colour only.
Bytes encodePpm(const Pixels& p) {
    const std::string header = "P6\n" + std::to_string(p.width) + " " + std::to_string(p.height) + "\n255\n";
    Bytes file(header.begin(), header.end());
    for (size_t i = 0; i < p.bytes.size(); i += size_t(p.channels))
        file.insert(file.end(), {p.bytes[i], p.bytes[i + 1], p.bytes[i + 2]});
    return file;
}

bool encode(D3DXIMAGE_FILEFORMAT format, const Pixels& p, Bytes* file) {
    const int w = int(p.width), h = int(p.height), stride = w * p.channels;
    switch (format) {
    case D3DXIFF_BMP:
    case D3DXIFF_DIB: return stbi_write_bmp_to_func(appendBytes, file, w, h, p.channels, p.bytes.data()) != 0;
    case D3DXIFF_PNG: return stbi_write_png_to_func(appendBytes, file, w, h, p.channels, p.bytes.data(), stride) != 0;
    case D3DXIFF_JPG:
        return stbi_write_jpg_to_func(appendBytes, file, w, h, p.channels, p.bytes.data(), kJpegQuality) != 0;
    case D3DXIFF_TGA: *file = encodeTga(p); return true;
    case D3DXIFF_PPM: *file = encodePpm(p); return true;
    default: return false;
    }
}

bool canWrite(D3DXIMAGE_FILEFORMAT format) {
    switch (format) {
    case D3DXIFF_BMP:
    case D3DXIFF_DIB:
    case D3DXIFF_PNG:
    case D3DXIFF_JPG:
    case D3DXIFF_TGA:
    case D3DXIFF_PPM: return true;
    default: return false;  // DDS among them
    }
}

// Which files keep an alpha channel.
bool keepsAlpha(D3DXIMAGE_FILEFORMAT format) {
    return format == D3DXIFF_TGA || format == D3DXIFF_PNG || format == D3DXIFF_BMP || format == D3DXIFF_DIB;
}

HRESULT writeFile(LPCSTR name, const Bytes& bytes) {
    FILE* file = zep_fopen(name, "wb");
    if (!file) return E_FAIL;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written ? D3D_OK : E_FAIL;
}

}  // namespace

}  // namespace zep::d3dx

using namespace zep::d3dx;

extern "C" HRESULT WINAPI D3DXSaveSurfaceToFileA(LPCSTR pDestFile, D3DXIMAGE_FILEFORMAT DestFormat,
                                                 LPDIRECT3DSURFACE8 pSrcSurface, const PALETTEENTRY* pSrcPalette,
                                                 const RECT* pSrcRect) {
    if (!pDestFile || !pSrcSurface || !canWrite(DestFormat)) return D3DERR_INVALIDCALL;
    D3DSURFACE_DESC desc{};
    if (FAILED(pSrcSurface->GetDesc(&desc)) || texelBytes(desc.Format) == 0) return D3DERR_INVALIDCALL;
    if (isPaletteFormat(desc.Format) && !pSrcPalette) return D3DERR_INVALIDCALL;
    const RECT rect = pSrcRect ? *pSrcRect : RECT{0, 0, LONG(desc.Width), LONG(desc.Height)};
    if (!validRect(rect, desc.Width, desc.Height)) return D3DERR_INVALIDCALL;

    const bool withAlpha = keepsAlpha(DestFormat) && channelBits(desc.Format).a > 0;
    Pixels pixels;
    HRESULT hr = readPixels(pSrcSurface, desc, pSrcPalette, rect, withAlpha, &pixels);
    if (FAILED(hr)) return hr;
    // TGA keeps its sizes in 16 bits.
    if (DestFormat == D3DXIFF_TGA && (pixels.width > 0xFFFF || pixels.height > 0xFFFF)) return D3DERR_INVALIDCALL;
    Bytes file;
    if (!encode(DestFormat, pixels, &file)) return E_FAIL;
    return writeFile(pDestFile, file);
}
