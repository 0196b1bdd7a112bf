// The machining-time estimate as a user runs it: the rapid-speed form answered through the event
// queue, the settings it leaves in the preferences, and the report window's text on the screen.
#include <optional>
#include <string>

#include "nc/proof_file.h"
#include "nc/time_estimate.h"
#include "pages/time_estimate_form.h"
#include "platform/window.h"
#include "records/job_settings.h"
#include "records/preferences.h"
#include "store/message_ids.h"
#include "tests/support/temp_folder_env.h"
#include "tests/ui/form_fixture.h"
#include "screen/pointer.h"
#include "ui/message_box.h"

namespace {

class TimeEstimateFormTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    temp_.emplace("brenvik_time_form");
    g_job_settings = JobSettings{};
    g_job_settings.units = JOB_UNITS_INCH;
    g_preferences = Preferences{};
    g_message_box = MessageBoxState{};
    reset_time_estimate_state();
    start_typist();
  }
  void TearDown() override {
    pump_set_idle_handler(nullptr);
    proof_delete_file();
    temp_.reset();
    FormTest::TearDown();
  }

  // A proof run of 5 cut at 10 per minute, a tool change and rapids of 2 and 0.8.
  static void write_proof_run() {
    ASSERT_TRUE(proof_open());
    proof_write_line(1, 10.0f, 0);
    proof_write_record('A', 0, 0, 0);
    proof_write_record('1', 3, 4, 0);
    proof_write_tool('T', 2);
    proof_write_record('0', 3, 6, 0);
    proof_write_record('0', 3, 6.8f, 0);
    proof_close();
  }
  // The screen column of a table value (0 distance, 1 speed) and a point inside it.
  static int table_x(int column) {
    const TextWindow* w = g_windows.active;
    const int cell = g_display.current.cell_width;
    return (w->left_column + (column == 0 ? 2 : 24) + 1) * cell + cell / 2;
  }

  // A value typed anew: Del clears the field, the digits and Enter.
  static void type_value(const char* digits) {
    typist_key(VK_DELETE);
    typist_text(digits);
    typist_key(VK_RETURN);
  }
  // Once the report window waits: keeps what the screen shows, then closes it with Esc.
  void close_report(std::string* seen) {
    g_typist.steps.push_back(typist_step_when(
        [] {
          return g_windows.active != nullptr &&
                 std::string(g_windows.active->title) == MACHINING_TIME_TITLE;
        },
        [this, seen] {
          if (seen != nullptr) *seen = screen_text();
          headless_inject_keystroke(VK_ESCAPE, 0);
        }));
  }

  std::optional<TempFolderEnv> temp_;
};

TEST_F(TimeEstimateFormTest, FirstUseShowsTheFactorySettingsAndReportsTheTime) {
  write_proof_run();
  std::string form, report;
  typist_look(&form);
  typist_text("O");
  close_report(&report);
  EXPECT_EQ(estimate_machining_time(), 1);
  EXPECT_NE(form.find("Fastest rapid speed, in/min: 120"), std::string::npos) << form;
  EXPECT_NE(form.find(" 6 "), std::string::npos) << "the tool change in seconds\n" << form;
  // 5 at 10/min, a tool change of 0.1 min, and rapids of 2 and 0.8 at the medium speed.
  EXPECT_NE(report.find("0 mins, 39 secs"), std::string::npos) << report;
  EXPECT_NE(report.find("X-Y cutting: 5.0 inches"), std::string::npos) << report;
  EXPECT_NE(report.find("X-Y rapid: 2.8 inches"), std::string::npos) << report;
  EXPECT_NE(report.find("rapid travel of 120.0 ipm"), std::string::npos) << report;
  // The factory settings are kept, the tool change in minutes.
  EXPECT_FLOAT_EQ(g_preferences.rapid_settings.full_speed, 120.0f);
  EXPECT_FLOAT_EQ(g_preferences.rapid_settings.tool_change_minutes, 0.1f);
}

TEST_F(TimeEstimateFormTest, SettingsTypedInTheFormAreKeptAndTimeTheRun) {
  write_proof_run();
  typist_key(VK_DOWN);
  type_value("200");   // the fastest rapid speed
  typist_key(VK_DOWN);
  type_value("3");     // three seconds a tool change
  typist_key(VK_DOWN); // past the text rows to the short moves
  type_value("1");     // short below 1 ...
  typist_key(VK_RIGHT);
  type_value("20");    // ... at 20 per minute
  for (int k = 0; k < 3; ++k) typist_key(VK_UP);  // up past the text rows to the bar
  typist_text("O");
  close_report(nullptr);
  EXPECT_EQ(estimate_machining_time(), 1);
  const RapidSettings& r = g_preferences.rapid_settings;
  EXPECT_FLOAT_EQ(r.full_speed, 200.0f);
  EXPECT_FLOAT_EQ(r.tool_change_minutes, 0.05f);
  EXPECT_FLOAT_EQ(r.short_distance, 1.0f);
  EXPECT_FLOAT_EQ(r.slow_speed, 20.0f);
  EXPECT_FLOAT_EQ(r.medium_distance, 2.5f);
  // 0.5 cutting + 0.05 + 2 at the medium 50 + 0.8 at 20.
  EXPECT_NEAR(g_time_estimate.total_minutes, 0.5 + 0.05 + 0.04 + 0.04, 1e-5);
}

TEST_F(TimeEstimateFormTest, AClickInTheTablePicksTheColumnUnderThePointer) {
  write_proof_run();
  // The program's window has the focus and the mouse, as on the screen.
  install_main_window_proc();
  headless_inject_focus(true);
  headless_inject_mouse_move(300, 300);
  pump_messages();
  reset_event_queue();
  for (int k = 0; k < 4; ++k) typist_key(VK_DOWN);  // to the medium moves, past the text
  // The pointer stands on the medium speed and clicks there.
  g_typist.steps.push_back([] {
    const int cell = g_display.current.cell_height;
    g_pointer.wanted_x = table_x(1);
    g_pointer.wanted_y = (g_windows.active->top_row + 8) * cell + cell / 2;
    headless_inject_mouse_button(WINDOW_BUTTON_LEFT, true, g_pointer.wanted_x, g_pointer.wanted_y);
    headless_inject_mouse_button(WINDOW_BUTTON_LEFT, false, g_pointer.wanted_x, g_pointer.wanted_y);
  });
  typist_key(VK_END);
  typist_text("0");  // 50 becomes 500
  typist_key(VK_RETURN);
  for (int k = 0; k < 4; ++k) typist_key(VK_UP);
  typist_text("O");
  close_report(nullptr);
  EXPECT_EQ(estimate_machining_time(), 1);
  EXPECT_FLOAT_EQ(g_preferences.rapid_settings.medium_speed, 500.0f);
  EXPECT_FLOAT_EQ(g_preferences.rapid_settings.medium_distance, 2.5f);
}

TEST_F(TimeEstimateFormTest, ARapidSpeedOfZeroCanNotBeAccepted) {
  g_preferences.rapid_settings = default_rapid_settings(false);
  g_preferences.rapid_settings.medium_speed = 0.0f;
  typist_text("O");
  typist_key(VK_RETURN);  // the message's key
  typist_key(VK_ESCAPE);
  EXPECT_EQ(estimate_machining_time(), 0);
  EXPECT_EQ(g_message_box.last_text, ZERO_RAPID_SPEED_MESSAGE);
  EXPECT_EQ(g_preferences.rapid_settings.medium_speed, 0.0f);
}

// Settings kept in inches time a millimetre job in millimetres, in the millimetre form.
TEST_F(TimeEstimateFormTest, AMillimetreJobIsTimedInItsOwnUnits) {
  g_job_settings.units = JOB_UNITS_MILLIMETRE;
  g_preferences.rapid_settings = default_rapid_settings(false);
  std::string form;
  typist_look(&form);
  typist_key(VK_ESCAPE);
  EXPECT_EQ(estimate_machining_time(), 0);
  EXPECT_NE(form.find("Fastest rapid speed, mm/min: 3048"), std::string::npos)
      << "120 in/min in mm/min\n" << form;
  EXPECT_FLOAT_EQ(g_preferences.rapid_settings.full_speed, 120.0f) << "cancelled: kept";
}

}  // namespace
