// Texels of every D3DFORMAT D3DX reads or writes, as four floats.
//
// The float form is "unsigned normalised": each channel 0..1. Signed (bump)
// channels are kept biased, s -> (s + 1) / 2, which is how D3DX moves data
// between signed and unsigned formats: grey 128 in an ordinary image becomes
// 0 in a Q8W8V8U8 texture, and filtering works the same on both kinds.
// Bump formats put U in red, V in green, W or L in blue and Q in alpha, as
// the runtime samples them.
#pragma once

#include <d3d8.h>

#include <cstdint>

namespace zep::d3dx {

struct Texel {
    float r, g, b, a;
};

// Significant bits per channel of a format (0: the channel is absent);
// decides where writing loses precision and so where dithering helps.
struct ChannelBits {
    uint8_t r, g, b, a;
};

// Bytes per texel of a format D3DX can convert, 0 for any other format.
UINT texelBytes(D3DFORMAT format);

bool isPaletteFormat(D3DFORMAT format);   // P8, A8P8: colours come from a palette
bool isSignedFormat(D3DFORMAT format);    // bump formats: V8U8, Q8W8V8U8, ...
bool canWriteFormat(D3DFORMAT format);    // every known format but the palette ones
ChannelBits channelBits(D3DFORMAT format);

// `count` texels from `source` (texelBytes(format) apart). Palette formats
// look their indices up in `palette` (256 entries, peFlags is alpha).
void readTexels(D3DFORMAT format, const BYTE* source, UINT count, const PALETTEENTRY* palette, Texel* out);

// How writing rounds: to nearest, or with a 4 x 4 ordered dither on the
// channels that have fewer bits in the destination than in the source.
struct WriteRounding {
    bool dither = false;
    ChannelBits sourceBits{8, 8, 8, 8};
    UINT x = 0, y = 0;  // position of the first texel, for the dither pattern
};

void writeTexels(D3DFORMAT format, const Texel* texels, UINT count, BYTE* destination, const WriteRounding& rounding);

// The texel as D3DCOLOR (each channel rounded to 8 bits): what colour keys
// are compared with.
D3DCOLOR colorOf(const Texel& texel);

}  // namespace zep::d3dx
