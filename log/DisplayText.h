// Conversion of the log's bytes into text for display and export.
#pragma once

#include <QString>

#include <string_view>

namespace quillon {

// Valid UTF-8 is decoded as UTF-8; anything else as Windows-1252, so that a
// log that mixes encodings never shows garbage or loses characters.
QString DisplayText(std::string_view bytes);

// As DisplayText, with every line break (CR LF, LF or a lone CR) made a LF.
QString DisplayComment(std::string_view bytes);

// The key under which texts equal without regard to case meet.
QString CaseKey(std::string_view bytes);

} // namespace quillon
