// Render phases: the fixed sets of render states a host switches between
// while it draws stencil shadow volumes around its scene.
//
// The volume passes draw each volume twice with opposite culling: phase 5
// counts the faces one way round up in the stencil, phase 6 the other way
// round down, without touching colour or depth. Where the count is left
// above zero a pixel lies inside a volume, and phase 7 (or 10) draws the
// shadow colour there. Between the volume phases every object drawn is
// followed by its near-plane cap.

#include "objects/object_draw.h"

#include "core/graphics.h"

#include <d3d8.h>

namespace {

using zep::device;
using zep::setRenderState;

void setObjectCulling(D3DCULL mode) { ZEPengine.cullMode = mode; }

void setCapPass(bool on) { zep::drawSwitches().capPass = on; }

// Phase 0: back to ordinary drawing.
void ordinaryDrawing() {
    setRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
    setRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    setObjectCulling(D3DCULL_CW);
    setCapPass(false);
}

// Phase 1: a fresh depth buffer for the casters, stencil untouched.
void castersPass() {
    IDirect3DDevice8* d = device();
    setRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    setRenderState(D3DRS_STENCILENABLE, FALSE);
    setRenderState(D3DRS_STENCILMASK, 0);
    setRenderState(D3DRS_STENCILWRITEMASK, 0);
    setRenderState(D3DRS_STENCILFUNC, D3DCMP_GREATER);
    setRenderState(D3DRS_STENCILFAIL, D3DSTENCILOP_KEEP);
    setRenderState(D3DRS_STENCILZFAIL, D3DSTENCILOP_KEEP);
    setRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_KEEP);
    d->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    d->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    setRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    setRenderState(D3DRS_ALPHAFUNC, D3DCMP_ALWAYS);
    setObjectCulling(D3DCULL_CCW);
    setCapPass(true);
}

// Phase 5: the first half of the volumes counts up in the stencil; colour
// stays as it is (zero times the source plus the frame) and so does depth.
void volumesCountUp() {
    setRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    setRenderState(D3DRS_ALPHAFUNC, D3DCMP_ALWAYS);
    setRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    setRenderState(D3DRS_ZWRITEENABLE, FALSE);
    setRenderState(D3DRS_STENCILENABLE, TRUE);
    setRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT);
    setRenderState(D3DRS_STENCILFUNC, D3DCMP_ALWAYS);
    setRenderState(D3DRS_STENCILREF, 1);
    setRenderState(D3DRS_STENCILMASK, 0xFFFFFFFFu);
    setRenderState(D3DRS_STENCILWRITEMASK, 0xFFFFFFFFu);
    setRenderState(D3DRS_STENCILFAIL, D3DSTENCILOP_KEEP);
    setRenderState(D3DRS_STENCILZFAIL, D3DSTENCILOP_KEEP);
    setRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_INCR);
    setRenderState(D3DRS_SRCBLEND, D3DBLEND_ZERO);
    setRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    setObjectCulling(D3DCULL_CW);
    setCapPass(true);
}

// Phase 6: the other half, culled the other way round, counts down.
void volumesCountDown() {
    setRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_DECR);
    setObjectCulling(D3DCULL_CCW);
    setCapPass(true);
}

// Phase 7: draw (blended, alpha-tested) only where the count is 1 or more.
void shadowedPixels() {
    setRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
    setRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    setRenderState(D3DRS_ZWRITEENABLE, TRUE);
    setRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    setRenderState(D3DRS_STENCILENABLE, TRUE);
    setRenderState(D3DRS_STENCILREF, 1);
    setRenderState(D3DRS_STENCILFUNC, D3DCMP_LESSEQUAL);
    setRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_KEEP);
    setRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    setRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    setRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    setRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    setRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    setRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
    setObjectCulling(D3DCULL_CW);
    setCapPass(false);
}

// Phase 8: stencil and blending off, the blend factors back to ordinary
// transparency for when blending comes back.
void stencilOff() {
    setRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    setRenderState(D3DRS_STENCILENABLE, FALSE);
    setRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    setRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    setRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
}

}  // namespace

extern "C" {

ZEP_EXPORT void ZEPAPI SwitchRenderPhase(int32_t phase) {
    if (!device()) return;
    switch (phase) {
    case 0: ordinaryDrawing(); break;
    case 1: castersPass(); break;
    case 2:
        setRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
        setRenderState(D3DRS_ALPHAFUNC, D3DCMP_ALWAYS);
        setCapPass(true);
        break;
    case 4:
        setRenderState(D3DRS_ZFUNC, D3DCMP_GREATER);
        setCapPass(true);
        break;
    case 5: volumesCountUp(); break;
    case 6: volumesCountDown(); break;
    case 7: shadowedPixels(); break;
    case 8: stencilOff(); break;
    case 9: ClearTarget(D3DCLEAR_STENCIL, 0, 1.0f, 0); break;
    case 10:
        shadowedPixels();
        setRenderState(D3DRS_STENCILENABLE, FALSE);
        break;
    default: break;
    }
}

}  // extern "C"
