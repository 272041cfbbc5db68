// Where drawing and copying lands: clears within the viewport and their
// rectangles, clears in each back-buffer format, rendering into a texture
// with its own depth surface, CopyRects between image surfaces, the back
// buffer, texture levels and render targets, the front buffer after a
// Present, and the back buffer after a Reset.
#include "visual_case.h"

#include <cstring>

namespace {

using zep::visual::channelDistance;
using zep::visual::Context;
using zep::visual::kScreenFvf;
using zep::visual::Options;
using zep::visual::screenQuad;

constexpr DWORD kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF, kYellow = 0xFFFFFF00,
                kWhite = 0xFFFFFFFF, kGrey = 0xFF404040;

// Draws `texture` over the rectangle (x0, y0)-(x1, y1) with point sampling.
// The rectangle is shifted by half a pixel so that pixel centres meet texel
// centres at 1:1 and whole multiples.
void drawTexture(Context& c, IDirect3DBaseTexture8* texture, float x0, float y0, float x1, float y1) {
    c.d3d->SetTexture(0, texture);
    c.samplePoint(0);
    c.d3d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    c.d3d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    c.drawStrip(screenQuad(x0 - 0.5f, y0 - 0.5f, x1 - 0.5f, y1 - 0.5f, 0.5f, kWhite), kScreenFvf);
    c.d3d->SetTexture(0, nullptr);
}

IDirect3DSurface8* levelOf(Context& c, IDirect3DTexture8* texture) {
    IDirect3DSurface8* level = nullptr;
    if (!texture || !c.check(texture->GetSurfaceLevel(0, &level), "GetSurfaceLevel")) return nullptr;
    return c.keep(level);
}

// ---- Clears -------------------------------------------------------------------

// The whole target is cleared blue, then `rects` (or the viewport) red with
// the viewport set as given.
struct ClearCase {
    const char* name;
    D3DVIEWPORT8 viewport;
    std::vector<D3DRECT> rects;
    RECT red;  // where red must be; blue elsewhere
};

const ClearCase kClears[] = {
    {"whole viewport", {0, 0, 64, 64, 0, 1}, {}, {0, 0, 64, 64}},
    {"viewport limits a whole clear", {16, 8, 32, 40, 0, 1}, {}, {16, 8, 48, 48}},
    {"one rectangle", {0, 0, 64, 64, 0, 1}, {{8, 40, 40, 60}}, {8, 40, 40, 60}},
    {"rectangle clipped by the viewport", {0, 0, 32, 32, 0, 1}, {{16, 16, 64, 64}}, {16, 16, 32, 32}},
    {"rectangle outside the viewport", {0, 0, 16, 16, 0, 1}, {{32, 32, 64, 64}}, {0, 0, 0, 0}},
};

// A back buffer of `format` cleared with `clear` reads back as `rgb` on the
// left; on the right a white quad blended by the destination alpha shows
// the alpha the clear left (formats without alpha blend as opaque).
struct FormatClear {
    const char* name;
    D3DFORMAT format;
    D3DCOLOR clear;
    D3DCOLOR rgb;
    D3DCOLOR alphaAsGrey;
};

const FormatClear kFormatClears[] = {
    {"X8R8G8B8", D3DFMT_X8R8G8B8, 0x00FF00FF, 0xFF00FF, 0xFFFFFF},
    {"A8R8G8B8", D3DFMT_A8R8G8B8, 0x8000FF00, 0x00FF00, 0x808080},
    {"R5G6B5", D3DFMT_R5G6B5, 0xFFFFFF00, 0xFFFF00, 0xFFFFFF},
    {"X1R5G5B5", D3DFMT_X1R5G5B5, 0xFF00FFFF, 0x00FFFF, 0xFFFFFF},
    {"A1R5G5B5", D3DFMT_A1R5G5B5, 0x00FF0000, 0xFF0000, 0x000000},
};

// ---- The front buffer ------------------------------------------------------------

// The image a case presents: red, green / blue, white quadrants (exact in
// every back-buffer format).
void clearQuadrants(Context& c) {
    const D3DRECT quadrants[4] = {{0, 0, 32, 32}, {32, 0, 64, 32}, {0, 32, 32, 64}, {32, 32, 64, 64}};
    const D3DCOLOR colours[4] = {kRed, kGreen, kBlue, kWhite};
    for (int i = 0; i < 4; ++i) c.d3d->Clear(1, &quadrants[i], D3DCLEAR_TARGET, colours[i], 1.0f, 0);
}

bool closeTo(D3DCOLOR a, D3DCOLOR b) { return channelDistance(a, b) <= 8; }

// A windowed front buffer is the screen, and the presented image lies where
// the window is: find its top-left corner by the quadrant pattern. The
// first match in reading order is the corner, as one pixel further right or
// down would meet green or blue where red must be.
bool findQuadrants(const BYTE* bits, INT pitch, UINT width, UINT height, UINT* foundX, UINT* foundY) {
    auto at = [&](UINT x, UINT y) {
        DWORD texel;
        std::memcpy(&texel, bits + size_t(y) * size_t(pitch) + size_t(x) * 4, 4);
        return D3DCOLOR(texel);
    };
    for (UINT y = 0; y + 64 <= height; ++y)
        for (UINT x = 0; x + 64 <= width; ++x)
            if (closeTo(at(x, y), kRed) && closeTo(at(x + 31, y), kRed) && closeTo(at(x, y + 31), kRed) &&
                closeTo(at(x + 32, y), kGreen) && closeTo(at(x, y + 32), kBlue) &&
                closeTo(at(x + 63, y + 63), kWhite)) {
                *foundX = x;
                *foundY = y;
                return true;
            }
    return false;
}

}  // namespace

ZEP_VISUAL_GROUP(targets) {
    for (const ClearCase& clear : kClears) {
        cases.add(std::string("clear ") + clear.name, [clear](Context& c) {
            c.clear(kBlue);
            c.d3d->SetViewport(&clear.viewport);
            c.check(c.d3d->Clear(DWORD(clear.rects.size()), clear.rects.empty() ? nullptr : clear.rects.data(),
                                 D3DCLEAR_TARGET, kRed, 1.0f, 0),
                    "Clear");
            // A grid that never meets a rectangle's edge; clears are exact.
            for (int y = 2; y < 64; y += 4)
                for (int x = 2; x < 64; x += 4) {
                    const bool inside =
                        x >= clear.red.left && x < clear.red.right && y >= clear.red.top && y < clear.red.bottom;
                    c.expect(x, y, inside ? 0xFF0000 : 0x0000FF, 0);
                }
        });
    }

    // Depth clears keep to the viewport as colour clears do: depth 0
    // everywhere, then 1 within the viewport (16, 8) 32 x 40 only; a red
    // quad at depth 0.5 over the whole target (full viewport again) passes
    // the depth test there and nowhere else.
    cases.add("depth clear within the viewport", [](Context& c) {
        c.check(c.d3d->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 0.0f, 0), "Clear");
        const D3DVIEWPORT8 part{16, 8, 32, 40, 0, 1}, full{0, 0, 64, 64, 0, 1};
        c.d3d->SetViewport(&part);
        c.check(c.d3d->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0), "Clear");
        c.d3d->SetViewport(&full);
        c.d3d->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
        c.d3d->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
        c.drawStrip(screenQuad(0, 0, 64, 64, 0.5f, kRed), kScreenFvf);
        c.expect(32, 28, 0xFF0000);
        c.expect(18, 10, 0xFF0000);
        c.expect(45, 45, 0xFF0000);
        c.expect(8, 28, 0x000000);
        c.expect(56, 28, 0x000000);
        c.expect(32, 4, 0x000000);
        c.expect(32, 52, 0x000000);
    });

    for (const FormatClear& f : kFormatClears) {
        Options options;
        options.backBufferFormat = f.format;
        cases.add(std::string("clear keeps the channels of ") + f.name, options, [f](Context& c) {
            c.check(c.d3d->Clear(0, nullptr, D3DCLEAR_TARGET, f.clear, 1.0f, 0), "Clear");
            c.d3d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
            c.d3d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_DESTALPHA);
            c.d3d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ZERO);
            c.d3d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
            c.d3d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
            c.drawStrip(screenQuad(32, 0, 64, 64, 0.5f, kWhite), kScreenFvf);
            c.expect(16, 32, f.rgb);
            c.expect(48, 32, f.alphaAsGrey);
        });
    }

    // The engine's render-target texture: the back-buffer format, its own
    // depth surface, copied on into a managed texture and an image surface.
    // Inside the 32 x 16 texture: cleared red, a green quad over the left
    // half at depth 0.5, a yellow one over the top half at depth 0.7, hidden
    // where the green one is nearer. On the back buffer (cleared blue): the
    // texture at twice its size over the top half; the managed copy at 1:1 at
    // (0, 32); the image surface at (32, 48); blue elsewhere.
    struct TargetFormat {
        D3DFORMAT colour, depth;
        const char* name;
    };
    for (const TargetFormat& t : {TargetFormat{D3DFMT_X8R8G8B8, D3DFMT_D24S8, "X8R8G8B8"},
                                  TargetFormat{D3DFMT_R5G6B5, D3DFMT_D16, "R5G6B5"}}) {
        Options options;
        options.backBufferFormat = t.colour;
        options.depthFormat = t.depth;
        cases.add(std::string("render to texture ") + t.name, options, [t](Context& c) {
            c.clear(kBlue);
            IDirect3DTexture8* texture = nullptr;
            if (!c.check(c.d3d->CreateTexture(32, 16, 1, D3DUSAGE_RENDERTARGET, t.colour, D3DPOOL_DEFAULT, &texture),
                         "CreateTexture"))
                return;
            c.keep(texture);
            IDirect3DSurface8* level = levelOf(c, texture);
            IDirect3DSurface8 *depth = nullptr, *back = nullptr, *backDepth = nullptr;
            if (!level || !c.check(c.d3d->CreateDepthStencilSurface(32, 16, t.depth, D3DMULTISAMPLE_NONE, &depth),
                                   "CreateDepthStencilSurface"))
                return;
            c.keep(depth);
            if (!c.check(c.d3d->GetRenderTarget(&back), "GetRenderTarget") ||
                !c.check(c.d3d->GetDepthStencilSurface(&backDepth), "GetDepthStencilSurface"))
                return;
            c.keep(back);
            c.keep(backDepth);

            if (!c.check(c.d3d->SetRenderTarget(level, depth), "SetRenderTarget")) return;
            c.check(c.d3d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kRed, 1.0f, 0), "Clear");
            c.d3d->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
            c.d3d->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
            c.drawStrip(screenQuad(0, 0, 16, 16, 0.5f, kGreen), kScreenFvf);
            c.drawStrip(screenQuad(0, 0, 32, 8, 0.7f, kYellow), kScreenFvf);
            c.d3d->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
            if (!c.check(c.d3d->SetRenderTarget(back, backDepth), "SetRenderTarget")) return;

            IDirect3DTexture8* managed = nullptr;
            IDirect3DSurface8* image = nullptr;
            if (!c.check(c.d3d->CreateTexture(32, 16, 1, 0, t.colour, D3DPOOL_MANAGED, &managed), "CreateTexture"))
                return;
            c.keep(managed);
            if (!c.check(c.d3d->CreateImageSurface(32, 16, t.colour, &image), "CreateImageSurface")) return;
            c.keep(image);
            IDirect3DSurface8* managedLevel = levelOf(c, managed);
            if (!managedLevel || !c.check(c.d3d->CopyRects(level, nullptr, 0, managedLevel, nullptr), "CopyRects") ||
                !c.check(c.d3d->CopyRects(level, nullptr, 0, image, nullptr), "CopyRects"))
                return;

            drawTexture(c, texture, 0, 0, 64, 32);  // the viewport is the back buffer's again
            drawTexture(c, managed, 0, 32, 32, 48);
            const RECT whole{0, 0, 32, 16};
            const POINT corner{32, 48};
            c.check(c.d3d->CopyRects(image, &whole, 1, back, &corner), "CopyRects");

            c.expect(16, 16, 0x00FF00);
            c.expect(48, 8, 0xFFFF00);
            c.expect(48, 24, 0xFF0000);
            c.expect(8, 40, 0x00FF00);
            c.expect(24, 36, 0xFFFF00);
            c.expect(24, 44, 0xFF0000);
            c.expect(40, 56, 0x00FF00);
            c.expect(56, 52, 0xFFFF00);
            c.expect(56, 60, 0xFF0000);
            c.expect(48, 40, 0x0000FF);  // untouched by the texture pass
            c.expect(16, 56, 0x0000FF);
        });
    }

    // CopyRects from an image surface (top half green, bottom yellow) to the
    // back buffer (cleared grey): its top half to (40, 40), all of it to
    // (0, 0). Then the back buffer's square at (40, 40) into a managed
    // texture, drawn at twice its size at (48, 48), and into a render target
    // at (4, 4), from where the copied square comes back to (16, 48).
    cases.add("copy rects between surfaces", [](Context& c) {
        c.clear(kGrey);
        IDirect3DSurface8* image = nullptr;
        if (!c.check(c.d3d->CreateImageSurface(8, 8, D3DFMT_X8R8G8B8, &image), "CreateImageSurface")) return;
        c.keep(image);
        D3DLOCKED_RECT locked{};
        if (!c.check(image->LockRect(&locked, nullptr, 0), "LockRect")) return;
        for (UINT y = 0; y < 8; ++y)
            for (UINT x = 0; x < 8; ++x) {
                const DWORD texel = y < 4 ? kGreen : kYellow;
                std::memcpy(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch + x * 4, &texel, 4);
            }
        image->UnlockRect();
        IDirect3DSurface8* back = nullptr;
        if (!c.check(c.d3d->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back), "GetBackBuffer")) return;
        c.keep(back);
        const RECT top{0, 0, 8, 4};
        const POINT at{40, 40};
        if (!c.check(c.d3d->CopyRects(image, &top, 1, back, &at), "CopyRects") ||
            !c.check(c.d3d->CopyRects(image, nullptr, 0, back, nullptr), "CopyRects"))
            return;

        IDirect3DTexture8* texture = nullptr;
        if (!c.check(c.d3d->CreateTexture(8, 8, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &texture), "CreateTexture"))
            return;
        c.keep(texture);
        IDirect3DSurface8* level = levelOf(c, texture);
        IDirect3DSurface8* target = nullptr;
        if (!level || !c.check(c.d3d->CreateRenderTarget(16, 16, D3DFMT_X8R8G8B8, D3DMULTISAMPLE_NONE, TRUE, &target),
                               "CreateRenderTarget"))
            return;
        c.keep(target);
        const RECT square{40, 40, 48, 48};
        const POINT origin{0, 0}, inside{4, 4}, below{16, 48};
        const RECT copied{4, 4, 12, 12};
        if (!c.check(c.d3d->CopyRects(back, &square, 1, level, &origin), "CopyRects") ||
            !c.check(c.d3d->CopyRects(back, &square, 1, target, &inside), "CopyRects") ||
            !c.check(c.d3d->CopyRects(target, &copied, 1, back, &below), "CopyRects"))
            return;
        drawTexture(c, texture, 48, 48, 64, 64);

        c.expect(44, 41, 0x00FF00);
        c.expect(44, 45, 0x404040);  // only the top half was copied there
        c.expect(3, 1, 0x00FF00);
        c.expect(3, 6, 0xFFFF00);
        c.expect(20, 20, 0x404040);
        c.expect(56, 50, 0x00FF00);  // texel row 1
        c.expect(56, 60, 0x404040);  // texel row 6
        c.expect(20, 49, 0x00FF00);
        c.expect(20, 54, 0x404040);
    });

    // The front buffer holds the last presented image, not what was drawn
    // since: the quadrants are presented, the back buffer cleared grey, the
    // front buffer read into a screen-sized A8R8G8B8 surface (what a
    // windowed front buffer needs) and the presented image found there is
    // drawn back onto the back buffer. The window may be larger than the
    // back buffer: the image is presented into its top-left corner at 1:1.
    for (D3DFORMAT format : {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5}) {
        Options options;
        options.backBufferFormat = format;
        const char* name = format == D3DFMT_R5G6B5 ? "front buffer R5G6B5" : "front buffer X8R8G8B8";
        cases.add(name, options, [](Context& c) {
            c.d3d->EndScene();
            clearQuadrants(c);
            const RECT corner{0, 0, 64, 64};
            c.check(c.d3d->Present(nullptr, &corner, nullptr, nullptr), "Present");
            c.clear(kGrey);
            D3DDISPLAYMODE mode{};
            IDirect3DSurface8* front = nullptr;
            const bool read = c.check(c.d3d->GetDisplayMode(&mode), "GetDisplayMode") &&
                              c.check(c.d3d->CreateImageSurface(mode.Width, mode.Height, D3DFMT_A8R8G8B8, &front),
                                      "CreateImageSurface") &&
                              c.check(c.d3d->GetFrontBuffer(c.keep(front)), "GetFrontBuffer");
            c.d3d->BeginScene();
            D3DLOCKED_RECT locked{};
            if (!read || !c.check(front->LockRect(&locked, nullptr, D3DLOCK_READONLY), "LockRect")) return;
            const BYTE* bits = static_cast<const BYTE*>(locked.pBits);
            UINT x0 = 0, y0 = 0;
            std::vector<DWORD> found;
            if (findQuadrants(bits, locked.Pitch, mode.Width, mode.Height, &x0, &y0))
                for (UINT y = y0; y < y0 + 64; ++y)
                    for (UINT x = x0; x < x0 + 64; ++x) {
                        DWORD texel;
                        std::memcpy(&texel, bits + size_t(y) * size_t(locked.Pitch) + size_t(x) * 4, 4);
                        found.push_back(texel);
                    }
            front->UnlockRect();
            if (found.empty()) {
                c.fail("the presented image is not in the front buffer");
                return;
            }
            drawTexture(c, c.makeTexture(64, 64, found), 0, 0, 64, 64);
            c.expect(16, 16, 0xFF0000);
            c.expect(48, 16, 0x00FF00);
            c.expect(16, 48, 0x0000FF);
            c.expect(48, 48, 0xFFFFFF);
        });
    }

    // After a Reset to 80 x 40 the back buffer has the new size, and a clear
    // covers it all, also beyond the old width.
    cases.add("clear after reset covers the new size", [](Context& c) {
        c.d3d->EndScene();
        D3DDEVICE_CREATION_PARAMETERS creation{};
        c.check(c.d3d->GetCreationParameters(&creation), "GetCreationParameters");
        D3DPRESENT_PARAMETERS pp = zep::visual::presentParameters(c.options(), creation.hFocusWindow);
        pp.BackBufferWidth = 80;
        pp.BackBufferHeight = 40;
        if (c.check(c.d3d->Reset(&pp), "Reset"))
            c.check(c.d3d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF00FFFF, 1.0f, 0), "Clear");
        c.d3d->BeginScene();
        c.expect(70, 30, 0x00FFFF);
        c.expect(10, 10, 0x00FFFF);
    });
}
