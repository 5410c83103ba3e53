// A commit as a patch, from the Commits page and the History page.
#include "CvsCommands.h"
#include "DisplayText.h"
#include "Patch.h"
#include "fMain.h"
#include "fPatch.h"

#include <QAction>

namespace quillon {

// A patch in the making: the files still to run and the text so far.
struct TPatchRun {
    std::vector<TPatchFile> Files;
    std::size_t Next = 0;
    std::string Text;
    QString Caption;
};

void TfrmMain::ShowPatch(std::vector<const TRevisionInfo*> revisions) {
    if (!MayStart() || revisions.empty())
        return;
    if (!HasWorkingFolder())
        return ShowStatus(Status::NoWorkingFolder);
    auto run = std::make_shared<TPatchRun>();
    // The run holds its own copies: the texts of the table live only as long
    // as the table.
    for (const TRevisionInfo* r : revisions) {
        const TRevisionInfo* previous = FindPreviousRevision(r->FileInfo, r);
        run->Files.push_back({std::string(r->FileInfo->WorkingFile), std::string(r->Revision),
                              previous ? std::string(previous->Revision) : std::string()});
    }
    const TRevisionInfo& first = *revisions.front();
    run->Caption = QStringLiteral("Patch: %1 %2 (%3 files)")
                       .arg(FormatListDate(first.Date), DisplayText(first.Author))
                       .arg(revisions.size());
    SetActivity(TActivity::Comparing);
    miAbort->setEnabled(true);
    RunPatchFile(std::move(run));
}

void TfrmMain::RunPatchFile(std::shared_ptr<TPatchRun> run) {
    const TPatchFile& file = run->Files[run->Next];
    QStringList arguments;
    for (const std::string& argument : PatchArguments(file))
        arguments.append(QString::fromLocal8Bit(argument));
    Loader.RunCVS(arguments, CurrentFolder, [this, run](TCvsResult result) {
        if (EndIfFailed(result, false))
            return;
        const TPatchFile& file = run->Files[run->Next];
        if (result.DiffFailed()) {
            const QStringList lines = result.ErrorLines(TCvsResult::MaxErrorBytes);
            const QString error = lines.isEmpty() ? CvsErrorText(result) : lines.join('\n');
            run->Text += PatchFailure(file, error.toStdString());
        } else {
            run->Text += result.Output.Take();
        }
        if (++run->Next < run->Files.size())
            return RunPatchFile(run);
        ShowStatus(Status::MakingPatch);
        if (frmPatch)
            frmPatch->SetPatch(run->Caption, std::move(run->Text));
        ShowStatus(Status::Done);
        if (Peers.ShowPatch)
            Peers.ShowPatch();
        EndDiff();
    });
}

} // namespace quillon
