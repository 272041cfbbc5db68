// OpenGL 3.3 core contexts for Direct3D devices.
//
// A device with a window draws through an SDL GL context made on that window
// (the window must have been created with SDL_WINDOW_OPENGL); a device
// without one (or whose window cannot take a GL context) draws through an EGL
// context on Mesa's surfaceless platform, which needs no display at all.
// Either way the device renders into framebuffers of its own; the window's
// default framebuffer is only written by Present.
//
// Every context is created with clip control (GL_UPPER_LEFT,
// GL_ZERO_TO_ONE), Direct3D's clip space and image orientation.
#pragma once

#include <SDL.h>

namespace zep::gl {

struct Context;

// Null when no context can be made (the reason goes to stderr once).
Context* createHeadlessContext();
Context* createWindowContext(SDL_Window* window);
void destroyContext(Context* context);

// Makes the context current on this thread; skips the call when it already
// is, so device methods may call it on every entry.
bool makeCurrent(Context* context);

// True when the context draws to `window`'s default framebuffer.
bool isWindowContext(const Context* context);

// Binds the context to `window` (another OpenGL window of the same
// display) so that framebuffer 0 is that window; false when it cannot be.
bool bindToWindow(Context* context, SDL_Window* window);

// Shows the window's default framebuffer.
void swapWindow(Context* context);

// True when this thread could get a surfaceless EGL context (no display
// needed). Cached after the first call.
bool headlessAvailable();

}  // namespace zep::gl
