#include "editor/page_strip.h"

#include <cstring>

#include "editor/page_furniture.h"

PageStrip g_page_strip;

namespace {

struct StripRecord {
  const char* caption;
  uint8_t id;
  int row, column, width;
  uint32_t flags;
  int16_t picture;  // picture buttons: the picture number
};

// Rows and columns in cells; a negative column counts from the right edge. The side panel's
// zoom panel stands in its upper rows.
const StripRecord STRIP[] = {
    {"File \x08" "A", STRIP_FILE, 3, 2, 6, 0, 0},
    {"Edit", STRIP_EDIT, 3, 18, 4, 0, 0},
    {"Menu", STRIP_MENU, 1, 4, 4, 0, 0},
    {"Show", STRIP_SHOW, 3, 34, 4, 0, 0},
    {"Draw", STRIP_DRAW, 3, 12, 4, 0, 0},
    {"Symbol", STRIP_SYMBOL, 3, 24, 6, 0, 0},
    {"\x0c" "Append mode", STRIP_APPEND, 3, -15, 11, CF_CHECKBOX, 0},
    {"L:   0", STRIP_LAYER, 3, 48, 6, 0, 0},
    {"", STRIP_AXIS_LOCK, 3, 70, 4, CF_PICTURE, AXIS_LOCK_PICTURE},
    {"   sides", STRIP_SIDES, 3, -27, 9, STRIP_HIDDEN, 0},
    {"Marks", STRIP_MARKS, 3, 58, 5, STRIP_HIDDEN, 0},
    {"Image", STRIP_IMAGE, 3, 40, 5, 0, 0},
    {"G", STRIP_GRID, 3, -40, 6, 0, 0},
    // The item panel's navigation buttons, in the panel's lower rows; a running panel hands a
    // press on one to the button before its form sees it (PanelClickGuard).
    {"Header/Tool/CAM", 72, 24, -20, 15, STRIP_HIDDEN, 0},
    {"\x08+\x08+First", 71, 25, -22, 8, STRIP_HIDDEN, 0},
    {" Prev \x08+", 73, 25, -12, 8, STRIP_HIDDEN, 0},
    {" Next \x08.", 74, 26, -12, 8, STRIP_HIDDEN, 0},
    {"\x08.\x08. Last", 76, 26, -22, 8, STRIP_HIDDEN, 0},
    {"\x08+Add link to front", 70, 27, -22, 18, STRIP_HIDDEN, 0},
    {"\x08. Add link to end ", 75, 27, -22, 18, STRIP_HIDDEN, 0},
    {" Symmetry line", 77, 27, -20, 14, STRIP_HIDDEN, 0},
    {" Delete this link ", 78, 28, -22, 18, STRIP_HIDDEN, 0},
    {" Go back to #12345", 81, 24, -22, 18, STRIP_HIDDEN, 0},
    {" First link ", 79, 25, -19, 12, STRIP_HIDDEN, 0},
    {" Last link  ", 80, 26, -19, 12, STRIP_HIDDEN, 0},
    {"Lock on Header", 82, 30, -19, 15, STRIP_HIDDEN | CF_CHECKBOX, 0},
    {"Reset with my CAM defaults", STRIP_PANEL_RESET, 15, -24, 22, STRIP_HIDDEN, 0},
    {"Zoom", STRIP_ZOOM_LABEL, 6, -22, 4, CF_NO_BOX, 0},
    {"IN", STRIP_ZOOM_IN, 7, -22, 4, 0, 0},
    {"OUT", STRIP_ZOOM_OUT, 7, -16, 4, 0, 0},
    {"to Window", STRIP_TO_WINDOW, 8, -22, 9, 0, 0},
    {"to All", STRIP_TO_ALL, 8, -11, 6, 0, 0},
    {"Set center of screen", STRIP_SET_CENTRE, 9, -22, 20, 0, 0},
    {"Pan", STRIP_PAN, 10, -22, 4, 0, 0},
    {"Redraw", STRIP_REDRAW, 10, -16, 6, 0, 0},
    {"Start measuring from...", STRIP_TOOL_START, 11, -32, 23, STRIP_HIDDEN, 0},
    {"No flicker", STRIP_NO_FLICKER, 12, -22, 10, CF_CHECKBOX, 0},
};

}  // namespace

ScreenControl* page_strip_table() {
  std::vector<ScreenControl>& table = g_page_strip.controls;
  if (table.empty()) {
    for (const StripRecord& r : STRIP) {
      ScreenControl c = make_control(r.caption, r.id, r.row, r.column, 1, r.width, 0, r.flags);
      c.style = r.picture;
      table.push_back(c);
    }
    append_title_buttons(&table);
  }
  return table.data();
}

ScreenControl* page_strip_control(int id) { return find_control_in(page_strip_table(), id); }

void draw_page_strip() { draw_controls(page_strip_table(), 0); }

bool set_strip_control_shown(int id, bool shown) {
  ScreenControl* c = page_strip_control(id);
  if (c == nullptr || ((c->flags & CF_HIDDEN) == 0) == shown) return false;
  if (shown) {
    c->flags &= ~STRIP_HIDDEN;
  } else {
    // Drawn hidden without its region flag, a control is painted over with the background.
    c->flags = (c->flags & ~CF_REGION) | CF_HIDDEN;
    draw_controls(c, 1);
    c->flags |= STRIP_HIDDEN;
    return true;
  }
  draw_controls(c, 1);
  return true;
}

void hide_strip_controls(int first_id, int last_id, bool hidden) {
  ScreenControl* table = page_strip_table();
  for (ScreenControl* c = table; c->flags != CF_END; ++c) {
    if (c->id < first_id || c->id > last_id) continue;
    if (hidden) c->flags |= STRIP_HIDDEN;
    else c->flags &= ~STRIP_HIDDEN;
  }
}

void reset_page_strip() { g_page_strip = PageStrip{}; }
