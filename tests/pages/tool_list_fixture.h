// The tool list window as start-up makes it, for the tests of the tool list page and of the tool
// forms that pick from it: an inch job, the user's steps queued, and the window, the tool list
// slot and any box left open given back after each test.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "cam/tools.h"
#include "pages/tool_list_page.h"
#include "records/job_settings.h"
#include "store/line_list.h"
#include "tests/pages/queued_user.h"
#include "tests/ui/form_fixture.h"
#include "ui/list_window.h"
#include "ui/popups.h"
#include "ui/run_window.h"

class ToolListFixture : public FormTest, protected QueuedUser {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    reset_tool_list_page();
    QueuedUser::start();
    g_job_settings = JobSettings{};
    g_job_settings.units = JOB_UNITS_INCH;
  }
  void TearDown() override {
    QueuedUser::stop();
    if (g_tool_list_page.window != nullptr) destroy_window(g_tool_list_page.window);
    g_lists.slots[LIST_SLOT_TOOLS] = LineList{};
    reset_tool_list_page();
    while (g_popups.current != nullptr) close_top_popup();
    g_job_settings = JobSettings{};
    FormTest::TearDown();
  }

  // The window over the given tools, in list slot 8 as start-up reads them.
  static void open_tool_list(const std::vector<std::pair<std::string, ToolRecord>>& tools) {
    push_list();
    clear_current_list();
    for (const auto& [name, tool] : tools) {
      TextLine* line = append_line(name.c_str(), tool_record_extra(tool));
      ASSERT_NE(line, nullptr);
      line->id = first_unused_line_id();
    }
    g_lists.slots[LIST_SLOT_TOOLS] = g_lists.current;
    clear_current_list();
    pop_list();
    push_list();
    clear_current_list();
    g_tool_list_page.window = create_window(nullptr, {
        .top_row = 3, .left_column = 2, .bottom_row = 10, .right_column = 26, .flags = 0x4013,
        .key_filter = tool_list_key, .line_drawer = draw_check_list_line, .options = 316,
        .wrap_width = 125, .title = "You can customize this tool list", .list_options = 0x22004024,
    });
    pop_list();
    ASSERT_NE(g_tool_list_page.window, nullptr);
    TextWindow* w = window_of(g_tool_list_page.window);
    w->first_line = w->current_line = g_lists.slots[LIST_SLOT_TOOLS].first;
    w->last_line = g_lists.slots[LIST_SLOT_TOOLS].last;
  }
};
