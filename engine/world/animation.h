// Animation playback inside the engine: the two per-frame updates that the
// world-object walk runs for the records it draws.
//
// Both advance playback on the frame clock of the engine record
// (ZEPengine.frameStart and ZEPengine.frameDelta, taken by StartFrame) and
// write the result straight into world object records; neither allocates.
// Records without an object, without a state, or whose playback is stopped
// (position -1) are left alone.
//
// In the walk, per drawn record:
//
//   if (rec.flags & ZEP_WORLD_ANIM_GROUP) {
//       zep::updateGroupAnimation(rec);          // moves the targets
//       W = rec.matrix x S;                      // rebuilt afterwards
//   }
//   ... draw the object, particles, sprite ...
//   if ((rec.flags & ZEP_WORLD_SELF_ANIM) && !(rec.flags & ZEP_WORLD_ANIM_GROUP))
//       zep::updateSelfAnimation(rec);           // may clear rec.active
#pragma once

#include <ZEPenginedll.h>

namespace zep {

// Group record (flags has ZEP_WORLD_ANIM_GROUP, anim is an AnimGroup):
// advances the carrier object's animation and sets the matrix of every
// target of the group. The group record's own matrix is not changed, and
// it is never hidden by the update.
void updateGroupAnimation(WorldObject& rec);

// Self-animated record (ZEP_WORLD_SELF_ANIM without ZEP_WORLD_ANIM_GROUP):
// advances the record's own animation and sets its matrix to the key pose
// on top of baseMatrix. With ZEP_ANIMTYPE_HIDE_AT_END the record's active
// byte is cleared when playback reaches the end (or, for a once animation,
// runs back before its first key).
void updateSelfAnimation(WorldObject& rec);

}  // namespace zep
