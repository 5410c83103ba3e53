// What the activity chart shows: one bar per calendar day of the history, the
// captions of the day's revisions, and the date-time values of its time axis.
#pragma once

#include "RevisionModel.h"

#include <QString>

#include <cstdint>
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

// One revision of a bar, as its menu item shows and finds it. The texts are
// copies held by the chart: the file table may be gone by the time they are used.
struct TChartItem {
    std::string_view Caption;
    std::string_view File;     // the working file's name
    std::string_view Revision; // the revision number
    std::string_view Author;
};

// The bars of a history, in ascending order of day.
class TChartData {
public:
    TChartData() = default;
    // newestFirst is the history as the History page lists it. Revisions
    // without a day (a date before day 1) are left out.
    TChartData(std::span<TRevisionInfo* const> newestFirst, TChartMode mode);

    const std::vector<TChartBar>& Bars() const { return BarList; }
    // The bar's revisions, oldest first.
    std::vector<TChartItem> Items(std::size_t bar) const;
    // The bar's captions, oldest first, joined by CR LF.
    std::string Label(std::size_t bar) const;
    // The highest total; 0 without bars.
    double MaxTotal() const;

private:
    struct TEntry {
        std::size_t Start = 0; // of the caption in Captions
        std::uint32_t Length = 0, FileLength = 0, RevisionLength = 0, AuthorLength = 0;
    };
    std::string Captions;            // every caption, one after the other
    std::vector<TEntry> Entries;     // the revisions of all bars, bar by bar
    std::vector<std::size_t> Starts; // each bar's first entry
    std::vector<TChartBar> BarList;
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
