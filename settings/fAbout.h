// The About window: the program's name, version and description, with links
// to the product's web page and a mail to its author.
#pragma once

#include <QDialog>
#include <QUrl>

#include <functional>

class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace quillon {

inline const QString ProductPage = QStringLiteral("https://quillon.example.org/");
inline const QString AuthorMail = QStringLiteral("quillon@example.org");

class TfrmAbout : public QDialog {
    Q_OBJECT
public:
    explicit TfrmAbout(QWidget* parent = nullptr);

    // Replaces the shell's opening of addresses (tests).
    void SetUrlOpener(std::function<void(const QUrl&)> opener) { OpenUrl = std::move(opener); }

    // Opens the product's web page (a click on the title or the icon).
    void lblTitleClick();
    // Starts a mail to the author.
    void lblMailClick();

    QLabel* imgIcon = nullptr;
    QLabel* lblTitle = nullptr;
    QFrame* Bevel1 = nullptr;
    QLabel* lblMail = nullptr;
    QPlainTextEdit* Memo = nullptr;
    QPushButton* btnClose = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::function<void(const QUrl&)> OpenUrl;
};

} // namespace quillon
