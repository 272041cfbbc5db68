// D3DX effects: what an effect text describes, the errors it can hold, the
// states and shaders a pass puts on the device (and Begin/End's saving of
// them), and a quad drawn through a pass's own shaders.

#include "d3d8/test_draw_support.h"

#include <d3dx8.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using zep::test::DrawTest;

// Compiles `text` on `device`; null (and a test failure) on error.
ID3DXEffect* compile(IDirect3DDevice8* device, const std::string& text) {
    ID3DXEffect* effect = nullptr;
    ID3DXBuffer* errors = nullptr;
    const HRESULT hr = D3DXCreateEffect(device, text.data(), UINT(text.size()), &effect, &errors);
    EXPECT_EQ(hr, D3D_OK) << (errors ? static_cast<const char*>(errors->GetBufferPointer()) : "");
    if (errors) errors->Release();
    return effect;
}

class Effect : public DrawTest {
protected:
    void TearDown() override {
        if (effect) effect->Release();
        DrawTest::TearDown();
    }
    ID3DXEffect* effect = nullptr;
};

TEST_F(Effect, DescribesItsParametersTechniquesAndPasses) {
    effect = compile(d3d,
                     "DWORD count = 7;\nfloat scale = 0.5f;\nvector tint = {1, 2, 3, 4};\nmatrix world;\n"
                     "texture tex;\nstring label = \"sky\";\n"
                     "technique First\n{\n  pass A { AlphaRef = <count>; }\n  pass B { ZEnable = False; }\n}\n"
                     "technique Second\n{\n  pass Only { Texture[0] = <tex>; }\n};\n");
    ASSERT_NE(effect, nullptr);
    D3DXEFFECT_DESC desc{};
    ASSERT_EQ(effect->GetDesc(&desc), D3D_OK);
    EXPECT_EQ(desc.Parameters, 6u);
    EXPECT_EQ(desc.Techniques, 2u);

    const struct {
        const char* name;
        D3DXPARAMETERTYPE type;
    } parameters[] = {{"count", D3DXPT_DWORD}, {"scale", D3DXPT_FLOAT},   {"tint", D3DXPT_VECTOR},
                      {"world", D3DXPT_MATRIX}, {"tex", D3DXPT_TEXTURE}, {"label", D3DXPT_STRING}};
    for (const auto& p : parameters) {
        D3DXPARAMETER_DESC pd{};
        ASSERT_EQ(effect->GetParameterDesc(p.name, &pd), D3D_OK) << p.name;
        EXPECT_STREQ(pd.Name, p.name);
        EXPECT_EQ(pd.Type, p.type) << p.name;
    }
    D3DXPARAMETER_DESC pd{};
    EXPECT_EQ(effect->GetParameterDesc("Count", &pd), D3DERR_INVALIDCALL);  // names keep their case

    // Initial values, and setters that refuse a parameter of another type.
    DWORD count = 0;
    float scale = 0.0f;
    D3DXVECTOR4 tint;
    LPCSTR label = nullptr;
    EXPECT_EQ(effect->GetDword("count", &count), D3D_OK);
    EXPECT_EQ(count, 7u);
    EXPECT_EQ(effect->GetFloat("scale", &scale), D3D_OK);
    EXPECT_EQ(scale, 0.5f);
    EXPECT_EQ(effect->GetVector("tint", &tint), D3D_OK);
    EXPECT_EQ(tint.w, 4.0f);
    EXPECT_EQ(effect->GetString("label", &label), D3D_OK);
    EXPECT_STREQ(label, "sky");
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    EXPECT_EQ(effect->SetMatrix("scale", &m), D3DERR_INVALIDCALL);
    EXPECT_EQ(effect->SetFloat("world", 1.0f), D3DERR_INVALIDCALL);
    EXPECT_EQ(effect->SetFloat("nothing", 1.0f), D3DERR_INVALIDCALL);

    // The first technique is current until another is chosen.
    D3DXTECHNIQUE_DESC td{};
    ASSERT_EQ(effect->GetTechniqueDesc(nullptr, &td), D3D_OK);
    EXPECT_STREQ(td.Name, "First");
    EXPECT_EQ(td.Passes, 2u);
    D3DXPASS_DESC passDesc{};
    EXPECT_EQ(effect->GetPassDesc("First", "B", &passDesc), D3D_OK);
    EXPECT_STREQ(passDesc.Name, "B");
    EXPECT_EQ(effect->GetPassDesc("First", "Only", &passDesc), D3DERR_INVALIDCALL);
    EXPECT_TRUE(effect->IsParameterUsed("count"));
    EXPECT_FALSE(effect->IsParameterUsed("tex"));
    ASSERT_EQ(effect->SetTechnique("Second"), D3D_OK);
    LPCSTR current = nullptr;
    ASSERT_EQ(effect->GetTechnique(&current), D3D_OK);
    EXPECT_STREQ(current, "Second");
    EXPECT_TRUE(effect->IsParameterUsed("tex"));
    EXPECT_EQ(effect->SetTechnique("Third"), D3DERR_INVALIDCALL);
    UINT passes = 0;
    ASSERT_EQ(effect->Begin(&passes, 0), D3D_OK);
    EXPECT_EQ(passes, 1u);
    EXPECT_EQ(effect->Pass(1), D3DERR_INVALIDCALL);
    EXPECT_EQ(effect->Begin(&passes, 0), D3DERR_INVALIDCALL);  // not nested
    EXPECT_EQ(effect->End(), D3D_OK);
    EXPECT_EQ(effect->End(), D3DERR_INVALIDCALL);
}

struct CompileErrorCase {
    const char* text;
    int line;
    const char* message;
};

const CompileErrorCase kCompileErrors[] = {
    {"PIXELSHADER p = asm\n{\nps.1.1\nmov r0, q1\n};\n", 4, "bad register 'q1'"},
    {"technique T\n{\npass P\n{\nFooState = 1;\n}\n}\n", 5, "unknown state 'FooState'"},
    {"technique T\n{\npass P\n{\nPixelShader = <nope>;\n}\n}\n", 5, "unknown parameter 'nope'"},
    {"texture t;\ntechnique T { pass P {\nPixelShader = <t>;\n} }\n", 3, "wrong type"},
    {"PIXELSHADER p = asm\n{\nps.1.1\nmov r0, v0\n", 1, "closed"},
    {"technique T { pass P {\nVertexShader = asm { vs.1.1\nmov oPos, v0 };\n} }\n", 2, "needs a 'decl"},
    {"technique T { pass P {\nVertexShader = decl { float v0[3]; }\nasm { ps.1.1\nmov r0, v0 };\n} }\n", 3,
     "expected a vertex shader"},
    {"technique T { pass P {\nVertexShader = decl { float v0[5]; };\n} }\n", 2, "no vertex element type"},
    {"technique T { pass P {\nVertexShader = decl { float q0[3]; };\n} }\n", 2, "input register"},
    {"technique T { pass P {\nZEnable = True\n} }\n", 3, "expected ';'"},
    {"technique T\n{\npass P\n{\nZEnable = ", 5, "the end of the text"},
    {"float a;\nfloat a;\n", 2, "declared twice"},
    {"technique T { pass P {\nVertexShaderConstant = {1, 2};\n} }\n", 2, "needs a register index"},
    {"technique T { pass P {\nColorOp[0] = Sideways;\n} }\n", 2, "expected a value"},
    {"technique T { pass P {\nColorOp[8] = Modulate;\n} }\n", 2, "out of range"},
    {"widget w;\n", 1, "expected a parameter or a technique"},
    {"string s = \"open\n", 1, "unclosed string"},
    {"technique T { pass P { @ } }\n", 1, "unexpected character '@'"},
};

TEST_F(Effect, CompileErrorsComeBackWithTheirEffectLines) {
    for (const CompileErrorCase& c : kCompileErrors) {
        SCOPED_TRACE(c.text);
        ID3DXBuffer* errors = nullptr;
        ID3DXEffect* bad = reinterpret_cast<ID3DXEffect*>(1);
        EXPECT_EQ(D3DXCreateEffect(d3d, c.text, UINT(std::strlen(c.text)), &bad, &errors), D3DXERR_INVALIDDATA);
        EXPECT_EQ(bad, nullptr);
        ASSERT_NE(errors, nullptr);
        const std::string text = static_cast<const char*>(errors->GetBufferPointer());
        errors->Release();
        EXPECT_EQ(text.rfind("(" + std::to_string(c.line) + "): error: ", 0), 0u) << text;
        EXPECT_NE(text.find(c.message), std::string::npos) << text;
    }
    ID3DXEffect* none = nullptr;
    EXPECT_EQ(D3DXCreateEffect(nullptr, "", 0, &none, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXCreateEffect(d3d, nullptr, 5, &none, nullptr), D3DERR_INVALIDCALL);
}

// An effect cut off anywhere fails or compiles, and never crashes or reads
// past its length.
TEST_F(Effect, SurvivesTextCutAtEveryLength) {
    const std::string text =
        "matrix m;\nfloat w = 2;\ntechnique T\n{\npass P0\n{\nVertexShader =\ndecl\n{\nstream 0;\nfloat v0[3];\n"
        "d3dcolor v1[1];\n}\nasm\n{\nvs.1.1 ; comment with a }\nm4x4 oPos, v0, c0\nmov oD0, v1\n};\n"
        "VertexShaderConstant4[0] = <m>;\nColorArg1[0] = Diffuse | Complement;\n}\n}\n";
    for (size_t length = 0; length <= text.size(); ++length) {
        ID3DXEffect* cut = nullptr;
        ID3DXBuffer* errors = nullptr;
        const HRESULT hr = D3DXCreateEffect(d3d, text.data(), UINT(length), &cut, &errors);
        EXPECT_EQ(SUCCEEDED(hr), cut != nullptr);
        EXPECT_EQ(SUCCEEDED(hr), errors == nullptr);
        if (cut) cut->Release();
        if (errors) errors->Release();
    }
    effect = compile(d3d, text);
    EXPECT_NE(effect, nullptr);
}

TEST_F(Effect, PassSetsItsStatesAndEndPutsBackWhatWasThere) {
    effect = compile(d3d,
                     "texture tex;\nDWORD ref = 77;\nfloat fogStart = 2.5;\n"
                     "technique T\n{\npass P0\n{\n"
                     "AlphaRef = <ref>;\nFogStart = <fogStart>;\nCullMode = CW;\n"
                     "ColorOp[1] = Modulate;\nColorArg1[1] = Texture | AlphaReplicate;\nTexture[1] = <tex>;\n"
                     "PixelShaderConstant[2] = {0.25, 0.5, 0.75, 1.0};\n}\n}\n");
    ASSERT_NE(effect, nullptr);
    IDirect3DTexture8* texture = makeTexture(1, 1, {0xFFFFFFFF});
    ASSERT_EQ(effect->SetTexture("tex", texture), D3D_OK);

    d3d->SetRenderState(D3DRS_ALPHAREF, 5);
    d3d->SetRenderState(D3DRS_FOGSTART, zep::test::floatBits(1.0f));
    d3d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    d3d->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    d3d->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    d3d->SetTexture(1, nullptr);
    const float before[4] = {9, 9, 9, 9};
    d3d->SetPixelShaderConstant(2, before, 1);

    struct Expected {
        DWORD alphaRef, fogStart, cull, colorOp, colorArg;
        IDirect3DBaseTexture8* texture;
        float constant;
    };
    auto check = [&](const Expected& e) {
        DWORD v = 0;
        d3d->GetRenderState(D3DRS_ALPHAREF, &v);
        EXPECT_EQ(v, e.alphaRef);
        d3d->GetRenderState(D3DRS_FOGSTART, &v);
        EXPECT_EQ(v, e.fogStart);
        d3d->GetRenderState(D3DRS_CULLMODE, &v);
        EXPECT_EQ(v, e.cull);
        d3d->GetTextureStageState(1, D3DTSS_COLOROP, &v);
        EXPECT_EQ(v, e.colorOp);
        d3d->GetTextureStageState(1, D3DTSS_COLORARG1, &v);
        EXPECT_EQ(v, e.colorArg);
        IDirect3DBaseTexture8* bound = nullptr;
        d3d->GetTexture(1, &bound);
        EXPECT_EQ(bound, e.texture);
        if (bound) bound->Release();
        float c[4] = {};
        d3d->GetPixelShaderConstant(2, c, 1);
        EXPECT_EQ(c[0], e.constant);
    };
    const Expected old{5, zep::test::floatBits(1.0f), D3DCULL_NONE, D3DTOP_DISABLE, D3DTA_DIFFUSE, nullptr, 9.0f};
    const Expected passed{77,          zep::test::floatBits(2.5f), D3DCULL_CW, D3DTOP_MODULATE,
                          D3DTA_TEXTURE | D3DTA_ALPHAREPLICATE, texture, 0.25f};

    UINT passes = 0;
    ASSERT_EQ(effect->Begin(&passes, 0), D3D_OK);
    ASSERT_EQ(effect->Pass(0), D3D_OK);
    {
        SCOPED_TRACE("in the pass");
        check(passed);
    }
    ASSERT_EQ(effect->End(), D3D_OK);
    {
        SCOPED_TRACE("after End");
        check(old);
    }
    ASSERT_EQ(effect->Begin(&passes, D3DXFX_DONOTSAVESTATE), D3D_OK);
    ASSERT_EQ(effect->Pass(0), D3D_OK);
    ASSERT_EQ(effect->End(), D3D_OK);
    {
        SCOPED_TRACE("after End without saved states");
        check(passed);
    }
    d3d->SetTexture(1, nullptr);
}

// m4x4 takes four dot products, one per register: a matrix parameter goes
// in as its columns so that the shader transforms row vectors as Direct3D
// does. A float fills one register and leaves the rest of the state's
// count alone.
TEST_F(Effect, ConstantsTakeMatrixColumnsAndOnlyTheRegistersTheValueFills) {
    effect = compile(d3d,
                     "matrix m;\nfloat f;\ntechnique T { pass P {\n"
                     "VertexShaderConstant4[0] = <m>;\nVertexShaderConstant4[4] = <f>;\n} }\n");
    ASSERT_NE(effect, nullptr);
    D3DXMATRIX m;
    for (int i = 0; i < 16; ++i) m.m[i / 4][i % 4] = float(i + 1);
    ASSERT_EQ(effect->SetMatrix("m", &m), D3D_OK);
    ASSERT_EQ(effect->SetFloat("f", 0.75f), D3D_OK);
    const float sentinel[4] = {-1, -2, -3, -4};
    d3d->SetVertexShaderConstant(5, sentinel, 1);
    d3d->SetVertexShaderConstant(4, sentinel, 1);

    ASSERT_EQ(effect->Pass(0), D3D_OK);
    float c[24] = {};
    ASSERT_EQ(d3d->GetVertexShaderConstant(0, c, 6), D3D_OK);
    for (int r = 0; r < 4; ++r)
        for (int col = 0; col < 4; ++col) EXPECT_EQ(c[r * 4 + col], m.m[col][r]) << "c" << r << "." << col;
    EXPECT_EQ(c[16], 0.75f);
    EXPECT_EQ(c[17], 0.0f);
    EXPECT_EQ(c[20], -1.0f);  // c5 untouched
}

// A pass's vertex shader (with its declaration and a matrix constant) and
// pixel shader both act on the drawn quad: the vertex colour (red) plus
// the pixel shader's constant (green) lands where the translation puts it.
TEST_F(Effect, QuadDrawnThroughAPassShowsBothShaders) {
    effect = compile(d3d,
                     "matrix matWorld;\n"
                     "technique T\n{\npass P0\n{\n"
                     "VertexShader =\ndecl\n{\nfloat v0[3];\nd3dcolor v1[1];\n}\n"
                     "asm\n{\nvs.1.1\nm4x4 oPos, v0, c0\nmov oD0, v1\n};\n"
                     "VertexShaderConstant4[0] = <matWorld>;\n"
                     "PixelShader = asm\n{\nps.1.1\ndef c0, 0.0, 1.0, 0.0, 0.0\nadd r0, v0, c0\n};\n"
                     "}\n}\n");
    ASSERT_NE(effect, nullptr);
    D3DXMATRIX shift;
    D3DXMatrixTranslation(&shift, 0.5f, 0.0f, 0.0f);
    ASSERT_EQ(effect->SetMatrix("matWorld", &shift), D3D_OK);

    struct Vertex {
        float x, y, z;
        DWORD color;
    };
    const Vertex quad[4] = {{-0.25f, 0.5f, 0.5f, 0xFFFF0000},
                            {0.25f, 0.5f, 0.5f, 0xFFFF0000},
                            {-0.25f, -0.5f, 0.5f, 0xFFFF0000},
                            {0.25f, -0.5f, 0.5f, 0xFFFF0000}};
    UINT passes = 0;
    ASSERT_EQ(effect->Begin(&passes, 0), D3D_OK);
    ASSERT_EQ(effect->Pass(0), D3D_OK);
    EXPECT_EQ(d3d->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(Vertex)), D3D_OK);
    ASSERT_EQ(effect->End(), D3D_OK);
    DWORD pixelShader = 1;
    d3d->GetPixelShader(&pixelShader);
    EXPECT_EQ(pixelShader, 0u);  // End put the fixed-function stages back

    const zep::test::Image image = read();
    // Clip x 0.25 .. 0.75 covers pixels 40 .. 56 of 64.
    zep::test::expectColorNear(image.at(48, 32), 0xFFFFFF00);
    zep::test::expectColorNear(image.at(32, 32), 0xFF000000);
    zep::test::expectColorNear(image.at(16, 32), 0xFF000000);
}

}  // namespace
