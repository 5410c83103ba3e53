// Find in the lists of the main window: the find field, the search that
// narrows the history, the highlight of the found text and stepping through
// the rows.
#include "ChartPage.h"
#include "CommitsPage.h"
#include "fMain.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace quillon {

namespace {

enum TPage { FilesPage, HistoryPage, CommitsPageIndex };

} // namespace

void TfrmMain::CreateFind() {
    // Above the pages.
    FindBar = new TFindBar;
    auto* layout = static_cast<QVBoxLayout*>(centralWidget()->layout());
    layout->insertWidget(layout->indexOf(PageControl), FindBar);
    FindSearch = new TFindSearch(this);
    connect(FindBar, &TFindBar::textChanged, this, &TfrmMain::FindChanged);
    connect(FindSearch, &TFindSearch::found, this, &TfrmMain::ShowFound);

    // At the top of the View menu, before a separator.
    QMenu* view = menuBar()->findChild<QMenu*>(QStringLiteral("miView"));
    QAction* first = view->actions().value(0);
    auto add = [this, view, first](const char* name, const QString& text, QKeySequence key,
                                   std::function<void()> handler) {
        auto* action = new QAction(text, this);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(key);
        connect(action, &QAction::triggered, this, std::move(handler));
        view->insertAction(first, action);
    };
    add("miFind", QStringLiteral("&Find..."), QKeySequence(Qt::CTRL | Qt::Key_F),
        [this] { miFindClick(); });
    add("miFindNext", QStringLiteral("Find &next"), QKeySequence(Qt::Key_F3),
        [this] { FindStep(1); });
    add("miFindPrevious", QStringLiteral("Find &previous"), QKeySequence(Qt::SHIFT | Qt::Key_F3),
        [this] { FindStep(-1); });
    view->insertSeparator(first);

    std::vector<QTableView*> lists = {lvRevisions, lvHistory};
    for (QTableView* list : CommitsPage->findChildren<QTableView*>())
        lists.push_back(list);
    for (QTableView* list : lists) {
        auto* highlight = new TFindHighlightDelegate(list);
        list->setItemDelegate(highlight);
        FindHighlights.push_back(highlight);
    }
}

void TfrmMain::miFindClick() {
    FindBar->Open();
}

void TfrmMain::FindChanged(const QString& text) {
    Find = TFindText(text);
    for (TFindHighlightDelegate* highlight : FindHighlights) {
        highlight->SetFind(Find);
        static_cast<QTableView*>(highlight->parent())->viewport()->update();
    }
    if (!HistorySource.Table)
        return;
    if (!UnfoundHistory)
        UnfoundHistory =
            std::make_shared<const std::vector<const TRevisionInfo*>>(HistoryRows->Revisions());
    lvFilesSelectItem();
    StartFind();
}

void TfrmMain::StartFind() {
    ShowStatus(Status::Finding);
    ListHistory();
}

void TfrmMain::ListHistory() {
    HistoryListing = true;
    FindSearch->Start(HistorySource, UnfoundHistory, Find, ChartPage->Mode());
}

void TfrmMain::ShowFound(const std::shared_ptr<TFoundRows>& found) {
    HistoryListing = false;
    const auto count = found->History.size();
    ShowHistory(found->Source, std::move(found->History), &found->Commits, &found->Chart);
    if (Find.Empty()) {
        UnfoundHistory.reset();
        ShowDone();
    } else {
        ShowStatus(Status::Matches.arg(count));
    }
    emit findFinished();
}

void TfrmMain::FindStep(int step) {
    QTableView* list = nullptr;
    switch (PageControl->currentIndex()) {
    case FilesPage:
        list = lvRevisions;
        break;
    case HistoryPage:
        list = lvHistory;
        break;
    case CommitsPageIndex:
        list = CommitsPage->findChild<QTableView*>(QStringLiteral("lvCommits"));
        break;
    default:
        return;
    }
    const int rows = list->model()->rowCount();
    if (rows == 0)
        return;
    const QModelIndex current = list->selectionModel()->currentIndex();
    const int row =
        current.isValid() ? (current.row() + step + rows) % rows : (step > 0 ? 0 : rows - 1);
    const QModelIndex next = list->model()->index(row, 0);
    list->selectionModel()->setCurrentIndex(next, QItemSelectionModel::ClearAndSelect |
                                                      QItemSelectionModel::Rows);
    list->scrollTo(next);
}

} // namespace quillon
