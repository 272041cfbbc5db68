// State blocks: BeginStateBlock/EndStateBlock record what the host sets;
// CreateStateBlock selects a fixed set of states and captures them.

#include "d3d8/state_block.h"

#include "d3d8/device.h"

#include <cstring>

namespace zep::d3d {

namespace {

// Render states that belong to D3DSBT_PIXELSTATE.
constexpr D3DRENDERSTATETYPE kPixelRenderStates[] = {
    D3DRS_ZENABLE, D3DRS_FILLMODE, D3DRS_SHADEMODE, D3DRS_LINEPATTERN, D3DRS_ZWRITEENABLE, D3DRS_ALPHATESTENABLE,
    D3DRS_LASTPIXEL, D3DRS_SRCBLEND, D3DRS_DESTBLEND, D3DRS_ZFUNC, D3DRS_ALPHAREF, D3DRS_ALPHAFUNC,
    D3DRS_DITHERENABLE, D3DRS_FOGSTART, D3DRS_FOGEND, D3DRS_FOGDENSITY, D3DRS_ALPHABLENDENABLE, D3DRS_ZBIAS,
    D3DRS_STENCILENABLE, D3DRS_STENCILFAIL, D3DRS_STENCILZFAIL, D3DRS_STENCILPASS, D3DRS_STENCILFUNC,
    D3DRS_STENCILREF, D3DRS_STENCILMASK, D3DRS_STENCILWRITEMASK, D3DRS_TEXTUREFACTOR, D3DRS_WRAP0, D3DRS_WRAP1,
    D3DRS_WRAP2, D3DRS_WRAP3, D3DRS_WRAP4, D3DRS_WRAP5, D3DRS_WRAP6, D3DRS_WRAP7, D3DRS_COLORWRITEENABLE,
    D3DRS_BLENDOP, D3DRS_EDGEANTIALIAS};

// Render states that belong to D3DSBT_VERTEXSTATE.
constexpr D3DRENDERSTATETYPE kVertexRenderStates[] = {
    D3DRS_SHADEMODE, D3DRS_SPECULARENABLE, D3DRS_CULLMODE, D3DRS_FOGENABLE, D3DRS_FOGCOLOR, D3DRS_FOGTABLEMODE,
    D3DRS_FOGSTART, D3DRS_FOGEND, D3DRS_FOGDENSITY, D3DRS_RANGEFOGENABLE, D3DRS_AMBIENT, D3DRS_COLORVERTEX,
    D3DRS_FOGVERTEXMODE, D3DRS_CLIPPING, D3DRS_LIGHTING, D3DRS_NORMALIZENORMALS, D3DRS_LOCALVIEWER,
    D3DRS_EMISSIVEMATERIALSOURCE, D3DRS_AMBIENTMATERIALSOURCE, D3DRS_DIFFUSEMATERIALSOURCE,
    D3DRS_SPECULARMATERIALSOURCE, D3DRS_VERTEXBLEND, D3DRS_CLIPPLANEENABLE, D3DRS_SOFTWAREVERTEXPROCESSING,
    D3DRS_POINTSIZE, D3DRS_POINTSIZE_MIN, D3DRS_POINTSPRITEENABLE, D3DRS_POINTSCALEENABLE, D3DRS_POINTSCALE_A,
    D3DRS_POINTSCALE_B, D3DRS_POINTSCALE_C, D3DRS_MULTISAMPLEANTIALIAS, D3DRS_MULTISAMPLEMASK,
    D3DRS_PATCHEDGESTYLE, D3DRS_PATCHSEGMENTS, D3DRS_POINTSIZE_MAX, D3DRS_INDEXEDVERTEXBLENDENABLE,
    D3DRS_TWEENFACTOR, D3DRS_POSITIONORDER, D3DRS_NORMALORDER};

bool isVertexStageState(int type) { return type == D3DTSS_TEXCOORDINDEX || type == D3DTSS_TEXTURETRANSFORMFLAGS; }

}  // namespace

void StateBlock::selectType(D3DSTATEBLOCKTYPE type) {
    const bool all = type == D3DSBT_ALL;
    const bool pixel = all || type == D3DSBT_PIXELSTATE;
    const bool vertex = all || type == D3DSBT_VERTEXSTATE;
    if (all) {
        mask.renderStates.set();
        for (auto& stage : mask.stageStates) stage.set();
        mask.world = mask.view = mask.projection = true;
        for (bool& t : mask.textureTransforms) t = true;
        mask.material = true;
        mask.viewport = true;
        for (bool& p : mask.clipPlanes) p = true;
        for (bool& t : mask.textures) t = true;
        for (bool& s : mask.streams) s = true;
        mask.indices = true;
    }
    if (pixel) {
        for (D3DRENDERSTATETYPE rs : kPixelRenderStates) mask.renderStates.set(rs);
        for (auto& stage : mask.stageStates)
            for (int t = 0; t < kStageStateCount; ++t)
                if (!isVertexStageState(t)) stage.set(t);
        mask.pixelShader = true;
        mask.pixelConstants.set();
    }
    if (vertex) {
        for (D3DRENDERSTATETYPE rs : kVertexRenderStates) mask.renderStates.set(rs);
        for (auto& stage : mask.stageStates) {
            stage.set(D3DTSS_TEXCOORDINDEX);
            stage.set(D3DTSS_TEXTURETRANSFORMFLAGS);
        }
        mask.lights.set();
        mask.lightEnables.set();
        mask.vertexShader = true;
        mask.vertexConstants.set();
    }
}

void StateBlock::holdTexture(DWORD stage, IDirect3DBaseTexture8* texture) {
    bindChild(texture);
    if (mask.textures[stage]) unbindChild(values.textures[stage]);
    values.textures[stage] = texture;
    mask.textures[stage] = true;
}

void StateBlock::holdStream(UINT stream, IDirect3DVertexBuffer8* buffer, UINT stride) {
    bindChild(buffer);
    if (mask.streams[stream]) unbindChild(values.streams[stream].buffer);
    values.streams[stream] = StreamBinding{buffer, stride};
    mask.streams[stream] = true;
}

void StateBlock::holdIndices(IDirect3DIndexBuffer8* buffer, UINT base) {
    bindChild(buffer);
    if (mask.indices) unbindChild(values.indices);
    values.indices = buffer;
    values.baseVertexIndex = base;
    mask.indices = true;
}

void StateBlock::releaseBindings() {
    for (int i = 0; i < kMaxTextureStages; ++i)
        if (mask.textures[i]) unbindChild(values.textures[i]);
    for (int i = 0; i < kMaxStreams; ++i)
        if (mask.streams[i]) unbindChild(values.streams[i].buffer);
    if (mask.indices) unbindChild(values.indices);
    for (int i = 0; i < kMaxTextureStages; ++i) values.textures[i] = nullptr;
    for (int i = 0; i < kMaxStreams; ++i) values.streams[i].buffer = nullptr;
    values.indices = nullptr;
}

void StateBlock::capture(Device& device) {
    const PipelineState& s = device.state();
    for (int i = 0; i < kRenderStateCount; ++i)
        if (mask.renderStates[i]) values.renderStates[i] = s.renderStates[i];
    for (int stage = 0; stage < kMaxTextureStages; ++stage)
        for (int t = 0; t < kStageStateCount; ++t)
            if (mask.stageStates[stage][t]) values.stageStates[stage][t] = s.stageStates[stage][t];
    if (mask.world) values.world = s.world;
    if (mask.view) values.view = s.view;
    if (mask.projection) values.projection = s.projection;
    for (int i = 0; i < kMaxTextureStages; ++i)
        if (mask.textureTransforms[i]) values.texture[i] = s.texture[i];
    if (mask.material) values.material = s.material;
    for (int i = 0; i < kMaxLightIndex; ++i) {
        if (mask.lights[i]) {
            values.lights[i].light = s.lights[i].light;
            values.lights[i].defined = s.lights[i].defined;
        }
        if (mask.lightEnables[i]) values.lights[i].enabled = s.lights[i].enabled;
    }
    if (mask.viewport) values.viewport = s.viewport;
    for (int i = 0; i < kMaxClipPlanes; ++i)
        if (mask.clipPlanes[i]) std::memcpy(values.clipPlanes[i], s.clipPlanes[i], sizeof s.clipPlanes[i]);
    for (int i = 0; i < kMaxTextureStages; ++i)
        if (mask.textures[i]) holdTexture(DWORD(i), s.textures[i]);
    for (int i = 0; i < kMaxStreams; ++i)
        if (mask.streams[i]) holdStream(UINT(i), s.streams[i].buffer, s.streams[i].stride);
    if (mask.indices) holdIndices(s.indices, s.baseVertexIndex);
    if (mask.vertexShader) values.vertexShader = s.vertexShader;
    if (mask.pixelShader) values.pixelShader = s.pixelShader;
    for (int i = 0; i < kMaxVertexShaderConstants; ++i)
        if (mask.vertexConstants[i])
            std::memcpy(values.vertexShaderConstants[i], s.vertexShaderConstants[i], sizeof(float) * 4);
    for (int i = 0; i < kMaxPixelShaderConstants; ++i)
        if (mask.pixelConstants[i])
            std::memcpy(values.pixelShaderConstants[i], s.pixelShaderConstants[i], sizeof(float) * 4);
}

void StateBlock::apply(Device& device) const {
    PipelineState& s = device.state();
    for (int i = 0; i < kRenderStateCount; ++i)
        if (mask.renderStates[i]) s.renderStates[i] = values.renderStates[i];
    for (int stage = 0; stage < kMaxTextureStages; ++stage)
        for (int t = 0; t < kStageStateCount; ++t)
            if (mask.stageStates[stage][t]) s.stageStates[stage][t] = values.stageStates[stage][t];
    if (mask.world) s.world = values.world;
    if (mask.view) s.view = values.view;
    if (mask.projection) s.projection = values.projection;
    for (int i = 0; i < kMaxTextureStages; ++i)
        if (mask.textureTransforms[i]) s.texture[i] = values.texture[i];
    if (mask.material) s.material = values.material;
    for (int i = 0; i < kMaxLightIndex; ++i) {
        if (mask.lights[i] && values.lights[i].defined) {
            s.lights[i].light = values.lights[i].light;
            s.lights[i].defined = true;
        }
        if (mask.lightEnables[i] && (values.lights[i].defined || s.lights[i].defined)) {
            if (!s.lights[i].defined) {
                s.lights[i].light = values.lights[i].light;
                s.lights[i].defined = true;
            }
            s.lights[i].enabled = values.lights[i].enabled;
        }
    }
    if (mask.viewport) s.viewport = values.viewport;
    for (int i = 0; i < kMaxClipPlanes; ++i)
        if (mask.clipPlanes[i]) std::memcpy(s.clipPlanes[i], values.clipPlanes[i], sizeof s.clipPlanes[i]);
    for (int i = 0; i < kMaxTextureStages; ++i)
        if (mask.textures[i]) device.bindTexture(DWORD(i), values.textures[i]);
    for (int i = 0; i < kMaxStreams; ++i)
        if (mask.streams[i]) device.bindStream(UINT(i), values.streams[i].buffer, values.streams[i].stride);
    if (mask.indices) device.bindIndices(values.indices, values.baseVertexIndex);
    // A shader deleted since the capture falls back to "none".
    if (mask.vertexShader)
        s.vertexShader = (values.vertexShader & 1u) && !findVertexShader(device, values.vertexShader)
                             ? 0
                             : values.vertexShader;
    if (mask.pixelShader)
        s.pixelShader = values.pixelShader && !findPixelShader(device, values.pixelShader) ? 0 : values.pixelShader;
    for (int i = 0; i < kMaxVertexShaderConstants; ++i)
        if (mask.vertexConstants[i])
            std::memcpy(s.vertexShaderConstants[i], values.vertexShaderConstants[i], sizeof(float) * 4);
    for (int i = 0; i < kMaxPixelShaderConstants; ++i)
        if (mask.pixelConstants[i])
            std::memcpy(s.pixelShaderConstants[i], values.pixelShaderConstants[i], sizeof(float) * 4);
}

// ---- The device's state-block methods --------------------------------------------------

HRESULT Device::BeginStateBlock() {
    if (recording_) return D3DERR_INVALIDCALL;
    recording_ = new StateBlock();
    return D3D_OK;
}

HRESULT Device::EndStateBlock(DWORD* token) {
    if (!token || !recording_) return D3DERR_INVALIDCALL;
    const DWORD id = nextStateBlock_++;
    stateBlocks_[id] = recording_;
    recording_ = nullptr;
    *token = id;
    return D3D_OK;
}

HRESULT Device::CreateStateBlock(D3DSTATEBLOCKTYPE type, DWORD* token) {
    if (!token || recording_ || type < D3DSBT_ALL || type > D3DSBT_VERTEXSTATE) return D3DERR_INVALIDCALL;
    auto* block = new StateBlock();
    block->selectType(type);
    block->capture(*this);
    const DWORD id = nextStateBlock_++;
    stateBlocks_[id] = block;
    *token = id;
    return D3D_OK;
}

HRESULT Device::ApplyStateBlock(DWORD token) {
    auto found = stateBlocks_.find(token);
    if (found == stateBlocks_.end() || recording_) return D3DERR_INVALIDCALL;
    found->second->apply(*this);
    return D3D_OK;
}

HRESULT Device::CaptureStateBlock(DWORD token) {
    auto found = stateBlocks_.find(token);
    if (found == stateBlocks_.end() || recording_) return D3DERR_INVALIDCALL;
    found->second->capture(*this);
    return D3D_OK;
}

HRESULT Device::DeleteStateBlock(DWORD token) {
    auto found = stateBlocks_.find(token);
    if (found == stateBlocks_.end() || recording_) return D3DERR_INVALIDCALL;
    found->second->releaseBindings();
    delete found->second;
    stateBlocks_.erase(found);
    return D3D_OK;
}

}  // namespace zep::d3d
