// D3DX matrices: projection and view layouts element by element, rotation
// directions and composition order, inverses, and projecting points to the
// screen and back. Expected values are worked out by hand from the
// Direct3D conventions (row vectors, depth 0..1).

#include <d3dx8math.h>

#include "test_math_util.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

namespace {

using zep_test::Apply;
using zep_test::MatrixNear;
using zep_test::VectorNear;

const float kPi = 3.14159265f;
const float kSqrt3 = 1.7320508f;

D3DXMATRIX Built(const std::function<D3DXMATRIX*(D3DXMATRIX*)>& build) {
    D3DXMATRIX m;
    EXPECT_EQ(build(&m), &m) << "returns its output";
    return m;
}

// ---- Projections --------------------------------------------------------------

struct ProjectionCase {
    const char* name;
    std::function<D3DXMATRIX*(D3DXMATRIX*)> build;
    D3DXMATRIX expected;
    bool checkCorners;            // false when the near plane sits at the eye
    D3DXVECTOR3 nearTopRight;     // view-space corner that must reach (1, 1, 0)
    D3DXVECTOR3 farBottomLeft;    // and the one that must reach (-1, -1, 1)
};

const ProjectionCase kProjections[] = {
    {"FovLH 90deg aspect 2 near 1 far 11",
     [](D3DXMATRIX* m) { return D3DXMatrixPerspectiveFovLH(m, kPi / 2, 2, 1, 11); },
     D3DXMATRIX(0.5f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1.1f, 1, 0, 0, -1.1f, 0),
     true, {2, 1, 1}, {-22, -11, 11}},
    {"FovRH 90deg aspect 2 near 1 far 11",
     [](D3DXMATRIX* m) { return D3DXMatrixPerspectiveFovRH(m, kPi / 2, 2, 1, 11); },
     D3DXMATRIX(0.5f, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1.1f, -1, 0, 0, -1.1f, 0),
     true, {2, 1, -1}, {-22, -11, -11}},
    // The engine's default camera puts the near plane at 0: z then keeps no
    // offset at all.
    {"FovLH 60deg near 0",
     [](D3DXMATRIX* m) { return D3DXMatrixPerspectiveFovLH(m, kPi / 3, 1, 0, 10000); },
     D3DXMATRIX(kSqrt3, 0, 0, 0, 0, kSqrt3, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0),
     false, {}, {}},
    {"PerspectiveLH 2x4 near 1 far 3",
     [](D3DXMATRIX* m) { return D3DXMatrixPerspectiveLH(m, 2, 4, 1, 3); },
     D3DXMATRIX(1, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, 1.5f, 1, 0, 0, -1.5f, 0),
     true, {1, 2, 1}, {-3, -6, 3}},
    {"PerspectiveRH 2x4 near 1 far 3",
     [](D3DXMATRIX* m) { return D3DXMatrixPerspectiveRH(m, 2, 4, 1, 3); },
     D3DXMATRIX(1, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, -1.5f, -1, 0, 0, -1.5f, 0),
     true, {1, 2, -1}, {-3, -6, -3}},
    {"PerspectiveOffCenterLH 0..2 x 0..1",
     [](D3DXMATRIX* m) { return D3DXMatrixPerspectiveOffCenterLH(m, 0, 2, 0, 1, 1, 11); },
     D3DXMATRIX(1, 0, 0, 0, 0, 2, 0, 0, -1, -1, 1.1f, 1, 0, 0, -1.1f, 0),
     true, {2, 1, 1}, {0, 0, 11}},
    {"PerspectiveOffCenterRH 0..2 x 0..1",
     [](D3DXMATRIX* m) { return D3DXMatrixPerspectiveOffCenterRH(m, 0, 2, 0, 1, 1, 11); },
     D3DXMATRIX(1, 0, 0, 0, 0, 2, 0, 0, 1, 1, -1.1f, -1, 0, 0, -1.1f, 0),
     true, {2, 1, -1}, {0, 0, -11}},
    {"OrthoLH 4x2 near 1 far 5",
     [](D3DXMATRIX* m) { return D3DXMatrixOrthoLH(m, 4, 2, 1, 5); },
     D3DXMATRIX(0.5f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0.25f, 0, 0, 0, -0.25f, 1),
     true, {2, 1, 1}, {-2, -1, 5}},
    {"OrthoRH 4x2 near 1 far 5",
     [](D3DXMATRIX* m) { return D3DXMatrixOrthoRH(m, 4, 2, 1, 5); },
     D3DXMATRIX(0.5f, 0, 0, 0, 0, 1, 0, 0, 0, 0, -0.25f, 0, 0, 0, -0.25f, 1),
     true, {2, 1, -1}, {-2, -1, -5}},
    {"OrthoOffCenterLH 0..4 x 0..2",
     [](D3DXMATRIX* m) { return D3DXMatrixOrthoOffCenterLH(m, 0, 4, 0, 2, 1, 5); },
     D3DXMATRIX(0.5f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0.25f, 0, -1, -1, -0.25f, 1),
     true, {4, 2, 1}, {0, 0, 5}},
    {"OrthoOffCenterRH 0..4 x 0..2",
     [](D3DXMATRIX* m) { return D3DXMatrixOrthoOffCenterRH(m, 0, 4, 0, 2, 1, 5); },
     D3DXMATRIX(0.5f, 0, 0, 0, 0, 1, 0, 0, 0, 0, -0.25f, 0, -1, -1, -0.25f, 1),
     true, {4, 2, -1}, {0, 0, -5}},
};

TEST(D3DXMathMatrix, ProjectionLayouts) {
    for (const ProjectionCase& c : kProjections) {
        SCOPED_TRACE(c.name);
        const D3DXMATRIX m = Built(c.build);
        EXPECT_TRUE(MatrixNear(m, c.expected));
        if (c.checkCorners) {
            EXPECT_TRUE(VectorNear(Apply(m, c.nearTopRight), D3DXVECTOR3(1, 1, 0)));
            EXPECT_TRUE(VectorNear(Apply(m, c.farBottomLeft), D3DXVECTOR3(-1, -1, 1)));
        }
    }
}

// ---- Views -------------------------------------------------------------------

TEST(D3DXMathMatrix, LookAtLayouts) {
    // Eye (2, 3, 4) looking along +x with y up. Left-handed: forward is +z,
    // so the world's -z is on the right. Right-handed: forward is -z.
    const D3DXVECTOR3 eye(2, 3, 4), at(3, 3, 4);
    struct Case {
        const char* name;
        bool leftHanded;
        D3DXVECTOR3 up;
        D3DXMATRIX expected;
    } const cases[] = {
        {"LH", true, {0, 1, 0}, D3DXMATRIX(0, 0, 1, 0, 0, 1, 0, 0, -1, 0, 0, 0, 4, -3, -2, 1)},
        // up only has to lean the right way: its part along the view
        // direction and its length do not matter.
        {"LH, slanted long up", true, {3, 3, 0}, D3DXMATRIX(0, 0, 1, 0, 0, 1, 0, 0, -1, 0, 0, 0, 4, -3, -2, 1)},
        {"RH", false, {0, 1, 0}, D3DXMATRIX(0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, -4, -3, 2, 1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        D3DXMATRIX m;
        if (c.leftHanded)
            EXPECT_EQ(D3DXMatrixLookAtLH(&m, &eye, &at, &c.up), &m);
        else
            EXPECT_EQ(D3DXMatrixLookAtRH(&m, &eye, &at, &c.up), &m);
        EXPECT_TRUE(MatrixNear(m, c.expected));
        EXPECT_TRUE(VectorNear(Apply(m, eye), D3DXVECTOR3(0, 0, 0)));
        EXPECT_TRUE(VectorNear(Apply(m, at), D3DXVECTOR3(0, 0, c.leftHanded ? 1.0f : -1.0f)));
    }
}

// ---- Transforms ----------------------------------------------------------------

TEST(D3DXMathMatrix, TransformsMovePointsTheDirect3DWay) {
    struct Case {
        const char* name;
        std::function<D3DXMATRIX*(D3DXMATRIX*)> build;
        D3DXVECTOR3 point;
        D3DXVECTOR3 expected;
    } const cases[] = {
        {"RotationX turns y to z", [](D3DXMATRIX* m) { return D3DXMatrixRotationX(m, kPi / 2); }, {0, 1, 0}, {0, 0, 1}},
        {"RotationY turns z to x", [](D3DXMATRIX* m) { return D3DXMatrixRotationY(m, kPi / 2); }, {0, 0, 1}, {1, 0, 0}},
        {"RotationZ turns x to y", [](D3DXMATRIX* m) { return D3DXMatrixRotationZ(m, kPi / 2); }, {1, 0, 0}, {0, 1, 0}},
        {"RotationZ by -90deg", [](D3DXMATRIX* m) { return D3DXMatrixRotationZ(m, -kPi / 2); }, {1, 0, 0}, {0, -1, 0}},
        {"RotationAxis with a long z axis",
         [](D3DXMATRIX* m) { const D3DXVECTOR3 axis(0, 0, 2); return D3DXMatrixRotationAxis(m, &axis, kPi / 2); },
         {1, 0, 0}, {0, 1, 0}},
        {"RotationAxis (1,1,1) by 120deg cycles the axes",
         [](D3DXMATRIX* m) { const D3DXVECTOR3 axis(1, 1, 1); return D3DXMatrixRotationAxis(m, &axis, 2 * kPi / 3); },
         {1, 0, 0}, {0, 1, 0}},
        {"Scaling", [](D3DXMATRIX* m) { return D3DXMatrixScaling(m, 2, 3, 4); }, {1, 2, 3}, {2, 6, 12}},
        {"Translation", [](D3DXMATRIX* m) { return D3DXMatrixTranslation(m, 10, 20, 30); }, {1, 2, 3}, {11, 22, 33}},
        // Roll (z) first, then pitch (x), then yaw (y); any other order
        // sends these points elsewhere.
        {"YawPitchRoll: pitch before yaw",
         [](D3DXMATRIX* m) { return D3DXMatrixRotationYawPitchRoll(m, kPi / 2, kPi / 2, 0); }, {0, 1, 0}, {1, 0, 0}},
        {"YawPitchRoll: roll before pitch",
         [](D3DXMATRIX* m) { return D3DXMatrixRotationYawPitchRoll(m, 0, kPi / 2, kPi / 2); }, {1, 0, 0}, {0, 0, 1}},
        {"YawPitchRoll: all three",
         [](D3DXMATRIX* m) { return D3DXMatrixRotationYawPitchRoll(m, kPi / 2, kPi / 2, kPi / 2); }, {0, 0, 1}, {0, -1, 0}},
        {"YawPitchRoll: the engine's water yaw",
         [](D3DXMATRIX* m) { return D3DXMatrixRotationYawPitchRoll(m, kPi / 2, 0, 0); }, {0, 0, 1}, {1, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(VectorNear(Apply(Built(c.build), c.point), c.expected));
    }
}

TEST(D3DXMathMatrix, MultiplyAppliesTheLeftFactorFirst) {
    D3DXMATRIX t, r, tr;
    D3DXMatrixTranslation(&t, 1, 0, 0);
    D3DXMatrixRotationZ(&r, kPi / 2);
    EXPECT_EQ(D3DXMatrixMultiply(&tr, &t, &r), &tr);
    // Moved to (1, 0, 0) first, then turned onto the y axis.
    EXPECT_TRUE(VectorNear(Apply(tr, D3DXVECTOR3(0, 0, 0)), D3DXVECTOR3(0, 1, 0)));
    EXPECT_TRUE(MatrixNear(t * r, tr, 0));

    // Writing the product over a factor gives the product.
    D3DXMATRIX inPlace = t;
    D3DXMatrixMultiply(&inPlace, &inPlace, &r);
    EXPECT_TRUE(MatrixNear(inPlace, tr, 0));
    inPlace = r;
    D3DXMatrixMultiply(&inPlace, &t, &inPlace);
    EXPECT_TRUE(MatrixNear(inPlace, tr, 0));
    inPlace = t;
    inPlace *= r;
    EXPECT_TRUE(MatrixNear(inPlace, tr, 0));
}

TEST(D3DXMathMatrix, IdentityTransposeAndIsIdentity) {
    D3DXMATRIX m;
    EXPECT_EQ(D3DXMatrixIdentity(&m), &m);
    EXPECT_TRUE(D3DXMatrixIsIdentity(&m));
    for (int i = 0; i < 16; ++i) {
        D3DXMATRIX nearly = m;
        nearly.m[i / 4][i % 4] += 1e-6f;
        EXPECT_FALSE(D3DXMatrixIsIdentity(&nearly)) << "element " << i;
    }

    D3DXMATRIX counting(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
    EXPECT_EQ(D3DXMatrixTranspose(&counting, &counting), &counting);
    EXPECT_TRUE(MatrixNear(counting, D3DXMATRIX(1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15, 4, 8, 12, 16), 0));
}

// ---- Inverse and determinant ---------------------------------------------------

TEST(D3DXMathMatrix, InverseUndoesAffineAndProjectiveMatrices) {
    D3DXMATRIX s, r, t, affine, projection;
    const D3DXVECTOR3 axis(1, 2, 3);
    D3DXMatrixScaling(&s, 2, 3, 4);
    D3DXMatrixRotationAxis(&r, &axis, 0.7f);
    D3DXMatrixTranslation(&t, 5, -6, 7);
    affine = s * r * t;
    D3DXMatrixPerspectiveFovLH(&projection, kPi / 2, 2, 1, 11);

    struct Case {
        const char* name;
        D3DXMATRIX m;
        float determinant;
    } const cases[] = {
        {"scale, rotate, translate", affine, 24.0f},  // a rotation keeps volumes
        {"perspective", projection, 0.55f},           // 0.5 * 1 * (1.1 * 0 - 1 * -1.1)
        {"dense integers", D3DXMATRIX(2, 0, 1, 3, 1, 1, 0, 2, 0, 3, 1, 1, 1, 0, 2, 1), -1.0f},
    };
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_NEAR(D3DXMatrixDeterminant(&c.m), c.determinant, 1e-4f);
        D3DXMATRIX inverse;
        float determinant = 0;
        ASSERT_EQ(D3DXMatrixInverse(&inverse, &determinant, &c.m), &inverse);
        EXPECT_NEAR(determinant, c.determinant, 1e-4f);
        EXPECT_TRUE(MatrixNear(c.m * inverse, identity, 1e-5f));
        EXPECT_TRUE(MatrixNear(inverse * c.m, identity, 1e-5f));

        D3DXMATRIX inPlace = c.m;
        ASSERT_EQ(D3DXMatrixInverse(&inPlace, nullptr, &inPlace), &inPlace);
        EXPECT_TRUE(MatrixNear(inPlace, inverse, 0));
    }
}

TEST(D3DXMathMatrix, InverseOfSingularMatrixIsNull) {
    const D3DXMATRIX cases[] = {
        D3DXMATRIX(1, 2, 3, 4, 2, 4, 6, 8, 0, 1, 0, 1, 5, 6, 7, 9),  // second row is twice the first
        D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 4, 5, 6, 1),  // flattened onto z = 0
        D3DXMATRIX(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0),
    };
    for (const D3DXMATRIX& m : cases) {
        D3DXMATRIX out(9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9);
        const D3DXMATRIX before = out;
        float determinant = 42;
        EXPECT_EQ(D3DXMatrixInverse(&out, &determinant, &m), nullptr);
        EXPECT_EQ(determinant, 0.0f);
        EXPECT_TRUE(out == before) << "output left untouched";
        EXPECT_EQ(D3DXMatrixDeterminant(&m), 0.0f);
    }
}

// ---- Screen projection ----------------------------------------------------------

// A viewport away from the corner and with a narrowed depth range, so that
// every term of the mapping shows.
const D3DVIEWPORT8 kViewport = {10, 20, 640, 480, 0.25f, 0.75f};

TEST(D3DXMathMatrix, ProjectMapsClipSpaceOntoTheViewport) {
    struct Case {
        D3DXVECTOR3 clip;
        D3DXVECTOR3 screen;
    } const cases[] = {
        {{0, 0, 0.5f}, {330, 260, 0.5f}},   // centre, half depth
        {{1, 1, 1}, {650, 20, 0.75f}},      // top right, far: screen y grows downwards
        {{-1, -1, 0}, {10, 500, 0.25f}},    // bottom left, near
    };
    for (const Case& c : cases) {
        D3DXVECTOR3 out;
        // Null matrices count as identity.
        EXPECT_EQ(D3DXVec3Project(&out, &c.clip, &kViewport, nullptr, nullptr, nullptr), &out);
        EXPECT_TRUE(VectorNear(out, c.screen, 1e-4f));
        D3DXVECTOR3 back;
        EXPECT_EQ(D3DXVec3Unproject(&back, &c.screen, &kViewport, nullptr, nullptr, nullptr), &back);
        EXPECT_TRUE(VectorNear(back, c.clip, 1e-5f));
    }

    // Without a viewport the point stays in projection space.
    D3DXMATRIX world;
    D3DXMatrixTranslation(&world, 1, 0, 0);
    const D3DXVECTOR3 p(0.5f, 0.5f, 0.5f);
    D3DXVECTOR3 out;
    D3DXVec3Project(&out, &p, nullptr, nullptr, nullptr, &world);
    EXPECT_TRUE(VectorNear(out, D3DXVECTOR3(1.5f, 0.5f, 0.5f)));
}

TEST(D3DXMathMatrix, ProjectThenUnprojectRoundTrip) {
    D3DXMATRIX world, turn, view, projection;
    D3DXMatrixRotationY(&turn, 0.3f);
    D3DXMatrixTranslation(&world, 1, 2, 3);
    world = turn * world;
    const D3DXVECTOR3 eye(0, 2, -10), at(0, 0, 0), up(0, 1, 0);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&projection, kPi / 4, 4.0f / 3.0f, 1, 100);

    // The point looked at lands in the middle of the viewport.
    D3DXVECTOR3 centre;
    D3DXVec3Project(&centre, &at, &kViewport, &projection, &view, nullptr);
    EXPECT_NEAR(centre.x, 330, 1e-3f);
    EXPECT_NEAR(centre.y, 260, 1e-3f);
    EXPECT_GT(centre.z, 0.25f);
    EXPECT_LT(centre.z, 0.75f);

    const D3DXVECTOR3 points[] = {{0, 0, 0}, {-1, 0.5f, 2}, {3, -2, -4}, {0.25f, 4, 10}};
    for (const D3DXVECTOR3& p : points) {
        D3DXVECTOR3 screen, back;
        D3DXVec3Project(&screen, &p, &kViewport, &projection, &view, &world);
        ASSERT_NE(D3DXVec3Unproject(&back, &screen, &kViewport, &projection, &view, &world), nullptr);
        EXPECT_TRUE(VectorNear(back, p, 2e-3f)) << "screen " << screen.x << ", " << screen.y << ", " << screen.z;
    }
}

TEST(D3DXMathMatrix, UnprojectThroughSingularTransformIsNull) {
    D3DXMATRIX flat;
    D3DXMatrixScaling(&flat, 1, 1, 0);
    const D3DXVECTOR3 screen(100, 100, 0.5f);
    D3DXVECTOR3 out(7, 7, 7);
    EXPECT_EQ(D3DXVec3Unproject(&out, &screen, &kViewport, nullptr, nullptr, &flat), nullptr);
    EXPECT_TRUE(out == D3DXVECTOR3(7, 7, 7));
}

}  // namespace
