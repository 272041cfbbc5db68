// D3DX quaternions: agreement with the matrix conventions (both ways),
// multiplication order, slerp, and the small helpers around them.

#include <d3dx8math.h>

#include "test_math_util.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using zep_test::MatrixNear;
using zep_test::QuaternionNear;
using zep_test::SameRotation;
using zep_test::VectorNear;

const float kPi = 3.14159265f;
const float kHalfSqrt2 = 0.70710678f;

D3DXQUATERNION AxisAngle(const D3DXVECTOR3& axis, float angle) {
    D3DXQUATERNION q;
    EXPECT_EQ(D3DXQuaternionRotationAxis(&q, &axis, angle), &q);
    return q;
}

D3DXMATRIX MatrixOf(const D3DXQUATERNION& q) {
    D3DXMATRIX m;
    EXPECT_EQ(D3DXMatrixRotationQuaternion(&m, &q), &m);
    return m;
}

TEST(D3DXMathQuaternion, MatrixRoundTripAgreesWithRotationAxis) {
    // Half turns have a zero or negative trace and take the conversion's
    // other branches, one per largest diagonal element.
    struct Case {
        const char* name;
        D3DXVECTOR3 axis;
        float angle;
    } const cases[] = {
        {"no turn", {0, 0, 1}, 0},
        {"small turn about x", {1, 0, 0}, 0.5f},
        {"half turn about x", {1, 0, 0}, kPi},
        {"half turn about y", {0, 1, 0}, kPi},
        {"half turn about z", {0, 0, 1}, kPi},
        {"oblique, long axis", {1, 2, 3}, 2.5f},
        {"oblique, nearly a half turn", {1, -1, 0.5f}, 3.0f},
        {"negative angle", {-2, 0.5f, 1}, -1.2f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const D3DXQUATERNION q = AxisAngle(c.axis, c.angle);
        const D3DXMATRIX m = MatrixOf(q);
        D3DXMATRIX axisMatrix;
        D3DXMatrixRotationAxis(&axisMatrix, &c.axis, c.angle);
        EXPECT_TRUE(MatrixNear(m, axisMatrix));

        D3DXQUATERNION back;
        EXPECT_EQ(D3DXQuaternionRotationMatrix(&back, &m), &back);
        EXPECT_TRUE(SameRotation(back, q));
    }
}

TEST(D3DXMathQuaternion, HandWorkedValues) {
    // Unit axis taken from a long one; half angle in the components.
    EXPECT_TRUE(QuaternionNear(AxisAngle(D3DXVECTOR3(0, 0, 2), kPi / 2), D3DXQUATERNION(0, 0, kHalfSqrt2, kHalfSqrt2)));

    // Not normalised first: the engine's sun matrices are built from
    // quaternions like (x, z, y, 1) and rely on this exact matrix.
    EXPECT_TRUE(MatrixNear(MatrixOf(D3DXQUATERNION(1, 0, 0, 1)),
                           D3DXMATRIX(1, 0, 0, 0, 0, -1, 2, 0, 0, -2, -1, 0, 0, 0, 0, 1)));

    D3DXQUATERNION q;
    EXPECT_EQ(D3DXQuaternionIdentity(&q), &q);
    EXPECT_TRUE(q == D3DXQUATERNION(0, 0, 0, 1));
    EXPECT_TRUE(D3DXQuaternionIsIdentity(&q));
    q.z = 1e-6f;
    EXPECT_FALSE(D3DXQuaternionIsIdentity(&q));

    const D3DXQUATERNION p(1, 2, 3, 4);
    EXPECT_FLOAT_EQ(D3DXQuaternionLength(&p), std::sqrt(30.0f));
    EXPECT_TRUE(QuaternionNear(*D3DXQuaternionConjugate(&q, &p), D3DXQUATERNION(-1, -2, -3, 4)));
    EXPECT_TRUE(QuaternionNear(*D3DXQuaternionInverse(&q, &p), D3DXQUATERNION(-1, -2, -3, 4) / 30.0f));
    const D3DXQUATERNION three4(0, 0, 3, 4), zero(0, 0, 0, 0);
    EXPECT_TRUE(QuaternionNear(*D3DXQuaternionNormalize(&q, &three4), D3DXQUATERNION(0, 0, 0.6f, 0.8f)));
    EXPECT_TRUE(QuaternionNear(*D3DXQuaternionNormalize(&q, &zero), zero)) << "no NaNs from a zero quaternion";
    EXPECT_TRUE(QuaternionNear(*D3DXQuaternionInverse(&q, &zero), zero));

    D3DXVECTOR3 axis;
    float angle = 0;
    D3DXQuaternionToAxisAngle(&p, nullptr, nullptr);  // outputs are optional
    const D3DXQUATERNION aboutZ = AxisAngle(D3DXVECTOR3(0, 0, 1), 1.0f);
    D3DXQuaternionToAxisAngle(&aboutZ, &axis, &angle);
    EXPECT_NEAR(angle, 1.0f, 1e-5f);
    EXPECT_TRUE(VectorNear(axis, D3DXVECTOR3(0, 0, std::sin(0.5f))));
}

TEST(D3DXMathQuaternion, MultiplyComposesLikeMatrices) {
    // A quarter turn about x, then one about y: Hamilton qy * qx.
    const D3DXQUATERNION qx = AxisAngle(D3DXVECTOR3(1, 0, 0), kPi / 2);
    const D3DXQUATERNION qy = AxisAngle(D3DXVECTOR3(0, 1, 0), kPi / 2);
    D3DXQUATERNION product;
    EXPECT_EQ(D3DXQuaternionMultiply(&product, &qx, &qy), &product);
    EXPECT_TRUE(QuaternionNear(product, D3DXQUATERNION(0.5f, 0.5f, -0.5f, 0.5f)));
    EXPECT_TRUE(QuaternionNear(qx * qy, product, 0));

    // Any two rotations: the product's matrix is the matrices' product.
    const D3DXQUATERNION a(0.3f, -0.2f, 0.9f, 0.4f), b(-0.5f, 0.1f, 0.2f, 0.8f);
    const D3DXQUATERNION ab = a * b;
    const D3DXQUATERNION na = a / D3DXQuaternionLength(&a), nb = b / D3DXQuaternionLength(&b);
    EXPECT_TRUE(MatrixNear(MatrixOf(na * nb), MatrixOf(na) * MatrixOf(nb)));
    EXPECT_FALSE(QuaternionNear(ab, b * a)) << "the product does not commute";

    // Writing over a factor.
    D3DXQUATERNION inPlace = a;
    D3DXQuaternionMultiply(&inPlace, &inPlace, &b);
    EXPECT_TRUE(QuaternionNear(inPlace, ab, 0));
    inPlace = b;
    D3DXQuaternionMultiply(&inPlace, &a, &inPlace);
    EXPECT_TRUE(QuaternionNear(inPlace, ab, 0));

    D3DXQUATERNION inverse;
    D3DXQuaternionInverse(&inverse, &a);
    EXPECT_TRUE(QuaternionNear(a * inverse, D3DXQUATERNION(0, 0, 0, 1)));
}

TEST(D3DXMathQuaternion, YawPitchRollMatchesTheMatrix) {
    const float angles[][3] = {{kPi / 2, 0, 0}, {0, kPi / 2, 0}, {0, 0, kPi / 2}, {0.3f, -1.1f, 2.0f}, {2.5f, 0.7f, -0.4f}};
    for (const auto& a : angles) {
        SCOPED_TRACE(testing::Message() << "yaw " << a[0] << " pitch " << a[1] << " roll " << a[2]);
        D3DXQUATERNION q;
        EXPECT_EQ(D3DXQuaternionRotationYawPitchRoll(&q, a[0], a[1], a[2]), &q);
        D3DXMATRIX m;
        D3DXMatrixRotationYawPitchRoll(&m, a[0], a[1], a[2]);
        EXPECT_TRUE(MatrixNear(MatrixOf(q), m));
    }
}

TEST(D3DXMathQuaternion, SlerpFollowsTheShorterArc) {
    const D3DXQUATERNION start(0, 0, 0, 1);
    const D3DXQUATERNION quarter = AxisAngle(D3DXVECTOR3(0, 0, 1), kPi / 2);
    struct Case {
        const char* name;
        D3DXQUATERNION to;
        float t;
        D3DXQUATERNION expected;
    } const cases[] = {
        {"start", quarter, 0, start},
        {"end", quarter, 1, quarter},
        {"midpoint: an eighth turn", quarter, 0.5f, D3DXQUATERNION(0, 0, std::sin(kPi / 8), std::cos(kPi / 8))},
        {"a quarter of the way", quarter, 0.25f, D3DXQUATERNION(0, 0, std::sin(kPi / 16), std::cos(kPi / 16))},
        // -quarter is the same rotation; the shorter way to it passes the
        // same midpoint, not the three-eighths turn the other way round.
        {"negated end", -quarter, 0.5f, D3DXQUATERNION(0, 0, std::sin(kPi / 8), std::cos(kPi / 8))},
        {"almost equal ends", AxisAngle(D3DXVECTOR3(0, 0, 1), 1e-4f), 0.5f,
         AxisAngle(D3DXVECTOR3(0, 0, 1), 0.5e-4f)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        D3DXQUATERNION out;
        EXPECT_EQ(D3DXQuaternionSlerp(&out, &start, &c.to, c.t), &out);
        EXPECT_TRUE(SameRotation(out, c.expected));
        EXPECT_NEAR(D3DXQuaternionLength(&out), 1.0f, 1e-5f) << "stays on the unit sphere";
    }
}

}  // namespace
