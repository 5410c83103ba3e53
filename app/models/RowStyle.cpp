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

QImage BlankRowImage() {
    QImage image(RowImageSize, RowImageSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

} // namespace

QIcon FileRowImage() {
    static const QIcon icon = [] {
        QImage image = BlankRowImage();
        QPainter p(&image);
        const QPolygon page(
            {QPoint(3, 1), QPoint(9, 1), QPoint(13, 5), QPoint(13, 14), QPoint(3, 14)});
        p.setPen(Qt::black);
        p.setBrush(Qt::white);
        p.drawPolygon(page);
        p.drawPolyline(QPolygon({QPoint(9, 1), QPoint(9, 5), QPoint(13, 5)}));
        p.end();
        return QIcon(QPixmap::fromImage(image));
    }();
    return icon;
}

QIcon RevisionRowImage() {
    static const QIcon icon = [] {
        QImage image = BlankRowImage();
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(Qt::black, 1.2));
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(3.5, 3.5, 9, 9));
        p.end();
        return QIcon(QPixmap::fromImage(image));
    }();
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
