// The particle step of the world object walk: for every drawn record that
// carries an emitter (flags has ZEP_WORLD_PARTICLES), after its object has
// been drawn, the walk calls updateParticles(rec), which draws, moves,
// fades and emits the record's particles on the frame clock.
//
// Particles live in the space of the carrier: a new particle starts at the
// record's translation plus walkOffset(), the offset the walk keeps.
#pragma once

#include <ZEPenginedll.h>

namespace zep {

// Draws and advances the particles of `rec`. Defined by the particle code;
// until it is there an empty body in behaviour.cpp stands in for it.
void updateParticles(WorldObject& rec);

// The walk's carrier offset: the translation of the carrier last given to
// SetObjectCarrier, moved by the position of every record the walk has
// descended into. Defined by the walk (world_draw.cpp).
D3DVECTOR walkOffset();

}  // namespace zep
