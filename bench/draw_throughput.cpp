// Draw throughput of the Direct3D 8 runtime against a raw OpenGL floor.
//
// One scene, drawn two ways in one process, one after the other, off-screen:
//
//   runtime  the Direct3D 8 runtime of the platform layer: one shared static
//            vertex buffer (FVF 0x252: position, normal, diffuse, two
//            texture-coordinate pairs, 44 bytes; managed pool), one 16-bit
//            index buffer, one A8R8G8B8 texture on stage 0 with MODULATE,
//            one directional light and a material, z-buffered. Per mesh:
//            SetTransform(WORLD), SetIndices(buffer, base vertex),
//            DrawIndexedPrimitive. Per frame: Clear, BeginScene, the meshes,
//            EndScene, Present (headless: a copy of the back buffer into
//            the front buffer).
//   raw      a minimal OpenGL 3.3 program doing the same: the same vertex
//            and index bytes in GL buffers, one hand-written GLSL program
//            with the same per-vertex directional lighting and texture
//            modulate, per mesh two matrix uniforms and one
//            glDrawElementsBaseVertex, into an FBO of the same size with
//            depth. Per frame: clear, the meshes, a blit of the FBO into a
//            second texture (the counterpart of Present).
//
// Each side warms up, then N frames are timed; the clock stops after a
// one-pixel read-back (glReadPixels; for the runtime CopyRects into an image
// surface and LockRect), which waits until every frame is really drawn.
// After the timed frames the two final images are read back whole (not
// timed) and compared, to show that both sides drew the same picture.
//
// This program measures and prints; it never fails because of a number.
//
//   bench_draw_throughput [frames] [--meshes=M] [--warmup=W] [--raw-first] [--images=PREFIX]
//
// --images=PREFIX writes the two final images to PREFIX-runtime.ppm and
// PREFIX-raw.ppm.

#include <d3d8.h>

#include <epoxy/egl.h>
#include <epoxy/gl.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

// ---- Settings ------------------------------------------------------------------

constexpr UINT kWidth = 640;
constexpr UINT kHeight = 480;
constexpr DWORD kFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX2;  // 0x252
constexpr UINT kStride = 44;
// Each mesh is an open tube of kSegments x kRings quads: 100 triangles.
constexpr int kSegments = 10;
constexpr int kRings = 5;
constexpr int kVerticesPerMesh = (kSegments + 1) * (kRings + 1);  // 66
constexpr int kTrianglesPerMesh = 2 * kSegments * kRings;          // 100
constexpr int kIndicesPerMesh = 3 * kTrianglesPerMesh;             // 300
constexpr UINT kTextureSize = 128;
constexpr DWORD kClearColor = 0xFF203040;

struct Settings {
    int frames = 200;
    int warmup = 20;
    int meshes = 2000;
    bool rawFirst = false;
    std::string imagePrefix;  // --images=PREFIX: write both final images as PPM
};

// ---- Scene -------------------------------------------------------------------------

struct Vertex {
    float position[3];
    float normal[3];
    uint32_t diffuse;  // D3DCOLOR: bytes B, G, R, A
    float tex0[2];
    float tex1[2];
};
static_assert(sizeof(Vertex) == kStride, "the FVF 0x252 vertex is 44 bytes");

// Row-major, row vectors (v' = v x M), as Direct3D.
struct Matrix {
    float m[4][4];
};

Matrix identity() {
    Matrix r{};
    for (int i = 0; i < 4; ++i) r.m[i][i] = 1.0f;
    return r;
}

Matrix multiply(const Matrix& a, const Matrix& b) {
    Matrix r{};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] + a.m[i][3] * b.m[3][j];
    return r;
}

Matrix rotationX(float angle) {
    Matrix r = identity();
    const float c = std::cos(angle), s = std::sin(angle);
    r.m[1][1] = c;
    r.m[1][2] = s;
    r.m[2][1] = -s;
    r.m[2][2] = c;
    return r;
}

Matrix rotationY(float angle) {
    Matrix r = identity();
    const float c = std::cos(angle), s = std::sin(angle);
    r.m[0][0] = c;
    r.m[0][2] = -s;
    r.m[2][0] = s;
    r.m[2][2] = c;
    return r;
}

Matrix translation(float x, float y, float z) {
    Matrix r = identity();
    r.m[3][0] = x;
    r.m[3][1] = y;
    r.m[3][2] = z;
    return r;
}

// Left-handed perspective with depth 0..1 (Direct3D's clip space).
Matrix perspective(float fovY, float aspect, float zn, float zf) {
    Matrix r{};
    const float ys = 1.0f / std::tan(fovY * 0.5f);
    r.m[0][0] = ys / aspect;
    r.m[1][1] = ys;
    r.m[2][2] = zf / (zf - zn);
    r.m[2][3] = 1.0f;
    r.m[3][2] = -zn * zf / (zf - zn);
    return r;
}

D3DMATRIX toD3D(const Matrix& m) {
    D3DMATRIX r;
    std::memcpy(&r, &m, sizeof r);
    return r;
}

// A small deterministic generator, so both sides and every run see the
// same scene.
struct Random {
    uint32_t state;
    float next() {  // 0 .. 1
        state = state * 1664525u + 1013904223u;
        return float(state >> 8) / float(1u << 24);
    }
};

struct MeshPlacement {
    float x, y, z;
    float tilt;
    float phase;
    float speed;
};

struct Scene {
    int meshes = 0;
    std::vector<Vertex> vertices;     // kVerticesPerMesh per mesh, mesh after mesh
    std::vector<uint16_t> indices;    // kIndicesPerMesh per mesh, local to the mesh
    std::vector<MeshPlacement> placements;
    std::vector<std::vector<uint32_t>> textureLevels;  // A8R8G8B8 texels, level 0 first
    Matrix view;
    Matrix projection;
    D3DLIGHT8 light;
    D3DMATERIAL8 material;
    DWORD ambient;  // D3DRS_AMBIENT
};

uint32_t argb(float r, float g, float b) {
    auto byte = [](float v) { return uint32_t(std::clamp(v, 0.0f, 1.0f) * 255.0f + 0.5f); };
    return 0xFF000000u | (byte(r) << 16) | (byte(g) << 8) | byte(b);
}

Scene buildScene(int meshes) {
    Scene scene;
    scene.meshes = meshes;
    Random random{12345u};
    // A grid that fills the 4:3 image, about 50 x 40 for 2000 meshes.
    const int columns = std::max(1, int(std::ceil(std::sqrt(double(meshes) * 4.0 / 3.0))));
    const int rows = (meshes + columns - 1) / columns;
    const float spacing = 1.0f;
    scene.vertices.reserve(size_t(meshes) * kVerticesPerMesh);
    scene.indices.reserve(size_t(meshes) * kIndicesPerMesh);
    for (int mesh = 0; mesh < meshes; ++mesh) {
        const float radius = 0.22f + 0.12f * random.next();
        const float length = 0.55f + 0.35f * random.next();
        const float bulge = 0.3f * random.next();
        const float r = 0.4f + 0.6f * random.next(), g = 0.4f + 0.6f * random.next(), b = 0.4f + 0.6f * random.next();
        for (int ring = 0; ring <= kRings; ++ring) {
            const float v = float(ring) / kRings;
            const float y = (v - 0.5f) * length;
            // A barrel: the radius swells towards the middle ring.
            const float ringRadius = radius * (1.0f + bulge * std::sin(v * 3.14159265f));
            for (int segment = 0; segment <= kSegments; ++segment) {
                const float u = float(segment) / kSegments;
                const float angle = u * 6.2831853f;
                const float c = std::cos(angle), s = std::sin(angle);
                Vertex vertex{};
                vertex.position[0] = ringRadius * c;
                vertex.position[1] = y;
                vertex.position[2] = ringRadius * s;
                vertex.normal[0] = c;
                vertex.normal[1] = 0.0f;
                vertex.normal[2] = s;
                const float shade = 0.75f + 0.25f * v;
                vertex.diffuse = argb(r * shade, g * shade, b * shade);
                vertex.tex0[0] = 2.0f * u;
                vertex.tex0[1] = v;
                vertex.tex1[0] = u;
                vertex.tex1[1] = 1.0f - v;
                scene.vertices.push_back(vertex);
            }
        }
        // Clockwise on screen seen from outside: Direct3D's front faces.
        for (int ring = 0; ring < kRings; ++ring)
            for (int segment = 0; segment < kSegments; ++segment) {
                const uint16_t a = uint16_t(ring * (kSegments + 1) + segment);
                const uint16_t b = uint16_t(a + 1);
                const uint16_t c = uint16_t(a + kSegments + 1);
                const uint16_t d = uint16_t(c + 1);
                const uint16_t quad[6] = {a, c, b, b, c, d};
                scene.indices.insert(scene.indices.end(), quad, quad + 6);
            }
        MeshPlacement p;
        const int column = mesh % columns, row = mesh / columns;
        p.x = (float(column) - 0.5f * float(columns - 1)) * spacing;
        p.y = (0.5f * float(rows - 1) - float(row)) * spacing;
        p.z = (random.next() - 0.5f) * 2.0f;
        p.tilt = 0.3f + 0.9f * random.next();
        p.phase = 6.2831853f * random.next();
        p.speed = 0.01f + 0.04f * random.next();
        scene.placements.push_back(p);
    }

    // A checker with a gradient, every mip level drawn at its own size.
    for (UINT size = kTextureSize; size >= 1; size /= 2) {
        std::vector<uint32_t> level(size_t(size) * size);
        for (UINT y = 0; y < size; ++y)
            for (UINT x = 0; x < size; ++x) {
                const bool odd = ((x * 8 / size) + (y * 8 / size)) & 1;
                const float t = float(x + y) / float(2 * size);
                level[size_t(y) * size + x] = odd ? argb(1.0f, 1.0f, 1.0f) : argb(0.55f + 0.3f * t, 0.45f, 0.35f);
            }
        scene.textureLevels.push_back(std::move(level));
        if (size == 1) break;
    }

    const float fovY = 1.0471976f;  // 60 degrees
    const float distance = 0.5f * float(rows) * spacing / std::tan(fovY * 0.5f) + 3.0f;
    scene.view = translation(0.0f, 0.0f, distance);  // eye at (0, 0, -distance) looking along +z
    scene.projection = perspective(fovY, float(kWidth) / float(kHeight), 1.0f, distance + 20.0f);

    std::memset(&scene.light, 0, sizeof scene.light);
    scene.light.Type = D3DLIGHT_DIRECTIONAL;
    scene.light.Diffuse = {1.0f, 1.0f, 0.95f, 1.0f};
    scene.light.Ambient = {0.1f, 0.1f, 0.1f, 1.0f};
    const float dx = 0.4f, dy = -0.5f, dz = 0.75f;
    const float n = std::sqrt(dx * dx + dy * dy + dz * dz);
    scene.light.Direction = {dx / n, dy / n, dz / n};
    std::memset(&scene.material, 0, sizeof scene.material);
    scene.material.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
    scene.material.Ambient = {0.6f, 0.6f, 0.6f, 1.0f};
    scene.material.Emissive = {0.05f, 0.05f, 0.05f, 0.0f};
    scene.ambient = 0xFF303030;
    return scene;
}

// The world matrix of a mesh in a frame; both sides compute it the same way.
Matrix worldOf(const MeshPlacement& p, int frame) {
    const float angle = p.phase + p.speed * float(frame);
    return multiply(multiply(rotationX(p.tilt), rotationY(angle)), translation(p.x, p.y, p.z));
}

// ---- Timing and images ------------------------------------------------------------------

using Clock = std::chrono::steady_clock;

struct Result {
    bool ok = false;
    std::string failure;
    double seconds = 0.0;
    int frames = 0;
    std::vector<uint32_t> image;  // the last frame, rows top to bottom, ARGB
    std::string renderer;         // GL_RENDERER (raw side)
    double framesPerSecond() const { return seconds > 0.0 ? frames / seconds : 0.0; }
    double millisecondsPerFrame() const { return frames > 0 ? 1000.0 * seconds / frames : 0.0; }
};

// ---- Side 1: the Direct3D 8 runtime ------------------------------------------------------

struct RuntimeSide {
    IDirect3D8* d3d = nullptr;
    IDirect3DDevice8* device = nullptr;
    IDirect3DVertexBuffer8* vertexBuffer = nullptr;
    IDirect3DIndexBuffer8* indexBuffer = nullptr;
    IDirect3DTexture8* texture = nullptr;
    IDirect3DSurface8* backBuffer = nullptr;
    IDirect3DSurface8* pixel = nullptr;  // 1 x 1 image surface for the final wait

    ~RuntimeSide() {
        if (device) {
            device->SetTexture(0, nullptr);
            device->SetStreamSource(0, nullptr, 0);
            device->SetIndices(nullptr, 0);
        }
        for (IUnknown* object : std::initializer_list<IUnknown*>{pixel, backBuffer, texture, indexBuffer, vertexBuffer,
                                                                 device, d3d})
            if (object) object->Release();
    }

    std::string open(const Scene& scene) {
        d3d = Direct3DCreate8(D3D_SDK_VERSION);
        if (!d3d) return "Direct3DCreate8 returned null";
        D3DPRESENT_PARAMETERS pp{};
        pp.BackBufferWidth = kWidth;
        pp.BackBufferHeight = kHeight;
        pp.BackBufferFormat = D3DFMT_X8R8G8B8;
        pp.BackBufferCount = 1;
        pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
        pp.Windowed = TRUE;
        pp.EnableAutoDepthStencil = TRUE;
        pp.AutoDepthStencilFormat = D3DFMT_D24S8;
        if (FAILED(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                     &pp, &device)) ||
            !device) {
            device = nullptr;
            return "CreateDevice failed";
        }

        const UINT vertexBytes = UINT(scene.vertices.size() * sizeof(Vertex));
        if (FAILED(device->CreateVertexBuffer(vertexBytes, D3DUSAGE_WRITEONLY, kFvf, D3DPOOL_MANAGED, &vertexBuffer)))
            return "CreateVertexBuffer failed";
        BYTE* bytes = nullptr;
        if (FAILED(vertexBuffer->Lock(0, 0, &bytes, 0))) return "vertex buffer Lock failed";
        std::memcpy(bytes, scene.vertices.data(), vertexBytes);
        vertexBuffer->Unlock();

        const UINT indexBytes = UINT(scene.indices.size() * sizeof(uint16_t));
        if (FAILED(device->CreateIndexBuffer(indexBytes, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED,
                                             &indexBuffer)))
            return "CreateIndexBuffer failed";
        if (FAILED(indexBuffer->Lock(0, 0, &bytes, 0))) return "index buffer Lock failed";
        std::memcpy(bytes, scene.indices.data(), indexBytes);
        indexBuffer->Unlock();

        const UINT levels = UINT(scene.textureLevels.size());
        if (FAILED(device->CreateTexture(kTextureSize, kTextureSize, levels, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                         &texture)))
            return "CreateTexture failed";
        for (UINT level = 0; level < levels; ++level) {
            const UINT size = kTextureSize >> level;
            D3DLOCKED_RECT locked{};
            if (FAILED(texture->LockRect(level, &locked, nullptr, 0))) return "texture LockRect failed";
            for (UINT y = 0; y < size; ++y)
                std::memcpy(static_cast<BYTE*>(locked.pBits) + size_t(y) * locked.Pitch,
                            scene.textureLevels[level].data() + size_t(y) * size, size * 4);
            texture->UnlockRect(level);
        }

        if (FAILED(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &backBuffer))) return "GetBackBuffer failed";
        if (FAILED(device->CreateImageSurface(1, 1, D3DFMT_X8R8G8B8, &pixel))) return "CreateImageSurface failed";

        // State that holds for the whole run.
        const D3DMATRIX view = toD3D(scene.view), projection = toD3D(scene.projection);
        device->SetTransform(D3DTS_VIEW, &view);
        device->SetTransform(D3DTS_PROJECTION, &projection);
        device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
        device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
        device->SetRenderState(D3DRS_LIGHTING, TRUE);
        device->SetRenderState(D3DRS_AMBIENT, scene.ambient);
        device->SetRenderState(D3DRS_COLORVERTEX, TRUE);
        device->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1);
        device->SetRenderState(D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_MATERIAL);
        device->SetRenderState(D3DRS_EMISSIVEMATERIALSOURCE, D3DMCS_MATERIAL);
        device->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
        device->SetMaterial(&scene.material);
        device->SetLight(0, &scene.light);
        device->LightEnable(0, TRUE);
        device->SetTexture(0, texture);
        device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
        device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
        device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
        device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
        device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
        device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
        device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
        device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_POINT);
        device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
        device->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
        device->SetVertexShader(kFvf);
        device->SetStreamSource(0, vertexBuffer, kStride);
        return "";
    }

    bool drawFrame(const Scene& scene, int frame) {
        bool ok = SUCCEEDED(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kClearColor, 1.0f, 0));
        ok &= SUCCEEDED(device->BeginScene());
        for (int mesh = 0; mesh < scene.meshes; ++mesh) {
            const D3DMATRIX world = toD3D(worldOf(scene.placements[size_t(mesh)], frame));
            device->SetTransform(D3DTS_WORLD, &world);
            device->SetIndices(indexBuffer, UINT(mesh * kVerticesPerMesh));
            ok &= SUCCEEDED(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, kVerticesPerMesh,
                                                          UINT(mesh * kIndicesPerMesh), kTrianglesPerMesh));
        }
        ok &= SUCCEEDED(device->EndScene());
        ok &= SUCCEEDED(device->Present(nullptr, nullptr, nullptr, nullptr));
        return ok;
    }

    // Reads one pixel of the back buffer: returns once the GL work is done.
    void wait() {
        const RECT rect{LONG(kWidth / 2), LONG(kHeight / 2), LONG(kWidth / 2 + 1), LONG(kHeight / 2 + 1)};
        const POINT at{0, 0};
        device->CopyRects(backBuffer, &rect, 1, pixel, &at);
        D3DLOCKED_RECT locked{};
        if (SUCCEEDED(pixel->LockRect(&locked, nullptr, D3DLOCK_READONLY))) pixel->UnlockRect();
    }

    std::vector<uint32_t> readImage() {
        std::vector<uint32_t> image;
        IDirect3DSurface8* copy = nullptr;
        if (FAILED(device->CreateImageSurface(kWidth, kHeight, D3DFMT_X8R8G8B8, &copy))) return image;
        D3DLOCKED_RECT locked{};
        if (SUCCEEDED(device->CopyRects(backBuffer, nullptr, 0, copy, nullptr)) &&
            SUCCEEDED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
            image.resize(size_t(kWidth) * kHeight);
            for (UINT y = 0; y < kHeight; ++y)
                std::memcpy(image.data() + size_t(y) * kWidth,
                            static_cast<const BYTE*>(locked.pBits) + size_t(y) * locked.Pitch, kWidth * 4);
            copy->UnlockRect();
        }
        copy->Release();
        return image;
    }
};

// The timed part, the same for both sides: settings.frames frames after the
// warm-up, the clock stopped only once the GL work is done, then the image.
template <class Side>
Result timeFrames(Side& side, const Scene& scene, const Settings& settings, int frame, Result result) {
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < settings.frames; ++i, ++frame) side.drawFrame(scene, frame);
    side.wait();
    result.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    result.frames = settings.frames;
    result.image = side.readImage();
    result.ok = true;
    return result;
}

Result runRuntime(const Scene& scene, const Settings& settings) {
    Result result;
    RuntimeSide side;
    result.failure = side.open(scene);
    if (!result.failure.empty()) return result;
    int frame = 0;
    for (int i = 0; i < settings.warmup; ++i, ++frame)
        if (!side.drawFrame(scene, frame)) {
            result.failure = "a Direct3D call failed while drawing";
            return result;
        }
    side.wait();
    return timeFrames(side, scene, settings, frame, result);
}

// ---- Side 2: raw OpenGL ---------------------------------------------------------------------

const char* kRawVertexShader = R"(#version 330 core
layout(location = 0) in vec3 aPosition;
layout(location = 1) in vec3 aNormal;
layout(location = 2) in vec4 aDiffuse;
layout(location = 3) in vec2 aTex;
uniform mat4 uWorldViewProjection;  // row-major as uploaded: M * v is v x M
uniform mat4 uWorld;
uniform vec3 uToLight;       // world space, unit length
uniform vec3 uLightDiffuse;
uniform vec3 uAmbient;       // emissive + material ambient x (global + light ambient)
uniform vec2 uHalfPixel;     // Direct3D's pixel centres, as the runtime draws them
out vec4 vDiffuse;
out vec2 vTex;
void main() {
    gl_Position = uWorldViewProjection * vec4(aPosition, 1.0);
    vec3 normal = mat3(uWorld) * aNormal;
    float nDotL = max(dot(normal, uToLight), 0.0);
    vDiffuse = clamp(vec4(uAmbient + aDiffuse.rgb * uLightDiffuse * nDotL, aDiffuse.a), 0.0, 1.0);
    vTex = aTex;
    gl_Position.xy += uHalfPixel * gl_Position.w;
}
)";

const char* kRawFragmentShader = R"(#version 330 core
uniform sampler2D uTexture;
in vec4 vDiffuse;
in vec2 vTex;
out vec4 oColor;
void main() {
    oColor = texture(uTexture, vTex) * vDiffuse;
}
)";

struct RawSide {
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLContext context = EGL_NO_CONTEXT;
    GLuint program = 0, vertexArray = 0, vertexBuffer = 0, indexBuffer = 0, texture = 0;
    GLuint framebuffer = 0, colorTexture = 0, depthRenderbuffer = 0;
    GLuint presentFramebuffer = 0, presentTexture = 0;
    GLint worldViewProjection = -1, world = -1;

    ~RawSide() {
        if (context == EGL_NO_CONTEXT) return;
        if (program) glDeleteProgram(program);
        if (vertexArray) glDeleteVertexArrays(1, &vertexArray);
        const GLuint buffers[2] = {vertexBuffer, indexBuffer};
        glDeleteBuffers(2, buffers);
        const GLuint textures[3] = {texture, colorTexture, presentTexture};
        glDeleteTextures(3, textures);
        const GLuint framebuffers[2] = {framebuffer, presentFramebuffer};
        glDeleteFramebuffers(2, framebuffers);
        if (depthRenderbuffer) glDeleteRenderbuffers(1, &depthRenderbuffer);
        eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        eglDestroyContext(display, context);
    }

    static GLuint compile(GLenum stage, const char* source, std::string* error) {
        const GLuint shader = glCreateShader(stage);
        glShaderSource(shader, 1, &source, nullptr);
        glCompileShader(shader);
        GLint ok = GL_FALSE;
        glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
        if (!ok) {
            char log[1024] = {};
            glGetShaderInfoLog(shader, sizeof log, nullptr, log);
            *error = std::string("shader compile failed: ") + log;
            glDeleteShader(shader);
            return 0;
        }
        return shader;
    }

    std::string open(const Scene& scene) {
        display = eglGetPlatformDisplayEXT(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
        if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr)) return "no surfaceless EGL display";
        if (!eglBindAPI(EGL_OPENGL_API)) return "eglBindAPI failed";
        const EGLint attributes[] = {EGL_CONTEXT_MAJOR_VERSION, 3, EGL_CONTEXT_MINOR_VERSION, 3,
                                     EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT, EGL_NONE};
        context = eglCreateContext(display, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, attributes);
        if (context == EGL_NO_CONTEXT) return "eglCreateContext failed";
        if (eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context) != EGL_TRUE) return "eglMakeCurrent failed";
        if (epoxy_gl_version() < 45 && !epoxy_has_gl_extension("GL_ARB_clip_control"))
            return "the driver lacks ARB_clip_control";

        // Program.
        std::string error;
        const GLuint vs = compile(GL_VERTEX_SHADER, kRawVertexShader, &error);
        if (!vs) return error;
        const GLuint fs = compile(GL_FRAGMENT_SHADER, kRawFragmentShader, &error);
        if (!fs) {
            glDeleteShader(vs);
            return error;
        }
        program = glCreateProgram();
        glAttachShader(program, vs);
        glAttachShader(program, fs);
        glBindFragDataLocation(program, 0, "oColor");
        glLinkProgram(program);
        glDeleteShader(vs);
        glDeleteShader(fs);
        GLint linked = GL_FALSE;
        glGetProgramiv(program, GL_LINK_STATUS, &linked);
        if (!linked) return "program link failed";
        glUseProgram(program);
        worldViewProjection = glGetUniformLocation(program, "uWorldViewProjection");
        world = glGetUniformLocation(program, "uWorld");

        // The lighting terms that do not change per mesh, folded as the
        // runtime's fixed-function formula would give them.
        const D3DLIGHT8& l = scene.light;
        const D3DMATERIAL8& m = scene.material;
        const float global[3] = {float((scene.ambient >> 16) & 0xFF) / 255.0f, float((scene.ambient >> 8) & 0xFF) / 255.0f,
                                 float(scene.ambient & 0xFF) / 255.0f};
        const float ambient[3] = {m.Emissive.r + m.Ambient.r * (global[0] + l.Ambient.r),
                                  m.Emissive.g + m.Ambient.g * (global[1] + l.Ambient.g),
                                  m.Emissive.b + m.Ambient.b * (global[2] + l.Ambient.b)};
        glUniform3f(glGetUniformLocation(program, "uToLight"), -l.Direction.x, -l.Direction.y, -l.Direction.z);
        glUniform3f(glGetUniformLocation(program, "uLightDiffuse"), l.Diffuse.r, l.Diffuse.g, l.Diffuse.b);
        glUniform3fv(glGetUniformLocation(program, "uAmbient"), 1, ambient);
        glUniform2f(glGetUniformLocation(program, "uHalfPixel"), 1.0f / float(kWidth), -1.0f / float(kHeight));
        glUniform1i(glGetUniformLocation(program, "uTexture"), 0);

        // Geometry: the same bytes as the runtime's buffers.
        glGenVertexArrays(1, &vertexArray);
        glBindVertexArray(vertexArray);
        glGenBuffers(1, &vertexBuffer);
        glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
        glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(scene.vertices.size() * sizeof(Vertex)), scene.vertices.data(),
                     GL_STATIC_DRAW);
        glGenBuffers(1, &indexBuffer);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(scene.indices.size() * sizeof(uint16_t)), scene.indices.data(),
                     GL_STATIC_DRAW);
        glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, kStride, reinterpret_cast<const void*>(offsetof(Vertex, position)));
        glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, kStride, reinterpret_cast<const void*>(offsetof(Vertex, normal)));
        glVertexAttribPointer(2, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, kStride,
                              reinterpret_cast<const void*>(offsetof(Vertex, diffuse)));
        glVertexAttribPointer(3, 2, GL_FLOAT, GL_FALSE, kStride, reinterpret_cast<const void*>(offsetof(Vertex, tex0)));
        for (GLuint i = 0; i < 4; ++i) glEnableVertexAttribArray(i);

        // Texture: A8R8G8B8 texels are B, G, R, A bytes.
        glActiveTexture(GL_TEXTURE0);
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        for (size_t level = 0; level < scene.textureLevels.size(); ++level) {
            const GLsizei size = GLsizei(kTextureSize >> level);
            glTexImage2D(GL_TEXTURE_2D, GLint(level), GL_RGBA8, size, size, 0, GL_BGRA, GL_UNSIGNED_BYTE,
                         scene.textureLevels[level].data());
        }
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, GLint(scene.textureLevels.size() - 1));
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);

        // Off-screen target with depth, and a second texture to present into.
        auto colorTarget = [](GLuint* name) {
            glGenTextures(1, name);
            glBindTexture(GL_TEXTURE_2D, *name);
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kWidth, kHeight, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        };
        colorTarget(&colorTexture);
        colorTarget(&presentTexture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glGenRenderbuffers(1, &depthRenderbuffer);
        glBindRenderbuffer(GL_RENDERBUFFER, depthRenderbuffer);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, kWidth, kHeight);
        glGenFramebuffers(1, &framebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colorTexture, 0);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, depthRenderbuffer);
        if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) return "incomplete framebuffer";
        glGenFramebuffers(1, &presentFramebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, presentFramebuffer);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, presentTexture, 0);
        if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) return "incomplete framebuffer";
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);

        // Direct3D's conventions, so the same matrices and windings apply:
        // depth 0..1, row 0 at the top, clockwise front faces, back faces
        // culled, depth test less-or-equal.
        glClipControl(GL_UPPER_LEFT, GL_ZERO_TO_ONE);
        glFrontFace(GL_CW);
        glEnable(GL_CULL_FACE);
        glCullFace(GL_BACK);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);
        glViewport(0, 0, kWidth, kHeight);
        glClearColor(float((kClearColor >> 16) & 0xFF) / 255.0f, float((kClearColor >> 8) & 0xFF) / 255.0f,
                     float(kClearColor & 0xFF) / 255.0f, 1.0f);
        glClearDepth(1.0);
        if (glGetError() != GL_NO_ERROR) return "a GL call failed during setup";
        return "";
    }

    void drawFrame(const Scene& scene, int frame) {
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        const Matrix viewProjection = multiply(scene.view, scene.projection);
        for (int mesh = 0; mesh < scene.meshes; ++mesh) {
            const Matrix w = worldOf(scene.placements[size_t(mesh)], frame);
            const Matrix wvp = multiply(w, viewProjection);
            glUniformMatrix4fv(worldViewProjection, 1, GL_FALSE, &wvp.m[0][0]);
            glUniformMatrix4fv(world, 1, GL_FALSE, &w.m[0][0]);
            glDrawElementsBaseVertex(GL_TRIANGLES, kIndicesPerMesh, GL_UNSIGNED_SHORT,
                                     reinterpret_cast<const void*>(uintptr_t(mesh) * kIndicesPerMesh * sizeof(uint16_t)),
                                     mesh * kVerticesPerMesh);
        }
        // The counterpart of the runtime's headless Present.
        glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, presentFramebuffer);
        glBlitFramebuffer(0, 0, kWidth, kHeight, 0, 0, kWidth, kHeight, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    }

    void wait() {
        uint32_t texel = 0;
        glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
        glReadPixels(kWidth / 2, kHeight / 2, 1, 1, GL_BGRA, GL_UNSIGNED_BYTE, &texel);
    }

    std::vector<uint32_t> readImage() {
        std::vector<uint32_t> image(size_t(kWidth) * kHeight);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
        glReadPixels(0, 0, kWidth, kHeight, GL_BGRA, GL_UNSIGNED_BYTE, image.data());
        for (uint32_t& pixel : image) pixel |= 0xFF000000u;  // compared as X8R8G8B8
        return image;
    }
};

Result runRaw(const Scene& scene, const Settings& settings) {
    Result result;
    RawSide side;
    result.failure = side.open(scene);
    if (!result.failure.empty()) return result;
    if (const GLubyte* renderer = glGetString(GL_RENDERER)) result.renderer = reinterpret_cast<const char*>(renderer);
    int frame = 0;
    for (int i = 0; i < settings.warmup; ++i, ++frame) side.drawFrame(scene, frame);
    side.wait();
    if (glGetError() != GL_NO_ERROR) {
        result.failure = "a GL call failed while drawing";
        return result;
    }
    return timeFrames(side, scene, settings, frame, result);
}

// ---- Report -----------------------------------------------------------------------------------

// Share of pixels whose channels differ by more than `tolerance`.
double differingShare(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, int tolerance) {
    if (a.size() != b.size() || a.empty()) return 1.0;
    size_t differing = 0;
    for (size_t i = 0; i < a.size(); ++i)
        for (int shift = 0; shift < 24; shift += 8) {
            const int d = int((a[i] >> shift) & 0xFF) - int((b[i] >> shift) & 0xFF);
            if (std::abs(d) > tolerance) {
                ++differing;
                break;
            }
        }
    return double(differing) / double(a.size());
}

// Share of pixels that are not the clear colour: shows that the scene drew.
double coveredShare(const std::vector<uint32_t>& image) {
    if (image.empty()) return 0.0;
    size_t covered = 0;
    for (uint32_t pixel : image) covered += (pixel & 0xFFFFFFu) != (kClearColor & 0xFFFFFFu);
    return double(covered) / double(image.size());
}

void writePpm(const std::string& path, const std::vector<uint32_t>& image) {
    if (image.size() != size_t(kWidth) * kHeight) return;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return;
    std::fprintf(file, "P6\n%u %u\n255\n", kWidth, kHeight);
    for (uint32_t pixel : image) {
        const unsigned char rgb[3] = {uint8_t(pixel >> 16), uint8_t(pixel >> 8), uint8_t(pixel)};
        std::fwrite(rgb, 1, 3, file);
    }
    std::fclose(file);
}

bool parseInt(const char* text, int minimum, int* out) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (!end || *end != '\0' || value < minimum || value > 1000000) return false;
    *out = int(value);
    return true;
}

void usage() {
    std::fprintf(stderr, "usage: bench_draw_throughput [frames] [--meshes=M] [--warmup=W] [--raw-first] [--images=PREFIX]\n");
}

}  // namespace

int main(int argc, char** argv) {
    Settings settings;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        bool ok = true;
        if (arg.rfind("--meshes=", 0) == 0)
            ok = parseInt(arg.c_str() + 9, 1, &settings.meshes);
        else if (arg.rfind("--warmup=", 0) == 0)
            ok = parseInt(arg.c_str() + 9, 0, &settings.warmup);
        else if (arg.rfind("--images=", 0) == 0)
            settings.imagePrefix = arg.substr(9);
        else if (arg == "--raw-first")
            settings.rawFirst = true;
        else
            ok = parseInt(arg.c_str(), 1, &settings.frames);
        if (!ok) {
            usage();
            return 2;
        }
    }

    const Scene scene = buildScene(settings.meshes);
    const char* threads = std::getenv("LP_NUM_THREADS");
    const char* tunables = std::getenv("GLIBC_TUNABLES");

    std::printf("bench_draw_throughput\n");
    std::printf("settings: meshes=%d triangles_per_mesh=%d triangles=%d draws_per_frame=%d resolution=%ux%u "
                "frames=%d warmup=%d order=%s\n",
                settings.meshes, kTrianglesPerMesh, settings.meshes * kTrianglesPerMesh, settings.meshes, kWidth,
                kHeight, settings.frames, settings.warmup, settings.rawFirst ? "raw,runtime" : "runtime,raw");
    std::printf("env: LP_NUM_THREADS=%s GLIBC_TUNABLES=%s%s%s\n", threads ? threads : "unset",
                tunables ? "set (" : "unset", tunables ? tunables : "", tunables ? ")" : "");
    std::printf("frame: runtime Clear+BeginScene+%d x (SetTransform WORLD, SetIndices, DrawIndexedPrimitive)"
                "+EndScene+Present (headless: back buffer copied to the front buffer); raw: clear+%d x "
                "(2 x glUniformMatrix4fv, glDrawElementsBaseVertex)+blit to a second texture; each timed run "
                "ends with a 1-pixel read-back (waits for the GL work)\n",
                settings.meshes, settings.meshes);
    std::fflush(stdout);

    // Each side opens and closes its own context, so the second one starts
    // from a released first.
    Result runtime, raw;
    if (settings.rawFirst) {
        raw = runRaw(scene, settings);
        runtime = runRuntime(scene, settings);
    } else {
        runtime = runRuntime(scene, settings);
        raw = runRaw(scene, settings);
    }
    std::printf("renderer: %s\n", raw.renderer.empty() ? "unknown" : raw.renderer.c_str());
    if (runtime.ok)
        std::printf("runtime: fps=%.1f ms_per_frame=%.2f\n", runtime.framesPerSecond(), runtime.millisecondsPerFrame());
    else
        std::printf("runtime: not measured (%s)\n", runtime.failure.c_str());
    if (raw.ok)
        std::printf("raw:     fps=%.1f ms_per_frame=%.2f\n", raw.framesPerSecond(), raw.millisecondsPerFrame());
    else
        std::printf("raw:     not measured (%s)\n", raw.failure.c_str());
    if (runtime.ok && raw.ok) {
        const double ratio = runtime.millisecondsPerFrame() / raw.millisecondsPerFrame();
        std::printf("ratio:   runtime/raw frame time = %.3f (target <= 1.25: %s)\n", ratio,
                    ratio <= 1.25 ? "met" : "not met");
        std::printf("image:   covered runtime=%.1f%% raw=%.1f%%, pixels differing by more than 8 per channel: "
                    "%.3f%%\n",
                    100.0 * coveredShare(runtime.image), 100.0 * coveredShare(raw.image),
                    100.0 * differingShare(runtime.image, raw.image, 8));
    }
    if (!settings.imagePrefix.empty()) {
        writePpm(settings.imagePrefix + "-runtime.ppm", runtime.image);
        writePpm(settings.imagePrefix + "-raw.ppm", raw.image);
    }
    return runtime.ok && raw.ok ? 0 : 1;
}
