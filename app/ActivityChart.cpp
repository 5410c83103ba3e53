#include "ActivityChart.h"

#include "ReadableText.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QStyleOptionMenuItem>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace quillon {

namespace {

const QString DayFormat = QStringLiteral("dd");
constexpr double SmallestDayStep = 3600; // one hour, in seconds
constexpr double SmallestValueStep = 1;
constexpr int LabelSpacing = 40;    // the least room of one day label, in pixels
constexpr double EmptyValueTop = 1; // the left axis's top without a bar above 0
constexpr double SecondsPerDay = 86400;

// Day labels on multiples of the step counted from 1970-01-01 00:00 UTC, so
// that a daily label stands at midnight of its day in the time of the log,
// whatever the local time zone.
class TDayTicker : public QCPAxisTickerDateTime {
public:
    TDayTicker() {
        setDateTimeFormat(DayFormat);
        setDateTimeSpec(Qt::UTC);
    }

protected:
    double getTickStep(const QCPRange& range) override {
        return std::max(QCPAxisTickerDateTime::getTickStep(range), SmallestDayStep);
    }
    QVector<double> createTickVector(double tickStep, const QCPRange& range) override {
        return QCPAxisTicker::createTickVector(tickStep, range);
    }
};

// A row of the bar list as a menu item of the bar menu is drawn: on light grey
// under the mouse and when current, the caption in its author's colour.
class TChartListDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const bool lit = option.state & (QStyle::State_Selected | QStyle::State_MouseOver);
        const QColor fill =
            lit ? QColor(TChartMenu::HighlightColor) : option.palette.color(QPalette::Base);
        painter->save();
        painter->fillRect(option.rect, fill);
        painter->setFont(option.font);
        painter->setPen(ReadableColor(index.data(Qt::ForegroundRole).value<QColor>(), fill));
        const QFontMetrics metrics(option.font);
        const int top = option.rect.top() + (option.rect.height() - metrics.height()) / 2;
        painter->drawText(QPointF(option.rect.left(), top + metrics.ascent()),
                          index.data(Qt::DisplayRole).toString());
        painter->restore();
    }
};

// Ticks and sub-ticks on whole numbers only: bars count commits or lines.
class TWholeTicker : public QCPAxisTicker {
protected:
    double getTickStep(const QCPRange& range) override {
        return std::ceil(std::max(QCPAxisTicker::getTickStep(range), SmallestValueStep));
    }
    int getSubTickCount(double tickStep) override {
        int count = QCPAxisTicker::getSubTickCount(tickStep);
        while (count > 0 && std::fmod(tickStep, count + 1) != 0)
            --count;
        return count;
    }
};

} // namespace

TActivityChart::TActivityChart(QWidget* parent) : QCustomPlot(parent) {
    setObjectName(QStringLiteral("Chart"));
    setBackground(Qt::white);
    setInteractions({}); // panning is the right button's, below; no zoom, no selection
    setContextMenuPolicy(Qt::PreventContextMenu);
    legend->setVisible(false);

    xAxis->setTicker(QSharedPointer<TDayTicker>::create());
    yAxis->setTicker(QSharedPointer<TWholeTicker>::create());
    yAxis->setNumberFormat(QStringLiteral("f"));
    yAxis->setNumberPrecision(0);
    yAxis->setRange(0, EmptyValueTop);

    Bars = new QCPBars(xAxis, yAxis);
    Bars->setObjectName(QStringLiteral("Series"));
    Bars->setName(QStringLiteral("Series"));
    Bars->setWidthType(QCPBars::wtAbsolute);
    Bars->setWidth(BarWidth);
    Bars->setPen(QPen(QColor(SeriesColor)));
    Bars->setBrush(QColor(SeriesColor));
    Bars->setSelectable(QCP::stNone);
}

void TActivityChart::SetBars(TChartData data) {
    Contents = std::move(data);
    QVector<double> keys, values;
    keys.reserve(qsizetype(Contents.Bars().size()));
    values.reserve(qsizetype(Contents.Bars().size()));
    for (const TChartBar& bar : Contents.Bars()) {
        keys.append(ChartKey(bar.Day));
        values.append(bar.Total);
    }
    Bars->setData(keys, values, true);
    const double highest = Contents.MaxTotal();
    yAxis->setRange(0, highest > 0 ? highest : EmptyValueTop);
}

void TActivityChart::SetVisibleRange(double first, double last) {
    xAxis->setRange(ChartKey(first), ChartKey(last));
}

double TActivityChart::VisibleFirst() const {
    return DateOfChartKey(xAxis->range().lower);
}

double TActivityChart::VisibleLast() const {
    return DateOfChartKey(xAxis->range().upper);
}

double TActivityChart::BarKeys(double size) const {
    const int width = xAxis->axisRect()->width();
    return width > 0 ? BarWidth * size / width : 0;
}

void TActivityChart::Show(double lower, double size) {
    xAxis->setRange(lower, lower + size);
    emit Scrolled();
    replot(rpQueuedReplot);
}

void TActivityChart::ShowFirstBar() {
    if (Contents.Bars().empty())
        return;
    const double size = xAxis->range().size();
    Show(ChartKey(Contents.Bars().front().Day) - BarKeys(size), size);
}

void TActivityChart::ShowLastBar() {
    if (Contents.Bars().empty())
        return;
    const double size = xAxis->range().size();
    Show(ChartKey(Contents.Bars().back().Day) + BarKeys(size) - size, size);
}

void TActivityChart::ScrollBy(double fraction) {
    const QCPRange range = xAxis->range();
    Show(range.lower + fraction * range.size(), range.size());
}

double TActivityChart::WidestSpan() const {
    double span = VisibleDays;
    const int width = xAxis->axisRect()->width();
    if (!Contents.Bars().empty() && width > 2 * BarWidth) {
        // The bars' days, and half a bar beyond each end.
        const double days = Contents.Bars().back().Day - Contents.Bars().front().Day;
        span = std::max(span, days * width / (width - 2 * BarWidth));
    }
    return span;
}

void TActivityChart::ZoomBy(double factor, double key) {
    const QCPRange range = xAxis->range();
    const double size = std::clamp(range.size() * factor, LeastVisibleDays * SecondsPerDay,
                                   std::max(range.size(), WidestSpan() * SecondsPerDay));
    // Where the span is already beyond the limits, it only comes nearer.
    const double next = factor < 1 ? std::min(size, range.size()) : std::max(size, range.size());
    if (next == range.size())
        return;
    Show(key - (key - range.lower) * next / range.size(), next);
}

void TActivityChart::FitValueAxis() {
    const QCPRange range = xAxis->range();
    double highest = 0;
    for (const TChartBar& bar :
         Contents.BarsBetween(DateOfChartKey(range.lower), DateOfChartKey(range.upper)))
        highest = std::max(highest, bar.Total);
    yAxis->setRange(0, highest > 0 ? highest : EmptyValueTop);
}

int TActivityChart::BarAt(QPointF point) const {
    QVariant details;
    if (Bars->selectTest(point, false, &details) < 0)
        return -1;
    const QCPDataSelection hit = details.value<QCPDataSelection>();
    return hit.isEmpty() ? -1 : hit.dataRange().begin();
}

void TActivityChart::mousePressEvent(QMouseEvent* event) {
    emit MouseDown(event->button(), event->position().toPoint());
    if (event->button() == Qt::RightButton) {
        Panning = true;
        PanStartX = event->position().x();
        PanStartRange = xAxis->range();
        event->accept();
        return;
    }
    QCustomPlot::mousePressEvent(event);
}

void TActivityChart::mouseMoveEvent(QMouseEvent* event) {
    if (!Panning)
        return QCustomPlot::mouseMoveEvent(event);
    const int width = xAxis->axisRect()->width();
    if (width <= 0)
        return;
    // The axis moves with the mouse: dragging to the right shows earlier days.
    const double shift = (event->position().x() - PanStartX) * PanStartRange.size() / width;
    const QCPRange range(PanStartRange.lower - shift, PanStartRange.upper - shift);
    if (range == xAxis->range())
        return;
    xAxis->setRange(range);
    emit Scrolled();
    replot(rpQueuedReplot);
}

void TActivityChart::mouseReleaseEvent(QMouseEvent* event) {
    if (Panning && event->button() == Qt::RightButton) {
        Panning = false;
        event->accept();
        return;
    }
    QCustomPlot::mouseReleaseEvent(event);
}

void TActivityChart::wheelEvent(QWheelEvent* event) {
    const QPoint turn = event->angleDelta();
    const double steps =
        double(turn.y() != 0 ? turn.y() : turn.x()) / int(QWheelEvent::DefaultDeltasPerStep);
    event->accept();
    if (steps == 0)
        return;
    if (event->modifiers().testFlag(Qt::ControlModifier))
        // Turning away from the user zooms in.
        ZoomBy(std::pow(WheelZoom, -steps), xAxis->pixelToCoord(event->position().x()));
    else
        // Turning towards the user shows later days.
        ScrollBy(-steps * WheelScroll);
}

void TActivityChart::resizeEvent(QResizeEvent* event) {
    // As many day labels as fit.
    xAxis->ticker()->setTickCount(std::max(1, event->size().width() / LabelSpacing));
    QCustomPlot::resizeEvent(event);
}

void TActivityChart::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) {
        for (QCPAxis* axis : {xAxis, yAxis}) {
            axis->setTickLabelFont(font());
            axis->setLabelFont(font());
        }
        replot(rpQueuedReplot);
    }
    QCustomPlot::changeEvent(event);
}

TChartMenu::TChartMenu(QWidget* parent) : QMenu(parent) {
    auto* style = new TChartMenuStyle;
    style->setParent(this);
    setStyle(style);
}

void TChartMenu::Clear() {
    clear(); // frees the items, which the menu owns
    Items.clear();
}

QAction* TChartMenu::AddItem(TItem item) {
    // A "&" stays an "&": the text holds no mnemonic.
    QString text = item.Caption;
    text.replace(QLatin1Char('&'), QLatin1String("&&"));
    auto* action = new QAction(text, this);
    action->setData(qsizetype(Items.size()));
    Items.push_back(std::move(item));
    addAction(action);
    return action;
}

const TChartMenu::TItem* TChartMenu::ItemOf(const QAction* action) const {
    if (!action || action->parent() != this)
        return nullptr;
    const qsizetype index = action->data().value<qsizetype>();
    return index >= 0 && std::size_t(index) < Items.size() ? &Items[std::size_t(index)] : nullptr;
}

void TChartMenu::initStyleOption(QStyleOptionMenuItem* option, const QAction* action) const {
    QMenu::initStyleOption(option, action);
    if (const TItem* item = ItemOf(action)) {
        option->text = item->Caption;
        option->palette.setColor(QPalette::Text,
                                 AuthorColor ? AuthorColor(item->Author) : QColor(Qt::black));
    }
}

void TChartMenuStyle::drawControl(ControlElement element, const QStyleOption* option,
                                  QPainter* painter, const QWidget* widget) const {
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (element != CE_MenuItem || !item || item->menuItemType != QStyleOptionMenuItem::Normal)
        return QProxyStyle::drawControl(element, option, painter, widget);

    // The menu's own background of a plain item, with nothing on it.
    QStyleOptionMenuItem background = *item;
    background.text.clear();
    background.icon = QIcon();
    background.state &= ~State_Selected;
    QProxyStyle::drawControl(element, &background, painter, widget);

    painter->save();
    const bool selected = item->state & State_Selected;
    const QColor fill =
        selected ? QColor(TChartMenu::HighlightColor) : item->palette.color(QPalette::Window);
    if (selected)
        painter->fillRect(item->rect, fill);
    painter->setFont(item->font);
    painter->setPen(ReadableColor(item->palette.color(QPalette::Text), fill));
    const QFontMetrics metrics(item->font);
    const int top = item->rect.top() + (item->rect.height() - metrics.height()) / 2;
    // Drawn as it stands: no mnemonic, no tab stop.
    painter->drawText(QPointF(item->rect.left(), top + metrics.ascent()), item->text);
    painter->restore();
}

TChartList::TChartList(QWidget* parent) : QFrame(parent, Qt::Popup) {
    setFrameStyle(QFrame::Box | QFrame::Plain);
    lbRevisions = new QListWidget;
    lbRevisions->setObjectName(QStringLiteral("lbRevisions"));
    lbRevisions->setFrameShape(QFrame::NoFrame);
    lbRevisions->setMouseTracking(true);
    lbRevisions->setUniformItemSizes(true);
    lbRevisions->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    lbRevisions->setItemDelegate(new TChartListDelegate(lbRevisions));
    lbRevisions->installEventFilter(this);
    connect(lbRevisions, &QListWidget::clicked, this,
            [this](const QModelIndex& index) { Choose(index.row()); });
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(frameWidth(), frameWidth(), frameWidth(), frameWidth());
    layout->addWidget(lbRevisions);
}

void TChartList::Popup(std::vector<TChartMenu::TItem> items, QPoint position) {
    Items = std::move(items);
    lbRevisions->clear();
    const QFontMetrics metrics(lbRevisions->font());
    int widest = 0;
    for (const TChartMenu::TItem& item : Items) {
        auto* row = new QListWidgetItem(item.Caption, lbRevisions);
        row->setForeground(AuthorColor ? AuthorColor(item.Author) : QColor(Qt::black));
        widest = std::max(widest, metrics.horizontalAdvance(item.Caption));
    }
    lbRevisions->setCurrentRow(0);
    const int rows = std::min(int(Items.size()), MaxRows);
    const int rowHeight = lbRevisions->sizeHintForRow(0);
    const int frame = 2 * frameWidth();
    QSize size(widest + lbRevisions->verticalScrollBar()->sizeHint().width() + frame,
               rows * rowHeight + frame);
    // Within the screen, as a menu is placed.
    QRect place(position, size);
    if (const QScreen* screen = QGuiApplication::screenAt(position)) {
        const QRect room = screen->availableGeometry();
        place.setWidth(std::min(place.width(), room.width()));
        place.setHeight(std::min(place.height(), room.height()));
        place.moveRight(std::min(place.right(), room.right()));
        place.moveBottom(std::min(place.bottom(), room.bottom()));
        place.moveLeft(std::max(place.left(), room.left()));
        place.moveTop(std::max(place.top(), room.top()));
    }
    setGeometry(place);
    show();
    lbRevisions->setFocus();
}

const TChartMenu::TItem* TChartList::ItemAt(int row) const {
    return row >= 0 && std::size_t(row) < Items.size() ? &Items[std::size_t(row)] : nullptr;
}

bool TChartList::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lbRevisions && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Choose(lbRevisions->currentRow());
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}

void TChartList::Choose(int row) {
    const TChartMenu::TItem* item = ItemAt(row);
    if (!item)
        return;
    const TChartMenu::TItem picked = *item;
    close();
    emit chosen(picked);
}

} // namespace quillon
