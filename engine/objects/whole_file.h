// The whole-file loader every content reader of the engine uses (object,
// texture and map files): a file read into memory in one piece, one extra
// zero byte after the data so text readers can treat it as a string, its
// first bytes kept apart as the header, and a read cursor.
//
// Hosts may ship their content encoded. When they install a decoder with
// SetObjCoders, files that lack the plain signature of their type are handed
// to it and decoded in place before anyone reads them.
//
//   zep::WholeFile file;
//   bool decoded = false;
//   if (!file.load("OBJS\\TREE.OBJ", &decoded)) return -1;
//   int32_t tag = 0;
//   file.read(&tag, sizeof tag, 1);
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace zep {

class WholeFile {
public:
    static constexpr size_t kHeaderSize = 128;

    WholeFile() = default;
    WholeFile(const WholeFile&) = delete;
    WholeFile& operator=(const WholeFile&) = delete;

    // Reads `path` (Windows separators and any case, through zep_fopen).
    // `decoded` is in and out: set on entry, the host's decoder is applied
    // unconditionally; otherwise it is applied only to files whose signature
    // does not match their extension, and `decoded` tells whether it was.
    // False (and nothing loaded) when the file cannot be opened or read.
    bool load(const char* path, bool* decoded);

    // Frees the data; the object can load again.
    void release();

    bool loaded() const { return data_ != nullptr; }
    uint8_t* data() { return data_.get(); }
    const uint8_t* data() const { return data_.get(); }
    int64_t size() const { return size_; }

    // The first min(size, 128) bytes, as they were before any decoding.
    const uint8_t* header() const { return header_; }
    size_t headerSize() const { return headerSize_; }

    // Copies up to `count` items of `size` bytes from the cursor and moves
    // it past them. Only the bytes the file still has are copied; the result
    // is the number of whole items copied, as fread gives it.
    size_t read(void* destination, size_t size, size_t count);

    int64_t position() const { return cursor_; }
    // Moves the cursor, kept within 0..size.
    void seek(int64_t position);
    bool atEnd() const { return cursor_ >= size_; }
    int64_t remaining() const { return atEnd() ? 0 : size_ - cursor_; }

private:
    std::unique_ptr<uint8_t[]> data_;
    int64_t size_ = 0;
    int64_t cursor_ = 0;
    uint8_t header_[kHeaderSize] = {};
    size_t headerSize_ = 0;
};

// True when the data carries the plain signature its path's extension asks
// for (files of other types, and paths of four characters or fewer, always
// pass): ".jpg"/".jpeg" "JFIF" at byte 6, ".obj" "OBJ" at byte 4, ".tga"
// the bytes 00 00 02 00, ".bmp" "BM", ".mif" "Version". Extensions compare
// without regard to case.
bool hasPlainSignature(const char* path, const uint8_t* data, int64_t size);

// Upper case, with '\' turned into '/': how the engine writes paths, and the
// key its caches compare.
std::string enginePath(std::string_view name);

// The file-name part of a path: what follows its last '/'.
const char* fileNamePart(const char* path);

}  // namespace zep
