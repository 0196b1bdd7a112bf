// The Drawing page's bench drawing: 10,000 closed shapes of four lines and an arc (about 50,000
// links) in a 100 x 100 grid of cells one unit wide, on layers 0-7.
#pragma once

#include <cmath>

#include "geometry/drawing_item.h"
#include "store/line_list.h"

// Item k of the grid, appended to the current list.
inline void add_bench_shape(int k) {
  const float x = static_cast<float>(k % 100);
  const float y = static_cast<float>(k / 100);
  if (new_geometry_block("", nullptr, 5, static_cast<uint8_t>(k % 8), GEOMETRY_KIND_DRAWING_AID) != 0)
    return;
  DrawingItem* item = g_lists.current.last;
  item->kind = ITEM_POLYLINE;
  item->state = ITEM_FLAG_SELECTED;
  set_item_id(item, k + 1);
  LinkRecord* r = item_nodes(item);
  const PointF p[6] = {{x + 0.1f, y + 0.1f}, {x + 0.7f, y + 0.1f}, {x + 0.7f, y + 0.5f},
                       {x + 0.5f, y + 0.7f}, {x + 0.1f, y + 0.7f}, {x + 0.1f, y + 0.1f}};
  for (int i = 0; i < 6; ++i) {
    r[i].point = p[i];
    r[i].code = LINK_FLEXIBLE_LINE;
  }
  // The third link is an arc about (x + 0.5, y + 0.5), counter-clockwise.
  r[2].code = 0.2f;
  r[2].centre = {x + 0.5f, y + 0.5f};
  r[2].start_angle = 0.0f;
  r[2].sweep = static_cast<float>(M_PI / 2);
  r[0].node_flags = NODE_FIRST | NODE_LOOSE;
  r[5].node_flags = NODE_CLOSING;
  item_bounding_boxes(item);
}
