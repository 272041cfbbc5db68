// D3DXAssembleShader: the assembler's result handed out in D3DX buffers.

#include "d3dx/effect_buffer.h"
#include "d3dx/shader_asm.h"

#include <d3dx8effect.h>

#include <string_view>

namespace {

template <typename T>
void clear(T** out) {
    if (out) *out = nullptr;
}

}  // namespace

extern "C" HRESULT WINAPI D3DXAssembleShader(LPCVOID pSrcData, UINT SrcDataLen, DWORD /*Flags*/,
                                             LPD3DXBUFFER* ppConstants, LPD3DXBUFFER* ppCompiledShader,
                                             LPD3DXBUFFER* ppCompilationErrors) {
    clear(ppConstants);
    clear(ppCompiledShader);
    clear(ppCompilationErrors);
    if (!ppCompiledShader || (!pSrcData && SrcDataLen)) return D3DERR_INVALIDCALL;

    const std::string_view text(static_cast<const char*>(pSrcData), pSrcData ? SrcDataLen : 0);
    const zep::d3dx::AssembledShader shader = zep::d3dx::assembleShader(text);
    if (!shader.ok) {
        if (ppCompilationErrors)
            *ppCompilationErrors = zep::d3dx::createTextBuffer(zep::d3dx::formatAsmErrors(shader.errors));
        return D3DXERR_INVALIDDATA;
    }
    *ppCompiledShader = zep::d3dx::createBufferWith(shader.tokens.data(), shader.tokens.size() * sizeof(DWORD));
    if (!*ppCompiledShader) return E_OUTOFMEMORY;
    if (ppConstants) {
        *ppConstants = zep::d3dx::createBufferWith(shader.constants.data(), shader.constants.size() * sizeof(DWORD));
        if (!*ppConstants) {
            (*ppCompiledShader)->Release();
            *ppCompiledShader = nullptr;
            return E_OUTOFMEMORY;
        }
    }
    return D3D_OK;
}
