#pragma once

#include <windows.h>

#include "../formats/md2.h"
#include "../formats/rgb_image.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nShowCmd);
// The state's first values and the common controls, before any window.
void PrepareViewer(HINSTANCE hInstance);
void CreateMainWindow();  // BuildMainWindow, then shown
// The main window with its menu, bars and GL context, not shown: the
// command line's render draws in it unseen.
void BuildMainWindow();
LRESULT CALLBACK WndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

void HandleCommand(HWND hWnd, WPARAM wParam);
int OpenModel(Md2Model* model);  // 2 cancelled, 1 loaded, 0 failed
int ChooseSkin();                // 2 cancelled, 1 uploaded, 0 not decoded
// A decoded skin uploaded as the one texture, its path kept for reloads;
// the pixels are freed.
void TakeSkin(const char* path, RgbImage image);

void ShowAboutDialog();
INT_PTR CALLBACK AboutDlgProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam);
const int kGammaTextLength = 19;  // what the Gamma dialog's OK reads of its box
void ShowGammaDialog();
INT_PTR CALLBACK GammaDlgProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam);

// The decimal number that starts exactly at `text`: digits with an optional
// sign, point and exponent (the exponent only when digits follow it), never
// hexadecimal, infinity or NaN. Returns where it ends and sets `*value`, or
// returns `text` when no number starts there.
const char* ScanDecimal(const char* text, double* value);
// The number at the start of `text`: white space skipped, then digits with an
// optional sign, point and exponent; reading stops at the first character
// that cannot continue it. No number gives 0.
double ReadDecimal(const char* text);
// The gamma the dialog takes from its text: ReadDecimal's value, held inside float's range.
float GammaFromText(const char* text);
