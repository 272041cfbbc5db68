// Opening and closing the engine: the record after initialisation, the log,
// the pools and where they live, failed openings, opening again, and the
// host windows the engine opens on.

#include "../engine_test_host.h"

#include "d3d8/d3d_test_device.h"
#include "win32/window_handle.h"

#include <SDL.h>

#include <climits>
#include <filesystem>

namespace {

using zep::test::colorNear;
using zep::test::EngineTestHost;
using zep::test::Lines;

class DeviceOpening : public EngineTestHost {};

D3DVERTEXBUFFER_DESC describe(IDirect3DVertexBuffer8* buffer) {
    D3DVERTEXBUFFER_DESC desc{};
    if (buffer) buffer->GetDesc(&desc);
    return desc;
}

D3DINDEXBUFFER_DESC describe(IDirect3DIndexBuffer8* buffer) {
    D3DINDEXBUFFER_DESC desc{};
    if (buffer) buffer->GetDesc(&desc);
    return desc;
}

D3DSURFACE_DESC describeTopLevel(IDirect3DTexture8* texture) {
    D3DSURFACE_DESC desc{};
    if (texture) texture->GetLevelDesc(0, &desc);
    return desc;
}

TEST_F(DeviceOpening, RecordHoldsEveryDefaultAfterOpening) {
    ASSERT_EQ(ZEPengine.identity, 0u);
    ASSERT_TRUE(open(160, 120));
    EXPECT_EQ(ZEPengine.identity, ZEP_IDENTITY_WORD);
    EXPECT_EQ(running, 1);
    EXPECT_EQ(ZEPengine.engineRunning, 1);
    EXPECT_EQ(ZEPengine.ownsWindow, 1);
    EXPECT_TRUE(IsWindow(window));

    EXPECT_EQ(ZEPengine.hostConstant, 3.0f);
    EXPECT_EQ(ZEPengine.objectCount, 1);
    EXPECT_EQ(ZEPengine.staticVertexCount, 0);
    EXPECT_EQ(ZEPengine.meshCount, 0);
    EXPECT_EQ(ZEPengine.staticIndexCount, 0);
    EXPECT_EQ(ZEPengine.dynamicVertexCount, 0);
    EXPECT_EQ(ZEPengine.helperCount, 0);
    EXPECT_EQ(ZEPengine.animationCount, 0);
    EXPECT_EQ(ZEPengine.layerBase, ZEP_TEXT_BLOCK_VERTICES);
    EXPECT_EQ(ZEPengine.layerVertexCount, ZEP_TEXT_BLOCK_VERTICES);
    EXPECT_EQ(zep::textBlockStart(), 0);
    EXPECT_EQ(ZEPengine.vertexSource, ZEP_SOURCE_NONE);

    EXPECT_EQ(ZEPengine.requestedWidth, 160);
    EXPECT_EQ(ZEPengine.requestedHeight, 120);
    EXPECT_EQ(ZEPengine.screenWidth, 160);
    EXPECT_EQ(ZEPengine.screenHeight, 120);
    EXPECT_EQ(ZEPengine.backBufferBits, 32);
    EXPECT_EQ(ZEPengine.followWindow, 0);
    EXPECT_EQ(ZEPengine.multisampleType, 0);
    EXPECT_EQ(ZEPengine.nearClip, 1.0f);
    EXPECT_EQ(ZEPengine.farClip, 20000.0f);
    EXPECT_EQ(ZEPengine.sunDirection.x, 1.0f);
    EXPECT_EQ(ZEPengine.sunDirection.y, -1.0f);
    EXPECT_EQ(ZEPengine.sunDirection.z, 0.0f);
    EXPECT_EQ(ZEPengine.cullMode, 2);
    EXPECT_EQ(ZEPengine.cullingEnabled, 1);
    EXPECT_EQ(ZEPengine.alphaRef, 136);
    EXPECT_EQ(ZEPengine.alphaOp, 4);
    EXPECT_EQ(ZEPengine.colorOp, 4);
    EXPECT_EQ(ZEPengine.fogEnabled, 0);
    EXPECT_EQ(ZEPengine.ambientColor, 0xff000000u);
    EXPECT_EQ(ZEPengine.defaultLightColor, 0xff000000u);
    EXPECT_FLOAT_EQ(ZEPengine.defaultLightAttenuation1, 0.8f);
    EXPECT_EQ(ZEPengine.defaultLightFalloff, 100.0f);
    EXPECT_STREQ(ZEPengine.objectFolder, "OBJS");
    EXPECT_STREQ(ZEPengine.texturePathList, "TEXTURES/;;");
    EXPECT_EQ(ZEPengine.allowBmp, 1);
    EXPECT_EQ(ZEPengine.texturesOff, 0);
    EXPECT_EQ(ZEPengine.texturePathsFifth, 1);
    EXPECT_EQ(ZEPengine.videoState, -1);
    EXPECT_EQ(ZEPengine.shadowTexture, -1);

    // Capabilities of the device, as the record keeps them.
    const D3DCAPS8& caps = zep::graphics().caps;
    EXPECT_EQ(ZEPengine.maxLights, int32_t(caps.MaxActiveLights));
    EXPECT_GT(ZEPengine.maxLights, 0);
    EXPECT_EQ(ZEPengine.maxAnisotropy, int32_t(caps.MaxAnisotropy));
    EXPECT_EQ(ZEPengine.maxPrimitiveCount, int32_t(caps.MaxPrimitiveCount));
    EXPECT_FLOAT_EQ(ZEPengine.vertexShaderVersion, 1.1f);  // the runtime offers vs.1.1 and ps.1.1
    EXPECT_FLOAT_EQ(ZEPengine.pixelShaderVersion, 1.1f);

    // The render target, listed as "@ScreenCopytexture".
    EXPECT_EQ(ZEPengine.renderTargetSize, 256);
    EXPECT_EQ(ZEPengine.renderTargetWidth, 256);
    EXPECT_EQ(ZEPengine.renderTargetHeight, 256);
    ASSERT_NE(ZEPengine.renderTargetTexture, nullptr);
    EXPECT_NE(ZEPengine.renderTargetDepth, nullptr);
    EXPECT_NE(ZEPengine.renderTargetCopy, nullptr);
    EXPECT_EQ(describeTopLevel(ZEPengine.renderTargetTexture).Width, 256u);
    const int32_t listed = ZEPengine.renderTargetTextureIndex;
    ASSERT_GE(listed, 0);
    // Initialisation empties the list after the first restore listed the
    // render target, so the count stands at the first host handle.
    EXPECT_EQ(ZEPengine.textureCount, 3);
    EXPECT_STREQ(Textures[listed].name, "@ScreenCopytexture");
    EXPECT_EQ(Textures[listed].texture, ZEPengine.renderTargetTexture);
    EXPECT_EQ(Textures[listed].width, 256);
    EXPECT_EQ(Textures[listed].height, 256);
    EXPECT_EQ(Textures[listed].format, int32_t(zep::graphics().backBufferFormat));
    EXPECT_EQ(Textures[listed].spareFormat, -1);

    // The working directory and the log under it.
    EXPECT_EQ(std::filesystem::path(ZEPengine.workingDirectory), std::filesystem::current_path());
    EXPECT_EQ(std::string(ZEPengine.logPath), std::string(ZEPengine.workingDirectory) + "\\Log\\ZEP.log");
}

TEST_F(DeviceOpening, LogStartsFreshAndFollowsTheOpeningInOrder) {
    {
        std::ofstream stale(directory / "Log" / "ZEP.log");
        stale << "left from an earlier run\n";
    }
    ASSERT_TRUE(open(160, 120));
    const Lines lines = logLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "Start...");
    EXPECT_TRUE(inOrder(lines, {"Start...", "Init cilent size x=160,y=120", "Init 3d env 160x120.",
                                "Init device objects", "Restore device objects", "Set renderstates"}));
}

TEST_F(DeviceOpening, DeviceIsChosenWithStencilAndHardwareVertexProcessing) {
    ASSERT_TRUE(open());
    const zep::Graphics& g = zep::graphics();
    ASSERT_NE(g.device, nullptr);
    EXPECT_EQ(g.window, window);
    EXPECT_EQ(g.depthStencilFormat, D3DFMT_D24S8);
    EXPECT_EQ(g.stencilPresent, 4);
    EXPECT_FALSE(g.lacksTransformedClipping);
    D3DDEVICE_CREATION_PARAMETERS creation{};
    ASSERT_EQ(g.device->GetCreationParameters(&creation), D3D_OK);
    EXPECT_EQ(creation.DeviceType, D3DDEVTYPE_HAL);
    EXPECT_EQ(creation.BehaviorFlags, DWORD(D3DCREATE_HARDWARE_VERTEXPROCESSING));
    EXPECT_STREQ(zep::engineHost().deviceStats(), "HAL (hw vp) (D24S8)");
    // HAL first, then REF, each with the desktop format for windows.
    const auto& options = zep::engineHost().deviceOptions();
    ASSERT_EQ(options.size(), 2u);
    EXPECT_EQ(options[0].type, D3DDEVTYPE_HAL);
    EXPECT_EQ(options[1].type, D3DDEVTYPE_REF);
    ASSERT_NE(options[0].windowedFormat(), nullptr);
    EXPECT_EQ(options[0].windowedFormat()->format, g.backBufferFormat);
}

TEST_F(DeviceOpening, PoolsAreSizedFromTheCapacitiesAndPrefilled) {
    SetZEPengineMemory(10000, 40000, 1000, 1000, 500, 5000);
    ASSERT_TRUE(open());
    const zep::PoolBuffers& pools = zep::poolBuffers();
    const D3DVERTEXBUFFER_DESC staticDesc = describe(pools.staticVertices);
    EXPECT_EQ(staticDesc.Size, 40000u * 44u);
    EXPECT_EQ(staticDesc.FVF, DWORD(ZEP_FVF_STATIC));
    const D3DINDEXBUFFER_DESC indexDesc = describe(pools.staticIndices);
    EXPECT_EQ(indexDesc.Size, 40000u * 2u);
    EXPECT_EQ(indexDesc.Format, D3DFMT_INDEX16);
    EXPECT_EQ(describe(pools.dynamicVertices).Size, 10000u * 24u);
    EXPECT_EQ(describe(pools.dynamicVertices).FVF, DWORD(ZEP_FVF_DYNAMIC));
    EXPECT_EQ(describe(pools.layerVertices).Size, 1000u * 28u);
    EXPECT_EQ(describe(pools.layerVertices).FVF, DWORD(ZEP_FVF_LAYER));
    EXPECT_EQ(describe(pools.screenQuad).Size, 80u);
    EXPECT_NE(pools.smallSurface, nullptr);
    EXPECT_NE(ZEPengine.objects, nullptr);
    EXPECT_NE(ZEPengine.meshes, nullptr);
    EXPECT_NE(ZEPengine.helpers, nullptr);

    BYTE* data = nullptr;
    ASSERT_EQ(pools.layerVertices->Lock(0, 0, &data, D3DLOCK_READONLY), D3D_OK);
    const auto* layer = reinterpret_cast<const LayerVertex*>(data);
    for (int i : {0, 500, 999}) {
        EXPECT_EQ(layer[i].rhw, 1.0f) << i;
        EXPECT_EQ(layer[i].color, 0xffffffffu) << i;
    }
    pools.layerVertices->Unlock();
    ASSERT_EQ(pools.dynamicVertices->Lock(0, 0, &data, D3DLOCK_READONLY), D3D_OK);
    const auto* dynamic = reinterpret_cast<const DynamicVertex*>(data);
    EXPECT_EQ(dynamic[0].color, 0xffffffffu);
    EXPECT_EQ(dynamic[9999].color, 0xffffffffu);
    pools.dynamicVertices->Unlock();
}

TEST_F(DeviceOpening, TextBlockFillingTheLayerPoolIsLoggedAndInitialisationGoesOn) {
    SetZEPengineMemory(1000, 1000, 896, 10, 10, 10);
    ASSERT_TRUE(open());
    EXPECT_EQ(ZEPengine.layerVertexCount, 896);
    EXPECT_EQ(ZEPengine.identity, ZEP_IDENTITY_WORD);
    EXPECT_TRUE(inOrder(logLines(), {"Error: Out of memory on fint init."}));
}

TEST_F(DeviceOpening, MultisampleTypeActuallyUsedIsWrittenBack) {
    // The runtime offers 2 and 4 samples: 3 falls back to 2.
    ASSERT_TRUE(open(160, 120, 0, 3));
    EXPECT_EQ(ZEPengine.multisampleType, 2);
    EXPECT_EQ(zep::engineHost().presentParameters().MultiSampleType, D3DMULTISAMPLE_2_SAMPLES);
}

TEST_F(DeviceOpening, FailedOpeningLeavesNothingBehindAndReadsAsNotOpened) {
    ZEPengine.identity = ZEP_IDENTITY_WORD;  // as an earlier opening left it
    SetZEPengineMemory(-1, 80000, 2000, 10000, 10000, 40000);  // no dynamic pool can be made
    EXPECT_EQ(open(), 0);
    EXPECT_EQ(ZEPengine.identity, 0u);
    EXPECT_EQ(ZEPengine.engineRunning, 0);
    EXPECT_EQ(running, 0);
    EXPECT_EQ(zep::graphics().device, nullptr);
    EXPECT_EQ(zep::graphics().d3d, nullptr);
    EXPECT_EQ(zep::poolBuffers().staticVertices, nullptr);
    EXPECT_EQ(ZEPengine.objects, nullptr);
    EXPECT_EQ(window, nullptr);

    // Nothing in the way of the next opening.
    SetZEPengineMemory(25000, 80000, 2000, 10000, 10000, 40000);
    ASSERT_TRUE(open());
    EXPECT_EQ(ZEPengine.identity, ZEP_IDENTITY_WORD);
}

TEST_F(DeviceOpening, CloseReleasesEverythingAndTheEngineOpensAgain) {
    ASSERT_TRUE(open());
    const HWND first = window;
    const size_t mark = logMark();
    CloseZEPengine();
    EXPECT_EQ(logLinesSince(mark),
              (Lines{"Close ZEPengine.", "Invalidate device objects", "Delete device objects", "Engine closed"}));
    EXPECT_EQ(running, 0);
    EXPECT_EQ(ZEPengine.engineRunning, 0);
    EXPECT_EQ(zep::graphics().device, nullptr);
    EXPECT_EQ(zep::graphics().d3d, nullptr);
    EXPECT_EQ(zep::poolBuffers().dynamicVertices, nullptr);
    EXPECT_EQ(zep::poolBuffers().screenQuad, nullptr);
    EXPECT_EQ(ZEPengine.renderTargetTexture, nullptr);
    EXPECT_EQ(ZEPengine.meshes, nullptr);
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(Textures[ZEPengine.renderTargetTextureIndex].texture, nullptr);
    EXPECT_EQ(BeginRenderClear(1), 0);
    EXPECT_EQ(RenderHWND(nullptr), 0);

    window = nullptr;
    ASSERT_TRUE(open(96, 64));
    EXPECT_EQ(running, 1);
    EXPECT_EQ(ZEPengine.identity, ZEP_IDENTITY_WORD);
    ASSERT_EQ(BeginRenderClear(1), 1);
    EXPECT_EQ(ClearTarget(D3DCLEAR_TARGET, 0xff0000ff, 1.0f, 0), D3D_OK);
    EXPECT_TRUE(colorNear(readBackBuffer().at(48, 32), 0xff0000ff));
    EXPECT_EQ(RenderHWND(nullptr), 1);
}

TEST_F(DeviceOpening, InitD3DWithoutLogFolderWorksAndWritesNoLog) {
    std::filesystem::remove_all(directory / "Log");
    ASSERT_EQ(InitD3D(), 1);
    EXPECT_EQ(ZEPengine.screenWidth, 800);
    EXPECT_EQ(ZEPengine.screenHeight, 600);
    EXPECT_EQ(ZEPengine.followWindow, 1);
    EXPECT_EQ(ZEPengine.ownsWindow, 1);
    EXPECT_EQ(ZEPengine.identity, ZEP_IDENTITY_WORD);
    ASSERT_EQ(BeginRenderClear(1), 1);
    EXPECT_EQ(RenderHWND(nullptr), 1);
    ZEP_log("not written anywhere\n");
    CloseZEPengine();
    EXPECT_TRUE(std::filesystem::is_empty(directory));
}

// ---- Pool placement ---------------------------------------------------------------------

TEST(PoolPlacement, BuffersLargerThanAThirdOfFreeVideoMemoryLiveInSystemMemory) {
    struct Case {
        uint64_t bytes;
        int32_t freeMemory;
        D3DPOOL expected;
    };
    const Case cases[] = {
        {100, 300, D3DPOOL_MANAGED},                   // exactly a third stays managed
        {101, 300, D3DPOOL_SYSTEMMEM},
        {100, 302, D3DPOOL_MANAGED},                   // the third is rounded down: 100
        {101, 302, D3DPOOL_SYSTEMMEM},
        {3520000, 201326592, D3DPOOL_MANAGED},         // the default static pool, 192 MB free
        {1, 0, D3DPOOL_SYSTEMMEM},                     // no video memory at all
        {1, -1, D3DPOOL_SYSTEMMEM},                    // a driver figure that went negative
        {uint64_t(1) << 33, INT32_MAX, D3DPOOL_SYSTEMMEM},
    };
    for (const Case& c : cases)
        EXPECT_EQ(zep::poolForBuffer(c.bytes, c.freeMemory), c.expected) << c.bytes << " of " << c.freeMemory;
}

TEST_F(DeviceOpening, PoolTooLargeForVideoMemoryGoesToSystemMemoryAndDraws) {
    ASSERT_TRUE(open(64, 64));
    int32_t total = 0, freeMemory = 0, textureMemory = 0;
    EXPECT_EQ(GetAvailableMem(&total, &freeMemory, &textureMemory), textureMemory);
    EXPECT_GT(textureMemory, 0);
    ASSERT_GT(freeMemory, 0);
    EXPECT_GE(total, freeMemory);
    CloseZEPengine();

    // A dynamic pool just over a third of the free memory; the rest as usual.
    const int32_t dynamicVertices = freeMemory / 3 / int32_t(sizeof(DynamicVertex)) + 1;
    SetZEPengineMemory(dynamicVertices, 1000, 1000, 10, 10, 10);
    window = nullptr;
    ASSERT_TRUE(open(64, 64));
    const zep::PoolBuffers& pools = zep::poolBuffers();
    EXPECT_EQ(describe(pools.dynamicVertices).Pool, D3DPOOL_SYSTEMMEM);
    EXPECT_EQ(describe(pools.staticVertices).Pool, D3DPOOL_MANAGED);
    EXPECT_EQ(describe(pools.staticIndices).Pool, D3DPOOL_MANAGED);
    EXPECT_EQ(describe(pools.layerVertices).Pool, D3DPOOL_MANAGED);

    // A frame drawn from the end of that pool.
    IDirect3DDevice8* device = zep::graphics().device;
    ASSERT_EQ(BeginRenderClear(1), 1);
    BYTE* data = nullptr;
    const UINT first = UINT(dynamicVertices - 3);
    ASSERT_EQ(pools.dynamicVertices->Lock(first * sizeof(DynamicVertex), 3 * sizeof(DynamicVertex), &data, 0),
              D3D_OK);
    const DynamicVertex triangle[3] = {{-3.0f, -3.0f, 5.0f, 0xffff0000, 0.0f, 0.0f},
                                       {0.0f, 3.0f, 5.0f, 0xffff0000, 0.0f, 0.0f},
                                       {3.0f, -3.0f, 5.0f, 0xffff0000, 0.0f, 0.0f}};
    std::memcpy(data, triangle, sizeof triangle);
    pools.dynamicVertices->Unlock();
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    device->SetStreamSource(0, pools.dynamicVertices, sizeof(DynamicVertex));
    device->SetVertexShader(ZEP_FVF_DYNAMIC);
    ASSERT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, first, 1), D3D_OK);
    const zep::visual::Image image = readBackBuffer();
    EXPECT_TRUE(colorNear(image.at(32, 32), 0xffff0000));
    EXPECT_TRUE(colorNear(image.at(1, 1), 0xff000000));
    EXPECT_EQ(RenderHWND(nullptr), 1);
}

// ---- Host windows -----------------------------------------------------------------------

// A host window whose procedure hands every message to the engine, as a
// host with its own window does through GetD3DMsgProc.
LRESULT CALLBACK forwardingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (WNDPROC engine = GetD3DMsgProc()) return engine(window, message, wParam, lParam);
    return 0;
}

HWND createHostWindow(int clientWidth, int clientHeight) {
    static const ATOM registered = [] {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = &forwardingProcedure;
        windowClass.lpszClassName = "zep engine test host";
        return RegisterClassA(&windowClass);
    }();
    (void)registered;
    RECT outer{0, 0, clientWidth, clientHeight};
    AdjustWindowRect(&outer, WS_OVERLAPPEDWINDOW, FALSE);
    return CreateWindowExA(0, "zep engine test host", "host", WS_OVERLAPPEDWINDOW, 10, 10, outer.right - outer.left,
                           outer.bottom - outer.top, nullptr, nullptr, nullptr, nullptr);
}

TEST_F(DeviceOpening, OpensOnAHostWindowAndFollowsItsClientSize) {
    const HWND host = createHostWindow(144, 96);
    ASSERT_NE(host, nullptr);
    window = host;
    ASSERT_TRUE(open(640, 480, 1));  // followWindow: the client size wins over the arguments
    EXPECT_EQ(window, host);
    EXPECT_EQ(ZEPengine.ownsWindow, 0);
    EXPECT_EQ(ZEPengine.screenWidth, 144);
    EXPECT_EQ(ZEPengine.screenHeight, 96);
    EXPECT_EQ(zep::graphics().backBufferWidth, 144u);

    // The host's window is the host's: closing it does not close the engine.
    EXPECT_EQ(SendMessageA(host, WM_CLOSE, 0, 0), 0);
    EXPECT_TRUE(IsWindow(host));
    EXPECT_EQ(running, 1);

    ASSERT_EQ(BeginRenderClear(1), 1);
    EXPECT_EQ(ClearTarget(D3DCLEAR_TARGET, 0xff00ff00, 1.0f, 0), D3D_OK);
    EXPECT_TRUE(colorNear(readBackBuffer().at(72, 48), 0xff00ff00));
    EXPECT_EQ(RenderHWND(nullptr), 1);

    CloseZEPengine();
    EXPECT_TRUE(IsWindow(host));  // the engine leaves the host's window alone
    DestroyWindow(host);
}

TEST_F(DeviceOpening, OpensOnAWindowMadeWithSdlDirectly) {
    GetSystemMetrics(SM_CXSCREEN);  // starts SDL video the way the platform does
    SDL_Window* sdlWindow = SDL_CreateWindow("host", 0, 0, 120, 80, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!sdlWindow) GTEST_SKIP() << "no SDL window: " << SDL_GetError();
    window = zep::win32::handleFromWindow(sdlWindow);
    ASSERT_TRUE(open(120, 80));
    EXPECT_EQ(ZEPengine.ownsWindow, 0);
    ASSERT_EQ(BeginRenderClear(1), 1);
    EXPECT_EQ(ClearTarget(D3DCLEAR_TARGET, 0xffff00ff, 1.0f, 0), D3D_OK);
    EXPECT_TRUE(colorNear(readBackBuffer().at(60, 40), 0xffff00ff));
    EXPECT_EQ(RenderHWND(nullptr), 1);
    CloseZEPengine();
    SDL_DestroyWindow(sdlWindow);
}

}  // namespace
