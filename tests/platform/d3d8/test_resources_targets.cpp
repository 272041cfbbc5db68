// Render targets, copies between surfaces, the front buffer and Reset as
// the interface reports them (what they leave in the pixels is checked by
// the visual cases, tests/visual/cases/targets.cpp), and the reference
// counts that keep objects alive.

#include "d3d_test_device.h"

#include <epoxy/gl.h>
#include <gtest/gtest.h>

namespace {

using zep::test::D3DTestDevice;

ULONG refCount(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

TEST(D3D8Targets, RenderTargetsBringTheirViewport) {
    D3DTestDevice d;
    ZEP_REQUIRE_D3D_DEVICE(d);
    ASSERT_EQ(d->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0), D3D_OK);

    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(d->CreateTexture(32, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &texture), D3D_OK);
    IDirect3DSurface8* level = nullptr;
    ASSERT_EQ(texture->GetSurfaceLevel(0, &level), D3D_OK);
    IDirect3DSurface8* depth = nullptr;
    ASSERT_EQ(d->CreateDepthStencilSurface(32, 16, D3DFMT_D16, D3DMULTISAMPLE_NONE, &depth), D3D_OK);
    IDirect3DSurface8* back = nullptr;
    IDirect3DSurface8* backDepth = nullptr;
    ASSERT_EQ(d->GetRenderTarget(&back), D3D_OK);
    ASSERT_EQ(d->GetDepthStencilSurface(&backDepth), D3D_OK);

    ASSERT_EQ(d->SetRenderTarget(level, depth), D3D_OK);
    D3DVIEWPORT8 vp{};
    d->GetViewport(&vp);
    EXPECT_EQ(vp.Width, 32u);  // a new render target brings its own viewport
    EXPECT_EQ(vp.Height, 16u);
    ASSERT_EQ(d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFFFF0000, 1.0f, 0), D3D_OK);
    IDirect3DSurface8* current = nullptr;
    ASSERT_EQ(d->GetRenderTarget(&current), D3D_OK);
    EXPECT_EQ(current, level);
    current->Release();

    // A null render target keeps the current one; the depth surface changes.
    ASSERT_EQ(d->SetRenderTarget(nullptr, nullptr), D3D_OK);
    EXPECT_EQ(d->GetDepthStencilSurface(&current), D3DERR_NOTFOUND);
    // A depth surface smaller than the target is refused.
    IDirect3DSurface8* small = nullptr;
    ASSERT_EQ(d->CreateDepthStencilSurface(8, 8, D3DFMT_D16, D3DMULTISAMPLE_NONE, &small), D3D_OK);
    EXPECT_EQ(d->SetRenderTarget(nullptr, small), D3DERR_INVALIDCALL);
    small->Release();
    // Only render targets can be set.
    IDirect3DSurface8* image = nullptr;
    ASSERT_EQ(d->CreateImageSurface(32, 16, D3DFMT_X8R8G8B8, &image), D3D_OK);
    EXPECT_EQ(d->SetRenderTarget(image, nullptr), D3DERR_INVALIDCALL);
    image->Release();

    ASSERT_EQ(d->SetRenderTarget(back, backDepth), D3D_OK);
    d->GetViewport(&vp);
    EXPECT_EQ(vp.Width, 64u);
    back->Release();
    backDepth->Release();
    depth->Release();
    level->Release();
    EXPECT_EQ(texture->Release(), 0u);
}

TEST(D3D8Targets, CopyRectsChecksFormatsAndRectangles) {
    D3DTestDevice d;
    ZEP_REQUIRE_D3D_DEVICE(d);
    IDirect3DSurface8* image = nullptr;
    ASSERT_EQ(d->CreateImageSurface(8, 8, D3DFMT_X8R8G8B8, &image), D3D_OK);
    IDirect3DSurface8* back = nullptr;
    ASSERT_EQ(d->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
    // The top half to (40, 40); the whole image to (0, 0).
    const RECT top{0, 0, 8, 4};
    const POINT at{40, 40};
    ASSERT_EQ(d->CopyRects(image, &top, 1, back, &at), D3D_OK);
    ASSERT_EQ(d->CopyRects(image, nullptr, 0, back, nullptr), D3D_OK);

    // Refusals: another format, a rectangle or destination outside.
    IDirect3DSurface8* other = nullptr;
    ASSERT_EQ(d->CreateImageSurface(8, 8, D3DFMT_R5G6B5, &other), D3D_OK);
    EXPECT_EQ(d->CopyRects(image, nullptr, 0, other, nullptr), D3DERR_INVALIDCALL);
    other->Release();
    const RECT outside{4, 4, 12, 8};
    EXPECT_EQ(d->CopyRects(image, &outside, 1, back, nullptr), D3DERR_INVALIDCALL);
    const POINT edge{60, 60};
    EXPECT_EQ(d->CopyRects(image, nullptr, 0, back, &edge), D3DERR_INVALIDCALL);

    // Back buffer to a texture level and to a render target.
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(d->CreateTexture(8, 8, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    IDirect3DSurface8* level = nullptr;
    texture->GetSurfaceLevel(0, &level);
    const RECT source{40, 40, 48, 48};
    ASSERT_EQ(d->CopyRects(back, &source, 1, level, nullptr), D3DERR_INVALIDCALL);  // no room at (40, 40)
    const POINT origin{0, 0};
    ASSERT_EQ(d->CopyRects(back, &source, 1, level, &origin), D3D_OK);

    IDirect3DSurface8* target = nullptr;
    ASSERT_EQ(d->CreateRenderTarget(16, 16, D3DFMT_X8R8G8B8, D3DMULTISAMPLE_NONE, TRUE, &target), D3D_OK);
    const POINT middle{4, 4};
    EXPECT_EQ(d->CopyRects(back, &source, 1, target, &middle), D3D_OK);

    target->Release();
    level->Release();
    texture->Release();
    back->Release();
    image->Release();
}

TEST(D3D8Targets, FrontBufferNeedsAnArgbSurfaceLargeEnough) {
    D3DTestDevice d;
    ZEP_REQUIRE_D3D_DEVICE(d);
    IDirect3DSurface8* front = nullptr;
    ASSERT_EQ(d->CreateImageSurface(64, 64, D3DFMT_A8R8G8B8, &front), D3D_OK);
    ASSERT_EQ(d->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0), D3D_OK);
    ASSERT_EQ(d->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    ASSERT_EQ(d->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0), D3D_OK);
    EXPECT_EQ(d->GetFrontBuffer(front), D3D_OK);
    front->Release();

    IDirect3DSurface8* wrongFormat = nullptr;
    ASSERT_EQ(d->CreateImageSurface(64, 64, D3DFMT_X8R8G8B8, &wrongFormat), D3D_OK);
    EXPECT_EQ(d->GetFrontBuffer(wrongFormat), D3DERR_INVALIDCALL);
    wrongFormat->Release();
    IDirect3DSurface8* tooSmall = nullptr;
    ASSERT_EQ(d->CreateImageSurface(32, 32, D3DFMT_A8R8G8B8, &tooSmall), D3D_OK);
    EXPECT_EQ(d->GetFrontBuffer(tooSmall), D3DERR_INVALIDCALL);
    tooSmall->Release();

    const RECT source{0, 0, 32, 32}, outside{0, 0, 65, 32};
    EXPECT_EQ(d->Present(&source, nullptr, nullptr, nullptr), D3D_OK);
    EXPECT_EQ(d->Present(&outside, nullptr, nullptr, nullptr), D3DERR_INVALIDCALL);
}

TEST(D3D8Targets, ResetResizesAndWaitsForDefaultPoolResources) {
    D3DTestDevice d;
    ZEP_REQUIRE_D3D_DEVICE(d);
    IDirect3DTexture8* managed = nullptr;
    ASSERT_EQ(d->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &managed), D3D_OK);
    D3DLOCKED_RECT locked{};
    managed->LockRect(0, &locked, nullptr, 0);
    static_cast<DWORD*>(locked.pBits)[5] = 0x12345678;
    managed->UnlockRect(0);
    IDirect3DVertexBuffer8* defaultBuffer = nullptr;
    ASSERT_EQ(d->CreateVertexBuffer(64, 0, 0, D3DPOOL_DEFAULT, &defaultBuffer), D3D_OK);
    d->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);

    D3DPRESENT_PARAMETERS pp = d.presentParameters();
    pp.BackBufferWidth = 80;
    pp.BackBufferHeight = 40;
    EXPECT_EQ(d->Reset(&pp), D3DERR_INVALIDCALL);  // a default-pool buffer is alive
    defaultBuffer->Release();
    ASSERT_EQ(d->Reset(&pp), D3D_OK);

    IDirect3DSurface8* back = nullptr;
    ASSERT_EQ(d->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
    D3DSURFACE_DESC desc{};
    back->GetDesc(&desc);
    EXPECT_EQ(desc.Width, 80u);
    EXPECT_EQ(desc.Height, 40u);
    back->Release();
    D3DVIEWPORT8 vp{};
    d->GetViewport(&vp);
    EXPECT_EQ(vp.Width, 80u);
    EXPECT_EQ(vp.Height, 40u);
    DWORD zfunc = 0;
    d->GetRenderState(D3DRS_ZFUNC, &zfunc);
    EXPECT_EQ(zfunc, DWORD(D3DCMP_LESSEQUAL));  // states are back to their defaults
    EXPECT_EQ(d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF00FFFF, 1.0f, 0), D3D_OK);

    // Managed resources survive with their contents.
    ASSERT_EQ(managed->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(static_cast<DWORD*>(locked.pBits)[5], 0x12345678u);
    managed->UnlockRect(0);
    managed->Release();
}

TEST(D3D8Targets, ReferenceCounts) {
    D3DTestDevice d;
    ZEP_REQUIRE_D3D_DEVICE(d);
    const ULONG deviceRefs = refCount(d.device());

    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(d->CreateTexture(8, 8, 2, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    EXPECT_EQ(refCount(texture), 1u);
    EXPECT_EQ(refCount(d.device()), deviceRefs + 1);  // each resource holds its device

    // A level's reference count is its texture's.
    IDirect3DSurface8* level = nullptr;
    ASSERT_EQ(texture->GetSurfaceLevel(1, &level), D3D_OK);
    EXPECT_EQ(refCount(texture), 2u);
    IDirect3DTexture8* container = nullptr;
    ASSERT_EQ(level->GetContainer(IID_IDirect3DTexture8, reinterpret_cast<void**>(&container)), D3D_OK);
    EXPECT_EQ(container, texture);
    container->Release();
    level->Release();
    EXPECT_EQ(refCount(texture), 1u);

    // Get... methods hand out references.
    ASSERT_EQ(d->SetTexture(0, texture), D3D_OK);
    IDirect3DBaseTexture8* bound = nullptr;
    ASSERT_EQ(d->GetTexture(0, &bound), D3D_OK);
    EXPECT_EQ(bound, texture);
    EXPECT_EQ(refCount(texture), 2u);
    bound->Release();
    IDirect3DDevice8* owner = nullptr;
    ASSERT_EQ(texture->GetDevice(&owner), D3D_OK);
    EXPECT_EQ(owner, d.device());
    owner->Release();

    // Released by the host while bound, the texture lives until it is unbound
    // and no longer holds the device.
    EXPECT_EQ(texture->Release(), 0u);
    EXPECT_EQ(refCount(d.device()), deviceRefs);
    ASSERT_EQ(d->SetTexture(0, nullptr), D3D_OK);

    IDirect3DVertexBuffer8* vb = nullptr;
    ASSERT_EQ(d->CreateVertexBuffer(64, 0, 0, D3DPOOL_MANAGED, &vb), D3D_OK);
    ASSERT_EQ(d->SetStreamSource(0, vb, 16), D3D_OK);
    IDirect3DVertexBuffer8* stream = nullptr;
    UINT stride = 0;
    ASSERT_EQ(d->GetStreamSource(0, &stream, &stride), D3D_OK);
    EXPECT_EQ(stream, vb);
    EXPECT_EQ(stride, 16u);
    stream->Release();
    vb->Release();  // still bound: the device lets go when it is destroyed

    IDirect3D8* d3d = nullptr;
    ASSERT_EQ(d->GetDirect3D(&d3d), D3D_OK);
    EXPECT_EQ(d3d, d.d3d());
    d3d->Release();
}

}  // namespace

namespace {

TEST(D3D8Memory, AvailableTextureMemoryFollowsWhatResourcesHold) {
    zep::test::D3DTestDevice d;
    ZEP_REQUIRE_D3D_DEVICE(d);
    const UINT before = d->GetAvailableTextureMem();
    EXPECT_EQ(before % (1u << 20), 0u);  // whole megabytes
    // 1024 x 1024 x 4 bytes: 4 MB (and its chain) that a driver which does not
    // report its own figure shows as taken. A system-memory copy takes none.
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(d->CreateTexture(1024, 1024, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    IDirect3DTexture8* staging = nullptr;
    ASSERT_EQ(d->CreateTexture(1024, 1024, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &staging), D3D_OK);
    const UINT during = d->GetAvailableTextureMem();
    if (!epoxy_has_gl_extension("GL_NVX_gpu_memory_info") && !epoxy_has_gl_extension("GL_ATI_meminfo")) {
        EXPECT_GE(before - during, 4u << 20);
        EXPECT_LE(before - during, 6u << 20);
    }
    staging->Release();
    texture->Release();
    EXPECT_EQ(d->GetAvailableTextureMem(), before);
}

}  // namespace

namespace {

TEST(D3D8PrivateData, BytesAndInterfacesByGuid) {
    zep::test::D3DTestDevice d;
    ZEP_REQUIRE_D3D_DEVICE(d);
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(d->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    const GUID key{0x11223344, 0x5566, 0x7788, {1, 2, 3, 4, 5, 6, 7, 8}};
    const GUID other{0x11223344, 0x5566, 0x7788, {1, 2, 3, 4, 5, 6, 7, 9}};
    const char text[] = "terrain";
    ASSERT_EQ(texture->SetPrivateData(key, text, sizeof text, 0), D3D_OK);
    DWORD size = 0;
    ASSERT_EQ(texture->GetPrivateData(key, nullptr, &size), D3D_OK);
    EXPECT_EQ(size, sizeof text);
    char small[4] = {};
    size = sizeof small;
    EXPECT_EQ(texture->GetPrivateData(key, small, &size), D3DERR_MOREDATA);
    char back[16] = {};
    size = sizeof back;
    ASSERT_EQ(texture->GetPrivateData(key, back, &size), D3D_OK);
    EXPECT_STREQ(back, "terrain");
    EXPECT_EQ(texture->GetPrivateData(other, back, &size), D3DERR_NOTFOUND);

    // An interface is held with a reference until freed.
    IDirect3DSurface8* image = nullptr;
    ASSERT_EQ(d->CreateImageSurface(2, 2, D3DFMT_A8R8G8B8, &image), D3D_OK);
    IUnknown* held = image;
    ASSERT_EQ(texture->SetPrivateData(other, held, sizeof held, D3DSPD_IUNKNOWN), D3D_OK);
    EXPECT_EQ(refCount(image), 2u);
    ASSERT_EQ(texture->FreePrivateData(other), D3D_OK);
    EXPECT_EQ(refCount(image), 1u);
    EXPECT_EQ(texture->FreePrivateData(other), D3DERR_NOTFOUND);
    image->Release();
    texture->Release();
}

}  // namespace
