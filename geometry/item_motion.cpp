#include "geometry/item_motion.h"

#include <cmath>

#include "geometry/point_arrays.h"

namespace {

bool centre_is_geometry(uint8_t type) { return type == ITEM_POLYGON || type == ITEM_ELLIPSE; }

// A point item's second point is the point of the record after its first link.
PointF& second_point(LinkRecord* first) { return first[1].point; }

void scale_point(PointF* p, const PointF* offset, float factor) {
  p->x = static_cast<float>(offset->x + static_cast<double>(factor) * p->x);
  p->y = static_cast<float>(offset->y + static_cast<double>(factor) * p->y);
}

uint8_t pattern_kind(const LinkRecord* first) {
  const LinkRecord* closing = point_array_closing(const_cast<LinkRecord*>(first));
  return closing == nullptr ? POINT_ARRAY_NONE : point_array_kind(closing);
}

}  // namespace

void mirror_point(const PointF* point, const LinkRecord* line, PointF* out) {
  PointF mirrored;
  if (mirror_point_two_points(point, &line->point, &next_point(line), &mirrored) == 0) return;
  *out = mirrored;
}

void mirror_point_pattern(const LinkRecord* source, const LinkRecord* line, LinkRecord* target) {
  const uint8_t kind = pattern_kind(source);
  if (kind == POINT_ARRAY_NONE) {
    second_point(target) = target->point;
    return;
  }
  mirror_point(&next_point(source), line, &second_point(target));
  if (kind == POINT_ARRAY_CIRCLE) {
    mirror_point(&source->centre, line, &target->centre);
    target->start_angle = point_angle(&target->point, &second_point(target));
    target->sweep = -source->sweep;
    return;
  }
  const LinkRecord* closing = point_array_closing(const_cast<LinkRecord*>(source));
  const int columns = point_array_columns(closing);
  const int rows = point_array_rows(closing);
  if (columns > 1)
    target->centre.x = (second_point(target).x - target->point.x) / static_cast<float>(columns - 1);
  if (rows > 1)
    target->centre.y = (second_point(target).y - target->point.y) / static_cast<float>(rows - 1);
}

void mirror_item(const DrawingItem* source, DrawingItem* target, const LinkRecord* line) {
  const LinkRecord* from = item_nodes(source);
  LinkRecord* to = item_nodes(target);
  if (from == nullptr || to == nullptr) return;
  // The line may lie inside the item being mirrored: work from a copy of its two points.
  LinkRecord mirror_line[2] = {*line, line[1]};
  mirror_point(&from->point, mirror_line, &to->point);
  const uint8_t type = item_type(source);
  if (centre_is_geometry(type)) {
    to->link_flags ^= LINK_CLOCKWISE;
    mirror_point(&from->centre, mirror_line, &to->centre);
  }
  if (type == ITEM_POINT) {
    mirror_point_pattern(from, mirror_line, to);
    return;
  }
  const int32_t n = item_link_count(source);
  for (int32_t i = 0; i < n; ++i) {
    const LinkRecord& r = from[i];
    LinkRecord& t = to[i];
    mirror_point(&from[i + 1].point, mirror_line, &to[i + 1].point);
    if (code_is_arc(r.code)) {
      const bool was_clockwise = (r.link_flags & LINK_CLOCKWISE) != 0;
      mirror_point(&r.centre, mirror_line, &t.centre);
      t.node_flags = r.node_flags;
      t.link_flags = static_cast<uint8_t>(r.link_flags ^ LINK_CLOCKWISE);
      t.node_number = r.node_number;
      // The mirrored arc runs the other way, so its start angle is measured at its other end.
      t.start_angle = was_clockwise ? point_angle(&t.centre, &t.point)
                                    : point_angle(&t.centre, &to[i + 1].point);
    } else if (r.code == LINK_QUADRATIC) {
      mirror_point(&r.centre, mirror_line, &t.centre);
    }
  }
}

void rotate_point_pattern(LinkRecord* first, const PointF* pivot, double angle) {
  const uint8_t kind = pattern_kind(first);
  if (kind == POINT_ARRAY_NONE) {
    second_point(first) = first->point;
    return;
  }
  if (kind == POINT_ARRAY_CIRCLE) {
    rotate_point_about(&first->centre, &first->centre, pivot, angle);
    rotate_point_about(&second_point(first), &second_point(first), pivot, angle);
    // The copies turn with the item: their start angle turns by the same angle.
    first->start_angle = static_cast<float>(normalize_angle(first->start_angle + angle));
    return;
  }
  // A grid does not turn; it keeps its rows and columns and follows its anchor.
  const LinkRecord* closing = point_array_closing(first);
  const int columns = point_array_columns(closing);
  const int rows = point_array_rows(closing);
  const int column_steps = kind == POINT_ARRAY_STAGGERED_WIDE ? columns - 2 : columns - 1;
  second_point(first).x = first->point.x + static_cast<float>(column_steps) * first->centre.x;
  second_point(first).y = first->point.y + static_cast<float>(rows - 1) * first->centre.y;
}

void rotate_item(DrawingItem* item, const PointF* pivot, double angle) {
  LinkRecord* r = item_nodes(item);
  if (r == nullptr) return;
  const PointF centre = *pivot;  // the pivot may be a point of the item itself
  rotate_point_about(&r->point, &r->point, &centre, angle);
  const uint8_t type = item_type(item);
  if (centre_is_geometry(type)) rotate_point_about(&r->centre, &r->centre, &centre, angle);
  if (type == ITEM_POINT) {
    rotate_point_pattern(r, &centre, angle);
    return;
  }
  const int32_t n = item_link_count(item);
  for (int32_t i = 0; i < n; ++i) {
    LinkRecord& link = r[i];
    PointF& next = r[i + 1].point;
    rotate_point_about(&next, &next, &centre, angle);
    if (code_is_arc(link.code)) {
      rotate_point_about(&link.centre, &link.centre, &centre, angle);
      const bool clockwise = (link.link_flags & LINK_CLOCKWISE) != 0;
      link.start_angle = clockwise ? point_angle(&link.centre, &next)
                                   : point_angle(&link.centre, &link.point);
    } else if (link.code == LINK_QUADRATIC) {
      rotate_point_about(&link.centre, &link.centre, &centre, angle);
    }
  }
}

void scale_point_pattern(LinkRecord* first, const PointF* offset, float factor) {
  const float code = first->code;
  if (code < LINK_POINT) {
    const double radius = LINK_POINT - code;
    first->code = static_cast<float>(LINK_POINT - radius * factor);
  }
  const uint8_t kind = pattern_kind(first);
  if (kind == POINT_ARRAY_NONE) return;
  if (kind == POINT_ARRAY_CIRCLE) {
    scale_point(&first->centre, offset, factor);
    first->z *= factor;
    return;
  }
  first->centre.x *= factor;
  first->centre.y *= factor;
}

void scale_item(DrawingItem* item, float factor, const PointF* centre) {
  LinkRecord* r = item_nodes(item);
  if (r == nullptr) return;
  const PointF offset{static_cast<float>((1.0 - factor) * centre->x),
                      static_cast<float>((1.0 - factor) * centre->y)};
  scale_point(&r->point, &offset, factor);
  const uint8_t type = item_type(item);
  if (centre_is_geometry(type)) scale_point(&r->centre, &offset, factor);
  if (type == ITEM_POINT) {
    scale_point_pattern(r, &offset, factor);
    if (pattern_kind(r) == POINT_ARRAY_NONE) {
      second_point(r) = r->point;
      return;
    }
  }
  const int32_t n = item_link_count(item);
  for (int32_t i = 0; i < n; ++i) {
    LinkRecord& link = r[i];
    scale_point(&r[i + 1].point, &offset, factor);
    if (code_is_arc(link.code)) {
      scale_point(&link.centre, &offset, factor);
      link.code *= factor;
    } else if (link.code == LINK_QUADRATIC) {
      scale_point(&link.centre, &offset, factor);
    }
  }
}
