#include "editor/marks.h"

#include <algorithm>

#include "editor/draw_style.h"
#include "editor/edit_session.h"
#include "editor/hover_state.h"
#include "editor/page_strip.h"
#include "editor/render.h"
#include "geometry/layers.h"
#include "geometry/node_surgery.h"
#include "records/job_settings.h"
#include "screen/pointer.h"
#include "store/line_list.h"

namespace {

// Pick kinds that name the start node of the hovered link (start node, or a link picked nearer
// its start) and its end node; a centre pick (-1) has every bit and names both.
constexpr int PICK_NAMES_START = 0x31;
constexpr int PICK_NAMES_END = 0x32;

bool node_marked(const LinkRecord* r) { return (r->link_flags & LINK_NODE_MARKED) != 0; }
bool node_saved(const LinkRecord* r) { return (r->link_flags & LINK_SAVED_MARK) != 0; }
void toggle_node_mark(LinkRecord* r) { r->link_flags ^= NODE_MARK_BITS; }

void red_marker(const LinkRecord* r) {
  hide_pointer();
  draw_node_marker_red(r->point);
}

void erase_marker(const LinkRecord* r) {
  hide_pointer();
  erase_node_marker(r->point);
}

bool item_markable(const DrawingItem* item) {
  return (item_flags(item) & ITEM_FLAG_SELECTED) != 0 && !item->extra.empty() &&
         g_layers.visibility[item_layer(item)] != 0;
}

bool inside(PointF p, PointF lo, PointF hi) {
  return p.x >= lo.x && p.x <= hi.x && p.y >= lo.y && p.y <= hi.y;
}

void window_bounds(PointF a, PointF b, PointF* lo, PointF* hi) {
  *lo = {std::min(a.x, b.x), std::min(a.y, b.y)};
  *hi = {std::max(a.x, b.x), std::max(a.y, b.y)};
}

void recompute_summary_marks() {
  int16_t& s = marks_summary_bits();
  s = static_cast<int16_t>((s & (MARKS_SAVED_ITEMS | MARKS_SAVED_NODES)) | marks_summary(1));
}

int mark_item(DrawingItem* item) {
  if ((item_flags(item) & ITEM_FLAG_MARKED) != 0) return -1;
  set_item_flags(item, (item_flags(item) & ~ITEM_FLAG_SAVED_MARK) | ITEM_FLAG_MARKED);
  draw_item_in_colour(item, COLOUR_ERASE);
  draw_item_in_colour(item, COLOUR_MARKED);
  marks_summary_bits() |= MARKS_ITEMS;
  return 0;
}

int unmark_item(DrawingItem* item) {
  if ((item_flags(item) & ITEM_FLAG_MARKED) == 0) return -1;
  set_item_flags(item, item_flags(item) & ~ITEM_FLAG_MARKED);
  draw_item_in_colour(item, item_layer(item));
  recompute_summary_marks();
  return 0;
}

int mark_nodes(DrawingItem* item, LinkRecord* link, int kind) {
  int marked = 0;
  for (LinkRecord* r : {(kind & PICK_NAMES_START) != 0 ? link : nullptr,
                        (kind & PICK_NAMES_END) != 0 ? link + 1 : nullptr}) {
    if (r == nullptr || node_marked(r)) continue;
    toggle_node_mark(r);
    red_marker(r);
    ++marked;
  }
  if (marked == 0) return -1;
  set_item_flags(item, item_flags(item) | ITEM_FLAG_HAS_MARKED_NODES);
  marks_summary_bits() |= MARKS_NODES;
  return 0;
}

int unmark_nodes(DrawingItem* item, LinkRecord* link, int kind) {
  int unmarked = 0;
  for (LinkRecord* r : {(kind & PICK_NAMES_START) != 0 ? link : nullptr,
                        (kind & PICK_NAMES_END) != 0 ? link + 1 : nullptr}) {
    if (r == nullptr || !node_marked(r)) continue;
    toggle_node_mark(r);
    erase_marker(r);
    ++unmarked;
  }
  if (unmarked == 0) return -1;
  set_item_flags(item, item_flags(item) & ~ITEM_FLAG_HAS_MARKED_NODES);
  if (update_has_marked_nodes(item) == 0) recompute_summary_marks();
  return 0;
}

}  // namespace

int16_t& marks_summary_bits() { return g_job_settings.item_flag_union; }

int mark_under_cursor(int code) {
  const HoverState& h = g_hover;
  if (h.pick_kind == 0 || h.hover_item == nullptr) return code;
  DrawingItem* item = h.hover_item;
  switch (code) {
    case TOOL_MARK_ITEMS: return mark_item(item);
    case TOOL_UNMARK_ITEMS: return unmark_item(item);
    case TOOL_MARK_NODES:
      return h.hover_link != nullptr ? mark_nodes(item, h.hover_link, h.pick_kind) : -1;
    case TOOL_UNMARK_NODES:
      return h.hover_link != nullptr ? unmark_nodes(item, h.hover_link, h.pick_kind) : -1;
    default: return -1;
  }
}

void window_mark_items(PointF corner1, PointF corner2, int mark) {
  PointF lo, hi;
  window_bounds(corner1, corner2, &lo, &hi);
  for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next) {
    if (!item_markable(item)) continue;
    const LinkRecord* r = item_nodes(item);
    const int32_t n = item_link_count(item);
    bool all_inside = true;
    for (int32_t i = 0; i < n && all_inside; ++i)
      all_inside = inside(r[i].box_min, lo, hi) && inside(r[i].box_max, lo, hi);
    if (!all_inside) continue;
    const uint8_t flags = item_flags(item);
    if (mark != 0) {
      if ((flags & ITEM_FLAG_MARKED) != 0) continue;
      set_item_flags(item, flags | ITEM_FLAG_MARKED);
      marks_summary_bits() |= MARKS_ITEMS;
      draw_item_in_colour(item, COLOUR_MARKED);
    } else if ((flags & ITEM_FLAG_MARKED) != 0) {
      set_item_flags(item, flags & ~(ITEM_FLAG_MARKED | ITEM_FLAG_SAVED_MARK));
      draw_item_in_colour(item, item_layer(item));
    }
  }
}

void window_mark_nodes(PointF corner1, PointF corner2, int mark) {
  PointF lo, hi;
  window_bounds(corner1, corner2, &lo, &hi);
  for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next) {
    if (!item_markable(item)) continue;
    set_item_flags(item, item_flags(item) & ~ITEM_FLAG_HAS_MARKED_NODES);
    LinkRecord* r = item_nodes(item);
    const int32_t n = item_link_count(item);
    int32_t first = 0;
    int32_t last = n;  // through the closing record
    // A symmetric polyline's first two records are its symmetry line; of the rest only the
    // half the user edits is marked.
    if ((r[0].node_flags & NODE_SYMMETRY_MASK) != 0) {
      first = 2;
      last = std::min(n, first + n / 2 - 1);
    }
    for (int32_t i = first; i <= last; ++i) {
      LinkRecord* node = r + i;
      if (inside(node->point, lo, hi)) {
        if (mark != 0) {
          if (!node_marked(node)) {
            node->link_flags |= LINK_NODE_MARKED;
            red_marker(node);
          }
        } else if (node_marked(node)) {
          node->link_flags &= static_cast<uint8_t>(~NODE_MARK_BITS);
          erase_marker(node);
          continue;
        } else {
          continue;
        }
      }
      if (node_marked(node)) {
        set_item_flags(item, item_flags(item) | ITEM_FLAG_HAS_MARKED_NODES);
        marks_summary_bits() |= MARKS_NODES;
      }
    }
  }
}

void clear_marks(int keep) {
  int16_t summary = 0;
  marks_summary_bits() = 0;
  for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next) {
    const uint8_t flags = item_flags(item);
    set_item_flags(item, flags & ~(ITEM_FLAG_MARKED | ITEM_FLAG_SAVED_MARK));
    if (!item->extra.empty() && ((flags & ITEM_FLAG_HAS_MARKED_NODES) != 0 ||
                                 ((flags & ITEM_FLAG_HAS_SAVED_NODE_MARKS) != 0 && keep == 0)))
      clear_item_node_marks(item, keep != 0 ? KEEP_NODE_MARKS : 0);
    if ((flags & ITEM_FLAG_MARKED) != 0) draw_item_in_colour(item, item_layer(item));
    if ((flags & (ITEM_FLAG_MARKED | ITEM_FLAG_SAVED_MARK)) != 0)
      set_item_flags(item, item_flags(item) | static_cast<uint8_t>(keep));
    summary = static_cast<int16_t>(summary | item_flags(item));
  }
  marks_summary_bits() = static_cast<int16_t>(summary & JOB_ITEM_FLAG_UNION_MASK);
}

void clear_item_node_marks(DrawingItem* item, int keep) {
  set_item_flags(item, item_flags(item) & ~(ITEM_FLAG_HAS_MARKED_NODES |
                                            ITEM_FLAG_HAS_SAVED_NODE_MARKS));
  if (item->extra.empty()) return;
  LinkRecord* r = item_nodes(item);
  const int32_t n = item_link_count(item);
  for (int32_t i = 0; i <= n; ++i) {
    if (node_marked(r + i)) erase_marker(r + i);
    if ((r[i].link_flags & NODE_MARK_BITS) == 0) continue;
    r[i].link_flags &= static_cast<uint8_t>(~NODE_MARK_BITS);
    if (keep != 0) {
      r[i].link_flags |= LINK_SAVED_MARK;
      set_item_flags(item, item_flags(item) | ITEM_FLAG_HAS_SAVED_NODE_MARKS);
    }
  }
}

void restore_saved_marks() {
  int16_t& s = marks_summary_bits();
  s = static_cast<int16_t>(s & ~(MARKS_SAVED_ITEMS | MARKS_SAVED_NODES));
  for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next) {
    const uint8_t flags = item_flags(item);
    if ((flags & ITEM_FLAG_SAVED_MARK) != 0) {
      set_item_flags(item, (flags & ~ITEM_FLAG_SAVED_MARK) | ITEM_FLAG_MARKED);
      draw_item_in_colour(item, COLOUR_MARKED);
      s |= MARKS_ITEMS;
    }
    if ((item_flags(item) & ITEM_FLAG_HAS_SAVED_NODE_MARKS) != 0) {
      set_item_flags(item, (item_flags(item) & ~ITEM_FLAG_HAS_SAVED_NODE_MARKS) |
                               ITEM_FLAG_HAS_MARKED_NODES);
      restore_item_node_marks(item);
      s = static_cast<int16_t>(s | (item_flags(item) & ITEM_FLAG_HAS_MARKED_NODES));
    }
  }
}

void restore_item_node_marks(DrawingItem* item) {
  int restored = 0;
  if (!item->extra.empty()) {
    LinkRecord* r = item_nodes(item);
    const int32_t n = item_link_count(item);
    for (int32_t i = 0; i <= n; ++i) {
      if (!node_saved(r + i)) continue;
      toggle_node_mark(r + i);
      red_marker(r + i);
      ++restored;
    }
  }
  if (restored == 0)
    set_item_flags(item, item_flags(item) & ~(ITEM_FLAG_HAS_MARKED_NODES |
                                              ITEM_FLAG_HAS_SAVED_NODE_MARKS));
}

void clear_item_marks(DrawingItem* item) {
  if ((item_flags(item) & (ITEM_FLAG_HAS_MARKED_NODES | ITEM_FLAG_HAS_SAVED_NODE_MARKS)) != 0 &&
      !item->extra.empty()) {
    LinkRecord* r = item_nodes(item);
    const int32_t n = item_link_count(item);
    for (int32_t i = 0; i <= n; ++i) r[i].link_flags &= static_cast<uint8_t>(~NODE_MARK_BITS);
  }
  set_item_flags(item, ITEM_FLAG_SELECTED);
}

int update_has_marked_nodes(DrawingItem* item) {
  bool any = false;
  if (!item->extra.empty()) {
    const LinkRecord* r = item_nodes(item);
    const int32_t n = item_link_count(item);
    for (int32_t i = 0; i <= n && !any; ++i) any = node_marked(r + i);
  }
  if (any) {
    set_item_flags(item, item_flags(item) | ITEM_FLAG_HAS_MARKED_NODES);
    return ITEM_FLAG_HAS_MARKED_NODES;
  }
  set_item_flags(item, item_flags(item) & ~ITEM_FLAG_HAS_MARKED_NODES);
  return 0;
}

int item_node_mark_bits(DrawingItem* item) {
  int bits = 0;
  if (item->extra.empty()) return 0;
  const LinkRecord* r = item_nodes(item);
  const int32_t n = item_link_count(item);
  for (int32_t i = 0; i <= n; ++i) {
    if (node_marked(r + i)) bits |= MARKS_NODES;
    else if (node_saved(r + i)) bits |= MARKS_SAVED_NODES;
  }
  return bits;
}

int count_marked_items() {
  int n = 0;
  for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next)
    if ((item_flags(item) & ITEM_FLAG_MARKED) != 0) ++n;
  return n;
}

int marks_summary(int all) {
  int bits = 0;
  for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next) {
    const uint8_t flags = item_flags(item);
    if (all == 0) {
      if ((flags & ITEM_FLAG_MARKED) != 0) return MARKS_ITEMS;
      if ((flags & ITEM_FLAG_HAS_MARKED_NODES) != 0) return MARKS_NODES;
      continue;
    }
    bits |= flags & (ITEM_FLAG_MARKED | ITEM_FLAG_HAS_MARKED_NODES);
    if (bits == (MARKS_ITEMS | MARKS_NODES)) break;
  }
  return bits;
}

int marks_state() {
  int bits = 0;
  for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next) {
    const uint8_t flags = item_flags(item);
    bits |= flags & (ITEM_FLAG_MARKED | ITEM_FLAG_SAVED_MARK);
    if ((flags & (ITEM_FLAG_HAS_MARKED_NODES | ITEM_FLAG_HAS_SAVED_NODE_MARKS)) != 0)
      bits |= item_node_mark_bits(item);
  }
  return bits;
}

void show_marks_control() { set_strip_control_shown(STRIP_MARKS, marks_summary_bits() != 0); }
