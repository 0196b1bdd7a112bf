#include "ui/one_number_form.h"

#include "store/message_ids.h"
#include "ui/dialog_form.h"
#include "ui/settings_fields.h"
#include "ui/text_window.h"

namespace {

constexpr int NUMBER_FIELD_WIDTH = 9;
constexpr int ROW_NUMBER = 1;
static_assert(FORM_GO_TO_LINE_FIELDS == ROW_NUMBER + 1);
static_assert(FORM_MACHINING_GROUP_FIELDS == ROW_NUMBER + 1);

}  // namespace

EventCode one_number_dialog_field() {
  const EventCode result = edit_current_field([](int row) -> EventCode {
    if (row != ROW_NUMBER) return ok_cancel_field();
    return edit_value_field({&g_dialog_number, 0}, FIELD_LONG, FIELD_OPTIONS_USUAL,
                            NUMBER_FIELD_WIDTH);
  });
  begin_display_pass();
  skip_field_display();
  show_int_value(g_dialog_number, NUMBER_FIELD_WIDTH);
  draw_ok_cancel();
  return end_field_handler(result);
}
