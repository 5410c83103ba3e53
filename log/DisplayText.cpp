#include "DisplayText.h"

#include <QByteArrayView>

namespace quillon {

namespace {

// Windows-1252 in 0x80..0x9F; the five unassigned codes map to the C1 controls.
constexpr char16_t Cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString FromCp1252(std::string_view s) {
    QString text(static_cast<qsizetype>(s.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        *out++ = QChar(c >= 0x80 && c < 0xA0 ? Cp1252High[c - 0x80] : char16_t(c));
    }
    return text;
}

} // namespace

QString DisplayText(std::string_view bytes) {
    if (QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())).isValidUtf8())
        return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    return FromCp1252(bytes);
}

QString DisplayComment(std::string_view bytes) {
    QString text = DisplayText(bytes);
    if (text.contains(QLatin1Char('\r'))) {
        text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    }
    return text;
}

QString CaseKey(std::string_view bytes) {
    return DisplayText(bytes).toCaseFolded();
}

} // namespace quillon
