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

QString CommentBoxText(std::string_view bytes) {
    QString text = DisplayComment(bytes);
    const QChar lineBreak(QLatin1Char('\n'));
    qsizetype start = 0;
    while (start < text.size()) {
        const qsizetype end = text.indexOf(lineBreak, start);
        const qsizetype length = (end < 0 ? text.size() : end) - start;
        if (length > CommentBoxLineLimit)
            break;
        start += length + 1;
    }
    if (start >= text.size())
        return text;

    QString broken;
    broken.reserve(text.size() + text.size() / CommentBoxLineLimit + 1);
    broken.append(QStringView(text).first(start));
    while (start < text.size()) {
        qsizetype end = text.indexOf(lineBreak, start);
        if (end < 0)
            end = text.size();
        while (end - start > CommentBoxLineLimit) {
            qsizetype cut = start + CommentBoxLineLimit;
            if (text.at(cut - 1).isHighSurrogate())
                --cut;
            broken.append(QStringView(text).sliced(start, cut - start));
            broken.append(lineBreak);
            start = cut;
        }
        broken.append(QStringView(text).sliced(start, end - start));
        if (end < text.size())
            broken.append(lineBreak);
        start = end + 1;
    }
    return broken;
}

} // namespace quillon
