// D3DX vectors, planes, colours, picking and the C++ types. Values worked
// out by hand; the matrix and quaternion tests are in test_math_matrix.cpp
// and test_math_quaternion.cpp.

#include <d3dx8math.h>

#include "test_math_util.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <type_traits>

namespace {

using zep_test::FloatsNear;
using zep_test::VectorNear;

// ---- The types -------------------------------------------------------------------

// Vertex and constant buffers are filled with these types, so they must be
// exactly their floats, in order.
static_assert(sizeof(D3DXVECTOR2) == 8 && sizeof(D3DXVECTOR3) == 12 && sizeof(D3DXVECTOR4) == 16);
static_assert(sizeof(D3DXMATRIX) == 64 && sizeof(D3DXQUATERNION) == 16);
static_assert(sizeof(D3DXPLANE) == 16 && sizeof(D3DXCOLOR) == 16);
static_assert(std::is_standard_layout_v<D3DXVECTOR3> && std::is_trivially_copyable_v<D3DXVECTOR3>);
static_assert(std::is_standard_layout_v<D3DXMATRIX> && std::is_trivially_copyable_v<D3DXMATRIX>);
static_assert(std::is_standard_layout_v<D3DXCOLOR> && std::is_trivially_copyable_v<D3DXCOLOR>);
static_assert(std::is_base_of_v<D3DVECTOR, D3DXVECTOR3> && std::is_base_of_v<D3DMATRIX, D3DXMATRIX>);

TEST(D3DXMathTypes, MatrixIndexingAndFloatViews) {
    D3DXMATRIX m(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
    EXPECT_EQ(m(0, 1), 2.0f);   // row, column from 0
    EXPECT_EQ(m(3, 0), 13.0f);  // the translation row
    m(3, 2) = -1;
    EXPECT_EQ(m._43, -1.0f);
    const float* f = m;
    EXPECT_EQ(f[4], 5.0f);      // row after row
    EXPECT_TRUE(D3DXMATRIX(f) == m);

    const D3DVECTOR plain = {1, 2, 3};
    const D3DXVECTOR3 v(plain);
    EXPECT_TRUE(v == D3DXVECTOR3(1, 2, 3));
    EXPECT_TRUE(2.0f * v - D3DXVECTOR3(1, 1, 1) == D3DXVECTOR3(1, 3, 5));
    EXPECT_TRUE(-v != v);

    EXPECT_FLOAT_EQ(D3DXToRadian(180.0f), D3DX_PI);
    EXPECT_FLOAT_EQ(D3DXToDegree(D3DX_PI / 2), 90.0f);
}

TEST(D3DXMathTypes, ColourConvertsToAndFromARGB) {
    // Channels clamp to 0..1 and round to the nearest byte.
    struct Case {
        D3DXCOLOR colour;
        DWORD argb;
    } const toDword[] = {
        {{1.5f, 0.5f, -1.0f, 1.0f}, 0xFFFF8000u},
        {{0.0f, 1.0f, 0.2f, 0.0f}, 0x0000FF33u},
        {{1.0f / 255 * 0.49f, 1.0f / 255 * 0.51f, 0.999f, 0.5f}, 0x800001FFu},
    };
    for (const Case& c : toDword) EXPECT_EQ((DWORD)c.colour, c.argb) << std::hex << c.argb;

    const D3DXCOLOR fromDword(0x80FF0040u);
    EXPECT_FLOAT_EQ(fromDword.a, 128.0f / 255);
    EXPECT_FLOAT_EQ(fromDword.r, 1.0f);
    EXPECT_FLOAT_EQ(fromDword.g, 0.0f);
    EXPECT_FLOAT_EQ(fromDword.b, 64.0f / 255);
    EXPECT_EQ((DWORD)fromDword, 0x80FF0040u);

    const D3DCOLORVALUE& value = fromDword;
    EXPECT_EQ(value.b, fromDword.b);
}

// ---- Vectors -------------------------------------------------------------------

TEST(D3DXMathVector, BaryCentricWeighsTheCorners) {
    const D3DXVECTOR2 v1(1, 1), v2(5, 1), v3(1, 9);
    struct Case {
        float f, g;
        D3DXVECTOR2 expected;
    } const cases[] = {
        {0, 0, {1, 1}}, {1, 0, {5, 1}}, {0, 1, {1, 9}},
        {0.25f, 0.5f, {2, 5}}, {0.5f, 0.5f, {3, 5}},
        {-1, 0, {-3, 1}},  // outside the triangle: extrapolated
    };
    for (const Case& c : cases) {
        D3DXVECTOR2 out;
        EXPECT_EQ(D3DXVec2BaryCentric(&out, &v1, &v2, &v3, c.f, c.g), &out);
        EXPECT_TRUE(FloatsNear(out, c.expected, 2, 1e-6f)) << "f " << c.f << " g " << c.g;
    }

    const D3DXVECTOR3 a(1, 1, 1), b(5, 1, 3), c(1, 9, -1);
    D3DXVECTOR3 out;
    EXPECT_TRUE(VectorNear(*D3DXVec3BaryCentric(&out, &a, &b, &c, 0.25f, 0.5f), D3DXVECTOR3(2, 5, 0.5f)));
}

TEST(D3DXMathVector, TransformsAsPointNormalAndHomogeneous) {
    // (x, y, z, 1) M = (2x + 1, 3y + 2, 4z + 3, z + 2)
    const D3DXMATRIX m(2, 0, 0, 0,
                       0, 3, 0, 0,
                       0, 0, 4, 1,
                       1, 2, 3, 2);
    const D3DXVECTOR3 p(1, 1, 2);

    D3DXVECTOR4 h;
    EXPECT_EQ(D3DXVec3Transform(&h, &p, &m), &h);
    EXPECT_TRUE(FloatsNear(h, D3DXVECTOR4(3, 5, 11, 4), 4, 0));
    D3DXVECTOR3 out;
    EXPECT_TRUE(VectorNear(*D3DXVec3TransformCoord(&out, &p, &m), D3DXVECTOR3(0.75f, 1.25f, 2.75f)));
    EXPECT_TRUE(VectorNear(*D3DXVec3TransformNormal(&out, &p, &m), D3DXVECTOR3(2, 3, 8)));  // no translation, no w

    out = p;
    D3DXVec3TransformCoord(&out, &out, &m);
    EXPECT_TRUE(VectorNear(out, D3DXVECTOR3(0.75f, 1.25f, 2.75f))) << "in place";

    const D3DXVECTOR4 p4(1, 1, 2, 0);
    EXPECT_TRUE(FloatsNear(*D3DXVec4Transform(&h, &p4, &m), D3DXVECTOR4(2, 3, 8, 2), 4, 0));

    const D3DXVECTOR2 q(1, 1);
    D3DXVECTOR2 q2;
    EXPECT_TRUE(FloatsNear(*D3DXVec2Transform(&h, &q, &m), D3DXVECTOR4(3, 5, 3, 2), 4, 0));
    EXPECT_TRUE(FloatsNear(*D3DXVec2TransformCoord(&q2, &q, &m), D3DXVECTOR2(1.5f, 2.5f), 2, 0));
    EXPECT_TRUE(FloatsNear(*D3DXVec2TransformNormal(&q2, &q, &m), D3DXVECTOR2(2, 3), 2, 0));
}

TEST(D3DXMathVector, Basics) {
    const D3DXVECTOR3 x(1, 0, 0), y(0, 1, 0), a(3, -4, 0), b(-1, 2, 5);
    D3DXVECTOR3 out;
    EXPECT_TRUE(VectorNear(*D3DXVec3Cross(&out, &x, &y), D3DXVECTOR3(0, 0, 1)));
    EXPECT_TRUE(VectorNear(*D3DXVec3Cross(&out, &a, &b), D3DXVECTOR3(-20, -15, 2)));
    EXPECT_FLOAT_EQ(D3DXVec3Dot(&a, &b), -11);
    EXPECT_FLOAT_EQ(D3DXVec3Length(&a), 5);
    EXPECT_FLOAT_EQ(D3DXVec3LengthSq(&b), 30);
    EXPECT_TRUE(VectorNear(*D3DXVec3Normalize(&out, &a), D3DXVECTOR3(0.6f, -0.8f, 0)));
    const D3DXVECTOR3 zero(0, 0, 0);
    EXPECT_TRUE(VectorNear(*D3DXVec3Normalize(&out, &zero), zero)) << "no NaNs from a zero vector";
    EXPECT_TRUE(VectorNear(*D3DXVec3Lerp(&out, &a, &b, 0.25f), D3DXVECTOR3(2, -2.5f, 1.25f)));
    EXPECT_TRUE(VectorNear(*D3DXVec3Minimize(&out, &a, &b), D3DXVECTOR3(-1, -4, 0)));
    EXPECT_TRUE(VectorNear(*D3DXVec3Maximize(&out, &a, &b), D3DXVECTOR3(3, 2, 5)));
    EXPECT_TRUE(VectorNear(*D3DXVec3Subtract(&out, &a, &b), D3DXVECTOR3(4, -6, -5)));
    EXPECT_TRUE(VectorNear(*D3DXVec3Scale(&out, &b, -2), D3DXVECTOR3(2, -4, -10)));

    out = a;
    D3DXVec3Cross(&out, &out, &b);
    EXPECT_TRUE(VectorNear(out, D3DXVECTOR3(-20, -15, 2))) << "cross in place";

    const D3DXVECTOR2 u(1, 0), v(0, 1), w(3, 4);
    EXPECT_FLOAT_EQ(D3DXVec2CCW(&u, &v), 1);
    EXPECT_FLOAT_EQ(D3DXVec2CCW(&v, &u), -1);
    EXPECT_FLOAT_EQ(D3DXVec2Length(&w), 5);
    D3DXVECTOR2 out2;
    EXPECT_TRUE(FloatsNear(*D3DXVec2Normalize(&out2, &w), D3DXVECTOR2(0.6f, 0.8f), 2, 1e-6f));

    const D3DXVECTOR4 p(1, 2, 2, 4);
    D3DXVECTOR4 out4;
    EXPECT_FLOAT_EQ(D3DXVec4Length(&p), 5);
    EXPECT_TRUE(FloatsNear(*D3DXVec4Normalize(&out4, &p), D3DXVECTOR4(0.2f, 0.4f, 0.4f, 0.8f), 4, 1e-6f));
}

// ---- Planes --------------------------------------------------------------------

TEST(D3DXMathPlane, BuildMeasureAndIntersect) {
    const D3DXVECTOR3 p1(0, 0, 1), p2(2, 0, 1), p3(0, 3, 1);
    D3DXPLANE plane;
    EXPECT_EQ(D3DXPlaneFromPoints(&plane, &p1, &p2, &p3), &plane);
    EXPECT_TRUE(FloatsNear(plane, D3DXPLANE(0, 0, 1, -1), 4, 1e-6f)) << "unit normal (p2 - p1) x (p3 - p1)";
    D3DXPLANE flipped;
    D3DXPlaneFromPoints(&flipped, &p1, &p3, &p2);
    EXPECT_TRUE(FloatsNear(flipped, D3DXPLANE(0, 0, -1, 1), 4, 1e-6f)) << "the winding picks the side";

    const D3DXVECTOR3 above(5, 5, 3);
    EXPECT_FLOAT_EQ(D3DXPlaneDotCoord(&plane, &above), 2);
    EXPECT_FLOAT_EQ(D3DXPlaneDotNormal(&plane, &above), 3);
    const D3DXVECTOR4 direction(5, 5, 3, 0);
    EXPECT_FLOAT_EQ(D3DXPlaneDot(&plane, &direction), 3);

    const D3DXVECTOR3 normal(0, 0, 2);
    D3DXPLANE long_normal;
    EXPECT_TRUE(FloatsNear(*D3DXPlaneFromPointNormal(&long_normal, &p1, &normal), D3DXPLANE(0, 0, 2, -2), 4, 0));
    EXPECT_TRUE(FloatsNear(*D3DXPlaneNormalize(&long_normal, &long_normal), plane, 4, 1e-6f));

    struct Case {
        const char* name;
        D3DXVECTOR3 from, to;
        bool meets;
        D3DXVECTOR3 at;
    } const lines[] = {
        {"segment crossing", {1, 2, 0}, {1, 2, 4}, true, {1, 2, 1}},
        {"the line, not only the segment", {0, 0, 3}, {0, 0, 5}, true, {0, 0, 1}},
        {"slanted", {0, 0, 0}, {2, 4, 2}, true, {1, 2, 1}},
        {"parallel", {0, 0, 0}, {1, 0, 0}, false, {}},
        {"inside the plane", {0, 0, 1}, {1, 1, 1}, false, {}},
    };
    for (const Case& c : lines) {
        SCOPED_TRACE(c.name);
        D3DXVECTOR3 out(7, 7, 7);
        D3DXVECTOR3* result = D3DXPlaneIntersectLine(&out, &plane, &c.from, &c.to);
        if (c.meets) {
            EXPECT_EQ(result, &out);
            EXPECT_TRUE(VectorNear(out, c.at));
        } else {
            EXPECT_EQ(result, nullptr);
            EXPECT_TRUE(out == D3DXVECTOR3(7, 7, 7));
        }
    }

    // Moving the plane z = 1 up by 2 takes the inverse transpose of the move.
    D3DXMATRIX move, inverseTranspose;
    D3DXMatrixTranslation(&move, 0, 0, 2);
    D3DXMatrixInverse(&inverseTranspose, nullptr, &move);
    D3DXMatrixTranspose(&inverseTranspose, &inverseTranspose);
    D3DXPLANE moved;
    EXPECT_TRUE(FloatsNear(*D3DXPlaneTransform(&moved, &plane, &inverseTranspose), D3DXPLANE(0, 0, 1, -3), 4, 1e-6f));
}

// ---- Colours -------------------------------------------------------------------

TEST(D3DXMathColour, ChannelArithmetic) {
    const D3DXCOLOR black(0, 0, 0, 0), tint(1, 0.5f, 0.25f, 1), grey(0.5f, 0.5f, 0.5f, 0.5f);
    D3DXCOLOR out;
    EXPECT_EQ(D3DXColorLerp(&out, &black, &tint, 0.5f), &out);
    EXPECT_TRUE(FloatsNear(out, D3DXCOLOR(0.5f, 0.25f, 0.125f, 0.5f), 4, 0)) << "alpha blends too";
    EXPECT_TRUE(FloatsNear(*D3DXColorNegative(&out, &tint), D3DXCOLOR(0, 0.5f, 0.75f, 1), 4, 0)) << "alpha kept";
    EXPECT_TRUE(FloatsNear(*D3DXColorModulate(&out, &tint, &grey), D3DXCOLOR(0.5f, 0.25f, 0.125f, 0.5f), 4, 0));
    EXPECT_TRUE(FloatsNear(*D3DXColorAdd(&out, &tint, &grey), D3DXCOLOR(1.5f, 1, 0.75f, 1.5f), 4, 0));
    EXPECT_TRUE(FloatsNear(*D3DXColorSubtract(&out, &tint, &grey), D3DXCOLOR(0.5f, 0, -0.25f, 0.5f), 4, 0));
    EXPECT_TRUE(FloatsNear(*D3DXColorScale(&out, &tint, 2), D3DXCOLOR(2, 1, 0.5f, 2), 4, 0));
}

// ---- Picking -------------------------------------------------------------------

TEST(D3DXMathPicking, IntersectTri) {
    const D3DXVECTOR3 flat[3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};     // in z = 0
    const D3DXVECTOR3 upright[3] = {{1, 1, 1}, {3, 1, 1}, {1, 1, 5}};  // in y = 1
    struct Case {
        const char* name;
        const D3DXVECTOR3* tri;
        D3DXVECTOR3 pos, dir;
        bool hit;
        float u, v, dist;
    } const cases[] = {
        {"front", flat, {0.25f, 0.5f, -2}, {0, 0, 2}, true, 0.25f, 0.5f, 1},  // distance in lengths of dir
        {"unit direction", flat, {0.25f, 0.5f, -2}, {0, 0, 1}, true, 0.25f, 0.5f, 2},
        {"back face", flat, {0.25f, 0.5f, 2}, {0, 0, -1}, true, 0.25f, 0.5f, 2},
        {"oblique", flat, {0, 0, -1}, {0.25f, 0.25f, 1}, true, 0.25f, 0.25f, 1},
        {"on the long edge", flat, {0.5f, 0.5f, -1}, {0, 0, 1}, true, 0.5f, 0.5f, 1},
        {"starting on the triangle", flat, {0.25f, 0.25f, 0}, {0, 0, 1}, true, 0.25f, 0.25f, 0},
        {"other plane", upright, {1.5f, 5, 2}, {0, -2, 0}, true, 0.25f, 0.25f, 2},
        {"beyond the long edge", flat, {0.75f, 0.75f, -1}, {0, 0, 1}, false, 0, 0, 0},
        {"beside the v edge", flat, {-0.1f, 0.5f, -1}, {0, 0, 1}, false, 0, 0, 0},
        {"below the u edge", flat, {0.5f, -0.1f, -1}, {0, 0, 1}, false, 0, 0, 0},
        {"triangle behind the ray", flat, {0.25f, 0.5f, 1}, {0, 0, 1}, false, 0, 0, 0},
        {"parallel ray", flat, {0.25f, 0.25f, -1}, {1, 0, 0}, false, 0, 0, 0},
        {"ray in the triangle's plane", flat, {-1, 0.25f, 0}, {1, 0, 0}, false, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        float u = -7, v = -7, dist = -7;
        const BOOL hit = D3DXIntersectTri(&c.tri[0], &c.tri[1], &c.tri[2], &c.pos, &c.dir, &u, &v, &dist);
        EXPECT_EQ(hit, c.hit ? TRUE : FALSE);
        if (c.hit) {
            EXPECT_NEAR(u, c.u, 1e-6f);
            EXPECT_NEAR(v, c.v, 1e-6f);
            EXPECT_NEAR(dist, c.dist, 1e-6f);
            EXPECT_TRUE(D3DXIntersectTri(&c.tri[0], &c.tri[1], &c.tri[2], &c.pos, &c.dir, nullptr, nullptr, nullptr))
                << "outputs are optional";
        } else {
            EXPECT_EQ(u, -7.0f) << "outputs untouched on a miss";
            EXPECT_EQ(v, -7.0f);
            EXPECT_EQ(dist, -7.0f);
        }
    }
}

}  // namespace
