// PASTE: copies of the item clipboard follow the pointer by their lower-left corner and are
// placed by a click, or put back where they were copied from by Enter; one undo step.
#pragma once

// Pastes the clipboard with the item flags given (9 while Shift is held). The number pasted, 0
// with an empty clipboard, minus the number when the placing was cancelled.
int paste_command(int flags);
