// FUSE driven through the event queue on the headless screen: two overlapping squares picked,
// a result box checked and "Do it" (one undo step), the originals kept beside the result,
// "Do it" with nothing checked, Cancel, squares that do not meet, and the same item picked twice.
#include <algorithm>
#include <cmath>
#include <vector>

#include "command_panel_fixture.h"
#include "cam/fuse_outlines.h"
#include "commands/fuse_command.h"
#include "editor/render.h"
#include "editor/undo_store.h"
#include "editor/view.h"
#include "editor/view_state.h"
#include "platform/canvas.h"
#include "screen/text_output.h"
#include "geometry/contour_boolean.h"

namespace {

class FuseCommand : public CommandPanelFixture {
 protected:
  void TearDown() override {
    EXPECT_TRUE(g_typist.steps.empty()) << "every answer was asked for";
    CommandPanelFixture::TearDown();
  }
  void SetUp() override {
    CommandPanelFixture::SetUp();
    reset_fuse_command_state();
    reset_fuse_state();
    set_view(10.0f, -10.0f, 30.0f);
    first_ = square(0, 0);
    second_ = square(5, 5);
    rest_at({-8, 25});
  }

  static DrawingItem* square(float x, float y) {
    // Layer 1 draws in a colour of its own, apart from the background.
    DrawingItem* s =
        with_id(add_polyline({{x, y}, {x + 10, y}, {x + 10, y + 10}, {x, y + 10}, {x, y}}, 1));
    item_nodes(s)[0].node_flags |= NODE_LOOSE;
    return s;
  }

  // Picks the two squares by their lower sides.
  static void pick_both(PointF first, PointF second) {
    click_on(first);
    click_on(second);
  }
  static void click_box(int mode) { click_control_at(12 + 6 * mode, -23, 4, 21); }
  static void click_originals() { click_control_at(5, -23, 4, 21); }
  // Enter is "Do it", Esc "Cancel".
  static void do_it() { typist_key(VK_RETURN); }
  static void cancel() { typist_key(VK_ESCAPE); }

  static double area(const DrawingItem* item) {
    const LinkRecord* r = item_nodes(item);
    double a = 0.0;
    for (int i = 0; i < item_link_count(item); ++i)
      a += 0.5 * (double{r[i].point.x} * r[i + 1].point.y - double{r[i + 1].point.x} * r[i].point.y);
    return std::fabs(a);
  }

  DrawingItem* first_ = nullptr;
  DrawingItem* second_ = nullptr;
};

TEST_F(FuseCommand, TheCheckedUnionReplacesBothSquaresAsOneUndoStep) {
  pick_both({3, 0}, {12, 5});
  click_box(BOOLEAN_UNION);
  do_it();
  typist_key(VK_ESCAPE);  // the next pair's first pick
  EXPECT_EQ(fuse_loops(), 0);
  ASSERT_EQ(item_count(), 1);
  DrawingItem* fused = nth(0);
  EXPECT_NEAR(area(fused), 175.0, 1e-3);
  EXPECT_TRUE(item_is_closed(fused));
  EXPECT_EQ(item_id(fused), 3) << "the fused loop takes the next item ID";
  EXPECT_EQ(item_group_tag(fused), FUSE_TAG_BASE + BOOLEAN_UNION);
  undo_command();
  ASSERT_EQ(item_count(), 2);
  EXPECT_NEAR(area(nth(0)), 100.0, 1e-6);
  EXPECT_NEAR(area(nth(1)), 100.0, 1e-6);
}

TEST_F(FuseCommand, TheOriginalsBoxKeepsTheSquaresBesideTheResult) {
  pick_both({3, 0}, {12, 5});
  click_originals();
  click_box(BOOLEAN_INTERSECTION);
  do_it();
  typist_key(VK_ESCAPE);
  EXPECT_EQ(fuse_loops(), 0);
  ASSERT_EQ(item_count(), 3);
  EXPECT_EQ(nth(0), first_);
  EXPECT_EQ(nth(1), second_);
  EXPECT_NEAR(area(nth(2)), 25.0, 1e-3);
  undo_command();
  EXPECT_EQ(item_count(), 2);
}

// The boxes show the reduced loops: the union's box holds pixels of the preview colour (layer
// 249's), drawn over the originals. Counted while the panel waits.
TEST_F(FuseCommand, TheResultBoxesShowTheReducedLoops) {
  pick_both({3, 0}, {12, 5});
  int union_pixels = -1;
  int originals_pixels = -1;
  const auto preview_pixels_in = [](int row) {
    ScreenControl c = make_control("", 1, row, -23, 4, 21, 0, 0);
    layout_control(&c);
    const Canvas& canvas = *drawing_canvas();
    const uint32_t preview = layer_pixel(249) & 0xFFFFFFu;
    int n = 0;
    for (int y = c.y; y < c.y + c.hit_height; ++y)
      for (int x = c.x; x < c.x + c.hit_width; ++x)
        n += (canvas_get_pixel(canvas, x, y) & 0xFFFFFFu) == preview ? 1 : 0;
    return n;
  };
  g_typist.steps.push_back([&] {
    union_pixels = preview_pixels_in(12 + 6 * BOOLEAN_UNION);
    originals_pixels = preview_pixels_in(5);
  });
  cancel();  // ends the command
  EXPECT_EQ(fuse_loops(), 0);
  EXPECT_GT(union_pixels, 20) << "the union's outline drawn reduced in its box";
  EXPECT_EQ(originals_pixels, 0) << "the originals' box shows no result";
  EXPECT_EQ(item_count(), 2);
}

// With the pointer over a result box, that mode's loops blink in the drawing: a point of the
// union's outline turns to the background and back as the virtual clock ticks.
TEST_F(FuseCommand, TheResultsUnderThePointerBlinkInTheDrawing) {
  pick_both({3, 0}, {12, 5});
  ScreenControl box = make_control("", 1, 12 + 6 * BOOLEAN_UNION, -23, 4, 21, 0, 0);
  layout_control(&box);
  typist_move(box.x + box.hit_width / 2, box.y + box.hit_height / 2);
  std::vector<uint32_t> seen;
  for (int i = 0; i < 30; ++i) {
    g_typist.steps.push_back([&seen] {
      int x = 0;
      int y = 0;
      world_to_screen({10, 15}, &x, &y);  // on the second square's top side, the union's outline
      const uint32_t p = canvas_get_pixel(*drawing_canvas(), x, y + g_view.origin_y) & 0xFFFFFFu;
      if (std::find(seen.begin(), seen.end(), p) == seen.end()) seen.push_back(p);
      headless_advance_clock(60);
    });
  }
  cancel();
  pump_start_timer();
  EXPECT_EQ(fuse_loops(), 0);
  pump_stop_timer();
  EXPECT_GE(seen.size(), 2u) << "the outline was erased and drawn again";
  EXPECT_EQ(item_count(), 2);
}

// "Do it" with no box checked says so and changes nothing; Cancel then deletes the results.
TEST_F(FuseCommand, DoItWithNothingCheckedThenCancelLeavesTheDrawing) {
  pick_both({3, 0}, {12, 5});
  do_it();
  typist_key(VK_RETURN);  // the message
  cancel();
  EXPECT_EQ(fuse_loops(), 0);
  ASSERT_EQ(item_count(), 2);
  EXPECT_EQ(nth(0), first_);
  EXPECT_EQ(nth(1), second_);
  EXPECT_EQ(g_undo.step_count, 0) << "nothing to take back";
}

// Squares that do not meet: the message, then the next pair is asked for; nothing changes.
TEST_F(FuseCommand, LoopsThatDoNotMeetAreToldAndLeftAlone) {
  PointF shift{30.0f, 0.0f};
  translate_item(second_, &shift);
  pick_both({3, 0}, {42, 5});
  typist_key(VK_RETURN);  // "Couldn't find intersection points!"
  typist_key(VK_ESCAPE);
  EXPECT_EQ(fuse_loops(), 0);
  EXPECT_EQ(item_count(), 2);
  EXPECT_EQ(g_undo.step_count, 0);
}

// The second pick on the first item is asked again; Esc there ends the command untouched.
TEST_F(FuseCommand, PickingTheFirstItemAgainAsksAgain) {
  pick_both({3, 0}, {7, 0});
  typist_key(VK_ESCAPE);
  EXPECT_EQ(fuse_loops(), 0);
  EXPECT_EQ(item_count(), 2);
  EXPECT_EQ(g_undo.step_count, 0);
}

TEST(FuseItems, WhatCanBeFused) {
  reset_list_store();
  struct Case {
    const char* name;
    uint8_t type;
    float code;
    bool expected;
  };
  const Case cases[] = {
      {"a single line", ITEM_POLYLINE, LINK_FLEXIBLE_LINE, false},
      {"a single rigid line", ITEM_POLYLINE, LINK_RIGID_LINE, false},
      {"a single spline link", ITEM_POLYLINE, LINK_SPLINE, false},
      {"a single Bezier link", ITEM_POLYLINE, LINK_BEZIER, false},
      {"a single arc", ITEM_POLYLINE, 5.0f, true},
      {"a circle", ITEM_CIRCLE, 5.0f, true},
      {"text", ITEM_TEXT, 0.0f, false},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(new_geometry_block("", nullptr, 1, 0, c.type == ITEM_TEXT ? GEOMETRY_KIND_TEXT
                                                                        : GEOMETRY_KIND_DRAWING_AID),
              0);
    DrawingItem* item = g_lists.current.last;
    item->kind = c.type;
    item_nodes(item)[0].code = c.code;
    EXPECT_EQ(item_can_be_fused(item), c.expected) << c.name;
  }
  free_current_list();
}

}  // namespace
