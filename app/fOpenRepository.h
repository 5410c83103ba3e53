// The Open repository dialog: a CVSROOT, chosen among the last ones used or
// typed, and a module, read without a working folder.
#pragma once

#include "CvsPlace.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace quillon {

class TfrmOpenRepository : public QDialog {
    Q_OBJECT
public:
    explicit TfrmOpenRepository(QWidget* parent = nullptr);

    // Offers roots, the newest first, and shows place (the first root when
    // place has none).
    void SetValues(const QStringList& roots, const TCvsPlace& place);
    // The root and module as typed, without surrounding blanks.
    TCvsPlace Place() const;

    QLabel* lblRoot = nullptr;
    QComboBox* cbxRoot = nullptr; // editable
    QLabel* lblModule = nullptr;
    QLineEdit* edModule = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnCancel = nullptr;

private:
    void UpdateOk();
};

} // namespace quillon
