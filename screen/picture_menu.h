// The picture grid menu: one picture of the picture file shown as a grid of cells to pick from.
#pragma once

// Stand-in: shows no grid and reports a cancel (-1).
inline int picture_grid_menu(int /*picture*/, int /*rows*/, int /*columns*/, int /*x*/, int /*y*/,
                             int /*allow_middle*/, int /*header*/, int /*start_cell*/) {
  return -1;
}
