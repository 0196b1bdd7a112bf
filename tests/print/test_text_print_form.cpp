// Printing the active window's text through its options form, driven through the event queue:
// the user's keys answer the form, the printer set-up and the PDF name; the form's cells and its
// page sketch are read off the screen and the PDF written is judged by poppler's tools.
#include <cstdlib>
#include <filesystem>
#include <string>

#include "print/page_geometry.h"
#include "print/text_print_form.h"
#include "store/message_ids.h"
#include "platform/canvas.h"
#include "screen/text_output_internal.h"
#include "store/text_wrap.h"
#include "tests/print/print_judges.h"
#include "tests/support/test_folder.h"
#include "tests/ui/form_fixture.h"
#include "ui/message_box.h"

namespace {

namespace fs = std::filesystem;

constexpr int BIG_FONT = 72;  // an inch a line: A4 at 300 dpi holds 11 lines of it

class TextPrintFormTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    folder_ = make_test_folder("text_print_form");
    if (const char* home = std::getenv("HOME")) saved_home_ = home;
    setenv("HOME", folder_.c_str(), 1);
    // No print server: the default printer is the PDF file.
    setenv("CUPS_SERVER", (folder_ / "no-server.sock").c_str(), 1);
    reset_text_print();
    reset_printer_choice();
    reset_text_wrap();
    g_message_box = MessageBoxState{};
  }
  void TearDown() override {
    pump_set_idle_handler(nullptr);
    setenv("HOME", saved_home_.c_str(), 1);
    unsetenv("CUPS_SERVER");
    reset_text_print();
    reset_printer_choice();
    FormTest::TearDown();
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }

  // An editing window over the lines, active as on the NC page.
  void open_text(std::initializer_list<const char*> lines) {
    activate_window(make_window(lines, 2, 2, 20, 70));
  }
  // Up from the bar to OK, then Enter at the PDF name's entry.
  void press_ok_and_keep_the_name() {
    typist_text("O");
    typist_key(VK_RETURN);
  }
  // The pixel of the page sketch at (x, y) sixteenths of its area, read while the form runs.
  void typist_sketch_pixel(int x16, int y16, uint32_t* pixel) {
    g_typist.steps.push_back([=] {
      const int cw = g_display.current.cell_width;
      const int ch = g_display.current.cell_height;
      const int left = (g_field.value_column + 28) * cw;
      const int top = (g_windows.active->top_row + 2) * ch;
      *pixel = canvas_get_pixel(g_text.screen, left + 13 * cw * x16 / 16,
                                top + 7 * ch * y16 / 16) & 0xFFFFFF;
    });
  }
  std::string pdf() const { return (folder_ / "Printing.pdf").string(); }

  fs::path folder_;
  std::string saved_home_;
};

TEST_F(TextPrintFormTest, OkAndTheProposedNamePrintTheWindowsTextWithTheHeaderTyped) {
  open_text({"G0 X10 Y20\n", "G1 Z-0.5 F100\n", "M30\n", "   \n", "\n"});
  start_typist();
  std::string seen;
  typist_key(VK_DOWN);
  typist_text("B");  // a character opens the header's entry with it
  typist_text("rass plate");
  typist_key(VK_RETURN);
  typist_look(&seen);
  uint32_t middle = 0, side = 0;
  typist_sketch_pixel(8, 8, &middle);
  typist_sketch_pixel(1, 8, &side);
  typist_key(VK_UP);
  press_ok_and_keep_the_name();
  EXPECT_EQ(print_text_document(), 1);
  // The upright A4 sheet stands narrower than the sketch's area; with no margins the text area
  // (silver) fills its middle.
  EXPECT_EQ(middle, 0xC0C0C0u);
  EXPECT_EQ(side, 0xE0E0E0u);
  EXPECT_NE(seen.find("Brass plate"), std::string::npos) << seen;
  EXPECT_NE(seen.find("1     pages"), std::string::npos) << seen;
  EXPECT_NE(seen.find("3     on the last"), std::string::npos) << "blank lines at the end drop";
  EXPECT_NE(seen.find("PDF file"), std::string::npos) << seen;
  ASSERT_TRUE(fs::exists(pdf()));
  EXPECT_FALSE(fs::exists(print_temp_path(pdf())));
  const std::vector<std::string> pages = read_pdf_pages(pdf());
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_NE(pages[0].find("Brass plate"), std::string::npos) << pages[0];
  EXPECT_NE(pages[0].find("G1 Z-0.5 F100"), std::string::npos) << pages[0];
  EXPECT_NE(pages[0].find("M30"), std::string::npos) << pages[0];
}

TEST_F(TextPrintFormTest, TheFontSizeTypedRecountsThePagesAndThePrintFollows) {
  open_text({"1\n", "2\n", "3\n", "4\n", "5\n", "6\n", "7\n", "8\n", "9\n", "10\n", "11\n",
             "12\n", "13\n"});
  start_typist();
  std::string before, after;
  typist_look(&before);
  for (int k = 0; k < 10; ++k) typist_key(VK_DOWN);
  typist_text("72");  // typed over the old size
  typist_key(VK_RETURN);
  typist_look(&after);
  for (int k = 0; k < 10; ++k) typist_key(VK_UP);
  press_ok_and_keep_the_name();
  EXPECT_EQ(print_text_document(), 1);
  EXPECT_NE(before.find("1     pages"), std::string::npos) << before;
  EXPECT_NE(after.find("2     pages"), std::string::npos) << after;
  EXPECT_NE(after.find("11    lines a page"), std::string::npos) << after;
  EXPECT_NE(after.find("2     on the last"), std::string::npos) << after;
  EXPECT_EQ(g_interface.print_font_size, BIG_FONT) << "the size is kept for the next print";
  const std::vector<std::string> pages = read_pdf_pages(pdf());
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_NE(pages[1].find("13"), std::string::npos) << pages[1];
  EXPECT_EQ(pages[1].find("11"), std::string::npos) << pages[1];
}

TEST_F(TextPrintFormTest, NInTheRightMarginCutsLongLinesInsteadOfWrappingThem) {
  const std::string word_line = std::string(60, 'a') + " " + std::string(60, 'b') + " " +
                                std::string(60, 'c') + "\n";
  open_text({word_line.c_str(), "END\n"});
  start_typist();
  std::string wrapped, cut;
  typist_look(&wrapped);
  for (int k = 0; k < 8; ++k) typist_key(VK_DOWN);
  typist_text("N");
  typist_look(&cut);
  for (int k = 0; k < 8; ++k) typist_key(VK_UP);
  press_ok_and_keep_the_name();
  EXPECT_EQ(print_text_document(), 1);
  EXPECT_NE(wrapped.find("characters"), std::string::npos) << wrapped;
  EXPECT_NE(cut.find("No!"), std::string::npos) << cut;
  EXPECT_NE(cut.find("wrapping"), std::string::npos) << cut;
  EXPECT_NE(cut.find("2     on the last"), std::string::npos) << "one printed line a file line";
  const std::vector<std::string> pages = read_pdf_pages(pdf());
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_NE(pages[0].find(std::string(60, 'a')), std::string::npos);
  EXPECT_EQ(pages[0].find("ccc"), std::string::npos) << "the line is cut at the page's width";
  EXPECT_NE(pages[0].find("END"), std::string::npos);
}

TEST_F(TextPrintFormTest, LandscapeChosenInThePrinterSetUpTurnsThePages) {
  open_text({"G0 X1\n"});
  start_typist();
  std::string setup;
  for (int k = 0; k < 11; ++k) typist_key(VK_DOWN);
  typist_key(VK_RETURN);
  typist_look(&setup);
  for (int k = 0; k < 3; ++k) typist_key(VK_DOWN);
  typist_text("L");
  for (int k = 0; k < 3; ++k) typist_key(VK_UP);
  typist_text("O");
  for (int k = 0; k < 11; ++k) typist_key(VK_UP);
  press_ok_and_keep_the_name();
  EXPECT_EQ(print_text_document(), 1);
  EXPECT_NE(setup.find("Print to:    PDF file"), std::string::npos) << setup;
  EXPECT_NE(setup.find("A4"), std::string::npos) << setup;
  const PdfInfo info = read_pdf_info(pdf());
  EXPECT_EQ(info.pages, 1);
  EXPECT_GT(info.width_pt, info.height_pt) << "landscape A4";
  EXPECT_NEAR(info.width_pt, 842, 1);
  EXPECT_FALSE(g_printer.setup_chosen) << "the next print starts from the default printer";
}

TEST_F(TextPrintFormTest, CancelInTheFormOrAtTheNameWritesNothing) {
  open_text({"G0 X1\n"});
  start_typist();
  typist_key(VK_ESCAPE);
  EXPECT_EQ(print_text_document(), 0);
  start_typist();
  typist_text("O");
  typist_key(VK_ESCAPE);
  EXPECT_EQ(print_text_document(), 0);
  EXPECT_TRUE(fs::is_empty(folder_)) << "neither the PDF nor its .tmp";
}

TEST_F(TextPrintFormTest, AFileThatCannotBeWrittenIsReportedAndLeavesNothing) {
  open_text({"G0 X1\n"});
  start_typist();
  std::string seen;
  // The name proposed is in a folder that does not exist.
  setenv("HOME", (folder_ / "missing").c_str(), 1);
  press_ok_and_keep_the_name();
  typist_look(&seen);
  typist_key(VK_RETURN);
  EXPECT_EQ(print_text_document(), 0);
  EXPECT_NE(seen.find("Printer corrupt or not installed!"), std::string::npos) << seen;
  EXPECT_FALSE(fs::exists(folder_ / "missing"));
}

TEST_F(TextPrintFormTest, ABlankTextShowsNoFormAndPrintsNothing) {
  open_text({"  \n", "\t\n"});
  start_typist();
  std::string seen;
  typist_look(&seen);
  typist_key(VK_RETURN);
  EXPECT_EQ(print_text_document(), 0);
  EXPECT_EQ(seen.find("Page header"), std::string::npos) << seen;
  EXPECT_NE(seen.find("nothing to print"), std::string::npos) << seen;
  EXPECT_TRUE(fs::is_empty(folder_));
}

}  // namespace
