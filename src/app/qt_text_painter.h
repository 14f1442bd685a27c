// Text on the core's 24-bit bitmaps, drawn with Qt's fonts.
#pragma once

#include "image/canvas.h"

// The window side of the canvas's text hook: the application's font, the text's top-left
// corner at (x, y), on a filled box in `background` unless that is empty.
void paintText(fringel::Bitmap& target, int x, int y, const std::string& text, fringel::Rgb color,
               std::optional<fringel::Rgb> background);
