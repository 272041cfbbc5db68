// Vertex layouts from FVF codes and declarations: element registers, types,
// offsets and strides in Direct3D 8's order.
#include "d3d8/draw_interface.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using zep::d3d::VertexLayout;

// "register:type@offset" for every element, in order: one string compares a
// whole layout and prints readably when it differs.
std::string describe(const VertexLayout& layout) {
    std::string text;
    for (int i = 0; i < layout.elementCount; ++i) {
        const auto& e = layout.elements[i];
        if (!text.empty()) text += ' ';
        if (e.stream != 0) text += 's' + std::to_string(e.stream) + ':';
        text += std::to_string(e.inputRegister) + ':' + std::to_string(e.type) + '@' + std::to_string(e.offset);
    }
    return text;
}

struct FvfCase {
    DWORD fvf;
    UINT stride;
    const char* elements;  // register:type@offset (types: 0..3 FLOAT1..4, 4 D3DCOLOR, 5 UBYTE4)
};

TEST(VertexLayout, FvfCodesGiveElementsInDirect3DOrder) {
    const FvfCase cases[] = {
        {0x252, 44, "0:2@0 3:2@12 5:4@24 7:1@28 8:1@36"},  // XYZ NORMAL DIFFUSE TEX2
        {0x142, 24, "0:2@0 5:4@12 7:1@16"},                // XYZ DIFFUSE TEX1
        {0x144, 28, "0:3@0 5:4@16 7:1@20"},                // XYZRHW DIFFUSE TEX1
        {0x042, 16, "0:2@0 5:4@12"},
        {0x044, 20, "0:3@0 5:4@16"},
        {0x202, 28, "0:2@0 7:1@12 8:1@20"},
        {0x112, 32, "0:2@0 3:2@12 7:1@24"},
        {0x002, 12, "0:2@0"},
        {0x102, 20, "0:2@0 7:1@12"},
        {0x012, 24, "0:2@0 3:2@12"},
        {D3DFVF_XYZRHW | D3DFVF_TEX2 | D3DFVF_TEXCOORDSIZE3(0), 36, "0:3@0 7:2@16 8:1@28"},  // terrain
        {D3DFVF_XYZ | D3DFVF_PSIZE | D3DFVF_SPECULAR, 20, "0:2@0 4:0@12 6:4@16"},
        {D3DFVF_XYZB1, 16, "0:2@0 1:0@12"},
        {D3DFVF_XYZB3 | D3DFVF_NORMAL, 36, "0:2@0 1:2@12 3:2@24"},
        {D3DFVF_XYZB5, 32, "0:2@0 1:3@12"},  // the fifth beta is read by nobody but takes its room
        {D3DFVF_XYZB2 | D3DFVF_LASTBETA_UBYTE4, 20, "0:2@0 1:0@12 2:5@16"},
        {D3DFVF_XYZB1 | D3DFVF_LASTBETA_UBYTE4, 16, "0:2@0 2:5@12"},
        {D3DFVF_XYZ | D3DFVF_TEX3 | D3DFVF_TEXCOORDSIZE1(0) | D3DFVF_TEXCOORDSIZE3(1) | D3DFVF_TEXCOORDSIZE4(2), 44,
         "0:2@0 7:0@12 8:2@16 9:3@28"},
        {D3DFVF_XYZ | D3DFVF_TEX8, 76,
         "0:2@0 7:1@12 8:1@20 9:1@28 10:1@36 11:1@44 12:1@52 13:1@60 14:1@68"},
    };
    for (const FvfCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "fvf 0x" << std::hex << c.fvf);
        VertexLayout layout;
        ASSERT_TRUE(zep::d3d::layoutFromFvf(c.fvf, &layout));
        EXPECT_EQ(describe(layout), c.elements);
        EXPECT_EQ(zep::d3d::strideOfFvf(c.fvf), c.stride);
    }
}

TEST(VertexLayout, FvfFlagsFollowTheElements) {
    VertexLayout layout;
    ASSERT_TRUE(zep::d3d::layoutFromFvf(0x144, &layout));
    EXPECT_TRUE(layout.pretransformed);
    EXPECT_TRUE(layout.hasDiffuse);
    EXPECT_FALSE(layout.hasNormal);
    EXPECT_FALSE(layout.hasSpecular);
    EXPECT_EQ(layout.texCoordCount, 1);
    EXPECT_EQ(layout.texCoordSize[0], 2);

    ASSERT_TRUE(zep::d3d::layoutFromFvf(
        D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_PSIZE | D3DFVF_SPECULAR | D3DFVF_TEX2 | D3DFVF_TEXCOORDSIZE3(1), &layout));
    EXPECT_FALSE(layout.pretransformed);
    EXPECT_TRUE(layout.hasNormal);
    EXPECT_TRUE(layout.hasPointSize);
    EXPECT_TRUE(layout.hasSpecular);
    EXPECT_FALSE(layout.hasDiffuse);
    EXPECT_FALSE(layout.hasTween);
    EXPECT_EQ(layout.texCoordCount, 2);
    EXPECT_EQ(layout.texCoordSize[1], 3);
}

TEST(VertexLayout, FvfCodesWithoutPositionOrWithReservedBitsAreRefused) {
    VertexLayout layout;
    for (DWORD fvf : {DWORD(0), DWORD(D3DFVF_DIFFUSE), DWORD(D3DFVF_XYZ | D3DFVF_RESERVED0), DWORD(D3DFVF_XYZ | 0x900),
                      DWORD(D3DFVF_XYZ | D3DFVF_LASTBETA_UBYTE4), DWORD(D3DFVF_XYZ | 0x4000)}) {
        EXPECT_FALSE(zep::d3d::layoutFromFvf(fvf, &layout)) << std::hex << fvf;
        EXPECT_EQ(zep::d3d::strideOfFvf(fvf), 0u) << std::hex << fvf;
    }
}

TEST(VertexLayout, TweenDeclarationFeedsPositionAndNormalTwice) {
    const DWORD tween[] = {0x20000000, 0x40020000, 0x40020003, 0x40040005, 0x40010007,
                           0x40010008, 0x4002000F, 0x40020010, 0xFFFFFFFF};
    VertexLayout layout;
    ASSERT_TRUE(zep::d3d::layoutFromDeclaration(tween, &layout));
    EXPECT_EQ(describe(layout), "0:2@0 3:2@12 5:4@24 7:1@28 8:1@36 15:2@44 16:2@56");
    EXPECT_TRUE(layout.hasTween);
    EXPECT_TRUE(layout.hasNormal);
    EXPECT_TRUE(layout.hasDiffuse);
    EXPECT_FALSE(layout.pretransformed);
    EXPECT_EQ(layout.texCoordCount, 2);
}

TEST(VertexLayout, DeclarationStreamsSkipsAndConstants) {
    const DWORD declaration[] = {
        D3DVSD_STREAM(0),
        D3DVSD_REG(0, D3DVSDT_FLOAT3),
        D3DVSD_SKIP(2),
        D3DVSD_REG(5, D3DVSDT_D3DCOLOR),
        D3DVSD_CONST(4, 1), 0x3F800000, 0, 0, 0,  // one constant: its four data tokens are not elements
        D3DVSD_STREAM(1),
        D3DVSD_REG(7, D3DVSDT_SHORT2),
        D3DVSD_REG(8, D3DVSDT_UBYTE4),
        D3DVSD_END(),
    };
    VertexLayout layout;
    ASSERT_TRUE(zep::d3d::layoutFromDeclaration(declaration, &layout));
    EXPECT_EQ(describe(layout), "0:2@0 5:4@20 s1:7:6@0 s1:8:5@4");
    EXPECT_EQ(layout.texCoordSize[0], 2);
    EXPECT_EQ(layout.texCoordSize[1], 4);
}

TEST(VertexLayout, MalformedDeclarationsAreRefused) {
    const DWORD noStream[] = {D3DVSD_REG(0, D3DVSDT_FLOAT3), D3DVSD_END()};
    const DWORD badType[] = {D3DVSD_STREAM(0), D3DVSD_REG(0, 9), D3DVSD_END()};
    const DWORD badRegister[] = {D3DVSD_STREAM(0), D3DVSD_REG(17, D3DVSDT_FLOAT3), D3DVSD_END()};
    const DWORD twice[] = {D3DVSD_STREAM(0), D3DVSD_REG(0, D3DVSDT_FLOAT3), D3DVSD_REG(0, D3DVSDT_FLOAT3),
                           D3DVSD_END()};
    VertexLayout layout;
    for (const DWORD* tokens : {noStream, badType, badRegister, twice})
        EXPECT_FALSE(zep::d3d::layoutFromDeclaration(tokens, &layout));
    EXPECT_FALSE(zep::d3d::layoutFromDeclaration(nullptr, &layout));
}

}  // namespace
