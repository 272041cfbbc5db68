#!/usr/bin/env python3
"""Makes the viewer's demo stage: viewer/objs/ with stage.osr, the nested
scene files, the OBJ objects and the TGA textures they name.

    python3 tools/make_stage.py [OUTPUT_DIR]     (default: viewer/objs)

The output is committed, so running the viewer needs no generation step;
run this again only after changing the stage. The output is the same on
every run (fixed random seeds, fixed number formatting).

The scene is a small theatre stage seen from the front and a little above:
a round plank floor with a spotlight pool, a curved velvet curtain under a
gold pelmet, two marble pillars, crates, footlights, a stained-glass screen,
and three moving things: a carousel turning, a ball bouncing and a pendulum
swinging to and fro. The viewer draws unlit, so all light is baked in: the
key light, the spotlight pool and soft contact shadows go into vertex
colours, which the engine multiplies with the textures.

Axes are the engine's: x right, y up, z away from the viewer. OBJ files
store positions Z-up (y and z exchanged) and V flipped; the writer below
does that, so everything else here thinks in engine axes.
"""

import math
import os
import random
import struct
import sys

# ---------------------------------------------------------------- vectors


def add(a, b):
    return (a[0] + b[0], a[1] + b[1], a[2] + b[2])


def sub(a, b):
    return (a[0] - b[0], a[1] - b[1], a[2] - b[2])


def scale(a, k):
    return (a[0] * k, a[1] * k, a[2] * k)


def dot(a, b):
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]


def cross(a, b):
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


def normalise(a):
    length = math.sqrt(dot(a, a))
    return scale(a, 1.0 / length) if length > 0 else (0.0, 1.0, 0.0)


def clamp01(x):
    return 0.0 if x < 0.0 else 1.0 if x > 1.0 else x


def mix(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def smoothstep(e0, e1, x):
    t = clamp01((x - e0) / (e1 - e0))
    return t * t * (3 - 2 * t)


# ---------------------------------------------------------------- matrices
# Row vectors, translation in the fourth row, as the engine has them.


def rotation(ax=0.0, ay=0.0, az=0.0, tx=0.0, ty=0.0, tz=0.0):
    """The matrix ZEP_matrix4x4 builds: about x, then y, then z, then moved."""
    cx, sx = math.cos(ax), math.sin(ax)
    cy, sy = math.cos(ay), math.sin(ay)
    cz, sz = math.cos(az), math.sin(az)
    return [
        [cy * cz, cy * sz, -sy, 0.0],
        [sx * sy * cz - cx * sz, sx * sy * sz + cx * cz, sx * cy, 0.0],
        [cx * sy * cz + sx * sz, cx * sy * sz - sx * cz, cx * cy, 0.0],
        [tx, ty, tz, 1.0],
    ]


def matmul(a, b):
    return [[sum(a[r][k] * b[k][c] for k in range(4)) for c in range(4)] for r in range(4)]


# ---------------------------------------------------------------- images


class Image:
    def __init__(self, width, height, alpha=False):
        self.width, self.height, self.alpha = width, height, alpha
        self.pixels = [(0, 0, 0, 255)] * (width * height)  # rows top to bottom

    def set(self, x, y, rgb, a=1.0):
        r, g, b = (int(round(clamp01(c) * 255)) for c in rgb)
        self.pixels[y * self.width + x] = (r, g, b, int(round(clamp01(a) * 255)))

    def fill(self, shader):
        """shader(u, v) -> (rgb, alpha) with u, v in [0, 1) at pixel centres."""
        for y in range(self.height):
            for x in range(self.width):
                rgb, a = shader((x + 0.5) / self.width, (y + 0.5) / self.height)
                self.set(x, y, rgb, a)
        return self

    def write_tga(self, path):
        """Uncompressed true colour, rows bottom-up: 24 bits, or 32 with 8
        alpha bits."""
        depth = 32 if self.alpha else 24
        header = struct.pack("<BBBHHBHHHHBB", 0, 0, 2, 0, 0, 0, 0, 0,
                             self.width, self.height, depth, 8 if self.alpha else 0)
        body = bytearray()
        for y in reversed(range(self.height)):
            for x in range(self.width):
                r, g, b, a = self.pixels[y * self.width + x]
                body += bytes((b, g, r, a) if self.alpha else (b, g, r))
        with open(path, "wb") as f:
            f.write(header + bytes(body))


class ValueNoise:
    """Smooth tiling noise: bilinear-smoothed random lattice, summed over
    octaves, so textures wrap without seams."""

    def __init__(self, seed, cells):
        rng = random.Random(seed)
        self.cells = cells
        self.grid = [[rng.random() for _ in range(cells)] for _ in range(cells)]

    def at(self, u, v):
        n = self.cells
        x, y = (u % 1.0) * n, (v % 1.0) * n
        x0, y0 = int(x), int(y)
        fx, fy = smoothstep(0, 1, x - x0), smoothstep(0, 1, y - y0)
        g = self.grid
        a = g[y0 % n][x0 % n] + (g[y0 % n][(x0 + 1) % n] - g[y0 % n][x0 % n]) * fx
        b = g[(y0 + 1) % n][x0 % n] + (g[(y0 + 1) % n][(x0 + 1) % n] - g[(y0 + 1) % n][x0 % n]) * fx
        return a + (b - a) * fy


def fractal(noises, u, v):
    total, weight, w = 0.0, 0.0, 1.0
    for noise in noises:
        total += noise.at(u, v) * w
        weight += w
        w *= 0.5
    return total / weight


# ---------------------------------------------------------------- textures


def planks_texture():
    """Warm floor boards running along x, six to the tile, staggered ends."""
    rng = random.Random(11)
    boards = 6
    tones = [rng.uniform(0.82, 1.0) for _ in range(boards * 2)]
    ends = [rng.random() for _ in range(boards)]
    grain = [ValueNoise(21, 4), ValueNoise(22, 16)]
    fine = ValueNoise(23, 64)

    def shade(u, v):
        row = int(v * boards)
        fv = v * boards - row
        shifted = (u + ends[row]) % 1.0
        half = 0 if shifted < 0.5 else 1
        fu = (shifted * 2.0) % 1.0
        tone = tones[row * 2 + half]
        # Grain: streaks stretched along the board.
        g = fractal(grain, u * 0.25 + row * 0.37, fv * 0.3 + row * 0.11)
        streak = 0.5 + 0.5 * math.sin((fv * 9.0 + g * 6.0) * math.pi)
        base = mix((0.56, 0.34, 0.17), (0.78, 0.54, 0.30), streak * 0.6 + fine.at(u * 4, v) * 0.4)
        base = scale(base, tone)
        # Dark seams between boards and at board ends, a nail at each end.
        seam = min(smoothstep(0.0, 0.04, fv), smoothstep(0.0, 0.04, 1.0 - fv))
        joint = min(smoothstep(0.0, 0.008, fu), smoothstep(0.0, 0.008, 1.0 - fu))
        nail = 1.0
        for nx in (0.02, 0.98):
            d = math.hypot((fu - nx) * 2.0, (fv - 0.5) * 0.5)
            if d < 0.035:
                nail = 0.45
        return scale(base, (0.35 + 0.65 * seam * joint) * nail), 1.0

    return Image(256, 256).fill(shade)


def velvet_texture():
    """Deep red velvet: a fine nap and faint vertical sheen; the folds
    themselves are geometry."""
    nap = [ValueNoise(31, 32), ValueNoise(32, 64)]

    def shade(u, v):
        n = fractal(nap, u, v * 0.25)
        sheen = 0.5 + 0.5 * math.sin(u * math.pi * 8.0)
        return mix((0.55, 0.05, 0.07), (0.85, 0.12, 0.13), 0.55 * n + 0.25 * sheen), 1.0

    return Image(128, 128).fill(shade)


def gold_texture():
    """An ornament band: bright gold diamonds and beads between darker
    rails, tiling along u."""
    wear = ValueNoise(41, 16)

    def shade(u, v):
        dark, bright = (0.45, 0.30, 0.08), (1.0, 0.82, 0.36)
        w = wear.at(u, v)
        if v < 0.12 or v > 0.88:  # rails
            edge = 1.0 - abs((v if v < 0.5 else 1.0 - v) - 0.06) / 0.06
            return mix(dark, bright, 0.4 + 0.6 * edge * (0.8 + 0.2 * w)), 1.0
        fu = (u * 4.0) % 1.0
        cv = (v - 0.5) / 0.38
        diamond = abs(fu - 0.5) * 2.0 + abs(cv)
        bead = math.hypot((fu - 0.0 if fu < 0.5 else fu - 1.0) * 2.0, cv * 1.0)
        if diamond < 0.8:
            t = 1.0 - diamond / 0.8
            return mix((0.75, 0.55, 0.18), bright, t * (0.85 + 0.15 * w)), 1.0
        if bead < 0.35:
            return mix(bright, (0.7, 0.5, 0.15), bead / 0.35), 1.0
        return mix((0.30, 0.18, 0.05), dark, 0.6 + 0.4 * w), 1.0

    return Image(128, 64).fill(shade)


def marble_texture():
    """White marble with grey veins."""
    turbulence = [ValueNoise(51, 4), ValueNoise(52, 8), ValueNoise(53, 16), ValueNoise(54, 32)]

    def shade(u, v):
        t = fractal(turbulence, u, v)
        vein = abs(math.sin((u * 2.0 + v * 3.0 + t * 5.0) * math.pi))
        vein = vein ** 0.25
        return mix((0.55, 0.55, 0.60), (0.95, 0.94, 0.90), vein), 1.0

    return Image(128, 128).fill(shade)


def crate_texture():
    """A crate face: a frame of boards around a panel with a diagonal brace."""
    grain = [ValueNoise(61, 8), ValueNoise(62, 32)]

    def shade(u, v):
        g = fractal(grain, u * 0.5, v * 2.0)
        wood = mix((0.55, 0.38, 0.18), (0.80, 0.62, 0.34), g)
        frame = u < 0.14 or u > 0.86 or v < 0.14 or v > 0.86
        brace = abs(u - v) < 0.09
        if frame or brace:
            edge = min(abs(u - 0.14), abs(u - 0.86), abs(v - 0.14), abs(v - 0.86)) if frame else abs(u - v) - 0.09
            rim = smoothstep(0.0, 0.015, abs(edge))
            return scale(wood, 0.55 + 0.45 * rim), 1.0
        # The panel behind: narrow boards, darker.
        board = (v * 6.0) % 1.0
        seam = smoothstep(0.0, 0.06, min(board, 1.0 - board))
        return scale(wood, 0.55 * (0.5 + 0.5 * seam)), 1.0

    return Image(128, 128).fill(shade)


BALL_COLOURS = [(0.92, 0.12, 0.10), (1.0, 0.85, 0.10), (0.10, 0.35, 0.90),
                (0.97, 0.97, 0.95), (0.15, 0.70, 0.25), (1.0, 0.50, 0.05)]


def ball_texture():
    """A beach ball mapped by longitude and latitude: six coloured gores
    between white caps."""

    def shade(u, v):
        if v < 0.12 or v > 0.88:
            return (0.97, 0.97, 0.95), 1.0
        return BALL_COLOURS[int(u * 6) % 6], 1.0

    return Image(128, 64).fill(shade)


def canopy_texture():
    """Carousel canopy: red and cream stripes from the tip to a gold hem."""

    def shade(u, v):
        if v > 0.84:
            return (1.0, 0.80, 0.30) if (u * 32) % 1.0 < 0.5 else (0.85, 0.60, 0.15), 1.0
        stripe = int(u * 16) % 2
        return ((0.90, 0.12, 0.12) if stripe else (0.98, 0.92, 0.78)), 1.0

    return Image(128, 64).fill(shade)


def white_texture():
    """Plain white, for parts that take their colour from the vertices."""
    return Image(8, 8).fill(lambda u, v: ((1.0, 1.0, 1.0), 1.0))


def glass_texture():
    """Stained glass in lead cames: coloured panes half see-through, a clear
    round window in the middle, lead opaque. The engine tests alpha against
    136 before blending, so panes sit above that and the window below."""
    rng = random.Random(71)
    colours = [(0.20, 0.45, 0.95), (0.95, 0.75, 0.15), (0.85, 0.15, 0.25),
               (0.25, 0.80, 0.45), (0.60, 0.30, 0.85)]
    cells = 4
    pane = [[colours[rng.randrange(len(colours))] for _ in range(cells)] for _ in range(cells * 2)]

    def shade(u, v):
        lead = (0.12, 0.11, 0.10)
        d = math.hypot(u - 0.5, (v - 0.5) * 0.5)
        if abs(d - 0.16) < 0.018:
            return lead, 1.0
        if d < 0.16:
            return (0.9, 0.95, 1.0), 0.0
        fu, fv = u * cells, v * cells * 2
        cu, cv = int(fu), int(fv)
        edge = min(fu - cu, 1 - (fu - cu), (fv - cv) * 0.5, (1 - (fv - cv)) * 0.5)
        diagonal = abs((fu - cu) - (fv - cv)) < 0.06
        if edge < 0.05 or diagonal or u < 0.03 or u > 0.97 or v < 0.015 or v > 0.985:
            return lead, 1.0
        streak = 0.85 + 0.15 * math.sin((u + v) * 40.0)
        return scale(pane[cv][cu], streak), 0.62

    return Image(128, 256, alpha=True).fill(shade)


# ---------------------------------------------------------------- lighting

KEY_LIGHT = normalise((-0.45, 0.85, -0.55))  # towards the light: front left, above
SPOT_CENTRE = (0.0, 0.0, 2.0)


def spot(p):
    """The spotlight's pool on the stage, brightest at its centre."""
    d2 = (p[0] - SPOT_CENTRE[0]) ** 2 + (p[2] - SPOT_CENTRE[2]) ** 2
    return math.exp(-d2 / (24.0 * 24.0))


# Soft contact shadows the floor takes from what stands on it: (x, z, radius, depth).
FLOOR_SHADOWS = []


def contact_shadow(p):
    light = 1.0
    for x, z, radius, depth in FLOOR_SHADOWS:
        d = math.hypot(p[0] - x, p[2] - z)
        light *= 1.0 - depth * (1.0 - smoothstep(radius * 0.55, radius * 1.15, d))
    return light


def lit(p, n, tint=(1.0, 1.0, 1.0), ambient=0.34, floor=False):
    """The baked light of a point: ambient, key light, spotlight pool."""
    diffuse = max(0.0, dot(n, KEY_LIGHT))
    pool = spot(p)
    level = ambient + 0.42 * diffuse + 0.38 * pool
    warm = (1.0, 0.93 + 0.04 * (1 - pool), 0.80 + 0.12 * (1 - pool))
    if floor:
        level *= contact_shadow(p)
    rgb = tuple(clamp01(t * w * level) for t, w in zip(tint, warm))
    return rgb


# ---------------------------------------------------------------- objects


class Obj:
    """One OBJ object being built: texture slots, vertices, triangles."""

    def __init__(self):
        self.slots = []   # (first texture name, type byte)
        self.vertices = []  # (position, normal, (u, v), (r, g, b, a))
        self.triangles = []  # (a, b, c, slot)
        self.animation = None

    def slot(self, texture):
        # Type 15: one texture, no second stage; all four wrap bits set.
        entry = (texture, 0xF0 | 15)
        if entry not in self.slots:
            self.slots.append(entry)
        return self.slots.index(entry) + 1

    def vertex(self, p, n, uv, rgb, alpha=1.0):
        self.vertices.append((p, n, uv, (rgb[0], rgb[1], rgb[2], alpha)))
        return len(self.vertices) - 1

    def triangle(self, a, b, c, slot, outward):
        """A triangle facing `outward`. The engine culls faces whose corners
        run clockwise on the screen, so in its left-handed axes a front face
        has cross(b - a, c - a) pointing away from `outward`."""
        pa, pb, pc = (self.vertices[i][0] for i in (a, b, c))
        if dot(cross(sub(pb, pa), sub(pc, pa)), outward) > 0:
            b, c = c, b
        self.triangles.append((a, b, c, slot))

    def quad(self, a, b, c, d, slot, outward):
        self.triangle(a, b, c, slot, outward)
        self.triangle(a, c, d, slot, outward)

    def write(self, path):
        """Version 250: slot tables with opacity, vertex arrays with alpha,
        triangles, no helpers, then the chunk list (animations, if any)."""
        # Meshes are runs of one slot: keep each slot's triangles together.
        triangles = sorted(self.triangles, key=lambda t: t[3])
        out = bytearray()
        out += struct.pack("<i", -1) + b"OBJ0250"
        out += struct.pack("<i", len(self.slots))
        for name, _ in self.slots:
            out += name30(name)
        for _ in self.slots:
            out += name30("")
        for _, type_byte in self.slots:
            out += struct.pack("<B", type_byte)
        for _ in self.slots:
            out += struct.pack("<f", 0.0)  # material parameter
        for _ in self.slots:
            out += struct.pack("<f", 1.0)  # opacity
        out += struct.pack("<ii", len(self.vertices), len(triangles))
        v = self.vertices

        def floats(values):
            return struct.pack("<%df" % len(values), *values)

        # Positions and normals Z-up, V stored flipped.
        out += floats([p[0] for p, _, _, _ in v])
        out += floats([p[2] for p, _, _, _ in v])
        out += floats([p[1] for p, _, _, _ in v])
        out += floats([uv[0] for _, _, uv, _ in v])
        out += floats([1.0 - uv[1] for _, _, uv, _ in v])
        out += floats([uv[0] for _, _, uv, _ in v])
        out += floats([1.0 - uv[1] for _, _, uv, _ in v])
        out += floats([c[3] for _, _, _, c in v])
        out += floats([c[0] for _, _, _, c in v])
        out += floats([c[1] for _, _, _, c in v])
        out += floats([c[2] for _, _, _, c in v])
        out += floats([n[0] for _, n, _, _ in v])
        out += floats([n[2] for _, n, _, _ in v])
        out += floats([n[1] for _, n, _, _ in v])
        for a, b, c, _ in triangles:
            out += struct.pack("<iii", a, b, c)
        for _, _, _, slot in triangles:
            out += struct.pack("<i", slot)
        out += struct.pack("<i", 0)  # helpers
        if self.animation:
            out += struct.pack("<Hi", 3, 0) + self.animation.chunk() + struct.pack("<H", 0)
        out += struct.pack("<Hi", 0, 0)  # end of the chunk list
        with open(path, "wb") as f:
            f.write(bytes(out))


def name30(name):
    data = name.encode("ascii")
    assert len(data) < 30, name
    return data + b"\0" * (30 - len(data))


class Animation:
    """Key frames: time in ticks, then rotation x, y, z (as ZEP_matrix4x4
    takes them), scale x, y, z, translation x, y, z, in engine axes.

    The rate is chosen so that the viewer's PlayAnim(world, 5.0) plays one
    tick per millisecond: 32 x 0.00625 x 5 = 1."""

    RATE = 32.0

    def __init__(self, name):
        self.name = name
        self.keys = []

    def key(self, time, rotate=(0.0, 0.0, 0.0), scale_by=(1.0, 1.0, 1.0), move=(0.0, 0.0, 0.0)):
        self.keys.append((float(time),) + tuple(rotate) + tuple(scale_by) + tuple(move))
        return self

    def chunk(self):
        assert 2 <= len(self.keys) <= 16
        out = struct.pack("<i", 1)  # one animation
        out += struct.pack("<i", 1) + name30(self.name) + struct.pack("<if", len(self.keys), self.RATE)
        for k in self.keys:
            out += struct.pack("<10f", *k)
        return out


# ---- shapes


def box(obj, slot, centre, size, tint=(1, 1, 1), uv_scale=None, ambient=0.34, skip=()):
    """An axis-aligned box, each face with the whole texture (or tiled by
    uv_scale units per repeat)."""
    hx, hy, hz = (s / 2.0 for s in size)
    faces = {
        "+x": ((1, 0, 0), (0, 0, 1), (0, 1, 0)),
        "-x": ((-1, 0, 0), (0, 0, -1), (0, 1, 0)),
        "+y": ((0, 1, 0), (1, 0, 0), (0, 0, 1)),
        "-y": ((0, -1, 0), (1, 0, 0), (0, 0, -1)),
        "+z": ((0, 0, 1), (-1, 0, 0), (0, 1, 0)),
        "-z": ((0, 0, -1), (1, 0, 0), (0, 1, 0)),
    }
    half = (hx, hy, hz)
    for name, (n, right, up) in faces.items():
        if name in skip:
            continue
        extent_r = abs(dot(right, half))
        extent_u = abs(dot(up, half))
        centre_face = add(centre, tuple(n[i] * half[i] for i in range(3)))
        corners = []
        for su, sv in ((-1, -1), (1, -1), (1, 1), (-1, 1)):
            p = add(centre_face, add(scale(right, su * extent_r), scale(up, sv * extent_u)))
            if uv_scale:
                uv = (dot(p, right) / uv_scale, 1.0 - dot(p, up) / uv_scale)
            else:
                uv = ((su + 1) / 2.0, (1 - sv) / 2.0)
            corners.append(obj.vertex(p, n, uv, lit(p, n, tint, ambient)))
        obj.quad(*corners, slot, n)


def cylinder(obj, slot, centre, radius, height, segments, tint=(1, 1, 1), u_repeat=1.0, v_range=(0.0, 1.0),
             cap_top=True, cap_bottom=False, ambient=0.34, cap_slot=None, cap_tint=None):
    """An upright cylinder standing on `centre`, texture wrapped around it."""
    cx, cy, cz = centre
    ring = []
    for i in range(segments + 1):
        a = 2 * math.pi * i / segments
        n = (math.cos(a), 0.0, math.sin(a))
        bottom = (cx + radius * n[0], cy, cz + radius * n[2])
        top = (bottom[0], cy + height, bottom[2])
        u = u_repeat * i / segments
        ring.append((obj.vertex(bottom, n, (u, v_range[1]), lit(bottom, n, tint, ambient)),
                     obj.vertex(top, n, (u, v_range[0]), lit(top, n, tint, ambient))))
    for i in range(segments):
        a0 = 2 * math.pi * (i + 0.5) / segments
        outward = (math.cos(a0), 0.0, math.sin(a0))
        obj.quad(ring[i][0], ring[i + 1][0], ring[i + 1][1], ring[i][1], slot, outward)
    for cap, y, n in ((cap_top, cy + height, (0, 1, 0)), (cap_bottom, cy, (0, -1, 0))):
        if not cap:
            continue
        s = cap_slot or slot
        t = cap_tint or tint
        middle = obj.vertex((cx, y, cz), n, (0.5, 0.5), lit((cx, y, cz), n, t, ambient))
        rim = []
        for i in range(segments + 1):
            a = 2 * math.pi * i / segments
            p = (cx + radius * math.cos(a), y, cz + radius * math.sin(a))
            rim.append(obj.vertex(p, n, (0.5 + 0.5 * math.cos(a), 0.5 + 0.5 * math.sin(a)), lit(p, n, t, ambient)))
        for i in range(segments):
            obj.triangle(middle, rim[i], rim[i + 1], s, n)


def cone(obj, slot, centre, radius, height, segments, tint=(1, 1, 1)):
    """A cone standing on `centre` with its tip up; v runs tip to rim."""
    cx, cy, cz = centre
    slope = math.atan2(radius, height)
    for i in range(segments):
        a0 = 2 * math.pi * i / segments
        a1 = 2 * math.pi * (i + 1) / segments
        am = (a0 + a1) / 2
        corners = []
        for a, u in ((a0, i / segments), (a1, (i + 1) / segments)):
            n = normalise((math.cos(a) * math.cos(slope), math.sin(slope), math.sin(a) * math.cos(slope)))
            p = (cx + radius * math.cos(a), cy, cz + radius * math.sin(a))
            corners.append(obj.vertex(p, n, (u, 1.0), lit(p, n, tint)))
        n_tip = normalise((math.cos(am) * math.cos(slope), math.sin(slope), math.sin(am) * math.cos(slope)))
        tip_p = (cx, cy + height, cz)
        tip = obj.vertex(tip_p, n_tip, ((i + 0.5) / segments, 0.0), lit(tip_p, n_tip, tint))
        obj.triangle(corners[0], corners[1], tip, slot, n_tip)
        # The underside, so the canopy is not hollow from below.
        down = (0.0, -1.0, 0.0)
        under = [obj.vertex(obj.vertices[c][0], down, (0.5, 0.95), lit(obj.vertices[c][0], down, scale(tint, 0.6)))
                 for c in corners]
        centre_v = obj.vertex((cx, cy + 0.01, cz), down, (0.5, 0.95), lit((cx, cy, cz), down, scale(tint, 0.6)))
        obj.triangle(under[0], under[1], centre_v, slot, down)


def sphere(obj, slot, centre, radius, segments, rings, tint=(1, 1, 1)):
    """A UV sphere mapped by longitude (u) and latitude (v, top to bottom)."""
    grid = []
    for j in range(rings + 1):
        theta = math.pi * j / rings
        row = []
        for i in range(segments + 1):
            phi = 2 * math.pi * i / segments
            n = (math.sin(theta) * math.cos(phi), math.cos(theta), math.sin(theta) * math.sin(phi))
            p = add(centre, scale(n, radius))
            row.append(obj.vertex(p, n, (i / segments, j / rings), lit(p, n, tint)))
        grid.append(row)
    for j in range(rings):
        for i in range(segments):
            theta = math.pi * (j + 0.5) / rings
            phi = 2 * math.pi * (i + 0.5) / segments
            outward = (math.sin(theta) * math.cos(phi), math.cos(theta), math.sin(theta) * math.sin(phi))
            a, b, c, d = grid[j][i], grid[j][i + 1], grid[j + 1][i + 1], grid[j + 1][i]
            if j > 0:
                obj.triangle(a, b, c, slot, outward)
            if j < rings - 1:
                obj.triangle(a, c, d, slot, outward)


# ---------------------------------------------------------------- the stage

STAGE_RADIUS = 38.0
STAGE_DEPTH = 5.0
CURTAIN_RADIUS = 36.0
CURTAIN_HEIGHT = 30.0
CURTAIN_ARC = (math.radians(14), math.radians(166))
PILLAR_ANGLES = (math.radians(12), math.radians(168))
PILLAR_RADIUS = 37.0

CAROUSEL_AT = (-1.0, 0.0, 8.0)
BALL_AT = (-14.0, 0.0, -18.0)
FRAME_AT = (21.0, 0.0, 3.0)
PENDULUM_PIVOT = (0.0, 15.9, 0.0)  # in the frame's own axes
GLASS_AT = (26.0, 0.0, -25.0)
CRATES = [((-24.0, 0.0, 4.0), 0.25), ((-17.0, 0.0, 8.0), -0.15), ((-21.5, 6.0, 6.0), 0.6)]
FOOTLIGHTS = [math.radians(a) for a in (236, 250, 263, 277, 290, 304)]


def floor_object():
    """The round stage: plank top with the spotlight pool and contact
    shadows baked in, and a gold-banded skirt."""
    obj = Obj()
    planks = obj.slot("Planks.tga")
    gold = obj.slot("Gold.tga")
    rings, segments = 19, 96
    up = (0.0, 1.0, 0.0)

    def top_vertex(r, a):
        p = (r * math.cos(a), 0.0, r * math.sin(a))
        return obj.vertex(p, up, (p[0] / 12.0, p[2] / 12.0), lit(p, up, floor=True))

    centre = top_vertex(0.0, 0.0)
    grid = [[top_vertex(STAGE_RADIUS * (j + 1) / rings, 2 * math.pi * i / segments) for i in range(segments + 1)]
            for j in range(rings)]
    for i in range(segments):
        obj.triangle(centre, grid[0][i], grid[0][i + 1], planks, up)
    for j in range(rings - 1):
        for i in range(segments):
            obj.quad(grid[j][i], grid[j][i + 1], grid[j + 1][i + 1], grid[j + 1][i], planks, up)
    cylinder(obj, gold, (0.0, -STAGE_DEPTH, 0.0), STAGE_RADIUS, STAGE_DEPTH, segments, tint=(0.95, 0.85, 0.8),
             u_repeat=24.0, cap_top=False)
    return obj


def backdrop_object():
    """The curved curtain in deep folds, lit from the front and darker
    towards the top, under a gold pelmet."""
    obj = Obj()
    velvet = obj.slot("Velvet.tga")
    gold = obj.slot("Gold.tga")
    columns, rows, folds = 240, 8, 26
    a0, a1 = CURTAIN_ARC
    grid = []
    for i in range(columns + 1):
        t = i / columns
        a = a0 + (a1 - a0) * t
        wave = math.sin(t * folds * 2 * math.pi)
        slope = math.cos(t * folds * 2 * math.pi) * folds * 2 * math.pi / (a1 - a0)
        r = CURTAIN_RADIUS + 1.3 * wave
        radial = (math.cos(a), 0.0, math.sin(a))
        along = (-math.sin(a), 0.0, math.cos(a))
        # The curtain faces the stage (inwards); folds tilt that normal.
        inward = scale(radial, -1.0)
        n = normalise(add(inward, scale(along, 1.3 * slope / CURTAIN_RADIUS)))
        column = []
        for j in range(rows + 1):
            y = CURTAIN_HEIGHT * j / rows
            p = (r * radial[0], y, r * radial[2])
            height_fade = 1.0 - 0.35 * (y / CURTAIN_HEIGHT)
            fold_light = 0.75 + 0.25 * wave
            tint = (height_fade * fold_light,) * 3
            column.append(obj.vertex(p, n, (t * folds, 1.0 - y / 10.0), lit(p, n, tint, ambient=0.3)))
        grid.append(column)
    for i in range(columns):
        t = (i + 0.5) / columns
        a = a0 + (a1 - a0) * t
        inward = (-math.cos(a), 0.0, -math.sin(a))
        for j in range(rows):
            obj.quad(grid[i][j], grid[i + 1][j], grid[i + 1][j + 1], grid[i][j + 1], velvet, inward)
    # The pelmet: a gold band in front of the curtain's top.
    band = []
    pelmet_segments = 64
    for i in range(pelmet_segments + 1):
        t = i / pelmet_segments
        a = a0 - 0.04 + (a1 - a0 + 0.08) * t
        r = CURTAIN_RADIUS - 2.0
        n = (-math.cos(a), 0.0, -math.sin(a))
        low = (r * math.cos(a), CURTAIN_HEIGHT - 4.0, r * math.sin(a))
        high = (low[0], CURTAIN_HEIGHT + 1.0, low[2])
        u = t * 18.0
        band.append((obj.vertex(low, n, (u, 1.0), lit(low, n, (1, 1, 1), ambient=0.45)),
                     obj.vertex(high, n, (u, 0.0), lit(high, n, (1, 1, 1), ambient=0.45))))
    for i in range(pelmet_segments):
        t = (i + 0.5) / pelmet_segments
        a = a0 - 0.04 + (a1 - a0 + 0.08) * t
        n = (-math.cos(a), 0.0, -math.sin(a))
        obj.quad(band[i][0], band[i + 1][0], band[i + 1][1], band[i][1], gold, n)
    return obj


def pillar_object():
    """A marble column on a gold plinth under a gold capital."""
    obj = Obj()
    marble = obj.slot("Marble.tga")
    gold = obj.slot("Gold.tga")
    box(obj, gold, (0.0, 1.0, 0.0), (5.0, 2.0, 5.0), tint=(0.9, 0.9, 0.9), skip=("-y",))
    cylinder(obj, marble, (0.0, 2.0, 0.0), 1.9, 28.0, 20, u_repeat=2.0, v_range=(0.0, 3.0), cap_top=False)
    box(obj, gold, (0.0, 31.0, 0.0), (5.0, 2.0, 5.0), skip=())
    sphere(obj, gold, (0.0, 33.2, 0.0), 1.4, 12, 8, tint=(1.0, 0.95, 0.8))
    return obj


def crate_object():
    obj = Obj()
    box(obj, obj.slot("Crate.tga"), (0.0, 3.0, 0.0), (6.0, 6.0, 6.0), skip=("-y",))
    return obj


def footlight_object():
    """A dark hood with a glowing lamp facing the stage."""
    obj = Obj()
    white = obj.slot("White.tga")
    box(obj, white, (0.0, 0.6, 0.0), (2.6, 1.2, 1.4), tint=(0.25, 0.24, 0.26), skip=("-y", "+z", "-z"))
    # The lamp is a face of its own so it can glow whatever the light.
    n = (0.0, 0.0, 1.0)
    corners = [obj.vertex(p, n, (0.5, 0.5), (1.0, 0.95, 0.7))
               for p in ((-1.1, 0.15, 0.71), (1.1, 0.15, 0.71), (1.1, 1.05, 0.71), (-1.1, 1.05, 0.71))]
    obj.quad(*corners, white, n)
    back = (0.0, 0.0, -1.0)
    glow = [obj.vertex(p, back, (0.5, 0.5), (1.0, 0.9, 0.55))
            for p in ((-1.1, 0.15, -0.71), (1.1, 0.15, -0.71), (1.1, 1.05, -0.71), (-1.1, 1.05, -0.71))]
    obj.quad(*glow, white, back)
    return obj


def frame_object():
    """The pendulum's gold gallows: two posts and a beam."""
    obj = Obj()
    gold = obj.slot("Gold.tga")
    for x in (-5.0, 5.0):
        box(obj, gold, (x, 8.0, 0.0), (1.2, 16.0, 1.2), tint=(0.95, 0.9, 0.85), uv_scale=4.0)
        box(obj, gold, (x, 0.4, 0.0), (3.0, 0.8, 3.0), tint=(0.9, 0.85, 0.8))
    box(obj, gold, (0.0, 16.5, 0.0), (12.4, 1.2, 1.6), uv_scale=4.0)
    return obj


def carousel_object():
    """A small carousel: plinth, pole, striped canopy and six seats on rods,
    each seat its own colour so every turn looks different. It turns about
    its pole: a loop of four keys, once round in six seconds."""
    obj = Obj()
    gold = obj.slot("Gold.tga")
    white = obj.slot("White.tga")
    canopy = obj.slot("Canopy.tga")
    cylinder(obj, gold, (0.0, 0.0, 0.0), 8.0, 1.6, 48, u_repeat=8.0, cap_slot=white, cap_tint=(0.75, 0.15, 0.15))
    cylinder(obj, white, (0.0, 1.6, 0.0), 0.6, 13.0, 12, tint=(1.0, 0.85, 0.4))
    cone(obj, canopy, (0.0, 14.0, 0.0), 9.0, 5.5, 32)
    seat_colours = [(0.95, 0.2, 0.2), (1.0, 0.8, 0.15), (0.2, 0.45, 0.95), (0.3, 0.85, 0.4),
                    (0.85, 0.35, 0.9), (1.0, 0.55, 0.1)]
    for k, colour in enumerate(seat_colours):
        a = 2 * math.pi * k / len(seat_colours)
        x, z = 6.0 * math.cos(a), 6.0 * math.sin(a)
        cylinder(obj, white, (x, 1.6, z), 0.18, 12.4, 6, tint=(1.0, 0.9, 0.6), cap_top=False)
        height = 4.0 + 2.0 * (k % 2)
        box(obj, white, (x, height, z), (2.6, 1.6, 1.6), tint=colour)
        box(obj, white, (x + 0.9 * math.cos(a + 1.57), height + 1.3, z + 0.9 * math.sin(a + 1.57)),
            (1.0, 1.4, 1.0), tint=colour)
    anim = Animation("turn")
    for k in range(4):
        anim.key(2000 * k, rotate=(0.0, 2 * math.pi * k / 3, 0.0))
    obj.animation = anim
    return obj


def ball_object():
    """A beach ball resting on its lowest point, bouncing in a loop: it
    squashes on the floor, stretches on the way up and turns a third of the
    way round per bounce (its six gores make that seamless)."""
    obj = Obj()
    sphere(obj, obj.slot("Ball.tga"), (0.0, 3.5, 0.0), 3.5, 24, 16)
    third = 2 * math.pi / 3
    squash, stretch, round_ = (1.2, 0.78, 1.2), (0.92, 1.12, 0.92), (1.0, 1.0, 1.0)
    anim = Animation("bounce")
    for time, height, shape, turn in ((0, 0.0, squash, 0.0), (130, 2.5, stretch, 0.1), (420, 10.5, round_, 0.4),
                                      (580, 12.0, round_, 0.5), (740, 10.5, round_, 0.6),
                                      (1030, 2.5, stretch, 0.9), (1160, 0.0, squash, 1.0)):
        anim.key(time, rotate=(0.0, turn * third, 0.0), scale_by=shape, move=(0.0, height, 0.0))
    obj.animation = anim
    return obj


def pendulum_object():
    """A rod and a gold bob hanging from the object's origin, which is the
    pivot; one swing of five keys, easing at both ends."""
    obj = Obj()
    white = obj.slot("White.tga")
    gold = obj.slot("Gold.tga")
    box(obj, white, (0.0, -5.5, 0.0), (0.35, 11.0, 0.35), tint=(0.6, 0.55, 0.5))
    # The bob: a short gold cylinder facing the viewer.
    segments = 24
    radius, thick, y = 2.4, 0.8, -12.0
    for side in (-1.0, 1.0):
        n = (0.0, 0.0, side)
        centre = obj.vertex((0.0, y, side * thick / 2), n, (0.5, 0.5), lit((0.0, y, 0.0), n, (1, 1, 1), ambient=0.5))
        rim = []
        for i in range(segments + 1):
            a = 2 * math.pi * i / segments
            p = (radius * math.cos(a), y + radius * math.sin(a), side * thick / 2)
            rim.append(obj.vertex(p, n, (0.5 + 0.45 * math.cos(a), 0.5 + 0.45 * math.sin(a)),
                                  lit(p, n, (1, 1, 1), ambient=0.5)))
        for i in range(segments):
            obj.triangle(centre, rim[i], rim[i + 1], gold, n)
    edge = []
    for i in range(segments + 1):
        a = 2 * math.pi * i / segments
        n = (math.cos(a), math.sin(a), 0.0)
        front = (radius * math.cos(a), y + radius * math.sin(a), -thick / 2)
        back = (front[0], front[1], thick / 2)
        edge.append((obj.vertex(front, n, (i / segments * 4, 0.1), lit(front, n)),
                     obj.vertex(back, n, (i / segments * 4, 0.9), lit(back, n))))
    for i in range(segments):
        a = 2 * math.pi * (i + 0.5) / segments
        obj.quad(edge[i][0], edge[i + 1][0], edge[i + 1][1], edge[i][1], gold, (math.cos(a), math.sin(a), 0.0))
    # One swing from left to right; the scene file makes it oscillate, so
    # the engine plays it back again from right to left.
    anim = Animation("swing")
    for time, angle in ((0, -0.6), (400, -0.45), (1000, 0.0), (1600, 0.45), (2000, 0.6)):
        anim.key(time, rotate=(0.0, 0.0, angle))
    obj.animation = anim
    return obj


def glass_object():
    """A folding screen of three stained-glass leaves in a zigzag. Its name
    starts with A_, so the engine draws it double-sided and, in the scene
    file, after everything opaque."""
    obj = Obj()
    glass = obj.slot("A_Glass.tga")
    leaves = [(-6.0, 0.0), (0.0, -2.5), (6.0, 0.0)]
    height = 13.0
    for k in range(len(leaves) - 1):
        (x0, z0), (x1, z1) = leaves[k], leaves[k + 1]
        d = normalise((x1 - x0, 0.0, z1 - z0))
        n = (d[2], 0.0, -d[0])
        if n[2] > 0:
            n = scale(n, -1.0)
        corners = []
        for (x, z, u), y in (((x0, z0, 0.0), 0.0), ((x1, z1, 1.0), 0.0), ((x1, z1, 1.0), height),
                             ((x0, z0, 0.0), height)):
            p = (x, y, z)
            corners.append(obj.vertex(p, n, (u, 1.0 - y / height), lit(p, n, (1, 1, 1), ambient=0.7)))
        obj.quad(*corners, glass, n)
    return obj


# ---------------------------------------------------------------- scene files

# The whole stage is turned a little to the left and tilted towards the
# viewer, then lowered so it sits in the middle of the viewer's picture.
STAGE = matmul(matmul(rotation(ay=0.3), rotation(ax=-0.36)), rotation(ty=-6.0, tz=-14.0))


def placed(at, turn=0.0):
    return rotation(ay=turn, tx=at[0], ty=at[1], tz=at[2])


def number(x):
    text = "%.5f" % x
    text = text.rstrip("0").rstrip(".")
    return "0" if text in ("-0", "") else text


def record_lines(index, name, matrix, extra=()):
    m = matrix
    lines = ["[%d]" % index, "NAME: %s" % name]
    for r in range(3):
        lines.append("ROW%d: %s" % (r, ",".join(number(m[r][c]) for c in range(3))))
    # The fourth row is written x, z, y.
    lines.append("ROW3: %s" % ",".join(number(m[3][c]) for c in (0, 2, 1)))
    lines.extend(extra)
    return lines


def write_osr(path, records):
    lines = []
    for index, record in enumerate(records):
        lines.extend(record_lines(index, *record))
        lines.append("")
    with open(path, "w", newline="\r\n") as f:
        f.write("\n".join(lines))


def check_paths(names):
    """The loader gives a record the power-up physics when characters 14 and
    15 of its path ("OBJS/" + name, upper case) are "IN"."""
    for name in names:
        path = ("OBJS/" + name).upper()
        assert path[14:16] != "IN", name


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "viewer", "objs")
    os.makedirs(out, exist_ok=True)

    textures = {
        "planks.tga": planks_texture, "velvet.tga": velvet_texture, "gold.tga": gold_texture,
        "marble.tga": marble_texture, "crate.tga": crate_texture, "ball.tga": ball_texture,
        "canopy.tga": canopy_texture, "white.tga": white_texture, "a_glass.tga": glass_texture,
    }
    for name, make in textures.items():
        make().write_tga(os.path.join(out, name))

    # Contact shadows on the floor, under what stands on it.
    FLOOR_SHADOWS.extend([
        (CAROUSEL_AT[0], CAROUSEL_AT[2], 10.0, 0.55),
        (BALL_AT[0], BALL_AT[2], 4.2, 0.6),
        (FRAME_AT[0] - 5.0, FRAME_AT[2], 2.4, 0.6),
        (FRAME_AT[0] + 5.0, FRAME_AT[2], 2.4, 0.6),
        (GLASS_AT[0], GLASS_AT[2] - 0.6, 8.0, 0.25),
    ] + [(at[0], at[2], 4.6, 0.55) for at, _ in CRATES if at[1] == 0.0]
      + [(PILLAR_RADIUS * math.cos(a), PILLAR_RADIUS * math.sin(a), 3.8, 0.5) for a in PILLAR_ANGLES])

    objects = {
        "floor.obj": floor_object, "backdrop.obj": backdrop_object, "pillar.obj": pillar_object,
        "crate.obj": crate_object, "footlight.obj": footlight_object, "frame.obj": frame_object,
        "carousel.obj": carousel_object, "ball.obj": ball_object, "pendulum.obj": pendulum_object,
        "a_glass.obj": glass_object,
    }
    for name, make in objects.items():
        make().write(os.path.join(out, name))

    # The moving things, in a file of their own: the scene's first record
    # holds them, so that the viewer's PlayAnim on that record starts them all.
    frame = placed(FRAME_AT, 0.0)
    write_osr(os.path.join(out, "show.osr"), [
        ("Carousel.obj", placed(CAROUSEL_AT), ["ANIMTYPE: LOOP"]),
        ("Ball.obj", placed(BALL_AT)),  # the loop carries over from above
        ("Pendulum.obj", matmul(rotation(ty=PENDULUM_PIVOT[1]), frame), ["ANIMTYPE: OSCILLATE"]),
    ])
    write_osr(os.path.join(out, "props.osr"),
              [("Crate.obj", placed(at, turn)) for at, turn in CRATES]
              + [("Frame.obj", frame)]
              + [("Footlight.obj", placed((STAGE_RADIUS * 0.93 * math.cos(a), 0.0, STAGE_RADIUS * 0.93 * math.sin(a)),
                                          -(a - 1.5 * math.pi)))
                 for a in FOOTLIGHTS])

    pillars = [("Pillar.obj", matmul(placed((PILLAR_RADIUS * math.cos(a), 0.0, PILLAR_RADIUS * math.sin(a))), STAGE))
               for a in PILLAR_ANGLES]
    # The glass screen comes early in the file; the loader moves it behind
    # every opaque record.
    write_osr(os.path.join(out, "stage.osr"), [
        ("Show.osr", STAGE),
        ("Floor.obj", STAGE),
        ("A_Glass.obj", matmul(placed(GLASS_AT, 0.6), STAGE)),
        ("Backdrop.obj", STAGE),
        ("Props.osr", STAGE),
    ] + pillars)

    check_paths(list(objects) + ["stage.osr", "show.osr", "props.osr"])


if __name__ == "__main__":
    main()
