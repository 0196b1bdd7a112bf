// Editing buffers: the ring of buffer windows and opening files into them.
#pragma once

#include <cstdint>
#include <string>

#include "screen/text_output.h"
#include "ui/text_window.h"

// open_in_buffer open flags
constexpr uint8_t OPEN_NAMED_FILE = 0x01;   // open the file named (else an empty buffer)
constexpr uint8_t OPEN_REQUESTED_PLACE = 0x04;  // the requested rectangle, not the editing area
constexpr uint8_t OPEN_MEDIUM_FONT = 0x10;
constexpr uint8_t OPEN_SMALL_FONT = 0x20;

struct BufferRing {
  TextLine* buffer_list = nullptr;         // window node of the first editing buffer, or null
  TextLine* placeholder_buffer = nullptr;  // the empty buffer made at start-up
  TextLine* buffer_to_activate = nullptr;  // the window the run loop switches to next
  uint8_t arrangement = 0;                 // 0 one buffer, 1 above each other, 2 side by side
  uint16_t window_options = 0x296;         // option word of new buffers: colour base 150 and the
                                           // editor face's font bit (0x100 menu, 0x800 small)
  std::string current_folder;              // folder new file records start in, ends with '/'
  std::string current_extension;           // extension they start with, with its dot
  // The rectangle a caller asks new buffers to take (OPEN_REQUESTED_PLACE), in cells.
  int16_t requested_top = 5;
  int16_t requested_left = 2;
  int16_t requested_bottom = 20;
  int16_t requested_right = 80;
};
inline BufferRing g_buffers;

// Opens a file into a new editing buffer (or makes an empty one), activates it and makes it the
// buffer to activate: 1 already in a buffer, 0 opened, -1 failure, -2 refused type.
// Only regular files are opened; a name that does not exist gives an empty buffer of that name.
// Program and archive files are refused (-2, no message); a file that cannot be read says why.
// The empty buffer made at start-up goes when the first file is opened while it is still blank.
int open_in_buffer(const char* path, WindowKeyFilter key_filter, WindowLineDrawer line_drawer,
                   uint32_t window_flags, uint8_t open_flags);

// The editor settings form: the folder and extension new buffers start with, the pointer glide,
// the NC key map, the tab width (taken at once), the shading style, hint boxes and shading.
// 0 kept, -1 cancelled (every value as it was).
int edit_editor_settings();

// Index of the extension's three-letter code in a packed list (a blank in the list ends a code
// early); -1 when absent or without an extension. Case does not count.
int find_three_letter_code(const char* extension, const char* list);

// The save question of the active buffer (catalogue prompt number): 0 nothing to save or saved,
// 27 cancelled, otherwise the save box's result.
// A buffer without a file name is asked for one (the save dialog) when it holds text. The
// changed mark goes only with a good save or when the user lets the changes go.
int ask_save_buffer(int prompt);
// Reads every unread range of the buffer into memory (the active window stays active); folded
// runs stay folded, walks bring them back. False when some text could not be read.
bool read_whole_buffer(TextLine* node);
// Saves the buffer under another name: its unread text is read in first, then the buffer names
// the new file and is saved there (the old file stays as it was). 0 saved, 27 not.
int16_t save_as_copy(TextLine* node, const std::string& path);
// Moves the active buffer's file to a name chosen in the rename form (its folder stays); the
// buffer then names the new file. Unread text is read in first. A file of the new name is never replaced (the user is
// told); on any failure the buffer and the file keep their old name. 1 moved, 0 not.
int rename_buffer_file();
// The editing buffers' file and find keys: Ctrl+O opens a file in a new buffer, Ctrl+S saves
// (asking for a name when there is none), Ctrl+F10 saves under another name, Ctrl+F4 closes
// the buffer (asking to save it), Ctrl+P compares it with the other shown buffer from the lines
// after both cursors, Ctrl+F, Ctrl+R and F3 become the find, replace and repeat
// codes. Other codes come back as they are.
EventCode buffer_file_command(EventCode code);
// The buffer's title from its file's full path.
void set_window_title_from_file(TextWindow* w);

// The editing buffer showing the file (its full path compared exactly, after resolving both
// paths where the file exists), or null.
TextLine* find_buffer_by_file(const char* path);

// The pages' entry points the editing buffers need; start-up fills them.
struct BufferEntryPoints {
  // The key filter of the first buffer: the NC program page's. Null: the run loop ends at once.
  WindowKeyFilter first_buffer_key = nullptr;
  // The NC page's key map of editor windows (page keys to editor codes). Null: codes unchanged.
  EventCode (*nc_editor_key_map)(EventCode code) = nullptr;
  // The NC page's menu commands the editor windows offer (print, save as, copy): 0 done, else a
  // code for the caller to act on. Null: nothing is done (0).
  EventCode (*nc_menu_command)(int16_t command) = nullptr;
};
inline BufferEntryPoints g_buffer_entries;

// Window flags of the first buffer.
constexpr uint32_t FIRST_BUFFER_FLAGS = 0x40213;

// Makes the first, empty buffer when none exists (start-up, and after the last was closed): keyed
// to the NC page, in the editing area, word-wrapped to its width. It is the placeholder that the
// first file opened replaces while it is still blank; one buffer shows, alone.
void create_first_edit_buffer();
