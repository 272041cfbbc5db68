// The per-record behaviour of world objects, run by the world object walk
// (PutWorldObjMax) while it draws an array: turning and bobbing, the trigger
// that starts nested animations, sprite records, movement under the motion
// matrix, and the expiry and respawning of records with a lifetime.
//
// In the walk, per visited record i (S the world matrix the walk started
// with, W = rec.matrix x S for a record that passed the view test):
//
//   turnRecord(rec, W, S);  bobRecord(rec, i, W);
//   if it draws nested records:  runAnimationTrigger(rec, distance);
//   if (rec.flags & ZEP_WORLD_SPRITE) drawSpriteRecord(rec, S);
//   ... then for every visited record that does not end the walk:
//   moveRecord(rec);  expireRecord(rec);
#pragma once

#include <ZEPenginedll.h>

#include <cstdint>

namespace zep {

// Orientation by physics: ROTATE spins the drawn transform W about the
// vertical axis on the frame clock (rec.matrix unchanged); AIMY and AIMXY
// turn rec.matrix a tenth of the way towards the origin and rebuild W from
// it and the carrier S.
void turnRecord(WorldObject& rec, D3DMATRIX& world, const D3DMATRIX& carrier);

// Bobbing of LEVITATE, AIMXY and FLOATING records in W, phase-shifted by
// the record's index; the reflection pass bobs the other way.
void bobRecord(const WorldObject& rec, int32_t index, D3DMATRIX& world);

// A PLAYANIM record with nested records starts their animations once, when
// the viewer's distance value drops below its trigger radius x 800.
void runAnimationTrigger(WorldObject& rec, float distanceValue);

// A sprite record: its texture on the sprite quad, at the record's position
// under the carrier S, doubled in size.
void drawSpriteRecord(WorldObject& rec, const D3DMATRIX& carrier);

// A moving record turns and moves by its motion matrix, which falls by the
// record's mass every frame.
void moveRecord(WorldObject& rec);

// A record whose respawn time has passed is freed, or replaced by a fresh
// copy of its spawn source.
void expireRecord(WorldObject& rec);

}  // namespace zep
