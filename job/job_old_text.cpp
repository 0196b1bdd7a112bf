// The engraving lists of the two oldest job layouts: text records that become text items.
#include <cmath>
#include <cstring>
#include <string>

#include "cam/machining_block.h"
#include "geometry/float2d.h"
#include "job/job_file.h"
#include "job/job_file_internal.h"
#include "store/line_list.h"
#include "store/record_bytes.h"
#include "text/stroke_fonts.h"
#include "text/text_items.h"
#include "text/text_layout.h"

namespace {

constexpr size_t OLD_TEXT_MAX = 999;         // characters kept of a text
constexpr size_t OLD_RECORD_SIZE = 4 + 98;  // item number, type, flags; the parameter block
constexpr uint8_t OLD_TEXT_ESCAPE = 0x08;    // 0x08 c stands for the byte c - 33

// Offsets in a text item's stored layout.
constexpr size_t TL_LENGTH = 0;
constexpr size_t TL_HEIGHT = 4;
constexpr size_t TL_ANCHOR_X = 12;
constexpr size_t TL_ANCHOR_Y = 16;
constexpr size_t TL_V_JUSTIFY = 21;
constexpr size_t TL_FLAGS = 22;
constexpr size_t TL_ARC_START = 40;
constexpr size_t TL_ARC_END = 44;
constexpr size_t TL_ARC_RADIUS = 60;
constexpr size_t TL_ARC_DIRECTION = 68;
constexpr size_t TL_FONT_NUMBER = 70;
constexpr size_t TL_PEN_ALLOWANCE = 136;
constexpr size_t TL_ENTERED_LENGTH = 140;
constexpr size_t TL_ENTERED_HEIGHT = 144;
constexpr uint8_t TL_FLAG_SINGLE_LINK = 0x02;

// Where the old parameter block's fields go in the layout: (block offset, layout offset, bytes),
// copied as they stand.
struct Move {
  uint8_t from, to, size;
};
const Move kLayoutMoves[] = {
    {0, TL_LENGTH, 4},     {0, TL_ENTERED_LENGTH, 4}, {4, TL_HEIGHT, 4},
    {4, TL_ENTERED_HEIGHT, 4},                        {8, 8, 4},     // spacing
    {12, TL_ANCHOR_X, 4},  {16, TL_ANCHOR_Y, 4},      {20, 20, 1},   // first justification
    {22, TL_FLAGS, 1},     {23, 24, 4},  {27, 28, 4},  // angle, slant
    {31, 32, 4},           {35, 36, 4},                // the two floats after the slant
    {39, TL_ARC_START, 4}, {43, TL_ARC_END, 4},        {47, 48, 2},   // linked text number
    {49, 52, 4},           {53, 56, 4},                // offset X, Y
    {57, TL_ARC_RADIUS, 4}, {61, 64, 4},               // arc radius, the float after it
    {65, TL_ARC_DIRECTION, 1}, {66, TL_FONT_NUMBER, 2}, {90, 72, 4},  // width factor
};

// Reads a text up to its CR and the byte after it. False (rejected) when the file ends first;
// a file ending before the first byte of a record leaves *ended set.
bool read_old_text(JobReader* r, std::string* text, bool* ended) {
  *ended = job_bytes_left(r) == 0;
  if (*ended) return true;
  for (;;) {
    const uint8_t* b = take_job_bytes(r, 1);
    if (b == nullptr) return reject_job_input(r, JOB_READ_SHORT_TEXT_RECORD);
    if (*b == '\r') break;
    uint8_t c = *b;
    if (c == OLD_TEXT_ESCAPE) {
      const uint8_t* escaped = take_job_bytes(r, 1);
      if (escaped == nullptr) return reject_job_input(r, JOB_READ_SHORT_TEXT_RECORD);
      c = static_cast<uint8_t>(*escaped - 33);
    }
    if (text->size() == OLD_TEXT_MAX) text->back() = static_cast<char>(c);
    else text->push_back(static_cast<char>(c));
  }
  take_job_bytes(r, 1);  // the LF; an empty last text may stand without it
  return true;
}

float abs_f32(const uint8_t* p) { return std::fabs(get_f32_le(p)); }

void fill_layout(const uint8_t* params, uint8_t* layout) {
  for (const Move& m : kLayoutMoves) std::memcpy(layout + m.to, params + m.from, m.size);
  // Old texts are stroke-font texts, whatever face the defaults of new texts name.
  std::memset(layout + TL_LOG_FONT, 0, TL_LOG_FONT_SIZE);
  put_u32_le(layout + TL_FONT_HANDLE, 0);
  layout[TL_V_JUSTIFY] = static_cast<uint8_t>(params[21] - 3);
  put_f32_le(layout + TL_PEN_ALLOWANCE, abs_f32(params + 78));
}

void fill_cam(const uint8_t* params, GeometryBlock* block) {
  CamParams cam;
  get_block_cam(block, &cam);
  cam.finishing.tool_number = get_i16_le(params + 68);
  cam.finishing.rpm = get_u16_le(params + 72);
  cam.finishing.feed = get_f32_le(params + 74);
  cam.finishing.cut_width = abs_f32(params + 78);
  cam.finishing.cut_depth = abs_f32(params + 82);
  cam.rapid_height = abs_f32(params + 86);
  cam.surface_z = get_f32_le(params + 94);
  put_block_cam(block, cam);
}

PointF polar(const PointF& centre, double radius, double angle) {
  return PointF{static_cast<float>(centre.x + radius * std::cos(angle)),
                static_cast<float>(centre.y + radius * std::sin(angle))};
}

// A vertical text keeps one frame link: the first record and the closing record after it.
void keep_one_frame_link(DrawingItem* item) {
  LinkRecord* nodes = item_nodes(item);
  nodes[0].node_flags = NODE_FIRST;
  nodes[1].node_flags = NODE_CLOSING;
  item_block(item)->link_count = 1;
  item->extra.resize(block_alloc_size(GEOMETRY_KIND_TEXT, 1));
}

// The frame of a text on an arc from its anchor, radii and arc angles.
void set_arc_frame(DrawingItem* item, const uint8_t* layout) {
  const PointF anchor = {get_f32_le(layout + TL_ANCHOR_X), get_f32_le(layout + TL_ANCHOR_Y)};
  const float radius = get_f32_le(layout + TL_ARC_RADIUS);
  const float height = get_f32_le(layout + TL_HEIGHT);
  const double start = get_f32_le(layout + TL_ARC_START);
  double end = get_f32_le(layout + TL_ARC_END);
  if (end < start) end += ANGLE_TWO_PI;
  double sweep = std::fmod(end - start, ANGLE_TWO_PI);
  if (sweep < 0.0) sweep += ANGLE_TWO_PI;
  if (!std::isfinite(sweep)) sweep = 0.0;  // angles of a damaged record
  LinkRecord* nodes = item_nodes(item);
  nodes[0].centre = anchor;
  nodes[0].start_angle = static_cast<float>(start);
  nodes[0].sweep = static_cast<float>(sweep);
  if ((layout[TL_FLAGS] & TL_FLAG_SINGLE_LINK) != 0) {
    nodes[0].code = radius;
    nodes[0].point = polar(anchor, radius, start);
    nodes[1].point = polar(anchor, radius, end);
    if (layout[TL_ARC_DIRECTION] == 0) nodes[0].link_flags |= LINK_CLOCKWISE;
    link_bounding_box(nodes);
    return;
  }
  // Two concentric arcs: the outer one clockwise from the end angle back to the start, the
  // inner one counter-clockwise from the start to the end, joined by the radial edges.
  const double outer = static_cast<double>(radius) + height;
  nodes[0].point = polar(anchor, outer, end);
  nodes[1].point = polar(anchor, outer, start);
  nodes[2].point = polar(anchor, radius, start);
  nodes[3].point = polar(anchor, radius, end);
  nodes[4].point = nodes[0].point;
  nodes[0].code = static_cast<float>(outer);
  nodes[0].link_flags |= LINK_CLOCKWISE;
  nodes[2].code = radius;
  nodes[2].centre = anchor;
  nodes[2].link_flags &= static_cast<uint8_t>(~LINK_CLOCKWISE);
  arc_angles_from_points(nodes);
  arc_angles_from_points(nodes + 2);
  text_layout_from_frame(item);
}

void make_engraving_text(DrawingItem* item, const uint8_t* params) {
  GeometryBlock* block = item_block(item);
  uint8_t* layout = block_text_layout(block);
  fill_layout(params, layout);
  fill_cam(params, block);
  const bool single_link = (layout[TL_FLAGS] & TL_FLAG_SINGLE_LINK) != 0;
  if (single_link) keep_one_frame_link(item);
  block = item_block(item);
  layout = block_text_layout(block);
  if (get_f32_le(layout + TL_ARC_RADIUS) == 0.0f) put_f32_le(layout + TL_LENGTH, 0.0f);
  else set_arc_frame(item, layout);
  // Without its font the text cannot be measured, so its frame stays as read.
  if (find_font(get_i16_le(layout + TL_FONT_NUMBER)) == nullptr) return;
  layout_text_item(item);
  block = item_block(item);
  set_text_frame_from_corners(block_text_layout(block), block_nodes(block));
  rebuild_text_frame(block_text_layout(block), block_nodes(block));
}

}  // namespace

int read_old_text_items(JobReader* r) {
  for (;;) {
    std::string text;
    bool ended = false;
    if (!read_old_text(r, &text, &ended)) return -1;
    if (ended || text.empty()) return 0;
    const uint8_t* record = take_job_bytes(r, OLD_RECORD_SIZE);
    if (record == nullptr) {
      reject_job_input(r, JOB_READ_SHORT_TEXT_RECORD);
      return -1;
    }
    DrawingItem* item = new_text_item();
    // A text holds no NUL: the line keeps what comes before one.
    const std::string kept(text.c_str());
    if (item == nullptr || set_line_text(kept.c_str(), item)->text != kept) {
      reject_job_input(r, JOB_READ_NO_MEMORY);
      return -1;
    }
    if (record[2] == LINE_KIND_PLACEHOLDER) {
      reject_job_input(r, JOB_READ_BAD_ITEM_TYPE);
      return -1;
    }
    item->id = get_i16_le(record);
    item->kind = record[2];
    item->state = record[3];
    if (item->kind == ITEM_TEXT) make_engraving_text(item, record + 4);
  }
}
