#include "RowStyle.h"

#include "CheckLog.h"
#include "DateTime.h"

#include <QImage>
#include <QLocale>
#include <QPainter>
#include <QPixmap>

namespace quillon {

QColor IndexColor(int position) {
    return QColor(AuthorColors[position < 0 ? 0 : position % AuthorColors.size()]);
}

QFont TRowStyle::FileFont(const TFileCounters& file) const {
    QFont font = Font;
    font.setBold(file.LastNoComment);
    font.setUnderline(file.LastFewChanges);
    return font;
}

QFont TRowStyle::RevisionFont(const TRevisionInfo& revision) const {
    QFont font = Font;
    font.setBold(revision.Comment.empty());
    font.setUnderline(ChangedLines(revision) < LinesLimit);
    return font;
}

namespace {

constexpr int RowImageSize = 16;
// The device pixel ratios each row image is drawn at, so that it is crisp on
// screens scaled up to 300 %; a ratio between two uses the larger drawing.
constexpr int RowImageScales[] = {1, 2, 3};

// The image drawn by draw in the 16 x 16 square at each scale.
template <typename TDraw> QIcon DrawnIcon(TDraw draw) {
    QIcon icon;
    for (const int scale : RowImageScales) {
        QImage image(RowImageSize * scale, RowImageSize * scale,
                     QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(scale);
        image.fill(Qt::transparent);
        QPainter p(&image);
        draw(p);
        p.end();
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

} // namespace

QIcon FileRowImage() {
    static const QIcon icon = DrawnIcon([](QPainter& p) {
        const QPolygon page(
            {QPoint(3, 1), QPoint(9, 1), QPoint(13, 5), QPoint(13, 14), QPoint(3, 14)});
        p.setPen(Qt::black);
        p.setBrush(Qt::white);
        p.drawPolygon(page);
        p.drawPolyline(QPolygon({QPoint(9, 1), QPoint(9, 5), QPoint(13, 5)}));
    });
    return icon;
}

QIcon RevisionRowImage() {
    static const QIcon icon = DrawnIcon([](QPainter& p) {
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(Qt::black, 1.2));
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(3.5, 3.5, 9, 9));
    });
    return icon;
}

QString FormatListDate(double date) {
    if (date == 0)
        return {};
    const auto p = DecodeDateTime(date);
    return QStringLiteral("%1 %2 %3 %4:%5:%6")
        .arg(p.Day)
        .arg(QLocale().monthName(p.Month, QLocale::ShortFormat))
        .arg(p.Year, 4, 10, QLatin1Char('0'))
        .arg(p.Hour, 2, 10, QLatin1Char('0'))
        .arg(p.Minute, 2, 10, QLatin1Char('0'))
        .arg(p.Second, 2, 10, QLatin1Char('0'));
}

} // namespace quillon
