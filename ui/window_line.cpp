// The line drawer of text windows: one line of the active window with its marked block, visible
// spaces, tabs and line ends, and colour codes that carry over from one line to the next.
#include <algorithm>

#include "screen/display_mode.h"
#include "screen/pointer.h"
#include "screen/screen_attributes.h"
#include "screen/text_output.h"
#include "screen/text_output_internal.h"
#include "store/text_wrap.h"
#include "ui/run_window.h"
#include "ui/text_window.h"

namespace {

// Block end column of a line that ends before the block does: the block runs to the line's end.
constexpr int BLOCK_TO_LINE_END = 22222;

// One window line being drawn. Cells are counted from the first cell of the line's text; the
// block columns are moved as bytes that take no cell, or more than one, go by, so that they can
// be compared with that count.
struct LinePass {
  int x;            // pixel x of the run being collected
  int y;            // pixel y of the line
  int cell_width;
  int avail;        // cells still available in the window
  int cell;         // cells of the text passed, drawn or scrolled away
  int scroll;       // cells of the text hidden by the horizontal scroll
  int block_from;   // marked block in cells, from inclusive, to exclusive; from < 0: none
  int block_to;
  int background;   // the line's background (palette index)
};

bool is_colour_code(uint8_t b) {
  return b == TC_HIGHLIGHT || b == TC_SECOND || b == TC_THIRD || b == TC_NORMAL;
}

uint8_t colour_of_code(uint8_t code) {
  const LineColours& lc = g_text.line_colours;
  switch (code) {
    case TC_HIGHLIGHT: return lc.highlight;
    case TC_SECOND: return lc.second;
    case TC_THIRD: return lc.third;
    default: return lc.normal;
  }
}

void reset_line_colours() {
  LineColours& lc = g_text.line_colours;
  const ColourScheme& s = g_attributes.scheme;
  lc.highlight = s[COLOUR_SLOT_HIGHLIGHT];
  lc.second = s[COLOUR_SLOT_SECOND];
  lc.normal = s[COLOUR_SLOT_TEXT];
  lc.third = s[COLOUR_SLOT_THIRD];
  lc.pending = lc.in_effect = lc.normal;
  lc.block_background = s[COLOUR_SLOT_BACKGROUND];
}

bool in_block(const LinePass& pass) {
  return pass.block_from >= 0 && pass.cell >= pass.block_from && pass.cell < pass.block_to;
}

// The background of the cell about to be drawn: the block is drawn in the selection colour
// while the run loop keeps it, else in red.
uint8_t background_here(const LinePass& pass) {
  if (!in_block(pass)) return static_cast<uint8_t>(pass.background);
  return g_run.block_kept ? g_attributes.scheme[COLOUR_SLOT_SELECTION]
                          : static_cast<uint8_t>(PALETTE_RED);
}

// The current byte takes `cells` cells where one was counted: every block column that lies
// after it moves by the difference.
void move_block_columns(LinePass* pass, int delta) {
  if (pass->block_from > pass->cell) pass->block_from += delta;
  if (pass->block_to > pass->cell) pass->block_to += delta;
}

void flush_line_run(LinePass* pass) {
  if (g_text.run_length == 0) return;
  const int background = g_text.line_colours.block_background;
  // Without opaque text only a marked (or otherwise coloured) background is painted.
  const bool opaque =
      g_text.opaque_text || background != g_attributes.scheme[COLOUR_SLOT_BACKGROUND];
  pass->x = draw_text_run(pass->x, pass->y, g_text.line_colours.in_effect, opaque, background);
}

// One cell of the line; a cell hidden by the horizontal scroll is only counted.
void put_line_cell(LinePass* pass, uint8_t glyph, uint8_t colour, uint8_t background) {
  LineColours& lc = g_text.line_colours;
  if (pass->cell < pass->scroll) {
    ++pass->cell;
    lc.in_effect = colour;
    return;
  }
  if (pass->avail <= 0) return;
  if (colour != lc.in_effect || background != lc.block_background ||
      g_text.run_length == TEXT_RUN_SIZE - 1) {
    flush_line_run(pass);
    lc.in_effect = colour;
    lc.block_background = background;
  }
  g_text.text_run[g_text.run_length++] = static_cast<char>(glyph);
  ++pass->cell;
  --pass->avail;
}

void put_tab(LinePass* pass, bool show_tab_mark) {
  flush_line_run(pass);
  const int width = std::max<int>(g_text_wrap.tab_width, 1);
  const int filled = width - pass->cell % width;
  move_block_columns(pass, filled - 1);
  for (int i = 0; i < filled && pass->avail > 0; ++i) {
    const bool last = i == filled - 1;
    put_line_cell(pass, last && show_tab_mark ? GLYPH_TAB_MARK : ' ', g_text.line_colours.third,
                  background_here(*pass));
  }
}

// In a list of text items some glyphs stand for others: the check mark and the document mark
// trade places, and the first three escapes show the list-position marks.
uint8_t glyph_of_pair(uint8_t glyph, bool text_list) {
  if (!text_list) return glyph;
  if (glyph == 27) return 4;
  if (glyph == 4) return 27;
  return glyph;
}

uint8_t glyph_of_escape(uint8_t escape, bool text_list) {
  if (!text_list) return escape;
  switch (escape) {
    case 1: return 29;
    case 2: return 23;
    case 3: return 21;
    default: return escape;
  }
}

// Blank cells before the text of a centred or indented line; the horizontal scroll eats them
// first. Returns the text to draw.
const char* lay_indent(LinePass* pass, const TextLine* line, const TextWindow* window) {
  const char* text = line->text.c_str();
  int indent = 0;
  if (text[0] == TC_CENTRE_LINE || (line->kind & LINE_KIND_CENTRED)) {
    if (text[0] == TC_CENTRE_LINE) ++text;
    const int columns = window ? window->columns : pass->avail;
    const int wrap = window ? window->wrap_width : pass->avail;
    indent = std::max((std::min(wrap + 2, columns) - display_length(text)) / 2 - 1, 0);
  } else if (line->kind & LINE_KIND_INDENTED) {
    indent = line->attributes[4];
  }
  const int eaten = std::min(pass->scroll, indent);
  pass->scroll -= eaten;
  indent = std::min(indent - eaten, pass->avail);
  for (int i = 0; i < indent; ++i) {
    if (g_text.run_length == TEXT_RUN_SIZE - 1) flush_line_run(pass);
    g_text.text_run[g_text.run_length++] = ' ';
    --pass->avail;
  }
  return text;
}

}  // namespace

void draw_window_line(int row, TextLine* line) {
  const TextWindow* window = g_windows.active;
  if (!window || !line) return;
  int from = -1;
  int to = -1;
  const TextLine* first = g_lists.block_start;
  const TextLine* last = g_lists.block_end;
  if (first && last && line->id >= first->id && line->id <= last->id) {
    from = line->id == first->id ? window->block_start_column : 0;
    to = line->id == last->id ? window->block_end_column : BLOCK_TO_LINE_END;
    if (line->id == last->id && window->block_end_column <= 0) from = -1;
  }
  // Colour codes carry over only in windows that ask for it, within a paragraph, and only when
  // the line drawn before was this line's predecessor.
  LineColours& lc = g_text.line_colours;
  const bool carry = !(line->kind & LINE_KIND_PARAGRAPH) &&
                     (window->flags & (WINDOW_SHOW_CONTROL_CODES | WINDOW_TEXT_LIST)) &&
                     line->prev && lc.last_line == line->prev;
  if (!carry) reset_line_colours();
  lc.last_line = line;
  draw_line_text(row * g_display.current.cell_height,
                 window->left_column * g_display.current.cell_width, line, window->columns, from,
                 to, g_attributes.scheme[COLOUR_SLOT_BACKGROUND],
                 window->flags & WINDOW_SHOW_SPACES, window->flags & WINDOW_SHOW_LINE_ENDS,
                 window->flags & WINDOW_SHOW_TAB_MARKS);
}

void repaint_window_line(int row, TextLine* line) { draw_window_line(row, line); }

void draw_line_text(int y, int x, const TextLine* line, int cells, int block_from, int block_to,
                    int background, bool show_spaces, bool show_line_end, bool show_tab_mark) {
  int cw, ch;
  if (!line || !select_screen_face(&cw, &ch)) return;
  const TextWindow* window = g_windows.active;
  const uint32_t flags = window ? window->flags : 0;
  const bool text_list = flags & WINDOW_TEXT_LIST;
  const bool scrolled = window && window->horizontal_scroll != 0;
  LineColours& lc = g_text.line_colours;
  g_text.run_length = 0;
  lc.block_background = static_cast<uint8_t>(background);
  const int scroll = window ? window->horizontal_scroll : 0;
  LinePass pass = {x, y, cw, std::max(cells, 0), 0, scroll, block_from, block_to, background};
  const char* text = lay_indent(&pass, line, window);
  hide_pointer_near_row(y, ch);

  for (const char* p = text; *p; ++p) {
    const uint8_t b = static_cast<uint8_t>(*p);
    if (pass.avail <= 0) {
      // Past the window's edge only the colour state is kept up.
      if (!is_colour_code(b)) break;
      lc.pending = colour_of_code(b);
      continue;
    }
    const uint8_t here = background_here(pass);
    if (b >= 32) {
      if (!in_block(pass) && (flags & WINDOW_COMMENT_COLOUR) && b == '/' && p[1] == '/')
        lc.pending = lc.third;
      if (b == ' ' && show_spaces) {
        put_line_cell(&pass, GLYPH_MIDDLE_DOT, lc.third, here);
      } else {
        put_line_cell(&pass, b, lc.pending, here);
      }
    } else if (b == TC_NEWLINE) {
      if ((in_block(pass) || show_line_end) && !scrolled)
        put_line_cell(&pass, GLYPH_PILCROW, lc.third, here);
      break;
    } else if (is_colour_code(b)) {
      lc.pending = colour_of_code(b);
      if (show_spaces) {
        put_line_cell(&pass, b, lc.pending, here);
      } else {
        move_block_columns(&pass, -1);
      }
    } else if (b == TC_GLYPH) {
      if (!p[1]) break;
      ++p;
      move_block_columns(&pass, -1);
      const uint8_t glyph = static_cast<uint8_t>(static_cast<uint8_t>(*p) - 33);
      put_line_cell(&pass, glyph_of_pair(glyph, text_list), lc.highlight, here);
    } else if (b <= TC_ESCAPE_LAST) {
      if (!p[1]) break;
      ++p;
      move_block_columns(&pass, -1);
      put_line_cell(&pass, glyph_of_escape(b, text_list),
                    g_attributes.scheme[COLOUR_SLOT_HIGHLIGHT], here);
    } else if (b == TC_TAB) {
      put_tab(&pass, show_tab_mark);
    } else {
      move_block_columns(&pass, -1);
    }
  }
  flush_line_run(&pass);
  // The rest of the window's width is cleared, exactly to the cells' edges.
  if (g_text.opaque_text && pass.avail > 0)
    fill_screen_rect({pass.x, y, pass.x + pass.avail * cw, y + ch}, background);
}
