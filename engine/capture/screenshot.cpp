// Screenshots: the back buffer, the current render target or the front
// buffer, scaled to the requested size by nearest sampling and written as a
// 24-bit TGA, BMP or JPEG file; one level of a listed texture through
// D3DX's image writer; and the hue of a colour.
//
// The pixels are copied out of the device and locked before the file is
// made, so a capture that fails leaves no half-written file behind.

#include "core/graphics.h"
#include "objects/textures.h"

#include <ZEPenginedll.h>
#include <d3dx8.h>
#include <zep_files.h>

#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include <jpeglib.h>

namespace zep {

namespace {

// TGA stores sizes in 16 bits; the same bound keeps the other files' rows
// and buffers of a sane size.
constexpr int32_t kMaxImageSide = 65535;
constexpr size_t kTgaHeaderSize = 18;
constexpr size_t kBmpHeaderSize = 54;
constexpr uint32_t kBmpPixelsPerMetre = 3780;

struct Rgb {
    uint8_t r, g, b;
};

// Bytes per pixel of the surface formats a screenshot can read, 0 for the rest.
UINT capturedPixelBytes(D3DFORMAT format) {
    switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8: return 4;
    case D3DFMT_R8G8B8: return 3;
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5: return 2;
    default: return 0;
    }
}

// A channel of n bits goes to 8 bits by a left shift: the low bits stay
// zero, so full 5-bit red reads 248.
Rgb decodePixel(D3DFORMAT format, const BYTE* p) {
    const uint16_t word = uint16_t(p[0] | (p[1] << 8));
    const auto channel = [word](int shift, int bits) {
        return uint8_t(((word >> shift) & ((1 << bits) - 1)) << (8 - bits));
    };
    switch (format) {
    case D3DFMT_R5G6B5: return Rgb{channel(11, 5), channel(5, 6), channel(0, 5)};
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5: return Rgb{channel(10, 5), channel(5, 5), channel(0, 5)};
    default: return Rgb{p[2], p[1], p[0]};  // blue, green, red in memory
    }
}

// The picture a source shows, copied into a locked image surface.
class Capture {
public:
    Capture() = default;
    Capture(const Capture&) = delete;
    Capture& operator=(const Capture&) = delete;
    ~Capture() {
        if (!image_) return;
        if (locked_.pBits) image_->UnlockRect();
        image_->Release();
    }

    // False (with a log line under `function`) when nothing can be read.
    bool take(int32_t source, const char* function);

    int width() const { return int(picture_.right - picture_.left); }
    int height() const { return int(picture_.bottom - picture_.top); }

    Rgb pixel(int x, int y) const {
        const BYTE* row = static_cast<const BYTE*>(locked_.pBits) + size_t(picture_.top + y) * size_t(locked_.Pitch);
        return decodePixel(format_, row + size_t(picture_.left + x) * pixelBytes_);
    }

private:
    bool copyOf(IDirect3DDevice8* device, IDirect3DSurface8* source, const char* function);
    bool frontBuffer(IDirect3DDevice8* device, const char* function);

    IDirect3DSurface8* image_ = nullptr;
    D3DLOCKED_RECT locked_{};
    D3DFORMAT format_ = D3DFMT_UNKNOWN;
    UINT pixelBytes_ = 0;
    RECT picture_{};
};

void logDeviceError(const char* function, HRESULT result) {
    ZEP_log("Error: [%s] %.200s\n", function, errorText(result));
}

// The whole source surface copied into an image surface of its size and format.
bool Capture::copyOf(IDirect3DDevice8* device, IDirect3DSurface8* source, const char* function) {
    D3DSURFACE_DESC desc{};
    source->GetDesc(&desc);
    format_ = desc.Format;
    pixelBytes_ = capturedPixelBytes(desc.Format);
    if (pixelBytes_ == 0) {
        ZEP_log("Error: [%s] surface format %i cannot be saved\n", function, int(desc.Format));
        return false;
    }
    HRESULT result = device->CreateImageSurface(desc.Width, desc.Height, desc.Format, &image_);
    if (SUCCEEDED(result)) {
        const RECT whole{0, 0, LONG(desc.Width), LONG(desc.Height)};
        const POINT origin{0, 0};
        result = device->CopyRects(source, &whole, 1, image_, &origin);
    }
    if (FAILED(result)) {
        logDeviceError(function, result);
        return false;
    }
    picture_ = RECT{0, 0, LONG(desc.Width), LONG(desc.Height)};
    return true;
}

// The front buffer comes as the whole screen; the picture is the part the
// device window shows, where the device put it.
bool Capture::frontBuffer(IDirect3DDevice8* device, const char* function) {
    D3DDISPLAYMODE screen{};
    IDirect3D8* d3d = nullptr;
    if (SUCCEEDED(device->GetDirect3D(&d3d))) {
        d3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &screen);
        d3d->Release();
    }
    const Graphics& g = graphics();
    const LONG width = LONG(g.backBufferWidth), height = LONG(g.backBufferHeight);
    format_ = D3DFMT_A8R8G8B8;
    pixelBytes_ = 4;
    HRESULT result = device->CreateImageSurface(std::max(screen.Width, g.backBufferWidth),
                                                std::max(screen.Height, g.backBufferHeight), format_, &image_);
    if (SUCCEEDED(result)) result = device->GetFrontBuffer(image_);
    if (FAILED(result)) {
        logDeviceError(function, result);
        return false;
    }
    D3DSURFACE_DESC desc{};
    image_->GetDesc(&desc);
    POINT corner{0, 0};
    if (!g.window || !ClientToScreen(g.window, &corner)) corner = POINT{0, 0};
    corner.x = std::clamp<LONG>(corner.x, 0, LONG(desc.Width) - width);
    corner.y = std::clamp<LONG>(corner.y, 0, LONG(desc.Height) - height);
    picture_ = RECT{corner.x, corner.y, corner.x + width, corner.y + height};
    return true;
}

bool Capture::take(int32_t source, const char* function) {
    IDirect3DDevice8* device = graphics().device;
    if (!device) return false;
    bool copied = false;
    if (source == ZEP_CAPTURE_FRONT_BUFFER) {
        copied = frontBuffer(device, function);
    } else {
        IDirect3DSurface8* surface = nullptr;
        const HRESULT result = source == ZEP_CAPTURE_BACK_BUFFER
                                   ? device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &surface)
                                   : device->GetRenderTarget(&surface);
        if (FAILED(result)) {
            logDeviceError(function, result);
            return false;
        }
        copied = copyOf(device, surface, function);
        surface->Release();
    }
    if (!copied) return false;
    const HRESULT result = image_->LockRect(&locked_, nullptr, D3DLOCK_READONLY);
    if (FAILED(result)) {
        locked_.pBits = nullptr;
        logDeviceError(function, result);
        return false;
    }
    return true;
}

// Output size: 0 or less takes the viewport's; false (logged) for sizes no
// file can hold.
bool outputSize(int32_t* width, int32_t* height, const char* function) {
    if (*width <= 0) *width = ZEPengine.screenWidth;
    if (*height <= 0) *height = ZEPengine.screenHeight;
    if (*width > 0 && *height > 0 && *width <= kMaxImageSide && *height <= kMaxImageSide) return true;
    ZEP_log("Error: [%s] no image of %i x %i\n", function, int(*width), int(*height));
    return false;
}

// Nearest sampling: the source position moves by a fixed step per output
// pixel and is truncated. Bottom-up files start at the picture's last row.
class Sampler {
public:
    Sampler(const Capture& picture, int32_t width, int32_t height, bool bottomUp)
        : picture_(picture),
          width_(width),
          stepX_(float(picture.width()) / float(width)),
          row_(bottomUp ? float(picture.height() - 1) : 0.0f),
          rowStep_(float(picture.height()) / float(height) * (bottomUp ? -1.0f : 1.0f)) {}

    // The next output row, pixel by pixel, to `put`.
    template <typename Put>
    void nextRow(Put&& put) {
        // Clamped: float steps summed over a long row may overshoot the edge.
        const int y = std::clamp(int(row_), 0, picture_.height() - 1);
        float column = 0.0f;
        for (int32_t x = 0; x < width_; ++x) {
            put(picture_.pixel(std::clamp(int(column), 0, picture_.width() - 1), y));
            column += stepX_;
        }
        row_ += rowStep_;
    }

private:
    const Capture& picture_;
    int32_t width_;
    float stepX_;
    float row_, rowStep_;
};

void put16(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

void put32(uint8_t* p, uint32_t v) {
    put16(p, v);
    put16(p + 2, v >> 16);
}

FILE* createFile(const char* name) {
    FILE* file = name ? zep_fopen(name, "wb") : nullptr;
    if (!file) ZEP_log("Can't open: %s.\n", name ? name : "");
    return file;
}

// Closes the file; false (logged) when any write failed.
bool finishFile(FILE* file, const char* name) {
    const bool written = !std::ferror(file);
    if (std::fclose(file) == 0 && written) return true;
    ZEP_log("Can't write: %s.\n", name);
    return false;
}

// Rows of blue, green, red bytes from the bottom of the picture up, each
// padded to `rowSize`, after `header`.
bool writeBottomUp(const char* name, const Capture& picture, int32_t width, int32_t height, const uint8_t* header,
                   size_t headerSize, size_t rowSize) {
    FILE* file = createFile(name);
    if (!file) return false;
    std::fwrite(header, 1, headerSize, file);
    std::vector<uint8_t> row(rowSize, 0);
    Sampler sampler(picture, width, height, true);
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* out = row.data();
        sampler.nextRow([&out](Rgb c) {
            *out++ = c.b;
            *out++ = c.g;
            *out++ = c.r;
        });
        std::fwrite(row.data(), 1, rowSize, file);
    }
    return finishFile(file, name);
}

bool saveTga(const char* name, const Capture& picture, int32_t width, int32_t height) {
    uint8_t header[kTgaHeaderSize] = {};
    header[2] = 2;  // uncompressed true colour
    put16(header + 12, uint32_t(width));
    put16(header + 14, uint32_t(height));
    header[16] = 24;
    // Descriptor 0: rows start at the lower left, no alpha bits.
    return writeBottomUp(name, picture, width, height, header, sizeof header, size_t(width) * 3);
}

bool saveBmp(const char* name, const Capture& picture, int32_t width, int32_t height) {
    const size_t rowSize = (size_t(width) * 3 + 3) & ~size_t(3);
    const uint32_t imageSize = uint32_t(rowSize * size_t(height));
    uint8_t header[kBmpHeaderSize] = {'B', 'M'};
    put32(header + 2, uint32_t(kBmpHeaderSize) + imageSize);
    put32(header + 10, kBmpHeaderSize);
    put32(header + 14, 40);
    put32(header + 18, uint32_t(width));
    put32(header + 22, uint32_t(height));
    put16(header + 26, 1);
    put16(header + 28, 24);
    put32(header + 34, imageSize);
    put32(header + 38, kBmpPixelsPerMetre);
    put32(header + 42, kBmpPixelsPerMetre);
    return writeBottomUp(name, picture, width, height, header, sizeof header, rowSize);
}

// ---- JPEG ------------------------------------------------------------------------

// libjpeg's standard error manager ends the process on a fatal error; the
// engine's jumps back to the writer, which gives up on the file instead.
struct JpegErrorTrap {
    jpeg_error_mgr manager;
    std::jmp_buf escape;
};

[[noreturn]] void leaveJpegWriter(j_common_ptr info) {
    char message[JMSG_LENGTH_MAX];
    info->err->format_message(info, message);
    ZEP_log("Error: [savejpg] %s\n", message);
    std::longjmp(reinterpret_cast<JpegErrorTrap*>(info->err)->escape, 1);
}

// libjpeg takes whole qualities from 1 to 100; out-of-range and
// non-numbers are brought into range before the float becomes an integer.
int jpegQuality(float quality) {
    if (!(quality >= 1.0f)) return 1;
    if (quality >= 100.0f) return 100;
    return int(quality);
}

// Only plain data lives in this frame, as a jump out of libjpeg skips any
// destructor.
bool compressJpeg(FILE* file, const uint8_t* rgb, int32_t width, int32_t height, int quality) {
    jpeg_compress_struct info;
    std::memset(&info, 0, sizeof info);
    JpegErrorTrap trap;
    info.err = jpeg_std_error(&trap.manager);
    trap.manager.error_exit = leaveJpegWriter;
    if (setjmp(trap.escape)) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    const size_t rowBytes = size_t(width) * 3;
    for (int32_t y = 0; y < height; ++y) {
        JSAMPROW row = const_cast<JSAMPLE*>(rgb + size_t(y) * rowBytes);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

bool saveJpeg(const char* name, const Capture& picture, int32_t width, int32_t height, float quality) {
    const size_t rowBytes = size_t(width) * 3;
    uint8_t* rgb = new (std::nothrow) uint8_t[rowBytes * size_t(height)];
    if (!rgb) {
        ZEP_log("Error: [savejpg] no memory for %i x %i\n", int(width), int(height));
        return false;
    }
    // Top row first, red, green, blue.
    Sampler sampler(picture, width, height, false);
    uint8_t* out = rgb;
    for (int32_t y = 0; y < height; ++y)
        sampler.nextRow([&out](Rgb c) {
            *out++ = c.r;
            *out++ = c.g;
            *out++ = c.b;
        });
    bool saved = false;
    if (FILE* file = createFile(name)) {
        const bool compressed = compressJpeg(file, rgb, width, height, jpegQuality(quality));
        saved = finishFile(file, name) && compressed;
    }
    delete[] rgb;
    return saved;
}

// ---- Hue -------------------------------------------------------------------------

// Channels are whole numbers from 0 to 255: fractions are dropped, as for
// the extremes, and anything outside (or not a number) is brought in.
int wholeChannel(float value) {
    if (!(value > 0.0f)) return 0;
    return value >= 255.0f ? 255 : int(value);
}

float hueOf(int r, int g, int b) {
    const int high = std::max({r, g, b});
    const int low = std::min({r, g, b});
    const int d = high - low;
    if (d == 0) return 0.0f;
    const float rc = float(high - r) / float(d);
    const float gc = float(high - g) / float(d);
    const float bc = float(high - b) / float(d);
    // Later matches win, so a tie between channels takes the last one.
    float h = 0.0f;
    if (r == high) h = (6.0f + bc - gc) * 60.0f;
    if (g == high) h = (2.0f + rc - bc) * 60.0f;
    if (b == high) h = (4.0f + gc - rc) * 60.0f;
    if (h > 360.0f) h -= 360.0f;
    return h;
}

}  // namespace

}  // namespace zep

using namespace zep;

extern "C" {

ZEP_EXPORT uint8_t ZEPAPI savetga(const char* name, int32_t source, int32_t width, int32_t height) {
    Capture picture;
    if (!outputSize(&width, &height, "savetga") || !picture.take(source, "savetga")) return 0;
    return saveTga(name, picture, width, height) ? 1 : 0;
}

ZEP_EXPORT uint8_t ZEPAPI savebmp(const char* name, int32_t source, int32_t width, int32_t height) {
    Capture picture;
    if (!outputSize(&width, &height, "savebmp") || !picture.take(source, "savebmp")) return 0;
    return saveBmp(name, picture, width, height) ? 1 : 0;
}

ZEP_EXPORT uint8_t ZEPAPI savejpg(const char* name, int32_t source, int32_t width, int32_t height, float quality) {
    Capture picture;
    if (!outputSize(&width, &height, "savejpg") || !picture.take(source, "savejpg")) return 0;
    return saveJpeg(name, picture, width, height, quality) ? 1 : 0;
}

ZEP_EXPORT uint8_t ZEPAPI SaveSurface(int32_t texture, int32_t level, const char* name, int32_t format) {
    IDirect3DTexture8* t = textureForCall(texture, "SaveSurface");
    if (!t) return 0;
    IDirect3DSurface8* surface = nullptr;
    if (level < 0 || FAILED(t->GetSurfaceLevel(UINT(level), &surface))) {
        ZEP_log("Error: [SaveSurface] no level %i\n", int(level));
        return 0;
    }
    const HRESULT result = D3DXSaveSurfaceToFile(name, D3DXIMAGE_FILEFORMAT(format), surface, nullptr, nullptr);
    surface->Release();
    if (FAILED(result)) {
        logDeviceError("SaveSurface", result);
        return 0;
    }
    return 1;
}

ZEP_EXPORT float ZEPAPI ToHLS(float r, float g, float b) {
    return hueOf(wholeChannel(r), wholeChannel(g), wholeChannel(b));
}

ZEP_EXPORT void ZEPAPI SWAPRGB(uint32_t) {}

}  // extern "C"
