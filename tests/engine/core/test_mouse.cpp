// The mouse view controller, driven by messages sent to the engine's window
// procedure: the left-button latch and button rectangles, trackball drags,
// pan, dolly and zoom, and the matrices hosts set and read.

#include "../engine_test_host.h"

#include "core/mouse.h"

#include <d3dx8math.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

using zep::test::EngineTestHost;

constexpr float kTolerance = 1e-4f;

// An engine on a 160 x 120 screen: the trackball's centre is (80, 60), its
// radius 0.85 of the half screen (68 x 51 pixels).
class Mouse : public EngineTestHost {
public:
    void SetUp() override {
        EngineTestHost::SetUp();
        restoreLibraryLoadState();
        ASSERT_TRUE(open(160, 120));
        // The trackball radii an opened device gives.
        zep::openMouseController();
    }

    void TearDown() override {
        EngineTestHost::TearDown();
        restoreLibraryLoadState();
    }

    static void restoreLibraryLoadState() {
        zep::mouseController() = zep::MouseController{};
        zep::mousePosition() = zep::MousePosition{};
    }

    void send(UINT message, WPARAM buttons, int x, int y) {
        GetD3DMsgProc()(window, message, buttons, MAKELPARAM(x, y));
    }
    void moveTo(int x, int y, WPARAM buttons = 0) { send(WM_MOUSEMOVE, buttons, x, y); }
    // A drag as a mouse makes it: there first, press, move, release.
    void leftDrag(int x0, int y0, int x1, int y1) {
        moveTo(x0, y0);
        send(WM_LBUTTONDOWN, MK_LBUTTON, x0, y0);
        moveTo(x1, y1, MK_LBUTTON);
        send(WM_LBUTTONUP, 0, x1, y1);
    }

    static D3DMATRIX mouseMatrix() {
        D3DMATRIX m;
        EXPECT_EQ(GetMouseMatrix(&m), &m);
        return m;
    }
    static D3DMATRIX mapTranslation() {
        D3DMATRIX m;
        GetMouseMapTranslationMatrix(&m);
        return m;
    }
    static D3DMATRIX mapMatrix() {
        D3DMATRIX m;
        EXPECT_EQ(GetMouseMapMatrix(&m), &m);
        return m;
    }
};

D3DMATRIX translation(float x, float y, float z) {
    D3DXMATRIX m;
    D3DXMatrixTranslation(&m, x, y, z);
    return m;
}

// `m` with its translation row replaced.
D3DMATRIX withTranslation(D3DMATRIX m, float x, float y, float z) {
    m._41 = x;
    m._42 = y;
    m._43 = z;
    m._44 = 1.0f;
    return m;
}

::testing::AssertionResult matrixNear(const D3DMATRIX& actual, const D3DMATRIX& expected,
                                      float tolerance = kTolerance) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (std::fabs(actual.m[r][c] - expected.m[r][c]) > tolerance) {
                std::string text;
                for (int i = 0; i < 4; ++i) {
                    text += "\n  ";
                    for (int j = 0; j < 4; ++j)
                        text += std::to_string(actual.m[i][j]) + " / " + std::to_string(expected.m[i][j]) + "  ";
                }
                return ::testing::AssertionFailure() << "element _" << r + 1 << c + 1
                                                     << " differs (actual / expected):" << text;
            }
    return ::testing::AssertionSuccess();
}

D3DMATRIX rotationAbout(D3DXVECTOR3 axis, float angle) {
    D3DXMATRIX m;
    D3DXMatrixRotationAxis(&m, &axis, angle);
    return m;
}

TEST_F(Mouse, AfterLoadingTheMatricesAreIdentityAtDistance100) {
    EXPECT_TRUE(matrixNear(mouseMatrix(), translation(0.0f, 0.0f, 100.0f), 0.0f));
    EXPECT_TRUE(matrixNear(mapMatrix(), translation(0.0f, 0.0f, 0.0f), 0.0f));
    EXPECT_TRUE(matrixNear(mapTranslation(), translation(0.0f, 0.0f, 0.0f), 0.0f));
    EXPECT_EQ(GetMouseLB(), 0);
    EXPECT_EQ(GetMouseLBdown(), 0);
}

TEST_F(Mouse, TheLeftPressLatchesUntilClearedTestedOrReleased) {
    send(WM_LBUTTONDOWN, MK_LBUTTON, 10, 20);
    EXPECT_EQ(zep::mousePosition().x, 10);
    EXPECT_EQ(zep::mousePosition().y, 20);
    EXPECT_EQ(GetMouseLB(), 1);
    EXPECT_EQ(GetMouseLBdown(), 1);
    EXPECT_EQ(GetMouseLBdown(), 1);  // reading does not clear it
    EXPECT_EQ(ClearMouseLBdown(), 1);
    EXPECT_EQ(ClearMouseLBdown(), 0);
    EXPECT_EQ(GetMouseLB(), 1);  // still dragging

    send(WM_LBUTTONDOWN, MK_LBUTTON, 10, 20);
    send(WM_LBUTTONUP, 0, 10, 20);
    EXPECT_EQ(GetMouseLB(), 0);
    EXPECT_EQ(GetMouseLBdown(), 0);

    // Messages without a mouse position leave the click position alone.
    send(WM_LBUTTONDOWN, MK_LBUTTON, 10, 20);
    GetD3DMsgProc()(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(160, 120));
    GetD3DMsgProc()(window, WM_KEYDOWN, VK_SPACE, 0x00390001);
    EXPECT_EQ(TestMouseonButton(10, 20, 1, 1), 1);
}

TEST_F(Mouse, TestMouseonButtonTakesAPressInsideTheRectangleOnly) {
    struct Case {
        int x, y;
        uint8_t hit;
    };
    // The rectangle (10, 20) 5 x 4: its right and bottom edges lie outside.
    const Case cases[] = {{10, 20, 1}, {14, 23, 1}, {15, 20, 0}, {10, 24, 0}, {9, 21, 0}, {12, 19, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "click at " << c.x << ", " << c.y);
        send(WM_LBUTTONDOWN, MK_LBUTTON, c.x, c.y);
        EXPECT_EQ(TestMouseonButton(10, 20, 5, 4), c.hit);
        // A hit takes the press; a miss leaves it for another button.
        EXPECT_EQ(GetMouseLBdown(), c.hit ? 0 : 1);
        EXPECT_EQ(TestMouseonButton(10, 20, 5, 4), 0);
        send(WM_LBUTTONUP, 0, c.x, c.y);
    }
    // Without a pending press nothing is hit.
    moveTo(12, 22);
    EXPECT_EQ(TestMouseonButton(10, 20, 5, 4), 0);
}

TEST_F(Mouse, ALeftDragTurnsTheTrackballFromTheCentreTowardsTheMouse) {
    // Sphere points under the mouse, for a press at the centre (0, 0, 1).
    const float sideways = 40.0f / 68.0f;  // 40 pixels left of the centre
    const float upwards = 40.0f / 51.0f;   // 40 pixels above it
    struct Case {
        const char* name;
        int x, y;
        D3DXVECTOR3 axis;
        float angle;
    };
    const Case cases[] = {
        {"left", 40, 60, {0, 1, 0}, std::acos(std::sqrt(1.0f - sideways * sideways))},
        {"up", 80, 20, {1, 0, 0}, std::acos(std::sqrt(1.0f - upwards * upwards))},
        {"right", 120, 60, {0, -1, 0}, std::acos(std::sqrt(1.0f - sideways * sideways))},
        // Outside the trackball's circle: the rim, a quarter turn.
        {"beyond the rim", 0, 60, {0, 1, 0}, 1.5707963f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        restoreLibraryLoadState();
        zep::openMouseController();
        leftDrag(80, 60, c.x, c.y);
        EXPECT_TRUE(matrixNear(mouseMatrix(), withTranslation(rotationAbout(c.axis, c.angle), 0, 0, 100)));
    }
}

TEST_F(Mouse, DragsAddUpAndSetMouseMatrixKeepsTheTrackballOrientation) {
    const float sideways = 40.0f / 68.0f;
    const float step = std::acos(std::sqrt(1.0f - sideways * sideways));
    // The second drag starts from where the first one left the trackball.
    leftDrag(80, 60, 40, 60);
    leftDrag(80, 60, 40, 60);
    EXPECT_TRUE(matrixNear(mouseMatrix(), withTranslation(rotationAbout({0, 1, 0}, 2 * step), 0, 0, 100)));

    // SetMouseMatrix replaces the matrix but not the trackball: a drag that
    // goes nowhere shows the orientation the drags left.
    D3DMATRIX placed;
    ZEP_matrix4x4(&placed, 0.3f, 0.2f, 0.1f, 5.0f, 6.0f, 7.0f);
    EXPECT_EQ(SetMouseMatrix(&placed), &placed);
    EXPECT_TRUE(matrixNear(mouseMatrix(), placed));
    leftDrag(80, 60, 80, 60);
    EXPECT_TRUE(matrixNear(mouseMatrix(), withTranslation(rotationAbout({0, 1, 0}, 2 * step), 5, 6, 7)));
}

TEST_F(Mouse, AMoveWithTheLeftButtonButNoPressStartsTheDrag) {
    moveTo(80, 60);
    moveTo(40, 60, MK_LBUTTON);
    EXPECT_EQ(GetMouseLB(), 1);
    EXPECT_EQ(GetMouseLBdown(), 0);
    EXPECT_TRUE(matrixNear(mouseMatrix(), translation(0, 0, 100)));
}

TEST_F(Mouse, LeftDragsRollTheMapView) {
    // 12 pixels down on a 120-pixel screen: -1 in screen units of 10.
    leftDrag(80, 60, 80, 72);
    D3DXMATRIX roll;
    D3DXMatrixRotationZ(&roll, -0.1f);
    EXPECT_TRUE(matrixNear(mapMatrix(), roll));
    EXPECT_TRUE(matrixNear(mapTranslation(), translation(0, 0, 0), 0.0f));
}

// Right and middle buttons: a press marks the start, a move goes from there.
// From (80, 60) to (40, 72) the deltas are dx = 40 * 10 / 160 = 2.5 and
// dy = -12 * 10 / 120 = -1.
TEST_F(Mouse, RightAndMiddleButtonsPanDollyAndZoom) {
    struct Case {
        const char* name;
        D3DMATRIX map;          // map translation before the move
        UINT press;             // 0: a plain move marks the start
        WPARAM buttons;
        int x, y;               // where the move ends
        D3DVECTOR translation;  // of the mouse matrix afterwards
        D3DVECTOR mapAt;        // of the map translation afterwards
    };
    const Case cases[] = {
        // Dolly: T . (-2 dx, 0, 10 dy); M . (dx * d * -0.00005, 0, dy * d) for map distance d.
        {"dolly", translation(0, 0, 200), WM_RBUTTONDOWN, MK_RBUTTON, 40, 66, {-5, 0, 95}, {-0.025f, 0, 100}},
        // The map distance stops at 0.001 however far the dolly goes.
        {"dolly to the near limit", translation(0, 0, 200), WM_RBUTTONDOWN, MK_RBUTTON, 40, 72, {-5, 0, 90},
         {-0.025f, 0, 0.001f}},
        {"dolly from zero", translation(0, 0, 0), WM_RBUTTONDOWN, MK_RBUTTON, 80, 48, {0, 0, 110}, {0, 0, 0.001f}},
        // Pan with both buttons: (-10 dx, 10 dy, 0) . T; the map by d / 100 of the move.
        {"pan", translation(0, 0, 100), 0, MK_LBUTTON | MK_RBUTTON, 40, 72, {-25, -10, 100}, {-2.5f, -1, 100}},
        // Zoom with the middle button: z = dy * 500 on both; no limit here.
        {"zoom", translation(0, 0, 0), WM_MBUTTONDOWN, MK_MBUTTON, 80, 63, {0, 0, -25}, {0, 0, -125}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        restoreLibraryLoadState();
        zep::openMouseController();
        SetMouseMapTranslationMatrix(&c.map);
        if (c.press)
            send(c.press, c.buttons, 80, 60);
        else
            moveTo(80, 60);
        moveTo(c.x, c.y, c.buttons);
        EXPECT_TRUE(matrixNear(mouseMatrix(), translation(c.translation.x, c.translation.y, c.translation.z)));
        EXPECT_TRUE(matrixNear(mapTranslation(), translation(c.mapAt.x, c.mapAt.y, c.mapAt.z)));
    }
}

TEST_F(Mouse, PanningFollowsTheRolledMapView) {
    // A map view rolled a quarter turn about z, 100 away.
    D3DMATRIX placed;
    ZEP_matrix4x4(&placed, 0.0f, 0.0f, 1.5707963f, 0.0f, 0.0f, 100.0f);
    SetMouseMatrix(&placed);
    moveTo(80, 60);
    moveTo(40, 60, MK_LBUTTON | MK_RBUTTON);  // dx = 2.5, dy = 0
    // (2.5, 0, 0) turned by the map rotation is (0, 2.5, 0): the map moves
    // along its y axis by k = 100 * 0.01 times that.
    EXPECT_TRUE(matrixNear(mapTranslation(), translation(0.0f, 2.5f, 100.0f)));
}

TEST_F(Mouse, SetMouseMatrixAndResetMapMatrixPlaceBothViews) {
    D3DMATRIX placed;
    ZEP_matrix4x4(&placed, 0.3f, 0.2f, 0.1f, 5.0f, 6.0f, 7.0f);
    SetMouseMatrix(&placed);
    EXPECT_TRUE(matrixNear(mouseMatrix(), placed));
    EXPECT_TRUE(matrixNear(mapTranslation(), translation(5, 6, 7)));
    // The map view: its translation, then the placement's rotation.
    const D3DMATRIX moved = translation(5, 6, 7);
    const D3DMATRIX turned = withTranslation(placed, 0, 0, 0);
    D3DMATRIX map;
    ZEP_matmul4x4(&moved, &turned, &map);
    EXPECT_TRUE(matrixNear(mapMatrix(), map));

    // Centred over the bounds, 16 times the shorter side away; the bounds
    // may come in either order.
    struct Bounds {
        float x0, y0, x1, y1;
    };
    for (const Bounds& b : {Bounds{10, 20, 30, 60}, Bounds{30, 60, 10, 20}}) {
        const D3DMATRIX* view = ResetMapMatrix(b.x0, b.y0, b.x1, b.y1);
        ASSERT_NE(view, nullptr);
        EXPECT_TRUE(matrixNear(*view, translation(-20, -40, 320)));
        EXPECT_TRUE(matrixNear(mouseMatrix(), translation(-20, -40, 320)));
        EXPECT_TRUE(matrixNear(mapMatrix(), translation(-20, -40, 320)));
    }
}

}  // namespace
