// Walking a world object array with PutWorldObj and PutWorldObjMax: which
// records are drawn (active, near enough, inside the view cone, within the
// walk's limits), nested arrays drawn under their record, the world matrix
// given back, freed records at the end, and the animation updates the walk
// runs for the records it draws.

#include "../objects/draw_test_scene.h"

#include "world/osr_loader.h"

#include <cstring>
#include <memory>
#include <vector>

namespace {

using zep::test::colorNear;
using zep::test::DrawScene;
using zep::test::kBlack;
using zep::test::kWhite;

class WorldDraw : public DrawScene {
protected:
    void TearDown() override {
        zep::sceneSettings() = {};
        DrawScene::TearDown();
    }

    // A visible object record at (x, y, z).
    static WorldObject record(int32_t obj, float x, float y, float z, float viewDistance = 10000.0f) {
        WorldObject r;
        std::memset(&r, 0, sizeof r);
        r.matrix = r.baseMatrix = translation(x, y, z);
        r.motionMatrix = identity();
        r.objIndex = obj;
        r.viewDistance = viewDistance;
        r.active = 1;
        r.flags = ZEP_WORLD_OBJECT;
        r.respawnTime = -1;
        r.animTime = -1;
        r.animType = ZEP_ANIMTYPE_ONCE;
        return r;
    }

    static WorldObject endMarker() {
        WorldObject r;
        std::memset(&r, 0, sizeof r);
        r.flags = ZEP_WORLD_END;
        return r;
    }

    static int32_t square() { return buildQuads({{-1.5f, -1.5f, 1.5f, 1.5f, 0, kWhite}}); }

    // Whether something was drawn at the world point (x, y, z), seen from
    // the camera at the origin with the carrier at the origin.
    static bool drawnAt(const zep::visual::Image& image, float x, float y, float z) {
        const D3DVECTOR at = screenOf(x, y, z);
        return image.at(UINT(at.x), UINT(at.y)) != kBlack;
    }
};

TEST_F(WorldDraw, WalkDrawsVisibleRecordsAndDescendsIntoChildren) {
    const int32_t obj = square();
    std::vector<WorldObject> children = {record(obj, 0, -8, 0), endMarker()};
    std::vector<WorldObject> array = {
        record(obj, -6, 0, 20),
        record(obj, 0, 0, 20),
        record(obj, 6, 0, 20, 0.5f),  // 0.0018 x 436 = 0.78: beyond its view distance
        record(obj, 0, 6, 20),
        record(obj, 0, 4, 20),
        endMarker(),
    };
    array[1].active = 0;
    array[3].flags = ZEP_WORLD_EMPTY;
    array[4].children = children.data();  // its own object is not drawn

    beginFrame();
    const D3DXMATRIX before = identity();
    PutWorldObj(array.data(), 0);
    D3DMATRIX after;
    GetWorldMatrix(&after);
    EXPECT_EQ(std::memcmp(&after, &before, sizeof after), 0) << "the walk gives the world matrix back";

    const zep::visual::Image image = readBackBuffer();
    EXPECT_TRUE(drawnAt(image, -6, 0, 20)) << "visible record";
    EXPECT_FALSE(drawnAt(image, 0, 0, 20)) << "inactive record";
    EXPECT_FALSE(drawnAt(image, 6, 0, 20)) << "record beyond its view distance";
    EXPECT_FALSE(drawnAt(image, 0, 6, 20)) << "empty record";
    EXPECT_FALSE(drawnAt(image, 0, 4, 20)) << "record holding children";
    EXPECT_TRUE(drawnAt(image, 0, -4, 20)) << "child, placed under its record";
}

// Records at x -6 and 0 are inside the view cone; the one at x 10 (with a
// view distance too small to widen the cone) is outside it and drawn only
// when the walk is forced. The walk starts at `first`, stops below
// `maxEntries` and after a stop record.
TEST_F(WorldDraw, WalkLimitsAndForce) {
    struct Case {
        const char* name;
        int32_t first;
        int32_t maxEntries;
        uint8_t force;
        int32_t stopRecord;  // -1 none
        bool drawn[3];
    };
    const Case cases[] = {
        {"whole walk", 0, 0x7FFF, 0, -1, {true, true, false}},
        {"forced", 0, 0x7FFF, 1, -1, {true, true, true}},
        {"from record 1", 1, 0x7FFF, 0, -1, {false, true, false}},
        {"one record", 0, 1, 0, -1, {true, false, false}},
        {"negative first", -1, 0x7FFF, 1, -1, {false, false, false}},
        {"stop after record 0", 0, 0x7FFF, 1, 0, {true, false, false}},
    };
    const int32_t obj = square();
    const float xs[3] = {-6, 0, 10};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<WorldObject> array = {record(obj, xs[0], 0, 20), record(obj, xs[1], 0, 20),
                                          record(obj, xs[2], 0, 20, 100.0f), endMarker()};
        if (c.stopRecord >= 0) array[size_t(c.stopRecord)].flags |= ZEP_WORLD_STOP_WALK;
        beginFrame();
        PutWorldObjMax(array.data(), c.first, 0, c.maxEntries, c.force);
        const zep::visual::Image image = readBackBuffer();
        for (int i = 0; i < 3; ++i) EXPECT_EQ(drawnAt(image, xs[i], 0, 20), c.drawn[i]) << "record " << i;
        ASSERT_EQ(RenderHWND(nullptr), 1);
    }
    PutWorldObj(nullptr, 0);  // nothing to walk
}

// The distance value is 0.0018 x the squared distance between the viewer
// and the record's place under the carrier; in fog it must also stay below
// the scene's fog end.
TEST_F(WorldDraw, DistanceCountsFromTheViewerThroughTheCarrier) {
    struct Case {
        const char* name;
        float viewerZ;  // the camera's position along z
        float viewDistance;
        bool fog;
        int32_t fogEnd;
        bool drawn;
    };
    // The record sits at z 20 under the carrier: 0.0018 x 400 = 0.72 from
    // the origin, 0.0018 x 900 = 1.62 from z -10.
    const Case cases[] = {
        {"inside its view distance", 0, 0.8f, false, 0, true},
        {"beyond its view distance", 0, 0.7f, false, 0, false},
        {"viewer moved back", -10, 0.8f, false, 0, false},
        {"viewer moved back, farther view distance", -10, 2.0f, false, 0, true},
        {"beyond the fog's end", 0, 0.8f, true, 0, false},
        {"before the fog's end", 0, 0.8f, true, 1, true},
        {"fog end read unsigned", 0, 0.8f, true, -1, true},
    };
    const int32_t obj = square();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<WorldObject> array = {record(obj, 0, 0, 0, c.viewDistance), endMarker()};
        beginFrame();
        const D3DXMATRIX camera = translation(0, 0, -c.viewerZ);  // world to camera
        SetCameraPos(&camera);
        placeAt(0, 0, 20);
        ZEPengine.fogEnabled = c.fog ? 1 : 0;
        zep::sceneSettings().fogEnd = c.fogEnd;
        PutWorldObj(array.data(), 0);
        EXPECT_EQ(readBackBuffer().at(80, 60) != kBlack, c.drawn);
        ASSERT_EQ(RenderHWND(nullptr), 1);
    }
}

// A freed record that ends up last in the walk becomes the end marker; one
// in the middle stays as it is.
TEST_F(WorldDraw, FreedRecordAtTheEndShortensTheArray) {
    const int32_t obj = square();
    std::vector<WorldObject> array = {record(obj, -6, 0, 20), record(obj, 0, 0, 20), record(obj, 6, 0, 20),
                                      endMarker()};
    array[0].flags = ZEP_WORLD_EMPTY;
    array[2].flags = ZEP_WORLD_EMPTY;
    beginFrame();
    PutWorldObj(array.data(), 0);
    EXPECT_EQ(array[0].flags, ZEP_WORLD_EMPTY);
    EXPECT_EQ(array[1].flags, ZEP_WORLD_OBJECT);
    EXPECT_EQ(array[2].flags, ZEP_WORLD_END);
    EXPECT_TRUE(colorNear(readBackBuffer().at(80, 60), kWhite));
}

// Drawn records advance their animations on the frame clock: a group
// record moves its target before the target is drawn; a self-animated
// record moves after its own draw. Records that are not drawn stay put.
TEST_F(WorldDraw, DrawnRecordsAdvanceTheirAnimations) {
    const int32_t obj = square();
    // Two keys 20 ticks apart moving 8 along x.
    AnimationEntry& entry = ZEPengine.animations[0];
    std::memset(&entry, 0, sizeof entry);
    entry.kind = 1;
    entry.keyCount = 2;
    entry.keys[0].scale = entry.keys[1].scale = {1, 1, 1};
    entry.keys[1].translation = {8, 0, 0};
    entry.keyTimes[1] = 20;
    ZEPengine.animationCount = 1;
    ZEPengine.objects[obj].firstAnimation = 0;

    std::vector<WorldObject> array = {
        record(obj, 6, 5, 20),    // 0: group moving record 1
        record(obj, -6, 0, 20),   // 1: target
        record(obj, 0, -5, 20),   // 2: self-animated
        record(obj, 0, -5, 20),   // 3: self-animated, hidden
        endMarker(),
    };
    auto group = std::make_unique<AnimGroup>();
    std::memset(group.get(), 0, sizeof *group);
    group->state.speed = 1.0f;
    group->targetCount = 1;
    group->targets[0] = &array[1];
    group->targetBases[0] = array[1].matrix;
    array[0].flags |= ZEP_WORLD_ANIM_GROUP;
    array[0].anim = &group->state;
    AnimState own[2] = {{1.0f, 0, {}, 0, {}}, {1.0f, 0, {}, 0, {}}};
    for (int i = 0; i < 2; ++i) {
        array[size_t(2 + i)].flags |= ZEP_WORLD_SELF_ANIM;
        array[size_t(2 + i)].anim = &own[i];
    }
    array[3].active = 0;

    beginFrame();
    ZEPengine.frameStart = 5000;
    ZEPengine.frameDelta = 10;
    PutWorldObj(array.data(), 0);

    // Half way: the target is drawn 4 to the right of its base already.
    EXPECT_FLOAT_EQ(array[1].matrix._41, -2.0f);
    const zep::visual::Image image = readBackBuffer();
    EXPECT_TRUE(drawnAt(image, -2, 0, 20)) << "target drawn where the group put it";
    EXPECT_FALSE(drawnAt(image, -6, 0, 20));
    EXPECT_EQ(own[0].position, 10);
    EXPECT_FLOAT_EQ(array[2].matrix._41, 4.0f);
    EXPECT_EQ(array[2].animTime, 5000);
    EXPECT_TRUE(drawnAt(image, 0, -5, 20)) << "self-animated record drawn before it moved";
    EXPECT_EQ(own[1].position, 0) << "hidden records do not advance";
}

}  // namespace
