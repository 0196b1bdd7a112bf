// The interface settings form (opened from the file menu): carets, delays and scroll steps of
// the interface, edited in place in the interface settings.
#pragma once

#include "screen/event_queue.h"

// The help topic of the form's fields.
constexpr int INTERFACE_SETTINGS_HELP_TOPIC = 660;

// The form's field handler.
EventCode interface_settings_field();
// Runs the form; 1 when it was accepted.
int run_interface_settings_form();
