// Device creation, Clear's flags and the viewport's limits. What clears
// leave in the target is checked by the visual cases
// (tests/visual/cases/targets.cpp).

#include "d3d_test_device.h"

#include <gtest/gtest.h>

namespace {

using zep::test::D3DTestDevice;

TEST(D3D8Device, Direct3DCreate8AcceptsOnlyItsSdkVersion) {
    EXPECT_EQ(Direct3DCreate8(D3D_SDK_VERSION - 1), nullptr);
    EXPECT_EQ(Direct3DCreate8(D3D_SDK_VERSION + 1), nullptr);
    IDirect3D8* d3d = Direct3DCreate8(D3D_SDK_VERSION);
    if (!d3d) GTEST_SKIP() << "no Direct3D on this machine";
    EXPECT_EQ(d3d->GetAdapterCount(), 1u);
    EXPECT_EQ(d3d->Release(), 0u);
}

TEST(D3D8Device, HeadlessDeviceReportsItsParameters) {
    D3DTestDevice d({.width = 96, .height = 48});
    ZEP_REQUIRE_D3D_DEVICE(d);
    IDirect3DSurface8* back = nullptr;
    ASSERT_EQ(d->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
    D3DSURFACE_DESC desc{};
    back->GetDesc(&desc);
    EXPECT_EQ(desc.Width, 96u);
    EXPECT_EQ(desc.Height, 48u);
    EXPECT_EQ(desc.Format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(desc.Usage, DWORD(D3DUSAGE_RENDERTARGET));
    back->Release();
    EXPECT_EQ(d->GetBackBuffer(1, D3DBACKBUFFER_TYPE_MONO, &back), D3DERR_INVALIDCALL);

    D3DVIEWPORT8 vp{};
    ASSERT_EQ(d->GetViewport(&vp), D3D_OK);
    EXPECT_EQ(vp.X, 0u);
    EXPECT_EQ(vp.Width, 96u);
    EXPECT_EQ(vp.Height, 48u);
    EXPECT_EQ(vp.MinZ, 0.0f);
    EXPECT_EQ(vp.MaxZ, 1.0f);

    D3DDEVICE_CREATION_PARAMETERS creation{};
    ASSERT_EQ(d->GetCreationParameters(&creation), D3D_OK);
    EXPECT_EQ(creation.DeviceType, D3DDEVTYPE_HAL);
    EXPECT_EQ(creation.BehaviorFlags, DWORD(D3DCREATE_HARDWARE_VERTEXPROCESSING));
    EXPECT_EQ(d->TestCooperativeLevel(), D3D_OK);
    EXPECT_GT(d->GetAvailableTextureMem(), 16u << 20);
    EXPECT_EQ(d->ResourceManagerDiscardBytes(0), D3D_OK);
}

TEST(D3D8Device, CreateDeviceRefusesBadParameters) {
    IDirect3D8* d3d = Direct3DCreate8(D3D_SDK_VERSION);
    if (!d3d) GTEST_SKIP() << "no Direct3D on this machine";
    struct Case {
        const char* what;
        D3DFORMAT backBuffer;
        UINT width;
        D3DFORMAT depth;
        DWORD behaviour;
    };
    const Case cases[] = {
        {"texture-only back-buffer format", D3DFMT_L8, 64, D3DFMT_UNKNOWN, D3DCREATE_HARDWARE_VERTEXPROCESSING},
        {"no size and no window", D3DFMT_X8R8G8B8, 0, D3DFMT_UNKNOWN, D3DCREATE_HARDWARE_VERTEXPROCESSING},
        {"colour format as depth", D3DFMT_X8R8G8B8, 64, D3DFMT_R5G6B5, D3DCREATE_HARDWARE_VERTEXPROCESSING},
        {"no vertex processing", D3DFMT_X8R8G8B8, 64, D3DFMT_UNKNOWN, 0},
        {"two vertex processings", D3DFMT_X8R8G8B8, 64, D3DFMT_UNKNOWN,
         D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_SOFTWARE_VERTEXPROCESSING},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        D3DPRESENT_PARAMETERS pp{};
        pp.BackBufferWidth = c.width;
        pp.BackBufferHeight = 64;
        pp.BackBufferFormat = c.backBuffer;
        pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
        pp.Windowed = TRUE;
        pp.EnableAutoDepthStencil = c.depth != D3DFMT_UNKNOWN;
        pp.AutoDepthStencilFormat = c.depth;
        IDirect3DDevice8* device = reinterpret_cast<IDirect3DDevice8*>(uintptr_t(1));
        EXPECT_EQ(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr, c.behaviour, &pp, &device),
                  D3DERR_INVALIDCALL);
        EXPECT_EQ(device, nullptr);
    }
    d3d->Release();
}

TEST(D3D8Device, SceneNestingIsChecked) {
    D3DTestDevice d;
    ZEP_REQUIRE_D3D_DEVICE(d);
    EXPECT_EQ(d->EndScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(d->BeginScene(), D3D_OK);
    EXPECT_EQ(d->BeginScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(d->EndScene(), D3D_OK);
    EXPECT_EQ(d->EndScene(), D3DERR_INVALIDCALL);
}

TEST(D3D8Device, ClearFlagsNeedTheBuffersTheyName) {
    D3DTestDevice withStencil;
    ZEP_REQUIRE_D3D_DEVICE(withStencil);
    EXPECT_EQ(withStencil->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0, 1.0f, 0),
              D3D_OK);
    EXPECT_EQ(withStencil->Clear(1, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0), D3DERR_INVALIDCALL);

    D3DTestDevice depthOnly({.depthFormat = D3DFMT_D16});
    ZEP_REQUIRE_D3D_DEVICE(depthOnly);
    EXPECT_EQ(depthOnly->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3D_OK);
    EXPECT_EQ(depthOnly->Clear(0, nullptr, D3DCLEAR_STENCIL, 0, 1.0f, 0), D3DERR_INVALIDCALL);

    D3DTestDevice noDepth({.depthFormat = D3DFMT_UNKNOWN});
    ZEP_REQUIRE_D3D_DEVICE(noDepth);
    EXPECT_EQ(noDepth->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3DERR_INVALIDCALL);
    IDirect3DSurface8* depth = reinterpret_cast<IDirect3DSurface8*>(uintptr_t(1));
    EXPECT_EQ(noDepth->GetDepthStencilSurface(&depth), D3DERR_NOTFOUND);
    EXPECT_EQ(depth, nullptr);
}

TEST(D3D8Device, SetViewportRefusesAreasOutsideTheTarget) {
    D3DTestDevice d;
    ZEP_REQUIRE_D3D_DEVICE(d);
    const D3DVIEWPORT8 bad[] = {
        {0, 0, 65, 64, 0, 1}, {10, 0, 60, 64, 0, 1}, {0, 0, 0, 64, 0, 1}, {0, 0, 64, 64, 0.5f, 0.25f}, {0, 0, 64, 64, 0, 1.5f},
    };
    for (const D3DVIEWPORT8& vp : bad) EXPECT_EQ(d->SetViewport(&vp), D3DERR_INVALIDCALL);
    const D3DVIEWPORT8 good{4, 8, 16, 32, 0.25f, 0.75f};
    ASSERT_EQ(d->SetViewport(&good), D3D_OK);
    D3DVIEWPORT8 back{};
    d->GetViewport(&back);
    EXPECT_EQ(std::memcmp(&back, &good, sizeof good), 0);
}

}  // namespace

namespace {

TEST(D3D8Cursor, DeviceCursorTakesSmallArgbImages) {
    zep::test::D3DTestDevice d;
    ZEP_REQUIRE_D3D_DEVICE(d);
    IDirect3DSurface8* arrow = nullptr;
    ASSERT_EQ(d->CreateImageSurface(32, 32, D3DFMT_A8R8G8B8, &arrow), D3D_OK);
    EXPECT_EQ(d->SetCursorProperties(0, 0, arrow), D3D_OK);
    EXPECT_EQ(d->SetCursorProperties(32, 0, arrow), D3DERR_INVALIDCALL);  // hot spot outside
    IDirect3DSurface8* big = nullptr;
    ASSERT_EQ(d->CreateImageSurface(64, 64, D3DFMT_A8R8G8B8, &big), D3D_OK);
    EXPECT_EQ(d->SetCursorProperties(0, 0, big), D3DERR_INVALIDCALL);
    IDirect3DSurface8* sixteen = nullptr;
    ASSERT_EQ(d->CreateImageSurface(32, 32, D3DFMT_R5G6B5, &sixteen), D3D_OK);
    EXPECT_EQ(d->SetCursorProperties(0, 0, sixteen), D3DERR_INVALIDCALL);
    EXPECT_FALSE(d->ShowCursor(TRUE));  // returns the previous state
    EXPECT_TRUE(d->ShowCursor(FALSE));
    arrow->Release();
    big->Release();
    sixteen->Release();
}

}  // namespace
