// Machinable test items built node by node: lines, arcs about a given centre, splines and
// 3-D heights, with the item's machining block.
#pragma once

#include <cstdint>
#include <vector>

#include "cam/machining_block.h"
#include "geometry/drawing_item.h"
#include "tests/geometry/new_test_item.h"

// One node of a test item and the link that leaves it.
struct CamNode {
  float x, y;
  float code = LINK_FLEXIBLE_LINE;  // > 0: an arc of this radius about centre
  float z = 0.0f;
  uint8_t link_flags = 0;
  PointF centre = {0.0f, 0.0f};
};

// Appends an item through the nodes (the last one is the closing record); nodes inside a
// curve run are tangent, the others loose. A drawing aid gets no machining block.
inline DrawingItem* add_cam_item(uint8_t type, const std::vector<CamNode>& nodes,
                                 const CamParams& params, uint8_t cam_kind) {
  const int n = static_cast<int>(nodes.size()) - 1;
  DrawingItem* item = new_test_item(type, n, cam_kind);
  LinkRecord* r = item_nodes(item);
  for (int k = 0; k <= n; ++k) {
    r[k].point = PointF{nodes[k].x, nodes[k].y};
    r[k].z = nodes[k].z;
    r[k].node_number = static_cast<int16_t>(k + 1);
    if (k == n) break;
    r[k].code = nodes[k].code;
    r[k].link_flags = nodes[k].link_flags;
    r[k].centre = nodes[k].centre;
    if (k > 0) {
      const bool in_run = code_is_curve(nodes[k].code) && nodes[k - 1].code == nodes[k].code;
      r[k].node_flags = in_run ? NODE_TANGENT : NODE_LOOSE;
    }
    if (code_is_arc(r[k].code)) arc_angles_from_points(&r[k]);
  }
  if (cam_kind != GEOMETRY_KIND_DRAWING_AID) put_block_cam(item_block(item), params);
  item_bounding_boxes(item);
  return item;
}
