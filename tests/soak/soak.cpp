// Long use, headless, through the program's own WinMain: 10,000 timer ticks
// of playback on a model, then 500 cycles of open model, choose skin and
// mipmap toggle, then 1,000 About boxes opened and closed. Fails if peak RSS
// grows by 1 MB or more after the first 100 cycles or boxes, or the layer's
// window table grows; run under LeakSanitizer, it also fails on any leak.
//
//   soak MODEL.md2 SKIN.pcx [--no-memory-bound]
//
// (Under AddressSanitizer its quarantine of freed memory grows the RSS: that
// run looks for leaks only.)
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "../../res/resource.h"
#include "formats/md2.h"
#include "headless/headless.h"
#include "state/viewer_state.h"

using headless::Step;

namespace {

const int kTicks = 10000;
const int kCycles = 500;
const int kAboutBoxes = 1000;
const int kSettleCycles = 100;
const long kGrowthLimitKb = 1024;

// Resident memory now; sampled after every cycle, its maximum is the peak
// (the kernel's own high-water mark is updated lazily).
long RssKb() {
    FILE* status = std::fopen("/proc/self/status", "r");
    char line[256];
    long kb = -1;
    while (status && std::fgets(line, sizeof line, status))
        if (std::strncmp(line, "VmRSS:", 6) == 0) kb = std::atol(line + 6);
    if (status) std::fclose(status);
    return kb;
}

Step Command(int id) { return headless::PostCommand(&viewer.hWnd, id); }

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4 || (argc == 4 && std::strcmp(argv[3], "--no-memory-bound") != 0)) {
        std::fprintf(stderr, "usage: soak MODEL.md2 SKIN.pcx [--no-memory-bound]\n");
        return 2;
    }
    const bool memoryBound = argc == 3;
    const std::string model = argv[1], skin = argv[2];
    long settledKb = 0, peakKb = 0;
    int ticksSeen = 0;
    std::vector<Step> script;
    headless::AnswerFile(model);
    script.push_back(Command(IDM_OPEN_MODEL));
    script.push_back(Command(IDM_PLAY));
    script.push_back([] { headless::RunFor(uint64_t(kTicks) * 100); });
    script.push_back([&] {
        ticksSeen = 1;  // reached: the ticks ran
        headless::ForgetShown();
        PostMessageA(viewer.hWnd, WM_COMMAND, IDM_STOP, 0);
    });
    for (int cycle = 0; cycle < kCycles; cycle++) {
        script.push_back([model, skin] {
            headless::ForgetShown();  // the test's own log is not the program's memory
            headless::AnswerFile(model);
            headless::AnswerFile(skin);
            PostMessageA(viewer.hWnd, WM_COMMAND, IDM_OPEN_MODEL, 0);
            PostMessageA(viewer.hWnd, WM_COMMAND, IDM_CHOOSE_SKIN, 0);
            PostMessageA(viewer.hWnd, WM_COMMAND, IDM_MIPMAP, 0);
        });
        script.push_back([&, cycle] {
            peakKb = std::max(peakKb, RssKb());
            if (cycle + 1 == kSettleCycles) settledKb = peakKb;
        });
    }
    // The About box opened and closed: its five windows must not pile up.
    size_t recordsBefore = 0, recordsMost = 0;
    long aboutSettledKb = 0, aboutPeakKb = 0;
    for (int box = 0; box < kAboutBoxes; box++) {
        script.push_back([&, box] {
            if (box == 0) recordsBefore = headless::WindowRecords();
            recordsMost = std::max(recordsMost, headless::WindowRecords());
            aboutPeakKb = std::max(aboutPeakKb, RssKb());
            if (box == kSettleCycles) aboutSettledKb = aboutPeakKb;
            headless::ForgetShown();
            headless::AnswerDialog({headless::PressButton(IDOK)});
            PostMessageA(viewer.hWnd, WM_COMMAND, IDM_ABOUT, 0);
        });
    }
    script.push_back([] { PostMessageA(viewer.hWnd, WM_CLOSE, 0, 0); });
    headless::RunWinMain(script);
    const long finalKb = peakKb;
    if (viewer.model.loaded) ReleaseModel(&viewer.model);
    headless::Reset();

    int failures = int(headless::Problems().size());
    for (const std::string& problem : headless::Problems()) std::fprintf(stderr, "soak: %s\n", problem.c_str());
    std::printf("soak: %d ticks, %d cycles; peak RSS %ld kB after %d cycles, %ld kB at the end (growth %ld kB)\n",
                kTicks, kCycles, settledKb, kSettleCycles, finalKb, finalKb - settledKb);
    std::printf("soak: %d About boxes; window records %zu before, at most %zu; peak RSS %ld kB after %d, %ld kB at "
                "the end (growth %ld kB)\n",
                kAboutBoxes, recordsBefore, recordsMost, aboutSettledKb, kSettleCycles, aboutPeakKb,
                aboutPeakKb - aboutSettledKb);
    if (recordsMost > recordsBefore + 5) {
        std::fprintf(stderr, "soak: the window table grew to %zu records\n", recordsMost);
        failures++;
    }
    if (memoryBound && aboutPeakKb - aboutSettledKb >= kGrowthLimitKb) failures++;
    if (!ticksSeen) failures++;
    if (memoryBound && finalKb - settledKb >= kGrowthLimitKb) {
        std::fprintf(stderr, "soak: peak RSS grew by %ld kB after the first %d cycles\n", finalKb - settledKb,
                     kSettleCycles);
        failures++;
    }
    return failures ? 1 : 0;
}
