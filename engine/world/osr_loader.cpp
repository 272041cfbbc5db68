// The world object loader: loadworldobject reads an OSR scene file (or a
// single OBJ file) into an array of WorldObject records ended by a record
// whose flags is -1.
//
// An OSR file is a stream of keyword tokens. "[Header]" opens record 0 and
// takes scene settings; "[n]" opens record n. Within a section, NAME: loads
// what the record shows (an object, a nested OSR file, a texture, or
// nothing for an "@" placeholder), PARTICLE: gives it an emitter and
// ANIMATION: makes it an animation group. After the text, four passes run
// over the records: alpha objects move behind the others, view distances
// grow to fit the objects, animation groups find their targets by name, and
// every record's current placement becomes its base placement.
//
// Damaged text never takes the loader outside the array: sections whose
// number the file did not announce are skipped, nested files that name
// themselves or nest too deep are refused, and names that do not fit their
// fields are refused; each of these is logged.

#include "world/osr_loader.h"

#include "core/process_memory.h"

#include "objects/registry.h"
#include "objects/textures.h"
#include "objects/whole_file.h"
#include "world/osr_scanner.h"

#include <ZEPenginedll.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace zep {

SceneSettings& sceneSettings() {
    static SceneSettings settings;
    return settings;
}

namespace {

constexpr float kReservedDistance = 1.0e8f;
constexpr float kPlacedViewDistance = 10000.0f;
constexpr float kViewDistancePerRadius = 4000.0f;
constexpr size_t kNameBuffer = 255;                       // names as the host passes them
constexpr size_t kPathRoom = sizeof(WorldObject::path) - 1;
constexpr size_t kObjNameRoom = sizeof(WorldObject::objName) - 1;
constexpr size_t kGroupNamesRoom = ZEP_ANIMGROUP_NAMES - 1;

// ---- Records -------------------------------------------------------------

D3DMATRIX identityMatrix() {
    D3DMATRIX m;
    ZEP_matrix4x4(&m, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f);
    return m;
}

// Column 3 of a placement is always (0, 0, 0, 1): files give only the
// rotation rows and the translation.
void resetLastColumn(D3DMATRIX& m) {
    m._14 = 0.0f;
    m._24 = 0.0f;
    m._34 = 0.0f;
    m._44 = 1.0f;
}

bool isEndMarker(const WorldObject& rec) { return rec.flags == ZEP_WORLD_END; }

// What a section header does to its record.
void openRecord(WorldObject& rec) {
    rec.path[0] = '\0';
    rec.objName[0] = '\0';
    rec.children = nullptr;
    rec.objIndex = -1;
    rec.reservedDistance = kReservedDistance;
    rec.active = 0;
    rec.flags = ZEP_WORLD_EMPTY;
    rec.moving = 0;
    rec.mainLifetime = 0;
    rec.viewDistance = 0.0f;
    resetLastColumn(rec.matrix);
    rec.spawnSource = nullptr;
    rec.animTime = -1;
    rec.anim = nullptr;
    rec.particles = nullptr;
    rec.physics = 0;
    rec.respawnTime = -1;
    rec.animType = ZEP_ANIMTYPE_ONCE;
}

// A record that no section opened: empty, at the identity placement, with
// no value left over from whatever the memory held before.
void clearRecord(WorldObject& rec) {
    std::memset(&rec, 0, sizeof rec);
    rec.baseMatrix = identityMatrix();
    rec.matrix = identityMatrix();
    rec.motionMatrix = identityMatrix();
    openRecord(rec);
}

// The values InitSceneObject gives a record, which a plain object load
// starts from.
void makeSceneObject(WorldObject& rec) {
    rec.viewDistance = kPlacedViewDistance;
    rec.reservedDistance = 100.0f;
    rec.objIndex = -1;
    rec.active = 1;
    rec.mainPower = 0.0f;
    rec.mass = 0.0f;
    rec.dispersion = 0.0f;
    rec.rndFactor = 0.0f;
    rec.triggerRadius = 0.0f;
    rec.children = nullptr;
    rec.spawnSource = nullptr;
    rec.particles = nullptr;
    rec.animTime = -1;
    rec.respawnTime = -1;
    rec.mainLifetime = 0;
    rec.path[0] = '\0';
    rec.objName[0] = '\0';
    rec.moving = 0;
    rec.flags = ZEP_WORLD_OBJECT;
    rec.hurt = 0;
    rec.armour = 0;
    rec.animType = ZEP_ANIMTYPE_ONCE;
}

// Arrays, emitters and groups live until the process ends: nothing in the
// engine frees them, and hosts keep pointers into them.
template <typename T>
T* allocateForever(size_t count) {
    return static_cast<T*>(allocateForProcess(count, sizeof(T)));
}

WorldObject* newArray(size_t count) {
    WorldObject* records = allocateForever<WorldObject>(count);
    if (!records) return nullptr;
    for (size_t i = 0; i < count; ++i) clearRecord(records[i]);
    return records;
}

template <size_t N>
void copyText(char (&field)[N], const std::string& text) {
    const size_t length = std::min(text.size(), N - 1);
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
}

// ---- Names -----------------------------------------------------------------

// Files named "A_..." hold alpha-blended objects, which draw after the rest.
bool isAlphaRecord(const WorldObject& rec) {
    const char* name = fileNamePart(rec.path);
    return (name[0] == 'A' || name[0] == 'a') && name[1] == '_';
}

// The fourth-last character of `name` is '.' and the second-last is one of
// `letters`: the engine's way of telling ".OBJ", ".OSR" and ".TGA" apart.
bool hasExtensionLetter(const std::string& name, const char* letters) {
    const size_t n = name.size();
    return n > 4 && name[n - 4] == '.' && std::strchr(letters, name[n - 2]) != nullptr;
}

// `name` with `extension` appended unless it already ends in one.
std::string withDefaultExtension(const std::string& name, const char* extension) {
    const size_t n = name.size();
    return n > 4 && name[n - 4] != '.' ? name + extension : name;
}

std::string directoryOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The OSR files being read, outermost first: a nested file that is already
// open would nest forever.
std::vector<std::string>& openFiles() {
    static std::vector<std::string> files;
    return files;
}

// ---- Loading one file ------------------------------------------------------

struct RecordNotes {
    bool opened = false;  // a section header initialised the record
    bool texture = false; // objIndex holds a texture, not an object
};

struct OsrLoad {
    WorldObject* records = nullptr;
    int32_t recordCount = 0;  // sections must stay below it
    std::string directory;
    OsrNumbers numbers;
    std::vector<RecordNotes> notes;

    int32_t current = -1;  // open record; -1 before the first section or in a refused one
    int32_t last = 0;      // the record number of the last section read (N)
    bool header = false;
    int32_t mode = ZEP_WORLD_EMPTY;
    int32_t animType = ZEP_ANIMTYPE_ONCE;  // carries over into later sections
    int32_t triggerWhole = 0;
    int32_t nestedCount = 0;

    WorldObject& record() { return records[current]; }
    bool inParticles() const { return (mode & ZEP_WORLD_PARTICLES) != 0; }
};

int32_t loadWorldObject(const char* name, WorldObject** handle);

// ---- Keys --------------------------------------------------------------

void setRow(OsrLoad& load, const std::string& value, int row) {
    float v[3];
    load.numbers.floats(value, v, 3);
    D3DMATRIX& m = load.record().matrix;
    if (row < 3) {
        m.m[row][0] = v[0];
        m.m[row][1] = v[1];
        m.m[row][2] = v[2];
    } else {
        // Files give the translation in their own axes, x z y.
        m._41 = v[0];
        m._43 = v[1];
        m._42 = v[2];
    }
}

struct PhysicsWord {
    const char* word;
    int32_t bit;
};

constexpr PhysicsWord kPhysicsWords[] = {
    {"NONE", ZEP_PHYSICS_NONE},
    {"ROTATE", ZEP_PHYSICS_ROTATE},
    {"LEVITATE", ZEP_PHYSICS_LEVITATE},
    {"FLOATING", ZEP_PHYSICS_FLOATING},
    {"AIMXY", ZEP_PHYSICS_AIMXY},
    {"AIMY", ZEP_PHYSICS_AIMY},
    {"CONE", ZEP_PHYSICS_CONE},
    {"SPHERE", ZEP_PHYSICS_SPHERE},
    {"PLAYANIM", ZEP_PHYSICS_PLAYANIM},
    {"DESTROYPARTICLES", ZEP_PHYSICS_DESTROYPARTICLES},
    {"ROTATEZ", ZEP_PHYSICS_ROTATEZ},
    {"POWERUP", ZEP_PHYSICS_POWERUP},
};

void addPhysics(OsrLoad& load, const std::string& word) {
    for (const PhysicsWord& entry : kPhysicsWords)
        if (sameWord(word, entry.word)) {
            load.record().physics |= entry.bit;
            return;
        }
}

// ANIMTYPE: a known word also becomes the type of later sections, and a
// record that holds a nested file passes it on to the nested records.
void setAnimType(OsrLoad& load, const std::string& word) {
    int32_t type = ZEP_ANIMTYPE_ONCE;
    if (sameWord(word, "LOOP")) type = ZEP_ANIMTYPE_LOOP;
    else if (sameWord(word, "ONCEANDDESTROY")) type = ZEP_ANIMTYPE_ONCEANDDESTROY;
    else if (sameWord(word, "OSCILLATE")) type = ZEP_ANIMTYPE_OSCILLATE;
    const bool known = type != ZEP_ANIMTYPE_ONCE;

    WorldObject& rec = load.record();
    rec.animType = type;
    if (known) load.animType = type;
    if (!rec.children) return;
    for (int32_t i = 0; i < load.nestedCount && !isEndMarker(rec.children[i]); ++i) {
        rec.children[i].animType = type;
        rec.children[i].triggerRadius = float(load.triggerWhole);
    }
}

void setTriggerSphere(OsrLoad& load, const std::string& value) {
    const float radius = load.numbers.floatValue(value);
    load.record().triggerRadius = radius;
    load.triggerWhole = truncateToInt32(radius);
}

void setMainLifetime(OsrLoad& load, const std::string& value) {
    WorldObject& rec = load.record();
    rec.mainLifetime = load.numbers.integer(value);
    if (rec.mainLifetime > 0) rec.spawnSource = &rec;
}

void setObjName(OsrLoad& load, const std::string& value) {
    if (value.size() > kObjNameRoom) {
        ZEP_log("Error: world object name too long: %s\n", value.c_str());
        return;
    }
    copyText(load.record().objName, value);
    load.mode = ZEP_WORLD_EMPTY;
}

// The fields every NAME:/OBJECT: load gives its record, whatever it loaded.
void placeLoadedRecord(OsrLoad& load, WorldObject& rec, int32_t objIndex) {
    rec.physics = 0;
    rec.objIndex = objIndex;
    rec.reservedDistance = kReservedDistance;
    rec.active = 1;
    rec.flags = load.mode;
    rec.moving = 0;
    resetLastColumn(rec.matrix);
    rec.spawnSource = nullptr;
    rec.animTime = -1;
    rec.hurt = 0;
    rec.armour = 0;
    rec.anim = nullptr;
    rec.respawnTime = -1;
    rec.animType = load.animType;
    // Objects kept under an "...IN..." folder at this place of the path are
    // pick-ups.
    if (std::strlen(rec.path) > 15 && rec.path[14] == 'I' && rec.path[15] == 'N') rec.physics = ZEP_PHYSICS_POWERUP;
}

// A nested OSR file becomes the record's children; the record is seen as
// far as the farthest-seen nested record.
void loadNested(OsrLoad& load, WorldObject& rec, const std::string& path) {
    WorldObject* nested = nullptr;
    const int32_t count = loadWorldObject(path.c_str(), &nested);
    load.nestedCount = count;
    rec.children = nested;
    for (int32_t i = 0; nested && i < count && !isEndMarker(nested[i]); ++i)
        rec.viewDistance = std::max(rec.viewDistance, nested[i].viewDistance);
}

// NAME: / OBJECT: the value says what the record holds; the value as
// written decides how it is loaded, the full path is what is loaded.
void loadContent(OsrLoad& load, const std::string& value) {
    const std::string path = enginePath(load.directory + value);
    if (path.size() > kPathRoom) {
        ZEP_log("Error: world object name too long: %s\n", path.c_str());
        return;
    }
    WorldObject& rec = load.record();
    copyText(rec.path, path);
    rec.children = nullptr;
    rec.viewDistance = 0.0f;
    load.notes[size_t(load.current)].texture = false;

    int32_t loaded = -1;
    const bool placeholder = value.size() > 3 && value[0] == '@';
    if (value.size() <= 3) {
        loaded = loadobj(path.c_str());
    } else if (placeholder) {
        // Named places for the host: nothing to load, nothing to draw.
    } else if (hasExtensionLetter(value, "Ss")) {
        loadNested(load, rec, path);  // the holder itself shows no object
    } else if (hasExtensionLetter(value, "G")) {
        loaded = loadTexture(nullptr, path.c_str(), kModeObject);
        load.notes[size_t(load.current)].texture = true;
    } else {
        loaded = loadobj(path.c_str());
    }
    if (!placeholder) load.mode = ZEP_WORLD_OBJECT;
    placeLoadedRecord(load, rec, loaded);
}

// PARTICLE: a record that loaded nothing becomes a pure emitter; one that
// shows an object emits from it and respawns itself.
void addParticles(OsrLoad& load, const std::string& textureName) {
    auto* system = allocateForever<ParticleSystem>(1);
    auto* slots = allocateForever<Particle>(ZEP_PARTICLE_SLOTS);
    if (!system || !slots) {  // what was allocated stays with the process, as all such memory does
        ZEP_log("Error: no memory for particles [%s]\n", textureName.c_str());
        return;
    }
    WorldObject& rec = load.record();
    if (load.mode == ZEP_WORLD_EMPTY) {
        rec.objIndex = -1;
        load.mode = ZEP_WORLD_PARTICLES;
        rec.reservedDistance = kReservedDistance;
        rec.active = 1;
        rec.moving = 0;
        resetLastColumn(rec.matrix);
        rec.spawnSource = nullptr;
        rec.animTime = -1;
        rec.viewDistance = kPlacedViewDistance;
        rec.respawnTime = -1;
        rec.animType = load.animType;
    } else {
        load.mode |= ZEP_WORLD_PARTICLES;
        rec.spawnSource = &rec;
    }
    system->slots = ZEP_PARTICLE_SLOTS;
    system->particles = slots;
    system->texture = loadTexture(nullptr, enginePath(textureName).c_str(), kModeObject);
    rec.particles = system;
    rec.flags = load.mode;
}

// ANIMATION: the record plays its object's animation on the records named
// in the list; the names are matched after the whole file is read.
void addAnimationGroup(OsrLoad& load, const std::string& names) {
    auto* group = allocateForever<AnimGroup>(1);
    if (!group) {
        ZEP_log("Error: no memory for an animation group [%s]\n", names.c_str());
        return;
    }
    if (names.size() > kGroupNamesRoom)
        ZEP_log("Error: animation list too long, cut to %i characters: %s\n", int(kGroupNamesRoom), names.c_str());
    load.mode |= ZEP_WORLD_ANIM_GROUP;
    group->state.position = -1;
    group->reserved20 = 4;
    copyText(group->names, names);
    WorldObject& rec = load.record();
    rec.anim = &group->state;
    rec.animTime = -1;
    rec.active = 1;
    rec.flags = load.mode;
}

// Particle keys change the emitter the section's PARTICLE: made.
ParticleSystem& emitter(OsrLoad& load) { return *load.record().particles; }

uint32_t fadeStepFor(int32_t lifetime) {
    // The alpha left to a particle, 8.24 fixed point, drops by this much per
    // frame; with no lifetime there is nothing to fade over.
    if (lifetime <= 0) return 0;
    const double step = 10000.0 / double(lifetime) * 16777216.0;
    return step >= 4294967295.0 ? 0xFFFFFFFFu : uint32_t(step);
}

// ---- The key table -----------------------------------------------------

enum class Scope {
    Any,               // every section, the header included
    Header,            // the header only
    Section,           // numbered sections
    SectionObject,     // numbered sections outside particle mode
    Particles,         // particle mode
};

struct Key {
    const char* name;
    Scope scope;
    bool takesValue;
    void (*apply)(OsrLoad& load, const std::string& value);
};

SceneSettings& scene() { return sceneSettings(); }

const Key kKeys[] = {
    {"ROW0:", Scope::Any, true, [](OsrLoad& l, const std::string& v) { setRow(l, v, 0); }},
    {"ROW1:", Scope::Any, true, [](OsrLoad& l, const std::string& v) { setRow(l, v, 1); }},
    {"ROW2:", Scope::Any, true, [](OsrLoad& l, const std::string& v) { setRow(l, v, 2); }},
    {"ROW3:", Scope::Any, true, [](OsrLoad& l, const std::string& v) { setRow(l, v, 3); }},
    {"PHYSICSTYPE:", Scope::Any, true, addPhysics},
    {"ANIMTYPE:", Scope::Any, true, setAnimType},

    {"Water=", Scope::Header, true,
     [](OsrLoad&, const std::string& v) { scene().waterEnabled = sameWord(v, "Off") ? 0 : 1; }},
    {"AmbientColor=", Scope::Header, true,
     [](OsrLoad& l, const std::string& v) { scene().ambientColor = uint32_t(l.numbers.integer(v)); }},
    {"DiffuseColor=", Scope::Header, true,
     [](OsrLoad& l, const std::string& v) { scene().diffuseColor = uint32_t(l.numbers.integer(v)); }},
    {"SpecularColor=", Scope::Header, true,
     [](OsrLoad& l, const std::string& v) { scene().specularColor = uint32_t(l.numbers.integer(v)); }},
    {"FogColor=", Scope::Header, true,
     [](OsrLoad& l, const std::string& v) { scene().fogColor = uint32_t(l.numbers.integer(v)); }},
    {"WaterColor=", Scope::Header, true,
     [](OsrLoad& l, const std::string& v) { scene().waterColor = uint32_t(l.numbers.integer(v)); }},
    {"FogStart=", Scope::Header, true,
     [](OsrLoad& l, const std::string& v) { scene().fogStart = l.numbers.integer(v); }},
    {"FogEnd=", Scope::Header, true, [](OsrLoad& l, const std::string& v) { scene().fogEnd = l.numbers.integer(v); }},
    {"Season=", Scope::Header, true,
     [](OsrLoad& l, const std::string& v) { scene().season = l.numbers.floatValue(v); }},
    {"Daytime=", Scope::Header, true,
     [](OsrLoad& l, const std::string& v) { scene().daytime = l.numbers.floatValue(v); }},

    {"MAINPOWER:", Scope::Section, true,
     [](OsrLoad& l, const std::string& v) { l.record().mainPower = l.numbers.floatValue(v); }},
    {"ARMOUR:", Scope::Section, true,
     [](OsrLoad& l, const std::string& v) { l.record().armour = l.numbers.integer(v); }},
    {"HURT:", Scope::Section, true, [](OsrLoad& l, const std::string& v) { l.record().hurt = l.numbers.integer(v); }},
    {"TRIGGERSPHERE:", Scope::Section, true, setTriggerSphere},
    {"MAINLIFETIME:", Scope::Section, true, setMainLifetime},
    {"RNDFACTOR:", Scope::Section, true,
     [](OsrLoad& l, const std::string& v) { l.record().rndFactor = l.numbers.floatValue(v); }},
    {"DISPERSION:", Scope::Section, true,
     [](OsrLoad& l, const std::string& v) { l.record().dispersion = l.numbers.floatValue(v); }},
    {"MASS:", Scope::Section, true,
     [](OsrLoad& l, const std::string& v) { l.record().mass = l.numbers.floatValue(v); }},
    {"OBJNAME:", Scope::SectionObject, true, setObjName},
    {"NAME:", Scope::SectionObject, true, loadContent},
    {"OBJECT:", Scope::SectionObject, true, loadContent},
    {"PARTICLE:", Scope::SectionObject, true, addParticles},
    {"ANIMATION:", Scope::SectionObject, true, addAnimationGroup},

    {"POWER:", Scope::Particles, true,
     [](OsrLoad& l, const std::string& v) { emitter(l).power = l.numbers.floatValue(v); }},
    {"SIZE:", Scope::Particles, true,
     [](OsrLoad& l, const std::string& v) {
         // Two numbers; the particles are drawn at the second.
         float size[2];
         l.numbers.floats(v, size, 2);
         emitter(l).size = size[1];
     }},
    {"BORNTIME:", Scope::Particles, true,
     [](OsrLoad& l, const std::string& v) { emitter(l).emissionInterval = l.numbers.integer(v); }},
    {"LIFETIME:", Scope::Particles, true,
     [](OsrLoad& l, const std::string& v) {
         emitter(l).lifetime = l.numbers.integer(v);
         emitter(l).fadeStep = fadeStepFor(emitter(l).lifetime);
     }},
    {"GROWE:", Scope::Particles, true,
     [](OsrLoad& l, const std::string& v) { emitter(l).growth = l.numbers.floatValue(v); }},
    {"TYPE:", Scope::Particles, false, [](OsrLoad&, const std::string&) {}},
    {"UVGRID:", Scope::Particles, true,
     [](OsrLoad& l, const std::string& v) { emitter(l).grid[0] = truncateToInt32(l.numbers.floatValue(v)); }},
    {"GRIDU:", Scope::Particles, true,
     [](OsrLoad& l, const std::string& v) { emitter(l).grid[1] = truncateToInt32(l.numbers.floatValue(v)); }},
    {"GRIDV:", Scope::Particles, true,
     [](OsrLoad& l, const std::string& v) { emitter(l).grid[2] = truncateToInt32(l.numbers.floatValue(v)); }},
};

bool keyApplies(const OsrLoad& load, Scope scope) {
    switch (scope) {
    case Scope::Any: return true;
    case Scope::Header: return load.header;
    case Scope::Section: return !load.header;
    case Scope::SectionObject: return !load.header && !load.inParticles();
    case Scope::Particles: return !load.header && load.inParticles() && load.records[load.current].particles;
    }
    return false;
}

const Key* findKey(const OsrLoad& load, const std::string& token) {
    for (const Key& key : kKeys)
        if (keyApplies(load, key.scope) && sameWord(token, key.name)) return &key;
    return nullptr;
}

// "[Header]" or "[n]": opens record 0 or n. A number the file did not
// announce (or no number at all) would lie outside the array: the section
// is skipped up to the next header.
void openSection(OsrLoad& load, const std::string& token) {
    int32_t number = 0;
    const bool header = sameWord(token, "[Header]");
    if (!header && !OsrNumbers::sectionNumber(token, &number)) {
        ZEP_log("Error: bad world object section %s\n", token.c_str());
        load.current = -1;
        return;
    }
    if (number < 0 || number >= load.recordCount) {
        ZEP_log("Error: world object section %s is beyond the %i records of the file\n", token.c_str(),
                load.recordCount);
        load.current = -1;
        return;
    }
    load.current = number;
    load.last = number;
    load.header = header;
    load.mode = ZEP_WORLD_EMPTY;
    openRecord(load.record());
    load.notes[size_t(number)] = RecordNotes{true, false};
}

void readTokens(OsrLoad& load, OsrTokens& tokens) {
    std::string token;
    std::string value;
    while (tokens.next(token)) {
        if (token[0] == '[') {
            openSection(load, token);
            continue;
        }
        // Words outside a section, and words that are no key here, are
        // passed over one at a time.
        if (load.current < 0) continue;
        const Key* key = findKey(load, token);
        if (!key) continue;
        if (key->takesValue && !tokens.next(value)) return;
        key->apply(load, value);
    }
}

// ---- Passes after the text ---------------------------------------------

// Records no section opened, among those the array now shows, become
// empty ones; this includes record 0 of a file without "[Header]".
void clearUnopenedRecords(OsrLoad& load) {
    for (int32_t i = 0; i <= load.last; ++i)
        if (!load.notes[size_t(i)].opened) clearRecord(load.records[i]);
}

void exchangeRecords(OsrLoad& load, int32_t a, int32_t b) {
    std::swap(load.records[a], load.records[b]);
    std::swap(load.notes[size_t(a)], load.notes[size_t(b)]);
    // Records that respawn as themselves must keep pointing at themselves.
    for (int32_t i : {a, b})
        if (load.records[i].spawnSource) load.records[i].spawnSource = &load.records[i];
}

void moveAlphaRecordsBack(OsrLoad& load) {
    for (int32_t i = 0; i < load.last; ++i) {
        if (isEndMarker(load.records[i]) || !isAlphaRecord(load.records[i])) continue;
        for (int32_t j = i + 1; j <= load.last; ++j)
            if (!isEndMarker(load.records[j]) && !isAlphaRecord(load.records[j])) {
                exchangeRecords(load, i, j);
                break;
            }
    }
}

float largestRowLength(const D3DMATRIX& m) {
    float largest = 0.0f;
    for (int row = 0; row < 3; ++row)
        largest = std::max(largest, std::sqrt(m.m[row][0] * m.m[row][0] + m.m[row][1] * m.m[row][1] +
                                              m.m[row][2] * m.m[row][2]));
    return largest;
}

// Objects are seen from as far as 4000 times their scaled radius.
void fitViewDistances(OsrLoad& load) {
    const int32_t objects = std::min(ZEPengine.objectCount, registryCapacities().objects);
    for (int32_t i = 0; i <= load.last; ++i) {
        WorldObject& rec = load.records[i];
        if (isEndMarker(rec) || load.notes[size_t(i)].texture) continue;
        if (rec.objIndex < 0 || rec.objIndex >= objects) continue;
        const float radius = ZEPengine.objects[rec.objIndex].radius;
        rec.viewDistance = std::max(rec.viewDistance, largestRowLength(rec.matrix) * radius * kViewDistancePerRadius);
    }
}

WorldObject* findByObjName(OsrLoad& load, const std::string& name) {
    for (int32_t i = 0; i <= load.last; ++i)
        if (!isEndMarker(load.records[i]) && sameWord(load.records[i].objName, name)) return &load.records[i];
    return nullptr;
}

void findGroupTargets(OsrLoad& load, WorldObject& rec) {
    auto& group = *reinterpret_cast<AnimGroup*>(rec.anim);
    const std::string names(group.names);
    size_t at = 0;
    while (at <= names.size()) {
        size_t comma = names.find(',', at);
        if (comma == std::string::npos) comma = names.size();
        const std::string name = names.substr(at, comma - at);
        at = comma + 1;
        WorldObject* target = name.empty() ? nullptr : findByObjName(load, name);
        if (!target) continue;
        if (group.targetCount >= ZEP_ANIMGROUP_TARGETS) {
            ZEP_log("Error: animation group moves at most %i records: %s\n", ZEP_ANIMGROUP_TARGETS, group.names);
            return;
        }
        group.targets[group.targetCount] = target;
        group.targetBases[group.targetCount] = target->matrix;
        ++group.targetCount;
    }
}

void findAllGroupTargets(OsrLoad& load) {
    for (int32_t i = 0; i <= load.last; ++i) {
        WorldObject& rec = load.records[i];
        if (!isEndMarker(rec) && (rec.flags & ZEP_WORLD_ANIM_GROUP) && rec.anim) findGroupTargets(load, rec);
    }
}

// The placement read is where animation and movement start from; records
// with a lifetime that emit or behave respawn in the first frame.
void settlePlacements(OsrLoad& load) {
    for (int32_t i = 0; i <= load.last; ++i) {
        WorldObject& rec = load.records[i];
        if (isEndMarker(rec)) continue;
        rec.baseMatrix = rec.matrix;
        rec.motionMatrix = identityMatrix();
        if (!rec.particles && rec.physics == 0) continue;
        const bool respawns = rec.mainLifetime > 0;
        rec.respawnTime = respawns ? 1 : -1;
        rec.moving = respawns ? 1 : 0;
    }
}

// ---- Entry points --------------------------------------------------------

// A single OBJ file: a one-record array around it.
int32_t loadPlainObject(const std::string& path, WorldObject** handle) {
    if (path.size() > kPathRoom) {
        ZEP_log("Error: world object name too long: %s\n", path.c_str());
        return -1;
    }
    const int32_t obj = loadobj(path.c_str());
    if (!*handle && obj < 0) {
        ZEP_log("Error in loadworldobj: %s\n", path.c_str());
        return 0;
    }
    WorldObject* records = *handle ? *handle : newArray(2);
    if (!records) {
        ZEP_log("Error: no memory for world object %s\n", path.c_str());
        return 0;
    }
    *handle = records;
    WorldObject& rec = records[0];
    makeSceneObject(rec);
    rec.matrix = identityMatrix();
    rec.baseMatrix = identityMatrix();
    rec.reservedDistance = kReservedDistance;
    rec.objIndex = obj;
    rec.anim = nullptr;
    rec.physics = 0;
    copyText(rec.path, path);
    records[1].flags = ZEP_WORLD_END;
    records[1].children = nullptr;
    return 1;
}

// Refuses a file that is already being read further out, or one nested
// deeper than the engine follows.
bool mayOpenNested(const std::string& fileName) {
    const std::vector<std::string>& open = openFiles();
    if (std::find(open.begin(), open.end(), fileName) != open.end()) {
        ZEP_log("Error: world object file includes itself: %s\n", fileName.c_str());
        return false;
    }
    if (int32_t(open.size()) >= kMaxWorldObjectNesting) {
        ZEP_log("Error: world object files nested too deep: %s\n", fileName.c_str());
        return false;
    }
    return true;
}

int32_t loadOsrFile(const std::string& path, WorldObject** handle) {
    const std::string fileName = withDefaultExtension(path, ".OSR");
    if (!mayOpenNested(fileName)) return -1;
    WholeFile file;
    bool decoded = false;
    if (!file.load(fileName.c_str(), &decoded)) {
        ZEP_log("Error: world object file not found: %s\n", fileName.c_str());
        return -1;
    }
    const char* text = reinterpret_cast<const char*>(file.data());
    const size_t size = size_t(file.size());

    OsrLoad load;
    load.directory = directoryOf(path);
    load.recordCount = countSectionLines(text, size) + 1;
    // One record beyond the sections holds the end marker.
    const size_t records = size_t(load.recordCount) + 1;
    load.records = *handle ? *handle : newArray(records);
    if (!load.records) {
        ZEP_log("Error: no memory for world object %s\n", fileName.c_str());
        return -1;
    }
    *handle = load.records;
    load.notes.resize(records);
    load.records[0].flags = ZEP_WORLD_END;

    openFiles().push_back(fileName);
    OsrTokens tokens(text, size);
    readTokens(load, tokens);
    openFiles().pop_back();

    load.records[load.last + 1].flags = ZEP_WORLD_END;
    if (load.last > 0) {
        clearUnopenedRecords(load);
        moveAlphaRecordsBack(load);
    }
    fitViewDistances(load);
    findAllGroupTargets(load);
    settlePlacements(load);
    return load.last + 1;
}

int32_t loadWorldObject(const char* name, WorldObject** handle) {
    ZEP_log("Load world object: %s\n", name ? name : "");
    if (!name || name[0] == '\0') return -1;
    if (!handle) {
        ZEP_log("Error: no array for world object %s\n", name);
        return -1;
    }
    const std::string path = enginePath(name);
    if (path.size() > kNameBuffer) {
        ZEP_log("Error: world object name too long: %s\n", name);
        return -1;
    }
    if (hasExtensionLetter(path, "B")) return loadPlainObject(path, handle);
    return loadOsrFile(path, handle);
}

}  // namespace

}  // namespace zep

extern "C" {

ZEP_EXPORT int32_t ZEPAPI loadworldobject(const char* name, WorldObject** handle) {
    return zep::loadWorldObject(name, handle);
}

ZEP_EXPORT int32_t ZEPAPI loadworldobjectfromSZR(const char* /*name*/, WorldObject** /*handle*/) {
    // The SZR format is named by the interface but has no reader: nothing
    // is read and the handle is left as it is.
    return -1;
}

}  // extern "C"
