#include "nc/nc_compare.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "nc/nc_tidy.h"
#include "store/line_list.h"

namespace {

constexpr char VALUE_CHARS[] = "0123456789+-. ";
constexpr double SAME_VALUE = 1e-9;

bool is_value_char(char c) { return c != 0 && std::strchr(VALUE_CHARS, c) != nullptr; }
char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// The line as the comparison reads it: upper case, the sequence number, comments and the text
// after '*' or an apostrophe blanked out.
std::string normalised(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool comment = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (!comment && (c == '*' || c == '\'')) break;
    if (c == '(') comment = true;
    out += comment ? ' ' : upper(c);
    if (c == ')') comment = false;
  }
  // The sequence number at the start does not count.
  size_t at = 0;
  while (at < out.size() && out[at] == ' ') ++at;
  if (at < out.size() && out[at] == 'N') {
    out[at++] = ' ';
    while (at < out.size() && (std::isdigit(static_cast<unsigned char>(out[at])) != 0 ||
                               out[at] == '.'))
      out[at++] = ' ';
  }
  return out;
}

struct Word {
  char letter = 0;
  double value = 0;
  bool used = false;
};

std::vector<Word> words_of(const std::string& line) {
  std::vector<Word> words;
  size_t i = 0;
  while (i < line.size()) {
    const char c = line[i];
    if (static_cast<unsigned char>(c) <= ' ') {
      ++i;
      continue;
    }
    Word w;
    w.letter = c;
    std::string digits;
    for (++i; i < line.size() && is_value_char(line[i]); ++i)
      if (line[i] != ' ') digits += line[i];
    w.value = std::strtod(digits.c_str(), nullptr);
    words.push_back(w);
  }
  return words;
}

bool is_motion(const Word& w) {
  return w.letter == 'G' && w.value >= 0 && w.value <= 3 && w.value == std::floor(w.value);
}

std::string trimmed(const std::string& text) {
  size_t end = text.size();
  while (end > 0 && static_cast<unsigned char>(text[end - 1]) <= ' ') --end;
  return text.substr(0, end);
}

}  // namespace

bool nc_lines_same_exact(const std::string& current, const std::string& other) {
  return trimmed(current) == trimmed(other);
}

bool nc_line_is_empty(const std::string& text, int mode) {
  const std::string seen = mode == NC_COMPARE_EXACT ? text : normalised(text);
  for (char c : seen)
    if (static_cast<unsigned char>(c) > ' ') return false;
  return true;
}

bool nc_lines_same_by_value(const std::string& current, const std::string& other,
                            NcCompareState* state) {
  const std::vector<Word> mine = words_of(normalised(current));
  std::vector<Word> theirs = words_of(normalised(other));
  bool other_has_g = false;
  for (const Word& w : theirs) other_has_g = other_has_g || w.letter == 'G';
  for (const Word& w : mine) {
    if (is_motion(w) && other_has_g) state->modal_motion = static_cast<int>(w.value);
    bool found = false;
    for (Word& t : theirs) {
      if (t.used || t.letter != w.letter || std::fabs(t.value - w.value) > SAME_VALUE) continue;
      t.used = true;
      found = true;
      break;
    }
    if (found) continue;
    // A motion word the other line leaves to the mode in force.
    if (is_motion(w) && static_cast<int>(w.value) == state->modal_motion) continue;
    return false;
  }
  for (const Word& t : theirs)
    if (!t.used && !(is_motion(t) && static_cast<int>(t.value) == state->modal_motion))
      return false;
  return true;
}

NcCompareResult compare_nc_lines(TextLine* current, TextLine* other, int mode) {
  NcCompareState state;
  while (current != nullptr && other != nullptr) {
    if (mode == NC_COMPARE_EXACT) {
      if (!nc_lines_same_exact(current->text, other->text)) return {current, other, true};
    } else {
      // An empty line on either side is passed over alone.
      if (nc_line_is_empty(current->text, mode)) {
        current = next_nc_line(current);
        continue;
      }
      if (nc_line_is_empty(other->text, mode)) {
        other = next_nc_line(other);
        continue;
      }
      if (!nc_lines_same_by_value(current->text, other->text, &state))
        return {current, other, true};
    }
    current = next_nc_line(current);
    other = next_nc_line(other);
  }
  // One program ended: what is left of the other is a difference unless it holds nothing.
  TextLine* left = current != nullptr ? current : other;
  while (left != nullptr && nc_line_is_empty(left->text, mode))
    left = next_nc_line(left);
  if (left == nullptr) return {current, other, false};
  return current != nullptr ? NcCompareResult{left, nullptr, true}
                            : NcCompareResult{nullptr, left, true};
}
