// viewer: the engine's demo host.
//
// It shows what a host needs to do, and no more: bind the library, let the
// engine make an 800 x 600 window, load the stage from objs\stage.osr, start
// its animations and draw it every frame under a fixed camera, with the
// mouse controller of the engine's own window procedure turning the scene
// while the left button drags. Closing the window ends it.
//
// Run without arguments it is exactly that program. A few options let it run
// where nobody can close a window (scripts, tests, machines without a
// display):
//
//   --frames N               stop after N drawn frames and close the engine
//   --screenshot FILE        save the last of those frames
//   --screenshot-at K FILE   save frame K (1 = the first); may be repeated
//   --drag DX,DY             after frame 5, drag with the left button from
//                            the middle of the window by (DX, DY) pixels
//
// Screenshots go through the engine's own writers, by extension: .tga,
// .bmp, .jpg or .jpeg.

#include <ZEPenginedll.h>
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

// ---- Program globals -------------------------------------------------------

HMODULE library = nullptr;
ZEPengineRecord* engine = nullptr;  // the "ZEPengine" data export
TextureEntry* textures = nullptr;   // the "Textures" data export: bound, not used further
HWND window = nullptr;              // 0 asks the engine to make the window
uint8_t running = 0;                // cleared by the engine when its window closes
WorldObject* world = nullptr;
D3DMATRIX mouse;
D3DMATRIX camera;

// ---- Options for unattended runs --------------------------------------------

struct Screenshot {
    int frame = 0;  // 0: the last frame
    std::string file;
};

struct Drag {
    bool wanted = false;
    int dx = 0;
    int dy = 0;
};

struct Options {
    int frames = 0;  // 0: until the window is closed
    std::vector<Screenshot> screenshots;
    Drag drag;
};

// The drag starts once the stage has been on screen for a few frames, and
// moves in steps, one message per pass of the loop, as a hand would.
constexpr int kDragStartFrame = 5;
constexpr int kDragSteps = 8;

void printUsage() {
    std::fputs(
        "usage: viewer [--frames N] [--screenshot FILE] [--screenshot-at K FILE]... [--drag DX,DY]\n"
        "  without arguments: show the stage until the window is closed\n"
        "  --frames N               stop after N frames\n"
        "  --screenshot FILE        save the last frame (.tga, .bmp, .jpg)\n"
        "  --screenshot-at K FILE   save frame K\n"
        "  --drag DX,DY             drag the scene with the left button after frame 5\n",
        stderr);
}

bool endsWith(const std::string& text, const char* suffix) {
    const size_t n = std::strlen(suffix);
    if (text.size() < n) return false;
    for (size_t i = 0; i < n; ++i) {
        const char c = text[text.size() - n + i];
        const char lower = (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
        if (lower != suffix[i]) return false;
    }
    return true;
}

enum class ImageType { Unknown, Tga, Bmp, Jpeg };

ImageType imageTypeOf(const std::string& file) {
    if (endsWith(file, ".tga")) return ImageType::Tga;
    if (endsWith(file, ".bmp")) return ImageType::Bmp;
    if (endsWith(file, ".jpg") || endsWith(file, ".jpeg")) return ImageType::Jpeg;
    return ImageType::Unknown;
}

bool parseCount(const char* text, int* out) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < 1 || value > 1000000) return false;
    *out = int(value);
    return true;
}

bool parseDrag(const char* text, Drag* out) {
    int dx = 0;
    int dy = 0;
    char rest = 0;
    if (std::sscanf(text, "%d,%d%c", &dx, &dy, &rest) != 2) return false;
    *out = Drag{true, dx, dy};
    return true;
}

// False (with a message) when the arguments make no sense.
bool parseOptions(int argc, char** argv, Options* options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--frames" && hasValue) {
            if (!parseCount(argv[++i], &options->frames)) return false;
        } else if (arg == "--screenshot" && hasValue) {
            options->screenshots.push_back(Screenshot{0, argv[++i]});
        } else if (arg == "--screenshot-at" && i + 2 < argc) {
            Screenshot shot;
            if (!parseCount(argv[++i], &shot.frame)) return false;
            shot.file = argv[++i];
            options->screenshots.push_back(shot);
        } else if (arg == "--drag" && hasValue) {
            if (!parseDrag(argv[++i], &options->drag)) return false;
        } else {
            return false;
        }
    }
    for (const Screenshot& shot : options->screenshots) {
        if (imageTypeOf(shot.file) == ImageType::Unknown) {
            std::fprintf(stderr, "viewer: %s: screenshots are .tga, .bmp or .jpg files\n", shot.file.c_str());
            return false;
        }
        // Only a run with an end has a last frame, and a frame after the
        // end never comes.
        if (options->frames == 0 || shot.frame > options->frames) {
            std::fprintf(stderr, "viewer: %s needs --frames covering its frame\n", shot.file.c_str());
            return false;
        }
    }
    return true;
}

// ---- The host -------------------------------------------------------------

// Software rendering frees and takes back large blocks every frame; with
// glibc's adaptive thresholds that memory goes back to the kernel each time
// and comes back as page faults, several times slower. Fixed thresholds keep
// it in the process.
void keepFrameMemory() {
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 512 * 1024 * 1024);
#endif
}

// The two data exports are found by name, as any host of the library finds
// them; whether that worked shows in the identity check after opening.
void bindDataExports() {
    library = LoadLibraryA("ZEPenginedll");
    engine = static_cast<ZEPengineRecord*>(GetProcAddress(library, "ZEPengine"));
    textures = static_cast<TextureEntry*>(GetProcAddress(library, "Textures"));
}

// The identity word the engine writes when it has opened; read at its
// offset in the record, whatever the width of pointers before it.
bool rightLibrary() {
    if (!engine) return false;
    uint32_t identity = 0;
    std::memcpy(&identity, reinterpret_cast<const char*>(engine) + offsetof(ZEPengineRecord, identity),
                sizeof identity);
    return identity == ZEP_IDENTITY_WORD;
}

void drawFrame() {
    StartFrame();
    GetMouseMatrix(&mouse);
    // No turn, moved 20 units ahead: the scene sits in front of the eye.
    ZEP_matrix4x4(&camera, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 20.0f);
    SetCameraPos(&camera);
    SetObjectCarrier(&mouse);
    // The stage carries its light in its colours: it is drawn unlit.
    SetLightObjRender();
    LightsOff();
    PutWorldObj(world, 1);
}

bool saveScreenshot(const std::string& file) {
    const char* name = file.c_str();
    switch (imageTypeOf(file)) {
    case ImageType::Tga: return savetga(name, ZEP_CAPTURE_BACK_BUFFER, 0, 0) != 0;
    case ImageType::Bmp: return savebmp(name, ZEP_CAPTURE_BACK_BUFFER, 0, 0) != 0;
    case ImageType::Jpeg: return savejpg(name, ZEP_CAPTURE_BACK_BUFFER, 0, 0, 90.0f) != 0;
    case ImageType::Unknown: break;
    }
    return false;
}

// Screenshots due at this frame, taken from the back buffer before it is
// presented, while it surely holds the whole frame.
bool saveDueScreenshots(const Options& options, int frame) {
    bool saved = true;
    for (const Screenshot& shot : options.screenshots) {
        const int due = shot.frame > 0 ? shot.frame : options.frames;
        if (due != frame) continue;
        if (!saveScreenshot(shot.file)) {
            std::fprintf(stderr, "viewer: could not save %s\n", shot.file.c_str());
            saved = false;
        }
    }
    return saved;
}

// A point of the window's client area as mouse messages carry it; a drag
// that would leave the window stops at its edge, as the mouse would.
LPARAM clientPoint(int x, int y, int width, int height) {
    x = x < 0 ? 0 : x >= width ? width - 1 : x;
    y = y < 0 ? 0 : y >= height ? height - 1 : y;
    return MAKELPARAM(x, y);
}

// A left-button drag as the window procedure would receive it from a hand:
// press, moves with the button held, release. The messages queue up and the
// loop below dispatches them, one per pass.
void postDrag(const Drag& drag) {
    const int width = engine && engine->screenWidth > 0 ? engine->screenWidth : 800;
    const int height = engine && engine->screenHeight > 0 ? engine->screenHeight : 600;
    const int x0 = width / 2;
    const int y0 = height / 2;
    PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, clientPoint(x0, y0, width, height));
    for (int step = 1; step <= kDragSteps; ++step) {
        const int x = x0 + drag.dx * step / kDragSteps;
        const int y = y0 + drag.dy * step / kDragSteps;
        PostMessageA(window, WM_MOUSEMOVE, MK_LBUTTON, clientPoint(x, y, width, height));
    }
    PostMessageA(window, WM_LBUTTONUP, 0, clientPoint(x0 + drag.dx, y0 + drag.dy, width, height));
}

void pumpOneMessage() {
    MSG msg;
    if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// The frame loop; returns false when a screenshot could not be saved.
bool run(const Options& options) {
    bool ok = true;
    int frame = 0;
    while (running) {
        if (BeginRenderClear(1)) {
            drawFrame();
            ++frame;
            ok = saveDueScreenshots(options, frame) && ok;
            RenderHWND(nullptr);
            if (options.drag.wanted && frame == kDragStartFrame) postDrag(options.drag);
            if (frame == options.frames) break;
        }
        pumpOneMessage();
    }
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    keepFrameMemory();
    Options options;
    if (!parseOptions(argc, argv, &options)) {
        printUsage();
        return 2;
    }

    bindDataExports();
    SetZEPengineMemory(10000, 400000, 1000, 1000, 10000, 5000);
    InitD3DHWND(&window, 800, 600, 1, &running, 2);
    if (!rightLibrary()) {
        MessageBoxA(nullptr, "Wrong DDL!", "Error!", MB_OK);
        return 0;
    }

    if (loadworldobject("objs\\stage.osr", &world) > 0) PlayAnim(world, 5.0f);
    const bool ok = run(options);

    // Closing the window shuts the engine down; a run that ends by itself
    // has to do it here.
    if (options.frames > 0 && running) CloseZEPengine();
    return ok ? 0 : 1;
}
