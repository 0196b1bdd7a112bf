// The field flags: one 32-bit word that says what a value field holds and how its text is typed.
// The entry line reads the entry bits, the settings fields the type bits; both share the result
// codes and the exit keys below.
#pragma once

#include <cstdint>
#include <cstring>

// A field's value is read and written by its bytes: values sit inside records at any offset.
template <class T>
void write_value(void* data, T value) {
  std::memcpy(data, &value, sizeof value);
}
template <class T>
T read_value(const void* data) {
  T value;
  std::memcpy(&value, data, sizeof value);
  return value;
}

// ---- Value types (the first found in the order short, long, byte, hex, float wins) --------------
constexpr uint32_t FIELD_FLOAT = 0x2;           // 32-bit float
constexpr uint32_t FIELD_BYTE = 0x1000000;      // unsigned byte, "%d"
constexpr uint32_t FIELD_SHORT = 0x2000000;     // signed 16-bit, "%d"
constexpr uint32_t FIELD_HEX = 0x4000000;       // 16-bit shown and typed in hexadecimal
constexpr uint32_t FIELD_LONG = 0x8000000;      // signed 32-bit, "%ld"
constexpr uint32_t FIELD_INTEGER_TYPES = FIELD_BYTE | FIELD_SHORT | FIELD_HEX | FIELD_LONG;

// ---- Entry rules -----------------------------------------------------------------------------
constexpr uint32_t FIELD_MINUS = 0x8;            // '-' allowed
constexpr uint32_t FIELD_NO_BLANKS = 0x10;
constexpr uint32_t FIELD_UPPER_CASE = 0x20;
constexpr uint32_t FIELD_FILE_NAME = 0x40;       // the file-name characters only
constexpr uint32_t FIELD_LETTERS = 0x80;         // letters only (a blank unless FIELD_NO_BLANKS)
constexpr uint32_t FIELD_WILDCARDS = 0x100;      // with FIELD_FILE_NAME: '*' and '?' allowed
constexpr uint32_t FIELD_PLAIN_TEXT = 0x200;     // control characters come back as 1024 + c;
                                                 // trailing blanks stay
constexpr uint32_t FIELD_DOTTED = 0x400;         // digits, '.', '-' with FIELD_MINUS, '*' first
constexpr uint32_t FIELD_CARET_AT_START = 0x800;
constexpr uint32_t FIELD_SINGLE_CHAR = 0x1000;   // one character, the caret stays at column 0
constexpr uint32_t FIELD_CARET_AT_POINTER = 0x8000;
constexpr uint32_t FIELD_SELECT_ALL = 0x400000;  // the first key replaces the text
constexpr uint32_t FIELD_MEDIUM_FONT = 0x10000000;
constexpr uint32_t FIELD_SMALL_FONT = 0x20000000;
// The whole flag word of a path entry: file-name rules, '-' allowed, and '/' kept.
constexpr uint32_t FIELD_PATH = FIELD_FILE_NAME | FIELD_MINUS;

// ---- Exit keys: each bit makes a key end the entry and come back as its result ------------------
constexpr uint16_t EXIT_PAGE_KEYS = 0x01;      // PgUp and PgDn
constexpr uint16_t EXIT_UP = 0x04;
constexpr uint16_t EXIT_DOWN = 0x08;
constexpr uint16_t EXIT_LEFT = 0x10;           // number box
constexpr uint16_t EXIT_RIGHT = 0x20;          // number box
constexpr uint16_t EXIT_F1 = 0x40;             // entry line
constexpr uint16_t EXIT_CLIPBOARD = 0x80;      // number box: the copy and paste keys
constexpr uint16_t EXIT_MIDDLE_AND_ROW = 0x100; // the middle button (with EXIT_PAGE_KEYS) and
                                                // pointer motion off the entry row
constexpr uint16_t EXIT_ENTER = 0x400;         // Enter leaves the number box without editing

// ---- Field results -----------------------------------------------------------------------------
// Negative: the value changed and was stored (the negated ending key); FIELD_CHANGED when no key
// ended it (Enter, a hot letter, a pick, the calculator).
constexpr int16_t FIELD_CHANGED = -13;
constexpr int16_t FIELD_CANCELLED = -27;

// The inline calculator of number fields: "<number> <operator> <number>" typed after the value
// replaces it with the result. FIELD_CHANGED when it did, else 0. Built with the settings fields.
int16_t field_calculator(float* value);
