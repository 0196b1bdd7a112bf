// Text, number and path helpers.
#pragma once

#include <cctype>
#include <string>
#include <string_view>

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

// A path shortened to width columns for showing.
// Stand-in: copies the path as it stands, however long.
inline std::string abbreviate_path(const char* path, int /*width*/) {
  return path != nullptr ? path : "";
}
