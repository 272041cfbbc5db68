// timeGetTime over CLOCK_MONOTONIC.
//
// CLOCK_MONOTONIC is unaffected by changes to the wall clock, which is what a
// frame clock needs. The millisecond count is truncated to 32 bits so that it
// wraps exactly where the Windows counter does.

#include <mmsystem.h>

#include <cstdint>
#include <ctime>

extern "C" DWORD WINAPI timeGetTime(void)
{
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const uint64_t ms = static_cast<uint64_t>(now.tv_sec) * 1000u
                      + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<DWORD>(ms);
}
