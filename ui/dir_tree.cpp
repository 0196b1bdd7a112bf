// The folder picker's places and trees: reading the places, scanning and caching a place's tree,
// the display lines, and keeping an open tree in step with the file listings.
#include "ui/dir_tree.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/files.h"
#include "platform/folder_listing.h"
#include "platform/folder_scan.h"
#include "screen/display_mode.h"
#include "screen/event_queue.h"
#include "store/catalogue.h"
#include "store/message_ids.h"
#include "store/text_wrap.h"
#include "ui/list_window.h"
#include "ui/message_box.h"
#include "ui/popups.h"
#include "ui/text_window.h"

DirTree g_dir_tree;

namespace {

constexpr uint8_t TREE_FLAG_BASE = 0x20;
constexpr uint8_t TREE_FLAG_HIDDEN_MARK = 0x01;
constexpr uint8_t TREE_FLAG_COLLAPSED = 0x02;
constexpr uint8_t TREE_ATTRIBUTE_HIDDEN = 0;  // attribute byte: the folder's name is hidden
constexpr unsigned char GLYPH_CONTINUES = 144;
constexpr unsigned char GLYPH_LAST = 143;
constexpr unsigned char GLYPH_BRANCH = 141;
constexpr unsigned char GLYPH_DASH = 151;
constexpr int TREE_WIDTH_LEAST = 30;
constexpr int FOUND_NOTICE_EVERY = 64;

// ---- Paths --------------------------------------------------------------------------------

std::string with_slash(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}
std::string without_slash(const std::string& folder) {
  std::string text = folder;
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

LineExtra path_extra(const std::string& path) {
  LineExtra extra(path.begin(), path.end());
  extra.push_back(0);
  return extra;
}

std::string root_of_tree() { return g_dir_tree.drives[g_dir_tree.drive].folder; }

// The depth of a folder below a place's root: -1 the root, 0 a top-level folder.
int depth_below(const std::string& root, const std::string& path) {
  const std::string r = with_slash(root);
  const std::string p = with_slash(path);
  if (p == r) return -1;
  if (p.compare(0, r.size(), r) != 0) return -2;
  const std::string rest = p.substr(r.size(), p.size() - r.size() - 1);
  return static_cast<int>(std::count(rest.begin(), rest.end(), '/'));
}

std::string folder_name(const std::string& path) {
  const std::string text = without_slash(path);
  const size_t slash = text.rfind('/');
  return slash == std::string::npos ? text : text.substr(slash + 1);
}

int compare_line_paths_hook(const TextLine* a, const TextLine* b) {
  return compare_paths(reinterpret_cast<const char*>(a->extra.data()),
                       reinterpret_cast<const char*>(b->extra.data()));
}

// Works on the tree window's lines as the current list, whichever window is active.
template <typename Work>
void with_tree_lines(Work work) {
  TextWindow* w = window_of(g_dir_tree.window);
  if (w == nullptr) return;
  if (g_windows.active == w) {
    work();
    return;
  }
  push_list();
  g_lists.current = LineList{w->first_line, w->last_line};
  TextLine* cursor = g_lists.cursor_line;
  g_lists.cursor_line = w->current_line;
  work();
  w->first_line = g_lists.current.first;
  w->last_line = g_lists.current.last;
  w->current_line = g_lists.cursor_line;
  g_lists.cursor_line = cursor;
  pop_list();
}

TextLine* find_line_by_path(const std::string& path) {
  return find_line_by_extra_text(path.c_str(), g_lists.current.first);
}

bool esc_pressed() {
  const EventCode code = poll_input_code(EVENT_PEEK_LIMIT);
  if (code != KEY_ESC) return false;
  poll_input_code(0);
  return true;
}

// The notice shown while a tree is built, kept as a pop-up.
void show_build_notice(const char* text) {
  message_box(MSGBOX_CENTRE, MSGBOX_CENTRE, 30, text, MSGBOX_POPUP, nullptr, 0, nullptr, 0,
              nullptr);
}

void close_notices(size_t depth) {
  while (g_popups.below.size() + (g_popups.current != nullptr ? 1 : 0) > depth) close_top_popup();
}

size_t popup_depth() { return g_popups.below.size() + (g_popups.current != nullptr ? 1 : 0); }

}  // namespace

// ---- Places ---------------------------------------------------------------------------------

void scan_drives() {
  DirTree& t = g_dir_tree;
  for (DriveInfo& d : t.drives) d = DriveInfo();
  std::vector<MountEntry> entries;
  read_mount_table(t.mount_table, &entries);
  std::string home = t.home;
  if (home.empty()) {
    const char* env = std::getenv("HOME");
    home = env != nullptr ? env : "";
  }
  const std::vector<Place> places = places_from_mounts(entries, home);
  int next = DRIVE_ROOT + 1;
  t.drive_count = 0;
  for (const Place& place : places) {
    int index = -1;
    if (place.kind == PLACE_HOME) index = DRIVE_HOME;
    else if (place.kind == PLACE_ROOT) index = DRIVE_ROOT;
    else if (next < DRIVE_LETTERS) index = next++;
    if (index < 0 || !t.drives[index].folder.empty()) continue;
    DriveInfo& d = t.drives[index];
    d.folder = with_slash(place.folder);
    switch (place.kind) {
      case PLACE_DISC: d.type = DRIVE_CD; break;
      case PLACE_NETWORK: d.type = DRIVE_REMOTE; break;
      case PLACE_REMOVABLE:
        d.type = DRIVE_DISC_TYPE;
        d.removable = true;
        break;
      default: d.type = DRIVE_DISC_TYPE; break;
    }
    ++t.drive_count;
  }
}

const char* drive_type_name(int index) {
  if (index < 0 || index >= DRIVE_LETTERS) return nullptr;
  const DriveInfo& d = g_dir_tree.drives[index];
  if (d.folder.empty()) return nullptr;
  if (index == DRIVE_HOME) return "Home";
  if (index == DRIVE_ROOT) return "Root";
  switch (d.type) {
    case DRIVE_CD: return "CD ROM";
    case DRIVE_RAM: return "RAM";
    case DRIVE_REMOTE: return "Remote";
    default: return d.removable ? "Backup" : "Drive";
  }
}

int test_drive(int index) {
  if (index < 0 || index >= DRIVE_LETTERS) return 0;
  return folder_readable(g_dir_tree.drives[index].folder) ? 1 : 0;
}

int drive_of_path(const std::string& path) {
  int best = -1;
  size_t best_length = 0;
  const std::string p = with_slash(path);
  for (int i = 0; i < DRIVE_LETTERS; ++i) {
    const std::string& f = g_dir_tree.drives[i].folder;
    if (f.empty() || p.compare(0, f.size(), f) != 0 || f.size() < best_length) continue;
    // The root holds everything; a place inside it wins by its longer folder.
    best = i;
    best_length = f.size();
  }
  return best;
}

std::string usable_remembered_folder(int index) {
  if (index < 0 || index >= DRIVE_LETTERS) return "";
  const std::string& folder = g_dir_tree.remembered[index];
  const std::string& place = g_dir_tree.drives[index].folder;
  if (folder.empty() || place.empty()) return "";
  const std::string f = with_slash(folder);
  if (f.compare(0, place.size(), place) != 0 || !folder_exists(f)) return "";
  return f;
}

void load_drive_folders(const std::string* entries, int count) {
  for (int i = 0; i < DRIVE_LETTERS; ++i) g_dir_tree.remembered[i].clear();
  for (int i = 0; i < count && DRIVE_HOME + i < DRIVE_LETTERS; ++i)
    g_dir_tree.remembered[DRIVE_HOME + i] = entries[i];
}

void store_drive_folders(std::string* entries, int count) {
  for (int i = 0; i < count; ++i)
    entries[i] = DRIVE_HOME + i < DRIVE_LETTERS ? g_dir_tree.remembered[DRIVE_HOME + i] : "";
}

// ---- Paths compared ---------------------------------------------------------------------------

int compare_paths(const char* a, const char* b) {
  if (a == nullptr || b == nullptr) return a == b ? 0 : (a == nullptr ? -1 : 1);
  for (;; ++a, ++b) {
    const unsigned char x = static_cast<unsigned char>(*a);
    const unsigned char y = static_cast<unsigned char>(*b);
    if (x < 32 || y < 32) return static_cast<int>(x) - static_cast<int>(y);
    if (x == y) continue;
    if (x == '/') return -1;
    if (y == '/') return 1;
    const int d = std::tolower(x) - std::tolower(y);
    if (d != 0) return d;
  }
}

int parent_folder_exists(const TextLine* line) {
  if (line == nullptr || line->id <= 0 || line->extra.empty()) return 1;
  const std::string path(reinterpret_cast<const char*>(line->extra.data()));
  return folder_exists(parent_folder(path)) ? 1 : 0;
}

// ---- Scanning -------------------------------------------------------------------------------

int scan_folders(const std::string& folder, int depth) {
  std::vector<SubFolder> subs;
  scan_sub_folders(folder, g_dir_tree.with_hidden, &subs);
  static int found = 0;
  if (depth <= 0) found = 0;
  for (const SubFolder& sub : subs) {
    if (esc_pressed()) return -1;
    const std::string path = with_slash(folder) + sub.name + "/";
    TextLine* line = append_line(path.c_str(), path_extra(path));
    if (line == nullptr) return -1;
    line->id = static_cast<int16_t>(depth);
    line->attributes[TREE_ATTRIBUTE_HIDDEN] = sub.hidden ? 1 : 0;
    if (++found % FOUND_NOTICE_EVERY == 0 && g_popups.current != nullptr) {
      char text[48];
      std::snprintf(text, sizeof text, TREE_FOUND_FORMAT, found);
      print_in_popup(1, 20, text);
    }
  }
  return 0;
}

// ---- The cache file -------------------------------------------------------------------------

namespace {

std::string cache_path(int drive) {
  char name[32];
  std::snprintf(name, sizeof name, TREE_CACHE_FORMAT, 'A' + drive);
  return path_join(g_dir_tree.cache_folder.empty() ? program_folder() : g_dir_tree.cache_folder,
                   name);
}

}  // namespace

int read_dir_cache() {
  std::ifstream file(cache_path(g_dir_tree.drive), std::ios::binary);
  if (!file) return -1;
  const std::string root = root_of_tree();
  std::string line;
  bool first = true;
  while (std::getline(file, line)) {
    // A line loses its CR, never another byte.
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() < 2) continue;
    const uint8_t flag = static_cast<uint8_t>(line[0]);
    const std::string path = line.substr(1);
    if (first) {
      // The first line names the place's folder: a cache of another folder (the letters can
      // name other places from run to run) is not this tree's.
      if (with_slash(path) != root) {
        free_current_list();
        return -1;
      }
      first = false;
      TextLine* l = append_line(root.c_str(), path_extra(root));
      if (l == nullptr) return -1;
      l->id = -1;
      continue;
    }
    const std::string folder = with_slash(path);
    const int depth = depth_below(root, folder);
    if (depth < 0) continue;
    TextLine* l = append_line(folder.c_str(), path_extra(folder));
    if (l == nullptr) return -1;
    l->id = static_cast<int16_t>(depth);
    l->attributes[TREE_ATTRIBUTE_HIDDEN] = (flag & TREE_FLAG_HIDDEN_MARK) != 0 ? 1 : 0;
    if ((flag & TREE_FLAG_COLLAPSED) != 0) l->kind |= LINE_KIND_HIDDEN;
  }
  return first ? -1 : 0;
}

void write_dir_cache() {
  TextWindow* w = window_of(g_dir_tree.window);
  if (w == nullptr) return;
  std::string text;
  const TextLine* first = g_windows.active == w ? g_lists.current.first : w->first_line;
  for (const TextLine* l = first; l != nullptr; l = l->next) {
    if (l->extra.empty()) continue;
    uint8_t flag = TREE_FLAG_BASE;
    if (l->attributes[TREE_ATTRIBUTE_HIDDEN] != 0) flag |= TREE_FLAG_HIDDEN_MARK;
    if ((l->kind & LINE_KIND_HIDDEN) != 0) flag |= TREE_FLAG_COLLAPSED;
    text += static_cast<char>(flag);
    text += without_slash(reinterpret_cast<const char*>(l->extra.data()));
    text += "\r\n";
  }
  std::ofstream file(cache_path(g_dir_tree.drive), std::ios::binary | std::ios::trunc);
  // A cache that cannot be written is only a slower next start.
  if (file) file << text;
  w->flags &= ~WINDOW_CHANGED;
}

// ---- Display lines ----------------------------------------------------------------------------

void format_tree_lines() {
  TextLine* first = g_lists.current.first;
  if (first == nullptr) return;
  int widest = TREE_WIDTH_LEAST;
  // From the last line up: whether a later line continues each level.
  std::vector<bool> later(1, false);
  for (TextLine* l = g_lists.current.last; l != nullptr; l = l->prev) {
    const int depth = l->id;
    std::string text;
    if (depth < 0) {
      const char* label = drive_type_name(g_dir_tree.drive);
      text = std::string("\x08") + static_cast<char>(l->text.size() > 1 ? l->text[1] : 'A');
      if (text[1] != static_cast<char>(TREE_MARK_OPEN) && text[1] != static_cast<char>(TREE_MARK_CLOSED))
        text[1] = 'A';
      text += std::string(" ") + (label != nullptr ? label : "Drive") + " \v" +
              static_cast<char>('A' + g_dir_tree.drive) + "\x13 " +
              without_slash(reinterpret_cast<const char*>(l->extra.data())) + "\n";
    } else {
      if (later.size() < static_cast<size_t>(depth) + 2) later.resize(static_cast<size_t>(depth) + 2, false);
      std::string connectors;
      for (int k = 1; k < depth; ++k) {
        connectors += later[static_cast<size_t>(k)] ? static_cast<char>(GLYPH_CONTINUES) : ' ';
        connectors += "  ";
      }
      if (depth >= 1) {
        connectors += static_cast<char>(later[static_cast<size_t>(depth)] ? GLYPH_BRANCH : GLYPH_LAST);
        connectors += static_cast<char>(GLYPH_DASH);
        connectors += static_cast<char>(GLYPH_DASH);
      }
      const char mark = l->text.size() > 1 && l->text[0] == '\x08' ? l->text[1] : static_cast<char>(TREE_MARK_PLAIN);
      text = std::string("\x08") + mark + "\xF4\x0E " + connectors + "\x13" +
             folder_name(reinterpret_cast<const char*>(l->extra.data()));
      if (l->attributes[TREE_ATTRIBUTE_HIDDEN] != 0) text += TREE_HIDDEN_MARK;
      text += "\n";
      later[static_cast<size_t>(depth)] = true;
      for (size_t j = static_cast<size_t>(depth) + 1; j < later.size(); ++j) later[j] = false;
    }
    if (text.size() > static_cast<size_t>(TREE_LINE_MOST)) text = text.substr(0, TREE_LINE_MOST - 1) + "\n";
    set_line_text(text.c_str(), l);
    widest = std::max(widest, display_length(text.c_str()));
  }
  const int most = std::min(TREE_LINE_MOST, g_display.presets[FACE_ROLE_MENU].last_column - 17);
  g_dir_tree.tree_width = std::clamp(widest, TREE_WIDTH_LEAST, std::max(TREE_WIDTH_LEAST, most));
}

void collapse_tree() {
  for (TextLine* l = g_lists.current.first; l != nullptr; l = l->next)
    if (l->id >= 1) l->kind |= LINE_KIND_HIDDEN;
}

void set_tree_marks() {
  TextLine* top = nullptr;
  for (TextLine* l = g_lists.current.first; l != nullptr; l = l->next) {
    if (l->text.size() < 2) continue;
    if (l->id == 0) {
      top = l;
      l->text[1] = static_cast<char>(TREE_MARK_PLAIN);
    } else if (l->id >= 1) {
      l->text[1] = static_cast<char>(TREE_MARK_OPEN);
      if (top != nullptr && l->id == 1 && l->prev == top)
        top->text[1] = static_cast<char>((l->kind & LINE_KIND_HIDDEN) != 0 ? TREE_MARK_CLOSED
                                                                          : TREE_MARK_OPEN);
    }
  }
}

void refresh_tree_text() {
  TextWindow* w = window_of(g_dir_tree.window);
  if (w == nullptr) return;
  with_tree_lines([&] {
    int position = 0;
    for (TextLine* l = g_lists.current.first; l != nullptr && l != g_lists.cursor_line; l = l->next)
      ++position;
    format_tree_lines();
    set_tree_marks();
    write_dir_cache();
    TextLine* back = nth_line(position);
    g_lists.cursor_line = back != nullptr ? back : g_lists.current.last;
  });
}

// ---- In step with the file listings --------------------------------------------------------

int note_folder(const std::string& path) {
  if (window_of(g_dir_tree.window) == nullptr || g_dir_tree.drive_count < 0) return 0;
  const std::string folder = with_slash(path);
  const int depth = depth_below(root_of_tree(), folder);
  if (depth < 0) return 0;
  bool added = false;
  with_tree_lines([&] {
    if (TextLine* known = find_line_by_path(folder); known != nullptr) {
      known->state |= TREE_LINE_SEEN;
      return;
    }
    TextLine* before = nullptr;
    for (TextLine* l = g_lists.current.first != nullptr ? g_lists.current.first->next : nullptr;
         l != nullptr; l = l->next) {
      if (compare_paths(folder.c_str(), reinterpret_cast<const char*>(l->extra.data())) < 0) {
        before = l;
        break;
      }
    }
    TextLine* after = before != nullptr ? before->prev : g_lists.current.last;
    TextLine* line = insert_line(folder.c_str(), path_extra(folder), after);
    if (line == nullptr) return;
    line->id = static_cast<int16_t>(depth);
    line->kind = 0;
    std::memset(line->attributes, 0, sizeof line->attributes);
    line->state |= TREE_LINE_SEEN;
    line->attributes[TREE_ATTRIBUTE_HIDDEN] = folder_name(folder)[0] == '.' ? 1 : 0;
    if (depth >= 1) {
      const TextLine* neighbour = line->prev != nullptr && line->prev->id >= 1 ? line->prev
                                  : line->next != nullptr && line->next->id >= 1 ? line->next
                                                                                : nullptr;
      if (neighbour != nullptr) line->kind = neighbour->kind;
    }
    added = true;
  });
  if (added) {
    TextWindow* w = window_of(g_dir_tree.window);
    w->flags |= WINDOW_CHANGED;
    refresh_tree_text();
  }
  const std::string name = folder_name(folder);
  return name.empty() ? 0 : static_cast<unsigned char>(name[0]);
}

void forget_missing_folders(const std::string& folder) {
  if (window_of(g_dir_tree.window) == nullptr) return;
  const std::string parent = with_slash(folder);
  bool removed = false;
  with_tree_lines([&] {
    TextLine* holder = find_line_by_path(parent);
    if (holder != nullptr) {
      const int depth = holder->id + 1;
      for (TextLine* l = holder->next; l != nullptr && l->id >= depth;) {
        if (l->id == depth && (l->state & TREE_LINE_SEEN) == 0) {
          // The folder and every line below it go.
          TextLine* next = l->next;
          while (next != nullptr && next->id > depth) next = delete_line(next);
          if (g_lists.cursor_line == l) g_lists.cursor_line = l->prev;
          l = delete_line(l);
          removed = true;
          continue;
        }
        l = l->next;
      }
    }
    for (TextLine* l = g_lists.current.first; l != nullptr; l = l->next)
      l->state &= static_cast<uint8_t>(~TREE_LINE_SEEN);
  });
  if (removed) {
    window_of(g_dir_tree.window)->flags |= WINDOW_CHANGED;
    refresh_tree_text();
  }
}

// ---- Building -------------------------------------------------------------------------------

namespace {

// True when every top-level folder on the disc is in the cached lines.
bool top_level_unchanged(const std::string& root) {
  std::vector<SubFolder> subs;
  if (!scan_sub_folders(root, g_dir_tree.with_hidden, &subs)) return true;
  for (const SubFolder& sub : subs)
    if (find_line_by_path(with_slash(root) + sub.name + "/") == nullptr) return false;
  return true;
}

// The whole place, level by level; a disc or a share stops after its first second-level folder.
void full_scan(const std::string& root) {
  TextLine* line = append_line(root.c_str(), path_extra(root));
  if (line == nullptr) return;
  line->id = -1;
  const DriveInfo& d = g_dir_tree.drives[g_dir_tree.drive];
  const bool shallow = d.type == DRIVE_CD || d.type == DRIVE_REMOTE;
  for (TextLine* l = g_lists.current.first; l != nullptr; l = l->next) {
    const std::string folder(reinterpret_cast<const char*>(l->extra.data()));
    if (scan_folders(folder, l->id + 1) < 0) break;
    if (shallow && l->id == 1) break;
  }
  g_lists.keep_ids = 1;
  g_lists.sorting = 1;
  // The root stays first: it sorts before every folder below it.
  sort_list(compare_line_paths_hook);
  g_lists.sorting = 0;
  g_lists.keep_ids = 0;
}

}  // namespace

void build_dir_tree(int drive) {
  DirTree& t = g_dir_tree;
  if (t.drive_count < 0) scan_drives();
  const size_t notices = popup_depth();
  if (find_message(MSG_TREE_BUILD_NOTICE) != 0 && read_message_line(0) > 0) {
    show_build_notice(message_text());
  }
  TextWindow* w = window_of(t.window);
  push_list();
  if (w != nullptr) {
    free_list(w->first_line != nullptr ? w->first_line : w->last_line);
    w->first_line = w->last_line = w->current_line = nullptr;
    w->block_start = w->block_end = nullptr;
  }
  clear_current_list();
  if (drive < 0 || drive >= DRIVE_LETTERS || test_drive(drive) == 0) drive = DRIVE_HOME;
  t.drive = drive;
  const std::string root = root_of_tree();
  bool from_cache = false;
  if (!root.empty() && read_dir_cache() == 0) {
    from_cache = true;
    if (t.compared[drive] == 0) {
      t.compared[drive] = 1;
      if (!top_level_unchanged(root)) {
        show_build_notice(TREE_CHANGED_NOTICE);
        free_current_list();
        from_cache = false;
      }
    }
  }
  if (!from_cache && !root.empty()) full_scan(root);
  if (g_lists.current.first == nullptr) {
    TextLine* l = append_line(TREE_NO_MEMORY_TEXT, path_extra(with_slash(t.home.empty() ? "/" : t.home)));
    if (l != nullptr) l->id = -1;
  }
  format_tree_lines();
  if (!from_cache) collapse_tree();
  set_tree_marks();
  const CellMetrics& menu = g_display.presets[FACE_ROLE_MENU];
  if (w == nullptr) {
    t.window = create_window(nullptr, {
        .top_row = 1, .left_column = 1, .bottom_row = std::max(2, menu.last_row - 3),
        .right_column = t.tree_width + 1, .flags = 0x13, .key_filter = tree_key_filter,
        .line_drawer = draw_window_line, .options = 0x164, .legend = LIST_WINDOW_LEGEND,
        .wrap_width = 200, .title = "", .list_options = 0x4011,
    });
    w = window_of(t.window);
  } else {
    w->first_line = g_lists.current.first;
    w->last_line = g_lists.current.last;
    w->right_column = static_cast<int16_t>(t.tree_width + 1);
  }
  if (w != nullptr) {
    w->current_line = w->first_line;
    w->cursor_row = 0;
    w->text_column = 1;
    w->cursor_column = 1;
    char title[32];
    const char* label = drive_type_name(drive);
    std::snprintf(title, sizeof title, "%6.6s %c", label != nullptr ? label : "", 'A' + drive);
    std::snprintf(w->title, sizeof w->title, "%s", title);
    if (!from_cache && drive >= DRIVE_HOME) {
      // The lines are the window's now: the cache is written from them.
      clear_current_list();
      write_dir_cache();
    }
  }
  clear_current_list();
  pop_list();
  if (w != nullptr && g_windows.active == w) {
    // Rebuilt while the picker runs: the run loop goes on with the new lines.
    g_lists.current = LineList{w->first_line, w->last_line};
    g_lists.cursor_line = w->first_line;
    g_lists.block_start = g_lists.block_end = nullptr;
  }
  t.first_call = true;
  close_notices(notices);
}

void free_dir_tree() {
  if (g_dir_tree.window != nullptr) destroy_window(g_dir_tree.window);
  g_dir_tree.window = nullptr;
  g_dir_tree.drive_count = -1;
  g_dir_tree.help_box = nullptr;
  for (uint8_t& c : g_dir_tree.compared) c = 0;
}
