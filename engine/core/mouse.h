// The last mouse position the window procedure saw, in client pixels of the
// device window. PixelTransformByMouse turns it back into a ray point; the
// window procedure keeps it current as mouse messages arrive.
#pragma once

namespace zep {

struct MousePosition {
    int x = 0;
    int y = 0;
};

inline MousePosition& mousePosition() {
    static MousePosition position;
    return position;
}

}  // namespace zep
