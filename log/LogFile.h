// Where a log comes from: a saved `cvs log` output, or a working folder.
#pragma once

#include "ParseLog.h"

#include <QString>

#include <limits>
#include <string>

namespace quillon {

// Reads the file into reader piece by piece; false with the reason in error
// when it cannot be read. A file longer than limit bytes throws
// std::bad_alloc, as memory running out does, with reader.Size() saying how
// much was read.
bool ReadLogFile(const QString& path, TLogReader& reader, QString& error,
                 std::size_t limit = std::numeric_limits<std::size_t>::max());

// Why folder cannot be read through the client: "Folder not found: FOLDER" or
// "Not a CVS working folder: FOLDER (no CVS subfolder)"; empty when it can.
QString CheckWorkingFolder(const QString& folder);

// "Folder not found: FOLDER".
QString FolderNotFoundText(const QString& folder);

} // namespace quillon
