// A file's text at a revision and its annotation, from the revision lists.
#include "DisplayText.h"
#include "NativePath.h"
#include "fAnnotate.h"
#include "fFileText.h"
#include "fMain.h"

#include <QAction>
#include <QFileInfo>

#include <optional>

namespace quillon {

namespace {

const QString FileTextCaption = QStringLiteral("%1 v%2");

// Quietly: standard error then holds only the client's complaints.
const QString QuietOption = QStringLiteral("-q");

} // namespace

std::optional<TCvsPlace> TfrmMain::StartFileCommand(const TRevisionInfo* revision) {
    if (!MayStart() || !revision || !revision->FileInfo)
        return std::nullopt;
    const TCvsPlace place = Place();
    if (!CurrentLogFile.isEmpty() || place.IsEmpty()) {
        ShowStatus(Status::NoWorkingFolderToRun);
        return std::nullopt;
    }
    SetActivity(TActivity::Comparing);
    miAbort->setEnabled(true);
    return place;
}

void TfrmMain::ShowFileAt(const TRevisionInfo* revision) {
    const std::optional<TCvsPlace> place = StartFileCommand(revision);
    if (!place)
        return;
    // Copies: the texts of the table live only as long as the table.
    const std::string file(revision->FileInfo->WorkingFile);
    const std::string number(revision->Revision);
    Loader.RunCVS(
        place->Arguments(
            QStringList{QuietOption} +
            place->ShowFileArguments(DecodePath(file), QString::fromStdString(number))),
        place->RunFolder(), [this, file, number](TCvsResult result) {
            if (EndIfFailed(result, result.Failed() || (result.Output.empty() &&
                                                        !result.Errors.trimmed().isEmpty())))
                return;
            EndDiff();
            const QString name = DecodePath(file);
            if (frmFileText)
                frmFileText->SetText(FileTextCaption.arg(name, DisplayText(number)),
                                     QFileInfo(name).fileName() + QLatin1Char('.') +
                                         DisplayText(number),
                                     result.Output.Take());
            ShowStatus(Status::Done);
            if (Peers.ShowFileText)
                Peers.ShowFileText();
        });
}

void TfrmMain::SetAnnotationWindow(TfrmAnnotate* window) {
    frmAnnotate = window;
    window->SetLook({[this](std::string_view author) { return Style.AuthorColor(author); },
                     [](double date) { return FormatListDate(date); }});
    connect(window, &TfrmAnnotate::annotationLoaded, this, &TfrmMain::AnnotationLoaded);
    connect(window, &TfrmAnnotate::compareRequested, this, [this](const TRevisionInfo* r) {
        ShowDiff(r->FileInfo, r, FindPreviousRevision(r->FileInfo, r));
    });
    connect(window, &TfrmAnnotate::previousRequested, this, [this](const TRevisionInfo* r) {
        if (!MayStart())
            return;
        if (const TRevisionInfo* previous = FindPreviousRevision(r->FileInfo, r))
            Annotate(previous);
        else
            ShowStatus(Status::NoRevisionBefore.arg(DisplayText(r->Revision)));
    });
    // The window stands before the main window: it shows the status too.
    connect(this, &TfrmMain::statusShown, window, &TfrmAnnotate::ShowStatus);
}

void TfrmMain::Annotate(const TRevisionInfo* revision) {
    const std::optional<TCvsPlace> place = StartFileCommand(revision);
    if (!place)
        return;
    const QString file = DecodePath(std::string(revision->FileInfo->WorkingFile));
    Loader.RunCVS(
        place->Arguments(place->AnnotateArguments(
            file, QString::fromStdString(std::string(revision->Revision)))),
        place->RunFolder(), [this, revision, table = Loader.Table()](TCvsResult result) {
            if (EndIfFailed(result, result.Failed()))
                return;
            // A revision the file does not have gives no line and no word.
            if (result.Output.empty() || !frmAnnotate) {
                ShowStatus(Status::NothingAnnotated.arg(
                    DisplayText(revision->FileInfo->WorkingFile), DisplayText(revision->Revision)));
                return EndDiff();
            }
            ShowStatus(Status::ReadingAnnotation);
            frmAnnotate->Load(result.Output.Take(), table, revision);
        });
}

void TfrmMain::AnnotationLoaded() {
    ShowStatus(Status::Done);
    EndDiff();
    if (Peers.ShowAnnotation)
        Peers.ShowAnnotation();
}

} // namespace quillon
