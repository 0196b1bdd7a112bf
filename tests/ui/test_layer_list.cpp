// The layer list and the layer field, driven by keys on the headless screen: picking, switching
// layers on and off (special layers refused), naming, and the numbers the field takes.
#include <string>
#include <vector>

#include "geometry/layers.h"
#include "records/job_settings.h"
#include "tests/support/idle_typist.h"
#include "tests/ui/window_fixture.h"
#include "ui/dialog_form.h"
#include "ui/layer_list.h"
#include "ui/list_window.h"
#include "ui/message_box.h"

namespace {

class LayerListTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    reset_dialog_forms();
    reset_list_state();
    reset_message_box();
    reset_job_settings();
    clear_layer_table();
    reset_layers();
    // A screen tall enough for the list's rows 7-32.
    window_close();
    std::string error;
    ASSERT_TRUE(window_open(1024, 768, "test", &error)) << error;
    set_screen_canvas(window_surface());
    apply_display_mode(DISPLAY_CHOICE_OWN_SIZE);
    install_main_window_proc();
    headless_inject_focus(true);
    pump_messages();
    reset_event_queue();
    g_form.redraw_level = 0;
    headless_set_idle_limit(20000);
    start_typist();
  }
  void TearDown() override {
    pump_set_idle_handler(nullptr);
    free_layer_list_window();
    clear_layer_table();
    WindowTest::TearDown();
  }
  static void keys(const std::vector<int>& vks) {
    for (int vk : vks) typist_key(vk);
  }
  // Down n times.
  static void down(int n) {
    for (int i = 0; i < n; ++i) typist_key(VK_DOWN);
  }
};

TEST_F(LayerListTest, EnterPicksAUserLayerAndEscPicksNone) {
  down(3);
  typist_key(VK_RETURN);
  const TextLine* chosen = pick_layer();
  ASSERT_NE(chosen, nullptr);
  EXPECT_EQ(chosen->id, 3);
  typist_key(VK_ESCAPE);
  EXPECT_EQ(pick_layer(), nullptr);
  EXPECT_EQ(g_message_box.shown_count, 0);
}

TEST_F(LayerListTest, SwitchingAUserLayerOffMarksTheJobAndTheVisibility) {
  typist_key(VK_LEFT);   // from the name to the check box
  typist_text(" ");      // off, and down to layer 1
  typist_key(VK_ESCAPE);
  const uint8_t before = g_layers.change_counter;
  EXPECT_EQ(pick_layer(), nullptr);
  EXPECT_EQ(layer_line(0)->state & LAYER_STATE_ON, 0);
  EXPECT_EQ(g_layers.visibility[0], 0);
  EXPECT_EQ(g_layers.change_counter, before + 1);
  EXPECT_NE(g_job_settings.job_changed & JOB_CHANGED, 0);
}

TEST_F(LayerListTest, SpecialLayersStayOnAndCannotBePicked) {
  // Layer 250 (crosshairs): the check is refused with a box that waits for a key.
  typist_key(VK_NEXT, WINDOW_MOD_CTRL);
  for (int i = 0; i < 5; ++i) typist_key(VK_UP);
  typist_key(VK_LEFT);
  typist_text(" ");
  typist_key(VK_RETURN);  // closes the refusal box
  typist_key(VK_ESCAPE);
  pick_layer();
  EXPECT_NE(layer_line(250)->state & LAYER_STATE_ON, 0);
  EXPECT_NE(g_message_box.last_text.find("cannot turn off"), std::string::npos)
      << g_message_box.last_text;
  // Enter on layer 244 chooses nothing.
  reset_message_box();
  typist_key(VK_NEXT, WINDOW_MOD_CTRL);
  for (int i = 0; i < 11; ++i) typist_key(VK_UP);
  typist_key(VK_RETURN);
  typist_key(VK_RETURN);  // the refusal box
  typist_key(VK_ESCAPE);
  EXPECT_EQ(pick_layer(), nullptr);
  EXPECT_NE(g_message_box.last_text.find("Don't pick layers"), std::string::npos)
      << g_message_box.last_text;
}

TEST_F(LayerListTest, ANameKeepsOneLeadingBlankAndAnEmptyNameIsOneBlank) {
  // A blank on a check list switches the line, so the name is typed first and the blanks put
  // before it.
  typist_text("Cut");
  typist_key(VK_HOME);
  typist_text("  ");
  typist_key(VK_RETURN);   // ends the edit
  typist_key(VK_DOWN);
  typist_key(VK_BACK);     // opens the name of layer 1 for editing, then empties it
  typist_key(VK_BACK);
  typist_key(VK_RETURN);
  typist_key(VK_ESCAPE);
  pick_layer();
  EXPECT_EQ(layer_line(0)->text, " Cut");
  EXPECT_EQ(layer_line(1)->text, LAYER_UNNAMED);
}

TEST_F(LayerListTest, PickWithFlagsLeavesTheLayersOwnStates) {
  uint8_t flags[256];
  for (uint8_t& f : flags) f = 1;
  flags[2] = 0;
  down(2);
  typist_key(VK_LEFT);
  typist_text(" ");  // layer 2 back on in the caller's array
  typist_text(" ");  // layer 3 off
  typist_key(VK_ESCAPE);
  pick_layer_with_flags(flags);
  EXPECT_EQ(flags[2], 1);
  EXPECT_EQ(flags[3], 0);
  for (int layer : {2, 3}) EXPECT_NE(layer_line(layer)->state & LAYER_STATE_ON, 0) << layer;
}

TEST_F(LayerListTest, TheRowShowsTheLayersColourInItsBox) {
  g_layers.colours[0] = 0x0000FF;  // red, as a colour value
  typist_key(VK_ESCAPE);
  int x = 0;
  int y = 0;
  uint32_t pixel = 0;
  g_typist.steps.push_front([&] {
    const TextWindow* w = window_of(g_layer_list.window);
    const int cw = g_display.current.cell_width;
    const int ch = g_display.current.cell_height;
    x = (w->right_column - 3) * cw + 2 * cw + 10;
    y = w->top_row * ch + ch / 2;
    hide_pointer();
    pixel = window_surface()->pixels[static_cast<size_t>(y * window_surface()->width + x)];
  });
  pick_layer();
  EXPECT_EQ(pixel, 0xFF0000u);
}

// The layer field inside a window that stands for the form.
class LayerFieldTest : public LayerListTest {
 protected:
  void SetUp() override {
    LayerListTest::SetUp();
    form_ = make_window({"Layer:"}, 5, 5, 5, 60);
    activate_window(form_);
    g_field.display_row = 5;
    g_field.value_column = 12;
  }
  TextLine* form_ = nullptr;
};

TEST_F(LayerFieldTest, TypedNumbersAreTakenOrRefused) {
  struct Case {
    const char* typed;
    uint8_t start;
    uint8_t expected;
    bool refused;
  };
  const Case cases[] = {
      {"12", 3, 12, false},   {"243", 3, 243, false}, {"255", 3, 255, false},
      {"244", 3, 3, true},    {"250", 7, 7, true},    {"300", 9, 9, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    reset_message_box();
    uint8_t record[8] = {};
    record[LAYER_FIELD_OFFSET] = c.start;
    g_typist.steps.clear();
    for (const char* p = c.typed; *p != 0; ++p) push_input_code(*p);
    push_input_code(KEY_ENTER);
    if (c.refused) typist_key(VK_RETURN);  // the notice, which drops what was queued
    edit_layer_field(record);
    EXPECT_EQ(record[LAYER_FIELD_OFFSET], c.expected);
    EXPECT_EQ(g_message_box.shown_count > 0, c.refused);
  }
}

TEST_F(LayerFieldTest, EnterPicksFromTheList) {
  uint8_t record[8] = {};
  typist_key(VK_RETURN);
  down(5);
  typist_key(VK_RETURN);
  EXPECT_EQ(edit_layer_field(record), FIELD_CHANGED);
  EXPECT_EQ(record[LAYER_FIELD_OFFSET], 5);
}

TEST_F(LayerFieldTest, ANamelessLayerShowsItsNumber) {
  g_field.redraw.assign(1, 1);
  g_field.redraw_index = -1;
  g_field.display_row = 4;
  show_layer_name_field(7);
  EXPECT_EQ(row_text(5, 12, 3), "7  ");
  set_line_text("Engrave", layer_line(7));
  g_field.redraw_index = -1;
  g_field.display_row = 4;
  show_layer_name_field(7);
  EXPECT_EQ(row_text(5, 12, 7), "Engrave");
}

}  // namespace
