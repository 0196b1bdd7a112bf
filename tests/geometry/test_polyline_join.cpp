// Joining polylines whose ends touch: the touching rule, the nearest-end search, the join of two
// items, the silent loop join and the batch join with its progress and Esc.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "geometry/geometry2d.h"
#include "geometry/polyline_ends.h"
#include "geometry/polyline_join.h"
#include "records/preferences.h"
#include "tests/geometry/item_fixture.h"

namespace {

constexpr float GAP = 0.005f;

class PolylineJoin : public ItemTest {
 protected:
  void SetUp() override {
    ItemTest::SetUp();
    g_preferences = Preferences{};
    g_preferences.gap_tolerance = GAP;
    g_job_settings.units = JOB_UNITS_MILLIMETRE;
  }
  static int items() { return count_current_lines(); }
  static std::vector<uint8_t> bytes(const DrawingItem* item) {
    const LinkRecord* r = item_nodes(item);
    const size_t n = static_cast<size_t>(item_link_count(item));
    std::vector<uint8_t> out(n * sizeof(LinkRecord) + LINK_NODE_PART_SIZE);
    std::memcpy(out.data(), r, out.size());
    return out;
  }
  // Shoelace area of the item's nodes (straight links only).
  static double area(const DrawingItem* item) {
    const LinkRecord* r = item_nodes(item);
    const int n = item_link_count(item);
    double a = 0;
    for (int k = 0; k < n; ++k)
      a += static_cast<double>(r[k].point.x) * r[k + 1].point.y -
           static_cast<double>(r[k + 1].point.x) * r[k].point.y;
    return a / 2;
  }
};

TEST_F(PolylineJoin, EndsTouchAtTheGapAndNotAHairBeyondInTheRuleOrder) {
  struct Case {
    const char* what;
    float bx0, by0, bx1, by1;  // b's start and end; a runs (0, 0) to (10, 0)
    int expected;
  };
  const float hair = 0.0001f;
  const Case cases[] = {
      {"end to start at the gap", 10, GAP, 20, 0, TOUCH_END_START},
      {"end to start a hair beyond", 10, GAP + hair, 20, 0, TOUCH_NONE},
      {"end to end", 20, 0, 10, GAP, TOUCH_END_END},
      {"start to start", 0, -GAP, -5, -5, TOUCH_START_START},
      {"start to end", -5, 5, -GAP, 0, TOUCH_START_END},
      {"end meets both of b's ends: end to start wins", 10, 0, 10, 0.001f, TOUCH_END_START},
      {"a's end and start both touch: the end wins", 10, 0, 0, 0, TOUCH_END_START},
  };
  for (const Case& c : cases) {
    DrawingItem* a = make_item({{0, 0}, {10, 0}});
    DrawingItem* b = make_item({{c.bx0, c.by0}, {c.bx1, c.by1}});
    EXPECT_EQ(touching_ends(a, b), c.expected) << c.what;
    free_current_list();
  }
}

TEST_F(PolylineJoin, NearestEndsComeNearestFirstLaterItemsFirstOnTiesAtMostNine) {
  DrawingItem* far = make_item({{3, 0}, {9, 9}});     // start at 3
  DrawingItem* tie1 = make_item({{8, 8}, {1, 0}});    // end at 1
  DrawingItem* tie2 = make_item({{0, 1}, {7, 7}});    // start at 1
  DrawingItem* out = make_item({{50, 0}, {60, 0}});   // beyond the distance
  JoinCandidate table[JOIN_CANDIDATES_MAX];
  ASSERT_EQ(find_nearest_ends({0, 0}, 10, table), 3);
  EXPECT_EQ(table[0].item, tie2);
  EXPECT_EQ(table[0].end, JOIN_SELECT_START);
  EXPECT_EQ(table[1].item, tie1);
  EXPECT_EQ(table[1].end, JOIN_SELECT_END);
  EXPECT_EQ(table[2].item, far);
  (void)out;
  // A full table keeps the nine nearest.
  for (int k = 0; k < 12; ++k) make_item({{0.1f * static_cast<float>(k + 1), 5}, {0, 20}});
  const int count = find_nearest_ends({0, 0}, 100, table);
  EXPECT_EQ(count, JOIN_CANDIDATES_MAX);
  for (int k = 1; k < count; ++k) EXPECT_LE(table[k - 1].distance, table[k].distance);
  EXPECT_LE(table[count - 1].distance, 5.05f);
}

// Two arcs of one circle meeting at a joint: one polyline whose second arc has exactly the first
// arc's centre and radius, behind a tangent node.
TEST_F(PolylineJoin, TangentArcsOfOneCircleJoinSmoothlyOntoTheFirstCircle) {
  DrawingItem* second = make_item({{0, 5, 5.0f}, {-5, 0}});
  item_nodes(second)[0].centre = {0.00002f, 0.00003f};
  item_nodes(second)[0].code = 5.000004f;
  arc_angles_from_points(item_nodes(second));
  DrawingItem* first = make_item({{5, 0, 5.0f}, {0, 5}});
  item_nodes(first)[0].centre = {0, 0};
  arc_angles_from_points(item_nodes(first));
  EXPECT_EQ(join_polylines(second, 0, JOIN_IF_TOUCHING, 0, 0), 1);
  ASSERT_EQ(items(), 1);
  const DrawingItem* joined = g_lists.current.last;
  const LinkRecord* r = item_nodes(joined);
  ASSERT_EQ(item_link_count(joined), 2);
  EXPECT_EQ(r[1].node_flags, NODE_TANGENT);
  EXPECT_EQ(r[1].centre.x, 0.0f);
  EXPECT_EQ(r[1].centre.y, 0.0f);
  EXPECT_EQ(r[1].code, 5.0f);
  EXPECT_EQ(r[2].node_flags, NODE_CLOSING);
}

TEST_F(PolylineJoin, BridgesAsIsStayOpenWithALineTheyClose) {
  // W runs round three sides; C is the fourth side, 0.5 short at both ends.
  const auto build = [this] {
    DrawingItem* c = make_item({{0, 10.5f}, {0, 0.5f}});
    make_item({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    return c;
  };
  DrawingItem* c = build();
  EXPECT_EQ(join_polylines(c, 0, JOIN_AS_IS, JOIN_SELECT_END, JOIN_SELECT_START), 1);
  ASSERT_EQ(items(), 1);
  DrawingItem* joined = g_lists.current.last;
  ASSERT_EQ(item_link_count(joined), 5);
  EXPECT_EQ(item_nodes(joined)[3].code, LINK_GAP);
  EXPECT_FALSE(item_is_closed(joined));
  free_current_list();
  c = build();
  // The line bridges (0, 10) to C's start; C's end is still 0.5 from W's start: not closed.
  EXPECT_EQ(join_polylines(c, 0, JOIN_WITH_LINE, JOIN_SELECT_END, JOIN_SELECT_START), 1);
  joined = g_lists.current.last;
  EXPECT_EQ(item_nodes(joined)[3].code, LINK_FLEXIBLE_LINE);
  free_current_list();
  // C ending within the gap of W's start closes with the line (W's end to C's start given,
  // since the touching rule would pair W's start with C's end first).
  c = make_item({{0, 10.5f}, {0, 0.001f}});
  make_item({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
  EXPECT_EQ(join_polylines(c, JOIN_PAIRING_GIVEN | TOUCH_END_START, JOIN_WITH_LINE, 0, 0),
            1 | JOIN_CLOSED_BIT);
  EXPECT_TRUE(item_is_closed(g_lists.current.last));
  // Ends that do not touch are refused for "Join if touching", and nothing changes.
  free_current_list();
  c = build();
  const std::vector<uint8_t> before_c = bytes(c);
  const std::vector<uint8_t> before_w = bytes(g_lists.current.last);
  EXPECT_EQ(join_polylines(c, 0, JOIN_IF_TOUCHING, JOIN_SELECT_END, JOIN_SELECT_START), 0);
  EXPECT_EQ(items(), 2);
  EXPECT_EQ(bytes(c), before_c);
  EXPECT_EQ(bytes(g_lists.current.last), before_w);
}

// Refused joins leave both items byte for byte: a symmetric candidate, and a pairing that
// needs both items turned round before the candidate is found symmetric.
TEST_F(PolylineJoin, ARefusedJoinLeavesBothItemsAsTheyWere) {
  DrawingItem* dual = make_item({{0, 0}, {0, 5}, {0, 10}, {3, 3}, {10, 0}});
  item_nodes(dual)[0].node_flags |= NODE_DUAL;
  DrawingItem* w = make_item({{20, 20}, {10, 0}});
  const std::vector<uint8_t> before_c = bytes(dual);
  const std::vector<uint8_t> before_w = bytes(w);
  EXPECT_EQ(join_polylines(dual, JOIN_PAIRING_GIVEN | TOUCH_END_END, JOIN_WITH_LINE, 0, 0), 0);
  EXPECT_EQ(bytes(dual), before_c);
  EXPECT_EQ(bytes(w), before_w);
  EXPECT_EQ(items(), 2);
}

// Seeded polylines of lines and arcs with marks, Z and flags: turned round twice they are the
// same bytes; symmetric ones too (about a symmetry line on an axis, where mirroring is exact).
TEST_F(PolylineJoin, ReversingTwiceRestoresTheStoredBytes) {
  std::mt19937 random(33);
  std::uniform_real_distribution<float> coordinate(-50, 50);
  for (int round = 0; round < 40; ++round) {
    const bool dual = round % 4 == 3;
    std::vector<NodeSpec> nodes;
    if (dual) nodes = {{0, -10}, {0, 0}, {0, 10}};
    const int links = 2 + static_cast<int>(random() % 8);
    for (int k = 0; k <= links; ++k) nodes.push_back({coordinate(random), coordinate(random)});
    DrawingItem* item = make_item(nodes);
    LinkRecord* r = item_nodes(item);
    for (int k = 0; k <= links + (dual ? 2 : 0); ++k) {
      r[k].z = static_cast<float>(random() % 100) / 8.0f;
      if (random() % 3 == 0) r[k].link_flags |= LINK_NODE_MARKED;
      if (random() % 4 == 0) r[k].link_flags |= LINK_JUMP;
    }
    const int first_geometry = dual ? 2 : 0;
    for (int k = first_geometry; k < item_link_count(item); ++k) {
      if (random() % 2 == 0) continue;
      const PointF& a = r[k].point;
      const PointF& b = r[k + 1].point;
      const float half = point_distance(&a, &b) / 2;
      r[k].code = half * (1.5f + static_cast<float>(random() % 4));
      if (random() % 2 == 0) r[k].link_flags |= LINK_CLOCKWISE;
      rederive_arc(&r[k]);
    }
    if (dual) r[0].node_flags |= NODE_DUAL;
    if (random() % 5 == 0) r[0].node_flags |= NODE_LOOSE;  // closed
    item_bounding_boxes(item);
    const std::vector<uint8_t> before = bytes(item);
    ASSERT_EQ(reverse_polyline(item), 0) << round;
    EXPECT_NE(bytes(item), before) << round;
    ASSERT_EQ(reverse_polyline(item), 0) << round;
    EXPECT_EQ(bytes(item), before) << round;
    free_current_list();
  }
}

// A symmetric polyline turns round as its mirror image about its symmetry line.
TEST_F(PolylineJoin, ASymmetricPolylineReversesByItsMirrorImage) {
  DrawingItem* dual = make_item({{0, 0}, {0, 5}, {0, 10}, {2, 8}, {3, 1}});
  item_nodes(dual)[0].node_flags |= NODE_DUAL;
  EXPECT_EQ(reverse_polyline(dual), 0);
  const LinkRecord* r = item_nodes(dual);
  EXPECT_EQ(r[3].point.x, -2.0f);
  EXPECT_EQ(r[3].point.y, 8.0f);
  EXPECT_EQ(r[4].point.x, -3.0f);
  EXPECT_EQ(r[0].point.y, 0.0f);
  EXPECT_EQ(items(), 1);
}

// Loops cut into pieces, shuffled and half of them turned round: the batch join gives each loop
// back closed with its area; an Esc at the first progress step keeps what was joined by then.
class BatchJoin : public PolylineJoin {
 protected:
  static std::vector<std::vector<PointF>> loops(int count, std::mt19937* random) {
    std::vector<std::vector<PointF>> out;
    std::uniform_int_distribution<int> corners(3, 9);
    for (int k = 0; k < count; ++k) {
      const int n = corners(*random);
      std::vector<PointF> ring;
      for (int i = 0; i < n; ++i) {
        const double a = 2 * 3.14159265358979 * i / n;
        ring.push_back({static_cast<float>(100 * k + 20 * std::cos(a)),
                        static_cast<float>(20 * std::sin(a))});
      }
      out.push_back(ring);
    }
    return out;
  }
  void cut(const std::vector<std::vector<PointF>>& rings, std::mt19937* random) {
    std::vector<std::pair<PointF, PointF>> pieces;
    for (const std::vector<PointF>& ring : rings)
      for (size_t i = 0; i < ring.size(); ++i)
        pieces.push_back({ring[i], ring[(i + 1) % ring.size()]});
    std::shuffle(pieces.begin(), pieces.end(), *random);
    for (size_t i = 0; i < pieces.size(); ++i) {
      const auto& [a, b] = pieces[i];
      if (i % 2 == 0) make_item({{a.x, a.y}, {b.x, b.y}});
      else make_item({{b.x, b.y}, {a.x, a.y}});
    }
  }
  static inline int progress_steps = 0;
  static inline int stop_at_step = 0;
};

TEST_F(BatchJoin, ShuffledHalfReversedPiecesOfSeededLoopsCloseWithTheirAreas) {
  std::mt19937 random(1033);
  const auto rings = loops(12, &random);
  cut(rings, &random);
  int pieces = 0;
  for (const auto& ring : rings) pieces += static_cast<int>(ring.size());
  EXPECT_EQ(batch_join(JOIN_EITHER_END, 0, 255), pieces - 12);
  ASSERT_EQ(items(), 12);
  for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next) {
    EXPECT_TRUE(item_is_closed(item));
    const int k = static_cast<int>(std::lround(item_nodes(item)[0].point.x / 100));
    const auto& ring = rings[static_cast<size_t>(k)];
    const double n = static_cast<double>(ring.size());
    const double expected = 0.5 * n * 400 * std::sin(2 * 3.14159265358979 / n);
    EXPECT_NEAR(std::fabs(area(item)), expected, 0.02) << k;  // float corners out to 1100
  }
}

TEST_F(BatchJoin, EscAtAProgressStepKeepsWhatWasJoined) {
  std::mt19937 random(7);
  const auto rings = loops(6, &random);
  cut(rings, &random);
  const int before = items();
  progress_steps = 0;
  stop_at_step = 2;
  g_geometry_host.join_progress = [](int phase, int, int) {
    if (phase != JOIN_PROGRESS_STEP) return 0;
    return ++progress_steps >= stop_at_step ? 1 : 0;
  };
  const int joins = batch_join(JOIN_EITHER_END, 0, 255);
  EXPECT_EQ(progress_steps, 2);
  EXPECT_GT(joins, 0);
  EXPECT_EQ(items(), before - joins);
  int closed = 0;
  for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next)
    closed += item_is_closed(item) ? 1 : 0;
  EXPECT_EQ(closed, 2);
}

TEST_F(PolylineJoin, AutoJoinClosesALoopOfTouchingPieces) {
  make_item({{10, 10}, {0, 10}});
  make_item({{10, 0}, {10, 10}});
  DrawingItem* lone = make_item({{50, 50}, {60, 60}});
  make_item({{0, 10}, {0, 0.01f}});  // within the millimetre loop gap of the start
  DrawingItem* x = make_item({{0, 0}, {10, 0}});
  const int result = auto_join_item(x);
  EXPECT_TRUE((result & JOIN_CLOSED_BIT) != 0);
  EXPECT_EQ(result & ~JOIN_CLOSED_BIT, 3);
  ASSERT_EQ(items(), 2);
  EXPECT_EQ(g_lists.current.first, lone);
  EXPECT_TRUE(item_is_closed(g_lists.current.last));
  EXPECT_EQ(g_preferences.gap_tolerance, GAP) << "the gap comes back";
}

TEST_F(PolylineJoin, AutoJoinRefusesAnAmbiguousChoiceAndJoinsNothing) {
  struct Case {
    const char* what;
    uint8_t x_marks, a_marks, b_marks;
    int expected;  // -2 ambiguous, else 1: the loop through a closes
  };
  const Case cases[] = {
      {"no marks", 0, 0, 0, -2},
      {"a shares the mark", ITEM_FLAG_MARKED, ITEM_FLAG_MARKED, 0, 1},
      {"both share the mark", ITEM_FLAG_MARKED, ITEM_FLAG_MARKED, ITEM_FLAG_MARKED, -2},
  };
  for (const Case& c : cases) {
    DrawingItem* a = make_item({{10, 0}, {5, 8}, {0, 0}});
    DrawingItem* b = make_item({{10, 0}, {5, -8}, {0, 0}});
    DrawingItem* x = make_item({{0, 0}, {10, 0}});
    set_item_flags(a, ITEM_FLAG_SELECTED | c.a_marks);
    set_item_flags(b, ITEM_FLAG_SELECTED | c.b_marks);
    set_item_flags(x, ITEM_FLAG_SELECTED | c.x_marks);
    const int result = auto_join_item(x);
    if (c.expected < 0) {
      EXPECT_EQ(result, c.expected) << c.what;
      EXPECT_EQ(items(), 3) << c.what;
      EXPECT_EQ(g_lists.current.last, x) << c.what;
    } else {
      EXPECT_EQ(result, 1 | JOIN_CLOSED_BIT) << c.what;
      EXPECT_EQ(items(), 2) << c.what;
      EXPECT_EQ(g_lists.current.first, b) << c.what;
    }
    free_current_list();
  }
}

}  // namespace
