#include "job/job_surfaces.h"

#include <array>
#include <cmath>
#include <initializer_list>

namespace {

using K = SurfaceRowKind;

bool code_in(int code, std::initializer_list<int> codes) {
  for (int c : codes)
    if (c == code) return true;
  return false;
}

SurfaceRowRule rule(K kind) { return SurfaceRowRule{kind}; }
SurfaceRowRule length_rule(float* v, K kind = K::LENGTH) {
  SurfaceRowRule r{kind};
  r.length = v;
  return r;
}
SurfaceRowRule yes_no_rule(uint8_t* b) {
  SurfaceRowRule r{K::YES_NO};
  r.byte = b;
  return r;
}

// Surface 18 keeps values of its own in the rows.
SurfaceRowRule blade_row_rule(JobSettings* job, int row) {
  BladeSettings& b = job->blade_settings;
  switch (row) {
    case 0: return rule(K::POST_PROCESSOR);
    case 1: return yes_no_rule(&job->climb_milling);
    case 3: return length_rule(&job->surface_radius, K::DIAMETER);
    case 4: return length_rule(&b.row4_value);
    case 5: return length_rule(&b.row5_value);
    case 6: return length_rule(&b.row6_value);
    case 7: {
      SurfaceRowRule r{K::WHOLE_NUMBER};
      r.number = &b.row7_value;
      return r;
    }
    case 9: return rule(K::TEMPLATE_FILE);
    case 13: return length_rule(&job->tolerance, K::TOLERANCE);
    case 15: return length_rule(&b.row15_value);
    case 17: return yes_no_rule(&b.row17_yes_no);
    case 18: return yes_no_rule(&b.row18_yes_no);
    case 19: return yes_no_rule(&b.row19_yes_no);
    case 20: return length_rule(&b.row20_value);
    case 21: return length_rule(&b.row21_value);
    default: return rule(K::LOCKED);
  }
}

SurfaceRowRule surface_rows_rule(JobSettings* job, int row) {
  const int c = job->surface_code;
  const bool plain = code_in(c, {1, 15});  // rows 3-6 say nothing of a flat face
  switch (row) {
    case 2:
      if (c == 2) return length_rule(&job->slope_angle, K::DEGREES);
      if (code_in(c, {1, 15, 16, 17})) return rule(K::LOCKED);
      return rule(K::SIDE);
    case 3:
      if (code_in(c, {2, 6})) return length_rule(&job->surface_angle, K::DEGREES);
      if (plain) return rule(K::LOCKED);
      return length_rule(&job->surface_radius);
    case 4:
      if (code_in(c, {11, 12, 13, 14, 16, 17})) return yes_no_rule(&job->surface_choice);
      if (code_in(c, {4, 5})) return rule(K::AXIS_CHOICE);
      if (plain) return rule(K::LOCKED);
      return length_rule(&job->surface_length_1);
    case 5:
      if (code_in(c, {16, 17})) return rule(K::LATHE_CONTROLLER);
      if (code_in(c, {11, 12, 13, 14})) return rule(K::AXIS_CONTROLLER);
      if (plain) return rule(K::LOCKED);
      return length_rule(&job->surface_length_2);
    case 6:
      if (code_in(c, {11, 12, 13, 14})) return rule(K::AXIS_LETTER);
      if (code_in(c, {1, 15, 16, 17})) return rule(K::LOCKED);
      return length_rule(&job->surface_length_3);
    case 7:
      if (code_in(c, {7, 8, 9, 10, 14})) return length_rule(&job->surface_length_4);
      if (code_in(c, {4, 5, 12})) return length_rule(&job->surface_angle, K::TILT);
      return rule(K::LOCKED);
    case 8:
      if (code_in(c, {2, 3, 4, 6, 7})) return yes_no_rule(&job->surface_yes_no);
      if (code_in(c, {9, 10})) return rule(K::TOP_BOTTOM);
      return rule(K::LOCKED);
    default: return rule(K::LOCKED);
  }
}

// Pictures of rows 2-8 per surface, two entries a row (inside, outside).
using PictureRow = std::array<uint8_t, 14>;
constexpr PictureRow PICTURES_4_CHOICE = {46, 45, 32, 32, 44, 42, 52, 50, 54, 63, 88, 87, 0, 0};
constexpr PictureRow PICTURES_4 = {46, 45, 32, 32, 43, 41, 51, 49, 54, 63, 88, 87, 0, 0};
constexpr PictureRow PICTURES_5_CHOICE = {89, 103, 95, 95, 44, 42, 32, 32, 32, 32, 105, 105, 0, 0};
constexpr PictureRow PICTURES_5 = {89, 103, 94, 94, 43, 41, 32, 32, 32, 32, 104, 104, 0, 0};
constexpr PictureRow PICTURES_8 = {64, 65, 66, 67, 69, 80, 81, 82, 83, 84, 85, 86, 0, 0};
constexpr PictureRow PICTURES_7 = {97, 96, 32, 32, 32, 32, 32, 32, 32, 32, 32, 32, 0, 0};
constexpr PictureRow PICTURES_9 = {32, 32, 66, 67, 32, 32, 32, 32, 32, 32, 85, 86, 0, 0};
constexpr PictureRow PICTURES_10 = {98, 68, 66, 67, 32, 32, 32, 32, 32, 32, 85, 86, 0, 0};
constexpr PictureRow PICTURES_12 = {90, 91, 95, 94, 32, 32, 32, 32, 32, 32, 32, 32, 0, 0};
constexpr PictureRow PICTURES_3 = {48, 47, 32, 32, 32, 32, 32, 32, 54, 53, 32, 32, 0, 0};
constexpr PictureRow PICTURES_2 = {56, 56, 55, 55, 32, 32, 32, 32, 0, 0, 0, 0, 0, 0};
constexpr PictureRow PICTURES_6 = {58, 57, 59, 60, 32, 32, 32, 32, 61, 62, 32, 32, 0, 0};
constexpr PictureRow PICTURES_AXIS = {78, 79, 32, 32, 32, 32, 32, 32, 0, 0, 0, 0, 0, 0};

const PictureRow* picture_row(const JobSettings& job) {
  switch (job.surface_code) {
    case 2: return &PICTURES_2;
    case 3: return &PICTURES_3;
    case 4: return job.surface_choice != 0 ? &PICTURES_4_CHOICE : &PICTURES_4;
    case 5: return job.surface_choice != 0 ? &PICTURES_5_CHOICE : &PICTURES_5;
    case 6: return &PICTURES_6;
    case 7: return &PICTURES_7;
    case 8: return &PICTURES_8;
    case 9: return &PICTURES_9;
    case 10: return &PICTURES_10;
    case 11:
    case 13:
    case 14:
    case 16: return &PICTURES_AXIS;
    case 12: return &PICTURES_12;
    default: return nullptr;  // 1, 15, 17, 18, 19 show none
  }
}

constexpr std::array<uint8_t, SURFACE_MENU_CHOICES> MENU_CODES = {1,  2,  6,  8,  3,  4,  5,  9,
                                                                   13, 11, 12, 10, 17, 16, 15, 7};
constexpr int FIRST_LATHE_CHOICE = 12;
constexpr int LAST_LATHE_CHOICE = 14;

constexpr int PICTURE_POST_PROCESSOR = 145;
constexpr int PICTURE_SURFACE_MENU = 146;
constexpr int PICTURE_FIRST_LOWER_ROW = 154;  // rows 9..19
constexpr int PICTURE_MATERIAL_BOX = 147;
constexpr double TILT_LIMIT = 80.0;

}  // namespace

SurfaceRowRule surface_row_rule(JobSettings* job, int row) {
  if (row < 0 || row >= JOB_SETUP_ROWS) return rule(K::LOCKED);
  if (job->surface_code == SURFACE_DIE_CUT_BLADES) return blade_row_rule(job, row);
  if (row >= FIRST_SURFACE_ROW && row <= LAST_SURFACE_ROW) return surface_rows_rule(job, row);
  const bool has_template = static_cast<unsigned char>(job->template_path[0]) > ' ';
  switch (row) {
    case 0: return rule(K::POST_PROCESSOR);
    case 1: return rule(K::SURFACE_MENU);
    case 9: return rule(K::TEMPLATE_FILE);
    case 10:
    case 11:
      return has_template ? length_rule(&job->template_offset[row - 10]) : rule(K::LOCKED);
    case 13: return length_rule(&job->tolerance, K::TOLERANCE);
    case 14: return length_rule(&job->short_move_limit);
    case 15: return job->short_move_limit > 0.0f ? rule(K::SHORT_MOVE_FEED) : rule(K::LOCKED);
    case 16: return length_rule(&job->z_shift);
    case 17: return rule(K::COMMENT_MODE);
    case 18: return length_rule(&job->setup_length_18);
    case 19: return yes_no_rule(&job->material_box_shown);
    default:
      if (row >= 20 && job->material_box_shown != 0) return length_rule(&job->material_box[row - 20]);
      return rule(K::LOCKED);
  }
}

int surface_label_message(int code) {
  if (code < 1 || code > 19 || code == 1 || code == 15) return 0;
  return SURFACE_LABELS_FIRST + 2 * code;
}

int surface_picture_number(const JobSettings& job, int a) {
  const int c = job.surface_code;
  if (c == 1 || a < 0 || a > 6) return 0;
  if (a == 0 && c >= 15) return 0;
  if (a > 5) {
    switch (c) {
      case 9: return 0;
      case 10: return job.surface_choice != 0 ? 70 : 68;
      case 2:
      case 6: return job.surface_yes_no != 0 ? 100 : 99;
      case 3:
      case 4: return job.surface_yes_no != 0 ? 102 : 101;
      default: break;
    }
  }
  if (c == 10 && a == 0) {
    if ((job.surface_side & 1) != 0) return job.surface_choice != 0 ? 70 : 68;
    return job.surface_choice != 0 ? 72 : 71;
  }
  const PictureRow* pictures = picture_row(job);
  if (pictures == nullptr) return 0;
  return (*pictures)[static_cast<size_t>(2 * a + (job.surface_side & 1))];
}

int job_setup_row_picture(const JobSettings& job, int row) {
  if (row == 0) return PICTURE_POST_PROCESSOR;
  if (row == 1) return PICTURE_SURFACE_MENU;
  if (row <= LAST_SURFACE_ROW) return surface_picture_number(job, row - FIRST_SURFACE_ROW);
  if (row <= 19) return PICTURE_FIRST_LOWER_ROW + row - 9;
  return PICTURE_MATERIAL_BOX;
}

int surface_menu_code(int choice) {
  if (choice < 0 || choice >= SURFACE_MENU_CHOICES) return 0;
  return MENU_CODES[static_cast<size_t>(choice)];
}

void set_surface_code(JobSettings* job, int code) {
  job->surface_code = static_cast<uint8_t>(code);
  job->surface_flag = static_cast<int32_t>(1u << (code - 1));
}

bool choose_surface(JobSettings* job, int choice, int* note) {
  *note = 0;
  if (choice >= FIRST_LATHE_CHOICE && choice <= LAST_LATHE_CHOICE) return false;
  const int code = surface_menu_code(choice);
  if (code == 0) return false;
  set_surface_code(job, code);
  if (code_in(code, {11, 12, 13, 14, 16})) job->surface_side = 1;
  if (code == 7 || code == 10) *note = MSG_SURFACE_NOTE;
  return true;
}

double normalise_degrees(double degrees) {
  if (!std::isfinite(degrees)) return 0.0;
  double a = std::fmod(degrees, 360.0);
  if (a < 0.0) a += 360.0;
  return a >= 360.0 ? 0.0 : a;
}

double normalise_tilt(double degrees) {
  if (!std::isfinite(degrees) || degrees <= -TILT_LIMIT || degrees >= TILT_LIMIT) return 0.0;
  return degrees;
}

float least_tolerance(uint8_t units) { return units == JOB_UNITS_INCH ? 0.0001f : 0.005f; }
