// The pointer pictures, drawn as text: 'X' black, 'o' white, anything else transparent. Each row
// is one picture row from the top; missing rows and columns are transparent.
#include <array>
#include <memory>

#include "screen/pointer.h"

namespace {

constexpr const char* ARROW[] = {
    "X",           "XX",          "XoX",         "XooX",        "XoooX",
    "XooooX",      "XoooooX",     "XooooooX",    "XoooooooX",   "XooooooooX",
    "XoooooXXXXX", "XooXooX",     "XoX XooX",    "XX  XooX",    "X    XooX",
    "     XooX",   "      XX",
};

constexpr const char* TEXT_BEAM[] = {
    "XXX XXX", "   X", "   X", "   X", "   X", "   X", "   X", "   X",
    "   X",     "   X", "   X", "   X", "   X", "   X", "   X", "   X",
    "XXX XXX",
};

constexpr const char* HAND[] = {
    "               XX",
    "              XooX",
    "              XooX",
    "              XooX",
    "              XooXXX",
    "              XooXooXXX",
    "           XX XooXooXooXX",
    "          XooXXooXooXooXoX",
    "          XoooXooooooooooX",
    "           XooooooooooooooX",
    "            XoooooooooooooX",
    "            XooooooooooooX",
    "             XoooooooooooX",
    "             XooooooooooX",
    "              XoooooooooX",
    "              XXXXXXXXXXX",
};

constexpr const char* MOVE[] = {
    "    X",      "   XoX",     "  XoooX",    " XXXoXXX",   "X  XoX  X",  "XXXXoXXXXX",
    "XoooooooooX", "XXXXoXXXXX", "X  XoX  X",  " XXXoXXX",   "  XoooX",    "   XoX",
    "    X",
};

constexpr const char* HOURGLASS[] = {
    "XXXXXXXXXXX", "XoooooooooX", " XoooooooX", "  XoooooX",  "   XoooX",
    "    XoX",     "   XoooX",    "  XoooooX",  " XoooooooX", "XoooooooooX",
    "XXXXXXXXXXX",
};

// The crosshair: centred in the picture, where its hot spot is.
constexpr const char* CROSSHAIR[] = {
    "               X",  "               X",  "               X",  "               X",
    "               X",  "               X",  "               X",  "               X",
    "               X",  "               X",  "               X",  "               X",
    "               X",  "               X",  "               X",
    "XXXXXXXXXXXXXXXXXXXXXXXXXXXXXXX",
    "               X",  "               X",  "               X",  "               X",
    "               X",  "               X",  "               X",  "               X",
    "               X",  "               X",  "               X",  "               X",
    "               X",  "               X",  "               X",
};

template <size_t N>
void draw_rows(CanvasSprite* sprite, const char* const (&rows)[N], int left, int top) {
  for (size_t r = 0; r < N; ++r) {
    const int y = top + static_cast<int>(r);
    if (y < 0 || y >= CANVAS_SPRITE_SIZE) continue;
    for (int c = 0; rows[r][c] != '\0'; ++c) {
      const int x = left + c;
      if (x < 0 || x >= CANVAS_SPRITE_SIZE) continue;
      const char p = rows[r][c];
      if (p != 'X' && p != 'o') continue;
      sprite->and_mask[y] &= ~(1u << (31 - x));
      sprite->xor_image[y * CANVAS_SPRITE_SIZE + x] = p == 'o' ? 0xFFFFFFu : 0u;
    }
  }
}

void clear_sprite(CanvasSprite* sprite) {
  for (uint32_t& row : sprite->and_mask) row = 0xFFFFFFFFu;
}

// A shape without a drawing of its own but with a hot spot inside the picture: a small cross
// with a white rim, centred on the hot spot.
void draw_marker(CanvasSprite* sprite, int hx, int hy) {
  constexpr const char* MARKER[] = {
      "   ooo", "   oXo", "   oXo", "ooooXoooo", "oXXXXXXXo", "ooooXoooo", "   oXo", "   oXo",
      "   ooo",
  };
  draw_rows(sprite, MARKER, std::min(hx, CANVAS_SPRITE_SIZE - 1) - 4,
            std::min(hy, CANVAS_SPRITE_SIZE - 1) - 4);
}

struct PointerPictures {
  std::array<CanvasSprite, POINTER_LAST_SHAPE + 1> sprites;
};

std::unique_ptr<PointerPictures> make_pictures() {
  auto pictures = std::make_unique<PointerPictures>();
  for (int shape = 0; shape <= POINTER_LAST_SHAPE; ++shape) {
    CanvasSprite* sprite = &pictures->sprites[shape];
    clear_sprite(sprite);
    int16_t dx = 0;
    int16_t dy = 0;
    pointer_hot_spot(shape, &dx, &dy);
    switch (shape) {
      case POINTER_NONE:
        break;
      case POINTER_TEXT:
        draw_rows(sprite, TEXT_BEAM, -3, 0);
        break;
      case POINTER_HAND:
      case POINTER_HAND_PRESSED:
        draw_rows(sprite, HAND, 0, 0);
        break;
      case POINTER_TITLE_BAND:
        draw_rows(sprite, ARROW, 0, 0);
        draw_rows(sprite, MOVE, 12, 12);
        break;
      case POINTER_WAIT:
        draw_rows(sprite, HOURGLASS, 0, 0);
        break;
      case POINTER_CROSSHAIR:
        draw_rows(sprite, CROSSHAIR, 0, 0);
        break;
      default:
        if (dx != 0 || dy != 0) {
          draw_marker(sprite, dx, dy);
        } else {
          draw_rows(sprite, ARROW, 0, 0);
        }
        break;
    }
  }
  return pictures;
}

}  // namespace

const CanvasSprite& pointer_picture(int shape) {
  // Built once from the drawings above; the pictures never change while the program runs.
  static const std::unique_ptr<PointerPictures> pictures = make_pictures();
  if (shape < 0 || shape > POINTER_LAST_SHAPE) shape = POINTER_ARROW;
  return pictures->sprites[shape];
}
