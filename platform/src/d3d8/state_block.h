// State blocks: a set of states (which ones: the mask) and their values.
#pragma once

#include "d3d8/pipeline_state.h"

#include <bitset>

namespace zep::d3d {

class Device;

struct StateMask {
    std::bitset<kRenderStateCount> renderStates;
    std::bitset<kStageStateCount> stageStates[kMaxTextureStages];
    bool world = false, view = false, projection = false;
    bool textureTransforms[kMaxTextureStages] = {};
    bool material = false;
    std::bitset<kMaxLightIndex> lights;       // SetLight
    std::bitset<kMaxLightIndex> lightEnables; // LightEnable
    bool viewport = false;
    bool clipPlanes[kMaxClipPlanes] = {};
    bool textures[kMaxTextureStages] = {};
    bool streams[kMaxStreams] = {};
    bool indices = false;
    bool vertexShader = false, pixelShader = false;
    std::bitset<kMaxVertexShaderConstants> vertexConstants;
    std::bitset<kMaxPixelShaderConstants> pixelConstants;
};

struct StateBlock {
    PipelineState values{};  // textures, streams and indices here are bound (held)
    StateMask mask;

    // Everything of D3DSBT_ALL, PIXELSTATE or VERTEXSTATE.
    void selectType(D3DSTATEBLOCKTYPE type);
    void capture(Device& device);
    void apply(Device& device) const;
    void releaseBindings();

    // Helpers for recording with the device's Set... methods.
    void holdTexture(DWORD stage, IDirect3DBaseTexture8* texture);
    void holdStream(UINT stream, IDirect3DVertexBuffer8* buffer, UINT stride);
    void holdIndices(IDirect3DIndexBuffer8* buffer, UINT base);
};

}  // namespace zep::d3d
