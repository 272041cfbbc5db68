// Render-state setters: thin translations of the host's small switches into
// Direct3D 8 render and texture-stage states. The few values other code must
// re-apply after a device reset are also written into the engine record.

#include "core/graphics.h"

#include <d3d8.h>

#include <cmath>
#include <cstdint>

namespace {

using zep::device;
using zep::setRenderState;
using zep::setStageState;

void selectStream(DWORD fvf, IDirect3DVertexBuffer8* buffer, UINT stride) {
    IDirect3DDevice8* d = device();
    if (!d) return;
    d->SetVertexShader(fvf);
    d->SetStreamSource(0, buffer, stride);
}

void setTextureAddressing(DWORD mode) {
    for (DWORD stage = 0; stage < 2; ++stage) {
        setStageState(stage, D3DTSS_ADDRESSU, mode);
        setStageState(stage, D3DTSS_ADDRESSV, mode);
    }
}

// Alpha modes differ only in depth writes and the test function; both then
// restore the recorded alpha operation and reference.
void applyAlphaMode(BOOL depthWrites, D3DCMPFUNC alphaFunction) {
    setRenderState(D3DRS_ZWRITEENABLE, depthWrites);
    setRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    setRenderState(D3DRS_ALPHAFUNC, alphaFunction);
    setRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    SetAlphaBlendMode(ZEPengine.alphaOp, ZEPengine.alphaRef);
}

void setSoftwareVertexProcessing(bool on) {
    setRenderState(D3DRS_SOFTWAREVERTEXPROCESSING, on ? TRUE : FALSE);
    zep::graphics().engineTurnedSoftwareOn = on;
    zep::reapplyCurrentStates();
}

struct FrameBlend {
    D3DBLEND source;
    D3DBLEND destination;
};

constexpr FrameBlend kFrameBlends[] = {
    {D3DBLEND_ZERO, D3DBLEND_ONE},                   // 0: the frame shows through unchanged
    {D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA},       // 1: ordinary transparency
    {D3DBLEND_SRCCOLOR, D3DBLEND_INVSRCCOLOR},       // 2: colour-keyed transparency
    {D3DBLEND_INVDESTCOLOR, D3DBLEND_INVDESTCOLOR},  // 3: inverting
    {D3DBLEND_INVSRCALPHA, D3DBLEND_SRCALPHA},       // 4: inverted alpha
};

}  // namespace

namespace zep {

void reapplyVertexSource() {
    switch (ZEPengine.vertexSource) {
    case ZEP_SOURCE_STATIC: SetLightObjRender(); break;
    case ZEP_SOURCE_DYNAMIC: SetDynamicBufferRender(); break;
    case ZEP_SOURCE_LAYER: SetLayerRender(); break;
    default: break;
    }
}

void reapplyCurrentStates() {
    reapplyVertexSource();
    applyDefaultMaterial(1.0f, 50.0f);
    SetAmbientColor(ZEPengine.ambientColor);
    SetAlphaBlendMode(ZEPengine.alphaOp, ZEPengine.alphaRef);
    SetBlendMode(ZEPengine.colorOp);
    SetLightMode(ZEPengine.lightingMode, ZEPengine.colorVertex);
}

}  // namespace zep

extern "C" {

// ---- Vertex sources -------------------------------------------------------------

ZEP_EXPORT void ZEPAPI SetLightObjRender(void) {
    // Line drawing changes the stage-0 colour operation; objects get the
    // recorded one back.
    if (ZEPengine.vertexSource == ZEP_SOURCE_LINES) SetBlendMode(ZEPengine.colorOp);
    selectStream(ZEP_FVF_STATIC, zep::poolBuffers().staticVertices, sizeof(StaticVertex));
    ZEPengine.vertexSource = ZEP_SOURCE_STATIC;
}

ZEP_EXPORT void ZEPAPI SetDynamicBufferRender(void) {
    selectStream(ZEP_FVF_DYNAMIC, zep::poolBuffers().dynamicVertices, sizeof(DynamicVertex));
    ZEPengine.vertexSource = ZEP_SOURCE_DYNAMIC;
}

ZEP_EXPORT void ZEPAPI SetLayerRender(void) {
    selectStream(ZEP_FVF_LAYER, zep::poolBuffers().layerVertices, sizeof(LayerVertex));
    ZEPengine.vertexSource = ZEP_SOURCE_LAYER;
}

// ---- Raster and blending -----------------------------------------------------------

ZEP_EXPORT void ZEPAPI SetAntialias(int32_t on) { setRenderState(D3DRS_MULTISAMPLEANTIALIAS, uint8_t(on)); }

ZEP_EXPORT void ZEPAPI SetFillMode(int32_t flags) {
    ZEPengine.fillFlags = flags;
    D3DFILLMODE mode = D3DFILL_SOLID;
    if (flags & ZEP_FILL_WIREFRAME)
        mode = D3DFILL_WIREFRAME;
    else if (flags & ZEP_FILL_POINTS)
        mode = D3DFILL_POINT;
    setRenderState(D3DRS_FILLMODE, mode);
}

ZEP_EXPORT void ZEPAPI SetAlphaMode(void) { applyAlphaMode(FALSE, D3DCMP_ALWAYS); }

ZEP_EXPORT void ZEPAPI SetNoAlphaMode(void) { applyAlphaMode(TRUE, D3DCMP_GREATEREQUAL); }

ZEP_EXPORT void ZEPAPI SetClampMode(void) { setTextureAddressing(D3DTADDRESS_CLAMP); }

ZEP_EXPORT void ZEPAPI SetWrapMode(void) { setTextureAddressing(D3DTADDRESS_WRAP); }

ZEP_EXPORT void ZEPAPI SetAlphaBlendMode(int32_t alphaOperation, int32_t alphaReference) {
    ZEPengine.alphaRef = alphaReference;
    ZEPengine.alphaOp = alphaOperation;
    setStageState(0, D3DTSS_ALPHAOP, DWORD(alphaOperation));
    if (alphaOperation == ZEP_OP_TEXTURE_FACTOR) {
        setStageState(0, D3DTSS_ALPHAARG1, D3DTA_TFACTOR);
        setStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    }
    // A reference of -1 means opaque drawing: neither test nor blending.
    const bool opaque = alphaReference == -1;
    setRenderState(D3DRS_ALPHATESTENABLE, opaque ? FALSE : TRUE);
    setRenderState(D3DRS_ALPHABLENDENABLE, opaque ? FALSE : TRUE);
    setRenderState(D3DRS_ALPHAREF, opaque ? 0u : DWORD(alphaReference));
}

ZEP_EXPORT void ZEPAPI SetBlendMode(int32_t colorOperation) {
    ZEPengine.colorOp = colorOperation;
    if (colorOperation == ZEP_OP_TEXTURE_FACTOR) {
        setStageState(0, D3DTSS_COLORARG1, D3DTA_TFACTOR);
        setStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    } else {
        // The first argument stays as it is: after the texture-factor mode
        // it keeps reading the factor until the next default-state pass.
        setStageState(0, D3DTSS_COLOROP, DWORD(colorOperation));
    }
}

ZEP_EXPORT void ZEPAPI SetFrameBlendMode(uint32_t mode) {
    if (mode >= sizeof kFrameBlends / sizeof kFrameBlends[0]) return;
    setRenderState(D3DRS_SRCBLEND, kFrameBlends[mode].source);
    setRenderState(D3DRS_DESTBLEND, kFrameBlends[mode].destination);
}

ZEP_EXPORT void ZEPAPI SetZBIAS(float bias) {
    // Truncated toward zero; values no int holds are clamped rather than
    // left to the conversion's undefined result.
    const float clamped = std::isnan(bias) ? 0.0f : std::fmax(-2147483648.0f, std::fmin(bias, 2147483520.0f));
    setRenderState(D3DRS_ZBIAS, DWORD(int32_t(clamped)));
}

ZEP_EXPORT void ZEPAPI SetNormalizeNormals(int32_t on) {
    ZEPengine.normalizeNormals = uint8_t(on);
    setRenderState(D3DRS_NORMALIZENORMALS, uint8_t(on));
}

ZEP_EXPORT void ZEPAPI SetWaterMode(int32_t on) {
    // Read when objects are drawn and at the next SetObjectCarrier: the
    // mirrored pass flips the winding, so the culled side flips with it.
    const bool mirrored = uint8_t(on) != 0;
    ZEPengine.cullMode = mirrored ? D3DCULL_CCW : D3DCULL_CW;
    ZEPengine.mirror = mirrored ? 1 : 0;
}

// ---- Clipping -------------------------------------------------------------------------

ZEP_EXPORT void ZEPAPI SetPolyClip(void) {
    // Only a device that cannot clip pre-transformed vertices needs software
    // vertex processing for objects that cross the screen edge.
    if (zep::graphics().lacksTransformedClipping) {
        if (ZEPengine.softwareClip)
            setSoftwareVertexProcessing(true);
        else if (zep::graphics().engineTurnedSoftwareOn)
            setSoftwareVertexProcessing(false);
    }
    setRenderState(D3DRS_CLIPPING, TRUE);
}

ZEP_EXPORT void ZEPAPI SetPolyNoClip(void) {
    if (zep::graphics().engineTurnedSoftwareOn) setSoftwareVertexProcessing(false);
    setRenderState(D3DRS_CLIPPING, FALSE);
}

// ---- Culling and depth -------------------------------------------------------------

ZEP_EXPORT void ZEPAPI grCullMode(int32_t mode) {
    static constexpr D3DCULL kCullModes[] = {D3DCULL_NONE, D3DCULL_CW, D3DCULL_CCW};
    if (mode < 0 || mode > 2) return;
    setRenderState(D3DRS_CULLMODE, kCullModes[mode]);
}

ZEP_EXPORT void ZEPAPI grDepthBufferMode(int32_t on) { setRenderState(D3DRS_ZENABLE, on != 0 ? D3DZB_TRUE : D3DZB_FALSE); }

ZEP_EXPORT void ZEPAPI grDepthMask(int32_t on) { setRenderState(D3DRS_ZWRITEENABLE, uint8_t(on)); }

ZEP_EXPORT void ZEPAPI grDepthBufferFunction(uint32_t function) {
    // 0 to 7 are D3DCMP_NEVER to D3DCMP_ALWAYS, one below their enumerants.
    if (function > 7) return;
    setRenderState(D3DRS_ZFUNC, function + 1);
}

}  // extern "C"
