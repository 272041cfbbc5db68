// Decoding of Direct3D 8 shader function tokens (vs.1.0/1.1, ps.1.0..1.4)
// into plain instructions, with every read bounded by the token count.
//
// The decoder checks what the GLSL emitters rely on: a known version, known
// opcodes allowed in this shader kind and version, parameter tokens where
// parameters belong, register numbers inside the model's register files,
// and a closing END. Semantic pairing (texm3x2pad before texm3x2tex, ...)
// is left to the emitters, which know what they need.
#pragma once

#include <d3d8.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zep::gl {

enum class ShaderKind : uint8_t { Vertex, Pixel };

// Register files as the parameter tokens number them (bits 28..30). The
// value 3 is a0 in vertex shaders and t# in pixel shaders.
enum class RegisterFile : uint8_t {
    Temp = 0,
    Input = 1,
    Const = 2,
    AddressOrTexture = 3,
    RastOut = 4,   // oPos, oFog, oPts
    AttrOut = 5,   // oD0, oD1
    TexCrdOut = 6, // oT0..oT7
};

struct ShaderRegister {
    RegisterFile file;
    uint32_t number;
    bool relative;  // c[a0.x + number], vertex shader sources only
};

struct DestinationParameter {
    ShaderRegister reg;
    uint8_t writeMask;  // bit 0 = x .. bit 3 = w
    bool saturate;
    int8_t shift;       // result scaled by 2^shift (_x2 = 1, _x4 = 2, _d2 = -1)
};

struct SourceParameter {
    ShaderRegister reg;
    uint8_t swizzle[4];  // source component read for x, y, z, w
    uint32_t modifier;   // D3DSPSM_* value
};

struct ShaderInstruction {
    uint32_t opcode;  // D3DSIO_*
    bool coissue;     // pixel shaders: runs together with the previous one
    bool hasDestination;
    DestinationParameter destination;
    int sourceCount;
    SourceParameter sources[3];
    float defValues[4];  // def only
    size_t tokenIndex;   // where the instruction token was, for messages
};

struct DecodedShader {
    ShaderKind kind;
    uint32_t major;
    uint32_t minor;
    std::vector<ShaderInstruction> instructions;
};

struct DecodeResult {
    bool ok;
    std::string error;
    DecodedShader shader;
};

DecodeResult decodeShader(const DWORD* tokens, size_t count, ShaderKind kind);

// What the 1.x models say about an opcode; the decoder and the assembler
// share this so that both accept the same instructions.
struct ShaderOpcodeInfo {
    static constexpr uint8_t kVertex = 1;
    static constexpr uint8_t kPixel = 2;

    uint32_t opcode;      // D3DSIO_*
    const char* name;     // as the assembler writes it before ps.1.4
    uint8_t where;        // kVertex | kPixel
    bool destination;
    uint8_t sources;      // before ps.1.4; texld and texcrd take one more
    uint8_t psFirstMinor; // first ps.1.x minor version that has it (pixel opcodes)
    uint8_t psLastMinor;  // last ps.1.x minor version that has it (pixel opcodes)

    bool in(ShaderKind kind) const { return (where & (kind == ShaderKind::Vertex ? kVertex : kPixel)) != 0; }
};

// nullptr when the opcode or name is unknown.
const ShaderOpcodeInfo* findShaderOpcode(uint32_t opcode);
const ShaderOpcodeInfo* findShaderOpcode(std::string_view name);

// How many registers of a file the model has, or 0 when the file cannot be
// used in that role at all. `minor` matters to pixel shaders only.
uint32_t shaderRegisterCount(ShaderKind kind, uint32_t minor, RegisterFile file, bool destination);

// The assembler's name of an opcode ("mad", "texm3x2pad"), or "" if unknown.
const char* shaderOpcodeName(uint32_t opcode);

// A register as the assembler writes it ("r3", "c[a0.x + 2]", "oT1", "t0").
std::string shaderRegisterName(ShaderKind kind, const ShaderRegister& reg);

}  // namespace zep::gl
