// The mouse view controller: a trackball turned by left-button drags, a pan
// and dolly moved by the right and middle buttons, and the rotation and
// translation of the two-dimensional map view. The window procedure hands
// it every message first; hosts read the results as matrices.
//
// The last mouse position the window procedure saw, in client pixels of the
// device window, is kept in mousePosition(): PixelTransformByMouse turns it
// back into a ray point, TestMouseonButton takes it as the click position.
#pragma once

#include <d3dx8math.h>
#include <windows.h>

namespace zep {

struct MousePosition {
    int x = 0;
    int y = 0;
};

inline MousePosition& mousePosition() {
    static MousePosition position;
    return position;
}

// The controller's state, as a freshly loaded library has it. The current
// position is mousePosition().
struct MouseController {
    float radius = 0.85f;            // trackball radius, a fraction of the half screen
    float translationRadius = 1.0f;  // scale of mouse deltas in screen fractions; 10 once a device opened
    D3DXQUATERNION downQuaternion{0.0f, 0.0f, 0.0f, 1.0f};     // orientation when the left button went down
    D3DXQUATERNION currentQuaternion{0.0f, 0.0f, 0.0f, 1.0f};
    MousePosition last;              // position at the previous move or button press
    int dragging = 0;                // left button held since a left press
    int pressed = 0;                 // latch set by a left press, cleared by release or the host
    D3DXMATRIX mapRotation{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    D3DXMATRIX rotation{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};       // R, of the current quaternion
    D3DXMATRIX deltaRotation{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};  // the latest trackball step
    D3DXMATRIX translation{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 100, 1};  // T: pan and dolly
    D3DXMATRIX mapTranslation{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}; // M: _43 is the map distance
    D3DXVECTOR3 downPoint{0.0f, 0.0f, 1.0f};  // sphere point where the left button went down
};

MouseController& mouseController();

// The trackball's radii for an opened device (radius 0.85, translation
// radius 10); the device opening calls it.
void openMouseController();

// One window message: the window procedure passes every message here
// before handling it.
void handleMouseMessage(UINT message, WPARAM wParam, LPARAM lParam);

// The point on the trackball sphere under a client position, with the
// record's screen size and the controller's radius.
D3DXVECTOR3 trackballPoint(int x, int y);

}  // namespace zep
