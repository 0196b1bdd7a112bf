// The DXF reader: entities into items, arcs kept as arcs, bulges, object coordinate systems,
// layer names, the note of kinds left out and damaged files refused.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/import/import_fixture.h"

namespace {

constexpr float EPS = 1e-4f;

class DxfReader : public ImportFixture {};

TEST_F(DxfReader, LineArcCirclePointBecomeItems) {
  const std::string path = write_file("a.dxf", dxf_of(
      "0\nLINE\n8\n0\n10\n0\n20\n0\n11\n10\n21\n0\n"
      "0\nARC\n8\n0\n10\n5\n20\n5\n40\n3\n50\n350\n51\n10\n"
      "0\nCIRCLE\n8\n0\n10\n20\n20\n5\n40\n2\n"
      "0\nPOINT\n8\n0\n10\n1\n20\n2\n"));
  ASSERT_EQ(import_file(path), TEMP_READ_OK) << messages();
  const auto all = items();
  ASSERT_EQ(all.size(), 4u);
  EXPECT_EQ(all[0]->kind, ITEM_POLYLINE);
  EXPECT_EQ(item_link_count(all[0]), 1);
  EXPECT_EQ(item_nodes(all[0])[0].code, LINK_RIGID_LINE);
  const LinkRecord* arc = item_nodes(all[1]);
  EXPECT_NEAR(arc->code, 3.0f, EPS);
  EXPECT_NEAR(arc->sweep, 20.0 * M_PI / 180.0, 1e-5);
  EXPECT_NEAR(arc->point.x, 5 + 3 * std::cos(350 * M_PI / 180), EPS);
  EXPECT_EQ(all[2]->kind, ITEM_CIRCLE);
  EXPECT_EQ(item_nodes(all[2])->sweep, SWEEP_CENTRE_CIRCLE);
  EXPECT_EQ(all[3]->kind, ITEM_POINT);
  for (DrawingItem* item : all) EXPECT_NE(item_flags(item) & ITEM_FLAG_SELECTED, 0);
  for (size_t i = 1; i < all.size(); ++i) EXPECT_NE(item_id(all[i]), item_id(all[i - 1]));
}
}  // namespace
