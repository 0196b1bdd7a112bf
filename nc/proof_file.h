// The proof file: the single hand-over between making or loading an NC program and what shows
// or measures it (the 3-D proof viewer, the machining-time estimate, the plotter-code writer).
// It is a flat sequence of 13-byte ProofRecords, no header and no trailer, rebuilt for every
// proof: first the records of the moves in execution order, then the wireframe of a curved
// work surface, then the axis indicator and the stock outline. Records are written field by
// field, little-endian; a reader stops at the first record that is not complete.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

constexpr char PROOF_FILE_NAME[] = "ERASE_ME.V3D";
constexpr size_t PROOF_RECORD_SIZE = 13;
// Start values of the extents: a maximum X still at PROOF_NO_MAX means nothing moved.
constexpr float PROOF_NO_MIN = 9000000.0f;
constexpr float PROOF_NO_MAX = -9000000.0f;
// The text record of a program pause (12 characters and the NUL).
constexpr char PROOF_PAUSE_TEXT[] = "M00  (Pause)";

// Kinds (all coordinates are end points in job units, Z up, negative into the material).
constexpr char PROOF_LINE = 'L';          // a: i32 NC row, b: f32 feed, c: i32 spindle speed
constexpr char PROOF_TOOL = 'T';          // text "T%d", or a: i32 tool number
constexpr char PROOF_TOOL_FINISHING = 'f';  // a: i32 tool number
constexpr char PROOF_TOOL_ROUGHING = 'r';   // a: i32 tool number
constexpr char PROOF_PAUSE = 'M';         // text PROOF_PAUSE_TEXT
constexpr char PROOF_POSITION = 'A';      // move there without drawing
constexpr char PROOF_RAPID = '0';
constexpr char PROOF_RAPID_Z = 'z';
constexpr char PROOF_PLUNGE = 'Z';
constexpr char PROOF_FEED = '1';
constexpr char PROOF_FEED_3D = 'V';
constexpr char PROOF_FEED_SECOND = '4';   // feed of the second cut colour
constexpr char PROOF_CHORD = '8';         // one chord of an arc turned into chords
constexpr char PROOF_ARC_STRAIGHT = '9';  // an arc drawn straight
constexpr char PROOF_OUTLINE_MOVE = '5';  // start of a contour outline, or a rapid inside one
constexpr char PROOF_Z_STEP = 'd';
constexpr char PROOF_OUTLINE = '6';       // line of a contour outline
constexpr char PROOF_AXIS = 'o';          // axis-indicator line
constexpr char PROOF_STOCK = 'B';         // stock-outline line
constexpr char PROOF_WIREFRAME = 'C';     // workpiece-wireframe line
constexpr char PROOF_WIREFRAME_DOME = 'D';  // wireframe line of a sphere or an oval

// One record: its kind and the 12 bytes of its three fields as stored (or the text after the
// kind, NUL-padded).
struct ProofRecord {
  uint8_t kind = 0;
  uint8_t field[12] = {};
};

// ---- Records -----------------------------------------------------------------------------------
ProofRecord proof_move_record(char kind, float x, float y, float z);
ProofRecord proof_line_record(int32_t row, float feed, int32_t rpm);
// The integer form of a tool change: a = tool, then 8 zero bytes.
ProofRecord proof_tool_record(char kind, int32_t tool);
// A text record: the text's first character is the kind; at most 12 more are kept, NUL-padded.
ProofRecord proof_text_record(const char* text);
// Field 0, 1 or 2 (a, b, c) as a float or an integer.
float proof_field_f32(const ProofRecord& record, int index);
int32_t proof_field_i32(const ProofRecord& record, int index);
// The text of a text record (kind included).
std::string proof_record_text(const ProofRecord& record);
void write_proof_record_bytes(const ProofRecord& record, uint8_t out[PROOF_RECORD_SIZE]);
void read_proof_record_bytes(const uint8_t in[PROOF_RECORD_SIZE], ProofRecord* record);

// ---- The file being written --------------------------------------------------------------------
struct ProofFileState {
  FILE* file = nullptr;         // open only inside a producer's run; null while closed
  int64_t axes_offset = -1;     // file offset of the first axis-indicator record
  float z_min = PROOF_NO_MIN;   // Z range of the moves (X and Y extents live in g_nc_extents)
  float z_max = PROOF_NO_MAX;
  uint8_t run_level = 0;        // non-zero while the 3-D view of the job is made and shown
  bool write_failed = false;    // a record could not be written: the file is incomplete
};
extern ProofFileState g_proof;

// The file's place: the temp folder.
std::string proof_file_path();
// Creates (or empties) the file and resets the extents. False when it can not be created.
bool proof_open();
// Writes one record with three float fields; nothing when the file is not open.
void proof_write_record(char kind, float a, float b, float c);
// The other record forms.
void proof_write_line(int32_t row, float feed, int32_t rpm);
void proof_write_tool(char kind, int32_t tool);
void proof_write_text(const char* text);
// A motion record that also grows the extents of the moves.
void proof_write_move(char kind, float x, float y, float z);
// Extents of the moves: minima +9,000,000, maxima -9,000,000 / grown by one point.
void proof_reset_extents();
void proof_grow_extents(float x, float y, float z);
bool proof_anything_moved();
// Appends the wireframe of the job's curved work surface (nothing on other surfaces).
void proof_write_workpiece();
// Stores the offset of the axis indicator, then appends it and, during a proof run of the job
// with the material box shown, the stock outline.
void proof_write_axes();
// Ends a producer's run: when anything moved, the wireframe and the axes follow and the file
// is kept (1; -1 when a write failed); otherwise the file is closed and deleted (0).
int proof_finish();
// Closes the file (no decorations).
void proof_close();
// Deletes the file (closing it first when open).
void proof_delete_file();

// ---- Reading ------------------------------------------------------------------------------------
// Every complete record of the file; a trailing part record is left out. False when the
// file can not be read.
bool read_proof_file(const std::string& path, std::vector<ProofRecord>* records);

// ---- Test hooks ---------------------------------------------------------------------------------
void reset_proof_file();
