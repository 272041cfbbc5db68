// BMP, PNG and JPEG files through D3DX: texels, the file's own format, and
// files cut short. PNG and JPEG fixtures are written by stb_image_write.

#include "d3dx/test_texture_fixtures.h"

#include <string>

#include "d3dx/stb_image_write_private.h"

namespace {

using namespace zep::test::tex;

const std::vector<D3DCOLOR> kTexels = {0xFFFF0000, 0x80008400, 0xFF0000FF, 0x00FFFFFF, 0xFF422184, 0x7F10C020};

void appendBytes(void* context, void* data, int size) {
    auto* out = static_cast<Bytes*>(context);
    out->insert(out->end(), static_cast<BYTE*>(data), static_cast<BYTE*>(data) + size);
}

// Texels as RGBA bytes (or grey from red, or RGB) for stb_image_write.
Bytes channelsOf(const std::vector<D3DCOLOR>& texels, int channels) {
    Bytes bytes;
    for (D3DCOLOR c : texels) {
        const BYTE r = BYTE(c >> 16), g = BYTE(c >> 8), b = BYTE(c), a = BYTE(c >> 24);
        if (channels == 1) bytes.push_back(r);
        if (channels >= 3) bytes.insert(bytes.end(), {r, g, b});
        if (channels == 4) bytes.push_back(a);
    }
    return bytes;
}

Bytes pngFile(int width, int height, const std::vector<D3DCOLOR>& texels, int channels) {
    Bytes file;
    const Bytes pixels = channelsOf(texels, channels);
    stbi_write_png_to_func(appendBytes, &file, width, height, channels, pixels.data(), width * channels);
    return file;
}

Bytes jpegFile(int width, int height, const std::vector<D3DCOLOR>& texels) {
    Bytes file;
    const Bytes pixels = channelsOf(texels, 3);
    stbi_write_jpg_to_func(appendBytes, &file, width, height, 3, pixels.data(), 95);
    return file;
}

struct Loaded {
    HRESULT hr = E_FAIL;
    IDirect3DTexture8* texture = nullptr;
    D3DXIMAGE_INFO info{};
    ~Loaded() {
        if (texture) texture->Release();
    }
};

void load(IDirect3DDevice8* device, const Bytes& file, D3DFORMAT format, Loaded* out) {
    out->hr = D3DXCreateTextureFromFileInMemoryEx(device, file.data(), UINT(file.size()), 0, 0, 1, 0, format,
                                                  D3DPOOL_MANAGED, D3DX_FILTER_NONE, D3DX_DEFAULT, 0, &out->info,
                                                  nullptr, &out->texture);
}

std::vector<D3DCOLOR> opaque(std::vector<D3DCOLOR> texels) {
    for (D3DCOLOR& c : texels) c |= 0xFF000000u;
    return texels;
}

// BMPs are opaque: 24 bits, and 32 bits whose fourth byte is no alpha
// (a plain BITMAPINFOHEADER), in either row order.
TEST(D3DXTextureDecoders, BmpIn24And32Bits) {
    zep::test::D3DTestDevice d;
    ZEP_REQUIRE_D3D_DEVICE(d);
    for (int bits : {24, 32}) {
        for (bool topDown : {false, true}) {
            SCOPED_TRACE(testing::Message() << bits << " bits" << (topDown ? ", top-down" : ", bottom-up"));
            Loaded t;
            load(d.device(), bmpFile(bits, 3, 2, kTexels, topDown), D3DFMT_A8R8G8B8, &t);
            ASSERT_EQ(t.hr, D3D_OK);
            EXPECT_EQ(t.info.ImageFileFormat, D3DXIFF_BMP);
            EXPECT_EQ(t.info.Format, bits == 24 ? D3DFMT_R8G8B8 : D3DFMT_X8R8G8B8);
            EXPECT_EQ(t.info.Width, 3u);
            EXPECT_EQ(t.info.Height, 2u);
            EXPECT_EQ(levelColors(t.texture, 0), opaque(kTexels));
        }
    }
}

TEST(D3DXTextureDecoders, PngKeepsAlphaAndGrey) {
    zep::test::D3DTestDevice d;
    ZEP_REQUIRE_D3D_DEVICE(d);
    Loaded rgba;
    load(d.device(), pngFile(3, 2, kTexels, 4), D3DFMT_A8R8G8B8, &rgba);
    ASSERT_EQ(rgba.hr, D3D_OK);
    EXPECT_EQ(rgba.info.ImageFileFormat, D3DXIFF_PNG);
    EXPECT_EQ(rgba.info.Format, D3DFMT_A8R8G8B8);
    EXPECT_EQ(levelColors(rgba.texture, 0), kTexels);

    Loaded rgb;
    load(d.device(), pngFile(3, 2, kTexels, 3), D3DFMT_UNKNOWN, &rgb);
    ASSERT_EQ(rgb.hr, D3D_OK);
    EXPECT_EQ(rgb.info.Format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(levelColors(rgb.texture, 0), opaque(kTexels));

    // Grey files become luminance textures, byte for byte.
    Loaded grey;
    load(d.device(), pngFile(3, 2, kTexels, 1), D3DFMT_UNKNOWN, &grey);
    ASSERT_EQ(grey.hr, D3D_OK);
    EXPECT_EQ(grey.info.Format, D3DFMT_L8);
    D3DSURFACE_DESC desc{};
    grey.texture->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Format, D3DFMT_L8);
    EXPECT_EQ(levelBytes(grey.texture, 0), (Bytes{0xFF, 0x00, 0x00, 0xFF, 0x42, 0x10}));
}

// JPEG is lossy: flat quadrants are probed in their middle with a margin.
TEST(D3DXTextureDecoders, JpegApproximately) {
    zep::test::D3DTestDevice d;
    ZEP_REQUIRE_D3D_DEVICE(d);
    const D3DCOLOR quadrant[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
    std::vector<D3DCOLOR> texels;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) texels.push_back(quadrant[(y / 16) * 2 + x / 16]);
    Loaded t;
    load(d.device(), jpegFile(32, 32, texels), D3DFMT_A8R8G8B8, &t);
    ASSERT_EQ(t.hr, D3D_OK);
    EXPECT_EQ(t.info.ImageFileFormat, D3DXIFF_JPG);
    EXPECT_EQ(t.info.Format, D3DFMT_X8R8G8B8);
    const std::vector<D3DCOLOR> colors = levelColors(t.texture, 0);
    ASSERT_EQ(colors.size(), 32u * 32u);
    for (int q = 0; q < 4; ++q) {
        const int x = (q % 2) * 16 + 8, y = (q / 2) * 16 + 8;
        EXPECT_TRUE(zep::test::colorNear(colors[size_t(y) * 32 + x], quadrant[q], 12)) << "quadrant " << q;
    }
}

// Every proper prefix of each kind of file is refused as invalid data,
// as are headers that promise more than the file holds.
TEST(D3DXTextureDecoders, TruncatedFilesAreInvalidData) {
    zep::test::D3DTestDevice d;
    ZEP_REQUIRE_D3D_DEVICE(d);
    std::vector<D3DCOLOR> texels(64);
    for (size_t i = 0; i < texels.size(); ++i) texels[i] = 0xFF000000u | DWORD(i * 0x030507);
    const struct {
        const char* name;
        Bytes file;
    } fixtures[] = {
        {"bmp 24", bmpFile(24, 8, 8, texels)},
        {"bmp 32", bmpFile(32, 8, 8, texels, true)},
        {"png", pngFile(8, 8, texels, 4)},
        {"jpeg", jpegFile(8, 8, texels)},
    };
    for (const auto& fixture : fixtures) {
        SCOPED_TRACE(fixture.name);
        Loaded whole;
        load(d.device(), fixture.file, D3DFMT_A8R8G8B8, &whole);
        ASSERT_EQ(whole.hr, D3D_OK);
        for (size_t length = 1; length < fixture.file.size(); ++length) {
            const Bytes cut(fixture.file.begin(), fixture.file.begin() + std::ptrdiff_t(length));
            Loaded t;
            load(d.device(), cut, D3DFMT_A8R8G8B8, &t);
            EXPECT_EQ(t.hr, D3DXERR_INVALIDDATA) << "length " << length;
            if (HasFailure()) return;
        }
    }

    Bytes huge = bmpFile(24, 8, 8, texels);
    huge[18] = huge[19] = huge[20] = 0xFF;  // width 16 million
    Loaded t;
    load(d.device(), huge, D3DFMT_A8R8G8B8, &t);
    EXPECT_EQ(t.hr, D3DXERR_INVALIDDATA);
}

}  // namespace
