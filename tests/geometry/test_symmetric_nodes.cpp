// Symmetric polylines solved: seeded polylines of even and odd link counts with arcs have one
// half rebuilt as the mirror image of the other, judged by the test's own reflection in double;
// the perpendicular kind four-fold; the middle node and the middle link; the mirror partner of
// a deleted node; unmaking.
#include <cmath>
#include <random>
#include <vector>

#include "geometry/node_surgery.h"
#include "geometry/symmetric_nodes.h"
#include "tests/geometry/item_fixture.h"
#include "tests/geometry/symmetry_oracle.h"

namespace {

class SymmetricNodes : public ItemTest {
 protected:
  // A "Dual" polyline of m own links: marker from p0 to p1, then a seeded walk of lines and
  // arcs (every third link an arc when `arcs`); its nodes are not symmetric yet.
  DrawingItem* seeded_dual(uint32_t seed, int m, bool arcs, PointF p0 = {0, -30},
                           PointF p1 = {0, 30}, uint8_t kind = NODE_DUAL) {
    const int n = m + 2;
    DrawingItem* item = make_item(std::vector<NodeSpec>(static_cast<size_t>(n) + 1, {0, 0}));
    LinkRecord* r = item_nodes(item);
    r[0].node_flags = static_cast<uint8_t>(NODE_FIRST | kind);
    r[0].point = p0;
    r[0].code = LINK_RIGID_LINE;
    r[1].point = p1;
    r[1].code = LINK_RIGID_LINE;
    r[1].node_flags = NODE_LOOSE;
    fill_seeded_walk(r, m, seed, arcs, SeedWalk{});
    item_bounding_boxes(item);
    return item;
  }

};

struct SeededCase {
  uint32_t seed;
  int links;
  bool arcs;
};

const SeededCase SEEDED_CASES[] = {
    {1, 2, false}, {2, 3, false}, {3, 6, true}, {4, 7, true},
    {5, 10, true}, {6, 11, true}, {7, 15, true}, {8, 16, true},
};

// The second half becomes the mirror image of the first, which keeps its nodes (the middle node
// aside), for even and odd counts with arcs turning both ways.
TEST_F(SymmetricNodes, SeededPolylinesGetTheirSecondHalfFromTheFirst) {
  for (const SeededCase& c : SEEDED_CASES) {
    DrawingItem* item = seeded_dual(c.seed, c.links, c.arcs);
    const std::vector<LinkRecord> before(item_nodes(item), item_nodes(item) + c.links + 3);
    EXPECT_EQ(symmetry_enforce(item), 1);
    const LinkRecord* r = item_nodes(item);
    for (int j = 0; j < (c.links + 1) / 2; ++j) {
      EXPECT_EQ(r[2 + j].point.x, before[2 + j].point.x) << c.seed << " node " << j;
      EXPECT_EQ(r[2 + j].point.y, before[2 + j].point.y) << c.seed << " node " << j;
    }
    expect_symmetric(item, "forward");
    delete_line(item);
  }
}

// Edited in its second half, the polyline gives the first half up: the second keeps its nodes.
TEST_F(SymmetricNodes, SeededPolylinesRebuiltFromTheEndKeepTheSecondHalf) {
  for (const SeededCase& c : SEEDED_CASES) {
    DrawingItem* item = seeded_dual(c.seed + 100, c.links, c.arcs);
    EXPECT_EQ(symmetry_enforce_from_end(item), 1);
    const LinkRecord* r = item_nodes(item);
    expect_symmetric(item, "from the end");
    // A second solve from the end changes nothing of the second half.
    const std::vector<LinkRecord> solved(r, r + c.links + 3);
    symmetry_enforce_from_end(item);
    for (int j = c.links / 2 + 1; j <= c.links; ++j)
      EXPECT_NEAR(item_nodes(item)[2 + j].point.x, solved[2 + j].point.x, 1e-6) << c.seed;
    delete_line(item);
  }
}

// The odd count's middle arc keeps its radius while its ends allow, on its own side, and becomes
// the half circle over its chord once the ends are farther apart than its diameter.
TEST_F(SymmetricNodes, MiddleArcKeepsItsRadiusOrBecomesAHalfCircle) {
  // Three own links: a line, the middle arc, a line; the symmetry line is x = 0.
  DrawingItem* item = seeded_dual(9, 3, false);
  LinkRecord* r = item_nodes(item);
  r[2].point = {-10, 0};
  r[3].point = {-3, 0};
  r[3].code = 5.0f;
  r[3].centre = {0, -4};
  r[4].point = {3, 0};
  arc_angles_from_points(&r[3]);
  ASSERT_EQ(symmetry_enforce(item), 1);
  EXPECT_FLOAT_EQ(r[3].code, 5.0f);
  EXPECT_NEAR(r[3].centre.x, 0.0f, 1e-5);
  EXPECT_NEAR(r[3].centre.y, -4.0f, 1e-5) << "the centre stays on its side";
  r[3].point = {-8, 0};  // ends 16 apart, diameter 10
  ASSERT_EQ(symmetry_enforce(item), 1);
  EXPECT_NEAR(r[3].code, 8.0f, 1e-5);
  EXPECT_NEAR(r[3].centre.x, 0.0f, 1e-5);
  EXPECT_NEAR(r[3].centre.y, 0.0f, 1e-5);
  EXPECT_NEAR(r[3].sweep, ANGLE_PI, 1e-5);
  expect_symmetric(item, "half circle");
}

// A marker shorter than 0.1 grows to 0.1 in its own direction; the start stays.
TEST_F(SymmetricNodes, ShortMarkerIsLengthenedInItsOwnDirection) {
  DrawingItem* item = seeded_dual(10, 4, false, {1, 2}, {1.03f, 2.04f});
  ASSERT_EQ(symmetry_enforce(item), 1);
  const LinkRecord* r = item_nodes(item);
  EXPECT_EQ(r[0].point.x, 1.0f);
  EXPECT_NEAR(point_distance(&r[0].point, &r[1].point), 0.1, 1e-6);
  EXPECT_NEAR(point_angle(&r[0].point, &r[1].point), std::atan2(0.04, 0.03), 1e-4);
  expect_symmetric(item, "short marker");
}

// A closed outline starts on the line and ends where it starts.
TEST_F(SymmetricNodes, ClosedOutlineStartsAndEndsOnTheLine) {
  for (int links : {4, 5}) {
    DrawingItem* item = seeded_dual(11, links, true);
    item_nodes(item)[0].node_flags |= NODE_LOOSE;
    ASSERT_EQ(symmetry_enforce(item), 1);
    const LinkRecord* r = item_nodes(item);
    EXPECT_NEAR(r[2].point.x, 0.0f, 1e-5) << links;
    EXPECT_NEAR(r[2].point.x, r[links + 2].point.x, 1e-5) << links;
    EXPECT_NEAR(r[2].point.y, r[links + 2].point.y, 1e-5) << links;
    expect_symmetric(item, "closed");
    delete_line(item);
  }
}

// Node kinds and Z follow their partners; the closing record keeps its own flag.
TEST_F(SymmetricNodes, NodeKindsAndHeightsFollowTheirPartners) {
  DrawingItem* item = seeded_dual(12, 6, true);
  ASSERT_EQ(symmetry_enforce(item), 1);
  const LinkRecord* r = item_nodes(item);
  for (int j = 1; j < 3; ++j) {
    EXPECT_EQ(r[2 + 6 - j].node_flags, r[2 + j].node_flags) << j;
    EXPECT_EQ(r[2 + 6 - j].z, r[2 + j].z) << j;
  }
  EXPECT_EQ(r[8].node_flags, NODE_CLOSING);
}

// The perpendicular kind is symmetric about the marker and about the line at right angles to it
// through the marker's start.
TEST_F(SymmetricNodes, PerpendicularKindIsFourFold) {
  for (int links : {4, 8, 12}) {
    DrawingItem* item =
        seeded_dual(13 + static_cast<uint32_t>(links), links, true, {0, 0}, {-30, 5}, NODE_PERPENDICULAR);
    item_nodes(item)[0].node_flags |= NODE_LOOSE;
    ASSERT_EQ(enforce_perpendicular_symmetry(item), 1);
    expect_symmetric(item, "perpendicular");
    const LinkRecord* r = item_nodes(item);
    const Reflector across(r[0].point, PointF{r[0].point.x - 5, r[0].point.y - 30});
    const int half = links / 2;
    for (int j = 0; j <= half; ++j) {
      const PointD image = across.reflect(r[2 + half - j].point.x, r[2 + half - j].point.y);
      EXPECT_LT(distance_between(image, r[2 + j].point), SYMMETRY_TOLERANCE) << links << " node " << j;
    }
    delete_line(item);
  }
}

TEST_F(SymmetricNodes, SolversLeaveTinyItemsAlone) {
  DrawingItem* item = seeded_dual(14, 1, false);
  const std::vector<LinkRecord> before(item_nodes(item), item_nodes(item) + 4);
  EXPECT_EQ(symmetry_enforce(item), 0);
  EXPECT_EQ(symmetry_enforce_from_end(item), 0);
  EXPECT_EQ(enforce_perpendicular_symmetry(item), 0);
  EXPECT_EQ(item_nodes(item)[2].point.x, before[2].point.x);
  EXPECT_EQ(item_nodes(item)[3].point.y, before[3].point.y);
}

// Deleting a node of either half takes its partner too; solved from the half that was edited,
// the polyline is symmetric again and keeps the other nodes of that half.
TEST_F(SymmetricNodes, DeletedNodeTakesItsPartnerAndTheSymmetryHolds) {
  struct Case {
    int links;
    int deleted;  // real node index
  };
  const Case cases[] = {{6, 1}, {6, 5}, {6, 2}, {7, 2}, {7, 3}, {7, 5}, {10, 4}, {11, 7}};
  for (const Case& c : cases) {
    DrawingItem* item = seeded_dual(20 + static_cast<uint32_t>(c.deleted), c.links, true);
    symmetry_enforce(item);
    const int count = item_link_count(item);
    const int index = c.deleted + 2;
    const bool second_half = index > (count % 2 == 0 ? count / 2 : (count + 1) / 2);
    // The nodes of the edited half that stay.
    std::vector<PointF> kept;
    const LinkRecord* r = item_nodes(item);
    for (int j = 0; j <= c.links; ++j) {
      const bool in_half = second_half ? j > c.links / 2 : j < (c.links + 1) / 2;
      if (in_half && j != c.deleted && (j != 0 || !second_half)) kept.push_back(r[2 + j].point);
    }
    ASSERT_EQ(delete_node(item, item_nodes(item) + index, DELETE_NODE_REMOVE), 1);
    ASSERT_EQ(remove_symmetric_node(item, index), 0);
    EXPECT_EQ(item_link_count(item), count - 2) << c.links << "/" << c.deleted;
    if (second_half) symmetry_enforce_from_end(item);
    else symmetry_enforce(item);
    expect_symmetric(item, "after a deletion");
    const LinkRecord* after = item_nodes(item);
    const int m = item_link_count(item) - 2;
    for (const PointF& p : kept) {
      bool found = false;
      for (int j = 0; j <= m; ++j)
        found = found || (after[2 + j].point.x == p.x && after[2 + j].point.y == p.y);
      EXPECT_TRUE(found) << c.links << "/" << c.deleted << ": " << p.x << "," << p.y;
    }
    delete_line(item);
  }
}

// Marked nodes deleted from the drawing take their partners, and the polyline is solved again
// from the half each was in: it stays symmetric with two own links fewer per deleted node.
TEST_F(SymmetricNodes, DeletingMarkedNodesKeepsTheSymmetry) {
  struct Case {
    int links;
    int marked;  // real node index
  };
  const Case cases[] = {{6, 1}, {6, 5}, {7, 2}, {7, 5}, {10, 8}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.links << "/" << c.marked);
    DrawingItem* item = seeded_dual(40 + static_cast<uint32_t>(c.marked), c.links, true);
    symmetry_enforce(item);
    item_nodes(item)[2 + c.marked].link_flags |= LINK_NODE_MARKED;
    set_item_flags(item, static_cast<uint8_t>(item_flags(item) | ITEM_FLAG_HAS_MARKED_NODES));
    delete_marked_nodes();
    ASSERT_EQ(item_link_count(item), c.links);
    expect_symmetric(item, "marked nodes deleted");
    delete_line(item);
  }
}

TEST_F(SymmetricNodes, RemovingAPartnerRefusesOtherItems) {
  DrawingItem* plain = make_item({{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}});
  EXPECT_EQ(remove_symmetric_node(plain, 3), -1);
  EXPECT_EQ(item_link_count(plain), 5);
  DrawingItem* small = seeded_dual(30, 1, false);
  EXPECT_EQ(remove_symmetric_node(small, 2), -1);
  EXPECT_EQ(item_link_count(small), 3);
}

// Unmade, the polyline loses its marker and the symmetry bits but stays closed.
TEST_F(SymmetricNodes, UnmakingKeepsTheClosedState) {
  DrawingItem* item = seeded_dual(31, 4, false);
  item_nodes(item)[0].node_flags |= NODE_TANGENT;
  symmetry_enforce(item);
  const PointF first = item_nodes(item)[2].point;
  unmake_symmetric_polyline(item);
  const LinkRecord* r = item_nodes(item);
  EXPECT_EQ(item_link_count(item), 4);
  EXPECT_EQ(r[0].node_flags, NODE_FIRST | NODE_TANGENT);
  EXPECT_EQ(r[0].point.x, first.x);
  EXPECT_EQ(r[4].point.x, first.x) << "closed: the closing record is the first node";
  EXPECT_EQ(r[4].point.y, first.y);
}

}  // namespace
