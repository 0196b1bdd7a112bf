// The DXF layer-name table KR_layer.KR5: DXF layer names, each with a colour and a complete
// machining block. After a DXF import with the table, every imported item on a job layer of a
// name in the table takes that entry's machining block (or loses its own), and the job layer
// the entry's colour. A record, 285 bytes, little-endian: 16 reserved bytes, i32 entry number
// 0..243, i32 colour, u8 entry byte, 60-byte name (NUL-ended), 200-byte block (8 header bytes,
// the 188-byte machining block, 4 reserved bytes).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr char DXF_LAYER_TABLE_FILE[] = "KR_layer.KR5";
constexpr size_t DXF_LAYER_ENTRY_SIZE = 285;
constexpr size_t DXF_LAYER_NAME_SIZE = 60;
constexpr size_t DXF_LAYER_BLOCK_SIZE = 200;

struct DxfLayerEntry {
  int32_t number = 0;
  uint32_t colour = 0;       // RGB, red in the low byte
  uint8_t entry_byte = 0;    // carried unchanged
  std::string name;          // at most 59 bytes
  std::array<uint8_t, DXF_LAYER_BLOCK_SIZE> block{};
};

struct DxfLayerTable {
  std::vector<DxfLayerEntry> entries;
  bool loaded = false;       // read once, kept until an edit is cancelled
};
extern DxfLayerTable g_dxf_layer_table;
void reset_dxf_layer_table();

void write_dxf_layer_entry(const DxfLayerEntry& entry, uint8_t out[DXF_LAYER_ENTRY_SIZE]);
void read_dxf_layer_entry(const uint8_t in[DXF_LAYER_ENTRY_SIZE], DxfLayerEntry* entry);
// Reads the table file (a missing file is an empty table); a file cut short, or an entry
// number outside 0..243, ends the reading there and is reported with its offset. An empty
// table gets one blank entry. 0, or -1 when the file was damaged.
int read_dxf_layer_table(const std::string& path, std::vector<DxfLayerEntry>* entries);
// Writes every entry with a name (blank entries are left out, later ones kept) through a
// temporary file; the old file stays when the write fails. 0, or a negative SaveResult.
int write_dxf_layer_table(const std::string& path, const std::vector<DxfLayerEntry>& entries);
// The table of the program folder, read on first use.
void load_dxf_layer_table();
// Gives the selected items of the current list the machining of their layer's entry. Returns
// the items changed.
int apply_dxf_layer_table();
