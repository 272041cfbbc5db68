// MAXANISOTROPY is a ceiling a driver may sample below. On a software
// rasteriser the runtime holds it to one probe, since every extra probe is
// paid per pixel on the CPU; elsewhere the degree reaches GL. A texture of
// horizontal stripes squeezed 16:1 across the screen tells the two apart:
// one probe takes a small mip level and greys the stripes out, sixteen
// probes along the squeezed axis keep them.

#include "test_draw_support.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <cstring>

namespace {

using zep::test::Image;
using zep::test::ScreenVertex;
using zep::visual::kScreenFvf;

bool softwareRasteriser() {
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    if (!renderer) return false;
    for (const char* name : {"llvmpipe", "softpipe", "swrast", "SwiftShader"})
        if (std::strstr(renderer, name)) return true;
    return false;
}

class SamplerAnisotropy : public zep::test::DrawTest {
protected:
    // 64 x 64 with its full mip chain; every level is rows of white and
    // black, four texels high on level 0 (finer levels just average).
    IDirect3DTexture8* stripes() {
        IDirect3DTexture8* texture = nullptr;
        if (FAILED(d3d->CreateTexture(64, 64, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture))) return nullptr;
        textures.push_back(texture);
        for (UINT level = 0; level < texture->GetLevelCount(); ++level) {
            D3DSURFACE_DESC desc{};
            D3DLOCKED_RECT locked{};
            if (FAILED(texture->GetLevelDesc(level, &desc)) || FAILED(texture->LockRect(level, &locked, nullptr, 0)))
                return nullptr;
            const UINT stripe = 4u >> level;
            for (UINT y = 0; y < desc.Height; ++y)
                for (UINT x = 0; x < desc.Width; ++x) {
                    const DWORD texel = stripe == 0 ? 0xFF808080u : (y / stripe) % 2 ? 0xFF000000u : 0xFFFFFFFFu;
                    std::memcpy(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch + x * 4, &texel, 4);
                }
            texture->UnlockRect(level);
        }
        return texture;
    }

    Image drawSqueezed(IDirect3DTexture8* texture, DWORD maxAnisotropy) {
        d3d->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
        d3d->SetTexture(0, texture);
        d3d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        d3d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        d3d->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_ANISOTROPIC);
        d3d->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
        d3d->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_LINEAR);
        d3d->SetTextureStageState(0, D3DTSS_MAXANISOTROPY, maxAnisotropy);
        // u runs over 16 texture widths across the quad, v over one height.
        std::vector<ScreenVertex> quad = zep::test::screenQuad(0, 0, 64, 64, 0.5f, 0xFFFFFFFF);
        for (ScreenVertex& v : quad) v.u *= 16.0f;
        drawStrip(quad, kScreenFvf);
        return read();
    }

    // How far the middle column's pixels spread: near 0 when the stripes
    // were averaged away, near 255 when they survived.
    static int stripeContrast(const Image& image) {
        int darkest = 255, brightest = 0;
        for (UINT y = 8; y < 56; ++y) {
            const int green = int((image.at(32, y) >> 8) & 0xFF);
            darkest = std::min(darkest, green);
            brightest = std::max(brightest, green);
        }
        return brightest - darkest;
    }
};

TEST_F(SamplerAnisotropy, DegreeIsHeldToOneProbeOnlyOnSoftwareRasterisers) {
    IDirect3DTexture8* texture = stripes();
    ASSERT_NE(texture, nullptr);
    const int oneProbe = stripeContrast(drawSqueezed(texture, 1));
    const int sixteen = stripeContrast(drawSqueezed(texture, 16));
    EXPECT_LT(oneProbe, 64) << "one probe takes a level where the stripes are grey";
    if (softwareRasteriser()) {
        EXPECT_EQ(sixteen, oneProbe) << "MAXANISOTROPY 16 reached a software rasteriser";
    } else {
        EXPECT_GT(sixteen, 128) << "MAXANISOTROPY 16 did not reach GL";
    }
}

}  // namespace
