// Shared pieces of the draw tests: vertex records for the formats they use,
// quads, small textures filled texel by texel, and a fixture that opens a
// 64 x 64 device with culling, lighting and depth off.
#pragma once

#include "d3d_test_device.h"
#include "visual_geometry.h"

#include <cstring>
#include <initializer_list>
#include <vector>

namespace zep::test {

// Vertex records and quads are shared with the visual cases.
using zep::visual::floatBits;
using zep::visual::identityMatrix;
using zep::visual::kSceneFvf;
using zep::visual::kScreenFvf;
using zep::visual::SceneVertex;
using zep::visual::sceneQuad;
using zep::visual::ScreenVertex;
using zep::visual::screenQuad;

class DrawTest : public testing::Test {
protected:
    explicit DrawTest(const TestDeviceOptions& options = {}) : device(options) {}

    void SetUp() override {
        if (!device.ok()) GTEST_SKIP() << device.failure();
        d3d = device.device();
        d3d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        d3d->SetRenderState(D3DRS_LIGHTING, FALSE);
        d3d->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
        d3d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        d3d->BeginScene();
    }

    void TearDown() override {
        for (IDirect3DBaseTexture8* texture : textures) texture->Release();
    }

    template <typename Vertex>
    HRESULT drawStrip(const std::vector<Vertex>& vertices, DWORD fvf) {
        d3d->SetVertexShader(fvf);
        return d3d->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, UINT(vertices.size() - 2), vertices.data(), sizeof(Vertex));
    }

    Image read() {
        d3d->EndScene();
        Image image = device.readBackBuffer();
        d3d->BeginScene();
        return image;
    }

    // A managed A8R8G8B8 texture, texels row by row; released by the fixture.
    IDirect3DTexture8* makeTexture(UINT width, UINT height, std::initializer_list<DWORD> texels) {
        IDirect3DTexture8* texture = nullptr;
        if (FAILED(d3d->CreateTexture(width, height, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture))) {
            ADD_FAILURE() << "CreateTexture failed";
            return nullptr;
        }
        D3DLOCKED_RECT locked{};
        if (FAILED(texture->LockRect(0, &locked, nullptr, 0))) {
            ADD_FAILURE() << "LockRect failed";
            return texture;
        }
        auto it = texels.begin();
        for (UINT y = 0; y < height; ++y)
            for (UINT x = 0; x < width; ++x) {
                const DWORD texel = it != texels.end() ? *it++ : texels.size() == 1 ? *texels.begin() : 0u;
                std::memcpy(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch + x * 4, &texel, 4);
            }
        texture->UnlockRect(0);
        textures.push_back(texture);
        return texture;
    }

    // Point sampling, clamped: texel colours come back exactly.
    void samplePoint(DWORD stage) {
        d3d->SetTextureStageState(stage, D3DTSS_MINFILTER, D3DTEXF_POINT);
        d3d->SetTextureStageState(stage, D3DTSS_MAGFILTER, D3DTEXF_POINT);
        d3d->SetTextureStageState(stage, D3DTSS_MIPFILTER, D3DTEXF_NONE);
        d3d->SetTextureStageState(stage, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
        d3d->SetTextureStageState(stage, D3DTSS_ADDRESSV, D3DTADDRESS_CLAMP);
    }

    D3DTestDevice device;
    IDirect3DDevice8* d3d = nullptr;
    std::vector<IDirect3DBaseTexture8*> textures;
};

}  // namespace zep::test
