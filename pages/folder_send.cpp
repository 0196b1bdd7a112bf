#include "pages/folder_send.h"

#include "pages/serial_transfer.h"
#include "platform/files.h"
#include "ui/edit_buffers.h"

namespace {

// The text after the last dot of a name; empty without one.
std::string extension_of(const std::string& name) {
  const size_t dot = name.rfind('.');
  return dot == std::string::npos || dot == 0 ? std::string() : name.substr(dot + 1);
}

}  // namespace

std::vector<std::string> folder_files_to_send(const std::string& folder, const char* include,
                                              const char* exclude) {
  std::vector<std::string> chosen;
  std::vector<FolderEntry> entries;
  if (!list_folder(folder, "*.*", &entries)) return chosen;
  for (const FolderEntry& e : entries) {
    if (e.is_folder) continue;
    const std::string extension = extension_of(e.name);
    const bool included = find_three_letter_code(extension.c_str(), include) >= 0;
    const bool not_excluded = exclude != nullptr && *exclude != 0 &&
                              find_three_letter_code(extension.c_str(), exclude) < 0;
    if (included || not_excluded) chosen.push_back(path_join(folder, e.name));
  }
  return chosen;
}

int send_folder_files(TextLine* protocol, const std::string& folder, const char* include,
                      const char* exclude) {
  const std::vector<std::string> files = folder_files_to_send(folder, include, exclude);
  if (files.empty()) return 1;
  for (const std::string& path : files)
    if (send_to_port(protocol, nullptr, nullptr, path.c_str(), true) != 0) return -1;
  return 0;
}
