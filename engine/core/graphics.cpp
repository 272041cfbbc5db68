// The device-side globals: one instance each, empty until a device opens
// and emptied again when the engine closes.

#include "core/graphics.h"

namespace zep {

Graphics& graphics() {
    static Graphics g;
    return g;
}

PoolBuffers& poolBuffers() {
    static PoolBuffers buffers;
    return buffers;
}

}  // namespace zep
