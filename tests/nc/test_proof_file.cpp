// The proof file: record bytes, the file's order (moves, wireframe, axes), the axis indicator,
// the stock outline, the wireframes of curved surfaces, and reading back.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "nc/nc_extents.h"
#include "nc/proof_file.h"
#include "records/job_settings.h"
#include "tests/support/temp_folder_env.h"

namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> bytes_of(const ProofRecord& record) {
  uint8_t out[PROOF_RECORD_SIZE];
  write_proof_record_bytes(record, out);
  return std::vector<uint8_t>(out, out + PROOF_RECORD_SIZE);
}

TEST(ProofRecord, RecordsAreThirteenLittleEndianBytes) {
  struct Case {
    const char* name;
    ProofRecord record;
    std::vector<uint8_t> bytes;
  };
  const Case cases[] = {
      {"move", proof_move_record('1', 1.0f, -2.5f, 0.125f),
       {'1', 0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x20, 0xC0, 0x00, 0x00, 0x00, 0x3E}},
      {"NC line", proof_line_record(7, 12.5f, 5000),
       {'L', 0x07, 0x00, 0x00, 0x00, 0x00, 0x00, 0x48, 0x41, 0x88, 0x13, 0x00, 0x00}},
      {"tool number", proof_tool_record('f', 258),
       {'f', 0x02, 0x01, 0x00, 0x00, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"tool text", proof_text_record("T12"), {'T', '1', '2', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"pause", proof_text_record(PROOF_PAUSE_TEXT),
       {'M', '0', '0', ' ', ' ', '(', 'P', 'a', 'u', 's', 'e', ')', 0}},
      {"text cut at 13 bytes", proof_text_record("T1234567890123456"),
       {'T', '1', '2', '3', '4', '5', '6', '7', '8', '9', '0', '1', '2'}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(bytes_of(c.record), c.bytes) << c.name;
    ProofRecord back;
    read_proof_record_bytes(c.bytes.data(), &back);
    EXPECT_EQ(bytes_of(back), c.bytes) << c.name;
  }
  const ProofRecord line = proof_line_record(-3, 12.5f, 5000);
  EXPECT_EQ(proof_field_i32(line, 0), -3);
  EXPECT_FLOAT_EQ(proof_field_f32(line, 1), 12.5f);
  EXPECT_EQ(proof_record_text(proof_text_record(PROOF_PAUSE_TEXT)), PROOF_PAUSE_TEXT);
}

class ProofFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    temp_.emplace("brenvik_proof");
    folder_ = temp_->path();
    g_job_settings = JobSettings{};
    reset_nc_extents();
    reset_proof_file();
  }
  void TearDown() override {
    reset_proof_file();
    temp_.reset();
  }

  std::vector<ProofRecord> read_back() {
    std::vector<ProofRecord> records;
    EXPECT_TRUE(read_proof_file(proof_file_path(), &records));
    return records;
  }

  // A rectangle of moves spanning X 0..4 and Y 0..2.
  void write_moves() {
    ASSERT_TRUE(proof_open());
    proof_write_line(1, 30.0f, 5000);
    proof_write_move(PROOF_POSITION, 0, 0, 0.05f);
    proof_write_move(PROOF_PLUNGE, 0, 0, -0.1f);
    proof_write_move(PROOF_FEED, 4, 0, -0.1f);
    proof_write_move(PROOF_FEED, 4, 2, -0.1f);
    proof_write_move(PROOF_FEED, 0, 2, -0.1f);
  }

  static int count_kind(const std::vector<ProofRecord>& records, char kind, size_t from = 0) {
    int n = 0;
    for (size_t k = from; k < records.size(); ++k) n += records[k].kind == kind;
    return n;
  }

  std::optional<TempFolderEnv> temp_;
  fs::path folder_;
};

TEST_F(ProofFileTest, TheFileLivesInTheTempFolder) {
  EXPECT_EQ(fs::path(proof_file_path()), folder_ / PROOF_FILE_NAME);
}

TEST_F(ProofFileTest, MovesComeFirstThenTheAxisIndicatorAtItsRecordedOffset) {
  write_moves();
  EXPECT_EQ(proof_finish(), 1);
  EXPECT_EQ(g_proof.file, nullptr);
  const std::vector<ProofRecord> records = read_back();
  ASSERT_EQ(g_proof.axes_offset, 6 * static_cast<int64_t>(PROOF_RECORD_SIZE));
  EXPECT_EQ(records[0].kind, PROOF_LINE);
  EXPECT_EQ(records[5].kind, PROOF_FEED);
  // Half-length 2 from the X extent 0..4, letter strokes of 2/8.
  const std::vector<std::vector<float>> axes = {
      {0, 0, 0},      {0, 0, 2},     {-2, 0, 0},         {2, 0, 0},      {0, -2, 0},
      {0, 2, 0},      {2, 0.25f, 0}, {2.25f, -0.25f, 0}, {2, -0.25f, 0}, {2.25f, 0.25f, 0},
      {0, 2.25f, 0},  {0, 2.5f, 0},  {-0.125f, 2.75f, 0}, {0, 2.5f, 0},   {0.125f, 2.75f, 0}};
  const std::string kinds = "AoAoAoAoAoAooAo";
  ASSERT_EQ(records.size(), 6 + axes.size());
  for (size_t k = 0; k < axes.size(); ++k) {
    const ProofRecord& r = records[6 + k];
    EXPECT_EQ(r.kind, kinds[k]) << k;
    for (int f = 0; f < 3; ++f) EXPECT_FLOAT_EQ(proof_field_f32(r, f), axes[k][f]) << k << "/" << f;
  }
  EXPECT_FLOAT_EQ(g_proof.z_min, -0.1f);
  EXPECT_FLOAT_EQ(g_proof.z_max, 0.05f);
}

TEST_F(ProofFileTest, AProofWithoutMovesIsDeleted) {
  ASSERT_TRUE(proof_open());
  proof_write_line(1, 30.0f, 5000);
  EXPECT_FALSE(proof_anything_moved());
  EXPECT_EQ(proof_finish(), 0);
  EXPECT_FALSE(fs::exists(proof_file_path()));
}

TEST_F(ProofFileTest, TheStockOutlineNeedsAProofRunWithTheMaterialBoxShown) {
  g_job_settings.material_box[0] = -1;
  g_job_settings.material_box[1] = -1;
  g_job_settings.material_box[2] = 6;
  g_job_settings.material_box[3] = 4;
  struct Case {
    uint8_t run_level;
    uint8_t box_shown;
    int stock_lines;
  };
  const Case cases[] = {{1, 1, 4}, {0, 1, 0}, {1, 0, 0}};
  for (const Case& c : cases) {
    g_proof.run_level = c.run_level;
    g_job_settings.material_box_shown = c.box_shown;
    write_moves();
    ASSERT_EQ(proof_finish(), 1);
    const std::vector<ProofRecord> records = read_back();
    EXPECT_EQ(count_kind(records, PROOF_STOCK), c.stock_lines)
        << int(c.run_level) << "/" << int(c.box_shown);
    if (c.stock_lines > 0) {
      const ProofRecord& corner = records[records.size() - 3];
      EXPECT_FLOAT_EQ(proof_field_f32(corner, 0), 5.0f);
      EXPECT_FLOAT_EQ(proof_field_f32(corner, 1), 3.0f);
    }
  }
}

TEST_F(ProofFileTest, CurvedSurfacesGetAWireframeBeforeTheAxes) {
  struct Case {
    const char* name;
    int surface;
    float radius;
    float second_radius;
    uint8_t side;
    float angle;
    char kind;  // the wireframe's kind; 0 for none
  };
  const Case cases[] = {
      {"flat", 1, 2, 1, 1, 0, 0},
      {"lathe face", 15, 2, 1, 1, 0, 0},
      {"sloping plane", 2, 2, 1, 1, 0.1f, 0},
      {"sphere", 3, 2, 0, 1, 0, PROOF_WIREFRAME_DOME},
      {"oval", 7, 3, 2, 1, 0, PROOF_WIREFRAME_DOME},
      {"oval narrower than high", 7, 1, 2, 1, 0, 0},
      {"cylinder seen from outside", 4, 2, 0, 1, 0, PROOF_WIREFRAME},
      {"cylinder from inside", 4, 2, 0, 0, 0, 0},
      {"tilted cylinder", 4, 2, 0, 1, 0.2f, 0},
      {"horizontal cone", 5, 2, 0, 1, 0.3f, PROOF_WIREFRAME},
      {"vertical cone", 6, 2, 0, 1, 0.5f, PROOF_WIREFRAME},
      {"torus side", 8, 3, 1, 1, 0, PROOF_WIREFRAME},
      {"torus tube", 9, 3, 1, 1, 0, PROOF_WIREFRAME},
      {"vertical torus top", 10, 3, 1, 1, 0, PROOF_WIREFRAME},
  };
  for (const Case& c : cases) {
    g_job_settings.surface_code = static_cast<uint8_t>(c.surface);
    g_job_settings.surface_flag = 1 << (c.surface - 1);
    g_job_settings.surface_radius = c.radius;
    g_job_settings.surface_length_4 = c.second_radius;
    g_job_settings.surface_side = c.side;
    g_job_settings.surface_angle = c.angle;
    write_moves();
    ASSERT_EQ(proof_finish(), 1) << c.name;
    const std::vector<ProofRecord> records = read_back();
    const size_t axes_at = static_cast<size_t>(g_proof.axes_offset / PROOF_RECORD_SIZE);
    const int wire = count_kind(records, PROOF_WIREFRAME) + count_kind(records, PROOF_WIREFRAME_DOME);
    if (c.kind == 0) {
      EXPECT_EQ(wire, 0) << c.name;
      EXPECT_EQ(axes_at, 6u) << c.name;
      continue;
    }
    EXPECT_GT(count_kind(records, c.kind), 0) << c.name;
    EXPECT_EQ(count_kind(records, c.kind, axes_at), 0) << c.name << ": all before the axes";
    EXPECT_EQ(records[6].kind, PROOF_POSITION) << c.name << ": a polyline starts with 'A'";
    EXPECT_EQ(records[axes_at].kind, PROOF_POSITION) << c.name;
    EXPECT_FLOAT_EQ(proof_field_f32(records[axes_at + 1], 2), 2.0f) << c.name << ": Z axis";
  }
}

TEST_F(ProofFileTest, ADomeSurfaceHasItsTopAtTheSurfaceHeight) {
  g_job_settings.surface_code = 3;
  g_job_settings.surface_flag = 1 << 2;
  g_job_settings.surface_radius = 2;
  g_job_settings.surface_length_3 = 0.5f;
  g_job_settings.surface_side = 1;
  write_moves();
  ASSERT_EQ(proof_finish(), 1);
  float top = -1e9f;
  float bottom = 1e9f;
  for (const ProofRecord& r : read_back()) {
    if (r.kind != PROOF_WIREFRAME_DOME) continue;
    top = std::max(top, proof_field_f32(r, 2));
    bottom = std::min(bottom, proof_field_f32(r, 2));
  }
  EXPECT_NEAR(top, 0.5f, 1e-5);
  EXPECT_NEAR(bottom, 0.5f - 2.0f, 1e-5);
}

TEST_F(ProofFileTest, AReaderStopsAtARecordThatIsNotComplete) {
  write_moves();
  ASSERT_EQ(proof_finish(), 1);
  const size_t whole = read_back().size();
  std::ofstream(proof_file_path(), std::ios::binary | std::ios::app) << std::string(5, 'x');
  EXPECT_EQ(read_back().size(), whole);
  std::vector<ProofRecord> none;
  EXPECT_FALSE(read_proof_file((folder_ / "missing.V3D").string(), &none));
}

TEST_F(ProofFileTest, DeletingClosesAndRemovesTheFile) {
  write_moves();
  proof_delete_file();
  EXPECT_EQ(g_proof.file, nullptr);
  EXPECT_FALSE(fs::exists(proof_file_path()));
  proof_write_record(PROOF_FEED, 1, 1, 1);  // a closed file takes nothing and does not fail
  EXPECT_FALSE(fs::exists(proof_file_path()));
}

}  // namespace
