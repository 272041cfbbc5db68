// Windows-style names ("OBJS\\STAGE.OSR") must find content stored in any
// case, and files the engine creates must land in the existing folder.

#include <zep_files.h>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

// A small content tree in a fresh temporary folder, made the working
// directory for the test because the engine opens content relative to it:
//
//   Objs/Stage.osr
//   Textures/Waves2.tga
//   Twins/<six names differing only in case>
//   Log/                                       (empty)
class FileNames : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "zep_files_XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root = pattern;
        fs::create_directories(root / "Objs");
        fs::create_directories(root / "Textures");
        fs::create_directories(root / "Twins");
        fs::create_directories(root / "Log");
        write(root / "Objs" / "Stage.osr", "stage");
        write(root / "Textures" / "Waves2.tga", "waves");
        for (const char* twin : { "file.txt", "FiLe.TxT", "File.txt", "fILE.txt", "FILE.TXT", "file.TXT" })
            write(root / "Twins" / twin, twin);
        previous = fs::current_path();
        fs::current_path(root);
    }

    void TearDown() override
    {
        if (!previous.empty())
            fs::current_path(previous);
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }

    static void write(const fs::path& file, const std::string& text)
    {
        std::ofstream(file) << text;
    }

    static std::string read(const fs::path& file)
    {
        std::ifstream in(file);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    fs::path root;
    fs::path previous;
};

struct ResolveCase {
    const char* input;
    const char* expected;
    int exists;
};

TEST_F(FileNames, ResolvesComponentsWithoutRegardToCase)
{
    const ResolveCase cases[] = {
        { "OBJS\\STAGE.OSR", "Objs/Stage.osr", 1 },
        { "objs/stage.osr", "Objs/Stage.osr", 1 },
        { "Objs\\Stage.osr", "Objs/Stage.osr", 1 },                 // exact after conversion
        { "OBJS\\\\STAGE.OSR", "Objs/Stage.osr", 1 },               // repeated separator
        { "OBJS\\", "Objs/", 1 },                                   // trailing separator
        { ".\\OBJS\\..\\TEXTURES\\WAVES2.TGA", "./Objs/../Textures/Waves2.tga", 1 },
        { "OBJS\\MISSING.OSR", "Objs/MISSING.OSR", 0 },             // folder found, file kept as given
        { "NOWHERE\\STAGE.OSR", "NOWHERE/STAGE.OSR", 0 },           // nothing below a missing folder
        { "OBJS\\STAGE.OSR\\X", "Objs/Stage.osr/X", 0 },            // a file is not a folder
        { "OBJS\\STAGE.OSR\\", "Objs/Stage.osr/", 0 },
        { "", "", 0 },
    };
    for (const ResolveCase& c : cases) {
        char out[256];
        std::memset(out, 'x', sizeof out);
        EXPECT_EQ(zep_resolve_path(c.input, out, sizeof out), c.exists) << c.input;
        EXPECT_STREQ(out, c.expected) << c.input;
    }
}

TEST_F(FileNames, ResolvesAbsolutePaths)
{
    const std::string upper = root.string() + "\\OBJS\\STAGE.OSR";
    char out[4096];
    ASSERT_EQ(zep_resolve_path(upper.c_str(), out, sizeof out), 1);
    EXPECT_EQ(std::string(out), (root / "Objs" / "Stage.osr").string());
}

TEST_F(FileNames, PrefersTheExactNameAndIsStableAmongCaseTwins)
{
    char out[256];
    ASSERT_EQ(zep_resolve_path("TWINS\\file.TXT", out, sizeof out), 1);
    EXPECT_STREQ(out, "Twins/file.TXT");
    ASSERT_EQ(zep_resolve_path("twins/File.txt", out, sizeof out), 1);
    EXPECT_STREQ(out, "Twins/File.txt");
    // No exact match: the first in byte order, whatever order the directory
    // lists them in (six twins make a lucky pass by listing order unlikely).
    ASSERT_EQ(zep_resolve_path("TWINS\\FILE.txt", out, sizeof out), 1);
    EXPECT_STREQ(out, "Twins/FILE.TXT");
}

TEST_F(FileNames, OpensForReadingInAnyCase)
{
    FILE* file = zep_fopen("OBJS\\STAGE.OSR", "rb");
    ASSERT_NE(file, nullptr);
    char text[16] = {};
    EXPECT_EQ(std::fread(text, 1, sizeof text - 1, file), 5u);
    std::fclose(file);
    EXPECT_STREQ(text, "stage");

    EXPECT_EQ(zep_fopen("OBJS\\MISSING.OSR", "rb"), nullptr);
    EXPECT_EQ(zep_fopen(nullptr, "rb"), nullptr);
    EXPECT_EQ(zep_fopen("OBJS\\STAGE.OSR", nullptr), nullptr);
}

TEST_F(FileNames, CreatesNewFilesUnderTheGivenNameInTheExistingFolder)
{
    FILE* file = zep_fopen("LOG\\New.Log", "w");
    ASSERT_NE(file, nullptr);
    std::fputs("line\n", file);
    std::fclose(file);

    EXPECT_EQ(read(root / "Log" / "New.Log"), "line\n");
    EXPECT_FALSE(fs::exists(root / "LOG"));
}

TEST_F(FileNames, AppendsToAnExistingFileFoundInAnyCase)
{
    FILE* file = zep_fopen("OBJS\\STAGE.OSR", "a");
    ASSERT_NE(file, nullptr);
    std::fputs("+", file);
    std::fclose(file);

    EXPECT_EQ(read(root / "Objs" / "Stage.osr"), "stage+");
    EXPECT_FALSE(fs::exists(root / "Objs" / "STAGE.OSR"));
}

TEST_F(FileNames, NeverWritesPastTheBuffer)
{
    // "Objs/Stage.osr" needs 15 bytes with its terminator.
    const size_t needed = std::strlen("Objs/Stage.osr") + 1;
    char out[32];

    std::memset(out, '#', sizeof out);
    EXPECT_EQ(zep_resolve_path("OBJS\\STAGE.OSR", out, needed), 1);
    EXPECT_STREQ(out, "Objs/Stage.osr");
    EXPECT_EQ(out[needed], '#');

    std::memset(out, '#', sizeof out);
    EXPECT_EQ(zep_resolve_path("OBJS\\STAGE.OSR", out, needed - 1), 0);
    EXPECT_EQ(out[0], '\0');
    for (size_t i = needed - 1; i < sizeof out; ++i)
        EXPECT_EQ(out[i], '#') << i;

    std::memset(out, '#', sizeof out);
    EXPECT_EQ(zep_resolve_path("OBJS\\STAGE.OSR", out, 0), 0);
    EXPECT_EQ(out[0], '#');

    EXPECT_EQ(zep_resolve_path(nullptr, out, sizeof out), 0);
    EXPECT_EQ(out[0], '\0');
}

} // namespace
