// Process services: last error, time, sleeping, the working directory and
// debug output.

#include <windows.h>

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

namespace {

thread_local DWORD lastError = ERROR_SUCCESS;

uint64_t steadyNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return uint64_t(now.tv_sec) * 1000000000u + uint64_t(now.tv_nsec);
}

}  // namespace

extern "C" DWORD WINAPI GetLastError(void) { return lastError; }

extern "C" void WINAPI SetLastError(DWORD error) { lastError = error; }

extern "C" void WINAPI Sleep(DWORD milliseconds) {
    timespec wait{time_t(milliseconds / 1000), long(milliseconds % 1000) * 1000000L};
    while (nanosleep(&wait, &wait) == -1 && errno == EINTR) {
    }
}

// The same clock as timeGetTime, wrapping at 2^32 milliseconds.
extern "C" DWORD WINAPI GetTickCount(void) { return DWORD(steadyNanoseconds() / 1000000u); }

extern "C" BOOL WINAPI QueryPerformanceCounter(LARGE_INTEGER* count) {
    if (!count) return FALSE;
    count->QuadPart = LONGLONG(steadyNanoseconds());
    return TRUE;
}

extern "C" BOOL WINAPI QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
    if (!frequency) return FALSE;
    frequency->QuadPart = 1000000000;
    return TRUE;
}

// Windows shows this text only in an attached debugger; here it is kept
// out of the way unless asked for.
extern "C" void WINAPI OutputDebugStringA(LPCSTR text) {
    static const bool wanted = std::getenv("ZEP_DEBUG_OUTPUT") != nullptr;
    if (wanted && text) std::fputs(text, stderr);
}

// The path as the system has it (with '/'); file names the engine builds
// from it with '\' are resolved when opened.
extern "C" DWORD WINAPI GetCurrentDirectoryA(DWORD bufferLength, LPSTR buffer) {
    std::string path(256, '\0');
    while (!getcwd(path.data(), path.size())) {
        if (errno != ERANGE) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return 0;
        }
        path.resize(path.size() * 2);
    }
    const DWORD length = DWORD(std::strlen(path.c_str()));
    if (!buffer || bufferLength <= length) return length + 1;  // the size needed, terminator included
    std::memcpy(buffer, path.c_str(), length + 1);
    return length;
}

extern "C" BOOL WINAPI SetCurrentDirectoryA(LPCSTR path) {
    if (!path) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string converted(path);
    for (char& c : converted)
        if (c == '\\') c = '/';
    if (chdir(converted.c_str()) != 0) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    return TRUE;
}
