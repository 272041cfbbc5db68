// D3DX 8 planes and ray-triangle picking.

#include <d3dx8math.h>

#include <cmath>

extern "C" {

// ---- Planes -----------------------------------------------------------------

FLOAT WINAPI D3DXPlaneDot(const D3DXPLANE* pP, const D3DXVECTOR4* pV) {
    return pP->a * pV->x + pP->b * pV->y + pP->c * pV->z + pP->d * pV->w;
}

FLOAT WINAPI D3DXPlaneDotCoord(const D3DXPLANE* pP, const D3DXVECTOR3* pV) {
    return pP->a * pV->x + pP->b * pV->y + pP->c * pV->z + pP->d;
}

FLOAT WINAPI D3DXPlaneDotNormal(const D3DXPLANE* pP, const D3DXVECTOR3* pV) {
    return pP->a * pV->x + pP->b * pV->y + pP->c * pV->z;
}

D3DXPLANE* WINAPI D3DXPlaneNormalize(D3DXPLANE* pOut, const D3DXPLANE* pP) {
    const float lengthSq = pP->a * pP->a + pP->b * pP->b + pP->c * pP->c;
    const float k = lengthSq > 0.0f ? 1.0f / std::sqrt(lengthSq) : 0.0f;
    *pOut = D3DXPLANE(pP->a * k, pP->b * k, pP->c * k, pP->d * k);
    return pOut;
}

D3DXPLANE* WINAPI D3DXPlaneFromPointNormal(D3DXPLANE* pOut, const D3DXVECTOR3* pPoint, const D3DXVECTOR3* pNormal) {
    *pOut = D3DXPLANE(pNormal->x, pNormal->y, pNormal->z, -D3DXVec3Dot(pPoint, pNormal));
    return pOut;
}

D3DXPLANE* WINAPI D3DXPlaneFromPoints(D3DXPLANE* pOut, const D3DXVECTOR3* pV1, const D3DXVECTOR3* pV2,
                                      const D3DXVECTOR3* pV3) {
    const D3DXVECTOR3 e1 = *pV2 - *pV1, e2 = *pV3 - *pV1;
    D3DXVECTOR3 normal;
    D3DXVec3Cross(&normal, &e1, &e2);
    D3DXVec3Normalize(&normal, &normal);
    return D3DXPlaneFromPointNormal(pOut, pV1, &normal);
}

D3DXVECTOR3* WINAPI D3DXPlaneIntersectLine(D3DXVECTOR3* pOut, const D3DXPLANE* pP, const D3DXVECTOR3* pV1,
                                           const D3DXVECTOR3* pV2) {
    const D3DXVECTOR3 direction = *pV2 - *pV1;
    const float along = D3DXPlaneDotNormal(pP, &direction);
    if (along == 0.0f) return nullptr;
    *pOut = *pV1 - direction * (D3DXPlaneDotCoord(pP, pV1) / along);
    return pOut;
}

D3DXPLANE* WINAPI D3DXPlaneTransform(D3DXPLANE* pOut, const D3DXPLANE* pP, const D3DXMATRIX* pM) {
    D3DXVECTOR4 v(pP->a, pP->b, pP->c, pP->d);
    D3DXVec4Transform(&v, &v, pM);
    *pOut = D3DXPLANE(v.x, v.y, v.z, v.w);
    return pOut;
}

// ---- Picking ----------------------------------------------------------------

// Solves pos + t dir = p0 + u e1 + v e2 by Cramer's rule with triple
// products (the Moller-Trumbore arrangement): no plane is built and a ray in
// the triangle's plane shows up as a zero determinant.
BOOL WINAPI D3DXIntersectTri(const D3DXVECTOR3* p0, const D3DXVECTOR3* p1, const D3DXVECTOR3* p2,
                             const D3DXVECTOR3* pRayPos, const D3DXVECTOR3* pRayDir, FLOAT* pU, FLOAT* pV,
                             FLOAT* pDist) {
    const D3DXVECTOR3 e1 = *p1 - *p0, e2 = *p2 - *p0;
    D3DXVECTOR3 pvec;
    D3DXVec3Cross(&pvec, pRayDir, &e2);
    const float det = D3DXVec3Dot(&e1, &pvec);
    if (det == 0.0f) return FALSE;
    const float inverseDet = 1.0f / det;

    const D3DXVECTOR3 tvec = *pRayPos - *p0;
    const float u = D3DXVec3Dot(&tvec, &pvec) * inverseDet;
    if (!(u >= 0.0f && u <= 1.0f)) return FALSE;

    D3DXVECTOR3 qvec;
    D3DXVec3Cross(&qvec, &tvec, &e1);
    const float v = D3DXVec3Dot(pRayDir, &qvec) * inverseDet;
    if (!(v >= 0.0f && u + v <= 1.0f)) return FALSE;

    const float t = D3DXVec3Dot(&e2, &qvec) * inverseDet;
    if (!(t >= 0.0f)) return FALSE;  // behind the ray's origin

    if (pU) *pU = u;
    if (pV) *pV = v;
    if (pDist) *pDist = t;
    return TRUE;
}

}  // extern "C"
