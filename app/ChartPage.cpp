#include "ChartPage.h"

#include "ActivityChart.h"
#include "DisplayText.h"
#include "RowStyle.h"

#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QVBoxLayout>

#include <cmath>

namespace quillon {

namespace {

const QStringList ChartModes = {QStringLiteral("Number of commits per day"),
                                QStringLiteral("Number of lines changed per day")};
constexpr int ChartSpacing = 9; // between the mode selector and the chart
const QString NoActivityText =
    QStringLiteral("No activity in the last 4 weeks; End shows the last (%1)");

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
    lstChart = new TChartList(this);
    lstChart->setObjectName(QStringLiteral("lstChart"));
    connect(lstChart, &TChartList::chosen, this,
            [this](const TChartMenu::TItem& item) { Choose(item.File, item.Revision); });

    // While the page is shown, whatever holds the focus in the window.
    const auto addKey = [this](const char* name, Qt::Key key, void (TActivityChart::*go)()) {
        auto* action = new QAction(this);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(key);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, Chart, go);
        addAction(action);
        return action;
    };
    miFirstDay = addKey("miFirstDay", Qt::Key_Home, &TActivityChart::ShowFirstBar);
    miLastDay = addKey("miLastDay", Qt::Key_End, &TActivityChart::ShowLastBar);

    Clear();
}

void TChartPage::SetAuthorColor(std::function<QColor(std::string_view author)> color) {
    popChart->SetAuthorColor(color);
    lstChart->SetAuthorColor(std::move(color));
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
    const TChartData& bars = Chart->Data();
    NoActivity.clear();
    if (!bars.Bars().empty() &&
        bars.BarsBetween(std::trunc(Chart->VisibleFirst()), Chart->VisibleLast()).empty())
        NoActivity = NoActivityText.arg(FormatListDate(bars.LastDate()));
    if (isVisible() && !NoActivity.isEmpty())
        emit statusShown(NoActivity);
}

void TChartPage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!NoActivity.isEmpty())
        emit statusShown(NoActivity);
}

void TChartPage::ChartScroll() {
    NoActivity.clear();
    Chart->FitValueAxis();
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
    std::vector<TChartMenu::TItem> entries;
    entries.reserve(items.size());
    for (TChartItem& item : items)
        entries.push_back({DisplayText(item.Caption), std::move(item.File),
                           std::move(item.Revision), std::move(item.Author)});
    // A menu taller than the screen is no use: many revisions go to a list.
    if (entries.size() > std::size_t(TChartList::MaxRows))
        return lstChart->Popup(std::move(entries), Chart->mapToGlobal(position));
    for (TChartMenu::TItem& entry : entries)
        popChart->AddItem(std::move(entry));
    popChart->popup(Chart->mapToGlobal(position));
}

void TChartPage::miItemClick(QAction* item) {
    // The item's own file name and revision number: its caption cannot be
    // taken apart safely when the name holds " in v" or " lines by ".
    if (const TChartMenu::TItem* chosen = popChart->ItemOf(item))
        Choose(chosen->File, chosen->Revision);
}

void TChartPage::Choose(const std::string& file, const std::string& revision) {
    if (Allowed())
        emit revisionChosen(file, revision);
}

} // namespace quillon
