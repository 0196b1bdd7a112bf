// A field's value to and from its text, the number reader of the fields, and small helpers of
// the settings fields.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "screen/display_mode.h"
#include "screen/pointer.h"
#include "screen/text_output.h"
#include "store/float_text.h"
#include "store/line_list.h"
#include "ui/dialog_form.h"
#include "ui/editor_key_map.h"
#include "ui/message_box.h"
#include "ui/settings_fields.h"

namespace {

constexpr int NUMBER_TEXT_MOST = 31;
constexpr uint32_t COPIED_NOTICE_TICKS = 3;
constexpr uint8_t NO_HOT_LETTER = 255;

// The integer a text reads as, truncated and kept inside [low, high].
int64_t integer_of_text(const char* text, int64_t low, int64_t high) {
  const double d = std::trunc(parse_number(text));
  if (d <= static_cast<double>(low)) return low;
  if (d >= static_cast<double>(high)) return high;
  return static_cast<int64_t>(d);
}

}  // namespace

FieldType field_type(uint32_t flags) {
  if ((flags & FIELD_SHORT) != 0) return FieldType::SHORT;
  if ((flags & FIELD_LONG) != 0) return FieldType::LONG;
  if ((flags & FIELD_BYTE) != 0) return FieldType::BYTE;
  if ((flags & FIELD_HEX) != 0) return FieldType::HEX;
  if ((flags & FIELD_FLOAT) != 0) return FieldType::FLOAT;
  if ((flags & FIELD_SINGLE_CHAR) != 0) return FieldType::CHARACTER;
  return FieldType::TEXT;
}

void store_field_text(FieldValue destination, uint32_t flags, const char* text) {
  if (destination.data == nullptr) return;
  if (text == nullptr) text = "";
  switch (field_type(flags)) {
    case FieldType::SHORT:
      write_value(destination.data, static_cast<int16_t>(integer_of_text(text, INT16_MIN, INT16_MAX)));
      return;
    case FieldType::LONG:
      write_value(destination.data, static_cast<int32_t>(integer_of_text(text, INT32_MIN, INT32_MAX)));
      return;
    case FieldType::BYTE: {
      // 256 and above stay 255; below -127 the byte of -127; otherwise the low byte.
      const int64_t n = *text == 0 ? 0 : integer_of_text(text, -100000, 100000);
      const int64_t kept = n >= 256 ? 255 : (n < -127 ? -127 : n);
      write_value(destination.data, static_cast<uint8_t>(kept & 0xFF));
      return;
    }
    case FieldType::HEX: {
      const unsigned long n = std::strtoul(text, nullptr, 16);
      write_value(destination.data, static_cast<uint16_t>(std::min<unsigned long>(n, 0xFFFF)));
      return;
    }
    case FieldType::FLOAT:
      write_value(destination.data, static_cast<float>(parse_number(text)));
      return;
    case FieldType::CHARACTER:
      write_value(destination.data, static_cast<char>(text[0]));
      return;
    case FieldType::TEXT: {
      if (destination.capacity == 0) return;
      const size_t n = std::min(std::strlen(text), destination.capacity - 1);
      char* out = static_cast<char*>(destination.data);
      std::memcpy(out, text, n);
      out[n] = 0;
      return;
    }
  }
}

std::string format_field_value(FieldValue value, uint32_t flags) {
  if (value.data == nullptr) return "";
  char text[32];
  switch (field_type(flags)) {
    case FieldType::SHORT:
      std::snprintf(text, sizeof text, "%d", read_value<int16_t>(value.data));
      return text;
    case FieldType::LONG:
      std::snprintf(text, sizeof text, "%ld", static_cast<long>(read_value<int32_t>(value.data)));
      return text;
    case FieldType::BYTE:
      std::snprintf(text, sizeof text, "%d", read_value<uint8_t>(value.data));
      return text;
    case FieldType::HEX:
      std::snprintf(text, sizeof text, "%X", read_value<uint16_t>(value.data));
      return text;
    case FieldType::FLOAT: return format_number(read_value<float>(value.data));
    case FieldType::CHARACTER: return std::string(1, read_value<char>(value.data));
    case FieldType::TEXT: {
      const char* s = static_cast<const char*>(value.data);
      return value.capacity == 0 ? std::string() : std::string(s, strnlen(s, value.capacity));
    }
  }
  return "";
}

void clear_field_value(FieldValue value, uint32_t flags) {
  if (value.data == nullptr) return;
  switch (field_type(flags)) {
    case FieldType::SHORT:
    case FieldType::HEX: write_value<int16_t>(value.data, 0); return;
    case FieldType::LONG: write_value<int32_t>(value.data, 0); return;
    case FieldType::BYTE: write_value<uint8_t>(value.data, 0); return;
    case FieldType::FLOAT: write_value<float>(value.data, 0.0f); return;
    case FieldType::CHARACTER: write_value<char>(value.data, 0); return;
    case FieldType::TEXT:
      if (value.capacity > 0) static_cast<char*>(value.data)[0] = 0;
      return;
  }
}

// ---- Numbers ----------------------------------------------------------------------------------

double parse_number(const char* text) {
  if (text == nullptr) return 0.0;
  const char* p = text;
  while (*p == ' ') ++p;
  std::string collected;
  while (*p != 0 && static_cast<int>(collected.size()) < NUMBER_TEXT_MOST) {
    const char c = *p;
    const bool digit = c >= '0' && c <= '9';
    if (c == ',' && std::isdigit(static_cast<unsigned char>(p[1])) &&
        std::isdigit(static_cast<unsigned char>(p[2])) &&
        std::isdigit(static_cast<unsigned char>(p[3]))) {
      ++p;  // a thousands separator
      continue;
    }
    if (c == '-' && !collected.empty()) break;
    if (!digit && c != '.' && c != '-') break;
    collected.push_back(c);
    ++p;
  }
  return std::strtod(collected.c_str(), nullptr);
}

const char* skip_to_number(const char* text) {
  if (text == nullptr) return nullptr;
  for (const char* p = text; *p != 0; ++p)
    if (*p >= '-' && *p <= '9' && *p != '/') return p;
  return nullptr;
}

// ---- Helpers ------------------------------------------------------------------------------------

void copy_to_text_clipboard(const char* text) {
  push_list();
  load_list_slot(LIST_SLOT_TEXT_CLIPBOARD);
  free_current_list();
  append_line(text != nullptr ? text : "");
  save_list_slot(LIST_SLOT_TEXT_CLIPBOARD);
  pop_list();
  show_text_box("Copied!", TEXTBOX_TIMED | COPIED_NOTICE_TICKS);
}

std::string hot_letters_of_strings(const char* const* strings) {
  std::string letters;
  bool any = false;
  for (const char* const* s = strings; s != nullptr && *s != nullptr; ++s) {
    const char* mark = std::strchr(*s, TC_HIGHLIGHT);
    if (mark != nullptr && mark[1] != 0) {
      letters.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(mark[1]))));
      any = true;
    } else {
      letters.push_back(static_cast<char>(NO_HOT_LETTER));
    }
  }
  return any ? letters : std::string();
}

EventCode map_field_clipboard_keys(EventCode code) {
  switch (code) {
    case KEY_DEL:
    case KEY_CTRL_INS:
    case KEY_CTRL_DEL:
    case KEY_CTRL_C:
    case KEY_CTRL_V:
    case KEY_CTRL_X: return map_clipboard_keys(code);
    default: return code;
  }
}

int pointer_on_field_value() {
  const int w = g_display.current.cell_width;
  const int h = g_display.current.cell_height;
  if (w <= 0 || h <= 0) return 0;
  const int x = g_pointer.wanted_x;
  const int y = g_pointer.wanted_y;
  const FieldDisplay& f = g_field;
  const bool on = (x + w - 1) / w >= f.value_column && x / w <= f.value_column + f.field_width &&
                  y / h == f.display_row;
  return on ? 1 : 0;
}
