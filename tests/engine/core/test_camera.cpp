// Camera, carrier and projection: where geometry lands on the screen, the
// mirrored reflection pass, sprite carriers, the world scale object drawing
// reads, the viewport and projection setters with their -1 values, and the
// point functions that go between scene and screen.

#include "engine_device_fixture.h"

#include <d3dx8.h>

#include <cmath>

namespace {

using zep::test::areaNear;
using zep::test::EngineDeviceTest;
using zep::test::Image;
using zep::test::kScreenSize;
using zep::test::vertex;

constexpr float kPi = 3.14159265f;

::testing::AssertionResult matrixNear(const D3DMATRIX& actual, const D3DMATRIX& expected, float tolerance = 1e-4f) {
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col)
            if (std::fabs(actual.m[row][col] - expected.m[row][col]) > tolerance)
                return ::testing::AssertionFailure()
                       << "element _" << row + 1 << col + 1 << " is " << actual.m[row][col] << ", expected "
                       << expected.m[row][col];
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult vectorNear(const D3DVECTOR& actual, const D3DVECTOR& expected, float tolerance = 1e-4f) {
    if (std::fabs(actual.x - expected.x) <= tolerance && std::fabs(actual.y - expected.y) <= tolerance &&
        std::fabs(actual.z - expected.z) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << actual.x << ", " << actual.y << ", " << actual.z << "), expected ("
                                         << expected.x << ", " << expected.y << ", " << expected.z << ")";
}

D3DMATRIX placement(float ax, float ay, float az, float tx, float ty, float tz) {
    D3DMATRIX m;
    ZEP_matrix4x4(&m, ax, ay, az, tx, ty, tz);
    return m;
}

D3DMATRIX scaling(float tx, float ty, float tz, float sx, float sy, float sz) {
    D3DMATRIX m;
    ZEP_setmatrix4x4(&m, tx, ty, tz, sx, sy, sz);
    return m;
}

D3DVECTOR projected(D3DVECTOR v) {
    ProjectPoint(&v);
    return v;
}

D3DVECTOR transformed(D3DVECTOR v) {
    TransformPoint(&v);
    return v;
}

bool onScreen(const D3DVECTOR& p, float margin) {
    return p.x >= margin && p.y >= margin && p.x <= float(kScreenSize) - margin && p.y <= float(kScreenSize) - margin;
}

class Camera : public EngineDeviceTest {};

}  // namespace

TEST_F(Camera, TriangleLandsWhereProjectPointSays) {
    beginFrame(0xFF000000);
    const D3DMATRIX camera = placement(0.0f, 0.3f, 0.0f, 1.0f, -0.5f, 14.0f);
    const D3DMATRIX carrier = placement(0.0f, 0.0f, 0.4f, -1.5f, 1.0f, 2.0f);
    SetCameraPos(&camera);
    SetObjectCarrier(&carrier);

    const D3DVECTOR corners[3] = {{0.0f, 3.0f, 0.0f}, {3.0f, -2.0f, 0.0f}, {-3.0f, -2.0f, 0.0f}};
    drawTriangles({vertex(corners[0].x, corners[0].y, 0.0f, 0xFFFF0000), vertex(corners[1].x, corners[1].y, 0.0f, 0xFFFF0000),
                   vertex(corners[2].x, corners[2].y, 0.0f, 0xFFFF0000)});
    const Image image = endFrame();

    // The carrier places the object in the world, the camera views the world.
    D3DVECTOR inWorld, inCamera;
    ZEP_mattrans4x4(&carrier, corners[0].x, corners[0].y, corners[0].z, &inWorld);
    ZEP_mattrans4x4(&camera, inWorld.x, inWorld.y, inWorld.z, &inCamera);
    EXPECT_TRUE(vectorNear(transformed(corners[0]), inCamera));

    const D3DVECTOR a = projected(corners[0]), b = projected(corners[1]), c = projected(corners[2]);
    for (const D3DVECTOR& p : {a, b, c}) ASSERT_TRUE(onScreen(p, 2.0f)) << p.x << ", " << p.y;
    const float cx = (a.x + b.x + c.x) / 3.0f, cy = (a.y + b.y + c.y) / 3.0f;
    EXPECT_TRUE(areaNear(image, int(std::lround(cx)), int(std::lround(cy)), 0xFFFF0000));

    // Half a triangle height beyond the edge b-c, on the far side from a.
    const float mx = (b.x + c.x) / 2.0f, my = (b.y + c.y) / 2.0f;
    const D3DVECTOR outside = {mx + 0.5f * (mx - a.x), my + 0.5f * (my - a.y), 0.0f};
    ASSERT_TRUE(onScreen(outside, 3.0f)) << outside.x << ", " << outside.y;
    EXPECT_TRUE(areaNear(image, int(std::lround(outside.x)), int(std::lround(outside.y)), 0xFF000000));
}

TEST_F(Camera, MirrorFlagFlipsTheNextCarrierOnly) {
    const D3DMATRIX identity = identityMatrix();
    const D3DMATRIX raised = scaling(0.0f, 5.0f, 0.0f, 1.0f, 1.0f, 1.0f);
    SetCameraPos(&identity);

    SetWaterMode(1);
    EXPECT_EQ(ZEPengine.cullMode, D3DCULL_CCW);
    EXPECT_EQ(ZEPengine.mirror, 1);
    SetObjectCarrier(&identity);
    EXPECT_TRUE(vectorNear(transformed({1.0f, 2.0f, 3.0f}), {1.0f, -2.0f, 3.0f}));
    EXPECT_FLOAT_EQ(transform(D3DTS_WORLD)._22, -1.0f);
    SetObjectCarrier(&raised);  // mirrored about the plane through the carrier's origin
    EXPECT_TRUE(vectorNear(transformed({1.0f, 2.0f, 3.0f}), {1.0f, 3.0f, 3.0f}));

    SetWaterMode(0);
    EXPECT_EQ(ZEPengine.cullMode, D3DCULL_CW);
    EXPECT_EQ(ZEPengine.mirror, 0);
    EXPECT_TRUE(vectorNear(transformed({1.0f, 2.0f, 3.0f}), {1.0f, 3.0f, 3.0f})) << "changes only the next carrier";
    SetObjectCarrier(&raised);
    EXPECT_TRUE(vectorNear(transformed({1.0f, 2.0f, 3.0f}), {1.0f, 7.0f, 3.0f}));
}

TEST_F(Camera, WorldScaleFollowsTheWorldMatrix) {
    struct Case {
        const char* name;
        D3DMATRIX camera, carrier;
        float k1;
    } cases[] = {
        {"identity", identityMatrix(), identityMatrix(), 5.0f / std::sqrt(3.0f)},
        {"rotated camera", placement(0.3f, 1.1f, -0.7f, 4, 5, 6), identityMatrix(), 5.0f / std::sqrt(3.0f)},
        {"scaled carrier", identityMatrix(), scaling(7, 8, 9, 1, 2, 2), 5.0f / 3.0f},
        {"scaled camera", scaling(0, 0, 0, 2, 2, 2), identityMatrix(), 5.0f / std::sqrt(12.0f)},
        {"carrier shrunk to a point", identityMatrix(), scaling(1, 2, 3, 0, 0, 0), 1.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetCameraPos(&c.camera);
        SetObjectCarrier(&c.carrier);
        EXPECT_NEAR(zep::viewState().worldScale, c.k1, 1e-5f);
        EXPECT_EQ(zep::viewState().worldScale2, 2.0f);
    }
}

TEST_F(Camera, SpriteCarrierKeepsOnlyTheCameraSpacePosition) {
    const D3DMATRIX camera = placement(0.0f, 0.5f, 0.0f, 1.0f, 2.0f, 3.0f);
    const D3DMATRIX carrier = placement(0.3f, 0.2f, 0.1f, 4.0f, 5.0f, 6.0f);
    D3DVECTOR position;
    ZEP_mattrans4x4(&camera, 4.0f, 5.0f, 6.0f, &position);
    SetCameraPos(&camera);
    SetSpriteCarrier(&carrier);

    D3DMATRIX expectedDevice = identityMatrix();
    expectedDevice._41 = position.x;
    expectedDevice._42 = position.y;
    expectedDevice._43 = position.z;
    EXPECT_TRUE(matrixNear(transform(D3DTS_WORLD), expectedDevice));

    // The engine's own W keeps the camera's rotation and the new position,
    // and the stored carrier now sits at that camera-space position.
    D3DMATRIX world;
    GetWorldMatrix(&world);
    D3DMATRIX expectedWorld = camera;
    expectedWorld._41 = position.x;
    expectedWorld._42 = position.y;
    expectedWorld._43 = position.z;
    EXPECT_TRUE(matrixNear(world, expectedWorld));
    D3DMATRIX expectedCarrier = carrier;
    expectedCarrier._41 = position.x;
    expectedCarrier._42 = position.y;
    expectedCarrier._43 = position.z;
    EXPECT_TRUE(matrixNear(zep::viewState().carrier, expectedCarrier));
    EXPECT_NEAR(zep::viewState().worldScale, 5.0f / std::sqrt(3.0f), 1e-5f);
}

TEST_F(Camera, DefaultTransformsResetTheWorldButKeepCameraAndCarrier) {
    const D3DMATRIX camera = placement(0.1f, 0.2f, 0.3f, 1.0f, 2.0f, 30.0f);
    const D3DMATRIX carrier = placement(0.0f, 1.0f, 0.0f, -4.0f, 0.0f, 2.0f);
    SetCameraPos(&camera);
    SetObjectCarrier(&carrier);
    const D3DMATRIX view = placement(0.0f, 0.0f, 0.2f, 0.0f, 1.0f, 0.0f);
    Setviewmatrix(&view);
    // The aspect given here becomes the factor later frames multiply by the
    // screen's width-to-height ratio.
    SetViewportParameters(-1.0f, 0.0f, 0.0f, 0.0f, 0.6f, 0.75f, -1.0f, -1.0f);
    ZEPengine.screenWidth = 128;

    zep::applyDefaultTransforms();
    D3DMATRIX world;
    GetWorldMatrix(&world);
    EXPECT_TRUE(matrixNear(world, identityMatrix()));
    EXPECT_TRUE(matrixNear(transform(D3DTS_WORLD), identityMatrix()));
    EXPECT_TRUE(matrixNear(transform(D3DTS_VIEW), identityMatrix()));
    D3DXMATRIX projection;
    D3DXMatrixPerspectiveFovLH(&projection, 0.6f, 2.0f * 0.75f, 1.0f, 20000.0f);
    EXPECT_TRUE(matrixNear(transform(D3DTS_PROJECTION), projection));

    SetObjectCarrier(&carrier);
    D3DMATRIX expected;
    ZEP_matmul4x4(&carrier, &camera, &expected);
    GetWorldMatrix(&world);
    EXPECT_TRUE(matrixNear(world, expected));
}

TEST_F(Camera, ViewParametersStoreTruncatedOrReapplyWithMinusOne) {
    SetViewParameters(4.9f, 8.2f, 32.7f, 16.1f, 0.25f, 0.75f);
    D3DVIEWPORT8 viewport{};
    d3d->GetViewport(&viewport);
    EXPECT_EQ(viewport.X, 4u);
    EXPECT_EQ(viewport.Y, 8u);
    EXPECT_EQ(viewport.Width, 32u);
    EXPECT_EQ(viewport.Height, 16u);
    EXPECT_FLOAT_EQ(viewport.MinZ, 0.25f);
    EXPECT_FLOAT_EQ(viewport.MaxZ, 0.75f);

    const D3DVIEWPORT8 whole = {0, 0, kScreenSize, kScreenSize, 0.0f, 1.0f};
    d3d->SetViewport(&whole);
    SetViewParameters(-1.0f, 1.0f, 2.0f, 3.0f, 0.0f, 1.0f);
    d3d->GetViewport(&viewport);
    EXPECT_EQ(viewport.X, 4u);
    EXPECT_EQ(viewport.Width, 32u);
    EXPECT_EQ(viewport.Height, 16u);
    EXPECT_FLOAT_EQ(viewport.MaxZ, 0.75f);
    EXPECT_EQ(zep::viewState().viewport.Y, 8u);
}

TEST_F(Camera, ProjectionSettersKeepOrStoreClipDistances) {
    auto perspective = [](float fov, float aspect, float n, float f) {
        D3DXMATRIX m;
        D3DXMatrixPerspectiveFovLH(&m, fov, aspect, n, f);
        return m;
    };
    auto orthographic = [](float scale, float aspect, float n, float f) {
        D3DXMATRIX m;
        D3DXMatrixOrthoLH(&m, aspect / scale, 1.0f / scale, n, f);
        return m;
    };
    const D3DXVECTOR3 eye(0.0f, 1.0f, -5.0f), at(0.0f, 0.0f, 0.0f), up(0.0f, 1.0f, 0.0f);
    D3DXMATRIX lookAt;
    D3DXMatrixLookAtLH(&lookAt, &eye, &at, &up);

    SetProjectParameters(0.9f, 1.25f, -1.0f, -1.0f, 0, 1, -5, 0, 0, 0, 0, 1, 0);
    EXPECT_EQ(ZEPengine.nearClip, 1.0f);
    EXPECT_EQ(ZEPengine.farClip, 20000.0f);
    EXPECT_TRUE(matrixNear(transform(D3DTS_PROJECTION), perspective(0.9f, 1.25f, 1.0f, 20000.0f)));
    EXPECT_TRUE(matrixNear(transform(D3DTS_VIEW), lookAt));

    SetProjectParameters(0.9f, 1.25f, 2.0f, 500.0f, 0, 1, -5, 0, 0, 0, 0, 1, 0);
    SetProjectParameters(0.9f, 1.25f, -1.0f, -1.0f, 0, 1, -5, 0, 0, 0, 0, 1, 0);
    EXPECT_EQ(ZEPengine.nearClip, 2.0f);
    EXPECT_EQ(ZEPengine.farClip, 500.0f);
    EXPECT_TRUE(matrixNear(transform(D3DTS_PROJECTION), perspective(0.9f, 1.25f, 2.0f, 500.0f)));

    // The orthographic look-at setter uses its distances without keeping them.
    SetAxProjectParameters(2.0f, 1.5f, 3.0f, 100.0f, 0, 1, -5, 0, 0, 0, 0, 1, 0);
    EXPECT_TRUE(matrixNear(transform(D3DTS_PROJECTION), orthographic(2.0f, 1.5f, 3.0f, 100.0f)));
    EXPECT_EQ(ZEPengine.nearClip, 2.0f);
    EXPECT_EQ(ZEPengine.farClip, 500.0f);
    SetAxProjectParameters(2.0f, 1.5f, -1.0f, -1.0f, 0, 1, -5, 0, 0, 0, 0, 1, 0);
    EXPECT_TRUE(matrixNear(transform(D3DTS_PROJECTION), orthographic(2.0f, 1.5f, 2.0f, 500.0f)));

    SetAxViewportParameters(-1.0f, 0.0f, 0.0f, 0.0f, 2.0f, 1.5f, 4.0f, 300.0f);
    EXPECT_EQ(ZEPengine.nearClip, 4.0f);
    EXPECT_EQ(ZEPengine.farClip, 300.0f);
    EXPECT_TRUE(matrixNear(transform(D3DTS_PROJECTION), orthographic(2.0f, 1.5f, 4.0f, 300.0f)));
}

TEST_F(Camera, PixelTransformInvertsProjectPoint) {
    const D3DMATRIX camera = placement(0.2f, -0.4f, 0.0f, 0.5f, -1.0f, 20.0f);
    const D3DMATRIX carrier = placement(0.0f, 0.0f, 0.7f, 2.0f, 1.0f, -3.0f);
    SetCameraPos(&camera);
    SetObjectCarrier(&carrier);
    SetViewParameters(8.0f, 4.0f, 48.0f, 40.0f, 0.0f, 1.0f);

    const D3DVECTOR point = {1.0f, 2.0f, 0.5f};
    const D3DVECTOR screen = projected(point);
    EXPECT_GT(screen.x, 8.0f);
    EXPECT_LT(screen.x, 56.0f);
    EXPECT_GT(screen.y, 4.0f);
    EXPECT_LT(screen.y, 44.0f);
    EXPECT_GT(screen.z, 0.0f);
    EXPECT_LT(screen.z, 1.0f);

    D3DVECTOR back = {screen.x / 48.0f, screen.y / 40.0f, screen.z};
    PixelTransform(&back);
    EXPECT_TRUE(vectorNear(back, point, 2e-3f));

    // The mouse path is the same unprojection from a pixel position.
    zep::mousePosition() = {30, 20};
    D3DVECTOR byMouse = {0.0f, 0.0f, 0.5f};
    PixelTransformByMouse(&byMouse);
    D3DVECTOR byFraction = {30.0f / 48.0f, 20.0f / 40.0f, 0.5f};
    PixelTransform(&byFraction);
    EXPECT_TRUE(vectorNear(byMouse, byFraction, 1e-5f));
    EXPECT_TRUE(vectorNear(projected(byMouse), {30.0f, 20.0f, 0.5f}, 1e-2f));
}

TEST_F(Camera, SunDirectionGivesTheTwoSunRotations) {
    SetSunDirection(0.2f, -0.7f, 0.4f);
    EXPECT_EQ(ZEPengine.sunDirection.x, 0.2f);
    EXPECT_EQ(ZEPengine.sunDirection.y, -0.7f);
    EXPECT_EQ(ZEPengine.sunDirection.z, 0.4f);
    // y and z trade places in the quaternions; the second one negates z.
    const D3DXQUATERNION first(0.2f, 0.4f, -0.7f, 1.0f), second(0.2f, -0.4f, -0.7f, 1.0f);
    D3DXMATRIX expected;
    D3DXMatrixRotationQuaternion(&expected, &first);
    EXPECT_TRUE(matrixNear(zep::viewState().sun[0], expected));
    D3DXMatrixRotationQuaternion(&expected, &second);
    EXPECT_TRUE(matrixNear(zep::viewState().sun[1], expected));
}

