// Texture sampling states through real draws: address modes (with the
// border colour), magnification filters, the mip level a minified draw
// takes (filters, LOD bias and MAXMIPLEVEL, as the engine's filtering set-up
// combines them), texels changed by a later lock (managed textures follow
// Direct3D's dirty regions, kept on level 0), and volume slices.
//
// Quads span the 64 x 64 target from -0.5 to 63.5 so that pixel x samples
// u = u0 + (u1 - u0) * (x + 0.5) / 64 exactly.
#include "visual_case.h"

#include <cstring>
#include <string>

namespace {

using zep::visual::Context;
using zep::visual::floatBits;
using zep::visual::kScreenFvf;
using zep::visual::screenQuad;
using zep::visual::ScreenVertex;

// Stage 0 outputs the texel as it is.
void useTexture(Context& c) {
    c.d3d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    c.d3d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    c.d3d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    c.d3d->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
}

void setFilters(Context& c, DWORD mag, DWORD min, DWORD mip) {
    c.d3d->SetTextureStageState(0, D3DTSS_MAGFILTER, mag);
    c.d3d->SetTextureStageState(0, D3DTSS_MINFILTER, min);
    c.d3d->SetTextureStageState(0, D3DTSS_MIPFILTER, mip);
}

std::vector<ScreenVertex> texturedQuad(float x0, float x1, float u0, float u1, float v0, float v1) {
    auto quad = screenQuad(x0 - 0.5f, -0.5f, x1 - 0.5f, 63.5f, 0.5f, 0xFFFFFFFF);
    quad[0].u = quad[2].u = u0;
    quad[1].u = quad[3].u = u1;
    quad[0].v = quad[1].v = v0;
    quad[2].v = quad[3].v = v1;
    return quad;
}

// A square A8R8G8B8 texture whose levels are each one colour.
IDirect3DTexture8* solidLevels(Context& c, UINT size, const std::vector<DWORD>& colors) {
    IDirect3DTexture8* texture = nullptr;
    if (!c.check(c.d3d->CreateTexture(size, size, UINT(colors.size()), 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture),
                 "CreateTexture"))
        return nullptr;
    c.keep(texture);
    for (UINT level = 0; level < colors.size(); ++level) {
        D3DLOCKED_RECT locked{};
        if (!c.check(texture->LockRect(level, &locked, nullptr, 0), "LockRect")) return nullptr;
        const UINT side = size >> level ? size >> level : 1;
        for (UINT y = 0; y < side; ++y)
            for (UINT x = 0; x < side; ++x)
                std::memcpy(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch + x * 4, &colors[level], 4);
        texture->UnlockRect(level);
    }
    return texture;
}

void addAddressModes(zep::visual::CaseList& cases) {
    const DWORD R = 0xFF0000, G = 0x00FF00, B = 0xFFFF00;  // B: the border colour
    struct Address {
        const char* name;
        DWORD mode;
        DWORD expected[6];
    };
    const Address modes[] = {
        {"wrap", D3DTADDRESS_WRAP, {R, G, R, G, R, G}},
        {"mirror", D3DTADDRESS_MIRROR, {G, R, R, G, G, R}},
        {"clamp", D3DTADDRESS_CLAMP, {R, R, R, G, G, G}},
        {"border", D3DTADDRESS_BORDER, {B, B, R, G, B, B}},
        {"mirroronce", D3DTADDRESS_MIRRORONCE, {G, R, R, G, G, G}},
    };
    for (const Address& a : modes) {
        // Two texels, red then green; u runs from -1 to 2 across the target,
        // probed at u = -0.75, -0.25, 0.25, 0.75, 1.25, 1.75.
        cases.add(std::string("address ") + a.name, [a](Context& c) {
            useTexture(c);
            c.samplePoint(0);
            c.d3d->SetTexture(0, c.makeTexture(2, 1, {0xFFFF0000, 0xFF00FF00}));
            c.d3d->SetTextureStageState(0, D3DTSS_BORDERCOLOR, 0xFFFFFF00);
            c.d3d->SetTextureStageState(0, D3DTSS_ADDRESSU, a.mode);
            c.drawStrip(texturedQuad(0, 64, -1.0f, 2.0f, 0.5f, 0.5f), kScreenFvf);
            const int columns[6] = {5, 16, 26, 37, 48, 58};
            for (int i = 0; i < 6; ++i) c.expect(columns[i], 32, a.expected[i]);
        });
    }
    cases.add("address v independent of u", [](Context& c) {
        // Clamped across, wrapped down: v runs from 0 to 2 over one column of red | green rows.
        useTexture(c);
        c.samplePoint(0);
        c.d3d->SetTexture(0, c.makeTexture(1, 2, {0xFFFF0000, 0xFF00FF00}));
        c.d3d->SetTextureStageState(0, D3DTSS_ADDRESSV, D3DTADDRESS_WRAP);
        c.drawStrip(texturedQuad(0, 64, -1.0f, 2.0f, 0.0f, 2.0f), kScreenFvf);
        c.expect(5, 8, 0xFF0000);
        c.expect(58, 24, 0x00FF00);
        c.expect(5, 40, 0xFF0000);
        c.expect(58, 56, 0x00FF00);
    });
}

void addMagnification(zep::visual::CaseList& cases) {
    struct Filter {
        const char* name;
        DWORD filter;
        DWORD middle;  // pixel 32: u = 32.5 / 64, texel space 0.516, between the texels
    };
    // Linear: 0.484 red + 0.516 green.
    for (const Filter& f : {Filter{"point", D3DTEXF_POINT, 0x00FF00}, Filter{"linear", D3DTEXF_LINEAR, 0x7B8400},
                            Filter{"anisotropic", D3DTEXF_ANISOTROPIC, 0x7B8400}}) {
        cases.add(std::string("magfilter ") + f.name, [f](Context& c) {
            useTexture(c);
            c.samplePoint(0);
            c.d3d->SetTexture(0, c.makeTexture(2, 1, {0xFFFF0000, 0xFF00FF00}));
            setFilters(c, f.filter, f.filter, D3DTEXF_NONE);
            c.d3d->SetTextureStageState(0, D3DTSS_MAXANISOTROPY, 4);
            c.drawStrip(texturedQuad(0, 64, 0.0f, 1.0f, 0.5f, 0.5f), kScreenFvf);
            c.expect(32, 32, f.middle, 4);  // four: GL and Direct3D hardware weigh texels with 8-bit fractions
            c.expect(8, 32, 0xFF0000);      // u = 0.133: clamped onto the red texel
            c.expect(56, 32, 0x00FF00);
        });
    }
}

void addMipLevels(zep::visual::CaseList& cases) {
    // 128 x 128 drawn onto 64 x 64: two texels per pixel, so the LOD is 1.
    const DWORD L0 = 0xFFFF0000, L1 = 0xFF00FF00, L2 = 0xFF0000FF, L3 = 0xFFFFFFFF;
    struct Mip {
        const char* name;
        DWORD minFilter, mipFilter;
        float lodBias;
        DWORD maxMipLevel;
        DWORD expected;
    };
    const Mip mips[] = {
        {"no mipmapping samples level 0", D3DTEXF_POINT, D3DTEXF_NONE, 0.0f, 0, L0},
        {"nearest level", D3DTEXF_POINT, D3DTEXF_POINT, 0.0f, 0, L1},
        {"bias plus 1", D3DTEXF_POINT, D3DTEXF_POINT, 1.0f, 0, L2},
        {"bias minus 1", D3DTEXF_POINT, D3DTEXF_POINT, -1.0f, 0, L0},
        {"maxmiplevel 2", D3DTEXF_POINT, D3DTEXF_POINT, 0.0f, 2, L2},
        {"maxmiplevel 1 changes nothing at lod 1", D3DTEXF_POINT, D3DTEXF_POINT, 0.0f, 1, L1},
        // The engine's filtering: bias -2 with the largest level 1 (or 0).
        {"maxmiplevel 1 under bias minus 2", D3DTEXF_LINEAR, D3DTEXF_LINEAR, -2.0f, 1, L1},
        {"maxmiplevel 0 under bias minus 2", D3DTEXF_LINEAR, D3DTEXF_LINEAR, -2.0f, 0, L0},
        // The engine's point filtering asks for no minification filter and no
        // mip filter: point samples of level 0.
        {"minfilter none samples like point", D3DTEXF_NONE, D3DTEXF_NONE, 0.0f, 0, L0},
        // Half-way between levels 1 and 2.
        {"linear between levels", D3DTEXF_POINT, D3DTEXF_LINEAR, 0.5f, 0, 0x008080},
        {"anisotropic minification", D3DTEXF_ANISOTROPIC, D3DTEXF_POINT, 0.0f, 0, L1},
    };
    for (const Mip& m : mips) {
        cases.add(std::string("mip ") + m.name, [m, L0, L1, L2, L3](Context& c) {
            useTexture(c);
            c.samplePoint(0);
            c.d3d->SetTexture(0, solidLevels(c, 128, {L0, L1, L2, L3, L3, L3, L3, L3}));
            setFilters(c, D3DTEXF_POINT, m.minFilter, m.mipFilter);
            c.d3d->SetTextureStageState(0, D3DTSS_MIPMAPLODBIAS, floatBits(m.lodBias));
            c.d3d->SetTextureStageState(0, D3DTSS_MAXMIPLEVEL, m.maxMipLevel);
            c.d3d->SetTextureStageState(0, D3DTSS_MAXANISOTROPY, 8);
            c.drawStrip(texturedQuad(0, 64, 0.0f, 1.0f, 0.0f, 1.0f), kScreenFvf);
            c.expect(32, 32, m.expected);
        });
    }
}

void addRelock(zep::visual::CaseList& cases) {
    // The left half is drawn before texel (2, 2) of a red 4 x 4 texture
    // turns blue, the right half after: each draw shows the texels of its time.
    cases.add("relocked texel reaches the next draw only", [](Context& c) {
        useTexture(c);
        c.samplePoint(0);
        IDirect3DTexture8* texture = c.makeTexture(4, 4, {0xFFFF0000});
        if (!texture) return;
        c.d3d->SetTexture(0, texture);
        c.drawStrip(texturedQuad(0, 32, 0.0f, 1.0f, 0.0f, 1.0f), kScreenFvf);
        const RECT one{2, 2, 3, 3};
        D3DLOCKED_RECT locked{};
        if (!c.check(texture->LockRect(0, &locked, &one, 0), "LockRect")) return;
        const DWORD blue = 0xFF0000FF;
        std::memcpy(locked.pBits, &blue, 4);
        texture->UnlockRect(0);
        c.drawStrip(texturedQuad(32, 64, 0.0f, 1.0f, 0.0f, 1.0f), kScreenFvf);
        c.expect(20, 40, 0xFF0000);  // texel (2, 2) before the lock
        c.expect(52, 40, 0x0000FF);  // texel (2, 2) after it
        c.expect(36, 40, 0xFF0000);  // texel (0, 2) unchanged
        c.expect(52, 8, 0xFF0000);   // texel (2, 0) unchanged
    });
}

void addRelockedMipLevel(zep::visual::CaseList& cases) {
    // A managed texture's dirty region lives on level 0 and covers the levels
    // below at their scale. Level 1 is rewritten after a first draw: alone
    // that lock sends nothing, AddDirtyRect or a lock of the matching part of
    // level 0 sends it. Each column is drawn at LOD 1 (2 x 2 texels per pixel).
    struct Relock {
        const char* name;
        int marking;  // 0 none, 1 AddDirtyRect, 2 a lock of level 0
        DWORD expected;
    };
    for (const Relock& r : {Relock{"level 1 alone stays unsent", 0, 0x00FF00},
                            Relock{"level 1 sent by AddDirtyRect", 1, 0xFFFFFF},
                            Relock{"level 1 sent by a lock of level 0", 2, 0xFFFFFF}}) {
        cases.add(std::string("relocked mip ") + r.name, [r](Context& c) {
            useTexture(c);
            c.samplePoint(0);
            IDirect3DTexture8* texture = solidLevels(c, 128, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF});
            if (!texture) return;
            c.d3d->SetTexture(0, texture);
            c.d3d->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_POINT);
            c.drawStrip(texturedQuad(0, 32, 0.0f, 0.5f, 0.0f, 1.0f), kScreenFvf);
            D3DLOCKED_RECT locked{};
            if (!c.check(texture->LockRect(1, &locked, nullptr, 0), "LockRect")) return;
            const DWORD white = 0xFFFFFFFF;
            for (UINT y = 0; y < 64; ++y)
                for (UINT x = 0; x < 64; ++x)
                    std::memcpy(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch + x * 4, &white, 4);
            texture->UnlockRect(1);
            if (r.marking == 1) texture->AddDirtyRect(nullptr);
            if (r.marking == 2) {
                // Level 0 keeps its bytes; the lock only marks them.
                if (!c.check(texture->LockRect(0, &locked, nullptr, 0), "LockRect")) return;
                texture->UnlockRect(0);
            }
            c.drawStrip(texturedQuad(32, 64, 0.5f, 1.0f, 0.0f, 1.0f), kScreenFvf);
            c.expect(16, 32, 0x00FF00);  // drawn before the lock
            c.expect(48, 32, r.expected);
        });
    }
}

void addVolumeSlices(zep::visual::CaseList& cases) {
    // Four columns, each sampling one slice of a 2 x 2 x 4 volume by its w.
    cases.add("volume slices by w", [](Context& c) {
        const DWORD slices[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
        IDirect3DVolumeTexture8* volume = nullptr;
        if (!c.check(c.d3d->CreateVolumeTexture(2, 2, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &volume),
                     "CreateVolumeTexture"))
            return;
        c.keep(volume);
        D3DLOCKED_BOX box{};
        if (!c.check(volume->LockBox(0, &box, nullptr, 0), "LockBox")) return;
        for (UINT z = 0; z < 4; ++z)
            for (UINT y = 0; y < 2; ++y)
                for (UINT x = 0; x < 2; ++x)
                    std::memcpy(static_cast<BYTE*>(box.pBits) + z * box.SlicePitch + y * box.RowPitch + x * 4,
                                &slices[z], 4);
        volume->UnlockBox(0);
        useTexture(c);
        c.samplePoint(0);
        c.d3d->SetTextureStageState(0, D3DTSS_ADDRESSW, D3DTADDRESS_CLAMP);
        c.d3d->SetTexture(0, volume);
        struct VolumeVertex {
            float x, y, z, rhw;
            float u, v, w;
        };
        const DWORD fvf = D3DFVF_XYZRHW | D3DFVF_TEX1 | D3DFVF_TEXCOORDSIZE3(0);
        for (int slice = 0; slice < 4; ++slice) {
            const float x0 = float(slice * 16) - 0.5f, x1 = x0 + 16.0f, w = (float(slice) + 0.5f) / 4.0f;
            const std::vector<VolumeVertex> quad = {{x0, -0.5f, 0.5f, 1, 0, 0, w}, {x1, -0.5f, 0.5f, 1, 1, 0, w},
                                                    {x0, 63.5f, 0.5f, 1, 0, 1, w}, {x1, 63.5f, 0.5f, 1, 1, 1, w}};
            c.drawStrip(quad, fvf);
        }
        for (int slice = 0; slice < 4; ++slice) c.expect(slice * 16 + 8, 32, slices[slice]);
    });
}

void addRelockedVolumeLevel(zep::visual::CaseList& cases) {
    // Volumes keep their dirty box on level 0 too. MAXMIPLEVEL 1 makes every
    // sample come from level 1 (one green texel); it turns blue after the
    // left half is drawn.
    for (bool addDirtyBox : {false, true}) {
        const char* name =
            addDirtyBox ? "relocked volume level 1 sent by AddDirtyBox" : "relocked volume level 1 alone stays unsent";
        cases.add(name, [addDirtyBox](Context& c) {
            IDirect3DVolumeTexture8* volume = nullptr;
            if (!c.check(c.d3d->CreateVolumeTexture(2, 2, 2, 2, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &volume),
                         "CreateVolumeTexture"))
                return;
            c.keep(volume);
            auto fillLevel = [&](UINT level, DWORD color) {
                D3DLOCKED_BOX box{};
                if (!c.check(volume->LockBox(level, &box, nullptr, 0), "LockBox")) return;
                const UINT side = 2 >> level;
                for (UINT z = 0; z < side; ++z)
                    for (UINT y = 0; y < side; ++y)
                        for (UINT x = 0; x < side; ++x)
                            std::memcpy(static_cast<BYTE*>(box.pBits) + z * box.SlicePitch + y * box.RowPitch + x * 4,
                                        &color, 4);
                volume->UnlockBox(level);
            };
            fillLevel(0, 0xFFFF0000);
            fillLevel(1, 0xFF00FF00);
            useTexture(c);
            c.samplePoint(0);
            c.d3d->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_POINT);
            c.d3d->SetTextureStageState(0, D3DTSS_MAXMIPLEVEL, 1);
            c.d3d->SetTexture(0, volume);
            struct VolumeVertex {
                float x, y, z, rhw;
                float u, v, w;
            };
            const DWORD fvf = D3DFVF_XYZRHW | D3DFVF_TEX1 | D3DFVF_TEXCOORDSIZE3(0);
            auto half = [](float x0) {
                return std::vector<VolumeVertex>{{x0, 0, 0.5f, 1, 0, 0, 0.5f}, {x0 + 32, 0, 0.5f, 1, 1, 0, 0.5f},
                                                 {x0, 64, 0.5f, 1, 0, 1, 0.5f}, {x0 + 32, 64, 0.5f, 1, 1, 1, 0.5f}};
            };
            c.drawStrip(half(0), fvf);
            fillLevel(1, 0xFF0000FF);
            if (addDirtyBox) volume->AddDirtyBox(nullptr);
            c.drawStrip(half(32), fvf);
            c.expect(16, 32, 0x00FF00);
            c.expect(48, 32, addDirtyBox ? 0x0000FF : 0x00FF00);
        });
    }
}

}  // namespace

ZEP_VISUAL_GROUP(samplers) {
    addAddressModes(cases);
    addMagnification(cases);
    addMipLevels(cases);
    addRelock(cases);
    addRelockedMipLevel(cases);
    addVolumeSlices(cases);
    addRelockedVolumeLevel(cases);
}
