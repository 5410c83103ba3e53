#include "fPatch.h"

#include "DisplayText.h"
#include "Export.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSyntaxHighlighter>
#include <QVBoxLayout>

namespace quillon {

namespace {

constexpr QSize InitialSize(760, 560);
const QString SaveCaption = QStringLiteral("Save as...");
const QString CopyCaption = QStringLiteral("Copy");
const QString PatchFilter = QStringLiteral("Patch files (*.patch)");
const QString SavedText = QStringLiteral("Saved to %1");
const QString NotSavedText = QStringLiteral("Cannot save %1: %2");

// Colours the lines of a unified patch by what they are.
class TPatchHighlighter : public QSyntaxHighlighter {
public:
    using QSyntaxHighlighter::QSyntaxHighlighter;

protected:
    void highlightBlock(const QString& line) override {
        QTextCharFormat format;
        if (line.startsWith(QLatin1String("+++")) || line.startsWith(QLatin1String("---")))
            format.setFontWeight(QFont::Bold);
        else if (line.startsWith(QLatin1Char('+')))
            format.setBackground(PatchAddedColor);
        else if (line.startsWith(QLatin1Char('-')))
            format.setBackground(PatchRemovedColor);
        else if (line.startsWith(QLatin1String("@@")))
            format.setForeground(PatchHunkColor);
        else if (line.startsWith(QLatin1String("# ")))
            format.setForeground(PatchFailureColor);
        else if (line.startsWith(QLatin1String("Index: ")))
            format.setFontWeight(QFont::Bold);
        else
            return;
        setFormat(0, int(line.size()), format);
    }
};

} // namespace

TfrmPatch::TfrmPatch(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmPatch"));
    resize(InitialSize);
    mmPatch = new QPlainTextEdit;
    mmPatch->setObjectName(QStringLiteral("mmPatch"));
    mmPatch->setReadOnly(true);
    mmPatch->setLineWrapMode(QPlainTextEdit::NoWrap);
    mmPatch->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    new TPatchHighlighter(mmPatch->document());
    StatusLine = new QLabel;
    StatusLine->setObjectName(QStringLiteral("PatchStatus"));

    miSave = new QAction(SaveCaption, this);
    miSave->setObjectName(QStringLiteral("miSavePatch"));
    miSave->setShortcut(QKeySequence::Save);
    connect(miSave, &QAction::triggered, this, &TfrmPatch::miSaveClick);
    miCopy = new QAction(CopyCaption, this);
    miCopy->setObjectName(QStringLiteral("miCopyPatch"));
    connect(miCopy, &QAction::triggered, this, &TfrmPatch::miCopyClick);
    addActions({miSave, miCopy});
    mmPatch->setContextMenuPolicy(Qt::ActionsContextMenu);
    mmPatch->addActions({miCopy, miSave});

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    for (QAction* action : {miSave, miCopy}) {
        auto* button = buttons->addButton(action->text(), QDialogButtonBox::ActionRole);
        connect(button, &QPushButton::clicked, action, &QAction::trigger);
    }
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(mmPatch, 1);
    layout->addWidget(StatusLine);
    layout->addWidget(buttons);

    ChooseFile = [this] {
        return QFileDialog::getSaveFileName(this, SaveCaption, QString(), PatchFilter);
    };
}

void TfrmPatch::SetPatch(const QString& caption, std::string text) {
    Text = std::move(text);
    setWindowTitle(caption);
    mmPatch->setPlainText(DisplayText(Text));
    StatusLine->clear();
}

QString TfrmPatch::StatusText() const {
    return StatusLine->text();
}

void TfrmPatch::miSaveClick() {
    const QString file = ChooseFile();
    if (file.isEmpty())
        return;
    QString error;
    StatusLine->setText(WriteOutputFile(file, Text, error) ? SavedText.arg(file)
                                                           : NotSavedText.arg(file, error));
}

void TfrmPatch::miCopyClick() {
    QString selected = mmPatch->textCursor().selectedText();
    QApplication::clipboard()->setText(
        selected.isEmpty() ? mmPatch->toPlainText()
                           : selected.replace(QChar::ParagraphSeparator, QLatin1Char('\n')));
}

} // namespace quillon
