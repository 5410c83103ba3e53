// What the activity chart shows: one bar per calendar day of the history, the
// captions of the day's revisions, and the date-time values of its time axis.
#pragma once

#include "RevisionModel.h"

#include <QString>

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

// The chart mode: what a bar's height counts.
enum class TChartMode { Commits = 0, ChangedLines = 1 };

// The visible part of the time axis after each rebuild: the days up to now.
inline constexpr double VisibleDays = 28;

// "<working file> in v<revision> +<added> -<removed> lines by <author>".
std::string RevisionCaption(const TRevisionInfo& revision);
// The parts of a caption, each cut at the first occurrence of its separator:
// the text before " in v"; the text after " in v" up to the first " +" after
// it; the text after " lines by ". A name that itself holds a separator is
// cut in the wrong place, which is why the chart keeps the parts apart.
std::string_view CaptionFile(std::string_view caption);
std::string_view CaptionRevision(std::string_view caption);
std::string_view CaptionAuthor(std::string_view caption);

struct TChartBar {
    double Day = 0;   // the day as a date-time at midnight
    double Total = 0; // commits, or lines added and removed
};

// One revision of a bar, as its menu item shows and finds it: the caption,
// and the parts it was made of, which the caption alone cannot give back
// when a name holds a separator.
struct TChartItem {
    std::string Caption;
    std::string File;     // the working file's name
    std::string Revision; // the revision number
    std::string Author;
};

// The bars of a history, in ascending order of day. The revisions of a bar
// stay in the file table; they are read when a bar's items are asked for.
class TChartData {
public:
    TChartData() = default;
    // Builds the bars of newestFirst, the history as the History page lists
    // it, whose revisions belong to table. Revisions without a day (a date
    // before day 1) are left out.
    TChartData(std::span<const TRevisionInfo* const> newestFirst, TChartMode mode,
               const std::shared_ptr<const TRCSFileTable>& table);

    const std::vector<TChartBar>& Bars() const { return BarList; }
    // The bar's revisions, oldest first; none once the table is gone.
    std::vector<TChartItem> Items(std::size_t bar) const;
    // The bar's captions, oldest first, joined by CR LF.
    std::string Label(std::size_t bar) const;
    // The highest total; 0 without bars.
    double MaxTotal() const { return Highest; }
    // The bars whose day lies from first to last.
    std::span<const TChartBar> BarsBetween(double first, double last) const;
    // The date-time of the newest revision of the bars; 0 without bars.
    double LastDate() const { return Newest; }

private:
    std::weak_ptr<const TRCSFileTable> Table;
    std::vector<const TRevisionInfo*> Revisions; // the bars' revisions, oldest first
    std::vector<std::size_t> Starts;             // each bar's first revision
    std::vector<TChartBar> BarList;
    double Highest = 0;
    double Newest = 0;
};

// The time axis counts seconds since 1970-01-01 00:00, read as UTC: a
// date-time keeps the day and time of day it was written with; no time zone
// is ever applied.
double ChartKey(double date);
double DateOfChartKey(double key);
// The present moment as the local clock shows it, in the log's encoding.
double LocalNow();
// "mmmm, yyyy": the month's full name in the user's language, a comma, a
// blank and the four-digit year of date.
QString MonthTitle(double date);

} // namespace quillon
