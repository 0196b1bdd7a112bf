// Printing text files: what a line prints as, the wrap width and the page layout, and whole
// prints made by brenvik-print judged by poppler (pdfinfo, pdftotext -layout and -bbox).
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/files.h"
#include "print/page_geometry.h"
#include "print/text_print.h"
#include "screen/interface_settings.h"
#include "store/text_wrap.h"
#include "tests/print/print_judges.h"
#include "tests/support/test_folder.h"

namespace {

namespace fs = std::filesystem;

// A4 at 300 dpi, 12 points: cells of 24 x 50 pixels, 103 columns and 70 rows.
constexpr int A4_COLUMNS = 103;
constexpr int A4_ROWS = 70;

TEST(TextPrintLine, WhatALinePrintsAs) {
  struct Case {
    const char* name;
    std::string text;
    int tab;
    std::string printed;
    int bits;
  } cases[] = {
      {"plain", "G01 X1.5", 4, "G01 X1.5", 0},
      {"line end", "N10\n", 4, "N10", 2},
      {"carriage return and line feed", "a\r\n", 4, "a", 3},
      {"tab to the next stop", "ab\tc", 4, "ab  c", 0},
      {"tab on a stop is a whole stop", "abcd\te", 4, "abcd    e", 0},
      {"colour codes vanish", "\x0b" "red\x13 \x0cX\x0e", 4, "red X", 0},
      {"glyph code prints its character", std::string("\x08") + static_cast<char>('A' + 33), 4,
       "A", 0},
      {"glyph below a blank prints a star", std::string("\x08") + static_cast<char>(5 + 33), 4,
       "*", 0},
      {"a glyph code at the end reads nothing past it", "ab\x08", 4, "ab", 0},
      {"255 is a blank, other high bytes drop", "a\xff" "b\xe9" "c", 4, "a bc", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    int bits = -1;
    EXPECT_EQ(printable_text(c.text, c.tab, &bits), c.printed);
    EXPECT_EQ(bits, c.bits);
  }
}

class TextPrintLayout : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_text_print();
    g_interface = InterfaceSettings();
    PrintSetup setup;
    std::string error;
    ASSERT_TRUE(print_measure(setup, &caps_, &error)) << error;
    measure_text_printer(caps_, 12);
  }
  PrintDeviceCaps caps_;
};

TEST_F(TextPrintLayout, CellsOfTheA4PdfAt12Points) {
  EXPECT_EQ(g_text_printer.cell_height, 50);
  EXPECT_EQ(g_text_printer.cell_width, 24);
  EXPECT_EQ(g_text_printer.columns, A4_COLUMNS);
  EXPECT_EQ(g_text_printer.rows, A4_ROWS);
  EXPECT_EQ(g_text_printer.paper_width_mm, 209);  // 2480 pixels at 300 dpi, truncated
}

TEST_F(TextPrintLayout, MarginsThatLeaveFewerThan20ColumnsAreDroppedRightFirst) {
  struct Case {
    int left, right;
    int wrap, left_after, right_after;
  } cases[] = {
      {5, 10, A4_COLUMNS - 15, 5, 10},
      {60, 30, A4_COLUMNS - 60, 60, 0},   // 13 left: the right margin goes
      {90, 30, A4_COLUMNS, 0, 0},         // still 13: the left goes too
      {83, 0, 20, 83, 0},                 // exactly 20 is enough
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.left) + "/" + std::to_string(c.right));
    g_interface.print_left_margin = static_cast<int16_t>(c.left);
    g_interface.print_right_margin = static_cast<int16_t>(c.right);
    EXPECT_EQ(compute_print_wrap_width(), c.wrap);
    EXPECT_EQ(g_interface.print_left_margin, c.left_after);
    EXPECT_EQ(g_interface.print_right_margin, c.right_after);
  }
}

TEST_F(TextPrintLayout, TrailingBlankLinesAreNotPrinted) {
  std::vector<PrintTextLine> lines = {{"a\n"}, {"  \n"}, {"b\n"}, {" \t\n"}, {"\n"}};
  EXPECT_EQ(trim_print_range(&lines), 3);
  std::vector<PrintTextLine> blank = {{" \n"}, {"\n"}};
  EXPECT_EQ(trim_print_range(&blank), 0);
}

TEST_F(TextPrintLayout, AHeaderTallerThanTheTopMarginTakesLinesOfThePage) {
  TextPrintDocument document;
  document.lines.assign(200, PrintTextLine{"x\n"});
  EXPECT_EQ(layout_text_pages(document).lines_per_page, A4_ROWS);
  g_interface.print_top_margin = 3;
  g_interface.print_bottom_margin = 2;
  EXPECT_EQ(layout_text_pages(document).lines_per_page, A4_ROWS - 5);
  // The page header, then the name line with the page line at its right: two lines of
  // two-thirds height (33 pixels each), and no top margin.
  g_interface.print_top_margin = 0;
  g_interface.print_bottom_margin = 0;
  g_interface.print_name_line = 1;
  g_interface.print_page_numbers = 1;
  g_text_print.page_header = "Header";
  const TextPageLayout layout = layout_text_pages(document);
  EXPECT_EQ(layout.header_height, 66);
  EXPECT_EQ(layout.lines_per_page, (3508 - 66) / 50);
  EXPECT_EQ(layout.pages, (200 + layout.lines_per_page - 1) / layout.lines_per_page);
}

// ---- Whole prints judged by poppler --------------------------------------------------------------

class TextPrintTool : public ::testing::Test {
 protected:
  void SetUp() override { folder_ = make_test_folder("text_print"); }
  void TearDown() override { fs::remove_all(folder_); }

  std::string write_text(const std::string& name, const std::string& bytes) {
    const std::string path = (folder_ / name).string();
    write_file_bytes(path, bytes);
    return path;
  }

  static std::string numbered_lines(int count, const std::string& prefix = "Line") {
    std::string text;
    for (int i = 1; i <= count; ++i) text += prefix + std::to_string(i) + "\n";
    return text;
  }

  // Runs the tool; the exit status.
  int print(const std::string& arguments, std::string* out_pdf) {
    *out_pdf = (folder_ / "out.pdf").string();
    int status = -1;
    run_and_read(std::string(BRENVIK_PROGRAM_DIR) + "/brenvik-print " + arguments + " " +
                     shell_quoted(*out_pdf) + " 2>" + shell_quoted((folder_ / "err.txt").string()),
                 &status);
    return status;
  }

  std::string errors() { return read_file_bytes((folder_ / "err.txt").string()); }

  // The lines of a page with text on them.
  static std::vector<std::string> text_lines(const std::string& page) {
    std::vector<std::string> lines;
    for (const std::string& line : split_lines(page)) {
      if (line.find_first_not_of(' ') != std::string::npos) lines.push_back(line);
    }
    return lines;
  }

  fs::path folder_;
};

TEST_F(TextPrintTool, AFullPageAndOneLineMore) {
  struct Case {
    int lines;
    int pages;
    int on_last_page;
  } cases[] = {{A4_ROWS, 1, A4_ROWS}, {A4_ROWS + 1, 2, 1}, {1, 1, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines);
    const std::string text = write_text("lines.txt", numbered_lines(c.lines));
    std::string pdf;
    ASSERT_EQ(print("--text " + shell_quoted(text), &pdf), 0) << errors();
    EXPECT_EQ(read_pdf_info(pdf).pages, c.pages);
    const std::vector<std::string> pages = read_pdf_pages(pdf);
    ASSERT_EQ(static_cast<int>(pages.size()), c.pages);
    const std::vector<std::string> last = text_lines(pages.back());
    ASSERT_EQ(static_cast<int>(last.size()), c.on_last_page);
    EXPECT_EQ(last.back(), "Line" + std::to_string(c.lines));
    // Every line is whole and in its order.
    int expected = 1;
    for (const std::string& page : pages) {
      for (const std::string& line : text_lines(page)) EXPECT_EQ(line, "Line" + std::to_string(expected++));
    }
  }
}

TEST_F(TextPrintTool, PagesThreeAndFourOfSix) {
  const std::string text = write_text("six.txt", numbered_lines(6 * A4_ROWS - 10));
  std::string pdf;
  ASSERT_EQ(print("--text " + shell_quoted(text) + " --page-numbers --pages 3-4 --top 1", &pdf), 0)
      << errors();
  const std::vector<std::string> pages = read_pdf_pages(pdf);
  ASSERT_EQ(pages.size(), 2u);
  // One header line of the top margin: A4_ROWS - 1 lines a page.
  const int per_page = A4_ROWS - 1;
  const int pages_of_text = (6 * A4_ROWS - 10 + per_page - 1) / per_page;
  for (int p = 0; p < 2; ++p) {
    const std::vector<std::string> lines = text_lines(pages[p]);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_NE(lines[0].find("Page " + std::to_string(3 + p) + " of " + std::to_string(pages_of_text)),
              std::string::npos)
        << lines[0];
    EXPECT_EQ(lines[1], "Line" + std::to_string((2 + p) * per_page + 1));
  }
}

TEST_F(TextPrintTool, HeaderNameLineAndPageLineStandWhereTheyShould) {
  const std::string text = write_text("head.txt", "G00 X0 Y0\nM30\n");
  std::string pdf;
  ASSERT_EQ(print("--text " + shell_quoted(text) + " --page-numbers --name-line --header 'Shop copy'",
                  &pdf),
            0)
      << errors();
  const std::vector<PdfWord> words = read_pdf_words(pdf);
  auto find = [&](const std::string& word) -> const PdfWord* {
    for (const PdfWord& w : words) if (w.text == word) return &w;
    return nullptr;
  };
  const PdfWord* shop = find("Shop");
  const PdfWord* dated = find("dated:");
  const PdfWord* page = find("Page");
  const PdfWord* g00 = find("G00");
  ASSERT_TRUE(shop && dated && page && g00);
  // The page header, then the name line on a line of its own, then the text.
  EXPECT_LT(shop->y_max, dated->y_max);
  EXPECT_LT(dated->y_max, g00->y_max);
  EXPECT_NEAR(shop->x_min, 0, 1);
  // The page line is on the name line's row, ending near the right edge of the paper.
  EXPECT_NEAR(page->y_max, dated->y_max, 1);
  const PdfInfo info = read_pdf_info(pdf);
  double right = 0;
  for (const PdfWord& w : words) if (w.y_max == page->y_max) right = std::max(right, w.x_max);
  EXPECT_GT(right, info.width_pt * 0.9);
  EXPECT_LE(right, info.width_pt);
}

TEST_F(TextPrintTool, ALongNameLinePutsThePageLineOnItsOwnRow) {
  const std::string deep = (folder_ / std::string(150, 'd')).string();
  fs::create_directories(deep);
  const std::string text = write_text(std::string(150, 'd') + "/f.txt", "X\n");
  std::string pdf;
  ASSERT_EQ(print("--text " + shell_quoted(text) + " --page-numbers --name-line", &pdf), 0)
      << errors();
  const std::vector<PdfWord> words = read_pdf_words(pdf);
  const PdfWord* dated = nullptr;
  const PdfWord* page = nullptr;
  for (const PdfWord& w : words) {
    if (w.text == "dated:") dated = &w;
    if (w.text == "Page") page = &w;
  }
  ASSERT_TRUE(dated && page);
  EXPECT_GT(page->y_min, dated->y_max - 1);
}

TEST_F(TextPrintTool, NoWordOffThePaperAtAnyFontSize) {
  std::string long_line;
  for (int i = 0; i < 40; ++i) long_line += "word" + std::to_string(i) + " ";
  const std::string text = write_text("long.txt", long_line + "\n" + std::string(300, 'X') + "\n");
  for (const char* size : {"8", "12", "20"}) {
    SCOPED_TRACE(size);
    std::string pdf;
    ASSERT_EQ(print(std::string("--text ") + shell_quoted(text) + " --font-size " + size, &pdf), 0)
        << errors();
    const PdfInfo info = read_pdf_info(pdf);
    const std::vector<PdfWord> words = read_pdf_words(pdf);
    ASSERT_FALSE(words.empty());
    size_t xs = 0;
    for (const PdfWord& w : words) {
      EXPECT_LE(w.x_max, info.width_pt + 0.01) << w.text;
      EXPECT_GE(w.x_min, -0.01) << w.text;
      xs += std::count(w.text.begin(), w.text.end(), 'X');
    }
    EXPECT_EQ(xs, 300u);  // wrapped, nothing lost
  }
}

TEST_F(TextPrintTool, NoWrapCutsLongLines) {
  const std::string text = write_text("cut.txt", std::string(300, 'Y') + "\nnext\n");
  std::string pdf;
  ASSERT_EQ(print("--text " + shell_quoted(text) + " --no-wrap", &pdf), 0) << errors();
  const std::vector<std::string> lines = text_lines(read_pdf_pages(pdf).at(0));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], std::string(A4_COLUMNS, 'Y'));
  EXPECT_EQ(lines[1], "next");
}

TEST_F(TextPrintTool, MarginsAndTabsAsTheyPrint) {
  const std::string text = write_text("tabs.txt", "a\tb\nabcdefgh\tc\n");
  std::string pdf;
  ASSERT_EQ(print("--text " + shell_quoted(text) + " --tab 4 --left 3", &pdf), 0) << errors();
  // Each character in its cell of 24 pixels at 300 dpi: 5.76 points.
  constexpr double CELL_PT = 24 * 72.0 / 300;
  struct Want {
    const char* word;
    int column;
  } wants[] = {{"a", 3}, {"b", 3 + 4}, {"abcdefgh", 3}, {"c", 3 + 12}};
  const std::vector<PdfWord> words = read_pdf_words(pdf);
  for (const Want& want : wants) {
    SCOPED_TRACE(want.word);
    const PdfWord* found = nullptr;
    for (const PdfWord& w : words) if (w.text == want.word) found = &w;
    ASSERT_NE(found, nullptr);
    EXPECT_NEAR(found->x_min, want.column * CELL_PT, CELL_PT / 2);
  }
}

TEST_F(TextPrintTool, RefusalsSayWhy) {
  std::string pdf;
  EXPECT_EQ(print("--text " + shell_quoted((folder_ / "missing.txt").string()), &pdf), 3);
  EXPECT_NE(errors().find("no such file"), std::string::npos);
  EXPECT_FALSE(fs::exists(pdf));
  const std::string blank = write_text("blank.txt", "\n   \n\n");
  EXPECT_EQ(print("--text " + shell_quoted(blank), &pdf), 1);
  EXPECT_FALSE(fs::exists(pdf));
  EXPECT_EQ(print("--text " + shell_quoted(blank) + " --paper Foolscap", &pdf), 2);
  EXPECT_EQ(print("--text " + shell_quoted(blank) + " --to no-such-queue-here", &pdf), 3);
  EXPECT_NE(errors().find("Printer corrupt or not installed!"), std::string::npos);
  // A folder that does not exist: nothing is left behind.
  const std::string text = write_text("t.txt", "x\n");
  int status = -1;
  run_and_read(std::string(BRENVIK_PROGRAM_DIR) + "/brenvik-print --text " + shell_quoted(text) + " " +
                   shell_quoted((folder_ / "no" / "out.pdf").string()) + " 2>/dev/null",
               &status);
  EXPECT_EQ(status, 3);
}

// A write that fails half-way: the .tmp goes, no PDF is named, and the failure says why.
TEST(TextPrintFailure, AFailedWriteLeavesNothingAndSaysWhy) {
  const fs::path folder = make_test_folder("text_print_fail");
  reset_text_print();
  reset_printer_choice();
  g_interface = InterfaceSettings();
  g_printer.setup_chosen = true;
  g_printer.setup.file_path = (folder / "out.pdf").string();
  ASSERT_EQ(measure_printer(), 0);
  measure_text_printer(g_printer.caps, 12);
  compute_print_wrap_width();
  TextPrintDocument document;
  for (int i = 0; i < 300; ++i) document.lines.push_back({"Line " + std::to_string(i) + "\n"});
  g_files.write_count = 0;
  g_files.fail_write_number = 3;
  std::string error;
  EXPECT_EQ(print_text_job(document, nullptr, &error), TEXT_PRINT_FAILED);
  g_files.fail_write_number = 0;
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(fs::exists(folder / "out.pdf"));
  EXPECT_FALSE(fs::exists(folder / "out.pdf.tmp"));
  // And the same print without the fault is whole.
  EXPECT_EQ(print_text_job(document, nullptr, &error), TEXT_PRINT_DONE) << error;
  EXPECT_EQ(read_pdf_info((folder / "out.pdf").string()).pages, 5);
  fs::remove_all(folder);
}

// A private CUPS server for the tests: its own ServerRoot and spool in a temp folder, a socket
// there, and one raw queue whose backend copies each job into a folder.
class CupsQueue : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = make_test_folder("cups");
    for (const char* sub : {"root", "bin/backend", "spool", "cache", "state", "log", "out"})
      fs::create_directories(folder_ / sub);
    fs::permissions(folder_, fs::perms::all);
    for (const char* sub : {"spool", "out", "cache", "state", "log"})
      fs::permissions(folder_ / sub, fs::perms::all);
    const std::string d = folder_.string();
    socket_ = d + "/sock";
    write_file_bytes(d + "/root/cupsd.conf",
                     "Listen " + socket_ + "\nLogLevel warn\n<Location />\nOrder allow,deny\n"
                     "Allow all\n</Location>\n");
    write_file_bytes(d + "/root/cups-files.conf",
                     "User lp\nGroup lp\nServerRoot " + d + "/root\nServerBin " + d +
                         "/bin\nRequestRoot " + d + "/spool\nCacheDir " + d + "/cache\nStateDir " +
                         d + "/state\nTempDir " + d + "/spool\nDataDir /usr/share/cups\nErrorLog " +
                         d + "/log/error_log\nAccessLog " + d + "/log/access_log\nPageLog " + d +
                         "/log/page_log\n");
    const std::string backend = d + "/bin/backend/copy";
    write_file_bytes(backend,
                     "#!/bin/sh\n[ $# -eq 0 ] && { echo 'direct copy \"Unknown\" \"Copy\"'; exit 0; }\n"
                     "if [ -n \"$6\" ]; then cat \"$6\"; else cat; fi > " + d + "/out/job.pdf.part\n"
                     "mv " + d + "/out/job.pdf.part " + d + "/out/job.pdf\nexit 0\n");
    fs::permissions(backend, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                 fs::perms::others_read | fs::perms::others_exec);
    fs::create_symlink("/usr/lib/cups/filter", d + "/bin/filter");
    fs::create_symlink("/usr/lib/cups/daemon", d + "/bin/daemon");  // cups-exec runs backends
    int status = -1;
    run_and_read("cupsd -f -c " + d + "/root/cupsd.conf -s " + d + "/root/cups-files.conf >" + d +
                     "/log/out 2>&1 & echo $! > " + d + "/pid",
                 &status);
    pid_ = std::atoi(read_file_bytes(d + "/pid").c_str());
    for (int i = 0; i < 100 && !fs::exists(socket_); ++i) usleep(50000);
    if (!fs::exists(socket_)) {
      GTEST_SKIP() << "cupsd could not start here: " << read_file_bytes(d + "/log/out");
    }
    run_and_read("CUPS_SERVER=" + socket_ + " lpadmin -p testq -E -v copy:/job -m raw 2>&1", &status);
    ASSERT_EQ(status, 0);
  }
  void TearDown() override {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      for (int i = 0; i < 100 && kill(pid_, 0) == 0; ++i) usleep(20000);
    }
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }

  fs::path folder_;
  std::string socket_;
  int pid_ = 0;
};

TEST_F(CupsQueue, TheQueueGetsTheSamePdfAsTheFile) {
  const std::string text = (folder_ / "t.txt").string();
  write_file_bytes(text, "G00 X1 Y2\nM30\n");
  int status = -1;
  const std::string tool = std::string(BRENVIK_PROGRAM_DIR) + "/brenvik-print --text " + text;
  run_and_read("CUPS_SERVER=" + socket_ + " HOME=" + folder_.string() + " " + tool +
                   " --to testq 2>&1",
               &status);
  ASSERT_EQ(status, 0);
  const fs::path captured = folder_ / "out" / "job.pdf";
  for (int i = 0; i < 200 && !fs::exists(captured); ++i) usleep(50000);
  ASSERT_TRUE(fs::exists(captured)) << read_file_bytes((folder_ / "log" / "error_log").string());
  const std::string direct = (folder_ / "direct.pdf").string();
  run_and_read(tool + " " + direct, &status);
  ASSERT_EQ(status, 0);
  EXPECT_EQ(read_pdf_pages(captured.string()), read_pdf_pages(direct));
  EXPECT_EQ(read_pdf_info(captured.string()).pages, 1);
  // The queue is listed after the PDF file, and an unknown queue is refused with its reason.
  const std::string listed = run_and_read("CUPS_SERVER=" + socket_ + " lpstat -p 2>&1");
  EXPECT_NE(listed.find("testq"), std::string::npos);
}

}  // namespace
