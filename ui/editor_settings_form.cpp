// The editor settings form: the folder and extension new buffers start with, the pointer glide,
// the NC editor key map, the tab width, what becomes of closed windows' areas, the hint boxes and
// window shading.
#include <algorithm>
#include <cstdio>
#include <string>

#include "platform/files.h"
#include "screen/controls.h"
#include "screen/interface_settings.h"
#include "store/message_ids.h"
#include "store/text_helpers.h"
#include "store/text_wrap.h"
#include "ui/dialog_form.h"
#include "ui/edit_buffers.h"
#include "ui/form_pass.h"
#include "ui/settings_fields.h"
#include "ui/text_window.h"

namespace {

enum SettingsRow { ROW_BAR, ROW_FOLDER, ROW_EXTENSION, ROW_GLIDE, ROW_KEY_MAP, ROW_TAB,
                   ROW_SHADING_STYLE, ROW_HINTS, ROW_SHADING };
static_assert(FORM_EDITOR_SETTINGS_FIELDS == ROW_SHADING + 1);

constexpr int FOLDER_WIDTH = 40;
constexpr int EXTENSION_WIDTH = 3;
constexpr int GLIDE_WIDTH = 4;
constexpr int YES_NO_WIDTH = 4;
constexpr int TAB_WIDTH = 2;
constexpr int STYLE_WIDTH = 11;
constexpr int SETTINGS_HELP_TOPIC = 66;
constexpr char YES_NO_LETTERS[] = "NY";
const char* const NO_YES[] = {"No", "Yes"};
const char* const SHADING_STYLES[] = {"\vL\x13" "eave 'em", "\vF\x13" "ade 'em",
                                      "\vC\x13" "lear 'em", "\vR\x13" "emove 'em", nullptr};
constexpr uint8_t SHADING_STYLE_COUNT = 4;

// The extension's letters as the form edits them (the stored extension keeps its dot).
char g_extension[EXTENSION_WIDTH + 1] = {};

void take_extension() {
  const std::string& e = g_buffers.current_extension;
  std::snprintf(g_extension, sizeof g_extension, "%s",
                !e.empty() && e[0] == '.' ? e.c_str() + 1 : e.c_str());
}

void keep_extension() {
  g_buffers.current_extension = g_extension[0] != 0 ? std::string(".") + g_extension : "";
}

uint8_t yes_no(uint8_t value) { return value != 0 ? 1 : 0; }

EventCode edit_yes_no(uint8_t* value) {
  uint8_t v = yes_no(*value);
  const EventCode result = cycle_list_field(YES_NO_LETTERS, &v, 0, YES_NO_WIDTH);
  if (result < 0) *value = v;
  return result;
}

EventCode edit_row(int row) {
  InterfaceSettings& s = g_interface;
  switch (row) {
    case ROW_BAR: return ok_cancel_field();
    case ROW_FOLDER: {
      const EventCode result = directory_field(&g_buffers.current_folder, FOLDER_WIDTH + 1);
      // An emptied folder is the program's data folder.
      if (g_buffers.current_folder.empty()) {
        g_buffers.current_folder = program_folder();
        add_trailing_backslash(&g_buffers.current_folder);
      }
      return result;
    }
    case ROW_EXTENSION: {
      const EventCode result = edit_value_field({g_extension, sizeof g_extension},
                                                FIELD_FILE_NAME | FIELD_NO_BLANKS, 13,
                                                EXTENSION_WIDTH);
      keep_extension();
      return result;
    }
    case ROW_GLIDE:
      return edit_value_field({&s.glide_delay, 0}, FIELD_SHORT, 13, GLIDE_WIDTH);
    case ROW_KEY_MAP: return edit_yes_no(&s.nc_key_map);
    case ROW_TAB: {
      const EventCode result = edit_value_field({&s.tab_width, 0}, FIELD_BYTE, 13, TAB_WIDTH);
      // The editor takes the tab width at once (never 0).
      g_text_wrap.tab_width = std::max<uint8_t>(s.tab_width, 1);
      return result;
    }
    case ROW_SHADING_STYLE: {
      uint8_t index = std::min(s.shading_style, static_cast<uint8_t>(SHADING_STYLE_COUNT - 1));
      const EventCode result = pick_string_field(SHADING_STYLES, "Select",
                                                 g_field.display_row - 6, g_field.value_column,
                                                 &index, STYLE_WIDTH, nullptr);
      if (index < SHADING_STYLE_COUNT) s.shading_style = index;
      return result;
    }
    case ROW_HINTS: return edit_yes_no(&s.hint_box);
    case ROW_SHADING: return edit_yes_no(&s.shading_option);
    default: return 0;
  }
}

void show_values() {
  const InterfaceSettings& s = g_interface;
  skip_field_display();
  show_text_value(g_buffers.current_folder.c_str(), FOLDER_WIDTH);
  show_text_value(g_extension, EXTENSION_WIDTH);
  show_int_value(s.glide_delay, GLIDE_WIDTH);
  show_toggle_value(NO_YES, yes_no(s.nc_key_map), YES_NO_WIDTH);
  show_int_value(s.tab_width, TAB_WIDTH);
  show_choice_value(SHADING_STYLES,
                    std::min<int>(s.shading_style, SHADING_STYLE_COUNT - 1), STYLE_WIDTH);
  show_toggle_value(NO_YES, yes_no(s.hint_box), YES_NO_WIDTH);
  show_toggle_value(NO_YES, yes_no(s.shading_option), YES_NO_WIDTH);
  draw_ok_cancel();
}

}  // namespace

EventCode editor_settings_field() {
  g_field.help_topic = SETTINGS_HELP_TOPIC;
  // Controls outside the form are not hit-tested while a field editor runs.
  g_controls.hit_test_off = true;
  const EventCode code = field_pass_showing_values(edit_row, show_values);
  g_controls.hit_test_off = false;
  return code;
}

int edit_editor_settings() {
  const InterfaceSettings settings = g_interface;
  const std::string folder = g_buffers.current_folder;
  const std::string extension = g_buffers.current_extension;
  take_extension();
  const int accepted = run_form_over_window(MSG_FORM_EDITOR_SETTINGS, editor_settings_field);
  if (accepted != 0) {
    g_interface.tab_width = g_text_wrap.tab_width;
    return 0;
  }
  // Cancelled: everything as it was, the tab width the editor uses too.
  g_interface = settings;
  g_buffers.current_folder = folder;
  g_buffers.current_extension = extension;
  g_text_wrap.tab_width = std::max<uint8_t>(g_interface.tab_width, 1);
  return -1;
}
