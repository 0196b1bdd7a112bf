// The temporary item file (records, merging, damaged files), the DXF reader's edge cases, the
// block exploder's refusals and the whole import road of import_drawing.
#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "import/dxf_pairs.h"
#include "import/exploder/explode.h"
#include "store/record_bytes.h"
#include "tests/import/import_fixture.h"

namespace {

constexpr float EPS = 1e-4f;

class TempItemFile : public ImportFixture {
 protected:
  std::string path() { return (folder_ / "ERASE.ME").string(); }
  // Writes one-link line records from (x0, 0) to (x1, 0) with the item numbers given.
  void write_lines(const std::vector<std::pair<float, int32_t>>& records) {
    TempItemWriter w;
    ASSERT_TRUE(open_temp_item_writer(&w, path()));
    float x = 0;
    for (const auto& [to, number] : records) {
      LinkRecord links[2] = {};
      links[0].point = {x, 0};
      links[0].code = LINK_RIGID_LINE;
      links[1].point = {to, 0};
      w.item_number = number;
      w.held = true;
      ASSERT_EQ(write_temp_item(&w, links, ITEM_POLYLINE), 0);
      x = to;
    }
    ASSERT_TRUE(close_temp_item_writer(&w));
  }
};

TEST_F(TempItemFile, RecordBytesFollowTheLayout) {
  TempItemWriter w;
  ASSERT_TRUE(open_temp_item_writer(&w, path()));
  w.layer = 250;  // a special layer is written as 0
  w.item_number = 7;
  LinkRecord links[2] = {};
  links[0].point = {1, 2};
  links[0].code = LINK_RIGID_LINE;
  links[1].point = {3, 4};
  ASSERT_EQ(write_temp_item(&w, links, ITEM_POLYLINE), 0);
  ASSERT_TRUE(close_temp_item_writer(&w));
  const std::string b = read_file_bytes(path());
  ASSERT_EQ(b.size(), 8u + 52 + 16 + 5);
  const auto* u = reinterpret_cast<const uint8_t*>(b.data());
  EXPECT_EQ(get_i32_le(u), 1);
  EXPECT_EQ(u[4], 0);
  EXPECT_EQ(u[5], 0);
  EXPECT_EQ(u[8], NODE_FIRST);
  EXPECT_EQ(get_i16_le(u + 10), 1);
  EXPECT_EQ(get_f32_le(u + 16), 1.0f);
  EXPECT_EQ(get_f32_le(u + 8 + 24), LINK_RIGID_LINE);
  EXPECT_EQ(u[60], NODE_CLOSING);
  EXPECT_EQ(get_f32_le(u + 60 + 8), 3.0f);
  EXPECT_EQ(u[76], ITEM_POLYLINE);
  EXPECT_EQ(get_i32_le(u + 77), 7);
  EXPECT_EQ(w.item_number, 8);
}

TEST_F(TempItemFile, EqualItemNumbersInARowBecomeOneItem) {
  write_lines({{1, 5}, {2, 5}, {3, 5}, {4, 6}, {5, 5}});
  ASSERT_EQ(read_temp_item_file(path(), 0), TEMP_READ_OK);
  const auto all = items();
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(item_link_count(all[0]), 3);
  EXPECT_NEAR(item_closing_record(all[0])->point.x, 3.0f, EPS);
  EXPECT_EQ(item_nodes(all[0])[1].node_flags, NODE_LOOSE);
  EXPECT_EQ(item_link_count(all[1]), 1);
  EXPECT_EQ(item_link_count(all[2]), 1);
}

TEST_F(TempItemFile, CutTypeGivesMachiningAndPointsAreDrilled) {
  write_lines({{1, 1}});
  ASSERT_EQ(read_temp_item_file(path(), 4), TEMP_READ_OK);
  EXPECT_EQ(block_cam_op(item_block(items()[0])), 4);
}

TEST_F(TempItemFile, DamagedFilesAreRefusedAndFreeWhatWasRead) {
  write_lines({{1, 1}, {2, 2}});
  const std::string good = read_file_bytes(path());
  struct Case {
    const char* label;
    std::string bytes;
    int result;
  } cases[] = {
      {"cut in the second record", good.substr(0, good.size() - 3), TEMP_READ_BROKEN},
      {"header cut short", good + std::string(3, '\0'), TEMP_READ_BROKEN},
      {"link count 0", std::string("\0\0\0\0\0\0\0\0", 8) + good, TEMP_READ_BROKEN},
      {"link count past the end", std::string("\xff\xff\xff\x0f\0\0\0\0", 8), TEMP_READ_BROKEN},
      {"negative link count", std::string("\xff\xff\xff\xff\0\0\0\0", 8), TEMP_READ_BROKEN},
  };
  for (const Case& c : cases) {
    write_file_bytes(path(), c.bytes);
    g_job_host_log.messages.clear();
    EXPECT_EQ(read_temp_item_file(path(), 0), c.result) << c.label;
    EXPECT_EQ(g_lists.current.first, nullptr) << c.label;
    EXPECT_NE(messages().find("at byte"), std::string::npos) << c.label;
  }
  EXPECT_EQ(read_temp_item_file((folder_ / "none").string(), 0), TEMP_READ_CANNOT_OPEN);
}

TEST_F(TempItemFile, ADrawingOfMoreItemsThanIdsIsRefused) {
  TempItemWriter w;
  ASSERT_TRUE(open_temp_item_writer(&w, path()));
  for (int i = 0; i <= IMPORT_MAX_ITEMS; ++i) {
    LinkRecord links[2] = {};
    links[0].code = LINK_RIGID_LINE;
    links[1].point = {1, static_cast<float>(i)};
    ASSERT_EQ(write_temp_item(&w, links, ITEM_POLYLINE), 0);
  }
  ASSERT_TRUE(close_temp_item_writer(&w));
  EXPECT_EQ(read_temp_item_file(path(), 0), TEMP_READ_TOO_LARGE);
  EXPECT_EQ(g_lists.current.first, nullptr);
  EXPECT_NE(messages().find("more than 30000 items"), std::string::npos) << messages();
}

TEST_F(TempItemFile, AnItemFileThatCannotBeCreatedIsReported) {
  g_import.work_folder = (folder_ / "no such folder").string();
  EXPECT_EQ(import_geometry(write_file("a.nc", "G1 X1\n"), IMPORT_NC), IMPORT_NO_TEMP_FILE);
  EXPECT_NE(messages().find("cannot be created"), std::string::npos) << messages();
}

// ---- DXF edge cases ----

class DxfCases : public ImportFixture {};

std::string polyline(int flags, const std::vector<std::array<double, 3>>& vertices) {
  std::string s = "0\nPOLYLINE\n8\n0\n66\n1\n70\n" + std::to_string(flags) + "\n";
  for (const auto& v : vertices)
    s += "0\nVERTEX\n8\n0\n10\n" + std::to_string(v[0]) + "\n20\n" + std::to_string(v[1]) + "\n42\n" +
         std::to_string(v[2]) + "\n";
  return s + "0\nSEQEND\n";
}

TEST_F(DxfCases, BulgesOfPolylines) {
  struct Case {
    const char* label;
    std::string entities;
    int links;
    bool clockwise;
  } cases[] = {
      {"bulge 1: counter-clockwise half circle", polyline(0, {{{0, 0, 1}}, {{2, 0, 0}}}), 1, false},
      {"bulge -1: clockwise half circle", polyline(0, {{{0, 0, -1}}, {{2, 0, 0}}}), 1, true},
      {"closed, three vertices, no bulges", polyline(1, {{{0, 0, 0}}, {{2, 0, 0}}, {{0, 2, 0}}}), 3, false},
  };
  for (const Case& c : cases) {
    free_list(g_lists.current.first);
    reset_list_store();
    ASSERT_EQ(import_file(write_file("p.dxf", dxf_of(c.entities))), TEMP_READ_OK) << c.label;
    const auto all = items();
    ASSERT_EQ(all.size(), 1u) << c.label;
    ASSERT_EQ(item_link_count(all[0]), c.links) << c.label;
    const LinkRecord* r = item_nodes(all[0]);
    if (c.links == 1) {
      EXPECT_NEAR(r->code, 1.0f, EPS) << c.label;
      EXPECT_NEAR(r->sweep, M_PI, 1e-5) << c.label;
      EXPECT_EQ((r->link_flags & LINK_CLOCKWISE) != 0, c.clockwise) << c.label;
      // Counter-clockwise from (0, 0) to (2, 0) the half circle passes below the chord.
      const float mid_y = item_samples(all[0], 2)[1].y;
      EXPECT_NEAR(mid_y, c.clockwise ? 1.0f : -1.0f, EPS) << c.label;
    } else {
      EXPECT_TRUE(item_is_closed(all[0])) << c.label;
      for (int i = 0; i < 3; ++i) EXPECT_TRUE(code_is_line(r[i].code)) << c.label;
    }
  }
}

TEST_F(DxfCases, SolidWithAVerticalEdgeWritesAllFourEdges) {
  ASSERT_EQ(import_file(write_file("s.dxf", dxf_of("0\nSOLID\n8\n0\n10\n0\n20\n0\n11\n0\n21\n2\n12\n3\n22\n0\n13\n3\n23\n2\n"))),
            TEMP_READ_OK);
  const auto all = items();
  ASSERT_EQ(all.size(), 1u);
  EXPECT_EQ(item_link_count(all[0]), 4);
  EXPECT_TRUE(item_is_closed(all[0]));
}

TEST_F(DxfCases, LayerNamesAndNumbers) {
  const std::string entities = "0\nLINE\n8\n7\n10\n0\n20\n0\n11\n1\n21\n0\n0\nLINE\n8\nEngrave\n10\n0\n20\n0\n11\n1\n21\n0\n";
  const std::string path = write_file("l.dxf", dxf_of(entities));
  struct Case {
    int flags;
    uint8_t named_layer;
  } cases[] = {{IMPORT_MATCH_LAYER_NAMES, 1}, {IMPORT_LAYER_NAMES_OFF | IMPORT_MATCH_LAYER_NAMES, 0}, {0, 0}};
  for (const Case& c : cases) {
    free_list(g_lists.current.first);
    reset_list_store();
    reset_layers();
    ASSERT_EQ(import_file(path, c.flags), TEMP_READ_OK);
    EXPECT_EQ(item_layer(items()[0]), 7) << c.flags;
    EXPECT_EQ(item_layer(items()[1]), c.named_layer) << c.flags;
  }
  // A name met again finds its layer, whatever its case.
  free_list(g_lists.current.first);
  reset_list_store();
  ASSERT_EQ(import_file(write_file("m.dxf", dxf_of("0\nPOINT\n8\nENGRAVE\n10\n1\n20\n1\n")), IMPORT_MATCH_LAYER_NAMES),
            TEMP_READ_OK);
  EXPECT_EQ(item_layer(items()[0]), 1);
}

TEST_F(DxfCases, DamagedFilesAreRefusedWithTheirLine) {
  struct Case {
    const char* label;
    std::string text;
    const char* where;
  } cases[] = {
      {"a code that is not a number", "0\nSECTION\n2\nENTITIES\n0\nLINE\nten\n5\n", "line 7"},
      {"a code without its value", "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\n", "line 7"},
      {"no ENTITIES section", "0\nSECTION\n2\nHEADER\n0\nENDSEC\n0\nEOF\n", "ENTITIES"},
      {"binary", std::string("AutoCAD Binary DXF\r\n\x1a\0", 22), "binary"},
      {"empty", "", "ENTITIES"},
  };
  for (const Case& c : cases) {
    g_job_host_log.messages.clear();
    EXPECT_EQ(import_geometry(write_file("d.dxf", c.text), IMPORT_DXF), IMPORT_FAILED) << c.label;
    EXPECT_NE(messages().find(c.where), std::string::npos) << c.label << ": " << messages();
    EXPECT_FALSE(file_exists(temp_item_file_path())) << c.label;
  }
}

TEST_F(DxfCases, EmptyValuesAndCarriageReturnsKeepThePairs) {
  // An empty text value and CR line ends do not shift the pairs that follow.
  const std::string text = "0\r\nSECTION\r\n2\r\nENTITIES\r\n0\r\nLINE\r\n1\r\n\r\n8\r\n0\r\n10\r\n1  \r\n20\r\n1\r\n11\r\n4\r\n21\r\n5\r\n0\r\nENDSEC\r\n0\r\nEOF\r\n";
  ASSERT_EQ(import_file(write_file("e.dxf", text)), TEMP_READ_OK) << messages();
  ASSERT_EQ(items().size(), 1u);
  EXPECT_NEAR(item_closing_record(items()[0])->point.y, 5.0f, EPS);
}

TEST_F(DxfCases, SkippedKindsAreNamedWithCountsInOneNote) {
  ASSERT_EQ(import_file(write_file("k.dxf", dxf_of("0\nTEXT\n8\n0\n1\nhi\n0\nTEXT\n8\n0\n0\nMTEXT\n8\n0\n0\nPOINT\n8\n0\n10\n0\n20\n0\n"))),
            TEMP_READ_OK);
  ASSERT_EQ(g_job_host_log.messages.size(), 1u);
  EXPECT_NE(messages().find("1 MTEXT, 2 TEXT"), std::string::npos) << messages();
}

// ---- the exploder ----

std::string block_file(const std::string& blocks, const std::string& entities) {
  return "0\nSECTION\n2\nBLOCKS\n" + blocks + "0\nENDSEC\n" + dxf_of(entities);
}

std::string block_of(const std::string& name, const std::string& entities) {
  return "0\nBLOCK\n2\n" + name + "\n10\n0\n20\n0\n30\n0\n" + entities + "0\nENDBLK\n";
}

std::string insert_of(const std::string& name, const char* layer = "0", const std::string& extra = "") {
  return "0\nINSERT\n8\n" + std::string(layer) + "\n2\n" + name + "\n10\n1\n20\n0\n30\n0\n" + extra;
}

TEST(Exploder, CyclesAndDeepNestingAreRefused) {
  std::string out, error;
  const std::string cycle = block_file(block_of("A", insert_of("B")) + block_of("B", insert_of("A")), insert_of("A"));
  EXPECT_FALSE(explode_dxf_text(cycle, &out, &error));
  EXPECT_NE(error.find("inserts itself"), std::string::npos) << error;
  std::string blocks;
  for (int i = 0; i < 17; ++i) blocks += block_of("L" + std::to_string(i), insert_of("L" + std::to_string(i + 1)));
  blocks += block_of("L17", "0\nPOINT\n8\n0\n10\n0\n20\n0\n");
  EXPECT_FALSE(explode_dxf_text(block_file(blocks, insert_of("L0")), &out, &error));
  EXPECT_NE(error.find("16 levels"), std::string::npos) << error;
  // Sixteen levels are fine: the point arrives, moved once per level.
  std::string sixteen;
  for (int i = 0; i < 15; ++i) sixteen += block_of("L" + std::to_string(i), insert_of("L" + std::to_string(i + 1)));
  sixteen += block_of("L15", "0\nPOINT\n8\n0\n10\n0\n20\n0\n");
  ASSERT_TRUE(explode_dxf_text(block_file(sixteen, insert_of("L0", "top")), &out, &error)) << error;
  EXPECT_NE(out.find("POINT\n8\ntop\n10\n16\n"), std::string::npos) << out;
}

TEST(Exploder, MinsertGridAndLayerZeroTakingTheInsertLayer) {
  std::string out, error;
  const std::string text = block_file(block_of("P", "0\nPOINT\n8\n0\n10\n0\n20\n0\n0\nPOINT\n8\nown\n10\n0\n20\n0\n"),
                                      insert_of("P", "grid", "70\n3\n71\n2\n44\n10\n45\n5\n"));
  ASSERT_TRUE(explode_dxf_text(text, &out, &error)) << error;
  size_t grid = 0, own = 0;
  for (size_t at = out.find("POINT\n8\ngrid"); at != std::string::npos; at = out.find("POINT\n8\ngrid", at + 1)) ++grid;
  for (size_t at = out.find("POINT\n8\nown"); at != std::string::npos; at = out.find("POINT\n8\nown", at + 1)) ++own;
  EXPECT_EQ(grid, 6u);
  EXPECT_EQ(own, 6u);
  EXPECT_NE(out.find("10\n21\n20\n5\n"), std::string::npos) << out;  // column 2, row 1
}

TEST_F(DxfCases, AFailingExploderIsNamedAndTheInputRead) {
  // An "exploder" that fails with a reason.
  const std::string script = write_file(DXF_EXPLODER_NAME, "#!/bin/sh\necho 'no room left' >&2\nexit 3\n");
  std::filesystem::permissions(script, std::filesystem::perms::owner_all);
  ASSERT_EQ(import_file(write_file("x.dxf", dxf_of("0\nPOINT\n8\n0\n10\n0\n20\n0\n"))), TEMP_READ_OK);
  EXPECT_EQ(items().size(), 1u);
  EXPECT_NE(messages().find("no room left"), std::string::npos) << messages();
}

// ---- import_drawing ----

class ImportDrawing : public ImportFixture {};

TEST_F(ImportDrawing, ANewJobIsNamedAfterTheFileAndAFixedLayerWins) {
  ImportOptions options;
  options.fixed_layer = 9;
  options.cut_type = 1;
  const std::string path = write_file("plate.dxf", dxf_of("0\nLINE\n8\n7\n10\n0\n20\n0\n11\n1\n21\n0\n"));
  ASSERT_EQ(import_drawing(IMPORT_MODE_FORM, &options, path), 1) << messages();
  EXPECT_EQ(g_job_file.full_path, (folder_ / "plate.job").string());
  ASSERT_EQ(items().size(), 1u);
  EXPECT_EQ(item_layer(items()[0]), 9);
  EXPECT_EQ(item_id(items()[0]), g_job_settings.item_id_counter);
  EXPECT_NE(g_job_settings.job_changed & JOB_CHANGED, 0);
  EXPECT_FALSE(file_exists(temp_item_file_path()));
  EXPECT_NE(messages().find("missing the DXF block exploder"), std::string::npos);
}

TEST_F(ImportDrawing, ItemsComeAfterTheDrawingAndARefusedImportChangesNothing) {
  ImportOptions options;
  ASSERT_EQ(import_drawing(IMPORT_MODE_FORM, &options, write_file("a.dxf", dxf_of("0\nPOINT\n8\n0\n10\n0\n20\n0\n"))), 1);
  ASSERT_EQ(import_drawing(IMPORT_MODE_FORM, &options, write_file("b.dxf", dxf_of("0\nPOINT\n8\nnew\n10\n5\n20\n0\n"))), 1);
  ASSERT_EQ(items().size(), 2u);
  EXPECT_NEAR(item_nodes(items()[1])->point.x, 5.0f, EPS);
  const std::string layer_name = layer_line(2)->text;
  g_job_settings.job_changed = 0;
  EXPECT_EQ(import_drawing(IMPORT_MODE_FORM, &options,
                           write_file("c.dxf", "0\nSECTION\n2\nENTITIES\n0\nPOINT\n8\nother\n10\n")),
            0);
  EXPECT_EQ(items().size(), 2u);
  EXPECT_EQ(layer_line(2)->text, layer_name);
  EXPECT_EQ(g_job_settings.job_changed, 0);
  EXPECT_EQ(import_drawing(IMPORT_MODE_FORM, &options, ""), 0);
  EXPECT_NE(messages().find("You must specify a file!"), std::string::npos);
}

TEST_F(ImportDrawing, OptimiseLeavesAnIslandImportInTheOrderRead) {
  ImportOptions options;
  options.cut_type = 6;
  options.optimise = 1;
  options.file_type = IMPORT_TYPE_NC;
  ASSERT_EQ(import_drawing(IMPORT_MODE_FORM, &options, write_file("i.nc", "G1 X1\nX2\nX3\n")), 1);
  ASSERT_EQ(items().size(), 3u);
  EXPECT_TRUE(g_cam_host_log.messages.empty());
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(item_closing_record(items()[i])->point.x, i + 1.0f, EPS);
}

TEST_F(ImportDrawing, TheTemplateIsChosenThenLoadedIntoItsOwnList) {
  ImportOptions options;
  const std::string path = write_file("t.plt", "PU0,0;PD40,0;");
  g_job_host_log.chosen_file = path;
  ASSERT_EQ(import_drawing(IMPORT_MODE_TEMPLATE, &options, ""), 1);
  EXPECT_STREQ(g_job_settings.template_path, path.c_str());
  EXPECT_EQ(load_template_file(g_job_settings.template_path), 1);
  EXPECT_EQ(load_template_file(g_job_settings.template_path), 0);
  EXPECT_NE(g_import.template_items.first, nullptr);
  EXPECT_EQ(g_lists.current.first, nullptr);
  EXPECT_EQ(load_template_file((folder_ / "gone.dxf").string()), -2);
  EXPECT_EQ(load_template_file(write_file("empty.dxf", dxf_of(""))), -1);
}

}  // namespace
