// The text of a file at a revision: read-only, with line numbers in a margin,
// to be saved as it came from the client.
#pragma once

#include <QDialog>
#include <QPlainTextEdit>

#include <functional>
#include <string>

class QLabel;

namespace quillon {

// A read-only text with the number of each line in a margin at its left.
class TNumberedText : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TNumberedText(QWidget* parent = nullptr);
    // The margin's width: the widest line number and a gap.
    int MarginWidth() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    friend class TLineMargin;
    void PaintMargin(QPaintEvent* event);
    void UpdateMargin();

    QWidget* Margin = nullptr;
};

class TfrmFileText : public QDialog {
    Q_OBJECT
public:
    explicit TfrmFileText(QWidget* parent = nullptr);

    // Shows text, a file's bytes, under caption; fileName is what "Save as..."
    // offers.
    void SetText(const QString& caption, const QString& fileName, std::string text);
    const std::string& Text() const { return Bytes; }
    // Replaces the save dialog (tests): returns the chosen file, or an empty
    // text when cancelled.
    void SetFileChooser(std::function<QString()> chooser) { ChooseFile = std::move(chooser); }
    // What the window's status line says.
    QString StatusText() const;

    void miSaveClick();

private:
    std::string Bytes;
    QString FileName;
    std::function<QString()> ChooseFile;
    TNumberedText* mmText = nullptr;
    QLabel* StatusLine = nullptr;
    QAction* miSave = nullptr;
};

} // namespace quillon
