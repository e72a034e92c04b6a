#include "shell_test.h"

#include "formats/md2.h"

void ShellTest::SetUp() {
    headless::Reset();
    viewer = ViewerState{};  // the zero-filled record a new process starts with
}

void ShellTest::TearDown() {
    if (viewer.model.loaded) ReleaseModel(&viewer.model);  // the program keeps it to the end
    headless::Reset();
}

int ShellTest::Run(std::vector<Step> script) {
    const int exitCode = headless::RunWinMain(std::move(script));
    for (const std::string& problem : headless::Problems()) ADD_FAILURE() << problem;
    return exitCode;
}

std::string SamplePath(const char* name) { return std::string(VELMORIN_SAMPLE_DIR) + "/" + name; }

Step Command(WORD id) { return headless::PostCommand(&viewer.hWnd, id); }

Step Key(int virtualKey, unsigned modifiers) {
    return [=] { headless::PressKey(virtualKey, modifiers); };
}

Step Close() { return headless::PostClose(&viewer.hWnd); }

std::string Status() { return headless::StatusText(viewer.hStatus, 0); }

bool Checked(UINT item) { return headless::MenuItemChecked(viewer.hMenu, item); }

const headless::ShownModal* LastShown() {
    return headless::ShownModals().empty() ? nullptr : &headless::ShownModals().back();
}
