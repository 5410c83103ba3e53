// The activity chart of the Charts page and the menu of a bar's revisions.
#pragma once

#include "ChartData.h"

#include <QFrame>
#include <QMenu>
#include <QProxyStyle>
#include <qcustomplot.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

class QListWidget;

namespace quillon {

// A bar chart over a time axis of days: white, without title or legend; bars
// of a fixed width in pixels whatever the scale; the bottom axis labelled with
// the day of the month, the left axis from 0 to the highest bar. Dragging
// with the right mouse button and the mouse wheel pan the time axis, the
// wheel with Ctrl held zooms it from a week to the whole history; the
// charting component's own interactions are off.
class TActivityChart : public QCustomPlot {
    Q_OBJECT
public:
    static constexpr QRgb SeriesColor = qRgb(0, 128, 255);
    static constexpr double BarWidth = 20; // pixels
    static constexpr double LeastVisibleDays = 7;
    static constexpr double WheelScroll = 0.1; // of the visible span, a wheel step
    static constexpr double WheelZoom = 1.25;  // the span's factor, a wheel step

    explicit TActivityChart(QWidget* parent = nullptr);

    QCPBars* Series() const { return Bars; }
    // Replaces the bars. The left axis spans 0 to the highest bar.
    void SetBars(TChartData data);
    const TChartData& Data() const { return Contents; }

    // The visible part of the time axis, in date-time values.
    void SetVisibleRange(double first, double last);
    double VisibleFirst() const;
    double VisibleLast() const;

    // The visible span kept, the first or the last bar comes into view at its
    // edge; nothing without bars.
    void ShowFirstBar();
    void ShowLastBar();
    // Moves the visible part by fraction of its span, later when positive.
    void ScrollBy(double fraction);
    // Multiplies the visible span by factor, within a week and the whole
    // history, keeping the day at key where it is.
    void ZoomBy(double factor, double key);
    // The widest span zooming allows, in date-time units: the whole history
    // with room for its edge bars, and not less than the span a rebuild shows.
    double WidestSpan() const;
    // The left axis from 0 to the highest bar in view.
    void FitValueAxis();

    // The index of the bar whose drawn rectangle holds point (in the chart's
    // coordinates), or -1.
    int BarAt(QPointF point) const;

signals:
    // A mouse button went down at position (in the chart's coordinates).
    void MouseDown(Qt::MouseButton button, QPoint position);
    // The time axis was panned, zoomed or moved to a bar.
    void Scrolled();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Shows keys [lower, lower + size) and says so.
    void Show(double lower, double size);
    // The keys BarWidth pixels take at a visible span of size keys.
    double BarKeys(double size) const;

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

// The revisions of a bar too many for a menu: a list in a popup window,
// scrolled when it holds more than MaxRows, drawn as the menu draws its items.
// A click on a row, or Return on the current one, closes the window and
// reports the row's item.
class TChartList : public QFrame {
    Q_OBJECT
public:
    static constexpr int MaxRows = 25;

    explicit TChartList(QWidget* parent = nullptr);

    void SetAuthorColor(std::function<QColor(std::string_view author)> color) {
        AuthorColor = std::move(color);
    }
    // Shows items at position (on the screen), within the screen.
    void Popup(std::vector<TChartMenu::TItem> items, QPoint position);
    QListWidget* List() const { return lbRevisions; }
    const TChartMenu::TItem* ItemAt(int row) const;

signals:
    void chosen(const TChartMenu::TItem& item);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Choose(int row);

    QListWidget* lbRevisions = nullptr;
    std::vector<TChartMenu::TItem> Items;
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
