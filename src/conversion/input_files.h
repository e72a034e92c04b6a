#pragma once

// Input files that a stranger may have made: read only when they are
// regular files of a size the format can need, and, when a file names
// another, only inside the tree the naming file belongs to.

#include <cstdint>
#include <string>
#include <vector>

#include "formats/md2.h"
#include "formats/pcx.h"

// The most bytes a model file can need: one within Quake 2's limits is
// under 5 MB. (A skin's is kLargestPcxFile.)
const uint64_t kLargestMd2File = uint64_t{64} << 20;

// Reads `path` whole: "" with `bytes` filled, else why not. Folders, FIFOs
// and devices are refused before anything is read (opened non-blocking, so
// a FIFO cannot hold the run), and so is a file over `most` bytes.
std::string ReadInputFile(const std::string& path, uint64_t most, std::vector<unsigned char>* bytes);

// The viewer's rules for a model and a skin, on files read as above (so on
// Windows any name reaches them); a file that cannot be read is unreadable.
// `palette`, when given, gets an accepted skin's 256 colours.
Md2Verdict ReadMd2Input(const std::string& path, Md2Model* model);
PcxVerdict ReadPcxInput(const std::string& path, RgbImage* image, unsigned char palette[768] = nullptr);

// A path a file names, as the steps of a relative path inside its folder:
// "" with `steps` filled, else why it is refused (absolute, a drive or a
// scheme, a backslash, or a .. step that leaves the folder; with
// `allowUp` false, any .. step at all).
std::string RelativeSteps(const std::string& named, bool allowUp, std::vector<std::string>* steps);

// `root` joined with `steps`, once symbolic links are resolved: "" with
// `resolved` filled when it lies inside `root`, else why not.
std::string ResolveInside(const std::string& root, const std::vector<std::string>& steps, std::string* resolved);

// True when the two names are one file: the same device and inode.
bool SameFile(const std::string& a, const std::string& b);

// Why one of `outputs` would overwrite one of `inputs`, or "".
std::string InputAsOutput(const std::vector<std::string>& inputs, const std::vector<std::string>& outputs);
