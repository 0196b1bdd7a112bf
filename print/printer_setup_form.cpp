#include "print/printer_setup_form.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "print/page_geometry.h"
#include "print/text_print.h"
#include "store/message_ids.h"
#include "ui/dialog_form.h"
#include "ui/field_flags.h"
#include "ui/message_box.h"
#include "ui/run_window.h"
#include "ui/settings_fields.h"
#include "ui/text_window.h"

namespace {

constexpr int ROW_DESTINATION = 1;
constexpr int ROW_PAPER = 2;
constexpr int ROW_ORIENTATION = 3;
static_assert(FORM_PRINTER_SETUP_FIELDS == ROW_ORIENTATION + 1);
constexpr int NAME_WIDTH = 30;
constexpr int ORIENTATION_WIDTH = 10;
constexpr char ORIENTATION_LETTERS[] = "PL";
const char* const ORIENTATIONS[] = {"Portrait", "Landscape"};
constexpr int PDF_NAME_BYTES = 250;
constexpr char PDF_NAME_PROMPT[] = "\x1d!!Name of the PDF file:\n\n\n";
constexpr char PDF_NAME_TITLE[] = "ESC: no printing";

// The choices while the form runs: names kept alive for the pick lists.
struct SetupFormState {
  std::vector<std::string> destinations;
  std::vector<const char*> destination_names;  // null-ended, into destinations
  std::vector<const char*> paper_names;        // null-ended
  uint8_t destination = 0;
  uint8_t paper = 0;
  uint8_t landscape = 0;
};
SetupFormState g_setup_form;

EventCode edit_row(int row) {
  SetupFormState& s = g_setup_form;
  const TextWindow* w = g_windows.active;
  const int list_row = w != nullptr ? w->top_row + row : row;
  const int list_column = g_field.value_column;
  switch (row) {
    case 0: return ok_cancel_field();
    case ROW_DESTINATION:
      return pick_string_field(s.destination_names.data(), nullptr, list_row, list_column,
                               &s.destination, NAME_WIDTH, nullptr);
    case ROW_PAPER:
      return pick_string_field(s.paper_names.data(), nullptr, list_row, list_column, &s.paper,
                               NAME_WIDTH, nullptr);
    case ROW_ORIENTATION:
      return cycle_list_field(ORIENTATION_LETTERS, &s.landscape, 0, ORIENTATION_WIDTH);
    default: return 0;
  }
}

void show_setup() {
  const SetupFormState& s = g_setup_form;
  skip_field_display();
  show_field_text(s.destination_names[s.destination], NAME_WIDTH);
  show_field_text(s.paper_names[s.paper], NAME_WIDTH);
  show_choice_value(ORIENTATIONS, s.landscape, ORIENTATION_WIDTH);
  draw_ok_cancel();
}

}  // namespace

EventCode printer_setup_field() {
  const EventCode result = edit_current_field(edit_row);
  show_every_field(show_setup);
  return end_field_handler(result);
}

int run_printer_setup() {
  SetupFormState& s = g_setup_form;
  s = SetupFormState();
  const std::string current =
      g_printer.setup_chosen ? g_printer.setup.destination : print_default_destination();
  for (const PrintDestination& d : print_destinations()) {
    if (d.name == current) s.destination = static_cast<uint8_t>(s.destinations.size());
    s.destinations.push_back(d.name);
    if (s.destinations.size() >= 250) break;  // a pick list's index is a byte
  }
  for (const std::string& name : s.destinations) s.destination_names.push_back(name.c_str());
  s.destination_names.push_back(nullptr);
  for (const PrintPaper& paper : print_papers()) {
    if (find_print_paper(g_printer.setup.paper) == &paper)
      s.paper = static_cast<uint8_t>(s.paper_names.size());
    s.paper_names.push_back(paper.name);
  }
  s.paper_names.push_back(nullptr);
  s.landscape = g_printer.setup.landscape ? 1 : 0;
  g_field.next_label_width = widest_form_label(MSG_FORM_PRINTER_SETUP);
  if (run_dialog(MSG_FORM_PRINTER_SETUP, printer_setup_field) != 1) return 0;
  const PrinterChoice before = g_printer;
  g_printer.setup.destination = s.destinations[s.destination];
  g_printer.setup.paper = s.paper_names[s.paper];
  g_printer.setup.landscape = s.landscape != 0;
  g_printer.setup_chosen = true;
  if (measure_printer() != 0) {
    const std::string text = std::string(PRINTER_FAILED_TEXT) + "\n" + g_printer.last_error;
    g_printer = before;
    show_text_box(text.c_str(), TEXTBOX_PRESS_A_KEY);
    return 0;
  }
  return 1;
}

bool ask_pdf_file_name(const std::string& proposal) {
  if (g_printer.setup.destination != PRINT_DESTINATION_FILE) return true;
  char name[PDF_NAME_BYTES + 1] = "";
  std::strncpy(name, proposal.c_str(), PDF_NAME_BYTES);
  for (;;) {
    const int ended = message_box(12, MSGBOX_CENTRE, 64, PDF_NAME_PROMPT, 0, name,
                                  -PDF_NAME_BYTES, nullptr, 0, PDF_NAME_TITLE);
    if (ended == KEY_ESC || ended == EVENT_QUIT || ended == EVENT_REDRAW) return false;
    std::string path = name;
    while (!path.empty() && path.back() == ' ') path.pop_back();
    if (path.empty()) continue;  // a blank name is asked again
    if (path.size() < 4 || path.compare(path.size() - 4, 4, ".pdf") != 0) path += ".pdf";
    g_printer.setup.file_path = path;
    return true;
  }
}
