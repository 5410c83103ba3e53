// The Charts page of the main window: the activity chart of the history and
// the menu of a bar's revisions.
#include "ActivityChart.h"
#include "DisplayText.h"
#include "fMain.h"

#include <QComboBox>
#include <QFrame>
#include <QVBoxLayout>

namespace quillon {

namespace {

const QStringList ChartModes = {QStringLiteral("Number of commits per day"),
                                QStringLiteral("Number of lines changed per day")};
constexpr int ChartSpacing = 9; // between the mode selector and the chart

} // namespace

void TfrmMain::CreateChartPage(QVBoxLayout* page) {
    page->setSpacing(ChartSpacing);

    cbxChart = new QComboBox;
    cbxChart->setObjectName(QStringLiteral("cbxChart"));
    cbxChart->setEditable(false);
    cbxChart->addItems(ChartModes);
    cbxChart->setCurrentIndex(int(TChartMode::Commits));
    page->addWidget(cbxChart);
    connect(cbxChart, &QComboBox::activated, this, &TfrmMain::cbxChartSelect);

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
    connect(Chart, &TActivityChart::MouseDown, this, &TfrmMain::ChartMouseDown);
    connect(Chart, &TActivityChart::Scrolled, this, &TfrmMain::ChartScroll);

    popChart = new TChartMenu(this);
    popChart->setObjectName(QStringLiteral("popChart"));
    popChart->SetAuthorColor([this](std::string_view author) { return Style.AuthorColor(author); });
    connect(popChart, &QMenu::triggered, this, &TfrmMain::miItemClick);

    FillChart();
}

void TfrmMain::FillChart() {
    const auto mode = static_cast<TChartMode>(std::max(0, cbxChart->currentIndex()));
    Chart->SetBars(TChartData(HistoryRows->Revisions(), mode, RCSFiles));
    const double now = LocalNow();
    Chart->SetVisibleRange(now - VisibleDays, now);
    Chart->xAxis->setLabel(MonthTitle(Chart->VisibleFirst()));
    Chart->yAxis->setLabel(cbxChart->currentText());
    Chart->replot();
}

void TfrmMain::cbxChartSelect() {
    if (MayStart())
        FilterFiles();
}

void TfrmMain::ChartScroll() {
    Chart->yAxis->setRangeLower(0);
    Chart->xAxis->setLabel(MonthTitle(Chart->VisibleFirst()));
}

void TfrmMain::ChartMouseDown(Qt::MouseButton button, QPoint position) {
    if (!MayStart() || button != Qt::LeftButton)
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

void TfrmMain::miItemClick(QAction* item) {
    if (!MayStart())
        return;
    const TChartMenu::TItem* chosen = popChart->ItemOf(item);
    if (!chosen)
        return;
    // The item's own file name and revision number: its caption cannot be
    // taken apart safely when the name holds " in v" or " lines by ".
    TRCSFile* file = RCSFiles ? FindFile(*RCSFiles, chosen->File) : nullptr;
    TRevisionInfo* revision = FindRevision(file, chosen->Revision);
    ShowDiff(file, revision, FindPreviousRevision(file, revision));
}

} // namespace quillon
