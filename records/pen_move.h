// The current pen move that the text and curve generators fill and their sinks consume: a
// displacement with a code, read by the screen plotter, the NC path encoder and the outline
// collector.
#pragma once

#include <cstdint>

// What a pen move asks for: the code of g_pen_move. The values are the bytes the move protocol
// has always used (the encoder also compares them in order: every code below PEN_RESUME moves
// the pen by its displacement in the outline collector).
enum PenMoveCode : char {
  PEN_UP = '0',           // a positioning move with the pen up (a rapid)
  PEN_LINE = '1',         // a straight feed move
  PEN_ARC_CW = '2',       // a clockwise arc about the centre offset (i, j)
  PEN_ARC_CCW = '3',      // a counter-clockwise arc about the centre offset (i, j)
  PEN_RAPID_ALWAYS = '4', // a rapid that is written even when it has no length
  PEN_COMMENT = '*',      // the encoder's current comment becomes a comment line
  PEN_START = 'A',        // the program starts: the pen goes above the first item's start
  PEN_LINE_3D = 'L',      // a 3-D line: the pen moves by (dx, dy, dz)
  PEN_RESUME = 'R',       // after a tool change or between items: the run resumes cutting
  PEN_SPEEDS = 'S',       // the item's feed, plunge feed and spindle speed
  PEN_FEED_3D = 'V',      // a feed to the cut depth along which Z changes
  PEN_PLUNGE = 'Z',       // a feed down to the cut depth
  PEN_BEGIN_ITEM = 'b',   // the outline collector: an item begins
  PEN_DESCEND = 'd',      // a rapid down to the rapid height after the start
  PEN_FINISH_ITEM = 'f',  // the outline collector: the item ends
  PEN_RESET = 'm',        // the post processor's reset section
  PEN_END = 'q',          // the program ends
  PEN_PAUSE = 's',        // the post processor's pause section
  PEN_DRILL = 'u',        // a drill cycle at the pen's position
  PEN_RETRACT = 'z',      // a rapid up to the rapid height
};

// The move itself. The text generator fills it through the glyph decoder (text/glyph_decoder.h),
// the curve walkers directly; the screen plotter (text/pen_plotter.h), the move encoder and the
// outline collector consume it.
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
  char code = 0;  // a PenMoveCode, kept as its byte
  uint8_t full_circle = 0;  // 0, or the arc code of an arc that ends where it starts
};
inline PenMove g_pen_move;

// Called after the generator has set g_pen_move; the move is shared state, not an argument.
using PenMoveSink = void (*)();
