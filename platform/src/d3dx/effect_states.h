// The device states an effect pass may assign, by the names effect texts
// use: render states as D3DRS_* without the prefix ("ZEnable",
// "SrcBlend"), texture-stage states likewise with the stage in brackets
// ("ColorOp[0]"), and their values as the enumerants' own names without
// the prefix ("SrcAlpha", "Modulate", "True"). Names ignore case.
#pragma once

#include <d3d8.h>

#include <string_view>

namespace zep::d3dx::fx {

// The enumeration a state's value names come from.
enum class ValueNames : unsigned char {
    Number,       // numbers only
    Float,        // numbers only, stored as float bits
    Bool,
    ZBuffer,
    Fill,
    Shade,
    Blend,
    BlendOp,
    Cull,
    Compare,
    Fog,
    StencilOp,
    MaterialSource,
    VertexBlend,
    TextureOp,
    TextureArg,
    Address,
    Filter,
    TexCoordIndex,
    TransformFlags,
};

struct RenderStateName {
    const char* name;
    D3DRENDERSTATETYPE state;
    ValueNames values;
};

struct StageStateName {
    const char* name;
    D3DTEXTURESTAGESTATETYPE state;
    ValueNames values;
};

const RenderStateName* findRenderState(std::string_view name);
const StageStateName* findStageState(std::string_view name);

// The value of a name in `set` (D3DTA_* names may be joined with '|' by
// the parser); false when the set has no such name.
bool namedStateValue(ValueNames set, std::string_view name, DWORD* out);

// True for names compared without regard to case.
bool sameName(std::string_view a, std::string_view b);

}  // namespace zep::d3dx::fx
