#include "ui/dialog_form.h"

void no_line_hook(int /*row*/, TextLine* /*line*/) {}
