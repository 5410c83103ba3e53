// The About window: the program's name, version and description.
#pragma once

#include <QDialog>

namespace quillon {

class TfrmAbout : public QDialog {
    Q_OBJECT
public:
    explicit TfrmAbout(QWidget* parent = nullptr);
};

} // namespace quillon
