// World object behaviour. The walk already calls these steps where they
// belong; their bodies are still empty and are filled by the behaviour code
// (turning, bobbing, the animation trigger, sprite records, movement and
// respawning) and, for the particle step, by the particle code. Until then
// records are drawn where their matrix puts them, never move or expire, and
// emit no particles.

#include "world/behaviour.h"
#include "world/particles_step.h"

namespace zep {

void turnRecord(WorldObject&, D3DMATRIX&, const D3DMATRIX&) {
    // Filled by the behaviour code: ROTATE, AIMY and AIMXY.
}

void bobRecord(const WorldObject&, int32_t, D3DMATRIX&) {
    // Filled by the behaviour code: LEVITATE, AIMXY and FLOATING bobbing.
}

void runAnimationTrigger(WorldObject&, float) {
    // Filled by the behaviour code: the PLAYANIM trigger.
}

void drawSpriteRecord(WorldObject&, const D3DMATRIX&) {
    // Filled by the behaviour code: sprite records.
}

void moveRecord(WorldObject&) {
    // Filled by the behaviour code: movement under the motion matrix.
}

void expireRecord(WorldObject&) {
    // Filled by the behaviour code: expiry and respawning.
}

// Stands in for the particle code's update until it comes; it then moves
// out of this file.
void updateParticles(WorldObject&) {
    // Filled by the particle code: drawing, moving, fading and emitting.
}

}  // namespace zep
