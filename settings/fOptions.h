// The Options dialog: the six settings and the folder command.
#pragma once

#include "Settings.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace quillon {

// What the dialog shows and gives back: the six settings and whether the
// folder command is registered.
struct TOptionsValues {
    bool FolderCommand = false;
    TSettings Settings;
};

class TfrmOptions : public QDialog {
    Q_OBJECT
public:
    explicit TfrmOptions(QWidget* parent = nullptr);

    // Replaces the folder-selection dialog (tests). It gets the folder to
    // preselect, or an empty text for none, and returns the chosen folder, or
    // an empty text when cancelled.
    void SetFolderChooser(std::function<QString(const QString& start)> chooser) {
        ChooseFolder = std::move(chooser);
    }

    // Shows values; a lines limit outside the edit's range shows as the
    // nearest bound.
    void SetValues(const TOptionsValues& values);
    TOptionsValues Values() const;

    // Lets the user pick the folder of the CVS executable for edCVS.
    void btnCVSClick();

    QCheckBox* chkOpen = nullptr;
    QLabel* lblCVS = nullptr;
    QLineEdit* edCVS = nullptr;
    QPushButton* btnCVS = nullptr;
    QLabel* lblLinesLimit = nullptr;
    // The number edit and its up-down arrows in one control.
    QSpinBox* edLinesLimit = nullptr;
    QCheckBox* chkInclude = nullptr;
    QLineEdit* edInclude = nullptr;
    QCheckBox* chkExclude = nullptr;
    QLineEdit* edExclude = nullptr;
    QCheckBox* chkCache = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnCancel = nullptr;

private:
    std::function<QString(const QString&)> ChooseFolder;
};

} // namespace quillon
