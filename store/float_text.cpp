#include "store/float_text.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>

NumberTextSettings g_number_text;

namespace {

constexpr const char* PRECISION_FORMATS[] = {"%.4f", "%.2f", "%.1f", "%.0f", "%.6f"};
constexpr int PRECISION_FORMAT_COUNT = 5;
constexpr char DEGREE_SIGN = static_cast<char>(0xB0);
constexpr const char* NO_ROOM = "***";

std::string print(const char* format, double value) {
  char text[400];  // "%f" of the largest double fits
  std::snprintf(text, sizeof text, format, value);
  return text;
}

// True when the text is a number that reads as zero ("0", "-0.00").
bool reads_as_zero(const std::string& text) { return std::strtod(text.c_str(), nullptr) == 0.0; }

// Where the integer digits end (the point, or the end).
size_t integer_end(const std::string& text) {
  const size_t dot = text.find('.');
  return dot == std::string::npos ? text.size() : dot;
}

// The number cut to `room` characters at a decimal, never in its integer digits; "***" when
// the integer part alone needs more.
std::string fit_number(std::string text, size_t room) {
  if (text.size() <= room) return text;
  if (integer_end(text) > room) return NO_ROOM;
  text.resize(room);
  return trim_float_zeros(text);
}

}  // namespace

std::string& trim_float_zeros(std::string& text) {
  const size_t dot = text.find('.');
  if (dot != std::string::npos) {
    while (text.size() > dot + 1 && text.back() == '0') text.pop_back();
    if (text.size() == dot + 1 && g_number_text.cut_bare_point != 0) text.pop_back();
  }
  // A negative zero loses its minus.
  if (text.size() >= 2 && text[0] == '-' && text[1] == '0' &&
      text.find_first_not_of("0.", 1) == std::string::npos)
    text.erase(0, 1);
  return text;
}

std::string format_float_text(double value, int flags) {
  const int code = flags & FLOAT_PRECISION_MASK;
  const char* format = code < PRECISION_FORMAT_COUNT ? PRECISION_FORMATS[code] : "%.4f";
  std::string text = print(format, value);
  trim_float_zeros(text);
  if (value != 0.0 && reads_as_zero(text)) trim_float_zeros(text = print("%f", value));
  if ((flags & FLOAT_NO_LEADING_ZERO) != 0) {
    const size_t zero = text[0] == '-' ? 1 : 0;
    if (text.compare(zero, 2, "0.") == 0) text.erase(zero, 1);
  }
  std::string suffix;
  if ((flags & FLOAT_DEGREES) != 0) suffix.push_back(DEGREE_SIGN);
  if ((flags & FLOAT_PERCENT) != 0) suffix.push_back('%');
  if ((flags & FLOAT_NINE_COLUMNS) == 0) return text + suffix;
  text = fit_number(text, FLOAT_COLUMNS - suffix.size());
  if (text != NO_ROOM) text += suffix;
  text.resize(FLOAT_COLUMNS, ' ');
  return text;
}

std::string format_number(double value) {
  if (g_number_text.precision < 0) {
    std::string text = print("%lf", value);
    return trim_float_zeros(text);
  }
  char buffer[400];
  std::snprintf(buffer, sizeof buffer, "%-*.*f", g_number_text.width, g_number_text.precision,
                value);
  std::string text = buffer;
  size_t cut = text.find('.');
  if (cut != std::string::npos) {
    const bool zero_fraction =
        text.find_first_not_of('0', cut + 1) == std::string::npos ||
        text[text.find_first_not_of('0', cut + 1)] == ' ';
    if (zero_fraction) {
      text.resize(cut);
    }
  }
  while (!text.empty() && text.back() == ' ') text.pop_back();
  if (g_number_text.precision == 0) return text;
  // Commas into the run of digits before the point (or the cut), every three from the right.
  size_t end = integer_end(text);
  size_t begin = end;
  while (begin > 0 && text[begin - 1] >= '0' && text[begin - 1] <= '9') --begin;
  for (size_t at = end; at > begin + 3; at -= 3) text.insert(at - 3, 1, ',');
  return text;
}

double read_c_number(const char* text, const char** end) {
  if (end != nullptr) *end = text;
  const char* p = text;
  while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  if (*p == '+' || *p == '-') return 0.0;  // from_chars would take a second sign
  const char* last = p;
  while (*last != '\0') ++last;
  double value = 0.0;
  const auto [stop, error] = std::from_chars(p, last, value, std::chars_format::general);
  if (stop == p) return 0.0;
  if (end != nullptr) *end = stop;
  if (error != std::errc()) value = 0.0;  // beyond a double: read as nothing, never infinite
  return negative ? -value : value;
}

std::string fixed_c_text(double value, int decimals) {
  char text[400];  // the fixed form of the largest double fits
  const auto [stop, error] =
      std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
  if (error != std::errc()) return "***";
  return std::string(text, stop);
}
