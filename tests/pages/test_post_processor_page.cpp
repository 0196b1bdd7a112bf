// The NC formats page, driven through the event queue: it opens on the job's format, a pick
// becomes the job's, the dialog edits a definition in place (the file read back by this test's
// own reader differs only in the edited bytes), Del asks first, unnamed entries never reach the
// file, and PgDn goes on with the next definition.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "nc/post_processor.h"
#include "nc/post_processor_page.h"
#include "pages/post_processor_page.h"
#include "records/job_settings.h"
#include "store/store_host.h"
#include "tests/pages/queued_user.h"
#include "tests/support/test_folder.h"
#include "tests/ui/form_fixture.h"
#include "ui/message_box.h"
#include "ui/popups.h"

namespace {

// ---- This test's own reader of the NC formats file ---------------------------------------------

struct StoredFormat {
  std::string name;
  int number = 0;
  std::vector<uint8_t> record;
  std::vector<std::vector<std::string>> sections;
};

bool read_formats(const std::string& path, std::vector<StoredFormat>* out) {
  const std::string bytes = read_file_bytes(path);
  if (bytes.size() < 9 || bytes.compare(0, 9, "SI012699\r") != 0) return false;
  size_t at = 9;
  auto u8 = [&](uint8_t* v) {
    if (at + 1 > bytes.size()) return false;
    *v = static_cast<uint8_t>(bytes[at++]);
    return true;
  };
  auto i16 = [&](int* v) {
    if (at + 2 > bytes.size()) return false;
    *v = static_cast<int16_t>(static_cast<uint8_t>(bytes[at]) | (static_cast<uint8_t>(bytes[at + 1]) << 8));
    at += 2;
    return true;
  };
  while (at < bytes.size()) {
    StoredFormat f;
    uint8_t n = 0;
    if (!u8(&n) || at + n + 1 > bytes.size() || bytes[at + n] != '\0') return false;
    f.name = bytes.substr(at, n);
    at += n + 1;
    if (!i16(&f.number) || at + 76 > bytes.size()) return false;
    f.record.assign(bytes.begin() + static_cast<long>(at), bytes.begin() + static_cast<long>(at + 76));
    at += 76;
    for (int s = 0; s < 8; ++s) {
      std::vector<std::string> lines;
      for (;;) {
        int length = 0;
        if (!i16(&length) || length < 0 || at + static_cast<size_t>(length) > bytes.size()) return false;
        if (length == 0) break;
        lines.push_back(bytes.substr(at, static_cast<size_t>(length)));
        at += static_cast<size_t>(length);
      }
      f.sections.push_back(lines);
    }
    out->push_back(f);
  }
  return true;
}

// ---- The fixture ----------------------------------------------------------------------------------

class PostPageTest : public FormTest, protected QueuedUser {
 protected:
  static bool list_open() { return g_post_page.list_window != nullptr && g_field.running_form == nullptr; }
  static bool dialog_open() { return g_field.running_form != nullptr; }

  void SetUp() override {
    FormTest::SetUp();
    reset_post_page();
    reset_message_box();
    g_store_host.show_text_box = show_text_box;
    QueuedUser::start();
    folder_ = make_test_folder("post_page");
    free_post_processors();
    push_list();
    clear_current_list();
    default_post_processor("Alpha", 1);
    default_post_processor("Beta", 2);
    g_post_processors.list = g_lists.current;
    clear_current_list();
    pop_list();
    g_post_processors.file_path = (folder_ / PP_FILE_NAME).string();
    ASSERT_EQ(save_post_processor_file(g_post_processors.file_path, g_post_processors.list.first), 0);
    ASSERT_TRUE(read_formats(g_post_processors.file_path, &original_));
    g_post_processors.changed = false;
    g_post_processors.read_in_part = false;
    g_job_settings = JobSettings{};
    g_job_settings.post_processor_number = 1;
    g_job_settings.nc_state = 0x40;
  }
  void TearDown() override {
    QueuedUser::stop();
    reset_store_host();
    while (g_popups.current != nullptr) close_top_popup();
    free_post_processors();
    g_job_settings = JobSettings{};
    FormTest::TearDown();
  }

  static std::vector<std::string> names() {
    std::vector<std::string> out;
    for (const TextLine* e = g_post_processors.list.first; e != nullptr; e = e->next) out.push_back(e->text);
    return out;
  }
  std::vector<StoredFormat> saved() const {
    std::vector<StoredFormat> formats;
    EXPECT_TRUE(read_formats(g_post_processors.file_path, &formats));
    return formats;
  }

  std::filesystem::path folder_;
  std::vector<StoredFormat> original_;
};

TEST_F(PostPageTest, APickBecomesTheJobsFormatAndChangesTheJob) {
  std::string opened_on;
  when(list_open, [&] {
    opened_on = g_lists.cursor_line != nullptr ? g_lists.cursor_line->text : "";
    headless_inject_keystroke(VK_DOWN, 0);
  });
  press(VK_RETURN);
  TextLine* entry = post_processor_page();
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(opened_on, "Alpha");
  EXPECT_EQ(entry->text, "Beta");
  EXPECT_EQ(g_job_settings.post_processor_number, 2);
  EXPECT_EQ(g_job_settings.post_processor, entry);
  EXPECT_NE(g_job_settings.job_changed & JOB_CHANGED, 0);
  EXPECT_EQ(g_job_settings.nc_state, 0);
  // The blank entry for a new format is gone and nothing was edited: the file stands.
  EXPECT_EQ(names(), (std::vector<std::string>{"Alpha", "Beta"}));
  EXPECT_FALSE(g_post_processors.changed);
}

TEST_F(PostPageTest, TheDialogEditsLineNumbersAndOnlyThatByteChangesInTheFile) {
  when(list_open, [] { headless_inject_keystroke(VK_RIGHT, 0); });
  when(dialog_open, [] { headless_inject_keystroke(VK_DOWN, 0); });
  press(VK_DOWN);
  press(VK_DOWN);
  press(VK_DOWN);  // line numbers
  type("y");
  press(VK_ESCAPE);  // leaves the dialog
  when(list_open, [] { headless_inject_keystroke(VK_ESCAPE, 0); });  // and the page
  post_processor_page();
  const std::vector<StoredFormat> formats = saved();
  ASSERT_EQ(formats.size(), 2u);
  std::vector<uint8_t> expected = original_[0].record;
  expected[3] = 1;
  EXPECT_EQ(formats[0].record, expected);
  EXPECT_EQ(formats[0].sections, original_[0].sections);
  EXPECT_EQ(formats[1].record, original_[1].record);
  // The job keeps its format, whose program must be made again; the drawing is unchanged.
  EXPECT_EQ(g_job_settings.post_processor_number, 1);
  EXPECT_EQ(g_job_settings.nc_state, 0);
  EXPECT_EQ(g_job_settings.job_changed & JOB_CHANGED, 0);
}

TEST_F(PostPageTest, DelAsksAndTheFileIsWrittenWithoutTheFormat) {
  when(list_open, [] { headless_inject_keystroke(VK_DELETE, 0); });
  type("n");
  when(list_open, [] { headless_inject_keystroke(VK_DELETE, 0); });
  type("y");
  when(list_open, [] { headless_inject_keystroke(VK_ESCAPE, 0); });
  post_processor_page();
  EXPECT_NE(g_message_box.last_text.find(POST_DELETE_QUESTION), std::string::npos);
  EXPECT_EQ(names(), std::vector<std::string>{"Beta"});
  const std::vector<StoredFormat> formats = saved();
  ASSERT_EQ(formats.size(), 1u);
  EXPECT_EQ(formats[0].name, "Beta");
  EXPECT_EQ(formats[0].number, 2);
  // The job's format went: the first one left is the job's now.
  EXPECT_EQ(g_job_settings.post_processor_number, 2);
}

TEST_F(PostPageTest, DeletingEveryFormatLeavesABlankOneAndThenTheDefault) {
  int blank_lines = -1;
  when(list_open, [] { headless_inject_keystroke(VK_DELETE, 0); });
  type("y");
  when(list_open, [] { headless_inject_keystroke(VK_DELETE, 0); });
  type("y");
  when(list_open, [&] {
    blank_lines = 0;
    for (const TextLine* e = g_lists.current.first; e != nullptr; e = e->next)
      blank_lines += e->text.empty() ? 1 : 0;
    blank_lines -= g_lists.current.first == nullptr ? 1 : 0;
    headless_inject_keystroke(VK_ESCAPE, 0);
  });
  post_processor_page();
  EXPECT_EQ(blank_lines, 1);
  EXPECT_EQ(names(), std::vector<std::string>{PP_DEFAULT_NAME});
  const std::vector<StoredFormat> formats = saved();
  ASSERT_EQ(formats.size(), 1u);
  EXPECT_EQ(formats[0].name, PP_DEFAULT_NAME);
}

TEST_F(PostPageTest, EnterOnTheBlankEntryIsRefusedAndANamelessFormatIsNeverWritten) {
  when(list_open, [] { headless_inject_keystroke(VK_END, 0); });
  press(VK_DOWN);
  press(VK_DOWN);
  press(VK_RETURN);  // the blank entry: message 10100
  press(VK_SPACE);   // the box waits for a key
  when(list_open, [] { headless_inject_keystroke(VK_RIGHT, 0); });
  press(VK_DOWN);  // a definition is edited but never named
  type("y");
  press(VK_ESCAPE);
  when(list_open, [] { headless_inject_keystroke(VK_ESCAPE, 0); });
  EXPECT_EQ(post_processor_page(), find_post_processor(1));
  EXPECT_NE(g_message_box.last_text.find("no name"), std::string::npos);
  EXPECT_EQ(names(), (std::vector<std::string>{"Alpha", "Beta"}));
  EXPECT_EQ(saved().size(), 2u);
}

TEST_F(PostPageTest, PgDnGoesOnWithTheNextFormatsDialog) {
  PostProcessorDef* beta = post_processor_def(g_post_processors.list.last);
  beta->coordinate_mode = PP_COORDS_MARKED_ABSOLUTE;
  std::string second_name;
  when(list_open, [] { headless_inject_keystroke(VK_RIGHT, 0); });
  when(dialog_open, [] { headless_inject_keystroke(VK_NEXT, 0); });
  when(dialog_open, [&] {
    second_name = g_post_page.name;
    headless_inject_keystroke(VK_ESCAPE, 0);
  });
  when(list_open, [] { headless_inject_keystroke(VK_ESCAPE, 0); });
  post_processor_page();
  EXPECT_EQ(second_name, "Beta");
  const std::vector<StoredFormat> formats = saved();
  ASSERT_EQ(formats.size(), 2u);
  EXPECT_EQ(formats[1].record[1], PP_COORDS_ABSOLUTE);
}

TEST_F(PostPageTest, AFileReadInPartIsKeptAsBackupAndTheUserToldOnce) {
  const std::string before = read_file_bytes(g_post_processors.file_path);
  g_post_processors.read_in_part = true;
  for (int round = 0; round < 2; ++round) {
    when(list_open, [] { headless_inject_keystroke(VK_DELETE, 0); });
    type("y");
    when(list_open, [] { headless_inject_keystroke(VK_ESCAPE, 0); });
    if (round == 0) press(VK_RETURN);  // the notice, the first time only
    reset_message_box();
    post_processor_page();
    EXPECT_EQ(g_message_box.last_text.find("only in part") != std::string::npos, round == 0);
    if (round == 0) {
      std::string backup = g_post_processors.file_path;
      backup.replace(backup.size() - 3, 3, "BAK");
      EXPECT_EQ(read_file_bytes(backup), before);
    }
  }
}

// The list operations themselves.
TEST_F(PostPageTest, TheListKeepsOneBlankEntryWithTheSmallestFreeNumber) {
  push_list();
  g_lists.current = g_post_processors.list;
  TextLine* blank = keep_blank_post_entry();
  ASSERT_NE(blank, nullptr);
  EXPECT_EQ(blank->id, 3);
  EXPECT_EQ(keep_blank_post_entry(), nullptr);
  set_line_text("\x01hidden", g_lists.current.first);
  EXPECT_EQ(remove_unnamed_post_processors(), 2);
  g_post_processors.list = g_lists.current;
  clear_current_list();
  pop_list();
  EXPECT_EQ(names(), std::vector<std::string>{"Beta"});
}

}  // namespace

namespace {

// Ctrl+F1 on a code row explains that section and its placeholders in a box.
TEST_F(PostPageTest, TheHelpKeyOnACodeRowExplainsItsSection) {
  struct Case {
    int downs;  // from the name row
    const char* says;
  };
  const Case cases[] = {{11, "STARTing code"}, {12, "Finished-With-Line code"},
                        {14, "TOOL CHANGE code"}, {16, "RESET-After-Line code"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.says);
    g_message_box.last_text.clear();
    when(list_open, [] { headless_inject_keystroke(VK_RIGHT, 0); });
    when(dialog_open, [] { headless_inject_keystroke(VK_DOWN, 0); });
    for (int k = 1; k < c.downs; ++k) press(VK_DOWN);
    press(VK_F1, WINDOW_MOD_CTRL);
    press(VK_RETURN);  // the box
    press(VK_ESCAPE);  // the dialog
    when(list_open, [] { headless_inject_keystroke(VK_ESCAPE, 0); });
    post_processor_page();
    EXPECT_NE(g_message_box.last_text.find(c.says), std::string::npos) << g_message_box.last_text;
  }
}

}  // namespace
