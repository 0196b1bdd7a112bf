#include "nc/nc_sequence.h"

#include <cstdio>
#include <cstring>

#include "nc/nc_tidy.h"
#include "store/line_list.h"

SequenceSettings g_sequence;

void reset_sequence_settings() { g_sequence = SequenceSettings(); }

namespace {

constexpr int SEPARATOR_SAMPLE_LINES = 10;
constexpr char NUMBER_CHARS[] = "0123456789.";
constexpr char UNNUMBERED_STARTS[] = "%{}:.O&";  // program marks, labels and sub-programs
constexpr char COMMENT_STARTS[] = "*';";

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool one_of(char c, const char* set) { return c != 0 && std::strchr(set, c) != nullptr; }
char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// The line's text without its line end, and the line end.
void split_line_end(const std::string& text, std::string* body, std::string* end) {
  size_t cut = text.size();
  while (cut > 0 && (text[cut - 1] == '\n' || text[cut - 1] == '\r')) --cut;
  *body = text.substr(0, cut);
  *end = text.substr(cut);
}

bool starts_with(const std::string& text, const char* prefix) {
  return text.compare(0, std::strlen(prefix), prefix) == 0;
}

// Lines the numbering leaves alone whatever the style: program marks, labels, sub-programs, END.
bool left_alone(const std::string& body, uint8_t style) {
  if (body == "END" || (!body.empty() && one_of(body[0], UNNUMBERED_STARTS))) return true;
  const bool tool_line = starts_with(body, "FO") || starts_with(body, "TO");
  const bool comment = !body.empty() && one_of(body[0], COMMENT_STARTS);
  switch (style) {
    case SEQUENCE_STYLE_FANUC: return tool_line;
    case SEQUENCE_STYLE_BANDIT: return comment;
    default: return tool_line || comment;
  }
}

// The line after its old sequence number (the number and one blank after it taken off). A line
// that holds nothing but a number keeps it: nothing would be left to number.
std::string rest_after_number(const std::string& body, char letter) {
  size_t at = 0;
  if (letter != ' ') {
    // A word of the letter only counts as a number when digits follow it ("NOTE" is no number).
    if (body.empty() || upper(body[0]) != upper(letter) || body.size() < 2 ||
        !one_of(body[1], NUMBER_CHARS))
      return body;
    at = 1;
  }
  while (at < body.size() && one_of(body[at], NUMBER_CHARS)) ++at;
  if (at < body.size() && is_blank(body[at])) ++at;
  for (size_t i = at; i < body.size(); ++i)
    if (static_cast<unsigned char>(body[i]) > ' ') return body.substr(at);
  return body;
}

// The words after the number in the Bandit style: a letter followed (after blanks) by a value or
// the line's end; an N before an '&' is a label, and a comment ends the count.
int bandit_word_count(const std::string& rest) {
  int words = 0;
  for (size_t i = 0; i < rest.size(); ++i) {
    const char c = rest[i];
    if (one_of(c, COMMENT_STARTS)) break;
    if (static_cast<unsigned char>(c) < 'A') continue;
    size_t j = i + 1;
    while (j < rest.size() && is_blank(rest[j])) ++j;
    const bool value_follows =
        j >= rest.size() || (static_cast<unsigned char>(rest[j]) < 'A' && rest[j] != '/');
    if (!value_follows) continue;
    if (c == 'N' && rest.find('&', i) != std::string::npos) continue;
    ++words;
  }
  return words;
}

}  // namespace

std::string sequence_number_text(const SequenceSettings& settings, int64_t number) {
  const int digits = settings.digits > 5 ? 5 : settings.digits;
  const long long shown = number < 0 ? 0 : static_cast<long long>(number);
  char text[32];
  std::snprintf(text, sizeof text, "%0*lld", digits, shown);
  return settings.letter == ' ' ? std::string(text) : std::string(1, settings.letter) + text;
}

char sequence_separator(const TextLine* first, const TextLine* end) {
  int tabs = 0;
  int spaces = 0;
  int looked = 0;
  for (const TextLine* l = first; l != nullptr && l != end && looked < SEPARATOR_SAMPLE_LINES;
       l = l->next, ++looked) {
    for (char c : l->text) {
      if (c == '\t') { ++tabs; break; }
      if (c == ' ') { ++spaces; break; }
    }
  }
  if (tabs < spaces) tabs = 0;
  else if (spaces < tabs) spaces = 0;
  if (tabs + spaces < looked / 3 || tabs + spaces == 0) return 0;
  return tabs > 0 ? '\t' : ' ';
}

int renumber_nc_lines(TextLine* first, TextLine* end, const SequenceSettings& settings) {
  const char separator = settings.remove ? 0 : sequence_separator(first, end);
  int64_t number = settings.first_number;
  int changed = 0;
  bool continued = false;  // the line before had no line end: this one goes on with it
  for (TextLine* line = first; line != nullptr && line != end; line = next_nc_line(line)) {
    std::string body;
    std::string line_end;
    split_line_end(line->text, &body, &line_end);
    const bool was_continued = continued;
    continued = line_end.empty() && line->next != nullptr;
    if (was_continued || left_alone(body, settings.style)) continue;
    // A block-delete mark stays in front of the number.
    std::string prefix;
    if (settings.style == SEQUENCE_STYLE_FANUC && !body.empty() && body[0] == '/') {
      size_t at = 1;
      while (at < body.size() && is_blank(body[at])) ++at;
      prefix = body.substr(0, at);
      body.erase(0, at);
      if (starts_with(body, "FO") || starts_with(body, "TO")) continue;
    }
    const std::string rest = rest_after_number(body, settings.letter);
    std::string text = prefix;
    if (!settings.remove) {
      text += sequence_number_text(settings, number);
      if (separator != 0 && (rest.empty() || rest[0] != separator)) text += separator;
      const int steps = settings.style == SEQUENCE_STYLE_BANDIT ? bandit_word_count(rest) : 1;
      number += static_cast<int64_t>(settings.increment) * steps;
    }
    text += rest;
    text += line_end;
    if (text != line->text && set_line_text(text.c_str(), line) != nullptr) ++changed;
  }
  return changed;
}
