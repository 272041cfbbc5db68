// MessageBoxA: an SDL dialog on a display, a line on standard error without.

#include "win32/sdl_video.h"
#include "win32/window_handle.h"

#include <SDL.h>

#include <cstdio>

using namespace zep::win32;

namespace {

Uint32 sdlIconFlags(UINT type) {
    switch (type & MB_ICONMASK) {
    case MB_ICONERROR: return SDL_MESSAGEBOX_ERROR;
    case MB_ICONWARNING: return SDL_MESSAGEBOX_WARNING;
    default: return SDL_MESSAGEBOX_INFORMATION;
    }
}

struct ButtonSet {
    int count;
    SDL_MessageBoxButtonData buttons[3];
};

// The buttons of each MB_ type, left to right, with the results they give;
// Enter picks the first, Escape the cancelling one.
ButtonSet buttonsFor(UINT type) {
    const Uint32 enter = SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
    const Uint32 escape = SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: return {2, {{enter, IDOK, "OK"}, {escape, IDCANCEL, "Cancel"}, {}}};
    case MB_ABORTRETRYIGNORE:
        return {3, {{enter, IDABORT, "Abort"}, {0, IDRETRY, "Retry"}, {escape, IDIGNORE, "Ignore"}}};
    case MB_YESNOCANCEL: return {3, {{enter, IDYES, "Yes"}, {0, IDNO, "No"}, {escape, IDCANCEL, "Cancel"}}};
    case MB_YESNO: return {2, {{enter, IDYES, "Yes"}, {escape, IDNO, "No"}, {}}};
    case MB_RETRYCANCEL: return {2, {{enter, IDRETRY, "Retry"}, {escape, IDCANCEL, "Cancel"}, {}}};
    default: return {1, {{enter | escape, IDOK, "OK"}, {}, {}}};
    }
}

}  // namespace

// Headless there is nobody to answer, so the box reads as confirmed (IDOK)
// and its text goes where a person reading the output would see it.
extern "C" int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    if (!text) text = "";
    if (!caption) caption = "Error";
    if (!hasDisplay()) {
        std::fprintf(stderr, "%s: %s\n", caption, text);
        return IDOK;
    }
    const ButtonSet set = buttonsFor(type);
    SDL_MessageBoxData box{};
    box.flags = sdlIconFlags(type);
    box.window = windowFromHandle(owner);
    box.title = caption;
    box.message = text;
    box.numbuttons = set.count;
    box.buttons = set.buttons;
    int pressed = 0;
    if (SDL_ShowMessageBox(&box, &pressed) != 0) {
        std::fprintf(stderr, "%s: %s\n", caption, text);
        return IDOK;
    }
    // Closing the dialog without a button is Escape.
    if (pressed < 0) return set.count == 1 ? IDOK : ((type & MB_TYPEMASK) == MB_YESNO ? IDNO : IDCANCEL);
    return pressed;
}
