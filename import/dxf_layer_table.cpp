#include "import/dxf_layer_table.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "cam/machining_block.h"
#include "geometry/drawing_item.h"
#include "geometry/layers.h"
#include "job/job_host.h"
#include "platform/files.h"
#include "store/line_list.h"
#include "store/record_bytes.h"

DxfLayerTable g_dxf_layer_table;

namespace {

constexpr int32_t LAST_ENTRY_NUMBER = 243;
constexpr size_t NUMBER_OFFSET = 16;
constexpr size_t COLOUR_OFFSET = 20;
constexpr size_t ENTRY_BYTE_OFFSET = 24;
constexpr size_t NAME_OFFSET = 25;
constexpr size_t BLOCK_OFFSET = 85;

bool same_name(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

bool is_blank_entry(const DxfLayerEntry& e) {
  return e.name.empty() || static_cast<unsigned char>(e.name[0]) < ' ';
}

void reject_dxf_layer_table(const std::string& path, int64_t offset, const char* why) {
  char text[600];
  std::snprintf(text, sizeof text, "\v%s\x13: %s at byte %lld; the entries before it are kept.",
                path.c_str(), why, static_cast<long long>(offset));
  job_show_message(text);
}

}  // namespace

void reset_dxf_layer_table() { g_dxf_layer_table = DxfLayerTable{}; }

void write_dxf_layer_entry(const DxfLayerEntry& entry, uint8_t out[DXF_LAYER_ENTRY_SIZE]) {
  std::memset(out, 0, DXF_LAYER_ENTRY_SIZE);
  put_i32_le(out + NUMBER_OFFSET, entry.number);
  put_u32_le(out + COLOUR_OFFSET, entry.colour);
  out[ENTRY_BYTE_OFFSET] = entry.entry_byte;
  std::memcpy(out + NAME_OFFSET, entry.name.data(), std::min(entry.name.size(), DXF_LAYER_NAME_SIZE - 1));
  std::memcpy(out + BLOCK_OFFSET, entry.block.data(), DXF_LAYER_BLOCK_SIZE);
}

void read_dxf_layer_entry(const uint8_t in[DXF_LAYER_ENTRY_SIZE], DxfLayerEntry* entry) {
  entry->number = get_i32_le(in + NUMBER_OFFSET);
  entry->colour = get_u32_le(in + COLOUR_OFFSET);
  entry->entry_byte = in[ENTRY_BYTE_OFFSET];
  char name[DXF_LAYER_NAME_SIZE];
  get_text_field(in + NAME_OFFSET, name, sizeof name);
  entry->name = name;
  std::memcpy(entry->block.data(), in + BLOCK_OFFSET, DXF_LAYER_BLOCK_SIZE);
}

int read_dxf_layer_table(const std::string& path, std::vector<DxfLayerEntry>* entries) {
  entries->clear();
  int result = 0;
  if (FILE* file = std::fopen(path.c_str(), "rb")) {
    uint8_t record[DXF_LAYER_ENTRY_SIZE];
    int64_t offset = 0;
    for (;;) {
      const size_t got = std::fread(record, 1, sizeof record, file);
      if (got == 0) break;
      if (got < sizeof record) {
        reject_dxf_layer_table(path, offset, "an entry is cut short");
        result = -1;
        break;
      }
      DxfLayerEntry entry;
      read_dxf_layer_entry(record, &entry);
      if (entry.number < 0 || entry.number > LAST_ENTRY_NUMBER) {
        reject_dxf_layer_table(path, offset, "an entry number is outside 0 to 243");
        result = -1;
        break;
      }
      entries->push_back(std::move(entry));
      offset += static_cast<int64_t>(sizeof record);
    }
    std::fclose(file);
  }
  if (entries->empty()) entries->push_back(DxfLayerEntry{});
  return result;
}

int write_dxf_layer_table(const std::string& path, const std::vector<DxfLayerEntry>& entries) {
  std::string error;
  const SaveResult saved = save_file_safely(
      path, "",
      [&entries](SaveFile* file) {
        uint8_t record[DXF_LAYER_ENTRY_SIZE];
        for (const DxfLayerEntry& e : entries) {
          if (is_blank_entry(e)) continue;
          write_dxf_layer_entry(e, record);
          if (!save_write(file, record, sizeof record)) return false;
        }
        return true;
      },
      &error);
  return saved == SAVE_OK ? 0 : static_cast<int>(saved);
}

void load_dxf_layer_table() {
  if (g_dxf_layer_table.loaded) return;
  read_dxf_layer_table(path_join(program_folder(), DXF_LAYER_TABLE_FILE), &g_dxf_layer_table.entries);
  g_dxf_layer_table.loaded = true;
}

int apply_dxf_layer_table() {
  load_dxf_layer_table();
  int changed = 0;
  for (TextLine* item = g_lists.current.first; item != nullptr; item = item->next) {
    if ((item_flags(item) & ITEM_FLAG_SELECTED) == 0 || item_block(item) == nullptr) continue;
    const uint8_t layer = item_layer(item);
    const TextLine* line = layer_line(layer);
    if (line == nullptr || line->text.empty() || line->text == LAYER_UNNAMED) continue;
    const DxfLayerEntry* found = nullptr;
    for (const DxfLayerEntry& e : g_dxf_layer_table.entries) {
      if (!is_blank_entry(e) && same_name(e.name, line->text)) {
        found = &e;
        break;
      }
    }
    if (found == nullptr) continue;
    const uint8_t* cam = found->block.data() + CAM_PARAMS_OFFSET;
    if (cam[0] != 0) {
      GeometryBlock* block = item_block(item);
      if (block->cam_kind == GEOMETRY_KIND_DRAWING_AID) block = add_item_cam(item);
      if (block == nullptr) continue;
      std::memcpy(block_cam_params(block), cam, CAM_PARAMS_SIZE);
    } else {
      remove_item_cam(item);
    }
    g_layers.colours[layer] = found->colour;
    ++changed;
  }
  return changed;
}
