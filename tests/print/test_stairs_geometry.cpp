// The staircase build of kinds 1 and 2 against the construction worked out in the test in double
// precision: every item's nodes, arcs, shared links, number and layer in order; the housings a
// step apart; the outline and its board width and length; the table fit; designs that are not
// whole; the layers' look and the view.
#include <cmath>
#include <string>
#include <vector>

#include "editor/view_state.h"
#include "print/stairs_build.h"
#include "tests/print/stairs_fixture.h"
#include "tests/print/stairs_expect.h"
#include "tests/print/stairs_reference.h"

namespace {

struct KindCase {
  const char* what;
  int32_t kind_word;
  double total;
  int n;
  void (*edit)(StairsParams* p);
};

class StairsGeometry : public StairsTest {
 protected:
  ref::Result build_and_expect(const StairsParams& p) {
    g_stairs.params = p;
    stairs_build_drawing();
    EXPECT_TRUE(g_stairs.complete);
    const ref::Design d = reference_design(p);
    ref::Result want = d.kind == 1 ? ref::kind1(d) : ref::kind2(d);
    ref::view_move(&want);
    const double tolerance = d.metric ? 2e-3 : 1e-4;
    expect_items_match(want, tolerance);
    EXPECT_NEAR(g_stairs.params.board_width, want.width, tolerance);
    EXPECT_NEAR(g_stairs.params.board_length, want.length, tolerance);
    EXPECT_EQ(g_stairs.shift_count, want.shift);
    return want;
  }
};

TEST_F(StairsGeometry, DesignsAreBuiltAsConstructed) {
  const KindCase cases[] = {
      {"kind 1 mm", STAIRS_KIND_HOUSED | STAIRS_METRIC, 1400, 8, nullptr},
      {"kind 1 one tread", STAIRS_KIND_HOUSED | STAIRS_METRIC, 400, 1, nullptr},
      {"kind 1 plumb risers", STAIRS_KIND_HOUSED | STAIRS_METRIC, 1400, 8,
       [](StairsParams* p) { p->riser_slant = 0; }},
      {"kind 1 inch", STAIRS_KIND_HOUSED, 56, 8, nullptr},
      {"kind 1 steep, dropped", STAIRS_KIND_HOUSED | STAIRS_METRIC, 2000, 10,
       [](StairsParams* p) {
         p->pitch_angle = 0.9f;
         p->run = static_cast<float>(p->rise / std::tan(0.9));
         p->bottom_drop = 12;
       }},
      {"kind 1 entered width", STAIRS_KIND_HOUSED | STAIRS_METRIC, 1400, 8,
       [](StairsParams* p) {
         p->board_width = 280;
         p->last_marks[STAIRS_WIDTH_MARK_ROW] = 1;
       }},
      {"kind 2 mm", STAIRS_KIND_TREADS | STAIRS_METRIC, 1400, 8, nullptr},
      {"kind 2 raised top", STAIRS_KIND_TREADS | STAIRS_METRIC, 1400, 8,
       [](StairsParams* p) { p->top_extra_height = 60; }},
      {"kind 2 entered width", STAIRS_KIND_TREADS | STAIRS_METRIC, 1400, 8,
       [](StairsParams* p) {
         p->board_width = 300;
         p->last_marks[STAIRS_WIDTH_MARK_ROW] = 1;
       }},
      {"kind 2 inch", STAIRS_KIND_TREADS, 60, 9, nullptr},
  };
  for (const KindCase& c : cases) {
    SCOPED_TRACE(c.what);
    free_current_list();
    StairsParams p = design(c.kind_word, c.total, c.n);
    if (c.edit != nullptr) c.edit(&p);
    build_and_expect(p);
    // An entered width is the width the outline gets.
    if (p.last_marks[STAIRS_WIDTH_MARK_ROW] != 0) {
      EXPECT_NEAR(g_stairs.params.board_width, p.board_width, 1e-3);
    }
  }
}

TEST_F(StairsGeometry, TheOutlineHasTheWidthAndLengthOfTheFigures) {
  // 1400 floor to floor in nine risers at 45 degrees.
  StairsParams p = design(STAIRS_KIND_HOUSED | STAIRS_METRIC, 1400, 8);
  g_stairs.params = p;
  stairs_build_drawing();
  EXPECT_NEAR(g_stairs.params.board_width, 199.81, 0.005);
  EXPECT_NEAR(g_stairs.params.board_length, 1905.26, 0.005);
  const double run = p.run, ang = p.pitch_angle, r = p.corner_radius;
  EXPECT_NEAR(g_stairs.params.board_width,
              (run + p.housing_back - r) * std::sin(ang) + (p.tread_thickness - r) * std::cos(ang) +
                  r + p.housing_margin,
              2e-3);
  // The length is the outline's extent along the pitch.
  const DrawingItem* outline = g_lists.current.last;
  double lo = 1e300, hi = -1e300;
  for (int32_t k = 0; k < item_link_count(outline); ++k) {
    const PointF& q = item_nodes(outline)[k].point;
    const double along = -q.x * std::cos(ang) + q.y * std::sin(ang);
    lo = std::min(lo, along);
    hi = std::max(hi, along);
  }
  EXPECT_NEAR(g_stairs.params.board_length, hi - lo, 2e-3);
}

TEST_F(StairsGeometry, HousingsStandOneStepApart) {
  for (const int32_t kind : {STAIRS_KIND_HOUSED, STAIRS_KIND_TREADS}) {
    free_current_list();
    StairsParams p = design(kind | STAIRS_METRIC, 1400, 8);
    g_stairs.params = p;
    stairs_build_drawing();
    const std::vector<DrawingItem*> all = items();
    const size_t first = kind == STAIRS_KIND_HOUSED ? 1 : 0;
    const size_t last = all.size() - 2;  // before the top end or the outline
    for (size_t i = first; i < last; ++i) {
      const PointF& a = item_nodes(all[i])[0].point;
      const PointF& b = item_nodes(all[i + 1])[0].point;
      EXPECT_NEAR(a.x - b.x, p.run, 2e-3) << "item " << i + 1;
      EXPECT_NEAR(a.y - b.y, -p.rise, 2e-3) << "item " << i + 1;
    }
    // The view puts the outline's bottom front corner at the origin.
    const DrawingItem* outline = all.back();
    const PointF& corner = item_nodes(outline)[item_link_count(outline) - 1].point;
    EXPECT_EQ(corner.x, 0.0f);
    EXPECT_EQ(corner.y, 0.0f);
  }
}

TEST_F(StairsGeometry, AStringerLongerThanTheTableMovesItsLastStepsToASecondSetup) {
  StairsParams p = design(STAIRS_KIND_HOUSED | STAIRS_METRIC, 2800, 17);
  const ref::Result want = build_and_expect(p);
  const double step = std::hypot(static_cast<double>(p.rise), static_cast<double>(p.run));
  EXPECT_EQ(g_stairs.shift_count, 6);
  EXPECT_NEAR(g_stairs.params.setup_shift.y, -6 * step, 1e-3);
  EXPECT_EQ(g_stairs.params.setup_shift.x, 0.0f);
  const std::vector<DrawingItem*> all = items();
  for (size_t i = 0; i < all.size() - 1; ++i)
    EXPECT_EQ(item_layer(all[i]), i + 1 >= 13 ? 2 : 0) << "item " << i + 1;
  // Where the set-ups part, the shared link is cut by both.
  EXPECT_FALSE(item_nodes(all[11])[6].link_flags & LINK_JUMP);
  EXPECT_FALSE(item_nodes(all[12])[0].link_flags & LINK_JUMP);
  EXPECT_TRUE(item_nodes(all[10])[6].link_flags & LINK_JUMP);
  // A table too short for two rises fits nothing.
  free_current_list();
  p.table_length = 2 * p.rise;
  g_stairs.params = p;
  stairs_build_drawing();
  EXPECT_EQ(g_stairs.shift_count, 0);
  EXPECT_EQ(g_stairs.params.setup_shift.y, 0.0f);
}

TEST_F(StairsGeometry, TreadHousingsAboveTheTablesReachGoToTheSecondSetup) {
  StairsParams p = design(STAIRS_KIND_TREADS | STAIRS_METRIC, 2800, 17);
  build_and_expect(p);
  EXPECT_GT(g_stairs.shift_count, 0);
  const double step = std::hypot(static_cast<double>(p.rise), static_cast<double>(p.run));
  EXPECT_NEAR(g_stairs.params.setup_shift.y, -g_stairs.shift_count * step, 1e-3);
}

TEST_F(StairsGeometry, ADesignThatIsNotWholeDrawsNothing) {
  struct Case {
    const char* what;
    void (*edit)(StairsParams* p);
  };
  const Case cases[] = {
      {"tread thickness", [](StairsParams* p) { p->tread_thickness = 0; }},
      {"total rise", [](StairsParams* p) { p->total_rise = 0; }},
      {"rise", [](StairsParams* p) { p->rise = 0; }},
      {"going", [](StairsParams* p) { p->run = 0; }},
      {"no treads", [](StairsParams* p) { p->tread_count = 0; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    StairsParams p = design(STAIRS_KIND_HOUSED | STAIRS_METRIC, 1400, 8);
    c.edit(&p);
    g_stairs.params = p;
    g_stairs.make_drawing_flags = STAIRS_BUTTON_SHOWN;
    stairs_build_drawing();
    EXPECT_FALSE(g_stairs.complete);
    EXPECT_EQ(g_stairs.make_drawing_flags, STAIRS_BUTTON_HIDDEN);
    EXPECT_EQ(g_lists.current.first, nullptr);
    EXPECT_STREQ(g_stairs.incomplete_reason, STAIRS_VALUES_MISSING_TEXT);
  }
}

TEST_F(StairsGeometry, LinesThatDoNotMeetLeaveNothingHalfMade) {
  // A level or plumb pitch: the outline's edges run parallel to the lines they must meet.
  for (const float angle : {0.0f, static_cast<float>(STAIRS_TEST_PI / 2)}) {
    SCOPED_TRACE(angle);
    StairsParams p = design(STAIRS_KIND_HOUSED | STAIRS_METRIC, 1400, 8);
    p.pitch_angle = angle;
    g_stairs.params = p;
    stairs_build_drawing();
    EXPECT_FALSE(g_stairs.complete);
    EXPECT_EQ(g_lists.current.first, nullptr);
    EXPECT_EQ(g_stairs.make_drawing_flags, STAIRS_BUTTON_HIDDEN);
    EXPECT_STREQ(g_stairs.incomplete_reason, STAIRS_NOT_CONSTRUCTIBLE_TEXT);
  }
}

TEST_F(StairsGeometry, TheFirstTabShowsTheHousingsTheOthersTheOutline) {
  g_stairs.params = design(STAIRS_KIND_HOUSED | STAIRS_METRIC, 1400, 8);
  g_stairs.current_tab = 1;
  stairs_build_drawing();
  EXPECT_EQ(g_layers.colours[0], 0xC0C0C0u);
  EXPECT_EQ(g_layers.styles[0], LAYER_STYLE_DOTTED);
  EXPECT_EQ(g_layers.colours[1], 0u);
  EXPECT_EQ(g_layers.styles[1], LAYER_STYLE_SOLID);
  EXPECT_EQ(g_layers.styles[2], LAYER_STYLE_DOTTED);
  g_stairs.current_tab = 0;
  stairs_build_drawing();
  EXPECT_EQ(g_layers.colours[0], 0u);
  EXPECT_EQ(g_layers.styles[0], LAYER_STYLE_SOLID);
  EXPECT_EQ(g_layers.colours[1], 0xC0C0C0u);
  EXPECT_EQ(g_layers.styles[1], LAYER_STYLE_DOTTED);
  EXPECT_EQ(g_layers.styles[2], LAYER_STYLE_SOLID);
}

TEST_F(StairsGeometry, AViewTheUserSetIsKeptAndTheDrawingNotMoved) {
  g_stairs.params = design(STAIRS_KIND_HOUSED | STAIRS_METRIC, 1400, 8);
  g_stairs.view_kept = true;
  g_view.view_left = -7;
  g_view.view_top = 9;
  g_view.scale_x = g_view.scale_y = 3;
  stairs_build_drawing();
  EXPECT_EQ(g_view.view_left, -7.0f);
  EXPECT_EQ(g_view.view_top, 9.0f);
  EXPECT_EQ(g_view.scale_x, 3.0f);
  // The outline's bottom front corner stays where the origin move of the steps put it.
  const DrawingItem* outline = g_lists.current.last;
  const PointF& corner = item_nodes(outline)[item_link_count(outline) - 1].point;
  EXPECT_NEAR(corner.y, -g_stairs.params.rise, 1e-3);
}

}  // namespace
