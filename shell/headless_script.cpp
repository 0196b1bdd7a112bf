#include "shell/headless_script.h"

#include <cctype>
#include <cstdlib>
#include <sstream>

#include "platform/cp1252.h"
#include "platform/headless/cell_reader.h"
#include "platform/window.h"

const char* const HEADLESS_SCRIPT_HELP = R"(Usage: brenvik-headless [options] SCRIPT

Runs the whole program on the headless backend (no display, a virtual clock) and drives it
with the user actions of SCRIPT, writing the screen at the points the script marks.

Options
  --out DIR        folder for the pictures and dumps (default: the current folder)
  --folder DIR     program folder to start from (default: the executable's folder)
  --size WxH       the window's client size in pixels (default 1024x768)
  --screen WxH     the monitor's size; the display mode falls back to what fits it
                   (default: the window's size)
  --help           this text

The script: one command a line; blank lines and lines starting with '#' are skipped. The
commands run one after another whenever the program waits for input, so every action is
handled before the next one starts and every picture shows a screen that waits for input.

  key NAME             a keystroke: NAME is a key with modifiers joined by '+', for example
                       Enter, Esc, Tab, Backspace, Space, Up, Down, Left, Right, Home, End,
                       PgUp, PgDn, Ins, Del, F1..F12, a..z, 0..9, the punctuation keys
                       - = [ ] ; ' , . / \ `, keypad keys Num0..Num9, and Ctrl+S,
                       Alt+F4, Shift+Tab, Ctrl+Shift+F2. A key that types a character
                       without Ctrl or Alt (a letter, a digit, punctuation, Space) also types
                       it; Shift makes letters capitals.
  type TEXT            types the rest of the line, character by character (UTF-8, taken as
                       cp1252; characters cp1252 cannot hold become '?')
  move X Y             moves the mouse to client pixel (X, Y)
  click X Y [BUTTON]   moves there and clicks: BUTTON is left (default), right or middle
  press X Y [BUTTON]   moves there and presses the button
  release X Y [BUTTON] moves there and releases the button
  wheel X Y N          moves there and turns the wheel N notches (N > 0 away from the user)
  wait MS              lets MS milliseconds of virtual time pass (the 55 ms timer runs)
  resize W H           the user resizes the window's client area to W x H pixels
  close                the window's close box
  focus in|out         the window gains or loses the keyboard focus
  png NAME             writes the screen to OUT/NAME.png
  dump NAME [FACE]     writes the screen's character cells to OUT/NAME.txt, read in FACE
                       (a face of the interface font such as qx12x24; default: the face of
                       the normal text in the current display mode)
  snap NAME [FACE]     png and dump
  expect ROW COL TEXT  checks that the cells of row ROW from column COL on (normal face) read
                       TEXT (the rest of the line, as a dump writes it); a mismatch is
                       reported and the run ends with exit code 4
  expect-pixel X Y RRGGBB [WITHIN]
                       checks the colour of client pixel (X, Y), six hex digits; with WITHIN,
                       of some pixel at most WITHIN pixels from it either way; exit code 4 on a
                       mismatch
  expect-text X Y FACE TEXT
                       checks that TEXT stands with its first cell's top-left corner at pixel
                       (X, Y) in FACE: a face name as for dump, or the role of a face in the
                       current display mode (normal, menu, small, tiny); exit code 4 on a
                       mismatch

A dump has one line per cell row, trailing blanks cut, in UTF-8: the interface font's glyphs
below 32 are written as their control pictures (U+2400 + code), and a cell that holds no glyph
of the face (a picture, a line, text of another face) as U+2592.

The mouse: the program's own pointer follows the mouse's motion; a move onto the window first
captures the pointer. The runner settles the pointer after a capture, so that X and Y are where
the next click lands.

At the start the window has the focus. When the script ends while the program still runs, the
runner closes the window (as the close box does) and waits for the program to end.

Exit codes: 0 the script ran and the program ended; 1 a bad option or script line; 2 the
program ended before the script did; 3 the program did not end after the script; 4 an expect
failed; 5 an output file could not be written.
)";

namespace {

struct NamedKey {
  const char* name;
  int key;
};

constexpr NamedKey NAMED_KEYS[] = {
    {"enter", VK_RETURN},  {"return", VK_RETURN}, {"esc", VK_ESCAPE},     {"escape", VK_ESCAPE},
    {"tab", VK_TAB},       {"backspace", VK_BACK}, {"space", VK_SPACE},   {"up", VK_UP},
    {"down", VK_DOWN},     {"left", VK_LEFT},     {"right", VK_RIGHT},    {"home", VK_HOME},
    {"end", VK_END},       {"pgup", VK_PRIOR},    {"pageup", VK_PRIOR},   {"pgdn", VK_NEXT},
    {"pagedown", VK_NEXT}, {"ins", VK_INSERT},    {"insert", VK_INSERT},  {"del", VK_DELETE},
    {"delete", VK_DELETE}, {"-", VK_OEM_MINUS},   {"=", VK_OEM_PLUS},     {"[", VK_OEM_4},
    {"]", VK_OEM_6},       {";", VK_OEM_1},       {"'", VK_OEM_7},        {",", VK_OEM_COMMA},
    {".", VK_OEM_PERIOD},  {"/", VK_OEM_2},       {"\\", VK_OEM_5},       {"`", VK_OEM_3},
    {"num*", VK_MULTIPLY}, {"num+", VK_ADD},      {"num-", VK_SUBTRACT},  {"num.", VK_DECIMAL},
    {"num/", VK_DIVIDE},
};

struct KeyCharacter {
  int key;
  char character;
};

constexpr KeyCharacter PUNCTUATION[] = {
    {VK_SPACE, ' '},     {VK_OEM_MINUS, '-'},  {VK_OEM_PLUS, '='}, {VK_OEM_4, '['},
    {VK_OEM_6, ']'},     {VK_OEM_1, ';'},      {VK_OEM_7, '\''},   {VK_OEM_COMMA, ','},
    {VK_OEM_PERIOD, '.'}, {VK_OEM_2, '/'},     {VK_OEM_5, '\\'},   {VK_OEM_3, '`'},
    {VK_MULTIPLY, '*'},  {VK_ADD, '+'},        {VK_SUBTRACT, '-'}, {VK_DECIMAL, '.'},
    {VK_DIVIDE, '/'},
};

std::string lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool parse_int(const std::string& word, int* value) {
  if (word.empty()) return false;
  char* end = nullptr;
  const long n = std::strtol(word.c_str(), &end, 10);
  if (*end != 0 || n < -1000000000L || n > 1000000000L) return false;
  *value = static_cast<int>(n);
  return true;
}

bool parse_plain_key(const std::string& name, int* key) {
  const std::string n = lower(name);
  for (const NamedKey& k : NAMED_KEYS) {
    if (n == k.name) {
      *key = k.key;
      return true;
    }
  }
  if (n.size() == 1 && std::isalpha(static_cast<unsigned char>(n[0]))) {
    *key = std::toupper(static_cast<unsigned char>(n[0]));
    return true;
  }
  if (n.size() == 1 && std::isdigit(static_cast<unsigned char>(n[0]))) {
    *key = n[0];
    return true;
  }
  int number = 0;
  if (n.size() >= 2 && n[0] == 'f' && parse_int(n.substr(1), &number) && number >= 1 &&
      number <= 12) {
    *key = VK_F1 + number - 1;
    return true;
  }
  if (n.size() == 4 && n.compare(0, 3, "num") == 0 &&
      std::isdigit(static_cast<unsigned char>(n[3]))) {
    *key = VK_NUMPAD0 + (n[3] - '0');
    return true;
  }
  return false;
}

bool parse_button(const std::string& word, int* button) {
  const std::string w = lower(word);
  if (w.empty() || w == "left") {
    *button = WINDOW_BUTTON_LEFT;
  } else if (w == "right") {
    *button = WINDOW_BUTTON_RIGHT;
  } else if (w == "middle") {
    *button = WINDOW_BUTTON_MIDDLE;
  } else {
    return false;
  }
  return true;
}

// The rest of a line after its first `words` words and the blanks after them.
std::string rest_after_words(const std::string& line, int words) {
  size_t at = 0;
  for (int i = 0; i < words; ++i) {
    while (at < line.size() && std::isspace(static_cast<unsigned char>(line[at]))) ++at;
    while (at < line.size() && !std::isspace(static_cast<unsigned char>(line[at]))) ++at;
  }
  if (at < line.size()) ++at;  // one blank separates the words from the text
  return line.substr(std::min(at, line.size()));
}

bool is_output_name(const std::string& name) {
  if (name.empty()) return false;
  for (char c : name)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_' && c != '.')
      return false;
  return name[0] != '.';
}

// Parses one non-empty command line; false with the reason in *why.
bool parse_command(const std::string& line, ScriptCommand* command, std::string* why) {
  std::istringstream words(line);
  std::vector<std::string> w;
  for (std::string word; words >> word;) w.push_back(word);
  const std::string verb = lower(w[0]);
  const size_t n = w.size();
  auto numbers = [&](size_t from, size_t count, int* a, int* b, int* c) {
    int* out[3] = {a, b, c};
    for (size_t i = 0; i < count; ++i)
      if (from + i >= n || !parse_int(w[from + i], out[i])) return false;
    return true;
  };
  if (verb == "key") {
    command->kind = SCRIPT_KEY;
    if (n != 2 || !parse_key_name(w[1], &command->key, &command->mods)) {
      *why = "key needs one key name, such as Enter or Ctrl+S";
      return false;
    }
  } else if (verb == "type") {
    command->kind = SCRIPT_TYPE;
    command->text = cp1252_from_utf8(rest_after_words(line, 1), '?');
    if (command->text.empty()) {
      *why = "type needs a text";
      return false;
    }
  } else if (verb == "move" || verb == "click" || verb == "press" || verb == "release") {
    command->kind = verb == "move"    ? SCRIPT_MOVE
                    : verb == "click" ? SCRIPT_CLICK
                    : verb == "press" ? SCRIPT_PRESS
                                      : SCRIPT_RELEASE;
    const size_t most = command->kind == SCRIPT_MOVE ? 3 : 4;
    if (n < 3 || n > most || !numbers(1, 2, &command->x, &command->y, nullptr) ||
        !parse_button(n == 4 ? w[3] : "", &command->button)) {
      *why = verb + " needs X Y" + (most == 4 ? " and may name a button" : "");
      return false;
    }
  } else if (verb == "wheel") {
    command->kind = SCRIPT_WHEEL;
    if (n != 4 || !numbers(1, 3, &command->x, &command->y, &command->amount)) {
      *why = "wheel needs X Y NOTCHES";
      return false;
    }
  } else if (verb == "wait") {
    command->kind = SCRIPT_WAIT;
    if (n != 2 || !numbers(1, 1, &command->amount, nullptr, nullptr) || command->amount < 0) {
      *why = "wait needs milliseconds";
      return false;
    }
  } else if (verb == "resize") {
    command->kind = SCRIPT_RESIZE;
    if (n != 3 || !numbers(1, 2, &command->x, &command->y, nullptr) || command->x <= 0 ||
        command->y <= 0) {
      *why = "resize needs a width and a height";
      return false;
    }
  } else if (verb == "close") {
    command->kind = SCRIPT_CLOSE;
    if (n != 1) {
      *why = "close takes nothing";
      return false;
    }
  } else if (verb == "focus") {
    command->kind = SCRIPT_FOCUS;
    if (n != 2 || (lower(w[1]) != "in" && lower(w[1]) != "out")) {
      *why = "focus needs in or out";
      return false;
    }
    command->amount = lower(w[1]) == "in" ? 1 : 0;
  } else if (verb == "png" || verb == "dump" || verb == "snap") {
    command->kind = verb == "png" ? SCRIPT_PNG : verb == "dump" ? SCRIPT_DUMP : SCRIPT_SNAP;
    const size_t most = command->kind == SCRIPT_PNG ? 2 : 3;
    if (n < 2 || n > most || !is_output_name(w[1])) {
      *why = verb + " needs a name of letters, digits, '-', '_' and '.'" +
             (most == 3 ? " and may name a face" : "");
      return false;
    }
    command->text = w[1];
    if (n == 3) command->face = w[2];
  } else if (verb == "expect") {
    command->kind = SCRIPT_EXPECT;
    if (n < 4 || !numbers(1, 2, &command->y, &command->x, nullptr) || command->x < 0 ||
        command->y < 0) {
      *why = "expect needs ROW COLUMN TEXT";
      return false;
    }
    command->text = rest_after_words(line, 3);
  } else if (verb == "expect-pixel") {
    command->kind = SCRIPT_EXPECT_PIXEL;
    char* end = nullptr;
    const unsigned long colour = n == 4 || n == 5 ? std::strtoul(w[3].c_str(), &end, 16) : 0;
    if ((n != 4 && n != 5) || !numbers(1, 2, &command->x, &command->y, nullptr) ||
        w[3].size() != 6 || end != w[3].c_str() + 6 ||
        (n == 5 && (!numbers(4, 1, &command->within, nullptr, nullptr) || command->within < 0))) {
      *why = "expect-pixel needs X Y RRGGBB [WITHIN]";
      return false;
    }
    command->amount = static_cast<int>(colour);
  } else if (verb == "expect-text") {
    command->kind = SCRIPT_EXPECT_TEXT;
    if (n < 5 || !numbers(1, 2, &command->x, &command->y, nullptr)) {
      *why = "expect-text needs X Y FACE TEXT";
      return false;
    }
    command->face = w[3];
    command->text = rest_after_words(line, 4);
  } else {
    *why = "unknown command '" + w[0] + "'";
    return false;
  }
  return true;
}

// The dump's form of one cell.
std::string cell_text(const CellRead& read) {
  if (!read.matched) return "\xE2\x96\x92";  // U+2592
  if (read.glyph < 32) {
    const uint32_t picture = 0x2400 + read.glyph;
    std::string utf8;
    utf8.push_back(static_cast<char>(0xE0 | (picture >> 12)));
    utf8.push_back(static_cast<char>(0x80 | ((picture >> 6) & 0x3F)));
    utf8.push_back(static_cast<char>(0x80 | (picture & 0x3F)));
    return utf8;
  }
  return cp1252_to_utf8(std::string(1, static_cast<char>(read.glyph)));
}

}  // namespace

bool parse_key_name(const std::string& name, int* key, int* mods) {
  *mods = 0;
  std::string rest = name;
  for (;;) {
    const size_t plus = rest.find('+');
    // A '+' at the very end is the plus key's own name (Num+), not a joint.
    if (plus == std::string::npos || plus == 0 || plus + 1 == rest.size()) break;
    const std::string modifier = lower(rest.substr(0, plus));
    if (modifier == "ctrl" || modifier == "control") {
      *mods |= WINDOW_MOD_CTRL;
    } else if (modifier == "shift") {
      *mods |= WINDOW_MOD_SHIFT;
    } else if (modifier == "alt") {
      *mods |= WINDOW_MOD_ALT;
    } else {
      break;
    }
    rest = rest.substr(plus + 1);
  }
  return parse_plain_key(rest, key);
}

char key_character(int key, int mods) {
  if (mods & (WINDOW_MOD_CTRL | WINDOW_MOD_ALT)) return 0;
  if (key >= 'A' && key <= 'Z') return static_cast<char>((mods & WINDOW_MOD_SHIFT) ? key : key + 32);
  if (key >= '0' && key <= '9' && (mods & WINDOW_MOD_SHIFT) == 0) return static_cast<char>(key);
  if (key >= VK_NUMPAD0 && key <= VK_NUMPAD0 + 9) return static_cast<char>('0' + key - VK_NUMPAD0);
  if (mods & WINDOW_MOD_SHIFT) return 0;
  for (const KeyCharacter& k : PUNCTUATION)
    if (k.key == key) return k.character;
  return 0;
}

bool parse_script(const std::string& text, std::vector<ScriptCommand>* commands,
                  std::string* error) {
  commands->clear();
  std::istringstream lines(text);
  std::string line;
  int number = 0;
  while (std::getline(lines, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    size_t first = 0;
    while (first < line.size() && std::isspace(static_cast<unsigned char>(line[first]))) ++first;
    if (first == line.size() || line[first] == '#') continue;
    ScriptCommand command;
    command.line = number;
    std::string why;
    if (!parse_command(line.substr(first), &command, &why)) {
      *error = "line " + std::to_string(number) + ": " + why;
      return false;
    }
    commands->push_back(command);
  }
  return true;
}

std::string dump_cells_at_pixel(const Surface& screen, const FontFace& face, int x, int y,
                                int count) {
  std::string text;
  for (int c = 0; c < count; ++c)
    text += cell_text(read_cell_at_pixel(screen, face, x + c * face.cell_width, y));
  return text;
}

std::string dump_row_cells(const Surface& screen, const FontFace& face, int row, int column,
                           int count) {
  std::string text;
  for (int c = column; c < column + count; ++c) text += cell_text(read_cell(screen, face, row, c));
  return text;
}

std::string dump_screen_cells(const Surface& screen, const FontFace& face) {
  if (face.cell_width <= 0 || face.cell_height <= 0) return "";
  const int rows = screen.height / face.cell_height;
  const int columns = screen.width / face.cell_width;
  std::string text;
  for (int r = 0; r < rows; ++r) {
    std::string row = dump_row_cells(screen, face, r, 0, columns);
    while (!row.empty() && row.back() == ' ') row.pop_back();
    text += row + '\n';
  }
  return text;
}
