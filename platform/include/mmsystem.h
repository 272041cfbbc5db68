/* Multimedia timer for the Linux build.
 *
 * The engine's frame clock reads timeGetTime: milliseconds from a steady
 * clock that never goes back, wrapping at 2^32 like the Windows one (about
 * every 49.7 days), so intervals are taken as unsigned differences. */
#ifndef ZEP_PLATFORM_MMSYSTEM_H
#define ZEP_PLATFORM_MMSYSTEM_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Milliseconds of the steady (monotonic) clock, modulo 2^32. */
DWORD WINAPI timeGetTime(void);

#ifdef __cplusplus
}
#endif

#endif
