// The common controls Velmorin uses: the status bar and the toolbar.
#ifndef _INC_COMMCTRL
#define _INC_COMMCTRL

#include <windows.h>

#define STATUSCLASSNAMEA "msctls_statusbar32"
#define TOOLBARCLASSNAMEA "ToolbarWindow32"

#define CCS_ADJUSTABLE 0x00000020L
#define SBARS_SIZEGRIP 0x0100
#define TBSTYLE_BUTTON 0x0000
#define TBSTYLE_TOOLTIPS 0x0100
#define TBSTATE_ENABLED 0x04

#define SB_SETTEXTA (WM_USER + 1)
#define SB_GETTEXTA (WM_USER + 2)
#define SB_GETTEXTLENGTHA (WM_USER + 3)
#define SB_SETPARTS (WM_USER + 4)
#define SB_SETTEXT SB_SETTEXTA
#define SB_GETTEXT SB_GETTEXTA

#define TB_ADDBITMAP (WM_USER + 19)
#define TB_ADDBUTTONSA (WM_USER + 20)
#define TB_BUTTONCOUNT (WM_USER + 24)
#define TB_BUTTONSTRUCTSIZE (WM_USER + 30)
#define TB_ADDBUTTONS TB_ADDBUTTONSA

typedef struct _TBBUTTON {
    int iBitmap;
    int idCommand;
    BYTE fsState;
    BYTE fsStyle;
    BYTE bReserved[sizeof(void*) == 8 ? 6 : 2];  // padding, as in the Windows SDK
    DWORD_PTR dwData;
    INT_PTR iString;
} TBBUTTON, *LPTBBUTTON;

typedef struct tagTBADDBITMAP {
    HINSTANCE hInst;
    UINT_PTR nID;
} TBADDBITMAP, *LPTBADDBITMAP;

#ifdef __cplusplus
extern "C" {
#endif

void WINAPI InitCommonControls(void);

#ifdef __cplusplus
}
#endif

#endif
