// The patch window: a commit's changes as one read-only unified patch, added
// and removed lines coloured, to be saved as a .patch file or copied.
#pragma once

#include <QColor>
#include <QDialog>

#include <functional>
#include <string>

class QAction;
class QLabel;
class QPlainTextEdit;

namespace quillon {

// The background of added and removed lines, the colour of hunk headers and
// of a file's failure.
inline const QColor PatchAddedColor(0xd7, 0xf5, 0xd7);
inline const QColor PatchRemovedColor(0xf8, 0xd8, 0xd8);
inline const QColor PatchHunkColor(0x00, 0x00, 0xa0);
inline const QColor PatchFailureColor(0xc0, 0x00, 0x00);

class TfrmPatch : public QDialog {
    Q_OBJECT
public:
    explicit TfrmPatch(QWidget* parent = nullptr);

    // Shows text, a patch, under caption.
    void SetPatch(const QString& caption, std::string text);
    const std::string& Patch() const { return Text; }
    // Replaces the save dialog (tests): returns the chosen file, or an empty
    // text when cancelled.
    void SetFileChooser(std::function<QString()> chooser) { ChooseFile = std::move(chooser); }
    // What the window's status line says.
    QString StatusText() const;

    void miSaveClick();
    void miCopyClick();

private:
    std::string Text;
    std::function<QString()> ChooseFile;
    QPlainTextEdit* mmPatch = nullptr;
    QLabel* StatusLine = nullptr;
    QAction* miSave = nullptr;
    QAction* miCopy = nullptr;
};

} // namespace quillon
