// The File menu's DXF export of the tool path: its form (file, folder, what to export, the
// tolerance), then the NC run that writes the file; and the command that puts the template
// drawing on one layer.
#pragma once

#include <cstdint>
#include <string>

#include "screen/event_queue.h"

constexpr char DXF_FILE_FILTER[] = "Autocad DXF files (*.dxf)|*.dxf";
constexpr char DXF_NO_FILE_MESSAGE[] = "You must specify a file!";
constexpr char NO_TEMPLATE_MESSAGE[] =
    "\x1d!!\vYou never specified a template!\nBefore you can change the layer of the template you "
    "must select a CAD file to become a template!";
constexpr char TEMPLATE_UNREAD_MESSAGE[] =
    "The template file didnt read... check if it still exists and is a valid CAD file.";

// The output-option bits of the job that the form's three yes/no rows set, in row order: drawing
// aids (items without machining), tool paths of the pocket and contour phases, item outlines.
constexpr uint8_t DXF_OPTION_BITS[3] = {8, 1, 4};
constexpr float DXF_LEAST_TOLERANCE = 0.0001f;

// The form's values, kept while the program runs.
struct DxfExportForm {
  std::string name;         // the file name; its extension becomes "dxf" on OK
  std::string folder;       // ends with '/'; empty until the first export: the data folder
  uint8_t options[3] = {};  // 1 = yes, by DXF_OPTION_BITS
  std::string path;         // folder + name of the form accepted last
};
inline DxfExportForm g_dxf_form;

// The form's field handler.
EventCode dxf_export_field();
// The form, and on OK the export of the current job's tool path into the file it names. The
// tolerance edited in the form serves this export only; the output options chosen stay with the
// job. The job is marked changed either way. 1 when the file was written; 0 when the form was
// cancelled or the export failed (the failure was told through the NC host).
int dxf_export();

// Puts every item of the job's template drawing on the layer the user picks. 1 when the layer
// list was offered (whether or not one was picked); 0 after a message (no template named, or it
// does not read).
int template_set_layer();
