// The software canvas: every drawing operation the program asks of its window, done in our own
// 32-bit pixels. A Canvas is a plain record (target surface, pen, brush, mix, text colours, face,
// clip rectangle); callers set its fields directly and these functions read them.
//
// Coordinates are surface pixels, y down. Rectangles are half-open (right and bottom lie outside)
// and thin lines leave out their end pixel, so a rubber band drawn twice with the XOR mix is gone
// without a trace. Any int coordinate is accepted: a shape is clipped in 64-bit or floating-point
// arithmetic before a pixel is stepped, so the work is bounded by the clip rectangle, never by
// how far off the surface a coordinate lies.
#pragma once

#include <climits>
#include <cstdint>
#include <span>
#include <string_view>

#include "platform/font.h"
#include "platform/surface.h"

struct CanvasPoint {
  int x = 0;  // pixels
  int y = 0;  // pixels, down
};

struct CanvasRect {
  int left = 0;    // first column inside
  int top = 0;     // first row inside
  int right = 0;   // first column outside
  int bottom = 0;  // first row outside
};

// A clip rectangle that lets everything through (the surface still limits it).
inline constexpr CanvasRect CANVAS_CLIP_NONE = {INT_MIN, INT_MIN, INT_MAX, INT_MAX};
// canvas_get_pixel outside the surface.
inline constexpr uint32_t CANVAS_NO_PIXEL = 0xFFFFFFFFu;

// How a pen or brush colour P meets the pixel D already there. Numbered as the classic binary
// raster operations, so a pen-mode number kept in the program's data can be used as it stands.
enum CanvasMix : uint8_t {
  CANVAS_MIX_BLACK = 1,           // 0
  CANVAS_MIX_NOT_MERGE = 2,       // ~(P | D)
  CANVAS_MIX_MASK_NOT_PEN = 3,    // ~P & D
  CANVAS_MIX_NOT_COPY = 4,        // ~P
  CANVAS_MIX_MASK_PEN_NOT = 5,    // P & ~D
  CANVAS_MIX_NOT = 6,             // ~D; twice restores
  CANVAS_MIX_XOR = 7,             // P ^ D; twice restores
  CANVAS_MIX_NOT_MASK = 8,        // ~(P & D)
  CANVAS_MIX_MASK = 9,            // P & D: black darkens, white leaves the pixel
  CANVAS_MIX_NOT_XOR = 10,        // ~(P ^ D)
  CANVAS_MIX_NOP = 11,            // D
  CANVAS_MIX_MERGE_NOT_PEN = 12,  // ~P | D
  CANVAS_MIX_COPY = 13,           // P
  CANVAS_MIX_MERGE_PEN_NOT = 14,  // P | ~D
  CANVAS_MIX_MERGE = 15,          // P | D
  CANVAS_MIX_WHITE = 16,          // 0xFFFFFF
};

enum CanvasPenStyle : uint8_t {
  CANVAS_PEN_SOLID,
  CANVAS_PEN_DASH,          // 18 on, 6 off
  CANVAS_PEN_DOT,           // 3 on, 3 off
  CANVAS_PEN_DASH_DOT,      // 9 on, 6 off, 3 on, 6 off
  CANVAS_PEN_DASH_DOT_DOT,  // 9 on, 3 off, 3 on, 3 off, 3 on, 3 off
  CANVAS_PEN_NONE,          // no outline at all
};

struct CanvasPen {
  uint32_t colour = 0;                     // 0x00RRGGBB
  int width = 1;                           // pixels; 0 and 1 are thin; 2 and more are solid, round-capped
  CanvasPenStyle style = CANVAS_PEN_SOLID;  // thin pens only; curves are drawn solid
  int phase = 0;                           // pixels into the style where each line or outline starts
};

enum CanvasBrushKind : uint8_t {
  CANVAS_BRUSH_SOLID,
  CANVAS_BRUSH_HOLLOW,   // no fill
  CANVAS_BRUSH_PATTERN,  // 8 x 8 pattern, aligned to the surface's (0, 0)
};

struct CanvasBrush {
  CanvasBrushKind kind = CANVAS_BRUSH_SOLID;
  uint32_t colour = 0xFFFFFF;   // solid colour; colour of a pattern's set bits
  uint32_t background = 0;      // colour of a pattern's clear bits
  uint8_t pattern[8] = {};      // pattern rows, top first; bit 7 = leftmost pixel
};

struct Canvas {
  Surface* target = nullptr;          // drawn on; nothing is drawn while null
  CanvasPen pen;                      // outlines and lines
  CanvasBrush brush;                  // insides of shapes, canvas_fill_rect
  CanvasMix mix = CANVAS_MIX_COPY;    // for pen, brush and text pixels; not for pixels set one by one, blits, sprites or DIBs
  uint32_t text_colour = 0;           // glyph pixels
  uint32_t text_background = 0xFFFFFF;  // the rest of each cell, when opaque
  bool text_opaque = true;            // false: only glyph pixels are drawn
  const FontFace* face = nullptr;     // text is not drawn without one (nor with a malformed one)
  CanvasRect clip = CANVAS_CLIP_NONE;  // always further limited to the surface
};

// Keeps the canvas's pen, brush and mix and gives them back when it goes out of scope, so a
// drawing routine leaves the caller's tools as it found them.
struct CanvasKeep {
  Canvas* canvas;
  CanvasPen pen;
  CanvasBrush brush;
  CanvasMix mix;
  explicit CanvasKeep(Canvas* c) : canvas(c), pen(c->pen), brush(c->brush), mix(c->mix) {}
  ~CanvasKeep() {
    canvas->pen = pen;
    canvas->brush = brush;
    canvas->mix = mix;
  }
  CanvasKeep(const CanvasKeep&) = delete;
  CanvasKeep& operator=(const CanvasKeep&) = delete;
};

// Setup
// Resets every field to its default and aims the canvas at target.
void canvas_init(Canvas* canvas, Surface* target);

// Pixels (copied as given, inside the clip)
void canvas_set_pixel(Canvas* canvas, int x, int y, uint32_t colour);
// The pixel's colour, or CANVAS_NO_PIXEL outside the surface.
uint32_t canvas_get_pixel(const Canvas& canvas, int x, int y);

// Lines with the pen; a thin line leaves out its end pixel, a polyline its last point, and the
// style runs on from segment to segment. Under any mix but copy a polyline paints each of its
// pixels once, even where it touches or crosses itself.
void canvas_draw_line(Canvas* canvas, int x1, int y1, int x2, int y2);
void canvas_draw_polyline(Canvas* canvas, std::span<const CanvasPoint> points);

// Shapes: outline with the pen inside the box, inside with the brush, each pixel painted once;
// boxes in either corner order.
void canvas_fill_rect(Canvas* canvas, CanvasRect rect);  // brush only
void canvas_draw_rect(Canvas* canvas, CanvasRect rect);
void canvas_draw_round_rect(Canvas* canvas, CanvasRect rect, int corner_width, int corner_height);
void canvas_draw_ellipse(Canvas* canvas, CanvasRect box);
// Pen only: counter-clockwise (as seen on the screen) from the ray through start to the ray
// through end; equal rays give the whole ellipse.
void canvas_draw_arc(Canvas* canvas, CanvasRect box, CanvasPoint start, CanvasPoint end);
// Inside by the even-odd rule (pixel centres), then the closed outline through the points.
void canvas_draw_polygon(Canvas* canvas, std::span<const CanvasPoint> points);

// Off-screen bitmaps (any Surface), blits and save-unders
// Copies source_rect of source with its top-left corner at (x, y); the source may be the target.
void canvas_blit(Canvas* canvas, int x, int y, const Surface& source, CanvasRect source_rect);
struct CanvasSaveUnder {
  CanvasRect rect;  // where the saved pixels came from: the requested rectangle within the surface
  Surface pixels;   // rect's size
};
// Save-unders ignore the clip: what was saved goes back exactly where it came from.
void canvas_save_under(const Canvas& canvas, CanvasRect rect, CanvasSaveUnder* save);
void canvas_restore_under(Canvas* canvas, const CanvasSaveUnder& save);

// Masked sprites (pointer pictures)
inline constexpr int CANVAS_SPRITE_SIZE = 32;
struct CanvasSprite {
  uint32_t and_mask[CANVAS_SPRITE_SIZE] = {};  // rows; bit 31 = leftmost; 1 keeps the pixel below, 0 clears it
  uint32_t xor_image[CANVAS_SPRITE_SIZE * CANVAS_SPRITE_SIZE] = {};  // 0x00RRGGBB, then XORed in
};
void canvas_draw_sprite(Canvas* canvas, int x, int y, const CanvasSprite& sprite);

// Device-independent bitmap rows
struct CanvasDib {
  int width = 0;                      // pixels
  int height = 0;                     // rows; > 0 stored bottom row first, < 0 top row first
  int bits_per_pixel = 0;             // 1, 4, 8 or 24
  std::span<const uint8_t> bits;      // rows padded to 4 bytes; 24-bit pixels are blue, green, red
  std::span<const uint32_t> palette;  // 0x00RRGGBB; an index past its end draws black
};
// Both return the bitmap's row count, 0 when the destination is empty, -1 when the description
// is malformed (depth, size, or fewer bytes than its rows need); nothing is drawn then.
int canvas_draw_dib(Canvas* canvas, int x, int y, const CanvasDib& dib);
int canvas_stretch_dib(Canvas* canvas, CanvasRect dest, const CanvasDib& dib);
// Only the source rectangle (pixels, rows counted from the picture's top; clamped to it) is
// stretched onto dest.
int canvas_stretch_dib(Canvas* canvas, CanvasRect dest, const CanvasDib& dib, CanvasRect source);

// Text in the current face: one cell per byte (all 256 codes are glyphs), cell width apart.
// Returns the x after the last cell.
int canvas_draw_text(Canvas* canvas, int x, int y, std::string_view text);

// Test hooks
// Forgets the glyph expansions kept per face and the shape mask (memory only; nothing drawn changes).
void reset_canvas_work();
