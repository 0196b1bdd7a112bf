// The array form through the event queue on the headless screen: the fields typed, the kind and
// the check boxes clicked, the live copies, OK and its one undo step, the counts a pattern cannot
// store, and a copy that cannot be made.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "commands/array_form.h"
#include "commands/connect_commands.h"
#include "commands/value_form.h"
#include "tests/commands/value_form_fixture.h"
#include "editor/drawing_commands.h"
#include "editor/edit_session.h"
#include "editor/undo_store.h"
#include "geometry/item_edit_state.h"
#include "platform/headless.h"
#include "records/job_settings.h"
#include "screen/controls.h"
#include "screen/event_queue.h"
#include "tests/editor/drawing_window.h"
#include "tests/support/idle_typist.h"
#include "ui/message_box.h"
#include "ui/popups.h"

namespace {

constexpr uint8_t WORKING_AND_SELECTED = ITEM_FLAG_SELECTED | ITEM_FLAG_WORKING;
constexpr int ID_OK = 96;
constexpr int ID_CANCEL = 1;
constexpr int ID_KIND = 2;
constexpr int ID_DELETE_ORIGINALS = 23;
constexpr int ID_RETAIN_LAYERS = 26;

class ArrayForm : public ValueFormFixture {
 protected:
  void SetUp() override {
    ValueFormFixture::SetUp();
    reset_array_form();
    g_view.area_top = static_cast<int16_t>(2 * g_display.presets[FACE_ROLE_NORMAL].cell_height);
    g_view.area_width = g_display.screen_width;
  }
  void TearDown() override {
    ValueFormFixture::TearDown();
    reset_array_form();
  }

  // The selection the form works on: items with the working flag, numbered 1, 2, ...
  DrawingItem* select(DrawingItem* item) {
    set_item_flags(item, WORKING_AND_SELECTED);
    set_item_id(item, ++g_job_settings.item_id_counter);
    return item;
  }
  // Opens the drawing's window and runs the form with the steps queued so far.
  int run_form() {
    open_drawing();
    return g_drawing_commands.array_form();
  }

  // The captions of the open form's labels, read when the step runs.
  void read_captions() {
    g_typist.steps.push_back([this] {
      captions_.clear();
      for (const ScreenControl* c = g_controls.active; c != nullptr && c->flags != CF_END; ++c)
        captions_.emplace_back(c->caption);
    });
  }
  bool has_caption(const std::string& text) const {
    return std::find(captions_.begin(), captions_.end(), text) != captions_.end();
  }

  std::vector<std::string> captions_;
};

std::vector<DrawingItem*> items() {
  std::vector<DrawingItem*> out;
  for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next)
    out.push_back(item);
  return out;
}

// The first node of every item with an ID above `above`, sorted.
std::vector<std::pair<float, float>> first_nodes_above(int above) {
  std::vector<std::pair<float, float>> out;
  for (DrawingItem* item : items()) {
    if (item_id(item) <= above) continue;
    const PointF p = item_nodes(item)[0].point;
    out.emplace_back(std::round(p.x * 1000) / 1000, std::round(p.y * 1000) / 1000);
  }
  std::sort(out.begin(), out.end());
  return out;
}

// Rows of 3 x 2 copies placed by the handle: every position of the grid, as the test reckons
// it, holds one copy; IDs, flags and the machining order follow; OK with "Delete originals" is
// one undo step that brings the selection back.
TEST_F(ArrayForm, AGridOfCopiesIsOneUndoStep) {
  DrawingItem* line = select(add_polyline({{0, 0}, {2, 0}, {2, 1}}));
  // The handle is the centre of the selection's box: (1, 0.5).
  type_field("10");    // start X
  type_field("20");    // start Y
  type_field("3");     // rows
  type_field("2");     // columns
  type_field("5");     // row spacing
  type_field("4");     // column spacing
  typist_key(VK_ESCAPE);
  click_control(ID_OK);
  EXPECT_EQ(run_form(), 0);
  (void)line;

  std::vector<std::pair<float, float>> expected;
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 2; ++c)
      expected.emplace_back(10 + 4 * c - 1, 20 + 5 * r - 0.5f);  // first node at (0,0) - handle
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(first_nodes_above(1), expected);

  const std::vector<DrawingItem*> now = items();
  ASSERT_EQ(now.size(), 6u);  // the original went with "Delete originals"
  for (size_t i = 0; i < now.size(); ++i) {
    EXPECT_EQ(item_flags(now[i]), WORKING_AND_SELECTED);
    EXPECT_GE(item_id(now[i]), 2);
  }
  EXPECT_EQ(g_job_settings.item_id_counter, 7);

  undo_command();
  const std::vector<DrawingItem*> back = items();
  ASSERT_EQ(back.size(), 1u);
  EXPECT_EQ(item_id(back[0]), 1);
  EXPECT_EQ(item_nodes(back[0])[2].point.y, 1.0f);
  redo_command();
  EXPECT_EQ(items().size(), 6u);
}

// Machinable copies are machined after the items there were, in the order they were made.
TEST_F(ArrayForm, MachinableCopiesFollowInTheirOrder) {
  ASSERT_EQ(new_geometry_block("", nullptr, 1, 0, GEOMETRY_KIND_MACHINABLE), 0);
  DrawingItem* item = g_lists.current.last;
  item->kind = ITEM_POLYLINE;
  LinkRecord* r = item_nodes(item);
  r[0].point = {0, 0};
  r[1].point = {1, 0};
  r[0].node_flags = NODE_FIRST;
  r[1].node_flags = NODE_CLOSING;
  item_bounding_boxes(item);
  select(item);
  click_control(ID_DELETE_ORIGINALS);  // keep the original
  type_field("0");
  type_field("3");
  type_field("1");
  type_field("4");
  type_field("");
  type_field("3");
  typist_key(VK_ESCAPE);
  click_control(ID_OK);
  EXPECT_EQ(run_form(), 0);
  std::vector<std::pair<int32_t, int16_t>> copies;
  for (DrawingItem* i : items()) {
    if (i == item) {
      EXPECT_EQ(item_flags(i) & ITEM_FLAG_WORKING, 0);  // the original loses its working flag
      continue;
    }
    copies.emplace_back(item_id(i), block_machining_order(item_block(i)));
  }
  ASSERT_EQ(copies.size(), 4u);
  std::sort(copies.begin(), copies.end());
  for (size_t i = 1; i < copies.size(); ++i) EXPECT_GT(copies[i].second, copies[i - 1].second);
  EXPECT_GT(copies[0].second, block_machining_order(item_block(item)));
  undo_command();
  EXPECT_EQ(items().size(), 1u);  // added copies only: the original stayed
}

// A circular array of radius 0 turns its six copies about the centre by 60 degrees each; the
// kind's labels change with it.
TEST_F(ArrayForm, ACircleOfRadiusZeroTurnsTheCopiesInPlace) {
  select(add_polyline({{5, 5}, {8, 6}}));
  click_control(ID_KIND);
  for (int i = 0; i < 4; ++i) typist_key(VK_DOWN);  // from "Align rows" to "Circular"
  typist_key(VK_RETURN);
  read_captions();
  type_field("5");   // centre X
  type_field("5");   // centre Y
  type_field("6");   // copies
  typist_key(VK_ESCAPE);
  click_control(ID_OK);
  EXPECT_EQ(run_form(), 0);

  for (const char* label : {"Center:", "Num items:", "Spacing:", "Radius:", "Start angle:"})
    EXPECT_TRUE(has_caption(label)) << label;
  EXPECT_FALSE(has_caption("Num rows:"));

  std::vector<double> angles;
  for (DrawingItem* item : items()) {
    const LinkRecord* r = item_nodes(item);
    EXPECT_NEAR(std::hypot(r[0].point.x - 5, r[0].point.y - 5), 0, 1e-5);  // not moved
    angles.push_back((std::atan2(r[1].point.y - 5, r[1].point.x - 5) - std::atan2(1, 3)) * 180 /
                     M_PI);
  }
  ASSERT_EQ(angles.size(), 6u);
  for (double& a : angles) a = std::fmod(a + 360.0 + 1e-6, 360.0);
  std::sort(angles.begin(), angles.end());
  for (int k = 0; k < 6; ++k) EXPECT_NEAR(angles[static_cast<size_t>(k)], 60.0 * k, 1e-3);
  EXPECT_EQ(g_array_form.kind, 5);  // the kind carries over to the next array
}

// 256 rows do not fit the pattern: refused, the count kept; 0 rows are taken as 1.
TEST_F(ArrayForm, CountsThePatternCannotStoreAreRefused) {
  select(add_polyline({{0, 0}, {1, 0}}));
  type_field("5");
  type_field("5");
  typist_text("256");
  typist_key(VK_RETURN);
  answer_box("1 to 255");
  typist_text("0");   // columns
  typist_key(VK_RETURN);
  typist_key(VK_ESCAPE);
  click_control(ID_CANCEL);
  EXPECT_EQ(run_form(), 698);
  EXPECT_EQ(g_array_form.rows, 1);
  EXPECT_EQ(g_array_form.columns, 1);
  EXPECT_EQ(items().size(), 1u);  // Cancel deleted the copy
  EXPECT_EQ(item_flags(items()[0]), WORKING_AND_SELECTED);
}

// A circular array of 0 copies stays incomplete: OK shows why and keeps the form open.
TEST_F(ArrayForm, ACircleOfNoCopiesIsIncomplete) {
  select(add_polyline({{0, 0}, {1, 0}}));
  click_control(ID_KIND);
  for (int i = 0; i < 4; ++i) typist_key(VK_DOWN);
  typist_key(VK_RETURN);
  type_field("1");
  type_field("1");
  type_field("0");
  typist_key(VK_ESCAPE);
  click_control(ID_OK);
  answer_box("haven't completely defined");
  quit_after_box();
  EXPECT_EQ(run_form(), 27);
  EXPECT_EQ(items().size(), 1u);
}

// A copy that cannot be made: a message, no copies left, the form still open; Esc then leaves
// the drawing as it was.
TEST_F(ArrayForm, ACopyThatFailsLeavesNoCopies) {
  select(add_polyline({{0, 0}, {1, 0}}));
  select(add_polyline({{0, 2}, {1, 2}}));
  static int left = 0;
  left = 5;
  g_array_form.copy_item = [](DrawingItem* item, int k) {
    return left-- > 0 ? copy_item_with_extra_links(item, k) : -1;
  };
  type_field("0");
  type_field("0");
  type_field("2");
  type_field("3");
  type_field("1");
  type_field("1");   // 6 positions x 2 items: the fourth copy of this remake fails
  answer_box("not enough memory");
  quit_after_box();
  EXPECT_EQ(run_form(), 27);
  EXPECT_EQ(g_array_form.first_copy, nullptr);
  EXPECT_EQ(items().size(), 2u);
}

// A new layer unticks "Retain layers": the copies go to the form's layer; Esc at the end of the
// form would have left them out, OK keeps them.
TEST_F(ArrayForm, ANewLayerSendsTheCopiesThere) {
  select(add_polyline({{0, 0}, {1, 0}}, 3));
  click_control(ID_DELETE_ORIGINALS);
  type_field("0");
  type_field("5");
  typist_key(VK_ESCAPE);
  click_control(11);        // the layer field
  typist_text("7");
  typist_key(VK_RETURN);   // past the last field: back to the form
  click_control(ID_OK);
  EXPECT_EQ(run_form(), 0);
  ASSERT_EQ(items().size(), 2u);
  EXPECT_EQ(item_layer(items()[0]), 3);
  EXPECT_EQ(item_layer(items()[1]), 7);
  EXPECT_EQ(g_array_form.retain_layers, 0);
  (void)ID_RETAIN_LAYERS;
}

// A frame of one row and one column has no position: OK makes nothing and, though "Delete
// originals" is ticked, the selection stays.
TEST_F(ArrayForm, AFrameWithNoPositionKeepsTheOriginals) {
  select(add_polyline({{0, 0}, {1, 1}}));
  click_control(ID_KIND);
  for (int i = 0; i < 5; ++i) typist_key(VK_DOWN);  // "Rectangle"
  typist_key(VK_RETURN);
  type_field("4");
  type_field("4");
  typist_key(VK_ESCAPE);
  click_control(ID_OK);
  EXPECT_EQ(run_form(), 0);
  ASSERT_EQ(items().size(), 1u);
  EXPECT_EQ(item_id(items()[0]), 1);
  EXPECT_EQ(g_undo.step_count, 0);
}

// Labels take their fields from the drawing: "Start:" selected and a click on another item's node
// gives the start exactly, "Row spacing:" and a click on that item's line gives its length; two
// rows of one column then stand that far apart above the node.
TEST_F(ArrayForm, LabelsTakeTheStartAndTheSpacingFromTheDrawing) {
  select(add_polyline({{0, 0}, {2, 0}, {2, 1}}));  // the handle is (1, 0.5)
  DrawingItem* other = add_polyline({{10, 20}, {14, 20}});
  set_item_id(other, ++g_job_settings.item_id_counter);
  click_control(3 + VALUE_LABEL_OFFSET);  // "Start:"
  click_world({10, 20});
  click_control(7 + VALUE_LABEL_OFFSET);  // "Row spacing:"
  click_world({12, 20});
  click_control(5);                       // rows, then columns typed
  type_field("2");
  type_field("1");
  typist_key(VK_ESCAPE);
  click_control(ID_OK);
  EXPECT_EQ(run_form(), 0);
  const std::vector<std::pair<float, float>> expected = {{9.0f, 19.5f}, {9.0f, 23.5f}};
  EXPECT_EQ(first_nodes_above(2), expected);
}

}  // namespace
