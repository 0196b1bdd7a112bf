// Solving symmetric polylines: one half rebuilt as the mirror image of the other about the
// symmetry line, the perpendicular kind's quarter about the line at right angles to it, the
// mirror partner of a deleted node, and turning a symmetric polyline back into a plain one.
#include "geometry/symmetric_nodes.h"

#include <cstring>

#include "geometry/construct.h"
#include "geometry/float2d.h"
#include "geometry/geometry2d.h"
#include "geometry/item_motion.h"
#include "geometry/node_surgery.h"

namespace {

// Record 0's bits that outlive the symmetry: the first-node bit and the closed kind.
constexpr uint8_t FLAGS_KEPT_WHEN_UNMADE = NODE_FIRST | NODE_KIND_MASK;

bool carries_centre(float code) { return code_is_arc(code) || code == LINK_QUADRATIC; }

bool is_dual(const DrawingItem* item) { return (item_nodes(item)[0].node_flags & NODE_DUAL) != 0; }

bool solvable(const DrawingItem* item) {
  return item != nullptr && item_block(item) != nullptr &&
         item_link_count(item) > SYMMETRY_LEAST_LINKS;
}

// The line from a to b as the pair of records the mirror and foot helpers read.
void make_line(const PointF& a, const PointF& b, LinkRecord out[2]) {
  std::memset(static_cast<void*>(out), 0, 2 * sizeof(LinkRecord));
  out[0].point = a;
  out[0].code = LINK_RIGID_LINE;
  out[1].point = b;
}

// A marker shorter than the least length is lengthened in its own direction.
void keep_marker_length(LinkRecord* r) {
  const float length = point_distance(&r[0].point, &r[1].point);
  if (length >= SYMMETRY_MARKER_LEAST) return;
  const double direction = point_angle(&r[0].point, &r[1].point);
  polar_point(&r[0].point, SYMMETRY_MARKER_LEAST, direction, &r[1].point);
}

void move_onto_line(LinkRecord* node, const LinkRecord* line) {
  const PointF p = node->point;
  link_foot(line, &p, &node->point);
}

// An arc's start angle is measured at its end node when it turns clockwise, else at its start.
void refresh_start_angle(LinkRecord* link) {
  if (!code_is_arc(link->code)) return;
  const bool clockwise = (link->link_flags & LINK_CLOCKWISE) != 0;
  link->start_angle = point_angle(&link->centre, clockwise ? &link[1].point : &link->point);
}

// The link that crosses the line joins two mirror images: an arc keeps its radius on the side of
// its present centre, or becomes the half circle over its chord when the radius no longer
// reaches.
void refit_middle_arc(LinkRecord* link) {
  if (!code_is_arc(link->code) || link->sweep < 0.0f) return;
  const PointF side = link->centre;
  if (fit_arc_centre(link, &side, FIT_CENTRE_NEAR_POINT) != 0) return;
  const float half_chord = point_distance(&link->point, &link[1].point) / 2.0f;
  if (half_chord <= 0.0f) return;  // a radius of 0 would make the arc a line
  midpoint(&link->point, &link[1].point, &link->centre);
  link->code = half_chord;
  arc_angles_from_points(link);
}

// nodes[0 .. m] are the nodes of m links, mirror-symmetric about the line: node j pairs with
// node m - j and link k with link m - 1 - k. Rebuilds the second half from the first, or the
// first from the second (from_end). The records are not resized.
void mirror_half(LinkRecord* nodes, int32_t m, const LinkRecord* line, bool from_end) {
  const int32_t h = m / 2;
  const bool odd = m % 2 != 0;
  const auto source_node = [&](int32_t j) { return from_end ? m - j : j; };
  const auto target_node = [&](int32_t j) { return from_end ? j : m - j; };
  const auto source_link = [&](int32_t k) { return from_end ? m - 1 - k : k; };
  const auto target_link = [&](int32_t k) { return from_end ? k : m - 1 - k; };
  if (!odd && h > 0) {
    // The middle node lies on the line; the source link that meets it is refitted to it.
    move_onto_line(&nodes[h], line);
    rederive_arc(&nodes[source_link(h - 1)]);
  }
  for (int32_t k = 0; k < h; ++k) {
    const LinkRecord& from = nodes[source_node(k)];
    LinkRecord& to = nodes[target_node(k)];
    mirror_point(&from.point, line, &to.point);
    to.z = from.z;
    const LinkRecord& s = nodes[source_link(k)];
    LinkRecord& t = nodes[target_link(k)];
    t.code = s.code;
    t.sweep = s.sweep;
    t.start_angle = s.start_angle;
    if (carries_centre(s.code)) mirror_point(&s.centre, line, &t.centre);
    // Mirrored and run the other way: the turning sense stays.
    t.link_flags = static_cast<uint8_t>((t.link_flags & ~LINK_CLOCKWISE) |
                                        (s.link_flags & LINK_CLOCKWISE));
  }
  if (odd) {
    // The middle link's ends are mirror images of each other.
    mirror_point(&nodes[source_node(h)].point, line, &nodes[target_node(h)].point);
    nodes[target_node(h)].z = nodes[source_node(h)].z;
  }
  // Node kinds follow their partners; the two end nodes keep their own records' flags.
  const int32_t last_paired = odd ? h : h - 1;
  for (int32_t j = 1; j <= last_paired; ++j) {
    const int32_t s = source_node(j);
    const int32_t t = target_node(j);
    if (s <= 0 || s >= m || t <= 0 || t >= m) continue;
    nodes[t].node_flags = nodes[s].node_flags;
  }
  for (int32_t k = 0; k < h; ++k) refresh_start_angle(&nodes[target_link(k)]);
  if (odd) refit_middle_arc(&nodes[h]);
}

int enforce(DrawingItem* item, bool from_end) {
  if (!solvable(item)) return 0;
  LinkRecord* r = item_nodes(item);
  keep_marker_length(r);
  LinkRecord line[2];
  make_line(r[0].point, r[1].point, line);
  LinkRecord* nodes = r + 2;
  const int32_t m = item_link_count(item) - 2;
  if ((r[0].node_flags & NODE_KIND_MASK) != 0) {
    // A closed outline starts and ends on the line.
    move_onto_line(from_end ? &nodes[m] : &nodes[0], line);
    rederive_arc(from_end ? &nodes[m - 1] : &nodes[0]);
  }
  mirror_half(nodes, m, line, from_end);
  item_bounding_boxes(item);
  return 1;
}

}  // namespace

int symmetry_enforce(DrawingItem* item) { return enforce(item, false); }

int symmetry_enforce_from_end(DrawingItem* item) { return enforce(item, true); }

int enforce_perpendicular_symmetry(DrawingItem* item) {
  if (!solvable(item)) return 0;
  LinkRecord* r = item_nodes(item);
  keep_marker_length(r);
  // The perpendicular line runs through the marker's start at right angles to the marker.
  PointF across;
  polar_point(&r[0].point, SYMMETRY_MARKER_LEAST,
              point_angle(&r[0].point, &r[1].point) + ANGLE_PI / 2.0, &across);
  LinkRecord line[2];
  make_line(r[0].point, across, line);
  mirror_half(r + 2, (item_link_count(item) - 2) / 2, line, false);
  return symmetry_enforce(item);
}

int remove_symmetric_node(DrawingItem* item, int node_index) {
  if (item == nullptr || item_block(item) == nullptr || !is_dual(item)) return -1;
  const int32_t count = item_link_count(item);
  if (count <= SYMMETRY_LEAST_LINKS) return -1;
  // Halves are judged by the count the item had before the deleted node went.
  const int32_t before = count + 1;
  const int32_t half = before % 2 == 0 ? before / 2 : (before + 1) / 2;
  if (node_index <= half) {
    delete_node(item, item_nodes(item) + count - 1, DELETE_NODE_CUT_OFF);
  } else {
    delete_node(item, item_nodes(item) + 2, DELETE_NODE_REMOVE);
  }
  return 0;
}

void unmake_symmetric_polyline(DrawingItem* item) {
  if (item == nullptr || item_block(item) == nullptr) return;
  const uint8_t kept = item_nodes(item)[0].node_flags & FLAGS_KEPT_WHEN_UNMADE;
  if (item_link_count(item) > 2) shrink_node_array(item, -2);
  item_nodes(item)[0].node_flags = kept;
}
