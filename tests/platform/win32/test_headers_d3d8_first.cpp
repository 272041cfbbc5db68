// <d3d8.h> before <dinput.h>: the other order of test_headers_order.cpp.

#include <d3d8.h>
#include <dinput.h>

#include <gtest/gtest.h>

#include <type_traits>

namespace {

static_assert(std::is_base_of_v<IUnknown, IDirectInputDevice8A>);

TEST(Win32HeadersOrder, DirectInputAfterDirect3DUsesTheSameGuidType) {
    IDirectInput8A* input = nullptr;
    ASSERT_EQ(DirectInput8Create(nullptr, DIRECTINPUT_VERSION, IID_IDirectInput8A, reinterpret_cast<void**>(&input),
                                 nullptr),
              DI_OK);
    EXPECT_EQ(input->GetDeviceStatus(GUID_SysKeyboard), DI_OK);
    EXPECT_EQ(input->GetDeviceStatus(IID_IDirect3D8), DIERR_DEVICENOTREG);
    EXPECT_EQ(input->Release(), 0u);
}

}  // namespace
