"""Writes the DXF files of the import's judge test and, beside each, its geometry as ezdxf sees
it: every entity (inserts expanded through virtual_entities, MINSERT grids through
multi_insert) flattened into world XY polylines, written as JSON.

    make_dxf_judge.py FOLDER
"""
import json
import math
import sys

import ezdxf
from ezdxf import path as ezpath

FLATTENING = 0.0005


def blocks(doc, mirrored_scale):
    inner = doc.blocks.new("INNER")
    inner.add_arc((1, 0), 1, 0, 90, dxfattribs={"layer": "0"})
    inner.add_line((0, 0), (2, 0), dxfattribs={"layer": "0"})
    inner.add_circle((0, 2), 0.5, dxfattribs={"layer": "holes"})
    outer = doc.blocks.new("OUTER", base_point=(1, 1))
    outer.add_blockref("INNER", (3, 1), dxfattribs={"rotation": 15, "xscale": 1.5, "yscale": 1.5})
    outer.add_line((1, 1), (4, 4))
    outer.add_blockref("INNER", (0, 5), dxfattribs={"xscale": mirrored_scale, "yscale": 1})


def common(doc, msp):
    msp.add_line((0, 0), (10, 0), dxfattribs={"layer": "7"})
    msp.add_arc((5, 5), 3, 350, 10, dxfattribs={"layer": "cut"})
    msp.add_circle((20, 5), 2, dxfattribs={"layer": "cut"})
    msp.add_point((1, 2))
    msp.add_solid([(30, 0), (34, 0), (30, 3), (34, 3)])
    # Entities in the object coordinate system of the extrusion (0, 0, -1).
    msp.add_arc((-40, 5), 2, 20, 160, dxfattribs={"extrusion": (0, 0, -1)})
    msp.add_circle((-50, 5), 1.5, dxfattribs={"extrusion": (0, 0, -1)})
    p = msp.add_polyline2d([(0, 20), (4, 20), (4, 24), (0, 24)], dxfattribs={"closed": True})
    for v, b in zip(p.vertices, (1, 0, -0.5, 0)):
        v.dxf.bulge = b
    blocks(doc, -1)
    msp.add_blockref("OUTER", (50, 10), dxfattribs={"rotation": 30, "xscale": 2, "yscale": 2})
    msp.add_blockref("OUTER", (80, 10), dxfattribs={"rotation": -20, "xscale": -1, "yscale": 1})
    # Unequal scale: the exploder makes lines of the block's arcs.
    msp.add_blockref("INNER", (100, 0), dxfattribs={"xscale": 2, "yscale": 1})
    grid = msp.add_blockref("INNER", (120, 0), dxfattribs={"rotation": 10})
    grid.grid(size=(2, 3), spacing=(4, 5))


def r2000_only(msp):
    msp.add_lwpolyline([(0, 40, 0.4), (6, 40, 0), (6, 44, -1), (0, 44, 0)], format="xyb",
                       close=True, dxfattribs={"layer": "pockets"})
    msp.add_lwpolyline([(10, 40, 0), (14, 41, 0.3)], format="xyb",
                       dxfattribs={"extrusion": (0, 0, -1)})
    msp.add_open_spline([(20, 40), (22, 44), (26, 38), (30, 42), (32, 40)], degree=3)
    msp.add_rational_spline([(40, 40), (42, 46), (46, 40)], weights=[1, 2, 1], degree=2)


def flatten(entity):
    kind = entity.dxftype()
    if kind == "INSERT":
        out = []
        if entity.mcount > 1:
            for single in entity.multi_insert():
                out += flatten(single)
            return out
        for child in entity.virtual_entities():
            out += flatten(child)
        return out
    if kind == "POINT":
        p = entity.dxf.location
        return [[[p.x, p.y]]]
    path = ezpath.make_path(entity)
    return [[[v.x, v.y] for v in path.flattening(FLATTENING)]]


def write(folder, name, version, extra):
    doc = ezdxf.new(version)
    msp = doc.modelspace()
    common(doc, msp)
    if extra:
        r2000_only(msp)
    doc.saveas(f"{folder}/{name}.dxf")
    shapes = []
    for entity in msp:
        shapes += flatten(entity)
    with open(f"{folder}/{name}.json", "w") as f:
        json.dump(shapes, f)


if __name__ == "__main__":
    write(sys.argv[1], "r12", "R12", False)
    write(sys.argv[1], "r2000", "R2000", True)
