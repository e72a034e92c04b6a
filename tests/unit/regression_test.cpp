// Files the fuzzers once broke, replayed on every run. The name says what the
// loader must give: load-<what>.md2, refuse-<what>.pcx, and so on.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "../../src/formats/md2.h"
#include "../../src/formats/pcx.h"

TEST(FuzzRegressions, EachKeptFileGivesTheResultItsNameSays) {
    std::vector<std::filesystem::path> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(VELMORIN_REGRESSIONS_DIR, error))
        if (entry.path().extension() != ".md") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    for (const auto& file : files) {
        SCOPED_TRACE(file.filename().string());
        const std::string name = file.filename().string();
        const int expected = name.rfind("load-", 0) == 0 ? 1 : 0;
        ASSERT_TRUE(expected || name.rfind("refuse-", 0) == 0) << "name must start load- or refuse-";
        if (file.extension() == ".md2") {
            Md2Model model{};
            EXPECT_EQ(LoadMD2(file.c_str(), &model), expected);
            if (model.loaded) ReleaseModel(&model);
        } else {
            RgbImage image{};
            EXPECT_EQ(LoadPCX(file.c_str(), &image), expected);
            std::free(image.pixels);
        }
    }
}
