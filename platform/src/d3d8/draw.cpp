// The draw path: a Direct3D 8 draw call becomes one OpenGL draw.
//
// Per draw: resolve the vertex layout, find (or build once) the program for
// the state, upload the uniforms that changed, let the device core bring the
// fixed GL state up to date, point the vertex attributes at the stream
// buffers, bind the textures the program samples, draw. Nothing is
// allocated once the caches are warm: the UP calls write into two streaming
// buffers that only grow.
#include "d3d8/draw_interface.h"
#include "d3d8/program_cache.h"

#include <climits>
#include <cstring>

namespace zep::d3d {

namespace {

// A buffer the UP calls write into front to back; when full it is orphaned
// (the driver keeps the old storage for draws in flight) and starts over, so
// writes never wait for the GPU.
struct StreamRing {
    GLuint name = 0;
    GLsizeiptr capacity = 0;
    GLsizeiptr head = 0;
};

}  // namespace

struct DrawCache {
    ProgramCache programs;
    GLuint vertexArray = 0;
    bool glReady = false;
    uint32_t enabledAttributes = 0;  // bit per attribute location
    StreamRing upVertices;
    StreamRing upIndices;
    // The layout of the last vertex shader value (FVF code or handle).
    bool layoutValid = false;
    DWORD layoutShader = 0;
    VertexLayout layout{};
};

namespace {

float floatOf(DWORD bits) {
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

void setD3DColor(float out[4], DWORD argb) {
    out[0] = float((argb >> 16) & 0xFF) / 255.0f;
    out[1] = float((argb >> 8) & 0xFF) / 255.0f;
    out[2] = float(argb & 0xFF) / 255.0f;
    out[3] = float(argb >> 24) / 255.0f;
}

// ---- Primitives -------------------------------------------------------------

struct Primitive {
    GLenum mode;
    GLsizei vertexCount;
};

// GL mode and vertex (or index) count; false for unknown types and counts
// beyond what one GL draw takes.
bool primitiveOf(D3DPRIMITIVETYPE type, UINT primitiveCount, Primitive* out) {
    uint64_t n = primitiveCount;
    uint64_t count = 0;
    switch (type) {
    case D3DPT_POINTLIST: out->mode = GL_POINTS; count = n; break;
    case D3DPT_LINELIST: out->mode = GL_LINES; count = 2 * n; break;
    case D3DPT_LINESTRIP: out->mode = GL_LINE_STRIP; count = n + 1; break;
    case D3DPT_TRIANGLELIST: out->mode = GL_TRIANGLES; count = 3 * n; break;
    case D3DPT_TRIANGLESTRIP: out->mode = GL_TRIANGLE_STRIP; count = n + 2; break;
    case D3DPT_TRIANGLEFAN: out->mode = GL_TRIANGLE_FAN; count = n + 2; break;
    default: return false;
    }
    if (count > uint64_t(INT_MAX)) return false;
    out->vertexCount = GLsizei(count);
    return true;
}

// ---- Vertex attributes --------------------------------------------------------

struct AttributeFormat {
    GLint size;
    GLenum type;
    GLboolean normalized;
};

AttributeFormat formatOf(uint8_t type) {
    switch (type) {
    case D3DVSDT_FLOAT1: return {1, GL_FLOAT, GL_FALSE};
    case D3DVSDT_FLOAT2: return {2, GL_FLOAT, GL_FALSE};
    case D3DVSDT_FLOAT3: return {3, GL_FLOAT, GL_FALSE};
    case D3DVSDT_D3DCOLOR: return {GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE};  // ARGB in memory order B, G, R, A
    case D3DVSDT_UBYTE4: return {4, GL_UNSIGNED_BYTE, GL_FALSE};
    case D3DVSDT_SHORT2: return {2, GL_SHORT, GL_FALSE};
    case D3DVSDT_SHORT4: return {4, GL_SHORT, GL_FALSE};
    default: return {4, GL_FLOAT, GL_FALSE};
    }
}

void ensureGlObjects(DrawCache& cache) {
    if (cache.glReady) return;
    glGenVertexArrays(1, &cache.vertexArray);
    // Programs write gl_PointSize (D3DRS_POINTSIZE and point scaling), and
    // Direct3D's flat shading takes the colour of a triangle's first vertex.
    glEnable(GL_PROGRAM_POINT_SIZE);
    glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);
    // Point sprite coordinates start at the top left of the point as seen in
    // the image; rows run top-down here, which OpenGL calls lower left.
    glPointParameteri(GL_POINT_SPRITE_COORD_ORIGIN, GL_LOWER_LEFT);
    cache.glReady = true;
}

// Copies `bytes` into the ring at a multiple of `alignment` and returns the
// offset. The ring must be bound to `target`.
GLsizeiptr writeRing(StreamRing& ring, GLenum target, const void* data, GLsizeiptr bytes, GLsizeiptr alignment) {
    GLsizeiptr offset = (ring.head + alignment - 1) / alignment * alignment;
    if (offset + bytes > ring.capacity) {
        if (bytes > ring.capacity) {
            GLsizeiptr capacity = ring.capacity ? ring.capacity : 256 * 1024;
            while (capacity < bytes) capacity *= 2;
            ring.capacity = capacity;
        }
        glBufferData(target, ring.capacity, nullptr, GL_STREAM_DRAW);  // orphan
        offset = 0;
    }
    void* mapped = glMapBufferRange(target, offset, bytes,
                                    GL_MAP_WRITE_BIT | GL_MAP_UNSYNCHRONIZED_BIT | GL_MAP_INVALIDATE_RANGE_BIT);
    if (mapped) {
        std::memcpy(mapped, data, size_t(bytes));
        glUnmapBuffer(target);
    } else {
        glBufferSubData(target, offset, bytes, data);
    }
    ring.head = offset + bytes;
    return offset;
}

GLuint ringName(StreamRing& ring) {
    if (!ring.name) glGenBuffers(1, &ring.name);
    return ring.name;
}

// ---- Draw description -------------------------------------------------------

// What a draw reads beyond the recorded state.
struct DrawCall {
    Primitive primitive;
    GLint firstVertex;      // DrawArrays: first vertex
    bool indexed;
    GLenum indexType;
    GLsizeiptr indexOffset; // bytes into the index buffer
    GLint baseVertex;
    // UP draws: vertices and indices from host memory instead of streams.
    const void* upVertices;
    GLsizeiptr upVertexBytes;
    UINT upStride;
    const void* upIndices;
    GLsizeiptr upIndexBytes;
};

// ---- Uniforms ---------------------------------------------------------------

template <typename T>
bool changed(T& last, const T& now, bool force) {
    if (!force && std::memcmp(&last, &now, sizeof now) == 0) return false;
    std::memcpy(&last, &now, sizeof now);
    return true;
}

void uploadCommonUniforms(CommonUniforms* u, const PipelineState& state) {
    const bool force = !u->uploadedOnce;
    u->uploadedOnce = true;
    const D3DVIEWPORT8& vp = state.viewport;
    const float width = vp.Width ? float(vp.Width) : 1.0f;
    const float height = vp.Height ? float(vp.Height) : 1.0f;
    // Direct3D's pixel centres are on whole coordinates, OpenGL's half a
    // pixel further: geometry moves right and down by just under half a
    // pixel (63/128). An edge through pixel centres then lies a little
    // above or left of them, so the pixels on a top or left edge are drawn
    // and those on a bottom or right edge are not, Direct3D's top-left rule,
    // whatever rule the GL rasterizer applies to exact ties.
    constexpr float kCentreShift = 63.0f / 64.0f;  // in NDC units of 2 / size: 63/128 pixel
    float frame[12] = {kCentreShift / width, -kCentreShift / height, float(vp.X), float(vp.Y), width, height,
                       vp.MinZ, vp.MaxZ};
    setD3DColor(frame + 8, state.renderStates[D3DRS_TEXTUREFACTOR]);
    if (changed(u->lastFrame, frame, force)) {
        glUniform2fv(u->halfPixel, 1, frame);
        glUniform4fv(u->viewport, 1, frame + 2);
        glUniform2fv(u->depthRange, 1, frame + 6);
        glUniform4fv(u->textureFactor, 1, frame + 8);
    }
    if (u->bumpEnvMat >= 0 || u->bumpLum >= 0) {
        float bump[48];
        for (int i = 0; i < kMaxTextureStages; ++i) {
            const DWORD* ts = state.stageStates[i];
            bump[i * 4 + 0] = floatOf(ts[D3DTSS_BUMPENVMAT00]);
            bump[i * 4 + 1] = floatOf(ts[D3DTSS_BUMPENVMAT01]);
            bump[i * 4 + 2] = floatOf(ts[D3DTSS_BUMPENVMAT10]);
            bump[i * 4 + 3] = floatOf(ts[D3DTSS_BUMPENVMAT11]);
            bump[32 + i * 2 + 0] = floatOf(ts[D3DTSS_BUMPENVLSCALE]);
            bump[32 + i * 2 + 1] = floatOf(ts[D3DTSS_BUMPENVLOFFSET]);
        }
        if (changed(u->lastBump, bump, force)) {
            glUniform4fv(u->bumpEnvMat, kMaxTextureStages, bump);
            glUniform2fv(u->bumpLum, kMaxTextureStages, bump + 32);
        }
    }
    if (u->vsConst >= 0) {
        const auto& now = reinterpret_cast<const float(&)[kMaxVertexShaderConstants * 4]>(state.vertexShaderConstants);
        if (changed(u->lastVs, now, force)) glUniform4fv(u->vsConst, kMaxVertexShaderConstants, u->lastVs);
    }
    if (u->psConst >= 0) {
        const auto& now = reinterpret_cast<const float(&)[kMaxPixelShaderConstants * 4]>(state.pixelShaderConstants);
        if (changed(u->lastPs, now, force)) glUniform4fv(u->psConst, kMaxPixelShaderConstants, u->lastPs);
    }
}

// ---- The draw -----------------------------------------------------------------

bool resolveLayout(Device& device, DrawCache& cache, DWORD shader, const VertexShaderRecord** record) {
    *record = nullptr;
    if (shader & 1) {
        *record = findVertexShader(device, shader);
        // The declaration is read up to its END token, which must be there.
        if (!*record || (*record)->declaration.empty() || (*record)->declaration.back() != D3DVSD_END()) return false;
    }
    if (cache.layoutValid && cache.layoutShader == shader) return true;
    const bool ok = (shader & 1) ? layoutFromDeclaration((*record)->declaration.data(), &cache.layout)
                                 : layoutFromFvf(shader, &cache.layout);
    cache.layoutValid = ok;
    cache.layoutShader = shader;
    return ok;
}

// True when Direct3D would fog this draw: the fog enable plus a vertex
// shader (which writes oFog) or a fog formula.
// With fog enabled the vertex part always hands over a factor: from the
// table or vertex formula, or, when neither mode is set, the specular alpha.
bool fogActive(const PipelineState& state) { return state.renderStates[D3DRS_FOGENABLE] != 0; }

HRESULT draw(Device& device, const DrawCall& call) {
    DrawCache& cache = drawCache(device);
    ensureGlObjects(cache);
    const PipelineState& state = pipelineState(device);

    const VertexShaderRecord* vsRecord = nullptr;
    if (!resolveLayout(device, cache, state.vertexShader, &vsRecord)) return D3DERR_INVALIDCALL;
    const VertexLayout& layout = cache.layout;
    const bool translatedVertex = vsRecord && !vsRecord->function.empty();
    const std::vector<DWORD>* psTokens = nullptr;
    if (state.pixelShader) {
        psTokens = findPixelShader(device, state.pixelShader);
        if (!psTokens) return D3DERR_INVALIDCALL;
    }
    // Vertex blending over several world matrices is not implemented: the
    // recorded state holds only D3DTS_WORLD. Such draws are refused.
    const DWORD blend = state.renderStates[D3DRS_VERTEXBLEND];
    if (!translatedVertex && blend >= D3DVBF_1WEIGHTS && blend <= D3DVBF_3WEIGHTS) return D3DERR_INVALIDCALL;

    // ---- Program
    ProgramKey key;
    std::memset(&key, 0, sizeof key);
    setShaders(&key, translatedVertex ? state.vertexShader : 0, state.pixelShader);
    const bool flat = !translatedVertex && !psTokens && state.renderStates[D3DRS_SHADEMODE] == D3DSHADE_FLAT;
    gl::FfpLightSelection lights{};
    int texStages = 4;
    if (psTokens) {
        for (int i = 0; i < 4; ++i) key.pixelKinds[i] = state.textures[i] ? uint8_t(state.textureKinds[i]) : 0;
        // Fog and the alpha test follow the pixel shader as fixed steps.
        key.fragment.fog = fogActive(state);
        key.fragment.alphaFunc = state.renderStates[D3DRS_ALPHATESTENABLE]
                                     ? uint8_t(state.renderStates[D3DRS_ALPHAFUNC] & 0xFF)
                                     : uint8_t(D3DCMP_ALWAYS);
    } else {
        gl::makeFfpFragmentKey(state, fogActive(state), flat, &key.fragment);
        key.fragment.pointSprite = call.primitive.mode == GL_POINTS && state.renderStates[D3DRS_POINTSPRITEENABLE];
        texStages = key.fragment.stageCount;
    }
    if (!translatedVertex) gl::makeFfpVertexKey(state, layout, texStages, flat, &key.vertex, &lights);
    ShaderTokens tokens{};
    if (translatedVertex) tokens = {vsRecord->function.data(), vsRecord->function.size(), nullptr, 0};
    if (psTokens) {
        tokens.pixel = psTokens->data();
        tokens.pixelCount = psTokens->size();
    }
    // Null: a shader handle while this build has no shader translator.
    Program* program = findProgram(cache.programs, key, tokens);
    if (!program || !program->name) return D3DERR_INVALIDCALL;

    useProgram(cache.programs, program->name);
    uploadCommonUniforms(&program->common, state);
    if (program->ffpVertex) gl::uploadFfpVertexUniforms(&program->vertex, key.vertex, state, lights);
    gl::uploadFfpFragmentUniforms(&program->fragment, state);

    // ---- Resources (uploads first: they may bind buffers and textures)
    GLuint streamNames[kMaxStreams];
    uint32_t streamsUsed = 0;
    for (int i = 0; i < layout.elementCount; ++i) streamsUsed |= 1u << layout.elements[i].stream;
    for (int s = 0; s < kMaxStreams; ++s) {
        streamNames[s] = 0;
        if (!(streamsUsed & (1u << s))) continue;
        if (call.upVertices) {
            if (s != 0) return D3DERR_INVALIDCALL;  // UP draws read stream 0 only
            continue;
        }
        streamNames[s] = vertexBufferForDraw(state.streams[s].buffer);
        if (!streamNames[s]) return D3DERR_INVALIDCALL;
    }
    GLuint indexName = 0;
    if (call.indexed && !call.upIndices) {
        D3DFORMAT format = D3DFMT_INDEX16;
        indexName = indexBufferForDraw(state.indices, &format);
        if (!indexName) return D3DERR_INVALIDCALL;
    }
    GLuint textureNames[kMaxTextureStages] = {};
    GLenum textureTargets[kMaxTextureStages] = {};
    for (int i = 0; i < kMaxTextureStages; ++i)
        if (program->stagesSampled & (1u << i)) textureNames[i] = textureForDraw(state.textures[i], &textureTargets[i]);

    applyFixedFunctionGlState(device);

    // ---- Vertex arrays
    glBindVertexArray(cache.vertexArray);
    GLint firstVertex = call.firstVertex;
    GLint baseVertex = call.baseVertex;
    UINT upStride = call.upStride;
    if (call.upVertices) {
        glBindBuffer(GL_ARRAY_BUFFER, ringName(cache.upVertices));
        const GLsizeiptr offset =
            writeRing(cache.upVertices, GL_ARRAY_BUFFER, call.upVertices, call.upVertexBytes, GLsizeiptr(upStride));
        // The ring offset is a whole number of vertices: attributes keep
        // pointing at the ring's start and the draw starts further in.
        firstVertex += GLint(offset / GLsizeiptr(upStride));
        baseVertex += GLint(offset / GLsizeiptr(upStride));
        streamNames[0] = cache.upVertices.name;
    }
    uint32_t enabled = 0;
    for (int i = 0; i < layout.elementCount; ++i) {
        const VertexElement& e = layout.elements[i];
        const GLuint location = attributeLocation(e.inputRegister);
        const AttributeFormat f = formatOf(e.type);
        const UINT stride = call.upVertices ? upStride : state.streams[e.stream].stride;
        glBindBuffer(GL_ARRAY_BUFFER, streamNames[e.stream]);
        glVertexAttribPointer(location, f.size, f.type, f.normalized, GLsizei(stride),
                              reinterpret_cast<const void*>(uintptr_t(e.offset)));
        enabled |= 1u << location;
    }
    for (GLuint location = 0; location < 16; ++location) {
        const uint32_t bit = 1u << location;
        if ((enabled & bit) == (cache.enabledAttributes & bit)) continue;
        if (enabled & bit)
            glEnableVertexAttribArray(location);
        else
            glDisableVertexAttribArray(location);
    }
    cache.enabledAttributes = enabled;

    GLsizeiptr indexOffset = call.indexOffset;
    if (call.indexed) {
        if (call.upIndices) {
            glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ringName(cache.upIndices));
            const GLsizeiptr alignment = call.indexType == GL_UNSIGNED_INT ? 4 : 2;
            indexOffset = writeRing(cache.upIndices, GL_ELEMENT_ARRAY_BUFFER, call.upIndices, call.upIndexBytes, alignment);
        } else {
            glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexName);
        }
    }

    // ---- Textures
    for (int i = 0; i < kMaxTextureStages; ++i) {
        if (!(program->stagesSampled & (1u << i)) || !textureNames[i]) continue;
        glActiveTexture(GL_TEXTURE0 + GLenum(i));
        glBindTexture(textureTargets[i], textureNames[i]);
    }

    if (call.indexed)
        glDrawElementsBaseVertex(call.primitive.mode, call.primitive.vertexCount, call.indexType,
                                 reinterpret_cast<const void*>(uintptr_t(indexOffset)), baseVertex);
    else
        glDrawArrays(call.primitive.mode, firstVertex, call.primitive.vertexCount);
    return D3D_OK;
}

GLenum indexTypeOf(D3DFORMAT format) { return format == D3DFMT_INDEX32 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT; }
GLsizeiptr indexSizeOf(D3DFORMAT format) { return format == D3DFMT_INDEX32 ? 4 : 2; }

}  // namespace

DrawCache* createDrawCache() { return new DrawCache(); }

void destroyDrawCache(DrawCache* cache) {
    if (!cache) return;
    destroyPrograms(cache->programs);
    if (cache->vertexArray) glDeleteVertexArrays(1, &cache->vertexArray);
    if (cache->upVertices.name) glDeleteBuffers(1, &cache->upVertices.name);
    if (cache->upIndices.name) glDeleteBuffers(1, &cache->upIndices.name);
    delete cache;
}

void forgetShader(DrawCache& cache, DWORD handle) {
    forgetShaderPrograms(cache.programs, handle);
    if (cache.layoutShader == handle) cache.layoutValid = false;
}

HRESULT drawPrimitive(Device& device, D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) {
    DrawCall call{};
    if (!primitiveOf(type, primitiveCount, &call.primitive) || startVertex > UINT(INT_MAX)) return D3DERR_INVALIDCALL;
    if (primitiveCount == 0) return D3D_OK;
    call.firstVertex = GLint(startVertex);
    return draw(device, call);
}

HRESULT drawIndexedPrimitive(Device& device, D3DPRIMITIVETYPE type, UINT minIndex, UINT numVertices, UINT startIndex,
                             UINT primitiveCount) {
    (void)minIndex;     // a hint of the vertex range the indices use; GL does not need it
    (void)numVertices;
    DrawCall call{};
    if (!primitiveOf(type, primitiveCount, &call.primitive)) return D3DERR_INVALIDCALL;
    const PipelineState& state = pipelineState(device);
    if (!state.indices || state.baseVertexIndex > UINT(INT_MAX)) return D3DERR_INVALIDCALL;
    if (primitiveCount == 0) return D3D_OK;
    D3DINDEXBUFFER_DESC desc{};
    if (FAILED(state.indices->GetDesc(&desc))) return D3DERR_INVALIDCALL;
    const GLsizeiptr indexSize = indexSizeOf(desc.Format);
    if ((uint64_t(startIndex) + uint64_t(call.primitive.vertexCount)) * uint64_t(indexSize) > desc.Size)
        return D3DERR_INVALIDCALL;  // indices past the end of the buffer
    call.indexed = true;
    call.indexType = indexTypeOf(desc.Format);
    call.indexOffset = GLsizeiptr(startIndex) * indexSize;
    call.baseVertex = GLint(state.baseVertexIndex);
    return draw(device, call);
}

HRESULT drawPrimitiveUP(Device& device, D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertexData,
                        UINT vertexStride) {
    DrawCall call{};
    if (!primitiveOf(type, primitiveCount, &call.primitive) || !vertexData || vertexStride == 0)
        return D3DERR_INVALIDCALL;
    if (primitiveCount == 0) return D3D_OK;
    call.upVertices = vertexData;
    call.upStride = vertexStride;
    call.upVertexBytes = GLsizeiptr(call.primitive.vertexCount) * GLsizeiptr(vertexStride);
    const HRESULT result = draw(device, call);
    unbindAfterUp(device, false);
    return result;
}

HRESULT drawIndexedPrimitiveUP(Device& device, D3DPRIMITIVETYPE type, UINT minVertexIndex, UINT numVertexIndices,
                               UINT primitiveCount, const void* indexData, D3DFORMAT indexFormat,
                               const void* vertexData, UINT vertexStride) {
    DrawCall call{};
    if (!primitiveOf(type, primitiveCount, &call.primitive) || !indexData || !vertexData || vertexStride == 0 ||
        numVertexIndices == 0 || (indexFormat != D3DFMT_INDEX16 && indexFormat != D3DFMT_INDEX32) ||
        minVertexIndex > UINT(INT_MAX))
        return D3DERR_INVALIDCALL;
    if (primitiveCount == 0) return D3D_OK;
    // Only the vertices the indices may name, minVertexIndex onwards, are
    // copied; the base vertex shifts the indices back onto them.
    call.upVertices = static_cast<const BYTE*>(vertexData) + size_t(minVertexIndex) * vertexStride;
    call.upStride = vertexStride;
    call.upVertexBytes = GLsizeiptr(numVertexIndices) * GLsizeiptr(vertexStride);
    call.indexed = true;
    call.indexType = indexTypeOf(indexFormat);
    call.upIndices = indexData;
    call.upIndexBytes = GLsizeiptr(call.primitive.vertexCount) * indexSizeOf(indexFormat);
    call.baseVertex = -GLint(minVertexIndex);
    const HRESULT result = draw(device, call);
    unbindAfterUp(device, true);
    return result;
}

}  // namespace zep::d3d
