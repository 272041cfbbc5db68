// What the world object loader leaves for the rest of the engine beside
// the arrays it hands to hosts: the scene settings of the last "[Header]"
// section read.
#pragma once

#include <cstdint>

namespace zep {

// Scene-wide values from an OSR header section. Object drawing reads
// fogEnd (as an unsigned number) to skip records inside the fog; the rest
// is kept for hosts and later use. All zero until a header sets them.
struct SceneSettings {
    uint8_t waterEnabled = 0;
    uint32_t ambientColor = 0;   // 0xAARRGGBB
    uint32_t diffuseColor = 0;
    uint32_t specularColor = 0;
    uint32_t fogColor = 0;
    uint32_t waterColor = 0;
    int32_t fogStart = 0;        // scene units
    int32_t fogEnd = 0;
    float season = 0.0f;
    float daytime = 0.0f;
};

SceneSettings& sceneSettings();

// Nested OSR files deeper than this are refused (a file that names itself,
// directly or through others, would otherwise never end).
inline constexpr int32_t kMaxWorldObjectNesting = 16;

}  // namespace zep
