// Checks of the built catalogue files (KR_MENUs.KR5 and the metric KR_MENUm.KR5): their format,
// the menus in them, and every catalogue number the code names in store/message_ids.h. Also runs
// the catalogue generator on small sources of its own.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "platform/files.h"
#include "store/catalogue.h"
#include "store/scratch_buffer.h"
#include "store/store_host.h"
#include "tests/support/test_folder.h"

namespace {

namespace fs = std::filesystem;

// ---- Reading a catalogue file independently of the program's reader --------------------------

struct RawMessage {
  int number = 0;
  std::vector<std::string> lines;
};

struct RawCatalogue {
  std::string name;
  std::vector<RawMessage> messages;
  std::map<int, size_t> index;  // number -> position in messages
  std::vector<std::string> faults;

  const RawMessage* find(int number) const {
    auto it = index.find(number);
    return it == index.end() ? nullptr : &messages[it->second];
  }
};

// The strict format we write: CR LF after every line, headers "~N" with N a 16-bit number other
// than 0, each number once, no more than the program indexes, lines the reader takes whole.
RawCatalogue parse_catalogue(const fs::path& path) {
  RawCatalogue c;
  c.name = path.filename().string();
  std::string bytes = read_file_bytes(path.string());
  if (bytes.empty()) c.faults.push_back("the file is empty or missing");
  if (!bytes.empty() && bytes.size() >= 2 && bytes.substr(bytes.size() - 2) != "\r\n") {
    c.faults.push_back("the last line does not end in CR LF");
  }
  const std::regex header(R"(~(-?[0-9]{1,6}))");
  size_t start = 0;
  int line_number = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find("\r\n", start);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(start, end - start);
    start = end + 2;
    ++line_number;
    std::string where = "line " + std::to_string(line_number) + ": ";
    if (line.find_first_of(std::string("\r\n\0", 3)) != std::string::npos) {
      c.faults.push_back(where + "a CR, LF or NUL inside the line");
    }
    if (line.size() + 2 > FILE_BUFFER_CATALOGUE) c.faults.push_back(where + "longer than the reader's buffer");
    if (!line.empty() && line[0] == '~') {
      std::smatch m;
      if (!std::regex_match(line, m, header)) {
        c.faults.push_back(where + "a header that is not ~NUMBER: " + line);
        continue;
      }
      long number = std::stol(m[1]);
      if (number < INT16_MIN || number > INT16_MAX) {
        c.faults.push_back(where + "message number does not fit 16 bits: " + m[1].str());
        continue;
      }
      if (number == 0) c.faults.push_back(where + "message number 0 is never found");
      if (!c.index.emplace(static_cast<int>(number), c.messages.size()).second) {
        c.faults.push_back(where + "message " + m[1].str() + " comes twice");
      }
      c.messages.push_back(RawMessage{static_cast<int>(number), {}});
      continue;
    }
    if (c.messages.empty()) {
      c.faults.push_back(where + "text before the first header");
      continue;
    }
    c.messages.back().lines.push_back(line);
  }
  if (c.messages.size() > static_cast<size_t>(CATALOGUE_MAX_MESSAGES)) {
    c.faults.push_back(std::to_string(c.messages.size()) + " messages; the program indexes 999");
  }
  return c;
}

std::string hot_letters_of(const std::string& text) {
  char out[SCRATCH_HOT_LETTERS_CAPACITY];
  hot_letters(text.c_str(), out, sizeof(out));
  return out;
}

// The text get_message builds from a message: each line without its trailing blanks, then "\n".
std::string loaded_text(const RawMessage& m, size_t first_line) {
  std::string text;
  for (size_t i = first_line; i < m.lines.size(); ++i) {
    std::string line = m.lines[i];
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.pop_back();
    text += line + "\n";
  }
  return text;
}

// Faults of a message's size against the scratch regions it is loaded into.
void check_message_fits(const RawCatalogue& c, const RawMessage& m, std::vector<std::string>* faults) {
  std::string where = c.name + " message " + std::to_string(m.number) + ": ";
  bool choice = m.number <= CATALOGUE_FIRST_CHOICE;
  if (loaded_text(m, choice ? 1 : 0).size() >= SCRATCH_MESSAGE_CAPACITY) {
    faults->push_back(where + "longer than the scratch buffer's message text");
  }
  if (choice) {
    if (m.lines.empty() || m.lines[0].size() >= SCRATCH_HOT_KEY_LINE_CAPACITY) {
      faults->push_back(where + "a choice prompt needs a first line of choice words that fits");
    } else if (hot_letters_of(m.lines[0]).empty()) {
      faults->push_back(where + "its choice words carry no hot letters");
    }
  }
}

const fs::path PROGRAM_DIR = BRENVIK_PROGRAM_DIR;
const fs::path SOURCE_DIR = BRENVIK_SOURCE_DIR;

const RawCatalogue& main_catalogue() {
  static const RawCatalogue c = parse_catalogue(PROGRAM_DIR / CATALOGUE_FILE_NAME);
  return c;
}
const RawCatalogue& metric_catalogue() {
  static const RawCatalogue c = parse_catalogue(PROGRAM_DIR / CATALOGUE_METRIC_FILE_NAME);
  return c;
}

std::string joined(const std::vector<std::string>& faults) {
  std::string all;
  for (const std::string& f : faults) all += f + "\n";
  return all;
}

TEST(CatalogueFile, BothFilesKeepTheFormat) {
  for (const RawCatalogue* c : {&main_catalogue(), &metric_catalogue()}) {
    EXPECT_TRUE(c->faults.empty()) << c->name << ":\n" << joined(c->faults);
    EXPECT_FALSE(c->messages.empty()) << c->name;
    std::vector<std::string> faults;
    for (const RawMessage& m : c->messages) check_message_fits(*c, m, &faults);
    EXPECT_TRUE(faults.empty()) << joined(faults);
  }
}

TEST(CatalogueFile, TheMetricFileHoldsTheSameNumbersInTheSameOrder) {
  std::vector<int> main_numbers, metric_numbers;
  for (const RawMessage& m : main_catalogue().messages) main_numbers.push_back(m.number);
  for (const RawMessage& m : metric_catalogue().messages) metric_numbers.push_back(m.number);
  EXPECT_EQ(main_numbers, metric_numbers);
}

// The program's own reader agrees with the plain reading above, message by message.
TEST(CatalogueFile, TheProgramReadsEveryMessageAsWritten) {
  for (const char* name : {CATALOGUE_FILE_NAME, CATALOGUE_METRIC_FILE_NAME}) {
    SCOPED_TRACE(name);
    const RawCatalogue& raw =
        std::string(name) == CATALOGUE_FILE_NAME ? main_catalogue() : metric_catalogue();
    set_program_folder_for_tests(PROGRAM_DIR.string());
    reset_catalogue();
    g_catalogue.file_name = name;
    ASSERT_EQ(open_catalogue(), static_cast<int>(raw.messages.size()));
    for (const RawMessage& m : raw.messages) {
      ASSERT_EQ(find_message(m.number), m.number);
      clear_message_text();
      while (read_message_line(1) > 0) {
      }
      EXPECT_EQ(std::string(message_text()), loaded_text(m, 0)) << "message " << m.number;
    }
    reset_catalogue();
    reset_files();
  }
}

// ---- Menus ----------------------------------------------------------------------------------

struct MenuItem {
  int id = -1;        // -1: a heading that cannot be chosen
  int submenu = 0;    // 0: none
  std::string text;
};

// Reads a decimal number at text[*pos] after blanks; 0 and *pos unchanged past the blanks when
// there is none.
int read_number(const std::string& text, size_t* pos) {
  while (*pos < text.size() && text[*pos] == ' ') ++*pos;
  size_t start = *pos;
  while (*pos < text.size() && text[*pos] >= '0' && text[*pos] <= '9') ++*pos;
  if (*pos == start) return 0;
  return std::stoi(text.substr(start, *pos - start));
}

MenuItem parse_item(std::string line) {
  MenuItem item;
  size_t pos = 0;
  while (pos < line.size() && line[pos] == ' ') ++pos;
  if (pos < line.size() && line[pos] == '!') ++pos;
  if (pos < line.size() && line[pos] == '>') {
    ++pos;
    read_number(line, &pos);
  }
  int id = read_number(line, &pos);
  item.id = id > 0 ? id : -1;
  if (id > 0) item.submenu = read_number(line, &pos);
  while (pos < line.size() && line[pos] == ' ') ++pos;
  item.text = line.substr(pos);
  return item;
}

// The deepest menus the menu windows handle: a menu, its submenu and the submenu's submenu.
constexpr int MENU_MAX_DEPTH = 3;

// Checks a menu and, depth first, its submenus; `path` holds the menus above it.
void check_menu(const RawCatalogue& c, int number, std::vector<int>* path,
                std::vector<std::string>* faults) {
  std::string where = c.name + " menu " + std::to_string(number) + ": ";
  const RawMessage* m = c.find(number);
  if (m == nullptr) {
    faults->push_back(where + "missing");
    return;
  }
  if (static_cast<int>(path->size()) >= MENU_MAX_DEPTH) {
    faults->push_back(where + "nested deeper than a submenu of a submenu");
    return;
  }
  if (m->lines.empty() || m->lines[0].empty()) faults->push_back(where + "no title line");
  path->push_back(number);
  std::set<char> letters;
  int choosable = 0;
  for (size_t i = 1; i < m->lines.size(); ++i) {
    MenuItem item = parse_item(m->lines[i]);
    std::string at = where + "line \"" + m->lines[i] + "\": ";
    if (item.text.empty()) faults->push_back(at + "no text");
    if (item.id > INT16_MAX) faults->push_back(at + "the id does not fit 16 bits");
    if (item.id < 0) continue;
    ++choosable;
    std::string hot = hot_letters_of(item.text);
    if (hot.size() > 1) faults->push_back(at + "more than one hot letter");
    if (hot.size() == 1 && !letters.insert(hot[0]).second) {
      faults->push_back(at + "hot letter " + hot + " is taken in this menu");
    }
    if (item.submenu == 0) continue;
    bool ancestor = false;
    for (int above : *path) ancestor = ancestor || above == item.submenu;
    if (ancestor) {
      faults->push_back(at + "submenu " + std::to_string(item.submenu) + " is a menu above it");
      continue;
    }
    check_menu(c, item.submenu, path, faults);
  }
  if (choosable == 0) faults->push_back(where + "nothing to choose");
  path->pop_back();
}

// ---- The numbers the code names ---------------------------------------------------------------

struct NamedNumber {
  std::string name;
  int number;
};

// The source without its comments (string and character literals are kept as they are).
std::string strip_comments(const std::string& source) {
  std::string out;
  out.reserve(source.size());
  for (size_t i = 0; i < source.size();) {
    char c = source[i];
    if (c == '/' && i + 1 < source.size() && source[i + 1] == '/') {
      i = source.find('\n', i);
      if (i == std::string::npos) break;
      continue;
    }
    if (c == '/' && i + 1 < source.size() && source[i + 1] == '*') {
      size_t end = source.find("*/", i + 2);
      if (end == std::string::npos) break;
      out += ' ';
      i = end + 2;
      continue;
    }
    out += source[i++];
    if (c != '"' && c != '\'') continue;
    while (i < source.size() && source[i] != c && source[i] != '\n') {
      if (source[i] == '\\' && i + 1 < source.size()) out += source[i++];
      out += source[i++];
    }
    if (i < source.size()) out += source[i++];
  }
  return out;
}

// Catalogue numbers are named MSG_...; a ..._FIRST/..._LAST pair names a run.
const std::regex NAMED_NUMBER(
    R"(constexpr\s+(?:int|int16_t|int32_t)\s+(MSG_[A-Z0-9_]+)\s*=\s*(-?\d+)\s*;)");

std::vector<NamedNumber> named_numbers() {
  std::string source = strip_comments(read_file_bytes((SOURCE_DIR / "store" / "message_ids.h").string()));
  std::vector<NamedNumber> names;
  for (std::sregex_iterator it(source.begin(), source.end(), NAMED_NUMBER), end; it != end; ++it) {
    names.push_back({(*it)[1].str(), std::stoi((*it)[2].str())});
  }
  return names;
}

bool starts_with(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}
bool ends_with(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// The rows a form's field handler edits, FORM_<NAME>_FIELDS for MSG_FORM_<NAME>.
const std::regex FORM_FIELD_COUNT(
    R"(constexpr\s+(?:int|int16_t|int32_t)\s+(FORM_[A-Z0-9_]+_FIELDS)\s*=\s*(\d+)\s*;)");

std::map<std::string, int> form_field_counts() {
  std::string source = strip_comments(read_file_bytes((SOURCE_DIR / "store" / "message_ids.h").string()));
  std::map<std::string, int> counts;
  for (std::sregex_iterator it(source.begin(), source.end(), FORM_FIELD_COUNT), end; it != end; ++it)
    counts[(*it)[1].str()] = std::stoi((*it)[2].str());
  return counts;
}

// A form holds a title, a layout code and one label per field its handler edits; its help
// message two lines per field.
void check_form_fields(const RawCatalogue& c, int number, int fields, const std::string& where,
                       std::vector<std::string>* faults) {
  const RawMessage* form = c.find(number);
  const RawMessage* help = c.find(number + 1);
  if (form == nullptr || help == nullptr) return;  // reported as missing already
  const int labels = static_cast<int>(form->lines.size()) - 2;
  if (labels != fields) {
    faults->push_back(where + std::to_string(labels) + " labels, but its handler edits " +
                      std::to_string(fields) + " rows");
  }
  if (static_cast<int>(help->lines.size()) != 2 * fields) {
    faults->push_back(where + std::to_string(help->lines.size()) + " help lines for " +
                      std::to_string(fields) + " fields (two each)");
  }
}

void check_named_number(const RawCatalogue& c, const NamedNumber& n,
                        const std::map<std::string, int>& all, std::vector<std::string>* faults) {
  std::string where = c.name + ": " + n.name + " = " + std::to_string(n.number) + ": ";
  auto require = [&](int number) {
    if (c.find(number) == nullptr) faults->push_back(where + std::to_string(number) + " is missing");
  };
  if (ends_with(n.name, "_LAST")) {
    std::string first = n.name.substr(0, n.name.size() - 5) + "_FIRST";
    if (all.count(first) == 0) faults->push_back(where + "no " + first);
    return;
  }
  if (ends_with(n.name, "_FIRST")) {
    std::string last = n.name.substr(0, n.name.size() - 6) + "_LAST";
    auto it = all.find(last);
    if (it == all.end() || it->second < n.number) {
      faults->push_back(where + "no " + last + " at or above it");
      return;
    }
    for (int number = n.number; number <= it->second; ++number) require(number);
    return;
  }
  require(n.number);
  if (starts_with(n.name, "MSG_FORM_")) {
    require(n.number + 1);
    const std::string count_name = n.name.substr(4) + "_FIELDS";
    const std::map<std::string, int> counts = form_field_counts();
    auto it = counts.find(count_name);
    if (it == counts.end()) faults->push_back(where + "no " + count_name + " beside it");
    else check_form_fields(c, n.number, it->second, where, faults);
  }
  if (starts_with(n.name, "MSG_MENU_")) {
    std::vector<int> path;
    check_menu(c, n.number, &path, faults);
  }
  if (starts_with(n.name, "MSG_CHOICE_") && n.number > CATALOGUE_FIRST_CHOICE) {
    faults->push_back(where + "a choice prompt is numbered " +
                      std::to_string(CATALOGUE_FIRST_CHOICE) + " or below");
  }
}

TEST(CatalogueFile, EveryNamedNumberIsInBothFiles) {
  std::vector<NamedNumber> names = named_numbers();
  ASSERT_FALSE(names.empty());
  std::map<std::string, int> all;
  for (const NamedNumber& n : names) all[n.name] = n.number;
  std::vector<std::string> faults;
  for (const RawCatalogue* c : {&main_catalogue(), &metric_catalogue()}) {
    for (const NamedNumber& n : names) check_named_number(*c, n, all, &faults);
  }
  EXPECT_TRUE(faults.empty()) << joined(faults);
}

// A form whose labels or help lines do not match its handler's rows is reported.
TEST(CatalogueFile, AFormWhoseLabelsDifferFromItsHandlersRowsIsReported) {
  RawCatalogue c;
  c.name = "fixture";
  c.messages = {{900, {"Title", "CCdd", "One:", "Two:"}}, {901, {"a", "b", "c", "d"}}};
  c.index = {{900, 0}, {901, 1}};
  std::vector<std::string> faults;
  check_form_fields(c, 900, 2, "form: ", &faults);
  EXPECT_TRUE(faults.empty()) << joined(faults);
  check_form_fields(c, 900, 3, "form: ", &faults);
  ASSERT_EQ(faults.size(), 2u);
  EXPECT_NE(faults[0].find("2 labels, but its handler edits 3 rows"), std::string::npos);
  EXPECT_NE(faults[1].find("4 help lines for 3 fields"), std::string::npos);
}

// The calls that take a catalogue number, and which argument holds it. Add a call here when a
// new one takes a catalogue number.
struct CatalogueCall {
  const char* name;
  int argument;  // 1-based
};

const CatalogueCall CATALOGUE_CALLS[] = {
    {"get_message", 1},           {"find_message", 1},         {"message_lines_to_array", 1},
    {"ask_catalogue_choice", 1},  {"run_dialog", 1},           {"build_dialog", 1},
    {"help_show_message", 1},     {"menu_from_catalogue", 3},  {"message_to_list_texts", 2},
    {"messages_to_array", 2},
};

// For each call, a pattern that matches it with a bare number as its catalogue argument: the
// call's name, then argument - 1 arguments without parentheses, then the number.
const std::vector<std::regex>& bare_number_patterns() {
  static const std::vector<std::regex> patterns = [] {
    std::vector<std::regex> out;
    for (const CatalogueCall& call : CATALOGUE_CALLS) {
      std::string pattern = std::string(R"(\b)") + call.name + R"(\s*\()";
      for (int i = 1; i < call.argument; ++i) pattern += R"([^,;()]*,)";
      out.emplace_back(pattern + R"(\s*(-?\d+)\s*[,)])");
    }
    return out;
  }();
  return patterns;
}

// The bare numbers written as the catalogue argument of the calls in the code.
std::vector<std::string> bare_catalogue_numbers(const std::string& code) {
  std::vector<std::string> found;
  for (size_t k = 0; k < std::size(CATALOGUE_CALLS); ++k) {
    const CatalogueCall& call = CATALOGUE_CALLS[k];
    const std::regex& literal = bare_number_patterns()[k];
    for (size_t at = code.find(call.name); at != std::string::npos;
         at = code.find(call.name, at + 1)) {
      std::string window = code.substr(at > 0 ? at - 1 : 0, 200);
      std::smatch m;
      if (std::regex_search(window, m, literal) && m.position(0) <= 1) found.push_back(m[1].str());
    }
  }
  return found;
}

const char* const SOURCE_FOLDERS[] = {"platform", "store",    "records", "geometry", "text",
                                      "nc",       "cam",      "job",     "tools",    "screen",
                                      "ui",       "editor",   "commands", "print",   "pages",
                                      "shell"};

// The code names every catalogue number in store/message_ids.h: a bare number in a catalogue call,
// or a catalogue name defined anywhere else, escapes the checks above and fails here.
TEST(CatalogueFile, CodeNamesItsCatalogueNumbersInOneHeader) {
  static const std::regex defined_elsewhere(R"(constexpr\s+\w+\s+(MSG_[A-Z0-9_]+)\s*=)");
  std::vector<std::string> faults;
  int files = 0;
  for (const char* folder : SOURCE_FOLDERS) {
    fs::path dir = SOURCE_DIR / folder;
    if (!fs::is_directory(dir)) continue;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(dir)) {
      std::string ext = entry.path().extension().string();
      if (!entry.is_regular_file() || (ext != ".cpp" && ext != ".h")) continue;
      ++files;
      std::string relative = fs::relative(entry.path(), SOURCE_DIR).string();
      std::string source = strip_comments(read_file_bytes(entry.path().string()));
      for (const std::string& number : bare_catalogue_numbers(source)) {
        faults.push_back(relative + ": catalogue number " + number +
                         " written bare; name it in store/message_ids.h");
      }
      if (relative == "store/message_ids.h") continue;
      for (size_t at = source.find("MSG_"); at != std::string::npos;
           at = source.find("MSG_", at + 1)) {
        size_t line_start = source.rfind('\n', at);
        line_start = line_start == std::string::npos ? 0 : line_start + 1;
        std::string line = source.substr(line_start, source.find('\n', at) - line_start);
        std::smatch m;
        if (std::regex_search(line, m, defined_elsewhere)) {
          faults.push_back(relative + ": " + m[1].str() +
                           " names a catalogue number outside store/message_ids.h");
        }
      }
    }
  }
  EXPECT_GT(files, 0);
  EXPECT_TRUE(faults.empty()) << joined(faults);
}

// The scan above sees the calls it is meant to see.
TEST(CatalogueFile, TheScanFindsBareNumbers) {
  struct Case {
    const char* code;
    bool bare;
  } cases[] = {
      {"get_message(12000);", true},
      {"if (get_message(-20005) == 1)", true},
      {"get_message(MSG_TOOL_LIST_CHANGED);", false},
      {"get_message(20089 - state);", false},
      {"menu_from_catalogue(nullptr, -1, 30);", true},
      {"menu_from_catalogue(window, item_id, submenu);", false},
      {"message_to_list_texts(line, 156);", true},
      {"messages_to_array(25, 3000, &texts);", true},
      {"run_dialog(800, one_number_dialog_field);", true},
  };
  for (const Case& c : cases) EXPECT_EQ(!bare_catalogue_numbers(c.code).empty(), c.bare) << c.code;
}

// ---- The generator ----------------------------------------------------------------------------

class CatalogueGenerator : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = make_test_folder("make_catalogue");
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Runs the generator; true when it succeeded.
  bool run(const std::string& source, const std::string& metric) {
    write_file_bytes((dir_ / "m.txt").string(), source);
    write_file_bytes((dir_ / "mm.txt").string(), metric);
    std::string command = std::string("\"") + MAKE_CATALOGUE_PATH + "\" \"" +
                          (dir_ / "m.txt").string() + "\" \"" + (dir_ / "mm.txt").string() +
                          "\" \"" + (dir_ / "s.KR5").string() + "\" \"" +
                          (dir_ / "m.KR5").string() + "\" > \"" + (dir_ / "err").string() +
                          "\" 2>&1";
    return std::system(command.c_str()) == 0;
  }
  std::string output(const char* name) { return read_file_bytes((dir_ / name).string()); }

  fs::path dir_;
};

TEST_F(CatalogueGenerator, WritesCodesCp1252AndCrLf) {
  ASSERT_TRUE(run("# a comment\n"
                  "~-22022\n"
                  "\\vS\\x13ave    \\vN\\x13o\n"
                  "Rotate 90°\\t\\b<\\\\\n"
                  "\\#1 \\x7e\n"
                  "\n"
                  "\\_\n"
                  "\n"
                  "\n"
                  "~40\n"
                  "  indented, trailing blanks cut   \n",
                  ""));
  EXPECT_EQ(output("s.KR5"),
            "~-22022\r\n\x0bS\x13" "ave    \x0bN\x13o\r\nRotate 90\xb0\t\x08<\\\r\n#1 ~\r\n"
            "\r\n\r\n~40\r\n  indented, trailing blanks cut\r\n");
  EXPECT_EQ(output("m.KR5"), output("s.KR5"));
}

TEST_F(CatalogueGenerator, MetricMessagesTakeThePlaceOfTheirNumbers) {
  ASSERT_TRUE(run("~1\none\n~2\ntwo inches\n~3\nthree\n", "~2\ntwo millimetres\n"));
  EXPECT_EQ(output("s.KR5"), "~1\r\none\r\n~2\r\ntwo inches\r\n~3\r\nthree\r\n");
  EXPECT_EQ(output("m.KR5"), "~1\r\none\r\n~2\r\ntwo millimetres\r\n~3\r\nthree\r\n");
}

TEST_F(CatalogueGenerator, RefusesFaultySources) {
  struct Case {
    const char* name;
    std::string source;
    std::string metric;
  } cases[] = {
      {"number past 16 bits", "~43514\nx\n", ""},
      {"number 0", "~0\nx\n", ""},
      {"not a number", "~abc\nx\n", ""},
      {"twice the same number", "~5\na\n~5\nb\n", ""},
      {"unknown escape", "~5\n\\q\n", ""},
      {"half a hex escape", "~5\n\\x4\n", ""},
      {"a line feed byte", "~5\n\\x0a\n", ""},
      {"not in cp1252", "~5\nsnowman \xe2\x98\x83\n", ""},
      {"text before the first header", "stray\n~5\nx\n", ""},
      {"a text line starting with a tilde", "~5\n\\x7eoops\n", ""},
      {"a metric message the main file lacks", "~5\nx\n", "~6\ny\n"},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(run(c.source, c.metric)) << c.name;
    EXPECT_FALSE(fs::exists(dir_ / "s.KR5")) << c.name << ": wrote a file anyway";
    std::string message = output("err");
    EXPECT_NE(message.find(".txt:"), std::string::npos) << c.name << ": " << message;
  }
}

}  // namespace
