// The whole-file loader: the file in one piece with a zero byte after it,
// the header, reads at a cursor that never pass the end, and the host's
// content decoder applied to files that lack their plain signature.

#include "../engine_test_host.h"
#include "test_textures_files.h"

#include "objects/whole_file.h"

#include <cstring>
#include <string>

namespace {

using zep::WholeFile;
using zep::test::Bytes;
using zep::test::EngineTestHost;
using zep::test::writeFile;

class WholeFileTest : public EngineTestHost {};

// What the decoder saw, and the decoding itself: every byte XOR 0x5A.
struct DecoderCalls {
    int count = 0;
    void* data = nullptr;
    int32_t size = -1;
};
DecoderCalls decoderCalls;

void ZEPAPI xorDecoder(void* data, int32_t size) {
    ++decoderCalls.count;
    decoderCalls.data = data;
    decoderCalls.size = size;
    auto* bytes = static_cast<uint8_t*>(data);
    for (int32_t i = 0; i < size; ++i) bytes[i] ^= 0x5A;
}

Bytes encoded(Bytes bytes) {
    for (uint8_t& b : bytes) b ^= 0x5A;
    return bytes;
}

Bytes bytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

TEST_F(WholeFileTest, ReadsTheWholeFileWithHeaderCursorAndATerminator) {
    Bytes content(200);
    for (size_t i = 0; i < content.size(); ++i) content[i] = uint8_t(i + 1);
    writeFile(directory / "objs" / "Tree.obj", content);

    WholeFile file;
    bool decoded = true;
    // Backslashes and any case reach the file.
    ASSERT_TRUE(file.load("OBJS\\TREE.OBJ", &decoded));
    EXPECT_FALSE(decoded);  // no decoder: the flag is cleared
    ASSERT_EQ(file.size(), 200);
    EXPECT_EQ(std::memcmp(file.data(), content.data(), content.size()), 0);
    EXPECT_EQ(file.data()[200], 0);
    ASSERT_EQ(file.headerSize(), 128u);
    EXPECT_EQ(std::memcmp(file.header(), content.data(), 128), 0);

    uint8_t four[4] = {};
    EXPECT_EQ(file.read(four, 2, 2), 2u);
    EXPECT_EQ(four[3], 4);
    EXPECT_EQ(file.position(), 4);
    file.seek(198);
    // Two bytes are left: a 4-byte item is not whole, but what is there is copied.
    std::memset(four, 0, sizeof four);
    EXPECT_EQ(file.read(four, 4, 1), 0u);
    EXPECT_EQ(four[0], 199);
    EXPECT_EQ(four[1], 200);
    EXPECT_EQ(four[2], 0);
    EXPECT_TRUE(file.atEnd());
    EXPECT_EQ(file.read(four, 1, 1), 0u);
    file.seek(-5);
    EXPECT_EQ(file.position(), 0);
    file.seek(1000);
    EXPECT_EQ(file.position(), 200);

    // A file shorter than the header keeps all of itself as the header.
    writeFile(directory / "short.mif", bytesOf("Ver"));
    ASSERT_TRUE(file.load("short.mif", &decoded));
    EXPECT_EQ(file.headerSize(), 3u);
    EXPECT_EQ(file.position(), 0);
}

TEST_F(WholeFileTest, MissingEmptyAndFolderPaths) {
    WholeFile file;
    bool decoded = false;
    EXPECT_FALSE(file.load("nothing.obj", &decoded));
    EXPECT_FALSE(file.loaded());
    std::filesystem::create_directories(directory / "folder.obj");
    EXPECT_FALSE(file.load("folder.obj", &decoded));
    EXPECT_FALSE(file.load(nullptr, &decoded));

    writeFile(directory / "empty.osr", {});
    ASSERT_TRUE(file.load("empty.osr", &decoded));
    EXPECT_EQ(file.size(), 0);
    EXPECT_TRUE(file.atEnd());
    EXPECT_EQ(file.data()[0], 0);
    file.release();
    EXPECT_FALSE(file.loaded());
}

TEST_F(WholeFileTest, PlainSignatures) {
    const Bytes jfif = {0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0};
    const Bytes obj = {0xFF, 0xFF, 0xFF, 0xFF, 'O', 'B', 'J', '0', '2', '4', '0'};
    const Bytes tga = {0, 0, 2, 0, 0, 0};
    const Bytes grey = {0, 0, 3, 0, 0, 0};
    const Bytes bmp = {'B', 'M', 0, 0};
    const Bytes mif = bytesOf("Version 300\n");
    const Bytes text = bytesOf("NAME: x\n");
    const Bytes tooShort = {0, 0};
    struct Case {
        const char* path;
        const Bytes& data;
        bool plain;
    } cases[] = {
        {"a.jpg", jfif, true},     {"A.JPEG", jfif, true},  {"a.jpg", tga, false},
        {"o/TREE.OBJ", obj, true}, {"tree.obj", obj, true}, {"tree.obj", mif, false},
        {"w.tga", tga, true},      {"W.TGA", grey, false},  {"p.bmp", bmp, true},
        {"p.BMP", text, false},    {"m.mif", mif, true},    {"m.MIF", text, false},
        {"s.osr", text, true},     {"a.tg", text, true},    {"x.tga", tooShort, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(zep::hasPlainSignature(c.path, c.data.data(), int64_t(c.data.size())), c.plain) << c.path;
}

TEST_F(WholeFileTest, DecoderTakesFilesWithoutTheirSignatureInPlace) {
    const Bytes plainTga = zep::test::tga24(0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF);
    writeFile(directory / "plain.tga", plainTga);
    writeFile(directory / "coded.tga", encoded(plainTga));
    writeFile(directory / "scene.osr", encoded(bytesOf("NAME: a\n")));
    struct Case {
        const char* path;
        bool decodedIn;
        bool decoderCalled;
        bool decodedOut;
    } cases[] = {
        {"plain.tga", false, false, false},
        {"coded.tga", false, true, true},
        // Other types carry no signature: only a caller that knows them to
        // be encoded has them decoded.
        {"scene.osr", false, false, false},
        {"scene.osr", true, true, true},
        {"plain.tga", true, true, true},
    };
    SetObjCoders(nullptr, xorDecoder);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.path) + (c.decodedIn ? " flagged" : ""));
        decoderCalls = {};
        WholeFile file;
        bool decoded = c.decodedIn;
        ASSERT_TRUE(file.load(c.path, &decoded));
        EXPECT_EQ(decoded, c.decodedOut);
        EXPECT_EQ(decoderCalls.count, c.decoderCalled ? 1 : 0);
        if (!c.decoderCalled) continue;
        EXPECT_EQ(decoderCalls.data, file.data());
        EXPECT_EQ(decoderCalls.size, file.size());
    }

    WholeFile file;
    bool decoded = false;
    ASSERT_TRUE(file.load("coded.tga", &decoded));
    ASSERT_EQ(file.size(), int64_t(plainTga.size()));
    EXPECT_EQ(std::memcmp(file.data(), plainTga.data(), plainTga.size()), 0);
    EXPECT_EQ(file.header()[2], 2 ^ 0x5A);  // the header is the file as read
    SetObjCoders(nullptr, nullptr);
}

}  // namespace
