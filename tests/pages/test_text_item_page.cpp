// The property page of a text item: the two-of-three rule of length, height and width ratio,
// the values it refuses or corrects, wrapping on an arc and back, the display modes and the
// fonts; and the page itself in the side panel, driven through the event queue, its cells read
// and the job saved and read back.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "editor/item_inspector.h"
#include "editor/item_pages.h"
#include "editor/page_strip.h"
#include "screen/controls.h"
#include "screen/pointer.h"
#include "job/job_file.h"
#include "job/job_open.h"
#include "pages/item_panel.h"
#include "pages/text_item_page.h"
#include "pages/text_list_page.h"
#include "editor/drawing_commands.h"
#include "screen/text_output.h"
#include "platform/files.h"
#include "records/cam_params.h"
#include "store/catalogue.h"
#include "store/message_ids.h"
#include "tests/editor/drawing_window.h"
#include "tests/editor/editor_fixture.h"
#include "tests/support/idle_typist.h"
#include "tests/support/test_folder.h"
#include "tests/text/font_fixture.h"
#include "text/text_items.h"
#include "text/truetype_faces.h"
#include "ui/dialog_form.h"

namespace {

namespace fs = std::filesystem;

class TextItemPageTest : public EditorFixture {
 protected:
  void SetUp() override {
    EditorFixture::SetUp();
    open_screen(1024, 768);
    layout_paint_boxes();
    g_tab_strip.active = PAGE_DRAWING;
    // The fixture's drawing area spans the whole screen, under the panel: the drawing beside the
    // panel is not redrawn, so that it does not paint over the panel's labels.
    g_preferences.drawing.side_panel = 0;
    reset_panel_state();
    reset_item_pages();
    g_text_page = TextPageState{};
    start_typist();
    reset_catalogue();
    set_program_folder_for_tests(BRENVIK_PROGRAM_DIR);
    ASSERT_GT(open_catalogue(), 0);
    // Font 0: A advances 0.6, B 0.5 (font units of the capital's height).
    folder_ = make_test_folder("brenvik_text_page");
    reset_font_registry();
    text_test::write_file(folder_ / "0.Q2F", text_test::source_of({"Plain", "0.4", "*A",
                                                                   "G1 X0.6", "*B", "G1 X0.5"}));
    ASSERT_EQ(register_folder_fonts(folder_.string()), 1);
    drawing_window_ = open_drawing_window();
  }
  void TearDown() override {
    pump_set_idle_handler(nullptr);
    reset_panel_state();
    while (poll_input_code(0) != 0) {
    }
    close_drawing_window(drawing_window_);
    reset_catalogue();
    set_program_folder_for_tests("");
    reset_font_registry();
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
    EditorFixture::TearDown();
  }

  // A straight text "AB" of height 2 at (10, 20), ratio 1, cut with a 0.01 wide tool.
  static DrawingItem* text_item(const char* body = "AB") {
    DrawingItem* item = new_text_item();
    set_line_text(body, item);
    item = g_lists.current.last;
    set_item_flags(item, ITEM_FLAG_SELECTED);
    GeometryBlock* block = item_block(item);
    CamParams p;
    read_cam_params(block_cam_params(block), &p);
    p.operation = CAM_OP_CENTERLINE;
    p.finishing.cut_width = 0.01f;
    write_cam_params(p, block_cam_params(block));
    TextLayout l;
    read_text_layout(block_text_layout(block), &l);
    l.anchor = {10, 20};
    l.height = l.entered_height = 2.0f;
    l.width_factor = 1.0f;
    l.length = l.entered_length = 0.0f;
    l.spacing = 0.1f;
    l.font_number = 0;
    std::memset(l.log_font, 0, TL_LOG_FONT_SIZE);
    write_text_layout(l, block_text_layout(block));
    text_page_relayout(item);
    return item;
  }
  static TextLayout layout(DrawingItem* item) {
    TextLayout l;
    read_text_layout(block_text_layout(item_block(item)), &l);
    return l;
  }
  // Runs a rule that must refuse: the user answers its message with a key, which it must take.
  // Types the keys, then reads the screen while the page is still open and closes it with Esc.
  std::string run_page(DrawingItem* item, int downs, const std::string& typed) {
    for (int k = 0; k < downs; ++k) typist_key(VK_DOWN);
    if (!typed.empty()) {
      // The field's entry starts with the value shown: cleared first.
      for (int k = 0; k < 8; ++k) typist_key(VK_BACK);
      typist_text(typed);
      typist_key(VK_RETURN);
    }
    std::string screen;
    g_typist.steps.push_back([&screen] {
      screen = screen_text();
      headless_inject_keystroke(VK_ESCAPE, 0);
    });
    show_cam_panel(item, 0);
    return screen;
  }
  template <typename Rule>
  static int refused(Rule rule) {
    g_typist.steps.clear();
    typist_key(VK_RETURN);
    const int result = rule();
    EXPECT_TRUE(g_typist.steps.empty()) << "no message was shown";
    return result;
  }
  static std::string screen_text() {
    const CellMetrics& c = g_display.presets[FACE_ROLE_NORMAL];
    std::string text;
    for (int row = 0; row <= c.last_row; ++row)
      text += text_at(0, row * c.cell_height, FACE_ROLE_NORMAL, c.last_column + 1) + "\n";
    return text;
  }
  // The value shown right of a label ("" when the label is not on the screen).
  static std::string value_after(const std::string& screen, const std::string& label) {
    const size_t at = screen.find(label);
    if (at == std::string::npos) return "";
    const size_t from = screen.find_first_not_of(' ', at + label.size());
    const size_t to = screen.find_first_of(" \n", from);
    return screen.substr(from, to - from);
  }

  fs::path folder_;
  TextLine* drawing_window_ = nullptr;
};

// Setting a value clears one of the other two; the layout computes the cleared one.
TEST_F(TextItemPageTest, TwoOfLengthHeightAndRatioDecideTheThird) {
  DrawingItem* item = text_item();
  const float natural = layout(item).length;
  ASSERT_GT(natural, 0.0f);

  struct Step {
    uint8_t which;
    float value;
    float length, height, ratio;  // expected after the layout; -1: computed (checked > 0)
  };
  const Step steps[] = {
      // The length first: the height gives way, the ratio stays 1.
      {TEXT_SIZE_LENGTH, 2 * natural, 2 * natural, -1, 1.0f},
      // Then the height: the ratio gives way, the length stays.
      {TEXT_SIZE_HEIGHT, 2.0f, 2 * natural, 2.0f, -1},
      // Then the ratio: the length gives way, the height stays.
      {TEXT_SIZE_RATIO, 1.0f, natural, 2.0f, 1.0f},
  };
  for (const Step& s : steps) {
    ASSERT_EQ(text_page_set_size(item, s.which, s.value), PAGE_VALUE_TAKEN);
    text_page_relayout(item);
    const TextLayout l = layout(item);
    const float expected[3] = {s.length, s.height, s.ratio};
    const float got[3] = {l.length, l.height, l.width_factor};
    for (int k = 0; k < 3; ++k) {
      if (expected[k] < 0) EXPECT_GT(got[k], 0.0f) << int(s.which) << " " << k;
      else EXPECT_NEAR(got[k], expected[k], 1e-3) << int(s.which) << " " << k;
    }
  }
  // The natural length kept while the height doubles: the letters are narrowed to fit.
  ASSERT_EQ(text_page_set_size(item, TEXT_SIZE_LENGTH, natural), PAGE_VALUE_TAKEN);
  text_page_relayout(item);
  ASSERT_EQ(text_page_set_size(item, TEXT_SIZE_HEIGHT, 4.0f), PAGE_VALUE_TAKEN);
  text_page_relayout(item);
  EXPECT_GT(layout(item).width_factor, 0.2f);
  EXPECT_LT(layout(item).width_factor, 0.6f);
  EXPECT_NEAR(layout(item).length, natural, 1e-3);
  EXPECT_NEAR(layout(item).height, 4.0f, 1e-5);
}

// Values the page refuses keep the old value and say so; the slant outside +-70 becomes 0.
TEST_F(TextItemPageTest, RefusedAndCorrectedValues) {
  DrawingItem* item = text_item();
  const TextLayout before = layout(item);
  EXPECT_EQ(refused([&] { return text_page_set_size(item, TEXT_SIZE_LENGTH, 0.0f); }),
            PAGE_VALUE_REFUSED);
  EXPECT_EQ(refused([&] { return text_page_set_size(item, TEXT_SIZE_HEIGHT, -1.0f); }),
            PAGE_VALUE_REFUSED);
  // A height below the tool's cutting width cannot be cut.
  EXPECT_EQ(refused([&] { return text_page_set_size(item, TEXT_SIZE_HEIGHT, 0.005f); }),
            PAGE_VALUE_REFUSED);
  EXPECT_EQ(layout(item).length, before.length);
  EXPECT_EQ(layout(item).height, before.height);
  // A ratio below 0.001 is told and left to the layout.
  EXPECT_EQ(refused([&] { return text_page_set_size(item, TEXT_SIZE_RATIO, 0.0001f); }),
            PAGE_VALUE_TAKEN);
  EXPECT_EQ(layout(item).width_factor, 0.0f);

  struct Slant {
    float typed, kept;
  };
  for (const Slant s : {Slant{30, 30}, Slant{-70, -70}, Slant{75, 0}, Slant{-71, 0}}) {
    ASSERT_EQ(text_page_set_slant(item, s.typed), PAGE_VALUE_TAKEN);
    text_page_relayout(item);
    EXPECT_EQ(layout(item).slant, s.kept) << s.typed;
  }
  for (const Slant a : {Slant{370, 10}, Slant{-90, 270}, Slant{360, 0}}) {
    ASSERT_EQ(text_page_set_angle(item, a.typed), PAGE_VALUE_TAKEN);
    EXPECT_NEAR(layout(item).angle, a.kept, 1e-4) << a.typed;
  }
}

// A radius wraps the text on an arc (its inner edge on that radius, the band as high as the
// text); 0 in the arc's radius field makes it straight again.
TEST_F(TextItemPageTest, WrappedOnAnArcAndStraightAgain) {
  DrawingItem* item = text_item();
  ASSERT_EQ(text_page_wrap(item, 20.0f), PAGE_VALUE_TAKEN);
  text_page_relayout(item);
  TextLayout l = layout(item);
  EXPECT_NEAR(l.arc_radius, 20.0f, 1e-3);
  EXPECT_NEAR(l.height, 2.0f, 1e-3);
  const LinkRecord* n = item_nodes(item);
  EXPECT_TRUE(code_is_arc(n[0].code));
  EXPECT_TRUE(code_is_arc(n[2].code));
  EXPECT_EQ(text_page_form(item), MSG_FORM_TEXT_ARC_PAGE);

  // The first edge's radius grows by 5: the band keeps its height.
  ASSERT_EQ(text_page_set_edge_radius(item, n[0].code + 5.0f), PAGE_VALUE_TAKEN);
  text_page_relayout(item);
  l = layout(item);
  EXPECT_NEAR(l.arc_radius, 25.0f, 1e-3);
  EXPECT_NEAR(l.height, 2.0f, 1e-3);

  ASSERT_EQ(text_page_set_edge_radius(item, 0.0f), PAGE_VALUE_TAKEN);
  text_page_relayout(item);
  l = layout(item);
  EXPECT_EQ(l.arc_radius, 0.0f);
  EXPECT_GT(l.length, 0.0f);
  n = item_nodes(item);
  for (int k = 0; k < 4; ++k) EXPECT_FALSE(code_is_arc(n[k].code)) << k;
  EXPECT_EQ(text_page_form(item), MSG_FORM_TEXT_PAGE);
}

// A mirrored text wraps as a normal one does: its foot on the inner radius, the centre below
// it, the same band; its first frame edge (the foot) is the inner one. A new height keeps the
// frame's second edge: the inner one of a normal text, the outer one of a mirrored text.
TEST_F(TextItemPageTest, AMirroredTextWrapsAndGrowsFromItsOwnEdges) {
  DrawingItem* normal = text_item();
  DrawingItem* mirrored = text_item();
  TextLayout m = layout(mirrored);
  m.flags |= TEXT_FLAG_MIRRORED;
  write_text_layout(m, block_text_layout(item_block(mirrored)));
  text_page_relayout(mirrored);
  for (DrawingItem* item : {normal, mirrored}) {
    ASSERT_EQ(text_page_wrap(item, 20.0f), PAGE_VALUE_TAKEN);
    text_page_relayout(item);
  }
  const TextLayout n = layout(normal);
  m = layout(mirrored);
  EXPECT_NE(m.flags & TEXT_FLAG_MIRRORED, 0);
  for (const TextLayout& l : {n, m}) {
    EXPECT_NEAR(l.arc_radius, 20.0f, 1e-3);
    EXPECT_NEAR(l.height, 2.0f, 1e-3);
    EXPECT_NEAR(l.angle, 90.0f, 0.5f);  // the text stands above the centre
  }
  // The same centre within the arcs' sag: one is fitted through the foot, the other the top.
  EXPECT_NEAR(m.anchor.x, n.anchor.x, 0.01);
  EXPECT_NEAR(m.anchor.y, n.anchor.y, 0.01);
  EXPECT_NEAR(item_nodes(normal)[0].code, 22.0f, 1e-3);
  EXPECT_NEAR(item_nodes(normal)[2].code, 20.0f, 1e-3);
  EXPECT_NEAR(item_nodes(mirrored)[0].code, 20.0f, 1e-3);
  EXPECT_NEAR(item_nodes(mirrored)[2].code, 22.0f, 1e-3);

  struct Grow {
    DrawingItem* item;
    float inner, outer;
  };
  for (const Grow g : {Grow{normal, 20, 23}, Grow{mirrored, 19, 22}}) {
    ASSERT_EQ(text_page_set_size(g.item, TEXT_SIZE_HEIGHT, 3.0f), PAGE_VALUE_TAKEN);
    text_page_relayout(g.item);
    const TextLayout l = layout(g.item);
    EXPECT_NEAR(l.arc_radius, g.inner, 1e-3) << (g.item == mirrored);
    EXPECT_NEAR(l.arc_radius + l.height, g.outer, 1e-3) << (g.item == mirrored);
  }
  // The outer edge kept, a height past the centre leaves no inner edge.
  EXPECT_EQ(refused([&] { return text_page_set_size(mirrored, TEXT_SIZE_HEIGHT, 30.0f); }),
            PAGE_VALUE_REFUSED);
  EXPECT_NEAR(layout(mirrored).height, 3.0f, 1e-3);
}

// Enter on the font row: the preference asks which kind, or goes straight to its list.
TEST_F(TextItemPageTest, TheFontKindPreferenceDecidesTheFontList) {
  struct Case {
    uint8_t kind;
    const char* shown;
  };
  const Case cases[] = {
      {TEXT_FONT_ASK, "Which kind of font"},
      {TEXT_FONT_STROKE, "Choose a Font"},
      {TEXT_FONT_TRUETYPE, "TrueType"},
  };
  for (const Case& c : cases) {
    DrawingItem* item = text_item();
    g_preferences.text_font_kind = c.kind;
    g_typist.steps.clear();
    for (int k = 0; k < 10; ++k) typist_key(VK_DOWN);
    typist_key(VK_RETURN);
    for (int k = 0; k < 3; ++k) typist_pause();
    // What the program waits in: the list's title, or the question in the menu face.
    std::string screen;
    g_typist.steps.push_back([&screen] {
      if (g_windows.active != nullptr) screen = g_windows.active->title;
      const CellMetrics& c = g_display.presets[FACE_ROLE_MENU];
      for (int row = 0; row <= c.last_row; ++row)
        screen += text_at(0, row * c.cell_height, FACE_ROLE_MENU, c.last_column + 1) + "\n";
      headless_inject_keystroke(VK_ESCAPE, 0);
    });
    for (int k = 0; k < 4; ++k) typist_key(VK_ESCAPE);
    show_cam_panel(item, 0);
    EXPECT_NE(screen.find(c.shown), std::string::npos) << int(c.kind) << "\n" << screen;
    if (c.kind != TEXT_FONT_ASK) {
      EXPECT_EQ(screen.find("Which kind of font"), std::string::npos) << int(c.kind);
    }
    EXPECT_EQ(text_font_name(layout(item)), "Plain") << int(c.kind);  // Esc chose nothing
  }
  g_preferences.text_font_kind = TEXT_FONT_ASK;
}

// Normal, vertical, normal: one link while vertical, four links with their node flags after.
TEST_F(TextItemPageTest, VerticalAndBackGivesFourLinks) {
  DrawingItem* item = text_item();
  ASSERT_EQ(text_page_set_display(item, TEXT_DISPLAY_VERTICAL), PAGE_VALUE_TAKEN);
  text_page_relayout(item);
  EXPECT_EQ(item_block(item)->link_count, 1);
  EXPECT_NE(layout(item).flags & TEXT_FLAG_VERTICAL, 0);
  ASSERT_EQ(text_page_set_display(item, TEXT_DISPLAY_NORMAL), PAGE_VALUE_TAKEN);
  text_page_relayout(item);
  ASSERT_EQ(item_block(item)->link_count, 4);
  const LinkRecord* n = item_nodes(item);
  const uint8_t flags[5] = {NODE_FIRST | NODE_LOOSE, NODE_LOOSE, NODE_LOOSE, NODE_LOOSE,
                            NODE_CLOSING};
  for (int k = 0; k < 5; ++k) EXPECT_EQ(n[k].node_flags, flags[k]) << k;
  EXPECT_EQ(n[4].point.x, n[0].point.x);
  EXPECT_EQ(n[4].point.y, n[0].point.y);
  const TextLayout l = layout(item);
  EXPECT_EQ(l.flags & TEXT_FLAG_VERTICAL, 0);
  EXPECT_NEAR(point_distance(&n[0].point, &n[1].point), l.length, 1e-3);
}

// A TrueType face takes the spacing to 0 and font number 0; a stroke font clears the face.
TEST_F(TextItemPageTest, FontsByKind) {
  DrawingItem* item = text_item();
  uint8_t face[TL_LOG_FONT_SIZE];
  set_truetype_description(face, "Liberation Sans", 400, false);
  if (find_truetype_face(face) == 0) GTEST_SKIP() << "no TrueType face on this system";
  ASSERT_EQ(text_page_set_truetype_font(item, face), PAGE_VALUE_TAKEN);
  text_page_relayout(item);
  TextLayout l = layout(item);
  EXPECT_EQ(l.spacing, 0.0f);
  EXPECT_TRUE(layout_is_truetype(l));
  EXPECT_EQ(text_font_name(l), "Liberation Sans");
  EXPECT_GT(l.length, 0.0f);
  ASSERT_EQ(text_page_set_stroke_font(item, 0), PAGE_VALUE_TAKEN);
  l = layout(item);
  EXPECT_FALSE(layout_is_truetype(l));
  EXPECT_EQ(text_font_name(l), "Plain");
  // A font nobody registered is refused.
  EXPECT_EQ(refused([&] { return text_page_set_stroke_font(item, 1234); }), PAGE_VALUE_REFUSED);
  EXPECT_EQ(layout(item).font_number, 0);
}

// The page in the side panel: Down to the height, 3, Enter, Esc; the page shows the new height
// and the length that follows, and the saved job holds them.
TEST_F(TextItemPageTest, ThePageTakesAHeightAndTheJobKeepsIt) {
  DrawingItem* item = text_item();
  const float length = layout(item).length;
  // Down passes the blank row: seven steps from the text to the height.
  const std::string screen = run_page(item, 7, "3");
  EXPECT_EQ(value_after(screen, "Height:"), "3") << screen;
  EXPECT_EQ(value_after(screen, "Text:"), "AB") << screen;
  EXPECT_EQ(value_after(screen, "Font:"), "Plain") << screen;
  EXPECT_EQ(value_after(screen, "Display:"), "Normal") << screen;
  const TextLayout l = layout(item);
  EXPECT_NEAR(l.height, 3.0f, 1e-5);
  EXPECT_NEAR(l.length, 1.5f * length, 0.01f);  // the pen allowance does not grow
  EXPECT_NEAR(std::stof(value_after(screen, "Length:")), l.length, 1e-3) << screen;

  const fs::path job = folder_ / "page.job";
  ASSERT_EQ(write_job_to_path(job.string()), 0);
  push_list();
  clear_current_list();
  ASSERT_EQ(load_job_file(job.string(), nullptr), 0);
  DrawingItem* read = nullptr;
  for (TextLine* line = g_lists.current.first; line != nullptr; line = line->next)
    if (line->kind == ITEM_TEXT && line->text == "AB") read = line;
  ASSERT_NE(read, nullptr);
  EXPECT_NEAR(layout(read).height, 3.0f, 1e-5);
  EXPECT_NEAR(layout(read).length, l.length, 1e-4);
  free_current_list();
  pop_list();
}

// A panel button shown beside the page, below its form: a press on it, through the event queue,
// goes to the button ("Lock on Header" toggles) and the page reads on, where the form alone
// would have taken a press outside its window as leaving the page.
TEST_F(TextItemPageTest, APanelButtonPressedBesideThePageActsAndThePageStays) {
  DrawingItem* item = text_item();
  draw_page_strip();
  ScreenControl* lock = page_strip_control(NAV_LOCK_ON_HEADER);
  ASSERT_NE(lock, nullptr);
  lock->flags &= ~CF_HIDDEN;
  draw_controls(lock, 1);
  g_panel.lock_on_header = 0;
  g_pointer.released = true;
  bool outside_form = false;
  bool page_ran_on = false;
  uint8_t locked = 0;
  g_typist.steps.push_back([&] {
    const TextWindow* w = g_windows.active;
    const int row = (lock->y + 3) / g_display.current.cell_height;
    outside_form = w != nullptr && (row < w->top_row || row > w->bottom_row);
    headless_inject_mouse_move(lock->x + 3, lock->y + 3);
    headless_inject_mouse_button(WINDOW_BUTTON_LEFT, true, lock->x + 3, lock->y + 3);
    headless_inject_mouse_button(WINDOW_BUTTON_LEFT, false, lock->x + 3, lock->y + 3);
  });
  g_typist.steps.push_back([&] {
    page_ran_on = g_form_hooks.click != nullptr;
    locked = g_panel.lock_on_header;
    headless_inject_keystroke(VK_ESCAPE, 0);
  });
  show_cam_panel(item, 0);
  EXPECT_TRUE(outside_form) << "the button lies beside the form";
  EXPECT_TRUE(page_ran_on) << "the press closed the page";
  EXPECT_EQ(locked, 1);
  EXPECT_TRUE(g_typist.steps.empty());
  EXPECT_EQ(g_form_hooks.click, nullptr) << "the form takes its clicks again once the page closed";
  g_panel.lock_on_header = 0;
}

// Without the side panel an item's page stands over the Engraving list: when the screen behind
// the page is rebuilt, the list page is drawn there and then (tabs, heading, its lines), not
// only once the page has closed.
TEST_F(TextItemPageTest, TheListBehindThePageIsDrawnWhenTheScreenIsRebuilt) {
  DrawingItem* item = text_item("AB");
  g_preferences.current_page = PAGE_ENGRAVING_LIST;
  reset_text_list_page();
  g_text_list.top = g_lists.current.first;
  g_lists.cursor_line = item;
  g_panel.panel_item = item;
  g_drawing_commands.redraw_text_list_page = redraw_text_list_page;
  clear_screen();
  const std::string before = screen_text();
  g_form.redraw_level = 1;
  rebuild_panel_screen();
  const std::string behind = screen_text();
  g_drawing_commands.redraw_text_list_page = nullptr;
  reset_text_list_page();
  EXPECT_EQ(before.find("List of text items"), std::string::npos) << before;
  EXPECT_NE(behind.find("List of text items"), std::string::npos) << behind;
  EXPECT_NE(behind.find("AB"), std::string::npos) << behind;
  EXPECT_EQ(g_form.redraw_level, 0);
}

// The slant typed on the page: 75 comes back as 0 and the page shows it.
TEST_F(TextItemPageTest, ThePageShowsAnImpossibleSlantAsZero) {
  DrawingItem* item = text_item();
  std::string screen = run_page(item, 12, "30");
  EXPECT_EQ(layout(item).slant, 30.0f);
  EXPECT_EQ(value_after(screen, "Slant:"), "30") << screen;
  screen = run_page(item, 12, "75");
  EXPECT_EQ(layout(item).slant, 0.0f);
  EXPECT_EQ(value_after(screen, "Slant:"), "0") << screen;
}

// A radius typed into the wrap field reopens the page as the page of a text on an arc.
TEST_F(TextItemPageTest, WrappingOnThePageReopensItForTheArc) {
  DrawingItem* item = text_item();
  const float length = layout(item).length;
  const std::string screen = run_page(item, 5, "20");
  EXPECT_NEAR(layout(item).arc_radius, 20.0f, 1e-3);
  EXPECT_NE(screen.find("Arc center X:"), std::string::npos) << screen;
  // The arc's centre below the middle of the text's top edge.
  EXPECT_NEAR(std::stof(value_after(screen, "Arc center X:")), 10 + length / 2, 0.01) << screen;
}

}  // namespace
