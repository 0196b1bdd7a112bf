// Items of the staircase build held against the construction of stairs_reference.h.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/print/stairs_fixture.h"
#include "tests/print/stairs_reference.h"

inline ref::Design reference_design(const StairsParams& p) {
  ref::Design d;
  d.kind = p.kind_word & STAIRS_KIND_MASK;
  d.metric = (p.kind_word & STAIRS_METRIC) != 0;
  d.total = p.total_rise;
  d.ang = p.pitch_angle;
  d.rise = p.rise;
  d.run = p.run;
  d.n = p.tread_count;
  d.tt = p.tread_thickness;
  d.nos = p.nosing;
  d.top = p.top_offset;
  d.drop = p.bottom_drop;
  d.r = p.corner_radius;
  d.back = p.housing_back;
  d.margin = p.housing_margin;
  d.rt = p.riser_thickness;
  d.slant = p.riser_slant;
  d.width = p.board_width;
  d.width_entered = p.last_marks[STAIRS_WIDTH_MARK_ROW] != 0;
  d.table = p.table_length;
  d.thick = p.board_thickness;
  d.field752 = p.top_extra_height;
  d.type = p.kind4_type;
  d.w1 = p.first_going;
  d.w2 = p.last_going;
  d.h = 0.5 * p.outline_cam.finishing.cut_width;
  d.field48 = p.riser_margin;
  d.field760 = p.entered_corner_height;
  d.field720 = p.cut_top_drop;
  d.field724 = p.cut_bottom_x;
  d.field728 = p.cut_board_below;
  d.field756 = p.sawtooth_offset;
  d.right = p.side != 0;
  return d;
}

// Every item against its part: point by point, arcs, shared links, number, layer, selection.
inline void expect_items_match(const ref::Result& want, double tolerance,
                               const std::vector<int32_t>& numbers = {}) {
  const std::vector<DrawingItem*> got = StairsTest::items();
  ASSERT_EQ(got.size(), want.parts.size());
  for (size_t i = 0; i < got.size(); ++i) {
    SCOPED_TRACE("item " + std::to_string(i + 1));
    const ref::Part& part = want.parts[i];
    DrawingItem* item = got[i];
    EXPECT_EQ(item_id(item), numbers.empty() ? static_cast<int32_t>(i + 1) : numbers[i]);
    EXPECT_EQ(item_layer(item), part.layer);
    EXPECT_EQ(item_type(item), ITEM_POLYLINE);
    EXPECT_TRUE(item_flags(item) & ITEM_FLAG_SELECTED);
    EXPECT_TRUE(item_is_closed(item));
    ASSERT_EQ(item_link_count(item), static_cast<int32_t>(part.pts.size()));
    const LinkRecord* r = item_nodes(item);
    for (size_t k = 0; k <= part.pts.size(); ++k) {
      const ref::P& p = part.pts[k % part.pts.size()];
      EXPECT_NEAR(r[k].point.x, p.x, tolerance) << "node " << k;
      EXPECT_NEAR(r[k].point.y, p.y, tolerance) << "node " << k;
    }
    for (size_t k = 0; k < part.pts.size(); ++k) {
      const bool jump = std::count(part.jumps.begin(), part.jumps.end(), static_cast<int>(k)) != 0;
      EXPECT_EQ((r[k].link_flags & LINK_JUMP) != 0, jump) << "link " << k;
      const ref::Arc* arc = nullptr;
      for (const ref::Arc& a : part.arcs)
        if (a.link == static_cast<int>(k)) arc = &a;
      EXPECT_EQ(code_is_arc(r[k].code), arc != nullptr) << "link " << k;
      if (arc == nullptr) continue;
      EXPECT_TRUE(r[k].link_flags & LINK_CLOCKWISE) << "link " << k;
      EXPECT_NEAR(r[k].centre.x, arc->centre.x, tolerance);
      EXPECT_NEAR(r[k].centre.y, arc->centre.y, tolerance);
      EXPECT_FLOAT_EQ(r[k].code, g_stairs.params.corner_radius);
      // A quarter circle, by the angles recomputed from its ends.
      EXPECT_NEAR(r[k].sweep, ref::PI / 2, 1e-3);
    }
  }
}

