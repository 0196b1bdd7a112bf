// The start every test item shares: a fresh geometry block of `links` links appended to the
// drawing, its item given a kind and selected. The caller fills in the nodes.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>

#include "geometry/drawing_item.h"
#include "store/line_list.h"

inline DrawingItem* new_test_item(uint8_t type, int links, uint8_t cam_kind) {
  EXPECT_EQ(new_geometry_block("", nullptr, links, 0, cam_kind), 0);
  DrawingItem* item = g_lists.current.last;
  item->kind = type;
  item->state = ITEM_FLAG_SELECTED;
  return item;
}
