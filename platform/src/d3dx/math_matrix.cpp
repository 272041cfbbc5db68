// D3DX 8 matrices: basics, transforms, cameras and projections, and the
// projection of points to the screen and back.
//
// Row vectors throughout: a point p becomes p * M, so the translation lives
// in the fourth row and A * B applies A first. Results are built in locals
// and stored last, so an output may alias an input.

#include <d3dx8math.h>

#include <cmath>

namespace {

D3DXMATRIX Identity() {
    return D3DXMATRIX(1, 0, 0, 0,
                      0, 1, 0, 0,
                      0, 0, 1, 0,
                      0, 0, 0, 1);
}

D3DXMATRIX* Store(D3DXMATRIX* pOut, const D3DXMATRIX& m) {
    *pOut = m;
    return pOut;
}

// world * view * projection with null factors left out (identity).
D3DXMATRIX WorldViewProjection(const D3DXMATRIX* pWorld, const D3DXMATRIX* pView, const D3DXMATRIX* pProjection) {
    D3DXMATRIX m = pWorld ? *pWorld : Identity();
    if (pView) D3DXMatrixMultiply(&m, &m, pView);
    if (pProjection) D3DXMatrixMultiply(&m, &m, pProjection);
    return m;
}

// The camera basis as columns and the eye moved to the origin; the LH and RH
// views differ only in which way zaxis points.
D3DXMATRIX* LookAlong(D3DXMATRIX* pOut, const D3DXVECTOR3& eye, const D3DXVECTOR3& forward, const D3DXVECTOR3& up) {
    D3DXVECTOR3 zaxis, xaxis, yaxis;
    D3DXVec3Normalize(&zaxis, &forward);
    D3DXVec3Cross(&xaxis, &up, &zaxis);
    D3DXVec3Normalize(&xaxis, &xaxis);
    D3DXVec3Cross(&yaxis, &zaxis, &xaxis);
    return Store(pOut, D3DXMATRIX(xaxis.x, yaxis.x, zaxis.x, 0,
                                  xaxis.y, yaxis.y, zaxis.y, 0,
                                  xaxis.z, yaxis.z, zaxis.z, 0,
                                  -D3DXVec3Dot(&xaxis, &eye), -D3DXVec3Dot(&yaxis, &eye), -D3DXVec3Dot(&zaxis, &eye), 1));
}

// Cofactors of a 4x4 matrix in double precision, for the determinant and the
// inverse: float cofactors lose most of their digits on the large, nearly
// cancelling terms of a far-plane projection.
struct Cofactors {
    double inverse[4][4];  // adjugate, not yet divided by det
    double det;
};

Cofactors Adjugate(const D3DXMATRIX& m) {
    double a[4][4];
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) a[r][c] = m.m[r][c];

    // 2x2 minors of the top two rows (s) and of the bottom two rows (c).
    const double s0 = a[0][0] * a[1][1] - a[1][0] * a[0][1];
    const double s1 = a[0][0] * a[1][2] - a[1][0] * a[0][2];
    const double s2 = a[0][0] * a[1][3] - a[1][0] * a[0][3];
    const double s3 = a[0][1] * a[1][2] - a[1][1] * a[0][2];
    const double s4 = a[0][1] * a[1][3] - a[1][1] * a[0][3];
    const double s5 = a[0][2] * a[1][3] - a[1][2] * a[0][3];
    const double c5 = a[2][2] * a[3][3] - a[3][2] * a[2][3];
    const double c4 = a[2][1] * a[3][3] - a[3][1] * a[2][3];
    const double c3 = a[2][1] * a[3][2] - a[3][1] * a[2][2];
    const double c2 = a[2][0] * a[3][3] - a[3][0] * a[2][3];
    const double c1 = a[2][0] * a[3][2] - a[3][0] * a[2][2];
    const double c0 = a[2][0] * a[3][1] - a[3][0] * a[2][1];

    Cofactors out;
    out.det = s0 * c5 - s1 * c4 + s2 * c3 + s3 * c2 - s4 * c1 + s5 * c0;
    double(&b)[4][4] = out.inverse;
    b[0][0] = a[1][1] * c5 - a[1][2] * c4 + a[1][3] * c3;
    b[0][1] = -a[0][1] * c5 + a[0][2] * c4 - a[0][3] * c3;
    b[0][2] = a[3][1] * s5 - a[3][2] * s4 + a[3][3] * s3;
    b[0][3] = -a[2][1] * s5 + a[2][2] * s4 - a[2][3] * s3;
    b[1][0] = -a[1][0] * c5 + a[1][2] * c2 - a[1][3] * c1;
    b[1][1] = a[0][0] * c5 - a[0][2] * c2 + a[0][3] * c1;
    b[1][2] = -a[3][0] * s5 + a[3][2] * s2 - a[3][3] * s1;
    b[1][3] = a[2][0] * s5 - a[2][2] * s2 + a[2][3] * s1;
    b[2][0] = a[1][0] * c4 - a[1][1] * c2 + a[1][3] * c0;
    b[2][1] = -a[0][0] * c4 + a[0][1] * c2 - a[0][3] * c0;
    b[2][2] = a[3][0] * s4 - a[3][1] * s2 + a[3][3] * s0;
    b[2][3] = -a[2][0] * s4 + a[2][1] * s2 - a[2][3] * s0;
    b[3][0] = -a[1][0] * c3 + a[1][1] * c1 - a[1][2] * c0;
    b[3][1] = a[0][0] * c3 - a[0][1] * c1 + a[0][2] * c0;
    b[3][2] = -a[3][0] * s3 + a[3][1] * s1 - a[3][2] * s0;
    b[3][3] = a[2][0] * s3 - a[2][1] * s1 + a[2][2] * s0;
    return out;
}

}  // namespace

extern "C" {

// ---- Basics -----------------------------------------------------------------

D3DXMATRIX* WINAPI D3DXMatrixIdentity(D3DXMATRIX* pOut) { return Store(pOut, Identity()); }

BOOL WINAPI D3DXMatrixIsIdentity(const D3DXMATRIX* pM) { return *pM == Identity(); }

FLOAT WINAPI D3DXMatrixDeterminant(const D3DXMATRIX* pM) { return (FLOAT)Adjugate(*pM).det; }

D3DXMATRIX* WINAPI D3DXMatrixTranspose(D3DXMATRIX* pOut, const D3DXMATRIX* pM) {
    D3DXMATRIX t;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) t.m[r][c] = pM->m[c][r];
    return Store(pOut, t);
}

D3DXMATRIX* WINAPI D3DXMatrixMultiply(D3DXMATRIX* pOut, const D3DXMATRIX* pM1, const D3DXMATRIX* pM2) {
    D3DXMATRIX p;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            p.m[r][c] = pM1->m[r][0] * pM2->m[0][c] + pM1->m[r][1] * pM2->m[1][c] +
                        pM1->m[r][2] * pM2->m[2][c] + pM1->m[r][3] * pM2->m[3][c];
    return Store(pOut, p);
}

D3DXMATRIX* WINAPI D3DXMatrixInverse(D3DXMATRIX* pOut, FLOAT* pDeterminant, const D3DXMATRIX* pM) {
    const Cofactors cof = Adjugate(*pM);
    if (pDeterminant) *pDeterminant = (FLOAT)cof.det;
    if (cof.det == 0.0) return nullptr;

    // A determinant too small for the entries to fit in floats is as
    // singular as zero to a caller that works in floats.
    D3DXMATRIX inv;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            inv.m[r][c] = (FLOAT)(cof.inverse[r][c] / cof.det);
            if (!std::isfinite(inv.m[r][c])) return nullptr;
        }
    return Store(pOut, inv);
}

// ---- Transforms -------------------------------------------------------------

D3DXMATRIX* WINAPI D3DXMatrixScaling(D3DXMATRIX* pOut, FLOAT sx, FLOAT sy, FLOAT sz) {
    return Store(pOut, D3DXMATRIX(sx, 0, 0, 0,
                                  0, sy, 0, 0,
                                  0, 0, sz, 0,
                                  0, 0, 0, 1));
}

D3DXMATRIX* WINAPI D3DXMatrixTranslation(D3DXMATRIX* pOut, FLOAT x, FLOAT y, FLOAT z) {
    return Store(pOut, D3DXMATRIX(1, 0, 0, 0,
                                  0, 1, 0, 0,
                                  0, 0, 1, 0,
                                  x, y, z, 1));
}

D3DXMATRIX* WINAPI D3DXMatrixRotationX(D3DXMATRIX* pOut, FLOAT angle) {
    const float c = std::cos(angle), s = std::sin(angle);
    return Store(pOut, D3DXMATRIX(1, 0, 0, 0,
                                  0, c, s, 0,
                                  0, -s, c, 0,
                                  0, 0, 0, 1));
}

D3DXMATRIX* WINAPI D3DXMatrixRotationY(D3DXMATRIX* pOut, FLOAT angle) {
    const float c = std::cos(angle), s = std::sin(angle);
    return Store(pOut, D3DXMATRIX(c, 0, -s, 0,
                                  0, 1, 0, 0,
                                  s, 0, c, 0,
                                  0, 0, 0, 1));
}

D3DXMATRIX* WINAPI D3DXMatrixRotationZ(D3DXMATRIX* pOut, FLOAT angle) {
    const float c = std::cos(angle), s = std::sin(angle);
    return Store(pOut, D3DXMATRIX(c, s, 0, 0,
                                  -s, c, 0, 0,
                                  0, 0, 1, 0,
                                  0, 0, 0, 1));
}

D3DXMATRIX* WINAPI D3DXMatrixRotationAxis(D3DXMATRIX* pOut, const D3DXVECTOR3* pV, FLOAT angle) {
    D3DXVECTOR3 n;
    D3DXVec3Normalize(&n, pV);
    const float c = std::cos(angle), s = std::sin(angle), t = 1.0f - c;
    return Store(pOut, D3DXMATRIX(t * n.x * n.x + c, t * n.x * n.y + s * n.z, t * n.x * n.z - s * n.y, 0,
                                  t * n.x * n.y - s * n.z, t * n.y * n.y + c, t * n.y * n.z + s * n.x, 0,
                                  t * n.x * n.z + s * n.y, t * n.y * n.z - s * n.x, t * n.z * n.z + c, 0,
                                  0, 0, 0, 1));
}

// The quaternion is used as given: callers that pass an unnormalised one
// (the engine's sun matrices do) get the scaled, sheared matrix D3DX gives.
D3DXMATRIX* WINAPI D3DXMatrixRotationQuaternion(D3DXMATRIX* pOut, const D3DXQUATERNION* pQ) {
    const float x = pQ->x, y = pQ->y, z = pQ->z, w = pQ->w;
    return Store(pOut, D3DXMATRIX(1 - 2 * (y * y + z * z), 2 * (x * y + z * w), 2 * (x * z - y * w), 0,
                                  2 * (x * y - z * w), 1 - 2 * (x * x + z * z), 2 * (y * z + x * w), 0,
                                  2 * (x * z + y * w), 2 * (y * z - x * w), 1 - 2 * (x * x + y * y), 0,
                                  0, 0, 0, 1));
}

D3DXMATRIX* WINAPI D3DXMatrixRotationYawPitchRoll(D3DXMATRIX* pOut, FLOAT yaw, FLOAT pitch, FLOAT roll) {
    D3DXMATRIX r, p, y;
    D3DXMatrixRotationZ(&r, roll);
    D3DXMatrixRotationX(&p, pitch);
    D3DXMatrixRotationY(&y, yaw);
    return Store(pOut, r * p * y);
}

// ---- Cameras and projections ----------------------------------------------

D3DXMATRIX* WINAPI D3DXMatrixLookAtLH(D3DXMATRIX* pOut, const D3DXVECTOR3* pEye, const D3DXVECTOR3* pAt,
                                      const D3DXVECTOR3* pUp) {
    return LookAlong(pOut, *pEye, *pAt - *pEye, *pUp);
}

D3DXMATRIX* WINAPI D3DXMatrixLookAtRH(D3DXMATRIX* pOut, const D3DXVECTOR3* pEye, const D3DXVECTOR3* pAt,
                                      const D3DXVECTOR3* pUp) {
    return LookAlong(pOut, *pEye, *pEye - *pAt, *pUp);
}

D3DXMATRIX* WINAPI D3DXMatrixPerspectiveLH(D3DXMATRIX* pOut, FLOAT w, FLOAT h, FLOAT zn, FLOAT zf) {
    const float q = zf / (zf - zn);
    return Store(pOut, D3DXMATRIX(2 * zn / w, 0, 0, 0,
                                  0, 2 * zn / h, 0, 0,
                                  0, 0, q, 1,
                                  0, 0, -zn * q, 0));
}

D3DXMATRIX* WINAPI D3DXMatrixPerspectiveRH(D3DXMATRIX* pOut, FLOAT w, FLOAT h, FLOAT zn, FLOAT zf) {
    const float q = zf / (zn - zf);
    return Store(pOut, D3DXMATRIX(2 * zn / w, 0, 0, 0,
                                  0, 2 * zn / h, 0, 0,
                                  0, 0, q, -1,
                                  0, 0, zn * q, 0));
}

D3DXMATRIX* WINAPI D3DXMatrixPerspectiveFovLH(D3DXMATRIX* pOut, FLOAT fovy, FLOAT aspect, FLOAT zn, FLOAT zf) {
    const float yscale = std::cos(fovy / 2) / std::sin(fovy / 2);
    const float q = zf / (zf - zn);
    return Store(pOut, D3DXMATRIX(yscale / aspect, 0, 0, 0,
                                  0, yscale, 0, 0,
                                  0, 0, q, 1,
                                  0, 0, -zn * q, 0));
}

D3DXMATRIX* WINAPI D3DXMatrixPerspectiveFovRH(D3DXMATRIX* pOut, FLOAT fovy, FLOAT aspect, FLOAT zn, FLOAT zf) {
    const float yscale = std::cos(fovy / 2) / std::sin(fovy / 2);
    const float q = zf / (zn - zf);
    return Store(pOut, D3DXMATRIX(yscale / aspect, 0, 0, 0,
                                  0, yscale, 0, 0,
                                  0, 0, q, -1,
                                  0, 0, zn * q, 0));
}

D3DXMATRIX* WINAPI D3DXMatrixPerspectiveOffCenterLH(D3DXMATRIX* pOut, FLOAT l, FLOAT r, FLOAT b, FLOAT t, FLOAT zn,
                                                    FLOAT zf) {
    const float q = zf / (zf - zn);
    return Store(pOut, D3DXMATRIX(2 * zn / (r - l), 0, 0, 0,
                                  0, 2 * zn / (t - b), 0, 0,
                                  (l + r) / (l - r), (t + b) / (b - t), q, 1,
                                  0, 0, -zn * q, 0));
}

D3DXMATRIX* WINAPI D3DXMatrixPerspectiveOffCenterRH(D3DXMATRIX* pOut, FLOAT l, FLOAT r, FLOAT b, FLOAT t, FLOAT zn,
                                                    FLOAT zf) {
    const float q = zf / (zn - zf);
    return Store(pOut, D3DXMATRIX(2 * zn / (r - l), 0, 0, 0,
                                  0, 2 * zn / (t - b), 0, 0,
                                  (l + r) / (r - l), (t + b) / (t - b), q, -1,
                                  0, 0, zn * q, 0));
}

D3DXMATRIX* WINAPI D3DXMatrixOrthoLH(D3DXMATRIX* pOut, FLOAT w, FLOAT h, FLOAT zn, FLOAT zf) {
    return D3DXMatrixOrthoOffCenterLH(pOut, -w / 2, w / 2, -h / 2, h / 2, zn, zf);
}

D3DXMATRIX* WINAPI D3DXMatrixOrthoRH(D3DXMATRIX* pOut, FLOAT w, FLOAT h, FLOAT zn, FLOAT zf) {
    return D3DXMatrixOrthoOffCenterRH(pOut, -w / 2, w / 2, -h / 2, h / 2, zn, zf);
}

D3DXMATRIX* WINAPI D3DXMatrixOrthoOffCenterLH(D3DXMATRIX* pOut, FLOAT l, FLOAT r, FLOAT b, FLOAT t, FLOAT zn,
                                              FLOAT zf) {
    return Store(pOut, D3DXMATRIX(2 / (r - l), 0, 0, 0,
                                  0, 2 / (t - b), 0, 0,
                                  0, 0, 1 / (zf - zn), 0,
                                  (l + r) / (l - r), (t + b) / (b - t), zn / (zn - zf), 1));
}

D3DXMATRIX* WINAPI D3DXMatrixOrthoOffCenterRH(D3DXMATRIX* pOut, FLOAT l, FLOAT r, FLOAT b, FLOAT t, FLOAT zn,
                                              FLOAT zf) {
    return Store(pOut, D3DXMATRIX(2 / (r - l), 0, 0, 0,
                                  0, 2 / (t - b), 0, 0,
                                  0, 0, 1 / (zn - zf), 0,
                                  (l + r) / (l - r), (t + b) / (b - t), zn / (zn - zf), 1));
}

// ---- Screen projection ------------------------------------------------------

D3DXVECTOR3* WINAPI D3DXVec3Project(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV, const D3DVIEWPORT8* pViewport,
                                    const D3DXMATRIX* pProjection, const D3DXMATRIX* pView,
                                    const D3DXMATRIX* pWorld) {
    const D3DXMATRIX m = WorldViewProjection(pWorld, pView, pProjection);
    D3DXVECTOR3 v;
    D3DXVec3TransformCoord(&v, pV, &m);
    if (pViewport) {
        // Clip-space y points up, screen y down.
        const D3DVIEWPORT8& vp = *pViewport;
        v.x = (FLOAT)vp.X + (1.0f + v.x) * (FLOAT)vp.Width / 2;
        v.y = (FLOAT)vp.Y + (1.0f - v.y) * (FLOAT)vp.Height / 2;
        v.z = vp.MinZ + v.z * (vp.MaxZ - vp.MinZ);
    }
    *pOut = v;
    return pOut;
}

D3DXVECTOR3* WINAPI D3DXVec3Unproject(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV, const D3DVIEWPORT8* pViewport,
                                      const D3DXMATRIX* pProjection, const D3DXMATRIX* pView,
                                      const D3DXMATRIX* pWorld) {
    D3DXMATRIX inverse = WorldViewProjection(pWorld, pView, pProjection);
    if (!D3DXMatrixInverse(&inverse, nullptr, &inverse)) return nullptr;

    D3DXVECTOR3 v = *pV;
    if (pViewport) {
        const D3DVIEWPORT8& vp = *pViewport;
        v.x = 2 * (v.x - (FLOAT)vp.X) / (FLOAT)vp.Width - 1.0f;
        v.y = 1.0f - 2 * (v.y - (FLOAT)vp.Y) / (FLOAT)vp.Height;
        v.z = (v.z - vp.MinZ) / (vp.MaxZ - vp.MinZ);
    }
    return D3DXVec3TransformCoord(pOut, &v, &inverse);
}

}  // extern "C"
