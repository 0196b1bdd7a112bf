#include "pages/proof_view.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "cam/make_nc.h"
#include "editor/page_furniture.h"
#include "editor/page_redraw.h"
#include "editor/render.h"
#include "editor/view.h"
#include "editor/view_state.h"
#include "nc/back_plot.h"
#include "nc/dxf_path.h"
#include "nc/nc_extents.h"
#include "nc/post_gm.h"
#include "nc/post_processor.h"
#include "nc/time_estimate.h"
#include "nc/work_surface.h"
#include "platform/canvas.h"
#include "platform/files.h"
#include "platform/pump.h"
#include "records/job_settings.h"
#include "records/preferences.h"
#include "screen/boxes.h"
#include "screen/hover.h"
#include "screen/main_form.h"
#include "screen/pointer.h"
#include "screen/screen_attributes.h"
#include "screen/text_output.h"
#include "screen/tick_clock.h"
#include "store/catalogue.h"
#include "store/message_ids.h"
#include "store/file_reader.h"
#include "text/text_layout.h"
#include "ui/message_box.h"
#include "ui/placeholder_page.h"
#include "ui/pointer_motion.h"
#include "ui/standard_dialogs.h"
#include "ui/text_window.h"

ProofView g_proof_view;

namespace {

constexpr double PI = 3.14159265358979323846;
constexpr float TURN_STEP = 0.0785398f;    // about pi/40 a key
constexpr float DRAG_TURN = static_cast<float>(PI / 400);  // radians a pixel of left drag
constexpr int PAN_STEP = 50;
constexpr int PAN_FINE_STEP = 5;
constexpr float ZOOM_IN = 1.1111f;
constexpr float ZOOM_OUT = 0.9f;
constexpr float START_FOCAL = 10000.0f, START_CAMERA = 15000.0f;
constexpr float FAR_FOCAL = 120000.0f, FAR_CAMERA = 180000.0f;
constexpr float EDITOR_FAR_FOCAL = 1000000.0f, EDITOR_FAR_CAMERA = 1500000.0f;
constexpr float LARGE_SPAN = 5000.0f;
// The near plane, as a part of the camera distance: points closer than this to the camera (or
// behind it) are cut off, so no division ever meets 0 or a sign change.
constexpr double NEAR_PART = 1e-4;
// Segments are cut to this many pixels around the area before they reach the canvas.
constexpr double PIXEL_GUARD = 100000.0;
constexpr int POLL_EVERY = 6;
// Slow-draw waits per row (0.1 ms units) by the length of the program.
constexpr int16_t SLOW_SHORT = 1000, SLOW_MEDIUM = 750, SLOW_LONG = 400;
constexpr int32_t SHORT_PROGRAM_ROWS = 199, MEDIUM_PROGRAM_ROWS = 599;
constexpr EventCode CODE_ROTARY_IN = 443, CODE_ROTARY_OUT = 444;
constexpr EventCode PAGE_TAB_EVENT = 699;

// Colours (COLORREF, 0x00BBGGRR).
constexpr uint32_t BLACK = 0x000000, WHITE = 0xFFFFFF, RED = 0x0000FF, GREEN = 0x00FF00,
                   DARK_GREEN = 0x008000, BLUE = 0xFF0000, CYAN = 0xFFFF00, PURPLE = 0x800080,
                   MAGENTA = 0xFF00FF, LIGHT_GREY = 0xDFDFDF;

constexpr char TITLE_PROGRAM[] = "This is a proof of the NC program.";
constexpr char TITLE_ROTARY[] = "NOTE: 4th axis proofs are imperfect!";
constexpr char HELP_LINE[] =
    "\vRight\023 mouse button/\varrow\023 keys: pan.      \vMiddle\023 mouse button/\vPAGE UP\023/"
    "\vDN\023: \fZoom\023 in/out.\n\vLeft\023 mouse button/\vnumber-pad\023 keys: rotate/tilt.      "
    "Ar\vc\023 color     Perspective: \vD\023ecrease/\vI\023ncrease";
constexpr char SLOW_HELP_LINE[] =
    "Hold \fSHIFT\023, \fCTRL\023, and/or \fALT\023 key to draw faster. \fSPACEBAR\023: step one "
    "row at a time.\n\vENTER\023: finish.";
constexpr char STEP_HELP_LINE[] =
    "Press \fBACKSPACE\023 to step backwards,  \vSPACEBAR\023 to step forwards\n               "
    "\vENTER\023: resume slow draw, \vESC\023: finish quickly";
constexpr char DXF_FAILED[] = "Couldn't create DXF file!";

std::vector<ScreenControl> make_table() {
  std::vector<ScreenControl> t = {
      make_control("\0163D object", PROOF_BUTTON_WORKPIECE, 3, 2, 1, 10, 17, CF_CHECKED),
      make_control("\016Rapid moves", PROOF_BUTTON_RAPIDS, 3, 13, 1, 12, 18, CF_CHECKED),
      make_control("Print", PROOF_BUTTON_PRINT, 3, 26, 1, 5, 0, CF_HIDDEN),
      make_control("Quit proof", PROOF_BUTTON_QUIT, 3, 26, 1, 10, 0, 0),
      make_control("\fView:", 0, 3, 37, 1, 5, 0, CF_NO_BOX),
      make_control("Top", PROOF_BUTTON_TOP, 3, 43, 1, 3, 13, 0),
      make_control("Side", PROOF_BUTTON_SIDE, 3, 47, 1, 4, 14, 0),
      make_control("All", PROOF_BUTTON_ALL, 3, 52, 1, 3, 15, 0),
      make_control("Menu", 200, 3, 56, 1, 4, 0, CF_HIDDEN),
      make_control("\0102", PROOF_BUTTON_ZOOM_IN_BIG, 3, 56, 1, 2, 165, 0),
      make_control("\0109", PROOF_BUTTON_ZOOM_IN, 3, 59, 1, 2, 164, 0),
      make_control("\fPerspective", 0, 3, 62, 1, 11, 16, CF_NO_BOX),
      make_control("\010;", PROOF_BUTTON_ZOOM_OUT, 3, 74, 1, 2, 163, 0),
      make_control("\0101", PROOF_BUTTON_ZOOM_OUT_BIG, 3, 77, 1, 2, 162, 0),
      make_control("Draw slow", PROOF_BUTTON_SLOW, 3, 80, 1, 9, 12, 0),
      make_control("Calc Time", PROOF_BUTTON_TIME, 3, 90, 1, 9, 166, 0),
      make_control("\016outline", PROOF_BUTTON_OUTLINE, 3, 100, 1, 8, 95, CF_CHECKED),
      make_control("Make DXF", PROOF_BUTTON_DXF, 3, 109, 1, 8, 156, 0),
  };
  append_title_buttons(&t);
  return t;
}

ProofView& pv() { return g_proof_view; }

ScreenControl* control(uint8_t id) {
  return pv().controls.empty() ? nullptr : find_control_in(pv().controls.data(), id);
}

void set_hidden(uint8_t id, bool hidden) {
  if (ScreenControl* c = control(id)) {
    if (hidden) c->flags |= CF_HIDDEN;
    else c->flags &= ~CF_HIDDEN;
  }
}

void set_pressed(uint8_t id, bool pressed) {
  if (ScreenControl* c = control(id)) {
    if (pressed) c->flags |= CF_CHECKED;
    else c->flags &= ~CF_CHECKED;
  }
}

int area_height() { return std::max(1, g_view.area_bottom - g_view.area_top); }

// ---- the camera ----

struct Camera {
  double ct, st, cr, sr, zmid, cx, cy, focal, distance, near;
  double view_left, view_top, scale;
  double pan_x, pan_y;
};
Camera g_camera;

void set_camera(float tilt, float rotation) {
  const ProofView& v = pv();
  Camera& c = g_camera;
  c.ct = std::cos(static_cast<double>(tilt) + PI);
  c.st = std::sin(static_cast<double>(tilt) + PI);
  c.cr = std::cos(static_cast<double>(rotation));
  c.sr = std::sin(static_cast<double>(rotation));
  c.zmid = (static_cast<double>(v.z_min) + v.z_max) / 2;
  c.cx = v.centre_x;
  c.cy = v.centre_y;
  c.focal = v.focal;
  c.distance = v.camera;
  c.near = std::max(std::fabs(c.distance) * NEAR_PART, 1e-9);
  c.view_left = g_view.view_left;
  c.view_top = g_view.view_top;
  c.scale = g_view.scale_x;
  c.pan_x = v.pan_x;
  c.pan_y = v.pan_y;
}

// Camera space: (sideways, up, depth in front of the camera).
void to_camera(const float p[3], double out[3]) {
  const Camera& c = g_camera;
  const double x = p[0] - c.cx, y = -(p[1] - c.cy);
  const double x1 = c.cr * x - c.sr * y;
  const double y1 = c.sr * x + c.cr * y;
  const double z = p[2] - c.zmid;
  out[0] = x1;
  out[1] = z * c.ct - c.st * y1;
  out[2] = z * c.st + c.ct * y1 + c.distance;
}

void to_pixel(const double q[3], double* px, double* py) {
  const Camera& c = g_camera;
  const double sx = c.focal * q[0] / q[2], sy = c.focal * q[1] / q[2];
  *px = (sx - c.view_left) * c.scale + c.pan_x;
  *py = (c.view_top + sy) * c.scale + c.pan_y;
}

// Liang-Barsky against the guard window around the area.
bool clip_to_guard(double* p) {
  const double lo_x = -PIXEL_GUARD, hi_x = g_view.area_width + PIXEL_GUARD;
  const double lo_y = -PIXEL_GUARD, hi_y = area_height() + PIXEL_GUARD;
  double t0 = 0, t1 = 1;
  const double dx = p[2] - p[0], dy = p[3] - p[1];
  const double edges[4][2] = {{-dx, p[0] - lo_x}, {dx, hi_x - p[0]}, {-dy, p[1] - lo_y}, {dy, hi_y - p[1]}};
  for (const auto& e : edges) {
    if (e[0] == 0) {
      if (e[1] < 0) return false;
      continue;
    }
    const double t = e[1] / e[0];
    if (e[0] < 0) t0 = std::max(t0, t);
    else t1 = std::min(t1, t);
    if (t0 > t1) return false;
  }
  const double x0 = p[0], y0 = p[1];
  p[0] = x0 + t0 * dx;
  p[1] = y0 + t0 * dy;
  p[2] = x0 + t1 * dx;
  p[3] = y0 + t1 * dy;
  return std::isfinite(p[0]) && std::isfinite(p[1]) && std::isfinite(p[2]) && std::isfinite(p[3]);
}

}  // namespace

bool proof_project_segment(const float a[3], const float b[3], double out[4]) {
  double qa[3], qb[3];
  to_camera(a, qa);
  to_camera(b, qb);
  const double near = g_camera.near;
  if (!(qa[2] >= near) && !(qb[2] >= near)) return false;
  // Cut the part behind the near plane.
  if (qa[2] < near || qb[2] < near) {
    double* behind = qa[2] < near ? qa : qb;
    const double* front = qa[2] < near ? qb : qa;
    const double t = (near - front[2]) / (behind[2] - front[2]);
    for (int k = 0; k < 3; ++k) behind[k] = front[k] + t * (behind[k] - front[k]);
    behind[2] = near;
  }
  to_pixel(qa, &out[0], &out[1]);
  to_pixel(qb, &out[2], &out[3]);
  return clip_to_guard(out);
}

namespace {

// ---- drawing ----

struct Pen {
  float at[3] = {0, 0, 0};
  bool placed = false;
};

void line_to(Pen* pen, const float to[3], uint32_t colour, bool dotted) {
  if (pen->placed) {
    double p[4];
    if (proof_project_segment(pen->at, to, p)) {
      Canvas* canvas = drawing_canvas();
      const CanvasKeep keep(canvas);
      const CanvasRect saved = canvas->clip;
      const int dy = g_view.origin_y;
      canvas->clip = CanvasRect{0, dy, g_view.area_width, dy + area_height()};
      canvas->mix = CANVAS_MIX_COPY;
      canvas->pen = CanvasPen{};
      canvas->pen.colour = colour_pixel(colour);
      canvas->pen.style = dotted ? CANVAS_PEN_DOT : CANVAS_PEN_SOLID;
      const int x1 = static_cast<int>(std::lround(p[0])), y1 = static_cast<int>(std::lround(p[1]));
      const int x2 = static_cast<int>(std::lround(p[2])), y2 = static_cast<int>(std::lround(p[3]));
      canvas_draw_line(canvas, x1, y1 + dy, x2, y2 + dy);
      // Thin lines leave out their end pixel: a lone segment keeps its end.
      if (!dotted) canvas_set_pixel(canvas, x2, y2 + dy, colour_pixel(colour));
      canvas->clip = saved;
    }
  }
  std::copy(to, to + 3, pen->at);
  pen->placed = true;
}

void move_to(Pen* pen, const float to[3]) {
  std::copy(to, to + 3, pen->at);
  pen->placed = true;
}

struct DrawState {
  uint32_t feed = BLACK;
  uint32_t second = BLACK;
  bool slow = false;        // drawing slowly (row by row)
  bool stepping = false;    // paused on a row: keys step
  bool erasing = false;     // stepping back: every line white
  bool stop = false;
  int32_t row = 0;
  int motions = 0;
};

void follow_feed(DrawState* d) {
  d->second = pv().arc_override != PROOF_NO_OVERRIDE ? pv().arc_override : d->feed;
}

void show_bottom_left(const std::string& text) {
  const CellMetrics& normal = g_display.presets[FACE_ROLE_NORMAL];
  draw_text(normal.last_row, 0, text.c_str());
}

void show_running_time() {
  if (pv().time_display == 0) return;
  const std::string text = format_machining_time() + " ";
  const CellMetrics& normal = g_display.presets[FACE_ROLE_NORMAL];
  draw_text(normal.last_row, std::max(0, normal.last_column - static_cast<int>(text.size())),
            text.c_str());
}

// Input during a full-speed draw: a drag jumps to the axes so only the indicator follows, any
// other input stops the draw. Nothing is taken from the queue.
enum class Poll { GO_ON, TO_AXES, STOP };
Poll poll_during_draw() {
  pump_messages();
  const EventCode next = poll_input_code(EVENT_PEEK_LIMIT);
  if (next == 0) return Poll::GO_ON;
  pv().redraw_interrupted = 1;
  if (next == EVENT_POINTER_MOVE && g_pointer.button_bits != 0) return Poll::TO_AXES;
  if (next == EVENT_TICK) {
    poll_input_code(0);  // time passing is no reason to stop
    pv().redraw_interrupted = 0;
    return Poll::GO_ON;
  }
  return Poll::STOP;
}

// What the user wants after a slow row's wait.
enum class SlowStep { NEXT, BACK, STOP };

// The wait of a slow row, and the keys that change it.
SlowStep slow_row_wait(DrawState* d) {
  ProofView& v = pv();
  for (;;) {
    v.stepping = d->stepping;
    if (d->stepping) {
      const EventCode code = wait_input_code();
      switch (code) {
        case KEY_BACKSPACE: return SlowStep::BACK;
        case KEY_ENTER:
          d->stepping = false;
          show_help_text_line(SLOW_HELP_LINE);
          return SlowStep::NEXT;
        case KEY_ESC:
          d->stepping = false;
          d->slow = false;
          v.slow_delay = 0;
          show_help_text_line(SLOW_HELP_LINE);
          return SlowStep::NEXT;
        case ' ': return SlowStep::NEXT;
        case EVENT_QUIT:
        case PAGE_TAB_EVENT: push_input_code_front(code); return SlowStep::STOP;
        default: continue;
      }
    }
    pump_messages();
    const EventCode next = poll_input_code(EVENT_PEEK_LIMIT);
    if (next != 0) {
      if (next == EVENT_QUIT || next == PAGE_TAB_EVENT) return SlowStep::STOP;
      poll_input_code(0);
      if (next == KEY_ESC || next == KEY_ENTER) {
        d->slow = false;
        v.slow_delay = 0;
        return SlowStep::NEXT;
      }
      if (next == ' ') {
        d->stepping = true;
        show_help_text_line(STEP_HELP_LINE);
        continue;
      }
    }
    int divisor = 1;
    const uint8_t mods = g_events.modifiers;
    if ((mods & MODIFIER_SHIFT) != 0) divisor *= 2;
    if ((mods & MODIFIER_CTRL) != 0) divisor *= 2;
    if ((mods & MODIFIER_ALT) != 0) divisor *= 2;
    pause_ms(static_cast<uint32_t>(v.slow_delay / divisor / 10));
    return SlowStep::NEXT;
  }
}

void draw_record(const ProofRecord& r, Pen* pen, DrawState* d, size_t* index) {
  ProofView& v = pv();
  const char kind = static_cast<char>(r.kind);
  const float p[3] = {proof_field_f32(r, 0), proof_field_f32(r, 1), proof_field_f32(r, 2)};
  const auto colour = [&](uint32_t c) { return d->erasing ? WHITE : c; };
  if (d->erasing && (kind == PROOF_PAUSE || kind == PROOF_TOOL)) return;
  switch (kind) {
    case PROOF_LINE: return;
    case PROOF_PAUSE:
      d->feed = d->feed == DARK_GREEN ? BLUE : DARK_GREEN;
      if (d->slow) show_text_box(proof_record_text(r).c_str(), TEXTBOX_PRESS_A_KEY);
      follow_feed(d);
      return;
    case PROOF_TOOL:
      if (d->slow) {
        const std::string text = "Tool change, T" + std::to_string(proof_field_i32(r, 0));
        show_text_box(text.c_str(), TEXTBOX_PRESS_A_KEY);
      }
      d->feed = DARK_GREEN;
      follow_feed(d);
      return;
    case PROOF_TOOL_ROUGHING: d->feed = BLUE; follow_feed(d); return;
    case PROOF_TOOL_FINISHING: d->feed = BLACK; follow_feed(d); return;
    default: break;
  }
  if (v.time_display != 0 && !d->erasing) add_proof_record_time(kind, p[0], p[1], p[2]);
  switch (kind) {
    case PROOF_RAPID:
      if (v.show_rapids) line_to(pen, p, colour(RED), true);
      else move_to(pen, p);
      break;
    case PROOF_FEED:
    case PROOF_FEED_3D: line_to(pen, p, colour(d->feed), false); break;
    case PROOF_FEED_SECOND:
    case PROOF_CHORD:
    case PROOF_ARC_STRAIGHT: line_to(pen, p, colour(d->second), false); break;
    case PROOF_OUTLINE_MOVE:
    case PROOF_POSITION:
    case PROOF_Z_STEP: move_to(pen, p); break;
    case PROOF_OUTLINE:
      if (v.show_outlines) line_to(pen, p, colour(GREEN), false);
      break;
    case PROOF_PLUNGE:
      if (v.show_rapids) line_to(pen, p, colour(CYAN), false);
      else move_to(pen, p);
      break;
    case PROOF_RAPID_Z:
      if (v.show_rapids) line_to(pen, p, colour(CYAN), true);
      break;
    case PROOF_AXIS:
      if (v.show_rapids) line_to(pen, p, colour(PURPLE), false);
      break;
    case PROOF_STOCK: line_to(pen, p, colour(MAGENTA), false); break;
    case PROOF_WIREFRAME:
    case PROOF_WIREFRAME_DOME:
      if (v.show_workpiece) line_to(pen, p, colour(LIGHT_GREY), false);
      else if (*index < v.axes_index) *index = v.axes_index - 1;
      break;
    default: break;
  }
}

void load_delay_for_slow_draw() {
  ProofView& v = pv();
  v.slow_delay = v.last_row <= SHORT_PROGRAM_ROWS ? SLOW_SHORT
                 : v.last_row <= MEDIUM_PROGRAM_ROWS ? SLOW_MEDIUM
                                                     : SLOW_LONG;
}

bool metric_file_set() { return g_catalogue.file_name == CATALOGUE_METRIC_FILE_NAME; }

}  // namespace

// ---- loading and bounds ----

bool proof_load() {
  ProofView& v = pv();
  v.records.clear();
  if (!read_proof_file(proof_file_path(), &v.records)) return false;
  v.axes_index = v.records.size();
  if (g_proof.axes_offset >= 0) {
    const size_t at = static_cast<size_t>(g_proof.axes_offset) / PROOF_RECORD_SIZE;
    if (at <= v.records.size()) v.axes_index = at;
  } else {
    for (size_t k = 0; k < v.records.size(); ++k)
      if (v.records[k].kind == PROOF_AXIS) {
        v.axes_index = k > 0 && v.records[k - 1].kind == PROOF_POSITION ? k - 1 : k;
        break;
      }
  }
  v.last_row = 0;
  for (const ProofRecord& r : v.records)
    if (r.kind == PROOF_LINE) v.last_row = std::max(v.last_row, proof_field_i32(r, 0));
  proof_bounds();
  return true;
}

void proof_bounds() {
  ProofView& v = pv();
  v.min_x = v.min_y = PROOF_NO_MIN;
  v.max_x = v.max_y = PROOF_NO_MAX;
  if (g_job_settings.material_box_shown != 0 && !v.from_editor) {
    const float* box = g_job_settings.material_box;
    v.min_x = std::min(box[0], box[0] + box[2]);
    v.max_x = std::max(box[0], box[0] + box[2]);
    v.min_y = std::min(box[1], box[1] + box[3]);
    v.max_y = std::max(box[1], box[1] + box[3]);
  }
  bool any_z = false;
  float z_min = 0, z_max = 0;
  for (const ProofRecord& r : v.records) {
    const char kind = static_cast<char>(r.kind);
    const float x = proof_field_f32(r, 0), y = proof_field_f32(r, 1), z = proof_field_f32(r, 2);
    if (kind == PROOF_FEED || kind == PROOF_FEED_SECOND || kind == PROOF_CHORD ||
        kind == PROOF_ARC_STRAIGHT || kind == PROOF_FEED_3D) {
      v.min_x = std::min(v.min_x, x);
      v.max_x = std::max(v.max_x, x);
      v.min_y = std::min(v.min_y, y);
      v.max_y = std::max(v.max_y, y);
    }
    if (kind == PROOF_PLUNGE || kind == PROOF_FEED || kind == PROOF_CHORD) {
      z_min = any_z ? std::min(z_min, z) : z;
      z_max = any_z ? std::max(z_max, z) : z;
      any_z = true;
    }
  }
  // A proof with no cut (only rapids) still shows: its moves give the extents.
  if (v.max_x < v.min_x) {
    for (const ProofRecord& r : v.records) {
      const char kind = static_cast<char>(r.kind);
      if (kind != PROOF_RAPID && kind != PROOF_POSITION && kind != PROOF_PLUNGE) continue;
      v.min_x = std::min(v.min_x, proof_field_f32(r, 0));
      v.max_x = std::max(v.max_x, proof_field_f32(r, 0));
      v.min_y = std::min(v.min_y, proof_field_f32(r, 1));
      v.max_y = std::max(v.max_y, proof_field_f32(r, 1));
    }
  }
  if (v.max_x < v.min_x) v.min_x = v.max_x = v.min_y = v.max_y = 0;
  v.z_min = z_min;
  v.z_max = z_max;
  v.large_coordinates = v.max_x - v.min_x > LARGE_SPAN || v.max_y - v.min_y > LARGE_SPAN;
}

void proof_reset_zoom() {
  ProofView& v = pv();
  v.focal = v.large_coordinates ? FAR_FOCAL : START_FOCAL;
  v.camera = v.large_coordinates ? FAR_CAMERA : START_CAMERA;
}

// ---- drawing ----

namespace {

// A row of a slow draw: where its 'L' record stands and where the pen stood before it.
struct SlowRow {
  size_t index;
  Pen pen;
};

}  // namespace

void proof_draw(float tilt, float rotation) {
  ProofView& v = pv();
  v.redraw_interrupted = 0;
  ++v.redraws;
  clear_drawing_area();
  set_camera(tilt, rotation);
  DrawState d;
  d.slow = v.slow_delay > 0;
  follow_feed(&d);
  if (d.slow) {
    reset_time_estimate(&g_preferences.rapid_settings, metric_file_set());
    v.time_display = 1;
  }
  Pen pen;
  std::vector<SlowRow> rows;
  for (size_t index = 0; index < v.records.size(); ++index) {
    const ProofRecord& r = v.records[index];
    if (r.kind == PROOF_LINE) {
      d.row = proof_field_i32(r, 0);
      if (v.time_display != 0) {
        const float feed = proof_field_f32(r, 1);
        g_time_estimate.feed = feed > 0.001f ? feed : 1.0f;
      }
      if (!d.slow) continue;
      if (rows.empty() || rows.back().index != index) rows.push_back({index, pen});
      show_bottom_left("Row in NC program: " + std::to_string(d.row) + " ");
      show_running_time();
      v.slow_row = d.row;
      const SlowStep step = slow_row_wait(&d);
      v.slow_row = 0;
      if (step == SlowStep::STOP) break;
      if (step == SlowStep::BACK && rows.size() >= 2) {
        // The row before this one is drawn again in white, and stepping resumes on it.
        const SlowRow previous = rows[rows.size() - 2];
        Pen eraser = previous.pen;
        d.erasing = true;
        for (size_t k = previous.index + 1; k < index; ++k) {
          size_t at = k;
          draw_record(v.records[k], &eraser, &d, &at);
        }
        d.erasing = false;
        rows.pop_back();
        pen = previous.pen;
        index = previous.index - 1;  // the loop steps onto the previous row's record
        continue;
      }
      if (step == SlowStep::BACK) --index;  // nothing before the first row: wait again
      continue;
    }
    const bool motion = r.kind != PROOF_TOOL && r.kind != PROOF_PAUSE &&
                        r.kind != PROOF_TOOL_ROUGHING && r.kind != PROOF_TOOL_FINISHING;
    if (motion && !d.slow && ++d.motions % POLL_EVERY == 0 && index < v.axes_index) {
      const Poll poll = poll_during_draw();
      if (poll == Poll::STOP) break;
      if (poll == Poll::TO_AXES) {
        index = v.axes_index - 1;
        pen = Pen{};
        continue;
      }
    }
    draw_record(r, &pen, &d, &index);
  }
  v.stepping = false;
  if (v.slow_delay > 0 || v.time_display != 0) {
    show_running_time();
    v.slow_delay = 0;
    show_help_text_line(HELP_LINE);
  }
  v.time_display = 0;
}

void proof_draw_screen() {
  ProofView& v = pv();
  g_form.redraw_level = 0;
  hide_pointer();
  use_normal_font();
  clear_screen();
  if (!v.from_editor) {
    g_tab_strip.active = PAGE_3D_VIEW;
    draw_page_tabs(1);
  } else {
    draw_text(0, 2, v.rotary ? TITLE_ROTARY : TITLE_PROGRAM);
  }
  draw_controls(v.controls.data(), 0);
  show_help_text_line(HELP_LINE);
  show_pointer();
  proof_draw(v.tilt, v.rotation);
}

// ---- DXF ----

void proof_export_dxf() {
  ProofView& v = pv();
  FileRecord record;
  record.extension = ".dxf";
  static std::string last_name;
  record.name = last_name;
  if (save_as_dialog(&record) != DIALOG_CHOSEN) return;
  std::string path = record.full_path;
  const size_t dot = path.find_last_of('.');
  const size_t slash = path.find_last_of('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) path += ".dxf";
  else path = path.substr(0, dot) + ".dxf";
  last_name = record.name;
  std::string out;
  dxf_write_header(&out, v.min_x, v.min_y, v.max_x, v.max_y);
  bool down = false;
  bool have_previous = false;
  float px = 0, py = 0, pz = 0;
  for (const ProofRecord& r : v.records) {
    const char kind = static_cast<char>(r.kind);
    if (kind == PROOF_LINE || kind == PROOF_TOOL || kind == PROOF_TOOL_ROUGHING ||
        kind == PROOF_TOOL_FINISHING || kind == PROOF_AXIS || kind == PROOF_WIREFRAME ||
        kind == PROOF_WIREFRAME_DOME || kind == PROOF_OUTLINE || kind == PROOF_PAUSE)
      continue;
    const float x = proof_field_f32(r, 0), y = proof_field_f32(r, 1), z = proof_field_f32(r, 2);
    switch (kind) {
      case PROOF_OUTLINE_MOVE:
      case PROOF_POSITION:
      case PROOF_Z_STEP:
      case PROOF_RAPID_Z: down = false; break;
      case PROOF_RAPID: down = true; break;
      case PROOF_PLUNGE: down = !(x == px && y == py && z > pz); break;
      case PROOF_FEED:
      case PROOF_FEED_SECOND:
      case PROOF_CHORD:
      case PROOF_ARC_STRAIGHT:
      case PROOF_FEED_3D:
        if (down && have_previous) dxf_write_line(&out, px, py, x, y, pz, z);
        break;
      default: break;
    }
    px = x;
    py = y;
    pz = z;
    have_previous = true;
  }
  dxf_write_trailer(&out);
  std::string error;
  const SaveResult saved = save_file_safely(
      path, "", [&out](SaveFile* file) { return save_write_text(file, out); }, &error);
  if (saved != SAVE_OK) show_text_box(DXF_FAILED, TEXTBOX_PRESS_A_KEY);
}

// ---- the loop ----

namespace {

// Keeps the tilt and the rotation in their ranges after a view change.
void settle_angles() {
  ProofView& v = pv();
  if (!v.rotary) v.tilt = std::clamp(v.tilt, 0.0f, static_cast<float>(PI / 2));
  wrap_angle_once(&v.rotation);
  if (v.rotation < 0 || v.rotation > static_cast<float>(2 * PI))
    v.rotation = static_cast<float>(std::fmod(std::fmod(v.rotation, 2 * PI) + 2 * PI, 2 * PI));
}

void zoom_both(float factor) {
  ProofView& v = pv();
  v.focal *= factor;
  v.camera *= factor;
}

// The zoom buttons: their factor, and whether the focal scale may still go that way.
bool zoom_button(uint8_t id, float* factor) {
  const float focal = pv().focal;
  switch (id) {
    case PROOF_BUTTON_ZOOM_IN_BIG: *factor = 1.5f; return focal <= PROOF_FOCAL_MAX;
    case PROOF_BUTTON_ZOOM_IN: *factor = 1.11111f; return focal <= PROOF_FOCAL_MAX;
    case PROOF_BUTTON_ZOOM_OUT: *factor = 0.9f; return focal >= PROOF_FOCAL_MIN;
    case PROOF_BUTTON_ZOOM_OUT_BIG: *factor = 0.666667f; return focal >= PROOF_FOCAL_MIN;
    default: return false;
  }
}

// Middle-drag zoom factor by the vertical motion; 1 beyond the steps.
float drag_zoom_factor(int dy) {
  const int a = std::abs(dy);
  float f = 1.0f;
  if (a == 0) return 1.0f;
  if (a <= 3) f = 1.01f;
  else if (a <= 7) f = 1.04f;
  else if (a <= 15) f = 1.06f;
  else if (a <= 31) f = 1.111f;
  else return 1.0f;
  return dy < 0 ? 2.0f - f : f;
}

// The time of the program, from the records.
void show_machining_time() {
  reset_time_estimate(&g_preferences.rapid_settings, metric_file_set());
  for (const ProofRecord& r : pv().records) {
    const char kind = static_cast<char>(r.kind);
    if (kind == PROOF_LINE) {
      const float feed = proof_field_f32(r, 1);
      g_time_estimate.feed = feed > 0.001f ? feed : 1.0f;
    } else if (kind == PROOF_TOOL || kind == PROOF_TOOL_FINISHING || kind == PROOF_TOOL_ROUGHING) {
      g_time_estimate.total_minutes += g_time_estimate.working.tool_change_minutes;
    } else if (kind != PROOF_PAUSE && (&r - pv().records.data()) < static_cast<ptrdiff_t>(pv().axes_index)) {
      add_proof_record_time(kind, proof_field_f32(r, 0), proof_field_f32(r, 1), proof_field_f32(r, 2));
    }
  }
  show_text_box(machining_time_report().c_str(), TEXTBOX_PRESS_A_KEY);
}

}  // namespace

void proof_fit_view() {
  ProofView& v = pv();
  g_view.extent_min_x = v.min_x;
  g_view.extent_max_x = v.max_x;
  g_view.extent_min_y = v.min_y;
  g_view.extent_max_y = v.max_y;
  set_view_to_extents();
  fit_scale();
  pan_to_window(0);
  v.centre_x = (v.min_x + v.max_x) / 2;
  v.centre_y = (v.min_y + v.max_y) / 2;
  v.pan_x = static_cast<int32_t>(std::lround(v.centre_x * g_view.scale_x));
  v.pan_y = static_cast<int32_t>(std::lround(-v.centre_y * g_view.scale_x));
}

namespace {

enum class Act { NOTHING, VIEW, SCREEN, REFIT, LEAVE };

Act on_button(int id) {
  ProofView& v = pv();
  switch (id) {
    case PROOF_BUTTON_WORKPIECE:
      v.show_workpiece = !v.show_workpiece;
      v.hide_workpiece = !v.show_workpiece;
      set_pressed(PROOF_BUTTON_WORKPIECE, v.show_workpiece);
      return Act::SCREEN;
    case PROOF_BUTTON_RAPIDS:
      v.show_rapids = !v.show_rapids;
      set_pressed(PROOF_BUTTON_RAPIDS, v.show_rapids);
      return Act::SCREEN;
    case PROOF_BUTTON_QUIT: return Act::LEAVE;
    case PROOF_BUTTON_SIDE:
      if (v.tilt == 0 && v.rotation == 0) v.rotation = static_cast<float>(PI / 2);
      else v.tilt = v.rotation = 0;
      proof_reset_zoom();
      return Act::VIEW;
    case PROOF_BUTTON_TOP:
      v.tilt = static_cast<float>(PI / 2);
      v.rotation = 0;
      proof_reset_zoom();
      return Act::VIEW;
    case PROOF_BUTTON_ZOOM_IN_BIG:
    case PROOF_BUTTON_ZOOM_IN:
    case PROOF_BUTTON_ZOOM_OUT:
    case PROOF_BUTTON_ZOOM_OUT_BIG: {
      // Held: one more step on every tick until the button comes up or the limit is passed.
      float factor = 1;
      if (zoom_button(static_cast<uint8_t>(id), &factor)) zoom_both(factor);
      proof_draw(v.tilt, v.rotation);
      while ((g_pointer.button_bits & WINDOW_BUTTON_LEFT) != 0) {
        const EventCode code = wait_input_code();
        if (code == EVENT_LEFT_UP || code == EVENT_QUIT || code == PAGE_TAB_EVENT) {
          if (code != EVENT_LEFT_UP) push_input_code_front(code);
          break;
        }
        if (code != EVENT_TICK) continue;
        if (!zoom_button(static_cast<uint8_t>(id), &factor)) continue;
        zoom_both(factor);
        proof_draw(v.tilt, v.rotation);
      }
      return Act::NOTHING;
    }
    case PROOF_BUTTON_SLOW:
      load_delay_for_slow_draw();
      show_help_text_line(SLOW_HELP_LINE);
      return Act::VIEW;
    case PROOF_BUTTON_OUTLINE:
      v.show_outlines = !v.show_outlines;
      set_pressed(PROOF_BUTTON_OUTLINE, v.show_outlines);
      return Act::SCREEN;
    case PROOF_BUTTON_ALL:
      proof_reset_zoom();
      return Act::VIEW;
    case PROOF_BUTTON_TIME:
      show_machining_time();
      return Act::SCREEN;
    case PROOF_BUTTON_DXF:
      proof_export_dxf();
      return Act::SCREEN;
    default: return Act::NOTHING;
  }
}

// One event; what the loop is to do after it.
Act on_event(EventCode code) {
  ProofView& v = pv();
  if (code > 0 && code <= 122) code = std::toupper(static_cast<int>(code));
  if (code == EVENT_POINTER_MOVE) follow_mouse();
  const int mx = g_pointer.wanted_x, my = g_pointer.wanted_y;
  const int dx = mx - v.last_pointer_x, dy = my - v.last_pointer_y;
  if (code == EVENT_POINTER_MOVE || code == EVENT_LEFT_DOWN || code == EVENT_RIGHT_DOWN ||
      code == EVENT_MIDDLE_DOWN) {
    v.last_pointer_x = mx;
    v.last_pointer_y = my;
  }
  switch (code) {
    case KEY_ESC: return v.from_editor ? Act::LEAVE : Act::NOTHING;
    case '2': v.tilt -= TURN_STEP; return Act::VIEW;
    case '8': v.tilt += TURN_STEP; return Act::VIEW;
    case '4': v.rotation -= TURN_STEP; return Act::VIEW;
    case '6': v.rotation += TURN_STEP; return Act::VIEW;
    case 'A': proof_reset_zoom(); return Act::REFIT;
    case 'C':
      v.arc_override = v.arc_override == PROOF_NO_OVERRIDE ? PROOF_ARC_OVERRIDE : PROOF_NO_OVERRIDE;
      return Act::VIEW;
    case 'D': zoom_both(ZOOM_IN); return Act::VIEW;
    case 'I': zoom_both(ZOOM_OUT); return Act::VIEW;
    case KEY_PGDN:
    case CODE_ROTARY_IN: v.camera *= ZOOM_IN; return Act::VIEW;
    case KEY_PGUP:
    case CODE_ROTARY_OUT: v.camera *= ZOOM_OUT; return Act::VIEW;
    case 'S': v.tilt = 0; v.rotation = 0; return Act::VIEW;
    case 'T': v.tilt = static_cast<float>(PI / 2); v.rotation = 0; return Act::VIEW;
    case KEY_UP: v.pan_y += PAN_STEP; return Act::VIEW;
    case KEY_DOWN: v.pan_y -= PAN_STEP; return Act::VIEW;
    case KEY_LEFT: v.pan_x += PAN_STEP; return Act::VIEW;
    case KEY_RIGHT: v.pan_x -= PAN_STEP; return Act::VIEW;
    case KEY_CTRL_LEFT: v.pan_x += PAN_FINE_STEP; return Act::VIEW;
    case KEY_CTRL_RIGHT: v.pan_x -= PAN_FINE_STEP; return Act::VIEW;
    case EVENT_WHEEL_UP: v.pan_y += PAN_FINE_STEP; return Act::VIEW;
    case EVENT_WHEEL_DOWN: v.pan_y -= PAN_FINE_STEP; return Act::VIEW;
    case EVENT_LEFT_DOWN: {
      const int hit = hit_test_pointer(true);
      if (hit >= 0 && (hit & HIT_PAGE_TAB) != 0) {
        const int tab = hit & 0xFF;
        if (tab == PAGE_3D_VIEW || v.from_editor) return Act::NOTHING;
        v.leave_page = tab;
        return Act::LEAVE;
      }
      if (hit > 0) return on_button(hit & 0xFF);
      return Act::NOTHING;
    }
    case EVENT_POINTER_MOVE: {
      const int top = g_view.area_top, bottom = g_view.area_bottom - 32;
      if (g_pointer.button_bits == 0) {
        hit_test_pointer(false);
        return Act::NOTHING;
      }
      if (my < top || my > bottom) return Act::NOTHING;
      if ((g_pointer.button_bits & WINDOW_BUTTON_LEFT) != 0) {
        v.rotation += dx * DRAG_TURN;
        v.tilt += dy * DRAG_TURN;
        return Act::VIEW;
      }
      if ((g_pointer.button_bits & WINDOW_BUTTON_RIGHT) != 0) {
        v.pan_x += dx;
        v.pan_y += dy;
        return Act::VIEW;
      }
      if ((g_pointer.button_bits & WINDOW_BUTTON_MIDDLE) != 0) {
        const float f = drag_zoom_factor(dy);
        if (f == 1.0f) return Act::NOTHING;
        v.camera *= f;
        return Act::VIEW;
      }
      return Act::NOTHING;
    }
    case EVENT_TICK:
      return v.redraw_interrupted != 0 ? Act::VIEW : Act::NOTHING;
    case PAGE_TAB_EVENT: return Act::LEAVE;
    case EVENT_QUIT: return placeholder_page_quit() != 0 ? Act::LEAVE : Act::NOTHING;
    case EVENT_REDRAW: return Act::SCREEN;
    default:
      if (placeholder_page_quit() != 0) return Act::LEAVE;
      return Act::NOTHING;
  }
}

// A pending event that only changes the view again: the redraw before it would be wasted.
bool supersedes_view(EventCode code) {
  if (code > 0 && code <= 122) code = std::toupper(static_cast<int>(code));
  switch (code) {
    case '2': case '8': case '4': case '6': case 'D': case 'I': case 'S': case 'T':
    case KEY_PGDN: case KEY_PGUP: case CODE_ROTARY_IN: case CODE_ROTARY_OUT:
    case KEY_UP: case KEY_DOWN: case KEY_LEFT: case KEY_RIGHT:
    case KEY_CTRL_LEFT: case KEY_CTRL_RIGHT: case EVENT_WHEEL_UP: case EVENT_WHEEL_DOWN:
    case EVENT_TICK:
      return true;
    case EVENT_POINTER_MOVE: return g_pointer.button_bits != 0;
    default: return false;
  }
}

}  // namespace

void proof_viewer_loop() {
  ProofView& v = pv();
  if (v.controls.empty()) v.controls = make_table();
  const bool flat = job_surface_is(1) || job_surface_is(2) || job_surface_is(15) ||
                    (job_surface_is(10) && g_job_settings.surface_yes_no != 0);
  set_hidden(PROOF_BUTTON_WORKPIECE, flat);
  v.show_workpiece = !flat && !v.hide_workpiece;
  set_pressed(PROOF_BUTTON_WORKPIECE, v.show_workpiece);
  set_pressed(PROOF_BUTTON_RAPIDS, v.show_rapids);
  set_pressed(PROOF_BUTTON_OUTLINE, v.show_outlines);
  v.leave_page = -1;
  push_control_table();
  bool refit = true;
  while (refit) {
    refit = false;
    proof_fit_view();
    clear_legend_band();
    proof_draw_screen();
    wait_buttons_released();
    bool view_pending = false;
    for (;;) {
      if (view_pending && pending_input_count() == 0) {
        proof_draw(v.tilt, v.rotation);
        view_pending = false;
      }
      move_pointer();
      EventCode code = wait_input_code();
      if (view_pending && !supersedes_view(code)) {
        // The view the user asked for is drawn before the next input acts (that input stays).
        proof_draw(v.tilt, v.rotation);
        view_pending = false;
      }
      if (code == EVENT_TICK && view_pending) continue;
      const Act act = on_event(code);
      if (act == Act::LEAVE) break;
      if (act == Act::REFIT) {
        refit = true;
        break;
      }
      if (act == Act::SCREEN) {
        view_pending = false;
        proof_draw_screen();
      }
      if (act == Act::VIEW) {
        settle_angles();
        view_pending = true;
      }
    }
  }
  pop_control_table();
}

// ---- page entries ----

namespace {

// Reads the proof file the run or the back-plot left into the viewer.
bool open_proof() {
  ProofView& v = pv();
  if (!proof_load() || v.records.empty()) return false;
  v.tilt = static_cast<float>(PI / 2);
  v.rotation = 0;
  return true;
}

}  // namespace

EventCode job_proof_page() {
  ProofView& v = pv();
  v.from_editor = false;
  v.rotary = false;
  if (v.controls.empty()) v.controls = make_table();
  g_proof.run_level = 1;
  JobSettings& job = g_job_settings;
  const bool ran = job.nc_state != NC_STATE_PROOF_READY || !file_exists(proof_file_path());
  if (job.nc_state != NC_STATE_PROOF_READY) clear_tool_path();
  // A proof run that wrote its records answers POST_PROOF_DONE; 0 is a failed or cancelled run.
  if (ran && (make_nc_program() != POST_PROOF_DONE || !file_exists(proof_file_path()))) {
    if (job.nc_state != NC_STATE_BACK_TO_SETUP) job.nc_state = 0;
    g_proof.run_level = 0;
    return KEY_ESC;
  }
  if (!open_proof()) {
    if (job.nc_state != NC_STATE_BACK_TO_SETUP) job.nc_state = 0;
    g_proof.run_level = 0;
    return KEY_ESC;
  }
  if (ran) proof_reset_zoom();
  job.nc_state = NC_STATE_PROOF_READY;
  bool outlines = false;
  for (const ProofRecord& r : v.records) outlines = outlines || r.kind == PROOF_OUTLINE;
  set_hidden(PROOF_BUTTON_OUTLINE, !outlines);
  set_hidden(PROOF_BUTTON_QUIT, true);
  set_hidden(PROOF_BUTTON_SLOW, true);
  set_hidden(PROOF_BUTTON_TIME, true);
  set_hidden(PROOF_BUTTON_DXF, false);
  proof_viewer_loop();
  set_hidden(PROOF_BUTTON_QUIT, false);
  set_hidden(PROOF_BUTTON_SLOW, false);
  set_hidden(PROOF_BUTTON_TIME, false);
  job.view_fitted = 0;
  g_proof.run_level = 0;
  if (v.leave_page >= 0) g_preferences.current_page = static_cast<uint8_t>(v.leave_page);
  // The page byte stays on page 3 only while the proof is kept; a tab chose another page.
  if (v.leave_page >= 0 && v.leave_page != PAGE_3D_VIEW) job.nc_state = NC_STATE_PROOF_READY;
  return KEY_ESC;
}

EventCode nc_proof_view() {
  ProofView& v = pv();
  TextWindow* w = g_windows.active;
  if (w == nullptr) return KEY_ESC;
  if (v.controls.empty()) v.controls = make_table();
  const PostProcessorDef* def = post_processor_def(g_job_settings.post_processor);
  const uint32_t options =
      def != nullptr && def->arc_centre_mode == PP_ARC_CENTRES_ABSOLUTE ? PROOF_ABSOLUTE_ARC_CENTRES : 0;
  const int result = nc_to_proof_file(w->first_line, options);
  if (result == 0) {
    get_message(MSG_NOTHING_TO_PROOF);
    return KEY_ESC;
  }
  if (result < 0) return KEY_ESC;
  v.from_editor = true;
  v.rotary = g_back_plot.rotary_seen;
  if (!open_proof()) {
    proof_delete_file();
    get_message(MSG_NOTHING_TO_PROOF);
    return KEY_ESC;
  }
  if (v.large_coordinates) {
    v.focal = EDITOR_FAR_FOCAL;
    v.camera = EDITOR_FAR_CAMERA;
  } else {
    v.focal = START_FOCAL;
    v.camera = START_CAMERA;
  }
  g_job_settings.nc_state = NC_STATE_PAGE_LOOP;
  set_hidden(PROOF_BUTTON_OUTLINE, true);
  for (uint8_t id : {CONTROL_ID_MINIMISE, CONTROL_ID_SIZE, CONTROL_ID_CLOSE, CONTROL_ID_POSITION})
    set_hidden(id, true);
  proof_viewer_loop();
  set_hidden(PROOF_BUTTON_OUTLINE, false);
  for (uint8_t id : {CONTROL_ID_MINIMISE, CONTROL_ID_SIZE, CONTROL_ID_CLOSE, CONTROL_ID_POSITION})
    set_hidden(id, false);
  proof_delete_file();
  v.from_editor = false;
  return KEY_ESC;
}

void reset_proof_view() { g_proof_view = ProofView{}; }
