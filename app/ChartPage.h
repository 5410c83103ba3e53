// The Charts page of the main window: the mode selector, the activity chart
// of a history and the menu of a bar's revisions.
#pragma once

#include "ChartData.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

class QAction;
class QComboBox;

namespace quillon {

class TActivityChart;
class TChartList;
class TChartMenu;

class TChartPage : public QWidget {
    Q_OBJECT
public:
    explicit TChartPage(QWidget* parent = nullptr);

    // Asked before a bar's menu opens and before one of its revisions is
    // chosen; without it both always may.
    void SetMayStart(std::function<bool()> mayStart) { MayStart = std::move(mayStart); }
    // Gives an author's colour to the menu items; black without it.
    void SetAuthorColor(std::function<QColor(std::string_view author)> color);

    // Shows the bars of history, newest first as the History page lists it,
    // whose revisions belong to table, in the selected mode; the last four
    // weeks up to now come into view. When they hold no bar, a notice says
    // when the last one is, and is shown (statusShown) while the page is.
    void Fill(std::span<const TRevisionInfo* const> history,
              const std::shared_ptr<const TRCSFileTable>& table);
    // As Fill, with the bars already built in Mode().
    void Fill(TChartData data);
    // Shows no bars, with the last four weeks up to now in view.
    void Clear() { Fill({}, nullptr); }
    // The notice of the last Fill, until the chart is moved; empty when the
    // last four weeks hold a bar or there are none.
    const QString& Notice() const { return NoActivity; }

    // Home and End: the first and the last bar come into view.
    QAction* miFirstDay = nullptr;
    QAction* miLastDay = nullptr;
    // The selected mode.
    TChartMode Mode() const;

signals:
    // A mode was picked in the selector; the page keeps its bars until the
    // next Fill.
    void modeChosen();
    // A revision was picked in a bar's menu: its working file's name and its
    // revision number.
    void revisionChosen(const std::string& file, const std::string& revision);
    // A text for the status bar.
    void statusShown(const QString& message);

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool Allowed() const { return !MayStart || MayStart(); }
    void ChartScroll();
    void ChartMouseDown(Qt::MouseButton button, QPoint position);
    void miItemClick(QAction* item);
    void Choose(const std::string& file, const std::string& revision);

    std::function<bool()> MayStart;
    QComboBox* cbxChart = nullptr;
    TActivityChart* Chart = nullptr;
    TChartMenu* popChart = nullptr;
    TChartList* lstChart = nullptr;
    QString NoActivity;
};

} // namespace quillon
