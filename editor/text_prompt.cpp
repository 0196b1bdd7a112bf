#include "editor/text_prompt.h"

#include <vector>

#include "ui/text_boxes.h"
#include "ui/text_format_menu.h"
#include "ui/text_window.h"

namespace {

constexpr int BOX_ROW = 12;
constexpr int BOX_COLUMN = 40;
constexpr int BOX_WIDTH = 50;
// The serial-number placeholder is character 247 of the interface font.
constexpr char HELP_TEXT[] =
    "\vBACKSPACE\x13: clear hi-lited text\n"
    " Insert character to format a serial number: \xf7    Hi-lited text: \vAlt+U\x13 Uppercase  "
    "\vAlt+L\x13 Lowercase  \vAlt+C\x13 Capitalize    Show spaces \vAlt+S\x13, block ends \vAlt+P\x13, "
    "tabs \vAlt+T\x13";

}  // namespace

bool prompt_engraving_text(std::string* text, bool formats) {
  if (text == nullptr) return false;
  std::string start = *text;
  const size_t end = start.find('\n');
  if (end != std::string::npos) start.resize(end);
  show_help_text_line(HELP_TEXT);
  std::vector<char> out(ENGRAVING_TEXT_MOST + 2);
  const bool was_enabled = g_format_menu.enabled;
  g_format_menu.enabled = formats;
  const int first = edit_text_in_box(start.c_str(), out.data(), out.size(), ENGRAVING_TEXT_TITLE,
                                     BOX_ROW, BOX_COLUMN, BOX_WIDTH, nullptr, nullptr);
  g_format_menu.enabled = was_enabled;
  if (first == 0) return false;
  std::string result = out.data();
  const size_t line_end = result.find('\n');
  if (line_end != std::string::npos) result.resize(line_end);
  *text = result;
  return true;
}
