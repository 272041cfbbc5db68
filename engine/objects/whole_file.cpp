// Reading a content file in one piece, and handing encoded files to the
// host's decoder.

#include "objects/whole_file.h"

#include <ZEPenginedll.h>
#include <zep_files.h>

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <cstring>
#include <new>

namespace zep {

namespace {

// True when `path` ends in `extension`, without regard to case.
bool endsWith(const char* path, size_t length, const char* extension) {
    const size_t n = std::strlen(extension);
    if (length < n) return false;
    const char* tail = path + length - n;
    for (size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(tail[i])) != std::tolower(static_cast<unsigned char>(extension[i])))
            return false;
    return true;
}

bool bytesAt(const uint8_t* data, int64_t size, int64_t offset, const char* bytes, size_t count) {
    return size >= offset + int64_t(count) && std::memcmp(data + offset, bytes, count) == 0;
}

// The regular file's size; -1 for anything else (a folder opens on Linux but
// has no bytes to give).
int64_t regularFileSize(FILE* file) {
    struct stat status {};
    if (fstat(fileno(file), &status) != 0 || !S_ISREG(status.st_mode)) return -1;
    return int64_t(status.st_size);
}

}  // namespace

bool hasPlainSignature(const char* path, const uint8_t* data, int64_t size) {
    const size_t length = std::strlen(path);
    if (length <= 4) return true;
    static constexpr char kTgaSignature[] = {0x00, 0x00, 0x02, 0x00};
    if (endsWith(path, length, ".jpeg") || endsWith(path, length, ".jpg")) return bytesAt(data, size, 6, "JFIF", 4);
    if (endsWith(path, length, ".obj")) return bytesAt(data, size, 4, "OBJ", 3);
    if (endsWith(path, length, ".tga")) return bytesAt(data, size, 0, kTgaSignature, 4);
    if (endsWith(path, length, ".bmp")) return bytesAt(data, size, 0, "BM", 2);
    if (endsWith(path, length, ".mif")) return bytesAt(data, size, 0, "Version", 7);
    return true;
}

bool WholeFile::load(const char* path, bool* decoded) {
    release();
    if (!path || !decoded) return false;
    FILE* file = zep_fopen(path, "rb");
    if (!file) return false;

    // The decoder takes an int32 size, so larger files are not content.
    const int64_t size = regularFileSize(file);
    bool complete = size >= 0 && size < INT32_MAX;
    if (complete) {
        data_.reset(new (std::nothrow) uint8_t[size_t(size) + 1]);
        complete = data_ && std::fread(data_.get(), 1, size_t(size), file) == size_t(size);
    }
    std::fclose(file);
    if (!complete) {
        release();
        return false;
    }
    data_[size_t(size)] = 0;
    size_ = size;
    headerSize_ = size_t(std::min<int64_t>(size, kHeaderSize));
    std::memcpy(header_, data_.get(), headerSize_);

    const ZEPcontentCoder decoder = ZEPengine.contentDecoder;
    if (!decoder) {
        *decoded = false;
    } else if (*decoded) {
        decoder(data_.get(), int32_t(size_));
    } else if (hasPlainSignature(path, data_.get(), size_)) {
        *decoded = false;
    } else {
        *decoded = true;
        decoder(data_.get(), int32_t(size_));
    }
    return true;
}

void WholeFile::release() {
    data_.reset();
    size_ = 0;
    cursor_ = 0;
    headerSize_ = 0;
}

size_t WholeFile::read(void* destination, size_t size, size_t count) {
    if (!destination || size == 0 || count == 0 || atEnd()) return 0;
    const uint64_t wanted = uint64_t(size) * uint64_t(count);
    const bool overflow = count != 0 && wanted / count != size;
    const uint64_t bytes = overflow ? uint64_t(remaining()) : std::min<uint64_t>(wanted, uint64_t(remaining()));
    std::memcpy(destination, data_.get() + cursor_, size_t(bytes));
    cursor_ += int64_t(bytes);
    return size_t(bytes / size);
}

void WholeFile::seek(int64_t position) { cursor_ = std::clamp<int64_t>(position, 0, size_); }

std::string enginePath(std::string_view name) {
    std::string path(name);
    for (char& c : path) c = c == '\\' ? '/' : char(std::toupper(static_cast<unsigned char>(c)));
    return path;
}

const char* fileNamePart(const char* path) {
    const char* slash = std::strrchr(path, '/');
    return slash ? slash + 1 : path;
}

}  // namespace zep
