// The seam between the device core and the draw path.
//
// The device core (device, resources, GL state, presentation) records state
// and owns every resource; the draw path (vertex layouts, vertex arrays,
// program assembly from the fixed-function generator and the shader
// translator, the draw calls) turns a draw call into OpenGL work. Each side
// implements its half of this header and calls only the other half.
#pragma once

#include "d3d8/pipeline_state.h"

#include <epoxy/gl.h>

#include <vector>

namespace zep::d3d {

class Device;  // the IDirect3DDevice8 implementation
struct DrawCache;  // the draw path's per-device caches (programs, vertex arrays, streaming buffers)

// ---- Implemented by the device core ---------------------------------------

// The state the host has set. The mutable form is for the draw path's own
// documented side effects (DrawPrimitiveUP unbinds stream 0 and, for the
// indexed form, the index buffer, as Direct3D 8 does).
const PipelineState& pipelineState(const Device& device);
PipelineState& mutablePipelineState(Device& device);

// Makes OpenGL match the render, stage and sampler states that are not part
// of a program (blend, depth, stencil, cull, fill, depth bias, colour write,
// point sprites, clip-distance enables, samplers, render target and
// viewport). Skips what is already set. Called by the draw path before every
// draw, after binding the program.
void applyFixedFunctionGlState(Device& device);

// Uploads what the host changed since the last draw and returns the buffer's
// OpenGL name (0 for a null buffer).
GLuint vertexBufferForDraw(IDirect3DVertexBuffer8* buffer);
GLuint indexBufferForDraw(IDirect3DIndexBuffer8* buffer, D3DFORMAT* format);

// Uploads dirty levels and returns the texture's OpenGL name and target
// (GL_TEXTURE_2D, GL_TEXTURE_3D or GL_TEXTURE_CUBE_MAP); 0 for null.
GLuint textureForDraw(IDirect3DBaseTexture8* texture, GLenum* target);

// Vertex shaders from CreateVertexShader: the declaration, and the function
// tokens (empty for a declaration-only shader that drives the fixed-function
// pipeline, such as the tween declaration).
struct VertexShaderRecord {
    std::vector<DWORD> declaration;
    std::vector<DWORD> function;
    DWORD usage;
};
const VertexShaderRecord* findVertexShader(const Device& device, DWORD handle);  // null if unknown
const std::vector<DWORD>* findPixelShader(const Device& device, DWORD handle);   // null if unknown

// The draw path's caches for this device (created with the device).
DrawCache& drawCache(Device& device);

// Direct3D 8 leaves stream 0 (and, after the indexed form, the indices)
// unset after a UP draw; the device lets go of those buffers.
void unbindAfterUp(Device& device, bool indices);

// ---- Implemented by the draw path -------------------------------------------

DrawCache* createDrawCache();
void destroyDrawCache(DrawCache* cache);  // needs the device's GL context current

// Vertex layouts. False for codes or tokens the runtime does not support.
bool layoutFromFvf(DWORD fvf, VertexLayout* layout);
bool layoutFromDeclaration(const DWORD* tokens, VertexLayout* layout);
UINT strideOfFvf(DWORD fvf);

// The four draw calls, with Direct3D 8's arguments and results.
HRESULT drawPrimitive(Device& device, D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount);
HRESULT drawIndexedPrimitive(Device& device, D3DPRIMITIVETYPE type, UINT minIndex, UINT numVertices,
                             UINT startIndex, UINT primitiveCount);
HRESULT drawPrimitiveUP(Device& device, D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertexData,
                        UINT vertexStride);
HRESULT drawIndexedPrimitiveUP(Device& device, D3DPRIMITIVETYPE type, UINT minVertexIndex, UINT numVertexIndices,
                               UINT primitiveCount, const void* indexData, D3DFORMAT indexFormat,
                               const void* vertexData, UINT vertexStride);

// Forgets programs built from a shader handle that DeleteVertexShader or
// DeletePixelShader is about to free.
void forgetShader(DrawCache& cache, DWORD handle);

}  // namespace zep::d3d
