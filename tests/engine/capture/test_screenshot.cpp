// Screenshots: TGA, BMP and JPEG files of the back buffer, the render
// target and the front buffer, read back and compared with the screen by
// the nearest-sampling rule; texture levels through SaveSurface; the hue.

#include "../engine_test_host.h"

#include "d3d8/d3d_test_device.h"

#include <d3dx8.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "d3dx/stb_image_private.h"

namespace {

using zep::test::EngineTestHost;
using zep::test::Lines;
using zep::visual::Image;

using Bytes = std::vector<uint8_t>;

constexpr int kScreenWidth = 160;
constexpr int kScreenHeight = 120;

Bytes readFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint32_t word16(const Bytes& b, size_t at) { return uint32_t(b[at]) | (uint32_t(b[at + 1]) << 8); }
uint32_t word32(const Bytes& b, size_t at) { return word16(b, at) | (word16(b, at + 2) << 16); }

// A decoded file: opaque colours, top row first.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<D3DCOLOR> pixels;
    D3DCOLOR at(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

D3DCOLOR opaque(uint8_t r, uint8_t g, uint8_t b) { return 0xFF000000u | (uint32_t(r) << 16) | (uint32_t(g) << 8) | b; }

// Rows of blue, green, red from the bottom up, each `rowSize` long.
Picture bottomUpRows(const Bytes& file, size_t offset, int width, int height, size_t rowSize) {
    Picture p{width, height, std::vector<D3DCOLOR>(size_t(width) * size_t(height))};
    for (int row = 0; row < height; ++row) {
        const uint8_t* in = file.data() + offset + size_t(row) * rowSize;
        D3DCOLOR* out = p.pixels.data() + size_t(height - 1 - row) * size_t(width);
        for (int x = 0; x < width; ++x, in += 3) out[x] = opaque(in[2], in[1], in[0]);
        for (size_t pad = size_t(width) * 3; pad < rowSize; ++pad, ++in) EXPECT_EQ(*in, 0) << "row padding";
    }
    return p;
}

// An uncompressed 24-bit TGA, every header field checked.
Picture parseTga(const Bytes& file) {
    if (file.size() < 18) {
        ADD_FAILURE() << "TGA of " << file.size() << " bytes";
        return {};
    }
    const Bytes expectedStart = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 12), expectedStart);
    const int width = int(word16(file, 12)), height = int(word16(file, 14));
    EXPECT_EQ(file[16], 24);
    EXPECT_EQ(file[17], 0);
    if (file.size() != 18 + size_t(width) * size_t(height) * 3) {
        ADD_FAILURE() << "TGA of " << file.size() << " bytes for " << width << " x " << height;
        return {};
    }
    return bottomUpRows(file, 18, width, height, size_t(width) * 3);
}

// A 24-bit BMP with its 54-byte headers, every field checked.
Picture parseBmp(const Bytes& file) {
    if (file.size() < 54 || file[0] != 'B' || file[1] != 'M') {
        ADD_FAILURE() << "not a BMP";
        return {};
    }
    const int width = int(word32(file, 18)), height = int(word32(file, 22));
    const size_t rowSize = (size_t(width) * 3 + 3) / 4 * 4;
    EXPECT_EQ(word32(file, 2), file.size());
    EXPECT_EQ(word32(file, 6), 0u);
    EXPECT_EQ(word32(file, 10), 54u);
    EXPECT_EQ(word32(file, 14), 40u);
    EXPECT_EQ(word16(file, 26), 1u);
    EXPECT_EQ(word16(file, 28), 24u);
    EXPECT_EQ(word32(file, 30), 0u);
    EXPECT_EQ(word32(file, 34), rowSize * size_t(height));
    EXPECT_EQ(word32(file, 38), 3780u);
    EXPECT_EQ(word32(file, 42), 3780u);
    EXPECT_EQ(word32(file, 46), 0u);
    EXPECT_EQ(word32(file, 50), 0u);
    if (file.size() != 54 + rowSize * size_t(height)) {
        ADD_FAILURE() << "BMP of " << file.size() << " bytes for " << width << " x " << height;
        return {};
    }
    return bottomUpRows(file, 54, width, height, rowSize);
}

// Any image stb_image reads, with its alpha.
Picture decode(const Bytes& file) {
    int width = 0, height = 0, channels = 0;
    stbi_uc* rgba = stbi_load_from_memory(file.data(), int(file.size()), &width, &height, &channels, 4);
    if (!rgba) {
        ADD_FAILURE() << "undecodable image of " << file.size() << " bytes";
        return {};
    }
    Picture p{width, height, std::vector<D3DCOLOR>(size_t(width) * size_t(height))};
    for (size_t i = 0; i < p.pixels.size(); ++i) {
        const stbi_uc* t = rgba + 4 * i;
        p.pixels[i] = (uint32_t(t[3]) << 24) | (uint32_t(t[0]) << 16) | (uint32_t(t[1]) << 8) | t[2];
    }
    stbi_image_free(rgba);
    return p;
}

// The picture a screenshot of `screen` at width x height holds: steps of
// screen size / output size, summed per pixel and truncated; bottom-up
// files start at the last screen row.
Picture sampled(const Image& screen, int width, int height, bool bottomUp) {
    Picture p{width, height, std::vector<D3DCOLOR>(size_t(width) * size_t(height))};
    const float stepX = float(screen.width) / float(width), stepY = float(screen.height) / float(height);
    float row = bottomUp ? float(screen.height - 1) : 0.0f;
    for (int j = 0; j < height; ++j, row += bottomUp ? -stepY : stepY) {
        float column = 0.0f;
        const int y = bottomUp ? height - 1 - j : j;
        D3DCOLOR* out = p.pixels.data() + size_t(y) * size_t(width);
        for (int x = 0; x < width; ++x, column += stepX) out[x] = screen.at(UINT(int(column)), UINT(int(row)));
    }
    return p;
}

::testing::AssertionResult samePictures(const Picture& actual, const Picture& expected) {
    if (actual.width != expected.width || actual.height != expected.height)
        return ::testing::AssertionFailure() << "size " << actual.width << " x " << actual.height << ", expected "
                                             << expected.width << " x " << expected.height;
    for (int y = 0; y < actual.height; ++y)
        for (int x = 0; x < actual.width; ++x)
            if (actual.at(x, y) != expected.at(x, y))
                return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is " << std::hex
                                                     << actual.at(x, y) << ", expected " << expected.at(x, y);
    return ::testing::AssertionSuccess();
}

class Screenshot : public EngineTestHost {
public:
    void SetUp() override {
        EngineTestHost::SetUp();
        ASSERT_TRUE(open(kScreenWidth, kScreenHeight));
        device = zep::graphics().device;
    }

    // Every pixel of the screen its own colour: red counts columns, green
    // rows, so a sample taken one pixel off shows.
    void drawPixelPattern() {
        ASSERT_EQ(BeginRenderClear(1), 1);
        struct Point {
            float x, y, z, rhw;
            DWORD colour;
        };
        std::vector<Point> points;
        for (int y = 0; y < kScreenHeight; ++y)
            for (int x = 0; x < kScreenWidth; ++x)
                points.push_back({float(x), float(y), 0.5f, 1.0f, opaque(uint8_t(x), uint8_t(y), 0x40)});
        useVertexColours();
        device->SetVertexShader(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
        ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_POINTLIST, UINT(points.size()), points.data(), sizeof(Point)), D3D_OK);
        screen = readBackBuffer();
        ASSERT_EQ(screen.at(0, 0), opaque(0, 0, 0x40));
        ASSERT_EQ(screen.at(159, 119), opaque(159, 119, 0x40));
        ASSERT_EQ(screen.at(37, 81), opaque(37, 81, 0x40));
    }

    // Four flat quarters: red, green at the top; blue, white at the bottom.
    void drawQuarters() {
        ASSERT_EQ(BeginRenderClear(1), 1);
        const D3DRECT quarters[] = {{0, 0, 80, 60}, {80, 0, 160, 60}, {0, 60, 80, 120}, {80, 60, 160, 120}};
        const D3DCOLOR colours[] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
        for (int i = 0; i < 4; ++i) device->Clear(1, &quarters[i], D3DCLEAR_TARGET, colours[i], 1.0f, 0);
    }

    void useVertexColours() {
        device->SetRenderState(D3DRS_LIGHTING, 0);
        device->SetRenderState(D3DRS_ZENABLE, 0);
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
        device->SetRenderState(D3DRS_ALPHATESTENABLE, 0);
        device->SetTexture(0, nullptr);
        device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
        device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
        device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
    }

    static bool exists(const char* name) { return std::filesystem::exists(name); }

    IDirect3DDevice8* device = nullptr;
    Image screen;
};

TEST_F(Screenshot, TgaAndBmpHoldTheScreenScaledByNearestSampling) {
    drawPixelPattern();
    struct Size {
        int32_t width, height;  // as asked
        int fileWidth, fileHeight;
    };
    const Size sizes[] = {
        {0, 0, 160, 120},     // 0: the viewport's size
        {-3, 7, 160, 7},      // negative too
        {80, 60, 80, 60},     // every second pixel of every second row
        {3, 5, 3, 5},         // BMP rows of 9 bytes padded to 12
        {320, 240, 320, 240}, // scaled up
        {7, 1000, 7, 1000},
    };
    for (const Size& s : sizes) {
        SCOPED_TRACE(testing::Message() << s.width << " x " << s.height);
        const Picture expected = sampled(screen, s.fileWidth, s.fileHeight, true);
        ASSERT_EQ(savetga("shot.tga", ZEP_CAPTURE_BACK_BUFFER, s.width, s.height), 1);
        EXPECT_TRUE(samePictures(parseTga(readFile("shot.tga")), expected));
        ASSERT_EQ(savebmp("shot.bmp", ZEP_CAPTURE_BACK_BUFFER, s.width, s.height), 1);
        EXPECT_TRUE(samePictures(parseBmp(readFile("shot.bmp")), expected));
    }

    // Halving: the file starts with the bottom screen row, taking columns
    // 0, 2, 4, ... of rows 119, 117, ...
    ASSERT_EQ(savetga("half.tga", ZEP_CAPTURE_BACK_BUFFER, 80, 60), 1);
    const Bytes half = readFile("half.tga");
    ASSERT_EQ(half.size(), 18u + 80 * 60 * 3);
    const auto filePixel = [&half](size_t index) {
        const uint8_t* p = half.data() + 18 + 3 * index;
        return opaque(p[2], p[1], p[0]);
    };
    EXPECT_EQ(filePixel(0), opaque(0, 119, 0x40));
    EXPECT_EQ(filePixel(1), opaque(2, 119, 0x40));
    EXPECT_EQ(filePixel(80), opaque(0, 117, 0x40));
    EXPECT_EQ(filePixel(80 * 60 - 1), opaque(158, 1, 0x40));

    // The BMP of width 3: 12-byte rows, sizes to match.
    ASSERT_EQ(savebmp("narrow.bmp", ZEP_CAPTURE_BACK_BUFFER, 3, 5), 1);
    const Bytes narrow = readFile("narrow.bmp");
    ASSERT_EQ(narrow.size(), 54u + 12 * 5);
    EXPECT_EQ(word32(narrow, 34), 12u * 5);
    EXPECT_EQ(word32(narrow, 2), 54u + 12 * 5);
}

TEST_F(Screenshot, JpegHoldsTheScreenTopRowFirst) {
    drawQuarters();
    struct Size {
        int32_t width, height;
        int fileWidth, fileHeight;
    };
    for (const Size& s : {Size{0, 0, 160, 120}, Size{80, 60, 80, 60}, Size{320, 120, 320, 120}}) {
        SCOPED_TRACE(testing::Message() << s.width << " x " << s.height);
        ASSERT_EQ(savejpg("shot.jpg", ZEP_CAPTURE_BACK_BUFFER, s.width, s.height, 90.0f), 1);
        const Picture p = decode(readFile("shot.jpg"));
        ASSERT_EQ(p.width, s.fileWidth);
        ASSERT_EQ(p.height, s.fileHeight);
        const int qx = s.fileWidth / 4, qy = s.fileHeight / 4;
        EXPECT_TRUE(zep::test::colorNear(p.at(qx, qy), 0xFFFF0000, 8));
        EXPECT_TRUE(zep::test::colorNear(p.at(3 * qx, qy), 0xFF00FF00, 8));
        EXPECT_TRUE(zep::test::colorNear(p.at(qx, 3 * qy), 0xFF0000FF, 8));
        EXPECT_TRUE(zep::test::colorNear(p.at(3 * qx, 3 * qy), 0xFFFFFFFF, 8));
    }
}

TEST_F(Screenshot, JpegQualityIsTakenAsAWholeNumberFrom1To100) {
    drawPixelPattern();
    const auto jpegAt = [](float quality) {
        EXPECT_EQ(savejpg("q.jpg", ZEP_CAPTURE_BACK_BUFFER, 0, 0, quality), 1);
        return readFile("q.jpg");
    };
    const Bytes q1 = jpegAt(1.0f), q50 = jpegAt(50.0f), q100 = jpegAt(100.0f);
    EXPECT_NE(q1, q100);
    EXPECT_NE(q1, q50);
    EXPECT_EQ(jpegAt(0.0f), q1);
    EXPECT_EQ(jpegAt(-20.0f), q1);
    EXPECT_EQ(jpegAt(1.9f), q1);
    EXPECT_EQ(jpegAt(50.7f), q50);
    EXPECT_EQ(jpegAt(150.0f), q100);
    EXPECT_EQ(jpegAt(1e30f), q100);
}

TEST_F(Screenshot, RenderTargetsOfEveryReadableFormatWidenTheirChannels) {
    IDirect3DSurface8* back = nullptr;
    IDirect3DSurface8* depth = nullptr;
    ASSERT_EQ(device->GetRenderTarget(&back), D3D_OK);
    device->GetDepthStencilSurface(&depth);

    struct Case {
        D3DFORMAT format;
        D3DCOLOR white;  // white as the file holds it
    };
    const Case cases[] = {{D3DFMT_R5G6B5, opaque(248, 252, 248)},
                          {D3DFMT_X1R5G5B5, opaque(248, 248, 248)},
                          {D3DFMT_A1R5G5B5, opaque(248, 248, 248)},
                          {D3DFMT_X8R8G8B8, opaque(255, 255, 255)},
                          {D3DFMT_A8R8G8B8, opaque(255, 255, 255)}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "format " << int(c.format));
        IDirect3DTexture8* texture = nullptr;
        ASSERT_EQ(device->CreateTexture(32, 16, 1, D3DUSAGE_RENDERTARGET, c.format, D3DPOOL_DEFAULT, &texture), D3D_OK);
        IDirect3DSurface8* target = nullptr;
        texture->GetSurfaceLevel(0, &target);
        ASSERT_EQ(device->SetRenderTarget(target, nullptr), D3D_OK);
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0);
        const D3DRECT corner{0, 0, 8, 4};  // top left, red
        device->Clear(1, &corner, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0);

        // Any source but 0 and 1 is the render target; 0 x 0 would be the viewport.
        for (int32_t source : {ZEP_CAPTURE_RENDER_TARGET, 7}) {
            ASSERT_EQ(savetga("target.tga", source, 32, 16), 1);
            const Picture p = parseTga(readFile("target.tga"));
            ASSERT_EQ(p.width, 32);
            EXPECT_EQ(p.at(20, 10), c.white);
            EXPECT_EQ(p.at(2, 1) & 0xFFFF00FFu, c.white & 0xFFFF0000u);  // red in full, no blue
        }
        device->SetRenderTarget(back, depth);
        target->Release();
        texture->Release();
    }

    // A format the writers cannot read: nothing written.
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(device->CreateTexture(32, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A4R4G4B4, D3DPOOL_DEFAULT, &texture),
              D3D_OK);
    IDirect3DSurface8* target = nullptr;
    texture->GetSurfaceLevel(0, &target);
    device->SetRenderTarget(target, nullptr);
    const size_t mark = logMark();
    EXPECT_EQ(savetga("no.tga", ZEP_CAPTURE_RENDER_TARGET, 32, 16), 0);
    EXPECT_EQ(savebmp("no.bmp", ZEP_CAPTURE_RENDER_TARGET, 32, 16), 0);
    EXPECT_EQ(savejpg("no.jpg", ZEP_CAPTURE_RENDER_TARGET, 32, 16, 80.0f), 0);
    EXPECT_FALSE(exists("no.tga") || exists("no.bmp") || exists("no.jpg"));
    EXPECT_EQ(logLinesSince(mark), (Lines{"Error: [savetga] surface format 26 cannot be saved",
                                          "Error: [savebmp] surface format 26 cannot be saved",
                                          "Error: [savejpg] surface format 26 cannot be saved"}));
    device->SetRenderTarget(back, depth);
    target->Release();
    texture->Release();
    back->Release();
    if (depth) depth->Release();
}

TEST_F(Screenshot, TheFrontBufferShowsThePresentedPicture) {
    drawPixelPattern();
    ASSERT_EQ(savetga("back.tga", ZEP_CAPTURE_BACK_BUFFER, 0, 0), 1);
    ASSERT_EQ(RenderHWND(nullptr), 1);
    ASSERT_EQ(BeginRenderClear(1), 1);  // the back buffer moves on
    ASSERT_EQ(savetga("front.tga", ZEP_CAPTURE_FRONT_BUFFER, 0, 0), 1);
    EXPECT_EQ(readFile("front.tga"), readFile("back.tga"));
}

TEST_F(Screenshot, FailuresWriteNothingAndSayWhy) {
    drawQuarters();
    size_t mark = logMark();
    EXPECT_EQ(savetga("missing/shot.tga", ZEP_CAPTURE_BACK_BUFFER, 0, 0), 0);
    EXPECT_EQ(savebmp("missing/shot.bmp", ZEP_CAPTURE_BACK_BUFFER, 0, 0), 0);
    EXPECT_EQ(savejpg("missing/shot.jpg", ZEP_CAPTURE_BACK_BUFFER, 0, 0, 80.0f), 0);
    EXPECT_EQ(savetga("big.tga", ZEP_CAPTURE_BACK_BUFFER, 70000, 10), 0);
    EXPECT_EQ(logLinesSince(mark), (Lines{"Can't open: missing/shot.tga.", "Can't open: missing/shot.bmp.",
                                          "Can't open: missing/shot.jpg.", "Error: [savetga] no image of 70000 x 10"}));
    EXPECT_FALSE(exists("big.tga"));

    // Without a device there is nothing to capture.
    CloseZEPengine();
    EXPECT_EQ(savetga("closed.tga", ZEP_CAPTURE_BACK_BUFFER, 0, 0), 0);
    EXPECT_EQ(savejpg("closed.jpg", ZEP_CAPTURE_BACK_BUFFER, 0, 0, 80.0f), 0);
    EXPECT_FALSE(exists("closed.tga") || exists("closed.jpg"));
}

TEST_F(Screenshot, AFileThatCannotBeWrittenToTheEndIsAFailure) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full to write into";
    drawPixelPattern();
    const size_t mark = logMark();
    EXPECT_EQ(savetga("/dev/full", ZEP_CAPTURE_BACK_BUFFER, 0, 0), 0);
    EXPECT_EQ(savebmp("/dev/full", ZEP_CAPTURE_BACK_BUFFER, 0, 0), 0);
    // libjpeg's write error comes back to the engine instead of ending the
    // process.
    EXPECT_EQ(savejpg("/dev/full", ZEP_CAPTURE_BACK_BUFFER, 0, 0, 100.0f), 0);
    const Lines lines = logLinesSince(mark);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "Can't write: /dev/full.");
    EXPECT_EQ(lines[1], "Can't write: /dev/full.");
    EXPECT_EQ(lines[2].rfind("Error: [savejpg] ", 0), 0u) << lines[2];
    EXPECT_EQ(lines[3], "Can't write: /dev/full.");
}

TEST_F(Screenshot, SaveSurfaceWritesOneLevelOfAListedTexture) {
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(device->CreateTexture(4, 4, 2, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    const D3DCOLOR levelColours[] = {0xFFFF0000, 0x8000FF00};
    for (UINT level = 0; level < 2; ++level) {
        D3DLOCKED_RECT locked{};
        ASSERT_EQ(texture->LockRect(level, &locked, nullptr, 0), D3D_OK);
        const UINT side = 4 >> level;
        for (UINT y = 0; y < side; ++y)
            for (UINT x = 0; x < side; ++x)
                static_cast<D3DCOLOR*>(locked.pBits)[y * UINT(locked.Pitch) / 4 + x] = levelColours[level];
        texture->UnlockRect(level);
    }
    const int32_t handle = AddTextureToList("SAVED", texture);
    ASSERT_GE(handle, 0);

    ASSERT_EQ(SaveSurface(handle, 0, "level0.tga", D3DXIFF_TGA), 1);
    Picture p = decode(readFile("level0.tga"));
    ASSERT_EQ(p.width, 4);
    EXPECT_EQ(p.at(3, 3), levelColours[0]);
    ASSERT_EQ(SaveSurface(handle, 1, "level1.png", D3DXIFF_PNG), 1);
    p = decode(readFile("level1.png"));
    ASSERT_EQ(p.width, 2);
    EXPECT_EQ(p.at(1, 1), levelColours[1]);  // alpha kept

    const auto errorText = [](HRESULT result) {
        char text[256];
        D3DXGetErrorStringA(result, text, sizeof text);
        return std::string(text);
    };
    const size_t mark = logMark();
    EXPECT_EQ(SaveSurface(-1, 0, "bad.tga", D3DXIFF_TGA), 0);
    EXPECT_EQ(SaveSurface(ZEP_MAX_TEXTURES + 5, 0, "bad.tga", D3DXIFF_TGA), 0);
    EXPECT_EQ(SaveSurface(handle + 1, 0, "bad.tga", D3DXIFF_TGA), 0);  // an empty entry
    EXPECT_EQ(SaveSurface(handle, 2, "bad.tga", D3DXIFF_TGA), 0);
    EXPECT_EQ(SaveSurface(handle, -1, "bad.tga", D3DXIFF_TGA), 0);
    EXPECT_EQ(SaveSurface(handle, 0, "bad.dds", D3DXIFF_DDS), 0);
    EXPECT_EQ(SaveSurface(handle, 0, "missing/bad.tga", D3DXIFF_TGA), 0);
    EXPECT_EQ(logLinesSince(mark),
              (Lines{"Error: [SaveSurface] no texture -1",
                     "Error: [SaveSurface] no texture " + std::to_string(ZEP_MAX_TEXTURES + 5),
                     "Error: [SaveSurface] no texture " + std::to_string(handle + 1),
                     "Error: [SaveSurface] no level 2", "Error: [SaveSurface] no level -1",
                     "Error: [SaveSurface] " + errorText(D3DERR_INVALIDCALL),
                     "Error: [SaveSurface] " + errorText(E_FAIL)}));
    EXPECT_FALSE(exists("bad.tga") || exists("bad.dds"));
}

TEST(Hue, ToHLSGivesTheHueInDegrees) {
    struct Case {
        float r, g, b;
        float hue;
    };
    const Case cases[] = {
        {255, 0, 0, 360.0f},  // only values above 360 come down
        {0, 255, 0, 120.0f},
        {0, 0, 255, 240.0f},
        {128, 128, 128, 0.0f},
        {255, 0, 255, 300.0f},
        {255, 128, 0, (7.0f - 127.0f / 255.0f) * 60.0f - 360.0f},  // 30.1
        {255, 255, 0, 60.0f},   // a tie: the later channel wins
        {0, 255, 255, 180.0f},
        {255.9f, 0.5f, 0, 360.0f},  // fractions dropped
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.r << ", " << c.g << ", " << c.b);
        EXPECT_NEAR(ToHLS(c.r, c.g, c.b), c.hue, 1e-3f);
    }
}

}  // namespace
