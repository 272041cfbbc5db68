// Locks: the bytes a host writes come back unchanged, in every format the
// runtime offers, through buffers, texture levels (whole or a rectangle),
// render targets (which live in GL and are read back) and volumes.

#include "d3d_test_device.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

using zep::test::D3DTestDevice;

BYTE patternByte(size_t i) { return BYTE(i * 37 + 11); }

TEST(D3D8Locks, VertexAndIndexBuffersRoundTrip) {
    D3DTestDevice d;
    ZEP_REQUIRE_D3D_DEVICE(d);
    const D3DPOOL pools[] = {D3DPOOL_MANAGED, D3DPOOL_SYSTEMMEM, D3DPOOL_DEFAULT};
    for (D3DPOOL pool : pools) {
        SCOPED_TRACE(pool);
        IDirect3DVertexBuffer8* vb = nullptr;
        ASSERT_EQ(d->CreateVertexBuffer(256, D3DUSAGE_WRITEONLY, D3DFVF_XYZ, pool, &vb), D3D_OK);
        D3DVERTEXBUFFER_DESC desc{};
        vb->GetDesc(&desc);
        EXPECT_EQ(desc.Size, 256u);
        EXPECT_EQ(desc.FVF, DWORD(D3DFVF_XYZ));
        EXPECT_EQ(desc.Pool, pool);
        EXPECT_EQ(desc.Format, D3DFMT_VERTEXDATA);

        BYTE* data = nullptr;
        ASSERT_EQ(vb->Lock(0, 0, &data, 0), D3D_OK);  // 0, 0: the whole buffer
        for (size_t i = 0; i < 256; ++i) data[i] = patternByte(i);
        EXPECT_EQ(vb->Lock(0, 0, &data, 0), D3DERR_INVALIDCALL);  // already locked
        ASSERT_EQ(vb->Unlock(), D3D_OK);
        EXPECT_EQ(vb->Unlock(), D3DERR_INVALIDCALL);

        ASSERT_EQ(vb->Lock(100, 20, &data, D3DLOCK_READONLY), D3D_OK);
        for (size_t i = 0; i < 20; ++i) EXPECT_EQ(data[i], patternByte(100 + i));
        vb->Unlock();
        EXPECT_EQ(vb->Lock(250, 10, &data, 0), D3DERR_INVALIDCALL);  // past the end
        EXPECT_EQ(vb->Lock(257, 0, &data, 0), D3DERR_INVALIDCALL);
        // A discarding lock of a part keeps the buffer's size and other bytes usable.
        ASSERT_EQ(vb->Lock(0, 16, &data, D3DLOCK_DISCARD), D3D_OK);
        std::memset(data, 0xAB, 16);
        vb->Unlock();
        ASSERT_EQ(vb->Lock(0, 0, &data, D3DLOCK_READONLY | D3DLOCK_NOOVERWRITE), D3D_OK);
        EXPECT_EQ(data[15], 0xAB);
        vb->Unlock();
        EXPECT_EQ(vb->Release(), 0u);
    }
    const D3DFORMAT indexFormats[] = {D3DFMT_INDEX16, D3DFMT_INDEX32};
    for (D3DFORMAT format : indexFormats) {
        IDirect3DIndexBuffer8* ib = nullptr;
        ASSERT_EQ(d->CreateIndexBuffer(64, 0, format, D3DPOOL_MANAGED, &ib), D3D_OK);
        D3DINDEXBUFFER_DESC desc{};
        ib->GetDesc(&desc);
        EXPECT_EQ(desc.Format, format);
        EXPECT_EQ(desc.Size, 64u);
        BYTE* data = nullptr;
        ASSERT_EQ(ib->Lock(8, 8, &data, 0), D3D_OK);
        for (size_t i = 0; i < 8; ++i) data[i] = patternByte(i);
        ib->Unlock();
        ASSERT_EQ(ib->Lock(0, 0, &data, D3DLOCK_READONLY), D3D_OK);
        for (size_t i = 0; i < 8; ++i) EXPECT_EQ(data[8 + i], patternByte(i));
        EXPECT_EQ(data[0], 0);
        ib->Unlock();
        ib->Release();
    }
    IDirect3DIndexBuffer8* bad = nullptr;
    EXPECT_EQ(d->CreateIndexBuffer(64, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &bad), D3DERR_INVALIDCALL);
}

struct FormatCase {
    D3DFORMAT format;
    UINT bytes;
};

const FormatCase kTextureFormats[] = {
    {D3DFMT_A8R8G8B8, 4}, {D3DFMT_X8R8G8B8, 4}, {D3DFMT_R8G8B8, 3}, {D3DFMT_R5G6B5, 2},
    {D3DFMT_X1R5G5B5, 2}, {D3DFMT_A1R5G5B5, 2}, {D3DFMT_A4R4G4B4, 2}, {D3DFMT_Q8W8V8U8, 4},
    {D3DFMT_L8, 1},       {D3DFMT_A8, 1},       {D3DFMT_V8U8, 2},
};

TEST(D3D8Locks, TextureLevelsInEveryFormat) {
    D3DTestDevice d;
    ZEP_REQUIRE_D3D_DEVICE(d);
    for (const FormatCase& f : kTextureFormats) {
        SCOPED_TRACE(f.format);
        IDirect3DTexture8* texture = nullptr;
        ASSERT_EQ(d->CreateTexture(16, 8, 0, 0, f.format, D3DPOOL_MANAGED, &texture), D3D_OK);
        ASSERT_EQ(texture->GetLevelCount(), 5u);  // 16x8, 8x4, 4x2, 2x1, 1x1
        const UINT widths[] = {16, 8, 4, 2, 1}, heights[] = {8, 4, 2, 1, 1};
        for (UINT level = 0; level < 5; ++level) {
            D3DSURFACE_DESC desc{};
            ASSERT_EQ(texture->GetLevelDesc(level, &desc), D3D_OK);
            EXPECT_EQ(desc.Width, widths[level]);
            EXPECT_EQ(desc.Height, heights[level]);
            EXPECT_EQ(desc.Format, f.format);
            EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
        }
        D3DSURFACE_DESC none{};
        EXPECT_EQ(texture->GetLevelDesc(5, &none), D3DERR_INVALIDCALL);

        // Level 1 (8 x 4): write a 4 x 2 rectangle at (1, 1).
        const RECT part{1, 1, 5, 3};
        D3DLOCKED_RECT locked{};
        ASSERT_EQ(texture->LockRect(1, &locked, &part, 0), D3D_OK);
        EXPECT_EQ(UINT(locked.Pitch), 8 * f.bytes);
        for (UINT y = 0; y < 2; ++y)
            for (UINT x = 0; x < 4 * f.bytes; ++x)
                static_cast<BYTE*>(locked.pBits)[y * locked.Pitch + x] = patternByte(y * 100 + x);
        ASSERT_EQ(texture->UnlockRect(1), D3D_OK);
        EXPECT_EQ(texture->UnlockRect(1), D3DERR_INVALIDCALL);

        ASSERT_EQ(texture->LockRect(1, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
        const BYTE* bytes = static_cast<const BYTE*>(locked.pBits);
        for (UINT y = 0; y < 4; ++y)
            for (UINT x = 0; x < 8 * f.bytes; ++x) {
                const bool inside = y >= 1 && y < 3 && x >= f.bytes && x < 5 * f.bytes;
                const BYTE expected = inside ? patternByte((y - 1) * 100 + (x - f.bytes)) : 0;
                ASSERT_EQ(bytes[y * locked.Pitch + x], expected) << "byte " << x << " of row " << y;
            }
        texture->UnlockRect(1);
        const RECT outside{6, 2, 10, 4};
        EXPECT_EQ(texture->LockRect(1, &locked, &outside, 0), D3DERR_INVALIDCALL);
        EXPECT_EQ(texture->Release(), 0u);
    }
}

TEST(D3D8Locks, RenderTargetTexturesReadBackWhatWasWritten) {
    D3DTestDevice d;
    ZEP_REQUIRE_D3D_DEVICE(d);
    struct Case {
        D3DFORMAT format;
        UINT bytes;
        DWORD keptBits;  // bits GL keeps (X bits are not stored)
    };
    const Case cases[] = {
        {D3DFMT_A8R8G8B8, 4, 0xFFFFFFFF}, {D3DFMT_X8R8G8B8, 4, 0x00FFFFFF}, {D3DFMT_R5G6B5, 2, 0xFFFF},
        {D3DFMT_X1R5G5B5, 2, 0x7FFF},     {D3DFMT_A1R5G5B5, 2, 0xFFFF},     {D3DFMT_A4R4G4B4, 2, 0xFFFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        IDirect3DTexture8* texture = nullptr;
        ASSERT_EQ(d->CreateTexture(16, 16, 1, D3DUSAGE_RENDERTARGET, c.format, D3DPOOL_DEFAULT, &texture), D3D_OK);
        IDirect3DSurface8* level = nullptr;
        ASSERT_EQ(texture->GetSurfaceLevel(0, &level), D3D_OK);
        const RECT part{2, 3, 10, 7};
        D3DLOCKED_RECT locked{};
        ASSERT_EQ(level->LockRect(&locked, &part, 0), D3D_OK);
        for (UINT y = 0; y < 4; ++y)
            for (UINT x = 0; x < 8 * c.bytes; ++x)
                static_cast<BYTE*>(locked.pBits)[y * locked.Pitch + x] = patternByte(y * 64 + x);
        ASSERT_EQ(level->UnlockRect(), D3D_OK);
        ASSERT_EQ(level->LockRect(&locked, &part, D3DLOCK_READONLY), D3D_OK);
        for (UINT y = 0; y < 4; ++y)
            for (UINT x = 0; x < 8; ++x) {
                DWORD wrote = 0, read = 0;
                for (UINT b = 0; b < c.bytes; ++b) {
                    wrote |= DWORD(patternByte(y * 64 + x * c.bytes + b)) << (8 * b);
                    read |= DWORD(static_cast<const BYTE*>(locked.pBits)[y * locked.Pitch + x * c.bytes + b]) << (8 * b);
                }
                ASSERT_EQ(read & c.keptBits, wrote & c.keptBits) << "texel " << x << "," << y;
            }
        level->UnlockRect();
        level->Release();
        EXPECT_EQ(texture->Release(), 0u);
    }
}

TEST(D3D8Locks, VolumesArePackedTightly) {
    D3DTestDevice d;
    ZEP_REQUIRE_D3D_DEVICE(d);
    // The terrain's detail texture: any other pitch sends it down a slower path.
    IDirect3DVolumeTexture8* terrain = nullptr;
    ASSERT_EQ(d->CreateVolumeTexture(512, 512, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &terrain), D3D_OK);
    D3DLOCKED_BOX box{};
    ASSERT_EQ(terrain->LockBox(0, &box, nullptr, 0), D3D_OK);
    EXPECT_EQ(box.RowPitch, 2048);
    EXPECT_EQ(box.SlicePitch, 1048576);
    terrain->UnlockBox(0);
    terrain->Release();

    IDirect3DVolumeTexture8* volume = nullptr;
    ASSERT_EQ(d->CreateVolumeTexture(8, 4, 4, 0, 0, D3DFMT_L8, D3DPOOL_MANAGED, &volume), D3D_OK);
    ASSERT_EQ(volume->GetLevelCount(), 4u);  // 8x4x4, 4x2x2, 2x1x1, 1x1x1
    D3DVOLUME_DESC desc{};
    ASSERT_EQ(volume->GetLevelDesc(1, &desc), D3D_OK);
    EXPECT_EQ(desc.Width, 4u);
    EXPECT_EQ(desc.Height, 2u);
    EXPECT_EQ(desc.Depth, 2u);

    const D3DBOX part{1, 1, 5, 3, 2, 4};  // 4 x 2 x 2 at (1, 1, 2)
    ASSERT_EQ(volume->LockBox(0, &box, &part, 0), D3D_OK);
    for (UINT z = 0; z < 2; ++z)
        for (UINT y = 0; y < 2; ++y)
            for (UINT x = 0; x < 4; ++x)
                static_cast<BYTE*>(box.pBits)[z * box.SlicePitch + y * box.RowPitch + x] = patternByte(z * 16 + y * 4 + x);
    ASSERT_EQ(volume->UnlockBox(0), D3D_OK);
    ASSERT_EQ(volume->LockBox(0, &box, nullptr, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(box.RowPitch, 8);
    EXPECT_EQ(box.SlicePitch, 32);
    const BYTE* bytes = static_cast<const BYTE*>(box.pBits);
    for (UINT z = 0; z < 4; ++z)
        for (UINT y = 0; y < 4; ++y)
            for (UINT x = 0; x < 8; ++x) {
                const bool inside = z >= 2 && y >= 1 && y < 3 && x >= 1 && x < 5;
                const BYTE expected = inside ? patternByte((z - 2) * 16 + (y - 1) * 4 + (x - 1)) : 0;
                ASSERT_EQ(bytes[z * 32 + y * 8 + x], expected) << x << "," << y << "," << z;
            }
    volume->UnlockBox(0);
    const D3DBOX tooDeep{0, 0, 1, 1, 3, 5};
    EXPECT_EQ(volume->LockBox(0, &box, &tooDeep, 0), D3DERR_INVALIDCALL);

    IDirect3DVolume8* level = nullptr;
    ASSERT_EQ(volume->GetVolumeLevel(2, &level), D3D_OK);
    level->GetDesc(&desc);
    EXPECT_EQ(desc.Width, 2u);
    EXPECT_EQ(desc.Depth, 1u);
    level->Release();
    EXPECT_EQ(volume->Release(), 0u);
}

TEST(D3D8Locks, ImageSurfacesAndTheirRefusals) {
    D3DTestDevice d;
    ZEP_REQUIRE_D3D_DEVICE(d);
    IDirect3DSurface8* image = nullptr;
    ASSERT_EQ(d->CreateImageSurface(2, 2, D3DFMT_X8R8G8B8, &image), D3D_OK);
    D3DSURFACE_DESC desc{};
    image->GetDesc(&desc);
    EXPECT_EQ(desc.Pool, D3DPOOL_SYSTEMMEM);
    D3DLOCKED_RECT locked{};
    const RECT empty{1, 1, 1, 2};
    EXPECT_EQ(image->LockRect(&locked, &empty, 0), D3DERR_INVALIDCALL);
    ASSERT_EQ(image->LockRect(&locked, nullptr, 0), D3D_OK);
    EXPECT_EQ(locked.Pitch, 8);
    image->UnlockRect();
    image->Release();

    IDirect3DSurface8* depth = nullptr;
    ASSERT_EQ(d->CreateDepthStencilSurface(16, 16, D3DFMT_D24S8, D3DMULTISAMPLE_NONE, &depth), D3D_OK);
    EXPECT_EQ(depth->LockRect(&locked, nullptr, 0), D3DERR_INVALIDCALL);  // depth is never lockable
    depth->Release();
    EXPECT_EQ(d->CreateDepthStencilSurface(16, 16, D3DFMT_X8R8G8B8, D3DMULTISAMPLE_NONE, &depth), D3DERR_INVALIDCALL);
    EXPECT_EQ(d->CreateImageSurface(4, 4, D3DFMT_D16, &image), D3DERR_INVALIDCALL);
}

}  // namespace
