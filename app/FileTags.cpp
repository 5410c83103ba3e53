#include "FileTags.h"

#include "CellText.h"
#include "RevisionMenu.h"
#include "Tags.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>

namespace quillon {

namespace {

const QString ShowTagsText = QStringLiteral("Show tags of this file");
const QStringList TagColumnCaptions = {QStringLiteral("Name"), QStringLiteral("Number"),
                                       QStringLiteral("Kind")};
constexpr QSize TagsWindowSize(420, 360);

QString KindText(TNameKind kind) {
    switch (kind) {
    case TNameKind::Tag:
        return QStringLiteral("tag");
    case TNameKind::Branch:
        return QStringLiteral("branch");
    case TNameKind::VendorBranch:
        return QStringLiteral("vendor branch");
    }
    return {};
}

} // namespace

TfrmFileTags::TfrmFileTags(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmFileTags"));
    resize(TagsWindowSize);
    auto* layout = new QVBoxLayout(this);
    lvTags = new QTableWidget(this);
    lvTags->setObjectName(QStringLiteral("lvTags"));
    lvTags->setColumnCount(int(TagColumnCaptions.size()));
    lvTags->setHorizontalHeaderLabels(TagColumnCaptions);
    lvTags->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvTags->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvTags->verticalHeader()->hide();
    lvTags->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(lvTags);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

void TfrmFileTags::Fill(const TRCSFile& file) {
    setWindowTitle(QStringLiteral("Tags of %1").arg(CellText(file.WorkingFile)));
    const auto names = SymbolicNames(file);
    lvTags->setRowCount(static_cast<int>(names.size()));
    int row = 0;
    for (const TSymbolicName& name : names) {
        lvTags->setItem(row, 0, new QTableWidgetItem(CellText(name.Name)));
        lvTags->setItem(row, 1, new QTableWidgetItem(CellText(name.Number)));
        lvTags->setItem(row, 2, new QTableWidgetItem(KindText(name.Kind)));
        ++row;
    }
    lvTags->resizeColumnsToContents();
}

void AddFileTagsCommand(QTableView* list, TRevisionAt revisionAt) {
    auto* show = new QAction(ShowTagsText, list);
    show->setObjectName(QStringLiteral("miShowTags"));
    QObject::connect(show, &QAction::triggered, list, [list, revisionAt = std::move(revisionAt)] {
        const TRevisionInfo* revision = revisionAt(ChosenRow(*list));
        if (!revision || !revision->FileInfo)
            return;
        TfrmFileTags window(list->window());
        window.Fill(*revision->FileInfo);
        window.exec();
    });
    list->addAction(show);
}

} // namespace quillon
