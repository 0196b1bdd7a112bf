// The hint texts of the controls, by hint number; drawn in the tiny face, without colour codes.
// The texts stand as the program has always shown them, spelling included.
#include "screen/hint_box.h"

namespace {

// clang-format off
constexpr const char* HINT_TEXTS[HINT_TEXT_COUNT] = {
    "",  // 0
    "Shift position of this program to/from upper left corner/center of screen",  // 1
    "The main text editing menu.   Keyboard shortcut for this menu: ESC",  // 2
    "Press and hold left button, then move mouse up or down to scroll",  // 3
    "Click or hold down the left button.",  // 4
    "Jump to start of file.",  // 5
    "Jump to end of file.",  // 6
    "Save and overwrite any previous version of this file",  // 7
    "Select from the list of files you have open (ie, select an edit buffer)",  // 8
    "",  // 9
    "Marked items can be manipulated separately from the rest of the drawing",  // 10
    "Set the layer for new items you draw, turn on/off layers, change layer colors",  // 11
    "Show the order the tool cuts the items",  // 12
    "View looking down on part to shows X & Y movements",  // 13
    "Shows depths; ie, Z movements. Click for X axis view, click again for Y axis.",  // 14
    "Shift view to put entire tool path at center of screen",  // 15
    "Perspective is useful only for some tool paths",  // 16
    "Show/hide a wireframe assumption of the object",  // 17
    "Show/hide rapid moves, which are the dotted red lines",  // 18
    "Set what is visible in the drawing",  // 19
    "An alternative way to draw compared to clicking right mouse button. Keyboard shortcut: D",  // 20
    "Select a symbol or logo to add to the drawing",  // 21
    "Keyboard shortcut for this menu: ALT E",  // 22
    "Determines if a new polyline you draw at the end of another becomes appended to it",  // 23
    "Restrict movement to only vertical or only horizontal. Keyboard shortcut: F8",  // 24
    "Set the number of sides for new polygons",  // 25
    "Jump to a ROW, not to an NC program's \"line number\". Keyboard shortcut: CTRL G",  // 26
    "Insert blanks spaces between values for readability",  // 27
    "Remove all spaces, except in comments",  // 28
    "Add or remove line numbers, eg, N1, N2, N3",  // 29
    "Proof the NC program, including any editing you did",  // 30
    "Sends the file in the editing buffer out the serial port (ie, RS232 communications)",  // 31
    "Copies the file in the editing buffer to a floppy disk in A:",  // 32
    "Give this job the same settings as a previous job; eg, same type of surface, etc",  // 33
    "Reset this job to your default job settings",  // 34
    "Give this job the same layer names & colors as a previous job",  // 35
    "Reset layers in this job to whatever the defaults have been set to",  // 36
    "Click to set some other job settings",  // 37
    "The main Job Setup menu.  Keyboard shortcut for this menu: ESC",  // 38
    "The main Engraving list menu.  Keyboard shortcut for this menu: ESC",  // 39
    "Keyboard shortcut for this menu: ALT I",  // 40
    "Keyboard shortcuts for this menu: ALT F",  // 41
    "The main Drawing menu.   Keyboard shortcut for this menu: ESC",  // 42
    "Click to specify both X and Y coordinates, then pick a point in the drawing with the mouse",  // 43
    "Click to specify ONLY the Y coordinate, then pick a point in the drawing",  // 44
    "Click to specify the same layer as an item in the drawing",  // 45
    "Click here to enter a value via the keyboard",  // 46
    "Click to enter the layer number via the keyboard",  // 47
    "Select a layer from the layer list",  // 48
    "Click and then read the message at bottom right corner of screen",  // 49
    "Click and then pick a line or arc in the drawing",  // 50
    "Reverse the direction of the line",  // 51
    "Reverse the direction of the arc",  // 52
    "Click to define the arc by picking a point somewhere on it",  // 53
    "Click to define the circle by picking a point on its circumfrence",  // 54
    "Set tool, CAM operation, layer...",  // 55
    "Force the above layer/tool/other header info to always display when the mouse touches a polyline",  // 56
    "Un-Check this box to show the link at the crosshairs rather than this layer/tool/other header info",  // 57
    "Set the grid value, grid type, nudge distance, and other settings",  // 58
    "The PAGE UP key also jumps to the previous link",  // 59
    "The PAGE DOWN key also jumps to the next link",  // 60
    "This adds arcs around corners, which may increase number of links",  // 61
    "The offsets contain the exact same number of links",  // 62
    "Use the mouse to drag the offset visually",  // 63
    "Create an offset by specifing an offset distance",  // 64
    "To create an offset at a specific distance, enter the offset distance here",  // 65
    "Create two offsets simultaneously",  // 66
    "Click this to offset only one specific link at a time",  // 67
    "Click this to offset an entire polyline at once",  // 68
    "The offset becomes a new item, and the original remains unaltered",  // 69
    "The link is offset while remaining connected to its neighboring links",  // 70
    "The original is deleted so that only the offset remains",  // 71
    "Return to the drawing",  // 72
    "The offset will be placed on whatever layer number you specify here",  // 73
    "The offset will be placed on whatever layer you select",  // 74
    "The offset will be placed on the same layer as the item it was derived from",  // 75
    "Use the mouse to drag the fillet visually",  // 76
    "Create a fillet of a specified radius - Note: a ZERO radius will remove fillets",  // 77
    "To create a fillet of a specified radius, enter the radius here",  // 78
    "Items touching at both start and end nodes will be joined until no more remain",  // 79
    "Only items touching at the \"end\" node will be joined",  // 80
    "Check this if it is OK to join items together that are on different layers",  // 81
    "Items closer together than this value will be considered touching each other",  // 82
    "Select the first layer to process; layers numerically less are ignored",  // 83
    "Enter the first layer to process; layers numerically less are ignored",  // 84
    "Select the last layer to process; layers numerically greater are ignored",  // 85
    "Enter the last layer to process; layers numerically greater are ignored",  // 86
    "Use the mouse to drag the tool diameter visually",  // 87
    "This will check a tool of a specified diameter",  // 88
    "To check a tool of a certain diameter, enter the diameter here.",  // 89
    "After verifying a tool diameter, this sets the FINISHING tool for the selected item to it",  // 90
    "After specifing a tool diameter, this sets the ROUGHING tool for the selected item to it",  // 91
    "Lets you drag the tool diameter to any value",  // 92
    "Click this to make the tool diameter change in whatever step size you specify",  // 93
    "Enter the step size (ie, the increment) for checking tool diameters",  // 94
    "Shows the geometry you are pocketing/contouring so you can see its accuracy",  // 95
    "Click to set the center of the rectangle, and then pick a point in the drawing",  // 96
    "Click here to specify the X coordinate via the keyboard",  // 97
    "Click here to specify the Y coordinate via the keyboard",  // 98
    "Type the file name for this job here. You may type the drive also.",  // 99
    "Type the drive and folder for this job here",  // 100
    "Click to select a drive and folder for this job from a list of folders",  // 101
    "The defaults for the entire program, not just this job",  // 102
    "Is this new item a drawing aid? Or do you want to machine it?",  // 103
    "Adds all selected items to clipboard without deleting items already there",  // 104
    "Cut selected items out of drawing and add to clipboard without deleting items already there",  // 105
    "Delete the items you copied to the clipboard",  // 106
    "Select all items in drawing (except items on hidden layers). Keyboard: CTRL A",  // 107
    "Un-Select whatever has been selected so you can start over and select other items",  // 108
    "Create duplicate of selected items. This does not use or affect the clipboard.",  // 109
    "This rotates the items 90 degrees",  // 110
    "Increase or decrease the size of the selected items",  // 111
    "Rotate the selected items",  // 112
    "Make a mirrored image of the selected items",  // 113
    "Separate polylines, rectangles, and polygons into individual lines, arcs, splines",  // 114
    "Delete the selected items from the drawing. Keyboard shortcut: press the DELETE key",  // 115
    "Convert rectangles and polygons to polylines",  // 116
    "Set all the selected items to a certain layer",  // 117
    "To keep the original items, put a check in this box, otherwise they will be deleted",  // 118
    "Put a check in this box to keep this geometry",  // 119
    "Click OK to make the changes to the drawing",  // 120
    "You can start over if you click CANCEL",  // 121
    "Set all selected items to drawing aids, or to engrave, or to be pocketed, etc",  // 122
    "Set all selected items to a certain machining group that you specify",  // 123
    "Need an explanation of how to fill out the fields below?",  // 124
    "Click to set the upper left corner of the rectangle, and then pick a point in the drawing",  // 125
    "This lets you move individual nodes",  // 126
    "This lets you move individual links",  // 127
    "This lets you move items",  // 128
    "Press BACKSPACE key to edit value, or type new value. Use comma, asterisk, or space to separate XY values",  // 129
    "Clears the nodes you selected. You can then select others, or you can move nodes individually.",  // 130
    "Check this to drag the marked nodes visually with the mouse",  // 131
    "Check this to move all the marked nodes by the value you specified in the box to the left",  // 132
    "Click this to create the array",  // 133
    "Return to selection mode without doing anything",  // 134
    "Click to select the type of array",  // 135
    "The start point for the array can be located anywhere. Click to type a coordinate",  // 136
    "Click these boxes to enter values via the keyboard",  // 137
    "Click to specify the start point in the array, then pick a point in the drawing",  // 138
    "The item(s) are \"picked up\" at this handle point, and then placed in the array using this point",  // 139
    "If you click here, you can set this field by picking points in the drawing",  // 140
    "The item(s) that are arrayed will remain un-altered, so delete them if you don't want them",  // 141
    "Want the items to rotate as they are placed in the array?",  // 142
    "Make a rectangular or circular array of the selected items.",  // 143
    "Click to select a handle point for the item(s) you are making an array of",  // 144
    "Read directories again to ensure the list is up-to-date. This list is saved, so it may be incorrect.",  // 145
    "Click to see the directories for this drive.",  // 146
    "Keyboard shortcut for undo: CTRL Z",  // 147
    "Keyboard shortcut for redo: SHIFT CTRL Z",  // 148
    "Check this if you want each item to remain on the layer it is already on",  // 149
    "Reset the tool size, depth, and other CAM settings to your defaults for this type of CAM operation",  // 150
    "This will join items from both ends but prompt you before joining",  // 151
    "Move all of the selected items",  // 152
    "Select this to let the computer guess about whether to use the Extend or the Trim function.",  // 153
    "This extends the node near the mouse to the boundary; ie, you click near the node you want to move.",  // 154
    "Trims the section that crosses the boundary; ie, you click the section you want to KEEP.",  // 155
    "This will create a DXF file of the tool path you see here",  // 156
    "Click this to show the entire drawing",  // 157
    "Click this to zoom in on the item you are creating",  // 158
    "Click this to zoom IN. Hold down mouse button to zoom IN continuously",  // 159
    "Click this to zoom OUT. Hold down mouse button to zoom OUT continuously",  // 160
    "Hold down mouse button, then move mouse to pan. Hold SHIFT or CTRL/ALT to increase panning.",  // 161
    "Increase perspective by a lot",  // 162
    "Increase perspective only a little",  // 163
    "Decrease perspective only a little",  // 164
    "Decrease perspective by a lot",  // 165
    "Gives a rough estimate of the machining time",  // 166
    "Shows ALL of the drawing. Keyboard shortcut: A",  // 167
    "Click to zoom IN. Hold down mouse button to zoom IN continuously.  Keyboard shortcut:  PGUP",  // 168
    "Click to zoom OUT. Hold down mouse button to zoom OUT continuously.  Keyboard shortcut:  PGDN",  // 169
    "Hold down mouse button, then move mouse to shift your view of drawing. Keyboard shortcut: the arrow keys",  // 170
    "Set the center of view. Then you can zoom in/out at that location. Keyboard shortcut: Q",  // 171
    "Lets you draw a window around the area you want to zoom in to.  Keyboard shortcut: W",  // 172
    "The distance to move the items (you need to enter an angle also if you want to specify this distance)",  // 173
    "The distance in X that you want to move the items (enter a distance in Y also)",  // 174
    "The distance in Y that you want to move the items (enter a distance in X also)",  // 175
    "Click this to give the polyline the symmetry you set",  // 176
    "Check this to make the polyline closed; ie, to make a loop in which the end node is the same as the start node",  // 177
    "When the polyline is not closed, it can be symmetrical from either of its ends. Click this to use the OTHER end.",  // 178
    "Click to set the angle to 0 degrees.   Click twice to set angle to 180 degrees",  // 179
    "Click to set the angle to 90 degrees.   Click twice to set angle to 270 degrees",  // 180
    "Since there is only one data field, you can enter the angle without first clicking this box; just start typing!",  // 181
    "Click to use whatever angle is showing in the angle data field",  // 182
    "This lets you select a location in the drawing by using the Object Snap Menu",  // 183
    "You can press and hold down the left mouse button on this arrow rather than just click it.",  // 184
    "Restore the image to what it was before you started to alter it",  // 185
    "Check this box to stop screen flicker when panning and zooming. Especially useful when showing images.",  // 186
    "The item are rotating will be aligned to this angle and then it will rotate from it.",  // 187
    "After clicking this, select two points in the drawing that define the angle you want to rotate",  // 188
    "This is the angle to rotate the ANGLE TO ROTATE. You can pick points in the drawing to set this",  // 189
    "After clicking this, click points in the drawing, or hold down LEFT mouse button to drag the angle",  // 190
    "Click this if you only want to change the Y value of the rotation line",  // 191
    "After clicking this, click a point in the drawing to set the center point of the rotation",  // 192
    "Click this if you only want to change the Y value of the rotation center point",  // 193
    "If you set SNAP on, then the rotation angle will be a multiple of the snap value",  // 194
    "All angles will become a multiple of the value you enter here ",  // 195
    "Click this, then click a point in the drawing to set the anchor point the items scale from",  // 196
    "Click this if you only want to change the Y value of the anchor point",  // 197
    "",  // 198
};
// clang-format on

}  // namespace

const char* hint_text(int number) {
  if (number <= 0 || number >= HINT_TEXT_COUNT) return "";
  return HINT_TEXTS[number];
}
