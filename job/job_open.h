// Opening a job without the interface: the job file is read into the current list, then what the
// file does not keep is worked out again, so that the items are ready to draw, pick and machine.
#pragma once

#include <string>

// Reads the job file at path into the current list (read_job_file, whose failure_format and
// result it shares) and, when it was read, settles the items it brought.
int load_job_file(const std::string& path, const char* failure_format);

// Polylines get their arcs refitted to their nodes and every item but a type-0 line the boxes
// of its links (the file keeps neither); then the items are renumbered.
void settle_read_items();

// Every item of the current list gets its position (1, 2, 3 ...) as its item ID; the job's item
// ID counter becomes their number.
void renumber_items();
