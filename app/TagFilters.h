// The branch selector of the strip above the pages and the range of tags in
// force ("Changes from tag ... to tag ..."). Which revisions they keep is
// worked out off the GUI thread from the immutable table and swapped in; the
// main window builds its filter through Apply.
#pragma once

#include "Filter.h"
#include "RevisionModel.h"

#include <QDialog>
#include <QObject>

#include <functional>
#include <memory>

class QAction;
class QToolButton;

namespace quillon {

class TOwnerDrawnSelector;

// The texts of the branch selector and of the range.
namespace TagTexts {
inline const QString AllBranches = QStringLiteral("All branches");
inline const QString Trunk = QStringLiteral("Trunk");
inline const QString Newest = QStringLiteral("newest");
inline const QString NoTag = QStringLiteral("(start)");
// Shown in the status bar while a range is in force.
QString RangeText(const QString& from, const QString& to);
} // namespace TagTexts

// The dialog that picks a range: "Changes from tag [from] to tag [to]".
class TfrmTagRange : public QDialog {
    Q_OBJECT
public:
    explicit TfrmTagRange(QWidget* parent = nullptr);
    // Offers the tags of names; from and to are the present choice (empty
    // for none and for newest).
    void SetTags(const std::vector<TNameEntry>& names, const QString& from, const QString& to);
    QString From() const;
    QString To() const;

private:
    TOwnerDrawnSelector* cbxFrom = nullptr;
    TOwnerDrawnSelector* cbxTo = nullptr;
};

class TTagFilters : public QObject {
    Q_OBJECT
public:
    // mayStart: may a command start now (the window is idle)?
    TTagFilters(QWidget* window, std::function<bool()> mayStart);

    TOwnerDrawnSelector* BranchSelector() const { return cbxBranches; }
    // Says the range in force; a click removes it. Hidden without a range.
    QToolButton* RangeButton() const { return btnRange; }
    // Opens the range dialog.
    QAction* RangeAction() const { return miRange; }

    // Offers the names of table, with no branch and no range in force.
    void Fill(TRCSFileTablePtr table);
    // Forgets the table.
    void Clear();
    // Puts the branch and the range in force into filter.
    void Apply(TFilter& filter) const;

    // Chooses the branch selector's entry.
    void SetBranch(int entry);
    // Puts the range from..to in force (from empty: nothing removed; to
    // empty: each file's newest revision), or none when both are null.
    void SetRange(const QString& from, const QString& to);
    void RemoveRange() { SetRange(QString(), QString()); }
    // The range in force as SetRange takes it: both null when none is.
    std::pair<QString, QString> RangeInForce() const {
        return RangeSet ? std::pair(RangeFrom, RangeTo) : std::pair<QString, QString>();
    }

signals:
    // A new branch or range is in force: the views are to be rebuilt.
    void changed();
    // Working out a selection failed; message says why.
    void failed(const QString& message);

private:
    // Works out a selection off the GUI thread; store receives it on the GUI
    // thread unless the table or the choice (counted by generationOf) changed
    // meanwhile.
    void Select(std::function<TRevisionSelection(const TRCSFileTable&)> work,
                std::shared_ptr<const TRevisionSelection> TTagFilters::*store,
                int TTagFilters::*generationOf);
    void ShowRangeDialog();

    QWidget* Window;
    std::function<bool()> MayStart;
    TOwnerDrawnSelector* cbxBranches = nullptr;
    QToolButton* btnRange = nullptr;
    QAction* miRange = nullptr;
    TfrmTagRange* frmTagRange = nullptr;
    TRCSFileTablePtr Table;
    int BranchGeneration = 0; // of the branch choice
    int RangeGeneration = 0;  // of the range choice
    QString RangeFrom, RangeTo;
    bool RangeSet = false;
    std::shared_ptr<const TRevisionSelection> Branch;
    std::shared_ptr<const TRevisionSelection> Range;
};

} // namespace quillon
