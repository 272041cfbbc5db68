// The exported engine record and the record-level setters that need no
// device. The record and the texture list are static data, zero from the
// moment the library loads; device opening and initialisation fill them.

#include "core/state.h"

extern "C" {

ZEP_EXPORT ZEPengineRecord ZEPengine;
ZEP_EXPORT TextureEntry Textures[ZEP_MAX_TEXTURES];

}  // extern "C"

namespace zep {

PoolCapacities& poolCapacities() {
    static PoolCapacities capacities = kDefaultPoolCapacities;
    return capacities;
}

}  // namespace zep

extern "C" {

ZEP_EXPORT void ZEPAPI SetZEPengineMemory(int32_t dynamicVertices, int32_t staticVertices, int32_t layerVertices,
                                          int32_t helpers, int32_t objects, int32_t meshes) {
    // Not validated here: the code that fills each pool checks its capacity
    // and reports an overflow in its own words.
    zep::poolCapacities() = {dynamicVertices, staticVertices, layerVertices, helpers, objects, meshes};
}

ZEP_EXPORT void ZEPAPI SetTexturePaths(const char* objectFolder, const char* texturePathList, uint8_t allowBmp,
                                       uint8_t texturesOff, uint8_t fifth) {
    // The strings are kept by pointer: the host keeps them alive.
    ZEPengine.objectFolder = objectFolder;
    ZEPengine.texturePathList = texturePathList;
    ZEPengine.allowBmp = allowBmp;
    ZEPengine.texturesOff = texturesOff;
    ZEPengine.texturePathsFifth = fifth;
}

ZEP_EXPORT D3DVECTOR* ZEPAPI ZEPengineVect(D3DVECTOR* out, float x, float y, float z) {
    out->x = x;
    out->y = y;
    out->z = z;
    return out;
}

}  // extern "C"

extern "C" ZEP_EXPORT ZEPcontentCoder ZEPAPI SetObjCoders(ZEPcontentCoder encoder, ZEPcontentCoder decoder) {
    ZEPengine.contentEncoder = encoder;
    ZEPengine.contentDecoder = decoder;
    return encoder;
}
