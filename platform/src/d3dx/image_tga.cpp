// Truevision TGA: colour-mapped, true-colour and grey images, uncompressed
// or run-length encoded, 8, 15, 16, 24 and 32 bits, stored bottom-up or
// top-down (and right-to-left) as the descriptor byte says.
//
// Every count in the header is checked against the bytes actually present
// before anything is allocated, so a header that lies gives
// D3DXERR_INVALIDDATA instead of a huge allocation or a read past the data.

#include "d3dx/image_decode.h"

#include <algorithm>

namespace zep::d3dx {

namespace {

enum TgaImageType : uint8_t {
    kColourMapped = 1,
    kTrueColour = 2,
    kGrey = 3,
    kRle = 8,  // added to the three above
};

struct TgaHeader {
    uint8_t idLength;
    uint8_t colourMapType;
    uint8_t imageType;
    uint16_t mapFirst;
    uint16_t mapLength;
    uint8_t mapEntryBits;
    uint16_t width;
    uint16_t height;
    uint8_t depth;
    uint8_t descriptor;

    uint8_t baseType() const { return imageType & ~kRle; }
    bool rle() const { return (imageType & kRle) != 0; }
    uint8_t alphaBits() const { return descriptor & 0x0F; }
    bool rightToLeft() const { return (descriptor & 0x10) != 0; }
    bool topDown() const { return (descriptor & 0x20) != 0; }
    UINT pixelBytes() const { return (depth + 7u) / 8u; }
    UINT mapEntryBytes() const { return (mapEntryBits + 7u) / 8u; }
};

constexpr size_t kHeaderBytes = 18;

uint16_t word16(const BYTE* p) { return uint16_t(p[0] | (p[1] << 8)); }

TgaHeader readHeader(const BYTE* p) {
    return {p[0], p[1], p[2], word16(p + 3), word16(p + 5), p[7], word16(p + 12), word16(p + 14), p[16], p[17]};
}

bool isColourDepth(uint8_t bits) { return bits == 15 || bits == 16 || bits == 24 || bits == 32; }

bool headerMakesSense(const TgaHeader& h) {
    if (h.colourMapType > 1 || h.width == 0 || h.height == 0) return false;
    switch (h.baseType()) {
    case kColourMapped:
        return h.colourMapType == 1 && h.mapLength > 0 && isColourDepth(h.mapEntryBits) &&
               (h.depth == 8 || h.depth == 16);
    case kTrueColour: return isColourDepth(h.depth);
    case kGrey: return h.depth == 8 || h.depth == 16;
    default: return false;
    }
}

// A 15/16-bit texel: X1R5G5B5 with the top bit as alpha when it counts.
D3DCOLOR colourFrom16(uint16_t w, bool withAlpha) {
    auto widen = [](uint32_t v) { return (v << 3) | (v >> 2); };
    const uint32_t a = withAlpha ? ((w & 0x8000) ? 0xFFu : 0u) : 0xFFu;
    return (a << 24) | (widen((w >> 10) & 31) << 16) | (widen((w >> 5) & 31) << 8) | widen(w & 31);
}

D3DCOLOR colourFromEntry(const BYTE* p, uint8_t bits, bool withAlpha) {
    switch (bits) {
    case 15:
    case 16: return colourFrom16(word16(p), withAlpha && bits == 16);
    case 24: return 0xFF000000u | (DWORD(p[2]) << 16) | (DWORD(p[1]) << 8) | p[0];
    default: return (DWORD(withAlpha ? p[3] : 0xFF) << 24) | (DWORD(p[2]) << 16) | (DWORD(p[1]) << 8) | p[0];
    }
}

D3DFORMAT nativeFormat(const TgaHeader& h) {
    switch (h.baseType()) {
    case kColourMapped: return D3DFMT_P8;
    case kGrey: return h.depth == 8 ? D3DFMT_L8 : D3DFMT_A8L8;
    default: break;
    }
    switch (h.depth) {
    case 15: return D3DFMT_X1R5G5B5;
    case 16: return h.alphaBits() ? D3DFMT_A1R5G5B5 : D3DFMT_X1R5G5B5;
    case 24: return D3DFMT_R8G8B8;
    default: return D3DFMT_A8R8G8B8;
    }
}

// Turns one stored pixel into a colour; false for a colour-map index that
// is not in the map.
class PixelReader {
public:
    PixelReader(const TgaHeader& h, const BYTE* map) : h_(h), map_(map) {}

    bool read(const BYTE* p, D3DCOLOR* out) const {
        switch (h_.baseType()) {
        case kColourMapped: {
            const UINT index = h_.depth == 8 ? p[0] : word16(p);
            if (index < h_.mapFirst || index >= UINT(h_.mapFirst) + h_.mapLength) return false;
            *out = colourFromEntry(map_ + size_t(index - h_.mapFirst) * h_.mapEntryBytes(), h_.mapEntryBits, true);
            return true;
        }
        case kGrey: {
            const DWORD l = p[0], a = h_.depth == 16 ? p[1] : 0xFF;
            *out = (a << 24) | (l << 16) | (l << 8) | l;
            return true;
        }
        default:
            // A 16-bit texel's top bit is alpha only when the descriptor
            // says the image has alpha; 32-bit texels always keep theirs.
            *out = colourFromEntry(p, h_.depth, h_.depth == 32 || h_.alphaBits() != 0);
            return true;
        }
    }

private:
    const TgaHeader& h_;
    const BYTE* map_;
};

// Places the n-th stored pixel where the descriptor's origin puts it.
class Placement {
public:
    Placement(const TgaHeader& h, D3DCOLOR* texels) : h_(h), texels_(texels) {}

    void put(size_t n, D3DCOLOR colour) const {
        const UINT row = UINT(n / h_.width), column = UINT(n % h_.width);
        const UINT y = h_.topDown() ? row : h_.height - 1 - row;
        const UINT x = h_.rightToLeft() ? h_.width - 1 - column : column;
        texels_[size_t(y) * h_.width + x] = colour;
    }

private:
    const TgaHeader& h_;
    D3DCOLOR* texels_;
};

HRESULT readPlain(const TgaHeader& h, const BYTE* p, const BYTE* end, const PixelReader& reader, const Placement& at) {
    const size_t count = size_t(h.width) * h.height, bytes = h.pixelBytes();
    if (size_t(end - p) / bytes < count) return D3DXERR_INVALIDDATA;
    for (size_t n = 0; n < count; ++n, p += bytes) {
        D3DCOLOR colour;
        if (!reader.read(p, &colour)) return D3DXERR_INVALIDDATA;
        at.put(n, colour);
    }
    return D3D_OK;
}

// Packets of a header byte and pixels: bit 7 set repeats one pixel
// (count & 127) + 1 times, clear stores that many pixels raw. Packets may
// run across rows, never past the image.
HRESULT readRle(const TgaHeader& h, const BYTE* p, const BYTE* end, const PixelReader& reader, const Placement& at) {
    const size_t count = size_t(h.width) * h.height, bytes = h.pixelBytes();
    size_t n = 0;
    while (n < count) {
        if (p >= end) return D3DXERR_INVALIDDATA;
        const BYTE packet = *p++;
        const size_t length = std::min<size_t>((packet & 0x7F) + 1u, count - n);
        const bool repeat = (packet & 0x80) != 0;
        const size_t needed = repeat ? bytes : length * bytes;
        if (size_t(end - p) < needed) return D3DXERR_INVALIDDATA;
        for (size_t i = 0; i < length; ++i) {
            D3DCOLOR colour;
            if (!reader.read(repeat ? p : p + i * bytes, &colour)) return D3DXERR_INVALIDDATA;
            at.put(n++, colour);
        }
        p += needed;
    }
    return D3D_OK;
}

// The map as a 256-entry palette: entry i is the colour of index i.
std::vector<PALETTEENTRY> paletteOf(const TgaHeader& h, const BYTE* map) {
    std::vector<PALETTEENTRY> palette(256, PALETTEENTRY{0, 0, 0, 0});
    for (UINT i = 0; i < h.mapLength && h.mapFirst + i < 256; ++i) {
        const D3DCOLOR c = colourFromEntry(map + size_t(i) * h.mapEntryBytes(), h.mapEntryBits, true);
        palette[h.mapFirst + i] = PALETTEENTRY{BYTE(c >> 16), BYTE(c >> 8), BYTE(c), BYTE(c >> 24)};
    }
    return palette;
}

}  // namespace

HRESULT decodeTga(const BYTE* data, size_t size, DecodedImage* image, bool headerOnly) {
    if (size < kHeaderBytes) return D3DXERR_INVALIDDATA;
    const TgaHeader h = readHeader(data);
    if (!headerMakesSense(h)) return D3DXERR_INVALIDDATA;

    const BYTE* end = data + size;
    const BYTE* map = data + kHeaderBytes + h.idLength;
    const size_t mapBytes = h.colourMapType ? size_t(h.mapLength) * h.mapEntryBytes() : 0;
    if (size_t(end - data) < kHeaderBytes + h.idLength + mapBytes) return D3DXERR_INVALIDDATA;
    const BYTE* pixels = map + mapBytes;

    // The least data the pixels can take: all of them stored, or one
    // packet of header and pixel per 128 pixels.
    const size_t count = size_t(h.width) * h.height;
    const size_t least = h.rle() ? (count + 127) / 128 * (1 + h.pixelBytes()) : count * h.pixelBytes();
    if (size_t(end - pixels) < least) return D3DXERR_INVALIDDATA;

    image->width = h.width;
    image->height = h.height;
    image->format = nativeFormat(h);
    image->fileFormat = D3DXIFF_TGA;
    if (h.baseType() == kColourMapped) image->palette = paletteOf(h, map);
    if (headerOnly) return D3D_OK;
    if (count > kMaxDecodedTexels) return E_OUTOFMEMORY;

    image->texels.assign(count, 0);
    const PixelReader reader(h, map);
    const Placement at(h, image->texels.data());
    const HRESULT hr = h.rle() ? readRle(h, pixels, end, reader, at) : readPlain(h, pixels, end, reader, at);
    if (FAILED(hr)) image->texels.clear();
    return hr;
}

}  // namespace zep::d3dx
