// A Direct3D device on a window made by CreateWindowExA, as the engine opens
// its own: the window must take an OpenGL context, with or without a display.

#include "win32_test_window.h"

#include <d3d8.h>

#include <gtest/gtest.h>

namespace {

using zep::test::RecordingWindow;

TEST(Win32WindowDevice, DeviceOnAnEngineStyleWindowPresentsToIt) {
    RecordingWindow w(160, 120, WS_POPUP | WS_OVERLAPPEDWINDOW);
    ASSERT_NE(w.handle(), nullptr);
    IDirect3D8* d3d = Direct3DCreate8(D3D_SDK_VERSION);
    ASSERT_NE(d3d, nullptr);

    D3DDISPLAYMODE desktop{};
    ASSERT_EQ(d3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &desktop), D3D_OK);
    D3DPRESENT_PARAMETERS params{};
    params.Windowed = TRUE;
    params.SwapEffect = D3DSWAPEFFECT_DISCARD;
    params.BackBufferFormat = desktop.Format;
    params.BackBufferCount = 1;
    params.hDeviceWindow = w.handle();
    params.EnableAutoDepthStencil = TRUE;
    params.AutoDepthStencilFormat = D3DFMT_D24S8;

    IDirect3DDevice8* device = nullptr;
    ASSERT_EQ(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, w.handle(), D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                &params, &device),
              D3D_OK);
    // The back buffer takes the window's client size when none is given.
    IDirect3DSurface8* back = nullptr;
    ASSERT_EQ(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
    D3DSURFACE_DESC desc{};
    back->GetDesc(&desc);
    back->Release();
    EXPECT_EQ(desc.Width, 160u);
    EXPECT_EQ(desc.Height, 120u);

    EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0), D3D_OK);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    device->Release();
    d3d->Release();
}

}  // namespace
