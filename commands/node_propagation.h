// Keeping a polyline sound while its nodes move: the tangency rule between two links, the steps
// that carry tangency along chains of tangent nodes both ways, the refitting of the links around
// a moved node by the kinds of its neighbours, and the background work-off of long chains.
// Everything works on the node context (g_edit.node) and its item; records are indices into it.
#pragma once

#include <cstdint>

#include "editor/node_context.h"
#include "geometry/drawing_item.h"

// Pointer codes the fitting leaves in the node context.
constexpr uint8_t NODE_POINTER_CANNOT = 99;
constexpr uint8_t NODE_POINTER_AGAIN = 101;

// ---- the tangency rule ----
// Makes the fitted link meet the fixed link smoothly at their common node: selector 15 when the
// fitted link follows the fixed one, 2 when it comes before it. A fitting that cannot be made
// leaves the link and sets the context's pointer code to NODE_POINTER_CANNOT.
void enforce_tangency(LinkRecord* fixed, LinkRecord* fitted, int selector);

// ---- chain steps (record indices of the context's item; -1 none) ----
int32_t propagate_forward_step(int32_t record);
int32_t propagate_backward_step(int32_t record);
// Re-derives the record's arc at a first or exactly loose node, else fits it to the link before.
void refit_link_at_node(int32_t record);
// Refits a circle-coded arc to its nodes; the record, or -1 when it is not one.
int32_t refit_circle_code_arc(int32_t record);
// Runs a chain to its end from the record.
void run_forward_chain(int32_t record);
void run_backward_chain(int32_t record);

// ---- refitting after a move (node context) ----
void propagate_node_move();
void refit_around_moved_node();
void refit_after_start_move();
void refit_after_end_move();
void keep_node_on_tangent_lines();

// ---- background work-off ----
bool propagation_pending();
// One step forward and one step backward of the pending chains.
void propagation_round();
// Both pending chains to their ends.
void finish_pending_propagation();
