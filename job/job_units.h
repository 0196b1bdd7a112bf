// Turning a whole job from millimetres into inches or back, without moving a hole: the settings
// that are lengths always, and on the user's word the work surface, the material box and every
// item with its machining block.
#pragma once

#include <cstdint>

#include "store/message_ids.h"

#include "store/line_list.h"

// The choice prompts of a conversion: now in inches / now in millimetres. Their second choice
// converts the items too.
constexpr int CONVERT_CHOICE_ITEMS = 1;

// What a conversion did.
enum class UnitsConversion {
  SETTINGS_ONLY,  // the grid's step, tolerance and short moves only
  WHOLE_JOB,      // the surface, material box and items too
};

// Called after g_job_settings.units has changed: the lengths of the settings (the drawing page's
// step, tolerance, short-move limit and feed) take the factor of the new units. When a selected
// item is set for machining and the user takes the prompt's second choice, the work surface, Z
// shift, material box and every item of `items` (points, centres, radii, text layouts and
// machining blocks) follow, and the template items in `template_items` (may be null) move with
// their offset.
UnitsConversion convert_job_units(LineList* items, LineList* template_items);

// The part of a conversion that needs no question: every length of the settings, the items of
// the list and the template offset, by `factor`. The bench and the conversion share it.
void scale_job_lengths(double factor, LineList* items, LineList* template_items);
