// The Drawing page's print command through its options dialog, driven through the event queue:
// the dialog's figures are read off the screen, the keys change the scale and the pages, and the
// PDF written is judged by poppler's tools; the screen's view and colours are back afterwards.
#include <cstdlib>
#include <filesystem>
#include <string>

#include "editor/draw_style.h"
#include "editor/view_state.h"
#include "geometry/drawing_item.h"
#include "geometry/layers.h"
#include "editor/view.h"
#include "print/abort_dialog.h"
#include "print/drawing_print.h"
#include "print/page_geometry.h"
#include "records/job_settings.h"
#include "store/line_list.h"
#include "text/text_host.h"
#include "tests/print/print_judges.h"
#include "tests/support/test_folder.h"
#include "tests/ui/form_fixture.h"
#include "ui/message_box.h"

namespace {

namespace fs = std::filesystem;

constexpr int ROW_SCALE = 4;
constexpr int ROW_LAYER_COLOURS = 8;

DrawingItem* g_drawing_first = nullptr;

class DrawingPrintFormTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    folder_ = make_test_folder("drawing_print_form");
    if (const char* home = std::getenv("HOME")) saved_home_ = home;
    setenv("HOME", folder_.c_str(), 1);
    setenv("CUPS_SERVER", (folder_ / "no-server.sock").c_str(), 1);
    reset_printer_choice();
    reset_print_options();
    reset_layers();
    set_factory_job_settings(&g_job_settings, false);
    g_message_box = MessageBoxState{};
    // As the program's shell does: the drawing is the drawing window's list, also while a box
    // of the print is the active window.
    g_text_host.drawing_items = [] { return g_drawing_first; };
  }
  void TearDown() override {
    pump_set_idle_handler(nullptr);
    g_text_host.drawing_items = nullptr;
    setenv("HOME", saved_home_.c_str(), 1);
    unsetenv("CUPS_SERVER");
    // The drawing's items, whatever list is current after the form's windows are gone.
    if (g_lists.current.first == g_drawing_first) clear_current_list();
    if (g_drawing_first != nullptr) free_list(g_drawing_first);
    g_drawing_first = nullptr;
    reset_printer_choice();
    reset_print_options();
    FormTest::TearDown();
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }

  // A w x h inch rectangle of four lines on layer 3 in the drawing list.
  static void draw_rectangle(float w, float h) {
    const PointF corners[5] = {{0, 0}, {w, 0}, {w, h}, {0, h}, {0, 0}};
    for (int k = 0; k < 4; ++k) {
      ASSERT_EQ(new_geometry_block("", nullptr, 1, 3, GEOMETRY_KIND_DRAWING_AID), 0);
      DrawingItem* item = g_lists.current.last;
      item->kind = ITEM_POLYLINE;
      item->state = ITEM_FLAG_SELECTED;
      LinkRecord* r = item_nodes(item);
      r[0].point = corners[k];
      r[0].code = LINK_FLEXIBLE_LINE;
      r[0].node_flags = NODE_FIRST | NODE_LOOSE;
      r[1].point = corners[k + 1];
      r[1].node_flags = NODE_CLOSING;
      item_bounding_boxes(item);
    }
    g_drawing_first = g_lists.current.first;
  }
  void down(int rows) {
    for (int k = 0; k < rows; ++k) typist_key(VK_DOWN);
  }
  void up(int rows) {
    for (int k = 0; k < rows; ++k) typist_key(VK_UP);
  }
  std::string pdf() const { return (folder_ / "Drawing.pdf").string(); }

  fs::path folder_;
  std::string saved_home_;
};

TEST_F(DrawingPrintFormTest, TheDialogShowsTheGridAndAFittedScalePrintsOnePage) {
  draw_rectangle(10, 6);
  start_typist();
  std::string full, fitted;
  down(ROW_SCALE);
  typist_text("1");
  typist_key(VK_RETURN);
  typist_look(&full);
  typist_text("0");
  typist_key(VK_RETURN);
  typist_look(&fitted);
  up(ROW_SCALE);
  typist_text("O");
  typist_key(VK_RETURN);  // the PDF's name as proposed
  const float scale_before = g_view.scale_x;
  const auto colours_before = g_layers.colours;
  print_drawing();
  EXPECT_NE(full.find("Drawing is 10.00 wide by 6.00"), std::string::npos) << full;
  EXPECT_NE(full.find("Drawing spans 2 pages"), std::string::npos) << full;
  EXPECT_NE(full.find("300 by 300"), std::string::npos) << full;
  EXPECT_NE(fitted.find("Drawing fits on one page"), std::string::npos) << fitted;
  EXPECT_NE(fitted.find("(0."), std::string::npos) << "the fitted scale in brackets";
  ASSERT_TRUE(fs::exists(pdf()));
  EXPECT_EQ(read_pdf_info(pdf()).pages, 1);
  // The screen's view and layer colours are as they were.
  EXPECT_EQ(g_view.scale_x, scale_before);
  EXPECT_EQ(g_layers.colours, colours_before);
  EXPECT_EQ(g_draw_style.printing, 0);
}

TEST_F(DrawingPrintFormTest, LayerColoursOffPrintsBlackAndTheSettingIsKept) {
  draw_rectangle(2, 1);
  start_typist();
  down(ROW_LAYER_COLOURS);
  typist_text("N");
  up(ROW_LAYER_COLOURS);
  typist_text("O");
  typist_key(VK_RETURN);
  print_drawing();
  ASSERT_TRUE(fs::exists(pdf()));
  const GreyPage g = render_grey_page(pdf(), 1, 300, (folder_ / "page").string());
  // The rectangle's left edge, the first mark on a row through its middle, is black.
  int x = 0;
  while (x < g.width && g.at(x, 150) >= 250) ++x;
  ASSERT_LT(x, g.width);
  EXPECT_EQ(g.at(x, 150), 0);
  EXPECT_EQ(g_print_options.layer_colours, 0);
  // Kept in the preferences' bytes for the next run.
  g_print_options.layer_colours = 1;
  load_print_options();
  EXPECT_EQ(g_print_options.layer_colours, 0);
}

TEST_F(DrawingPrintFormTest, CancelPrintsNothing) {
  draw_rectangle(2, 1);
  start_typist();
  typist_key(VK_ESCAPE);
  print_drawing();
  EXPECT_FALSE(fs::exists(pdf()));
}

TEST_F(DrawingPrintFormTest, AnEmptyDrawingSaysThereIsNothingToPrint) {
  start_typist();
  std::string seen;
  typist_look(&seen);
  typist_key(VK_RETURN);
  print_drawing();
  EXPECT_NE(seen.find("nothing to print"), std::string::npos) << seen;
  EXPECT_FALSE(fs::exists(pdf()));
}

TEST_F(DrawingPrintFormTest, ACancelWhilePrintingLeavesNoFile) {
  draw_rectangle(10, 6);
  compute_extents();
  g_printer.setup_chosen = true;
  g_printer.setup.file_path = pdf();
  ASSERT_EQ(measure_printer(), 0);
  g_print_options.scale = 1;
  const DrawingPrintLayout layout = current_drawing_print_layout();
  ASSERT_TRUE(layout.ok);
  TAbortDialog* dialog = open_abort_dialog();
  dialog->cancelled = true;  // as after a click on its button
  std::string error;
  EXPECT_EQ(print_drawing_job(layout, "", dialog, &error), DRAWING_PRINT_CANCELLED);
  close_abort_dialog(dialog);
  EXPECT_FALSE(fs::exists(pdf()));
  EXPECT_FALSE(fs::exists(print_temp_path(pdf())));
  EXPECT_EQ(g_draw_style.printing, 0);
}

}  // namespace
