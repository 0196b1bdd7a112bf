// The page loop: one page at a time by the page byte until a page sets the quit bit.
#include <cstdio>
#include <string>

#include "cam/make_nc.h"
#include "commands/text_list_view.h"
#include "editor/editor_page.h"
#include "pages/job_setup_page.h"
#include "pages/nc_page.h"
#include "pages/text_list_page.h"
#include "pages/utilities_page.h"
#include "platform/window.h"
#include "records/job_settings.h"
#include "records/preferences.h"
#include "screen/boxes.h"
#include "screen/display_mode.h"
#include "screen/event_queue.h"
#include "screen/pointer.h"
#include "shell/startup.h"
#include "store/catalogue.h"
#include "store/message_ids.h"
#include "ui/dialog_form.h"
#include "ui/edit_buffers.h"
#include "ui/list_window.h"
#include "ui/placeholder_page.h"
#include "ui/message_box.h"
#include "ui/popups.h"
#include "ui/run_window.h"
#include "ui/text_window.h"

namespace {

// The start-up notices are for screens that could show more than this.
constexpr int NOTICE_MIN_SCREEN_WIDTH = 700;
constexpr int NOTICE_TALL_SCREEN_HEIGHT = 760;
constexpr int FEW_COLOURS_DEPTH = 8;

// The NC-run state byte and the make-NC result bits the loop acts on.
constexpr uint8_t NC_STATE_NO_GENERATION = NC_STATE_PROGRAM_READY | NC_STATE_PAGE_LOOP;
constexpr uint8_t MAKE_NC_LEAVE = MAKE_NC_BACK_TO_DRAWING | MAKE_NC_FAILED;
constexpr uint8_t NC_OUTPUT_ENGRAVER = 1;

uint8_t& page_byte() { return g_preferences.current_page; }

// The page the loop starts on: a fixed start page when one is chosen (choices 2-6 give pages 0,
// 1, 2, 4, 5), else the page open at the last exit; never the 3-D view. A byte that names no
// page (a damaged or foreign preferences file) starts on the Drawing page rather than ending the
// program before it showed anything.
void choose_start_page() {
  const int choice = g_preferences.start_page_choice;
  if (choice != 0) {
    int page = choice - 2;
    if (page >= PAGE_3D_VIEW) ++page;
    page_byte() = static_cast<uint8_t>(page);
  }
  page_byte() &= 7;
  if (page_byte() == PAGE_3D_VIEW || page_byte() > PAGE_LAST) page_byte() = PAGE_DRAWING;
}

void show_startup_notice() {
  const Surface* screen = window_surface();
  if (screen->width < NOTICE_MIN_SCREEN_WIDTH) return;
  if (g_display.fell_back) {
    get_message(screen->height > NOTICE_TALL_SCREEN_HEIGHT ? MSG_SMALL_WINDOW_NOTICE
                                                           : MSG_SMALL_FACES_NOTICE);
  } else if (g_startup.colour_depth <= FEW_COLOURS_DEPTH) {
    get_message(MSG_FEW_COLOURS_NOTICE);
  }
}

// Runs a page's window: its key filter and line drawer are the page's, and run_window is not to
// draw the window's frame (the page draws its own screen).
void run_page(TextLine* node, WindowKeyFilter key_filter, WindowLineDrawer line_drawer) {
  TextWindow* window = window_of(node);
  if (window == nullptr) return;
  window->key_filter = key_filter;
  window->line_drawer = line_drawer;
  g_run.last_framed_window = node;
  g_windows.full_redraw_count = 0;
  run_window(node);
}

void run_3d_view() {
  run_page(g_startup.drawing_window, job_proof_page, no_line_hook);
  const uint8_t state = g_job_settings.nc_state;
  if (state != NC_STATE_PROOF_READY)
    page_byte() = state == NC_STATE_BACK_TO_SETUP ? PAGE_JOB_SETUP : PAGE_DRAWING;
}

// The NC program page: makes the NC program unless it is ready, then runs the first editing
// buffer, which holds it. False when the loop is to go on with another page at once.
bool make_nc_program_if_due() {
  if (g_nc_page.last_nc_output_kind == NC_OUTPUT_ENGRAVER) g_job_settings.nc_state = 0;
  if ((g_job_settings.nc_state & NC_STATE_NO_GENERATION) != 0) return true;
  if ((g_job_settings.nc_state & NC_STATE_PROOF_READY) == 0) clear_tool_path();
  make_nc_program();
  g_nc_page.run_ended = true;
  if ((g_make_nc.result_flags & MAKE_NC_LEAVE) != 0) {
    page_byte() = PAGE_DRAWING;
    return false;
  }
  if (g_job_settings.nc_state == NC_STATE_BACK_TO_SETUP) {
    page_byte() = PAGE_JOB_SETUP;
    return false;
  }
  return true;
}

void run_nc_program_page() {
  if (!make_nc_program_if_due()) return;
  TextLine* buffer = g_buffers.buffer_list;
  if (buffer == nullptr) {
    page_byte() = PAGE_DRAWING;  // no buffer could be made: nothing to show the program in
    return;
  }
  g_buffers.buffer_to_activate = buffer;
  push_active_window();
  run_page(buffer, nc_page_hook, window_of(buffer)->line_drawer);
  pop_active_window();
  g_buffers.buffer_to_activate = nullptr;
  g_job_settings.text_items_ready = 0;
  if (g_job_settings.nc_state == NC_STATE_BACK_TO_SETUP) page_byte() = PAGE_JOB_SETUP;
}

void run_utilities_page() {
  ++g_page_requests.redraw;
  show_memory_status();
  run_page(g_startup.drawing_window, utilities_page_loop, no_line_hook);
  close_top_popup();
}

}  // namespace

int page_loop() {
  flush_input();
  choose_start_page();
  set_window_title();
  show_startup_notice();
  for (;;) {
    forget_list_position();
    g_pointer.button_bits = 0;
    if (page_byte() <= PAGE_LAST) g_tab_strip.active = page_byte();
    switch (page_byte()) {
      case PAGE_JOB_SETUP:
        job_setup_page();
        break;
      case PAGE_ENGRAVING_LIST:
        enter_text_list_view();
        run_page(g_startup.drawing_window, text_list_key, text_list_line);
        leave_text_list_view();
        break;
      case PAGE_DRAWING:
        run_page(g_startup.drawing_window, editor_page_entry, no_line_hook);
        break;
      case PAGE_3D_VIEW:
        run_3d_view();
        break;
      case PAGE_NC_PROGRAM:
        run_nc_program_page();
        break;
      case PAGE_UTILITIES:
        run_utilities_page();
        break;
      default:
        return 0;
    }
  }
}
