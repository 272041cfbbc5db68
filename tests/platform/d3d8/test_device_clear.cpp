// Device creation, Clear and the viewport, read back through the back buffer.

#include "d3d_test_device.h"

#include <gtest/gtest.h>

namespace {

using zep::test::D3DTestDevice;
using zep::test::expectColorNear;
using zep::test::Image;

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

// Each case clears the whole target to blue first, then clears `rects` (or
// the viewport) red with the viewport set as given, and probes inside and
// outside the expected red area.
struct ClearCase {
    const char* what;
    D3DVIEWPORT8 viewport;
    std::vector<D3DRECT> rects;
    RECT red;  // where red must be; blue elsewhere
};

TEST(D3D8Device, ClearCoversRectanglesWithinTheViewport) {
    D3DTestDevice d;
    ZEP_REQUIRE_D3D_DEVICE(d);
    const D3DCOLOR blue = 0xFF0000FF, red = 0xFFFF0000;
    const ClearCase cases[] = {
        {"whole viewport", {0, 0, 64, 64, 0, 1}, {}, {0, 0, 64, 64}},
        {"viewport limits a whole clear", {16, 8, 32, 40, 0, 1}, {}, {16, 8, 48, 48}},
        {"one rectangle", {0, 0, 64, 64, 0, 1}, {{8, 40, 40, 60}}, {8, 40, 40, 60}},
        {"rectangle clipped by the viewport", {0, 0, 32, 32, 0, 1}, {{16, 16, 64, 64}}, {16, 16, 32, 32}},
        {"rectangle outside the viewport", {0, 0, 16, 16, 0, 1}, {{32, 32, 64, 64}}, {0, 0, 0, 0}},
    };
    for (const ClearCase& c : cases) {
        SCOPED_TRACE(c.what);
        D3DVIEWPORT8 full{0, 0, 64, 64, 0, 1};
        ASSERT_EQ(d->SetViewport(&full), D3D_OK);
        ASSERT_EQ(d->Clear(0, nullptr, D3DCLEAR_TARGET, blue, 1.0f, 0), D3D_OK);
        ASSERT_EQ(d->SetViewport(&c.viewport), D3D_OK);
        ASSERT_EQ(d->Clear(DWORD(c.rects.size()), c.rects.empty() ? nullptr : c.rects.data(), D3DCLEAR_TARGET, red,
                           1.0f, 0),
                  D3D_OK);
        const Image image = d.readBackBuffer();
        ASSERT_EQ(image.width, 64u);
        for (UINT y = 2; y < 64; y += 4)
            for (UINT x = 2; x < 64; x += 4) {
                const bool inside = LONG(x) >= c.red.left && LONG(x) < c.red.right && LONG(y) >= c.red.top &&
                                    LONG(y) < c.red.bottom;
                EXPECT_TRUE(zep::test::colorNear(image.at(x, y), inside ? red : blue, 0)) << "at " << x << "," << y;
            }
    }
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

TEST(D3D8Device, ClearKeepsTheBackBufferFormatsChannels) {
    struct Case {
        D3DFORMAT format;
        D3DCOLOR clear;
        D3DCOLOR expected;
    };
    const Case cases[] = {
        {D3DFMT_X8R8G8B8, 0x00FF00FF, 0xFFFF00FF},  // no alpha: reads opaque
        {D3DFMT_A8R8G8B8, 0x8000FF00, 0x8000FF00},
        {D3DFMT_R5G6B5, 0xFFFFFF00, 0xFFFFFF00},
        {D3DFMT_X1R5G5B5, 0xFF00FFFF, 0xFF00FFFF},
        {D3DFMT_A1R5G5B5, 0x00FF0000, 0x00FF0000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        D3DTestDevice d({.backBufferFormat = c.format});
        ZEP_REQUIRE_D3D_DEVICE(d);
        ASSERT_EQ(d->Clear(0, nullptr, D3DCLEAR_TARGET, c.clear, 1.0f, 0), D3D_OK);
        expectColorNear(d.readBackBuffer().at(32, 32), c.expected, 2);
    }
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
