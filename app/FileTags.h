// The command of the revision lists' context menu "Show tags of this file",
// and the window it opens: every symbolic name of the file with its number and kind.
#pragma once

#include "RevisionModel.h"

#include <QDialog>

#include <functional>

class QTableView;
class QTableWidget;

namespace quillon {

class TfrmFileTags : public QDialog {
    Q_OBJECT
public:
    explicit TfrmFileTags(QWidget* parent = nullptr);
    // Shows the names of file.
    void Fill(const TRCSFile& file);

private:
    QTableWidget* lvTags = nullptr;
};

// Gives list the command that shows the tags of the file of the chosen row's
// revision; revisionAt names it (none for no row).
void AddFileTagsCommand(QTableView* list, std::function<const TRevisionInfo*(int row)> revisionAt);

} // namespace quillon
