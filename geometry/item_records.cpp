// The stored layouts of link records, geometry blocks and item headers: little-endian,
// 4-byte floats, field by field; never a struct copied whole.
#include <cstring>
#include <new>

#include "geometry/drawing_item.h"
#include "store/line_list.h"
#include "store/record_bytes.h"

namespace {

void put_point(uint8_t* p, const PointF& point) {
  put_f32_le(p, point.x);
  put_f32_le(p + 4, point.y);
}

PointF get_point(const uint8_t* p) { return PointF{get_f32_le(p), get_f32_le(p + 4)}; }

// Link part (+16..+35): centre, code, sweep, start angle.
void put_link_part(uint8_t* out, const LinkRecord* r) {
  put_point(out + 16, r->centre);
  put_f32_le(out + 24, r->code);
  put_f32_le(out + 28, r->sweep);
  put_f32_le(out + 32, r->start_angle);
}

void get_link_part(const uint8_t* in, LinkRecord* r) {
  r->centre = get_point(in + 16);
  r->code = get_f32_le(in + 24);
  r->sweep = get_f32_le(in + 28);
  r->start_angle = get_f32_le(in + 32);
}

}  // namespace

void write_link_node_part(const LinkRecord* r, uint8_t out[LINK_NODE_PART_SIZE]) {
  out[0] = r->node_flags;
  out[1] = r->link_flags;
  put_u16_le(out + 2, static_cast<uint16_t>(r->node_number));
  put_f32_le(out + 4, r->z);
  put_point(out + 8, r->point);
}

void read_link_node_part(const uint8_t in[LINK_NODE_PART_SIZE], LinkRecord* r) {
  r->node_flags = in[0];
  r->link_flags = in[1];
  r->node_number = static_cast<int16_t>(get_u16_le(in + 2));
  r->z = get_f32_le(in + 4);
  r->point = get_point(in + 8);
}

void write_link_job_part(const LinkRecord* r, uint8_t out[LINK_JOB_PART_SIZE]) {
  write_link_node_part(r, out);
  put_link_part(out, r);
}

void read_link_job_part(const uint8_t in[LINK_JOB_PART_SIZE], LinkRecord* r) {
  read_link_node_part(in, r);
  get_link_part(in, r);
}

void write_link_record(const LinkRecord* r, uint8_t out[LINK_RECORD_SIZE]) {
  write_link_job_part(r, out);
  put_point(out + 36, r->box_min);
  put_point(out + 44, r->box_max);
}

void read_link_record(const uint8_t in[LINK_RECORD_SIZE], LinkRecord* r) {
  read_link_job_part(in, r);
  r->box_min = get_point(in + 36);
  r->box_max = get_point(in + 44);
}

void write_geometry_header(const GeometryBlock* block, uint8_t out[GEOMETRY_HEADER_SIZE]) {
  put_u32_le(out, static_cast<uint32_t>(block->link_count));
  out[4] = block->cam_kind;
  out[5] = block->layer;
  out[6] = 0;
  out[7] = 0;
}

void read_geometry_header(const uint8_t in[GEOMETRY_HEADER_SIZE], GeometryBlock* block) {
  block->link_count = static_cast<int32_t>(get_u32_le(in));
  block->cam_kind = in[4];
  block->layer = in[5];
  block->reserved[0] = 0;
  block->reserved[1] = 0;
}

size_t geometry_block_stored_size(uint8_t cam_kind, int32_t link_count) {
  return records_offset(cam_kind) + LINK_RECORD_SIZE * static_cast<size_t>(link_count) +
         LINK_NODE_PART_SIZE;
}

size_t write_geometry_block(const GeometryBlock* block, uint8_t* out) {
  write_geometry_header(block, out);
  const size_t offset = records_offset(block->cam_kind);
  // The machining and text layout bytes are kept in their stored layout by their owners.
  std::memcpy(out + GEOMETRY_HEADER_SIZE, reinterpret_cast<const uint8_t*>(block) +
                                              GEOMETRY_HEADER_SIZE,
              offset - GEOMETRY_HEADER_SIZE);
  const LinkRecord* nodes = block_nodes(const_cast<GeometryBlock*>(block));
  uint8_t* at = out + offset;
  for (int32_t i = 0; i < block->link_count; ++i, at += LINK_RECORD_SIZE)
    write_link_record(nodes + i, at);
  write_link_node_part(nodes + block->link_count, at);
  return geometry_block_stored_size(block->cam_kind, block->link_count);
}

int read_geometry_block(const uint8_t* in, size_t size, std::vector<uint8_t>* out_block,
                        size_t* out_used) {
  if (size < GEOMETRY_HEADER_SIZE) return GEOMETRY_READ_SHORT;
  GeometryBlock header;
  read_geometry_header(in, &header);
  if (header.cam_kind > GEOMETRY_KIND_TEXT) return GEOMETRY_READ_BAD_KIND;
  if (header.link_count < 1) return GEOMETRY_READ_BAD_COUNT;
  const size_t offset = records_offset(header.cam_kind);
  // Checked against the bytes at hand before anything is allocated.
  if (size < offset + LINK_NODE_PART_SIZE) return GEOMETRY_READ_SHORT;
  const size_t records_room = (size - offset - LINK_NODE_PART_SIZE) / LINK_RECORD_SIZE;
  if (static_cast<size_t>(header.link_count) > records_room) return GEOMETRY_READ_SHORT;
  try {
    out_block->assign(block_alloc_size(header.cam_kind, header.link_count), 0);
  } catch (const std::bad_alloc&) {
    return GEOMETRY_READ_NO_MEMORY;
  }
  auto* block = reinterpret_cast<GeometryBlock*>(out_block->data());
  *block = header;
  std::memcpy(out_block->data() + GEOMETRY_HEADER_SIZE, in + GEOMETRY_HEADER_SIZE,
              offset - GEOMETRY_HEADER_SIZE);
  LinkRecord* nodes = block_nodes(block);
  const uint8_t* at = in + offset;
  for (int32_t i = 0; i < header.link_count; ++i, at += LINK_RECORD_SIZE)
    read_link_record(at, nodes + i);
  read_link_node_part(at, nodes + header.link_count);
  *out_used = geometry_block_stored_size(header.cam_kind, header.link_count);
  return GEOMETRY_READ_OK;
}

void write_item_header(const DrawingItem* item, uint8_t out[ITEM_HEADER_SIZE]) {
  put_u16_le(out, static_cast<uint16_t>(item->id));
  out[2] = item->kind;
  out[3] = item->state;
  std::memcpy(out + 4, item->attributes, ITEM_ATTRIBUTE_BYTES);
}

void read_item_header(const uint8_t in[ITEM_HEADER_SIZE], DrawingItem* item) {
  item->id = static_cast<int16_t>(get_u16_le(in));
  item->kind = in[2];
  item->state = in[3];
  std::memcpy(item->attributes, in + 4, ITEM_ATTRIBUTE_BYTES);
}
