// The job's template drawing: a drawing made elsewhere, shown behind the job's items.
#pragma once

// When the template list is empty, reads the job's template drawing into it and moves its items
// by the job's template offset; the list stays empty when the file does not read.
// Stand-in: the template list is the import's (g_import.template_items); the Drawing page's own list and its redraw come with the page.
void load_template_items();
