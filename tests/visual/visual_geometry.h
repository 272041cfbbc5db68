// Vertex records and quads the visual cases draw with.
#pragma once

#include <d3d8.h>

#include <cstring>
#include <vector>

namespace zep::visual {

inline DWORD floatBits(float value) {
    DWORD bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

inline D3DMATRIX identityMatrix() {
    D3DMATRIX m{};
    m._11 = m._22 = m._33 = m._44 = 1.0f;
    return m;
}

// Pre-transformed: screen pixels, depth, 1/w; diffuse, specular, one set.
struct ScreenVertex {
    float x, y, z, rhw;
    DWORD diffuse;
    DWORD specular;
    float u, v;
};
constexpr DWORD kScreenFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1;

// Untransformed with a normal.
struct SceneVertex {
    float x, y, z;
    float nx, ny, nz;
    DWORD diffuse;
    DWORD specular;
    float u, v;
};
constexpr DWORD kSceneFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1;

// A rectangle as a four-vertex triangle strip, texture coordinates 0..1.
inline std::vector<ScreenVertex> screenQuad(float x0, float y0, float x1, float y1, float z, DWORD diffuse,
                                            DWORD specular = 0, float rhw = 1.0f) {
    return {{x0, y0, z, rhw, diffuse, specular, 0.0f, 0.0f},
            {x1, y0, z, rhw, diffuse, specular, 1.0f, 0.0f},
            {x0, y1, z, rhw, diffuse, specular, 0.0f, 1.0f},
            {x1, y1, z, rhw, diffuse, specular, 1.0f, 1.0f}};
}

// A rectangle in the plane z, facing the camera (normal towards -z).
inline std::vector<SceneVertex> sceneQuad(float x0, float y0, float x1, float y1, float z, DWORD diffuse,
                                          DWORD specular = 0, float nx = 0.0f, float ny = 0.0f, float nz = -1.0f) {
    return {{x0, y1, z, nx, ny, nz, diffuse, specular, 0.0f, 0.0f},
            {x1, y1, z, nx, ny, nz, diffuse, specular, 1.0f, 0.0f},
            {x0, y0, z, nx, ny, nz, diffuse, specular, 0.0f, 1.0f},
            {x1, y0, z, nx, ny, nz, diffuse, specular, 1.0f, 1.0f}};
}

}  // namespace zep::visual
