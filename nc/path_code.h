// Path code: the intermediate tool path of one NC run, and the move encoder that fills it.
//
// The walkers and the make-NC driver hand moves one at a time to path_encode_move (a
// PenMoveSink); it turns each into one-letter opcodes appended to two parallel streams: the
// opcode bytes (some followed by one parameter byte or by a NUL-ended text) and the f32
// operands of those opcodes in the same order. Exactly one writer then walks the whole path
// code with path_read_op: the post processor or the DXF writer. Coordinates are in the job's
// unit; X, Y absolute drawing coordinates, Z absolute with 0 at the job's zero, negative into
// the material.
//
// The encoder is where the output language first shows: it expands code sections into literal
// lines, writes the Velkor pen heights and speeds, turns arcs into chords where the output
// cannot carry arcs, and subdivides long moves on curved work surfaces.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "geometry/float2d.h"
#include "records/cam_params.h"
#include "records/pen_move.h"

struct TextLine;

// ---- Opcodes ----------------------------------------------------------------------------------
// text after the opcode: '#' literal output line, '*' comment, 't' / 'f' / 'r' tool change
// (decimal tool number). One parameter byte: 'S' (1 per revolution), 'c' ('2' or '3'),
// 'u' ('1' drill, '3' peck drill, '4' tap). Operand counts: see path_operand_count.
constexpr char PATH_OP_LINE = '#';
constexpr char PATH_OP_COMMENT = '*';
constexpr char PATH_OP_TOOL = 't';
constexpr char PATH_OP_TOOL_FINISHING = 'f';
constexpr char PATH_OP_TOOL_ROUGHING = 'r';
constexpr char PATH_OP_SPEEDS = 'S';         // feed, plunge feed, spindle speed
constexpr char PATH_OP_START = 'A';          // cut Z, X, Y, PATH_NO_Z; always followed by 'd'
constexpr char PATH_OP_DESCEND = 'd';        // Z: rapid down to the rapid height after 'A'
constexpr char PATH_OP_PLUNGE = 'Z';         // Z: feed down to the cut depth
constexpr char PATH_OP_RETRACT = 'z';        // Z: rapid up to the rapid height
constexpr char PATH_OP_RAPID = '0';          // X, Y, Z
constexpr char PATH_OP_FEED = '1';           // X, Y, Z (also every chord of an arc)
constexpr char PATH_OP_FEED_3D = 'V';        // X, Y, Z: a feed along which Z changes
constexpr char PATH_OP_ARC_CW = '2';         // X, Y, I, J (centre offset from the start)
constexpr char PATH_OP_ARC_CCW = '3';
constexpr char PATH_OP_CIRCLE = 'c';         // X, Y, I, J; end may equal start
constexpr char PATH_OP_CIRCLE_POINT = 'p';   // X, Y, Z: a circle too small to cut as an arc
constexpr char PATH_OP_DRILL = 'u';          // X, Y, cut Z, rapid Z, peck, feed, surface Z
constexpr char PATH_OP_CONTOUR_START = 'o';  // X, Y, surface Z
constexpr char PATH_OP_CONTOUR_END = '$';
constexpr char PATH_OP_POSITION = 'a';       // X, Y, rapid Z; always followed by 'e'
constexpr char PATH_OP_RAPID_Z = 'e';        // Z
constexpr char PATH_OP_SECOND_HEAD = 'W';    // Z words use the letter W from here on
constexpr char PATH_OP_FIRST_HEAD = 'w';     // Z words use the letter Z again

// The fourth operand of 'A': no Z is known yet.
constexpr float PATH_NO_Z = 3000000.0f;
// Room of a fresh buffer: opcode bytes and operands.
constexpr int32_t PATH_INITIAL_OPS = 5000;
constexpr int32_t PATH_INITIAL_VALUES = 5000;
// Increments up to this size are held back and added to the next feed move.
constexpr float PATH_CARRY_LIMIT = 0.000001f;
// The initial Velkor pen heights: no height written yet.
constexpr float PATH_VELKOR_NO_HEIGHT = -10000000000.0f;
// Told when a path buffer can not be had or grown; the run then stops short of its output.
constexpr char PATH_OUT_OF_MEMORY_MESSAGE[] = "Out of memory, press enter";

// ---- The buffer ---------------------------------------------------------------------------------
struct PathCode {
  std::vector<uint8_t> ops;    // opcode stream; ops.size() == op_capacity
  int32_t op_count = 0;        // bytes used in ops
  int32_t op_capacity = 0;     // bytes allocated; 0 while the buffers are not allocated
  std::vector<float> values;   // operand stream; values.size() == value_capacity
  int32_t value_count = 0;     // operands used
  int32_t value_capacity = 0;  // operands allocated
  bool failed = false;         // an append found no room and the buffer could not grow; the
                               // path is incomplete and must not be written out (sticky)
  // Where the last two opcodes start (bytes, operands), so that a retract at the very end can
  // be taken back safely; -1 when not known.
  int32_t last_op_at = -1;
  int32_t last_values_at = -1;
  int32_t prev_op_at = -1;
  int32_t prev_values_at = -1;
  bool fail_next_growth = false;  // test hook: the next allocation or growth fails
};
extern PathCode g_path_code;

// Allocates both buffers (PATH_INITIAL_OPS bytes, PATH_INITIAL_VALUES operands) and empties
// them; does nothing when they are allocated already. 0, or -1 when memory runs out (told).
int path_alloc();
// Frees both buffers; both capacities become 0.
void path_free();
// Makes room before a burst of writes: op_count + op_bytes + 400 bytes and value_count +
// 3 * moves + 90 operands. False when the buffers could not grow (then failed is set).
bool path_reserve(int32_t op_bytes, int32_t moves);
// True when some append of this run was lost.
bool path_failed();

// ---- Writers (every append checks its room and grows the buffer when needed) -------------------
// An opcode with its operands.
void path_put_op(char opcode, const float* operands, int count);
// An opcode, one parameter byte and its operands.
void path_put_op_with_byte(char opcode, uint8_t byte, const float* operands, int count);
// An opcode followed by a NUL-ended text ('#', '*', 't', 'f', 'r').
void path_put_text_op(char opcode, const char* text);
// The opcode ('t', 'f' or 'r') and the tool number of the current tool block as its text.
void path_put_number(char opcode);
// 'o' with the contour's first node and its Z at surface; the pen moves there.
void path_put_contour_start(float x, float y, float surface_z);
// '$' after a contour or pocket outline.
void path_put_contour_end();

// ---- Reading ----------------------------------------------------------------------------------
// Operands an opcode carries; -1 for a byte that is no opcode.
int path_operand_count(char opcode);
// True for the opcodes followed by a text, and those followed by one parameter byte.
bool path_op_has_text(char opcode);
bool path_op_has_byte(char opcode);

struct PathReader {
  int32_t op_at = 0;     // next opcode byte
  int32_t value_at = 0;  // next operand
};
struct PathOp {
  char code = 0;
  uint8_t param = 0;              // the parameter byte of 'S', 'c', 'u'
  const char* text = nullptr;     // the text of '#', '*', 't', 'f', 'r' (inside the buffer)
  const float* values = nullptr;  // the operands (inside the buffer)
  int value_count = 0;
  int32_t at = 0;                 // offset of the opcode byte
};
enum PathReadResult {
  PATH_READ_OP = 1,         // *op holds the next opcode
  PATH_READ_END = 0,        // every opcode was read
  PATH_READ_UNKNOWN = -1,   // a byte that is no opcode: the walk must stop, nothing is skipped
  PATH_READ_TRUNCATED = -2, // an opcode whose parameter, text or operands run past the end
};
// Reads the next opcode and its operands; the reader stays on a bad opcode.
PathReadResult path_read_op(PathReader* reader, PathOp* op);
// The opcode after the reader's position without moving it; 0 at the end.
char path_peek_op(const PathReader& reader);

// ---- The move encoder ----------------------------------------------------------------------------
struct PathEncoderState {
  char last_op = 0;          // last opcode written (or last PenMove code consumed)
  float last_feed = 0.0f;    // feed last written by an F substitution or a Velkor speed;
                             // 0 forces the next one
  int32_t last_rpm = 0;      // spindle speed last written by an S substitution; 0 forces it
  float carry_dx = 0.0f;     // increments of at most PATH_CARRY_LIMIT held back from the
  float carry_dy = 0.0f;     // previous move, added to the next feed move
  float velkor_last_up_z = PATH_VELKOR_NO_HEIGHT;    // last pen-up height written
  float velkor_last_down_z = PATH_VELKOR_NO_HEIGHT;  // last pen-down depth written
};
extern PathEncoderState g_path_encoder;

// What the make-NC driver and the walkers keep current for the encoder.
struct MoveEncoderInputs {
  uint8_t output_kind = 0;                   // PP_OUTPUT_*: 0 G & M, 1 Velkor, 3 DXF
  const TextLine* post_processor = nullptr;  // definition in use (sections, comment style)
  CamParams current_cam_params;              // the item being encoded (operation, heights)
  CamToolBlock current_tool_block;           // the tool in use (number, feed, cut depth)
  std::string current_comment;               // text of the next '*' move
  float item_surface_z = 0.0f;               // Z of the work surface at the item
  uint8_t circle_mode = 0;                   // a whole circle or a drill circle is being sent
  uint8_t no_subdivision = 0;                // the next positioning must stay one move
  uint8_t tool_change_pending = 0;           // the next 'R' writes the tool-change section
  uint8_t finished_line_option = 0;          // the job's output_yes_no, copied after item 1
  float output_min_step = 0.0001f;           // smallest coordinate step of the output
  float tolerance = 0.002f;                  // chord tolerance of the run, job units, never 0
};
extern MoveEncoderInputs g_encoder_inputs;

// The PenMoveSink of NC runs: consumes g_pen_move.
void path_encode_move();
// n = |(dx, dy)| / step_length + 0.5, truncated. n > 1: *step = (dx, dy) / n, returns n;
// otherwise *step = (dx, dy), returns 1.
int subdivide_move(float dx, float dy, PointF* step, float step_length);
// subdivide_move with the step length of the job's work surface.
int surface_step_length(float dx, float dy, PointF* step);

// ---- Test hooks --------------------------------------------------------------------------------
// Empties and frees the path code and puts the encoder state and inputs back to start-up.
void reset_path_code();
// Makes the next growth of either buffer fail as if memory ran out (false turns it off).
void path_fail_next_growth(bool fail);
