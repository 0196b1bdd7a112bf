// Reflecting, turning and scaling whole items: every point of an item, the centres that carry
// geometry (arc centres, quadratic control points, the centre of a polygon or ellipse) and the
// pattern of a point item. Sweeps stay; arcs keep their radius under mirror and rotation and
// change it by the factor under scaling. Link boxes are left to the caller
// (item_bounding_boxes), as the commands recompute them once at the end of an edit.
#pragma once

#include "geometry/drawing_item.h"
#include "geometry/float2d.h"

// ---- mirror ----
// out = the mirror image of the point about the line from line's node point to the point of
// the record after it. A line 1e-11 long or shorter leaves out unchanged.
void mirror_point(const PointF* point, const LinkRecord* line, PointF* out);
// Writes the mirror image of source into target, an item with the same links (it may be the
// source itself): arcs turn the other way, their start angle measured at the other end.
void mirror_item(const DrawingItem* source, DrawingItem* target, const LinkRecord* line);
// The pattern part of mirror_item for a point item (its anchor already mirrored).
void mirror_point_pattern(const LinkRecord* source, const LinkRecord* line, LinkRecord* target);

// ---- rotation ----
// Turns the item counter-clockwise about the pivot by the angle (radians).
void rotate_item(DrawingItem* item, const PointF* pivot, double angle);
// The pattern part of rotate_item for a point item (its anchor already turned).
void rotate_point_pattern(LinkRecord* first, const PointF* pivot, double angle);

// ---- scaling ----
// Every point p becomes (1 - factor) centre + factor p; arc radii and point radii grow by the
// factor.
void scale_item(DrawingItem* item, float factor, const PointF* centre);
// The pattern part of scale_item: offset is (1 - factor) centre.
void scale_point_pattern(LinkRecord* first, const PointF* offset, float factor);
