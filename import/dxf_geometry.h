// The geometry of DXF entities as the import needs it: the object coordinate system of an
// extrusion direction (the arbitrary-axis rule), affine maps from an entity's plane to the
// world's XY plane, polylines with bulges, and splines flattened into lines.
#pragma once

#include <cstddef>
#include <vector>

struct Vec3 {
  double x = 0, y = 0, z = 0;
};

// A 3-D affine map: world = m * (x, y, z, 1).
struct Affine3 {
  double m[3][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}};
};

Vec3 apply_affine(const Affine3& a, const Vec3& p);
Affine3 compose_affine(const Affine3& outer, const Affine3& inner);  // outer after inner
Affine3 translation(double x, double y, double z);
Affine3 rotation_z(double radians);
Affine3 scaling(double sx, double sy, double sz);
// The map from the object coordinate system of the extrusion direction to world coordinates;
// the identity for (0, 0, 1). A zero direction counts as (0, 0, 1).
Affine3 ocs_to_world(const Vec3& extrusion);

// A 2-D affine map: x' = a x + b y + e, y' = c x + d y + f.
struct Affine2 {
  double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;
};
// The map of the plane z = elevation of a 3-D map's input onto the world's XY plane.
Affine2 plane_to_xy(const Affine3& map, double elevation);
void apply_affine2(const Affine2& a, double x, double y, double* ox, double* oy);
// True when the map keeps circles circles: *scale its factor, *mirrored when it turns them over.
bool is_similarity(const Affine2& a, double* scale, bool* mirrored);

struct BulgeVertex {
  double x = 0, y = 0;
  double bulge = 0;  // of the segment leaving the vertex: tan(included angle / 4), > 0 CCW
};
struct BulgePath {
  std::vector<BulgeVertex> vertices;
  bool closed = false;     // a segment from the last vertex back to the first
  bool too_large = false;  // flattening it would give more points than an item may hold
};
// Flattened paths are given up beyond this many points.
constexpr size_t MAX_FLATTENED_POINTS = 9000000;

// Points of the arc with the bulge from p0 to p1 (p1 included, p0 not), within tol of the arc.
void flatten_bulge(double x0, double y0, double x1, double y1, double bulge, double tol,
                   std::vector<double>* xs, std::vector<double>* ys);
// The path mapped into the world's XY plane: bulges kept (turned over by a mirror) under a
// similarity, else every arc flattened into points within tol.
BulgePath map_bulge_path(const BulgePath& path, const Affine2& map, double tol);

// An arc of the plane: centre, radius, counter-clockwise from a0 to a1 (radians).
struct PlaneArc {
  double cx = 0, cy = 0, r = 0, a0 = 0, a1 = 0;
};
// The arc under a similarity: its image, still counter-clockwise.
PlaneArc map_arc(const PlaneArc& arc, const Affine2& map);
// Counter-clockwise sweep from a0 to a1 in (0, 2pi]; a full turn when they meet.
double ccw_sweep(double a0, double a1);
// Points of the arc (start included) within tol, mapped by map.
void flatten_arc(const PlaneArc& arc, const Affine2& map, double tol, std::vector<double>* xs,
                 std::vector<double>* ys);

// A NURBS curve of the SPLINE entity.
struct SplineCurve {
  int degree = 3;
  std::vector<double> knots;
  std::vector<Vec3> control;
  std::vector<double> weights;  // empty or one per control point
};
// False when the curve is not well formed (too few control points, a knot count other than
// controls + degree + 1, knots going back, or weights not positive).
bool spline_is_valid(const SplineCurve& curve);
// Points along the curve, ends included, within tol of it (x, y of the world).
void flatten_spline(const SplineCurve& curve, double tol, std::vector<double>* xs,
                    std::vector<double>* ys);
