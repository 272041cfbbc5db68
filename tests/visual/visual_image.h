// Reading a Direct3D 8 colour surface back as D3DCOLOR values, through the
// interface only, so that the same code reads our runtime and a real
// Direct3D 8.
//
// The surface is copied with CopyRects into a lockable image surface of the
// same format, locked and converted. Formats without alpha read back with
// alpha 0xFF; channels of fewer bits are widened by repeating their high
// bits, so full on stays full on.
#pragma once

#include <d3d8.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace zep::visual {

// A read-back image, rows top to bottom as in Direct3D surfaces.
struct Image {
    UINT width = 0;
    UINT height = 0;
    std::vector<D3DCOLOR> pixels;

    D3DCOLOR at(UINT x, UINT y) const { return x < width && y < height ? pixels[y * width + x] : 0u; }
};

inline UINT bytesPerTexel(D3DFORMAT format) {
    switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8: return 4;
    case D3DFMT_R8G8B8: return 3;
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_A4R4G4B4: return 2;
    default: return 0;
    }
}

inline DWORD widenChannel(DWORD value, int bits) {
    if (bits == 0) return 0xFF;
    DWORD v = value << (8 - bits);
    for (int filled = bits; filled < 8; filled += bits) v |= v >> bits;
    return v & 0xFF;
}

// One texel of a surface format as D3DCOLOR (0 for formats it cannot read).
inline D3DCOLOR colorFromTexel(D3DFORMAT format, const BYTE* texel) {
    DWORD v32 = 0;
    WORD v16 = 0;
    switch (format) {
    case D3DFMT_A8R8G8B8:
        std::memcpy(&v32, texel, 4);
        return v32;
    case D3DFMT_X8R8G8B8:
        std::memcpy(&v32, texel, 4);
        return v32 | 0xFF000000u;
    case D3DFMT_R8G8B8:
        return 0xFF000000u | (DWORD(texel[2]) << 16) | (DWORD(texel[1]) << 8) | texel[0];
    case D3DFMT_R5G6B5:
        std::memcpy(&v16, texel, 2);
        return 0xFF000000u | (widenChannel(v16 >> 11, 5) << 16) | (widenChannel((v16 >> 5) & 0x3F, 6) << 8) |
               widenChannel(v16 & 0x1F, 5);
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5: {
        std::memcpy(&v16, texel, 2);
        DWORD a = format == D3DFMT_A1R5G5B5 ? ((v16 & 0x8000) ? 0xFFu : 0u) : 0xFFu;
        return (a << 24) | (widenChannel((v16 >> 10) & 0x1F, 5) << 16) | (widenChannel((v16 >> 5) & 0x1F, 5) << 8) |
               widenChannel(v16 & 0x1F, 5);
    }
    case D3DFMT_A4R4G4B4:
        std::memcpy(&v16, texel, 2);
        return (widenChannel(v16 >> 12, 4) << 24) | (widenChannel((v16 >> 8) & 0xF, 4) << 16) |
               (widenChannel((v16 >> 4) & 0xF, 4) << 8) | widenChannel(v16 & 0xF, 4);
    default:
        return 0;
    }
}

// The largest difference of one channel between two colours; alpha counts
// only when `withAlpha`.
inline int channelDistance(D3DCOLOR a, D3DCOLOR b, bool withAlpha = false) {
    int worst = 0;
    for (int shift = 0; shift < (withAlpha ? 32 : 24); shift += 8) {
        const int d = int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF);
        worst = d < 0 ? (-d > worst ? -d : worst) : (d > worst ? d : worst);
    }
    return worst;
}

// Copies `surface` out and converts it; on failure returns an empty image
// and says why in `error`.
inline Image readSurface(IDirect3DDevice8* device, IDirect3DSurface8* surface, std::string* error = nullptr) {
    auto failed = [&](const char* why) {
        if (error) *error = why;
        return Image{};
    };
    D3DSURFACE_DESC desc{};
    if (!surface || FAILED(surface->GetDesc(&desc)) || bytesPerTexel(desc.Format) == 0)
        return failed("readSurface: no readable colour surface");
    IDirect3DSurface8* copy = nullptr;
    if (FAILED(device->CreateImageSurface(desc.Width, desc.Height, desc.Format, &copy)))
        return failed("readSurface: CreateImageSurface failed");
    if (FAILED(device->CopyRects(surface, nullptr, 0, copy, nullptr))) {
        copy->Release();
        return failed("readSurface: CopyRects failed");
    }
    D3DLOCKED_RECT locked{};
    if (FAILED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
        copy->Release();
        return failed("readSurface: LockRect failed");
    }
    Image image;
    image.width = desc.Width;
    image.height = desc.Height;
    image.pixels.resize(size_t(desc.Width) * desc.Height);
    const UINT texelBytes = bytesPerTexel(desc.Format);
    for (UINT y = 0; y < desc.Height; ++y) {
        const BYTE* row = static_cast<const BYTE*>(locked.pBits) + size_t(y) * locked.Pitch;
        for (UINT x = 0; x < desc.Width; ++x)
            image.pixels[size_t(y) * desc.Width + x] = colorFromTexel(desc.Format, row + x * texelBytes);
    }
    copy->UnlockRect();
    copy->Release();
    return image;
}

inline Image readBackBuffer(IDirect3DDevice8* device, std::string* error = nullptr) {
    IDirect3DSurface8* back = nullptr;
    if (FAILED(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back))) {
        if (error) *error = "readBackBuffer: GetBackBuffer failed";
        return {};
    }
    Image image = readSurface(device, back, error);
    back->Release();
    return image;
}

}  // namespace zep::visual
