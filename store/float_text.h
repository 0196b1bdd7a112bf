// Numbers as the program shows them in reports and fields.
#pragma once

#include <cstdint>
#include <string>

// Settings of the number formatters (program-wide).
struct NumberTextSettings {
  int16_t precision = -1;     // decimals of format_number; negative: free format
  int16_t width = 15;         // field width of format_number with a precision
  uint8_t cut_bare_point = 1; // trim_float_zeros also cuts a point with nothing behind it
};
extern NumberTextSettings g_number_text;

// format_float_text precision codes (low four bits) and options
constexpr int FLOAT_FOUR_DECIMALS = 0;   // "%.4f"
constexpr int FLOAT_TWO_DECIMALS = 1;    // "%.2f"
constexpr int FLOAT_ONE_DECIMAL = 2;     // "%.1f"
constexpr int FLOAT_WHOLE = 3;           // "%.0f"
constexpr int FLOAT_SIX_DECIMALS = 4;    // "%.6f"
constexpr int FLOAT_PRECISION_MASK = 0x0F;
constexpr int FLOAT_DEGREES = 0x10;      // append the degree sign
constexpr int FLOAT_PERCENT = 0x20;      // append a percent sign
constexpr int FLOAT_NINE_COLUMNS = 0x40; // padded with blanks to 9 columns; "***" when the
                                         // number needs more
constexpr int FLOAT_NO_LEADING_ZERO = 0x80;  // "0.5" becomes ".5"
constexpr int FLOAT_COLUMNS = 9;

// From the text's decimal point on, trailing zeros are cut, and the point too when nothing stays
// behind it (while the cut-bare-point setting is on); a negative zero loses its minus. A text
// without a point is left as it is. Trims in place; returns the text.
std::string& trim_float_zeros(std::string& text);
// The number in the format of its precision code, trimmed; a value that is not 0 but reads as 0
// is printed with "%f" instead. Options as above.
std::string format_float_text(double value, int flags = FLOAT_FOUR_DECIMALS);
// The number in the settings' format: free ("%lf", trimmed) with a negative precision, else that
// many decimals (a zero fraction cut) with a comma every three digits before the point.
std::string format_number(double value);

// A decimal number read from the start of the text as the C library reads one (leading blanks,
// a sign, digits, a point, an exponent), with "." as the decimal point whatever the user's
// locale. *end (when not null) is where the number stopped: the text itself when there was none,
// and the result is then 0.
double read_c_number(const char* text, const char** end);
// The number with that many fixed decimals and "." as the point whatever the user's locale.
std::string fixed_c_text(double value, int decimals);
