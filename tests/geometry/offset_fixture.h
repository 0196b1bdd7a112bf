// Building source items of lines and arcs for the offset tests, and measuring what the offset
// made: areas with arc segments, link kinds and radii, closed or open.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "geometry/contour_offset.h"
#include "geometry/drawing_item.h"
#include "geometry/geometry2d.h"
#include "geometry/geometry_host.h"
#include "geometry/geometry_settings.h"
#include "geometry/item_edit_state.h"
#include "records/job_settings.h"
#include "store/line_list.h"

namespace offset_test {

// One vertex of a source contour: the link leaving it is straight, or an arc of that radius
// (clockwise when negative) bulging by the shorter way.
struct Vertex {
  double x, y;
  double arc = 0.0;  // 0: straight; > 0 counter-clockwise arc radius; < 0 clockwise
};

// Appends a polyline item through the vertices; closed repeats the first vertex as the
// closing point. Arc centres are placed on the side the direction asks for.
inline DrawingItem* add_contour(const std::vector<Vertex>& v, bool closed,
                                uint8_t type = ITEM_POLYLINE) {
  const int n = static_cast<int>(v.size()) - (closed ? 0 : 1);
  EXPECT_EQ(new_geometry_block("", nullptr, n, 0, GEOMETRY_KIND_DRAWING_AID), 0);
  DrawingItem* item = g_lists.current.last;
  item->kind = type;
  LinkRecord* r = item_nodes(item);
  for (int i = 0; i <= n; ++i) {
    const Vertex& p = v[static_cast<size_t>(i) % v.size()];
    r[i].point = PointF{static_cast<float>(p.x), static_cast<float>(p.y)};
    r[i].node_flags = i == 0 ? (closed ? NODE_FIRST | NODE_LOOSE : NODE_FIRST)
                             : (i == n ? NODE_CLOSING : NODE_LOOSE);
    r[i].node_number = static_cast<int16_t>(i + 1);
  }
  for (int i = 0; i < n; ++i) {
    const double radius = v[static_cast<size_t>(i)].arc;
    if (radius == 0.0) continue;
    r[i].code = static_cast<float>(std::fabs(radius));
    if (radius < 0) r[i].link_flags |= LINK_CLOCKWISE;
    // Centre on the left of the chord for a counter-clockwise arc (minor arc).
    PointF centre;
    const PointF& a = r[i].point;
    const PointF& b = r[i + 1].point;
    const double mx = (a.x + b.x) / 2.0, my = (a.y + b.y) / 2.0;
    const double cx = b.x - a.x, cy = b.y - a.y;
    const double half = std::hypot(cx, cy) / 2.0;
    const double h = std::sqrt(std::fmax(radius * radius - half * half, 0.0));
    const double side = radius > 0 ? 1.0 : -1.0;
    centre.x = static_cast<float>(mx - side * cy / (2.0 * half) * h);
    centre.y = static_cast<float>(my + side * cx / (2.0 * half) * h);
    r[i].centre = centre;
    arc_angles_from_points(&r[i]);
  }
  item_bounding_boxes(item);
  return item;
}

// An axis-aligned square, counter-clockwise unless clockwise.
inline DrawingItem* add_square(double x0, double y0, double side, bool clockwise = false) {
  std::vector<Vertex> v = {{x0, y0}, {x0 + side, y0}, {x0 + side, y0 + side}, {x0, y0 + side}};
  if (clockwise) v = {{x0, y0}, {x0, y0 + side}, {x0 + side, y0 + side}, {x0 + side, y0}};
  return add_contour(v, true);
}

// Signed area of a closed item: chords plus arc segments.
inline double item_area(const DrawingItem* item) {
  const LinkRecord* r = item_nodes(item);
  const int n = item_link_count(item);
  double area = 0.0;
  for (int i = 0; i < n; ++i) {
    const PointF& a = r[i].point;
    const PointF& b = r[i + 1].point;
    area += (static_cast<double>(a.x) * b.y - static_cast<double>(b.x) * a.y) / 2.0;
    if (code_is_arc(r[i].code)) {
      const double radius = r[i].code;
      const double sweep = r[i].sweep < 0 ? ANGLE_TWO_PI : r[i].sweep;
      const double segment = radius * radius / 2.0 * (sweep - std::sin(sweep));
      area += (r[i].link_flags & LINK_CLOCKWISE) != 0 ? -segment : segment;
    }
  }
  return area;
}

// Items from `from` (exclusive; null: the whole list) to the end of the current list.
inline std::vector<DrawingItem*> items_after(DrawingItem* from) {
  std::vector<DrawingItem*> out;
  for (TextLine* t = from == nullptr ? g_lists.current.first : from->next; t != nullptr;
       t = t->next)
    out.push_back(t);
  return out;
}

inline int count_arcs(const DrawingItem* item) {
  int arcs = 0;
  for (int i = 0; i < item_link_count(item); ++i) arcs += code_is_arc(item_nodes(item)[i].code);
  return arcs;
}

// Makes link i of the item an arc about (cx, cy) through its two nodes (any sweep).
inline void set_arc(DrawingItem* item, int i, double cx, double cy, bool clockwise = false) {
  LinkRecord* r = item_nodes(item) + i;
  r->centre = PointF{static_cast<float>(cx), static_cast<float>(cy)};
  r->code = point_distance(&r->centre, &r->point);
  r->link_flags = clockwise ? LINK_CLOCKWISE : 0;
  arc_angles_from_points(r);
  link_bounding_box(r);
}

class OffsetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_list_store();
    reset_offset_run();
    reset_geometry2d();
    g_job_settings = JobSettings{};
    reset_geometry_settings();
    reset_item_edit();
    reset_geometry_host();
  }
  void TearDown() override { free_current_list(); }
};

}  // namespace offset_test
