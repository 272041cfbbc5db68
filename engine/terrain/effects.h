// The engine's programmable-pipeline programs: four D3DX effects compiled
// from text held in the library, and the vertex-shader declaration that
// tweens morph objects. They live on the device: created at initialisation
// and after every reset, released before a reset and at the final clean-up.
//
// Drawing code looks them up by role and tests for null, since an effect
// that failed to compile stays null while the others stay usable:
//
//   ID3DXEffect* bump = zep::effectPrograms().bump;
//   if (zep::beginEffectPass(bump)) {
//       device->DrawIndexedPrimitive(...);
//       zep::endEffectPass(bump);
//   }
#pragma once

#include <d3d8.h>
#include <d3dx8effect.h>

#include <cstdint>

namespace zep {

// The programs by role. Each is null (0 for the tween handle) when absent.
struct EffectPrograms {
    ID3DXEffect* bump = nullptr;      // technique "dot3": ps.1.1 normal-map lighting of objects
    ID3DXEffect* water = nullptr;     // technique "water": ps.1.1 with two bump-environment lookups
    ID3DXEffect* wideLine = nullptr;  // technique "Sphere": vs.1.0 widening of line strips;
                                      // parameters "matWorld", "matViewProject", "wide", "towv"
    ID3DXEffect* terrain = nullptr;   // technique "Voxel": vs.1.0 passing pre-transformed terrain vertices
    DWORD tweenShader = 0;            // vertex-shader handle of the tween declaration (fixed function)
};
EffectPrograms& effectPrograms();

// The declaration behind tweenShader: stream 0 with position, normal,
// diffuse, two texture coordinate pairs, then the second position and
// normal (88-byte vertex pairs), ended by D3DVSD_END().
inline constexpr DWORD kTweenDeclaration[] = {
    0x20000000, 0x40020000, 0x40020003, 0x40040005, 0x40010007,
    0x40010008, 0x4002000F, 0x40020010, 0xFFFFFFFF,
};

// The effect texts, exactly as the engine compiles them.
extern const char kBumpEffectText[];
extern const char kWaterEffectText[];
extern const char kWideLineEffectText[];
extern const char kTerrainEffectText[];

// Creates all five programs on the current device, releasing any that
// exist first. 1 when all five were made; otherwise logs
// "Vertex shader Error.\n" and returns 0, keeping those that were made.
uint8_t createEffectPrograms();

// Releases the four effects and the tween shader and nulls them. Safe to
// call when none exist or the device is gone.
void releaseEffectPrograms();

// Begins `effect` and runs its first pass. With flags 0 the device states
// the pass sets (shaders, constants, render and stage states, textures) are
// saved and endEffectPass puts them back; D3DXFX_DONOTSAVESTATE (1) leaves
// the pass's states in place after the end. False (and nothing begun) when
// effect is null or the pass cannot start.
bool beginEffectPass(ID3DXEffect* effect, DWORD flags = 0);

// Ends what beginEffectPass began; null is ignored.
void endEffectPass(ID3DXEffect* effect);

}  // namespace zep
