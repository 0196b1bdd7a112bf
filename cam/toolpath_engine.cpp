// The tool-path engine's group driver, its record stream and its spill file.
#include "cam/toolpath_engine.h"

#include <algorithm>
#include <cstdio>
#include <new>

#include "cam/blade_profile.h"
#include "cam/open_profile.h"
#include "cam/pass_writer.h"
#include "cam/region_index.h"
#include "cam/rings.h"
#include "cam/toolpath_engine_internal.h"
#include "platform/files.h"
#include "nc/cam_host.h"
#include "platform/files.h"
#include "platform/window.h"
#include "store/record_bytes.h"

ToolpathEngineState g_toolpath_engine;

namespace {

// Progress lines are shown at most this often (5 ticks of 55 ms).
constexpr uint32_t PROGRESS_EVERY_MS = 5 * 55;
constexpr uint32_t MS_PER_TICK = 55;

constexpr char TOO_MANY_OUTLINES[] =
    "Too many pockets/islands for one machining group: at most 200 can be machined "
    "together.\nPlease create more machining groups.";
constexpr char SPILL_FAILED[] =
    "The tool path could not be written to the temporary file FPATHS.TMP; the NC run stops.";

// ---- the run's working arrays ----

// Sizes the arrays of the run from L, the group's link count. False when memory ran out.
bool alloc_engine_arrays(int32_t link_count) {
  ToolpathEngineState& g = g_toolpath_engine;
  const size_t a = static_cast<size_t>(link_count) + 2;
  g.group_link_count = static_cast<int32_t>(a);
  try {
    g.work_links.reserve(a + 100);
    g.work_nodes.reserve(4 * a + 100);
    g.ring_links.reserve(10 * a + 2000);
    g.ring_nodes.reserve(20 * a + 4000);
    g.boundary_rings.reserve(2000);
    g.island_rings.reserve(2000);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

void free_engine_arrays() {
  ToolpathEngineState& g = g_toolpath_engine;
  g.cleaned = ContourNetwork{};
  g.work_links = {};
  g.work_nodes = {};
  g.ring_links = {};
  g.ring_nodes = {};
  g.boundary_rings = {};
  g.island_rings = {};
  g.ring_path.clear();
  g.ring_path_count = 0;
  g.coverage = CoverageOutlines{};
}

// ---- nesting ----

// The boxes of the cleaned outlines, so that most pairs need no containment test.
struct OutlineBoxes {
  std::vector<LoopBox> nodes;  // of each outline's nodes
  std::vector<LoopBox> reach;  // of each outline's bounding circles
};

OutlineBoxes outline_boxes(int32_t count) {
  const ContourNetwork& c = g_toolpath_engine.cleaned;
  OutlineBoxes b;
  for (int32_t i = 0; i < count; ++i) {
    b.nodes.push_back(loop_node_box(c.links.data(), c.nodes.data(), c.firsts[i], c.lasts[i]));
    b.reach.push_back(loop_reach_box(c.links.data(), c.nodes.data(), c.firsts[i], c.lasts[i]));
  }
  return b;
}

// contour_inside of outline i in outline j (running in `direction`); 0 at once when i's nodes
// do not even lie within j's reach.
int32_t outline_inside(const OutlineBoxes& boxes, int32_t i, int32_t j, int32_t direction) {
  if (!box_may_hold(boxes.reach[j], boxes.nodes[i])) return 0;
  const ContourNetwork& c = g_toolpath_engine.cleaned;
  return contour_inside(c.links.data(), c.nodes.data(), c.firsts[i], c.lasts[i], c.firsts[j],
                        c.lasts[j], direction);
}

// How many other outlines enclose each outline; false when a test could not decide.
bool nesting_depths(int32_t count, const OutlineBoxes& boxes, std::vector<int32_t>* depth) {
  depth->assign(static_cast<size_t>(count), 0);
  for (int32_t i = 0; i < count; ++i) {
    for (int32_t j = 0; j < count; ++j) {
      if (i == j) continue;
      const int32_t r = outline_inside(boxes, i, j, CONTOUR_CLOCKWISE);
      if (r == -1) return false;
      if (r == 1) ++(*depth)[i];
    }
  }
  return true;
}

// A region inside a text island (the counter of a letter standing in a pocket) carries
// island settings; it is cleared with the settings of the pocket around it.
void inherit_pocket_settings(int32_t count, const std::vector<int32_t>& depth,
                             const OutlineBoxes& boxes, ContourSettings* settings) {
  for (int32_t i = 0; i < count; ++i) {
    if (depth[i] == 0 || depth[i] % 2 != 0) continue;
    if (settings[i].text_char < 1 || settings[i].finish_rings != 0 || settings[i].rough_rings != 0) {
      continue;
    }
    for (int32_t j = 0; j < count; ++j) {
      if (j == i || depth[j] != depth[i] - 2) continue;
      if (outline_inside(boxes, i, j, CONTOUR_CLOCKWISE) == 1) settings[i] = settings[j];
    }
  }
}

// Cuts one outline: its rings, then its passes. True when it produced a path.
bool cut_outline(int32_t start, int32_t end, std::vector<int32_t> island_start,
                 std::vector<int32_t> island_end, const ContourSettings& settings,
                 PathRecordBuffer* records) {
  const ContourNetwork& c = g_toolpath_engine.cleaned;
  if (run_pocket_rings(c.links.data(), c.nodes.data(), start, end, island_start.data(),
                       island_end.data(), static_cast<int32_t>(island_start.size()),
                       settings) != 1) {
    return false;
  }
  write_passes(records, settings);
  return true;
}

// The outer boundary i with its islands. Returns true when it produced a path.
bool cut_boundary(int32_t i, int32_t count, const std::vector<int32_t>& depth,
                  const OutlineBoxes& boxes, const ContourSettings& settings,
                  PathRecordBuffer* records) {
  ToolpathEngineState& g = g_toolpath_engine;
  ContourNetwork& c = g.cleaned;
  reverse_contour(c.links.data(), c.firsts[i], c.lasts[i]);
  std::vector<int32_t> island_start, island_end;
  for (int32_t j = 0; j < count; ++j) {
    if (depth[j] != depth[i] + 1) continue;
    if (outline_inside(boxes, j, i, CONTOUR_COUNTER_CLOCKWISE) == 1) {
      island_start.push_back(c.firsts[j]);
      island_end.push_back(c.lasts[j]);
    }
  }
  g.retry_count = 0;
  ContourSettings copy = settings;
  if (normalise_ring_settings(&copy) != 1) return false;
  if (copy.text_char == 0 || !rings_mean_contour(copy.rough_rings)) {
    return cut_outline(c.firsts[i], c.lasts[i], island_start, island_end, copy, records);
  }
  // A contour of a text character: the letter's outline alone, then each counter on its own,
  // contoured from the other side.
  bool made = cut_outline(c.firsts[i], c.lasts[i], {}, {}, copy, records);
  copy.rough_rings = -copy.rough_rings;
  copy.finish_rings = -copy.finish_rings;
  for (size_t k = 0; k < island_start.size() && !g.abort; ++k) {
    g.retry_count = 0;
    if (cut_outline(island_start[k], island_end[k], {}, {}, copy, records)) made = true;
  }
  return made;
}

// Tells the user which cuts are missing when the outlines of the group were left out for a
// reason that has no message of its own.
void report_missing_cuts(int32_t status_before, int32_t group_order) {
  const int32_t fresh = g_contour_kernel.EngineStatus & ~status_before & ENGINE_STATUS_MISSING_CUTS;
  if (fresh == 0) return;
  std::string text = "Warning: cuts are missing from machining group " +
                     std::to_string(group_order >> 16) + ":";
  if (fresh & ENGINE_STATUS_INSIDE_UNDECIDED) {
    text += "\nIt could not be decided which outlines lie inside which.";
  }
  if (fresh & ENGINE_STATUS_NOT_CHAINED) text += "\nAn outline is not a closed chain.";
  if (fresh & ENGINE_STATUS_BAD_WIDTH) text += "\nAn outline has a tool whose cutting width is 0.";
  if (fresh & ENGINE_STATUS_BAD_STEPOVER) {
    text += "\nAn outline has a stepover that is not between 0 and 100 percent.";
  }
  if (fresh & ENGINE_STATUS_NOT_LINKED) {
    text += "\nThe rings of an outline could not be joined into one tool path.";
  }
  text += "\nCheck the tool path: those outlines are not cut.";
  engine_text_box(text.c_str());
}

// The run once its arrays are sized: cleaning, nesting, then each outer boundary with its
// islands. True when any outline produced a path.
bool machine_closed_group(const ContourLink* links, const ContourNode* nodes,
                          int32_t* contour_start, int32_t* contour_end, int32_t count,
                          ContourSettings* settings, PathRecordBuffer* records) {
  ToolpathEngineState& g = g_toolpath_engine;
  if (build_contour_network(links, nodes, contour_start, contour_end, count, &g.cleaned,
                            CONTOUR_CLOCKWISE, 1) == 0) {
    return false;
  }
  for (int32_t k = 0; k < count; ++k) {
    contour_start[k] = g.cleaned.firsts[k];
    contour_end[k] = g.cleaned.lasts[k];
  }
  if (g_contour_kernel.contour_run_mode != 0) {
    const int32_t r = run_blade_profile(records, g.cleaned.links.data(), g.cleaned.nodes.data(),
                                        contour_start[0], contour_end[0], settings[0]);
    if (r != 1 && !g.abort) g.uncut_outlines.push_back(0);
    return r == 1;
  }
  const OutlineBoxes boxes = outline_boxes(count);
  std::vector<int32_t> depth;
  if (!nesting_depths(count, boxes, &depth)) return false;
  inherit_pocket_settings(count, depth, boxes, settings);
  bool made = false;
  for (int32_t i = 0; i < count && !g.abort; ++i) {
    if (depth[i] % 2 != 0) continue;
    if (cut_boundary(i, count, depth, boxes, settings[i], records)) {
      made = true;
    } else if (!g.abort) {
      g.uncut_outlines.push_back(i);
    }
  }
  return made;
}

// The open outlines cut on one side are cut one by one; the closed outlines of the group
// then go on together. True when any outline produced a path.
bool machine_group(const ContourLink* links, const ContourNode* nodes, int32_t* contour_start,
                   int32_t* contour_end, int32_t count, ContourSettings* settings,
                   PathRecordBuffer* records) {
  ToolpathEngineState& g = g_toolpath_engine;
  std::vector<int32_t> closed_start, closed_end, closed_index;
  std::vector<ContourSettings> closed_settings;
  bool made = false;
  for (int32_t k = 0; k < count && !g.abort; ++k) {
    if (settings[k].profile_mode != PROFILE_ONE_SIDED) {
      closed_start.push_back(contour_start[k]);
      closed_end.push_back(contour_end[k]);
      closed_settings.push_back(settings[k]);
      closed_index.push_back(k);
      continue;
    }
    if (run_open_profile(records, links, nodes, contour_start[k], contour_end[k], settings[k]) == 1) {
      made = true;
    } else if (!g.abort) {
      g.uncut_outlines.push_back(k);
    }
  }
  if (closed_start.empty() || g.abort) return made;
  if (closed_start.size() == static_cast<size_t>(count)) {
    return machine_closed_group(links, nodes, contour_start, contour_end, count, settings, records);
  }
  const size_t before = g.uncut_outlines.size();
  const bool closed = machine_closed_group(links, nodes, closed_start.data(), closed_end.data(),
                                           static_cast<int32_t>(closed_start.size()),
                                           closed_settings.data(), records);
  for (size_t u = before; u < g.uncut_outlines.size(); ++u)
    g.uncut_outlines[u] = closed_index[static_cast<size_t>(g.uncut_outlines[u])];
  return made || closed;
}

bool write_spill_records(const PathRecord* records, int32_t count) {
  ToolpathEngineState& g = g_toolpath_engine;
  uint8_t bytes[PATH_RECORD_SIZE];
  for (int32_t k = 0; k < count; ++k) {
    write_path_record_bytes(records[k], bytes);
    if (std::fwrite(bytes, 1, PATH_RECORD_SIZE, g.spill_file) != PATH_RECORD_SIZE) return false;
  }
  return true;
}

}  // namespace

// ---- talking to the user ----

void engine_progress(const char* format) {
  ToolpathEngineState& g = g_toolpath_engine;
  const uint32_t now = clock_now_ms();
  if (g.progress_shown && now - g.last_progress_ms < PROGRESS_EVERY_MS) return;
  g.progress_shown = true;
  g.last_progress_ms = now;
  host_pump_messages();
  char line[64];
  std::snprintf(line, sizeof line, format, static_cast<int>((now - g.run_start_ms) / MS_PER_TICK));
  host_show_progress(line);
}

void engine_progress_count(const char* format, int32_t count) {
  ToolpathEngineState& g = g_toolpath_engine;
  const uint32_t now = clock_now_ms();
  if (g.progress_shown && now - g.last_progress_ms < PROGRESS_EVERY_MS) return;
  g.progress_shown = true;
  g.last_progress_ms = now;
  host_pump_messages();
  char line[64];
  std::snprintf(line, sizeof line, format, static_cast<int>(count));
  host_show_progress(line);
}

bool engine_escape_pressed() {
  host_pump_messages();
  if (!host_escape_pressed()) return false;
  g_toolpath_engine.abort = true;
  return true;
}

void engine_message_box(const char* text) { host_show_message(text); }

void engine_text_box(const char* text) { host_show_message(text); }

void start_engine_clock() {
  g_toolpath_engine.run_start_ms = clock_now_ms();
  g_toolpath_engine.progress_shown = false;
}

// ---- records ----

void write_path_record_bytes(const PathRecord& record, uint8_t out[PATH_RECORD_SIZE]) {
  put_i32_le(out + 0, record.code);
  put_f32_le(out + 4, record.x);
  put_f32_le(out + 8, record.y);
  put_f32_le(out + 12, record.z);
  put_f32_le(out + 16, record.value);
  put_i32_le(out + 20, record.flag);
}

void read_path_record_bytes(const uint8_t in[PATH_RECORD_SIZE], PathRecord* record) {
  record->code = get_i32_le(in + 0);
  record->x = get_f32_le(in + 4);
  record->y = get_f32_le(in + 8);
  record->z = get_f32_le(in + 12);
  record->value = get_f32_le(in + 16);
  record->flag = get_i32_le(in + 20);
}

void append_path_record(PathRecordBuffer* records, const PathRecord& record) {
  ToolpathEngineState& g = g_toolpath_engine;
  // The buffer keeps a few records beyond its capacity for the end code.
  if (records->size() <= static_cast<size_t>(g.record_count) + 1) {
    records->resize(std::max<size_t>(PATH_BUFFER_ALLOCATED, g.record_count + 2));
  }
  (*records)[g.record_count++] = record;
}

void end_path_records(PathRecordBuffer* records) {
  append_path_record(records, PathRecord{PATH_END, 0, 0, 0, 0, 0});
  --g_toolpath_engine.record_count;
}

void make_room_for_path_records(PathRecordBuffer* records) {
  ToolpathEngineState& g = g_toolpath_engine;
  if (g.record_count + PATH_BUFFER_ROOM <= PATH_BUFFER_CAPACITY) return;
  if (!spill_path_records(records->data(), g.record_count)) {
    // The stream would have a hole: stop the run rather than machine half a pocket.
    if (!g.abort) engine_text_box(SPILL_FAILED);
    g.abort = true;
  }
  g.spill_flag = true;
  g.record_count = 0;
}

std::string path_spill_file_path() { return path_join(temp_folder(), PATH_SPILL_FILE_NAME); }

bool spill_path_records(const PathRecord* records, int32_t count) {
  ToolpathEngineState& g = g_toolpath_engine;
  if (count <= 0) {
    if (g.spill_file == nullptr) return true;
    const bool closed = std::fclose(g.spill_file) == 0;
    g.spill_file = nullptr;
    if (!closed) g.spill_error = "the temporary tool-path file could not be closed";
    return closed;
  }
  if (g.spill_file == nullptr) {
    g.spill_file = std::fopen(path_spill_file_path().c_str(), "wb");
    if (g.spill_file == nullptr) {
      g.spill_error = "the temporary tool-path file could not be created";
      return false;
    }
  }
  if (!write_spill_records(records, count)) {
    g.spill_error = "the temporary tool-path file could not be written";
    return false;
  }
  return true;
}

void clear_ring_path_flags(PathRecordBuffer* records) {
  for (PathRecord& r : *records) r.flag = 0;
  for (RingPathRecord& r : g_toolpath_engine.ring_path) r.flag = 0;
}

void append_ring_path_record(const RingPathRecord& record) {
  ToolpathEngineState& g = g_toolpath_engine;
  if (g.ring_path.size() <= static_cast<size_t>(g.ring_path_count)) {
    g.ring_path.resize(std::max<size_t>(g.ring_path.size() * 2, g.ring_path_count + 16));
  }
  g.ring_path[g.ring_path_count++] = record;
}

// ---- the group driver ----

int32_t count_group_links(const ContourLink* links, const int32_t* contour_start,
                          const int32_t* contour_end, int32_t contour_count,
                          int32_t* point_count, int32_t* max_node) {
  int32_t total = 0;
  *point_count = 0;
  *max_node = -1;
  for (int32_t c = 0; c < contour_count; ++c) {
    total += contour_end[c] - contour_start[c] + 1;
    if (links[contour_start[c]].kind == SEGMENT_CIRCLE) ++total;
    for (int32_t k = contour_start[c]; k <= contour_end[c]; ++k) {
      const ContourLink& l = links[k];
      if (l.kind == SEGMENT_CIRCLE) {
        ++*point_count;
        *max_node = std::max(*max_node, l.centre_node);
        continue;
      }
      *max_node = std::max({*max_node, l.start_node, l.end_node});
      if (l.kind == SEGMENT_ARC) *max_node = std::max(*max_node, l.centre_node);
    }
  }
  return total;
}

int32_t run_machining_group(const ContourLink* links, const ContourNode* nodes,
                            int32_t* contour_start, int32_t* contour_end, int32_t contour_count,
                            ContourSettings* settings, PathRecordBuffer* records) {
  ToolpathEngineState& g = g_toolpath_engine;
  g.abort = false;
  g.record_count = 0;
  g.uncut_outlines.clear();
  // A spill file left by a run that never had its records read back (a crash, an earlier
  // failure) is not this run's: the collector would take its records for ours.
  if (g.spill_file == nullptr) file_delete(path_spill_file_path());
  if (contour_count > ENGINE_MAX_OUTLINES) {
    engine_text_box(TOO_MANY_OUTLINES);
    return 0;
  }
  if (contour_count <= 0) return 0;
  const int32_t status_before = g_contour_kernel.EngineStatus;
  try {
    // The ring path grows as the linking needs; its room is kept from run to run, since the
    // contour phase runs the engine once per letter.
    g.ring_path.clear();
    g.ring_path.reserve(PATH_BUFFER_ALLOCATED);
    if (records->size() < static_cast<size_t>(PATH_BUFFER_ALLOCATED)) {
      records->resize(PATH_BUFFER_ALLOCATED);
    }
  } catch (const std::bad_alloc&) {
    free_engine_arrays();
    return 0;
  }
  g.ring_path_count = 0;
  clear_ring_path_flags(records);
  int32_t points = 0, max_node = 0;
  int32_t l = count_group_links(links, contour_start, contour_end, contour_count, &points,
                                &max_node);
  // Only a blade group is worked in the kernel's profile modes; a one-sided open outline
  // sets the mode itself while its line is cleaned.
  const int32_t mode = settings[0].profile_mode;
  g_contour_kernel.contour_run_mode = mode == PROFILE_ONE_SIDED ? 0 : mode;
  // An open outline is worked as a there-and-back loop of twice its links.
  for (int32_t k = 0; k < contour_count; ++k) {
    if (settings[k].profile_mode == PROFILE_ONE_SIDED) {
      l += contour_end[k] - contour_start[k] + 1;
    }
  }
  if (settings[0].profile_mode == CONTOUR_RUN_OPEN_PATH) l *= 2;
  // The kernel's own faults ("Too many links in curve") reach the user like the engine's.
  void (*kernel_message)(const char*) = g_contour_kernel.show_message;
  if (kernel_message == nullptr) g_contour_kernel.show_message = host_show_message;
  bool made = false;
  if (!alloc_engine_arrays(l)) {
    engine_message_box("Out of memory");
  } else {
    try {
      made = machine_group(links, nodes, contour_start, contour_end, contour_count, settings,
                           records);
    } catch (const std::bad_alloc&) {
      engine_message_box("Out of memory");
      made = false;
    }
  }
  free_engine_arrays();
  g_contour_kernel.contour_run_mode = 0;
  g_contour_kernel.show_message = kernel_message;
  if (g.spill_flag) {
    if (!spill_path_records(records->data(), g.record_count) || !spill_path_records(nullptr, 0)) {
      if (!g.abort) engine_text_box(SPILL_FAILED);
      g.abort = true;
    }
    g.spill_flag = false;
  }
  report_missing_cuts(status_before, settings[0].group_order);
  return made ? 1 : 0;
}

void reset_toolpath_engine() {
  ToolpathEngineState& g = g_toolpath_engine;
  if (g.spill_file != nullptr) std::fclose(g.spill_file);
  g = ToolpathEngineState{};
}
