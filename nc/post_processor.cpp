// Post-processor records, entries and the default definition.
#include "nc/post_processor.h"

#include <cstring>
#include <string>

#include "store/record_bytes.h"

const char* const PP_OUTPUT_KIND_NAMES[2] = {"G & M Codes", "Velkor"};
const char* const PP_COORDINATE_MODE_NAMES[3] = {"Incremental X,Y,Z", "Incremental X & Y",
                                                 "Absolute X,Y, Z"};
const char* const PP_ARC_CENTRE_NAMES[2] = {"Incremental arc centers", "Absolute arc centers"};
const char* const PP_COMMENT_STYLE_NAMES[5] = {"* comment", "(comment)", "' comment",
                                               "; comment", "none"};

namespace {

// The sections of the default definition, in slot order.
const char* const DEFAULT_START[] = {"%", "O1234", "G80G40G17", "M06 T#", "G90", "M03 S# F#",
                                     "M08"};
const char* const DEFAULT_TOOL_CHANGE[] = {"M05", "M09", "M06 T#", "G90", "M03 S# F#", "M08"};
const char* const DEFAULT_FINISHED_LINE[] = {"S# F#"};
const char* const DEFAULT_END[] = {"M30", "%"};
const char* const DEFAULT_PAUSE[] = {"M05", "M09", "M00", "G90", "M03 S# F#", "M08"};
const char* const DEFAULT_DRILL[] = {"DRILL?"};
const char* const DEFAULT_TAP[] = {"TAP?"};
const char* const DEFAULT_RESET[] = {"M05", "M09", "M00", "G90", "M03 S# F#", "M08"};

struct SectionText {
  const char* const* lines;
  int count;
};
const SectionText DEFAULT_SECTIONS[PP_SECTION_COUNT] = {
    {DEFAULT_START, 7}, {DEFAULT_TOOL_CHANGE, 6}, {DEFAULT_FINISHED_LINE, 1},
    {DEFAULT_END, 2},   {DEFAULT_PAUSE, 6},       {DEFAULT_DRILL, 1},
    {DEFAULT_TAP, 1},   {DEFAULT_RESET, 6}};

void free_sections(PostProcessorDef* def) {
  for (LineList& section : def->sections) {
    free_list(section.first);
    section = LineList{};
  }
}

}  // namespace

// ---- The record ---------------------------------------------------------------------------------

void read_post_processor_record(const uint8_t in[PP_RECORD_SIZE], PostProcessorDef* def) {
  def->output_kind = in[0] < PP_OUTPUT_KIND_COUNT ? in[0] : PP_OUTPUT_GM_CODES;
  def->coordinate_mode = in[1];
  def->arc_centre_mode = in[2];
  def->line_numbers = in[3];
  def->word_spaces = in[4];
  def->comment_style = in[5];
  def->compact = in[6];
  def->feed_decimals = in[7];
  def->one_digit_g = in[8];
  get_text_field(in + 9, def->extension, PP_EXTENSION_SIZE);
  get_text_field(in + 21, def->spindle_text, PP_TEXT_SIZE);
  get_text_field(in + 39, def->spindle_reverse_text, PP_TEXT_SIZE);
  std::memcpy(def->reserved_65, in + 65, sizeof def->reserved_65);
}

void write_post_processor_record(const PostProcessorDef& def, uint8_t out[PP_RECORD_SIZE]) {
  std::memset(out, 0, PP_RECORD_SIZE);
  out[0] = def.output_kind;
  out[1] = def.coordinate_mode;
  out[2] = def.arc_centre_mode;
  out[3] = def.line_numbers;
  out[4] = def.word_spaces;
  out[5] = def.comment_style;
  out[6] = def.compact;
  out[7] = def.feed_decimals;
  out[8] = def.one_digit_g;
  std::memcpy(out + 9, def.extension, PP_EXTENSION_SIZE);
  std::memcpy(out + 21, def.spindle_text, PP_TEXT_SIZE);
  std::memcpy(out + 39, def.spindle_reverse_text, PP_TEXT_SIZE);
  std::memcpy(out + 65, def.reserved_65, sizeof def.reserved_65);
}

// ---- Entries ----------------------------------------------------------------------------------

PostProcessorDef* post_processor_def(const TextLine* entry) {
  return const_cast<PostProcessorDef*>(line_extra_as<PostProcessorDef>(entry));
}

TextLine* post_processor_section(const TextLine* entry, int slot) {
  const PostProcessorDef* def = post_processor_def(entry);
  if (def == nullptr || slot < 0 || slot >= PP_SECTION_COUNT) return nullptr;
  return def->sections[slot].first;
}

LineList make_code_section(const char* const* lines, int count) {
  push_list();
  clear_current_list();
  for (int i = 0; i < count; ++i) append_line((std::string(lines[i]) + "\n").c_str());
  if (g_lists.current.first == nullptr) append_line("\n");
  LineList section = g_lists.current;
  clear_current_list();
  pop_list();
  return section;
}

TextLine* append_post_processor(const char* name, int16_t number, const PostProcessorDef& def) {
  TextLine* entry = append_line(name, make_line_extra(def));
  if (entry == nullptr) {
    PostProcessorDef orphan = def;
    free_sections(&orphan);
    return nullptr;
  }
  entry->id = number;
  return entry;
}

TextLine* default_post_processor(const char* name, int16_t number) {
  PostProcessorDef def;
  for (int slot = 0; slot < PP_SECTION_COUNT; ++slot)
    def.sections[slot] = make_code_section(DEFAULT_SECTIONS[slot].lines,
                                           DEFAULT_SECTIONS[slot].count);
  return append_post_processor(name, number, def);
}

TextLine* delete_post_processor(TextLine* entry) {
  if (entry == nullptr) return nullptr;
  PostProcessorDef* def = post_processor_def(entry);
  if (def != nullptr) free_sections(def);
  return delete_line(entry);
}

void free_post_processor_list(LineList* list) {
  for (TextLine* entry = list->first; entry != nullptr; entry = entry->next) {
    PostProcessorDef* def = post_processor_def(entry);
    if (def != nullptr) free_sections(def);
  }
  free_list(list->first);
  *list = LineList{};
}
