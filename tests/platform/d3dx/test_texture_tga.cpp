// TGA files through D3DX: every pixel depth, both row orders, run-length
// packets, colour maps, the file's own format, and files that lie or end
// early.

#include "d3dx/test_texture_fixtures.h"

#include <string>

namespace {

using namespace zep::test::tex;

struct LoadedTexture {
    HRESULT hr = E_FAIL;
    IDirect3DTexture8* texture = nullptr;
    D3DXIMAGE_INFO info{};

    ~LoadedTexture() {
        if (texture) texture->Release();
    }
};

// Loads `file` as D3DX does for the engine's texture list: the file's size,
// the given format and levels, no filtering.
void load(IDirect3DDevice8* device, const Bytes& file, D3DFORMAT format, LoadedTexture* out, UINT levels = 1,
          DWORD filter = D3DX_FILTER_NONE, D3DCOLOR key = 0) {
    out->hr = D3DXCreateTextureFromFileInMemoryEx(device, file.data(), UINT(file.size()), D3DX_DEFAULT, D3DX_DEFAULT,
                                                  levels, 0, format, D3DPOOL_MANAGED, filter, D3DX_FILTER_BOX, key,
                                                  &out->info, nullptr, &out->texture);
}

DWORD widen5(DWORD v) { return (v << 3) | (v >> 2); }

// What a 15/16-bit TGA keeps of a colour.
D3DCOLOR through16(D3DCOLOR c, bool alpha) {
    const DWORD a = alpha ? ((c & 0x80000000u) ? 0xFFu : 0u) : 0xFFu;
    return (a << 24) | (widen5((c >> 19) & 31) << 16) | (widen5((c >> 11) & 31) << 8) | widen5((c >> 3) & 31);
}

D3DCOLOR opaque(D3DCOLOR c) { return c | 0xFF000000u; }
D3DCOLOR grey(D3DCOLOR c) { return 0xFF000000u | ((c >> 16) & 0xFF) * 0x010101u; }

// Six texels, 3 x 2, all different, with some alpha.
const std::vector<D3DCOLOR> kTexels = {0xFFFF0000, 0x80008400, 0xFF0000FF, 0x00FFFFFF, 0xFF422184, 0x7F10C020};

struct DepthCase {
    const char* name;
    BYTE imageType;
    int depth;
    BYTE alphaBits;
    D3DCOLOR (*expected)(D3DCOLOR);
    D3DFORMAT fileFormat;
};

const DepthCase kDepthCases[] = {
    {"32-bit", 2, 32, 8, [](D3DCOLOR c) { return c; }, D3DFMT_A8R8G8B8},
    {"24-bit", 2, 24, 0, opaque, D3DFMT_R8G8B8},
    {"16-bit with alpha", 2, 16, 1, [](D3DCOLOR c) { return through16(c, true); }, D3DFMT_A1R5G5B5},
    {"16-bit without alpha", 2, 16, 0, [](D3DCOLOR c) { return through16(c, false); }, D3DFMT_X1R5G5B5},
    {"15-bit", 2, 15, 0, [](D3DCOLOR c) { return through16(c, false); }, D3DFMT_X1R5G5B5},
    {"8-bit grey", 3, 8, 0, grey, D3DFMT_L8},
};

TEST(D3DXTextureTga, EveryDepthInBothRowOrdersReadsBackTexelByTexel) {
    zep::test::D3DTestDevice d;
    ZEP_REQUIRE_D3D_DEVICE(d);
    for (const DepthCase& c : kDepthCases) {
        for (bool topDown : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (topDown ? ", top-down" : ", bottom-up"));
            LoadedTexture t;
            load(d.device(), plainTga(c.imageType, c.depth, 3, 2, kTexels, topDown, c.alphaBits).bytes(),
                 D3DFMT_A8R8G8B8, &t);
            ASSERT_EQ(t.hr, D3D_OK);
            EXPECT_EQ(t.info.Width, 3u);
            EXPECT_EQ(t.info.Height, 2u);
            EXPECT_EQ(t.info.Format, c.fileFormat);
            EXPECT_EQ(t.info.ImageFileFormat, D3DXIFF_TGA);
            std::vector<D3DCOLOR> expected;
            for (D3DCOLOR texel : kTexels) expected.push_back(c.expected(texel));
            EXPECT_EQ(levelColors(t.texture, 0), expected);
        }
    }
}

TEST(D3DXTextureTga, RightToLeftRowsAreMirrored) {
    zep::test::D3DTestDevice d;
    ZEP_REQUIRE_D3D_DEVICE(d);
    TgaFile tga = plainTga(2, 32, 3, 2, kTexels, true, 8);
    tga.descriptor |= 0x10;
    LoadedTexture t;
    load(d.device(), tga.bytes(), D3DFMT_A8R8G8B8, &t);
    ASSERT_EQ(t.hr, D3D_OK);
    const std::vector<D3DCOLOR> mirrored = {kTexels[2], kTexels[1], kTexels[0], kTexels[5], kTexels[4], kTexels[3]};
    EXPECT_EQ(levelColors(t.texture, 0), mirrored);
}

// Colour-mapped: the indices start at mapFirst (2 here); 24-bit maps are
// opaque, 32-bit maps carry alpha.
TgaFile colourMappedTga(BYTE mapBits, bool topDown) {
    TgaFile tga;
    tga.imageType = 1;
    tga.depth = 8;
    tga.width = 3;
    tga.height = 2;
    tga.descriptor = topDown ? 0x20 : 0;
    tga.colourMap = true;
    tga.mapFirst = 2;
    tga.mapBits = mapBits;
    tga.map = kTexels;
    tga.id = {'i', 'd'};
    for (int row = 0; row < 2; ++row) {
        const int y = topDown ? row : 1 - row;
        for (int x = 0; x < 3; ++x) tga.pixels.push_back(BYTE(2 + y * 3 + x));
    }
    return tga;
}

TEST(D3DXTextureTga, ColourMappedImagesLookUpTheirMap) {
    zep::test::D3DTestDevice d;
    ZEP_REQUIRE_D3D_DEVICE(d);
    for (BYTE mapBits : {BYTE(24), BYTE(32)}) {
        for (bool topDown : {false, true}) {
            SCOPED_TRACE(std::to_string(mapBits) + (topDown ? "-bit map, top-down" : "-bit map, bottom-up"));
            const Bytes file = colourMappedTga(mapBits, topDown).bytes();
            IDirect3DTexture8* texture = nullptr;
            D3DXIMAGE_INFO info{};
            PALETTEENTRY palette[256] = {};
            ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(d.device(), file.data(), UINT(file.size()), D3DX_DEFAULT,
                                                          D3DX_DEFAULT, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                                          D3DX_FILTER_NONE, D3DX_FILTER_NONE, 0, &info, palette,
                                                          &texture),
                      D3D_OK);
            EXPECT_EQ(info.Format, D3DFMT_P8);
            std::vector<D3DCOLOR> expected;
            for (D3DCOLOR c : kTexels) expected.push_back(mapBits == 32 ? c : opaque(c));
            EXPECT_EQ(levelColors(texture, 0), expected);
            // The map comes back as the palette, entry = index.
            EXPECT_EQ(palette[2].peRed, 0xFF);
            EXPECT_EQ(palette[3].peGreen, 0x84);
            EXPECT_EQ(palette[3].peFlags, mapBits == 32 ? 0x80 : 0xFF);
            texture->Release();
        }
    }
}

// Run-length packets: a repeat packet running across the row boundary and
// a raw packet, in each image type.
TEST(D3DXTextureTga, RunLengthPacketsMayCrossRows) {
    zep::test::D3DTestDevice d;
    ZEP_REQUIRE_D3D_DEVICE(d);
    const D3DCOLOR a = 0xFF102030, b = 0x80405060, c = 0x00708090;
    for (bool topDown : {false, true}) {
        SCOPED_TRACE(topDown ? "top-down" : "bottom-up");
        // Stored order: a a a a b c; on screen the first stored row is the
        // bottom one unless top-down.
        const std::vector<D3DCOLOR> stored = {a, a, a, a, b, c};
        const std::vector<D3DCOLOR> shown =
            topDown ? stored : std::vector<D3DCOLOR>{a, b, c, a, a, a};

        TgaFile trueColour;
        trueColour.imageType = 10;
        trueColour.depth = 32;
        trueColour.width = 3;
        trueColour.height = 2;
        trueColour.descriptor = BYTE((topDown ? 0x20 : 0) | 8);
        trueColour.pixels = {0x83};
        putTgaTexel(trueColour.pixels, 32, a);
        trueColour.pixels.push_back(0x01);
        putTgaTexel(trueColour.pixels, 32, b);
        putTgaTexel(trueColour.pixels, 32, c);
        LoadedTexture t;
        load(d.device(), trueColour.bytes(), D3DFMT_A8R8G8B8, &t);
        ASSERT_EQ(t.hr, D3D_OK);
        EXPECT_EQ(levelColors(t.texture, 0), shown);

        TgaFile mapped = trueColour;
        mapped.imageType = 9;
        mapped.depth = 8;
        mapped.colourMap = true;
        mapped.mapBits = 32;
        mapped.map = {a, b, c};
        mapped.pixels = {0x83, 0, 0x01, 1, 2};
        LoadedTexture m;
        load(d.device(), mapped.bytes(), D3DFMT_A8R8G8B8, &m);
        ASSERT_EQ(m.hr, D3D_OK);
        EXPECT_EQ(levelColors(m.texture, 0), shown);

        TgaFile greyImage = trueColour;
        greyImage.imageType = 11;
        greyImage.depth = 8;
        greyImage.descriptor = topDown ? 0x20 : 0;
        greyImage.pixels = {0x83, 0x10, 0x01, 0x40, 0x70};
        LoadedTexture g;
        load(d.device(), greyImage.bytes(), D3DFMT_A8R8G8B8, &g);
        ASSERT_EQ(g.hr, D3D_OK);
        std::vector<D3DCOLOR> greys;
        for (D3DCOLOR s : shown) greys.push_back(grey(s));
        EXPECT_EQ(levelColors(g.texture, 0), greys);
    }
}

// D3DFMT_UNKNOWN keeps the file's own format where the device has it, so
// a 16-bit file comes back bit for bit even through the default filter
// (dithering only acts where precision is lost).
TEST(D3DXTextureTga, UnknownFormatKeepsTheFilesOwn) {
    zep::test::D3DTestDevice d;
    ZEP_REQUIRE_D3D_DEVICE(d);
    struct Case {
        Bytes file;
        D3DFORMAT created;
    };
    const Case cases[] = {
        {plainTga(2, 32, 3, 2, kTexels, false, 8).bytes(), D3DFMT_A8R8G8B8},
        {plainTga(2, 24, 3, 2, kTexels, false).bytes(), D3DFMT_R8G8B8},
        {plainTga(2, 16, 3, 2, kTexels, false, 1).bytes(), D3DFMT_A1R5G5B5},
        {plainTga(3, 8, 3, 2, kTexels, false).bytes(), D3DFMT_L8},
        {colourMappedTga(32, false).bytes(), D3DFMT_A8R8G8B8},  // no P8 textures: the closest with alpha
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.created);
        LoadedTexture t;
        load(d.device(), c.file, D3DFMT_UNKNOWN, &t, 1, D3DX_DEFAULT);
        ASSERT_EQ(t.hr, D3D_OK);
        D3DSURFACE_DESC desc{};
        t.texture->GetLevelDesc(0, &desc);
        EXPECT_EQ(desc.Format, c.created);
    }

    LoadedTexture sixteen;
    const TgaFile file16 = plainTga(2, 16, 3, 2, kTexels, true, 1);
    load(d.device(), file16.bytes(), D3DFMT_UNKNOWN, &sixteen, 1, D3DX_DEFAULT);
    ASSERT_EQ(sixteen.hr, D3D_OK);
    std::vector<WORD> stored(6);
    std::memcpy(stored.data(), file16.pixels.data(), 12);
    EXPECT_EQ(levelWords(sixteen.texture, 0), stored);
}

// Every proper prefix of a file, and headers whose numbers do not fit the
// data, give D3DXERR_INVALIDDATA without reading past the bytes given.
TEST(D3DXTextureTga, TruncatedAndLyingFilesAreInvalidData) {
    zep::test::D3DTestDevice d;
    ZEP_REQUIRE_D3D_DEVICE(d);
    TgaFile rle;
    rle.imageType = 10;
    rle.depth = 24;
    rle.width = 3;
    rle.height = 2;
    rle.pixels = {0x85, 1, 2, 3};
    const Bytes fixtures[] = {plainTga(2, 24, 3, 2, kTexels, false).bytes(), rle.bytes(),
                              colourMappedTga(24, true).bytes(), plainTga(3, 8, 3, 2, kTexels, false).bytes()};
    for (const Bytes& whole : fixtures) {
        for (size_t length = 1; length < whole.size(); ++length) {
            SCOPED_TRACE(length);
            // An exact-size heap copy, so a read past the end is a fault.
            const Bytes cut(whole.begin(), whole.begin() + std::ptrdiff_t(length));
            LoadedTexture t;
            load(d.device(), cut, D3DFMT_A8R8G8B8, &t);
            EXPECT_EQ(t.hr, D3DXERR_INVALIDDATA);
            EXPECT_EQ(t.texture, nullptr);
        }
    }

    auto withHeader = [](TgaFile tga, void (*change)(TgaFile&)) {
        change(tga);
        return tga.bytes();
    };
    const TgaFile small = plainTga(2, 24, 3, 2, kTexels, false);
    const Bytes lies[] = {
        withHeader(small, [](TgaFile& t) { t.width = t.height = 65535; }),
        withHeader(rle, [](TgaFile& t) { t.width = t.height = 65535; }),
        withHeader(small, [](TgaFile& t) { t.width = 0; }),
        withHeader(small, [](TgaFile& t) { t.imageType = 0; }),
        withHeader(small, [](TgaFile& t) { t.imageType = 32; }),
        withHeader(small, [](TgaFile& t) { t.depth = 12; }),
        withHeader(small, [](TgaFile& t) { t.imageType = 1; }),  // colour-mapped without a map
        withHeader(colourMappedTga(24, false), [](TgaFile& t) { t.pixels[4] = 200; }),  // index off the map
        withHeader(colourMappedTga(24, false), [](TgaFile& t) { t.mapFirst = 10; }),
    };
    for (size_t i = 0; i < std::size(lies); ++i) {
        SCOPED_TRACE(i);
        LoadedTexture t;
        load(d.device(), lies[i], D3DFMT_A8R8G8B8, &t);
        EXPECT_EQ(t.hr, D3DXERR_INVALIDDATA);
    }
}

}  // namespace
