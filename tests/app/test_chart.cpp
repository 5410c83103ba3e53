#include "MainWindowFixture.h"

#include "ActivityChart.h"
#include "ChartData.h"
#include "ChartPage.h"
#include "DateTime.h"
#include "RowStyle.h"
#include "Selectors.h"

#include <QComboBox>
#include <QKeySequence>
#include <QListWidget>
#include <QScrollBar>
#include <QStyleOptionMenuItem>
#include <QTabWidget>

#include <cmath>

QT_BEGIN_NAMESPACE
// Readable texts in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

using namespace quillon;
using namespace quillon::test;

namespace {

constexpr double SecondsPerDay = 86400;

double Encode(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    return *EncodeDateTime({year, month, day, hour, minute, second});
}

// The captions of a bar, split again at the line breaks of its label.
QStringList LabelLines(const TChartData& data, std::size_t bar) {
    return QString::fromStdString(data.Label(bar)).split(QStringLiteral("\r\n"));
}

TEST(ChartCaption, IsBuiltFromTheRevisionAndTakenApartAtTheFirstSeparators) {
    TRCSFile file;
    file.WorkingFile = "src/main.c";
    TRevisionInfo revision;
    revision.FileInfo = &file;
    revision.Revision = "1.12.2.3";
    revision.LinesAdded = 14;
    revision.LinesRemoved = 0;
    revision.Author = "anna";
    const std::string caption = RevisionCaption(revision);
    EXPECT_EQ(caption, "src/main.c in v1.12.2.3 +14 -0 lines by anna");
    EXPECT_EQ(CaptionFile(caption), "src/main.c");
    EXPECT_EQ(CaptionRevision(caption), "1.12.2.3");
    EXPECT_EQ(CaptionAuthor(caption), "anna");

    // Names that hold a separator are cut at its first occurrence.
    file.WorkingFile = "odd in v2 name.c";
    const std::string odd = RevisionCaption(revision);
    EXPECT_EQ(CaptionFile(odd), "odd");
    EXPECT_EQ(CaptionRevision(odd), "2 name.c in v1.12.2.3");
    EXPECT_EQ(CaptionAuthor(odd), "anna");
    file.WorkingFile = "x lines by carol +1.txt";
    const std::string byName = RevisionCaption(revision);
    EXPECT_EQ(CaptionFile(byName), "x lines by carol +1.txt");
    EXPECT_EQ(CaptionRevision(byName), "1.12.2.3");
    EXPECT_EQ(CaptionAuthor(byName), "carol +1.txt in v1.12.2.3 +14 -0 lines by anna");

    // Texts without the separators give empty parts, the file the whole text.
    EXPECT_EQ(CaptionFile("plain"), "plain");
    EXPECT_EQ(CaptionRevision("plain"), "");
    EXPECT_EQ(CaptionAuthor("plain"), "");
}

// A history of revisions of made-up files, newest first as the History page
// lists it.
class ChartHistory : public ::testing::Test {
protected:
    void SetUp() override {
        Files[0].WorkingFile = "src/main.c";
        Files[1].WorkingFile = "odd in v1.9 name.c";
        Files[2].WorkingFile = "R&D notes.txt";
        Add(0, "1.3", Encode(2024, 2, 12, 13, 5), "bob", 4, 1);
        Add(1, "1.2", Encode(2024, 2, 12, 9, 30), "anna", 2, 2);
        Add(0, "1.2", Encode(2024, 2, 12, 0, 0), "anna", 3, 0);
        Add(2, "1.2", Encode(2024, 2, 6, 23, 59, 59), "anna", 0, 0);
        Add(2, "1.1", Encode(2024, 2, 6, 8, 0), "bob", 0, 0);
        Add(0, "1.1", Encode(2024, 1, 31, 17, 0), "carol", 7, 3);
        Add(1, "1.1", 0, "anna", 1, 1); // no readable date
    }
    void Add(int file, const char* number, double date, const char* author, int added,
             int removed) {
        TRevisionInfo& revision = Revisions[Count++];
        revision.FileInfo = &Files[file];
        revision.Revision = number;
        revision.Date = date;
        revision.Author = author;
        revision.LinesAdded = added;
        revision.LinesRemoved = removed;
        History.push_back(&revision);
    }
    TRCSFile Files[3];
    TRevisionInfo Revisions[7];
    int Count = 0;
    std::vector<TRevisionInfo*> History;
    // Stands for the table that owns the revisions.
    std::shared_ptr<const TRCSFileTable> Table = std::make_shared<TRCSFileTable>();
};

TEST_F(ChartHistory, GivesOneBarPerDayOldestFirstWithTheDaysCaptions) {
    const TChartData commits(History, TChartMode::Commits, Table);
    ASSERT_EQ(commits.Bars().size(), 3u);
    EXPECT_EQ(commits.Bars()[0].Day, Encode(2024, 1, 31));
    EXPECT_EQ(commits.Bars()[1].Day, Encode(2024, 2, 6));
    EXPECT_EQ(commits.Bars()[2].Day, Encode(2024, 2, 12));
    EXPECT_EQ(commits.Bars()[0].Total, 1);
    EXPECT_EQ(commits.Bars()[1].Total, 2);
    EXPECT_EQ(commits.Bars()[2].Total, 3);
    EXPECT_EQ(commits.MaxTotal(), 3);

    // The revision without a date joins no bar.
    EXPECT_EQ(LabelLines(commits, 0), QStringList({"src/main.c in v1.1 +7 -3 lines by carol"}));
    EXPECT_EQ(LabelLines(commits, 1), QStringList({"R&D notes.txt in v1.1 +0 -0 lines by bob",
                                                   "R&D notes.txt in v1.2 +0 -0 lines by anna"}));
    EXPECT_EQ(LabelLines(commits, 2), QStringList({"src/main.c in v1.2 +3 -0 lines by anna",
                                                   "odd in v1.9 name.c in v1.2 +2 -2 lines by anna",
                                                   "src/main.c in v1.3 +4 -1 lines by bob"}));

    // Lines mode: the same bars, a day without changed lines included at 0.
    const TChartData lines(History, TChartMode::ChangedLines, Table);
    ASSERT_EQ(lines.Bars().size(), 3u);
    EXPECT_EQ(lines.Bars()[0].Total, 10);
    EXPECT_EQ(lines.Bars()[1].Total, 0);
    EXPECT_EQ(lines.Bars()[2].Total, 12);
    EXPECT_EQ(lines.Label(2), commits.Label(2));

    // Each item keeps the parts its caption was made of, whatever the name.
    const std::vector<TChartItem> items = lines.Items(2);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[1].File, "odd in v1.9 name.c");
    EXPECT_EQ(items[1].Revision, "1.2");
    EXPECT_EQ(items[1].Author, "anna");
    EXPECT_EQ(items[1].Caption, "odd in v1.9 name.c in v1.2 +2 -2 lines by anna");
    EXPECT_TRUE(lines.Items(3).empty());

    // The revisions are the table's: once it is gone, a bar has no items.
    Table.reset();
    EXPECT_TRUE(lines.Items(2).empty());
    EXPECT_EQ(lines.Bars().size(), 3u);

    const TChartData empty(std::vector<TRevisionInfo*>{}, TChartMode::Commits, Table);
    EXPECT_TRUE(empty.Bars().empty());
    EXPECT_EQ(empty.MaxTotal(), 0);
    const TChartData undated(std::span<TRevisionInfo* const>(History).last(1), TChartMode::Commits,
                             Table);
    EXPECT_TRUE(undated.Bars().empty());
}

TEST_F(ChartHistory, ThePageNamesTheRevisionPickedInABarsMenuWhileItsOwnerLetsIt) {
    TChartPage page;
    bool mayStart = true;
    page.SetMayStart([&mayStart] { return mayStart; });
    std::vector<std::pair<std::string, std::string>> picked;
    QObject::connect(&page, &TChartPage::revisionChosen,
                     [&picked](const std::string& file, const std::string& revision) {
                         picked.emplace_back(file, revision);
                     });
    auto* chart = page.findChild<TActivityChart*>(QStringLiteral("Chart"));
    auto* menu = page.findChild<TChartMenu*>(QStringLiteral("popChart"));
    ASSERT_TRUE(chart && menu);
    page.resize(600, 400);
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    page.Fill(History, Table);
    const TChartBar bar = chart->Data().Bars().at(2);
    chart->SetVisibleRange(bar.Day - VisibleDays / 2, bar.Day + VisibleDays / 2);
    chart->replot();
    const QPoint centre = QPointF(chart->xAxis->coordToPixel(ChartKey(bar.Day)),
                                  chart->yAxis->coordToPixel(bar.Total / 2))
                              .toPoint();

    mayStart = false;
    QTest::mouseClick(chart, Qt::LeftButton, {}, centre);
    EXPECT_TRUE(menu->actions().isEmpty());
    mayStart = true;
    QTest::mouseClick(chart, Qt::LeftButton, {}, centre);
    menu->close();
    ASSERT_EQ(menu->actions().size(), 3);
    menu->actions()[1]->trigger();
    mayStart = false;
    menu->actions()[2]->trigger();
    ASSERT_EQ(picked.size(), 1u);
    EXPECT_EQ(picked[0].first, "odd in v1.9 name.c");
    EXPECT_EQ(picked[0].second, "1.2");

    page.Clear();
    EXPECT_TRUE(chart->Data().Bars().empty());
    EXPECT_EQ(chart->Series()->data()->size(), 0);
}

TEST(ChartTime, KeysAreSecondsSince1970AsWrittenAndTitlesNameTheMonth) {
    EXPECT_EQ(ChartKey(Encode(1970, 1, 1)), 0);
    const double date = Encode(2024, 2, 12, 13, 5, 30);
    const QDateTime utc(QDate(2024, 2, 12), QTime(13, 5, 30), Qt::UTC);
    EXPECT_NEAR(ChartKey(date), double(utc.toSecsSinceEpoch()), 1e-3);
    EXPECT_NEAR(DateOfChartKey(ChartKey(date)), date, 1e-9);
    // Before 30 December 1899 the time of day counts away from zero.
    const double early = Encode(1899, 12, 29, 6, 0);
    EXPECT_EQ(early, -1.25);
    EXPECT_NEAR(ChartKey(early), ChartKey(0) - 0.75 * SecondsPerDay, 1e-3);
    EXPECT_NEAR(DateOfChartKey(ChartKey(early)), early, 1e-9);

    const QDateTime before = QDateTime::currentDateTime();
    const double now = LocalNow();
    const QDateTime after = QDateTime::currentDateTime();
    const auto encode = [](const QDateTime& t) {
        return Encode(t.date().year(), t.date().month(), t.date().day(), t.time().hour(),
                      t.time().minute(), t.time().second());
    };
    EXPECT_GE(now, encode(before));
    EXPECT_LT(now, encode(after) + 1.0 / SecondsPerDay);

    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(MonthTitle(Encode(2024, 2, 29, 23, 59)), "February, 2024");
    EXPECT_EQ(MonthTitle(Encode(987, 12, 1)), "December, 0987");
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(MonthTitle(Encode(2024, 3, 1)), QString::fromUtf8("März, 2024"));
    QLocale::setDefault(saved);
}

// A saved log with dates counted back from today.
struct TLogRevision {
    const char* Number;
    int DaysAgo;
    QTime Time;
    const char* Author;
    int Added = -1; // -1: an initial revision, without a "lines:" part
    int Removed = 0;
};

QByteArray LogOfFile(const char* name, std::initializer_list<TLogRevision> revisions) {
    QByteArray log = QByteArray("\nRCS file: /repo/") + name + ",v\nWorking file: " + name +
                     "\nhead: " + revisions.begin()->Number +
                     "\nbranch:\nlocks: strict\naccess list:\nsymbolic names:\n"
                     "keyword substitution: kv\ntotal revisions: " +
                     QByteArray::number(int(revisions.size())) +
                     ";\tselected revisions: " + QByteArray::number(int(revisions.size())) +
                     "\ndescription:\n";
    for (const TLogRevision& r : revisions) {
        const QDateTime when(QDate::currentDate().addDays(-r.DaysAgo), r.Time);
        log += QByteArray("----------------------------\nrevision ") + r.Number +
               "\ndate: " + when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toLatin1() +
               " +0000;  author: " + r.Author + ";  state: Exp;";
        if (r.Added >= 0)
            log += "  lines: +" + QByteArray::number(r.Added) + " -" +
                   QByteArray::number(r.Removed) + ";";
        log += "\nA change.\n";
    }
    return log + "=============================================================================\n";
}

QByteArray RecentLog() {
    return LogOfFile("src/main.c", {{"1.3", 2, QTime(12, 0), "bob", 4, 1},
                                    {"1.2", 2, QTime(9, 30), "alice", 3, 0},
                                    {"1.1", 10, QTime(8, 0), "alice"}}) +
           LogOfFile("odd in v1.9 name.c",
                     {{"1.2", 2, QTime(15, 0), "alice", 2, 2}, {"1.1", 40, QTime(8, 0), "alice"}}) +
           LogOfFile("x lines by carol.txt",
                     {{"1.2", 5, QTime(11, 0), "bob", 0, 0}, {"1.1", 5, QTime(10, 0), "bob"}}) +
           LogOfFile("R&D notes.txt",
                     {{"1.2", 10, QTime(18, 0), "alice", 1, 0}, {"1.1", 40, QTime(9, 0), "alice"}});
}

const QColor Maroon(128, 0, 0); // alice, the first author
const QColor Green(0, 128, 0);  // bob, the second

class ChartPage : public ::testing::Test {
protected:
    void SetUp() override {
        Window.Settings.CVSPath = QStringLiteral("/usr/bin");
        MainViews(Window).PageControl->setCurrentWidget(
            Window.findChild<QWidget*>(QStringLiteral("tsCharts")));
        Window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Window));
    }
    void TearDown() override {
        popChart->close();
        Window.SetActivity(TActivity::Idle);
    }
    void Open(const QByteArray& log) {
        const QString path = Dir.filePath(QStringLiteral("history.log"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(log);
        file.close();
        Window.OpenLogFile(path);
        ASSERT_TRUE(WaitForLoad(Window));
        Relayout();
    }
    void Relayout() {
        QCoreApplication::processEvents();
        Chart->replot();
    }
    // The middle of bar's drawn rectangle.
    QPoint BarCentre(std::size_t bar) const {
        const TChartBar& b = Chart->Data().Bars().at(bar);
        return QPointF(Chart->xAxis->coordToPixel(ChartKey(b.Day)),
                       Chart->yAxis->coordToPixel(b.Total / 2))
            .toPoint();
    }
    // The index of the bar of the day daysAgo.
    std::size_t BarOfDay(int daysAgo) const {
        const QDate date = QDate::currentDate().addDays(-daysAgo);
        const double day = Encode(date.year(), date.month(), date.day());
        const auto& bars = Chart->Data().Bars();
        for (std::size_t i = 0; i < bars.size(); ++i)
            if (bars[i].Day == day)
                return i;
        ADD_FAILURE() << "no bar " << daysAgo << " days ago";
        return 0;
    }
    QStringList MenuCaptions() const {
        QStringList captions;
        for (const QAction* action : popChart->actions())
            captions.append(popChart->ItemOf(action)->Caption);
        return captions;
    }
    void DragRight(QPoint from, int pixels, int steps = 4) {
        QTest::mousePress(Chart, Qt::RightButton, {}, from);
        for (int i = 1; i <= steps; ++i)
            QTest::mouseMove(Chart, from + QPoint(pixels * i / steps, 0));
        QTest::mouseRelease(Chart, Qt::RightButton, {}, from + QPoint(pixels, 0));
    }
    QString BottomTitle() const { return Chart->xAxis->label(); }
    double PlotWidth() const { return Chart->xAxis->axisRect()->width(); }
    void ExpectLastDays(double before, double after) const {
        EXPECT_GE(Chart->VisibleLast(), before - 1e-6);
        EXPECT_LE(Chart->VisibleLast(), after + 1e-6);
        EXPECT_NEAR(Chart->VisibleLast() - Chart->VisibleFirst(), VisibleDays, 1e-6);
        EXPECT_EQ(BottomTitle(), MonthTitle(Chart->VisibleFirst()));
    }

    QTemporaryDir Dir;
    TTestMainWindow Window;
    TStatusRecorder Status{Window};
    // The page's parts, by their names.
    TActivityChart* Chart = Window.findChild<TActivityChart*>(QStringLiteral("Chart"));
    TChartMenu* popChart = Window.findChild<TChartMenu*>(QStringLiteral("popChart"));
    QComboBox* cbxChart = Window.findChild<QComboBox*>(QStringLiteral("cbxChart"));
};

TEST_F(ChartPage, StartsWithTheLastFourWeeksAndItsLook) {
    ASSERT_NE(Chart, nullptr);
    ASSERT_NE(popChart, nullptr);
    ASSERT_NE(cbxChart, nullptr);
    TActivityChart* chart = Chart;
    QComboBox* modes = cbxChart;
    EXPECT_FALSE(modes->isEditable());
    ASSERT_EQ(modes->count(), 2);
    EXPECT_EQ(modes->itemText(0), "Number of commits per day");
    EXPECT_EQ(modes->itemText(1), "Number of lines changed per day");
    EXPECT_EQ(modes->currentIndex(), 0);

    QCPBars* series = chart->Series();
    EXPECT_EQ(series->name(), "Series");
    EXPECT_EQ(chart->plottableCount(), 1);
    EXPECT_EQ(series->brush().color(), QColor(0, 128, 255));
    EXPECT_EQ(series->widthType(), QCPBars::wtAbsolute);
    EXPECT_EQ(series->width(), 20);
    EXPECT_EQ(series->data()->size(), 0);
    EXPECT_FALSE(chart->legend->visible());
    EXPECT_EQ(chart->plotLayout()->elementCount(), 1); // the axis rect alone: no title
    EXPECT_EQ(chart->yAxis->label(), "Number of commits per day");
    EXPECT_EQ(chart->yAxis->range().lower, 0);
    auto ticker = chart->xAxis->ticker().dynamicCast<QCPAxisTickerDateTime>();
    ASSERT_TRUE(ticker);
    EXPECT_EQ(ticker->dateTimeFormat(), "dd");
    EXPECT_EQ(ticker->dateTimeSpec(), Qt::UTC);
    EXPECT_FALSE(chart->interactions().testFlag(QCP::iRangeZoom));
    EXPECT_FALSE(chart->interactions().testFlag(QCP::iRangeDrag));

    // An empty history: the range and both titles as after any rebuild.
    const double before = LocalNow();
    Window.FilterFiles();
    const double after = LocalNow();
    EXPECT_EQ(series->data()->size(), 0);
    ExpectLastDays(before, after);
    EXPECT_FALSE(BottomTitle().isEmpty());

    // The plot is white between its grid lines, which move with the date; its
    // edges lowered.
    const QImage image = chart->grab().toImage();
    const auto betweenTicks = [](const QCPAxis* axis) {
        const QVector<double> ticks = axis->tickVector();
        EXPECT_GE(ticks.size(), 2);
        return ticks.size() < 2
                   ? 0
                   : int((axis->coordToPixel(ticks[0]) + axis->coordToPixel(ticks[1])) / 2);
    };
    EXPECT_EQ(QColor(image.pixel(betweenTicks(chart->xAxis), betweenTicks(chart->yAxis))),
              QColor(Qt::white));
    auto* frame = qobject_cast<QFrame*>(chart->parentWidget());
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->frameShadow(), QFrame::Sunken);
}

TEST_F(ChartPage, FillsFromTheHistoryAndFollowsTheMode) {
    const double before = LocalNow();
    Open(RecentLog());
    const double after = LocalNow();
    const TChartData& data = Chart->Data();
    ASSERT_EQ(data.Bars().size(), 4u);
    EXPECT_EQ(Chart->Series()->data()->size(), 4);
    const std::size_t day40 = BarOfDay(40), day10 = BarOfDay(10), day5 = BarOfDay(5),
                      day2 = BarOfDay(2);
    EXPECT_EQ(day40, 0u);
    EXPECT_EQ(day2, 3u);
    EXPECT_EQ(data.Bars()[day40].Total, 2);
    EXPECT_EQ(data.Bars()[day10].Total, 2);
    EXPECT_EQ(data.Bars()[day5].Total, 2);
    EXPECT_EQ(data.Bars()[day2].Total, 3);
    EXPECT_EQ(Chart->Series()->data()->at(3)->key, ChartKey(data.Bars()[3].Day));
    EXPECT_EQ(Chart->yAxis->range(), QCPRange(0, 3));
    ExpectLastDays(before, after);
    EXPECT_EQ(Chart->yAxis->label(), "Number of commits per day");

    // Panned into the past, then the other mode: the range returns to the
    // last four weeks and the bars count lines, a day without changes at 0.
    DragRight(QPoint(200, 100), 300);
    EXPECT_LT(Chart->VisibleLast(), before - 1);
    QSignalSpy filtered(&Window, &TfrmMain::filesFiltered);
    cbxChart->setCurrentIndex(1);
    emit cbxChart->activated(1);
    EXPECT_EQ(filtered.count(), 1);
    ExpectLastDays(before, LocalNow());
    EXPECT_EQ(Chart->yAxis->label(), "Number of lines changed per day");
    ASSERT_EQ(data.Bars().size(), 4u);
    EXPECT_EQ(data.Bars()[day40].Total, 0);
    EXPECT_EQ(data.Bars()[day10].Total, 1);
    EXPECT_EQ(data.Bars()[day5].Total, 0);
    EXPECT_EQ(data.Bars()[day2].Total, 12);
    EXPECT_EQ(Chart->yAxis->range(), QCPRange(0, 12));
    // Counts read as whole numbers: no tick or sub-tick between them.
    QVector<double> ticks, subTicks;
    Chart->yAxis->ticker()->generate(Chart->yAxis->range(), QLocale(), 'f', 0, ticks, &subTicks,
                                     nullptr);
    EXPECT_EQ(ticks, Chart->yAxis->tickVector());
    EXPECT_GE(ticks.size(), 2);
    for (const QVector<double>* values : {&ticks, &subTicks})
        for (const double value : *values)
            EXPECT_EQ(value, std::round(value));

    // The author filter narrows the bars to the History page's rows.
    MainViews(Window).cbxAuthors->setCurrentIndex(2); // bob
    emit MainViews(Window).cbxAuthors->activated(2);
    ASSERT_EQ(data.Bars().size(), 2u);
    EXPECT_EQ(data.Bars()[1].Total, 5);

    // While busy a mode choice rebuilds nothing.
    Window.SetActivity(TActivity::Working);
    cbxChart->setCurrentIndex(0);
    emit cbxChart->activated(0);
    EXPECT_EQ(filtered.count(), 2);
    EXPECT_EQ(Chart->yAxis->label(), "Number of lines changed per day");
}

TEST_F(ChartPage, PansWithTheRightButtonAndNamesTheMonthAtTheLeftEdge) {
    Open(RecentLog());
    const double first = Chart->VisibleFirst();
    const double last = Chart->VisibleLast();
    const double daysPerPixel = VisibleDays / PlotWidth();

    // Dragging to the right shows earlier days; the values stay from 0.
    QSignalSpy scrolled(Chart, &TActivityChart::Scrolled);
    DragRight(QPoint(100, 100), 150, 3);
    EXPECT_EQ(scrolled.count(), 3);
    EXPECT_NEAR(Chart->VisibleFirst(), first - 150 * daysPerPixel, 1e-6);
    EXPECT_NEAR(Chart->VisibleLast(), last - 150 * daysPerPixel, 1e-6);
    EXPECT_EQ(Chart->yAxis->range().lower, 0);
    EXPECT_FALSE(popChart->isVisible());

    // Up to just before the first of the left edge's month, then past it.
    const auto start = DecodeDateTime(Chart->VisibleFirst());
    const double firstOfMonth = Encode(start.Year, start.Month, 1);
    const QString month = MonthTitle(firstOfMonth);
    EXPECT_EQ(BottomTitle(), month);
    const double toFirst = Chart->VisibleFirst() - firstOfMonth;
    DragRight(QPoint(50, 100), int((toFirst - 0.2) / daysPerPixel));
    EXPECT_GT(Chart->VisibleFirst(), firstOfMonth);
    EXPECT_EQ(BottomTitle(), month);
    DragRight(QPoint(50, 100), int(0.4 / daysPerPixel) + 1);
    EXPECT_LT(Chart->VisibleFirst(), firstOfMonth);
    EXPECT_EQ(BottomTitle(), MonthTitle(firstOfMonth - 1));
    EXPECT_NE(BottomTitle(), month);

    // And back to the left, past the present; panning goes on while busy.
    Window.SetActivity(TActivity::Working);
    const double panned = Chart->VisibleFirst();
    DragRight(QPoint(600, 100), -500);
    EXPECT_NEAR(Chart->VisibleFirst(), panned + 500 * daysPerPixel, 1e-6);
    EXPECT_EQ(BottomTitle(), MonthTitle(Chart->VisibleFirst()));

    // Left-dragging pans nothing.
    Window.SetActivity(TActivity::Idle);
    const double still = Chart->VisibleFirst();
    QTest::mousePress(Chart, Qt::LeftButton, {}, QPoint(10, 100));
    QTest::mouseMove(Chart, QPoint(200, 100));
    QTest::mouseRelease(Chart, Qt::LeftButton, {}, QPoint(200, 100));
    EXPECT_EQ(Chart->VisibleFirst(), still);
}

TEST_F(ChartPage, ALeftClickOnABarListsItsRevisionsAndNothingElseDoes) {
    Open(RecentLog());
    const std::size_t day2 = BarOfDay(2), day10 = BarOfDay(10), day5 = BarOfDay(5);
    const QPoint bar = BarCentre(day2);
    EXPECT_EQ(Chart->BarAt(bar), int(day2));
    EXPECT_EQ(Chart->BarAt(bar + QPoint(9, 0)), int(day2));
    EXPECT_EQ(Chart->BarAt(bar + QPoint(12, 0)), -1); // beside the 20 pixels
    // Above a lower bar, and between two bars.
    const QPoint lower = BarCentre(day10);
    EXPECT_EQ(Chart->BarAt(lower), int(day10));
    EXPECT_EQ(Chart->BarAt(QPoint(lower.x(), int(Chart->yAxis->coordToPixel(2.5)))), -1);
    const QPoint between((BarCentre(day10).x() + BarCentre(day5).x()) / 2, bar.y());
    EXPECT_EQ(Chart->BarAt(between), -1);
    // The old bar lies outside the visible range: nothing draws it.
    EXPECT_EQ(Chart->BarAt(BarCentre(BarOfDay(40))), -1);

    QTest::mouseClick(Chart, Qt::RightButton, {}, bar);
    EXPECT_FALSE(popChart->isVisible());
    QTest::mouseClick(Chart, Qt::LeftButton, {}, between);
    EXPECT_FALSE(popChart->isVisible());
    EXPECT_TRUE(popChart->actions().isEmpty());
    Window.SetActivity(TActivity::Working);
    QTest::mouseClick(Chart, Qt::LeftButton, {}, bar);
    EXPECT_FALSE(popChart->isVisible());
    Window.SetActivity(TActivity::Idle);

    QTest::mouseClick(Chart, Qt::LeftButton, {}, bar);
    ASSERT_TRUE(popChart->isVisible());
    EXPECT_EQ(MenuCaptions(), QStringList({"src/main.c in v1.2 +3 -0 lines by alice",
                                           "src/main.c in v1.3 +4 -1 lines by bob",
                                           "odd in v1.9 name.c in v1.2 +2 -2 lines by alice"}));

    // The next click frees the items of the last one.
    popChart->close();
    QPointer<QAction> old = popChart->actions().front();
    QTest::mouseClick(Chart, Qt::LeftButton, {}, BarCentre(day10));
    EXPECT_TRUE(old.isNull());
    EXPECT_EQ(MenuCaptions(), QStringList({"src/main.c in v1.1 +0 -0 lines by alice",
                                           "R&D notes.txt in v1.2 +1 -0 lines by alice"}));

    // A load that fails empties the chart with the lists.
    popChart->close();
    const QPoint old10 = BarCentre(day10);
    Window.OpenLogFile(Dir.filePath(QStringLiteral("no-such.log")));
    ASSERT_TRUE(WaitForLoad(Window));
    ASSERT_FALSE(Window.Load().Table());
    EXPECT_TRUE(Chart->Data().Bars().empty());
    EXPECT_EQ(Chart->Series()->data()->size(), 0);
    QTest::mouseClick(Chart, Qt::LeftButton, {}, old10);
    EXPECT_FALSE(popChart->isVisible());
}

TEST_F(ChartPage, MenuItemsShowTheirCaptionsAsBuiltAndOpenTheirOwnRevision) {
    Open(RecentLog());
    TChartMenu* menu = popChart;
    QTest::mouseClick(Chart, Qt::LeftButton, {}, BarCentre(BarOfDay(10)));
    ASSERT_EQ(menu->actions().size(), 2);
    QAction* ampersand = menu->actions()[1];
    // No mnemonic: the "&" shows as it is.
    EXPECT_EQ(ampersand->text(), "R&&D notes.txt in v1.2 +1 -0 lines by alice");
    EXPECT_TRUE(QKeySequence::mnemonic(ampersand->text()).isEmpty());
    QStyleOptionMenuItem option;
    menu->initStyleOption(&option, ampersand);
    EXPECT_EQ(option.text, "R&D notes.txt in v1.2 +1 -0 lines by alice");
    EXPECT_EQ(option.palette.color(QPalette::Text), Maroon);

    Status.Messages.clear();
    ampersand->trigger();
    EXPECT_EQ(Status.Messages, QStringList({Status::NoWorkingFolder}));

    // A name with " in v": the item still finds its file and revision.
    popChart->close();
    QTest::mouseClick(Chart, Qt::LeftButton, {}, BarCentre(BarOfDay(2)));
    ASSERT_EQ(menu->actions().size(), 3);
    Status.Messages.clear();
    menu->actions()[2]->trigger();
    EXPECT_EQ(Status.Messages, QStringList({Status::NoWorkingFolder}));

    // A name with " lines by ": coloured by its revision's author, bob.
    popChart->close();
    QTest::mouseClick(Chart, Qt::LeftButton, {}, BarCentre(BarOfDay(5)));
    ASSERT_EQ(menu->actions().size(), 2);
    EXPECT_EQ(menu->ItemOf(menu->actions()[0])->File, "x lines by carol.txt");
    menu->initStyleOption(&option, menu->actions()[0]);
    EXPECT_EQ(option.palette.color(QPalette::Text), Green);
    // The oldest revision has nothing to compare with; the next one has.
    Status.Messages.clear();
    menu->actions()[0]->trigger();
    menu->actions()[1]->trigger();
    EXPECT_EQ(Status.Messages, QStringList({Status::NoPrevious, Status::NoWorkingFolder}));

    // While busy a choice does nothing.
    Window.SetActivity(TActivity::Working);
    Status.Messages.clear();
    menu->actions()[1]->trigger();
    EXPECT_TRUE(Status.Messages.isEmpty());
    Window.SetActivity(TActivity::Idle);

    // Drawn: the highlighted item on light grey, the text in the author's colour.
    menu->setActiveAction(menu->actions()[1]);
    const QImage image = menu->grab().toImage();
    const QRect highlighted = menu->actionGeometry(menu->actions()[1]);
    const QRect plain = menu->actionGeometry(menu->actions()[0]);
    const QPoint blank(highlighted.right() - 2, highlighted.center().y());
    EXPECT_EQ(QColor(image.pixel(blank)), QColor(240, 240, 240));
    EXPECT_NE(QColor(image.pixel(plain.right() - 2, plain.center().y())), QColor(240, 240, 240));
    int greenPixels = 0;
    for (int y = highlighted.top(); y <= highlighted.bottom(); ++y)
        for (int x = highlighted.left(); x <= highlighted.right(); ++x) {
            const QColor c(image.pixel(x, y));
            if (c.green() > c.red() + 60 && c.green() > c.blue() + 60)
                ++greenPixels;
        }
    EXPECT_GT(greenPixels, 20);
}

// Revisions 40, 50 and 300 days ago: none in the last four weeks.
QByteArray OldLog() {
    return LogOfFile("old.c", {{"1.5", 40, QTime(16, 30), "bob", 1, 1},
                               {"1.4", 40, QTime(12, 0), "alice", 2, 0},
                               {"1.3", 40, QTime(9, 0), "alice", 2, 0},
                               {"1.2", 50, QTime(9, 0), "bob", 1, 0},
                               {"1.1", 300, QTime(9, 0), "alice"}});
}

void Turn(QWidget* widget, QPoint at, int angle, Qt::KeyboardModifiers modifiers = {}) {
    QWheelEvent wheel(at, widget->mapToGlobal(at), {}, QPoint(0, angle), Qt::NoButton, modifiers,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &wheel);
}

TEST_F(ChartPage, EmptyLastWeeksAreToldAndHomeAndEndGoToTheBars) {
    Open(OldLog());
    const QDate last = QDate::currentDate().addDays(-40);
    const QString notice = "No activity in the last 4 weeks; End shows the last (" +
                           FormatListDate(Encode(last.year(), last.month(), last.day(), 16, 30)) +
                           ")";
    ASSERT_FALSE(Status.Messages.isEmpty());
    EXPECT_EQ(Status.Messages.back(), notice);
    // Shown again when the page is.
    QTabWidget* pages = MainViews(Window).PageControl;
    QWidget* charts = pages->currentWidget();
    pages->setCurrentIndex(0);
    Status.Messages.clear();
    pages->setCurrentWidget(charts);
    EXPECT_EQ(Status.Messages, QStringList{notice});

    // End: the last bar at the right edge, the span kept, the values fitted
    // to the bars in view.
    const std::size_t day40 = BarOfDay(40), day300 = BarOfDay(300);
    Window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Window));
    cbxChart->setFocus();
    QTest::keyClick(cbxChart, Qt::Key_End);
    Relayout();
    EXPECT_EQ(cbxChart->currentIndex(), 0);
    EXPECT_NEAR(Chart->VisibleLast() - Chart->VisibleFirst(), VisibleDays, 1e-6);
    EXPECT_GT(Chart->VisibleLast(), Chart->Data().Bars()[day40].Day);
    EXPECT_LT(Chart->VisibleLast(), Chart->Data().Bars()[day40].Day + 1);
    EXPECT_EQ(Chart->BarAt(BarCentre(day40)), int(day40));
    EXPECT_EQ(Chart->yAxis->range(), QCPRange(0, 3));
    EXPECT_EQ(BottomTitle(), MonthTitle(Chart->VisibleFirst()));
    // Moved: the notice is not repeated.
    pages->setCurrentIndex(0);
    Status.Messages.clear();
    pages->setCurrentWidget(charts);
    EXPECT_TRUE(Status.Messages.isEmpty());

    QTest::keyClick(Chart, Qt::Key_Home);
    Relayout();
    EXPECT_LT(Chart->VisibleFirst(), Chart->Data().Bars()[day300].Day);
    EXPECT_GT(Chart->VisibleFirst(), Chart->Data().Bars()[day300].Day - 1);
    EXPECT_EQ(Chart->BarAt(BarCentre(day300)), int(day300));
    EXPECT_EQ(Chart->yAxis->range(), QCPRange(0, 1));
}

TEST_F(ChartPage, TheWheelScrollsAndZoomsFromAWeekToTheWholeHistory) {
    Open(OldLog());
    const QPoint middle(int(Chart->xAxis->coordToPixel(
                            (Chart->xAxis->range().lower + Chart->xAxis->range().upper) / 2)),
                        100);
    // A step towards the user shows later days by a tenth of the span.
    const double first = Chart->VisibleFirst();
    Turn(Chart, middle, -120);
    EXPECT_NEAR(Chart->VisibleFirst(), first + VisibleDays / 10, 1e-6);
    Turn(Chart, middle, 240);
    EXPECT_NEAR(Chart->VisibleFirst(), first - VisibleDays / 10, 1e-6);
    EXPECT_NEAR(Chart->VisibleLast() - Chart->VisibleFirst(), VisibleDays, 1e-6);

    // Ctrl: zooming in keeps the day under the mouse, down to a week.
    const double under = DateOfChartKey(Chart->xAxis->pixelToCoord(middle.x()));
    Turn(Chart, middle, 120, Qt::ControlModifier);
    EXPECT_NEAR(Chart->VisibleLast() - Chart->VisibleFirst(), VisibleDays / 1.25, 1e-6);
    EXPECT_NEAR(DateOfChartKey(Chart->xAxis->pixelToCoord(middle.x())), under, 1e-3);
    for (int i = 0; i < 20; ++i)
        Turn(Chart, middle, 120, Qt::ControlModifier);
    EXPECT_NEAR(Chart->VisibleLast() - Chart->VisibleFirst(), 7, 1e-6);

    // Out to the whole history, then Home shows all of its bars.
    for (int i = 0; i < 30; ++i)
        Turn(Chart, middle, -120, Qt::ControlModifier);
    const double widest = Chart->VisibleLast() - Chart->VisibleFirst();
    EXPECT_NEAR(widest, Chart->WidestSpan(), 1e-6);
    EXPECT_GT(widest, 260);
    EXPECT_LT(widest, 300);
    QTest::keyClick(Chart, Qt::Key_Home);
    Relayout();
    for (std::size_t bar = 0; bar < Chart->Data().Bars().size(); ++bar)
        EXPECT_EQ(Chart->BarAt(BarCentre(bar)), int(bar)) << bar;
    EXPECT_EQ(Chart->yAxis->range(), QCPRange(0, 3));
}

TEST_F(ChartPage, ABarOfManyRevisionsListsThemInAScrolledWindow) {
    QByteArray log;
    for (int file = 0; file < 30; ++file)
        log += LogOfFile(QByteArray("f" + QByteArray::number(file) + ".c").constData(),
                         {{"1.2", 3, QTime(10, file), file % 2 ? "bob" : "alice", 1, 0},
                          {"1.1", 50, QTime(9, 0), "alice"}});
    Open(log);
    auto* list = Window.findChild<TChartList*>(QStringLiteral("lstChart"));
    ASSERT_NE(list, nullptr);
    QTest::mouseClick(Chart, Qt::LeftButton, {}, BarCentre(BarOfDay(3)));
    ASSERT_TRUE(list->isVisible());
    EXPECT_FALSE(popChart->isVisible());
    QListWidget* rows = list->List();
    ASSERT_EQ(rows->count(), 30);
    EXPECT_GT(rows->verticalScrollBar()->maximum(), 0);
    EXPECT_LE(list->height(), 26 * rows->sizeHintForRow(0));
    EXPECT_EQ(rows->item(0)->text(), "f0.c in v1.2 +1 -0 lines by alice");
    EXPECT_EQ(rows->item(0)->foreground().color(), Maroon);
    EXPECT_EQ(rows->item(1)->foreground().color(), Green);

    // A click opens the row's revision, as the menu does, and closes the list.
    Status.Messages.clear();
    QTest::mouseClick(rows->viewport(), Qt::LeftButton, {},
                      rows->visualItemRect(rows->item(1)).center());
    EXPECT_FALSE(list->isVisible());
    EXPECT_EQ(Status.Messages, QStringList({Status::NoWorkingFolder}));
    // Not while busy.
    QTest::mouseClick(Chart, Qt::LeftButton, {}, BarCentre(BarOfDay(3)));
    ASSERT_TRUE(list->isVisible());
    Window.SetActivity(TActivity::Working);
    Status.Messages.clear();
    QTest::keyClick(rows, Qt::Key_Return);
    EXPECT_TRUE(Status.Messages.isEmpty());
    list->close();
}

TEST_F(ChartPage, AChosenRevisionOpensItsComparisonThroughTheClient) {
    QUILLON_USE_CVS_HISTORY(history);
    int shown = 0;
    TMainWindowPeers peers;
    peers.ShowComparison = [&shown] { ++shown; };
    Window.SetPeers(peers);
    Window.OpenFolder(history.WorkingFolder());
    ASSERT_TRUE(WaitForLoad(Window));

    // The bar of README.txt 1.3, brought into view.
    const TChartData& data = Chart->Data();
    std::size_t bar = data.Bars().size();
    for (std::size_t i = 0; i < data.Bars().size(); ++i)
        for (const TChartItem& item : data.Items(i))
            if (item.File == "README.txt" && item.Revision == "1.3")
                bar = i;
    ASSERT_LT(bar, data.Bars().size());
    const double day = data.Bars()[bar].Day;
    Chart->SetVisibleRange(day - VisibleDays / 2, day + VisibleDays / 2);
    Relayout();

    QTest::mouseClick(Chart, Qt::LeftButton, {}, BarCentre(bar));
    ASSERT_TRUE(popChart->isVisible());
    QAction* readme = nullptr;
    for (QAction* action : popChart->actions())
        if (popChart->ItemOf(action)->Caption.startsWith("README.txt in v1.3 "))
            readme = action;
    ASSERT_NE(readme, nullptr);
    popChart->close();
    Status.Messages.clear();
    readme->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown == 1 && Window.MayStart(); }, 30000))
        << Status.Messages.join(" | ").toStdString();
    EXPECT_TRUE(Status.Messages.contains(Status::ParsingDiff));
}

} // namespace
