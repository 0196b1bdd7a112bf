// Reversing and closing polylines.
#include "geometry/polyline_ends.h"

#include <vector>

#include "geometry/float2d.h"
#include "geometry/item_motion.h"
#include "records/preferences.h"
#include "store/line_list.h"

namespace {

// The bits of the second flags byte that belong to the link, not to its start node.
constexpr uint8_t LINK_OWN_BITS = LINK_CLOCKWISE | LINK_JUMP | 0x20;

bool symmetric(const LinkRecord* r) { return (r[0].node_flags & NODE_SYMMETRY_MASK) != 0; }

// Slot `slot` of the reversed item: the link that ran from node k to node k + 1 now runs
// from node k + 1, whose node data it carries.
LinkRecord reversed_slot(const LinkRecord* old, int32_t n, int32_t slot) {
  const int32_t k = n - 1 - slot;
  const LinkRecord& link = old[k];
  const LinkRecord& node = old[k + 1];
  LinkRecord out = link;
  out.point = node.point;
  out.node_flags = node.node_flags;
  out.node_number = node.node_number;
  out.z = node.z;
  out.link_flags = static_cast<uint8_t>((node.link_flags & ~LINK_OWN_BITS) |
                                        (link.link_flags & LINK_OWN_BITS));
  const bool clockwise = (link.link_flags & LINK_CLOCKWISE) != 0;
  if (code_is_arc(link.code)) {
    out.link_flags = static_cast<uint8_t>(clockwise ? out.link_flags & ~LINK_CLOCKWISE
                                                    : out.link_flags | LINK_CLOCKWISE);
  }
  return out;
}

}  // namespace

int reverse_polyline(DrawingItem* item) {
  if (item == nullptr || item_block(item) == nullptr) return -1;
  const uint8_t type = item_type(item);
  if (type == ITEM_CIRCLE) return 0;
  LinkRecord* r = item_nodes(item);
  if (symmetric(r)) {
    // A symmetric polyline turns round as its mirror image about its own symmetry line (its
    // first link), which maps the shape onto itself and runs it the other way.
    if (copy_item_with_extra_links(item, 0) != 0) return -1;
    DrawingItem* copy = g_lists.current.last;
    mirror_item(copy, item, item_nodes(copy));
    delete_line(copy);
    item_bounding_boxes(item);
    return 0;
  }
  const int32_t n = item_link_count(item);
  const std::vector<LinkRecord> old(r, r + n + 1);
  for (int32_t slot = 0; slot < n; ++slot) r[slot] = reversed_slot(old.data(), n, slot);
  r[0].node_flags = old[0].node_flags;
  LinkRecord& closing = r[n];
  closing.point = old[0].point;
  closing.z = old[0].z;
  closing.node_number = old[0].node_number;
  // The first node's marks go with it to the end.
  closing.link_flags = static_cast<uint8_t>((old[0].link_flags & ~LINK_OWN_BITS) |
                                            (old[n].link_flags & LINK_OWN_BITS));
  if (type == ITEM_POLYGON) {
    // A regular polygon keeps its centre on the first link.
    r[0].centre = old[n - 1].centre;
    r[0].link_flags ^= LINK_CLOCKWISE;
  }
  return 0;
}

int close_if_touching(DrawingItem* item) {
  if (item == nullptr || item_block(item) == nullptr || item_type(item) != ITEM_POLYLINE) return 0;
  LinkRecord* r = item_nodes(item);
  const int32_t n = item_link_count(item);
  if ((r[0].node_flags & NODE_KIND_MASK) != 0 || n < 2) return 0;
  const LinkRecord& reference = symmetric(r) ? r[2] : r[0];
  if (symmetric(r) && n < 3) return 0;
  if (point_distance(&r[n].point, &reference.point) > g_preferences.gap_tolerance) return 0;
  r[n].point = reference.point;
  rederive_arc(&r[n - 1]);
  if (n == 2) {
    if (r[0].code != LINK_SPLINE) {
      r[1].node_flags = NODE_LOOSE;
    } else if (r[1].code == LINK_SPLINE) {
      return 0;
    }
  }
  r[0].node_flags |= NODE_LOOSE;
  return 1;
}

int touching_ends(const DrawingItem* a, const DrawingItem* b) {
  const LinkRecord* ra = item_nodes(a);
  const LinkRecord* rb = item_nodes(b);
  if (ra == nullptr || rb == nullptr) return TOUCH_NONE;
  const PointF& a_start = ra[0].point;
  const PointF& a_end = ra[item_link_count(a)].point;
  const PointF& b_start = rb[0].point;
  const PointF& b_end = rb[item_link_count(b)].point;
  const float gap = g_preferences.gap_tolerance;
  if (point_distance(&a_end, &b_start) <= gap) return TOUCH_END_START;
  if (point_distance(&a_end, &b_end) <= gap) return TOUCH_END_END;
  if (point_distance(&a_start, &b_start) <= gap) return TOUCH_START_START;
  if (point_distance(&a_start, &b_end) <= gap) return TOUCH_START_END;
  return TOUCH_NONE;
}
