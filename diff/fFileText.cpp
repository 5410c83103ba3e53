#include "fFileText.h"

#include "DisplayText.h"
#include "Export.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTextBlock>
#include <QVBoxLayout>

namespace quillon {

namespace {

constexpr QSize InitialSize(760, 560);
constexpr int MarginGap = 8;
const QColor MarginColor(0xf0, 0xf0, 0xf0);
const QColor MarginTextColor(0x80, 0x80, 0x80);
const QString SaveCaption = QStringLiteral("Save as...");
const QString SavedText = QStringLiteral("Saved to %1");
const QString NotSavedText = QStringLiteral("Cannot save %1: %2");

} // namespace

// The margin of a TNumberedText, painted by it.
class TLineMargin : public QWidget {
public:
    explicit TLineMargin(TNumberedText* text) : QWidget(text), Text(text) {}
    QSize sizeHint() const override { return {Text->MarginWidth(), 0}; }

protected:
    void paintEvent(QPaintEvent* event) override { Text->PaintMargin(event); }

private:
    TNumberedText* Text;
};

TNumberedText::TNumberedText(QWidget* parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    Margin = new TLineMargin(this);
    connect(this, &QPlainTextEdit::blockCountChanged, this, &TNumberedText::UpdateMargin);
    connect(this, &QPlainTextEdit::updateRequest, this, [this](const QRect& rect, int dy) {
        if (dy)
            Margin->scroll(0, dy);
        else
            Margin->update(0, rect.y(), Margin->width(), rect.height());
    });
    UpdateMargin();
}

int TNumberedText::MarginWidth() const {
    const QString widest = QString::number(std::max(1, blockCount()));
    return fontMetrics().horizontalAdvance(widest) + 2 * MarginGap;
}

void TNumberedText::UpdateMargin() {
    setViewportMargins(MarginWidth(), 0, 0, 0);
    const QRect area = contentsRect();
    Margin->setGeometry(area.left(), area.top(), MarginWidth(), area.height());
}

void TNumberedText::resizeEvent(QResizeEvent* event) {
    QPlainTextEdit::resizeEvent(event);
    UpdateMargin();
}

void TNumberedText::PaintMargin(QPaintEvent* event) {
    QPainter painter(Margin);
    painter.fillRect(event->rect(), MarginColor);
    painter.setPen(MarginTextColor);
    painter.setFont(font());
    const int right = Margin->width() - MarginGap;
    // Only the lines in view are drawn.
    for (QTextBlock block = firstVisibleBlock(); block.isValid(); block = block.next()) {
        const QRectF bounds = blockBoundingGeometry(block).translated(contentOffset());
        if (bounds.top() > event->rect().bottom())
            break;
        if (block.isVisible() && bounds.bottom() >= event->rect().top())
            painter.drawText(0, int(bounds.top()), right, fontMetrics().height(), Qt::AlignRight,
                             QString::number(block.blockNumber() + 1));
    }
}

TfrmFileText::TfrmFileText(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmFileText"));
    resize(InitialSize);
    mmText = new TNumberedText;
    mmText->setObjectName(QStringLiteral("mmFileText"));
    StatusLine = new QLabel;
    StatusLine->setObjectName(QStringLiteral("FileTextStatus"));

    miSave = new QAction(SaveCaption, this);
    miSave->setObjectName(QStringLiteral("miSaveFileText"));
    miSave->setShortcut(QKeySequence::Save);
    connect(miSave, &QAction::triggered, this, &TfrmFileText::miSaveClick);
    addAction(miSave);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    auto* save = buttons->addButton(SaveCaption, QDialogButtonBox::ActionRole);
    connect(save, &QPushButton::clicked, miSave, &QAction::trigger);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(mmText, 1);
    layout->addWidget(StatusLine);
    layout->addWidget(buttons);

    ChooseFile = [this] { return QFileDialog::getSaveFileName(this, SaveCaption, FileName); };
}

void TfrmFileText::SetText(const QString& caption, const QString& fileName, std::string text) {
    Bytes = std::move(text);
    FileName = fileName;
    setWindowTitle(caption);
    // The last line's end starts no line of its own.
    std::string_view shown = Bytes;
    if (shown.ends_with('\n'))
        shown.remove_suffix(1);
    mmText->setPlainText(DisplayText(shown));
    StatusLine->clear();
}

QString TfrmFileText::StatusText() const {
    return StatusLine->text();
}

void TfrmFileText::miSaveClick() {
    const QString file = ChooseFile();
    if (file.isEmpty())
        return;
    QString error;
    StatusLine->setText(WriteOutputFile(file, Bytes, error) ? SavedText.arg(file)
                                                            : NotSavedText.arg(file, error));
}

} // namespace quillon
