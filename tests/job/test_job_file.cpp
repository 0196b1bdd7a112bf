#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "job_fixture.h"
#include "store/record_bytes.h"
#include "text/text_host.h"
#include "text/text_items.h"
#include "text/text_layout.h"
#include "text/truetype_faces.h"

namespace {

constexpr char kFailure[] = "Cannot read %s";

int count_items() {
  int n = 0;
  for (TextLine* item = g_lists.current.first; item != nullptr; item = item->next) ++n;
  return n;
}

DrawingItem* nth_item(int n) { return nth_line(n); }

// ---- writing and reading the current layout ----

TEST_F(JobTest, SampleJobMatchesTheStoredLayout) {
  build_sample_job();
  const std::vector<uint8_t> expected = sample_job_bytes();
  const std::vector<uint8_t> written = written_job();
  ASSERT_EQ(written.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i)
    ASSERT_EQ(written[i], expected[i]) << "first difference at byte " << i;
  EXPECT_EQ(g_job_file.last_save_bytes, static_cast<int64_t>(expected.size()));
}

TEST_F(JobTest, ReadingTheSampleGivesTheJobBack) {
  const std::vector<uint8_t> bytes = sample_job_bytes();
  ASSERT_EQ(read_job_bytes(bytes.data(), bytes.size(), "sample.job", kFailure), 0);
  EXPECT_EQ(g_host_messages.shown_count, 0);
  ASSERT_EQ(count_items(), 4);
  const DrawingItem* polyline = nth_item(0);
  EXPECT_EQ(polyline->kind, ITEM_POLYLINE);
  EXPECT_EQ(item_group_tag(polyline), 9);
  EXPECT_EQ(item_layer(polyline), 1);
  EXPECT_EQ(item_link_count(polyline), 2);
  EXPECT_EQ(item_nodes(polyline)[1].code, 5.0f);
  EXPECT_EQ(item_nodes(polyline)[1].link_flags, LINK_CLOCKWISE);
  EXPECT_EQ(item_nodes(polyline)[2].node_flags, NODE_CLOSING);
  CamParams cam;
  ASSERT_TRUE(get_block_cam(item_block(polyline), &cam));
  EXPECT_EQ(cam.operation, 2);
  EXPECT_EQ(cam.machining_group, 3);
  EXPECT_EQ(cam.finishing.rpm, 12000);
  const DrawingItem* drill = nth_item(2);
  EXPECT_EQ(point_array_columns(item_closing_record(drill)), 3);
  EXPECT_EQ(point_array_rows(item_closing_record(drill)), 2);
  const DrawingItem* text = nth_item(3);
  EXPECT_EQ(text->text, "ABC");
  EXPECT_EQ(item_id(text), 4);
  EXPECT_EQ(get_i16_le(block_text_layout(item_block(text)) + 70), 1) << "font number";
  EXPECT_EQ(g_job_file.note, kSampleNote);
  EXPECT_EQ(layer_line(0)->text, "Cut");
  EXPECT_EQ(g_layers.visibility[2], 0);
  EXPECT_EQ(g_job_settings.comment_mode, 3);
  EXPECT_EQ(g_job_settings.material_box[2], 100.0f);
  EXPECT_EQ(g_job_settings.item_flag_union, 0) << "only bits 0x36 are kept";
  EXPECT_EQ(g_job_settings.settings_fresh, 0);

  // Written again, the job is the same file.
  EXPECT_EQ(written_job(), bytes);
}

TEST_F(JobTest, WhatIsNotStoredAndWhereParkedItemsGo) {
  build_sample_job();
  // A text item without text, and one that is only a line feed, are left out; the parked
  // chain (non-text items put aside by the Engraving list page) follows the list.
  DrawingItem* empty = add_item("", kTextFrame, 4, ITEM_TEXT, GEOMETRY_KIND_TEXT, 0, 5);
  DrawingItem* line_feed = add_item("\nX", kTextFrame, 4, ITEM_TEXT, GEOMETRY_KIND_TEXT, 0, 6);
  DrawingItem* no_block = append_line("no block");
  no_block->kind = ITEM_POLYLINE;
  (void)empty;
  (void)line_feed;
  // Park the circle.
  DrawingItem* circle = nth_item(1);
  move_line_to_list(circle, nullptr);
  g_parked_items.first = circle;
  const std::vector<uint8_t> written = written_job();
  reset_parked_items();
  ASSERT_EQ(read_job_bytes(written.data(), written.size(), "x", kFailure), 0);
  ASSERT_EQ(count_items(), 4);
  EXPECT_EQ(nth_item(0)->kind, ITEM_POLYLINE);
  EXPECT_EQ(nth_item(1)->kind, ITEM_POINT);
  EXPECT_EQ(nth_item(2)->kind, ITEM_TEXT);
  EXPECT_EQ(nth_item(3)->kind, ITEM_CIRCLE) << "the parked items come last";
  free_list(circle);
}

TEST_F(JobTest, EmptyNoteAndNamedImage) {
  std::strcpy(g_image_record.path, "/pictures/logo.png");
  g_image_record.pixels_per_inch = 300;
  g_image_record.origin_x = 1.5f;
  g_image_record.status = IMAGE_SHOWN;
  g_image_record.placed = 1;
  const std::vector<uint8_t> written = written_job();
  const size_t note_offset = 11 + 680 + 2198;  // the default layers' block
  EXPECT_EQ(get_i16_le(written.data() + 11 + 388), 328) << "image record length";
  EXPECT_EQ(get_i16_le(written.data() + note_offset), 0) << "no note, no note bytes";
  ASSERT_EQ(written.size(), note_offset + 2 + 328);
  const uint8_t* image = written.data() + note_offset + 2;
  EXPECT_STREQ(reinterpret_cast<const char*>(image), "/pictures/logo.png");
  EXPECT_EQ(get_f32_le(image + 260), 300.0f);
  EXPECT_EQ(static_cast<int8_t>(image[280]), IMAGE_SHOWN);
  EXPECT_EQ(image[283], 1);

  g_job_file.note = "stale";
  g_image_record = ImageRecord{};
  ASSERT_EQ(read_job_bytes(written.data(), written.size(), "x", kFailure), 0);
  EXPECT_EQ(g_job_file.note, "");
  EXPECT_STREQ(g_image_record.path, "/pictures/logo.png");
  EXPECT_EQ(g_image_record.origin_x, 1.5f);
  EXPECT_EQ(g_image_record.status, IMAGE_NOT_LOADED) << "nothing is loaded yet";
  EXPECT_EQ(g_image_record.placed, 1);
}

TEST_F(JobTest, LongerImageRecordIsReadAsItsFirstPart) {
  Bytes b;
  b.text("SI120400\r\r\n");
  std::vector<uint8_t> settings = factory_settings_bytes();
  set_le16(&settings, 388, 340);
  b.append(settings).append(sample_layer_block()).le16(0);
  std::vector<uint8_t> image(340, 0);
  std::memcpy(image.data(), "/scan.tif", 10);
  set_f32(&image, 268, 7.0f);
  std::fill(image.begin() + 328, image.end(), 0xEE);  // the part this program does not know
  b.append(image);
  b.le16(0).u8(0);
  node_bytes(&b, 0, ITEM_CIRCLE, 0, 0, 1);
  b.le32(1).u8(0).le32(1).u8(0).u8(0).zeros(2);
  job_link_part(&b, kCircle[0]);
  job_closing_part(&b, kCircle[1]);
  ASSERT_EQ(read_job_bytes(b.data.data(), b.size(), "x", kFailure), 0);
  EXPECT_STREQ(g_image_record.path, "/scan.tif");
  EXPECT_EQ(g_image_record.origin_x, 7.0f);
  EXPECT_EQ(count_items(), 1) << "the item after the longer record is found";
}

TEST_F(JobTest, ItemIdsAndFlagsAreSettledOnRead) {
  Bytes b;
  b.text("SI120400\r\r\n");
  std::vector<uint8_t> settings = factory_settings_bytes();
  set_le32(&settings, 360, 10);        // item ID counter
  set_le32(&settings, 8, 0x8000);      // surface 16, the side of a lathe cylinder
  set_u8(&settings, 12, 0);
  set_u8(&settings, 665, 1);           // job state bytes, cleared on read
  set_u8(&settings, 668, 1);
  set_u8(&settings, 500, 0x77);        // the run-time area, never taken from a file
  b.append(settings).append(sample_layer_block()).le16(0);
  const uint8_t flags[3] = {0x01, 0x12, 0x40};
  for (int i = 0; i < 3; ++i) {
    b.le16(0).u8(0);
    node_bytes(&b, 0, ITEM_CIRCLE, flags[i], 0, i == 1 ? 3 : 0);
    b.le32(1).u8(0).le32(1).u8(0).u8(0).zeros(2);
    job_link_part(&b, kCircle[0]);
    job_closing_part(&b, kCircle[1]);
  }
  ASSERT_EQ(read_job_bytes(b.data.data(), b.size(), "x", kFailure), 0);
  EXPECT_EQ(item_id(nth_item(0)), 11);
  EXPECT_EQ(item_id(nth_item(1)), 3);
  EXPECT_EQ(item_id(nth_item(2)), 12) << "IDs of 0 are handed out in file order";
  EXPECT_EQ(g_job_settings.item_id_counter, 12);
  EXPECT_EQ(g_job_settings.item_flag_union, 0x12);
  EXPECT_EQ(g_job_settings.surface_side, 1);
  EXPECT_EQ(g_job_settings.settings_fresh, 0);
  EXPECT_EQ(g_job_settings.job_changed, 0);
  EXPECT_EQ(g_job_settings.run_time_area[500 - 441], 0);

  set_le32(&b.data, 11 + 8, 0);  // a surface flag of 0 becomes 1
  ASSERT_EQ(read_job_bytes(b.data.data(), b.size(), "x", kFailure), 0);
  EXPECT_EQ(g_job_settings.surface_flag, 1);
}

TEST_F(JobTest, PostProcessorIsFoundByNumber) {
  push_list();
  clear_current_list();
  default_post_processor("First", 3);
  default_post_processor("Seven", 7);
  default_post_processor("\x01hidden", 8);
  g_post_processors.list = g_lists.current;
  clear_current_list();
  pop_list();
  struct Case {
    int16_t stored;
    int16_t found;
  };
  const Case cases[] = {{7, 7}, {3, 3}, {9, 3}, {8, 3}};
  for (const Case& c : cases) {
    std::vector<uint8_t> bytes = sample_job_bytes();
    set_le16(&bytes, 11 + 670, static_cast<uint16_t>(c.stored));
    ASSERT_EQ(read_job_bytes(bytes.data(), bytes.size(), "x", kFailure), 0);
    ASSERT_NE(g_job_settings.post_processor, nullptr);
    EXPECT_EQ(g_job_settings.post_processor->id, c.found) << "stored " << c.stored;
    EXPECT_EQ(g_job_settings.post_processor_number, c.stored) << "the file's number stays";
  }
}

TEST_F(JobTest, ClosingRecordCutAtTheEndDropsTheLastItem) {
  std::vector<uint8_t> bytes = sample_job_bytes();
  bytes.resize(bytes.size() - 5);
  ASSERT_EQ(read_job_bytes(bytes.data(), bytes.size(), "x", kFailure), 0);
  EXPECT_EQ(count_items(), 3);
  EXPECT_EQ(g_host_messages.shown_count, 0);
}

// ---- corrupt files ----

struct Corruption {
  const char* name;
  void (*apply)(std::vector<uint8_t>*);
  int error;
  bool shown;  // the failure text is shown
};

constexpr size_t kSettingsAt = 11;
constexpr size_t kLayersAt = kSettingsAt + 680;

size_t note_at(const std::vector<uint8_t>& b) { return kLayersAt + 2 + get_u16_le(&b[kLayersAt]); }
size_t first_item_at(const std::vector<uint8_t>& b) {
  return note_at(b) + 2 + get_u16_le(&b[note_at(b)]) + 1;
}

const Corruption kCorruptions[] = {
    {"empty file", [](std::vector<uint8_t>* b) { b->clear(); }, JOB_READ_EMPTY_FILE, false},
    {"tag cut", [](std::vector<uint8_t>* b) { b->resize(5); }, JOB_READ_SHORT_TAG, true},
    {"foreign tag", [](std::vector<uint8_t>* b) { (*b)[2] = '9'; }, JOB_READ_UNKNOWN_TAG, true},
    {"tag of a record file",
     [](std::vector<uint8_t>* b) { std::memcpy(b->data(), "SI041697\r", 9); },
     JOB_READ_UNKNOWN_TAG, true},
    {"settings cut", [](std::vector<uint8_t>* b) { b->resize(kSettingsAt + 679); },
     JOB_READ_SHORT_SETTINGS, true},
    {"layer count negative", [](std::vector<uint8_t>* b) { set_le16(b, kLayersAt, 0xFFFE); },
     JOB_READ_BAD_LAYER_BLOCK, true},
    {"layer count past the end",
     [](std::vector<uint8_t>* b) { b->resize(kLayersAt + 100); }, JOB_READ_BAD_LAYER_BLOCK, true},
    {"layer name past its block",
     [](std::vector<uint8_t>* b) { (*b)[kLayersAt + 2 + 2196 + 2 - 9] = 200; },
     JOB_READ_BAD_LAYER_BLOCK, true},
    {"note length negative", [](std::vector<uint8_t>* b) { set_le16(b, note_at(*b), 0x8000); },
     JOB_READ_BAD_NOTE, true},
    {"note length past the end", [](std::vector<uint8_t>* b) { set_le16(b, note_at(*b), 30000); },
     JOB_READ_BAD_NOTE, true},
    {"file ends before the note", [](std::vector<uint8_t>* b) { b->resize(note_at(*b) + 1); },
     JOB_READ_BAD_NOTE, true},
    {"image record past the end",
     [](std::vector<uint8_t>* b) { set_le16(b, kSettingsAt + 388, 32000); }, JOB_READ_SHORT_IMAGE,
     true},
    {"item text length negative",
     [](std::vector<uint8_t>* b) { set_le16(b, first_item_at(*b), 0xFFFF); },
     JOB_READ_BAD_ITEM_TEXT, true},
    {"item text past the end",
     [](std::vector<uint8_t>* b) { set_le16(b, first_item_at(*b), 0x7FFF); },
     JOB_READ_BAD_ITEM_TEXT, true},
    {"one byte of a text length",
     [](std::vector<uint8_t>* b) { b->resize(first_item_at(*b) + 1); }, JOB_READ_BAD_ITEM_TEXT,
     true},
    {"node bytes cut", [](std::vector<uint8_t>* b) { b->resize(first_item_at(*b) + 3 + 10); },
     JOB_READ_SHORT_ITEM, true},
    {"block header cut",
     [](std::vector<uint8_t>* b) { b->resize(first_item_at(*b) + 3 + 20 + 5 + 100); },
     JOB_READ_SHORT_ITEM, true},
    {"huge link count",
     [](std::vector<uint8_t>* b) { set_le32(b, first_item_at(*b) + 23, 0x7FFFFFFF); },
     JOB_READ_BAD_LINK_COUNT, true},
    {"link count 0", [](std::vector<uint8_t>* b) { set_le32(b, first_item_at(*b) + 23, 0); },
     JOB_READ_BAD_LINK_COUNT, true},
    {"negative link count",
     [](std::vector<uint8_t>* b) { set_le32(b, first_item_at(*b) + 23, 0xFFFFFFF0u); },
     JOB_READ_BAD_LINK_COUNT, true},
    {"link records cut", [](std::vector<uint8_t>* b) { b->resize(b->size() - 16 - 20); },
     JOB_READ_BAD_LINK_COUNT, true},
    {"unknown block kind", [](std::vector<uint8_t>* b) { (*b)[first_item_at(*b) + 27] = 3; },
     JOB_READ_BAD_BLOCK_KIND, true},
    {"item type of a folded run",
     [](std::vector<uint8_t>* b) { (*b)[first_item_at(*b) + 5] = 0x80; },
     JOB_READ_BAD_ITEM_TYPE, true},
};

TEST_F(JobTest, CorruptFilesAreRefusedAndTheJobStays) {
  for (const Corruption& c : kCorruptions) {
    SCOPED_TRACE(c.name);
    // The current job: one item, a note, a named layer, a distinctive setting.
    free_current_list();
    reset_layers();
    add_item("", kCircle, 1, ITEM_CIRCLE, GEOMETRY_KIND_DRAWING_AID, 0, 77);
    g_job_file.note = "current";
    set_line_text("Current", layer_line(5));
    g_job_settings.tolerance = 0.0123f;
    g_job_settings.item_id_counter = 77;
    reset_store_host();

    std::vector<uint8_t> bytes = sample_job_bytes();
    c.apply(&bytes);
    EXPECT_EQ(read_job_bytes(bytes.data(), bytes.size(), "/jobs/bad.job", kFailure), -1);
    EXPECT_EQ(g_job_file.last_read_error, c.error);
    ASSERT_EQ(count_items(), 1);
    EXPECT_EQ(item_id(g_lists.current.first), 77);
    EXPECT_EQ(g_job_file.note, "current");
    EXPECT_EQ(layer_line(5)->text, "Current");
    EXPECT_EQ(layer_line(0)->text, " ");
    EXPECT_EQ(g_job_settings.tolerance, 0.0123f);
    EXPECT_EQ(g_job_settings.item_id_counter, 77);
    if (c.shown) {
      EXPECT_EQ(g_host_messages.shown_count, 1);
      EXPECT_EQ(g_host_messages.last_text, "Cannot read /jobs/bad.job");
    } else {
      EXPECT_EQ(g_host_messages.shown_count, 0);
    }
  }
}

TEST_F(JobTest, MissingFileIsSilentAndNullFormatShowsNothing) {
  EXPECT_EQ(read_job_file(path("missing.job"), kFailure), -1);
  EXPECT_EQ(g_job_file.last_read_error, JOB_READ_CANNOT_OPEN);
  EXPECT_EQ(g_host_messages.shown_count, 0);
  write_file(path("bad.job"), {'n', 'o', 't', ' ', 'a', ' ', 'j', 'o', 'b', '!', '!', '!'});
  EXPECT_EQ(read_job_file(path("bad.job"), nullptr), -1);
  EXPECT_EQ(g_job_file.last_read_error, JOB_READ_UNKNOWN_TAG);
  EXPECT_EQ(g_host_messages.shown_count, 0);
  EXPECT_EQ(read_job_file(path("bad.job"), kFailure), -1);
  EXPECT_EQ(g_host_messages.last_text, "Cannot read " + path("bad.job"));
}

// ---- the older layouts ----

// An "SI012699" file: 16-bit link counts, block headers without bytes 2, 3, 6 and 7.
TEST_F(JobTest, OlderItemLayoutIsRead) {
  Bytes b;
  b.text("SI012699\r\r\n").append(factory_settings_bytes()).append(sample_layer_block()).le16(0);
  // A machinable polyline with operation 5 on layer 7.
  b.le16(0).u8(0);
  node_bytes(&b, 0, ITEM_POLYLINE, 0, 0, 1);
  b.le16(2).u8(1);                     // i16 link count, kind
  b.le16(2).u8(1).u8(7);               // count's low half, kind, layer
  b.append(cam_bytes({5, 0, 1, 1, 0.1f, 0, 1, 1000, 10, 0.1f, 0.1f}));
  for (int i = 0; i < 2; ++i) job_link_part(&b, kPolyline[i]);
  job_closing_part(&b, kPolyline[2]);
  // A text item with operation 5 as well.
  b.le16(2).text("Hi").u8(0);
  node_bytes(&b, 1, ITEM_TEXT, 0, 0, 2);
  b.le16(4).u8(2).le16(4).u8(2).u8(4);
  b.append(cam_bytes({5, 0, 0, 0, 0, 0, 1, 1000, 10, 0.1f, 0.1f}));
  b.append(layout_bytes(10, 2, 1, 1, 0, 0));
  for (int i = 0; i < 4; ++i) job_link_part(&b, kTextFrame[i]);
  job_closing_part(&b, kTextFrame[4]);

  ASSERT_EQ(read_job_bytes(b.data.data(), b.size(), "old.job", kFailure), 0);
  ASSERT_EQ(count_items(), 2);
  const DrawingItem* polyline = nth_item(0);
  EXPECT_EQ(item_link_count(polyline), 2);
  EXPECT_EQ(item_layer(polyline), 7);
  EXPECT_EQ(block_cam_op(item_block(polyline)), CAM_OP_ISLAND) << "5 meant island then";
  EXPECT_EQ(item_nodes(polyline)[1].centre.y, 5.0f);
  const DrawingItem* text = nth_item(1);
  EXPECT_EQ(item_layer(text), 4);
  EXPECT_EQ(block_cam_op(item_block(text)), CAM_OP_ISLAND);
  EXPECT_EQ(get_f32_le(block_text_layout(item_block(text))), 10.0f);
  EXPECT_EQ(item_nodes(text)[4].node_flags, NODE_CLOSING);

  // Saved again it is a current-layout file that reads back to the same file.
  const std::vector<uint8_t> current = written_job();
  EXPECT_EQ(std::memcmp(current.data(), "SI120400\r\r\n", 11), 0);
  ASSERT_EQ(read_job_bytes(current.data(), current.size(), "x", kFailure), 0);
  EXPECT_EQ(written_job(), current);
}

TEST_F(JobTest, VerticalTextKeepsOneFrameLink) {
  std::vector<uint8_t> bytes = sample_job_bytes();
  // The text item's layout flags: vertical. Its record still says four links, but one link and
  // the closing record follow.
  Bytes b;
  b.data.assign(bytes.begin(), bytes.begin() + static_cast<long>(first_item_at(bytes)));
  b.le16(1).text("V").u8(0);
  node_bytes(&b, 0, ITEM_TEXT, 0, 0, 9);
  b.le32(4).u8(2).le32(4).u8(2).u8(0).zeros(2).append(cam_bytes(kTextCam));
  b.append(layout_bytes(0, 5, 0, 0, 0x02, 1));
  job_link_part(&b, kTextFrame[0]);
  job_closing_part(&b, kTextFrame[4]);
  ASSERT_EQ(read_job_bytes(b.data.data(), b.size(), "x", kFailure), 0);
  ASSERT_EQ(count_items(), 1);
  EXPECT_EQ(item_link_count(nth_item(0)), 1);
  EXPECT_EQ(item_nodes(nth_item(0))[1].node_flags, NODE_CLOSING);
}

TEST_F(JobTest, VerticalTextIsWrittenWithOneLink) {
  build_sample_job();
  // The text item turned vertical while it still has four frame links: the file must hold
  // what a reader takes, one link and the closing record, or the items after it are lost.
  block_text_layout(item_block(nth_item(3)))[22] = 0x02;
  add_item("", kCircle, 1, ITEM_CIRCLE, GEOMETRY_KIND_DRAWING_AID, 0, 8);
  const std::vector<uint8_t> written = written_job();
  ASSERT_EQ(read_job_bytes(written.data(), written.size(), "x", kFailure), 0);
  ASSERT_EQ(count_items(), 5);
  EXPECT_EQ(item_link_count(nth_item(3)), 1);
  EXPECT_EQ(item_nodes(nth_item(3))[1].point.y, 20.0f) << "the closing record repeats node 0";
  EXPECT_EQ(item_id(nth_item(4)), 8);
  EXPECT_EQ(item_nodes(nth_item(4))[0].code, 5.0f);
}

TEST_F(JobTest, OldTextListsBecomeTextItems) {
  // The defaults of new texts name a face; old texts stay stroke-font texts all the same.
  g_text_host.default_text_layout = [](int) -> const uint8_t* {
    static uint8_t layout[TEXT_LAYOUT_SIZE] = {};
    set_truetype_description(layout + TL_LOG_FONT, "Liberation Sans", 400, false);
    return layout;
  };
  for (const char* tag : {"SI032996\r", "KR-110893"}) {
    SCOPED_TRACE(tag);
    free_current_list();
    g_job_file.note = "old note";
    set_line_text("Named", layer_line(4));
    g_preferences.default_job.tolerance = 0.0042f;
    Bytes b;
    b.text(tag).text("\r\n");
    // "A" then the escape 0x08 'b' (98 - 33 = 65, 'A' again), then "!".
    old_text_record(&b, "A\x08" "b!", 7, ITEM_TEXT, 1, old_params(0, 0));
    old_text_record(&b, "Other", 8, ITEM_RECTANGLE, 0, old_params(0, 0));
    b.text("\r\n");  // an empty text ends the list
    b.text("ignored after the end");
    ASSERT_EQ(read_job_bytes(b.data.data(), b.size(), "old.eng", kFailure), 0);
    ASSERT_EQ(count_items(), 2);
    const DrawingItem* item = nth_item(0);
    EXPECT_EQ(item->text, "AA!");
    EXPECT_EQ(item->id, 7);
    EXPECT_EQ(item->kind, ITEM_TEXT);
    EXPECT_EQ(item->state, 1);
    const uint8_t* layout = block_text_layout(item_block(item));
    EXPECT_EQ(get_f32_le(layout + 0), 0.0f) << "straight text: the layout works the length out";
    EXPECT_EQ(get_f32_le(layout + 140), 20.0f) << "entered length";
    EXPECT_EQ(get_f32_le(layout + 4), 2.0f);
    EXPECT_EQ(get_f32_le(layout + 144), 2.0f);
    EXPECT_EQ(layout[20], 1);
    EXPECT_EQ(layout[21], 1) << "second justification minus 3";
    EXPECT_EQ(get_f32_le(layout + 24), 15.0f);
    EXPECT_EQ(get_i16_le(layout + 48), 2);
    EXPECT_EQ(get_i16_le(layout + 70), 3);
    EXPECT_EQ(get_f32_le(layout + 72), 0.9f);
    EXPECT_EQ(get_f32_le(layout + 136), 0.02f) << "pen width as an absolute value";
    EXPECT_EQ(layout[TL_LOG_FONT + LOG_FONT_FACE], 0) << "a stroke-font text";
    CamParams cam;
    ASSERT_TRUE(get_block_cam(item_block(item), &cam));
    EXPECT_EQ(cam.finishing.tool_number, 5);
    EXPECT_EQ(cam.finishing.rpm, 40000);
    EXPECT_EQ(cam.finishing.feed, 12.5f);
    EXPECT_EQ(cam.finishing.cut_width, 0.02f);
    EXPECT_EQ(cam.finishing.cut_depth, 0.01f);
    EXPECT_EQ(cam.rapid_height, 0.1f);
    EXPECT_EQ(cam.surface_z, 0.25f);
    EXPECT_EQ(nth_item(1)->kind, ITEM_RECTANGLE);
    EXPECT_EQ(nth_item(1)->text, "Other");
    // The job takes the default settings, no note and the default layers.
    EXPECT_EQ(g_job_settings.tolerance, 0.0042f);
    EXPECT_EQ(g_job_file.note, "");
    EXPECT_EQ(layer_line(4)->text, " ");
  }
  reset_text_host();
}

TEST_F(JobTest, OldTextOnAnArcGetsItsFrame) {
  Bytes b;
  b.text("SI032996\r\r\n");
  old_text_record(&b, "Arc", 1, ITEM_TEXT, 0, old_params(10.0f, 0));
  old_text_record(&b, "Vertical", 2, ITEM_TEXT, 0, old_params(10.0f, 0x02));
  ASSERT_EQ(read_job_bytes(b.data.data(), b.size(), "x", kFailure), 0);
  ASSERT_EQ(count_items(), 2);
  // Two arcs about the anchor (1, 2) from 0 to 90 degrees: the outer one of radius 12
  // clockwise from the end back to the start, the inner one of radius 10 counter-clockwise.
  const LinkRecord* frame = item_nodes(nth_item(0));
  struct Case {
    int node;
    float x, y;
  };
  const Case cases[] = {{0, 1, 14}, {1, 13, 2}, {2, 11, 2}, {3, 1, 12}, {4, 1, 14}};
  for (const Case& c : cases) {
    EXPECT_NEAR(frame[c.node].point.x, c.x, 1e-5) << "node " << c.node;
    EXPECT_NEAR(frame[c.node].point.y, c.y, 1e-5) << "node " << c.node;
  }
  EXPECT_EQ(frame[0].code, 12.0f);
  EXPECT_EQ(frame[0].link_flags & LINK_CLOCKWISE, LINK_CLOCKWISE);
  EXPECT_EQ(frame[2].code, 10.0f);
  EXPECT_EQ(frame[2].link_flags & LINK_CLOCKWISE, 0);
  EXPECT_NEAR(frame[2].sweep, 1.5707964f, 1e-5);
  // A vertical text on an arc: one arc link of the arc radius, clockwise (arc side 0).
  const DrawingItem* vertical = nth_item(1);
  ASSERT_EQ(item_link_count(vertical), 1);
  const LinkRecord* link = item_nodes(vertical);
  EXPECT_EQ(link[0].node_flags, NODE_FIRST);
  EXPECT_EQ(link[1].node_flags, NODE_CLOSING);
  EXPECT_EQ(link[0].code, 10.0f);
  EXPECT_EQ(link[0].link_flags & LINK_CLOCKWISE, LINK_CLOCKWISE);
  EXPECT_NEAR(link[0].point.x, 11.0f, 1e-5);
  EXPECT_NEAR(link[1].point.y, 12.0f, 1e-5);
  EXPECT_NEAR(link[0].sweep, 1.5707964f, 1e-5);
}

TEST_F(JobTest, OldTextRecordCutShortFails) {
  Bytes b;
  b.text("KR-110893\r\n");
  old_text_record(&b, "Whole", 1, ITEM_TEXT, 0, old_params(0, 0));
  b.text("Cut\r\n").le16(2).u8(ITEM_TEXT).u8(0).zeros(50);
  add_item("", kCircle, 1, ITEM_CIRCLE, GEOMETRY_KIND_DRAWING_AID, 0, 5);
  EXPECT_EQ(read_job_bytes(b.data.data(), b.size(), "/a.eng", kFailure), -1);
  EXPECT_EQ(g_job_file.last_read_error, JOB_READ_SHORT_TEXT_RECORD);
  ASSERT_EQ(count_items(), 1);
  EXPECT_EQ(nth_item(0)->kind, ITEM_CIRCLE);
  // A record whose type would make the line a folded run.
  Bytes t;
  t.text("KR-110893\r\n");
  old_text_record(&t, "Run", 1, 0x80, 0, old_params(0, 0));
  EXPECT_EQ(read_job_bytes(t.data.data(), t.size(), "/a.eng", kFailure), -1);
  EXPECT_EQ(g_job_file.last_read_error, JOB_READ_BAD_ITEM_TYPE);
  // A text that runs into the end of the file.
  Bytes c;
  c.text("SI032996\r\n").text("no line end");
  EXPECT_EQ(read_job_bytes(c.data.data(), c.size(), "/a.eng", kFailure), -1);
  EXPECT_EQ(g_job_file.last_read_error, JOB_READ_SHORT_TEXT_RECORD);
}

TEST_F(JobTest, OldTextKeepsAtMost999Characters) {
  Bytes b;
  b.text("SI032996\r\n");
  old_text_record(&b, std::string(1000, 'x') + "yz", 1, ITEM_RECTANGLE, 0, old_params(0, 0));
  ASSERT_EQ(read_job_bytes(b.data.data(), b.size(), "x", kFailure), 0);
  const std::string& text = nth_item(0)->text;
  ASSERT_EQ(text.size(), 999u);
  EXPECT_EQ(text.back(), 'z') << "later characters overwrite the last one";
}

// ---- reading the settings alone ----

TEST_F(JobTest, SettingsWithoutAFileAreTheDefaults) {
  g_preferences.default_job.units = JOB_UNITS_MILLIMETRE;
  g_preferences.default_job.tolerance = 0.05f;
  g_job_file.note = "note";
  set_line_text("Named", layer_line(1));
  g_job_settings.job_changed = 1;
  g_job_settings.run_time_area[3] = 9;
  read_job_settings(nullptr, 0);
  EXPECT_EQ(g_job_settings.units, JOB_UNITS_MILLIMETRE);
  EXPECT_EQ(g_job_settings.tolerance, 0.05f);
  EXPECT_EQ(g_job_settings.settings_fresh, 1);
  EXPECT_EQ(g_job_settings.job_changed, 0);
  EXPECT_EQ(g_job_settings.run_time_area[3], 0);
  EXPECT_EQ(g_job_file.note, "");
  EXPECT_EQ(layer_line(1)->text, " ");
}

TEST_F(JobTest, SettingsImportTakesTheFirst441Bytes) {
  std::vector<uint8_t> bytes = sample_job_bytes();
  set_f32(&bytes, kSettingsAt + 72, 0.0077f);   // tolerance, imported
  set_u8(&bytes, kSettingsAt + 664, 1);         // output options, not imported
  set_le16(&bytes, kSettingsAt + 670, 42);      // post-processor number, not imported
  write_file(path("settings.job"), bytes);
  g_job_settings.output_options = 8;
  read_job_settings(path("settings.job").c_str(), JOB_SETTINGS_TAKE_FILE);
  EXPECT_EQ(g_job_settings.tolerance, 0.0077f);
  EXPECT_EQ(g_job_settings.comment_mode, 3);
  EXPECT_EQ(g_job_settings.output_options, 8);
  EXPECT_EQ(g_job_settings.settings_fresh, 1);
  EXPECT_EQ(layer_line(0)->text, " ") << "without the layer flag the layers are the defaults";

  read_job_settings(path("settings.job").c_str(), JOB_SETTINGS_TAKE_LAYERS);
  EXPECT_EQ(layer_line(0)->text, "Cut");
  EXPECT_EQ(g_host_messages.shown_count, 0);
}

TEST_F(JobTest, SettingsFromAnInvalidFileAreReportedAndDefaulted) {
  write_file(path("old.eng"), std::vector<uint8_t>(700, 'S'));
  g_preferences.default_job.comment_mode = 2;
  read_job_settings(path("old.eng").c_str(), JOB_SETTINGS_TAKE_FILE | JOB_SETTINGS_TAKE_LAYERS);
  EXPECT_EQ(g_host_messages.shown_count, 1);
  EXPECT_EQ(g_host_messages.last_text, "\v" + path("old.eng") + "\x13 is not a valid job file.");
  EXPECT_EQ(g_job_settings.comment_mode, 2);
  EXPECT_EQ(g_job_settings.settings_fresh, 1);
}

// ---- saving ----

TEST_F(JobTest, SaveReplacesTheFileAndKeepsTheOldOneAsBackup) {
  open_built_catalogue();
  build_sample_job();
  g_job_file.full_path = path("part.old");
  write_file(path("part.job"), {'O', 'L', 'D'});
  g_job_settings.job_changed = 1;
  EXPECT_EQ(save_job_via_temp(), 0);
  EXPECT_EQ(g_job_file.full_path, path("part.job"));
  std::vector<uint8_t> expected = sample_job_bytes();
  expected[11 + 668] = 1;  // the block is stored as it stood, changed flag and all
  EXPECT_EQ(read_file(path("part.job")), expected);
  EXPECT_EQ(read_file(path("part.BAK")), (std::vector<uint8_t>{'O', 'L', 'D'}));
  EXPECT_FALSE(std::filesystem::exists(path("part.TMP")));
  EXPECT_EQ(g_job_settings.job_changed, 0);
  EXPECT_NE(g_host_messages.last_text.find(" Finished! "), std::string::npos);
  EXPECT_NE(g_host_messages.last_text.find(std::to_string(sample_job_bytes().size() / 1000) + ","),
            std::string::npos)
      << "the byte count with thousands separators: " << g_host_messages.last_text;
}

TEST_F(JobTest, FailedWriteLeavesTheOldFileAndSaysSo) {
  open_built_catalogue();
  build_sample_job();
  g_job_file.full_path = path("part.job");
  const std::vector<uint8_t> old = {'O', 'L', 'D'};
  const std::vector<uint8_t> old_backup = {'B', 'A', 'K'};
  // Every write of the save fails in turn: the tag, settings, layers, note and each item.
  for (int n = 1; n <= 8; ++n) {
    SCOPED_TRACE(n);
    write_file(path("part.job"), old);
    write_file(path("part.BAK"), old_backup);
    reset_store_host();
    g_job_settings.job_changed = 1;
    fail_nth_save_write(n);
    EXPECT_EQ(save_job_via_temp(), 27);
    EXPECT_EQ(read_file(path("part.job")), old);
    EXPECT_EQ(read_file(path("part.BAK")), old_backup) << "no backup shuffle after a failure";
    EXPECT_FALSE(std::filesystem::exists(path("part.TMP")));
    EXPECT_EQ(g_job_settings.job_changed, 1);
    EXPECT_EQ(g_host_messages.shown_count, 1);
    EXPECT_NE(g_host_messages.last_text.find(path("part.job")), std::string::npos);
  }
  fail_nth_save_write(9);  // past the last write: the save goes through
  EXPECT_EQ(save_job_via_temp(), 0);
  std::vector<uint8_t> expected = sample_job_bytes();
  expected[11 + 668] = 1;
  EXPECT_EQ(read_file(path("part.job")), expected);
  EXPECT_EQ(read_file(path("part.BAK")), old);
}

// The two renames of a save fail with messages of their own.
TEST_F(JobTest, FailedRenamesSayWhichOneFailed) {
  open_built_catalogue();
  build_sample_job();
  struct Case {
    const char* name;
    const char* in_the_way;  // a folder, not empty, that a rename cannot replace
    const char* shown;       // part of the message shown
  };
  const Case cases[] = {
      {"the old file cannot become the backup", "part.BAK", "could not be replaced"},
      {"the new file cannot take the name", "part.job", "could not be given the job's name"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(path("part.job"));
    std::filesystem::remove_all(path("part.BAK"));
    if (std::string(c.in_the_way) != "part.job") write_file(path("part.job"), {'O', 'L', 'D'});
    std::filesystem::create_directory(path(c.in_the_way));
    write_file(path(std::string(c.in_the_way) + "/inside"), {'x'});
    reset_store_host();
    g_job_file.full_path = path("part.job");
    g_job_settings.job_changed = 1;
    EXPECT_EQ(save_job_via_temp(), 27);
    EXPECT_EQ(g_job_settings.job_changed, 1) << "the job is not saved";
    EXPECT_FALSE(std::filesystem::exists(path("part.TMP")));
    EXPECT_NE(g_host_messages.last_text.find(c.shown), std::string::npos)
        << g_host_messages.last_text;
    if (std::string(c.in_the_way) != "part.job") {
      EXPECT_EQ(read_file(path("part.job")), (std::vector<uint8_t>{'O', 'L', 'D'}));
    }
  }
}

TEST_F(JobTest, SaveWithoutANameFails) {
  open_built_catalogue();
  EXPECT_EQ(save_job_via_temp(), 27);
  EXPECT_EQ(g_host_messages.shown_count, 1);
}

// ---- autosave ----

TEST_F(JobTest, AutosaveEveryFewMinutes) {
  build_sample_job();
  const std::string autosave = path(AUTOSAVE_FILE_NAME);
  EXPECT_EQ(auto_save_job(100000), 0) << "off";
  EXPECT_FALSE(std::filesystem::exists(autosave));

  g_preferences.autosave_minutes = 2;
  EXPECT_EQ(auto_save_job(1000), 0) << "the first tick starts the first period";
  EXPECT_EQ(g_job_file.next_autosave_tick, 1000u + 2 * 1080);
  EXPECT_EQ(auto_save_job(1000 + 2 * 1080), 0) << "not yet due";
  EXPECT_FALSE(std::filesystem::exists(autosave));
  g_job_settings.job_changed = 1;
  EXPECT_EQ(auto_save_job(1001 + 2 * 1080), 1);
  std::vector<uint8_t> expected = sample_job_bytes();
  expected[11 + 668] = 1;
  EXPECT_EQ(read_file(autosave), expected);
  EXPECT_EQ(g_job_settings.job_changed, 1) << "an autosave is not a save of the job";
  EXPECT_TRUE(g_job_file.full_path.empty());
  EXPECT_EQ(g_job_file.next_autosave_tick, 1001u + 4 * 1080);
  EXPECT_EQ(auto_save_job(1001 + 3 * 1080), 0);

  // Reading a job starts the period again from the clock's time.
  const std::vector<uint8_t> bytes = sample_job_bytes();
  EXPECT_EQ(auto_save_job(50000), 1);
  EXPECT_EQ(auto_save_job(51000), 0);
  ASSERT_EQ(read_job_bytes(bytes.data(), bytes.size(), "x", kFailure), 0);
  EXPECT_EQ(g_job_file.next_autosave_tick, 51000u + 2 * 1080);
}

// ---- the checked-in corpus ----

TEST_F(JobTest, CorpusFilesReadOrAreRefusedCleanly) {
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(JOB_CORPUS_DIR)) {
    if (!entry.is_regular_file()) continue;
    ++files;
    SCOPED_TRACE(entry.path().filename().string());
    const int result = read_job_file(entry.path().string(), kFailure);
    if (result == 0) {
      EXPECT_EQ(g_job_file.last_read_error, JOB_READ_OK);
      // What was read can be written and read again.
      const std::vector<uint8_t> again = written_job();
      EXPECT_EQ(read_job_bytes(again.data(), again.size(), "again", kFailure), 0);
    } else {
      EXPECT_EQ(result, -1);
      EXPECT_LT(g_job_file.last_read_error, 0);
    }
  }
  EXPECT_GE(files, 5);
}

}  // namespace
