// The proof run of the post processor: the same walk over the path code as the G & M output,
// writing proof records (moves, chorded arcs, drilling cycles, tool changes) into the proof file
// instead of NC lines, for the 3-D view and the time estimate.
#pragma once

// Opens the proof file, walks the path code and finishes the file. POST_PROOF_DONE when records
// were written; POST_FAILED when the file does not open, nothing was drawn (the file is then
// deleted) or the walk stopped short (g_post_run.failure says why; the file is deleted).
int post_proof_walk();
