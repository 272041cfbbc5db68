// stb_image compiled into the including file, privately (static functions,
// no file access: data comes from memory, files are opened through
// zep_fopen). Define STBI_ONLY_* first to limit the formats. The library's
// own code is not held to our warning flags.
#pragma once

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#pragma GCC diagnostic ignored "-Wmisleading-indentation"
#pragma GCC diagnostic ignored "-Wunused-but-set-variable"
#pragma GCC diagnostic ignored "-Wtype-limits"
#pragma GCC diagnostic ignored "-Wshadow"
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_STDIO
#define STBI_NO_FAILURE_STRINGS  // their buffer is shared between threads
#include <stb/stb_image.h>
#pragma GCC diagnostic pop
