// The third designer's parts against the construction worked out in the test: the six types on
// the left, the right side as their mirror image, the first-step group's corner height as
// computed and as entered, its lower edge kept below the first step's seat, and the cut stringer
// with its board length and width, its step line, its tool offset and its table fit.
#include <cmath>
#include <string>
#include <vector>

#include "editor/view_state.h"
#include "print/stairs_build.h"
#include "tests/print/stairs_expect.h"

namespace {

// The numbers of a type's items, in list order.
std::vector<int32_t> numbers_of(int type, size_t count) {
  std::vector<int32_t> numbers;
  const int32_t first = type == 3 ? 15000 : type == 5 ? 10000 : 1;
  for (size_t i = 0; i < count; ++i) numbers.push_back(first + static_cast<int32_t>(i));
  return numbers;
}

class StairsKind4 : public StairsTest {
 protected:
  static StairsParams kind4(int type, double total, int n) {
    StairsParams p = design(STAIRS_KIND_SPECIAL | STAIRS_METRIC, total, n);
    p.kind4_type = type;
    return p;
  }
  // Builds and checks against the reference; the reference's result.
  static ref::Result build_and_expect(const StairsParams& p) {
    g_stairs.params = p;
    stairs_build_drawing();
    EXPECT_TRUE(g_stairs.complete);
    ref::Result want = ref::kind4(reference_design(p));
    ref::view_move(&want);
    expect_items_match(want, 2e-3, numbers_of(p.kind4_type, want.parts.size()));
    EXPECT_NEAR(g_stairs.params.board_width, want.width, 2e-3);
    EXPECT_NEAR(g_stairs.params.board_length, want.length, 2e-3);
    EXPECT_EQ(g_stairs.shift_count, want.shift);
    return want;
  }
};

TEST_F(StairsKind4, EveryTypeIsBuiltAsConstructed) {
  struct Case {
    int type;
    double total;
    int n;
    int links_of_outline;  // 0: no outline
  };
  const Case cases[] = {{0, 1400, 8, 10}, {1, 1400, 8, 0}, {2, 1400, 8, 8},
                        {3, 1200, 5, 5},  {5, 1200, 5, 7}, {0, 2800, 17, 10}};
  for (const Case& c : cases) {
    SCOPED_TRACE("type " + std::to_string(c.type) + ", " + std::to_string(c.n) + " treads");
    free_current_list();
    StairsParams p = kind4(c.type, c.total, c.n);
    build_and_expect(p);
    // The goings of the first and last step were raised to their least.
    EXPECT_FLOAT_EQ(g_stairs.params.first_going, 1.05f * p.run);
    EXPECT_FLOAT_EQ(g_stairs.params.last_going, p.run);
    const DrawingItem* last = g_lists.current.last;
    if (c.links_of_outline > 0) {
      EXPECT_EQ(item_layer(last), 1);
      EXPECT_EQ(item_link_count(last), c.links_of_outline);
    } else {
      EXPECT_NE(item_layer(last), 1);
    }
  }
}

TEST_F(StairsKind4, EnteredGoingsAndWidthAreUsed) {
  StairsParams p = kind4(0, 1400, 8);
  p.first_going = 240;
  p.last_going = 220;
  p.board_width = 260;
  p.last_marks[STAIRS_WIDTH_MARK_ROW] = 1;
  build_and_expect(p);
  EXPECT_EQ(g_stairs.params.first_going, 240.0f);
  StairsParams q = kind4(2, 1400, 8);
  q.board_width = 260;
  q.last_marks[STAIRS_WIDTH_MARK_ROW] = 1;
  free_current_list();
  build_and_expect(q);
}

TEST_F(StairsKind4, TheRightSideIsTheLeftSidesMirrorImage) {
  for (int type : {0, 1, 2}) {
    SCOPED_TRACE(type);
    g_stairs.view_kept = true;  // no view move: the two builds stand in one frame
    StairsParams p = kind4(type, 1400, 8);
    free_current_list();
    g_stairs.params = p;
    stairs_build_drawing();
    std::vector<std::vector<LinkRecord>> left;
    float lo = 1e30f, hi = -1e30f;
    for (DrawingItem* item : items()) {
      const LinkRecord* r = item_nodes(item);
      left.emplace_back(r, r + item_link_count(item) + 1);
      PointF a, b;
      item_extents(item, &a, &b);
      lo = std::min(lo, a.x);
      hi = std::max(hi, b.x);
    }
    const double middle = 0.5 * (static_cast<double>(lo) + hi);
    free_current_list();
    p.side = 1;
    g_stairs.params = p;
    stairs_build_drawing();
    const std::vector<DrawingItem*> right = items();
    ASSERT_EQ(right.size(), left.size());
    for (size_t i = 0; i < right.size(); ++i) {
      const LinkRecord* r = item_nodes(right[i]);
      ASSERT_EQ(static_cast<size_t>(item_link_count(right[i]) + 1), left[i].size());
      for (size_t k = 0; k < left[i].size(); ++k) {
        EXPECT_NEAR(r[k].point.x, 2 * middle - left[i][k].point.x, 2e-3) << i << "/" << k;
        EXPECT_NEAR(r[k].point.y, left[i][k].point.y, 2e-3) << i << "/" << k;
        if (k + 1 < left[i].size() && code_is_arc(left[i][k].code)) {
          EXPECT_NEAR(r[k].centre.x, 2 * middle - left[i][k].centre.x, 2e-3);
          EXPECT_FALSE(r[k].link_flags & LINK_CLOCKWISE);
        }
      }
    }
    g_stairs.view_kept = false;
  }
}

TEST_F(StairsKind4, TheFirstStepGroupKeepsItsCornerHeightOrTheOneEntered) {
  // Computed: field 732 holds the height the outline found.
  StairsParams p = kind4(3, 1200, 5);
  p.entered_corner_height = 0;
  const ref::Result computed = build_and_expect(p);
  EXPECT_NEAR(g_stairs.params.group_corner_height, computed.field732, 2e-3);
  EXPECT_NEAR(g_stairs.params.upper_edge_direction, computed.field740, 1e-5);
  // Entered: 732 is the entry and the upper edge passes through (-A, entry) over the first
  // step's node 2.
  free_current_list();
  p.entered_corner_height = 90;
  build_and_expect(p);
  EXPECT_EQ(g_stairs.params.group_corner_height, 90.0f);
  const std::vector<DrawingItem*> all = items();
  const PointF& f2 = item_nodes(all[0])[2].point;
  const PointF& o0 = item_nodes(all.back())[0].point;
  EXPECT_NEAR(o0.x - f2.x, -4.0, 2e-3);
  EXPECT_NEAR(o0.y - f2.y, 90.0, 2e-3);
  // Type 0 reads the group's height for its own top corner.
  free_current_list();
  build_and_expect(kind4(0, 1400, 8));
}

TEST_F(StairsKind4, TheGroupsLowerEdgeEndsBelowTheFirstStepsSeat) {
  // Rises little higher than the treads are thick: the edge through the top end's node 2 would end
  // above the first step's seat. Once the width at x = 0 is enough; with a short going even
  // that edge ends above it, and the edge then runs through the point 1.1 tread thicknesses
  // below the seat's node on O0's own vertical.
  struct Case {
    const char* what;
    float run;
    bool on_own_vertical;
  };
  const Case cases[] = {{"width at x = 0", 60, false}, {"on O0's vertical", 36, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    free_current_list();
    StairsParams p = kind4(3, 360, 5);  // rises of 60
    p.entered_corner_height = 0;
    p.riser_slant = 0;
    p.tread_thickness = 58;
    p.run = c.run;
    build_and_expect(p);
    const std::vector<DrawingItem*> all = items();
    const PointF& f2 = item_nodes(all[0])[2].point;
    const PointF& f3 = item_nodes(all[0])[3].point;
    const PointF& o4 = item_nodes(all.back())[4].point;
    EXPECT_LE(o4.y, f3.y - p.tread_thickness + 1e-3);
    EXPECT_NEAR(o4.x - f2.x, -4.0, 2e-3);
    if (c.on_own_vertical) {
      EXPECT_NEAR(o4.y, f3.y - 1.1 * p.tread_thickness, 2e-3);
    } else {
      EXPECT_GT(o4.y, f3.y - 1.1 * p.tread_thickness + 0.5);
    }
  }
}

// ---- the cut stringer ----

class CutStringer : public StairsKind4 {
 protected:
  static StairsParams cut(int n) {
    StairsParams p = kind4(STAIRS_TYPE_CUT_STRINGER, 0, n);
    p.rise = 180;
    p.run = 250;
    p.total_rise = n * p.run;
    p.tread_thickness = 0;  // a cut stringer needs none
    p.bottom_drop = 10;
    return p;
  }
  static std::vector<PointF> nodes(const DrawingItem* item) {
    std::vector<PointF> out;
    for (int32_t k = 0; k <= item_link_count(item); ++k) out.push_back(item_nodes(item)[k].point);
    return out;
  }
  // The distance from a point to a closed polygon's edges.
  static double to_polygon(PointF p, const std::vector<ref::P>& poly) {
    double best = 1e300;
    for (size_t i = 0; i < poly.size(); ++i) {
      const ref::P a = poly[i], b = poly[(i + 1) % poly.size()];
      const ref::P v = b - a;
      double t = ((p.x - a.x) * v.x + (p.y - a.y) * v.y) / (v.x * v.x + v.y * v.y);
      t = std::clamp(t, 0.0, 1.0);
      best = std::min(best, ref::dist({p.x, p.y}, a + t * v));
    }
    return best;
  }
};

TEST_F(CutStringer, WithoutAToolTheOutlineIsTheConstructionItself) {
  struct Case {
    const char* what;
    float bottom_x;
    uint8_t side;
    float sawtooth;
  };
  const Case cases[] = {{"bottom cut at 75, right", 75, 1, 0},
                        {"bottom cut at 0, right", 0, 1, 0},
                        {"bottom cut below 0, left", -5, 0, 0},
                        {"saw-tooth offset, right", 75, 1, 12}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    free_current_list();
    g_stairs.view_kept = true;
    StairsParams p = cut(6);
    p.outline_cam.finishing.cut_width = 0;  // nothing to offset by
    p.cut_bottom_x = c.bottom_x;
    p.side = c.side;
    p.sawtooth_offset = c.sawtooth;
    g_stairs.params = p;
    stairs_build_drawing();
    ASSERT_TRUE(g_stairs.complete);
    EXPECT_NEAR(g_stairs.params.pitch_angle, std::atan(180.0 / 250.0), 1e-6);
    const ref::Result want = ref::cut_stringer(reference_design(g_stairs.params));
    const std::vector<PointF> got = nodes(g_lists.current.first);
    const std::vector<ref::P>& q = want.parts[0].pts;
    ASSERT_EQ(got.size(), q.size() + 1);
    const double mirror = c.side == 0 ? -1 : 1;
    for (size_t k = 0; k < q.size(); ++k) {
      EXPECT_NEAR(got[k].x, mirror * q[k].x, 2e-3) << k;
      EXPECT_NEAR(got[k].y, q[k].y, 2e-3) << k;
    }
    if (c.bottom_x <= 0) {
      EXPECT_NEAR(got[q.size() - 1].x, mirror * 0.0005, 1e-6);
    }
    EXPECT_NEAR(g_stairs.params.board_length, want.length, 2e-3);
    EXPECT_NEAR(g_stairs.params.board_width, want.width, 2e-3);
    // The first node is the start of a closed outline, every other node loose.
    EXPECT_EQ(item_nodes(g_lists.current.first)[0].node_flags, NODE_FIRST | NODE_LOOSE);
    EXPECT_EQ(item_nodes(g_lists.current.first)[3].node_flags, NODE_LOOSE);
  }
}

TEST_F(CutStringer, TheStepLineCutsTheRisersAndIsReversedOnRequest) {
  for (const uint8_t reversed : {0, 1}) {
    SCOPED_TRACE(static_cast<int>(reversed));
    free_current_list();
    g_stairs.view_kept = true;
    StairsParams p = cut(5);
    p.side = 1;
    p.reverse_step_line = reversed;
    g_stairs.params = p;
    stairs_build_drawing();
    ASSERT_EQ(count_current_lines(), 2);
    const DrawingItem* line = g_lists.current.last;
    EXPECT_EQ(item_layer(line), 0);
    EXPECT_FALSE(item_is_closed(line));
    ASSERT_EQ(item_link_count(line), 2 * 5 - 1);
    const double h3 = 0.5 * p.third_cam.finishing.cut_width;
    std::vector<PointF> pts = nodes(line);
    std::vector<uint8_t> flags;
    for (int k = 0; k < 2 * 5; ++k) flags.push_back(item_nodes(line)[k].link_flags);
    if (reversed != 0) std::reverse(pts.begin(), pts.end());
    for (int i = 0; i < 5; ++i) {
      EXPECT_NEAR(pts[2 * i].x, i * 250.0, 1e-3);
      EXPECT_NEAR(pts[2 * i].y, i == 0 ? p.tread_thickness - p.bottom_drop : i * 180.0, 1e-3);
      EXPECT_NEAR(pts[2 * i + 1].x, i * 250.0, 1e-3);
      EXPECT_NEAR(pts[2 * i + 1].y, (i + 1) * 180.0 + h3, 1e-3);
    }
    // Only the risers are cut: the links across the treads are not.
    int jumps = 0;
    for (int k = 0; k < 2 * 5 - 1; ++k) jumps += (flags[k] & LINK_JUMP) != 0;
    EXPECT_EQ(jumps, 4);
  }
  // No third tool, or not asked for: no step line.
  free_current_list();
  StairsParams p = cut(5);
  p.step_line_choice = 0;
  g_stairs.params = p;
  stairs_build_drawing();
  EXPECT_EQ(count_current_lines(), 1);
}

TEST_F(CutStringer, TheOutlineIsOffsetOutsideByHalfTheTool) {
  g_stairs.view_kept = true;
  StairsParams p = cut(6);
  p.side = 1;
  g_stairs.params = p;
  stairs_build_drawing();
  const ref::Result want = ref::cut_stringer(reference_design(g_stairs.params));
  const DrawingItem* outline = g_lists.current.first;
  EXPECT_EQ(item_layer(outline), 1);
  EXPECT_TRUE(item_flags(outline) & ITEM_FLAG_SELECTED);
  EXPECT_EQ(item_id(outline), 1);
  const double h = 0.5 * p.outline_cam.finishing.cut_width;
  // Sharp corners: every side runs at h from the board, no corner comes nearer.
  const std::vector<PointF> pts = nodes(outline);
  for (size_t k = 0; k + 1 < pts.size(); ++k) {
    const PointF middle{0.5f * (pts[k].x + pts[k + 1].x), 0.5f * (pts[k].y + pts[k + 1].y)};
    EXPECT_NEAR(to_polygon(middle, want.parts[0].pts), h, 2e-3) << k;
    EXPECT_GT(to_polygon(pts[k], want.parts[0].pts), h - 2e-3) << k;
  }
  // Outside: the offset encloses every corner of the board.
  for (const ref::P& corner : want.parts[0].pts) {
    bool inside = false;
    for (size_t i = 0, j = pts.size() - 2; i + 1 < pts.size(); j = i++) {
      if ((pts[i].y > corner.y) != (pts[j].y > corner.y) &&
          corner.x < (pts[j].x - pts[i].x) * (corner.y - pts[i].y) / (pts[j].y - pts[i].y) + pts[i].x)
        inside = !inside;
    }
    EXPECT_TRUE(inside) << corner.x << ", " << corner.y;
  }
}

TEST_F(CutStringer, RiserTopsBeyondTheTableAreMarkedForTheSecondSetup) {
  g_stairs.view_kept = true;
  StairsParams p = cut(12);
  p.side = 1;
  p.outline_cam.finishing.cut_width = 0;  // the nodes stay the construction's
  p.table_length = 2000;
  g_stairs.params = p;
  stairs_build_drawing();
  const double ang = std::atan(180.0 / 250.0);
  const double step = std::hypot(180.0, 250.0);
  const double limit = std::sin(ang) * (2000 + std::min(0.0, 12 * step - g_stairs.params.board_length));
  const DrawingItem* outline = g_lists.current.first;
  const DrawingItem* line = g_lists.current.last;
  int marked = 0;
  int first_marked = -1;
  for (int k = 0; k <= item_link_count(outline); ++k) {
    const LinkRecord& r = item_nodes(outline)[k];
    const bool expect = k % 2 == 1 && k < item_link_count(outline) && r.point.y > limit;
    EXPECT_EQ((r.link_flags & LINK_NODE_MARKED) != 0, expect) << k;
    if (expect) {
      ++marked;
      if (first_marked < 0) first_marked = k;
    }
  }
  ASSERT_GT(marked, 0);
  EXPECT_TRUE(item_flags(outline) & ITEM_FLAG_HAS_MARKED_NODES);
  EXPECT_EQ(g_stairs.shift_count, marked);
  EXPECT_NEAR(g_stairs.params.setup_shift.y, -marked * step, 1e-2);
  // The step line is marked at the first one only.
  for (int k = 0; k <= item_link_count(line); ++k)
    EXPECT_EQ((item_nodes(line)[k].link_flags & LINK_NODE_MARKED) != 0, k == first_marked) << k;
}

}  // namespace
