// The engine's world model: the host's camera C and the carrier K of what is
// drawn next are folded into one device world matrix W = K . C, so the device
// view stays the identity and lights live in camera space. Also the
// projection and viewport setters and the point projections hosts use to go
// between their scene and the screen.

#include "core/graphics.h"
#include "core/mouse.h"

#include <d3dx8.h>

#include <cmath>
#include <cstdint>

namespace {

using zep::device;

D3DXMATRIX identityMatrix() {
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    return m;
}

void setDeviceTransform(D3DTRANSFORMSTATETYPE which, const D3DMATRIX& m) {
    if (IDirect3DDevice8* d = device()) d->SetTransform(which, &m);
}

void setDeviceViewport(const D3DVIEWPORT8& viewport) {
    if (IDirect3DDevice8* d = device()) d->SetViewport(&viewport);
}

// W := K . C, handed to the device.
void composeWorld(zep::ViewState& view) {
    ZEP_matmul4x4(&view.carrier, &view.camera, &view.world);
    setDeviceTransform(D3DTS_WORLD, view.world);
    zep::recomputeWorldScale();
}

// Negative sizes make no viewport; they become 0 instead of wrapping around.
DWORD truncateToUnsigned(float value) {
    if (!(value > 0.0f)) return 0;
    if (value >= 4294967295.0f) return 0xFFFFFFFFu;
    return DWORD(value);
}

bool isKeepValue(float value) { return value == -1.0f; }

// The viewport setters' shared head: x = -1 keeps the recorded viewport,
// which is handed to the device either way.
void placeViewport(float x, float y, float width, float height, float minZ, float maxZ) {
    D3DVIEWPORT8& viewport = zep::viewState().viewport;
    if (!isKeepValue(x)) {
        viewport.X = truncateToUnsigned(x);
        viewport.Y = truncateToUnsigned(y);
        viewport.Width = truncateToUnsigned(width);
        viewport.Height = truncateToUnsigned(height);
        viewport.MinZ = minZ;
        viewport.MaxZ = maxZ;
    }
    setDeviceViewport(viewport);
}

// Near and far as the projection setters take them: -1 keeps the recorded one.
void resolveClipDistances(float& nearClip, float& farClip) {
    if (isKeepValue(nearClip)) nearClip = ZEPengine.nearClip;
    if (isKeepValue(farClip)) farClip = ZEPengine.farClip;
}

void setProjection(const D3DXMATRIX& projection) {
    zep::viewState().projection = projection;
    setDeviceTransform(D3DTS_PROJECTION, projection);
}

void setLookAtView(float eyeX, float eyeY, float eyeZ, float atX, float atY, float atZ, float upX, float upY,
                   float upZ) {
    const D3DXVECTOR3 eye(eyeX, eyeY, eyeZ), at(atX, atY, atZ), up(upX, upY, upZ);
    D3DXMATRIX view;
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    zep::viewState().view = view;
    setDeviceTransform(D3DTS_VIEW, view);
}

D3DXMATRIX orthographic(float scale, float aspect, float nearClip, float farClip) {
    D3DXMATRIX projection;
    D3DXMatrixOrthoLH(&projection, aspect / scale, 1.0f / scale, nearClip, farClip);
    return projection;
}

D3DXMATRIX perspective(float fov, float aspect, float nearClip, float farClip) {
    D3DXMATRIX projection;
    D3DXMatrixPerspectiveFovLH(&projection, fov, aspect, nearClip, farClip);
    return projection;
}

// A screen point (pixels, depth) back into the space W places.
void unprojectScreenPoint(D3DVECTOR* v, float screenX, float screenY, float depth) {
    const zep::ViewState& view = zep::viewState();
    const D3DXMATRIX projection(view.projection), viewMatrix(view.view), world(view.world);
    const D3DXVECTOR3 screen(screenX, screenY, depth);
    D3DXVECTOR3 out;
    D3DXVec3Unproject(&out, &screen, &view.viewport, &projection, &viewMatrix, &world);
    *v = out;
}

}  // namespace

namespace zep {

void recomputeWorldScale() {
    ViewState& view = viewState();
    const D3DMATRIX& w = view.world;
    const float s0 = w._11 + w._21 + w._31;
    const float s1 = w._12 + w._22 + w._32;
    const float s2 = w._13 + w._23 + w._33;
    const float length = std::sqrt(s0 * s0 + s1 * s1 + s2 * s2);
    view.worldScale = length != 0.0f ? 5.0f / length : 1.0f;
    view.worldScale2 = 2.0f;
}

ViewState& viewState() {
    static ViewState state = [] {
        ViewState s{};
        s.camera = s.cameraInverse = s.carrier = s.world = identityMatrix();
        s.view = s.projection = s.visibility = identityMatrix();
        s.sun[0] = s.sun[1] = identityMatrix();
        return s;
    }();
    return state;
}

void applyDefaultTransforms() {
    ViewState& view = viewState();
    view.world = identityMatrix();
    setDeviceTransform(D3DTS_WORLD, view.world);
    view.view = identityMatrix();
    setDeviceTransform(D3DTS_VIEW, view.view);
    const float aspect = ZEPengine.screenHeight != 0
                             ? float(ZEPengine.screenWidth) / float(ZEPengine.screenHeight) * view.aspectFactor
                             : view.aspectFactor;
    setProjection(perspective(view.fov, aspect, ZEPengine.nearClip, ZEPengine.farClip));
}

}  // namespace zep

extern "C" {

// ---- Camera and placement ---------------------------------------------------

ZEP_EXPORT void ZEPAPI SetCameraPos(const D3DMATRIX* camera) {
    zep::ViewState& view = zep::viewState();
    view.camera = *camera;
    ZEP_matinv4x4(camera, &view.cameraInverse);
    composeWorld(view);
}

ZEP_EXPORT void ZEPAPI SetObjectCarrier(const D3DMATRIX* carrier) {
    zep::ViewState& view = zep::viewState();
    view.carrier = *carrier;
    if (ZEPengine.mirror) {
        // The reflection pass: mirrored about the horizontal plane through
        // the carrier's origin, so the y column of its rotation flips.
        view.carrier._12 = -view.carrier._12;
        view.carrier._22 = -view.carrier._22;
        view.carrier._32 = -view.carrier._32;
    }
    composeWorld(view);
}

ZEP_EXPORT void ZEPAPI SetSpriteCarrier(const D3DMATRIX* carrier) {
    // Only the carrier's position counts: the device gets a pure translation
    // to the camera-space position, so the sprite faces the viewer unrotated.
    zep::ViewState& view = zep::viewState();
    view.carrier = *carrier;
    D3DXMATRIX sprite = identityMatrix();
    sprite._41 = carrier->_41;
    sprite._42 = carrier->_42;
    sprite._43 = carrier->_43;
    D3DMATRIX& world = view.world;
    ZEP_matmul4x4(&sprite, &view.camera, &world);
    view.carrier._41 = sprite._41 = world._41;
    view.carrier._42 = sprite._42 = world._42;
    view.carrier._43 = sprite._43 = world._43;
    setDeviceTransform(D3DTS_WORLD, sprite);
    zep::recomputeWorldScale();
}

ZEP_EXPORT void ZEPAPI SetVisiblityMatrix(const D3DMATRIX* m) { zep::viewState().visibility = *m; }

ZEP_EXPORT void ZEPAPI GetWorldMatrix(D3DMATRIX* out) { *out = zep::viewState().world; }

ZEP_EXPORT void ZEPAPI Setviewmatrix(const D3DMATRIX* view) {
    zep::viewState().view = *view;
    setDeviceTransform(D3DTS_VIEW, *view);
}

ZEP_EXPORT void ZEPAPI SetSunDirection(float x, float y, float z) {
    ZEPengine.sunDirection = {x, y, z};
    // Object drawing turns its light vectors with these; the quaternions are
    // used as given, not normalised.
    const D3DXQUATERNION first(x, z, y, 1.0f), second(x, -z, y, 1.0f);
    D3DXMATRIX m;
    D3DXMatrixRotationQuaternion(&m, &first);
    zep::viewState().sun[0] = m;
    D3DXMatrixRotationQuaternion(&m, &second);
    zep::viewState().sun[1] = m;
}

// ---- Point functions ----------------------------------------------------------

ZEP_EXPORT void ZEPAPI ProjectPoint(D3DVECTOR* v) {
    const zep::ViewState& view = zep::viewState();
    const D3DXMATRIX projection(view.projection), viewMatrix(view.view), world(view.world);
    const D3DXVECTOR3 in(*v);
    D3DXVECTOR3 out;
    D3DXVec3Project(&out, &in, &view.viewport, &projection, &viewMatrix, &world);
    *v = out;
}

ZEP_EXPORT void ZEPAPI TransformPoint(D3DVECTOR* v) {
    ZEP_mattrans4x4(&zep::viewState().world, v->x, v->y, v->z, v);
}

ZEP_EXPORT void ZEPAPI PixelTransform(D3DVECTOR* v) {
    const D3DVIEWPORT8& viewport = zep::viewState().viewport;
    unprojectScreenPoint(v, v->x * float(viewport.Width), v->y * float(viewport.Height), v->z);
}

ZEP_EXPORT void ZEPAPI PixelTransformByMouse(D3DVECTOR* v) {
    const zep::MousePosition& mouse = zep::mousePosition();
    unprojectScreenPoint(v, float(mouse.x), float(mouse.y), v->z);
}

// ---- Projection and viewport ---------------------------------------------------

namespace {

// The perspective and orthographic setters that own their clip distances
// record them, then give the device the world matrix again.
void keepClipDistancesAndWorld(float nearClip, float farClip) {
    ZEPengine.nearClip = nearClip;
    ZEPengine.farClip = farClip;
    setDeviceTransform(D3DTS_WORLD, zep::viewState().world);
}

}  // namespace

ZEP_EXPORT void ZEPAPI SetViewParameters(float x, float y, float width, float height, float minZ, float maxZ) {
    placeViewport(x, y, width, height, minZ, maxZ);
}

ZEP_EXPORT void ZEPAPI SetViewportParameters(float x, float y, float width, float height, float fov, float aspect,
                                             float nearClip, float farClip) {
    zep::ViewState& view = zep::viewState();
    placeViewport(x, y, width, height, 0.0f, 1.0f);
    resolveClipDistances(nearClip, farClip);
    // The aspect is used as given here, and kept as the factor the next
    // frames multiply by the screen's width-to-height ratio.
    view.aspectFactor = aspect;
    view.fov = fov;
    setProjection(perspective(fov, aspect, nearClip, farClip));
    keepClipDistancesAndWorld(nearClip, farClip);
}

ZEP_EXPORT void ZEPAPI SetProjectParameters(float fov, float aspect, float nearClip, float farClip, float eyeX,
                                            float eyeY, float eyeZ, float atX, float atY, float atZ, float upX,
                                            float upY, float upZ) {
    zep::ViewState& view = zep::viewState();
    resolveClipDistances(nearClip, farClip);
    view.fov = fov;
    view.aspectFactor = aspect;
    setProjection(perspective(fov, aspect, nearClip, farClip));
    keepClipDistancesAndWorld(nearClip, farClip);
    setLookAtView(eyeX, eyeY, eyeZ, atX, atY, atZ, upX, upY, upZ);
}

ZEP_EXPORT void ZEPAPI SetAxViewportParameters(float x, float y, float width, float height, float scale,
                                               float aspect, float nearClip, float farClip) {
    zep::ViewState& view = zep::viewState();
    placeViewport(x, y, width, height, 0.0f, 1.0f);
    resolveClipDistances(nearClip, farClip);
    view.aspectFactor = aspect;
    view.orthoScale = scale;
    setProjection(orthographic(scale, aspect, nearClip, farClip));
    keepClipDistancesAndWorld(nearClip, farClip);
}

ZEP_EXPORT void ZEPAPI SetAxProjectParameters(float scale, float aspect, float nearClip, float farClip, float eyeX,
                                              float eyeY, float eyeZ, float atX, float atY, float atZ, float upX,
                                              float upY, float upZ) {
    // Near and far serve this projection only; the recorded ones stay, and
    // the device's world matrix is left as it is.
    zep::ViewState& view = zep::viewState();
    resolveClipDistances(nearClip, farClip);
    view.aspectFactor = aspect;
    view.orthoScale = scale;
    setProjection(orthographic(scale, aspect, nearClip, farClip));
    setLookAtView(eyeX, eyeY, eyeZ, atX, atY, atZ, upX, upY, upZ);
}

}  // extern "C"
