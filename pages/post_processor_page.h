// The NC formats page: the list of post-processor definitions ("NC Formats (ie, post
// processors)") opened from the Job setup page, where the user picks the job's format, edits a
// definition in its dialog (catalogue form 160), adds one on the blank last line or deletes
// one. The list is written back to its file when it changed.
#pragma once

#include "screen/event_queue.h"

struct TextLine;

constexpr char POST_LIST_LETTERS[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr char POST_LIST_HELP[] =
    "You can arrange these protocols in this list\nto put the most important ones first.";
constexpr char POST_LIST_LEGEND[] =
    "Slide the cursor bar to the \vright\x13 to edit the hi-lited protocol\n\vDELETE\x13: delete "
    "spec            \vESC\x13 or \vRIGHT mouse button\x13: cancel";
constexpr char POST_DELETE_QUESTION[] = "Delete this post processor?";
constexpr char POST_KEPT_AS_BACKUP[] =
    "The NC formats file could be read only in part. The file as it was is kept beside it\n"
    "with the extension .BAK; the formats read from it are saved now.";

struct PostPage {
  TextLine* list_window = nullptr;   // the list's window while the page runs
  EventCode pending_step = 0;        // Up or Down left by PgUp or PgDn in the dialog
  bool job_format_edited = false;    // the job's own format was opened in the dialog
  bool told_backup = false;          // the user was told once that the damaged file was kept
  char name[40] = {};                // the dialog's copy of the name
};
extern PostPage g_post_page;
void reset_post_page();

// Runs the page: the chosen format becomes the job's. The job's format entry, or null.
TextLine* post_processor_page();
// The list window's key filter.
EventCode post_list_key();
// Runs dialog 160 on the entry under the cursor. The code for the list: Up or Down to go on
// with the entry above or below (PgUp, PgDn), 430 to leave the page too, else 0.
EventCode edit_post_processor();
// The field handler of dialog 160.
EventCode post_processor_field();
