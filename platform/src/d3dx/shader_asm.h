// The vs.1.x / ps.1.x assembler behind D3DXAssembleShader and the inline
// "asm { ... }" programs of effects: assembly text in, Direct3D 8 function
// tokens out (version token, instructions, END), as the runtime's
// CreateVertexShader and CreatePixelShader take them.
//
// The text is one instruction per line. ';' and "//" start comments that
// run to the end of the line, "/* */" comments may span lines; case does
// not matter. Every error names the line it was found on, and assembly goes
// on with the next line so that one run reports them all.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace zep::d3dx {

struct AsmError {
    int line;
    std::string message;
};

struct AssembledShader {
    bool ok = false;
    bool vertex = false;            // vs.1.x; otherwise ps.1.x
    DWORD version = 0;              // the version token
    std::vector<DWORD> tokens;      // the function, version token first, END last
    std::vector<DWORD> constants;   // vertex shaders: D3DVSD_CONST tokens for every def
    std::vector<AsmError> errors;
};

// Assembles `text`. `firstLine` is the number its first line gets in error
// messages: an effect passes the line its inline program starts on, so that
// errors point into the effect text.
AssembledShader assembleShader(std::string_view text, int firstLine = 1);

// "(line): error: message\n" for each error, the form D3DX error buffers hold.
std::string formatAsmErrors(const std::vector<AsmError>& errors);

}  // namespace zep::d3dx
