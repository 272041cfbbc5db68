// Memory the engine hands to hosts for the rest of the process: world
// object arrays, nested arrays, emitters and animation states. Hosts keep
// pointers into it and the engine never frees it; it stays listed here, so
// it is always reachable and leak checkers see it as owned, not lost.
#pragma once

#include <cstddef>

namespace zep {

// count x size zeroed bytes, or nullptr when memory runs out.
void* allocateForProcess(size_t count, size_t size);

}  // namespace zep
