// The working record of one ring-linking run and the operations that share it: the ring
// tables, the bridges between neighbouring rings, the path's node list, the walks along rings,
// the start and boundary walk, the island phase, the link optimisation and the record writer.
// Not for callers outside cam/ (tests use it to build small ring sets by hand).
//
// Ring parameters: the whole part of a parameter is the index of a link in the ring link
// array, the fraction the share of that link; a ring runs from start_link to end_link + 1,
// which is the same point as start_link. The path walks with decreasing parameters when the
// cut direction is 0 and with increasing ones when it is 1.
#pragma once

#include <cstdint>
#include <vector>

#include "cam/region_index.h"
#include "cam/toolpath_engine.h"

// ---- node kinds (positive on a boundary ring, negative on an island ring) ----
constexpr int32_t NODE_STEP = 3;       // straight step to the point at `param`
constexpr int32_t NODE_ARC_CW = 4;     // arc about (aux_x, aux_y), clockwise
constexpr int32_t NODE_ARC_CCW = 5;    // arc, counter-clockwise
constexpr int32_t NODE_MOVE = 6;       // lift, travel, go down; also the end node
constexpr int32_t NODE_FREE = 8;       // two nodes: x in the first's param, y in the second's
constexpr int32_t NODE_START = 9;      // the tool goes down at the point
constexpr int32_t NODE_WALK = 14;      // along the ring to the point
constexpr int32_t NODE_LEAD_OUT = 17;  // straight line to (aux_x, aux_y)
constexpr int32_t NODE_UNUSED = 9876;

// ---- ring states ----
constexpr int32_t RING_UNTOUCHED = 0;  // boundary: not in the path; island: not in the path
constexpr int32_t RING_FINISHED = 1;   // boundary: lap done; island: in the path
constexpr int32_t RING_ENTERED = 2;    // boundary: part of it is in the path

// Which ring table a ring index refers to.
enum class RingTable { BOUNDARY, ISLAND };

// Smallest and largest share a bridge end takes on a link.
constexpr double BRIDGE_SHARE_LOW = 1e-7;
constexpr double BRIDGE_SHARE_HIGH = 0.9999999;
// What nearest_point_on_link answers for a link whose bounding circle is out of reach.
constexpr double LINK_OUT_OF_REACH = 9999999.0;
constexpr double NO_DISTANCE_YET = 99999999999.0;
// What link_between_params answers when the stretch has no link.
constexpr int32_t NO_LINK = -10;
// Slots of the wall-point store and where it wraps to.
constexpr int32_t WALL_POINT_SLOTS = 5998;
constexpr int32_t WALL_POINT_WRAP = 5800;

struct RingState {
  int32_t start_link = 0;
  int32_t end_link = 0;  // inclusive
  int32_t state = RING_UNTOUCHED;
  double entry_param = 0.0;   // where the path first came onto the ring
  double exit_param = 0.0;    // where the path last left it along it
  double spacing = 0.0;
  double depart_param = 0.0;  // on the shallower ring, where the bridge into this one left
  int32_t parent = -1;        // the shallower ring that bridge left (-1 none)
  int32_t ring = 0;           // ring number
};

struct RingBridge {
  int32_t ring_a = 0;
  int32_t ring_b = 0;
  double param_a = 0.0;
  double param_b = 0.0;
};

struct PathNode {
  int32_t ring = 0;
  double param = 0.0;
  double aux_x = 0.0;
  double aux_y = 0.0;
  int32_t kind = NODE_UNUSED;
  int32_t retraced = 0;
  int32_t prev = -1;
  int32_t next = -1;
};

// A grid over one ring's links, so that a bridge search asks only the links near a vertex.
// Built when first asked; rings of few links are not gridded.
struct RingGrid {
  bool built = false;
  double low_x = 0.0, low_y = 0.0, cell = 1.0;
  int32_t columns = 0, rows = 0;
  std::vector<int32_t> cell_begin;  // per cell: first entry of cell_links (one more at the end)
  std::vector<int32_t> cell_links;  // link indices, ascending within a cell
};

// Bridges listed by the ring they name, in table order (rebuilt by compact_bridges).
struct BridgesByRing {
  std::vector<std::vector<int32_t>> mixed_by_boundary;  // boundary-island bridges by ring_a
  std::vector<std::vector<int32_t>> mixed_by_island;    // boundary-island bridges by ring_b
  std::vector<std::vector<int32_t>> island_by_a;        // island bridges by ring_a
  std::vector<std::vector<int32_t>> island_by_b;        // island bridges by ring_b
};

struct RingLinkRun {
  const ContourLink* links = nullptr;
  const ContourNode* nodes = nullptr;
  const RingEntry* boundary_entries = nullptr;  // as handed over (kept or not)
  const RingEntry* island_entries = nullptr;
  int32_t boundary_entry_count = 0;
  int32_t island_entry_count = 0;
  ContourSettings settings;
  int32_t finishing = 0;
  int32_t contour = 0;
  // False makes every search scan every link and every ring (the reference for the index).
  bool indexed = true;
  // Ring tables and their has-bridge flags.
  std::vector<RingState> boundary, island;
  std::vector<int32_t> boundary_has_bridge, island_has_bridge;
  std::vector<LoopBox> boundary_nodes_box, boundary_reach_box, island_nodes_box, island_reach_box;
  std::vector<RingGrid> boundary_grid, island_grid;
  std::vector<std::vector<int32_t>> boundary_by_number, island_by_number;
  int32_t boundary_links = 0, island_links = 0;
  // Bridges.
  std::vector<RingBridge> boundary_bridges, island_bridges, mixed_bridges;
  BridgesByRing by_ring;
  // The node list: node 0 is the head; new nodes go in after `cursor`.
  std::vector<PathNode> path;
  int32_t node_count = 1;
  int32_t cursor = 0;
  int32_t end_node = -1;
  int32_t progress_count = -10;
  int32_t node_limit = 0;
  std::vector<double> wall_distance;  // per boundary ring, from its first vertex (-1 unknown)
  std::vector<int32_t> scratch;       // candidate links of a search
  // How the run stopped early.
  bool cancelled = false;   // Esc
  bool too_many = false;    // the node limit
};

// ---- tables, nodes and walks ----
// Takes the kept rings into the tables, indexes them by ring number, fills the wall-point
// store on the roughing run and sizes the node list.
void load_ring_tables(RingLinkRun* run, const RingEntry* island_rings,
                      const RingEntry* boundary_rings, int32_t island_count,
                      int32_t boundary_count);
const RingState& ring_state(const RingLinkRun& run, RingTable table, int32_t ring);
RingState& ring_state(RingLinkRun* run, RingTable table, int32_t ring);
double ring_length(const RingState& r);
// The table of a node's kind.
RingTable node_table(int32_t kind);
void point_on_ring(const RingLinkRun& run, RingTable table, int32_t ring, double param,
                   double* x, double* y);
// Appends a node after the cursor (which moves to it); returns its index.
int32_t append_node(RingLinkRun* run, int32_t ring, double param, int32_t kind);
// Takes a node out of the list.
void unlink_node(RingLinkRun* run, int32_t node);
void walk_boundary_ring(RingLinkRun* run, int32_t ring, double from, double entry, double to,
                        int32_t direction);
void walk_island_ring(RingLinkRun* run, int32_t ring, double from, int32_t direction);
// The walking direction of the run's cut direction (0 increasing, 1 decreasing).
int32_t walk_direction(const RingLinkRun& run);

// ---- bridges ----
// Share along the link of the point nearest (x, y) and its distance; LINK_OUT_OF_REACH (and
// NO_DISTANCE_YET) when the link's bounding circle lies beyond 1.1 x band.
double nearest_point_on_link(const ContourLink& link, const ContourNode* nodes, double x, double y,
                             double band, double* distance);
void nearest_point_on_contour(const ContourLink* links, const ContourNode* nodes, double x,
                              double y, int32_t first, int32_t last, double* param,
                              double* distance);
// The accepted share of a foot of (x, y) on link k (clamped into the bridge range), or false.
bool accept_foot(const RingLinkRun& run, int32_t link, double x, double y, double band,
                 double factor, double* share);
// The links of a ring whose bounding circles may lie within `reach` of (x, y), ascending.
const std::vector<int32_t>& near_links(RingLinkRun* run, RingTable table, int32_t ring, double x,
                                       double y, double reach);
void find_boundary_bridges(RingLinkRun* run);
void find_island_bridges(RingLinkRun* run);
void find_boundary_island_bridges(RingLinkRun* run);
void find_orphan_island_bridges(RingLinkRun* run, int32_t island_ring);
// All four searches as PathGen runs them.
void find_all_bridges(RingLinkRun* run);

// ---- start and boundary walk ----
// Distance from the point to the walls of the outline being worked (the engine's working
// outline); CONTOUR_NO_DISTANCE when none is set.
double distance_to_walls(double x, double y);
enum class StartKind { NONE, BOUNDARY, ISLAND };
struct RingStart {
  StartKind kind = StartKind::NONE;
  int32_t ring = -1;
  double param = 0.0;
};
RingStart choose_start_ring(RingLinkRun* run);
RingStart find_profile_lead_in(RingLinkRun* run);
RingStart find_finish_start(RingLinkRun* run);
// The start of the next piece as the run's kind asks for it.
RingStart find_piece_start(RingLinkRun* run);
// -1 none; *exact is set when the bridge lies at B.
int32_t next_bridge_on_ring(const RingLinkRun& run, int32_t ring, double a, double b, bool* exact);
enum class ClimbKind { NONE, RETRACE, PARENT };
struct Climb {
  ClimbKind kind = ClimbKind::NONE;
  int32_t bridge = -1;  // RETRACE
  int32_t ring = -1;    // PARENT
  double param = 0.0;   // PARENT
};
Climb climb_to_parent_ring(RingLinkRun* run, int32_t ring, double b);
// The walk from ring at A (entered) and B (standing); false when Esc stopped it. The ring and
// parameter where it ended are written out.
bool run_boundary_walk(RingLinkRun* run, int32_t ring, double a, double b, int32_t* end_ring,
                       double* end_param);

// ---- island phase ----
enum class IslandPhase { STOPPED, COMPLETE, NEW_PIECE };
void compact_bridges(RingLinkRun* run);
int32_t share_of_island_bridge_on_boundary(const RingLinkRun& run, int32_t bridge, int32_t ring,
                                           double b, double c, double* share);
int32_t share_of_inward_island_bridge(const RingLinkRun& run, int32_t bridge, int32_t ring,
                                      double b, double c, double* share);
int32_t share_of_outward_island_bridge(const RingLinkRun& run, int32_t bridge, int32_t ring,
                                       double b, double c, double* share);
int32_t share_of_boundary_bridge_on_island(const RingLinkRun& run, int32_t bridge, int32_t ring,
                                           double b, double c, double* share);
void add_end_island_bridges(RingLinkRun* run, int32_t ring, double param);
// True when no boundary ring is untouched and every island ring is in the path.
bool all_rings_reached(const RingLinkRun& run);
IslandPhase run_island_phase(RingLinkRun* run);

// ---- optimisation and records ----
int32_t link_between_params(const RingLinkRun& run, int32_t ring, double p, double q,
                            RingTable table);
int32_t link_at_node(const RingLinkRun& run, const PathNode& node);
void optimise_ring_links(RingLinkRun* run);
// Writes the records of the list into the ring-path buffer; false (and nothing written) when a
// record would carry a coordinate that is not a number.
bool write_ring_path(RingLinkRun* run);
// 1 with the two inner points written when the finishing segment from `before` to `record` on
// a ring of number ring_number is long enough to be cut in three, else 0.
int32_t split_long_segment(const RingLinkRun& run, int32_t ring_number,
                           const RingPathRecord& before, const RingPathRecord& record,
                           ContourNode* point1, ContourNode* point2);

// ---- the run ----
// Starts, walks and island phases until every ring is in the path (bridges found and listed
// before). 1 complete, 0 cancelled or stopped.
int32_t join_ring_pieces(RingLinkRun* run);
// The run on a prepared record (links, nodes, entries, settings set): tables, bridges, walk,
// island phase, records. 1 written, 0 cancelled, stopped or refused.
int32_t link_rings(RingLinkRun* run);
