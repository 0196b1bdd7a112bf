// The item records of a job file: writing one from a drawing item and reading one back into a
// new drawing item, for the current layout and the "SI012699" layout.
#include <cstring>
#include <new>
#include <string>

#include "cam/machining_block.h"
#include "job/job_bytes.h"
#include "job/job_file.h"
#include "job/job_file_internal.h"
#include "store/line_list.h"

namespace {

// Stored fields of a text layout as (offset, bytes). The bytes of the layout are kept in their
// stored order inside the geometry block; the gaps are the reserved bytes and the font handle.
struct LayoutField {
  uint8_t offset;
  uint8_t size;
};
const LayoutField kLayoutFields[] = {
    {0, 4},   {4, 4},   {8, 4},   {12, 4},  {16, 4},   // length, height, spacing, anchor
    {20, 1},  {21, 1},  {22, 1},                        // justification, flags
    {24, 4},  {28, 4},  {32, 4},  {36, 4},  {40, 4},  {44, 4},  // angle .. arc end
    {48, 2},                                            // linked text number
    {52, 4},  {56, 4},  {60, 4},  {64, 4},              // link offset, arc radius, baseline
    {68, 1},  {70, 2},  {72, 4},                        // arc direction, font, width factor
    {76, 60},                                           // the TrueType font description
    {136, 4}, {140, 4}, {144, 4},                       // pen allowance, entered length, height
    {152, 4}, {156, 4},                                 // start point
    {160, 32},                                          // four corner points
};

constexpr size_t LAYOUT_FLAGS_OFFSET = 22;
constexpr uint8_t LAYOUT_FLAG_SINGLE_LINK = 0x02;  // a vertical text: one frame link

// The records an item stores: up to its closing record, never past its link count, at least
// one.
int32_t stored_link_count(const DrawingItem* item) {
  const GeometryBlock* block = item_block(item);
  const LinkRecord* nodes = block_nodes(const_cast<GeometryBlock*>(block));
  int32_t n = 0;
  while (n < block->link_count && (nodes[n].node_flags & NODE_CLOSING) == 0) ++n;
  return n > 0 ? n : 1;
}

// A vertical text, and a text-like item, are read with exactly one frame link whatever their
// count says, so they are written so.
bool single_link_text(uint8_t kind, const uint8_t* layout, uint8_t item_type) {
  return kind == GEOMETRY_KIND_TEXT &&
         ((layout[LAYOUT_FLAGS_OFFSET] & LAYOUT_FLAG_SINGLE_LINK) != 0 ||
          item_type == ITEM_TEXT_LIKE);
}

void write_block_header(const DrawingItem* item, int32_t links, ByteWriter* w) {
  GeometryBlock* block = item_block(item);
  GeometryBlock header = *block;
  header.link_count = links;
  uint8_t bytes[GEOMETRY_HEADER_SIZE];
  write_geometry_header(&header, bytes);
  w->bytes(bytes, sizeof bytes);
  if (block->cam_kind == GEOMETRY_KIND_DRAWING_AID) return;
  CamParams params;
  get_block_cam(block, &params);
  uint8_t cam[CAM_PARAMS_SIZE];
  write_cam_params(params, cam);
  w->bytes(cam, sizeof cam);
  if (block->cam_kind != GEOMETRY_KIND_TEXT) return;
  uint8_t layout[TEXT_LAYOUT_SIZE];
  copy_text_layout_fields(block_text_layout(block), layout);
  w->bytes(layout, sizeof layout);
}

// ---- reading ----

// The header bytes that follow the kind byte, by layout and kind.
size_t stored_header_size(JobFormat format, uint8_t kind) {
  const size_t full = records_offset(kind);  // 8, 196 or 388
  return format == JOB_FORMAT_OLDER_ITEMS ? full - 4 : full;
}

// The header of an item in memory's terms, whatever layout it was read from.
struct ItemHeader {
  uint8_t layer = 0;
  const uint8_t* cam = nullptr;     // CAM_PARAMS_SIZE stored bytes, kinds 1 and 2
  const uint8_t* layout = nullptr;  // TEXT_LAYOUT_SIZE stored bytes, kind 2
};

ItemHeader parse_header(const uint8_t* bytes, JobFormat format, uint8_t kind) {
  ItemHeader h;
  // "SI012699" drops bytes 2, 3, 6 and 7 of the header: the count's low half, kind, layer.
  const size_t fixed = format == JOB_FORMAT_OLDER_ITEMS ? 4 : GEOMETRY_HEADER_SIZE;
  h.layer = bytes[format == JOB_FORMAT_OLDER_ITEMS ? 3 : 5];
  if (kind != GEOMETRY_KIND_DRAWING_AID) h.cam = bytes + fixed;
  if (kind == GEOMETRY_KIND_TEXT) h.layout = bytes + fixed + CAM_PARAMS_SIZE;
  return h;
}

// A new line for the item's text; its node bytes follow.
DrawingItem* read_item_text(JobReader* r) {
  const uint8_t* length_bytes = take_job_bytes(r, 2);
  if (length_bytes == nullptr) {
    reject_job_input(r, JOB_READ_BAD_ITEM_TEXT);  // one byte left where a length belongs
    return nullptr;
  }
  const int16_t length = get_i16_le(length_bytes);
  if (length < 0) {
    reject_job_input(r, JOB_READ_BAD_ITEM_TEXT);
    return nullptr;
  }
  const uint8_t* text = take_job_bytes(r, static_cast<size_t>(length) + 1);
  if (text == nullptr) {
    reject_job_input(r, JOB_READ_BAD_ITEM_TEXT);
    return nullptr;
  }
  const auto* chars = reinterpret_cast<const char*>(text);
  const std::string s(chars, strnlen(chars, static_cast<size_t>(length)));
  DrawingItem* item = append_line(s.c_str());
  if (item == nullptr) reject_job_input(r, JOB_READ_NO_MEMORY);
  return item;
}

bool read_node_bytes(JobReader* r, DrawingItem* item, JobSettings* settings) {
  const uint8_t* bytes = take_job_bytes(r, ITEM_HEADER_SIZE);
  if (bytes == nullptr) return reject_job_input(r, JOB_READ_SHORT_ITEM);
  read_item_header(bytes, item);
  // That kind marks a folded run whose block is a fold record: never a drawing item.
  if (item->kind == LINE_KIND_PLACEHOLDER) return reject_job_input(r, JOB_READ_BAD_ITEM_TYPE);
  if (item_id(item) == 0) set_item_id(item, ++settings->item_id_counter);
  settings->item_flag_union = static_cast<int16_t>(settings->item_flag_union | item->state);
  return true;
}

// Builds the block from the header and the link records; false (rejected) on a bad count.
bool read_block(JobReader* r, DrawingItem* item, bool* closing_cut) {
  const bool older = r->format == JOB_FORMAT_OLDER_ITEMS;
  const uint8_t* count_bytes = take_job_bytes(r, older ? 3 : 5);
  if (count_bytes == nullptr) return reject_job_input(r, JOB_READ_SHORT_ITEM);
  int32_t count = older ? get_i16_le(count_bytes) : get_i32_le(count_bytes);
  const uint8_t kind = count_bytes[older ? 2 : 4];
  if (kind > GEOMETRY_KIND_TEXT) return reject_job_input(r, JOB_READ_BAD_BLOCK_KIND);
  const uint8_t* header_bytes = take_job_bytes(r, stored_header_size(r->format, kind));
  if (header_bytes == nullptr) return reject_job_input(r, JOB_READ_SHORT_ITEM);
  const ItemHeader header = parse_header(header_bytes, r->format, kind);
  if (single_link_text(kind, header.layout, item->kind)) count = 1;
  // Checked against the bytes left before anything is allocated.
  if (count < 1 || static_cast<size_t>(count) > job_bytes_left(r) / LINK_JOB_PART_SIZE)
    return reject_job_input(r, JOB_READ_BAD_LINK_COUNT);
  try {
    item->extra.assign(block_alloc_size(kind, count), 0);
  } catch (const std::bad_alloc&) {
    return reject_job_input(r, JOB_READ_NO_MEMORY);
  }
  GeometryBlock* block = item_block(item);
  block->link_count = count;
  block->cam_kind = kind;
  block->layer = header.layer;
  if (header.cam != nullptr) {
    CamParams params;
    read_cam_params(header.cam, &params);
    // In these files operation 5 stood for an island.
    if (older && params.operation == CAM_OP_CONTOUR_ISLANDS) params.operation = CAM_OP_ISLAND;
    put_block_cam(block, params);
  }
  if (header.layout != nullptr) copy_text_layout_fields(header.layout, block_text_layout(block));
  LinkRecord* nodes = block_nodes(block);
  for (int32_t i = 0; i < count; ++i)
    read_link_job_part(take_job_bytes(r, LINK_JOB_PART_SIZE), nodes + i);
  const uint8_t* closing = take_job_bytes(r, LINK_NODE_PART_SIZE);
  *closing_cut = closing == nullptr;
  if (closing != nullptr) read_link_node_part(closing, nodes + count);
  return true;
}

}  // namespace

// ---- text layout codec ----

void copy_text_layout_fields(const uint8_t in[TEXT_LAYOUT_SIZE], uint8_t out[TEXT_LAYOUT_SIZE]) {
  uint8_t fields[TEXT_LAYOUT_SIZE] = {};
  for (const LayoutField& f : kLayoutFields) std::memcpy(fields + f.offset, in + f.offset, f.size);
  std::memcpy(out, fields, TEXT_LAYOUT_SIZE);
}

// ---- writing ----

bool job_item_is_stored(const DrawingItem* item) {
  const GeometryBlock* block = item_block(item);
  if (block == nullptr || block->cam_kind > GEOMETRY_KIND_TEXT || block->link_count < 1 ||
      item->extra.size() < block_alloc_size(block->cam_kind, block->link_count))
    return false;
  if (item->kind < ITEM_TEXT_LIKE) return true;
  return !item->text.empty() && item->text[0] != '\n';
}

void write_job_item(const DrawingItem* item, std::vector<uint8_t>* out) {
  ByteWriter w{out};
  w.i16(static_cast<int16_t>(item->text.size()));
  w.bytes(item->text.c_str(), item->text.size() + 1);
  uint8_t node[ITEM_HEADER_SIZE];
  write_item_header(item, node);
  w.bytes(node, sizeof node);
  GeometryBlock* block = item_block(item);
  // A block whose closing record comes early stores the links up to it, and says so in its
  // count, so that a reader never takes node bytes for links.
  const int32_t links = stored_link_count(item);
  const int32_t written =
      single_link_text(block->cam_kind, block_text_layout(block), item->kind) ? 1 : links;
  w.i32(written);
  w.u8(block->cam_kind);
  write_block_header(item, written, &w);
  const LinkRecord* nodes = block_nodes(block);
  uint8_t record[LINK_JOB_PART_SIZE];
  for (int32_t i = 0; i < written; ++i) {
    write_link_job_part(nodes + i, record);
    w.bytes(record, LINK_JOB_PART_SIZE);
  }
  write_link_node_part(nodes + links, record);
  w.bytes(record, LINK_NODE_PART_SIZE);
}

// ---- reading ----

JobItemResult read_job_item(JobReader* r, JobSettings* settings) {
  if (job_bytes_left(r) == 0) return JOB_ITEM_END;
  DrawingItem* item = read_item_text(r);
  if (item == nullptr) return JOB_ITEM_REJECTED;
  if (!read_node_bytes(r, item, settings)) return JOB_ITEM_REJECTED;
  bool closing_cut = false;
  if (!read_block(r, item, &closing_cut)) return JOB_ITEM_REJECTED;
  if (closing_cut) {
    // A last item without its whole closing record: dropped, and the file ends there.
    delete_line(item);
    r->at = r->size;
    return JOB_ITEM_END;
  }
  // The link boxes are not stored; the caller rebuilds them with the text items' fonts.
  return JOB_ITEM_READ;
}
