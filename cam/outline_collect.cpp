// Outline collection: the pen-move sink that builds the engine's input, and the group's
// settings from each item's machining block.
#include "cam/outline_collect.h"

#include <cmath>
#include <cstdlib>

#include "cam/open_profile.h"
#include "cam/tool_diameter_check.h"
#include "geometry/drawing_item.h"
#include "nc/cam_host.h"
#include "nc/path_code.h"
#include "platform/files.h"
#include "records/job_settings.h"
#include "records/pen_move.h"

OutlineCollectState g_outline_collect;

const char* const COLLECT_LARGER_TOOL_NOTE =
    "Note: finishing tool is \vlarger\x13 than roughing tool; This situation may not be handled "
    "correctly! Check the tool path carefully!";

namespace {

constexpr int32_t SEGMENT_START = 127;  // pocket_add_segment: start a contour

// Room for the node at node_count and two more, and for one more link.
void make_room() {
  OutlineCollectState& c = g_outline_collect;
  const size_t nodes = static_cast<size_t>(c.node_count) + 3;
  if (c.nodes.size() < nodes) c.nodes.resize(nodes + 1000);
  const size_t links = static_cast<size_t>(c.link_count) + 1;
  if (c.links.size() < links) c.links.resize(links + 1000);
}

// Forgets the open contour and what it added.
void drop_open_contour() {
  OutlineCollectState& c = g_outline_collect;
  c.link_count = c.open_first_link;
  c.node_count = c.open_first_node;
  c.open_link_count = 0;
}

// Empties the group (the tables keep their room).
void empty_group() {
  OutlineCollectState& c = g_outline_collect;
  c.node_count = 0;
  c.link_count = 0;
  c.contour_count = 0;
  c.open_first_node = 0;
  c.open_first_link = 0;
  c.open_link_count = 0;
}

double stepover_fraction(uint8_t* percent) {
  if (*percent == 0) *percent = 50;  // stored back into the item's working copy
  const double f = *percent * 0.01;
  return f >= 1.0 ? 0.999 : f;
}

// Finishing data of the contour. A pocket that needs no finishing ring loses its finishing
// tool and goes on with roughing data only.
void fill_finishing(CamParams* p, ContourSettings* s) {
  CamToolBlock& fin = p->finishing;
  const CamToolBlock& rough = p->roughing;
  const uint8_t op = p->operation;
  if (rough.tool_number > 0 && rough.cut_width > 0.0f) {
    if (rough.cut_width < fin.cut_width && g_outline_collect.larger_tool_notes++ == 0) {
      host_show_message(COLLECT_LARGER_TOOL_NOTE);
    }
    s->finish_rings = cam_pass_count(*p, fin, rough);
    if (s->finish_rings == 0) {
      fin.tool_number = 0;
      return;
    }
  } else if (op == CAM_OP_SPIRAL_POCKET) {
    s->finish_rings = RINGS_WHOLE_AREA;
  } else {
    s->finish_rings = p->contour_passes == 0 ? 1 : p->contour_passes;
    if (op == CAM_OP_CONTOUR_OUTSIDE) s->finish_rings = -s->finish_rings;
  }
  if (op == CAM_OP_CONTOUR_ISLANDS) s->finish_rings = 1;
  s->finish_tool = fin.tool_number;
  s->finish_stepover = stepover_fraction(&fin.stepover_percent);
  s->finish_first_stepover = fin.first_stepover > 0.0f
                                 ? std::min(0.999, double{fin.first_stepover} / fin.cut_width)
                                 : s->finish_stepover;
  s->finish_width = fin.cut_width;
  if (fin.step_down < 0.0001f) fin.step_down = 0.0f;
  s->finish_step_down = fin.step_down > 0.0f ? fin.step_down : fin.cut_depth;
  s->cut_direction = p->cut_direction;
  s->finish_option = p->finish_option;
}

void fill_roughing(CamParams* p, ContourSettings* s) {
  CamToolBlock& rough = p->roughing;
  const uint8_t op = p->operation;
  const bool finishing_tool = p->finishing.tool_number > 0 && p->finishing.cut_width > 0.0f;
  s->finish_allowance = p->finish_allowance;
  if (!(s->finish_allowance > 0.0) && finishing_tool) s->finish_allowance = 0.0001;
  s->rough_width = rough.cut_width;
  s->rough_stepover = stepover_fraction(&rough.stepover_percent);
  s->rough_first_stepover = rough.first_stepover > 0.0f ? rough.first_stepover / rough.cut_width : 0.0;
  if (op == CAM_OP_SPIRAL_POCKET) {
    s->rough_rings = RINGS_WHOLE_AREA;
  } else if (op == CAM_OP_CONTOUR_INSIDE || op == CAM_OP_CONTOUR_ISLANDS) {
    s->rough_rings = 1;
  } else {
    s->rough_rings = -1;
  }
  if (rough.step_down < 0.0001f) rough.step_down = 0.0f;
  s->rough_step_down = rough.step_down;
  s->ramp_angle = rough.ramp_angle;
  s->rough_tool = rough.tool_number;
  if (s->finish_tool == s->rough_tool) ++s->finish_tool;
  s->entry_mode = 2;
}

// Tool right and tool left of a drawing item's open line (contour inside and outside of
// closed outlines); the strokes of text are letters' outlines, never cut on one side.
bool open_side_cut(uint8_t operation) {
  return (operation == CAM_OP_CONTOUR_INSIDE || operation == CAM_OP_CONTOUR_OUTSIDE) &&
         g_outline_collect.text_char_counter == 0;
}

// Closes the open contour's links onto its first node; an open line cut on one side stays
// open. False when the contour is dropped.
bool close_links(bool blade, ContourSettings* s) {
  OutlineCollectState& c = g_outline_collect;
  const int32_t last = c.link_count - 1;
  ContourLink& l = c.links[last];
  if (l.kind == SEGMENT_CIRCLE) return true;  // a whole circle is closed already
  const ContourNode first = c.nodes[c.open_first_node];
  const ContourNode end = c.nodes[l.end_node];
  const double gap = std::fabs(first.x - end.x) + std::fabs(first.y - end.y);
  bool closing_line = gap > COLLECT_CLOSE_TOLERANCES * g_encoder_inputs.tolerance;
  if (blade) {
    s->profile_mode = 2;
    c.params.roughing.cut_width = 0.0001f;
    if (gap >= COLLECT_OPEN_BLADE_GAP) {
      s->profile_mode = 1;
      closing_line = false;
    }
  } else if (closing_line && open_side_cut(c.params.operation)) {
    // An open line cut on one side stays open: no line the drawing lacks is cut.
    s->profile_mode = PROFILE_ONE_SIDED;
    return true;
  } else if ((l.kind == SEGMENT_LINE && c.open_link_count < 2) ||
             (l.kind != SEGMENT_LINE && l.kind != SEGMENT_ARC)) {
    return false;
  }
  if (closing_line) pocket_add_segment(SEGMENT_LINE, first.x, first.y, 0.0, 0.0, 0);
  ContourLink& tail = c.links[c.link_count - 1];
  tail.end_node = c.open_first_node;
  if (tail.kind == SEGMENT_ARC) {
    const ContourNode& s0 = c.nodes[tail.start_node];
    ContourNode& centre = c.nodes[tail.centre_node];
    double cx, cy;
    arc_centre_from_chord(s0.x, s0.y, first.x, first.y, centre.x, centre.y, tail.radius, &cx, &cy);
    centre = {cx, cy};
    tail.radius = std::hypot(s0.x - cx, s0.y - cy);
  }
  return true;
}

// The settings of the contour just closed, from the item's machining block. False when the
// contour has no usable tool and is dropped.
bool contour_settings(ContourSettings* s) {
  CamParams& p = g_outline_collect.params;
  const uint8_t op = p.operation;
  if (op != CAM_OP_ISLAND) {
    const bool finishing = p.finishing.tool_number > 0 && p.finishing.cut_width > 0.0f;
    if (finishing) fill_finishing(&p, s);
    if (p.roughing.tool_number > 0 && p.roughing.cut_width > 0.0f) {
      fill_roughing(&p, s);
    } else if (!finishing) {
      return false;
    } else {
      s->ramp_angle = 90.0;
    }
    s->depth = s->finish_rings != 0 ? p.finishing.cut_depth : p.roughing.cut_depth;
    if (!(s->rough_step_down > 0.0)) s->rough_step_down = s->depth;
    s->group_order = (static_cast<int32_t>(p.machining_group) << 16) +
                     static_cast<uint16_t>(p.machining_order);
  }
  if (op == CAM_OP_BLADE) {
    // The blade runs half its width off the outline, its arcs in chords within the job's
    // tolerance.
    s->blade_offset = s->finish_width / 2.0;
    s->blade_tolerance = g_encoder_inputs.tolerance;
  }
  if (op != CAM_OP_SPIRAL_POCKET) s->finish_stepover = s->rough_stepover = 0.99;
  if (g_outline_collect.text_char_counter != 0) s->text_char = g_outline_collect.text_char_index;
  return true;
}

void append_contour(const ContourSettings& s, int32_t first, int32_t last) {
  OutlineCollectState& c = g_outline_collect;
  c.contour_start.resize(std::max<size_t>(c.contour_start.size(), c.contour_count + 1));
  c.contour_end.resize(c.contour_start.size());
  c.settings.resize(c.contour_start.size());
  c.contour_owner.resize(c.contour_start.size());
  c.contour_owner[c.contour_count] = c.owner;
  c.contour_start[c.contour_count] = first;
  c.contour_end[c.contour_count] = last;
  c.settings[c.contour_count] = s;
  ++c.contour_count;
}

}  // namespace

// ---- the group ----

void pocket_alloc() {
  g_contour_kernel.EngineStatus = 0;
  start_engine_clock();
  empty_group();
}

void pocket_free() {
  OutlineCollectState& c = g_outline_collect;
  c.nodes = {};
  c.links = {};
  c.contour_start = {};
  c.contour_end = {};
  c.settings = {};
  c.contour_owner = {};
  c.records = {};
  empty_group();
}

int32_t begin_outline() {
  OutlineCollectState& c = g_outline_collect;
  // Each item of the contour phase is a group of its own. The status word is kept: it
  // gathers the problems of the whole run.
  if (c.phase == COLLECT_CONTOUR_PHASE) empty_group();
  c.open_first_node = c.node_count;
  c.open_first_link = c.link_count;
  c.open_link_count = 0;
  return c.node_count;
}

int32_t end_outline_item() {
  if (g_outline_collect.phase != COLLECT_CONTOUR_PHASE) return 0;
  return machine_collected_group();
}

void pocket_add_segment(int32_t kind, double x, double y, double centre_x, double centre_y,
                        int32_t direction) {
  OutlineCollectState& c = g_outline_collect;
  make_room();
  if (kind == SEGMENT_START) {
    c.nodes[c.node_count] = {x, y};
    c.open_first_node = c.node_count;
    c.open_first_link = c.link_count;
    c.open_link_count = 0;
    return;
  }
  const int32_t from = c.node_count;
  ContourLink l;
  l.start_node = from;
  if (kind == SEGMENT_ARC) {
    const ContourNode s = c.nodes[from];
    const double radius = std::hypot(s.x - centre_x, s.y - centre_y);
    double cx, cy;
    arc_centre_from_chord(s.x, s.y, x, y, centre_x, centre_y, radius, &cx, &cy);
    c.nodes[from + 1] = {cx, cy};
    c.nodes[from + 2] = {x, y};
    l.kind = SEGMENT_ARC;
    l.centre_node = from + 1;
    l.end_node = from + 2;
    l.radius = std::hypot(s.x - cx, s.y - cy);
    l.direction = direction;
    c.node_count += 2;
  } else {
    c.nodes[from + 1] = {x, y};
    l.kind = SEGMENT_LINE;
    l.end_node = from + 1;
    c.node_count += 1;
  }
  c.links[c.link_count++] = l;
  ++c.open_link_count;
}

int32_t close_open_contour() {
  if (g_outline_collect.open_link_count == 0) return 0;
  close_group_contour();
  return 1;
}

void add_circle_contour(double centre_x, double centre_y, double radius) {
  OutlineCollectState& c = g_outline_collect;
  make_room();
  c.nodes[c.node_count] = {centre_x, centre_y};
  ContourLink l;
  l.kind = SEGMENT_CIRCLE;
  l.centre_node = c.node_count;
  l.start_node = l.end_node = c.node_count;
  l.radius = radius;
  c.open_first_node = c.node_count;
  c.open_first_link = c.link_count;
  c.node_count += 1;
  c.links[c.link_count++] = l;
  c.open_link_count = 1;
  close_group_contour();
}

void close_group_contour() {
  OutlineCollectState& c = g_outline_collect;
  if (c.open_link_count == 0) return;
  ContourSettings s;
  const bool blade = c.params.operation == CAM_OP_BLADE;
  if (!close_links(blade, &s) || !contour_settings(&s)) {
    drop_open_contour();
    return;
  }
  append_contour(s, c.open_first_link, c.link_count - 1);
  c.open_first_node = c.node_count;
  c.open_first_link = c.link_count;
  c.open_link_count = 0;
}

int32_t machine_collected_group() {
  OutlineCollectState& c = g_outline_collect;
  if (c.mode == COLLECT_ONLY || c.contour_count == 0) return 0;
  const int32_t r = run_machining_group(c.links.data(), c.nodes.data(), c.contour_start.data(),
                                        c.contour_end.data(), c.contour_count, c.settings.data(),
                                        &c.records);
  c.contour_count = 0;
  if (r > 0) {
    if (c.mode == COLLECT_PREVIEW) {
      path_records_to_preview();
    } else {
      path_records_to_items();
    }
  } else {
    // A run that spilled and then failed leaves nothing a later run may read back.
    file_delete(path_spill_file_path());
  }
  if (g_toolpath_engine.abort) return ENGINE_CANCELLED;
  return r;
}

void collect_pocket_outline() {
  OutlineCollectState& c = g_outline_collect;
  PenMove& m = g_pen_move;
  const char code = m.code;
  if (code == PEN_START) {
    // The walker has put the pen on the item's start.
    m.dx = 0.0f;
    m.dy = 0.0f;
    pocket_add_segment(SEGMENT_START, m.x, m.y, 0.0, 0.0, 0);
  }
  if (code < PEN_RESUME) {
    const float sx = m.x, sy = m.y;
    m.x += m.dx;
    m.y += m.dy;
    if (code == PEN_UP) {
      if (c.open_link_count > 0) close_group_contour();
      pocket_add_segment(SEGMENT_START, m.x, m.y, 0.0, 0.0, 0);
    } else if (code == PEN_LINE) {
      pocket_add_segment(SEGMENT_LINE, m.x, m.y, 0.0, 0.0, 0);
    } else if (code == PEN_ARC_CW || code == PEN_ARC_CCW) {
      const double cx = double{sx} + m.i, cy = double{sy} + m.j;
      if (m.dx == 0.0f && m.dy == 0.0f) {
        add_circle_contour(cx, cy, std::hypot(double{m.i}, double{m.j}));
      } else {
        pocket_add_segment(SEGMENT_ARC, m.x, m.y, cx, cy, code == PEN_ARC_CW ? 1 : 0);
      }
    }
    m.dx = 0.0f;
    m.dy = 0.0f;
    return;
  }
  switch (code) {
    case PEN_FINISH_ITEM:
      if (!c.item_closed) {
        close_group_contour();
        c.item_closed = true;
      }
      end_outline_item();
      break;
    case PEN_BEGIN_ITEM:
      if (c.text_char_counter != 0) ++c.text_char_index;
      begin_outline();
      c.item_closed = false;
      break;
    case PEN_RETRACT:
      if (!c.item_closed) c.item_closed = close_open_contour() == 1;
      break;
    case PEN_PLUNGE:
      c.item_closed = false;
      break;
    default:
      break;
  }
}

void reset_larger_tool_note() { g_outline_collect.larger_tool_notes = 0; }

void reset_outline_collect() { g_outline_collect = OutlineCollectState{}; }
