// The engine's effect programs: compiled from the texts below whenever the
// device objects are (re)made, and let go of before a reset and at close.

#include "terrain/effects.h"

#include "core/graphics.h"

#include <ZEPenginedll.h>

#include <d3dx8.h>

#include <cstring>

namespace zep {

// The texts are kept exactly as the engine has always compiled them,
// spacing included.
const char kBumpEffectText[] =
    "PIXELSHADER ps11_dot3 = asm\n"
    "{\n"
    "ps.1.1\n"
    "tex t0\n"
    "tex t1\n"
    "texcoord t2\n"
    "dp3_sat r0, t1_bx2,-t2\n"
    "mul r0,r0,v0\n"
    "mad r0,t0,v0,r0\n"
    "mov r0.a,t0.a\n"
    "};\n"
    "technique dot3\n"
    "{\n"
    "pass P0\n"
    "{\n"
    "PixelShader = <ps11_dot3>;\n"
    "}\n"
    "}\n";

const char kWaterEffectText[] =
    "PIXELSHADER ps11_water = asm\n"
    "{\n"
    "ps.1.1\n"
    "tex t0\n"
    "texbem t1, t0\n"
    "texbem t2, t0\n"
    "texcoord t3\n"
    "dp3_sat r0,t1_bx2,t3_bx2\n"
    "mad r0,r0,v0,t2\n"
    "};\n"
    "technique water\n"
    "{\n"
    "pass P0\n"
    "{\n"
    "PixelShader = <ps11_water>;\n"
    "}\n"
    "}\n";

const char kWideLineEffectText[] =
    "matrix matWorld;\n"
    "matrix matViewProject;\n"
    "float wide;\n"
    "float towv;\n"
    "technique Sphere\n"
    "{\n"
    "pass P0\n"
    "{\n"
    "VertexShader =\n"
    "decl\n"
    "{\n"
    "float v0[3];\n"
    "float v1[4];\n"
    "}\n"
    "asm\n"
    "{\n"
    "vs.1.0\n"
    "def c64, 0.5f, 1.0f, 1.0f, -1.0f\n"
    "mov r1, v0\n"
    "mul r0.xy, v1.xy, c8.xx\n"
    "add r1.xy,r0.xy,r1.xy\n"
    "mov oT0.y, v1.w\n"
    "m4x4 r0, r1, c0\n"
    "mov oT0.zw, c64.z\n"
    "m4x4 oPos, r0, c4\n"
    "mul oT0.x, v1.z,c9.x\n"
    "};\n"
    "VertexShaderConstant4[0] = <matWorld>;\n"
    "VertexShaderConstant4[4] = <matViewProject>;\n"
    "VertexShaderConstant4[8] = <wide>;\n"
    "VertexShaderConstant4[9] = <towv>;\n"
    "}\n"
    "}\n";

const char kTerrainEffectText[] =
    "technique Voxel\n"
    "{\n"
    "pass P0\n"
    "{\n"
    "VertexShader =\n"
    "decl\n"
    "{\n"
    "float v0[4];\n"
    "float v1[2];\n"
    "d3dcolor v2[1];\n"
    "float v3[2];\n"
    "}\n"
    "asm\n"
    "{\n"
    "vs.1.0\n"
    "def c64, 390.0f,0.5f, 1.0f,1.0f\n"
    "mov oT0.zw, c64.z\n"
    "mov oPos.xyz, v0.xyz\n"
    "mov oT1.zw, c64.z\n"
    "mov oD0, v2\n"
    "mov oT2.zw, c64.z\n"
    "mov oT0.xy, v1.xy\n"
    "mov oPos.w, c64.x\n"
    "mov oT1.xy, v1.xy\n"
    "mov oT2.xy, v3.xy\n"
    "};\n"
    "}\n"
    "}\n";

EffectPrograms& effectPrograms() {
    static EffectPrograms programs;
    return programs;
}

namespace {

void release(ID3DXEffect*& effect) {
    if (effect) effect->Release();
    effect = nullptr;
}

// Compilation errors go to the log: the texts are fixed, so an error here
// means the effect compiler or the device has changed.
bool createEffect(IDirect3DDevice8* device, const char* text, ID3DXEffect** effect) {
    ID3DXBuffer* errors = nullptr;
    const HRESULT hr = D3DXCreateEffect(device, text, UINT(std::strlen(text)), effect, &errors);
    if (errors) {
        ZEP_log("%s", static_cast<const char*>(errors->GetBufferPointer()));
        errors->Release();
    }
    if (FAILED(hr)) *effect = nullptr;
    return SUCCEEDED(hr);
}

}  // namespace

uint8_t createEffectPrograms() {
    // Device opening restores the device objects and then initialises the
    // engine, which both create the programs: the second creation replaces
    // the first instead of leaking it.
    releaseEffectPrograms();
    IDirect3DDevice8* device = graphics().device;
    if (!device) {
        ZEP_log("Vertex shader Error.\n");
        return 0;
    }
    EffectPrograms& p = effectPrograms();
    bool allEffects = createEffect(device, kBumpEffectText, &p.bump);
    allEffects = createEffect(device, kWaterEffectText, &p.water) && allEffects;
    allEffects = createEffect(device, kWideLineEffectText, &p.wideLine) && allEffects;
    allEffects = createEffect(device, kTerrainEffectText, &p.terrain) && allEffects;
    if (FAILED(device->CreateVertexShader(kTweenDeclaration, nullptr, &p.tweenShader, 0))) {
        p.tweenShader = 0;
        ZEP_log("Vertex shader Error.\n");
        return 0;
    }
    if (!allEffects) {
        ZEP_log("Vertex shader Error.\n");
        return 0;
    }
    return 1;
}

void releaseEffectPrograms() {
    EffectPrograms& p = effectPrograms();
    release(p.bump);
    release(p.water);
    release(p.wideLine);
    release(p.terrain);
    // The tween shader is made again with the effects at every restore, so
    // it goes with them rather than piling up one handle per reset.
    if (p.tweenShader && graphics().device) graphics().device->DeleteVertexShader(p.tweenShader);
    p.tweenShader = 0;
}

bool beginEffectPass(ID3DXEffect* effect, DWORD flags) {
    if (!effect) return false;
    UINT passes = 0;
    if (FAILED(effect->Begin(&passes, flags))) return false;
    if (passes == 0 || FAILED(effect->Pass(0))) {
        effect->End();
        return false;
    }
    return true;
}

void endEffectPass(ID3DXEffect* effect) {
    if (effect) effect->End();
}

}  // namespace zep
