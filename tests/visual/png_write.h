// A small PNG writer for read-back images: 8-bit RGB, compressed by a
// deflate of its own, so it needs no library on either platform.
#pragma once

#include "visual_image.h"

#include <string>

namespace zep::visual {

// Writes the image's RGB to `path`; false if the file cannot be written.
bool writePng(const std::string& path, const Image& image);

}  // namespace zep::visual
