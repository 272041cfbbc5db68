// Effect text read into a description: parameters, techniques, passes and
// the state assignments of each pass, with inline shaders assembled (not
// yet created on a device).
//
//   matrix matWorld;                          parameters: DWORD, float, vector,
//   PIXELSHADER ps = asm { ps.1.1 ... };      matrix, texture, pixelshader,
//   technique T                               vertexshader, string
//   {
//       pass P0
//       {
//           PixelShader = <ps>;               a parameter in angle brackets,
//           VertexShader = decl { float v0[3]; } asm { vs.1.1 ... };
//           VertexShaderConstant4[0] = <matWorld>;
//           ColorOp[0] = Modulate;            or a value: numbers, names, NULL
//           Texture[0] = <tex>;
//       }
//   }
//
// Keywords, types and state names ignore case; parameter, technique and
// pass names do not.
#pragma once

#include "d3dx/shader_asm.h"

#include <d3dx8effect.h>

#include <string>
#include <string_view>
#include <vector>

namespace zep::d3dx::fx {

// A shader written inline, assembled. Vertex shaders carry their
// declaration; a declaration alone (no function) drives the fixed-function
// pipeline.
struct ShaderSource {
    bool vertex = false;
    std::vector<DWORD> declaration;  // vertex shaders, D3DVSD_END() last
    std::vector<DWORD> function;     // empty for a declaration alone
    int line = 0;
};

enum class ValueKind : unsigned char {
    Null,       // NULL / nothing
    Numbers,    // one or more numbers (a state value, or constant data)
    Parameter,  // <name>
    Shader,     // an inline shader: index into EffectDescription::shaders
};

struct Value {
    ValueKind kind = ValueKind::Null;
    std::vector<float> numbers;  // as floats, for constants and float states
    DWORD dword = 0;             // the first value as a DWORD, for states
    bool integral = true;        // written without a fraction (an integer or a name)
    int parameter = -1;          // Parameter: index into EffectDescription::parameters
    std::string text;            // a string parameter's initial text
    int shader = -1;
};

enum class StateKind : unsigned char {
    Render,
    Stage,
    Texture,
    VertexShader,
    PixelShader,
    VertexShaderConstant,
    PixelShaderConstant,
};

struct Assignment {
    StateKind kind;
    DWORD state = 0;       // D3DRS_* or D3DTSS_*
    bool floatBits = false; // the state takes a float's bits
    DWORD index = 0;       // stage, texture stage, or first constant register
    DWORD count = 1;       // constant registers
    Value value;
    int line = 0;
};

struct PassDescription {
    std::string name;
    std::vector<Assignment> assignments;
};

struct TechniqueDescription {
    std::string name;
    std::vector<PassDescription> passes;
};

struct ParameterDescription {
    std::string name;
    D3DXPARAMETERTYPE type;
    Value initial;
};

struct EffectDescription {
    std::vector<ParameterDescription> parameters;
    std::vector<TechniqueDescription> techniques;
    std::vector<ShaderSource> shaders;
};

struct ParsedEffect {
    bool ok = false;
    EffectDescription effect;
    std::vector<AsmError> errors;  // in effect lines, assembly errors included
};

ParsedEffect parseEffect(std::string_view text);

}  // namespace zep::d3dx::fx
