// Comparisons from the main window, through the real client on a working
// folder it has made, and through stand-in clients for what a real one does
// rarely.
#include "MainWindowFixture.h"

#include "CvsCommands.h"
#include "CvsRunner.h"
#include "DiffLines.h"
#include "NativePath.h"
#include "fAnnotate.h"
#include "fDiff.h"
#include "fFileText.h"
#include "fPatch.h"

#include <QAction>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTableView>
#include <QTimer>

#include <sys/stat.h>

#include <algorithm>
#include <fstream>

using namespace quillon;
using namespace quillon::test;

namespace {

// The folder that holds the real client.
QString ClientFolder() {
    const QString client = QStandardPaths::findExecutable(QStringLiteral("cvs"));
    return client.isEmpty() ? QStringLiteral("/usr/bin") : QFileInfo(client).path();
}

class Comparison : public ::testing::Test {
protected:
    void SetUp() override {
        Main.Settings.CVSPath = ClientFolder();
        Main.SetComparisonWindow(&Diff);
        Main.SetPeers({{}, {}, [this] { ShowComparison(); }});
    }

    // Shows the window modally, as the program does, and closes it from the
    // event loop after noting how things stood while it was open.
    void ShowComparison() {
        QTimer::singleShot(0, &Diff, [this] {
            ++Shown;
            ShownModal = Diff.isVisible() && Diff.isModal();
            BusyWhileShown = !Main.MayStart() && MainViews(Main).miAbort->isEnabled();
            Diff.reject();
        });
        Diff.exec();
    }

    // Starts a comparison and waits until it has ended.
    void Compare(const TRCSFile* file, const TRevisionInfo* revision,
                 const TRevisionInfo* previous) {
        Main.ShowDiff(file, revision, previous);
        ASSERT_TRUE(QTest::qWaitFor([this] { return Main.MayStart(); }, 30000));
    }
    void CompareWithPrevious(const char* name, const char* number) {
        const TRCSFile* file = FindFile(*Main.Load().Table(), name);
        ASSERT_NE(file, nullptr) << name;
        const TRevisionInfo* revision = FindRevision(file, number);
        ASSERT_NE(revision, nullptr) << number;
        Compare(file, revision, FindPreviousRevision(file, revision));
    }

    // Shows the revisions of name in the revision list.
    void SelectFile(const char* name) {
        for (int row = 0; row < Main.FilesModel().rowCount(); ++row)
            if (Main.FilesModel().FileAt(row)->WorkingFile == name)
                MainViews(Main).lvFiles->selectRow(row);
    }
    // The row of the revision list that shows number.
    int RevisionRow(const char* number) {
        for (int row = 0; row < Main.RevisionsModel().rowCount(); ++row)
            if (Main.RevisionsModel().RevisionAt(row)->Revision == number)
                return row;
        ADD_FAILURE() << number;
        return 0;
    }
    // Triggers the command of list's context menu named name and waits.
    void Command(QTableView* list, const char* name) {
        auto* action = list->findChild<QAction*>(QString::fromLatin1(name));
        ASSERT_TRUE(action && list->actions().contains(action)) << name;
        action->trigger();
        ASSERT_TRUE(QTest::qWaitFor([this] { return Main.MayStart(); }, 30000));
    }

    void OpenHistory(const TCvsHistory& history) {
        Main.OpenFolder(history.WorkingFolder());
        ASSERT_TRUE(WaitForLoad(Main));
        ASSERT_TRUE(Main.Load().Table());
        Status.Messages.clear();
    }

    // The first row at or after from whose marker is marker, or -1.
    int RowWithMarker(char marker, int from = 2) const {
        for (int row = from; row < static_cast<int>(Diff.Lines()->Count()); ++row)
            if (Diff.Lines()->Marker(static_cast<std::size_t>(row)) == marker)
                return row;
        return -1;
    }
    QString Left(int row) const { return Diff.Grid->model()->index(row, 0).data().toString(); }
    QString Right(int row) const { return Diff.Grid->model()->index(row, 1).data().toString(); }

    TTestMainWindow Main;
    TfrmDiff Diff{&Main};
    TStatusRecorder Status{Main};
    int Shown = 0;
    bool ShownModal = false;
    bool BusyWhileShown = false;
};

const QStringList Compared = {QStringLiteral("Executing CVS command..."),
                              QStringLiteral("Parsing diff..."), QStringLiteral("Done")};

} // namespace

TEST_F(Comparison, ABranchRevisionIsComparedWithItsBranchPoint) {
    QUILLON_USE_CVS_HISTORY(history);
    OpenHistory(history);
    CompareWithPrevious("src/main.c", "1.2.2.1");
    EXPECT_EQ(Status.Messages, Compared);
    EXPECT_EQ(Shown, 1);
    EXPECT_TRUE(ShownModal);
    EXPECT_TRUE(BusyWhileShown);
    EXPECT_TRUE(Main.MayStart());
    EXPECT_FALSE(MainViews(Main).miAbort->isEnabled());

    EXPECT_EQ(Diff.windowTitle(), "Diff: src/main.c v1.2.2.1 (+1 -1)");
    ASSERT_NE(Diff.Lines(), nullptr);
    EXPECT_EQ(Left(0), "File: src/main.c");
    EXPECT_EQ(Right(0), "Lines changed: +1 -1");
    EXPECT_EQ(Left(1), "Revision: 1.2");
    EXPECT_EQ(Right(1), "Revision: 1.2.2.1");
    EXPECT_EQ(Left(2), "#include <stdio.h>");
    EXPECT_EQ(Right(2), "#include <stdio.h>");
    const int changed = RowWithMarker('|');
    ASSERT_GT(changed, 0);
    EXPECT_EQ(Left(changed), R"(        printf("demo 1.0\n");)");
    EXPECT_EQ(Right(changed), R"(        printf("demo 1.0.1\n");)");
    EXPECT_EQ(RowWithMarker('|', changed + 1), -1);

    // The trunk revision it branched from is compared with the one before it.
    Status.Messages.clear();
    CompareWithPrevious("src/main.c", "1.2");
    EXPECT_EQ(Status.Messages, Compared);
    EXPECT_EQ(Diff.windowTitle(), "Diff: src/main.c v1.2 (+6 -2)");
    EXPECT_EQ(Left(1), "Revision: 1.1");

    // The first revision has nothing before it.
    Status.Messages.clear();
    CompareWithPrevious("src/main.c", "1.1");
    EXPECT_EQ(Status.Messages, QStringList({"Pervious revision to compare with not found"}));
    EXPECT_EQ(Shown, 2);
    EXPECT_EQ(Diff.windowTitle(), "Diff: src/main.c v1.2 (+6 -2)");
}

// Without a working folder the two texts come from the repository and GNU
// diff lays them out: the window shows the lines the folder's comparison
// shows, with the same caption, for a file in a subfolder, on a branch, and
// one with a blank in its name.
TEST_F(Comparison, ARepositoryRevisionComparesAsInItsWorkingFolder) {
    QUILLON_USE_CVS_HISTORY(history);
    auto compareAll = [this] {
        std::vector<std::string> all;
        for (const auto& [name, number] :
             {std::pair{"src/main.c", "1.4"}, {"notes with blank.txt", "1.2"},
              {"src/main.c", "1.2.2.1"}}) {
            CompareWithPrevious(name, number);
            all.push_back(Diff.windowTitle().toStdString());
            for (std::size_t row = 0; row < Diff.Lines()->Count(); ++row)
                all.push_back(Diff.Lines()->Line(row));
        }
        return all;
    };
    OpenHistory(history);
    const std::vector<std::string> inFolder = compareAll();
    Main.OpenPlace(TCvsPlace::OfRepository(":fork:" + history.Repository(), "demo"));
    ASSERT_TRUE(WaitForLoad(Main));
    Status.Messages.clear();
    EXPECT_EQ(compareAll(), inFolder);
    EXPECT_EQ(Shown, 6);
    EXPECT_EQ(Status.Messages.count("Executing CVS command..."), 9);
    EXPECT_EQ(Status.Messages.last(), "Done");
}

TEST_F(Comparison, DoubleClicksCompareTheSelectedRevision) {
    QUILLON_USE_CVS_HISTORY(history);
    OpenHistory(history);
    // The file list: the newest revision of the file with a blank in its name.
    int fileRow = -1;
    for (int row = 0; row < Main.FilesModel().rowCount(); ++row)
        if (Main.FilesModel().FileAt(row)->WorkingFile == "notes with blank.txt")
            fileRow = row;
    ASSERT_GE(fileRow, 0);
    MainViews(Main).lvFiles->selectionModel()->setCurrentIndex(Main.FilesModel().index(fileRow, 0),
                                                               QItemSelectionModel::ClearAndSelect |
                                                                   QItemSelectionModel::Rows);
    Main.lvFilesDblClick();
    ASSERT_TRUE(QTest::qWaitFor([this] { return Main.MayStart(); }, 30000));
    EXPECT_EQ(Shown, 1);
    EXPECT_EQ(Diff.windowTitle(), "Diff: notes with blank.txt v1.2 (+2 -0)");
    const int added = RowWithMarker('>');
    ASSERT_GT(added, 0);
    EXPECT_EQ(Left(added), "");
    EXPECT_EQ(Right(added), "- handle -h");
    EXPECT_EQ(Right(added + 1), "- handle --help");
    EXPECT_EQ(Diff.Lines()->Count(), 7u);

    // The history list: its newest row.
    Main.lvRevisionsDblClick(MainViews(Main).lvHistory);
    ASSERT_TRUE(QTest::qWaitFor([this] { return Main.MayStart(); }, 30000));
    EXPECT_EQ(Shown, 2);
    EXPECT_EQ(Diff.windowTitle(), "Diff: src/main.c v1.4 (+7 -0)");
    EXPECT_EQ(Left(1), "Revision: 1.3");

    // Without a selected revision a double-click does nothing.
    MainViews(Main).lvRevisions->selectionModel()->clearSelection();
    Status.Messages.clear();
    Main.lvFilesDblClick();
    EXPECT_TRUE(Main.MayStart());
    EXPECT_TRUE(Status.Messages.isEmpty());
    EXPECT_EQ(Shown, 2);
}

TEST_F(Comparison, RefusalsAndFailuresOpenNoWindow) {
    QUILLON_USE_CVS_HISTORY(history);
    OpenHistory(history);
    const TRCSFile* main = FindFile(*Main.Load().Table(), "src/main.c");
    const TRevisionInfo* revision = FindRevision(main, "1.2");
    const TRevisionInfo* previous = FindRevision(main, "1.1");

    // Another command in progress: ignored without a word.
    Main.SetActivity(TActivity::Working);
    Main.ShowDiff(main, revision, previous);
    Main.lvFilesDblClick();
    EXPECT_TRUE(Status.Messages.isEmpty());
    Main.SetActivity(TActivity::Idle);

    // A dead revision: the client says so on standard error only.
    const TRCSFile* old = FindFile(*Main.Load().Table(), "old.txt");
    Compare(old, FindRevision(old, "1.2"), FindRevision(old, "1.1"));
    EXPECT_EQ(Status.Messages,
              QStringList({"Executing CVS command...",
                           "CVS error: cvs diff: Tag 1.2 refers to a dead (removed) revision in "
                           "file `old.txt'."}));

    // A revision the repository does not have (pruned since the log was read).
    TRevisionInfo pruned;
    pruned.FileInfo = main;
    pruned.Revision = "1.9";
    Status.Messages.clear();
    Compare(main, revision, &pruned);
    EXPECT_EQ(Status.Messages.last(), "CVS error: cvs diff: tag 1.9 is not in file src/main.c");

    // No client in the client's folder.
    QTemporaryDir empty;
    Main.Settings.CVSPath = empty.filePath("no-such-folder");
    Status.Messages.clear();
    Compare(main, revision, previous);
    EXPECT_EQ(Status.Messages,
              QStringList({"Executing CVS command...", "CVS executable not found"}));
    EXPECT_FALSE(MainViews(Main).miAbort->isEnabled());

    EXPECT_EQ(Shown, 0);
    EXPECT_EQ(Diff.windowTitle(), "Diff");
    EXPECT_EQ(Diff.Lines(), nullptr);

    // A saved log has no working folder to run the client in.
    Main.OpenLogFile(TestData("real-cvs.log"));
    ASSERT_TRUE(WaitForLoad(Main));
    main = FindFile(*Main.Load().Table(), "src/main.c");
    ASSERT_NE(main, nullptr);
    Status.Messages.clear();
    Compare(main, FindRevision(main, "1.2"), FindRevision(main, "1.1"));
    EXPECT_EQ(Status.Messages, QStringList({"No working folder to compare in"}));
    EXPECT_EQ(Shown, 0);
}

// Two revisions chosen with Ctrl+click in the revision list, the newer first,
// are compared the older on the left; the comment box follows the row clicked.
TEST_F(Comparison, TwoChosenRevisionsOfOneFile) {
    QUILLON_USE_CVS_HISTORY(history);
    OpenHistory(history);
    SelectFile("src/main.c");
    QTableView* list = MainViews(Main).lvRevisions;
    auto* compare = list->findChild<QAction*>(QStringLiteral("miCompareSelected"));
    ASSERT_TRUE(compare);
    Main.show();
    auto click = [list](int row, Qt::KeyboardModifiers modifiers) {
        const QRect cell = list->visualRect(list->model()->index(row, 1));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, cell.center());
    };
    click(RevisionRow("1.3"), Qt::NoModifier);
    EXPECT_FALSE(compare->isEnabled());
    click(RevisionRow("1.1"), Qt::ControlModifier);
    Status.Messages.clear();
    EXPECT_EQ(MainViews(Main).mmComments->toPlainText(), "Initial version of the demo.");
    ASSERT_TRUE(compare->isEnabled());
    Command(list, "miCompareSelected");
    EXPECT_EQ(Shown, 1);
    EXPECT_EQ(Status.Messages, Compared);
    EXPECT_EQ(Diff.windowTitle(), "Diff: src/main.c v1.1 - v1.3");
    EXPECT_EQ(Left(0), "File: src/main.c");
    EXPECT_EQ(Right(0), "");
    EXPECT_EQ(Left(1), "Revision: 1.1");
    EXPECT_EQ(Right(1), "Revision: 1.3");
    EXPECT_EQ(Left(2), "#include <stdio.h>");
    const int changed = RowWithMarker('|');
    ASSERT_GT(changed, 0);
    EXPECT_EQ(Left(changed), "int main(void)");
    EXPECT_EQ(Right(changed), "int main(int argc, char **argv)");

    // A plain click leaves one row selected; double-click compares it as before.
    click(RevisionRow("1.2"), Qt::NoModifier);
    EXPECT_FALSE(compare->isEnabled());
    Main.lvFilesDblClick();
    ASSERT_TRUE(QTest::qWaitFor([this] { return Main.MayStart(); }, 30000));
    EXPECT_EQ(Diff.windowTitle(), "Diff: src/main.c v1.2 (+6 -2)");

    EXPECT_EQ(Shown, 2);
}

// A revision compared with the working file, here a copy with one line added:
// the client writes one header line fewer, and the right side is the file.
TEST_F(Comparison, ARevisionWithTheWorkingFile) {
    QUILLON_USE_CVS_HISTORY(history);
    OpenHistory(history);
    QTemporaryDir copy;
    ASSERT_EQ(QProcess::execute("cp", {"-a", history.WorkingFolder() + "/.", copy.path()}), 0);
    QFile file(copy.filePath("src/main.c"));
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write("/* the end */\n");
    file.close();
    Main.CurrentFolder = copy.path();
    SelectFile("src/main.c");
    MainViews(Main).lvRevisions->selectRow(RevisionRow("1.4"));
    Command(MainViews(Main).lvRevisions, "miCompareWithWorkingFile");
    EXPECT_EQ(Shown, 1);
    EXPECT_EQ(Diff.windowTitle(), "Diff: src/main.c v1.4 - working file");
    EXPECT_EQ(Left(1), "Revision: 1.4");
    EXPECT_EQ(Right(1), "Working file");
    EXPECT_EQ(Left(2), "#include <stdio.h>");
    const int added = RowWithMarker('>');
    ASSERT_GT(added, 0);
    EXPECT_EQ(Right(added), "/* the end */");
    EXPECT_EQ(Diff.Lines()->Count(), 2u + 19u);

    // From the History list and a commit's revisions alike; "Compare with
    // previous" is what a double-click does.
    Command(MainViews(Main).lvHistory, "miCompareWithPrevious");
    EXPECT_EQ(Diff.windowTitle(), "Diff: src/main.c v1.4 (+7 -0)");
    Command(Main.findChild<QTableView*>(QStringLiteral("lvCommitRevisions")),
            "miCompareWithWorkingFile");
    EXPECT_EQ(Diff.windowTitle(), "Diff: src/main.c v1.4 - working file");
    EXPECT_EQ(Shown, 3);
    // The History list keeps its own commands after the revision commands.
    QStringList names;
    for (const QAction* action : MainViews(Main).lvHistory->actions())
        names.append(action->objectName());
    EXPECT_EQ(names.mid(names.indexOf("miShowCommit")),
              QStringList({"miShowCommit", "miShowHistoryPatch", "miShowTags"}));
    EXPECT_LT(names.indexOf("miCompareWithPrevious"), names.indexOf("miShowCommit"));
}

// A file's text at a revision through the client, saved byte for byte; a
// revision the repository does not have is the client's complaint.
TEST_F(Comparison, AFileAtARevision) {
    QUILLON_USE_CVS_HISTORY(history);
    OpenHistory(history);
    TfrmFileText window(&Main);
    Main.SetFileTextWindow(&window);
    TMainWindowPeers peers;
    peers.ShowFileText = [this] { ++Shown; };
    Main.SetPeers(peers);
    SelectFile("src/main.c");
    MainViews(Main).lvRevisions->selectRow(RevisionRow("1.2"));
    Status.Messages.clear();
    Command(MainViews(Main).lvRevisions, "miShowFileAtRevision");
    EXPECT_EQ(Shown, 1);
    EXPECT_EQ(Status.Messages, QStringList({"Executing CVS command...", "Done"}));
    EXPECT_EQ(window.windowTitle(), "src/main.c v1.2");
    const std::string& text = window.Text();
    const std::string start = "#include <stdio.h>\n#include <string.h>\n\nint main";
    EXPECT_EQ(text.substr(0, start.size()), start);
    EXPECT_NE(text.find("printf(\"demo 1.0\\n\");\n"), std::string::npos) << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 11);
    auto* lines = window.findChild<TNumberedText*>();
    ASSERT_TRUE(lines);
    EXPECT_EQ(lines->blockCount(), 11); // none after the last line end
    EXPECT_GE(lines->viewport()->geometry().left(), lines->MarginWidth());

    QTemporaryDir saved;
    window.SetFileChooser([&saved] { return saved.filePath("main.c"); });
    window.miSaveClick();
    QFile file(saved.filePath("main.c"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().toStdString(), text);
    EXPECT_EQ(window.StatusText(), "Saved to " + saved.filePath("main.c"));

    TRevisionInfo pruned;
    pruned.FileInfo = FindFile(*Main.Load().Table(), "src/main.c");
    pruned.Revision = "1.9";
    Status.Messages.clear();
    Main.ShowFileAt(&pruned);
    ASSERT_TRUE(QTest::qWaitFor([this] { return Main.MayStart(); }, 30000));
    EXPECT_EQ(Status.Messages.last(),
              "CVS error: cvs update: `src/main.c' is no longer in the repository");
    EXPECT_EQ(Shown, 1);
}

// README.txt at 1.3 holds lines of three revisions by anna, Joe and joe: each
// line's revision in its author's colour, its comment on a click, its
// comparison on a double-click, and the annotation one revision before.
TEST_F(Comparison, AnnotationOfThreeRevisionsByThreeAuthors) {
    QUILLON_USE_CVS_HISTORY(history);
    OpenHistory(history);
    TfrmAnnotate window(&Main);
    Main.SetAnnotationWindow(&window);
    int annotations = 0;
    TMainWindowPeers peers;
    peers.ShowComparison = [this] { ShowComparison(); };
    peers.ShowAnnotation = [&annotations] { ++annotations; };
    Main.SetPeers(peers);
    SelectFile("README.txt");
    MainViews(Main).lvRevisions->selectRow(RevisionRow("1.3"));
    Status.Messages.clear();
    Command(MainViews(Main).lvRevisions, "miAnnotate");
    EXPECT_EQ(annotations, 1);
    EXPECT_EQ(Status.Messages,
              QStringList({"Executing CVS command...", "Reading annotation...", "Done"}));
    EXPECT_EQ(window.windowTitle(), "Annotate: README.txt v1.3");
    const QAbstractItemModel* model = window.Grid->model();
    auto cell = [model](int row, int column, int role = Qt::DisplayRole) {
        return model->index(row, column).data(role);
    };
    ASSERT_EQ(model->rowCount(), 6);
    QStringList revisions, authors;
    for (int row = 0; row < model->rowCount(); ++row) {
        revisions.append(cell(row, TfrmAnnotate::ColRevision).toString());
        authors.append(cell(row, TfrmAnnotate::ColAuthor).toString());
    }
    EXPECT_EQ(revisions, QStringList({"1.1", "1.1", "1.1", "1.3", "1.2", "1.2"}));
    EXPECT_EQ(authors, QStringList({"anna", "anna", "anna", "joe", "Joe", "Joe"}));
    EXPECT_EQ(cell(3, TfrmAnnotate::ColLine).toInt(), 4);
    EXPECT_EQ(cell(3, TfrmAnnotate::ColText).toString(), "A small program that greets its users.");
    const TRCSFile* readme = FindFile(*Main.Load().Table(), "README.txt");
    EXPECT_EQ(cell(3, TfrmAnnotate::ColDate).toString(),
              FormatListDate(FindRevision(readme, "1.3")->Date));
    const QColor anna = cell(0, TfrmAnnotate::ColRevision, Qt::ForegroundRole).value<QColor>();
    const QColor joe = cell(3, TfrmAnnotate::ColRevision, Qt::ForegroundRole).value<QColor>();
    const QColor Joe = cell(4, TfrmAnnotate::ColRevision, Qt::ForegroundRole).value<QColor>();
    EXPECT_EQ(anna, Main.RowStyle().AuthorColor("anna"));
    EXPECT_EQ(joe, Main.RowStyle().AuthorColor("joe"));
    EXPECT_NE(anna, joe);
    EXPECT_EQ(Joe, joe); // the lists take both spellings for one author

    window.Grid->setCurrentIndex(model->index(4, TfrmAnnotate::ColText));
    EXPECT_TRUE(window.mmComment->toPlainText().contains("Describe the build."))
        << window.mmComment->toPlainText().toStdString();
    emit window.Grid->doubleClicked(model->index(4, TfrmAnnotate::ColText));
    ASSERT_TRUE(QTest::qWaitFor([this] { return Main.MayStart(); }, 30000));
    EXPECT_EQ(Shown, 1);
    EXPECT_EQ(Diff.windowTitle(), "Diff: README.txt v1.2 (+2 -0)");

    // One step back from the line of 1.3: README.txt at 1.2.
    window.Grid->setCurrentIndex(model->index(3, TfrmAnnotate::ColText));
    window.miAnnotatePrevious->trigger();
    ASSERT_TRUE(QTest::qWaitFor([this] { return Main.MayStart(); }, 30000));
    EXPECT_EQ(annotations, 2);
    EXPECT_EQ(window.windowTitle(), "Annotate: README.txt v1.2");
    EXPECT_EQ(cell(3, TfrmAnnotate::ColText).toString(), "A small program that greets its user.");
    EXPECT_EQ(cell(3, TfrmAnnotate::ColRevision).toString(), "1.1");
    // Nothing before the first revision; a new annotation starts at its first
    // line, and shows that line's comment.
    EXPECT_EQ(window.Grid->currentIndex().row(), 0);
    EXPECT_TRUE(window.mmComment->toPlainText().contains("Initial version of the demo."));
    window.miAnnotatePrevious->trigger();
    EXPECT_EQ(Status.Messages.last(), "No revision before 1.1");
    EXPECT_EQ(window.StatusText(), "No revision before 1.1");
    EXPECT_EQ(annotations, 2);
}

// A stand-in client in a folder of its own.
class StandInClient : public Comparison {
protected:
    void SetUp() override {
        Comparison::SetUp();
        Main.Settings.CVSPath = ClientDir.path();
        Main.CurrentFolder = WorkDir.path();
        File.WorkingFile = Name;
        Revision.FileInfo = Previous.FileInfo = &File;
        Revision.Revision = "1.2";
        Revision.LinesAdded = 3;
        Revision.LinesRemoved = 3;
        Previous.Revision = "1.1";
    }
    void Client(const QByteArray& body) {
        ASSERT_FALSE(WriteScript(ClientDir.filePath("cvs"), body).isEmpty());
    }
    QByteArray Arguments() const {
        QFile file(WorkDir.filePath("arguments"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    const QByteArray Recording = TestData("diff/kinds.out").toLocal8Bit();
    const std::string Name = R"(dir with blank/it's "odd"; a&b $x.txt)";
    QTemporaryDir ClientDir;
    QTemporaryDir WorkDir;
    TRCSFile File;
    TRevisionInfo Revision;
    TRevisionInfo Previous;
};

TEST_F(StandInClient, ReceivesTheNameAsOneArgumentAndExitOneMeansDifferent) {
    Client("printf '%s\\n' \"$@\" >arguments\ncat '" + Recording + "'\nexit 1\n");
    Compare(&File, &Revision, &Previous);
    EXPECT_EQ(Arguments(), "diff\n-y\n-w\n-b\n-r1.1\n-r1.2\n--width=1000\n--\n" +
                               QByteArray::fromStdString(Name) + "\n");
    EXPECT_EQ(Status.Messages, Compared);
    EXPECT_EQ(Shown, 1);
    EXPECT_EQ(Diff.Lines()->Count(), 12u);
    EXPECT_EQ(Left(0).toStdString(), "File: " + Name);

    // Identical revisions: no output at all, the header lines alone.
    Client("exit 0\n");
    Compare(&File, &Revision, &Previous);
    EXPECT_EQ(Shown, 2);
    EXPECT_EQ(Diff.Lines()->Count(), 2u);
}

// A file in a folder, both named in bytes that are not UTF-8, reaches the
// client as it is.
TEST_F(StandInClient, NamesInBytesThatAreNoUtf8ReachTheClientAsTheyAre) {
    const QByteArray folder = EncodePath(WorkDir.path()) + "/w\xff";
    ASSERT_EQ(::mkdir(folder.constData(), 0700), 0);
    Main.CurrentFolder = DecodePath(folder);
    File.WorkingFile = "caf\xe9.c";
    Client("printf '%s\\n' \"$@\" >arguments\n");
    Compare(&File, &Revision, &Previous);
    std::ifstream recorded(folder.toStdString() + "/arguments");
    std::string name;
    while (std::getline(recorded, name) && name != "--") {
    }
    std::getline(recorded, name);
    EXPECT_EQ(name, "caf\xe9.c");
    EXPECT_EQ(Shown, 1);
}

TEST_F(StandInClient, AnExitCodeAboveOneIsAFailureWhateverTheOutput) {
    Client("cat '" + Recording + "'\necho 'cvs [diff aborted]: out of memory' >&2\nexit 2\n");
    Compare(&File, &Revision, &Previous);
    EXPECT_EQ(Status.Messages.last(), "CVS error: cvs [diff aborted]: out of memory");
    EXPECT_EQ(Shown, 0);

    // Without a word on standard error the exit code is named.
    Client("exit 3\n");
    Status.Messages.clear();
    Compare(&File, &Revision, &Previous);
    EXPECT_EQ(Status.Messages.last(), "CVS error: exit code 3");
    EXPECT_EQ(Shown, 0);
    EXPECT_TRUE(Main.MayStart());
}

TEST_F(StandInClient, AbortShowsWhatHadArrivedOrNothing) {
    // Nothing had arrived: no window.
    Client("touch started\nexec sleep 30\n");
    Main.ShowDiff(&File, &Revision, &Previous);
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(WorkDir.filePath("started")); }, 5000));
    Main.miAbortClick();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Status.Messages.contains("Aborted"); }, 5000));
    EXPECT_TRUE(Main.MayStart());
    EXPECT_EQ(Shown, 0);
    EXPECT_FALSE(MainViews(Main).miAbort->isEnabled());

    // Part of the comparison had arrived: it is shown.
    Client("cat '" + Recording + "'\nexec sleep 30\n");
    bool arrived = false;
    QObject::connect(&Main, &TfrmMain::statusShown, &Main, [&arrived](const QString& message) {
        arrived = arrived || message.startsWith("Executing CVS command... (");
    });
    Main.ShowDiff(&File, &Revision, &Previous);
    ASSERT_TRUE(QTest::qWaitFor([&] { return arrived; }, 5000));
    Main.miAbortClick();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Shown == 1 && Main.MayStart(); }, 5000));
    EXPECT_EQ(Diff.Lines()->Count(), 12u);
    EXPECT_FALSE(MainViews(Main).miAbort->isEnabled());
}

// An annotation the client fails or that is aborted opens no window.
TEST_F(StandInClient, AFailingOrAbortedAnnotation) {
    TfrmAnnotate window(&Main);
    Main.SetAnnotationWindow(&window);
    TMainWindowPeers peers;
    peers.ShowAnnotation = [this] { ++Shown; };
    Main.SetPeers(peers);
    Client("printf '%s\\n' \"$@\" >arguments\necho 'cvs [annotate aborted]: no such file' >&2\n"
           "exit 1\n");
    Main.Annotate(&Revision);
    ASSERT_TRUE(QTest::qWaitFor([this] { return Main.MayStart(); }, 30000));
    EXPECT_EQ(Arguments(), "annotate\n-F\n-r\n1.2\n--\n" + QByteArray::fromStdString(Name) + "\n");
    EXPECT_EQ(Status.Messages.last(), "CVS error: cvs [annotate aborted]: no such file");

    // A revision the file does not have: no line and no word.
    Client("exit 0\n");
    Main.Annotate(&Revision);
    ASSERT_TRUE(QTest::qWaitFor([this] { return Main.MayStart(); }, 30000));
    EXPECT_EQ(Status.Messages.last().toStdString(), "No lines to annotate in " + Name + " v1.2");

    Client("touch started\nexec sleep 30\n");
    Main.Annotate(&Revision);
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(WorkDir.filePath("started")); }, 5000));
    Main.miAbortClick();
    ASSERT_TRUE(QTest::qWaitFor([this] { return Main.MayStart(); }, 5000));
    EXPECT_EQ(Status.Messages.last(), "Aborted");
    EXPECT_EQ(Shown, 0);
    EXPECT_EQ(window.Annotation(), nullptr);
}

TEST(ComparisonArguments, AFileNamedLikeAnOptionIsComparedAlone) {
    QUILLON_NEED_TOOL("cvs");
    QTemporaryDir dir;
    QProcess make;
    make.setWorkingDirectory(dir.path());
    make.setProcessChannelMode(QProcess::MergedChannels);
    make.start(QStringLiteral("/bin/sh"),
               {QStringLiteral("-ec"),
                QStringLiteral("export LC_ALL=C; cvs -f -Q -d \"$PWD/repo\" init; mkdir repo/m\n"
                               "cvs -f -Q -d \"$PWD/repo\" checkout -d work m; cd work\n"
                               "echo a > ./-N; echo b > other; cvs -f -Q add -- -N other\n"
                               "cvs -f -Q commit -m one; echo a2 >> ./-N; echo b2 >> other\n"
                               "cvs -f -Q commit -m two")});
    ASSERT_TRUE(make.waitForFinished(60000) && make.exitCode() == 0) << make.readAll().data();

    TCvsRunner runner;
    QSignalSpy finished(&runner, &TCvsRunner::finished);
    QStringList arguments;
    for (const std::string& argument : DiffArguments({"-N", 1, 0, "1.2", "1.1"}))
        arguments.append(QString::fromStdString(argument));
    runner.Start(QDir(ClientFolder()).filePath(QStringLiteral("cvs")), arguments,
                 dir.filePath(QStringLiteral("work")));
    ASSERT_TRUE(finished.wait(30000));
    const std::string output = runner.TakeResult().Output.Take();
    EXPECT_NE(output.find("Index: -N\n"), std::string::npos) << output;
    EXPECT_NE(output.find("a2"), std::string::npos) << output;
    EXPECT_EQ(output.find("other"), std::string::npos) << output;
}

// A commit as a patch through the real client: the first commit's files are
// all first revisions, shown whole as added lines; in a copy of the working
// folder whose src folder names a repository folder that does not exist, the
// file there fails and its part of the patch is the client's complaint.
TEST_F(Comparison, FirstCommitAsPatchWithOneFailingFile) {
    QUILLON_USE_CVS_HISTORY(history);
    OpenHistory(history);
    QTemporaryDir copy;
    ASSERT_EQ(QProcess::execute("cp", {"-a", history.WorkingFolder() + "/.", copy.path()}), 0);
    QFile repository(copy.filePath("src/CVS/Repository"));
    ASSERT_TRUE(repository.open(QIODevice::WriteOnly | QIODevice::Truncate));
    repository.write("demo/nowhere\n");
    repository.close();
    Main.CurrentFolder = copy.path();

    TfrmPatch patch(&Main);
    Main.SetPatchWindow(&patch);
    TMainWindowPeers peers{{}, {}, {}, {}, [&] { ++Shown; }};
    Main.SetPeers(peers);
    auto* commits = Main.findChild<QTableView*>(QStringLiteral("lvCommits"));
    ASSERT_TRUE(commits);
    commits->selectRow(commits->model()->rowCount() - 1);
    Main.findChild<QAction*>(QStringLiteral("miShowCommitPatch"))->trigger();
    ASSERT_TRUE(QTest::qWaitFor([this] { return Main.MayStart(); }, 30000));
    EXPECT_EQ(Shown, 1);
    EXPECT_EQ(Status.Messages.mid(Status.Messages.size() - 2),
              (QStringList{"Making patch...", "Done"}));
    const std::string& text = patch.Patch();
    EXPECT_NE(text.find("diff -N README.txt\n--- /dev/null"), std::string::npos) << text;
    EXPECT_NE(text.find("@@ -0,0 +1,4 @@\n+Demo project\n"), std::string::npos);
    EXPECT_NE(text.find("@@ -0,0 +1,2 @@\n+Old notes.\n"), std::string::npos);
    EXPECT_NE(text.find("Index: src/main.c\n# cvs diff: failed"), std::string::npos);
    EXPECT_EQ(text.find("+#include"), std::string::npos);
}

// Abort while the second of two files is running: no patch is shown and what
// the first file gave is dropped; the next patch starts afresh.
TEST_F(StandInClient, AbortingAPatchHalfwayShowsNoPatch) {
    TfrmPatch patch(&Main);
    Main.SetPatchWindow(&patch);
    int patches = 0;
    Main.SetPeers({{}, {}, {}, {}, [&] { ++patches; }});
    TRCSFile other;
    other.WorkingFile = "other.c";
    TRevisionInfo second = Revision;
    second.FileInfo = &other;
    Client("if [ -e first ]; then touch started; exec sleep 30; fi\n"
           "touch first; echo \"first of $#\"; exit 1\n");
    Main.ShowPatch({&Revision, &second});
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(WorkDir.filePath("started")); }, 5000));
    EXPECT_FALSE(Main.MayStart());
    Main.miAbortClick();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Main.MayStart(); }, 5000));
    EXPECT_EQ(Status.Messages.last(), "Aborted");
    EXPECT_EQ(patches, 0);
    EXPECT_TRUE(patch.Patch().empty());
    EXPECT_FALSE(MainViews(Main).miAbort->isEnabled());

    Client("echo \"part of $#\"; exit 1\n");
    Main.ShowPatch({&Revision, &second});
    ASSERT_TRUE(QTest::qWaitFor([&] { return Main.MayStart(); }, 30000));
    EXPECT_EQ(patches, 1);
    EXPECT_EQ(Status.Messages.last(), "Done");
    EXPECT_EQ(patch.Patch().find("first of"), std::string::npos) << patch.Patch();
    EXPECT_NE(patch.Patch().find("part of"), patch.Patch().rfind("part of")) << patch.Patch();
}
