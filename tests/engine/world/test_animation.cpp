// Animation playback on the frame clock: records play the animation of an
// object read from a file, and the frame start and interval of the engine
// record are stepped by hand, so every position and pose is exact.

#include "../engine_test_host.h"
#include "osr_fixture.h"

#include "world/animation.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

using zep::test::EngineTestHost;
using zep::test::KeyAt;
using zep::test::recordsBeforeEnd;
using zep::test::writeAnimatedObject;
using zep::test::writeText;

class AnimationTest : public EngineTestHost {
protected:
    void SetUp() override {
        EngineTestHost::SetUp();
        ASSERT_TRUE(open());
        ZEPengine.frameStart = 1000;
        ZEPengine.frameDelta = 0;
    }

    // An object whose animation moves it along x through `keys`; the file
    // rate 160 plays one tick per millisecond at speed 1.
    static int32_t animatedObject(const std::string& name, const std::vector<KeyAt>& keys, float fileRate = 160.0f) {
        const std::string path = "objs/" + name;
        writeAnimatedObject(path, keys, fileRate);
        return loadobj(path.c_str());
    }

    // A drawn object record at the identity placement.
    static WorldObject objectRecord(int32_t obj, int32_t animType) {
        WorldObject rec;
        std::memset(&rec, 0, sizeof rec);
        ZEP_matrix4x4(&rec.matrix, 0, 0, 0, 0, 0, 0);
        rec.baseMatrix = rec.matrix;
        rec.objIndex = obj;
        rec.flags = ZEP_WORLD_OBJECT;
        rec.active = 1;
        rec.animTime = -1;
        rec.animType = animType;
        return rec;
    }

    static void nextFrame(int32_t milliseconds) {
        ZEPengine.frameStart += milliseconds;
        ZEPengine.frameDelta = milliseconds;
    }
};

const std::vector<KeyAt> kThreeKeys = {{0, 0}, {100, 10}, {200, 20}};

struct Pose {
    float x;           // translation x of the record's matrix
    int32_t position;  // ticks
    uint8_t active = 1;
    int32_t animType = -1;  // checked when not -1
};

struct PlaybackCase {
    const char* name;
    std::vector<KeyAt> keys;
    int32_t animType;
    float speed;
    int32_t frameMs;
    std::vector<Pose> frames;
    float fileRate = 160.0f;
};

TEST_F(AnimationTest, SelfAnimationFollowsTheFrameClock) {
    const std::vector<PlaybackCase> cases = {
        {"once rests on the last key", kThreeKeys, 1, 1.0f, 50,
         {{5, 50}, {10, 100}, {15, 150}, {20, 200}, {20, 200}, {20, 200}}},
        {"loop restarts at key 0 and shows its pose", kThreeKeys, 4, 1.0f, 50,
         {{5, 50}, {10, 100}, {15, 150}, {20, 200}, {0, 0}, {5, 50}}},
        {"oscillate turns back at the end and forward again at key 0", kThreeKeys, 2, 1.0f, 50,
         {{5, 50, 1, 2}, {10, 100}, {15, 150}, {20, 200, 1, 2}, {20, 200, 1, 10}, {15, 150}, {10, 100}, {5, 50},
          {0, 0, 1, 10}, {0, 0, 1, 2}, {5, 50, 1, 2}}},
        {"once and destroy hides the record at the end", kThreeKeys, 0x11, 1.0f, 100,
         {{10, 100, 1}, {20, 200, 1}, {20, 200, 0}}},
        {"less than a tick per frame never moves", kThreeKeys, 1, 0.5f, 1,
         {{0, 0}, {0, 0}, {0, 0}, {0, 0}}},
        {"whole ticks move", kThreeKeys, 1, 0.5f, 2, {{0.1f, 1}, {0.2f, 2}, {0.3f, 3}}},
        {"once whose first key is later than one frame stays at 0, in its first key's pose",
         {{100, 0}, {200, 10}}, 1, 1.0f, 50, {{0, 0}, {0, 0}}},
        // Backwards from 300 to -50 crosses keys 2, 1 and 0 in one frame: the
        // oscillation turns there and then, instead of stopping for good at a
        // negative position.
        {"oscillate turns at key 0 when one frame crosses several keys backwards",
         {{0, 0}, {100, 10}, {200, 20}, {300, 30}}, 2, 1.0f, 350,
         {{20, 350, 1, 2}, {30, 700, 1, 2}, {30, 300, 1, 10}, {0, 0, 1, 2}, {20, 350, 1, 2}}},
        {"a negative speed without an oscillation rests at the start, still running", kThreeKeys, 0, -1.0f, 50,
         {{0, 0}, {0, 0}}},
        {"equal key times give the later key's pose", {{0, 0}, {50, 5}, {50, 7}}, 1, 1.0f, 60,
         {{7, 60}, {7, 50}}},
        {"a faster file rate plays faster", kThreeKeys, 1, 0.5f, 25, {{5, 50}, {10, 100}}, 640.0f},
    };
    int n = 0;
    for (const PlaybackCase& c : cases) {
        SCOPED_TRACE(c.name);
        const int32_t obj = animatedObject("case" + std::to_string(n++) + ".obj", c.keys, c.fileRate);
        ASSERT_GT(obj, 0);
        WorldObject rec = objectRecord(obj, c.animType);
        PlayAnim(&rec, c.speed);
        ASSERT_NE(rec.anim, nullptr);
        EXPECT_EQ(rec.flags, ZEP_WORLD_OBJECT | ZEP_WORLD_SELF_ANIM);
        for (size_t f = 0; f < c.frames.size(); ++f) {
            SCOPED_TRACE("frame " + std::to_string(f + 1));
            nextFrame(c.frameMs);
            zep::updateSelfAnimation(rec);
            const Pose& want = c.frames[f];
            EXPECT_NEAR(rec.matrix._41, want.x, 1e-5f);
            EXPECT_EQ(rec.anim->position, want.position);
            EXPECT_EQ(rec.active, want.active);
            if (want.animType != -1) {
                EXPECT_EQ(rec.animType, want.animType);
            }
            EXPECT_EQ(rec.animTime, ZEPengine.frameStart);
        }
    }
}

TEST_F(AnimationTest, PoseGoesOnTopOfTheBasePlacement) {
    const int32_t obj = animatedObject("base.obj", kThreeKeys);
    WorldObject rec = objectRecord(obj, 1);
    // Base: scaled by 2 and placed at (0, 0, 5).
    ZEP_matrix4x4(&rec.baseMatrix, 0, 0, 0, 0, 0, 5);
    ZEP_matscale4x4(&rec.baseMatrix, 2, 2, 2);
    PlayAnim(&rec, 1.0f);
    nextFrame(50);
    zep::updateSelfAnimation(rec);
    // Key pose x 5 first, then the base: (5 * 2, 0, 5).
    EXPECT_FLOAT_EQ(rec.matrix._41, 10.0f);
    EXPECT_FLOAT_EQ(rec.matrix._43, 5.0f);
    EXPECT_FLOAT_EQ(rec.matrix._11, 2.0f);
}

TEST_F(AnimationTest, PlayKeepsRunningPositionAndStopRestoresBase) {
    const int32_t obj = animatedObject("stop.obj", kThreeKeys);
    WorldObject rec = objectRecord(obj, 1);
    rec.baseMatrix._42 = 3.0f;
    PlayAnim(&rec, 1.0f);
    nextFrame(50);
    zep::updateSelfAnimation(rec);
    nextFrame(50);
    zep::updateSelfAnimation(rec);
    PlayAnim(&rec, 1.0f);
    EXPECT_EQ(rec.anim->position, 100);
    EXPECT_EQ(rec.animTime, -1);

    StopAnim(&rec);
    EXPECT_EQ(rec.anim->position, -1);
    EXPECT_EQ(rec.anim->speed, 0.0f);
    EXPECT_EQ(std::memcmp(&rec.matrix, &rec.baseMatrix, sizeof rec.matrix), 0);
    nextFrame(50);
    zep::updateSelfAnimation(rec);  // stopped: nothing moves
    EXPECT_EQ(std::memcmp(&rec.matrix, &rec.baseMatrix, sizeof rec.matrix), 0);
    EXPECT_EQ(rec.animTime, -1);

    PlayAnim(&rec, 1.0f);
    EXPECT_EQ(rec.anim->position, 0);
}

TEST_F(AnimationTest, PlayWithoutAnimationChangesNothing) {
    zep::test::writeTriangleObject("objs/still.obj");
    WorldObject rec = objectRecord(loadobj("objs/still.obj"), 1);
    ASSERT_GT(rec.objIndex, 0);
    rec.animTime = 5;
    PlayAnim(&rec, 1.0f);
    EXPECT_EQ(rec.anim, nullptr);
    EXPECT_EQ(rec.flags, ZEP_WORLD_OBJECT);
    EXPECT_EQ(rec.animTime, 5);

    WorldObject none = objectRecord(-1, 1);
    PlayAnim(&none, 1.0f);
    EXPECT_EQ(none.anim, nullptr);
}

TEST_F(AnimationTest, GroupMovesItsTargets) {
    animatedObject("carrier.obj", kThreeKeys);
    animatedObject("spinner.obj", kThreeKeys);
    zep::test::writeTriangleObject("objs/door.obj");
    writeText("objs/group.osr",
              "[1]\nNAME: carrier.obj\nANIMATION: door,spinner\nANIMTYPE: ONCEANDDESTROY\n"
              "[2]\nNAME: door.obj\nOBJNAME: door\nROW3: 1,0,0\n[3]\nNAME: spinner.obj\nOBJNAME: spinner\n");
    WorldObject* r = nullptr;
    ASSERT_EQ(loadworldobject("objs/group.osr", &r), 4);
    PlayAnim(&r[1], 1.0f);
    ASSERT_NE(r[1].anim, nullptr);
    EXPECT_EQ(r[1].anim->position, 0);
    EXPECT_EQ(r[1].flags & ZEP_WORLD_SELF_ANIM, 0);  // a group keeps its group state

    // The spinner plays its own animation too; it has moved to x 10.
    PlayAnim(&r[3], 1.0f);
    nextFrame(100);
    zep::updateSelfAnimation(r[3]);
    ASSERT_FLOAT_EQ(r[3].matrix._41, 10.0f);

    // The group is at x 5 after 50 ms: the door goes from its base, the
    // spinner from where its own animation put it.
    ZEPengine.frameDelta = 50;
    zep::updateGroupAnimation(r[1]);
    EXPECT_FLOAT_EQ(r[2].matrix._41, 6.0f);
    EXPECT_EQ(r[2].animTime, ZEPengine.frameStart);
    EXPECT_FLOAT_EQ(r[3].matrix._41, 15.0f);
    EXPECT_FLOAT_EQ(r[1].matrix._41, 0.0f);  // the carrier itself does not move

    // A group that runs to its end under ONCEANDDESTROY stays visible.
    for (int f = 0; f < 5; ++f) {
        nextFrame(100);
        zep::updateGroupAnimation(r[1]);
    }
    EXPECT_EQ(r[1].anim->position, 200);
    EXPECT_EQ(r[1].active, 1);
    EXPECT_FLOAT_EQ(r[2].matrix._41, 21.0f);
}

TEST_F(AnimationTest, PlayAndStopOnRecordWithChildren) {
    animatedObject("kid.obj", kThreeKeys);
    animatedObject("fastkid.obj", kThreeKeys, 320.0f);
    zep::test::writeTriangleObject("objs/stillkid.obj");
    writeText("objs/kids.osr", "[1]\nNAME: kid.obj\n[2]\nNAME: fastkid.obj\n[3]\nNAME: stillkid.obj\n");
    writeText("objs/family.osr", "[1]\nNAME: kids.osr\n");
    WorldObject* r = nullptr;
    ASSERT_EQ(loadworldobject("objs/family.osr", &r), 2);
    WorldObject* kids = r[1].children;
    ASSERT_NE(kids, nullptr);
    ASSERT_EQ(recordsBeforeEnd(kids), 4);

    PlayAnim(&r[1], 1.0f);
    EXPECT_EQ(r[1].anim, nullptr);  // the holder plays its children, not itself
    EXPECT_EQ(kids[0].anim, nullptr);
    EXPECT_EQ(kids[3].anim, nullptr);
    for (int i : {1, 2}) {
        ASSERT_NE(kids[i].anim, nullptr) << i;
        EXPECT_EQ(kids[i].flags, ZEP_WORLD_OBJECT | ZEP_WORLD_SELF_ANIM) << i;
        EXPECT_EQ(kids[i].anim->position, 0) << i;
    }
    // Each child plays at the rate of its own animation.
    EXPECT_FLOAT_EQ(kids[1].anim->speed, 1.0f);
    EXPECT_FLOAT_EQ(kids[2].anim->speed, 2.0f);

    nextFrame(50);
    zep::updateSelfAnimation(kids[1]);
    ASSERT_FLOAT_EQ(kids[1].matrix._41, 5.0f);

    const size_t mark = logMark();
    StopAnim(&r[1]);
    EXPECT_EQ(logLinesSince(mark), (zep::test::Lines{"num:0num:1num:2num:3"}));
    EXPECT_EQ(kids[1].anim->position, -1);
    EXPECT_FLOAT_EQ(kids[1].matrix._41, 0.0f);
}

TEST_F(AnimationTest, CreateSelfAnimGivesStoppedState) {
    WorldObject rec = objectRecord(-1, 1);
    rec.animTime = 77;
    CreateSelfAnim(&rec);
    ASSERT_NE(rec.anim, nullptr);
    EXPECT_EQ(rec.anim->position, -1);
    EXPECT_EQ(rec.anim->key, 0);
    EXPECT_EQ(rec.flags, ZEP_WORLD_OBJECT | ZEP_WORLD_SELF_ANIM);
    EXPECT_EQ(rec.animTime, -1);
}

}  // namespace
