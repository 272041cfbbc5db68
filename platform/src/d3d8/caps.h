// The capabilities the runtime reports, the same for the HAL and REF device
// types (both are the one OpenGL implementation).
#pragma once

#include <d3d8.h>

namespace zep::d3d {

void fillDeviceCaps(D3DDEVTYPE type, D3DCAPS8* caps);

}  // namespace zep::d3d
