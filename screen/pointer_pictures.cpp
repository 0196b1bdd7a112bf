// The pointer's pictures, laid out from the drawings of the interface picture file: black and
// white pixels of a drawing are opaque, its see-through colour keeps the screen below. Rebuilt
// whenever another picture file has been opened; with none open every shape is see-through.
#include <array>
#include <memory>

#include "screen/picture_file.h"
#include "screen/pointer.h"
#include "store/picture_numbers.h"

namespace {

struct PointerPictures {
  int built_for = -1;  // g_picture_file.opened_count the sprites were built for
  std::array<CanvasSprite, POINTER_LAST_SHAPE + 1> sprites;
};
// The sprites are large (4 KB each): kept apart from the pointer's state, built on first use.
std::unique_ptr<PointerPictures> g_pictures;

// Lays picture n on the sprite with its top-left corner at (left, top).
void lay_picture(CanvasSprite* sprite, const Surface& picture, int left, int top) {
  for (int y = 0; y < picture.height; ++y) {
    const int sy = top + y;
    if (sy < 0 || sy >= CANVAS_SPRITE_SIZE) continue;
    for (int x = 0; x < picture.width; ++x) {
      const int sx = left + x;
      const uint32_t p = picture.pixels[static_cast<size_t>(y) * picture.width + x];
      if (sx < 0 || sx >= CANVAS_SPRITE_SIZE || p == PICTURE_SEE_THROUGH) continue;
      sprite->and_mask[sy] &= ~(1u << (31 - sx));
      sprite->xor_image[sy * CANVAS_SPRITE_SIZE + sx] = p;
    }
  }
}

void lay(CanvasSprite* sprite, int picture, int left, int top) {
  Surface drawing;
  if (read_picture(picture, &drawing)) lay_picture(sprite, drawing, left, top);
}

void build_sprite(int shape, CanvasSprite* sprite) {
  *sprite = CanvasSprite{};
  for (uint32_t& row : sprite->and_mask) row = 0xFFFFFFFFu;
  int16_t dx = 0;
  int16_t dy = 0;
  pointer_hot_spot(shape, &dx, &dy);
  switch (shape) {
    case POINTER_NONE:
      break;
    case POINTER_TEXT:
      lay(sprite, PICTURE_POINTER_TEXT_BEAM, -3, 0);
      break;
    case POINTER_HAND:
    case POINTER_HAND_PRESSED:
      lay(sprite, PICTURE_POINTER_HAND, 0, 0);
      break;
    case POINTER_TITLE_BAND:
      lay(sprite, PICTURE_POINTER_ARROW, 0, 0);
      lay(sprite, PICTURE_POINTER_MOVE, 12, 12);
      break;
    case POINTER_WAIT:
      lay(sprite, PICTURE_POINTER_HOURGLASS, 0, 0);
      break;
    case POINTER_CROSSHAIR:
      lay(sprite, PICTURE_POINTER_CROSSHAIR, 0, 0);
      break;
    default:
      if (dx != 0 || dy != 0) {
        // The marker's centre on the hot spot, kept on the picture.
        lay(sprite, PICTURE_POINTER_MARKER, std::min<int>(dx, CANVAS_SPRITE_SIZE - 1) - 4,
            std::min<int>(dy, CANVAS_SPRITE_SIZE - 1) - 4);
      } else {
        lay(sprite, PICTURE_POINTER_ARROW, 0, 0);
      }
      break;
  }
}

}  // namespace

const CanvasSprite& pointer_picture(int shape) {
  if (!g_pictures) g_pictures = std::make_unique<PointerPictures>();
  PointerPictures& pictures = *g_pictures;
  if (pictures.built_for != g_picture_file.opened_count) {
    for (int s = 0; s <= POINTER_LAST_SHAPE; ++s) build_sprite(s, &pictures.sprites[s]);
    pictures.built_for = g_picture_file.opened_count;
  }
  if (shape < 0 || shape > POINTER_LAST_SHAPE) shape = POINTER_ARROW;
  return pictures.sprites[shape];
}
