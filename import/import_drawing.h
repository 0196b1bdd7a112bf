// Bringing drawings made elsewhere into the job: import_geometry writes the temporary item file
// from a DXF, plotter or NC file, read_temp_item_file makes items of it, import_drawing runs
// the whole road for the File menu and load_template_file for the job's template drawing.
#pragma once

#include <string>

#include "records/import_options.h"
#include "import/import_run.h"
#include "store/line_list.h"

constexpr char DXF_EXPLODER_NAME[] = "KR_X_DXF.EXE";
constexpr char EXPLODED_DXF_NAME[] = "ERASEME.DXF";
constexpr char MISSING_EXPLODER_NOTE[] =
    "NOTE: You are missing the DXF block exploder;\nif you import a DXF file, its blocks and "
    "inserts will be ignored.";
constexpr char TEMPLATE_FILTER[] =
    "Autocad DXF files (*.dxf)|*.dxf|NC files|*.nc;*.cam;*.ncc;*.dnc|HP Plotter files|*.plt;*.prn";

// Results of import_geometry.
constexpr int IMPORT_OK = 0;
constexpr int IMPORT_FAILED = 1;            // not readable, a write failed or Esc
constexpr int IMPORT_NO_TEMP_FILE = -4;     // ERASE.ME cannot be created (reported)

// Modes of import_drawing.
constexpr int IMPORT_MODE_FORM = 0;         // File-menu option 21
constexpr int IMPORT_MODE_TEMPLATE = 1;     // option 104: choose the template drawing
constexpr int IMPORT_MODE_LAYER_TABLE = 2;  // option 22: DXF with the layer-name table

// The import's state between runs.
struct ImportState {
  std::string work_folder;        // where ERASE.ME and ERASEME.DXF are made ("" = program folder)
  std::string exploder_folder;    // where the exploder is looked for ("" = program folder)
  std::string template_path;      // the template drawing loaded last
  LineList template_items;        // its items, shown behind the drawing
};
extern ImportState g_import;
void reset_import_state();  // frees the template items too

std::string temp_item_file_path();
// The file type taken from the file's extension when the flags name none.
int import_type_flags(const std::string& path, int flags);
// The type flags of the import form's file type (3 NC with absolute centres, 2 NC, 1 plotter,
// 0 by extension).
int form_type_flags(int file_type);

// Writes ERASE.ME from the drawing file. IMPORT_OK, IMPORT_FAILED or IMPORT_NO_TEMP_FILE.
int import_geometry(const std::string& path, int flags);

// The whole import of the File menu: `path` is the file the form chose (mode 1 asks the host's
// file chooser). Returns the result of the last step: 0 when nothing was imported or the
// import was refused, 1 when items were imported, or the template was chosen.
int import_drawing(int mode, ImportOptions* options, const std::string& path);

// Loads the template drawing: 1 loaded, 0 kept from before, -1 no items or not readable, -2 the
// import failed.
int load_template_file(const std::string& path);
