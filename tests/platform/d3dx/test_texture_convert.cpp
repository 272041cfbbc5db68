// Format conversion by D3DXLoadSurfaceFromMemory: exact bit patterns of the
// formats textures are created in, every source format D3DX reads, signed
// bump data, dithering and colour keys.

#include "d3dx/test_texture_fixtures.h"

#include "d3dx/pixel_convert.h"

#include <cmath>

namespace {

using namespace zep::test::tex;

IDirect3DTexture8* makeTexture(IDirect3DDevice8* device, UINT width, UINT height, D3DFORMAT format) {
    IDirect3DTexture8* texture = nullptr;
    EXPECT_EQ(device->CreateTexture(width, height, 1, 0, format, D3DPOOL_MANAGED, &texture), D3D_OK);
    return texture;
}

// One A8R8G8B8 texel loaded into a 1 x 1 level of `format`.
Bytes convertOne(IDirect3DDevice8* device, D3DCOLOR color, D3DFORMAT format, DWORD filter = D3DX_FILTER_NONE,
                 D3DFORMAT sourceFormat = D3DFMT_A8R8G8B8, const void* source = nullptr,
                 const PALETTEENTRY* palette = nullptr) {
    IDirect3DTexture8* texture = makeTexture(device, 1, 1, format);
    if (!texture) return {};
    IDirect3DSurface8* level = nullptr;
    texture->GetSurfaceLevel(0, &level);
    const RECT one{0, 0, 1, 1};
    EXPECT_EQ(D3DXLoadSurfaceFromMemory(level, nullptr, nullptr, source ? source : &color, sourceFormat, 4, palette,
                                        &one, filter, 0),
              D3D_OK);
    level->Release();
    Bytes bytes = levelBytes(texture, 0);
    texture->Release();
    return bytes;
}

WORD word(const Bytes& b) { return b.size() >= 2 ? WORD(b[0] | (b[1] << 8)) : WORD(0xDEAD); }

TEST(D3DXTextureConvert, SixteenBitFormatsGetExactBitPatterns) {
    zep::test::D3DTestDevice d;
    ZEP_REQUIRE_D3D_DEVICE(d);
    struct Case {
        D3DFORMAT format;
        D3DCOLOR color;
        WORD expected;
    };
    // Rounded to nearest; X bits are written as ones.
    const Case cases[] = {
        {D3DFMT_R5G6B5, 0xFFFF0000, 0xF800},    {D3DFMT_R5G6B5, 0xFF00FF00, 0x07E0},
        {D3DFMT_R5G6B5, 0xFF0000FF, 0x001F},    {D3DFMT_R5G6B5, 0xFF808080, 0x8410},
        {D3DFMT_X1R5G5B5, 0xFFFF0000, 0xFC00},  {D3DFMT_X1R5G5B5, 0x00808080, 0xC210},
        {D3DFMT_A1R5G5B5, 0x80FF0000, 0xFC00},  {D3DFMT_A1R5G5B5, 0x7FFF0000, 0x7C00},
        {D3DFMT_A1R5G5B5, 0xFF0000FF, 0x801F},  {D3DFMT_A1R5G5B5, 0x00000000, 0x0000},
        {D3DFMT_A4R4G4B4, 0xFFFF0000, 0xFF00},  {D3DFMT_A4R4G4B4, 0x80402010, 0x8421},
        {D3DFMT_A4R4G4B4, 0x0F0F0F0F, 0x1111},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "format " << c.format << " colour 0x" << std::hex << c.color);
        EXPECT_EQ(word(convertOne(d.device(), c.color, c.format)), c.expected);
    }
}

// Bump and luminance targets: signed channels take an unsigned source
// biased (grey 128 is zero, 255 is +127, 0 is -127), luminance is the
// weighted sum of red, green and blue.
TEST(D3DXTextureConvert, SignedLuminanceAndAlphaTargets) {
    zep::test::D3DTestDevice d;
    ZEP_REQUIRE_D3D_DEVICE(d);
    struct Case {
        D3DFORMAT format;
        D3DCOLOR color;
        Bytes expected;
    };
    const Case cases[] = {
        {D3DFMT_Q8W8V8U8, 0x00FF8000, {0x7F, 0x00, 0x81, 0x81}},
        {D3DFMT_Q8W8V8U8, 0x7F7F807F, {0x00, 0x00, 0x00, 0x00}},
        {D3DFMT_V8U8, 0xFFFF0000, {0x7F, 0x81}},
        {D3DFMT_L8, 0xFF00FF00, {182}},
        {D3DFMT_L8, 0xFFFFFFFF, {255}},
        {D3DFMT_A8, 0x80123456, {0x80}},
        {D3DFMT_R8G8B8, 0x80123456, {0x56, 0x34, 0x12}},
        {D3DFMT_X8R8G8B8, 0x00123456, {0x56, 0x34, 0x12, 0xFF}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "format " << c.format << " colour 0x" << std::hex << c.color);
        EXPECT_EQ(convertOne(d.device(), c.color, c.format), c.expected);
    }
}

// Every source format D3DX reads, one texel each, into A8R8G8B8. Absent
// colour channels read as full (as the hardware samples them), except in
// the alpha-only A8.
TEST(D3DXTextureConvert, EverySourceFormatReads) {
    zep::test::D3DTestDevice d;
    ZEP_REQUIRE_D3D_DEVICE(d);
    PALETTEENTRY palette[256] = {};
    palette[2] = PALETTEENTRY{0x0A, 0x14, 0x1E, 0x28};
    struct Case {
        D3DFORMAT format;
        Bytes texel;
        D3DCOLOR expected;
    };
    const Case cases[] = {
        {D3DFMT_A8R8G8B8, {0x44, 0x33, 0x22, 0x11}, 0x11223344},
        {D3DFMT_X8R8G8B8, {0x44, 0x33, 0x22, 0x00}, 0xFF223344},
        {D3DFMT_R8G8B8, {0x44, 0x33, 0x22}, 0xFF223344},
        {D3DFMT_R5G6B5, {0x00, 0xF8}, 0xFFFF0000},
        {D3DFMT_X1R5G5B5, {0x1F, 0x00}, 0xFF0000FF},
        {D3DFMT_A1R5G5B5, {0xE0, 0x03}, 0x0000FF00},
        {D3DFMT_A4R4G4B4, {0x00, 0x8F}, 0x88FF0000},
        {D3DFMT_X4R4G4B4, {0xF0, 0x00}, 0xFF00FF00},
        {D3DFMT_R3G3B2, {0xE0}, 0xFFFF0000},
        {D3DFMT_A8R3G3B2, {0x1C, 0x80}, 0x8000FF00},
        {D3DFMT_A2B10G10R10, {0xFF, 0x03, 0x00, 0xC0}, 0xFFFF0000},
        {D3DFMT_G16R16, {0x00, 0x00, 0xFF, 0xFF}, 0xFF00FFFF},
        {D3DFMT_A8, {0x80}, 0x80000000},
        {D3DFMT_L8, {0x40}, 0xFF404040},
        {D3DFMT_A8L8, {0x40, 0x80}, 0x80404040},
        {D3DFMT_A4L4, {0x8F}, 0x88FFFFFF},
        {D3DFMT_P8, {0x02}, 0x280A141E},
        {D3DFMT_A8P8, {0x02, 0x80}, 0x800A141E},
        {D3DFMT_V8U8, {0x7F, 0x81}, 0xFFFF00FF},
        {D3DFMT_Q8W8V8U8, {0x00, 0x00, 0x00, 0x00}, 0x80808080},
        {D3DFMT_L6V5U5, {0x2F, 0xFE}, 0xFFFF00FF},
        {D3DFMT_X8L8V8U8, {0x7F, 0x81, 0x40, 0x00}, 0xFFFF0040},
        {D3DFMT_V16U16, {0xFF, 0x7F, 0x01, 0x80}, 0xFFFF00FF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "format " << c.format);
        const Bytes out = convertOne(d.device(), 0, D3DFMT_A8R8G8B8, D3DX_FILTER_NONE, c.format, c.texel.data(), palette);
        ASSERT_EQ(out.size(), 4u);
        D3DCOLOR got;
        std::memcpy(&got, out.data(), 4);
        EXPECT_EQ(got, c.expected);
    }
}

// The conversion table read and written in both directions: every value a
// format holds comes back unchanged, for the formats no texture can be
// created in as well.
TEST(D3DXTextureConvert, EveryFormatRoundTripsItsOwnValues) {
    const D3DFORMAT formats[] = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8,    D3DFMT_R8G8B8,     D3DFMT_R5G6B5,
                                 D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5,    D3DFMT_A4R4G4B4,   D3DFMT_X4R4G4B4,
                                 D3DFMT_R3G3B2,   D3DFMT_A8R3G3B2,    D3DFMT_A2B10G10R10, D3DFMT_G16R16,
                                 D3DFMT_A8,       D3DFMT_L8,          D3DFMT_A8L8,       D3DFMT_A4L4,
                                 D3DFMT_V8U8,     D3DFMT_L6V5U5,      D3DFMT_X8L8V8U8,   D3DFMT_Q8W8V8U8,
                                 D3DFMT_V16U16,   D3DFMT_W11V11U10,   D3DFMT_A2W10V10U10};
    // X bits (and the lone bit patterns a signed field can hold as its most
    // negative value) are the only ones allowed to change.
    struct Unused {
        D3DFORMAT format;
        uint32_t bits;
    };
    const Unused unused[] = {{D3DFMT_X8R8G8B8, 0xFF000000u}, {D3DFMT_X1R5G5B5, 0x8000u}, {D3DFMT_X4R4G4B4, 0xF000u},
                             {D3DFMT_X8L8V8U8, 0xFF000000u}};
    for (D3DFORMAT format : formats) {
        SCOPED_TRACE(testing::Message() << "format " << format);
        const UINT bytes = zep::d3dx::texelBytes(format);
        ASSERT_NE(bytes, 0u);
        uint32_t ignore = 0;
        for (const Unused& u : unused)
            if (u.format == format) ignore = u.bits;
        for (uint32_t seed = 0; seed < 4000; ++seed) {
            const uint32_t value = seed * 2654435761u;  // values spread over every bit
            BYTE in[4], out[4] = {};
            std::memcpy(in, &value, 4);
            zep::d3dx::Texel t;
            zep::d3dx::readTexels(format, in, 1, nullptr, &t);
            zep::d3dx::writeTexels(format, &t, 1, out, zep::d3dx::WriteRounding{});
            zep::d3dx::Texel again;
            zep::d3dx::readTexels(format, out, 1, nullptr, &again);
            // Values equal once read: the most negative signed value reads
            // as -1 like the one above it.
            EXPECT_FLOAT_EQ(again.r, t.r);
            EXPECT_FLOAT_EQ(again.g, t.g);
            EXPECT_FLOAT_EQ(again.b, t.b);
            EXPECT_FLOAT_EQ(again.a, t.a);
            if (!zep::d3dx::isSignedFormat(format)) {
                uint32_t a = 0, b = 0;
                std::memcpy(&a, in, bytes);
                std::memcpy(&b, out, bytes);
                EXPECT_EQ(a & ~ignore, b & ~ignore);
            }
            if (HasFailure()) return;
        }
    }
}

// The default texture filter dithers where a format loses precision: a
// flat colour between two 5-bit steps becomes a mix of both whose mean is
// the colour; without dithering every texel takes the nearest step.
TEST(D3DXTextureConvert, DitherMixesNeighbouringStepsOnlyWhenAsked) {
    zep::test::D3DTestDevice d;
    ZEP_REQUIRE_D3D_DEVICE(d);
    const std::vector<D3DCOLOR> flat(64, 0xFF808080);
    const RECT all{0, 0, 8, 8};
    for (DWORD filter : {DWORD(D3DX_FILTER_NONE), DWORD(D3DX_DEFAULT)}) {
        IDirect3DTexture8* texture = makeTexture(d.device(), 8, 8, D3DFMT_R5G6B5);
        ASSERT_NE(texture, nullptr);
        IDirect3DSurface8* level = nullptr;
        texture->GetSurfaceLevel(0, &level);
        ASSERT_EQ(D3DXLoadSurfaceFromMemory(level, nullptr, nullptr, flat.data(), D3DFMT_A8R8G8B8, 32, nullptr, &all,
                                            filter, 0),
                  D3D_OK);
        level->Release();
        double sum = 0;
        int low = 0, high = 0;
        for (WORD w : levelWords(texture, 0)) {
            const int red = w >> 11;
            sum += red;
            low += red == 15;
            high += red == 16;
        }
        texture->Release();
        if (filter == D3DX_FILTER_NONE) {
            EXPECT_EQ(high, 64);
        } else {
            EXPECT_GT(low, 0);
            EXPECT_GT(high, 0);
            EXPECT_EQ(low + high, 64);
            EXPECT_NEAR(sum / 64, 128.0 / 255.0 * 31.0, 0.1);
        }
    }
}

// Colour keys compare the whole ARGB value: opaque magenta matches
// 0xFFFF00FF, half-transparent magenta does not; 0 keys nothing, not even
// transparent black. Keyed texels become transparent black before
// filtering, so a mip level averages them in as such.
TEST(D3DXTextureConvert, ColourKeyMakesTransparentBlackBeforeFiltering) {
    zep::test::D3DTestDevice d;
    ZEP_REQUIRE_D3D_DEVICE(d);
    const D3DCOLOR magenta = 0xFFFF00FF, white = 0xFFFFFFFF, halfMagenta = 0x80FF00FF;
    const std::vector<D3DCOLOR> texels = {magenta, white, halfMagenta, 0x00000000};
    const Bytes file = plainTga(2, 32, 2, 2, texels, true, 8).bytes();
    struct Case {
        D3DFORMAT format;
        D3DCOLOR key;
        std::vector<D3DCOLOR> expected;
        D3DCOLOR mip;
    };
    const Case cases[] = {
        {D3DFMT_A8R8G8B8, 0xFFFF00FF, {0, white, halfMagenta, 0}, 0x60804080},
        {D3DFMT_A8R8G8B8, 0x80FF00FF, {magenta, white, 0, 0}, 0x80804080},
        {D3DFMT_A8R8G8B8, 0x00FF00FF, texels, 0xA0BF40BF},
        {D3DFMT_A8R8G8B8, 0, texels, 0xA0BF40BF},
        // The engine's S_ textures: A1R5G5B5 with magenta keyed.
        {D3DFMT_A1R5G5B5, 0xFFFF00FF, {0, white, 0xFFFF00FF, 0}, 0xFF844284},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "format " << c.format << " key 0x" << std::hex << c.key);
        IDirect3DTexture8* texture = nullptr;
        ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(d.device(), file.data(), UINT(file.size()), D3DX_DEFAULT,
                                                      D3DX_DEFAULT, D3DX_DEFAULT, 0, c.format, D3DPOOL_MANAGED,
                                                      D3DX_FILTER_NONE, D3DX_FILTER_BOX, c.key, nullptr, nullptr,
                                                      &texture),
                  D3D_OK);
        ASSERT_EQ(texture->GetLevelCount(), 2u);
        EXPECT_EQ(levelColors(texture, 0), c.expected);
        EXPECT_TRUE(zep::test::colorNear(levelColors(texture, 1).at(0), c.mip, 1));
        texture->Release();
    }
}

}  // namespace
