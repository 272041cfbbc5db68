// Matrix utilities for hosts: pure functions on caller-owned 4x4 matrices in
// the Direct3D layout (row vectors, translation in the fourth row).

#include <ZEPenginedll.h>

#include <cmath>
#include <cstring>

namespace {

// Element (row, column), both counted from 1 as the matrix names them.
inline float& at(D3DMATRIX& m, int row, int col) { return m.m[row - 1][col - 1]; }
inline float at(const D3DMATRIX& m, int row, int col) { return m.m[row - 1][col - 1]; }

}  // namespace

extern "C" {

ZEP_EXPORT void ZEPAPI ZEP_matmul4x4(const D3DMATRIX* a, const D3DMATRIX* b, D3DMATRIX* out) {
    // Built in a temporary, so that a caller who writes the product over one
    // of its factors gets the product and not a half-overwritten mix.
    D3DMATRIX r;
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col)
            r.m[row][col] = a->m[row][0] * b->m[0][col] + a->m[row][1] * b->m[1][col] +
                            a->m[row][2] * b->m[2][col] + a->m[row][3] * b->m[3][col];
    *out = r;
}

ZEP_EXPORT void ZEPAPI ZEP_matcpy4x4(D3DMATRIX* dst, const D3DMATRIX* src) {
    std::memmove(dst, src, sizeof(D3DMATRIX));
}

ZEP_EXPORT D3DMATRIX* ZEPAPI ZEP_matscale4x4(D3DMATRIX* m, float sx, float sy, float sz) {
    for (int row = 1; row <= 3; ++row) {
        at(*m, row, 1) *= sx;
        at(*m, row, 2) *= sy;
        at(*m, row, 3) *= sz;
    }
    return m;
}

ZEP_EXPORT D3DMATRIX* ZEPAPI ZEP_matrix4x4(D3DMATRIX* out, float ax, float ay, float az, float tx, float ty,
                                           float tz) {
    // Rx(ax) . Ry(ay) . Rz(az) with row vectors: a point turns about x first,
    // then y, then z, and is translated last.
    const float cx = std::cos(ax), sx = std::sin(ax);
    const float cy = std::cos(ay), sy = std::sin(ay);
    const float cz = std::cos(az), sz = std::sin(az);
    const D3DMATRIX r = {{{
        cy * cz, cy * sz, -sy, 0.0f,
        sx * sy * cz - cx * sz, sx * sy * sz + cx * cz, sx * cy, 0.0f,
        cx * sy * cz + sx * sz, cx * sy * sz - sx * cz, cx * cy, 0.0f,
        tx, ty, tz, 1.0f,
    }}};
    *out = r;
    return out;
}

ZEP_EXPORT D3DMATRIX* ZEPAPI ZEP_setmatrix4x4(D3DMATRIX* out, float tx, float ty, float tz, float sx, float sy,
                                              float sz) {
    const D3DMATRIX r = {{{
        sx, 0.0f, 0.0f, 0.0f,
        0.0f, sy, 0.0f, 0.0f,
        0.0f, 0.0f, sz, 0.0f,
        tx, ty, tz, 1.0f,
    }}};
    *out = r;
    return out;
}

ZEP_EXPORT void ZEPAPI ZEP_mattrans4x4(const D3DMATRIX* m, float x, float y, float z, D3DVECTOR* out) {
    const D3DVECTOR r = {
        x * m->_11 + y * m->_21 + z * m->_31 + m->_41,
        x * m->_12 + y * m->_22 + z * m->_32 + m->_42,
        x * m->_13 + y * m->_23 + z * m->_33 + m->_43,
    };
    *out = r;
}

ZEP_EXPORT void ZEPAPI ZEP_matrot4x4(const D3DMATRIX* m, float x, float y, float z, D3DVECTOR* out) {
    const D3DVECTOR r = {
        x * m->_11 + y * m->_21 + z * m->_31,
        x * m->_12 + y * m->_22 + z * m->_32,
        x * m->_13 + y * m->_23 + z * m->_33,
    };
    *out = r;
}

ZEP_EXPORT void ZEPAPI ZEP_matinv4x4(const D3DMATRIX* src, D3DMATRIX* dst) {
    // Inverse of rotation + translation (+ uniform scale): the transpose of
    // the 3x3 part divided by the squared row lengths, and the translation
    // carried through it. A degenerate row makes the whole result zero.
    D3DMATRIX r;
    std::memset(&r, 0, sizeof r);
    for (int i = 1; i <= 3; ++i) {
        const float len2 = at(*src, i, 1) * at(*src, i, 1) + at(*src, i, 2) * at(*src, i, 2) +
                           at(*src, i, 3) * at(*src, i, 3);
        if (len2 == 0.0f) {
            std::memset(dst, 0, sizeof(D3DMATRIX));
            return;
        }
        for (int c = 1; c <= 3; ++c) at(r, i, c) = at(*src, c, i) / len2;
        at(r, i, 4) = -at(*src, i, 4) * (at(r, i, 1) + at(r, i, 2) + at(r, i, 3));
    }
    for (int c = 1; c <= 3; ++c)
        at(r, 4, c) = -(at(*src, 4, 1) * at(r, 1, c) + at(*src, 4, 2) * at(r, 2, c) + at(*src, 4, 3) * at(r, 3, c));
    // _44 is left as the caller's buffer had it: hosts that need a complete
    // matrix set it themselves, and some rely on it being untouched.
    const float keep44 = dst->_44;
    *dst = r;
    dst->_44 = keep44;
}

}  // extern "C"
