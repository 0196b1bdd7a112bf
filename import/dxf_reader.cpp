// The DXF reader of the import: the ENTITIES section of an ASCII DXF file becomes item records
// of ERASE.ME. LINE, ARC, CIRCLE, POINT, SOLID, POLYLINE (with bulges), LWPOLYLINE and SPLINE
// (flattened within the job tolerance) are read; ARC, CIRCLE, SOLID and the two polylines are
// placed through their object coordinate system; every other kind is named in one note.
#include <cctype>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "geometry/layers.h"
#include "import/dxf_geometry.h"
#include "import/dxf_pairs.h"
#include "import/import_run.h"

namespace {

constexpr double PI = 3.14159265358979323846;
constexpr double TWO_PI = 2.0 * PI;
constexpr double MIN_RADIUS = 1e-7;
constexpr int FIRST_NAMED_LAYER = 1;
constexpr int LAST_NAMED_LAYER = 242;

double normal_angle(double a) {
  a = std::fmod(a, TWO_PI);
  if (a < 0) a += TWO_PI;
  return a >= TWO_PI ? 0.0 : a;
}

// The links of one item being built: each record is a node and the link leaving it.
struct LinkChain {
  std::vector<LinkRecord> links;
  double x = 0, y = 0;  // the current point

  void start(double sx, double sy) {
    links.clear();
    x = sx;
    y = sy;
  }
  LinkRecord& add(double nx, double ny) {
    LinkRecord r{};
    r.point = {static_cast<float>(x), static_cast<float>(y)};
    links.push_back(r);
    x = nx;
    y = ny;
    return links.back();
  }
  void line_to(double nx, double ny, float code) {
    if (std::fabs(nx - x) < 1e-12 && std::fabs(ny - y) < 1e-12) return;
    add(nx, ny).code = code;
  }
  // A counter-clockwise arc (clockwise when reversed: it runs from a1 back to a0).
  void arc(const PlaneArc& a, bool reversed) {
    const double sweep = ccw_sweep(a.a0, a.a1);
    const double from = reversed ? a.a1 : a.a0, to = reversed ? a.a0 : a.a1;
    links.clear();
    x = a.cx + a.r * std::cos(from);
    y = a.cy + a.r * std::sin(from);
    LinkRecord& r = add(a.cx + a.r * std::cos(to), a.cy + a.r * std::sin(to));
    r.centre = {static_cast<float>(a.cx), static_cast<float>(a.cy)};
    r.code = static_cast<float>(a.r);
    r.sweep = static_cast<float>(sweep);
    r.start_angle = static_cast<float>(normal_angle(a.a0));
    if (reversed) r.link_flags |= LINK_CLOCKWISE;
  }
  // The polyline segment from the current point to (nx, ny) with a bulge.
  void bulge_to_arc(double nx, double ny, double bulge) {
    const double chord = std::hypot(nx - x, ny - y);
    if (std::fabs(bulge) >= 1e-7 && chord > 0) {
      const double theta = 4.0 * std::atan(std::fabs(bulge));
      const double r = chord / 2.0 / std::sin(theta / 2.0);
      if (r >= MIN_RADIUS) {
        const double h = r * std::cos(theta / 2.0) * (bulge > 0 ? 1 : -1);
        const double cx = (x + nx) / 2 - h * (ny - y) / chord;
        const double cy = (y + ny) / 2 + h * (nx - x) / chord;
        const double start_angle = bulge < 0 ? std::atan2(ny - cy, nx - cx) : std::atan2(y - cy, x - cx);
        LinkRecord& link = add(nx, ny);
        link.centre = {static_cast<float>(cx), static_cast<float>(cy)};
        link.code = static_cast<float>(r);
        link.sweep = static_cast<float>(theta);
        link.start_angle = static_cast<float>(normal_angle(start_angle));
        if (bulge < 0) link.link_flags |= LINK_CLOCKWISE;
        return;
      }
    }
    line_to(nx, ny, LINK_FLEXIBLE_LINE);
  }
  int write(ImportRun* run, uint8_t type) {
    if (links.empty()) return 0;
    LinkRecord closing{};
    closing.point = {static_cast<float>(x), static_cast<float>(y)};
    links.push_back(closing);
    return write_temp_links(&run->writer, links.data(), static_cast<int32_t>(links.size()) - 1, type);
  }
};

struct DxfReader {
  ImportRun* run;
  LinkChain chain;
  std::vector<double> xs, ys;
};

bool only_digits(std::string_view name, int* number) {
  while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
  if (name.empty() || name.size() > 9) return false;
  int value = 0;
  for (char c : name) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  *number = value;
  return true;
}

bool same_name(const std::string& a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

// A named DXF layer among the job's layers 1-242; a free layer takes the name. 0 when all are
// taken by other names.
uint8_t match_layer_name(ImportRun* run, std::string_view name) {
  for (int n = FIRST_NAMED_LAYER; n <= LAST_NAMED_LAYER; ++n) {
    TextLine* line = layer_line(n);
    if (line != nullptr && same_name(line->text, name)) return static_cast<uint8_t>(n);
  }
  for (int n = FIRST_NAMED_LAYER; n <= LAST_NAMED_LAYER; ++n) {
    TextLine* line = layer_line(n);
    if (line != nullptr && (line->text.empty() || line->text == LAYER_UNNAMED) &&
        run->new_layer_names.count(n) == 0) {
      run->new_layer_names[n] = std::string(name);
      return static_cast<uint8_t>(n);
    }
  }
  return 0;
}

uint8_t resolve_layer(ImportRun* run, std::string_view name) {
  int number = 0;
  if (only_digits(name, &number)) return number > LAYER_LAST_USER ? 0 : static_cast<uint8_t>(number);
  if ((run->flags & IMPORT_LAYER_NAMES_OFF) != 0 || (run->flags & IMPORT_MATCH_LAYER_NAMES) == 0)
    return 0;
  const std::string key(name);
  const auto found = run->layers.find(key);
  if (found != run->layers.end()) return found->second;
  const uint8_t layer = match_layer_name(run, name);
  run->layers.emplace(key, layer);
  return layer;
}

Affine2 entity_plane(const DxfEntity& e, double elevation) {
  const Vec3 extrusion{dxf_double(e, 210, 0), dxf_double(e, 220, 0), dxf_double(e, 230, 1)};
  return plane_to_xy(ocs_to_world(extrusion), elevation);
}

void skip(ImportRun* run, std::string_view kind) { ++run->skipped[std::string(kind)]; }

int write_points(DxfReader* r, float code, uint8_t type) {
  if (r->xs.size() < 2) return 0;
  r->chain.start(r->xs[0], r->ys[0]);
  for (size_t i = 1; i < r->xs.size(); ++i) r->chain.line_to(r->xs[i], r->ys[i], code);
  return r->chain.write(r->run, type);
}

int read_line(DxfReader* r, const DxfEntity& e) {
  r->chain.start(dxf_double(e, 10), dxf_double(e, 20));
  r->chain.line_to(dxf_double(e, 11), dxf_double(e, 21), LINK_RIGID_LINE);
  return r->chain.write(r->run, ITEM_POLYLINE);
}

int read_point(DxfReader* r, const DxfEntity& e) {
  const double x = dxf_double(e, 10), y = dxf_double(e, 20);
  r->chain.start(x, y);
  r->chain.add(x, y).code = LINK_POINT;
  return r->chain.write(r->run, ITEM_POINT);
}

int read_circle_or_arc(DxfReader* r, const DxfEntity& e, bool whole) {
  PlaneArc arc{dxf_double(e, 10), dxf_double(e, 20), dxf_double(e, 40), 0, TWO_PI};
  if (!(arc.r >= MIN_RADIUS)) return 0;
  if (!whole) {
    arc.a0 = dxf_double(e, 50) * PI / 180.0;
    arc.a1 = dxf_double(e, 51) * PI / 180.0;
  }
  const Affine2 plane = entity_plane(e, dxf_double(e, 30));
  double scale = 1;
  bool mirrored = false;
  if (!is_similarity(plane, &scale, &mirrored)) {
    // Seen at a slant the circle is an ellipse: its points are taken.
    r->xs.clear();
    r->ys.clear();
    flatten_arc(arc, plane, r->run->tolerance, &r->xs, &r->ys);
    return write_points(r, LINK_RIGID_LINE, ITEM_POLYLINE);
  }
  const PlaneArc placed = map_arc(arc, plane);
  if (!whole) {
    r->chain.arc(placed, false);
    return r->chain.write(r->run, ITEM_POLYLINE);
  }
  const double px = placed.cx + placed.r, py = placed.cy;
  r->chain.start(px, py);
  LinkRecord& link = r->chain.add(px, py);
  link.centre = {static_cast<float>(placed.cx), static_cast<float>(placed.cy)};
  link.code = static_cast<float>(placed.r);
  link.sweep = SWEEP_CENTRE_CIRCLE;
  link.start_angle = 0;
  return r->chain.write(r->run, ITEM_CIRCLE);
}

// SOLID: its corners run 1, 2, 4, 3 (a triangle when the last two meet).
int read_solid(DxfReader* r, const DxfEntity& e) {
  const Affine2 plane = entity_plane(e, dxf_double(e, 30));
  const int order[4] = {10, 11, 13, 12};
  r->xs.clear();
  r->ys.clear();
  for (int k = 0; k < 5; ++k) {
    const int code = order[k % 4];
    double x, y;
    apply_affine2(plane, dxf_double(e, code), dxf_double(e, code + 10), &x, &y);
    r->xs.push_back(x);
    r->ys.push_back(y);
  }
  return write_points(r, LINK_RIGID_LINE, ITEM_POLYLINE);
}

int write_bulge_path(DxfReader* r, const BulgePath& path) {
  if (path.too_large) {
    r->run->writer.too_many = true;
    return -1;
  }
  const size_t n = path.vertices.size();
  if (n < 2) return 0;
  r->chain.start(path.vertices[0].x, path.vertices[0].y);
  const size_t segments = path.closed ? n : n - 1;
  for (size_t i = 0; i < segments; ++i) {
    const BulgeVertex& next = path.vertices[(i + 1) % n];
    r->chain.bulge_to_arc(next.x, next.y, path.vertices[i].bulge);
  }
  return r->chain.write(r->run, ITEM_POLYLINE);
}

int read_polyline(DxfReader* r, const DxfEntity& e) {
  const int64_t flags = dxf_int(e, 70);
  if ((flags & (16 | 64)) != 0) {
    skip(r->run, "POLYLINE mesh");
    return 0;
  }
  const bool three_d = (flags & 8) != 0;
  BulgePath path;
  path.closed = (flags & 1) != 0;
  for (const DxfEntity& v : e.children) {
    if (v.type != "VERTEX") continue;
    const int64_t vflags = dxf_int(v, 70);
    if ((vflags & 16) != 0) continue;  // a spline frame point, not on the curve
    if (vflags == 128) {
      path.closed = true;
      continue;
    }
    path.vertices.push_back({dxf_double(v, 10), dxf_double(v, 20), three_d ? 0.0 : dxf_double(v, 42)});
  }
  const Affine2 plane = three_d ? Affine2{} : entity_plane(e, dxf_double(e, 30));
  return write_bulge_path(r, map_bulge_path(path, plane, r->run->tolerance));
}

int read_lwpolyline(DxfReader* r, const DxfEntity& e) {
  BulgePath path;
  path.closed = (dxf_int(e, 70) & 1) != 0;
  for (const DxfPair& p : e.pairs) {
    if (p.code == 10) path.vertices.push_back({dxf_value_double(p.value), 0, 0});
    else if (p.code == 20 && !path.vertices.empty()) path.vertices.back().y = dxf_value_double(p.value);
    else if (p.code == 42 && !path.vertices.empty()) path.vertices.back().bulge = dxf_value_double(p.value);
  }
  const Affine2 plane = entity_plane(e, dxf_double(e, 38));
  return write_bulge_path(r, map_bulge_path(path, plane, r->run->tolerance));
}

int read_spline(DxfReader* r, const DxfEntity& e) {
  SplineCurve curve;
  curve.degree = static_cast<int>(dxf_int(e, 71, 3));
  for (const DxfPair& p : e.pairs) {
    if (p.code == 40) curve.knots.push_back(dxf_value_double(p.value));
    else if (p.code == 41) curve.weights.push_back(dxf_value_double(p.value));
    else if (p.code == 10) curve.control.push_back({dxf_value_double(p.value), 0, 0});
    else if (p.code == 20 && !curve.control.empty()) curve.control.back().y = dxf_value_double(p.value);
  }
  if (curve.control.empty()) {
    skip(r->run, "SPLINE without control points");
    return 0;
  }
  if (!spline_is_valid(curve)) {
    skip(r->run, "damaged SPLINE");
    return 0;
  }
  r->xs.clear();
  r->ys.clear();
  flatten_spline(curve, r->run->tolerance, &r->xs, &r->ys);
  return write_points(r, LINK_RIGID_LINE, ITEM_POLYLINE);
}

int read_entity(DxfReader* r, const DxfEntity& e) {
  r->run->writer.layer = resolve_layer(r->run, dxf_text(e, 8));
  const std::string_view t = e.type;
  if (t == "LINE") return read_line(r, e);
  if (t == "POINT") return read_point(r, e);
  if (t == "CIRCLE") return read_circle_or_arc(r, e, true);
  if (t == "ARC") return read_circle_or_arc(r, e, false);
  if (t == "SOLID") return read_solid(r, e);
  if (t == "POLYLINE") return read_polyline(r, e);
  if (t == "LWPOLYLINE") return read_lwpolyline(r, e);
  if (t == "SPLINE") return read_spline(r, e);
  skip(r->run, t);
  return 0;
}

}  // namespace

int read_dxf_file(ImportRun* run, const std::string& path) {
  std::string bytes, error;
  if (!load_dxf_text(path, &bytes, &error)) return reject_import_file(run, path, nullptr, error);
  DxfWalker walker;
  walker.pairs.text = bytes;
  DxfReader reader{run, {}, {}, {}};
  std::string_view section;
  bool found = false;
  while (!found && next_dxf_section(&walker, &section)) {
    if (section != "ENTITIES") continue;
    found = true;
    DxfEntity entity;
    while (next_dxf_entity(&walker, &entity)) {
      if (read_entity(&reader, entity) != 0)
        return reject_import_file(run, path, nullptr, write_failure_reason(run));
    }
  }
  if (!walker.pairs.error.empty()) {
    const std::string where = "line " + std::to_string(walker.pairs.error_line);
    return reject_import_file(run, path, where.c_str(), walker.pairs.error);
  }
  if (!found) {
    reject_import_file(run, path, nullptr, "it holds no ENTITIES section");
    return -1;
  }
  return 0;
}
