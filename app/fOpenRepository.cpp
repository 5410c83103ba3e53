#include "fOpenRepository.h"

#include "DialogLayout.h"
#include "Fonts.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace quillon {

namespace {

constexpr QSize ClientSize(423, 140);
constexpr int FontPoints = 8;

const QString Caption = QStringLiteral("Open repository");
const QString RootText = QStringLiteral("CVSROOT (e.g. :pserver:user@host:/cvsroot)");
const QString ModuleText = QStringLiteral("Module");
const QString OkText = QStringLiteral("OK");
const QString CancelText = QStringLiteral("Cancel");

constexpr Qt::Edges LeftTop = Qt::LeftEdge | Qt::TopEdge;
constexpr Qt::Edges LeftTopRight = Qt::LeftEdge | Qt::TopEdge | Qt::RightEdge;
constexpr Qt::Edges RightBottom = Qt::RightEdge | Qt::BottomEdge;

} // namespace

TfrmOpenRepository::TfrmOpenRepository(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmOpenRepository"));
    setWindowTitle(Caption);
    setFont(DialogFont(WindowFontFamily, FontPoints));
    auto named = [](auto* widget, const char* name) {
        widget->setObjectName(QString::fromLatin1(name));
        return widget;
    };
    lblRoot = named(new QLabel(RootText, this), "lblRoot");
    cbxRoot = named(new QComboBox(this), "cbxRoot");
    cbxRoot->setEditable(true);
    cbxRoot->setInsertPolicy(QComboBox::NoInsert);
    lblModule = named(new QLabel(ModuleText, this), "lblModule");
    edModule = named(new QLineEdit(this), "edModule");
    btnOk = named(new QPushButton(OkText, this), "btnOk");
    btnCancel = named(new QPushButton(CancelText, this), "btnCancel");
    btnOk->setDefault(true);
    lblRoot->setBuddy(cbxRoot);
    lblModule->setBuddy(edModule);

    auto* layout = new TAnchorLayout(this, ClientSize);
    layout->Add(lblRoot, FitText(lblRoot, {8, 10, 300, 13}), LeftTop);
    layout->Add(cbxRoot, {8, 26, 406, 21}, LeftTopRight);
    layout->Add(lblModule, FitText(lblModule, {8, 58, 100, 13}), LeftTop);
    layout->Add(edModule, {8, 74, 406, 21}, LeftTopRight);
    layout->Add(btnOk, {259, 107, 75, 25}, RightBottom);
    layout->Add(btnCancel, {339, 107, 75, 25}, RightBottom);
    resize(ClientSize);
    setTabOrder(cbxRoot, edModule);
    setTabOrder(edModule, btnOk);
    setTabOrder(btnOk, btnCancel);

    connect(cbxRoot, &QComboBox::editTextChanged, this, &TfrmOpenRepository::UpdateOk);
    connect(edModule, &QLineEdit::textChanged, this, &TfrmOpenRepository::UpdateOk);
    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    UpdateOk();
}

void TfrmOpenRepository::SetValues(const QStringList& roots, const TCvsPlace& place) {
    cbxRoot->clear();
    cbxRoot->addItems(roots);
    cbxRoot->setEditText(place.Root.isEmpty() ? roots.value(0) : place.Root);
    edModule->setText(place.Module);
    (cbxRoot->currentText().isEmpty() ? static_cast<QWidget*>(cbxRoot) : edModule)->setFocus();
}

TCvsPlace TfrmOpenRepository::Place() const {
    return TCvsPlace::OfRepository(cbxRoot->currentText().trimmed(), edModule->text().trimmed());
}

void TfrmOpenRepository::UpdateOk() {
    const TCvsPlace place = Place();
    btnOk->setEnabled(!place.Root.isEmpty() && !place.Module.isEmpty());
}

} // namespace quillon
