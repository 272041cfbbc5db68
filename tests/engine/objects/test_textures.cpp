// The texture list and host-made textures: registering, the reset that
// starts the list at 3 again, filtering and stage-0 selection, empty
// textures by load mode, levels filled from memory and copied out, and
// screen copies from the render target.

#include "../engine_test_host.h"

#include "objects/textures.h"

#include <d3dx8.h>

#include <array>
#include <cstring>
#include <string>

namespace {

using zep::test::EngineTestHost;
using zep::test::Lines;

class Textures_ : public EngineTestHost {
protected:
    static IDirect3DDevice8* device() { return zep::graphics().device; }

    static DWORD stageState(DWORD stage, D3DTEXTURESTAGESTATETYPE state) {
        DWORD value = 0xDEADBEEF;
        device()->GetTextureStageState(stage, state, &value);
        return value;
    }

    static IDirect3DTexture8* managedTexture(UINT width, UINT height, D3DFORMAT format) {
        IDirect3DTexture8* texture = nullptr;
        EXPECT_EQ(device()->CreateTexture(width, height, 1, 0, format, D3DPOOL_MANAGED, &texture), D3D_OK);
        return texture;
    }

    // The texture bound to stage 0, without keeping a reference.
    static IDirect3DBaseTexture8* boundTexture() {
        IDirect3DBaseTexture8* texture = nullptr;
        device()->GetTexture(0, &texture);
        if (texture) texture->Release();
        return texture;
    }
};

DWORD floatBits(float value) {
    DWORD bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

TEST_F(Textures_, RenderTextureIsListedAndHostTexturesFollow) {
    ASSERT_TRUE(open());
    const int32_t renderIndex = ZEPengine.renderTargetTextureIndex;
    ASSERT_GE(renderIndex, 0);
    EXPECT_STREQ(Textures[renderIndex].name, "@ScreenCopytexture");
    EXPECT_EQ(Textures[renderIndex].texture, ZEPengine.renderTargetTexture);
    EXPECT_EQ(Textures[renderIndex].format, int32_t(zep::displayFormat()));
    const int32_t next = ZEPengine.textureCount;
    ASSERT_EQ(next, 3);

    IDirect3DTexture8* texture = managedTexture(8, 4, D3DFMT_A8R8G8B8);
    const std::string longest(29, 'n');
    ASSERT_EQ(AddTextureToList(longest.c_str(), texture), next);
    EXPECT_EQ(ZEPengine.textureCount, next + 1);
    const TextureEntry& entry = Textures[next];
    EXPECT_EQ(entry.name, longest);
    EXPECT_EQ(entry.texture, texture);
    EXPECT_EQ(entry.spare, nullptr);
    EXPECT_EQ(entry.spareFormat, -1);
    EXPECT_EQ(entry.width, 8);
    EXPECT_EQ(entry.height, 4);
    EXPECT_EQ(entry.format, int32_t(D3DFMT_A8R8G8B8));

    const size_t mark = logMark();
    EXPECT_EQ(AddTextureToList(std::string(30, 'n').c_str(), texture), -1);
    EXPECT_EQ(AddTextureToList(nullptr, texture), -1);
    EXPECT_EQ(ZEPengine.textureCount, next + 1);
    ZEPengine.textureCount = ZEP_MAX_TEXTURES;
    EXPECT_EQ(AddTextureToList("full", texture), -1);
    EXPECT_EQ(CreateTexture("full", 4, 4, ZEP_TEXMODE_DISPLAY), -1);
    ZEPengine.textureCount = next + 1;
    EXPECT_EQ(logLinesSince(mark), (Lines{"Error: texture name is too long [" + std::string(30, 'n') + "]",
                                          "Error: texture name is too long []", "Error: texture list is full.",
                                          "Error: texture list is full."}));
}

TEST_F(Textures_, ResetStartsTheListAtThreeAndReleasesWhatItOwns) {
    ASSERT_TRUE(open());
    const int32_t a = CreateTexture("a", 4, 4, ZEP_TEXMODE_DISPLAY);
    const int32_t b = CreateTexture("b", 4, 4, ZEP_TEXMODE_DISPLAY);
    const int32_t c = CreateTexture("c", 4, 4, ZEP_TEXMODE_DISPLAY);
    ASSERT_EQ(a, 3);
    ASSERT_EQ(c, 5);
    IDirect3DTexture8* held = Textures[c].texture;
    held->AddRef();

    guTexMemReset();
    EXPECT_EQ(ZEPengine.textureCount, 3);
    EXPECT_EQ(Textures[a].name[0], '\0');
    EXPECT_EQ(Textures[a].texture, nullptr);
    EXPECT_EQ(Textures[b].texture, nullptr);  // a host texture on handle 4 is the list's too
    EXPECT_EQ(Textures[c].texture, nullptr);
    EXPECT_EQ(held->Release(), 0u);           // the list let go of its reference

    // The render texture is the render target's: neither released nor unlisted.
    const int32_t renderIndex = ZEPengine.renderTargetTextureIndex;
    ASSERT_GE(renderIndex, 0);
    EXPECT_EQ(Textures[renderIndex].texture, ZEPengine.renderTargetTexture);
    EXPECT_EQ(BeginRenderTargetClear(1), 1);
    EXPECT_EQ(RenderTarget(), 1);

    // Entries 0 to 2 are never handed out, so the first texture after a
    // reset is 3.
    EXPECT_EQ(CreateTexture("first", 4, 4, ZEP_TEXMODE_DISPLAY), 3);
}

TEST_F(Textures_, RenderTextureListedPastThreeIsListedAnewAfterAReset) {
    ASSERT_TRUE(open());
    // A render target first made after the list started (as when the first
    // sizes failed) sits among the host's textures.
    ZEPengine.renderTargetTextureIndex = -1;
    ASSERT_EQ(ResetRenderTargetSize(256, 256), 1);
    ASSERT_EQ(ZEPengine.renderTargetTextureIndex, 3);

    guTexMemReset();
    EXPECT_EQ(ZEPengine.renderTargetTextureIndex, -1);
    ASSERT_NE(ZEPengine.renderTargetTexture, nullptr);
    EXPECT_EQ(BeginRenderTargetClear(1), 1);
    EXPECT_EQ(RenderTarget(), 1);

    // The host's texture on handle 3 is not overwritten by the next restore.
    const int32_t first = CreateTexture("first", 4, 4, ZEP_TEXMODE_DISPLAY);
    ASSERT_EQ(first, 3);
    IDirect3DTexture8* firstTexture = Textures[first].texture;
    ASSERT_EQ(ResetRenderTargetSize(256, 256), 1);
    EXPECT_EQ(ZEPengine.renderTargetTextureIndex, 4);
    EXPECT_STREQ(Textures[4].name, "@ScreenCopytexture");
    EXPECT_EQ(Textures[first].texture, firstTexture);
}

TEST_F(Textures_, ResetLeavesTheShadowTextureAlive) {
    ASSERT_TRUE(open());
    const int32_t shadow = CreateTexture("@hwshadow", 16, 16, ZEP_TEXMODE_A4R4G4B4);
    ASSERT_EQ(shadow, 3);
    ZEPengine.shadowTexture = shadow;
    IDirect3DTexture8* shadowTexture = Textures[shadow].texture;
    shadowTexture->AddRef();
    guTexMemReset();
    EXPECT_EQ(Textures[shadow].texture, nullptr);  // the entry is given up all the same
    EXPECT_EQ(shadowTexture->Release(), 1u);       // but the texture was not released
    shadowTexture->Release();
    ZEPengine.shadowTexture = -1;
}

TEST_F(Textures_, FilteringOnStagesZeroToTwo) {
    ASSERT_TRUE(open());
    // Initialisation asks for (2, 1, 2), clamped to what the device offers.
    EXPECT_EQ(ZEPengine.textureFilterMode, std::min(2, ZEPengine.maxAnisotropy));
    EXPECT_EQ(ZEPengine.textureFilterFlag, 1);

    struct Case {
        int32_t anisotropy;
        uint8_t fullDetail;
        int32_t filter;
        int32_t deviceMax;
        int32_t stored;
        DWORD minFilter, maxAnisotropy, magFilter, mipFilter, maxMipLevel;
    } cases[] = {
        {2, 1, D3DTEXF_LINEAR, 16, 2, D3DTEXF_ANISOTROPIC, 2, D3DTEXF_LINEAR, D3DTEXF_LINEAR, 0},
        {16, 0, D3DTEXF_POINT, 4, 4, D3DTEXF_ANISOTROPIC, 4, D3DTEXF_POINT, D3DTEXF_NONE, 1},
        {0, 1, D3DTEXF_LINEAR, 16, 0, D3DTEXF_LINEAR, 0, D3DTEXF_LINEAR, D3DTEXF_LINEAR, 0},
        {0, 0, D3DTEXF_POINT, 16, 0, D3DTEXF_NONE, 0, D3DTEXF_POINT, D3DTEXF_NONE, 1},
        {-3, 1, D3DTEXF_LINEAR, 8, 0, D3DTEXF_LINEAR, 0, D3DTEXF_LINEAR, D3DTEXF_LINEAR, 0},
    };
    const int32_t deviceMax = ZEPengine.maxAnisotropy;
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.anisotropy << ", " << int(c.fullDetail) << ", " << c.filter);
        ZEPengine.maxAnisotropy = c.deviceMax;
        SetTextureFiltering(c.anisotropy, c.fullDetail, c.filter);
        EXPECT_EQ(ZEPengine.textureFilterMode, c.stored);
        EXPECT_EQ(ZEPengine.textureFilterFlag, c.fullDetail);
        for (DWORD stage = 0; stage < 3; ++stage) {
            EXPECT_EQ(stageState(stage, D3DTSS_MIPMAPLODBIAS), floatBits(-2.0f));
            EXPECT_EQ(stageState(stage, D3DTSS_MAXMIPLEVEL), c.maxMipLevel);
            EXPECT_EQ(stageState(stage, D3DTSS_MINFILTER), c.minFilter);
            EXPECT_EQ(stageState(stage, D3DTSS_MAXANISOTROPY), c.maxAnisotropy);
            EXPECT_EQ(stageState(stage, D3DTSS_MAGFILTER), c.magFilter);
            EXPECT_EQ(stageState(stage, D3DTSS_MIPFILTER), c.mipFilter);
        }
    }
    ZEPengine.maxAnisotropy = deviceMax;

    // Every frame re-applies the recorded choice with the linear filter.
    SetTextureFiltering(0, 0, D3DTEXF_POINT);
    device()->SetTextureStageState(2, D3DTSS_MAXMIPLEVEL, 7);
    ASSERT_EQ(BeginRenderClear(1), 1);
    EXPECT_EQ(stageState(2, D3DTSS_MAXMIPLEVEL), 1u);
    EXPECT_EQ(stageState(2, D3DTSS_MAGFILTER), DWORD(D3DTEXF_LINEAR));
    EXPECT_EQ(RenderHWND(nullptr), 1);
}

TEST_F(Textures_, CurrentTextureOrDiffuseOnly) {
    ASSERT_TRUE(open());
    const int32_t handle = CreateTexture("current", 4, 4, ZEP_TEXMODE_DISPLAY);
    ASSERT_GE(handle, 0);
    device()->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device()->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device()->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_ADD);

    auto expectSecondStageOff = [] {
        EXPECT_EQ(stageState(1, D3DTSS_COLOROP), DWORD(D3DTOP_DISABLE));
        EXPECT_EQ(stageState(1, D3DTSS_ALPHAOP), DWORD(D3DTOP_DISABLE));
        for (auto arg : {D3DTSS_COLORARG1, D3DTSS_COLORARG2, D3DTSS_ALPHAARG1, D3DTSS_ALPHAARG2})
            EXPECT_EQ(stageState(1, arg), DWORD(D3DTA_DIFFUSE));
    };

    SetCurrentTexture(handle);
    EXPECT_EQ(stageState(0, D3DTSS_COLOROP), DWORD(D3DTOP_MODULATE));
    EXPECT_EQ(stageState(0, D3DTSS_ALPHAOP), DWORD(D3DTOP_MODULATE));
    EXPECT_EQ(stageState(0, D3DTSS_COLORARG1), DWORD(D3DTA_TEXTURE));
    EXPECT_EQ(stageState(0, D3DTSS_COLORARG2), DWORD(D3DTA_DIFFUSE));
    EXPECT_EQ(stageState(0, D3DTSS_ALPHAARG1), DWORD(D3DTA_TEXTURE));
    EXPECT_EQ(stageState(0, D3DTSS_ALPHAARG2), DWORD(D3DTA_DIFFUSE));
    expectSecondStageOff();
    EXPECT_EQ(boundTexture(), Textures[handle].texture);

    // No texture: diffuse in every argument, the operations and the bound
    // texture as they were.
    device()->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_ADD);
    device()->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
    SetCurrentTexture(-1);
    for (auto arg : {D3DTSS_COLORARG1, D3DTSS_COLORARG2, D3DTSS_ALPHAARG1, D3DTSS_ALPHAARG2})
        EXPECT_EQ(stageState(0, arg), DWORD(D3DTA_DIFFUSE));
    EXPECT_EQ(stageState(0, D3DTSS_COLOROP), DWORD(D3DTOP_ADD));
    expectSecondStageOff();
    EXPECT_EQ(boundTexture(), Textures[handle].texture);

    // Past the list: logged, nothing changed.
    const size_t mark = logMark();
    SetCurrentTexture(ZEP_MAX_TEXTURES);
    EXPECT_EQ(stageState(0, D3DTSS_COLORARG1), DWORD(D3DTA_DIFFUSE));
    EXPECT_EQ(logLinesSince(mark), Lines{"Error: [SetCurrentTexture] no texture 1000"});

    // The frame's default states end with no texture chosen.
    SetCurrentTexture(handle);
    ASSERT_EQ(BeginRenderClear(1), 1);
    EXPECT_EQ(stageState(0, D3DTSS_COLORARG1), DWORD(D3DTA_DIFFUSE));
    EXPECT_EQ(RenderHWND(nullptr), 1);
}

TEST_F(Textures_, DefaultTextureAndDeviceLimits) {
    SetDefaultTexture(9);
    EXPECT_EQ(zep::defaultTextures().first, 9);
    EXPECT_EQ(zep::defaultTextures().second, 9);
    ASSERT_TRUE(open());
    EXPECT_EQ(zep::defaultTextures().first, -1);
    EXPECT_EQ(zep::defaultTextures().second, -1);

    int32_t width = 0, height = 0;
    GetMaxTextureSize(&width, &height);
    EXPECT_EQ(width, int32_t(zep::graphics().caps.MaxTextureWidth));
    EXPECT_EQ(height, int32_t(zep::graphics().caps.MaxTextureHeight));
    EXPECT_GT(width, 0);
    GetMaxTextureSize(nullptr, nullptr);
}

TEST_F(Textures_, CreateTextureFormatByMode) {
    ASSERT_TRUE(open());
    struct Case {
        int32_t mode;
        D3DFORMAT format;
        uint32_t bytesPerPixel;
    } cases[] = {
        {ZEP_TEXMODE_DISPLAY, zep::graphics().backBufferFormat, 4},
        {ZEP_TEXMODE_R5G6B5, D3DFMT_R5G6B5, 2},
        {ZEP_TEXMODE_A4R4G4B4, D3DFMT_A4R4G4B4, 2},
        {ZEP_TEXMODE_OBJECT, D3DFMT_A4R4G4B4, 2},
        {ZEP_TEXMODE_BUMP, D3DFMT_Q8W8V8U8, 4},
        {D3DFMT_A8R8G8B8, D3DFMT_A8R8G8B8, 4},  // any other mode is a format
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        const int32_t handle = CreateTexture("made", 64, 32, c.mode);
        ASSERT_GE(handle, 3);
        const TextureEntry& entry = Textures[handle];
        EXPECT_STREQ(entry.name, "made");
        EXPECT_EQ(entry.width, 64);
        EXPECT_EQ(entry.height, 32);
        EXPECT_EQ(entry.format, int32_t(c.format));
        EXPECT_EQ(entry.spareFormat, -1);
        TextureProps props;
        std::memset(&props, 0x55, sizeof props);
        ASSERT_EQ(gettextureprops(handle, 0, &props), 1);
        EXPECT_EQ(props.path[0], '\0');
        EXPECT_EQ(props.format, int32_t(c.format));
        EXPECT_EQ(props.width, 64u);
        EXPECT_EQ(props.height, 32u);
        EXPECT_EQ(props.size, 64u * 32u * c.bytesPerPixel);
        EXPECT_EQ(props.levelCount, 1u);
    }

    const int32_t count = ZEPengine.textureCount;
    const size_t mark = logMark();
    EXPECT_EQ(CreateTexture("odd", 4, 4, 12345), -1);
    EXPECT_EQ(CreateTexture("flat", 0, 4, ZEP_TEXMODE_DISPLAY), -1);
    EXPECT_EQ(CreateTexture(std::string(30, 'x').c_str(), 4, 4, ZEP_TEXMODE_DISPLAY), -1);
    EXPECT_EQ(ZEPengine.textureCount, count);
    EXPECT_EQ(logLinesSince(mark).size(), 3u);
}

TEST_F(Textures_, LevelsFilledFromMemoryAndCopiedOut) {
    ASSERT_TRUE(open());
    const int32_t handle = CreateTexture("pixels", 4, 4, D3DFMT_A8R8G8B8);
    ASSERT_GE(handle, 0);
    std::array<uint32_t, 16> source{};
    for (size_t i = 0; i < source.size(); ++i) source[i] = 0x01000000u * uint32_t(i + 1) + 0x00102030u * uint32_t(i);
    ASSERT_EQ(ReloadTexture(handle, 0, source.data(), D3DFMT_A8R8G8B8, 16, D3DX_FILTER_NONE), 1);

    std::array<uint32_t, 16> level{};
    ASSERT_EQ(downloadtexture(handle, 0, level.data(), int32_t(sizeof level)), 64);
    EXPECT_EQ(level, source);

    // A smaller room takes exactly what fits.
    std::array<uint8_t, 64> partial;
    partial.fill(0xCC);
    ASSERT_EQ(downloadtexture(handle, 0, partial.data(), 10), 10);
    EXPECT_EQ(std::memcmp(partial.data(), source.data(), 10), 0);
    EXPECT_EQ(partial[10], 0xCC);
    EXPECT_EQ(downloadtexture(handle, 0, partial.data(), 0), 0);

    // A 2 x 2 rectangle scaled over the whole 4 x 4 level.
    const uint32_t red = 0xFFFF0000, green = 0xFF00FF00, blue = 0xFF0000FF, white = 0xFFFFFFFF;
    const uint32_t small[4] = {red, green, blue, white};
    ASSERT_EQ(ReloadTextureEx(handle, 0, small, D3DFMT_A8R8G8B8, 2, 2, 8, D3DX_FILTER_POINT), 1);
    ASSERT_EQ(downloadtexture(handle, 0, level.data(), int32_t(sizeof level)), 64);
    const std::array<uint32_t, 16> scaled = {red,  red,  green, green, red,  red,  green, green,
                                             blue, blue, white, white, blue, blue, white, white};
    EXPECT_EQ(level, scaled);
}

TEST_F(Textures_, BadHandlesLevelsAndRoomFailWithALogLine) {
    ASSERT_TRUE(open());
    const int32_t handle = CreateTexture("one", 4, 4, D3DFMT_A8R8G8B8);
    uint32_t pixels[16] = {};
    TextureProps props{};
    const size_t mark = logMark();
    EXPECT_EQ(downloadtexture(-1, 0, pixels, 64), -1);
    EXPECT_EQ(downloadtexture(ZEP_MAX_TEXTURES, 0, pixels, 64), -1);
    EXPECT_EQ(downloadtexture(999, 0, pixels, 64), -1);  // inside the list, but empty
    EXPECT_EQ(downloadtexture(handle, 1, pixels, 64), -1);
    EXPECT_EQ(downloadtexture(handle, 0, nullptr, 64), -1);
    EXPECT_EQ(downloadtexture(handle, 0, pixels, -1), -1);
    EXPECT_EQ(gettextureprops(-7, 0, &props), 0);
    EXPECT_EQ(gettextureprops(handle, -1, &props), 0);
    EXPECT_EQ(gettextureprops(handle, 0, nullptr), 0);
    EXPECT_EQ(ReloadTexture(1000000, 0, pixels, D3DFMT_A8R8G8B8, 16, D3DX_FILTER_NONE), 0);
    EXPECT_EQ(ReloadTexture(handle, 0, nullptr, D3DFMT_A8R8G8B8, 16, D3DX_FILTER_NONE), 0);
    EXPECT_EQ(ReloadTextureEx(handle, 3, pixels, D3DFMT_A8R8G8B8, 4, 4, 16, D3DX_FILTER_NONE), 0);
    EXPECT_EQ(CopyScreencopyTexture(-1), 0);
    const Lines lines = logLinesSince(mark);
    ASSERT_EQ(lines.size(), 13u);
    EXPECT_EQ(lines[0], "Error: [downloadtexture] no texture -1");
    EXPECT_EQ(lines[3], "Error: [downloadtexture] no level 1");
    EXPECT_EQ(lines[12], "Error: [CopyScreencopyTexture] no texture -1");
}

TEST_F(Textures_, ScreenCopiesReachTexturesInTheDisplayFormat) {
    ASSERT_TRUE(open());
    const int32_t side = ZEPengine.renderTargetSize;
    ASSERT_EQ(side, 256);
    const D3DCOLOR green = 0xFF00FF00;
    auto fillRenderTarget = [&] {
        ASSERT_EQ(BeginRenderTargetClear(1), 1);
        ASSERT_EQ(ClearTarget(D3DCLEAR_TARGET, green, 1.0f, 0), D3D_OK);
        ASSERT_EQ(RenderTarget(), 1);
    };
    fillRenderTarget();

    // Same format: copied at once, all rows but the last.
    const int32_t display = CreateTexture("display", side, side, ZEP_TEXMODE_DISPLAY);
    ASSERT_GE(display, 0);
    std::vector<uint32_t> blue(size_t(side * side), 0xFF0000FF);
    ASSERT_EQ(ReloadTexture(display, 0, blue.data(), D3DFMT_A8R8G8B8, side * 4, D3DX_FILTER_NONE), 1);
    EXPECT_EQ(CopyScreencopyTexture(display), 1);
    std::vector<uint32_t> level(size_t(side * side));
    ASSERT_EQ(downloadtexture(display, 0, level.data(), int32_t(level.size() * 4)), side * side * 4);
    EXPECT_EQ(level[0] & 0xFFFFFF, green & 0xFFFFFF);
    EXPECT_EQ(level[size_t(side * (side - 2) + side - 1)] & 0xFFFFFF, green & 0xFFFFFF);
    EXPECT_EQ(level[size_t(side * (side - 1))] & 0xFFFFFF, 0x0000FFu);

    // Another format: the first call puts a display-format texture in and
    // keeps the old one as the spare; the copy comes with the next call.
    const int32_t other = CreateTexture("other", side, side, ZEP_TEXMODE_A4R4G4B4);
    TextureEntry& entry = Textures[other];
    IDirect3DTexture8* original = entry.texture;
    EXPECT_EQ(CopyScreencopyTexture(other), 0);
    EXPECT_EQ(entry.spare, original);
    EXPECT_EQ(entry.spareFormat, int32_t(D3DFMT_A4R4G4B4));
    EXPECT_EQ(entry.format, int32_t(zep::displayFormat()));
    EXPECT_NE(entry.texture, original);
    EXPECT_EQ(CopyScreencopyTexture(other), 1);
    ASSERT_EQ(downloadtexture(other, 0, level.data(), 4), 4);
    EXPECT_EQ(level[0] & 0xFFFFFF, green & 0xFFFFFF);

    // A spare in the display format is swapped back in first.
    std::swap(entry.texture, entry.spare);
    std::swap(entry.format, entry.spareFormat);
    EXPECT_EQ(CopyScreencopyTexture(other), 0);
    EXPECT_EQ(entry.spare, original);
    EXPECT_EQ(CopyScreencopyTexture(other), 1);

    // No render target, no copy.
    IDirect3DTexture8* renderTexture = ZEPengine.renderTargetTexture;
    ZEPengine.renderTargetTexture = nullptr;
    EXPECT_EQ(CopyScreencopyTexture(display), 0);
    ZEPengine.renderTargetTexture = renderTexture;
}

}  // namespace
