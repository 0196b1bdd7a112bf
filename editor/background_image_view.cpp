#include "editor/background_image_view.h"

#include "editor/render.h"
#include "editor/render_internal.h"
#include "editor/view_state.h"
#include "job/background_image.h"
#include "records/job_settings.h"

void draw_background_image() {
  ImageRecord& image = g_image_record;
  if (!image_record_named(image)) return;
  if (image.status == IMAGE_NOT_LOADED) load_background_image();
  image.draw_pending = 0;
  if (image.status != IMAGE_SHOWN || image.hidden != 0) return;
  const ViewState& v = g_view;
  ImageViewport view;
  view.view_left = v.view_left;
  view.view_top = v.view_top;
  view.scale = v.scale_x;
  view.width = v.box_width;
  view.height = v.box_height;
  CanvasRect dest{}, source{};
  if (!image_screen_rectangles(image, g_job_settings.units, view, &dest, &source)) return;
  const AreaClip clip;
  dest.top += v.origin_y;
  dest.bottom += v.origin_y;
  canvas_stretch_dib(clip.canvas, dest, image_dib(image.image), source);
}

void view_centre(double* x, double* y) {
  const ViewState& v = g_view;
  *x = (static_cast<double>(v.view_left) + v.view_right) / 2.0;
  *y = (static_cast<double>(v.view_top) + v.view_bottom) / 2.0;
}
