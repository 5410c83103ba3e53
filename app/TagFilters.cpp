#include "TagFilters.h"

#include "CellText.h"
#include "Selectors.h"
#include "WorkerPool.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QToolButton>
#include <QVBoxLayout>

namespace quillon {

namespace {

constexpr int BranchSelectorWidth = 153;
constexpr int TagSelectorWidth = 180;
constexpr int TagsMaxVisible = 20;
// The branch selector's entries before the branch names.
constexpr int AllBranchesEntry = 0;
constexpr int TrunkEntry = 1;
const QString RangeCaption = QStringLiteral("Changes between tags");
const QString RemoveRangeTip = QStringLiteral("Remove the range");
const QChar RemoveMark(0x2715); // multiplication X

std::string Bytes(const QString& text) {
    return text.toStdString();
}

} // namespace

QString TagTexts::RangeText(const QString& from, const QString& to) {
    const QString target = to.isEmpty() ? Newest : QStringLiteral("tag %1").arg(to);
    return from.isEmpty() ? QStringLiteral("Changes up to %1").arg(target)
                          : QStringLiteral("Changes from tag %1 to %2").arg(from, target);
}

TfrmTagRange::TfrmTagRange(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmTagRange"));
    setWindowTitle(RangeCaption);
    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    auto selector = [this](const char* name) {
        auto* box = new TOwnerDrawnSelector(this);
        box->setObjectName(QString::fromLatin1(name));
        box->setMaxVisibleItems(TagsMaxVisible);
        box->setMinimumWidth(TagSelectorWidth);
        return box;
    };
    cbxFrom = selector("cbxFrom");
    cbxTo = selector("cbxTo");
    row->addWidget(new QLabel(QStringLiteral("Changes from tag"), this));
    row->addWidget(cbxFrom, 1);
    row->addWidget(new QLabel(QStringLiteral("to tag"), this));
    row->addWidget(cbxTo, 1);
    layout->addLayout(row);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

void TfrmTagRange::SetTags(const std::vector<TNameEntry>& names, const QString& from,
                           const QString& to) {
    cbxFrom->clear();
    cbxTo->clear();
    cbxFrom->addItem(TagTexts::NoTag);
    cbxTo->addItem(TagTexts::Newest);
    for (const TNameEntry& name : names) {
        if (name.IsBranch)
            continue;
        const QString text = CellText(name.Name);
        cbxFrom->addItem(text, QString::fromStdString(std::string(name.Name)));
        cbxTo->addItem(text, QString::fromStdString(std::string(name.Name)));
    }
    cbxFrom->setCurrentIndex(std::max(0, cbxFrom->findData(from)));
    cbxTo->setCurrentIndex(std::max(0, cbxTo->findData(to)));
}

QString TfrmTagRange::From() const {
    return cbxFrom->currentData().toString();
}

QString TfrmTagRange::To() const {
    return cbxTo->currentData().toString();
}

TTagFilters::TTagFilters(QWidget* window, std::function<bool()> mayStart)
    : QObject(window), Window(window), MayStart(std::move(mayStart)) {
    setObjectName(QStringLiteral("TagFilters"));
    cbxBranches = new TOwnerDrawnSelector(window);
    cbxBranches->setObjectName(QStringLiteral("cbxBranches"));
    cbxBranches->setMaxVisibleItems(TagsMaxVisible);
    cbxBranches->setFixedWidth(BranchSelectorWidth);
    connect(cbxBranches, &QComboBox::activated, this, [this](int entry) {
        if (MayStart())
            SetBranch(entry);
    });

    btnRange = new QToolButton(window);
    btnRange->setObjectName(QStringLiteral("btnRange"));
    btnRange->setAutoRaise(true);
    btnRange->setToolTip(RemoveRangeTip);
    btnRange->hide();
    connect(btnRange, &QToolButton::clicked, this, [this] {
        if (MayStart())
            RemoveRange();
    });

    miRange = new QAction(QStringLiteral("Changes between &tags..."), this);
    miRange->setObjectName(QStringLiteral("miRange"));
    connect(miRange, &QAction::triggered, this, [this] {
        if (MayStart() && Table)
            ShowRangeDialog();
    });
}

void TTagFilters::Fill(TRCSFileTablePtr table) {
    Clear();
    Table = std::move(table);
    if (!Table)
        return;
    cbxBranches->addItem(TagTexts::AllBranches);
    cbxBranches->addItem(TagTexts::Trunk);
    for (const TNameEntry& name : Table->Names())
        if (name.IsBranch)
            cbxBranches->addItem(CellText(name.Name),
                                 QString::fromStdString(std::string(name.Name)));
    cbxBranches->setCurrentIndex(AllBranchesEntry);
}

void TTagFilters::Clear() {
    ++BranchGeneration;
    ++RangeGeneration;
    Table.reset();
    Branch.reset();
    Range.reset();
    RangeSet = false;
    RangeFrom.clear();
    RangeTo.clear();
    cbxBranches->clear();
    btnRange->hide();
}

void TTagFilters::Apply(TFilter& filter) const {
    filter.Branch = Branch;
    filter.Range = Range;
}

void TTagFilters::SetBranch(int entry) {
    cbxBranches->setCurrentIndex(entry);
    if (entry <= AllBranchesEntry) {
        ++BranchGeneration;
        Branch.reset();
        emit changed();
        return;
    }
    if (entry == TrunkEntry)
        return Select([](const TRCSFileTable& table) { return SelectTrunk(table); },
                      &TTagFilters::Branch, &TTagFilters::BranchGeneration);
    const std::string name = Bytes(cbxBranches->itemData(entry).toString());
    Select([name](const TRCSFileTable& table) { return SelectBranch(table, name); },
           &TTagFilters::Branch, &TTagFilters::BranchGeneration);
}

void TTagFilters::SetRange(const QString& from, const QString& to) {
    RangeSet = !from.isNull() || !to.isNull();
    RangeFrom = from;
    RangeTo = to;
    btnRange->setVisible(RangeSet);
    btnRange->setText(RangeSet ? TagTexts::RangeText(from, to) + QLatin1Char(' ') + RemoveMark
                               : QString());
    if (!RangeSet) {
        ++RangeGeneration;
        Range.reset();
        emit changed();
        return;
    }
    Select([from = Bytes(from),
            to = Bytes(to)](const TRCSFileTable& table) { return SelectRange(table, from, to); },
           &TTagFilters::Range, &TTagFilters::RangeGeneration);
}

void TTagFilters::Select(std::function<TRevisionSelection(const TRCSFileTable&)> work,
                         std::shared_ptr<const TRevisionSelection> TTagFilters::*store,
                         int TTagFilters::*generationOf) {
    if (!Table)
        return;
    const int generation = ++(this->*generationOf);
    QPointer<TTagFilters> self(this);
    WorkerPool().start(
        [self, generation, store, generationOf, table = Table, work = std::move(work)] {
            std::shared_ptr<const TRevisionSelection> selection;
            QString error;
            try {
                selection = std::make_shared<const TRevisionSelection>(work(*table));
            } catch (const std::exception& e) {
                error = QString::fromLocal8Bit(e.what());
            }
            QMetaObject::invokeMethod(
                self,
                [self, generation, store, generationOf, selection, error] {
                    if (!self || generation != self->*generationOf)
                        return;
                    if (!selection)
                        return emit self->failed(QStringLiteral("Error: %1").arg(error));
                    self->*store = selection;
                    emit self->changed();
                },
                Qt::QueuedConnection);
        });
}

void TTagFilters::ShowRangeDialog() {
    if (!frmTagRange)
        frmTagRange = new TfrmTagRange(Window);
    frmTagRange->SetTags(Table->Names(), RangeFrom, RangeTo);
    if (frmTagRange->exec() == QDialog::Accepted)
        SetRange(frmTagRange->From(), frmTagRange->To());
}

} // namespace quillon
