// Printing the text of the active editing window: the options form (header, pages, margins, font
// size, the printer) with the page counts it gives and a sketch of the page, then the print with
// the cancel box.
#pragma once

#include "print/text_print.h"
#include "screen/event_queue.h"

// Prints the active window's text (the NC page's "Print"): measures the printer, shows the form,
// asks the PDF name and prints. 1 printed, 0 nothing printed (cancelled, nothing to print, or a
// failure the user was told of).
int print_text_document();

// The form's field handler.
EventCode text_print_options_field();

// The document the form shows: the window's text wrapped at the print's wrap width, trailing
// blank lines dropped. Test hook: set before running the form by hand.
extern TextPrintDocument g_text_print_document;
// Wraps the active window's text at the current wrap width into g_text_print_document.
void rewrap_print_document();
