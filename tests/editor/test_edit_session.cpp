// The edit session's undo store, marks, the button bindings and help stack, and the context
// pointer pictures, on the drawing list of the editor fixture.
#include <algorithm>
#include <cmath>
#include <map>
#include <random>
#include <vector>

#include "editor/button_bindings.h"
#include "editor/context_pictures.h"
#include "editor/edit_session.h"
#include "editor/help_box.h"
#include "editor/hover_state.h"
#include "editor/marks.h"
#include "editor/undo_store.h"
#include "drawing_window.h"
#include "editor_fixture.h"
#include "records/job_settings.h"
#include "records/preferences.h"
#include "screen/boxes.h"
#include "tests/support/idle_typist.h"
#include "ui/message_box.h"

namespace {

using Drawing = std::map<int32_t, std::vector<uint8_t>>;

class EditSessionTest : public EditorFixture {
 protected:
  void SetUp() override {
    EditorFixture::SetUp();
    reset_undo_store();
    reset_edit_session();
    reset_job_settings();
    g_preferences.current_page = PAGE_DRAWING;
  }
  void TearDown() override {
    undo_clear();
    discard_originals();
    EditorFixture::TearDown();
  }

  static DrawingItem* new_line(float y) {
    DrawingItem* item = add_polyline({{0.0f, y}, {10.0f, y}});
    item->state = ITEM_FLAG_SELECTED;
    set_item_id(item, ++g_job_settings.item_id_counter);
    return item;
  }

  // The drawing as a job keeps it: every item's stored form by its ID.
  static Drawing drawing() {
    Drawing d;
    for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next) {
      std::vector<uint8_t> out(ITEM_HEADER_SIZE);
      write_item_header(item, out.data());
      const GeometryBlock* block = item_block(item);
      const size_t at = out.size();
      out.resize(at + geometry_block_stored_size(block->cam_kind, block->link_count));
      write_geometry_block(block, out.data() + at);
      d[item_id(item)] = out;
    }
    return d;
  }

  static DrawingItem* nth_item(int n) {
    DrawingItem* item = g_lists.current.first;
    for (int i = 0; i < n && item != nullptr; ++i) item = item->next;
    return item;
  }
};

// Random adds, deletes, replace pairs (6/7 and 8/9) and in-place changes, then undone and redone
// in random order: the drawing always equals the one after the same prefix of steps.
TEST_F(EditSessionTest, UndoAndRedoInRandomOrderGiveTheDrawingOfTheSamePrefix) {
  for (unsigned seed : {1u, 2u, 3u, 4u, 5u}) {
    SCOPED_TRACE(seed);
    free_current_list();
    undo_clear();
    g_job_settings.item_id_counter = 0;
    std::mt19937 random(seed);
    for (int i = 0; i < 4; ++i) new_line(static_cast<float>(i));
    std::vector<Drawing> states{drawing()};
    for (int step = 0; step < 40; ++step) {
      const int count = count_current_lines();
      const int op = count < 2 ? 0 : static_cast<int>(random() % 5);
      DrawingItem* item = nth_item(static_cast<int>(random() % std::max(count, 1)));
      switch (op) {
        case 0:
          new_line(static_cast<float>(step) + 0.5f);
          undo_record_added(1);
          break;
        case 1: undo_record_deleted(item); break;
        case 2:
          discard_originals();
          move_to_originals(item);
          new_line(-static_cast<float>(step));
          undo_record_replaced(1, 1);
          break;
        case 3:
          discard_originals();
          move_to_originals(item);
          new_line(100.0f + static_cast<float>(step));
          undo_record_replaced_one();
          break;
        case 4:
          undo_save_item(item);
          item_nodes(item)[1].point.x += 1.0f;
          item_nodes(item)[0].z = static_cast<float>(step);
          break;
      }
      states.push_back(drawing());
    }
    ASSERT_LE(g_undo.step_count, UNDO_MOST_RECORDS);
    size_t at = states.size() - 1;
    for (int move = 0; move < 300; ++move) {
      const bool undo = at > 0 && (at == states.size() - 1 || random() % 2 == 0);
      if (undo) {
        undo_command();
        --at;
      } else {
        redo_command();
        ++at;
      }
      ASSERT_EQ(drawing(), states[at]) << "after move " << move << " at step " << at;
    }
  }
}

// A move recorded after an addition is its own step both ways: redo brings back the addition
// alone, not the move with it.
TEST_F(EditSessionTest, RedoAfterAMoveTakesOneStepAtATime) {
  new_line(0.0f);
  const Drawing empty_but_one = drawing();
  new_line(1.0f);
  undo_record_added(1);
  const Drawing added = drawing();
  ASSERT_GT(edit_begin(g_lists.current.last, 1), 0);
  undo_push(UNDO_ORIGINALS);
  item_nodes(g_lists.current.last)[0].point.x = 50.0f;
  edit_commit(EDIT_COMMIT_MOVE);
  edit_finish();
  const Drawing moved = drawing();
  ASSERT_NE(moved, added);
  undo_command();
  EXPECT_EQ(drawing(), added);
  undo_command();
  EXPECT_EQ(drawing(), empty_but_one);
  redo_command();
  EXPECT_EQ(drawing(), added);
  redo_command();
  EXPECT_EQ(drawing(), moved);
}

// The 62nd record pushes out the oldest together with its saved copies; 61 stay.
TEST_F(EditSessionTest, TheSixtySecondStepDropsTheOldestWithItsCopies) {
  for (int i = 0; i < 3; ++i) new_line(static_cast<float>(i));
  undo_record_deleted(g_lists.current.first);  // the oldest record keeps a copy
  for (int i = 0; i < 61; ++i) {
    new_line(10.0f + static_cast<float>(i));
    undo_record_added(1);
  }
  EXPECT_EQ(g_undo.step_count, UNDO_MOST_RECORDS);
  int records = 0, copies = 0;
  for (TextLine* node = undo_list().first; node != nullptr; node = node->next)
    (is_undo_record(node) ? records : copies) += 1;
  EXPECT_EQ(records, UNDO_MOST_RECORDS);
  EXPECT_EQ(copies, 0);
  EXPECT_EQ(undo_record_kind(undo_list().first), UNDO_ADDED);
}

// A move cancelled before it changed anything leaves no empty exchange record behind, and its
// originals come back as they were on the screen.
TEST_F(EditSessionTest, ACancelledMoveLeavesNoRecord) {
  new_line(0.0f);
  new_line(1.0f);
  // On the page every item is drawn, which leaves the drawn mark in its links.
  for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next)
    draw_item_in_colour(item, item_layer(item));
  const Drawing before = drawing();
  ASSERT_GT(edit_begin(g_lists.current.first, 1), 0);
  undo_push(UNDO_ORIGINALS);
  item_nodes(g_lists.current.last)[0].point.x = 50.0f;
  edit_cancel();
  EXPECT_EQ(g_undo.step_count, 0);
  EXPECT_EQ(undo_list().first, nullptr);
  EXPECT_EQ(drawing(), before);
  EXPECT_FALSE(edit_session_open());
}

// A panel edit that changed nothing leaves no step; one that changed something stays.
TEST_F(EditSessionTest, AnUnchangedPanelEditLeavesNoStep) {
  DrawingItem* item = new_line(0.0f);
  undo_save_item(item);
  undo_drop_if_unchanged(item);
  EXPECT_EQ(g_undo.step_count, 0);
  EXPECT_EQ(g_undo.current, nullptr);
  undo_save_item(item);
  item_nodes(item)[0].z = 1.0f;
  undo_drop_if_unchanged(item);
  EXPECT_EQ(g_undo.step_count, 1);
}

// On the Engraving list page a step made on the Drawing page is neither undone nor redone; the
// refusal says why and waits for a key.
TEST_F(EditSessionTest, TheEngravingListUndoesOnlyItsOwnSteps) {
  // The drawing is the active window's list, as on the pages: the refusal's box comes and goes
  // over it.
  clear_current_list();
  TextLine* window = open_drawing_window();
  new_line(0.0f);
  undo_record_added(1);
  start_typist();
  g_preferences.current_page = PAGE_ENGRAVING_LIST;
  typist_key(VK_ESCAPE);
  undo_command();
  EXPECT_EQ(count_current_lines(), 1);
  EXPECT_EQ(g_message_box.last_text.rfind("The next Undos are for editing you did at the", 0), 0u)
      << g_message_box.last_text;
  g_preferences.current_page = PAGE_DRAWING;
  undo_command();
  EXPECT_EQ(count_current_lines(), 0);
  g_preferences.current_page = PAGE_ENGRAVING_LIST;
  typist_key(VK_ESCAPE);
  redo_command();
  EXPECT_EQ(count_current_lines(), 0);
  EXPECT_EQ(g_message_box.last_text.rfind("The next Redos are for editing you did at the", 0), 0u)
      << g_message_box.last_text;
  // A step made on the Engraving list is its own to undo there.
  g_preferences.current_page = PAGE_DRAWING;
  redo_command();
  EXPECT_EQ(count_current_lines(), 1);
  g_preferences.current_page = PAGE_ENGRAVING_LIST;
  new_line(2.0f);
  undo_record_added(1);
  undo_command();
  EXPECT_EQ(count_current_lines(), 1);
  pump_set_idle_handler(nullptr);
  undo_clear();
  close_drawing_window(window);
}

// ---- marks ----

// A window marks the items whose links lie wholly inside it; a cut-through item stays unmarked.
TEST_F(EditSessionTest, AWindowMarksOnlyWhatItHoldsWhole) {
  DrawingItem* inside = new_line(0.0f);
  DrawingItem* cut = add_polyline({{5.0f, 5.0f}, {30.0f, 5.0f}});
  cut->state = ITEM_FLAG_SELECTED;
  window_mark_items({-1.0f, -1.0f}, {11.0f, 6.0f}, 1);
  EXPECT_NE(item_flags(inside) & ITEM_FLAG_MARKED, 0);
  EXPECT_EQ(item_flags(cut) & ITEM_FLAG_MARKED, 0);
  EXPECT_NE(marks_summary_bits() & MARKS_ITEMS, 0);
  window_mark_items({-1.0f, -1.0f}, {11.0f, 6.0f}, 0);
  EXPECT_EQ(item_flags(inside) & ITEM_FLAG_MARKED, 0);
}

// Un-marking nodes by a window keeps the marks outside it, and the item's flag with them; a
// symmetric polyline's symmetry line is never marked.
TEST_F(EditSessionTest, WindowNodeMarksKeepWhatLiesOutside) {
  DrawingItem* item = add_polyline({{0, 0}, {10, 0}, {20, 0}});
  item->state = ITEM_FLAG_SELECTED;
  window_mark_nodes({-1, -1}, {21, 1}, 1);
  const LinkRecord* r = item_nodes(item);
  for (int i = 0; i < 3; ++i) EXPECT_NE(r[i].link_flags & LINK_NODE_MARKED, 0) << i;
  window_mark_nodes({-1, -1}, {11, 1}, 0);
  EXPECT_EQ(r[0].link_flags & NODE_MARK_BITS, 0);
  EXPECT_EQ(r[1].link_flags & NODE_MARK_BITS, 0);
  EXPECT_NE(r[2].link_flags & LINK_NODE_MARKED, 0);
  EXPECT_NE(item_flags(item) & ITEM_FLAG_HAS_MARKED_NODES, 0);

  DrawingItem* sym = add_polyline({{0, 5}, {0, 9}, {3, 5}, {6, 5}});
  sym->state = ITEM_FLAG_SELECTED;
  item_nodes(sym)[0].node_flags |= 0x20;
  window_mark_nodes({-1, 4}, {7, 10}, 1);
  const LinkRecord* s = item_nodes(sym);
  EXPECT_EQ(s[0].link_flags & NODE_MARK_BITS, 0);
  EXPECT_EQ(s[1].link_flags & NODE_MARK_BITS, 0);
  EXPECT_NE(s[2].link_flags & LINK_NODE_MARKED, 0);
}

// clear_marks(4) sets the marks aside; restore_saved_marks brings them back; clear_marks(0)
// forgets them for good.
TEST_F(EditSessionTest, MarksSetAsideComeBack) {
  DrawingItem* item = new_line(0.0f);
  window_mark_items({-1, -1}, {11, 1}, 1);
  clear_marks(MARKS_SAVED_ITEMS);
  EXPECT_EQ(item_flags(item) & (ITEM_FLAG_MARKED | ITEM_FLAG_SAVED_MARK), ITEM_FLAG_SAVED_MARK);
  restore_saved_marks();
  EXPECT_EQ(item_flags(item) & (ITEM_FLAG_MARKED | ITEM_FLAG_SAVED_MARK), ITEM_FLAG_MARKED);
  clear_marks(0);
  restore_saved_marks();
  EXPECT_EQ(item_flags(item) & (ITEM_FLAG_MARKED | ITEM_FLAG_SAVED_MARK), 0);
  EXPECT_EQ(marks_summary_bits() & (MARKS_ITEMS | MARKS_SAVED_ITEMS), 0);
}

// ---- bindings and help ----

// Ten nested sets save nine records; the pops give them back in order and a tenth finds none.
// A pop goes into whichever record is current at the time.
TEST_F(EditSessionTest, TenNestedBindingsKeepNineAndPopIntoTheCurrentRecord) {
  reset_button_bindings();
  ButtonBindings& b = g_button_bindings;
  for (int i = 0; i < 10; ++i) button_commands_set(static_cast<int16_t>(751 + i), 759, 766);
  EXPECT_EQ(b.depth, BUTTON_STACK_DEPTH);
  EXPECT_EQ(b.current[BUTTON_LEFT_BIT], 760);
  for (int i = 8; i >= 0; --i) {
    button_commands_pop();
    EXPECT_EQ(b.current[BUTTON_LEFT_BIT], i == 0 ? 750 : 750 + i) << i;
  }
  button_commands_pop();
  EXPECT_EQ(b.current[BUTTON_LEFT_BIT], 750);

  button_commands_set(801, 895, 889);
  use_button_record(b.node_editor);
  button_commands_pop();
  EXPECT_EQ(b.node_editor[BUTTON_LEFT_BIT], 750);
  EXPECT_EQ(b.name_base, COMMAND_PAGE_BASE);
}

// The help stack is 16 deep: a push past it replaces the top; a pop at the bottom keeps it.
TEST_F(EditSessionTest, HelpStackDepthSixteenAndZero) {
  reset_help_stack();
  help_pop();
  EXPECT_EQ(g_help.depth, 0);
  for (int i = 1; i <= 17; ++i) help_push(static_cast<int16_t>(8000 + i));
  EXPECT_EQ(g_help.depth, HELP_STACK_DEPTH);
  EXPECT_EQ(g_help.entries[HELP_STACK_DEPTH], 8017);
  EXPECT_EQ(g_help.entries[HELP_STACK_DEPTH - 1], 8015);
  help_pop();
  EXPECT_EQ(g_help.entries[g_help.depth], 8015);
}

// A stored record with ids that name nothing is refused.
TEST_F(EditSessionTest, DamagedBindingsAreRefused) {
  int16_t drawing[BUTTON_BINDING_COUNT];
  int16_t node[BUTTON_BINDING_COUNT];
  factory_button_records(drawing, node);
  EXPECT_TRUE(button_record_valid(drawing));
  EXPECT_TRUE(button_record_valid(node));
  drawing[BUTTON_LEFT_BIT] = 12345;
  EXPECT_FALSE(button_record_valid(drawing));
  node[BUTTON_MIDDLE_BIT] = -5;
  EXPECT_FALSE(button_record_valid(node));
}

// ---- context pictures ----

// "Straighten link" shows which way the link would go: within 45 degrees of the x axis picture
// 80, else 74 (45 degrees exactly is the second octant). "Node loose or tangent" by flag 8.
TEST_F(EditSessionTest, ContextPicturesFollowTheLinkAndTheNode) {
  reset_button_bindings();
  ButtonBindings& b = g_button_bindings;
  use_button_record(b.node_editor);
  HoverState& h = g_hover;
  const struct {
    double degrees;
    uint8_t picture;
  } links[] = {{30.0, 80}, {45.0, 74}, {60.0, 74}, {150.0, 80}, {170.0, 80}, {300.0, 74}};
  for (const auto& c : links) {
    SCOPED_TRACE(c.degrees);
    free_current_list();
    const double a = c.degrees * 3.14159265358979323846 / 180.0;
    DrawingItem* item =
        add_polyline({{0, 0}, {static_cast<float>(10 * std::cos(a)), static_cast<float>(10 * std::sin(a))}});
    b.node_editor[BUTTON_LEFT_BIT] = 821;
    h.hover_item = item;
    h.hover_link = item_nodes(item);
    h.link_index = 0;
    h.pick_kind = 17;
    EXPECT_EQ(choose_context_picture(), c.picture);
  }
  free_current_list();
  DrawingItem* item = add_polyline({{0, 0}, {10, 0}, {20, 5}});
  b.node_editor[BUTTON_LEFT_BIT] = 813;
  h.hover_item = item;
  h.hover_link = item_nodes(item) + 1;
  h.link_index = 1;
  h.pick_kind = 1;
  EXPECT_EQ(choose_context_picture(), CONTEXT_NODE_LOOSE);
  item_nodes(item)[1].node_flags |= 8;
  EXPECT_EQ(choose_context_picture(), CONTEXT_NODE_TANGENT);
}

}  // namespace
