#include "CommitsPage.h"

#include "CommentBox.h"
#include "ListView.h"
#include "RevisionMenu.h"
#include "RowOpening.h"

#include <QAction>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

namespace quillon {

namespace {

const QString ShowPatchCaption = QStringLiteral("Show commit as patch");
const QKeySequence ShowPatchShortcut(Qt::CTRL | Qt::Key_P);
constexpr int SplitterWidth = 6;
constexpr int CommitListHeight = 330;
constexpr int DetailsHeight = 180;
constexpr int RevisionListWidth = 420;

} // namespace

TCommitsPage::TCommitsPage(const TRowStyle& style, QWidget* parent) : QWidget(parent) {
    Commits = new TCommitListModel(style, this);
    Revisions = new TCommitRevisionsModel(style, this);
    lvCommits = CreateListView(Commits, *this, {180, 60, 40, 50, 55, 70});
    lvCommits->setObjectName(QStringLiteral("lvCommits"));
    lvCommitRevisions = CreateListView(Revisions, *this, {230, 55, 50, 55});
    lvCommitRevisions->setObjectName(QStringLiteral("lvCommitRevisions"));
    mmCommentsCommit = new TCommentBox;
    mmCommentsCommit->setObjectName(QStringLiteral("mmCommentsCommit"));
    mmCommentsCommit->setReadOnly(true);
    mmCommentsCommit->setLineWrapMode(QPlainTextEdit::NoWrap);
    connect(mmCommentsCommit, &TCommentBox::commentFailed, this, &TCommitsPage::commentFailed);

    auto* details = new QSplitter(Qt::Horizontal);
    details->setObjectName(QStringLiteral("splitCommitDetails"));
    details->setHandleWidth(SplitterWidth);
    details->setChildrenCollapsible(false);
    details->addWidget(lvCommitRevisions);
    details->addWidget(mmCommentsCommit);
    details->setStretchFactor(1, 1);
    details->setSizes({RevisionListWidth, RevisionListWidth});
    auto* split = new QSplitter(Qt::Vertical);
    split->setObjectName(QStringLiteral("splitCommits"));
    split->setHandleWidth(SplitterWidth);
    split->setChildrenCollapsible(false);
    split->addWidget(lvCommits);
    split->addWidget(details);
    split->setStretchFactor(0, 1);
    split->setSizes({CommitListHeight, DetailsHeight});
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(split);

    miShowPatch = new QAction(ShowPatchCaption, this);
    miShowPatch->setObjectName(QStringLiteral("miShowCommitPatch"));
    miShowPatch->setShortcut(ShowPatchShortcut);
    miShowPatch->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(miShowPatch);
    lvCommits->setContextMenuPolicy(Qt::ActionsContextMenu);
    lvCommits->addAction(miShowPatch);
    connect(miShowPatch, &QAction::triggered, this, [this] {
        if (Allowed() && !SelectedRevisions().empty())
            emit patchRequested();
    });

    connect(lvCommits->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TCommitsPage::CommitSelected);
    OnRowOpened(*lvCommitRevisions, [this] {
        const QModelIndexList selected = lvCommitRevisions->selectionModel()->selectedRows();
        if (!selected.isEmpty() && Allowed())
            if (const TRevisionInfo* revision = Revisions->RevisionAt(selected.front().row()))
                emit revisionOpened(revision);
    });
}

void TCommitsPage::AddRevisionCommands(TRevisionCommands commands) {
    AddRevisionMenu(
        lvCommitRevisions, [this](int row) { return Revisions->RevisionAt(row); },
        std::move(commands));
}

void TCommitsPage::Fill(const TRowSource& source, std::span<const TRevisionInfo* const> history) {
    Fill(source, source.Summary ? ListCommits(source.Summary->Commits, history) : TCommitList{});
}

void TCommitsPage::Fill(const TRowSource& source, TCommitList list) {
    Commits->Reset(source, std::move(list));
    if (Commits->rowCount() > 0) {
        lvCommits->scrollToTop();
        lvCommits->selectionModel()->setCurrentIndex(
            Commits->index(0, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    } else {
        CommitSelected();
    }
}

void TCommitsPage::Clear() {
    Fill({}, TCommitList{});
}

bool TCommitsPage::ShowCommitOf(const TRevisionInfo* revision) {
    const TLogSummaryPtr& summary = Commits->Source().Summary;
    if (!revision || !summary)
        return false;
    const int row = Commits->RowOfCommit(summary->Commits.CommitOf(*revision));
    if (row < 0)
        return false;
    const QModelIndex index = Commits->index(row, 0);
    lvCommits->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                            QItemSelectionModel::Rows);
    lvCommits->scrollTo(index);
    return true;
}

const TCommitRow* TCommitsPage::SelectedRow() const {
    const QModelIndexList selected = lvCommits->selectionModel()->selectedRows();
    return selected.isEmpty() ? nullptr : Commits->RowAt(selected.front().row());
}

std::vector<const TRevisionInfo*> TCommitsPage::SelectedRevisions() const {
    const TCommitRow* row = SelectedRow();
    if (!row)
        return {};
    const auto revisions = Commits->List().RevisionsOf(*row);
    return {revisions.begin(), revisions.end()};
}

void TCommitsPage::CommitSelected() {
    const TCommitRow* row = SelectedRow();
    if (row)
        mmCommentsCommit->ShowComment(row->Commit->First->Comment, Commits->Source().Table);
    else
        mmCommentsCommit->ClearComment();
    std::vector<const TRevisionInfo*> revisions = SelectedRevisions();
    Revisions->Reset(Commits->Source(), std::move(revisions));
    if (Revisions->rowCount() > 0)
        lvCommitRevisions->selectionModel()->setCurrentIndex(Revisions->index(0, 0),
                                                             QItemSelectionModel::ClearAndSelect |
                                                                 QItemSelectionModel::Rows);
}

} // namespace quillon
