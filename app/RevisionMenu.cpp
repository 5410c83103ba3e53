#include "RevisionMenu.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QTableView>

namespace quillon {

namespace {

const QString CompareWithPreviousText = QStringLiteral("Compare with previous");
const QString CompareWithWorkingFileText = QStringLiteral("Compare with working file");
const QString CompareSelectedText = QStringLiteral("Compare selected");
const QString ShowFileText = QStringLiteral("Show file at this revision");
const QString AnnotateText = QStringLiteral("Annotate");
const QKeySequence CompareSelectedShortcut(Qt::CTRL | Qt::Key_D);

bool IsOlder(const TRevisionInfo& a, const TRevisionInfo& b) {
    if (a.Date != b.Date)
        return a.Date < b.Date;
    return a.Revision < b.Revision;
}

} // namespace

int ChosenRow(const QTableView& list) {
    const QItemSelectionModel* selection = list.selectionModel();
    if (!selection)
        return -1;
    const QModelIndex current = selection->currentIndex();
    if (current.isValid() && selection->isRowSelected(current.row()))
        return current.row();
    const QModelIndexList rows = selection->selectedRows();
    return rows.isEmpty() ? -1 : rows.front().row();
}

std::optional<std::pair<const TRevisionInfo*, const TRevisionInfo*>>
SelectedPair(const QTableView& list, const TRevisionAt& revisionAt) {
    const QModelIndexList rows = list.selectionModel()->selectedRows();
    if (rows.size() != 2)
        return std::nullopt;
    const TRevisionInfo* a = revisionAt(rows[0].row());
    const TRevisionInfo* b = revisionAt(rows[1].row());
    if (!a || !b || a->FileInfo != b->FileInfo)
        return std::nullopt;
    if (IsOlder(*b, *a))
        std::swap(a, b);
    return std::make_pair(a, b);
}

void AddRevisionMenu(QTableView* list, TRevisionAt revisionAt, TRevisionCommands commands) {
    list->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto add = [list](const char* name, const QString& text, auto handler) {
        auto* action = new QAction(text, list);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcutContext(Qt::WidgetShortcut);
        QObject::connect(action, &QAction::triggered, list, handler);
        list->addAction(action);
        return action;
    };
    // A command on the revision of the chosen row.
    auto single = [list, revisionAt, add](const char* name, const QString& text,
                                          std::function<void(const TRevisionInfo*)> command) {
        if (command)
            add(name, text, [list, revisionAt, command = std::move(command)] {
                if (const TRevisionInfo* revision = revisionAt(ChosenRow(*list)))
                    command(revision);
            });
    };
    single("miCompareWithPrevious", CompareWithPreviousText,
           std::move(commands.CompareWithPrevious));
    single("miCompareWithWorkingFile", CompareWithWorkingFileText,
           std::move(commands.CompareWithWorkingFile));
    if (commands.CompareSelected && list->selectionMode() == QAbstractItemView::ExtendedSelection) {
        QAction* compare = add("miCompareSelected", CompareSelectedText,
                               [list, revisionAt, command = std::move(commands.CompareSelected)] {
                                   if (const auto pair = SelectedPair(*list, revisionAt))
                                       command(pair->first, pair->second);
                               });
        compare->setShortcut(CompareSelectedShortcut);
        compare->setEnabled(false);
        QObject::connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, compare,
                         [list, revisionAt, compare] {
                             compare->setEnabled(SelectedPair(*list, revisionAt).has_value());
                         });
    }
    single("miShowFileAtRevision", ShowFileText, std::move(commands.ShowFile));
    single("miAnnotate", AnnotateText, std::move(commands.Annotate));
    auto* separator = new QAction(list);
    separator->setSeparator(true);
    list->addAction(separator);
}

} // namespace quillon
