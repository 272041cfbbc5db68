// Texture files: found by name along the object directory and the texture
// path list, read whole (and decoded when the host encodes its content),
// and turned into textures by rules that the file name carries:
//
//   A_NAME.TGA  alpha, 8 bits per channel, linear filtering
//   S_NAME.TGA  1-bit alpha, magenta is transparent
//   C_NAME.TGA  alpha, 8 bits per channel, unfiltered
//   X_NAME.TGA  (any other letter) object textures as the file has them,
//               bump maps in signed Q8W8V8U8 with magenta keyed out
//   NAME.TGA    opaque R8G8B8
//   other files as the file has them
//
// A path asked for again in the same mode is the same texture: the list is
// searched first, so every object sharing a texture shares its handle.

#include "objects/textures.h"
#include "objects/whole_file.h"

#include "core/graphics.h"

#include <d3dx8.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <strings.h>

namespace zep {

namespace {

constexpr size_t kPathRoom = sizeof(TextureEntry::path);  // 255 characters and the terminator
constexpr const char* kBareNameFolder = "TEXTURES/";
constexpr D3DCOLOR kMagentaKey = 0xFFFF00FF;

int32_t findListed(const std::string& key, int32_t mode) {
    const int32_t count = std::clamp<int32_t>(ZEPengine.textureCount, 0, ZEP_MAX_TEXTURES);
    for (int32_t handle = 1; handle < count; ++handle) {
        const TextureEntry& entry = Textures[handle];
        if (entry.mode == mode && strcasecmp(entry.path, key.c_str()) == 0) return handle;
    }
    return -1;
}

// What is read for a key: names without a three-letter extension are TGA
// files under the texture folder; .BMP only with the host's permission.
struct FileToRead {
    std::string path;
    bool tga = false;
    bool refused = false;
};

FileToRead fileFor(const std::string& key) {
    const size_t n = key.size();
    if (n < 4 || key[n - 4] != '.') return {kBareNameFolder + key + ".TGA", true, false};
    const std::string extension = key.substr(n - 3);
    if (extension == "BMP" && !ZEPengine.allowBmp) return {key, false, true};
    return {key, extension == "TGA", false};
}

uint16_t littleEndian16(const uint8_t* bytes) { return uint16_t(bytes[0] | (bytes[1] << 8)); }

// The size a TGA header gives (bytes 12 to 15); 0 (size from the file) when
// the file is too short to have one.
void tgaSize(const WholeFile& file, int32_t* width, int32_t* height) {
    constexpr int64_t kSizeEnd = 16;
    if (file.size() < kSizeEnd) return;
    *width = littleEndian16(file.data() + 12);
    *height = littleEndian16(file.data() + 14);
}

// The entry's size for files whose header the engine does not read.
void sizeFromTexture(TextureEntry& entry) {
    D3DSURFACE_DESC desc{};
    if (!entry.texture || FAILED(entry.texture->GetLevelDesc(0, &desc))) return;
    entry.width = int32_t(desc.Width);
    entry.height = int32_t(desc.Height);
}

HRESULT createTexture(const WholeFile& file, const TextureCreation& how, const TextureEntry& entry,
                      IDirect3DTexture8** texture) {
    *texture = nullptr;
    IDirect3DDevice8* d = device();
    if (!d) return D3DERR_INVALIDCALL;
    const UINT size = UINT(file.size());
    if (!how.extended) return D3DXCreateTextureFromFileInMemory(d, file.data(), size, texture);
    return D3DXCreateTextureFromFileInMemoryEx(d, file.data(), size, UINT(entry.width), UINT(entry.height),
                                               D3DX_DEFAULT, 0, how.format, D3DPOOL_MANAGED, how.filter,
                                               how.mipFilter, how.colorKey, nullptr, nullptr, texture);
}

// Gives the entry just taken back to the list.
void giveBack(int32_t handle) {
    std::memset(&Textures[handle], 0, sizeof(TextureEntry));
    ZEPengine.textureCount = handle;
}

bool nameRule(const char* fileName, char letter) { return fileName[0] == letter && fileName[1] == '_'; }

}  // namespace

TextureCreation textureCreationFor(const char* fileName, bool tga, int32_t mode) {
    constexpr DWORD kNone = D3DX_FILTER_NONE;
    constexpr DWORD kLinear = D3DX_FILTER_LINEAR;
    constexpr const char* kLoadError = "Texture load error\n";
    if (!tga) return {false, D3DFMT_UNKNOWN, 0, 0, 0, 0, false, kLoadError};
    if (nameRule(fileName, 'A')) return {true, D3DFMT_A8R8G8B8, kLinear, kLinear, 0, 1, true, kLoadError};
    if (nameRule(fileName, 'S')) return {true, D3DFMT_A1R5G5B5, kNone, kLinear, kMagentaKey, 1, true, kLoadError};
    if (nameRule(fileName, 'C')) return {true, D3DFMT_A8R8G8B8, kNone, kLinear, 0, 1, true, kLoadError};
    if (fileName[0] != '\0' && fileName[1] == '_') {
        if (mode == ZEP_TEXMODE_OBJECT) return {false, D3DFMT_UNKNOWN, 0, 0, 0, 0, false, kLoadError};
        return {true, D3DFMT_Q8W8V8U8, kNone, kLinear, kMagentaKey, 0, false, kLoadError};
    }
    return {true, D3DFMT_R8G8B8, kLinear, kLinear, 0, 0, true, "capture text FAILED."};
}

namespace {

// A new entry for a file just read, with its texture made by the name
// rules; the handle, or -1 when a failed file gives its entry back.
int32_t listFile(const std::string& key, const WholeFile& file, bool tga, int32_t mode) {
    const char* fileName = fileNamePart(key.c_str());
    ZEP_log("Load texture: %s\n", fileName);
    const int32_t handle = registerTexture("", nullptr, 0, 0, D3DFMT_UNKNOWN);
    if (handle < 0) return -1;
    TextureEntry& entry = Textures[handle];
    std::strncpy(entry.name, fileName, sizeof entry.name - 1);
    std::memcpy(entry.path, key.c_str(), key.size() + 1);
    entry.mode = mode;
    if (tga) tgaSize(file, &entry.width, &entry.height);

    const TextureCreation how = textureCreationFor(fileName, tga, mode);
    entry.hasAlpha = how.hasAlpha;
    if (SUCCEEDED(createTexture(file, how, entry, &entry.texture))) {
        if (!tga) sizeFromTexture(entry);
        return handle;
    }
    ZEP_log("%s", how.failureLog);
    if (how.keepHandle) return handle;
    giveBack(handle);
    return -1;
}

// Every element of the list ends in ';' and goes right before the name; an
// empty element, or an empty list, tries the name alone. Text after the
// last ';' counts as one more element.
int32_t loadAlongPathList(const std::string& name, int32_t mode) {
    const char* list = ZEPengine.texturePathList ? ZEPengine.texturePathList : "";
    if (list[0] == '\0') return loadTextureByPath(name.c_str(), mode);
    for (const char* element = list; *element != '\0';) {
        const char* end = std::strchr(element, ';');
        const size_t length = end ? size_t(end - element) : std::strlen(element);
        const int32_t handle = loadTextureByPath((std::string(element, length) + name).c_str(), mode);
        if (handle >= 0) return handle;
        element += length + (end ? 1 : 0);
    }
    return -1;
}

}  // namespace

int32_t loadTextureByPath(const char* path, int32_t mode) {
    if (!path || path[0] == '\0') return -1;
    const std::string key = enginePath(path);
    if (key.size() >= kPathRoom) {
        ZEP_log("Error: Too long path name.\n");
        return -1;
    }
    const int32_t listed = findListed(key, mode);
    if (listed >= 0) return listed;

    const FileToRead source = fileFor(key);
    if (source.refused) return -1;
    WholeFile file;
    bool decoded = false;
    if (!file.load(source.path.c_str(), &decoded)) return -1;
    return listFile(key, file, source.tga, mode);
}

int32_t loadTexture(const char* directory, const char* name, int32_t mode) {
    if (!name || name[0] == '\0' || ZEPengine.texturesOff) return -1;
    std::string wanted(name);
    if (wanted.find('.') == std::string::npos) wanted += ".TGA";
    if (wanted.size() >= kPathRoom) {
        ZEP_log("Error: Too long path name.\n");
        return -1;
    }
    const char* objectFolder = ZEPengine.objectFolder;
    if (objectFolder && objectFolder[0] != '\0' && directory && directory[0] != '\0') {
        const int32_t handle = loadTextureByPath((std::string(directory) + "/" + wanted).c_str(), mode);
        if (handle >= 0) return handle;
    }
    const int32_t handle = loadAlongPathList(wanted, mode);
    if (handle < 0) ZEP_log("Error: texture is not loaded [%s]\n", wanted.c_str());
    return handle;
}

}  // namespace zep

extern "C" ZEP_EXPORT int32_t ZEPAPI textureload(const char* name, int32_t mode) {
    return zep::loadTexture(nullptr, name, mode);
}
