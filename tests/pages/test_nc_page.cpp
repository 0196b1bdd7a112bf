// The NC program page: the program an NC run leaves becomes the NC document, titled after the
// job; editing it sends page 3 to make its proof again. Driven through run_window and its queue.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "job/job_file.h"
#include "pages/nc_page.h"
#include "records/job_settings.h"
#include "tests/ui/editor_fixture.h"

namespace {

class NcPageTest : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    reset_editor_page();
    g_nc_page = NcPage{};
    g_job_settings = JobSettings{};
    g_job_file.full_path.clear();
  }
  void TearDown() override {
    free_list(g_lists.slots[LIST_SLOT_NC_PROGRAM].first);
    g_lists.slots[LIST_SLOT_NC_PROGRAM] = LineList{};
    g_job_file.full_path.clear();
    EditorTest::TearDown();
  }
  // What an NC run leaves in list slot 6.
  static void generated(const std::vector<std::string>& lines) {
    push_list();
    g_lists.current = LineList{};
    for (const std::string& text : lines) append_line(text.c_str())->kind = LINE_KIND_PARAGRAPH;
    g_lists.slots[LIST_SLOT_NC_PROGRAM] = g_lists.current;
    pop_list();
  }
  static void run_page(TextLine* node) {
    window_of(node)->key_filter = nc_page_hook;
    headless_inject_keystroke(VK_ESCAPE, 0);
    run_window(node);
  }
};

TEST_F(NcPageTest, ARunsProgramReplacesTheDocumentsLinesAndNamesItAfterTheJob) {
  TextLine* node = make_editor({"old line\n", "another\n"});
  g_job_file.full_path = "/work/jobs/part.job";
  generated({"G0 X1 Y1\n", "G1 Z-1\n"});
  run_page(node);
  EXPECT_EQ(lines_of(node), (std::vector<std::string>{"G0 X1 Y1\n", "G1 Z-1\n"}));
  EXPECT_EQ(g_lists.slots[LIST_SLOT_NC_PROGRAM].first, nullptr) << "the slot is handed over";
  EXPECT_STREQ(window_of(node)->title, "/work/jobs/part.NC");
  EXPECT_EQ(g_nc_page.document, node);
  EXPECT_EQ(window_of(node)->flags & WINDOW_CHANGED, 0u) << "a program just made asks nothing at a quit";
  EXPECT_EQ(g_job_settings.nc_state, NC_STATE_PROGRAM_READY);
  // Made again: the same document takes the new program.
  generated({"M30\n"});
  run_page(node);
  EXPECT_EQ(lines_of(node), (std::vector<std::string>{"M30\n"}));
}

TEST_F(NcPageTest, TitlesFollowTheJobAndThePostProcessorsExtension) {
  struct Case {
    const char* job;
    const char* extension;
    const char* title;
  };
  const Case cases[] = {
      {"", "NC", "(no name yet)"},
      {"/a/part.job", "NC", "/a/part.NC"},
      {"/a.b/part", "TAP", "/a.b/part.TAP"},
      {"/a/part.v2.job", "nc", "/a/part.v2.nc"},
  };
  for (const Case& c : cases) EXPECT_EQ(nc_document_title(c.job, c.extension), c.title) << c.job;
}

TEST_F(NcPageTest, AnEditSendsPageThreeToMakeItsProofAgain) {
  TextLine* node = make_editor({"G0 X1\n"});
  g_job_settings.nc_state = NC_STATE_PROOF_READY;
  window_of(node)->key_filter = nc_page_key;
  headless_inject_text("G");
  headless_inject_keystroke(VK_ESCAPE, 0);
  run_window(node);
  EXPECT_NE(window_of(node)->flags & WINDOW_CHANGED, 0u);
  EXPECT_EQ(g_job_settings.nc_state, NC_STATE_PROGRAM_READY);
}

}  // namespace
