// Text, number and path helpers that the whole program shares. Paths are POSIX: '/' separates,
// a folder ends with one '/', there are no drive letters; path bytes are the file system's.
#pragma once

#include <cctype>
#include <climits>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// True when the texts are equal but for the case of their letters.
inline bool same_text_ignoring_case(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

// ---- Paths and file names ----------------------------------------------------------------------

// The folder (up to and including the last '/', then given exactly one trailing '/') and the name
// (the rest). No '/' at all: an empty folder and the whole path as the name.
void split_path(std::string_view path, std::string* folder, std::string* name);
// base = the name; when the text from its last dot on is at most 4 bytes (a dot and up to three
// characters) the extension is what follows the dot and the base is cut there; else the extension
// is empty.
void split_extension(std::string_view name, std::string* base, std::string* extension);
// Replaces the extension of the path's last element (one counts when the text from its dot is
// shorter than 5 bytes), removes it for null, or appends "." + extension when there is none.
void change_extension(std::string* path, const char* extension);
// An empty text stays empty; trailing '/' become exactly one; any other text gets one.
void add_trailing_backslash(std::string* text);
// A path shortened to `width` columns for showing: its first two characters, an ellipsis drawn
// as three glyphs (four bytes: 0x97, 0x08 '\'', 0x97), and its last width - 5 characters. A path
// that fits (or a width too small to shorten into) is kept as long as fits: never more than
// `width` columns, never a byte read outside the path. Null gives "".
std::string abbreviate_path(const char* path, int width);

// ---- Dates -------------------------------------------------------------------------------------

// A directory entry's packed date (day bits 0-4, month 5-8, year - 1980 9-15) and time (seconds
// / 2 bits 0-4, minutes 5-10, hours 11-15). digits: "YYYY-MM-DD  hh:mm:ssa " on a 12-hour clock;
// else "YYYY Mon DD  hh:mm:ss " with the month's name (month_names[n] for month n; a month outside
// 1-12 or without a name shows "???").
std::string format_dos_date_time(uint16_t date, uint16_t time, bool digits,
                                 const std::vector<std::string>& month_names);

// ---- Numbers -----------------------------------------------------------------------------------

// Skips blanks, reads a decimal number into *value, then passes a '-' and every character from
// '.' to '9' but '/'; and a comma after it. Returns the position after all that.
const char* parse_float_advance(const char* text, float* value);
// The decimal digits of a non-negative value with a comma before every group of three
// (1234567 gives "1,234,567"); a negative value is shown with its minus sign before the digits.
std::string format_thousands(int64_t value);

// ---- Text --------------------------------------------------------------------------------------

// A '^' followed by a character from 'A' to '_' becomes that control character (& 0x1F); any
// other '^' and the character after it are both kept ("x^2" stays); a '^' at the very end stays.
std::string expand_caret_escapes(std::string_view source);
// 'a'-'z' to 'A'-'Z' (and back) in the first n bytes (all with n < 0), stopping at a zero byte.
void upper_case_n(char* text, int n);
void lower_case_n(char* text, int n);
inline void upper_case(char* text) { upper_case_n(text, -1); }
inline void lower_case(char* text) { lower_case_n(text, -1); }
// Makes the first letter of every word upper case in the first n bytes (all with n < 0). A word
// starts at a character from '!' to 'z' that is not one of the delimiters and runs to a
// delimiter, a newline, a blank or a character above 'z'.
void capitalise_words_n(char* text, int n, const char* delimiters);
// A message for a terminal: the colour codes and other control bytes dropped, newlines kept.
std::string terminal_text(const char* text);

// ---- Bitmaps (bit n is bit n % 8 of byte n / 8) ----------------------------------------------------

// The first clear bit below limit, or limit when all are set.
int first_clear_bit(const uint8_t* bitmap, int limit);
// Set or clear bit n; the result is its old value (non-zero when it was set).
int set_bit(uint8_t* bitmap, int n);
int clear_bit(uint8_t* bitmap, int n);

// ---- Names and blanks ------------------------------------------------------------------------------

// Removes the control characters (a glyph escape 0x08 and its character count as two) and the
// characters a file name may not hold: * ? | : < > / \ and the double quote; with FIELD_WILDCARDS
// (0x100) '*' and '?' stay; with the flag word exactly 0x48 (a path) '/', '\' and ':' stay.
// Returns how many characters were removed.
int strip_bad_name_chars(std::string* text, uint32_t flags);
// True when the character is refused in a name entered with these flags (see above).
bool is_bad_name_char(unsigned char c, uint32_t flags);
// Every '*' and '?' becomes '-', then the trailing '-' are cut.
void dash_wildcards(std::string* text);
// The text after its leading blanks, with its trailing blanks cut.
std::string trim_blanks(std::string_view text);
// Cuts trailing blanks; blanks before a final newline go and the newline stays.
void cut_trailing_blanks(std::string* text);

// ---- Integers ----------------------------------------------------------------------------------

// The absolute value; the most negative value, which has no positive counterpart, is given as the
// largest positive one.
inline int32_t abs_int(int32_t value) {
  if (value == INT32_MIN) return INT32_MAX;
  return value < 0 ? -value : value;
}
