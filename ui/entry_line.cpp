#include "ui/entry_line.h"

EntryLineState g_entry;

// Stand-in: edits nothing; the text stays and no key ended the entry.
int16_t edit_text_line(char*, int, int, const char*, uint32_t, int, uint16_t) { return 0; }
EventCode entry_key_filter() { return KEY_ESC; }
int16_t edit_number_box(int, int, int, void*, uint32_t, uint16_t) { return KEY_ESC; }
int pick_from_strings(const char* const*, const char*, int, int, int, uint32_t) { return -1; }
void text_pointer_shape() {}
void redraw_under_entry() {}
void reset_entry_line() { g_entry = EntryLineState(); }
