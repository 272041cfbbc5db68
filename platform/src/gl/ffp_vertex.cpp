// The fixed-function vertex stage: key, GLSL and uniforms.
//
// Direct3D 8's rules, kept as the GLSL's own arithmetic:
// - row vectors: v' = v x M. A row-major D3DMATRIX uploaded without
//   transposition is M's transpose to GLSL, so `M * v` there is `v x M`.
// - lighting happens in camera space, with the normal through the inverse
//   transpose of world x view, lights moved by the view matrix.
// - texture coordinates of n components enter a texture transform as
//   (c1 .. cn, 1, 0 ..): the 1 after the last component is what lets a 2D
//   coordinate be translated by the matrix's third row.
#include "gl/ffp_vertex.h"

#include <cmath>
#include <cstring>

namespace zep::gl {
namespace {

using d3d::PipelineState;
using d3d::VertexLayout;

float floatOf(DWORD bits) {
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

uint8_t resolveColorSource(DWORD source, bool colorVertex, const VertexLayout& layout) {
    if (!colorVertex) return D3DMCS_MATERIAL;
    if (source == D3DMCS_COLOR1 && layout.hasDiffuse) return D3DMCS_COLOR1;
    if (source == D3DMCS_COLOR2 && layout.hasSpecular) return D3DMCS_COLOR2;
    return D3DMCS_MATERIAL;
}

// A projection whose fourth column is (0, 0, 0, 1) leaves w at 1: nothing
// to take a fog distance from but the depth.
bool isAffine(const D3DMATRIX& m) { return m._14 == 0.0f && m._24 == 0.0f && m._34 == 0.0f && m._44 == 1.0f; }

void multiply(const D3DMATRIX& a, const D3DMATRIX& b, float out[16]) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            out[r * 4 + c] = a.m[r][0] * b.m[0][c] + a.m[r][1] * b.m[1][c] + a.m[r][2] * b.m[2][c] + a.m[r][3] * b.m[3][c];
}

// Inverse of the upper 3x3 of a row-major 4x4, row-major. A singular matrix
// gives its adjugate, which still points normals the right way.
void inverse3x3(const float m[16], float out[9]) {
    const float a = m[0], b = m[1], c = m[2], d = m[4], e = m[5], f = m[6], g = m[8], h = m[9], i = m[10];
    const float cof[9] = {e * i - f * h, c * h - b * i, b * f - c * e,
                          f * g - d * i, a * i - c * g, c * d - a * f,
                          d * h - e * g, b * g - a * h, a * e - b * d};
    const float det = a * cof[0] + b * cof[3] + c * cof[6];
    const float scale = det != 0.0f ? 1.0f / det : 1.0f;
    for (int k = 0; k < 9; ++k) out[k] = cof[k] * scale;
}

void setColor(float out[4], const D3DCOLORVALUE& c) {
    out[0] = c.r;
    out[1] = c.g;
    out[2] = c.b;
    out[3] = c.a;
}

void setD3DColor(float out[4], DWORD argb) {
    out[0] = float((argb >> 16) & 0xFF) / 255.0f;
    out[1] = float((argb >> 8) & 0xFF) / 255.0f;
    out[2] = float(argb & 0xFF) / 255.0f;
    out[3] = float(argb >> 24) / 255.0f;
}

// ---- GLSL ------------------------------------------------------------------

const char* kHeader = R"(#version 330 core
uniform vec2 zHalfPixel;
uniform vec4 zViewport;
uniform vec2 zDepthRange;
uniform mat4 zWorldView;
uniform mat4 zProjection;
uniform mat3 zNormalMatrix;
uniform mat4 zWorld;
uniform float zTweenFactor;
uniform vec4 zMaterialDiffuse;
uniform vec4 zMaterialAmbient;
uniform vec4 zMaterialSpecular;
uniform vec4 zMaterialEmissive;
uniform float zMaterialPower;
uniform vec4 zAmbient;
uniform vec4 zLightDiffuse[8];
uniform vec4 zLightSpecular[8];
uniform vec4 zLightAmbient[8];
uniform vec3 zLightPosition[8];
uniform vec3 zLightDirection[8];
uniform vec4 zLightAttenuation[8];
uniform vec3 zLightSpot[8];
uniform vec4 zFogParams;
uniform vec4 zPointParams;
uniform vec4 zPointScale;
uniform vec4 zClipPlane[6];
uniform mat4 zTexMatrix[8];
)";

std::string interpolation(const FfpVertexKey& key) { return key.flatShade ? "flat out" : "out"; }

void appendInputs(const FfpVertexKey& key, std::string& s) {
    s += "layout(location = 0) in vec4 zInPosition;\n";
    if (key.hasNormal) s += "layout(location = 3) in vec3 zInNormal;\n";
    if (key.hasPointSize) s += "layout(location = 4) in float zInPointSize;\n";
    if (key.hasDiffuse) s += "layout(location = 5) in vec4 zInDiffuse;\n";
    if (key.hasSpecular) s += "layout(location = 6) in vec4 zInSpecular;\n";
    bool setRead[8] = {};
    for (int i = 0; i < key.texStageCount; ++i)
        if (key.tex[i].generation == 0 && key.tex[i].inputSize > 0) setRead[key.tex[i].set] = true;
    for (int set = 0; set < 8; ++set)
        if (setRead[set])
            s += "layout(location = " + std::to_string(7 + set) + ") in vec4 zInTex" + std::to_string(set) + ";\n";
    if (key.tween) s += "layout(location = 15) in vec4 zInPosition2;\n";
    if (key.tweenNormal)
        s += "layout(location = " + std::to_string(d3d::attributeLocation(D3DVSDE_NORMAL2)) + ") in vec3 zInNormal2;\n";
}

void appendOutputs(const FfpVertexKey& key, std::string& s) {
    s += interpolation(key) + " vec4 zDiffuse;\n";
    s += interpolation(key) + " vec4 zSpecular;\n";
    for (int i = 0; i < 8; ++i) s += "out vec4 zTex" + std::to_string(i) + ";\n";
    s += "out float zFog;\n";
}

std::string materialColor(uint8_t source, const char* materialName) {
    if (source == D3DMCS_COLOR1) return "zInDiffuse";
    if (source == D3DMCS_COLOR2) return "zInSpecular";
    return materialName;
}

// Direct3D's lighting equations for each light of the key, summed into
// ambient, diffuse and specular, then combined with the material colours.
void appendLighting(const FfpVertexKey& key, std::string& s) {
    s += "    vec4 mDiffuse = " + materialColor(key.diffuseSource, "zMaterialDiffuse") + ";\n";
    s += "    vec4 mAmbient = " + materialColor(key.ambientSource, "zMaterialAmbient") + ";\n";
    s += "    vec4 mSpecular = " + materialColor(key.specularSource, "zMaterialSpecular") + ";\n";
    s += "    vec4 mEmissive = " + materialColor(key.emissiveSource, "zMaterialEmissive") + ";\n";
    s += "    vec3 lAmbient = zAmbient.rgb;\n    vec3 lDiffuse = vec3(0.0);\n    vec3 lSpecular = vec3(0.0);\n";
    // The viewer sits at the camera-space origin looking down +z; a distant
    // one (LOCALVIEWER off) is in that direction from every vertex: -z.
    s += key.localViewer ? "    vec3 toViewer = normalize(-eye);\n" : "    vec3 toViewer = vec3(0.0, 0.0, -1.0);\n";
    for (int i = 0; i < d3d::kMaxActiveLights; ++i) {
        const uint8_t type = key.lightTypes[i];
        if (type == kFfpLightNone) continue;
        const std::string n = std::to_string(i);
        s += "    {\n        vec3 L;\n        float atten = 1.0;\n";
        if (type == kFfpLightDirectional) {
            s += "        L = -zLightDirection[" + n + "];\n";
        } else {
            s += "        vec3 toLight = zLightPosition[" + n + "] - eye;\n";
            s += "        float d = length(toLight);\n";
            s += "        L = d > 0.0 ? toLight / d : vec3(0.0, 0.0, -1.0);\n";
            s += "        vec4 a = zLightAttenuation[" + n + "];\n";
            s += "        float denominator = a.y + a.z * d + a.w * d * d;\n";
            s += "        atten = d > a.x ? 0.0 : (denominator > 0.0 ? 1.0 / denominator : 1.0);\n";
            if (type == kFfpLightSpot) {
                s += "        vec3 spot = zLightSpot[" + n + "];\n";
                s += "        float rho = dot(-L, zLightDirection[" + n + "]);\n";
                s += "        if (rho <= spot.y) atten = 0.0;\n";
                s += "        else if (rho <= spot.x && spot.x > spot.y)\n";
                s += "            atten *= pow((rho - spot.y) / (spot.x - spot.y), spot.z);\n";
            }
        }
        s += "        lAmbient += atten * zLightAmbient[" + n + "].rgb;\n";
        s += "        float nDotL = dot(normal, L);\n";
        s += "        if (nDotL > 0.0) {\n";
        s += "            lDiffuse += atten * nDotL * zLightDiffuse[" + n + "].rgb;\n";
        if (key.specularEnable) {
            s += "            vec3 halfway = toViewer + L;\n";
            s += "            float nDotH = dot(halfway, halfway) > 0.0 ? max(dot(normal, normalize(halfway)), 0.0) : 0.0;\n";
            s += "            float shine = zMaterialPower > 0.0 ? pow(nDotH, zMaterialPower) : 1.0;\n";
            s += "            lSpecular += atten * shine * zLightSpecular[" + n + "].rgb;\n";
        }
        s += "        }\n    }\n";
    }
    s += "    zDiffuse = clamp(vec4(mEmissive.rgb + mAmbient.rgb * lAmbient + mDiffuse.rgb * lDiffuse, mDiffuse.a), 0.0, 1.0);\n";
    s += "    zSpecular = clamp(vec4(mSpecular.rgb * lSpecular, mSpecular.a), 0.0, 1.0);\n";
}

void appendFog(const FfpVertexKey& key, std::string& s) {
    switch (key.fogSource) {
    case kFogNone: s += "    zFog = 1.0;\n"; return;
    case kFogSpecularAlpha: s += key.hasSpecular ? "    zFog = zInSpecular.a;\n" : "    zFog = 1.0;\n"; return;
    case kFogEyeW: s += "    float fogDistance = w;\n"; break;
    case kFogDepth:
        // The depth the pixel writes: MinZ..MaxZ of the viewport.
        if (key.pretransformed) {
            s += "    float fogDistance = position.z;\n";
        } else {
            s += "    float clipDepth = gl_Position.w != 0.0 ? gl_Position.z / gl_Position.w : 0.0;\n";
            s += "    float fogDistance = zDepthRange.x + clipDepth * (zDepthRange.y - zDepthRange.x);\n";
        }
        break;
    default: s += key.rangeFog ? "    float fogDistance = length(eye);\n" : "    float fogDistance = eye.z;\n"; break;
    }
    switch (key.fogFormula) {
    case D3DFOG_EXP: s += "    zFog = exp(-fogDistance * zFogParams.z);\n"; break;
    case D3DFOG_EXP2: s += "    zFog = exp(-(fogDistance * zFogParams.z) * (fogDistance * zFogParams.z));\n"; break;
    default: s += "    zFog = (zFogParams.y - fogDistance) * zFogParams.w;\n"; break;
    }
    s += "    zFog = clamp(zFog, 0.0, 1.0);\n";
}

// The coordinate vector a stage's coordinates start from, before any
// texture transform; `forTransform` pads as Direct3D does for a transform.
std::string texCoordInput(const FfpTexCoordKey& t, bool forTransform) {
    switch (t.generation) {
    case D3DTSS_TCI_CAMERASPACENORMAL >> 16: return "vec4(normal, 1.0)";
    case D3DTSS_TCI_CAMERASPACEPOSITION >> 16: return "vec4(eye, 1.0)";
    case D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR >> 16: return "vec4(reflection, 1.0)";
    default: break;
    }
    if (t.inputSize == 0) return "vec4(0.0, 0.0, 0.0, 1.0)";
    const std::string in = "zInTex" + std::to_string(t.set);
    if (!forTransform) return in;  // the attribute itself is (c.., 0.., 1)
    switch (t.inputSize) {
    case 1: return "vec4(" + in + ".x, 1.0, 0.0, 0.0)";
    case 2: return "vec4(" + in + ".xy, 1.0, 0.0)";
    default: return in;
    }
}

void appendTexCoords(const FfpVertexKey& key, std::string& s) {
    for (int i = 0; i < 8; ++i) {
        const std::string out = "zTex" + std::to_string(i);
        if (i >= key.texStageCount) {
            s += "    " + out + " = vec4(0.0, 0.0, 0.0, 1.0);\n";
            continue;
        }
        const FfpTexCoordKey& t = key.tex[i];
        // Pre-transformed vertices take their coordinates as given; only the
        // projection of a counted coordinate still applies.
        const bool transform = t.count > 0 && !key.pretransformed;
        // With PROJECTED the fragment part divides by w: the last counted component.
        static const char* kLast[] = {"w", "x", "y", "z", "w"};
        if (!transform) {
            s += "    " + out + " = " + texCoordInput(t, false) + ";\n";
            if (t.projected) s += "    " + out + ".w = " + out + "." + kLast[t.count] + ";\n";
            continue;
        }
        s += "    {\n        vec4 t = zTexMatrix[" + std::to_string(i) + "] * " + texCoordInput(t, true) + ";\n";
        switch (t.count) {
        case 1: s += "        " + out + " = vec4(t.x, 0.0, 0.0, 1.0);\n"; break;
        case 2: s += "        " + out + " = vec4(t.xy, 0.0, 1.0);\n"; break;
        case 3: s += "        " + out + " = vec4(t.xyz, 1.0);\n"; break;
        default: s += "        " + out + " = t;\n"; break;
        }
        if (t.projected) s += "        " + out + ".w = t." + kLast[t.count] + ";\n";
        s += "    }\n";
    }
}

}  // namespace

void makeFfpVertexKey(const PipelineState& state, const VertexLayout& layout, int texStageCount, bool flatShade,
                      FfpVertexKey* key, FfpLightSelection* lights) {
    std::memset(key, 0, sizeof *key);
    lights->count = 0;
    const DWORD* rs = state.renderStates;
    key->pretransformed = layout.pretransformed;
    key->hasNormal = layout.hasNormal;
    key->hasDiffuse = layout.hasDiffuse;
    key->hasSpecular = layout.hasSpecular;
    key->hasPointSize = layout.hasPointSize;
    if (!layout.pretransformed && layout.hasTween && rs[D3DRS_VERTEXBLEND] == D3DVBF_TWEENING) {
        key->tween = 1;
        for (int i = 0; i < layout.elementCount; ++i)
            if (layout.elements[i].inputRegister == D3DVSDE_NORMAL2) key->tweenNormal = layout.hasNormal;
    }
    key->flatShade = flatShade;

    const bool lit = !layout.pretransformed && rs[D3DRS_LIGHTING] != 0;
    if (lit) {
        key->lighting = 1;
        for (int slot = 0; slot < d3d::kMaxLightIndex && lights->count < d3d::kMaxActiveLights; ++slot) {
            const d3d::LightSlot& l = state.lights[slot];
            if (!l.defined || !l.enabled) continue;
            uint8_t type = kFfpLightNone;
            switch (l.light.Type) {
            case D3DLIGHT_POINT: type = kFfpLightPoint; break;
            case D3DLIGHT_SPOT: type = kFfpLightSpot; break;
            case D3DLIGHT_DIRECTIONAL: type = kFfpLightDirectional; break;
            default: continue;
            }
            key->lightTypes[lights->count] = type;
            lights->slots[lights->count++] = slot;
        }
        key->specularEnable = rs[D3DRS_SPECULARENABLE] != 0;
        key->localViewer = rs[D3DRS_LOCALVIEWER] != 0;
        key->normalizeNormals = rs[D3DRS_NORMALIZENORMALS] != 0;
        const bool colorVertex = rs[D3DRS_COLORVERTEX] != 0;
        key->diffuseSource = resolveColorSource(rs[D3DRS_DIFFUSEMATERIALSOURCE], colorVertex, layout);
        key->specularSource = resolveColorSource(rs[D3DRS_SPECULARMATERIALSOURCE], colorVertex, layout);
        key->ambientSource = resolveColorSource(rs[D3DRS_AMBIENTMATERIALSOURCE], colorVertex, layout);
        key->emissiveSource = resolveColorSource(rs[D3DRS_EMISSIVEMATERIALSOURCE], colorVertex, layout);
    }

    if (rs[D3DRS_FOGENABLE]) {
        const DWORD table = rs[D3DRS_FOGTABLEMODE];
        const DWORD vertex = rs[D3DRS_FOGVERTEXMODE];
        auto isFormula = [](DWORD mode) { return mode >= D3DFOG_EXP && mode <= D3DFOG_LINEAR; };
        if (isFormula(table)) {
            // Table (per-pixel) fog wins over vertex fog. It reads the device
            // depth unless the projection gives a w to read instead; it is
            // evaluated per vertex here and interpolated.
            key->fogFormula = uint8_t(table);
            key->fogSource = isAffine(state.projection) ? kFogDepth : kFogEyeW;
        } else if (isFormula(vertex) && !layout.pretransformed) {
            key->fogFormula = uint8_t(vertex);
            key->fogSource = kFogEyeDistance;
            key->rangeFog = rs[D3DRS_RANGEFOGENABLE] != 0;
        } else {
            // Pre-transformed vertices, or no mode at all: the vertex brings
            // its own factor.
            key->fogSource = kFogSpecularAlpha;
        }
    }

    key->pointScale = !layout.pretransformed && rs[D3DRS_POINTSCALEENABLE] != 0;
    key->clipPlanes = layout.pretransformed ? 0 : uint8_t(rs[D3DRS_CLIPPLANEENABLE] & 0x3F);

    key->texStageCount = uint8_t(texStageCount < 0 ? 0 : (texStageCount > 8 ? 8 : texStageCount));
    for (int i = 0; i < key->texStageCount; ++i) {
        FfpTexCoordKey& t = key->tex[i];
        const DWORD index = state.stageStates[i][D3DTSS_TEXCOORDINDEX];
        const DWORD flags = state.stageStates[i][D3DTSS_TEXTURETRANSFORMFLAGS];
        t.generation = layout.pretransformed ? 0 : uint8_t((index >> 16) & 3);
        if (t.generation == 0) {
            t.set = uint8_t(index & 7);
            t.inputSize = (index & 0xFFFF) < layout.texCoordCount ? layout.texCoordSize[index & 7] : 0;
        }
        t.count = uint8_t(flags & 0xFF) <= 4 ? uint8_t(flags & 0xFF) : 0;
        t.projected = t.count > 0 && (flags & D3DTTFF_PROJECTED) != 0;
    }
}

std::string ffpVertexSource(const FfpVertexKey& key) {
    std::string s = kHeader;
    appendInputs(key, s);
    appendOutputs(key, s);
    s += "void main() {\n";
    s += key.tween ? "    vec4 position = vec4(mix(zInPosition.xyz, zInPosition2.xyz, zTweenFactor), 1.0);\n"
                   : "    vec4 position = zInPosition;\n";
    if (key.pretransformed) {
        // Screen pixels through the viewport; z is already the depth to write.
        s += "    float w = position.w != 0.0 ? 1.0 / position.w : 1.0;\n";
        s += "    vec2 ndc = vec2((position.x - zViewport.x) / zViewport.z * 2.0 - 1.0,\n"
             "                    1.0 - (position.y - zViewport.y) / zViewport.w * 2.0);\n";
        s += "    float depthSpan = zDepthRange.y - zDepthRange.x;\n";
        s += "    float depth = depthSpan != 0.0 ? (position.z - zDepthRange.x) / depthSpan : 0.0;\n";
        s += "    gl_Position = vec4(ndc, depth, 1.0) * w;\n";
        s += "    vec3 eye = vec3(0.0);\n    vec3 normal = vec3(0.0);\n";
    } else {
        s += "    vec4 eye4 = zWorldView * position;\n    vec3 eye = eye4.xyz;\n";
        s += "    gl_Position = zProjection * eye4;\n";
        s += "    float w = gl_Position.w;\n";
        if (key.hasNormal) {
            s += key.tweenNormal ? "    vec3 normal = zNormalMatrix * mix(zInNormal, zInNormal2, zTweenFactor);\n"
                                 : "    vec3 normal = zNormalMatrix * zInNormal;\n";
            if (key.normalizeNormals) s += "    if (dot(normal, normal) > 0.0) normal = normalize(normal);\n";
        } else {
            s += "    vec3 normal = vec3(0.0);\n";
        }
    }
    bool reflection = false;
    for (int i = 0; i < key.texStageCount; ++i)
        reflection |= key.tex[i].generation == (D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR >> 16);
    if (reflection) {
        // R = 2 (E.N) N - E, with E the unit vector from the vertex towards
        // the eye. Unlike the specular highlight, it follows the vertex
        // whatever LOCALVIEWER says.
        s += "    vec3 toEye = dot(eye, eye) > 0.0 ? -normalize(eye) : vec3(0.0, 0.0, -1.0);\n";
        s += "    vec3 reflection = 2.0 * dot(toEye, normal) * normal - toEye;\n";
    }
    if (key.lighting) {
        appendLighting(key, s);
    } else {
        s += key.hasDiffuse ? "    zDiffuse = zInDiffuse;\n" : "    zDiffuse = vec4(1.0);\n";
        s += key.hasSpecular ? "    zSpecular = zInSpecular;\n" : "    zSpecular = vec4(0.0);\n";
    }
    appendFog(key, s);
    appendTexCoords(key, s);

    s += key.hasPointSize ? "    float pointSize = zInPointSize;\n" : "    float pointSize = zPointParams.x;\n";
    if (key.pointScale) {
        s += "    float de = length(eye);\n";
        s += "    float scaleDenominator = zPointScale.x + zPointScale.y * de + zPointScale.z * de * de;\n";
        s += "    if (scaleDenominator > 0.0) pointSize = zViewport.w * pointSize * sqrt(1.0 / scaleDenominator);\n";
    }
    s += "    gl_PointSize = max(min(max(pointSize, zPointParams.y), zPointParams.z), 1.0);\n";

    if (key.clipPlanes) {
        s += "    vec4 worldPosition = zWorld * position;\n";
        for (int p = 0; p < d3d::kMaxClipPlanes; ++p)
            if (key.clipPlanes & (1u << p))
                s += "    gl_ClipDistance[" + std::to_string(p) + "] = dot(worldPosition, zClipPlane[" +
                     std::to_string(p) + "]);\n";
    }
    // Pixel centres on integer coordinates.
    s += "    gl_Position.xy += zHalfPixel * gl_Position.w;\n";
    s += "}\n";
    return s;
}

void locateFfpVertexUniforms(GLuint program, FfpVertexUniforms* u) {
    std::memset(u, 0, sizeof *u);
    auto at = [program](const char* name) { return glGetUniformLocation(program, name); };
    u->worldView = at("zWorldView");
    u->projection = at("zProjection");
    u->normalMatrix = at("zNormalMatrix");
    u->world = at("zWorld");
    u->tweenFactor = at("zTweenFactor");
    u->materialDiffuse = at("zMaterialDiffuse");
    u->materialAmbient = at("zMaterialAmbient");
    u->materialSpecular = at("zMaterialSpecular");
    u->materialEmissive = at("zMaterialEmissive");
    u->materialPower = at("zMaterialPower");
    u->ambient = at("zAmbient");
    u->lightDiffuse = at("zLightDiffuse");
    u->lightSpecular = at("zLightSpecular");
    u->lightAmbient = at("zLightAmbient");
    u->lightPosition = at("zLightPosition");
    u->lightDirection = at("zLightDirection");
    u->lightAttenuation = at("zLightAttenuation");
    u->lightSpot = at("zLightSpot");
    u->fogParams = at("zFogParams");
    u->pointParams = at("zPointParams");
    u->pointScale = at("zPointScale");
    u->clipPlanes = at("zClipPlane");
    u->textureMatrices = at("zTexMatrix");
    u->uploadedOnce = false;
}

namespace {

void computeTransforms(const PipelineState& state, FfpVertexValues::Transforms* t) {
    multiply(state.world, state.view, t->worldView);
    std::memcpy(t->projection, &state.projection, sizeof t->projection);
    inverse3x3(t->worldView, t->normalMatrix);
    std::memcpy(t->world, &state.world, sizeof t->world);
    t->tweenFactor = floatOf(state.renderStates[D3DRS_TWEENFACTOR]);
}

void computeMaterial(const PipelineState& state, FfpVertexValues::Material* m) {
    setColor(m->diffuse, state.material.Diffuse);
    setColor(m->ambient, state.material.Ambient);
    setColor(m->specular, state.material.Specular);
    setColor(m->emissive, state.material.Emissive);
    m->power = state.material.Power;
    setD3DColor(m->globalAmbient, state.renderStates[D3DRS_AMBIENT]);
}

void computeLights(const PipelineState& state, const FfpLightSelection& selection, FfpVertexValues::Lights* l) {
    std::memset(l, 0, sizeof *l);
    const D3DMATRIX& v = state.view;
    for (int i = 0; i < selection.count; ++i) {
        const D3DLIGHT8& light = state.lights[selection.slots[i]].light;
        setColor(l->diffuse[i], light.Diffuse);
        setColor(l->specular[i], light.Specular);
        setColor(l->ambient[i], light.Ambient);
        const D3DVECTOR& p = light.Position;
        for (int c = 0; c < 3; ++c) l->position[i][c] = p.x * v.m[0][c] + p.y * v.m[1][c] + p.z * v.m[2][c] + v.m[3][c];
        const D3DVECTOR& d = light.Direction;
        float dir[3];
        for (int c = 0; c < 3; ++c) dir[c] = d.x * v.m[0][c] + d.y * v.m[1][c] + d.z * v.m[2][c];
        const float length = std::sqrt(dir[0] * dir[0] + dir[1] * dir[1] + dir[2] * dir[2]);
        for (int c = 0; c < 3; ++c) l->direction[i][c] = length > 0.0f ? dir[c] / length : 0.0f;
        l->attenuation[i][0] = light.Range;
        l->attenuation[i][1] = light.Attenuation0;
        l->attenuation[i][2] = light.Attenuation1;
        l->attenuation[i][3] = light.Attenuation2;
        l->spot[i][0] = std::cos(light.Theta * 0.5f);
        l->spot[i][1] = std::cos(light.Phi * 0.5f);
        l->spot[i][2] = light.Falloff;
    }
}

void computeMisc(const PipelineState& state, FfpVertexValues::Misc* m) {
    const DWORD* rs = state.renderStates;
    const float start = floatOf(rs[D3DRS_FOGSTART]);
    const float end = floatOf(rs[D3DRS_FOGEND]);
    m->fog[0] = start;
    m->fog[1] = end;
    m->fog[2] = floatOf(rs[D3DRS_FOGDENSITY]);
    // Equal start and end: a step at the end distance.
    m->fog[3] = end != start ? 1.0f / (end - start) : 1e30f;
    m->point[0] = floatOf(rs[D3DRS_POINTSIZE]);
    m->point[1] = floatOf(rs[D3DRS_POINTSIZE_MIN]);
    m->point[2] = floatOf(rs[D3DRS_POINTSIZE_MAX]);
    m->point[3] = 0.0f;
    m->pointScale[0] = floatOf(rs[D3DRS_POINTSCALE_A]);
    m->pointScale[1] = floatOf(rs[D3DRS_POINTSCALE_B]);
    m->pointScale[2] = floatOf(rs[D3DRS_POINTSCALE_C]);
    m->pointScale[3] = 0.0f;
    std::memcpy(m->clipPlanes, state.clipPlanes, sizeof m->clipPlanes);
}

template <typename T>
bool changed(T& last, const T& now, bool force) {
    if (!force && std::memcmp(&last, &now, sizeof now) == 0) return false;
    std::memcpy(&last, &now, sizeof now);
    return true;
}

}  // namespace

void uploadFfpVertexUniforms(FfpVertexUniforms* u, const FfpVertexKey& key, const PipelineState& state,
                             const FfpLightSelection& lights) {
    const bool force = !u->uploadedOnce;
    u->uploadedOnce = true;
    FfpVertexValues now;
    if (!key.pretransformed) {
        computeTransforms(state, &now.transforms);
        if (changed(u->last.transforms, now.transforms, force)) {
            const auto& t = now.transforms;
            glUniformMatrix4fv(u->worldView, 1, GL_FALSE, t.worldView);
            glUniformMatrix4fv(u->projection, 1, GL_FALSE, t.projection);
            glUniformMatrix3fv(u->normalMatrix, 1, GL_TRUE, t.normalMatrix);
            glUniformMatrix4fv(u->world, 1, GL_FALSE, t.world);
            glUniform1f(u->tweenFactor, t.tweenFactor);
        }
    }
    if (key.lighting) {
        computeMaterial(state, &now.material);
        if (changed(u->last.material, now.material, force)) {
            const auto& m = now.material;
            glUniform4fv(u->materialDiffuse, 1, m.diffuse);
            glUniform4fv(u->materialAmbient, 1, m.ambient);
            glUniform4fv(u->materialSpecular, 1, m.specular);
            glUniform4fv(u->materialEmissive, 1, m.emissive);
            glUniform1f(u->materialPower, m.power);
            glUniform4fv(u->ambient, 1, m.globalAmbient);
        }
        computeLights(state, lights, &now.lights);
        if (changed(u->last.lights, now.lights, force)) {
            const auto& l = now.lights;
            const int n = d3d::kMaxActiveLights;
            glUniform4fv(u->lightDiffuse, n, &l.diffuse[0][0]);
            glUniform4fv(u->lightSpecular, n, &l.specular[0][0]);
            glUniform4fv(u->lightAmbient, n, &l.ambient[0][0]);
            glUniform3fv(u->lightPosition, n, &l.position[0][0]);
            glUniform3fv(u->lightDirection, n, &l.direction[0][0]);
            glUniform4fv(u->lightAttenuation, n, &l.attenuation[0][0]);
            glUniform3fv(u->lightSpot, n, &l.spot[0][0]);
        }
    }
    computeMisc(state, &now.misc);
    if (changed(u->last.misc, now.misc, force)) {
        const auto& m = now.misc;
        glUniform4fv(u->fogParams, 1, m.fog);
        glUniform4fv(u->pointParams, 1, m.point);
        glUniform4fv(u->pointScale, 1, m.pointScale);
        glUniform4fv(u->clipPlanes, d3d::kMaxClipPlanes, &m.clipPlanes[0][0]);
    }
    if (!key.pretransformed) {
        std::memcpy(now.textureMatrices, state.texture, sizeof now.textureMatrices);
        if (changed(u->last.textureMatrices, now.textureMatrices, force))
            glUniformMatrix4fv(u->textureMatrices, d3d::kMaxTextureStages, GL_FALSE, &now.textureMatrices[0][0]);
    }
}

}  // namespace zep::gl
