/* D3DX 8 effects and the shader assembler, for the Linux build.
 *
 * An effect is text with parameters, techniques and passes; a pass assigns
 * device states and shaders. D3DXCreateEffect compiles the text on a device
 * (shaders written inline as "asm { ... }" are assembled and created
 * there); ID3DXEffect then selects a technique, takes parameter values and
 * applies a pass's assignments to the device between Begin and End.
 * D3DXAssembleShader turns vs.1.0/vs.1.1 and ps.1.0 .. ps.1.4 assembly text
 * into Direct3D 8 shader tokens.
 *
 * Conventions, D3DX 8's:
 * - Parameters, techniques and passes are named by strings (LPCSTR);
 *   GetTechniqueDesc/GetPassDesc accept a name or, for techniques and
 *   passes, a null name meaning the current technique.
 * - Begin(&passes, 0) saves the device states the technique's passes set
 *   and End restores them; D3DXFX_DONOTSAVESTATE skips both.
 * - Compilation and assembly errors come back as text in the errors buffer,
 *   one line per error, "(line): error: message"; the call returns
 *   D3DXERR_INVALIDDATA.
 *
 * C++ only, because <d3d8.h> is. */
#ifndef ZEP_PLATFORM_D3DX8EFFECT_H
#define ZEP_PLATFORM_D3DX8EFFECT_H

#include <d3d8.h>
#include <d3dx8math.h>
#include <d3dx8tex.h>  /* D3DXERR_INVALIDDATA */

/* ---- Buffers -------------------------------------------------------------------- */

/* A block of bytes handed out by D3DX: compiled shaders, constants, error
 * texts. Owned by whoever receives it; Release frees it. */
#ifndef ZEP_D3DX_BUFFER_DEFINED
#define ZEP_D3DX_BUFFER_DEFINED
inline constexpr IID IID_ID3DXBuffer = {0x932E6A7E, 0xC68E, 0x45DD, {0xA7, 0xBF, 0x53, 0xD1, 0x9C, 0x86, 0xDB, 0x1F}};

struct ID3DXBuffer : public IUnknown {
    virtual LPVOID STDMETHODCALLTYPE GetBufferPointer() = 0;
    virtual DWORD STDMETHODCALLTYPE GetBufferSize() = 0;
};
typedef ID3DXBuffer* LPD3DXBUFFER;

extern "C" HRESULT WINAPI D3DXCreateBuffer(DWORD NumBytes, LPD3DXBUFFER* ppBuffer);
#endif

/* ---- Effect descriptions ----------------------------------------------------------- */

typedef enum _D3DXPARAMETERTYPE {
    D3DXPT_DWORD = 0,
    D3DXPT_FLOAT = 1,
    D3DXPT_VECTOR = 2,
    D3DXPT_MATRIX = 3,
    D3DXPT_TEXTURE = 4,
    D3DXPT_VERTEXSHADER = 5,
    D3DXPT_PIXELSHADER = 6,
    D3DXPT_CONSTANT = 7,
    D3DXPT_STRING = 8,
    D3DXPT_FORCE_DWORD = 0x7fffffff
} D3DXPARAMETERTYPE;

typedef struct _D3DXEFFECT_DESC {
    UINT Parameters;
    UINT Techniques;
} D3DXEFFECT_DESC;

typedef struct _D3DXPARAMETER_DESC {
    LPCSTR Name;
    LPCSTR Index;
    D3DXPARAMETERTYPE Type;
} D3DXPARAMETER_DESC;

typedef struct _D3DXTECHNIQUE_DESC {
    LPCSTR Name;
    LPCSTR Index;
    UINT Passes;
} D3DXTECHNIQUE_DESC;

typedef struct _D3DXPASS_DESC {
    LPCSTR Name;
    LPCSTR Index;
} D3DXPASS_DESC;

/* Begin flags. */
#define D3DXFX_DONOTSAVESTATE (1 << 0)  /* the pass's states stay after End */

/* ---- ID3DXEffect ------------------------------------------------------------------- */

inline constexpr IID IID_ID3DXEffect = {0x648B1CEB, 0x8D4E, 0x4D66, {0xB6, 0xFA, 0xE4, 0x49, 0x69, 0xE8, 0x2E, 0x89}};

struct ID3DXEffect;
typedef ID3DXEffect* LPD3DXEFFECT;

struct ID3DXEffect : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetDevice(LPDIRECT3DDEVICE8* ppDevice) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDesc(D3DXEFFECT_DESC* pDesc) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetParameterDesc(LPCSTR pParameter, D3DXPARAMETER_DESC* pDesc) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetTechniqueDesc(LPCSTR pTechnique, D3DXTECHNIQUE_DESC* pDesc) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPassDesc(LPCSTR pTechnique, LPCSTR pPass, D3DXPASS_DESC* pDesc) = 0;
    /* The first technique from pTechnique on (null: the first) that the
     * device validates. */
    virtual HRESULT STDMETHODCALLTYPE FindNextValidTechnique(LPCSTR pTechnique, D3DXTECHNIQUE_DESC* pDesc) = 0;
    virtual HRESULT STDMETHODCALLTYPE CloneEffect(LPDIRECT3DDEVICE8 pDevice, LPD3DXEFFECT* ppEffect) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCompiledEffect(LPD3DXBUFFER* ppCompiledEffect) = 0;

    virtual HRESULT STDMETHODCALLTYPE SetTechnique(LPCSTR pTechnique) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetTechnique(LPCSTR* ppTechnique) = 0;

    virtual HRESULT STDMETHODCALLTYPE SetDword(LPCSTR pParameter, DWORD dw) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDword(LPCSTR pParameter, DWORD* pdw) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetFloat(LPCSTR pParameter, FLOAT f) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFloat(LPCSTR pParameter, FLOAT* pf) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetVector(LPCSTR pParameter, const D3DXVECTOR4* pVector) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetVector(LPCSTR pParameter, D3DXVECTOR4* pVector) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetMatrix(LPCSTR pParameter, const D3DXMATRIX* pMatrix) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMatrix(LPCSTR pParameter, D3DXMATRIX* pMatrix) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetTexture(LPCSTR pParameter, LPDIRECT3DBASETEXTURE8 pTexture) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetTexture(LPCSTR pParameter, LPDIRECT3DBASETEXTURE8* ppTexture) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetVertexShader(LPCSTR pParameter, DWORD Handle) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetVertexShader(LPCSTR pParameter, DWORD* pHandle) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetPixelShader(LPCSTR pParameter, DWORD Handle) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPixelShader(LPCSTR pParameter, DWORD* pHandle) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetString(LPCSTR pParameter, LPCSTR pString) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetString(LPCSTR pParameter, LPCSTR* ppString) = 0;
    virtual BOOL STDMETHODCALLTYPE IsParameterUsed(LPCSTR pParameter) = 0;

    /* Whether the current technique runs on the device. */
    virtual HRESULT STDMETHODCALLTYPE Validate() = 0;
    /* Starts the current technique; *pPasses receives its pass count. */
    virtual HRESULT STDMETHODCALLTYPE Begin(UINT* pPasses, DWORD Flags) = 0;
    /* Applies pass number Pass of the current technique to the device. */
    virtual HRESULT STDMETHODCALLTYPE Pass(UINT Pass) = 0;
    virtual HRESULT STDMETHODCALLTYPE End() = 0;

    /* Device loss: the effect's device objects do not depend on the
     * device's size, so both only end a technique left running. */
    virtual HRESULT STDMETHODCALLTYPE OnLostDevice() = 0;
    virtual HRESULT STDMETHODCALLTYPE OnResetDevice() = 0;
};

/* ---- Creation and assembly ------------------------------------------------------- */

/* D3DXAssembleShader flags. */
#define D3DXASM_DEBUG (1 << 0)           /* accepted; the tokens carry no debug information */
#define D3DXASM_SKIPVALIDATION (1 << 1)  /* accepted; the assembler's own checks always run */

extern "C" {

/* Compiles an effect from text of SrcDataSize bytes on pDevice. The first
 * technique is current. Errors: D3DXERR_INVALIDDATA, with their text in
 * *ppCompilationErrors when that is given. */
HRESULT WINAPI D3DXCreateEffect(LPDIRECT3DDEVICE8 pDevice, LPCVOID pSrcData, UINT SrcDataSize,
                                LPD3DXEFFECT* ppEffect, LPD3DXBUFFER* ppCompilationErrors);

/* Assembles one vs.1.x or ps.1.x program. *ppCompiledShader receives the
 * function tokens; *ppConstants, when asked for, receives the vertex
 * shader's def constants as declaration tokens (D3DVSD_CONST) to append to
 * a vertex shader declaration. */
HRESULT WINAPI D3DXAssembleShader(LPCVOID pSrcData, UINT SrcDataLen, DWORD Flags, LPD3DXBUFFER* ppConstants,
                                  LPD3DXBUFFER* ppCompiledShader, LPD3DXBUFFER* ppCompilationErrors);

}  /* extern "C" */

#endif /* ZEP_PLATFORM_D3DX8EFFECT_H */
