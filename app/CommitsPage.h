// The Commits page of the main window: the commits that hold the revisions the
// History page lists, the selected commit's revisions and its whole comment.
#pragma once

#include "CommitModels.h"

#include <QWidget>

#include <functional>
#include <span>
#include <vector>

class QAction;
class QTableView;

namespace quillon {

class TCommentBox;
struct TRevisionCommands;

class TCommitsPage : public QWidget {
    Q_OBJECT
public:
    explicit TCommitsPage(const TRowStyle& style, QWidget* parent = nullptr);

    // Asked before a revision is opened or a patch is asked for; without it
    // both always may.
    void SetMayStart(std::function<bool()> mayStart) { MayStart = std::move(mayStart); }

    // Gives the list of the selected commit's revisions the revision commands.
    void AddRevisionCommands(TRevisionCommands commands);

    // Lists the commits of source's summary that hold any of history, the
    // revisions the History page lists, counted over those alone; the newest
    // is selected.
    void Fill(const TRowSource& source, std::span<const TRevisionInfo* const> history);
    // As Fill, with the commits already listed from source's summary.
    void Fill(const TRowSource& source, TCommitList list);
    void Clear();
    int CommitCount() const { return Commits->rowCount(); }
    // Selects the commit that holds revision; false when none listed does.
    bool ShowCommitOf(const TRevisionInfo* revision);
    // The listed revisions of the selected commit, by file name.
    std::vector<const TRevisionInfo*> SelectedRevisions() const;

signals:
    // A revision of the selected commit was opened (double-click or Enter).
    void revisionOpened(const TRevisionInfo* revision);
    // "Show commit as patch" was chosen for the selected commit.
    void patchRequested();
    // The selected commit's comment could not be shown whole; the text says why.
    void commentFailed(const QString& error);

private:
    bool Allowed() const { return !MayStart || MayStart(); }
    const TCommitRow* SelectedRow() const;
    void CommitSelected();

    std::function<bool()> MayStart;
    TCommitListModel* Commits = nullptr;
    TCommitRevisionsModel* Revisions = nullptr;
    QTableView* lvCommits = nullptr;
    QTableView* lvCommitRevisions = nullptr;
    TCommentBox* mmCommentsCommit = nullptr;
    QAction* miShowPatch = nullptr;
};

} // namespace quillon
