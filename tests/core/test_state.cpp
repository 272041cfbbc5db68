// The exported record before any device opens, the record-level setters, and
// the log's open-append-close behaviour.

#include <ZEPenginedll.h>
#include <gtest/gtest.h>

#include "core/state.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Points the log at a file under a fresh temporary folder for one test and
// restores the record's empty path afterwards.
struct LogFixture : ::testing::Test {
    fs::path dir;
    void SetUp() override {
        dir = fs::temp_directory_path() / ("zep_log_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                           "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override {
        ZEPengine.logPath[0] = '\0';
        fs::remove_all(dir);
    }
    void setLogPath(const std::string& path) {
        ASSERT_LT(path.size(), sizeof ZEPengine.logPath);
        std::memcpy(ZEPengine.logPath, path.c_str(), path.size() + 1);
    }
};

}  // namespace

TEST(State, RecordIsZeroBeforeInitialisation) {
    EXPECT_EQ(ZEPengine.identity, 0u);
    EXPECT_EQ(ZEPengine.objectCount, 0);
    EXPECT_EQ(ZEPengine.engineRunning, 0);
    EXPECT_EQ(ZEPengine.animationCount, 0);
}

TEST(State, PoolCapacitiesDefaultThenStoredUnvalidated) {
    const zep::PoolCapacities defaults = zep::poolCapacities();
    EXPECT_EQ(defaults.dynamicVertices, 25000);
    EXPECT_EQ(defaults.staticVertices, 80000);
    EXPECT_EQ(defaults.layerVertices, 2000);
    EXPECT_EQ(defaults.helpers, 10000);
    EXPECT_EQ(defaults.objects, 10000);
    EXPECT_EQ(defaults.meshes, 40000);

    SetZEPengineMemory(10000, 400000, 1000, 1000, 10000, 5000);
    const zep::PoolCapacities demo = zep::poolCapacities();
    EXPECT_EQ(demo.dynamicVertices, 10000);
    EXPECT_EQ(demo.staticVertices, 400000);
    EXPECT_EQ(demo.layerVertices, 1000);
    EXPECT_EQ(demo.helpers, 1000);
    EXPECT_EQ(demo.objects, 10000);
    EXPECT_EQ(demo.meshes, 5000);

    SetZEPengineMemory(-1, 0, 896, 0, 1, 0);  // stored as given; the pools check later
    EXPECT_EQ(zep::poolCapacities().dynamicVertices, -1);
    EXPECT_EQ(zep::poolCapacities().layerVertices, 896);
    zep::poolCapacities() = defaults;
}

TEST(State, TexturePathsAreKeptByPointer) {
    static const char folder[] = "MYOBJS";
    static const char paths[] = "A/;B/;;";
    SetTexturePaths(folder, paths, 0, 1, 7);
    EXPECT_EQ(ZEPengine.objectFolder, folder);
    EXPECT_EQ(ZEPengine.texturePathList, paths);
    EXPECT_EQ(ZEPengine.allowBmp, 0);
    EXPECT_EQ(ZEPengine.texturesOff, 1);
    EXPECT_EQ(ZEPengine.texturePathsFifth, 7);
    SetTexturePaths(nullptr, nullptr, 0, 0, 0);
}

TEST(State, VectorHelperFillsAndReturnsItsArgument) {
    D3DVECTOR v = {9, 9, 9};
    EXPECT_EQ(ZEPengineVect(&v, 1.5f, -2.0f, 3.25f), &v);
    EXPECT_EQ(v.x, 1.5f);
    EXPECT_EQ(v.y, -2.0f);
    EXPECT_EQ(v.z, 3.25f);
}

TEST_F(LogFixture, AppendsEachLineAndKeepsNoFileOpen) {
    fs::create_directories(dir / "Log");
    setLogPath((dir / "Log" / "ZEP.log").string());
    ZEP_log("Start...\n");
    ZEP_log("Resize: %i,%i\n", 640, 480);
    // Each call closes the file again, so another writer sees every line.
    EXPECT_EQ(readFile(dir / "Log" / "ZEP.log"), "Start...\nResize: 640,480\n");
}

TEST_F(LogFixture, WindowsStylePathReachesTheLogFolder) {
    fs::create_directories(dir / "Log");
    setLogPath(dir.string() + "\\Log\\ZEP.log");
    ZEP_log("Set renderstates\n");
    EXPECT_EQ(readFile(dir / "Log" / "ZEP.log"), "Set renderstates\n");
}

TEST_F(LogFixture, NoLogFolderOrNoPathWritesNothing) {
    setLogPath((dir / "Log" / "ZEP.log").string());
    ZEP_log("lost\n");
    EXPECT_FALSE(fs::exists(dir / "Log"));

    ZEPengine.logPath[0] = '\0';
    ZEP_log("also lost\n");
    EXPECT_TRUE(fs::is_empty(dir));
}

namespace {
void ZEPAPI encodeStub(void*, int32_t) {}
void ZEPAPI decodeStub(void*, int32_t) {}
}  // namespace

TEST(State, ObjectCodersAreStoredAndEncoderReturned) {
    EXPECT_EQ(SetObjCoders(encodeStub, decodeStub), &encodeStub);
    EXPECT_EQ(ZEPengine.contentEncoder, &encodeStub);
    EXPECT_EQ(ZEPengine.contentDecoder, &decodeStub);
    EXPECT_EQ(SetObjCoders(nullptr, nullptr), nullptr);
    EXPECT_EQ(ZEPengine.contentDecoder, nullptr);
}
