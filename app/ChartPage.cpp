#include "ChartPage.h"

#include "ActivityChart.h"
#include "DisplayText.h"

#include <QComboBox>
#include <QFrame>
#include <QVBoxLayout>

namespace quillon {

namespace {

const QStringList ChartModes = {QStringLiteral("Number of commits per day"),
                                QStringLiteral("Number of lines changed per day")};
constexpr int ChartSpacing = 9; // between the mode selector and the chart

} // namespace

TChartPage::TChartPage(QWidget* parent) : QWidget(parent) {
    auto* page = new QVBoxLayout(this);
    page->setSpacing(ChartSpacing);

    cbxChart = new QComboBox;
    cbxChart->setObjectName(QStringLiteral("cbxChart"));
    cbxChart->setEditable(false);
    cbxChart->addItems(ChartModes);
    cbxChart->setCurrentIndex(int(TChartMode::Commits));
    page->addWidget(cbxChart);
    connect(cbxChart, &QComboBox::activated, this, &TChartPage::modeChosen);

    // The chart within a lowered bevel.
    auto* frame = new QFrame;
    frame->setObjectName(QStringLiteral("pnlChart"));
    frame->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->setContentsMargins(frame->frameWidth(), frame->frameWidth(), frame->frameWidth(),
                                    frame->frameWidth());
    Chart = new TActivityChart;
    frameLayout->addWidget(Chart);
    page->addWidget(frame, 1);
    connect(Chart, &TActivityChart::MouseDown, this, &TChartPage::ChartMouseDown);
    connect(Chart, &TActivityChart::Scrolled, this, &TChartPage::ChartScroll);

    popChart = new TChartMenu(this);
    popChart->setObjectName(QStringLiteral("popChart"));
    connect(popChart, &QMenu::triggered, this, &TChartPage::miItemClick);

    Clear();
}

void TChartPage::SetAuthorColor(std::function<QColor(std::string_view author)> color) {
    popChart->SetAuthorColor(std::move(color));
}

void TChartPage::Fill(std::span<const TRevisionInfo* const> history,
                      const std::shared_ptr<const TRCSFileTable>& table) {
    Fill(TChartData(history, Mode(), table));
}

TChartMode TChartPage::Mode() const {
    return static_cast<TChartMode>(std::max(0, cbxChart->currentIndex()));
}

void TChartPage::Fill(TChartData data) {
    Chart->SetBars(std::move(data));
    const double now = LocalNow();
    Chart->SetVisibleRange(now - VisibleDays, now);
    Chart->xAxis->setLabel(MonthTitle(Chart->VisibleFirst()));
    Chart->yAxis->setLabel(cbxChart->currentText());
    Chart->replot();
}

void TChartPage::ChartScroll() {
    Chart->yAxis->setRangeLower(0);
    Chart->xAxis->setLabel(MonthTitle(Chart->VisibleFirst()));
}

void TChartPage::ChartMouseDown(Qt::MouseButton button, QPoint position) {
    if (!Allowed() || button != Qt::LeftButton)
        return;
    const int bar = Chart->BarAt(position);
    if (bar < 0)
        return;
    popChart->Clear();
    // No items once the file table the bars were made from is gone (a load
    // that failed or was aborted leaves the chart as it was).
    std::vector<TChartItem> items = Chart->Data().Items(std::size_t(bar));
    if (items.empty())
        return;
    for (TChartItem& item : items)
        popChart->AddItem({DisplayText(item.Caption), std::move(item.File),
                           std::move(item.Revision), std::move(item.Author)});
    popChart->popup(Chart->mapToGlobal(position));
}

void TChartPage::miItemClick(QAction* item) {
    if (!Allowed())
        return;
    // The item's own file name and revision number: its caption cannot be
    // taken apart safely when the name holds " in v" or " lines by ".
    if (const TChartMenu::TItem* chosen = popChart->ItemOf(item))
        emit revisionChosen(chosen->File, chosen->Revision);
}

} // namespace quillon
