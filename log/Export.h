// CSV export of the file list and the history list.
#pragma once

#include "RevisionModel.h"

#include <string>
#include <vector>

namespace quillon {

// RFC 4180 CSV, UTF-8, CR LF between records, a header row of the file list's
// column captions, one record per file in the given order.
std::string FilesCsv(const std::vector<const TRCSFile*>& files);

// As FilesCsv, with the history list's captions and one record per revision
// in the given order. Dates read "YYYY-MM-DD HH:MM:SS" (empty when unknown); a
// comment keeps its lines, joined by LF.
std::string HistoryCsv(const std::vector<TRevisionInfo*>& revisions);

} // namespace quillon
