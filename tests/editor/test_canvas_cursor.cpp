#include <cmath>
#include <cstring>
#include <string>

#include "../screen/screen_fixture.h"
#include "editor/button_bindings.h"
#include "editor/canvas_cursor.h"
#include "editor/draw_style.h"
#include "editor/drawing_page_state.h"
#include "editor/hover.h"
#include "editor/hover_state.h"
#include "editor/page_furniture.h"
#include "editor/page_redraw.h"
#include "editor/view_state.h"
#include "geometry/drawing_item.h"
#include "geometry/layers.h"
#include "records/job_settings.h"
#include "records/preferences.h"
#include "store/line_list.h"

namespace {

// A drawing area below the tabs of an 800 x 600 screen, ten pixels to the drawing unit, with the
// view's top-left corner at world (0, 50).
class CanvasCursorTest : public ScreenFixture {
 protected:
  void SetUp() override {
    ScreenFixture::SetUp();
    reset_layers();
    reset_canvas_cursor();
    reset_drawing_page_state();
    reset_page_furniture();
    reset_draw_style();
    reset_button_bindings();
    reset_view_state();
    reset_hover_state();
    g_preferences = Preferences{};
    g_preferences.pointer_crosshair = 0;
    g_job_settings = JobSettings{};
    g_job_settings.grid_step = 1.0f;
    layout_page_tab_strip();
    g_tab_strip.active = PAGE_DRAWING;
    layout_paint_boxes();
    g_view.area_top = static_cast<int16_t>(2 * g_display.presets[FACE_ROLE_NORMAL].cell_height);
    g_view.area_width = g_display.screen_width;
    g_view.scale_x = 10.0f;
    g_view.scale_y = 10.0f;
    g_view.view_left = 0.0f;
    g_view.view_top = 50.0f;
    fill_rect(0, 0, 800, 600, 0x204060);
  }

  void TearDown() override {
    reset_button_bindings();
    ScreenFixture::TearDown();
  }

  static int bottom() { return g_view.area_bottom; }

  // Enters the area from above: the pointer rests over the tabs, then moves to (x, y).
  EventCode enter_at(int x, int y) {
    capture_at(x, 2);
    headless_inject_mouse_move(x, y);
    return track_canvas_cursor();
  }

  // Pixels of the column at x that differ from the background, over the area's rows.
  static int marked_in_column(int x) {
    int marked = 0;
    for (int y = g_view.area_top; y <= bottom(); ++y) marked += pixel(x, y) != 0x204060;
    return marked;
  }
};

TEST_F(CanvasCursorTest, ReentryPlacesTheDottedCrosshairOnTheCursorPoint) {
  EXPECT_EQ(enter_at(300, 200), EVENT_POINTER_MOVE);
  EXPECT_TRUE(g_canvas_cursor.crosshair_shown);
  EXPECT_EQ(g_hover.crosshair_x, 300);
  EXPECT_EQ(g_hover.crosshair_y, 200);
  EXPECT_FLOAT_EQ(g_hover.cursor_point.x, 30.0f);
  EXPECT_FLOAT_EQ(g_hover.cursor_point.y, 50.0f - (200.0f - g_view.area_top) / 10.0f);
  // Dotted: about half of the column's pixels, none of its neighbours'.
  const int rows = bottom() - g_view.area_top + 1;
  EXPECT_GT(marked_in_column(300), rows / 3);
  EXPECT_LT(marked_in_column(300), rows * 2 / 3);
  EXPECT_EQ(marked_in_column(301), 1);  // only where the horizontal line crosses it
  // The read-out at the bottom right shows the point.
  const CellMetrics& small = g_display.presets[FACE_ROLE_SMALL];
  EXPECT_EQ(text_at(g_display.screen_width + 1 - 18 * small.cell_width,
                    g_display.screen_height + 1 - 2 * small.cell_height, FACE_ROLE_SMALL, 6),
            "30.000");
}

TEST_F(CanvasCursorTest, TheCrosshairDrawnTwiceLeavesEveryPixel) {
  fill_varied();
  const std::vector<uint32_t> before = pixels();
  for (const auto& [x, y] : {std::pair{300, 200}, std::pair{0, 100}, std::pair{799, 150}}) {
    g_hover.crosshair_x = x;
    g_hover.crosshair_y = y;
    draw_crosshair();
    EXPECT_NE(pixels(), before);
    draw_crosshair();
    EXPECT_EQ(pixels(), before) << x << "," << y;
  }
}

TEST_F(CanvasCursorTest, WithGridSnapASmallMoveLeavesTheCrosshairWhereItIs) {
  g_furniture.grid_switch = 1;
  ASSERT_EQ(enter_at(300, 200), EVENT_POINTER_MOVE);
  // Re-entry does not snap; the first move does.
  headless_inject_mouse_move(301, 200);
  ASSERT_EQ(track_canvas_cursor(), EVENT_POINTER_MOVE);
  const int x = g_hover.crosshair_x;
  const int y = g_hover.crosshair_y;
  EXPECT_EQ(x % 10, 0);
  const std::vector<uint32_t> shown = pixels();
  headless_inject_mouse_move(303, 201);
  EXPECT_EQ(track_canvas_cursor(), EVENT_POINTER_MOVE);
  EXPECT_EQ(g_hover.crosshair_x, x);
  EXPECT_EQ(g_hover.crosshair_y, y);
  EXPECT_EQ(pixels(), shown);
  // A move past half the grid step lands on the next grid line.
  headless_inject_mouse_move(308, 201);
  EXPECT_EQ(track_canvas_cursor(), EVENT_POINTER_MOVE);
  EXPECT_EQ(g_hover.crosshair_x, x + 10);
  EXPECT_EQ(marked_in_column(x), 1);
  EXPECT_GT(marked_in_column(x + 10), 10);
}

TEST_F(CanvasCursorTest, ADragPastTheBottomIsHeldAtTheEdge) {
  ASSERT_EQ(enter_at(300, 200), EVENT_POINTER_MOVE);
  headless_inject_mouse_button(WINDOW_BUTTON_LEFT, true, 300, 200);
  EXPECT_EQ(track_canvas_cursor(), COMMAND_SELECT_TOOL);
  headless_inject_mouse_move(300, bottom() + 20);
  headless_inject_text("a");
  EXPECT_EQ(track_canvas_cursor(), 'a');
  EXPECT_EQ(g_pointer.wanted_y, bottom());
  EXPECT_TRUE(pointer_in_drawing_area());
}

TEST_F(CanvasCursorTest, LeavingWithoutAButtonOffersTheFurnitureAndComingBackRestoresTheBindings) {
  ASSERT_EQ(enter_at(300, 200), EVENT_POINTER_MOVE);
  headless_inject_mouse_move(300, bottom() + 10);
  headless_inject_text("q");
  EXPECT_EQ(track_canvas_cursor(), 'q');
  EXPECT_FALSE(g_canvas_cursor.crosshair_shown);
  EXPECT_EQ(marked_in_column(300), 0);
  // The key came while outside: the bindings were given back before it was returned.
  EXPECT_EQ(g_button_bindings.current, g_button_bindings.drawing);
  // Outside again: the buttons navigate the menu and the pointer below the drawing is shape 11.
  headless_inject_mouse_move(300, bottom() + 12);
  headless_inject_mouse_move(300, 250);
  EXPECT_EQ(track_canvas_cursor(), EVENT_POINTER_MOVE);
  EXPECT_EQ(g_button_bindings.current, g_button_bindings.drawing);
  EXPECT_EQ(g_button_bindings.drawing[WINDOW_BUTTON_LEFT], COMMAND_SELECT_TOOL);
  EXPECT_EQ(g_button_bindings.depth, 0);
  EXPECT_EQ(g_hover.crosshair_y, 250);
}

TEST_F(CanvasCursorTest, BelowTheDrawingThePointerIsShape11AndTheButtonsNavigate) {
  ASSERT_EQ(enter_at(300, 200), EVENT_POINTER_MOVE);
  headless_inject_mouse_move(300, bottom() + 10);
  headless_inject_text("q");
  ASSERT_EQ(track_canvas_cursor(), 'q');
  // F5 takes the hover's highlights off before it toggles the markers.
  DrawingItem marked;
  g_hover.marker_item = &marked;
  // Outside, the right button is not the drawing's command: it is ignored.
  headless_inject_mouse_button(WINDOW_BUTTON_RIGHT, true, 300, bottom() + 10);
  headless_inject_key_down(VK_F1 + 4, 0);  // F5 ends the wait
  EXPECT_EQ(track_canvas_cursor(), 319);
  EXPECT_EQ(g_pointer.shape, POINTER_BELOW_DRAWING);
  EXPECT_EQ(g_job_settings.show_node_markers, 0);
  EXPECT_EQ(g_hover.marker_item, nullptr);
}

TEST_F(CanvasCursorTest, ClicksOnThePageTabsFromOutside) {
  const PageTab& current = g_tab_strip.tabs[PAGE_DRAWING];
  const PageTab& other = g_tab_strip.tabs[PAGE_NC_PROGRAM];
  const int tab_y = g_tab_strip.base_line - 2;
  capture_at(current.x + 4, tab_y);
  // The current page's tab is ignored; another page's tab sets the page byte and gives 699.
  headless_inject_mouse_button(WINDOW_BUTTON_LEFT, true, current.x + 4, tab_y);
  headless_inject_mouse_button(WINDOW_BUTTON_LEFT, false, current.x + 4, tab_y);
  headless_inject_mouse_move(other.x + 4, tab_y);
  headless_inject_mouse_button(WINDOW_BUTTON_LEFT, true, other.x + 4, tab_y);
  EXPECT_EQ(track_canvas_cursor(), CANVAS_PAGE_CHOSEN);
  EXPECT_EQ(g_preferences.current_page, PAGE_NC_PROGRAM);
  EXPECT_EQ(g_tab_strip.active, PAGE_NC_PROGRAM);
  EXPECT_EQ(g_button_bindings.current, g_button_bindings.drawing);
}

TEST_F(CanvasCursorTest, ThePointerCrosshairIsThePictureAndTheGraveAccentSwapsToLines) {
  g_preferences.pointer_crosshair = 1;
  ASSERT_EQ(enter_at(300, 200), EVENT_POINTER_MOVE);
  EXPECT_EQ(g_pointer.shape, POINTER_CROSSHAIR);
  EXPECT_EQ(g_canvas_cursor.crosshair_marks[0], 101);
  EXPECT_FALSE(g_canvas_cursor.crosshair_shown);
  headless_inject_text("`z");
  EXPECT_EQ(track_canvas_cursor(), 'z');
  EXPECT_EQ(g_preferences.pointer_crosshair, 0);
  EXPECT_TRUE(g_canvas_cursor.crosshair_shown);
  EXPECT_GT(marked_in_column(300), 10);
  headless_inject_text("~z");
  EXPECT_EQ(track_canvas_cursor(), 'z');
  EXPECT_FALSE(g_canvas_cursor.crosshair_shown);
  EXPECT_EQ(g_pointer.shape, POINTER_CROSSHAIR);
}

TEST_F(CanvasCursorTest, F7AsksForARedrawAndF3ForgetsTheHoveredItem) {
  ASSERT_EQ(enter_at(300, 200), EVENT_POINTER_MOVE);
  g_hover.pick_kind = 3;
  headless_inject_key_down(VK_F1 + 2, 0);
  headless_inject_key_down(VK_F1 + 6, 0);
  EXPECT_EQ(track_canvas_cursor(), CANVAS_REDRAW);
  EXPECT_EQ(g_hover.pick_kind, 0);
  EXPECT_EQ(g_job_settings.node_snap_off, 1);
  EXPECT_EQ(g_draw_style.hide_invisible_links, 1);
  EXPECT_NE(g_form.redraw_level, 0);
}

TEST_F(CanvasCursorTest, APointerAboveTheAreaGlidesIn) {
  const struct {
    int x, y, want_x, want_y;
  } cases[] = {
      {300, g_view.area_top - 40, 300, g_view.area_top + CANVAS_BRING_IN_PIXELS},
      {300, bottom() + 5, 300, bottom() - CANVAS_BRING_IN_PIXELS},
  };
  for (const auto& c : cases) {
    capture_at(c.x, c.y);
    bring_pointer_into_drawing();
    EXPECT_EQ(g_pointer.wanted_x, c.want_x);
    EXPECT_EQ(g_pointer.wanted_y, c.want_y);
    EXPECT_TRUE(pointer_in_drawing_area());
  }
  // Inside already: nothing moves.
  capture_at(400, 300);
  bring_pointer_into_drawing();
  EXPECT_EQ(g_pointer.wanted_x, 400);
  EXPECT_EQ(g_pointer.wanted_y, 300);
}

TEST_F(CanvasCursorTest, KeyHintsFollowThePickKind) {
  reset_list_store();
  ASSERT_EQ(new_geometry_block("", nullptr, 2, 0, GEOMETRY_KIND_DRAWING_AID), 0);
  DrawingItem* polyline = g_lists.current.last;
  ASSERT_EQ(new_geometry_block("", nullptr, 2, 0, GEOMETRY_KIND_DRAWING_AID), 0);
  DrawingItem* other = g_lists.current.last;
  set_item_type(other, 1);
  const struct {
    int kind;
    DrawingItem* item;
    uint8_t first_flags;
    const char* starts;  // the hint's text without colour codes, its beginning
  } cases[] = {
      {0, nullptr, 0, "Keyboard commands: Draw menu"},
      {-1, nullptr, 0, "Edit item, Move by snap, Zoom"},
      {2, polyline, 0x08, "Edit item, Break open"},
      {1, polyline, 0, "Make node Tangent or Loose"},
      {1, other, 0, "Keyboard commands: 0123456789,.*-="},
      {3, polyline, 0, "Edit, Change menu, Separate links"},
      {3, other, 0, "Some keyboard commands: Edit this item"},
      {2, other, 0, nullptr},
  };
  const CellMetrics& normal = g_display.presets[FACE_ROLE_NORMAL];
  const int area_x = 42 * normal.cell_width;
  const int area_y = g_view.area_bottom + normal.cell_height / 3;
  for (const auto& c : cases) {
    fill_rect(area_x, area_y, 800, 600, 0x204060);
    const std::vector<uint32_t> before = pixels();
    g_hover.pick_kind = static_cast<int16_t>(c.kind);
    g_hover.hover_item = c.item;
    g_hover.hover_link = c.item != nullptr ? item_nodes(c.item) : nullptr;
    if (c.item != nullptr) item_nodes(c.item)[0].node_flags = NODE_FIRST | c.first_flags;
    show_key_hints();
    if (c.starts == nullptr) {
      EXPECT_EQ(pixels(), before) << c.kind;
      continue;
    }
    EXPECT_EQ(text_at(area_x, area_y, FACE_ROLE_NORMAL, static_cast<int>(std::strlen(c.starts))),
              c.starts)
        << c.kind;
  }
  free_current_list();
}

}  // namespace

namespace {

// Coming back into the drawing from outside forgets what was hovered before the pointer left,
// so that a click there cannot take the old item and the hover search starts again.
TEST_F(CanvasCursorTest, ReenteringTheDrawingForgetsTheOldHover) {
  DrawingItem stale;
  g_hover.hover_item = &stale;
  g_hover.hover_link = nullptr;
  g_hover.pick_kind = PICK_START_NODE;
  g_hover.pick_mode = PICK_MODE_PLAIN_KEYS;  // no search over the empty drawing afterwards
  capture_at(300, bottom() + 10);
  headless_inject_mouse_move(300, 200);
  EXPECT_EQ(next_editor_event_hover(), EVENT_POINTER_MOVE);
  EXPECT_EQ(g_hover.hover_item, nullptr);
  EXPECT_EQ(g_hover.pick_kind, 0);
}

}  // namespace
