// The device host's choices: error texts, vertex processing, depth-stencil
// format and multisample fallback, and the engine's refusal of pure devices.

#include "core/device_host.h"
#include "core/device_opening.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using zep::ErrorKind;

TEST(DeviceHost, ErrorMessagesByCodeAndKind) {
    struct Case {
        HRESULT code;
        ErrorKind kind;
        std::string expected;
    };
    const std::string exitText = "\n\nThis application will now exit.";
    const std::string referenceText =
        "\n\nSwitching to the reference rasterizer,\na software device that implements the entire\nDirect3D "
        "feature set, but runs very slowly.";
    const Case cases[] = {
        {zep::kErrResetFailed, ErrorKind::Warning, "Could not reset the Direct3D device."},
        {zep::kErrResetFailed, ErrorKind::Fatal, "Could not reset the Direct3D device." + exitText},
        {zep::kErrNoHardwareDevice, ErrorKind::SwitchedToReference,
         "No hardware-accelerated Direct3D devices\nwere found." + referenceText},
        {zep::kErrNoCompatibleDevices, ErrorKind::Fatal, "Could not find any compatible Direct3D\ndevices." + exitText},
        {E_OUTOFMEMORY, ErrorKind::Warning, "Not enough memory."},
        {D3DERR_OUTOFVIDEOMEMORY, ErrorKind::Warning, "Not enough video memory."},
        {zep::kErrMediaNotFound, ErrorKind::Warning, "Could not load required media."},
        {E_FAIL, ErrorKind::Warning, "Generic application error. Enable\ndebug output for detailed information."},
    };
    for (const Case& c : cases) EXPECT_EQ(zep::errorMessage(c.code, c.kind), c.expected) << std::hex << c.code;
    EXPECT_EQ(zep::errorMessage(zep::kErrNoDirect3D, ErrorKind::Warning).rfind("Could not initialize Direct3D.", 0),
              0u);
}

TEST(DeviceHost, VertexProcessingCandidatesFollowTheCapabilities) {
    struct Case {
        DWORD devCaps;
        DWORD miscCaps;
        std::vector<DWORD> expected;
    };
    const DWORD tl = D3DDEVCAPS_HWTRANSFORMANDLIGHT, pure = D3DDEVCAPS_PUREDEVICE, clip = D3DPMISCCAPS_CLIPTLVERTS;
    const DWORD hw = D3DCREATE_HARDWARE_VERTEXPROCESSING, mixed = D3DCREATE_MIXED_VERTEXPROCESSING,
                sw = D3DCREATE_SOFTWARE_VERTEXPROCESSING;
    const Case cases[] = {
        {tl | pure, clip, {hw | D3DCREATE_PUREDEVICE, hw, mixed, sw}},
        {tl, clip, {hw, mixed, sw}},
        {tl | pure, 0, {mixed, sw}},  // no clipping of transformed vertices: never hardware
        {0, clip, {sw}},
    };
    for (const Case& c : cases) {
        D3DCAPS8 caps{};
        caps.DevCaps = c.devCaps;
        caps.PrimitiveMiscCaps = c.miscCaps;
        EXPECT_EQ(zep::vertexProcessingCandidates(caps), c.expected) << std::hex << c.devCaps << " " << c.miscCaps;
    }
}

TEST(DeviceHost, EngineRefusesPureDevices) {
    D3DCAPS8 caps{};
    caps.DevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT | D3DDEVCAPS_PUREDEVICE;
    caps.PrimitiveMiscCaps = D3DPMISCCAPS_CLIPTLVERTS;
    DWORD behaviour = 0;
    ASSERT_TRUE(zep::engineHost().chooseVertexProcessing(caps, D3DFMT_X8R8G8B8, &behaviour));
    EXPECT_EQ(behaviour, DWORD(D3DCREATE_HARDWARE_VERTEXPROCESSING));
}

class DeviceHostChoices : public ::testing::Test {
protected:
    void SetUp() override {
        GetSystemMetrics(SM_CXSCREEN);  // SDL video as the platform starts it
        d3d = Direct3DCreate8(D3D_SDK_VERSION);
        if (!d3d) GTEST_SKIP() << "no Direct3D";
    }
    void TearDown() override {
        if (d3d) d3d->Release();
    }
    IDirect3D8* d3d = nullptr;
};

TEST_F(DeviceHostChoices, DepthStencilFormatInOrderOfPreference) {
    // The runtime offers D16, D24X8, D24S8 and D32; D15S1 and D24X4S4 are
    // reported unavailable.
    struct Case {
        int minDepth, minStencil;
        D3DFORMAT expected;
        bool stencil;
    };
    const Case cases[] = {
        {16, 4, D3DFMT_D24S8, true},  // the engine's own settings
        {15, 1, D3DFMT_D24S8, true},  // D15S1 first, but not offered
        {24, 8, D3DFMT_D24S8, true},
        {16, 9, D3DFMT_D24X8, false},  // no stencil that wide: the stencil is dropped
        {25, 0, D3DFMT_D32, false},
        {33, 0, D3DFMT_UNKNOWN, false},
    };
    for (const Case& c : cases) {
        const zep::DepthStencilChoice choice = zep::chooseDepthStencilFormat(
            d3d, D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, c.minDepth, c.minStencil);
        EXPECT_EQ(choice.format, c.expected) << c.minDepth << "/" << c.minStencil;
        EXPECT_EQ(choice.hasStencil, c.stencil) << c.minDepth << "/" << c.minStencil;
    }
}

TEST_F(DeviceHostChoices, MultisampleFallsBackToTwoSamplesThenNone) {
    struct Case {
        D3DMULTISAMPLE_TYPE requested, expected;
    };
    const Case cases[] = {
        {D3DMULTISAMPLE_NONE, D3DMULTISAMPLE_NONE},
        {D3DMULTISAMPLE_2_SAMPLES, D3DMULTISAMPLE_2_SAMPLES},
        {D3DMULTISAMPLE_4_SAMPLES, D3DMULTISAMPLE_4_SAMPLES},
        {D3DMULTISAMPLE_3_SAMPLES, D3DMULTISAMPLE_2_SAMPLES},
        {D3DMULTISAMPLE_16_SAMPLES, D3DMULTISAMPLE_2_SAMPLES},
    };
    for (const Case& c : cases)
        EXPECT_EQ(zep::chooseMultiSampleType(d3d, D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, TRUE,
                                             c.requested),
                  c.expected)
            << c.requested;
    // A format no multisampling takes at all: none.
    EXPECT_EQ(zep::chooseMultiSampleType(d3d, D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, D3DFMT_V8U8, TRUE,
                                         D3DMULTISAMPLE_4_SAMPLES),
              D3DMULTISAMPLE_NONE);
}

}  // namespace
