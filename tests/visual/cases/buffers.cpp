// Buffers reach the draws that read them: written ranges are uploaded at the
// next draw, in every pool (system-memory buffers included, as Direct3D
// draws from them too), after partial relocks and after discarding locks,
// also while an earlier draw from the old contents may still be in flight.
#include "visual_case.h"

#include <cstring>

namespace {

using zep::visual::Context;

struct ColourVertex {
    float x, y, z, rhw;
    D3DCOLOR diffuse;
};
constexpr DWORD kFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE;

// Four vertices of a rectangle, in strip order (also what the index list
// 0 1 2, 1 3 2 expects).
void rectangle(ColourVertex* out, float x0, float y0, float x1, float y1, D3DCOLOR colour) {
    out[0] = {x0, y0, 0.5f, 1, colour};
    out[1] = {x1, y0, 0.5f, 1, colour};
    out[2] = {x0, y1, 0.5f, 1, colour};
    out[3] = {x1, y1, 0.5f, 1, colour};
}

struct Pool {
    const char* name;
    D3DPOOL pool;
};
const Pool kPools[] = {{"managed", D3DPOOL_MANAGED}, {"default", D3DPOOL_DEFAULT}, {"systemmem", D3DPOOL_SYSTEMMEM}};

// A vertex buffer of eight vertices and a six-index buffer 0 1 2, 1 3 2, both
// in `pool`, write-only; released after the case.
struct Buffers {
    IDirect3DVertexBuffer8* vertices = nullptr;
    IDirect3DIndexBuffer8* indices = nullptr;
};

Buffers makeBuffers(Context& c, D3DPOOL pool) {
    Buffers b;
    if (!c.check(c.d3d->CreateVertexBuffer(8 * sizeof(ColourVertex), D3DUSAGE_WRITEONLY, kFvf, pool, &b.vertices),
                 "CreateVertexBuffer"))
        return {};
    c.keep(b.vertices);
    if (!c.check(c.d3d->CreateIndexBuffer(6 * sizeof(WORD), D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, pool, &b.indices),
                 "CreateIndexBuffer"))
        return {};
    c.keep(b.indices);
    BYTE* data = nullptr;
    if (!c.check(b.indices->Lock(0, 0, &data, 0), "Lock")) return {};
    const WORD list[6] = {0, 1, 2, 1, 3, 2};
    std::memcpy(data, list, sizeof list);
    b.indices->Unlock();
    return b;
}

ColourVertex* lockVertices(Context& c, IDirect3DVertexBuffer8* vb, UINT first, UINT count, DWORD flags) {
    BYTE* data = nullptr;
    if (!c.check(vb->Lock(first * sizeof(ColourVertex), count * sizeof(ColourVertex), &data, flags), "Lock"))
        return nullptr;
    return reinterpret_cast<ColourVertex*>(data);
}

// Vertices 0..3 drawn as a strip, 4..7 through the index buffer based at 4.
void drawBoth(Context& c, const Buffers& b) {
    c.d3d->SetVertexShader(kFvf);
    c.d3d->SetStreamSource(0, b.vertices, sizeof(ColourVertex));
    c.d3d->SetIndices(b.indices, 4);
    c.check(c.d3d->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), "DrawPrimitive");
    c.check(c.d3d->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 2), "DrawIndexedPrimitive");
}

// The steps of one buffer's life; a case runs them up to its own and draws
// after each, clearing in between, so that only its last draw shows.
enum Step { kFirstDraw, kPartialRelock, kDiscardRelock };

struct StepCase {
    const char* name;
    Step last;
    D3DCOLOR left, right;  // what the last draw shows
};
const StepCase kSteps[] = {
    {"first draw", kFirstDraw, 0xFF0000, 0x00FF00},
    // Only the right rectangle is rewritten; the left keeps its uploaded bytes.
    {"partial relock", kPartialRelock, 0xFF0000, 0x0000FF},
    // A discarding lock that rewrites the whole buffer.
    {"discarding relock", kDiscardRelock, 0xFFFFFF, 0xFFFF00},
};

}  // namespace

ZEP_VISUAL_GROUP(buffers) {
    for (const Pool& pool : kPools) {
        for (const StepCase& step : kSteps) {
            cases.add(std::string(pool.name) + " " + step.name, [pool, step](Context& c) {
                const Buffers b = makeBuffers(c, pool.pool);
                if (!b.vertices) return;
                ColourVertex* v = lockVertices(c, b.vertices, 0, 0, 0);
                if (!v) return;
                rectangle(v, 0, 0, 32, 64, 0xFFFF0000);
                rectangle(v + 4, 32, 0, 64, 64, 0xFF00FF00);
                b.vertices->Unlock();
                drawBoth(c, b);
                if (step.last >= kPartialRelock) {
                    c.clear(0xFF000000);
                    if (!(v = lockVertices(c, b.vertices, 4, 4, 0))) return;
                    rectangle(v, 32, 0, 64, 64, 0xFF0000FF);
                    b.vertices->Unlock();
                    drawBoth(c, b);
                }
                if (step.last >= kDiscardRelock) {
                    c.clear(0xFF000000);
                    if (!(v = lockVertices(c, b.vertices, 0, 0, D3DLOCK_DISCARD))) return;
                    rectangle(v, 0, 0, 32, 64, 0xFFFFFFFF);
                    rectangle(v + 4, 32, 0, 64, 64, 0xFFFFFF00);
                    b.vertices->Unlock();
                    drawBoth(c, b);
                }
                c.expect(16, 32, step.left);
                c.expect(48, 32, step.right);
            });
        }

        // The engine refills its layer buffer with a discarding lock between
        // draws: the draw before the lock keeps the old vertices (top half,
        // red), the one after gets the new (bottom half, green).
        cases.add(std::string(pool.name) + " discarding lock after a draw", [pool](Context& c) {
            const Buffers b = makeBuffers(c, pool.pool);
            if (!b.vertices) return;
            ColourVertex* v = lockVertices(c, b.vertices, 0, 0, D3DLOCK_DISCARD);
            if (!v) return;
            rectangle(v, 0, 0, 64, 32, 0xFFFF0000);
            b.vertices->Unlock();
            c.d3d->SetVertexShader(kFvf);
            c.d3d->SetStreamSource(0, b.vertices, sizeof(ColourVertex));
            c.check(c.d3d->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), "DrawPrimitive");
            if (!(v = lockVertices(c, b.vertices, 0, 0, D3DLOCK_DISCARD))) return;
            rectangle(v, 0, 32, 64, 64, 0xFF00FF00);
            b.vertices->Unlock();
            c.check(c.d3d->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), "DrawPrimitive");
            c.expect(32, 16, 0xFF0000);
            c.expect(32, 48, 0x00FF00);
        });
    }
}
