// The object registry: the object, mesh and helper tables in the engine
// record and the static vertex and index pools, shared by the object file
// reader, the procedural building interface and everything that draws or
// reads objects.
//
// Everything here is range-checked against the capacities the tables and
// pools were opened with: a request that does not fit writes nothing, logs
// its fixed message and reports failure. The pools are device buffers and
// are locked only around each access (StaticVertexLock, StaticIndexLock).
//
// Registering an object read from a file, in outline:
//
//   ObjectRecord* object = newObjectSlot();          // null: table full (logged)
//   if (!meshCountHasRoom()) fail;                    // before the first mesh
//   object->firstHelper = appendHelpers(bytes, h);    // -1: table full (logged)
//   object->firstVertex = beginObjectVertices();      // even slot
//   object->firstMesh = ZEPengine.meshCount;
//   ... per mesh: MeshRecord* mesh = meshSlot(i); ++ZEPengine.meshCount;
//                 if (!meshCountHasRoom()) fail;
//   if (!objectVerticesFit(object->firstVertex, slots)) fail;
//   { StaticVertexLock lock(object->firstVertex, slots); write lock[i]; }
//   ZEPengine.staticVertexCount = object->firstVertex + slots;
//   Bounds bounds = emptyBounds(); includePoint(...); setObjectBox(*object, bounds);
//   if (!objectIndexesFit(n)) fail;
//   { StaticIndexLock lock(ZEPengine.staticIndexCount, n); lock[i] = ...; }
//   ZEPengine.staticIndexCount += n;  setMeshVertexRange(...) per mesh;
//   ++ZEPengine.objectCount;
#pragma once

#include "core/state.h"

#include <ZEPenginedll.h>

#include <cstdint>

namespace zep {

// ---- Capacities and reset ---------------------------------------------

// The capacities of the tables and pools that are open; all zero while the
// tables do not exist, so every check below then fails safely.
PoolCapacities registryCapacities();

// Engine initialisation: takes the capacities the tables were created with
// and clears the firstVertex of objects 0 and 1 (object 0 is reserved, the
// engine's own quads are built as object 1 from slot 0). Counters are reset
// by the caller.
void resetRegistry();

// ---- Tables -----------------------------------------------------------

// The record at the object count, where the next object goes; null and
// "Static objects overflow.\n" when the object table is full.
ObjectRecord* newObjectSlot();

// Mesh record `mesh` of the table (any slot below the capacity, in use or
// not); null and "Error: Mesh index is too big [%i].\n" (or a bad-index
// line for a negative one) otherwise.
MeshRecord* meshSlot(int32_t mesh);

// The object file rule for the mesh count: when it has reached the mesh
// capacity - 1 it is set to capacity - 1, "Static meshes overflow.\n" is
// logged and the result is false. Call it before an object's first mesh and
// after each increment of ZEPengine.meshCount.
bool meshCountHasRoom();

// Appends `count` 124-byte HelperRecords copied from `records` (any
// alignment) to the helper table; the helper count grows by `count`.
// Returns the index of the first one (the helper count before the call),
// or -1 with "Static helpers overflow.\n" when they do not fit (nothing is
// written then). A count of 0 succeeds.
int32_t appendHelpers(const void* records, int32_t count);

// ---- Static pools ------------------------------------------------------

// Rounds the static vertex fill up to an even slot (the fill takes that
// value) and returns it: the firstVertex of an object read from a file.
int32_t beginObjectVertices();

// Object file checks, with their messages:
// firstVertex + slots must stay below the static vertex capacity, else
// "\n[Load obj] Error: Out of static vertex buffer.\n";
bool objectVerticesFit(int32_t firstVertex, int32_t slots);
// the static index fill + count must stay below the index capacity, else
// "Error: Out of static index buffer memory.\n".
bool objectIndexesFit(int32_t count);

// A lock on `count` elements of a static pool (vertices or 16-bit indexes)
// from element `first`, held for the life of the object. Fails (ok() false,
// nothing locked, a log line) when the range leaves the pool, the pool does
// not exist or the device refuses the lock. An empty range succeeds without
// locking. Index from 0 = element `first`. A pool takes one lock at a time:
// a second lock on it fails until the first is gone.
template <typename Element>
class StaticPoolLock {
public:
    StaticPoolLock(int32_t first, int32_t count, bool readOnly = false);
    ~StaticPoolLock();
    StaticPoolLock(const StaticPoolLock&) = delete;
    StaticPoolLock& operator=(const StaticPoolLock&) = delete;

    bool ok() const { return ok_; }
    Element* data() const { return elements_; }
    Element& operator[](int32_t i) const { return elements_[i]; }

private:
    Element* elements_ = nullptr;
    bool ok_ = false;
};
using StaticVertexLock = StaticPoolLock<StaticVertex>;
using StaticIndexLock = StaticPoolLock<uint16_t>;

// ---- Boxes -------------------------------------------------------------

// Per-axis extent of a set of points.
struct Bounds {
    D3DVECTOR min;
    D3DVECTOR max;
};

// The extent before any point: min +100000, max -100000 on every axis.
Bounds emptyBounds();

void includePoint(Bounds& bounds, const D3DVECTOR& point);

// Writes the eight box corners ((min,min,min), (max,min,min), (max,max,min),
// (min,max,min), then the same at max z) and the radius, the largest
// absolute extent on any axis.
void setObjectBox(ObjectRecord& object, const Bounds& bounds);

// minVertex = the smallest of the mesh's `count` indexes and vertexEnd = the
// largest + 1; 100000 and 1 for a mesh without indexes.
void setMeshVertexRange(MeshRecord& mesh, const uint16_t* indexes, int32_t count);

}  // namespace zep
