// The settings dialogs of the job and the user: the job's output options (form 762, "More job
// settings"), the preferences (form 166, File-menu option 120) and the grid and snap options of
// the Drawing page (form 370).
#pragma once

#include "job/job_units.h"
#include "screen/event_queue.h"

const char* const* cut_type_names();   // the cut types of new items, null-ended
const char* const* units_names();      // "Metric", "Inches"

// Form 762 on the job's settings: accepted, the job is marked changed; cancelled, the settings
// come back, and so do the items when a change of units converted them. 1 accepted, 0 not.
int edit_job_options();
// Form 166 on the preferences: cancelled, every preference comes back. Accepted, the job takes
// the defaults' new-item cut types, node markers, grid step and the working grid display; when
// the default units differ from the job's, the job is converted (convert_job_units and its
// question), never relabelled with its geometry left as it was. 1 accepted, 0 not.
int edit_preferences();
// Form 370 on a copy of the grid and snap settings, written back on OK (the job then counts as
// changed). 1 accepted, 0 not.
int grid_options_dialog();

// convert_job_units on the drawing window's items and the template items.
UnitsConversion convert_job_in_drawing_window();

EventCode job_options_field();
EventCode preferences_field();
EventCode grid_options_field();
