// Makes the factory tool lists and post-processor files of the program folder from their
// readable sources in data/, through the program's own record writers:
//   make_factory_files <data folder> <program folder>
// writes KR_TOOLS.KR4 (tools_inch.txt), KR_TOOLm.KR4 (tools_metric.txt), and KR_MILLt.KR4 and
// KR_MILLm.KR4 (both from post_processors.txt). A source error names the file and line.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "cam/tools.h"
#include "nc/post_processor.h"
#include "platform/files.h"
#include "tools/data_source.h"
#include "store/record_file.h"

namespace {

double parse_number(const Source& source, const std::string& text) {
  const std::string value = trim(text);
  char* end = nullptr;
  const double number = std::strtod(value.c_str(), &end);
  if (value.empty() || *end != 0) fail(source, "not a number: \"" + value + "\"");
  return number;
}

long parse_whole(const Source& source, const std::string& text, long low, long high) {
  const double number = parse_number(source, text);
  const long whole = static_cast<long>(number);
  if (whole != number || whole < low || whole > high) {
    fail(source, "\"" + trim(text) + "\" is not a whole number from " + std::to_string(low) +
                     " to " + std::to_string(high));
  }
  return whole;
}

bool split_key_value(const std::string& line, std::string* key, std::string* value) {
  const size_t equals = line.find('=');
  if (equals == std::string::npos) return false;
  *key = trim(line.substr(0, equals));
  *value = trim(line.substr(equals + 1));
  return true;
}

// ---- Tool lists ------------------------------------------------------------------------------

uint8_t parse_shape(const Source& source, const std::string& text) {
  const std::string shape = trim(text);
  if (shape == "flat") return TOOL_SHAPE_FLAT;
  if (shape == "tapered") return TOOL_SHAPE_TAPERED;
  if (shape == "ball") return TOOL_SHAPE_BALL;
  fail(source, "unknown shape \"" + shape + "\" (flat, tapered or ball)");
}

ToolRecord parse_tool(const Source& source, const std::vector<std::string>& fields,
                      uint8_t units) {
  ToolRecord tool;
  tool.tool_number = static_cast<int16_t>(parse_whole(source, fields[1], 1, 29999));
  tool.shape = parse_shape(source, fields[2]);
  const double size = parse_number(source, fields[3]);
  tool.size = static_cast<float>(tool.shape == TOOL_SHAPE_TAPERED ? size * 0.017453292519943295
                                                                  : size);
  tool.tip_diameter = static_cast<float>(parse_number(source, fields[4]));
  tool.feed = static_cast<float>(parse_number(source, fields[5]));
  tool.step_down = static_cast<float>(parse_number(source, fields[6]));
  tool.rpm = static_cast<int32_t>(parse_whole(source, fields[7], 0, 200000));
  tool.plunge_percent = static_cast<int16_t>(parse_whole(source, fields[8], 1, 100));
  tool.stepover_percent = static_cast<uint8_t>(parse_whole(source, fields[9], 1, 100));
  tool.ramp_angle = static_cast<uint8_t>(parse_whole(source, fields[10], 10, 90));
  tool.feed_unit = 0;
  tool.units = units;
  if (!(tool.size > 0)) fail(source, "a tool needs a size");
  return tool;
}

// Reads a tool source into list slot 8.
void read_tool_source(const std::string& path) {
  Source source{path, 0};
  int units = -1;
  LineList& slot = g_lists.slots[LIST_SLOT_TOOLS];
  free_list(slot.first);
  slot = LineList{};
  push_list();
  clear_current_list();
  for (const std::string& raw : read_lines(path)) {
    ++source.line_number;
    const std::string line = trim(raw);
    if (line.empty() || line[0] == '#') continue;
    std::string key, value;
    if (line.find('|') == std::string::npos && split_key_value(line, &key, &value)) {
      if (key != "units" || (value != "inch" && value != "mm"))
        fail(source, "expected \"units = inch\" or \"units = mm\"");
      units = value == "inch" ? TOOL_UNITS_INCH : TOOL_UNITS_MM;
      continue;
    }
    if (units < 0) fail(source, "the units must come before the first tool");
    std::vector<std::string> fields;
    std::stringstream row(line);
    std::string field;
    while (std::getline(row, field, '|')) fields.push_back(field);
    if (fields.size() != 11) fail(source, "a tool line has 11 fields separated by '|'");
    const std::string name = trim(fields[0]);
    if (name.empty() || name.size() > static_cast<size_t>(TOOL_NAME_MAX))
      fail(source, "a tool name has 1 to 20 characters");
    const ToolRecord tool = parse_tool(source, fields, static_cast<uint8_t>(units));
    TextLine* entry = append_line(name.c_str(), tool_record_extra(tool));
    if (entry == nullptr) fail(source, "out of memory");
    entry->id = tool.tool_number;
  }
  if (g_lists.current.first == nullptr) fail(source, "no tools");
  slot = g_lists.current;
  clear_current_list();
  pop_list();
}

// ---- Post processors -------------------------------------------------------------------------

int section_slot(const std::string& name) {
  static const char* const NAMES[PP_SECTION_COUNT] = {
      "start", "tool change", "finished line", "end", "pause", "drill", "tap", "reset"};
  for (int slot = 0; slot < PP_SECTION_COUNT; ++slot)
    if (name == NAMES[slot]) return slot;
  return -1;
}

uint8_t parse_choice(const Source& source, const std::string& value,
                     const std::vector<std::string>& choices) {
  for (size_t i = 0; i < choices.size(); ++i)
    if (value == choices[i]) return static_cast<uint8_t>(i);
  std::string known;
  for (const std::string& choice : choices) known += " " + choice;
  fail(source, "\"" + value + "\" is not one of:" + known);
}

void copy_text_field(const Source& source, const std::string& value, char* out, size_t size,
                     size_t max_length) {
  if (value.size() > max_length) fail(source, "\"" + value + "\" is too long");
  std::snprintf(out, size, "%s", value.c_str());
}

void set_definition_field(const Source& source, const std::string& key, const std::string& value,
                          PostProcessorDef* def) {
  const std::vector<std::string> no_yes = {"no", "yes"};
  if (key == "output") {
    def->output_kind = parse_choice(source, value, {"G&M", "Velkor"});
  } else if (key == "coordinates") {
    def->coordinate_mode =
        parse_choice(source, value, {"incremental-xyz", "incremental-xy", "absolute"});
  } else if (key == "arc-centres") {
    def->arc_centre_mode = parse_choice(source, value, {"incremental", "absolute"});
  } else if (key == "line-numbers") {
    def->line_numbers = parse_choice(source, value, no_yes);
  } else if (key == "spaces") {
    def->word_spaces = parse_choice(source, value, no_yes);
  } else if (key == "comments") {
    def->comment_style = parse_choice(source, value, {"*", "(", "'", ";", "none"});
  } else if (key == "compact") {
    def->compact = parse_choice(source, value, no_yes);
  } else if (key == "feed-decimals") {
    def->feed_decimals = parse_choice(source, value, {"0", "1", "2"});
  } else if (key == "one-digit-g") {
    def->one_digit_g = parse_choice(source, value, no_yes);
  } else if (key == "extension") {
    copy_text_field(source, value, def->extension, PP_EXTENSION_SIZE, 3);
  } else if (key == "text-1") {
    copy_text_field(source, value, def->spindle_text, PP_TEXT_SIZE, PP_TEXT_SIZE - 1);
  } else if (key == "text-2") {
    copy_text_field(source, value, def->spindle_reverse_text, PP_TEXT_SIZE, PP_TEXT_SIZE - 1);
  } else {
    fail(source, "unknown key \"" + key + "\"");
  }
}

struct PendingFormat {
  bool open = false;
  std::string name;
  int16_t number = 0;
  PostProcessorDef def;
  std::vector<std::string> sections[PP_SECTION_COUNT];
  int section = -1;  // the section whose lines follow, -1 before the first
};

void finish_format(const Source& source, PendingFormat* format) {
  for (int slot = 0; slot < PP_SECTION_COUNT; ++slot) {
    std::vector<const char*> lines;
    for (const std::string& line : format->sections[slot]) lines.push_back(line.c_str());
    format->def.sections[slot] =
        make_code_section(lines.data(), static_cast<int>(lines.size()));
  }
  if (append_post_processor(format->name.c_str(), format->number, format->def) == nullptr)
    fail(source, "out of memory");
  *format = PendingFormat{};
}

void start_format(const Source& source, const std::string& line, PendingFormat* format) {
  std::string head, name;
  if (!split_key_value(line, &head, &name)) fail(source, "expected \"format <number> = <name>\"");
  format->open = true;
  format->number = static_cast<int16_t>(parse_whole(source, head.substr(6), 1, 29999));
  format->name = name;
  if (name.empty() || name.size() > static_cast<size_t>(PP_NAME_MAX))
    fail(source, "a format name has 1 to 39 characters");
}

void read_format_line(const Source& source, const std::string& raw, PendingFormat* format) {
  const std::string line = trim(raw);
  if (line.empty()) return;
  if (line.front() == '[' && line.back() == ']') {
    format->section = section_slot(line.substr(1, line.size() - 2));
    if (format->section < 0) fail(source, "unknown section " + line);
    return;
  }
  if (format->section >= 0) {
    if (line.size() > static_cast<size_t>(PP_WRAP_WIDTH))
      fail(source, "a code line has at most 38 characters");
    format->sections[format->section].push_back(line);
    return;
  }
  std::string key, value;
  if (!split_key_value(line, &key, &value)) fail(source, "expected \"key = value\"");
  set_definition_field(source, key, value, &format->def);
}

// Reads the formats source into the current list.
void read_post_processor_source(const std::string& path) {
  Source source{path, 0};
  PendingFormat format;
  for (const std::string& raw : read_lines(path)) {
    ++source.line_number;
    const std::string line = trim(raw);
    if (!format.open) {
      if (line.empty() || line[0] == '#') continue;
      if (line.compare(0, 7, "format ") != 0) fail(source, "expected \"format <number> = <name>\"");
      start_format(source, line, &format);
    } else if (line == "end") {
      finish_format(source, &format);
    } else {
      read_format_line(source, raw, &format);
    }
  }
  if (format.open) fail(source, "the last format has no \"end\"");
  if (g_lists.current.first == nullptr) fail(source, "no formats");
}

// ---- Writing -----------------------------------------------------------------------------------

void make_tool_file(const std::string& source, const std::string& target) {
  read_tool_source(source);
  const TextLine* tools = g_lists.slots[LIST_SLOT_TOOLS].first;
  write_file(target,
             [&](SaveFile* file) { return write_record_file(file, tools, TOOL_RECORD_SIZE); });
}

void make_post_processor_files(const std::string& source, const std::string& folder) {
  push_list();
  clear_current_list();
  read_post_processor_source(source);
  LineList formats = g_lists.current;
  clear_current_list();
  pop_list();
  std::string why;
  if (!post_processors_writable(formats.first, &why)) {
    std::fprintf(stderr, "%s: %s\n", source.c_str(), why.c_str());
    std::exit(1);
  }
  for (const char* name : {PP_FILE_NAME, PP_FILE_METRIC_NAME}) {
    write_file(path_join(folder, name),
               [&](SaveFile* file) { return write_post_processor_file(file, formats.first); });
  }
  free_post_processor_list(&formats);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_factory_files <data folder> <program folder>\n");
    return 2;
  }
  const std::string data = argv[1];
  const std::string program = argv[2];
  make_tool_file(path_join(data, "tools_inch.txt"), path_join(program, TOOL_FILE_NAME));
  make_tool_file(path_join(data, "tools_metric.txt"), path_join(program, TOOL_FILE_METRIC_NAME));
  make_post_processor_files(path_join(data, "post_processors.txt"), program);
  return 0;
}
