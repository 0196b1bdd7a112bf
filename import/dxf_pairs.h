// ASCII DXF as the import reads it: strict pairs of a group-code line and a value line (CR and
// trailing blanks trimmed; an empty value is a value), gathered into entities. Both the DXF
// reader and the block exploder read through this, over the file's bytes in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Files larger than this are refused before they are read.
constexpr int64_t DXF_MAX_FILE_BYTES = 512LL * 1024 * 1024;

struct DxfPair {
  int code = 0;
  std::string_view value;
  int64_t line = 0;  // 1-based line of the code
};

struct DxfPairReader {
  std::string_view text;
  size_t pos = 0;
  int64_t line = 0;        // lines read so far
  std::string error;       // why the reading stopped, empty at a clean end
  int64_t error_line = 0;
};

// Reads the whole file; false with *error set when it cannot be read, is larger than
// DXF_MAX_FILE_BYTES, or is binary (a NUL byte, or the binary DXF sentinel).
bool load_dxf_text(const std::string& path, std::string* bytes, std::string* error);

// The next pair; false at the end of the text (error empty) or on a damaged pair (error set:
// a code that is not a number, or a code without its value line).
bool next_dxf_pair(DxfPairReader* reader, DxfPair* pair);

// One entity: its type (the value of its code-0 pair) and its pairs up to the next code 0.
// POLYLINE gathers its VERTEX entities and SEQEND as children; an INSERT with attributes its
// ATTRIB entities and SEQEND.
struct DxfEntity {
  std::string_view type;
  int64_t line = 0;
  std::vector<DxfPair> pairs;
  std::vector<DxfEntity> children;
};

// Walks a DXF file by sections and entities.
struct DxfWalker {
  DxfPairReader pairs;
  DxfPair pending;          // the code-0 pair that starts the next entity
  bool has_pending = false;
};

// Moves to the next SECTION and gives its name; false at EOF or the end of the text.
bool next_dxf_section(DxfWalker* walker, std::string_view* name);
// Inside a section: the next entity (with its children); false at ENDSEC, EOF or the end.
bool next_dxf_entity(DxfWalker* walker, DxfEntity* entity);

// ---- values of an entity's pairs ----
// The value of the first pair of the code as a number; fallback when there is none. Values
// that are not numbers, not finite or beyond +-1e10 read as 0.
double dxf_double(const DxfEntity& entity, int code, double fallback = 0.0);
int64_t dxf_int(const DxfEntity& entity, int code, int64_t fallback = 0);
// The value of the first pair of the code; empty when there is none.
std::string_view dxf_text(const DxfEntity& entity, int code);
double dxf_value_double(std::string_view value);
int64_t dxf_value_int(std::string_view value);
