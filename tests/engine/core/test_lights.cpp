// Lights, the default material, the ambient colour and fog: lit colours as
// Direct3D 8's lighting equations give them under the engine's material
// (diffuse from the material, ambient from the vertex colour), the light
// index check and its log line, and the material the ambient colour and the
// lighting mode produce.

#include "engine_device_fixture.h"

#include <cmath>
#include <string>

namespace {

using zep::test::areaNear;
using zep::test::EngineDeviceTest;
using zep::test::quad;
using zep::test::screenFillingQuad;

constexpr float kPi = 3.14159265f;

::testing::AssertionResult colorValueNear(const D3DCOLORVALUE& actual, float r, float g, float b, float a) {
    const float tolerance = 1e-5f;
    if (std::fabs(actual.r - r) <= tolerance && std::fabs(actual.g - g) <= tolerance &&
        std::fabs(actual.b - b) <= tolerance && std::fabs(actual.a - a) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << actual.r << ", " << actual.g << ", " << actual.b << ", " << actual.a
                                         << "), expected (" << r << ", " << g << ", " << b << ", " << a << ")";
}

class Lights : public EngineDeviceTest {
protected:
    BOOL lightEnabled(DWORD index) const {
        BOOL enabled = -1;
        d3d->GetLightEnable(index, &enabled);
        return enabled;
    }
};

}  // namespace

TEST_F(Lights, DiffuseLightShinesAlongTheSun) {
    // A white screen-filling quad facing the camera; the material's ambient
    // is the vertex colour.
    const struct Case {
        const char* name;
        D3DVECTOR sun;
        uint32_t lightAmbient, lightDiffuse, ambientColor;
        D3DCOLOR expected;
    } cases[] = {
        {"head-on: diffuse and light ambient", {0, 0, 1}, 0xFF0000FF, 0xFFFF0000, 0xFF000000, 0xFFFF00FF},
        {"from behind: light ambient only", {0, 0, -1}, 0xFF0000FF, 0xFFFF0000, 0xFF000000, 0xFF0000FF},
        {"at 45 degrees: cosine of the angle", {0, 1, 1}, 0xFF000000, 0xFFFF0000, 0xFF000000, 0xFFB40000},
        {"from behind: the ambient colour", {0, 0, -1}, 0xFF000000, 0xFFFF0000, 0xFF00FF00, 0xFF00FF00},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        beginFrame(0xFF000000);
        SetSunDirection(c.sun.x, c.sun.y, c.sun.z);
        SetAmbientColor(c.ambientColor);
        SetupDiffuseLight(0, c.lightAmbient, c.lightDiffuse);
        EXPECT_EQ(ZEPengine.lightingEnabled, 1);
        drawTriangles(screenFillingQuad(10, 0xFFFFFFFF));
        EXPECT_TRUE(areaNear(endFrame(), 32, 32, c.expected));
    }
}

TEST_F(Lights, PointLightIsPlacedThroughTheCamera) {
    // The camera is turned half round: world +z is camera -z. The quad at
    // world z = -10 faces world +z, so it faces the camera at depth 10.
    D3DMATRIX camera;
    ZEP_matrix4x4(&camera, 0.0f, kPi, 0.0f, 0.0f, 0.0f, 0.0f);
    const struct Case {
        const char* name;
        float z, range, attenuation0;
        D3DCOLOR expected;
    } cases[] = {
        {"in front of the quad", 1000, 5000, 1, 0xFFFF0000},
        {"attenuated by the default light", 1000, 5000, 2, 0xFF800000},
        {"behind the quad", -1000, 5000, 1, 0xFF000000},
        {"out of range", 1000, 500, 1, 0xFF000000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        beginFrame(0xFF000000);
        SetCameraPos(&camera);
        SetDefaultLight(0xFF000000, c.attenuation0, 0.0f, 0.0f, -1.0f);
        SetupPointLight(0, 0.0f, 0.0f, c.z, 0xFF000000, 0xFFFF0000, c.range);
        drawTriangles(quad(-5, -5, 5, 5, -10, 0xFFFFFFFF, {0, 0, 1}));
        EXPECT_TRUE(areaNear(endFrame(), 32, 32, c.expected));
    }
}

TEST_F(Lights, LinearFogByDepth) {
    const struct Case {
        float depth;
        D3DCOLOR expected;
    } cases[] = {
        {1.5f, 0xFFFF0000},  // before the start: no fog
        {6.0f, 0xFF80007F},  // half way
        {12.0f, 0xFF0000FF}, // past the end: the fog colour
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.depth);
        beginFrame(0xFF000000);
        EnableFog(2.0f, 10.0f, 0xFF0000FF);
        EXPECT_EQ(ZEPengine.fogEnabled, 1);
        drawTriangles(screenFillingQuad(c.depth, 0xFFFF0000));
        EXPECT_TRUE(areaNear(endFrame(), 32, 32, c.expected));
    }

    beginFrame(0xFF000000);
    EnableFog(2.0f, 10.0f, 0xFF0000FF);
    DisableFog();
    EXPECT_EQ(ZEPengine.fogEnabled, 0);
    drawTriangles(screenFillingQuad(6.0f, 0xFFFF0000));
    EXPECT_TRUE(areaNear(endFrame(), 32, 32, 0xFFFF0000));
}

TEST_F(Lights, SetupsRefuseIndicesBeyondTheHardwareLights) {
    useTemporaryLog();
    LightsOff();
    const int32_t count = ZEPengine.maxLights;
    ASSERT_GT(count, 0);
    const struct Setup {
        const char* name;
        void (*call)(int32_t index);
    } setups[] = {
        {"diffuse", [](int32_t i) { SetupDiffuseLight(i, 0xFFFFFFFF, 0xFFFFFFFF); }},
        {"specular", [](int32_t i) { SetupSpecularLight(i, 0xFFFFFFFF, 0xFFFFFFFF); }},
        {"point", [](int32_t i) { SetupPointLight(i, 0, 0, 0, 0xFFFFFFFF, 0xFFFFFFFF, 10); }},
    };
    std::string expectedLog;
    for (const Setup& setup : setups) {
        SCOPED_TRACE(setup.name);
        for (int32_t index : {count, -1}) {
            setup.call(index);
            expectedLog += "Error: Light index is to big.\n";
            EXPECT_EQ(ZEPengine.lightingEnabled, 0);
            EXPECT_EQ(renderState(D3DRS_LIGHTING), DWORD(FALSE));
        }
        setup.call(count - 1);
        EXPECT_EQ(ZEPengine.lightingEnabled, 1);
        EXPECT_EQ(renderState(D3DRS_LIGHTING), DWORD(TRUE));
        EXPECT_EQ(lightEnabled(DWORD(count - 1)), TRUE);
        LightsOff();
    }
    EXPECT_EQ(logText(), expectedLog);
}

TEST_F(Lights, DefaultLightKeepsFloatsGivenAsMinusOne) {
    SetDefaultLight(0xFF00FF00, -1.0f, -1.0f, -1.0f, -1.0f);
    EXPECT_EQ(ZEPengine.defaultLightColor, 0xFF00FF00u);
    EXPECT_EQ(ZEPengine.defaultLightAttenuation0, 0.0f);
    EXPECT_EQ(ZEPengine.defaultLightAttenuation1, 0.8f);
    EXPECT_EQ(ZEPengine.defaultLightAttenuation2, 0.0f);
    EXPECT_EQ(ZEPengine.defaultLightFalloff, 100.0f);

    SetDefaultLight(0xFF00FF00, 0.5f, -1.0f, 0.25f, -1.0f);
    SetSunDirection(0.0f, -1.0f, 2.0f);
    SetupSpecularLight(1, 0xFFFF0000, 0xFFFFFFFF);
    D3DLIGHT8 light{};
    ASSERT_EQ(d3d->GetLight(1, &light), D3D_OK);
    EXPECT_EQ(light.Type, D3DLIGHT_DIRECTIONAL);
    EXPECT_EQ(light.Direction.y, -1.0f);
    EXPECT_EQ(light.Direction.z, 2.0f);
    EXPECT_TRUE(colorValueNear(light.Ambient, 0, 1, 0, 1)) << "the default light colour";
    EXPECT_TRUE(colorValueNear(light.Specular, 1, 1, 1, 1));
    EXPECT_EQ(light.Attenuation0, 0.5f);
    EXPECT_EQ(light.Attenuation1, 0.8f);
    EXPECT_EQ(light.Attenuation2, 0.25f);
    EXPECT_EQ(light.Falloff, 100.0f);
}

TEST_F(Lights, LightModeZeroMakesTheAmbientWhite) {
    SetAmbientColor(0xFF204060);
    ZEPengine.lightModeReserved = 7;
    SetLightMode(0, 1);
    EXPECT_EQ(ZEPengine.lightingMode, 0);
    EXPECT_EQ(ZEPengine.lightModeReserved, 0);
    EXPECT_EQ(ZEPengine.ambientColor, 0xFFFFFFFFu);
    EXPECT_EQ(renderState(D3DRS_AMBIENT), 0xFFFFFFFFu);
    EXPECT_EQ(renderState(D3DRS_TEXTUREFACTOR), 0xFFFFFFFFu);
    EXPECT_TRUE(colorValueNear(material().Ambient, 0, 0, 0, 1)) << "the material ignores the ambient colour";

    // Back on, the stored colour (now white) lights the material again.
    LightsOff();
    SetLightMode(1, 1);
    EXPECT_EQ(ZEPengine.lightingEnabled, 1);
    EXPECT_EQ(renderState(D3DRS_LIGHTING), DWORD(TRUE));
    EXPECT_EQ(renderState(D3DRS_AMBIENT), 0xFFFFFFFFu);
    EXPECT_TRUE(colorValueNear(material().Ambient, 1, 1, 1, 1));
}

TEST_F(Lights, AmbientColourGivesTheMaterialItsAmbientAndAlpha) {
    SetAmbientColor(0x80FF0000);
    EXPECT_EQ(renderState(D3DRS_AMBIENT), 0x80FF0000u);
    EXPECT_EQ(renderState(D3DRS_TEXTUREFACTOR), 0x80FF0000u);
    const float alpha = 128.0f / 255.0f;
    const D3DMATERIAL8 m = material();
    EXPECT_TRUE(colorValueNear(m.Ambient, 1, 0, 0, alpha));
    EXPECT_TRUE(colorValueNear(m.Diffuse, 1, 1, 1, alpha));
    EXPECT_TRUE(colorValueNear(m.Specular, 1, 1, 1, alpha));
    EXPECT_TRUE(colorValueNear(m.Emissive, 0, 0, 0, alpha));
    EXPECT_EQ(m.Power, 50.0f);
}

TEST_F(Lights, LightsOffDisablesEveryLight) {
    const DWORD last = DWORD(ZEPengine.maxLights - 1);
    SetupDiffuseLight(0, 0xFFFFFFFF, 0xFFFFFFFF);
    SetupPointLight(int32_t(last), 0, 0, 0, 0xFFFFFFFF, 0xFFFFFFFF, 10);
    ASSERT_EQ(lightEnabled(last), TRUE);

    LightsOff();
    EXPECT_EQ(lightEnabled(0), FALSE);
    EXPECT_EQ(lightEnabled(last), FALSE);
    EXPECT_EQ(ZEPengine.lightingEnabled, 0);
    EXPECT_EQ(renderState(D3DRS_LIGHTING), DWORD(FALSE));
    EXPECT_EQ(renderState(D3DRS_SPECULARENABLE), DWORD(FALSE));
    const D3DMATERIAL8 m = material();
    EXPECT_TRUE(colorValueNear(m.Diffuse, 0, 0, 0, 1));
    EXPECT_TRUE(colorValueNear(m.Ambient, 0, 0, 0, 1));
    EXPECT_TRUE(colorValueNear(m.Specular, 0, 0, 0, 0));
}
