#include "platform/folder_listing.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace {

unsigned char lower_ascii(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

// Negative, zero or positive as a sorts before, with or after b ignoring ASCII case.
int compare_ignoring_case(const std::string& a, const std::string& b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const int d = lower_ascii(static_cast<unsigned char>(a[i])) -
                  lower_ascii(static_cast<unsigned char>(b[i]));
    if (d != 0) return d;
  }
  return static_cast<int>(a.size()) - static_cast<int>(b.size());
}

std::string trim_blanks(const std::string& text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  const size_t last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

}  // namespace

std::vector<std::string> split_filter_patterns(const std::string& patterns) {
  std::vector<std::string> result;
  size_t start = 0;
  while (start <= patterns.size()) {
    size_t end = patterns.find(';', start);
    if (end == std::string::npos) end = patterns.size();
    const std::string pattern = trim_blanks(patterns.substr(start, end - start));
    if (!pattern.empty()) result.push_back(pattern);
    start = end + 1;
  }
  if (result.empty()) result.push_back("*.*");
  return result;
}

bool matches_any_pattern(const std::vector<std::string>& patterns, const std::string& name) {
  for (const std::string& pattern : patterns)
    if (wildcard_match(pattern, name)) return true;
  return false;
}

void sort_folder_entries(std::vector<FolderEntry>* entries) {
  std::stable_sort(entries->begin(), entries->end(),
                   [](const FolderEntry& a, const FolderEntry& b) {
                     if (a.is_folder != b.is_folder) return a.is_folder;
                     const int d = compare_ignoring_case(a.name, b.name);
                     return d != 0 ? d < 0 : a.name < b.name;
                   });
}

bool list_browser_folder(const std::string& folder, const std::vector<std::string>& patterns,
                         bool folders_only, std::vector<FolderEntry>* entries) {
  std::vector<FolderEntry> all;
  if (!list_folder(folder, "*", &all)) return false;
  entries->clear();
  for (const FolderEntry& entry : all) {
    if (entry.name.empty() || entry.name[0] == '.') continue;
    if (!entry.is_folder && (folders_only || !matches_any_pattern(patterns, entry.name))) continue;
    entries->push_back(entry);
  }
  sort_folder_entries(entries);
  return true;
}

bool folder_exists(const std::string& path) {
  struct stat info;
  return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string working_folder() {
  std::vector<char> buffer(4096);
  // A working folder deeper than the buffer: grow it rather than give a cut path.
  while (getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE || buffer.size() > (1u << 20)) return "/";
    buffer.resize(buffer.size() * 2);
  }
  std::string folder = buffer.data();
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

std::string parent_folder(const std::string& folder) {
  std::string text = folder;
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  const size_t slash = text.rfind('/');
  if (slash == std::string::npos || slash == 0) return "/";
  return text.substr(0, slash + 1);
}

std::string absolute_path(const std::string& base, const std::string& text) {
  const std::string whole = (!text.empty() && text[0] == '/') ? text : base + "/" + text;
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= whole.size()) {
    size_t end = whole.find('/', start);
    if (end == std::string::npos) end = whole.size();
    const std::string part = whole.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  std::string path;
  for (const std::string& part : parts) path += "/" + part;
  const bool names_folder = text.empty() || text.back() == '/' || text == "." || text == ".." ||
                            (text.size() >= 2 && text.compare(text.size() - 2, 2, "/.") == 0) ||
                            (text.size() >= 3 && text.compare(text.size() - 3, 3, "/..") == 0);
  if (path.empty() || names_folder) path += "/";
  return path;
}
