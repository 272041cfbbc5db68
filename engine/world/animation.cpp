// Key-frame playback on world object records: a record plays its own
// object's animation (self animation), or an animation group record plays
// its carrier object's animation on a list of other records.
//
// Playback runs on the frame clock: each drawn frame the position (in
// ticks) moves by frameDelta x speed, whole ticks only, and the pose is
// interpolated between the two keys around it. The end of the key list is
// handled by the record's animType: rest on the last key, loop, or turn
// back (oscillate), and optionally hide the record.

#include "world/animation.h"

#include "core/process_memory.h"

#include "objects/registry.h"

#include <ZEPenginedll.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace zep {

namespace {

// The animation entry the object `obj` plays, or null when the object or
// its entry does not exist. Entries need two keys: playback always reads
// the key after the current one.
const AnimationEntry* animationOfObject(int32_t obj) {
    if (obj < 0 || obj >= std::min(ZEPengine.objectCount, registryCapacities().objects)) return nullptr;
    const int32_t entry = ZEPengine.objects[obj].firstAnimation;
    const int32_t entries = std::clamp(ZEPengine.animationCount, 0, ZEP_MAX_ANIMATIONS);
    if (entry < 0 || entry >= entries) return nullptr;
    const AnimationEntry& animation = ZEPengine.animations[entry];
    if (animation.keyCount < 2 || animation.keyCount > ZEP_MAX_ANIMATION_KEYS) return nullptr;
    return &animation;
}

// Float to int32 the way a truncating conversion does, but without
// undefined results for values outside the range (a runaway speed).
int32_t truncateToInt(double value) {
    if (!(value > double(INT32_MIN))) return value != value ? 0 : INT32_MIN;
    if (value >= double(INT32_MAX)) return INT32_MAX;
    return int32_t(value);
}

// Which of the two updates runs: they differ only in who may be hidden and
// in how strictly a loop is recognised at the end of the keys.
enum class Update { Self, Group };

// Where playback stands after advancing one frame: the segment's first key
// and the weight of the key after it.
struct Segment {
    int32_t key;
    float weight;
};

// Steps the state past the keys it has crossed and applies the animType's
// rules at either end. Forward it moves at most one key per frame, so a
// long frame catches up over the following frames while the pose rests on
// the later key. Backwards it steps over every key it has crossed and
// turns at key 0 in the same frame: a position left below zero would read
// as "stopped" on the next frame and freeze the record for good.
Segment advance(AnimState& state, WorldObject& rec, const AnimationEntry& animation, Update update) {
    const int32_t lastKey = animation.keyCount - 1;
    const double moved = double(state.position) + double(ZEPengine.frameDelta) * double(state.speed);
    state.position = truncateToInt(moved);
    float position = float(state.position);
    int32_t k = std::clamp(state.key, 0, lastKey - 1);

    while (k > 0 && position < animation.keyTimes[k]) --k;
    if (position < animation.keyTimes[0]) {
        const int32_t backwards = ZEP_ANIMTYPE_OSCILLATE | ZEP_ANIMTYPE_REVERSE;
        const bool once = (rec.animType & ZEP_ANIMTYPE_ONCE) != 0;
        const bool turning = (rec.animType & backwards) == backwards;
        if (once && update == Update::Self && (rec.animType & ZEP_ANIMTYPE_HIDE_AT_END)) rec.active = 0;
        if (turning) {
            state.speed = -state.speed;
            rec.animType &= ~ZEP_ANIMTYPE_REVERSE;
        }
        // Once, loop and a turning oscillation restart at 0; so does a run
        // backwards with no rule for the start (a negative speed given to
        // PlayAnim), which rests there, still running.
        if (once || (rec.animType & ZEP_ANIMTYPE_LOOP) || turning || state.position < 0) {
            state.position = 0;
            position = 0.0f;
        }
    }

    if (position > animation.keyTimes[k + 1]) {
        if (k + 2 < animation.keyCount) {
            ++k;
        } else {
            const float endTime = animation.keyTimes[lastKey];
            state.position = truncateToInt(endTime);
            position = endTime;
            if (endTime >= 1.0f) {
                if (update == Update::Self && (rec.animType & ZEP_ANIMTYPE_HIDE_AT_END)) rec.active = 0;
                const bool loops = update == Update::Self ? (rec.animType & ZEP_ANIMTYPE_LOOP) != 0
                                                          : rec.animType == ZEP_ANIMTYPE_LOOP;
                if (loops) {
                    k = 0;
                    state.position = 0;
                    position = 0.0f;
                }
                if ((rec.animType & ZEP_ANIMTYPE_OSCILLATE) && !(rec.animType & ZEP_ANIMTYPE_REVERSE)) {
                    state.speed = -state.speed;
                    rec.animType |= ZEP_ANIMTYPE_REVERSE;
                }
            }
        }
    }

    // Keys closer than a whole tick (equal times included) give no segment
    // to interpolate over: the pose is the later key's. Outside its segment
    // the pose rests on the nearer key; the keys define no pose beyond them.
    const int32_t span = truncateToInt(double(animation.keyTimes[k + 1]) - double(animation.keyTimes[k]));
    const float weight = span == 0 ? 1.0f : std::clamp((position - animation.keyTimes[k]) / float(span), 0.0f, 1.0f);
    state.key = k;
    return {k, weight};
}

// The pose between key k and key k + 1: rotation and translation by
// ZEP_matrix4x4, then the scale applied to the 3 x 3 part.
D3DMATRIX keyPose(const AnimationEntry& animation, Segment segment) {
    const AnimationKey& a = animation.keys[segment.key];
    const AnimationKey& b = animation.keys[segment.key + 1];
    const float u = segment.weight;
    auto mix = [u](float from, float to) { return (1.0f - u) * from + u * to; };
    D3DMATRIX pose;
    ZEP_matrix4x4(&pose, mix(a.rotation.x, b.rotation.x), mix(a.rotation.y, b.rotation.y),
                  mix(a.rotation.z, b.rotation.z), mix(a.translation.x, b.translation.x),
                  mix(a.translation.y, b.translation.y), mix(a.translation.z, b.translation.z));
    ZEP_matscale4x4(&pose, mix(a.scale.x, b.scale.x), mix(a.scale.y, b.scale.y), mix(a.scale.z, b.scale.z));
    return pose;
}

// The rate factor PlayAnim multiplies its speed by: the rate of the
// record's own animation, or of the first animation loaded when the record
// plays none of its own (a group whose carrier has no animation).
float rateFor(const AnimationEntry* own) {
    if (own) return own->rate;
    return ZEPengine.animationCount > 0 ? ZEPengine.animations[0].rate : 0.0f;
}

AnimState* newStoppedState() {
    // Playback states live as long as the records that point to them: the
    // engine never frees them.
    auto* state = static_cast<AnimState*>(allocateForProcess(1, sizeof(AnimState)));
    if (!state) {
        ZEP_log("Error: no memory for an animation state.\n");
        return nullptr;
    }
    state->position = -1;
    return state;
}

bool isGroup(const WorldObject& rec) { return (rec.flags & ZEP_WORLD_ANIM_GROUP) != 0; }

// Gives a self-animated record its state unless it has one. Group records
// keep theirs: an AnimState in place of their AnimGroup would be read past.
bool ensureSelfState(WorldObject& rec) {
    if (rec.anim) return true;
    if (isGroup(rec)) return false;
    CreateSelfAnim(&rec);
    return rec.anim != nullptr;
}

// PlayAnim for one record: it needs an object, and, unless it is a group,
// an animation of that object to play.
void startPlayback(WorldObject& rec, float speed) {
    if (rec.objIndex < 0) return;
    const AnimationEntry* own = animationOfObject(rec.objIndex);
    if (!isGroup(rec) && !own) return;
    if (!ensureSelfState(rec)) return;
    AnimState& state = *rec.anim;
    if (state.position < 0) state.position = 0;
    state.speed = rateFor(own) * speed;
    rec.animTime = -1;
}

void stopPlayback(WorldObject& rec) {
    if (rec.anim) {
        rec.anim->position = -1;
        rec.anim->speed = 0.0f;
    }
    rec.matrix = rec.baseMatrix;
    rec.animTime = -1;
}

}  // namespace

void updateSelfAnimation(WorldObject& rec) {
    const AnimationEntry* animation = animationOfObject(rec.objIndex);
    if (!animation || !rec.anim || rec.anim->position < 0) return;
    const Segment segment = advance(*rec.anim, rec, *animation, Update::Self);
    const D3DMATRIX pose = keyPose(*animation, segment);
    rec.animTime = ZEPengine.frameStart;
    ZEP_matmul4x4(&pose, &rec.baseMatrix, &rec.matrix);
}

void updateGroupAnimation(WorldObject& rec) {
    const AnimationEntry* animation = animationOfObject(rec.objIndex);
    if (!animation || !rec.anim || !isGroup(rec) || rec.anim->position < 0) return;
    AnimGroup& group = *reinterpret_cast<AnimGroup*>(rec.anim);
    const Segment segment = advance(group.state, rec, *animation, Update::Group);
    const D3DMATRIX pose = keyPose(*animation, segment);
    const int32_t now = ZEPengine.frameStart;
    for (int32_t j = 0; j < ZEP_ANIMGROUP_TARGETS && group.targets[j]; ++j) {
        WorldObject& target = *group.targets[j];
        if (target.animTime <= now && !(target.flags & ZEP_WORLD_SELF_ANIM)) {
            target.animTime = now;
            ZEP_matmul4x4(&pose, &group.targetBases[j], &target.matrix);
        } else {
            // The target plays its own animation this frame as well: the
            // group's motion goes on top of it.
            const D3DMATRIX own = target.matrix;
            ZEP_matmul4x4(&pose, &own, &target.matrix);
        }
    }
}

}  // namespace zep

extern "C" {

ZEP_EXPORT void ZEPAPI CreateSelfAnim(WorldObject* rec) {
    if (!rec || zep::isGroup(*rec)) return;
    AnimState* state = zep::newStoppedState();
    if (!state) return;
    rec->flags |= ZEP_WORLD_SELF_ANIM;
    rec->anim = state;
    rec->animTime = -1;
}

ZEP_EXPORT void ZEPAPI PlayAnim(WorldObject* rec, float speed) {
    if (!rec) return;
    if (!rec->children) {
        zep::startPlayback(*rec, speed);
        return;
    }
    // A record with a nested array plays its children, not itself; the
    // children's own children are left alone.
    for (WorldObject* child = rec->children; child->flags != ZEP_WORLD_END; ++child) zep::startPlayback(*child, speed);
}

ZEP_EXPORT void ZEPAPI StopAnim(WorldObject* rec) {
    if (!rec) return;
    zep::stopPlayback(*rec);
    if (!rec->children) return;
    int32_t k = 0;
    for (WorldObject* child = rec->children; child->flags != ZEP_WORLD_END; ++child, ++k) {
        zep::stopPlayback(*child);
        ZEP_log("num:%i", k);
    }
}

}  // extern "C"
