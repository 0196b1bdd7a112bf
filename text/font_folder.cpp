// The stroke fonts of a folder, compiled when their source is newer and registered.
#include <filesystem>
#include <map>
#include <system_error>

#include "platform/files.h"
#include "text/stroke_fonts.h"

namespace {

struct FontFiles {
  std::string source;    // the source's name as it stands in the folder, "" none
  std::string compiled;  // the compiled file's name, "" none
};

std::filesystem::file_time_type modified(const std::string& folder, const std::string& name,
                                         bool* ok) {
  std::error_code error;
  const auto time = std::filesystem::last_write_time(path_join(folder, name), error);
  *ok = !error;
  return time;
}

std::string stem_of(const std::string& name) { return name.substr(0, name.size() - 4); }

}  // namespace

int register_folder_fonts(const std::string& folder) {
  if (g_fonts.folder.empty()) g_fonts.folder = folder;
  std::vector<FolderEntry> entries;
  if (!list_folder(folder, "*.Q2?", &entries)) return 0;
  std::map<std::string, FontFiles> fonts;
  for (const FolderEntry& e : entries) {
    if (e.is_folder || e.name.size() < 5) continue;
    const char last = e.name.back();
    if (last == 'F' || last == 'f') fonts[stem_of(e.name)].source = e.name;
    else if (last == '_') fonts[stem_of(e.name)].compiled = e.name;
  }
  int count = 0;
  for (const auto& [name, files] : fonts) {
    bool compile = !files.source.empty();
    if (compile && !files.compiled.empty()) {
      bool source_ok = false, compiled_ok = false;
      const auto source_time = modified(folder, files.source, &source_ok);
      const auto compiled_time = modified(folder, files.compiled, &compiled_ok);
      compile = !(source_ok && compiled_ok && compiled_time > source_time);
    }
    count += compile ? compile_and_load_stroke_font(folder, name) : load_stroke_font(folder, name);
  }
  return count;
}
