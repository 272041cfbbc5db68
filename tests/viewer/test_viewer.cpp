// The viewer, run as the program it is: bin/viewer started as a child
// process from viewer/ (where its stage lives), headless, stopped after a
// number of frames, its screenshots read back from TGA files.
//
// The stage's moving things have fixed places on the screen: the ball at
// the front left, the carousel in the middle, the pendulum at the right.
// Their rectangles below were measured from the stage as it stands (every
// pixel that changed over 200 frames, plus a margin); a change to the stage
// that moves them means measuring again.

#include "png_write.h"
#include "visual_image.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "d3dx/stb_image_private.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using zep::visual::Image;

constexpr int kWidth = 800;
constexpr int kHeight = 600;

// ---- Running the viewer ---------------------------------------------------------

// A folder of its own for the screenshots of one test, removed afterwards.
class TempFolder {
public:
    TempFolder() {
        std::string pattern = (fs::temp_directory_path() / "zep_viewer_XXXXXX").string();
        if (mkdtemp(pattern.data())) path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        if (!path_.empty()) fs::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const fs::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    fs::path path_;
};

// The environment of this process with SDL held to its off-screen driver,
// so that no window opens even where there is a display.
std::vector<std::string> headlessEnvironment() {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "SDL_VIDEODRIVER=", 16) != 0) env.emplace_back(*e);
    env.emplace_back("SDL_VIDEODRIVER=offscreen");
    return env;
}

std::vector<char*> pointersTo(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (std::string& s : strings) pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
}

// Runs bin/viewer with `args` in `workingDirectory`; its exit code, or -1
// when it could not be started, was killed, or ran longer than a test may.
int runViewer(const std::vector<std::string>& args, const fs::path& workingDirectory) {
    const std::string program = std::string(ZEP_BINARY_DIR) + "/bin/viewer";
    std::vector<std::string> argStrings{program};
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    std::vector<std::string> envStrings = headlessEnvironment();
    // Everything the child needs is made before the fork: between fork and
    // exec only async-signal-safe calls are allowed.
    std::vector<char*> argv = pointersTo(argStrings);
    std::vector<char*> envp = pointersTo(envStrings);
    const std::string directory = workingDirectory.string();

    const pid_t child = fork();
    if (child < 0) return -1;
    if (child == 0) {
        if (chdir(directory.c_str()) == 0) execve(program.c_str(), argv.data(), envp.data());
        _exit(127);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(100);
    int status = 0;
    while (waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

fs::path viewerFolder() { return fs::path(ZEP_SOURCE_DIR) / "viewer"; }

// ---- Pictures ----------------------------------------------------------------------

std::optional<std::vector<uint8_t>> fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A screenshot (TGA) or a reference picture (PNG), as opaque RGB.
std::optional<Image> readImage(const std::string& path) {
    const auto bytes = fileBytes(path);
    if (!bytes) return std::nullopt;
    int width = 0, height = 0, channels = 0;
    stbi_uc* rgb = stbi_load_from_memory(bytes->data(), int(bytes->size()), &width, &height, &channels, 3);
    if (!rgb) return std::nullopt;
    Image image;
    image.width = UINT(width);
    image.height = UINT(height);
    for (int i = 0; i < width * height; ++i)
        image.pixels.push_back(0xFF000000u | (DWORD(rgb[3 * i]) << 16) | (DWORD(rgb[3 * i + 1]) << 8) | rgb[3 * i + 2]);
    stbi_image_free(rgb);
    return image;
}

int red(D3DCOLOR c) { return int((c >> 16) & 0xFF); }
int green(D3DCOLOR c) { return int((c >> 8) & 0xFF); }
int blue(D3DCOLOR c) { return int(c & 0xFF); }

struct Rect {
    int left, top, right, bottom;  // right and bottom excluded

    bool contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    Rect scaledDown(int factor) const {
        return {left / factor, top / factor, (right + factor - 1) / factor, (bottom + factor - 1) / factor};
    }
};

// Where the stage moves, in screen pixels.
struct MovingThing {
    const char* name;
    Rect area;
};
const MovingThing kMovingThings[] = {
    {"ball", {205, 227, 300, 400}},
    {"carousel", {337, 186, 483, 354}},
    {"pendulum", {472, 232, 632, 356}},
};

bool moves(int x, int y) {
    for (const MovingThing& thing : kMovingThings)
        if (thing.area.contains(x, y)) return true;
    return false;
}

int changedPixels(const Image& a, const Image& b, const Rect& area) {
    int changed = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (a.at(UINT(x), UINT(y)) != b.at(UINT(x), UINT(y))) ++changed;
    return changed;
}

int changedPixelsOutsideMovingThings(const Image& a, const Image& b) {
    int changed = 0;
    for (int y = 0; y < int(a.height); ++y)
        for (int x = 0; x < int(a.width); ++x)
            if (!moves(x, y) && a.at(UINT(x), UINT(y)) != b.at(UINT(x), UINT(y))) ++changed;
    return changed;
}

// The mean x of the pixels in rows [top, bottom) that `wanted` picks, and
// how many there were.
struct Centroid {
    double x = 0.0;
    int count = 0;
};

template <typename Wanted>
Centroid centroidOf(const Image& image, int top, int bottom, Wanted wanted) {
    Centroid c;
    double sum = 0.0;
    for (int y = top; y < bottom; ++y)
        for (int x = 0; x < int(image.width); ++x)
            if (wanted(image.at(UINT(x), UINT(y)))) {
                sum += x;
                ++c.count;
            }
    if (c.count > 0) c.x = sum / c.count;
    return c;
}

// 4 x 4 averages: small rasterisation differences between machines and
// Mesa versions wash out, a wrong texture, colour or placement does not.
Image boxFiltered(const Image& image, int factor) {
    Image out;
    out.width = image.width / UINT(factor);
    out.height = image.height / UINT(factor);
    for (UINT y = 0; y < out.height; ++y)
        for (UINT x = 0; x < out.width; ++x) {
            int r = 0, g = 0, b = 0;
            for (int j = 0; j < factor; ++j)
                for (int i = 0; i < factor; ++i) {
                    const D3DCOLOR c = image.at(x * UINT(factor) + UINT(i), y * UINT(factor) + UINT(j));
                    r += red(c);
                    g += green(c);
                    b += blue(c);
                }
            const int n = factor * factor;
            out.pixels.push_back(0xFF000000u | (DWORD(r / n) << 16) | (DWORD(g / n) << 8) | DWORD(b / n));
        }
    return out;
}

std::vector<std::string> screenshotArgs(int frames, const std::vector<std::pair<int, std::string>>& shots) {
    std::vector<std::string> args{"--frames", std::to_string(frames)};
    for (const auto& [frame, file] : shots) {
        args.insert(args.end(), {"--screenshot-at", std::to_string(frame), file});
    }
    return args;
}

// ---- Tests -------------------------------------------------------------------------

TEST(Viewer, StageMovesWhereItsAnimationsAreAndNowhereElse) {
    TempFolder out;
    ASSERT_FALSE(out.path().empty());
    const std::vector<int> frames{25, 50, 75, 100};
    std::vector<std::pair<int, std::string>> shots;
    for (int frame : frames) shots.emplace_back(frame, out.file("frame" + std::to_string(frame) + ".tga"));
    ASSERT_EQ(runViewer(screenshotArgs(frames.back(), shots), viewerFolder()), 0);

    std::vector<Image> pictures;
    for (const auto& shot : shots) {
        const std::optional<Image> picture = readImage(shot.second);
        ASSERT_TRUE(picture) << shot.second;
        ASSERT_EQ(picture->width, UINT(kWidth));
        ASSERT_EQ(picture->height, UINT(kHeight));
        pictures.push_back(*picture);
    }
    // Everything else stands still, to the last pixel.
    for (size_t i = 1; i < pictures.size(); ++i)
        EXPECT_EQ(changedPixelsOutsideMovingThings(pictures[i - 1], pictures[i]), 0) << "frames " << frames[i - 1]
                                                                                     << " and " << frames[i];
    // Each of the three has moved between some two of the pictures. Their
    // cycles take 1.16, 2.8 and 6 seconds, so no two pictures a few frames
    // apart catch all of them in the same pose.
    for (const MovingThing& thing : kMovingThings) {
        int mostChanged = 0;
        for (size_t i = 1; i < pictures.size(); ++i)
            mostChanged = std::max(mostChanged, changedPixels(pictures[i - 1], pictures[i], thing.area));
        EXPECT_GT(mostChanged, 100) << thing.name << " does not move";
    }
}

TEST(Viewer, LeftButtonDragTurnsTheStageAboutItsMiddle) {
    TempFolder out;
    ASSERT_FALSE(out.path().empty());
    const std::string still = out.file("still.tga");
    const std::string turned = out.file("turned.tga");
    ASSERT_EQ(runViewer({"--frames", "25", "--screenshot", still}, viewerFolder()), 0);
    ASSERT_EQ(runViewer({"--frames", "25", "--drag", "160,0", "--screenshot", turned}, viewerFolder()), 0);
    const std::optional<Image> before = readImage(still);
    const std::optional<Image> after = readImage(turned);
    ASSERT_TRUE(before && after);

    // A drag to the right from the middle turns the trackball about the
    // vertical: its sphere point moves from (0, 0, 1) to (-0.47, 0, 0.88),
    // about 28 degrees, so what lies behind the middle of the scene moves
    // left and what lies in front of it moves right. A pan would move both
    // the same way.
    auto curtain = [](D3DCOLOR c) { return red(c) > 70 && green(c) < 60 && blue(c) < 70 && red(c) > 2.5 * green(c); };
    auto footlight = [](D3DCOLOR c) { return red(c) >= 235 && green(c) >= 205 && blue(c) >= 110 && blue(c) <= 200; };
    const Centroid backBefore = centroidOf(*before, 110, 185, curtain);
    const Centroid backAfter = centroidOf(*after, 110, 185, curtain);
    const Centroid frontBefore = centroidOf(*before, 380, 560, footlight);
    const Centroid frontAfter = centroidOf(*after, 380, 560, footlight);
    ASSERT_GT(backBefore.count, 500);
    ASSERT_GT(backAfter.count, 500);
    ASSERT_GT(frontBefore.count, 200);
    ASSERT_GT(frontAfter.count, 200);
    EXPECT_LT(backAfter.x, backBefore.x - 8.0) << "the curtain at the back should move left";
    EXPECT_GT(frontAfter.x, frontBefore.x + 40.0) << "the footlights at the front should move right";
}

TEST(Viewer, StageLooksAsItsReference) {
    TempFolder out;
    ASSERT_FALSE(out.path().empty());
    const std::string shot = out.file("stage.tga");
    ASSERT_EQ(runViewer({"--frames", "20", "--screenshot", shot}, viewerFolder()), 0);
    const std::optional<Image> picture = readImage(shot);
    ASSERT_TRUE(picture);

    constexpr int kFactor = 4;
    const Image small = boxFiltered(*picture, kFactor);
    const std::string referencePath = std::string(ZEP_SOURCE_DIR) + "/tests/data/viewer/stage.png";
    const std::optional<Image> reference = readImage(referencePath);
    const std::string keptPath = std::string(ZEP_BINARY_DIR) + "/viewer/stage.png";
    auto keepPicture = [&] {
        fs::create_directories(fs::path(keptPath).parent_path());
        zep::visual::writePng(keptPath, small);
    };
    if (!reference) keepPicture();
    ASSERT_TRUE(reference) << referencePath << " is missing; this run's picture is in " << keptPath;
    ASSERT_EQ(reference->width, small.width);
    ASSERT_EQ(reference->height, small.height);

    // The moving things are left out: where they are depends on the time
    // the frames took. Everything else is held to the reference, each
    // channel within a tolerance, with a few stray pixels allowed.
    constexpr int kTolerance = 24;
    int compared = 0;
    int differing = 0;
    for (UINT y = 0; y < small.height; ++y)
        for (UINT x = 0; x < small.width; ++x) {
            bool moving = false;
            for (const MovingThing& thing : kMovingThings)
                moving = moving || thing.area.scaledDown(kFactor).contains(int(x), int(y));
            if (moving) continue;
            ++compared;
            const D3DCOLOR a = small.at(x, y);
            const D3DCOLOR b = reference->at(x, y);
            if (zep::visual::channelDistance(a, b) > kTolerance) ++differing;
        }
    const bool close = differing <= compared / 50;
    if (!close) keepPicture();
    EXPECT_TRUE(close) << differing << " of " << compared << " pixels differ from " << referencePath
                       << "; this run's picture is in " << keptPath;
}

TEST(Viewer, WithoutTheStageTheFramesAreBlack) {
    TempFolder out;
    ASSERT_FALSE(out.path().empty());
    const std::string shot = out.file("empty.tga");
    // The temporary folder has no objs\stage.osr: the loop still runs.
    ASSERT_EQ(runViewer({"--frames", "3", "--screenshot", shot}, out.path()), 0);
    const std::optional<Image> picture = readImage(shot);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->width, UINT(kWidth));
    EXPECT_EQ(picture->height, UINT(kHeight));
    int lit = 0;
    for (D3DCOLOR c : picture->pixels)
        if ((c & 0xFFFFFFu) != 0) ++lit;
    EXPECT_EQ(lit, 0);
}

}  // namespace
