// The annotation window: each line of a file at a revision with its number,
// the revision that brought it, its author and date; the comment of the
// revision of the line clicked below them.
#pragma once

#include "Annotation.h"

#include <QColor>
#include <QDialog>
#include <QThreadPool>

#include <functional>
#include <string>
#include <string_view>

class QAction;
class QLabel;
class QPlainTextEdit;
class QTableView;

namespace quillon {

class TAnnotationModel;

// What the window draws as the lists do: the colour of an author, the text of
// a date.
struct TAnnotationLook {
    std::function<QColor(std::string_view author)> AuthorColor;
    std::function<QString(double date)> DateText;
};

class TfrmAnnotate : public QDialog {
    Q_OBJECT
public:
    enum TColumn { ColLine, ColRevision, ColAuthor, ColDate, ColText, ColumnCount };

    explicit TfrmAnnotate(QWidget* parent = nullptr);
    ~TfrmAnnotate() override;

    void SetLook(TAnnotationLook look) { Look = std::move(look); }
    // Reads output, the client's annotation of annotated (a revision of
    // table), off the GUI thread; annotationLoaded() follows when it is
    // shown, unless a later Load comes first.
    void Load(std::string output, TRCSFileTablePtr table, const TRevisionInfo* annotated);
    // The annotation shown; none before the first load.
    const TAnnotationPtr& Annotation() const { return Shown; }
    // The revision of the current line; none without one or when the log has
    // no such revision.
    const TRevisionInfo* CurrentRevision() const;
    // A message of the main window's status, shown below the lines.
    void ShowStatus(const QString& message);
    QString StatusText() const;

    QTableView* Grid = nullptr;
    QPlainTextEdit* mmComment = nullptr;
    QAction* miCompare = nullptr;
    QAction* miAnnotatePrevious = nullptr;

signals:
    void annotationLoaded();
    // The revision of a line is to be compared with its predecessor.
    void compareRequested(const TRevisionInfo* revision);
    // The revision before the one of a line is to be annotated.
    void previousRequested(const TRevisionInfo* revision);

private:
    void Show(TAnnotationPtr annotation);
    void LineChosen();

    TAnnotationLook Look;
    TAnnotationPtr Shown;
    TAnnotationModel* Model = nullptr;
    QLabel* StatusLine = nullptr;
    int Generation = 0;
    QThreadPool Readers; // last: it waits for a read in progress first
};

} // namespace quillon
