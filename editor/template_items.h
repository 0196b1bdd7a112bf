// The job's template drawing behind the items: read from the template file the job names into
// the import's template list, and moved by the job's template offset.
#pragma once

// Loads the template file into the template list when that list is empty, and moves what it
// gets by the template offset.
void load_template_items();
