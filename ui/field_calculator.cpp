// The inline calculator of number fields: the user types "a op b" in a box and the field takes
// the result.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "screen/event_queue.h"
#include "store/float_text.h"
#include "ui/field_flags.h"
#include "ui/message_box.h"
#include "ui/settings_fields.h"

namespace {

constexpr char CALCULATOR_PROMPT[] =
    "Enter two values and a math operation.\n"
    "Operations are: \v*\x13 (multiply)  \v/\x13 (divide)  \v+\x13 (add)  \v-\x13 (subract)\n"
    "Examples:   123.45 * 2\n"
    "            123.45 / .345\n\n";
constexpr int CALCULATOR_ROW = 12;
constexpr int MESSAGE_BOX_CENTRE = 32000;
constexpr int CALCULATOR_WIDTH = 64;
constexpr int CALCULATOR_ENTRY_WIDTH = 60;
constexpr uint16_t CALCULATOR_OPTIONS = 50;
constexpr size_t CALCULATOR_TEXT_SIZE = 256;
constexpr int NUMBER_TEXT_MOST = 31;

// Reads a number at p (an optional leading '-', digits and one '.'): false when it holds no
// digit; *end is the first character after it.
bool read_number(const char* p, double* value, const char** end) {
  std::string collected;
  if (*p == '-') collected.push_back(*p++);
  bool digit = false;
  while ((std::isdigit(static_cast<unsigned char>(*p)) || *p == '.') &&
         static_cast<int>(collected.size()) < NUMBER_TEXT_MOST) {
    digit = digit || *p != '.';
    collected.push_back(*p++);
  }
  *end = p;
  if (!digit) return false;
  *value = std::strtod(collected.c_str(), nullptr);
  return true;
}

const char* skip_blanks(const char* p) {
  while (*p == ' ') ++p;
  return p;
}

// Asks for the sum starting from the value's text; false when cancelled or not a sum.
bool ask_calculation(const std::string& start, double* result) {
  char text[CALCULATOR_TEXT_SIZE] = {};
  std::strncpy(text, start.c_str(), CALCULATOR_ENTRY_WIDTH);
  const int16_t answer = message_box(CALCULATOR_ROW, MESSAGE_BOX_CENTRE, CALCULATOR_WIDTH,
                                     CALCULATOR_PROMPT, 0, text, CALCULATOR_ENTRY_WIDTH, nullptr,
                                     CALCULATOR_OPTIONS, nullptr);
  if (answer == KEY_ESC) return false;
  return calculate_expression(text, result);
}

}  // namespace

bool calculate_expression(const char* text, double* result) {
  const char* p = skip_to_number(text);
  if (p == nullptr) return false;
  double a = 0.0;
  if (!read_number(p, &a, &p)) return false;
  p = skip_blanks(p);
  const char op = *p;
  if (op != '*' && op != '/' && op != '+' && op != '-') return false;
  double b = 0.0;
  if (op == '-') {
    // The minus is the operator, whatever blanks stand around it: "5 - 3" is 2.
    const char* q = skip_blanks(p + 1);
    if (!read_number(q, &b, &q)) return false;
    *result = a - b;
    return true;
  }
  const char* q = skip_to_number(p + 1);
  if (q == nullptr || !read_number(q, &b, &q)) return false;
  if (op == '*') *result = a * b;
  else if (op == '+') *result = a + b;
  else if (b == 0.0) return false;
  else *result = a / b;
  return true;
}

int16_t field_calculator(float* value) {
  if (value == nullptr) return 0;
  double result = 0.0;
  if (!ask_calculation(format_float_text(read_value<float>(value), FLOAT_SIX_DECIMALS), &result))
    return 0;
  write_value<float>(value, static_cast<float>(result));
  return FIELD_CHANGED;
}

EventCode integer_field_calculator(void* value, uint32_t flags) {
  if (value == nullptr || (flags & FIELD_INTEGER_TYPES) == 0) return 0;
  const FieldValue field{value, 0};
  double result = 0.0;
  if (!ask_calculation(format_field_value(field, flags), &result)) return 0;
  // Rounded, then kept inside the field's own type: the field's bytes are all that is written.
  const double rounded = std::nearbyint(result);
  double low = INT32_MIN, high = INT32_MAX;
  switch (field_type(flags)) {
    case FieldType::BYTE: low = 0; high = UINT8_MAX; break;
    case FieldType::SHORT: low = INT16_MIN; high = INT16_MAX; break;
    case FieldType::HEX: low = 0; high = UINT16_MAX; break;
    default: break;
  }
  const double kept = std::isnan(rounded) ? 0.0 : std::clamp(rounded, low, high);
  char text[32];
  std::snprintf(text, sizeof text, field_type(flags) == FieldType::HEX ? "%lX" : "%ld",
                static_cast<long>(kept));
  store_field_text(field, flags, text);
  return FIELD_CHANGED;
}
