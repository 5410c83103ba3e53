#include "ChartData.h"

#include "HugePages.h"

#include "DateTime.h"

#include <QDateTime>
#include <QLocale>

#include <algorithm>
#include <charconv>
#include <cmath>

namespace quillon {

namespace {

constexpr std::string_view InSeparator = " in v";
constexpr std::string_view AddedSeparator = " +";
constexpr std::string_view RemovedSeparator = " -";
constexpr std::string_view AuthorSeparator = " lines by ";
constexpr double UnixEpochDay = 25569; // 1970-01-01 in the date-time encoding
constexpr double SecondsPerDay = 86400;
constexpr double MillisecondsPerDay = SecondsPerDay * 1000;

void AppendNumber(std::string& out, std::int32_t number) {
    char digits[16];
    const auto end = std::to_chars(std::begin(digits), std::end(digits), number).ptr;
    out.append(digits, end);
}

TText WorkingFileOf(const TRevisionInfo& revision) {
    return revision.FileInfo ? revision.FileInfo->WorkingFile : TText();
}

void AppendCaption(std::string& out, const TRevisionInfo& revision) {
    out.append(WorkingFileOf(revision));
    out.append(InSeparator);
    out.append(revision.Revision);
    out.append(AddedSeparator);
    AppendNumber(out, revision.LinesAdded);
    out.append(RemovedSeparator);
    AppendNumber(out, revision.LinesRemoved);
    out.append(AuthorSeparator);
    out.append(revision.Author);
}

} // namespace

std::string RevisionCaption(const TRevisionInfo& revision) {
    std::string caption;
    AppendCaption(caption, revision);
    return caption;
}

std::string_view CaptionFile(std::string_view caption) {
    return caption.substr(0, caption.find(InSeparator));
}

std::string_view CaptionRevision(std::string_view caption) {
    const std::size_t in = caption.find(InSeparator);
    if (in == std::string_view::npos)
        return {};
    const std::string_view rest = caption.substr(in + InSeparator.size());
    return rest.substr(0, rest.find(AddedSeparator));
}

std::string_view CaptionAuthor(std::string_view caption) {
    const std::size_t by = caption.find(AuthorSeparator);
    return by == std::string_view::npos ? std::string_view()
                                        : caption.substr(by + AuthorSeparator.size());
}

TChartData::TChartData(std::span<const TRevisionInfo* const> newestFirst, TChartMode mode,
                       const std::shared_ptr<const TRCSFileTable>& table)
    : Table(table) {
    ReserveHuge(Revisions, newestFirst.size());
    double current = 0; // the day of the bar being summed up; 0 for none yet
    double total = 0;
    const auto endBar = [&] {
        BarList.push_back({current, total});
        Highest = std::max(Highest, total);
    };
    for (auto it = newestFirst.rbegin(); it != newestFirst.rend(); ++it) {
        const TRevisionInfo* revision = *it;
        const double day = std::trunc(revision->Date);
        if (day > current) {
            if (current != 0)
                endBar();
            current = day;
            total = 0;
            Starts.push_back(Revisions.size());
        } else if (current == 0) {
            continue; // no day: joins no bar
        }
        total += mode == TChartMode::Commits
                     ? 1
                     : double(revision->LinesAdded) + double(revision->LinesRemoved);
        Revisions.push_back(revision);
        Newest = std::max(Newest, revision->Date);
    }
    if (current != 0)
        endBar();
}

std::vector<TChartItem> TChartData::Items(std::size_t bar) const {
    std::vector<TChartItem> items;
    // The table stays alive while its revisions are read.
    const std::shared_ptr<const TRCSFileTable> table = Table.lock();
    if (bar >= BarList.size() || !table)
        return items;
    const std::size_t end = bar + 1 < Starts.size() ? Starts[bar + 1] : Revisions.size();
    for (std::size_t i = Starts[bar]; i < end; ++i) {
        const TRevisionInfo& revision = *Revisions[i];
        items.push_back({RevisionCaption(revision), std::string(WorkingFileOf(revision)),
                         std::string(revision.Revision), std::string(revision.Author)});
    }
    return items;
}

std::span<const TChartBar> TChartData::BarsBetween(double first, double last) const {
    const auto byDay = [](const TChartBar& bar, double day) { return bar.Day < day; };
    const auto begin = std::lower_bound(BarList.begin(), BarList.end(), first, byDay);
    const auto end = std::upper_bound(
        begin, BarList.end(), last, [](double day, const TChartBar& bar) { return day < bar.Day; });
    return {begin, end};
}

std::string TChartData::Label(std::size_t bar) const {
    std::string label;
    for (const TChartItem& item : Items(bar)) {
        if (!label.empty())
            label += "\r\n";
        label += item.Caption;
    }
    return label;
}

double ChartKey(double date) {
    // Before day 0 the time of day counts away from zero.
    const double day = std::trunc(date);
    return (day - UnixEpochDay + std::fabs(date - day)) * SecondsPerDay;
}

double DateOfChartKey(double key) {
    const double days = key / SecondsPerDay + UnixEpochDay;
    if (days >= 0)
        return days;
    const double day = std::floor(days);
    return day - (days - day);
}

double LocalNow() {
    const QDateTime now = QDateTime::currentDateTime();
    const QDate date = now.date();
    const QTime time = now.time();
    const TDateTimeParts parts{date.year(), date.month(),  date.day(),
                               time.hour(), time.minute(), time.second()};
    return EncodeDateTime(parts).value_or(0) + time.msec() / MillisecondsPerDay;
}

QString MonthTitle(double date) {
    const TDateTimeParts parts = DecodeDateTime(date);
    return QStringLiteral("%1, %2")
        .arg(QLocale().standaloneMonthName(parts.Month, QLocale::LongFormat))
        .arg(parts.Year, 4, 10, QLatin1Char('0'));
}

} // namespace quillon
