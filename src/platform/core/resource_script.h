#pragma once

// Reads the resource script (.rc) and its header of numbers: the one source of
// the menu, accelerators, dialogs, bitmap and icon for both builds.

#include <windows.h>

#include <map>
#include <string>
#include <vector>

struct MenuTemplateItem {
    std::string text;  // empty for a separator
    UINT id = 0;
    UINT type = 0;     // MFT_* flags
    UINT state = 0;    // MFS_* flags
    std::vector<MenuTemplateItem> popup;
    bool isPopup = false;
};

struct DialogControlTemplate {
    std::string className;  // "Button", "Edit" or "Static"
    std::string text;
    int id = 0;
    int x = 0, y = 0, cx = 0, cy = 0;  // dialog units
    DWORD style = 0;
    DWORD exStyle = 0;
};

struct DialogTemplate {
    int x = 0, y = 0, cx = 0, cy = 0;  // dialog units
    DWORD style = 0;
    DWORD exStyle = 0;
    std::string caption;
    int fontSize = 0;
    std::string fontFace;
    std::vector<DialogControlTemplate> controls;
};

struct ResourceFile {
    const char* name;
    const unsigned char* data;
    size_t size;
};

// What an executable embeds: the script, the header it includes, and the
// files its BITMAP and ICON statements name.
struct ResourceBundle {
    const char* script;
    const char* headerName;
    const char* header;
    const ResourceFile* files;
    size_t fileCount;
};

struct ResourceTable {
    std::map<int, std::vector<MenuTemplateItem>> menus;
    std::map<int, std::vector<ACCEL>> accelerators;
    std::map<int, DialogTemplate> dialogs;
    std::map<int, std::vector<unsigned char>> bitmaps;
    std::map<int, std::vector<unsigned char>> icons;
    std::string error;  // empty when the script was read whole
};

ResourceTable ParseResourceScript(const ResourceBundle& bundle);

// Defined in each executable by the build, from the resource script it embeds.
const ResourceBundle& EmbeddedResources();
