// The protocol list: loading, saving, freeing and choosing.
#include <string>

#include "nc/comm_protocol.h"
#include "nc/tape_codes.h"
#include "pages/protocol_list.h"
#include "platform/files.h"
#include "ui/text_window.h"

// ---- The list -----------------------------------------------------------------------------------

void load_protocols() {
  const std::string folder = program_folder();
  read_protocols(folder);
  read_man_read_table(folder);
}

void save_protocols() {
  if (g_protocols.modified) write_protocols();
}

void free_protocol_names() {
  if (g_protocol_form.list_window != nullptr) destroy_window(g_protocol_form.list_window);
  g_protocol_form.list_window = nullptr;
  free_protocols();
}

TextLine* choose_protocol(int mode) {
  g_protocol_form.choose_mode = mode;
  TextLine* chosen = find_line_by_id_from(g_protocols.lines.first, g_protocols.last_chosen_id);
  if (chosen == nullptr) chosen = g_protocols.lines.first;
  if (mode == PROTOCOL_EDIT) {
    if (chosen != nullptr) edit_protocol(chosen);
    save_protocols();
    return nullptr;
  }
  if (chosen != nullptr) g_protocols.last_chosen_id = chosen->id;
  return chosen;
}

EventCode protocol_list_key() { return 0; }

void reset_protocol_list() { g_protocol_form = ProtocolForm(); }
