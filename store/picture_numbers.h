// The pictures of the interface picture file that the program names, and how each is shown: a
// picture menu lays a grid of rows x columns cells under a header band over its picture; a
// picture button or picture area has a fixed size. The shipped file holds every one of them
// (a suite check reads the built file against this table and the code's calls against it).
#pragma once

#include <cstdint>
#include <span>

struct NamedPicture {
  int number;
  int rows;     // picture menus: the grid; 0 for a picture shown whole
  int columns;
  int header;   // pixels above the grid
  int width;    // pictures shown whole: their size in pixels; 0 for any size
  int height;
};

// Picture menus
constexpr int PICTURE_HANDLE_MENU = 107;         // the handle of a point pattern: 1 x 5
constexpr int PICTURE_PATTERN_KIND_MENU = 108;   // pattern kinds 1-6: 6 x 1
constexpr int PICTURE_SYMMETRY_MENU = 109;       // how an open item becomes symmetric: 1 x 3
constexpr int PICTURE_SYMMETRY_MENU_HEADER = 90;
constexpr int PICTURE_DRAWING_TOOLS_MENU = 116;  // cell n is drawing tool 750 + n: 4 x 4
constexpr int PICTURE_NODE_MENU = 117;           // node-editor commands for an item: 6 x 4
constexpr int PICTURE_TEXT_NODE_MENU = 118;      // node-editor commands for a text item: 7 x 2
constexpr int PICTURE_POINT_KIND_MENU = 119;     // every pattern kind: 7 x 1
constexpr int PICTURE_SURFACE_MENU = 165;        // the work surfaces: 4 x 4
constexpr int PICTURE_LINE_STYLE_MENU = 166;     // a layer's line style: 5 x 1
constexpr int PICTURE_MIRROR_MENU = 189;         // 1 x 3 under a 25-pixel band
constexpr int PICTURE_COPY_MOVE_MENU = 190;      // 1 x 2 under a 35-pixel band
constexpr int PICTURE_ROTATE_MENU = 191;         // 1 x 3 under a 22-pixel band
constexpr int PICTURE_STRINGER_TYPE_MENU = 208;  // 2 x 3
// Pictures shown whole
constexpr int PICTURE_LEGEND_LARGE = 110;  // left, middle, right button: 110, 111, 112
constexpr int PICTURE_LEGEND_SMALL = 113;  // the same for small screens: 113, 114, 115
constexpr int PICTURE_JOB_POST_PROCESSOR = 145;
constexpr int PICTURE_JOB_SURFACE = 146;
constexpr int PICTURE_JOB_MATERIAL_BOX = 147;
constexpr int PICTURE_JOB_TEMPLATE = 154;  // rows 9-19 of the job settings: 154-164
constexpr int PICTURE_PAN_BUTTON = 204;
constexpr int PICTURE_AXIS_LOCK_FREE = 207;  // 206 along X, 205 along Y

// Pictures the screen services build from
constexpr int PICTURE_POINTER_ARROW = 220;      // 'X' black, 'o' white, the rest see-through
constexpr int PICTURE_POINTER_TEXT_BEAM = 221;
constexpr int PICTURE_POINTER_HAND = 222;
constexpr int PICTURE_POINTER_MOVE = 223;       // the four-way arrow of the title band
constexpr int PICTURE_POINTER_HOURGLASS = 224;
constexpr int PICTURE_POINTER_CROSSHAIR = 225;  // centred on its hot spot (15, 15)
constexpr int PICTURE_POINTER_MARKER = 226;     // the small cross of shapes without a drawing
constexpr int PICTURE_CHECK_BOX = 230;  // small band 230, 231 checked; 232, 233; large 234, 235
// The see-through colour of the pointer pictures: magenta, which no other picture uses.
constexpr uint32_t PICTURE_SEE_THROUGH = 0xFF00FF;

// Every named picture.
std::span<const NamedPicture> named_pictures();
// The pictures the job settings show for rows 2-8 of a surface (numbers from its table).
std::span<const int> surface_picture_numbers();
