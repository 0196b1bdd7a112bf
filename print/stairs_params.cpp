#include "print/stairs_params.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "platform/files.h"
#include "store/file_reader.h"
#include "store/record_bytes.h"
#include "store/store_host.h"
#include "store/text_helpers.h"
#include "ui/message_box.h"
#include "ui/standard_dialogs.h"

StairsState g_stairs;

namespace {

constexpr double STAIRS_PI = 3.14159265358979323846;
constexpr float DEFAULT_PITCH = static_cast<float>(STAIRS_PI / 4);
constexpr float DEFAULT_SLANT = static_cast<float>(8.0 * STAIRS_PI / 180.0);

// Offsets of the three machining blocks and their headers.
constexpr size_t HOUSING_HEADER = 116;
constexpr size_t HOUSING_CAM = 124;
constexpr size_t OUTLINE_HEADER = 316;
constexpr size_t OUTLINE_CAM = 324;
constexpr size_t THIRD_HEADER = 516;
constexpr size_t THIRD_CAM = 524;

// ---- field by field, both ways ----
// One table of fields drives the writer and the reader, so the two can never disagree.
enum class Field { I32, F32, U8, U32 };
struct FieldPlace {
  size_t offset;
  Field type;
  size_t member;  // offsetof into StairsParams
};

#define STAIRS_FIELD(offset, type, member) {offset, Field::type, offsetof(StairsParams, member)}
constexpr FieldPlace FIELDS[] = {
    STAIRS_FIELD(0, I32, kind_word),          STAIRS_FIELD(4, F32, total_rise),
    STAIRS_FIELD(8, F32, pitch_angle),        STAIRS_FIELD(12, F32, rise),
    STAIRS_FIELD(16, F32, run),               STAIRS_FIELD(20, I32, tread_count),
    STAIRS_FIELD(24, F32, tread_thickness),   STAIRS_FIELD(28, F32, nosing),
    STAIRS_FIELD(32, F32, top_offset),        STAIRS_FIELD(36, F32, bottom_drop),
    STAIRS_FIELD(40, F32, corner_radius),     STAIRS_FIELD(44, F32, housing_back),
    STAIRS_FIELD(48, F32, riser_margin),      STAIRS_FIELD(52, F32, housing_margin),
    STAIRS_FIELD(56, F32, riser_thickness),   STAIRS_FIELD(60, F32, riser_slant),
    STAIRS_FIELD(64, U8, unused_64),          STAIRS_FIELD(65, U8, marker_choice),
    STAIRS_FIELD(66, U8, step_line_choice),   STAIRS_FIELD(67, U8, unused_67),
    STAIRS_FIELD(68, F32, board_thickness),   STAIRS_FIELD(72, F32, board_width),
    STAIRS_FIELD(76, F32, board_length),      STAIRS_FIELD(80, F32, first_going),
    STAIRS_FIELD(84, F32, last_going),        STAIRS_FIELD(88, F32, table_length),
    STAIRS_FIELD(92, F32, setup_shift.x),     STAIRS_FIELD(96, F32, setup_shift.y),
    STAIRS_FIELD(100, I32, split_work),       STAIRS_FIELD(104, F32, rail_distance),
    STAIRS_FIELD(108, F32, margin_across),    STAIRS_FIELD(112, F32, margin_along),
    STAIRS_FIELD(716, F32, unread_716),       STAIRS_FIELD(720, F32, cut_top_drop),
    STAIRS_FIELD(724, F32, cut_bottom_x),     STAIRS_FIELD(728, F32, cut_board_below),
    STAIRS_FIELD(732, F32, group_corner_height), STAIRS_FIELD(736, F32, wide_corner_height),
    STAIRS_FIELD(740, F32, upper_edge_direction), STAIRS_FIELD(744, U8, state),
    STAIRS_FIELD(745, U8, side),              STAIRS_FIELD(746, U8, type_0_to_2),
    STAIRS_FIELD(747, U8, type_4),            STAIRS_FIELD(748, U8, type_5),
    STAIRS_FIELD(749, U8, type_3),            STAIRS_FIELD(750, U8, reverse_step_line),
    STAIRS_FIELD(751, U8, table_axis),        STAIRS_FIELD(752, F32, top_extra_height),
    STAIRS_FIELD(756, F32, sawtooth_offset),  STAIRS_FIELD(760, F32, entered_corner_height),
    STAIRS_FIELD(764, I32, kind4_type),       STAIRS_FIELD(768, U32, left_flags),
    STAIRS_FIELD(772, U32, right_flags),
};
#undef STAIRS_FIELD

// Byte runs copied as they stand: (offset in the image, member, length).
struct RunPlace {
  size_t offset;
  size_t member;
  size_t length;
};
#define STAIRS_RUN(offset, member) {offset, offsetof(StairsParams, member), sizeof(StairsParams::member)}
constexpr RunPlace RUNS[] = {
    STAIRS_RUN(HOUSING_HEADER, housing_header), STAIRS_RUN(312, unused_312),
    STAIRS_RUN(OUTLINE_HEADER, outline_header), STAIRS_RUN(512, unused_512),
    STAIRS_RUN(THIRD_HEADER, third_header),     STAIRS_RUN(712, unused_712),
    STAIRS_RUN(776, work_area),                 STAIRS_RUN(1576, last_marks),
    STAIRS_RUN(1607, earlier_marks),            STAIRS_RUN(1638, unused_1638),
};
#undef STAIRS_RUN

uint8_t* member_bytes(StairsParams* params, size_t member) {
  return reinterpret_cast<uint8_t*>(params) + member;
}
const uint8_t* member_bytes(const StairsParams* params, size_t member) {
  return reinterpret_cast<const uint8_t*>(params) + member;
}

bool usable_number(float v) { return std::isfinite(v) && std::fabs(v) <= STAIRS_LARGEST_VALUE; }

bool usable_cam(const CamParams& cam) {
  for (const float v : {cam.rapid_height, cam.surface_z, cam.finish_allowance, cam.peck_distance})
    if (!usable_number(v)) return false;
  for (const CamToolBlock* t : {&cam.finishing, &cam.roughing})
    for (const float v : {t->size, t->tip_diameter, t->feed, t->step_down, t->second_pass_feed,
                          t->second_pass_depth, t->cut_width, t->cut_depth, t->first_stepover})
      if (!usable_number(v)) return false;
  return true;
}

// The one test a block read from a file must pass before the designer takes it.
bool stairs_block_usable(const StairsParams& p) {
  const int32_t kind = p.kind_word & ~STAIRS_METRIC;
  if (kind != STAIRS_KIND_HOUSED && kind != STAIRS_KIND_TREADS && kind != STAIRS_KIND_SPECIAL)
    return false;
  if (p.tread_count < 0 || p.tread_count > STAIRS_MOST_TREADS) return false;
  if (p.kind4_type < 0 || p.kind4_type > STAIRS_TYPE_LAST) return false;
  for (const FieldPlace& f : FIELDS) {
    if (f.type != Field::F32) continue;
    float value;
    std::memcpy(&value, member_bytes(&p, f.member), sizeof value);
    if (!usable_number(value)) return false;
  }
  return usable_cam(p.housing_cam) && usable_cam(p.outline_cam) && usable_cam(p.third_cam);
}

// ---- defaults ----

struct UnitDefaults {
  float rise, tread_thickness, nosing, top_offset, corner_radius, housing_back, riser_margin,
      housing_margin, riser_thickness, board_thickness, table_length, rail_distance,
      margin_across, margin_along, unread_716, cut_top_drop, cut_bottom_x, cut_board_below,
      entered_corner_height, rapid_height, tool_size, third_tool_size, housing_depth,
      outline_depth, third_depth;
};
constexpr UnitDefaults MILLIMETRE_DEFAULTS = {
    160, 40, 25, -25, 6, 37.5f, 75, 37.5f, 8.75f, 37.5f, 2700, 900, 25, 25, 1000, 50, 75, 200, 75,
    5, 12, 26.9748f, 10, 37.5f, 30};
constexpr UnitDefaults INCH_DEFAULTS = {
    6.3f, 1.5f, 1, -1.0625f, 0.25f, 1.5f, 3, 1.5f, 0.35f, 1.5f, 108, 36, 1, 1, 38, 2, 3, 8, 3,
    0.25f, 0.5f, 1.062f, 0.375f, 1.5f, 1.2f};

void set_tool(CamToolBlock* tool, float size, float feed, int16_t number, uint8_t stepover,
              float depth) {
  tool->size = size;
  tool->feed = feed;
  tool->rpm = 6000;
  tool->plunge_percent = 50;
  tool->tool_number = number;
  tool->stepover_percent = stepover;
  tool->ramp_angle = 100;
  tool->cut_width = size;
  tool->cut_depth = depth;
}

// The fields every reset gives back, whether the defaults came from a file or not.
void reset_design_fields(StairsParams* p) {
  p->sawtooth_offset = 0;
  p->total_rise = 0;
  std::memset(p->last_marks, 0, sizeof p->last_marks);
  std::memset(p->earlier_marks, 0, sizeof p->earlier_marks);
  p->housing_cam.operation = CAM_OP_SPIRAL_POCKET;
  p->housing_cam.machining_group = 10;
  p->outline_cam.operation = CAM_OP_CONTOUR_OUTSIDE;
  p->outline_cam.machining_group = 20;
}

bool read_whole_block(const std::string& path, StairsParams* params, bool* opened) {
  *opened = false;
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  *opened = true;
  // One byte more than a block, so that a longer file is told from a whole one.
  uint8_t bytes[STAIRS_IMAGE_SIZE + 1];
  const size_t got = std::fread(bytes, 1, sizeof bytes, file);
  std::fclose(file);
  return got == STAIRS_IMAGE_SIZE && read_stairs_image(bytes, got, params);
}

char defaults_unit_letter(int32_t kind_word) { return (kind_word & STAIRS_METRIC) != 0 ? 'm' : 's'; }

void show_centred_box(const char* text) { show_text_box(text, TEXTBOX_PRESS_A_KEY); }

}  // namespace

// ---- the image ----

void write_stairs_image(const StairsParams& params, uint8_t out[STAIRS_IMAGE_SIZE]) {
  std::memset(out, 0, STAIRS_IMAGE_SIZE);
  for (const FieldPlace& f : FIELDS) {
    const uint8_t* from = member_bytes(&params, f.member);
    switch (f.type) {
      case Field::U8: out[f.offset] = *from; break;
      case Field::I32: {
        int32_t v;
        std::memcpy(&v, from, sizeof v);
        put_i32_le(out + f.offset, v);
        break;
      }
      case Field::U32: {
        uint32_t v;
        std::memcpy(&v, from, sizeof v);
        put_u32_le(out + f.offset, v);
        break;
      }
      case Field::F32: {
        float v;
        std::memcpy(&v, from, sizeof v);
        put_f32_le(out + f.offset, v);
        break;
      }
    }
  }
  for (const RunPlace& r : RUNS) std::memcpy(out + r.offset, member_bytes(&params, r.member), r.length);
  write_cam_params(params.housing_cam, out + HOUSING_CAM);
  write_cam_params(params.outline_cam, out + OUTLINE_CAM);
  write_cam_params(params.third_cam, out + THIRD_CAM);
}

bool read_stairs_image(const uint8_t* bytes, size_t size, StairsParams* params) {
  if (bytes == nullptr || size != STAIRS_IMAGE_SIZE) return false;
  StairsParams p;
  for (const FieldPlace& f : FIELDS) {
    uint8_t* to = member_bytes(&p, f.member);
    switch (f.type) {
      case Field::U8: *to = bytes[f.offset]; break;
      case Field::I32: {
        const int32_t v = get_i32_le(bytes + f.offset);
        std::memcpy(to, &v, sizeof v);
        break;
      }
      case Field::U32: {
        const uint32_t v = get_u32_le(bytes + f.offset);
        std::memcpy(to, &v, sizeof v);
        break;
      }
      case Field::F32: {
        const float v = get_f32_le(bytes + f.offset);
        std::memcpy(to, &v, sizeof v);
        break;
      }
    }
  }
  for (const RunPlace& r : RUNS) std::memcpy(member_bytes(&p, r.member), bytes + r.offset, r.length);
  read_cam_params(bytes + HOUSING_CAM, &p.housing_cam);
  read_cam_params(bytes + OUTLINE_CAM, &p.outline_cam);
  read_cam_params(bytes + THIRD_CAM, &p.third_cam);
  if (!stairs_block_usable(p)) return false;
  *params = p;
  return true;
}

// ---- defaults ----

void set_builtin_stairs_defaults(int32_t kind_word, StairsParams* params) {
  StairsParams p;
  const UnitDefaults& u = (kind_word & STAIRS_METRIC) != 0 ? MILLIMETRE_DEFAULTS : INCH_DEFAULTS;
  p.kind_word = kind_word;
  p.table_axis = 1;
  p.pitch_angle = DEFAULT_PITCH;
  p.riser_slant = DEFAULT_SLANT;
  p.rise = u.rise;
  p.tread_thickness = u.tread_thickness;
  p.nosing = u.nosing;
  p.top_offset = u.top_offset;
  p.corner_radius = u.corner_radius;
  p.housing_back = u.housing_back;
  p.riser_margin = u.riser_margin;
  p.housing_margin = u.housing_margin;
  p.riser_thickness = u.riser_thickness;
  p.table_length = u.table_length;
  p.rail_distance = u.rail_distance;
  p.margin_across = u.margin_across;
  p.margin_along = u.margin_along;
  p.unread_716 = u.unread_716;
  p.cut_top_drop = u.cut_top_drop;
  p.cut_bottom_x = u.cut_bottom_x;
  p.cut_board_below = u.cut_board_below;
  p.entered_corner_height = u.entered_corner_height;

  CamParams& housing = p.housing_cam;
  housing.cut_direction = 1;
  housing.rapid_height = u.rapid_height;
  housing.finish_option = 1;
  set_tool(&housing.finishing, u.tool_size, 80, 1, 50, u.housing_depth);

  CamParams& outline = p.outline_cam;
  outline.cut_direction = 1;
  outline.rapid_height = u.rapid_height;
  outline.finish_option = 1;
  set_tool(&outline.finishing, u.tool_size, 60, 1, 0, u.outline_depth);
  outline.finishing.second_pass_rpm = 6000;
  outline.finishing.second_pass_feed = 60;
  p.board_thickness = outline.finishing.cut_depth;

  CamParams& third = p.third_cam;
  third.rapid_height = u.rapid_height;
  set_tool(&third.finishing, u.third_tool_size, 60, 2, 0, u.third_depth);

  p.step_line_choice = 1;
  p.marker_choice = 1;
  *params = p;
}

std::string stairs_defaults_path(int32_t kind_word) {
  std::string name = STAIRS_DEFAULTS_NAME;
  name[17] = defaults_unit_letter(kind_word);
  name[18] = static_cast<char>('A' + (kind_word & STAIRS_KIND_MASK));
  return path_join(program_folder(), name);
}

void stairs_defaults(int32_t kind_word) {
  StairsParams& block = g_stairs.params;
  StairsParams from_file;
  bool opened = false;
  // A defaults file that does not belong to this kind and unit is no better than a short one.
  if (read_whole_block(stairs_defaults_path(kind_word), &from_file, &opened) &&
      from_file.kind_word == kind_word) {
    block = from_file;
  } else {
    set_builtin_stairs_defaults(kind_word, &block);
    // The table is the same machine whatever the staircase: another kind's last settings.
    const int32_t own_kind = kind_word & STAIRS_KIND_MASK;
    for (const int32_t other : {STAIRS_KIND_HOUSED, STAIRS_KIND_TREADS, STAIRS_KIND_SPECIAL}) {
      if (other == own_kind) continue;
      const int32_t other_word = other | (kind_word & STAIRS_METRIC);
      StairsParams shared;
      if (!read_whole_block(stairs_defaults_path(other_word), &shared, &opened)) continue;
      block.rail_distance = shared.rail_distance;
      block.table_length = shared.table_length;
      block.margin_across = shared.margin_across;
      block.margin_along = shared.margin_along;
      block.table_axis = shared.table_axis;
      block.reverse_step_line = shared.reverse_step_line;
      break;
    }
  }
  reset_design_fields(&block);
}

int stairs_save_defaults() {
  StairsParams& block = g_stairs.params;
  std::memset(block.work_area, 0, sizeof block.work_area);
  uint8_t image[STAIRS_IMAGE_SIZE];
  write_stairs_image(block, image);
  std::string error;
  const SaveResult saved = save_file_safely(
      stairs_defaults_path(block.kind_word), "",
      [&](SaveFile* file) { return save_write(file, image, sizeof image); }, &error);
  return saved == SAVE_OK ? 0 : static_cast<int>(saved);
}

// ---- staircase files ----

bool stairs_write_file(const std::string& path) {
  StairsParams& block = g_stairs.params;
  std::memset(block.work_area, 0, sizeof block.work_area);
  block.left_flags = g_stairs.left_flags;
  block.right_flags = g_stairs.right_flags;
  uint8_t image[STAIRS_IMAGE_SIZE];
  write_stairs_image(block, image);
  std::string error;
  return save_file_safely(path, "",
                          [&](SaveFile* file) { return save_write(file, image, sizeof image); },
                          &error) == SAVE_OK;
}

int stairs_save() {
  FileRecord record;
  record.folder = g_stairs.folder.empty() ? program_folder() : g_stairs.folder;
  add_trailing_backslash(&record.folder);
  record.name = g_stairs.name;
  record.extension = STAIRS_EXTENSION;
  if (save_as_dialog(&record) != DIALOG_CHOSEN) return 27;
  std::string path = record.full_path;
  change_extension(&path, STAIRS_EXTENSION + 1);
  if (!stairs_write_file(path)) {
    stairs_message(STAIRS_WRITE_ERROR_TEXT);
    return 27;
  }
  split_path(path, &g_stairs.folder, &g_stairs.name);
  return 0;
}

int stairs_load_file(const std::string& path) {
  StairsParams loaded;
  bool opened = false;
  if (!read_whole_block(path, &loaded, &opened)) {
    // A file that cannot be opened is said as plainly as one that cannot be used.
    stairs_message(STAIRS_READ_ERROR_TEXT);
    return -1;
  }
  g_stairs.params = loaded;
  split_path(path, &g_stairs.folder, &g_stairs.name);
  g_stairs.left_flags = loaded.left_flags;
  g_stairs.right_flags = loaded.right_flags;
  return loaded.kind_word;
}

int stairs_load() {
  std::string folder = g_stairs.folder.empty() ? program_folder() : g_stairs.folder;
  std::string path;
  if (open_file_dialog(folder, STAIRS_FILTER, &path) != DIALOG_CHOSEN) return -2;
  return stairs_load_file(path);
}

// ---- messages ----

void stairs_message(const char* text) {
  if (g_stairs.show_message != nullptr) {
    g_stairs.show_message(text);
    return;
  }
  show_centred_box(text);
}

void reset_stairs_state() { g_stairs = StairsState{}; }
