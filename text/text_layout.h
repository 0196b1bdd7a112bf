// Text layout of engraving text items: the 192 stored bytes of a text item's layout, the
// measuring of a line of text, the fitting of length, height and width factor, and the frame
// of a straight text or a text on an arc.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "geometry/drawing_item.h"

// Offsets in the stored layout.
constexpr size_t TL_LENGTH = 0;
constexpr size_t TL_HEIGHT = 4;
constexpr size_t TL_SPACING = 8;
constexpr size_t TL_ANCHOR_X = 12;
constexpr size_t TL_ANCHOR_Y = 16;
constexpr size_t TL_H_JUSTIFY = 20;
constexpr size_t TL_V_JUSTIFY = 21;
constexpr size_t TL_FLAGS = 22;
constexpr size_t TL_ANGLE = 24;
constexpr size_t TL_SLANT = 28;
constexpr size_t TL_ARC_FIRST_DIR = 32;
constexpr size_t TL_ARC_LAST_DIR = 36;
constexpr size_t TL_ARC_START = 40;
constexpr size_t TL_ARC_END = 44;
constexpr size_t TL_LINK_NUMBER = 48;
constexpr size_t TL_LINK_DX = 52;
constexpr size_t TL_LINK_DY = 56;
constexpr size_t TL_ARC_RADIUS = 60;
constexpr size_t TL_BASELINE_RADIUS = 64;
constexpr size_t TL_ARC_DIRECTION = 68;
constexpr size_t TL_FONT_NUMBER = 70;
constexpr size_t TL_WIDTH_FACTOR = 72;
constexpr size_t TL_LOG_FONT = 76;
constexpr size_t TL_LOG_FONT_SIZE = 60;
constexpr size_t TL_PEN_ALLOWANCE = 136;
constexpr size_t TL_ENTERED_LENGTH = 140;
constexpr size_t TL_ENTERED_HEIGHT = 144;
constexpr size_t TL_FONT_HANDLE = 148;
constexpr size_t TL_START_X = 152;
constexpr size_t TL_START_Y = 156;
constexpr size_t TL_CORNERS = 160;
// Layout flags.
constexpr uint8_t TEXT_FLAG_MIRRORED = 0x01;
constexpr uint8_t TEXT_FLAG_VERTICAL = 0x02;
// Justification.
constexpr uint8_t JUSTIFY_START = 0, JUSTIFY_CENTRE = 1, JUSTIFY_END = 2;
constexpr uint8_t JUSTIFY_TOP = 0, JUSTIFY_MIDDLE = 1, JUSTIFY_BOTTOM = 2;
// The description of a TrueType face in the layout (the first bytes of its 60).
constexpr size_t LOG_FONT_HEIGHT = 0;     // i32, -10000 for a laid-out face
constexpr size_t LOG_FONT_WEIGHT = 16;    // i32, 400 normal, 700 bold
constexpr size_t LOG_FONT_ITALIC = 20;    // u8
constexpr size_t LOG_FONT_FACE = 28;      // 32 bytes, zero-ended face name
constexpr size_t LOG_FONT_FACE_SIZE = 32;

// Format codes inside a text.
constexpr uint8_t FORMAT_KERNING = 1;
constexpr uint8_t FORMAT_RAISE = 2;
constexpr uint8_t FORMAT_SIZE = 3;
constexpr uint8_t FORMAT_WIDTH = 4;
constexpr uint8_t FORMAT_DEPTH = 5;
constexpr uint8_t FORMAT_WIDTH_RESET = 23;
constexpr uint8_t FORMAT_KEEP = 24;
constexpr uint8_t FORMAT_SKIP = 127;
// Code arguments: the size code's scale, the kerning and depth base.
constexpr float FORMAT_SIZE_STEP = 0.027273f;
constexpr float FORMAT_WIDTH_STEP = 2.7273f;
constexpr int FORMAT_PERCENT_BASE = 143;
constexpr int FORMAT_RAISE_BASE = 133;

struct TextLayout {
  float length = 0, height = 0, spacing = 0;
  PointF anchor{0, 0};
  uint8_t h_justify = 0, v_justify = 0, flags = 0;
  float angle = 0, slant = 0;           // degrees
  float arc_first_dir = 0, arc_last_dir = 0, arc_start = 0, arc_end = 0;  // radians
  int16_t link_number = 0;
  float link_dx = 0, link_dy = 0;
  float arc_radius = 0, baseline_radius = 0;
  uint8_t arc_direction = 0;            // 0 clockwise, 1 counter-clockwise
  int16_t font_number = 0;
  float width_factor = 0;
  uint8_t log_font[TL_LOG_FONT_SIZE] = {};
  float pen_allowance = 0, entered_length = 0, entered_height = 0;
  uint32_t font_handle = 0;             // the shared TrueType face id, 0 none
  PointF start{0, 0};
  PointF corners[4] = {};               // A top start, B top end, C bottom start, D bottom end
};

void read_text_layout(const uint8_t in[192], TextLayout* layout);
void write_text_layout(const TextLayout& layout, uint8_t out[192]);
// The face name of a layout's TrueType description ("" for a stroke font text).
std::string layout_face_name(const TextLayout& layout);
bool layout_is_truetype(const TextLayout& layout);

// What measuring a line gives.
struct TextMeasure {
  float width = 0;   // glyph units
  int count = 0;     // printable characters
  int pen_count = 0; // printable characters not followed by a blank
};
// Measures text up to its first line break in the stroke font (or, with a face id, the
// TrueType face).
TextMeasure measure_text_run(const std::string& text, int16_t font_number, uint32_t face_id);
// The kerning of a pair in glyph units (0 for a font without kerning or a non-letter).
float kern_pair_offset(const uint8_t* kerning, bool has_kerning, int c, int next);

float text_length_for_height(const TextMeasure& m, float height, float width_factor,
                             float spacing, float pen, int pen_count);
float text_height_for_length(const TextMeasure& m, float length, float width_factor,
                             float spacing, float pen, int pen_count);
float width_factor_for_length(const TextMeasure& m, float length, float height, float spacing,
                              float pen, int pen_count);

float convert_justified_coordinate(int from, float value, int to, float extent);
float justified_position(int mode, float centre, float extent);
void wrap_angle_once(float* angle);

// Fits and frames one text item; its frame links are rebuilt from the result.
void layout_text_item(DrawingItem* item);
// The straight frame of a layout: corners and start point.
void compute_text_frame(TextLayout* layout, bool vertical);
// Lays out a text on an arc: the accumulated pen angle, or -1 when the arc cannot hold it.
double layout_arc_text(TextLayout* layout, const std::string& text, bool vertical,
                       uint8_t operation);
void compute_arc_text_frame(TextLayout* layout);

// The layout from the frame after the frame was edited or transformed; then laid out again.
void text_layout_from_frame(DrawingItem* item);

// The message of a text that cannot be fitted.
constexpr char TEXT_INVALID_VALUES[] = "That creates\ninvalid values!";
