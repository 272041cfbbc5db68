// The engine log: one file, opened in append mode and closed again for every
// line, so that nothing is lost when a host crashes mid-frame. Device opening
// sets the path (and truncates the file); before that, and whenever the file
// cannot be opened (no "Log" folder), logging silently does nothing.

#include <ZEPenginedll.h>
#include <zep_files.h>

#include <cstdarg>
#include <cstdio>

extern "C" ZEP_EXPORT void ZEP_log(const char* format, ...) {
    if (format == nullptr || ZEPengine.logPath[0] == '\0') return;
    FILE* file = zep_fopen(ZEPengine.logPath, "at");
    if (file == nullptr) return;
    va_list args;
    va_start(args, format);
    std::vfprintf(file, format, args);
    va_end(args);
    std::fclose(file);
}
