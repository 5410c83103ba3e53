// The main window while a fresh table replaces the cached one shown: the
// page, the filters, the selected file and revisions and the scroll positions
// stay where they still exist.
#include "fMain.h"

#include "Selectors.h"
#include "TagFilters.h"

#include <QScrollBar>
#include <QTableView>

namespace quillon {

namespace {

std::string SelectedName(const QTableView& list, const TRevisionListModel& model,
                         std::string* revision) {
    const QModelIndexList selected = list.selectionModel()->selectedRows();
    const TRevisionInfo* row =
        selected.isEmpty() ? nullptr : model.RevisionAt(selected.front().row());
    if (!row)
        return {};
    *revision = std::string(row->Revision);
    return std::string(row->FileInfo->RCSPath);
}

int FindRevision(const TRevisionListModel& model, const std::string& file,
                 const std::string& revision) {
    const auto& rows = model.Revisions();
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i]->Revision == revision && rows[i]->FileInfo->RCSPath == file)
            return static_cast<int>(i);
    return -1;
}

void SelectRow(QTableView& list, const QAbstractItemModel& model, int row, int scroll) {
    if (row < 0)
        return;
    list.selectionModel()->setCurrentIndex(
        model.index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    list.verticalScrollBar()->setValue(scroll);
}

} // namespace

void TfrmMain::SaveViewState() {
    TViewState view;
    view.Author = cbxAuthors->currentIndex() > 0 ? cbxAuthors->currentText() : QString();
    view.Branch = TagFilters->BranchSelector()->currentIndex() > 0
                      ? TagFilters->BranchSelector()->currentText()
                      : QString();
    view.Range = TagFilters->RangeInForce();
    const QModelIndexList files = lvFiles->selectionModel()->selectedRows();
    if (const TRCSFile* file = files.isEmpty() ? nullptr : FileRows->FileAt(files.front().row()))
        view.File = std::string(file->RCSPath);
    SelectedName(*lvRevisions, *RevisionRows, &view.Revision);
    view.HistoryFile = SelectedName(*lvHistory, *HistoryRows, &view.HistoryRevision);
    view.FilesScroll = lvFiles->verticalScrollBar()->value();
    view.RevisionsScroll = lvRevisions->verticalScrollBar()->value();
    view.HistoryScroll = lvHistory->verticalScrollBar()->value();
    SavedView = std::move(view);
}

void TfrmMain::RestoreViewState() {
    if (!SavedView)
        return;
    // The new table's summary has refilled the selectors: choose again.
    if (const int author = cbxAuthors->findText(SavedView->Author); author > 0)
        cbxAuthors->setCurrentIndex(author);
    // The branch and the range are worked out off the GUI thread; each ends
    // in a filtering of its own, which finds the view again too.
    SavedView->Filterings = 1;
    const int branch = SavedView->Branch.isEmpty()
                           ? -1
                           : TagFilters->BranchSelector()->findText(SavedView->Branch);
    if (branch > 0) {
        ++SavedView->Filterings;
        TagFilters->SetBranch(branch);
    }
    if (!SavedView->Range.first.isNull() || !SavedView->Range.second.isNull()) {
        ++SavedView->Filterings;
        TagFilters->SetRange(SavedView->Range.first, SavedView->Range.second);
    }
    FilterFiles();
}

void TfrmMain::FindViewAgain() {
    const TViewState view = *SavedView;
    if (--SavedView->Filterings <= 0)
        SavedView.reset();
    int fileRow = -1;
    for (int row = 0; row < FileRows->rowCount() && fileRow < 0; ++row)
        if (FileRows->FileAt(row)->RCSPath == view.File)
            fileRow = row;
    // Selecting the file fills its revisions.
    SelectRow(*lvFiles, *FileRows, fileRow, view.FilesScroll);
    if (fileRow >= 0)
        SelectRow(*lvRevisions, *RevisionRows,
                  FindRevision(*RevisionRows, view.File, view.Revision), view.RevisionsScroll);
    SelectRow(*lvHistory, *HistoryRows,
              FindRevision(*HistoryRows, view.HistoryFile, view.HistoryRevision),
              view.HistoryScroll);
}

} // namespace quillon
