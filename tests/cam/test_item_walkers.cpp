// Item walkers: each kind of item walked into path code (positions within tolerance), the
// lifts, resumes and tool changes between items, depth passes and the second pass, drill
// points and their arrays, tool-path items, and text items that can not be walked yet.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "cam/item_walkers.h"
#include "cam/machining_block.h"
#include "geometry/drawing_item.h"
#include "geometry/point_arrays.h"
#include "geometry/spline_run.h"
#include "nc/nc_extents.h"
#include "nc/path_code.h"
#include "nc/post_processor.h"
#include "records/job_settings.h"
#include "store/line_list.h"
#include "tests/cam/cam_item_builder.h"
#include "tests/nc/path_code_reader.h"

namespace {

constexpr float PI_F = 3.14159265f;
constexpr float RAPID_HEIGHT = 0.05f;
constexpr float DEPTH = 0.1f;

CamParams centerline_params(float depth = DEPTH, int16_t tool = 1) {
  CamParams p;
  p.operation = CAM_OP_CENTERLINE;
  p.rapid_height = RAPID_HEIGHT;
  p.finishing.cut_depth = depth;
  p.finishing.feed = 30.0f;
  p.finishing.rpm = 5000;
  p.finishing.plunge_percent = 50;
  p.finishing.tool_number = tool;
  p.finishing.cut_width = 0.02f;
  return p;
}

struct Recorded {
  char code;
  float dx, dy, dz, i, j;
  uint8_t circle_mode;
};
std::vector<Recorded> g_recorded;

// A sink that keeps every move and moves the pen as the plotter would.
void record_move() {
  const PenMove& m = g_pen_move;
  g_recorded.push_back({m.code, m.dx, m.dy, m.dz, m.i, m.j, g_encoder_inputs.circle_mode});
  if (std::string("01234LVu").find(m.code) != std::string::npos) {
    g_pen_move.x += m.dx;
    g_pen_move.y += m.dy;
  }
}

std::string recorded_codes() {
  std::string s;
  for (const Recorded& r : g_recorded) s += r.code;
  return s;
}

class WalkerTest : public ::testing::Test {
 public:
  void SetUp() override {
    reset_list_store();
    reset_path_code();
    reset_spline_samples();
    g_job_settings = JobSettings{};
    reset_nc_extents();
    g_pen_move = PenMove{};
    g_recorded.clear();
    ASSERT_EQ(path_alloc(), 0);
    start_walk_run();
  }
  void TearDown() override {
    free_current_list();
    free_post_processor_list(&definitions_);
    reset_path_code();
    reset_item_walkers();
  }

  DrawingItem* make_item(uint8_t type, const std::vector<CamNode>& nodes,
                         const CamParams& params = centerline_params(),
                         uint8_t cam_kind = GEOMETRY_KIND_MACHINABLE) {
    return add_cam_item(type, nodes, params, cam_kind);
  }

  // A fresh drawing, path buffer and walk run with the pen at the origin, for each case of
  // a table.
  void restart_run() {
    reset_path_code();
    free_current_list();
    ASSERT_EQ(path_alloc(), 0);
    start_walk_run();
    g_pen_move = PenMove{};
  }

  // Walks a drawing item into the encoder with its own machining block.
  void walk(DrawingItem* item) {
    CamParams params;
    ASSERT_TRUE(get_block_cam(item_block(item), &params));
    g_encoder_inputs.current_cam_params = params;
    g_encoder_inputs.current_tool_block = params.finishing;
    curve_to_moves(item, path_encode_move);
  }

  // A definition whose every code section is one plain line, so that each section shows as
  // one '#' line wherever it is expanded.
  void use_definition() {
    TextLine* entry = default_post_processor("Test", 1);
    definitions_ = g_lists.current;
    clear_current_list();
    for (LineList& section : post_processor_def(entry)->sections) {
      free_list(section.first);
      const char* const line[] = {"(SECTION)"};
      section = make_code_section(line, 1);
    }
    g_encoder_inputs.post_processor = entry;
  }

  LineList definitions_;
};

// The end points of the moves after the run's start (and plunge).
std::vector<PointF> end_points(const std::vector<DecodedOp>& ops, size_t from) {
  std::vector<PointF> points;
  for (size_t k = from; k < ops.size(); ++k) points.push_back({ops[k].values[0], ops[k].values[1]});
  return points;
}

std::vector<float> plunge_depths(const std::vector<DecodedOp>& ops) {
  std::vector<float> z;
  for (const DecodedOp& op : ops)
    if (op.code == 'Z') z.push_back(op.values[0]);
  return z;
}

// ---- each kind of item ------------------------------------------------------------------------

TEST_F(WalkerTest, EachKindOfItemIsWalkedIntoItsMoves) {
  struct Case {
    const char* name;
    std::function<DrawingItem*(WalkerTest*)> build;
    std::string codes;             // after "AdZ"
    std::vector<PointF> points;    // end point of each of those moves
    PointF start;
  };
  const CamNode ccw_below{0, 0, 1.0f, 0, 0, {1, 0}};  // semicircle to (2, 0) under the centre
  const Case cases[] = {
      {"polyline of lines",
       [](WalkerTest* t) { return t->make_item(ITEM_POLYLINE, {{0, 0}, {2, 0}, {2, 1}}); },
       "11", {{2, 0}, {2, 1}}, {0, 0}},
      {"polyline with an arc",
       [&](WalkerTest* t) { return t->make_item(ITEM_POLYLINE, {ccw_below, {2, 0}}); },
       "3", {{2, 0}}, {0, 0}},
      {"rectangle",
       [](WalkerTest* t) {
         return t->make_item(ITEM_RECTANGLE, {{0, 0}, {3, 0}, {3, 2}, {0, 2}, {0, 0}});
       },
       "1111", {{3, 0}, {3, 2}, {0, 2}, {0, 0}}, {0, 0}},
      {"regular polygon",
       [](WalkerTest* t) {
         std::vector<CamNode> nodes;
         for (int k = 0; k <= 6; ++k)
           nodes.push_back({std::cos(k * PI_F / 3), std::sin(k * PI_F / 3)});
         return t->make_item(ITEM_POLYGON, nodes);
       },
       "111111",
       {{0.5f, 0.8660254f}, {-0.5f, 0.8660254f}, {-1, 0}, {-0.5f, -0.8660254f},
        {0.5f, -0.8660254f}, {1, 0}},
       {1, 0}},
      {"slot",
       [](WalkerTest* t) {
         return t->make_item(ITEM_SLOT, {{0, 0}, {4, 0, 1.0f, 0, 0, {4, 1}}, {4, 2},
                                         {0, 2, 1.0f, 0, 0, {0, 1}}, {0, 0}});
       },
       "1313", {{4, 0}, {4, 2}, {0, 2}, {0, 0}}, {0, 0}},
      {"circle: one whole arc from the point on the circle",
       [](WalkerTest* t) {
         DrawingItem* item = t->make_item(ITEM_CIRCLE, {{1, 1, 1.0f, 0, 0, {1, 1}}, {2, 1}});
         item_nodes(item)[0].sweep = SWEEP_RADIUS_CIRCLE;
         return item;
       },
       "c", {{2, 1}}, {2, 1}},
      {"3-D line",
       [](WalkerTest* t) { return t->make_item(ITEM_POLYLINE, {{0, 0}, {1, 0, 0, -0.05f}}); },
       "V", {{1, 0}}, {0, 0}},
  };
  for (const Case& c : cases) {
    reset_path_code();
    ASSERT_EQ(path_alloc(), 0);
    start_walk_run();
    g_pen_move = PenMove{};
    walk(c.build(this));
    const std::vector<DecodedOp> ops = decode_path();
    ASSERT_EQ(op_codes(ops), "AdZ" + c.codes) << c.name;
    EXPECT_NEAR(ops[0].values[1], c.start.x, 1e-5) << c.name;
    EXPECT_NEAR(ops[0].values[2], c.start.y, 1e-5) << c.name;
    EXPECT_FLOAT_EQ(ops[1].values[0], RAPID_HEIGHT) << c.name;
    EXPECT_FLOAT_EQ(ops[2].values[0], -DEPTH) << c.name;
    const std::vector<PointF> points = end_points(ops, 3);
    for (size_t k = 0; k < points.size(); ++k) {
      EXPECT_NEAR(points[k].x, c.points[k].x, 1e-5) << c.name << " move " << k;
      EXPECT_NEAR(points[k].y, c.points[k].y, 1e-5) << c.name << " move " << k;
    }
    EXPECT_EQ(g_walker.walk_state, WALK_ITEM_DONE) << c.name;
  }
}

TEST_F(WalkerTest, ArcsCarryTheirCentreAsAnOffsetFromTheirStart) {
  walk(make_item(ITEM_SLOT, {{0, 0}, {4, 0, 1.0f, 0, LINK_CLOCKWISE, {4, -1}}, {4, -2}}));
  const std::vector<DecodedOp> ops = decode_path();
  ASSERT_EQ(op_codes(ops), "AdZ12");
  EXPECT_EQ(ops[4].values, (std::vector<float>{4, -2, 0, -1}));
  // A circle item is cut in circle mode: centre offset from the point on the circle.
  reset_path_code();
  ASSERT_EQ(path_alloc(), 0);
  start_walk_run();
  g_pen_move = PenMove{};
  DrawingItem* circle = make_item(ITEM_CIRCLE, {{1, 1, 1.0f, 0, 0, {1, 1}}, {2, 1}});
  item_nodes(circle)[0].sweep = SWEEP_RADIUS_CIRCLE;
  walk(circle);
  const std::vector<DecodedOp> circle_ops = decode_path();
  ASSERT_EQ(op_codes(circle_ops), "AdZc");
  EXPECT_EQ(circle_ops[3].param, '3');
  EXPECT_EQ(circle_ops[3].values, (std::vector<float>{2, 1, -1, 0}));
}

TEST_F(WalkerTest, ACircleItemSendsOneWholeArcInCircleMode) {
  DrawingItem* circle = make_item(ITEM_CIRCLE, {{1, 1, 1.0f, 0, LINK_CLOCKWISE, {1, 1}}, {2, 1}});
  item_nodes(circle)[0].sweep = SWEEP_RADIUS_CIRCLE;
  g_encoder_inputs.current_cam_params = centerline_params();
  g_encoder_inputs.current_tool_block = centerline_params().finishing;
  curve_to_moves(circle, record_move);
  ASSERT_EQ(recorded_codes(), "AZ2f");
  const Recorded& arc = g_recorded[2];
  EXPECT_EQ(arc.dx, 0.0f);
  EXPECT_EQ(arc.dy, 0.0f);
  EXPECT_EQ(arc.circle_mode, 1);
  EXPECT_FLOAT_EQ(arc.i, -1.0f);
  EXPECT_EQ(g_encoder_inputs.circle_mode, 0);
}

// The cut ellipse is the drawn one: the second node lies on it along its rotation.
TEST_F(WalkerTest, AnEllipseIsCutAsDrawnStartingOnItsSecondNode) {
  DrawingItem* item = make_item(ITEM_ELLIPSE, {{0, 1, LINK_ELLIPSE, 0, 0, {0, 0}}, {2, 0}});
  walk(item);
  const std::vector<DecodedOp> ops = decode_path();
  const std::string codes = op_codes(ops);
  ASSERT_EQ(codes.substr(0, 3), "AdZ");
  EXPECT_EQ(codes.find_first_not_of('1', 3), std::string::npos);
  EXPECT_GE(ops.size(), 3u + 4u);
  EXPECT_FLOAT_EQ(ops[0].values[1], 2.0f);
  EXPECT_FLOAT_EQ(ops[0].values[2], 0.0f);
  float highest = 0.0f;
  for (size_t k = 3; k < ops.size(); ++k) {
    const float x = ops[k].values[0];
    const float y = ops[k].values[1];
    EXPECT_NEAR((x / 2) * (x / 2) + y * y, 1.0f, 1e-4) << k;
    highest = std::max(highest, y);
  }
  EXPECT_NEAR(highest, 1.0f, 0.01f);  // it passes the first node
  EXPECT_NEAR(ops.back().values[0], 2.0f, 1e-5);
  EXPECT_NEAR(ops.back().values[1], 0.0f, 1e-5);
}

TEST_F(WalkerTest, SplineAndBezierRunsEndOnTheirLastNode) {
  struct Case {
    const char* name;
    float code;
    int nodes;
  };
  const Case cases[] = {
      {"spline", LINK_SPLINE, 4},
      {"spline of two nodes is one line", LINK_SPLINE, 2},
      // Longer than one gathered run: walked as runs of its own, never dropped.
      {"spline of 250 nodes", LINK_SPLINE, 250},
      {"Bezier", LINK_BEZIER, 4},
  };
  for (const Case& c : cases) {
    reset_path_code();
    ASSERT_EQ(path_alloc(), 0);
    start_walk_run();
    g_pen_move = PenMove{};
    std::vector<CamNode> nodes;
    for (int k = 0; k < c.nodes; ++k)
      nodes.push_back({static_cast<float>(k), (k % 2) ? 1.0f : 0.0f, c.code});
    walk(make_item(ITEM_POLYLINE, nodes));
    const std::vector<DecodedOp> ops = decode_path();
    const std::string codes = op_codes(ops);
    ASSERT_EQ(codes.substr(0, 3), "AdZ") << c.name;
    EXPECT_EQ(codes.find_first_not_of('1', 3), std::string::npos) << c.name;
    if (c.nodes == 2) {
      EXPECT_EQ(codes, "AdZ1") << c.name;
    } else {
      EXPECT_GT(ops.size(), static_cast<size_t>(3 + c.nodes - 1)) << c.name;
    }
    EXPECT_NEAR(ops.back().values[0], c.nodes - 1, 1e-4) << c.name;
    EXPECT_NEAR(ops.back().values[1], ((c.nodes - 1) % 2) ? 1.0f : 0.0f, 1e-4) << c.name;
    for (size_t k = 3; k < ops.size(); ++k) {
      EXPECT_GT(ops[k].values[1], -0.5f) << c.name;
      EXPECT_LT(ops[k].values[1], 1.5f) << c.name;
    }
  }
}

TEST_F(WalkerTest, SpecialLinksOfAPolyline) {
  struct Case {
    const char* name;
    std::vector<CamNode> nodes;
    const char* codes;  // recorded moves
  };
  const Case cases[] = {
      {"an arc nearly flat and huge is a line", {{0, 0, 100000.0f, 0, 0, {0.5f, -99999.0f}}, {1, 0}},
       "AZ1f"},
      {"a gap lifts, moves and plunges", {{0, 0}, {1, 0, LINK_GAP}, {2, 0}, {3, 0}}, "AZ1z0Z1f"},
      {"a jump link lifts as well", {{0, 0}, {1, 0, 0, 0, LINK_JUMP}, {2, 0}}, "AZ1z0Zf"},
      {"a gap without length is nothing", {{0, 0}, {1, 0, LINK_GAP}, {1, 0}, {2, 0}}, "AZ11f"},
  };
  for (const Case& c : cases) {
    g_recorded.clear();
    start_walk_run();
    g_pen_move = PenMove{};
    DrawingItem* item = make_item(ITEM_POLYLINE, c.nodes);
    item_nodes(item)[0].sweep = c.nodes[0].code > 0 ? 0.0005f : 0.0f;
    g_encoder_inputs.current_cam_params = centerline_params();
    g_encoder_inputs.current_tool_block = centerline_params().finishing;
    curve_to_moves(item, record_move);
    EXPECT_EQ(recorded_codes(), c.codes) << c.name;
  }
}

TEST_F(WalkerTest, ASymmetricPolylineSkipsItsSymmetryLine) {
  DrawingItem* item = make_item(ITEM_POLYLINE, {{0, -5}, {0, 5}, {1, 0}, {2, 0}});
  item_nodes(item)[0].node_flags = NODE_FIRST | NODE_DUAL;
  walk(item);
  const std::vector<DecodedOp> ops = decode_path();
  ASSERT_EQ(op_codes(ops), "AdZ1");
  EXPECT_FLOAT_EQ(ops[0].values[1], 1.0f);
  EXPECT_FLOAT_EQ(ops[3].values[0], 2.0f);
}

// ---- drill points --------------------------------------------------------------------------------

DrawingItem* make_drill(WalkerTest* t, uint8_t columns, uint8_t rows, uint8_t kind,
                        float radius = 0.0f) {
  CamParams p = centerline_params();
  DrawingItem* item = t->make_item(ITEM_POINT, {{0, 0, LINK_POINT, radius, 0, {1, 1}}, {0, 0}}, p);
  set_point_array(item_closing_record(item), columns, rows, kind);
  return item;
}

TEST_F(WalkerTest, DrillPointsSendOneDrillMovePerCopyAndNoPlunge) {
  walk(make_drill(this, 2, 2, POINT_ARRAY_ROWS));
  const std::vector<DecodedOp> ops = decode_path();
  ASSERT_EQ(op_codes(ops), "Aduuuu");
  const std::vector<PointF> expected = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  for (size_t k = 0; k < expected.size(); ++k) {
    EXPECT_FLOAT_EQ(ops[2 + k].values[0], expected[k].x) << k;
    EXPECT_FLOAT_EQ(ops[2 + k].values[1], expected[k].y) << k;
    EXPECT_FLOAT_EQ(ops[2 + k].values[2], -DEPTH) << k;
  }
  EXPECT_EQ(g_walker.walk_state, WALK_ITEM_DONE);
}

TEST_F(WalkerTest, ACircularArrayWithoutRadiusDrillsNothing) {
  walk(make_drill(this, 6, 0, POINT_ARRAY_CIRCLE, 0.0f));
  EXPECT_EQ(path_codes(), "");
  // Its Z is the array's radius, not a height: a real circle starts on its first copy.
  reset_path_code();
  ASSERT_EQ(path_alloc(), 0);
  walk(make_drill(this, 4, 0, POINT_ARRAY_CIRCLE, 2.0f));
  const std::vector<DecodedOp> ops = decode_path();
  ASSERT_EQ(op_codes(ops), "Aduuuu");
  EXPECT_FLOAT_EQ(ops[0].values[1], 2.0f);
  EXPECT_FLOAT_EQ(ops[2].values[2], -DEPTH);
}

TEST(PointArrays, CopyPositionsFollowTheArrayKind) {
  struct Case {
    const char* name;
    uint8_t columns, rows, kind;
    std::vector<PointF> positions;  // in units of the spacing
  };
  const Case cases[] = {
      {"single point", 0, 0, POINT_ARRAY_NONE, {{0, 0}}},
      {"frame 3 x 2", 3, 2, POINT_ARRAY_FRAME, {{0, 0}, {1, 0}, {2, 0}, {2, 1}, {1, 1}, {0, 1}}},
      {"frame of one row", 3, 1, POINT_ARRAY_FRAME, {{0, 0}, {1, 0}}},
      {"frame of one column", 1, 3, POINT_ARRAY_FRAME, {{0, 0}, {0, 1}, {0, 2}}},
      {"rows", 2, 2, POINT_ARRAY_ROWS, {{0, 0}, {1, 0}, {1, 1}, {0, 1}}},
      {"staggered", 3, 2, POINT_ARRAY_STAGGERED,
       {{0, 0}, {1, 0}, {2, 0}, {2.5f, 1}, {1.5f, 1}, {0.5f, 1}}},
      {"staggered wide", 3, 2, POINT_ARRAY_STAGGERED_WIDE,
       {{0, 0}, {1, 0}, {1.5f, 1}, {0.5f, 1}, {-0.5f, 1}}},
      {"staggered narrow", 3, 2, POINT_ARRAY_STAGGERED_NARROW,
       {{0, 0}, {1, 0}, {2, 0}, {1.5f, 1}, {0.5f, 1}}},
  };
  for (const Case& c : cases) {
    LinkRecord records[2] = {};
    records[0].node_flags = NODE_FIRST;
    records[0].point = PointF{10, 20};
    records[0].centre = PointF{2, 3};
    records[1].node_flags = NODE_CLOSING;
    set_point_array(&records[1], c.columns, c.rows, c.kind);
    std::vector<PointF> seen;
    for_each_array_position(records, [&](const PointF& p) { seen.push_back(p); });
    ASSERT_EQ(seen.size(), c.positions.size()) << c.name;
    for (size_t k = 0; k < seen.size(); ++k) {
      EXPECT_FLOAT_EQ(seen[k].x, 10 + 2 * c.positions[k].x) << c.name << " " << k;
      EXPECT_FLOAT_EQ(seen[k].y, 20 + 3 * c.positions[k].y) << c.name << " " << k;
    }
  }
}

TEST(PointArrays, ACircleWithoutAStepSpreadsItsCopiesEvenly) {
  LinkRecord records[2] = {};
  records[0].node_flags = NODE_FIRST;
  records[0].z = 2.0f;  // radius
  records[0].start_angle = 0.0f;
  records[1].node_flags = NODE_CLOSING;
  set_point_array(&records[1], 4, 0, POINT_ARRAY_CIRCLE);
  std::vector<PointF> seen;
  for_each_array_position(records, [&](const PointF& p) { seen.push_back(p); });
  const std::vector<PointF> expected = {{2, 0}, {0, 2}, {-2, 0}, {0, -2}};
  ASSERT_EQ(seen.size(), expected.size());
  for (size_t k = 0; k < seen.size(); ++k) {
    EXPECT_NEAR(seen[k].x, expected[k].x, 1e-5) << k;
    EXPECT_NEAR(seen[k].y, expected[k].y, 1e-5) << k;
  }
}

// ---- between items -------------------------------------------------------------------------------

TEST_F(WalkerTest, TheNextItemElsewhereIsReachedByLiftResumeRapidAndPlunge) {
  struct Case {
    const char* name;
    float z_shift;
    float first_rapid_height;
    const char* codes;
    float lift_z;
  };
  const Case cases[] = {
      {"plain", 0.0f, RAPID_HEIGHT, "AdZ1z0Z1", RAPID_HEIGHT},
      {"Z shift lifts higher, then descends", 0.1f, RAPID_HEIGHT, "AdZ1z0dZ1", 0.15f},
      {"a higher rapid before raises the lift", 0.0f, 0.5f, "AdZ1z0dZ1", 0.5f},
  };
  for (const Case& c : cases) {
    ASSERT_NO_FATAL_FAILURE(restart_run());
    g_job_settings.z_shift = c.z_shift;
    CamParams first = centerline_params();
    first.rapid_height = c.first_rapid_height;
    walk(make_item(ITEM_POLYLINE, {{0, 0}, {1, 0}}, first));
    walk(make_item(ITEM_POLYLINE, {{5, 5}, {6, 5}}));
    const std::vector<DecodedOp> ops = decode_path();
    ASSERT_EQ(op_codes(ops), c.codes) << c.name;
    EXPECT_NEAR(ops[4].values[0], c.lift_z, 1e-6) << c.name;
    EXPECT_EQ(ops[5].values, (std::vector<float>{5, 5, ops[4].values[0]})) << c.name;
    if (ops[6].code == 'd') {
      EXPECT_FLOAT_EQ(ops[6].values[0], RAPID_HEIGHT) << c.name;
    }
  }
}

TEST_F(WalkerTest, TheLiftResumesWithTheFinishedWithLineSection) {
  use_definition();
  walk(make_item(ITEM_POLYLINE, {{0, 0}, {1, 0}}));
  walk(make_item(ITEM_POLYLINE, {{5, 5}, {6, 5}}));
  // START section, start, item; lift, Finished-With-Line section, rapid, plunge, item.
  EXPECT_EQ(path_codes(), "#AdZ1z#0Z1");
}

TEST_F(WalkerTest, AToolChangeResumesAtTheItemsStartWithTheToolChangeSection) {
  use_definition();
  encode_direct_item(make_item(ITEM_POLYLINE, {{0, 0}, {1, 0}}, centerline_params(DEPTH, 1)));
  encode_direct_item(make_item(ITEM_POLYLINE, {{5, 5}, {6, 5}}, centerline_params(DEPTH, 2)));
  const std::vector<DecodedOp> ops = decode_path();
  // The old tool leaves the work (z) before the change: no rapid in X and Y at its depth.
  ASSERT_EQ(op_codes(ops), "St#AdZ1Stz#AdZ1");
  EXPECT_EQ(ops[1].text, "1");
  EXPECT_EQ(ops[8].text, "2");
  ASSERT_EQ(ops[9].values.size(), 1u);
  EXPECT_GT(ops[9].values[0], 0.0f);
  EXPECT_EQ(ops[11].values, (std::vector<float>{-DEPTH, 5, 5, PATH_NO_Z}));
  EXPECT_EQ(g_walker.current_tool, 2);
  EXPECT_EQ(g_encoder_inputs.tool_change_pending, 0);
}

TEST_F(WalkerTest, SpeedsComeFromTheToolBlock) {
  CamParams p = centerline_params();
  p.finishing.feed_unit = 1;
  encode_direct_item(make_item(ITEM_POLYLINE, {{0, 0}, {1, 0}}, p));
  const std::vector<DecodedOp> ops = decode_path();
  ASSERT_GE(ops.size(), 1u);
  ASSERT_EQ(ops[0].code, 'S');
  EXPECT_EQ(ops[0].param, 1);
  EXPECT_EQ(ops[0].values, (std::vector<float>{30.0f, 15.0f, 5000.0f}));
}

// ---- depth passes and the second pass ------------------------------------------------------------

TEST(CenterlinePasses, PassCountFollowsDepthOverStepDown) {
  struct Case {
    float depth, step_down;
    int passes;
  };
  const Case cases[] = {
      {0.1f, 0.03f, 4},    {0.1f, 0.1f, 1},  {0.1f, 0.2f, 1},     {0.1f, 0.0f, 1},
      {0.1f, 0.00005f, 1}, {0.06f, 0.03f, 2}, {1.0f, 0.25f, 4},   {1.0f, 0.3f, 4},
      {0.1f, 0.0333334f, 3},
  };
  for (const Case& c : cases)
    EXPECT_EQ(centerline_pass_count(c.depth, c.step_down), c.passes)
        << c.depth << " / " << c.step_down;
}

TEST_F(WalkerTest, ACenterlineItemIsCutInEqualDepthPasses) {
  struct Case {
    const char* name;
    bool closed;
    const char* codes;
  };
  const Case cases[] = {
      {"open: each pass goes back to the start", false, "StAdZ1z0Z1z0Z1z0Z1"},
      {"closed: each pass plunges where the last ended", true, "StAdZ1111Z1111Z1111Z1111"},
  };
  for (const Case& c : cases) {
    ASSERT_NO_FATAL_FAILURE(restart_run());
    CamParams p = centerline_params(0.1f);
    p.finishing.step_down = 0.03f;
    std::vector<CamNode> nodes = {{0, 0}, {1, 0}};
    if (c.closed) nodes = {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0, 0}};
    ASSERT_EQ(encode_direct_item(make_item(ITEM_POLYLINE, nodes, p)), WALK_ENCODED);
    const std::vector<DecodedOp> ops = decode_path();
    EXPECT_EQ(op_codes(ops), c.codes) << c.name;
    const std::vector<float> depths = plunge_depths(ops);
    const std::vector<float> expected = {-0.025f, -0.05f, -0.075f, -0.1f};
    ASSERT_EQ(depths.size(), expected.size()) << c.name;
    for (size_t k = 0; k < depths.size(); ++k) EXPECT_NEAR(depths[k], expected[k], 1e-6) << c.name;
    EXPECT_FLOAT_EQ(depths.back(), -0.1f) << c.name << ": the last pass reaches the depth";
  }
}

TEST_F(WalkerTest, TheSecondPassCutsDeeperAtItsOwnSpeeds) {
  CamParams p = centerline_params(0.1f);
  p.finishing.second_pass_depth = 0.02f;
  encode_direct_item(make_item(ITEM_POLYLINE, {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0, 0}}, p));
  const std::vector<DecodedOp> ops = decode_path();
  ASSERT_EQ(op_codes(ops), "StAdZ1111SZ1111");
  EXPECT_EQ(ops[9].values, (std::vector<float>{5.0f, 2.5f, 3000.0f}));
  EXPECT_NEAR(ops[10].values[0], -0.12f, 1e-6);
  EXPECT_EQ(g_walker.second_pass, 0);
  EXPECT_EQ(g_walker.walk_state, WALK_ITEM_DONE);
}

TEST_F(WalkerTest, AThreeDItemStandsOnItsFirstNodesHeightInEveryPass) {
  CamParams p = centerline_params(0.1f);
  p.finishing.step_down = 0.05f;
  encode_direct_item(
      make_item(ITEM_POLYLINE, {{0, 0, 0, 0.5f}, {1, 0, 0, 0.5f}, {0, 0, 0, 0.5f}}, p));
  const std::vector<float> depths = plunge_depths(decode_path());
  ASSERT_EQ(depths.size(), 2u);
  EXPECT_NEAR(depths[0], 0.45f, 1e-6);
  EXPECT_NEAR(depths[1], 0.4f, 1e-6);
}

// ---- what the direct phase can not cut -------------------------------------------------------------

TEST_F(WalkerTest, TextItemsAreCountedAsSkippedAndDrawingAidsRefused) {
  ASSERT_EQ(new_geometry_block("HELLO", nullptr, 4, 0, GEOMETRY_KIND_TEXT), 0);
  DrawingItem* text = g_lists.current.last;
  text->kind = ITEM_TEXT;
  EXPECT_EQ(encode_direct_item(text), WALK_SKIPPED_TEXT);
  EXPECT_EQ(encode_direct_item(text), WALK_SKIPPED_TEXT);
  EXPECT_EQ(g_walker.skipped_text_items, 2);
  EXPECT_EQ(path_codes(), "");
  DrawingItem* aid =
      make_item(ITEM_POLYLINE, {{0, 0}, {1, 0}}, CamParams{}, GEOMETRY_KIND_DRAWING_AID);
  EXPECT_EQ(encode_direct_item(aid), WALK_NOT_MACHINABLE);
  EXPECT_EQ(path_codes(), "");
  start_walk_run();
  EXPECT_EQ(g_walker.skipped_text_items, 0);
}

TEST_F(WalkerTest, AnItemMarkedForAResetIsOneResetMove) {
  use_definition();
  CamParams p = centerline_params();
  p.item_marker = CAM_ITEM_MARKER_MOVE;
  EXPECT_EQ(encode_direct_item(make_item(ITEM_POLYLINE, {{0, 0}, {1, 0}}, p)), WALK_ENCODED);
  EXPECT_EQ(path_codes(), "#");
}

TEST_F(WalkerTest, OutlineCopiesAreFramedByContourStartAndEnd) {
  CamParams p = centerline_params();
  p.operation = CAM_OP_CONTOUR_OUTSIDE;
  p.surface_z = -0.01f;
  encode_direct_item(make_item(ITEM_RECTANGLE, {{2, 3}, {4, 3}, {4, 4}, {2, 4}, {2, 3}}, p));
  const std::vector<DecodedOp> ops = decode_path();
  ASSERT_EQ(op_codes(ops), "SoAdZ1111$");
  EXPECT_EQ(ops[1].values, (std::vector<float>{2, 3, -0.01f}));
  EXPECT_EQ(g_walker.contour_started, 1);
}

// ---- tool-path items -----------------------------------------------------------------------------

TEST_F(WalkerTest, AThreeDLineOfAToolPathItemPlungesToItsStartOnlyFromAbove) {
  struct Case {
    const char* name;
    bool pen_at_start;
    const char* codes;
  };
  const Case cases[] = {
      {"pen at the rapid height", false, "AdZV"},
      {"pen already at the start", true, "V"},
  };
  for (const Case& c : cases) {
    ASSERT_NO_FATAL_FAILURE(restart_run());
    if (c.pen_at_start) {
      g_walker.walk_state = WALK_ITEM_DONE;
      g_pen_move.z = -0.2f;
    }
    DrawingItem* item = make_item(
        ITEM_POLYLINE, {{0, 0, TOOL_PATH_3D_LINE_CODE, -0.2f}, {1, 0, 0, -0.3f}});
    ASSERT_EQ(encode_tool_path_item(item, PATH_OP_TOOL_FINISHING), WALK_ENCODED);
    std::vector<DecodedOp> ops = decode_path();
    ASSERT_GE(ops.size(), 2u) << c.name;
    ASSERT_EQ(op_codes(ops).substr(0, 2), "Sf") << c.name;
    ops.erase(ops.begin(), ops.begin() + 2);
    EXPECT_EQ(op_codes(ops), c.codes) << c.name;
    if (!c.pen_at_start) {
      EXPECT_FLOAT_EQ(ops[2].values[0], -0.2f) << c.name;
    }
    EXPECT_EQ(ops.back().values, (std::vector<float>{1, 0, -0.3f})) << c.name;
  }
}

TEST_F(WalkerTest, RapidLinksOfAToolPathItemLiftAndComeDownAtTheNextDepth) {
  DrawingItem* item = make_item(ITEM_POLYLINE, {{0, 0, 0, -0.1f},
                                                {1, 0, 0, -0.1f, TOOL_PATH_RAPID_LINK},
                                                {3, 0, 0, -0.2f},
                                                {4, 0, 0, -0.2f}});
  g_encoder_inputs.current_cam_params = centerline_params();
  item_to_moves(item);
  const std::vector<DecodedOp> ops = decode_path();
  ASSERT_EQ(op_codes(ops), "AdZ1z0Z1");
  EXPECT_FLOAT_EQ(ops[2].values[0], -0.1f);
  EXPECT_FLOAT_EQ(ops[4].values[0], RAPID_HEIGHT);
  EXPECT_FLOAT_EQ(ops[6].values[0], -0.2f);
}

TEST_F(WalkerTest, AToolPathItemElsewhereIsReachedByTheLiftAndPlungesToItsFirstCut) {
  g_encoder_inputs.current_cam_params = centerline_params();
  item_to_moves(make_item(ITEM_POLYLINE, {{0, 0, 0, -0.1f}, {1, 0, 0, -0.1f}}));
  item_to_moves(make_item(ITEM_POLYLINE, {{5, 0, 0, -0.2f}, {6, 0, 0, -0.2f}}));
  const std::vector<DecodedOp> ops = decode_path();
  ASSERT_EQ(op_codes(ops), "AdZ1z0Z1");
  EXPECT_FLOAT_EQ(ops[6].values[0], -0.2f);
  // Roughing and finishing tools change with their own opcodes.
  reset_path_code();
  ASSERT_EQ(path_alloc(), 0);
  start_walk_run();
  CamParams p = centerline_params();
  p.roughing = p.finishing;
  p.roughing.tool_number = 3;
  encode_tool_path_item(make_item(ITEM_POLYLINE, {{0, 0}, {1, 0}}, p), PATH_OP_TOOL_ROUGHING);
  encode_tool_path_item(make_item(ITEM_POLYLINE, {{1, 0}, {2, 0}}, p), PATH_OP_TOOL_FINISHING);
  const std::vector<DecodedOp> tool_ops = decode_path();
  const std::string codes = op_codes(tool_ops);
  ASSERT_EQ(codes.substr(0, 2), "Sr");
  EXPECT_EQ(tool_ops[1].text, "3");
  EXPECT_NE(codes.find('f'), std::string::npos);
}

}  // namespace
