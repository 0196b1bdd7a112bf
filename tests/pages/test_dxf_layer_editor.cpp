// The DXF layer-name list and its entry form through the event queue: names typed into the
// list, each line's machining set in its form, the table file written on accept byte for byte
// as the checked-in one, and left alone on cancel.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "import/dxf_layer_table.h"
#include "pages/dxf_layer_editor.h"
#include "platform/window.h"
#include "records/cam_params.h"
#include "store/file_reader.h"
#include "tests/support/idle_typist.h"
#include "tests/support/test_folder.h"
#include "tests/ui/form_fixture.h"
#include "ui/text_window.h"

namespace {

namespace fs = std::filesystem;

class DxfLayerEditorTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    folder_ = make_test_folder("brenvik_dxf_layer_editor");
    // The catalogue stays open from the build's program folder; the table goes to the test's.
    set_program_folder_for_tests(folder_.string());
    reset_dxf_layer_table();
    start_typist();
  }
  void TearDown() override {
    pump_set_idle_handler(nullptr);
    reset_dxf_layer_table();
    if (std::getenv("BRENVIK_KEEP_TEST_FILES") == nullptr) fs::remove_all(folder_);
    FormTest::TearDown();
  }
  std::string table_path() const { return (folder_ / DXF_LAYER_TABLE_FILE).string(); }

  // A name typed on the list's cursor line, then its form: the cut type's hot letter, the
  // cutting depth typed, and Down from the last row to accept it.
  void type_entry(const char* name, const char* cut_letter, const char* depth) {
    typist_text(name);
    typist_key(VK_RETURN);
    typist_key(VK_RETURN);  // the line's form
    typist_text(cut_letter);
    for (int k = 0; k < 3; ++k) typist_key(VK_DOWN);
    typist_key(VK_DELETE);
    typist_text(depth);
    typist_key(VK_RETURN);
    for (int k = 0; k < 5; ++k) typist_key(VK_DOWN);
  }

  fs::path folder_;
};

TEST_F(DxfLayerEditorTest, AcceptedNamesAreWrittenAsTheGoldenTableAndACancelLeavesTheFile) {
  type_entry("Cut", "c", "0.5");
  typist_key(VK_DOWN);  // the blank line the list keeps last
  // A drawing aid: its type, then Up out of the first row takes the form.
  typist_text("scribe");
  typist_key(VK_RETURN);
  typist_key(VK_RETURN);
  typist_text("a");
  typist_key(VK_UP);
  typist_key(VK_RETURN, WINDOW_MOD_CTRL);
  EXPECT_EQ(edit_dxf_layer_names(), 1);

  const std::string written = read_file_bytes(table_path());
  ASSERT_EQ(written.size(), 2 * DXF_LAYER_ENTRY_SIZE) << "two named entries, no blank one";
  std::vector<DxfLayerEntry> entries;
  ASSERT_EQ(read_dxf_layer_table(table_path(), &entries), 0);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].name, "Cut");
  EXPECT_EQ(entries[1].name, "scribe");
  EXPECT_EQ(entries[0].number, 1);
  EXPECT_EQ(entries[1].number, 2);
  CamParams cut, scribe;
  read_cam_params(entries[0].block.data() + 8, &cut);
  read_cam_params(entries[1].block.data() + 8, &scribe);
  EXPECT_EQ(cut.operation, CAM_OP_CENTERLINE);
  EXPECT_FLOAT_EQ(cut.finishing.cut_depth, 0.5f);
  EXPECT_EQ(scribe.operation, 0);
  EXPECT_EQ(written, read_file_bytes(GOLDEN_LAYER_TABLE)) << "the table as checked in";

  // Changed and cancelled: the file stays as it was.
  typist_key(VK_DELETE);
  typist_key(VK_ESCAPE);
  EXPECT_EQ(edit_dxf_layer_names(), 0);
  EXPECT_EQ(read_file_bytes(table_path()), written);
}

TEST_F(DxfLayerEditorTest, TheToolRowsTakeATypedNumberAndOpenTheToolForm) {
  // The finishing tool's row takes a typed tool number; Enter on the roughing tool's row opens
  // the tool form over the entry form, and Esc there leaves the entry as it was.
  std::string tool_form_title;
  typist_text("Cut");
  typist_key(VK_RETURN);
  typist_key(VK_RETURN);  // the line's form
  typist_text("c");
  for (int k = 0; k < 5; ++k) typist_key(VK_DOWN);  // the blank row 5 is passed over
  typist_text("7");
  typist_key(VK_RETURN);
  typist_key(VK_DOWN);
  typist_key(VK_RETURN);
  g_typist.steps.push_back(typist_step_when(
      [] {
        const TextWindow* w = g_windows.active;
        return w != nullptr && std::string(w->title).find("tool") != std::string::npos;
      },
      [&tool_form_title] {
        tool_form_title = g_windows.active != nullptr ? g_windows.active->title : "";
        headless_inject_keystroke(VK_ESCAPE, 0);
      }));
  typist_key(VK_DOWN);
  typist_key(VK_DOWN);  // out of the last row: the entry is taken
  typist_key(VK_RETURN, WINDOW_MOD_CTRL);
  EXPECT_EQ(edit_dxf_layer_names(), 1);
  EXPECT_EQ(tool_form_title, "Centerline tool");
  std::vector<DxfLayerEntry> entries;
  ASSERT_EQ(read_dxf_layer_table(table_path(), &entries), 0);
  ASSERT_EQ(entries.size(), 1u);
  CamParams cut;
  read_cam_params(entries[0].block.data() + 8, &cut);
  EXPECT_EQ(cut.operation, CAM_OP_CENTERLINE);
  EXPECT_EQ(cut.finishing.tool_number, 7);
  EXPECT_EQ(cut.roughing.tool_number, 0);
}

}  // namespace
