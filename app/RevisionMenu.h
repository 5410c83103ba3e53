// The commands of a revision row, in the context menu of the revision list of
// the Files page, of the History list and of a commit's revisions: the
// comparisons, the file's text and its annotation at the revision, then the
// list's own commands.
#pragma once

#include "RevisionModel.h"

#include <functional>
#include <optional>
#include <utility>

class QTableView;

namespace quillon {

// What the commands do; each receives the revisions it is for. A list has no
// command that is not given.
struct TRevisionCommands {
    std::function<void(const TRevisionInfo*)> CompareWithPrevious;
    std::function<void(const TRevisionInfo*)> CompareWithWorkingFile;
    // The older of two revisions of one file, then the newer.
    std::function<void(const TRevisionInfo*, const TRevisionInfo*)> CompareSelected;
    std::function<void(const TRevisionInfo*)> ShowFile;
    std::function<void(const TRevisionInfo*)> Annotate;
};

// Names the revision of a list's row; none for no row.
using TRevisionAt = std::function<const TRevisionInfo*(int row)>;

// The row the single-row commands of list are for: the current row while it
// is selected, else the first selected row; -1 without a selection.
int ChosenRow(const QTableView& list);

// The two selected revisions of list when exactly two rows are selected and
// both are of one file: the older one (by date) first.
std::optional<std::pair<const TRevisionInfo*, const TRevisionInfo*>>
SelectedPair(const QTableView& list, const TRevisionAt& revisionAt);

// Puts the revision commands at the head of list's context menu, which shows
// the list's actions; "Compare selected" only where several rows may be
// selected. Actions the list is given later follow them.
void AddRevisionMenu(QTableView* list, TRevisionAt revisionAt, TRevisionCommands commands);

} // namespace quillon
