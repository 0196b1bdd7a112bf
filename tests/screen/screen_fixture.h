// A headless screen in the band's faces with the palette built, for tests that read pixels and
// cells of the screen furniture.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/headless.h"
#include "platform/headless/cell_reader.h"
#include "platform/pump.h"
#include "platform/window.h"
#include "screen/boxes.h"
#include "screen/controls.h"
#include "screen/display_mode.h"
#include "screen/event_queue.h"
#include "screen/hint_box.h"
#include "screen/hover.h"
#include "screen/interface_settings.h"
#include "screen/main_form.h"
#include "screen/palette.h"
#include "screen/picture_file.h"
#include "screen/pointer.h"
#include "screen/screen_attributes.h"
#include "screen/text_output.h"
#include "screen/tick_clock.h"
#include "screen/timer.h"

class ScreenFixture : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string error;
    ASSERT_TRUE(load_interface_font(BRENVIK_PROGRAM_DIR "/Q5_FONT.FON", &error)) << error;
    // The pointer's and the check boxes' pictures.
    ASSERT_TRUE(open_picture_file(BRENVIK_PROGRAM_DIR "/KR_IMAGE.KR5"));
  }

  void SetUp() override { open_screen(800, 600); }

  void TearDown() override {
    destroy_main_form();
    reset_pump();
    reset_event_queue();
  }

  void open_screen(int width, int height) {
    reset_headless();
    std::string error;
    ASSERT_TRUE(window_open(width, height, "test", &error));
    reset_pump();
    reset_event_queue();
    reset_tick_clock();
    reset_timer();
    reset_main_form();
    reset_display();
    apply_display_mode(99);
    reset_palette();
    build_palette();
    reset_screen_attributes();
    set_colour_base(0);
    reset_pointer();
    reset_text_output();
    set_screen_canvas(window_surface());
    // Text is drawn only in an active window's area: one that shows nothing special.
    area_flags_ = 0;
    list_options_ = 0;
    g_text.area = TextArea{&area_flags_, &list_options_};
    reset_controls();
    reset_control_hover();
    reset_hint_box();
    reset_tab_strip();
    g_interface = InterfaceSettings();
    g_form.idle_state = 0;
    create_main_form();
    install_main_window_proc();
    g_form.active = true;
    g_form.caption_hidden_count = 0;
  }

  uint32_t area_flags_ = 0;
  uint32_t list_options_ = 0;

  static const Surface& screen() { return *window_surface(); }
  static std::vector<uint32_t> pixels() { return window_surface()->pixels; }
  static uint32_t pixel(int x, int y) {
    return window_surface()->pixels[static_cast<size_t>(y) * window_surface()->width + x];
  }

  // Fills the screen with a pattern in which neighbouring pixels differ.
  static void fill_varied() {
    Surface* s = window_surface();
    for (int y = 0; y < s->height; ++y)
      for (int x = 0; x < s->width; ++x)
        s->pixels[static_cast<size_t>(y) * s->width + x] =
            static_cast<uint32_t>((x * 7 + y * 13) & 0xFF) << 8 | static_cast<uint32_t>(x & 0xFF);
  }

  // The glyphs of count cells of a face starting at a pixel.
  static std::string text_at(int x, int y, FaceRole role, int count) {
    const FontFace& face = *interface_face(g_display.presets[role].face_index);
    std::string text;
    for (int i = 0; i < count; ++i) {
      const CellRead read = read_cell_at_pixel(screen(), face, x + i * face.cell_width, y);
      text.push_back(read.matched ? static_cast<char>(read.glyph) : CELL_UNREADABLE);
    }
    return text;
  }

  // The pointer is the program's, drawn at (x, y), with the system cursor under it.
  static void capture_at(int x, int y) {
    g_pointer.released = false;
    g_pointer.wanted_x = g_pointer.drawn_x = x;
    g_pointer.wanted_y = g_pointer.drawn_y = y;
    warp_cursor_to_pointer();
    pump_messages();
    while (pending_input_count() > 0) poll_input_code(0);
  }

  static std::vector<int> drain() {
    std::vector<int> codes;
    while (pending_input_count() > 0) codes.push_back(poll_input_code(0));
    return codes;
  }
};
