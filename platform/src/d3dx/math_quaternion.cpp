// D3DX 8 quaternions: (x, y, z) the vector part, w the scalar part.
//
// D3DX multiplies in the order matrices compose: Multiply(q1, q2) is the
// rotation q1 followed by q2, which is the Hamilton product q2 q1. Building
// and converting quaternions keeps to that order, so that
// RotationQuaternion(Multiply(a, b)) = RotationQuaternion(a) * RotationQuaternion(b).

#include <d3dx8math.h>

#include <algorithm>
#include <cmath>

namespace {

D3DXQUATERNION* Store(D3DXQUATERNION* pOut, const D3DXQUATERNION& q) {
    *pOut = q;
    return pOut;
}

}  // namespace

extern "C" {

FLOAT WINAPI D3DXQuaternionLength(const D3DXQUATERNION* pQ) { return std::sqrt(D3DXQuaternionLengthSq(pQ)); }
FLOAT WINAPI D3DXQuaternionLengthSq(const D3DXQUATERNION* pQ) { return D3DXQuaternionDot(pQ, pQ); }

FLOAT WINAPI D3DXQuaternionDot(const D3DXQUATERNION* pQ1, const D3DXQUATERNION* pQ2) {
    return pQ1->x * pQ2->x + pQ1->y * pQ2->y + pQ1->z * pQ2->z + pQ1->w * pQ2->w;
}

D3DXQUATERNION* WINAPI D3DXQuaternionIdentity(D3DXQUATERNION* pOut) {
    return Store(pOut, D3DXQUATERNION(0, 0, 0, 1));
}

BOOL WINAPI D3DXQuaternionIsIdentity(const D3DXQUATERNION* pQ) { return *pQ == D3DXQUATERNION(0, 0, 0, 1); }

D3DXQUATERNION* WINAPI D3DXQuaternionConjugate(D3DXQUATERNION* pOut, const D3DXQUATERNION* pQ) {
    return Store(pOut, D3DXQUATERNION(-pQ->x, -pQ->y, -pQ->z, pQ->w));
}

D3DXQUATERNION* WINAPI D3DXQuaternionInverse(D3DXQUATERNION* pOut, const D3DXQUATERNION* pQ) {
    const float lengthSq = D3DXQuaternionLengthSq(pQ);
    const float k = lengthSq > 0.0f ? 1.0f / lengthSq : 0.0f;
    return Store(pOut, D3DXQUATERNION(-pQ->x * k, -pQ->y * k, -pQ->z * k, pQ->w * k));
}

D3DXQUATERNION* WINAPI D3DXQuaternionNormalize(D3DXQUATERNION* pOut, const D3DXQUATERNION* pQ) {
    const float lengthSq = D3DXQuaternionLengthSq(pQ);
    const float k = lengthSq > 0.0f ? 1.0f / std::sqrt(lengthSq) : 0.0f;
    return Store(pOut, *pQ * k);
}

D3DXQUATERNION* WINAPI D3DXQuaternionMultiply(D3DXQUATERNION* pOut, const D3DXQUATERNION* pQ1,
                                              const D3DXQUATERNION* pQ2) {
    const D3DXQUATERNION a = *pQ2, b = *pQ1;  // Hamilton a b
    return Store(pOut, D3DXQUATERNION(a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y,
                                      a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
                                      a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w,
                                      a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z));
}

D3DXQUATERNION* WINAPI D3DXQuaternionRotationAxis(D3DXQUATERNION* pOut, const D3DXVECTOR3* pV, FLOAT angle) {
    D3DXVECTOR3 n;
    D3DXVec3Normalize(&n, pV);
    const float s = std::sin(angle / 2);
    return Store(pOut, D3DXQUATERNION(n.x * s, n.y * s, n.z * s, std::cos(angle / 2)));
}

// From the largest of w, x, y, z, so that the square root and the divisions
// stay well away from zero whatever the angle.
D3DXQUATERNION* WINAPI D3DXQuaternionRotationMatrix(D3DXQUATERNION* pOut, const D3DXMATRIX* pM) {
    const D3DXMATRIX& m = *pM;
    const float trace = m._11 + m._22 + m._33;
    D3DXQUATERNION q;
    if (trace > 0.0f) {
        const float s = 2 * std::sqrt(trace + 1);  // 4w
        q = D3DXQUATERNION((m._23 - m._32) / s, (m._31 - m._13) / s, (m._12 - m._21) / s, s / 4);
    } else if (m._11 >= m._22 && m._11 >= m._33) {
        const float s = 2 * std::sqrt(1 + m._11 - m._22 - m._33);  // 4x
        q = D3DXQUATERNION(s / 4, (m._12 + m._21) / s, (m._13 + m._31) / s, (m._23 - m._32) / s);
    } else if (m._22 >= m._33) {
        const float s = 2 * std::sqrt(1 + m._22 - m._11 - m._33);  // 4y
        q = D3DXQUATERNION((m._12 + m._21) / s, s / 4, (m._23 + m._32) / s, (m._31 - m._13) / s);
    } else {
        const float s = 2 * std::sqrt(1 + m._33 - m._11 - m._22);  // 4z
        q = D3DXQUATERNION((m._13 + m._31) / s, (m._23 + m._32) / s, s / 4, (m._12 - m._21) / s);
    }
    return Store(pOut, q);
}

D3DXQUATERNION* WINAPI D3DXQuaternionRotationYawPitchRoll(D3DXQUATERNION* pOut, FLOAT yaw, FLOAT pitch,
                                                          FLOAT roll) {
    const D3DXVECTOR3 xAxis(1, 0, 0), yAxis(0, 1, 0), zAxis(0, 0, 1);
    D3DXQUATERNION r, p, y;
    D3DXQuaternionRotationAxis(&r, &zAxis, roll);
    D3DXQuaternionRotationAxis(&p, &xAxis, pitch);
    D3DXQuaternionRotationAxis(&y, &yAxis, yaw);
    return Store(pOut, r * p * y);
}

D3DXQUATERNION* WINAPI D3DXQuaternionSlerp(D3DXQUATERNION* pOut, const D3DXQUATERNION* pQ1,
                                           const D3DXQUATERNION* pQ2, FLOAT t) {
    // q and -q are the same rotation: flipping q2 onto q1's side of the
    // sphere takes the shorter way round.
    float cosAngle = D3DXQuaternionDot(pQ1, pQ2);
    const float side = cosAngle < 0.0f ? -1.0f : 1.0f;
    cosAngle *= side;

    float k1 = 1.0f - t, k2 = t;
    if (cosAngle < 0.9999f) {  // nearer than that, the sines vanish and a straight blend is as good
        const float angle = std::acos(std::min(cosAngle, 1.0f));
        const float sinAngle = std::sin(angle);
        k1 = std::sin((1.0f - t) * angle) / sinAngle;
        k2 = std::sin(t * angle) / sinAngle;
    }
    return Store(pOut, *pQ1 * k1 + *pQ2 * (k2 * side));
}

void WINAPI D3DXQuaternionToAxisAngle(const D3DXQUATERNION* pQ, D3DXVECTOR3* pAxis, FLOAT* pAngle) {
    if (pAxis) *pAxis = D3DXVECTOR3(pQ->x, pQ->y, pQ->z);
    if (pAngle) *pAngle = 2 * std::acos(std::clamp(pQ->w, -1.0f, 1.0f));
}

}  // extern "C"
