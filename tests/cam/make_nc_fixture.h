// Jobs for the make-NC tests: items built node by node with their machining blocks, and a clean
// run state.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "cam/item_walkers.h"
#include "cam/machining_block.h"
#include "cam/machining_order.h"
#include "cam/make_nc.h"
#include "geometry/drawing_item.h"
#include "geometry/layers.h"
#include "geometry/point_arrays.h"
#include "geometry/spline_run.h"
#include "nc/cam_host.h"
#include "nc/code_section_expand.h"
#include "nc/nc_extents.h"
#include "nc/path_code.h"
#include "nc/post_gm.h"
#include "nc/post_processor.h"
#include "nc/proof_file.h"
#include "records/job_settings.h"
#include "records/pen_move.h"
#include "store/line_list.h"
#include "tests/cam/cam_item_builder.h"
#include "tests/support/temp_folder_env.h"


inline CamParams centerline_cut(float depth, float step_down, int16_t tool, int16_t group) {
  CamParams p;
  p.operation = CAM_OP_CENTERLINE;
  p.machining_group = group;
  p.rapid_height = 0.1f;
  p.finishing.cut_depth = depth;
  p.finishing.step_down = step_down;
  p.finishing.feed = 20.0f;
  p.finishing.rpm = 12000;
  p.finishing.plunge_percent = 50;
  p.finishing.tool_number = tool;
  p.finishing.cut_width = 0.03f;
  return p;
}

// The run state and the job's items, for fixtures of any kind (the make-NC tests below, and
// forms that run an NC run).
class MakeNcJob {
 protected:
  void set_up_make_nc() {
    temp_.emplace("brenvik_make_nc");
    reset_list_store();
    reset_path_code();
    reset_post_gm();
    reset_make_nc();
    reset_cam_host();
    reset_item_walkers();
    reset_proof_file();
    reset_spline_samples();
    g_job_settings = JobSettings{};
    reset_nc_extents();
    g_pen_move = PenMove{};
    g_path_encoder = PathEncoderState{};
    g_layers.visibility.fill(1);
    g_code_section = CodeSectionState{};
  }
  void tear_down_make_nc() {
    free_current_list();
    for (int slot : {LIST_SLOT_NC_PROGRAM, LIST_SLOT_TOOL_PATHS}) {
      free_list(g_lists.slots[slot].first);
      g_lists.slots[slot] = LineList{};
    }
    free_post_processor_list(&definitions_);
    reset_path_code();
    reset_proof_file();
    temp_.reset();
  }

  DrawingItem* make_item(uint8_t type, const std::vector<CamNode>& nodes,
                         const CamParams& params) {
    DrawingItem* item = add_cam_item(type, nodes, params, GEOMETRY_KIND_MACHINABLE);
    set_item_id(item, ++last_id_);
    return item;
  }

  // A rectangle from (x0, y0) to (x1, y1) with quarter-circle fillets of radius f, cut
  // counter-clockwise.
  DrawingItem* make_filleted_rectangle(float x0, float y0, float x1, float y1, float f,
                                       const CamParams& params) {
    const float arc = f;
    return make_item(ITEM_POLYLINE,
                     {{x0 + f, y0},
                      {x1 - f, y0, arc, 0, 0, {x1 - f, y0 + f}},
                      {x1, y0 + f},
                      {x1, y1 - f, arc, 0, 0, {x1 - f, y1 - f}},
                      {x1 - f, y1},
                      {x0 + f, y1, arc, 0, 0, {x0 + f, y1 - f}},
                      {x0, y1 - f},
                      {x0, y0 + f, arc, 0, 0, {x0 + f, y0 + f}},
                      {x0 + f, y0}},
                     params);
  }

  DrawingItem* make_circle(float cx, float cy, float r, const CamParams& params) {
    DrawingItem* item = make_item(ITEM_CIRCLE, {{cx, cy, r, 0, 0, {cx, cy}}, {cx + r, cy}}, params);
    item_nodes(item)[0].sweep = SWEEP_RADIUS_CIRCLE;
    return item;
  }

  DrawingItem* make_spline(const std::vector<PointF>& points, const CamParams& params) {
    std::vector<CamNode> nodes;
    for (const PointF& p : points) nodes.push_back({p.x, p.y, LINK_SPLINE});
    return make_item(ITEM_POLYLINE, nodes, params);
  }

  // A drill point at (x, y) with an array of columns x rows spaced (dx, dy).
  DrawingItem* make_drill_pattern(float x, float y, uint8_t columns, uint8_t rows, float dx,
                                  float dy, const CamParams& params) {
    DrawingItem* item = make_item(ITEM_POINT, {{x, y, LINK_POINT, 0, 0, {dx, dy}}, {x, y}}, params);
    set_point_array(item_closing_record(item), columns, rows,
                    columns == 0 ? POINT_ARRAY_NONE : POINT_ARRAY_ROWS);
    return item;
  }

  // Installs a definition as the job's post processor.
  PostProcessorDef* use_definition(int16_t number = 1) {
    const LineList drawing = g_lists.current;
    g_lists.current = definitions_;
    TextLine* entry = default_post_processor("Test", number);
    definitions_ = g_lists.current;
    g_lists.current = drawing;
    g_job_settings.post_processor = entry;
    g_job_settings.post_processor_number = number;
    return post_processor_def(entry);
  }

  LineList definitions_;
  int32_t last_id_ = 0;
  std::optional<TempFolderEnv> temp_;  // the run's proof and spill files
};

class MakeNcFixture : public ::testing::Test, protected MakeNcJob {
 protected:
  void SetUp() override { set_up_make_nc(); }
  void TearDown() override { tear_down_make_nc(); }
};
