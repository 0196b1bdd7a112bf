// A clean job for import tests: millimetre factory settings, default layers, an empty drawing
// list, the headless job host and the import's temporary files in the test's own folder.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "cam/cam_defaults.h"
#include "nc/cam_host.h"
#include "cam/machining_block.h"
#include "geometry/drawing_item.h"
#include "geometry/layers.h"
#include "import/dxf_layer_table.h"
#include "import/import_drawing.h"
#include "job/job_file.h"
#include "job/job_host.h"
#include "records/job_settings.h"
#include "platform/files.h"
#include "tests/support/test_folder.h"
#include "store/line_list.h"

class ImportFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_list_store();
    reset_job_host();
    reset_cam_host();
    reset_import_state();
    reset_dxf_layer_table();
    reset_job_file();
    set_factory_job_settings(&g_job_settings, true);
    reset_layers();
    folder_ = make_test_folder("brenvik_import");
    set_program_folder_for_tests(folder_.string());
    // No exploder in the test's program folder unless a test lays one there.
    g_import.exploder_folder = folder_.string();
  }
  void TearDown() override {
    free_list(g_lists.current.first);
    reset_list_store();
    reset_import_state();
    set_program_folder_for_tests("");
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  std::string write_file(const std::string& name, const std::string& text) {
    const std::string path = (folder_ / name).string();
    write_file_bytes(path, text);
    return path;
  }

  // Imports the file (flags as import_geometry takes them) and reads the temporary item file
  // into the current list; the read result.
  int import_file(const std::string& path, int flags = 0, int cut_type = 0) {
    const int written = import_geometry(path, flags);
    if (written != IMPORT_OK) return 100 + written;
    return read_temp_item_file(temp_item_file_path(), cut_type);
  }

  std::vector<DrawingItem*> items() {
    std::vector<DrawingItem*> out;
    for (TextLine* item = g_lists.current.first; item != nullptr; item = item->next) out.push_back(item);
    return out;
  }

  std::string messages() {
    std::string all;
    for (const std::string& m : g_job_host_log.messages) all += m + "\n";
    return all;
  }

  std::filesystem::path folder_;
};

// A DXF file of the entities given as code/value lines, in an ENTITIES section.
inline std::string dxf_of(const std::string& entities) {
  return "0\nSECTION\n2\nENTITIES\n" + entities + "0\nENDSEC\n0\nEOF\n";
}

// Points along an item, each link sampled (arcs along their circle).
inline std::vector<PointF> item_samples(DrawingItem* item, int per_link = 16) {
  std::vector<PointF> out;
  LinkRecord* r = item_nodes(item);
  const int n = item_link_count(item);
  for (int i = 0; i < n; ++i, ++r) {
    const PointF a = r->point, b = r[1].point;
    if (code_is_arc(r->code)) {
      double sweep = r->sweep < 0 ? 2 * M_PI : r->sweep;
      const bool cw = (r->link_flags & LINK_CLOCKWISE) != 0;
      // A clockwise arc's start angle is at its end point.
      const double start = cw ? r->start_angle + sweep : r->start_angle;
      for (int k = 0; k <= per_link; ++k) {
        const double t = start + (cw ? -1 : 1) * sweep * k / per_link;
        out.push_back({static_cast<float>(r->centre.x + r->code * std::cos(t)),
                       static_cast<float>(r->centre.y + r->code * std::sin(t))});
      }
    } else {
      for (int k = 0; k <= per_link; ++k)
        out.push_back({a.x + (b.x - a.x) * k / per_link, a.y + (b.y - a.y) * k / per_link});
    }
  }
  if (n == 0 || item->kind == ITEM_POINT) out.push_back(item_nodes(item)->point);
  return out;
}
