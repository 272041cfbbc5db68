// Win32, DirectInput and DirectDraw structure layouts on 32-bit targets,
// where hosts and drivers built for Windows exchange them byte for byte.
// Compiled with -m32 only for checking.

#include <windows.h>
#include <ddraw.h>
#include <dinput.h>

#include <cstddef>
#include <cstdint>

#if UINTPTR_MAX == 0xffffffffu

static_assert(sizeof(DDCAPS) == 380);
static_assert(offsetof(DDCAPS, dwVidMemTotal) == 60);
static_assert(offsetof(DDCAPS, dwVidMemFree) == 64);
static_assert(offsetof(DDCAPS, dwRops) == 100);
static_assert(offsetof(DDCAPS, ddsOldCaps) == 132);
static_assert(offsetof(DDCAPS, dwNLVBRops) == 332);
static_assert(offsetof(DDCAPS, ddsCaps) == 364);
static_assert(sizeof(DDSCAPS2) == 16);

static_assert(sizeof(MSG) == 28);
static_assert(offsetof(MSG, time) == 16);
static_assert(offsetof(MSG, pt) == 20);
static_assert(sizeof(WNDCLASSA) == 40);
static_assert(sizeof(WNDCLASSEXA) == 48);
static_assert(offsetof(WNDCLASSEXA, hIconSm) == 44);
static_assert(sizeof(CREATESTRUCTA) == 48);
static_assert(offsetof(CREATESTRUCTA, cy) == 16);
static_assert(offsetof(CREATESTRUCTA, dwExStyle) == 44);
static_assert(sizeof(MINMAXINFO) == 40);
static_assert(offsetof(MINMAXINFO, ptMinTrackSize) == 24);

static_assert(sizeof(GUID) == 16);
static_assert(sizeof(LARGE_INTEGER) == 8);
static_assert(sizeof(WPARAM) == 4 && sizeof(LPARAM) == 4 && sizeof(LRESULT) == 4);

static_assert(sizeof(DIDATAFORMAT) == 24);
static_assert(sizeof(DIOBJECTDATAFORMAT) == 16);
static_assert(sizeof(DIDEVICEOBJECTDATA) == 20);

#endif
