// The Direct3D object: adapter, display modes, capabilities and the format
// checks hosts choose their formats by.

#include "d3d_test_device.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

namespace {

class D3D8Interface : public ::testing::Test {
protected:
    void SetUp() override {
        d3d = Direct3DCreate8(D3D_SDK_VERSION);
        if (!d3d) GTEST_SKIP() << "no Direct3D on this machine";
    }
    void TearDown() override {
        if (d3d) d3d->Release();
    }
    IDirect3D8* d3d = nullptr;
};

TEST_F(D3D8Interface, AdapterAndDisplayModes) {
    D3DADAPTER_IDENTIFIER8 id{};
    ASSERT_EQ(d3d->GetAdapterIdentifier(D3DADAPTER_DEFAULT, 0, &id), D3D_OK);
    EXPECT_NE(id.Description[0], '\0');
    EXPECT_EQ(d3d->GetAdapterIdentifier(1, 0, &id), D3DERR_INVALIDCALL);
    EXPECT_NE(d3d->GetAdapterMonitor(D3DADAPTER_DEFAULT), nullptr);

    const UINT count = d3d->GetAdapterModeCount(D3DADAPTER_DEFAULT);
    ASSERT_GT(count, 0u);
    std::set<std::pair<UINT, D3DFORMAT>> seen;
    bool has32 = false, has16 = false;
    for (UINT i = 0; i < count; ++i) {
        D3DDISPLAYMODE mode{};
        ASSERT_EQ(d3d->EnumAdapterModes(D3DADAPTER_DEFAULT, i, &mode), D3D_OK);
        EXPECT_GT(mode.Width, 0u);
        EXPECT_TRUE(mode.Format == D3DFMT_X8R8G8B8 || mode.Format == D3DFMT_R5G6B5);
        has32 |= mode.Format == D3DFMT_X8R8G8B8 && mode.Width == 640 && mode.Height == 480;
        has16 |= mode.Format == D3DFMT_R5G6B5 && mode.Width == 640 && mode.Height == 480;
        EXPECT_TRUE(seen.insert({mode.Width * 10000 + mode.Height, mode.Format}).second) << "mode listed twice";
    }
    EXPECT_TRUE(has32);
    EXPECT_TRUE(has16);
    D3DDISPLAYMODE mode{};
    EXPECT_EQ(d3d->EnumAdapterModes(D3DADAPTER_DEFAULT, count, &mode), D3DERR_INVALIDCALL);
    ASSERT_EQ(d3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode), D3D_OK);
    EXPECT_GT(mode.Width, 0u);
}

TEST_F(D3D8Interface, CapsAHostCanRelyOn) {
    for (D3DDEVTYPE type : {D3DDEVTYPE_HAL, D3DDEVTYPE_REF}) {
        SCOPED_TRACE(type);
        D3DCAPS8 caps{};
        ASSERT_EQ(d3d->GetDeviceCaps(D3DADAPTER_DEFAULT, type, &caps), D3D_OK);
        EXPECT_EQ(caps.DeviceType, type);
        EXPECT_GE(caps.MaxActiveLights, 8u);
        EXPECT_GE(caps.MaxTextureWidth, 2048u);
        EXPECT_GE(caps.MaxTextureHeight, 2048u);
        EXPECT_GE(caps.MaxAnisotropy, 2u);
        EXPECT_GE(caps.MaxPrimitiveCount, 65535u);
        EXPECT_EQ(caps.VertexShaderVersion, D3DVS_VERSION(1, 1));
        EXPECT_GE(caps.PixelShaderVersion, D3DPS_VERSION(1, 1));
        EXPECT_TRUE(caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT);
        EXPECT_FALSE(caps.DevCaps & D3DDEVCAPS_PUREDEVICE);
        EXPECT_TRUE(caps.PrimitiveMiscCaps & D3DPMISCCAPS_CLIPTLVERTS);
        EXPECT_EQ(caps.MaxVertexShaderConst, 96u);
        EXPECT_GE(caps.MaxSimultaneousTextures, 4u);
        EXPECT_GE(caps.MaxStreams, 1u);
    }
    D3DCAPS8 caps{};
    EXPECT_EQ(d3d->GetDeviceCaps(D3DADAPTER_DEFAULT, D3DDEVTYPE_SW, &caps), D3DERR_INVALIDCALL);
}

TEST_F(D3D8Interface, FormatChecks) {
    const D3DFORMAT display = D3DFMT_X8R8G8B8;
    struct Case {
        DWORD usage;
        D3DRESOURCETYPE type;
        D3DFORMAT format;
        bool available;
    };
    const Case cases[] = {
        // Depth-stencil formats the runtime honours exactly; the odd stencil
        // widths are not offered.
        {D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D16, true},
        {D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D24S8, true},
        {D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D24X8, true},
        {D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D32, true},
        {D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D15S1, false},
        {D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D24X4S4, false},
        {D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_X8R8G8B8, false},
        // Render targets.
        {D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE, D3DFMT_A8R8G8B8, true},
        {D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE, D3DFMT_R5G6B5, true},
        {D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE, D3DFMT_A4R4G4B4, true},
        {D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE, D3DFMT_L8, false},
        {D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE, D3DFMT_Q8W8V8U8, false},
        // Textures.
        {0, D3DRTYPE_TEXTURE, D3DFMT_R8G8B8, true},
        {0, D3DRTYPE_TEXTURE, D3DFMT_X1R5G5B5, true},
        {0, D3DRTYPE_TEXTURE, D3DFMT_A1R5G5B5, true},
        {0, D3DRTYPE_TEXTURE, D3DFMT_Q8W8V8U8, true},
        {0, D3DRTYPE_TEXTURE, D3DFMT_V8U8, true},
        {0, D3DRTYPE_TEXTURE, D3DFMT_L8, true},
        {0, D3DRTYPE_TEXTURE, D3DFMT_A8, true},
        {0, D3DRTYPE_TEXTURE, D3DFMT_DXT1, false},
        {0, D3DRTYPE_TEXTURE, D3DFMT_P8, false},
        {0, D3DRTYPE_VOLUMETEXTURE, D3DFMT_A8R8G8B8, true},
        {0, D3DRTYPE_CUBETEXTURE, D3DFMT_A8R8G8B8, false},
        {0, D3DRTYPE_INDEXBUFFER, D3DFMT_INDEX16, true},
        {0, D3DRTYPE_INDEXBUFFER, D3DFMT_INDEX32, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(d3d->CheckDeviceFormat(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, display, c.usage, c.type, c.format),
                  c.available ? D3D_OK : D3DERR_NOTAVAILABLE)
            << "format " << c.format << " usage " << c.usage << " type " << c.type;
    }
    EXPECT_EQ(d3d->CheckDepthStencilMatch(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, display, D3DFMT_X8R8G8B8, D3DFMT_D24S8),
              D3D_OK);
    EXPECT_EQ(d3d->CheckDepthStencilMatch(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, display, D3DFMT_R5G6B5, D3DFMT_D32),
              D3D_OK);
    EXPECT_EQ(d3d->CheckDepthStencilMatch(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, display, D3DFMT_X8R8G8B8, D3DFMT_D15S1),
              D3DERR_NOTAVAILABLE);

    EXPECT_EQ(d3d->CheckDeviceType(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, TRUE), D3D_OK);
    EXPECT_EQ(d3d->CheckDeviceType(D3DADAPTER_DEFAULT, D3DDEVTYPE_REF, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, FALSE), D3D_OK);
    EXPECT_EQ(d3d->CheckDeviceType(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, D3DFMT_R5G6B5, D3DFMT_R5G6B5, FALSE), D3D_OK);
    EXPECT_EQ(d3d->CheckDeviceType(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, D3DFMT_R5G6B5, D3DFMT_X8R8G8B8, FALSE),
              D3DERR_NOTAVAILABLE);
    EXPECT_EQ(d3d->CheckDeviceType(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_L8, TRUE),
              D3DERR_NOTAVAILABLE);

    for (D3DMULTISAMPLE_TYPE type : {D3DMULTISAMPLE_NONE, D3DMULTISAMPLE_2_SAMPLES, D3DMULTISAMPLE_4_SAMPLES})
        EXPECT_EQ(d3d->CheckDeviceMultiSampleType(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, TRUE, type),
                  D3D_OK)
            << type;
    EXPECT_EQ(d3d->CheckDeviceMultiSampleType(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, TRUE,
                                              D3DMULTISAMPLE_3_SAMPLES),
              D3DERR_NOTAVAILABLE);
}

}  // namespace
