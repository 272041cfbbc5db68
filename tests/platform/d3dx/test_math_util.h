// Comparisons shared by the D3DX math tests: element-wise with a tolerance,
// printing every element on failure so a transposed or mis-signed matrix is
// recognisable at a glance.
#ifndef ZEP_TESTS_D3DX_MATH_UTIL_H
#define ZEP_TESTS_D3DX_MATH_UTIL_H

#include <d3dx8math.h>

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

namespace zep_test {

inline ::testing::AssertionResult FloatsNear(const float* actual, const float* expected, int count, float tolerance) {
    bool same = true;
    for (int i = 0; i < count; ++i)
        if (!(std::fabs(actual[i] - expected[i]) <= tolerance)) same = false;
    if (same) return ::testing::AssertionSuccess();

    std::ostringstream text;
    text << "\n  actual:  ";
    for (int i = 0; i < count; ++i) text << actual[i] << (i % 4 == 3 && i + 1 < count ? " | " : " ");
    text << "\n  expected:";
    for (int i = 0; i < count; ++i) text << " " << expected[i] << (i % 4 == 3 && i + 1 < count ? " |" : "");
    return ::testing::AssertionFailure() << text.str();
}

inline ::testing::AssertionResult MatrixNear(const D3DXMATRIX& actual, const D3DXMATRIX& expected,
                                             float tolerance = 1e-5f) {
    return FloatsNear(actual, expected, 16, tolerance);
}

inline ::testing::AssertionResult VectorNear(const D3DXVECTOR3& actual, const D3DXVECTOR3& expected,
                                             float tolerance = 1e-5f) {
    return FloatsNear(actual, expected, 3, tolerance);
}

inline ::testing::AssertionResult QuaternionNear(const D3DXQUATERNION& actual, const D3DXQUATERNION& expected,
                                                 float tolerance = 1e-5f) {
    return FloatsNear(actual, expected, 4, tolerance);
}

// A quaternion and its negation are the same rotation.
inline ::testing::AssertionResult SameRotation(const D3DXQUATERNION& actual, const D3DXQUATERNION& expected,
                                               float tolerance = 1e-5f) {
    if (QuaternionNear(actual, -expected, tolerance)) return ::testing::AssertionSuccess();
    return QuaternionNear(actual, expected, tolerance);
}

// Where p lands under m, as a point (w = 1, divided by w).
inline D3DXVECTOR3 Apply(const D3DXMATRIX& m, const D3DXVECTOR3& p) {
    D3DXVECTOR3 out;
    D3DXVec3TransformCoord(&out, &p, &m);
    return out;
}

}  // namespace zep_test

#endif  // ZEP_TESTS_D3DX_MATH_UTIL_H
