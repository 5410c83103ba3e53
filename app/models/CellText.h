// The text a list cell or a selector entry shows of a field of the log. A
// field may be megabytes long; drawing, measuring or even converting all of
// it on every paint would stall the window, so only its beginning is shown.
#pragma once

#include "DisplayText.h"

#include <QString>

#include <string_view>

namespace quillon {

// Cells and selector entries show at most this many characters of a field.
inline constexpr qsizetype CellTextLimit = 1000;
// What stands for the rest of a field that was cut.
inline constexpr QChar CellTextEllipsis{0x2026};

// The field converted by display (DisplayText, DisplayComment), cut after
// CellTextLimit characters and then ended by the ellipsis. Only the bytes the
// shown characters can take are converted; so a field that is valid UTF-8
// there but not further on shows as UTF-8.
QString CellText(std::string_view bytes, QString (*display)(std::string_view) = DisplayText);

// A comment box lays out a line whole, however long; a line of megabytes
// would stall the window for seconds. Lines longer than this are shown as
// lines of this length.
inline constexpr qsizetype CommentBoxLineLimit = 10000;

// The whole comment for the comment box: as DisplayComment, with every line
// longer than CommentBoxLineLimit characters broken after each run of that
// many characters.
QString CommentBoxText(std::string_view bytes);

} // namespace quillon
