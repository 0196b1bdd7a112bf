#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "item_fixture.h"
#include "tests/support/test_bytes.h"

namespace {

struct RecordSpec {
  uint8_t node_flags, link_flags;
  int16_t number;
  float z, x, y, cx, cy, code, sweep, start;
  float box[4];
};

// A polyline with a line, an arc and a two-link spline run, then its closing node.
const RecordSpec kPolyline[] = {
    {NODE_FIRST, 0, 1, 1.0f, 0, 0, 0, 0, LINK_RIGID_LINE, 0, 0, {0, 0, 10, 0}},
    {NODE_TANGENT, LINK_CLOCKWISE, 2, -0.5f, 10, 0, 10, 5, 5.0f, 3.1415927f, 1.5707964f,
     {10, 0, 15, 10}},
    {NODE_TANGENT, LINK_NODE_MARKED, 3, 0, 10, 10, 0, 0, LINK_SPLINE, 0, 0, {10, 10, 20, 15}},
    {NODE_TANGENT, 0, 4, 0, 20, 15, 0, 0, LINK_SPLINE, 0, 0, {20, 12, 30, 15}},
    {NODE_CLOSING, 0, -2, 2.5f, 30, 12, 0, 0, 0, 0, 0, {0, 0, 0, 0}},
};
constexpr int kLinks = 4;

void fill_record(const RecordSpec& s, LinkRecord* r) {
  r->node_flags = s.node_flags;
  r->link_flags = s.link_flags;
  r->node_number = s.number;
  r->z = s.z;
  r->point = PointF{s.x, s.y};
  r->centre = PointF{s.cx, s.cy};
  r->code = s.code;
  r->sweep = s.sweep;
  r->start_angle = s.start;
  r->box_min = PointF{s.box[0], s.box[1]};
  r->box_max = PointF{s.box[2], s.box[3]};
}

void expected_node_part(const RecordSpec& s, Bytes* b) {
  b->u8(s.node_flags);
  b->u8(s.link_flags);
  b->le16(static_cast<uint16_t>(s.number));
  b->f32(s.z);
  b->f32(s.x);
  b->f32(s.y);
}

void expected_record(const RecordSpec& s, Bytes* b) {
  expected_node_part(s, b);
  b->f32(s.cx);
  b->f32(s.cy);
  b->f32(s.code);
  b->f32(s.sweep);
  b->f32(s.start);
  for (float v : s.box) b->f32(v);
}

using RecordTest = ItemTest;

TEST_F(RecordTest, PolylineBlockMatchesTheStoredLayout) {
  ASSERT_EQ(new_geometry_block("", nullptr, kLinks, 9, GEOMETRY_KIND_DRAWING_AID), 0);
  DrawingItem* item = g_lists.current.last;
  for (int i = 0; i <= kLinks; ++i) fill_record(kPolyline[i], item_nodes(item) + i);

  Bytes expected;
  expected.le32(kLinks);
  expected.u8(GEOMETRY_KIND_DRAWING_AID);
  expected.u8(9);
  expected.zeros(2);
  for (int i = 0; i < kLinks; ++i) expected_record(kPolyline[i], &expected);
  expected_node_part(kPolyline[kLinks], &expected);
  ASSERT_EQ(expected.data.size(), 8u + 52 * kLinks + 16);
  // The first node's Z of 1.0 is the IEEE single 0x3F800000, low byte first.
  const uint8_t one[4] = {0x00, 0x00, 0x80, 0x3F};
  EXPECT_EQ(std::memcmp(expected.data.data() + 12, one, 4), 0);

  const size_t size = geometry_block_stored_size(GEOMETRY_KIND_DRAWING_AID, kLinks);
  ASSERT_EQ(size, expected.data.size());
  std::vector<uint8_t> written(size, 0xEE);
  EXPECT_EQ(write_geometry_block(item_block(item), written.data()), size);
  EXPECT_EQ(written, expected.data);

  std::vector<uint8_t> block;
  size_t used = 0;
  ASSERT_EQ(read_geometry_block(written.data(), written.size(), &block, &used), GEOMETRY_READ_OK);
  EXPECT_EQ(used, size);
  std::vector<uint8_t> again(size);
  write_geometry_block(reinterpret_cast<GeometryBlock*>(block.data()), again.data());
  EXPECT_EQ(again, expected.data);
  const LinkRecord* read_back = block_nodes(reinterpret_cast<GeometryBlock*>(block.data()));
  EXPECT_EQ(read_back[1].code, 5.0f);
  EXPECT_EQ(read_back[1].link_flags, LINK_CLOCKWISE);
  EXPECT_EQ(read_back[4].node_number, -2);
}

TEST_F(RecordTest, MachiningAndTextBytesTravelWithTheBlock) {
  ASSERT_EQ(new_geometry_block("T", nullptr, 4, 2, GEOMETRY_KIND_TEXT), 0);
  GeometryBlock* block = item_block(g_lists.current.last);
  uint8_t* cam = block_cam_params(block);
  for (size_t i = 0; i < CAM_PARAMS_SIZE; ++i) cam[i] = static_cast<uint8_t>(i);
  cam[6] = 0x34;  // machining group, i16 at block offset +14
  cam[7] = 0x12;
  uint8_t* layout = block_text_layout(block);
  for (size_t i = 0; i < TEXT_LAYOUT_SIZE; ++i) layout[i] = static_cast<uint8_t>(255 - i);
  EXPECT_EQ(block_machining_group(block), 0x1234);

  const size_t size = geometry_block_stored_size(GEOMETRY_KIND_TEXT, 4);
  ASSERT_EQ(size, 388u + 52 * 4 + 16);
  std::vector<uint8_t> written(size);
  write_geometry_block(block, written.data());
  EXPECT_EQ(written[4], GEOMETRY_KIND_TEXT);
  EXPECT_EQ(written[8 + 20], 20);
  EXPECT_EQ(written[14], 0x34);
  EXPECT_EQ(written[196 + 5], 250);
  EXPECT_EQ(written[388], 5) << "record 0: first and loose";
  EXPECT_EQ(written[388 + 52 + 24 + 3], 0xBF) << "link 1 is a rigid line, -1.0f";
}

TEST_F(RecordTest, RecordPartsAndSingleRecords) {
  LinkRecord r{};
  fill_record(kPolyline[1], &r);
  Bytes full;
  expected_record(kPolyline[1], &full);
  uint8_t out[LINK_RECORD_SIZE];
  write_link_record(&r, out);
  EXPECT_EQ(std::vector<uint8_t>(out, out + 52), full.data);
  uint8_t job[LINK_JOB_PART_SIZE];
  write_link_job_part(&r, job);
  EXPECT_EQ(std::vector<uint8_t>(job, job + 36), std::vector<uint8_t>(full.data.begin(), full.data.begin() + 36));

  LinkRecord back{};
  back.box_min = PointF{7, 7};
  read_link_job_part(job, &back);
  EXPECT_EQ(back.start_angle, r.start_angle);
  EXPECT_EQ(back.box_min.x, 7.0f) << "the job part does not carry the box";
  read_link_record(out, &back);
  EXPECT_EQ(std::memcmp(&back, &r, sizeof r), 0);
}

TEST_F(RecordTest, PointArrayLivesInTheClosingZBytes) {
  LinkRecord closing{};
  closing.node_flags = NODE_CLOSING;
  set_point_array(&closing, 3, 2, 5);
  EXPECT_EQ(point_array_columns(&closing), 3);
  EXPECT_EQ(point_array_rows(&closing), 2);
  EXPECT_EQ(point_array_kind(&closing), 5);
  uint8_t out[LINK_NODE_PART_SIZE];
  write_link_node_part(&closing, out);
  EXPECT_EQ(out[4], 3);
  EXPECT_EQ(out[5], 2);
  EXPECT_EQ(out[6], 5);
  EXPECT_EQ(out[7], 0);
}

TEST_F(RecordTest, ReaderChecksCountsAgainstTheBytesAtHand) {
  struct Case {
    const char* name;
    int32_t count;
    uint8_t kind;
    size_t size;  // bytes offered; 0 = exactly what the count needs
    int expected;
  };
  const Case cases[] = {
      {"complete", 2, 0, 0, GEOMETRY_READ_OK},
      {"one byte short", 2, 0, 8 + 52 * 2 + 15, GEOMETRY_READ_SHORT},
      {"header cut", 2, 0, 7, GEOMETRY_READ_SHORT},
      {"huge count", 0x7FFFFFFF, 0, 200, GEOMETRY_READ_SHORT},
      {"huge count of a text block", 0x7FFFFFFF, 2, 400, GEOMETRY_READ_SHORT},
      {"zero count", 0, 0, 100, GEOMETRY_READ_BAD_COUNT},
      {"negative count", -3, 0, 100, GEOMETRY_READ_BAD_COUNT},
      {"unknown kind", 1, 3, 100, GEOMETRY_READ_BAD_KIND},
      {"machining block cut", 1, 1, 150, GEOMETRY_READ_SHORT},
  };
  for (const Case& c : cases) {
    Bytes b;
    b.le32(static_cast<uint32_t>(c.count));
    b.u8(c.kind);
    b.zeros(3);
    const size_t size = c.size != 0 ? c.size : 8 + 52 * static_cast<size_t>(c.count) + 16;
    b.data.resize(std::max(size, b.data.size()));
    std::vector<uint8_t> block;
    size_t used = 0;
    EXPECT_EQ(read_geometry_block(b.data.data(), size, &block, &used), c.expected) << c.name;
    if (c.expected != GEOMETRY_READ_OK) {
      EXPECT_TRUE(block.empty()) << c.name;
    }
  }
}

TEST_F(RecordTest, ItemHeaderIsIdKindStateAndAttributes) {
  ASSERT_EQ(new_geometry_block("", nullptr, 1, 0, 0), 0);
  DrawingItem* item = g_lists.current.last;
  item->id = 0x1234;
  set_item_type(item, ITEM_SLOT);
  set_item_flags(item, ITEM_FLAG_SELECTED | ITEM_FLAG_MARKED);
  set_item_group_tag(item, '1');
  set_item_source_id(item, 7);
  set_item_id(item, 99);

  Bytes expected;
  expected.le16(0x1234);
  expected.u8(ITEM_SLOT);
  expected.u8(3);
  expected.le16('1');
  expected.le32(7);
  expected.zeros(2);
  expected.le32(99);
  expected.zeros(4);
  uint8_t out[ITEM_HEADER_SIZE];
  write_item_header(item, out);
  EXPECT_EQ(std::vector<uint8_t>(out, out + ITEM_HEADER_SIZE), expected.data);

  TextLine other;
  read_item_header(out, &other);
  EXPECT_EQ(item_id(&other), 99);
  EXPECT_EQ(item_source_id(&other), 7);
  EXPECT_EQ(item_type(&other), ITEM_SLOT);
}

}  // namespace
