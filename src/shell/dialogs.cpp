// The About box and the Gamma Correction dialog.
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cfloat>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "../../res/resource.h"
#include "../render/scene.h"
#include "../render/skin.h"
#include "../state/viewer_state.h"
#include "shell.h"

namespace {

bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

}  // namespace

const char* ScanDecimal(const char* text, double* value) {
    const char* end = text;
    if (*end == '+' || *end == '-') end++;
    bool digits = false;
    while (IsDigit(*end)) end++, digits = true;
    if (*end == '.') {
        end++;
        while (IsDigit(*end)) end++, digits = true;
    }
    if (!digits) return text;
    // An exponent counts only when digits follow it.
    const char* exponent = end;
    if (*exponent == 'e' || *exponent == 'E') {
        exponent++;
        if (*exponent == '+' || *exponent == '-') exponent++;
        if (IsDigit(*exponent)) {
            while (IsDigit(*exponent)) exponent++;
            end = exponent;
        }
    }
    *value = std::strtod(std::string(text, end).c_str(), nullptr);
    return end;
}

double ReadDecimal(const char* text) {
    while (std::isspace(static_cast<unsigned char>(*text))) text++;
    double value = 0;
    return ScanDecimal(text, &value) == text ? 0 : value;
}

float GammaFromText(const char* text) {
    // A typed value beyond float's range would not convert: it is held at the largest float.
    return float(std::max(-double(FLT_MAX), std::min(double(FLT_MAX), ReadDecimal(text))));
}

void ShowAboutDialog() {
    DialogBoxParamA(viewer.hInstance, MAKEINTRESOURCE(IDD_ABOUT), viewer.hWnd, AboutDlgProc, 0);
}

INT_PTR CALLBACK AboutDlgProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM) {
    if (message != WM_COMMAND) return 0;
    if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) EndDialog(hDlg, 1);
    return 1;
}

void ShowGammaDialog() {
    DialogBoxParamA(viewer.hInstance, MAKEINTRESOURCE(IDD_GAMMA), viewer.hWnd, GammaDlgProc, 0);
}

INT_PTR CALLBACK GammaDlgProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        char text[64];  // room for any float: FLT_MAX has 39 digits
        std::snprintf(text, sizeof text, "%1.1f", double(viewer.gamma));
        SetDlgItemTextA(hDlg, IDC_GAMMA, text);
        return 1;
    }
    if (message != WM_COMMAND) return 0;
    if (LOWORD(wParam) == IDOK) {
        char text[kGammaTextLength + 1];
        GetDlgItemTextA(hDlg, IDC_GAMMA, text, sizeof text);
        viewer.gamma = GammaFromText(text);
        EndDialog(hDlg, 1);
        ReloadSkin();
        RenderScene();
    } else if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(hDlg, 0);
    }
    return 1;
}
