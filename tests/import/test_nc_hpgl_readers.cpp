// The NC and plotter readers: lines of G-code and HP-GL commands into items, their edge cases as
// tables, and damaged files refused.
#include <gtest/gtest.h>

#include <cmath>

#include "import/import_nc.h"
#include "tests/import/import_fixture.h"

namespace {

constexpr float EPS = 1e-4f;

class NcReader : public ImportFixture {
 protected:
  int read_program(const std::string& text, int flags = IMPORT_NC) {
    return import_file(write_file("p.nc", text), flags);
  }
};

TEST(CleanNcLine, CommentsStarsApostrophesAndCommas) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"G1 X1 (X5) Y2", "G1 X1      Y2"},
      {"G1 X1 *X5", "G1 X1 "},
      {"G1 X1 'comment X9", "G1 X1 "},
      {"G1 X1,5", "G1 X1.5"},
      {"(unclosed X5", "            "},
  };
  for (const Case& c : cases) {
    std::string line = c.in;
    clean_nc_line(&line);
    EXPECT_EQ(line, c.out) << c.in;
  }
}

TEST_F(NcReader, HalfCircleArcClockwiseFromOrigin) {
  ASSERT_EQ(read_program("G1 X0 Y0\nG2 X1 Y0 I0.5 J0\n"), TEMP_READ_OK) << messages();
  const auto all = items();
  ASSERT_EQ(all.size(), 1u);
  const LinkRecord* r = item_nodes(all[0]);
  EXPECT_NEAR(r->code, 0.5f, EPS);
  EXPECT_NE(r->link_flags & LINK_CLOCKWISE, 0);
  EXPECT_NEAR(r->sweep, M_PI, 1e-5);
  EXPECT_NEAR(r->centre.x, 0.5f, EPS);
  EXPECT_NEAR(r[1].point.x, 1.0f, EPS);
}

TEST_F(NcReader, ArcWhoseEndIsOffTheCircleBecomesALine) {
  ASSERT_EQ(read_program("G2 X1.05 Y0 I0.5 J0\n"), TEMP_READ_OK);
  const auto all = items();
  ASSERT_EQ(all.size(), 1u);
  EXPECT_EQ(item_nodes(all[0])->code, LINK_RIGID_LINE);
}

// Each case: a program and the end points of its cuts.
TEST_F(NcReader, MovesOfProgramLines) {
  struct Case {
    const char* label;
    const char* program;
    std::vector<PointF> ends;
  } cases[] = {
      {"comment and star do not move", "G1 X1 Y1\n(X5) Y2\nX3 *Y9\n", {{1, 1}, {1, 2}, {3, 2}}},
      {"G91 X1 moves by 1, no Y no motion", "G1 X2 Y2\nG91 X1\nY-1\n", {{2, 2}, {3, 2}, {3, 1}}},
      {"blank lines are read past", "G1 X1\n\n\nX2\n", {{1, 0}, {2, 0}}},
      {"rapids cut nothing", "G0 X5 Y5\nG1 X6\n", {{6, 5}}},
      {"X# is no coordinate", "G1 X#1 Y3\n", {{0, 3}}},
      {"lower case and CR line ends", "g1 x1 y1\r\nx2\r\n", {{1, 1}, {2, 1}}},
  };
  for (const Case& c : cases) {
    free_list(g_lists.current.first);
    reset_list_store();
    ASSERT_EQ(read_program(c.program), TEMP_READ_OK) << c.label;
    const auto all = items();
    ASSERT_EQ(all.size(), c.ends.size()) << c.label;
    for (size_t i = 0; i < all.size(); ++i) {
      EXPECT_NEAR(item_closing_record(all[i])->point.x, c.ends[i].x, EPS) << c.label;
      EXPECT_NEAR(item_closing_record(all[i])->point.y, c.ends[i].y, EPS) << c.label;
    }
  }
}

TEST_F(NcReader, EveryImportStartsAtTheOrigin) {
  ASSERT_EQ(read_program("G1 X5 Y5\n"), TEMP_READ_OK);
  free_list(g_lists.current.first);
  reset_list_store();
  ASSERT_EQ(read_program("G1 X1\n"), TEMP_READ_OK);
  EXPECT_NEAR(item_nodes(items()[0])->point.x, 0.0f, EPS);
  EXPECT_NEAR(item_nodes(items()[0])->point.y, 0.0f, EPS);
}

TEST_F(NcReader, RadiusWordsWholeCirclesAndAbsoluteCentres) {
  // R 1 from (0,0) to (2,0) clockwise: centre (1,0); R -1.5: more than half a circle.
  ASSERT_EQ(read_program("G2 X2 Y0 R1\nG0 X0 Y0\nG3 X2 Y0 R-1.5\nG0 X0 Y0\nG2 I1 J0\n"), TEMP_READ_OK)
      << messages();
  const auto all = items();
  ASSERT_EQ(all.size(), 3u);
  EXPECT_NEAR(item_nodes(all[0])->centre.x, 1.0f, EPS);
  EXPECT_NEAR(item_nodes(all[0])->centre.y, 0.0f, EPS);
  EXPECT_GT(item_nodes(all[1])->sweep, M_PI);
  EXPECT_NEAR(item_nodes(all[1])->code, 1.5f, EPS);
  EXPECT_NEAR(item_nodes(all[2])->sweep, 2 * M_PI, 1e-4);
  free_list(g_lists.current.first);
  reset_list_store();
  ASSERT_EQ(read_program("G1 X1 Y0\nG3 X3 Y0 I2 J0\n", IMPORT_NC | IMPORT_ABSOLUTE_CENTRES), TEMP_READ_OK);
  EXPECT_NEAR(item_nodes(items()[1])->centre.x, 2.0f, EPS);
}

TEST_F(NcReader, TextFilesReadAsNcWithAbsoluteCentres) {
  EXPECT_EQ(import_type_flags("a/B.TXT", 0), IMPORT_NC | IMPORT_ABSOLUTE_CENTRES);
  EXPECT_EQ(import_type_flags("a/b.plt", 0), IMPORT_PLOTTER);
  EXPECT_EQ(import_type_flags("a/b.dc2", 0), IMPORT_PLOTTER | IMPORT_DC2);
  EXPECT_EQ(import_type_flags("a.b/c", 0), IMPORT_DXF);
  EXPECT_EQ(import_type_flags("x.plt", IMPORT_DXF | IMPORT_MATCH_LAYER_NAMES), IMPORT_DXF | IMPORT_MATCH_LAYER_NAMES);
}

// ---- plotter files ----

class HpglReaderTest : public ImportFixture {
 protected:
  int read_plot(const std::string& text) { return import_file(write_file("p.plt", text)); }
};

// base 64 / 32 digits of the numbers, least significant first; the sign in the lowest bit.
TEST(DecodePeNumber, Cases) {
  struct Case {
    std::vector<unsigned char> bytes;
    int base;
    long value;
  } cases[] = {
      {{193}, 64, 1},          {{194}, 64, -1},   {{64, 192}, 64, -32},
      {{191}, 64, 0},          {{96}, 32, 0},     {{97}, 32, 1},
      {{100}, 32, -2},         {{63, 63}, 64, HPGL_PE_END},
  };
  for (const Case& c : cases) {
    HpglReader r;
    r.data = c.bytes.data();
    r.size = c.bytes.size();
    const long v = decode_pe_number(&r, c.base, 0);
    EXPECT_EQ(v, c.value) << "first byte " << int(c.bytes[0]);
  }
}

TEST_F(HpglReaderTest, PlotterUnitsOfAMillimetreJob) {
  ASSERT_EQ(read_plot("IN;SP1;PU0,0;PD1016,0;PU;"), TEMP_READ_OK) << messages();
  const auto all = items();
  ASSERT_EQ(all.size(), 1u);
  EXPECT_NEAR(item_closing_record(all[0])->point.x, 25.4f, 1e-3f);
  EXPECT_EQ(item_layer(all[0]), 1);
}

TEST_F(HpglReaderTest, UnitsPositionsAndScaling) {
  struct Case {
    const char* label;
    const char* plot;
    float end_x, end_y;
  } cases[] = {
      {"decimal coordinates", "PU0,0;PD10.5,20.25;", 10.5f * 0.025f, 20.25f * 0.025f},
      {"past 32767, no wrap", "PU40000,0;PD50000,0;", 50000 * 0.025f, 0},
      {"relative pairs", "PU100,100;PR;PD10,0,0,10;", 110 * 0.025f, 110 * 0.025f},
      {"SC without IP keeps plotter units", "SC0,10,0,10;PU0,0;PD100,0;", 100 * 0.025f, 0},
      {"IP and SC scale", "IP0,0,4000,4000;SC0,100,0,100;PU0,0;PD50,0;", 2000 * 0.025f, 0},
  };
  for (const Case& c : cases) {
    free_list(g_lists.current.first);
    reset_list_store();
    ASSERT_EQ(read_plot(c.plot), TEMP_READ_OK) << c.label;
    const auto all = items();
    ASSERT_EQ(all.size(), 1u) << c.label;
    EXPECT_NEAR(item_closing_record(all[0])->point.x, c.end_x, 1e-3f) << c.label;
    EXPECT_NEAR(item_closing_record(all[0])->point.y, c.end_y, 1e-3f) << c.label;
  }
}

std::string pe_number(long v) {
  unsigned long u = v < 0 ? static_cast<unsigned long>(-v) * 2 + 1 : static_cast<unsigned long>(v) * 2;
  std::string s;
  while (u >= 64) {
    s += static_cast<char>(63 + u % 64);
    u /= 64;
  }
  s += static_cast<char>(191 + u);
  return s;
}

TEST_F(HpglReaderTest, EveryPolylineEncodedPairIsAPoint) {
  // From (0,0): up to (1000,0) absolute, then relative pen-down pairs.
  const std::string pe = "PE<=" + pe_number(1000) + pe_number(0) + pe_number(500) + pe_number(0) +
                         pe_number(0) + pe_number(40000) + ";";
  ASSERT_EQ(read_plot(pe), TEMP_READ_OK) << messages();
  const auto all = items();
  ASSERT_EQ(all.size(), 1u);
  ASSERT_EQ(item_link_count(all[0]), 2);
  const LinkRecord* r = item_nodes(all[0]);
  EXPECT_NEAR(r[0].point.x, 1000 * 0.025f, 1e-3f);
  EXPECT_NEAR(r[1].point.x, 1500 * 0.025f, 1e-3f);
  EXPECT_NEAR(r[2].point.y, 40000 * 0.025f, 1e-2f);
}

TEST_F(HpglReaderTest, APenDownRunOf400PointsBecomesThreeConnectedPolylines) {
  std::string plot = "PU0,0;PD";
  for (int i = 1; i < 400; ++i) plot += (i > 1 ? "," : "") + std::to_string(i * 10) + "," + std::to_string(i % 2);
  plot += ";";
  ASSERT_EQ(read_plot(plot), TEMP_READ_OK);
  const auto all = items();
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(item_closing_record(all[0])->point.x, item_nodes(all[1])->point.x);
  EXPECT_EQ(item_closing_record(all[1])->point.x, item_nodes(all[2])->point.x);
  int links = 0;
  for (DrawingItem* item : all) links += item_link_count(item);
  EXPECT_EQ(links, 399);
}

TEST_F(HpglReaderTest, LabelsEscapesAndUnknownCommandsAreSkipped) {
  ASSERT_EQ(read_plot("\x1b%-1BIN;LBPD99,99\x03;ZZ5;PU0,0;PD10,0;"), TEMP_READ_OK);
  ASSERT_EQ(items().size(), 1u);
}

// ---- damaged files ----

TEST_F(NcReader, BinaryAndMissingFilesAreRefusedAndChangeNothing) {
  const std::string binary = write_file("b.nc", std::string("G1 X1\n\0\x01\x02", 9));
  EXPECT_EQ(import_geometry(binary, IMPORT_NC), IMPORT_FAILED);
  EXPECT_NE(messages().find("line 2"), std::string::npos) << messages();
  EXPECT_FALSE(file_exists(temp_item_file_path()));
  EXPECT_EQ(import_geometry(write_file("b.plt", std::string("PU0,0;\0PD1,1;", 13)), IMPORT_PLOTTER),
            IMPORT_FAILED);
  EXPECT_EQ(import_geometry((folder_ / "missing.nc").string(), IMPORT_NC), IMPORT_FAILED);
  EXPECT_EQ(g_lists.current.first, nullptr);
}

TEST_F(NcReader, EscEndsTheImport) {
  g_job_host_log.escape_after_polls = 0;
  EXPECT_EQ(import_geometry(write_file("e.nc", "G1 X1\n"), IMPORT_NC), IMPORT_FAILED);
}

}  // namespace
