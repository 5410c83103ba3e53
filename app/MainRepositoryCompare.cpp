// Comparing two revisions of a repository's file without a working folder:
// the client writes each text, GNU diff lays them side by side as the
// client's own diff does in a working folder.
#include "DiffLines.h"
#include "NativePath.h"
#include "fDiff.h"
#include "fMain.h"

#include <QFile>
#include <QTemporaryDir>

namespace quillon {

namespace {

const QString DiffProgram = QStringLiteral("diff");
// The options of the client's side-by-side diff, with its width.
const QStringList SideBySideOptions = {QStringLiteral("--side-by-side"), QStringLiteral("-w"),
                                       QStringLiteral("-b"), QStringLiteral("--width=1000")};
const QString OlderName = QStringLiteral("older");
const QString NewerName = QStringLiteral("newer");
const QString CannotWrite = QStringLiteral("Error: cannot write %1: %2");

// The lines the client writes before its comparison, which the comparison
// window passes over: one for each of DiffClientHeaderLines.
std::string ClientHeader(const TDiffRequest& request) {
    const std::string lines[] = {
        "Index: " + request.WorkingFile,           std::string(67, '='),
        "RCS file: " + request.WorkingFile,        "retrieving revision " + request.Previous,
        "retrieving revision " + request.Revision, "diff --side-by-side -w -b --width=1000"};
    static_assert(std::size(lines) == DiffClientHeaderLines);
    std::string header;
    for (const std::string& line : lines)
        header += line + '\n';
    return header;
}

} // namespace

// What a comparison without a working folder has fetched so far.
struct TRepositoryDiff {
    TDiffRequest Request;
    TCvsPlace Place;
    QTemporaryDir Texts;
    int Fetched = 0; // 0: none, 1: the older text
};

void TfrmMain::CompareInRepository(TDiffRequest request) {
    auto run = std::make_shared<TRepositoryDiff>();
    run->Request = std::move(request);
    run->Place = Place();
    FetchRevisionText(std::move(run));
}

void TfrmMain::FetchRevisionText(std::shared_ptr<TRepositoryDiff> run) {
    const bool older = run->Fetched == 0;
    const QString file = DecodePath(run->Request.WorkingFile);
    const QString revision =
        QString::fromStdString(older ? run->Request.Previous : run->Request.Revision);
    Loader.RunCVS(run->Place.ShowFileArguments(file, revision), run->Place,
                  [this, run, older](TCvsResult result) {
                      if (EndIfFailed(result, result.Failed()))
                          return;
                      const QString path = run->Texts.filePath(older ? OlderName : NewerName);
                      QFile text(path);
                      const std::string bytes = result.Output.Take();
                      if (!text.open(QIODevice::WriteOnly) ||
                          text.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
                              static_cast<qint64>(bytes.size())) {
                          ShowStatus(CannotWrite.arg(path, text.errorString()));
                          return EndDiff();
                      }
                      text.close();
                      if (++run->Fetched < 2)
                          return FetchRevisionText(run);
                      CompareFetchedTexts(run);
                  });
}

void TfrmMain::CompareFetchedTexts(std::shared_ptr<TRepositoryDiff> run) {
    Loader.RunProgram(DiffProgram, SideBySideOptions + QStringList{OlderName, NewerName},
                      run->Texts.path(), [this, run](TCvsResult result) {
                          if (EndIfFailed(result, result.DiffFailed()))
                              return;
                          ShowStatus(Status::ParsingDiff);
                          if (frmDiff)
                              frmDiff->LoadDiff(run->Request,
                                                ClientHeader(run->Request) + result.Output.Take());
                          ShowStatus(Status::Done);
                          if (Peers.ShowComparison)
                              Peers.ShowComparison();
                          EndDiff();
                      });
}

} // namespace quillon
