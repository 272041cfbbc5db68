#include "d3dx/effect_states.h"

namespace zep::d3dx::fx {
namespace {

char folded(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

constexpr RenderStateName kRenderStates[] = {
    {"ZEnable", D3DRS_ZENABLE, ValueNames::ZBuffer},
    {"FillMode", D3DRS_FILLMODE, ValueNames::Fill},
    {"ShadeMode", D3DRS_SHADEMODE, ValueNames::Shade},
    {"ZWriteEnable", D3DRS_ZWRITEENABLE, ValueNames::Bool},
    {"AlphaTestEnable", D3DRS_ALPHATESTENABLE, ValueNames::Bool},
    {"LastPixel", D3DRS_LASTPIXEL, ValueNames::Bool},
    {"SrcBlend", D3DRS_SRCBLEND, ValueNames::Blend},
    {"DestBlend", D3DRS_DESTBLEND, ValueNames::Blend},
    {"CullMode", D3DRS_CULLMODE, ValueNames::Cull},
    {"ZFunc", D3DRS_ZFUNC, ValueNames::Compare},
    {"AlphaRef", D3DRS_ALPHAREF, ValueNames::Number},
    {"AlphaFunc", D3DRS_ALPHAFUNC, ValueNames::Compare},
    {"DitherEnable", D3DRS_DITHERENABLE, ValueNames::Bool},
    {"AlphaBlendEnable", D3DRS_ALPHABLENDENABLE, ValueNames::Bool},
    {"FogEnable", D3DRS_FOGENABLE, ValueNames::Bool},
    {"SpecularEnable", D3DRS_SPECULARENABLE, ValueNames::Bool},
    {"FogColor", D3DRS_FOGCOLOR, ValueNames::Number},
    {"FogTableMode", D3DRS_FOGTABLEMODE, ValueNames::Fog},
    {"FogStart", D3DRS_FOGSTART, ValueNames::Float},
    {"FogEnd", D3DRS_FOGEND, ValueNames::Float},
    {"FogDensity", D3DRS_FOGDENSITY, ValueNames::Float},
    {"EdgeAntialias", D3DRS_EDGEANTIALIAS, ValueNames::Bool},
    {"ZBias", D3DRS_ZBIAS, ValueNames::Number},
    {"RangeFogEnable", D3DRS_RANGEFOGENABLE, ValueNames::Bool},
    {"StencilEnable", D3DRS_STENCILENABLE, ValueNames::Bool},
    {"StencilFail", D3DRS_STENCILFAIL, ValueNames::StencilOp},
    {"StencilZFail", D3DRS_STENCILZFAIL, ValueNames::StencilOp},
    {"StencilPass", D3DRS_STENCILPASS, ValueNames::StencilOp},
    {"StencilFunc", D3DRS_STENCILFUNC, ValueNames::Compare},
    {"StencilRef", D3DRS_STENCILREF, ValueNames::Number},
    {"StencilMask", D3DRS_STENCILMASK, ValueNames::Number},
    {"StencilWriteMask", D3DRS_STENCILWRITEMASK, ValueNames::Number},
    {"TextureFactor", D3DRS_TEXTUREFACTOR, ValueNames::Number},
    {"Wrap0", D3DRS_WRAP0, ValueNames::Number},
    {"Wrap1", D3DRS_WRAP1, ValueNames::Number},
    {"Wrap2", D3DRS_WRAP2, ValueNames::Number},
    {"Wrap3", D3DRS_WRAP3, ValueNames::Number},
    {"Clipping", D3DRS_CLIPPING, ValueNames::Bool},
    {"Lighting", D3DRS_LIGHTING, ValueNames::Bool},
    {"Ambient", D3DRS_AMBIENT, ValueNames::Number},
    {"FogVertexMode", D3DRS_FOGVERTEXMODE, ValueNames::Fog},
    {"ColorVertex", D3DRS_COLORVERTEX, ValueNames::Bool},
    {"LocalViewer", D3DRS_LOCALVIEWER, ValueNames::Bool},
    {"NormalizeNormals", D3DRS_NORMALIZENORMALS, ValueNames::Bool},
    {"DiffuseMaterialSource", D3DRS_DIFFUSEMATERIALSOURCE, ValueNames::MaterialSource},
    {"SpecularMaterialSource", D3DRS_SPECULARMATERIALSOURCE, ValueNames::MaterialSource},
    {"AmbientMaterialSource", D3DRS_AMBIENTMATERIALSOURCE, ValueNames::MaterialSource},
    {"EmissiveMaterialSource", D3DRS_EMISSIVEMATERIALSOURCE, ValueNames::MaterialSource},
    {"VertexBlend", D3DRS_VERTEXBLEND, ValueNames::VertexBlend},
    {"ClipPlaneEnable", D3DRS_CLIPPLANEENABLE, ValueNames::Number},
    {"SoftwareVertexProcessing", D3DRS_SOFTWAREVERTEXPROCESSING, ValueNames::Bool},
    {"PointSize", D3DRS_POINTSIZE, ValueNames::Float},
    {"PointSize_Min", D3DRS_POINTSIZE_MIN, ValueNames::Float},
    {"PointSize_Max", D3DRS_POINTSIZE_MAX, ValueNames::Float},
    {"PointSpriteEnable", D3DRS_POINTSPRITEENABLE, ValueNames::Bool},
    {"PointScaleEnable", D3DRS_POINTSCALEENABLE, ValueNames::Bool},
    {"PointScale_A", D3DRS_POINTSCALE_A, ValueNames::Float},
    {"PointScale_B", D3DRS_POINTSCALE_B, ValueNames::Float},
    {"PointScale_C", D3DRS_POINTSCALE_C, ValueNames::Float},
    {"MultiSampleAntialias", D3DRS_MULTISAMPLEANTIALIAS, ValueNames::Bool},
    {"MultiSampleMask", D3DRS_MULTISAMPLEMASK, ValueNames::Number},
    {"IndexedVertexBlendEnable", D3DRS_INDEXEDVERTEXBLENDENABLE, ValueNames::Bool},
    {"ColorWriteEnable", D3DRS_COLORWRITEENABLE, ValueNames::Number},
    {"TweenFactor", D3DRS_TWEENFACTOR, ValueNames::Float},
    {"BlendOp", D3DRS_BLENDOP, ValueNames::BlendOp},
};

constexpr StageStateName kStageStates[] = {
    {"ColorOp", D3DTSS_COLOROP, ValueNames::TextureOp},
    {"ColorArg0", D3DTSS_COLORARG0, ValueNames::TextureArg},
    {"ColorArg1", D3DTSS_COLORARG1, ValueNames::TextureArg},
    {"ColorArg2", D3DTSS_COLORARG2, ValueNames::TextureArg},
    {"AlphaOp", D3DTSS_ALPHAOP, ValueNames::TextureOp},
    {"AlphaArg0", D3DTSS_ALPHAARG0, ValueNames::TextureArg},
    {"AlphaArg1", D3DTSS_ALPHAARG1, ValueNames::TextureArg},
    {"AlphaArg2", D3DTSS_ALPHAARG2, ValueNames::TextureArg},
    {"ResultArg", D3DTSS_RESULTARG, ValueNames::TextureArg},
    {"BumpEnvMat00", D3DTSS_BUMPENVMAT00, ValueNames::Float},
    {"BumpEnvMat01", D3DTSS_BUMPENVMAT01, ValueNames::Float},
    {"BumpEnvMat10", D3DTSS_BUMPENVMAT10, ValueNames::Float},
    {"BumpEnvMat11", D3DTSS_BUMPENVMAT11, ValueNames::Float},
    {"BumpEnvLScale", D3DTSS_BUMPENVLSCALE, ValueNames::Float},
    {"BumpEnvLOffset", D3DTSS_BUMPENVLOFFSET, ValueNames::Float},
    {"TexCoordIndex", D3DTSS_TEXCOORDINDEX, ValueNames::TexCoordIndex},
    {"AddressU", D3DTSS_ADDRESSU, ValueNames::Address},
    {"AddressV", D3DTSS_ADDRESSV, ValueNames::Address},
    {"AddressW", D3DTSS_ADDRESSW, ValueNames::Address},
    {"BorderColor", D3DTSS_BORDERCOLOR, ValueNames::Number},
    {"MagFilter", D3DTSS_MAGFILTER, ValueNames::Filter},
    {"MinFilter", D3DTSS_MINFILTER, ValueNames::Filter},
    {"MipFilter", D3DTSS_MIPFILTER, ValueNames::Filter},
    {"MipMapLodBias", D3DTSS_MIPMAPLODBIAS, ValueNames::Float},
    {"MaxMipLevel", D3DTSS_MAXMIPLEVEL, ValueNames::Number},
    {"MaxAnisotropy", D3DTSS_MAXANISOTROPY, ValueNames::Number},
    {"TextureTransformFlags", D3DTSS_TEXTURETRANSFORMFLAGS, ValueNames::TransformFlags},
};

struct NamedValue {
    ValueNames set;
    const char* name;
    DWORD value;
};

constexpr NamedValue kValues[] = {
    {ValueNames::Bool, "True", 1}, {ValueNames::Bool, "False", 0},
    {ValueNames::ZBuffer, "True", D3DZB_TRUE}, {ValueNames::ZBuffer, "False", D3DZB_FALSE},
    {ValueNames::ZBuffer, "UseW", D3DZB_USEW},
    {ValueNames::Fill, "Point", D3DFILL_POINT}, {ValueNames::Fill, "Wireframe", D3DFILL_WIREFRAME},
    {ValueNames::Fill, "Solid", D3DFILL_SOLID},
    {ValueNames::Shade, "Flat", D3DSHADE_FLAT}, {ValueNames::Shade, "Gouraud", D3DSHADE_GOURAUD},
    {ValueNames::Shade, "Phong", D3DSHADE_PHONG},
    {ValueNames::Blend, "Zero", D3DBLEND_ZERO}, {ValueNames::Blend, "One", D3DBLEND_ONE},
    {ValueNames::Blend, "SrcColor", D3DBLEND_SRCCOLOR}, {ValueNames::Blend, "InvSrcColor", D3DBLEND_INVSRCCOLOR},
    {ValueNames::Blend, "SrcAlpha", D3DBLEND_SRCALPHA}, {ValueNames::Blend, "InvSrcAlpha", D3DBLEND_INVSRCALPHA},
    {ValueNames::Blend, "DestAlpha", D3DBLEND_DESTALPHA}, {ValueNames::Blend, "InvDestAlpha", D3DBLEND_INVDESTALPHA},
    {ValueNames::Blend, "DestColor", D3DBLEND_DESTCOLOR}, {ValueNames::Blend, "InvDestColor", D3DBLEND_INVDESTCOLOR},
    {ValueNames::Blend, "SrcAlphaSat", D3DBLEND_SRCALPHASAT},
    {ValueNames::Blend, "BothSrcAlpha", D3DBLEND_BOTHSRCALPHA},
    {ValueNames::Blend, "BothInvSrcAlpha", D3DBLEND_BOTHINVSRCALPHA},
    {ValueNames::BlendOp, "Add", D3DBLENDOP_ADD}, {ValueNames::BlendOp, "Subtract", D3DBLENDOP_SUBTRACT},
    {ValueNames::BlendOp, "RevSubtract", D3DBLENDOP_REVSUBTRACT}, {ValueNames::BlendOp, "Min", D3DBLENDOP_MIN},
    {ValueNames::BlendOp, "Max", D3DBLENDOP_MAX},
    {ValueNames::Cull, "None", D3DCULL_NONE}, {ValueNames::Cull, "CW", D3DCULL_CW},
    {ValueNames::Cull, "CCW", D3DCULL_CCW},
    {ValueNames::Compare, "Never", D3DCMP_NEVER}, {ValueNames::Compare, "Less", D3DCMP_LESS},
    {ValueNames::Compare, "Equal", D3DCMP_EQUAL}, {ValueNames::Compare, "LessEqual", D3DCMP_LESSEQUAL},
    {ValueNames::Compare, "Greater", D3DCMP_GREATER}, {ValueNames::Compare, "NotEqual", D3DCMP_NOTEQUAL},
    {ValueNames::Compare, "GreaterEqual", D3DCMP_GREATEREQUAL}, {ValueNames::Compare, "Always", D3DCMP_ALWAYS},
    {ValueNames::Fog, "None", D3DFOG_NONE}, {ValueNames::Fog, "Exp", D3DFOG_EXP},
    {ValueNames::Fog, "Exp2", D3DFOG_EXP2}, {ValueNames::Fog, "Linear", D3DFOG_LINEAR},
    {ValueNames::StencilOp, "Keep", D3DSTENCILOP_KEEP}, {ValueNames::StencilOp, "Zero", D3DSTENCILOP_ZERO},
    {ValueNames::StencilOp, "Replace", D3DSTENCILOP_REPLACE}, {ValueNames::StencilOp, "IncrSat", D3DSTENCILOP_INCRSAT},
    {ValueNames::StencilOp, "DecrSat", D3DSTENCILOP_DECRSAT}, {ValueNames::StencilOp, "Invert", D3DSTENCILOP_INVERT},
    {ValueNames::StencilOp, "Incr", D3DSTENCILOP_INCR}, {ValueNames::StencilOp, "Decr", D3DSTENCILOP_DECR},
    {ValueNames::MaterialSource, "Material", D3DMCS_MATERIAL}, {ValueNames::MaterialSource, "Color1", D3DMCS_COLOR1},
    {ValueNames::MaterialSource, "Color2", D3DMCS_COLOR2},
    {ValueNames::VertexBlend, "Disable", D3DVBF_DISABLE}, {ValueNames::VertexBlend, "1Weights", D3DVBF_1WEIGHTS},
    {ValueNames::VertexBlend, "2Weights", D3DVBF_2WEIGHTS}, {ValueNames::VertexBlend, "3Weights", D3DVBF_3WEIGHTS},
    {ValueNames::VertexBlend, "Tweening", D3DVBF_TWEENING}, {ValueNames::VertexBlend, "0Weights", D3DVBF_0WEIGHTS},
    {ValueNames::TextureOp, "Disable", D3DTOP_DISABLE}, {ValueNames::TextureOp, "SelectArg1", D3DTOP_SELECTARG1},
    {ValueNames::TextureOp, "SelectArg2", D3DTOP_SELECTARG2}, {ValueNames::TextureOp, "Modulate", D3DTOP_MODULATE},
    {ValueNames::TextureOp, "Modulate2x", D3DTOP_MODULATE2X}, {ValueNames::TextureOp, "Modulate4x", D3DTOP_MODULATE4X},
    {ValueNames::TextureOp, "Add", D3DTOP_ADD}, {ValueNames::TextureOp, "AddSigned", D3DTOP_ADDSIGNED},
    {ValueNames::TextureOp, "AddSigned2x", D3DTOP_ADDSIGNED2X}, {ValueNames::TextureOp, "Subtract", D3DTOP_SUBTRACT},
    {ValueNames::TextureOp, "AddSmooth", D3DTOP_ADDSMOOTH},
    {ValueNames::TextureOp, "BlendDiffuseAlpha", D3DTOP_BLENDDIFFUSEALPHA},
    {ValueNames::TextureOp, "BlendTextureAlpha", D3DTOP_BLENDTEXTUREALPHA},
    {ValueNames::TextureOp, "BlendFactorAlpha", D3DTOP_BLENDFACTORALPHA},
    {ValueNames::TextureOp, "BlendTextureAlphaPM", D3DTOP_BLENDTEXTUREALPHAPM},
    {ValueNames::TextureOp, "BlendCurrentAlpha", D3DTOP_BLENDCURRENTALPHA},
    {ValueNames::TextureOp, "PreModulate", D3DTOP_PREMODULATE},
    {ValueNames::TextureOp, "ModulateAlpha_AddColor", D3DTOP_MODULATEALPHA_ADDCOLOR},
    {ValueNames::TextureOp, "ModulateColor_AddAlpha", D3DTOP_MODULATECOLOR_ADDALPHA},
    {ValueNames::TextureOp, "ModulateInvAlpha_AddColor", D3DTOP_MODULATEINVALPHA_ADDCOLOR},
    {ValueNames::TextureOp, "ModulateInvColor_AddAlpha", D3DTOP_MODULATEINVCOLOR_ADDALPHA},
    {ValueNames::TextureOp, "BumpEnvMap", D3DTOP_BUMPENVMAP},
    {ValueNames::TextureOp, "BumpEnvMapLuminance", D3DTOP_BUMPENVMAPLUMINANCE},
    {ValueNames::TextureOp, "DotProduct3", D3DTOP_DOTPRODUCT3}, {ValueNames::TextureOp, "MultiplyAdd", D3DTOP_MULTIPLYADD},
    {ValueNames::TextureOp, "Lerp", D3DTOP_LERP},
    {ValueNames::TextureArg, "Diffuse", D3DTA_DIFFUSE}, {ValueNames::TextureArg, "Current", D3DTA_CURRENT},
    {ValueNames::TextureArg, "Texture", D3DTA_TEXTURE}, {ValueNames::TextureArg, "TFactor", D3DTA_TFACTOR},
    {ValueNames::TextureArg, "Specular", D3DTA_SPECULAR}, {ValueNames::TextureArg, "Temp", D3DTA_TEMP},
    {ValueNames::TextureArg, "Complement", D3DTA_COMPLEMENT},
    {ValueNames::TextureArg, "AlphaReplicate", D3DTA_ALPHAREPLICATE},
    {ValueNames::Address, "Wrap", D3DTADDRESS_WRAP}, {ValueNames::Address, "Mirror", D3DTADDRESS_MIRROR},
    {ValueNames::Address, "Clamp", D3DTADDRESS_CLAMP}, {ValueNames::Address, "Border", D3DTADDRESS_BORDER},
    {ValueNames::Address, "MirrorOnce", D3DTADDRESS_MIRRORONCE},
    {ValueNames::Filter, "None", D3DTEXF_NONE}, {ValueNames::Filter, "Point", D3DTEXF_POINT},
    {ValueNames::Filter, "Linear", D3DTEXF_LINEAR}, {ValueNames::Filter, "Anisotropic", D3DTEXF_ANISOTROPIC},
    {ValueNames::Filter, "FlatCubic", D3DTEXF_FLATCUBIC}, {ValueNames::Filter, "GaussianCubic", D3DTEXF_GAUSSIANCUBIC},
    {ValueNames::TexCoordIndex, "PassThru", D3DTSS_TCI_PASSTHRU},
    {ValueNames::TexCoordIndex, "CameraSpaceNormal", D3DTSS_TCI_CAMERASPACENORMAL},
    {ValueNames::TexCoordIndex, "CameraSpacePosition", D3DTSS_TCI_CAMERASPACEPOSITION},
    {ValueNames::TexCoordIndex, "CameraSpaceReflectionVector", D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR},
    {ValueNames::TransformFlags, "Disable", D3DTTFF_DISABLE}, {ValueNames::TransformFlags, "Count1", D3DTTFF_COUNT1},
    {ValueNames::TransformFlags, "Count2", D3DTTFF_COUNT2}, {ValueNames::TransformFlags, "Count3", D3DTTFF_COUNT3},
    {ValueNames::TransformFlags, "Count4", D3DTTFF_COUNT4}, {ValueNames::TransformFlags, "Projected", D3DTTFF_PROJECTED},
};

}  // namespace

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (folded(a[i]) != folded(b[i])) return false;
    return true;
}

const RenderStateName* findRenderState(std::string_view name) {
    for (const RenderStateName& entry : kRenderStates)
        if (sameName(entry.name, name)) return &entry;
    return nullptr;
}

const StageStateName* findStageState(std::string_view name) {
    for (const StageStateName& entry : kStageStates)
        if (sameName(entry.name, name)) return &entry;
    return nullptr;
}

bool namedStateValue(ValueNames set, std::string_view name, DWORD* out) {
    for (const NamedValue& entry : kValues)
        if (entry.set == set && sameName(entry.name, name)) {
            *out = entry.value;
            return true;
        }
    return false;
}

}  // namespace zep::d3dx::fx
