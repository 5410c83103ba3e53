#include "fMain.h"

#include "CellText.h"
#include "ChartPage.h"
#include "CheckLog.h"
#include "CommentBox.h"
#include "CommitsPage.h"
#include "DisplayText.h"
#include "FileTags.h"
#include "Fonts.h"
#include "ListView.h"
#include "RecentMenu.h"
#include "RecentRoots.h"
#include "RevisionMenu.h"
#include "RowOpening.h"
#include "Selectors.h"
#include "TagFilters.h"
#include "fOpenRepository.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPointer>
#include <QResizeEvent>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace quillon {

namespace {

constexpr QSize InitialSize(796, 640);
constexpr QSize MinimumSize(500, 400);
constexpr int FilterPanelHeight = 33;
constexpr int PageBorder = 4;
constexpr int SplitterWidth = 6;
constexpr int RevisionListHeight = 186;
constexpr int CommentBoxHeight = 67;
constexpr int StatusPanelWidth = 100;
constexpr int CounterPadding = 8; // beside a counter's text that needs a wider panel
// From this many history rows on, the history is listed off the GUI thread.
constexpr std::size_t BackgroundHistoryRows = 100'000;
const QKeySequence ShowCommitShortcut(Qt::CTRL | Qt::Key_M);
// Below this width the "Commits: N" panel is left out, so that the message
// keeps room beside the other four counters.
constexpr int CommitsPanelFromWidth = MinimumSize.width() + StatusPanelWidth;
constexpr int FilterSelectorWidth = 613;
constexpr int AuthorSelectorWidth = 153;
constexpr int FilterMaxVisible = 20;
constexpr int AuthorsMaxVisible = 8;

// Open log file: Ctrl+Shift+O beside Open's Ctrl+O. Options: the platform's
// key for preferences, Ctrl+, where it has none.
QKeySequence OpenLogShortcut() {
    return QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O);
}

// Shows a counter: its panel keeps its width unless the text needs more, so
// that counts of millions stay whole. True when the width changed.
bool ShowCounter(QLabel* panel, const QString& text) {
    panel->setText(text);
    const int width = std::max(StatusPanelWidth, panel->fontMetrics().horizontalAdvance(text) +
                                                     2 * panel->frameWidth() + CounterPadding);
    if (panel->minimumWidth() == width)
        return false;
    panel->setFixedWidth(width);
    return true;
}

QKeySequence OptionsShortcut() {
    const QKeySequence preferences(QKeySequence::Preferences);
    return preferences.isEmpty() ? QKeySequence(Qt::CTRL | Qt::Key_Comma) : preferences;
}

const QString Caption = QStringLiteral("Quillon");
const QString CaptionPrefix = QStringLiteral("Quillon: ");
const QString AllUsers = QStringLiteral("All users");
const QString FewChangesPrefix =
    QStringLiteral("Show only files with number of changes in last revision less then ");
const QStringList FilterEntries = {
    QStringLiteral("Show all files"),
    QStringLiteral("Show only files without comments in last revision"),
    FewChangesPrefix + QStringLiteral("...")};

} // namespace

TfrmMain::TfrmMain(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(Caption);
    resize(InitialSize);
    setMinimumSize(MinimumSize);
    UseWindowFont(*this);
    Style.Font = font();
    ChooseFolder = [this](const QString& start) {
        return QFileDialog::getExistingDirectory(this, QStringLiteral("Select directory"), start,
                                                 QFileDialog::ShowDirsOnly);
    };
    ChooseRepository = [this](const QStringList& roots, const TCvsPlace& shown) {
        TfrmOpenRepository dialog(this);
        dialog.SetValues(roots, shown);
        return dialog.exec() == QDialog::Accepted ? dialog.Place() : TCvsPlace{};
    };
    TagFilters = new TTagFilters(this, [this] { return Loader.MayBrowse(); });
    CreateMenu();
    CreateViews();
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());

    // Opens on the Files page with the stored settings and Abort disabled.
    PageControl->setCurrentIndex(0);
    LoadSettings(Settings, *OpenSettingsStore());
    Style.LinesLimit = Settings.LinesLimit;
    UpdateFilterTexts();
    miAbort->setEnabled(false);
    mmComments->setFocus();
    ConnectLoader();
}

TfrmMain::~TfrmMain() = default;

void TfrmMain::ConnectLoader() {
    connect(&Loader, &TLoadController::statusShown, this, &TfrmMain::ShowStatus);
    connect(&Loader, &TLoadController::loadStarted, this, [this](const QString& source) {
        SkippedCount = 0;
        setWindowTitle(CaptionPrefix + source);
    });
    connect(&Loader, &TLoadController::loadingChanged, this, [this](bool loading) {
        miOpen->setEnabled(!loading);
        miOpenLog->setEnabled(!loading);
        miRecent->setEnabled(!loading);
        miOpenRepository->setEnabled(!loading);
        miAbort->setEnabled(loading);
    });
    connect(&Loader, &TLoadController::tableDropped, this, &TfrmMain::DropTable);
    connect(&Loader, &TLoadController::checkStarted, this, &TfrmMain::ClearViews);
    connect(&Loader, &TLoadController::summaryChanged, this, [this] {
        Style.Authors = AuthorsOf(Loader.Summary());
        Style.LinesLimit = Settings.LinesLimit;
        FillAuthors();
        TagFilters->Fill(Loader.Table());
    });
    connect(&Loader, &TLoadController::tableLoaded, this, &TfrmMain::FilterFiles);
    connect(&Loader, &TLoadController::tableLoaded, this, [this] {
        if (!CurrentLogFile.isEmpty())
            miRecent->Add({TRecentPlace::TKind::LogFile, CurrentLogFile});
        else if (!CurrentFolder.isEmpty())
            miRecent->Add({TRecentPlace::TKind::Folder, CurrentFolder});
    });
    connect(&Loader, &TLoadController::tableReplacing, this, &TfrmMain::SaveViewState);
    connect(&Loader, &TLoadController::tableReplaced, this, &TfrmMain::RestoreViewState);
    connect(&Loader, &TLoadController::loadFinished, this, &TfrmMain::loadFinished);
}

void TfrmMain::CreateMenu() {
    menuBar()->setObjectName(QStringLiteral("MainMenu"));
    auto add = [this](QMenu* menu, const char* name, const QString& text, QKeySequence key,
                      void (TfrmMain::*handler)()) {
        QAction* action = menu->addAction(text);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(key);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("miFile"));
    miOpen = add(file, "miOpen", QStringLiteral("&Open"), QKeySequence(Qt::CTRL | Qt::Key_O),
                 &TfrmMain::miOpenClick);
    miOpenLog = add(file, "miOpenLog", QStringLiteral("Open &log file..."), OpenLogShortcut(),
                    &TfrmMain::miOpenLogClick);
    miOpenRepository = add(file, "miOpenRepository", QStringLiteral("Open &repository..."),
                           QKeySequence(), &TfrmMain::miOpenRepositoryClick);
    miRecent = new TRecentMenu(
        this,
        [this](const TRecentPlace& place) {
            place.Kind == TRecentPlace::TKind::Folder ? OpenFolder(place.Path)
                                                      : OpenLogFile(place.Path);
        },
        [this](const QString& message) { ShowStatus(message); });
    file->addMenu(miRecent);
    miAbort = add(file, "miAbort", QStringLiteral("&Abort"), QKeySequence(Qt::Key_Escape),
                  &TfrmMain::miAbortClick);
    file->addSeparator();
    miExit = add(file, "miExit", QStringLiteral("E&xit"), QKeySequence(Qt::ALT | Qt::Key_F4),
                 &TfrmMain::miExitClick);
    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    view->setObjectName(QStringLiteral("miView"));
    miRefresh = add(view, "miRefresh", QStringLiteral("&Refresh"), QKeySequence(Qt::Key_F5),
                    &TfrmMain::miRefreshClick);
    view->addAction(TagFilters->RangeAction());
    view->addSeparator();
    miOptions = add(view, "miOptions", QStringLiteral("&Options"), OptionsShortcut(),
                    &TfrmMain::miOptionsClick);
    QMenu* help = menuBar()->addMenu(QStringLiteral("&?"));
    help->setObjectName(QStringLiteral("miHelp"));
    miAbout = add(help, "miAbout", QStringLiteral("&About"), QKeySequence(Qt::Key_F1),
                  &TfrmMain::miAboutClick);
}

QTableView* TfrmMain::CreateList(QAbstractItemModel* model, std::initializer_list<int> widths) {
    return CreateListView(model, *this, widths);
}

void TfrmMain::CreateViews() {
    FileRows = new TFileListModel(Style, this);
    RevisionRows = new TRevisionListModel(TRevisionListModel::TKind::Revisions, Style, this);
    HistoryRows = new TRevisionListModel(TRevisionListModel::TKind::History, Style, this);

    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* filterPanel = new QWidget;
    filterPanel->setObjectName(QStringLiteral("pnlFilesFilter"));
    filterPanel->setFixedHeight(FilterPanelHeight);
    auto* filterLayout = new QHBoxLayout(filterPanel);
    filterLayout->setContentsMargins(8, 6, 8, 0);
    filterLayout->setSpacing(6);
    cbxFilter = new TOwnerDrawnSelector;
    cbxFilter->setObjectName(QStringLiteral("cbxFilter"));
    cbxFilter->setMaxVisibleItems(FilterMaxVisible);
    cbxFilter->setMinimumWidth(FilterSelectorWidth / 4);
    cbxFilter->addItems(FilterEntries);
    QFont bold = font(), underlined = font();
    bold.setBold(true);
    underlined.setUnderline(true);
    cbxFilter->setItemData(1, bold, Qt::FontRole);
    cbxFilter->setItemData(2, underlined, Qt::FontRole);
    cbxFilter->setCurrentIndex(0);
    cbxAuthors = new TOwnerDrawnSelector;
    cbxAuthors->setObjectName(QStringLiteral("cbxAuthors"));
    cbxAuthors->setMaxVisibleItems(AuthorsMaxVisible);
    cbxAuthors->setFixedWidth(AuthorSelectorWidth);
    filterLayout->addWidget(cbxFilter, 1);
    filterLayout->addWidget(cbxAuthors);
    filterLayout->addWidget(TagFilters->BranchSelector());
    connect(TagFilters, &TTagFilters::changed, this, [this] {
        if (Loader.MayBrowse())
            FilterFiles();
    });
    connect(TagFilters, &TTagFilters::failed, this, &TfrmMain::ShowStatus);
    layout->addWidget(filterPanel);
    connect(cbxFilter, &QComboBox::activated, this, [this] {
        if (Loader.MayBrowse())
            FilterFiles();
    });
    connect(cbxAuthors, &QComboBox::activated, this, [this] {
        if (Loader.MayBrowse())
            FilterFiles();
    });

    PageControl = new QTabWidget;
    PageControl->setObjectName(QStringLiteral("PageControl"));
    layout->addWidget(PageControl, 1);
    setCentralWidget(central);

    // A page whose widget has its layout.
    auto addPage = [this](QWidget* widget, const char* name, const QString& caption) {
        widget->setObjectName(QString::fromLatin1(name));
        widget->layout()->setContentsMargins(PageBorder, PageBorder, PageBorder, PageBorder);
        PageControl->addTab(widget, caption);
    };
    auto page = [&addPage](const char* name, const QString& caption) {
        auto* widget = new QWidget;
        auto* pageLayout = new QVBoxLayout(widget);
        addPage(widget, name, caption);
        return pageLayout;
    };
    auto commentBox = [this](const char* name) {
        auto* box = new TCommentBox;
        box->setObjectName(QString::fromLatin1(name));
        box->setReadOnly(true);
        box->setLineWrapMode(QPlainTextEdit::NoWrap);
        box->setTabChangesFocus(false);
        box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        connect(box, &TCommentBox::commentFailed, this, &TfrmMain::ShowStatus);
        return box;
    };
    auto splitter = [](const char* name) {
        auto* split = new QSplitter(Qt::Vertical);
        split->setObjectName(QString::fromLatin1(name));
        split->setHandleWidth(SplitterWidth);
        split->setChildrenCollapsible(false);
        return split;
    };

    // Files page: the file list, the revision list and the comment box.
    QVBoxLayout* files = page("tsFiles", QStringLiteral("Files"));
    lvFiles = CreateList(FileRows, {280, 40, 80, 80, 80, 60, 60, 70});
    lvFiles->setObjectName(QStringLiteral("lvFiles"));
    lvRevisions = CreateList(RevisionRows, {80, 230, 170, 80, 60, 60, 250, 120});
    lvRevisions->setObjectName(QStringLiteral("lvRevisions"));
    lvRevisions->setSelectionMode(QAbstractItemView::ExtendedSelection);
    const auto revisionRow = [this](int row) { return RevisionRows->RevisionAt(row); };
    AddRevisionMenu(lvRevisions, revisionRow, RevisionCommands());
    AddFileTagsCommand(lvRevisions, revisionRow);
    mmComments = commentBox("mmComments");
    QSplitter* splitFiles = splitter("splitFiles");
    QSplitter* splitFilesComments = splitter("splitFilesComments");
    splitFilesComments->addWidget(lvRevisions);
    splitFilesComments->addWidget(mmComments);
    splitFilesComments->setStretchFactor(0, 1);
    splitFilesComments->setSizes({RevisionListHeight, CommentBoxHeight});
    splitFiles->addWidget(lvFiles);
    splitFiles->addWidget(splitFilesComments);
    splitFiles->setStretchFactor(0, 1);
    splitFiles->setStretchFactor(1, 0);
    splitFiles->setSizes({InitialSize.height() - RevisionListHeight - CommentBoxHeight,
                          RevisionListHeight + CommentBoxHeight + SplitterWidth});
    files->addWidget(splitFiles);

    // History page: the history list and its comment box.
    QVBoxLayout* history = page("tsHistory", QStringLiteral("History"));
    lvHistory = CreateList(HistoryRows, {265, 55, 150, 50, 40, 60, 60, 250, 120});
    lvHistory->setObjectName(QStringLiteral("lvHistory"));
    const auto historyRow = [this](int row) { return HistoryRows->RevisionAt(row); };
    AddRevisionMenu(lvHistory, historyRow, RevisionCommands());
    mmCommentsHistory = commentBox("mmCommentsHistory");
    QSplitter* splitHistory = splitter("splitHistoryComments");
    splitHistory->addWidget(lvHistory);
    splitHistory->addWidget(mmCommentsHistory);
    splitHistory->setStretchFactor(0, 1);
    splitHistory->setStretchFactor(1, 0);
    splitHistory->setSizes({InitialSize.height(), CommentBoxHeight});
    history->addWidget(splitHistory);

    // Commits page: the commits of the listed history.
    CommitsPage = new TCommitsPage(Style);
    addPage(CommitsPage, "tsCommits", QStringLiteral("Commits"));
    CommitsPage->SetMayStart([this] { return MayStart(); });
    connect(CommitsPage, &TCommitsPage::commentFailed, this, &TfrmMain::ShowStatus);
    connect(CommitsPage, &TCommitsPage::revisionOpened, this, [this](const TRevisionInfo* r) {
        ShowDiff(r->FileInfo, r, FindPreviousRevision(r->FileInfo, r));
    });
    miShowCommit = new QAction(QStringLiteral("Show commit"), this);
    miShowCommit->setObjectName(QStringLiteral("miShowCommit"));
    miShowCommit->setShortcut(ShowCommitShortcut);
    miShowCommit->setShortcutContext(Qt::WidgetShortcut);
    connect(miShowCommit, &QAction::triggered, this, &TfrmMain::miShowCommitClick);
    miShowCommitPatch = new QAction(QStringLiteral("Show commit as patch"), this);
    miShowCommitPatch->setObjectName(QStringLiteral("miShowHistoryPatch"));
    connect(miShowCommitPatch, &QAction::triggered, this, [this] {
        if (MayStart() && CommitsPage->ShowCommitOf(HistoryRows->RevisionAt(ChosenRow(*lvHistory))))
            ShowPatch(CommitsPage->SelectedRevisions());
    });
    connect(CommitsPage, &TCommitsPage::patchRequested, this,
            [this] { ShowPatch(CommitsPage->SelectedRevisions()); });
    lvHistory->addActions({miShowCommit, miShowCommitPatch});
    AddFileTagsCommand(lvHistory, historyRow);
    CommitsPage->AddRevisionCommands(RevisionCommands());

    ChartPage = new TChartPage;
    addPage(ChartPage, "tsCharts", QStringLiteral("Charts"));
    ChartPage->SetMayStart([this] { return MayStart(); });
    ChartPage->SetAuthorColor(
        [this](std::string_view author) { return Style.AuthorColor(author); });
    connect(ChartPage, &TChartPage::modeChosen, this, [this] {
        if (MayStart())
            FilterFiles();
    });
    connect(ChartPage, &TChartPage::revisionChosen, this, &TfrmMain::ChartRevisionChosen);
    connect(ChartPage, &TChartPage::statusShown, this, &TfrmMain::ShowStatus);

    connect(lvFiles->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TfrmMain::lvFilesSelectItem);
    connect(lvRevisions->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TfrmMain::lvRevisionsSelectItem);
    connect(lvHistory->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TfrmMain::lvHistorySelectItem);
    OnRowOpened(*lvFiles, [this] { lvFilesDblClick(); });
    OnRowOpened(*lvRevisions, [this] { lvRevisionsDblClick(lvRevisions); });
    OnRowOpened(*lvHistory, [this] { lvRevisionsDblClick(lvHistory); });

    // The status bar: four counters and the message.
    statusBar()->setObjectName(QStringLiteral("StatusBar"));
    statusBar()->setSizeGripEnabled(false);
    for (int i = 0; i < 5; ++i) {
        auto* panel = new QLabel;
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i + 1));
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        if (i < 4) {
            panel->setFixedWidth(StatusPanelWidth);
            panel->setAlignment(Qt::AlignCenter);
            statusBar()->addWidget(panel);
        } else {
            // The message takes the room the counters leave, never more.
            panel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
            panel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            statusBar()->addWidget(panel, 1);
        }
        StatusPanels[i] = panel;
    }
    CommitsPanel = new QLabel;
    CommitsPanel->setObjectName(QStringLiteral("StatusPanelCommits"));
    CommitsPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    CommitsPanel->setFixedWidth(StatusPanelWidth);
    CommitsPanel->setAlignment(Qt::AlignCenter);
    statusBar()->insertWidget(4, CommitsPanel);
    statusBar()->addPermanentWidget(TagFilters->RangeButton());
    CreateFind();
}

void TfrmMain::ShowStatus(const QString& message) {
    const bool widths =
        ShowCounter(StatusPanels[0], QStringLiteral("Files: %1").arg(FileRows->rowCount())) |
        ShowCounter(StatusPanels[1], QStringLiteral("Skipped: %1").arg(SkippedCount)) |
        ShowCounter(StatusPanels[2],
                    QStringLiteral("Revisions: %1").arg(RevisionRows->rowCount())) |
        ShowCounter(StatusPanels[3], QStringLiteral("History: %1").arg(HistoryRows->rowCount())) |
        ShowCounter(CommitsPanel, QStringLiteral("Commits: %1").arg(CommitsPage->CommitCount()));
    // The message's room is known once the counters have theirs.
    if (widths && statusBar()->layout())
        statusBar()->layout()->activate();
    // The message stands at the right; one too long for its panel keeps its
    // beginning in view instead, and shows whole as the panel's tip.
    QLabel* messagePanel = StatusPanels[4];
    const bool fits = messagePanel->fontMetrics().horizontalAdvance(message) <=
                      messagePanel->contentsRect().width();
    messagePanel->setAlignment((fits ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    messagePanel->setText(message);
    messagePanel->setToolTip(fits ? QString() : message);
    emit statusShown(message);
}

QString TfrmMain::FewChangesFilterText() const {
    return FewChangesPrefix + QString::number(Settings.LinesLimit);
}

void TfrmMain::UpdateFilterTexts() {
    cbxFilter->setItemText(2, FewChangesFilterText());
}

bool TfrmMain::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate && !Activated)
        QTimer::singleShot(0, this, &TfrmMain::FormActivate);
    return QMainWindow::event(event);
}

void TfrmMain::FormActivate() {
    if (Activated)
        return;
    Activated = true;
    if (!StartLogFile.isEmpty())
        OpenLogFile(StartLogFile);
    else if (!StartPlace.IsEmpty())
        OpenPlace(StartPlace);
}

void TfrmMain::resizeEvent(QResizeEvent* event) {
    CommitsPanel->setVisible(event->size().width() >= CommitsPanelFromWidth);
    QMainWindow::resizeEvent(event);
}

void TfrmMain::closeEvent(QCloseEvent* event) {
    // Closing ends a run in progress, its client included.
    Loader.Close();
    event->accept();
}

void TfrmMain::ClearViews() {
    FindSearch->Drop();
    HistoryListing = false;
    UnfoundHistory.reset();
    HistorySource = {};
    FileRows->Clear();
    RevisionRows->Clear();
    HistoryRows->Clear();
    mmComments->ClearComment();
    mmCommentsHistory->ClearComment();
    CommitsPage->Clear();
    ChartPage->Clear();
}

void TfrmMain::DropTable() {
    ClearViews();
    cbxAuthors->clear();
    TagFilters->Clear();
    // The views hold no row of the table any more.
    Style.Authors.reset();
    SavedView.reset();
}

void TfrmMain::OpenPlace(const TCvsPlace& place) {
    if (!MayStart())
        return;
    CurrentFolder = place.Folder;
    CurrentLogFile.clear();
    Loader.OpenPlace(place);
}

TCvsPlace TfrmMain::Place() const {
    return Loader.Place().IsRepository() ? Loader.Place() : TCvsPlace::OfFolder(CurrentFolder);
}

void TfrmMain::OpenLogFile(const QString& file) {
    if (!MayStart())
        return;
    CurrentLogFile = file;
    Loader.OpenLogFile(file);
}

void TfrmMain::FillAuthors() {
    cbxAuthors->clear();
    cbxAuthors->addItem(AllUsers);
    cbxAuthors->setItemData(0, IndexColor(0), Qt::ForegroundRole);
    int position = 1;
    for (const TText name : Loader.Summary()->Authors.Names()) {
        cbxAuthors->addItem(CellText(name));
        cbxAuthors->setItemData(position, IndexColor(position), Qt::ForegroundRole);
        ++position;
    }
    cbxAuthors->setCurrentIndex(0);
}

TFilter TfrmMain::CurrentFilter() const {
    TFilter filter =
        MakeFilter(static_cast<TFilterMode>(std::max(0, cbxFilter->currentIndex())),
                   Settings.LinesLimit, Settings.DoInclude ? Settings.Include : QString(),
                   Settings.DoExclude ? Settings.Exclude : QString(),
                   std::max(0, cbxAuthors->currentIndex()), AuthorsOf(Loader.Summary()));
    TagFilters->Apply(filter);
    filter.Find = Find;
    return filter;
}

void TfrmMain::FilterFiles() {
    FindSearch->Cancel();
    HistoryListing = false;
    SkippedCount = 0;
    ShowStatus(Status::FilteringFiles);
    Style.LinesLimit = Settings.LinesLimit;
    const TRCSFileTablePtr& table = Loader.Table();
    const TLogSummaryPtr& summary = Loader.Summary();
    TFilter filter = CurrentFilter();
    filter.Find = {};
    TViewRows rows = table && summary ? FilterRows(*table, *summary, filter) : TViewRows{};
    SkippedCount = rows.Skipped;
    const TRowSource source{table, summary, table ? FindSearch->IndexFor(table) : nullptr};

    FileRows->Reset(source, std::move(rows.Files));
    if (FileRows->rowCount() > 0) {
        lvFiles->scrollToTop();
        lvFiles->selectionModel()->setCurrentIndex(
            FileRows->index(0, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    } else {
        RevisionRows->Clear();
        mmComments->ClearComment();
    }

    HistorySource = source;
    // Built while the lists are read, so that find and sorting by tags answer
    // at once.
    TFindSearch::BuildIndex(source);
    if (Find.Empty() && rows.History.size() < BackgroundHistoryRows) {
        UnfoundHistory.reset();
        ShowHistory(source, std::move(rows.History), nullptr, nullptr);
        ShowDone();
    } else {
        // A long history's commits and chart are built on workers, as a
        // find's are; the history is shown with them.
        UnfoundHistory =
            std::make_shared<const std::vector<const TRevisionInfo*>>(std::move(rows.History));
        if (Find.Empty()) {
            ListHistory();
        } else {
            StartFind();
            ShowStatus(Status::Finding);
            ShowChartNotice();
        }
    }
    emit filesFiltered();
}

void TfrmMain::ShowDone() {
    ShowStatus(Status::Done);
    ShowChartNotice();
    // A listing that ends while the client refreshes the cached history
    // leaves that the last word.
    if (const QString refreshing = Loader.RefreshingStatus(); !refreshing.isEmpty())
        ShowStatus(refreshing);
}

void TfrmMain::ShowChartNotice() {
    // The chart's notice stays the last word while the chart is shown.
    if (ChartPage->isVisible() && !ChartPage->Notice().isEmpty())
        ShowStatus(ChartPage->Notice());
}

void TfrmMain::ShowHistory(const TRowSource& source, std::vector<const TRevisionInfo*> rows,
                           TCommitList* commits, TChartData* chart) {
    HistoryRows->Reset(source, std::move(rows));
    if (HistoryRows->rowCount() > 0) {
        lvHistory->scrollToTop();
        lvHistory->selectionModel()->setCurrentIndex(HistoryRows->index(0, 0),
                                                     QItemSelectionModel::ClearAndSelect |
                                                         QItemSelectionModel::Rows);
    } else {
        mmCommentsHistory->ClearComment();
    }
    if (commits)
        CommitsPage->Fill(source, std::move(*commits));
    else
        CommitsPage->Fill(source, HistoryRows->Revisions());
    if (SavedView)
        FindViewAgain();
    if (chart)
        ChartPage->Fill(std::move(*chart));
    else
        ChartPage->Fill(HistoryRows->Revisions(), source.Table);
}

void TfrmMain::lvFilesSelectItem() {
    if (!Loader.MayBrowse())
        return;
    ShowStatus(Status::FilteringRevisions);
    std::vector<const TRevisionInfo*> revisions;
    const QModelIndexList selected = lvFiles->selectionModel()->selectedRows();
    const TRCSFile* file = selected.isEmpty() ? nullptr : FileRows->FileAt(selected.front().row());
    if (file) {
        const TFilter filter = CurrentFilter();
        for (const auto& revision : file->Revisions)
            if (filter.RevisionPasses(revision))
                revisions.push_back(&revision);
    }
    RevisionRows->Reset(FileRows->Source(), std::move(revisions));
    if (RevisionRows->rowCount() > 0)
        lvRevisions->selectionModel()->setCurrentIndex(RevisionRows->index(0, 0),
                                                       QItemSelectionModel::ClearAndSelect |
                                                           QItemSelectionModel::Rows);
    else
        mmComments->ClearComment();
    ShowStatus(Status::Done);
}

namespace {

void ShowSelectedComment(QTableView* list, const TRevisionListModel& model, TCommentBox* box) {
    if (const TRevisionInfo* revision = model.RevisionAt(ChosenRow(*list)))
        box->ShowComment(revision->Comment, model.Source().Table);
    else
        box->ClearComment();
}

} // namespace

void TfrmMain::lvRevisionsSelectItem() {
    if (Loader.MayBrowse())
        ShowSelectedComment(lvRevisions, *RevisionRows, mmComments);
}

void TfrmMain::lvHistorySelectItem() {
    if (Loader.MayBrowse())
        ShowSelectedComment(lvHistory, *HistoryRows, mmCommentsHistory);
}

void TfrmMain::miShowCommitClick() {
    if (!MayStart())
        return;
    if (CommitsPage->ShowCommitOf(HistoryRows->RevisionAt(ChosenRow(*lvHistory))))
        PageControl->setCurrentWidget(CommitsPage);
}

void TfrmMain::miOpenClick() {
    if (!MayStart())
        return;
    const QString folder = ChooseFolder(CurrentFolder);
    if (folder.isEmpty())
        return;
    CurrentFolder = folder;
    OpenFolder(CurrentFolder);
}

void TfrmMain::miOpenLogClick() {
    if (!MayStart())
        return;
    const QString file =
        QFileDialog::getOpenFileName(this, QStringLiteral("Open log file"), CurrentLogFile);
    if (!file.isEmpty())
        OpenLogFile(file);
}

void TfrmMain::miOpenRepositoryClick() {
    if (!MayStart())
        return;
    const std::unique_ptr<QSettings> store = OpenSettingsStore();
    const TCvsPlace shown = Loader.Place().IsRepository() ? Loader.Place() : TCvsPlace{};
    const TCvsPlace place = ChooseRepository(RecentRoots(*store), shown);
    if (!place.IsRepository())
        return;
    // The password, if the root holds one, is the client's to keep.
    const bool remembered = RememberRoot(*store, place.RootWithoutPassword());
    OpenPlace(place);
    if (!remembered)
        ShowStatus(Status::SettingsNotSaved);
}

void TfrmMain::miAbortClick() {
    Loader.Abort();
}

void TfrmMain::miExitClick() {
    close();
}

void TfrmMain::miRefreshClick() {
    if (!MayStart())
        return;
    if (!CurrentLogFile.isEmpty())
        OpenLogFile(CurrentLogFile);
    else if (!Place().IsEmpty())
        OpenPlace(Place());
}

void TfrmMain::miAboutClick() {
    if (!MayStart())
        return;
    if (Peers.ShowAbout)
        Peers.ShowAbout();
}

} // namespace quillon
