// D3DXSaveSurfaceToFile: surfaces written as BMP, DIB, TGA, PNG, PPM and
// JPEG files and decoded again by stb_image; source rectangles, 16-bit
// formats, render targets, and the calls it refuses.

#include "d3dx/test_texture_fixtures.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "d3dx/stb_image_private.h"

namespace {

using zep::test::D3DTestDevice;
using zep::test::tex::Bytes;

struct Decoded {
    int width = 0;
    int height = 0;
    std::vector<D3DCOLOR> texels;  // ARGB, top row first
};

class SurfaceSave : public ::testing::Test {
public:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "zep_surface_save_XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        directory_ = pattern;
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(directory_, ignored);
    }

    std::string path(const char* name) const { return (directory_ / name).string(); }

    static Bytes readFile(const std::string& name) {
        std::ifstream in(name, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    static Decoded decode(const std::string& name) {
        const Bytes file = readFile(name);
        Decoded d;
        int channels = 0;
        stbi_uc* rgba = stbi_load_from_memory(file.data(), int(file.size()), &d.width, &d.height, &channels, 4);
        if (!rgba) {
            ADD_FAILURE() << name << " does not decode";
            return {};
        }
        for (int i = 0; i < d.width * d.height; ++i) {
            const stbi_uc* t = rgba + 4 * i;
            d.texels.push_back((D3DCOLOR(t[3]) << 24) | (D3DCOLOR(t[0]) << 16) | (D3DCOLOR(t[1]) << 8) | t[2]);
        }
        stbi_image_free(rgba);
        return d;
    }

    // An image surface of `format` filled row by row with `texels` given as
    // raw values of the format's size.
    template <typename Texel>
    static IDirect3DSurface8* imageSurface(IDirect3DDevice8* device, D3DFORMAT format, UINT width, UINT height,
                                           const std::vector<Texel>& texels) {
        IDirect3DSurface8* surface = nullptr;
        EXPECT_EQ(device->CreateImageSurface(width, height, format, &surface), D3D_OK);
        if (!surface) return nullptr;
        D3DLOCKED_RECT locked{};
        EXPECT_EQ(surface->LockRect(&locked, nullptr, 0), D3D_OK);
        for (UINT y = 0; y < height; ++y)
            std::memcpy(static_cast<BYTE*>(locked.pBits) + size_t(y) * size_t(locked.Pitch), &texels[size_t(y) * width],
                        width * sizeof(Texel));
        surface->UnlockRect();
        return surface;
    }

private:
    std::filesystem::path directory_;
};

const std::vector<D3DCOLOR> kTexels = {
    0xFFFF0000, 0x80008400, 0xFF0000FF, 0x40FFFFFF, 0xFF422184,  //
    0x7F10C020, 0xFF000000, 0xC0808080, 0xFF123456, 0x01FEDCBA,  //
    0xFFFFFF00, 0x2000FFFF, 0xFFFF00FF, 0xE0204060, 0xFF010203,
};

TEST_F(SurfaceSave, LosslessFilesHoldEveryTexelAndTheAlphaTheyCanKeep) {
    D3DTestDevice d;
    ZEP_REQUIRE_D3D_DEVICE(d);
    IDirect3DSurface8* surface = imageSurface(d.device(), D3DFMT_A8R8G8B8, 5, 3, kTexels);
    ASSERT_NE(surface, nullptr);
    struct Case {
        D3DXIMAGE_FILEFORMAT format;
        const char* name;
        bool alpha;
    };
    const Case cases[] = {{D3DXIFF_BMP, "s.bmp", true}, {D3DXIFF_DIB, "s.dib", true},
                          {D3DXIFF_TGA, "s.tga", true}, {D3DXIFF_PNG, "s.png", true},
                          {D3DXIFF_PPM, "s.ppm", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(D3DXSaveSurfaceToFile(path(c.name).c_str(), c.format, surface, nullptr, nullptr), D3D_OK);
        const Decoded file = decode(path(c.name));
        ASSERT_EQ(file.width, 5);
        ASSERT_EQ(file.height, 3);
        for (size_t i = 0; i < kTexels.size(); ++i)
            EXPECT_EQ(file.texels[i], c.alpha ? kTexels[i] : (kTexels[i] | 0xFF000000u)) << "texel " << i;
    }
    // TGA: uncompressed true colour, 32 bits with 8 alpha bits.
    const Bytes tga = readFile(path("s.tga"));
    ASSERT_GE(tga.size(), 18u);
    EXPECT_EQ(tga[2], 2);
    EXPECT_EQ(tga[16], 32);
    EXPECT_EQ(tga[17], 8);
    EXPECT_EQ(tga.size(), 18u + 5 * 3 * 4);
    surface->Release();
}

TEST_F(SurfaceSave, JpegKeepsFlatColoursClose) {
    D3DTestDevice d;
    ZEP_REQUIRE_D3D_DEVICE(d);
    std::vector<D3DCOLOR> texels(32 * 16, 0xFF20C040);
    for (size_t i = 0; i < texels.size(); ++i)
        if (i % 32 >= 16) texels[i] = 0x80FF0000;  // right half red; JPEG drops the alpha
    IDirect3DSurface8* surface = imageSurface(d.device(), D3DFMT_A8R8G8B8, 32, 16, texels);
    ASSERT_EQ(D3DXSaveSurfaceToFile(path("s.jpg").c_str(), D3DXIFF_JPG, surface, nullptr, nullptr), D3D_OK);
    const Decoded file = decode(path("s.jpg"));
    ASSERT_EQ(file.width, 32);
    ASSERT_EQ(file.height, 16);
    zep::test::expectColorNear(file.texels[8 * 32 + 4], 0xFF20C040, 8);
    zep::test::expectColorNear(file.texels[8 * 32 + 27], 0xFFFF0000, 8);
    surface->Release();
}

TEST_F(SurfaceSave, SourceRectanglesAndSixteenBitTexels) {
    D3DTestDevice d;
    ZEP_REQUIRE_D3D_DEVICE(d);
    // Red, green, blue, white, then black, red, green, blue.
    const std::vector<WORD> words = {0xF800, 0x07E0, 0x001F, 0xFFFF, 0x0000, 0xF800, 0x07E0, 0x001F};
    IDirect3DSurface8* surface = imageSurface(d.device(), D3DFMT_R5G6B5, 4, 2, words);
    const RECT middle{1, 0, 3, 2};
    ASSERT_EQ(D3DXSaveSurfaceToFile(path("m.png").c_str(), D3DXIFF_PNG, surface, nullptr, &middle), D3D_OK);
    const Decoded file = decode(path("m.png"));
    ASSERT_EQ(file.width, 2);
    ASSERT_EQ(file.height, 2);
    EXPECT_EQ(file.texels, (std::vector<D3DCOLOR>{0xFF00FF00, 0xFF0000FF, 0xFFFF0000, 0xFF00FF00}));
    surface->Release();
}

TEST_F(SurfaceSave, RenderTargetsAreCopiedOutFirst) {
    D3DTestDevice d;
    ZEP_REQUIRE_D3D_DEVICE(d);
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(d->CreateTexture(16, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &texture), D3D_OK);
    IDirect3DSurface8* target = nullptr;
    texture->GetSurfaceLevel(0, &target);
    IDirect3DSurface8* back = nullptr;
    d->GetRenderTarget(&back);
    d->SetRenderTarget(target, nullptr);
    d->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF3060C0, 1.0f, 0);
    const D3DRECT topLeft{0, 0, 4, 2};
    d->Clear(1, &topLeft, D3DCLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0);
    d->SetRenderTarget(back, nullptr);

    ASSERT_EQ(D3DXSaveSurfaceToFile(path("t.bmp").c_str(), D3DXIFF_BMP, target, nullptr, nullptr), D3D_OK);
    const Decoded file = decode(path("t.bmp"));
    ASSERT_EQ(file.width, 16);
    EXPECT_EQ(file.texels[0], 0xFFFFFFFFu);
    EXPECT_EQ(file.texels[5 * 16 + 10], 0xFF3060C0u);  // no alpha channel: opaque
    target->Release();
    back->Release();
    texture->Release();
}

TEST_F(SurfaceSave, RefusedCallsWriteNothing) {
    D3DTestDevice d;
    ZEP_REQUIRE_D3D_DEVICE(d);
    IDirect3DSurface8* surface = imageSurface(d.device(), D3DFMT_A8R8G8B8, 5, 3, kTexels);
    const std::string name = path("x.tga");
    const RECT outside{2, 0, 6, 3};
    const RECT empty{2, 1, 2, 3};
    struct Case {
        const char* what;
        const char* file;
        D3DXIMAGE_FILEFORMAT format;
        IDirect3DSurface8* surface;
        const RECT* rect;
        HRESULT result;
    };
    const Case cases[] = {
        {"DDS", name.c_str(), D3DXIFF_DDS, surface, nullptr, D3DERR_INVALIDCALL},
        {"unknown file format", name.c_str(), D3DXIMAGE_FILEFORMAT(99), surface, nullptr, D3DERR_INVALIDCALL},
        {"no surface", name.c_str(), D3DXIFF_TGA, nullptr, nullptr, D3DERR_INVALIDCALL},
        {"no name", nullptr, D3DXIFF_TGA, surface, nullptr, D3DERR_INVALIDCALL},
        {"rectangle outside", name.c_str(), D3DXIFF_TGA, surface, &outside, D3DERR_INVALIDCALL},
        {"empty rectangle", name.c_str(), D3DXIFF_TGA, surface, &empty, D3DERR_INVALIDCALL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(D3DXSaveSurfaceToFile(c.file, c.format, c.surface, nullptr, c.rect), c.result);
        EXPECT_FALSE(std::filesystem::exists(name));
    }
    EXPECT_EQ(D3DXSaveSurfaceToFile(path("missing/x.png").c_str(), D3DXIFF_PNG, surface, nullptr, nullptr), E_FAIL);
    surface->Release();
}

}  // namespace
