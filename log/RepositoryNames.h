// The file names of an `rlog` output, which names each file only by the path
// of its RCS file in the repository.
#pragma once

#include "RevisionModel.h"

#include <string>
#include <string_view>

namespace quillon {

// The name a working folder of module would give the file whose RCS file is
// rcsPath: the repository's path (repositoryPath) and the module's folder
// taken from its front, ",v" from its end and an "Attic" folder, where
// removed files are kept, from before the file's own name. A path outside the
// repository's keeps all but its ",v"; one outside the module's keeps the part
// after the module's folder where the path names it, else all of itself.
std::string RepositoryFileName(std::string_view rcsPath, std::string_view repositoryPath,
                               std::string_view module);

// Names every file of table that has no working-file name by its RCS path.
void NameRepositoryFiles(TRCSFileTable& table, std::string_view repositoryPath,
                         std::string_view module);

} // namespace quillon
