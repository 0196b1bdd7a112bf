#include "commands/fuse_command.h"

#include <algorithm>
#include <cfloat>
#include <cstdio>
#include <cstring>
#include <vector>

#include "cam/fuse_outlines.h"
#include "cam/make_nc.h"
#include "commands/view_buttons.h"
#include "editor/button_bindings.h"
#include "editor/canvas_cursor.h"
#include "editor/draw_style.h"
#include "editor/edit_session.h"
#include "editor/help_box.h"
#include "editor/hover.h"
#include "editor/hover_state.h"
#include "editor/page_furniture.h"
#include "editor/panel_layer_field.h"
#include "editor/pick_prompts.h"
#include "editor/render.h"
#include "editor/undo_store.h"
#include "editor/view.h"
#include "editor/view_state.h"
#include "geometry/contour_boolean.h"
#include "records/cam_params.h"
#include "records/job_settings.h"
#include "screen/controls.h"
#include "screen/display_mode.h"
#include "screen/main_form.h"
#include "screen/pointer.h"
#include "store/catalogue.h"
#include "store/line_list.h"
#include "store/message_ids.h"
#include "ui/message_box.h"

FuseCommandState g_fuse_command;

void reset_fuse_command_state() { g_fuse_command = FuseCommandState{}; }

namespace {

constexpr uint8_t ID_DO_IT = 1;
constexpr uint8_t ID_CANCEL = 2;
constexpr uint8_t ID_ORIGINALS = 3;
constexpr uint8_t ID_FIRST_MODE = 4;  // modes 0..3: ids 4..7
constexpr uint8_t ID_LAYER = 8;
constexpr uint8_t ID_LAYER_LIST = 9;
constexpr uint8_t ID_SAME_LAYER = 10;
constexpr int MODES = 4;
// The layer field's place in the table: the layer helpers find it, and "Same as original" two
// records after it, by index.
constexpr int LAYER_FIELD_INDEX = 9;

constexpr int16_t CMD_SELECT = 995;
constexpr int16_t CMD_OTHER = 997;
// The results of modes that are drawn reduced in the boxes take this layer's colour.
constexpr int16_t RESULT_PREVIEW_LAYER = 249;
constexpr uint32_t MESSAGE_FLAGS = TEXTBOX_SCREEN_CENTRE | TEXTBOX_WAIT_KEY;

constexpr char PROMPT[] = "Select the loops you want to keep.";
constexpr char TEXT_REFUSED[] = "This version fuses geometry, not text.";
constexpr char NO_CROSSING[] = "Couldn't find intersection points!";
constexpr char INSIDE[] = "Couldn't find intersection points!\nOne loop is inside the other";
constexpr char ROUNDING[] =
    "Ooops! There was a problem with numbers rounding off inaccurately!\n"
    "Please keep a copy of this job file so that the problem can be looked into.";
constexpr char ENGINE_FAILED[] =
    "These loops could not be fused: the results could not be worked out reliably "
    "(the loops may run too close to each other). Nothing was changed.";
constexpr char NOT_ONE_LOOP[] = "Each item must make one closed loop to be fused.";
constexpr char NO_MEMORY[] = "There is not enough memory for the fused items. Nothing was changed.";
constexpr char LAYER_LIST_GLYPH[] = "\x08" "A:";

std::vector<ScreenControl>& table() {
  static std::vector<ScreenControl> t;
  if (t.empty()) {
    t.push_back(make_control("Do it", ID_DO_IT, 1, -20, 1, 5, 0, 0));
    t.push_back(make_control("Cancel", ID_CANCEL, 1, -10, 1, 6, 0, 0));
    t.push_back(make_control("", ID_ORIGINALS, 5, -23, 4, 21, 0, CF_CHECKBOX));
    for (int mode = 0; mode < MODES; ++mode) {
      t.push_back(make_control("", static_cast<uint8_t>(ID_FIRST_MODE + mode), 12 + 6 * mode,
                               -23, 4, 21, 0, CF_CHECKBOX | CF_HIDDEN));
    }
    t.push_back(make_control("\x0e(Original items)\x13", 0, 4, -22, 1, 14, 0, CF_NO_BOX));
    t.push_back(make_control("Layer for\nfused items:", 0, 2, 2, 2, 10, 0, CF_NO_BOX));
    t.push_back(make_control("  0", ID_LAYER, 2, 12, 1, 3, 0, CF_ENTRY));
    t.push_back(make_control(LAYER_LIST_GLYPH, ID_LAYER_LIST, 2, 15, 1, 1, 0, 0));
    t.push_back(make_control("Same as original", ID_SAME_LAYER, 3, 15, 1, 22, 0,
                             CF_CHECKBOX | CF_CHECKED));
    append_view_buttons(&t, 3, 53);
    t.push_back(end_control());
  }
  return t;
}

ScreenControl* control(uint8_t id) { return find_control_in(table().data(), id); }
ScreenControl* mode_box(int mode) { return control(static_cast<uint8_t>(ID_FIRST_MODE + mode)); }

bool checked(const ScreenControl* c) { return (c->flags & CF_CHECKED) != 0; }
bool shown(const ScreenControl* c) { return (c->flags & CF_HIDDEN) == 0; }
void set_flag(ScreenControl* c, uint32_t flag, bool on) {
  if (on) c->flags |= flag;
  else c->flags &= ~flag;
}

// One pair being fused: the two items, their joint box and the preview's reduction.
struct FusePair {
  DrawingItem* first = nullptr;
  DrawingItem* second = nullptr;
  DrawingItem* before_results = nullptr;  // the last item before the results
  PointF box_min{FLT_MAX, FLT_MAX};
  PointF box_max{-FLT_MAX, -FLT_MAX};
  float factor = 1.0f;
  bool mode_made[MODES] = {};
  int32_t saved_box_width = 0;
  int32_t saved_box_height = 0;
};
FusePair g_pair;

int cell_width() { return std::max<int>(1, g_display.presets[FACE_ROLE_MENU].cell_width); }
int cell_height() { return std::max<int>(1, g_display.presets[FACE_ROLE_MENU].cell_height); }

int mode_of(const DrawingItem* item) { return item_group_tag(item) - FUSE_TAG_BASE; }

template <typename Visit>
void for_each_result(Visit visit) {
  DrawingItem* first =
      g_pair.before_results != nullptr ? g_pair.before_results->next : g_lists.current.first;
  for (DrawingItem* i = first; i != nullptr;) {
    DrawingItem* next = i->next;
    visit(i);
    i = next;
  }
}

void delete_results() {
  while (g_lists.current.last != nullptr && g_lists.current.last != g_pair.before_results)
    delete_line(g_lists.current.last);
}

// ---- the boxes ----

void show_layer_field() {
  show_panel_layer(LAYER_FIELD_INDEX, g_fuse.layer);
  set_flag(control(ID_SAME_LAYER), CF_CHECKED, g_fuse_command.same_as_original);
}

// The two items, and a mode's results, reduced into the box of the control.
void draw_box_contents(const ScreenControl* box, int mode) {
  const int x = box->x + cell_width() / 2;
  const int y = box->y + cell_height() / 2;
  const int16_t originals = mode < 0 ? static_cast<int16_t>(g_fuse.layer) : COLOUR_ERASE;
  draw_item_scaled(g_pair.first, x, y, g_pair.factor, originals);
  draw_item_scaled(g_pair.second, x, y, g_pair.factor, originals);
  if (mode < 0) return;
  for_each_result([&](DrawingItem* i) {
    if (mode_of(i) == mode) draw_item_scaled(i, x, y, g_pair.factor, RESULT_PREVIEW_LAYER);
  });
}

void draw_panel() {
  show_prompt(PROMPT);
  show_layer_field();
  draw_controls(table().data(), 0);
  const ScreenControl* originals = control(ID_ORIGINALS);
  draw_box_contents(originals, -1);
  // A rule under the originals, across the strip of boxes.
  g_draw_style.draw_colour = 0;
  const int rule_y = originals->y + cell_height() * 11 / 2 - g_view.area_top;
  area_line(g_view.area_width, rule_y, g_display.screen_width, rule_y);
  for (int mode = 0; mode < MODES; ++mode)
    if (g_pair.mode_made[mode]) draw_box_contents(mode_box(mode), mode);
}

// The preview's reduction: the joint box fits 20 cells across and 3 rows down.
float preview_factor() {
  const double w = (g_pair.box_max.x - g_pair.box_min.x) * g_view.scale_x;
  const double h = (g_pair.box_max.y - g_pair.box_min.y) * g_view.scale_y;
  double f = w > 0.0 ? 20.0 * cell_width() / w : 1.0;
  if (h > 0.0) f = std::min(f, 3.0 * cell_height() / h);
  return static_cast<float>(f);
}

// ---- the results ----

// Keeps the results of the checked modes (machining, layer, an ID each) and deletes the rest;
// unless their box is checked the two items go, as one undo step.
void make_results() {
  const bool keep_originals = checked(control(ID_ORIGINALS));
  bool keep_mode[MODES];
  for (int mode = 0; mode < MODES; ++mode) keep_mode[mode] = shown(mode_box(mode)) && checked(mode_box(mode));
  const uint8_t* cam = g_fuse.cam_kind != GEOMETRY_KIND_DRAWING_AID
                           ? block_cam_params(item_block(g_pair.first))
                           : nullptr;
  int kept = 0;
  for_each_result([&](DrawingItem* i) {
    const int mode = mode_of(i);
    if (mode < 0 || mode >= MODES || !keep_mode[mode]) {
      delete_line(i);
      return;
    }
    uint8_t* target = block_cam_params(item_block(i));
    if (cam != nullptr && target != nullptr) std::memcpy(target, cam, CAM_PARAMS_SIZE);
    if (!g_fuse_command.same_as_original) item_block(i)->layer = g_fuse.layer;
    set_item_id(i, ++g_job_settings.item_id_counter);
    ++kept;
  });
  discard_originals();
  if (!keep_originals) {
    move_to_originals(g_pair.first);
    move_to_originals(g_pair.second);
  }
  undo_record_replaced(kept, first_original() != nullptr ? 1 : 0);
  mark_job_changed();
}

// The message for a fuse that made nothing. FUSE_REPORT_CROSSING when the Drawing page is to
// show the crossing, else 0.
int report_no_result(int32_t made) {
  const int32_t status = g_contour_kernel.EngineStatus;
  if (made == FUSE_NOT_ONE_LOOP) show_text_box(NOT_ONE_LOOP, MESSAGE_FLAGS);
  else if (made == FUSE_NO_MEMORY) show_text_box(NO_MEMORY, MESSAGE_FLAGS);
  else if ((status & ENGINE_STATUS_NOT_CHAINED) != 0) get_message(MSG_FUSE_NOT_A_LOOP);
  else if ((status & ENGINE_STATUS_SELF_CROSSING) != 0) return FUSE_REPORT_CROSSING;
  else if ((status & ENGINE_STATUS_INSIDE_UNDECIDED) != 0) get_message(MSG_FUSE_INSIDE_UNDECIDED);
  else if ((status & 0x40) != 0) show_text_box(ROUNDING, MESSAGE_FLAGS);
  else if ((status & ENGINE_STATUS_BOOLEAN_FAILED) != 0) show_text_box(ENGINE_FAILED, MESSAGE_FLAGS);
  else show_text_box(made < 0 ? INSIDE : NO_CROSSING, MESSAGE_FLAGS);
  return 0;
}

// ---- the blinking results ----

// Draws a mode's result items in the drawing: state 0 erased, BLINK_EDITING in the editing
// colour, any other state in their layer colour.
constexpr int BLINK_EDITING = 102;
void blink_result_set(int mode, int state) {
  for_each_result([&](DrawingItem* i) {
    if (mode_of(i) != mode) return;
    const int16_t colour = state == 0               ? COLOUR_ERASE
                           : state == BLINK_EDITING ? COLOUR_EDITING
                                                    : static_cast<int16_t>(item_layer(i));
    draw_item_in_colour(i, colour);
  });
}

// The mode whose box is under the pointer and blinking, -1 none; the ticks since it last
// changed and whether its items are drawn now.
struct Blink {
  int mode = -1;
  int ticks = 0;
  bool drawn = false;
};
Blink g_blink;

int mode_under_pointer() {
  for (int mode = 0; mode < MODES; ++mode) {
    const ScreenControl* box = mode_box(mode);
    if (!shown(box)) continue;
    const int x = g_pointer.wanted_x, y = g_pointer.wanted_y;
    if (x >= box->x && x < box->x + box->hit_width && y >= box->y && y < box->y + box->hit_height)
      return mode;
  }
  return -1;
}

// Leaves the blinking mode's items drawn in the editing colour.
void stop_blinking() {
  if (g_blink.mode < 0) return;
  if (g_blink.drawn) blink_result_set(g_blink.mode, 0);
  blink_result_set(g_blink.mode, BLINK_EDITING);
  g_blink = Blink{};
}

// On each tick: the results of the box under the pointer are erased and drawn in turn, every
// third tick.
void blink_on_tick() {
  const int mode = mode_under_pointer();
  if (mode != g_blink.mode) {
    if (g_blink.mode >= 0) stop_blinking();
    if (mode < 0) return;
    blink_result_set(mode, BLINK_EDITING);  // the editing pen drawn twice is nothing
    g_blink.mode = mode;
    g_blink.ticks = 0;
    g_blink.drawn = false;
  }
  if (++g_blink.ticks % 3 != 0) return;
  g_blink.drawn = !g_blink.drawn;
  blink_result_set(mode, g_blink.drawn ? 1 : 0);
}

void toggle_box(ScreenControl* box, int mode) {
  set_flag(box, CF_CHECKED, !checked(box));
  draw_controls(box, 1);
  draw_box_contents(box, mode);
}

enum class Choice { DONE, CANCEL };

// The selection loop over the boxes: DONE when the kept results were made, CANCEL when the
// user backed out (the results are deleted by the caller).
Choice choose_result_box() {
  for (;;) {
    g_hover.tick_hook = blink_on_tick;
    const EventCode code = next_editor_event_hover();
    g_hover.tick_hook = nullptr;
    if (g_form.redraw_level != 0 || code == EVENT_REDRAW) {
      g_form.redraw_level = 0;
      view_keys(VIEW_REDRAW_ONLY);
      draw_panel();
      continue;
    }
    int id = 0;
    if (code == KEY_ESC) return Choice::CANCEL;
    if (code == EVENT_QUIT) {
      push_input_code(EVENT_QUIT);
      return Choice::CANCEL;
    }
    if (code == KEY_ENTER) id = ID_DO_IT;
    if (code == EVENT_CONTROL_CLICKED)
      id = hit_test_controls(g_canvas_cursor.click_x, g_canvas_cursor.click_y);
    // Without the side panel the boxes stand over the drawing: a click there is a click on
    // them, wherever the pointer is.
    if (code == CMD_SELECT) id = hit_test_controls(g_pointer.wanted_x, g_pointer.wanted_y);
    if (id == ID_CANCEL) return Choice::CANCEL;
    if (id == ID_DO_IT) {
      bool any = false;
      for (int mode = 0; mode < MODES; ++mode)
        any = any || (shown(mode_box(mode)) && checked(mode_box(mode)));
      if (!any) {
        get_message(MSG_FUSE_NOTHING_CHECKED);
        draw_panel();
        const ScreenControl* button = control(ID_DO_IT);
        glide_pointer(button->x + button->hit_width / 2, button->y + button->hit_height / 2);
        continue;
      }
      make_results();
      return Choice::DONE;
    }
    if (id == ID_ORIGINALS) {
      toggle_box(control(ID_ORIGINALS), -1);
    } else if (id >= ID_FIRST_MODE && id < ID_FIRST_MODE + MODES) {
      toggle_box(control(static_cast<uint8_t>(id)), id - ID_FIRST_MODE);
    } else if (id == ID_SAME_LAYER) {
      g_fuse_command.same_as_original = !g_fuse_command.same_as_original;
      show_layer_field();
      draw_controls(control(ID_SAME_LAYER), 1);
    } else if (id == ID_LAYER) {
      bool hit = false;
      edit_panel_layer_field(LAYER_FIELD_INDEX, &hit, &g_fuse.layer);
      g_fuse_command.same_as_original = checked(control(ID_SAME_LAYER));
    } else if (id == ID_LAYER_LIST) {
      pick_panel_layer(LAYER_FIELD_INDEX, &g_fuse.layer);
      g_fuse_command.same_as_original = checked(control(ID_SAME_LAYER));
      draw_panel();
    } else if (run_view_button(id)) {
      draw_panel();
    } else if (id == 0 && view_keys(code) != 0) {
      draw_panel();
    }
  }
}

void highlight(DrawingItem* item) { draw_item_in_colour(item, COLOUR_EDITING); }

// The pair's results offered and chosen. 1 on to the next pair, 0 the command ends.
int offer_results() {
  FusePair& p = g_pair;
  grow_box_by_item(p.first, &p.box_min, &p.box_max);
  grow_box_by_item(p.second, &p.box_min, &p.box_max);
  p.factor = preview_factor();
  for (int mode = 0; mode < MODES; ++mode) p.mode_made[mode] = false;
  for_each_result([&](DrawingItem* i) {
    const int mode = mode_of(i);
    if (mode >= 0 && mode < MODES) p.mode_made[mode] = true;
  });
  set_flag(control(ID_ORIGINALS), CF_CHECKED, false);
  for (int mode = 0; mode < MODES; ++mode) {
    set_flag(mode_box(mode), CF_CHECKED, false);
    set_flag(mode_box(mode), CF_HIDDEN, !p.mode_made[mode]);
  }
  // The boxes stand beside the drawing area: items drawn into them may use the whole window.
  p.saved_box_width = g_view.box_width;
  p.saved_box_height = g_view.box_height;
  g_view.box_width = g_display.screen_width;
  g_view.box_height = std::max<int32_t>(g_view.box_height, g_display.screen_height - g_view.area_top);
  button_commands_set(CMD_SELECT, CMD_OTHER, CMD_OTHER);
  draw_panel();
  g_blink = Blink{};
  const uint16_t pick_mode = g_hover.pick_mode;
  g_hover.pick_mode = 0;  // nothing in the drawing is picked while the boxes are chosen
  const Choice choice = choose_result_box();
  stop_blinking();
  g_hover.pick_mode = pick_mode;
  button_commands_pop();
  g_view.box_width = p.saved_box_width;
  g_view.box_height = p.saved_box_height;
  if (choice == Choice::CANCEL) {
    delete_results();
    view_keys(VIEW_REDRAW_ONLY);
    return 0;
  }
  view_keys(VIEW_REDRAW_ONLY);
  return 1;
}

// One pair: picked, fused, chosen. 1 on to the next pair, 0 the command ends,
// FUSE_REPORT_CROSSING the command ends with the crossing to show.
int fuse_pair() {
  g_pair = FusePair{};
  help_box_text("");
  DrawingItem* first = pick_loop_item(VERB_FUSE_FIRST);
  if (first == nullptr) return 0;
  highlight(first);
  DrawingItem* second = nullptr;
  do {
    second = pick_loop_item(VERB_FUSE_SECOND);
  } while (second != nullptr && second == first);
  if (second == nullptr) {
    highlight(first);  // the editing pen draws twice to nothing
    return 0;
  }
  highlight(second);
  g_fuse.layer = item_layer(first);
  g_fuse.cam_kind = item_block(first)->cam_kind;
  g_pair.first = first;
  g_pair.second = second;
  g_pair.before_results = g_lists.current.last;
  const int32_t made = fuse_items(first, second);
  if (made <= 0) {
    highlight(first);
    highlight(second);
    const int report = report_no_result(made);
    return report != 0 ? report : 1;
  }
  return offer_results();
}

}  // namespace

bool item_can_be_fused(const DrawingItem* item) {
  if (item == nullptr || item->extra.empty() || item_is_text(item)) return false;
  if (item_link_count(item) != 1 || item_type(item) == ITEM_CIRCLE) return true;
  const float code = item_nodes(item)[0].code;
  return !(code_is_line(code) || code == LINK_BEZIER || code == LINK_SPLINE);
}

DrawingItem* pick_loop_item(int verb) {
  for (;;) {
    clear_hover_hilite();
    g_hover.hover_item = nullptr;
    g_hover.pick_kind = 0;
    if (pick_item(verb) != 0) return nullptr;
    DrawingItem* item = g_hover.hover_item;
    if (item_can_be_fused(item)) return item;
    if (item != nullptr && item_is_text(item)) show_text_box(TEXT_REFUSED, MESSAGE_FLAGS);
    else get_message(MSG_FUSE_NOT_A_LOOP);
  }
}

void draw_item_scaled(DrawingItem* item, int x, int y, float factor, int16_t colour) {
  ViewState& v = g_view;
  const float scale_x = v.scale_x, scale_y = v.scale_y;
  const float left = v.view_left, top = v.view_top, right = v.view_right, bottom = v.view_bottom;
  v.scale_x = scale_x * factor;
  v.scale_y = scale_y * factor;
  v.view_left = g_pair.box_min.x - static_cast<float>(x) / v.scale_x;
  v.view_top = g_pair.box_max.y + static_cast<float>(y - v.area_top) / v.scale_y;
  v.view_right = v.view_left + static_cast<float>(v.box_width) / v.scale_x;
  v.view_bottom = v.view_top - static_cast<float>(v.box_height) / v.scale_y;
  draw_item_in_colour(item, colour);
  v.scale_x = scale_x;
  v.scale_y = scale_y;
  v.view_left = left;
  v.view_top = top;
  v.view_right = right;
  v.view_bottom = bottom;
}

int fuse_loops() {
  HoverState& h = g_hover;
  const uint16_t saved_pick_mode = h.pick_mode;
  hide_pointer();
  push_control_table();
  int result = 1;
  while (result == 1) {
    clear_tool_path();
    result = fuse_pair();
  }
  pop_control_table();
  help_show_top();
  draw_button_legend(1);
  h.hover_item = nullptr;
  h.pick_kind = 0;
  h.pick_mode = saved_pick_mode;
  return result;
}
