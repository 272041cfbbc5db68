// A headless Direct3D 8 device for visual tests, opened and read back through
// the public interface only, exactly as a host would.
//
// Headless convention: CreateDevice with a null focus window and a null
// hDeviceWindow gives a device that renders into its own back buffer without
// any window or display (an EGL surfaceless context). The back-buffer size
// must then be given (a window would otherwise supply it).
//
// Read-back: the back buffer (or any render target) is copied with CopyRects
// into a lockable image surface of the same format, which is locked and
// converted to D3DCOLOR (ARGB). Formats without alpha read back with alpha
// 0xFF.
//
//   zep::test::D3DTestDevice d;            // 64 x 64, X8R8G8B8, D24S8
//   ZEP_REQUIRE_D3D_DEVICE(d);             // skips the test when no device opens
//   d->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0);
//   zep::test::Image image = d.readBackBuffer();
//   zep::test::expectColorNear(image.at(32, 32), 0xFFFF0000);
#pragma once

#include <d3d8.h>

#include "visual_case.h"
#include "visual_image.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace zep::test {

// The visual cases' device options serve the tests' devices too.
using TestDeviceOptions = zep::visual::Options;

// Read-back images and texel conversion are shared with the visual cases.
using zep::visual::bytesPerTexel;
using zep::visual::colorFromTexel;
using zep::visual::Image;

// Within `tolerance` on every channel (alpha too, unless ignoreAlpha).
inline ::testing::AssertionResult colorNear(D3DCOLOR actual, D3DCOLOR expected, int tolerance = 2,
                                            bool ignoreAlpha = false) {
    for (int shift = 0; shift < 32; shift += 8) {
        if (ignoreAlpha && shift == 24) continue;
        int a = int((actual >> shift) & 0xFF);
        int e = int((expected >> shift) & 0xFF);
        if (std::abs(a - e) > tolerance) {
            char text[96];
            std::snprintf(text, sizeof text, "colour 0x%08X, expected 0x%08X (tolerance %d)", actual, expected,
                          tolerance);
            return ::testing::AssertionFailure() << text;
        }
    }
    return ::testing::AssertionSuccess();
}

inline void expectColorNear(D3DCOLOR actual, D3DCOLOR expected, int tolerance = 2, bool ignoreAlpha = false) {
    EXPECT_TRUE(colorNear(actual, expected, tolerance, ignoreAlpha));
}

class D3DTestDevice {
public:
    explicit D3DTestDevice(const TestDeviceOptions& options = {}) : options_(options) {
        d3d_ = Direct3DCreate8(D3D_SDK_VERSION);
        if (!d3d_) {
            failure_ = "Direct3DCreate8 returned null";
            return;
        }
        D3DPRESENT_PARAMETERS pp = presentParameters();
        HRESULT hr = d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr, options.behaviour, &pp, &device_);
        if (FAILED(hr) || !device_) {
            char text[64];
            std::snprintf(text, sizeof text, "CreateDevice failed: 0x%08X", unsigned(hr));
            failure_ = text;
            device_ = nullptr;
        }
    }
    ~D3DTestDevice() {
        if (device_) device_->Release();
        if (d3d_) d3d_->Release();
    }
    D3DTestDevice(const D3DTestDevice&) = delete;
    D3DTestDevice& operator=(const D3DTestDevice&) = delete;

    bool ok() const { return device_ != nullptr; }
    const std::string& failure() const { return failure_; }
    IDirect3D8* d3d() const { return d3d_; }
    IDirect3DDevice8* device() const { return device_; }
    IDirect3DDevice8* operator->() const { return device_; }
    const TestDeviceOptions& options() const { return options_; }

    // The parameters the device was created with (for Reset tests).
    D3DPRESENT_PARAMETERS presentParameters() const { return zep::visual::presentParameters(options_, nullptr); }

    // Any colour surface the device can copy from (back buffer, render
    // target, render-target texture level, image surface), as D3DCOLOR.
    Image readSurface(IDirect3DSurface8* surface) const {
        std::string error;
        Image image = zep::visual::readSurface(device_, surface, &error);
        if (!error.empty()) ADD_FAILURE() << error;
        return image;
    }

    Image readBackBuffer() const {
        IDirect3DSurface8* back = nullptr;
        if (FAILED(device_->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back))) {
            ADD_FAILURE() << "readBackBuffer: GetBackBuffer failed";
            return {};
        }
        Image image = readSurface(back);
        back->Release();
        return image;
    }

    // The current render target (back buffer or the one set last).
    Image readRenderTarget() const {
        IDirect3DSurface8* target = nullptr;
        if (FAILED(device_->GetRenderTarget(&target))) {
            ADD_FAILURE() << "readRenderTarget: GetRenderTarget failed";
            return {};
        }
        Image image = readSurface(target);
        target->Release();
        return image;
    }

private:
    TestDeviceOptions options_;
    IDirect3D8* d3d_ = nullptr;
    IDirect3DDevice8* device_ = nullptr;
    std::string failure_;
};

}  // namespace zep::test

// Skips the current test (with the reason) when the device did not open.
#define ZEP_REQUIRE_D3D_DEVICE(testDevice)                                        \
    do {                                                                          \
        if (!(testDevice).ok()) GTEST_SKIP() << (testDevice).failure();           \
    } while (0)
