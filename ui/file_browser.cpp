// The browser's model: filters, folders, the list's current entry, and what Enter does.
#include "ui/file_browser.h"

#include <algorithm>

#include "platform/cp1252.h"
#include "platform/folder_listing.h"
#include "store/text_helpers.h"

namespace {

constexpr char ALL_FILES_PATTERN[] = "*.*";

std::vector<std::string> pieces_of(const std::string& text, char separator) {
  std::vector<std::string> pieces;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(separator, start);
    if (end == std::string::npos) end = text.size();
    pieces.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return pieces;
}

uint8_t fold_case(uint8_t c) { return (c >= 'a' && c <= 'z') ? static_cast<uint8_t>(c - 32) : c; }

const std::vector<std::string>& current_patterns(const FileBrowser* b) {
  return b->filters[static_cast<size_t>(b->filter_index)].patterns;
}

// Reads the folder into the entries; false (entries untouched) when it cannot be read.
bool read_entries(FileBrowser* b, const std::string& folder) {
  std::vector<FolderEntry> entries;
  if (!list_browser_folder(folder, current_patterns(b), b->mode == BROWSE_FOLDER, &entries))
    return false;
  b->entries = std::move(entries);
  b->current = 0;
  b->first_shown = 0;
  return true;
}

// The name entry's text as file system bytes: the bytes of a name that came from the list or
// the caller as they stand, a typed one converted from cp1252.
std::string name_entry_bytes(const FileBrowser* b) {
  if (!b->name_bytes.empty() && cp1252_from_utf8(b->name_bytes, '?') == b->name)
    return b->name_bytes;
  for (const FolderEntry& entry : b->entries)
    if (!entry.is_folder && cp1252_from_utf8(entry.name, '?') == b->name) return entry.name;
  return cp1252_to_utf8(b->name);
}

// A file path chosen in the list or typed: kept when the mode allows it, else refused with a
// notice.
BrowserStep choose_file(FileBrowser* b, const std::string& path) {
  std::string folder;
  std::string name;
  split_path(path, &folder, &name);
  if (!folder_exists(folder)) {
    b->notice = "No such folder: " + cp1252_from_utf8(folder, '?');
    return BROWSER_GO_ON;
  }
  if (b->mode == BROWSE_OPEN && !b->allow_new_names && !file_exists(path)) {
    b->notice = "No such file: " + cp1252_from_utf8(name, '?');
    return BROWSER_GO_ON;
  }
  b->result = path;
  return BROWSER_CHOSEN;
}

BrowserStep choose_folder(FileBrowser* b, const std::string& folder) {
  b->result = folder;
  add_trailing_backslash(&b->result);
  return BROWSER_CHOSEN;
}

}  // namespace

std::vector<FileFilter> parse_file_filters(const std::string& text) {
  std::vector<FileFilter> filters;
  if (text.empty()) return filters;
  const std::vector<std::string> pieces = pieces_of(text, '|');
  for (size_t i = 0; i + 1 < pieces.size(); i += 2) {
    if (pieces[i + 1].empty()) continue;
    filters.push_back({pieces[i], split_filter_patterns(pieces[i + 1])});
  }
  return filters;
}

std::string shown_entry_name(const FolderEntry& entry) {
  std::string shown = cp1252_from_utf8(entry.name, '?');
  // Bytes below 32 are the text's colour codes: a name never draws them.
  for (char& c : shown)
    if (static_cast<uint8_t>(c) < 32) c = '?';
  return entry.is_folder ? "/" + shown : shown;
}

void start_file_browser(FileBrowser* browser, BrowserMode mode, const std::string& folder,
                        const std::string& filter_text, const std::string& name) {
  *browser = FileBrowser();
  browser->mode = mode;
  browser->filters = parse_file_filters(filter_text);
  if (browser->filters.empty()) browser->filters.push_back({"All files", {ALL_FILES_PATTERN}});
  browser->name_bytes = name;
  browser->name = cp1252_from_utf8(name, '?');
  browser->places = system_places();
  const std::string working = working_folder();
  const std::string wanted = folder.empty() ? working : absolute_path(working, folder + "/");
  if (!folder_exists(wanted) || !open_browser_folder(browser, wanted)) {
    browser->notice.clear();
    if (!open_browser_folder(browser, working)) browser->folder = working;
  }
}

bool open_browser_folder(FileBrowser* browser, const std::string& folder) {
  std::string wanted = folder;
  add_trailing_backslash(&wanted);
  if (!read_entries(browser, wanted)) {
    browser->notice = "This folder cannot be read: " + cp1252_from_utf8(wanted, '?');
    return false;
  }
  browser->folder = wanted;
  return true;
}

void browser_go_up(FileBrowser* browser) {
  const std::string from = browser->folder;
  if (from == "/") return;
  if (!open_browser_folder(browser, parent_folder(from))) return;
  std::string came_from = from.substr(browser->folder.size());
  while (!came_from.empty() && came_from.back() == '/') came_from.pop_back();
  for (size_t i = 0; i < browser->entries.size(); ++i) {
    if (browser->entries[i].is_folder && browser->entries[i].name == came_from) {
      browser->current = static_cast<int>(i);
      break;
    }
  }
}

void browser_jump_to_letter(FileBrowser* browser, uint8_t c) {
  const int count = static_cast<int>(browser->entries.size());
  for (int step = 1; step <= count; ++step) {
    const int i = (browser->current + step) % count;
    const std::string& name = browser->entries[static_cast<size_t>(i)].name;
    if (name.empty()) continue;
    const std::string shown = cp1252_from_utf8(name, '?');
    if (fold_case(static_cast<uint8_t>(shown[0])) == fold_case(c)) {
      browser->current = i;
      return;
    }
  }
}

BrowserStep browser_enter_on_list(FileBrowser* browser) {
  if (browser->entries.empty()) {
    return browser->mode == BROWSE_FOLDER ? choose_folder(browser, browser->folder)
                                          : BROWSER_GO_ON;
  }
  const FolderEntry& entry = browser->entries[static_cast<size_t>(browser->current)];
  if (entry.is_folder) {
    open_browser_folder(browser, browser->folder + entry.name + "/");
    return BROWSER_GO_ON;
  }
  browser->name_bytes = entry.name;
  browser->name = cp1252_from_utf8(entry.name, '?');
  return choose_file(browser, browser->folder + entry.name);
}

BrowserStep browser_accept_name(FileBrowser* browser) {
  const std::string typed = name_entry_bytes(browser);
  if (typed.find_first_not_of(' ') == std::string::npos) {
    return browser->mode == BROWSE_FOLDER ? choose_folder(browser, browser->folder)
                                          : BROWSER_GO_ON;
  }
  const std::string path = absolute_path(browser->folder, typed);
  if (folder_exists(path)) {
    if (browser->mode == BROWSE_FOLDER) return choose_folder(browser, path);
    if (open_browser_folder(browser, path)) {
      browser->name.clear();
      browser->name_bytes.clear();
      browser->focus = FOCUS_LIST;
    }
    return BROWSER_GO_ON;
  }
  if (browser->mode == BROWSE_FOLDER || path.back() == '/') {
    browser->notice = "No such folder: " + cp1252_from_utf8(path, '?');
    return BROWSER_GO_ON;
  }
  return choose_file(browser, path);
}

void browser_next_filter(FileBrowser* browser) {
  browser->filter_index = (browser->filter_index + 1) % static_cast<int>(browser->filters.size());
  read_entries(browser, browser->folder);
}
