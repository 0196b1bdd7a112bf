// ALIGN: the selected items lined up in a column (their left edges, centres or right edges on
// one X) or in a row (their tops, centres or bottoms on one Y), and optionally spaced at a fixed
// gap, through the transform value form.
#pragma once

// The alignment of the edit session's working copies as the form now gives it: each copy is
// reset from its original first.
void align_working_set();
// ALIGN of the selection, one undo step; 0 (the edit command's result).
int align_command();
