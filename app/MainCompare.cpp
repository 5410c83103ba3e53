// Comparisons from the lists of the main window: a revision with its
// predecessor, two revisions of a file, a revision with the working file.
#include "CvsCommands.h"
#include "NativePath.h"
#include "RevisionMenu.h"
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
    // The request holds its own copies: the texts of the table live only as
    // long as the table.
    RunDiff({std::string(file->WorkingFile), revision->LinesAdded, revision->LinesRemoved,
             std::string(revision->Revision), std::string(previous->Revision)});
}

void TfrmMain::CompareRevisions(const TRevisionInfo* older, const TRevisionInfo* newer) {
    if (!MayStart() || !older || !newer || !older->FileInfo)
        return;
    RunDiff({std::string(older->FileInfo->WorkingFile), 0, 0, std::string(newer->Revision),
             std::string(older->Revision), false});
}

void TfrmMain::CompareWithWorkingFile(const TRevisionInfo* revision) {
    if (!MayStart() || !revision || !revision->FileInfo)
        return;
    RunDiff({std::string(revision->FileInfo->WorkingFile), 0, 0, std::string(),
             std::string(revision->Revision), false});
}

void TfrmMain::RunDiff(TDiffRequest request) {
    // A repository has no working file.
    if (!CurrentLogFile.isEmpty() || Place().IsEmpty() ||
        (Place().IsRepository() && request.Revision.empty()))
        return ShowStatus(Status::NoWorkingFolder);
    SetActivity(TActivity::Comparing);
    miAbort->setEnabled(true);
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

bool TfrmMain::EndIfFailed(const TCvsResult& result, bool failed) {
    if (result.Started && !result.Aborted && !failed)
        return false;
    // A client that did not start: the runner has said why.
    if (result.Aborted)
        ShowStatus(Status::Aborted);
    else if (result.Started)
        ShowStatus(CvsErrorText(result));
    EndDiff();
    return true;
}

bool TfrmMain::HasWorkingFolder() const {
    return CurrentLogFile.isEmpty() && !CurrentFolder.isEmpty();
}

void TfrmMain::lvRevisionsDblClick(QTableView* list) {
    if (!MayStart())
        return;
    auto* model = qobject_cast<TRevisionListModel*>(list->model());
    if (!model)
        return;
    if (const TRevisionInfo* revision = model->RevisionAt(ChosenRow(*list)))
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

TRevisionCommands TfrmMain::RevisionCommands() {
    TRevisionCommands commands;
    commands.CompareWithPrevious = [this](const TRevisionInfo* r) {
        ShowDiff(r->FileInfo, r, FindPreviousRevision(r->FileInfo, r));
    };
    commands.CompareWithWorkingFile = [this](const TRevisionInfo* r) { CompareWithWorkingFile(r); };
    commands.CompareSelected = [this](const TRevisionInfo* older, const TRevisionInfo* newer) {
        CompareRevisions(older, newer);
    };
    commands.ShowFile = [this](const TRevisionInfo* r) { ShowFileAt(r); };
    commands.Annotate = [this](const TRevisionInfo* r) { Annotate(r); };
    return commands;
}

} // namespace quillon
