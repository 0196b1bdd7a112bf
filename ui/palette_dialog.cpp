#include "ui/palette_dialog.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "screen/boxes.h"
#include "screen/caret.h"
#include "screen/display_mode.h"
#include "screen/main_form.h"
#include "screen/palette.h"
#include "screen/pointer.h"
#include "screen/screen_attributes.h"
#include "screen/text_output.h"
#include "store/catalogue.h"
#include "store/message_ids.h"
#include "ui/dialog_form.h"
#include "ui/find_replace.h"
#include "ui/list_window.h"
#include "ui/message_box.h"
#include "ui/pointer_motion.h"
#include "ui/popups.h"
#include "ui/run_window.h"
#include "ui/text_window.h"
#include "ui/window_frames.h"

PaletteDialog g_palette_dialog;

namespace {

constexpr uint8_t CHANGED = 0x01;
constexpr uint8_t REDRAW_DIALOG = 0x10;
constexpr uint32_t PALETTE_WINDOW_FLAGS = 0x8102013;
constexpr int PALETTE_TOP_ROW = 3;
constexpr int PALETTE_LEFT_COLUMN = 36;
constexpr int PALETTE_RIGHT_COLUMN = 56;
constexpr int16_t PALETTE_POINTER = 110;
constexpr int PALETTE_HELP_TOPIC = 40;
constexpr int SAMPLE_COLUMN = 15;
constexpr int SAMPLE_WIDTH = 26;
constexpr int SAMPLE_CLEAR_COLUMNS = 30;
constexpr char SAMPLE_TITLE[] = "SAMPLE Window Header Text";
constexpr char SAMPLE_FORMAT[] =
    "%18.18s  \vbold\x13\n\x0e" "faint\x13 \fIntense\n\vC\x13ursor \vB\x13" "ar. \f\xf9" "12 \x0e\xf9" "16";
constexpr EventCode KEY_CTRL_C_CODE = KEY_CTRL_BASE + 'C';
constexpr EventCode KEY_CTRL_V_CODE = KEY_CTRL_BASE + 'V';

int entry_of(const TextLine* line) { return line != nullptr ? line->id : 0; }
int red_of(ColourValue c) { return static_cast<int>(c & 0xFF); }
int green_of(ColourValue c) { return static_cast<int>((c >> 8) & 0xFF); }
int blue_of(ColourValue c) { return static_cast<int>((c >> 16) & 0xFF); }
ColourValue colour_of(int r, int g, int b) {
  return static_cast<ColourValue>(std::clamp(r, 0, 255) | (std::clamp(g, 0, 255) << 8) |
                                  (std::clamp(b, 0, 255) << 16));
}

// The stored table and the live palette change together.
void set_entry_colour(int n, ColourValue colour) {
  if (n < 0 || n >= PALETTE_SIZE) return;
  g_palette.colour_table[static_cast<size_t>(n)] = colour;
  g_palette.palette[static_cast<size_t>(n)] = colour;
}

// A write of the palette file; a failure is told once per dialog.
void save_palette() {
  if (read_write_palette_file(1)) return;
  if (!g_palette_dialog.save_failed) show_text_box(PALETTE_SAVE_FAILED_TEXT, TEXTBOX_PRESS_A_KEY);
  g_palette_dialog.save_failed = true;
}

int last_normal_row() { return g_display.presets[FACE_ROLE_NORMAL].last_row; }

// The scheme's lines (and so its sample) are drawn again.
void flag_scheme_lines(int n) {
  const int base = n / PALETTE_SCHEME_SIZE * PALETTE_SCHEME_SIZE;
  for (TextLine* line = g_lists.current.first; line != nullptr; line = line->next)
    if (line->id >= base && line->id < base + PALETTE_SCHEME_SIZE) line->state |= LINE_STATE_REDRAW;
  g_windows.redraw_pending = 1;
}

void flag_every_line() {
  for (TextLine* line = g_lists.current.first; line != nullptr; line = line->next)
    line->state |= LINE_STATE_REDRAW;
  g_windows.redraw_pending = 1;
}

// The sample window of a scheme, left of the list, in the scheme's own colours.
void draw_sample(int row, const TextLine* line) {
  const int n = entry_of(line);
  const int top = (row - 2) / 10 * 10 + 2;
  if (top + 6 > last_normal_row()) return;
  fill_cells(top, 1, top + 4, SAMPLE_CLEAR_COLUMNS, 0);
  std::string name = line->text;
  if (!name.empty() && name.back() == '\n') name.pop_back();
  char text[256];
  std::snprintf(text, sizeof text, SAMPLE_FORMAT, name.c_str());
  const int scheme = n / PALETTE_SCHEME_SIZE;
  const int style = scheme == 6 || scheme == 7 || scheme == 12 ? 6 : 19;
  message_box(top + 2, SAMPLE_COLUMN, SAMPLE_WIDTH, text, MSGBOX_POPUP, nullptr, style, nullptr, n,
              SAMPLE_TITLE);
  // The sample stays drawn: its pop-up is forgotten without putting back what lay under it.
  TextLine* sample = g_popups.current;
  pop_popup();
  if (sample != nullptr) destroy_window(sample);
}

void show_palette_number() {
  char text[96];
  std::snprintf(text, sizeof text, " Palet # \f%d\x13 of 4 \n\vTAB\x13: switch palet",
                g_palette.slot + 1);
  draw_text(1, -61, text);  // every line from column 60
}

// The three level bars of the current entry.
void draw_level_bars(int n) {
  const ColourValue c = g_palette.colour_table[static_cast<size_t>(std::clamp(n, 0, 255))];
  const int bottom = last_normal_row() - 17;
  draw_progress_bar(bottom, 64, 5, red_of(c), 255, 2);
  draw_progress_bar(bottom, 68, 5, green_of(c), 255, 2);
  draw_progress_bar(bottom, 72, 5, blue_of(c), 255, 2);
}

// A click on the list makes the line under it current.
void cursor_to_click() {
  if (pointer_in_window() == 0) return;
  if (g_lists.cursor_line != nullptr) g_lists.cursor_line->state |= LINE_STATE_REDRAW;
  cursor_to_pointer_y(g_pointer.wanted_y);
  if (g_lists.cursor_line != nullptr) g_lists.cursor_line->state |= LINE_STATE_REDRAW;
  g_windows.redraw_pending = 1;
}

}  // namespace

void draw_palette_header() {
  use_normal_font();
  show_palette_number();
  const uint8_t opaque = g_text.opaque_text;
  g_text.opaque_text = 0;
  const int last = last_normal_row();
  draw_text(last - 16, 64, "\fR   G   B");
  draw_text(last - 13, -62, "\fI\x13: toggle \fI\x13ncrement.\nThe 7,8,9,1,2,3\nkeys change values:\n");
  draw_text(last - 9, -65,
            "\x0e\x08" "9   \x08" "9   \x08" "9\n\v7   8   9\n\x0eR   G   B\n\v1   2   3\n\x0e\x08:   \x08:   \x08:");
  draw_text(last - 3, -65, "\v+\x13: all higher\n\v-\x13: all lower\n\vZ\x13: all zero");
  g_text.opaque_text = opaque;
}

void draw_palette_line(int row, TextLine* line) {
  const TextWindow* w = g_windows.active;
  if (w == nullptr || line == nullptr) return;
  const int n = entry_of(line);
  const int base = n / PALETTE_SCHEME_SIZE * PALETTE_SCHEME_SIZE;
  const int role = n % PALETTE_SCHEME_SIZE;
  if (role == 0) {
    draw_sample(row, line);
    set_colour_base(w->options & WINDOW_OPTION_COLOUR_MASK);
  }
  ColourScheme& s = g_attributes.scheme;
  s[COLOUR_SLOT_TEXT] = s[COLOUR_SLOT_HIGHLIGHT] = static_cast<uint8_t>(n);
  s[COLOUR_SLOT_BACKGROUND] = static_cast<uint8_t>(base + 1);
  if (role == 1) {
    // A background is shown behind the scheme's text.
    s[COLOUR_SLOT_TEXT] = s[COLOUR_SLOT_HIGHLIGHT] = static_cast<uint8_t>(base);
    s[COLOUR_SLOT_BACKGROUND] = static_cast<uint8_t>(n);
  } else if (role == 3) {
    // The selection colour fills the line as a kept block does, behind the scheme's text.
    s[COLOUR_SLOT_TEXT] = s[COLOUR_SLOT_HIGHLIGHT] = static_cast<uint8_t>(base);
    s[COLOUR_SLOT_BACKGROUND] = static_cast<uint8_t>(n);
  }
  draw_window_line(row, line);
  s[COLOUR_SLOT_TEXT] = 0;
  s[COLOUR_SLOT_BACKGROUND] = 1;
  s[COLOUR_SLOT_HIGHLIGHT] = 2;
  set_colour_base(w->options & WINDOW_OPTION_COLOUR_MASK);
}

EventCode edit_palette_entry() {
  TextWindow* w = g_windows.active;
  if (w == nullptr || g_lists.cursor_line == nullptr) return KEY_ESC;
  const int n = entry_of(g_lists.cursor_line);
  draw_level_bars(n);
  for (;;) {
    show_field_caret(w->top_row + w->cursor_row, w->left_column, w->columns);
    const EventCode code = list_search_key_filter();
    hide_caret();
    const ColourValue c = g_palette.colour_table[static_cast<size_t>(n)];
    int r = red_of(c);
    int g = green_of(c);
    int b = blue_of(c);
    const int step = g_palette_dialog.increment;
    switch (code) {
      case KEY_TAB:
        save_palette();
        read_write_palette_file(-1);
        set_colour_base(w->options & WINDOW_OPTION_COLOUR_MASK);
        draw_palette_header();
        flag_every_line();
        return 0;
      case KEY_ESC:
      case EVENT_QUIT: return KEY_ESC;
      case '+':
      case '=': r += step; g += step; b += step; break;
      case '-':
      case '_': r -= step; g -= step; b -= step; break;
      case '1': if (r == 0) continue; r -= step; break;
      case '2': if (g == 0) continue; g -= step; break;
      case '3': if (b == 0) continue; b -= step; break;
      case '7': if (r == 255) continue; r += step; break;
      case '8': if (g == 255) continue; g += step; break;
      case '9': if (b == 255) continue; b += step; break;
      case 'I':
      case 'i':
        g_palette_dialog.increment ^= 5;
        continue;
      case 'Z':
      case 'z': r = g = b = 0; break;
      case EVENT_POINTER_MOVE:
        follow_mouse();
        move_pointer();
        continue;
      case KEY_UP:
      case KEY_PGUP:
      case KEY_DOWN:
      case KEY_PGDN:
      case KEY_CTRL_F1:
      case EVENT_MIDDLE_DOWN:
      case EVENT_RIGHT_DOWN:
      case EVENT_LEFT_DOWN:
      case WINDOW_DRAG_DOWN:
      case WINDOW_DRAG_UP:
      case KEY_CTRL_C_CODE:
      case KEY_CTRL_V_CODE:
      case EVENT_REDRAW:
      case ' ': return code;
      default: continue;
    }
    g_palette_dialog.changed |= CHANGED;
    set_entry_colour(n, colour_of(r, g, b));
    return 0;
  }
}

EventCode palette_key_filter() {
  TextWindow* w = g_windows.active;
  if (w == nullptr) return KEY_ESC;
  for (;;) {
    const EventCode code = edit_palette_entry();
    switch (code) {
      case 0:
        flag_scheme_lines(entry_of(g_lists.cursor_line));
        return 0;
      case KEY_CTRL_F1:
        if (g_form_hooks.help != nullptr) g_form_hooks.help(PALETTE_HELP_TOPIC);
        g_palette_dialog.changed |= REDRAW_DIALOG;
        return KEY_ESC;
      case EVENT_REDRAW:
        g_palette_dialog.changed |= REDRAW_DIALOG;
        return KEY_ESC;
      case EVENT_MIDDLE_DOWN: return g_pointer.scroll_down_key;
      case EVENT_RIGHT_DOWN:
      case KEY_ESC: return KEY_ESC;
      case ' ': return KEY_DOWN;
      case EVENT_LEFT_DOWN:
        cursor_to_click();
        return 0;
      case KEY_CTRL_C_CODE:
        g_palette_dialog.copied_palette = g_palette.slot;
        return 0;
      case KEY_CTRL_V_CODE: {
        // The remembered palette is read into the current one, which is then saved; with none
        // remembered (or the current one) the palette as it stands is saved.
        const int copied = g_palette_dialog.copied_palette;
        const uint8_t current = g_palette.slot;
        if (copied >= 0 && copied != current) {
          g_palette.slot = static_cast<uint8_t>(copied);
          read_write_palette_file(0);
          g_palette.slot = current;
        }
        save_palette();
        set_colour_base(w->options & WINDOW_OPTION_COLOUR_MASK);
        flag_every_line();
        return 0;
      }
      default: return code;
    }
  }
}

void colour_dialog() {
  if (find_message(MSG_PALETTE_NAMES) == 0) return;
  std::string title;
  if (read_message_line(0) > 0) title = message_text();
  push_active_window();
  push_list();
  clear_current_list();
  for (int16_t id = 0; read_message_line(0) > 0; ++id) {
    TextLine* line = append_line((std::string(message_text()) + "\n").c_str());
    if (line == nullptr) break;
    line->id = id;
  }
  TextLine* node = create_window(nullptr, {
      .top_row = PALETTE_TOP_ROW, .left_column = PALETTE_LEFT_COLUMN,
      .bottom_row = last_normal_row(), .right_column = PALETTE_RIGHT_COLUMN,
      .flags = PALETTE_WINDOW_FLAGS, .key_filter = palette_key_filter,
      .line_drawer = draw_palette_line, .legend = LIST_WINDOW_LEGEND, .wrap_width = 125,
      .title = title.c_str(), .list_options = 0x10000000,
  });
  pop_list();
  if (node == nullptr) {
    pop_active_window();
    return;
  }
  g_palette_dialog.changed = 0;
  g_palette_dialog.save_failed = false;
  do {
    g_palette_dialog.changed &= static_cast<uint8_t>(~REDRAW_DIALOG);
    use_normal_font();
    clear_screen();
    set_pointer_shape(PALETTE_POINTER);
    draw_palette_header();
    g_run.last_framed_window = nullptr;
    run_window(node);
  } while ((g_palette_dialog.changed & REDRAW_DIALOG) != 0 && !g_events.quit_requested);
  if ((g_palette_dialog.changed & CHANGED) != 0) save_palette();
  reset_caret();
  destroy_window(node);
  pop_active_window();
  set_colour_base(0);
  // The dialog took the whole screen.
  g_form.redraw_level = 1;
}

void reset_palette_dialog() { g_palette_dialog = PaletteDialog(); }
