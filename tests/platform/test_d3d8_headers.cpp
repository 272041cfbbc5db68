// Spot checks of our Direct3D 8 headers: the values the engine's behaviour
// hangs on and that are easy to get wrong, the shader and declaration token
// encodings, the interfaces' method slots, and living together with the
// engine's public header (this file includes <d3d8.h> first; the companion
// test_d3d8_headers_order.cpp includes it second).

#include <d3d8.h>
#include <ZEPenginedll.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>

namespace {

// ---- Values written into the device or into the engine record -------------

struct NamedValue {
    const char* name;
    uint32_t actual;
    uint32_t expected;
};

TEST(D3D8Headers, RenderAndStageStateNumbers) {
    const NamedValue cases[] = {
        {"D3DRS_ZENABLE", D3DRS_ZENABLE, 7},
        {"D3DRS_ZBIAS", D3DRS_ZBIAS, 47},
        {"D3DRS_STENCILENABLE", D3DRS_STENCILENABLE, 52},
        {"D3DRS_TEXTUREFACTOR", D3DRS_TEXTUREFACTOR, 60},
        {"D3DRS_CLIPPING", D3DRS_CLIPPING, 136},
        {"D3DRS_AMBIENT", D3DRS_AMBIENT, 139},
        {"D3DRS_EMISSIVEMATERIALSOURCE", D3DRS_EMISSIVEMATERIALSOURCE, 148},
        {"D3DRS_SOFTWAREVERTEXPROCESSING", D3DRS_SOFTWAREVERTEXPROCESSING, 153},
        {"D3DRS_POINTSCALE_A", D3DRS_POINTSCALE_A, 158},
        {"D3DRS_POINTSCALE_C", D3DRS_POINTSCALE_C, 160},
        {"D3DRS_MULTISAMPLEANTIALIAS", D3DRS_MULTISAMPLEANTIALIAS, 161},
        {"D3DRS_TWEENFACTOR", D3DRS_TWEENFACTOR, 170},
        {"D3DRS_NORMALORDER", D3DRS_NORMALORDER, 173},
        {"D3DTSS_BUMPENVMAT00", D3DTSS_BUMPENVMAT00, 7},
        {"D3DTSS_TEXCOORDINDEX", D3DTSS_TEXCOORDINDEX, 11},
        {"D3DTSS_ADDRESSU", D3DTSS_ADDRESSU, 13},
        {"D3DTSS_MAXMIPLEVEL", D3DTSS_MAXMIPLEVEL, 20},
        {"D3DTSS_BUMPENVLSCALE", D3DTSS_BUMPENVLSCALE, 22},
        {"D3DTSS_TEXTURETRANSFORMFLAGS", D3DTSS_TEXTURETRANSFORMFLAGS, 24},
        {"D3DTSS_RESULTARG", D3DTSS_RESULTARG, 28},
        {"D3DTSS_TCI_CAMERASPACENORMAL", D3DTSS_TCI_CAMERASPACENORMAL, 0x10000},
        {"D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR", D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR, 0x30000},
        {"D3DTS_VIEW", D3DTS_VIEW, 2},
        {"D3DTS_PROJECTION", D3DTS_PROJECTION, 3},
        {"D3DTS_TEXTURE2", D3DTS_TEXTURE2, 18},
        {"D3DTS_WORLD", D3DTS_WORLD, 256},
        {"D3DTS_WORLDMATRIX(3)", D3DTS_WORLDMATRIX(3), 259},
    };
    for (const NamedValue& c : cases)
        EXPECT_EQ(c.actual, c.expected) << c.name;
}

TEST(D3D8Headers, StateValueEnumerants) {
    // The engine keeps some of these as raw numbers (cull mode 2 and 3,
    // stage operation 4, texture modes that pick formats 23, 26 and 63) and
    // maps others arithmetically (depth function f selects D3DCMP f + 1).
    const NamedValue cases[] = {
        {"D3DCULL_NONE", D3DCULL_NONE, 1},
        {"D3DCULL_CW", D3DCULL_CW, 2},
        {"D3DCULL_CCW", D3DCULL_CCW, 3},
        {"D3DCMP_NEVER", D3DCMP_NEVER, 1},
        {"D3DCMP_GREATEREQUAL", D3DCMP_GREATEREQUAL, 7},
        {"D3DCMP_ALWAYS", D3DCMP_ALWAYS, 8},
        {"D3DTOP_MODULATE", D3DTOP_MODULATE, 4},
        {"D3DTOP_ADD", D3DTOP_ADD, 7},
        {"D3DTOP_ADDSIGNED", D3DTOP_ADDSIGNED, 8},
        {"D3DTOP_BUMPENVMAP", D3DTOP_BUMPENVMAP, 22},
        {"D3DTOP_LERP", D3DTOP_LERP, 26},
        {"D3DTA_TFACTOR", D3DTA_TFACTOR, 3},
        {"D3DTA_ALPHAREPLICATE", D3DTA_ALPHAREPLICATE, 0x20},
        {"D3DBLEND_INVSRCALPHA", D3DBLEND_INVSRCALPHA, 6},
        {"D3DBLEND_INVDESTCOLOR", D3DBLEND_INVDESTCOLOR, 10},
        {"D3DSTENCILOP_INCR", D3DSTENCILOP_INCR, 7},
        {"D3DSTENCILOP_DECR", D3DSTENCILOP_DECR, 8},
        {"D3DFILL_SOLID", D3DFILL_SOLID, 3},
        {"D3DFOG_LINEAR", D3DFOG_LINEAR, 3},
        {"D3DMCS_COLOR1", D3DMCS_COLOR1, 1},
        {"D3DTEXF_ANISOTROPIC", D3DTEXF_ANISOTROPIC, 3},
        {"D3DTADDRESS_CLAMP", D3DTADDRESS_CLAMP, 3},
        {"D3DTTFF_COUNT3", D3DTTFF_COUNT3, 3},
        {"D3DVBF_TWEENING", D3DVBF_TWEENING, 255},
        {"D3DLIGHT_DIRECTIONAL", D3DLIGHT_DIRECTIONAL, 3},
        {"D3DPT_LINESTRIP", D3DPT_LINESTRIP, 3},
        {"D3DPT_TRIANGLESTRIP", D3DPT_TRIANGLESTRIP, 5},
        {"D3DMULTISAMPLE_2_SAMPLES", D3DMULTISAMPLE_2_SAMPLES, 2},
    };
    for (const NamedValue& c : cases)
        EXPECT_EQ(c.actual, c.expected) << c.name;
}

TEST(D3D8Headers, FormatsAndPools) {
    const NamedValue cases[] = {
        {"D3DFMT_R8G8B8", D3DFMT_R8G8B8, 20},
        {"D3DFMT_X8R8G8B8", D3DFMT_X8R8G8B8, 22},
        {"D3DFMT_R5G6B5", D3DFMT_R5G6B5, 23},
        {"D3DFMT_A1R5G5B5", D3DFMT_A1R5G5B5, 25},
        {"D3DFMT_A4R4G4B4", D3DFMT_A4R4G4B4, 26},
        {"D3DFMT_Q8W8V8U8", D3DFMT_Q8W8V8U8, 63},
        {"D3DFMT_A2W10V10U10", D3DFMT_A2W10V10U10, 67},
        {"D3DFMT_D32", D3DFMT_D32, 71},
        {"D3DFMT_D15S1", D3DFMT_D15S1, 73},
        {"D3DFMT_D24S8", D3DFMT_D24S8, 75},
        {"D3DFMT_D24X8", D3DFMT_D24X8, 77},
        {"D3DFMT_D24X4S4", D3DFMT_D24X4S4, 79},
        {"D3DFMT_D16", D3DFMT_D16, 80},
        {"D3DFMT_INDEX16", D3DFMT_INDEX16, 101},
        // FOURCC formats read as their four characters in memory order.
        {"D3DFMT_DXT1", D3DFMT_DXT1, 0x31545844},
        {"D3DFMT_YUY2", D3DFMT_YUY2, 0x32595559},
        {"D3DPOOL_MANAGED", D3DPOOL_MANAGED, 1},
        {"D3DPOOL_SYSTEMMEM", D3DPOOL_SYSTEMMEM, 2},
        {"D3DUSAGE_RENDERTARGET", D3DUSAGE_RENDERTARGET, 1},
        {"D3DUSAGE_DEPTHSTENCIL", D3DUSAGE_DEPTHSTENCIL, 2},
        {"D3DUSAGE_DYNAMIC", D3DUSAGE_DYNAMIC, 0x200},
        {"D3DLOCK_READONLY", D3DLOCK_READONLY, 0x10},
        {"D3DLOCK_DISCARD", D3DLOCK_DISCARD, 0x2000},
        {"D3DRTYPE_SURFACE", D3DRTYPE_SURFACE, 1},
        {"D3DRTYPE_TEXTURE", D3DRTYPE_TEXTURE, 3},
        {"D3DCLEAR_STENCIL", D3DCLEAR_STENCIL, 4},
        {"D3DSWAPEFFECT_DISCARD", D3DSWAPEFFECT_DISCARD, 1},
    };
    for (const NamedValue& c : cases)
        EXPECT_EQ(c.actual, c.expected) << c.name;

    char fourcc[4];
    const DWORD dxt5 = D3DFMT_DXT5;
    std::memcpy(fourcc, &dxt5, 4);  // little-endian targets only, like Direct3D
    EXPECT_EQ(std::string(fourcc, 4), "DXT5");
}

TEST(D3D8Headers, VertexFormatsOfTheEnginePools) {
    // Static, dynamic, layer, thin-line, screen-line, wide-line, text-mesh
    // and 3D-text vertex formats as the engine spells them.
    EXPECT_EQ(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX2, 0x252);
    EXPECT_EQ(D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1, 0x142);
    EXPECT_EQ(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1, 0x144);
    EXPECT_EQ(D3DFVF_XYZ | D3DFVF_DIFFUSE, 0x42);
    EXPECT_EQ(D3DFVF_XYZRHW | D3DFVF_DIFFUSE, 0x44);
    EXPECT_EQ(D3DFVF_XYZ | D3DFVF_TEX2, 0x202);
    EXPECT_EQ(D3DFVF_XYZ | D3DFVF_NORMAL, 18);
    EXPECT_EQ(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1, 0x112);

    EXPECT_EQ((D3DFVF_TEX2 & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT, 2);
    EXPECT_EQ(D3DFVF_XYZRHW & D3DFVF_POSITION_MASK, D3DFVF_XYZRHW);

    // Two floats is the default dimension, so it has no bits of its own.
    EXPECT_EQ(D3DFVF_TEXCOORDSIZE2(5), 0);
    EXPECT_EQ(D3DFVF_TEXCOORDSIZE1(0), 0x00030000);
    EXPECT_EQ(D3DFVF_TEXCOORDSIZE3(2), 0x00100000);
    EXPECT_EQ(D3DFVF_TEXCOORDSIZE4(1), 0x00080000);
    EXPECT_EQ(D3DFVF_TEXCOORDSIZE3(1 + 1), D3DFVF_TEXCOORDSIZE3(2));  // argument parenthesised
}

TEST(D3D8Headers, CapabilityBitsTheDeviceHostTests) {
    EXPECT_EQ(D3DDEVCAPS_HWTRANSFORMANDLIGHT, 0x00010000u);
    EXPECT_EQ(D3DDEVCAPS_PUREDEVICE, 0x00100000u);
    EXPECT_EQ(D3DPMISCCAPS_CLIPTLVERTS, 0x00000200u);
    EXPECT_EQ(D3DCREATE_PUREDEVICE, 0x10u);
    EXPECT_EQ(D3DCREATE_SOFTWARE_VERTEXPROCESSING, 0x20u);
    EXPECT_EQ(D3DCREATE_HARDWARE_VERTEXPROCESSING, 0x40u);
    EXPECT_EQ(D3DCREATE_MIXED_VERTEXPROCESSING, 0x80u);
    EXPECT_EQ(D3DPRESENT_INTERVAL_IMMEDIATE, 0x80000000u);
    EXPECT_EQ(D3D_SDK_VERSION, 220);
}

TEST(D3D8Headers, ErrorCodesAreFailuresWithDirect3DFacility) {
    const struct {
        const char* name;
        HRESULT actual;
        uint32_t expected;
    } cases[] = {
        {"D3DERR_DEVICELOST", D3DERR_DEVICELOST, 0x88760868},
        {"D3DERR_DEVICENOTRESET", D3DERR_DEVICENOTRESET, 0x88760869},
        {"D3DERR_NOTAVAILABLE", D3DERR_NOTAVAILABLE, 0x8876086A},
        {"D3DERR_INVALIDCALL", D3DERR_INVALIDCALL, 0x8876086C},
        {"D3DERR_OUTOFVIDEOMEMORY", D3DERR_OUTOFVIDEOMEMORY, 0x8876017C},
        {"D3DERR_WRONGTEXTUREFORMAT", D3DERR_WRONGTEXTUREFORMAT, 0x88760818},
        {"D3DERR_CONFLICTINGRENDERSTATE", D3DERR_CONFLICTINGRENDERSTATE, 0x88760821},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(static_cast<uint32_t>(c.actual), c.expected) << c.name;
        EXPECT_TRUE(FAILED(c.actual)) << c.name;
    }
    EXPECT_TRUE(SUCCEEDED(D3D_OK));
}

TEST(D3D8Headers, ColourMacrosPackArgb) {
    EXPECT_EQ(D3DCOLOR_ARGB(0x80, 0xff, 0x40, 0x20), 0x80ff4020u);
    EXPECT_EQ(D3DCOLOR_RGBA(0xff, 0x40, 0x20, 0x80), 0x80ff4020u);
    EXPECT_EQ(D3DCOLOR_XRGB(1, 2, 3), 0xff010203u);
    EXPECT_EQ(D3DCOLOR_ARGB(0x1ff, 0, 0, 0x100), 0xff000000u);  // channels masked
    EXPECT_EQ(D3DCOLORWRITEENABLE_RED | D3DCOLORWRITEENABLE_GREEN |
                  D3DCOLORWRITEENABLE_BLUE | D3DCOLORWRITEENABLE_ALPHA,
              0xF);
}

// ---- Declaration and shader tokens ------------------------------------------

TEST(D3D8Headers, TweenDeclarationTokens) {
    // The morphing declaration: two vertices of a pair in one stream.
    const DWORD declaration[] = {
        D3DVSD_STREAM(0),
        D3DVSD_REG(D3DVSDE_POSITION, D3DVSDT_FLOAT3),
        D3DVSD_REG(D3DVSDE_NORMAL, D3DVSDT_FLOAT3),
        D3DVSD_REG(D3DVSDE_DIFFUSE, D3DVSDT_D3DCOLOR),
        D3DVSD_REG(D3DVSDE_TEXCOORD0, D3DVSDT_FLOAT2),
        D3DVSD_REG(D3DVSDE_TEXCOORD1, D3DVSDT_FLOAT2),
        D3DVSD_REG(D3DVSDE_POSITION2, D3DVSDT_FLOAT3),
        D3DVSD_REG(D3DVSDE_NORMAL2, D3DVSDT_FLOAT3),
        D3DVSD_END(),
    };
    const DWORD expected[] = {
        0x20000000, 0x40020000, 0x40020003, 0x40040005, 0x40010007,
        0x40010008, 0x4002000F, 0x40020010, 0xFFFFFFFF,
    };
    static_assert(sizeof(declaration) == sizeof(expected));
    for (size_t i = 0; i < sizeof(expected) / sizeof(expected[0]); ++i)
        EXPECT_EQ(declaration[i], expected[i]) << "token " << i;
}

TEST(D3D8Headers, DeclarationTokensDecodeWithMasks) {
    const DWORD reg = D3DVSD_REG(D3DVSDE_TEXCOORD1, D3DVSDT_FLOAT2);
    EXPECT_EQ((reg & D3DVSD_TOKENTYPEMASK) >> D3DVSD_TOKENTYPESHIFT, DWORD(D3DVSD_TOKEN_STREAMDATA));
    EXPECT_EQ(reg & D3DVSD_DATALOADTYPEMASK, 0u);
    EXPECT_EQ((reg & D3DVSD_DATATYPEMASK) >> D3DVSD_DATATYPESHIFT, DWORD(D3DVSDT_FLOAT2));
    EXPECT_EQ((reg & D3DVSD_VERTEXREGMASK) >> D3DVSD_VERTEXREGSHIFT, DWORD(D3DVSDE_TEXCOORD1));

    const DWORD skip = D3DVSD_SKIP(3);
    EXPECT_EQ((skip & D3DVSD_TOKENTYPEMASK) >> D3DVSD_TOKENTYPESHIFT, DWORD(D3DVSD_TOKEN_STREAMDATA));
    EXPECT_NE(skip & D3DVSD_DATALOADTYPEMASK, 0u);
    EXPECT_EQ((skip & D3DVSD_SKIPCOUNTMASK) >> D3DVSD_SKIPCOUNTSHIFT, 3u);

    const DWORD constant = D3DVSD_CONST(64, 2);  // the top token type needs all 32 bits
    EXPECT_EQ((constant & D3DVSD_TOKENTYPEMASK) >> D3DVSD_TOKENTYPESHIFT, DWORD(D3DVSD_TOKEN_CONSTMEM));
    EXPECT_EQ((constant & D3DVSD_CONSTCOUNTMASK) >> D3DVSD_CONSTCOUNTSHIFT, 2u);
    EXPECT_EQ((constant & D3DVSD_CONSTADDRESSMASK) >> D3DVSD_CONSTADDRESSSHIFT, 64u);

    EXPECT_EQ((D3DVSD_STREAM(3) & D3DVSD_STREAMNUMBERMASK) >> D3DVSD_STREAMNUMBERSHIFT, 3u);
    EXPECT_EQ((D3DVSD_END() & D3DVSD_TOKENTYPEMASK) >> D3DVSD_TOKENTYPESHIFT, DWORD(D3DVSD_TOKEN_END));
}

TEST(D3D8Headers, ShaderVersionTokens) {
    EXPECT_EQ(D3DVS_VERSION(1, 1), 0xFFFE0101u);
    EXPECT_EQ(D3DPS_VERSION(1, 4), 0xFFFF0104u);
    // The engine records shader versions as major + minor / 10.
    const DWORD ps = D3DPS_VERSION(1, 1);
    EXPECT_EQ(D3DSHADER_VERSION_MAJOR(ps), 1u);
    EXPECT_EQ(D3DSHADER_VERSION_MINOR(ps), 1u);
    EXPECT_EQ(D3DSHADER_COMMENT(3), 0x0003FFFEu);
    EXPECT_EQ((D3DSHADER_COMMENT(3) & D3DSI_COMMENTSIZE_MASK) >> D3DSI_COMMENTSIZE_SHIFT, 3u);
    EXPECT_EQ(D3DSHADER_COMMENT(3) & D3DSI_OPCODE_MASK, DWORD(D3DSIO_COMMENT));
}

TEST(D3D8Headers, ParameterTokenFieldsAreDisjoint) {
    // A translator splits every parameter token with these masks; an
    // overlap would make two fields read each other's bits.
    const DWORD source_fields[] = {
        D3DSP_REGNUM_MASK, D3DVS_ADDRESSMODE_MASK, D3DSP_SWIZZLE_MASK,
        D3DSP_SRCMOD_MASK, D3DSP_REGTYPE_MASK, 0x80000000u,
    };
    const DWORD dest_fields[] = {
        D3DSP_REGNUM_MASK, D3DSP_WRITEMASK_ALL, D3DSP_DSTMOD_MASK,
        D3DSP_DSTSHIFT_MASK, D3DSP_REGTYPE_MASK, 0x80000000u,
    };
    for (const auto* fields : {source_fields, dest_fields}) {
        DWORD seen = 0;
        for (int i = 0; i < 6; ++i) {
            EXPECT_EQ(seen & fields[i], 0u) << "field " << i;
            seen |= fields[i];
        }
    }
    EXPECT_EQ(D3DSP_SWIZZLE_MASK, D3DVS_SWIZZLE_MASK);
    EXPECT_EQ(D3DSP_NOSWIZZLE, DWORD(D3DVS_NOSWIZZLE));
    EXPECT_EQ(D3DSP_REPLICATEALPHA, DWORD(D3DVS_X_W | D3DVS_Y_W | D3DVS_Z_W | D3DVS_W_W));
}

TEST(D3D8Headers, BumpShaderInstructionEncodes) {
    // "dp3_sat r0, t1_bx2, -t2" of the engine's bump program.
    const DWORD tokens[] = {
        D3DSIO_DP3,
        0x80000000u | D3DSPR_TEMP | D3DSP_WRITEMASK_ALL | D3DSPDM_SATURATE | 0,
        0x80000000u | D3DSPR_TEXTURE | D3DSP_NOSWIZZLE | D3DSPSM_SIGN | 1,
        0x80000000u | D3DSPR_TEXTURE | D3DSP_NOSWIZZLE | D3DSPSM_NEG | 2,
    };
    EXPECT_EQ(tokens[0], 8u);
    EXPECT_EQ(tokens[1], 0x801F0000u);
    EXPECT_EQ(tokens[2], 0xB4E40001u);
    EXPECT_EQ(tokens[3], 0xB1E40002u);
    EXPECT_EQ((tokens[2] & D3DSP_REGTYPE_MASK), DWORD(D3DSPR_TEXTURE));
    EXPECT_EQ((tokens[2] & D3DSP_SRCMOD_MASK), DWORD(D3DSPSM_SIGN));
    EXPECT_EQ(D3DSPR_RASTOUT >> D3DSP_REGTYPE_SHIFT, 4);
    EXPECT_EQ(D3DSPR_TEXCRDOUT >> D3DSP_REGTYPE_SHIFT, 6);
}

// ---- Structures shared with the engine's public header ----------------------

TEST(D3D8Headers, MatrixNamesAliasTheArray) {
    D3DMATRIX m{};
    m.m[3][0] = 5.0f;  // translation x: row 4, column 1
    m.m[0][3] = 7.0f;
    EXPECT_EQ(m._41, 5.0f);
    EXPECT_EQ(m._14, 7.0f);
}

TEST(D3D8Headers, EngineRecordsHoldDirect3DInterfaces) {
    // The public header only forward-declares the interfaces; with <d3d8.h>
    // in view its pointers must be the full interfaces.
    static_assert(std::is_same_v<decltype(LineArray::buffer), IDirect3DVertexBuffer8*>);
    static_assert(std::is_base_of_v<IDirect3DResource8, IDirect3DVertexBuffer8>);
    static_assert(std::is_base_of_v<IDirect3DBaseTexture8, IDirect3DTexture8>);
    static_assert(std::is_base_of_v<IDirect3DBaseTexture8, IDirect3DVolumeTexture8>);
    static_assert(!std::is_base_of_v<IDirect3DResource8, IDirect3DSurface8>);
    static_assert(std::is_abstract_v<IDirect3DDevice8>);
    LineArray lines{};
    IDirect3DResource8* resource = lines.buffer;
    EXPECT_EQ(resource, nullptr);
}

// ---- Method slots ----------------------------------------------------------
//
// Direct3D 8 is a binary interface: callers reach methods by vtable slot, so
// the declaration order is the interface. On the Itanium C++ ABI (x86 and
// x86-64) a pointer to a virtual member function stores 1 + the slot's byte
// offset in the vtable, which lets the test read the slot back.

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__)) && !defined(_WIN32)
template <typename Method>
size_t slot(Method method) {
    static_assert(sizeof(Method) == 2 * sizeof(uintptr_t));
    uintptr_t words[2];
    std::memcpy(words, &method, sizeof(words));
    return (words[0] - 1) / sizeof(void*);
}
#define ZEP_CAN_READ_SLOTS 1
#endif

TEST(D3D8Headers, MethodSlotsFollowDirect3D8) {
#ifdef ZEP_CAN_READ_SLOTS
    EXPECT_EQ(slot(&IDirect3D8::QueryInterface), 0u);
    EXPECT_EQ(slot(&IDirect3D8::Release), 2u);
    EXPECT_EQ(slot(&IDirect3D8::GetDeviceCaps), 13u);
    EXPECT_EQ(slot(&IDirect3D8::CreateDevice), 15u);

    EXPECT_EQ(slot(&IDirect3DDevice8::TestCooperativeLevel), 3u);
    EXPECT_EQ(slot(&IDirect3DDevice8::Reset), 14u);
    EXPECT_EQ(slot(&IDirect3DDevice8::Present), 15u);
    EXPECT_EQ(slot(&IDirect3DDevice8::CreateTexture), 20u);
    EXPECT_EQ(slot(&IDirect3DDevice8::CopyRects), 28u);
    EXPECT_EQ(slot(&IDirect3DDevice8::BeginScene), 34u);
    EXPECT_EQ(slot(&IDirect3DDevice8::EndScene), 35u);
    EXPECT_EQ(slot(&IDirect3DDevice8::Clear), 36u);
    EXPECT_EQ(slot(&IDirect3DDevice8::SetTransform), 37u);
    EXPECT_EQ(slot(&IDirect3DDevice8::SetRenderState), 50u);
    EXPECT_EQ(slot(&IDirect3DDevice8::SetTexture), 61u);
    EXPECT_EQ(slot(&IDirect3DDevice8::SetTextureStageState), 63u);
    EXPECT_EQ(slot(&IDirect3DDevice8::DrawIndexedPrimitive), 71u);
    EXPECT_EQ(slot(&IDirect3DDevice8::CreateVertexShader), 75u);
    EXPECT_EQ(slot(&IDirect3DDevice8::SetStreamSource), 83u);
    EXPECT_EQ(slot(&IDirect3DDevice8::DeletePatch), 96u);  // the last of 97

    EXPECT_EQ(slot(&IDirect3DTexture8::GetType), 10u);
    EXPECT_EQ(slot(&IDirect3DTexture8::GetLevelCount), 13u);
    EXPECT_EQ(slot(&IDirect3DTexture8::LockRect), 16u);
    EXPECT_EQ(slot(&IDirect3DTexture8::AddDirtyRect), 18u);
    EXPECT_EQ(slot(&IDirect3DVolumeTexture8::LockBox), 16u);
    EXPECT_EQ(slot(&IDirect3DVertexBuffer8::Lock), 11u);
    EXPECT_EQ(slot(&IDirect3DIndexBuffer8::GetDesc), 13u);
    EXPECT_EQ(slot(&IDirect3DSurface8::GetDesc), 8u);
    EXPECT_EQ(slot(&IDirect3DSurface8::UnlockRect), 10u);
    EXPECT_EQ(slot(&IDirect3DVolume8::LockBox), 9u);
    EXPECT_EQ(slot(&IDirect3DSwapChain8::GetBackBuffer), 4u);
#else
    GTEST_SKIP() << "vtable slots are read through the Itanium x86 ABI only";
#endif
}

}  // namespace
