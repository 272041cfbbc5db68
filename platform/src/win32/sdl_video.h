// SDL's video subsystem, started on first use by whatever needs a window,
// events or the keyboard.
//
// With no display (no DISPLAY or WAYLAND_DISPLAY, or the default driver
// failing to start) SDL is switched to its "offscreen" driver, whose windows
// take OpenGL contexts through EGL, so windows, messages and devices work on
// machines without an X server. An explicit SDL_VIDEODRIVER is respected.
#pragma once

namespace zep::win32 {

// True once SDL video (and with it SDL's event queue) is running.
bool ensureVideo();

// True when windows appear on a real screen, false under the offscreen or
// dummy drivers (and when video cannot start at all).
bool hasDisplay();

}  // namespace zep::win32
