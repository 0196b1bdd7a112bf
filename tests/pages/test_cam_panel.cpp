// The machining rows of the item panel: the form that lays them out by operation, the values
// they show without writing them, a typed value stored with what the rows showed as one undo
// step, the depth and width rules, choosing an operation, and the reset to the defaults. Driven
// through the event queue with the panel running as in the program; cells read back.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "cam/cam_defaults.h"
#include "cam/machining_block.h"
#include "editor/drawing_commands.h"
#include "editor/item_inspector.h"
#include "editor/item_pages.h"
#include "editor/undo_store.h"
#include "pages/cam_panel.h"
#include "pages/item_panel.h"
#include "platform/files.h"
#include "records/cam_params.h"
#include "records/job_settings.h"
#include "store/catalogue.h"
#include "store/message_ids.h"
#include "text/text_host.h"
#include "tests/editor/drawing_window.h"
#include "tests/editor/editor_fixture.h"
#include "tests/support/idle_typist.h"
#include "ui/dialog_form.h"

namespace {

constexpr float V_BIT_60 = 1.0471976f;  // 60 degrees
// The circle page's own rows come first, then one blank row: the machining rows start here.
constexpr int CIRCLE_CAM_ROW = 7;
TextLine* g_drawing_window = nullptr;

class CamPanelTest : public EditorFixture {
 protected:
  void SetUp() override {
    EditorFixture::SetUp();
    open_screen(1024, 768);
    layout_paint_boxes();
    g_tab_strip.active = PAGE_DRAWING;
    g_preferences.drawing.side_panel = 0;
    reset_panel_state();
    reset_item_pages();
    reset_undo_store();
    reset_job_settings();
    start_typist();
    reset_catalogue();
    set_program_folder_for_tests(BRENVIK_PROGRAM_DIR);
    ASSERT_GT(open_catalogue(), 0);
    connect_item_panel();
    drawing_window_ = open_drawing_window();
    // As start-up connects it: the drawing's items while a form's lines are the current list.
    g_drawing_window = drawing_window_;
    g_text_host.drawing_items = [] {
      return g_windows.active_node == g_drawing_window ? g_lists.current.first
                                                       : window_of(g_drawing_window)->first_line;
    };
  }
  void TearDown() override {
    pump_set_idle_handler(nullptr);
    reset_panel_state();
    while (poll_input_code(0) != 0) {
    }
    undo_clear();
    g_text_host.drawing_items = nullptr;
    close_drawing_window(drawing_window_);
    reset_drawing_commands();
    reset_catalogue();
    set_program_folder_for_tests("");
    EditorFixture::TearDown();
  }
  TextLine* drawing_window_ = nullptr;

  // A machinable circle of radius 5 with the operation and its block as given.
  static DrawingItem* machined_circle(const CamParams& p, uint8_t type = ITEM_CIRCLE) {
    DrawingItem* item = add_circle({20, 20}, 5.0f);
    item->kind = type;
    GeometryBlock* block = add_item_cam(item);
    EXPECT_NE(block, nullptr);
    put_block_cam(block, p);
    item = g_lists.current.last;
    set_item_flags(item, ITEM_FLAG_SELECTED);
    // Undo finds an item by its id.
    static int32_t next_id = 1;
    set_item_id(item, next_id++);
    return item;
  }
  static CamParams v_bit_pocket() {
    CamParams p;
    p.operation = CAM_OP_SPIRAL_POCKET;
    p.machining_group = 0;
    p.machining_order = 0;
    p.rapid_height = 0.1f;
    p.finishing.shape = TOOL_SHAPE_TAPERED;
    p.finishing.size = V_BIT_60;
    p.finishing.tool_number = 2;
    p.finishing.cut_depth = 0.01f;
    p.finishing.cut_width = cut_width_from_depth(0.01f, TOOL_SHAPE_TAPERED, V_BIT_60, 0);
    p.roughing.shape = TOOL_SHAPE_FLAT;
    p.roughing.size = 0.125f;
    p.roughing.cut_width = 0.125f;
    p.roughing.tool_number = 3;
    return p;
  }
  static CamParams block_of(const DrawingItem* item) {
    CamParams p;
    EXPECT_TRUE(get_block_cam(item_block(item), &p));
    return p;
  }
  static std::vector<uint8_t> stored_bytes(const DrawingItem* item) {
    return std::vector<uint8_t>(item->extra.begin(), item->extra.end());
  }

  static std::string screen_text() {
    const CellMetrics& c = g_display.presets[FACE_ROLE_NORMAL];
    std::string text;
    for (int row = 0; row <= c.last_row; ++row)
      text += text_at(0, row * c.cell_height, FACE_ROLE_NORMAL, c.last_column + 1) + "\n";
    return text;
  }
  static std::string value_after(const std::string& screen, const std::string& label) {
    const size_t at = screen.find(label);
    if (at == std::string::npos) return "";
    const size_t from = screen.find_first_not_of(' ', at + label.size());
    const size_t to = screen.find_first_of(" \n", from);
    return screen.substr(from, to - from);
  }

  // Runs the panel of the item from a row (of the whole form), types into it when asked, reads
  // the screen while the panel is still open and leaves it with Esc.
  std::string run_panel(DrawingItem* item, int row, const std::string& typed) {
    if (!typed.empty()) {
      for (int k = 0; k < 10; ++k) typist_key(VK_BACK);
      typist_text(typed);
      typist_key(VK_RETURN);
    }
    std::string screen;
    g_typist.steps.push_back([&screen] {
      screen = screen_text();
      headless_inject_keystroke(VK_ESCAPE, 0);
    });
    // A polyline's panel opens on the row it was left on last.
    g_field.initial_field = row;
    g_panel.reopen_field = static_cast<int16_t>(row);
    show_cam_panel(item, 0);
    return screen;
  }
};

TEST_F(CamPanelTest, TheRowsAreLaidOutByTheOperation) {
  struct Case {
    uint8_t type;
    int operation;  // -1: no machining block
    int form;
  };
  const Case cases[] = {
      {ITEM_CIRCLE, -1, MSG_FORM_CAM_ROWS_DRAWING_AID},
      {ITEM_CIRCLE, CAM_OP_DRAWING_AID, MSG_FORM_CAM_ROWS_DRAWING_AID},
      {ITEM_CIRCLE, CAM_OP_CENTERLINE, MSG_FORM_CAM_ROWS_CENTERLINE},
      {ITEM_CIRCLE, CAM_OP_SPIRAL_POCKET, MSG_FORM_CAM_ROWS},
      {ITEM_CIRCLE, CAM_OP_BLADE, MSG_FORM_CAM_ROWS},
      {ITEM_CIRCLE, CAM_OP_ISLAND, MSG_FORM_CAM_ROWS_ISLAND},
      {ITEM_POINT, CAM_OP_CENTERLINE, MSG_FORM_CAM_ROWS_DRILL},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "type " << int(c.type) << " operation " << c.operation);
    DrawingItem* item = nullptr;
    if (c.operation < 0) {
      item = add_circle({0, 0}, 1.0f);
    } else {
      CamParams p;
      p.operation = static_cast<uint8_t>(c.operation);
      item = machined_circle(p, c.type);
    }
    EXPECT_EQ(cam_panel_layout(item), c.form);
  }
}

// A group of 0 shows as 10 and an order of 0 as 1, but showing the panel (in passing, or opened
// and left) writes nothing: no undo step, the job and its NC program untouched.
TEST_F(CamPanelTest, ShowingTheRowsWritesNothing) {
  DrawingItem* item = machined_circle(v_bit_pocket());
  const std::vector<uint8_t> before = stored_bytes(item);
  g_job_settings.job_changed = 0;
  g_job_settings.nc_state = 1;

  g_panel.display_only = 1;
  show_cam_panel(item, 1);
  const std::string shown = screen_text();
  EXPECT_EQ(value_after(shown, "Group:"), "10") << shown;
  EXPECT_EQ(value_after(shown, "Order:"), "1") << shown;
  EXPECT_EQ(value_after(shown, "Finishing:"), "2") << shown;
  EXPECT_EQ(value_after(shown, "Roughing:"), "3") << shown;

  const std::string screen = run_panel(item, CIRCLE_CAM_ROW, "");
  EXPECT_EQ(value_after(screen, "Depth:"), "0.01") << screen;
  EXPECT_EQ(stored_bytes(item), before);
  EXPECT_EQ(g_job_settings.job_changed, 0);
  EXPECT_EQ(g_job_settings.nc_state, 1);
  EXPECT_EQ(g_undo.step_count, 0);
}

// A typed depth is one undo step that stores what the rows showed (group 10, order 1), the
// depth in both tools and a shaped tool's width from it, and asks for the NC program again. A
// depth above 100 means "not given": no width is derived from it.
TEST_F(CamPanelTest, ATypedDepthStoresWhatTheRowsShowed) {
  struct Case {
    const char* typed;
    float depth;
    bool width_follows;
  };
  const Case cases[] = {{"0.02", 0.02f, true}, {"150", 150.0f, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    undo_clear();
    DrawingItem* item = machined_circle(v_bit_pocket());
    const CamParams before = block_of(item);
    g_job_settings.job_changed = 0;
    g_job_settings.nc_state = 1;
    const std::string screen = run_panel(item, CIRCLE_CAM_ROW + CAM_ROW_DEPTH, c.typed);
    const CamParams after = block_of(item);
    EXPECT_FLOAT_EQ(after.finishing.cut_depth, c.depth);
    EXPECT_FLOAT_EQ(after.roughing.cut_depth, c.depth);
    const float width = c.width_follows ? cut_width_from_depth(c.depth, TOOL_SHAPE_TAPERED, V_BIT_60, 0)
                                        : before.finishing.cut_width;
    EXPECT_FLOAT_EQ(after.finishing.cut_width, width);
    EXPECT_FLOAT_EQ(after.roughing.cut_width, 0.125f) << "a flat roughing tool keeps its width";
    EXPECT_EQ(after.machining_group, 10);
    EXPECT_EQ(after.machining_order, 1);
    EXPECT_NE(g_job_settings.job_changed, 0);
    EXPECT_EQ(g_job_settings.nc_state, 0);
    EXPECT_EQ(g_undo.step_count, 1);
    undo_command();
    EXPECT_FLOAT_EQ(block_of(g_lists.current.last).finishing.cut_depth, 0.01f) << "undone";
  }
}

// Groups are clamped as they are shown; an island may have none.
TEST_F(CamPanelTest, TypedGroupsAreClamped) {
  struct Case {
    uint8_t operation;
    const char* typed;
    int16_t group;
  };
  const Case cases[] = {{CAM_OP_SPIRAL_POCKET, "0", 10},
                        {CAM_OP_SPIRAL_POCKET, "-5", 10},
                        {CAM_OP_SPIRAL_POCKET, "32767", 32000},
                        {CAM_OP_SPIRAL_POCKET, "25", 25},
                        {CAM_OP_ISLAND, "0", 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << int(c.operation) << " " << c.typed);
    CamParams p = v_bit_pocket();
    p.operation = c.operation;
    p.machining_group = 7;
    DrawingItem* item = machined_circle(p);
    run_panel(item, CIRCLE_CAM_ROW + CAM_ROW_GROUP, c.typed);
    EXPECT_EQ(block_of(item).machining_group, c.group);
  }
}

// A typed order moves the others of the group up to make room.
TEST_F(CamPanelTest, ATypedOrderMakesRoomInTheGroup) {
  std::vector<DrawingItem*> items;
  for (int16_t order = 1; order <= 3; ++order) {
    CamParams p = v_bit_pocket();
    p.machining_group = 10;
    p.machining_order = order;
    items.push_back(machined_circle(p));
  }
  run_panel(items[2], CIRCLE_CAM_ROW + CAM_ROW_ORDER, "1");
  EXPECT_EQ(block_of(items[2]).machining_order, 1);
  EXPECT_EQ(block_of(items[0]).machining_order, 2);
  EXPECT_EQ(block_of(items[1]).machining_order, 3);
}

// The operation row: an open polyline whose ends are 0.005 apart is closed as it stands for a
// pocket; a drawing aid gets a block with the defaults; operation 0 makes a drawing aid again.
TEST_F(CamPanelTest, ChoosingAnOperation) {
  DrawingItem* open = add_polyline({{0, 0}, {10, 0}, {10, 10}, {0.005f, 0}});
  open = set_cam_operation(open, CAM_OP_SPIRAL_POCKET);
  ASSERT_NE(open, nullptr);
  EXPECT_TRUE(item_is_closed(open));
  EXPECT_EQ(item_link_count(open), 3) << "closed without a join";
  EXPECT_EQ(block_of(open).operation, CAM_OP_SPIRAL_POCKET);

  DrawingItem* aid = add_circle({0, 0}, 2.0f);
  CamParams defaults;
  defaults.finishing.tool_number = 4;
  defaults.finishing.cut_depth = 0.03f;
  write_cam_params(defaults, cam_default_params(CAM_SLOT_DRAWING_CONTOUR));
  aid = set_cam_operation(aid, CAM_OP_CONTOUR_OUTSIDE);
  ASSERT_NE(aid, nullptr);
  const CamParams given = block_of(aid);
  EXPECT_EQ(given.operation, CAM_OP_CONTOUR_OUTSIDE);
  EXPECT_EQ(given.finishing.tool_number, 4);
  EXPECT_FLOAT_EQ(given.finishing.cut_depth, 0.03f);

  aid = set_cam_operation(aid, CAM_OP_DRAWING_AID);
  EXPECT_EQ(item_block(aid)->cam_kind, GEOMETRY_KIND_DRAWING_AID);
}

// Choosing another operation in the panel lays the rows out again: a pocket's circle set to a
// centerline cut shows the centerline rows with its cutting width.
TEST_F(CamPanelTest, AnotherOperationLaysTheRowsOutAgain) {
  DrawingItem* item = machined_circle(v_bit_pocket());
  // 'c' is the hot letter of "Cut centerline".
  typist_text("c");
  std::string screen;
  g_typist.steps.push_back([&screen] {
    screen = screen_text();
    headless_inject_keystroke(VK_ESCAPE, 0);
  });
  g_field.initial_field = CIRCLE_CAM_ROW + CAM_ROW_OPERATION;
  show_cam_panel(item, 0);
  EXPECT_EQ(block_of(g_panel.panel_item).operation, CAM_OP_CENTERLINE);
  EXPECT_NE(screen.find("Width:"), std::string::npos) << screen;
  EXPECT_EQ(screen.find("Roughing:"), std::string::npos) << screen;
  EXPECT_EQ(g_undo.step_count, 1);
}

// "Reset with my CAM defaults" takes the defaults of the item's own operation and keeps its
// group and order.
TEST_F(CamPanelTest, ResetKeepsGroupAndOrder) {
  CamParams defaults;
  defaults.finishing.tool_number = 9;
  defaults.machining_group = 99;
  write_cam_params(defaults, cam_default_params(CAM_SLOT_DRAWING_POCKET));
  CamParams p = v_bit_pocket();
  p.machining_group = 20;
  p.machining_order = 4;
  DrawingItem* item = machined_circle(p);
  g_job_settings.nc_state = 1;
  ASSERT_TRUE(reset_cam_panel_item(item));
  const CamParams after = block_of(item);
  EXPECT_EQ(after.finishing.tool_number, 9);
  EXPECT_EQ(after.operation, CAM_OP_SPIRAL_POCKET);
  EXPECT_EQ(after.machining_group, 20);
  EXPECT_EQ(after.machining_order, 4);
  EXPECT_EQ(g_job_settings.nc_state, 0);
  EXPECT_FALSE(reset_cam_panel_item(add_circle({0, 0}, 1.0f))) << "a drawing aid has none";
}

}  // namespace

namespace {

// A polyline's header carries the machining rows between its own rows and the navigation.
TEST_F(CamPanelTest, ThePolylineHeaderCarriesTheRows) {
  DrawingItem* item = add_polyline({{0, 0}, {10, 0}, {10, 10}, {0, 0}});
  item_nodes(item)[0].node_flags |= NODE_LOOSE;
  CamParams p = v_bit_pocket();
  p.machining_group = 30;
  put_block_cam(add_item_cam(item), p);
  item = g_lists.current.last;
  // The header's machining rows start at its row 6: the group is typed there.
  const std::string screen = run_panel(item, 6 + CAM_ROW_GROUP, "40");
  EXPECT_EQ(block_of(g_lists.current.last).machining_group, 40);
  EXPECT_EQ(value_after(screen, "Group:"), "40") << screen;
  EXPECT_NE(screen.find("Links:"), std::string::npos) << screen;
  EXPECT_NE(screen.find("Roughing:"), std::string::npos) << screen;
  EXPECT_EQ(g_undo.step_count, 1);
}

}  // namespace
