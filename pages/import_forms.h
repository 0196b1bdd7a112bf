// The drawing import's forms: form 266 (file type, file, cut type, layers, join and order) and
// form 270 (a DXF file whose layer names pick the machining from the layer-name table), and
// the choice of the template drawing.
#pragma once

#include <string>

#include "screen/event_queue.h"

constexpr char IMPORT_NO_FILE_MESSAGE[] = "You must specify a file!";

// Runs the import of File-menu options 21 (form 266), 22 (form 270) and 104 (the template):
// import_drawing's result, 0 when a form was cancelled.
int run_import_form(int mode);

EventCode import_options_field();
EventCode import_drawing_field();

// The path form 266 or 270 chose last (tests read it).
const std::string& import_form_path();
