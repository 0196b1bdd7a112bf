// The current pen move that the text and curve generators fill and their sinks consume: a
// displacement with a code, read by the screen plotter, the NC path encoder and the outline
// collector.
#pragma once

#include <cstdint>

// Stand-in: only the record and the sink type the curve walkers and the move encoder use.
// The glyph decoder, its transforms and the screen plotter come with the text subsystem.
struct PenMove {
  float x = 0.0f;  // pen position, world units; each sink adds the displacement to it
  float y = 0.0f;
  float z = 0.0f;   // pen height, world units; negative below the job's zero
  float dx = 0.0f;  // displacement of this move, world units
  float dy = 0.0f;
  float dz = 0.0f;  // Z change of a 3-D stroke ('L', 'V')
  float i = 0.0f;   // arc centre as an offset from the move's start (arcs only)
  float j = 0.0f;
  float cut_z = 0.0f;          // cutting height of the current item (set_item_depths)
  float rapid_z = 0.0f;        // safe height of the current item (set_item_depths)
  float rapid_height = 0.0f;   // the item's rapid height above its surface
  float feed = 0.0f;           // speeds of an 'S' move: XY feed
  float plunge_feed = 0.0f;    // plunge feed
  int32_t rpm = 0;             // spindle speed
  uint8_t per_revolution = 0;  // the tool's feed unit byte: non-zero feed per revolution
  uint8_t arcs_as_lines = 0;   // raised for output that cannot carry arcs
  char code = 0;  // '0' pen up, '1' line, '2' clockwise arc, '3' counter-clockwise arc, ...
  uint8_t full_circle = 0;  // 0, or the arc code of an arc that ends where it starts
};
inline PenMove g_pen_move;

// Called after the generator has set g_pen_move; the move is shared state, not an argument.
using PenMoveSink = void (*)();
