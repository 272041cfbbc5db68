// DirectDraw 7: creation and the video memory figures.

#include <ddraw.h>

#include <SDL.h>
#include <epoxy/egl.h>
#include <gtest/gtest.h>

#include <cstddef>

namespace {

static_assert(sizeof(DDCAPS) == 380);
static_assert(offsetof(DDCAPS, dwVidMemTotal) == 60);
static_assert(offsetof(DDCAPS, dwVidMemFree) == 64);

class Win32DirectDraw : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&dd_), IID_IDirectDraw7, nullptr), DD_OK);
    }
    void TearDown() override {
        if (dd_) {
            EXPECT_EQ(dd_->Release(), 0u);
        }
    }
    IDirectDraw7* dd_ = nullptr;
};

TEST_F(Win32DirectDraw, CapsReportDisplayMemoryAsAvailableVidMemDoes) {
    DDCAPS driver{}, emulation{};
    driver.dwSize = emulation.dwSize = sizeof(DDCAPS);
    driver.dwNumFourCCCodes = 77;  // whatever the caller left must be overwritten
    ASSERT_EQ(dd_->GetCaps(&driver, &emulation), DD_OK);
    EXPECT_EQ(driver.dwSize, sizeof(DDCAPS));
    EXPECT_EQ(driver.dwNumFourCCCodes, 0u);
    EXPECT_GT(driver.dwVidMemFree, 0u);
    EXPECT_GE(driver.dwVidMemTotal, driver.dwVidMemFree);
    EXPECT_EQ(emulation.dwVidMemTotal, 0u);  // emulation has no display memory

    DDSCAPS2 caps{DDSCAPS_TEXTURE, 0, 0, 0};
    DWORD total = 0, free = 0;
    ASSERT_EQ(dd_->GetAvailableVidMem(&caps, &total, &free), DD_OK);
    EXPECT_EQ(total, driver.dwVidMemTotal);
    EXPECT_EQ(free, driver.dwVidMemFree);
}

TEST_F(Win32DirectDraw, WithoutACurrentContextTheFiguresAreTheFixedOnes) {
    if (SDL_GL_GetCurrentContext() || eglGetCurrentContext() != EGL_NO_CONTEXT)
        GTEST_SKIP() << "another test left an OpenGL context current";
    DDCAPS driver{};
    driver.dwSize = sizeof(DDCAPS);
    ASSERT_EQ(dd_->GetCaps(&driver, nullptr), DD_OK);
    EXPECT_EQ(driver.dwVidMemTotal, 256u << 20);
    EXPECT_EQ(driver.dwVidMemFree, 192u << 20);
}

TEST_F(Win32DirectDraw, BadArgumentsAreRefused) {
    DDCAPS caps{};
    caps.dwSize = 100;
    EXPECT_EQ(dd_->GetCaps(&caps, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(dd_->GetCaps(nullptr, nullptr), DDERR_INVALIDPARAMS);
    DWORD total = 0;
    EXPECT_EQ(dd_->GetAvailableVidMem(nullptr, &total, nullptr), DDERR_INVALIDPARAMS);

    void* out = nullptr;
    EXPECT_EQ(DirectDrawCreateEx(nullptr, &out, IID_IUnknown, nullptr), DDERR_INVALIDPARAMS);
    GUID otherDevice{1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
    EXPECT_EQ(DirectDrawCreateEx(&otherDevice, &out, IID_IDirectDraw7, nullptr), DDERR_INVALIDDIRECTDRAWGUID);
    EXPECT_EQ(out, nullptr);
}

}  // namespace
