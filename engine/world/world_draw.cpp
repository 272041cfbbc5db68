// World object drawing: PutWorldObj and PutWorldObjMax walk a world object
// array once per frame. Every active record near enough to the viewer and
// inside a rough view cone is placed under the carrier and drawn (its
// object, or the nested array it holds); animation, particles and the
// record's own behaviour run at their places in the walk, and every visited
// record moves and may expire.
//
// The world matrix the walk starts with (the carrier composed with the
// camera) is the carrier of every record and comes back when the walk ends.
// Nested arrays are walked under their record's transform.

#include "core/graphics.h"
#include "world/animation.h"
#include "world/behaviour.h"
#include "world/osr_loader.h"
#include "world/particles_step.h"

#include <ZEPenginedll.h>

#include <cmath>
#include <cstdint>

namespace {

// The carrier offset of the walk: the carrier's translation at the top, plus
// the position of each record the walk has descended into. Record
// distances are measured from the viewer with it, and particles start in
// its frame.
struct Walk {
    int32_t depth = 0;
    D3DVECTOR offset{};
};

Walk& walkState() {
    static Walk walk;
    return walk;
}

D3DVECTOR carrierTranslation() {
    const D3DMATRIX& k = zep::viewState().carrier;
    return {k._41, k._42, k._43};
}

// The viewer's position in the world: the translation of the camera's
// inverse.
D3DVECTOR viewerPosition() {
    const D3DMATRIX& c = zep::viewState().cameraInverse;
    return {c._41, c._42, c._43};
}

// 0.0018 x the squared distance from the viewer: the scale of viewDistance.
float distanceValue(const WorldObject& rec) {
    const D3DVECTOR viewer = viewerPosition();
    const D3DVECTOR& o = walkState().offset;
    const float dx = rec.matrix._41 - viewer.x + o.x;
    const float dy = rec.matrix._42 - viewer.y + o.y;
    const float dz = rec.matrix._43 - viewer.z + o.z;
    return 0.0018f * (dx * dx + dy * dy + dz * dz);
}

// Inside the record's view distance and, in fog, in front of the fog's end.
bool nearEnough(const WorldObject& rec, float distance) {
    if (!(distance < rec.viewDistance)) return false;
    if (ZEPengine.fogEnabled && !(distance < float(uint32_t(zep::sceneSettings().fogEnd)))) return false;
    return true;
}

// A rough cone ahead of the viewer, widened by the record's size (taken
// from its view distance).
bool insideViewCone(const WorldObject& rec, const D3DMATRIX& world) {
    const float r = std::trunc(rec.viewDistance * 0.0004f);
    const float w = world._43 + r;
    return w > 0.0f && (world._41 - r) / w < 0.4f && (world._41 + r) / w > -0.4f;
}

D3DMATRIX placed(const WorldObject& rec, const D3DMATRIX& carrier) {
    D3DMATRIX world;
    ZEP_matmul4x4(&rec.matrix, &carrier, &world);
    return world;
}

// The engine's world matrix, and the device's when the next draw needs it.
void setWorld(const D3DMATRIX& world, bool onDevice) {
    zep::viewState().world = world;
    if (!onDevice) return;
    if (IDirect3DDevice8* d = zep::graphics().device) d->SetTransform(D3DTS_WORLD, &world);
}

void walkArray(WorldObject* array, int32_t first, int32_t reserved, int32_t maxEntries, bool force);

// A nested array is drawn whole under its record: no distance or view test
// for its records, and their distances count from the record's position.
void descendInto(WorldObject& rec, int32_t reserved) {
    Walk& walk = walkState();
    const D3DVECTOR saved = walk.offset;
    walk.offset.x += rec.matrix._41;
    walk.offset.y += rec.matrix._42;
    walk.offset.z += rec.matrix._43;
    walkArray(rec.children, 0, reserved, 0x7FFF, true);
    walk.offset = saved;
}

void drawRecord(WorldObject& rec, int32_t index, const D3DMATRIX& carrier, int32_t reserved, bool force) {
    const float distance = distanceValue(rec);
    if (!force && !nearEnough(rec, distance)) return;
    D3DMATRIX world = placed(rec, carrier);
    if (!force && !insideViewCone(rec, world)) return;

    if (rec.flags & ZEP_WORLD_ANIM_GROUP) {
        zep::updateGroupAnimation(rec);
        world = placed(rec, carrier);
    }
    zep::turnRecord(rec, world, carrier);
    zep::bobRecord(rec, index, world);
    setWorld(world, false);

    if (rec.flags & (ZEP_WORLD_OBJECT | ZEP_WORLD_ALPHA)) {
        if (rec.children) {
            zep::runAnimationTrigger(rec, distance);
            descendInto(rec, reserved);
        } else if (rec.objIndex >= 0) {
            // Records whose object failed to load keep objIndex -1 and are
            // passed over without a word.
            setWorld(world, true);
            putclipobj(rec.objIndex);
        }
    }
    if (rec.flags & ZEP_WORLD_PARTICLES) zep::updateParticles(rec);
    if (rec.flags & ZEP_WORLD_SPRITE) zep::drawSpriteRecord(rec, carrier);
    if ((rec.flags & ZEP_WORLD_SELF_ANIM) && !(rec.flags & ZEP_WORLD_ANIM_GROUP)) zep::updateSelfAnimation(rec);
}

void walkArray(WorldObject* array, int32_t first, int32_t reserved, int32_t maxEntries, bool force) {
    if (!array) return;
    const D3DMATRIX carrier = zep::viewState().world;
    WorldObject* lastVisited = nullptr;
    // The limit is compared unsigned, so a negative start visits nothing.
    for (int32_t i = first; uint32_t(i) < uint32_t(maxEntries) && array[i].flags != ZEP_WORLD_END; ++i) {
        WorldObject& rec = array[i];
        lastVisited = &rec;
        if (rec.active && rec.flags != ZEP_WORLD_EMPTY) drawRecord(rec, i, carrier, reserved, force);
        // A stop record ends the walk; it neither moves nor expires.
        if (rec.flags & ZEP_WORLD_STOP_WALK) break;
        zep::moveRecord(rec);
        zep::expireRecord(rec);
    }
    // A freed record at the end shortens the array, one record per frame.
    if (lastVisited && lastVisited->flags == ZEP_WORLD_EMPTY) lastVisited->flags = ZEP_WORLD_END;
    setWorld(carrier, true);
}

}  // namespace

namespace zep {

D3DVECTOR walkOffset() { return walkState().depth > 0 ? walkState().offset : carrierTranslation(); }

}  // namespace zep

extern "C" {

ZEP_EXPORT void ZEPAPI PutWorldObjMax(WorldObject* array, int32_t first, int32_t reserved, int32_t maxEntries,
                                      uint8_t force) {
    Walk& walk = walkState();
    if (walk.depth == 0) walk.offset = carrierTranslation();
    ++walk.depth;
    walkArray(array, first, reserved, maxEntries, force != 0);
    --walk.depth;
}

ZEP_EXPORT void ZEPAPI PutWorldObj(WorldObject* array, int32_t reserved) {
    PutWorldObjMax(array, 0, reserved, 0x7FFF, 0);
}

}  // extern "C"
