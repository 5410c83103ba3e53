#include "fDiff.h"

#include "DisplayText.h"
#include "Fonts.h"

#include <QAbstractItemDelegate>
#include <QAbstractTableModel>
#include <QAction>
#include <QByteArrayView>
#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>

namespace quillon {

namespace {

constexpr QSize InitialSize(756, 577);
constexpr int CellFontPixels = 11;
constexpr int EmptyRows = 100; // rows of the grid before the first load
constexpr int DarkenStep = 20;
constexpr int TextIndent = 4;
constexpr int TextRightMargin = 2;
constexpr int NumberPadding = 3;    // each side of a line number
constexpr int ScrollStep = 4;       // characters a horizontal step moves
constexpr int BlockContextRows = 3; // shown above a block of changes

const QString Caption = QStringLiteral("Diff");
const QString CellFontFamily = QStringLiteral("Courier New");
const QString LineBreak = QStringLiteral("\n");

constexpr QColor HeaderFill(255, 255, 0);
constexpr QColor AddedFill(166, 202, 240);
constexpr QColor ChangedFill(192, 220, 192);
constexpr QColor RemovedFill(255, 200, 200);
constexpr QColor UnchangedFill(255, 255, 255);
constexpr QColor AddedBand(0, 0, 255);
constexpr QColor ChangedBand(0, 128, 0);
constexpr QColor RemovedBand(255, 0, 0);
constexpr QColor StripBackground(240, 240, 240);
constexpr QColor FrameColor(0, 0, 0);
// The fills are light whatever the desktop's colours, so the text is dark.
constexpr QColor CellTextColor(0, 0, 0);
constexpr QColor NumberColor(96, 96, 96);
constexpr QColor LeftChangeFill(255, 150, 150);
constexpr QColor RightChangeFill(120, 175, 240);

// The index in DisplayText(text) of the character at byte offset of text.
qsizetype DisplayIndex(std::string_view text, bool utf8, std::size_t offset) {
    if (!utf8)
        return static_cast<qsizetype>(offset);
    qsizetype index = 0;
    for (std::size_t i = 0; i < offset && i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        // A sequence counts once, one of four bytes twice (a surrogate pair).
        index += (c & 0xC0) == 0x80 ? 0 : c >= 0xF0 ? 2 : 1;
    }
    return index;
}

int Digits(std::uint32_t number) {
    int digits = 1;
    while (number >= 10) {
        number /= 10;
        ++digits;
    }
    return digits;
}

} // namespace

QColor RowColor(TDiffKind kind) {
    switch (kind) {
    case TDiffKind::Header:
        return HeaderFill;
    case TDiffKind::Added:
        return AddedFill;
    case TDiffKind::Changed:
        return ChangedFill;
    case TDiffKind::Removed:
        return RemovedFill;
    case TDiffKind::Unchanged:
        break;
    }
    return UnchangedFill;
}

std::optional<QColor> StripColor(TDiffKind kind) {
    switch (kind) {
    case TDiffKind::Added:
        return AddedBand;
    case TDiffKind::Changed:
        return ChangedBand;
    case TDiffKind::Removed:
        return RemovedBand;
    case TDiffKind::Header:
    case TDiffKind::Unchanged:
        break;
    }
    return std::nullopt;
}

QColor Darkened(const QColor& color) {
    return QColor(std::max(0, color.red() - DarkenStep), std::max(0, color.green() - DarkenStep),
                  std::max(0, color.blue() - DarkenStep));
}

QColor LeftChangeColor() {
    return LeftChangeFill;
}

QColor RightChangeColor() {
    return RightChangeFill;
}

// The grid's rows: the comparison lines, or empty rows before the first load.
class TDiffGridModel : public QAbstractTableModel {
public:
    TDiffGridModel(const std::unique_ptr<TDiffLines>& lines, QObject* parent)
        : QAbstractTableModel(parent), Lines(lines) {}

    int rowCount(const QModelIndex& parent = {}) const override {
        if (parent.isValid())
            return 0;
        return Lines ? static_cast<int>(Lines->Count()) : EmptyRows;
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : 2;
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole || !Lines || !index.isValid())
            return {};
        return DisplayText(CellText(index.row(), index.column()));
    }
    Qt::ItemFlags flags(const QModelIndex&) const override {
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    }

    std::string_view CellText(int row, int column) const {
        const auto line = static_cast<std::size_t>(row);
        return column == 0 ? Lines->LeftText(line) : Lines->RightText(line);
    }
    void Reset() {
        beginResetModel();
        endResetModel();
    }

private:
    const std::unique_ptr<TDiffLines>& Lines;
};

// Draws every cell through the window.
class TDiffCellDelegate : public QAbstractItemDelegate {
public:
    TDiffCellDelegate(TfrmDiff& window) : QAbstractItemDelegate(&window), Window(window) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        Window.GridDrawCell(*painter, index.column(), index.row(), option.rect,
                            option.state.testFlag(QStyle::State_Selected));
    }
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
        return QSize(0, TfrmDiff::RowHeight);
    }

private:
    TfrmDiff& Window;
};

TfrmDiff::TfrmDiff(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmDiff"));
    setWindowTitle(Caption);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    UseWindowFont(*this);
    CellFont = FontOrSystem(CellFontFamily, QFontDatabase::FixedFont, CellFontPixels);
    resize(InitialSize);

    Paint = new QWidget;
    Paint->setObjectName(QStringLiteral("Paint"));
    Paint->setFixedWidth(StripWidth);
    Paint->setAttribute(Qt::WA_OpaquePaintEvent);
    Paint->installEventFilter(this);

    Model = new TDiffGridModel(DiffLines, this);
    Grid = new QTableView;
    Grid->setObjectName(QStringLiteral("Grid"));
    Grid->setModel(Model);
    Grid->setItemDelegate(new TDiffCellDelegate(*this));
    Grid->setFrameShape(QFrame::NoFrame);
    Grid->setShowGrid(false);
    Grid->setWordWrap(false);
    Grid->setCornerButtonEnabled(false);
    Grid->setTabKeyNavigation(false);
    Grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    Grid->setSelectionMode(QAbstractItemView::ContiguousSelection);
    Grid->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    Grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Grid->horizontalHeader()->hide();
    Grid->verticalHeader()->hide();
    Grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    Grid->verticalHeader()->setMinimumSectionSize(1);
    Grid->verticalHeader()->setDefaultSectionSize(RowHeight);
    Grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    Grid->verticalScrollBar()->setTracking(true);
    // The cells draw their selection themselves; the view adds none.
    QPalette palette = Grid->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, QPalette::Highlight, palette.color(group, QPalette::Base));
    Grid->setPalette(palette);
    Grid->viewport()->installEventFilter(this);
    Grid->installEventFilter(this);
    Grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Grid, &QWidget::customContextMenuRequested, this, [this](const QPoint& point) {
        PopupMenu->popup(Grid->viewport()->mapToGlobal(point));
    });
    connect(Grid->verticalScrollBar(), &QScrollBar::valueChanged, this,
            &TfrmDiff::GridTopLeftChanged);
    // The current row is always selected, as in a grid that selects whole rows.
    connect(Grid->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        const QModelIndex current = Grid->currentIndex();
        if (current.isValid() && !Grid->selectionModel()->hasSelection())
            Grid->selectionModel()->select(current,
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
    });
    Grid->setCurrentIndex(Model->index(0, 0));

    sbHorizontal = new QScrollBar(Qt::Horizontal);
    sbHorizontal->setObjectName(QStringLiteral("sbHorizontal"));
    sbHorizontal->setSingleStep(ScrollStep);
    sbHorizontal->hide();
    connect(sbHorizontal, &QScrollBar::valueChanged, Grid->viewport(),
            qOverload<>(&QWidget::update));

    auto* texts = new QVBoxLayout;
    texts->setContentsMargins(0, 0, 0, 0);
    texts->setSpacing(0);
    texts->addWidget(Grid, 1);
    texts->addWidget(sbHorizontal);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Paint);
    layout->addLayout(texts, 1);

    PopupMenu = new QMenu(this);
    PopupMenu->setObjectName(QStringLiteral("PopupMenu"));
    miPrev = AddCommand("miPrev", QStringLiteral("Previous changed line"),
                        QKeySequence(Qt::SHIFT | Qt::Key_Comma), &TfrmDiff::miPrevClick);
    miNext = AddCommand("miNext", QStringLiteral("Next changed line"),
                        QKeySequence(Qt::SHIFT | Qt::Key_Period), &TfrmDiff::miNextClick);
    miPrevChange = AddCommand("miPrevChange", QStringLiteral("Previous change"),
                              QKeySequence(Qt::ALT | Qt::Key_Up), &TfrmDiff::miPrevChangeClick);
    miNextChange = AddCommand("miNextChange", QStringLiteral("Next change"),
                              QKeySequence(Qt::ALT | Qt::Key_Down), &TfrmDiff::miNextChangeClick);
    PopupMenu->addSeparator()->setObjectName(QStringLiteral("N1"));
    miCopy = AddCommand("miCopy", QStringLiteral("Copy"), QKeySequence(Qt::CTRL | Qt::Key_C),
                        &TfrmDiff::miCopyClick);
    miCopyLeft = AddCommand("miCopyLeft", QStringLiteral("Copy left"),
                            QKeySequence(Qt::CTRL | Qt::Key_L), &TfrmDiff::miCopyLeftClick);
    miCopyRight = AddCommand("miCopyRight", QStringLiteral("Copy right"),
                             QKeySequence(Qt::CTRL | Qt::Key_R), &TfrmDiff::miCopyRightClick);
    Grid->setFocus();
}

TfrmDiff::~TfrmDiff() = default;

QAction* TfrmDiff::AddCommand(const char* name, const QString& caption, const QKeySequence& key,
                              void (TfrmDiff::*handler)()) {
    QAction* action = PopupMenu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(key);
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, handler);
    // The window holds the command too, so that its shortcut works while the
    // menu is closed.
    addAction(action);
    return action;
}

void TfrmDiff::LoadDiff(const TDiffRequest& request, std::string_view output) {
    setWindowTitle(DisplayText(DiffCaption(request)));
    if (!DiffLines)
        DiffLines = std::make_unique<TDiffLines>();
    DiffLines->Load(request, output);
    LastRowChanges.reset();
    FillGrid();
}

void TfrmDiff::FillGrid() {
    const int current = CurrentRow();
    const auto range = SelectedRange();
    Model->Reset();
    const int last = Model->rowCount() - 1;
    // The view scrolls a current row set while it is hidden into sight when it
    // is shown again; every load shows the top instead.
    const bool autoScroll = Grid->hasAutoScroll();
    Grid->setAutoScroll(false);
    if (current >= 0 && last >= 0) {
        QItemSelectionModel* selection = Grid->selectionModel();
        selection->setCurrentIndex(Model->index(std::min(current, last), 0),
                                   QItemSelectionModel::NoUpdate);
        const int top = range ? std::min(range->first, last) : std::min(current, last);
        const int bottom = range ? std::min(range->second, last) : top;
        selection->select(QItemSelection(Model->index(top, 0), Model->index(bottom, 1)),
                          QItemSelectionModel::ClearAndSelect);
    }
    Grid->setAutoScroll(autoScroll);
    SetTopRow(0);
    UpdateHorizontalRange();
    sbHorizontal->setValue(0);
    Paint->update();
}

int TfrmDiff::CurrentRow() const {
    return Grid->currentIndex().row();
}

std::optional<std::pair<int, int>> TfrmDiff::SelectedRange() const {
    const QItemSelection selection = Grid->selectionModel()->selection();
    if (selection.isEmpty()) {
        const int current = CurrentRow();
        if (current < 0)
            return std::nullopt;
        return std::pair(current, current);
    }
    std::pair<int, int> range(selection.front().top(), selection.front().bottom());
    for (const QItemSelectionRange& part : selection) {
        range.first = std::min(range.first, part.top());
        range.second = std::max(range.second, part.bottom());
    }
    return range;
}

int TfrmDiff::TopRow() const {
    return Grid->verticalScrollBar()->value();
}

void TfrmDiff::SetTopRow(int row) {
    Grid->verticalScrollBar()->setValue(row);
}

int TfrmDiff::VisibleRows() const {
    return Grid->viewport()->height() / RowHeight;
}

int TfrmDiff::FirstColumn() const {
    return sbHorizontal->value();
}

int TfrmDiff::TextLeft() const {
    if (!DiffLines)
        return TextIndent;
    const std::uint32_t highest = std::max(DiffLines->LeftLineCount(), DiffLines->RightLineCount());
    return Digits(highest) * QFontMetrics(CellFont).horizontalAdvance(QLatin1Char('0')) +
           2 * NumberPadding + TextIndent;
}

bool TfrmDiff::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Paint) {
        switch (event->type()) {
        case QEvent::Paint:
            PaintPaint();
            return true;
        case QEvent::MouseButtonPress:
            PaintMouseDown(static_cast<QMouseEvent*>(event)->position().toPoint().y());
            return true;
        case QEvent::MouseMove:
            PaintMouseMove(static_cast<QMouseEvent*>(event)->position().toPoint().y());
            return true;
        case QEvent::MouseButtonRelease:
            PaintMouseUp();
            return true;
        default:
            break;
        }
    } else if (watched == Grid->viewport() && event->type() == QEvent::Resize) {
        FormResize();
        Paint->update();
    } else if (watched == Grid->viewport() && event->type() == QEvent::Wheel) {
        // A sideways turn, or a turn with Shift held, scrolls the texts.
        auto* wheel = static_cast<QWheelEvent*>(event);
        const QPoint turn = wheel->angleDelta();
        const int sideways = turn.x() != 0                                    ? turn.x()
                             : wheel->modifiers().testFlag(Qt::ShiftModifier) ? turn.y()
                                                                              : 0;
        if (sideways != 0) {
            sbHorizontal->setValue(sbHorizontal->value() -
                                   sideways * ScrollStep / QWheelEvent::DefaultDeltasPerStep);
            return true;
        }
    } else if (watched == Grid && event->type() == QEvent::KeyPress) {
        // Left and Right scroll the texts: the grid selects whole rows.
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() == Qt::NoModifier &&
            (key->key() == Qt::Key_Left || key->key() == Qt::Key_Right)) {
            sbHorizontal->setValue(sbHorizontal->value() +
                                   (key->key() == Qt::Key_Left ? -ScrollStep : ScrollStep));
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmDiff::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    UpdateHorizontalRange();
}

void TfrmDiff::hideEvent(QHideEvent* event) {
    // The next showing keeps the place the window had; only the first one
    // centres it over the main window.
    if (!event->spontaneous())
        setAttribute(Qt::WA_Moved);
    QDialog::hideEvent(event);
}

void TfrmDiff::FormResize() {
    const int half = Grid->viewport()->width() / 2;
    Grid->setColumnWidth(0, half);
    Grid->setColumnWidth(1, half);
    UpdateHorizontalRange();
}

void TfrmDiff::UpdateHorizontalRange() {
    const int advance = QFontMetrics(CellFont).horizontalAdvance(QLatin1Char('M'));
    const int shown =
        advance > 0 ? (Grid->columnWidth(0) - TextLeft() - TextRightMargin) / advance : 0;
    const auto widest = static_cast<int>(DiffLines ? DiffLines->WidestText() : 0);
    const int maximum = std::max(0, widest - std::max(0, shown));
    sbHorizontal->setRange(0, maximum);
    sbHorizontal->setPageStep(std::max(1, shown));
    // The cells have their width once the window is shown.
    sbHorizontal->setVisible(maximum > 0 && isVisible());
}

void TfrmDiff::GridDrawCell(QPainter& painter, int column, int row, const QRect& rect,
                            bool selected) {
    if (!DiffLines || row < 0 || static_cast<std::size_t>(row) >= DiffLines->Count())
        return;
    const auto line = static_cast<std::size_t>(row);
    const TDiffKind kind = DiffLines->Kind(line);
    QColor fill = RowColor(kind);
    if (selected)
        fill = Darkened(fill);
    painter.fillRect(rect, fill);

    // A text the client wrote without a marker and a right text, such as its
    // message that binary files differ, runs on across the right cell.
    const bool message = DiffLines->IsMessage(line);
    const int runIn = message && column == 1 ? Grid->columnWidth(0) : 0;
    const int textLeft = TextLeft();
    const QFontMetrics metrics(CellFont);
    const int top = rect.top() + (rect.height() - metrics.height()) / 2;
    const int baseline = top + metrics.ascent();
    painter.save();
    painter.setFont(CellFont);
    if (!message) {
        // The line number, right-aligned in the margin, and the margin's edge.
        const std::uint32_t number =
            column == 0 ? DiffLines->LeftNumber(line) : DiffLines->RightNumber(line);
        const int numberRight = rect.left() + textLeft - TextIndent - NumberPadding;
        if (number != 0) {
            const QString digits = QString::number(number);
            painter.setPen(NumberColor);
            painter.drawText(QPoint(numberRight - metrics.horizontalAdvance(digits), baseline),
                             digits);
        }
        painter.fillRect(QRect(numberRight + NumberPadding, rect.top(), 1, rect.height()),
                         Darkened(fill));
    }

    const std::string_view bytes =
        column == 0 || message ? DiffLines->LeftText(line) : DiffLines->RightText(line);
    const QString text = DisplayText(bytes);
    const int first = FirstColumn();
    const QRect textRect(rect.left() + (runIn ? 0 : textLeft - TextIndent), rect.top(),
                         rect.width() - (runIn ? 0 : textLeft - TextIndent) - TextRightMargin,
                         rect.height());
    const int x0 = rect.left() - runIn + textLeft;
    // A cell never shows more characters than fit its width.
    qsizetype shown = text.size();
    if (const int advance = metrics.horizontalAdvance(QLatin1Char('M'));
        advance > 0 && QFontInfo(CellFont).fixedPitch())
        shown = (runIn + textRect.width()) / advance + 2;
    const QString visible = text.mid(first, shown);
    painter.setClipRect(textRect);

    // The characters that differ from the other side's, on a stronger fill.
    if (kind == TDiffKind::Changed) {
        const TIntraLine& changes = RowChanges(line);
        const bool utf8 =
            QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())).isValidUtf8();
        QColor changeFill = column == 0 ? LeftChangeFill : RightChangeFill;
        if (selected)
            changeFill = Darkened(changeFill);
        for (const TTextRange& range : column == 0 ? changes.Left : changes.Right) {
            const qsizetype from = std::clamp<qsizetype>(
                DisplayIndex(bytes, utf8, range.Start) - first, 0, visible.size());
            const qsizetype to = std::clamp<qsizetype>(
                DisplayIndex(bytes, utf8, range.Start + range.Size) - first, 0, visible.size());
            if (from == to)
                continue;
            const int left = x0 + metrics.horizontalAdvance(visible.left(from));
            const int right = x0 + metrics.horizontalAdvance(visible.left(to));
            painter.fillRect(QRect(left, top, right - left, metrics.height()), changeFill);
        }
    }
    painter.setPen(CellTextColor);
    painter.drawText(QPoint(x0, baseline), visible);
    painter.restore();

    if (column == 1 && !message)
        painter.fillRect(QRect(rect.left(), rect.top(), 1, rect.height()), Darkened(fill));
}

const TIntraLine& TfrmDiff::RowChanges(std::size_t row) {
    if (!LastRowChanges || LastRowChanges->first != row)
        LastRowChanges.emplace(
            row, IntraLineChanges(DiffLines->LeftText(row), DiffLines->RightText(row)));
    return LastRowChanges->second;
}

void TfrmDiff::GridTopLeftChanged() {
    Paint->update();
}

void TfrmDiff::PaintPaint() {
    if (!DiffLines)
        return;
    QPainter painter(Paint);
    const int width = Paint->width();
    painter.fillRect(Paint->rect(), StripBackground);
    const TStripScale scale(Paint->height(), DiffLines->Count());
    // Bands of one colour that meet or overlap are filled as one rectangle;
    // the pixels are the same as band by band.
    std::optional<QColor> runColor;
    TStripScale::TBand run{0, 0};
    auto flush = [&] {
        if (runColor)
            painter.fillRect(QRect(0, run.Top, width, run.Bottom - run.Top), *runColor);
    };
    for (std::size_t row = 0; row < DiffLines->Count(); ++row) {
        const std::optional<QColor> color = StripColor(DiffLines->Kind(row));
        if (!color)
            continue;
        const TStripScale::TBand band = scale.Band(row);
        if (runColor == color && band.Top <= run.Bottom) {
            run.Bottom = std::max(run.Bottom, band.Bottom);
            continue;
        }
        flush();
        runColor = color;
        run = band;
    }
    flush();

    const TStripScale::TBand frame =
        scale.Frame(static_cast<std::size_t>(TopRow()), static_cast<std::size_t>(VisibleRows()));
    painter.setPen(QPen(FrameColor, 1));
    painter.setBrush(Qt::NoBrush);
    const QPoint corners[] = {
        {0, frame.Top}, {width - 1, frame.Top}, {width - 1, frame.Bottom}, {0, frame.Bottom}};
    painter.drawPolygon(corners, 4);
}

void TfrmDiff::PaintMouseDown(int y) {
    Dragging = true;
    PaintMouseMove(y);
}

void TfrmDiff::PaintMouseMove(int y) {
    if (!Dragging || !DiffLines)
        return;
    const long long row = TStripScale(Paint->height(), DiffLines->Count()).DragTopRow(y);
    if (row < 0 || row > Model->rowCount() - VisibleRows())
        return;
    SetTopRow(static_cast<int>(row));
}

void TfrmDiff::PaintMouseUp() {
    Dragging = false;
}

void TfrmDiff::GoToRow(int row) {
    const QModelIndex index = Model->index(row, 0);
    Grid->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                       QItemSelectionModel::Rows);
    Grid->scrollTo(index);
}

void TfrmDiff::miNextClick() {
    if (!DiffLines)
        return;
    for (int row = CurrentRow() + 1; row < static_cast<int>(DiffLines->Count()); ++row)
        if (DiffLines->IsChanged(static_cast<std::size_t>(row)))
            return GoToRow(row);
}

void TfrmDiff::GoToBlock(std::size_t first) {
    const auto last = static_cast<int>(DiffLines->ChangeBlockEnd(first));
    const int row = static_cast<int>(first);
    Grid->selectionModel()->setCurrentIndex(
        Model->index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    Grid->selectionModel()->select(QItemSelection(Model->index(row, 0), Model->index(last, 1)),
                                   QItemSelectionModel::Select);
    // A block out of view comes in below a few rows of what precedes it.
    if (row < TopRow() || last >= TopRow() + VisibleRows())
        SetTopRow(std::max(0, row - BlockContextRows));
}

void TfrmDiff::miNextChangeClick() {
    if (!DiffLines)
        return;
    if (const auto first =
            DiffLines->NextChangeBlock(static_cast<std::size_t>(std::max(0, CurrentRow()))))
        GoToBlock(*first);
}

void TfrmDiff::miPrevChangeClick() {
    if (!DiffLines)
        return;
    if (const auto first =
            DiffLines->PreviousChangeBlock(static_cast<std::size_t>(std::max(0, CurrentRow()))))
        GoToBlock(*first);
}

void TfrmDiff::miPrevClick() {
    if (!DiffLines)
        return;
    for (int row = CurrentRow() - 1; row >= 0; --row)
        if (DiffLines->IsChanged(static_cast<std::size_t>(row)))
            return GoToRow(row);
}

template <typename TText> void TfrmDiff::CopyRows(TText text) {
    const auto range = SelectedRange();
    if (!DiffLines || !range)
        return;
    QString gathered;
    const int last = std::min(range->second, static_cast<int>(DiffLines->Count()) - 1);
    for (int row = range->first; row <= last; ++row) {
        if (!gathered.isEmpty())
            gathered += LineBreak;
        gathered += DisplayText(text(static_cast<std::size_t>(row)));
    }
    if (!gathered.isEmpty())
        QGuiApplication::clipboard()->setText(gathered);
}

void TfrmDiff::miCopyClick() {
    CopyRows([this](std::size_t row) { return DiffLines->Line(row); });
}

void TfrmDiff::miCopyLeftClick() {
    CopyRows([this](std::size_t row) { return DiffLines->LeftText(row); });
}

void TfrmDiff::miCopyRightClick() {
    CopyRows([this](std::size_t row) { return DiffLines->RightText(row); });
}

} // namespace quillon
