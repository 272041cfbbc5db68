// Shader programs built from tokens: vertex programs feeding the
// fixed-function pixel stages, pixel programs after the fixed-function
// vertex stage, both together, fog and the alpha test after a pixel
// program, and the engine's own effect programs instruction for instruction
// (the bump and water pixel programs, the wide-line and terrain vertex
// programs). Expected colours follow the 1.x instruction set by hand.
#include "visual_case.h"

#include <string>
#include <vector>

namespace {

using zep::visual::Context;
using zep::visual::floatBits;
using zep::visual::identityMatrix;
using zep::visual::kSceneFvf;
using zep::visual::kScreenFvf;
using zep::visual::sceneQuad;
using zep::visual::screenQuad;

// ---- Token building ---------------------------------------------------------

constexpr DWORD kParameter = 0x80000000u;

// Register files, as plain numbers (the headers' enums differ in type).
constexpr DWORD kTemp = DWORD(D3DSPR_TEMP), kInput = DWORD(D3DSPR_INPUT), kConst = DWORD(D3DSPR_CONST),
                kTexture = DWORD(D3DSPR_TEXTURE), kRastOut = DWORD(D3DSPR_RASTOUT),
                kAttrOut = DWORD(D3DSPR_ATTROUT), kTexCrdOut = DWORD(D3DSPR_TEXCRDOUT);

constexpr DWORD kMaskAll = D3DSP_WRITEMASK_ALL, kX = D3DSP_WRITEMASK_0, kY = D3DSP_WRITEMASK_1,
                kZ = D3DSP_WRITEMASK_2, kW = D3DSP_WRITEMASK_3;

// Components 0..3 = x..w, two bits each.
constexpr DWORD swizzle(DWORD x, DWORD y, DWORD z, DWORD w) {
    return (x | (y << 2) | (z << 4) | (w << 6)) << D3DSP_SWIZZLE_SHIFT;
}
constexpr DWORD kNoSwizzle = swizzle(0, 1, 2, 3);
constexpr DWORD kXXXX = swizzle(0, 0, 0, 0), kZZZZ = swizzle(2, 2, 2, 2), kWWWW = swizzle(3, 3, 3, 3);

constexpr DWORD kSaturate = DWORD(D3DSPDM_SATURATE);
constexpr DWORD kNegate = DWORD(D3DSPSM_NEG), kBiasX2 = DWORD(D3DSPSM_SIGN);

DWORD dst(DWORD file, DWORD index, DWORD mask = kMaskAll, DWORD modifier = 0) {
    return kParameter | file | mask | modifier | index;
}
DWORD src(DWORD file, DWORD index, DWORD swz = kNoSwizzle, DWORD modifier = 0) {
    return kParameter | file | swz | modifier | index;
}
DWORD op(D3DSHADER_INSTRUCTION_OPCODE_TYPE opcode) { return DWORD(opcode); }

// def c<index>, x, y, z, w
std::vector<DWORD> def(DWORD index, float x, float y, float z, float w) {
    return {op(D3DSIO_DEF), dst(kConst, index), floatBits(x), floatBits(y), floatBits(z), floatBits(w)};
}

std::vector<DWORD> program(std::initializer_list<std::vector<DWORD>> parts) {
    std::vector<DWORD> tokens;
    for (const std::vector<DWORD>& part : parts) tokens.insert(tokens.end(), part.begin(), part.end());
    return tokens;
}

DWORD createVertexShader(Context& c, const DWORD* declaration, const std::vector<DWORD>& function) {
    DWORD handle = 0;
    if (!c.check(c.d3d->CreateVertexShader(declaration, function.data(), &handle, 0), "CreateVertexShader")) return 0;
    return handle;
}

DWORD createPixelShader(Context& c, const std::vector<DWORD>& function) {
    DWORD handle = 0;
    if (!c.check(c.d3d->CreatePixelShader(function.data(), &handle), "CreatePixelShader")) return 0;
    return handle;
}

void showStage0(IDirect3DDevice8* d3d, DWORD argument) {
    d3d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    d3d->SetTextureStageState(0, D3DTSS_COLORARG1, argument);
}

// ---- A small vertex program ---------------------------------------------------

// Position and colour in stream 0.
struct ShaderVertex {
    float x, y, z;
    DWORD color;
};

const DWORD kPositionColorDeclaration[] = {D3DVSD_STREAM(0), D3DVSD_REG(0, D3DVSDT_FLOAT3),
                                           D3DVSD_REG(1, D3DVSDT_D3DCOLOR), D3DVSD_END()};

// m4x4 oPos, v0, c0 ; mul oD0, v1, c4
std::vector<DWORD> colourTimesConstant(DWORD version) {
    return {version,
            op(D3DSIO_M4x4), dst(kRastOut, D3DSRO_POSITION), src(kInput, 0), src(kConst, 0),
            op(D3DSIO_MUL), dst(kAttrOut, 0), src(kInput, 1), src(kConst, 4),
            D3DVS_END()};
}

// oPos.x = v0 . c0 = 0.5 x + 0.5: the quad -1..1 lands on x 0..1, the
// right half of the screen. c4 is the colour factor.
void setHalfScreenConstants(IDirect3DDevice8* d3d) {
    const float constants[5][4] = {{0.5f, 0, 0, 0.5f}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}, {1, 0.5f, 0, 1}};
    d3d->SetVertexShaderConstant(0, constants, 5);
}

bool drawShaderQuad(Context& c, DWORD handle) {
    const std::vector<ShaderVertex> quad = {
        {-1, 1, 0.5f, 0xFFFFFFFF}, {1, 1, 0.5f, 0xFFFFFFFF}, {-1, -1, 0.5f, 0xFFFFFFFF}, {1, -1, 0.5f, 0xFFFFFFFF}};
    return c.drawStrip(quad, handle);
}

// ps.1.1: mov r0, <source>
std::vector<DWORD> movePixel(DWORD source) {
    return {D3DPS_VERSION(1, 1), op(D3DSIO_MOV), dst(kTemp, 0), source, D3DPS_END()};
}

void addProgramCases(zep::visual::CaseList& cases) {
    cases.add("vertex program feeds the fixed-function pixel stages", [](Context& c) {
        const DWORD vs = createVertexShader(c, kPositionColorDeclaration, colourTimesConstant(D3DVS_VERSION(1, 0)));
        if (!vs) return;
        showStage0(c.d3d, D3DTA_DIFFUSE);
        setHalfScreenConstants(c.d3d);
        drawShaderQuad(c, vs);
        c.expect(48, 32, 0xFF8000);  // white x c4
        c.expect(16, 32, 0x000000);
        c.d3d->SetVertexShader(kScreenFvf);
        c.check(c.d3d->DeleteVertexShader(vs), "DeleteVertexShader");
    });

    // A vs.1.1 program that writes only the position: the colour it leaves
    // unwritten reaches the pixel stages as opaque white.
    cases.add("vertex program without colour output", [](Context& c) {
        const DWORD vs = createVertexShader(
            c, kPositionColorDeclaration,
            {D3DVS_VERSION(1, 1), op(D3DSIO_M4x4), dst(kRastOut, D3DSRO_POSITION), src(kInput, 0), src(kConst, 0),
             D3DVS_END()});
        if (!vs) return;
        showStage0(c.d3d, D3DTA_DIFFUSE);
        setHalfScreenConstants(c.d3d);
        drawShaderQuad(c, vs);
        c.expect(48, 32, 0xFFFFFF);
        c.d3d->SetVertexShader(kScreenFvf);
        c.d3d->DeleteVertexShader(vs);
    });

    // tex t0 ; mul r0, t0, c0: c0 keeps red and green, drops blue.
    cases.add("pixel program samples what the fixed-function vertex stage sends", [](Context& c) {
        const DWORD ps = createPixelShader(c, {D3DPS_VERSION(1, 1), op(D3DSIO_TEX), dst(kTexture, 0), op(D3DSIO_MUL),
                                               dst(kTemp, 0), src(kTexture, 0), src(kConst, 0), D3DPS_END()});
        if (!ps) return;
        const float c0[4] = {1, 1, 0, 1};
        c.d3d->SetPixelShaderConstant(0, c0, 1);
        c.d3d->SetTexture(0, c.makeTexture(2, 1, {0xFFFF00FF, 0xFF00FFFF}));  // magenta | cyan
        c.samplePoint(0);
        c.d3d->SetPixelShader(ps);
        c.drawStrip(screenQuad(0, 0, 64, 64, 0.5f, 0xFFFFFFFF), kScreenFvf);
        c.expect(16, 32, 0xFF0000);
        c.expect(48, 32, 0x00FF00);
        c.d3d->SetPixelShader(0);
        c.check(c.d3d->DeletePixelShader(ps), "DeletePixelShader");
    });

    // mov r0, v0: the vertex program's oD0 reaches the pixel program's v0.
    cases.add("vertex and pixel programs together", [](Context& c) {
        const DWORD ps = createPixelShader(c, movePixel(src(kInput, 0)));
        const DWORD vs = createVertexShader(c, kPositionColorDeclaration, colourTimesConstant(D3DVS_VERSION(1, 0)));
        if (!ps || !vs) return;
        setHalfScreenConstants(c.d3d);
        c.d3d->SetPixelShader(ps);
        drawShaderQuad(c, vs);
        c.expect(48, 32, 0xFF8000);
        c.d3d->SetPixelShader(0);
        c.d3d->SetVertexShader(kScreenFvf);
        c.d3d->DeletePixelShader(ps);
        c.d3d->DeleteVertexShader(vs);
    });

    // Deleting a shader forgets its programs: a new shader, whose handle may
    // be the old one's, must not draw with the old program.
    cases.add("pixel program created after a deleted one draws its own", [](Context& c) {
        const DWORD vs = createVertexShader(c, kPositionColorDeclaration, colourTimesConstant(D3DVS_VERSION(1, 0)));
        DWORD ps = createPixelShader(c, movePixel(src(kInput, 0)));
        if (!ps || !vs) return;
        setHalfScreenConstants(c.d3d);
        c.d3d->SetPixelShader(ps);
        drawShaderQuad(c, vs);
        c.d3d->SetPixelShader(0);
        c.check(c.d3d->DeletePixelShader(ps), "DeletePixelShader");
        ps = createPixelShader(c, movePixel(src(kConst, 1)));
        if (!ps) return;
        const float blue[4] = {0, 0, 1, 1};
        c.d3d->SetPixelShaderConstant(1, blue, 1);
        c.d3d->SetPixelShader(ps);
        drawShaderQuad(c, vs);
        c.expect(48, 32, 0x0000FF);
        c.d3d->SetPixelShader(0);
        c.d3d->DeletePixelShader(ps);
        c.d3d->SetVertexShader(kScreenFvf);
        c.d3d->DeleteVertexShader(vs);
    });
}

// ---- Fixed steps after a pixel program ------------------------------------------

// mov r0, c0 with c0 red at alpha 0.5, on a scene quad at z = 5.
DWORD redHalfAlphaProgram(Context& c) {
    const DWORD ps = createPixelShader(c, movePixel(src(kConst, 0)));
    const float red[4] = {1, 0, 0, 0.5f};
    c.d3d->SetPixelShaderConstant(0, red, 1);
    D3DMATRIX projection = identityMatrix();
    projection._33 = 0.05f;
    c.d3d->SetTransform(D3DTS_PROJECTION, &projection);
    return ps;
}

void addAfterPixelProgramCases(zep::visual::CaseList& cases) {
    // Linear fog 0..10 at z = 5: half red, half the blue fog colour.
    cases.add("fog after a pixel program", [](Context& c) {
        const DWORD ps = redHalfAlphaProgram(c);
        if (!ps) return;
        c.d3d->SetPixelShader(ps);
        c.d3d->SetRenderState(D3DRS_FOGENABLE, TRUE);
        c.d3d->SetRenderState(D3DRS_FOGCOLOR, 0x000000FF);
        c.d3d->SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
        c.d3d->SetRenderState(D3DRS_FOGSTART, floatBits(0.0f));
        c.d3d->SetRenderState(D3DRS_FOGEND, floatBits(10.0f));
        c.drawStrip(sceneQuad(-1, -1, 1, 1, 5.0f, 0xFFFFFFFF), kSceneFvf);
        c.expect(32, 32, 0x800080);
        c.d3d->SetPixelShader(0);
        c.d3d->DeletePixelShader(ps);
    });

    // Alpha 0x80 against the reference: drawn for GREATER 0x7F, not for 0x80.
    for (DWORD ref : {0x7Fu, 0x80u}) {
        cases.add(ref == 0x7F ? "alpha test after a pixel program passes" : "alpha test after a pixel program rejects",
                  [ref](Context& c) {
                      const DWORD ps = redHalfAlphaProgram(c);
                      if (!ps) return;
                      c.d3d->SetPixelShader(ps);
                      c.d3d->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
                      c.d3d->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
                      c.d3d->SetRenderState(D3DRS_ALPHAREF, ref);
                      c.drawStrip(sceneQuad(-1, -1, 1, 1, 5.0f, 0xFFFFFFFF), kSceneFvf);
                      c.expect(32, 32, ref == 0x7F ? 0xFF0000 : 0x000000);
                      c.d3d->SetPixelShader(0);
                      c.d3d->DeletePixelShader(ps);
                  });
    }
}

// ---- The engine's effect programs ---------------------------------------------------

// One 1 x 1 signed bump texel: U and V offsets, W the luminance; Q unused.
IDirect3DTexture8* makeBumpTexel(Context& c, BYTE u, BYTE v, BYTE w) {
    IDirect3DTexture8* bump = nullptr;
    if (FAILED(c.d3d->CreateTexture(1, 1, 1, 0, D3DFMT_Q8W8V8U8, D3DPOOL_MANAGED, &bump))) {
        c.skip("no D3DFMT_Q8W8V8U8 textures");
        return nullptr;
    }
    c.keep(bump);
    D3DLOCKED_RECT locked{};
    if (!c.check(bump->LockRect(0, &locked, nullptr, 0), "LockRect")) return nullptr;
    const DWORD texel = (0x7Fu << 24) | (DWORD(w) << 16) | (DWORD(v) << 8) | DWORD(u);
    std::memcpy(locked.pBits, &texel, 4);
    bump->UnlockRect(0);
    return bump;
}

void setBumpMatrix(IDirect3DDevice8* d3d, DWORD stage, float m00, float m01, float m10, float m11) {
    d3d->SetTextureStageState(stage, D3DTSS_BUMPENVMAT00, floatBits(m00));
    d3d->SetTextureStageState(stage, D3DTSS_BUMPENVMAT01, floatBits(m01));
    d3d->SetTextureStageState(stage, D3DTSS_BUMPENVMAT10, floatBits(m10));
    d3d->SetTextureStageState(stage, D3DTSS_BUMPENVMAT11, floatBits(m11));
}

// The bump effect:
//   ps.1.1 ; tex t0 ; tex t1 ; texcoord t2 ; dp3_sat r0, t1_bx2, -t2
//   mul r0, r0, v0 ; mad r0, t0, v0, r0 ; mov r0.a, t0.a
std::vector<DWORD> bumpProgram() {
    return {D3DPS_VERSION(1, 1),
            op(D3DSIO_TEX), dst(kTexture, 0),
            op(D3DSIO_TEX), dst(kTexture, 1),
            op(D3DSIO_TEXCOORD), dst(kTexture, 2),
            op(D3DSIO_DP3), dst(kTemp, 0, kMaskAll, kSaturate), src(kTexture, 1, kNoSwizzle, kBiasX2),
            src(kTexture, 2, kNoSwizzle, kNegate),
            op(D3DSIO_MUL), dst(kTemp, 0), src(kTemp, 0), src(kInput, 0),
            op(D3DSIO_MAD), dst(kTemp, 0), src(kTexture, 0), src(kInput, 0), src(kTemp, 0),
            op(D3DSIO_MOV), dst(kTemp, 0, kW), src(kTexture, 0, kWWWW),
            D3DPS_END()};
}

// The water effect:
//   ps.1.1 ; tex t0 ; texbem t1, t0 ; texbem t2, t0 ; texcoord t3
//   dp3_sat r0, t1_bx2, t3_bx2 ; mad r0, r0, v0, t2
std::vector<DWORD> waterProgram() {
    return {D3DPS_VERSION(1, 1),
            op(D3DSIO_TEX), dst(kTexture, 0),
            op(D3DSIO_TEXBEM), dst(kTexture, 1), src(kTexture, 0),
            op(D3DSIO_TEXBEM), dst(kTexture, 2), src(kTexture, 0),
            op(D3DSIO_TEXCOORD), dst(kTexture, 3),
            op(D3DSIO_DP3), dst(kTemp, 0, kMaskAll, kSaturate), src(kTexture, 1, kNoSwizzle, kBiasX2),
            src(kTexture, 3, kNoSwizzle, kBiasX2),
            op(D3DSIO_MAD), dst(kTemp, 0), src(kTemp, 0), src(kInput, 0), src(kTexture, 2),
            D3DPS_END()};
}

// The wide-line effect, its declaration (v0: 3 floats, v1: 4 floats) and
//   vs.1.0 ; def c64, 0.5, 1, 1, -1 ; mov r1, v0 ; mul r0.xy, v1.xy, c8.xx
//   add r1.xy, r0.xy, r1.xy ; mov oT0.y, v1.w ; m4x4 r0, r1, c0
//   mov oT0.zw, c64.z ; m4x4 oPos, r0, c4 ; mul oT0.x, v1.z, c9.x
std::vector<DWORD> wideLineProgram() {
    return program({{D3DVS_VERSION(1, 0)},
                    def(64, 0.5f, 1.0f, 1.0f, -1.0f),
                    {op(D3DSIO_MOV), dst(kTemp, 1), src(kInput, 0),
                     op(D3DSIO_MUL), dst(kTemp, 0, kX | kY), src(kInput, 1), src(kConst, 8, kXXXX),
                     op(D3DSIO_ADD), dst(kTemp, 1, kX | kY), src(kTemp, 0), src(kTemp, 1),
                     op(D3DSIO_MOV), dst(kTexCrdOut, 0, kY), src(kInput, 1, kWWWW),
                     op(D3DSIO_M4x4), dst(kTemp, 0), src(kTemp, 1), src(kConst, 0),
                     op(D3DSIO_MOV), dst(kTexCrdOut, 0, kZ | kW), src(kConst, 64, kZZZZ),
                     op(D3DSIO_M4x4), dst(kRastOut, D3DSRO_POSITION), src(kTemp, 0), src(kConst, 4),
                     op(D3DSIO_MUL), dst(kTexCrdOut, 0, kX), src(kInput, 1, kZZZZ), src(kConst, 9, kXXXX),
                     D3DVS_END()}});
}

// The terrain effect, its declaration (v0: 4 floats, v1: 2 floats, v2: a
// colour, v3: 2 floats) and
//   vs.1.0 ; def c64, 390, 0.5, 1, 1 ; mov oT0.zw, c64.z ; mov oPos.xyz, v0.xyz
//   mov oT1.zw, c64.z ; mov oD0, v2 ; mov oT2.zw, c64.z ; mov oT0.xy, v1.xy
//   mov oPos.w, c64.x ; mov oT1.xy, v1.xy ; mov oT2.xy, v3.xy
std::vector<DWORD> terrainProgram() {
    return program({{D3DVS_VERSION(1, 0)},
                    def(64, 390.0f, 0.5f, 1.0f, 1.0f),
                    {op(D3DSIO_MOV), dst(kTexCrdOut, 0, kZ | kW), src(kConst, 64, kZZZZ),
                     op(D3DSIO_MOV), dst(kRastOut, D3DSRO_POSITION, kX | kY | kZ), src(kInput, 0),
                     op(D3DSIO_MOV), dst(kTexCrdOut, 1, kZ | kW), src(kConst, 64, kZZZZ),
                     op(D3DSIO_MOV), dst(kAttrOut, 0), src(kInput, 2),
                     op(D3DSIO_MOV), dst(kTexCrdOut, 2, kZ | kW), src(kConst, 64, kZZZZ),
                     op(D3DSIO_MOV), dst(kTexCrdOut, 0, kX | kY), src(kInput, 1),
                     op(D3DSIO_MOV), dst(kRastOut, D3DSRO_POSITION, kW), src(kConst, 64, kXXXX),
                     op(D3DSIO_MOV), dst(kTexCrdOut, 1, kX | kY), src(kInput, 1),
                     op(D3DSIO_MOV), dst(kTexCrdOut, 2, kX | kY), src(kInput, 3),
                     D3DVS_END()}});
}

// Pre-transformed, a colour and three coordinate sets, the last of three
// components (the bump effect's light vector).
struct BumpVertex {
    float x, y, z, rhw;
    DWORD diffuse;
    float u0, v0, u1, v1, s2, t2, r2;
};
constexpr DWORD kBumpFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX3 | D3DFVF_TEXCOORDSIZE3(2);

// Four coordinate sets, the last of three components (the water effect's
// view vector).
struct WaterVertex {
    float x, y, z, rhw;
    DWORD diffuse;
    float u0, v0, u1, v1, u2, v2, s3, t3, r3;
};
constexpr DWORD kWaterFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX4 | D3DFVF_TEXCOORDSIZE3(3);

template <typename Vertex>
std::vector<Vertex> fullScreen(const Vertex& v) {
    std::vector<Vertex> quad(4, v);
    quad[0].x = 0, quad[0].y = 0;
    quad[1].x = 64, quad[1].y = 0;
    quad[2].x = 0, quad[2].y = 64;
    quad[3].x = 64, quad[3].y = 64;
    return quad;
}

void addEffectCases(zep::visual::CaseList& cases) {
    // Texture 0: red 0x80 at alpha 0x80; the light vector t2 = (1, 0, 0),
    // negated (-1, 0, 0); diffuse grey 0x80. Drawn blended by the result's
    // alpha over black, so the alpha is seen to be t0's:
    // - normal (0, 0.5, 0.5) expands to (-1, 0, 0): dp3 = 1; colour
    //   t0 x v0 + v0 = (0.754, 0.502, 0.502), times alpha 0.502;
    // - normal (1, 0.5, 0.5) expands to (1, 0, 0): dp3 = -1, saturated to 0;
    //   colour t0 x v0 = (0.252, 0, 0), times 0.502.
    struct Bump {
        const char* name;
        DWORD normal;
        DWORD expected;
    };
    for (const Bump& b : {Bump{"bump effect lit", 0xFF008080, 0x604040}, Bump{"bump effect turned away", 0xFFFF8080, 0x200000}}) {
        cases.add(b.name, [b](Context& c) {
            const DWORD ps = createPixelShader(c, bumpProgram());
            if (!ps) return;
            c.d3d->SetTexture(0, c.makeTexture(1, 1, {0x80800000}));
            c.d3d->SetTexture(1, c.makeTexture(1, 1, {b.normal}));
            for (DWORD stage = 0; stage < 3; ++stage) c.samplePoint(stage);
            c.d3d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
            c.d3d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
            c.d3d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
            c.d3d->SetPixelShader(ps);
            c.drawStrip(fullScreen(BumpVertex{0, 0, 0.5f, 1, 0xFF808080, 0.5f, 0.5f, 0.5f, 0.5f, 1, 0, 0}), kBumpFvf);
            c.expect(32, 32, b.expected);
            c.d3d->SetPixelShader(0);
            c.d3d->DeletePixelShader(ps);
        });
    }

    // Texture 0 is the bump map (du, dv) = (0.504, 0). Stage 1 reads a 2 x 1
    // normal map at u 0.25, moved to 0.754 by the identity matrix: the right
    // texel, normal (1, 0, 0) (the left one faces +z). Stage 2 reads a 1 x 2
    // texture at v 0.25; its matrix turns du into dv, so v becomes 0.754: the
    // bottom texel, blue 0x40 (the top one is red). t3 = (1, 0.5, 0.5)
    // expands to (1, 0, 0). dp3 = 1; 1 x v0 + t2 = (0.502, 0.502, 0.753).
    cases.add("water effect", [](Context& c) {
        const DWORD ps = createPixelShader(c, waterProgram());
        if (!ps) return;
        IDirect3DTexture8* bump = makeBumpTexel(c, 0x40, 0x00, 0x00);
        if (!bump) return;
        c.d3d->SetTexture(0, bump);
        c.d3d->SetTexture(1, c.makeTexture(2, 1, {0xFF8080FF, 0xFFFF8080}));
        c.d3d->SetTexture(2, c.makeTexture(1, 2, {0xFFFF0000, 0xFF000040}));
        for (DWORD stage = 0; stage < 4; ++stage) c.samplePoint(stage);
        setBumpMatrix(c.d3d, 1, 1, 0, 0, 1);
        setBumpMatrix(c.d3d, 2, 0, 1, 1, 0);
        c.d3d->SetPixelShader(ps);
        c.drawStrip(fullScreen(WaterVertex{0, 0, 0.5f, 1, 0xFF808080, 0.5f, 0.5f, 0.25f, 0.5f, 0.5f, 0.25f, 1, 0.5f,
                                           0.5f}),
                    kWaterFvf);
        c.expect(32, 32, 0x8080C0);
        c.d3d->SetPixelShader(0);
        c.d3d->DeletePixelShader(ps);
    });

    // Four vertices at the origin pushed out by their direction (+-1, +-1)
    // times wide = 0.5, then moved right by 0.25 through matWorld: the quad
    // covers x -0.25..0.75, y -0.5..0.5 (columns 24..56, rows 16..48). The
    // coordinates: u = distance (0 or 2) x towv (0.5), v = side. The
    // fixed-function stage shows a 2 x 2 texture red | green over blue | white.
    cases.add("wide-line effect", [](Context& c) {
        const DWORD declaration[] = {D3DVSD_STREAM(0), D3DVSD_REG(0, D3DVSDT_FLOAT3), D3DVSD_REG(1, D3DVSDT_FLOAT4),
                                     D3DVSD_END()};
        const DWORD vs = createVertexShader(c, declaration, wideLineProgram());
        if (!vs) return;
        // matWorld and matViewProject as the rows m4x4 reads: c0..c3 with
        // the translation in the fourth column.
        const float world[4][4] = {{1, 0, 0, 0.25f}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
        const float viewProject[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
        const float wide[4] = {0.5f, 0, 0, 0};
        const float towv[4] = {0.5f, 0, 0, 0};
        c.d3d->SetVertexShaderConstant(0, world, 4);
        c.d3d->SetVertexShaderConstant(4, viewProject, 4);
        c.d3d->SetVertexShaderConstant(8, wide, 1);
        c.d3d->SetVertexShaderConstant(9, towv, 1);
        c.d3d->SetTexture(0, c.makeTexture(2, 2, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF}));
        c.samplePoint(0);
        showStage0(c.d3d, D3DTA_TEXTURE);
        struct LineVertex {
            float x, y, z;
            float dx, dy, distance, side;
        };
        const std::vector<LineVertex> quad = {{0, 0, 0.5f, -1, 1, 0, 0}, {0, 0, 0.5f, 1, 1, 2, 0},
                                              {0, 0, 0.5f, -1, -1, 0, 1}, {0, 0, 0.5f, 1, -1, 2, 1}};
        c.drawStrip(quad, vs);
        c.expect(32, 24, 0xFF0000);
        c.expect(48, 24, 0x00FF00);
        c.expect(32, 40, 0x0000FF);
        c.expect(48, 40, 0xFFFFFF);
        c.expect(16, 32, 0x000000);
        c.d3d->SetVertexShader(kScreenFvf);
        c.d3d->DeleteVertexShader(vs);
    });

    // Positions arrive multiplied by 390, the w the program writes: x and y
    // +-195 are +-0.5 on screen (columns and rows 16..48). Stage 0 modulates
    // a 2 x 2 texture by the colour (grey 0x80) at oT0 = v1; stage 1 adds a
    // 2 x 1 texture black | green 0x40 at oT1 = v1; stage 2 adds a 2 x 1
    // black | blue texture at oT2 = v3 = (0.75, 0.5): blue everywhere.
    cases.add("terrain effect", [](Context& c) {
        const DWORD declaration[] = {D3DVSD_STREAM(0), D3DVSD_REG(0, D3DVSDT_FLOAT4), D3DVSD_REG(1, D3DVSDT_FLOAT2),
                                     D3DVSD_REG(2, D3DVSDT_D3DCOLOR), D3DVSD_REG(3, D3DVSDT_FLOAT2), D3DVSD_END()};
        const DWORD vs = createVertexShader(c, declaration, terrainProgram());
        if (!vs) return;
        c.d3d->SetTexture(0, c.makeTexture(2, 2, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF}));
        c.d3d->SetTexture(1, c.makeTexture(2, 1, {0xFF000000, 0xFF004000}));
        c.d3d->SetTexture(2, c.makeTexture(2, 1, {0xFF000000, 0xFF0000FF}));
        for (DWORD stage = 0; stage < 3; ++stage) {
            c.samplePoint(stage);
            c.d3d->SetTextureStageState(stage, D3DTSS_TEXCOORDINDEX, stage);
            c.d3d->SetTextureStageState(stage, D3DTSS_COLORARG1, D3DTA_TEXTURE);
            c.d3d->SetTextureStageState(stage, D3DTSS_COLORARG2, stage == 0 ? D3DTA_DIFFUSE : D3DTA_CURRENT);
            c.d3d->SetTextureStageState(stage, D3DTSS_COLOROP, stage == 0 ? D3DTOP_MODULATE : D3DTOP_ADD);
        }
        struct TerrainVertex {
            float x, y, z, w;
            float u, v;
            DWORD color;
            float u2, v2;
        };
        const std::vector<TerrainVertex> quad = {{-195, 195, 195, 1, 0, 0, 0xFF808080, 0.75f, 0.5f},
                                                 {195, 195, 195, 1, 1, 0, 0xFF808080, 0.75f, 0.5f},
                                                 {-195, -195, 195, 1, 0, 1, 0xFF808080, 0.75f, 0.5f},
                                                 {195, -195, 195, 1, 1, 1, 0xFF808080, 0.75f, 0.5f}};
        c.drawStrip(quad, vs);
        c.expect(24, 24, 0x8000FF);  // red / 2 + blue
        c.expect(40, 24, 0x00C0FF);  // green / 2 + green 0x40 + blue
        c.expect(24, 40, 0x0000FF);  // blue / 2 + blue, clamped
        c.expect(40, 40, 0x80C0FF);  // white / 2 + green 0x40 + blue
        c.expect(8, 32, 0x000000);
        c.d3d->SetVertexShader(kScreenFvf);
        c.d3d->DeleteVertexShader(vs);
    });
}

// ---- Texture instruction details ---------------------------------------------------

void addTextureInstructionCases(zep::visual::CaseList& cases) {
    // texbeml: stage 1's texel (green, alpha 1) scaled by the luminance
    // W x scale + offset = 0.504 x 1 + 0. The left half shows the colour
    // (mov r0, t1), the right half the alpha as grey (mov r0, t1.a): the
    // luminance scales the colour, and the alpha too.
    cases.add("texbeml scales by the luminance", [](Context& c) {
        // tex t0 ; texbeml t1, t0 ; mov r0, <source>
        auto texbeml = [](DWORD source) {
            return std::vector<DWORD>{D3DPS_VERSION(1, 1), op(D3DSIO_TEX), dst(kTexture, 0),
                                      op(D3DSIO_TEXBEML), dst(kTexture, 1), src(kTexture, 0),
                                      op(D3DSIO_MOV), dst(kTemp, 0), source, D3DPS_END()};
        };
        const DWORD colourShader = createPixelShader(c, texbeml(src(kTexture, 1)));
        const DWORD alphaShader = createPixelShader(c, texbeml(src(kTexture, 1, kWWWW)));
        if (!colourShader || !alphaShader) return;
        IDirect3DTexture8* bump = makeBumpTexel(c, 0x00, 0x00, 0x40);
        if (!bump) return;
        c.d3d->SetTexture(0, bump);
        c.d3d->SetTexture(1, c.makeTexture(1, 1, {0xFF00FF00}));
        c.samplePoint(0);
        c.samplePoint(1);
        setBumpMatrix(c.d3d, 1, 1, 0, 0, 1);
        c.d3d->SetTextureStageState(1, D3DTSS_BUMPENVLSCALE, floatBits(1.0f));
        c.d3d->SetTextureStageState(1, D3DTSS_BUMPENVLOFFSET, floatBits(0.0f));
        c.d3d->SetPixelShader(colourShader);
        c.drawStrip(screenQuad(0, 0, 32, 64, 0.5f, 0xFFFFFFFF), kScreenFvf);
        c.d3d->SetPixelShader(alphaShader);
        c.drawStrip(screenQuad(32, 0, 64, 64, 0.5f, 0xFFFFFFFF), kScreenFvf);
        c.expect(16, 32, 0x008000);
        c.expect(48, 32, 0x808080);
        c.d3d->SetPixelShader(0);
        c.d3d->DeletePixelShader(colourShader);
        c.d3d->DeletePixelShader(alphaShader);
    });

    // tex in ps.1.1 honours the stage's D3DTTFF_PROJECTED: the coordinate
    // (0.75, 0.5, 2) reads u = 0.375, the red texel of red | green (without
    // the division it would read green).
    cases.add("tex divides by the projected coordinate", [](Context& c) {
        const DWORD ps = createPixelShader(c, {D3DPS_VERSION(1, 1), op(D3DSIO_TEX), dst(kTexture, 0), op(D3DSIO_MOV),
                                               dst(kTemp, 0), src(kTexture, 0), D3DPS_END()});
        if (!ps) return;
        D3DMATRIX projection = identityMatrix();
        projection._33 = 0.05f;
        c.d3d->SetTransform(D3DTS_PROJECTION, &projection);
        const D3DMATRIX identity = identityMatrix();
        c.d3d->SetTransform(D3DTS_TEXTURE0, &identity);
        c.d3d->SetTexture(0, c.makeTexture(2, 1, {0xFFFF0000, 0xFF00FF00}));
        c.samplePoint(0);
        c.d3d->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT3 | D3DTTFF_PROJECTED);
        struct ProjectedVertex {
            float x, y, z;
            DWORD diffuse;
            float u, v, q;
        };
        const std::vector<ProjectedVertex> quad = {{-1, 1, 0.5f, 0xFFFFFFFF, 0.75f, 0.5f, 2},
                                                   {1, 1, 0.5f, 0xFFFFFFFF, 0.75f, 0.5f, 2},
                                                   {-1, -1, 0.5f, 0xFFFFFFFF, 0.75f, 0.5f, 2},
                                                   {1, -1, 0.5f, 0xFFFFFFFF, 0.75f, 0.5f, 2}};
        c.d3d->SetPixelShader(ps);
        c.drawStrip(quad, D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1 | D3DFVF_TEXCOORDSIZE3(0));
        c.expect(32, 32, 0xFF0000);
        c.d3d->SetPixelShader(0);
        c.d3d->DeletePixelShader(ps);
    });
}

}  // namespace

ZEP_VISUAL_GROUP(shaders) {
    addProgramCases(cases);
    addAfterPixelProgramCases(cases);
    addEffectCases(cases);
    addTextureInstructionCases(cases);
}
