// The whole program run headless on the Drawing page: the test's own screen laid out as the
// runner's (1024 x 768, the Drawing page active), so that the pixels a world point falls on are
// worked out here; a fresh folder with the program's data files in `program` and the jobs in
// `jobs`, where the runner starts and its open dialog looks.
#pragma once

#include <filesystem>
#include <string>

#include "editor/page_redraw.h"
#include "editor/page_strip.h"
#include "editor/view.h"
#include "editor/view_state.h"
#include "tests/editor/editor_fixture.h"
#include "tests/support/headless_script.h"
#include "tests/support/test_folder.h"

class PageScriptFixture : public EditorFixture {
 protected:
  static constexpr int SCREEN_W = 1024;
  static constexpr int SCREEN_H = 768;

  explicit PageScriptFixture(const char* folder_prefix) : folder_prefix_(folder_prefix) {}

  void SetUp() override {
    EditorFixture::SetUp();
    open_screen(SCREEN_W, SCREEN_H);
    layout_page_tab_strip();
    g_view.drawing_page_active = 1;
    layout_paint_boxes();
    folder_ = make_test_folder(folder_prefix_);
    copy_program_data_files(BRENVIK_PROGRAM_DIR, folder_ / "program");
    std::filesystem::create_directories(folder_ / "jobs");
  }
  void TearDown() override {
    std::filesystem::remove_all(folder_);
    EditorFixture::TearDown();
  }

  // The client pixel of a world point in the view the test set.
  static void pixel_of(PointF p, int* x, int* y) {
    world_to_screen(p, x, y);
    *y += g_view.area_top;
  }

  // Runs the script; the runner's exit code (its stderr in stderr.txt of the folder).
  int run(const std::string& script) {
    return run_headless_script(folder_ / "jobs", folder_ / "program", folder_, script);
  }

  std::filesystem::path folder_;

 private:
  const char* folder_prefix_;
};
