#include "ui/layer_list.h"

#include <cstdio>
#include <string>
#include <vector>

#include "geometry/layers.h"
#include "store/line_list.h"
#include "ui/entry_line.h"

namespace {

constexpr char LAYER_LIST_TITLE[] = "Layers - ESC or RIGHT button: cancel";
constexpr int LAYER_LIST_TOP = 7;
constexpr int LAYER_LIST_LEFT = 26;
constexpr uint32_t LAYER_LIST_FLAGS = 0x33;

// "  7 Engraving": the number, then the name; an unnamed layer shows its number alone.
std::string layer_row(const TextLine* line) {
  char number[8];
  std::snprintf(number, sizeof number, "%3d", line->id);
  return line->text == LAYER_UNNAMED ? std::string(number) : std::string(number) + " " + line->text;
}

}  // namespace

TextLine* pick_layer() {
  std::vector<std::string> rows;
  std::vector<TextLine*> lines;
  for (TextLine* line = g_layers.list.first; line != nullptr && line->id < LAYER_USER_COUNT;
       line = line->next) {
    rows.push_back(layer_row(line));
    lines.push_back(line);
  }
  std::vector<const char*> texts;
  for (const std::string& row : rows) texts.push_back(row.c_str());
  texts.push_back(nullptr);
  const int chosen = pick_from_strings(texts.data(), LAYER_LIST_TITLE, LAYER_LIST_TOP,
                                       LAYER_LIST_LEFT, 0, LAYER_LIST_FLAGS);
  copy_layer_visibility(g_layers.visibility.data());
  return chosen >= 0 && static_cast<size_t>(chosen) < lines.size() ? lines[chosen] : nullptr;
}
