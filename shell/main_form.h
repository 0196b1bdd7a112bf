// The main form's handlers that other parts of the shell call.
#pragma once

// Alt+'/': lets go of Ctrl and Alt and of the pointer and minimises the program.
void release_and_minimise();
