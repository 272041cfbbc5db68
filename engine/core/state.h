// Engine-wide state that lives outside the exported record.
#pragma once

#include <ZEPenginedll.h>

namespace zep {

// Pool capacities, in units of the pool (vertices, records). Hosts set them
// before the device opens; the device opening sizes the pools from them.
struct PoolCapacities {
    int32_t dynamicVertices;
    int32_t staticVertices;  // also the capacity of the 16-bit index pool
    int32_t layerVertices;
    int32_t helpers;
    int32_t objects;
    int32_t meshes;
};

// The capacities that apply when a host never calls SetZEPengineMemory.
inline constexpr PoolCapacities kDefaultPoolCapacities = {25000, 80000, 2000, 10000, 10000, 40000};

// The capacities the next device opening will use.
PoolCapacities& poolCapacities();

}  // namespace zep
