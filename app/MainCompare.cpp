// Comparing a revision with its predecessor, from the lists of the main window.
#include "DiffLines.h"
#include "NativePath.h"
#include "fDiff.h"
#include "fMain.h"

#include <QTableView>

namespace quillon {

void TfrmMain::ShowDiff(const TRCSFile* file, const TRevisionInfo* revision,
                        const TRevisionInfo* previous) {
    if (!MayStart())
        return;
    if (!file || !revision || !previous)
        return ShowStatus(Status::NoPrevious);
    if (!CurrentLogFile.isEmpty() || Place().IsEmpty())
        return ShowStatus(Status::NoWorkingFolder);
    SetActivity(TActivity::Comparing);
    miAbort->setEnabled(true);

    // The request holds its own copies: the texts of the table live only as
    // long as the table.
    TDiffRequest request{std::string(file->WorkingFile), revision->LinesAdded,
                         revision->LinesRemoved, std::string(revision->Revision),
                         std::string(previous->Revision)};
    if (Place().IsRepository())
        return CompareInRepository(std::move(request));
    QStringList arguments;
    for (const std::string& argument : DiffArguments(request))
        arguments.append(DecodePath(argument)); // a file name need not be UTF-8
    Loader.RunCVS(arguments, CurrentFolder,
                  [this, request = std::move(request)](TCvsResult result) {
                      if (!result.Started)
                          return EndDiff(); // the runner has said why
                      if (result.Aborted && result.Output.empty()) {
                          ShowStatus(Status::Aborted);
                          return EndDiff();
                      }
                      if (!result.Aborted && result.DiffFailed()) {
                          ShowStatus(CvsErrorText(result));
                          return EndDiff();
                      }
                      ShowStatus(Status::ParsingDiff);
                      if (frmDiff)
                          frmDiff->LoadDiff(request, result.Output.Take());
                      ShowStatus(Status::Done);
                      // Nothing may start while the comparison is open either.
                      if (Peers.ShowComparison)
                          Peers.ShowComparison();
                      EndDiff();
                  });
}

void TfrmMain::EndDiff() {
    SetActivity(TActivity::Idle);
    miAbort->setEnabled(false);
}

void TfrmMain::lvRevisionsDblClick(QTableView* list) {
    if (!MayStart())
        return;
    const QModelIndexList selected = list->selectionModel()->selectedRows();
    auto* model = qobject_cast<TRevisionListModel*>(list->model());
    if (selected.isEmpty() || !model)
        return;
    if (const TRevisionInfo* revision = model->RevisionAt(selected.front().row()))
        ShowDiff(revision->FileInfo, revision, FindPreviousRevision(revision->FileInfo, revision));
}

void TfrmMain::lvFilesDblClick() {
    if (MayStart())
        lvRevisionsDblClick(lvRevisions);
}

void TfrmMain::ChartRevisionChosen(const std::string& file, const std::string& revision) {
    if (!MayStart())
        return;
    const TRCSFile* chosenFile = Loader.Table() ? FindFile(*Loader.Table(), file) : nullptr;
    const TRevisionInfo* chosen = FindRevision(chosenFile, revision);
    ShowDiff(chosenFile, chosen, FindPreviousRevision(chosenFile, chosen));
}

} // namespace quillon
