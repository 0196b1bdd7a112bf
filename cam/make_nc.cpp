#include "cam/make_nc.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "cam/item_walkers.h"
#include "cam/machining_block.h"
#include "cam/machining_order.h"
#include "cam/outline_collect.h"
#include "cam/toolpath_engine.h"
#include "geometry/contour_kernel.h"
#include "geometry/drawing_item.h"
#include "geometry/layers.h"
#include "nc/cam_host.h"
#include "nc/code_section_expand.h"
#include "nc/dxf_path.h"
#include "nc/nc_extents.h"
#include "nc/nc_tidy.h"
#include "nc/path_code.h"
#include "nc/post_gm.h"
#include "nc/post_processor.h"
#include "nc/proof_file.h"
#include "nc/work_surface.h"
#include "platform/files.h"
#include "records/job_settings.h"
#include "records/pen_move.h"
#include "store/line_list.h"
#include "store/message_ids.h"
#include "text/text_items.h"
#include "text/text_layout.h"

MakeNcState g_make_nc;

namespace {

// Where a tool-path item keeps its machining group and order: bytes of the line's attributes.
constexpr size_t TOOL_PATH_GROUP_ATTR = 12;
constexpr size_t TOOL_PATH_ORDER_ATTR = 14;
// Surface flag bits of the work-surface checks.
constexpr int32_t SURFACE_NEEDS_ANGLE = 0x832;
constexpr int32_t SURFACE_WITHOUT_RADIUS = 0x4001;
constexpr int32_t SURFACE_NEEDS_LENGTH_4 = 0x23C0;
constexpr int32_t SURFACE_ROTARY = 0x3C00;

constexpr char TEXT_NO_POST_PROCESSOR[] = "No post processor is set for this job.";
constexpr char TEXT_ENGRAVER_ON_ROTARY[] =
    "Engraver commands have no rotary axis, so they can not be written for a job on a 4th-axis "
    "work surface: choose a post processor that writes G & M codes, or another work surface.";
constexpr char TEXT_CANCELLED[] =
    "NC program cancelled: it was not finished and has not been kept as a program.";
constexpr char TEXT_OUT_OF_MEMORY[] =
    "Out of memory: the NC program could not be finished and has not been kept as a program.";

int16_t attribute_i16(const TextLine* line, size_t at) {
  return static_cast<int16_t>(line->attributes[at] | (line->attributes[at + 1] << 8));
}

bool layer_visible(const GeometryBlock* block) { return g_layers.visibility[block->layer] != 0; }

bool selected(const TextLine* item) { return (item_flags(item) & ITEM_FLAG_SELECTED) != 0; }

const PostProcessorDef* job_post_processor() {
  JobSettings& job = g_job_settings;
  if (job.post_processor == nullptr) job.post_processor = find_post_processor(job.post_processor_number);
  return post_processor_def(job.post_processor);
}

std::string item_label(const TextLine* item) {
  std::string label = "item " + std::to_string(item_id(item));
  if (!item->text.empty() && static_cast<unsigned char>(item->text[0]) >= 32)
    label += " \"" + item->text + "\"";
  return label;
}

void leave_out(const TextLine* item, const char* why) {
  g_make_nc.left_out.push_back(item_label(item) + ": " + why);
}

void fail(const std::string& text) {
  g_make_nc.failure = text;
  host_show_message(text.c_str());
}

// ---- checks ----

// The work-surface checks; each failure names what the surface lacks.
bool surface_ready() {
  JobSettings& job = g_job_settings;
  const int32_t flags = job.surface_flag;
  int message = 0;
  if ((flags & SURFACE_NEEDS_ANGLE) != 0 && job.surface_angle == 0.0f)
    message = flags == 2 ? MSG_SURFACE_NEEDS_SLOPE : MSG_SURFACE_NEEDS_ANGLE;
  else if ((flags & SURFACE_WITHOUT_RADIUS) == 0 && job.surface_radius == 0.0f)
    message = MSG_SURFACE_NEEDS_RADIUS;
  else if ((flags & SURFACE_NEEDS_LENGTH_4) != 0 && job.surface_length_4 == 0.0f)
    message = MSG_SURFACE_NEEDS_SECOND_RADIUS;
  else if (!g_make_nc.proof_run && (flags & SURFACE_ROTARY) != 0 &&
           job_post_processor()->coordinate_mode != PP_COORDS_ABSOLUTE)
    message = MSG_SURFACE_NEEDS_ABSOLUTE;
  if (message != 0) {
    host_show_catalogue_message(message);
    job.nc_state = NC_STATE_BACK_TO_SETUP;
    g_make_nc.failure = "The job's work surface is not set up completely.";
    return false;
  }
  const std::string problem = surface_settings_problem();
  if (!problem.empty()) {
    job.nc_state = NC_STATE_BACK_TO_SETUP;
    fail(problem);
    return false;
  }
  if (g_make_nc.output_kind == PP_OUTPUT_VELKOR && job_surface_is_rotary()) {
    job.nc_state = NC_STATE_BACK_TO_SETUP;
    fail(TEXT_ENGRAVER_ON_ROTARY);
    return false;
  }
  return true;
}

// Items whose cut has no tool: the user may give them the defaults of their operation, or stop.
bool tools_ready(LineList drawing) {
  for (TextLine* item = drawing.first; item != nullptr; item = item->next) {
    GeometryBlock* block = item_block(item);
    if (!selected(item) || item_type(item) == ITEM_POINT || block == nullptr) continue;
    CamParams params;
    if (!get_block_cam(block, &params) || !layer_visible(block)) continue;
    if (params.operation == CAM_OP_DRAWING_AID || params.operation == CAM_OP_ISLAND) continue;
    if (params.finishing.cut_width > 0.0f || params.roughing.cut_width > 0.0f) continue;
    if (host_ask_catalogue_choice(MSG_CHOICE_MISSING_TOOL) == 0) {
      apply_cam_defaults(block, params.operation);
      continue;
    }
    // The Drawing page shows the item's first point.
    g_make_nc.problem_item_id = item_id(item);
    g_make_nc.result_flags = MAKE_NC_FAILED;
    g_contour_kernel.EngineStatus = MAKE_NC_FAILED;
    g_contour_kernel.ProblemPoint = EngineProblemPoint{item_nodes(item)->point.x,
                                                       item_nodes(item)->point.y};
    g_make_nc.failure = item_label(item) + " has no tool for its cut.";
    return false;
  }
  return true;
}

// ---- set-up ----

// The link boxes are worked out afresh: an item read from a file carries none.
void recompute_extents(LineList drawing) {
  PointF low{1.0e30f, 1.0e30f}, high{-1.0e30f, -1.0e30f};
  for (TextLine* item = drawing.first; item != nullptr; item = item->next) {
    if (!selected(item) || item_block(item) == nullptr) continue;
    item_bounding_boxes(item);
    grow_box_by_item(item, &low, &high);
  }
  if (high.x < low.x) return;
  g_nc_extents.min = low;
  g_nc_extents.max = high;
}

// The chord tolerance the run works with: the job's, or the unit's default when the job has
// none. The job's own setting stays as it is.
float run_tolerance(const JobSettings& job) {
  if (job.tolerance != 0.0f) return job.tolerance;
  return job.units == JOB_UNITS_INCH ? 0.004f : 0.1f;
}

void free_nc_program_list() {
  free_list(g_lists.slots[LIST_SLOT_NC_PROGRAM].first);
  g_lists.slots[LIST_SLOT_NC_PROGRAM] = LineList{};
}

// ---- the tool-path phases ----

bool pocket_operation(const TextLine* item, uint8_t op) {
  if (item_is_text(item)) return op == CAM_OP_ISLAND;
  return op == CAM_OP_SPIRAL_POCKET || op == CAM_OP_CONTOUR_ISLANDS || op == CAM_OP_ISLAND;
}

bool contour_operation(const TextLine* item, uint8_t op) {
  if (item_is_text(item))
    return op == CAM_OP_CONTOUR_INSIDE || op == CAM_OP_CONTOUR_OUTSIDE || op == CAM_OP_SPIRAL_POCKET;
  return op == CAM_OP_CONTOUR_INSIDE || op == CAM_OP_CONTOUR_OUTSIDE || op == CAM_OP_BLADE;
}

bool tool_path_candidate(const TextLine* item) {
  const GeometryBlock* block = item_block(item);
  const uint8_t type = item_type(item);
  return selected(item) && type != ITEM_POINT && type != ITEM_RESERVED_22 && block != nullptr &&
         block->cam_kind != GEOMETRY_KIND_DRAWING_AID && layer_visible(block);
}

bool island_item(const TextLine* item) { return block_cam_op(item_block(item)) == CAM_OP_ISLAND; }

int32_t tool_path_item_count() {
  int32_t n = 0;
  for (TextLine* t = g_lists.slots[LIST_SLOT_TOOL_PATHS].first; t != nullptr; t = t->next) ++n;
  return n;
}

// Walks one item into the outline collector with its own machining block; a text item
// character by character.
void collect_item(TextLine* item) {
  CamParams params;
  get_block_cam(item_block(item), &params);
  OutlineCollectState& c = g_outline_collect;
  c.params = params;
  g_encoder_inputs.current_cam_params = params;
  if (item_is_text(item)) {
    c.text_char_counter = 1;
    c.text_char_index = 0;
    text_to_strokes(item, collect_pocket_outline);
    c.text_char_counter = 0;
  } else {
    curve_to_moves(item, collect_pocket_outline);
  }
}

// Texts in a font of open strokes have no outline to cut around.
bool open_stroke_text(TextLine* item) {
  if (!item_is_text(item) || !text_is_single_stroke(item)) return false;
  leave_out(item, "its font draws open strokes, which can be engraved along their centre "
                  "line only, not contoured or pocketed");
  return true;
}

// What the engine's run left: false when the whole run must stop (Esc, crossing outlines, a
// tool-path file that could not be written).
bool engine_run_may_go_on() {
  if (g_toolpath_engine.abort || path_failed()) {
    g_make_nc.cancelled = true;
    fail(TEXT_CANCELLED);
    return false;
  }
  if ((g_contour_kernel.EngineStatus & ENGINE_STATUS_SELF_CROSSING) != 0) {
    g_make_nc.result_flags |= MAKE_NC_BACK_TO_DRAWING;
    g_make_nc.cancelled = true;
    fail("Two outlines of a machining group cross each other: no NC program was made.");
    return false;
  }
  return true;
}

void name_unmachined(const std::vector<TextLine*>& items) {
  for (TextLine* item : items) {
    if (!island_item(item)) leave_out(item, "no tool path fits (is the tool wider than the outline?); not machined");
  }
}

// The members whose outer outlines made no path in the group's run: a pocket too narrow
// for its tool beside others that were cut. An outline that stands inside another as its
// island is not one of them.
std::vector<TextLine*> members_without_path(const std::vector<TextLine*>& members) {
  const OutlineCollectState& c = g_outline_collect;
  std::vector<char> named(members.size(), 0);
  std::vector<TextLine*> missing;
  for (const int32_t k : g_toolpath_engine.uncut_outlines) {
    if (k < 0 || static_cast<size_t>(k) >= c.contour_owner.size()) continue;
    const int32_t owner = c.contour_owner[static_cast<size_t>(k)];
    if (owner < 0 || static_cast<size_t>(owner) >= members.size() || named[owner]) continue;
    named[owner] = 1;
    missing.push_back(members[owner]);
  }
  return missing;
}

// Pockets: one engine run per machining group; islands without a group take part in every one.
bool run_pocket_phase(LineList drawing) {
  std::vector<TextLine*> shared, rest;
  for (TextLine* item = drawing.first; item != nullptr; item = item->next) {
    if (!tool_path_candidate(item) || !pocket_operation(item, block_cam_op(item_block(item))))
      continue;
    if (open_stroke_text(item)) continue;
    if (island_item(item) && block_machining_group(item_block(item)) == 0) shared.push_back(item);
    else rest.push_back(item);
  }
  std::stable_sort(rest.begin(), rest.end(), [](const TextLine* a, const TextLine* b) {
    return block_machining_group(item_block(a)) < block_machining_group(item_block(b));
  });
  size_t i = 0;
  while (i < rest.size()) {
    const int16_t group = block_machining_group(item_block(rest[i]));
    std::vector<TextLine*> members;
    for (; i < rest.size() && block_machining_group(item_block(rest[i])) == group; ++i)
      members.push_back(rest[i]);
    const int32_t status = g_contour_kernel.EngineStatus;
    pocket_alloc();
    g_contour_kernel.EngineStatus |= status;
    g_outline_collect.phase = COLLECT_POCKET_PHASE;
    g_outline_collect.mode = COLLECT_MAKE_ITEMS;
    g_outline_collect.owner = -1;
    for (TextLine* item : shared) collect_item(item);
    for (size_t k = 0; k < members.size(); ++k) {
      g_outline_collect.owner = static_cast<int32_t>(k);
      collect_item(members[k]);
    }
    g_outline_collect.owner = -1;
    const int32_t before = tool_path_item_count();
    const int32_t r = machine_collected_group();
    if (r == ENGINE_CANCELLED || !engine_run_may_go_on()) return false;
    name_unmachined(tool_path_item_count() == before ? members : members_without_path(members));
  }
  return true;
}

// Contours: one engine run per item.
bool run_contour_phase(LineList drawing) {
  for (TextLine* item = drawing.first; item != nullptr; item = item->next) {
    if (!tool_path_candidate(item) || !contour_operation(item, block_cam_op(item_block(item))))
      continue;
    if (open_stroke_text(item)) continue;
    const int32_t status = g_contour_kernel.EngineStatus;
    pocket_alloc();
    g_contour_kernel.EngineStatus |= status;
    g_outline_collect.phase = COLLECT_CONTOUR_PHASE;
    g_outline_collect.mode = COLLECT_MAKE_ITEMS;
    const int32_t before = tool_path_item_count();
    collect_item(item);  // the collector runs the engine when the item ends
    if (!engine_run_may_go_on()) return false;
    if (tool_path_item_count() == before) name_unmachined({item});
  }
  return true;
}

// The pocket and contour phases: tool-path items in list slot 11, sorted, with their sources'
// tools, speeds and feeds. A list left by an earlier run is used as it is.
bool run_tool_path_phases(LineList drawing) {
  if (g_lists.slots[LIST_SLOT_TOOL_PATHS].first != nullptr) return true;
  const bool paths_wanted = g_make_nc.output_kind < 2 || (g_job_settings.output_options & 1) != 0;
  if (!paths_wanted) return true;
  reset_toolpath_engine();
  g_contour_kernel.EngineStatus = 0;
  bool ok = run_pocket_phase(drawing) && run_contour_phase(drawing);
  pocket_free();
  if (!ok) return false;
  if (push_list() < 0) return false;
  load_list_slot(LIST_SLOT_TOOL_PATHS);
  sort_list(compare_tool_path_items);
  for (TextLine* t = g_lists.current.first; t != nullptr; t = t->next)
    copy_source_settings(t, drawing);
  save_list_slot(LIST_SLOT_TOOL_PATHS);
  pop_list();
  return true;
}

// ---- the direct phase ----

// A DXF export with its drawing-aids option draws items that carry no cut as zero-depth
// centerline cuts of their own group.
bool give_zero_depth_cut(TextLine* copy) {
  GeometryBlock* block = item_block(copy);
  if (block->cam_kind == GEOMETRY_KIND_DRAWING_AID) block = add_item_cam(copy);
  if (block == nullptr) return false;
  apply_cam_defaults(block, CAM_OP_CENTERLINE);
  CamParams params;
  get_block_cam(block, &params);
  params.operation = CAM_OP_CENTERLINE;
  params.finishing.cut_width = 0.0f;
  params.finishing.cut_depth = 0.0f;
  params.surface_z = 0.0f;
  params.machining_group = MACHINING_GROUP_DXF_DRAWING;
  put_block_cam(block, params);
  return true;
}

// Copies the items the direct phase encodes into the current (working) list.
bool collect_direct_items(LineList drawing) {
  const bool dxf = g_make_nc.output_kind == PP_OUTPUT_DXF;
  const uint8_t options = g_job_settings.output_options;
  const bool dxf_aids = dxf && (options & 8) != 0;
  const bool outlines = g_make_nc.proof_run || (dxf && (options & 4) != 0);
  for (TextLine* item = drawing.first; item != nullptr; item = item->next) {
    const GeometryBlock* block = item_block(item);
    if (!selected(item) || item_type(item) == ITEM_RESERVED_22 || block == nullptr ||
        !layer_visible(block))
      continue;
    const uint8_t op = block_cam_op(block);
    const bool point = item_type(item) == ITEM_POINT;
    const bool no_cut = block->cam_kind == GEOMETRY_KIND_DRAWING_AID ||
                        (item_is_text(item) && op == CAM_OP_DRAWING_AID);
    if (no_cut) {
      if (!dxf_aids) continue;
      if (copy_item_with_extra_links(item, 0) != 0) return false;
      if (!give_zero_depth_cut(g_lists.current.last)) return false;
      continue;
    }
    const bool wanted = outlines ? op >= 1 : (point ? op > 0 : op == CAM_OP_CENTERLINE);
    if (!wanted) continue;
    if (copy_item_with_extra_links(item, 0) != 0) return false;
    if (outlines && !point && op > CAM_OP_CENTERLINE) {
      GeometryBlock* copy = item_block(g_lists.current.last);
      CamParams params;
      get_block_cam(copy, &params);
      params.machining_group = MACHINING_GROUP_OUTLINE_COPY;
      put_block_cam(copy, params);
    }
  }
  return true;
}

int16_t direct_group(const TextLine* item) { return block_machining_group(item_block(item)); }
int16_t direct_order(const TextLine* item) { return block_machining_order(item_block(item)); }

// The tool-path item goes first when its group is smaller, or the groups are equal and its
// order is not larger.
bool tool_path_first(const TextLine* path, const TextLine* direct) {
  if (path == nullptr) return false;
  const int direct_g = direct == nullptr ? MACHINING_GROUP_EXHAUSTED : direct_group(direct);
  const int path_g = attribute_i16(path, TOOL_PATH_GROUP_ATTR);
  if (path_g != direct_g) return path_g < direct_g;
  return direct == nullptr || attribute_i16(path, TOOL_PATH_ORDER_ATTR) <= direct_order(direct);
}

// Encodes one item; false when the run must stop.
bool encode_item(TextLine* item, bool tool_path) {
  WalkResult result;
  if (tool_path) {
    const char letter = item->attributes[TOOL_PATH_LETTER_ATTR] == 'f' ? PATH_OP_TOOL_FINISHING
                                                                        : PATH_OP_TOOL_ROUGHING;
    result = encode_tool_path_item(item, letter);
  } else {
    result = encode_direct_item(item);
  }
  if (result == WALK_OUT_OF_MEMORY || path_failed()) return false;
  if (result == WALK_SKIPPED_TEXT)
    leave_out(item, "sends no cut: its tool is as wide as the text is high, or its font cannot be read");
  if (result == WALK_ENCODED) {
    ++g_make_nc.items_encoded;
    g_encoder_inputs.finished_line_option = g_job_settings.output_yes_no;
  }
  return true;
}

bool escape_wanted(int items_done) {
  if (items_done % MAKE_NC_ESCAPE_POLL_ITEMS != 0) return false;
  host_pump_messages();
  return host_escape_pressed();
}

// Merges the sorted direct items (the current list) with the tool-path items and encodes them.
// False when the run was cancelled or ran out of memory.
bool encode_in_order() {
  TextLine* direct = g_lists.current.first;
  TextLine* path = g_lists.slots[LIST_SLOT_TOOL_PATHS].first;
  const bool paths_wanted = g_make_nc.output_kind < 2 || (g_job_settings.output_options & 1) != 0;
  if (!paths_wanted) path = nullptr;
  if (direct == nullptr && path == nullptr) return true;
  g_walker.contour_started = 0;
  g_walker.current_tool = 0;
  host_show_progress(MAKE_NC_CENTERLINE_TEXT);
  int done = 0;
  while (direct != nullptr || path != nullptr) {
    if (escape_wanted(done)) {
      g_make_nc.cancelled = true;
      fail(TEXT_CANCELLED);
      return false;
    }
    const bool take_path = tool_path_first(path, direct);
    TextLine* item = take_path ? path : direct;
    if (take_path) path = path->next;
    else direct = direct->next;
    if (!encode_item(item, take_path)) {
      g_make_nc.cancelled = true;
      fail(TEXT_OUT_OF_MEMORY);
      return false;
    }
    ++done;
  }
  return true;
}

bool run_direct_phase(LineList drawing) {
  if (push_list() < 0) return false;
  clear_current_list();
  bool ok = collect_direct_items(drawing);
  if (ok) {
    const uint8_t keep_ids = g_lists.keep_ids;
    g_lists.keep_ids = 1;
    sort_list(compare_direct_items);
    g_lists.keep_ids = keep_ids;
    ok = encode_in_order();
  } else {
    g_make_nc.cancelled = true;
    fail(TEXT_OUT_OF_MEMORY);
  }
  if (ok && !g_make_nc.proof_run) {
    g_pen_move.code = PEN_END;
    path_encode_move();
    if (path_failed()) {
      g_make_nc.cancelled = true;
      fail(TEXT_OUT_OF_MEMORY);
      ok = false;
    }
  }
  free_current_list();
  pop_list();
  return ok;
}

// ---- output ----

void tidy_nc_program(const PostProcessorDef& def) {
  TextLine* first = g_lists.slots[LIST_SLOT_NC_PROGRAM].first;
  if (def.compact) strip_nc_zeros(first, 1);
  else if (def.word_spaces) space_nc_words(first, 0);
  else remove_nc_spaces(first, 0);
}

int write_output(const PostProcessorDef& def) {
  if (g_make_nc.output_kind == PP_OUTPUT_DXF) {
    if (!dxf_write_path()) fail(g_dxf_export.failure);
    return 0;
  }
  const int result = post_process();
  if (g_surface_run.tube_point_pulled) host_show_catalogue_message(MSG_SURFACE_POINT_PULLED);
  if (result == POST_FAILED) {
    fail(g_post_run.failure);
    return 0;
  }
  if (g_make_nc.proof_run) {
    g_job_settings.nc_state = NC_STATE_PROOF_READY;
    return result;
  }
  tidy_nc_program(def);
  g_job_settings.nc_state = NC_STATE_PROGRAM_READY;
  return result;
}

void report_left_out() {
  if (g_make_nc.left_out.empty()) return;
  std::string text = "These items were not machined:\n";
  for (const std::string& line : g_make_nc.left_out) text += line + "\n";
  host_show_message(text.c_str());
}

// The run after the checks, between opening the progress box and freeing the path code.
int run_checked(const PostProcessorDef& def) {
  if (!output_setup()) {
    fail(TEXT_OUT_OF_MEMORY);
    return 0;
  }
  const LineList drawing = g_lists.current;  // renumbering sorted it
  if (!g_make_nc.proof_run) free_nc_program_list();
  if (!run_tool_path_phases(drawing)) return 0;
  if (!run_direct_phase(drawing)) return 0;
  report_left_out();
  if (g_make_nc.items_encoded == 0) {
    g_make_nc.failure = "Nothing was machined.";
    if (g_make_nc.left_out.empty()) host_show_catalogue_message(MSG_NOTHING_TO_MACHINE);
    return 0;
  }
  return write_output(def);
}

}  // namespace

// ---- small operations ------------------------------------------------------------------------------

int prepare_text_items() {
  int count = 0;
  for (TextLine* item = g_lists.current.first; item != nullptr; item = item->next) {
    if (item_type(item) == 0 || (!item->text.empty() && item->text[0] == '\n')) {
      set_item_flags(item, 0);
      continue;
    }
    if (item_type(item) != ITEM_TEXT || !selected(item)) continue;
    uint8_t* stored = block_text_layout(item_block(item));
    if (stored == nullptr) continue;
    TextLayout layout;
    read_text_layout(stored, &layout);
    if (layout.arc_radius == 0.0f) {
      layout.length = 0.0f;
      write_text_layout(layout, stored);
    }
    layout_text_item(item);
    ++count;
  }
  g_job_settings.text_items_ready = 1;
  return count;
}

void clear_tool_path() {
  TextLine* first = g_lists.slots[LIST_SLOT_TOOL_PATHS].first;
  if (first != nullptr) {
    free_list(first);
    host_request_redraw();
    g_job_settings.nc_state &= static_cast<uint8_t>(~(NC_STATE_PROGRAM_READY | NC_STATE_PAGE_LOOP));
  }
  g_lists.slots[LIST_SLOT_TOOL_PATHS] = LineList{};
  proof_delete_file();
}

void mark_machining_changed() {
  mark_job_changed();
  clear_tool_path();
}

bool any_item_machined() {
  for (TextLine* item = g_lists.current.first; item != nullptr; item = item->next) {
    if (!selected(item) || item_type(item) == 0) continue;
    const GeometryBlock* block = item_block(item);
    if (block == nullptr) continue;
    if (item_is_text(item)) {
      if (!item->text.empty() && item->text[0] == '\n') {
        set_item_flags(item, 0);
        continue;
      }
      if (block_cam_op(block) != CAM_OP_DRAWING_AID) return true;
    } else if (block->cam_kind != GEOMETRY_KIND_DRAWING_AID) {
      return true;
    }
  }
  return false;
}

int compare_tool_path_items(const TextLine* a, const TextLine* b) {
  const int ga = attribute_i16(a, TOOL_PATH_GROUP_ATTR), gb = attribute_i16(b, TOOL_PATH_GROUP_ATTR);
  if (ga != gb) return ga < gb ? -1 : 1;
  const uint8_t la = a->attributes[TOOL_PATH_LETTER_ATTR], lb = b->attributes[TOOL_PATH_LETTER_ATTR];
  if (la != lb) return la == 'r' ? -1 : (lb == 'r' ? 1 : 0);
  const int oa = attribute_i16(a, TOOL_PATH_ORDER_ATTR), ob = attribute_i16(b, TOOL_PATH_ORDER_ATTR);
  if (oa != ob) return oa < ob ? -1 : 1;
  const LinkRecord* na = item_nodes(a);
  const LinkRecord* nb = item_nodes(b);
  if (na == nullptr || nb == nullptr || na->point.x == nb->point.x) return 0;
  return na->point.x < nb->point.x ? -1 : 1;
}

std::string nc_program_title(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const size_t dot = name.find('.');
  if (dot != std::string::npos) name.erase(dot);
  return name.empty() ? "NO_NAME" : name;
}

bool output_setup() {
  JobSettings& job = g_job_settings;
  job.nc_state = 0;
  if (path_alloc() != 0) return false;
  const PostProcessorDef* def = job_post_processor();
  start_walk_run();
  MoveEncoderInputs& in = g_encoder_inputs;
  in.output_kind = g_make_nc.output_kind;
  in.post_processor = job.post_processor;
  in.tool_change_pending = 0;
  in.finished_line_option = 0;
  in.tolerance = run_tolerance(job);
  build_coord_formats(*def);
  g_post_run.next_line_number = def->line_numbers ? 1 : -1;
  renumber_machining_order();
  return true;
}

int make_nc_program() {
  reset_make_nc();
  JobSettings& job = g_job_settings;
  host_prepare_view();
  job.nc_run_byte = 0;
  g_make_nc.proof_run = g_proof.run_level != 0;
  const PostProcessorDef* def = job_post_processor();
  if (def == nullptr) {
    fail(TEXT_NO_POST_PROCESSOR);
    return 0;
  }
  g_make_nc.output_kind = g_make_nc.proof_run ? PP_OUTPUT_GM_CODES : def->output_kind;
  g_surface_run = SurfaceRunState{};
  if (g_make_nc.output_kind == PP_OUTPUT_DXF) g_dxf_export.written = false;
  const std::string temp_paths = path_spill_file_path();
  if (file_exists(temp_paths)) file_delete(temp_paths);
  const bool dxf_aids =
      g_make_nc.output_kind == PP_OUTPUT_DXF && (job.output_options & 8) != 0;
  if (!any_item_machined() && !dxf_aids) {
    g_make_nc.failure = "Nothing is set for machining.";
    host_show_catalogue_message(MSG_NOTHING_TO_MACHINE);
    return 0;
  }
  const LineList drawing = g_lists.current;
  if (!surface_ready() || !tools_ready(drawing)) return 0;
  if (job.text_items_ready == 0) prepare_text_items();
  host_open_progress(MAKE_NC_PROGRESS_TEXT);
  if (def->coordinate_mode != PP_COORDS_ABSOLUTE || g_make_nc.output_kind != PP_OUTPUT_GM_CODES)
    recompute_extents(drawing);
  surface_constants();
  const int result = run_checked(*def);
  path_free();
  host_close_progress();
  return result;
}

void copy_source_settings(TextLine* path_item, LineList sources) {
  const int16_t group = attribute_i16(path_item, TOOL_PATH_GROUP_ATTR);
  const int16_t order = attribute_i16(path_item, TOOL_PATH_ORDER_ATTR);
  GeometryBlock* source = nullptr;
  for (TextLine* s = sources.first; s != nullptr; s = s->next) {
    GeometryBlock* block = item_block(s);
    if (block == nullptr || block->cam_kind == GEOMETRY_KIND_DRAWING_AID) continue;
    if (source == nullptr) source = block;
    if (block_cam_op(block) != CAM_OP_ISLAND && block_machining_group(block) == group &&
        block_machining_order(block) == order) {
      source = block;
      break;
    }
  }
  GeometryBlock* target = item_block(path_item);
  CamParams params;
  if (source == nullptr || target == nullptr || !get_block_cam(source, &params)) return;
  params.operation = CAM_OP_CENTERLINE;
  params.machining_group = group;
  params.machining_order = order;
  // A roughing item whose source has no roughing tool is cut with the finishing tool: no
  // program runs tool 0 at speed 0 and feed 0.
  if (path_item->attributes[TOOL_PATH_LETTER_ATTR] == 'r' && params.roughing.tool_number == 0) {
    path_item->attributes[TOOL_PATH_LETTER_ATTR] = 'f';
  }
  put_block_cam(target, params);
}

void reset_make_nc() { g_make_nc = MakeNcState{}; }
