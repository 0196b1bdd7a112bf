// The screen's side of the machining host: the NC run's progress box and its last line, the Esc
// key that cancels a run without losing other input, and catalogue messages and questions shown
// in the program's boxes.
#include <string>

#include "nc/cam_host.h"
#include "store/catalogue.h"
#include "tests/ui/form_fixture.h"
#include "ui/cam_progress.h"
#include "ui/message_box.h"
#include "ui/popups.h"

namespace {

class CamProgressTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    reset_cam_host();
    reset_message_box();
    reset_popups();
    connect_cam_host_to_screen();
  }
  void TearDown() override {
    pump_set_idle_handler(nullptr);
    close_progress_box();
    reset_cam_host();
    FormTest::TearDown();
  }
  // The screen's rows as text, one string.
  std::string screen_text() const {
    std::string text;
    for (int row = 0; row <= g_display.current.last_row; ++row)
      text += row_text(row, 0, g_display.current.last_column + 1) + "\n";
    return text;
  }
};

TEST_F(CamProgressTest, TheBoxShowsTheRunsTextAndItsLatestLineUntilItCloses) {
  host_open_progress("Press \vESC\x13 to cancel (it may take a while to cancel)\n\n\n");
  ASSERT_NE(g_popups.window, nullptr);
  EXPECT_NE(screen_text().find("Press ESC to cancel (it may take a while to cancel)"),
            std::string::npos);
  const TextWindow* box = g_popups.window;
  EXPECT_GE(box->columns, 52);
  auto last_row = [&] { return row_text(box->bottom_row, box->left_column, box->columns); };
  host_show_progress("Pocketing group 3 of 12...");
  EXPECT_NE(last_row().find("Pocketing group 3 of 12..."), std::string::npos);
  host_show_progress("Centerline cutting...");
  EXPECT_NE(last_row().find("Centerline cutting..."), std::string::npos);
  EXPECT_EQ(last_row().find("of 12"), std::string::npos) << "a shorter line leaves nothing behind";
  EXPECT_TRUE(g_cam_host_log.progress.empty()) << "the lines go to the screen, not the log";
  host_close_progress();
  EXPECT_EQ(g_popups.window, nullptr);
  EXPECT_EQ(screen_text().find("to cancel"), std::string::npos);
}

TEST_F(CamProgressTest, EscCancelsAndOtherInputStaysQueued) {
  struct Case {
    const char* name;
    std::vector<EventCode> queued;
    bool escape;
    std::vector<EventCode> left;  // what the queue still holds afterwards
  };
  const Case cases[] = {
      {"nothing typed", {}, false, {}},
      {"Esc alone", {KEY_ESC}, true, {}},
      {"pointer moves and ticks before Esc go", {EVENT_POINTER_MOVE, EVENT_TICK, KEY_ESC, 'y'},
       true, {'y'}},
      {"a key before Esc keeps both", {'x', KEY_ESC}, false, {'x', KEY_ESC}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    reset_event_queue();
    for (EventCode code : c.queued) push_input_code(code);
    EXPECT_EQ(host_escape_pressed(), c.escape);
    std::vector<EventCode> left;
    while (pending_input_count() > 0) left.push_back(poll_input_code(0));
    EXPECT_EQ(left, c.left);
  }
}

TEST_F(CamProgressTest, CatalogueMessagesAndQuestionsReachTheScreen) {
  // Every box is answered with Esc.
  pump_set_idle_handler([] {
    headless_inject_keystroke(VK_ESCAPE, 0);
    return true;
  });
  const int shown = g_message_box.shown_count;
  ASSERT_NE(find_message(15005), 0);
  read_message_line(0);
  const std::string first_line = message_text();
  host_show_catalogue_message(15005);
  EXPECT_EQ(g_message_box.shown_count, shown + 1);
  EXPECT_NE(g_message_box.last_text.find(first_line), std::string::npos);
  host_show_catalogue_message(15999);  // no such message: its number is shown
  EXPECT_EQ(g_message_box.shown_count, shown + 2);
  EXPECT_NE(g_message_box.last_text.find("Msg #15999?"), std::string::npos);
  EXPECT_EQ(host_ask_catalogue_choice(-23050), -1) << "Esc ends the run";
  host_show_message("Nothing to machine.");
  EXPECT_EQ(g_message_box.last_text, "Nothing to machine.");
  EXPECT_TRUE(g_cam_host_log.messages.empty());
}

}  // namespace
