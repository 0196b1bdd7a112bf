// The background image on the Drawing page: drawn behind everything else, stretched to its
// pixels per unit and cut to the drawing area; loaded the first time the page draws it.
#pragma once

// Draws the image into the drawing area (loading it first when its job named it but nothing
// is loaded yet); nothing when it is hidden or cannot be shown. Clears the draw-pending flag.
void draw_background_image();
// The middle of the view in world units, where a new image is centred.
void view_centre(double* x, double* y);
