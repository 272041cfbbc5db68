// Small world object scenes written by the tests: OSR text files and the
// object files they name, in the test's own working directory.
//
//   writeText("objs/scene.osr", "[1]\nNAME: tri.obj\n");
//   writeTriangleObject("objs/tri.obj");
//   writeAnimatedObject("objs/door.obj", {{0, 0}, {100, 10}});   // x moves 0 -> 10
#pragma once

#include "../objects/obj_fixture.h"

#include <ZEPenginedll.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace zep::test {

inline void writeText(const std::filesystem::path& path, const std::string& text) {
    std::filesystem::create_directories(path.parent_path().empty() ? "." : path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

// A unit right triangle: bounding radius 1.
inline void writeTriangleObject(const std::filesystem::path& path) { writeBytes(path, triangleFixture(240).bytes()); }

// One key of a test animation: its time in ticks and the translation x of
// its pose (no rotation, unit scale).
struct KeyAt {
    float time;
    float x;
};

// The triangle with one animation moving it along x through `keys`. The
// file rate `fileRate` x 0.00625 is the rate PlayAnim multiplies its speed
// by: 160 makes one tick per millisecond at speed 1.
inline void writeAnimatedObject(const std::filesystem::path& path, const std::vector<KeyAt>& keys,
                                float fileRate = 160.0f) {
    ObjFixture f = triangleFixture(250);
    ObjAnimation animation;
    animation.name = "move";
    animation.rate = fileRate;
    for (const KeyAt& k : keys) animation.keys.push_back({k.time, {0, 0, 0, 1, 1, 1, k.x, 0, 0}});
    f.chunks = {animationChunk({animation})};
    writeBytes(path, f.bytes());
}

// The records of an array up to (not including) its end marker.
inline int32_t recordsBeforeEnd(const WorldObject* records) {
    int32_t n = 0;
    while (records[n].flags != -1) ++n;
    return n;
}

}  // namespace zep::test
