// Render phases: the stencil count the shadow-volume phases leave behind,
// read back by drawing through the stencil test of the shadow phase, and
// the object culling and cap pass each phase leaves for the objects after
// it.

#include "draw_test_scene.h"

#include "objects/object_draw.h"

#include <array>

namespace {

using zep::test::colorNear;
using zep::test::DrawScene;
using zep::test::kGreen;
using zep::test::kRed;
using zep::test::Quad;

class RenderPhase : public DrawScene {
protected:
    // A closed box whose faces all look outwards (counter-clockwise on the
    // screen seen from outside, the objects' front side).
    static int32_t buildBox(D3DXVECTOR3 lo, D3DXVECTOR3 hi) {
        const int32_t obj = GetObjsNumber();
        const int32_t mesh = GetMeshesNumber();
        InitObj(obj, ZEP_OBJ_ORDINARY);
        const D3DXVECTOR3 centre = (lo + hi) * 0.5f;
        auto corner = [&](int i) {
            return D3DXVECTOR3(i & 1 ? hi.x : lo.x, i & 2 ? hi.y : lo.y, i & 4 ? hi.z : lo.z);
        };
        const std::array<std::array<int, 4>, 6> faces = {{{0, 1, 3, 2}, {4, 5, 7, 6}, {0, 1, 5, 4},
                                                           {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 3, 7, 5}}};
        for (const auto& face : faces) {
            int32_t v[4];
            D3DXVECTOR3 p[4];
            for (int i = 0; i < 4; ++i) {
                p[i] = corner(face[i]);
                v[i] = AddLightVertex(p[i].x, p[i].y, p[i].z, 0, 0, 0, 0, 0, 0xFFFFFFFF);
            }
            const D3DXVECTOR3 outward = (p[0] + p[1] + p[2] + p[3]) * 0.25f - centre;
            for (const auto& t : {std::array<int, 3>{0, 1, 2}, std::array<int, 3>{0, 2, 3}}) {
                // The objects' front side turns its winding normal inwards.
                D3DXVECTOR3 normal;
                const D3DXVECTOR3 e1 = p[t[1]] - p[t[0]], e2 = p[t[2]] - p[t[0]];
                D3DXVec3Cross(&normal, &e1, &e2);
                if (D3DXVec3Dot(&normal, &outward) > 0)
                    AddPolyIndexes(v[t[0]], v[t[2]], v[t[1]]);
                else
                    AddPolyIndexes(v[t[0]], v[t[1]], v[t[2]]);
            }
        }
        AddMesh(obj, mesh + 1);
        CloseObj(obj, mesh);
        SetMeshesNumber(mesh + 1);
        SetObjsNumber(obj + 1);
        return obj;
    }
};

// Phase 5 counts the volumes' front faces up, phase 6 their back faces
// down. A box that reaches through the ground leaves 1 where the ground lies
// inside it (its back face is hidden); a box wholly in front of the ground
// leaves 0. The volumes change no colour. Phase 7 then draws only where the
// count is 1 or more.
TEST_F(RenderPhase, VolumePhasesCountInsideOutInTheStencil) {
    ASSERT_EQ(zep::graphics().stencilPresent, 4) << "the device has no stencil";
    const int32_t ground = buildQuads({{-30, -30, 30, 30, 0, kGreen}});
    const int32_t throughGround = buildBox({-10, -4, 10}, {-2, 4, 30});
    const int32_t beforeGround = buildBox({2, -4, 5}, {10, 4, 15});
    const int32_t shadow = buildQuads({{-30, -30, 30, 30, 0, kRed}});

    beginFrame();
    placeAt(0, 0, 20);
    putclipobj(ground);
    placeAt(0, 0, 0);
    for (int32_t phase : {5, 6}) {
        SwitchRenderPhase(phase);
        putclipobj(throughGround);
        putclipobj(beforeGround);
    }
    const D3DVECTOR inside = screenOf(-6, 0, 20);
    const D3DVECTOR before = screenOf(6, 0, 20);
    const zep::visual::Image volumes = readBackBuffer();
    EXPECT_TRUE(colorNear(pixelAt(volumes, inside.x, inside.y), kGreen)) << "volumes leave the colour";
    EXPECT_TRUE(colorNear(pixelAt(volumes, before.x, before.y), kGreen));

    SwitchRenderPhase(7);
    placeAt(0, 0, 19);
    putclipobj(shadow);
    const zep::visual::Image shaded = readBackBuffer();
    EXPECT_TRUE(colorNear(pixelAt(shaded, inside.x, inside.y), kRed)) << "ground inside the volume";
    EXPECT_TRUE(colorNear(pixelAt(shaded, before.x, before.y), kGreen)) << "ground behind a whole volume";
    EXPECT_TRUE(colorNear(shaded.at(80, 110), kGreen)) << "ground outside both";
    SwitchRenderPhase(0);
}

// The object cull mode and the cap pass each phase leaves; phases that do
// not name them keep what the phase before left.
TEST_F(RenderPhase, PhasesSetObjectCullingAndTheCapPass) {
    struct Step {
        int32_t phase;
        int32_t cullMode;
        bool capPass;
    };
    const Step steps[] = {
        {1, D3DCULL_CCW, true}, {0, D3DCULL_CW, false}, {2, D3DCULL_CW, true},  {6, D3DCULL_CCW, true},
        {4, D3DCULL_CCW, true}, {5, D3DCULL_CW, true},  {8, D3DCULL_CW, true},  {7, D3DCULL_CW, false},
        {6, D3DCULL_CCW, true}, {9, D3DCULL_CCW, true}, {10, D3DCULL_CW, false}, {3, D3DCULL_CW, false},
    };
    beginFrame();
    for (const Step& s : steps) {
        SwitchRenderPhase(s.phase);
        EXPECT_EQ(ZEPengine.cullMode, s.cullMode) << "phase " << s.phase;
        EXPECT_EQ(zep::drawSwitches().capPass, s.capPass) << "phase " << s.phase;
    }
    DWORD stencil = 1;
    zep::graphics().device->GetRenderState(D3DRS_STENCILENABLE, &stencil);
    EXPECT_EQ(stencil, DWORD(FALSE)) << "phase 10 ends with the stencil off";
}

}  // namespace
