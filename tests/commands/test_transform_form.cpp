// The transform value form through the event queue on the headless screen: MOVE of the marked
// items by typed points and its undo, ALIGN in a column with a spacing, SCALE's refusal of a
// factor of 0; the job written and read back.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <map>
#include <vector>

#include "../editor/editor_fixture.h"
#include "commands/connect_commands.h"
#include "commands/transform_form.h"
#include "commands/value_form.h"
#include "editor/drawing_commands.h"
#include "editor/edit_command.h"
#include "editor/edit_session.h"
#include "editor/undo_store.h"
#include "geometry/item_edit_state.h"
#include "job/job_file.h"
#include "platform/files.h"
#include "platform/headless.h"
#include "records/job_settings.h"
#include "records/preferences.h"
#include "screen/controls.h"
#include "screen/event_queue.h"
#include "store/catalogue.h"
#include "store/store_host.h"
#include "tests/editor/drawing_window.h"
#include "commands/transform_by_values.h"
#include "tests/support/idle_typist.h"
#include "tests/support/test_folder.h"
#include "tests/commands/value_form_fixture.h"
#include "ui/message_box.h"

namespace {

constexpr int EDIT_MOVE_MARKED = 913;
constexpr int EDIT_COPY_MARKED = 917;
constexpr int EDIT_SCALE_BY_VALUES = 912;
constexpr int EDIT_ALIGN = 931;
constexpr int EDIT_MIRROR_BY_VALUES = 918;
constexpr int CONTROL_OK = 96;
constexpr int CONTROL_DELETE_ORIGINALS = 28;

// Each item's node points by ID, as a job file holds them.
using ItemPoints = std::map<int32_t, std::vector<PointF>>;

class TransformForm : public EditorFixture {
 protected:
  void SetUp() override {
    EditorFixture::SetUp();
    set_program_folder_for_tests(BRENVIK_PROGRAM_DIR);
    ASSERT_GT(open_catalogue(), 0);
    g_store_host.show_text_box = show_text_box;
    reset_undo_store();
    reset_edit_session();
    reset_item_edit();
    reset_value_form();
    reset_transform_form_memory();
    reset_transform_menu_memory();
    reset_job_settings();
    g_preferences.current_page = PAGE_DRAWING;
    g_view.area_top = static_cast<int16_t>(2 * g_display.presets[FACE_ROLE_NORMAL].cell_height);
    g_view.area_width = g_display.screen_width;
    set_view(10.0f, -10.0f, 30.0f);
    connect_drawing_commands();
    capture_at(0, 0);
    start_typist();
    window_ = open_drawing_window();
    folder_ = make_test_folder("brenvik-transform-form");
  }
  void TearDown() override {
    pump_set_idle_handler(nullptr);
    while (poll_input_code(0) != 0) {
    }
    close_drawing_window(window_);
    reset_drawing_commands();
    undo_clear();
    discard_originals();
    reset_edit_session();
    reset_transform_form_memory();
    std::filesystem::remove_all(folder_);
    reset_catalogue();
    g_store_host = StoreHost{};
    EditorFixture::TearDown();
  }

  // A marked polyline with an ID.
  DrawingItem* marked(const std::vector<PointF>& points, int32_t id) {
    DrawingItem* item = add_polyline(points, 1);
    set_item_id(item, id);
    set_item_flags(item, ITEM_FLAG_MARKED);
    g_job_settings.item_id_counter = std::max(g_job_settings.item_id_counter, id);
    return item;
  }

  // The drawing written as a job and read back: each item's points by ID.
  ItemPoints saved_and_read_back() {
    const std::string path = (folder_ / "moved.job").string();
    EXPECT_EQ(write_job_to_path(path), 0);
    push_list();
    clear_current_list();
    ItemPoints out;
    EXPECT_EQ(read_job_file(path, nullptr), 0);
    for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next) {
      if (item_type(item) == 0 || item->extra.empty()) continue;
      const LinkRecord* r = item_nodes(item);
      std::vector<PointF>& points = out[item_id(item)];
      for (int32_t i = 0; i <= item_link_count(item); ++i) points.push_back(r[i].point);
    }
    free_current_list();
    pop_list();
    return out;
  }

  ItemPoints drawing_points() {
    ItemPoints out;
    for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next) {
      if (item_type(item) == 0 || item->extra.empty()) continue;
      const LinkRecord* r = item_nodes(item);
      std::vector<PointF>& points = out[item_id(item)];
      for (int32_t i = 0; i <= item_link_count(item); ++i) points.push_back(r[i].point);
    }
    return out;
  }

  // The From and To fields of the MOVE and COPY forms typed in their order.
  static void typist_from_to(const char* from_x, const char* from_y, const char* to_x,
                             const char* to_y) {
    for (const char* value : {from_x, from_y, to_x, to_y}) {
      typist_text(value);
      typist_key(VK_RETURN);
    }
  }

  // A click on a control of the form, found when the form is up.
  static void click_control(int id) {
    g_typist.steps.push_back(typist_step_when(
        [id] { return find_control(id) != nullptr; },
        [id] {
          const ScreenControl* c = find_control(id);
          if (c == nullptr) return;
          const int x = c->x + 3;
          const int y = c->y + 3;
          headless_inject_mouse_move(x, y);
          headless_inject_mouse_button(WINDOW_BUTTON_LEFT, true, x, y);
          headless_inject_mouse_button(WINDOW_BUTTON_LEFT, false, x, y);
        }));
  }

  static void click_world(PointF p) { typist_click_world(p); }
  static void click_label(int field) { click_control(field + VALUE_LABEL_OFFSET); }
  // A check while the form waits.
  static void then(std::function<void()> check) { g_typist.steps.push_back(std::move(check)); }

  TextLine* window_ = nullptr;
  std::filesystem::path folder_;
};

void expect_points(const std::vector<PointF>& got, const std::vector<PointF>& want, int id) {
  ASSERT_EQ(got.size(), want.size()) << "item " << id;
  for (size_t i = 0; i < got.size(); ++i) {
    EXPECT_NEAR(got[i].x, want[i].x, 1e-4) << "item " << id << " node " << i;
    EXPECT_NEAR(got[i].y, want[i].y, 1e-4) << "item " << id << " node " << i;
  }
}

// From (0, 0) to (10, 5): every marked item moves by (10, 5), the unmarked one stays; the job
// holds the moved items, and one undo step brings them back.
TEST_F(TransformForm, MoveFormFromAPointToAPointAndUndo) {
  marked({{0, 0}, {4, 0}, {4, 3}}, 1);
  marked({{-2, 1}, {-1, 2}}, 2);
  add_polyline({{7, 7}, {8, 8}}, 1);
  set_item_id(g_lists.current.last, 3);
  g_job_settings.item_id_counter = 3;
  const ItemPoints before = drawing_points();
  g_edit.selection_mask = ITEM_FLAG_MARKED;
  typist_key(VK_RETURN);  // picture menu 190: "By values", preselected
  typist_from_to("0", "0", "10", "5");
  typist_key(VK_ESCAPE);  // leaves the XY distance field as it was
  click_control(96);      // OK
  edit_command(EDIT_MOVE_MARKED);
  const ItemPoints after = saved_and_read_back();
  ASSERT_EQ(after.size(), 3u);
  expect_points(after.at(1), {{10, 5}, {14, 5}, {14, 8}}, 1);
  expect_points(after.at(2), {{8, 6}, {9, 7}}, 2);
  expect_points(after.at(3), before.at(3), 3);
  undo_command();
  const ItemPoints undone = drawing_points();
  ASSERT_EQ(undone.size(), 3u);
  for (const auto& [id, points] : before) expect_points(undone.at(id), points, id);
}

// Picture menu 190's other cell: a start point and a destination, typed here, move the marked
// items by their difference as one undo step; Esc at the start point changes nothing.
TEST_F(TransformForm, MoveFromAPointToAPointPickedThenUndo) {
  marked({{0, 0}, {4, 0}, {4, 3}}, 1);
  add_polyline({{7, 7}, {8, 8}}, 1);
  set_item_id(g_lists.current.last, 2);
  g_job_settings.item_id_counter = 2;
  const ItemPoints before = drawing_points();
  g_edit.selection_mask = ITEM_FLAG_MARKED;
  typist_key(VK_ESCAPE);  // picture menu 190 itself cancelled
  edit_command(EDIT_MOVE_MARKED);
  g_edit.selection_mask = ITEM_FLAG_MARKED;
  typist_key(VK_RIGHT);   // picture menu 190: "By points"
  typist_key(VK_RETURN);
  typist_key(VK_ESCAPE);  // no start point
  edit_command(EDIT_MOVE_MARKED);
  for (const auto& [id, points] : drawing_points()) expect_points(points, before.at(id), id);
  EXPECT_EQ(g_undo.step_count, 0);

  g_edit.selection_mask = ITEM_FLAG_MARKED;
  typist_key(VK_RETURN);  // "By points" is remembered
  typist_text("1,1");
  typist_key(VK_RETURN);
  typist_text("11,6");
  typist_key(VK_RETURN);
  edit_command(EDIT_MOVE_MARKED);
  const ItemPoints after = saved_and_read_back();
  ASSERT_EQ(after.size(), 2u);
  expect_points(after.at(1), {{10, 5}, {14, 5}, {14, 8}}, 1);
  expect_points(after.at(2), before.at(2), 2);
  EXPECT_EQ(g_undo.step_count, 1);
  undo_command();
  for (const auto& [id, points] : drawing_points()) expect_points(points, before.at(id), id);
}

// COPY by values: the copy stands at From (0, 0) To (10, 5) with the next ID, the originals stay;
// one undo step takes the copy away. A cancelled form adds nothing.
TEST_F(TransformForm, CopyByValuesAddsTheCopiesAsOneUndoStep) {
  marked({{0, 0}, {4, 0}, {4, 3}}, 1);
  add_polyline({{7, 7}, {8, 8}}, 1);
  set_item_id(g_lists.current.last, 2);
  g_job_settings.item_id_counter = 2;
  const ItemPoints before = drawing_points();
  g_edit.selection_mask = ITEM_FLAG_MARKED;
  typist_key(VK_RETURN);  // picture menu 190: "By values", preselected
  typist_key(VK_ESCAPE);  // the form cancelled
  edit_command(EDIT_COPY_MARKED);
  EXPECT_EQ(drawing_points().size(), before.size());
  for (const auto& [id, points] : drawing_points()) expect_points(points, before.at(id), id);
  EXPECT_EQ(g_undo.step_count, 0);

  g_edit.selection_mask = ITEM_FLAG_MARKED;
  typist_key(VK_RETURN);
  typist_from_to("0", "0", "10", "5");
  typist_key(VK_ESCAPE);
  click_control(CONTROL_OK);
  edit_command(EDIT_COPY_MARKED);
  const ItemPoints after = saved_and_read_back();
  ASSERT_EQ(after.size(), 3u);
  expect_points(after.at(1), before.at(1), 1);
  expect_points(after.at(2), before.at(2), 2);
  expect_points(after.at(3), {{10, 5}, {14, 5}, {14, 8}}, 3);
  EXPECT_EQ(g_undo.step_count, 1);
  undo_command();
  EXPECT_EQ(drawing_points().size(), before.size());
  for (const auto& [id, points] : drawing_points()) expect_points(points, before.at(id), id);
}

// Cancel leaves every item where it was and no undo step.
TEST_F(TransformForm, MoveFormCancelledChangesNothing) {
  marked({{0, 0}, {4, 0}}, 1);
  const ItemPoints before = drawing_points();
  g_edit.selection_mask = ITEM_FLAG_MARKED;
  typist_key(VK_RETURN);
  typist_text("3");
  typist_key(VK_RETURN);
  typist_key(VK_ESCAPE);
  typist_key(VK_ESCAPE);
  edit_command(EDIT_MOVE_MARKED);
  const ItemPoints after = saved_and_read_back();
  expect_points(after.at(1), before.at(1), 1);
  EXPECT_EQ(g_undo.step_count, 0);
}

// Column, Left, spacing 1: every left edge on the leftmost item's, stacked down from the top
// one with gaps of 1.
TEST_F(TransformForm, AlignInAColumnLeftWithSpacingOne) {
  marked({{3, 10}, {7, 10}, {7, 12}}, 1);   // x 3..7,  y 10..12: the top one
  marked({{0, 0}, {2, 0}, {2, 1}}, 2);      // x 0..2,  y 0..1: the leftmost
  marked({{5, 4}, {6, 4}, {6, 7}}, 3);      // x 5..6,  y 4..7
  g_edit.selection_mask = ITEM_FLAG_MARKED;
  click_control(33);                        // Left
  click_control(TF_X_VALUE);                // Spacing
  typist_text("1");
  typist_key(VK_RETURN);                    // the last field: typing ends
  click_control(96);
  edit_command(EDIT_ALIGN);
  const ItemPoints after = saved_and_read_back();
  ASSERT_EQ(after.size(), 3u);
  // The top item stays at its height; each next one's top lies 1 below the last one's bottom.
  expect_points(after.at(1), {{0, 10}, {4, 10}, {4, 12}}, 1);
  expect_points(after.at(3), {{0, 6}, {1, 6}, {1, 9}}, 3);
  expect_points(after.at(2), {{0, 4}, {2, 4}, {2, 5}}, 2);
  EXPECT_EQ(g_undo.step_count, 1);
}

// A typed factor of 0 is refused with a message; the items keep their size.
TEST_F(TransformForm, ScaleFactorZeroIsRefused) {
  marked({{0, 0}, {4, 0}, {4, 2}}, 1);
  const ItemPoints before = drawing_points();
  g_edit.selection_mask = ITEM_FLAG_MARKED;
  typist_key(VK_RETURN);                    // the choice prompt: "Factor"
  click_control(TF_FACTOR);
  typist_text("0");
  typist_key(VK_RETURN);
  typist_key(VK_RETURN);                    // the refusal box
  typist_key(VK_ESCAPE);
  click_control(96);
  edit_command(EDIT_SCALE_BY_VALUES);
  EXPECT_NE(g_message_box.last_text.find("scale factor must be above 0"), std::string::npos)
      << g_message_box.last_text;
  const ItemPoints after = saved_and_read_back();
  expect_points(after.at(1), before.at(1), 1);
}

// MIRROR about the upright line x = 5, with and without "Delete originals": a mirrored copy is
// added beside the original, or takes its place; the job holds it, and one undo step takes the
// mirror back either way.
TEST_F(TransformForm, MirrorWithAndWithoutDeletingTheOriginalsThenUndo) {
  for (const bool delete_originals : {false, true}) {
    SCOPED_TRACE(delete_originals ? "delete originals" : "keep originals");
    free_current_list();
    undo_clear();
    reset_transform_form_memory();
    marked({{0, 0}, {4, 0}, {4, 3}}, 1);
    const ItemPoints before = drawing_points();
    g_edit.selection_mask = ITEM_FLAG_MARKED;
    start_typist();
    typist_key(VK_RETURN);  // the picture menu: about an upright line, preselected
    typist_text("5");       // its X
    typist_key(VK_RETURN);
    typist_key(VK_ESCAPE);  // leaves the layer field
    if (delete_originals) click_control(CONTROL_DELETE_ORIGINALS);
    click_control(CONTROL_OK);
    edit_command(EDIT_MIRROR_BY_VALUES);
    pump_set_idle_handler(nullptr);
    const std::vector<PointF> mirrored = {{10, 0}, {6, 0}, {6, 3}};
    std::vector<std::vector<PointF>> saved;
    for (const auto& [id, points] : saved_and_read_back()) saved.push_back(points);
    ASSERT_EQ(saved.size(), delete_originals ? 1u : 2u);
    if (!delete_originals) expect_points(saved[0], before.at(1), 1);
    expect_points(saved.back(), mirrored, 0);
    EXPECT_EQ(g_undo.step_count, 1);
    undo_command();
    const ItemPoints undone = drawing_points();
    ASSERT_EQ(undone.size(), 1u);
    expect_points(undone.begin()->second, before.at(1), 1);
  }
}

// The MOVE form's points picked in the drawing: "From, X:" selected and a click on a node of an
// unmarked item, then "To, X:" and a click on its other node; OK moves the marked item by the
// difference, both nodes taken exactly.
TEST_F(TransformForm, MoveFormTakesItsPointsFromNodesInTheDrawing) {
  marked({{0, 0}, {4, 0}, {4, 3}}, 1);
  add_polyline({{7, 7}, {9, 8}}, 1);
  set_item_id(g_lists.current.last, 2);
  g_job_settings.item_id_counter = 2;
  g_edit.selection_mask = ITEM_FLAG_MARKED;
  typist_key(VK_RETURN);  // picture menu 190: "By values", preselected
  click_label(TF_START_X);
  click_world({7, 7});
  click_label(TF_END_X);
  click_world({9, 8});
  then([] {
    EXPECT_FLOAT_EQ(g_value_form.link.link.point.x, 7.0f);
    EXPECT_FLOAT_EQ(g_value_form.link.closing.point.y, 8.0f);
  });
  click_control(CONTROL_OK);
  edit_command(EDIT_MOVE_MARKED);
  const ItemPoints after = drawing_points();
  ASSERT_EQ(after.size(), 2u);
  expect_points(after.at(1), {{2, 1}, {6, 1}, {6, 4}}, 1);
  expect_points(after.at(2), {{7, 7}, {9, 8}}, 2);
  EXPECT_EQ(g_undo.step_count, 1);
}

// The LINE form's "Tangent to:" field takes the link clicked in the drawing and shows its item's
// ID; Del on the selected label clears it again.
TEST_F(TransformForm, TangentFieldTakesAPickedLinkAndDelClearsIt) {
  add_polyline({{0, 10}, {10, 10}}, 1);
  set_item_id(g_lists.current.last, 7);
  g_job_settings.item_id_counter = 7;
  click_label(TF_END_TANGENT);
  click_world({5, 10});
  then([] {
    EXPECT_EQ(g_value_form.entered[TF_END_TANGENT], FIELD_ENTERED);
    EXPECT_TRUE(g_transform_form.end_tangent.set);
    EXPECT_EQ(g_transform_form.end_tangent.item_id, 7);
    EXPECT_FLOAT_EQ(g_transform_form.end_tangent.link[1].point.x, 10.0f);
    const ScreenControl* field = find_control(TF_END_TANGENT);
    ASSERT_NE(field, nullptr);
    EXPECT_NE(std::string(field->caption).find("7"), std::string::npos) << field->caption;
  });
  typist_key(VK_DELETE);
  then([] {
    EXPECT_EQ(g_value_form.entered[TF_END_TANGENT], FIELD_EMPTY);
    EXPECT_FALSE(g_transform_form.end_tangent.set);
    const ScreenControl* field = find_control(TF_END_TANGENT);
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->caption[0], 0);
  });
  typist_key(VK_ESCAPE);
  EXPECT_EQ(value_transform_form(TRANSFORM_LINE), TRANSFORM_CANCELLED);
  EXPECT_EQ(g_lists.current.first, g_lists.current.last) << "no line was made";
}

// SCALE's anchor is marked by two grey XOR circles about it while the form is open: the one of a
// cell's radius crosses the row of the anchor (the middle of the selection's box) a cell to its
// left on the black drawing, and Cancel takes it off again.
TEST_F(TransformForm, ScaleAnchorIsMarkedWhileTheFormIsOpen) {
  marked({{0, 0}, {4, 0}, {4, 2}}, 1);
  g_edit.selection_mask = ITEM_FLAG_MARKED;
  const auto ring_pixels = [] {
    int x = 0, y = 0;
    world_to_screen({2, 1}, &x, &y);
    x -= g_display.presets[FACE_ROLE_NORMAL].cell_height;
    y += g_view.origin_y;  // the drawing's row 0 on the screen
    std::vector<uint32_t> out;
    for (int dx = -1; dx <= 1; ++dx)
      for (int dy = -1; dy <= 1; ++dy) out.push_back(pixel(x + dx, y + dy));
    return out;
  };
  std::vector<uint32_t> shown;
  typist_key(VK_RETURN);  // the choice prompt: "Factor"
  then([&] { shown = ring_pixels(); });
  click_control(VALUE_ID_CANCEL);
  edit_command(EDIT_SCALE_BY_VALUES);
  ASSERT_FALSE(shown.empty());
  EXPECT_NE(std::find(shown.begin(), shown.end(), 0x808080u), shown.end())
      << "the grey ring crosses the anchor's row one cell to its right ";
  const std::vector<uint32_t> after = ring_pixels();
  EXPECT_EQ(std::find(after.begin(), after.end(), 0x808080u), after.end());
}

}  // namespace
