// The open, save-as and folder dialogs over the file browser; the help file; freeing chains.
#include "ui/standard_dialogs.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "platform/files.h"
#include "store/file_reader.h"
#include "store/store_host.h"
#include "store/text_helpers.h"
#include "ui/file_browser.h"
#include "ui/message_box.h"
#include "store/line_list.h"
#include "ui/text_window.h"

FileDialogSettings g_file_dialogs;

namespace {

constexpr char ALL_FILES_FILTER[] = "All files|*.*";
constexpr char SHOW_ALL_FILES[] = "|Show all files|*.*";
// The help box is drawn at the top and left on the screen, as every notice of the help key.
constexpr uint32_t HELP_BOX_FLAGS = TEXTBOX_TOP | TEXTBOX_CLOSE_AT_ONCE;

// True when the name (no folder) has an extension of its own.
bool has_extension(const std::string& name) {
  const size_t dot = name.rfind('.');
  return dot != std::string::npos && dot > 0 && dot + 1 < name.size();
}

}  // namespace

void reset_file_dialogs() { g_file_dialogs = FileDialogSettings(); }

int16_t save_as_dialog(FileRecord* record) {
  const std::string filter = "*" + record->extension + "|*" + record->extension +
                             "|All files (*.*)|*.*";
  FileBrowser browser;
  start_file_browser(&browser, BROWSE_SAVE, record->folder, filter, record->name);
  browser.title = "Save as";
  if (run_file_browser(&browser) != BROWSER_CHOSEN) return DIALOG_CANCELLED;
  std::string path = browser.result;
  std::string folder;
  std::string name;
  split_path(path, &folder, &name);
  if (!has_extension(name)) path += record->extension;
  record->full_path = path;
  split_path(path, &record->folder, &record->name);
  return DIALOG_CHOSEN;
}

int16_t open_file_dialog(const std::string& folder, const char* filter, std::string* path) {
  const std::string filters = filter != nullptr ? std::string(filter) + SHOW_ALL_FILES
                                                : std::string(ALL_FILES_FILTER);
  FileBrowser browser;
  start_file_browser(&browser, BROWSE_OPEN, folder, filters, "");
  browser.allow_new_names = g_file_dialogs.allow_new_names;
  browser.title = "Open";
  if (run_file_browser(&browser) != BROWSER_CHOSEN) return DIALOG_CANCELLED;
  *path = browser.result;
  return DIALOG_CHOSEN;
}

int16_t browse_folder(std::string* path) {
  FileBrowser browser;
  start_file_browser(&browser, BROWSE_FOLDER, "", "", "");
  browser.title = "Choose a folder";
  if (run_file_browser(&browser) != BROWSER_CHOSEN) return FOLDER_CANCELLED;
  *path = browser.result;
  add_trailing_backslash(path);
  return FOLDER_CHOSEN;
}

void show_help_file() {
  if (find_file_ignoring_case(program_folder(), HELP_FILE_NAME).empty()) {
    show_text_box("The help file is missing!", HELP_BOX_FLAGS);
    return;
  }
  // The file's format has no viewer on this system: say so rather than start nothing silently.
  show_text_box("The help file cannot be shown: there is no help viewer here.", HELP_BOX_FLAGS);
}

void destroy_window_chain(TextLine* first) {
  if (first == nullptr) return;
  // The chain as it stands: a successor that is not one of its windows is a window the
  // destruction made in their place (a fresh buffer), and the walk ends there.
  TextLine* head = first;
  while (head->prev != nullptr) head = head->prev;
  std::vector<TextLine*> chain;
  for (TextLine* node = head; node != nullptr; node = node->next) chain.push_back(node);
  TextLine* node = first;
  for (size_t destroyed = 0; node != nullptr && destroyed < chain.size(); ++destroyed) {
    if (std::find(chain.begin(), chain.end(), node) == chain.end()) break;
    node = destroy_window(node);
  }
}

void free_pointer_array(void** array, int count) {
  if (array == nullptr) return;
  for (int i = count - 1; i >= 0; --i) {
    std::free(array[i]);
    array[i] = nullptr;
  }
}
