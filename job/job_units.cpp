#include "job/job_units.h"

#include <algorithm>
#include <cmath>

#include "cam/make_nc.h"
#include "geometry/drawing_item.h"
#include "geometry/item_motion.h"
#include "job/job_host.h"
#include "records/cam_params.h"
#include "records/job_settings.h"
#include "records/preferences.h"
#include "text/text_items.h"

namespace {

void scale(float* value, double factor) { *value = static_cast<float>(*value * factor); }

// The lengths every conversion changes.
void scale_settings(double factor) {
  JobSettings& job = g_job_settings;
  scale(&g_preferences.nudge, factor);
  scale(&job.tolerance, factor);
  scale(&job.short_move_limit, factor);
  const double feed = std::floor(job.short_move_feed * factor + 0.5);
  // A feed never becomes 0 (a short move would stand still) nor leaves the stored short.
  job.short_move_feed = static_cast<int16_t>(std::clamp(feed, 1.0, 32767.0));
}

void scale_surface(double factor) {
  JobSettings& job = g_job_settings;
  for (float* v : {&job.surface_radius, &job.surface_length_1, &job.surface_length_2,
                   &job.surface_length_3, &job.surface_length_4, &job.z_shift,
                   &job.setup_length_18})
    scale(v, factor);
  for (float& v : job.material_box) scale(&v, factor);
}

void scale_items(double factor, LineList* items) {
  const PointF origin{0.0f, 0.0f};
  for (DrawingItem* item = items->first; item != nullptr; item = item->next) {
    const uint8_t type = item_type(item);
    if (type == 0) continue;
    GeometryBlock* block = item_block(item);
    if (type == ITEM_TEXT) {
      // The layout and its machining block; the frame's links follow below.
      if (block != nullptr) convert_text_item_units(block);
    } else if (uint8_t* cam = block != nullptr ? block_cam_params(block) : nullptr) {
      CamParams p;
      read_cam_params(cam, &p);
      scale_cam_lengths(&p, factor);
      write_cam_params(p, cam);
    }
    scale_item(item, static_cast<float>(factor), &origin);
    item_bounding_boxes(item);
  }
}

void move_items(LineList* items, float dx, float dy) {
  const PointF v{dx, dy};
  for (DrawingItem* item = items->first; item != nullptr; item = item->next) {
    if (item_type(item) == 0) continue;
    translate_item(item, &v);
    item_bounding_boxes(item);
  }
}

// The template items sit at their offset: they go back by the old one, the offset takes the
// factor, and they move by the new one.
void scale_template_offset(double factor, LineList* template_items) {
  float* offset = g_job_settings.template_offset;
  if (offset[0] == 0.0f && offset[1] == 0.0f) return;
  const bool items = template_items != nullptr && template_items->first != nullptr;
  if (items) move_items(template_items, -offset[0], -offset[1]);
  scale(&offset[0], factor);
  scale(&offset[1], factor);
  if (items && (offset[0] != 0.0f || offset[1] != 0.0f))
    move_items(template_items, offset[0], offset[1]);
}

}  // namespace

void scale_job_lengths(double factor, LineList* items, LineList* template_items) {
  scale_surface(factor);
  if (items != nullptr) scale_items(factor, items);
  g_job_settings.text_items_ready = 0;
  g_job_settings.view_fitted = 0;
  scale_template_offset(factor, template_items);
}

UnitsConversion convert_job_units(LineList* items, LineList* template_items) {
  const double factor = job_units_factor(g_job_settings.units);
  scale_settings(factor);
  if (!any_item_machined()) return UnitsConversion::SETTINGS_ONLY;
  const int prompt =
      g_job_settings.units == JOB_UNITS_INCH ? MSG_CONVERT_TO_INCH : MSG_CONVERT_TO_MILLIMETRE;
  if (job_ask_choice(prompt) != CONVERT_CHOICE_ITEMS) return UnitsConversion::SETTINGS_ONLY;
  scale_job_lengths(factor, items, template_items);
  return UnitsConversion::WHOLE_JOB;
}
