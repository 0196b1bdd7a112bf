#include "text/stroke_fonts.h"

#include <algorithm>

#include "text/text_host.h"
#include "store/text_helpers.h"

FontRegistry g_fonts;

void reset_font_registry() { g_fonts = FontRegistry{}; }

namespace {

StrokeFont* registered(int16_t number) {
  for (auto& font : g_fonts.fonts)
    if (font->number == number) return font.get();
  return nullptr;
}

bool resident(int16_t number) { return number == 0 || number == 1; }

bool load_table(StrokeFont* font) {
  const int result = read_stroke_font_file(g_fonts.folder, font->file_name, font->number, nullptr,
                                           &font->table, nullptr);
  if (result != FONT_FILE_OK) return false;
  font->table.name = font->file_name;
  font->state &= static_cast<uint8_t>(~FONT_TABLE_NOT_LOADED);
  return true;
}

}  // namespace

void note_font_problem(const std::string& name, int result) {
  g_fonts.problems.push_back("font " + name + ": " + font_file_result_text(result));
}

void report_font_problems() {
  if (g_fonts.problems.empty()) return;
  std::string text = "These fonts cannot be used; their texts are drawn in font 0:\n";
  for (const std::string& line : g_fonts.problems) text += line + "\n";
  g_fonts.problems.clear();
  text_show_message(text.c_str());
}

int load_stroke_font(const std::string& folder, const std::string& name) {
  const int16_t number = font_number_of(name);
  if (registered(number) != nullptr) return 0;
  if (g_fonts.folder.empty()) g_fonts.folder = folder;
  auto font = std::make_unique<StrokeFont>();
  font->number = number;
  font->file_name = name;
  // The whole file is checked now, so a damaged font is named at start-up, not when drawn.
  StrokeFontTable table;
  std::vector<uint8_t> stream;
  const int result = read_stroke_font_file(folder, name, number, &font->title, &table, &stream);
  if (result != FONT_FILE_OK) {
    note_font_problem(name, result);
    return 0;
  }
  if (resident(number)) {
    font->table = std::move(table);
    font->table.name = name;
    font->state = FONT_STREAM_NOT_LOADED;
  }
  g_fonts.fonts.push_back(std::move(font));
  return 1;
}

int compile_and_load_stroke_font(const std::string& folder, const std::string& name) {
  const int result = compile_stroke_font(folder, name);
  if (result != FONT_FILE_OK) {
    note_font_problem(name, result);
    return 0;
  }
  return load_stroke_font(folder, name);
}

StrokeFont* find_font(int16_t font_number) {
  StrokeFont* font = registered(font_number);
  if (font != nullptr) return font;
  return registered(0);
}

StrokeFont* font_with_table(int16_t font_number) {
  StrokeFont* font = find_font(font_number);
  if (font == nullptr) return nullptr;
  if ((font->state & FONT_TABLE_NOT_LOADED) != 0 && !load_table(font)) return nullptr;
  return font;
}

bool load_font_stream(StrokeFont* font) {
  if ((font->state & FONT_STREAM_NOT_LOADED) == 0) return true;
  StrokeFontTable table;
  if (read_stroke_font_file(g_fonts.folder, font->file_name, font->number, nullptr, &table,
                            &font->stream) != FONT_FILE_OK)
    return false;
  table.name = font->file_name;
  font->table = std::move(table);
  font->state = 0;
  return true;
}

void unload_fonts() {
  for (auto& font : g_fonts.fonts) {
    font->stream.clear();
    font->stream.shrink_to_fit();
    if (resident(font->number)) {
      font->state = (font->state & FONT_TABLE_NOT_LOADED) | FONT_STREAM_NOT_LOADED;
    } else {
      font->table = StrokeFontTable{};
      font->state = FONT_STREAM_NOT_LOADED | FONT_TABLE_NOT_LOADED;
    }
  }
}

const uint8_t* font_glyph(const StrokeFont* font, int code) {
  if (font == nullptr || (font->state & FONT_STREAM_NOT_LOADED) != 0) return nullptr;
  if (code < FONT_FIRST_GLYPH_CODE || code > FONT_LAST_CODE) return nullptr;
  const int32_t offset = font->table.offset[code - FONT_FIRST_CODE];
  if (offset <= 0 || static_cast<size_t>(offset) >= font->stream.size()) return nullptr;
  return font->stream.data() + offset;
}

float font_advance(const StrokeFont* font, int code) {
  if (font == nullptr || code < FONT_FIRST_CODE || code > FONT_LAST_CODE) return 0.0f;
  return font->table.advance[code - FONT_FIRST_CODE];
}

bool font_is_single_stroke(int16_t /*font_number*/, bool truetype) { return !truetype; }

void append_font_list_lines() {
  for (auto& font : g_fonts.fonts) {
    const std::string text =
        resident(font->number) ? font->title : font->title + "\n" + font->file_name;
    TextLine* line = append_line(text.c_str());
    if (line == nullptr) return;
    line->id = font->number;
    line->state = font->state;
  }
}

int append_symbol_font_lines() {
  int count = 0;
  for (auto& font : g_fonts.fonts) {
    if (font->number < FONT_NUMBER_SYMBOL_BASE) continue;
    TextLine* line = append_line(font->title.c_str());
    if (line == nullptr) break;
    line->id = font->number;
    ++count;
  }
  return count;
}

int compare_font_names(const TextLine* a, const TextLine* b) {
  return compare_font_titles(a->text, b->text);
}

int compare_font_titles(const std::string& x, const std::string& y) {
  const size_t n = std::min(x.size(), y.size());
  for (size_t k = 0; k < n; ++k) {
    const int cx = std::tolower(static_cast<unsigned char>(x[k]));
    const int cy = std::tolower(static_cast<unsigned char>(y[k]));
    if (cx != cy) return cx - cy;
  }
  return static_cast<int>(x.size()) - static_cast<int>(y.size());
}

