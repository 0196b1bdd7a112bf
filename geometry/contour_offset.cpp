// The offset run: entry and side rule, the working copy, the raw offset and corner pieces, the
// piece list, and handing the output items over to the current list.
#include "geometry/contour_offset.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "geometry/bezier.h"
#include "geometry/contour_offset_internal.h"
#include "geometry/geometry2d.h"
#include "geometry/item_edit_state.h"
#include "geometry/node_surgery.h"
#include "geometry/symmetric_nodes.h"
#include "store/line_list.h"

OffsetRun g_offset_run;

void reset_offset_run() {
  g_offset_run = OffsetRun{};
  g_offset_run.first = -1;
  g_offset_run.last = -1;
}

// ---- piece list ----

// Gives the pieces the order keys 1, 2, ... along the list.
static void renumber_order() {
  double key = 0.0;
  for (int32_t p = g_offset_run.first; p >= 0; p = piece_at(p).next) piece_at(p).order = ++key;
}

// An order key between two neighbours (either may be -1); the keys are spread out again when
// repeated splits at one place have used up the room between them.
static double order_between(int32_t prev, int32_t next) {
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (prev < 0) return next < 0 ? 0.0 : piece_at(next).order - 1.0;
    if (next < 0) return piece_at(prev).order + 1.0;
    const double a = piece_at(prev).order;
    const double b = piece_at(next).order;
    const double middle = a + (b - a) / 2.0;
    if (middle > a && middle < b) return middle;
    renumber_order();
  }
  return piece_at(prev).order;
}

// ---- box grid ----

void grid_init(BoxGrid* grid, const PointF& lo, const PointF& hi, int count, double typical) {
  const double width = std::fmax(static_cast<double>(hi.x) - lo.x, 1e-6);
  const double height = std::fmax(static_cast<double>(hi.y) - lo.y, 1e-6);
  // Cells about the size of a box, but no more than 16 per box over the whole area.
  const double cells = std::fmin(std::fmax(16.0 * count, 1.0), 1048576.0);
  grid->cell = static_cast<float>(std::fmax(typical, std::sqrt(width * height / cells)));
  if (!(grid->cell > 0.0f)) grid->cell = 1.0f;
  grid->x0 = lo.x;
  grid->y0 = lo.y;
  grid->nx = std::clamp(static_cast<int>(width / grid->cell) + 1, 1, 1024);
  grid->ny = std::clamp(static_cast<int>(height / grid->cell) + 1, 1, 1024);
  grid->cells.assign(static_cast<size_t>(grid->nx) * grid->ny, {});
}

static void cell_range(const BoxGrid& grid, const PointF& lo, const PointF& hi, int* ix0, int* iy0,
                       int* ix1, int* iy1) {
  auto index = [&grid](double v, double origin, int count) {
    const double i = std::floor((v - origin) / grid.cell);
    return static_cast<int>(std::clamp(i, 0.0, static_cast<double>(count - 1)));
  };
  *ix0 = index(lo.x, grid.x0, grid.nx);
  *ix1 = index(hi.x, grid.x0, grid.nx);
  *iy0 = index(lo.y, grid.y0, grid.ny);
  *iy1 = index(hi.y, grid.y0, grid.ny);
}

void grid_insert(BoxGrid* grid, int32_t id, const PointF& lo, const PointF& hi) {
  int ix0, iy0, ix1, iy1;
  cell_range(*grid, lo, hi, &ix0, &iy0, &ix1, &iy1);
  for (int iy = iy0; iy <= iy1; ++iy)
    for (int ix = ix0; ix <= ix1; ++ix)
      grid->cells[static_cast<size_t>(iy) * grid->nx + ix].push_back(id);
}

void grid_query(const BoxGrid& grid, const PointF& lo, const PointF& hi, std::vector<int32_t>* out,
                std::vector<uint32_t>* stamps, uint32_t stamp) {
  out->clear();
  int ix0, iy0, ix1, iy1;
  cell_range(grid, lo, hi, &ix0, &iy0, &ix1, &iy1);
  for (int iy = iy0; iy <= iy1; ++iy) {
    for (int ix = ix0; ix <= ix1; ++ix) {
      for (int32_t id : grid.cells[static_cast<size_t>(iy) * grid.nx + ix]) {
        uint32_t& seen = (*stamps)[static_cast<size_t>(id)];
        if (seen == stamp) continue;
        seen = stamp;
        out->push_back(id);
      }
    }
  }
}

int32_t insert_piece_after(int32_t after, const LinkRecord link[2], int32_t number, uint8_t flags) {
  OffsetRun& run = g_offset_run;
  OffsetPiece piece{};
  piece.link[0] = link[0];
  piece.link[1] = link[1];
  piece.number = number;
  piece.flags = flags;
  piece.alive = true;
  piece.made_sweep = code_is_arc(link[0].code) ? link[0].sweep : 0.0f;
  const auto index = static_cast<int32_t>(run.pieces.size());
  if (run.pieces.capacity() == run.pieces.size()) run.pieces.reserve(run.pieces.size() * 2 + 64);
  run.pieces.push_back(piece);
  OffsetPiece& p = piece_at(index);
  if (after < 0) after = run.last;
  p.prev = after;
  p.next = after < 0 ? run.first : piece_at(after).next;
  p.order = order_between(p.prev, p.next);
  if (p.prev >= 0)
    piece_at(p.prev).next = index;
  else
    run.first = index;
  if (p.next >= 0)
    piece_at(p.next).prev = index;
  else
    run.last = index;
  ++run.piece_count;
  return index;
}

void delete_piece(int32_t piece) {
  OffsetRun& run = g_offset_run;
  OffsetPiece& p = piece_at(piece);
  if (!p.alive) return;
  if (p.prev >= 0)
    piece_at(p.prev).next = p.next;
  else
    run.first = p.next;
  if (p.next >= 0)
    piece_at(p.next).prev = p.prev;
  else
    run.last = p.prev;
  p.alive = false;
  p.prev = p.next = -1;
  --run.piece_count;
}

static void delete_all_pieces() {
  while (g_offset_run.first >= 0) delete_piece(g_offset_run.first);
}

void make_piece_straight(LinkRecord* r) {
  r->code = LINK_FLEXIBLE_LINE;
  r->sweep = 0.0f;
  r->start_angle = 0.0f;
  r->link_flags &= static_cast<uint8_t>(~LINK_CLOCKWISE);
  link_bounding_box(r);
}

// ---- working copy ----

int offset_presimplify(float /*tol*/) {
  DrawingItem* copy = g_offset_run.copy;
  flatten_splines(copy);
  // Bezier links have no offset of their own: their curve goes in as straight links.
  return flatten_bezier_runs(copy);
}

// Every link after the first that is shorter than 3 tol goes into its neighbour.
static void thin_short_links(DrawingItem* copy, float tol) {
  const ItemEditState saved = g_item_edit;
  g_item_edit.edited_item = copy;
  g_item_edit.current_link_index = 0;
  thin_run_nodes(copy, 3.0 * tol, 0.0, 1);
  g_item_edit = saved;
  item_bounding_boxes(copy);
}

// 1e-5 of the item's size, at least 0.0001, and at least two units in the last place of its
// largest coordinate: far from the origin single-precision points are no better than that,
// and ends that should meet may miss each other by as much.
static float base_tolerance(DrawingItem* copy) {
  PointF lo;
  PointF hi;
  item_extents(copy, &lo, &hi);
  const double size = std::fmax(static_cast<double>(hi.x) - lo.x, static_cast<double>(hi.y) - lo.y);
  const double largest = std::fmax(std::fmax(std::fabs(lo.x), std::fabs(lo.y)),
                                   std::fmax(std::fabs(hi.x), std::fabs(hi.y)));
  const double precision = largest > 0.0 ? 2.0 * std::ldexp(1.0, std::ilogb(largest) - 23) : 0.0;
  return static_cast<float>(std::fmax(std::fmax(size * 0.00001, 0.0001), precision));
}

// ---- raw pieces ----

static float manhattan(const LinkRecord* r) {
  return std::fabs(link_dx(r)) + std::fabs(link_dy(r));
}

// Direction of travel at the link's end and at its start.
static double end_direction(const LinkRecord* r) {
  if (code_is_arc(r->code)) return arc_tangent_angle(&r[1].point, r);
  return point_angle(&r->point, &r[1].point);
}

static double start_direction(const LinkRecord* r) {
  if (code_is_arc(r->code)) return arc_tangent_angle(&r->point, r);
  return point_angle(&r->point, &r[1].point);
}

// A small offset arc is no better than its chord and would upset the intersections.
static bool offset_arc_is_flat(const LinkRecord* r, float tol) {
  const double radius = r->code;
  const double sweep = r->sweep;
  if (radius >= 6.0 * tol) return sweep < 0.02 && radius < 1.0 && manhattan(r) < 0.005;
  return radius < 1.8 * tol || sweep < ANGLE_PI / 6.0;
}

// The corner piece bridging the offsets of `link` and `next` round their common point.
static void make_corner(const LinkRecord* link, const LinkRecord* next, double a1, double a2) {
  const OffsetRun& run = g_offset_run;
  const PointF corner = link[1].point;
  LinkRecord c[2] = {};
  c[0].z = c[1].z = link[1].z;
  polar_point(&corner, run.distance, normalize_angle(a1 - ANGLE_PI / 2), &c[0].point);
  polar_point(&corner, run.distance, normalize_angle(a2 - ANGLE_PI / 2), &c[1].point);
  if (link->code == LINK_GAP && next->code == LINK_GAP) {
    c[0].code = LINK_GAP;
  } else if (run.abs_distance >= 6.0 * run.tol) {
    c[0].code = static_cast<float>(run.abs_distance);
    c[0].centre = corner;
    // Round the outside of the turn: counter-clockwise on the right of travel.
    if (run.distance < 0.0) c[0].link_flags |= LINK_CLOCKWISE;
    arc_angles_from_points(c);
  }
  link_bounding_box(c);
  insert_piece_after(-1, c, 0, OFFSET_PIECE_OFFSET | OFFSET_PIECE_CORNER);
}

// A corner piece is needed where the contour turns back, or turns away from the offset side.
static bool corner_needed(double a1, double a2) {
  const double u = signed_angle_difference(a2, a1);
  if (ANGLE_PI - std::fabs(u) < 0.00001) return true;
  if (std::fabs(u) <= 0.0002) return false;
  return g_offset_run.distance > 0.0 ? u < 0.0 : u > 0.0;
}

static void drop_tiny_end_pieces() {
  OffsetRun& run = g_offset_run;
  // A whole circle starts and ends at one point but is no tiny piece.
  auto tiny = [](int32_t p) {
    const LinkRecord* r = piece_at(p).link;
    return std::fabs(link_dx(r)) < 0.0001f && std::fabs(link_dy(r)) < 0.0001f &&
           !arc_is_full_circle(r);
  };
  while (run.first >= 0 && tiny(run.first)) delete_piece(run.first);
  while (run.last >= 0 && tiny(run.last)) delete_piece(run.last);
}

int make_raw_pieces() {
  OffsetRun& run = g_offset_run;
  LinkRecord* r = item_nodes(run.copy);
  const int32_t n = item_link_count(run.copy);
  const bool closed = run.closed || point_distance(&r[0].point, &r[n].point) < 0.0001f;
  const float tol = run.tol;
  int made = 0;
  for (int32_t i = 0; i < n; ++i) {
    const LinkRecord* link = &r[i];
    if (!code_is_arc(link->code) && manhattan(link) < 2.0f * tol) continue;
    LinkRecord out[2];
    const int result = offset_link(link, static_cast<float>(run.distance), out);
    if (result < 0) {
      delete_all_pieces();
      return result;
    }
    if (result == OFFSET_LINK_DONE) {
      if (code_is_arc(out[0].code) && offset_arc_is_flat(out, tol)) make_piece_straight(out);
      insert_piece_after(-1, out, 0, OFFSET_PIECE_OFFSET);
      ++made;
    }
    const int32_t j = i + 1 < n ? i + 1 : (closed ? 0 : -1);
    if (j < 0 || manhattan(&r[j]) < 2.0f * tol) continue;
    const double a1 = end_direction(link);
    const double a2 = start_direction(&r[j]);
    if (corner_needed(a1, a2)) make_corner(link, &r[j], a1, a2);
  }
  if (made < 2) {
    delete_all_pieces();
    return 0;
  }
  drop_tiny_end_pieces();
  int32_t number = 0;
  for (int32_t p = run.first; p >= 0; p = piece_at(p).next) piece_at(p).number = ++number;
  return made;
}

// ---- the run ----

// Forgets the run: result items, working copy and pieces; the caller's list comes back.
static void abandon_run(DrawingItem* copy) {
  free_current_list();
  if (copy != nullptr) free_list(copy);
  pop_list();
  reset_offset_run();
}

static bool any_result_open() {
  for (TextLine* item = g_lists.current.first; item != nullptr; item = item->next) {
    if (!item_is_closed(item)) return true;
  }
  return false;
}

// Gives the results the source's ID and fresh boxes and appends them to the caller's list;
// returns their number.
static int output_pieces(DrawingItem* source, DrawingItem* copy) {
  int count = 0;
  for (TextLine* item = g_lists.current.first; item != nullptr; item = item->next) {
    set_item_source_id(item, item_id(source));
    item_bounding_boxes(item);
    ++count;
  }
  const LineList results = g_lists.current;
  clear_current_list();
  free_list(copy);
  pop_list();
  reset_offset_run();
  append_chain(results.first, results.last);
  return count;
}

// Side rule and distance, from the prepared working copy: a symmetric polyline's symmetry
// line would mislead the orientation.
static void set_up_run(DrawingItem* copy, float distance, int flags) {
  OffsetRun& run = g_offset_run;
  run.closed = item_is_closed(copy);
  run.sharp = (flags & OFFSET_SHARP) != 0;
  run.orientation = polygon_orientation(copy);
  run.side = flags & OFFSET_OUTSIDE;
  double d = distance;
  // With the side flag the side alone decides: a negative distance does not turn it over.
  if ((flags & OFFSET_SIDE_FROM_FLAG) != 0) {
    d = std::fabs(d);
    if ((run.orientation == 1) == (run.side == 1)) d = -d;
  }
  run.distance = d;
  run.abs_distance = std::fabs(d);
}

// True when the run offsets a closed item outwards: positive distances lie on the right of
// the travel, which is the outside of a counter-clockwise item.
static bool offset_goes_outward() {
  const OffsetRun& run = g_offset_run;
  return run.closed && run.abs_distance > 0.0 && (run.distance > 0.0) == (run.orientation == 0);
}

// Runs the stages on the working copy; the count of output items or a failure (<= 0).
static int run_stages() {
  OffsetRun& run = g_offset_run;
  const int made = make_raw_pieces();
  if (made <= 0) return made;
  trim_adjacent_pieces();
  trim_all_pieces();
  build_piece_table();
  drop_close_pieces();
  if (chain_pieces() < 0) return 0;
  if (assemble_chains() < 0) return OFFSET_ITEM_FAILED;
  if (g_lists.current.first == nullptr) return 0;
  if (run.closed && any_result_open()) return 0;
  return 1;
}

// Makes the working copy in a list of its own (*copy) and runs the stages; the results gather
// in the current list. The count of output items or a failure (<= 0).
static int prepare_and_run(DrawingItem* item, float distance, int flags, DrawingItem** copy) {
  OffsetRun& run = g_offset_run;
  if (copy_item_with_extra_links(item, 0) != 0) return OFFSET_ITEM_FAILED;
  *copy = g_lists.current.last;
  clear_current_list();  // the copy keeps a list of its own; results gather in a fresh one
  run.copy = *copy;
  // Either kind of symmetric polyline begins with its symmetry line, which is no geometry.
  if ((item_nodes(*copy)[0].node_flags & NODE_SYMMETRY_MASK) != 0)
    unmake_symmetric_polyline(*copy);
  run.tol = base_tolerance(*copy);
  if (offset_presimplify(run.tol) != 0) return OFFSET_ITEM_FAILED;
  set_up_run(*copy, distance, flags);
  thin_short_links(*copy, run.tol);
  return run_stages();
}

int offset_contour(DrawingItem* item, float distance, int flags) {
  if (item == nullptr || item_block(item) == nullptr) return 0;
  const int32_t n = item_link_count(item);
  const uint8_t type = item_type(item);
  if (type == ITEM_CIRCLE || type == ITEM_ELLIPSE ||
      (n == 1 && arc_is_full_circle(item_nodes(item))))
    return offset_item(item, distance, flags) == OFFSET_ITEM_DONE ? 1 : 0;
  if (n == 1) return offset_item(item, distance, 0) == OFFSET_ITEM_DONE ? 1 : 0;
  reset_offset_run();
  if (std::fabs(distance) < OFFSET_MIN_DISTANCE) return 0;
  if (push_list() < 0) return OFFSET_ITEM_FAILED;
  clear_current_list();
  DrawingItem* copy = nullptr;
  int result = 0;
  try {
    result = prepare_and_run(item, distance, flags, &copy);
  } catch (const std::bad_alloc&) {
    result = OFFSET_ITEM_FAILED;  // the run's arrays could not grow: nothing is made
  }
  if (result <= 0) {
    // A closed item always has an outward offset: making none is a failure, not a vanished
    // result.
    if (result == 0 && offset_goes_outward()) result = OFFSET_ITEM_FAILED;
    abandon_run(copy);
    return result;
  }
  return output_pieces(item, copy);
}
