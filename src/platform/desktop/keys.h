#pragma once

// The Windows virtual key of an FLTK key, or 0 for keys the program never sees.
int VirtualKeyOf(int fltkKey);
