// The fixed-function vertex stage as generated GLSL.
//
// A draw's recorded state and vertex layout reduce to an FfpVertexKey: only
// what changes the program's text (which inputs exist, light types, colour
// sources, fog formula, texture-coordinate sources and transforms). Values
// that do not change the text (matrices, light colours, fog range) are
// uniforms, uploaded by uploadFfpVertexUniforms only when they changed for
// that program.
#pragma once

#include "d3d8/pipeline_state.h"

#include <epoxy/gl.h>

#include <cstdint>
#include <string>

namespace zep::gl {

// Light types in the key; 0 = slot unused.
enum FfpLightType : uint8_t { kFfpLightNone = 0, kFfpLightPoint = 1, kFfpLightSpot = 2, kFfpLightDirectional = 3 };

// Where a fog factor comes from.
enum FfpFogSource : uint8_t {
    kFogNone = 0,
    kFogEyeDistance = 1,   // vertex fog: camera-space depth (or range) through the formula
    kFogSpecularAlpha = 2, // no formula applies (pre-transformed vertex fog, or no fog mode): the specular alpha
    kFogEyeW = 3,          // table fog under a perspective projection: w (1 / rhw when pre-transformed)
    kFogDepth = 4,         // table fog under an affine projection: the device depth
};

struct FfpTexCoordKey {
    uint8_t set;        // coordinate set read by PASSTHRU
    uint8_t generation; // D3DTSS_TCI_* >> 16
    uint8_t count;      // D3DTTFF_COUNTn (0: no transform)
    uint8_t projected;  // D3DTTFF_PROJECTED with a count
    uint8_t inputSize;  // components of the set in the layout (0: the set is missing)
};

// Bytes only, so that the key has no padding and hashes as raw memory.
struct FfpVertexKey {
    uint8_t pretransformed;
    uint8_t hasNormal;
    uint8_t hasDiffuse;
    uint8_t hasSpecular;
    uint8_t hasPointSize;
    uint8_t tween;        // D3DVBF_TWEENING with POSITION2 present
    uint8_t tweenNormal;  // ... and NORMAL2 present
    uint8_t lighting;
    uint8_t lightTypes[d3d::kMaxActiveLights];
    uint8_t specularEnable;
    uint8_t localViewer;
    uint8_t normalizeNormals;
    uint8_t diffuseSource;   // D3DMCS_*, already resolved against the vertex colours present
    uint8_t specularSource;
    uint8_t ambientSource;
    uint8_t emissiveSource;
    uint8_t fogSource;       // FfpFogSource
    uint8_t fogFormula;      // D3DFOG_EXP, EXP2 or LINEAR
    uint8_t rangeFog;
    uint8_t pointScale;
    uint8_t clipPlanes;      // D3DRS_CLIPPLANEENABLE bits 0..5
    uint8_t flatShade;       // colours use flat interpolation
    uint8_t texStageCount;
    FfpTexCoordKey tex[d3d::kMaxTextureStages];
};

// The light slots (indices into PipelineState::lights) in key order.
struct FfpLightSelection {
    int count;
    int slots[d3d::kMaxActiveLights];
};

// The key for a draw. `texStageCount` is how many stages' coordinates the
// fragment part reads; `flatShade` whether both parts are fixed-function and
// D3DRS_SHADEMODE is flat.
void makeFfpVertexKey(const d3d::PipelineState& state, const d3d::VertexLayout& layout, int texStageCount,
                      bool flatShade, FfpVertexKey* key, FfpLightSelection* lights);

std::string ffpVertexSource(const FfpVertexKey& key);

// The uniform values of the vertex part, grouped by how often they change
// together; each group is compared with the previous upload as a whole.
struct FfpVertexValues {
    struct Transforms {
        float worldView[16];    // row-major world x view, uploaded as is (GLSL M * v == v x M)
        float projection[16];
        float normalMatrix[9];  // inverse of world x view's 3x3, uploaded transposed
        float world[16];
        float tweenFactor;
    } transforms;
    struct Material {
        float diffuse[4], ambient[4], specular[4], emissive[4];
        float power;
        float globalAmbient[4];  // D3DRS_AMBIENT
    } material;
    struct Lights {
        float diffuse[d3d::kMaxActiveLights][4];
        float specular[d3d::kMaxActiveLights][4];
        float ambient[d3d::kMaxActiveLights][4];
        float position[d3d::kMaxActiveLights][3];   // camera space
        float direction[d3d::kMaxActiveLights][3];  // camera space, unit, the way the light shines
        float attenuation[d3d::kMaxActiveLights][4];  // range, a0, a1, a2
        float spot[d3d::kMaxActiveLights][3];       // cos(theta / 2), cos(phi / 2), falloff
    } lights;
    struct Misc {
        float fog[4];         // start, end, density, 1 / (end - start)
        float point[4];       // size, min, max, unused
        float pointScale[4];  // A, B, C, unused
        float clipPlanes[d3d::kMaxClipPlanes][4];
    } misc;
    float textureMatrices[d3d::kMaxTextureStages][16];
};

// Uniform locations of one linked program, and the values last uploaded to
// it, so that unchanged groups are skipped.
struct FfpVertexUniforms {
    GLint worldView, projection, normalMatrix, world, tweenFactor;
    GLint materialDiffuse, materialAmbient, materialSpecular, materialEmissive, materialPower, ambient;
    GLint lightDiffuse, lightSpecular, lightAmbient, lightPosition, lightDirection, lightAttenuation, lightSpot;
    GLint fogParams, pointParams, pointScale, clipPlanes, textureMatrices;
    bool uploadedOnce;
    FfpVertexValues last;
};

void locateFfpVertexUniforms(GLuint program, FfpVertexUniforms* uniforms);
void uploadFfpVertexUniforms(FfpVertexUniforms* uniforms, const FfpVertexKey& key, const d3d::PipelineState& state,
                             const FfpLightSelection& lights);

}  // namespace zep::gl
