// How rows and selector entries look: author colours, bold for revisions
// without comment, underline for revisions with few changes, row images.
#pragma once

#include "AuthorIndex.h"
#include "CheckLog.h"
#include "RevisionModel.h"

#include <QColor>
#include <QFont>
#include <QIcon>

#include <array>

namespace quillon {

// The basic 16-colour palette without white.
inline constexpr std::array<QRgb, 15> AuthorColors = {
    qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
    qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(128, 128, 128),
    qRgb(192, 192, 192), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
    qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255)};

// The colour of a position in the author selector; the colours repeat every
// 15 entries and a negative position gives the first.
QColor IndexColor(int position);

// What the rows of the three lists are drawn with.
struct TRowStyle {
    TAuthorIndexPtr Authors; // of the entries the author selector shows
    std::int32_t LinesLimit = 0;
    QFont Font;

    QColor AuthorColor(TText author) const {
        return IndexColor(Authors ? Authors->Position(author) : -1);
    }
    QFont FileFont(const TFileCounters& file) const;
    QFont RevisionFont(const TRevisionInfo& revision) const;
};

// Row image 0: a white page with a folded corner; row image 1: a white node.
QIcon FileRowImage();
QIcon RevisionRowImage();

// "d mmm yyyy hh:nn:ss" with the locale's abbreviated month names; empty for
// an unknown date.
QString FormatListDate(double date);

} // namespace quillon
