// Numbers of Velmorin's resources, controls and commands, shared by the
// program and its resource script.

#define IDR_ACCELERATORS 101
#define IDR_MAINMENU 102
#define IDD_GAMMA 104
#define IDD_ABOUT 105
#define IDB_TOOLBAR 107
#define IDI_APP 115

#define IDC_GAMMA 1000
#define IDC_STATIC -1

#define IDM_QUIT 40001
#define IDM_OPEN_MODEL 40002
#define IDM_ABOUT 40003
#define IDM_WIREFRAME 40006
#define IDM_TEXTURED_NEAREST 40008
#define IDM_CHOOSE_SKIN 40010
#define IDM_TEXTURED_LINEAR 40013
#define IDM_GAMMA 40014
#define IDM_PLAY 40021
#define IDM_STOP 40022
#define IDM_FIRST_FRAME 40023
#define IDM_LAST_FRAME 40024
#define IDM_NEXT_FRAME 40025
#define IDM_PREV_FRAME 40026
#define IDM_ZOOM_IN 40031
#define IDM_ZOOM_OUT 40032
#define IDM_SCREENSHOT 40040
#define IDM_MIPMAP 40041
#define IDM_BACKGROUND_COLOR 40042
