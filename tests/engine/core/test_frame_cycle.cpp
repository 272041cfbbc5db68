// The frame cycle: begin, clear and present; resizing through the window
// procedure; the engine's window closing; the frame clock; the render
// target and its shrinking; full screen.

#include "../engine_test_host.h"

#include "d3d8/d3d_test_device.h"

namespace {

using zep::test::colorNear;
using zep::test::EngineTestHost;
using zep::test::Lines;

class FrameCycle : public EngineTestHost {};

constexpr D3DCOLOR kGreen = 0xff00ff00;
constexpr D3DCOLOR kBlue = 0xff0000ff;
constexpr D3DCOLOR kBlack = 0xff000000;

TEST_F(FrameCycle, ClearPresentAndBeginWithOrWithoutClearing) {
    ASSERT_TRUE(open(160, 120));
    ASSERT_EQ(BeginRenderClear(1), 1);
    EXPECT_EQ(ClearTarget(D3DCLEAR_TARGET, kGreen, 1.0f, 0), D3D_OK);
    EXPECT_TRUE(colorNear(readBackBuffer().at(80, 60), kGreen));
    ZEPengine.frameStart = 1234;
    EXPECT_EQ(RenderHWND(nullptr), 1);
    EXPECT_EQ(ZEPengine.lastPresent, 1234);

    // Without clearing, the last frame is still there.
    ASSERT_EQ(BeginRenderClear(0), 1);
    EXPECT_TRUE(colorNear(readBackBuffer().at(80, 60), kGreen));
    EXPECT_EQ(RenderMainWindow(), 1);

    // Only the low byte asks for the clear.
    ASSERT_EQ(BeginRenderClear(0x100), 1);
    EXPECT_TRUE(colorNear(readBackBuffer().at(80, 60), kGreen));
    EXPECT_EQ(RenderWindow(nullptr, 80, 60), 1);

    ASSERT_EQ(BeginRender(), 1);
    EXPECT_TRUE(colorNear(readBackBuffer().at(80, 60), kBlack));
    ZEPengine.frameStart = 99;
    EXPECT_EQ(RenderRect(nullptr, 0, 0, 40, 30), 1);
    EXPECT_EQ(ZEPengine.lastPresent, 1234);  // only RenderHWND stamps the present
}

TEST_F(FrameCycle, BeginSetsTheViewportAndTheDefaultStates) {
    ASSERT_TRUE(open(160, 120));
    IDirect3DDevice8* device = zep::graphics().device;
    device->SetRenderState(D3DRS_ZWRITEENABLE, 0);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    device->SetRenderState(D3DRS_STENCILENABLE, 1);
    ZEPengine.alphaRef = 5;
    ZEPengine.fillFlags = 7;
    ZEPengine.lightMapTexture = 3;
    ASSERT_EQ(BeginRenderClear(1), 1);

    D3DVIEWPORT8 viewport{};
    device->GetViewport(&viewport);
    EXPECT_EQ(viewport.Width, 160u);
    EXPECT_EQ(viewport.Height, 120u);
    EXPECT_EQ(viewport.MaxZ, 1.0f);
    EXPECT_EQ(zep::viewState().viewport.Width, 160u);
    DWORD value = 0;
    device->GetRenderState(D3DRS_ZWRITEENABLE, &value);
    EXPECT_EQ(value, 1u);
    device->GetRenderState(D3DRS_CULLMODE, &value);
    EXPECT_EQ(value, DWORD(D3DCULL_NONE));
    device->GetRenderState(D3DRS_STENCILENABLE, &value);
    EXPECT_EQ(value, 0u);
    device->GetRenderState(D3DRS_ZFUNC, &value);
    EXPECT_EQ(value, DWORD(D3DCMP_LESSEQUAL));
    device->GetRenderState(D3DRS_AMBIENTMATERIALSOURCE, &value);
    EXPECT_EQ(value, DWORD(D3DMCS_COLOR1));
    device->GetTextureStageState(0, D3DTSS_ADDRESSU, &value);
    EXPECT_EQ(value, DWORD(D3DTADDRESS_WRAP));
    EXPECT_EQ(ZEPengine.alphaRef, 136);
    EXPECT_EQ(ZEPengine.fillFlags, 1);
    EXPECT_EQ(ZEPengine.lightMapTexture, -1);
    EXPECT_EQ(SetDefaultrenderStates(), D3D_OK);
    EXPECT_EQ(RenderHWND(nullptr), 1);
}

// Draws a red screen quad where the stencil equals `reference`; true when it
// shows.
bool quadShowsWhereStencilIs(DWORD reference) {
    IDirect3DDevice8* device = zep::graphics().device;
    struct Vertex {
        float x, y, z, rhw;
        D3DCOLOR color;
    };
    const Vertex quad[4] = {{0, 0, 0.5f, 1, 0xffff0000}, {64, 0, 0.5f, 1, 0xffff0000},
                            {0, 64, 0.5f, 1, 0xffff0000}, {64, 64, 0.5f, 1, 0xffff0000}};
    device->SetRenderState(D3DRS_STENCILENABLE, 1);
    device->SetRenderState(D3DRS_STENCILMASK, 0xff);
    device->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_EQUAL);
    device->SetRenderState(D3DRS_STENCILREF, reference);
    device->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_KEEP);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    device->SetVertexShader(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(Vertex));
    device->SetRenderState(D3DRS_STENCILENABLE, 0);
    return colorNear(EngineTestHost::readBackBuffer().at(32, 32), 0xffff0000);
}

TEST_F(FrameCycle, BackBufferClearTakesTheStencilAlong) {
    ASSERT_TRUE(open(64, 64));
    ASSERT_EQ(zep::graphics().stencilPresent, 4);
    ASSERT_EQ(BeginRenderClear(1), 1);
    EXPECT_EQ(ClearTarget(D3DCLEAR_STENCIL, 0, 1.0f, 7), D3D_OK);
    EXPECT_TRUE(quadShowsWhereStencilIs(7));
    ASSERT_EQ(RenderHWND(nullptr), 1);

    ASSERT_EQ(BeginRenderClear(1), 1);  // clears the stencil back to 0
    EXPECT_FALSE(quadShowsWhereStencilIs(7));
    EXPECT_TRUE(quadShowsWhereStencilIs(0));
    ASSERT_EQ(RenderHWND(nullptr), 1);

    // A depth format without stencil: ClearTarget leaves the stencil alone.
    zep::graphics().stencilPresent = 0;
    ASSERT_EQ(BeginRenderClear(0), 1);
    EXPECT_EQ(ClearTarget(D3DCLEAR_STENCIL | D3DCLEAR_TARGET, kBlack, 1.0f, 7), D3D_OK);
    EXPECT_TRUE(quadShowsWhereStencilIs(0));
    zep::graphics().stencilPresent = 4;
    ASSERT_EQ(RenderHWND(nullptr), 1);
}

TEST_F(FrameCycle, ResizeMainWindowResetsTheDeviceAroundTheDeviceObjects) {
    ASSERT_TRUE(open(160, 120));
    const size_t mark = logMark();
    ResizeMainWindow(200, 100);
    EXPECT_EQ(logLinesSince(mark),
              (Lines{"Ask resize 200,100", "Resize: 200,100", "Resize3DEnvironment", "Invalidate device objects",
                     "size 200,100", "Restore device objects", "Resized 200,100"}));
    EXPECT_EQ(zep::graphics().backBufferWidth, 200u);
    ASSERT_EQ(BeginRenderClear(1), 1);
    EXPECT_EQ(ZEPengine.screenWidth, 200);
    EXPECT_EQ(ZEPengine.screenHeight, 100);
    EXPECT_EQ(readBackBuffer().width, 200u);
    EXPECT_EQ(RenderHWND(nullptr), 1);

    // The render target came back with the device objects, listed as before.
    ASSERT_NE(ZEPengine.renderTargetTexture, nullptr);
    EXPECT_EQ(Textures[ZEPengine.renderTargetTextureIndex].texture, ZEPengine.renderTargetTexture);
    EXPECT_EQ(ZEPengine.textureCount, 3);  // listed again in its old entry, not appended
}

TEST_F(FrameCycle, ResizeMessageDeliveredThroughTheMessagePump) {
    ASSERT_TRUE(open(160, 120));
    ResizeMainWindow(120, 90);
    const size_t mark = logMark();
    ResizeMainWindow(0, 0);  // the client rectangle has not changed
    EXPECT_EQ(logLinesSince(mark), (Lines{"Ask resize 0,0", "Resize by ClientRect."}));

    // A size the window takes, then the private message as a queued one.
    RECT outer{0, 0, 100, 80};
    AdjustWindowRect(&outer, DWORD(GetWindowLongA(window, GWL_STYLE)), FALSE);
    SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top, SWP_NOMOVE | SWP_NOZORDER);
    ASSERT_TRUE(PostMessageA(window, zep::kResizeMessage, 0, 0));
    pumpMessages();
    EXPECT_TRUE(inOrder(logLinesSince(mark), {"Resize by ClientRect.", "Resize on ClientRect: 100,80",
                                              "Resize3DEnvironment", "Resized 100,80"}));
    ASSERT_EQ(BeginRenderClear(1), 1);
    EXPECT_EQ(ZEPengine.screenWidth, 100);
    EXPECT_EQ(ZEPengine.screenHeight, 80);
    EXPECT_EQ(RenderHWND(nullptr), 1);
}

TEST_F(FrameCycle, FollowWindowSizesOnTheFirstFrameOnlyThenByPaintWhileActive) {
    ASSERT_TRUE(open(160, 120, 1));
    auto resizeClient = [&](int width, int height) {
        RECT outer{0, 0, width, height};
        AdjustWindowRect(&outer, DWORD(GetWindowLongA(window, GWL_STYLE)), FALSE);
        SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                     SWP_NOMOVE | SWP_NOZORDER);
    };
    resizeClient(200, 150);
    ASSERT_EQ(BeginRenderClear(1), 1);  // the first frame of the library follows the window
    EXPECT_EQ(ZEPengine.screenWidth, 200);
    EXPECT_EQ(ZEPengine.screenHeight, 150);
    EXPECT_EQ(RenderHWND(nullptr), 1);

    resizeClient(120, 100);
    ASSERT_EQ(BeginRenderClear(1), 1);  // once only
    EXPECT_EQ(ZEPengine.screenWidth, 200);
    EXPECT_EQ(RenderHWND(nullptr), 1);

    // Minimised, the window is inactive and a paint does not resize.
    size_t mark = logMark();
    SendMessageA(window, WM_SIZE, SIZE_MINIMIZED, 0);
    SendMessageA(window, WM_PAINT, 0, 0);
    EXPECT_EQ(logLinesSince(mark), (Lines{"WM_SIZE"}));

    // Restored, it follows its client size at the next paint.
    SendMessageA(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(120, 100));
    EXPECT_TRUE(PostMessageA(window, WM_PAINT, 0, 0));
    pumpMessages();
    ASSERT_EQ(BeginRenderClear(1), 1);
    EXPECT_EQ(ZEPengine.screenWidth, 120);
    EXPECT_EQ(ZEPengine.screenHeight, 100);
    EXPECT_EQ(RenderHWND(nullptr), 1);
}

TEST_F(FrameCycle, ClosingTheEnginesWindowClosesTheEngine) {
    for (bool posted : {true, false}) {
        SCOPED_TRACE(posted ? "posted" : "sent");
        window = nullptr;
        ASSERT_TRUE(open());
        const HWND engineWindow = window;
        const size_t mark = logMark();
        bool quit = false;
        if (posted) {
            ASSERT_TRUE(PostMessageA(engineWindow, WM_CLOSE, 0, 0));
            quit = pumpMessages();
        } else {
            EXPECT_EQ(SendMessageA(engineWindow, WM_CLOSE, 0, 0), 0);
            quit = pumpMessages();
        }
        EXPECT_EQ(running, 0);
        EXPECT_EQ(ZEPengine.engineRunning, 0);
        EXPECT_FALSE(IsWindow(engineWindow));
        EXPECT_EQ(zep::graphics().device, nullptr);
        EXPECT_TRUE(quit);
        EXPECT_TRUE(inOrder(logLinesSince(mark), {"WM_CLOSE", "Close ZEPengine.", "Engine closed"}));
    }
}

TEST_F(FrameCycle, WindowProcedureAnswers) {
    ASSERT_TRUE(open());
    WNDPROC procedure = GetD3DMsgProc();
    ASSERT_NE(procedure, nullptr);
    MINMAXINFO info{};
    procedure(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, 100);
    EXPECT_EQ(info.ptMinTrackSize.y, 100);
    EXPECT_EQ(procedure(window, WM_POWERBROADCAST, PBT_APMQUERYSUSPEND, 0), TRUE);
    EXPECT_EQ(procedure(window, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0), TRUE);
    const size_t mark = logMark();
    procedure(window, WM_ENTERSIZEMOVE, 0, 0);
    procedure(window, WM_EXITSIZEMOVE, 0, 0);
    EXPECT_EQ(logLinesSince(mark), (Lines{"WM_ENTERSIZEMOVE"}));  // inactive: no resize after the move
    // A window that is not the engine's is left to its owner.
    EXPECT_EQ(procedure(reinterpret_cast<HWND>(uintptr_t(0x7654321)), WM_CLOSE, 0, 0), 0);
    EXPECT_EQ(running, 1);
}

TEST_F(FrameCycle, StartFrameCountsFromInitialisationFirst) {
    ASSERT_TRUE(open());
    const int32_t opened = ZEPengine.frameStart;
    EXPECT_EQ(ZEPengine.lastPresent, opened);
    Sleep(30);
    const int32_t first = StartFrame();
    EXPECT_GE(first, 30);
    EXPECT_EQ(ZEPengine.frameStart, opened + first);
    EXPECT_EQ(ZEPengine.frameDelta, first);
    const int32_t second = StartFrame();
    EXPECT_GE(second, 0);
    EXPECT_EQ(ZEPengine.frameStart, opened + first + second);
}

// ---- Render target ----------------------------------------------------------------------

D3DSURFACE_DESC renderTargetDesc() {
    D3DSURFACE_DESC desc{};
    if (ZEPengine.renderTargetTexture) ZEPengine.renderTargetTexture->GetLevelDesc(0, &desc);
    return desc;
}

TEST_F(FrameCycle, RenderTargetTakesAScene) {
    ASSERT_TRUE(open(160, 120));
    ASSERT_EQ(BeginRenderTargetClear(1), 1);
    IDirect3DDevice8* device = zep::graphics().device;
    D3DVIEWPORT8 viewport{};
    device->GetViewport(&viewport);
    EXPECT_EQ(viewport.Width, 256u);
    EXPECT_EQ(ZEPengine.screenWidth, 160);  // the screen size is the back buffer's
    EXPECT_EQ(ClearTarget(D3DCLEAR_TARGET, kBlue, 1.0f, 0), D3D_OK);
    EXPECT_EQ(RenderTarget(), 1);

    IDirect3DSurface8* current = nullptr;
    IDirect3DSurface8* back = nullptr;
    device->GetRenderTarget(&current);
    device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back);
    EXPECT_EQ(current, back);
    current->Release();
    back->Release();

    IDirect3DSurface8* level = nullptr;
    ASSERT_EQ(ZEPengine.renderTargetTexture->GetSurfaceLevel(0, &level), D3D_OK);
    std::string error;
    const zep::visual::Image image = zep::visual::readSurface(device, level, &error);
    level->Release();
    EXPECT_TRUE(colorNear(image.at(128, 128), kBlue)) << error;

    // Without a render target there is no render-target scene.
    zep::releaseRenderTarget();
    EXPECT_EQ(BeginRenderTargetClear(1), 0);
}

TEST_F(FrameCycle, RenderTargetShrinksUntilTheDeviceTakesIt) {
    struct Case {
        DWORD maxTextureSide;
        int32_t width, height;
        int32_t expectedWidth, expectedHeight;  // 0: no render target
    };
    const Case cases[] = {
        {4096, 256, 256, 256, 256},
        {128, 256, 256, 128, 128},
        {256, 512, 256, 256, 256},
        {128, 512, 256, 128, 128},
        {64, 256, 256, 0, 0},  // below 128 it gives up
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.width << "x" << c.height << " on " << c.maxTextureSide);
        window = nullptr;
        ASSERT_TRUE(open(64, 64));
        // A device whose textures may be no larger than this.
        zep::releaseRenderTarget();
        zep::graphics().caps.MaxTextureWidth = zep::graphics().caps.MaxTextureHeight = c.maxTextureSide;
        ZEPengine.renderTargetWidth = c.width;
        ZEPengine.renderTargetHeight = c.height;
        const size_t mark = logMark();
        InitZEPengine();
        if (c.expectedWidth == 0) {
            EXPECT_EQ(ZEPengine.renderTargetTexture, nullptr);
        } else {
            ASSERT_NE(ZEPengine.renderTargetTexture, nullptr);
            EXPECT_EQ(ZEPengine.renderTargetWidth, c.expectedWidth);
            EXPECT_EQ(ZEPengine.renderTargetHeight, c.expectedHeight);
            EXPECT_EQ(ZEPengine.renderTargetSize, c.expectedWidth);
            EXPECT_EQ(renderTargetDesc().Width, UINT(c.expectedWidth));
            EXPECT_EQ(renderTargetDesc().Height, UINT(c.expectedHeight));
        }
        EXPECT_TRUE(logLinesSince(mark).empty());  // the retries are silent
        CloseZEPengine();
    }
}

TEST_F(FrameCycle, RenderTargetLargerThanTheDeviceAllowsIsRefusedAndTheOldOneKept) {
    ASSERT_TRUE(open());
    IDirect3DTexture8* before = ZEPengine.renderTargetTexture;
    const UINT limit = zep::graphics().caps.MaxTextureWidth;
    EXPECT_EQ(ResetRenderTargetSize(int32_t(limit) * 2, 64), 0);
    EXPECT_EQ(ZEPengine.renderTargetTexture, before);
    EXPECT_EQ(ZEPengine.renderTargetWidth, 256);
    EXPECT_EQ(ResetRenderTargetSize(128, 64), 1);
    EXPECT_EQ(ZEPengine.renderTargetSize, 128);
    EXPECT_EQ(renderTargetDesc().Height, 64u);
    EXPECT_EQ(Textures[ZEPengine.renderTargetTextureIndex].texture, ZEPengine.renderTargetTexture);
}

// ---- Full screen ------------------------------------------------------------------------

TEST_F(FrameCycle, FullScreenTogglesOnlyWhenTheStateDiffers) {
    ASSERT_TRUE(open(160, 120));
    size_t mark = logMark();
    FullScreen(0);  // already windowed
    EXPECT_TRUE(logLinesSince(mark).empty());

    FullScreen(1);
    EXPECT_FALSE(zep::engineHost().windowed());
    EXPECT_TRUE(inOrder(logLinesSince(mark), {"Invalidate device objects", "Restore device objects"}));
    D3DDISPLAYMODE desktop{};
    zep::graphics().d3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &desktop);
    EXPECT_EQ(zep::graphics().backBufferWidth, desktop.Width);
    ASSERT_EQ(BeginRenderClear(1), 1);
    EXPECT_EQ(ZEPengine.screenWidth, int32_t(desktop.Width));
    EXPECT_EQ(RenderHWND(nullptr), 1);

    mark = logMark();
    FullScreen(1);  // already full screen: nothing happens
    EXPECT_TRUE(logLinesSince(mark).empty());

    // Full screen, the window has no frame to move or size by.
    WNDPROC procedure = GetD3DMsgProc();
    EXPECT_EQ(procedure(window, WM_SYSCOMMAND, SC_MOVE, 0), 1);
    EXPECT_EQ(procedure(window, WM_SYSCOMMAND, SC_MONITORPOWER, 2), 1);

    FullScreen(0);
    EXPECT_TRUE(zep::engineHost().windowed());
    EXPECT_EQ(zep::graphics().backBufferWidth, 160u);
    EXPECT_EQ(zep::graphics().backBufferHeight, 120u);
    ASSERT_EQ(BeginRenderClear(1), 1);
    EXPECT_EQ(RenderHWND(nullptr), 1);
}

}  // namespace
