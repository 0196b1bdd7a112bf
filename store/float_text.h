// A number as the program shows it in reports and fields.
#pragma once

#include <cstdio>
#include <string>

// Stand-in: fixed four decimals with the trailing zeros (and a bare point) cut; no field width or unit rules.
inline std::string format_float_text(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.4f", value);
  std::string s = text;
  while (!s.empty() && s.back() == '0') s.pop_back();
  if (!s.empty() && s.back() == '.') s.pop_back();
  if (s == "-0") s = "0";
  return s;
}
