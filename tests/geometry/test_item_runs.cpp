#include <gtest/gtest.h>

#include <vector>

#include "item_fixture.h"

namespace {

using RunTest = ItemTest;

// An open item along the x axis with the given link codes.
std::vector<NodeSpec> along_x(const std::vector<float>& codes) {
  std::vector<NodeSpec> nodes;
  for (size_t i = 0; i < codes.size(); ++i)
    nodes.push_back(NodeSpec{static_cast<float>(i * 10), 0, codes[i]});
  nodes.push_back(NodeSpec{static_cast<float>(codes.size() * 10), 0});
  return nodes;
}

struct SearchCase {
  const char* name;
  std::vector<float> codes;
  int from;
  float code;
  int expected;
  int marked = -1;     // node with LINK_NODE_MARKED
  int jump = -1;       // link with LINK_JUMP
  int loose = -1;      // interior nodes are tangent except this one
  bool dual = false;
};

class RunSearchTest : public ItemTest {
 protected:
  LinkRecord* prepare(const SearchCase& c) {
    DrawingItem* item = make_item(along_x(c.codes));
    LinkRecord* r = item_nodes(item);
    for (size_t i = 1; i < c.codes.size(); ++i)
      r[i].node_flags = static_cast<int>(i) == c.loose ? NODE_LOOSE : NODE_TANGENT;
    if (c.marked >= 0) r[c.marked].link_flags |= LINK_NODE_MARKED;
    if (c.jump >= 0) r[c.jump].link_flags |= LINK_JUMP;
    if (c.dual) r[0].node_flags |= NODE_DUAL;
    return r;
  }
};

TEST_F(RunSearchTest, RunStartStopsWhereTheRunBegins) {
  const float L = LINK_RIGID_LINE, F = LINK_FLEXIBLE_LINE, S = LINK_SPLINE;
  const SearchCase cases[] = {
      {"lines are one class up to the first node", {F, L, L, 5.0f}, 2, L, 0},
      {"a link of another code ends it", {5.0f, L, L}, 2, L, 1},
      {"a marked node", {L, L, L, L}, 3, L, 1, 1},
      {"a jump link", {L, L, L, L}, 3, L, 2, -1, 1},
      {"a loose node ends a curve run", {S, S, S, S}, 3, S, 2, -1, -1, 2},
      {"a loose node does not end a line run", {L, L, L, L}, 3, L, 0, -1, -1, 2},
      {"a dual polyline's own links start at 2", {L, L, L, L, L}, 4, L, 2, -1, -1, -1, true},
  };
  for (const SearchCase& c : cases) {
    LinkRecord* r = prepare(c);
    EXPECT_EQ(find_run_start(r + c.from, c.code) - r, c.expected) << c.name;
  }
}

TEST_F(RunSearchTest, RunEndStopsWhereTheRunEnds) {
  const float L = LINK_RIGID_LINE, F = LINK_FLEXIBLE_LINE, S = LINK_SPLINE;
  const SearchCase cases[] = {
      {"lines run to the closing record", {F, L, F}, 0, L, 3},
      {"a marked node", {L, L, L, L}, 0, L, 2, 2},
      {"a jump link", {L, L, L, L}, 0, L, 2, -1, 2},
      {"a loose node ends a curve run", {S, S, S, S}, 0, S, 2, -1, -1, 2},
      {"a link of another code", {L, S, S}, 0, L, 1},
      {"a record outside the run is itself", {L, 5.0f}, 1, L, 1},
  };
  for (const SearchCase& c : cases) {
    LinkRecord* r = prepare(c);
    EXPECT_EQ(find_run_end(r + c.from, c.code) - r, c.expected) << c.name;
  }
}

TEST_F(RunSearchTest, CurveRunsEndAtLooseNodesJumpsAndOtherCodes) {
  const float F = LINK_FLEXIBLE_LINE, S = LINK_SPLINE;
  SearchCase c = {"middle run", {F, S, S, S, F}, 0, S, 0, -1, -1, 1};
  LinkRecord* r = prepare(c);
  r[4].node_flags = NODE_LOOSE;
  EXPECT_EQ(find_curve_run_start(r + 3, S) - r, 1);
  EXPECT_EQ(find_curve_run_end(r + 1, S) - r, 4);
  EXPECT_EQ(find_curve_run_end(r + 2, S) - r, 4);
  r[2].link_flags |= LINK_JUMP;
  EXPECT_EQ(find_curve_run_start(r + 3, S) - r, 3);
  EXPECT_EQ(find_curve_run_end(r + 1, S) - r, 2);
  EXPECT_EQ(find_curve_run_start(r + 0, S) - r, 1) << "a record of another code";
}

TEST_F(RunTest, SetCodeFromNodeRecodesToTheEnd) {
  DrawingItem* item = make_item(along_x({0, 0, 0, 0}));
  LinkRecord* r = item_nodes(item);
  set_code_from_node(r + 1, LINK_SPLINE, 0);
  const float codes[4] = {0, LINK_SPLINE, LINK_SPLINE, LINK_SPLINE};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(r[i].code, codes[i]) << "link " << i;
  EXPECT_EQ(r[1].node_flags, NODE_LOOSE) << "a spline keeps its start node";
  EXPECT_EQ(r[2].node_flags, NODE_TANGENT);
  EXPECT_EQ(r[3].node_flags, NODE_TANGENT);
  EXPECT_EQ(r[4].node_flags, NODE_CLOSING);
}

TEST_F(RunTest, SetCodeFromNodeStopsAtMarkedNodesAndOptionallyAtJumps) {
  DrawingItem* item = make_item(along_x({0, 0, 0, 0}));
  LinkRecord* r = item_nodes(item);
  r[2].node_flags = NODE_TANGENT;
  r[3].node_flags = NODE_TANGENT;
  r[3].link_flags = LINK_NODE_MARKED;
  set_code_from_node(r, LINK_RIGID_LINE, 0);
  EXPECT_EQ(r[0].node_flags, NODE_FIRST);
  EXPECT_EQ(r[2].code, LINK_RIGID_LINE);
  EXPECT_EQ(r[2].node_flags, NODE_LOOSE);
  EXPECT_EQ(r[3].code, 0.0f);
  EXPECT_EQ(r[3].node_flags, NODE_LOOSE) << "the marked node ends the walk, loose";

  r[3].link_flags = 0;
  r[2].link_flags = LINK_JUMP;
  set_code_from_node(r, 7.0f, SET_CODE_STOP_AT_JUMP);
  EXPECT_EQ(r[1].code, 7.0f);
  EXPECT_EQ(r[2].code, LINK_RIGID_LINE);
}

TEST_F(RunTest, SetCodeOnRunTurnsLinesIntoASplineRun) {
  DrawingItem* item = make_item(along_x({0, -1, 0, -1, 5.0f}));
  LinkRecord* r = item_nodes(item);
  set_code_on_run(r + 2, LINK_SPLINE);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(r[i].code, LINK_SPLINE) << "link " << i;
  EXPECT_EQ(r[4].code, 5.0f);
  EXPECT_EQ(r[0].node_flags, NODE_FIRST);
  for (int i = 1; i < 4; ++i) EXPECT_EQ(r[i].node_flags, NODE_TANGENT) << "node " << i;
  EXPECT_EQ(r[4].node_flags, NODE_LOOSE) << "where the run ends";
}

TEST_F(RunTest, SetCodeOnRunTurnsASplineRunBackIntoLines) {
  DrawingItem* item = make_item(along_x({LINK_SPLINE, LINK_SPLINE, LINK_SPLINE, 0}));
  LinkRecord* r = item_nodes(item);
  r[1].node_flags = NODE_TANGENT;
  r[2].node_flags = NODE_TANGENT;
  set_code_on_run(r + 1, LINK_FLEXIBLE_LINE);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(r[i].code, 0.0f) << "link " << i;
  for (int i = 1; i < 4; ++i) EXPECT_EQ(r[i].node_flags, NODE_LOOSE) << "node " << i;
}

TEST_F(RunTest, SetCodeOnRunMakesQuadraticsWithMidChordControlPoints) {
  DrawingItem* item = make_item(along_x({-1, -1}));
  LinkRecord* r = item_nodes(item);
  set_code_on_run(r, LINK_QUADRATIC);
  EXPECT_EQ(r[0].code, LINK_QUADRATIC);
  EXPECT_EQ(r[1].code, LINK_QUADRATIC);
  EXPECT_EQ(r[0].centre.x, 5.0f);
  EXPECT_EQ(r[1].centre.x, 15.0f);
  EXPECT_EQ(r[1].node_flags, NODE_LOOSE);
}

TEST_F(RunTest, SetCodeOnRunTakesArcsAndFlexibleLinesAsOneArcRun) {
  DrawingItem* item = make_item(along_x({0, 4.0f, 0, 3.0f, -1}));
  LinkRecord* r = item_nodes(item);
  set_code_on_run(r + 1, -1.0f);
  const float codes[5] = {0, -1, -1, -1, -1};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(r[i].code, codes[i]) << "link " << i;
}

TEST_F(RunTest, RecodeAllLinesSkipsJumpsSymmetryLinesAndTextFrames) {
  DrawingItem* plain = make_item(along_x({-1, -1, 0}));
  item_nodes(plain)[1].link_flags = LINK_JUMP;
  DrawingItem* symmetric = make_item(along_x({-1, -1, -1, -1}));
  item_nodes(symmetric)[0].node_flags |= NODE_DUAL;
  ASSERT_EQ(new_geometry_block("text", nullptr, 4, 0, GEOMETRY_KIND_TEXT), 0);
  DrawingItem* text = g_lists.current.last;

  EXPECT_EQ(recode_all_lines(LINK_FLEXIBLE_LINE), 3);
  EXPECT_EQ(item_nodes(plain)[0].code, 0.0f);
  EXPECT_EQ(item_nodes(plain)[1].code, -1.0f);
  EXPECT_EQ(item_nodes(symmetric)[1].code, -1.0f);
  EXPECT_EQ(item_nodes(symmetric)[2].code, 0.0f);
  EXPECT_EQ(item_nodes(text)[1].code, -1.0f);

  EXPECT_EQ(recode_all_lines(LINK_RIGID_LINE), 4);
  EXPECT_EQ(item_nodes(plain)[2].code, -1.0f);
  EXPECT_EQ(item_nodes(text)[0].code, 0.0f);
}

// ---- kind conversions ----

TEST_F(RunTest, PlainPolylineFromPolygonAndCircles) {
  DrawingItem* polygon = make_item({{0, 0, -1}, {10, 0, -1}, {5, 8, -1}, {0, 0}}, ITEM_POLYGON);
  EXPECT_EQ(make_plain_polyline(polygon), 1);
  EXPECT_EQ(item_type(polygon), ITEM_POLYLINE);
  EXPECT_EQ(item_nodes(polygon)[0].code, LINK_FLEXIBLE_LINE);
  EXPECT_EQ(item_nodes(polygon)[1].code, LINK_RIGID_LINE);
  EXPECT_EQ(item_nodes(polygon)[2].point.y, 8.0f);

  struct Case {
    const char* name;
    uint8_t type;
    float sweep;
    PointF node, next, centre;
    PointF through;  // the node the full circle passes
  };
  const Case cases[] = {
      {"radius circle", ITEM_CIRCLE, SWEEP_RADIUS_CIRCLE, {0, 0}, {3, 0}, {0, 0}, {3, 0}},
      {"diameter circle", ITEM_CIRCLE, SWEEP_DIAMETER_CIRCLE, {0, 0}, {4, 0}, {2, 0}, {0, 0}},
      {"polyline with a circle code", ITEM_POLYLINE, SWEEP_CENTRE_CIRCLE, {0, 3}, {0, 3},
       {0, 0}, {0, 3}},
  };
  for (const Case& c : cases) {
    DrawingItem* item = make_item({{c.node.x, c.node.y, 3.0f}, {c.next.x, c.next.y}}, c.type);
    LinkRecord* r = item_nodes(item);
    r[0].centre = c.centre;
    r[0].sweep = c.sweep;
    EXPECT_EQ(make_plain_polyline(item), 1) << c.name;
    EXPECT_EQ(item_type(item), ITEM_POLYLINE) << c.name;
    EXPECT_EQ(r[0].sweep, ANGLE_TWO_PI_F) << c.name;
    EXPECT_EQ(r[0].point.x, c.through.x) << c.name;
    EXPECT_EQ(r[0].point.y, c.through.y) << c.name;
    EXPECT_EQ(r[1].point.x, c.through.x) << c.name;
    EXPECT_EQ(r[1].point.y, c.through.y) << c.name;
  }
}

TEST_F(RunTest, PlainPolylineRefusesEllipsesPointsAndTexts) {
  for (uint8_t type : {ITEM_ELLIPSE, ITEM_POINT, ITEM_TEXT_LIKE, ITEM_TEXT}) {
    DrawingItem* item = make_item({{0, 0}, {1, 0}}, type);
    EXPECT_EQ(make_plain_polyline(item), 0) << int{type};
    EXPECT_EQ(item_type(item), type);
  }
}

TEST_F(RunTest, MakeNodesLooseKeepsTheItemClosed) {
  DrawingItem* item = make_item({{0, 0, LINK_SPLINE, NODE_FIRST | NODE_TANGENT},
                                 {10, 0, LINK_SPLINE, NODE_TANGENT},
                                 {5, 8, LINK_SPLINE, NODE_KIND_OTHER},
                                 {0, 0}});
  make_nodes_loose(item);
  const LinkRecord* r = item_nodes(item);
  EXPECT_EQ(r[0].node_flags, NODE_FIRST | NODE_LOOSE);
  EXPECT_EQ(r[1].node_flags, NODE_LOOSE);
  EXPECT_EQ(r[2].node_flags, NODE_LOOSE);
  EXPECT_EQ(r[3].node_flags, NODE_CLOSING);
  DrawingItem* rectangle = make_item({{0, 0}, {1, 0, 0, NODE_TANGENT}, {1, 1}}, ITEM_RECTANGLE);
  make_nodes_loose(rectangle);
  EXPECT_EQ(item_nodes(rectangle)[1].node_flags, NODE_TANGENT) << "polylines only";
}

TEST_F(RunTest, SymmetricConversionRefusesAndRestoresWithoutLeavingTheBackup) {
  ASSERT_EQ(new_geometry_block("t", nullptr, 4, 0, GEOMETRY_KIND_TEXT), 0);
  EXPECT_EQ(convert_to_symmetric_polyline(g_lists.current.last), 0);

  DrawingItem* open = make_item(along_x({0, 0, 0}), ITEM_POLYLINE);
  const int32_t lines = count_current_lines();
  // The menu for an open item is cancelled: the item stays as it was.
  EXPECT_EQ(convert_to_symmetric_polyline(open), 0);
  EXPECT_EQ(item_link_count(open), 3);
  EXPECT_EQ(count_current_lines(), lines);
  EXPECT_EQ(g_host_log.redraw_requests, 1);

  DrawingItem* closed = make_item({{0, 0, -1, NODE_FIRST | NODE_LOOSE}, {10, 0, -1}, {10, 10, -1},
                                   {0, 10, -1}, {0, 0}},
                                  ITEM_RECTANGLE);
  const size_t size = geometry_block_stored_size(0, 4);
  std::vector<uint8_t> before(size), after(size);
  write_geometry_block(item_block(closed), before.data());
  // The converter refuses: the backup's block comes back.
  EXPECT_EQ(convert_to_symmetric_polyline(closed), -1);
  write_geometry_block(item_block(closed), after.data());
  EXPECT_EQ(before, after);
  EXPECT_EQ(item_type(closed), ITEM_RECTANGLE);
  EXPECT_EQ(count_current_lines(), lines + 1);
  EXPECT_EQ(g_host_log.redraw_requests, 2);

  item_nodes(closed)[0].node_flags |= NODE_DUAL;
  EXPECT_EQ(convert_to_symmetric_polyline(closed), 0) << "already symmetric";
}

TEST_F(RunTest, DropSymmetryOnlyForDualPolylines) {
  DrawingItem* item = make_item(along_x({0, 0, 0, 0}));
  EXPECT_EQ(drop_symmetry(item), 0);
  item_nodes(item)[0].node_flags |= NODE_DUAL;
  EXPECT_EQ(drop_symmetry(item), 1);
  EXPECT_EQ(item_nodes(item)[0].node_flags & NODE_SYMMETRY_MASK, 0);
}

}  // namespace
