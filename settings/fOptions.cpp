#include "fOptions.h"

#include "DialogLayout.h"
#include "Fonts.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include <limits>

namespace quillon {

namespace {

constexpr QSize ClientSize(423, 256);
constexpr int FontPoints = 8;
constexpr int LinesLimitMinimum = 0;
constexpr int LinesLimitMaximum = 100;

const QString Caption = QStringLiteral("Options");
const QString OpenText = QStringLiteral("Open folders with Quillon");
const QString CVSText = QStringLiteral("CVS executable path");
const QString BrowseText = QStringLiteral("...");
const QString LinesLimitText = QStringLiteral("Number of lines to consider as few");
const QString IncludeText = QStringLiteral("Include files (use ; to separate filters)");
const QString ExcludeText = QStringLiteral("Exclude files (use ; to separate filters)");
const QString CacheText = QStringLiteral("Cache histories to reopen at once");
const QString OkText = QStringLiteral("OK");
const QString CancelText = QStringLiteral("Cancel");
const QString ChooseFolderTitle = QStringLiteral("Select CVS executable folder");

constexpr Qt::Edges LeftTop = Qt::LeftEdge | Qt::TopEdge;
constexpr Qt::Edges LeftTopRight = Qt::LeftEdge | Qt::TopEdge | Qt::RightEdge;
constexpr Qt::Edges TopRight = Qt::TopEdge | Qt::RightEdge;
constexpr Qt::Edges RightBottom = Qt::RightEdge | Qt::BottomEdge;
constexpr Qt::Edges LeftBottom = Qt::LeftEdge | Qt::BottomEdge;

} // namespace

TfrmOptions::TfrmOptions(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(Caption);
    setFont(DialogFont(WindowFontFamily, FontPoints));
    ChooseFolder = [this](const QString& start) {
        return QFileDialog::getExistingDirectory(this, ChooseFolderTitle, start,
                                                 QFileDialog::ShowDirsOnly | QFileDialog::ReadOnly);
    };

    auto named = [](auto* widget, const char* name) {
        widget->setObjectName(QString::fromLatin1(name));
        return widget;
    };
    chkOpen = named(new QCheckBox(OpenText, this), "chkOpen");
    lblCVS = named(new QLabel(CVSText, this), "lblCVS");
    edCVS = named(new QLineEdit(this), "edCVS");
    btnCVS = named(new QPushButton(BrowseText, this), "btnCVS");
    lblLinesLimit = named(new QLabel(LinesLimitText, this), "lblLinesLimit");
    edLinesLimit = named(new QSpinBox(this), "edLinesLimit");
    edLinesLimit->setRange(LinesLimitMinimum, LinesLimitMaximum);
    edLinesLimit->setSingleStep(1);
    chkInclude = named(new QCheckBox(IncludeText, this), "chkInclude");
    edInclude = named(new QLineEdit(this), "edInclude");
    chkExclude = named(new QCheckBox(ExcludeText, this), "chkExclude");
    edExclude = named(new QLineEdit(this), "edExclude");
    chkCache = named(new QCheckBox(CacheText, this), "chkCache");
    btnOk = named(new QPushButton(OkText, this), "btnOk");
    btnCancel = named(new QPushButton(CancelText, this), "btnCancel");
    // A stored text of any length shows whole and is stored back unchanged.
    for (QLineEdit* edit : {edCVS, edInclude, edExclude})
        edit->setMaxLength(std::numeric_limits<int>::max());
    btnOk->setDefault(true);
    lblCVS->setBuddy(edCVS);
    lblLinesLimit->setBuddy(edLinesLimit);

    // The number's edit and its up-down arrows are one control, spanning from
    // the edit's left edge to the arrows' right edge.
    auto* layout = new TAnchorLayout(this, ClientSize);
    layout->Add(chkOpen, {8, 10, 406, 17}, LeftTopRight);
    layout->Add(lblCVS, FitText(lblCVS, {8, 32, 100, 13}), LeftTop);
    layout->Add(edCVS, {8, 48, 385, 21}, LeftTopRight);
    layout->Add(btnCVS, {393, 48, 21, 21}, TopRight);
    layout->Add(lblLinesLimit, FitText(lblLinesLimit, {8, 80, 165, 13}), LeftTop);
    layout->Add(edLinesLimit, {8, 96, 406, 21}, LeftTopRight);
    layout->Add(chkInclude, {8, 122, 406, 17}, LeftTopRight);
    layout->Add(edInclude, {8, 144, 405, 21}, LeftTopRight);
    layout->Add(chkExclude, {8, 170, 406, 17}, LeftTopRight);
    layout->Add(edExclude, {8, 192, 405, 21}, LeftTopRight);
    layout->Add(chkCache, {8, 227, 245, 17}, LeftBottom);
    layout->Add(btnOk, {259, 223, 75, 25}, RightBottom);
    layout->Add(btnCancel, {339, 223, 75, 25}, RightBottom);
    resize(ClientSize);

    QWidget* tabOrder[] = {chkOpen,    edCVS,     btnCVS,   edLinesLimit, chkInclude, edInclude,
                           chkExclude, edExclude, chkCache, btnOk,        btnCancel};
    for (std::size_t i = 1; i < std::size(tabOrder); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);

    connect(btnCVS, &QPushButton::clicked, this, &TfrmOptions::btnCVSClick);
    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmOptions::SetValues(const TOptionsValues& values) {
    chkOpen->setChecked(values.FolderCommand);
    edCVS->setText(values.Settings.CVSPath);
    edLinesLimit->setValue(values.Settings.LinesLimit);
    chkInclude->setChecked(values.Settings.DoInclude);
    edInclude->setText(values.Settings.Include);
    chkExclude->setChecked(values.Settings.DoExclude);
    edExclude->setText(values.Settings.Exclude);
    chkCache->setChecked(values.Settings.KeepCache);
}

TOptionsValues TfrmOptions::Values() const {
    TOptionsValues values;
    values.FolderCommand = chkOpen->isChecked();
    values.Settings.CVSPath = edCVS->text();
    values.Settings.LinesLimit = edLinesLimit->value();
    values.Settings.DoInclude = chkInclude->isChecked();
    values.Settings.Include = edInclude->text();
    values.Settings.DoExclude = chkExclude->isChecked();
    values.Settings.Exclude = edExclude->text();
    values.Settings.KeepCache = chkCache->isChecked();
    return values;
}

void TfrmOptions::btnCVSClick() {
    const QString current = edCVS->text();
    const bool exists = !current.isEmpty() && QFileInfo(current).isDir();
    const QString chosen = ChooseFolder(exists ? current : QString());
    if (!chosen.isEmpty())
        edCVS->setText(QDir::toNativeSeparators(chosen));
}

} // namespace quillon
