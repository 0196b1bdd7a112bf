// The machining-time estimate of the proof file: the form of the rapid-speed model (one for inch
// jobs, one for millimetre jobs), then the accumulation and its report in a window of its own.
#pragma once

#include <cstdint>

#include "screen/event_queue.h"

constexpr char ZERO_RAPID_SPEED_MESSAGE[] =
    "A rapid speed of 0 can not be timed: give every rapid speed a value above 0.";
constexpr char MACHINING_TIME_TITLE[] = "Machining time";

// The report window: 60 columns by 22 rows, its bottom 10 rows above the screen's; 18 rows, 7
// above, on a screen of at most 33 rows.
constexpr int REPORT_WIDTH = 60;
constexpr int REPORT_HEIGHT = 22;
constexpr int REPORT_HEIGHT_SMALL = 18;
constexpr int REPORT_BOTTOM_GAP = 10;
constexpr int REPORT_BOTTOM_GAP_SMALL = 7;
constexpr int REPORT_SMALL_SCREEN_ROWS = 33;

// The form's state beyond the values it edits (those are the estimate's working settings).
struct RapidSettingsForm {
  uint8_t column = 0;  // the table's column being edited: 0 the distance, 1 the speed
};
inline RapidSettingsForm g_rapid_form;

// The form's field handler.
EventCode rapid_settings_field();
// The form, and when it is accepted the new settings stored in the preferences, the proof file
// timed and the report shown. 1 when the report was shown, 0 when the form was cancelled.
int estimate_machining_time();
