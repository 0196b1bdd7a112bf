// The program's entry: the window, the main form and the application's message loop, inside
// whose first idle call the whole program runs.
#include "shell/startup.h"

namespace {

// The window's first client size; the display mode takes the screen from it.
constexpr int START_WIDTH = 1024;
constexpr int START_HEIGHT = 768;

}  // namespace

int main() { return run_application(START_WIDTH, START_HEIGHT, app_idle); }
