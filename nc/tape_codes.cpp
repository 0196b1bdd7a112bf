// EIA code, '~' codes and the man-readable table.
#include "nc/tape_codes.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

ManReadTable g_man_read;

namespace {

constexpr uint8_t EIA_LETTERS[26] = {0x61, 0x62, 0x73, 0x64, 0x75, 0x76, 0x67, 0x68, 0x79,
                                     0x51, 0x52, 0x43, 0x54, 0x45, 0x46, 0x57, 0x58, 0x49,
                                     0x32, 0x23, 0x34, 0x25, 0x26, 0x37, 0x38, 0x29};
// '!' to '/'.
constexpr uint8_t EIA_PUNCTUATION[15] = {0x63, 0x5D, 0x1C, 0x5B, 0x0B, 0x0E, 0x3D, 0x4C,
                                         0x2F, 0x0D, 0x70, 0x3B, 0x40, 0x6B, 0x31};
constexpr uint8_t EIA_DIGITS[10] = {0x20, 0x01, 0x02, 0x13, 0x04, 0x15, 0x16, 0x07, 0x08, 0x19};
// ':' to '?'.
constexpr uint8_t EIA_SIGNS[6] = {0x1A, 0x0E, 0x10, 0x2A, 0x10, 0x6D};

}  // namespace

// ---- EIA ---------------------------------------------------------------------------------------

uint8_t ascii_to_eia(uint8_t c) {
  if (c >= 'A' && c <= 'Z') c = static_cast<uint8_t>(c - 'A' + 'a');
  if (c >= 'a' && c <= 'z') return EIA_LETTERS[c - 'a'];
  if (c >= '!' && c <= '/') return EIA_PUNCTUATION[c - '!'];
  if (c >= '0' && c <= '9') return EIA_DIGITS[c - '0'];
  if (c >= ':' && c <= '?') return EIA_SIGNS[c - ':'];
  switch (c) {
    case '\t': return 0x3E;
    case '\n': return EIA_END_OF_BLOCK;
    case ']': return 0x5E;
    case '~': return 0x4A;
    default: return EIA_BLANK;
  }
}

// ---- '~' codes -----------------------------------------------------------------------------------

int leader_length(const char* text) {
  int count = 0;
  if (text == nullptr) return 0;
  for (const char* p = text; *p != '\0'; ++p) {
    if (p[0] == '~' && p[1] >= '0' && p[1] <= '9') count += (p[1] - '0') * NULS_PER_TRAILER_DIGIT;
  }
  return count;
}

int has_man_readable(const char* text) {
  if (text == nullptr) return 0;
  for (const char* p = text; *p != '\0'; ++p) {
    if (p[0] == '~' && p[1] == '*') return 1;
  }
  return 0;
}

// ---- The man-readable table ----------------------------------------------------------------------

std::string man_read_pattern(const ManReadTable& table, uint8_t c) {
  if (c < MAN_READ_FIRST || c >= MAN_READ_FIRST + MAN_READ_COUNT) return {};
  const uint8_t* entry = table.entries[c - MAN_READ_FIRST];
  return std::string(reinterpret_cast<const char*>(entry),
                     strnlen(reinterpret_cast<const char*>(entry), MAN_READ_MOST_COLUMNS));
}

std::string man_readable_leader(const ManReadTable& table, const std::string& text) {
  std::string leader;
  for (const char c : text) {
    if (c == ' ') {
      leader.append(MAN_READ_SPACE_NULS, '\0');
      continue;
    }
    leader += man_read_pattern(table, static_cast<uint8_t>(c));
    leader.push_back('\0');
  }
  leader.append(MAN_READ_TRAILING_NULS, '\0');
  return leader;
}

int read_man_read_bytes(const uint8_t* data, size_t size, ManReadTable* table) {
  *table = ManReadTable();
  const size_t whole = std::min<size_t>(size / MAN_READ_ENTRY_SIZE, MAN_READ_COUNT);
  for (size_t i = 0; i < whole; ++i) {
    std::memcpy(table->entries[i], data + i * MAN_READ_ENTRY_SIZE, MAN_READ_ENTRY_SIZE);
    table->entries[i][MAN_READ_ENTRY_SIZE - 1] = 0;
  }
  return static_cast<int>(whole);
}

int read_man_read_table(const std::string& folder) {
  g_man_read = ManReadTable();
  const std::string path = find_file_ignoring_case(folder, MAN_READ_FILE_NAME);
  if (path.empty()) return 0;
  std::FILE* stream = std::fopen(path.c_str(), "rb");
  if (stream == nullptr) return 0;
  // The table has a fixed size: nothing beyond it is read.
  std::vector<uint8_t> bytes(MAN_READ_FILE_SIZE);
  const size_t got = std::fread(bytes.data(), 1, bytes.size(), stream);
  std::fclose(stream);
  return read_man_read_bytes(bytes.data(), got, &g_man_read);
}

bool write_man_read_table(SaveFile* file, const ManReadTable& table) {
  for (const auto& entry : table.entries) {
    uint8_t bytes[MAN_READ_ENTRY_SIZE];
    std::memcpy(bytes, entry, sizeof bytes);
    bytes[MAN_READ_ENTRY_SIZE - 1] = 0;
    if (!save_write(file, bytes, sizeof bytes)) return false;
  }
  return true;
}

void reset_man_read_table() { g_man_read = ManReadTable(); }
