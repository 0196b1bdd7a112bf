// The job statistics report: the job's file and surface, the extents of the active drawing,
// the tools it needs and counts of items by machining operation, shown as text lines in an
// editor window through the job host.
#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "cam/machining_block.h"
#include "store/line_list.h"

constexpr char NO_MACHINABLE_ITEMS[] = "This job doesnt have any machinable items";
constexpr char ONLY_INACTIVE_LAYERS[] = "The only machinable items are on \vinactive\x13 layers";
constexpr char JOB_STATISTICS_TITLE[] = "Job Statistics";

// One line describing a tool (nothing for tool number 0) appended to lines.
void add_tool_line(const CamToolBlock& tool, bool drill, std::vector<std::string>* lines);

// The report's lines for the drawing list, the side list (items parked by the Engraving list
// page; may be null) and the time given; empty, with *note set, when there is nothing to
// report.
std::vector<std::string> job_statistics_lines(const TextLine* drawing, const TextLine* side,
                                              bool has_template, std::time_t now,
                                              std::string* note);
// Builds the report for the current list and shows it (or the note why there is none).
void show_job_statistics(const TextLine* side_items, bool has_template);
