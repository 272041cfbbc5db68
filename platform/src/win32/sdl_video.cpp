// SDL video start-up with the headless fallback.

#include "win32/sdl_video.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace zep::win32 {
namespace {

bool displayVariablesSet() {
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
}

bool startVideo() {
    return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
}

}  // namespace

bool ensureVideo() {
    if (SDL_WasInit(SDL_INIT_VIDEO)) return true;

    // Ctrl+C must keep ending the program: SDL would otherwise turn SIGINT
    // into an SDL_QUIT event that no window procedure knows about.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");

    const char* chosen = std::getenv("SDL_VIDEODRIVER");
    const bool driverChosen = chosen && *chosen;
    if (!driverChosen && !displayVariablesSet())
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    if (startVideo()) return true;

    if (driverChosen) {
        std::fprintf(stderr, "SDL video driver '%s' failed: %s\n", chosen, SDL_GetError());
        return false;
    }
    // A display variable can name a display that is gone (a stale ssh
    // forwarding, a closed session): fall back to drawing off screen.
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    if (startVideo()) return true;
    std::fprintf(stderr, "SDL video cannot start: %s\n", SDL_GetError());
    return false;
}

bool hasDisplay() {
    if (!ensureVideo()) return false;
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0;
}

}  // namespace zep::win32
