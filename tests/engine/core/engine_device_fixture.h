// A headless device handed to the engine the way the device opening hands
// over its own: the device in zep::graphics(), small pool buffers in
// zep::poolBuffers(), and the record fields the state setters read (screen
// size, hardware lights, the initial alpha, colour and light values). Each
// test gets a fresh device; the record, the view state and the device-side
// globals are saved before and restored after, so tests run in any order in
// one process.
//
//   class MyTest : public zep::test::EngineDeviceTest {};
//   TEST_F(MyTest, Something) {
//       beginFrame(0xFF000000);
//       drawTriangles({vertex(-1, -1, 5, 0xFFFF0000), ...});
//       Image image = endFrame();
//   }
#pragma once

#include <ZEPenginedll.h>

#include "core/graphics.h"
#include "core/mouse.h"
#include "d3d8/d3d_test_device.h"
#include "visual_geometry.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace zep::test {

inline constexpr UINT kScreenSize = 64;
inline constexpr UINT kPoolVertices = 64;

inline StaticVertex vertex(float x, float y, float z, uint32_t color, D3DVECTOR normal = {0.0f, 0.0f, -1.0f}) {
    StaticVertex v{};
    v.position = {x, y, z};
    v.normal = normal;
    v.diffuse = color;
    return v;
}

// Two triangles covering x0..x1, y0..y1 in the plane z, facing -z.
inline std::vector<StaticVertex> quad(float x0, float y0, float x1, float y1, float z, uint32_t color,
                                      D3DVECTOR normal = {0.0f, 0.0f, -1.0f}) {
    return {vertex(x0, y1, z, color, normal), vertex(x1, y1, z, color, normal), vertex(x0, y0, z, color, normal),
            vertex(x0, y0, z, color, normal), vertex(x1, y1, z, color, normal), vertex(x1, y0, z, color, normal)};
}

// A quad that fills the screen at camera depth z under the default projection.
inline std::vector<StaticVertex> screenFillingQuad(float z, uint32_t color, D3DVECTOR normal = {0.0f, 0.0f, -1.0f}) {
    const float half = z * 0.5f;  // tan(pi / 8) = 0.414 is what the screen shows
    return quad(-half, -half, half, half, z, color, normal);
}

class EngineDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedRecord_ = std::make_unique<ZEPengineRecord>(ZEPengine);
        savedView_ = viewState();
        savedGraphics_ = graphics();
        savedPools_ = poolBuffers();
        savedMouse_ = mousePosition();
        if (!device_.ok()) GTEST_SKIP() << device_.failure();
        d3d = device_.device();
        handOverDevice();
        if (!createPoolBuffers()) GTEST_FAIL() << "pool buffers could not be created";
        initialiseRecord();
    }

    void TearDown() override {
        releasePoolBuffers();
        graphics() = savedGraphics_;
        poolBuffers() = savedPools_;
        viewState() = savedView_;
        mousePosition() = savedMouse_;
        ZEPengine = *savedRecord_;
        if (!logDir_.empty()) std::filesystem::remove_all(logDir_);
    }

    // What a begin of frame does before the host draws, with a clear colour
    // of the test's choosing: viewport, scene, clear, default transforms and
    // the default-state pass. Camera and carrier stay as they were, so W is
    // the identity until the test sets them.
    void beginFrame(D3DCOLOR clearColor) {
        D3DVIEWPORT8& viewport = viewState().viewport;
        viewport = {0, 0, kScreenSize, kScreenSize, 0.0f, 1.0f};
        d3d->SetViewport(&viewport);
        d3d->BeginScene();
        d3d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, clearColor, 1.0f, 0);
        applyDefaultTransforms();
        applyFrameStates();
    }

    Image endFrame() {
        d3d->EndScene();
        return device_.readBackBuffer();
    }

    // Triangle list from the static vertex layout, the way objects draw.
    void drawTriangles(const std::vector<StaticVertex>& vertices) {
        SetLightObjRender();
        ASSERT_EQ(d3d->DrawPrimitiveUP(D3DPT_TRIANGLELIST, UINT(vertices.size() / 3), vertices.data(),
                                       sizeof(StaticVertex)),
                  D3D_OK);
    }

    // Points the engine log at Log/ZEP.log in a fresh folder of this test.
    void useTemporaryLog() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        logDir_ = std::filesystem::temp_directory_path() /
                  (std::string("zep_states_") + info->test_suite_name() + "_" + info->name());
        std::filesystem::remove_all(logDir_);
        std::filesystem::create_directories(logDir_ / "Log");
        const std::string path = (logDir_ / "Log" / "ZEP.log").string();
        ASSERT_LT(path.size(), sizeof ZEPengine.logPath);
        std::memcpy(ZEPengine.logPath, path.c_str(), path.size() + 1);
    }

    std::string logText() const {
        std::ifstream in(logDir_ / "Log" / "ZEP.log", std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    DWORD renderState(D3DRENDERSTATETYPE state) const {
        DWORD value = 0xDEADBEEF;
        d3d->GetRenderState(state, &value);
        return value;
    }

    DWORD stageState(DWORD stage, D3DTEXTURESTAGESTATETYPE state) const {
        DWORD value = 0xDEADBEEF;
        d3d->GetTextureStageState(stage, state, &value);
        return value;
    }

    D3DMATRIX transform(D3DTRANSFORMSTATETYPE which) const {
        D3DMATRIX m{};
        d3d->GetTransform(which, &m);
        return m;
    }

    D3DMATERIAL8 material() const {
        D3DMATERIAL8 m{};
        d3d->GetMaterial(&m);
        return m;
    }

    static D3DMATRIX identityMatrix() { return zep::visual::identityMatrix(); }

    IDirect3DDevice8* d3d = nullptr;

private:
    void handOverDevice() {
        Graphics& g = graphics();
        g = Graphics{};
        g.d3d = device_.d3d();
        g.device = d3d;
        g.backBufferFormat = device_.options().backBufferFormat;
        g.depthStencilFormat = device_.options().depthFormat;
        g.stencilPresent = 4;
        d3d->GetDeviceCaps(&g.caps);
        g.lacksTransformedClipping = (g.caps.PrimitiveMiscCaps & D3DPMISCCAPS_CLIPTLVERTS) == 0;
        g.backBufferWidth = kScreenSize;
        g.backBufferHeight = kScreenSize;
    }

    bool createVertexBuffer(UINT stride, DWORD fvf, IDirect3DVertexBuffer8** out) {
        return SUCCEEDED(d3d->CreateVertexBuffer(kPoolVertices * stride, 0, fvf, D3DPOOL_MANAGED, out));
    }

    bool createPoolBuffers() {
        PoolBuffers& pools = poolBuffers();
        pools = PoolBuffers{};
        return createVertexBuffer(sizeof(StaticVertex), ZEP_FVF_STATIC, &pools.staticVertices) &&
               SUCCEEDED(d3d->CreateIndexBuffer(kPoolVertices * 2, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED,
                                                &pools.staticIndices)) &&
               createVertexBuffer(sizeof(DynamicVertex), ZEP_FVF_DYNAMIC, &pools.dynamicVertices) &&
               createVertexBuffer(sizeof(LayerVertex), ZEP_FVF_LAYER, &pools.layerVertices);
    }

    void releasePoolBuffers() {
        PoolBuffers& pools = poolBuffers();
        if (pools.staticVertices) pools.staticVertices->Release();
        if (pools.staticIndices) pools.staticIndices->Release();
        if (pools.dynamicVertices) pools.dynamicVertices->Release();
        if (pools.layerVertices) pools.layerVertices->Release();
        pools = PoolBuffers{};
    }

    // The record and view values a freshly initialised engine holds.
    void initialiseRecord() {
        ZEPengineRecord& r = ZEPengine;
        r.logPath[0] = '\0';
        r.maxLights = int32_t(graphics().caps.MaxActiveLights);
        r.requestedWidth = r.screenWidth = int32_t(kScreenSize);
        r.requestedHeight = r.screenHeight = int32_t(kScreenSize);
        r.vertexSource = ZEP_SOURCE_NONE;
        r.softwareClip = 0;
        r.cullMode = D3DCULL_CW;
        r.mirror = 0;
        r.fillFlags = 1;
        r.normalizeNormals = 1;
        r.alphaRef = 136;
        r.alphaOp = D3DTOP_MODULATE;
        r.colorOp = D3DTOP_MODULATE;
        r.lightingMode = r.colorVertex = r.lightingEnabled = 1;
        r.lightModeReserved = 0;
        r.fogEnabled = 0;
        r.ambientColor = 0xFF000000u;
        r.nearClip = 1.0f;
        r.farClip = 20000.0f;
        viewState() = ViewState{};
        ViewState& view = viewState();
        view.camera = view.cameraInverse = view.carrier = view.world = identity_;
        view.view = view.projection = view.visibility = identity_;
        view.viewport = {0, 0, kScreenSize, kScreenSize, 0.0f, 1.0f};
        d3d->SetRenderState(D3DRS_COLORVERTEX, TRUE);
        SetDefaultLight(0xFF000000u, 0.0f, 0.8f, 0.0f, 100.0f);
        SetSunDirection(1.0f, -1.0f, 0.0f);
        mousePosition() = MousePosition{};
        applyDefaultTransforms();
    }

    // The engine's own default-state pass, as every begin of frame runs it,
    // with no texture on stage 0.
    void applyFrameStates() {
        SetDefaultrenderStates();
        d3d->SetTexture(0, nullptr);
        // The defaults leave no texture chosen, which takes every stage-0
        // argument from the diffuse colour and so squares it under MODULATE.
        // These tests measure the lit or blended diffuse colour itself: the
        // missing texture reads as white instead.
        d3d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        d3d->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    }

    D3DTestDevice device_;
    const D3DMATRIX identity_ = zep::visual::identityMatrix();
    std::unique_ptr<ZEPengineRecord> savedRecord_;
    ViewState savedView_{};
    Graphics savedGraphics_{};
    PoolBuffers savedPools_{};
    MousePosition savedMouse_{};
    std::filesystem::path logDir_;
};

// Counts the pixels of an image that are near a colour (alpha ignored).
inline int countPixels(const Image& image, D3DCOLOR color, int tolerance = 8) {
    int count = 0;
    for (D3DCOLOR pixel : image.pixels) count += colorNear(pixel, color, tolerance, true) ? 1 : 0;
    return count;
}

// Every pixel of the 5 x 5 block around (x, y) is near the colour: a flat
// interior area, not an edge.
inline ::testing::AssertionResult areaNear(const Image& image, int x, int y, D3DCOLOR expected, int tolerance = 3) {
    for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx) {
            ::testing::AssertionResult near = colorNear(image.at(UINT(x + dx), UINT(y + dy)), expected, tolerance, true);
            if (!near) return near << " at (" << x + dx << ", " << y + dy << ")";
        }
    return ::testing::AssertionSuccess();
}

}  // namespace zep::test
