#include "import/exploder/explode.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <map>
#include <vector>

#include "import/dxf_geometry.h"
#include "import/dxf_pairs.h"

namespace {

constexpr double PI = 3.14159265358979323846;
constexpr double DEG = PI / 180.0;
constexpr long MAX_GRID = 100000;  // columns x rows of one MINSERT

struct Block {
  Vec3 base;
  std::vector<DxfEntity> entities;
};

struct Exploder {
  std::map<std::string, Block> blocks;
  std::vector<std::string> stack;  // the blocks being expanded, outermost first
  std::string out;
  long entities = 0;
  std::string error;
};

std::string upper(std::string_view s) {
  std::string u(s);
  for (char& c : u) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return u;
}

void put(Exploder* x, int code, std::string_view value) {
  x->out += std::to_string(code);
  x->out += '\n';
  x->out += value;
  x->out += '\n';
}

void put_number(Exploder* x, int code, double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.12g", std::fabs(value) < 1e-13 ? 0.0 : value);
  put(x, code, text);
}

bool begin_entity(Exploder* x, std::string_view type, const std::string& layer) {
  if (++x->entities > EXPLODE_MAX_ENTITIES) {
    x->error = "the expanded drawing is too large";
    return false;
  }
  put(x, 0, type);
  put(x, 8, layer);
  return true;
}

Vec3 point_of(const DxfEntity& e, int code) {
  return {dxf_double(e, code), dxf_double(e, code + 10), dxf_double(e, code + 20)};
}

Vec3 extrusion_of(const DxfEntity& e) {
  return {dxf_double(e, 210, 0), dxf_double(e, 220, 0), dxf_double(e, 230, 1)};
}

// The map from an entity's plane (its OCS at the elevation) into the world's XY plane.
Affine2 plane_map(const Affine3& map, const DxfEntity& e, double elevation) {
  return plane_to_xy(compose_affine(map, ocs_to_world(extrusion_of(e))), elevation);
}

bool put_lwpolyline(Exploder* x, const std::string& layer, const BulgePath& path) {
  if (path.too_large) {
    x->error = "a polyline would need more points than a drawing may hold";
    return false;
  }
  if (!begin_entity(x, "LWPOLYLINE", layer)) return false;
  put(x, 90, std::to_string(path.vertices.size()));
  put(x, 70, path.closed ? "1" : "0");
  for (const BulgeVertex& v : path.vertices) {
    put_number(x, 10, v.x);
    put_number(x, 20, v.y);
    if (v.bulge != 0) put_number(x, 42, v.bulge);
  }
  return true;
}

bool put_points(Exploder* x, const std::string& layer, const std::vector<double>& xs,
                const std::vector<double>& ys, bool closed) {
  BulgePath path;
  path.closed = closed;
  for (size_t i = 0; i < xs.size(); ++i) path.vertices.push_back({xs[i], ys[i], 0});
  if (closed && path.vertices.size() > 1) path.vertices.pop_back();
  return put_lwpolyline(x, layer, path);
}

bool emit_arc(Exploder* x, const DxfEntity& e, const Affine3& map, const std::string& layer,
              bool whole) {
  PlaneArc arc{dxf_double(e, 10), dxf_double(e, 20), dxf_double(e, 40), 0, 2 * PI};
  if (!whole) {
    arc.a0 = dxf_double(e, 50) * DEG;
    arc.a1 = dxf_double(e, 51) * DEG;
  }
  const Affine2 plane = plane_map(map, e, dxf_double(e, 30));
  double scale = 1;
  bool mirrored = false;
  if (!is_similarity(plane, &scale, &mirrored)) {
    std::vector<double> xs, ys;
    flatten_arc(arc, plane, EXPLODE_TOLERANCE, &xs, &ys);
    return put_points(x, layer, xs, ys, whole);
  }
  const PlaneArc placed = map_arc(arc, plane);
  if (!begin_entity(x, whole ? "CIRCLE" : "ARC", layer)) return false;
  put_number(x, 10, placed.cx);
  put_number(x, 20, placed.cy);
  put_number(x, 40, placed.r);
  if (!whole) {
    put_number(x, 50, placed.a0 / DEG);
    put_number(x, 51, placed.a1 / DEG);
  }
  return true;
}

bool emit_polyline(Exploder* x, const DxfEntity& e, const Affine3& map, const std::string& layer) {
  const int64_t flags = dxf_int(e, 70);
  if ((flags & (16 | 64)) != 0) return begin_entity(x, "POLYLINE mesh", layer);
  const bool three_d = (flags & 8) != 0;
  BulgePath path;
  path.closed = (flags & 1) != 0;
  for (const DxfEntity& v : e.children) {
    if (v.type != "VERTEX") continue;
    const int64_t vflags = dxf_int(v, 70);
    if ((vflags & 16) != 0) continue;
    if (vflags == 128) {
      path.closed = true;
      continue;
    }
    if (three_d) {
      const Vec3 p = apply_affine(map, point_of(v, 10));
      path.vertices.push_back({p.x, p.y, 0});
    } else {
      path.vertices.push_back({dxf_double(v, 10), dxf_double(v, 20), dxf_double(v, 42)});
    }
  }
  if (three_d) return put_lwpolyline(x, layer, path);
  return put_lwpolyline(x, layer, map_bulge_path(path, plane_map(map, e, dxf_double(e, 30)), EXPLODE_TOLERANCE));
}

bool emit_lwpolyline(Exploder* x, const DxfEntity& e, const Affine3& map, const std::string& layer) {
  BulgePath path;
  path.closed = (dxf_int(e, 70) & 1) != 0;
  for (const DxfPair& p : e.pairs) {
    if (p.code == 10) path.vertices.push_back({dxf_value_double(p.value), 0, 0});
    else if (p.code == 20 && !path.vertices.empty()) path.vertices.back().y = dxf_value_double(p.value);
    else if (p.code == 42 && !path.vertices.empty()) path.vertices.back().bulge = dxf_value_double(p.value);
  }
  return put_lwpolyline(x, layer, map_bulge_path(path, plane_map(map, e, dxf_double(e, 38)), EXPLODE_TOLERANCE));
}

// Control and fit points of a spline are moved; its knots and weights stay.
bool emit_spline(Exploder* x, const DxfEntity& e, const Affine3& map, const std::string& layer) {
  if (!begin_entity(x, "SPLINE", layer)) return false;
  const DxfPair* pending_x = nullptr;
  Vec3 p;
  for (const DxfPair& pair : e.pairs) {
    const int c = pair.code;
    if (c == 10 || c == 11) {
      pending_x = &pair;
      p = {dxf_value_double(pair.value), 0, 0};
    } else if ((c == 20 || c == 21) && pending_x != nullptr) {
      p.y = dxf_value_double(pair.value);
    } else if ((c == 30 || c == 31) && pending_x != nullptr) {
      p.z = dxf_value_double(pair.value);
      const Vec3 q = apply_affine(map, p);
      put_number(x, c - 20, q.x);
      put_number(x, c - 10, q.y);
      put_number(x, c, q.z);
      pending_x = nullptr;
    } else if (c == 70 || c == 71 || c == 72 || c == 73 || c == 74 || c == 40 || c == 41 || c == 42 ||
               c == 43 || c == 44) {
      put(x, c, pair.value);
    }
  }
  return true;
}

bool emit_solid(Exploder* x, const DxfEntity& e, const Affine3& map, const std::string& layer) {
  const Affine2 plane = plane_map(map, e, dxf_double(e, 30));
  if (!begin_entity(x, "SOLID", layer)) return false;
  for (int k = 0; k < 4; ++k) {
    double px, py;
    apply_affine2(plane, dxf_double(e, 10 + k), dxf_double(e, 20 + k), &px, &py);
    put_number(x, 10 + k, px);
    put_number(x, 20 + k, py);
  }
  return true;
}

bool emit_entity(Exploder* x, const DxfEntity& e, const Affine3& map, const std::string& inherited,
                 bool top_level);

// The insert's grid of copies of its block.
bool emit_insert(Exploder* x, const DxfEntity& e, const Affine3& map, const std::string& layer) {
  const std::string name = upper(dxf_text(e, 2));
  const auto found = x->blocks.find(name);
  if (found == x->blocks.end()) return begin_entity(x, "INSERT of a missing block", layer);
  for (const std::string& open : x->stack) {
    if (open == name) {
      x->error = "the block " + std::string(dxf_text(e, 2)) + " inserts itself";
      return false;
    }
  }
  if (static_cast<int>(x->stack.size()) >= EXPLODE_MAX_DEPTH) {
    x->error = "the blocks are nested deeper than 16 levels";
    return false;
  }
  const int64_t columns = std::max<int64_t>(1, dxf_int(e, 70, 1));
  const int64_t rows = std::max<int64_t>(1, dxf_int(e, 71, 1));
  if (columns * rows > MAX_GRID) {
    x->error = "an insert grid of more than 100,000 copies";
    return false;
  }
  const Block& block = found->second;
  const Vec3 at = point_of(e, 10);
  const Affine3 placed_frame = compose_affine(
      compose_affine(compose_affine(map, ocs_to_world(extrusion_of(e))), translation(at.x, at.y, at.z)),
      rotation_z(dxf_double(e, 50) * DEG));
  const Affine3 scale_and_base = compose_affine(
      scaling(dxf_double(e, 41, 1), dxf_double(e, 42, 1), dxf_double(e, 43, 1)),
      translation(-block.base.x, -block.base.y, -block.base.z));
  x->stack.push_back(name);
  for (int64_t col = 0; col < columns; ++col) {
    for (int64_t row = 0; row < rows; ++row) {
      const Affine3 cell = compose_affine(
          compose_affine(placed_frame, translation(col * dxf_double(e, 44), row * dxf_double(e, 45), 0)),
          scale_and_base);
      for (const DxfEntity& child : block.entities)
        if (!emit_entity(x, child, cell, layer, false)) return false;
    }
  }
  x->stack.pop_back();
  return true;
}

void copy_verbatim(Exploder* x, const DxfEntity& e) {
  put(x, 0, e.type);
  for (const DxfPair& p : e.pairs) put(x, p.code, p.value);
  for (const DxfEntity& child : e.children) copy_verbatim(x, child);
  ++x->entities;
}

bool emit_entity(Exploder* x, const DxfEntity& e, const Affine3& map, const std::string& inherited,
                 bool top_level) {
  std::string layer(dxf_text(e, 8));
  if (layer.empty()) layer = "0";
  if (layer == "0" && !inherited.empty()) layer = inherited;
  const std::string_view t = e.type;
  if (t == "INSERT") return emit_insert(x, e, map, layer);
  if (top_level) {
    copy_verbatim(x, e);
    return true;
  }
  if (t == "LINE") {
    const Vec3 p = apply_affine(map, point_of(e, 10)), q = apply_affine(map, point_of(e, 11));
    if (!begin_entity(x, "LINE", layer)) return false;
    put_number(x, 10, p.x);
    put_number(x, 20, p.y);
    put_number(x, 11, q.x);
    put_number(x, 21, q.y);
    return true;
  }
  if (t == "POINT") {
    const Vec3 p = apply_affine(map, point_of(e, 10));
    if (!begin_entity(x, "POINT", layer)) return false;
    put_number(x, 10, p.x);
    put_number(x, 20, p.y);
    return true;
  }
  if (t == "CIRCLE" || t == "ARC") return emit_arc(x, e, map, layer, t == "CIRCLE");
  if (t == "POLYLINE") return emit_polyline(x, e, map, layer);
  if (t == "LWPOLYLINE") return emit_lwpolyline(x, e, map, layer);
  if (t == "SPLINE") return emit_spline(x, e, map, layer);
  if (t == "SOLID") return emit_solid(x, e, map, layer);
  if (t == "ATTDEF") return true;  // attribute definitions are templates, not drawing
  // Other kinds cannot be placed here: named, so that the reader's note counts them.
  return begin_entity(x, t, layer);
}

void read_blocks(Exploder* x, DxfWalker* walker) {
  DxfEntity e;
  Block* open = nullptr;
  while (next_dxf_entity(walker, &e)) {
    if (e.type == "BLOCK") {
      Block& b = x->blocks[upper(dxf_text(e, 2))];
      b = Block{point_of(e, 10), {}};
      open = &b;
    } else if (e.type == "ENDBLK") {
      open = nullptr;
    } else if (open != nullptr) {
      open->entities.push_back(e);
    }
  }
}

}  // namespace

bool explode_dxf_text(std::string_view input, std::string* output, std::string* error) {
  Exploder x;
  // The blocks first: a file may name them after its entities.
  DxfWalker walker;
  walker.pairs.text = input;
  std::string_view section;
  while (next_dxf_section(&walker, &section))
    if (section == "BLOCKS") read_blocks(&x, &walker);
  if (!walker.pairs.error.empty()) {
    *error = "line " + std::to_string(walker.pairs.error_line) + ": " + walker.pairs.error;
    return false;
  }
  put(&x, 0, "SECTION");
  put(&x, 2, "ENTITIES");
  DxfWalker entities;
  entities.pairs.text = input;
  bool found = false;
  while (!found && next_dxf_section(&entities, &section)) {
    if (section != "ENTITIES") continue;
    found = true;
    DxfEntity e;
    while (next_dxf_entity(&entities, &e)) {
      if (!emit_entity(&x, e, Affine3{}, "", true)) {
        *error = x.error;
        return false;
      }
    }
  }
  if (!found) {
    *error = "the file holds no ENTITIES section";
    return false;
  }
  put(&x, 0, "ENDSEC");
  put(&x, 0, "EOF");
  *output = std::move(x.out);
  return true;
}
