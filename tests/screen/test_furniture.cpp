#include <cstring>

#include "screen/caret.h"
#include "screen_fixture.h"

namespace {

class FurnitureTest : public ScreenFixture {
 protected:
  void SetUp() override {
    ScreenFixture::SetUp();
    cells_ = g_display.presets[FACE_ROLE_MENU];
  }

  // A page table: a button, a region, a hidden region, a label, an entry field and the four
  // title-bar buttons.
  void make_table() {
    table_.clear();
    table_.push_back(make_control("Button", 10, 5, 10, 1, 6, 4, 0));
    table_.push_back(make_control("", 11, 8, 10, 1, 6, 0, CF_REGION));
    table_.push_back(make_control("", 12, 11, 10, 1, 6, 0, CF_REGION | CF_HIDDEN));
    table_.push_back(make_control("Label", 13, 14, 10, 1, 6, 0, CF_NO_BOX));
    table_.push_back(make_control("Entry", 14, 17, 10, 1, 6, 5, CF_ENTRY));
    append_title_buttons(&table_);
  }

  // The pointer to the middle of a control's box.
  static void point_at(const ScreenControl& c) {
    capture_at(c.x + c.hit_width / 2, c.y + c.hit_height / 2);
  }

  void lay_out_tabs() {
    layout_tabs(page_tab_table(), 2, 0, 0, g_display.screen_width, 3 * cells_.cell_height);
    g_tab_strip.active = PAGE_DRAWING;
  }

  CellMetrics cells_;
  std::vector<ScreenControl> table_;
};

// ---- Controls -----------------------------------------------------------------------------------

TEST_F(FurnitureTest, ControlsAreLaidOutFromTheirCells) {
  std::vector<ScreenControl> t = {make_control("a", 1, -1, 2, 1, 4, 0, 0),
                                  make_control("b", 2, 3, -1, 1, 4, 0, 0),
                                  make_control("X", 3, 0, -1, 1, 1, 0, 0),
                                  make_control("p", 4, 2, 3, 2, 3, 0, CF_PICTURE), end_control()};
  draw_controls(t.data(), 0);
  const int cw = cells_.cell_width;
  const int ch = cells_.cell_height;
  EXPECT_EQ(t[0].y, cells_.last_row * ch);  // row -1: the last row
  EXPECT_EQ(t[0].x, 2 * cw - cw / 2 - 1);
  EXPECT_EQ(t[0].hit_width, 5 * cw);
  EXPECT_EQ(t[1].x, (cells_.last_column - 1) * cw - cw / 2 - 1);
  EXPECT_EQ(t[2].y, 1);  // the caption strip
  EXPECT_EQ(t[2].hit_height, ch - ch / 4);
  EXPECT_EQ(t[3].hit_width, 3 * 16);
  EXPECT_EQ(t[3].hit_height, 2 * 16);
  EXPECT_EQ(g_controls.active, t.data());
}

TEST_F(FurnitureTest, TheHitTestFindsWhatThePointerIsOver) {
  make_table();
  draw_controls(table_.data(), 0);
  lay_out_tabs();
  const int tab_y = g_tab_strip.base_line - 2;
  struct Case {
    const char* what;
    int x, y;
    int result;
  };
  const PageTab& drawing = g_tab_strip.tabs[PAGE_DRAWING];
  const PageTab& nc = g_tab_strip.tabs[PAGE_NC_PROGRAM];
  const PageTab& last = g_tab_strip.tabs.back();
  auto centre = [](const ScreenControl& c) {
    return std::pair<int, int>{c.x + c.hit_width / 2, c.y + c.hit_height / 2};
  };
  const Case cases[] = {
      {"button", centre(table_[0]).first, centre(table_[0]).second, 10},
      {"region", centre(table_[1]).first, centre(table_[1]).second, 11},
      {"hidden region", centre(table_[2]).first, centre(table_[2]).second, HIT_NOTHING},
      {"label", centre(table_[3]).first, centre(table_[3]).second, HIT_NOTHING},
      {"minimise", centre(table_[5]).first, centre(table_[5]).second, CONTROL_ID_MINIMISE},
      {"size", centre(table_[6]).first, centre(table_[6]).second, CONTROL_ID_SIZE},
      {"close", centre(table_[7]).first, centre(table_[7]).second, CONTROL_ID_CLOSE},
      {"position", centre(table_[8]).first, centre(table_[8]).second, CONTROL_ID_POSITION},
      {"current tab", drawing.x + 4, tab_y, PAGE_DRAWING | HIT_PAGE_TAB},
      {"other tab", nc.x + 4, tab_y, PAGE_NC_PROGRAM | HIT_PAGE_TAB},
      {"title band", last.x + last.width + 60, tab_y, HIT_TITLE_BAND},
      {"drawing area", 400, 500, HIT_NOTHING},
  };
  for (const Case& c : cases) {
    clear_hover();
    capture_at(c.x, c.y);
    EXPECT_EQ(hit_test_pointer(false), c.result) << c.what;
  }
  capture_at(last.x + last.width + 60, tab_y);
  hit_test_pointer(false);
  EXPECT_EQ(g_pointer.shape, POINTER_TITLE_BAND);
}

TEST_F(FurnitureTest, ClicksOnTabsAndTitleButtons) {
  make_table();
  draw_controls(table_.data(), 0);
  lay_out_tabs();
  const int tab_y = g_tab_strip.base_line - 2;
  capture_at(g_tab_strip.tabs[PAGE_DRAWING].x + 4, tab_y);
  EXPECT_EQ(hit_test_pointer(true), HIT_NOTHING);  // the current page's tab
  capture_at(g_tab_strip.tabs[PAGE_JOB_SETUP].x + 4, tab_y);
  EXPECT_EQ(hit_test_pointer(true), PAGE_JOB_SETUP | HIT_PAGE_TAB);
  point_at(table_[7]);
  EXPECT_EQ(hit_test_pointer(true), HIT_NOTHING);
  EXPECT_TRUE(g_events.quit_requested);
  EXPECT_EQ(drain(), std::vector<int>{EVENT_QUIT});
  point_at(table_[5]);
  EXPECT_EQ(hit_test_pointer(true), HIT_NOTHING);
  EXPECT_TRUE(g_form.minimise_pending);
}

TEST_F(FurnitureTest, ARegionIsNeverDrawn) {
  fill_varied();
  const std::vector<uint32_t> before = pixels();
  std::vector<ScreenControl> t = {make_control("", 1, 5, 5, 2, 8, 0, CF_REGION),
                                  make_control("", 2, 9, 5, 2, 8, 0, CF_REGION | CF_HIDDEN),
                                  end_control()};
  draw_controls(t.data(), 0);
  EXPECT_EQ(pixels(), before);
}

TEST_F(FurnitureTest, ATwoLineCaptionReadsBack) {
  std::vector<ScreenControl> t = {make_control("Copy to\nfloppy", 1, 4, 4, 2, 8, 0, CF_NO_BOX),
                                  end_control()};
  draw_controls(t.data(), 0);
  const int y = t[0].y + (cells_.cell_height <= 14 ? 1 : 0);
  const int tx = 4 * cells_.cell_width - 1;  // every line from the text x less one
  EXPECT_EQ(text_at(tx, y, FACE_ROLE_MENU, 7), "Copy to");
  EXPECT_EQ(text_at(tx, y + cells_.cell_height, FACE_ROLE_MENU, 6), "floppy");
}

TEST_F(FurnitureTest, SelectingTheSelectedRadioDrawsNothing) {
  std::vector<ScreenControl> t = {make_control("One", 1, 4, 4, 1, 6, 0, CF_RADIO | CF_CHECKED),
                                  make_control("Two", 2, 5, 4, 1, 6, 0, CF_RADIO), end_control()};
  draw_controls(t.data(), 0);
  const std::vector<uint32_t> before = pixels();
  select_radio(t.data(), 0, 2);
  EXPECT_EQ(pixels(), before);
  select_radio(t.data(), 1, 2);
  EXPECT_NE(pixels(), before);
  EXPECT_FALSE(t[0].flags & CF_CHECKED);
  EXPECT_TRUE(t[1].flags & CF_CHECKED);
}

TEST_F(FurnitureTest, TheTableAndHitStacksGrowPastSixty) {
  std::vector<std::vector<ScreenControl>> tables(61, std::vector<ScreenControl>{end_control()});
  for (auto& t : tables) {
    draw_controls(t.data(), 0);
    g_controls.hit_test_off = (&t - tables.data()) % 2 == 1;
    push_control_table();
    push_hit_state();
  }
  for (int i = 60; i >= 0; --i) {
    pop_control_table();
    pop_hit_state();
    EXPECT_EQ(g_controls.active, tables[i].data()) << i;
    EXPECT_EQ(g_controls.hit_test_off, i % 2 == 1) << i;
  }
  pop_control_table();  // an empty stack changes nothing
  EXPECT_EQ(g_controls.active, tables[0].data());
}

// ---- Hover and hints ----------------------------------------------------------------------------

struct BlinkRecord {
  std::vector<int> toggles;  // ticks at which the highlight changed
  int hint_tick = -1;        // tick at which the hint box came
};

BlinkRecord run_ticks(int ticks) {
  BlinkRecord record;
  bool shown = g_control_hover.highlight_shown;
  for (int t = 1; t <= ticks; ++t) {
    timer_tick();
    if (g_control_hover.highlight_shown != shown) {
      record.toggles.push_back(t);
      shown = g_control_hover.highlight_shown;
    }
    if (record.hint_tick < 0 && g_hint_box.number != 0) record.hint_tick = t;
  }
  return record;
}

TEST_F(FurnitureTest, HoverBlinksAndShowsTheHintByTheControlsFlags) {
  struct Case {
    const char* what;
    uint32_t flags;
    std::vector<int> toggles;  // over 30 ticks; tick 0 is the hover itself
    int hint_tick;
    bool shown_at_once;
  };
  const Case cases[] = {
      {"plain", 0, {10, 19, 21, 30}, 21, true},
      {"no hover highlight: still counts down to its hint", CF_NO_HOVER, {}, 28, false},
      {"entry: flashes once", CF_ENTRY, {10}, 28, true},
      {"still: first shown at the first blink", CF_HOVER_STILL, {10, 12, 21, 23}, 21, false},
  };
  for (const Case& c : cases) {
    clear_hover();
    reset_hint_box();
    std::vector<ScreenControl> t = {make_control("Hover me", 7, 6, 10, 1, 8, 13, c.flags),
                                    end_control()};
    draw_controls(t.data(), 0);
    point_at(t[0]);
    EXPECT_EQ(hit_test_pointer(false), 7) << c.what;
    EXPECT_EQ(g_control_hover.highlight_shown, c.shown_at_once) << c.what;
    const BlinkRecord record = run_ticks(30);
    EXPECT_EQ(record.toggles, c.toggles) << c.what;
    EXPECT_EQ(record.hint_tick, c.hint_tick) << c.what;
    drain();
    clear_hover();  // the hover points into this case's table, which ends here
  }
}

TEST_F(FurnitureTest, TheHoverHighlightIsAnXorThatTwiceRestores) {
  fill_varied();
  const std::vector<uint32_t> before = pixels();
  for (uint32_t flags : {0u, CF_HOVER_FRAME}) {
    std::vector<ScreenControl> t = {make_control("", 7, 6, 10, 1, 8, 0, flags | CF_REGION),
                                    end_control()};
    draw_controls(t.data(), 0);
    point_at(t[0]);
    hide_pointer();
    g_pointer.shape = POINTER_NONE;
    hit_test_pointer(false);
    EXPECT_NE(pixels(), before);
    blink_hover_highlight();
    EXPECT_EQ(pixels(), before);
    clear_hover();
    g_pointer.shape = POINTER_ARROW;
  }
}

TEST_F(FurnitureTest, NoHintForHintZeroOrWithHintsOff) {
  std::vector<ScreenControl> t = {make_control("A", 7, 6, 10, 1, 8, 0, 0),
                                  make_control("B", 8, 9, 10, 1, 8, 2, 0), end_control()};
  draw_controls(t.data(), 0);
  point_at(t[0]);
  hit_test_pointer(false);
  EXPECT_EQ(show_hint(), 0);
  point_at(t[1]);
  hit_test_pointer(false);
  g_interface.hint_box = 1;
  EXPECT_EQ(show_hint(), 0);
  g_interface.hint_box = 0;
  EXPECT_EQ(show_hint(), 2);
  EXPECT_EQ(show_hint(), 2);  // shown once
}

TEST_F(FurnitureTest, TheHintBoxStaysOnTheScreenAndReadsInTheTinyFace) {
  fill_varied();
  const std::vector<uint32_t> before = pixels();
  std::vector<ScreenControl> t = {make_control("^", 252, 0, -1, 1, 1, 1, 0), end_control()};
  layout_control(&t[0]);
  g_controls.active = t.data();
  point_at(t[0]);
  hide_pointer();
  g_pointer.shape = POINTER_NONE;
  hit_test_pointer(false);
  if (g_control_hover.highlight_shown) blink_hover_highlight();
  ASSERT_EQ(show_hint(), 1);
  EXPECT_LE(g_hint_box.x + g_hint_box.width, g_display.screen_width);
  EXPECT_EQ(pixel(g_hint_box.x + 1, g_hint_box.y + 1), 0xFFFFE6u);
  const CellMetrics& tiny = g_display.presets[FACE_ROLE_TINY];
  EXPECT_EQ(text_at(g_hint_box.x + tiny.cell_width, g_hint_box.y + 2, FACE_ROLE_TINY, 14),
            "Shift position");
  clear_hover();
  EXPECT_EQ(g_hint_box.number, 0);
  EXPECT_EQ(pixels(), before);
}

TEST_F(FurnitureTest, HintTextsStandAsWritten) {
  EXPECT_STREQ(hint_text(0), "");
  EXPECT_STREQ(hint_text(9), "");
  EXPECT_STREQ(hint_text(198), "");
  EXPECT_STREQ(hint_text(199), "");
  EXPECT_STREQ(hint_text(-1), "");
  EXPECT_STREQ(hint_text(1),
               "Shift position of this program to/from upper left corner/center of screen");
  EXPECT_STREQ(hint_text(13), "View looking down on part to shows X & Y movements");
  EXPECT_STREQ(hint_text(197), "Click this if you only want to change the Y value of the anchor point");
}

TEST_F(FurnitureTest, ATabUnderThePointerBlinksItsHighlight) {
  lay_out_tabs();
  draw_page_tabs(1);
  const std::vector<uint32_t> before = pixels();
  g_pointer.shape = POINTER_NONE;
  capture_at(g_tab_strip.tabs[PAGE_UTILITIES].x + 4, g_tab_strip.base_line - 2);
  hit_test_pointer(false);
  EXPECT_TRUE(g_control_hover.tab_highlight_shown);
  EXPECT_NE(pixels(), before);
  run_ticks(1);
  EXPECT_FALSE(g_control_hover.tab_highlight_shown);
  hide_pointer();
  EXPECT_EQ(pixels(), before);
  drain();
}

// ---- Boxes and tabs -----------------------------------------------------------------------------

TEST_F(FurnitureTest, AnInvertedBoxTwiceIsTheScreenAgain) {
  fill_varied();
  const std::vector<uint32_t> before = pixels();
  draw_box(BOX_INVERT, 3, 4, 2, 10, 0);
  EXPECT_NE(pixels(), before);
  draw_box(BOX_INVERT, 3, 4, 2, 10, 0);
  EXPECT_EQ(pixels(), before);
}

TEST_F(FurnitureTest, BoxEdges) {
  fill_rect(0, 0, 800, 600, 0x102030);
  draw_box(BOX_RAISED, -100, 100, 20, 60, 0);
  EXPECT_EQ(pixel(100, 120), RGB_GREY);   // bottom edge
  EXPECT_EQ(pixel(160, 110), RGB_GREY);   // right edge
  EXPECT_EQ(pixel(101, 110), RGB_WHITE);  // left edge, one in
  EXPECT_EQ(pixel(130, 101), RGB_WHITE);  // top edge, one in
  EXPECT_EQ(pixel(130, 110), RGB_FACE);
  draw_box(BOX_SUNKEN, -200, 100, 20, 60, 0);
  const int shift = g_display.current.cell_height > 16 ? 1 : 0;
  EXPECT_EQ(pixel(130, 220 + shift), RGB_WHITE);  // bottom edge
  EXPECT_EQ(pixel(100, 210), RGB_GREY);           // left edge
}

TEST_F(FurnitureTest, LevelBarFills) {
  const int ch = g_display.current.cell_height;
  const int cw = g_display.current.cell_width;
  struct Case {
    int value, maximum;
    int filled_rows_pixels;  // expected filled pixel rows of 10 rows
  };
  const Case cases[] = {{0, 100, 0}, {100, 100, 10 * ch}, {50, 100, 5 * ch}, {1, 1000, 1},
                        {200, 100, 10 * ch}, {5, 0, 0}, {5, -3, 0}};
  const uint32_t fill = palette_pixel(g_attributes.scheme[COLOUR_SLOT_HIGHLIGHT]);
  for (const Case& c : cases) {
    fill_rect(0, 0, 800, 600, 0x010203);
    draw_progress_bar(20, 5, 10, c.value, c.maximum, 1);
    int filled = 0;
    for (int y = 20 * ch - 1; y >= 10 * ch; --y) {
      if (pixel(5 * cw + cw / 2, y) == fill) ++filled;
    }
    EXPECT_EQ(filled, c.filled_rows_pixels) << c.value << "/" << c.maximum;
  }
}

TEST_F(FurnitureTest, AnAnimatedLevelBarLeavesTheKeyThatEndsItQueued) {
  push_input_code(EVENT_TICK);
  push_input_code('q');
  draw_progress_bar(20, 5, 10, 100, 100, 0);
  EXPECT_EQ(drain(), std::vector<int>{'q'});
}

TEST_F(FurnitureTest, InactiveTabsArePaletteColour169) {
  lay_out_tabs();
  draw_page_tabs(1);
  const PageTab& tab = g_tab_strip.tabs[PAGE_JOB_SETUP];
  // Inside the trapezoid, left of the text.
  EXPECT_EQ(pixel(tab.x - 2, tab.y - 3), palette_pixel(169));
  const PageTab& active = g_tab_strip.tabs[PAGE_DRAWING];
  EXPECT_NE(pixel(active.x - 2, active.y - 3), palette_pixel(169));
}

TEST_F(FurnitureTest, TheCaptionIsCutAndReadBackInTheTinyFace) {
  lay_out_tabs();
  draw_caption(std::string(200, 'c').c_str(), 1);
  EXPECT_EQ(g_tab_strip.caption.size(), static_cast<size_t>(CAPTION_TEXT_MAX));
  draw_caption("Brenvik 2000    New job", 1);
  const CellMetrics& tiny = g_display.presets[FACE_ROLE_TINY];
  const FontFace& face = *interface_face(tiny.face_index);
  const CellRead read = read_cell_at_pixel(screen(), face, 5 * tiny.cell_width, 0);
  EXPECT_TRUE(read.matched);
  EXPECT_EQ(read.glyph, 'B');
  EXPECT_EQ(pixel(4 * tiny.cell_width + 1, tiny.cell_height), CAPTION_ACTIVE);
}

TEST_F(FurnitureTest, ThePickMarkerBlinksEveryFiveTicksAndTwiceRestores) {
  fill_varied();
  const std::vector<uint32_t> before = pixels();
  reset_pick_marker();
  g_pick_marker = PickMarker{true, 200, 100, 30, 12, false};
  capture_at(210, 105);  // the pointer over the marker is kept out of its pixels
  hide_pointer();
  g_pointer.shape = 1;
  g_clock.counter_b = -1;
  blink_pick_marker();  // the period has not ended
  EXPECT_EQ(pixels(), before);
  g_clock.counter_b = 0;
  blink_pick_marker();
  EXPECT_TRUE(g_pick_marker.shown);
  EXPECT_EQ(g_clock.counter_b, -PICK_MARKER_PERIOD_TICKS);
  hide_pointer();
  EXPECT_NE(pixel(220, 110), before[110 * 800 + 220]);
  EXPECT_EQ(pixel(199, 110), before[110 * 800 + 199]);
  g_clock.counter_b = 0;
  blink_pick_marker();
  hide_pointer();
  EXPECT_FALSE(g_pick_marker.shown);
  EXPECT_EQ(pixels(), before);
  // Not picking: nothing blinks.
  g_pick_marker.picking = false;
  g_clock.counter_b = 0;
  blink_pick_marker();
  EXPECT_EQ(pixels(), before);
  reset_pick_marker();
}

TEST_F(FurnitureTest, AnXorPolylineDrawnTwiceLeavesEveryPixelAndCoversItsEnds) {
  fill_varied();
  const std::vector<uint32_t> before = pixels();
  const CanvasPoint open[] = {{100, 100}, {200, 100}, {200, 150}, {150, 180}};
  const CanvasPoint closed[] = {{300, 300}, {340, 300}, {320, 340}, {300, 300}};
  for (std::span<const CanvasPoint> line : {std::span<const CanvasPoint>(open),
                                            std::span<const CanvasPoint>(closed)}) {
    xor_polyline(line);
    EXPECT_NE(pixel(line.front().x, line.front().y), before[line.front().y * 800 + line.front().x]);
    EXPECT_NE(pixel(line.back().x, line.back().y), before[line.back().y * 800 + line.back().x]);
    xor_polyline(line);
    EXPECT_EQ(pixels(), before);
  }
}

TEST_F(FurnitureTest, ShadingDarkensThroughTheLightPatternUnlessSwitchedOff) {
  fill_rect(0, 0, 800, 600, 0xC0C0C0);
  g_interface.shading_option = 1;
  shade_rect(100, 100, 140, 120);
  EXPECT_EQ(pixel(110, 110), 0xC0C0C0u);
  g_interface.shading_option = 0;
  shade_rect(100, 100, 140, 120);
  int dark = 0;
  for (int y = 100; y < 120; ++y)
    for (int x = 100; x < 140; ++x) dark += pixel(x, y) == 0;
  EXPECT_GT(dark, 0);
  EXPECT_LT(dark, 40 * 20);
  EXPECT_EQ(pixel(140, 110), 0xC0C0C0u);  // right and bottom are outside
  EXPECT_EQ(pixel(110, 120), 0xC0C0C0u);
}

TEST_F(FurnitureTest, AColourLineIsDrawnInItsPaletteColour) {
  fill_rect(0, 0, 800, 600, 0x000000);
  draw_colour_line(10, 50, 60, 50, 167);
  EXPECT_EQ(pixel(10, 50), palette_pixel(167));
  EXPECT_EQ(pixel(59, 50), palette_pixel(167));
  EXPECT_EQ(pixel(10, 51), 0u);
}

TEST_F(FurnitureTest, ControlsAreDrawnWithoutTheWindowsVisibleSpaces) {
  std::vector<ScreenControl> table = {make_control("A B C", 10, 5, 10, 1, 6, 4, CF_NO_BOX)};
  table.push_back(ScreenControl{});
  table.back().flags = CF_END;
  fill_rect(0, 0, 800, 600, 0x000000);
  draw_controls(table.data(), 0);
  const std::vector<uint32_t> plain = pixels();
  fill_rect(0, 0, 800, 600, 0x000000);
  area_flags_ = TEXT_AREA_SHOW_SPACES;
  draw_controls(table.data(), 0);
  EXPECT_EQ(pixels(), plain);
  EXPECT_EQ(area_flags_, TEXT_AREA_SHOW_SPACES);  // the window gets its bit back
  reset_controls();
}

}  // namespace

// The check boxes are pictures of the picture file, in the size of the display band: a grey
// ring round white, and a black tick when checked.
TEST_F(FurnitureTest, CheckBoxesTakeTheSizeOfTheBand) {
  const struct {
    int band, size;
  } cases[] = {{1, 13}, {2, 16}, {3, 16}, {4, 20}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.band);
    g_display.band = c.band;
    fill_rect(0, 0, 300, 300, 0x123456);
    draw_check_box(false, 100, 100);
    EXPECT_EQ(pixel(100, 100), 0x808080u);
    EXPECT_EQ(pixel(100 + c.size - 1, 100 + c.size - 1), 0x808080u);
    EXPECT_EQ(pixel(100 + c.size, 100), 0x123456u);
    EXPECT_EQ(pixel(100 + c.size / 2, 100 + c.size / 2), 0xFFFFFFu);
    draw_check_box(true, 100, 100);
    // The tick's corner.
    EXPECT_EQ(pixel(100 + c.size / 2 - 1, 100 + c.size - 4), 0x000000u);
  }
}
