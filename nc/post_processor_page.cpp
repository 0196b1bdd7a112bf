#include "nc/post_processor_page.h"

#include "nc/post_processor.h"

TextLine* keep_blank_post_entry() {
  const TextLine* last = g_lists.current.last;
  if (last != nullptr && last->text.empty()) return nullptr;
  const int16_t number = first_unused_line_id();
  if (number == 0) return nullptr;  // every number 1..29999 is taken
  return default_post_processor("", number);
}

bool post_entry_named(const TextLine* entry) {
  return entry != nullptr && !entry->text.empty() && static_cast<uint8_t>(entry->text[0]) >= 32;
}

int remove_unnamed_post_processors() {
  int removed = 0;
  TextLine* cursor = g_lists.cursor_line;
  for (TextLine* entry = g_lists.current.first; entry != nullptr;) {
    if (post_entry_named(entry)) {
      entry = entry->next;
      continue;
    }
    const bool on_cursor = entry == cursor;
    TextLine* next = delete_post_processor(entry);
    // The cursor keeps its place: the entry after the deleted one, else the one before.
    if (on_cursor) cursor = next != nullptr ? next : g_lists.current.last;
    entry = next;
    ++removed;
  }
  if (g_lists.current.first == nullptr) cursor = default_post_processor(PP_DEFAULT_NAME, 1);
  g_lists.cursor_line = cursor;
  return removed;
}

void settle_coordinate_mode(TextLine* entry) {
  PostProcessorDef* def = post_processor_def(entry);
  if (def != nullptr && def->coordinate_mode == PP_COORDS_MARKED_ABSOLUTE)
    def->coordinate_mode = PP_COORDS_ABSOLUTE;
}

TextLine* take_job_post_processor(int16_t chosen_number, bool job_format_edited) {
  JobSettings& job = g_job_settings;
  const int16_t before = job.post_processor_number;
  const int16_t wanted = chosen_number != 0 ? chosen_number : before;
  TextLine* entry = find_post_processor(wanted);
  job.post_processor = entry;
  if (entry != nullptr) job.post_processor_number = entry->id;
  if (job.post_processor_number != before) {
    mark_job_changed();
  } else if (job_format_edited) {
    // The program must be made again in the new dialect; the drawing itself is unchanged.
    job.nc_state = 0;
  }
  return entry;
}
