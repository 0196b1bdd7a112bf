// Post-processor tests: path code built by hand, run through the post processor with a
// definition of the test's own, and the NC program it wrote read back as lines. Proof files go to
// a temp folder of the test's own.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "nc/nc_extents.h"
#include "nc/path_code.h"
#include "nc/post_gm.h"
#include "nc/post_processor.h"
#include "nc/proof_file.h"
#include "records/job_settings.h"
#include "records/pen_move.h"
#include "store/line_list.h"
#include "tests/nc/nc_program_lines.h"
#include "tests/support/temp_folder_env.h"

class PostFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    temp_.emplace("brenvik_post");
    reset_list_store();
    reset_path_code();
    reset_post_gm();
    reset_proof_file();
    g_job_settings = JobSettings{};
    reset_nc_extents();
    g_pen_move = PenMove{};
    def_ = PostProcessorDef{};
    ASSERT_EQ(path_alloc(), 0);
  }
  void TearDown() override {
    free_list(g_lists.slots[LIST_SLOT_NC_PROGRAM].first);
    g_lists.slots[LIST_SLOT_NC_PROGRAM] = LineList{};
    path_free();
    reset_proof_file();
    temp_.reset();
  }
  // A fresh start for the next case of a table.
  void restart() {
    TearDown();
    SetUp();
  }

  void op(char code, std::vector<float> v = {}) {
    path_put_op(code, v.data(), static_cast<int>(v.size()));
  }
  void op_byte(char code, uint8_t byte, std::vector<float> v) {
    path_put_op_with_byte(code, byte, v.data(), static_cast<int>(v.size()));
  }
  // The usual start of an item: above (x, y), down to the rapid height, plunge to cut_z.
  void start_at(float x, float y, float cut_z = -0.1f, float rapid_z = 0.1f) {
    op('A', {cut_z, x, y, PATH_NO_Z});
    op('d', {rapid_z});
    op('Z', {cut_z});
  }

  int run() {
    build_coord_formats(def_);
    g_post_run.next_line_number = def_.line_numbers ? 1 : -1;
    return post_process();
  }
  std::string last_line() const {
    const std::vector<std::string> all = nc_program_lines();
    return all.empty() ? std::string() : all.back();
  }

  PostProcessorDef def_;
  std::optional<TempFolderEnv> temp_;
};
