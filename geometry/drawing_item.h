// The drawing-item model: every item of the drawing is a line of the drawing list whose
// owned extra block is its GeometryBlock, an array of LinkRecords (one per node, each with
// the link leaving it) behind a header. Flag bits, link codes and record layouts are fixed
// byte for byte because every part of the program and the job file read them directly.
// All geometry is single precision in the job's unit; angles are radians counter-clockwise
// from +X in 0..2pi.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "geometry/float2d.h"
#include "records/cam_params.h"

struct TextLine;
// A drawing item is a line of the drawing list; its extra block is its GeometryBlock.
using DrawingItem = TextLine;

// ---- ItemType (the line's kind byte) ----
constexpr uint8_t ITEM_POLYLINE = 4;
constexpr uint8_t ITEM_CIRCLE = 7;
constexpr uint8_t ITEM_ELLIPSE = 8;
constexpr uint8_t ITEM_POINT = 11;
constexpr uint8_t ITEM_POLYGON = 12;
constexpr uint8_t ITEM_RECTANGLE = 13;
constexpr uint8_t ITEM_SLOT = 14;
constexpr uint8_t ITEM_ROUNDED_RECTANGLE = 16;
constexpr uint8_t ITEM_RESERVED_22 = 22;  // never created; skipped like points
constexpr uint8_t ITEM_TEXT_LIKE = 27;    // only met in job files; handled as text
constexpr uint8_t ITEM_TEXT = 28;         // engraving text, block of CAM kind 2
// Types above this are text items wherever text is told apart from geometry.
constexpr uint8_t ITEM_LAST_GEOMETRY_TYPE = 26;

// ---- ItemFlags (the line's state byte) ----
constexpr uint8_t ITEM_FLAG_SELECTED = 0x01;
constexpr uint8_t ITEM_FLAG_MARKED = 0x02;
constexpr uint8_t ITEM_FLAG_SAVED_MARK = 0x04;
constexpr uint8_t ITEM_FLAG_WORKING = 0x08;
constexpr uint8_t ITEM_FLAG_HAS_MARKED_NODES = 0x10;
constexpr uint8_t ITEM_FLAG_HAS_SAVED_NODE_MARKS = 0x20;

// ---- NodeFlags (byte +0 of a record) ----
constexpr uint8_t NODE_FIRST = 0x01;
constexpr uint8_t NODE_CLOSING = 0x02;
constexpr uint8_t NODE_LOOSE = 0x04;
constexpr uint8_t NODE_TANGENT = 0x08;
constexpr uint8_t NODE_KIND_OTHER = 0x10;
constexpr uint8_t NODE_DUAL = 0x20;
constexpr uint8_t NODE_PERPENDICULAR = 0x40;
// Any node kind; on the first node it means the item is closed.
constexpr uint8_t NODE_KIND_MASK = 0x1C;
// The kinds that keep their links tangent.
constexpr uint8_t NODE_TANGENT_MASK = 0x18;
// Either symmetric-polyline bit; such an item's first two links are the symmetry line.
constexpr uint8_t NODE_SYMMETRY_MASK = 0x60;

// ---- LinkFlags (byte +1 of a record, the second flags) ----
constexpr uint8_t LINK_CLOCKWISE = 0x01;
constexpr uint8_t LINK_NODE_MARKED = 0x02;
constexpr uint8_t LINK_SAVED_MARK = 0x04;
constexpr uint8_t LINK_DRAWN = 0x08;        // drawn since the last undraw (the Drawing page's mark)
constexpr uint8_t LINK_JUMP = 0x10;         // pen-up / rapid move inside one item; drawn as an
                                            // invisible link
constexpr uint8_t LINK_INVISIBLE = LINK_JUMP;
constexpr uint8_t LINK_CONSTRUCTION = 0x20;  // a construction link: drawn thin and dotted
constexpr uint8_t LINK_CORNER_MARK = 0x40;  // offset engine scratch, never stored

// ---- LinkCode (f32 at +24, compared exactly; > 0 is an arc radius) ----
constexpr float LINK_FLEXIBLE_LINE = 0.0f;
constexpr float LINK_RIGID_LINE = -1.0f;
constexpr float LINK_BOX = -3.0f;
constexpr float LINK_BEZIER = -4.0f;
constexpr float LINK_SPLINE = -5.0f;
constexpr float LINK_ELLIPSE = -6.0f;
constexpr float LINK_QUADRATIC = -8.0f;
constexpr float LINK_GAP = -9.0f;
constexpr float LINK_POINT = -64.0f;  // -64 - r: a point drawn as a circle of radius r
// Codes at or below this are curve codes: their runs make interior nodes tangent.
constexpr float LINK_FIRST_CURVE_CODE = -4.0f;

// ---- ArcSweepCode (a negative sweep of an arc: a full circle re-derived from its nodes) ----
constexpr float SWEEP_RADIUS_CIRCLE = -1.0f;
constexpr float SWEEP_DIAMETER_CIRCLE = -2.0f;
constexpr float SWEEP_CENTRE_CIRCLE = -3.0f;

// ---- CAM kind of a block (byte +4 of the header) ----
constexpr uint8_t GEOMETRY_KIND_DRAWING_AID = 0;
constexpr uint8_t GEOMETRY_KIND_MACHINABLE = 1;
constexpr uint8_t GEOMETRY_KIND_TEXT = 2;

// ---- sizes and offsets of the stored layouts ----
constexpr size_t LINK_RECORD_SIZE = 52;        // a full record
constexpr size_t LINK_NODE_PART_SIZE = 16;     // flags, number, Z and point: the closing record
constexpr size_t LINK_JOB_PART_SIZE = 36;      // what the job file keeps of a record
constexpr size_t GEOMETRY_HEADER_SIZE = 8;     // count, kind, layer, two reserved bytes
constexpr size_t TEXT_LAYOUT_SIZE = 192;       // at block offset +196, kind 2
constexpr size_t CAM_PARAMS_OFFSET = 8;
constexpr size_t TEXT_LAYOUT_OFFSET = 196;
constexpr size_t ITEM_HEADER_SIZE = 20;        // id, kind, state, 16 attribute bytes
constexpr size_t ITEM_ATTRIBUTE_BYTES = 16;
// Attribute byte offsets of a drawing item.
constexpr size_t ITEM_ATTR_GROUP_TAG = 0;      // i16
constexpr size_t ITEM_ATTR_SOURCE_ID = 2;      // i32, items made by the offset engine
constexpr size_t ITEM_ATTR_ITEM_ID = 8;        // i32 key, 1-based
// Highest user layer; 244-255 are the special layers.
constexpr uint8_t LAYER_LAST_USER = 243;

// One node and the link that leaves it. Mirrors the 52-byte stored record field for field
// (natural alignment, no padding); it is never copied to or from a file as a whole struct.
struct LinkRecord {
  uint8_t node_flags;    // NodeFlags
  uint8_t link_flags;    // LinkFlags (second flags)
  int16_t node_number;   // running node number, renumbered by renumber_nodes
  float z;               // Z of the node; on a point item's closing record: array bytes
  PointF point;          // the node
  PointF centre;         // arc/ellipse centre, quadratic control point, point-array spacing
  float code;            // LinkCode: > 0 an arc's radius
  float sweep;           // arc sweep 0..2pi counter-clockwise from start_angle, or < 0 ArcSweepCode
  float start_angle;     // arc start angle 0..2pi
  PointF box_min;        // bounding box of the link, kept by link_bounding_box
  PointF box_max;
};
static_assert(sizeof(LinkRecord) == LINK_RECORD_SIZE, "LinkRecord mirrors the 52-byte record");
static_assert(offsetof(LinkRecord, z) == 4 && offsetof(LinkRecord, point) == 8 &&
                  offsetof(LinkRecord, centre) == 16 && offsetof(LinkRecord, code) == 24 &&
                  offsetof(LinkRecord, sweep) == 28 && offsetof(LinkRecord, start_angle) == 32 &&
                  offsetof(LinkRecord, box_min) == 36,
              "LinkRecord field offsets follow the stored layout");

// Header of the item's extra block. The block continues, in the same allocation, with the
// CamParams bytes (kinds 1, 2), the TextLayout bytes (kind 2) and the LinkRecord array:
// link_count full records and the closing record. In memory the closing record is a full
// 52-byte record so that code reading any field of it stays inside the block; only its
// 16-byte node part is meaningful and stored.
struct GeometryBlock {
  int32_t link_count;    // n >= 1; the item has n + 1 nodes
  uint8_t cam_kind;      // GEOMETRY_KIND_*
  uint8_t layer;         // 0..243 user layers (244..255 special)
  uint8_t reserved[2];   // zero
};
static_assert(sizeof(GeometryBlock) == GEOMETRY_HEADER_SIZE, "GeometryBlock header is 8 bytes");

// ---- item access (the drawing-list meaning of a line's fields) ----
GeometryBlock* item_block(const DrawingItem* item);
LinkRecord* item_nodes(const DrawingItem* item);
int32_t item_link_count(const DrawingItem* item);
LinkRecord* item_closing_record(const DrawingItem* item);
uint8_t item_type(const DrawingItem* item);
void set_item_type(DrawingItem* item, uint8_t type);
uint8_t item_flags(const DrawingItem* item);
void set_item_flags(DrawingItem* item, uint8_t flags);
int16_t item_group_tag(const DrawingItem* item);
void set_item_group_tag(DrawingItem* item, int16_t tag);
int32_t item_source_id(const DrawingItem* item);
void set_item_source_id(DrawingItem* item, int32_t id);
int32_t item_id(const DrawingItem* item);
void set_item_id(DrawingItem* item, int32_t id);
uint8_t item_layer(const DrawingItem* item);
bool item_is_closed(const DrawingItem* item);
bool item_is_text(const DrawingItem* item);

// ---- block access ----
size_t records_offset(uint8_t cam_kind);             // 8, 196 or 388
size_t block_alloc_size(uint8_t cam_kind, int32_t link_count);
LinkRecord* block_nodes(GeometryBlock* block);
uint8_t* block_cam_params(GeometryBlock* block);     // null for kind 0
uint8_t* block_text_layout(GeometryBlock* block);    // null unless kind 2
uint8_t block_cam_op(const GeometryBlock* block);    // CamOp, 0 for kind 0
void set_block_cam_op(GeometryBlock* block, uint8_t op);
int16_t block_machining_group(const GeometryBlock* block);
int16_t block_machining_order(const GeometryBlock* block);
// The record walk: the point at the end of a record's link.
inline const PointF& next_point(const LinkRecord* r) { return r[1].point; }
// The first record that belongs to the item's own links (2 for a symmetric polyline).
LinkRecord* own_links_start(LinkRecord* first);
// Walks back from any record of an item to its record 0.
LinkRecord* record_zero_of(LinkRecord* r);

// ---- point-item array fields (bytes of the closing record's Z) ----
uint8_t point_array_columns(const LinkRecord* closing);
uint8_t point_array_rows(const LinkRecord* closing);
uint8_t point_array_kind(const LinkRecord* closing);
void set_point_array(LinkRecord* closing, uint8_t columns, uint8_t rows, uint8_t kind);

// ---- link codes ----
bool code_is_arc(float code);
bool code_is_line(float code);                 // 0 or -1
bool code_is_curve(float code);                // -4 and below
float point_code_radius(float code);           // r of a point code -64 - r

// ---- creating, copying, resizing ----
// Appends a new item with a block of link_count links to the current list; records (may be
// null) supplies 52 n + 16 bytes to copy. 0, or -1 when memory or the list refuses.
int new_geometry_block(const char* text, const LinkRecord* records, int32_t link_count,
                       uint8_t layer, uint8_t cam_kind);
// Appends a copy with k extra links at the end (k > 0) or -k at the front (k < 0).
int copy_item_with_extra_links(DrawingItem* item, int k);
LinkRecord* grow_node_array(DrawingItem* item, int k);
LinkRecord* shrink_node_array(DrawingItem* item, int k);
void renumber_nodes(DrawingItem* item, int start);

// ---- boxes, arcs, extents ----
void box_add_point(LinkRecord* r, const PointF* p);
void link_bounding_box(LinkRecord* r);
LinkRecord* item_bounding_boxes(DrawingItem* item);
void arc_angles_from_points(LinkRecord* r);
void rederive_arc(LinkRecord* r);
int remove_zero_length_links(DrawingItem* item);
void item_extents(DrawingItem* item, PointF* out_min, PointF* out_max);
void grow_box_by_item(DrawingItem* item, PointF* min, PointF* max);
void working_items_extents(PointF* out_min, PointF* out_max);
// Flags for centre_drawing.
constexpr int CENTRE_IN_X = 0x01;
constexpr int CENTRE_IN_Y = 0x02;
constexpr int CENTRE_HIDDEN_LAYERS = 0x10;
void centre_drawing(int flags);

// ---- kind conversions ----
// The conversions ask the user through the geometry host (geometry/geometry_host.h).
int make_plain_polyline(DrawingItem* item);
int convert_to_symmetric_polyline(DrawingItem* item);
int convert_to_perpendicular_symmetric(DrawingItem* item);
int drop_symmetry(DrawingItem* item);
void make_nodes_loose(DrawingItem* item);

// ---- runs of links sharing a code ----
constexpr int SET_CODE_STOP_AT_JUMP = 0x01;
void set_code_from_node(LinkRecord* r, float code, int options);
void set_code_on_run(LinkRecord* r, float code);
LinkRecord* find_run_start(LinkRecord* r, float code);
LinkRecord* find_run_end(LinkRecord* r, float code);
LinkRecord* find_curve_run_start(LinkRecord* r, float code);
LinkRecord* find_curve_run_end(LinkRecord* r, float code);
int recode_all_lines(float code);

// ---- item-wide transforms used by commands and the offset engine ----
// Adds v to every node point, the centres that carry geometry, and every link box.
void translate_item(DrawingItem* item, const PointF* v);
// translate_item on the item and on every item after it in its list.
void translate_item_chain(DrawingItem* item, const PointF* v);
// Fills the four links of an axis-parallel rectangle item (four links) from its upper-left
// corner clockwise: flexible lines along the top and bottom, rigid lines down the sides, every
// node loose, numbered on from the node counter.
void build_rectangle_links(DrawingItem* item, const PointF* corner, float height, float width);
// Places the nodes from `first` on (wrapping past the closing record to record 0) on the
// circle about centre_record's centre, in steps of 2pi / n (clockwise when centre_record has
// LINK_CLOCKWISE). Returns the last record placed.
LinkRecord* place_polygon_nodes(LinkRecord* first, LinkRecord* centre_record, float radius,
                                double start_angle, int node_count);
// Into [0, 2pi) by one turn at most; results below 0.0001 become 0.
double normalize_angle(double angle);
// Results of offset_link.
constexpr int OFFSET_LINK_DONE = 0;
constexpr int OFFSET_LINK_ARC_COLLAPSED = 1;   // the new radius would be below 0.00001
constexpr int OFFSET_LINK_ZERO_LENGTH = 2;     // a straight link of no length
constexpr int OFFSET_LINK_UNHANDLED = -2;      // box, Bezier, quadratic and point links
// Writes the link (with its next point) offset by distance to the right of its travel into
// out[0] and out[1].point; out may be the source.
int offset_link(const LinkRecord* source, float distance, LinkRecord* out);
// Replaces every spline run of the item, in place, by flexible lines through the sampled
// curve (Z kept along 3-D runs). Record pointers into the item are stale afterwards. 0.
int flatten_splines(DrawingItem* item);

// ---- stored layouts (little-endian, 4-byte floats, field by field) ----
void write_link_record(const LinkRecord* r, uint8_t out[LINK_RECORD_SIZE]);
void read_link_record(const uint8_t in[LINK_RECORD_SIZE], LinkRecord* r);
void write_link_node_part(const LinkRecord* r, uint8_t out[LINK_NODE_PART_SIZE]);
void read_link_node_part(const uint8_t in[LINK_NODE_PART_SIZE], LinkRecord* r);
void write_link_job_part(const LinkRecord* r, uint8_t out[LINK_JOB_PART_SIZE]);
void read_link_job_part(const uint8_t in[LINK_JOB_PART_SIZE], LinkRecord* r);
void write_geometry_header(const GeometryBlock* block, uint8_t out[GEOMETRY_HEADER_SIZE]);
void read_geometry_header(const uint8_t in[GEOMETRY_HEADER_SIZE], GeometryBlock* block);
// Stored size of a whole block: header, machining/text bytes, 52 n + 16.
size_t geometry_block_stored_size(uint8_t cam_kind, int32_t link_count);
// Writes a whole block; out must hold geometry_block_stored_size bytes. Returns the bytes.
size_t write_geometry_block(const GeometryBlock* block, uint8_t* out);
// Result codes of the block reader.
constexpr int GEOMETRY_READ_OK = 0;
constexpr int GEOMETRY_READ_SHORT = -1;       // fewer bytes than the header or the count needs
constexpr int GEOMETRY_READ_BAD_COUNT = -2;   // link count below 1
constexpr int GEOMETRY_READ_BAD_KIND = -3;    // CAM kind not 0, 1 or 2
constexpr int GEOMETRY_READ_NO_MEMORY = -4;
// Reads a whole stored block from at most size bytes into out_block, an item's extra block
// (laid out for memory, closing record included); *out_used gets the bytes consumed. The
// count is checked against size before anything is allocated.
int read_geometry_block(const uint8_t* in, size_t size, std::vector<uint8_t>* out_block,
                        size_t* out_used);
// The 20 bytes the job file keeps of a drawing item's line: id, kind, state, attributes.
void write_item_header(const DrawingItem* item, uint8_t out[ITEM_HEADER_SIZE]);
void read_item_header(const uint8_t in[ITEM_HEADER_SIZE], DrawingItem* item);
