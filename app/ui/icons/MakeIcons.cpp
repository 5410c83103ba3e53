// Draws Quillon's program icon, a quill over a written page, as PNG files of
// the sizes the program uses: make_icons FOLDER writes quillon-16.png,
// quillon-32.png, quillon-48.png and quillon-256.png into FOLDER. quillon.svg
// beside them is the same drawing in its own 256 x 256 square, for the
// installed icon theme.
#include <QColor>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr int Sizes[] = {16, 32, 48, 256};
constexpr double Design = 256; // the drawing's own square

constexpr QColor PageColor(255, 255, 255);
constexpr QColor PageEdgeColor(70, 90, 120);
constexpr QColor FoldColor(205, 215, 230);
constexpr QColor LineColor(150, 170, 200);
constexpr QColor VaneColor(30, 110, 160);
constexpr QColor VaneLightColor(95, 175, 215);
constexpr QColor ShaftColor(235, 240, 245);
constexpr QColor NibColor(40, 40, 50);
constexpr QColor InkColor(20, 40, 90);

// A pen width in design units that is at least minPixels wide at size.
double Stroke(double design, double minPixels, int size) {
    return std::max(design, minPixels * Design / size);
}

// A pen width in design units of a whole number of pixels at size.
double PixelStroke(double design, int size) {
    return std::max(1.0, std::round(design * size / Design)) * Design / size;
}

// Moves a coordinate of a line drawn with width (design units) onto the pixel
// grid of size, so that the line covers whole pixels and stays sharp.
double Snap(double value, double width, int size) {
    const double unit = Design / size;
    const bool odd = static_cast<int>(std::round(width / unit)) % 2 == 1;
    const double offset = odd ? unit / 2 : 0;
    return std::round((value - offset) / unit) * unit + offset;
}

QImage Render(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / Design, size / Design);
    const bool small = size < 32;

    // The page with its folded corner.
    const double edge = PixelStroke(6, size);
    const double left = Snap(34, edge, size), top = Snap(20, edge, size);
    const double right = Snap(190, edge, size), bottom = Snap(236, edge, size);
    const double fold = Snap(44, 0, size);
    QPainterPath page;
    page.moveTo(left, top);
    page.lineTo(right - fold, top);
    page.lineTo(right, top + fold);
    page.lineTo(right, bottom);
    page.lineTo(left, bottom);
    page.closeSubpath();
    p.setPen(QPen(PageEdgeColor, edge, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(PageColor);
    p.drawPath(page);
    QPainterPath corner;
    corner.moveTo(right - fold, top);
    corner.lineTo(right - fold, top + fold);
    corner.lineTo(right, top + fold);
    corner.closeSubpath();
    p.setBrush(FoldColor);
    p.drawPath(corner);

    // Written lines; the last one ends where the nib rests.
    const double line = PixelStroke(10, size);
    p.setPen(QPen(LineColor, line, Qt::SolidLine, Qt::FlatCap));
    const int lines = small ? 3 : 5;
    const double spacing = (bottom - top - 70) / lines;
    for (int i = 0; i < lines; ++i) {
        const double y = Snap(top + 60 + i * spacing, line, size);
        const double end = i == lines - 1 ? 110 : right - 26;
        p.drawLine(QPointF(left + 22, y), QPointF(end, y));
    }

    // The quill: a vane curving from the tip down to the shaft, the shaft and
    // the nib resting on the page.
    const QPointF nib(118, 214), tip(240, 14);
    QPainterPath vane;
    vane.moveTo(142, 172);
    vane.cubicTo(QPointF(138, 110), QPointF(180, 40), tip);
    vane.cubicTo(QPointF(222, 80), QPointF(200, 150), QPointF(158, 184));
    vane.closeSubpath();
    p.setPen(QPen(VaneColor.darker(140), Stroke(4, 0.8, size)));
    p.setBrush(VaneColor);
    p.drawPath(vane);
    if (!small) {
        QPainterPath light;
        light.moveTo(150, 176);
        light.cubicTo(QPointF(150, 120), QPointF(185, 60), tip);
        light.cubicTo(QPointF(200, 80), QPointF(185, 140), QPointF(156, 180));
        light.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(VaneLightColor);
        p.drawPath(light);
    }
    p.setPen(QPen(ShaftColor, Stroke(5, 1, size), Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(150, 182), QPointF(226, 40));
    p.setPen(QPen(NibColor, Stroke(12, 1.5, size), Qt::SolidLine, Qt::RoundCap));
    p.drawLine(nib, QPointF(150, 180));
    p.setPen(Qt::NoPen);
    p.setBrush(InkColor);
    p.drawEllipse(nib, Stroke(9, 1, size), Stroke(9, 1, size));
    return image;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fputs("usage: make_icons FOLDER\n", stderr);
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    for (const int size : Sizes) {
        const QString file = folder.filePath(QStringLiteral("quillon-%1.png").arg(size));
        if (!Render(size).save(file)) {
            std::fprintf(stderr, "make_icons: cannot write %s\n", file.toLocal8Bit().constData());
            return 1;
        }
    }
    return 0;
}
