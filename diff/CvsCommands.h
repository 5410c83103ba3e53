// The client's comparisons: one function per command builds its arguments.
// The commands that depend on where the client runs (a working folder or a
// repository) are TCvsPlace's.
#pragma once

#include "DiffLines.h"
#include "Patch.h"

#include <string>
#include <vector>

namespace quillon {

// "diff -y -w -b -rOLDER -rNEWER --width=1000 -- FILE": the two revisions side
// by side; without a newer revision the older one and the working file.
std::vector<std::string> DiffArguments(const TDiffRequest& request);

// One file of a patch: "diff -u -r PREV -r REV -- FILE", or for a first
// revision "diff -u -N -r 0 -r REV -- FILE", which compares it with a file that
// does not exist, so that its whole text shows as added.
std::vector<std::string> PatchArguments(const TPatchFile& file);

} // namespace quillon
