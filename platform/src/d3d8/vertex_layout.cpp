// Vertex layouts from FVF codes and from vertex shader declarations.
//
// Both describe where each vertex input lives in its stream; the draw path
// binds one OpenGL attribute per element and the program builders key on the
// flags. FVF elements come in Direct3D's fixed order (position, blend
// weights, normal, point size, diffuse, specular, texture coordinates), each
// tightly after the previous one.
#include "d3d8/draw_interface.h"

namespace zep::d3d {
namespace {

// Bytes of one element of each D3DVSDT_* type; 0 for unknown types.
UINT bytesOfType(DWORD type) {
    switch (type) {
    case D3DVSDT_FLOAT1: return 4;
    case D3DVSDT_FLOAT2: return 8;
    case D3DVSDT_FLOAT3: return 12;
    case D3DVSDT_FLOAT4: return 16;
    case D3DVSDT_D3DCOLOR: return 4;
    case D3DVSDT_UBYTE4: return 4;
    case D3DVSDT_SHORT2: return 4;
    case D3DVSDT_SHORT4: return 8;
    default: return 0;
    }
}

// Components of texture coordinate set `set` as D3DFVF_TEXCOORDSIZEn says.
uint8_t texCoordSizeOfFvf(DWORD fvf, int set) {
    switch ((fvf >> (16 + set * 2)) & 3u) {
    case D3DFVF_TEXTUREFORMAT1: return 1;
    case D3DFVF_TEXTUREFORMAT3: return 3;
    case D3DFVF_TEXTUREFORMAT4: return 4;
    default: return 2;
    }
}

bool addElement(VertexLayout* layout, uint8_t stream, uint8_t inputRegister, uint8_t type, UINT offset) {
    if (layout->elementCount >= kMaxVertexElements || offset > 0xFFFF) return false;
    layout->elements[layout->elementCount++] = VertexElement{stream, inputRegister, type, 0, uint16_t(offset)};
    return true;
}

// Sets the flags the program builders key on from the registers present,
// the way the fixed-function pipeline reads a declaration.
void deriveFlags(VertexLayout* layout) {
    for (int i = 0; i < layout->elementCount; ++i) {
        const VertexElement& e = layout->elements[i];
        switch (e.inputRegister) {
        case D3DVSDE_NORMAL: layout->hasNormal = true; break;
        case D3DVSDE_PSIZE: layout->hasPointSize = true; break;
        case D3DVSDE_DIFFUSE: layout->hasDiffuse = true; break;
        case D3DVSDE_SPECULAR: layout->hasSpecular = true; break;
        case D3DVSDE_POSITION2: layout->hasTween = true; break;
        default:
            if (e.inputRegister >= D3DVSDE_TEXCOORD0 && e.inputRegister <= D3DVSDE_TEXCOORD7) {
                const int set = e.inputRegister - D3DVSDE_TEXCOORD0;
                if (set + 1 > layout->texCoordCount) layout->texCoordCount = uint8_t(set + 1);
                switch (e.type) {
                case D3DVSDT_FLOAT1: layout->texCoordSize[set] = 1; break;
                case D3DVSDT_FLOAT2:
                case D3DVSDT_SHORT2: layout->texCoordSize[set] = 2; break;
                case D3DVSDT_FLOAT3: layout->texCoordSize[set] = 3; break;
                default: layout->texCoordSize[set] = 4; break;
                }
            }
            break;
        }
    }
}

// Fills the layout and returns the stride (0 for codes the runtime refuses).
// The stride is the running offset, not the end of the last element: a
// fifth blend weight takes room without being an element.
UINT buildFvfLayout(DWORD fvf, VertexLayout* layout) {
    *layout = VertexLayout{};
    if (fvf & (D3DFVF_RESERVED0 | D3DFVF_RESERVED2)) return 0;
    const DWORD position = fvf & D3DFVF_POSITION_MASK;
    const UINT texCount = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
    if (position == 0 || texCount > 8) return 0;
    if ((fvf & D3DFVF_LASTBETA_UBYTE4) && (position < D3DFVF_XYZB1)) return 0;

    UINT offset = 0;
    if (position == D3DFVF_XYZRHW) {
        layout->pretransformed = true;
        addElement(layout, 0, D3DVSDE_POSITION, D3DVSDT_FLOAT4, offset);
        offset += 16;
    } else {
        addElement(layout, 0, D3DVSDE_POSITION, D3DVSDT_FLOAT3, offset);
        offset += 12;
        // XYZB1..XYZB5 carry 1..5 floats of blend data after the position;
        // with LASTBETA_UBYTE4 the last of them holds four blend indices.
        const UINT betas = position == D3DFVF_XYZ ? 0 : (position - D3DFVF_XYZB1) / 2 + 1;
        if (betas > 0) {
            const bool indices = (fvf & D3DFVF_LASTBETA_UBYTE4) != 0;
            const UINT weights = indices ? betas - 1 : betas;
            if (weights > 0) {
                const UINT read = weights < 4 ? weights : 4;  // a fifth weight has no element type
                addElement(layout, 0, D3DVSDE_BLENDWEIGHT, uint8_t(D3DVSDT_FLOAT1 + read - 1), offset);
            }
            offset += weights * 4;
            if (indices) {
                addElement(layout, 0, D3DVSDE_BLENDINDICES, D3DVSDT_UBYTE4, offset);
                offset += 4;
            }
        }
    }
    if (fvf & D3DFVF_NORMAL) {
        addElement(layout, 0, D3DVSDE_NORMAL, D3DVSDT_FLOAT3, offset);
        offset += 12;
    }
    if (fvf & D3DFVF_PSIZE) {
        addElement(layout, 0, D3DVSDE_PSIZE, D3DVSDT_FLOAT1, offset);
        offset += 4;
    }
    if (fvf & D3DFVF_DIFFUSE) {
        addElement(layout, 0, D3DVSDE_DIFFUSE, D3DVSDT_D3DCOLOR, offset);
        offset += 4;
    }
    if (fvf & D3DFVF_SPECULAR) {
        addElement(layout, 0, D3DVSDE_SPECULAR, D3DVSDT_D3DCOLOR, offset);
        offset += 4;
    }
    for (UINT set = 0; set < texCount; ++set) {
        const uint8_t size = texCoordSizeOfFvf(fvf, int(set));
        addElement(layout, 0, uint8_t(D3DVSDE_TEXCOORD0 + set), uint8_t(D3DVSDT_FLOAT1 + size - 1), offset);
        offset += size * 4u;
    }
    deriveFlags(layout);
    return offset;
}

}  // namespace

bool layoutFromFvf(DWORD fvf, VertexLayout* layout) { return buildFvfLayout(fvf, layout) != 0; }

UINT strideOfFvf(DWORD fvf) {
    VertexLayout layout;
    return buildFvfLayout(fvf, &layout);
}

bool layoutFromDeclaration(const DWORD* tokens, VertexLayout* layout) {
    *layout = VertexLayout{};
    if (!tokens) return false;
    int stream = -1;
    UINT offset = 0;
    // A declaration is short; the bound keeps a missing END from running on.
    for (int i = 0; i < 1024; ++i) {
        const DWORD token = tokens[i];
        if (token == D3DVSD_END()) {
            deriveFlags(layout);
            return true;
        }
        const DWORD kind = (token & D3DVSD_TOKENTYPEMASK) >> D3DVSD_TOKENTYPESHIFT;
        switch (kind) {
        case D3DVSD_TOKEN_NOP: break;
        case D3DVSD_TOKEN_STREAM:
            if (token & D3DVSD_STREAMTESSMASK) return false;  // tessellator streams: no patches here
            stream = int(token & D3DVSD_STREAMNUMBERMASK);
            offset = 0;
            break;
        case D3DVSD_TOKEN_STREAMDATA:
            if (stream < 0) return false;
            if (token & D3DVSD_DATALOADTYPEMASK) {
                offset += ((token & D3DVSD_SKIPCOUNTMASK) >> D3DVSD_SKIPCOUNTSHIFT) * 4u;
            } else {
                const DWORD type = (token & D3DVSD_DATATYPEMASK) >> D3DVSD_DATATYPESHIFT;
                const DWORD reg = token & D3DVSD_VERTEXREGMASK;
                if (bytesOfType(type) == 0 || reg >= DWORD(kMaxVertexElements)) return false;
                for (int e = 0; e < layout->elementCount; ++e)
                    if (layout->elements[e].inputRegister == reg) return false;  // one source per register
                if (!addElement(layout, uint8_t(stream), uint8_t(reg), uint8_t(type), offset)) return false;
                offset += bytesOfType(type);
            }
            break;
        case D3DVSD_TOKEN_CONSTMEM:
            // Constants to load at SetVertexShader time; the device core
            // loads them, the layout only skips their data tokens.
            i += int(((token & D3DVSD_CONSTCOUNTMASK) >> D3DVSD_CONSTCOUNTSHIFT) * 4);
            break;
        case D3DVSD_TOKEN_EXT:
            i += int((token & D3DVSD_EXTCOUNTMASK) >> D3DVSD_EXTCOUNTSHIFT);
            break;
        default:
            return false;  // tessellator tokens and unknown kinds
        }
    }
    return false;
}

}  // namespace zep::d3d
