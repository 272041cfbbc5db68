// Opening the engine: the working directory and the log, the device host,
// the pools, the device's capabilities and every default; and closing it
// all again.

#include "core/device_opening.h"

#include "core/graphics.h"
#include "core/mouse.h"
#include "core/state.h"
#include "objects/registry.h"
#include "objects/textures.h"
#include "terrain/effects.h"

#include <ZEPenginedll.h>
#include <mmsystem.h>
#include <zep_files.h>

#include <cfenv>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace zep {

namespace {

constexpr const char* kLogName = "Log\\ZEP.log";
constexpr int32_t kRenderTargetSize = 256;
constexpr uint32_t kOpaqueBlack = 0xff000000;

// ---- Log -----------------------------------------------------------------------

// Copies text into a fixed record field; false (and an empty field) when it
// does not fit.
bool copyField(char* field, size_t size, const char* text) {
    const size_t length = std::strlen(text);
    if (length >= size) {
        field[0] = '\0';
        return false;
    }
    std::memcpy(field, text, length + 1);
    return true;
}

// The working directory and the log path under it; the log starts empty.
// Without a Log folder the file cannot be made and logging stays silent.
void startLog() {
    char directory[sizeof ZEPengine.workingDirectory] = {};
    const DWORD length = GetCurrentDirectoryA(DWORD(sizeof directory), directory);
    if (length == 0 || length >= sizeof directory) directory[0] = '\0';
    copyField(ZEPengine.workingDirectory, sizeof ZEPengine.workingDirectory, directory);

    ZEPengine.logPath[0] = '\0';
    const size_t directoryLength = std::strlen(directory);
    const size_t nameLength = std::strlen(kLogName);
    if (directoryLength == 0 || directoryLength + 1 + nameLength >= sizeof ZEPengine.logPath) return;
    std::memcpy(ZEPengine.logPath, directory, directoryLength);
    ZEPengine.logPath[directoryLength] = '\\';
    std::memcpy(ZEPengine.logPath + directoryLength + 1, kLogName, nameLength + 1);

    if (FILE* file = zep_fopen(ZEPengine.logPath, "wt")) {
        std::fputs("Start...\n", file);
        std::fclose(file);
    }
}

// ---- Capabilities and states ----------------------------------------------------------

// Shader versions as major + minor / 10.
float shaderVersion(DWORD version) { return float((version >> 8) & 0xFF) + float(version & 0xFF) / 10.0f; }

void recordCapabilities() {
    const D3DCAPS8& caps = graphics().caps;
    ZEPengine.maxLights = int32_t(caps.MaxActiveLights);
    ZEPengine.maxAnisotropy = int32_t(caps.MaxAnisotropy);
    ZEPengine.maxPrimitiveCount = int32_t(caps.MaxPrimitiveCount);
    ZEPengine.vertexShaderVersion = shaderVersion(caps.VertexShaderVersion);
    ZEPengine.pixelShaderVersion = shaderVersion(caps.PixelShaderVersion);
}

void setOpeningRenderStates() {
    ZEP_log("Set renderstates\n");
    setRenderState(D3DRS_LIGHTING, 0);
    setRenderState(D3DRS_ZENABLE, 1);
    setRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    setRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    setRenderState(D3DRS_ALPHATESTENABLE, 1);
    setRenderState(D3DRS_ALPHAREF, DWORD(ZEPengine.alphaRef));
    setRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
}

// Undoes a failed opening, so that nothing is left behind and the record
// does not claim a running engine.
void abandonOpening() {
    engineHost().cleanup();
    ZEPengine.engineRunning = 0;
}

void startClock() {
    int32_t now = int32_t(timeGetTime());
    if (now == ZEPengine.lastPresent) ++now;
    ZEPengine.lastPresent = now;
    ZEPengine.frameDelta = now;
    ZEPengine.frameStart = now;
}

void reserveTextBlock() {
    textBlockStart() = ZEPengine.layerVertexCount;
    ZEPengine.layerVertexCount += ZEP_TEXT_BLOCK_VERTICES;
    if (ZEPengine.layerVertexCount >= poolCapacities().layerVertices) ZEP_log("Error: Out of memory on fint init.\n");
}

}  // namespace

int32_t& textBlockStart() {
    static int32_t first = 0;
    return first;
}

}  // namespace zep

using namespace zep;

extern "C" {

ZEP_EXPORT uint8_t ZEPAPI InitD3DHWND(HWND* window, int32_t width, int32_t height, uint8_t followWindow,
                                      uint8_t* running, int32_t multisample) {
    // An opening that fails must never read as an opened engine.
    ZEPengine.identity = 0;
    startLog();

    Graphics& g = graphics();
    g.running = running ? running : &g.ownRunning;
    *g.running = 1;

    const HWND requested = window ? *window : nullptr;
    RECT client{};
    if (followWindow && requested && IsWindow(requested) && GetClientRect(requested, &client)) {
        width = client.right;
        height = client.bottom;
    }
    ZEPengine.requestedWidth = ZEPengine.screenWidth = width;
    ZEPengine.requestedHeight = ZEPengine.screenHeight = height;
    // Known before the window exists: its first WM_SIZE reads it.
    ZEPengine.followWindow = followWindow;

    ZEPengine.renderTargetSize = ZEPengine.renderTargetWidth = ZEPengine.renderTargetHeight = kRenderTargetSize;
    ZEPengine.multisampleType = multisample;
    ZEPengine.renderTargetTexture = nullptr;
    ZEPengine.renderTargetDepth = nullptr;
    ZEPengine.renderTargetCopy = nullptr;
    ZEPengine.videoState = -1;
    ZEPengine.lastPresent = 0;
    ZEPengine.engineRunning = 1;
    ZEPengine.ownsWindow = requested == nullptr;
    ZEPengine.reserved092 = 0;

    std::fesetenv(FE_DFL_ENV);
    std::srand(0);
    ZEPengine.renderTargetTextureIndex = -1;
    openMouseController();  // the trackball's radii, before the window's first messages

    DeviceHost& host = engineHost();
    host.prepare(width, height);
    openDirectDraw();

    HWND deviceWindow = requested;
    if (FAILED(host.create(&deviceWindow))) {
        abandonOpening();
        return 0;
    }
    if (window) *window = deviceWindow;

    setOpeningRenderStates();
    if (!createPools()) {
        abandonOpening();
        if (window) *window = requested;  // the engine's window is gone again
        return 0;
    }
    recordCapabilities();
    ZEPengine.cullingEnabled = 1;

    InitZEPengine();
    return 1;
}

ZEP_EXPORT uint8_t ZEPAPI InitD3D(void) {
    HWND window = nullptr;
    return InitD3DHWND(&window, 800, 600, 1, &graphics().ownRunning, 0);
}

ZEP_EXPORT uint8_t ZEPAPI InitZEPengine(void) {
    // Counters, and the firstVertex of object records 0 and 1.
    zep::resetRegistry();
    ZEPengine.staticVertexCount = 0;
    ZEPengine.layerVertexCount = 0;
    ZEPengine.dynamicVertexCount = 0;
    ZEPengine.staticIndexCount = 0;
    ZEPengine.meshCount = 0;
    ZEPengine.animationCount = 0;
    ZEPengine.objectCount = 1;
    ZEPengine.vertexSource = ZEP_SOURCE_NONE;

    ZEPengine.hostConstant = 3.0f;
    ZEPengine.cullMode = D3DCULL_CW;
    ZEPengine.mirror = 0;
    ZEPengine.aviFrameBuffer = nullptr;
    ZEPengine.helperCount = 0;

    // Lighting.
    setRenderState(D3DRS_COLORVERTEX, 1);
    ZEPengine.lightingMode = 1;
    ZEPengine.colorVertex = 1;
    ZEPengine.lightModeReserved = 0;
    setRenderState(D3DRS_LIGHTING, 1);
    ZEPengine.lightingEnabled = 1;
    SetAmbientColor(ZEPengine.ambientColor);
    ZEPengine.normalizeNormals = 1;
    setRenderState(D3DRS_NORMALIZENORMALS, 1);
    SetAmbientColor(kOpaqueBlack);
    SetDefaultLight(kOpaqueBlack, 0.0f, 0.8f, 0.0f, 100.0f);

    defaultTextures() = DefaultTextures{};
    setRenderState(D3DRS_FOGENABLE, 0);
    ZEPengine.fogEnabled = 0;

    ZEPengine.objectFolder = "OBJS";
    ZEPengine.texturePathList = "TEXTURES/;;";
    ZEPengine.allowBmp = 1;
    ZEPengine.texturesOff = 0;
    ZEPengine.texturePathsFifth = 1;
    ZEPengine.contentEncoder = nullptr;
    ZEPengine.contentDecoder = nullptr;

    // Alpha test and blending, texture-times-diffuse colour.
    ZEPengine.alphaRef = 136;
    ZEPengine.alphaOp = D3DTOP_MODULATE;
    setStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    setRenderState(D3DRS_ALPHATESTENABLE, 1);
    setRenderState(D3DRS_ALPHABLENDENABLE, 1);
    setRenderState(D3DRS_ALPHAREF, 136);
    ZEPengine.colorOp = D3DTOP_MODULATE;
    setStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    SetTextureFiltering(2, 1, 2);

    ZEPengine.nearClip = 1.0f;
    ZEPengine.farClip = 20000.0f;
    ZEPengine.identity = ZEP_IDENTITY_WORD;
    viewState().fov = 0.7853982f;
    viewState().aspectFactor = 1.0f;

    guTexMemReset();
    applyDefaultTransforms();

    fitRenderTarget();

    // The built-in sprite and marker quads go into the static pools before
    // the text block (sprites and markers, later).
    reserveTextBlock();
    if (device()) createSmallSurface();

    // The water noise texture is made here (water, later).
    createEffectPrograms();

    ZEPengine.shadowTexture = -1;
    // SetShadowColor(0xff000000) makes the shadow texture here (stencil
    // shadows, later).

    startClock();

    ZEPengine.layerBase = ZEPengine.layerVertexCount;
    SetSunDirection(1.0f, -1.0f, 0.0f);
    return 1;
}

ZEP_EXPORT void ZEPAPI CloseZEPengine(void) {
    ZEP_log("Close ZEPengine.\n");
    ZEPengine.engineRunning = 0;
    guTexMemReset();
    engineHost().cleanup();
}

ZEP_EXPORT WNDPROC ZEPAPI GetD3DMsgProc(void) { return DeviceHost::windowProcedure(); }

}  // extern "C"
