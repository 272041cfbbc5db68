#include "png_write.h"

#include <cstdio>
#include <vector>

namespace zep::visual {

namespace {

uint32_t crc32(const uint8_t* data, size_t size, uint32_t crc = 0) {
    static uint32_t table[256];
    static bool ready = false;
    if (!ready) {
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
        ready = true;
    }
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void putBigEndian(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(value >> shift));
}

void putChunk(std::vector<uint8_t>& out, const char type[4], const std::vector<uint8_t>& data) {
    putBigEndian(out, uint32_t(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    putBigEndian(out, crc32(out.data() + start, out.size() - start));
}

// Deflate with the fixed Huffman codes and two kinds of match: the pixel
// before (distance 3) and the pixel above (one row back). Read-back images
// are mostly flat colour, so this is all the compression they need.
class BitWriter {
public:
    void bits(uint32_t value, int count) {
        accumulator_ |= value << filled_;
        filled_ += count;
        while (filled_ >= 8) {
            bytes.push_back(uint8_t(accumulator_));
            accumulator_ >>= 8;
            filled_ -= 8;
        }
    }
    // Huffman codes go most significant bit first.
    void code(uint32_t value, int length) {
        uint32_t reversed = 0;
        for (int i = 0; i < length; ++i) reversed |= ((value >> i) & 1u) << (length - 1 - i);
        bits(reversed, length);
    }
    void flush() {
        if (filled_ > 0) bytes.push_back(uint8_t(accumulator_));
        accumulator_ = 0;
        filled_ = 0;
    }
    std::vector<uint8_t> bytes;

private:
    uint32_t accumulator_ = 0;
    int filled_ = 0;
};

void putSymbol(BitWriter& w, int symbol) {
    if (symbol < 144)
        w.code(0x30u + uint32_t(symbol), 8);
    else if (symbol < 256)
        w.code(0x190u + uint32_t(symbol - 144), 9);
    else if (symbol < 280)
        w.code(uint32_t(symbol - 256), 7);
    else
        w.code(0xC0u + uint32_t(symbol - 280), 8);
}

void putMatch(BitWriter& w, int length, int distance) {
    static const int lengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                       31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
    static const int lengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                        2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
    static const int distanceBase[30] = {1,   2,   3,   4,    5,    7,    9,    13,   17,    25,
                                         33,  49,  65,  97,   129,  193,  257,  385,  513,   769,
                                         1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
    int l = 28;
    while (lengthBase[l] > length) --l;
    putSymbol(w, 257 + l);
    w.bits(uint32_t(length - lengthBase[l]), lengthExtra[l]);
    int d = 29;
    while (distanceBase[d] > distance) --d;
    w.code(uint32_t(d), 5);
    w.bits(uint32_t(distance - distanceBase[d]), d < 4 ? 0 : d / 2 - 1);
}

std::vector<uint8_t> zlibCompressed(const std::vector<uint8_t>& raw, size_t rowBytes) {
    BitWriter w;
    w.bits(1, 1);  // the last block
    w.bits(1, 2);  // fixed codes
    const size_t distances[2] = {3, rowBytes};
    size_t i = 0;
    while (i < raw.size()) {
        size_t bestLength = 0, bestDistance = 0;
        for (size_t distance : distances) {
            if (distance > i || distance > 32768) continue;
            size_t length = 0;
            while (length < 258 && i + length < raw.size() && raw[i + length] == raw[i + length - distance]) ++length;
            if (length > bestLength) {
                bestLength = length;
                bestDistance = distance;
            }
        }
        if (bestLength >= 3) {
            putMatch(w, int(bestLength), int(bestDistance));
            i += bestLength;
        } else {
            putSymbol(w, raw[i++]);
        }
    }
    putSymbol(w, 256);
    w.flush();

    std::vector<uint8_t> z = {0x78, 0x01};
    z.insert(z.end(), w.bytes.begin(), w.bytes.end());
    uint32_t a = 1, b = 0;
    for (uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    putBigEndian(z, (b << 16) | a);
    return z;
}

}  // namespace

bool writePng(const std::string& path, const Image& image) {
    if (image.width == 0 || image.height == 0) return false;
    std::vector<uint8_t> raw;
    raw.reserve(size_t(image.height) * (1 + size_t(image.width) * 3));
    for (UINT y = 0; y < image.height; ++y) {
        raw.push_back(0);  // no filter
        for (UINT x = 0; x < image.width; ++x) {
            const D3DCOLOR c = image.at(x, y);
            raw.push_back(uint8_t(c >> 16));
            raw.push_back(uint8_t(c >> 8));
            raw.push_back(uint8_t(c));
        }
    }
    std::vector<uint8_t> header;
    putBigEndian(header, image.width);
    putBigEndian(header, image.height);
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB, deflate, no filter, no interlace

    std::vector<uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    putChunk(file, "IHDR", header);
    putChunk(file, "IDAT", zlibCompressed(raw, 1 + size_t(image.width) * 3));
    putChunk(file, "IEND", {});

    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    const bool written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
    return std::fclose(out) == 0 && written;
}

}  // namespace zep::visual
