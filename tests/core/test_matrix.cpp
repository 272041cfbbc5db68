// Host matrix utilities: composition order, point and direction transforms,
// the rigid inverse and its degenerate case.

#include <ZEPenginedll.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

constexpr float kHalfPi = 1.57079632679f;

D3DMATRIX filled(float value) {
    D3DMATRIX m;
    for (auto& row : m.m)
        for (float& e : row) e = value;
    return m;
}

void expectNear(const D3DVECTOR& v, float x, float y, float z) {
    EXPECT_NEAR(v.x, x, 1e-5f);
    EXPECT_NEAR(v.y, y, 1e-5f);
    EXPECT_NEAR(v.z, z, 1e-5f);
}

void expectMatrixNear(const D3DMATRIX& a, const D3DMATRIX& b, float tolerance = 1e-5f) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_NEAR(a.m[r][c], b.m[r][c], tolerance) << "element " << r + 1 << c + 1;
}

struct PointCase {
    const char* name;
    float ax, ay, az, tx, ty, tz;  // ZEP_matrix4x4 arguments
    D3DVECTOR in;
    D3DVECTOR point;      // expected ZEP_mattrans4x4
    D3DVECTOR direction;  // expected ZEP_matrot4x4
};

const PointCase kPointCases[] = {
    {"translation only", 0, 0, 0, 1, 2, 3, {0, 0, 0}, {1, 2, 3}, {0, 0, 0}},
    {"quarter turn about x", kHalfPi, 0, 0, 0, 0, 0, {0, 1, 0}, {0, 0, 1}, {0, 0, 1}},
    {"quarter turn about y", 0, kHalfPi, 0, 0, 0, 0, {1, 0, 0}, {0, 0, -1}, {0, 0, -1}},
    {"quarter turn about z", 0, 0, kHalfPi, 0, 0, 0, {1, 0, 0}, {0, 1, 0}, {0, 1, 0}},
    // x is applied before z: y -> z by x, and z stays z under a turn about z.
    {"x before z, then translate", kHalfPi, 0, kHalfPi, 5, 0, 0, {0, 1, 0}, {5, 0, 1}, {0, 0, 1}},
    // x before y: y -> z by x, then z -> x by y.
    {"x before y", kHalfPi, kHalfPi, 0, 0, 0, 10, {0, 1, 0}, {1, 0, 10}, {1, 0, 0}},
};

}  // namespace

TEST(Matrix, RotationTranslationMapsPointsAndDirections) {
    for (const PointCase& c : kPointCases) {
        SCOPED_TRACE(c.name);
        D3DMATRIX m = filled(7.0f);
        EXPECT_EQ(ZEP_matrix4x4(&m, c.ax, c.ay, c.az, c.tx, c.ty, c.tz), &m);
        EXPECT_EQ(m._14, 0.0f);
        EXPECT_EQ(m._24, 0.0f);
        EXPECT_EQ(m._34, 0.0f);
        EXPECT_EQ(m._44, 1.0f);
        D3DVECTOR out;
        ZEP_mattrans4x4(&m, c.in.x, c.in.y, c.in.z, &out);
        expectNear(out, c.point.x, c.point.y, c.point.z);
        ZEP_matrot4x4(&m, c.in.x, c.in.y, c.in.z, &out);
        expectNear(out, c.direction.x, c.direction.y, c.direction.z);
    }
}

TEST(Matrix, ZeroAnglesGiveIdentityRotation) {
    D3DMATRIX m;
    ZEP_matrix4x4(&m, 0, 0, 0, 1, 2, 3);
    const D3DMATRIX expected = {{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 2, 3, 1}}};
    expectMatrixNear(m, expected, 0.0f);
}

TEST(Matrix, SetMatrixTakesTranslationBeforeScale) {
    D3DMATRIX m = filled(9.0f);
    EXPECT_EQ(ZEP_setmatrix4x4(&m, 1, 2, 3, 4, 5, 6), &m);
    const D3DMATRIX expected = {{{4, 0, 0, 0, 0, 5, 0, 0, 0, 0, 6, 0, 1, 2, 3, 1}}};
    expectMatrixNear(m, expected, 0.0f);
}

TEST(Matrix, ScaleMultipliesColumnsAndLeavesTranslationAlone) {
    D3DMATRIX m;
    for (int i = 0; i < 16; ++i) m.m[i / 4][i % 4] = float(i + 1);
    const D3DMATRIX before = m;
    EXPECT_EQ(ZEP_matscale4x4(&m, 2, 3, 4), &m);
    for (int r = 0; r < 3; ++r) {
        EXPECT_EQ(m.m[r][0], before.m[r][0] * 2);
        EXPECT_EQ(m.m[r][1], before.m[r][1] * 3);
        EXPECT_EQ(m.m[r][2], before.m[r][2] * 4);
        EXPECT_EQ(m.m[r][3], before.m[r][3]);
    }
    for (int c = 0; c < 4; ++c) EXPECT_EQ(m.m[3][c], before.m[3][c]);
}

TEST(Matrix, MultiplyComposesLeftThenRight) {
    D3DMATRIX turn, move, product;
    ZEP_matrix4x4(&turn, 0, 0, kHalfPi, 0, 0, 0);
    ZEP_matrix4x4(&move, 0, 0, 0, 10, 0, 0);
    ZEP_matmul4x4(&turn, &move, &product);  // turn first, then move
    D3DVECTOR out;
    ZEP_mattrans4x4(&product, 1, 0, 0, &out);
    expectNear(out, 10, 1, 0);

    // Writing the product over a factor still gives the product.
    D3DMATRIX inPlace = turn;
    ZEP_matmul4x4(&inPlace, &move, &inPlace);
    expectMatrixNear(inPlace, product);
}

TEST(Matrix, CopyCopiesAllSixteen) {
    D3DMATRIX src, dst = filled(0);
    for (int i = 0; i < 16; ++i) src.m[i / 4][i % 4] = float(i) - 3.5f;
    ZEP_matcpy4x4(&dst, &src);
    EXPECT_EQ(std::memcmp(&dst, &src, sizeof src), 0);
}

TEST(Matrix, InverseOfScaledRotationWithTranslation) {
    D3DMATRIX src, inv = filled(42.0f), product;
    ZEP_matrix4x4(&src, 0.3f, -1.1f, 2.0f, 4, -5, 6);
    ZEP_matscale4x4(&src, 2.5f, 2.5f, 2.5f);
    ZEP_matinv4x4(&src, &inv);
    EXPECT_EQ(inv._44, 42.0f) << "_44 belongs to the caller";
    EXPECT_NEAR(inv._14, 0.0f, 1e-6f);
    EXPECT_NEAR(inv._24, 0.0f, 1e-6f);
    EXPECT_NEAR(inv._34, 0.0f, 1e-6f);
    inv._44 = 1.0f;
    ZEP_matmul4x4(&src, &inv, &product);
    const D3DMATRIX identity = {{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}}};
    expectMatrixNear(product, identity, 1e-5f);
}

TEST(Matrix, InverseWithZeroRowIsZero) {
    for (int zeroRow = 0; zeroRow < 3; ++zeroRow) {
        SCOPED_TRACE(zeroRow);
        D3DMATRIX src, inv = filled(42.0f);
        ZEP_matrix4x4(&src, 0.5f, 0.25f, 0.125f, 1, 2, 3);
        src.m[zeroRow][0] = src.m[zeroRow][1] = src.m[zeroRow][2] = 0.0f;
        ZEP_matinv4x4(&src, &inv);
        expectMatrixNear(inv, filled(0.0f), 0.0f);
    }
}
