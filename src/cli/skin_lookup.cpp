#include "skin_lookup.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>

#include "formats/md2.h"
#include "input_files.h"

namespace {

namespace fs = std::filesystem;

std::string Lower(std::string text) {
    for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The name of `folder`'s entry called `name`, or else of the first (by
// name) called so but for case; "" when there is none.
std::string EntryNamed(const fs::path& folder, const std::string& name) {
    std::error_code error;
    if (fs::exists(fs::symlink_status(folder / fs::u8path(name), error))) return name;
    std::string found;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        const std::string candidate = entry.path().filename().u8string();
        if (Lower(candidate) == Lower(name) && (found.empty() || candidate < found)) found = candidate;
    }
    return found;
}

// `steps` below `root`, each matched without regard to case, as a regular
// file inside `root`; "" when there is none.
std::string FileBelow(const fs::path& root, const std::vector<std::string>& steps) {
    std::vector<std::string> named;
    fs::path at = root;
    for (const std::string& step : steps) {
        named.push_back(EntryNamed(at, step));
        if (named.back().empty()) return "";
        at /= fs::u8path(named.back());
    }
    std::string resolved;
    std::error_code error;
    return ResolveInside(root.u8string(), named, &resolved).empty() && fs::is_regular_file(fs::u8path(resolved), error) ? resolved
                                                                                                         : "";
}

fs::path FolderOf(const std::string& model) {
    std::error_code error;
    return fs::absolute(fs::u8path(model), error).parent_path();
}

}  // namespace

std::string FindNamedSkin(const std::string& model, const std::string& headerSkinPath) {
    std::vector<std::string> steps;
    if (!RelativeSteps(headerSkinPath, false, &steps).empty()) return "";
    const fs::path folder = FolderOf(model);
    // The game folder: the model's folder less the folders the path names
    // above its file (players/knight/skin.pcx from baseq2/players/knight).
    fs::path game = folder;
    bool leads = true;
    for (size_t k = steps.size() - 1; k-- > 0 && leads; game = game.parent_path())
        leads = Lower(game.filename().u8string()) == Lower(steps[k]);
    std::string found = leads ? FileBelow(game, steps) : "";
    return found.empty() ? FileBelow(folder, {steps.back()}) : found;
}

std::string FindSkin(const std::string& model, const std::vector<std::string>& headerSkinPaths) {
    if (!headerSkinPaths.empty()) {
        const std::string named = FindNamedSkin(model, headerSkinPaths[0]);
        if (!named.empty()) return named;
    }
    const fs::path folder = FolderOf(model);
    const std::string alike = FileBelow(folder, {fs::u8path(model).stem().u8string() + ".pcx"});
    if (!alike.empty()) return alike;
    std::vector<std::string> beside;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error))
        if (Lower(entry.path().extension().u8string()) == ".pcx") beside.push_back(entry.path().filename().u8string());
    return beside.size() == 1 ? FileBelow(folder, beside) : "";
}

std::vector<std::string> HeaderSkinPaths(const std::vector<unsigned char>& md2) {
    int32_t header[kMd2FieldCount];
    ReadMd2Header(md2.data(), md2.size(), header);
    const int64_t at = header[kMd2OffsetSkins], count = header[kMd2NumSkins];
    std::vector<std::string> paths;
    if (count <= 0 || at < 0 || at > int64_t(md2.size()) || count > (int64_t(md2.size()) - at) / kMd2SkinNameSize)
        return paths;
    for (int64_t i = 0; i < count; i++) {
        const char* name = reinterpret_cast<const char*>(&md2[size_t(at + i * kMd2SkinNameSize)]);
        paths.push_back(std::string(name, strnlen(name, kMd2SkinNameSize)));
    }
    return paths;
}
