#!/usr/bin/env python3
# Writes the two demo scenes (Verdmoor over the terrain, Nature1 by the pond):
# scene, material and mesh files in the exporter's text layout, same bytes on every run.
"""Usage: scenegen.py [repo root]   (default: two folders above this script)"""

import math
import os
import struct
import sys
import zlib

# ---------------------------------------------------------------- small maths

def add(a, b): return (a[0] + b[0], a[1] + b[1], a[2] + b[2])
def sub(a, b): return (a[0] - b[0], a[1] - b[1], a[2] - b[2])
def mul(a, s): return (a[0] * s, a[1] * s, a[2] * s)
def dot(a, b): return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]
def cross(a, b): return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])
def length(a): return math.sqrt(dot(a, a))


def norm(a):
    n = length(a)
    return (0.0, 1.0, 0.0) if n < 1e-12 else mul(a, 1.0 / n)


def rot_y(p, a):
    c, s = math.cos(a), math.sin(a)
    return (c * p[0] + s * p[2], p[1], -s * p[0] + c * p[2])


def quat_y(a):
    # (qx, qy, qz, qw) of a turn by a about +y
    return (0.0, math.sin(a / 2), 0.0, math.cos(a / 2))


def quat_from_frame(right, up, back):
    # Rotation whose columns are right, up and back (the camera looks down -back).
    m00, m10, m20 = right
    m01, m11, m21 = up
    m02, m12, m22 = back
    tr = m00 + m11 + m22
    if tr > 0:
        s = math.sqrt(tr + 1.0) * 2
        w, x, y, z = 0.25 * s, (m21 - m12) / s, (m02 - m20) / s, (m10 - m01) / s
    elif m00 > m11 and m00 > m22:
        s = math.sqrt(1.0 + m00 - m11 - m22) * 2
        w, x, y, z = (m21 - m12) / s, 0.25 * s, (m01 + m10) / s, (m02 + m20) / s
    elif m11 > m22:
        s = math.sqrt(1.0 + m11 - m00 - m22) * 2
        w, x, y, z = (m02 - m20) / s, (m01 + m10) / s, 0.25 * s, (m12 + m21) / s
    else:
        s = math.sqrt(1.0 + m22 - m00 - m11) * 2
        w, x, y, z = (m10 - m01) / s, (m02 + m20) / s, (m12 + m21) / s, 0.25 * s
    return (x, y, z, w)


def look_quat(eye, target):
    d = norm(sub(target, eye))
    right = norm(cross(d, (0.0, 1.0, 0.0)))
    up = cross(right, d)
    return quat_from_frame(right, up, mul(d, -1.0))


def smoothstep(e0, e1, x):
    t = min(max((x - e0) / (e1 - e0), 0.0), 1.0)
    return t * t * (3 - 2 * t)


# Hash-based value noise: no random module, so the bytes never depend on Python's version.
def hash3(ix, iy, iz, seed):
    h = (ix * 374761393 + iy * 668265263 + iz * 2147483647 + seed * 144665) & 0xFFFFFFFF
    h = ((h ^ (h >> 13)) * 1274126177) & 0xFFFFFFFF
    h ^= h >> 16
    return (h & 0xFFFFFF) / float(0xFFFFFF)


def noise3(p, seed):
    x, y, z = p
    ix, iy, iz = math.floor(x), math.floor(y), math.floor(z)
    fx, fy, fz = x - ix, y - iy, z - iz
    ux, uy, uz = fx * fx * (3 - 2 * fx), fy * fy * (3 - 2 * fy), fz * fz * (3 - 2 * fz)
    v = 0.0
    for dx in (0, 1):
        for dy in (0, 1):
            for dz in (0, 1):
                w = (ux if dx else 1 - ux) * (uy if dy else 1 - uy) * (uz if dz else 1 - uz)
                v += w * hash3(ix + dx, iy + dy, iz + dz, seed)
    return v * 2.0 - 1.0


def fbm3(p, seed, octaves=3):
    v, a, f = 0.0, 0.5, 1.0
    for o in range(octaves):
        v += a * noise3(mul(p, f), seed + o)
        a *= 0.5
        f *= 2.03
    return v


# ---------------------------------------------------------------- meshes

class Mesh:
    def __init__(self):
        self.pos, self.nor, self.uv, self.faces = [], [], [], []

    def vertex(self, p, n, uv):
        self.pos.append(p)
        self.nor.append(n)
        self.uv.append(uv)
        return len(self.pos) - 1

    def tri(self, a, b, c):
        self.faces.append((a, b, c))

    def merge(self, other, offset=(0.0, 0.0, 0.0), turn=0.0):
        base = len(self.pos)
        for p, n, uv in zip(other.pos, other.nor, other.uv):
            self.vertex(add(rot_y(p, turn), offset), rot_y(n, turn), uv)
        for a, b, c in other.faces:
            self.tri(a + base, b + base, c + base)
        return self

    def smooth_normals(self):
        # Area-weighted face normals summed over vertices at the same place (seams included).
        key = lambda p: (round(p[0], 4), round(p[1], 4), round(p[2], 4))
        acc = {}
        for a, b, c in self.faces:
            fn = cross(sub(self.pos[b], self.pos[a]), sub(self.pos[c], self.pos[a]))
            for i in (a, b, c):
                k = key(self.pos[i])
                acc[k] = add(acc.get(k, (0.0, 0.0, 0.0)), fn)
        self.nor = [norm(acc.get(key(p), (0.0, 1.0, 0.0))) for p in self.pos]
        return self

    def check_winding(self, name):
        # Front faces are counter-clockwise: every face must agree with its vertex normals.
        bad = 0
        for a, b, c in self.faces:
            fn = cross(sub(self.pos[b], self.pos[a]), sub(self.pos[c], self.pos[a]))
            if length(fn) < 1e-9:
                continue
            if dot(fn, add(add(self.nor[a], self.nor[b]), self.nor[c])) <= 0:
                bad += 1
        if bad:
            raise SystemExit("scenegen: %s has %d faces wound against their normals" % (name, bad))


def grid(nx, nz, sx, sz, height):
    """A height field over [-sx/2, sx/2] x [-sz/2, sz/2], facing +y; the texture spans it once."""
    m = Mesh()
    for i in range(nx + 1):
        for j in range(nz + 1):
            x = -sx / 2 + sx * i / nx
            z = -sz / 2 + sz * j / nz
            m.vertex((x, height(x, z), z), (0.0, 1.0, 0.0), (i / float(nx), j / float(nz)))
    for i in range(nx):
        for j in range(nz):
            a = i * (nz + 1) + j
            b, c, d = a + nz + 1, a + 1, a + nz + 2
            # (a) at (x, z), (b) x+1, (c) z+1: a, c, b winds counter-clockwise seen from +y
            m.tri(a, c, b)
            m.tri(b, c, d)
    return m


def blob(radius, scale, seed, rough, rings=9, segs=14, flat_bottom=None):
    """A sphere pushed about by noise: rocks, stones and foliage."""
    m = Mesh()
    for r in range(rings + 1):
        th = math.pi * r / rings
        for s in range(segs + 1):
            ph = 2 * math.pi * s / segs
            d = (math.sin(th) * math.cos(ph), math.cos(th), math.sin(th) * math.sin(ph))
            k = 1.0 + rough * fbm3(mul(d, 1.7), seed)
            p = (d[0] * radius * scale[0] * k, d[1] * radius * scale[1] * k, d[2] * radius * scale[2] * k)
            if flat_bottom is not None and p[1] < flat_bottom:
                p = (p[0], flat_bottom, p[2])
            m.vertex(p, d, (s / float(segs), r / float(rings)))
    for r in range(rings):
        for s in range(segs):
            a = r * (segs + 1) + s
            b, c, d = a + segs + 1, a + 1, a + segs + 2
            # rows go from the top down, columns round towards +z from +x: a, c, b faces out
            if r != 0:
                m.tri(a, c, b)
            if r != rings - 1:
                m.tri(c, d, b)
    return m.smooth_normals()


def tube(path, radii, segs, seed=0, wobble=0.0, cap=True):
    """A tube along a list of points (trunks, posts, the camera's lens)."""
    m = Mesh()
    n = len(path)
    for i, (c, r) in enumerate(zip(path, radii)):
        t = norm(sub(path[min(i + 1, n - 1)], path[max(i - 1, 0)]))
        ref = (1.0, 0.0, 0.0) if abs(t[0]) < 0.9 else (0.0, 0.0, 1.0)
        u = norm(cross(ref, t))
        w = cross(t, u)
        for s in range(segs + 1):
            a = 2 * math.pi * s / segs
            d = add(mul(u, math.cos(a)), mul(w, math.sin(a)))
            k = 1.0 + wobble * noise3((math.cos(a) * 1.5, i * 0.7, math.sin(a) * 1.5), seed)
            m.vertex(add(c, mul(d, r * k)), d, (s / float(segs), i / float(n - 1)))
    for i in range(n - 1):
        for s in range(segs):
            a = i * (segs + 1) + s
            b, c2, d = a + segs + 1, a + 1, a + segs + 2
            m.tri(a, b, c2)
            m.tri(c2, b, d)
    m.smooth_normals()
    if cap:
        top = path[-1]
        t = norm(sub(path[-1], path[-2]))
        centre = m.vertex(top, t, (0.5, 0.5))
        first = (n - 1) * (segs + 1)
        ring = []
        for s in range(segs + 1):
            p = m.pos[first + s]
            ring.append(m.vertex(p, t, (0.5 + 0.5 * math.cos(2 * math.pi * s / segs),
                                        0.5 + 0.5 * math.sin(2 * math.pi * s / segs))))
        for s in range(segs):
            m.tri(centre, ring[s], ring[s + 1])
    return m


def box(sx, sy, sz, centre=(0.0, 0.0, 0.0)):
    m = Mesh()
    hx, hy, hz = sx / 2, sy / 2, sz / 2
    faces = [  # normal, u axis, v axis (u x v = normal)
        ((1, 0, 0), (0, 0, -1), (0, 1, 0)), ((-1, 0, 0), (0, 0, 1), (0, 1, 0)),
        ((0, 1, 0), (1, 0, 0), (0, 0, -1)), ((0, -1, 0), (1, 0, 0), (0, 0, 1)),
        ((0, 0, 1), (1, 0, 0), (0, 1, 0)), ((0, 0, -1), (-1, 0, 0), (0, 1, 0)),
    ]
    half = (hx, hy, hz)
    for n, u, v in faces:
        base = len(m.pos)
        for su, sv in ((-1, -1), (1, -1), (1, 1), (-1, 1)):
            p = tuple(centre[k] + n[k] * half[k] + u[k] * su * half[k] + v[k] * sv * half[k] for k in range(3))
            m.vertex(p, tuple(float(c) for c in n), ((su + 1) / 2.0, (sv + 1) / 2.0))
        m.tri(base, base + 1, base + 2)
        m.tri(base, base + 2, base + 3)
    return m


def quad(m, corners, normal, uvs):
    base = len(m.pos)
    for p, uv in zip(corners, uvs):
        m.vertex(p, normal, uv)
    m.tri(base, base + 1, base + 2)
    m.tri(base, base + 2, base + 3)


# ---------------------------------------------------------------- models

def rock(size, seed, squash=0.6):
    return blob(size, (1.0, squash, 0.85), seed, 0.35, rings=10, segs=16,
                flat_bottom=-size * squash * 0.45)


def standing_stone(height, seed):
    m = blob(1.0, (height * 0.22, height * 0.5, height * 0.12), seed, 0.18, rings=12, segs=12,
             flat_bottom=-height * 0.42)
    for i, p in enumerate(m.pos):
        m.pos[i] = (p[0], p[1] + height * 0.42, p[2])  # base on the ground
    return m


def trunk(height, radius, seed, lean=0.0):
    pts, radii = [], []
    for i in range(7):
        t = i / 6.0
        bend = lean * t * t
        pts.append((bend + 0.15 * radius * noise3((t * 3, 0, 1), seed), height * t, 0.3 * bend))
        radii.append(radius * (1.35 - 0.65 * t) * (1.4 if i == 0 else 1.0))
    pts[0] = (pts[0][0], -0.5, pts[0][2])
    return tube(pts, radii, 10, seed, 0.12, cap=True)


def crown(height, radius, seed, puffs=6):
    """Foliage: a few overlapping noisy spheres round the top of the trunk."""
    m = Mesh()
    m.merge(blob(radius, (1.0, 0.8, 1.0), seed, 0.28, rings=9, segs=14),
            (0.0, height, 0.0))
    for k in range(puffs):
        a = 2 * math.pi * (k + 0.37 * hash3(k, seed, 1, 7)) / puffs
        r = radius * (0.55 + 0.25 * hash3(k, seed, 2, 7))
        off = (math.cos(a) * radius * 0.75, height - radius * 0.25 + radius * 0.5 * hash3(k, seed, 3, 7),
               math.sin(a) * radius * 0.75)
        m.merge(blob(r, (1.0, 0.85, 1.0), seed + 11 * k + 3, 0.3, rings=8, segs=12), off)
    return m


def pine(height, radius, seed):
    """A conifer: stacked noisy cones; the trunk is its own mesh."""
    m = Mesh()
    tiers = 4
    for t in range(tiers):
        y0 = height * (0.3 + 0.17 * t)
        r = radius * (1.0 - 0.2 * t)
        h = height * 0.35
        segs = 12
        base = len(m.pos)
        for s in range(segs + 1):
            a = 2 * math.pi * s / segs
            k = 1.0 + 0.18 * noise3((math.cos(a) * 2, t, math.sin(a) * 2), seed)
            p = (math.cos(a) * r * k, y0 - 0.15 * r, math.sin(a) * r * k)
            m.vertex(p, (math.cos(a), 0.5, math.sin(a)), (s / float(segs), 0.0))
            m.vertex((0.0, y0 + h, 0.0), (math.cos(a), 0.5, math.sin(a)), (s / float(segs), 1.0))
        for s in range(segs):
            a, b = base + 2 * s, base + 2 * s + 2
            m.tri(a, a + 1, b)
        # the underside, so the tier is closed when seen from below or mirrored
        c = m.vertex((0.0, y0 + 0.1 * r, 0.0), (0.0, -1.0, 0.0), (0.5, 0.5))
        for s in range(segs):
            a, b = base + 2 * s, base + 2 * s + 2
            ua, ub = m.vertex(m.pos[a], (0.0, -1.0, 0.0), (0.0, 0.0)), m.vertex(m.pos[b], (0.0, -1.0, 0.0), (1.0, 0.0))
            m.tri(c, ua, ub)
    for i in range(len(m.pos)):
        m.nor[i] = norm(m.nor[i])
    return m


def hut_walls(w, d, h):
    m = Mesh()
    m.merge(box(w, h, d, (0.0, h / 2 - 0.5, 0.0)))
    # a door and two shutters as shallow boxes on the front (+z) and sides
    m.merge(box(1.8, 3.2, 0.3, (0.0, 1.1, d / 2 + 0.1)))
    m.merge(box(0.3, 1.4, 1.6, (w / 2 + 0.1, h * 0.55, 0.0)))
    m.merge(box(0.3, 1.4, 1.6, (-w / 2 - 0.1, h * 0.55, 0.0)))
    # corner posts
    for sx in (-1, 1):
        for sz in (-1, 1):
            m.merge(box(0.6, h + 0.3, 0.6, (sx * w / 2, h / 2 - 0.4, sz * d / 2)))
    # gable ends: triangles above the walls, front and back
    for sz in (-1, 1):
        z = sz * d / 2
        a = m.vertex((-w / 2, h - 0.5, z), (0.0, 0.0, float(sz)), (0.0, 0.0))
        b = m.vertex((w / 2, h - 0.5, z), (0.0, 0.0, float(sz)), (1.0, 0.0))
        c = m.vertex((0.0, h - 0.5 + w * 0.45, z), (0.0, 0.0, float(sz)), (0.5, 0.45))
        m.tri(a, b, c) if sz > 0 else m.tri(b, a, c)
    return m


def hut_roof(w, d, h):
    m = Mesh()
    over = 1.0
    ridge = h - 0.5 + w * 0.45 + 0.3
    eave = h - 0.5 - 0.6
    hw = w / 2 + over
    for side in (-1, 1):
        outer = (side * hw, eave, 0.0)
        top = (0.0, ridge, 0.0)
        n = norm((side * (ridge - eave), hw, 0.0))
        zs = (-d / 2 - over, d / 2 + over)
        corners = [(side * hw, eave, zs[0]), (0.0, ridge, zs[0]), (0.0, ridge, zs[1]), (side * hw, eave, zs[1])]
        uvs = [(0.0, 1.0), (0.0, 0.0), (1.0, 0.0), (1.0, 1.0)]
        if side < 0:
            corners = corners[::-1]
            uvs = uvs[::-1]
        quad(m, corners, n, uvs)
        # thin underside so the roof is not see-through from below
        under = [(p[0], p[1] - 0.25, p[2]) for p in corners[::-1]]
        quad(m, under, mul(n, -1.0), uvs[::-1])
    m.check_winding("roof")
    return m


def fence(points, height, seed):
    """Posts along a line with two rails between them."""
    m = Mesh()
    for i, p in enumerate(points):
        tilt = 0.08 * noise3((i * 1.3, 0.0, 0.0), seed)
        m.merge(tube([(p[0], p[1] - 0.8, p[2]), (p[0] + tilt, p[1] + height, p[2])], [0.28, 0.24], 7,
                     seed + i, 0.1))
    for i in range(len(points) - 1):
        a, b = points[i], points[i + 1]
        for hgt in (height * 0.4, height * 0.8):
            m.merge(tube([(a[0], a[1] + hgt, a[2]), (b[0], b[1] + hgt, b[2])], [0.12, 0.12], 6, seed, 0.0, cap=False))
    return m


def camera_model():
    """The film camera that flies the path: a body, a lens down -z, two reels."""
    m = Mesh()
    m.merge(box(1.6, 2.0, 3.0, (0.0, 0.0, 0.2)))
    m.merge(tube([(0.0, 0.0, -1.2), (0.0, 0.0, -2.2), (0.0, 0.0, -2.5)], [0.55, 0.6, 0.75], 12, 1, 0.0))
    for z in (-0.5, 1.1):
        m.merge(tube([(-0.35, 1.8, z), (0.35, 1.8, z)], [0.9, 0.9], 14, 2, 0.0))
        m.merge(tube([(0.35, 1.8, z), (-0.35, 1.8, z)], [0.9, 0.9], 14, 2, 0.0))
    return m


# ---------------------------------------------------------------- writers

def f(v):
    s = "%.5f" % v
    return "0" if s in ("0.00000", "-0.00000") else s.rstrip("0").rstrip(".")


def write_mesh(path, mesh, material):
    mesh.check_winding(os.path.basename(path))
    out = ['<mesh>', '    <sharedgeometry vertexcount="%d">' % len(mesh.pos),
           '        <vertexbuffer positions="true" normals="true" texture_coord_dimensions_0="2" texture_coords="1">']
    for p, n, uv in zip(mesh.pos, mesh.nor, mesh.uv):
        out.append('            <vertex>')
        out.append('                <position x="%s" y="%s" z="%s" />' % (f(p[0]), f(p[1]), f(p[2])))
        out.append('                <normal x="%s" y="%s" z="%s" />' % (f(n[0]), f(n[1]), f(n[2])))
        out.append('                <texcoord u="%s" v="%s" />' % (f(uv[0]), f(uv[1])))
        out.append('            </vertex>')
    out += ['        </vertexbuffer>', '    </sharedgeometry>', '    <submeshes>',
            '        <submesh material="%s" usesharedvertices="true" use32bitindexes="%s" operationtype="triangle_list">'
            % (material, "true" if len(mesh.pos) > 65535 else "false"),
            '            <faces count="%d">' % len(mesh.faces)]
    for a, b, c in mesh.faces:
        out.append('                <face v1="%d" v2="%d" v3="%d" />' % (a, b, c))
    out += ['            </faces>', '        </submesh>', '    </submeshes>', '</mesh>', '']
    write_text(path, "\n".join(out))


def write_text(path, text):
    with open(path, "w", newline="\n") as fh:
        fh.write(text)


def write_materials(path, materials):
    out = []
    for name, (texture, ambient, diffuse, specular) in materials:
        out += ['material %s' % name, '{', '\ttechnique', '\t{', '\t\tpass', '\t\t{',
                '\t\t\tambient %s' % " ".join(f(c) for c in ambient),
                '\t\t\tdiffuse %s' % " ".join(f(c) for c in diffuse),
                '\t\t\tspecular %s' % " ".join(f(c) for c in specular),
                '\t\t\ttexture_unit', '\t\t\t{', '\t\t\t\ttexture %s' % texture, '\t\t\t}',
                '\t\t}', '\t}', '}', '']
    write_text(path, "\n".join(out))


class SceneWriter:
    def __init__(self, folder):
        self.folder = folder
        self.lines = []
        self.meshes = set()

    def node(self, name, mesh_name, material, pos, quat=(0.0, 0.0, 0.0, 1.0), keys=None):
        L = self.lines
        L.append('        <node name="%s">' % name)
        L.append('            <position x="%s" y="%s" z="%s" />' % (f(pos[0]), f(pos[1]), f(pos[2])))
        L.append('            <rotation qx="%s" qy="%s" qz="%s" qw="%s" />' % tuple(f(q) for q in quat))
        L.append('            <scale x="1" y="1" z="1" />')
        L.append('            <entity name="%s" meshFile="%s.mesh" castShadows="true" receiveShadows="true">'
                 % (name, mesh_name))
        L.append('                <subentities>')
        L.append('                    <subentity materialName="%s" index="0" />' % material)
        L.append('                </subentities>')
        L.append('            </entity>')
        if keys:
            L.append('            <animations>')
            L.append('                <animation name="%sPath" enable="true" loop="true" length="%s">'
                     % (name, f(keys[-1][0])))
            for t, p, q in keys:
                L.append('                    <keyframe time="%s">' % f(t))
                L.append('                        <translation x="%s" y="%s" z="%s" />' % (f(p[0]), f(p[1]), f(p[2])))
                L.append('                        <rotation qx="%s" qy="%s" qz="%s" qw="%s" />' % tuple(f(c) for c in q))
                L.append('                    </keyframe>')
            L.append('                </animation>')
            L.append('            </animations>')
        L.append('        </node>')

    def mesh(self, mesh_name, mesh, material):
        if mesh_name not in self.meshes:
            self.meshes.add(mesh_name)
            write_mesh(os.path.join(self.folder, mesh_name + ".mesh.xml"), mesh, material)

    def write(self, scene_name, ambient):
        text = ['<?xml version="1.0" encoding="UTF-8"?>',
                '<scene formatVersion="1.0.0" generator="scenegen">', '    <nodes>']
        text += self.lines
        text += ['    </nodes>', '    <environment>',
                 '        <colourAmbient r="%s" g="%s" b="%s" />' % tuple(f(c) for c in ambient),
                 '    </environment>', '</scene>', '']
        write_text(os.path.join(self.folder, scene_name + ".scene"), "\n".join(text))


# ---------------------------------------------------------------- terrain height

def read_png_red(path):
    """Red channel of an 8-bit, non-interlaced PNG as rows of ints (row 0 = top of the file)."""
    with open(path, "rb") as fh:
        data = fh.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise SystemExit("scenegen: %s is not a PNG" % path)
    pos, idat, width = 8, b"", 0
    while pos < len(data):
        n, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + n]
        if kind == b"IHDR":
            width, height, depth, ctype, _, _, interlace = struct.unpack(">IIBBBBB", body)
            if depth != 8 or interlace != 0 or ctype not in (0, 2, 4, 6):
                raise SystemExit("scenegen: %s: only 8-bit plain PNGs are read" % path)
            bpp = {0: 1, 2: 3, 4: 2, 6: 4}[ctype]
        elif kind == b"IDAT":
            idat += body
        pos += 12 + n
    raw = zlib.decompress(idat)
    stride = width * bpp
    rows, prev = [], bytearray(stride)
    for r in range(height):
        ftype = raw[r * (stride + 1)]
        line = bytearray(raw[r * (stride + 1) + 1:(r + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - bpp] if i >= bpp else 0
            b = prev[i]
            c = prev[i - bpp] if i >= bpp else 0
            if ftype == 1:
                line[i] = (line[i] + a) & 255
            elif ftype == 2:
                line[i] = (line[i] + b) & 255
            elif ftype == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif ftype == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else (b if pb <= pc else c))) & 255
        rows.append(line[0::bpp])
        prev = line
    return rows


class TerrainHeight:
    """The surface the engine builds: 145 x 145 vertices over 600 x 600, heights from every 7th pixel."""
    VERTS = 145
    SIZE = 600.0
    SCALE = 60.0

    def __init__(self, path):
        if not os.path.exists(path):
            # Placements follow the terrain: without its map they would all sit at 0.
            raise SystemExit("scenegen: %s is missing; build the project first (the asset generator makes it)" % path)
        rows = read_png_red(path)
        step_x = (len(rows[0]) - 1) // (self.VERTS - 1)
        step_z = (len(rows) - 1) // (self.VERTS - 1)
        self.h = [[(rows[j * step_z][i * step_x] - 128) / 128.0 * self.SCALE for j in range(self.VERTS)]
                  for i in range(self.VERTS)]

    def at(self, x, z):
        n = self.VERTS - 1
        fx = min(max((x + self.SIZE / 2) / self.SIZE, 0.0), 1.0) * n
        fz = min(max((z + self.SIZE / 2) / self.SIZE, 0.0), 1.0) * n
        i, j = min(int(fx), n - 1), min(int(fz), n - 1)
        a, b = fx - i, fz - j
        V = lambda di, dj: self.h[i + di][j + dj]
        if j % 2 == 0:
            if a + b <= 1:
                return (1 - a - b) * V(0, 0) + a * V(1, 0) + b * V(0, 1)
            return (a + b - 1) * V(1, 1) + (1 - a) * V(0, 1) + (1 - b) * V(1, 0)
        if a <= b:
            return (b - a) * V(0, 1) + a * V(1, 1) + (1 - b) * V(0, 0)
        return (a - b) * V(1, 0) + (1 - a) * V(0, 0) + b * V(1, 1)

    def lowest_around(self, x, z, r):
        return min(self.at(x + r * math.cos(a), z + r * math.sin(a)) for a in
                   [2 * math.pi * k / 8 for k in range(8)] + [0.0]) if r > 0 else self.at(x, z)

    def highest_around(self, x, z, r):
        best = self.at(x, z)
        for ring in (r / 3, 2 * r / 3, r):
            for k in range(12):
                a = 2 * math.pi * k / 12
                best = max(best, self.at(x + ring * math.cos(a), z + ring * math.sin(a)))
        return best

    def find_land(self, x, z, lo, hi, flat=3.0):
        """The spot nearest (x, z) on a spiral whose ground lies between lo and hi and is fairly flat."""
        for k in range(400):
            r = 2.0 * k ** 0.5 * 2.0
            a = k * 2.39996
            px, pz = x + r * math.cos(a), z + r * math.sin(a)
            y = self.at(px, pz)
            if lo <= y <= hi and abs(self.at(px + 4, pz) - self.at(px - 4, pz)) < flat \
                    and abs(self.at(px, pz + 4) - self.at(px, pz - 4)) < flat:
                return (px, pz)
        return (x, z)


# ---------------------------------------------------------------- the two scenes

def world_material(texture, tint=(1.0, 1.0, 1.0)):
    # The world's light is ambient only (0.4, 0.4, 0.5): a strong ambient response lights the meshes.
    return (texture, (2.1 * tint[0], 2.1 * tint[1], 1.75 * tint[2], 1.0), (1.0, 1.0, 1.0, 1.0), (0.05, 0.05, 0.05, 1.0))


def make_verdmoor(root):
    folder = os.path.join(root, "data", "scene", "world", "scene")
    os.makedirs(folder, exist_ok=True)
    ground = TerrainHeight(os.path.join(root, "data", "texture", "tHeight.png"))
    sw = SceneWriter(folder)

    # child 0: the water surface over the whole terrain
    sw.mesh("Water", grid(12, 12, 600.0, 600.0, lambda x, z: 0.0), "Water")
    sw.node("Water", "Water", "Water", (0.0, 0.0, 0.0))

    # child 1: the camera that flies a slow loop over the hills, the water and the meadows
    keys = verdmoor_path(ground)
    sw.mesh("FlyCamera", camera_model(), "CameraBody")
    sw.node("FlyCamera", "FlyCamera", "CameraBody", keys[0][1], keys[0][2], keys)

    # the hamlet: a hut with a fence, standing stones, rocks and trees by the water
    def place(name, mesh_name, material, x, z, turn=0.0, sink=0.3):
        y = ground.lowest_around(x, z, 2.0) - sink
        sw.node(name, mesh_name, material, (x, y, z), quat_y(turn))

    sw.mesh("HutWalls", hut_walls(12.0, 9.0, 6.5), "Wood")
    sw.mesh("HutRoof", hut_roof(12.0, 9.0, 6.5), "Thatch")
    hx, hz = ground.find_land(40.0, 70.0, 4.0, 20.0)
    place("HutWalls", "HutWalls", "Wood", hx, hz, 0.6)
    place("HutRoof", "HutRoof", "Thatch", hx, hz, 0.6)

    # a fence along the path to the shore
    fence_pts = []
    for k in range(7):
        fx, fz = hx - 12 + k * 4.5, hz + 14 - k * 1.2
        fence_pts.append((fx - hx, ground.at(fx, fz) - ground.lowest_around(hx + 8, hz + 10, 0), fz - hz))
    sw.mesh("Fence", fence(fence_pts, 2.6, 5), "Wood")
    sw.node("Fence", "Fence", "Wood", (hx, ground.lowest_around(hx + 8, hz + 10, 0), hz))

    # a ring of standing stones on a rise
    cx, cz = ground.find_land(-110.0, 90.0, 6.0, 30.0)
    for k in range(7):
        a = 2 * math.pi * k / 7
        h = 7.0 + 2.5 * hash3(k, 1, 2, 3)
        name = "Stone%d" % (k % 3)
        sw.mesh(name, standing_stone(7.0 + 2.0 * (k % 3), 40 + k % 3), "Stone")
        place("Standing%d" % k, name, "Stone", cx + 16 * math.cos(a), cz + 16 * math.sin(a), -a, 1.0)
        del h

    # rocks along the shores
    rock_spots = [(-60.0, -70.0), (120.0, 40.0), (-150.0, -10.0), (150.0, 160.0), (10.0, -90.0), (-30.0, 60.0)]
    for k, (x, z) in enumerate(rock_spots):
        name = "Rock%d" % (k % 3)
        sw.mesh(name, rock(4.0 + 2.0 * (k % 3), 70 + k % 3), "Rock")
        rx, rz = ground.find_land(x, z, -1.0, 12.0, 6.0)
        place("Rock%d" % k, name, "Rock", rx, rz, 0.9 * k, 0.8)

    # trees: broad leaf trees round the hut, pines on the slopes
    sw.mesh("OakTrunk", trunk(11.0, 0.9, 81, 0.8), "Bark")
    sw.mesh("OakCrown", crown(11.0, 6.0, 82), "Leaves")
    sw.mesh("PineTrunk", trunk(7.0, 0.6, 83, 0.0), "Bark")
    sw.mesh("Pine", pine(20.0, 5.0, 84), "Leaves")
    tree_spots = [(20.0, 85.0, "Oak"), (62.0, 92.0, "Oak"), (-75.0, 120.0, "Pine"), (-90.0, 140.0, "Pine"),
                  (-60.0, 150.0, "Pine"), (160.0, -60.0, "Oak"), (-170.0, 60.0, "Pine"), (100.0, -110.0, "Pine"),
                  (-20.0, -110.0, "Oak"), (180.0, 110.0, "Pine")]
    for k, (x, z, kind) in enumerate(tree_spots):
        tx, tz = ground.find_land(x, z, 3.0, 40.0, 5.0)
        if kind == "Oak":
            place("OakTrunk%d" % k, "OakTrunk", "Bark", tx, tz, 1.3 * k)
            place("OakCrown%d" % k, "OakCrown", "Leaves", tx, tz, 1.3 * k)
        else:
            place("PineTrunk%d" % k, "PineTrunk", "Bark", tx, tz, 1.3 * k)
            place("Pine%d" % k, "Pine", "Leaves", tx, tz, 1.3 * k)

    write_materials(os.path.join(folder, "Verdmoor.material"), [
        ("Water", ("water_floor.png", (1.0, 1.0, 1.0, 1.0), (1.0, 1.0, 1.0, 1.0), (0.0, 0.0, 0.0, 1.0))),
        ("CameraBody", world_material("wood.png", (0.6, 0.6, 0.6))),
        ("Wood", world_material("wood.png")),
        ("Thatch", world_material("roof.png")),
        ("Stone", world_material("stone.png", (0.8, 0.8, 0.8))),
        ("Rock", world_material("rock.png")),
        ("Bark", world_material("bark.png")),
        ("Leaves", world_material("leaves.png", (1.2, 1.2, 1.2))),
    ])
    sw.write("Verdmoor", (0.4, 0.4, 0.5))


# The flight's way points: where the camera passes (x, z), how high it keeps over the ground
# around it there, the spot (x, z) it turns to and how many degrees it looks down. It starts low
# over the northern meadow looking across the river, follows the meadow east, crosses the river
# in the east looking over the lake, comes down over the southern meadows by the hut and the
# stone ring, and crosses back in the west.
VERDMOOR_WAY = [
    ((-170.0, -190.0), 24.0, (60.0, -20.0), 6.0),
    ((-50.0, -185.0), 24.0, (110.0, 10.0), 6.0),
    ((60.0, -155.0), 24.0, (200.0, -80.0), 7.0),
    ((170.0, -120.0), 30.0, (110.0, 80.0), 5.0),
    ((225.0, -20.0), 35.0, (20.0, 90.0), 5.0),
    ((235.0, 140.0), 28.0, (40.0, 190.0), 6.0),
    ((140.0, 215.0), 24.0, (-40.0, 170.0), 7.0),
    ((20.0, 225.0), 24.0, (-140.0, 130.0), 7.0),
    ((-110.0, 210.0), 24.0, (-170.0, 20.0), 7.0),
    ((-215.0, 120.0), 24.0, (-90.0, -80.0), 6.0),
    ((-235.0, 10.0), 30.0, (-60.0, -130.0), 5.0),
    ((-220.0, -110.0), 26.0, (-60.0, -20.0), 6.0),
]


def closed_spline(points, t):
    """Catmull-Rom curve through points (tuples of any length) that closes on itself; t in [0, len)."""
    n = len(points)
    i = int(math.floor(t)) % n
    u = t - math.floor(t)
    p0, p1, p2, p3 = points[(i - 1) % n], points[i], points[(i + 1) % n], points[(i + 2) % n]
    u2, u3 = u * u, u * u * u
    return tuple(0.5 * (2 * b + (c - a) * u + (2 * a - 5 * b + 4 * c - d) * u2 + (3 * b - a - 3 * c + d) * u3)
                 for a, b, c, d in zip(p0, p1, p2, p3))


def periodic_mean(values, half):
    """Moving mean over 2 * half + 1 neighbours of a closed sequence (tuples or numbers)."""
    n = len(values)
    tuples = isinstance(values[0], tuple)
    rows = values if tuples else [(v,) for v in values]
    size = len(rows[0])
    acc = [sum(rows[d % n][c] for d in range(-half, half + 1)) for c in range(size)]
    out = []
    for k in range(n):
        out.append(tuple(a / (2 * half + 1) for a in acc))
        for c in range(size):
            acc[c] += rows[(k + half + 1) % n][c] - rows[(k - half) % n][c]
    return out if tuples else [o[0] for o in out]


def verdmoor_path(ground, seconds=120.0, rate=30):
    """A closed loop round the valley through VERDMOOR_WAY at an even pace: low over the meadows,
    never so low that a hill comes into the near plane, turning and tilting smoothly."""
    n = int(seconds * rate)
    way = [(x, z, c, tx, tz, math.radians(down)) for (x, z), c, (tx, tz), down in VERDMOOR_WAY]
    # even steps along the curve: its length from many small pieces
    fine = 64 * len(way)
    samples = [closed_spline(way, len(way) * j / fine) for j in range(fine + 1)]
    run = [0.0]
    for j in range(fine):
        run.append(run[-1] + math.hypot(samples[j + 1][0] - samples[j][0], samples[j + 1][1] - samples[j][1]))
    pts, j = [], 0
    for k in range(n):
        want = run[-1] * k / n
        while run[j + 1] < want:
            j += 1
        f = (want - run[j]) / (run[j + 1] - run[j])
        pts.append(closed_spline(way, len(way) * (j + f) / fine))
    # height: the wanted clearance over the ground below, eased along the loop, never below a
    # floor that keeps the hills nearby out of the near plane
    floor = [ground.highest_around(p[0], p[1], 25.0) + 12.0 for p in pts]
    wish = [max(ground.highest_around(p[0], p[1], 10.0), 0.0) + p[2] for p in pts]
    window = rate
    peak = [max(max(wish[(k + d) % n], floor[(k + d) % n]) for d in range(-window, window + 1, 3)) for k in range(n)]
    height = [max(h, f) for h, f in zip(periodic_mean(peak, 2 * window), floor)]
    eyes = [(p[0], y, p[1]) for p, y in zip(pts, height)]
    # view: towards the spot, tilted down, eased over a second so the turns stay gentle
    looks = []
    for p in pts:
        flat = norm((p[3] - p[0], 0.0, p[4] - p[1]))
        looks.append((flat[0] * math.cos(p[5]), -math.sin(p[5]), flat[2] * math.cos(p[5])))
    looks = [norm(d) for d in periodic_mean(looks, rate // 2)]
    return [((k + 1) / float(rate), eyes[k], look_quat(eyes[k], add(eyes[k], looks[k]))) for k in range(n)]


def nature_material(texture, ambient=1.0, specular=0.1):
    return (texture, (ambient, ambient, ambient, 1.0), (1.0, 1.0, 1.0, 1.0), (specular, specular, specular, 1.0))


WATER_N1 = 0.10062


def nature_ground(x, z):
    """A shallow pond in a meadow: below the water inside, rising gently outside, a low bank round it."""
    r = math.sqrt((x / 1.15) ** 2 + z ** 2)
    wob = 2.5 * fbm3((x / 14.0, 0.0, z / 14.0), 91)
    d = r + wob
    h = -1.6 + 2.4 * smoothstep(14.0, 24.0, d) + 1.2 * smoothstep(30.0, 70.0, d) \
        + 0.6 * fbm3((x / 9.0, 1.0, z / 9.0), 92)
    return h


def make_nature1(root):
    folder = os.path.join(root, "data", "scene", "Nature1")
    os.makedirs(folder, exist_ok=True)
    sw = SceneWriter(folder)

    # child 0: the camera circling the pond
    keys = []
    rate, seconds = 30, 80.0
    n = int(rate * seconds)
    for k in range(n):
        a = 2 * math.pi * k / n
        rr = 47.0 + 5.0 * math.sin(2 * a)
        x, z = rr * math.cos(a), rr * math.sin(a) * 0.9
        y = max(nature_ground(x, z), WATER_N1) + 6.0 + 2.5 * math.sin(3 * a + 0.7)
        target = (4.0 * math.cos(a + 1.2), 1.5, 4.0 * math.sin(a + 1.2))
        keys.append(((k + 1) / float(rate), (x, y, z), look_quat((x, y, z), target)))
    sw.mesh("FlyCamera", camera_model(), "CameraBody")
    sw.node("FlyCamera", "FlyCamera", "CameraBody", keys[0][1], keys[0][2], keys)

    # child 1: the water surface
    sw.mesh("Water", grid(8, 8, 120.0, 120.0, lambda x, z: 0.0), "Water")
    sw.node("Water", "Water", "Water", (0.0, WATER_N1, 0.0))

    # children 2 to 13: twelve shadow casters in and beside the pond
    def stand(x, z, sink):
        return (x, nature_ground(x, z) - sink, z)

    sw.mesh("Tree", crown_tree(8.0, 0.55, 3.6, 21), "Tree")
    sw.mesh("TallTree", crown_tree(11.0, 0.7, 4.4, 22), "Tree")
    sw.mesh("Rock0", rock(2.2, 31), "Rock")
    sw.mesh("Rock1", rock(3.0, 32, 0.5), "Rock")
    sw.mesh("Menhir0", standing_stone(5.5, 41), "Stone")
    sw.mesh("Menhir1", standing_stone(4.2, 42), "Stone")
    casters = [
        ("Tree0", "Tree", "Tree", 22.0, -8.0, 0.2),
        ("Tree1", "TallTree", "Tree", -20.0, -14.0, 0.2),
        ("Tree2", "Tree", "Tree", -6.0, 23.0, 0.2),
        ("Tree3", "TallTree", "Tree", 24.0, 12.0, 0.2),
        ("Tree4", "Tree", "Tree", -28.0, 9.0, 0.2),
        ("Rock0", "Rock0", "Rock", 6.0, -3.0, 0.4),
        ("Rock1", "Rock1", "Rock", -9.0, 4.0, 0.5),
        ("Rock2", "Rock0", "Rock", 15.0, 19.0, 0.3),
        ("Rock3", "Rock1", "Rock", -14.0, -20.0, 0.4),
        ("Menhir0", "Menhir0", "Stone", 0.0, 8.0, 0.3),
        ("Menhir1", "Menhir1", "Stone", 11.0, -12.0, 0.3),
        ("Menhir2", "Menhir0", "Stone", -4.0, -10.0, 0.3),
    ]
    for k, (name, mesh_name, material, x, z, sink) in enumerate(casters):
        sw.node(name, mesh_name, material, stand(x, z, sink), quat_y(0.7 * k + 0.3))

    # the ground that receives their shadows
    sw.mesh("Ground", grid(64, 64, 160.0, 160.0, nature_ground), "Ground")
    sw.node("Ground", "Ground", "Ground", (0.0, 0.0, 0.0))

    # bark round the trees' trunks: the casters carry their own trunks for shadows and mirror
    sw.mesh("TreeBark", trunk(8.0 * 0.62, 0.55 * 1.08, 21, 0.3), "Bark")
    sw.mesh("TallTreeBark", trunk(11.0 * 0.62, 0.7 * 1.08, 22, 0.3), "Bark")
    for k, (name, mesh_name, material, x, z, sink) in enumerate(casters):
        if material == "Tree":
            sw.node(name + "Bark", mesh_name + "Bark", "Bark", stand(x, z, sink), quat_y(0.7 * k + 0.3))

    write_materials(os.path.join(folder, "Nature1.material"), [
        ("CameraBody", nature_material("wood.png", 0.8)),
        ("Water", nature_material("water_floor.png", 1.0, 0.0)),
        ("Tree", nature_material("leaves.png", 1.3, 0.05)),
        ("Rock", nature_material("rock.png", 1.1)),
        ("Stone", nature_material("stone.png", 1.0)),
        ("Ground", nature_material("ground.png", 1.2, 0.02)),
        ("Bark", nature_material("bark.png", 1.2, 0.05)),
    ])
    sw.write("Nature1", (0.2, 0.2, 0.2))


def crown_tree(height, radius, crown_radius, seed):
    """A whole tree in one mesh (trunk and foliage) so that it can cast its shadow and be mirrored."""
    m = Mesh()
    m.merge(trunk(height * 0.62, radius, seed, 0.3))
    m.merge(crown(height * 0.72, crown_radius, seed + 1, 5))
    return m


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
    make_verdmoor(root)
    make_nature1(root)


if __name__ == "__main__":
    main()
