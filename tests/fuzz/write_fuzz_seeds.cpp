// Writes every crafted MD2 and PCX file into <folder>/md2 and <folder>/pcx.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "../fixtures/crafted_files.h"

namespace fs = std::filesystem;

static void WriteAll(const fs::path& folder, const std::vector<CraftedFile>& files, const char* ext) {
    fs::create_directories(folder);
    for (const CraftedFile& file : files)
        std::ofstream(folder / (file.name + ext), std::ios::binary)
            .write(reinterpret_cast<const char*>(file.bytes.data()), std::streamsize(file.bytes.size()));
}

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: write_fuzz_seeds FOLDER\n");
        return 2;
    }
    WriteAll(fs::path(argv[1]) / "md2", CraftedMd2Files(), ".md2");
    WriteAll(fs::path(argv[1]) / "pcx", CraftedPcxFiles(), ".pcx");
    return 0;
}
