// Settings input fields: the editors that a form's field handler runs on its current field (a
// typed number or text, a pick list, a letter cycle, an optional number, a file, a folder, a
// multi-line code text), the inline calculator of number fields, and the conversion of a field's
// value to and from its text. They all work on the running form's current field (display row,
// value column, width) and report alike:
//   FIELD_CHANGED (-13)    the value was changed and stored (Enter, a hot letter, a pick, the
//                          calculator)
//   other negative values  changed and stored; the negated key that ended the edit (-339: Del
//                          cleared it)
//   -27                    a file or folder choice was cancelled
//   0                      nothing to do; the form goes on with the same field
//   positive               the value stays; the key or event that ended the field, for the
//                          handler to pass on
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "screen/event_queue.h"
#include "ui/field_flags.h"

struct FileRecord;
struct TextLine;

// What a field holds and the entry rules are the bits of ui/field_flags.h.

// Entry flags of a file or folder typed anew: a path with the caret at its start.
constexpr uint32_t FIELD_PATH_NEW = FIELD_PATH | FIELD_CARET_AT_START;
constexpr uint32_t FIELD_NUMBER_TYPES = FIELD_INTEGER_TYPES | FIELD_FLOAT;

// The option word's meanings in edit_value_field beyond the exit keys of the entry line.
constexpr uint16_t FIELD_EXIT_BLANK = 0x2;       // a blank ends the field (returned as 32)
constexpr uint16_t FIELD_OPTIONS_USUAL = EXIT_PAGE_KEYS | EXIT_UP | EXIT_DOWN;

enum class FieldType : uint8_t { SHORT, LONG, BYTE, HEX, FLOAT, CHARACTER, TEXT };
FieldType field_type(uint32_t flags);

// A field's value: where it lives and, for a text, how many bytes its buffer holds (with the
// closing zero). Editors write only the bytes of the value's type.
struct FieldValue {
  void* data = nullptr;
  size_t capacity = 0;  // text fields only
};

// ---- The editors ----------------------------------------------------------------------------

EventCode edit_value_field(FieldValue value, uint32_t flags, uint16_t options, int width);
// A pick list over a null-ended array (hot letters given, or from the highlight codes); a
// negative width lists in the medium font. Without strings the picture grid is shown.
EventCode pick_list_field(const char* const* strings, const char* title, int row, int column,
                          uint8_t* index, int width, const char* letters, int picture,
                          int picture_columns, int picture_rows);
EventCode pick_string_field(const char* const* strings, const char* title, int row, int column,
                            uint8_t* index, int width, const char* letters);
// The value is base + the index of a letter: a letter chooses, a blank or Enter goes on.
EventCode cycle_list_field(const char* letters, uint8_t* value, uint8_t base, int width);
// A float whose FIELD_UNSET means "not given", edited as 0.
EventCode optional_float_field(float* value, uint32_t flags, int width);
EventCode file_name_field(int width, const char* filter, std::string* path);
// A typed path split into a file record: its folder is taken only when that folder exists; the
// name becomes the record's name; an extension the name has becomes the record's (and, with a
// dialog, the dialog's extension text), a name without one gets the record's ("report" with
// ".NC" gives "report.NC"). The record's full path follows its folder and name. With a dialog
// the values of form fields 1-3 are drawn again (field 4's not). Afterwards *path holds the
// name without its extension. A path that is empty or starts with a control character does
// nothing.
void set_file_record_path(std::string* path, FileRecord* record, std::string* dialog_extension);
EventCode directory_field(std::string* folder, int width);
EventCode code_text_field(int width, int help_topic, TextLine** lines, const char* title,
                          int editor_width, int editor_height);
// Display pass: the multi-line text on one field row.
void draw_code_text_field(int width, const TextLine* first);

// ---- The calculator and numbers ------------------------------------------------------------

// field_calculator (ui/field_flags.h) asks for "a op b" and stores the result.
// "a op b" with op one of * / + -; false without two numbers and an operator, or on a division
// by zero (*result untouched).
bool calculate_expression(const char* text, double* result);
// The calculator on an integer field: the result is rounded and kept inside the field's type.
EventCode integer_field_calculator(void* value, uint32_t flags);
// Digits, '.' and '-' (only first), thousands commas skipped; 0 when nothing is a number.
double parse_number(const char* text);
// The first character that can start a number; null when there is none.
const char* skip_to_number(const char* text);

// ---- Values and texts -----------------------------------------------------------------------

void store_field_text(FieldValue destination, uint32_t flags, const char* text);
std::string format_field_value(FieldValue value, uint32_t flags);
// Sets the value to zero (an empty text).
void clear_field_value(FieldValue value, uint32_t flags);

// ---- Small helpers ----------------------------------------------------------------------------

// The text becomes the only line of the text clipboard; "Copied!" shows for a moment.
void copy_to_text_clipboard(const char* text);
// The upper-cased character after each string's first highlight code (255 without one); empty
// when no string has one.
std::string hot_letters_of_strings(const char* const* strings);
// The clipboard keys as the fields read them (Ctrl+C, Ctrl+V, Ctrl+X, Del...); other codes stay.
EventCode map_field_clipboard_keys(EventCode code);
// 1 when the pointer is on the current field's value.
int pointer_on_field_value();
