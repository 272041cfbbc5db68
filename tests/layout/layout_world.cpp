// Binary layout of the world, map, shadow and terrain records.
//
// Hosts built against the 32-bit library step through world object arrays
// and read map layers by fixed byte offsets, so on 32-bit targets every
// field must sit exactly where the interface puts it. On 64-bit targets
// pointers grow, so only the field order is held there, except for records
// without pointers, whose offsets are the same on every target.
//
// Checked at compile time; build with and without -m32.
#include "ZEPenginedll.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>

namespace {

constexpr bool is32Bit = sizeof(void*) == 4;

constexpr bool inDeclarationOrder(std::initializer_list<std::size_t> offsets)
{
    std::size_t previous = 0;
    bool first = true;
    for (std::size_t offset : offsets) {
        if (!first && offset <= previous)
            return false;
        previous = offset;
        first = false;
    }
    return true;
}

} // namespace

// Each table lists every field of a record with its 32-bit offset.
#define ZEP_OFFSET_OF(record, field, offset32) offsetof(record, field),
#define ZEP_EXACT_OFFSET(record, field, offset32) \
    static_assert(offsetof(record, field) == (offset32), #record "." #field " must sit at " #offset32);

// Order on every target; exact offsets and size where the layout is fixed.
#define ZEP_CHECK_ORDER(record, FIELDS) \
    static_assert(inDeclarationOrder({FIELDS(ZEP_OFFSET_OF)}), #record " fields out of order");
#define ZEP_CHECK_EXACT(record, size32, FIELDS) \
    FIELDS(ZEP_EXACT_OFFSET)                    \
    static_assert(sizeof(record) == (size32), #record " must be " #size32 " bytes");

// ---- World objects and animation -----------------------------------------

#define WORLD_OBJECT_FIELDS(F)                  \
    F(WorldObject, path, 0)                     \
    F(WorldObject, objName, 100)                \
    F(WorldObject, baseMatrix, 200)             \
    F(WorldObject, matrix, 264)                 \
    F(WorldObject, motionMatrix, 328)           \
    F(WorldObject, objIndex, 392)               \
    F(WorldObject, reservedDistance, 396)       \
    F(WorldObject, reserved400, 400)            \
    F(WorldObject, viewDistance, 416)           \
    F(WorldObject, active, 420)                 \
    F(WorldObject, flags, 424)                  \
    F(WorldObject, children, 428)               \
    F(WorldObject, particles, 432)              \
    F(WorldObject, moving, 436)                 \
    F(WorldObject, physics, 440)                \
    F(WorldObject, rndFactor, 444)              \
    F(WorldObject, dispersion, 448)             \
    F(WorldObject, mass, 452)                   \
    F(WorldObject, mainPower, 456)              \
    F(WorldObject, respawnTime, 460)            \
    F(WorldObject, mainLifetime, 464)           \
    F(WorldObject, animTime, 468)               \
    F(WorldObject, spawnSource, 472)            \
    F(WorldObject, anim, 476)                   \
    F(WorldObject, animType, 480)               \
    F(WorldObject, hurt, 484)                   \
    F(WorldObject, armour, 488)                 \
    F(WorldObject, triggerRadius, 492)          \
    F(WorldObject, reserved496, 496)

#define ANIM_STATE_FIELDS(F)                    \
    F(AnimState, speed, 0)                      \
    F(AnimState, position, 4)                   \
    F(AnimState, reserved8, 8)                  \
    F(AnimState, key, 12)                       \
    F(AnimState, reserved16, 16)

#define ANIM_GROUP_FIELDS(F)                    \
    F(AnimGroup, state, 0)                      \
    F(AnimGroup, reserved20, 20)                \
    F(AnimGroup, targetCount, 24)               \
    F(AnimGroup, names, 28)                     \
    F(AnimGroup, targets, 284)                  \
    F(AnimGroup, targetBases, 796)

#define PARTICLE_SYSTEM_FIELDS(F)               \
    F(ParticleSystem, slots, 0)                 \
    F(ParticleSystem, lastSlot, 4)              \
    F(ParticleSystem, lastEmission, 8)          \
    F(ParticleSystem, lifetime, 12)             \
    F(ParticleSystem, emissionInterval, 16)     \
    F(ParticleSystem, power, 20)                \
    F(ParticleSystem, growth, 24)               \
    F(ParticleSystem, size, 28)                 \
    F(ParticleSystem, fadeStep, 32)             \
    F(ParticleSystem, grid, 36)                 \
    F(ParticleSystem, reserved48, 48)           \
    F(ParticleSystem, texture, 60)              \
    F(ParticleSystem, particles, 64)

#define PARTICLE_FIELDS(F)                      \
    F(Particle, alive, 0)                       \
    F(Particle, matrix, 4)                      \
    F(Particle, velocity, 68)                   \
    F(Particle, deathTime, 80)                  \
    F(Particle, reserved84, 84)                 \
    F(Particle, colour, 88)

// ---- Picking ---------------------------------------------------------------

#define RAY_HIT_FIELDS(F)                       \
    F(RayHit, hit, 0)                           \
    F(RayHit, distance, 4)                      \
    F(RayHit, u, 8)                             \
    F(RayHit, v, 12)                            \
    F(RayHit, tu0, 16)                          \
    F(RayHit, tv0, 20)                          \
    F(RayHit, tu1, 24)                          \
    F(RayHit, tv1, 28)

// ---- Map layers ------------------------------------------------------------

#define MAP_OBJECT_FIELDS(F)                    \
    F(MapObject, labelX, 0)                     \
    F(MapObject, labelY, 4)                     \
    F(MapObject, x0, 8)                         \
    F(MapObject, y0, 12)                        \
    F(MapObject, x1, 16)                        \
    F(MapObject, y1, 20)                        \
    F(MapObject, text, 24)                      \
    F(MapObject, ordinal, 1024)                 \
    F(MapObject, extent, 1028)                  \
    F(MapObject, height, 1032)                  \
    F(MapObject, angle, 1036)

#define MAP_LAYER_FIELDS(F)                     \
    F(MapLayer, objects, 0)                     \
    F(MapLayer, lines, 4)                       \
    F(MapLayer, triangles, 8)                   \
    F(MapLayer, objectCount, 36)                \
    F(MapLayer, minX, 40)                       \
    F(MapLayer, minY, 44)                       \
    F(MapLayer, maxX, 48)                       \
    F(MapLayer, maxY, 52)                       \
    F(MapLayer, columnCount, 56)                \
    F(MapLayer, labelColumns, 60)               \
    F(MapLayer, texture, 64)                    \
    F(MapLayer, triangleCount, 68)              \
    F(MapLayer, reserved72, 72)                 \
    F(MapLayer, labelRange, 76)                 \
    F(MapLayer, colour, 80)                     \
    F(MapLayer, labelColour, 84)                \
    F(MapLayer, lineWidth, 88)                  \
    F(MapLayer, signSize, 92)                   \
    F(MapLayer, signMarker, 96)                 \
    F(MapLayer, fillRegions, 100)               \
    F(MapLayer, thinOverWide, 101)              \
    F(MapLayer, useCenterClauses, 102)          \
    F(MapLayer, alwaysOnTop, 103)               \
    F(MapLayer, columnNames, 104)

// ---- Shadows ---------------------------------------------------------------

#define SHADOW_VOLUME_FIELDS(F)                 \
    F(ShadowVolume, byteSize, 0)                \
    F(ShadowVolume, reserved4, 4)               \
    F(ShadowVolume, vertexCount, 8)             \
    F(ShadowVolume, box, 12)

#define PROJECTED_SHADOW_FIELDS(F)              \
    F(ProjectedShadow, byteSize, 0)             \
    F(ProjectedShadow, kind, 4)                 \
    F(ProjectedShadow, vertexCount, 8)          \
    F(ProjectedShadow, box, 12)

#define PROJECTED_SHADOW_VERTEX_FIELDS(F)       \
    F(ProjectedShadowVertex, x, 0)              \
    F(ProjectedShadowVertex, y, 4)              \
    F(ProjectedShadowVertex, z, 8)              \
    F(ProjectedShadowVertex, u, 12)             \
    F(ProjectedShadowVertex, v, 16)

#define SHADOW_PROJECTION_FIELDS(F)             \
    F(ShadowProjection, texture, 0)             \
    F(ShadowProjection, size, 4)                \
    F(ShadowProjection, uCentre, 16)            \
    F(ShadowProjection, vCentre, 20)            \
    F(ShadowProjection, lightRotation, 24)

// ---- Terrain ---------------------------------------------------------------

#define VOXEL_MAP_FIELDS(F)                     \
    F(VoxelMap, map, 0)                         \
    F(VoxelMap, heights, 4)                     \
    F(VoxelMap, hue, 8)                         \
    F(VoxelMap, colour, 24)                     \
    F(VoxelMap, reserved40, 40)                 \
    F(VoxelMap, directory, 1040)                \
    F(VoxelMap, scaleX, 2040)                   \
    F(VoxelMap, scaleY, 2044)                   \
    F(VoxelMap, colourSize, 2048)

// ---- Field order, every target ----------------------------------------------

ZEP_CHECK_ORDER(WorldObject, WORLD_OBJECT_FIELDS)
ZEP_CHECK_ORDER(AnimState, ANIM_STATE_FIELDS)
ZEP_CHECK_ORDER(AnimGroup, ANIM_GROUP_FIELDS)
ZEP_CHECK_ORDER(ParticleSystem, PARTICLE_SYSTEM_FIELDS)
ZEP_CHECK_ORDER(Particle, PARTICLE_FIELDS)
ZEP_CHECK_ORDER(RayHit, RAY_HIT_FIELDS)
ZEP_CHECK_ORDER(MapObject, MAP_OBJECT_FIELDS)
ZEP_CHECK_ORDER(MapLayer, MAP_LAYER_FIELDS)
ZEP_CHECK_ORDER(ShadowVolume, SHADOW_VOLUME_FIELDS)
ZEP_CHECK_ORDER(ProjectedShadow, PROJECTED_SHADOW_FIELDS)
ZEP_CHECK_ORDER(ProjectedShadowVertex, PROJECTED_SHADOW_VERTEX_FIELDS)
ZEP_CHECK_ORDER(ShadowProjection, SHADOW_PROJECTION_FIELDS)
ZEP_CHECK_ORDER(VoxelMap, VOXEL_MAP_FIELDS)

// ---- Exact layout of the records without pointers, every target -------------

ZEP_CHECK_EXACT(AnimState, 20, ANIM_STATE_FIELDS)
ZEP_CHECK_EXACT(Particle, 92, PARTICLE_FIELDS)
ZEP_CHECK_EXACT(RayHit, 32, RAY_HIT_FIELDS)
ZEP_CHECK_EXACT(MapObject, 1040, MAP_OBJECT_FIELDS)
ZEP_CHECK_EXACT(ShadowVolume, 108, SHADOW_VOLUME_FIELDS)
ZEP_CHECK_EXACT(ProjectedShadow, 108, PROJECTED_SHADOW_FIELDS)
ZEP_CHECK_EXACT(ProjectedShadowVertex, 20, PROJECTED_SHADOW_VERTEX_FIELDS)
ZEP_CHECK_EXACT(ShadowProjection, 88, SHADOW_PROJECTION_FIELDS)

// Both shadow buffers put their vertices right after the shared header size.
static_assert(sizeof(ShadowVolume) == ZEP_SHADOW_HEADER_SIZE, "shadow volume header size");
static_assert(sizeof(ProjectedShadow) == ZEP_SHADOW_HEADER_SIZE, "projected shadow header size");

// ---- Exact layout of the records with pointers, 32-bit targets --------------

#if UINTPTR_MAX == 0xffffffffu
static_assert(is32Bit, "32-bit layout checks on a 32-bit target only");
ZEP_CHECK_EXACT(WorldObject, 732, WORLD_OBJECT_FIELDS)
ZEP_CHECK_EXACT(AnimGroup, 8988, ANIM_GROUP_FIELDS)
ZEP_CHECK_EXACT(ParticleSystem, 68, PARTICLE_SYSTEM_FIELDS)
ZEP_CHECK_EXACT(MapLayer, 25704, MAP_LAYER_FIELDS)
ZEP_CHECK_EXACT(VoxelMap, 2052, VOXEL_MAP_FIELDS)
#else
static_assert(!is32Bit, "pointer width and UINTPTR_MAX disagree");
#endif
