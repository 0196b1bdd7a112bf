// The printer set-up, drawn in cells like every other form: where the pages go ("PDF file" or a
// CUPS queue), the paper and its orientation. It stands in place of a system print dialog, and
// the name of a PDF file is asked when a print starts.
#pragma once

#include <string>

#include "screen/event_queue.h"

// Runs the set-up form over g_printer: 1 when the user accepted a printer that could be measured
// (it is then the printer of this print), 0 when cancelled or when the printer chosen failed (the
// user was told why; the printer before is kept).
int run_printer_setup();
// The form's field handler.
EventCode printer_setup_field();

// Asks the name of the PDF file when the pages go to one, preset with `proposal`; true with the
// name stored in g_printer.setup.file_path, false when the user cancelled. A queue asks nothing.
bool ask_pdf_file_name(const std::string& proposal);
