// The DXF export form and the template-layer command, driven through the event queue: a user's
// keys answer the form, the file written is read back, and the job is checked afterwards.
#include <filesystem>
#include <string>

#include "editor/template_items.h"
#include "geometry/layers.h"
#include "import/import_drawing.h"
#include "job/job_file.h"
#include "nc/dxf_path.h"
#include "pages/dxf_export_form.h"
#include "platform/window.h"
#include "store/message_ids.h"
#include "tests/cam/make_nc_fixture.h"
#include "tests/support/idle_typist.h"
#include "tests/ui/form_fixture.h"
#include "ui/message_box.h"

namespace {

namespace fs = std::filesystem;

constexpr uint8_t JOB_OPTIONS = 2 | 4;  // the encoder's bit and outlines

class DxfExportFormTest : public FormTest, protected MakeNcJob {
 protected:
  void SetUp() override {
    set_up_make_nc();
    FormTest::SetUp();
    folder_ = temp_->path();
    g_dxf_form = DxfExportForm{};
    g_dxf_export = DxfExportState{};
    g_message_box = MessageBoxState{};
    reset_layers();
    reset_import_state();
    g_import.work_folder = folder_.string();
    g_import.exploder_folder = folder_.string();
    g_job_file.full_path = (folder_ / "plate.job").string();
    g_job_settings.output_options = JOB_OPTIONS;
    g_job_settings.tolerance = 0.00001f;  // below the least the form takes
    g_dxf_form.folder = folder_.string() + "/";
    // The drawing window holds the job's items and is active, as on the Drawing page.
    push_list();
    clear_current_list();
    make_item(ITEM_POLYLINE, {{0, 0}, {2, 0}, {2, 1}}, centerline_cut(0.05f, 0, 1, 10));
    drawing_ = create_window(nullptr, {.top_row = 5, .left_column = 5, .bottom_row = 20,
                                       .right_column = 60, .line_drawer = draw_window_line,
                                       .wrap_width = 125, .title = ""});
    pop_list();
    activate_window(drawing_);
  }
  void TearDown() override {
    pump_set_idle_handler(nullptr);
    destroy_window(drawing_);
    g_lists.current = LineList{};
    reset_import_state();
    g_job_file.full_path.clear();
    FormTest::TearDown();
    tear_down_make_nc();
  }

  fs::path folder_;
  TextLine* drawing_ = nullptr;
};

TEST_F(DxfExportFormTest, OkWritesTheToolPathIntoTheFileNamedAfterTheJob) {
  start_typist();
  std::string seen;
  typist_look(&seen);
  // Down to the drawing-aids row, yes; up to the bar, OK.
  for (int k = 0; k < 3; ++k) typist_key(VK_DOWN);
  typist_text("Y");
  for (int k = 0; k < 3; ++k) typist_key(VK_UP);
  typist_text("O");
  g_job_settings.z_shift = 0.25f;  // the export runs without it and gives it back
  EXPECT_EQ(dxf_export(), 1) << g_dxf_export.failure;
  EXPECT_NE(seen.find("plate.dxf"), std::string::npos) << seen;
  EXPECT_NE(seen.find("0.0001"), std::string::npos) << "the tolerance is raised for the form";
  const std::string bytes = read_file_bytes((folder_ / "plate.dxf").string());
  ASSERT_FALSE(bytes.empty());
  EXPECT_EQ(bytes.rfind("  0\r\nSECTION\r\n", 0), 0u);
  EXPECT_NE(bytes.find("LINE\r\n"), std::string::npos);
  // The rows chosen become the job's; the bit the form does not show stays.
  EXPECT_EQ(g_job_settings.output_options, JOB_OPTIONS | 8);
  EXPECT_FLOAT_EQ(g_job_settings.tolerance, 0.00001f);
  EXPECT_FLOAT_EQ(g_job_settings.z_shift, 0.25f);
  EXPECT_NE(g_job_settings.job_changed & JOB_CHANGED, 0);
  EXPECT_EQ(g_windows.active, window_of(drawing_)) << "the drawing window is back";
}

TEST_F(DxfExportFormTest, ANameTypedGetsTheDxfExtension) {
  start_typist();
  typist_key(VK_DOWN);
  typist_text("sign.txt");
  typist_key(VK_RETURN);
  typist_key(VK_UP);
  typist_text("O");
  EXPECT_EQ(dxf_export(), 1) << g_dxf_export.failure;
  EXPECT_TRUE(fs::exists(folder_ / "sign.dxf"));
  EXPECT_FALSE(fs::exists(folder_ / "plate.dxf"));
}

TEST_F(DxfExportFormTest, CancelWritesNothingAndKeepsTheJobsSettings) {
  start_typist();
  typist_key(VK_DOWN);
  typist_key(VK_DOWN);
  typist_key(VK_DOWN);
  typist_text("Y");
  typist_key(VK_ESCAPE);
  EXPECT_EQ(dxf_export(), 0);
  EXPECT_TRUE(fs::is_empty(folder_));
  EXPECT_EQ(g_job_settings.output_options, JOB_OPTIONS);
  EXPECT_FLOAT_EQ(g_job_settings.tolerance, 0.00001f);
  EXPECT_NE(g_job_settings.job_changed & JOB_CHANGED, 0);
}

TEST_F(DxfExportFormTest, WithoutANameOkIsRefusedAndTheFormStays) {
  g_job_file.full_path.clear();  // a new job: nothing to name the file after
  start_typist();
  typist_text("O");
  typist_key(VK_RETURN);  // the message's key
  typist_key(VK_ESCAPE);
  EXPECT_EQ(dxf_export(), 0);
  EXPECT_NE(g_message_box.last_text.find(DXF_NO_FILE_MESSAGE), std::string::npos);
  EXPECT_TRUE(fs::is_empty(folder_));
}

TEST_F(DxfExportFormTest, AFileThatCanNotBeMadeIsToldAndCountsAsNotWritten) {
  g_dxf_form.folder = (folder_ / "gone").string() + "/";
  start_typist();
  typist_text("O");
  EXPECT_EQ(dxf_export(), 0);
  EXPECT_NE(g_cam_host_log.last_message().find(DXF_CREATE_FAILED_MESSAGE), std::string::npos)
      << g_cam_host_log.last_message();
  EXPECT_FALSE(fs::exists(folder_ / "gone"));
}

// ---- the template's layer ---------------------------------------------------------------------------

class TemplateLayerTest : public DxfExportFormTest {
 protected:
  void name_template(const std::string& path) {
    std::snprintf(g_job_settings.template_path, JOB_TEMPLATE_PATH_SIZE, "%s", path.c_str());
  }
  std::string write_template() {
    const std::string path = (folder_ / "t.plt").string();
    write_file_bytes(path, "PU0,0;PD400,0;PD400,400;PU800,0;PD1200,0;");
    return path;
  }
};

TEST_F(TemplateLayerTest, WithoutATemplateItSaysSo) {
  start_typist();
  typist_key(VK_RETURN);
  EXPECT_EQ(template_set_layer(), 0);
  EXPECT_EQ(g_message_box.last_text, NO_TEMPLATE_MESSAGE);
}

TEST_F(TemplateLayerTest, ATemplateThatDoesNotReadIsTold) {
  name_template((folder_ / "gone.dxf").string());
  start_typist();
  typist_key(VK_RETURN);
  EXPECT_EQ(template_set_layer(), 0);
  EXPECT_EQ(g_message_box.last_text, TEMPLATE_UNREAD_MESSAGE);
  EXPECT_EQ(g_import.template_items.first, nullptr);
}

TEST_F(TemplateLayerTest, EveryTemplateItemTakesTheLayerPicked) {
  name_template(write_template());
  g_job_settings.template_offset[0] = 5.0f;
  start_typist();
  for (int k = 0; k < 7; ++k) typist_key(VK_DOWN);
  typist_key(VK_RETURN);
  EXPECT_EQ(template_set_layer(), 1);
  int items = 0;
  for (const TextLine* item = g_import.template_items.first; item != nullptr; item = item->next) {
    ++items;
    EXPECT_EQ(item_layer(item), 7);
    EXPECT_GE(item_nodes(item)[0].point.x, 5.0f) << "moved by the template's offset";
  }
  EXPECT_GE(items, 2);
  // The list cancelled: the layers stay.
  start_typist();
  typist_key(VK_ESCAPE);
  EXPECT_EQ(template_set_layer(), 1);
  EXPECT_EQ(item_layer(g_import.template_items.first), 7);
}

}  // namespace
