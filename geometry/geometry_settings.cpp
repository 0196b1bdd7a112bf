#include "geometry/geometry_settings.h"

#include <algorithm>
#include <iterator>

void geometry_settings_from_job(const JobSettings& job) {
  GeometrySettings& s = g_geometry_settings;
  s.tolerance = job.tolerance;
  s.units = job.units;
  std::copy(std::begin(job.material_box), std::end(job.material_box), s.material_box);
}
