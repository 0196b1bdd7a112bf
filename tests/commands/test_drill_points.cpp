// Circles to drill points and the SEPARATE walk, on items of the current list.
#include <cmath>

#include "cam/cam_defaults.h"
#include "commands/drill_points.h"
#include "commands/separate_items.h"
#include "records/cam_params.h"
#include "tests/geometry/item_fixture.h"

namespace {

class DrillPoints : public ItemTest {
 protected:
  DrawingItem* circle(float x, float y, float r, uint8_t layer = 0) {
    DrawingItem* c = make_item({{x + r, y, r}, {x + r, y}}, ITEM_CIRCLE);
    item_nodes(c)[0].centre = {x, y};
    item_nodes(c)[0].sweep = 6.2831855f;
    item_block(c)->layer = layer;
    return c;
  }
  DrawingItem* arc_polyline(float r, float sweep) {
    DrawingItem* p = make_item({{r, 0, r}, {r * std::cos(sweep), r * std::sin(sweep)}});
    item_nodes(p)[0].centre = {0, 0};
    item_nodes(p)[0].start_angle = 0;
    item_nodes(p)[0].sweep = sweep;
    return p;
  }
  static int count(uint8_t type) {
    int n = 0;
    for (DrawingItem* i = g_lists.current.first; i != nullptr; i = i->next)
      n += item_type(i) == type ? 1 : 0;
    return n;
  }
};

TEST_F(DrillPoints, RadiusBoundsLayersAndWholeTurnPolylines) {
  struct Case {
    const char* what;
    DrillPointSettings settings;
    int points;
  };
  DrillPointSettings bounds;
  bounds.smallest_radius = 2;
  bounds.largest_radius = 5;
  DrillPointSettings layer3;
  layer3.source_layer = 3;
  DrillPointSettings no_polylines;
  no_polylines.take_polylines = 0;
  const Case cases[] = {
      {"2 and 5 in, 1.99 and 5.01 out", bounds, 2 + 1},  // and the whole-turn polyline of r 3
      {"only layer 3", layer3, 1},
      {"whole-turn polylines left alone", no_polylines, 4},
  };
  for (const Case& c : cases) {
    circle(0, 0, 2);
    circle(10, 0, 5);
    circle(20, 0, 1.99f);
    circle(30, 0, 5.01f, 3);
    arc_polyline(3, 6.25f);  // whole turn
    arc_polyline(3, 3.0f);   // an open arc never counts
    EXPECT_EQ(circles_to_drill_points(c.settings, nullptr), c.points) << c.what;
    EXPECT_EQ(count(ITEM_POINT), c.points) << c.what;
    free_current_list();
  }
}

TEST_F(DrillPoints, APointTakesTheCentreRadiusWidthDepthAndToolAndTheCircleGoesOrStays) {
  DrillPointSettings s;
  s.depth = 0.25f;
  s.tool_number = 7;
  s.point_layer = 4;
  circle(3, 4, 1.5f, 2);
  ASSERT_EQ(circles_to_drill_points(s, nullptr), 1);
  ASSERT_EQ(count(ITEM_CIRCLE), 0);
  DrawingItem* point = g_lists.current.last;
  EXPECT_EQ(item_type(point), ITEM_POINT);
  EXPECT_EQ(item_layer(point), 4);
  EXPECT_EQ(item_nodes(point)[0].point.x, 3.0f);
  EXPECT_EQ(item_nodes(point)[0].point.y, 4.0f);
  EXPECT_EQ(item_nodes(point)[0].code, LINK_POINT - 1.5f);
  CamParams cam;
  read_cam_params(block_cam_params(item_block(point)), &cam);
  EXPECT_EQ(cam.operation, CAM_OP_CENTERLINE);
  EXPECT_EQ(cam.finishing.cut_width, 3.0f);
  EXPECT_EQ(cam.finishing.cut_depth, 0.25f);
  EXPECT_EQ(cam.finishing.tool_number, 7);
  free_current_list();
  s.keep_circles = 1;
  s.kept_layer = 9;
  DrawingItem* kept = circle(0, 0, 1, 2);
  ASSERT_EQ(circles_to_drill_points(s, nullptr), 1);
  EXPECT_EQ(item_layer(kept), 9);
  EXPECT_EQ(count(ITEM_CIRCLE), 1);
}

TEST_F(DrillPoints, SeparateSplitsSelectedPolylinesOfTheRangeOnly) {
  make_item({{0, 0}, {1, 0}, {1, 1}, {0, 1}});             // three links, layer 0
  DrawingItem* other = make_item({{5, 5}, {6, 5}, {6, 6}});
  item_block(other)->layer = 7;
  DrawingItem* off = make_item({{9, 9}, {8, 9}, {8, 8}});
  set_item_flags(off, 0);
  make_item({{20, 0}, {21, 0}});                           // one link: nothing to split
  EXPECT_EQ(separate_polylines(0, 5, nullptr), 3);
  EXPECT_EQ(count_current_lines(), 3 + 1 + 1 + 1);  // the pieces, layer 7, unselected, one link
  for (DrawingItem* i = g_lists.current.first; i != nullptr; i = i->next) {
    if (item_layer(i) == 0 && i != off) {
      EXPECT_EQ(item_link_count(i), 1);
    }
  }
  free_current_list();
  make_item({{0, 0}, {1, 0}, {1, 1}});
  EXPECT_EQ(separate_polylines(1, 5, nullptr), 0);
  EXPECT_EQ(count_current_lines(), 1);
}

}  // namespace
