// Binary layout of the core and object-model records of ZEPenginedll.h.
//
// Hosts built for the 32-bit library read these records at fixed offsets, so
// a 32-bit compile must reproduce every size and offset exactly. On 64-bit
// targets pointers grow and offsets move, but the field order must stay the
// same. Compile-time only:
//   g++ -m32 -std=c++20 -fsyntax-only -Iengine/include -Iplatform/include tests/layout/layout_core.cpp
//   g++      -std=c++20 -fsyntax-only -Iengine/include -Iplatform/include tests/layout/layout_core.cpp

#include <ZEPenginedll.h>

#include <cstddef>
#include <cstdint>

namespace {

// Each list names every field of a record in declaration order with its
// 32-bit offset: X(record, field, offset).

#define STATIC_VERTEX_FIELDS(X) \
    X(StaticVertex, position, 0) \
    X(StaticVertex, normal, 12) \
    X(StaticVertex, diffuse, 24) \
    X(StaticVertex, tu1, 28) \
    X(StaticVertex, tv1, 32) \
    X(StaticVertex, tu2, 36) \
    X(StaticVertex, tv2, 40)

#define DYNAMIC_VERTEX_FIELDS(X) \
    X(DynamicVertex, x, 0) \
    X(DynamicVertex, y, 4) \
    X(DynamicVertex, z, 8) \
    X(DynamicVertex, color, 12) \
    X(DynamicVertex, u, 16) \
    X(DynamicVertex, v, 20)

#define LAYER_VERTEX_FIELDS(X) \
    X(LayerVertex, x, 0) \
    X(LayerVertex, y, 4) \
    X(LayerVertex, z, 8) \
    X(LayerVertex, rhw, 12) \
    X(LayerVertex, color, 16) \
    X(LayerVertex, u, 20) \
    X(LayerVertex, v, 24)

#define LINE_VERTEX_FIELDS(X) \
    X(LineVertex, x, 0) \
    X(LineVertex, y, 4) \
    X(LineVertex, z, 8) \
    X(LineVertex, color, 12)

#define SCREEN_LINE_VERTEX_FIELDS(X) \
    X(ScreenLineVertex, x, 0) \
    X(ScreenLineVertex, y, 4) \
    X(ScreenLineVertex, z, 8) \
    X(ScreenLineVertex, rhw, 12) \
    X(ScreenLineVertex, color, 16)

#define WIDE_LINE_HALF_FIELDS(X) \
    X(WideLineHalf, x, 0) \
    X(WideLineHalf, y, 4) \
    X(WideLineHalf, z, 8) \
    X(WideLineHalf, offsetX, 12) \
    X(WideLineHalf, offsetY, 16) \
    X(WideLineHalf, u, 20) \
    X(WideLineHalf, v, 24)

#define WIDE_LINE_VERTEX_FIELDS(X) \
    X(WideLineVertex, half, 0)

#define VERTEX_EXCHANGE_FIELDS(X) \
    X(VertexExchange, x, 0) \
    X(VertexExchange, y, 4) \
    X(VertexExchange, z, 8) \
    X(VertexExchange, nx, 12) \
    X(VertexExchange, ny, 16) \
    X(VertexExchange, nz, 20) \
    X(VertexExchange, tu1, 24) \
    X(VertexExchange, tv1, 28) \
    X(VertexExchange, tu2, 32) \
    X(VertexExchange, tv2, 36) \
    X(VertexExchange, color, 40)

#define OBJECT_RECORD_FIELDS(X) \
    X(ObjectRecord, firstMesh, 0) \
    X(ObjectRecord, lastMesh, 4) \
    X(ObjectRecord, flags, 8) \
    X(ObjectRecord, helperCount, 12) \
    X(ObjectRecord, firstHelper, 16) \
    X(ObjectRecord, firstVertex, 20) \
    X(ObjectRecord, box, 24) \
    X(ObjectRecord, name, 120) \
    X(ObjectRecord, radius, 220) \
    X(ObjectRecord, firstAnimation, 224) \
    X(ObjectRecord, morphSlot, 228) \
    X(ObjectRecord, morphWeight, 232)

#define MESH_RANGE_FIELDS(X) \
    X(MeshRange, reserved000, 0) \
    X(MeshRange, triangleCount, 4)

#define MESH_RECORD_FIELDS(X) \
    X(MeshRecord, indexStart, 0) \
    X(MeshRecord, indexEnd, 4) \
    X(MeshRecord, minVertex, 8) \
    X(MeshRecord, vertexEnd, 12) \
    X(MeshRecord, texture, 16) \
    X(MeshRecord, texture2, 20) \
    X(MeshRecord, userValue, 24) \
    X(MeshRecord, blendMode, 28) \
    X(MeshRecord, materialParam, 32) \
    X(MeshRecord, wrapU0, 36) \
    X(MeshRecord, wrapU1, 37) \
    X(MeshRecord, wrapV0, 38) \
    X(MeshRecord, wrapV1, 39) \
    X(MeshRecord, opacity, 40) \
    X(MeshRecord, specularPower, 44) \
    X(MeshRecord, clipGroupSize, 48) \
    X(MeshRecord, clipBox, 52) \
    X(MeshRecord, rangeCount, 148) \
    X(MeshRecord, ranges, 152)

#define HELPER_RECORD_FIELDS(X) \
    X(HelperRecord, name, 0) \
    X(HelperRecord, text, 30) \
    X(HelperRecord, matrix, 60)

#define HELPER_RESULT_FIELDS(X) \
    X(HelperResult, found, 0) \
    X(HelperResult, matrix, 4) \
    X(HelperResult, name, 68) \
    X(HelperResult, text, 72)

#define ANIMATION_KEY_FIELDS(X) \
    X(AnimationKey, rotation, 0) \
    X(AnimationKey, scale, 12) \
    X(AnimationKey, translation, 24)

#define ANIMATION_ENTRY_FIELDS(X) \
    X(AnimationEntry, kind, 0) \
    X(AnimationEntry, name, 4) \
    X(AnimationEntry, keyCount, 36) \
    X(AnimationEntry, rate, 40) \
    X(AnimationEntry, keys, 44) \
    X(AnimationEntry, keyTimes, 620)

#define ENGINE_RECORD_FIELDS(X) \
    X(ZEPengineRecord, hostConstant, 0) \
    X(ZEPengineRecord, fillFlags, 4) \
    X(ZEPengineRecord, vertexSource, 8) \
    X(ZEPengineRecord, softwareClip, 12) \
    X(ZEPengineRecord, cullMode, 16) \
    X(ZEPengineRecord, normalizeNormals, 20) \
    X(ZEPengineRecord, alphaRef, 24) \
    X(ZEPengineRecord, alphaOp, 28) \
    X(ZEPengineRecord, colorOp, 32) \
    X(ZEPengineRecord, lightingMode, 36) \
    X(ZEPengineRecord, colorVertex, 37) \
    X(ZEPengineRecord, lightingEnabled, 38) \
    X(ZEPengineRecord, lightMapTexture, 40) \
    X(ZEPengineRecord, mirror, 44) \
    X(ZEPengineRecord, lightModeReserved, 45) \
    X(ZEPengineRecord, fogEnabled, 46) \
    X(ZEPengineRecord, ambientColor, 48) \
    X(ZEPengineRecord, defaultLightColor, 52) \
    X(ZEPengineRecord, defaultLightAttenuation0, 56) \
    X(ZEPengineRecord, defaultLightAttenuation1, 60) \
    X(ZEPengineRecord, defaultLightAttenuation2, 64) \
    X(ZEPengineRecord, defaultLightFalloff, 68) \
    X(ZEPengineRecord, objectFolder, 72) \
    X(ZEPengineRecord, texturePathList, 76) \
    X(ZEPengineRecord, allowBmp, 80) \
    X(ZEPengineRecord, texturesOff, 81) \
    X(ZEPengineRecord, texturePathsFifth, 82) \
    X(ZEPengineRecord, contentEncoder, 84) \
    X(ZEPengineRecord, contentDecoder, 88) \
    X(ZEPengineRecord, reserved092, 92) \
    X(ZEPengineRecord, vertexShaderVersion, 96) \
    X(ZEPengineRecord, pixelShaderVersion, 100) \
    X(ZEPengineRecord, maxLights, 104) \
    X(ZEPengineRecord, maxAnisotropy, 108) \
    X(ZEPengineRecord, maxPrimitiveCount, 112) \
    X(ZEPengineRecord, requestedWidth, 116) \
    X(ZEPengineRecord, requestedHeight, 120) \
    X(ZEPengineRecord, screenWidth, 124) \
    X(ZEPengineRecord, screenHeight, 128) \
    X(ZEPengineRecord, reserved132, 132) \
    X(ZEPengineRecord, backBufferBits, 148) \
    X(ZEPengineRecord, followWindow, 152) \
    X(ZEPengineRecord, textureFilterFlag, 153) \
    X(ZEPengineRecord, textureFilterMode, 156) \
    X(ZEPengineRecord, nearClip, 160) \
    X(ZEPengineRecord, farClip, 164) \
    X(ZEPengineRecord, multisampleType, 168) \
    X(ZEPengineRecord, objectCount, 172) \
    X(ZEPengineRecord, staticVertexCount, 176) \
    X(ZEPengineRecord, meshCount, 180) \
    X(ZEPengineRecord, staticIndexCount, 184) \
    X(ZEPengineRecord, dynamicVertexCount, 188) \
    X(ZEPengineRecord, layerBase, 192) \
    X(ZEPengineRecord, layerVertexCount, 196) \
    X(ZEPengineRecord, textureCount, 200) \
    X(ZEPengineRecord, sunDirection, 204) \
    X(ZEPengineRecord, shadowTexture, 216) \
    X(ZEPengineRecord, renderTargetCopy, 220) \
    X(ZEPengineRecord, shadowColor, 224) \
    X(ZEPengineRecord, shadowColor16, 228) \
    X(ZEPengineRecord, renderTargetSize, 232) \
    X(ZEPengineRecord, renderTargetWidth, 236) \
    X(ZEPengineRecord, renderTargetHeight, 240) \
    X(ZEPengineRecord, reserved244, 244) \
    X(ZEPengineRecord, renderTargetTexture, 264) \
    X(ZEPengineRecord, renderTargetDepth, 268) \
    X(ZEPengineRecord, renderTargetTextureIndex, 272) \
    X(ZEPengineRecord, aviWidth, 276) \
    X(ZEPengineRecord, aviHeight, 280) \
    X(ZEPengineRecord, aviFrameBuffer, 284) \
    X(ZEPengineRecord, helperCount, 288) \
    X(ZEPengineRecord, objects, 292) \
    X(ZEPengineRecord, meshes, 296) \
    X(ZEPengineRecord, helpers, 300) \
    X(ZEPengineRecord, ownsWindow, 304) \
    X(ZEPengineRecord, reserved305, 305) \
    X(ZEPengineRecord, cullingEnabled, 318) \
    X(ZEPengineRecord, reserved319, 319) \
    X(ZEPengineRecord, drawDebug, 324) \
    X(ZEPengineRecord, reserved325, 325) \
    X(ZEPengineRecord, drawDebugCount, 328) \
    X(ZEPengineRecord, keys, 332) \
    X(ZEPengineRecord, workingDirectory, 588) \
    X(ZEPengineRecord, logPath, 2636) \
    X(ZEPengineRecord, frameStart, 4684) \
    X(ZEPengineRecord, lastPresent, 4688) \
    X(ZEPengineRecord, frameDelta, 4692) \
    X(ZEPengineRecord, reserved4696, 4696) \
    X(ZEPengineRecord, videoState, 4700) \
    X(ZEPengineRecord, videoParams, 4704) \
    X(ZEPengineRecord, engineRunning, 4720) \
    X(ZEPengineRecord, animations, 4724) \
    X(ZEPengineRecord, animationCount, 179828) \
    X(ZEPengineRecord, identity, 179832)

#define TEXTURE_ENTRY_FIELDS(X) \
    X(TextureEntry, name, 0) \
    X(TextureEntry, path, 128) \
    X(TextureEntry, mode, 384) \
    X(TextureEntry, hasAlpha, 388) \
    X(TextureEntry, width, 392) \
    X(TextureEntry, height, 396) \
    X(TextureEntry, format, 400) \
    X(TextureEntry, texture, 404) \
    X(TextureEntry, spareFormat, 408) \
    X(TextureEntry, spare, 412)

#define TEXTURE_PROPS_FIELDS(X) \
    X(TextureProps, path, 0) \
    X(TextureProps, format, 384) \
    X(TextureProps, size, 388) \
    X(TextureProps, width, 392) \
    X(TextureProps, height, 396) \
    X(TextureProps, levelCount, 400)

#define DYNAMIC_VERTEX_BUFFER_FIELDS(X) \
    X(DynamicVertexBuffer, zero0, 0) \
    X(DynamicVertexBuffer, zero1, 4) \
    X(DynamicVertexBuffer, one0, 8) \
    X(DynamicVertexBuffer, one1, 12) \
    X(DynamicVertexBuffer, count, 16) \
    X(DynamicVertexBuffer, capacity, 20) \
    X(DynamicVertexBuffer, buffer, 24)

#define LINE_ARRAY_FIELDS(X) \
    X(LineArray, capacity, 0) \
    X(LineArray, count, 4) \
    X(LineArray, flags, 8) \
    X(LineArray, buffer, 12) \
    X(LineArray, strips, 16) \
    X(LineArray, stripEnds, 20) \
    X(LineArray, stripHidden, 24)

#define ALL_RECORDS(X) \
    DYNAMIC_VERTEX_BUFFER_FIELDS(X) \
    LINE_ARRAY_FIELDS(X) \
    STATIC_VERTEX_FIELDS(X) \
    DYNAMIC_VERTEX_FIELDS(X) \
    LAYER_VERTEX_FIELDS(X) \
    LINE_VERTEX_FIELDS(X) \
    SCREEN_LINE_VERTEX_FIELDS(X) \
    WIDE_LINE_HALF_FIELDS(X) \
    WIDE_LINE_VERTEX_FIELDS(X) \
    VERTEX_EXCHANGE_FIELDS(X) \
    OBJECT_RECORD_FIELDS(X) \
    MESH_RANGE_FIELDS(X) \
    MESH_RECORD_FIELDS(X) \
    HELPER_RECORD_FIELDS(X) \
    HELPER_RESULT_FIELDS(X) \
    ANIMATION_KEY_FIELDS(X) \
    ANIMATION_ENTRY_FIELDS(X) \
    ENGINE_RECORD_FIELDS(X) \
    TEXTURE_ENTRY_FIELDS(X) \
    TEXTURE_PROPS_FIELDS(X)

// ---- Field order, on every target -------------------------------------------

#define OFFSET_OF(record, field, offset32) offsetof(record, field),

template <std::size_t N>
constexpr bool strictlyIncreasing(const std::size_t (&offsets)[N]) {
    for (std::size_t i = 1; i < N; ++i) {
        if (offsets[i] <= offsets[i - 1]) return false;
    }
    return true;
}

#define CHECK_ORDER(name, list)                                  \
    constexpr std::size_t name[] = {list(OFFSET_OF)};            \
    static_assert(strictlyIncreasing(name), #list " out of declaration order");

CHECK_ORDER(dynamicVertexBufferOrder, DYNAMIC_VERTEX_BUFFER_FIELDS)
CHECK_ORDER(lineArrayOrder, LINE_ARRAY_FIELDS)
CHECK_ORDER(staticVertexOrder, STATIC_VERTEX_FIELDS)
CHECK_ORDER(dynamicVertexOrder, DYNAMIC_VERTEX_FIELDS)
CHECK_ORDER(layerVertexOrder, LAYER_VERTEX_FIELDS)
CHECK_ORDER(lineVertexOrder, LINE_VERTEX_FIELDS)
CHECK_ORDER(screenLineVertexOrder, SCREEN_LINE_VERTEX_FIELDS)
CHECK_ORDER(wideLineHalfOrder, WIDE_LINE_HALF_FIELDS)
CHECK_ORDER(vertexExchangeOrder, VERTEX_EXCHANGE_FIELDS)
CHECK_ORDER(objectRecordOrder, OBJECT_RECORD_FIELDS)
CHECK_ORDER(meshRangeOrder, MESH_RANGE_FIELDS)
CHECK_ORDER(meshRecordOrder, MESH_RECORD_FIELDS)
CHECK_ORDER(helperRecordOrder, HELPER_RECORD_FIELDS)
CHECK_ORDER(helperResultOrder, HELPER_RESULT_FIELDS)
CHECK_ORDER(animationKeyOrder, ANIMATION_KEY_FIELDS)
CHECK_ORDER(animationEntryOrder, ANIMATION_ENTRY_FIELDS)
CHECK_ORDER(engineRecordOrder, ENGINE_RECORD_FIELDS)
CHECK_ORDER(textureEntryOrder, TEXTURE_ENTRY_FIELDS)
CHECK_ORDER(texturePropsOrder, TEXTURE_PROPS_FIELDS)

// Records hosts and engine code index with fixed strides, whatever the target.
static_assert(sizeof(StaticVertex) == 44, "static pool stride");
static_assert(sizeof(DynamicVertex) == 24, "dynamic pool stride");
static_assert(sizeof(LayerVertex) == 28, "layer pool stride");
static_assert(sizeof(LineVertex) == 16, "thin line stride");
static_assert(sizeof(ScreenLineVertex) == 20, "screen line stride");
static_assert(sizeof(WideLineVertex) == 56, "wide line stride");
static_assert(sizeof(VertexExchange) == 44, "vertex exchange record");
static_assert(sizeof(AnimationEntry) == 684, "animation table stride");
static_assert(sizeof(ZEPengine.animations) / sizeof(ZEPengine.animations[0]) == 256, "animation table capacity");
static_assert(sizeof(Textures) / sizeof(Textures[0]) == ZEP_MAX_TEXTURES, "texture list capacity");

// ---- Exact 32-bit layout ------------------------------------------------------

#if UINTPTR_MAX == 0xffffffffu

#define EXPECT_OFFSET(record, field, offset32) \
    static_assert(offsetof(record, field) == (offset32), #record "." #field " is not at " #offset32);

ALL_RECORDS(EXPECT_OFFSET)

static_assert(sizeof(DynamicVertexBuffer) == 28, "DynamicVertexBuffer size");
static_assert(sizeof(LineArray) == 28, "LineArray size");
static_assert(sizeof(StaticVertex) == 44, "StaticVertex size");
static_assert(sizeof(WideLineHalf) == 28, "WideLineHalf size");
static_assert(sizeof(ObjectRecord) == 236, "ObjectRecord size");
static_assert(sizeof(MeshRange) == 8, "MeshRange size");
static_assert(sizeof(MeshRecord) == 156, "MeshRecord size");
static_assert(sizeof(HelperRecord) == 124, "HelperRecord size");
static_assert(sizeof(HelperResult) == 76, "HelperResult size");
static_assert(sizeof(AnimationKey) == 36, "AnimationKey size");
static_assert(sizeof(ZEPengineRecord) == 179836, "ZEPengineRecord size");
static_assert(sizeof(TextureEntry) == 416, "TextureEntry size");
static_assert(sizeof(TextureProps) == 404, "TextureProps size");

#endif

}  // namespace
