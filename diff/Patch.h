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

// What a file failed with, as the patch shows it: its lines after "# ", below
// the "Index: FILE" line the client begins each file's part with.
std::string PatchFailure(const TPatchFile& file, const std::string& error);

} // namespace quillon
