// Interface tests of the machine link: the dialog-form screen with the catalogue open, the link
// on a pseudo-terminal pair (tests/nc/serial_link_fixture.h), one protocol in the list, the
// link's host and the timer's serial steps connected as start-up connects them, and a user
// whose steps can wait for the program to show what they answer.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <utility>

#include "nc/comm_protocol.h"
#include "pages/protocol_list.h"
#include "pages/serial_terminal.h"
#include "pages/serial_transfer.h"
#include "screen/tick_clock.h"
#include "screen/timer.h"
#include "tests/nc/serial_link_fixture.h"
#include "tests/ui/form_fixture.h"
#include "store/store_host.h"
#include "ui/message_box.h"
#include "ui/popups.h"

class SerialUiTest : public FormTest, protected SerialLinkFixture {
 protected:
  struct UserStep {
    std::function<bool()> ready;
    std::function<void()> act;
  };
  static std::deque<UserStep>& user_steps() {
    static std::deque<UserStep> steps;
    return steps;
  }
  static bool user_idle() {
    auto& steps = user_steps();
    if (steps.empty() || !steps.front().ready()) return false;
    const UserStep step = steps.front();
    steps.pop_front();
    step.act();
    return true;
  }

  void SetUp() override {
    FormTest::SetUp();
    set_up_link();
    reset_serial_interface();
    reset_protocol_list();
    reset_terminal();
    reset_message_box();
    reset_protocols();
    reset_timer();
    reset_tick_clock();
    connect_serial_link();
    // Catalogue messages reach the screen as start-up connects them.
    g_store_host.show_text_box = show_text_box;
    user_steps().clear();
    pump_set_idle_handler(user_idle);
    use_protocols({plain_protocol()});
    // The program's waits let the timer run, as after start-up.
    pump_start_timer();
  }
  void TearDown() override {
    pump_set_idle_handler(nullptr);
    reset_store_host();
    close_serial_link();
    free_protocols();
    reset_serial_interface();
    while (g_popups.current != nullptr) close_top_popup();
    tear_down_link();
    FormTest::TearDown();
  }

  // The protocol list: one line per protocol, named "Protocol n".
  void use_protocols(const std::vector<CommProtocol>& protocols) {
    free_protocols();
    push_list();
    clear_current_list();
    int n = 0;
    for (const CommProtocol& p : protocols)
      append_protocol(("Protocol " + std::to_string(++n)).c_str(), p);
    renumber_lines();
    g_protocols.lines = g_lists.current;
    clear_current_list();
    pop_list();
  }
  static TextLine* protocol_line(int n = 1) { return find_line_by_id_from(g_protocols.lines.first, static_cast<int16_t>(n)); }

  // A step for the user: when the program next waits with `ready` holding, `act` runs (a key,
  // a click, a look at the screen). Steps run in order; until the first is ready the program's
  // waits go on as without a user, so the virtual clock moves.
  static void user_when(std::function<bool()> ready, std::function<void()> act) {
    user_steps().push_back({std::move(ready), std::move(act)});
  }
  // Keys and text for the program's next waits, one at each.
  static void press(int vk, int mods = 0) {
    user_when([] { return true; }, [vk, mods] { headless_inject_keystroke(vk, mods); });
  }
  static void type(const std::string& text) {
    user_when([] { return true; }, [text] { headless_inject_text(text); });
  }
  // Enter once a box showing `text` has been opened.
  static void answer_box(const std::string& text) {
    user_when([text] { return g_message_box.last_text.find(text) != std::string::npos; },
                [] { headless_inject_keystroke(VK_RETURN, 0); });
  }
  static bool status_showed(const std::string& text) {
    for (const std::string& shown : g_serial_ui.status_texts) {
      if (shown.find(text) != std::string::npos) return true;
    }
    return false;
  }
  static bool requested(const std::string& request) {
    const auto& all = g_serial_hooks.requests;
    return std::find(all.begin(), all.end(), request) != all.end();
  }
};
