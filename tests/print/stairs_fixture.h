// Staircase tests: a clean drawing list, the designer's state and the hosts the build reaches,
// designs made from the built-in defaults, and the items the build leaves read back.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "cam/cam_defaults.h"
#include "cam/machining_block.h"
#include "commands/transform_all.h"
#include "editor/view_state.h"
#include "geometry/drawing_item.h"
#include "geometry/geometry_host.h"
#include "geometry/item_edit_state.h"
#include "geometry/layers.h"
#include "print/stairs_params.h"
#include "records/job_settings.h"
#include "records/preferences.h"
#include "store/line_list.h"

constexpr double STAIRS_TEST_PI = 3.14159265358979323846;

class StairsTest : public ::testing::Test {
 public:
  static std::vector<DrawingItem*> items() {
    std::vector<DrawingItem*> out;
    for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next)
      out.push_back(item);
    return out;
  }

 protected:
  void SetUp() override {
    reset_list_store();
    reset_stairs_state();
    reset_item_edit();
    reset_view_state();
    reset_transform_all();
    reset_geometry_host();
    g_geometry_host.copy_item_cam = copy_item_cam;
    g_geometry_host.apply_new_item_defaults = apply_new_item_defaults;
    reset_layers();
    reset_job_settings();
    g_preferences.gap_tolerance = 0.005f;
    messages_.clear();
    g_stairs.show_message = [](const char* text) { messages_.push_back(text); };
  }
  void TearDown() override {
    free_current_list();
    reset_stairs_state();
    reset_geometry_host();
  }

  // A design of the kind word from the built-in defaults: the total rise in n + 1 risers, the
  // going from the pitch.
  static StairsParams design(int32_t kind_word, double total, int32_t n) {
    StairsParams p;
    set_builtin_stairs_defaults(kind_word, &p);
    p.total_rise = static_cast<float>(total);
    p.tread_count = n;
    p.rise = static_cast<float>(total / (n + 1));
    p.run = static_cast<float>(p.rise / std::tan(static_cast<double>(p.pitch_angle)));
    // As every reset of the designer leaves them.
    p.housing_cam.operation = CAM_OP_SPIRAL_POCKET;
    p.housing_cam.machining_group = 10;
    p.outline_cam.operation = CAM_OP_CONTOUR_OUTSIDE;
    p.outline_cam.machining_group = 20;
    return p;
  }

  static inline std::vector<std::string> messages_;
};
