// <dinput.h> and <ddraw.h> before <d3d8.h>: COM's IUnknown and the GUID
// types come from <unknwn.h> and <windows.h> first, and <d3d8.h> must take
// them as they are. test_d3d8_headers.cpp includes <d3d8.h> alone.

#include <ddraw.h>
#include <dinput.h>
#include <d3d8.h>

#include <gtest/gtest.h>

#include <type_traits>

namespace {

static_assert(std::is_base_of_v<IUnknown, IDirectInput8A>);
static_assert(std::is_base_of_v<IUnknown, IDirectDraw7>);
static_assert(std::is_base_of_v<IUnknown, IDirect3D8>);
static_assert(std::is_same_v<REFIID, const GUID&>);

TEST(Win32HeadersOrder, ComObjectsOfEveryHeaderShareOneIUnknown) {
    IDirectDraw7* dd = nullptr;
    ASSERT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&dd), IID_IDirectDraw7, nullptr), DD_OK);
    IUnknown* unknown = nullptr;
    ASSERT_EQ(dd->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
    EXPECT_EQ(unknown, static_cast<IUnknown*>(dd));
    EXPECT_EQ(unknown->Release(), 1u);
    EXPECT_EQ(dd->Release(), 0u);
}

}  // namespace
