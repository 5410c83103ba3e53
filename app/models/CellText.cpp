#include "CellText.h"

#include <algorithm>

namespace quillon {

namespace {

// No character takes more bytes than this in UTF-8, and one in Windows-1252.
constexpr std::size_t MaxCharacterBytes = 4;

bool IsContinuationByte(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

} // namespace

QString CellText(std::string_view bytes, QString (*display)(std::string_view)) {
    constexpr auto budget = static_cast<std::size_t>(CellTextLimit) * MaxCharacterBytes;
    const bool cut = bytes.size() > budget;
    if (cut) {
        // Cut before a character whose bytes run past the budget.
        std::size_t end = budget;
        while (end > budget - MaxCharacterBytes && IsContinuationByte(bytes[end]))
            --end;
        bytes = bytes.substr(0, end);
    }
    QString text = display(bytes);
    if (!cut && text.size() <= CellTextLimit)
        return text;
    qsizetype keep = std::min(text.size(), CellTextLimit);
    if (keep > 0 && text.at(keep - 1).isHighSurrogate())
        --keep;
    text.truncate(keep);
    return text + CellTextEllipsis;
}

} // namespace quillon
