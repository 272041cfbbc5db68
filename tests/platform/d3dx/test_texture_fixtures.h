// Image files built byte by byte for the D3DX texture tests, and texture
// levels read back through LockRect.
#pragma once

#include <d3dx8.h>

#include "d3d8/d3d_test_device.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace zep::test::tex {

using Bytes = std::vector<BYTE>;

inline void put16(Bytes& b, uint32_t v) {
    b.push_back(BYTE(v));
    b.push_back(BYTE(v >> 8));
}

inline void put32(Bytes& b, uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

// One texel of a TGA of `depth` bits from a colour (16 bits: the top five
// bits of each channel and the alpha's top bit; 8 bits: the red channel as
// grey or as a map index).
inline void putTgaTexel(Bytes& b, int depth, D3DCOLOR c) {
    const BYTE a = BYTE(c >> 24), r = BYTE(c >> 16), g = BYTE(c >> 8), bl = BYTE(c);
    switch (depth) {
    case 8: b.push_back(r); break;
    case 15:
    case 16: put16(b, (a & 0x80 ? 0x8000u : 0u) | ((r >> 3) << 10) | ((g >> 3) << 5) | (bl >> 3)); break;
    case 24: b.insert(b.end(), {bl, g, r}); break;
    default: b.insert(b.end(), {bl, g, r, a}); break;
    }
}

struct TgaFile {
    BYTE imageType = 2;
    BYTE depth = 32;
    uint16_t width = 0, height = 0;
    BYTE descriptor = 0;      // bit 5: top-down, bit 4: right-to-left, bits 0-3: alpha bits
    Bytes id;                 // image ID field
    bool colourMap = false;
    uint16_t mapFirst = 0;
    BYTE mapBits = 24;
    std::vector<D3DCOLOR> map;
    Bytes pixels;             // as stored (rows in file order, or RLE packets)

    Bytes bytes() const {
        Bytes b{BYTE(id.size()), BYTE(colourMap ? 1 : 0), imageType};
        put16(b, mapFirst);
        put16(b, uint16_t(map.size()));
        b.push_back(colourMap ? mapBits : 0);
        put16(b, 0);  // x origin
        put16(b, 0);  // y origin
        put16(b, width);
        put16(b, height);
        b.push_back(depth);
        b.push_back(descriptor);
        b.insert(b.end(), id.begin(), id.end());
        for (D3DCOLOR c : map) putTgaTexel(b, mapBits, c);
        b.insert(b.end(), pixels.begin(), pixels.end());
        return b;
    }
};

// An uncompressed TGA of `texels` (top row first) stored in the row order
// the descriptor names.
inline TgaFile plainTga(BYTE imageType, int depth, uint16_t width, uint16_t height,
                        const std::vector<D3DCOLOR>& texels, bool topDown, BYTE alphaBits = 0) {
    TgaFile tga;
    tga.imageType = imageType;
    tga.depth = BYTE(depth);
    tga.width = width;
    tga.height = height;
    tga.descriptor = BYTE((topDown ? 0x20 : 0) | alphaBits);
    for (uint16_t row = 0; row < height; ++row) {
        const uint16_t y = topDown ? row : uint16_t(height - 1 - row);
        for (uint16_t x = 0; x < width; ++x) putTgaTexel(tga.pixels, depth, texels[size_t(y) * width + x]);
    }
    return tga;
}

// A BMP of `texels` (top row first): 24 or 32 bits, BI_RGB, bottom-up
// unless `topDown` (negative height), rows padded to four bytes.
inline Bytes bmpFile(int bits, uint16_t width, uint16_t height, const std::vector<D3DCOLOR>& texels,
                     bool topDown = false) {
    const uint32_t rowBytes = (width * uint32_t(bits) / 8 + 3) & ~3u;
    Bytes b{'B', 'M'};
    put32(b, 54 + rowBytes * height);
    put32(b, 0);
    put32(b, 54);
    put32(b, 40);
    put32(b, width);
    put32(b, topDown ? uint32_t(-int32_t(height)) : height);
    put16(b, 1);
    put16(b, uint32_t(bits));
    put32(b, 0);  // BI_RGB
    put32(b, rowBytes * height);
    put32(b, 2835);
    put32(b, 2835);
    put32(b, 0);
    put32(b, 0);
    for (uint16_t row = 0; row < height; ++row) {
        const uint16_t y = topDown ? row : uint16_t(height - 1 - row);
        const size_t start = b.size();
        for (uint16_t x = 0; x < width; ++x) {
            const D3DCOLOR c = texels[size_t(y) * width + x];
            b.insert(b.end(), {BYTE(c), BYTE(c >> 8), BYTE(c >> 16)});
            if (bits == 32) b.push_back(BYTE(c >> 24));
        }
        b.resize(start + rowBytes, 0);
    }
    return b;
}

// A level's bytes, row after row without padding.
inline Bytes levelBytes(IDirect3DTexture8* texture, UINT level) {
    D3DSURFACE_DESC desc{};
    D3DLOCKED_RECT locked{};
    if (FAILED(texture->GetLevelDesc(level, &desc)) || FAILED(texture->LockRect(level, &locked, nullptr, D3DLOCK_READONLY))) {
        ADD_FAILURE() << "cannot lock level " << level;
        return {};
    }
    const UINT rowBytes = desc.Size / desc.Height;
    Bytes bytes(desc.Size);
    for (UINT y = 0; y < desc.Height; ++y)
        std::memcpy(bytes.data() + size_t(y) * rowBytes, static_cast<const BYTE*>(locked.pBits) + size_t(y) * locked.Pitch,
                    rowBytes);
    texture->UnlockRect(level);
    return bytes;
}

// A level as D3DCOLOR, top row first (the formats the visual reader knows).
inline std::vector<D3DCOLOR> levelColors(IDirect3DTexture8* texture, UINT level) {
    D3DSURFACE_DESC desc{};
    texture->GetLevelDesc(level, &desc);
    const Bytes bytes = levelBytes(texture, level);
    const UINT texel = zep::visual::bytesPerTexel(desc.Format);
    std::vector<D3DCOLOR> colors;
    for (size_t at = 0; texel && at + texel <= bytes.size(); at += texel)
        colors.push_back(zep::visual::colorFromTexel(desc.Format, bytes.data() + at));
    return colors;
}

inline std::vector<WORD> levelWords(IDirect3DTexture8* texture, UINT level) {
    const Bytes bytes = levelBytes(texture, level);
    std::vector<WORD> words(bytes.size() / 2);
    std::memcpy(words.data(), bytes.data(), words.size() * 2);
    return words;
}

}  // namespace zep::test::tex
