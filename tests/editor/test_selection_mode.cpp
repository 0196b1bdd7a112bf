// Selection mode on a small fixture drawing: the mode driven through the event queue, and the
// operations of its buttons on the selection, the clipboard and the undo store.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "cam/machining_block.h"
#include "editor/drawing_commands.h"
#include "editor/drawing_page_state.h"
#include "editor/edit_session.h"
#include "editor/editor_page.h"
#include "editor/hover_state.h"
#include "editor/selection_mode.h"
#include "editor/undo_store.h"
#include "editor_fixture.h"
#include "records/job_settings.h"
#include "records/preferences.h"
#include "screen/event_queue.h"
#include "screen/pointer.h"
#include "tests/support/idle_typist.h"

namespace {

constexpr EventCode CTRL_A = KEY_CTRL_BASE + 'A';
constexpr EventCode CTRL_C = KEY_CTRL_BASE + 'C';
constexpr EventCode CTRL_Z = KEY_CTRL_BASE + 'Z';

class SelectionModeTest : public EditorFixture {
 protected:
  void SetUp() override {
    EditorFixture::SetUp();
    open_screen(1024, 768);
    layout_page_tab_strip();
    layout_paint_boxes();
    reset_undo_store();
    reset_edit_session();
    reset_selection_mode();
    reset_drawing_commands();
    g_preferences.current_page = PAGE_DRAWING;
    // The pointer over the drawing, away from every item of the fixtures.
    g_pointer.wanted_x = g_view.box_width / 2;
    g_pointer.wanted_y = g_view.area_bottom - 4;
  }
  void TearDown() override {
    undo_clear();
    discard_originals();
    empty_item_clipboard();
    reset_selection_mode();
    EditorFixture::TearDown();
  }

  static DrawingItem* with_id(DrawingItem* item) {
    set_item_id(item, ++g_job_settings.item_id_counter);
    return item;
  }
  static DrawingItem* line(float y) { return with_id(add_polyline({{0, y}, {10, y}})); }
  static DrawingItem* point(PointF p) {
    DrawingItem* item = with_id(add_item(ITEM_POINT, 1));
    LinkRecord* r = item_nodes(item);
    r[0].point = r[1].point = p;
    r[0].code = LINK_POINT - 0.5f;
    r[0].node_flags = NODE_FIRST;
    r[1].node_flags = NODE_CLOSING;
    item_bounding_boxes(item);
    return item;
  }

  static std::vector<int32_t> ids(DrawingItem* first) {
    std::vector<int32_t> out;
    for (DrawingItem* item = first; item != nullptr; item = item->next) out.push_back(item_id(item));
    return out;
  }

  // Runs the mode entered without a first selection on the queued codes, then Esc.
  static int run_mode(const std::vector<EventCode>& codes) {
    for (EventCode code : codes) push_input_code(code);
    push_input_code(KEY_ESC);
    return selection_mode(1);
  }
};

TEST_F(SelectionModeTest, AnEmptyDrawingAndClipboardDoNotStartTheMode) {
  EXPECT_EQ(selection_mode(1), SELECTION_NOT_STARTED);
  EXPECT_EQ(selection_mode(0), SELECTION_NOT_STARTED);
}

TEST_F(SelectionModeTest, LeavingClearsTheSelectionAndTheMask) {
  line(0);
  line(5);
  EXPECT_EQ(run_mode({CTRL_A}), SELECTION_LEFT);
  for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next)
    EXPECT_EQ(item_flags(item) & ITEM_FLAG_WORKING, 0);
  EXPECT_EQ(g_edit.selection_mask, EDIT_SELECT_MARKED);
}

// A box has to hold every link of an item: one that only partly covers it selects nothing.
TEST_F(SelectionModeTest, ABoxSelectsOnlyWhatItHoldsWhole) {
  DrawingItem* a = line(0);   // x 0..10
  DrawingItem* b = line(20);
  EXPECT_EQ(select_items_in_box({-1, -1}, {5, 1}, 1), 0);
  EXPECT_FALSE(item_is_selected(a));
  EXPECT_EQ(select_items_in_box({-1, -1}, {11, 1}, 1), 1);
  EXPECT_TRUE(item_is_selected(a));
  EXPECT_FALSE(item_is_selected(b));
  // Selecting again changes nothing; un-selecting by the same box changes it back.
  EXPECT_EQ(select_items_in_box({-1, -1}, {11, 1}, 1), 0);
  EXPECT_EQ(select_items_in_box({-1, -1}, {11, 1}, 0), 1);
}

TEST_F(SelectionModeTest, HiddenLayersAndUndrawnItemsTakeNoPart) {
  line(0);
  DrawingItem* hidden = with_id(add_polyline({{0, 1}, {1, 1}}, 3));
  DrawingItem* inactive = line(2);
  inactive->state = 0;
  g_layers.visibility[3] = 0;
  EXPECT_EQ(select_all_items(SELECT_ALL), 1);
  EXPECT_FALSE(item_is_selected(hidden));
  EXPECT_EQ(count_selected_items(), 1);
}

// Ctrl+C copies the selection into the clipboard: after select all and "u" there is nothing
// to copy, after select all there are both items.
TEST_F(SelectionModeTest, SelectAllThenUnselectLeavesNothingSelected) {
  line(0);
  line(5);
  run_mode({CTRL_A, 'u', CTRL_C});
  EXPECT_EQ(count_clipboard_items(), 0);
  run_mode({CTRL_A, 'U', CTRL_A, CTRL_C});
  EXPECT_EQ(count_clipboard_items(), 2);
}

TEST_F(SelectionModeTest, AddingTwiceKeepsOneCopyOfEachItemTheNewest) {
  DrawingItem* a = line(0);
  line(5);
  select_all_items(SELECT_ALL);
  EXPECT_EQ(selection_to_clipboard(false), 2);
  item_nodes(a)[1].point.x = 42.0f;  // the item changes between the two copies
  EXPECT_EQ(selection_to_clipboard(false), 2);
  ASSERT_EQ(count_clipboard_items(), 2);
  EXPECT_EQ(ids(g_drawing_page.clipboard.first), (std::vector<int32_t>{1, 2}));
  EXPECT_EQ(item_nodes(g_drawing_page.clipboard.first)[1].point.x, 42.0f);
  // The drawing keeps its two items, still selected, and no copy was left behind in it.
  EXPECT_EQ(ids(g_lists.current.first), (std::vector<int32_t>{1, 2}));
  EXPECT_EQ(count_selected_items(), 2);
}

TEST_F(SelectionModeTest, CutIsAnUndoableDeletion) {
  line(0);
  DrawingItem* b = line(5);
  set_item_selected(b, 1);
  EXPECT_EQ(selection_to_clipboard(true), 1);
  EXPECT_EQ(ids(g_lists.current.first), (std::vector<int32_t>{1}));
  EXPECT_EQ(ids(g_drawing_page.clipboard.first), (std::vector<int32_t>{2}));
  undo_command();
  std::vector<int32_t> back = ids(g_lists.current.first);
  EXPECT_EQ(std::set<int32_t>(back.begin(), back.end()), (std::set<int32_t>{1, 2}));
  EXPECT_EQ(count_clipboard_items(), 1);
}

TEST_F(SelectionModeTest, DeleteThenUndoGivesTheItemsBackWithTheirIds) {
  line(0);
  line(5);
  line(10);
  with_id(add_polyline({{0, 1}, {1, 1}}, 3));  // on a hidden layer: kept
  g_layers.visibility[3] = 0;
  run_mode({CTRL_A, KEY_DEL});
  EXPECT_EQ(ids(g_lists.current.first), (std::vector<int32_t>{4}));
  run_mode({CTRL_Z});
  std::vector<int32_t> back = ids(g_lists.current.first);
  EXPECT_EQ(std::set<int32_t>(back.begin(), back.end()), (std::set<int32_t>{1, 2, 3, 4}));
}

// Spiral Pocket needs a closed contour: an open polyline whose ends do not touch and that
// joins nothing is un-selected and counted; one whose ends touch is closed and set.
TEST_F(SelectionModeTest, SpiralPocketSkipsAnOpenPolylineThatJoinsNothing) {
  constexpr int SPIRAL_POCKET = 4;
  DrawingItem* open = line(0);
  select_all_items(SELECT_ALL);
  int open_count = 0, points = 0;
  EXPECT_EQ(set_contours_cam_op(SPIRAL_POCKET, &open_count, &points), -1);
  EXPECT_EQ(open_count, 1);
  EXPECT_EQ(points, 0);
  EXPECT_FALSE(item_is_selected(open));
  EXPECT_EQ(item_block(open)->cam_kind, GEOMETRY_KIND_DRAWING_AID);

  DrawingItem* touching = with_id(add_polyline({{0, 0}, {10, 0}, {10, 10}, {0, 0.0000001f}}));
  set_item_selected(touching, 1);
  open_count = 0;
  EXPECT_EQ(set_contours_cam_op(SPIRAL_POCKET, &open_count, &points), 1);
  EXPECT_EQ(open_count, 0);
  EXPECT_TRUE(item_is_closed(touching));
  EXPECT_EQ(block_cam_op(item_block(touching)), SPIRAL_POCKET);
}

TEST_F(SelectionModeTest, DrillOnAMixedSetSetsOnlyThePoints) {
  constexpr int DRILL = 1;
  DrawingItem* p = point({1, 1});
  DrawingItem* q = point({2, 2});
  DrawingItem* l = line(5);
  select_all_items(SELECT_ALL);
  int ignored = 0;
  EXPECT_EQ(set_points_cam_op(DRILL, &ignored), 2);
  EXPECT_EQ(ignored, 1);
  EXPECT_FALSE(item_is_selected(l));
  for (DrawingItem* item : {p, q}) EXPECT_EQ(block_cam_op(item_block(item)), DRILL);
  EXPECT_EQ(item_block(l)->cam_kind, GEOMETRY_KIND_DRAWING_AID);
  // Asked again, nothing changes.
  ignored = 0;
  EXPECT_EQ(set_points_cam_op(DRILL, &ignored), 0);
}

TEST_F(SelectionModeTest, TheClipboardAloneStartsTheMode) {
  line(0);
  select_all_items(SELECT_ALL);
  selection_to_clipboard(true);
  ASSERT_EQ(g_lists.current.first, nullptr);
  EXPECT_TRUE(drawing_or_clipboard_nonempty());
  EXPECT_EQ(run_mode({}), SELECTION_LEFT);
}

// The count of selected items stands in the prompt strip's third row, 16 columns right of the
// start of its label, and follows the selection while the mode runs.
TEST_F(SelectionModeTest, TheCountStandsBesideItsLabel) {
  line(0);
  line(5);
  line(10);
  const CellMetrics& c = g_display.presets[FACE_ROLE_NORMAL];
  std::vector<std::string> rows;
  auto capture = [&] {
    g_typist.steps.push_back([&] {
      rows.push_back(text_at(0, 2 * c.cell_height, FACE_ROLE_NORMAL, c.last_column));
    });
  };
  start_typist();
  capture();
  typist_key('A', WINDOW_MOD_CTRL);
  capture();
  typist_text("u");
  capture();
  typist_key(VK_ESCAPE);
  EXPECT_EQ(selection_mode(1), SELECTION_LEFT);
  pump_set_idle_handler(nullptr);
  ASSERT_EQ(rows.size(), 3u);
  for (size_t k = 0; k < rows.size(); ++k) {
    const size_t label = rows[k].find("Items selected:");
    ASSERT_NE(label, std::string::npos) << rows[k];
    const char* expected[] = {"0        ", "3        ", "0        "};
    EXPECT_EQ(rows[k].substr(label + 16, 9), expected[k]) << rows[k];
  }
}

// The page's Ctrl+Ins adds the hovered item to the clipboard; copied twice, the clipboard keeps
// one copy of it, the newer. Ctrl+C replaces the clipboard with it.
TEST_F(SelectionModeTest, TheHoveredItemCopiedTwiceIsKeptOnce) {
  DrawingItem* a = line(0);
  DrawingItem* b = line(5);
  g_hover.pick_kind = 17;
  g_hover.hover_item = a;
  copy_hovered_to_clipboard(true);
  g_hover.hover_item = b;
  copy_hovered_to_clipboard(true);
  item_nodes(a)[1].point.x = 42.0f;
  g_hover.hover_item = a;
  copy_hovered_to_clipboard(true);
  EXPECT_EQ(ids(g_drawing_page.clipboard.first), (std::vector<int32_t>{1, 2}));
  EXPECT_EQ(item_nodes(g_drawing_page.clipboard.first)[1].point.x, 42.0f);
  EXPECT_EQ(ids(g_lists.current.first), (std::vector<int32_t>{1, 2}));
  g_hover.hover_item = b;
  copy_hovered_to_clipboard(false);
  EXPECT_EQ(ids(g_drawing_page.clipboard.first), (std::vector<int32_t>{2}));
  reset_hover_state();
}

}  // namespace
