// The captions of the lists' columns, in the
// order the lists show them; the export's header rows are the same.
#pragma once

#include <array>

namespace quillon {

inline constexpr std::array<const char*, 8> FileColumnCaptions = {
    "File name",   "Head",  "No comments", "No changes",
    "Few changes", "Added", "Removed",     "Description"};

// The revision list shows these without the first.
inline constexpr std::array<const char*, 9> HistoryColumnCaptions = {
    "File name", "Revision", "Date", "Author", "State", "Added", "Removed", "Comments", "Tags"};

// The commit export's columns; the Commits page shows those up to Removed, and
// Comments.
inline constexpr std::array<const char*, 8> CommitColumnCaptions = {
    "Date", "Author", "Files", "Added", "Removed", "Commit id", "Comments", "Revisions"};

} // namespace quillon
