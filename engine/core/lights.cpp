// Fixed-function lighting: lights by index up to the device's hardware
// lights, one shared default material, the ambient colour (which doubles as
// the texture factor for the engine's colour code 20) and linear vertex fog.
// The device view is the identity, so lights are given in camera space.

#include "core/graphics.h"

#include <d3d8.h>

#include <cstring>

namespace {

using zep::device;
using zep::setRenderState;
using zep::floatBits;

constexpr float kChannelScale = 0.003921569f;  // 1 / 255

HRESULT setMaterial(const D3DMATERIAL8& material) {
    IDirect3DDevice8* d = device();
    return d ? d->SetMaterial(&material) : D3DERR_INVALIDCALL;
}

float channel(uint32_t color, int shift) { return float((color >> shift) & 0xFFu) * kChannelScale; }

D3DCOLORVALUE colorValue(uint32_t argb) {
    return {channel(argb, 16), channel(argb, 8), channel(argb, 0), channel(argb, 24)};
}

// Lights are indexed up to the device's hardware lights; anything else is
// refused with the log line hosts look for.
bool acceptLightIndex(int32_t index) {
    if (index >= 0 && index < ZEPengine.maxLights) return true;
    ZEP_log("Error: Light index is to big.\n");
    return false;
}

// The steps every light setup shares once its record is filled.
HRESULT enableLight(int32_t index, const D3DLIGHT8& light) {
    IDirect3DDevice8* d = device();
    if (!d) return D3DERR_INVALIDCALL;
    d->SetLight(DWORD(index), &light);
    d->LightEnable(DWORD(index), TRUE);
    d->SetRenderState(D3DRS_LIGHTING, TRUE);
    return d->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
}

void prepareLighting() {
    ZEPengine.lightingEnabled = 1;
    zep::applyDefaultMaterial(1.0f, 50.0f);
}

// Directional lights shine along the sun direction as stored: the camera
// does not turn it.
D3DLIGHT8 sunLight(uint32_t diffuse) {
    D3DLIGHT8 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = colorValue(diffuse);
    light.Direction = ZEPengine.sunDirection;
    return light;
}

void applyDefaultAttenuation(D3DLIGHT8& light) {
    light.Attenuation0 = ZEPengine.defaultLightAttenuation0;
    light.Attenuation1 = ZEPengine.defaultLightAttenuation1;
    light.Attenuation2 = ZEPengine.defaultLightAttenuation2;
    light.Falloff = ZEPengine.defaultLightFalloff;
}

// A world position into camera space: (x, y, z, 1) . C.
D3DVECTOR toCameraSpace(float x, float y, float z) {
    D3DVECTOR v;
    ZEP_mattrans4x4(&zep::viewState().camera, x, y, z, &v);
    return v;
}

void keepUnlessMinusOne(float& stored, float value) {
    if (value != -1.0f) stored = value;
}

}  // namespace

namespace zep {

void applyDefaultMaterial(float alpha, float power) {
    D3DMATERIAL8 material{};
    if (ZEPengine.lightingMode) {
        // The ambient colour lights the material, its alpha becomes the
        // material's alpha.
        const D3DCOLORVALUE ambient = colorValue(ZEPengine.ambientColor);
        material.Ambient = ambient;
        alpha = ambient.a;
    }
    material.Diffuse = {1.0f, 1.0f, 1.0f, alpha};
    material.Specular = {1.0f, 1.0f, 1.0f, alpha};
    material.Ambient.a = alpha;
    material.Emissive.a = alpha;
    material.Power = power;
    setMaterial(material);
}

}  // namespace zep

extern "C" {

ZEP_EXPORT void ZEPAPI SetupDiffuseLight(int32_t index, uint32_t ambient, uint32_t diffuse) {
    if (!acceptLightIndex(index)) return;
    prepareLighting();
    D3DLIGHT8 light = sunLight(diffuse);
    light.Ambient = colorValue(ambient);
    light.Specular = {0.0f, 0.0f, 0.0f, 1.0f};
    light.Range = 100000.0f;
    enableLight(index, light);
}

ZEP_EXPORT HRESULT ZEPAPI SetupSpecularLight(int32_t index, uint32_t diffuse, uint32_t specular) {
    if (!acceptLightIndex(index)) return D3DERR_INVALIDCALL;
    prepareLighting();
    D3DLIGHT8 light = sunLight(diffuse);
    light.Ambient = colorValue(ZEPengine.defaultLightColor);
    light.Specular = colorValue(specular);
    light.Range = 1000000.0f;
    applyDefaultAttenuation(light);
    return enableLight(index, light);
}

ZEP_EXPORT HRESULT ZEPAPI SetupPointLight(int32_t index, float x, float y, float z, uint32_t ambient,
                                          uint32_t diffuse, float range) {
    if (!acceptLightIndex(index)) return D3DERR_INVALIDCALL;
    prepareLighting();
    D3DLIGHT8 light{};
    light.Type = D3DLIGHT_POINT;
    light.Diffuse = colorValue(diffuse);
    light.Ambient = colorValue(ambient);
    light.Specular = {0.0f, 0.0f, 0.0f, 1.0f};
    light.Position = toCameraSpace(x, y, z);
    light.Range = range;
    applyDefaultAttenuation(light);
    return enableLight(index, light);
}

ZEP_EXPORT void ZEPAPI SetDefaultLight(uint32_t color, float attenuation0, float attenuation1, float attenuation2,
                                       float falloff) {
    ZEPengine.defaultLightColor = color;
    keepUnlessMinusOne(ZEPengine.defaultLightAttenuation0, attenuation0);
    keepUnlessMinusOne(ZEPengine.defaultLightAttenuation1, attenuation1);
    keepUnlessMinusOne(ZEPengine.defaultLightAttenuation2, attenuation2);
    keepUnlessMinusOne(ZEPengine.defaultLightFalloff, falloff);
}

ZEP_EXPORT HRESULT ZEPAPI LightOff(int32_t index) {
    IDirect3DDevice8* d = device();
    return d ? d->LightEnable(DWORD(index), FALSE) : D3DERR_INVALIDCALL;
}

ZEP_EXPORT HRESULT ZEPAPI LightsOff(void) {
    // Unlit drawing shows the vertex colours; the material keeps opaque
    // diffuse and ambient alphas for the stages that read them.
    D3DMATERIAL8 material{};
    material.Diffuse.a = 1.0f;
    material.Ambient.a = 1.0f;
    setMaterial(material);
    setRenderState(D3DRS_LIGHTING, FALSE);
    ZEPengine.lightingEnabled = 0;
    HRESULT result = setRenderState(D3DRS_SPECULARENABLE, FALSE);
    for (int32_t index = 0; index < ZEPengine.maxLights; ++index) result = LightOff(index);
    return result;
}

ZEP_EXPORT HRESULT ZEPAPI SetAmbientColor(uint32_t color) {
    ZEPengine.ambientColor = color;
    setRenderState(D3DRS_TEXTUREFACTOR, color);
    const HRESULT result = setRenderState(D3DRS_AMBIENT, ZEPengine.lightingMode ? color : 0xFFFFFFFFu);
    zep::applyDefaultMaterial(1.0f, 50.0f);
    return result;
}

ZEP_EXPORT HRESULT ZEPAPI SetLightMode(uint8_t lightingMode, uint8_t colorVertex) {
    HRESULT result = setRenderState(D3DRS_COLORVERTEX, colorVertex);
    ZEPengine.lightingMode = lightingMode;
    ZEPengine.colorVertex = colorVertex;
    ZEPengine.lightModeReserved = 0;
    if (lightingMode == 0) return SetAmbientColor(0xFFFFFFFFu);
    if (colorVertex) {
        setRenderState(D3DRS_LIGHTING, TRUE);
        ZEPengine.lightingEnabled = 1;
        result = SetAmbientColor(ZEPengine.ambientColor);
    }
    return result;
}

ZEP_EXPORT HRESULT ZEPAPI EnableFog(float start, float end, uint32_t color) {
    setRenderState(D3DRS_FOGENABLE, TRUE);
    setRenderState(D3DRS_FOGTABLEMODE, D3DFOG_NONE);
    setRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
    setRenderState(D3DRS_RANGEFOGENABLE, FALSE);
    setRenderState(D3DRS_FOGCOLOR, color);
    setRenderState(D3DRS_FOGSTART, floatBits(start));
    const HRESULT result = setRenderState(D3DRS_FOGEND, floatBits(end));
    ZEPengine.fogEnabled = 1;
    return result;
}

ZEP_EXPORT HRESULT ZEPAPI DisableFog(void) {
    ZEPengine.fogEnabled = 0;
    return setRenderState(D3DRS_FOGENABLE, FALSE);
}

}  // extern "C"
