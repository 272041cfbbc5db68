// The texture stage cascade: every D3DTOP_ colour operation, the argument
// sources and modifiers, the result register, alpha operations, the alpha
// test, a missing texture, bump-environment mapping and the multi-texture
// set-ups the engine draws meshes with. Each expected colour
// is Direct3D 8's formula worked out by hand from the inputs in the row
// (0x80 = 0.502, 0x40 = 0.251, 0xC0 = 0.753).
#include "visual_case.h"

namespace {

using zep::visual::Context;
using zep::visual::floatBits;
using zep::visual::kScreenFvf;
using zep::visual::screenQuad;

struct StageSetup {
    DWORD colorOp = D3DTOP_DISABLE;
    DWORD colorArg1 = D3DTA_TEXTURE, colorArg2 = D3DTA_CURRENT, colorArg0 = D3DTA_CURRENT;
    DWORD alphaOp = D3DTOP_SELECTARG1;
    DWORD alphaArg1 = D3DTA_DIFFUSE, alphaArg2 = D3DTA_CURRENT, alphaArg0 = D3DTA_CURRENT;
    DWORD result = D3DTA_CURRENT;
};

struct OpCase {
    const char* name;
    StageSetup stage0;
    StageSetup stage1;  // DISABLE unless the case chains
    DWORD texel;        // stage 0's texture, one colour
    DWORD diffuse;
    DWORD specular;
    DWORD factor;       // D3DRS_TEXTUREFACTOR
    DWORD expected;     // RGB of the result
};

StageSetup color(DWORD op, DWORD arg1, DWORD arg2 = D3DTA_CURRENT, DWORD arg0 = D3DTA_CURRENT) {
    StageSetup s;
    s.colorOp = op;
    s.colorArg1 = arg1;
    s.colorArg2 = arg2;
    s.colorArg0 = arg0;
    return s;
}

// Stage 0 computes an alpha; stage 1 shows it as grey through ALPHAREPLICATE.
StageSetup alpha(DWORD op, DWORD arg1, DWORD arg2 = D3DTA_CURRENT, DWORD arg0 = D3DTA_CURRENT) {
    StageSetup s = color(D3DTOP_SELECTARG1, D3DTA_DIFFUSE);
    s.alphaOp = op;
    s.alphaArg1 = arg1;
    s.alphaArg2 = arg2;
    s.alphaArg0 = arg0;
    return s;
}
const StageSetup kShowAlpha = color(D3DTOP_SELECTARG1, D3DTA_CURRENT | D3DTA_ALPHAREPLICATE);
const StageSetup kOff{};

const OpCase kCases[] = {
    // name, stage 0, stage 1, texel, diffuse, specular, factor, expected
    {"SELECTARG1 texture", color(D3DTOP_SELECTARG1, D3DTA_TEXTURE), kOff, 0xFFFF0000, 0xFF00FF00, 0, 0, 0xFF0000},
    {"SELECTARG2 diffuse", color(D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_DIFFUSE), kOff, 0xFFFF0000, 0xFF00FF00, 0, 0, 0x00FF00},
    {"MODULATE", color(D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE), kOff, 0xFFFFFF00, 0xFF00FFFF, 0, 0, 0x00FF00},
    // 2 * 1 * 0.502 = 1.004, 2 * 0.502 * 0.502 = 0.504
    {"MODULATE2X", color(D3DTOP_MODULATE2X, D3DTA_TEXTURE, D3DTA_TFACTOR), kOff, 0xFFFF8000, 0xFF000000, 0, 0xFF808080, 0xFF8100},
    // 4 * 0.251 = 1.004
    {"MODULATE4X", color(D3DTOP_MODULATE4X, D3DTA_TEXTURE, D3DTA_TFACTOR), kOff, 0xFF404040, 0, 0, 0xFFFFFF00, 0xFFFF00},
    // 0.502 + 0.502 clamps to 1
    {"ADD", color(D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_DIFFUSE), kOff, 0xFF800000, 0xFF80FF00, 0, 0, 0xFFFF00},
    // r 0.502 + 0.502 - 0.5 = 0.504, g 0.502 + 1 - 0.5 = 1, b 0.502 - 0.5 = 0.002
    {"ADDSIGNED", color(D3DTOP_ADDSIGNED, D3DTA_TEXTURE, D3DTA_DIFFUSE), kOff, 0xFF808080, 0xFF80FF00, 0, 0, 0x81FF00},
    // twice the above: r 1.008, b 0.004
    {"ADDSIGNED2X", color(D3DTOP_ADDSIGNED2X, D3DTA_TEXTURE, D3DTA_DIFFUSE), kOff, 0xFF808080, 0xFF80FF00, 0, 0, 0xFFFF01},
    {"SUBTRACT", color(D3DTOP_SUBTRACT, D3DTA_TEXTURE, D3DTA_DIFFUSE), kOff, 0xFFFFFF00, 0xFF00FF00, 0, 0, 0xFF0000},
    // r 0.502 + 0.502 - 0.252 = 0.752, g 0.502
    {"ADDSMOOTH", color(D3DTOP_ADDSMOOTH, D3DTA_TEXTURE, D3DTA_DIFFUSE), kOff, 0xFF808000, 0xFF800000, 0, 0, 0xC08000},
    // diffuse alpha 0.502: r 1 * 0.502, b 1 * 0.498
    {"BLENDDIFFUSEALPHA", color(D3DTOP_BLENDDIFFUSEALPHA, D3DTA_TEXTURE, D3DTA_TFACTOR), kOff, 0xFFFF0000, 0x80000000, 0, 0xFF0000FF, 0x80007F},
    // texture alpha 0.251: r 0.251, b 0.749
    {"BLENDTEXTUREALPHA", color(D3DTOP_BLENDTEXTUREALPHA, D3DTA_TEXTURE, D3DTA_DIFFUSE), kOff, 0x40FF0000, 0xFF0000FF, 0, 0, 0x4000BF},
    // factor alpha 0.753: r 0.753, b 0.247
    {"BLENDFACTORALPHA", color(D3DTOP_BLENDFACTORALPHA, D3DTA_TEXTURE, D3DTA_DIFFUSE), kOff, 0xFFFF0000, 0xFF0000FF, 0, 0xC0000000, 0xC0003F},
    // premultiplied: r 1 + 0, b 0 + 1 * 0.749
    {"BLENDTEXTUREALPHAPM", color(D3DTOP_BLENDTEXTUREALPHAPM, D3DTA_TEXTURE, D3DTA_DIFFUSE), kOff, 0x40FF0000, 0xFF0000FF, 0, 0, 0xFF00BF},
    // stage 0 leaves alpha 0.251 (the factor's) in CURRENT; stage 1 blends by it
    {"BLENDCURRENTALPHA", alpha(D3DTOP_SELECTARG1, D3DTA_TFACTOR),
     color(D3DTOP_BLENDCURRENTALPHA, D3DTA_TFACTOR | D3DTA_COMPLEMENT, D3DTA_DIFFUSE), 0, 0xFF0000FF, 0, 0x4000FFFF, 0x4000BF},
    // r 0.502 + 0.502 * 0, g 0 + 0.502 * 1
    {"MODULATEALPHA_ADDCOLOR", color(D3DTOP_MODULATEALPHA_ADDCOLOR, D3DTA_TEXTURE, D3DTA_DIFFUSE), kOff, 0x80800000, 0xFF00FF00, 0, 0, 0x808000},
    // r 1 * 0.502 + 0.251, g 0.502 * 0.502 + 0.251, b 0 + 0.251
    {"MODULATECOLOR_ADDALPHA", color(D3DTOP_MODULATECOLOR_ADDALPHA, D3DTA_TEXTURE, D3DTA_DIFFUSE), kOff, 0x40FF8000, 0xFF808080, 0, 0, 0xC08040},
    // r 0.749 * 0 + 0.502, g 0.749 * 1 + 0
    {"MODULATEINVALPHA_ADDCOLOR", color(D3DTOP_MODULATEINVALPHA_ADDCOLOR, D3DTA_TEXTURE, D3DTA_DIFFUSE), kOff, 0x40800000, 0xFF00FF00, 0, 0, 0x80BF00},
    // r 0 * 0.502 + 0.251, g and b 1 * 0.502 + 0.251
    {"MODULATEINVCOLOR_ADDALPHA", color(D3DTOP_MODULATEINVCOLOR_ADDALPHA, D3DTA_TEXTURE, D3DTA_DIFFUSE), kOff, 0x40FF0000, 0xFF808080, 0, 0, 0x40C0C0},
    // (1, 0.004, 0.004) . (1, 0.004, 0.004) = 1 in all channels
    {"DOTPRODUCT3", color(D3DTOP_DOTPRODUCT3, D3DTA_TEXTURE, D3DTA_DIFFUSE), kOff, 0xFFFF8080, 0xFFFF8080, 0, 0, 0xFFFFFF},
    // (1, 0.004, 0.004) . (0.004, 1, 0.004) = 0.008
    {"DOTPRODUCT3 orthogonal", color(D3DTOP_DOTPRODUCT3, D3DTA_TEXTURE, D3DTA_DIFFUSE), kOff, 0xFFFF8080, 0xFF80FF80, 0, 0, 0x020202},
    // r 0.251 + 0.502 * 0.502 = 0.503, g 0 + 0.502 * 1
    {"MULTIPLYADD", color(D3DTOP_MULTIPLYADD, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTA_TFACTOR), kOff, 0xFF808080, 0xFF80FF00, 0, 0xFF400000, 0x808000},
    // 0.753 * red + 0.247 * blue
    {"LERP", color(D3DTOP_LERP, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTA_TFACTOR), kOff, 0xFFFF0000, 0xFF0000FF, 0, 0xFFC0C0C0, 0xC0003F},
    {"COMPLEMENT", color(D3DTOP_SELECTARG1, D3DTA_TEXTURE | D3DTA_COMPLEMENT), kOff, 0xFFFF8000, 0, 0, 0, 0x007FFF},
    {"ALPHAREPLICATE", color(D3DTOP_SELECTARG1, D3DTA_TEXTURE | D3DTA_ALPHAREPLICATE), kOff, 0x80FF0000, 0, 0, 0, 0x808080},
    {"TFACTOR", color(D3DTOP_SELECTARG1, D3DTA_TFACTOR), kOff, 0xFFFF0000, 0, 0, 0xFF00FFFF, 0x00FFFF},
    {"second vertex colour", color(D3DTOP_SELECTARG1, D3DTA_SPECULAR), kOff, 0xFFFF0000, 0, 0xFFFF00FF, 0, 0xFF00FF},
    {"CURRENT chains", color(D3DTOP_SELECTARG1, D3DTA_TEXTURE), color(D3DTOP_MODULATE, D3DTA_CURRENT, D3DTA_DIFFUSE), 0xFFFFFF00, 0xFF00FFFF, 0, 0, 0x00FF00},
    // stage 0 writes TEMP and leaves CURRENT as diffuse; stage 1: diffuse - temp
    {"RESULTARG TEMP",
     [] { StageSetup s = color(D3DTOP_SELECTARG1, D3DTA_TEXTURE); s.result = D3DTA_TEMP; return s; }(),
     color(D3DTOP_SUBTRACT, D3DTA_CURRENT, D3DTA_TEMP), 0xFF00FF00, 0xFFFFFF00, 0, 0, 0xFF0000},
    // alpha operations, shown as grey: 0.502 * 0.502, 0.251 + 0.502, 1 - 0.251
    {"alpha MODULATE", alpha(D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE), kShowAlpha, 0x80000000, 0x80000000, 0, 0, 0x404040},
    {"alpha ADD", alpha(D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_DIFFUSE), kShowAlpha, 0x40000000, 0x80000000, 0, 0, 0xC0C0C0},
    {"alpha COMPLEMENT", alpha(D3DTOP_SELECTARG1, D3DTA_TEXTURE | D3DTA_COMPLEMENT), kShowAlpha, 0x40000000, 0, 0, 0, 0xBFBFBF},
    // DOTPRODUCT3 as colour op writes alpha too, whatever the alpha op
    {"alpha from DOTPRODUCT3",
     [] { StageSetup s = color(D3DTOP_DOTPRODUCT3, D3DTA_TEXTURE, D3DTA_DIFFUSE); s.alphaArg1 = D3DTA_TFACTOR; return s; }(),
     kShowAlpha, 0xFFFF8080, 0xFFFF8080, 0, 0x00000000, 0xFFFFFF},
};

void apply(IDirect3DDevice8* d3d, DWORD stage, const StageSetup& s) {
    d3d->SetTextureStageState(stage, D3DTSS_COLOROP, s.colorOp);
    d3d->SetTextureStageState(stage, D3DTSS_COLORARG1, s.colorArg1);
    d3d->SetTextureStageState(stage, D3DTSS_COLORARG2, s.colorArg2);
    d3d->SetTextureStageState(stage, D3DTSS_COLORARG0, s.colorArg0);
    d3d->SetTextureStageState(stage, D3DTSS_ALPHAOP, s.colorOp == D3DTOP_DISABLE ? DWORD(D3DTOP_DISABLE) : s.alphaOp);
    d3d->SetTextureStageState(stage, D3DTSS_ALPHAARG1, s.alphaArg1);
    d3d->SetTextureStageState(stage, D3DTSS_ALPHAARG2, s.alphaArg2);
    d3d->SetTextureStageState(stage, D3DTSS_ALPHAARG0, s.alphaArg0);
    d3d->SetTextureStageState(stage, D3DTSS_RESULTARG, s.result);
}

}  // namespace

ZEP_VISUAL_GROUP(stages) {
    // Every operation and argument follows its formula.
    for (const OpCase& op : kCases) {
        cases.add(op.name, [op](Context& c) {
            c.d3d->SetTexture(0, c.makeTexture(4, 4, {op.texel}));
            apply(c.d3d, 0, op.stage0);
            apply(c.d3d, 1, op.stage1);
            c.d3d->SetRenderState(D3DRS_TEXTUREFACTOR, op.factor);
            c.drawStrip(screenQuad(0, 0, 64, 64, 0.5f, op.diffuse, op.specular), kScreenFvf);
            c.expect(32, 32, op.expected);
        });
    }

    cases.add("stage without texture samples opaque white", [](Context& c) {
        apply(c.d3d, 0, color(D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE));
        c.drawStrip(screenQuad(0, 0, 64, 64, 0.5f, 0xFF00FF80), kScreenFvf);
        c.expect(32, 32, 0x00FF80);
    });

    for (DWORD enable : {FALSE, TRUE}) {
        cases.add(enable ? "second colour added when enabled" : "second colour ignored when disabled", [enable](Context& c) {
            apply(c.d3d, 0, color(D3DTOP_SELECTARG1, D3DTA_DIFFUSE));
            c.d3d->SetRenderState(D3DRS_SPECULARENABLE, enable);
            c.drawStrip(screenQuad(0, 0, 64, 64, 0.5f, 0xFF800000, 0xFF80FF00), kScreenFvf);
            c.expect(32, 32, enable ? 0xFFFF00 : 0x800000);
        });
    }

    // The alpha test compares the eight-bit alpha (0x80 here) with the reference.
    struct AlphaTest {
        const char* name;
        DWORD func;
        DWORD ref;
        bool drawn;
    };
    const AlphaTest alphaTests[] = {
        {"never", D3DCMP_NEVER, 0, false},
        {"less 81", D3DCMP_LESS, 0x81, true},
        {"less 80", D3DCMP_LESS, 0x80, false},
        {"equal 80", D3DCMP_EQUAL, 0x80, true},
        {"equal 7f", D3DCMP_EQUAL, 0x7F, false},
        {"lessequal 80", D3DCMP_LESSEQUAL, 0x80, true},
        {"lessequal 7f", D3DCMP_LESSEQUAL, 0x7F, false},
        {"greater 7f", D3DCMP_GREATER, 0x7F, true},
        {"greater 80", D3DCMP_GREATER, 0x80, false},
        {"notequal 80", D3DCMP_NOTEQUAL, 0x80, false},
        {"notequal 81", D3DCMP_NOTEQUAL, 0x81, true},
        {"greaterequal 80", D3DCMP_GREATEREQUAL, 0x80, true},
        {"greaterequal 81", D3DCMP_GREATEREQUAL, 0x81, false},
        {"always ff", D3DCMP_ALWAYS, 0xFF, true},
    };
    for (const AlphaTest& t : alphaTests) {
        cases.add(std::string("alpha test ") + t.name, [t](Context& c) {
            apply(c.d3d, 0, alpha(D3DTOP_SELECTARG1, D3DTA_DIFFUSE));
            c.d3d->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
            c.d3d->SetRenderState(D3DRS_ALPHAFUNC, t.func);
            c.d3d->SetRenderState(D3DRS_ALPHAREF, t.ref);
            c.drawStrip(screenQuad(0, 0, 64, 64, 0.5f, 0x80FFFFFF), kScreenFvf);
            c.expect(32, 32, t.drawn ? 0xFFFFFF : 0x000000);
        });
    }

    // The engine's two-texture meshes: stage 0 texture x diffuse, stage 1 the
    // second texture (argument 1) with CURRENT (argument 2), each stage on
    // its own coordinate set (FVF TEX2, default coordinate indices). Set 0
    // picks stage 0's left texel (orange), set 1 stage 1's right texel
    // (0.502, 1, 1); the diffuse is white.
    struct SecondStage {
        const char* name;
        DWORD op;
        DWORD expected;
    };
    for (const SecondStage& t : {SecondStage{"two textures modulate", D3DTOP_MODULATE, 0x808000},
                                 SecondStage{"two textures add", D3DTOP_ADD, 0xFFFFFF},
                                 SecondStage{"two textures selectarg1", D3DTOP_SELECTARG1, 0x80FFFF}}) {
        cases.add(t.name, [t](Context& c) {
            c.d3d->SetTexture(0, c.makeTexture(2, 1, {0xFFFF8000, 0xFF0000FF}));
            c.d3d->SetTexture(1, c.makeTexture(2, 1, {0xFF000000, 0xFF80FFFF}));
            c.samplePoint(0);
            c.samplePoint(1);
            StageSetup first = color(D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE);
            first.alphaOp = D3DTOP_MODULATE;
            first.alphaArg1 = D3DTA_TEXTURE;
            first.alphaArg2 = D3DTA_DIFFUSE;
            StageSetup second = color(t.op, D3DTA_TEXTURE, D3DTA_CURRENT);
            second.alphaOp = t.op;
            second.alphaArg1 = D3DTA_TEXTURE;
            second.alphaArg2 = D3DTA_CURRENT;
            apply(c.d3d, 0, first);
            apply(c.d3d, 1, second);
            struct TwoSetVertex {
                float x, y, z, rhw;
                DWORD diffuse;
                float u0, v0, u1, v1;
            };
            std::vector<TwoSetVertex> quad;
            for (const auto& v : screenQuad(0, 0, 64, 64, 0.5f, 0xFFFFFFFF))
                quad.push_back({v.x, v.y, v.z, v.rhw, v.diffuse, 0.25f, 0.5f, 0.75f, 0.5f});
            c.drawStrip(quad, D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX2);
            c.expect(32, 32, t.expected);
        });
    }

    // The engine's light map: a third stage modulates CURRENT by the
    // alpha-replicated light-map texel (alpha 0.251 here).
    cases.add("light map stage modulates by replicated alpha", [](Context& c) {
        c.d3d->SetTexture(0, c.makeTexture(1, 1, {0xFFFFFF00}));
        c.d3d->SetTexture(2, c.makeTexture(1, 1, {0x40FF0000}));
        c.samplePoint(0);
        c.samplePoint(2);
        apply(c.d3d, 0, color(D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE));
        apply(c.d3d, 1, color(D3DTOP_SELECTARG1, D3DTA_CURRENT));
        apply(c.d3d, 2, color(D3DTOP_MODULATE, D3DTA_TEXTURE | D3DTA_ALPHAREPLICATE, D3DTA_CURRENT));
        c.d3d->SetTextureStageState(2, D3DTSS_TEXCOORDINDEX, 0);
        c.drawStrip(screenQuad(0, 0, 64, 64, 0.5f, 0xFFFFFFFF), kScreenFvf);
        c.expect(32, 32, 0x404000);
    });

    // Bump-environment mapping offsets the next stage. Stage 0: a signed
    // bump texel (du, dv) = (0.5, 0) through the matrix [[1, 0], [0, 1]]
    // moves stage 1's u from 0.25 to 0.75: the right texel of a 2x1
    // red | green texture. Luminance: l = 0.5 (W), scale 1, offset 0 halves
    // the sampled green.
    struct Bump {
        const char* name;
        DWORD op;
        DWORD expected;
    };
    for (const Bump& b : {Bump{"no bump stage", D3DTOP_SELECTARG1, 0xFF0000},  // u stays 0.25
                          Bump{"bumpenvmap", D3DTOP_BUMPENVMAP, 0x00FF00},
                          Bump{"bumpenvmapluminance", D3DTOP_BUMPENVMAPLUMINANCE, 0x008000}}) {
        cases.add(b.name, [b](Context& c) {
            IDirect3DTexture8* bump = nullptr;
            if (FAILED(c.d3d->CreateTexture(1, 1, 1, 0, D3DFMT_Q8W8V8U8, D3DPOOL_MANAGED, &bump))) {
                c.skip("no D3DFMT_Q8W8V8U8 textures");
                return;
            }
            c.keep(bump);
            D3DLOCKED_RECT locked{};
            if (!c.check(bump->LockRect(0, &locked, nullptr, 0), "LockRect")) return;
            const DWORD texel = (0x7Fu << 24) | (0x40u << 16) | (0x00u << 8) | 0x40u;  // Q 1, W 0.5, V 0, U 0.5
            std::memcpy(locked.pBits, &texel, 4);
            bump->UnlockRect(0);
            IDirect3DTexture8* environment = c.makeTexture(2, 1, {0xFFFF0000, 0xFF00FF00});
            c.samplePoint(0);
            c.samplePoint(1);
            c.d3d->SetTexture(0, bump);
            c.d3d->SetTexture(1, environment);
            c.d3d->SetTextureStageState(0, D3DTSS_BUMPENVMAT00, floatBits(1.0f));
            c.d3d->SetTextureStageState(0, D3DTSS_BUMPENVMAT01, floatBits(0.0f));
            c.d3d->SetTextureStageState(0, D3DTSS_BUMPENVMAT10, floatBits(0.0f));
            c.d3d->SetTextureStageState(0, D3DTSS_BUMPENVMAT11, floatBits(1.0f));
            c.d3d->SetTextureStageState(0, D3DTSS_BUMPENVLSCALE, floatBits(1.0f));
            c.d3d->SetTextureStageState(0, D3DTSS_BUMPENVLOFFSET, floatBits(0.0f));
            c.d3d->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 0);
            apply(c.d3d, 1, color(D3DTOP_SELECTARG1, D3DTA_TEXTURE));
            apply(c.d3d, 0, b.op == D3DTOP_SELECTARG1 ? color(D3DTOP_SELECTARG1, D3DTA_DIFFUSE) : color(b.op, D3DTA_TEXTURE));
            // u = 0.25 everywhere: all four vertices carry the same coordinate.
            auto quad = screenQuad(0, 0, 64, 64, 0.5f, 0xFFFFFFFF);
            for (auto& v : quad) {
                v.u = 0.25f;
                v.v = 0.5f;
            }
            c.drawStrip(quad, kScreenFvf);
            c.expect(32, 32, b.expected);
        });
    }

    // The engine's lava set-up: the bump stage's matrix turns (du, dv) =
    // (0.5, 0) into a step along v (BUMPENVMAT01 = 1: v += M01 * du), and the
    // next stage modulates the bumped texel by the diffuse colour. From
    // (0.25, 0.25) of a 2 x 2 red | green / blue | white texture the step
    // reaches the blue texel; a transposed matrix would reach green.
    cases.add("bumpenvmap matrix feeds a modulate stage", [](Context& c) {
        IDirect3DTexture8* bump = nullptr;
        if (FAILED(c.d3d->CreateTexture(1, 1, 1, 0, D3DFMT_Q8W8V8U8, D3DPOOL_MANAGED, &bump))) {
            c.skip("no D3DFMT_Q8W8V8U8 textures");
            return;
        }
        c.keep(bump);
        D3DLOCKED_RECT locked{};
        if (!c.check(bump->LockRect(0, &locked, nullptr, 0), "LockRect")) return;
        const DWORD texel = 0x7F000040u;  // Q 1, W 0, V 0, U 0.5
        std::memcpy(locked.pBits, &texel, 4);
        bump->UnlockRect(0);
        c.samplePoint(0);
        c.samplePoint(1);
        c.d3d->SetTexture(0, bump);
        c.d3d->SetTexture(1, c.makeTexture(2, 2, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF}));
        c.d3d->SetTextureStageState(0, D3DTSS_BUMPENVMAT00, floatBits(0.0f));
        c.d3d->SetTextureStageState(0, D3DTSS_BUMPENVMAT01, floatBits(1.0f));
        c.d3d->SetTextureStageState(0, D3DTSS_BUMPENVMAT10, floatBits(1.0f));
        c.d3d->SetTextureStageState(0, D3DTSS_BUMPENVMAT11, floatBits(0.0f));
        c.d3d->SetTextureStageState(0, D3DTSS_BUMPENVLSCALE, floatBits(1.0f));
        c.d3d->SetTextureStageState(0, D3DTSS_BUMPENVLOFFSET, floatBits(1.0f));
        c.d3d->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 0);
        apply(c.d3d, 0, color(D3DTOP_BUMPENVMAP, D3DTA_TEXTURE, D3DTA_CURRENT));
        apply(c.d3d, 1, color(D3DTOP_MODULATE, D3DTA_DIFFUSE, D3DTA_TEXTURE));
        auto quad = screenQuad(0, 0, 64, 64, 0.5f, 0xFF808080);
        for (auto& v : quad) v.u = v.v = 0.25f;
        c.drawStrip(quad, kScreenFvf);
        c.expect(32, 32, 0x000080);
    });
}
