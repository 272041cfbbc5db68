// A device on a window: the HWND is an SDL window's ID, the back buffer
// takes the client size when asked for 0 x 0, and Present shows it (SDL's
// offscreen video driver stands in for a display).

#include "d3d_test_device.h"

#include "win32/window_handle.h"

#include <SDL.h>
#include <gtest/gtest.h>

namespace {

using zep::test::colorNear;

class D3D8Window : public ::testing::Test {
protected:
    void SetUp() override {
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) GTEST_SKIP() << "no SDL video: " << SDL_GetError();
        videoStarted = true;
        window = SDL_CreateWindow("zep test", 0, 0, 120, 90, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        if (!window) GTEST_SKIP() << "no OpenGL window: " << SDL_GetError();
        d3d = Direct3DCreate8(D3D_SDK_VERSION);
        if (!d3d) GTEST_SKIP() << "no Direct3D";
    }
    void TearDown() override {
        if (d3d) d3d->Release();
        if (window) SDL_DestroyWindow(window);
        if (videoStarted) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
    bool videoStarted = false;
    SDL_Window* window = nullptr;
    IDirect3D8* d3d = nullptr;
};

TEST_F(D3D8Window, HandlesNameWindows) {
    HWND handle = zep::win32::handleFromWindow(window);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(zep::win32::windowFromHandle(handle), window);
    int w = 0, h = 0;
    ASSERT_TRUE(zep::win32::clientSize(handle, &w, &h));
    EXPECT_EQ(w, 120);
    EXPECT_EQ(h, 90);
    EXPECT_EQ(zep::win32::windowFromHandle(reinterpret_cast<HWND>(uintptr_t(0xFFFFFF))), nullptr);
    EXPECT_FALSE(zep::win32::clientSize(nullptr, &w, &h));
}

TEST_F(D3D8Window, BackBufferTakesTheClientSizeAndPresents) {
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.Windowed = TRUE;
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = D3DFMT_D24S8;
    const HWND handle = zep::win32::handleFromWindow(window);
    IDirect3DDevice8* device = nullptr;
    HRESULT hr = d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, handle, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                   &pp, &device);
    ASSERT_EQ(hr, D3D_OK);
    EXPECT_EQ(pp.BackBufferWidth, 120u);  // written back, as Direct3D does
    EXPECT_EQ(pp.BackBufferHeight, 90u);
    D3DVIEWPORT8 vp{};
    device->GetViewport(&vp);
    EXPECT_EQ(vp.Width, 120u);
    EXPECT_EQ(vp.Height, 90u);

    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0), D3D_OK);
    const RECT source{0, 0, 60, 45};
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    EXPECT_EQ(device->Present(&source, nullptr, handle, nullptr), D3D_OK);
    EXPECT_EQ(device->Present(nullptr, nullptr, reinterpret_cast<HWND>(uintptr_t(0xFFFFFF)), nullptr),
              D3DERR_INVALIDCALL);

    // The windowed front buffer is the screen: the image sits where the window is.
    SDL_SetWindowPosition(window, 30, 20);
    int x = 0, y = 0;
    SDL_GetWindowPosition(window, &x, &y);
    IDirect3DSurface8* front = nullptr;
    ASSERT_EQ(device->CreateImageSurface(200, 150, D3DFMT_A8R8G8B8, &front), D3D_OK);
    ASSERT_EQ(device->GetFrontBuffer(front), D3D_OK);
    D3DLOCKED_RECT locked{};
    front->LockRect(&locked, nullptr, D3DLOCK_READONLY);
    const DWORD* screen = static_cast<const DWORD*>(locked.pBits);
    EXPECT_TRUE(colorNear(screen[(y + 45) * 200 + (x + 60)], 0xFF00FF00, 0));
    if (x > 4 && y > 4) {
        EXPECT_EQ(screen[(y / 2) * 200 + x / 2], 0u);  // outside the window
    }
    front->UnlockRect();
    front->Release();

    // Full screen covers the desktop with the window; windowed gives it back.
    D3DPRESENT_PARAMETERS full = pp;
    full.Windowed = FALSE;
    full.BackBufferWidth = 160;
    full.BackBufferHeight = 120;
    full.FullScreen_PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    ASSERT_EQ(device->Reset(&full), D3D_OK);
    EXPECT_TRUE(SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    D3DPRESENT_PARAMETERS windowed = pp;
    ASSERT_EQ(device->Reset(&windowed), D3D_OK);
    EXPECT_FALSE(SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN);
    EXPECT_EQ(device->Release(), 0u);
}

}  // namespace
