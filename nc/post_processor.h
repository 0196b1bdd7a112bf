// Post-processor definitions: the output formats of NC programs (G & M codes or Velkor engraver
// commands, coordinate and arc-centre modes, line numbers, comments, feed decimals, file
// extension) with eight code sections of text lines that the move encoder expands at fixed
// events. The definitions are one list, read at start-up from the post-processor file in the
// program folder (KR_MILLt.KR4, in the metric file set KR_MILLm.KR4) and written back when the
// list changed. Each entry is a TextLine: its text is the definition's name, its id the
// definition's number (1..29999) and its extra block the PostProcessorDef, which owns the
// eight section lists (so entries are freed with delete_post_processor, not delete_line).
//
// File (little-endian, no gaps): the tag "SI012699\r" (files that begin with the older
// "SI041697\r" are read the same way), then per definition: u8 name length n (at most 39), the
// name and its NUL, i16 number, the 76-byte record, and eight sections, each a run of lines
// (i16 length L of 1..80, L bytes without the newline) ended by an i16 0. No count: the file
// ends after its last definition.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/files.h"
#include "store/line_list.h"

// ---- Files ----------------------------------------------------------------------------------
constexpr char PP_FILE_NAME[] = "KR_MILLt.KR4";
constexpr char PP_FILE_METRIC_NAME[] = "KR_MILLm.KR4";
constexpr char PP_FILE_TAG[] = "SI012699\r";
constexpr char PP_FILE_OLD_TAG[] = "SI041697\r";
constexpr size_t PP_FILE_TAG_SIZE = 9;
constexpr size_t PP_RECORD_SIZE = 76;    // the stored part of a definition
constexpr int PP_NAME_MAX = 39;          // characters of a name
constexpr int PP_LINE_MAX = 80;          // characters of a stored section line
constexpr int PP_WRAP_WIDTH = 38;        // the section editor's width
// Shown names and titles.
constexpr char PP_DEFAULT_NAME[] = "Fanuc compatible, absolute code";
constexpr char PP_LIST_TITLE[] = "NC Formats (ie, post processors)";
extern const char* const PP_OUTPUT_KIND_NAMES[2];
extern const char* const PP_COORDINATE_MODE_NAMES[3];
extern const char* const PP_ARC_CENTRE_NAMES[2];
extern const char* const PP_COMMENT_STYLE_NAMES[5];

// ---- Record values --------------------------------------------------------------------------
constexpr uint8_t PP_OUTPUT_GM_CODES = 0;
constexpr uint8_t PP_OUTPUT_VELKOR = 1;
constexpr uint8_t PP_OUTPUT_DXF = 3;          // only the DXF export's temporary definition
constexpr uint8_t PP_OUTPUT_KIND_COUNT = 2;   // kinds a file may hold
constexpr uint8_t PP_COORDS_INCREMENTAL_XYZ = 0;
constexpr uint8_t PP_COORDS_INCREMENTAL_XY = 1;
constexpr uint8_t PP_COORDS_ABSOLUTE = 2;
constexpr uint8_t PP_COORDS_MARKED_ABSOLUTE = '!';  // shown and stored as absolute by the editor
constexpr uint8_t PP_ARC_CENTRES_INCREMENTAL = 0;
constexpr uint8_t PP_ARC_CENTRES_ABSOLUTE = 1;
constexpr uint8_t PP_COMMENTS_STAR = 0;
constexpr uint8_t PP_COMMENTS_PARENTHESES = 1;
constexpr uint8_t PP_COMMENTS_QUOTE = 2;
constexpr uint8_t PP_COMMENTS_SEMICOLON = 3;
constexpr uint8_t PP_COMMENTS_NONE = 4;
constexpr size_t PP_EXTENSION_SIZE = 12;
constexpr size_t PP_TEXT_SIZE = 18;

// ---- Code sections ----------------------------------------------------------------------------
enum PostSection {
  PP_SECTION_START = 0,          // "STARTing code": program start
  PP_SECTION_TOOL_CHANGE = 1,    // "TOOL CHANGE code": resume after a tool change
  PP_SECTION_FINISHED_LINE = 2,  // "Finished-With-Line code": item start, same tool
  PP_SECTION_END = 3,            // "ENDing code": end of program
  PP_SECTION_PAUSE = 4,          // "Pause to change parts code"
  PP_SECTION_DRILL = 5,          // held and written, never expanded
  PP_SECTION_TAP = 6,            // held and written, never expanded
  PP_SECTION_RESET = 7,          // "RESET-After-Line code": an item marked for a reset
};
constexpr int PP_SECTION_COUNT = 8;

// One output format. Fields in record order; the stored offsets are given per field.
struct PostProcessorDef {
  uint8_t output_kind = PP_OUTPUT_GM_CODES;        // +0
  uint8_t coordinate_mode = PP_COORDS_ABSOLUTE;    // +1
  uint8_t arc_centre_mode = PP_ARC_CENTRES_INCREMENTAL;  // +2
  uint8_t line_numbers = 0;                        // +3 0 no, 1 yes
  uint8_t word_spaces = 0;                         // +4 spaces between words, 0 no, 1 yes
  uint8_t comment_style = PP_COMMENTS_STAR;        // +5 PP_COMMENTS_*
  uint8_t compact = 0;                             // +6 compact the program (G & M only)
  uint8_t feed_decimals = 1;                       // +7 0..2 digits after the point in F words
  uint8_t one_digit_g = 0;                         // +8 "G0"/"G1" instead of "G00"/"G01"
  char extension[PP_EXTENSION_SIZE] = "NC";        // +9 zero-ended, of the NC program file
  char spindle_text[PP_TEXT_SIZE] = "M03";         // +21 zero-ended; carried, not used
  char spindle_reverse_text[PP_TEXT_SIZE] = "M04"; // +39 zero-ended; carried, not used
  // +57..+64 reserved: stored as zeros
  uint8_t reserved_65[3] = {};                     // +65 kept as read
  // +68..+75 hold nothing in the file (the section lists live in memory)
  LineList sections[PP_SECTION_COUNT] = {};        // owned; each line's text ends with "\n"
};

// ---- The record ---------------------------------------------------------------------------------
// Reads the 76 stored bytes: an output kind the file may not hold becomes G & M codes, the
// texts are kept zero-ended. The sections are left alone.
void read_post_processor_record(const uint8_t in[PP_RECORD_SIZE], PostProcessorDef* def);
// Writes the 76 stored bytes; reserved and section bytes +57..+64 and +68..+75 as zeros.
void write_post_processor_record(const PostProcessorDef& def, uint8_t out[PP_RECORD_SIZE]);

// ---- Entries ----------------------------------------------------------------------------------
// The definition of an entry; null when the line holds none.
PostProcessorDef* post_processor_def(const TextLine* entry);
// The first line of one of the entry's code sections; null for a bad entry or slot.
TextLine* post_processor_section(const TextLine* entry, int slot);
// Appends to the current list an entry with the default definition (absolute G & M codes with
// the default sections). Null when memory runs out.
TextLine* default_post_processor(const char* name, int16_t number);
// Appends to the current list an entry owning def and its sections. Null (def's sections
// freed) when memory runs out.
TextLine* append_post_processor(const char* name, int16_t number, const PostProcessorDef& def);
// Frees the entry's sections and deletes it from the current list; returns the next entry.
TextLine* delete_post_processor(TextLine* entry);
// Frees every entry of a list of definitions.
void free_post_processor_list(LineList* list);
// A section list made from lines of text (each gets its "\n"); one empty line when none.
LineList make_code_section(const char* const* lines, int count);

// ---- The file ---------------------------------------------------------------------------------
enum PostReadResult {
  PP_READ_OK = 0,        // every definition read
  PP_READ_DAMAGED = 1,   // the file is damaged: the definitions before the damage were kept
  PP_READ_NO_FILE = -1,  // missing or unreadable: nothing read
  PP_READ_FOREIGN = -2,  // neither tag: nothing read
  PP_READ_EMPTY = -3,    // a tag and no whole definition
};
// A reader over the whole file in memory; every length is checked against what is left.
struct PostFileReader {
  const uint8_t* data = nullptr;
  size_t size = 0;
  size_t at = 0;           // next byte to read
  bool abandoned = false;  // a damaged section gave up the rest of the file
};
// Reads one section: lines up to an i16 0. A length outside 0..80, a short read or a text that
// holds a newline abandons the file: the reader moves to its end and the section comes back
// empty (one empty line).
LineList read_code_section(PostFileReader* reader);
// Writes the lines of a section and its end mark. Lines with no text before their newline are
// left out: stored, they would end the section early.
bool write_code_section(const TextLine* first, SaveFile* file);
// Reads the definitions of a file. When at least one was read *list receives them (its former
// entries are freed); otherwise *list is left as it was. A definition cut short is dropped and
// the ones before it are kept, so that saving the list again loses none of them.
PostReadResult read_post_processor_file(const std::string& path, LineList* list);
// True when every named definition from first on can be written so that it reads back: a
// name of at most 39 characters and section lines of at most 80. *why names the first that
// can not.
bool post_processors_writable(const TextLine* first, std::string* why);
// Writes the file: the tag and every entry whose name begins with a printable character.
bool write_post_processor_file(SaveFile* file, const TextLine* first);
// Saves the definitions to path through a temporary file, keeping the old one as .BAK. 0
// saved; 27 refused or failed, reported in a press-a-key box, the old file untouched.
int save_post_processor_file(const std::string& path, const TextLine* first);

// ---- The program's list -----------------------------------------------------------------------
struct PostProcessorState {
  LineList list;            // the definitions in the user's order; never empty after a read
  std::string file_path;    // the file read at start-up and written back
  bool changed = false;     // the list was edited: write_post_processors writes the file
  bool read_in_part = false;  // the file was damaged: the definitions after the damage are lost
};
extern PostProcessorState g_post_processors;

// The file's name for the file set.
const char* post_processor_file_name(bool metric_set);
// Builds the list from the file in folder (found ignoring case). A missing, foreign or empty
// file gives the default definition, named PP_DEFAULT_NAME. Returns the read result.
PostReadResult read_post_processors(const std::string& folder, bool metric_set);
// Writes the file when the list changed. 0 written or nothing to write, 27 failed (reported).
int write_post_processors();
// Frees every definition.
void free_post_processors();
// The entry with the number, else the first entry; null for an empty list.
TextLine* find_post_processor(int16_t number);
