// A host for engine tests: each test starts in a fresh temporary working
// directory with a Log folder, with the engine record as a freshly loaded
// library has it, and opens the engine headless with InitD3DHWND (on a
// window of the engine's own unless the test gives one). The engine is
// closed and the record cleared again afterwards, so tests never depend on
// their order.
//
//   class MyTest : public zep::test::EngineTestHost {};
//   TEST_F(MyTest, Something) {
//       ASSERT_TRUE(open(160, 120));
//       ...
//       EXPECT_EQ(logLinesSince(mark), (Lines{"Ask resize 200,100", ...}));
//   }
#pragma once

#include <ZEPenginedll.h>

#include "core/device_opening.h"
#include "core/graphics.h"
#include "core/state.h"

#include "visual_image.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace zep::test {

using Lines = std::vector<std::string>;

class EngineTestHost : public ::testing::Test {
public:
    void SetUp() override {
        namespace fs = std::filesystem;
        previousDirectory_ = fs::current_path();
        std::string pattern = (fs::temp_directory_path() / "zep_engine_XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        directory = pattern;
        fs::create_directory(directory / "Log");
        fs::current_path(directory);
        restoreLibraryLoadState();
    }

    void TearDown() override {
        if (graphics().d3d || graphics().device) CloseZEPengine();
        drainMessages();
        std::filesystem::current_path(previousDirectory_);
        std::error_code ignored;
        std::filesystem::remove_all(directory, ignored);
        restoreLibraryLoadState();
    }

    // InitD3DHWND on `window` (null: the engine makes its own).
    bool open(int width = 160, int height = 120, uint8_t followWindow = 0, int32_t multisample = 0) {
        return InitD3DHWND(&window, width, height, followWindow, &running, multisample) != 0;
    }

    Lines logLines() const {
        std::ifstream in(directory / "Log" / "ZEP.log");
        Lines lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

    // A mark to take the lines logged after it with logLinesSince.
    size_t logMark() const { return logLines().size(); }

    Lines logLinesSince(size_t mark) const {
        Lines lines = logLines();
        return Lines(lines.begin() + std::ptrdiff_t(std::min(mark, lines.size())), lines.end());
    }

    // True when `expected` appears in `lines` in this order (other lines may
    // come between).
    static ::testing::AssertionResult inOrder(const Lines& lines, const Lines& expected) {
        size_t at = 0;
        for (const std::string& line : lines)
            if (at < expected.size() && line == expected[at]) ++at;
        if (at == expected.size()) return ::testing::AssertionSuccess();
        std::string text;
        for (const std::string& line : lines) text += "\n  " + line;
        return ::testing::AssertionFailure() << "\"" << expected[at] << "\" missing or out of order in:" << text;
    }

    // Dispatches every queued message; true when WM_QUIT came by.
    static bool pumpMessages() {
        bool quit = false;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quit = true;
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        return quit;
    }

    static void drainMessages() {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    }

    static zep::visual::Image readBackBuffer() {
        std::string error;
        zep::visual::Image image = zep::visual::readBackBuffer(graphics().device, &error);
        EXPECT_TRUE(error.empty()) << error;
        return image;
    }

    std::filesystem::path directory;
    HWND window = nullptr;
    uint8_t running = 0;

private:
    // The engine's state as it is when the library has just been loaded.
    static void restoreLibraryLoadState() {
        std::memset(&ZEPengine, 0, sizeof ZEPengine);
        std::memset(Textures, 0, sizeof Textures);
        poolCapacities() = kDefaultPoolCapacities;
        frameState() = FrameState{};
    }

    std::filesystem::path previousDirectory_;
};

}  // namespace zep::test
