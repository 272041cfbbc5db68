// Vertex lighting: each light type with range, attenuation and spot cone,
// ambient, emissive and specular terms, the material sources with and
// without COLORVERTEX, normalisation, the local and the distant viewer, and
// lights placed through the view. The quad spans the whole screen at z = 0
// facing the camera (normal (0, 0, -1)); lighting is per vertex, and every
// case is built so that the four corners light alike. Expected colours are
// Direct3D 8's lighting equations worked out by hand.
#include "visual_case.h"

#include <utility>
#include <vector>

namespace {

using zep::visual::Context;
using zep::visual::identityMatrix;
using zep::visual::kSceneFvf;
using zep::visual::sceneQuad;

constexpr float kDegrees = 3.14159265f / 180.0f;

D3DCOLORVALUE rgb(float r, float g, float b, float a = 1.0f) { return {r, g, b, a}; }

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

D3DMATERIAL8 whiteMaterial() {
    D3DMATERIAL8 m{};
    m.Diffuse = rgb(1, 1, 1);
    return m;
}

struct LightCase {
    const char* name;
    D3DLIGHT8 light;
    std::vector<std::pair<D3DRENDERSTATETYPE, DWORD>> states;  // over the defaults set below
    D3DMATERIAL8 material;
    DWORD vertexDiffuse, vertexSpecular;
    float normalZ;
    D3DMATRIX view;
    DWORD expected;
    bool showAlpha;  // the stage shows the lit diffuse alpha as grey
};

LightCase lightCase(const char* name, const D3DLIGHT8& light, DWORD expected) {
    return {name, light, {}, whiteMaterial(), 0xFF808080, 0xFF808080, -1.0f, identityMatrix(), expected, false};
}

// Specular only: a black diffuse light with a green specular one.
LightCase specularCase(const char* name, const D3DLIGHT8& direction, DWORD expected) {
    LightCase c = lightCase(name, direction, expected);
    c.light.Diffuse = rgb(0, 0, 0);
    c.light.Specular = rgb(0, 1, 0);
    c.material.Specular = rgb(1, 1, 1);
    c.material.Power = 2.0f;
    c.states = {{D3DRS_SPECULARENABLE, TRUE}};
    return c;
}

std::vector<LightCase> lightCases() {
    std::vector<LightCase> c;
    c.push_back(lightCase("directional facing", directional(0, 0, 1, rgb(1, 0, 0)), 0xFF0000));
    // N.L = cos 60 = 0.5; the direction need not be unit length
    c.push_back(lightCase("directional at 60 degrees", directional(0, -1.732f, 1, rgb(1, 0, 0)), 0x800000));
    c.push_back(lightCase("directional from behind", directional(0, 0, -1), 0x000000));
    c.push_back(lightCase("point constant attenuation", point(1, 0, 0), 0x939393));
    c.push_back(lightCase("point linear attenuation", point(0, 1, 0), 0x555555));     // 0.577 / 1.732
    c.push_back(lightCase("point quadratic attenuation", point(0, 0, 1), 0x313131));  // 0.577 / 3
    c.push_back(lightCase("point out of range", point(1, 0, 0, 1.5f), 0x000000));     // sqrt(3) > 1.5
    // between the cones: ((0.577 - cos 70) / (cos 40 - cos 70))^1 = 0.555, times 0.577
    c.push_back(lightCase("spot penumbra", spot(80, 140, 1), 0x525252));
    c.push_back(lightCase("spot penumbra with falloff 2", spot(80, 140, 2), 0x2D2D2D));  // 0.555^2 * 0.577
    c.push_back(lightCase("spot inside the inner cone", spot(120, 140, 1), 0x939393));
    c.push_back(lightCase("spot outside the outer cone", spot(80, 100, 1), 0x000000));

    LightCase ambient = lightCase("ambient", directional(0, 0, 1, rgb(0, 0, 0)), 0x40C000);
    ambient.light.Ambient = rgb(0, 0.5f, 0);
    ambient.material.Ambient = rgb(1, 1, 0);
    ambient.states = {{D3DRS_AMBIENT, 0x00404040}};  // (0.251, 0.251 + 0.5, 0.251) x (1, 1, 0)
    c.push_back(ambient);

    // A point light's ambient is attenuated like its diffuse: 1 / (1 x 1.732).
    LightCase pointAmbient = lightCase("point light ambient attenuated", point(0, 1, 0), 0x939393);
    pointAmbient.light.Diffuse = rgb(0, 0, 0);
    pointAmbient.light.Ambient = rgb(1, 1, 1);
    pointAmbient.material.Ambient = rgb(1, 1, 1);
    c.push_back(pointAmbient);
    LightCase pointAmbientOut = pointAmbient;
    pointAmbientOut.name = "point light ambient out of range";
    pointAmbientOut.light.Range = 1.5f;
    pointAmbientOut.expected = 0x000000;
    c.push_back(pointAmbientOut);

    LightCase emissive = lightCase("emissive", directional(0, 0, 1, rgb(1, 0, 0)), 0xFF00FF);
    emissive.material.Emissive = rgb(0, 0, 1);
    c.push_back(emissive);

    // Local viewer: at corner (1, 1, 0) the viewer direction is (-1, -1, 0) / sqrt 2,
    // H = normalize(V + L) = (-0.5, -0.5, -0.707), (N.H)^2 = 0.5.
    c.push_back(specularCase("highlight", directional(0, 0, 1), 0x008000));
    LightCase noSpecular = specularCase("highlight disabled", directional(0, 0, 1), 0x000000);
    noSpecular.states = {{D3DRS_SPECULARENABLE, FALSE}};
    c.push_back(noSpecular);
    // The light comes from L = (0, 0.6, -0.8). With the viewer at infinity
    // towards -z, V = (0, 0, -1) and H = (0, 0.316, -0.949): (N.H)^2 = 0.9.
    // (A viewer direction of +z would put H at (0, 0.949, 0.316), N.H < 0: no
    // highlight at all.)
    LightCase distantViewer = specularCase("highlight distant viewer", directional(0, -0.6f, 0.8f), 0x00E600);
    distantViewer.states.push_back({D3DRS_LOCALVIEWER, FALSE});
    c.push_back(distantViewer);
    // The same light seen from the origin: V = -(x, y, 0) / |(x, y)| at each
    // corner gives (N.H)^2 = 0.556 at the top corners and 0.225 at the
    // bottom ones; the centre lies on the diagonal from (1, 1) to (-1, -1):
    // (0.556 + 0.225) / 2 = 0.39.
    c.push_back(specularCase("highlight local viewer off axis", directional(0, -0.6f, 0.8f), 0x006400));

    // The engine's lit objects: the ambient from the vertex colour, the
    // rest from a white material of power 50, highlights on, distant viewer.
    // Diffuse 0.5 x N.L 0.8 = 0.4; ambient (0.5, 0.5, 1) x 0.251; specular
    // 0.949^50 = 0.072: (0.4 + 0.126 + 0.072, .., 0.4 + 0.251 + 0.072).
    LightCase engine = specularCase("the engine's lit object", directional(0, -0.6f, 0.8f), 0x9898B8);
    engine.light.Diffuse = rgb(0.5f, 0.5f, 0.5f);
    engine.light.Specular = rgb(1, 1, 1);
    engine.light.Range = 1000000.0f;
    engine.light.Attenuation1 = 0.8f;
    engine.material.Power = 50.0f;
    engine.vertexDiffuse = 0xFF8080FF;
    engine.states = {{D3DRS_SPECULARENABLE, TRUE},
                     {D3DRS_LOCALVIEWER, FALSE},
                     {D3DRS_NORMALIZENORMALS, TRUE},
                     {D3DRS_AMBIENT, 0xFF404040},
                     {D3DRS_COLORVERTEX, TRUE},
                     {D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL},
                     {D3DRS_SPECULARMATERIALSOURCE, D3DMCS_MATERIAL},
                     {D3DRS_EMISSIVEMATERIALSOURCE, D3DMCS_MATERIAL},
                     {D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_COLOR1}};
    c.push_back(engine);

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

    // The highlight of the "highlight" row, tinted by the vertex's specular
    // colour (blue) instead of the white material: 0.5 x (0, 1, 1) x blue.
    LightCase specularSource = specularCase("highlight from vertex colour 2", directional(0, 0, 1), 0x000080);
    specularSource.light.Specular = rgb(0, 1, 1);
    specularSource.vertexSpecular = 0xFF0000FF;
    specularSource.states.push_back({D3DRS_COLORVERTEX, TRUE});
    specularSource.states.push_back({D3DRS_SPECULARMATERIALSOURCE, D3DMCS_COLOR2});
    c.push_back(specularSource);

    // The lit diffuse alpha is the diffuse material's alpha; the light
    // and the vertex colour's alpha do not enter.
    LightCase materialAlpha = lightCase("alpha from the diffuse material", directional(0, 0, 1), 0x404040);
    materialAlpha.material.Diffuse = rgb(1, 1, 1, 0.25f);
    materialAlpha.vertexDiffuse = 0x80FFFFFF;
    materialAlpha.showAlpha = true;
    c.push_back(materialAlpha);
    LightCase vertexAlpha = materialAlpha;
    vertexAlpha.name = "alpha from vertex colour 1";
    vertexAlpha.states = {{D3DRS_COLORVERTEX, TRUE}, {D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1}};
    vertexAlpha.expected = 0x808080;
    c.push_back(vertexAlpha);

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

// x and y pass straight through; depth 0.5 z + 0.25 keeps the quad at z = 0
// (and the view's z = 1) inside the depth range.
void setProjection(IDirect3DDevice8* d3d) {
    D3DMATRIX projection = identityMatrix();
    projection._33 = 0.5f;
    projection._43 = 0.25f;
    d3d->SetTransform(D3DTS_PROJECTION, &projection);
}

// Direct3D's defaults for the lighting states the cases vary, except
// COLORVERTEX, which starts off so that the material is what lights.
void setLightingDefaults(IDirect3DDevice8* d3d) {
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
}

void showDiffuse(IDirect3DDevice8* d3d, bool alphaAsGrey) {
    d3d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    d3d->SetTextureStageState(0, D3DTSS_COLORARG1, alphaAsGrey ? DWORD(D3DTA_DIFFUSE | D3DTA_ALPHAREPLICATE)
                                                               : DWORD(D3DTA_DIFFUSE));
}

}  // namespace

ZEP_VISUAL_GROUP(lighting) {
    // Each light type, term and colour source follows Direct3D's equations.
    for (const LightCase& lc : lightCases()) {
        cases.add(lc.name, [lc](Context& c) {
            setProjection(c.d3d);
            showDiffuse(c.d3d, lc.showAlpha);
            setLightingDefaults(c.d3d);
            for (const auto& [state, value] : lc.states) c.d3d->SetRenderState(state, value);
            c.d3d->SetTransform(D3DTS_VIEW, &lc.view);
            c.d3d->SetMaterial(&lc.material);
            if (!c.check(c.d3d->SetLight(0, &lc.light), "SetLight")) return;
            if (!c.check(c.d3d->LightEnable(0, TRUE), "LightEnable")) return;
            c.drawStrip(sceneQuad(-1, -1, 1, 1, 0.0f, lc.vertexDiffuse, lc.vertexSpecular, 0, 0, lc.normalZ),
                        kSceneFvf);
            c.expect(32, 32, lc.expected);
        });
    }

    // A colour source that names a vertex colour the format lacks falls
    // back to the material.
    cases.add("diffuse source without vertex colour uses the material", [](Context& c) {
        struct LitVertex {
            float x, y, z, nx, ny, nz;
        };
        const std::vector<LitVertex> quad = {
            {-1, 1, 0, 0, 0, -1}, {1, 1, 0, 0, 0, -1}, {-1, -1, 0, 0, 0, -1}, {1, -1, 0, 0, 0, -1}};
        setProjection(c.d3d);
        showDiffuse(c.d3d, false);
        setLightingDefaults(c.d3d);
        c.d3d->SetRenderState(D3DRS_COLORVERTEX, TRUE);
        c.d3d->SetRenderState(D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_COLOR1);
        c.d3d->SetRenderState(D3DRS_AMBIENT, 0x00FFFFFF);
        D3DMATERIAL8 material{};
        material.Diffuse = rgb(1, 0, 0);
        material.Ambient = rgb(0, 0, 0.5f);
        c.d3d->SetMaterial(&material);
        const D3DLIGHT8 light = directional(0, 0, 1);
        c.d3d->SetLight(0, &light);
        c.d3d->LightEnable(0, TRUE);
        c.drawStrip(quad, D3DFVF_XYZ | D3DFVF_NORMAL);
        c.expect(32, 32, 0xFF0080);  // material diffuse red + material ambient half blue
    });

    // Enabled lights add up, whatever their indices; disabled ones do not.
    cases.add("enabled lights add up and disabled ones do not", [](Context& c) {
        setProjection(c.d3d);
        showDiffuse(c.d3d, false);
        c.d3d->SetRenderState(D3DRS_LIGHTING, TRUE);
        c.d3d->SetRenderState(D3DRS_COLORVERTEX, FALSE);
        const D3DMATERIAL8 material = whiteMaterial();
        c.d3d->SetMaterial(&material);
        const D3DLIGHT8 red = directional(0, 0, 1, rgb(1, 0, 0));
        const D3DLIGHT8 green = directional(0, 0, 1, rgb(0, 1, 0));
        const D3DLIGHT8 blue = directional(0, 0, 1, rgb(0, 0, 1));
        c.d3d->SetLight(2, &red);
        c.d3d->SetLight(40, &green);
        c.d3d->SetLight(7, &blue);
        c.d3d->LightEnable(2, TRUE);
        c.d3d->LightEnable(40, TRUE);
        c.d3d->LightEnable(7, FALSE);
        c.drawStrip(sceneQuad(-1, -1, 1, 1, 0.5f, 0xFFFFFFFF), kSceneFvf);
        c.expect(32, 32, 0xFFFF00);
    });
}
