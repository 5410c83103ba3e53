#include "fAnnotate.h"

#include "DisplayText.h"
#include "ReadableText.h"

#include <QAbstractTableModel>
#include <QAction>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

namespace quillon {

namespace {

constexpr QSize InitialSize(900, 640);
constexpr int RowPadding = 4;
constexpr int CellPadding = 12;
constexpr int CommentHeight = 90;
const QString CaptionText = QStringLiteral("Annotate: %1 v%2");
const QString CompareText = QStringLiteral("Compare with previous");
const QString PreviousText = QStringLiteral("Annotate the revision before this line's");
const QStringList ColumnCaptions = {QStringLiteral("Line"), QStringLiteral("Revision"),
                                    QStringLiteral("Author"), QStringLiteral("Date"),
                                    QStringLiteral("Text")};
// Column widths in characters of the fixed font, the text's aside, and the
// room the text column keeps beyond its longest line.
constexpr int ColumnChars[] = {6, 10, 10, 22};
constexpr int TextSpareChars = 2;

} // namespace

// The lines of an annotation, one row each; texts are decoded when drawn.
class TAnnotationModel : public QAbstractTableModel {
public:
    TAnnotationModel(const TAnnotationLook& look, QObject* parent)
        : QAbstractTableModel(parent), Look(look) {}

    void Reset(TAnnotationPtr annotation) {
        beginResetModel();
        Annotation = std::move(annotation);
        endResetModel();
    }
    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() || !Annotation ? 0 : int(Annotation->Lines.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : TfrmAnnotate::ColumnCount;
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
            return ColumnCaptions.value(section);
        return {};
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || !Annotation)
            return {};
        const auto row = static_cast<std::size_t>(index.row());
        const TAnnotatedLine& line = Annotation->Lines[row];
        const TRevisionInfo* revision = Annotation->Revisions[row];
        if (role == Qt::ForegroundRole && revision && Look.AuthorColor &&
            (index.column() == TfrmAnnotate::ColRevision ||
             index.column() == TfrmAnnotate::ColAuthor))
            return Look.AuthorColor(revision->Author);
        if (role == Qt::TextAlignmentRole && index.column() == TfrmAnnotate::ColLine)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        if (role != Qt::DisplayRole)
            return {};
        switch (index.column()) {
        case TfrmAnnotate::ColLine:
            return index.row() + 1;
        case TfrmAnnotate::ColRevision:
            return DisplayText(line.Revision);
        case TfrmAnnotate::ColAuthor:
            return DisplayText(revision ? revision->Author : line.Author);
        case TfrmAnnotate::ColDate:
            return revision && Look.DateText ? Look.DateText(revision->Date)
                                             : DisplayText(line.Date);
        case TfrmAnnotate::ColText:
            return DisplayText(line.Text);
        }
        return {};
    }

private:
    const TAnnotationLook& Look;
    TAnnotationPtr Annotation;
};

TfrmAnnotate::TfrmAnnotate(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAnnotate"));
    resize(InitialSize);
    Model = new TAnnotationModel(Look, this);
    Grid = new QTableView;
    Grid->setObjectName(QStringLiteral("lvAnnotation"));
    Grid->setModel(Model);
    Grid->setItemDelegate(new TReadableTextDelegate(Grid));
    Grid->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    Grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    Grid->setSelectionMode(QAbstractItemView::SingleSelection);
    Grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid->setShowGrid(false);
    Grid->setWordWrap(false);
    Grid->setTextElideMode(Qt::ElideNone);
    Grid->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    Grid->verticalHeader()->hide();
    Grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    Grid->verticalHeader()->setDefaultSectionSize(Grid->fontMetrics().height() + RowPadding);
    Grid->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Grid->horizontalHeader()->setHighlightSections(false);
    const int charWidth = Grid->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    for (int column = 0; column < ColText; ++column)
        Grid->setColumnWidth(column, ColumnChars[column] * charWidth + CellPadding);

    mmComment = new QPlainTextEdit;
    mmComment->setObjectName(QStringLiteral("mmAnnotateComment"));
    mmComment->setReadOnly(true);
    mmComment->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto* split = new QSplitter(Qt::Vertical);
    split->setChildrenCollapsible(false);
    split->addWidget(Grid);
    split->addWidget(mmComment);
    split->setStretchFactor(0, 1);
    split->setSizes({InitialSize.height() - CommentHeight, CommentHeight});
    StatusLine = new QLabel;
    StatusLine->setObjectName(QStringLiteral("AnnotateStatus"));

    miCompare = new QAction(CompareText, this);
    miCompare->setObjectName(QStringLiteral("miAnnotateCompare"));
    connect(miCompare, &QAction::triggered, this, [this] {
        if (const TRevisionInfo* revision = CurrentRevision())
            emit compareRequested(revision);
    });
    miAnnotatePrevious = new QAction(PreviousText, this);
    miAnnotatePrevious->setObjectName(QStringLiteral("miAnnotatePrevious"));
    connect(miAnnotatePrevious, &QAction::triggered, this, [this] {
        if (const TRevisionInfo* revision = CurrentRevision())
            emit previousRequested(revision);
    });
    Grid->setContextMenuPolicy(Qt::ActionsContextMenu);
    Grid->addActions({miCompare, miAnnotatePrevious});
    connect(Grid, &QTableView::doubleClicked, miCompare, &QAction::trigger);
    connect(Grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &TfrmAnnotate::LineChosen);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    auto* previous = buttons->addButton(PreviousText, QDialogButtonBox::ActionRole);
    connect(previous, &QPushButton::clicked, miAnnotatePrevious, &QAction::trigger);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(split, 1);
    layout->addWidget(StatusLine);
    layout->addWidget(buttons);
    Readers.setMaxThreadCount(1);
}

TfrmAnnotate::~TfrmAnnotate() = default;

void TfrmAnnotate::Load(std::string output, TRCSFileTablePtr table,
                        const TRevisionInfo* annotated) {
    const int generation = ++Generation;
    Readers.start([this, generation, output = std::move(output), table = std::move(table),
                   annotated]() mutable {
        TAnnotationPtr annotation = MakeAnnotation(std::move(output), std::move(table), annotated);
        QMetaObject::invokeMethod(
            this,
            [this, generation, annotation = std::move(annotation)]() mutable {
                if (generation == Generation)
                    Show(std::move(annotation));
            },
            Qt::QueuedConnection);
    });
}

void TfrmAnnotate::Show(TAnnotationPtr annotation) {
    Shown = std::move(annotation);
    const TRevisionInfo* annotated = Shown->Annotated;
    if (annotated && annotated->FileInfo)
        setWindowTitle(CaptionText.arg(DisplayText(annotated->FileInfo->WorkingFile),
                                       DisplayText(annotated->Revision)));
    Model->Reset(Shown);
    const int charWidth = Grid->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    Grid->setColumnWidth(ColText,
                         (int(Shown->LongestText) + TextSpareChars) * charWidth + CellPadding);
    StatusLine->clear();
    if (Model->rowCount() > 0)
        Grid->setCurrentIndex(Model->index(0, ColText));
    else
        mmComment->clear();
    Grid->scrollToTop();
    emit annotationLoaded();
}

const TRevisionInfo* TfrmAnnotate::CurrentRevision() const {
    const int row = Grid->currentIndex().row();
    if (!Shown || row < 0 || row >= int(Shown->Revisions.size()))
        return nullptr;
    return Shown->Revisions[static_cast<std::size_t>(row)];
}

void TfrmAnnotate::LineChosen() {
    const TRevisionInfo* revision = CurrentRevision();
    if (!revision) {
        mmComment->clear();
        return;
    }
    const QString date = Look.DateText ? Look.DateText(revision->Date) : QString();
    mmComment->setPlainText(QStringLiteral("%1  %2  %3\n\n%4")
                                .arg(DisplayText(revision->Revision), DisplayText(revision->Author),
                                     date, DisplayText(revision->Comment)));
}

void TfrmAnnotate::ShowStatus(const QString& message) {
    StatusLine->setText(message);
}

QString TfrmAnnotate::StatusText() const {
    return StatusLine->text();
}

} // namespace quillon
