#include "ProgramIcon.h"
#include "fAbout.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace quillon;

namespace {

class AboutWindow : public ::testing::Test {
protected:
    void SetUp() override {
        About.SetUrlOpener([this](const QUrl& url) { Opened.append(url); });
        About.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&About));
    }
    TfrmAbout About;
    QList<QUrl> Opened;
};

} // namespace

TEST_F(AboutWindow, ShowsTheProgramItsIconAndDescription) {
    EXPECT_EQ(About.objectName(), "frmAbout");
    EXPECT_EQ(About.windowTitle(), "About");
    EXPECT_EQ(About.size(), QSize(398, 194));
    const Qt::WindowFlags flags = About.windowFlags();
    EXPECT_TRUE(flags & Qt::WindowSystemMenuHint);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);

    EXPECT_EQ(About.imgIcon->geometry(), QRect(8, 8, 33, 33));
    const QPixmap icon = About.imgIcon->pixmap();
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.size(), QSize(32, 32));
    EXPECT_TRUE(ApplicationIcon().availableSizes().contains(QSize(16, 16)));

    EXPECT_EQ(About.lblTitle->text(), "Quillon v" QUILLON_PROJECT_VERSION);
    EXPECT_TRUE(About.lblTitle->font().bold());
    EXPECT_EQ(About.lblTitle->font().pointSize(), 18);
    EXPECT_EQ(About.lblTitle->pos(), QPoint(48, 8));
    EXPECT_GE(About.lblTitle->height(), 29);
    EXPECT_GE(About.lblTitle->width(), About.lblTitle->sizeHint().width());
    EXPECT_EQ(About.lblTitle->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_TRUE(About.lblTitle->alignment() & Qt::AlignVCenter);

    EXPECT_EQ(About.Bevel1->frameShape(), QFrame::HLine);
    EXPECT_EQ(About.Bevel1->pos(), QPoint(8, 48));
    EXPECT_EQ(About.Bevel1->width(), 381);

    EXPECT_EQ(About.lblMail->text(), "Mail author: " + AuthorMail);
    EXPECT_FALSE(AuthorMail.isEmpty());
    EXPECT_EQ(About.lblMail->pos(), QPoint(8, 57));
    EXPECT_TRUE(About.lblMail->font().underline());
    EXPECT_EQ(About.lblMail->palette().color(QPalette::WindowText), QColor(0, 0, 128));
    EXPECT_EQ(About.lblMail->cursor().shape(), Qt::PointingHandCursor);

    EXPECT_EQ(About.Memo->toPlainText().split('\n'),
              QStringList({"Freeware CVS log viewer that requires CVS executable installed.",
                           "Browse files in repository, file revisions, whole history,",
                           "charts displaying commits and changes number and differences in",
                           "any selected revision."}));
    EXPECT_TRUE(About.Memo->isReadOnly());
    EXPECT_EQ(About.Memo->frameShape(), QFrame::NoFrame);
    EXPECT_EQ(About.Memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(About.Memo->palette().color(QPalette::Base), QColor(Qt::white));
    EXPECT_EQ(About.Memo->geometry(), QRect(8, 80, 381, 77));

    EXPECT_EQ(About.btnClose->text(), "Close");
    EXPECT_EQ(About.btnClose->geometry(), QRect(314, 164, 75, 25));

    // Growing the window stretches the bevel and the memo and moves the button.
    About.resize(498, 244);
    ASSERT_TRUE(QTest::qWaitFor([&] { return About.btnClose->x() == 414; }));
    EXPECT_EQ(About.Bevel1->width(), 481);
    EXPECT_EQ(About.Memo->geometry(), QRect(8, 80, 481, 127));
    EXPECT_EQ(About.btnClose->geometry(), QRect(414, 214, 75, 25));
    EXPECT_EQ(About.lblTitle->pos(), QPoint(48, 8));
    EXPECT_EQ(About.lblMail->pos(), QPoint(8, 57));
}

TEST_F(AboutWindow, TitleIconAndMailOpenTheirAddresses) {
    QTest::mouseClick(About.lblTitle, Qt::LeftButton);
    QTest::mouseClick(About.imgIcon, Qt::LeftButton);
    QTest::mouseClick(About.lblMail, Qt::LeftButton);
    // Other buttons and other places open nothing.
    QTest::mouseClick(About.lblTitle, Qt::RightButton);
    QTest::mouseClick(About.Memo->viewport(), Qt::LeftButton);
    ASSERT_EQ(Opened.size(), 3);
    EXPECT_EQ(Opened[0], QUrl(ProductPage));
    EXPECT_EQ(Opened[1], QUrl(ProductPage));
    EXPECT_EQ(Opened[2], QUrl("mailto:" + AuthorMail));
    EXPECT_EQ(Opened[0].scheme(), "https");
    EXPECT_TRUE(About.isVisible());
}

TEST_F(AboutWindow, EscapeCloseAndTheCloseBoxCloseItAndItReopensTheSame) {
    About.hide();
    const std::pair<const char*, std::function<void()>> ways[] = {
        {"Escape", [&] { QTest::keyClick(About.focusWidget(), Qt::Key_Escape); }},
        {"Close button", [&] { QTest::mouseClick(About.btnClose, Qt::LeftButton); }},
        {"close box", [&] { About.close(); }},
        {"Enter on Close", [&] { QTest::keyClick(About.btnClose, Qt::Key_Return); }},
    };
    for (const auto& [name, close] : ways) {
        About.open();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&About)) << name;
        EXPECT_EQ(About.focusWidget(), About.btnClose) << name;
        EXPECT_EQ(About.lblTitle->text(), "Quillon v" QUILLON_PROJECT_VERSION) << name;
        QSignalSpy finished(&About, &QDialog::finished);
        close();
        ASSERT_TRUE(QTest::qWaitFor([&] { return finished.count() == 1; }, 2000)) << name;
        EXPECT_EQ(finished.front().front().toInt(), QDialog::Rejected) << name;
        // Focus elsewhere must not carry over to the next opening.
        About.Memo->setFocus();
    }
}
