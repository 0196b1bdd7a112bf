// Tool-path items: the engine's PathRecord stream cut into sections, each section one item of
// list slot 11.
#include <cmath>
#include <cstdio>
#include <new>

#include "cam/outline_collect.h"
#include "geometry/drawing_item.h"
#include "nc/cam_host.h"
#include "platform/files.h"
#include "records/job_settings.h"
#include "store/line_list.h"
#include "store/record_bytes.h"

const char* const COLLECT_READ_BACK_FAILED = "Too many pocketing lines, not enough memory...";

namespace {

// Sweeps that mean "nothing" or "a whole turn" on a small arc: rounding, not an arc.
constexpr double SHORT_ARC_SWEEP = 0.01;
constexpr double WRAPPED_ARC_SWEEP = 6.278185307179586;

// Replaces the buffer by the spill file's records and an end record. False when the file
// cannot be read whole.
bool read_spill_file(const std::string& path, PathRecordBuffer* records) {
  const int64_t size = file_size(path);
  if (size < 0 || size % static_cast<int64_t>(PATH_RECORD_SIZE) != 0) return false;
  const size_t count = static_cast<size_t>(size) / PATH_RECORD_SIZE;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  bool ok = true;
  try {
    records->assign(count + 2, PathRecord{});
    uint8_t bytes[PATH_RECORD_SIZE];
    for (size_t k = 0; k < count && ok; ++k) {
      ok = std::fread(bytes, 1, PATH_RECORD_SIZE, f) == PATH_RECORD_SIZE;
      if (ok) read_path_record_bytes(bytes, &(*records)[k]);
    }
  } catch (const std::bad_alloc&) {
    ok = false;
  }
  std::fclose(f);
  if (!ok) {
    records->clear();
    return false;
  }
  (*records)[count].code = PATH_END;
  return true;
}

// The head of a section: group, tool and kind of cut.
struct SectionHead {
  int32_t group_order = 0;
  int32_t tool = 0;
  uint8_t letter = TOOL_PATH_ROUGHING;
  bool blade = false;
};

// Builds the links of one item.
struct ItemBuilder {
  std::vector<LinkRecord> records;  // the nodes so far; the last one is the pen
  float z = 0.0f;                   // current depth, relative to the surface (negative below)
  float min_arc = 0.0f;

  bool started() const { return !records.empty(); }
  int32_t link_count() const { return static_cast<int32_t>(records.size()) - 1; }
  LinkRecord& last_link() { return records[records.size() - 2]; }
  bool last_is_rapid() {
    return link_count() > 0 &&
           (last_link().link_flags & (TOOL_PATH_LINK_RAPID | TOOL_PATH_LINK_LIFT)) != 0;
  }

  void start_at(float x, float y) {
    LinkRecord r{};
    r.point = {x, y};
    r.z = z;
    records.push_back(r);
  }
  // A link from the pen to (x, y) with the given code and flags; returns it.
  LinkRecord& add_link(float x, float y, float code, uint8_t flags) {
    LinkRecord& from = records.back();
    from.code = code;
    from.link_flags = flags;
    LinkRecord to{};
    to.point = {x, y};
    to.z = z;
    records.push_back(to);
    return records[records.size() - 2];
  }
  void move_last_end(float x, float y) {
    records.back().point = {x, y};
    records.back().z = z;
  }
  void add_arc(const PathRecord& p) {
    const LinkRecord& from = records.back();
    const PointF centre{p.z, p.value};
    const float radius = point_distance(&from.point, &centre);
    LinkRecord& arc = add_link(p.x, p.y, radius, p.code == PATH_ARC_CW ? LINK_CLOCKWISE : 0);
    arc.centre = centre;
    arc_angles_from_points(&arc);
    if (radius < min_arc && (arc.sweep < SHORT_ARC_SWEEP || arc.sweep >= WRAPPED_ARC_SWEEP)) {
      arc.code = LINK_RIGID_LINE;
      arc.link_flags = 0;
      arc.sweep = 0.0f;
      arc.start_angle = 0.0f;
      arc.centre = {0.0f, 0.0f};
    }
  }
  void add(const PathRecord& p) {
    int32_t flag = p.flag;
    if (p.code == PATH_FEED || p.code == PATH_MOVE) flag = 0;
    if (flag != 0) {
      // A stretch already cut: travel over it.
      if (!started()) {
        start_at(p.x, p.y);
      } else if (last_is_rapid()) {
        move_last_end(p.x, p.y);
      } else {
        add_link(p.x, p.y, LINK_RIGID_LINE, TOOL_PATH_LINK_RAPID);
      }
      return;
    }
    switch (p.code) {
      case PATH_MOVE:
        z = -p.z;
        if (!started()) {
          start_at(p.x, p.y);
        } else if (last_is_rapid()) {
          move_last_end(p.x, p.y);
          last_link().link_flags |= TOOL_PATH_LINK_LIFT;
        } else {
          add_link(p.x, p.y, LINK_RIGID_LINE, TOOL_PATH_LINK_LIFT);
        }
        break;
      case PATH_LINE:
        if (!started()) start_at(p.x, p.y); else add_link(p.x, p.y, LINK_RIGID_LINE, 0);
        break;
      case PATH_ARC_CW:
      case PATH_ARC_CCW:
        if (!started()) start_at(p.x, p.y); else add_arc(p);
        break;
      case PATH_FEED:
        z = -p.z;
        if (!started()) {
          start_at(p.x, p.y);
        } else {
          add_link(p.x, p.y, TOOL_PATH_FEED_LINE, 0).start_angle = p.value;
        }
        break;
      default:
        break;
    }
  }
};

void set_i16_attribute(DrawingItem* item, size_t at, int32_t value) {
  put_i16_le(item->attributes + at, static_cast<int16_t>(value));
}

// Appends the item of one section to the current list; 1 made, 0 nothing, -1 no memory.
int32_t make_item(const SectionHead& head, ItemBuilder* b) {
  if (b->link_count() < 1) return 0;
  b->records.front().node_flags |= NODE_FIRST;
  b->records.back().node_flags = NODE_CLOSING;
  const uint8_t layer =
      head.letter == TOOL_PATH_ROUGHING ? TOOL_PATH_LAYER_ROUGHING : TOOL_PATH_LAYER_FINISHING;
  if (new_geometry_block("", b->records.data(), b->link_count(), layer,
                         GEOMETRY_KIND_MACHINABLE) != 0) {
    return -1;
  }
  DrawingItem* item = g_lists.current.last;
  const int32_t group = head.group_order >> 16;
  const int32_t order = head.group_order & 0xFFFF;
  set_i16_attribute(item, TOOL_PATH_ATTR_TOOL, head.tool);
  item->attributes[TOOL_PATH_ATTR_KIND] = head.letter;
  set_i16_attribute(item, TOOL_PATH_ATTR_GROUP, group);
  set_i16_attribute(item, TOOL_PATH_ATTR_ORDER, order);
  CamParams params;
  if (get_block_cam(item_block(item), &params)) {
    params.machining_group = static_cast<int16_t>(group);
    params.machining_order = static_cast<int16_t>(order);
    CamToolBlock& tool = head.letter == TOOL_PATH_ROUGHING ? params.roughing : params.finishing;
    tool.tool_number = static_cast<int16_t>(head.tool);
    put_block_cam(item_block(item), params);
  }
  item_bounding_boxes(item);
  if (remove_zero_length_links(item) == 0) {
    delete_line(item);
    return 0;
  }
  return 1;
}

bool ends_section(int32_t code) {
  return code == PATH_ROUGHING || code == PATH_FINISHING || code == PATH_BLADE ||
         code >= PATH_TOOL || code == PATH_END;
}

// Reads the head at i; returns the index of the first record after it. A blade move that
// ended the last section heads this one as its start move (left at the returned index).
int32_t read_head(const PathRecordBuffer& r, int32_t i, SectionHead* head) {
  const int32_t n = static_cast<int32_t>(r.size());
  if (i < n && r[i].code == PATH_GROUP) head->group_order = r[i++].flag;
  if (i < n && r[i].code == PATH_TOOL) head->tool = r[i++].flag;
  if (i < n && r[i].code == PATH_ROUGHING) {
    head->letter = TOOL_PATH_ROUGHING;
    head->blade = false;
    ++i;
  } else if (i < n && (r[i].code == PATH_FINISHING || r[i].code == PATH_BLADE)) {
    head->letter = TOOL_PATH_FINISHING;
    head->blade = r[i].code == PATH_BLADE;
    ++i;
  } else if (i < n && r[i].code == PATH_BLADE_MOVE) {
    head->letter = TOOL_PATH_FINISHING;
  }
  return i;
}

}  // namespace

uint8_t tool_path_item_kind(const DrawingItem* item) {
  return item->attributes[TOOL_PATH_ATTR_KIND];
}
int16_t tool_path_item_tool(const DrawingItem* item) {
  return get_i16_le(item->attributes + TOOL_PATH_ATTR_TOOL);
}
int16_t tool_path_item_group(const DrawingItem* item) {
  return get_i16_le(item->attributes + TOOL_PATH_ATTR_GROUP);
}
int16_t tool_path_item_order(const DrawingItem* item) {
  return get_i16_le(item->attributes + TOOL_PATH_ATTR_ORDER);
}

bool read_back_spilled_records(PathRecordBuffer* records) {
  const std::string spill = path_spill_file_path();
  if (!file_exists(spill)) return true;
  const bool read = read_spill_file(spill, records);
  file_delete(spill);
  if (!read) host_show_message(COLLECT_READ_BACK_FAILED);
  return read;
}

int32_t path_records_to_items() {
  OutlineCollectState& c = g_outline_collect;
  if (!read_back_spilled_records(&c.records)) return -1;
  PathRecordBuffer& r = c.records;
  const int32_t n = static_cast<int32_t>(r.size());
  if (n == 0 || r[0].code == PATH_END) return 0;
  push_list();
  load_list_slot(LIST_SLOT_TOOL_PATHS);
  const float min_arc =
      g_job_settings.units == JOB_UNITS_INCH ? TOOL_PATH_MIN_ARC_INCH : TOOL_PATH_MIN_ARC_MM;
  SectionHead head;
  int32_t made = 0;
  int32_t i = 0;
  while (i < n && r[i].code != PATH_END) {
    const int32_t body = read_head(r, i, &head);
    ItemBuilder b;
    b.min_arc = min_arc;
    int32_t j = body;
    for (; j < n; ++j) {
      PathRecord rec = r[j];
      if (rec.code == PATH_BLADE_MOVE && j == body) rec.code = PATH_MOVE;
      if (ends_section(rec.code)) break;
      if (rec.code == PATH_MOVE && head.blade && j != body) {
        r[j].code = PATH_BLADE_MOVE;  // heads the next section
        break;
      }
      b.add(rec);
    }
    const int32_t result = make_item(head, &b);
    if (result < 0) break;
    made += result;
    // A head without records would not move on: step over what cannot start a section.
    i = j > i ? j : i + 1;
  }
  save_list_slot(LIST_SLOT_TOOL_PATHS);
  pop_list();
  return made;
}
