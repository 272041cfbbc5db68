// ID3DXBuffer for the D3DX parts that hand out bytes: compiled shaders,
// constant declarations and error texts.
#pragma once

#include <d3dx8effect.h>

#include <cstddef>
#include <string>

namespace zep::d3dx {

// A new buffer holding a copy of `size` bytes at `data`, or null when out
// of memory. The caller owns the reference.
ID3DXBuffer* createBufferWith(const void* data, size_t size);

// Error texts go out with their terminating zero, so that the buffer's
// pointer can be printed as a C string.
ID3DXBuffer* createTextBuffer(const std::string& text);

}  // namespace zep::d3dx
