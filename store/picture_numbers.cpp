#include "store/picture_numbers.h"

#include <array>

namespace {

constexpr int JOB_W = 240;  // the job settings' picture area
constexpr int JOB_H = 168;
constexpr int UTILITY_W = 128;  // a utility button: 8 x 6 picture units
constexpr int UTILITY_H = 96;

constexpr NamedPicture PICTURES[] = {
    {PICTURE_HANDLE_MENU, 1, 5, 0, 0, 0},
    {PICTURE_PATTERN_KIND_MENU, 6, 1, 0, 0, 0},
    {PICTURE_SYMMETRY_MENU, 1, 3, PICTURE_SYMMETRY_MENU_HEADER, 0, 0},
    {PICTURE_DRAWING_TOOLS_MENU, 4, 4, 0, 0, 0},
    {PICTURE_NODE_MENU, 6, 4, 0, 0, 0},
    {PICTURE_TEXT_NODE_MENU, 7, 2, 0, 0, 0},
    {PICTURE_POINT_KIND_MENU, 7, 1, 0, 0, 0},
    {PICTURE_SURFACE_MENU, 4, 4, 0, 0, 0},
    {PICTURE_LINE_STYLE_MENU, 5, 1, 0, 0, 0},
    {PICTURE_MIRROR_MENU, 1, 3, 25, 0, 0},
    {PICTURE_COPY_MOVE_MENU, 1, 2, 35, 0, 0},
    {PICTURE_ROTATE_MENU, 1, 3, 22, 0, 0},
    {PICTURE_STRINGER_TYPE_MENU, 2, 3, 0, 0, 0},
    {PICTURE_LEGEND_LARGE, 0, 0, 0, 0, 0},
    {PICTURE_LEGEND_LARGE + 1, 0, 0, 0, 0, 0},
    {PICTURE_LEGEND_LARGE + 2, 0, 0, 0, 0, 0},
    {PICTURE_LEGEND_SMALL, 0, 0, 0, 0, 0},
    {PICTURE_LEGEND_SMALL + 1, 0, 0, 0, 0, 0},
    {PICTURE_LEGEND_SMALL + 2, 0, 0, 0, 0, 0},
    {PICTURE_JOB_POST_PROCESSOR, 0, 0, 0, JOB_W, JOB_H},
    {PICTURE_JOB_SURFACE, 0, 0, 0, JOB_W, JOB_H},
    {PICTURE_JOB_MATERIAL_BOX, 0, 0, 0, JOB_W, JOB_H},
    {PICTURE_JOB_TEMPLATE, 0, 0, 0, JOB_W, JOB_H},
    {155, 0, 0, 0, JOB_W, JOB_H},
    {156, 0, 0, 0, JOB_W, JOB_H},
    {157, 0, 0, 0, JOB_W, JOB_H},
    {158, 0, 0, 0, JOB_W, JOB_H},
    {159, 0, 0, 0, JOB_W, JOB_H},
    {160, 0, 0, 0, JOB_W, JOB_H},
    {161, 0, 0, 0, JOB_W, JOB_H},
    {162, 0, 0, 0, JOB_W, JOB_H},
    {163, 0, 0, 0, JOB_W, JOB_H},
    {164, 0, 0, 0, JOB_W, JOB_H},
    {193, 0, 0, 0, UTILITY_W, UTILITY_H},
    {194, 0, 0, 0, UTILITY_W, UTILITY_H},
    {195, 0, 0, 0, UTILITY_W, UTILITY_H},
    {196, 0, 0, 0, UTILITY_W, UTILITY_H},
    {198, 0, 0, 0, UTILITY_W, UTILITY_H},
    {199, 0, 0, 0, UTILITY_W, UTILITY_H},
    {200, 0, 0, 0, UTILITY_W, UTILITY_H},
    {PICTURE_PAN_BUTTON, 0, 0, 0, 48, 16},  // 3 x 1 picture units
    {PICTURE_AXIS_LOCK_FREE - 2, 0, 0, 0, 64, 16},  // 4 x 1
    {PICTURE_AXIS_LOCK_FREE - 1, 0, 0, 0, 64, 16},
    {PICTURE_AXIS_LOCK_FREE, 0, 0, 0, 64, 16},
    {PICTURE_POINTER_ARROW, 0, 0, 0, 32, 32},
    {PICTURE_POINTER_TEXT_BEAM, 0, 0, 0, 32, 32},
    {PICTURE_POINTER_HAND, 0, 0, 0, 32, 32},
    {PICTURE_POINTER_MOVE, 0, 0, 0, 32, 32},
    {PICTURE_POINTER_HOURGLASS, 0, 0, 0, 32, 32},
    {PICTURE_POINTER_CROSSHAIR, 0, 0, 0, 32, 32},
    {PICTURE_POINTER_MARKER, 0, 0, 0, 9, 9},
    {PICTURE_CHECK_BOX, 0, 0, 0, 13, 13},
    {PICTURE_CHECK_BOX + 1, 0, 0, 0, 13, 13},
    {PICTURE_CHECK_BOX + 2, 0, 0, 0, 16, 16},
    {PICTURE_CHECK_BOX + 3, 0, 0, 0, 16, 16},
    {PICTURE_CHECK_BOX + 4, 0, 0, 0, 20, 20},
    {PICTURE_CHECK_BOX + 5, 0, 0, 0, 20, 20},
};

// Every number the surface table of the job settings holds above 32, and the pictures of row 8.
constexpr std::array<int, 58> SURFACE_PICTURES = {
    41, 42, 43, 44, 45, 46, 47, 48, 49, 50, 51, 52, 53, 54, 55, 56, 57, 58, 59, 60,
    61, 62, 63, 64, 65, 66, 67, 68, 69, 70, 71, 72, 78, 79, 80, 81, 82, 83, 84, 85,
    86, 87, 88, 89, 90, 91, 94, 95, 96, 97, 98, 99, 100, 101, 102, 103, 104, 105};

}  // namespace

std::span<const NamedPicture> named_pictures() { return PICTURES; }

std::span<const int> surface_picture_numbers() { return SURFACE_PICTURES; }
