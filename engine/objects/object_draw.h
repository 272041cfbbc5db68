// Object drawing inside the engine: the state putclipobj reads beside the
// engine record, shared with the render phases and with the code that makes
// the water noise texture and runs the frame clock.
#pragma once

#include <ZEPenginedll.h>

#include <d3d8.h>

#include <cstdint>

namespace zep {

// Switches the render phases set for the objects drawn after them.
struct DrawSwitches {
    // On in the shadow-volume phases: every object drawn is followed by the
    // cap that closes it where it crosses the near plane.
    bool capPass = false;
};
DrawSwitches& drawSwitches();

// What the bump two-texture modes (lava, dot3, water-style) need beside the
// mesh's own textures. Modes 0x200 to 0x400 are drawn only while the noise
// texture exists; the device opening makes it (with the water) and the
// frame cycle turns the rotation once per frame.
struct BumpState {
    IDirect3DTexture8* noise = nullptr;  // not owned here
    float rotation[4] = {0.004f, 0.0f, 0.0f, 0.004f};  // B: 00, 01, 10, 11
};
BumpState& bumpState();

// B = 0.004 x (cos t, -sin t; sin t, cos t) with t = 0.01 x the millisecond
// clock: the slow swirl of the water-style bump lookups.
void advanceBumpRotation(uint32_t milliseconds);

// The two phases of the grey-wave surface effect, advanced at every mesh
// that uses it (0.003 and 0.0017 per use).
struct WavePhases {
    float first = 0.0f;
    float second = 0.0f;
};
WavePhases& wavePhases();

}  // namespace zep
