#pragma once

// Output files that never cost a user an earlier file: each is written into
// a new private folder (mode 0700) beside its destination, and a model's
// files (a .gltf with its .bin and .png) are renamed into place together
// only once every one is complete and every rename is known to be allowed.
// On failure only the temporary files go. A file replaced keeps its
// permission bits.

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

struct StagedOutputs {
    std::vector<std::string> finals, temporaries, folders;
};

// Why `path` cannot be written as an output, before anything is: it exists
// and is not a regular file (a folder, a device), or its folder is missing.
// "" when it can.
std::string OutputRefusal(const std::string& path);

// A new, empty temporary file for `path`, in a folder no one else can
// enter, that `write` then fills (given its name; false on failure).
// Returns "" or "cannot write PATH: REASON".
std::string StageOutput(StagedOutputs* staged, const std::string& path,
                        const std::function<bool(const std::string& temporary)>& write);
// A temporary file StageOutput made, opened as a stream that replaces its
// content; the name goes through the system's own API, so any name works.
FILE* OpenStagedStream(const std::string& temporary);
// The same for bytes in memory, written through the descriptor that made the file.
std::string StageBytes(StagedOutputs* staged, const std::string& path, const void* bytes, size_t size);

// Renames every staged file to its final name; returns "" or why not. The
// temporary files left are removed either way.
std::string CommitOutputs(StagedOutputs* staged);
void DiscardOutputs(StagedOutputs* staged);

// Writes bytes into `path` itself when it is empty or missing, as a
// freedesktop thumbnailer must: Tumbler reads the empty file it made
// through a descriptor it keeps, so a new file renamed over the name would
// never be seen. Not through a link; a file this call made is removed again
// when the write fails. A file with content is replaced whole by staging,
// so that a failure never costs it. Returns "" or "cannot write PATH: REASON".
std::string WriteInPlace(const std::string& path, const void* bytes, size_t size);
