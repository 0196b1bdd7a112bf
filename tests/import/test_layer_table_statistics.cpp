// The DXF layer-name table (golden bytes, blank entries, damaged files, applying it) and the
// job statistics report.
#include <gtest/gtest.h>

#include "job/job_statistics.h"
#include "store/record_bytes.h"
#include "tests/import/import_fixture.h"
#include "tests/support/test_bytes.h"

namespace {

class DxfLayerTableTest : public ImportFixture {
 protected:
  std::string table_path() { return (folder_ / DXF_LAYER_TABLE_FILE).string(); }
};

DxfLayerEntry entry(int32_t number, const std::string& name, uint8_t op, uint32_t colour) {
  DxfLayerEntry e;
  e.number = number;
  e.name = name;
  e.colour = colour;
  e.entry_byte = 0x5A;
  e.block[CAM_PARAMS_OFFSET] = op;
  e.block[CAM_PARAMS_OFFSET + 1] = 1;
  return e;
}

TEST_F(DxfLayerTableTest, GoldenBytesOfAnEntry) {
  uint8_t out[DXF_LAYER_ENTRY_SIZE];
  write_dxf_layer_entry(entry(3, "Cut", 4, 0x00FF8040), out);
  std::vector<uint8_t> expected(DXF_LAYER_ENTRY_SIZE, 0);
  expected[16] = 3;
  expected[20] = 0x40;
  expected[21] = 0x80;
  expected[22] = 0xFF;
  expected[24] = 0x5A;
  expected[25] = 'C';
  expected[26] = 'u';
  expected[27] = 't';
  expected[85 + 8] = 4;
  expected[85 + 9] = 1;
  EXPECT_EQ(std::vector<uint8_t>(out, out + DXF_LAYER_ENTRY_SIZE), expected);
  DxfLayerEntry back;
  read_dxf_layer_entry(out, &back);
  EXPECT_EQ(back.name, "Cut");
  EXPECT_EQ(back.colour, 0x00FF8040u);
  EXPECT_EQ(back.entry_byte, 0x5A);
}

TEST_F(DxfLayerTableTest, BlankEntriesAreLeftOutAndLaterOnesKept) {
  const std::vector<DxfLayerEntry> entries = {entry(0, "A", 1, 1), entry(1, "B", 1, 2), entry(2, "", 0, 0),
                                              entry(3, "D", 4, 3)};
  ASSERT_EQ(write_dxf_layer_table(table_path(), entries), 0);
  EXPECT_EQ(read_file_bytes(table_path()).size(), 3 * DXF_LAYER_ENTRY_SIZE);
  std::vector<DxfLayerEntry> back;
  ASSERT_EQ(read_dxf_layer_table(table_path(), &back), 0);
  ASSERT_EQ(back.size(), 3u);
  EXPECT_EQ(back[2].name, "D");
}

TEST_F(DxfLayerTableTest, DamagedFilesKeepTheEntriesBeforeTheDamage) {
  ASSERT_EQ(write_dxf_layer_table(table_path(), {entry(0, "A", 1, 1), entry(1, "B", 1, 2)}), 0);
  std::string bytes = read_file_bytes(table_path());
  struct Case {
    const char* label;
    std::string bytes;
    size_t kept;
    int result;
  } cases[] = {
      {"cut short", bytes.substr(0, bytes.size() - 10), 1, -1},
      {"entry number 244", bytes.substr(0, DXF_LAYER_ENTRY_SIZE) + std::string(16, '\0') + "\xf4" +
                               std::string(DXF_LAYER_ENTRY_SIZE - 17, '\0'), 1, -1},
      {"a name without its end", std::string(16, '\0') + std::string(4, '\0') + std::string(5, '\0') +
                                     std::string(60, 'x') + std::string(200, '\0'), 1, 0},
      {"missing file gives one blank entry", "", 1, 0},
  };
  for (const Case& c : cases) {
    write_file_bytes(table_path(), c.bytes);
    std::vector<DxfLayerEntry> back;
    EXPECT_EQ(read_dxf_layer_table(table_path(), &back), c.result) << c.label;
    ASSERT_EQ(back.size(), c.kept) << c.label;
    EXPECT_LE(back[0].name.size(), DXF_LAYER_NAME_SIZE - 1) << c.label;
  }
}

TEST_F(DxfLayerTableTest, AppliedToTheSelectedItemsOfNamedLayers) {
  ASSERT_EQ(write_dxf_layer_table(table_path(), {entry(0, "Cut", 4, 0x123456), entry(1, "Aid", 0, 0x654321)}), 0);
  set_line_text("CUT", layer_line(1));
  set_line_text("aid", layer_line(2));
  ImportOptions options;
  options.cut_type = 1;
  const std::string path = write_file("l.dxf", dxf_of(
      "0\nPOINT\n8\nCUT\n10\n0\n20\n0\n0\nLINE\n8\naid\n10\n0\n20\n0\n11\n1\n21\n0\n"
      "0\nLINE\n8\nother\n10\n0\n20\n0\n11\n1\n21\n1\n"));
  ASSERT_EQ(import_drawing(IMPORT_MODE_LAYER_TABLE, &options, path), 1) << messages();
  const auto all = items();
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(block_cam_op(item_block(all[0])), 4);
  EXPECT_EQ(g_layers.colours[1], 0x123456u);
  EXPECT_EQ(item_block(all[1])->cam_kind, GEOMETRY_KIND_DRAWING_AID);
  EXPECT_EQ(block_cam_op(item_block(all[2])), 1);
  // Only selected items are changed.
  free_list(g_lists.current.first);
  reset_list_store();
  ASSERT_EQ(import_file(path, IMPORT_MATCH_LAYER_NAMES, 1), TEMP_READ_OK);
  set_item_flags(items()[0], 0);
  apply_dxf_layer_table();
  EXPECT_EQ(block_cam_op(item_block(items()[0])), 1);
}

// ---- job statistics ----

class JobStatistics : public ImportFixture {
 protected:
  DrawingItem* add_item(uint8_t type, uint8_t op, int16_t tool, uint8_t shape, float size, float x) {
    LinkRecord links[2] = {};
    links[0].point = {x, 0};
    links[0].code = type == ITEM_POINT ? LINK_POINT : LINK_RIGID_LINE;
    links[1].point = {type == ITEM_POINT ? x : x + 1, 2};
    EXPECT_EQ(new_geometry_block("", links, 1, 0, GEOMETRY_KIND_MACHINABLE), 0);
    DrawingItem* item = g_lists.current.last;
    item->kind = type;
    set_item_flags(item, ITEM_FLAG_SELECTED);
    CamParams cam;
    cam.operation = op;
    cam.finishing.tool_number = tool;
    cam.finishing.shape = shape;
    cam.finishing.size = size;
    cam.finishing.cut_width = size;
    put_block_cam(item_block(item), cam);
    item_bounding_boxes(item);
    return item;
  }
  std::string report() {
    std::string note;
    std::string all;
    for (const std::string& line : job_statistics_lines(g_lists.current.first, nullptr, false, 0, &note))
      all += line + "\n";
    return all.empty() ? note : all;
  }
};

TEST_F(JobStatistics, OnlyUnselectedItemsMeanNothingMachinable) {
  set_item_flags(add_item(ITEM_POLYLINE, 1, 1, 0, 3, 0), 0);
  EXPECT_EQ(report(), NO_MACHINABLE_ITEMS);
  g_layers.visibility[0] = 0;
  EXPECT_EQ(report(), ONLY_INACTIVE_LAYERS);
}

TEST_F(JobStatistics, ToolsHolesAndCounts) {
  add_item(ITEM_POLYLINE, 1, 2, 0, 3, 0);
  add_item(ITEM_POLYLINE, 1, 2, 0, 3, 5);                            // same tool: one line
  add_item(ITEM_POLYLINE, 4, 5, 1, 60.0f * M_PI / 180.0f, 10);       // tapered 60 degrees
  DrawingItem* drill = add_item(ITEM_POINT, 1, 7, 0, 2.5f, 20);
  set_point_array(item_closing_record(drill), 4, 3, 1);              // 3 rows of 4
  add_item(ITEM_POLYLINE, 6, 0, 0, 0, 30);                           // an island
  const std::string text = report();
  EXPECT_NE(text.find("  Tool #\f2    \x13 3 diameter end mill\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("Tool #\f2"), text.rfind("Tool #\f2")) << text;
  EXPECT_NE(text.find("60 degree taper"), std::string::npos) << text;
  EXPECT_NE(text.find("  Tool #\f7    \x13 2.5 diameter \vdrill"), std::string::npos) << text;
  EXPECT_NE(text.find("Total holes drilled: \v12"), std::string::npos) << text;
  EXPECT_NE(text.find("Total items in this job: \v5"), std::string::npos) << text;
  EXPECT_NE(text.find("Engraved: \v2"), std::string::npos) << text;
  EXPECT_NE(text.find("Pocketed: \v1"), std::string::npos) << text;
  EXPECT_NE(text.find("Islands: \v1"), std::string::npos) << text;
  EXPECT_NE(text.find("     Length: \v31"), std::string::npos) << text;
  EXPECT_NE(text.find(" Surface:\v Flat surface "), std::string::npos) << text;
}

TEST_F(JobStatistics, ShownInALineWindowThroughTheHost) {
  add_item(ITEM_POLYLINE, 1, 1, 0, 3, 0);
  show_job_statistics(nullptr, true);
  ASSERT_FALSE(g_job_host_log.lines.empty());
  EXPECT_EQ(g_job_host_log.lines_title, JOB_STATISTICS_TITLE);
  bool template_note = false;
  for (const std::string& line : g_job_host_log.lines) {
    EXPECT_LE(line.size(), 60u);
    template_note |= line == " * Dimensions ignore the template.";
  }
  EXPECT_TRUE(template_note);
}

}  // namespace
