// The activity chart of the Charts page and the menu of a bar's revisions.
#pragma once

#include "ChartData.h"

#include <QMenu>
#include <QProxyStyle>
#include <qcustomplot.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

// A bar chart over a time axis of days: white, without title or legend; bars
// of a fixed width in pixels whatever the scale; the bottom axis labelled with
// the day of the month, the left axis from 0 to the highest bar. Dragging
// with the right mouse button pans the time axis; zooming is off.
class TActivityChart : public QCustomPlot {
    Q_OBJECT
public:
    static constexpr QRgb SeriesColor = qRgb(0, 128, 255);
    static constexpr double BarWidth = 20; // pixels

    explicit TActivityChart(QWidget* parent = nullptr);

    QCPBars* Series() const { return Bars; }
    // Replaces the bars. The left axis spans 0 to the highest bar.
    void SetBars(TChartData data);
    const TChartData& Data() const { return Contents; }

    // The visible part of the time axis, in date-time values.
    void SetVisibleRange(double first, double last);
    double VisibleFirst() const;
    double VisibleLast() const;

    // The index of the bar whose drawn rectangle holds point (in the chart's
    // coordinates), or -1.
    int BarAt(QPointF point) const;

signals:
    // A mouse button went down at position (in the chart's coordinates).
    void MouseDown(Qt::MouseButton button, QPoint position);
    // The time axis was panned by one step.
    void Scrolled();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QCPBars* Bars = nullptr;
    TChartData Contents;
    bool Panning = false;
    double PanStartX = 0;
    QCPRange PanStartRange;
};

// The menu of a bar's revisions. Each item shows its caption exactly as it
// was built, without keyboard mnemonics, in its author's colour, on light
// grey when highlighted. An item carries the file name and the revision
// number it stands for.
class TChartMenu : public QMenu {
    Q_OBJECT
public:
    static constexpr QRgb HighlightColor = qRgb(240, 240, 240);

    struct TItem {
        QString Caption;
        std::string File;     // the working file's name
        std::string Revision; // the revision number
        std::string Author;
    };

    explicit TChartMenu(QWidget* parent = nullptr);

    // Gives an author's colour; black without it.
    void SetAuthorColor(std::function<QColor(std::string_view author)> color) {
        AuthorColor = std::move(color);
    }
    // Removes and frees every item.
    void Clear();
    QAction* AddItem(TItem item);
    // The item that action of this menu stands for, or none.
    const TItem* ItemOf(const QAction* action) const;

    // What an item is drawn from: its caption as it stands and its author's
    // colour as the text colour.
    void initStyleOption(QStyleOptionMenuItem* option, const QAction* action) const override;

private:
    std::vector<TItem> Items;
    std::function<QColor(std::string_view)> AuthorColor;
};

// Draws the items of a TChartMenu: the menu's own background, or the light
// grey of the highlighted item, and the caption from the item's left edge,
// centred vertically, in the option's text colour.
class TChartMenuStyle : public QProxyStyle {
    Q_OBJECT
public:
    using QProxyStyle::QProxyStyle;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
};

} // namespace quillon
