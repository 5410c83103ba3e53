// CSV export of the lists and the chart.
#pragma once

#include "ChartData.h"
#include "Commits.h"
#include "LogSummary.h"
#include "RevisionModel.h"

#include <QString>

#include <string>
#include <vector>

namespace quillon {

// RFC 4180 CSV, UTF-8, CR LF between records, a header row of the file list's
// column captions, one record per file in the given order, with the counters
// of summary, which is the summary of the files' table.
std::string FilesCsv(const std::vector<const TRCSFile*>& files, const TLogSummary& summary);

// As FilesCsv, with the history list's captions and one record per revision
// in the given order. Dates read "YYYY-MM-DD HH:MM:SS" (empty when unknown); a
// comment keeps its lines, joined by LF.
std::string HistoryCsv(const std::vector<const TRevisionInfo*>& revisions);

// As FilesCsv, with the commit export's captions and one record per row of
// list: its comment whole, its commit id (empty for a commit grouped by
// time), and its revisions as CommitRevisionsText gives them.
std::string CommitsCsv(const TCommitList& list);

// One line per revision of the row, "REVISION FILE", in the list's order (by
// file name), joined by LF.
QString CommitRevisionsText(const TCommitList& list, const TCommitRow& row);

// The chart's values: a "Date,Value" header, then one record per bar whose
// total is not 0, oldest first, the day as YYYY-MM-DD.
std::string ChartCsv(const std::vector<TChartBar>& bars);

// Writes bytes to the file at path; false with the reason in error. A regular
// file, or a name that does not exist yet, is replaced as a whole or not at
// all; anything else (a device, a FIFO, a socket) is written in place.
bool WriteOutputFile(const QString& path, const std::string& bytes, QString& error);

} // namespace quillon
