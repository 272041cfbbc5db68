// Small image files written byte by byte for the texture tests: TGA files of
// every pixel depth and a 24-bit BMP, 2 x 2 pixels unless a test needs more.
#pragma once

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <vector>

namespace zep::test {

using Bytes = std::vector<uint8_t>;

enum TgaType : uint8_t { kTgaTrueColor = 2, kTgaGrey = 3 };

// The 18-byte header and the pixels as given (rows bottom-up unless the
// descriptor has 0x20).
inline Bytes tgaFile(uint8_t type, uint8_t depth, uint8_t descriptor, uint16_t width, uint16_t height,
                     const Bytes& pixels) {
    constexpr size_t kHeader = 18;
    Bytes file(kHeader + pixels.size(), 0);
    file[2] = type;
    file[12] = uint8_t(width);
    file[13] = uint8_t(width >> 8);
    file[14] = uint8_t(height);
    file[15] = uint8_t(height >> 8);
    file[16] = depth;
    file[17] = descriptor;
    std::copy(pixels.begin(), pixels.end(), file.begin() + kHeader);
    return file;
}

// Four 0xRRGGBB colours (top left, top right, bottom left, bottom right) as
// a bottom-up 24-bit TGA: bottom row first, each pixel B, G, R.
inline Bytes tga24(uint32_t topLeft, uint32_t topRight, uint32_t bottomLeft, uint32_t bottomRight) {
    Bytes pixels;
    for (uint32_t c : {bottomLeft, bottomRight, topLeft, topRight}) {
        pixels.push_back(uint8_t(c));
        pixels.push_back(uint8_t(c >> 8));
        pixels.push_back(uint8_t(c >> 16));
    }
    return tgaFile(kTgaTrueColor, 24, 0, 2, 2, pixels);
}

// A 2 x 2 bottom-up 24-bit BMP (rows padded to four bytes), the same four
// colours.
inline Bytes bmp24(uint32_t topLeft, uint32_t topRight, uint32_t bottomLeft, uint32_t bottomRight) {
    auto le32 = [](Bytes& b, uint32_t v) {
        for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
    };
    auto le16 = [](Bytes& b, uint16_t v) {
        b.push_back(uint8_t(v));
        b.push_back(uint8_t(v >> 8));
    };
    constexpr uint32_t kRow = 8;  // 2 pixels x 3 bytes, padded
    Bytes file = {'B', 'M'};
    le32(file, 54 + 2 * kRow);
    le32(file, 0);
    le32(file, 54);
    le32(file, 40);
    le32(file, 2);
    le32(file, 2);
    le16(file, 1);
    le16(file, 24);
    le32(file, 0);
    le32(file, 2 * kRow);
    le32(file, 2835);
    le32(file, 2835);
    le32(file, 0);
    le32(file, 0);
    for (auto row : {std::pair{bottomLeft, bottomRight}, std::pair{topLeft, topRight}}) {
        for (uint32_t c : {row.first, row.second}) {
            file.push_back(uint8_t(c));
            file.push_back(uint8_t(c >> 8));
            file.push_back(uint8_t(c >> 16));
        }
        file.push_back(0);
        file.push_back(0);
    }
    return file;
}

// Writes `bytes` to `path`, making its folders.
inline void writeFile(const std::filesystem::path& path, const Bytes& bytes) {
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

}  // namespace zep::test
