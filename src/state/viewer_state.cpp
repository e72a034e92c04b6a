#include "viewer_state.h"

#include <commctrl.h>

ViewerState viewer;

void SetStatusText(const char* text, int part) {
    PostMessageA(viewer.hStatus, SB_SETTEXT, WPARAM(part), LPARAM(text));
}
