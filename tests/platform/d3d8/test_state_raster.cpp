// Multisampled colour surfaces: what the runtime refuses. How they draw is
// judged by the raster visual cases.

#include "d3d_test_device.h"

#include <gtest/gtest.h>

namespace {

using zep::test::D3DTestDevice;

TEST(D3D8Multisample, MultisampledSurfacesAreNeverLockable) {
    for (D3DMULTISAMPLE_TYPE type : {D3DMULTISAMPLE_2_SAMPLES, D3DMULTISAMPLE_4_SAMPLES}) {
        SCOPED_TRACE(type);
        D3DTestDevice d({.multiSample = type});
        ZEP_REQUIRE_D3D_DEVICE(d);
        IDirect3DSurface8* back = nullptr;
        ASSERT_EQ(d->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
        D3DLOCKED_RECT locked{};
        EXPECT_EQ(back->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3DERR_INVALIDCALL);
        back->Release();
        IDirect3DSurface8* target = nullptr;
        EXPECT_EQ(d->CreateRenderTarget(16, 16, D3DFMT_X8R8G8B8, type, TRUE, &target), D3DERR_INVALIDCALL);
    }
}

}  // namespace
