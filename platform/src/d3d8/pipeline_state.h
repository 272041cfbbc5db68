// What the device records for drawing, and how it reaches OpenGL.
//
// The device (device*.cpp) records every state a host sets into one
// PipelineState; the draw path turns the bound vertex format into a
// VertexLayout; the program builders (the fixed-function generator and the
// shader translator) read both and produce GLSL. This header is the contract
// between them, together with the conventions below, which every generated or
// translated program follows so that vertex and fragment halves of different
// origin link together.
//
// Conventions (Direct3D 8's rules on OpenGL 3.3 core + ARB_clip_control):
// - Clip control is (GL_UPPER_LEFT, GL_ZERO_TO_ONE): clip space is Direct3D's
//   (depth 0..1), and row 0 of every framebuffer and render-target texture is
//   the top of the image, as in Direct3D surfaces. Present flips when it
//   copies the back buffer to a window.
// - Pixel centres are on integer coordinates: every vertex program ends with
//   gl_Position.xy += zHalfPixel * gl_Position.w, where
//   zHalfPixel = (1 / viewport width, -1 / viewport height).
// - Pre-transformed (D3DFVF_XYZRHW) positions are screen pixels: the vertex
//   stage maps them to clip space through the viewport, keeps z as the depth
//   written, and multiplies by w = 1 / rhw so that attributes interpolate in
//   perspective.
// - Vertex-to-fragment interface: vec4 zDiffuse, vec4 zSpecular, vec4
//   zTex0..zTex7, float zFog (1 = no fog, 0 = all fog colour).
// - Fragment output: one vec4 zColor at location 0.
// - Texture stage i samples texture unit i through sampler zSampler<i>
//   (sampler2D or sampler3D by the stage's TextureKind).
// - Vertex attributes: a vertex element for input register r (D3DVSDE_* for
//   the fixed-function path, vN for vertex shaders) is bound to attribute
//   location attributeLocation(r).
#pragma once

#include <d3d8.h>

#include <cstdint>

namespace zep::d3d {

constexpr int kMaxTextureStages = 8;
constexpr int kMaxActiveLights = 8;           // caps.MaxActiveLights
constexpr int kMaxLightIndex = 256;           // light indices a host may use
constexpr int kMaxStreams = 16;               // caps.MaxStreams
constexpr int kMaxVertexShaderConstants = 96; // caps.MaxVertexShaderConst
constexpr int kMaxPixelShaderConstants = 8;
constexpr int kMaxClipPlanes = 6;             // caps.MaxUserClipPlanes
constexpr int kRenderStateCount = 256;        // every D3DRENDERSTATETYPE is below this
constexpr int kStageStateCount = 32;          // every D3DTEXTURESTAGESTATETYPE is below this
constexpr int kMaxVertexElements = 17;        // D3DVSDE_POSITION .. D3DVSDE_NORMAL2

// The OpenGL attribute location of a vertex input register. Registers 0..15
// map to themselves; D3DVSDE_NORMAL2 (16) shares location 2 with
// D3DVSDE_BLENDINDICES, which the fixed-function path never reads, so that
// every program fits in the 16 attributes OpenGL guarantees.
constexpr uint32_t attributeLocation(uint32_t inputRegister) {
    return inputRegister == 16 ? 2u : inputRegister;
}

// What a texture stage samples, as far as the generated GLSL must know.
enum class TextureKind : uint8_t { None, Texture2D, Volume, Cube };

struct LightSlot {
    D3DLIGHT8 light;
    bool defined;  // SetLight was called for this index
    bool enabled;  // LightEnable(TRUE)
};

struct StreamBinding {
    IDirect3DVertexBuffer8* buffer;
    UINT stride;
};

// Everything SetRenderState, SetTextureStageState, SetTransform, SetLight,
// SetMaterial, SetViewport, SetTexture, SetStreamSource, SetIndices,
// SetVertexShader, SetPixelShader, the shader constants and SetClipPlane
// record. Plain data: state blocks capture and apply it by copying fields.
struct PipelineState {
    DWORD renderStates[kRenderStateCount];
    DWORD stageStates[kMaxTextureStages][kStageStateCount];

    D3DMATRIX world;       // D3DTS_WORLD
    D3DMATRIX view;        // D3DTS_VIEW
    D3DMATRIX projection;  // D3DTS_PROJECTION
    D3DMATRIX texture[kMaxTextureStages];  // D3DTS_TEXTURE0..7

    D3DMATERIAL8 material;
    LightSlot lights[kMaxLightIndex];
    D3DVIEWPORT8 viewport;
    float clipPlanes[kMaxClipPlanes][4];

    IDirect3DBaseTexture8* textures[kMaxTextureStages];
    TextureKind textureKinds[kMaxTextureStages];  // kept in step with textures[]
    StreamBinding streams[kMaxStreams];
    IDirect3DIndexBuffer8* indices;
    UINT baseVertexIndex;

    DWORD vertexShader;  // an FVF code, or a handle from CreateVertexShader
    DWORD pixelShader;   // 0, or a handle from CreatePixelShader
    float vertexShaderConstants[kMaxVertexShaderConstants][4];
    float pixelShaderConstants[kMaxPixelShaderConstants][4];
};

// One vertex input: where it comes from and what it feeds.
struct VertexElement {
    uint8_t stream;         // stream index
    uint8_t inputRegister;  // D3DVSDE_* (fixed function) or vN (shaders)
    uint8_t type;           // D3DVSDT_*
    uint8_t reserved;
    uint16_t offset;        // bytes from the start of the vertex in its stream
};

// The vertex format of a draw: from an FVF code or a vertex shader
// declaration. The fixed-function generator keys on the flags below.
struct VertexLayout {
    VertexElement elements[kMaxVertexElements];
    uint8_t elementCount;
    bool pretransformed;      // D3DFVF_XYZRHW
    bool hasNormal;
    bool hasDiffuse;
    bool hasSpecular;
    bool hasPointSize;
    bool hasTween;            // D3DVSDE_POSITION2 (and NORMAL2 if present)
    uint8_t texCoordCount;    // texture coordinate sets present
    uint8_t texCoordSize[8];  // components of each set, 1..4
};

}  // namespace zep::d3d
