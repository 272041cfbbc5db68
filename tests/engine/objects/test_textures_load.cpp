// Texture files: where they are looked for, the list as a cache, the name
// rules that choose format and alpha, every TGA pixel depth read back, the
// BMP permission, encoded content, and files that do not load.

#include "../engine_test_host.h"
#include "test_textures_files.h"

#include "objects/textures.h"

#include <d3dx8.h>

#include <array>
#include <cctype>
#include <cstring>
#include <string>

namespace {

using zep::test::Bytes;
using zep::test::EngineTestHost;
using zep::test::Lines;
using zep::test::tga24;
using zep::test::tgaFile;
using zep::test::writeFile;

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF, kMagenta = 0xFF00FF;

class TextureFiles : public EngineTestHost {
protected:
    void SetUp() override {
        EngineTestHost::SetUp();
        ASSERT_TRUE(open());
    }

    void write(const std::string& relative, const Bytes& bytes) { writeFile(directory / relative, bytes); }

    // Level 0 as 32-bit texels: top left, top right, bottom left, bottom right.
    static std::array<uint32_t, 4> corners(int32_t handle) {
        std::array<uint32_t, 4> texels{};
        TextureProps props{};
        EXPECT_EQ(gettextureprops(handle, 0, &props), 1);
        EXPECT_EQ(props.format, int32_t(D3DFMT_A8R8G8B8));
        EXPECT_EQ(props.width, 2u);
        EXPECT_EQ(downloadtexture(handle, 0, texels.data(), int32_t(sizeof texels)), 16);
        return texels;
    }

    static int32_t format(int32_t handle) {
        TextureProps props{};
        return gettextureprops(handle, 0, &props) ? props.format : -1;
    }

    static std::string path(int32_t handle) { return handle >= 0 ? Textures[handle].path : "(none)"; }
};

// ---- Where files are found ------------------------------------------------------------

TEST_F(TextureFiles, ObjectDirectoryFirstThenThePathListInOrder) {
    write("objs/trees/leaf.tga", tga24(kRed, kRed, kRed, kRed));
    write("first/pic.tga", tga24(kRed, kRed, kRed, kRed));
    write("second/pic.tga", tga24(kBlue, kBlue, kBlue, kBlue));
    write("second/only.tga", tga24(kBlue, kBlue, kBlue, kBlue));
    write("alone.tga", tga24(kGreen, kGreen, kGreen, kGreen));
    write("textures/wall.tga", tga24(kGreen, kGreen, kGreen, kGreen));

    // Found only in the object directory.
    const size_t mark = logMark();
    EXPECT_EQ(path(zep::loadTexture("objs/trees", "leaf", ZEP_TEXMODE_OBJECT)), "OBJS/TREES/LEAF.TGA");
    EXPECT_EQ(textureload("leaf", ZEP_TEXMODE_BUMP), -1);
    EXPECT_EQ(logLinesSince(mark), (Lines{"Load texture: LEAF.TGA", "Error: texture is not loaded [leaf.TGA]"}));

    // The default list "TEXTURES/;;": the texture folder, then the name alone.
    EXPECT_EQ(path(textureload("wall", ZEP_TEXMODE_OBJECT)), "TEXTURES/WALL.TGA");
    EXPECT_EQ(path(textureload("alone", ZEP_TEXMODE_OBJECT)), "ALONE.TGA");

    struct Case {
        const char* objectFolder;
        const char* list;
        const char* directory;
        const char* name;
        const char* found;
    } cases[] = {
        {"OBJS", "first/;second/;", nullptr, "pic", "FIRST/PIC.TGA"},
        {"OBJS", "second/;first/;", nullptr, "pic", "SECOND/PIC.TGA"},
        {"OBJS", "first/;second/;", nullptr, "only", "SECOND/ONLY.TGA"},
        {"OBJS", "first/;second/", nullptr, "only", "SECOND/ONLY.TGA"},  // no closing ';'
        {"OBJS", "", nullptr, "alone", "ALONE.TGA"},                     // an empty list: the name alone
        {"OBJS", "first/;", "objs/trees", "pic", "FIRST/PIC.TGA"},
        {"OBJS", "first/;", "objs/trees", "leaf", "OBJS/TREES/LEAF.TGA"},
        {"", "first/;", "objs/trees", "leaf", "(none)"},  // no object folder: no object directory
        {"OBJS", "first/;", "", "leaf", "(none)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.list) + " " + c.name);
        SetTexturePaths(c.objectFolder, c.list, 1, 0, 1);
        EXPECT_EQ(path(zep::loadTexture(c.directory, c.name, ZEP_TEXMODE_DISPLAY)), c.found);
    }
}

TEST_F(TextureFiles, SamePathAndModeIsTheSameTexture) {
    write("textures/wall.tga", tga24(kGreen, kGreen, kGreen, kGreen));
    const size_t mark = logMark();
    const int32_t wall = textureload("wall", ZEP_TEXMODE_OBJECT);
    ASSERT_GE(wall, 3);
    EXPECT_STREQ(Textures[wall].name, "WALL.TGA");
    EXPECT_EQ(Textures[wall].mode, ZEP_TEXMODE_OBJECT);
    EXPECT_EQ(textureload("wall", ZEP_TEXMODE_OBJECT), wall);
    EXPECT_EQ(textureload("WALL.tga", ZEP_TEXMODE_OBJECT), wall);
    EXPECT_EQ(textureload("Wall.Tga", ZEP_TEXMODE_OBJECT), wall);
    EXPECT_EQ(zep::loadTextureByPath("textures\\Wall.TGA", ZEP_TEXMODE_OBJECT), wall);
    EXPECT_EQ(logLinesSince(mark), Lines{"Load texture: WALL.TGA"});

    // Another mode is another texture.
    const int32_t bump = textureload("wall", ZEP_TEXMODE_BUMP);
    EXPECT_NE(bump, wall);
    EXPECT_EQ(textureload("wall.tga", ZEP_TEXMODE_BUMP), bump);
    EXPECT_EQ(ZEPengine.textureCount, bump + 1);
}

// ---- How files become textures ---------------------------------------------------------

TEST_F(TextureFiles, NameRules) {
    struct Case {
        const char* name;
        bool tga;
        int32_t mode;
        zep::TextureCreation expected;
    } cases[] = {
        {"A_LEAF.TGA", true, 10003, {true, D3DFMT_A8R8G8B8, D3DX_FILTER_LINEAR, D3DX_FILTER_LINEAR, 0, 1, true, "Texture load error\n"}},
        {"S_LEAF.TGA", true, 10003, {true, D3DFMT_A1R5G5B5, D3DX_FILTER_NONE, D3DX_FILTER_LINEAR, 0xFFFF00FF, 1, true, "Texture load error\n"}},
        {"C_LEAF.TGA", true, 10000, {true, D3DFMT_A8R8G8B8, D3DX_FILTER_NONE, D3DX_FILTER_LINEAR, 0, 1, true, "Texture load error\n"}},
        {"B_BUMP.TGA", true, 10003, {false, D3DFMT_UNKNOWN, 0, 0, 0, 0, false, "Texture load error\n"}},
        {"B_BUMP.TGA", true, 10016, {true, D3DFMT_Q8W8V8U8, D3DX_FILTER_NONE, D3DX_FILTER_LINEAR, 0xFFFF00FF, 0, false, "Texture load error\n"}},
        {"1_BUMP.TGA", true, 10001, {true, D3DFMT_Q8W8V8U8, D3DX_FILTER_NONE, D3DX_FILTER_LINEAR, 0xFFFF00FF, 0, false, "Texture load error\n"}},
        {"WALL.TGA", true, 10003, {true, D3DFMT_R8G8B8, D3DX_FILTER_LINEAR, D3DX_FILTER_LINEAR, 0, 0, true, "capture text FAILED."}},
        {"AB_X.TGA", true, 10003, {true, D3DFMT_R8G8B8, D3DX_FILTER_LINEAR, D3DX_FILTER_LINEAR, 0, 0, true, "capture text FAILED."}},
        {"A_PIC.BMP", false, 10003, {false, D3DFMT_UNKNOWN, 0, 0, 0, 0, false, "Texture load error\n"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.mode));
        const zep::TextureCreation got = zep::textureCreationFor(c.name, c.tga, c.mode);
        EXPECT_EQ(got.extended, c.expected.extended);
        EXPECT_EQ(got.format, c.expected.format);
        EXPECT_EQ(got.filter, c.expected.filter);
        EXPECT_EQ(got.mipFilter, c.expected.mipFilter);
        EXPECT_EQ(got.colorKey, c.expected.colorKey);
        EXPECT_EQ(got.hasAlpha, c.expected.hasAlpha);
        EXPECT_EQ(got.keepHandle, c.expected.keepHandle);
        EXPECT_STREQ(got.failureLog, c.expected.failureLog);
    }
}

TEST_F(TextureFiles, NameRulesGiveFormatAlphaAndAFullChain) {
    const Bytes image = tga24(kMagenta, kRed, kGreen, kBlue);
    struct Case {
        const char* name;
        int32_t mode;
        D3DFORMAT format;
        uint8_t hasAlpha;
    } cases[] = {
        {"a_leaf", ZEP_TEXMODE_OBJECT, D3DFMT_A8R8G8B8, 1}, {"s_leaf", ZEP_TEXMODE_OBJECT, D3DFMT_A1R5G5B5, 1},
        {"c_leaf", ZEP_TEXMODE_OBJECT, D3DFMT_A8R8G8B8, 1}, {"b_bump", ZEP_TEXMODE_BUMP, D3DFMT_Q8W8V8U8, 0},
        {"plain", ZEP_TEXMODE_OBJECT, D3DFMT_R8G8B8, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        write(std::string("textures/") + c.name + ".tga", image);
        const int32_t handle = textureload(c.name, c.mode);
        ASSERT_GE(handle, 3);
        EXPECT_EQ(format(handle), int32_t(c.format));
        EXPECT_EQ(Textures[handle].hasAlpha, c.hasAlpha);
        EXPECT_EQ(Textures[handle].width, 2);
        EXPECT_EQ(Textures[handle].height, 2);
        TextureProps props{};
        ASSERT_EQ(gettextureprops(handle, 1, &props), 1);
        EXPECT_EQ(props.levelCount, 2u);
        EXPECT_EQ(props.width, 1u);
        std::string expectedPath = std::string("TEXTURES/") + c.name + ".TGA";
        for (char& ch : expectedPath) ch = char(std::toupper(static_cast<unsigned char>(ch)));
        EXPECT_STREQ(props.path, expectedPath.c_str());
    }

    // Magenta is keyed out of S_ textures only.
    const int32_t keyed = textureload("s_leaf", ZEP_TEXMODE_OBJECT);
    uint16_t texels[4] = {};
    ASSERT_EQ(downloadtexture(keyed, 0, texels, int32_t(sizeof texels)), 8);
    EXPECT_EQ(texels[0], 0x0000);  // transparent black
    EXPECT_EQ(texels[1], 0xFC00);  // opaque red
    const std::array<uint32_t, 4> opaque = corners(textureload("c_leaf", ZEP_TEXMODE_OBJECT));
    EXPECT_EQ(opaque[0], 0xFFFF00FFu);
}

TEST_F(TextureFiles, EveryTgaPixelDepthReadsBack) {
    // Rows bottom-up; the same picture in every depth: top left, top right,
    // bottom left, bottom right.
    struct Case {
        const char* name;
        Bytes file;
        std::array<uint32_t, 4> expected;
    } cases[] = {
        {"a_grey8", tgaFile(zep::test::kTgaGrey, 8, 0, 2, 2, {0x00, 0x40, 0x80, 0xFF}),
         {0xFF808080, 0xFFFFFFFF, 0xFF000000, 0xFF404040}},
        // A1R5G5B5, little-endian, the alpha bit set on every texel.
        {"a_high16", tgaFile(zep::test::kTgaTrueColor, 16, 1, 2, 2, {0x1F, 0x80, 0xFF, 0xFF, 0x00, 0xFC, 0xE0, 0x83}),
         {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF}},
        {"a_true24", tga24(kRed, kGreen, kBlue, kWhite), {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF}},
        // B, G, R, A with eight alpha bits.
        {"a_alpha32", tgaFile(zep::test::kTgaTrueColor, 32, 8, 2, 2,
                              {0xFF, 0, 0, 0x40, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0xFF, 0x80, 0, 0xFF, 0, 0x00}),
         {0x80FF0000, 0x0000FF00, 0x400000FF, 0xFFFFFFFF}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        write(std::string("textures/") + c.name + ".tga", c.file);
        const int32_t handle = textureload(c.name, ZEP_TEXMODE_OBJECT);
        ASSERT_GE(handle, 3);
        EXPECT_EQ(corners(handle), c.expected);
    }
}

TEST_F(TextureFiles, BmpFilesNeedThePermission) {
    write("textures/pic.bmp", zep::test::bmp24(kRed, kGreen, kBlue, kWhite));
    SetTexturePaths("OBJS", "TEXTURES/;;", 0, 0, 1);
    size_t mark = logMark();
    EXPECT_EQ(textureload("pic.bmp", ZEP_TEXMODE_OBJECT), -1);
    EXPECT_EQ(logLinesSince(mark), Lines{"Error: texture is not loaded [pic.bmp]"});

    SetTexturePaths("OBJS", "TEXTURES/;;", 1, 0, 1);
    mark = logMark();
    const int32_t handle = textureload("pic.bmp", ZEP_TEXMODE_OBJECT);
    ASSERT_GE(handle, 3);
    EXPECT_EQ(logLinesSince(mark), Lines{"Load texture: PIC.BMP"});
    EXPECT_EQ(Textures[handle].hasAlpha, 0);
    EXPECT_EQ(Textures[handle].width, 2);  // taken from the texture made
    EXPECT_EQ(Textures[handle].height, 2);
    EXPECT_NE(Textures[handle].texture, nullptr);
}

// ---- Encoded content -------------------------------------------------------------------

int decoderCalls = 0;

void ZEPAPI xorDecoder(void* data, int32_t size) {
    ++decoderCalls;
    auto* bytes = static_cast<uint8_t*>(data);
    for (int32_t i = 0; i < size; ++i) bytes[i] ^= 0x5A;
}

TEST_F(TextureFiles, EncodedTgaLoadsDecodedAndPlainTgaAsRead) {
    const Bytes image = tga24(kRed, kGreen, kBlue, kWhite);
    Bytes coded = image;
    for (uint8_t& b : coded) b ^= 0x5A;
    write("textures/a_plain.tga", image);
    write("textures/a_coded.tga", coded);
    SetObjCoders(nullptr, xorDecoder);

    decoderCalls = 0;
    const int32_t plain = textureload("a_plain", ZEP_TEXMODE_OBJECT);
    EXPECT_EQ(decoderCalls, 0);
    const int32_t decoded = textureload("a_coded", ZEP_TEXMODE_OBJECT);
    EXPECT_EQ(decoderCalls, 1);
    ASSERT_GE(plain, 3);
    ASSERT_GE(decoded, 3);
    EXPECT_EQ(corners(decoded), corners(plain));
    EXPECT_EQ(Textures[decoded].width, 2);  // the size comes from the decoded header
    EXPECT_EQ(Textures[decoded].height, 2);
    SetObjCoders(nullptr, nullptr);
}

// ---- Files that do not load ------------------------------------------------------------

TEST_F(TextureFiles, BadFilesAndNamesFailWithTheirResult) {
    const Bytes image = tga24(kRed, kGreen, kBlue, kWhite);
    const Bytes truncated(image.begin(), image.begin() + 10);
    const Bytes headerOnly(image.begin(), image.begin() + 18);
    write("textures/short.tga", truncated);
    write("textures/a_short.tga", headerOnly);
    write("textures/b_short.tga", truncated);
    write("textures/b_other.tga", truncated);

    size_t mark = logMark();
    const int32_t alpha = textureload("a_short", ZEP_TEXMODE_OBJECT);
    ASSERT_GE(alpha, 3);
    EXPECT_EQ(Textures[alpha].texture, nullptr);
    EXPECT_EQ(Textures[alpha].width, 2);
    EXPECT_EQ(downloadtexture(alpha, 0, nullptr, 0), -1);
    EXPECT_EQ(logLinesSince(mark), (Lines{"Load texture: A_SHORT.TGA", "Texture load error",
                                          "Error: [downloadtexture] no texture " + std::to_string(alpha)}));

    // Bump and plain object textures give their entry back: the list stays
    // as it was and the search goes on.
    const int32_t count = ZEPengine.textureCount;
    mark = logMark();
    EXPECT_EQ(textureload("b_short", ZEP_TEXMODE_BUMP), -1);
    EXPECT_EQ(textureload("b_other", ZEP_TEXMODE_OBJECT), -1);
    EXPECT_EQ(ZEPengine.textureCount, count);
    EXPECT_EQ(Textures[count].texture, nullptr);
    EXPECT_EQ(logLinesSince(mark),
              (Lines{"Load texture: B_SHORT.TGA", "Texture load error", "Error: texture is not loaded [b_short.TGA]",
                     "Load texture: B_OTHER.TGA", "Texture load error", "Error: texture is not loaded [b_other.TGA]"}));

    // Missing files, names that cannot be paths, empty names, textures off.
    mark = logMark();
    EXPECT_EQ(textureload("missing", ZEP_TEXMODE_OBJECT), -1);
    EXPECT_EQ(textureload(std::string(300, 'n').c_str(), ZEP_TEXMODE_OBJECT), -1);
    EXPECT_EQ(zep::loadTexture(std::string(250, 'd').c_str(), "pic", ZEP_TEXMODE_OBJECT), -1);
    EXPECT_EQ(textureload("", ZEP_TEXMODE_OBJECT), -1);
    EXPECT_EQ(textureload(nullptr, ZEP_TEXMODE_OBJECT), -1);
    SetTexturePaths("OBJS", "TEXTURES/;;", 1, 1, 1);
    EXPECT_EQ(textureload("short", ZEP_TEXMODE_BUMP), -1);
    EXPECT_EQ(logLinesSince(mark),
              (Lines{"Error: texture is not loaded [missing.TGA]", "Error: Too long path name.",
                     "Error: Too long path name.", "Error: texture is not loaded [pic.TGA]"}));
    EXPECT_EQ(ZEPengine.textureCount, count);

    // Names without an alpha or bump rule keep their entry, without
    // texture. (Their message has no line end: it comes last here.)
    SetTexturePaths("OBJS", "TEXTURES/;;", 1, 0, 1);
    mark = logMark();
    const int32_t kept = textureload("short", ZEP_TEXMODE_OBJECT);
    ASSERT_EQ(kept, count);
    EXPECT_EQ(Textures[kept].texture, nullptr);
    EXPECT_EQ(Textures[kept].width, 0);  // no header to take the size from
    EXPECT_EQ(textureload("short", ZEP_TEXMODE_OBJECT), kept);
    EXPECT_EQ(logLinesSince(mark), (Lines{"Load texture: SHORT.TGA", "capture text FAILED."}));
}

}  // namespace
