// The numbers of the message catalogue that the code asks for. Code never writes a catalogue
// number as a bare literal: it names it here, and the catalogue check test holds every name
// against the built catalogue files (both the inch and the metric one).
//
// Adding a message: write its text under "~N" in data/messages.txt (and in
// data/messages_metric.txt when millimetre users must read something else), then name N here
// as a constexpr int whose name starts with MSG_ (only catalogue numbers do, and only here).
// The check test reads the rest of the name:
//   MSG_MENU_...    a menu: title line, then item lines "[!][>PICTURE] ID [SUBMENU] TEXT"; its
//                   submenus are checked too (no loops, at most a submenu of a submenu)
//   MSG_FORM_...    a dialog form: N holds the form, N + 1 its field help; both must exist.
//                   FORM_..._FIELDS (the same name without MSG_) is the number of rows its
//                   field handler edits: the form has that many labels and twice that many
//                   help lines
//   MSG_CHOICE_...  a choice prompt (-20001 and below) whose first line holds the choice words,
//                   each with the highlight code before its hot letter
//   MSG_..._FIRST and MSG_..._LAST  a run of consecutive numbers that must all exist
//   MSG_...         any other message
// Counts and indices into the catalogue arrays loaded at start-up carry no MSG_ prefix.
#pragma once

#include <cstdint>

// ---- The colour palette dialog --------------------------------------------------------------

// The dialog's title, then the name of each palette entry (line n names entry n).
constexpr int MSG_PALETTE_NAMES = 1;
constexpr int PALETTE_NAMED_ENTRIES = 160;

// ---- The folder picker ------------------------------------------------------------------------

constexpr int MSG_TREE_HELP_SHORT = 250;             // the help box when it is narrow
constexpr int MSG_TREE_HELP = 251;                   // the help box of a picker given none
constexpr int MSG_TREE_BUILD_NOTICE = 253;           // shown while a tree is built
constexpr int MSG_TREE_NEW_FOLDER = 254;             // the prompt of a new folder's name
constexpr int MSG_TREE_DELETE_FILES_QUESTION = 9002; // delete every file of a removable place
constexpr int MSG_TREE_DELETE_FILES_NOTICE = 9003;
constexpr int MSG_TREE_ROOT_NOT_DELETED = 10050;     // a place's own folder stays
constexpr int MSG_TREE_FOLDER_NOT_EMPTY = 21050;     // after the folder's path

// ---- Texts loaded at start-up into the catalogue arrays ---------------------------------------

// Messages 3000-3024, one text each (the short texts of the program).
constexpr int MSG_STARTUP_TEXTS_FIRST = 3000;
constexpr int MSG_STARTUP_TEXTS_LAST = 3024;
constexpr int STARTUP_TEXT_COUNT = MSG_STARTUP_TEXTS_LAST - MSG_STARTUP_TEXTS_FIRST + 1;
constexpr int MSG_PRESS_ESC_TO_CANCEL = 3000;   // "Press ESC to cancel" of the status line
constexpr int MSG_TOOL_LIST_CHANGED = 3024;     // the save question for a changed tool list

// The four shading styles ("Leave 'em" ...), one line each, by the style byte.
constexpr int MSG_SHADING_STYLE_NAMES = 3100;
constexpr int SHADING_STYLE_NAME_COUNT = 4;
// Month names, one line each: line n is month n (line 0 is empty).
constexpr int MSG_MONTH_NAMES = 3101;
constexpr int MONTH_NAME_COUNT = 13;
// The word list, one word or short phrase a line.
constexpr int MSG_WORD_LIST = 3200;
constexpr int WORD_LIST_COUNT = 23;
constexpr int WORD_LIST_BACKUP_MADE = 21;       // shown once a saved file's old copy is the backup

// ---- Start-up notices (press-a-key boxes) ----------------------------------------------------

constexpr int MSG_SMALL_FACES_NOTICE = 15040;      // the display mode fell back to smaller faces
constexpr int MSG_FEW_COLOURS_NOTICE = 15042;      // the screen shows 256 colours or fewer
constexpr int MSG_SMALL_WINDOW_NOTICE = 15045;     // smaller faces, though the screen is tall
constexpr int MSG_NOTHING_TO_PROOF = 15044;        // the NC program's back-plot moved nothing

// ---- Menus built at start-up ------------------------------------------------------------------

constexpr int MSG_MENU_SCREEN_SIZE = 13;        // display modes and form position
constexpr int MSG_MENU_ENGRAVING_LIST = 20;     // the Engraving list page menu
constexpr int MSG_MENU_FILE = 23;               // the File menu of the pages
constexpr int MSG_MENU_DRAW = 24;               // the Drawing page's Draw menu
constexpr int MSG_MENU_DRAWING_MAIN = 30;       // the Drawing page's main menu
constexpr int MSG_MENU_EDIT = 34;               // the Drawing page's Edit menu
constexpr int MSG_MENU_IMAGE = 47;              // the Drawing page's Image menu
constexpr int MSG_MENU_NC_PAGE = 3;             // the NC program page's menu
constexpr int MSG_MENU_NC_EDIT = 11;            // its Edit submenu
constexpr int MSG_MENU_NC_SEND = 12;            // its send-and-receive submenu
constexpr int MSG_MENU_NC_SETTINGS = 14;        // its Settings submenu
constexpr int MSG_MENU_JOB_SETUP = 780;         // the Job setup page menu
constexpr int MSG_MENU_JOB_SETUP_FILE = 782;    // the Job setup page's File menu
constexpr int MSG_MENU_MARKS = 930;             // the Drawing page's Marks menu

// ---- Job files ----------------------------------------------------------------------------------

constexpr int MSG_JOB_NOT_REPLACED = 16010;      // the old job file could not become the backup
constexpr int MSG_JOB_NOT_RENAMED = 16011;       // the new job file could not take the name
constexpr int MSG_JOB_NOT_WRITTEN = 20070;       // after "path [reason] ": the write failed
constexpr int MSG_JOB_TEMP_NOT_CREATED = 20071;  // after "path and temp [reason] "

// ---- The background image ----------------------------------------------------------------------

constexpr int MSG_IMAGE_PIXELS_PER_INCH = 4000;  // the question when a file gives no resolution

// ---- NC runs: checks of the make-NC driver ----------------------------------------------------

constexpr int MSG_CHOICE_MISSING_TOOL = -23050;        // an item's cut has no tool: defaults or stop
constexpr int MSG_SURFACE_NEEDS_RADIUS = 10760;        // the work surface has no radius
constexpr int MSG_SURFACE_NEEDS_SLOPE = 10761;         // the sloping surface has no slope angle
constexpr int MSG_SURFACE_NEEDS_ANGLE = 10762;         // the surface has no angle
constexpr int MSG_SURFACE_NEEDS_ABSOLUTE = 10763;      // a 4th-axis surface with incremental output
constexpr int MSG_SURFACE_NEEDS_SECOND_RADIUS = 10764; // the surface has no second radius
constexpr int MSG_NOTHING_TO_MACHINE = 15005;          // no item is set for machining
constexpr int MSG_SURFACE_POINT_PULLED = 15201;        // a tube-of-torus point was pulled onto the tube

// ---- The text editor ----------------------------------------------------------------------------

constexpr int MSG_RENAME_NO_NAME = 10071;       // renaming a buffer's file: the buffer has no name
constexpr int MSG_RENAME_TARGET_EXISTS = 10072; // renaming: the new name is taken
constexpr int MSG_RENAME_FAILED = 10073;        // renaming: any other failure
constexpr int MSG_RENAME_NO_FILE = 10075;       // renaming: the named file is not on the disk
constexpr int MSG_BUFFER_READ_ONLY = 10081;     // a read-only buffer is not saved
constexpr int MSG_NO_FILE_TO_DELETE = 10080;    // deleting the file of a buffer without one
constexpr int MSG_SEND_NO_BLOCK = 16030;        // sending the marked block without one
constexpr int MSG_SEND_LAST_LINE = 16031;       // sending from the cursor on the last line
constexpr int MSG_SEND_EMPTY_BUFFER = 16032;    // sending an empty buffer
constexpr int MSG_LOAD_LIST_FILE_GONE = 20056;  // after the file's name: taken off the load list
constexpr int MSG_CHOICE_DELETE_BUFFER_FILE = -22040;  // delete the buffer's file and close it?
constexpr int MSG_CASE_NEEDS_BLOCK = 10210;  // a case key with no block marked
constexpr int MSG_UNREAD_TEXT_FAILED = 14100;  // the unread rest of a file could not be read
constexpr int MSG_MAIL_NOT_SENT = 14300;       // no mail program took the mail; the .eml follows
constexpr int MSG_TOO_MANY_FILES = 16000;      // opening a file: too many files open
constexpr int MSG_ACCESS_DENIED = 16001;       // opening a file: access denied
constexpr int MSG_CHOICE_SAVE_UNNAMED_BUFFER = -22011;  // save a changed buffer with no file?
constexpr int MSG_CHOICE_SAVE_NAMED_BUFFER = -22010;    // save a changed buffer's file?
constexpr int MSG_SAVE_NAMED_JOB = -22025;    // save a changed job to its file first?
constexpr int MSG_SAVE_UNNAMED_JOB = -22022;  // a changed job without a file name: save first?
constexpr int MSG_RECENT_JOBS_ONE_ONLY = 10055;     // more than one recent job checked
constexpr int MSG_RECENT_JOB_NOT_READABLE = 20057;  // after the path: it leaves the recent list
constexpr int MSG_SAVE_UNNAMED_BEFORE_OPEN = -22020;  // a changed job without a name, before open
constexpr int MSG_SAVE_UNNAMED_BEFORE_NEW = -22021;   // ... before a new job
constexpr int MSG_SAVE_NAMED_BEFORE_OPEN = -22023;    // a changed job with a file, before open
constexpr int MSG_SAVE_NAMED_BEFORE_NEW = -22024;     // ... before a new job
constexpr int MSG_CHOICE_DELETE_JOB = -22026;         // delete the job's file?
constexpr int MSG_NO_JOB_FILE_TO_DELETE = 10082;      // delete without a job file
constexpr int MSG_JOB_NOT_DELETED = 20058;            // after "path (reason)": the file stays
constexpr int MSG_SAVE_DURING_EDIT = 10057;           // saving refused while an edit runs
constexpr int MSG_TEXT_LINE_SPACING = 910;
constexpr int MSG_DXF_LAYER_NAMES_NOTE = 1020;        // shown above the DXF layer-name list
constexpr int MSG_FORM_DXF_LAYER_ENTRY = 1018;        // one DXF layer name's machining and colour
constexpr int FORM_DXF_LAYER_ENTRY_FIELDS = 9;            // the text import's line spacing prompt
constexpr int MSG_CONVERT_TO_INCH = -23020;           // the job is now in inches: convert items?
constexpr int MSG_CONVERT_TO_MILLIMETRE = -23021;     // ... now in millimetres
constexpr int MSG_SURFACE_NOTE = 11001;               // the oval and the top of a vertical torus
constexpr int MSG_SHORT_FEED_ZERO = 11016;            // a short-move feed of 0 becomes 60
constexpr int MSG_TEXT_NOT_SAVED = 16020;      // after "path: step (reason)": the save failed

// ---- Dialog forms ---------------------------------------------------------------------------------

// The file-name dialog's forms: the bar, the name, the extension and the folder.
constexpr int MSG_FORM_SEQUENCE = 120;          // sequence numbers of an NC program
constexpr int FORM_SEQUENCE_FIELDS = 7;
constexpr int MSG_FORM_FIND = 124;              // the find text and its options
constexpr int FORM_FIND_FIELDS = 6;
constexpr int MSG_FORM_REPLACE = 126;           // the find and replace texts and their options
constexpr int FORM_REPLACE_FIELDS = 7;
constexpr int MSG_FORM_SAVE_COPY = 130;          // a file's copy elsewhere
constexpr int FORM_SAVE_COPY_FIELDS = 4;
constexpr int MSG_FORM_NC_FILE_NAME = 132;       // the NC program's file name
constexpr int FORM_NC_FILE_NAME_FIELDS = 4;
constexpr int MSG_FORM_RENAME_FILE = 138;        // a buffer's file renamed (folder fixed)
constexpr int FORM_RENAME_FILE_FIELDS = 4;
constexpr int MSG_FORM_CHANGE_TEXT_PARAMETERS = 142;  // form 142: change many items' values
constexpr int FORM_CHANGE_TEXT_PARAMETERS_FIELDS = 26;
constexpr int MSG_NOTE_CHANGE_TEXT_PARAMETERS = 144;  // the note beside form 142
constexpr int MSG_NOTE_SPACE_TEXT_ITEMS = 148;        // the note beside form 149
constexpr int MSG_FORM_SPACE_TEXT_ITEMS = 149;        // form 149: space text items apart
constexpr int FORM_SPACE_TEXT_ITEMS_FIELDS = 10;
constexpr int MSG_FORM_INTERFACE_SETTINGS = 154;  // carets, delays and scroll steps
constexpr int FORM_INTERFACE_SETTINGS_FIELDS = 10;
constexpr int MSG_FORM_EDITOR_SETTINGS = 156;     // the editor's folder, extension and options
constexpr int FORM_EDITOR_SETTINGS_FIELDS = 9;
constexpr int MSG_FORM_POST_PROCESSOR = 160;       // one NC format (post-processor definition)
constexpr int FORM_POST_PROCESSOR_FIELDS = 19;
// The help of its code sections, by the section they explain.
constexpr int MSG_HELP_CODE_START = 80;
constexpr int MSG_HELP_CODE_TOOL_CHANGE = 81;
constexpr int MSG_HELP_CODE_FINISHED_LINE = 82;
constexpr int MSG_HELP_CODE_END = 83;
constexpr int MSG_HELP_CODE_DRILL_TAP = 84;      // the two sections no row edits
constexpr int MSG_HELP_CODE_PAUSE_RESET = 85;
constexpr int MSG_FORM_TEXT_PRINT = 202;           // printing a text: header, pages, margins
constexpr int FORM_TEXT_PRINT_FIELDS = 12;
constexpr int MSG_FORM_PRINTER_SETUP = 204;        // the printer: destination, paper, orientation
constexpr int FORM_PRINTER_SETUP_FIELDS = 4;
constexpr int MSG_FORM_DRAWING_PRINT = 210;        // printing the drawing: scale, rulers, pages
constexpr int FORM_DRAWING_PRINT_FIELDS = 14;
constexpr int MSG_FORM_PREFERENCES = 166;         // the user's preferences and job defaults
constexpr int FORM_PREFERENCES_FIELDS = 18;
constexpr int MSG_FORM_GRID_OPTIONS = 370;        // the Drawing page's grid and snap options
constexpr int FORM_GRID_OPTIONS_FIELDS = 11;
constexpr int MSG_FORM_JOB_SETUP = 760;           // the job settings dialog of the Job setup page
constexpr int FORM_JOB_SETUP_FIELDS = 24;
constexpr int MSG_FORM_JOB_OPTIONS = 762;         // more job settings: cut types, output, units
constexpr int FORM_JOB_OPTIONS_FIELDS = 7;
constexpr int MSG_FORM_IMPORT_OPTIONS = 266;      // a drawing import: type, file, layers, join
constexpr int FORM_IMPORT_OPTIONS_FIELDS = 9;
constexpr int MSG_FORM_DXF_EXPORT = 268;          // the DXF export of the tool path
constexpr int FORM_DXF_EXPORT_FIELDS = 7;

constexpr int MSG_FORM_IMPORT_DXF = 270;          // a DXF import by the layer-name table
constexpr int FORM_IMPORT_DXF_FIELDS = 6;
constexpr int MSG_FORM_RAPID_SETTINGS_INCH = 280; // the time estimate's rapid speeds, inch jobs
constexpr int FORM_RAPID_SETTINGS_INCH_FIELDS = 9;
constexpr int MSG_FORM_RAPID_SETTINGS_MM = 282;   // the same for millimetre jobs
constexpr int FORM_RAPID_SETTINGS_MM_FIELDS = 9;
constexpr int MSG_FORM_STAIRS_STAIR = 766;        // the staircase designer: the stair's values
constexpr int FORM_STAIRS_STAIR_FIELDS = 18;
constexpr int MSG_FORM_STAIRS_STRINGER = 768;     // the stringer of housed treads and risers
constexpr int FORM_STAIRS_STRINGER_FIELDS = 8;
constexpr int MSG_FORM_STAIRS_TABLE = 770;        // the machine table the stringers go on
constexpr int FORM_STAIRS_TABLE_FIELDS = 12;
constexpr int MSG_FORM_STAIRS_SPECIAL_STRINGER = 772;  // the stringer of the third designer
constexpr int FORM_STAIRS_SPECIAL_STRINGER_FIELDS = 16;
constexpr int MSG_FORM_STAIRS_SHORT_STAIR = 774;  // the third designer's five-step stairs
constexpr int FORM_STAIRS_SHORT_STAIR_FIELDS = 18;
constexpr int MSG_FORM_STAIRS_TREADS_STRINGER = 776;  // the stringer of tread housings
constexpr int FORM_STAIRS_TREADS_STRINGER_FIELDS = 12;
constexpr int MSG_FORM_STAIRS_CUT_STRINGER = 778; // the cut stringer
constexpr int FORM_STAIRS_CUT_STRINGER_FIELDS = 20;
constexpr int MSG_FORM_STAIRS_TREADS_STAIR = 786; // the stair of tread housings
constexpr int FORM_STAIRS_TREADS_STAIR_FIELDS = 18;
constexpr int MSG_FORM_STAIRS_SHORT_STRINGER = 788;  // the stringer of the five-step stairs
constexpr int FORM_STAIRS_SHORT_STRINGER_FIELDS = 16;
constexpr int MSG_FORM_TEXT_FORMAT = 300;          // a character's size and raise
constexpr int FORM_TEXT_FORMAT_FIELDS = 3;
constexpr int MSG_FORM_GO_TO_LINE = 800;          // one number: the line to go to
constexpr int FORM_GO_TO_LINE_FIELDS = 2;
constexpr int MSG_FORM_MACHINING_GROUP = 802;     // one number: an item's machining group
constexpr int FORM_MACHINING_GROUP_FIELDS = 2;
constexpr int MSG_FORM_TOOL_RECORD = 164;         // one tool of the tool list
constexpr int FORM_TOOL_RECORD_FIELDS = 12;
constexpr int MSG_TOOL_WITHOUT_SIZE = 10140;     // a named tool has no size, plus its shape (0-2)
constexpr int MSG_FEED_RATE_PROMPT = 9100;       // above the feed-rate list, plus the caller's code
constexpr int MSG_FORM_CHANGE_LAYER = 1000;       // layer and operation of the marked items
constexpr int FORM_CHANGE_LAYER_FIELDS = 3;
constexpr int MSG_FORM_CHANGE_ROUGHING = 1002;     // roughing tools of filtered items
constexpr int FORM_CHANGE_ROUGHING_FIELDS = 26;
constexpr int MSG_FORM_CHANGE_FINISHING = 1004;    // finishing tools of contours and pockets
constexpr int FORM_CHANGE_FINISHING_FIELDS = 26;
constexpr int MSG_FORM_CHANGE_CENTERLINE = 1006;   // the tools of centerline items
constexpr int FORM_CHANGE_CENTERLINE_FIELDS = 24;
constexpr int MSG_FORM_CHANGE_ALL_TOOLS = 1016;    // both tools of every item
constexpr int FORM_CHANGE_ALL_TOOLS_FIELDS = 24;
constexpr int MSG_FORM_CHANGE_FILTER = 1008;      // layer and operation of filtered items
constexpr int FORM_CHANGE_FILTER_FIELDS = 8;
constexpr int MSG_FORM_REORDER_OPTIONS = 1010;    // the re-order's options
constexpr int FORM_REORDER_OPTIONS_FIELDS = 3;
constexpr int MSG_FORM_FINISHING_TOOL = 180;      // an item's finishing tool
constexpr int FORM_FINISHING_TOOL_FIELDS = 15;
constexpr int MSG_FORM_ROUGHING_TOOL = 182;       // an item's roughing tool
constexpr int FORM_ROUGHING_TOOL_FIELDS = 16;
constexpr int MSG_FORM_CENTERLINE_TOOL = 184;     // the tool of a centerline item
constexpr int FORM_CENTERLINE_TOOL_FIELDS = 14;
constexpr int MSG_FORM_DRILL_TOOL = 186;          // the drill of a drill point
constexpr int FORM_DRILL_TOOL_FIELDS = 9;

// ---- The item inspector and the item edit pages -------------------------------------------------
constexpr int MSG_FORM_CIRCLE_POINTS = 830;      // a circle through 2 or 3 typed points
constexpr int FORM_CIRCLE_POINTS_FIELDS = 7;
constexpr int MSG_FORM_CIRCLE_PAGE = 832;
constexpr int FORM_CIRCLE_PAGE_FIELDS = 6;
constexpr int MSG_FORM_RECTANGLE_PAGE = 834;     // a straight rectangle
constexpr int FORM_RECTANGLE_PAGE_FIELDS = 8;
constexpr int MSG_FORM_BENT_RECTANGLE_PAGE = 836;  // a rectangle bent along an arc
constexpr int FORM_BENT_RECTANGLE_PAGE_FIELDS = 8;
constexpr int MSG_FORM_SLOT_PAGE = 840;
constexpr int FORM_SLOT_PAGE_FIELDS = 7;
constexpr int MSG_FORM_POLYGON_PAGE = 842;
constexpr int FORM_POLYGON_PAGE_FIELDS = 9;
constexpr int MSG_FORM_ITEM_HEADER = 844;        // a polyline's header panel
constexpr int FORM_ITEM_HEADER_FIELDS = 23;
constexpr int MSG_FORM_ARC_PAGE = 848;           // an arc link of a polyline
constexpr int FORM_ARC_PAGE_FIELDS = 23;
constexpr int MSG_FORM_TEXT_ARC_PAGE = 850;        // a text wrapped on an arc
constexpr int FORM_TEXT_ARC_PAGE_FIELDS = 15;
constexpr int MSG_FORM_TEXT_PAGE = 852;            // a straight text
constexpr int FORM_TEXT_PAGE_FIELDS = 15;
constexpr int MSG_FORM_TEXT_VERTICAL_ARC_PAGE = 864;  // a vertical text on an arc
constexpr int FORM_TEXT_VERTICAL_ARC_PAGE_FIELDS = 15;
constexpr int MSG_CHOICE_FONT_KIND = -23000;       // a stroke font or a TrueType face
constexpr int MSG_FORM_ELLIPSE_PAGE = 856;
constexpr int FORM_ELLIPSE_PAGE_FIELDS = 5;
constexpr int MSG_FORM_POINT_PAGE = 858;         // a single point or a grid of points
constexpr int FORM_POINT_PAGE_FIELDS = 10;
constexpr int MSG_FORM_POINT_CIRCLE_PAGE = 862;  // a circle of points
constexpr int FORM_POINT_CIRCLE_PAGE_FIELDS = 10;
constexpr int MSG_FORM_SYMMETRY_LINE = 866;      // the symmetry line of a "Dual" polyline
constexpr int FORM_SYMMETRY_LINE_FIELDS = 23;
constexpr int MSG_FORM_ROUNDED_RECT_PAGE = 868;
constexpr int FORM_ROUNDED_RECT_PAGE_FIELDS = 11;
constexpr int MSG_FORM_CAM_ROWS_DRILL = 878;      // the machining rows of a drill point
constexpr int FORM_CAM_ROWS_DRILL_FIELDS = 10;
constexpr int MSG_FORM_CAM_ROWS = 880;            // the machining rows of a contour, pocket, blade
constexpr int FORM_CAM_ROWS_FIELDS = 11;
constexpr int MSG_FORM_CAM_ROWS_CENTERLINE = 882; // the machining rows of a centerline cut
constexpr int FORM_CAM_ROWS_CENTERLINE_FIELDS = 10;
constexpr int MSG_FORM_CAM_ROWS_ISLAND = 884;     // the machining rows of an island
constexpr int FORM_CAM_ROWS_ISLAND_FIELDS = 4;
constexpr int MSG_FORM_CAM_ROWS_DRAWING_AID = 886;  // the rows of an item not machined
constexpr int FORM_CAM_ROWS_DRAWING_AID_FIELDS = 2;
constexpr int MSG_FORM_LINK = 896;               // one link of a polyline
constexpr int MSG_FORM_BATCH_JOIN = 816;          // join touching polylines of a layer range
constexpr int FORM_BATCH_JOIN_FIELDS = 5;
constexpr int MSG_FORM_SEPARATE = 818;            // split polylines of a layer range into links
constexpr int FORM_SEPARATE_FIELDS = 4;
constexpr int MSG_FORM_DRILL_POINTS = 1012;       // circles to drill points
constexpr int FORM_DRILL_POINTS_FIELDS = 12;
constexpr int FORM_LINK_FIELDS = 23;
constexpr int MSG_NOTHING_SELECTED = 15006;      // a selection-mode operation without a selection
constexpr int MSG_CHOICE_FEWER_LINKS = -23005;   // links off the front or the end?
constexpr int MSG_CHOICE_MORE_LINKS = -23006;    // new links at the front or the end?

// ---- The Drawing page ---------------------------------------------------------------------------

constexpr int MSG_IMAGE_STRAIGHTEN_HELP = 508;    // help line of the image straightening mode
constexpr int MSG_IMAGE_FAINTNESS_HELP = 518;     // help line of the image faintness mode
constexpr int MSG_PROMPT_VIEW_CENTRE = 620;       // pick the new centre of the view
constexpr int MSG_DISPLAY_OPTIONS = 172;          // "Show": the check list of display options
constexpr int MSG_FORM_POINT_VALUES = 820;        // a picked point's new X and Y
constexpr int FORM_POINT_VALUES_FIELDS = 4;
constexpr int MSG_FORM_ROTATE_ALL = 822;          // rotate every item by an angle
constexpr int FORM_ROTATE_ALL_FIELDS = 5;
constexpr int MSG_FORM_MIRROR_ALL = 824;          // mirror every item about a line
constexpr int FORM_MIRROR_ALL_FIELDS = 7;
constexpr int MSG_PROMPT_SCALE_FACTOR = 901;      // scale all items by a typed factor
constexpr int MSG_PROMPT_SCALE_HEIGHT = 903;      // scale all items to a typed height
constexpr int MSG_PROMPT_SCALE_LENGTH = 904;      // scale all items to a typed length
constexpr int MSG_MENU_CHANGE = 920;              // the node editor's Change menu
constexpr int MSG_NOTHING_SHOWN = 10172;          // the display options would show nothing
constexpr int MSG_HELP_LAYER_LIST = 8116;         // help box while the layer list is open
constexpr int MSG_HELP_PASTE = 8117;              // help box while pasted items are placed
constexpr int MSG_HELP_MEASURE = 8118;            // beside the drawing while measuring
constexpr int MSG_HELP_TRIM_PICK_BOUNDARY = 8119; // TRIM and/or EXTEND before a boundary is chosen
constexpr int MSG_HELP_TRIM_EITHER = 8120;        // TRIM and/or EXTEND, "Extend or trim"
constexpr int MSG_HELP_START_POINT = 8125;        // COPY or MOVE by points: the start point
constexpr int MSG_HELP_ROTATE = 8129;             // ROTATE while the items turn
constexpr int MSG_HELP_PICK_ITEM = 8130;          // help box of the item and link prompts
constexpr int MSG_HELP_MOVE_MARKED_NODES = 8132;  // MOVE, Node, with nodes marked
constexpr int MSG_HELP_MOVE_NODE = 8133;          // MOVE, Node, nothing marked
constexpr int MSG_HELP_MOVE_LINK = 8135;          // MOVE, Link
constexpr int MSG_HELP_MOVE_ITEM = 8136;          // MOVE, Item
constexpr int MSG_HELP_TRIM_EXTEND_ONLY = 8139;   // TRIM and/or EXTEND, "Extend only"
constexpr int MSG_HELP_TRIM_ONLY = 8140;          // TRIM and/or EXTEND, "Trim only"
constexpr int MSG_HELP_ORDER_FIRST = 8144;        // SET MACHINING ORDER before the first
                                                  // pick, + mode (0 order, 1 group and order)
constexpr int MSG_HELP_ORDER_NEXT = 8146;         // and after it, + mode
constexpr int MSG_HELP_ORDER_LAST = 8147;
constexpr int MSG_HELP_SYMMETRY_ANGLE = 8148;    // help box of the Symmetry Angle dialog
constexpr int MSG_HELP_SNAP_X_POINT = 8162;       // help box while the X & Y snap asks its X
constexpr int MSG_HELP_SNAP_Y_POINT = 8163;       // help box while the X & Y snap asks its Y
constexpr int MSG_HELP_MOVE_LINK_ENTRY = 8164;    // help box while a link's move is typed
constexpr int MSG_HELP_MOVE_NODE_ENTRY = 8165;    // help box while a node's move is typed
constexpr int MSG_HELP_PICK_PERFORATE = 8166;     // help box of the prompt for a link to perforate
constexpr int MSG_TOUR_ENTRIES = 8200;            // the value forms' "Help me!" tour: the fields
constexpr int MSG_TOUR_TYPING = 8201;             // the tour: typing a value
constexpr int MSG_TOUR_PICKING = 8202;            // the tour: picking from the drawing
constexpr int MSG_TOUR_ZOOM = 8203;               // the tour: the zoom header
constexpr int MSG_TOUR_FINISHING = 8204;          // the tour: OK and Cancel
constexpr int MSG_HELP_PICK_NODE = 8205;          // help box of the node prompt
constexpr int MSG_PROMPT_MOVE_NODE_TO_POINT = 8206;  // a picked node goes to a construction point
constexpr int MSG_GEOMETRY_FAULT = 10767;         // the geometry engine met a fault it could not place
constexpr int MSG_CLOSED_LOOP_AMBIGUOUS = 10800;   // an open polyline touches several others
constexpr int MSG_NO_CLOSED_LOOP = 10801;          // an open polyline closes into no loop
constexpr int MSG_SINGLE_STROKE_AREA = 11017;      // a single-stroke text set to an area cut
constexpr int MSG_START_NODE_OPEN_POLYLINE = 10802;  // an open polyline's start is one of its ends
constexpr int MSG_NO_MATERIAL_BOX = 10820;        // centring needs the material box
constexpr int MSG_OPTION_NOT_IN_MENUS = 11000;    // option 118
constexpr int MSG_CLIPBOARD_EMPTY = 11002;        // paste with an empty item clipboard
constexpr int MSG_JOIN_CLOSED_POLYLINE = 11004;   // a closed polyline joins nothing
constexpr int MSG_ONLY_POLYLINES_MARKED_NODES = 11005;  // only polylines and marked nodes
constexpr int MSG_NO_INSERT_INTO_SYMMETRIC = 11010;  // '<' on a symmetric polyline
constexpr int MSG_NO_HIGHLIGHTED_LINK = 11015;    // zoom to the highlighted link without one
constexpr int MSG_LAYER_OFF_CHOSEN = 11018;       // a switched-off layer was chosen for new items
constexpr int MSG_CHOICE_POINT_ON_POINT = -23012; // another point on a point item?
constexpr int MSG_CHOICE_SCALE_BY = -23011;       // scale by a factor, a distance or a size?
constexpr int MSG_TANGENT_TO_SPLINE = 15046;      // the line form: a tangent to a spline run
// The node editor.
constexpr int MSG_DIVIDE_LINK_PARTS = 911;        // number of parts a link is divided into
constexpr int MSG_HELP_PARALLEL = 8111;           // help while a master line is chosen (parallel)
constexpr int MSG_HELP_PERPENDICULAR = 8112;      // help while a master line is chosen
constexpr int MSG_HELP_PARALLEL_DISTANCE = 8113;  // help while a separation is picked
constexpr int MSG_HELP_CONSTRUCT_ON_ARC = 8114;   // help of the construction menu on an arc
constexpr int MSG_HELP_CONSTRUCT_ON_LINE = 8115;  // help of the construction menu on a line
constexpr int MSG_HELP_NODE_DRAG = 8161;          // help box while a node or link is dragged
constexpr int MSG_ASK_START_NODE_ROUNDED = 8300;  // a start node makes a rounded rectangle plain
constexpr int MSG_ASK_START_NODE_SYMMETRIC = 8301;  // a start node makes a symmetric polyline plain
constexpr int MSG_OFFSET_BUTTON_CHOICE = -23040;  // OFFSET's middle and right button: finish?
constexpr int MSG_CHOICE_TEXT_OFFSET_SIDE = -23030;  // inside or outside of a text item
constexpr int MSG_HELP_OFFSET_ITEMS = 8105;       // OFFSET, entire polylines
constexpr int MSG_HELP_OFFSET_LINKS = 8106;       // OFFSET, individual links
constexpr int MSG_HELP_OFFSET_DRAG = 8138;        // while an offset follows the pointer
constexpr int MSG_FILLET_BUTTON_CHOICE = -23041;  // FILLET's middle and right button: finish?
constexpr int MSG_HELP_FILLET_NODES = 8107;       // FILLET, nodes in a polyline; + 35 by value at 0
constexpr int MSG_HELP_FILLET_DRAG = 8137;        // while a fillet follows the pointer
constexpr int MSG_FILLET_CURVE_REFUSED = 14210;   // curves next to the fillet cannot be filleted
constexpr int MSG_FUSE_INSIDE_UNDECIDED = 11003;  // fuse: which loop holds the other stayed open
constexpr int MSG_FUSE_NOT_A_LOOP = 11006;       // fuse: the item makes no closed loop
constexpr int MSG_FUSE_NOTHING_CHECKED = 11008;  // fuse: "Do it" with no result box checked
constexpr int MSG_NO_FILLET_CORNER = 11011;       // a fillet's neighbours do not meet
constexpr int MSG_SYMMETRY_MARKER_REFUSED = 11012;  // the symmetry line cannot be cut or filleted
constexpr int MSG_ITEM_CANNOT_GROW = 11013;       // no memory for a node: the edit is dropped
constexpr int MSG_CHOICE_FLEX_RIGID_RUN = -23001;  // flex a rigid line followed by rigid lines
constexpr int MSG_CHOICE_FLEX_RIGID = -23002;     // flex a rigid line
constexpr int MSG_CHOICE_FLEX_POLYGON = -23003;   // flex a side of a regular polygon
constexpr int RUBBER_PROMPT_BASE = 620;       // prompt of a dragged box: this + the mode
constexpr int MSG_RUBBER_ZOOM = 621;
constexpr int MSG_RUBBER_TEXT = 622;
constexpr int MSG_RUBBER_SYMBOL = 623;
constexpr int MSG_RUBBER_BOX = 624;
constexpr int MSG_RUBBER_PAN = 628;
constexpr int MSG_RUBBER_MEASURE = 636;
constexpr int MSG_RUBBER_LINE = 652;
constexpr int MSG_RUBBER_BOX_STATES_FIRST = 8010;  // click made, started, placed, moving, kept
constexpr int MSG_RUBBER_BOX_STATES_LAST = 8014;
constexpr int MSG_RUBBER_LINE_STATES_FIRST = 8020;
constexpr int MSG_RUBBER_LINE_STATES_LAST = 8024;
constexpr int MSG_RUBBER_ANCHORED_LINE = 8025;    // prompt of a line anchored at the pointer
constexpr int MSG_RUBBER_ENTRY_HELP = 8109;       // the size entry box waits
constexpr int MSG_RUBBER_TYPING_HELP = 8121;      // a size is typed or refused
constexpr int MSG_RUBBER_SIZE_TAKEN = 8122;       // a typed size was accepted
constexpr int MSG_NO_IMAGE_CHOSEN = 11021;        // an image option without an image
constexpr int IMAGE_LOAD_FAILED_BASE = 20089; // minus the load state: why it failed
constexpr int MSG_IMAGE_NOT_FOUND = 20090;      // after "The image PATH ": load state -1
constexpr int MSG_IMAGE_CANNOT_SHOW = 20091;    // after "The image PATH ": load state -2 (then the reason)

// ---- The machine link ---------------------------------------------------------------------------

constexpr int MSG_CHOOSE_PROTOCOL_PROMPTS_FIRST = 102;  // the protocol list's prompt by mode:
constexpr int MSG_CHOOSE_PROTOCOL_PROMPTS_LAST = 104;   // edit, pick for receiving, for sending
constexpr int MSG_FORM_PROTOCOL = 106;                  // one communication protocol
constexpr int FORM_PROTOCOL_FIELDS = 16;
constexpr int MSG_FORM_SERIAL_TERMINAL = 607;           // the serial terminal
constexpr int FORM_SERIAL_TERMINAL_FIELDS = 11;
constexpr int MSG_TERMINAL_PORT_CLOSED = 609;           // the terminal's port field: none open
constexpr int MSG_PROTOCOL_WITHOUT_NAME = 10100;        // a protocol without a name was picked
constexpr int MSG_PORT_NOT_OPENED = 10103;              // the port could not be opened or set
constexpr int MSG_RECEIVE_NO_MEMORY = 12222;            // no memory for the receive buffer
constexpr int MSG_RECEIVE_WITHOUT_HANDSHAKE = 12223;    // a receive without flow control
