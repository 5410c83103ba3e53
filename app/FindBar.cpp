#include "FindBar.h"

#include "WorkerPool.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QTextLayout>

#include <future>

namespace quillon {

namespace {

const QString FindCaption = QStringLiteral("Find:");
const QString FindPlaceholder =
    QStringLiteral("comment, file name, author, revision or tag (Esc closes)");
constexpr int FindFieldWidth = 360;
constexpr QMargins FindBarMargins(8, 4, 8, 0);
// The found text: dark on yellow, readable on any row colour.
const QColor FoundBackground(255, 221, 51);
const QColor FoundText(Qt::black);

} // namespace

TFindBar::TFindBar(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("pnlFind"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(FindBarMargins);
    auto* caption = new QLabel(FindCaption);
    edFind = new QLineEdit;
    edFind->setObjectName(QStringLiteral("edFind"));
    edFind->setPlaceholderText(FindPlaceholder);
    edFind->setClearButtonEnabled(true);
    edFind->setMinimumWidth(FindFieldWidth);
    caption->setBuddy(edFind);
    layout->addWidget(caption);
    layout->addWidget(edFind);
    layout->addStretch(1);
    edFind->installEventFilter(this);
    connect(edFind, &QLineEdit::textChanged, this, &TFindBar::textChanged);
    hide();
}

void TFindBar::Open() {
    show();
    edFind->setFocus(Qt::ShortcutFocusReason);
    edFind->selectAll();
}

void TFindBar::Close() {
    edFind->clear();
    hide();
}

QString TFindBar::Text() const {
    return edFind->text();
}

bool TFindBar::eventFilter(QObject* watched, QEvent* event) {
    // Esc belongs to the field while it has the focus, before any shortcut.
    if (watched == edFind &&
        (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        event->accept();
        if (event->type() == QEvent::KeyPress)
            Close();
        return event->type() == QEvent::KeyPress;
    }
    return QWidget::eventFilter(watched, event);
}

std::shared_ptr<TLazyFindIndex> TFindSearch::IndexFor(const TRCSFileTablePtr& table) {
    if (!Index || IndexedTable.lock() != table) {
        IndexedTable = table;
        Index = std::make_shared<TLazyFindIndex>();
    }
    return Index;
}

void TFindSearch::BuildIndex(const TRowSource& source) {
    if (source.Table && source.FindIndex)
        WorkerPool().start(
            [table = source.Table, index = source.FindIndex] { index->Get(*table); });
}

void TFindSearch::Drop() {
    Job.Cancel();
    Index.reset();
    IndexedTable.reset();
}

void TFindSearch::Start(TRowSource source, THistoryRows rows, TFindText find,
                        TChartMode chartMode) {
    Job.Start(
        [source, rows, find, chartMode](const std::atomic<bool>& cancelled) {
            auto result = std::make_shared<TFoundRows>();
            result->Source = source;
            TFindText prepared = find;
            // Only a text to find waits for the index.
            if (source.Table && !prepared.Empty())
                prepared.Prepare(*source.Table,
                                 source.FindIndex ? &source.FindIndex->Get(*source.Table) : nullptr,
                                 &cancelled);
            result->History = FindRevisions(*rows, prepared, &cancelled);
            if (cancelled)
                return result;
            // The chart on a thread of its own, beside the commits.
            auto chart = std::async(std::launch::async, [&] {
                return TChartData(result->History, chartMode, source.Table);
            });
            if (source.Summary)
                result->Commits = ListCommits(source.Summary->Commits, result->History);
            result->Chart = chart.get();
            return result;
        },
        [this](std::shared_ptr<TFoundRows> result) { emit found(std::move(result)); });
}

void TFindHighlightDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                   const QModelIndex& index) const {
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    std::vector<std::pair<qsizetype, qsizetype>> spans;
    if (!Find.Empty() && index.data(FindableRole).toBool())
        spans = Find.Spans(item.text);
    if (spans.empty()) {
        TReadableTextDelegate::paint(painter, option, index);
        return;
    }
    const QWidget* widget = item.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &item, widget)
                               .adjusted(margin, 0, -margin, 0);
    const QString text = item.text;
    item.text.clear();
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);

    QTextCharFormat found;
    found.setBackground(FoundBackground);
    found.setForeground(FoundText);
    QList<QTextLayout::FormatRange> ranges;
    for (const auto& [start, length] : spans)
        ranges.append({static_cast<int>(start), static_cast<int>(length), found});
    QTextLayout layout(text, item.font);
    layout.setFormats(ranges);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setNumColumns(static_cast<int>(text.size()));
    layout.endLayout();
    const bool selected = item.state & QStyle::State_Selected;
    painter->save();
    painter->setClipRect(textRect);
    painter->setPen(item.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    layout.draw(painter,
                QPointF(textRect.left(), textRect.top() + (textRect.height() - line.height()) / 2));
    painter->restore();
}

} // namespace quillon
