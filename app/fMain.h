// The main window: folder loading, the status bar, the main menu and the
// browsing views.
#pragma once

#include "Filter.h"
#include "FindBar.h"
#include "ListModels.h"
#include "LoadController.h"
#include "RevisionModel.h"
#include "RowStyle.h"
#include "Settings.h"

#include <QMainWindow>

#include <functional>
#include <memory>
#include <optional>
#include <string>

class QAction;
class QLabel;
class QSplitter;
class QTabWidget;
class QTableView;

namespace quillon {

class TOwnerDrawnSelector;
class TChartPage;
class TCommentBox;
class TCommitsPage;
class TTagFilters;
class TfrmOptions;
class TfrmDiff;
class TfrmPatch;
class TRecentMenu;
class TfrmFileText;
class TfrmAnnotate;
struct TPatchRun;
struct TRepositoryDiff;
struct TDiffRequest;
struct TRevisionCommands;

// The texts of the status bar's message panel beside those of loading.
namespace Status {
inline const QString FilteringFiles = QStringLiteral("Filtering files...");
inline const QString FilteringRevisions = QStringLiteral("Filtering revisions...");
inline const QString ParsingDiff = QStringLiteral("Parsing diff...");
inline const QString NoPrevious = QStringLiteral("Pervious revision to compare with not found");
inline const QString NoWorkingFolder = QStringLiteral("No working folder to compare in");
inline const QString MakingPatch = QStringLiteral("Making patch...");
inline const QString NoWorkingFolderToRun =
    QStringLiteral("No working folder to run the client in");
inline const QString ReadingAnnotation = QStringLiteral("Reading annotation...");
inline const QString NothingAnnotated = QStringLiteral("No lines to annotate in %1 v%2");
inline const QString NoRevisionBefore = QStringLiteral("No revision before %1");
inline const QString SettingsNotSaved = QStringLiteral("Settings could not be saved");
inline const QString Finding = QStringLiteral("Finding...");
inline const QString Matches = QStringLiteral("Matches: %1");
} // namespace Status

// What the owner of the other windows lets the main window open.
struct TMainWindowPeers {
    // Shows the Options dialog modally; true when it was confirmed.
    std::function<bool()> ShowOptions;
    std::function<void()> ShowAbout;
    // Shows a comparison modally; the caller has loaded it.
    std::function<void()> ShowComparison;
    // The Options dialog that miOptionsClick fills and reads.
    TfrmOptions* Options = nullptr;
    // Shows the patch window; the caller has filled it.
    std::function<void()> ShowPatch = nullptr;
    // Show the text of a file at a revision and an annotation; the caller has
    // filled them. Showing a window already shown leaves it as it is.
    std::function<void()> ShowFileText = nullptr;
    std::function<void()> ShowAnnotation = nullptr;
};

class TfrmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TfrmMain(QWidget* parent = nullptr);
    ~TfrmMain() override;

    void SetPeers(TMainWindowPeers peers) { Peers = std::move(peers); }
    // What the first activation opens: a folder, or a saved log file.
    void SetStartFolder(const QString& folder) { StartPlace = TCvsPlace::OfFolder(folder); }
    void SetStartPlace(const TCvsPlace& place) { StartPlace = place; }
    void SetStartLogFile(const QString& file) { StartLogFile = file; }
    // Replaces the folder-selection dialog (tests): returns the chosen folder,
    // or an empty text when cancelled.
    void SetFolderChooser(std::function<QString(const QString& start)> chooser) {
        ChooseFolder = std::move(chooser);
    }

    // Replaces the Open repository dialog (tests): gets the roots to offer
    // and the repository shown, if any, and returns the place chosen, or an
    // empty one when cancelled.
    void SetRepositoryChooser(
        std::function<TCvsPlace(const QStringList& roots, const TCvsPlace& shown)> chooser) {
        ChooseRepository = std::move(chooser);
    }

    void ShowStatus(const QString& message);
    TActivity Activity() const { return Loader.Activity(); }
    // May a command start now? Every command that would start work asks.
    bool MayStart() const { return Loader.MayStart(); }
    // Whether the history, its commits and chart are being listed, or found,
    // on a worker: they are shown when it is done (findFinished).
    bool ListingHistory() const { return HistoryListing; }
    void OpenFolder(const QString& folder) { OpenPlace(TCvsPlace::OfFolder(folder)); }
    // Opens a working folder or a repository's module.
    void OpenPlace(const TCvsPlace& place);
    void OpenLogFile(const QString& file);
    // Where the commands of the history shown run: the repository it was
    // read from, or the current folder.
    TCvsPlace Place() const;
    // Computes the summary of the table (counters, history order, authors)
    // for the current settings off the GUI thread, swaps it in and fills the
    // author selector on the GUI thread, then calls then.
    void CheckLog(std::function<void()> then) { Loader.CheckLog(std::move(then)); }
    void FilterFiles();

    TSettings Settings;
    int SkippedCount = 0;
    bool Activated = false;
    QString CurrentFolder;  // empty while a repository's module is shown
    QString CurrentLogFile; // set while a saved log is shown instead of a folder
    // What loads the table the views show, and the table itself.
    TLoadController& Load() { return Loader; }
    const TLoadController& Load() const { return Loader; }

    TFileListModel& FilesModel() { return *FileRows; }
    TRevisionListModel& RevisionsModel() { return *RevisionRows; }
    TRevisionListModel& HistoryModel() { return *HistoryRows; }
    const TRowStyle& RowStyle() const { return Style; }
    // The filter the views are built through now.
    TFilter CurrentFilter() const;
    // The text of the filter selector's third entry for the current limit.
    QString FewChangesFilterText() const;
    // Sets the third filter entry's text for the current limit, keeping the
    // selected entry.
    void UpdateFilterTexts();

    // Comparison of a revision with its predecessor (MainCompare.cpp). ShowDiff
    // loads the comparison window and has the ShowComparison peer show it.
    void SetComparisonWindow(TfrmDiff* window) { frmDiff = window; }
    void ShowDiff(const TRCSFile* file, const TRevisionInfo* revision,
                  const TRevisionInfo* previous);
    // Two revisions of one file, the older on the left, and a revision with
    // the working file, in the same window.
    void CompareRevisions(const TRevisionInfo* older, const TRevisionInfo* newer);
    void CompareWithWorkingFile(const TRevisionInfo* revision);
    void lvRevisionsDblClick(QTableView* list);
    // The patch of revisions, each compared with its predecessor through the
    // client one after another (MainPatch.cpp); the ShowPatch peer shows it.
    void SetPatchWindow(TfrmPatch* window) { frmPatch = window; }
    void ShowPatch(std::vector<const TRevisionInfo*> revisions);
    void lvFilesDblClick();
    // A file at a revision, and its annotation, through the client
    // (MainAnnotate.cpp); the ShowFileText and ShowAnnotation peers show them.
    void SetFileTextWindow(TfrmFileText* window) { frmFileText = window; }
    void SetAnnotationWindow(TfrmAnnotate* window);
    void ShowFileAt(const TRevisionInfo* revision);
    void Annotate(const TRevisionInfo* revision);

    void miOpenClick();
    void miOpenLogClick();
    void miOpenRepositoryClick();
    void miAbortClick();
    void miExitClick();
    void miRefreshClick();
    void miOptionsClick();
    void miAboutClick();

    // Find (MainFind.cpp): Ctrl+F opens the find field; its text narrows the
    // history, the commits and the revision list; F3 and Shift+F3 step
    // through the rows of the current page's list.
    void miFindClick();
    void FindStep(int step);
    // The find text in force.
    const TFindText& FindText() const { return Find; }

signals:
    // A load has ended, whatever its outcome (tests wait for it).
    void loadFinished();
    // Every status message, in order (tests record them).
    void statusShown(const QString& message);
    // FilterFiles has rebuilt the views.
    void filesFiltered();
    // The rows a find text matches are shown (tests wait for it).
    void findFinished();

protected:
    // Each sequence sets what it does; a running client counts by itself.
    void SetActivity(TActivity activity) { Loader.SetActivity(activity); }
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void CreateMenu();
    void CreateViews();
    QTableView* CreateList(QAbstractItemModel* model, std::initializer_list<int> widths);
    void FormActivate();
    void ConnectLoader();
    void ClearViews();
    // Empties the views and the author selector: the table goes.
    void DropTable();
    void FillAuthors();
    // A fresh table replaces the cached one shown (MainRefresh.cpp): what the
    // views show is noted before and found again after, where it still is.
    struct TViewState {
        QString Author, Branch;
        std::pair<QString, QString> Range;
        std::string File, Revision;               // selected on the Files page
        std::string HistoryFile, HistoryRevision; // selected on the History page
        int FilesScroll = 0, RevisionsScroll = 0, HistoryScroll = 0;
        int Filterings = 0; // those still to come that find it again
    };
    void SaveViewState();
    void RestoreViewState();
    // Selects and scrolls to what SavedView notes, after a filtering.
    void FindViewAgain();
    void lvFilesSelectItem();
    void lvRevisionsSelectItem();
    void lvHistorySelectItem();
    // Shows the commit of the selected history row on the Commits page.
    void miShowCommitClick();
    void EndDiff(); // MainCompare.cpp
    // Ends a command whose client did not start, was aborted, or failed (as
    // failed tells), saying why; true when it did.
    bool EndIfFailed(const TCvsResult& result, bool failed);
    // Starts a command on revision's file through the client: the place it
    // runs in, or none when it may not start (and the status says why when
    // there is no place to run it) (MainAnnotate.cpp).
    std::optional<TCvsPlace> StartFileCommand(const TRevisionInfo* revision);
    // Compares the two revisions of request without a working folder: their
    // texts are fetched one after the other, then compared
    // (MainRepositoryCompare.cpp).
    void CompareInRepository(TDiffRequest request);
    void FetchRevisionText(std::shared_ptr<TRepositoryDiff> run);
    void CompareFetchedTexts(std::shared_ptr<TRepositoryDiff> run);
    // Runs the comparison of request and shows it (MainCompare.cpp).
    void RunDiff(TDiffRequest request);
    // The annotation window has read the client's output (MainAnnotate.cpp).
    void AnnotationLoaded();
    // Is there a working folder to run the client's commands in?
    bool HasWorkingFolder() const;
    // The commands of the revision lists' context menus.
    TRevisionCommands RevisionCommands();
    // Runs the client for files[next] and on (MainPatch.cpp).
    void RunPatchFile(std::shared_ptr<TPatchRun> run);
    // Compares the revision chosen on the Charts page with its predecessor
    // (MainCompare.cpp).
    void ChartRevisionChosen(const std::string& file, const std::string& revision);
    // Find (MainFind.cpp).
    void CreateFind();
    void FindChanged(const QString& text);
    // Narrows the history that FilterFiles listed to the find text, off the
    // GUI thread.
    void StartFind();
    // Lists UnfoundHistory, narrowed by the find text, on a worker.
    void ListHistory();
    void ShowFound(const std::shared_ptr<TFoundRows>& found);
    // Shows rows in the history, the commits and the chart; the commits and
    // the chart are made of the rows when not given.
    void ShowHistory(const TRowSource& source, std::vector<const TRevisionInfo*> rows,
                     TCommitList* commits, TChartData* chart);
    // Says "Done", then the chart's notice while the chart is shown.
    void ShowDone();
    void ShowChartNotice();

    // The views and menu commands; tests find them by their object names.
    TOwnerDrawnSelector* cbxFilter = nullptr;
    TOwnerDrawnSelector* cbxAuthors = nullptr;
    QTabWidget* PageControl = nullptr;
    QTableView* lvFiles = nullptr;
    QTableView* lvRevisions = nullptr;
    QTableView* lvHistory = nullptr;
    TCommentBox* mmComments = nullptr;
    TCommentBox* mmCommentsHistory = nullptr;
    QAction* miOpen = nullptr;
    QAction* miOpenLog = nullptr;
    TRecentMenu* miRecent = nullptr;
    QAction* miOpenRepository = nullptr;
    QAction* miAbort = nullptr;
    QAction* miExit = nullptr;
    QAction* miRefresh = nullptr;
    QAction* miOptions = nullptr;
    QAction* miAbout = nullptr;

    TMainWindowPeers Peers;
    TfrmDiff* frmDiff = nullptr;
    TfrmPatch* frmPatch = nullptr;
    TfrmFileText* frmFileText = nullptr;
    TfrmAnnotate* frmAnnotate = nullptr;
    TCvsPlace StartPlace;
    QString StartLogFile;
    std::function<QString(const QString&)> ChooseFolder;
    std::function<TCvsPlace(const QStringList&, const TCvsPlace&)> ChooseRepository;

    TLoadController Loader{Settings};

    TRowStyle Style;
    TFileListModel* FileRows = nullptr;
    TRevisionListModel* RevisionRows = nullptr;
    TRevisionListModel* HistoryRows = nullptr;
    TChartPage* ChartPage = nullptr;
    TCommitsPage* CommitsPage = nullptr;
    TTagFilters* TagFilters = nullptr; // the branch selector and the range
    QLabel* StatusPanels[5] = {};
    QLabel* CommitsPanel = nullptr; // "Commits: N", after "History: N"
    QAction* miShowCommit = nullptr;
    QAction* miShowCommitPatch = nullptr;
    std::optional<TViewState> SavedView;

    TFindBar* FindBar = nullptr;
    TFindSearch* FindSearch = nullptr;
    TFindText Find;
    std::vector<TFindHighlightDelegate*> FindHighlights;
    // The history FilterFiles listed before the find text narrowed it.
    TRowSource HistorySource;
    THistoryRows UnfoundHistory;
    bool HistoryListing = false; // see ListingHistory
};

} // namespace quillon
