// A small scene for object-drawing tests: the engine opened headless at
// 160 x 120, a frame begun with the camera at the origin looking down +z,
// objects made of flat quads built through the procedural object interface,
// one-colour textures, and pixel probes of the back buffer.
//
//   class MyTest : public zep::test::DrawScene {};
//   TEST_F(MyTest, Something) {
//       const int32_t obj = buildQuads({{-2, -2, 2, 2, 0, kRed}});
//       beginFrame();
//       placeAt(0, 0, 20);
//       putclipobj(obj);
//       EXPECT_TRUE(colorNear(readBackBuffer().at(80, 60), kRed));
//   }
#pragma once

#include "../engine_test_host.h"

#include "d3d8/d3d_test_device.h"
#include "objects/object_draw.h"
#include "objects/textures.h"

#include <d3dx8.h>

#include <string>
#include <vector>

namespace zep::test {

constexpr D3DCOLOR kBlack = 0xFF000000;
constexpr D3DCOLOR kWhite = 0xFFFFFFFF;
constexpr D3DCOLOR kRed = 0xFFFF0000;
constexpr D3DCOLOR kGreen = 0xFF00FF00;
constexpr D3DCOLOR kBlue = 0xFF0000FF;

// A flat quad in the object's x-y plane at depth z, facing the viewer: its
// triangles run counter-clockwise on the screen, the front side of objects
// under the engine's default object culling (D3DCULL_CW).
struct Quad {
    float x0, y0, x1, y1, z;
    D3DCOLOR color = kWhite;
};

class DrawScene : public EngineTestHost {
protected:
    void SetUp() override {
        EngineTestHost::SetUp();
        resetDrawState();
        ASSERT_TRUE(open(160, 120));
    }

    void TearDown() override {
        resetDrawState();
        EngineTestHost::TearDown();
    }

    // Object drawing keeps a little state of its own beside the record.
    static void resetDrawState() {
        drawSwitches() = {};
        bumpState() = {};
        wavePhases() = {};
    }

    static IDirect3DDevice8* device() { return graphics().device; }

    static D3DXMATRIX identity() {
        D3DXMATRIX m;
        D3DXMatrixIdentity(&m);
        return m;
    }

    static D3DXMATRIX translation(float x, float y, float z) {
        D3DXMATRIX m;
        D3DXMatrixTranslation(&m, x, y, z);
        return m;
    }

    // A cleared frame, unlit, drawing from the static pool, with the camera
    // and the carrier at the origin.
    static void beginFrame() {
        ASSERT_EQ(BeginRenderClear(1), 1);
        SetLightObjRender();
        const D3DXMATRIX id = identity();
        SetCameraPos(&id);
        SetObjectCarrier(&id);
    }

    static void placeAt(float x, float y, float z) {
        const D3DXMATRIX m = translation(x, y, z);
        SetObjectCarrier(&m);
    }

    // One object of one mesh per quad; returns its index.
    static int32_t buildQuads(const std::vector<Quad>& quads, int32_t flags = ZEP_OBJ_ORDINARY) {
        const int32_t obj = GetObjsNumber();
        const int32_t firstMesh = GetMeshesNumber();
        EXPECT_EQ(InitObj(obj, flags), 1);
        for (size_t i = 0; i < quads.size(); ++i) {
            const Quad& q = quads[i];
            if (i > 0) AddMesh(obj, firstMesh + int32_t(i));
            const int32_t a = AddLightVertex(q.x0, q.y0, q.z, 0, 0, -1, 0, 1, q.color);
            const int32_t b = AddLightVertex(q.x0, q.y1, q.z, 0, 0, -1, 0, 0, q.color);
            const int32_t c = AddLightVertex(q.x1, q.y1, q.z, 0, 0, -1, 1, 0, q.color);
            const int32_t d = AddLightVertex(q.x1, q.y0, q.z, 0, 0, -1, 1, 1, q.color);
            AddPolyIndexes(a, c, b);
            AddPolyIndexes(a, d, c);
        }
        const int32_t lastMesh = firstMesh + int32_t(quads.size()) - 1;
        AddMesh(obj, lastMesh + 1);
        EXPECT_EQ(CloseObj(obj, lastMesh), 1);
        SetMeshesNumber(lastMesh + 1);
        SetObjsNumber(obj + 1);
        return obj;
    }

    // A 4 x 4 texture of one colour, in the display format (alpha reads 1)
    // or, given D3DFMT_A8R8G8B8, with the colour's alpha; its handle.
    static int32_t solidTexture(const std::string& name, D3DCOLOR color, int32_t mode = ZEP_TEXMODE_DISPLAY) {
        const int32_t handle = CreateTexture(name.c_str(), 4, 4, mode);
        EXPECT_GE(handle, 0);
        if (handle < 0) return handle;
        IDirect3DTexture8* texture = Textures[handle].texture;
        D3DSURFACE_DESC desc{};
        texture->GetLevelDesc(0, &desc);
        EXPECT_TRUE(desc.Format == D3DFMT_X8R8G8B8 || desc.Format == D3DFMT_A8R8G8B8) << desc.Format;
        D3DLOCKED_RECT locked{};
        EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
        for (int y = 0; y < 4; ++y) {
            auto* row = reinterpret_cast<uint32_t*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch);
            for (int x = 0; x < 4; ++x) row[x] = color;
        }
        texture->UnlockRect(0);
        return handle;
    }

    // Where a point of the object space lands on the screen now.
    static D3DVECTOR screenOf(float x, float y, float z) {
        D3DVECTOR v{x, y, z};
        ProjectPoint(&v);
        return v;
    }

    static D3DCOLOR pixelAt(const visual::Image& image, float x, float y) {
        return image.at(UINT(x), UINT(y));
    }
};

}  // namespace zep::test
