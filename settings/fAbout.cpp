#include "fAbout.h"

#include "DialogLayout.h"
#include "Fonts.h"
#include "ProgramIcon.h"
#include "Version.h"

#include <QDesktopServices>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>

namespace quillon {

namespace {

constexpr QSize ClientSize(398, 194);
constexpr int FontPoints = 8;
const QString TitleFontFamily = QStringLiteral("Arial");
constexpr int TitleFontPoints = 18;
const QString MailFontFamily = QStringLiteral("MS Sans Serif");
constexpr int MailFontPoints = 8;
constexpr QColor MailColor(0, 0, 128); // navy
constexpr QColor MemoColor(255, 255, 255);
constexpr int IconSize = 32;

const QString Caption = QStringLiteral("About");
const QString MailPrefix = QStringLiteral("Mail author: ");
const QString MailScheme = QStringLiteral("mailto:");
const QString CloseText = QStringLiteral("Close");
const QStringList Description = {
    QStringLiteral("Freeware CVS log viewer that requires CVS executable installed."),
    QStringLiteral("Browse files in repository, file revisions, whole history,"),
    QStringLiteral("charts displaying commits and changes number and differences in"),
    QStringLiteral("any selected revision.")};

constexpr Qt::Edges LeftTop = Qt::LeftEdge | Qt::TopEdge;
constexpr Qt::Edges LeftTopRight = Qt::LeftEdge | Qt::TopEdge | Qt::RightEdge;
constexpr Qt::Edges AllEdges = Qt::LeftEdge | Qt::TopEdge | Qt::RightEdge | Qt::BottomEdge;
constexpr Qt::Edges RightBottom = Qt::RightEdge | Qt::BottomEdge;

// A label that reports a click of the left mouse button released over it.
class TClickableLabel : public QLabel {
public:
    TClickableLabel(QWidget* parent, std::function<void()> onClick)
        : QLabel(parent), OnClick(std::move(onClick)) {}

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
            OnClick();
        QLabel::mouseReleaseEvent(event);
    }

private:
    std::function<void()> OnClick;
};

} // namespace

TfrmAbout::TfrmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(Caption);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFont(DialogFont(WindowFontFamily, FontPoints));
    OpenUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };

    imgIcon = new TClickableLabel(this, [this] { lblTitleClick(); });
    imgIcon->setObjectName(QStringLiteral("imgIcon"));
    imgIcon->setPixmap(ApplicationIcon().pixmap(IconSize, IconSize));
    imgIcon->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    lblTitle = new TClickableLabel(this, [this] { lblTitleClick(); });
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    lblTitle->setText(
        QStringLiteral("%1 v%2").arg(QLatin1String(ProgramName), QLatin1String(ProgramVersion)));
    QFont titleFont = DialogFont(TitleFontFamily, TitleFontPoints);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);
    lblTitle->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    lblTitle->setCursor(Qt::PointingHandCursor);

    Bevel1 = new QFrame(this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Sunken);

    lblMail = new TClickableLabel(this, [this] { lblMailClick(); });
    lblMail->setObjectName(QStringLiteral("lblMail"));
    lblMail->setText(MailPrefix + AuthorMail);
    QFont mailFont = DialogFont(MailFontFamily, MailFontPoints);
    mailFont.setUnderline(true);
    lblMail->setFont(mailFont);
    QPalette mailPalette = lblMail->palette();
    mailPalette.setColor(QPalette::WindowText, MailColor);
    lblMail->setPalette(mailPalette);
    lblMail->setCursor(Qt::PointingHandCursor);

    Memo = new QPlainTextEdit(this);
    Memo->setObjectName(QStringLiteral("Memo"));
    Memo->setReadOnly(true);
    Memo->setFrameShape(QFrame::NoFrame);
    Memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    QPalette memoPalette = Memo->palette();
    memoPalette.setColor(QPalette::Base, MemoColor);
    Memo->setPalette(memoPalette);
    Memo->setPlainText(Description.join(QLatin1Char('\n')));

    btnClose = new QPushButton(CloseText, this);
    btnClose->setObjectName(QStringLiteral("btnClose"));

    // The bevel's line runs along the top of its box.
    auto* layout = new TAnchorLayout(this, ClientSize);
    layout->Add(imgIcon, {8, 8, 33, 33}, LeftTop);
    layout->Add(lblTitle, FitText(lblTitle, {48, 8, 211, 29}), LeftTop);
    layout->Add(Bevel1, {8, 48, 381, 2}, LeftTopRight);
    layout->Add(lblMail, FitText(lblMail, {8, 57, 156, 13}), LeftTop);
    layout->Add(Memo, {8, 80, 381, 77}, AllEdges);
    layout->Add(btnClose, {314, 164, 75, 25}, RightBottom);
    resize(ClientSize);

    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmAbout::lblTitleClick() {
    OpenUrl(QUrl(ProductPage));
}

void TfrmAbout::lblMailClick() {
    OpenUrl(QUrl(MailScheme + AuthorMail));
}

void TfrmAbout::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    btnClose->setFocus();
}

} // namespace quillon
