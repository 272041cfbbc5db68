// The mouse view controller and the matrices hosts read from it.
//
// A left-button drag turns a virtual trackball: the point under the mouse
// is lifted onto a sphere in front of the screen, and the rotation that
// carries the sphere point of the press to the current one is added to the
// orientation held at the press. Right and middle buttons move the
// translation; the map view keeps a rotation and translation of its own.

#include "core/mouse.h"

#include <ZEPenginedll.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace zep {

namespace {

constexpr float kOpenedRadius = 0.85f;
constexpr float kOpenedTranslationRadius = 10.0f;
constexpr float kMinMapDistance = 0.001f;

D3DXMATRIX translationMatrix(float x, float y, float z) {
    D3DXMATRIX m;
    D3DXMatrixTranslation(&m, x, y, z);
    return m;
}

D3DXMATRIX product(const D3DXMATRIX& a, const D3DXMATRIX& b) {
    D3DXMATRIX m;
    D3DXMatrixMultiply(&m, &a, &b);
    return m;
}

D3DXMATRIX rotationOf(const D3DXQUATERNION& q) {
    D3DXMATRIX m;
    D3DXMatrixRotationQuaternion(&m, &q);
    return m;
}

D3DXVECTOR3 normalised(const D3DXVECTOR3& v) {
    D3DXVECTOR3 n;
    D3DXVec3Normalize(&n, &v);
    return n;
}

// Identity with the translation row of `m`.
D3DXMATRIX translationPart(const D3DMATRIX& m) { return translationMatrix(m._41, m._42, m._43); }

// `m` with its translation taken out.
D3DXMATRIX rotationPart(const D3DMATRIX& m) {
    D3DXMATRIX r(m);
    r._41 = r._42 = r._43 = 0.0f;
    return r;
}

// Mouse moves in screen fractions, scaled by the translation radius.
struct MouseDelta {
    float dx;
    float dy;
};

void pan(MouseController& c, MouseDelta d) {
    c.translation = product(translationMatrix(-10.0f * d.dx, 10.0f * d.dy, 0.0f), c.translation);
    // The map moves along the screen as the map view is turned, and farther
    // the farther away it is.
    const D3DXVECTOR3 screenMove(d.dx, d.dy, 0.0f);
    D3DXVECTOR4 mapMove;
    D3DXVec3Transform(&mapMove, &screenMove, &c.mapRotation);
    const float k = c.mapTranslation._43 * 0.01f;
    c.mapTranslation = product(c.mapTranslation, translationMatrix(-k * mapMove.x, k * mapMove.y, 0.0f));
}

void turnTrackball(MouseController& c) {
    const MousePosition& now = mousePosition();
    const D3DXVECTOR3 a = normalised(c.downPoint);
    const D3DXVECTOR3 b = normalised(trackballPoint(now.x, now.y));
    const D3DXVECTOR3 sum = a + b;
    // Opposite points on the rim have no half-way point; a step from them
    // would be a zero quaternion, which would stop the trackball for good.
    if (D3DXVec3LengthSq(&sum) < 1e-12f) return;
    const D3DXVECTOR3 half = normalised(sum);
    D3DXVECTOR3 axis;
    D3DXVec3Cross(&axis, &a, &half);
    const D3DXQUATERNION step(axis.x, axis.y, axis.z, D3DXVec3Dot(&a, &half));
    D3DXQuaternionMultiply(&c.currentQuaternion, &c.downQuaternion, &step);
    c.deltaRotation = rotationOf(step);
}

void rotate(MouseController& c, MouseDelta d) {
    D3DXMATRIX roll;
    D3DXMatrixRotationZ(&roll, d.dy * 0.1f);
    c.mapRotation = product(roll, c.mapRotation);
    // A move with the button held but no press seen starts the drag; the
    // next move turns from the press point last recorded.
    if (c.dragging)
        turnTrackball(c);
    else
        c.dragging = 1;
    c.rotation = rotationOf(c.currentQuaternion);
}

void dolly(MouseController& c, MouseDelta d) {
    D3DXMATRIX& m = c.mapTranslation;
    m = product(m, translationMatrix(d.dx * m._43 * -0.00005f, 0.0f, d.dy * m._43));
    m._43 = std::max(m._43, kMinMapDistance);
    c.translation = product(c.translation, translationMatrix(-2.0f * d.dx, 0.0f, 10.0f * d.dy));
}

void zoom(MouseController& c, MouseDelta d) {
    const float z = d.dy * 500.0f;
    c.translation = product(c.translation, translationMatrix(0.0f, 0.0f, z));
    c.mapTranslation = product(c.mapTranslation, translationMatrix(0.0f, 0.0f, z));
}

void mouseMoved(MouseController& c, WPARAM buttons) {
    const MousePosition& now = mousePosition();
    const int w = ZEPengine.screenWidth, h = ZEPengine.screenHeight;
    // Without a screen size there is nothing to measure moves against.
    if (w > 0 && h > 0) {
        const MouseDelta d{float(c.last.x - now.x) * c.translationRadius / float(w),
                           float(c.last.y - now.y) * c.translationRadius / float(h)};
        const bool left = buttons & MK_LBUTTON, right = buttons & MK_RBUTTON, middle = buttons & MK_MBUTTON;
        if (left && right)
            pan(c, d);
        else if (left)
            rotate(c, d);
        else if (right)
            dolly(c, d);
        else if (middle)
            zoom(c, d);
    }
    c.last = now;
}

// Messages whose lParam is a position in the client area. Other messages
// pack other things there (sizes, key data), which must not move the click
// position hosts test with TestMouseonButton.
bool carriesClientPosition(UINT message) {
    switch (message) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK: return true;
    default: return false;
    }
}

}  // namespace

MouseController& mouseController() {
    static MouseController controller;
    return controller;
}

void openMouseController() {
    mouseController().radius = kOpenedRadius;
    mouseController().translationRadius = kOpenedTranslationRadius;
}

D3DXVECTOR3 trackballPoint(int x, int y) {
    const int halfWidth = ZEPengine.screenWidth / 2, halfHeight = ZEPengine.screenHeight / 2;
    const float r = mouseController().radius;
    if (halfWidth <= 0 || halfHeight <= 0 || r <= 0.0f) return D3DXVECTOR3(0.0f, 0.0f, 1.0f);
    const float px = float(halfWidth - x) / (r * float(halfWidth));
    const float py = float(y - halfHeight) / (r * float(halfHeight));
    const float lengthSq = px * px + py * py;
    if (lengthSq > 1.0f) {
        const float length = std::sqrt(lengthSq);
        return D3DXVECTOR3(px / length, py / length, 0.0f);
    }
    return D3DXVECTOR3(px, py, std::sqrt(1.0f - lengthSq));
}

void handleMouseMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!carriesClientPosition(message)) return;
    MouseController& c = mouseController();
    MousePosition& now = mousePosition();
    now = MousePosition{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};

    switch (message) {
    case WM_LBUTTONDOWN:
        c.dragging = 1;
        c.pressed = 1;
        c.downPoint = trackballPoint(now.x, now.y);
        c.downQuaternion = c.currentQuaternion;
        break;
    case WM_LBUTTONUP:
        c.dragging = 0;
        c.pressed = 0;
        break;
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: c.last = now; break;
    case WM_MOUSEMOVE: mouseMoved(c, wParam); break;
    default: break;
    }
}

}  // namespace zep

using namespace zep;

extern "C" {

ZEP_EXPORT uint8_t ZEPAPI GetMouseLB(void) { return mouseController().dragging ? 1 : 0; }

ZEP_EXPORT uint8_t ZEPAPI GetMouseLBdown(void) { return mouseController().pressed ? 1 : 0; }

ZEP_EXPORT uint8_t ZEPAPI ClearMouseLBdown(void) {
    const uint8_t was = GetMouseLBdown();
    mouseController().pressed = 0;
    return was;
}

ZEP_EXPORT uint8_t ZEPAPI TestMouseonButton(int32_t x, int32_t y, int32_t width, int32_t height) {
    MouseController& c = mouseController();
    const MousePosition& at = mousePosition();
    // Widened, so that a rectangle reaching past the int range cannot wrap.
    const bool inside = at.x >= x && int64_t(at.x) < int64_t(x) + width && at.y >= y &&
                        int64_t(at.y) < int64_t(y) + height;
    if (!c.pressed || !inside) return 0;
    c.pressed = 0;
    return 1;
}

ZEP_EXPORT D3DMATRIX* ZEPAPI GetMouseMatrix(D3DMATRIX* out) {
    if (!out) return out;
    const MouseController& c = mouseController();
    *out = c.rotation;
    out->_41 = c.translation._41;
    out->_42 = c.translation._42;
    out->_43 = c.translation._43;
    out->_44 = c.translation._44;
    return out;
}

ZEP_EXPORT D3DMATRIX* ZEPAPI GetMouseMapMatrix(D3DMATRIX* out) {
    if (!out) return out;
    const MouseController& c = mouseController();
    *out = product(c.mapTranslation, c.mapRotation);
    return out;
}

ZEP_EXPORT void ZEPAPI GetMouseMapTranslationMatrix(D3DMATRIX* out) {
    if (out) *out = mouseController().mapTranslation;
}

ZEP_EXPORT void ZEPAPI SetMouseMapTranslationMatrix(const D3DMATRIX* m) {
    if (m) mouseController().mapTranslation = *m;
}

ZEP_EXPORT const D3DMATRIX* ZEPAPI SetMouseMatrix(const D3DMATRIX* m) {
    if (!m) return m;
    MouseController& c = mouseController();
    // The quaternions stay: the next left drag rebuilds R from them.
    c.translation = translationPart(*m);
    c.mapTranslation = c.translation;
    c.rotation = rotationPart(*m);
    c.mapRotation = rotationPart(*m);
    return m;
}

ZEP_EXPORT const D3DMATRIX* ZEPAPI ResetMapMatrix(float x0, float y0, float x1, float y1) {
    // Handed back to the host, so it must outlive the call.
    static D3DMATRIX view;
    const float size = std::min(std::fabs(x1 - x0), std::fabs(y1 - y0));
    ZEP_matrix4x4(&view, 0.0f, 0.0f, 0.0f, -(x0 + x1) / 2.0f, -(y0 + y1) / 2.0f, 16.0f * size);
    return SetMouseMatrix(&view);
}

}  // extern "C"
