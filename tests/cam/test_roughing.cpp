// Roughing coverage: the area the first roughing rings sweep, the finishing rings it makes
// unnecessary, and the corner check that marks finishing segments already cut.
#include <gtest/gtest.h>

#include <cmath>

#include "cam/next_contour.h"
#include "cam/rings.h"
#include "cam/roughing.h"
#include "tests/cam/engine_fixture.h"

namespace {

using namespace engine_test;

class Roughing : public EngineTest {
 protected:
  // The ring-1 roughing ring of the shape at allowance + half the roughing width, recorded
  // in the ring lists, and its coverage outlines.
  void rough_ring_one(const Shape& s, const ContourSettings& settings) {
    ToolpathEngineState& g = g_toolpath_engine;
    std::vector<OffsetRegion> regions;
    NextContourOutput out{&g.ring_links, &g.ring_nodes, &regions};
    const double factor = settings.finish_allowance / settings.rough_width + 0.5;
    ASSERT_EQ(NextContour(Region(s, 0, {}).view, factor, settings.rough_width, 0, 0, 1, settings,
                          &out),
              ENGINE_DONE);
    ASSERT_EQ(out.region_count, 1);
    g.boundary_rings.push_back({regions[0].start, regions[0].end, 1, 0.0});
    ASSERT_EQ(build_roughing_outlines(settings), 1);
  }
  // A loop of lines through the points, in arrays of its own.
  struct Loop {
    std::vector<ContourLink> links;
    std::vector<ContourNode> nodes;
  };
  static Loop square_loop(double x, double y, double size) {
    Shape s;
    s.add_closed(rectangle(x, y, x + size, y + size));
    s.set_bounds();
    return {s.links, s.nodes};
  }
  // Appends a finishing part to the ring path: an entry at the first point, then lines.
  static void add_finishing_part(const std::vector<ContourNode>& points) {
    RingPathRecord end_roughing;
    end_roughing.code = RING_END_ROUGHING;
    append_ring_path_record(end_roughing);
    for (size_t k = 0; k < points.size(); ++k) {
      RingPathRecord r;
      r.code = k == 0 ? RING_ENTRY : RING_LINE;
      r.x = points[k].x;
      r.y = points[k].y;
      append_ring_path_record(r);
    }
    RingPathRecord end;
    end.code = RING_END;
    append_ring_path_record(end);
  }
  static int flagged() {
    int n = 0;
    for (int32_t i = 0; i < g_toolpath_engine.ring_path_count; ++i) {
      n += g_toolpath_engine.ring_path[i].flag;
    }
    return n;
  }
};

// Settings of a pocket with a roughing tool of width 4 and a finishing tool of width 0.5.
ContourSettings wide_rougher() {
  ContourSettings s = two_tool_settings(RINGS_WHOLE_AREA, 4.0, 0.4, 0.5, 8, 0.1);
  s.finish_stepover = 0.4;
  s.finish_first_stepover = 0.4;
  return s;
}

TEST_F(Roughing, UncutCornerDepthIsWhereTheRoughingToolStopsInASixtyDegreeCorner) {
  const ContourSettings settings = wide_rougher();
  // A 60-degree corner at the origin, its bisector along +x.
  const double half = CONTOUR_PI / 6.0;
  Shape s;
  s.add_closed(polygon({{0, 0}, {40 * std::cos(half), -40 * std::sin(half)},
                        {40 * std::cos(half), 40 * std::sin(half)}}));
  s.set_bounds();
  rough_ring_one(s, settings);
  // Walk the bisector out of the corner to the first point the roughing tool reached.
  const CoverageOutlines& cov = g_toolpath_engine.coverage;
  double reached = -1.0;
  for (double along = 0.0; along < 10.0 && reached < 0.0; along += 0.0001) {
    for (int32_t k = 0; k < cov.outline_count; ++k) {
      if (point_side_of_contour(cov.links.data(), cov.nodes.data(), along, 0.0, cov.first[k],
                                cov.last[k], CONTOUR_COUNTER_CLOCKWISE, 0) >= 0) {
        reached = along;
        break;
      }
    }
  }
  ASSERT_GT(reached, 0.0);
  // Its distance from either wall is the allowance plus a length (half the roughing tool),
  // not plus the stepover fraction.
  EXPECT_NEAR(reached * std::sin(half), corner_uncut_depth(settings, 60.0), 1e-3);
  EXPECT_NEAR(corner_uncut_depth(settings, 60.0), 0.1 + 0.5 * 2.0, 1e-12);
}

TEST_F(Roughing, FinishingLoopsReachingLessThanTheCornerDepthAreNeverCovered) {
  const ContourSettings settings = wide_rougher();
  Shape s;
  s.add_closed(rectangle(0, 0, 40, 20));
  s.set_bounds();
  rough_ring_one(s, settings);
  // A small loop in the band the roughing ring cleared along the bottom wall.
  const Loop loop = square_loop(20.0, 0.9, 0.2);
  struct Case {
    int32_t ring;
    int32_t covered;
  };
  // Ring 2 reaches 0.7 from the wall, ring 4 0.9, ring 6 1.3: only rings reaching past the
  // corner depth 1.1 may be covered.
  const Case cases[] = {{1, 0}, {2, 0}, {4, 0}, {6, 1}, {7, 1}};
  for (const Case& c : cases) {
    EXPECT_EQ(loop_covered_by_roughing(loop.links.data(), loop.nodes.data(), 0, 3, c.ring,
                                       COVERAGE_CORNER_ANGLE, settings),
              c.covered)
        << "ring " << c.ring;
  }
  // A loop reaching beyond the roughed band is never covered.
  const Loop far = square_loop(20.0, 4.5, 0.2);
  EXPECT_EQ(loop_covered_by_roughing(far.links.data(), far.nodes.data(), 0, 3, 7,
                                     COVERAGE_CORNER_ANGLE, settings),
            0);
}

TEST_F(Roughing, FinishingRingsStopOnceARingLiesInTheRoughedArea) {
  Shape s;
  s.add_closed(rectangle(0, 0, 10, 6));
  s.set_bounds();
  std::vector<int32_t> none;
  const int32_t n = prepare_working_outline(s.links.data(), s.nodes.data(), 0, 3, none.data(),
                                            none.data(), 0);
  ContourSettings settings = two_tool_settings(RINGS_WHOLE_AREA, 1.0, 0.4, 0.25, 3, 0.02);
  ASSERT_EQ(normalise_ring_settings(&settings), 1);
  ASSERT_GE(settings.finish_rings, 3);
  ASSERT_EQ(pocket_rings(0, n - 1, none.data(), none.data(), 0, settings), ENGINE_DONE);
  // Finishing ring 2 still reaches into the corners the round roughing tool left; ring 3
  // lies wholly in the area it cleared: the step drops it and makes no further ring.
  EXPECT_EQ(g_toolpath_engine.boundary_rings.size(), 2u);
}

TEST_F(Roughing, CornerCheckMarksFinishingSegmentsInsideTheRoughedArea) {
  ContourSettings settings = two_tool_settings(RINGS_WHOLE_AREA, 1.0, 0.4, 0.25, 3, 0.02);
  Shape s;
  s.add_closed(rectangle(0, 0, 20, 10));
  s.set_bounds();
  rough_ring_one(s, settings);
  // Finishing segments 0.35 from the walls: along the bottom wall, well away from the
  // corners, then one running into the corner the round tool could not reach.
  add_finishing_part({{5, 0.35}, {15, 0.35}, {19.65, 0.35}, {19.65, 0.0}});
  ASSERT_EQ(corner_check(settings), 1);
  const std::vector<RingPathRecord>& path = g_toolpath_engine.ring_path;
  EXPECT_EQ(path[2].flag, 1);  // (5, 0.35) to (15, 0.35)
  EXPECT_EQ(path[3].flag, 1);  // on to (19.65, 0.35): its end cap still in the cut band
  EXPECT_EQ(path[4].flag, 0);  // down into the corner's uncut band
  EXPECT_EQ(flagged(), 2);
}

TEST_F(Roughing, CornerCheckMarksNothingWhenItCannotHelp) {
  struct Case {
    const char* name;
    int32_t finish_rings;
    double allowance;
  };
  const Case cases[] = {{"one finishing ring", 1, 0.02},
                        {"allowance beyond half the roughing tool", 3, 0.6},
                        {"two rings, allowance beyond the first step", 2, 0.11}};
  for (const Case& c : cases) {
    reset_toolpath_engine();
    ContourSettings settings = two_tool_settings(RINGS_WHOLE_AREA, 1.0, 0.4, 0.25, 3, 0.02);
    Shape s;
    s.add_closed(rectangle(0, 0, 20, 10));
    s.set_bounds();
    rough_ring_one(s, settings);
    add_finishing_part({{5, 0.35}, {15, 0.35}});
    settings.finish_rings = c.finish_rings;
    settings.finish_allowance = c.allowance;
    ASSERT_EQ(corner_check(settings), 1) << c.name;
    EXPECT_EQ(flagged(), 0) << c.name;
  }
}

TEST_F(Roughing, EscapeDuringTheCornerCheckGivesUpTheOutline) {
  ContourSettings settings = two_tool_settings(RINGS_WHOLE_AREA, 1.0, 0.4, 0.25, 3, 0.02);
  Shape s;
  s.add_closed(rectangle(0, 0, 20, 10));
  s.set_bounds();
  rough_ring_one(s, settings);
  std::vector<ContourNode> points;
  for (int k = 0; k < 120; ++k) points.push_back({5.0 + k * 0.05, 0.35});
  add_finishing_part(points);
  g_cam_host_log.escape_after_polls = 0;
  EXPECT_EQ(corner_check(settings), 0);
  EXPECT_TRUE(g_toolpath_engine.abort);
}

}  // namespace
