// D3DX texture creation: sizes and formats fitted to the device, default
// sizes and full mip chains from files, box-filtered levels, scaling,
// volume textures, files by Windows-style names, surface loads and error
// texts.

#include "d3dx/test_texture_fixtures.h"

#include "d3dx/texture_requirements.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

using namespace zep::test::tex;

struct Created {
    UINT width, height, levels;
    D3DFORMAT format;
};

Created describe(IDirect3DTexture8* texture) {
    D3DSURFACE_DESC desc{};
    texture->GetLevelDesc(0, &desc);
    return {desc.Width, desc.Height, texture->GetLevelCount(), desc.Format};
}

TEST(D3DXTextureCreate, RequestsAreFittedToTheDevice) {
    zep::test::D3DTestDevice d;
    ZEP_REQUIRE_D3D_DEVICE(d);
    struct Case {
        UINT width, height, levels;
        D3DFORMAT format;
        HRESULT hr;
        Created expected;
    };
    const Case cases[] = {
        // The engine's requests: one level, the format of its texture mode.
        {16, 16, 1, D3DFMT_A4R4G4B4, D3D_OK, {16, 16, 1, D3DFMT_A4R4G4B4}},
        {640, 480, 1, D3DFMT_X8R8G8B8, D3D_OK, {640, 480, 1, D3DFMT_X8R8G8B8}},
        {64, 32, 1, D3DFMT_Q8W8V8U8, D3D_OK, {64, 32, 1, D3DFMT_Q8W8V8U8}},
        // Defaults: 256 for both sizes, the other size for one, 0 is 1, the
        // full chain for 0 or D3DX_DEFAULT levels, A8R8G8B8 for no format.
        {D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT, D3DFMT_UNKNOWN, D3D_OK, {256, 256, 9, D3DFMT_A8R8G8B8}},
        {D3DX_DEFAULT, 32, 0, D3DFMT_R5G6B5, D3D_OK, {32, 32, 6, D3DFMT_R5G6B5}},
        {0, 8, 1, D3DFMT_R5G6B5, D3D_OK, {1, 8, 1, D3DFMT_R5G6B5}},
        {8, 4, 20, D3DFMT_R5G6B5, D3D_OK, {8, 4, 4, D3DFMT_R5G6B5}},
        // Clamped to the device's largest texture.
        {100000, 16, 1, D3DFMT_A8R8G8B8, D3D_OK, {4096, 16, 1, D3DFMT_A8R8G8B8}},
        // Formats the device lacks become the closest it has.
        {4, 4, 1, D3DFMT_A8L8, D3D_OK, {4, 4, 1, D3DFMT_A8R8G8B8}},
        {4, 4, 1, D3DFMT_X4R4G4B4, D3D_OK, {4, 4, 1, D3DFMT_X1R5G5B5}},
        {4, 4, 1, D3DFMT_X8L8V8U8, D3D_OK, {4, 4, 1, D3DFMT_Q8W8V8U8}},
        {4, 4, 1, D3DFMT_P8, D3D_OK, {4, 4, 1, D3DFMT_A8R8G8B8}},
        // No colour format at all.
        {4, 4, 1, D3DFMT_D16, D3DERR_INVALIDCALL, {}},
        {4, 4, 1, D3DFORMAT(12345), D3DERR_INVALIDCALL, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height << ", " << c.levels << " levels, format "
                                        << c.format);
        IDirect3DTexture8* texture = nullptr;
        ASSERT_EQ(D3DXCreateTexture(d.device(), c.width, c.height, c.levels, 0, c.format, D3DPOOL_MANAGED, &texture),
                  c.hr);
        if (FAILED(c.hr)) {
            EXPECT_EQ(texture, nullptr);
            continue;
        }
        const Created got = describe(texture);
        EXPECT_EQ(got.width, c.expected.width);
        EXPECT_EQ(got.height, c.expected.height);
        EXPECT_EQ(got.levels, c.expected.levels);
        EXPECT_EQ(got.format, c.expected.format);
        texture->Release();
    }
    IDirect3DTexture8* texture = nullptr;
    EXPECT_EQ(D3DXCreateTexture(nullptr, 4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXCreateTexture(d.device(), 4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, nullptr), D3DERR_INVALIDCALL);
}

// Devices that need powers of two, square textures or have smaller limits:
// the size rules alone, since the runtime here takes any size.
TEST(D3DXTextureCreate, SizesFollowTheCapsRules) {
    struct Case {
        DWORD textureCaps;
        DWORD maxSize;
        UINT width, height, levels;
        UINT expectedWidth, expectedHeight, expectedLevels;
    };
    const DWORD mip = D3DPTEXTURECAPS_MIPMAP;
    const Case cases[] = {
        {mip | D3DPTEXTURECAPS_POW2, 2048, 100, 60, 0, 128, 64, 8},
        {mip | D3DPTEXTURECAPS_POW2, 2048, 128, 1, 1, 128, 1, 1},
        {mip | D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_NONPOW2CONDITIONAL, 2048, 100, 60, 1, 100, 60, 1},
        {mip | D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_NONPOW2CONDITIONAL, 2048, 100, 60, 0, 128, 64, 8},
        {mip | D3DPTEXTURECAPS_POW2, 256, 300, 1000, 0, 256, 256, 9},
        {mip | D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_SQUAREONLY, 2048, 32, 8, 0, 32, 32, 6},
        {mip, 2048, 100, 60, 0, 100, 60, 7},
        {0, 2048, 64, 64, 0, 64, 64, 1},  // no mip maps on the device
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "caps 0x" << std::hex << c.textureCaps << std::dec << ", " << c.width
                                        << " x " << c.height);
        D3DCAPS8 caps{};
        caps.TextureCaps = c.textureCaps;
        caps.MaxTextureWidth = caps.MaxTextureHeight = c.maxSize;
        UINT width = c.width, height = c.height, levels = c.levels;
        zep::d3dx::fitTextureSize(caps, &width, &height, &levels);
        EXPECT_EQ(width, c.expectedWidth);
        EXPECT_EQ(height, c.expectedHeight);
        EXPECT_EQ(levels, c.expectedLevels);
    }
}

// A 4 x 4 level: column x, row y has red 64 * x, green 64 * y, blue 0 or
// 128 in a checkerboard, alpha 255. Every 2 x 2 average is exact.
std::vector<D3DCOLOR> gradient4x4() {
    std::vector<D3DCOLOR> texels;
    for (DWORD y = 0; y < 4; ++y)
        for (DWORD x = 0; x < 4; ++x) texels.push_back(0xFF000000u | (64 * x) << 16 | (64 * y) << 8 | ((x + y) % 2) * 128);
    return texels;
}

TEST(D3DXTextureCreate, DefaultSizesAndABoxFilteredFullChain) {
    zep::test::D3DTestDevice d;
    ZEP_REQUIRE_D3D_DEVICE(d);
    const Bytes file = plainTga(2, 32, 4, 4, gradient4x4(), true, 8).bytes();
    IDirect3DTexture8* texture = nullptr;
    D3DXIMAGE_INFO info{};
    ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(d.device(), file.data(), UINT(file.size()), D3DX_DEFAULT,
                                                  D3DX_DEFAULT, D3DX_DEFAULT, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                                  D3DX_FILTER_NONE, D3DX_DEFAULT, 0, &info, nullptr, &texture),
              D3D_OK);
    EXPECT_EQ(info.Width, 4u);
    EXPECT_EQ(info.Height, 4u);
    EXPECT_EQ(info.Depth, 1u);
    EXPECT_EQ(info.MipLevels, 1u);
    EXPECT_EQ(info.ResourceType, D3DRTYPE_TEXTURE);
    ASSERT_EQ(texture->GetLevelCount(), 3u);
    EXPECT_EQ(levelColors(texture, 0), gradient4x4());
    // Level 1: red 32 / 160, green 32 / 160, blue the checkerboard's 64.
    EXPECT_EQ(levelColors(texture, 1),
              (std::vector<D3DCOLOR>{0xFF202040, 0xFFA02040, 0xFF20A040, 0xFFA0A040}));
    EXPECT_EQ(levelColors(texture, 2), std::vector<D3DCOLOR>{0xFF606040});
    texture->Release();

    // Sizes that are no powers of two are kept (the device takes them), and
    // the chain runs down to 1 x 1.
    const Bytes odd = plainTga(2, 24, 5, 3, std::vector<D3DCOLOR>(15, 0xFF123456), false).bytes();
    ASSERT_EQ(D3DXCreateTextureFromFileInMemory(d.device(), odd.data(), UINT(odd.size()), &texture), D3D_OK);
    const Created got = describe(texture);
    EXPECT_EQ(got.width, 5u);
    EXPECT_EQ(got.height, 3u);
    EXPECT_EQ(got.levels, 3u);
    EXPECT_EQ(got.format, D3DFMT_R8G8B8);
    D3DSURFACE_DESC last{};
    texture->GetLevelDesc(2, &last);
    EXPECT_EQ(last.Width, 1u);
    EXPECT_EQ(last.Height, 1u);
    EXPECT_EQ(levelColors(texture, 2), std::vector<D3DCOLOR>{0xFF123456});
    texture->Release();
}

// An image scaled into a texture of another size: point sampling repeats
// texels, the triangle filter averages what it shrinks, and no filter
// leaves the image at the top left with transparent black around it.
TEST(D3DXTextureCreate, ImagesAreScaledIntoOtherSizes) {
    zep::test::D3DTestDevice d;
    ZEP_REQUIRE_D3D_DEVICE(d);
    const D3DCOLOR a = 0xFFFF0000, b = 0xFF00FF00, c = 0xFF0000FF, e = 0xFFFFFFFF;
    const Bytes small = plainTga(2, 32, 2, 2, {a, b, c, e}, true, 8).bytes();
    auto loadAs = [&](const Bytes& file, UINT size, DWORD filter) {
        IDirect3DTexture8* texture = nullptr;
        EXPECT_EQ(D3DXCreateTextureFromFileInMemoryEx(d.device(), file.data(), UINT(file.size()), size, size, 1, 0,
                                                      D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, filter, D3DX_DEFAULT, 0,
                                                      nullptr, nullptr, &texture),
                  D3D_OK);
        std::vector<D3DCOLOR> colors = texture ? levelColors(texture, 0) : std::vector<D3DCOLOR>{};
        if (texture) texture->Release();
        return colors;
    };
    EXPECT_EQ(loadAs(small, 4, D3DX_FILTER_POINT),
              (std::vector<D3DCOLOR>{a, a, b, b, a, a, b, b, c, c, e, e, c, c, e, e}));
    EXPECT_EQ(loadAs(small, 3, D3DX_FILTER_NONE), (std::vector<D3DCOLOR>{a, b, 0, c, e, 0, 0, 0, 0}));
    const Bytes big = plainTga(2, 32, 4, 4, gradient4x4(), true, 8).bytes();
    EXPECT_EQ(loadAs(big, 2, D3DX_FILTER_TRIANGLE),
              (std::vector<D3DCOLOR>{0xFF202040, 0xFFA02040, 0xFF20A040, 0xFFA0A040}));
    // Linear magnification: the texel between red and green halfway mixed.
    const std::vector<D3DCOLOR> linear = loadAs(small, 4, D3DX_FILTER_LINEAR);
    ASSERT_EQ(linear.size(), 16u);
    EXPECT_EQ(linear[0], a);
    EXPECT_TRUE(zep::test::colorNear(linear[1], 0xFFBF4000, 1));
}

TEST(D3DXTextureCreate, BadArgumentsAndUndecodableData) {
    zep::test::D3DTestDevice d;
    ZEP_REQUIRE_D3D_DEVICE(d);
    const Bytes file = plainTga(2, 24, 2, 2, {0, 0, 0, 0}, false).bytes();
    IDirect3DTexture8* texture = nullptr;
    auto create = [&](const void* data, UINT size, DWORD filter, DWORD mipFilter) {
        return D3DXCreateTextureFromFileInMemoryEx(d.device(), data, size, D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT, 0,
                                                   D3DFMT_UNKNOWN, D3DPOOL_MANAGED, filter, mipFilter, 0, nullptr,
                                                   nullptr, &texture);
    };
    EXPECT_EQ(create(nullptr, 10, D3DX_DEFAULT, D3DX_DEFAULT), D3DERR_INVALIDCALL);
    EXPECT_EQ(create(file.data(), 0, D3DX_DEFAULT, D3DX_DEFAULT), D3DERR_INVALIDCALL);
    EXPECT_EQ(create(file.data(), UINT(file.size()), 0, D3DX_DEFAULT), D3DERR_INVALIDCALL);
    EXPECT_EQ(create(file.data(), UINT(file.size()), 6, D3DX_DEFAULT), D3DERR_INVALIDCALL);
    EXPECT_EQ(create(file.data(), UINT(file.size()), D3DX_DEFAULT, 0x10), D3DERR_INVALIDCALL);
    const char garbage[] = "this is no image at all";
    EXPECT_EQ(create(garbage, sizeof garbage, D3DX_DEFAULT, D3DX_DEFAULT), D3DXERR_INVALIDDATA);
    const char dds[] = "DDS \x7C\0\0\0 a surface this reader does not take";
    EXPECT_EQ(create(dds, sizeof dds, D3DX_DEFAULT, D3DX_DEFAULT), D3DXERR_INVALIDDATA);
    EXPECT_EQ(texture, nullptr);
    EXPECT_EQ(D3DXCreateTextureFromFileInMemory(d.device(), file.data(), UINT(file.size()), nullptr),
              D3DERR_INVALIDCALL);
}

TEST(D3DXTextureCreate, VolumeTextures) {
    zep::test::D3DTestDevice d;
    ZEP_REQUIRE_D3D_DEVICE(d);
    // The terrain's detail textures: 512 x 512 x 4, tightly packed.
    IDirect3DVolumeTexture8* volume = nullptr;
    ASSERT_EQ(D3DXCreateVolumeTexture(d.device(), 512, 512, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &volume), D3D_OK);
    EXPECT_EQ(volume->GetLevelCount(), 1u);
    D3DLOCKED_BOX box{};
    ASSERT_EQ(volume->LockBox(0, &box, nullptr, 0), D3D_OK);
    EXPECT_EQ(box.RowPitch, 2048);
    EXPECT_EQ(box.SlicePitch, 1048576);
    volume->UnlockBox(0);
    volume->Release();

    // Clamped to the largest extent, full chains by default, formats fitted.
    ASSERT_EQ(D3DXCreateVolumeTexture(d.device(), 2048, 16, 0, 0, 0, D3DFMT_X4R4G4B4, D3DPOOL_MANAGED, &volume), D3D_OK);
    D3DVOLUME_DESC desc{};
    volume->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Width, 512u);
    EXPECT_EQ(desc.Height, 16u);
    EXPECT_EQ(desc.Depth, 1u);
    EXPECT_EQ(desc.Format, D3DFMT_X1R5G5B5);
    EXPECT_EQ(volume->GetLevelCount(), 10u);
    volume->Release();

    EXPECT_EQ(D3DXCreateVolumeTexture(d.device(), 4, 4, 4, 1, 0, D3DFMT_D24S8, D3DPOOL_MANAGED, &volume),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(volume, nullptr);
    EXPECT_EQ(D3DXCreateVolumeTexture(nullptr, 4, 4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &volume),
              D3DERR_INVALIDCALL);
}

// A fresh folder of this test's own, removed afterwards.
class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "zep-d3dx-XXXXXX").string();
        if (mkdtemp(pattern.data())) path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    const std::filesystem::path& path() const { return path_; }

    void write(const std::string& relative, const Bytes& bytes) const {
        const std::filesystem::path file = path_ / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }

private:
    std::filesystem::path path_;
};

// Files are named as the engine names them: backslashes and upper case,
// whatever the case on disk.
TEST(D3DXTextureCreate, FilesByWindowsStyleNames) {
    zep::test::D3DTestDevice d;
    ZEP_REQUIRE_D3D_DEVICE(d);
    TempFolder folder;
    ASSERT_FALSE(folder.path().empty());
    const std::vector<D3DCOLOR> texels = {0xFFFF00FF, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
    folder.write("Textures/s_Key.tga", plainTga(2, 24, 2, 2, texels, true).bytes());
    const std::string windowsName = folder.path().string() + "\\TEXTURES\\S_KEY.TGA";

    // The engine's S_ rule: file size, full chain, A1R5G5B5, no filter,
    // linear mips, magenta keyed.
    IDirect3DTexture8* texture = nullptr;
    D3DXIMAGE_INFO info{};
    ASSERT_EQ(D3DXCreateTextureFromFileExA(d.device(), windowsName.c_str(), 2, 2, D3DX_DEFAULT, 0, D3DFMT_A1R5G5B5,
                                           D3DPOOL_MANAGED, D3DX_FILTER_NONE, D3DX_FILTER_LINEAR, 0xFFFF00FF, &info,
                                           nullptr, &texture),
              D3D_OK);
    EXPECT_EQ(info.Format, D3DFMT_R8G8B8);
    EXPECT_EQ(levelWords(texture, 0), (std::vector<WORD>{0x0000, 0x83E0, 0x801F, 0xFFFF}));
    texture->Release();

    ASSERT_EQ(D3DXCreateTextureFromFileA(d.device(), windowsName.c_str(), &texture), D3D_OK);
    EXPECT_EQ(describe(texture).format, D3DFMT_R8G8B8);
    texture->Release();

    D3DXIMAGE_INFO only{};
    ASSERT_EQ(D3DXGetImageInfoFromFileA(windowsName.c_str(), &only), D3D_OK);
    EXPECT_EQ(only.Width, 2u);
    EXPECT_EQ(only.ImageFileFormat, D3DXIFF_TGA);

    const std::string missing = folder.path().string() + "\\TEXTURES\\NONE.TGA";
    EXPECT_EQ(D3DXCreateTextureFromFileExA(d.device(), missing.c_str(), 0, 0, 0, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED,
                                           D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr, nullptr, &texture),
              D3DXERR_INVALIDDATA);
    EXPECT_EQ(texture, nullptr);
}

// The terrain's colour map: a file loaded whole into the top level of a
// render-target texture with the linear filter, scaled to fit.
TEST(D3DXTextureCreate, SurfaceFromFileIntoARenderTarget) {
    zep::test::D3DTestDevice d;
    ZEP_REQUIRE_D3D_DEVICE(d);
    TempFolder folder;
    ASSERT_FALSE(folder.path().empty());
    std::vector<D3DCOLOR> texels(64, 0xFF00FF00);
    for (int i = 0; i < 32; ++i) texels[i] = 0xFFFF0000;  // top half red
    folder.write("terrain/color.tga", plainTga(2, 24, 8, 8, texels, false).bytes());

    IDirect3DTexture8* target = nullptr;
    ASSERT_EQ(D3DXCreateTexture(d.device(), 16, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &target),
              D3D_OK);
    IDirect3DSurface8* top = nullptr;
    target->GetSurfaceLevel(0, &top);
    D3DXIMAGE_INFO info{};
    ASSERT_EQ(D3DXLoadSurfaceFromFileA(top, nullptr, nullptr, (folder.path().string() + "/TERRAIN/COLOR.TGA").c_str(),
                                       nullptr, D3DX_FILTER_LINEAR, 0, &info),
              D3D_OK);
    EXPECT_EQ(info.Width, 8u);
    const zep::test::Image image = d.readSurface(top);
    top->Release();
    target->Release();
    zep::test::expectColorNear(image.at(8, 3), 0xFFFF0000);
    zep::test::expectColorNear(image.at(8, 12), 0xFF00FF00);
    // The rows at the seam are blended.
    const D3DCOLOR seam = image.at(8, 7);
    EXPECT_GT((seam >> 16) & 0xFF, 0x20u);
    EXPECT_GT((seam >> 8) & 0xFF, 0x20u);
}

// The engine's ReloadTexture shapes: a source rectangle of memory in one
// format, converted, placed or scaled into a level of another.
TEST(D3DXTextureCreate, SurfaceFromMemoryWithRectanglesAndConversion) {
    zep::test::D3DTestDevice d;
    ZEP_REQUIRE_D3D_DEVICE(d);
    // 4 x 4 R5G6B5 source: each texel's red is its x, blue its y (in 5-bit steps).
    std::vector<WORD> source;
    for (WORD y = 0; y < 4; ++y)
        for (WORD x = 0; x < 4; ++x) source.push_back(WORD((x * 8) << 11 | (y * 8)));
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(D3DXCreateTexture(d.device(), 2, 2, 1, 0, D3DFMT_A4R4G4B4, D3DPOOL_MANAGED, &texture), D3D_OK);
    IDirect3DSurface8* level = nullptr;
    texture->GetSurfaceLevel(0, &level);

    const RECT inner{1, 2, 3, 4};
    ASSERT_EQ(D3DXLoadSurfaceFromMemory(level, nullptr, nullptr, source.data(), D3DFMT_R5G6B5, 8, nullptr, &inner,
                                        D3DX_FILTER_NONE, 0),
              D3D_OK);
    // Red 8/31 -> 4/15, 16/31 -> 8/15; blue 16/31 -> 8/15, 24/31 -> 12/15; alpha full.
    EXPECT_EQ(levelWords(texture, 0), (std::vector<WORD>{0xF408, 0xF808, 0xF40C, 0xF80C}));

    // The whole source shrunk into the level: each texel the 2 x 2 average.
    const RECT whole{0, 0, 4, 4};
    ASSERT_EQ(D3DXLoadSurfaceFromMemory(level, nullptr, nullptr, source.data(), D3DFMT_R5G6B5, 8, nullptr, &whole,
                                        D3DX_FILTER_TRIANGLE, 0),
              D3D_OK);
    EXPECT_EQ(levelWords(texture, 0), (std::vector<WORD>{0xF202, 0xFA02, 0xF20A, 0xFA0A}));

    // Into a destination rectangle only: the rest of the level stays.
    const RECT corner{1, 1, 2, 2};
    const D3DCOLOR white = 0xFFFFFFFF;
    const RECT one{0, 0, 1, 1};
    ASSERT_EQ(D3DXLoadSurfaceFromMemory(level, nullptr, &corner, &white, D3DFMT_A8R8G8B8, 4, nullptr, &one,
                                        D3DX_FILTER_NONE, 0),
              D3D_OK);
    EXPECT_EQ(levelWords(texture, 0), (std::vector<WORD>{0xF202, 0xFA02, 0xF20A, 0xFFFF}));

    // Bad arguments.
    const RECT empty{2, 2, 2, 3}, outside{0, 0, 3, 3}, negative{-1, 0, 1, 1};
    EXPECT_EQ(D3DXLoadSurfaceFromMemory(level, nullptr, nullptr, source.data(), D3DFMT_R5G6B5, 8, nullptr, nullptr,
                                        D3DX_FILTER_NONE, 0),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXLoadSurfaceFromMemory(level, nullptr, nullptr, source.data(), D3DFMT_R5G6B5, 8, nullptr, &empty,
                                        D3DX_FILTER_NONE, 0),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXLoadSurfaceFromMemory(level, nullptr, nullptr, source.data(), D3DFMT_R5G6B5, 8, nullptr, &negative,
                                        D3DX_FILTER_NONE, 0),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXLoadSurfaceFromMemory(level, nullptr, &outside, source.data(), D3DFMT_R5G6B5, 8, nullptr, &whole,
                                        D3DX_FILTER_NONE, 0),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXLoadSurfaceFromMemory(level, nullptr, nullptr, source.data(), D3DFMT_R5G6B5, 4, nullptr, &whole,
                                        D3DX_FILTER_NONE, 0),
              D3DERR_INVALIDCALL);  // a pitch shorter than a row
    EXPECT_EQ(D3DXLoadSurfaceFromMemory(level, nullptr, nullptr, source.data(), D3DFMT_DXT1, 8, nullptr, &whole,
                                        D3DX_FILTER_NONE, 0),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXLoadSurfaceFromMemory(level, nullptr, nullptr, source.data(), D3DFMT_P8, 8, nullptr, &whole,
                                        D3DX_FILTER_NONE, 0),
              D3DERR_INVALIDCALL);  // palette indices without a palette
    EXPECT_EQ(D3DXLoadSurfaceFromMemory(level, nullptr, nullptr, source.data(), D3DFMT_R5G6B5, 8, nullptr, &whole, 7,
                                        0),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXLoadSurfaceFromMemory(nullptr, nullptr, nullptr, source.data(), D3DFMT_R5G6B5, 8, nullptr, &whole,
                                        D3DX_FILTER_NONE, 0),
              D3DERR_INVALIDCALL);
    level->Release();
    texture->Release();
}

// A surface that cannot be locked (a multisampled back buffer) is read
// through a copy; a part of it lands converted in a texture level.
TEST(D3DXTextureCreate, SurfaceFromASurfaceThatCannotBeLocked) {
    zep::test::TestDeviceOptions options;
    options.multiSample = D3DMULTISAMPLE_4_SAMPLES;
    zep::test::D3DTestDevice d(options);
    ZEP_REQUIRE_D3D_DEVICE(d);
    const D3DRECT left{0, 0, 32, 64};
    d->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0);
    d->Clear(1, &left, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0);
    IDirect3DSurface8* back = nullptr;
    ASSERT_EQ(d->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
    D3DLOCKED_RECT locked{};
    ASSERT_NE(back->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);

    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(D3DXCreateTexture(d.device(), 2, 1, 1, 0, D3DFMT_R5G6B5, D3DPOOL_MANAGED, &texture), D3D_OK);
    IDirect3DSurface8* level = nullptr;
    texture->GetSurfaceLevel(0, &level);
    const RECT across{30, 10, 34, 12};  // two texels each side of the edge
    EXPECT_EQ(D3DXLoadSurfaceFromSurface(level, nullptr, nullptr, back, nullptr, &across, D3DX_FILTER_BOX, 0), D3D_OK);
    EXPECT_EQ(levelWords(texture, 0), (std::vector<WORD>{0xF800, 0x001F}));
    EXPECT_EQ(D3DXLoadSurfaceFromSurface(level, nullptr, nullptr, level, nullptr, nullptr, D3DX_FILTER_NONE, 0),
              D3DERR_INVALIDCALL);
    level->Release();
    texture->Release();
    back->Release();
}

TEST(D3DXTextureCreate, ErrorStringsAreNamedAndFitTheBuffer) {
    char text[128];
    ASSERT_EQ(D3DXGetErrorStringA(D3DERR_INVALIDCALL, text, sizeof text), D3D_OK);
    EXPECT_NE(std::string(text).find("D3DERR_INVALIDCALL"), std::string::npos);
    ASSERT_EQ(D3DXGetErrorString(D3DXERR_INVALIDDATA, text, sizeof text), D3D_OK);
    EXPECT_NE(std::string(text).find("D3DXERR_INVALIDDATA"), std::string::npos);
    ASSERT_EQ(D3DXGetErrorStringA(D3DERR_OUTOFVIDEOMEMORY, text, sizeof text), D3D_OK);
    EXPECT_NE(std::string(text).find("D3DERR_OUTOFVIDEOMEMORY"), std::string::npos);
    ASSERT_EQ(D3DXGetErrorStringA(HRESULT(0x80001234), text, sizeof text), D3D_OK);
    EXPECT_EQ(std::string(text), "Unknown error 0x80001234");

    // A short buffer holds the start of the text and its terminator, and
    // nothing is written past it.
    char small[12];
    std::memset(small, '#', sizeof small);
    ASSERT_EQ(D3DXGetErrorStringA(D3DERR_INVALIDCALL, small, 8), D3D_OK);
    EXPECT_EQ(std::string(small), "D3DERR_");
    EXPECT_EQ(small[8], '#');
    EXPECT_EQ(D3DXGetErrorStringA(D3DERR_INVALIDCALL, small, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXGetErrorStringA(D3DERR_INVALIDCALL, nullptr, 8), D3DERR_INVALIDCALL);
}

}  // namespace
