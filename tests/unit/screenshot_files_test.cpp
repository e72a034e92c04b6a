#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "../../src/formats/screenshot_files.h"
#include "../fixtures/temp_files.h"

namespace {

// Pixel i is (i, i + 1, i + 2), so byte order and row order both show.
Bytes Gradient(int32_t width, int32_t height) {
    Bytes pixels;
    for (int32_t i = 0; i < width * height; i++)
        for (int c = 0; c < 3; c++) pixels.push_back((i + c + 1) & 0xFF);
    return pixels;
}

bool Exists(const std::string& path) { return std::filesystem::exists(path); }

}  // namespace

TEST(ScreenshotFiles, TwoByTwoImageGivesTheExactFiles) {
    Bytes pixels = {1, 2, 3, 1, 2, 3, 1, 2, 3, 1, 2, 3};
    const RgbImage image = {2, 2, pixels.data()};
    const std::string bmp = TempPath("two.bmp"), tga = TempPath("two.tga");
    ASSERT_EQ(WriteBMP(bmp.c_str(), image), 1);
    ASSERT_EQ(WriteTGA(tga.c_str(), image), 1);
    EXPECT_EQ(ReadWholeFile(bmp),
              (Bytes{'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 2, 0, 0, 0,
                     2, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                     0, 0, 0, 0, 0, 0, 0, 0,
                     3, 2, 1, 3, 2, 1, 0, 0, 3, 2, 1, 3, 2, 1, 0, 0}));
    EXPECT_EQ(ReadWholeFile(tga),
              (Bytes{0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0, 24, 0,
                     3, 2, 1, 3, 2, 1, 3, 2, 1, 3, 2, 1}));
    EXPECT_EQ(pixels, (Bytes{1, 2, 3, 1, 2, 3, 1, 2, 3, 1, 2, 3}));  // source untouched
}

TEST(ScreenshotFiles, BmpRowsArePaddedToFourBytesTgaRowsAreNot) {
    for (int32_t width = 1; width <= 5; width++) {
        SCOPED_TRACE(width);
        Bytes pixels = Gradient(width, 3);
        const RgbImage image = {width, 3, pixels.data()};
        const std::string bmp = TempPath("pad.bmp"), tga = TempPath("pad.tga");
        ASSERT_EQ(WriteBMP(bmp.c_str(), image), 1);
        ASSERT_EQ(WriteTGA(tga.c_str(), image), 1);
        const size_t row = (3 * width + 3) / 4 * 4;
        const Bytes file = ReadWholeFile(bmp);
        ASSERT_EQ(file.size(), 54 + 3 * row);
        for (size_t r = 0; r < 3; r++)
            for (size_t p = 3 * width; p < row; p++) EXPECT_EQ(file[54 + r * row + p], 0);
        // The last pixel of the first row, as B, G, R.
        EXPECT_EQ(file[54 + 3 * (width - 1)], pixels[3 * (width - 1) + 2]);
        EXPECT_EQ(ReadWholeFile(tga).size(), 18 + 9 * size_t(width));
    }
}

TEST(ScreenshotFiles, RefusesSizesAHeaderCannotHold) {
    Bytes wide(3 * 65536, 7);
    const std::string path = TempPath("huge");
    EXPECT_EQ(WriteTGA(path.c_str(), {65536, 1, wide.data()}), 0);
    EXPECT_EQ(WriteTGA(path.c_str(), {1, 65536, wide.data()}), 0);
    EXPECT_FALSE(Exists(path));
    EXPECT_EQ(WriteTGA(path.c_str(), {65535, 1, wide.data()}), 1);
    std::filesystem::remove(path);
    // 54 + 21846 rows of 196608 bytes is just over 4 GiB; refused before any pixel is read.
    EXPECT_EQ(WriteBMP(path.c_str(), {65536, 21846, wide.data()}), 0);
    EXPECT_EQ(WriteBMP(path.c_str(), {0, 1, wide.data()}), 0);
    EXPECT_EQ(WriteBMP(path.c_str(), {1, -1, wide.data()}), 0);
    EXPECT_EQ(WriteTGA(path.c_str(), {-1, 1, wide.data()}), 0);
    EXPECT_EQ(WriteBMP(path.c_str(), {1, 1, nullptr}), 0);
    EXPECT_FALSE(Exists(path));
}

TEST(ScreenshotFiles, FailedWritesReturnZeroAndLeaveNothing) {
    Bytes pixels = Gradient(4, 4);
    const RgbImage image = {4, 4, pixels.data()};
    const std::string notAFolder = WriteTempFile("plain-file", {1});
    std::vector<std::string> paths = {TempPath("missing/shot.bmp"), notAFolder + "/shot.bmp"};
    if (geteuid() != 0) {  // root writes into read-only folders
        std::filesystem::create_directory(TempPath("read-only"));
        chmod(TempPath("read-only").c_str(), 0555);
        paths.push_back(TempPath("read-only/shot.bmp"));
    }
    for (const std::string& path : paths) {
        EXPECT_EQ(WriteBMP(path.c_str(), image), 0);
        EXPECT_EQ(WriteTGA(path.c_str(), image), 0);
    }
    // A full disk: the device itself must not be removed.
    EXPECT_EQ(WriteBMP("/dev/full", image), 0);
    EXPECT_EQ(WriteTGA("/dev/full", image), 0);
    struct stat device;
    ASSERT_EQ(stat("/dev/full", &device), 0);
    EXPECT_TRUE(S_ISCHR(device.st_mode));

    // A regular file that cannot grow past 1000 bytes: the partial file goes,
    // also under a Windows-1252 name that is not valid UTF-8 ("café").
    Bytes big = Gradient(100, 100);
    for (const char* name : {"limited.bmp", "limited.tga", "limited-caf\xE9.bmp", "limited-caf\xE9.tga"}) {
        const std::string path = TempPath(name);
        const bool bmp = path.back() == 'p';
        const pid_t child = fork();
        if (child == 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit = {1000, 1000};
            setrlimit(RLIMIT_FSIZE, &limit);
            const RgbImage large = {100, 100, big.data()};
            const int result = bmp ? WriteBMP(path.c_str(), large) : WriteTGA(path.c_str(), large);
            _exit(result == 0 && !Exists(path) ? 0 : 1);
        }
        int status = -1;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << path;
    }
}
