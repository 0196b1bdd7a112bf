// Changing and spacing many text items at once: the operations and rules field by field with
// the filter, the spacing order, and the forms' Cancel and RESET through the event queue.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "geometry/layers.h"
#include "pages/text_mass_change.h"
#include "records/cam_params.h"
#include "records/job_settings.h"
#include "store/line_list.h"
#include "store/message_ids.h"
#include "tests/support/idle_typist.h"
#include "tests/text/font_fixture.h"
#include "tests/ui/form_fixture.h"
#include "text/text_items.h"
#include "text/text_layout.h"
#include "text/text_numbering.h"

namespace {

class TextMassChangeTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    reset_layers();
    g_job_settings = JobSettings{};
    g_text_change = TextChangeOptions{};
    push_list();
    clear_current_list();
    // Font 0 measures the texts: A advances 0.6, B 0.5.
    fonts_ = make_test_folder("brenvik_mass_change");
    reset_font_registry();
    text_test::write_file(fonts_ / "0.Q2F", text_test::source_of({"Test", "0.4", "*A", "G1 X0.6",
                                                                  "*B", "G1 X0.5"}));
    ASSERT_EQ(register_folder_fonts(fonts_.string()), 1);
  }
  void TearDown() override {
    pump_set_idle_handler(nullptr);
    free_current_list();
    pop_list();
    reset_font_registry();
    std::error_code ignored;
    std::filesystem::remove_all(fonts_, ignored);
    FormTest::TearDown();
  }

  // A checked straight text with a layout; tool number 3 on layer 1 unless told.
  DrawingItem* text(const char* body, PointF anchor, float height = 2.0f, int16_t tool = 3,
                    uint8_t layer = 1) {
    DrawingItem* item = new_text_item();
    set_line_text(body, item);
    item = g_lists.current.last;
    set_item_flags(item, ITEM_FLAG_SELECTED);
    GeometryBlock* block = item_block(item);
    block->layer = layer;
    CamParams p;
    read_cam_params(block_cam_params(block), &p);
    p.operation = CAM_OP_CENTERLINE;
    p.finishing.tool_number = tool;
    p.finishing.rpm = 12000;
    write_cam_params(p, block_cam_params(block));
    TextLayout l;
    read_text_layout(block_text_layout(block), &l);
    l.anchor = anchor;
    l.height = l.entered_height = height;
    l.width_factor = 1.0f;
    l.length = l.entered_length = 0.0f;
    l.slant = 60.0f;
    l.angle = 350.0f;
    write_text_layout(l, block_text_layout(block));
    layout_text_item(item);
    return item;
  }
  static TextLayout layout(DrawingItem* item) {
    TextLayout l;
    read_text_layout(block_text_layout(item_block(item)), &l);
    return l;
  }
  static CamParams cam(DrawingItem* item) {
    CamParams p;
    read_cam_params(block_cam_params(item_block(item)), &p);
    return p;
  }
  std::filesystem::path fonts_;
  static void set(int field, uint8_t op, float value) {
    g_text_change.operation[field] = op;
    g_text_change.value[field] = value;
  }
};

}  // namespace

TEST_F(TextMassChangeTest, EachFieldsOperationFollowsItsRule) {
  struct Case {
    const char* name;
    int field;
    uint8_t op;
    float value;
    float (*read)(DrawingItem*);
    float expected;
  };
  const Case cases[] = {
      {"slant 60 + 20 is held at 70", CHANGE_SLANT, CHANGE_ADD, 20,
       [](DrawingItem* i) { return layout(i).slant; }, 70},
      {"angle 350 + 20 comes round to 10", CHANGE_ANGLE, CHANGE_ADD, 20,
       [](DrawingItem* i) { return layout(i).angle; }, 10},
      {"spacing is entered in percent", CHANGE_SPACING, CHANGE_REPLACE, 25,
       [](DrawingItem* i) { return layout(i).spacing; }, 0.25f},
      {"X position replaced", CHANGE_ANCHOR_X, CHANGE_REPLACE, -4,
       [](DrawingItem* i) { return layout(i).anchor.x; }, -4},
      {"rapid height multiplied", CHANGE_RAPID_HEIGHT, CHANGE_REPLACE, 0.5f,
       [](DrawingItem* i) { return cam(i).rapid_height; }, 0.5f},
      {"the XY feed is the tool block's feed", CHANGE_XY_FEED, CHANGE_REPLACE, 30,
       [](DrawingItem* i) { return cam(i).finishing.feed; }, 30},
      {"the spindle speed is clamped, never wrapped", CHANGE_SPINDLE_SPEED, CHANGE_MULTIPLY, 1e12f,
       [](DrawingItem* i) { return static_cast<float>(cam(i).finishing.rpm); },
       static_cast<float>(INT_MAX)},
      {"the spindle speed truncates", CHANGE_SPINDLE_SPEED, CHANGE_ADD, 0.9f,
       [](DrawingItem* i) { return static_cast<float>(cam(i).finishing.rpm); }, 12000},
  };
  for (const Case& c : cases) {
    free_current_list();
    DrawingItem* item = text("AB", {0, 0});
    reset_change_options();
    set(c.field, c.op, c.value);
    EXPECT_EQ(change_text_parameters(), 1) << c.name;
    EXPECT_NEAR(c.read(item), c.expected, 1e-3) << c.name;
  }
}

TEST_F(TextMassChangeTest, AWidthRatioTimesZeroIsFittedAgainAndTheLengthKept) {
  DrawingItem* item = text("ABAB", {0, 0});
  const TextLayout before = layout(item);
  set(CHANGE_WIDTH_RATIO, CHANGE_MULTIPLY, 0);
  set(CHANGE_LENGTH, CHANGE_MULTIPLY, 2);
  change_text_parameters();
  const TextLayout after = layout(item);
  EXPECT_NEAR(after.length, before.length * 2, 1e-4) << "a new length with the height kept";
  EXPECT_NEAR(after.height, before.height, 1e-4);
  EXPECT_GT(after.width_factor, before.width_factor * 1.5f) << "the ratio is fitted to them";
}

TEST_F(TextMassChangeTest, TheFilterPassesOnlyTheItemsItNames) {
  DrawingItem* kept = text("A", {0, 0});
  DrawingItem* other_tool = text("A", {0, 0}, 2.0f, 5);
  DrawingItem* high_layer = text("A", {0, 0}, 2.0f, 3, 9);
  DrawingItem* unchecked = text("A", {0, 0});
  set_item_flags(unchecked, 0);
  DrawingItem* hidden = text("A", {0, 0}, 2.0f, 3, 2);
  g_layers.visibility[2] = 0;
  g_text_change.tool_number = 3;
  g_text_change.lowest_layer = 0;
  g_text_change.highest_layer = 4;
  set(CHANGE_ANCHOR_Y, CHANGE_ADD, 1);
  EXPECT_EQ(change_text_parameters(), 1);
  EXPECT_FLOAT_EQ(layout(kept).anchor.y, 1);
  for (DrawingItem* left : {other_tool, high_layer, unchecked, hidden})
    EXPECT_FLOAT_EQ(layout(left).anchor.y, 0);
  g_text_change.all_layers = 1;
  EXPECT_EQ(change_text_parameters(), 2) << "the hidden layer counts with all layers";
}

TEST_F(TextMassChangeTest, SpacingApartKeepsTheFirstAndStepsTheOthers) {
  DrawingItem* a = text("A", {0, 10});
  DrawingItem* b = text("A", {0, 10});
  DrawingItem* c = text("A", {0, 10});
  g_text_change.y_step = 5;
  EXPECT_EQ(space_text_items(), 3);
  EXPECT_FLOAT_EQ(layout(a).anchor.y, 10);
  EXPECT_FLOAT_EQ(layout(b).anchor.y, 5);
  EXPECT_FLOAT_EQ(layout(c).anchor.y, 0);
}

TEST_F(TextMassChangeTest, AFollowerIsSpacedByItsOffset) {
  DrawingItem* left = text("A", {0, 0});
  DrawingItem* follower = text("A", {50, 0});
  renumber_text_items(1, 1);
  TextLayout l = layout(follower);
  l.link_number = left->id;
  l.link_dx = 4;
  write_text_layout(l, block_text_layout(item_block(follower)));
  DrawingItem* right = text("A", {2, 0});
  g_text_change.x_step = -10;
  EXPECT_EQ(space_text_items(), 3);
  // Keys: left 0, right 2, the follower 0 + 4 = 4: it moves third, by its offset.
  EXPECT_FLOAT_EQ(layout(left).anchor.x, 0);
  EXPECT_FLOAT_EQ(layout(right).anchor.x, 12);
  EXPECT_FLOAT_EQ(layout(follower).link_dx, 24);
}

TEST_F(TextMassChangeTest, CancelAndResetOnTheFormChangeNothing) {
  DrawingItem* item = text("A", {0, 0});
  // The drawing lives in a window, as in the program: the form gives the list back to it.
  TextLine* drawing = create_window(nullptr, {.top_row = 5, .left_column = 5, .bottom_row = 20,
                                              .right_column = 60, .line_drawer = draw_window_line,
                                              .wrap_width = 125, .title = ""});
  ASSERT_NE(drawing, nullptr);
  activate_window(drawing);
  struct Case {
    const char* name;
    std::vector<int> keys;  // after Down and R (replace the cutting width by the typed value)
  };
  const Case cases[] = {
      {"Esc", {VK_ESCAPE}},
      {"RESET, then OK", {VK_UP, 'R', 'O'}},
  };
  for (const Case& c : cases) {
    const float width = cam(item).finishing.cut_width;
    start_typist();
    typist_key(VK_DOWN);
    typist_text("R");
    typist_key(VK_RIGHT);
    typist_text("7");
    typist_key(VK_RETURN);
    for (int k : c.keys) {
      if (k == 'R' || k == 'O') typist_text(std::string(1, static_cast<char>(k)));
      else typist_key(k);
    }
    change_text_parameters_command();
    EXPECT_FLOAT_EQ(cam(item).finishing.cut_width, width) << c.name;
    pump_set_idle_handler(nullptr);
  }
  destroy_window(drawing);
  g_lists.current = LineList{};
}
