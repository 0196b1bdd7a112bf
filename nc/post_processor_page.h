// What the NC formats page does to the list of post-processor definitions, apart from the
// screen: the blank entry the list keeps at its end while the page is open, the unnamed entries
// it drops when it closes, and the job's format taken from the list afterwards.
#pragma once

#include <cstdint>

#include "records/job_settings.h"
#include "store/line_list.h"

// On the current list: when it is empty, or its last entry has a name, appends an entry with
// the default definition, an empty name and the smallest free number. The entry appended, or
// null when none was needed (or memory ran out).
TextLine* keep_blank_post_entry();
// On the current list: deletes every entry whose name does not begin with a printable
// character; a list left empty gets the default definition under its default name. Returns the
// number of entries deleted.
int remove_unnamed_post_processors();
// True when the entry's name begins with a printable character.
bool post_entry_named(const TextLine* entry);
// An absolute-coordinates mark ('!') read from an old file is absolute coordinates.
void settle_coordinate_mode(TextLine* entry);

// After the page closed: the job's format is the entry with the chosen number (0: keep the
// job's number), else the first. A format other than the one before marks the job changed; the
// same format edited on the page only asks for the NC program again. Returns the entry.
TextLine* take_job_post_processor(int16_t chosen_number, bool job_format_edited);
