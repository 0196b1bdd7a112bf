#include "screen/display_mode.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>

#include "platform/window.h"
#include "screen/boxes.h"
#include "screen/interface_settings.h"

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

void apply_display_mode(int /*choice*/) {
  const Surface* screen = window_surface();
  const int width = std::max(screen->width, 1);
  const int height = std::max(screen->height, 1);
  g_display.screen_width = static_cast<int16_t>(width - 1);
  g_display.screen_height = static_cast<int16_t>(height - 1);
  choose_band(band_of_size(width, height));
  g_display.current = g_display.presets[FACE_ROLE_NORMAL];
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
