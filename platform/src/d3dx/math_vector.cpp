// D3DX 8 vectors (2, 3 and 4 components) and colours.
//
// Every result is computed into locals before the output is written, so an
// output may alias any input, as D3DX allows.

#include <d3dx8math.h>

#include <algorithm>
#include <cmath>

namespace {

// v / |v|, or zero for the zero vector rather than NaNs that would spread
// through every transform built from it.
float InverseLength(float lengthSq) { return lengthSq > 0.0f ? 1.0f / std::sqrt(lengthSq) : 0.0f; }

}  // namespace

extern "C" {

// ---- 2D ---------------------------------------------------------------------

FLOAT WINAPI D3DXVec2Length(const D3DXVECTOR2* pV) { return std::sqrt(D3DXVec2LengthSq(pV)); }
FLOAT WINAPI D3DXVec2LengthSq(const D3DXVECTOR2* pV) { return pV->x * pV->x + pV->y * pV->y; }
FLOAT WINAPI D3DXVec2Dot(const D3DXVECTOR2* pV1, const D3DXVECTOR2* pV2) { return pV1->x * pV2->x + pV1->y * pV2->y; }
FLOAT WINAPI D3DXVec2CCW(const D3DXVECTOR2* pV1, const D3DXVECTOR2* pV2) { return pV1->x * pV2->y - pV1->y * pV2->x; }

D3DXVECTOR2* WINAPI D3DXVec2Add(D3DXVECTOR2* pOut, const D3DXVECTOR2* pV1, const D3DXVECTOR2* pV2) {
    *pOut = D3DXVECTOR2(pV1->x + pV2->x, pV1->y + pV2->y);
    return pOut;
}

D3DXVECTOR2* WINAPI D3DXVec2Subtract(D3DXVECTOR2* pOut, const D3DXVECTOR2* pV1, const D3DXVECTOR2* pV2) {
    *pOut = D3DXVECTOR2(pV1->x - pV2->x, pV1->y - pV2->y);
    return pOut;
}

D3DXVECTOR2* WINAPI D3DXVec2Minimize(D3DXVECTOR2* pOut, const D3DXVECTOR2* pV1, const D3DXVECTOR2* pV2) {
    *pOut = D3DXVECTOR2(std::min(pV1->x, pV2->x), std::min(pV1->y, pV2->y));
    return pOut;
}

D3DXVECTOR2* WINAPI D3DXVec2Maximize(D3DXVECTOR2* pOut, const D3DXVECTOR2* pV1, const D3DXVECTOR2* pV2) {
    *pOut = D3DXVECTOR2(std::max(pV1->x, pV2->x), std::max(pV1->y, pV2->y));
    return pOut;
}

D3DXVECTOR2* WINAPI D3DXVec2Scale(D3DXVECTOR2* pOut, const D3DXVECTOR2* pV, FLOAT s) {
    *pOut = D3DXVECTOR2(pV->x * s, pV->y * s);
    return pOut;
}

D3DXVECTOR2* WINAPI D3DXVec2Lerp(D3DXVECTOR2* pOut, const D3DXVECTOR2* pV1, const D3DXVECTOR2* pV2, FLOAT s) {
    *pOut = D3DXVECTOR2(pV1->x + s * (pV2->x - pV1->x), pV1->y + s * (pV2->y - pV1->y));
    return pOut;
}

D3DXVECTOR2* WINAPI D3DXVec2Normalize(D3DXVECTOR2* pOut, const D3DXVECTOR2* pV) {
    return D3DXVec2Scale(pOut, pV, InverseLength(D3DXVec2LengthSq(pV)));
}

D3DXVECTOR2* WINAPI D3DXVec2BaryCentric(D3DXVECTOR2* pOut, const D3DXVECTOR2* pV1, const D3DXVECTOR2* pV2,
                                        const D3DXVECTOR2* pV3, FLOAT f, FLOAT g) {
    *pOut = D3DXVECTOR2(pV1->x + f * (pV2->x - pV1->x) + g * (pV3->x - pV1->x),
                        pV1->y + f * (pV2->y - pV1->y) + g * (pV3->y - pV1->y));
    return pOut;
}

D3DXVECTOR4* WINAPI D3DXVec2Transform(D3DXVECTOR4* pOut, const D3DXVECTOR2* pV, const D3DXMATRIX* pM) {
    const D3DXVECTOR4 v(pV->x, pV->y, 0.0f, 1.0f);
    return D3DXVec4Transform(pOut, &v, pM);
}

D3DXVECTOR2* WINAPI D3DXVec2TransformCoord(D3DXVECTOR2* pOut, const D3DXVECTOR2* pV, const D3DXMATRIX* pM) {
    D3DXVECTOR4 h;
    D3DXVec2Transform(&h, pV, pM);
    *pOut = D3DXVECTOR2(h.x / h.w, h.y / h.w);
    return pOut;
}

D3DXVECTOR2* WINAPI D3DXVec2TransformNormal(D3DXVECTOR2* pOut, const D3DXVECTOR2* pV, const D3DXMATRIX* pM) {
    *pOut = D3DXVECTOR2(pV->x * pM->_11 + pV->y * pM->_21, pV->x * pM->_12 + pV->y * pM->_22);
    return pOut;
}

// ---- 3D ---------------------------------------------------------------------

FLOAT WINAPI D3DXVec3Length(const D3DXVECTOR3* pV) { return std::sqrt(D3DXVec3LengthSq(pV)); }
FLOAT WINAPI D3DXVec3LengthSq(const D3DXVECTOR3* pV) { return D3DXVec3Dot(pV, pV); }

FLOAT WINAPI D3DXVec3Dot(const D3DXVECTOR3* pV1, const D3DXVECTOR3* pV2) {
    return pV1->x * pV2->x + pV1->y * pV2->y + pV1->z * pV2->z;
}

D3DXVECTOR3* WINAPI D3DXVec3Cross(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV1, const D3DXVECTOR3* pV2) {
    *pOut = D3DXVECTOR3(pV1->y * pV2->z - pV1->z * pV2->y,
                        pV1->z * pV2->x - pV1->x * pV2->z,
                        pV1->x * pV2->y - pV1->y * pV2->x);
    return pOut;
}

D3DXVECTOR3* WINAPI D3DXVec3Add(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV1, const D3DXVECTOR3* pV2) {
    *pOut = D3DXVECTOR3(pV1->x + pV2->x, pV1->y + pV2->y, pV1->z + pV2->z);
    return pOut;
}

D3DXVECTOR3* WINAPI D3DXVec3Subtract(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV1, const D3DXVECTOR3* pV2) {
    *pOut = D3DXVECTOR3(pV1->x - pV2->x, pV1->y - pV2->y, pV1->z - pV2->z);
    return pOut;
}

D3DXVECTOR3* WINAPI D3DXVec3Minimize(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV1, const D3DXVECTOR3* pV2) {
    *pOut = D3DXVECTOR3(std::min(pV1->x, pV2->x), std::min(pV1->y, pV2->y), std::min(pV1->z, pV2->z));
    return pOut;
}

D3DXVECTOR3* WINAPI D3DXVec3Maximize(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV1, const D3DXVECTOR3* pV2) {
    *pOut = D3DXVECTOR3(std::max(pV1->x, pV2->x), std::max(pV1->y, pV2->y), std::max(pV1->z, pV2->z));
    return pOut;
}

D3DXVECTOR3* WINAPI D3DXVec3Scale(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV, FLOAT s) {
    *pOut = D3DXVECTOR3(pV->x * s, pV->y * s, pV->z * s);
    return pOut;
}

D3DXVECTOR3* WINAPI D3DXVec3Lerp(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV1, const D3DXVECTOR3* pV2, FLOAT s) {
    *pOut = D3DXVECTOR3(pV1->x + s * (pV2->x - pV1->x), pV1->y + s * (pV2->y - pV1->y),
                        pV1->z + s * (pV2->z - pV1->z));
    return pOut;
}

D3DXVECTOR3* WINAPI D3DXVec3Normalize(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV) {
    return D3DXVec3Scale(pOut, pV, InverseLength(D3DXVec3LengthSq(pV)));
}

D3DXVECTOR3* WINAPI D3DXVec3BaryCentric(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV1, const D3DXVECTOR3* pV2,
                                        const D3DXVECTOR3* pV3, FLOAT f, FLOAT g) {
    *pOut = D3DXVECTOR3(pV1->x + f * (pV2->x - pV1->x) + g * (pV3->x - pV1->x),
                        pV1->y + f * (pV2->y - pV1->y) + g * (pV3->y - pV1->y),
                        pV1->z + f * (pV2->z - pV1->z) + g * (pV3->z - pV1->z));
    return pOut;
}

D3DXVECTOR4* WINAPI D3DXVec3Transform(D3DXVECTOR4* pOut, const D3DXVECTOR3* pV, const D3DXMATRIX* pM) {
    const D3DXVECTOR4 v(pV->x, pV->y, pV->z, 1.0f);
    return D3DXVec4Transform(pOut, &v, pM);
}

D3DXVECTOR3* WINAPI D3DXVec3TransformCoord(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV, const D3DXMATRIX* pM) {
    D3DXVECTOR4 h;
    D3DXVec3Transform(&h, pV, pM);
    *pOut = D3DXVECTOR3(h.x / h.w, h.y / h.w, h.z / h.w);
    return pOut;
}

D3DXVECTOR3* WINAPI D3DXVec3TransformNormal(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV, const D3DXMATRIX* pM) {
    const D3DXVECTOR3 v = *pV;
    *pOut = D3DXVECTOR3(v.x * pM->_11 + v.y * pM->_21 + v.z * pM->_31,
                        v.x * pM->_12 + v.y * pM->_22 + v.z * pM->_32,
                        v.x * pM->_13 + v.y * pM->_23 + v.z * pM->_33);
    return pOut;
}

// ---- 4D ---------------------------------------------------------------------

FLOAT WINAPI D3DXVec4Length(const D3DXVECTOR4* pV) { return std::sqrt(D3DXVec4LengthSq(pV)); }
FLOAT WINAPI D3DXVec4LengthSq(const D3DXVECTOR4* pV) { return D3DXVec4Dot(pV, pV); }

FLOAT WINAPI D3DXVec4Dot(const D3DXVECTOR4* pV1, const D3DXVECTOR4* pV2) {
    return pV1->x * pV2->x + pV1->y * pV2->y + pV1->z * pV2->z + pV1->w * pV2->w;
}

D3DXVECTOR4* WINAPI D3DXVec4Add(D3DXVECTOR4* pOut, const D3DXVECTOR4* pV1, const D3DXVECTOR4* pV2) {
    *pOut = D3DXVECTOR4(pV1->x + pV2->x, pV1->y + pV2->y, pV1->z + pV2->z, pV1->w + pV2->w);
    return pOut;
}

D3DXVECTOR4* WINAPI D3DXVec4Subtract(D3DXVECTOR4* pOut, const D3DXVECTOR4* pV1, const D3DXVECTOR4* pV2) {
    *pOut = D3DXVECTOR4(pV1->x - pV2->x, pV1->y - pV2->y, pV1->z - pV2->z, pV1->w - pV2->w);
    return pOut;
}

D3DXVECTOR4* WINAPI D3DXVec4Minimize(D3DXVECTOR4* pOut, const D3DXVECTOR4* pV1, const D3DXVECTOR4* pV2) {
    *pOut = D3DXVECTOR4(std::min(pV1->x, pV2->x), std::min(pV1->y, pV2->y), std::min(pV1->z, pV2->z),
                        std::min(pV1->w, pV2->w));
    return pOut;
}

D3DXVECTOR4* WINAPI D3DXVec4Maximize(D3DXVECTOR4* pOut, const D3DXVECTOR4* pV1, const D3DXVECTOR4* pV2) {
    *pOut = D3DXVECTOR4(std::max(pV1->x, pV2->x), std::max(pV1->y, pV2->y), std::max(pV1->z, pV2->z),
                        std::max(pV1->w, pV2->w));
    return pOut;
}

D3DXVECTOR4* WINAPI D3DXVec4Scale(D3DXVECTOR4* pOut, const D3DXVECTOR4* pV, FLOAT s) {
    *pOut = D3DXVECTOR4(pV->x * s, pV->y * s, pV->z * s, pV->w * s);
    return pOut;
}

D3DXVECTOR4* WINAPI D3DXVec4Lerp(D3DXVECTOR4* pOut, const D3DXVECTOR4* pV1, const D3DXVECTOR4* pV2, FLOAT s) {
    *pOut = D3DXVECTOR4(pV1->x + s * (pV2->x - pV1->x), pV1->y + s * (pV2->y - pV1->y),
                        pV1->z + s * (pV2->z - pV1->z), pV1->w + s * (pV2->w - pV1->w));
    return pOut;
}

D3DXVECTOR4* WINAPI D3DXVec4Normalize(D3DXVECTOR4* pOut, const D3DXVECTOR4* pV) {
    return D3DXVec4Scale(pOut, pV, InverseLength(D3DXVec4LengthSq(pV)));
}

D3DXVECTOR4* WINAPI D3DXVec4BaryCentric(D3DXVECTOR4* pOut, const D3DXVECTOR4* pV1, const D3DXVECTOR4* pV2,
                                        const D3DXVECTOR4* pV3, FLOAT f, FLOAT g) {
    D3DXVECTOR4 e1, e2;
    D3DXVec4Subtract(&e1, pV2, pV1);
    D3DXVec4Subtract(&e2, pV3, pV1);
    *pOut = *pV1 + e1 * f + e2 * g;
    return pOut;
}

D3DXVECTOR4* WINAPI D3DXVec4Transform(D3DXVECTOR4* pOut, const D3DXVECTOR4* pV, const D3DXMATRIX* pM) {
    const D3DXVECTOR4 v = *pV;
    D3DXVECTOR4 r;
    float* out = r;
    for (int col = 0; col < 4; ++col)
        out[col] = v.x * pM->m[0][col] + v.y * pM->m[1][col] + v.z * pM->m[2][col] + v.w * pM->m[3][col];
    *pOut = r;
    return pOut;
}

// ---- Colours ----------------------------------------------------------------

D3DXCOLOR* WINAPI D3DXColorNegative(D3DXCOLOR* pOut, const D3DXCOLOR* pC) {
    *pOut = D3DXCOLOR(1.0f - pC->r, 1.0f - pC->g, 1.0f - pC->b, pC->a);
    return pOut;
}

D3DXCOLOR* WINAPI D3DXColorAdd(D3DXCOLOR* pOut, const D3DXCOLOR* pC1, const D3DXCOLOR* pC2) {
    *pOut = *pC1 + *pC2;
    return pOut;
}

D3DXCOLOR* WINAPI D3DXColorSubtract(D3DXCOLOR* pOut, const D3DXCOLOR* pC1, const D3DXCOLOR* pC2) {
    *pOut = *pC1 - *pC2;
    return pOut;
}

D3DXCOLOR* WINAPI D3DXColorScale(D3DXCOLOR* pOut, const D3DXCOLOR* pC, FLOAT s) {
    *pOut = *pC * s;
    return pOut;
}

D3DXCOLOR* WINAPI D3DXColorModulate(D3DXCOLOR* pOut, const D3DXCOLOR* pC1, const D3DXCOLOR* pC2) {
    *pOut = D3DXCOLOR(pC1->r * pC2->r, pC1->g * pC2->g, pC1->b * pC2->b, pC1->a * pC2->a);
    return pOut;
}

D3DXCOLOR* WINAPI D3DXColorLerp(D3DXCOLOR* pOut, const D3DXCOLOR* pC1, const D3DXCOLOR* pC2, FLOAT s) {
    *pOut = D3DXCOLOR(pC1->r + s * (pC2->r - pC1->r), pC1->g + s * (pC2->g - pC1->g),
                      pC1->b + s * (pC2->b - pC1->b), pC1->a + s * (pC2->a - pC1->a));
    return pOut;
}

}  // extern "C"
