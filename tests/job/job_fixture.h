// Shared by the job file tests and the corpus maker: records built byte by byte after the
// stored layouts (never through the writers under test), a clean job state, and a small job
// with one polyline, one circle, one drill point and one text item.
#pragma once

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cam/machining_block.h"
#include "geometry/drawing_item.h"
#include "geometry/layers.h"
#include "job/image_record.h"
#include "job/job_file.h"
#include "job/job_host.h"
#include "nc/post_processor.h"
#include "platform/files.h"
#include "records/job_settings.h"
#include "records/parked_items.h"
#include "records/preferences.h"
#include "store/catalogue.h"
#include "store/line_list.h"
#include "tests/support/test_bytes.h"
#include "tests/support/test_folder.h"

// The stored settings block of an inch job with the factory values, plus the fields a test
// names.
inline std::vector<uint8_t> factory_settings_bytes() {
  std::vector<uint8_t> b(680, 0);
  set_u8(&b, 4, 1);             // flat surface
  set_le32(&b, 8, 1);           // its flag
  set_u8(&b, 48, 1);            // inch
  set_f32(&b, 72, 0.002f);      // tolerance
  set_le16(&b, 80, 60);         // short-move feed
  for (size_t at = 368; at <= 373; ++at) set_u8(&b, at, 1);  // new-item options, grid shown
  set_f32(&b, 376, 0.001f);     // grid step
  set_u8(&b, 385, 1);           // node markers
  set_u8(&b, 664, 12);          // output options
  return b;
}

// One stored layer record.
inline void layer_record(Bytes* b, const std::string& name, uint8_t state, uint32_t colour,
                         uint8_t style) {
  b->u8(static_cast<uint8_t>(name.size())).text(name).u8(0).u8(state).le32(colour).u8(style);
}

// The layer block of the default layers with layer 0 named and layer 2 switched off.
inline std::vector<uint8_t> sample_layer_block() {
  Bytes records;
  for (int i = 0; i < LAYER_USER_COUNT; ++i)
    layer_record(&records, i == 0 ? "Cut" : " ", i == 2 ? 0 : 1, g_layers.colours[i], 0);
  Bytes block;
  block.le16(static_cast<uint16_t>(records.size())).append(records.data);
  return block.data;
}

// Stored item record parts.
struct RecordSpec {
  uint8_t node_flags, link_flags;
  int16_t number;
  float z, x, y, cx, cy, code, sweep, start;
};

inline void job_link_part(Bytes* b, const RecordSpec& s) {
  b->u8(s.node_flags).u8(s.link_flags).le16(static_cast<uint16_t>(s.number)).f32(s.z);
  b->f32(s.x).f32(s.y).f32(s.cx).f32(s.cy).f32(s.code).f32(s.sweep).f32(s.start);
}

inline void job_closing_part(Bytes* b, const RecordSpec& s) {
  b->u8(s.node_flags).u8(s.link_flags).le16(static_cast<uint16_t>(s.number)).f32(s.z);
  b->f32(s.x).f32(s.y);
}

inline void fill_record(const RecordSpec& s, LinkRecord* r) {
  r->node_flags = s.node_flags;
  r->link_flags = s.link_flags;
  r->node_number = s.number;
  r->z = s.z;
  r->point = PointF{s.x, s.y};
  r->centre = PointF{s.cx, s.cy};
  r->code = s.code;
  r->sweep = s.sweep;
  r->start_angle = s.start;
  r->box_min = PointF{-1, -1};  // boxes are not stored
  r->box_max = PointF{1, 1};
}

// The 20 node bytes: number, type, flags, group tag, source id, 2 bytes, item id, 4 bytes.
inline void node_bytes(Bytes* b, int16_t number, uint8_t type, uint8_t flags, int16_t group,
                       int32_t item_id) {
  b->le16(static_cast<uint16_t>(number)).u8(type).u8(flags);
  b->le16(static_cast<uint16_t>(group)).zeros(6).le32(static_cast<uint32_t>(item_id)).zeros(4);
}

// A machining block: operation, direction, group, order, heights and the finishing tool.
struct CamSpec {
  uint8_t operation, direction;
  int16_t group, order;
  float rapid_height, surface_z;
  int16_t tool_number;
  int32_t rpm;
  float feed, cut_width, cut_depth;
};

inline std::vector<uint8_t> cam_bytes(const CamSpec& c) {
  std::vector<uint8_t> b(188, 0);
  set_u8(&b, 0, c.operation);
  set_u8(&b, 1, c.direction);
  set_le16(&b, 6, static_cast<uint16_t>(c.group));
  set_le16(&b, 8, static_cast<uint16_t>(c.order));
  set_f32(&b, 12, c.rapid_height);
  set_f32(&b, 16, c.surface_z);
  set_f32(&b, 84 + 8, c.feed);
  set_le32(&b, 84 + 16, static_cast<uint32_t>(c.rpm));
  set_le16(&b, 84 + 22, static_cast<uint16_t>(c.tool_number));
  set_f32(&b, 84 + 40, c.cut_width);
  set_f32(&b, 84 + 44, c.cut_depth);
  return b;
}

inline CamParams cam_params(const CamSpec& c) {
  CamParams p;
  p.operation = c.operation;
  p.cut_direction = c.direction;
  p.machining_group = c.group;
  p.machining_order = c.order;
  p.rapid_height = c.rapid_height;
  p.surface_z = c.surface_z;
  p.finishing.tool_number = c.tool_number;
  p.finishing.rpm = c.rpm;
  p.finishing.feed = c.feed;
  p.finishing.cut_width = c.cut_width;
  p.finishing.cut_depth = c.cut_depth;
  return p;
}

// A text layout: length, height, anchor, flags, font number.
inline std::vector<uint8_t> layout_bytes(float length, float height, float ax, float ay,
                                         uint8_t flags, int16_t font) {
  std::vector<uint8_t> b(192, 0);
  set_f32(&b, 0, length);
  set_f32(&b, 4, height);
  set_f32(&b, 12, ax);
  set_f32(&b, 16, ay);
  set_u8(&b, 22, flags);
  set_le16(&b, 70, static_cast<uint16_t>(font));
  set_f32(&b, 72, 1.0f);  // width factor
  return b;
}

// ---- the sample job ----
const RecordSpec kPolyline[] = {
    {NODE_FIRST, 0, 1, 0.5f, 0, 0, 0, 0, LINK_RIGID_LINE, 0, 0},
    {NODE_LOOSE, LINK_CLOCKWISE, 2, 0, 10, 0, 10, 5, 5.0f, 3.1415927f, 4.712389f},
    {NODE_CLOSING, 0, 3, -0.25f, 10, 10, 0, 0, 0, 0, 0},
};
const RecordSpec kCircle[] = {
    {NODE_FIRST | NODE_TANGENT, 0, 1, 0, 25, 5, 20, 5, 5.0f, 6.2831855f, 0},
    {NODE_CLOSING, 0, 2, 0, 25, 5, 0, 0, 0, 0, 0},
};
const RecordSpec kDrill[] = {
    {NODE_FIRST, 0, 1, 0, 3, 4, 0.5f, 0.5f, LINK_POINT, 0, 0},
    {NODE_CLOSING, 0, 2, std::bit_cast<float>(0x00010203u), 3, 4, 0, 0, 0, 0, 0},
};
const RecordSpec kTextFrame[] = {
    {NODE_FIRST | NODE_LOOSE, 0, 1, 0, 0, 20, 0, 0, 0, 0, 0},
    {NODE_LOOSE, 0, 2, 0, 30, 20, 0, 0, LINK_RIGID_LINE, 0, 0},
    {NODE_LOOSE, 0, 3, 0, 30, 15, 0, 0, 0, 0, 0},
    {NODE_LOOSE, 0, 4, 0, 0, 15, 0, 0, LINK_RIGID_LINE, 0, 0},
    {NODE_CLOSING, 0, 5, 0, 0, 20, 0, 0, 0, 0, 0},
};
const CamSpec kPolylineCam = {2, 1, 3, 1, 0.1f, 0.0f, 4, 12000, 30.0f, 0.125f, 0.05f};
const CamSpec kDrillCam = {1, 0, 0, 2, 0.2f, -0.5f, 7, 3000, 5.0f, 0.25f, 0.4f};
const CamSpec kTextCam = {1, 1, 0, 0, 0.1f, 0.0f, 2, 20000, 15.0f, 0.01f, 0.005f};
constexpr char kSampleNote[] = "Customer: Elm & Co.";

// Appends an item with the given records to the current list.
inline DrawingItem* add_item(const char* text, const RecordSpec* records, int links,
                             uint8_t type, uint8_t kind, uint8_t layer, int32_t id) {
  EXPECT_EQ(new_geometry_block(text, nullptr, links, layer, kind), 0);
  DrawingItem* item = g_lists.current.last;
  item->kind = type;
  item->state = ITEM_FLAG_SELECTED;
  set_item_id(item, id);
  for (int i = 0; i <= links; ++i) fill_record(records[i], item_nodes(item) + i);
  return item;
}

// Builds the sample job in the current state.
inline void build_sample_job() {
  g_job_settings.item_id_counter = 4;
  g_job_settings.material_box[2] = 100.0f;
  g_job_settings.comment_mode = 3;
  set_line_text("Cut", layer_line(0));
  layer_line(2)->state = 0;
  g_job_file.note = kSampleNote;
  DrawingItem* polyline = add_item("", kPolyline, 2, ITEM_POLYLINE, GEOMETRY_KIND_MACHINABLE, 1, 1);
  set_item_group_tag(polyline, 9);
  put_block_cam(item_block(polyline), cam_params(kPolylineCam));
  add_item("", kCircle, 1, ITEM_CIRCLE, GEOMETRY_KIND_DRAWING_AID, 0, 2);
  DrawingItem* drill = add_item("", kDrill, 1, ITEM_POINT, GEOMETRY_KIND_MACHINABLE, 3, 3);
  put_block_cam(item_block(drill), cam_params(kDrillCam));
  DrawingItem* text = add_item("ABC", kTextFrame, 4, ITEM_TEXT, GEOMETRY_KIND_TEXT, 0, 4);
  text->id = 1;
  put_block_cam(item_block(text), cam_params(kTextCam));
  std::vector<uint8_t> layout = layout_bytes(30, 5, 0, 15, 0, 1);
  set_le32(&layout, 148, 0xDEADBEEF);  // a live font handle: never stored
  std::memcpy(block_text_layout(item_block(text)), layout.data(), layout.size());
}

// The sample job's file as the layouts give it.
inline std::vector<uint8_t> sample_job_bytes() {
  Bytes b;
  b.text("SI120400\r\r\n");
  std::vector<uint8_t> settings = factory_settings_bytes();
  set_u8(&settings, 50, 3);
  set_f32(&settings, 60, 100.0f);
  set_le32(&settings, 360, 4);
  b.append(settings).append(sample_layer_block());
  b.le16(sizeof kSampleNote - 1).text(kSampleNote).u8(0);
  // The polyline: machinable, layer 1.
  b.le16(0).u8(0);
  node_bytes(&b, 0, ITEM_POLYLINE, ITEM_FLAG_SELECTED, 9, 1);
  b.le32(2).u8(1).le32(2).u8(1).u8(1).zeros(2).append(cam_bytes(kPolylineCam));
  job_link_part(&b, kPolyline[0]);
  job_link_part(&b, kPolyline[1]);
  job_closing_part(&b, kPolyline[2]);
  // The circle: a drawing aid.
  b.le16(0).u8(0);
  node_bytes(&b, 0, ITEM_CIRCLE, ITEM_FLAG_SELECTED, 0, 2);
  b.le32(1).u8(0).le32(1).u8(0).u8(0).zeros(2);
  job_link_part(&b, kCircle[0]);
  job_closing_part(&b, kCircle[1]);
  // The drill point: layer 3, its array in the closing record's Z bytes.
  b.le16(0).u8(0);
  node_bytes(&b, 0, ITEM_POINT, ITEM_FLAG_SELECTED, 0, 3);
  b.le32(1).u8(1).le32(1).u8(1).u8(3).zeros(2).append(cam_bytes(kDrillCam));
  job_link_part(&b, kDrill[0]);
  job_closing_part(&b, kDrill[1]);
  // The text item.
  b.le16(3).text("ABC").u8(0);
  node_bytes(&b, 1, ITEM_TEXT, ITEM_FLAG_SELECTED, 0, 4);
  b.le32(4).u8(2).le32(4).u8(2).u8(0).zeros(2).append(cam_bytes(kTextCam));
  b.append(layout_bytes(30, 5, 0, 15, 0, 1));
  for (int i = 0; i < 4; ++i) job_link_part(&b, kTextFrame[i]);
  job_closing_part(&b, kTextFrame[4]);
  return b.data;
}

// Old text records: the text up to CR and its LF, 4 bytes, a 98-byte parameter block.
inline void old_text_record(Bytes* b, const std::string& raw_text, int16_t number, uint8_t type,
                     uint8_t flags, const std::vector<uint8_t>& params) {
  b->text(raw_text).u8('\r').u8('\n');
  b->le16(static_cast<uint16_t>(number)).u8(type).u8(flags).append(params);
}

inline std::vector<uint8_t> old_params(float radius, uint8_t layout_flags) {
  std::vector<uint8_t> p(98, 0);
  set_f32(&p, 0, 20.0f);        // length
  set_f32(&p, 4, 2.0f);         // height
  set_f32(&p, 8, 0.1f);         // spacing
  set_f32(&p, 12, 1.0f);        // anchor
  set_f32(&p, 16, 2.0f);
  set_u8(&p, 20, 1);            // centred
  set_u8(&p, 21, 4);            // stored plus 3
  set_u8(&p, 22, layout_flags);
  set_f32(&p, 23, 15.0f);       // angle
  set_f32(&p, 39, 0.0f);        // arc start
  set_f32(&p, 43, 1.5707964f);  // arc end
  set_le16(&p, 47, 2);          // linked text
  set_f32(&p, 57, radius);
  set_u8(&p, 65, 0);            // arc side: clockwise
  set_le16(&p, 66, 3);          // font
  set_le16(&p, 68, 5);          // tool number
  set_le16(&p, 72, 40000);      // rpm, an unsigned 16-bit value
  set_f32(&p, 74, 12.5f);       // feed
  set_f32(&p, 78, -0.02f);      // cutting width (and pen width)
  set_f32(&p, 82, -0.01f);      // cutting depth
  set_f32(&p, 86, -0.1f);       // rapid height
  set_f32(&p, 90, 0.9f);        // width factor
  set_f32(&p, 94, 0.25f);       // Z at surface
  return p;
}

// A clean job state with default layers, and a scratch folder as the program folder.
class JobTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_list_store();
    reset_job_settings();
    reset_job_file();
    clear_layer_table();
    reset_layers();
    g_image_record = ImageRecord{};
    reset_parked_items();
    g_preferences = Preferences{};
    reset_store_host();
    reset_job_host();
    reset_files();
    folder_ = make_test_folder("brenvik_job");
    set_program_folder_for_tests(folder_.string());
  }
  void TearDown() override {
    free_current_list();
    free_list(g_parked_items.first);
    reset_parked_items();
    free_post_processor_list(&g_post_processors.list);
    clear_layer_table();
    close_catalogue();
    reset_files();
    std::filesystem::remove_all(folder_);
  }

  std::string path(const std::string& name) const { return (folder_ / name).string(); }

  // The built message catalogue, for tests that read the messages shown.
  void open_built_catalogue() {
    set_program_folder_for_tests(BRENVIK_PROGRAM_DIR);
    ASSERT_GT(open_catalogue(), 0);
    set_program_folder_for_tests(folder_.string());
  }

  static std::vector<uint8_t> read_file(const std::string& p) {
    std::ifstream in(p, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
  }
  static void write_file(const std::string& p, const std::vector<uint8_t>& bytes) {
    std::ofstream out(p, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
  }

  // The bytes the job writer gives for the current job.
  std::vector<uint8_t> written_job() {
    const std::string p = path("written.job");
    EXPECT_EQ(write_job_to_path(p), 0);
    return read_file(p);
  }

  std::filesystem::path folder_;
};
