#include "nc/nc_tidy.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "store/line_fold.h"
#include "store/line_list.h"

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_number_char(char c) { return is_digit(c) || c == '.'; }
char upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

// True when the digits after s[dot] (a '.') are all zeros (or there are none).
bool zero_fraction(const std::string& s, size_t dot) {
  for (size_t k = dot + 1; k < s.size() && is_digit(s[k]); ++k)
    if (s[k] != '0') return false;
  return true;
}

// Counts the digits of the number that starts at p.
size_t digits_from(const std::string& s, size_t p) {
  size_t n = 0;
  for (size_t k = p; k < s.size() && is_number_char(s[k]); ++k)
    if (is_digit(s[k])) ++n;
  return n;
}

// "0." (or "0.000") with a zero fraction: with `more` the point and one zero go, but the number
// keeps at least one digit.
void shorten_zero_number(std::string* s, size_t p, int more) {
  if (!more) return;
  s->erase(p + 1, 1);  // the point
  if (digits_from(*s, p) > 1) s->erase(p, 1);
}

// Rewrites the start of the number after an axis letter once.
void rewrite_number_start(std::string* s, size_t p, int more) {
  auto at = [&](size_t k) { return k < s->size() ? (*s)[k] : '\0'; };
  for (int round = 0; round < 3; ++round) {
    const char c0 = at(p), c1 = at(p + 1), c2 = at(p + 2);
    if (c0 == '0' && is_digit(c1)) {
      s->erase(p, 1);
    } else if (c0 == '0' && c1 == '.') {
      if (!zero_fraction(*s, p + 1)) s->erase(p, 1);
      else shorten_zero_number(s, p, more);
    } else if (c0 == '-' && c1 == '0' && is_digit(c2)) {
      s->erase(p + 1, 1);
    } else if (c0 == '-' && c1 == '0' && c2 == '.') {
      if (!zero_fraction(*s, p + 2)) {
        s->erase(p + 1, 1);
      } else {
        s->erase(p, 1);  // a minus zero: handled again as "0."
        continue;
      }
    } else if (c0 == '-' && c1 == '0') {
      s->erase(p, 1);
    } else if (c0 == '-' && c1 == '.' && zero_fraction(*s, p + 1)) {
      (*s)[p] = '0';  // "-.0" reads "0.0": handled again
      continue;
    } else if (c0 == '.' && zero_fraction(*s, p)) {
      (*s)[p] = '0';
      if (at(p + 1) == '0') s->erase(p + 1, 1);
    }
    return;
  }
}

// A G word at s[g] (the letter). Returns the position after the word, having shortened or
// deleted it in place as compacting asks.
size_t compact_g_word(std::string* s, size_t g, NcStripState* state) {
  std::string& t = *s;
  size_t end = g + 1;
  while (end < t.size() && is_number_char(t[end])) ++end;
  std::string number = t.substr(g + 1, end - g - 1);
  if (number.size() == 2 && number[0] == '0' && number[1] >= '0' && number[1] <= '3') {
    t.erase(g + 1, 1);
    --end;
    number.erase(0, 1);
  }
  if (number.size() == 1 && number[0] <= '3') {
    if (state->last_motion == number[0]) {
      t.erase(g, end - g);
      return g;
    }
    state->last_motion = number[0];
    return end;
  }
  // A canned cycle or its cancel ends the motion mode the control had: the next motion word
  // must be written again.
  const double value = std::atof(number.c_str());
  if (value >= 73.0 && value < 90.0) state->last_motion = 0;
  return end;
}

std::string set_text_if_changed(TextLine* line, const std::string& text, int* changed) {
  if (text != line->text) {
    set_line_text(text.c_str(), line);
    ++*changed;
  }
  return text;
}

}  // namespace

uint8_t nc_comment_state(uint8_t state, const char* at) {
  switch (at[0]) {
    case '(':
      return NC_COMMENT_INSIDE;
    case ')':
      return NC_COMMENT_OUTSIDE;
    case '\'':
    case '*':
    case ':':
    case ';':
      return NC_COMMENT_REST;
    case '\b':
      return at[1] == '<' ? NC_COMMENT_REST : state;
    default:
      return state;
  }
}

std::string strip_nc_line(const std::string& text, int more, NcStripState* state) {
  std::string s = text;
  uint8_t comment = NC_COMMENT_OUTSIDE;
  size_t i = 0;
  while (i < s.size()) {
    comment = nc_comment_state(comment, s.c_str() + i);
    if (comment == NC_COMMENT_REST) break;
    const char c = s[i];
    if (c == ' ') {
      s.erase(i, 1);
      continue;
    }
    // Inside parentheses only the spaces go: a word quoted in a comment is no program word.
    if (comment == NC_COMMENT_INSIDE || c == '(') {
      ++i;
      continue;
    }
    const char letter = upper(c);
    if (letter == 'G') {
      i = compact_g_word(&s, i, state);
      continue;
    }
    if (std::strchr("XYIJZ", letter) != nullptr) {
      rewrite_number_start(&s, i + 1, more);
      ++i;
      continue;
    }
    if (letter >= 'B' && letter <= 'Z' && letter != 'F') {
      ++i;
      while (i < s.size() && is_number_char(s[i])) ++i;
      continue;
    }
    if (c == '.' && i + 1 < s.size() && s[i + 1] == '0' &&
        (i + 2 >= s.size() || !is_digit(s[i + 2]))) {
      s.erase(i + 1, 1);
    }
    ++i;
  }
  return s;
}

TextLine* next_nc_line(TextLine* line) {
  if (line == nullptr) return nullptr;
  TextLine* next = line->next;
  if (next == nullptr || !is_placeholder(next)) return next;
  return next_visible_line(line);
}

int strip_nc_zeros(TextLine* first_line, int more) {
  NcStripState state;
  int changed = 0;
  for (TextLine* line = first_line; line != nullptr; line = next_nc_line(line))
    set_text_if_changed(line, strip_nc_line(line->text, more, &state), &changed);
  return changed;
}

std::string remove_nc_spaces_line(const std::string& text, int tabs) {
  const char blank = tabs ? '\t' : ' ';
  std::string out;
  out.reserve(text.size());
  uint8_t comment = NC_COMMENT_OUTSIDE;
  for (size_t i = 0; i < text.size(); ++i) {
    comment = nc_comment_state(comment, text.c_str() + i);
    if (comment == NC_COMMENT_REST) {
      out.append(text, i, std::string::npos);
      break;
    }
    if (text[i] == blank && comment == NC_COMMENT_OUTSIDE) continue;
    out += text[i];
  }
  return out;
}

int remove_nc_spaces(TextLine* first_line, int tabs) {
  int changed = 0;
  for (TextLine* line = first_line; line != nullptr; line = next_nc_line(line))
    set_text_if_changed(line, remove_nc_spaces_line(line->text, tabs), &changed);
  return changed;
}

std::string space_nc_words_line(const std::string& text, int tabs) {
  const char separator = tabs ? '\t' : ' ';
  const char other_blank = tabs ? ' ' : '\t';
  auto is_letter = [](char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; };
  std::string out;
  out.reserve(text.size() + text.size() / 2);
  uint8_t comment = NC_COMMENT_OUTSIDE;
  size_t i = 0;
  while (i < text.size()) {
    comment = nc_comment_state(comment, text.c_str() + i);
    if (comment == NC_COMMENT_REST) {
      out.append(text, i, std::string::npos);
      break;
    }
    const char c = text[i];
    const bool outside = comment == NC_COMMENT_OUTSIDE && c != ')';
    if (c == other_blank) {
      out += separator;
      ++i;
      continue;
    }
    if (outside && is_letter(c)) {
      // A letter after a value starts a new word.
      if (!out.empty() && static_cast<unsigned char>(out.back()) > '(' && !is_letter(out.back()))
        out += separator;
      size_t run = i;
      while (run < text.size() && (is_letter(text[run]) || text[run] == '/')) ++run;
      out.append(text, i, run - i);
      i = run;
      continue;
    }
    out += c;
    ++i;
    if (outside && c == ',' && (i >= text.size() || (text[i] != ' ' && text[i] != '\t')))
      out += separator;
  }
  return out;
}

int space_nc_words(TextLine* first_line, int tabs) {
  int changed = 0;
  for (TextLine* line = first_line; line != nullptr; line = next_nc_line(line))
    set_text_if_changed(line, space_nc_words_line(line->text, tabs), &changed);
  return changed;
}
