// The help key in forms: there is no help viewer here, so a form shows its own help text for
// the field the cursor is on.
#include <string>

#include "store/store_host.h"
#include "ui/dialog_form.h"
#include "ui/message_box.h"
#include "ui/standard_dialogs.h"
#include "ui/text_window.h"

namespace {

constexpr char HIGHLIGHT[] = "\v";
constexpr char NORMAL[] = "\x13";

// A line's text up to its newline, without the blanks around it.
std::string trimmed_line(const char* text) {
  std::string line(text != nullptr ? text : "");
  const size_t end = line.find('\n');
  if (end != std::string::npos) line.resize(end);
  const size_t first = line.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  const size_t last = line.find_last_not_of(' ');
  return line.substr(first, last - first + 1);
}

// The form's cursor line: the current list's while the form is the active window, else the
// line its window remembers (an entry or a pick list may be open over it).
const TextLine* form_cursor_line(TextLine* form, const TextWindow* w) {
  if (g_windows.active_node == form) return g_lists.cursor_line;
  return w->current_line;
}

}  // namespace

void show_form_help(int /*topic*/) {
  TextLine* form = g_field.running_form;
  const TextWindow* w = window_of(form);
  const TextLine* line = w != nullptr ? form_cursor_line(form, w) : nullptr;
  if (line == nullptr || line->extra.size() < 2 || line->extra.back() != 0) {
    show_help_file();
    return;
  }
  const std::string help = reinterpret_cast<const char*>(line->extra.data());
  if (trimmed_line(help.c_str()).empty()) {
    show_help_file();
    return;
  }
  std::string text;
  const std::string title = trimmed_line(w->title);
  if (!title.empty()) text += HIGHLIGHT + title + NORMAL + "\n\n";
  // The label ends at its colon or question mark; what follows is the field's room.
  std::string label = trimmed_line(line->text.c_str());
  const size_t end = label.find_first_of(":?");
  if (end != std::string::npos) label.resize(end + 1);
  if (!label.empty()) text += label + "\n";
  text += help;
  show_text_box(text.c_str(), TEXTBOX_PRESS_A_KEY);
}
