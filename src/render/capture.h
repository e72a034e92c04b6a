#pragma once

// Saves the shown frame's drawing area as BMP or TGA, chosen in a save
// dialog: 2 when refused or cancelled, 0 when it could not be saved, 1 done.
int SaveScreenShot();

// Lets the user pick the clear colour; redraws with it.
void ChooseBackgroundColor();
