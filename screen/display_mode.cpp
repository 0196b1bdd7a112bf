#include "screen/display_mode.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>

#include "platform/window.h"
#include "screen/boxes.h"
#include "screen/interface_settings.h"
#include "screen/main_form.h"

namespace {

const std::array<std::string, FACE_TABLE_SIZE> DEFAULT_FACE_NAMES = {
    "qx8x16", "qx10x20", "qx12x24", "qx12x24", "qx14x28", "qx14x28",
    "qx6x10", "qx6x12",  "qx8x14",  "qx8x14",  "qx8x16",  "qx8x16"};

struct CellSize {
  int width;
  int height;
};

// Band 1 with the smaller faces, for screens too short for the band's menu rows.
constexpr CellSize FALLBACK_CELLS[FACE_ROLE_COUNT] = {{8, 16}, {8, 14}, {6, 10}, {6, 10}, {0, 0}};
constexpr int FEWEST_NORMAL_COLUMNS = 78;
constexpr int FEWEST_MENU_ROWS = 35;

// Cell sizes of the roles per band: normal, menu, small, tiny, micro (0 x 0: none).
constexpr CellSize BAND_CELLS[6][FACE_ROLE_COUNT] = {
    {{8, 14}, {6, 12}, {6, 10}, {6, 10}, {0, 0}},
    {{10, 20}, {8, 16}, {6, 12}, {6, 10}, {0, 0}},
    {{12, 24}, {10, 20}, {8, 16}, {8, 14}, {6, 10}},
    {{12, 24}, {10, 20}, {8, 16}, {8, 14}, {6, 10}},
    {{14, 28}, {12, 24}, {10, 20}, {8, 16}, {8, 14}},
    {{14, 28}, {12, 24}, {10, 20}, {8, 16}, {8, 14}},
};

int band_of_size(int width, int height) {
  int n = width < 760 ? 0 : width < 963 ? 1 : width < 1194 ? 2 : width < 1599 ? 4 : 5;
  if (height < 520) return 0;
  if (height < 703) return 1;
  if (height < 883) return std::min(n, 2);
  if (height < 1135) return std::min(n, 4);
  return n;
}

int face_index_of(const std::string& name) {
  for (int i = 0; i < FACE_TABLE_SIZE; ++i)
    if (g_display.face_names[i] == name) return i;
  return -1;
}

CellMetrics metrics_of(CellSize size) {
  CellMetrics m;
  if (size.width == 0) return m;
  m.face_index = static_cast<int16_t>(
      face_index_of("qx" + std::to_string(size.width) + "x" + std::to_string(size.height)));
  m.cell_width = static_cast<int16_t>(size.width);
  m.cell_height = static_cast<int16_t>(size.height);
  m.last_column = static_cast<int16_t>((g_display.screen_width + 1) / size.width - 1);
  m.last_row = static_cast<int16_t>((g_display.screen_height + 1) / size.height - 1);
  return m;
}

void fill_presets(int band, bool fallback) {
  g_display.face_names = DEFAULT_FACE_NAMES;
  if (band == 0) {
    g_display.face_names[0] = "qx6x12";
    g_display.face_names[1] = "qx8x14";
  } else if (fallback) {
    g_display.face_names[0] = "qx8x14";
    g_display.face_names[1] = "qx8x16";
  }
  const CellSize* cells = fallback ? FALLBACK_CELLS : BAND_CELLS[band];
  for (int role = 0; role < FACE_ROLE_COUNT; ++role)
    g_display.presets[role] = metrics_of(cells[role]);
  if (g_display.presets[FACE_ROLE_MICRO].cell_width == 0)
    g_display.presets[FACE_ROLE_MICRO] = g_display.presets[FACE_ROLE_TINY];
}

DisplayState initial_display() {
  DisplayState display;
  display.face_names = DEFAULT_FACE_NAMES;
  return display;
}

}  // namespace

DisplayState g_display = initial_display();

void choose_band(int band) {
  // Fewer than 78 normal columns do not hold the pages; a smaller band does. Band 1 on a screen
  // too short for its menu rows takes the smaller faces once; a larger band steps down.
  bool fallback = false;
  for (;;) {
    fill_presets(band, fallback);
    const CellMetrics& normal = g_display.presets[FACE_ROLE_NORMAL];
    const CellMetrics& menu = g_display.presets[FACE_ROLE_MENU];
    if (band > 0 && normal.last_column < FEWEST_NORMAL_COLUMNS) {
      --band;
      fallback = false;
      continue;
    }
    if (band == 1 && !fallback && menu.last_row <= FEWEST_MENU_ROWS) {
      fallback = true;
      continue;
    }
    if (band > 1 && menu.last_row < FEWEST_MENU_ROWS) {
      --band;
      continue;
    }
    break;
  }
  g_display.band = static_cast<uint8_t>(band);
  g_display.fell_back = fallback;
}

bool load_interface_font(const std::string& path, std::string* error) {
  return font_load(path, &g_display.font, error);
}

const FontFace* interface_face(int face_index) {
  if (face_index < 0 || face_index >= FACE_TABLE_SIZE) return nullptr;
  return font_find_face(g_display.font, g_display.face_names[face_index]);
}

namespace {

// The screen width and height values of the fixed choices.
constexpr int FIXED_SIZES[DISPLAY_CHOICE_LAST_FIXED + 1][2] = {
    {639, 479}, {799, 599}, {1023, 767}, {1151, 863}, {1279, 1023}, {1599, 1199}, {1791, 1343},
    {1855, 1391}};
constexpr int LAST_BAND = 5;

// The monitor that holds the stored form's top-left corner (once the form was placed), else the
// one the window is on, and its work area.
int form_monitor() {
  if (g_interface.form_x < 0 || g_interface.form_y < 0) return window_display_index();
  for (int i = 0; i < window_display_count(); ++i) {
    WindowRect bounds;
    WindowRect usable;
    if (window_display_bounds(i, &bounds, &usable) && g_interface.form_x >= bounds.x &&
        g_interface.form_x < bounds.x + bounds.width && g_interface.form_y >= bounds.y &&
        g_interface.form_y < bounds.y + bounds.height) {
      return i;
    }
  }
  return window_display_index();
}

void read_monitor() {
  const int display = form_monitor();
  if (!window_display_bounds(display, &g_display.monitor, &g_display.work)) {
    window_display_bounds(0, &g_display.monitor, &g_display.work);
  }
}

// The screen size values and the band the choice asks for.
int size_for_choice(int choice, int* width, int* height) {
  if (choice >= 0 && choice <= DISPLAY_CHOICE_LAST_FIXED) {
    // A fixed size taller than the monitor falls back to the next smaller one.
    int n = choice;
    while (n > 0 && g_display.monitor.height < FIXED_SIZES[n][1]) --n;
    *width = FIXED_SIZES[n][0];
    *height = FIXED_SIZES[n][1];
    return std::min(n, LAST_BAND);
  }
  int client_width = g_display.monitor.width;
  int client_height = g_display.monitor.height;
  if (choice != DISPLAY_CHOICE_WHOLE_MONITOR) {
    const Surface* screen = window_surface();
    client_width = std::max(screen->width, OWN_SIZE_MIN_WIDTH);
    client_height = std::max(screen->height, OWN_SIZE_MIN_HEIGHT);
  }
  *width = client_width - 1;
  *height = client_height - 1;
  return band_of_size(client_width, client_height);
}

// Keeps the form inside the work area (and on a monitor); x < 0 means never placed: centred.
void place_form(int width, int height, int* x, int* y) {
  const WindowRect& work = g_display.work;
  if (*x < 0 || *y < 0) {
    *x = work.x + std::max((work.width - width) / 2, 0);
    *y = work.y + std::max((work.height - height) / 2, 0);
  }
  bool on_a_monitor = false;
  for (int i = 0; i < window_display_count(); ++i) {
    WindowRect bounds;
    WindowRect usable;
    if (window_display_bounds(i, &bounds, &usable) && *x >= bounds.x && *x < bounds.x + bounds.width) {
      on_a_monitor = true;
    }
  }
  if (!on_a_monitor) *x = g_display.monitor.x;
  *y = std::max(*y, g_display.monitor.y);
  if (*x + width > work.x + work.width) *x = work.x + work.width - width;
  if (*y + height > work.y + work.height) *y = work.y + work.height - height;
  *x = std::max(*x, work.x);
  *y = std::max(*y, work.y);
}

// The window takes the screen's size and the form's place; where the window manager keeps it
// is what is stored.
void apply_to_window(int choice) {
  const int width = g_display.screen_width + 1;
  const int height = g_display.screen_height + 1;
  int x = g_interface.form_x;
  int y = g_interface.form_y;
  if (choice == DISPLAY_CHOICE_WHOLE_MONITOR) {
    window_set_fullscreen(true);
  } else {
    window_set_fullscreen(false);
    place_form(width, height, &x, &y);
    const Surface* screen = window_surface();
    if (screen->width != width || screen->height != height) window_set_size(width, height);
    window_set_position(x, y);
  }
  window_get_position(&x, &y);
  g_interface.form_x = static_cast<int16_t>(x);
  g_interface.form_y = static_cast<int16_t>(y);
  g_interface.client_width = static_cast<int16_t>(width);
  g_interface.client_height = static_cast<int16_t>(height);
}

}  // namespace

void apply_display_mode(int choice) {
  read_monitor();
  int width = 0;
  int height = 0;
  const int band = size_for_choice(choice, &width, &height);
  // No larger than the work area, unless the user is still dragging the form's edge.
  if (choice != DISPLAY_CHOICE_WHOLE_MONITOR && g_form.resize_pending != RESIZE_PAINTED) {
    width = std::min(width, std::max(g_display.work.width - 1, OWN_SIZE_MIN_WIDTH - 1));
    height = std::min(height, std::max(g_display.work.height - 1, OWN_SIZE_MIN_HEIGHT - 1));
  }
  g_display.screen_width = static_cast<int16_t>(width);
  g_display.screen_height = static_cast<int16_t>(height);
  choose_band(band);
  g_display.current = g_display.presets[FACE_ROLE_NORMAL];
  g_interface.applied_band = g_display.band;
  apply_to_window(choice);
}

void centre_form_on_screen() {
  read_monitor();
  const WindowRect& work = g_display.work;
  const int x = work.x + std::max((work.width - (g_display.screen_width + 1)) / 2, 0);
  const int y = work.y + std::max((work.height - (g_display.screen_height + 1)) / 2, 0);
  window_set_position(x, y);
  int at_x = 0;
  int at_y = 0;
  window_get_position(&at_x, &at_y);
  g_interface.form_x = static_cast<int16_t>(at_x);
  g_interface.form_y = static_cast<int16_t>(at_y);
  g_display.form_centred = true;
}

void form_to_monitor_corner() {
  read_monitor();
  int x = g_display.monitor.x;
  int y = g_display.monitor.y;
  place_form(g_display.screen_width + 1, g_display.screen_height + 1, &x, &y);
  window_set_position(x, y);
  window_get_position(&x, &y);
  g_interface.form_x = static_cast<int16_t>(x);
  g_interface.form_y = static_cast<int16_t>(y);
  g_display.form_centred = false;
}

int form_hit_test(int x, int y) {
  constexpr int EDGE = 4;  // pixels of the border that resize the borderless form
  const int width = g_display.screen_width + 1;
  const int height = g_display.screen_height + 1;
  if (x < EDGE || y < EDGE || x >= width - EDGE || y >= height - EDGE) return WINDOW_HIT_RESIZE;
  // The free title band: right of the last page tab, above the tabs' base line, clear of the
  // title-bar buttons at both ends.
  const int cw = g_display.presets[FACE_ROLE_NORMAL].cell_width;
  const std::vector<PageTab>& tabs = g_tab_strip.tabs;
  const int band_left = tabs.empty() ? 2 * cw : tabs.back().x + tabs.back().width + 2 * cw;
  if (y <= g_tab_strip.base_line - cw && x > band_left && x < width - 8 * cw) return WINDOW_HIT_DRAG;
  return WINDOW_HIT_NORMAL;
}

void toggle_form_position() {
  if (g_display.form_centred) {
    form_to_monitor_corner();
  } else {
    centre_form_on_screen();
  }
}

void layout_page_tab_strip() {
  const int ch = g_display.presets[FACE_ROLE_NORMAL].cell_height;
  // The smallest band leaves two more pixels below the drawing for its tighter cells.
  g_display.drawing_area_bottom =
      static_cast<int16_t>(g_display.screen_height - 2 * ch - (g_display.band == 1 ? 2 : 0));
  layout_tabs(page_tab_table(), 14, 0, 0, g_display.screen_width, 2 * ch - ch / 4);
}

namespace {

// Columns of n normal cells in cells of another face, rounded up.
int normal_columns_in(int n, const CellMetrics& face) {
  const int normal = g_display.presets[FACE_ROLE_NORMAL].cell_width;
  return face.cell_width > 0 ? (n * normal + face.cell_width - 1) / face.cell_width : n;
}

}  // namespace

int editing_window_size() {
  constexpr int EDITOR_FACE_MENU = 16;
  constexpr int EDITOR_FACE_SMALL = 32;
  // The editor leaves 20 normal columns at the right for the NC page's buttons.
  constexpr int BUTTON_COLUMNS = 20;
  int face = 0;
  FaceRole role = FACE_ROLE_NORMAL;
  if (g_interface.editor_face == EDITOR_FACE_MENU) {
    face = 1;
    role = FACE_ROLE_MENU;
  } else if (g_interface.editor_face == EDITOR_FACE_SMALL) {
    face = 2;
    role = FACE_ROLE_SMALL;
  }
  const CellMetrics& cells = g_display.presets[role];
  g_display.editor_rows = static_cast<int16_t>(cells.last_row - 2);
  g_display.editor_columns =
      static_cast<int16_t>(cells.last_column - normal_columns_in(BUTTON_COLUMNS, cells));
  return face;
}

void seed_random() { std::srand(static_cast<unsigned>(std::time(nullptr))); }

void reset_display() {
  BitmapFont font = std::move(g_display.font);
  g_display = initial_display();
  g_display.font = std::move(font);
}
