// The colour palette dialog driven by keys: the value keys, their clamps and the increment, Tab
// through the four palettes, Ctrl+C and Ctrl+V between them, and what reaches the palette file.
#include <filesystem>
#include <string>
#include <vector>

#include "screen/palette.h"
#include "tests/support/idle_typist.h"
#include "tests/support/test_folder.h"
#include "tests/ui/form_fixture.h"
#include "ui/palette_dialog.h"

namespace {

class PaletteDialogTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    reset_palette_dialog();
    folder_ = make_test_folder("brenvik_palette");
    g_palette.file_path = (folder_ / PALETTE_FILE_NAME).string();
    g_palette.slot = 0;
    install_main_window_proc();
    headless_inject_focus(true);
    start_typist();
  }
  void TearDown() override {
    pump_set_idle_handler(nullptr);
    std::filesystem::remove_all(folder_);
    FormTest::TearDown();
  }

  static void set_entry(int n, ColourValue c) {
    g_palette.colour_table[static_cast<size_t>(n)] = c;
    g_palette.palette[static_cast<size_t>(n)] = c;
  }
  static ColourValue entry(int n) { return g_palette.colour_table[static_cast<size_t>(n)]; }
  // Entry n of slot k of the palette file; 0xFFFFFFFF when the file does not hold it.
  ColourValue file_entry(int slot, int n) const {
    const std::string bytes = read_file_bytes(g_palette.file_path);
    const size_t at = static_cast<size_t>(slot) * PALETTE_SLOT_SIZE + PALETTE_ATTRIBUTE_SIZE + 4 * n;
    if (bytes.size() < at + 4) return 0xFFFFFFFFu;
    ColourValue c = 0;
    for (int i = 0; i < 4; ++i) c |= static_cast<ColourValue>(static_cast<uint8_t>(bytes[at + i])) << (8 * i);
    return c;
  }
  static void keys(const std::string& typed) {
    for (char c : typed) typist_text(std::string(1, c));
  }

  std::filesystem::path folder_;
};

TEST_F(PaletteDialogTest, ValueKeysClampAndStopAtTheirEnds) {
  struct Case {
    const char* what;
    ColourValue start;
    std::string typed;
    ColourValue expected;
  };
  const Case cases[] = {
      {"7 on red 255 changes nothing", 0x0000FFu, "7", 0x0000FFu},
      {"with increment 4, 7 on red 253 gives 255", 0x0000FDu, "i7", 0x0000FFu},
      {"1 on red 0 changes nothing", 0x203000u, "1", 0x203000u},
      {"8 and 3 move green up and blue down", 0x102030u, "83", 0x0F2130u},
      {"Z makes black and + gives (1, 1, 1)", 0x405060u, "z+", 0x010101u},
      {"- clamps at 0", 0x000001u, "ii-", 0x000000u},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    reset_palette_dialog();
    set_entry(0, c.start);
    g_typist.steps.clear();
    keys(c.typed);
    typist_key(VK_ESCAPE);
    colour_dialog();
    EXPECT_EQ(entry(0), c.expected);
    EXPECT_EQ(g_palette.palette[0], c.expected) << "the live palette changes with the table";
  }
}

TEST_F(PaletteDialogTest, AChangeReachesAFileThatDidNotExist) {
  ASSERT_FALSE(std::filesystem::exists(g_palette.file_path));
  set_entry(0, 0x000000u);
  keys("7");
  typist_key(VK_ESCAPE);
  colour_dialog();
  EXPECT_EQ(file_entry(0, 0), 0x000001u);
}

TEST_F(PaletteDialogTest, TabGoesRoundTheFourPalettesSavingEach) {
  set_entry(0, 0x000010u);
  keys("7");  // palette 1, entry 0: red 0x11
  for (int i = 0; i < 4; ++i) typist_key(VK_TAB);
  typist_key(VK_ESCAPE);
  colour_dialog();
  EXPECT_EQ(g_palette.slot, 0) << "four switches come back to the first palette";
  EXPECT_EQ(file_entry(0, 0), 0x000011u) << "the palette left was saved";
  EXPECT_EQ(entry(0), 0x000011u) << "and read back when the round came back to it";
  for (int slot = 1; slot < 4; ++slot) EXPECT_NE(file_entry(slot, 0), 0xFFFFFFFFu) << slot;
}

TEST_F(PaletteDialogTest, CopyOnePaletteOverAnother) {
  // Palette 2 gets its own first colour, then is copied over palette 3.
  typist_key(VK_TAB);
  typist_text("z");
  for (int i = 0; i < 5; ++i) typist_text("9");
  typist_key('C', WINDOW_MOD_CTRL);
  typist_key(VK_TAB);
  typist_key('V', WINDOW_MOD_CTRL);
  typist_key(VK_ESCAPE);
  colour_dialog();
  EXPECT_EQ(g_palette.slot, 2);
  EXPECT_EQ(file_entry(1, 0), 0x050000u);
  EXPECT_EQ(file_entry(2, 0), 0x050000u) << "palette 3 is a copy of palette 2 in the file";
  EXPECT_EQ(entry(0), 0x050000u) << "and on screen";
}

TEST_F(PaletteDialogTest, PasteWithNothingCopiedSavesThePaletteAsItIs) {
  set_entry(3, 0x123456u);
  typist_key('V', WINDOW_MOD_CTRL);
  typist_key(VK_ESCAPE);
  colour_dialog();
  EXPECT_EQ(entry(3), 0x123456u) << "nothing in memory is lost";
  EXPECT_EQ(file_entry(0, 3), 0x123456u);
}

TEST_F(PaletteDialogTest, ABackgroundEntryShowsBehindItsLine) {
  set_entry(11, 0x00FF00u);  // scheme 1's background
  uint32_t behind = 0;
  g_typist.steps.push_back([&] {
    // Entry 11 stands on row 3 + 11; its right part is blank, in the entry's own colour.
    const int cw = g_display.current.cell_width;
    const int ch = g_display.current.cell_height;
    hide_pointer();
    behind = window_surface()->pixels[static_cast<size_t>((14 * ch + 2) * window_surface()->width +
                                                          54 * cw + 1)];
  });
  typist_key(VK_ESCAPE);
  colour_dialog();
  EXPECT_EQ(behind, palette_pixel(11));
  EXPECT_EQ(palette_pixel(11), 0x00FF00u) << "the framebuffer's 0xRRGGBB of the colour value";
}

}  // namespace
