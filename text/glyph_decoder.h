// The glyph decoder and the pen-move transform: one glyph record of a compiled stroke font (or
// one prepared TrueType outline) becomes pen moves, one per call, each turned from glyph units
// into world units by the character's transform before its sink gets it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "geometry/float2d.h"
#include "records/pen_move.h"

// The transform of the current character; the text generator sets it per text and character.
struct GlyphTransform {
  bool first_move = false;   // set before a character's first call, cleared after it
  float size = 0.0f;         // size factor of the character (0 none)
  float raise = 0.0f;        // vertical offset in text heights (0 none)
  bool vertical = false;     // characters stacked downwards
  bool mirrored = false;     // glyphs mirrored top to bottom
  bool arc_turn = false;     // glyphs turned half a turn (counter-clockwise arc text)
  bool arc_mirror = false;   // glyphs mirrored left to right (mirrored counter-clockwise arc)
  float half_advance = 0.0f; // half the advance of the character (vertical text)
  float pending_dx = 0.0f;   // added once to the next transformed line or pen-up move
  float pending_dy = 0.0f;
  bool pending = false;
  bool mirror_shift = false;  // one-shot: dy - 1 on the next mirrored line or pen-up move
  bool mirror_close = false;  // dy + 1 on the closing move of a mirrored character
  float width_factor = 1.0f;
  float slant = 0.0f;         // tangent of the slant angle
};

// What the decoder reads besides the glyph: the tolerance and the text height (glyph units to
// world units), the view when drawing on the screen, and the run it works for.
struct GlyphDecoderInputs {
  double tolerance = 0.001;     // world units
  double text_height = 1.0;     // world units per glyph unit
  double view_scale = 1.0;      // pixels per world unit
  bool drawing_page = false;    // drawing on the Drawing page: quick splines and arcs
  bool show_splines = false;    // the Drawing page's option: smooth splines anyway
  bool proof_run = false;
};

// The decoder's state for one character.
struct GlyphDecoder {
  GlyphTransform transform;
  GlyphDecoderInputs inputs;
  bool pen_up_pending = false;
  std::vector<PointF> queue;  // line moves still to hand out (spline and arc chords)
  size_t queue_next = 0;
};
extern GlyphDecoder g_glyph_decoder;
void reset_glyph_decoder();

// Decodes and transforms the next move of a character into g_pen_move. With a glyph record on
// the first call for the character and the returned continuation afterwards; with null, the
// moves of the prepared TrueType outline. Null when the character has ended: g_pen_move then
// holds its closing move.
const uint8_t* next_text_move(const uint8_t* record);
// The untransformed steps, for tests and the font viewer.
const uint8_t* decode_stroke_move(const uint8_t* record);
void transform_move();
void finish_glyph_move();
