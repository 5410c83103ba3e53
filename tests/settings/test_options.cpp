#include "fOptions.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace quillon;

namespace {

// The direct child of window that holds the keyboard focus.
QString FocusedControl(QWidget* window) {
    QWidget* focus = QApplication::focusWidget();
    while (focus && focus->parentWidget() != window)
        focus = focus->parentWidget();
    return focus ? focus->objectName() : QString();
}

// The dialog by itself, shown at its smallest size.
class OptionsDialog : public ::testing::Test {
protected:
    void SetUp() override {
        Dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Dialog));
    }
    TfrmOptions Dialog;
};

} // namespace

TEST_F(OptionsDialog, HasItsControlsTextsAndPlaces) {
    EXPECT_EQ(Dialog.objectName(), "frmOptions");
    EXPECT_EQ(Dialog.windowTitle(), "Options");
    EXPECT_EQ(Dialog.size(), QSize(423, 256));
    EXPECT_EQ(Dialog.font().pointSize(), 8);

    struct TControl {
        const char* Name;
        QString Text;
        QRect Rect;
        QRect Resized; // after growing the dialog by 100 × 50
    };
    const TControl controls[] = {
        {"chkOpen", "Open folders with Quillon", {8, 10, 406, 17}, {8, 10, 506, 17}},
        {"lblCVS", "CVS executable path", {8, 32, 100, 13}, {8, 32, 100, 13}},
        {"edCVS", "", {8, 48, 385, 21}, {8, 48, 485, 21}},
        {"btnCVS", "...", {393, 48, 21, 21}, {493, 48, 21, 21}},
        {"lblLinesLimit", "Number of lines to consider as few", {8, 80, 165, 13}, {8, 80, 165, 13}},
        {"edLinesLimit", "0", {8, 96, 406, 21}, {8, 96, 506, 21}},
        {"chkInclude",
         "Include files (use ; to separate filters)",
         {8, 122, 406, 17},
         {8, 122, 506, 17}},
        {"edInclude", "", {8, 144, 405, 21}, {8, 144, 505, 21}},
        {"chkExclude",
         "Exclude files (use ; to separate filters)",
         {8, 170, 406, 17},
         {8, 170, 506, 17}},
        {"edExclude", "", {8, 192, 405, 21}, {8, 192, 505, 21}},
        {"btnOk", "OK", {259, 223, 75, 25}, {359, 273, 75, 25}},
        {"btnCancel", "Cancel", {339, 223, 75, 25}, {439, 273, 75, 25}},
    };
    // Labels grow to their text where their box is too small for it.
    auto expectPlaced = [&](QWidget* widget, const QRect& rect) {
        const std::string name = widget->objectName().toStdString();
        if (qobject_cast<QLabel*>(widget)) {
            EXPECT_EQ(widget->pos(), rect.topLeft()) << name;
            EXPECT_EQ(widget->size(), rect.size().expandedTo(widget->sizeHint())) << name;
        } else {
            EXPECT_EQ(widget->geometry(), rect) << name;
        }
    };
    for (const TControl& control : controls) {
        auto* widget = Dialog.findChild<QWidget*>(QString::fromLatin1(control.Name));
        ASSERT_NE(widget, nullptr) << control.Name;
        EXPECT_EQ(widget->parentWidget(), &Dialog) << control.Name;
        QString text;
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            text = button->text();
        else if (auto* label = qobject_cast<QLabel*>(widget))
            text = label->text();
        else if (auto* edit = qobject_cast<QLineEdit*>(widget))
            text = edit->text();
        else if (auto* spin = qobject_cast<QSpinBox*>(widget))
            text = spin->text();
        EXPECT_EQ(text, control.Text) << control.Name;
        expectPlaced(widget, control.Rect);
    }
    EXPECT_EQ(Dialog.findChild<QWidget*>(QStringLiteral("udLinesLimit")), nullptr);
    EXPECT_EQ(Dialog.edLinesLimit->minimum(), 0);
    EXPECT_EQ(Dialog.edLinesLimit->maximum(), 100);
    EXPECT_EQ(Dialog.edLinesLimit->singleStep(), 1);
    EXPECT_TRUE(Dialog.btnOk->isDefault());
    EXPECT_FALSE(Dialog.btnCancel->isDefault());

    // The controls keep their distances to the edges they are anchored to.
    Dialog.resize(523, 306);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Dialog.btnOk->x() == 359; }));
    for (const TControl& control : controls)
        expectPlaced(Dialog.findChild<QWidget*>(QString::fromLatin1(control.Name)),
                     control.Resized);
    // It does not shrink below its base size.
    EXPECT_EQ(Dialog.minimumSize(), QSize(423, 256));
}

TEST_F(OptionsDialog, TabsThroughItsControlsInRowOrder) {
    Dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Dialog));
    Dialog.chkOpen->setFocus();
    QStringList order{FocusedControl(&Dialog)};
    for (int i = 0; i < 11; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order.append(FocusedControl(&Dialog));
    }
    EXPECT_EQ(order, QStringList({"chkOpen", "edCVS", "btnCVS", "edLinesLimit", "chkInclude",
                                  "edInclude", "chkExclude", "edExclude", "chkCache", "btnOk",
                                  "btnCancel", "chkOpen"}));
}

TEST_F(OptionsDialog, ClosesWithOkOnlyThroughOkOrEnter) {
    Dialog.hide();
    struct TWay {
        const char* Name;
        std::function<void()> Close;
        int Result;
    };
    const TWay ways[] = {
        {"OK button", [&] { QTest::mouseClick(Dialog.btnOk, Qt::LeftButton); }, QDialog::Accepted},
        {"Enter in an edit", [&] { QTest::keyClick(Dialog.edInclude, Qt::Key_Return); },
         QDialog::Accepted},
        {"Enter in the number", [&] { QTest::keyClick(Dialog.edLinesLimit, Qt::Key_Return); },
         QDialog::Accepted},
        {"Cancel button", [&] { QTest::mouseClick(Dialog.btnCancel, Qt::LeftButton); },
         QDialog::Rejected},
        {"Escape", [&] { QTest::keyClick(Dialog.edCVS, Qt::Key_Escape); }, QDialog::Rejected},
        {"close box", [&] { Dialog.close(); }, QDialog::Rejected},
    };
    for (const TWay& way : ways) {
        Dialog.open();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Dialog)) << way.Name;
        QSignalSpy finished(&Dialog, &QDialog::finished);
        way.Close();
        ASSERT_TRUE(QTest::qWaitFor([&] { return finished.count() == 1; }, 2000)) << way.Name;
        EXPECT_EQ(finished.front().front().toInt(), way.Result) << way.Name;
        EXPECT_FALSE(Dialog.isVisible()) << way.Name;
    }
}

TEST_F(OptionsDialog, NumberEditTakesOnlyValuesOfItsRange) {
    Dialog.edLinesLimit->setValue(500);
    EXPECT_EQ(Dialog.edLinesLimit->value(), 100);
    Dialog.edLinesLimit->setValue(-3);
    EXPECT_EQ(Dialog.edLinesLimit->value(), 0);
    Dialog.edLinesLimit->setValue(42);
    Dialog.edLinesLimit->setFocus();
    Dialog.edLinesLimit->selectAll();
    QTest::keyClicks(Dialog.edLinesLimit, QStringLiteral("250")); // "25" taken, "0" refused
    EXPECT_EQ(Dialog.edLinesLimit->value(), 25);
    QTest::keyClick(Dialog.edLinesLimit, Qt::Key_Up);
    EXPECT_EQ(Dialog.edLinesLimit->value(), 26);
}

TEST_F(OptionsDialog, FolderButtonPreselectsAnExistingFolderOnly) {
    QTemporaryDir existing;
    QStringList starts;
    QString choice;
    Dialog.SetFolderChooser([&](const QString& start) {
        starts.append(start);
        return choice;
    });

    Dialog.edCVS->setText(existing.path());
    QTest::mouseClick(Dialog.btnCVS, Qt::LeftButton);
    EXPECT_EQ(Dialog.edCVS->text(), existing.path()); // cancelled

    Dialog.edCVS->setText(QStringLiteral("/no/such/folder"));
    Dialog.btnCVSClick();
    EXPECT_EQ(Dialog.edCVS->text(), "/no/such/folder");

    Dialog.edCVS->clear();
    choice = existing.path();
    Dialog.btnCVSClick();
    EXPECT_EQ(Dialog.edCVS->text(), existing.path());
    EXPECT_EQ(starts, QStringList({existing.path(), QString(), QString()}));
}

TEST_F(OptionsDialog, FolderButtonOpensTheFolderSelection) {
    QTemporaryDir existing;
    Dialog.edCVS->setText(existing.path());
    QString title, folder;
    bool dirsOnly = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* chooser = qobject_cast<QFileDialog*>(widget);
                chooser && chooser->isVisible()) {
                title = chooser->windowTitle();
                folder = chooser->directory().absolutePath();
                dirsOnly = chooser->testOption(QFileDialog::ShowDirsOnly) &&
                           chooser->fileMode() == QFileDialog::Directory;
                chooser->reject();
            }
    });
    poll.start(20);
    Dialog.btnCVSClick();
    poll.stop();
    EXPECT_EQ(title, "Select CVS executable folder");
    EXPECT_EQ(folder, QDir(existing.path()).absolutePath());
    EXPECT_TRUE(dirsOnly);
    EXPECT_EQ(Dialog.edCVS->text(), existing.path());
}
