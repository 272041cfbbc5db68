// Loading world objects: small OSR scenes and the object files they name,
// written into the test's working directory and read with loadworldobject.
// Good scenes are checked record by record; damaged ones must give the
// loader's failure result and a log line, and never take the loader outside
// the array.

#include "../engine_test_host.h"
#include "osr_fixture.h"

#include "world/osr_loader.h"

#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

using zep::test::EngineTestHost;
using zep::test::Lines;
using zep::test::recordsBeforeEnd;
using zep::test::writeText;

struct SceneFile {
    std::string path;
    std::string text;
};

class OsrLoaderTest : public EngineTestHost {
protected:
    void SetUp() override {
        EngineTestHost::SetUp();
        ASSERT_TRUE(open());
        zep::sceneSettings() = zep::SceneSettings{};
        for (const char* name : {"objs/tri.obj", "objs/rock.obj", "objs/a_leaf.obj", "objs/A_GLASS.OBJ",
                                 "objs/powerups/in_health.obj"})
            zep::test::writeTriangleObject(name);
        zep::test::writeAnimatedObject("objs/anim.obj", {{0, 0}, {100, 10}});
    }

    // Writes the files and loads the first into a new array.
    int32_t load(const std::vector<SceneFile>& files, WorldObject** records) {
        for (const SceneFile& file : files) writeText(file.path, file.text);
        *records = nullptr;
        return loadworldobject(files.front().path.c_str(), records);
    }
};

bool isIdentity(const D3DMATRIX& m) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (m.m[r][c] != (r == c ? 1.0f : 0.0f)) return false;
    return true;
}

const AnimGroup& groupOf(const WorldObject& rec) { return *reinterpret_cast<const AnimGroup*>(rec.anim); }

struct SceneCase {
    const char* name;
    std::vector<SceneFile> files;
    int32_t result;
    std::function<void(WorldObject* r)> check;
};

TEST_F(OsrLoaderTest, ScenesBecomeRecords) {
    const std::vector<SceneCase> cases = {
        {"a header and three sections make four records and the end marker",
         {{"objs/count.osr", "[Header]\n[1]\nNAME: tri.obj\n[2]\nNAME: tri.obj\n[3]\nOBJECT: rock.obj\n"}},
         4,
         [](WorldObject* r) {
             EXPECT_EQ(r[4].flags, -1);
             EXPECT_EQ(r[0].flags, ZEP_WORLD_EMPTY);
             EXPECT_EQ(r[0].active, 0);
             for (int i = 1; i <= 3; ++i) {
                 EXPECT_EQ(r[i].flags, ZEP_WORLD_OBJECT) << i;
                 EXPECT_EQ(r[i].active, 1) << i;
                 EXPECT_GT(r[i].objIndex, 0) << i;
             }
             EXPECT_EQ(r[1].objIndex, r[2].objIndex);  // one object, read once
             EXPECT_STREQ(r[3].path, "OBJS/ROCK.OBJ");
         }},
        {"a file without a section line is an empty array",
         {{"objs/none.osr", "ROW0: 1,2,3\nNAME: tri.obj\n"}},
         1,
         [](WorldObject* r) { EXPECT_EQ(r[0].flags, -1); }},
        {"rows, ROW3 in x z y order, base and motion matrices, view distance",
         {{"objs/rows.osr", "[1]\nNAME: tri.obj\nROW0: 1,0,0\nROW1: 0,0.5,0\nROW2: 0,0,2\nROW3: 1,2,3\n"}},
         2,
         [](WorldObject* r) {
             const D3DMATRIX& m = r[1].matrix;
             EXPECT_EQ(m._11, 1.0f);
             EXPECT_EQ(m._22, 0.5f);
             EXPECT_EQ(m._33, 2.0f);
             EXPECT_EQ(m._41, 1.0f);
             EXPECT_EQ(m._42, 3.0f);
             EXPECT_EQ(m._43, 2.0f);
             EXPECT_EQ(m._14, 0.0f);
             EXPECT_EQ(m._44, 1.0f);
             EXPECT_EQ(std::memcmp(&r[1].baseMatrix, &m, sizeof m), 0);
             EXPECT_TRUE(isIdentity(r[1].motionMatrix));
             // Longest row 2 x radius 1 x 4000.
             EXPECT_FLOAT_EQ(r[1].viewDistance, 8000.0f);
             // Record 0 had no section: an empty record, not an early end.
             EXPECT_EQ(r[0].flags, ZEP_WORLD_EMPTY);
         }},
        {"ANIMTYPE carries into later sections; unknown words set once only on their own record",
         {{"objs/animtype.osr", "[1]\nNAME: tri.obj\nANIMTYPE: onceanddestroy\n[2]\nNAME: tri.obj\n"
                                "ANIMTYPE: sideways\n[3]\nNAME: tri.obj\n[4]\nNAME: tri.obj\nANIMTYPE: LOOP\n"
                                "[5]\nNAME: tri.obj\n"}},
         6,
         [](WorldObject* r) {
             EXPECT_EQ(r[1].animType, 0x11);
             EXPECT_EQ(r[2].animType, 1);
             EXPECT_EQ(r[3].animType, 0x11);
             EXPECT_EQ(r[4].animType, 4);
             EXPECT_EQ(r[5].animType, 4);
         }},
        {"an @ name is a placeholder: nothing loaded, not drawn, active",
         {{"objs/place.osr", "[1]\nNAME: @spawn\nROW3: 5,6,7\n"}},
         2,
         [](WorldObject* r) {
             EXPECT_EQ(r[1].objIndex, -1);
             EXPECT_EQ(r[1].flags, ZEP_WORLD_EMPTY);
             EXPECT_EQ(r[1].active, 1);
             EXPECT_STREQ(r[1].path, "OBJS/@SPAWN");
             EXPECT_EQ(r[1].matrix._41, 5.0f);
         }},
        {"PHYSICSTYPE before NAME is reset by it, after it adds bits",
         {{"objs/physics.osr", "[1]\nPHYSICSTYPE: ROTATE\nNAME: tri.obj\n[2]\nNAME: tri.obj\nPHYSICSTYPE: rotate\n"
                               "PHYSICSTYPE: CONE\nPHYSICSTYPE: WOBBLE\n[3]\nNAME: tri.obj\nPHYSICSTYPE: ROTATEZ\n"
                               "[4]\nNAME: powerups/in_health.obj\n"}},
         5,
         [](WorldObject* r) {
             EXPECT_EQ(r[1].physics, 0);
             EXPECT_EQ(r[2].physics, ZEP_PHYSICS_ROTATE | ZEP_PHYSICS_CONE);
             EXPECT_EQ(r[3].physics, ZEP_PHYSICS_ROTATEZ);
             EXPECT_EQ(r[4].physics, ZEP_PHYSICS_POWERUP);  // "IN" at characters 14 and 15 of the path
             // Behaving records without a lifetime do not respawn.
             EXPECT_EQ(r[2].respawnTime, -1);
             EXPECT_EQ(r[2].moving, 0);
         }},
        {"alpha objects move behind the others and keep pointing at themselves",
         {{"objs/alpha.osr", "[1]\nNAME: a_leaf.obj\nMAINLIFETIME: 500\n[2]\nNAME: tri.obj\n"
                             "[3]\nNAME: A_GLASS.obj\n[4]\nNAME: rock.obj\n"}},
         5,
         [](WorldObject* r) {
             EXPECT_STREQ(r[1].path, "OBJS/TRI.OBJ");
             EXPECT_STREQ(r[2].path, "OBJS/ROCK.OBJ");
             EXPECT_STREQ(r[3].path, "OBJS/A_GLASS.OBJ");
             EXPECT_STREQ(r[4].path, "OBJS/A_LEAF.OBJ");
             EXPECT_EQ(r[4].spawnSource, &r[4]);
             EXPECT_EQ(r[1].spawnSource, nullptr);
         }},
        {"keys in any case; header settings; words glued to their value are ignored",
         {{"objs/case.osr", "[header]\nwater= off\nWater=On\nAMBIENTCOLOR= 0xFF808080\nfogend= 5000\n"
                            "Daytime= 12.5\n[1]\nname: tri.obj\nrow3: 1,2,3\nFogEnd= 9\n"}},
         2,
         [](WorldObject* r) {
             const zep::SceneSettings& s = zep::sceneSettings();
             EXPECT_EQ(s.waterEnabled, 0);
             EXPECT_EQ(s.ambientColor, 0xFF808080u);
             EXPECT_EQ(s.fogEnd, 5000);  // header keys do nothing in numbered sections
             EXPECT_EQ(s.daytime, 12.5f);
             EXPECT_EQ(r[1].flags, ZEP_WORLD_OBJECT);
             EXPECT_EQ(r[1].matrix._42, 3.0f);
         }},
        {"a nested file becomes children that take the ANIMTYPE and trigger of their holder",
         {{"objs/outer.osr", "[1]\nNAME: sub.osr\nTRIGGERSPHERE: 2.7\nANIMTYPE: LOOP\n"},
          {"objs/sub.osr", "[1]\nNAME: tri.obj\nROW0: 3,0,0\n[2]\nNAME: rock.obj\n"}},
         2,
         [](WorldObject* r) {
             ASSERT_NE(r[1].children, nullptr);
             EXPECT_EQ(recordsBeforeEnd(r[1].children), 3);
             EXPECT_EQ(r[1].flags, ZEP_WORLD_OBJECT);
             EXPECT_EQ(r[1].objIndex, -1);
             EXPECT_STREQ(r[1].children[1].path, "OBJS/TRI.OBJ");  // names resolve in the nested file's folder
             EXPECT_FLOAT_EQ(r[1].viewDistance, 12000.0f);        // the farthest-seen nested record
             EXPECT_FLOAT_EQ(r[1].triggerRadius, 2.7f);
             for (int i = 0; i < 3; ++i) {
                 EXPECT_EQ(r[1].children[i].animType, 4) << i;
                 EXPECT_EQ(r[1].children[i].triggerRadius, 2.0f) << i;
             }
         }},
        {"animation groups find their targets by name; OBJNAME before ANIMATION hides the carrier",
         {{"objs/group.osr", "[1]\nNAME: anim.obj\nANIMATION: door,LID,missing\n[2]\nNAME: tri.obj\nOBJNAME: door\n"
                             "ROW3: 1,0,0\n[3]\nOBJNAME: Lid\n[4]\nNAME: anim.obj\nOBJNAME: carrier\nANIMATION: door\n"}},
         5,
         [](WorldObject* r) {
             EXPECT_EQ(r[1].flags, ZEP_WORLD_ANIM_GROUP | ZEP_WORLD_OBJECT);
             ASSERT_NE(r[1].anim, nullptr);
             const AnimGroup& g = groupOf(r[1]);
             EXPECT_EQ(g.targetCount, 2);
             EXPECT_EQ(g.targets[0], &r[2]);
             EXPECT_EQ(g.targets[1], &r[3]);
             EXPECT_EQ(g.targets[2], nullptr);
             EXPECT_EQ(g.targetBases[0]._41, 1.0f);
             EXPECT_EQ(g.state.position, -1);
             EXPECT_EQ(g.reserved20, 4);
             EXPECT_STREQ(g.names, "door,LID,missing");
             EXPECT_EQ(r[2].flags, ZEP_WORLD_OBJECT);  // OBJNAME after NAME keeps what is drawn
             EXPECT_EQ(r[4].flags, ZEP_WORLD_ANIM_GROUP | ZEP_WORLD_EMPTY);
             EXPECT_EQ(groupOf(r[4]).targets[0], &r[2]);
         }},
        {"particle sections: a pure emitter, and an object that emits and respawns itself",
         {{"objs/particles.osr", "[1]\nPARTICLE: spark\nPOWER: 2\nSIZE: 1,3\nBORNTIME: 50\nLIFETIME: 3000\n"
                                 "GROWE: 1.5\nTYPE:\nUVGRID: 4.9\nNAME: tri.obj\nMAINLIFETIME: 700\n"
                                 "[2]\nNAME: tri.obj\nPARTICLE: spark\n"}},
         3,
         [](WorldObject* r) {
             EXPECT_EQ(r[1].flags, ZEP_WORLD_PARTICLES);
             EXPECT_EQ(r[1].objIndex, -1);
             EXPECT_EQ(r[1].active, 1);
             EXPECT_EQ(r[1].path[0], '\0');  // NAME: is no key in particle mode
             ASSERT_NE(r[1].particles, nullptr);
             const ParticleSystem& p = *r[1].particles;
             EXPECT_EQ(p.slots, 100);
             EXPECT_EQ(p.power, 2.0f);
             EXPECT_EQ(p.size, 3.0f);
             EXPECT_EQ(p.emissionInterval, 50);
             EXPECT_EQ(p.lifetime, 3000);
             EXPECT_EQ(p.fadeStep, 55924053u);
             EXPECT_EQ(p.growth, 1.5f);
             EXPECT_EQ(p.grid[0], 4);
             for (int i = 0; i < ZEP_PARTICLE_SLOTS; ++i) EXPECT_EQ(p.particles[i].alive, 0) << i;
             EXPECT_EQ(r[1].spawnSource, &r[1]);  // MAINLIFETIME
             EXPECT_EQ(r[1].respawnTime, 1);
             EXPECT_EQ(r[1].moving, 1);

             EXPECT_EQ(r[2].flags, ZEP_WORLD_PARTICLES | ZEP_WORLD_OBJECT);
             EXPECT_GT(r[2].objIndex, 0);
             EXPECT_EQ(r[2].spawnSource, &r[2]);
             EXPECT_EQ(r[2].respawnTime, -1);
         }},
        {"an upper-case .TGA name loads a texture into objIndex and sets no view distance",
         {{"objs/texture.osr", "[1]\nNAME: LEAF.TGA\n"}},
         2,
         [](WorldObject* r) {
             ASSERT_GE(r[1].objIndex, 0);
             EXPECT_STREQ(Textures[r[1].objIndex].name, "LEAF.TGA");
             EXPECT_EQ(r[1].flags, ZEP_WORLD_OBJECT);
             EXPECT_EQ(r[1].viewDistance, 0.0f);
         }},
        {"a texture record moved forward by the alpha ordering still gets no view distance",
         {{"objs/alphatex.osr", "[1]\nNAME: a_leaf.obj\n[2]\nNAME: LEAF.TGA\n"}},
         3,
         [](WorldObject* r) {
             EXPECT_STREQ(r[1].path, "OBJS/LEAF.TGA");
             EXPECT_EQ(r[1].viewDistance, 0.0f);
             EXPECT_STREQ(r[2].path, "OBJS/A_LEAF.OBJ");
             EXPECT_GT(r[2].viewDistance, 0.0f);
         }},
    };
    zep::test::writeBytes("objs/leaf.tga", zep::test::tgaBytes(0, 255, 0));
    for (const SceneCase& c : cases) {
        SCOPED_TRACE(c.name);
        WorldObject* records = nullptr;
        ASSERT_EQ(load(c.files, &records), c.result);
        ASSERT_NE(records, nullptr);
        EXPECT_EQ(records[c.result].flags, -1);
        c.check(records);
    }
}

TEST_F(OsrLoaderTest, PlainObjectFileMakesOneRecord) {
    WorldObject* records = nullptr;
    ASSERT_EQ(loadworldobject("objs\\tri.obj", &records), 1);
    const WorldObject& r = records[0];
    EXPECT_EQ(r.flags, ZEP_WORLD_OBJECT);
    EXPECT_GT(r.objIndex, 0);
    EXPECT_EQ(r.active, 1);
    EXPECT_EQ(r.viewDistance, 10000.0f);
    EXPECT_TRUE(isIdentity(r.matrix));
    EXPECT_TRUE(isIdentity(r.baseMatrix));
    EXPECT_STREQ(r.path, "OBJS/TRI.OBJ");
    EXPECT_EQ(r.respawnTime, -1);
    EXPECT_EQ(r.animTime, -1);
    EXPECT_EQ(r.animType, 1);
    EXPECT_EQ(records[1].flags, -1);

    // A supplied array takes the record even when the object is missing.
    WorldObject supplied[2] = {};
    WorldObject* handle = supplied;
    EXPECT_EQ(loadworldobject("objs/gone.obj", &handle), 1);
    EXPECT_EQ(handle, supplied);
    EXPECT_LT(supplied[0].objIndex, 0);
    EXPECT_EQ(supplied[1].flags, -1);
}

TEST_F(OsrLoaderTest, SceneLoadsIntoSuppliedArray) {
    writeText("objs/small.osr", "[1]\nNAME: tri.obj\n");
    std::vector<WorldObject> array(6);
    std::memset(array.data(), 0x5A, array.size() * sizeof(WorldObject));
    WorldObject* handle = array.data();
    ASSERT_EQ(loadworldobject("objs/small", &handle), 2);  // ".OSR" is added
    EXPECT_EQ(handle, array.data());
    EXPECT_EQ(array[0].flags, ZEP_WORLD_EMPTY);
    EXPECT_EQ(array[1].flags, ZEP_WORLD_OBJECT);
    EXPECT_EQ(array[2].flags, -1);
}

struct BadCase {
    const char* name;
    std::vector<SceneFile> files;
    const char* load;  // the name passed to loadworldobject
    int32_t result;
    Lines log;         // lines expected in this order
    std::function<void(WorldObject* r)> check;
};

std::string longName() { return std::string(120, 'x') + ".obj"; }

// deep0.osr names deep1.osr, which names deep2.osr, and so on.
std::vector<SceneFile> deepChain(int files) {
    std::vector<SceneFile> chain;
    for (int i = 0; i < files; ++i)
        chain.push_back({"objs/deep" + std::to_string(i) + ".osr", "[1]\nNAME: deep" + std::to_string(i + 1) + ".osr\n"});
    return chain;
}

// The names t0..t129, longer than a group's list holds.
std::string crowdedNames() {
    std::string names;
    for (int i = 0; i < 130; ++i) names += (i ? "," : "") + std::string("t") + std::to_string(i);
    return names;
}

// 130 records named t0..t129 and a group that lists them all.
std::vector<SceneFile> crowdedGroup() {
    std::string text = "[1]\nNAME: anim.obj\nANIMATION: " + crowdedNames() + "\n";
    for (int i = 0; i < 130; ++i) text += "[" + std::to_string(i + 2) + "]\nOBJNAME: t" + std::to_string(i) + "\n";
    return {{"objs/crowd.osr", text}};
}

TEST_F(OsrLoaderTest, BadInputFailsSafelyWithLogLine) {
    const std::vector<BadCase> cases = {
        {"missing file", {}, "objs/nothing", -1,
         {"Load world object: objs/nothing", "Error: world object file not found: OBJS/NOTHING.OSR"},
         [](WorldObject* r) { EXPECT_EQ(r, nullptr); }},
        {"empty name", {}, "", -1, {"Load world object: "}, [](WorldObject* r) { EXPECT_EQ(r, nullptr); }},
        {"missing plain object file", {}, "objs/gone.obj", 0, {"Error in loadworldobj: OBJS/GONE.OBJ"},
         [](WorldObject* r) { EXPECT_EQ(r, nullptr); }},
        {"section beyond the lines that announce sections",
         {{"objs/beyond.osr", "[1]\nNAME: tri.obj\nROW0: 1,1,1 [7]\nNAME: tri.obj\nROW0: 9,9,9\n"}},
         "objs/beyond.osr", 2,
         {"Error: world object section [7] is beyond the 2 records of the file"},
         [](WorldObject* r) { EXPECT_EQ(r[1].matrix._11, 1.0f); }},
        {"section that is no number",
         {{"objs/word.osr", "[1]\nNAME: tri.obj\n[x]\nROW3: 9,9,9\n"}}, "objs/word.osr", 2,
         {"Error: bad world object section [x]"},
         [](WorldObject* r) { EXPECT_EQ(r[1].matrix._41, 0.0f); }},
        {"text cut after a key", {{"objs/cut.osr", "[1]\nNAME:"}}, "objs/cut.osr", 2, {"Load world object: objs/cut.osr"},
         [](WorldObject* r) { EXPECT_EQ(r[1].flags, ZEP_WORLD_EMPTY); }},
        {"text cut inside a value: missing numbers repeat the last one",
         {{"objs/cut2.osr", "[1]\nNAME: tri.obj\nROW0: 1,2"}}, "objs/cut2.osr", 2, {"Load world object: objs/cut2.osr"},
         [](WorldObject* r) {
             EXPECT_EQ(r[1].matrix._11, 1.0f);
             EXPECT_EQ(r[1].matrix._12, 2.0f);
             EXPECT_EQ(r[1].matrix._13, 2.0f);
         }},
        {"unknown keys and stray words are passed over",
         {{"objs/unknown.osr", "[1]\nCOLOUR: red\nNAME: tri.obj\nBOGUS\nROW3: 1,2,3\n"}}, "objs/unknown.osr", 2,
         {"Load world object: objs/unknown.osr"},
         [](WorldObject* r) {
             EXPECT_EQ(r[1].flags, ZEP_WORLD_OBJECT);
             EXPECT_EQ(r[1].matrix._41, 1.0f);
         }},
        {"numbers that are not numbers repeat the last number of their kind",
         {{"objs/nan.osr", "[1]\nNAME: tri.obj\nROW0: x,2,y\nROW1: 7,,q\nARMOUR: 0x0C\nHURT: abc\n"}}, "objs/nan.osr", 2,
         {"Load world object: objs/nan.osr"},
         [](WorldObject* r) {
             EXPECT_EQ(r[1].matrix._11, 0.0f);
             EXPECT_EQ(r[1].matrix._12, 2.0f);
             EXPECT_EQ(r[1].matrix._13, 2.0f);
             EXPECT_EQ(r[1].matrix._21, 7.0f);
             EXPECT_EQ(r[1].matrix._23, 7.0f);
             EXPECT_EQ(r[1].armour, 12);
             EXPECT_EQ(r[1].hurt, 12);
         }},
        {"a file that names itself",
         {{"objs/loop.osr", "[1]\nNAME: loop.osr\n"}}, "objs/loop.osr", 2,
         {"Load world object: OBJS/LOOP.OSR", "Error: world object file includes itself: OBJS/LOOP.OSR"},
         [](WorldObject* r) {
             EXPECT_EQ(r[1].children, nullptr);
             EXPECT_EQ(r[1].flags, ZEP_WORLD_OBJECT);
         }},
        {"files nested too deep", deepChain(20), "objs/deep0.osr", 2,
         {"Error: world object files nested too deep: OBJS/DEEP16.OSR"},
         [](WorldObject* r) {
             int depth = 0;
             for (WorldObject* level = r[1].children; level; level = level[1].children) ++depth;
             EXPECT_EQ(depth, zep::kMaxWorldObjectNesting - 1);
         }},
        {"a group list longer than a group holds", crowdedGroup(), "objs/crowd.osr", 132,
         {"Error: animation list too long, cut to 255 characters: " + crowdedNames()},
         [](WorldObject* r) {
             // The list ends in "...,t65,t" after the cut: t0 to t65 are found.
             const AnimGroup& g = groupOf(r[1]);
             EXPECT_EQ(std::strlen(g.names), 255u);
             EXPECT_EQ(g.targetCount, 66);
             EXPECT_EQ(g.targets[65], &r[67]);
         }},
        {"a name longer than the record's path",
         {{"objs/long.osr", "[1]\nNAME: " + longName() + "\n"}}, "objs/long.osr", 2,
         {"Error: world object name too long: OBJS/" + std::string(120, 'X') + ".OBJ"},
         [](WorldObject* r) {
             EXPECT_EQ(r[1].flags, ZEP_WORLD_EMPTY);
             EXPECT_EQ(r[1].path[0], '\0');
         }},
    };
    for (const BadCase& c : cases) {
        SCOPED_TRACE(c.name);
        const size_t mark = logMark();
        for (const SceneFile& file : c.files) writeText(file.path, file.text);
        WorldObject* records = nullptr;
        EXPECT_EQ(loadworldobject(c.load, &records), c.result);
        EXPECT_TRUE(inOrder(logLinesSince(mark), c.log));
        c.check(records);
    }
}

// Every cut of a scene that uses each kind of section and key: whatever is
// left of the text loads into an array with its end marker in place, and
// nothing is read outside the text or written outside the array (the
// sanitizer run watches that). A nested file cut short is read the same way.
TEST_F(OsrLoaderTest, EveryCutOfASceneLoadsSafely) {
    const std::string inner = "[1]\nNAME: rock.obj\nROW3: 1,2,3\n[2]\nOBJNAME: lid\nNAME: tri.obj\n";
    writeText("objs/inner.osr", inner);
    const std::string scene =
        "[Header]\nGRIDU: 4\n[1]\nNAME: anim.obj\nANIMATION: lid,leaf\nANIMTYPE: OSCILLATE\n"
        "TRIGGERSPHERE: 2.5\n[2]\nNAME: inner.osr\nROW0: 1,0,0\nROW1: 0,1,0\nROW2: 0,0,1\nROW3: 4,5,6\n"
        "[3]\nOBJNAME: leaf\nNAME: a_leaf.obj\nPHYSICSTYPE: 2\nMASS: 3.5\nARMOUR: 1\nHURT: 4\n"
        "[4]\nPARTICLE: spark\nPOWER: 2\nSIZE: 1,3\nBORNTIME: 50\nLIFETIME: 3000\nGROWE: 1.5\nTYPE: 3\n"
        "UVGRID: 4.9\nRNDFACTOR: 0.5\nDISPERSION: 0.1,0.2\nMAINPOWER: 7\nMAINLIFETIME: 700\n"
        "[5]\nNAME: @spawn\nROW3: 9,8,7\n[6]\nOBJECT: powerups/in_health.obj\n";
    for (size_t length = 0; length <= scene.size(); ++length) {
        SCOPED_TRACE("cut at " + std::to_string(length) + ": " + scene.substr(0, length));
        writeText("objs/cut.osr", scene.substr(0, length));
        WorldObject* records = nullptr;
        const int32_t count = loadworldobject("objs/cut.osr", &records);
        ASSERT_GE(count, 1);
        ASSERT_NE(records, nullptr);
        EXPECT_LE(recordsBeforeEnd(records), count);
    }
    writeText("objs/whole.osr", scene);
    for (size_t length = 0; length <= inner.size(); ++length) {
        SCOPED_TRACE("nested file cut at " + std::to_string(length) + ": " + inner.substr(0, length));
        writeText("objs/inner.osr", inner.substr(0, length));
        WorldObject* records = nullptr;
        // The header and six sections, whatever the nested file holds.
        ASSERT_EQ(loadworldobject("objs/whole.osr", &records), 7);
        EXPECT_EQ(recordsBeforeEnd(records), 7);
    }
}

TEST_F(OsrLoaderTest, GroupFillsAll128Targets) {
    // The longest list of the shortest names: 128 targets, one record each time.
    std::string text = "[1]\nNAME: anim.obj\nANIMATION: ";
    for (int i = 0; i < 127; ++i) text += "a,";
    text += "a\n[2]\nOBJNAME: a\n";
    writeText("objs/many.osr", text);
    WorldObject* records = nullptr;
    ASSERT_EQ(loadworldobject("objs/many.osr", &records), 3);
    const AnimGroup& group = groupOf(records[1]);
    EXPECT_EQ(group.targetCount, 128);
    EXPECT_EQ(group.targets[0], &records[2]);
    EXPECT_EQ(group.targets[127], &records[2]);
}

TEST_F(OsrLoaderTest, SzrFilesAreNotRead) {
    WorldObject* records = nullptr;
    EXPECT_EQ(loadworldobjectfromSZR("objs/scene", &records), -1);
    EXPECT_EQ(loadworldobjectfromSZR(nullptr, &records), -1);
    EXPECT_EQ(records, nullptr);
}

}  // namespace
