// Which reader an image file goes to, by its signature: BMP, PNG, JPEG and
// PPM have one and are read by stb_image; TGA has none, so everything else
// is offered to the TGA reader, whose header checks refuse what it is not.

#include "d3dx/image_decode.h"

#include <zep_files.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <new>

// Only the formats this loader hands to stb_image.
#define STBI_ONLY_BMP
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_ONLY_PNM
#include "d3dx/stb_image_private.h"

namespace zep::d3dx {

namespace {

bool startsWith(const BYTE* data, size_t size, const char* signature, size_t length) {
    return size >= length && std::memcmp(data, signature, length) == 0;
}

uint32_t word32(const BYTE* p) { return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24); }

// A BMP's own format from its info header: bit count and, for 32 bits, an
// alpha mask (only the V3 and later headers have one).
D3DFORMAT bmpFormat(const BYTE* data, size_t size) {
    constexpr size_t kInfo = 14;
    if (size < kInfo + 16) return D3DFMT_UNKNOWN;
    const uint32_t headerSize = word32(data + kInfo);
    const size_t bitsAt = headerSize == 12 ? kInfo + 10 : kInfo + 14;
    const UINT bits = UINT(data[bitsAt]) | (UINT(data[bitsAt + 1]) << 8);
    if (bits <= 8) return D3DFMT_P8;
    if (bits == 16) return D3DFMT_X1R5G5B5;
    if (bits == 24) return D3DFMT_R8G8B8;
    constexpr size_t kAlphaMask = kInfo + 52;
    const bool alphaMask = headerSize >= 56 && size >= kAlphaMask + 4 && word32(data + kAlphaMask) != 0;
    return alphaMask ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
}

int32_t int32At(const BYTE* p) { return int32_t(word32(p)); }

// stb_image reads missing bytes as zeros, so a file cut short could still
// "decode". The extent of each is checked here first: a BMP's uncompressed
// rows must all be present, a JPEG must reach its end-of-image marker after
// the start of its first scan, and a PNG its complete end chunk.
bool bmpComplete(const BYTE* data, size_t size) {
    constexpr size_t kInfo = 14;
    if (size < kInfo + 12) return false;
    const uint32_t offset = word32(data + 10), headerSize = word32(data + kInfo);
    int64_t width, height;
    UINT bits, compression = 0;
    if (headerSize == 12) {
        width = int16_t(data[18] | (data[19] << 8));
        height = int16_t(data[20] | (data[21] << 8));
        bits = UINT(data[24]) | (UINT(data[25]) << 8);
    } else {
        if (headerSize < 40 || size < kInfo + 40) return false;
        width = int32At(data + 18);
        height = int32At(data + 22);
        bits = UINT(data[28]) | (UINT(data[29]) << 8);
        compression = word32(data + 30);
    }
    if (width <= 0 || height == 0) return false;
    if (compression != 0 && compression != 3) return true;  // run-length data has no fixed size; stb refuses it
    const uint64_t rowBytes = (uint64_t(width) * bits + 31) / 32 * 4;
    const uint64_t rows = uint64_t(height < 0 ? -height : height);
    return offset <= size && rowBytes * rows <= size - offset;
}

bool jpegComplete(const BYTE* data, size_t size) {
    size_t at = 2;
    // Walk the marker segments up to the first start of scan.
    while (at + 4 <= size) {
        if (data[at] != 0xFF) return false;
        const BYTE marker = data[at + 1];
        if (marker == 0xFF) {
            ++at;  // fill byte
            continue;
        }
        const size_t length = size_t(data[at + 2] << 8 | data[at + 3]);
        if (length < 2) return false;
        at += 2 + length;
        if (marker == 0xDA) break;
    }
    for (; at + 1 < size; ++at)
        if (data[at] == 0xFF && data[at + 1] == 0xD9) return true;
    return false;
}

uint32_t bigEndian32(const BYTE* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

// A PNG's chunks (length, type, data, CRC) must all be present up to and
// including its end chunk.
bool pngComplete(const BYTE* data, size_t size) {
    size_t at = 8;
    while (size - at >= 12) {
        const uint64_t length = bigEndian32(data + at);
        if (length > size - at - 12) return false;
        if (std::memcmp(data + at + 4, "IEND", 4) == 0) return true;
        at += 12 + size_t(length);
    }
    return false;
}

D3DFORMAT formatFromChannels(int channels, bool hasAlphaFormat) {
    switch (channels) {
    case 1: return D3DFMT_L8;
    case 2: return D3DFMT_A8L8;
    case 3: return D3DFMT_X8R8G8B8;
    default: return hasAlphaFormat ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
    }
}

bool formatHasAlpha(D3DFORMAT format) {
    return format == D3DFMT_A8R8G8B8 || format == D3DFMT_A8L8 || format == D3DFMT_A1R5G5B5;
}

HRESULT decodeWithStb(const BYTE* data, size_t size, D3DXIMAGE_FILEFORMAT fileFormat, DecodedImage* image,
                      bool headerOnly) {
    if (size > size_t(INT_MAX)) return D3DXERR_INVALIDDATA;
    if (fileFormat == D3DXIFF_BMP && !bmpComplete(data, size)) return D3DXERR_INVALIDDATA;
    if (fileFormat == D3DXIFF_JPG && !jpegComplete(data, size)) return D3DXERR_INVALIDDATA;
    if (fileFormat == D3DXIFF_PNG && !pngComplete(data, size)) return D3DXERR_INVALIDDATA;
    int width = 0, height = 0, channels = 0;
    if (!stbi_info_from_memory(data, int(size), &width, &height, &channels)) return D3DXERR_INVALIDDATA;
    // A top-down BMP reports its height negative, as its header stores it.
    if (fileFormat == D3DXIFF_BMP && height < 0 && height != INT_MIN) height = -height;
    if (width <= 0 || height <= 0) return D3DXERR_INVALIDDATA;
    image->width = UINT(width);
    image->height = UINT(height);
    image->fileFormat = fileFormat;
    image->format = fileFormat == D3DXIFF_BMP ? bmpFormat(data, size) : formatFromChannels(channels, true);
    if (image->format == D3DFMT_UNKNOWN) return D3DXERR_INVALIDDATA;
    if (headerOnly) return D3D_OK;
    if (size_t(width) * size_t(height) > kMaxDecodedTexels) return E_OUTOFMEMORY;

    stbi_uc* rgba = stbi_load_from_memory(data, int(size), &width, &height, &channels, 4);
    if (!rgba) return D3DXERR_INVALIDDATA;
    // Files whose own format has no alpha are opaque, whatever a decoder
    // makes of their spare bytes (a 32-bit BMP's fourth byte).
    const DWORD forcedAlpha = formatHasAlpha(image->format) ? 0 : 0xFF000000u;
    const size_t count = size_t(width) * size_t(height);
    image->texels.resize(count);
    for (size_t i = 0; i < count; ++i) {
        const stbi_uc* p = rgba + 4 * i;
        image->texels[i] = (DWORD(p[3]) << 24 | DWORD(p[0]) << 16 | DWORD(p[1]) << 8 | p[2]) | forcedAlpha;
    }
    stbi_image_free(rgba);
    return D3D_OK;
}

}  // namespace

namespace {

HRESULT decodeBySignature(const BYTE* bytes, size_t size, DecodedImage* image, bool headerOnly) {
    if (startsWith(bytes, size, "BM", 2)) return decodeWithStb(bytes, size, D3DXIFF_BMP, image, headerOnly);
    if (startsWith(bytes, size, "\x89PNG\r\n\x1A\n", 8)) return decodeWithStb(bytes, size, D3DXIFF_PNG, image, headerOnly);
    if (startsWith(bytes, size, "\xFF\xD8\xFF", 3)) return decodeWithStb(bytes, size, D3DXIFF_JPG, image, headerOnly);
    if (startsWith(bytes, size, "P5", 2) || startsWith(bytes, size, "P6", 2))
        return decodeWithStb(bytes, size, D3DXIFF_PPM, image, headerOnly);
    return decodeTga(bytes, size, image, headerOnly);
}

}  // namespace

HRESULT decodeImage(const void* data, size_t size, DecodedImage* image, bool headerOnly) {
    if (!data || size == 0) return D3DXERR_INVALIDDATA;
    *image = DecodedImage{};
    try {
        return decodeBySignature(static_cast<const BYTE*>(data), size, image, headerOnly);
    } catch (const std::bad_alloc&) {
        *image = DecodedImage{};
        return E_OUTOFMEMORY;
    }
}

HRESULT readImageFile(LPCSTR path, std::vector<BYTE>* bytes) {
    FILE* file = zep_fopen(path, "rb");
    if (!file) return D3DXERR_INVALIDDATA;
    HRESULT hr = D3DXERR_INVALIDDATA;
    if (std::fseek(file, 0, SEEK_END) == 0) {
        const long size = std::ftell(file);
        if (size > 0 && size <= INT_MAX && std::fseek(file, 0, SEEK_SET) == 0) {
            try {
                bytes->resize(size_t(size));
                if (std::fread(bytes->data(), 1, bytes->size(), file) == bytes->size()) hr = D3D_OK;
            } catch (const std::bad_alloc&) {
                hr = E_OUTOFMEMORY;
            }
        }
    }
    std::fclose(file);
    return hr;
}

}  // namespace zep::d3dx
