#pragma once

#include <windows.h>

// Saves the shown frame's drawing area as BMP or TGA, chosen in a save
// dialog: 2 when refused or cancelled, 0 when it could not be saved, 1 done.
int SaveScreenShot();

struct DrawingArea;

// Draws the current frame again into the back buffer, with the projection as
// it is, and reads `area` back without showing it: rows bottom first, RGB,
// width x height x 3 bytes into `pixels`.
void ReadDrawingArea(const DrawingArea& area, unsigned char* pixels);

// Lets the user pick the clear colour; redraws with it.
void ChooseBackgroundColor();
// Makes `colour` the clear colour from the next drawing on.
void UseBackgroundColor(COLORREF colour);
