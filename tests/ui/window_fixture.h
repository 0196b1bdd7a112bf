// A headless screen for text-window tests: the interface font, a 640 x 480 framebuffer in the
// band's faces, colour scheme 0, the main form taking injected events into the event queue, and
// nothing active. Windows are made over small lists of lines.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/headless.h"
#include "platform/headless/cell_reader.h"
#include "platform/pump.h"
#include "platform/window.h"
#include "screen/display_mode.h"
#include "screen/event_queue.h"
#include "screen/interface_settings.h"
#include "screen/main_form.h"
#include "screen/palette.h"
#include "screen/pointer.h"
#include "screen/screen_attributes.h"
#include "screen/text_output.h"
#include "store/line_list.h"
#include "ui/buffer_windows.h"
#include "ui/edit_buffers.h"
#include "ui/key_pushback.h"
#include "ui/run_window.h"
#include "ui/text_window.h"

class WindowTest : public ::testing::Test {
 protected:
  static constexpr int SCREEN_WIDTH = 640;
  static constexpr int SCREEN_HEIGHT = 480;

  static void SetUpTestSuite() {
    std::string error;
    ASSERT_TRUE(load_interface_font(BRENVIK_PROGRAM_DIR "/Q5_FONT.FON", &error)) << error;
  }

  void SetUp() override {
    reset_headless();
    std::string error;
    ASSERT_TRUE(window_open(SCREEN_WIDTH, SCREEN_HEIGHT, "test", &error)) << error;
    reset_pump();
    reset_event_queue();
    reset_main_form();
    reset_pointer();
    reset_display();
    apply_display_mode(DISPLAY_CHOICE_OWN_SIZE);
    reset_palette();
    build_palette();
    reset_screen_attributes();
    set_colour_base(0);
    reset_text_output();
    set_screen_canvas(window_surface());
    reset_window_layer();
    reset_list_store();
    reset_run_loop();
    reset_key_pushback();
    g_buffer_windows = BufferWindows();
    g_buffers = BufferRing();
    g_form.idle_state = 0;  // the program waits for input
    g_interface = InterfaceSettings();
    g_interface.extra_scroll = 0;
    create_main_form();
  }

  void TearDown() override {
    // Shown windows only: destroying one next to a hidden one would open a new buffer.
    for (TextLine* node : windows_) node->kind &= static_cast<uint8_t>(~LINE_KIND_HIDDEN);
    for (TextLine* node : windows_) destroy_window(node);
    destroy_main_form();
    reset_pump();
    reset_event_queue();
    reset_window_layer();
    reset_list_store();
  }

  // A window over a new list of the given lines, in the window list of `list_node`. The fixture
  // destroys it at the end unless the test does (through destroy).
  // The program has the focus and its own pointer at (x, y) with the system cursor under it, so
  // that injected clicks reach it and injected moves are motion from there; nothing is queued.
  static void take_focus_and_pointer(int x, int y) {
    install_main_window_proc();
    headless_inject_focus(true);
    g_pointer.released = false;
    g_pointer.wanted_x = g_pointer.drawn_x = x;
    g_pointer.wanted_y = g_pointer.drawn_y = y;
    warp_cursor_to_pointer();
    pump_messages();
    reset_event_queue();
  }

  TextLine* make_window(std::initializer_list<const char*> lines, int top, int left,
                               int bottom, int right, uint32_t flags = 0,
                               WindowKeyFilter filter = nullptr, TextLine* list_node = nullptr,
                               uint16_t options = 0, uint32_t list_options = 0) {
    push_list();
    clear_current_list();
    for (const char* text : lines) append_line(text);
    TextLine* node = create_window(list_node, {
        .top_row = top, .left_column = left, .bottom_row = bottom, .right_column = right,
        .flags = flags, .key_filter = filter, .line_drawer = draw_window_line, .options = options,
        .wrap_width = 250, .title = "", .list_options = list_options,
    });
    pop_list();
    if (node != nullptr) windows_.push_back(node);
    return node;
  }

  TextLine* destroy(TextLine* node) {
    windows_.erase(std::remove(windows_.begin(), windows_.end(), node), windows_.end());
    return destroy_window(node);
  }

  static TextLine* line_at(TextLine* node, int n) {
    TextLine* line = window_of(node)->first_line;
    for (int i = 0; i < n && line != nullptr; ++i) line = line->next;
    return line;
  }

  const Surface& screen() const { return *window_surface(); }
  const FontFace& face() const { return *interface_face(g_display.current.face_index); }
  std::string row_text(int row, int column, int count) const {
    return cell_row_text(screen(), face(), row, column, count);
  }
  static uint32_t slot_pixel(int slot) { return palette_pixel(g_attributes.scheme[slot]); }

  std::vector<TextLine*> windows_;
};
