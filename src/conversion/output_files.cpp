// What output files do alike on every system: the staged files moved into
// place together once every move is known to be allowed, and what is left
// removed.
#include "output_files.h"

#include "output_files_system.h"

std::string CannotWrite(const std::string& path, const std::string& reason) {
    return "cannot write " + path + ": " + reason;
}

std::string CommitOutputs(StagedOutputs* staged) {
    // Every move is checked first, so that none is made when another would fail.
    for (const std::string& path : staged->finals) {
        const std::string refusal = RenameRefusal(path);
        if (!refusal.empty()) {
            DiscardOutputs(staged);
            return refusal;
        }
    }
    std::string problem;
    for (size_t i = 0; i < staged->finals.size() && problem.empty(); i++) {
        problem = MoveIntoPlace(staged->temporaries[i], staged->finals[i]);
        if (problem.empty()) staged->temporaries[i].clear();
    }
    DiscardOutputs(staged);
    return problem;
}

void DiscardOutputs(StagedOutputs* staged) {
    for (const std::string& temporary : staged->temporaries)
        if (!temporary.empty()) RemoveFile(temporary);
    for (const std::string& folder : staged->folders) RemoveFolder(folder);
    staged->temporaries.clear();
    staged->finals.clear();
    staged->folders.clear();
}
