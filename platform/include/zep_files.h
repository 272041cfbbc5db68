/* File names written the Windows way, opened on Linux.
 *
 * The engine builds paths with backslashes and upper-cases names before it
 * opens them ("OBJS\\STAGE.OSR"), while content on disk is named in any case
 * ("objs/Stage.osr"). Every file the engine opens goes through zep_fopen, so
 * content written in any case loads.
 *
 * Resolution rules:
 *   - every '\' becomes '/';
 *   - a path that exists exactly as converted is used as it is;
 *   - otherwise each component is looked up in its directory without regard
 *     to case, an exact match winning over a case-insensitive one; among
 *     several case-insensitive matches the one first in byte order wins, so
 *     the choice does not depend on directory order;
 *   - ".", "..", absolute and relative paths, repeated separators and a
 *     trailing separator are accepted;
 *   - components that cannot be found are kept as given, which is what a
 *     file about to be created needs: its folders are found in any case and
 *     its own name is kept as written.
 *
 * Usable from C and C++. */
#ifndef ZEP_FILES_H
#define ZEP_FILES_H

#include <stddef.h>
#include <stdio.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Resolves `path` into `out` (at most `outSize` bytes, terminator included).
 * Returns 1 when the resolved path exists, 0 otherwise; in both cases `out`
 * holds the best-effort converted path. A buffer too small for the result
 * gives 0 and an empty string; nothing is ever written past `outSize`. */
int zep_resolve_path(const char* path, char* out, size_t outSize);

/* fopen through zep_resolve_path, with no limit on the path length. For
 * writing or appending, an existing file is found in any case; a new file is
 * created under its given name in the folder found in any case. */
FILE* zep_fopen(const char* path, const char* mode);

#ifdef __cplusplus
}
#endif

#endif
