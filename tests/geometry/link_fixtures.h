// Building loose links (a record and its next node) and drawing items of lines and arcs for
// the 2-D geometry, construction and node surgery tests.
#pragma once

#include <cmath>
#include <cstring>
#include <vector>

#include "geometry/drawing_item.h"
#include "geometry/float2d.h"
#include "store/line_list.h"

namespace link_test {

// A link standing on its own: the record and the record of its next node.
struct Link {
  LinkRecord r[2];
  LinkRecord* get() { return r; }
  const LinkRecord* get() const { return r; }
};

inline Link make_line(float x1, float y1, float x2, float y2, float code = LINK_FLEXIBLE_LINE) {
  Link l;
  std::memset(static_cast<void*>(l.r), 0, sizeof(l.r));
  l.r[0].node_flags = NODE_FIRST;
  l.r[1].node_flags = NODE_CLOSING;
  l.r[0].point = {x1, y1};
  l.r[1].point = {x2, y2};
  l.r[0].code = code;
  link_bounding_box(l.r);
  return l;
}

// Arc about (cx, cy) from the angle a1 to the angle a2 (degrees), counter-clockwise unless
// clockwise; a1 == a2 makes a full circle.
inline Link make_arc(float cx, float cy, float radius, double a1_deg, double a2_deg,
                     bool clockwise = false) {
  const double k = ANGLE_PI / 180.0;
  Link l = make_line(static_cast<float>(cx + radius * std::cos(a1_deg * k)),
                     static_cast<float>(cy + radius * std::sin(a1_deg * k)),
                     static_cast<float>(cx + radius * std::cos(a2_deg * k)),
                     static_cast<float>(cy + radius * std::sin(a2_deg * k)), radius);
  l.r[0].centre = {cx, cy};
  if (clockwise) l.r[0].link_flags |= LINK_CLOCKWISE;
  arc_angles_from_points(l.r);
  link_bounding_box(l.r);
  return l;
}

// A whole circle whose sweep holds a circle code (it is re-derived from its nodes).
inline Link make_circle(float cx, float cy, float radius) {
  Link l = make_arc(cx, cy, radius, 0.0, 0.0);
  l.r[0].sweep = SWEEP_CENTRE_CIRCLE;
  link_bounding_box(l.r);
  return l;
}

// One node of an item under construction and the link that leaves it.
struct Node {
  float x, y;
  float code = LINK_FLEXIBLE_LINE;  // code of the link leaving this node
  float cx = 0.0f, cy = 0.0f;       // arc centre
  bool clockwise = false;
};

inline Node at(float x, float y, float code = LINK_FLEXIBLE_LINE) { return Node{x, y, code}; }
inline Node arc_from(float x, float y, float cx, float cy, bool clockwise = false) {
  return Node{x, y, std::hypot(x - cx, y - cy), cx, cy, clockwise};
}

// Appends an item through the nodes (the last one is the closing node) to the current list;
// a closed item gets a loose first node. Interior nodes are loose.
inline DrawingItem* add_item(const std::vector<Node>& nodes, bool closed,
                             uint8_t type = ITEM_POLYLINE) {
  const int n = static_cast<int>(nodes.size()) - 1;
  if (new_geometry_block(nullptr, nullptr, n, 0, GEOMETRY_KIND_DRAWING_AID) != 0) return nullptr;
  DrawingItem* item = g_lists.current.last;
  set_item_type(item, type);
  LinkRecord* r = item_nodes(item);
  for (int i = 0; i <= n; ++i) {
    r[i].point = {nodes[i].x, nodes[i].y};
    r[i].node_number = static_cast<int16_t>(i);
    r[i].node_flags = i == 0 ? NODE_FIRST : (i == n ? NODE_CLOSING : NODE_LOOSE);
    if (i == n) break;
    r[i].code = nodes[i].code;
    r[i].centre = {nodes[i].cx, nodes[i].cy};
    if (nodes[i].clockwise) r[i].link_flags |= LINK_CLOCKWISE;
  }
  if (closed) r[0].node_flags |= NODE_LOOSE;
  for (int i = 0; i < n; ++i) arc_angles_from_points(&r[i]);
  item_bounding_boxes(item);
  return item;
}

// The points of an item's records 0..n.
inline std::vector<PointF> item_points(const DrawingItem* item) {
  std::vector<PointF> points;
  const LinkRecord* r = item_nodes(item);
  for (int i = 0; i <= item_link_count(item); ++i) points.push_back(r[i].point);
  return points;
}

inline double distance(const PointF& a, const PointF& b) {
  return std::hypot(static_cast<double>(a.x) - b.x, static_cast<double>(a.y) - b.y);
}

}  // namespace link_test
