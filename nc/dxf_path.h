// DXF export of the tool path: after an NC run made with the export's temporary post-processor
// definition (output kind 3), the path code is written as an ASCII DXF file (CR LF line ends): a
// HEADER with the drawing's extents, empty TABLES and BLOCKS, and the moves as LINE, ARC, CIRCLE
// and POINT entities on layer 0. Every LINE carries the Z of both its ends, so a cut that follows
// a plunge starts at the cut depth. The file ends "EOF" CR LF.
#pragma once

#include <string>

constexpr char DXF_CREATE_FAILED_MESSAGE[] = "Couldn't create DXF file!";

// What the export writes to, and how the last write went.
struct DxfExportState {
  std::string path;     // the DXF file of the export in progress
  bool written = false; // the last dxf_write_path wrote the whole file
  std::string failure;  // why it did not; empty when it did
  int entities = 0;     // entities of the last file written
};
inline DxfExportState g_dxf_export;

// ---- Entities (each appends its text to `out`) ----------------------------------------------------
void dxf_write_header(std::string* out, double min_x, double min_y, double max_x, double max_y);
void dxf_write_line(std::string* out, double x1, double y1, double x2, double y2, double z1,
                    double z2);
void dxf_write_arc(std::string* out, double cx, double cy, double cz, double radius,
                   double start_degrees, double end_degrees);
void dxf_write_circle(std::string* out, double cx, double cy, double cz, double radius);
void dxf_write_point(std::string* out, double x, double y, double z);
void dxf_write_trailer(std::string* out);

// Writes the path code of the run to g_dxf_export.path. False when the file could not be
// created or the path code holds what the writer can not draw (the failure says which; the
// user is told through the host).
bool dxf_write_path();
