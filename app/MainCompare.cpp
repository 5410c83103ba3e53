// Comparing a revision with its predecessor, from the lists of the main window.
#include "fMain.h"

#include <QTableView>

namespace quillon {

void TfrmMain::ShowDiff(TRCSFile* file, TRevisionInfo* revision, TRevisionInfo* previous) {
    if (Busy || Loading)
        return;
    if (!file || !revision || !previous)
        ShowStatus(Status::NoPrevious);
}

void TfrmMain::lvRevisionsDblClick(QTableView* list) {
    if (Busy || Loading)
        return;
    const QModelIndexList selected = list->selectionModel()->selectedRows();
    auto* model = qobject_cast<TRevisionListModel*>(list->model());
    if (selected.isEmpty() || !model)
        return;
    if (TRevisionInfo* revision = model->RevisionAt(selected.front().row()))
        ShowDiff(revision->FileInfo, revision, FindPreviousRevision(revision->FileInfo, revision));
}

void TfrmMain::lvFilesDblClick() {
    if (!Busy && !Loading)
        lvRevisionsDblClick(lvRevisions);
}

} // namespace quillon
