// The engine's public header first, <d3d8.h> second: the shared Direct3D
// types (D3DCOLOR, D3DVECTOR, D3DMATRIX) come from the public header and the
// interfaces complete its forward declarations. test_d3d8_headers.cpp checks
// the other order.

#include <ZEPenginedll.h>
#include <d3d8.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <type_traits>

namespace {

TEST(D3D8HeadersAfterPublicHeader, SharedTypesKeepDirect3DLayout) {
    static_assert(std::is_same_v<D3DCOLOR, DWORD>);
    static_assert(sizeof(D3DVECTOR) == 12 && offsetof(D3DVECTOR, z) == 8);
    static_assert(sizeof(D3DMATRIX) == 64 && offsetof(D3DMATRIX, _43) == 56);

    // A light built from the public header's vector type feeds the device.
    D3DLIGHT8 light{};
    const D3DVECTOR sun{1.0f, -1.0f, 0.0f};
    light.Direction = sun;
    EXPECT_EQ(light.Direction.y, -1.0f);

    D3DMATRIX m{};
    m._43 = 20.0f;
    EXPECT_EQ(m.m[3][2], 20.0f);
}

TEST(D3D8HeadersAfterPublicHeader, ForwardDeclaredInterfacesComplete) {
    static_assert(std::is_same_v<decltype(DynamicVertexBuffer::buffer), IDirect3DVertexBuffer8*>);
    static_assert(std::is_base_of_v<IDirect3DResource8, IDirect3DVertexBuffer8>);
    static_assert(std::is_base_of_v<IDirect3DBaseTexture8, IDirect3DTexture8>);
    static_assert(std::is_base_of_v<IUnknown, IDirect3DSurface8>);
    static_assert(std::is_base_of_v<IDirect3DResource8, IDirect3DIndexBuffer8>);
    DynamicVertexBuffer record{};
    IUnknown* unknown = record.buffer;
    EXPECT_EQ(unknown, nullptr);
}

}  // namespace
