#include "screen/controls.h"

#include <cstring>

#include "platform/canvas.h"
#include "screen/boxes.h"
#include "screen/display_mode.h"
#include "screen/hover.h"
#include "screen/main_form.h"
#include "screen/picture_file.h"
#include "screen/pointer.h"
#include "screen/screen_attributes.h"
#include "screen/screen_entries.h"
#include "screen/text_output.h"

ControlState g_controls;

namespace {

constexpr int PALETTE_BACKGROUND = 1;
constexpr uint32_t POSITION_BUTTON_YELLOW = 0xFFFF00;
constexpr int PICTURE_UNIT = 16;  // pixels per height or width unit of a picture button

struct Cells {
  int width;
  int height;
  int last_row;
  int last_column;
  int small_width;
  int small_height;
};

Cells menu_cells() {
  const CellMetrics& menu = g_display.presets[FACE_ROLE_MENU];
  const CellMetrics& small = g_display.presets[FACE_ROLE_SMALL];
  return {menu.cell_width, menu.cell_height, menu.last_row, menu.last_column, small.cell_width,
          small.cell_height};
}

bool is_title_button(const ScreenControl& c) { return c.row == 0 && c.width <= 1; }

// Where the caption starts, written beside the pixel box.
struct Layout {
  int text_x = 0;
};

Layout lay_out(ScreenControl* c, const Cells& cells) {
  Layout layout;
  if (c->flags & CF_FIXED_POS) {
    layout.text_x = c->x + cells.width / 2;
    return layout;
  }
  const bool small = (c->flags & CF_SMALL) != 0;
  int hit_height = 0;
  if (c->row == 0) {
    c->y = 1;
    if (c->width <= 1) hit_height = cells.height - cells.height / 4;
  } else if (c->row < 0) {
    c->y = static_cast<int16_t>((cells.last_row + c->row + 1) * cells.height);
  } else {
    c->y = static_cast<int16_t>(c->row * cells.height);
  }
  if (!(c->row == 0 && c->width <= 1)) {
    hit_height = (c->flags & CF_PICTURE) ? c->height * PICTURE_UNIT : c->height * cells.height;
  }
  if (small) hit_height -= 2;
  c->hit_height = static_cast<int16_t>(hit_height);
  int x = 0;
  if (c->column < 0) {
    x = small ? c->column * cells.small_width + g_display.screen_width - 1
              : (cells.last_column + c->column) * cells.width;
  } else {
    x = c->column * (small ? cells.small_width : cells.width);
  }
  layout.text_x = x;
  int hit_width = 0;
  if (c->flags & CF_CENTRED) {
    x += cells.width / 2;
    hit_width = c->width * cells.width;
  } else if (c->flags & CF_PICTURE) {
    hit_width = c->width * PICTURE_UNIT;
  } else {
    x -= cells.width / 2 + 1;
    if (x <= 0) x = 2;
    hit_width = small ? (c->width + 1) * cells.small_width + cells.small_width / 4
                      : (c->width + 1) * cells.width;
  }
  c->x = static_cast<int16_t>(x);
  c->hit_width = static_cast<int16_t>(hit_width);
  return layout;
}

void set_black_pen(Canvas* canvas, int width) {
  canvas->pen = CanvasPen{};
  canvas->pen.colour = 0;
  canvas->pen.width = width;
  canvas->brush.kind = CANVAS_BRUSH_HOLLOW;
  canvas->mix = CANVAS_MIX_COPY;
}

// The glyph of a title-bar button, in lines: "-", "X", "^" or the size button.
void draw_title_glyph(const ScreenControl& c, int cell_height) {
  Canvas* canvas = &g_text.screen;
  int x1 = c.x + 5;
  int x2 = c.x + c.hit_width - 5;
  const int y1 = c.y + 3;
  const int y2 = c.y + c.hit_height - 3;
  if (cell_height <= 16) {
    x1 -= 2;
    x2 += 2;
  }
  const int thick = cell_height >= 16 ? 2 : 1;
  const CanvasPen pen = canvas->pen;
  const CanvasBrush brush = canvas->brush;
  set_black_pen(canvas, thick);
  switch (c.caption[0]) {
    case '-':
      canvas_draw_line(canvas, x1, y2, x2, y2);
      break;
    case 'X':
      canvas_draw_line(canvas, x1, y1, x2, y2);
      canvas_draw_line(canvas, x1, y2, x2, y1);
      break;
    case '^': {
      --x1;
      set_black_pen(canvas, 1);
      canvas->brush.kind = CANVAS_BRUSH_SOLID;
      canvas->brush.colour = POSITION_BUTTON_YELLOW;
      canvas_draw_rect(canvas, {x1, y1, x2, y2});
      canvas->brush.kind = CANVAS_BRUSH_HOLLOW;
      const int dx = (x2 - x1) / 2;
      const int dy = (y2 - y1) / 2;
      if (g_screen_entries.form_at_stored_position != nullptr &&
          g_screen_entries.form_at_stored_position()) {
        canvas_draw_rect(canvas, {x1 + dx / 2, y1 + dy / 2, x2 - dx / 2, y2 - dy / 2});
      } else {
        canvas_draw_rect(canvas, {x1, y1, x1 + dx, y1 + dx});
      }
      break;
    }
    default:
      set_black_pen(canvas, 1);
      canvas_draw_rect(canvas, {x1 + 2, y1, x2, y2 - 1});
      canvas_draw_rect(canvas, {x1, y2 - 3, x1 + 4, y2 + 1});
      break;
  }
  canvas->pen = pen;
  canvas->brush = brush;
}

int caption_cells(const char* caption) {
  int n = 0;
  while (static_cast<uint8_t>(caption[n]) >= 32) ++n;
  return caption[n] == '\0' ? n + 1 : n;
}

void draw_caption_text(const ScreenControl& c, int text_x, int y, const Cells& cells,
                       int caption_offset) {
  const char* text = c.caption;
  const bool small = (c.flags & CF_SMALL) != 0;
  if (c.flags & CF_DOC_NAME) {
    if (g_screen_entries.document_title == nullptr) return;
    text = g_screen_entries.document_title();
    if (text == nullptr) return;
    if (text[0] == '\0') text = "(no name yet)";
  }
  const int column = -text_x;  // every line from text x - 1
  if (small) {
    push_text_metrics();
    g_display.current = g_display.presets[FACE_ROLE_SMALL];
    draw_text_transparent(-(y + caption_offset), column, text);
    pop_text_metrics();
    return;
  }
  const int top = cells.height <= 14 ? y + 1 : y;
  if (c.flags & CF_CENTRED) {
    draw_text_transparent(-y, -c.x, text);
  } else if (c.flags & CF_NO_BOX) {
    g_text.opaque_text = 1;
    draw_text(-top, column, text);
    g_text.opaque_text = 0;
  } else {
    draw_text_transparent(-top, column, text);
  }
}

void draw_one(ScreenControl* c, const Cells& cells, int caption_offset) {
  Layout layout = lay_out(c, cells);
  if (c->flags & CF_HIDDEN) {
    if (!(c->flags & CF_REGION)) {
      fill_rect(c->x - 1, c->y, c->x + c->hit_width + 2, c->y + c->hit_height + 5,
                palette_pixel(PALETTE_BACKGROUND));
    }
    return;
  }
  c->drawn_width = c->hit_width;
  if (c->flags & CF_REGION) return;
  if (c->flags & CF_PICTURE) {
    draw_picture(c->style, c->x, c->y);
    return;
  }
  int box_style = BOX_RAISED;
  int x = c->x;
  int y = c->y;
  int height = c->hit_height;
  int width = c->drawn_width;
  bool caption = true;
  bool box = true;
  const int cw = (c->flags & CF_SMALL) ? cells.small_width : cells.width;
  if (c->flags & CF_FIT_CAPTION) {
    width = caption_cells(c->caption) * cw;
    box_style = BOX_ETCHED;
  } else if (c->flags & CF_GROUP_FRAME) {
    x -= cells.small_width;
    y -= cells.small_width;
    height += 2 * cells.small_width;
    width += cells.small_width;
    box_style = c->style;
    caption = false;
  } else if (c->flags & CF_CHECKBOX) {
    box = false;
    --height;
    width = 2 * cells.width;
    draw_check_box((c->flags & CF_CHECKED) != 0, c->x, c->y);
    layout.text_x += 2 * cells.width;
  } else if (c->flags & CF_RADIO) {
    --height;
    ++y;
    width = 2 * cells.width;
    box_style = BOX_SUNKEN;
    layout.text_x += 2 * cells.width;
  } else if (c->flags & CF_ENTRY) {
    box_style = BOX_SUNKEN;
    ++y;
    --height;
  } else if (c->flags & CF_FRAMED_LABEL) {
    box_style = BOX_ETCHED | BOX_THIN;
    width -= 3;
    ++y;
    --height;
  } else if (c->flags & CF_NO_BOX) {
    box = false;
  }
  c->drawn_width = static_cast<int16_t>(width);
  if (box) draw_box(box_style, -y, x, height, width, 0);
  if ((c->flags & CF_RADIO) && (c->flags & CF_CHECKED)) {
    const char mark[] = {static_cast<char>(TC_HIGHLIGHT), static_cast<char>(TC_GLYPH),
                         static_cast<char>(7 + 33), 0};
    draw_text_transparent(-(c->y + 1), c->x + cells.width / 2, mark);
  }
  if (!caption) return;
  if (is_title_button(*c)) {
    draw_title_glyph(*c, cells.height);
    return;
  }
  draw_caption_text(*c, layout.text_x, c->y, cells, caption_offset);
}

}  // namespace

ScreenControl make_control(const char* caption, uint8_t id, int row, int column, int height,
                           int width, int hint, uint32_t flags) {
  ScreenControl c;
  std::strncpy(c.caption, caption, CONTROL_CAPTION_SIZE - 1);
  c.id = id;
  c.row = static_cast<int16_t>(row);
  c.column = static_cast<int16_t>(column);
  c.height = static_cast<int16_t>(height);
  c.width = static_cast<int16_t>(width);
  c.hint = static_cast<int16_t>(hint);
  c.flags = flags;
  return c;
}

ScreenControl end_control() {
  ScreenControl c;
  c.flags = CF_END;
  return c;
}

void append_title_buttons(std::vector<ScreenControl>* table) {
  table->push_back(make_control("-", CONTROL_ID_MINIMISE, 0, -7, 1, 1, 0, 0));
  table->push_back(make_control("=", CONTROL_ID_SIZE, 0, -4, 1, 1, 0, 0));
  table->push_back(make_control("X", CONTROL_ID_CLOSE, 0, -1, 1, 1, 0, 0));
  table->push_back(make_control("^", CONTROL_ID_POSITION, 0, 0, 1, 1, 1, 0));
  table->push_back(end_control());
}

void layout_control(ScreenControl* control) { lay_out(control, menu_cells()); }

void draw_controls(ScreenControl* table, int count) {
  if (table == nullptr) return;
  if (count == 0 && table != g_controls.active) {
    g_controls.active = table;
    g_controls.hit_test_off = false;
  }
  if (g_text.screen.target == nullptr) {
    for (int i = 0; table[i].flags != CF_END && (count == 0 || i < count); ++i)
      layout_control(&table[i]);
    return;
  }
  // The caller's colours come back as they were, whether they came from a base or not.
  const ColourScheme scheme = g_attributes.scheme;
  const int16_t colour_base = g_attributes.colour_base;
  // Captions are never drawn with the window's visible spaces.
  const uint32_t spaces =
      g_text.area.flags != nullptr ? *g_text.area.flags & TEXT_AREA_SHOW_SPACES : 0;
  if (g_text.area.flags != nullptr) *g_text.area.flags &= ~TEXT_AREA_SHOW_SPACES;
  set_colour_base(0);
  push_text_metrics();
  hide_pointer();
  g_display.current = g_display.presets[FACE_ROLE_MENU];
  const Cells cells = menu_cells();
  const int caption_offset = g_display.band <= 3 ? (cells.height - cells.small_height) / 2 : 2;
  for (int i = 0; table[i].flags != CF_END && (count == 0 || i < count); ++i) {
    g_text.opaque_text = 0;
    draw_one(&table[i], cells, caption_offset);
  }
  g_text.opaque_text = 1;
  pop_text_metrics();
  g_attributes.colour_base = colour_base;
  g_attributes.scheme = scheme;
  if (g_text.area.flags != nullptr) *g_text.area.flags |= spaces;
}

void toggle_control(int n) {
  if (g_controls.active == nullptr) return;
  g_controls.active[n].flags ^= CF_CHECKED;
  draw_controls(&g_controls.active[n], 1);
}

void select_radio(ScreenControl* group, int n, int count) {
  if (group == nullptr || (group[n].flags & CF_CHECKED)) return;
  for (int i = 0; i < count; ++i) group[i].flags &= ~CF_CHECKED;
  group[n].flags |= CF_CHECKED;
  draw_controls(group, count);
}

void redraw_position_button() {
  if (g_controls.active == nullptr) return;
  for (ScreenControl* c = g_controls.active; c->flags != CF_END; ++c) {
    if (c->caption[0] == '^') {
      draw_controls(c, 1);
      return;
    }
  }
}

int hit_test_controls(int x, int y) {
  if (g_controls.hit_test_off || g_controls.active == nullptr) return -1;
  for (const ScreenControl* c = g_controls.active; c->flags != CF_END; ++c) {
    if (c->flags & (CF_HIDDEN | CF_NO_BOX)) continue;
    if (x < c->x || x > c->x + c->hit_width || y < c->y || y > c->y + c->hit_height) continue;
    if (c->flags & CF_ENTRY) set_pointer_shape(POINTER_TEXT);
    return c->id;
  }
  return -1;
}

ScreenControl* find_control_in(ScreenControl* table, int id) {
  if (table == nullptr) return nullptr;
  for (ScreenControl* c = table; c->flags != CF_END; ++c) {
    if (c->id == id) return c;
  }
  return nullptr;
}

ScreenControl* find_control(int id) { return find_control_in(g_controls.active, id); }

void push_control_table() { g_controls.table_stack.push_back(g_controls.active); }

void pop_control_table() {
  if (g_controls.table_stack.empty()) return;
  // The hovered control is a record of the table given up, which its owner may free next.
  forget_hovered_control();
  g_controls.active = g_controls.table_stack.back();
  g_controls.table_stack.pop_back();
}

void push_hit_state() {
  g_controls.hit_stack.push_back({g_controls.hit_test_off, g_form.caption_hidden_count});
}

void pop_hit_state() {
  if (g_controls.hit_stack.empty()) return;
  const HitState state = g_controls.hit_stack.back();
  g_controls.hit_stack.pop_back();
  g_controls.hit_test_off = state.hit_test_off;
  g_form.caption_hidden_count = state.caption_hidden_count;
}

void reset_controls() { g_controls = ControlState(); }
