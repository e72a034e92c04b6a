// The resource script reader, on the fixture script embedded in this test
// program and on scripts that are broken.
#include "core/resource_script.h"
#include "fixtures/sample_resource.h"
#include "platform_test.h"

TEST(ResourceScript, ReadsMenusAcceleratorsDialogsAndFiles) {
    const ResourceTable table = ParseResourceScript(EmbeddedResources());
    ASSERT_EQ(table.error, "");

    const std::vector<MenuTemplateItem>& bar = table.menus.at(IDR_MAINMENU);
    ASSERT_EQ(bar.size(), 3u);
    EXPECT_EQ(bar[0].text, "&File");
    ASSERT_EQ(bar[0].popup.size(), 3u);
    EXPECT_EQ(bar[0].popup[0].text, "Open\tAlt-O");
    EXPECT_EQ(bar[0].popup[0].id, UINT(IDM_OPEN));
    EXPECT_EQ(bar[0].popup[1].type, UINT(MFT_SEPARATOR));
    EXPECT_EQ(bar[1].popup[1].state, UINT(MFS_CHECKED));
    EXPECT_EQ(bar[1].popup[2].id, UINT(IDM_LEVEL));
    EXPECT_EQ(bar[2].type, UINT(MFT_RIGHTORDER | MFT_RIGHTJUSTIFY));

    const std::vector<ACCEL>& keys = table.accelerators.at(IDR_ACCELERATORS);
    ASSERT_EQ(keys.size(), 7u);
    EXPECT_EQ(keys[0].fVirt, FNOINVERT);  // "," is a character entry
    EXPECT_EQ(keys[0].key, ',');
    EXPECT_EQ(keys[2].fVirt, FVIRTKEY | FALT | FNOINVERT);
    EXPECT_EQ(keys[2].key, 'O');
    EXPECT_EQ(keys[4].key, VK_ADD);
    EXPECT_EQ(keys[5].cmd, IDM_SAVE);
    EXPECT_EQ(keys[6].fVirt, FVIRTKEY | FCONTROL | FSHIFT | FNOINVERT);

    const DialogTemplate& level = table.dialogs.at(IDD_LEVEL);
    EXPECT_EQ(level.cx, 100);
    EXPECT_EQ(level.cy, 42);
    EXPECT_EQ(level.style, DWORD(DS_SETFONT | DS_MODALFRAME | WS_CAPTION | WS_SYSMENU));
    EXPECT_EQ(level.fontSize, 8);
    EXPECT_EQ(level.fontFace, "MS Sans Serif");
    ASSERT_EQ(level.controls.size(), 4u);
    EXPECT_EQ(level.controls[0].className, "Button");
    EXPECT_EQ(level.controls[0].style & 0xF, DWORD(BS_DEFPUSHBUTTON));
    EXPECT_EQ(level.controls[2].className, "Edit");
    EXPECT_EQ(level.controls[2].id, IDC_LEVEL);
    EXPECT_EQ(level.controls[2].style & ES_AUTOHSCROLL, DWORD(ES_AUTOHSCROLL));
    EXPECT_EQ(level.controls[2].x, 63);
    EXPECT_EQ(level.controls[2].cy, 12);
    EXPECT_EQ(level.controls[3].text, "Level // not a comment");
    EXPECT_EQ(level.controls[3].id, -1);

    const DialogTemplate& about = table.dialogs.at(IDD_ABOUT);
    EXPECT_EQ(about.caption, "About \"Sample\"");
    EXPECT_EQ(about.style & WS_POPUP, DWORD(WS_POPUP));
    EXPECT_EQ(about.controls[1].style & 0xF, DWORD(SS_ICON));
    EXPECT_EQ(about.controls[1].text, "#115");
    EXPECT_EQ(about.controls[2].text, "Sample\tprogram");

    EXPECT_EQ(table.bitmaps.at(IDB_TOOLBAR), (std::vector<unsigned char>{'b', 'i', 't', 'm', 'a', 'p', ' ', 'b', 'y',
                                                                        't', 'e', 's', '\n'}));
    EXPECT_EQ(table.icons.at(IDI_APP).size(), 10u);
}

TEST(ResourceScript, BrokenScriptsAreReportedNotTrusted) {
    const char* broken[] = {
        "1 MENU BEGIN MENUITEM \"Open, 5 END",           // unterminated string
        "1 STRINGTABLE BEGIN 1, \"x\" END",              // a type the program does not use
        "1 ACCELERATORS BEGIN 65, 2 END",                // a numeric key needs VIRTKEY
        "1 DIALOG 0, 0, 10, 10 BEGIN LISTBOX 1, 0, 0, 1, 1 END",
        "1 MENU BEGIN MENUITEM \"x\", UNDEFINED_NAME END",
        "1 BITMAP \"missing.bmp\"",
        "1 MENU BEGIN",
    };
    for (const char* script : broken) {
        const ResourceBundle bundle = {script, "", "", nullptr, 0};
        EXPECT_NE(ParseResourceScript(bundle).error, "") << script;
    }
}

// A program whose own script does not parse stops at start-up with the
// reason, rather than running without its menu, keys and dialogs.
TEST(ResourceScript, AProgramWithABrokenScriptStopsWithTheReason) {
    EXPECT_EXIT(
        {
            headless::UseResourceScript("1 MENU BEGIN MENUITEM \"Open, 5 END", nullptr, nullptr);
            LoadAcceleratorsA(nullptr, MAKEINTRESOURCE(1));
        },
        testing::ExitedWithCode(1), "resource script cannot be read: .+");
}

TEST(ResourceScript, ClassicMenuItemsTakeOptionsWithOrWithoutCommas) {
    const ResourceBundle bundle = {
        "1 MENU BEGIN POPUP \"Options\" BEGIN MENUITEM \"A\", 5 MENUITEM \"B\", 6, CHECKED "
        "MENUITEM SEPARATOR MENUITEM \"C\", 7 GRAYED END POPUP \"&Help\", HELP BEGIN MENUITEM \"D\", 8 END END",
        "", "", nullptr, 0};
    const ResourceTable table = ParseResourceScript(bundle);
    ASSERT_EQ(table.error, "");
    const std::vector<MenuTemplateItem>& items = table.menus.at(1).at(0).popup;
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0].id, 5u);
    EXPECT_EQ(items[1].state, UINT(MFS_CHECKED));
    EXPECT_EQ(items[2].type, UINT(MFT_SEPARATOR));
    EXPECT_EQ(items[3].state, UINT(MF_GRAYED));
    EXPECT_EQ(table.menus.at(1).at(1).type, UINT(MFT_RIGHTJUSTIFY));
}
