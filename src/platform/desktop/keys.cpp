#include "keys.h"

#include <FL/Enumerations.H>
#include <windows.h>

int VirtualKeyOf(int key) {
    if (key >= 'a' && key <= 'z') return key - 'a' + 'A';
    if (key >= '0' && key <= '9') return key;
    if (key >= FL_F + 1 && key <= FL_F + 12) return VK_F1 + (key - FL_F - 1);
    switch (key) {
    case FL_Left: return VK_LEFT;
    case FL_Right: return VK_RIGHT;
    case FL_Up: return VK_UP;
    case FL_Down: return VK_DOWN;
    case FL_KP + '+': return VK_ADD;
    case FL_KP + '-': return VK_SUBTRACT;
    case FL_Escape: return VK_ESCAPE;
    case FL_Alt_L:
    case FL_Alt_R: return VK_MENU;
    case FL_Enter:
    case FL_KP_Enter: return VK_RETURN;
    case FL_Tab: return VK_TAB;
    case FL_BackSpace: return VK_BACK;
    case ' ': return VK_SPACE;
    case ',': return VK_OEM_COMMA;
    case '+':
    case '=': return VK_OEM_PLUS;
    case '-': return VK_OEM_MINUS;
    default: return 0;
    }
}
