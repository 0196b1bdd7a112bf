// draw_text and its family, and the cell fills.
#include "screen/text_output.h"

#include <algorithm>
#include <string_view>

#include "screen/boxes.h"
#include "screen/caret.h"
#include "screen/closed_area.h"
#include "screen/display_mode.h"
#include "screen/main_form.h"
#include "screen/palette.h"
#include "screen/pointer.h"
#include "screen/screen_attributes.h"
#include "screen/text_output_internal.h"
#include "store/text_wrap.h"

TextOutput g_text;

namespace {

// How far around a drawing the program's pointer (a 32 x 32 picture) may lie and be touched.
constexpr int POINTER_REACH = 32;
// The system colour that the palette keeps for button faces, and its pixel here.
constexpr ColourValue SYSTEM_COLOUR_NUMBER_MASK = 0xFF;
constexpr int SYSTEM_BUTTON_FACE = 15;
constexpr uint32_t BUTTON_FACE_PIXEL = 0xF0F0F0;
constexpr uint32_t OTHER_SYSTEM_PIXEL = 0xC0C0C0;

// The four colours of one draw_text call (palette indices).
struct TextColours {
  uint8_t text;
  uint8_t highlight;
  uint8_t second;
  uint8_t third;
};

// One line of a draw_text call being drawn.
struct TextPass {
  int x;              // pixel x of the run being collected
  int y;              // pixel y of the line
  int cells;          // cell count reached (a column)
  int cell_width;
  bool opaque;        // background mode of the call
  uint8_t in_effect;  // colour of the run being collected
  bool stopped;       // a run reached past the screen's right edge: nothing more is drawn
};

bool is_colour_code(uint8_t b) {
  return b == TC_HIGHLIGHT || b == TC_SECOND || b == TC_THIRD || b == TC_NORMAL;
}

uint8_t colour_of_code(uint8_t code, const TextColours& colours) {
  switch (code) {
    case TC_HIGHLIGHT: return colours.highlight;
    case TC_SECOND: return colours.second;
    case TC_THIRD: return colours.third;
    default: return colours.text;
  }
}

TextColours colours_of_call() {
  const ColourScheme& s = g_attributes.scheme;
  TextColours c = {s[COLOUR_SLOT_TEXT], s[COLOUR_SLOT_HIGHLIGHT], s[COLOUR_SLOT_SECOND],
                   s[COLOUR_SLOT_THIRD]};
  if (g_text.text_dim_count > 0) c.text = c.highlight = c.second = c.third;
  return c;
}

void flush_pass(TextPass* pass) {
  if (g_text.run_length == 0) return;
  const int length = g_text.run_length;
  pass->x = draw_text_run(pass->x, pass->y, pass->in_effect, pass->opaque,
                          g_attributes.scheme[COLOUR_SLOT_BACKGROUND]);
  pass->cells += length;
  if (pass->x > g_display.screen_width - 1) pass->stopped = true;
}

// Adds one cell to the run. A new colour draws the run so far; so does a full run buffer, so
// that a line wider than the buffer (a wide screen in a small face) is drawn in pieces.
void put_cell(TextPass* pass, uint8_t glyph, uint8_t colour) {
  if (pass->stopped) return;
  if (colour != pass->in_effect) {
    flush_pass(pass);
    if (pass->stopped) return;
    pass->in_effect = colour;
  }
  if (g_text.run_length == TEXT_RUN_SIZE - 1) {
    flush_pass(pass);
    if (pass->stopped) return;
  }
  g_text.text_run[g_text.run_length++] = static_cast<char>(glyph);
}

// Walks one line of the text into runs; returns where the walk ended (at the line feed, the
// zero, or the first byte of a pair that the text cuts off).
const char* walk_line(TextPass* pass, const char* text, const TextColours& colours) {
  const uint32_t flags = *g_text.area.flags;
  const bool show_spaces = flags & TEXT_AREA_SHOW_SPACES;
  const bool show_codes = show_spaces && (flags & TEXT_AREA_SHOW_CONTROL_CODES);
  // A framed window without list options keeps its spaces blank even when spaces are shown.
  const bool plain_spaces = (flags & TEXT_AREA_FRAME_STYLE_MASK) && *g_text.area.list_options == 0;
  const uint8_t escape_colour = g_attributes.scheme[COLOUR_SLOT_HIGHLIGHT];
  uint8_t current = colours.text;
  const char* p = text;
  for (; *p && *p != TC_NEWLINE && !pass->stopped; ++p) {
    const uint8_t b = static_cast<uint8_t>(*p);
    if (b >= 32) {
      if (b == ' ' && show_spaces) {
        if (plain_spaces) {
          put_cell(pass, ' ', colours.third);
        } else {
          put_cell(pass, GLYPH_MIDDLE_DOT, colours.second);
        }
      } else {
        put_cell(pass, b, current);
      }
    } else if (is_colour_code(b)) {
      current = colour_of_code(b, colours);
      if (show_codes) put_cell(pass, b, current);
    } else if (b == TC_GLYPH) {
      if (!p[1]) break;
      ++p;
      put_cell(pass, static_cast<uint8_t>(static_cast<uint8_t>(*p) - 33), current);
    } else if (b == TC_TAB) {
      put_cell(pass, GLYPH_TAB_MARK, colours.third);
    } else if (b <= TC_ESCAPE_LAST) {
      if (!p[1]) break;
      ++p;
      put_cell(pass, b, escape_colour);
    } else if (show_codes) {
      current = colours.second;
      put_cell(pass, b, current);
    }
  }
  return p;
}

// The first cell of a text centred on the screen. The screen's cell count is taken from its
// width in pixels, so that a text of 10 cells on a screen of 80 starts at column 34.
int centred_column(int visible, int cell_width) {
  const int screen_cells = (g_display.screen_width + 1) / cell_width;
  return std::max((screen_cells - visible) / 2 - 1, 0);
}

// The field box requested for this call; returns the pixel y the text goes to.
int draw_field_box(TextPass* pass, int cell_height) {
  int y = pass->y;
  if (g_text.text_dim_count > 0) {
    // A field that looks unavailable has no box; the strip where its edge would be is cleared.
    --g_text.text_dim_count;
    fill_screen_rect({pass->x - 4, y, pass->x + 1, y + cell_height + 1},
                     g_attributes.scheme[COLOUR_SLOT_BACKGROUND]);
  } else {
    draw_box(g_text.text_box_style, -y, pass->x - 4, cell_height - 1,
             g_text.text_box_cells * pass->cell_width + 6, 0);
    pass->opaque = false;
    if (cell_height < 14) ++y;
  }
  g_text.text_box_cells = 0;
  return y;
}

// One line of draw_text; returns the text after its line feed when the next line is to be drawn
// too (a negative column), else null.
const char* draw_text_line(int row, int column, const char* text) {
  int cw, ch;
  if (!select_screen_face(&cw, &ch)) return nullptr;
  g_text.run_length = 0;
  const TextColours colours = colours_of_call();
  TextPass pass = {0, 0, 0, cw, g_text.opaque_text != 0, colours.text, false};

  const int given_column = column;
  const bool centre = column == TEXT_CENTRE || column == -TEXT_CENTRE;
  int blanks = 0;
  if (column < 0 && column != -TEXT_CENTRE) column = -column - 1;
  if (centre) {
    column = centred_column(display_length(text), cw);
    if (column > 0 && pass.opaque && g_text.text_field_width > 0) {
      blanks = column;  // they paint the left part of the field
      column = 0;
    }
    if (row < 0) column *= cw;
  }
  if (row >= 0) {
    pass.y = row * ch;
    pass.x = column * cw;
    pass.cells = column;
  } else {
    pass.y = -row;
    pass.x = column;
    pass.cells = column / cw;
  }
  const int first_cell = pass.cells;
  if (g_text.text_box_cells != 0) pass.y = draw_field_box(&pass, ch);
  hide_pointer_near_row(pass.y, ch);

  for (int i = 0; i < blanks; ++i) put_cell(&pass, ' ', colours.text);
  const char* end = walk_line(&pass, text, colours);
  flush_pass(&pass);
  if (pass.stopped) return nullptr;

  const int drawn = pass.cells - first_cell;
  if (g_text.text_field_width > drawn) {
    fill_screen_rect({pass.x, pass.y, pass.x + (g_text.text_field_width - drawn) * cw,
                      pass.y + ch + 1},
                     g_attributes.scheme[COLOUR_SLOT_BACKGROUND]);
  }
  if (*end == TC_NEWLINE && given_column < 0) return end + 1;
  return nullptr;
}

}  // namespace

// ---- Shared with the window line drawer ---------------------------------------------------------

bool select_screen_face(int* cell_width, int* cell_height) {
  if (g_display.current.face_index >= 0)
    g_text.screen.face = interface_face(g_display.current.face_index);
  const FontFace* face = g_text.screen.face;
  if (!face || face->cell_width <= 0 || face->cell_height <= 0) return false;
  *cell_width = face->cell_width;
  *cell_height = face->cell_height;
  return true;
}

void hide_pointer_near_row(int y, int cell_height) {
  if (g_pointer.drawn && g_pointer.drawn_y >= y - POINTER_REACH &&
      g_pointer.drawn_y <= y + cell_height + POINTER_REACH)
    hide_pointer();
}

void fill_screen_rect(CanvasRect rect, int palette_index) {
  Canvas* canvas = &g_text.screen;
  canvas->brush.kind = CANVAS_BRUSH_SOLID;
  canvas->brush.colour = palette_pixel(palette_index);
  canvas->mix = CANVAS_MIX_COPY;
  canvas_fill_rect(canvas, rect);
}

int draw_text_run(int x, int y, int colour, bool opaque, int background) {
  Canvas* canvas = &g_text.screen;
  canvas->mix = CANVAS_MIX_COPY;
  canvas->text_colour = palette_pixel(colour);
  canvas->text_opaque = opaque;
  canvas->text_background = palette_pixel(background);
  const int after =
      canvas_draw_text(canvas, x, y, std::string_view(g_text.text_run, g_text.run_length));
  g_text.run_length = 0;
  return after;
}

// ---- The screen -------------------------------------------------------------------------------

void set_screen_canvas(Surface* surface) { canvas_init(&g_text.screen, surface); }

uint32_t palette_pixel(int index) {
  const ColourValue value = g_palette.palette[static_cast<uint8_t>(index)];
  if (value & 0x80000000u) {
    return (value & SYSTEM_COLOUR_NUMBER_MASK) == SYSTEM_BUTTON_FACE ? BUTTON_FACE_PIXEL
                                                                      : OTHER_SYSTEM_PIXEL;
  }
  return ((value & 0xFF) << 16) | (value & 0xFF00) | ((value >> 16) & 0xFF);
}

// ---- Texts ------------------------------------------------------------------------------------

void draw_text(int row, int column, const char* text) {
  while (text) {  // a null text draws nothing
    if (!g_text.area.flags || row > g_display.current.last_row) return;
    text = draw_text_line(row, column, text);
    // The next line lies one cell lower, in cells or in pixels.
    row = row >= 0 ? row + 1 : row - g_display.current.cell_height;
  }
}

void draw_text_transparent(int row, int column, const char* text) {
  const uint8_t opaque = g_text.opaque_text;
  g_text.opaque_text = 0;
  draw_text(row, column, text);
  g_text.opaque_text = opaque;
}

void draw_tiny_text(int row, int column, const char* text) {
  int y = -row;
  int x = column;
  if (row >= 0) {
    y = row * g_display.current.cell_height;
    if (column != TEXT_CENTRE && column != -TEXT_CENTRE) x = column * g_display.current.cell_width;
  }
  // A pixel y of 0 would read as cell row 0 in the tiny face.
  if (y >= 0 && y <= 2) y = 3;
  push_text_metrics();
  use_smallest_font();
  draw_text(-y, x, text);
  pop_text_metrics();
}

void draw_status_text(int row, int column, const char* text) {
  int y = -row;
  int x = column;
  if (row >= 0) {
    const int ch = g_display.current.cell_height;
    y = row * ch + ch / 3 + 1;
    x = column * g_display.current.cell_width;
  }
  g_palette.palette[PALETTE_STATUS_BACKGROUND] = contrast_colour(-16);
  const uint8_t background = g_attributes.scheme[COLOUR_SLOT_BACKGROUND];
  const uint8_t opaque = g_text.opaque_text;
  g_attributes.scheme[COLOUR_SLOT_BACKGROUND] = PALETTE_STATUS_BACKGROUND;
  g_text.opaque_text = 1;
  push_text_metrics();
  use_smallest_font();
  draw_text(-y, x, text);
  pop_text_metrics();
  g_attributes.scheme[COLOUR_SLOT_BACKGROUND] = background;
  g_text.opaque_text = opaque;
}

// ---- Cell fills -------------------------------------------------------------------------------

void fill_cells(int row1, int column1, int row2, int column2, int colour) {
  int index = colour & 0xFF;
  if (index == 0) index = g_attributes.scheme[COLOUR_SLOT_BACKGROUND];
  CanvasRect rect;
  if (colour & FILL_PIXELS) {
    rect = {column1 - 1, row1, column2 + 1, row2 + 1};
  } else {
    const int cw = g_display.current.cell_width;
    const int ch = g_display.current.cell_height;
    rect = {column1 * cw - 1, row1 * ch - 1, (column2 + 1) * cw + 1, (row2 + 1) * ch + 1};
  }
  if (g_pointer.drawn && g_pointer.drawn_x >= rect.left - POINTER_REACH &&
      g_pointer.drawn_x <= rect.right + POINTER_REACH &&
      g_pointer.drawn_y >= rect.top - POINTER_REACH &&
      g_pointer.drawn_y <= rect.bottom + POINTER_REACH)
    hide_pointer();
  fill_screen_rect(rect, index);
}

void fill_row_span(int row, int column, int count, int colour_index) {
  const int cw = g_display.current.cell_width;
  const int ch = g_display.current.cell_height;
  const CanvasRect rect = {column * cw, row * ch, (column + count) * cw, (row + 1) * ch};
  if (g_pointer.drawn && ch > 0 && g_pointer.drawn_y / ch == row) {
    const int left = g_pointer.drawn_x - g_pointer.hot_dx;
    if (left < rect.right && left + POINTER_REACH > rect.left) hide_pointer();
  }
  Canvas* canvas = &g_text.screen;
  canvas->brush.kind = CANVAS_BRUSH_SOLID;
  canvas->brush.colour = palette_pixel(colour_index);
  canvas->mix = CANVAS_MIX_XOR;
  canvas_fill_rect(canvas, rect);
  canvas->mix = CANVAS_MIX_COPY;
}

void blank_row_span(int row, int column, int count) {
  fill_row_span(row, column, count, PALETTE_WHITE);
}

void clear_screen() {
  hide_pointer();
  const Surface* target = g_text.screen.target;
  if (target) fill_screen_rect({0, 0, target->width, target->height}, 1);
  g_form.redraw_level = 0;
  reset_dirty_rect();
}

// ---- Test hooks -------------------------------------------------------------------------------

void reset_text_output() {
  Canvas screen = g_text.screen;
  const TextArea area = g_text.area;
  g_text = TextOutput();
  g_text.screen = screen;
  g_text.area = area;
}
