// Vertex lighting through the public interface: each light type with range,
// attenuation and spot cone, ambient, emissive and specular terms, material
// sources, normalisation and camera-space lights. The quad spans the whole
// screen at z = 0 facing the camera (normal (0, 0, -1)); lighting is per
// vertex, and every case is built so that the four corners light alike.
// Expected colours are Direct3D 8's lighting equations by hand.
#include "test_draw_support.h"

#include <cmath>
#include <utility>
#include <vector>

namespace {

using zep::test::colorNear;
using zep::test::identityMatrix;
using zep::test::kSceneFvf;
using zep::test::sceneQuad;

constexpr float kDegrees = 3.14159265f / 180.0f;

D3DCOLORVALUE rgb(float r, float g, float b) { return {r, g, b, 1.0f}; }

D3DLIGHT8 directional(float x, float y, float z, D3DCOLORVALUE diffuse = rgb(1, 1, 1)) {
    D3DLIGHT8 l{};
    l.Type = D3DLIGHT_DIRECTIONAL;
    l.Diffuse = diffuse;
    l.Direction = {x, y, z};
    return l;
}

// At (0, 0, -1): every corner (+-1, +-1, 0) is sqrt(3) away and sees the
// light at N.L = 1 / sqrt(3) = 0.577.
D3DLIGHT8 point(float a0, float a1, float a2, float range = 10.0f) {
    D3DLIGHT8 l{};
    l.Type = D3DLIGHT_POINT;
    l.Diffuse = rgb(1, 1, 1);
    l.Position = {0, 0, -1};
    l.Range = range;
    l.Attenuation0 = a0;
    l.Attenuation1 = a1;
    l.Attenuation2 = a2;
    return l;
}

// Shining down +z from (0, 0, -1): the corners are at rho = 0.577 from its axis.
D3DLIGHT8 spot(float thetaDegrees, float phiDegrees, float falloff) {
    D3DLIGHT8 l = point(1, 0, 0);
    l.Type = D3DLIGHT_SPOT;
    l.Direction = {0, 0, 1};
    l.Theta = thetaDegrees * kDegrees;
    l.Phi = phiDegrees * kDegrees;
    l.Falloff = falloff;
    return l;
}

struct LightCase {
    const char* name;
    D3DLIGHT8 light;
    std::vector<std::pair<D3DRENDERSTATETYPE, DWORD>> states;
    D3DMATERIAL8 material;
    DWORD vertexDiffuse, vertexSpecular;
    float normalZ;
    D3DMATRIX view;
    DWORD expected;
};

D3DMATERIAL8 whiteMaterial() {
    D3DMATERIAL8 m{};
    m.Diffuse = rgb(1, 1, 1);
    return m;
}

LightCase lightCase(const char* name, const D3DLIGHT8& light, DWORD expected) {
    return {name, light, {}, whiteMaterial(), 0xFF808080, 0xFF808080, -1.0f, identityMatrix(), expected};
}

std::vector<LightCase> cases() {
    std::vector<LightCase> c;
    c.push_back(lightCase("directional facing", directional(0, 0, 1, rgb(1, 0, 0)), 0xFF0000));
    // N.L = cos 60 = 0.5; the direction need not be unit length
    c.push_back(lightCase("directional at 60 degrees", directional(0, -1.732f, 1, rgb(1, 0, 0)), 0x800000));
    c.push_back(lightCase("directional from behind", directional(0, 0, -1), 0x000000));
    c.push_back(lightCase("point, constant attenuation", point(1, 0, 0), 0x939393));
    c.push_back(lightCase("point, linear attenuation", point(0, 1, 0), 0x555555));         // 0.577 / 1.732
    c.push_back(lightCase("point, quadratic attenuation", point(0, 0, 1), 0x313131));      // 0.577 / 3
    c.push_back(lightCase("point, out of range", point(1, 0, 0, 1.5f), 0x000000));         // sqrt(3) > 1.5
    // between the cones: ((0.577 - cos 70) / (cos 40 - cos 70))^1 = 0.555, times 0.577
    c.push_back(lightCase("spot, penumbra", spot(80, 140, 1), 0x525252));
    c.push_back(lightCase("spot, penumbra with falloff 2", spot(80, 140, 2), 0x2D2D2D));  // 0.555^2 * 0.577
    c.push_back(lightCase("spot, inside the inner cone", spot(120, 140, 1), 0x939393));
    c.push_back(lightCase("spot, outside the outer cone", spot(80, 100, 1), 0x000000));

    LightCase ambient = lightCase("ambient", directional(0, 0, 1, rgb(0, 0, 0)), 0x40C000);
    ambient.light.Ambient = rgb(0, 0.5f, 0);
    ambient.material.Ambient = rgb(1, 1, 0);
    ambient.states = {{D3DRS_AMBIENT, 0x00404040}};  // (0.251, 0.251 + 0.5, 0.251) x (1, 1, 0)
    c.push_back(ambient);

    LightCase emissive = lightCase("emissive", directional(0, 0, 1, rgb(1, 0, 0)), 0xFF00FF);
    emissive.material.Emissive = rgb(0, 0, 1);
    c.push_back(emissive);

    // Local viewer: at corner (1, 1, 0) the viewer direction is (-1, -1, 0) / sqrt 2,
    // H = normalize(V + L) = (-0.5, -0.5, -0.707), (N.H)^2 = 0.5.
    LightCase specular = lightCase("specular", directional(0, 0, 1, rgb(0, 0, 0)), 0x008000);
    specular.light.Specular = rgb(0, 1, 0);
    specular.material.Specular = rgb(1, 1, 1);
    specular.material.Power = 2.0f;
    specular.states = {{D3DRS_SPECULARENABLE, TRUE}};
    c.push_back(specular);
    LightCase noSpecular = specular;
    noSpecular.name = "specular disabled";
    noSpecular.states = {{D3DRS_SPECULARENABLE, FALSE}};
    noSpecular.expected = 0x000000;
    c.push_back(noSpecular);

    LightCase colorVertex = lightCase("diffuse from vertex colour 1", directional(0, 0, 1), 0x00FF00);
    colorVertex.material.Diffuse = rgb(1, 0, 0);
    colorVertex.vertexDiffuse = 0xFF00FF00;
    colorVertex.states = {{D3DRS_COLORVERTEX, TRUE}, {D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1}};
    c.push_back(colorVertex);
    LightCase noColorVertex = colorVertex;
    noColorVertex.name = "COLORVERTEX off uses the material";
    noColorVertex.states = {{D3DRS_COLORVERTEX, FALSE}, {D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1}};
    noColorVertex.expected = 0xFF0000;
    c.push_back(noColorVertex);

    LightCase ambientSource = lightCase("ambient from vertex colour 1", directional(0, 0, 1, rgb(0, 0, 0)), 0x00FF00);
    ambientSource.vertexDiffuse = 0xFF00FF00;
    ambientSource.states = {{D3DRS_AMBIENT, 0x00FFFFFF},
                            {D3DRS_COLORVERTEX, TRUE},
                            {D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL},
                            {D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_COLOR1}};
    c.push_back(ambientSource);

    LightCase emissiveSource = lightCase("emissive from vertex colour 2", directional(0, 0, 1, rgb(0, 0, 0)), 0x0000FF);
    emissiveSource.vertexSpecular = 0xFF0000FF;
    emissiveSource.states = {{D3DRS_COLORVERTEX, TRUE},
                             {D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL},
                             {D3DRS_SPECULARMATERIALSOURCE, D3DMCS_MATERIAL},
                             {D3DRS_EMISSIVEMATERIALSOURCE, D3DMCS_COLOR2}};
    c.push_back(emissiveSource);

    LightCase unlit = lightCase("lighting off passes the vertex colour", directional(0, 0, 1), 0x00FFFF);
    unlit.vertexDiffuse = 0xFF00FFFF;
    unlit.states = {{D3DRS_LIGHTING, FALSE}};
    c.push_back(unlit);

    // A normal of length 2: N.L = 2 x 0.4 unless normalised.
    LightCase longNormal = lightCase("unnormalised normal", directional(0, 0, 1, rgb(0.4f, 0.4f, 0.4f)), 0xCCCCCC);
    longNormal.normalZ = -2.0f;
    c.push_back(longNormal);
    LightCase normalized = longNormal;
    normalized.name = "NORMALIZENORMALS";
    normalized.states = {{D3DRS_NORMALIZENORMALS, TRUE}};
    normalized.expected = 0x666666;
    c.push_back(normalized);

    // The view moves the point light with the scene: both shift by +1 in z,
    // the geometry is unchanged (a light left in place would give N.L = 0.816).
    LightCase movedView = lightCase("point light through the view", point(1, 0, 0), 0x939393);
    movedView.view._43 = 1.0f;
    c.push_back(movedView);
    // Turned half a circle about y: the world normal +z and the world light
    // direction -z both become camera-space facing.
    LightCase turnedView = lightCase("directional light through the view", directional(0, 0, -1, rgb(0, 0, 1)), 0x0000FF);
    turnedView.view._11 = -1.0f;
    turnedView.view._33 = -1.0f;
    turnedView.normalZ = 1.0f;
    c.push_back(turnedView);
    return c;
}

class DrawLighting : public zep::test::DrawTest {};

TEST_F(DrawLighting, LightTypesTermsAndSourcesFollowDirect3DsEquations) {
    D3DMATRIX projection = identityMatrix();
    projection._33 = 0.5f;
    d3d->SetTransform(D3DTS_PROJECTION, &projection);
    d3d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    d3d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    for (const LightCase& c : cases()) {
        SCOPED_TRACE(c.name);
        // Direct3D's defaults, then the case's own states.
        d3d->SetRenderState(D3DRS_LIGHTING, TRUE);
        d3d->SetRenderState(D3DRS_AMBIENT, 0);
        d3d->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
        d3d->SetRenderState(D3DRS_NORMALIZENORMALS, FALSE);
        d3d->SetRenderState(D3DRS_LOCALVIEWER, TRUE);
        d3d->SetRenderState(D3DRS_COLORVERTEX, FALSE);
        d3d->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1);
        d3d->SetRenderState(D3DRS_SPECULARMATERIALSOURCE, D3DMCS_COLOR2);
        d3d->SetRenderState(D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_MATERIAL);
        d3d->SetRenderState(D3DRS_EMISSIVEMATERIALSOURCE, D3DMCS_MATERIAL);
        for (const auto& [state, value] : c.states) d3d->SetRenderState(state, value);
        d3d->SetTransform(D3DTS_VIEW, &c.view);
        d3d->SetMaterial(&c.material);
        ASSERT_EQ(d3d->SetLight(0, &c.light), D3D_OK);
        ASSERT_EQ(d3d->LightEnable(0, TRUE), D3D_OK);
        d3d->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
        ASSERT_EQ(drawStrip(sceneQuad(-1, -1, 1, 1, 0.0f, c.vertexDiffuse, c.vertexSpecular, 0, 0, c.normalZ), kSceneFvf),
                  D3D_OK);
        EXPECT_TRUE(colorNear(read().at(32, 32), 0xFF000000 | c.expected, 3));
    }
}

TEST_F(DrawLighting, EnabledLightsAddUpAndDisabledOnesDoNot) {
    d3d->SetRenderState(D3DRS_LIGHTING, TRUE);
    d3d->SetRenderState(D3DRS_COLORVERTEX, FALSE);
    d3d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    d3d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    const D3DMATERIAL8 material = whiteMaterial();
    d3d->SetMaterial(&material);
    const D3DLIGHT8 red = directional(0, 0, 1, rgb(1, 0, 0));
    const D3DLIGHT8 green = directional(0, 0, 1, rgb(0, 1, 0));
    const D3DLIGHT8 blue = directional(0, 0, 1, rgb(0, 0, 1));
    d3d->SetLight(2, &red);
    d3d->SetLight(40, &green);
    d3d->SetLight(7, &blue);
    d3d->LightEnable(2, TRUE);
    d3d->LightEnable(40, TRUE);
    d3d->LightEnable(7, FALSE);
    ASSERT_EQ(drawStrip(sceneQuad(-1, -1, 1, 1, 0.5f, 0xFFFFFFFF), kSceneFvf), D3D_OK);
    EXPECT_TRUE(colorNear(read().at(32, 32), 0xFFFFFF00, 3));
}

}  // namespace
