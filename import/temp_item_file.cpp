#include "import/temp_item_file.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "cam/cam_defaults.h"
#include "job/job_host.h"
#include "platform/files.h"
#include "store/line_list.h"
#include "store/record_bytes.h"

namespace {

// Merged spline runs keep their nodes tangent, but a very long run is broken now and then.
constexpr int TANGENT_RUN_LIMIT = 200;
// Esc is looked for every so many records.
constexpr int64_t ESCAPE_POLL_RECORDS = 256;

void write_bytes(TempItemWriter* writer, const uint8_t* bytes, size_t count) {
  if (writer->failed) return;
  if (std::fwrite(bytes, 1, count, writer->file) != count) writer->failed = true;
}

// Writes one record of the links (n links and the closing record) and moves the item number on
// unless it is held.
int write_record(TempItemWriter* writer, const LinkRecord* links, int32_t n, uint8_t item_type) {
  if (writer->file == nullptr || writer->failed) return -1;
  writer->links += n;
  if (writer->item_number > IMPORT_MAX_ITEMS + 1 || writer->links > TEMP_ITEM_MAX_LINKS) {
    writer->too_many = true;
    writer->failed = true;
    return -1;
  }
  std::vector<uint8_t>& b = writer->buffer;
  b.assign(TEMP_RECORD_HEADER_SIZE + LINK_RECORD_SIZE * static_cast<size_t>(n) + LINK_NODE_PART_SIZE +
               TEMP_RECORD_TRAILER_SIZE, 0);
  put_i32_le(b.data(), n);
  b[5] = writer->layer > LAYER_LAST_USER ? 0 : writer->layer;
  uint8_t* at = b.data() + TEMP_RECORD_HEADER_SIZE;
  for (int32_t i = 0; i < n; ++i, at += LINK_RECORD_SIZE) write_link_record(&links[i], at);
  write_link_node_part(&links[n], at);
  at += LINK_NODE_PART_SIZE;
  at[0] = item_type;
  put_i32_le(at + 1, writer->item_number);
  write_bytes(writer, b.data(), b.size());
  if (!writer->held) ++writer->item_number;
  ++writer->records;
  return writer->failed ? -1 : 0;
}

// The item being gathered from records that share one item number.
struct PendingItem {
  std::vector<LinkRecord> links;  // n links and the closing record
  uint8_t type = 0;
  uint8_t layer = 0;
  int32_t number = 0;
  int tangent_run = 0;
  bool open = false;
};

struct TempReader {
  TempReader(const std::string& p, int c) : path(p), cut_type(c) {}
  const std::string& path;
  int cut_type;
  FILE* file = nullptr;
  int64_t size = 0;
  int64_t offset = 0;
  int64_t links = 0;
  int32_t items = 0;
  TextLine* first_new = nullptr;   // the first item appended, freed again on failure
  TextLine* last_before = nullptr;
  PendingItem pending;
  std::vector<uint8_t> bytes;
  std::vector<LinkRecord> incoming;
};

bool same_point(const PointF& a, const PointF& b) {
  return std::fabs(a.x - b.x) <= 1e-6f * (1.0f + std::fabs(a.x)) &&
         std::fabs(a.y - b.y) <= 1e-6f * (1.0f + std::fabs(a.y));
}

int reject_temp_item_file(TempReader* reader, const char* why, int result) {
  char text[600];
  std::snprintf(text, sizeof text, "\v%s\x13 cannot be read at byte %lld: %s", reader->path.c_str(),
                static_cast<long long>(reader->offset), why);
  job_show_message(text);
  return result;
}

bool read_exact(TempReader* reader, uint8_t* out, size_t count) {
  const size_t got = std::fread(out, 1, count, reader->file);
  reader->offset += static_cast<int64_t>(got);
  return got == count;
}

// Makes the gathered item an item of the current list.
int flush_pending(TempReader* reader) {
  PendingItem& p = reader->pending;
  if (!p.open) return TEMP_READ_OK;
  p.open = false;
  if (++reader->items > IMPORT_MAX_ITEMS) {
    char why[120];
    std::snprintf(why, sizeof why, "the drawing holds more than %d items", IMPORT_MAX_ITEMS);
    return reject_temp_item_file(reader, why, TEMP_READ_TOO_LARGE);
  }
  const int32_t n = static_cast<int32_t>(p.links.size()) - 1;
  LinkRecord* nodes = p.links.data();
  nodes[0].node_flags = NODE_FIRST;
  nodes[n].node_flags = NODE_CLOSING;
  // A polyline that ends where it began is a closed item.
  if (n >= 2 && p.type == ITEM_POLYLINE && same_point(nodes[0].point, nodes[n].point))
    nodes[0].node_flags |= NODE_LOOSE;
  const uint8_t kind = reader->cut_type != 0 ? GEOMETRY_KIND_MACHINABLE : GEOMETRY_KIND_DRAWING_AID;
  TextLine* before = g_lists.current.last;
  if (new_geometry_block("", nodes, n, p.layer, kind) != 0 || g_lists.current.last == before)
    return reject_temp_item_file(reader, "not enough memory", TEMP_READ_TOO_LARGE);
  DrawingItem* item = g_lists.current.last;
  if (reader->first_new == nullptr) reader->first_new = item;
  item->kind = p.type;
  set_item_flags(item, ITEM_FLAG_SELECTED);
  set_item_id(item, p.number);
  renumber_nodes(item, 1);
  if (kind == GEOMETRY_KIND_MACHINABLE)
    apply_cam_defaults(item_block(item), p.type == ITEM_POINT ? 1 : reader->cut_type);
  return TEMP_READ_OK;
}

// Takes one record's links: merged into the pending item when it carries its number.
int take_record(TempReader* reader, uint8_t type, uint8_t layer, int32_t number) {
  PendingItem& p = reader->pending;
  std::vector<LinkRecord>& in = reader->incoming;
  if (p.open && p.number == number && p.type == ITEM_POLYLINE && type == ITEM_POLYLINE) {
    p.links.pop_back();  // the joining node is the new record's first node
    const size_t joint = p.links.size();
    p.links.insert(p.links.end(), in.begin(), in.end());
    LinkRecord& join = p.links[joint];
    if (join.code == LINK_SPLINE && p.tangent_run < TANGENT_RUN_LIMIT) {
      join.node_flags = NODE_TANGENT;
      ++p.tangent_run;
    } else {
      join.node_flags = NODE_LOOSE;
      p.tangent_run = 0;
    }
    arc_angles_from_points(&join);
    return TEMP_READ_OK;
  }
  const int flushed = flush_pending(reader);
  if (flushed != TEMP_READ_OK) return flushed;
  p.links.assign(in.begin(), in.end());
  p.type = type;
  p.layer = layer;
  p.number = number;
  p.tangent_run = 0;
  p.open = true;
  return TEMP_READ_OK;
}

int read_one_record(TempReader* reader, bool* at_end) {
  uint8_t header[TEMP_RECORD_HEADER_SIZE];
  const size_t got = std::fread(header, 1, sizeof header, reader->file);
  reader->offset += static_cast<int64_t>(got);
  if (got == 0) {
    *at_end = true;
    return TEMP_READ_OK;
  }
  if (got < sizeof header) return reject_temp_item_file(reader, "a record is cut short", TEMP_READ_BROKEN);
  const int32_t n = get_i32_le(header);
  const int64_t left = reader->size - reader->offset;
  const int64_t needed = static_cast<int64_t>(n) * static_cast<int64_t>(LINK_RECORD_SIZE) +
                         static_cast<int64_t>(LINK_NODE_PART_SIZE + TEMP_RECORD_TRAILER_SIZE);
  if (n < 1 || needed > left)
    return reject_temp_item_file(reader, "a link count below 1 or past the end of the file",
                                 TEMP_READ_BROKEN);
  reader->links += n;
  if (reader->links > TEMP_ITEM_MAX_LINKS)
    return reject_temp_item_file(reader, "more than 9,000,000 links", TEMP_READ_TOO_LARGE);
  reader->bytes.resize(static_cast<size_t>(needed));
  if (!read_exact(reader, reader->bytes.data(), reader->bytes.size()))
    return reject_temp_item_file(reader, "a record is cut short", TEMP_READ_BROKEN);
  std::vector<LinkRecord>& in = reader->incoming;
  in.assign(static_cast<size_t>(n) + 1, LinkRecord{});
  const uint8_t* b = reader->bytes.data();
  for (int32_t i = 0; i < n; ++i, b += LINK_RECORD_SIZE) read_link_record(b, &in[i]);
  read_link_node_part(b, &in[n]);
  b += LINK_NODE_PART_SIZE;
  const uint8_t layer = header[5] > LAYER_LAST_USER ? 0 : header[5];
  return take_record(reader, b[0], layer, get_i32_le(b + 1));
}

void free_items_read(TempReader* reader) {
  if (reader->first_new == nullptr) return;
  while (g_lists.current.last != nullptr && g_lists.current.last != reader->last_before)
    delete_line(g_lists.current.last);
  reader->first_new = nullptr;
}

}  // namespace

bool open_temp_item_writer(TempItemWriter* writer, const std::string& path) {
  *writer = TempItemWriter{};
  writer->file = std::fopen(path.c_str(), "wb");
  return writer->file != nullptr;
}

bool close_temp_item_writer(TempItemWriter* writer) {
  if (writer->file == nullptr) return false;
  if (std::fclose(writer->file) != 0) writer->failed = true;
  writer->file = nullptr;
  return !writer->failed;
}

int write_temp_links(TempItemWriter* writer, LinkRecord* links, int32_t n, uint8_t item_type) {
  if (n < 1) return 0;
  for (int32_t i = 0; i <= n; ++i) {
    links[i].node_flags = i == 0 ? NODE_FIRST : (i == n ? NODE_CLOSING : NODE_LOOSE);
    links[i].node_number = static_cast<int16_t>(i + 1);
  }
  for (int32_t i = 0; i < n; ++i) link_bounding_box(&links[i]);
  return write_record(writer, links, n, item_type);
}

int write_temp_item(TempItemWriter* writer, const LinkRecord link_and_closing[2],
                    uint8_t item_type) {
  LinkRecord links[2] = {link_and_closing[0], link_and_closing[1]};
  return write_temp_links(writer, links, 1, item_type);
}

int write_temp_polyline(TempItemWriter* writer, const float* xs, const float* ys, int n) {
  if (n < 2) return 0;
  std::vector<LinkRecord> links(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    LinkRecord& r = links[static_cast<size_t>(i)];
    r.point = {xs[i], ys[i]};
    if (i < n - 1) r.code = LINK_RIGID_LINE;
  }
  return write_temp_links(writer, links.data(), n - 1, ITEM_POLYLINE);
}

void hold_item_number(TempItemWriter* writer) { writer->held = true; }

void next_item_number(TempItemWriter* writer) {
  if (writer->held) ++writer->item_number;
  writer->held = false;
}

int read_temp_item_file(const std::string& path, int cut_type) {
  TempReader reader(path, cut_type);
  reader.size = file_size(path);
  reader.file = reader.size < 0 ? nullptr : std::fopen(path.c_str(), "rb");
  if (reader.file == nullptr) return TEMP_READ_CANNOT_OPEN;
  reader.last_before = g_lists.current.last;
  int result = TEMP_READ_OK;
  for (int64_t record = 0;; ++record) {
    if (record % ESCAPE_POLL_RECORDS == 0 && job_escape_pressed()) {
      result = TEMP_READ_BROKEN;
      break;
    }
    bool at_end = false;
    result = read_one_record(&reader, &at_end);
    if (result != TEMP_READ_OK || at_end) break;
  }
  std::fclose(reader.file);
  if (result == TEMP_READ_OK) result = flush_pending(&reader);
  if (result != TEMP_READ_OK) free_items_read(&reader);
  return result;
}
