#include "import/dxf_pairs.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr char BINARY_DXF_SENTINEL[] = "AutoCAD Binary DXF";
constexpr double DXF_VALUE_LIMIT = 1e10;

std::string_view trim_blanks(std::string_view s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

std::string_view trim_leading(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  return s;
}

bool next_line(DxfPairReader* reader, std::string_view* out) {
  const std::string_view text = reader->text;
  if (reader->pos >= text.size()) return false;
  const size_t end = text.find('\n', reader->pos);
  const size_t stop = end == std::string_view::npos ? text.size() : end;
  *out = trim_blanks(text.substr(reader->pos, stop - reader->pos));
  reader->pos = end == std::string_view::npos ? text.size() : end + 1;
  ++reader->line;
  return true;
}

bool is_entity_pair(const DxfPair& pair, const char* type) {
  return pair.code == 0 && pair.value == type;
}

}  // namespace

bool load_dxf_text(const std::string& path, std::string* bytes, std::string* error) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    *error = "the file cannot be opened";
    return false;
  }
  bool ok = std::fseek(file, 0, SEEK_END) == 0;
  const long size = ok ? std::ftell(file) : -1;
  ok = ok && size >= 0 && std::fseek(file, 0, SEEK_SET) == 0;
  if (!ok) {
    std::fclose(file);
    *error = "the file cannot be read";
    return false;
  }
  if (size > DXF_MAX_FILE_BYTES) {
    std::fclose(file);
    *error = "the file is too large to import";
    return false;
  }
  bytes->resize(static_cast<size_t>(size));
  const size_t got = bytes->empty() ? 0 : std::fread(bytes->data(), 1, bytes->size(), file);
  std::fclose(file);
  if (got != bytes->size()) {
    *error = "the file cannot be read";
    return false;
  }
  if (bytes->compare(0, sizeof BINARY_DXF_SENTINEL - 1, BINARY_DXF_SENTINEL) == 0 ||
      std::memchr(bytes->data(), '\0', bytes->size()) != nullptr) {
    *error = "the file is binary, not an ASCII DXF file";
    return false;
  }
  return true;
}

bool next_dxf_pair(DxfPairReader* reader, DxfPair* pair) {
  std::string_view code_line;
  if (!next_line(reader, &code_line)) return false;
  const int64_t line = reader->line;
  const std::string_view code_text = trim_leading(code_line);
  int code = 0;
  const auto [end, ec] = std::from_chars(code_text.data(), code_text.data() + code_text.size(), code);
  if (ec != std::errc() || end != code_text.data() + code_text.size() || code_text.empty()) {
    // Blank lines at the very end of a file are not a damaged pair.
    if (code_text.empty() && reader->text.find_first_not_of(" \t\r\n", reader->pos) ==
                                 std::string_view::npos)
      return false;
    reader->error = "a group code that is not a number";
    reader->error_line = line;
    return false;
  }
  std::string_view value;
  if (!next_line(reader, &value)) {
    reader->error = "a group code without its value";
    reader->error_line = line;
    return false;
  }
  pair->code = code;
  pair->value = value;
  pair->line = line;
  return true;
}

bool next_dxf_section(DxfWalker* walker, std::string_view* name) {
  DxfPair pair;
  walker->has_pending = false;
  while (next_dxf_pair(&walker->pairs, &pair)) {
    if (pair.code != 0) continue;
    if (trim_leading(pair.value) == "EOF") return false;
    if (trim_leading(pair.value) != "SECTION") continue;
    if (!next_dxf_pair(&walker->pairs, &pair)) return false;
    *name = pair.code == 2 ? trim_leading(pair.value) : std::string_view();
    // The section's first entity begins at its first code-0 pair.
    while (next_dxf_pair(&walker->pairs, &pair)) {
      if (pair.code == 0) {
        walker->pending = pair;
        walker->has_pending = true;
        return true;
      }
    }
    return false;
  }
  return false;
}

namespace {

// Reads the pairs of the entity begun by walker->pending up to the next code 0.
bool read_entity_pairs(DxfWalker* walker, DxfEntity* entity) {
  entity->type = trim_leading(walker->pending.value);
  entity->line = walker->pending.line;
  entity->pairs.clear();
  entity->children.clear();
  walker->has_pending = false;
  DxfPair pair;
  while (next_dxf_pair(&walker->pairs, &pair)) {
    if (pair.code == 0) {
      walker->pending = pair;
      walker->has_pending = true;
      return true;
    }
    entity->pairs.push_back(pair);
  }
  return true;
}

}  // namespace

bool next_dxf_entity(DxfWalker* walker, DxfEntity* entity) {
  if (!walker->has_pending) return false;
  const std::string_view type = trim_leading(walker->pending.value);
  if (type == "ENDSEC" || type == "EOF") {
    walker->has_pending = false;
    return false;
  }
  read_entity_pairs(walker, entity);
  const bool gathers = entity->type == "POLYLINE" ||
                       (entity->type == "INSERT" && dxf_int(*entity, 66) == 1);
  if (!gathers) return true;
  while (walker->has_pending && !is_entity_pair(walker->pending, "ENDSEC") &&
         !is_entity_pair(walker->pending, "EOF")) {
    const std::string_view child = trim_leading(walker->pending.value);
    if (child != "VERTEX" && child != "ATTRIB" && child != "SEQEND") break;
    DxfEntity c;
    read_entity_pairs(walker, &c);
    entity->children.push_back(std::move(c));
    if (child == "SEQEND") break;
  }
  return true;
}

double dxf_value_double(std::string_view value) {
  value = trim_leading(value);
  if (!value.empty() && value.front() == '+') value.remove_prefix(1);
  double v = 0.0;
  const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), v);
  if (ec != std::errc() || !std::isfinite(v) || std::fabs(v) > DXF_VALUE_LIMIT) return 0.0;
  (void)end;
  return v;
}

int64_t dxf_value_int(std::string_view value) {
  value = trim_leading(value);
  if (!value.empty() && value.front() == '+') value.remove_prefix(1);
  int64_t v = 0;
  const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), v);
  (void)end;
  return ec == std::errc() ? v : 0;
}

double dxf_double(const DxfEntity& entity, int code, double fallback) {
  for (const DxfPair& p : entity.pairs)
    if (p.code == code) return dxf_value_double(p.value);
  return fallback;
}

int64_t dxf_int(const DxfEntity& entity, int code, int64_t fallback) {
  for (const DxfPair& p : entity.pairs)
    if (p.code == code) return dxf_value_int(p.value);
  return fallback;
}

std::string_view dxf_text(const DxfEntity& entity, int code) {
  for (const DxfPair& p : entity.pairs)
    if (p.code == code) return p.value;
  return {};
}
