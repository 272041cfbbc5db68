// The device's state: Direct3D 8's defaults, every Set/Get method, shaders,
// the draw calls and the device-core half of the draw seam.

#include "d3d8/device.h"

#include "d3d8/format.h"
#include "d3d8/state_block.h"

#include <cstring>

namespace zep::d3d {

namespace {

DWORD floatBits(float value) {
    DWORD bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

D3DMATRIX identityMatrix() {
    D3DMATRIX m{};
    m._11 = m._22 = m._33 = m._44 = 1.0f;
    return m;
}

// Direct3D's light for LightEnable on an index SetLight never defined.
D3DLIGHT8 defaultLight() {
    D3DLIGHT8 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = D3DCOLORVALUE{1.0f, 1.0f, 1.0f, 0.0f};
    light.Direction = D3DVECTOR{0.0f, 0.0f, 1.0f};
    return light;
}

TextureKind kindOf(IDirect3DBaseTexture8* texture) {
    if (!texture) return TextureKind::None;
    switch (texture->GetType()) {
    case D3DRTYPE_VOLUMETEXTURE: return TextureKind::Volume;
    case D3DRTYPE_CUBETEXTURE: return TextureKind::Cube;
    default: return TextureKind::Texture2D;
    }
}

// Token counts of shader streams, END token included.
size_t declarationLength(const DWORD* tokens) {
    size_t i = 0;
    while (tokens[i] != D3DVSD_END()) {
        const DWORD kind = (tokens[i] & D3DVSD_TOKENTYPEMASK) >> D3DVSD_TOKENTYPESHIFT;
        if (kind == D3DVSD_TOKEN_CONSTMEM) {
            i += 1 + 4 * ((tokens[i] & D3DVSD_CONSTCOUNTMASK) >> D3DVSD_CONSTCOUNTSHIFT);
        } else if (kind == D3DVSD_TOKEN_EXT) {
            i += 1 + ((tokens[i] & D3DVSD_EXTCOUNTMASK) >> D3DVSD_EXTCOUNTSHIFT);
        } else {
            ++i;
        }
        if (i > 4096) return 0;  // no END in sight: refuse
    }
    return i + 1;
}

size_t functionLength(const DWORD* tokens) {
    size_t i = 1;  // the version token
    while (tokens[i] != D3DVS_END()) {
        if ((tokens[i] & D3DSI_OPCODE_MASK) == D3DSIO_COMMENT) {
            i += 1 + ((tokens[i] & D3DSI_COMMENTSIZE_MASK) >> D3DSI_COMMENTSIZE_SHIFT);
        } else {
            ++i;
        }
        if (i > 65536) return 0;
    }
    return i + 1;
}

HRESULT copyTokens(const std::vector<DWORD>& tokens, void* data, DWORD* size) {
    if (!size) return D3DERR_INVALIDCALL;
    const DWORD bytes = DWORD(tokens.size() * sizeof(DWORD));
    if (!data) {
        *size = bytes;
        return D3D_OK;
    }
    if (*size < bytes) {
        *size = bytes;
        return D3DERR_MOREDATA;
    }
    std::memcpy(data, tokens.data(), bytes);
    *size = bytes;
    return D3D_OK;
}

}  // namespace

// ---- Defaults ------------------------------------------------------------------

void Device::resetStateToDefaults() {
    unbindEverything();
    PipelineState& s = state_;
    std::memset(static_cast<void*>(&s), 0, sizeof s);
    DWORD* rs = s.renderStates;
    rs[D3DRS_ZENABLE] = params_.EnableAutoDepthStencil ? D3DZB_TRUE : D3DZB_FALSE;
    rs[D3DRS_FILLMODE] = D3DFILL_SOLID;
    rs[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
    rs[D3DRS_ZWRITEENABLE] = TRUE;
    rs[D3DRS_LASTPIXEL] = TRUE;
    rs[D3DRS_SRCBLEND] = D3DBLEND_ONE;
    rs[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
    rs[D3DRS_CULLMODE] = D3DCULL_CCW;
    rs[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
    rs[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
    rs[D3DRS_FOGSTART] = floatBits(0.0f);
    rs[D3DRS_FOGEND] = floatBits(1.0f);
    rs[D3DRS_FOGDENSITY] = floatBits(1.0f);
    rs[D3DRS_STENCILFAIL] = D3DSTENCILOP_KEEP;
    rs[D3DRS_STENCILZFAIL] = D3DSTENCILOP_KEEP;
    rs[D3DRS_STENCILPASS] = D3DSTENCILOP_KEEP;
    rs[D3DRS_STENCILFUNC] = D3DCMP_ALWAYS;
    rs[D3DRS_STENCILMASK] = 0xFFFFFFFFu;
    rs[D3DRS_STENCILWRITEMASK] = 0xFFFFFFFFu;
    rs[D3DRS_TEXTUREFACTOR] = 0xFFFFFFFFu;
    rs[D3DRS_CLIPPING] = TRUE;
    rs[D3DRS_LIGHTING] = TRUE;
    rs[D3DRS_COLORVERTEX] = TRUE;
    rs[D3DRS_LOCALVIEWER] = TRUE;
    rs[D3DRS_DIFFUSEMATERIALSOURCE] = D3DMCS_COLOR1;
    rs[D3DRS_SPECULARMATERIALSOURCE] = D3DMCS_COLOR2;
    rs[D3DRS_AMBIENTMATERIALSOURCE] = D3DMCS_MATERIAL;
    rs[D3DRS_EMISSIVEMATERIALSOURCE] = D3DMCS_MATERIAL;
    rs[D3DRS_SOFTWAREVERTEXPROCESSING] = (creation_.BehaviorFlags & D3DCREATE_SOFTWARE_VERTEXPROCESSING) ? TRUE : FALSE;
    rs[D3DRS_POINTSIZE] = floatBits(1.0f);
    rs[D3DRS_POINTSIZE_MIN] = floatBits(0.0f);
    rs[D3DRS_POINTSCALE_A] = floatBits(1.0f);
    rs[D3DRS_POINTSCALE_B] = floatBits(0.0f);
    rs[D3DRS_POINTSCALE_C] = floatBits(0.0f);
    rs[D3DRS_MULTISAMPLEANTIALIAS] = TRUE;
    rs[D3DRS_MULTISAMPLEMASK] = 0xFFFFFFFFu;
    rs[D3DRS_PATCHSEGMENTS] = floatBits(1.0f);
    rs[D3DRS_POINTSIZE_MAX] = floatBits(64.0f);
    rs[D3DRS_COLORWRITEENABLE] = 0xF;
    rs[D3DRS_TWEENFACTOR] = floatBits(0.0f);
    rs[D3DRS_BLENDOP] = D3DBLENDOP_ADD;
    rs[D3DRS_POSITIONORDER] = D3DORDER_CUBIC;
    rs[D3DRS_NORMALORDER] = D3DORDER_LINEAR;

    for (int stage = 0; stage < kMaxTextureStages; ++stage) {
        DWORD* ts = s.stageStates[stage];
        ts[D3DTSS_COLOROP] = stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
        ts[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
        ts[D3DTSS_COLORARG2] = D3DTA_CURRENT;
        ts[D3DTSS_ALPHAOP] = stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
        ts[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
        ts[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
        ts[D3DTSS_TEXCOORDINDEX] = DWORD(stage);
        ts[D3DTSS_ADDRESSU] = D3DTADDRESS_WRAP;
        ts[D3DTSS_ADDRESSV] = D3DTADDRESS_WRAP;
        ts[D3DTSS_ADDRESSW] = D3DTADDRESS_WRAP;
        ts[D3DTSS_MAGFILTER] = D3DTEXF_POINT;
        ts[D3DTSS_MINFILTER] = D3DTEXF_POINT;
        ts[D3DTSS_MIPFILTER] = D3DTEXF_NONE;
        ts[D3DTSS_MAXANISOTROPY] = 1;
        ts[D3DTSS_COLORARG0] = D3DTA_CURRENT;
        ts[D3DTSS_ALPHAARG0] = D3DTA_CURRENT;
        ts[D3DTSS_RESULTARG] = D3DTA_CURRENT;
        s.texture[stage] = identityMatrix();
    }
    s.world = s.view = s.projection = identityMatrix();
    s.viewport = D3DVIEWPORT8{0, 0, renderTarget_->desc().Width, renderTarget_->desc().Height, 0.0f, 1.0f};
}

PipelineState& Device::target() { return recording_ ? recording_->values : state_; }

// ---- Bindings with references ----------------------------------------------------

namespace {

DeviceChild* childOf(IDirect3DBaseTexture8* texture) {
    if (!texture) return nullptr;
    if (texture->GetType() == D3DRTYPE_VOLUMETEXTURE)
        return static_cast<VolumeTexture*>(static_cast<IDirect3DVolumeTexture8*>(texture));
    return static_cast<Texture*>(static_cast<IDirect3DTexture8*>(texture));
}

}  // namespace

void bindChild(IDirect3DBaseTexture8* texture) {
    if (DeviceChild* child = childOf(texture)) child->bind();
}
void unbindChild(IDirect3DBaseTexture8* texture) {
    if (DeviceChild* child = childOf(texture)) child->unbind();
}
void bindChild(IDirect3DVertexBuffer8* buffer) {
    if (buffer) static_cast<VertexBuffer*>(buffer)->bind();
}
void unbindChild(IDirect3DVertexBuffer8* buffer) {
    if (buffer) static_cast<VertexBuffer*>(buffer)->unbind();
}
void bindChild(IDirect3DIndexBuffer8* buffer) {
    if (buffer) static_cast<IndexBuffer*>(buffer)->bind();
}
void unbindChild(IDirect3DIndexBuffer8* buffer) {
    if (buffer) static_cast<IndexBuffer*>(buffer)->unbind();
}

void unbindAfterUp(Device& device, bool indices) {
    PipelineState& state = mutablePipelineState(device);
    unbindChild(state.streams[0].buffer);
    state.streams[0] = StreamBinding{nullptr, 0};
    if (!indices) return;
    unbindChild(state.indices);
    state.indices = nullptr;
    state.baseVertexIndex = 0;
}

void Device::bindTexture(DWORD stage, IDirect3DBaseTexture8* texture) {
    IDirect3DBaseTexture8*& slot = state_.textures[stage];
    if (slot == texture) return;
    bindChild(texture);
    unbindChild(slot);
    slot = texture;
    state_.textureKinds[stage] = kindOf(texture);
}

void Device::bindStream(UINT stream, IDirect3DVertexBuffer8* buffer, UINT stride) {
    StreamBinding& slot = state_.streams[stream];
    slot.stride = stride;
    if (slot.buffer == buffer) return;
    bindChild(buffer);
    unbindChild(slot.buffer);
    slot.buffer = buffer;
}

void Device::bindIndices(IDirect3DIndexBuffer8* buffer, UINT base) {
    state_.baseVertexIndex = base;
    if (state_.indices == buffer) return;
    bindChild(buffer);
    unbindChild(state_.indices);
    state_.indices = buffer;
}

// ---- Transforms, viewport, material, lights, clip planes ---------------------------

namespace {

D3DMATRIX* transformSlot(PipelineState& s, D3DTRANSFORMSTATETYPE type) {
    if (type == D3DTS_VIEW) return &s.view;
    if (type == D3DTS_PROJECTION) return &s.projection;
    if (type >= D3DTS_TEXTURE0 && type <= D3DTS_TEXTURE7) return &s.texture[type - D3DTS_TEXTURE0];
    if (type == D3DTS_WORLD) return &s.world;
    return nullptr;
}

void markTransform(StateMask& mask, D3DTRANSFORMSTATETYPE type) {
    if (type == D3DTS_VIEW) mask.view = true;
    else if (type == D3DTS_PROJECTION) mask.projection = true;
    else if (type >= D3DTS_TEXTURE0 && type <= D3DTS_TEXTURE7) mask.textureTransforms[type - D3DTS_TEXTURE0] = true;
    else mask.world = true;
}

D3DMATRIX multiply(const D3DMATRIX& a, const D3DMATRIX& b) {
    D3DMATRIX r{};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) sum += a.m[i][k] * b.m[k][j];
            r.m[i][j] = sum;
        }
    return r;
}

}  // namespace

HRESULT Device::SetTransform(D3DTRANSFORMSTATETYPE type, const D3DMATRIX* matrix) {
    D3DMATRIX* slot = transformSlot(target(), type);
    if (!matrix) return D3DERR_INVALIDCALL;
    // World matrices 1..255 exist in Direct3D but blend only with vertex
    // blending, which the caps do not offer: they are accepted and ignored.
    if (!slot) return (type > D3DTS_WORLD && type <= D3DTS_WORLDMATRIX(255)) ? D3D_OK : D3DERR_INVALIDCALL;
    *slot = *matrix;
    if (recording_) markTransform(recording_->mask, type);
    return D3D_OK;
}

HRESULT Device::GetTransform(D3DTRANSFORMSTATETYPE type, D3DMATRIX* matrix) {
    D3DMATRIX* slot = transformSlot(state_, type);
    if (!matrix || !slot) return D3DERR_INVALIDCALL;
    *matrix = *slot;
    return D3D_OK;
}

HRESULT Device::MultiplyTransform(D3DTRANSFORMSTATETYPE type, const D3DMATRIX* matrix) {
    D3DMATRIX* slot = transformSlot(target(), type);
    if (!matrix || !slot) return D3DERR_INVALIDCALL;
    // The new matrix applies first: M' = matrix * M.
    *slot = multiply(*matrix, *transformSlot(state_, type));
    if (recording_) markTransform(recording_->mask, type);
    return D3D_OK;
}

HRESULT Device::SetViewport(const D3DVIEWPORT8* viewport) {
    if (!viewport) return D3DERR_INVALIDCALL;
    const D3DSURFACE_DESC& rt = renderTarget_->desc();
    if (viewport->Width == 0 || viewport->Height == 0 || viewport->X + viewport->Width > rt.Width ||
        viewport->Y + viewport->Height > rt.Height || viewport->MinZ < 0.0f || viewport->MaxZ > 1.0f ||
        viewport->MinZ > viewport->MaxZ)
        return D3DERR_INVALIDCALL;
    target().viewport = *viewport;
    if (recording_) recording_->mask.viewport = true;
    return D3D_OK;
}

HRESULT Device::GetViewport(D3DVIEWPORT8* viewport) {
    if (!viewport) return D3DERR_INVALIDCALL;
    *viewport = state_.viewport;
    return D3D_OK;
}

HRESULT Device::SetMaterial(const D3DMATERIAL8* material) {
    if (!material) return D3DERR_INVALIDCALL;
    target().material = *material;
    if (recording_) recording_->mask.material = true;
    return D3D_OK;
}

HRESULT Device::GetMaterial(D3DMATERIAL8* material) {
    if (!material) return D3DERR_INVALIDCALL;
    *material = state_.material;
    return D3D_OK;
}

HRESULT Device::SetLight(DWORD index, const D3DLIGHT8* light) {
    if (!light || index >= DWORD(kMaxLightIndex)) return D3DERR_INVALIDCALL;
    if (light->Type < D3DLIGHT_POINT || light->Type > D3DLIGHT_DIRECTIONAL) return D3DERR_INVALIDCALL;
    LightSlot& slot = target().lights[index];
    slot.light = *light;
    slot.defined = true;
    if (recording_) recording_->mask.lights.set(index);
    return D3D_OK;
}

HRESULT Device::GetLight(DWORD index, D3DLIGHT8* light) {
    if (!light || index >= DWORD(kMaxLightIndex) || !state_.lights[index].defined) return D3DERR_INVALIDCALL;
    *light = state_.lights[index].light;
    return D3D_OK;
}

HRESULT Device::LightEnable(DWORD index, BOOL enable) {
    if (index >= DWORD(kMaxLightIndex)) return D3DERR_INVALIDCALL;
    LightSlot& slot = target().lights[index];
    if (!slot.defined && !state_.lights[index].defined) {
        slot.light = defaultLight();
        slot.defined = true;
    }
    slot.enabled = enable != FALSE;
    if (recording_) recording_->mask.lightEnables.set(index);
    return D3D_OK;
}

HRESULT Device::GetLightEnable(DWORD index, BOOL* enable) {
    if (!enable || index >= DWORD(kMaxLightIndex) || !state_.lights[index].defined) return D3DERR_INVALIDCALL;
    *enable = state_.lights[index].enabled ? TRUE : FALSE;
    return D3D_OK;
}

HRESULT Device::SetClipPlane(DWORD index, const float* plane) {
    if (!plane || index >= DWORD(kMaxClipPlanes)) return D3DERR_INVALIDCALL;
    std::memcpy(target().clipPlanes[index], plane, sizeof(float) * 4);
    if (recording_) recording_->mask.clipPlanes[index] = true;
    return D3D_OK;
}

HRESULT Device::GetClipPlane(DWORD index, float* plane) {
    if (!plane || index >= DWORD(kMaxClipPlanes)) return D3DERR_INVALIDCALL;
    std::memcpy(plane, state_.clipPlanes[index], sizeof(float) * 4);
    return D3D_OK;
}

// ---- Render and texture-stage states ---------------------------------------------------

HRESULT Device::SetRenderState(D3DRENDERSTATETYPE type, DWORD value) {
    if (DWORD(type) >= DWORD(kRenderStateCount)) return D3DERR_INVALIDCALL;
    target().renderStates[type] = value;
    if (recording_) recording_->mask.renderStates.set(type);
    return D3D_OK;
}

HRESULT Device::GetRenderState(D3DRENDERSTATETYPE type, DWORD* value) {
    if (!value || DWORD(type) >= DWORD(kRenderStateCount)) return D3DERR_INVALIDCALL;
    *value = state_.renderStates[type];
    return D3D_OK;
}

HRESULT Device::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
    if (stage >= DWORD(kMaxTextureStages) || DWORD(type) >= DWORD(kStageStateCount)) return D3DERR_INVALIDCALL;
    target().stageStates[stage][type] = value;
    if (recording_) recording_->mask.stageStates[stage].set(type);
    return D3D_OK;
}

HRESULT Device::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) {
    if (!value || stage >= DWORD(kMaxTextureStages) || DWORD(type) >= DWORD(kStageStateCount))
        return D3DERR_INVALIDCALL;
    *value = state_.stageStates[stage][type];
    return D3D_OK;
}

// ---- Textures, streams, indices -----------------------------------------------------------

HRESULT Device::SetTexture(DWORD stage, IDirect3DBaseTexture8* texture) {
    if (stage >= DWORD(kMaxTextureStages)) return D3DERR_INVALIDCALL;
    if (recording_) {
        recording_->holdTexture(stage, texture);
        return D3D_OK;
    }
    bindTexture(stage, texture);
    return D3D_OK;
}

HRESULT Device::GetTexture(DWORD stage, IDirect3DBaseTexture8** texture) {
    if (!texture || stage >= DWORD(kMaxTextureStages)) return D3DERR_INVALIDCALL;
    *texture = state_.textures[stage];
    if (*texture) (*texture)->AddRef();
    return D3D_OK;
}

HRESULT Device::SetStreamSource(UINT stream, IDirect3DVertexBuffer8* buffer, UINT stride) {
    if (stream >= UINT(kMaxStreams)) return D3DERR_INVALIDCALL;
    if (recording_) {
        recording_->holdStream(stream, buffer, stride);
        return D3D_OK;
    }
    bindStream(stream, buffer, stride);
    return D3D_OK;
}

HRESULT Device::GetStreamSource(UINT stream, IDirect3DVertexBuffer8** buffer, UINT* stride) {
    if (!buffer || !stride || stream >= UINT(kMaxStreams)) return D3DERR_INVALIDCALL;
    *buffer = state_.streams[stream].buffer;
    *stride = state_.streams[stream].stride;
    if (*buffer) (*buffer)->AddRef();
    return D3D_OK;
}

HRESULT Device::SetIndices(IDirect3DIndexBuffer8* buffer, UINT baseVertex) {
    if (recording_) {
        recording_->holdIndices(buffer, baseVertex);
        return D3D_OK;
    }
    bindIndices(buffer, baseVertex);
    return D3D_OK;
}

HRESULT Device::GetIndices(IDirect3DIndexBuffer8** buffer, UINT* baseVertex) {
    if (!buffer || !baseVertex) return D3DERR_INVALIDCALL;
    *buffer = state_.indices;
    *baseVertex = state_.baseVertexIndex;
    if (*buffer) (*buffer)->AddRef();
    return D3D_OK;
}

// ---- Shaders -------------------------------------------------------------------------------

HRESULT Device::CreateVertexShader(const DWORD* declaration, const DWORD* function, DWORD* handle, DWORD usage) {
    if (!declaration || !handle) return D3DERR_INVALIDCALL;
    const size_t declarationTokens = declarationLength(declaration);
    if (declarationTokens == 0) return D3DERR_INVALIDCALL;
    VertexShaderRecord record;
    record.declaration.assign(declaration, declaration + declarationTokens);
    if (function) {
        const DWORD version = function[0];
        if ((version & 0xFFFF0000u) != 0xFFFE0000u || D3DSHADER_VERSION_MAJOR(version) != 1 ||
            D3DSHADER_VERSION_MINOR(version) > 1)
            return D3DERR_INVALIDCALL;
        const size_t functionTokens = functionLength(function);
        if (functionTokens == 0) return D3DERR_INVALIDCALL;
        record.function.assign(function, function + functionTokens);
    }
    record.usage = usage;
    const DWORD id = shaderHandleFromIndex(nextShader_++);
    vertexShaders_.emplace(id, std::move(record));
    *handle = id;
    return D3D_OK;
}

HRESULT Device::SetVertexShader(DWORD handle) {
    if ((handle & 1u) && !vertexShaders_.count(handle)) return D3DERR_INVALIDCALL;
    target().vertexShader = handle;
    if (recording_) recording_->mask.vertexShader = true;
    return D3D_OK;
}

HRESULT Device::GetVertexShader(DWORD* handle) {
    if (!handle) return D3DERR_INVALIDCALL;
    *handle = state_.vertexShader;
    return D3D_OK;
}

HRESULT Device::DeleteVertexShader(DWORD handle) {
    auto found = vertexShaders_.find(handle);
    if (found == vertexShaders_.end()) return D3DERR_INVALIDCALL;
    if (drawCache_) forgetShader(*drawCache_, handle);
    vertexShaders_.erase(found);
    if (state_.vertexShader == handle) state_.vertexShader = 0;
    return D3D_OK;
}

HRESULT Device::SetVertexShaderConstant(DWORD reg, const void* data, DWORD count) {
    if (!data || reg >= DWORD(kMaxVertexShaderConstants) || count > DWORD(kMaxVertexShaderConstants) - reg)
        return D3DERR_INVALIDCALL;
    std::memcpy(target().vertexShaderConstants[reg], data, size_t(count) * 4 * sizeof(float));
    if (recording_)
        for (DWORD i = 0; i < count; ++i) recording_->mask.vertexConstants.set(reg + i);
    return D3D_OK;
}

HRESULT Device::GetVertexShaderConstant(DWORD reg, void* data, DWORD count) {
    if (!data || reg >= DWORD(kMaxVertexShaderConstants) || count > DWORD(kMaxVertexShaderConstants) - reg)
        return D3DERR_INVALIDCALL;
    std::memcpy(data, state_.vertexShaderConstants[reg], size_t(count) * 4 * sizeof(float));
    return D3D_OK;
}

HRESULT Device::GetVertexShaderDeclaration(DWORD handle, void* data, DWORD* size) {
    auto found = vertexShaders_.find(handle);
    if (found == vertexShaders_.end()) return D3DERR_INVALIDCALL;
    return copyTokens(found->second.declaration, data, size);
}

HRESULT Device::GetVertexShaderFunction(DWORD handle, void* data, DWORD* size) {
    auto found = vertexShaders_.find(handle);
    if (found == vertexShaders_.end()) return D3DERR_INVALIDCALL;
    return copyTokens(found->second.function, data, size);
}

HRESULT Device::CreatePixelShader(const DWORD* function, DWORD* handle) {
    if (!function || !handle) return D3DERR_INVALIDCALL;
    const DWORD version = function[0];
    if ((version & 0xFFFF0000u) != 0xFFFF0000u || D3DSHADER_VERSION_MAJOR(version) != 1 ||
        D3DSHADER_VERSION_MINOR(version) > 1)
        return D3DERR_INVALIDCALL;
    const size_t tokens = functionLength(function);
    if (tokens == 0) return D3DERR_INVALIDCALL;
    const DWORD id = shaderHandleFromIndex(nextShader_++);
    pixelShaders_.emplace(id, std::vector<DWORD>(function, function + tokens));
    *handle = id;
    return D3D_OK;
}

HRESULT Device::SetPixelShader(DWORD handle) {
    if (handle != 0 && !pixelShaders_.count(handle)) return D3DERR_INVALIDCALL;
    target().pixelShader = handle;
    if (recording_) recording_->mask.pixelShader = true;
    return D3D_OK;
}

HRESULT Device::GetPixelShader(DWORD* handle) {
    if (!handle) return D3DERR_INVALIDCALL;
    *handle = state_.pixelShader;
    return D3D_OK;
}

HRESULT Device::DeletePixelShader(DWORD handle) {
    auto found = pixelShaders_.find(handle);
    if (found == pixelShaders_.end()) return D3DERR_INVALIDCALL;
    if (drawCache_) forgetShader(*drawCache_, handle);
    pixelShaders_.erase(found);
    if (state_.pixelShader == handle) state_.pixelShader = 0;
    return D3D_OK;
}

HRESULT Device::SetPixelShaderConstant(DWORD reg, const void* data, DWORD count) {
    if (!data || reg >= DWORD(kMaxPixelShaderConstants) || count > DWORD(kMaxPixelShaderConstants) - reg)
        return D3DERR_INVALIDCALL;
    std::memcpy(target().pixelShaderConstants[reg], data, size_t(count) * 4 * sizeof(float));
    if (recording_)
        for (DWORD i = 0; i < count; ++i) recording_->mask.pixelConstants.set(reg + i);
    return D3D_OK;
}

HRESULT Device::GetPixelShaderConstant(DWORD reg, void* data, DWORD count) {
    if (!data || reg >= DWORD(kMaxPixelShaderConstants) || count > DWORD(kMaxPixelShaderConstants) - reg)
        return D3DERR_INVALIDCALL;
    std::memcpy(data, state_.pixelShaderConstants[reg], size_t(count) * 4 * sizeof(float));
    return D3D_OK;
}

HRESULT Device::GetPixelShaderFunction(DWORD handle, void* data, DWORD* size) {
    auto found = pixelShaders_.find(handle);
    if (found == pixelShaders_.end()) return D3DERR_INVALIDCALL;
    return copyTokens(found->second, data, size);
}

// ---- Draw calls ------------------------------------------------------------------------------
// The draw path (draw.cpp) turns them into GL work.

HRESULT Device::DrawPrimitive(D3DPRIMITIVETYPE type, UINT start, UINT count) {
    if (!makeCurrent()) return D3DERR_INVALIDCALL;
    return drawPrimitive(*this, type, start, count);
}

HRESULT Device::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertices, UINT start, UINT count) {
    if (!makeCurrent()) return D3DERR_INVALIDCALL;
    return drawIndexedPrimitive(*this, type, minIndex, vertices, start, count);
}

HRESULT Device::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT count, const void* data, UINT stride) {
    if (!makeCurrent()) return D3DERR_INVALIDCALL;
    return drawPrimitiveUP(*this, type, count, data, stride);
}

HRESULT Device::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertices, UINT count,
                                       const void* indices, D3DFORMAT indexFormat, const void* data, UINT stride) {
    if (!makeCurrent()) return D3DERR_INVALIDCALL;
    return drawIndexedPrimitiveUP(*this, type, minIndex, vertices, count, indices, indexFormat, data, stride);
}

// ---- The device-core half of the draw seam --------------------------------------------------------

const PipelineState& pipelineState(const Device& device) { return const_cast<Device&>(device).state(); }

PipelineState& mutablePipelineState(Device& device) { return device.state(); }

GLuint vertexBufferForDraw(IDirect3DVertexBuffer8* buffer) {
    return buffer ? static_cast<VertexBuffer*>(buffer)->uploadForDraw() : 0;
}

GLuint indexBufferForDraw(IDirect3DIndexBuffer8* buffer, D3DFORMAT* format) {
    if (!buffer) return 0;
    auto* indices = static_cast<IndexBuffer*>(buffer);
    if (format) *format = indices->format();
    return indices->uploadForDraw();
}

GLuint textureForDraw(IDirect3DBaseTexture8* texture, GLenum* target) {
    if (!texture) return 0;
    if (texture->GetType() == D3DRTYPE_VOLUMETEXTURE) {
        if (target) *target = GL_TEXTURE_3D;
        return static_cast<VolumeTexture*>(static_cast<IDirect3DVolumeTexture8*>(texture))->uploadForDraw();
    }
    if (target) *target = GL_TEXTURE_2D;
    return static_cast<Texture*>(static_cast<IDirect3DTexture8*>(texture))->uploadForDraw();
}

const VertexShaderRecord* findVertexShader(const Device& device, DWORD handle) {
    auto& shaders = const_cast<Device&>(device).vertexShaders();
    auto found = shaders.find(handle);
    return found == shaders.end() ? nullptr : &found->second;
}

const std::vector<DWORD>* findPixelShader(const Device& device, DWORD handle) {
    auto& shaders = const_cast<Device&>(device).pixelShaders();
    auto found = shaders.find(handle);
    return found == shaders.end() ? nullptr : &found->second;
}

DrawCache& drawCache(Device& device) { return *device.drawCacheOrNull(); }

}  // namespace zep::d3d
