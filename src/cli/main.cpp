// velmorin-cli: inspect, lint and render MD2 models from the command line,
// with the viewer's own loading and drawing code and no display.
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "animations.h"
#include "check.h"
#include "formats/md2.h"
#include "gltf_export.h"
#include "gltf_import.h"
#include "input_files.h"
#include "json_text.h"
#include "numbers.h"
#include "main.h"
#include "output_files.h"
#include "picture_kinds.h"
#include "render.h"
#include "skin_lookup.h"
#include "thumbnail.h"
#include "shell/shell.h"

namespace {

// Bounds of render's numeric options: a drawing area no GL driver refuses,
// drags and zooms far beyond any use, so that no value can ask for more
// memory or steps than a picture needs.
const int kLargestSide = 8192;
const int kLargestDrag = 100000;
const int kMostZoomSteps = 1000;
// Gammas that leave a skin visible: at 0.1 every byte from 26 up is white,
// at 10 none is brighter than 25.
const double kLeastGamma = 0.1, kMostGamma = 10;

const char kCliVersion[] = "velmorin-cli " VELMORIN_VERSION;  // the project's version, from CMake

const char kHelp[] =
    "usage: velmorin-cli COMMAND ...\n"
    "\n"
    "  info MODEL.md2 [--json]\n"
    "      The header, counts against the format's limits, every frame's name, and the\n"
    "      animations: from frame names, split by the standard 198-frame player layout\n"
    "      where the names merge its animations (marked inferred).\n"
    "  check MODEL.md2 [SKIN.pcx] [--json]\n"
    "      Every problem, with its severity and where it is: errors are why the viewer\n"
    "      would refuse the file, warnings what it tolerates.\n"
    "  render MODEL.md2... -o OUT.bmp|OUT.tga|OUT.png|OUT.gif|DIR/ [options]\n"
    "      The picture the viewer shows for that state; the file type follows the\n"
    "      extension. With several models, -o names a folder and each is MODEL.bmp.\n"
    "      A .gif with --animation NAME plays its frames at 10 a second, looping.\n"
    "      --skin SKIN.pcx|auto     put the skin on (textured, nearest, as the viewer does);\n"
    "                               auto: the one the thumbnailer finds, if any\n"
    "      --frame N|NAME           the frame shown (default 0)\n"
    "      --animation NAME --sheet COLUMNS\n"
    "                               every frame of the animation in a grid, left to right\n"
    "      --mode wire|nearest|linear\n"
    "      --size WxH               the picture's size, 1 to 8192 a side (default 384x395)\n"
    "      --orbit DX,DY            a left-button drag of DX, DY pixels (0.01 rad a pixel)\n"
    "      --zoom STEPS             zoom steps of 10 units; negative zooms out\n"
    "      --pan PIXELS             a right-button drag (0.25 units a pixel; up is negative)\n"
    "      --gamma G                as typed into the Gamma dialog, 0.1 to 10\n"
    "      --mipmaps on|off         (default on)\n"
    "      --background RRGGBB|transparent\n"
    "                               the clear colour; transparent for a PNG or GIF\n"
    "      --fit                    frame the frames' bounds to fill the picture, as a\n"
    "                               thumbnail does (in place of --zoom and --pan)\n"
    "  export MODEL.md2... -o OUT.glb|OUT.gltf|DIR/ [--skin SKIN.pcx] [--gamma G]\n"
    "      The model as glTF 2.0 (Y up, as the viewer draws it): frame 0 as the mesh and\n"
    "      every other frame as a morph target, one animation per animation that info\n"
    "      lists (10 frames a second, linear), the skin as an unlit PNG texture. A .gltf\n"
    "      gets OUT.bin and OUT.png beside it; with several models, -o names a folder.\n"
    "      --skin SKIN.pcx          the skin (without: an untextured unlit material)\n"
    "      --gamma G                brighten the skin as the Gamma dialog does, 0.1 to 10\n"
    "  import MODEL.glb|MODEL.gltf -o OUT.md2 [options]\n"
    "      The reverse of export: every triangle mesh of the default scene, skinned and\n"
    "      morphed, each animation sampled at 10 frames a second from its first key to\n"
    "      its last as frames NAME1, NAME2, ... (a closed loop's repeated last frame left\n"
    "      out); the base-colour texture as OUT.pcx beside it; a summary on success.\n"
    "      --palette PALETTE.pcx    map the skin to that PCX's palette (the game's)\n"
    "      --scale S                multiply positions (default 1; Quake 2's player is\n"
    "                               about 56 units tall)\n"
    "      --skin-path PATH         the skin path the header names (default OUT.pcx's name);\n"
    "                               the skin is written beside OUT.md2 as its last part\n"
    "      --animation NAME         only this animation (repeatable, in the order given)\n"
    "      --merge NAME             all the animations played at once, as one of this name\n"
    "      --keep-loop-end          keep a closed loop's last frame\n"
    "      --height N               scale frame 0 to stand N units tall\n"
    "      --origin keep|feet|centre\n"
    "                               feet: frame 0 centred, standing on z = -24 (Quake 2's)\n"
    "      --quiet                  no summary\n"
    "  thumbnail MODEL.md2 OUT.png SIZE\n"
    "      The first frame, SIZE pixels square with a transparent background, framed to\n"
    "      fill it, skinned when the skin the header names is found inside the model's\n"
    "      tree (its game folder, its folder) or the only .pcx lies beside it: for file\n"
    "      managers' thumbnails.\n"
    "  --help, -h, --version\n"
    "\n"
    "Numbers are plain decimals within their ranges. A failed run leaves every earlier\n"
    "file as it was: outputs are put in place only when whole. Models of one name from\n"
    "several folders are told apart by their folders: a/tris.md2 -> a_tris.glb.\n"
    "\n"
    "Exit status: 0 success, 1 a file refused or not writable or a problem of severity\n"
    "error, 2 bad usage.\n";

int Usage(const std::string& why) {
    std::fprintf(stderr, "velmorin-cli: %s (see velmorin-cli --help)\n", why.c_str());
    return 2;
}

void PrintJson(const nlohmann::ordered_json& document) { std::printf("%s\n", JsonText(document).c_str()); }

int Info(const std::string& path, bool json) {
    std::vector<unsigned char> bytes;
    int32_t header[kMd2FieldCount];
    Md2Model model{};
    Md2Verdict verdict = {kMd2Unreadable, 0};
    if (ReadBytes(path, kLargestMd2File, &bytes)) verdict = ParseMD2(bytes.data(), bytes.size(), &model);
    ReadMd2Header(bytes.data(), bytes.size(), header);
    if (verdict.refusal != kMd2Accepted) {
        std::fprintf(stderr, "velmorin-cli: %s: %s\n", path.c_str(),
                     RefusalMessage(verdict.offset, Md2RefusalText(verdict.refusal)).c_str());
        return 1;
    }
    const std::vector<std::string> names = FrameNames(model);
    const std::vector<std::string> skins = HeaderSkinPaths(bytes);
    ReleaseModel(&model);
    const std::vector<Animation> fromNames = AnimationsFromNames(names);
    bool layout = false;
    const std::vector<Animation> animations = ApplyStandardLayout(fromNames, int32_t(names.size()), &layout);
    const struct {
        Md2Field field;
        int32_t limit;
    } limits[] = {{kMd2NumVertices, kMd2MaxVertices}, {kMd2NumFrames, kMd2MaxFrames},
                  {kMd2NumTriangles, kMd2MaxTriangles}, {kMd2NumSkins, kMd2MaxSkins}};
    if (json) {
        nlohmann::ordered_json document = {{"file", path}};
        for (int i = 0; i < kMd2FieldCount; i++) document["header"][kMd2FieldNames[i]] = header[i];
        for (const auto& l : limits) document["limits"][kMd2FieldNames[l.field]] = l.limit;
        document["skins"] = skins;
        document["frames"] = names;
        document["standardLayout"] = layout;
        document["animations"] = nlohmann::ordered_json::array();
        for (const Animation& a : animations)
            document["animations"].push_back(
                {{"name", a.name}, {"first", a.first}, {"length", a.length}, {"inferred", a.inferred}});
        PrintJson(document);
        return 0;
    }
    std::printf("%s\n", path.c_str());
    for (int i = 0; i < kMd2FieldCount; i++) std::printf("  %-17s %d\n", kMd2FieldNames[i], header[i]);
    std::printf("limits\n");
    for (const auto& l : limits)
        std::printf("  %-17s %d of %d\n", kMd2FieldNames[l.field], header[l.field], l.limit);
    std::printf("skins\n");
    for (size_t s = 0; s < skins.size(); s++) std::printf("  %3zu %s\n", s, skins[s].c_str());
    std::printf("frames\n");
    for (size_t f = 0; f < names.size(); f++) std::printf("  %3zu %s\n", f, names[f].c_str());
    std::printf("animations (%zu from names%s)\n", fromNames.size(),
                layout ? (", " + std::to_string(animations.size()) + " with the standard player layout").c_str() : "");
    for (const Animation& a : animations)
        std::printf("  first %3d  length %3d  %s%s\n", a.first, a.length, a.name.c_str(), a.inferred ? "  (inferred)" : "");
    return 0;
}

int Check(const std::string& model, const std::string& skin, bool json) {
    std::vector<Finding> findings = CheckModel(model);
    if (!skin.empty())
        for (const Finding& f : CheckSkin(skin)) findings.push_back(f);
    bool errors = false;
    nlohmann::ordered_json problems = nlohmann::ordered_json::array();
    for (const Finding& f : findings) {
        errors = errors || f.error;
        if (json)
            problems.push_back({{"severity", f.error ? "error" : "warning"}, {"where", f.where}, {"message", f.text}});
        else
            std::printf("%s: %s: %s: %s\n", model.c_str(), f.error ? "error" : "warning", f.where.c_str(), f.text.c_str());
    }
    if (json) PrintJson({{"file", model}, {"problems", problems}});
    else if (findings.empty()) std::printf("%s: no problems\n", model.c_str());
    return errors ? 1 : 0;
}

// Two integers within [low, high] joined by `separator`, as in 384x395 or 30,-15.
bool ParsePair(const std::string& text, char separator, int low, int high, int* x, int* y) {
    const size_t at = text.find(separator);
    return at != std::string::npos && ParseInt(text.substr(0, at), low, high, x) &&
           ParseInt(text.substr(at + 1), low, high, y);
}

bool IsHexColour(const std::string& text) {
    return text.size() == 6 && std::all_of(text.begin(), text.end(), [](char c) {
        return std::isxdigit(static_cast<unsigned char>(c)) != 0;
    });
}

using Options = std::vector<std::pair<std::string, std::string>>;

// render's and export's arguments: models, and options ("-o" or "--...") each
// with the argument after it as its value. Returns a usage problem, or "".
std::string SplitArguments(const std::vector<std::string>& args, std::vector<std::string>* models, Options* options) {
    for (size_t i = 0; i < args.size(); i++) {
        if (args[i] == "--fit" || args[i] == "--keep-loop-end" || args[i] == "--quiet")
            options->push_back({args[i], ""});  // the options without a value
        else if (args[i].rfind("--", 0) != 0 && args[i] != "-o") models->push_back(args[i]);
        else if (i + 1 == args.size()) return args[i] + " needs a value";
        else options->push_back({args[i], args[i + 1]}), i++;
    }
    return "";
}

bool ParseGamma(const std::string& text, double* gamma) { return ParseDecimal(text, kLeastGamma, kMostGamma, gamma); }
std::string BadGamma(const std::string& text) { return "bad --gamma " + text + ": a decimal number from 0.1 to 10"; }

// Says why each file that cannot be written as an output cannot; exit status
// 1 when any cannot, else 0. Run before anything is written.
int RefuseUnwritable(const std::vector<std::string>& files) {
    int status = 0;
    for (const std::string& file : files) {
        const std::string refusal = OutputRefusal(file);
        if (!refusal.empty()) std::fprintf(stderr, "velmorin-cli: %s\n", refusal.c_str()), status = 1;
    }
    return status;
}

// With several models, or an output ending in /, the output names a folder.
bool NamesFolder(const std::vector<std::string>& models, const std::string& output) {
    return models.size() > 1 || output.back() == '/';
}

// Each model's output name in a folder: its stem, and where stems clash,
// the names of its folders before it, as few as tell the models apart
// (a/tris.md2, b/tris.md2: a_tris, b_tris). Empty, with the problem, when
// two cannot be told apart (one file given twice).
std::vector<std::string> OutputStems(const std::vector<std::string>& models, std::string* problem) {
    std::vector<std::vector<std::string>> parts;  // the stem, then its folders outwards
    for (const std::string& model : models) {
        const std::filesystem::path path = std::filesystem::absolute(std::filesystem::u8path(model)).lexically_normal();
        std::vector<std::string> named = {path.stem().u8string()};
        for (std::filesystem::path folder = path.parent_path(); folder.has_relative_path(); folder = folder.parent_path())
            named.push_back(folder.filename().u8string());
        parts.push_back(named);
    }
    std::vector<size_t> used(models.size(), 1);
    for (;;) {
        std::vector<std::string> stems;
        for (size_t m = 0; m < models.size(); m++) {
            std::string stem;
            for (size_t k = used[m]; k-- > 0;) stem += parts[m][k] + (k ? "_" : "");
            stems.push_back(stem);
        }
        std::vector<bool> clashes(models.size(), false);
        for (size_t a = 0; a < models.size(); a++)
            for (size_t b = a + 1; b < models.size(); b++)
                if (stems[a] == stems[b]) {
                    if (used[a] == parts[a].size() || used[b] == parts[b].size()) {
                        *problem = models[a] + " and " + models[b] + " would be written to one file";
                        return {};
                    }
                    clashes[a] = clashes[b] = true;
                }
        if (std::none_of(clashes.begin(), clashes.end(), [](bool c) { return c; })) return stems;
        for (size_t m = 0; m < models.size(); m++) used[m] += clashes[m];
    }
}

// Makes each model's files with `make`: `output` itself, or in the folder it
// names, each named by OutputStems + `extension`. Every file a run would
// write (`filesOf` an output) is checked before any is: a usage problem is
// exit 2, a file that cannot be written exit 1, and nothing is written.
// Then reports each model's failure; returns the exit status.
int ForEachModel(const std::vector<std::string>& models, const std::string& output, const char* extension,
                 const std::function<std::vector<std::string>(const std::string& out)>& filesOf,
                 const std::function<std::string(const std::string& model, const std::string& out)>& make) {
    std::vector<std::string> outs = {output};
    if (NamesFolder(models, output)) {
        std::error_code error;
        if (!std::filesystem::is_directory(std::filesystem::u8path(output), error))
            return Usage(models.size() > 1 && output.back() != '/' ? "several models need -o FOLDER/, not " + output
                                                                   : "-o " + output + ": no such folder");
        std::string clash;
        const std::vector<std::string> stems = OutputStems(models, &clash);
        if (stems.empty()) return Usage(clash);
        outs.clear();
        for (const std::string& stem : stems) outs.push_back((std::filesystem::u8path(output) / stem).u8string() + extension);
    }
    std::vector<std::string> files;
    for (const std::string& out : outs)
        for (const std::string& file : filesOf(out)) files.push_back(file);
    int status = RefuseUnwritable(files);
    if (status) return status;
    for (size_t m = 0; m < models.size(); m++) {
        const std::string& model = models[m];
        const std::string problem = make(model, outs[m]);
        if (!problem.empty()) {
            std::fprintf(stderr, "velmorin-cli: %s: %s\n", model.c_str(), problem.c_str());
            status = 1;
        }
    }
    return status;
}

int Render(const std::vector<std::string>& args) {
    RenderRequest request;
    std::vector<std::string> models;
    Options options;
    std::string output;
    const std::string split = SplitArguments(args, &models, &options);
    if (!split.empty()) return Usage(split);
    for (const auto& [a, value] : options) {
        const std::string bad = "bad " + a + " " + value + ": ";
        int x = 0, y = 0;
        if (a == "-o") output = value;
        else if (a == "--skin") request.skin = value;
        else if (a == "--frame") request.frame = value;
        else if (a == "--animation") request.animation = value;
        else if (a == "--sheet") {
            if (!ParseInt(value, 1, kMd2MaxFrames, &request.sheetColumns))
                return Usage(bad + "columns from 1 to " + std::to_string(kMd2MaxFrames));
        } else if (a == "--mode") {
            request.mode = value;
            if (value != "wire" && value != "nearest" && value != "linear") return Usage(bad + "wire, nearest or linear");
        } else if (a == "--size") {
            if (!ParsePair(value, 'x', 1, kLargestSide, &x, &y))
                return Usage(bad + "WxH, each from 1 to " + std::to_string(kLargestSide));
            request.width = x, request.height = y;
        } else if (a == "--orbit") {
            if (!ParsePair(value, ',', -kLargestDrag, kLargestDrag, &x, &y))
                return Usage(bad + "DX,DY, each from -" + std::to_string(kLargestDrag) + " to " + std::to_string(kLargestDrag));
            request.orbitX = x, request.orbitY = y;
        } else if (a == "--zoom") {
            if (!ParseInt(value, -kMostZoomSteps, kMostZoomSteps, &request.zoom))
                return Usage(bad + "steps from -" + std::to_string(kMostZoomSteps) + " to " + std::to_string(kMostZoomSteps));
        } else if (a == "--pan") {
            if (!ParseInt(value, -kLargestDrag, kLargestDrag, &request.pan))
                return Usage(bad + "pixels from -" + std::to_string(kLargestDrag) + " to " + std::to_string(kLargestDrag));
        } else if (a == "--gamma") {
            double gamma = 0;
            if (!ParseGamma(value, &gamma)) return Usage(BadGamma(value));
            request.gamma = value;  // typed into the Gamma dialog, which reads it by the same rule
        } else if (a == "--mipmaps") {
            if (value != "on" && value != "off") return Usage(bad + "on or off");
            request.mipmapsOff = value == "off";
        } else if (a == "--fit") {
            request.fit = true;
        } else if (a == "--background" && value == "transparent") {
            request.transparent = true;
        } else if (a == "--background") {
            if (!IsHexColour(value)) return Usage(bad + "six hexadecimal digits, RRGGBB, or transparent");
            request.backgroundRgb = unsigned(std::strtoul(value.c_str(), nullptr, 16));
            request.background = true;
        } else return Usage("unknown option " + a);
    }
    if (models.empty() || output.empty()) return Usage("render needs a model and -o");
    const bool gif = IsGif(output);
    if (gif && request.sheetColumns > 0) return Usage("--sheet makes a BMP, TGA or PNG picture, not a GIF");
    if (request.transparent && !gif && !IsPng(output))
        return Usage("--background transparent makes a PNG or GIF picture: -o OUT.png or OUT.gif");
    if (!gif && (request.sheetColumns > 0) != !request.animation.empty())
        return Usage("--animation goes with --sheet, or with -o OUT.gif");
    const auto filesOf = [](const std::string& out) { return std::vector<std::string>{out}; };
    return ForEachModel(models, output, ".bmp", filesOf, [&request](const std::string& model, const std::string& out) {
        request.model = model;
        request.output = out;
        return RenderModel(request);
    });
}

int Export(const std::vector<std::string>& args) {
    ExportRequest request;
    std::vector<std::string> models;
    Options options;
    std::string output;
    const std::string split = SplitArguments(args, &models, &options);
    if (!split.empty()) return Usage(split);
    for (const auto& [a, value] : options) {
        if (a == "-o") output = value;
        else if (a == "--skin") request.skin = value;
        else if (a == "--gamma") {
            double gamma = 0;
            if (!ParseGamma(value, &gamma)) return Usage(BadGamma(value));
            request.gamma = float(gamma);
            request.brighten = true;
        } else return Usage("unknown option " + a);
    }
    if (models.empty() || output.empty()) return Usage("export needs a model and -o");
    const std::string extension = std::filesystem::u8path(output).extension().u8string();
    if (!NamesFolder(models, output) && extension != ".glb" && extension != ".gltf")
        return Usage("-o names a .glb or .gltf file, or a folder/");
    return ForEachModel(models, output, ".glb", ExportOutputs, [&request](const std::string& model, const std::string& out) {
        request.model = model;
        request.output = out;
        return ExportModel(request);
    });
}

int Import(const std::vector<std::string>& args) {
    ImportRequest request;
    std::vector<std::string> inputs;
    Options options;
    const std::string split = SplitArguments(args, &inputs, &options);
    if (!split.empty()) return Usage(split);
    bool quiet = false;
    for (const auto& [a, value] : options) {
        if (a == "-o") request.output = value;
        else if (a == "--palette") request.palette = value;
        else if (a == "--skin-path") request.skinPath = value;
        else if (a == "--animation") request.scene.animations.push_back(value);
        else if (a == "--merge") request.scene.merge = value;
        else if (a == "--keep-loop-end") request.scene.keepLoopEnd = true;
        else if (a == "--quiet") quiet = true;
        else if (a == "--origin") {
            if (value != "keep" && value != "feet" && value != "centre") return Usage("bad --origin " + value + ": keep, feet or centre");
            request.origin = value;
        } else if (a == "--height") {
            if (!ParseDecimal(value, kLeastImportScale, kMostImportScale, &request.height))
                return Usage("bad --height " + value + ": a decimal number from 0.000001 to 1000000");
        } else if (a == "--scale") {
            if (!ParseDecimal(value, kLeastImportScale, kMostImportScale, &request.scene.scale))
                return Usage("bad --scale " + value + ": a decimal number from 0.000001 to 1000000");
        } else return Usage("unknown option " + a);
    }
    if (inputs.size() != 1 || request.output.empty()) return Usage("import takes one .glb or .gltf model and -o OUT.md2");
    const std::string in = std::filesystem::u8path(inputs[0]).extension().u8string();
    if (in != ".glb" && in != ".gltf") return Usage("import reads a .glb or .gltf file");
    if (std::filesystem::u8path(request.output).extension() != ".md2") return Usage("-o names an .md2 file");
    if (request.skinPath.size() >= size_t(kMd2SkinNameSize)) return Usage("--skin-path is longer than an MD2 holds (63 bytes)");
    request.input = inputs[0];
    if (const int status = RefuseUnwritable({request.output, ImportedSkinPath(request)})) return status;
    ImportReport report;
    const std::string problem = ImportModel(request, &report);
    for (const std::string& warning : report.warnings)
        std::fprintf(stderr, "velmorin-cli: %s: warning: %s\n", request.input.c_str(), warning.c_str());
    if (problem.empty()) {
        for (const std::string& line : report.summary)
            if (!quiet) std::printf("%s\n", line.c_str());
        return 0;
    }
    std::fprintf(stderr, "velmorin-cli: %s: %s\n", request.input.c_str(), problem.c_str());
    return 1;
}

}  // namespace

namespace {

int Run(std::vector<std::string> args) {
    if (args.empty()) return Usage("no command");
    if (args[0] == "--help" || args[0] == "-h") {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (args[0] == "--version") {
        std::puts(kCliVersion);
        return 0;
    }
    const std::string command = args[0];
    args.erase(args.begin());
    bool json = false;
    std::vector<std::string> plain;
    for (const std::string& a : args) {
        if (a == "--json" && (command == "info" || command == "check")) json = true;
        else plain.push_back(a);
    }
    if (command == "info") {
        if (plain.size() != 1) return Usage("info takes one model");
        return Info(plain[0], json);
    }
    if (command == "check") {
        if (plain.empty() || plain.size() > 2) return Usage("check takes a model and perhaps a skin");
        return Check(plain[0], plain.size() == 2 ? plain[1] : "", json);
    }
    if (command == "thumbnail") {
        int size = 0;
        if (plain.size() != 3) return Usage("thumbnail takes a model, an output and a size");
        if (!ParseInt(plain[2], 1, kLargestThumbnail, &size))
            return Usage("bad size " + plain[2] + ": from 1 to " + std::to_string(kLargestThumbnail));
        if (const int status = RefuseUnwritable({plain[1]})) return status;
        const std::string problem = MakeThumbnail(plain[0], plain[1], size);
        if (problem.empty()) return 0;
        std::fprintf(stderr, "velmorin-cli: %s: %s\n", plain[0].c_str(), problem.c_str());
        return 1;
    }
    if (command == "render") return Render(plain);
    if (command == "import") return Import(plain);
    if (command == "export") return Export(plain);
    return Usage("unknown command " + command);
}

}  // namespace

int RunGuarded(const std::vector<std::string>& args) {
    // Every bad argument is refused before anything is allocated; this is the
    // last guard, so that even then the answer is a message, not a signal.
    try {
        return Run(args);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "velmorin-cli: %s\n", error.what());
        return 1;
    }
}
