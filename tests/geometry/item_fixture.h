// Small helpers that build drawing items for the item-model tests.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "geometry/drawing_item.h"
#include "geometry/geometry_settings.h"
#include "geometry/layers.h"
#include "geometry/spline_run.h"
#include "records/job_settings.h"
#include "store/line_list.h"
#include "tests/geometry/geometry_host_log.h"
#include "tests/geometry/new_test_item.h"

// One node of a test item and the link that leaves it.
struct NodeSpec {
  float x, y;
  float code = LINK_FLEXIBLE_LINE;  // ignored on the last node
  uint8_t node_flags = 0;           // 0: the usual first / loose / closing flags
};

class ItemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_list_store();
    reset_spline_samples();
    g_job_settings = JobSettings{};
    reset_geometry_settings();
    install_logging_geometry_host();
    g_layers.visibility.fill(1);
  }
  void TearDown() override { free_current_list(); }

  // Appends an item through the nodes (the last one is the closing record) and sets its boxes.
  DrawingItem* make_item(const std::vector<NodeSpec>& nodes, uint8_t type = ITEM_POLYLINE,
                         uint8_t cam_kind = GEOMETRY_KIND_DRAWING_AID) {
    const int n = static_cast<int>(nodes.size()) - 1;
    DrawingItem* item = new_test_item(type, n, cam_kind);
    LinkRecord* r = item_nodes(item);
    for (int i = 0; i <= n; ++i) {
      r[i].point = PointF{nodes[i].x, nodes[i].y};
      r[i].node_number = static_cast<int16_t>(i + 1);
      if (i < n) r[i].code = nodes[i].code;
      if (nodes[i].node_flags != 0) r[i].node_flags = nodes[i].node_flags;
      else if (i > 0 && i < n) r[i].node_flags = NODE_LOOSE;
    }
    item_bounding_boxes(item);
    return item;
  }
};
