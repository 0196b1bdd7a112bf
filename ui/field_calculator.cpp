#include "ui/field_flags.h"

// Stand-in: calculates nothing and leaves the value.
int16_t field_calculator(float* /*value*/) { return 0; }
