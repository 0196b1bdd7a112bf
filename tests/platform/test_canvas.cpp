// The software canvas, checked pixel by pixel: XOR drawn twice leaves nothing, lines leave out
// their end pixel, clipping never changes what is drawn inside the clip, and text, sprites,
// save-unders and DIB rows put exactly the expected colours where they belong.
#include "platform/canvas.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr uint32_t RED = 0xFF0000, GREEN = 0x00FF00, BLUE = 0x0000FF, WHITE = 0xFFFFFF;

uint32_t next_random(uint64_t* state) {
  *state = *state * 6364136223846793005ULL + 1442695040888963407ULL;
  return static_cast<uint32_t>(*state >> 33);
}

Surface noise_surface(int width, int height, uint64_t seed = 7) {
  Surface surface;
  surface_resize(&surface, width, height);
  for (uint32_t& pixel : surface.pixels) pixel = next_random(&seed) & 0xFFFFFF;
  return surface;
}

Surface blank_surface(int width, int height) {
  Surface surface;
  surface_resize(&surface, width, height);
  return surface;
}

Canvas canvas_on(Surface* surface) {
  Canvas canvas;
  canvas_init(&canvas, surface);
  return canvas;
}

uint32_t pixel(const Surface& surface, int x, int y) {
  return surface.pixels[static_cast<size_t>(y) * surface.width + x];
}

int count_changed(const Surface& a, const Surface& b) {
  int changed = 0;
  for (size_t i = 0; i < a.pixels.size(); ++i) changed += a.pixels[i] != b.pixels[i];
  return changed;
}

// A face of pseudo-random glyphs; bytes_per_row may exceed what the width needs.
FontFace make_face(int width, int height, int bytes_per_row, uint64_t seed) {
  FontFace face;
  face.name = "test";
  face.cell_width = width;
  face.cell_height = height;
  face.bytes_per_row = bytes_per_row;
  face.bits.resize(256 * static_cast<size_t>(height) * bytes_per_row);
  for (uint8_t& byte : face.bits) byte = static_cast<uint8_t>(next_random(&seed));
  return face;
}

const FontFace& shared_face() {
  static const FontFace face = make_face(7, 11, 1, 99);
  return face;
}

class CanvasTest : public ::testing::Test {
 protected:
  void SetUp() override { reset_canvas_work(); }
};

// One drawing call, set up on a fresh canvas by the case itself (pen, brush, face...).
struct DrawCase {
  const char* name;
  std::function<void(Canvas*)> draw;
};

const CanvasPoint CONCAVE[] = {{5, 5}, {60, 8}, {30, 25}, {62, 50}, {4, 44}, {20, 26}};
const CanvasPoint STAR[] = {{35, 2}, {50, 60}, {5, 20}, {66, 20}, {18, 60}};
const CanvasPoint ZIGZAG[] = {{3, 3}, {80, 10}, {10, 40}, {70, 70}};            // sharp turns
const CanvasPoint CROSSING[] = {{3, 3}, {80, 10}, {10, 40}, {70, 70}, {70, 5}};  // crosses itself

// Shapes in their own colours on a brush of another colour, over many kinds of pixels.
std::vector<DrawCase> draw_cases() {
  auto pen = [](Canvas* c, int width, CanvasPenStyle style) {
    c->pen = {0x3C5A96, width, style, 0};
  };
  auto solid = [](Canvas* c) { c->brush = {CANVAS_BRUSH_SOLID, 0x81C3E7, 0, {}}; };
  auto hollow = [](Canvas* c) { c->brush.kind = CANVAS_BRUSH_HOLLOW; };
  auto pattern = [](Canvas* c) {
    c->brush = {CANVAS_BRUSH_PATTERN, 0x123456, 0x654321, {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81}};
  };
  auto text = [](Canvas* c, bool opaque) {
    c->face = &shared_face();
    c->text_colour = 0x00C0FF;
    c->text_background = 0x402010;
    c->text_opaque = opaque;
  };
  return {
      {"shallow line", [=](Canvas* c) { pen(c, 1, CANVAS_PEN_SOLID); canvas_draw_line(c, 2, 3, 90, 30); }},
      {"steep line backwards", [=](Canvas* c) { pen(c, 1, CANVAS_PEN_SOLID); canvas_draw_line(c, 40, 79, 31, 1); }},
      {"far line", [=](Canvas* c) { pen(c, 1, CANVAS_PEN_SOLID); canvas_draw_line(c, -1000000000, 5, 1000000000, 70); }},
      {"dotted polyline", [=](Canvas* c) { pen(c, 1, CANVAS_PEN_DOT); canvas_draw_polyline(c, ZIGZAG); }},
      {"solid polyline", [=](Canvas* c) { pen(c, 1, CANVAS_PEN_SOLID); canvas_draw_polyline(c, ZIGZAG); }},
      {"solid crossing polyline", [=](Canvas* c) { pen(c, 1, CANVAS_PEN_SOLID); canvas_draw_polyline(c, CROSSING); }},
      {"width 2 crossing polyline", [=](Canvas* c) { pen(c, 2, CANVAS_PEN_SOLID); canvas_draw_polyline(c, CROSSING); }},
      {"width 9 crossing polyline", [=](Canvas* c) { pen(c, 9, CANVAS_PEN_SOLID); canvas_draw_polyline(c, CROSSING); }},
      {"fill rect pattern", [=](Canvas* c) { pattern(c); canvas_fill_rect(c, {70, 60, 3, 5}); }},
      {"rect solid", [=](Canvas* c) { pen(c, 1, CANVAS_PEN_SOLID); solid(c); canvas_draw_rect(c, {4, 6, 50, 41}); }},
      {"rect dashed hollow", [=](Canvas* c) { pen(c, 1, CANVAS_PEN_DASH); hollow(c); canvas_draw_rect(c, {4, 6, 90, 71}); }},
      {"rect width 3 pattern", [=](Canvas* c) { pen(c, 3, CANVAS_PEN_SOLID); pattern(c); canvas_draw_rect(c, {4, 6, 50, 41}); }},
      {"rect no pen", [=](Canvas* c) { pen(c, 1, CANVAS_PEN_NONE); solid(c); canvas_draw_rect(c, {4, 6, 50, 41}); }},
      {"one pixel wide rect", [=](Canvas* c) { pen(c, 1, CANVAS_PEN_DOT); solid(c); canvas_draw_rect(c, {9, 2, 10, 60}); }},
      {"round rect", [=](Canvas* c) { pen(c, 1, CANVAS_PEN_SOLID); solid(c); canvas_draw_round_rect(c, {3, 4, 80, 50}, 17, 12); }},
      {"ellipse filled", [=](Canvas* c) { pen(c, 1, CANVAS_PEN_SOLID); solid(c); canvas_draw_ellipse(c, {5, 7, 77, 60}); }},
      {"ellipse width 2 hollow", [=](Canvas* c) { pen(c, 2, CANVAS_PEN_SOLID); hollow(c); canvas_draw_ellipse(c, {5, 7, 77, 60}); }},
      {"huge ellipse", [=](Canvas* c) { pen(c, 3, CANVAS_PEN_SOLID); solid(c); canvas_draw_ellipse(c, {-2000000000, 30, 2000000000, 2000000000}); }},
      {"arc", [=](Canvas* c) { pen(c, 1, CANVAS_PEN_SOLID); canvas_draw_arc(c, {2, 2, 70, 60}, {70, 10}, {2, 50}); }},
      {"polygon concave", [=](Canvas* c) { pen(c, 1, CANVAS_PEN_SOLID); solid(c); canvas_draw_polygon(c, CONCAVE); }},
      {"star wide outline", [=](Canvas* c) { pen(c, 4, CANVAS_PEN_SOLID); pattern(c); canvas_draw_polygon(c, STAR); }},
      {"text opaque", [=](Canvas* c) { text(c, true); canvas_draw_text(c, -3, 20, "Text \x01\x7f\xff drawn"); }},
      {"text transparent", [=](Canvas* c) { text(c, false); canvas_draw_text(c, 5, 61, "over the edge"); }},
  };
}

TEST_F(CanvasTest, XorDrawnTwiceRestoresEveryPixel) {
  for (const bool clipped : {false, true}) {
    for (const DrawCase& test : draw_cases()) {
      SCOPED_TRACE(std::string(test.name) + (clipped ? ", clipped" : ""));
      const Surface original = noise_surface(83, 67);
      Surface surface = original;
      Canvas canvas = canvas_on(&surface);
      if (clipped) canvas.clip = {11, 9, 60, 50};
      canvas.mix = CANVAS_MIX_XOR;
      test.draw(&canvas);
      if (!clipped) {  // some lie wholly outside the clip
        EXPECT_GT(count_changed(surface, original), 0);
      }
      test.draw(&canvas);
      EXPECT_EQ(count_changed(surface, original), 0);
    }
  }
}

TEST_F(CanvasTest, NotDrawnTwiceRestoresEveryPixel) {
  for (const DrawCase& test : draw_cases()) {
    SCOPED_TRACE(test.name);
    const Surface original = noise_surface(83, 67);
    Surface surface = original;
    Canvas canvas = canvas_on(&surface);
    canvas.mix = CANVAS_MIX_NOT;
    test.draw(&canvas);
    test.draw(&canvas);
    EXPECT_EQ(count_changed(surface, original), 0);
  }
}

// Painting a pixel twice within one shape would punch a hole into an XOR drawing: XOR must
// change exactly the pixels that the copy mix covers.
TEST_F(CanvasTest, XorTouchesExactlyWhatCopyCovers) {
  for (const DrawCase& test : draw_cases()) {
    SCOPED_TRACE(test.name);
    Surface copied = blank_surface(83, 67), xored = blank_surface(83, 67);
    Canvas copy = canvas_on(&copied), exclusive = canvas_on(&xored);
    exclusive.mix = CANVAS_MIX_XOR;
    test.draw(&copy);
    test.draw(&exclusive);
    for (size_t i = 0; i < copied.pixels.size(); ++i) {
      ASSERT_EQ(copied.pixels[i] != 0, xored.pixels[i] != 0) << "pixel " << i % 83 << "," << i / 83;
    }
  }
}

// Every drawing call, clipped, equals the unclipped drawing inside the clip and leaves the rest.
TEST_F(CanvasTest, ClippingChangesNothingInsideTheClip) {
  std::vector<DrawCase> cases = draw_cases();
  CanvasSprite sprite;
  for (int i = 0; i < 32; ++i) {
    sprite.and_mask[i] = 0xF0F0F0F0u >> (i % 4);
    for (int x = 0; x < 32; ++x) sprite.xor_image[i * 32 + x] = (i * 8) << 8 | x * 8;
  }
  Surface offscreen = noise_surface(40, 30, 3);
  static const uint8_t dib_bits[] = {0x1B, 0xE4, 0, 0, 0x6C, 0x93, 0, 0, 0xFF, 0x00, 0, 0};
  static const uint32_t dib_palette[] = {RED, GREEN, BLUE, WHITE};
  cases.push_back({"sprite", [&](Canvas* c) { canvas_draw_sprite(c, 40, 30, sprite); }});
  cases.push_back({"sprite off the corner", [&](Canvas* c) { canvas_draw_sprite(c, -20, -9, sprite); }});
  cases.push_back({"blit", [&](Canvas* c) { canvas_blit(c, -10, 20, offscreen, {2, 3, 40, 29}); }});
  cases.push_back({"stretched dib", [&](Canvas* c) {
    canvas_stretch_dib(c, {-4, 2, 79, 66}, {8, 3, 2, dib_bits, dib_palette});
  }});
  cases.push_back({"pixel", [&](Canvas* c) { canvas_set_pixel(c, 11, 9, RED); }});
  const CanvasRect clips[] = {
      {0, 0, 12, 67},      // left edge
      {70, 0, 83, 67},     // right edge
      {0, 0, 83, 10},      // top edge
      {0, 55, 83, 67},     // bottom edge
      {11, 9, 60, 50},     // inside
      {-50, -50, 500, 500},  // more than the surface
      {60, 50, 11, 9},     // inverted: nothing
      {30, 30, 30, 40},    // empty
  };
  for (const CanvasRect& clip : clips) {
    for (const DrawCase& test : cases) {
      SCOPED_TRACE(std::string(test.name) + " clip " + std::to_string(clip.left) + "," +
                   std::to_string(clip.top) + "," + std::to_string(clip.right) + "," +
                   std::to_string(clip.bottom));
      const Surface original = noise_surface(83, 67);
      Surface whole = original, cut = original;
      Canvas unclipped = canvas_on(&whole), clipped = canvas_on(&cut);
      clipped.clip = clip;
      test.draw(&unclipped);
      test.draw(&clipped);
      for (int y = 0; y < 67; ++y) {
        for (int x = 0; x < 83; ++x) {
          const bool inside = x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom;
          ASSERT_EQ(pixel(cut, x, y), inside ? pixel(whole, x, y) : pixel(original, x, y))
              << "at " << x << "," << y;
        }
      }
    }
  }
}

TEST_F(CanvasTest, MixesCombinePenAndPixelAsNumbered) {
  struct Case {
    CanvasMix mix;
    uint32_t expected;  // colour 0x0F0F0F over pixel 0x00FF33
  } cases[] = {
      {CANVAS_MIX_COPY, 0x0F0F0F},           {CANVAS_MIX_XOR, 0x0FF03C},
      {CANVAS_MIX_NOT, 0xFF00CC},            {CANVAS_MIX_MASK, 0x000F03},
      {CANVAS_MIX_MERGE_PEN_NOT, 0xFF0FCF},  {CANVAS_MIX_MERGE, 0x0FFF3F},
      {CANVAS_MIX_BLACK, 0x000000},          {CANVAS_MIX_WHITE, 0xFFFFFF},
      {CANVAS_MIX_NOP, 0x00FF33},            {static_cast<CanvasMix>(99), 0x0F0F0F},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(static_cast<int>(test.mix));
    Surface surface = blank_surface(3, 1);
    surface.pixels = {0x00FF33, 0x00FF33, 0x00FF33};
    Canvas canvas = canvas_on(&surface);
    canvas.mix = test.mix;
    canvas.pen.colour = 0x0F0F0F;
    canvas.brush.colour = 0x0F0F0F;
    canvas_draw_line(&canvas, 0, 0, 1, 0);  // pen
    canvas_fill_rect(&canvas, {1, 0, 2, 1});  // brush
    EXPECT_EQ(surface.pixels[0], test.expected);
    EXPECT_EQ(surface.pixels[1], test.expected);
    EXPECT_EQ(surface.pixels[2], 0x00FF33u);
  }
}

// Lines

TEST_F(CanvasTest, LineLeavesOutItsEndPixel) {
  struct Case {
    int x1, y1, x2, y2;
  } cases[] = {
      {3, 4, 20, 4}, {20, 4, 3, 4}, {5, 2, 5, 30}, {5, 30, 5, 2}, {0, 0, 25, 25},
      {25, 25, 0, 0}, {2, 3, 30, 11}, {30, 11, 2, 3}, {7, 1, 12, 29}, {12, 29, 7, 1},
      {31, 0, 0, 31}, {6, 6, 7, 6},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(std::to_string(test.x1) + "," + std::to_string(test.y1) + " to " +
                 std::to_string(test.x2) + "," + std::to_string(test.y2));
    Surface surface = blank_surface(32, 32);
    Canvas canvas = canvas_on(&surface);
    canvas.pen.colour = WHITE;
    canvas_draw_line(&canvas, test.x1, test.y1, test.x2, test.y2);
    EXPECT_EQ(pixel(surface, test.x1, test.y1), WHITE);
    EXPECT_EQ(pixel(surface, test.x2, test.y2), 0u);
    EXPECT_EQ(count_changed(surface, blank_surface(32, 32)),
              std::max(std::abs(test.x2 - test.x1), std::abs(test.y2 - test.y1)));
  }
}

TEST_F(CanvasTest, PolylineDrawsEachJointOnceAndLeavesOutTheLastPoint) {
  Surface surface = blank_surface(40, 40);
  Canvas canvas = canvas_on(&surface);
  canvas.pen.colour = WHITE;
  canvas.mix = CANVAS_MIX_XOR;
  const CanvasPoint points[] = {{2, 2}, {30, 2}, {30, 20}, {10, 35}};
  canvas_draw_polyline(&canvas, points);
  EXPECT_EQ(pixel(surface, 30, 2), WHITE);   // joints survive the XOR
  EXPECT_EQ(pixel(surface, 30, 20), WHITE);
  EXPECT_EQ(pixel(surface, 10, 35), 0u);
  EXPECT_EQ(count_changed(surface, blank_surface(40, 40)), 28 + 18 + 20);
}

TEST_F(CanvasTest, LineToItsOwnStartDrawsNothing) {
  Surface surface = blank_surface(8, 8);
  Canvas canvas = canvas_on(&surface);
  canvas.pen.colour = WHITE;
  canvas_draw_line(&canvas, 4, 4, 4, 4);
  EXPECT_EQ(count_changed(surface, blank_surface(8, 8)), 0);
}

TEST_F(CanvasTest, PenStylesRepeatFromTheirPhase) {
  struct Case {
    CanvasPenStyle style;
    int phase;
    const char* expected;  // the first 30 pixels of a line drawn rightwards
  } cases[] = {
      {CANVAS_PEN_SOLID, 5, "111111111111111111111111111111"},
      {CANVAS_PEN_DOT, 0, "111000111000111000111000111000"},
      {CANVAS_PEN_DOT, 1, "110001110001110001110001110001"},
      {CANVAS_PEN_DASH, 0, "111111111111111111000000111111"},
      {CANVAS_PEN_DASH, 20, "000011111111111111111100000011"},
      {CANVAS_PEN_DASH, -4, "000011111111111111111100000011"},
      {CANVAS_PEN_DASH_DOT, 0, "111111111000000111000000111111"},
      {CANVAS_PEN_DASH_DOT_DOT, 0, "111111111000111000111000111111"},
      {CANVAS_PEN_NONE, 0, "000000000000000000000000000000"},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(std::to_string(test.style) + " phase " + std::to_string(test.phase));
    Surface surface = blank_surface(40, 3);
    Canvas canvas = canvas_on(&surface);
    canvas.pen = {WHITE, 1, test.style, test.phase};
    canvas_draw_line(&canvas, 0, 1, 40, 1);
    std::string drawn;
    for (int x = 0; x < 30; ++x) drawn += pixel(surface, x, 1) ? '1' : '0';
    EXPECT_EQ(drawn, test.expected);
  }
}

TEST_F(CanvasTest, PenStyleRunsOnAcrossPolylineCorners) {
  Surface surface = blank_surface(12, 12);
  Canvas canvas = canvas_on(&surface);
  canvas.pen = {WHITE, 1, CANVAS_PEN_DOT, 0};
  const CanvasPoint points[] = {{0, 0}, {4, 0}, {4, 10}};
  canvas_draw_polyline(&canvas, points);
  std::string drawn;  // the pixels in drawing order: row 0 rightwards, then column 4 downwards
  for (int x = 0; x < 4; ++x) drawn += pixel(surface, x, 0) ? '1' : '0';
  for (int y = 0; y < 10; ++y) drawn += pixel(surface, 4, y) ? '1' : '0';
  EXPECT_EQ(drawn, "11100011100011");
}

TEST_F(CanvasTest, WidePensCoverTheirWidthWithRoundCaps) {
  Surface surface = blank_surface(60, 40);
  Canvas canvas = canvas_on(&surface);
  canvas.pen = {WHITE, 2, CANVAS_PEN_SOLID, 0};
  canvas_draw_line(&canvas, 5, 10, 20, 10);
  for (int y = 7; y <= 12; ++y) {
    EXPECT_EQ(pixel(surface, 12, y) != 0, y == 9 || y == 10) << "row " << y;
  }
  canvas.pen.width = 9;
  canvas_draw_line(&canvas, 30, 25, 45, 25);
  for (int y = 21; y <= 29; ++y) EXPECT_EQ(pixel(surface, 38, y), WHITE) << "row " << y;
  EXPECT_EQ(pixel(surface, 38, 20), 0u);
  EXPECT_EQ(pixel(surface, 49, 25), WHITE);  // the cap reaches half the width past the end
  EXPECT_EQ(pixel(surface, 49, 21), 0u);     // but is round
  EXPECT_EQ(pixel(surface, 26, 25), WHITE);
  EXPECT_EQ(pixel(surface, 26, 29), 0u);
}

TEST_F(CanvasTest, LineFromFarOffDrawsTheVisibleSpan) {
  Surface surface = blank_surface(640, 20);
  Canvas canvas = canvas_on(&surface);
  canvas.pen.colour = WHITE;
  canvas_draw_line(&canvas, -1000000000, 5, 1000000000, 7);
  int previous_row = 0;
  for (int x = 0; x < 640; ++x) {
    int row = -1, hits = 0;
    for (int y = 0; y < 20; ++y) {
      if (pixel(surface, x, y)) {
        row = y;
        ++hits;
      }
    }
    ASSERT_EQ(hits, 1) << "column " << x;
    ASSERT_GE(row, std::max(previous_row, 5)) << "column " << x;
    ASSERT_LE(row, 7);
    previous_row = row;
  }
}

TEST_F(CanvasTest, LinesBetweenExtremeCoordinatesStayOnTheirCourse) {
  struct Case {
    int x1, y1, x2, y2;
    int width;
    std::function<bool(int x, int y)> on_line;  // where the visible part must lie
  } cases[] = {
      {INT_MIN, INT_MIN, INT_MAX, INT_MAX, 1, [](int x, int y) { return x == y; }},
      {1000000049, -1000000000, -999999951, 1000000000, 1, [](int x, int y) { return x + y == 49; }},
      {7, -2000000000, 7, 2000000000, 1, [](int x, int) { return x == 7; }},
      {-1000000000, 10, 1000000000, 10, 5, [](int, int y) { return y >= 8 && y <= 12; }},
      {3, INT_MIN, 3, INT_MAX, 3, [](int x, int) { return x >= 2 && x <= 4; }},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(std::to_string(test.x1) + "," + std::to_string(test.y1) + " to " +
                 std::to_string(test.x2) + "," + std::to_string(test.y2));
    Surface surface = blank_surface(50, 50);
    Canvas canvas = canvas_on(&surface);
    canvas.pen = {WHITE, test.width, CANVAS_PEN_SOLID, 0};
    canvas_draw_line(&canvas, test.x1, test.y1, test.x2, test.y2);
    int drawn = 0;
    for (int y = 0; y < 50; ++y) {
      for (int x = 0; x < 50; ++x) {
        if (pixel(surface, x, y)) {
          ++drawn;
          ASSERT_TRUE(test.on_line(x, y)) << x << "," << y;
        }
      }
    }
    EXPECT_GE(drawn, 50);
  }
}

// A line cut by the surface starts on exactly the pixel the whole line has there: drawn on a
// surface large enough to hold it whole, then shifted, it must agree pixel for pixel.
TEST_F(CanvasTest, ClippedLineKeepsThePixelsOfTheWholeLine) {
  struct Case {
    int x1, y1, x2, y2;
  } cases[] = {
      {-700, -300, 800, 400}, {900, -30, -500, 70},  {-40, 900, 70, -800}, {10, -999, 33, 999},
      {-999, 47, 999, 0},     {-613, -613, 640, 640}, {63, -700, -20, 900}, {-1, -1, 64, 48},
  };
  const int shift = 1000;
  for (const Case& test : cases) {
    SCOPED_TRACE(std::to_string(test.x1) + "," + std::to_string(test.y1) + " to " +
                 std::to_string(test.x2) + "," + std::to_string(test.y2));
    Surface small = blank_surface(64, 48), large = blank_surface(2100, 2100);
    Canvas cut = canvas_on(&small), whole = canvas_on(&large);
    cut.pen.colour = whole.pen.colour = WHITE;
    canvas_draw_line(&cut, test.x1, test.y1, test.x2, test.y2);
    canvas_draw_line(&whole, test.x1 + shift, test.y1 + shift, test.x2 + shift, test.y2 + shift);
    for (int y = 0; y < 48; ++y) {
      for (int x = 0; x < 64; ++x) {
        ASSERT_EQ(pixel(small, x, y), pixel(large, x + shift, y + shift)) << x << "," << y;
      }
    }
  }
}

// Shapes

TEST_F(CanvasTest, RectangleLeavesOutRightAndBottom) {
  struct Case {
    CanvasRect rect;
    int pen_width;
  } cases[] = {
      {{2, 3, 9, 8}, 1}, {{9, 8, 2, 3}, 1}, {{2, 8, 9, 3}, 1}, {{2, 3, 9, 8}, 2}, {{2, 3, 9, 8}, 0},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(std::to_string(test.rect.left) + "," + std::to_string(test.rect.top) + " pen " +
                 std::to_string(test.pen_width));
    Surface surface = blank_surface(12, 12);
    Canvas canvas = canvas_on(&surface);
    canvas.pen = {RED, test.pen_width, test.pen_width ? CANVAS_PEN_SOLID : CANVAS_PEN_NONE, 0};
    canvas.brush.colour = GREEN;
    canvas_draw_rect(&canvas, test.rect);
    for (int y = 0; y < 12; ++y) {
      for (int x = 0; x < 12; ++x) {
        const bool inside = x >= 2 && x < 9 && y >= 3 && y < 8;
        const int w = test.pen_width;
        const bool ring = inside && (x < 2 + w || x >= 9 - w || y < 3 + w || y >= 8 - w);
        ASSERT_EQ(pixel(surface, x, y), !inside ? 0u : ring ? RED : GREEN) << x << "," << y;
      }
    }
  }
}

TEST_F(CanvasTest, PatternBrushIsAlignedToTheSurface) {
  const CanvasBrush brush = {CANVAS_BRUSH_PATTERN, RED, BLUE, {0x80, 0x41, 0x22, 0x14, 0x08, 0xFF, 0x00, 0x3C}};
  Surface surface = blank_surface(40, 30);
  Canvas canvas = canvas_on(&surface);
  canvas.brush = brush;
  canvas_fill_rect(&canvas, {3, 5, 37, 26});
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 40; ++x) {
      const bool inside = x >= 3 && x < 37 && y >= 5 && y < 26;
      const bool set = (brush.pattern[y % 8] >> (7 - x % 8)) & 1;
      ASSERT_EQ(pixel(surface, x, y), !inside ? 0u : set ? RED : BLUE) << x << "," << y;
    }
  }
}

// Shading: black pattern bits darken what lies beneath, white ones leave it.
TEST_F(CanvasTest, PatternWithMaskMixShadesThePixelsBeneath) {
  const Surface original = noise_surface(16, 16);
  Surface surface = original;
  Canvas canvas = canvas_on(&surface);
  canvas.brush = {CANVAS_BRUSH_PATTERN, 0x000000, WHITE, {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55}};
  canvas.mix = CANVAS_MIX_MASK;
  canvas_fill_rect(&canvas, {0, 0, 16, 16});
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      ASSERT_EQ(pixel(surface, x, y), (x + y) % 2 == 0 ? 0u : pixel(original, x, y)) << x << "," << y;
    }
  }
}

TEST_F(CanvasTest, EllipseFitsItsBoxAndIsSymmetric) {
  const CanvasRect boxes[] = {{10, 10, 41, 31}, {4, 4, 44, 44}, {20, 5, 23, 40}, {3, 20, 47, 22}, {7, 7, 8, 8}};
  for (const CanvasRect& box : boxes) {
    SCOPED_TRACE(std::to_string(box.right - box.left) + "x" + std::to_string(box.bottom - box.top));
    Surface surface = blank_surface(50, 50);
    Canvas canvas = canvas_on(&surface);
    canvas.pen.colour = RED;
    canvas.brush.colour = GREEN;
    canvas_draw_ellipse(&canvas, box);
    bool touches_left = false, touches_right = false, touches_top = false, touches_bottom = false;
    for (int y = 0; y < 50; ++y) {
      for (int x = 0; x < 50; ++x) {
        const uint32_t colour = pixel(surface, x, y);
        if (!colour) continue;
        ASSERT_TRUE(x >= box.left && x < box.right && y >= box.top && y < box.bottom) << x << "," << y;
        ASSERT_EQ(colour, pixel(surface, box.left + box.right - 1 - x, y)) << x << "," << y;
        ASSERT_EQ(colour, pixel(surface, x, box.top + box.bottom - 1 - y)) << x << "," << y;
        touches_left |= x == box.left;
        touches_right |= x == box.right - 1;
        touches_top |= y == box.top;
        touches_bottom |= y == box.bottom - 1;
      }
    }
    EXPECT_TRUE(touches_left && touches_right && touches_top && touches_bottom);
    const int cx = (box.left + box.right) / 2, cy = (box.top + box.bottom) / 2;
    if (box.right - box.left > 4 && box.bottom - box.top > 4) {
      EXPECT_EQ(pixel(surface, cx, cy), GREEN);
    }
  }
}

TEST_F(CanvasTest, HollowEllipseOutlineIsAClosedThinRing) {
  Surface surface = blank_surface(60, 50);
  Canvas canvas = canvas_on(&surface);
  canvas.pen.colour = WHITE;
  canvas.brush.kind = CANVAS_BRUSH_HOLLOW;
  canvas_draw_ellipse(&canvas, {5, 5, 56, 38});
  // A flood from the centre through 4-neighbours must not escape a closed ring.
  std::vector<int> stack = {21 * 60 + 30};
  std::vector<bool> seen(60 * 50);
  while (!stack.empty()) {
    const int at = stack.back();
    stack.pop_back();
    const int x = at % 60, y = at / 60;
    ASSERT_TRUE(x > 0 && x < 59 && y > 0 && y < 49) << "escaped at " << x << "," << y;
    if (seen[at] || surface.pixels[at]) continue;
    seen[at] = true;
    stack.insert(stack.end(), {at - 1, at + 1, at - 60, at + 60});
  }
  // Thin: no ring pixel has ring pixels both right and below and below-right (no 2x2 block).
  for (int y = 0; y < 49; ++y) {
    for (int x = 0; x < 59; ++x) {
      ASSERT_FALSE(pixel(surface, x, y) && pixel(surface, x + 1, y) && pixel(surface, x, y + 1) &&
                   pixel(surface, x + 1, y + 1))
          << x << "," << y;
    }
  }
}

TEST_F(CanvasTest, RoundRectCutsOnlyItsCorners) {
  Surface surface = blank_surface(50, 40);
  Canvas canvas = canvas_on(&surface);
  canvas.pen.colour = RED;
  canvas.brush.colour = GREEN;
  canvas_draw_round_rect(&canvas, {5, 5, 45, 35}, 12, 10);
  EXPECT_EQ(pixel(surface, 5, 5), 0u);    // corners cut
  EXPECT_EQ(pixel(surface, 44, 34), 0u);
  EXPECT_EQ(pixel(surface, 25, 5), RED);  // straight edges kept
  EXPECT_EQ(pixel(surface, 5, 20), RED);
  EXPECT_EQ(pixel(surface, 44, 20), RED);
  EXPECT_EQ(pixel(surface, 25, 34), RED);
  EXPECT_EQ(pixel(surface, 25, 20), GREEN);
  EXPECT_EQ(pixel(surface, 25, 35), 0u);
  // Corners of size 0 give the plain rectangle.
  Surface round = blank_surface(50, 40), plain = blank_surface(50, 40);
  Canvas a = canvas_on(&round), b = canvas_on(&plain);
  a.pen.colour = b.pen.colour = RED;
  canvas_draw_round_rect(&a, {5, 5, 45, 35}, 0, 0);
  canvas_draw_rect(&b, {5, 5, 45, 35});
  EXPECT_EQ(count_changed(round, plain), 0);
}

TEST_F(CanvasTest, ArcRunsCounterClockwiseBetweenItsRays) {
  const CanvasRect box = {0, 0, 41, 41};
  const CanvasPoint right = {45, 20}, top = {20, -5}, left = {-9, 20};
  struct Case {
    CanvasPoint start, end;
    std::function<bool(int x, int y)> allowed;
    CanvasPoint must[2];
  } cases[] = {
      {right, top, [](int x, int y) { return x >= 20 && y <= 20; }, {{40, 19}, {21, 0}}},
      {top, left, [](int x, int y) { return x <= 20 && y <= 20; }, {{19, 0}, {0, 19}}},
      {top, right, [](int x, int y) { return x <= 20 || y >= 20; }, {{0, 20}, {20, 40}}},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(std::to_string(test.start.x) + "," + std::to_string(test.start.y));
    Surface surface = blank_surface(41, 41);
    Canvas canvas = canvas_on(&surface);
    canvas.pen.colour = WHITE;
    canvas_draw_arc(&canvas, box, test.start, test.end);
    for (int y = 0; y < 41; ++y) {
      for (int x = 0; x < 41; ++x) {
        if (pixel(surface, x, y)) {
          ASSERT_TRUE(test.allowed(x, y)) << x << "," << y;
        }
      }
    }
    for (const CanvasPoint& p : test.must) EXPECT_EQ(pixel(surface, p.x, p.y), WHITE) << p.x << "," << p.y;
  }
  // Equal rays: the whole outline of the ellipse.
  Surface arc = blank_surface(41, 41), ellipse = blank_surface(41, 41);
  Canvas a = canvas_on(&arc), e = canvas_on(&ellipse);
  a.pen.colour = e.pen.colour = WHITE;
  e.brush.kind = CANVAS_BRUSH_HOLLOW;
  canvas_draw_arc(&a, box, right, right);
  canvas_draw_ellipse(&e, box);
  EXPECT_EQ(count_changed(arc, ellipse), 0);
}

TEST_F(CanvasTest, ConcavePolygonFillsOnlyItsInside) {
  // A U: the notch between the arms stays empty.
  const CanvasPoint u[] = {{0, 0}, {30, 0}, {30, 30}, {20, 30}, {20, 10}, {10, 10}, {10, 30}, {0, 30}};
  Surface surface = blank_surface(34, 34);
  Canvas canvas = canvas_on(&surface);
  canvas.pen.style = CANVAS_PEN_NONE;
  canvas.brush.colour = GREEN;
  canvas_draw_polygon(&canvas, u);
  for (int y = 0; y < 34; ++y) {
    for (int x = 0; x < 34; ++x) {
      const bool inside = x < 30 && y < 30 && (y < 10 || x < 10 || x >= 20);
      ASSERT_EQ(pixel(surface, x, y), inside ? GREEN : 0u) << x << "," << y;
    }
  }
}

TEST_F(CanvasTest, SelfCrossingPolygonFillsByTheEvenOddRule) {
  Surface surface = blank_surface(70, 64);
  Canvas canvas = canvas_on(&surface);
  canvas.pen.colour = RED;
  canvas.brush.colour = GREEN;
  canvas_draw_polygon(&canvas, STAR);
  EXPECT_EQ(pixel(surface, 35, 30), 0u);     // the centre pentagon is crossed twice
  EXPECT_EQ(pixel(surface, 35, 10), GREEN);  // a point of the star
  EXPECT_EQ(pixel(surface, 35, 2), RED);     // its tip lies on the outline
  EXPECT_EQ(pixel(surface, 2, 2), 0u);
}

TEST_F(CanvasTest, ShapesFarLargerThanTheSurfaceDrawTheirVisiblePart) {
  const CanvasPoint far_triangle[] = {{-2000000000, -2000000000}, {2000000000, -10}, {-10, 2000000000}};
  struct Case {
    const char* name;
    std::function<void(Canvas*)> draw;
    uint32_t corner;  // expected at (0, 0) and (29, 19)
  } cases[] = {
      {"ellipse", [](Canvas* c) { canvas_draw_ellipse(c, {-1000000000, -1000000000, 1000000000, 1000000000}); }, GREEN},
      {"rect", [](Canvas* c) { canvas_draw_rect(c, {INT_MIN, INT_MIN, INT_MAX, INT_MAX}); }, GREEN},
      {"round rect", [](Canvas* c) { canvas_draw_round_rect(c, {-2000000000, -5, 2000000000, 2000000000}, 2000000, 2000000); }, GREEN},
      {"polygon", [&](Canvas* c) { canvas_draw_polygon(c, far_triangle); }, GREEN},
      {"arc", [](Canvas* c) { canvas_draw_arc(c, {-2000000000, 0, 2000000000, 40}, {0, 0}, {0, 0}); }, RED},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    Surface surface = blank_surface(30, 20);
    Canvas canvas = canvas_on(&surface);
    canvas.pen = {RED, 1, CANVAS_PEN_SOLID, 0};
    canvas.brush.colour = GREEN;
    test.draw(&canvas);
    EXPECT_EQ(pixel(surface, 0, 0), test.corner);
    if (test.corner == GREEN) {
      EXPECT_EQ(pixel(surface, 29, 19), GREEN);
    }
  }
}

// Text

TEST_F(CanvasTest, TextDrawsTheFaceGlyphsOpaqueOrTransparent) {
  struct Case {
    FontFace face;
    bool opaque;
    int x, y;
  } cases[] = {
      {make_face(6, 9, 1, 1), true, 5, 3},
      {make_face(6, 9, 1, 1), false, 5, 3},
      {make_face(10, 13, 2, 2), true, -7, -4},   // cut by the left and top edges
      {make_face(10, 13, 3, 3), false, 60, 30},  // padded rows; cut by the right and bottom
  };
  const std::string text = std::string("Az\x01\xff\x80 ", 6) + std::string(1, '\0');
  for (const Case& test : cases) {
    SCOPED_TRACE(std::to_string(test.face.cell_width) + (test.opaque ? " opaque" : " transparent"));
    const Surface original = noise_surface(80, 40);
    Surface surface = original;
    Canvas canvas = canvas_on(&surface);
    canvas.face = &test.face;
    canvas.text_colour = 0x10E0F0;
    canvas.text_background = 0x302010;
    canvas.text_opaque = test.opaque;
    const int after = canvas_draw_text(&canvas, test.x, test.y, text);
    const int cw = test.face.cell_width, ch = test.face.cell_height;
    EXPECT_EQ(after, test.x + 7 * cw);
    for (int y = 0; y < 40; ++y) {
      for (int x = 0; x < 80; ++x) {
        const int gx = x - test.x, gy = y - test.y;
        uint32_t expected = pixel(original, x, y);
        if (gx >= 0 && gx < 7 * cw && gy >= 0 && gy < ch) {
          const uint8_t code = static_cast<uint8_t>(text[gx / cw]);
          if (font_glyph_pixel(test.face, code, gx % cw, gy)) {
            expected = 0x10E0F0;
          } else if (test.opaque) {
            expected = 0x302010;
          }
        }
        ASSERT_EQ(pixel(surface, x, y), expected) << x << "," << y;
      }
    }
  }
}

// Glyphs are recognised by their bits: a face changed or reloaded in place is drawn as it is now.
TEST_F(CanvasTest, TextFollowsAFaceReloadedInPlace) {
  FontFace face = make_face(8, 8, 1, 5);
  Surface surface = blank_surface(8, 8);
  Canvas canvas = canvas_on(&surface);
  canvas.face = &face;
  canvas.text_colour = WHITE;
  canvas.text_background = 0;
  canvas_draw_text(&canvas, 0, 0, "A");
  std::fill(face.bits.begin(), face.bits.end(), 0xFF);
  canvas_draw_text(&canvas, 0, 0, "A");
  for (uint32_t p : surface.pixels) ASSERT_EQ(p, WHITE);
}

TEST_F(CanvasTest, MalformedFaceDrawsNothing) {
  FontFace faces[4] = {make_face(8, 8, 1, 1), make_face(8, 8, 1, 1), make_face(9, 8, 1, 1), make_face(0, 8, 1, 1)};
  faces[1].bits.resize(faces[1].bits.size() - 1);  // last glyph row missing
  faces[2].bytes_per_row = 1;                       // 9 pixels need 2 bytes
  for (const FontFace& face : {faces[1], faces[2], faces[3]}) {
    const Surface original = noise_surface(30, 10);
    Surface surface = original;
    Canvas canvas = canvas_on(&surface);
    canvas.face = &face;
    EXPECT_EQ(canvas_draw_text(&canvas, 2, 1, "\xff\xfe"), 2);
    EXPECT_EQ(count_changed(surface, original), 0);
  }
  Surface surface = blank_surface(30, 10);
  Canvas canvas = canvas_on(&surface);
  canvas.face = &faces[0];
  canvas.text_background = WHITE;
  EXPECT_EQ(canvas_draw_text(&canvas, 2, 1, "\xff\xfe"), 18);  // the sound one draws
  EXPECT_GT(count_changed(surface, blank_surface(30, 10)), 0);
}

// Bitmaps

TEST_F(CanvasTest, SaveUnderRestoresExactlyWhatWasThere) {
  const CanvasRect rects[] = {{10, 8, 42, 40}, {-12, -5, 20, 27}, {70, 50, 102, 82}, {500, 500, 532, 532}};
  for (const CanvasRect& rect : rects) {
    SCOPED_TRACE(std::to_string(rect.left) + "," + std::to_string(rect.top));
    const Surface original = noise_surface(80, 60);
    Surface surface = original;
    Canvas canvas = canvas_on(&surface);
    CanvasSaveUnder save;
    canvas_save_under(canvas, rect, &save);
    canvas.brush.colour = RED;
    canvas_fill_rect(&canvas, rect);
    canvas.clip = {0, 0, 15, 15};  // restoring is not limited by the clip of the moment
    canvas_restore_under(&canvas, save);
    EXPECT_EQ(count_changed(surface, original), 0);
  }
}

TEST_F(CanvasTest, BlitCopiesBetweenSurfacesAndWithinOne) {
  const Surface source = noise_surface(20, 16, 11);
  Surface surface = blank_surface(30, 30);
  Canvas canvas = canvas_on(&surface);
  canvas_blit(&canvas, -3, 25, source, {2, 1, 12, 11});
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 30; ++x) {
      const int sx = x + 3 + 2, sy = y - 25 + 1;
      const bool inside = sx >= 2 && sx < 12 && sy >= 1 && sy < 11;
      ASSERT_EQ(pixel(surface, x, y), inside ? pixel(source, sx, sy) : 0u) << x << "," << y;
    }
  }
  // Scrolling within one surface, both ways, reads each row before it is overwritten.
  for (const int dy : {7, -7}) {
    const Surface before = noise_surface(30, 30, 5);
    Surface scrolled = before;
    Canvas on = canvas_on(&scrolled);
    canvas_blit(&on, 2, 10 + dy, scrolled, {0, 10, 28, 20});
    for (int y = 0; y < 30; ++y) {
      for (int x = 0; x < 30; ++x) {
        const bool moved = x >= 2 && y >= 10 + dy && y < 20 + dy;
        ASSERT_EQ(pixel(scrolled, x, y), moved ? pixel(before, x - 2, y - dy) : pixel(before, x, y))
            << "dy " << dy << " at " << x << "," << y;
      }
    }
  }
}

TEST_F(CanvasTest, SpriteMaskKeepsClearsAndInverts) {
  struct Row {
    bool keep;      // AND mask bit
    uint32_t image;  // XOR colour
    const char* effect;
  } rows[] = {
      {false, RED, "opaque colour"},
      {true, 0, "transparent"},
      {true, WHITE, "inverted"},
      {false, 0, "black"},
      {true, BLUE, "tinted"},
  };
  CanvasSprite sprite;
  for (int y = 0; y < CANVAS_SPRITE_SIZE; ++y) {
    const Row& row = rows[y % 5];
    sprite.and_mask[y] = row.keep ? 0xFFFFFFFFu : 0;
    for (int x = 0; x < CANVAS_SPRITE_SIZE; ++x) sprite.xor_image[y * 32 + x] = row.image;
  }
  const Surface original = noise_surface(40, 40);
  Surface surface = original;
  Canvas canvas = canvas_on(&surface);
  canvas_draw_sprite(&canvas, 20, -3, sprite);  // cut by the top and right edges
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 40; ++x) {
      const int sy = y + 3;
      const uint32_t below = pixel(original, x, y);
      uint32_t expected = below;
      if (x >= 20 && sy < 32) {
        const Row& row = rows[sy % 5];
        expected = ((row.keep ? below : 0) ^ row.image) & 0xFFFFFF;
      }
      ASSERT_EQ(pixel(surface, x, y), expected) << rows[sy % 5].effect << " at " << x << "," << y;
    }
  }
}

TEST_F(CanvasTest, SpriteMaskBitsRunFromTheLeft) {
  CanvasSprite sprite;
  for (uint32_t& mask : sprite.and_mask) mask = 0x7FFFFFFF;  // only the leftmost column is cleared
  Surface surface = noise_surface(32, 32);
  const Surface original = surface;
  Canvas canvas = canvas_on(&surface);
  canvas_draw_sprite(&canvas, 0, 0, sprite);
  EXPECT_EQ(pixel(surface, 0, 5), 0u);
  EXPECT_EQ(pixel(surface, 1, 5), pixel(original, 1, 5));
  EXPECT_EQ(pixel(surface, 31, 5), pixel(original, 31, 5));
}

TEST_F(CanvasTest, DibRowsOfEveryDepthDrawThroughThePalette) {
  const uint32_t palette[] = {RED, GREEN, BLUE, WHITE, 0x111111, 0x222222, 0x333333};
  struct Case {
    const char* name;
    int bpp, height;
    std::vector<uint8_t> bits;
    int palette_size;
    uint32_t expected[2][3];  // top row first
  } cases[] = {
      {"1 bit bottom-up", 1, 2, {0xA0, 0, 0, 0, 0x40, 0, 0, 0}, 2, {{RED, GREEN, RED}, {GREEN, RED, GREEN}}},
      {"1 bit top-down", 1, -2, {0xA0, 0, 0, 0, 0x40, 0, 0, 0}, 2, {{GREEN, RED, GREEN}, {RED, GREEN, RED}}},
      {"4 bit", 4, -2, {0x12, 0x30, 0, 0, 0x45, 0x60, 0, 0}, 7, {{GREEN, BLUE, WHITE}, {0x111111, 0x222222, 0x333333}}},
      {"4 bit past the palette", 4, -2, {0x12, 0x30, 0, 0, 0x45, 0x60, 0, 0}, 4, {{GREEN, BLUE, WHITE}, {0, 0, 0}}},
      {"8 bit bottom-up", 8, 2, {6, 5, 4, 0, 0, 1, 200, 0}, 7, {{RED, GREEN, 0}, {0x333333, 0x222222, 0x111111}}},
      {"24 bit", 24, -2, {1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0, 0xFF, 0, 0, 0, 0xFF, 0, 0, 0, 0xFF, 0, 0, 0},
       0, {{0x030201, 0x060504, 0x090807}, {BLUE, GREEN, RED}}},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    const Surface original = noise_surface(8, 6);
    Surface surface = original;
    Canvas canvas = canvas_on(&surface);
    const CanvasDib dib = {3, test.height, test.bpp, test.bits,
                           std::span<const uint32_t>(palette, test.palette_size)};
    EXPECT_EQ(canvas_draw_dib(&canvas, 2, 1, dib), 2);
    for (int y = 0; y < 6; ++y) {
      for (int x = 0; x < 8; ++x) {
        const bool inside = x >= 2 && x < 5 && y >= 1 && y < 3;
        ASSERT_EQ(pixel(surface, x, y), inside ? test.expected[y - 1][x - 2] : pixel(original, x, y))
            << x << "," << y;
      }
    }
  }
}

TEST_F(CanvasTest, StretchedDibRepeatsEachSourcePixel) {
  const uint8_t bits[] = {0x40, 0, 0, 0, 0x80, 0, 0, 0};  // 2 x 2, bottom-up: top row 1 0, bottom 0 1
  const uint32_t palette[] = {RED, BLUE};
  Surface surface = blank_surface(8, 6);
  Canvas canvas = canvas_on(&surface);
  EXPECT_EQ(canvas_stretch_dib(&canvas, {1, 1, 7, 5}, {2, 2, 1, bits, palette}), 2);
  for (int y = 1; y < 5; ++y) {
    for (int x = 1; x < 7; ++x) {
      const bool top = y < 3, left = x < 4;
      ASSERT_EQ(pixel(surface, x, y), top == left ? BLUE : RED) << x << "," << y;
    }
  }
  EXPECT_EQ(pixel(surface, 0, 0), 0u);
  EXPECT_EQ(pixel(surface, 7, 5), 0u);
}

// Part of a picture stretched, as a window onto it: source pixel (x, y) of a 5 x 3 picture of
// 24-bit pixels is the colour x * 16 + y, and columns 1..3, rows 1..2 fill 6 x 2 pixels.
TEST_F(CanvasTest, StretchedDibPartShowsOnlyItsSourcePixels) {
  std::vector<uint8_t> bits(3 * 16, 0);  // rows of 15 bytes padded to 16, bottom-up
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) bits[(2 - y) * 16 + 3 * x] = static_cast<uint8_t>(x * 16 + y);
  Surface surface = blank_surface(10, 4);
  Canvas canvas = canvas_on(&surface);
  EXPECT_EQ(canvas_stretch_dib(&canvas, {2, 1, 8, 3}, {5, 3, 24, bits, {}}, {1, 1, 4, 3}), 3);
  for (int x = 2; x < 8; ++x) {
    for (int y = 1; y < 3; ++y) {
      EXPECT_EQ(pixel(surface, x, y), static_cast<uint32_t>((1 + (x - 2) / 2) * 16 + y)) << x << "," << y;
    }
  }
  EXPECT_EQ(pixel(surface, 1, 1), 0u);
  EXPECT_EQ(pixel(surface, 8, 2), 0u);
  // A source rectangle past the picture is cut to it.
  EXPECT_EQ(canvas_stretch_dib(&canvas, {0, 0, 10, 4}, {5, 3, 24, bits, {}}, {7, 0, 9, 3}), 0);
}

TEST_F(CanvasTest, MalformedDibIsRefusedUndrawn) {
  const std::vector<uint8_t> bits(16, 0xFF);
  const uint32_t palette[] = {RED, BLUE};
  struct Case {
    const char* name;
    CanvasDib dib;
  } cases[] = {
      {"rows longer than the data", {3, 5, 8, bits, palette}},
      {"16 bits per pixel", {2, 2, 16, bits, palette}},
      {"no width", {0, 2, 8, bits, palette}},
      {"no height", {3, 0, 8, bits, palette}},
      {"most negative height", {3, INT_MIN, 8, bits, palette}},
      {"width beyond any data", {INT_MAX, 1, 24, bits, palette}},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    const Surface original = noise_surface(8, 8);
    Surface surface = original;
    Canvas canvas = canvas_on(&surface);
    EXPECT_EQ(canvas_draw_dib(&canvas, 0, 0, test.dib), -1);
    EXPECT_EQ(canvas_stretch_dib(&canvas, {0, 0, 8, 8}, test.dib), -1);
    EXPECT_EQ(count_changed(surface, original), 0);
  }
}

// Pixels and degenerate targets

TEST_F(CanvasTest, PixelsAreSetInsideTheClipAndReadOnTheSurface) {
  Surface surface = blank_surface(10, 10);
  Canvas canvas = canvas_on(&surface);
  canvas.clip = {2, 2, 8, 8};
  canvas.mix = CANVAS_MIX_XOR;  // not used for single pixels
  canvas_set_pixel(&canvas, 3, 4, RED);
  canvas_set_pixel(&canvas, 3, 4, RED);
  canvas_set_pixel(&canvas, 1, 1, RED);
  EXPECT_EQ(canvas_get_pixel(canvas, 3, 4), RED);
  EXPECT_EQ(canvas_get_pixel(canvas, 1, 1), 0u);
  EXPECT_EQ(canvas_get_pixel(canvas, -1, 0), CANVAS_NO_PIXEL);
  EXPECT_EQ(canvas_get_pixel(canvas, 0, 10), CANVAS_NO_PIXEL);
}

TEST_F(CanvasTest, NothingIsDrawnWithoutASurface) {
  Surface empty;
  Surface unsized;
  unsized.width = 50;  // pixels never allocated
  unsized.height = 50;
  for (Surface* target : {static_cast<Surface*>(nullptr), &empty, &unsized}) {
    Canvas canvas = canvas_on(target);
    canvas.face = &shared_face();
    for (const DrawCase& test : draw_cases()) test.draw(&canvas);
    canvas_set_pixel(&canvas, 0, 0, RED);
    EXPECT_EQ(canvas_get_pixel(canvas, 0, 0), CANVAS_NO_PIXEL);
    CanvasSaveUnder save;
    canvas_save_under(canvas, {0, 0, 10, 10}, &save);
    canvas_restore_under(&canvas, save);
    EXPECT_EQ(save.pixels.width, 0);
  }
  EXPECT_TRUE(unsized.pixels.empty());
}

}  // namespace
