// Texture sampling states through real draws: address modes (with the border
// colour), magnification filters, mip level choice with LOD bias and
// MAXMIPLEVEL, every texture format as sampled, and volume slices.

#include "d3d_test_device.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

using zep::test::colorNear;
using zep::test::D3DTestDevice;
using zep::test::Image;

struct TexturedVertex {
    float x, y, z, rhw;
    float u, v;
};
struct VolumeVertex {
    float x, y, z, rhw;
    float u, v, w;
};

DWORD floatBits(float f) {
    DWORD bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

// Stage 0 outputs the texel as it is.
void useTextureOnly(IDirect3DDevice8* device, DWORD fvf) {
    device->SetVertexShader(fvf);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
}

// The whole 64 x 64 target, texture coordinates u0..u1 across, v0..v1 down.
HRESULT drawQuad(IDirect3DDevice8* device, float u0, float u1, float v0, float v1, float size = 64.0f) {
    const float a = -0.5f, b = size - 0.5f;
    const TexturedVertex quad[4] = {{a, a, 0.5f, 1, u0, v0}, {b, a, 0.5f, 1, u1, v0}, {a, b, 0.5f, 1, u0, v1},
                                    {b, b, 0.5f, 1, u1, v1}};
    return device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(TexturedVertex));
}

// A texture whose levels are each one colour.
IDirect3DTexture8* solidLevels(IDirect3DDevice8* device, UINT size, const std::vector<D3DCOLOR>& colors) {
    IDirect3DTexture8* texture = nullptr;
    if (FAILED(device->CreateTexture(size, size, UINT(colors.size()), 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture)))
        return nullptr;
    for (UINT level = 0; level < colors.size(); ++level) {
        D3DLOCKED_RECT locked{};
        texture->LockRect(level, &locked, nullptr, 0);
        const UINT side = size >> level ? size >> level : 1;
        for (UINT y = 0; y < side; ++y)
            for (UINT x = 0; x < side; ++x)
                reinterpret_cast<DWORD*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch)[x] = colors[level];
        texture->UnlockRect(level);
    }
    return texture;
}

class D3D8Samplers : public ::testing::Test {
protected:
    void SetUp() override {
        if (!d.ok()) GTEST_SKIP() << d.failure();
        useTextureOnly(d.device(), D3DFVF_XYZRHW | D3DFVF_TEX1);
    }
    D3DTestDevice d;
};

TEST_F(D3D8Samplers, AddressModesAcrossThreeRepeats) {
    // 2 x 1 texels: red then green. u runs from -1 to 2 across the target.
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(d->CreateTexture(2, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    D3DLOCKED_RECT locked{};
    texture->LockRect(0, &locked, nullptr, 0);
    static_cast<DWORD*>(locked.pBits)[0] = 0xFFFF0000;
    static_cast<DWORD*>(locked.pBits)[1] = 0xFF00FF00;
    texture->UnlockRect(0);
    ASSERT_EQ(d->SetTexture(0, texture), D3D_OK);
    d->SetTextureStageState(0, D3DTSS_BORDERCOLOR, 0xFFFFFF00);

    const D3DCOLOR R = 0xFFFF0000, G = 0xFF00FF00, B = 0xFFFFFF00;  // B: the border colour
    // Probe columns at u = -0.75, -0.25, 0.25, 0.75, 1.25, 1.75.
    const UINT columns[6] = {5, 16, 26, 37, 48, 58};
    struct Case {
        DWORD mode;
        D3DCOLOR expected[6];
    };
    const Case cases[] = {
        {D3DTADDRESS_WRAP, {R, G, R, G, R, G}},
        {D3DTADDRESS_MIRROR, {G, R, R, G, G, R}},
        {D3DTADDRESS_CLAMP, {R, R, R, G, G, G}},
        {D3DTADDRESS_BORDER, {B, B, R, G, B, B}},
        {D3DTADDRESS_MIRRORONCE, {G, R, R, G, G, G}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        d->SetTextureStageState(0, D3DTSS_ADDRESSU, c.mode);
        d->SetTextureStageState(0, D3DTSS_ADDRESSV, D3DTADDRESS_CLAMP);
        d->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
        ASSERT_EQ(drawQuad(d.device(), -1.0f, 2.0f, 0.5f, 0.5f), D3D_OK);
        const Image image = d.readBackBuffer();
        for (int i = 0; i < 6; ++i)
            EXPECT_TRUE(colorNear(image.at(columns[i], 32), c.expected[i], 2)) << "column " << columns[i];
    }
    d->SetTexture(0, nullptr);
    texture->Release();
}

TEST_F(D3D8Samplers, MagnificationFilters) {
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(d->CreateTexture(2, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    D3DLOCKED_RECT locked{};
    texture->LockRect(0, &locked, nullptr, 0);
    static_cast<DWORD*>(locked.pBits)[0] = 0xFFFF0000;
    static_cast<DWORD*>(locked.pBits)[1] = 0xFF00FF00;
    texture->UnlockRect(0);
    d->SetTexture(0, texture);
    d->SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
    // Pixel 32 samples u = 32.5 / 64: texel space 0.516, between the texels.
    struct Case {
        DWORD filter;
        D3DCOLOR atMiddle, atQuarter;  // pixel 32; pixel 8 (u = 0.133: clamped to the red texel)
    };
    const Case cases[] = {
        {D3DTEXF_POINT, 0xFF00FF00, 0xFFFF0000},
        {D3DTEXF_LINEAR, 0xFF7B8400, 0xFFFF0000},
        {D3DTEXF_ANISOTROPIC, 0xFF7B8400, 0xFFFF0000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.filter);
        d->SetTextureStageState(0, D3DTSS_MAGFILTER, c.filter);
        d->SetTextureStageState(0, D3DTSS_MINFILTER, c.filter);
        d->SetTextureStageState(0, D3DTSS_MAXANISOTROPY, 4);
        ASSERT_EQ(drawQuad(d.device(), 0.0f, 1.0f, 0.5f, 0.5f), D3D_OK);
        const Image image = d.readBackBuffer();
        EXPECT_TRUE(colorNear(image.at(32, 32), c.atMiddle, 4));
        EXPECT_TRUE(colorNear(image.at(8, 32), c.atQuarter, 2));
    }
    d->SetTexture(0, nullptr);
    texture->Release();
}

TEST_F(D3D8Samplers, MipLevelChoice) {
    // 128 x 128 drawn onto 64 x 64: the scale is 2, so the LOD is 1.
    const D3DCOLOR L0 = 0xFFFF0000, L1 = 0xFF00FF00, L2 = 0xFF0000FF, L3 = 0xFFFFFFFF;
    IDirect3DTexture8* texture = solidLevels(d.device(), 128, {L0, L1, L2, L3, L3, L3, L3, L3});
    ASSERT_NE(texture, nullptr);
    d->SetTexture(0, texture);
    struct Case {
        const char* what;
        DWORD minFilter, mipFilter;
        float lodBias;
        DWORD maxMipLevel;
        D3DCOLOR expected;
    };
    const Case cases[] = {
        {"no mipmapping samples level 0", D3DTEXF_POINT, D3DTEXF_NONE, 0.0f, 0, L0},
        {"nearest level", D3DTEXF_POINT, D3DTEXF_POINT, 0.0f, 0, L1},
        {"bias +1", D3DTEXF_POINT, D3DTEXF_POINT, 1.0f, 0, L2},
        {"bias -1", D3DTEXF_POINT, D3DTEXF_POINT, -1.0f, 0, L0},
        {"largest level 2", D3DTEXF_POINT, D3DTEXF_POINT, 0.0f, 2, L2},
        {"largest level 1 changes nothing at LOD 1", D3DTEXF_POINT, D3DTEXF_POINT, 0.0f, 1, L1},
        {"linear between levels 1 and 2", D3DTEXF_POINT, D3DTEXF_LINEAR, 0.5f, 0, 0xFF008080},
        {"anisotropic minification", D3DTEXF_ANISOTROPIC, D3DTEXF_POINT, 0.0f, 0, L1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        d->SetTextureStageState(0, D3DTSS_MINFILTER, c.minFilter);
        d->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_POINT);
        d->SetTextureStageState(0, D3DTSS_MIPFILTER, c.mipFilter);
        d->SetTextureStageState(0, D3DTSS_MIPMAPLODBIAS, floatBits(c.lodBias));
        d->SetTextureStageState(0, D3DTSS_MAXMIPLEVEL, c.maxMipLevel);
        d->SetTextureStageState(0, D3DTSS_MAXANISOTROPY, 8);
        ASSERT_EQ(drawQuad(d.device(), 0.0f, 1.0f, 0.0f, 1.0f), D3D_OK);
        EXPECT_TRUE(colorNear(d.readBackBuffer().at(32, 32), c.expected, 3));
    }
    d->SetTexture(0, nullptr);
    texture->Release();
}

TEST_F(D3D8Samplers, RelockedLevelsReachTheNextDraw) {
    IDirect3DTexture8* texture = solidLevels(d.device(), 4, {0xFFFF0000});
    ASSERT_NE(texture, nullptr);
    d->SetTexture(0, texture);
    ASSERT_EQ(drawQuad(d.device(), 0.0f, 1.0f, 0.0f, 1.0f), D3D_OK);
    EXPECT_TRUE(colorNear(d.readBackBuffer().at(32, 32), 0xFFFF0000, 2));
    // Only the texel (2, 2) changes; the draw after the unlock shows it.
    const RECT one{2, 2, 3, 3};
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(texture->LockRect(0, &locked, &one, 0), D3D_OK);
    *static_cast<DWORD*>(locked.pBits) = 0xFF0000FF;
    texture->UnlockRect(0);
    ASSERT_EQ(drawQuad(d.device(), 0.0f, 1.0f, 0.0f, 1.0f), D3D_OK);
    const Image image = d.readBackBuffer();
    EXPECT_TRUE(colorNear(image.at(40, 40), 0xFF0000FF, 2));
    EXPECT_TRUE(colorNear(image.at(8, 40), 0xFFFF0000, 2));
    d->SetTexture(0, nullptr);
    texture->Release();
}

TEST(D3D8SampledFormats, EachFormatSamplesAsDirect3DDefinesIt) {
    D3DTestDevice d({.backBufferFormat = D3DFMT_A8R8G8B8});
    ZEP_REQUIRE_D3D_DEVICE(d);
    useTextureOnly(d.device(), D3DFVF_XYZRHW | D3DFVF_TEX1);
    struct Case {
        D3DFORMAT format;
        UINT bytes;
        DWORD texel;  // as it lies in memory, little-endian
        D3DCOLOR expected;
    };
    const Case cases[] = {
        {D3DFMT_A8R8G8B8, 4, 0x80FF0000, 0x80FF0000},
        {D3DFMT_X8R8G8B8, 4, 0x0000FF00, 0xFF00FF00},  // the X byte is no alpha
        {D3DFMT_R8G8B8, 3, 0x00FFFF00, 0xFFFFFF00},
        {D3DFMT_R5G6B5, 2, 0x001F, 0xFF0000FF},
        {D3DFMT_X1R5G5B5, 2, 0x7C00, 0xFFFF0000},
        {D3DFMT_A1R5G5B5, 2, 0x03E0, 0x0000FF00},
        {D3DFMT_A4R4G4B4, 2, 0xF00F, 0xFF0000FF},
        {D3DFMT_L8, 1, 0xFF, 0xFFFFFFFF},
        {D3DFMT_A8, 1, 0x80, 0x80000000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        IDirect3DTexture8* texture = nullptr;
        ASSERT_EQ(d->CreateTexture(4, 4, 1, 0, c.format, D3DPOOL_MANAGED, &texture), D3D_OK);
        D3DLOCKED_RECT locked{};
        texture->LockRect(0, &locked, nullptr, 0);
        for (UINT y = 0; y < 4; ++y)
            for (UINT x = 0; x < 4; ++x)
                std::memcpy(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch + x * c.bytes, &c.texel, c.bytes);
        texture->UnlockRect(0);
        d->SetTexture(0, texture);
        d->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00000000, 1.0f, 0);
        ASSERT_EQ(drawQuad(d.device(), 0.0f, 1.0f, 0.0f, 1.0f), D3D_OK);
        EXPECT_TRUE(colorNear(d.readBackBuffer().at(32, 32), c.expected, 2));
        d->SetTexture(0, nullptr);
        texture->Release();
    }
}

TEST(D3D8VolumeSampling, SlicesByTheThirdCoordinate) {
    D3DTestDevice d;
    ZEP_REQUIRE_D3D_DEVICE(d);
    const DWORD fvf = D3DFVF_XYZRHW | D3DFVF_TEX1 | D3DFVF_TEXCOORDSIZE3(0);
    useTextureOnly(d.device(), fvf);
    const D3DCOLOR slices[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
    IDirect3DVolumeTexture8* volume = nullptr;
    ASSERT_EQ(d->CreateVolumeTexture(2, 2, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &volume), D3D_OK);
    D3DLOCKED_BOX box{};
    ASSERT_EQ(volume->LockBox(0, &box, nullptr, 0), D3D_OK);
    for (UINT z = 0; z < 4; ++z)
        for (UINT i = 0; i < 4; ++i)
            reinterpret_cast<DWORD*>(static_cast<BYTE*>(box.pBits) + z * box.SlicePitch)[i] = slices[z];
    volume->UnlockBox(0);
    ASSERT_EQ(d->SetTexture(0, volume), D3D_OK);
    d->SetTextureStageState(0, D3DTSS_ADDRESSW, D3DTADDRESS_CLAMP);
    for (UINT z = 0; z < 4; ++z) {
        SCOPED_TRACE(z);
        const float w = (float(z) + 0.5f) / 4.0f;
        const VolumeVertex quad[4] = {{-0.5f, -0.5f, 0.5f, 1, 0, 0, w}, {63.5f, -0.5f, 0.5f, 1, 1, 0, w},
                                      {-0.5f, 63.5f, 0.5f, 1, 0, 1, w}, {63.5f, 63.5f, 0.5f, 1, 1, 1, w}};
        ASSERT_EQ(d->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(VolumeVertex)), D3D_OK);
        EXPECT_TRUE(colorNear(d.readBackBuffer().at(32, 32), slices[z], 2));
    }
    d->SetTexture(0, nullptr);
    volume->Release();
}

}  // namespace
