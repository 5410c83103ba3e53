// A commit as one patch: the client's unified comparison of each of its
// revisions with the revision before it, one file after another.
#pragma once

#include <string>
#include <vector>

namespace quillon {

struct TPatchFile {
    std::string WorkingFile;
    std::string Revision;
    std::string Previous; // empty for a file's first revision
};

// The client's arguments for one file: "diff -u -r PREV -r REV -- FILE", or
// for a first revision "diff -u -N -r 0 -r REV -- FILE", which compares it
// with a file that does not exist, so that its whole text shows as added.
std::vector<std::string> PatchArguments(const TPatchFile& file);

// What a file failed with, as the patch shows it: its lines after "# ", below
// the "Index: FILE" line the client begins each file's part with.
std::string PatchFailure(const TPatchFile& file, const std::string& error);

} // namespace quillon
