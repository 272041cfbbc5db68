// Format conversion through one table: each format is a little-endian word
// of 1 to 4 bytes with up to four bit fields. Fields are widened to floats
// by dividing by their maximum and narrowed by rounding, which keeps every
// value that fits both formats exact (5-bit 0x1F becomes 255 and back).

#include "d3dx/pixel_convert.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace zep::d3dx {

namespace {

struct Field {
    uint8_t shift, bits;
    bool isSigned;
};

enum class Kind : uint8_t {
    Colour,     // r, g, b, a fields
    Luminance,  // the luminance field sits in r; g and b copy it
    Palette,    // the index field sits in r
};

struct Layout {
    D3DFORMAT format;
    uint8_t bytes;
    Kind kind;
    Field r, g, b, a;
    float absentColour;  // value of an absent colour field: 1, or 0 for alpha-only formats
    uint32_t unused = 0; // X bits, written as ones so that a reader taking them for alpha sees opaque
};

constexpr Field none{0, 0, false};
constexpr Field u(uint8_t shift, uint8_t bits) { return {shift, bits, false}; }
constexpr Field s(uint8_t shift, uint8_t bits) { return {shift, bits, true}; }

const Layout kLayouts[] = {
    {D3DFMT_A8R8G8B8, 4, Kind::Colour, u(16, 8), u(8, 8), u(0, 8), u(24, 8), 1.0f},
    {D3DFMT_X8R8G8B8, 4, Kind::Colour, u(16, 8), u(8, 8), u(0, 8), none, 1.0f, 0xFF000000u},
    {D3DFMT_R8G8B8, 3, Kind::Colour, u(16, 8), u(8, 8), u(0, 8), none, 1.0f},
    {D3DFMT_R5G6B5, 2, Kind::Colour, u(11, 5), u(5, 6), u(0, 5), none, 1.0f},
    {D3DFMT_X1R5G5B5, 2, Kind::Colour, u(10, 5), u(5, 5), u(0, 5), none, 1.0f, 0x8000u},
    {D3DFMT_A1R5G5B5, 2, Kind::Colour, u(10, 5), u(5, 5), u(0, 5), u(15, 1), 1.0f},
    {D3DFMT_A4R4G4B4, 2, Kind::Colour, u(8, 4), u(4, 4), u(0, 4), u(12, 4), 1.0f},
    {D3DFMT_X4R4G4B4, 2, Kind::Colour, u(8, 4), u(4, 4), u(0, 4), none, 1.0f, 0xF000u},
    {D3DFMT_R3G3B2, 1, Kind::Colour, u(5, 3), u(2, 3), u(0, 2), none, 1.0f},
    {D3DFMT_A8R3G3B2, 2, Kind::Colour, u(5, 3), u(2, 3), u(0, 2), u(8, 8), 1.0f},
    {D3DFMT_A2B10G10R10, 4, Kind::Colour, u(0, 10), u(10, 10), u(20, 10), u(30, 2), 1.0f},
    {D3DFMT_G16R16, 4, Kind::Colour, u(0, 16), u(16, 16), none, none, 1.0f},
    {D3DFMT_A8, 1, Kind::Colour, none, none, none, u(0, 8), 0.0f},
    {D3DFMT_L8, 1, Kind::Luminance, u(0, 8), none, none, none, 1.0f},
    {D3DFMT_A8L8, 2, Kind::Luminance, u(0, 8), none, none, u(8, 8), 1.0f},
    {D3DFMT_A4L4, 1, Kind::Luminance, u(0, 4), none, none, u(4, 4), 1.0f},
    {D3DFMT_P8, 1, Kind::Palette, u(0, 8), none, none, none, 1.0f},
    {D3DFMT_A8P8, 2, Kind::Palette, u(0, 8), none, none, u(8, 8), 1.0f},
    {D3DFMT_V8U8, 2, Kind::Colour, s(0, 8), s(8, 8), none, none, 1.0f},
    {D3DFMT_L6V5U5, 2, Kind::Colour, s(0, 5), s(5, 5), u(10, 6), none, 1.0f},
    {D3DFMT_X8L8V8U8, 4, Kind::Colour, s(0, 8), s(8, 8), u(16, 8), none, 1.0f, 0xFF000000u},
    {D3DFMT_Q8W8V8U8, 4, Kind::Colour, s(0, 8), s(8, 8), s(16, 8), s(24, 8), 1.0f},
    {D3DFMT_V16U16, 4, Kind::Colour, s(0, 16), s(16, 16), none, none, 1.0f},
    {D3DFMT_W11V11U10, 4, Kind::Colour, s(0, 10), s(10, 11), s(21, 11), none, 1.0f},
    {D3DFMT_A2W10V10U10, 4, Kind::Colour, s(0, 10), s(10, 10), s(20, 10), u(30, 2), 1.0f},
};

const Layout* layoutOf(D3DFORMAT format) {
    for (const Layout& layout : kLayouts)
        if (layout.format == format) return &layout;
    return nullptr;
}

// Luminance from colour with the weights D3DX uses (ITU-R BT.709).
float luminance(const Texel& t) { return 0.2125f * t.r + 0.7154f * t.g + 0.0721f * t.b; }

uint32_t loadWord(const BYTE* p, uint8_t bytes) {
    uint32_t word = 0;
    for (uint8_t i = 0; i < bytes; ++i) word |= uint32_t(p[i]) << (8 * i);
    return word;
}

void storeWord(BYTE* p, uint8_t bytes, uint32_t word) {
    for (uint8_t i = 0; i < bytes; ++i) p[i] = BYTE(word >> (8 * i));
}

// Largest magnitude of a field: 2^bits - 1 unsigned, 2^(bits-1) - 1 signed
// (the most negative value reads as -1 too, as the hardware treats it).
float fieldMax(const Field& f) { return float(f.isSigned ? (1u << (f.bits - 1)) - 1 : (1u << f.bits) - 1); }

float readField(uint32_t word, const Field& f, float absent) {
    if (f.bits == 0) return absent;
    const uint32_t raw = (word >> f.shift) & ((1u << f.bits) - 1);
    const float max = fieldMax(f);
    if (!f.isSigned) return float(raw) / max;
    const int32_t value = (raw & (1u << (f.bits - 1))) ? int32_t(raw) - int32_t(1u << f.bits) : int32_t(raw);
    const float signedValue = std::max(float(value), -max) / max;
    return (signedValue + 1.0f) * 0.5f;
}

uint32_t writeField(float value, const Field& f, float threshold) {
    if (f.bits == 0) return 0;
    const float max = fieldMax(f);
    value = std::clamp(value, 0.0f, 1.0f);
    if (!f.isSigned) {
        const float q = std::clamp(std::floor(value * max + threshold), 0.0f, max);
        return (uint32_t(q) & ((1u << f.bits) - 1)) << f.shift;
    }
    const float q = std::clamp(std::floor((value * 2.0f - 1.0f) * max + threshold), -max, max);
    return (uint32_t(int32_t(q)) & ((1u << f.bits) - 1)) << f.shift;
}

// Thresholds of the 4 x 4 ordered dither, in sixteenths (plus a half, so
// their mean is the 0.5 of plain rounding).
constexpr uint8_t kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

float ditherThreshold(UINT x, UINT y) { return (float(kBayer[y & 3][x & 3]) + 0.5f) / 16.0f; }

}  // namespace

UINT texelBytes(D3DFORMAT format) {
    const Layout* layout = layoutOf(format);
    return layout ? layout->bytes : 0;
}

bool isPaletteFormat(D3DFORMAT format) {
    const Layout* layout = layoutOf(format);
    return layout && layout->kind == Kind::Palette;
}

bool isSignedFormat(D3DFORMAT format) {
    const Layout* layout = layoutOf(format);
    return layout && layout->r.isSigned;
}

bool canWriteFormat(D3DFORMAT format) {
    const Layout* layout = layoutOf(format);
    return layout && layout->kind != Kind::Palette;
}

ChannelBits channelBits(D3DFORMAT format) {
    const Layout* layout = layoutOf(format);
    if (!layout) return {0, 0, 0, 0};
    switch (layout->kind) {
    case Kind::Palette: return {8, 8, 8, 8};  // palette entries are 8-bit colours
    case Kind::Luminance: return {layout->r.bits, layout->r.bits, layout->r.bits, layout->a.bits};
    case Kind::Colour: break;
    }
    return {layout->r.bits, layout->g.bits, layout->b.bits, layout->a.bits};
}

void readTexels(D3DFORMAT format, const BYTE* source, UINT count, const PALETTEENTRY* palette, Texel* out) {
    const Layout* layout = layoutOf(format);
    if (!layout) return;
    for (UINT i = 0; i < count; ++i, source += layout->bytes) {
        const uint32_t word = loadWord(source, layout->bytes);
        Texel& t = out[i];
        switch (layout->kind) {
        case Kind::Colour:
            t.r = readField(word, layout->r, layout->absentColour);
            t.g = readField(word, layout->g, layout->absentColour);
            t.b = readField(word, layout->b, layout->absentColour);
            t.a = readField(word, layout->a, 1.0f);
            break;
        case Kind::Luminance:
            t.r = t.g = t.b = readField(word, layout->r, 1.0f);
            t.a = readField(word, layout->a, 1.0f);
            break;
        case Kind::Palette: {
            const PALETTEENTRY& entry = palette[(word >> layout->r.shift) & 0xFF];
            t.r = entry.peRed / 255.0f;
            t.g = entry.peGreen / 255.0f;
            t.b = entry.peBlue / 255.0f;
            t.a = layout->a.bits ? readField(word, layout->a, 1.0f) : entry.peFlags / 255.0f;
            break;
        }
        }
    }
}

void writeTexels(D3DFORMAT format, const Texel* texels, UINT count, BYTE* destination, const WriteRounding& rounding) {
    const Layout* layout = layoutOf(format);
    if (!layout || layout->kind == Kind::Palette) return;
    const ChannelBits target = channelBits(format);
    const ChannelBits from = rounding.sourceBits;
    // Dithering only where this write drops bits the source had.
    const bool ditherR = rounding.dither && target.r < from.r;
    const bool ditherG = rounding.dither && target.g < from.g;
    const bool ditherB = rounding.dither && target.b < from.b;
    const bool ditherA = rounding.dither && target.a < from.a;
    for (UINT i = 0; i < count; ++i, destination += layout->bytes) {
        const Texel& t = texels[i];
        const float pattern = rounding.dither ? ditherThreshold(rounding.x + i, rounding.y) : 0.5f;
        uint32_t word = layout->unused;
        if (layout->kind == Kind::Luminance) {
            word |= writeField(luminance(t), layout->r, ditherR ? pattern : 0.5f);
        } else {
            word |= writeField(t.r, layout->r, ditherR ? pattern : 0.5f);
            word |= writeField(t.g, layout->g, ditherG ? pattern : 0.5f);
            word |= writeField(t.b, layout->b, ditherB ? pattern : 0.5f);
        }
        word |= writeField(t.a, layout->a, ditherA ? pattern : 0.5f);
        storeWord(destination, layout->bytes, word);
    }
}

D3DCOLOR colorOf(const Texel& t) {
    auto channel = [](float v) { return DWORD(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); };
    return (channel(t.a) << 24) | (channel(t.r) << 16) | (channel(t.g) << 8) | channel(t.b);
}

}  // namespace zep::d3dx
