// The file-name dialog: a catalogue form over one program-wide file record that edits its name,
// extension and folder and tells whether the file exists (with its size and date) or will be a
// new one. It serves the copy of a file elsewhere (form 130), the NC program's file name (form
// 132) and the renaming of an editing buffer's file (form 138, folder fixed). Callers copy the
// record of interest into g_file_name_dialog.record before and take it back after an accepted
// dialog.
#pragma once

#include <string>

#include "screen/event_queue.h"
#include "store/file_reader.h"

struct FileNameDialog {
  FileRecord record;          // what the dialog edits: folder ('/'-ended), name, extension
                              // (with its dot), full path; its stream is never opened or closed
  bool fixed_folder = false;  // set around a call: the folder row cannot be entered (dimmed)
  std::string info;           // the information line under the fields, as last built
};
extern FileNameDialog g_file_name_dialog;

// Runs catalogue form `form` over the record: 13 when it was accepted, 27 when cancelled.
int file_name_dialog(int form);
// Its field handler (row 0 OK/CANCEL, 1 the name, 2 the extension, 3 the folder).
EventCode file_name_dialog_fields();
// Creates the record's folder (one level) when it does not exist; false when it could not be
// made (a folder that exists, or none named, is no failure).
bool make_file_folder();
// Takes a typed path into a record: the folder when the path has one that exists, the name,
// and the extension the name has (else the record's extension is put on the name). The
// dialog's name, extension and folder rows are flagged for drawing. A path that starts with a
// control character does nothing.
void set_file_record_path(const std::string& path, FileRecord* record);

// Test hook: an empty record, the folder free.
void reset_file_name_dialog();
