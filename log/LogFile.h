// Reading a saved `cvs log` output.
#pragma once

#include <QString>

#include <string>

namespace quillon {

// Reads the whole file into bytes in one copy; false with the reason in error
// when it cannot be read.
bool ReadLogFile(const QString& path, std::string& bytes, QString& error);

} // namespace quillon
