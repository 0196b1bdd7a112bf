// The options of a drawing import, kept in the preferences so that they survive between runs;
// the import forms fill them and import_drawing reads them.
#pragma once

#include <cstdint>
#include <string>

// File types of the import form.
constexpr uint8_t IMPORT_TYPE_DXF = 0;
constexpr uint8_t IMPORT_TYPE_PLOTTER = 1;
constexpr uint8_t IMPORT_TYPE_NC = 2;
constexpr uint8_t IMPORT_TYPE_NC_ABSOLUTE_CENTRES = 3;

struct ImportOptions {
  uint8_t file_type = IMPORT_TYPE_DXF;
  uint8_t cut_type = 1;              // cut type of the imported items; 0 = not machined
  uint8_t layer_names_off = 0;       // the form's row 4: DXF layer names are not matched
  uint8_t fixed_layer = 0;           // a layer for every imported item; 0 = none chosen
  uint8_t join = 0;                  // join touching items into polylines
  float join_tolerance = 0.005f;     // job units (0.0002 in an inch job)
  uint8_t optimise = 0;              // reorder the items for a short travel
  std::string dxf_folder;            // last folder of a DXF file ("" = not chosen yet)
  std::string plotter_folder;        // last folder of a plotter file
};
