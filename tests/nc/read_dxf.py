#!/usr/bin/python3
"""Reads a DXF file with ezdxf (Debian's python3-ezdxf) and prints what it holds, one line each:
   audit ERRORS FIXES
   LINE x1 y1 z1 x2 y2 z2
   ARC cx cy cz r start end
   CIRCLE cx cy cz r
   POINT x y z
   OTHER dxftype
Every entity is on layer 0 or the line says so: LAYER name."""
import sys

import ezdxf

doc = ezdxf.readfile(sys.argv[1])
auditor = doc.audit()
print("audit", len(auditor.errors), len(auditor.fixes))
for e in doc.modelspace():
    if e.dxf.layer != "0":
        print("LAYER", e.dxf.layer)
    t = e.dxftype()
    if t == "LINE":
        s, f = e.dxf.start, e.dxf.end
        print("LINE", s.x, s.y, s.z, f.x, f.y, f.z)
    elif t == "ARC":
        c = e.dxf.center
        print("ARC", c.x, c.y, c.z, e.dxf.radius, e.dxf.start_angle, e.dxf.end_angle)
    elif t == "CIRCLE":
        c = e.dxf.center
        print("CIRCLE", c.x, c.y, c.z, e.dxf.radius)
    elif t == "POINT":
        p = e.dxf.location
        print("POINT", p.x, p.y, p.z)
    else:
        print("OTHER", t)
