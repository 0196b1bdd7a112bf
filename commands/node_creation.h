// Drawing a polyline or a spline node by node on the entry line: each typed or picked point
// becomes a node, Esc takes the last one back, "c" closes the figure, Enter ends it.
#pragma once

// The most points one drawing takes; the last of them ends the drawing.
constexpr int POLYLINE_ENTRY_MOST_POINTS = 500;

// spline 0 draws flexible lines, any other value a spline. The new item, when at least two
// points were given, is the last item of the drawing list.
void draw_polyline_by_nodes(int spline);
