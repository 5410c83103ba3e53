// The Options dialog: the six settings and the folder command.
#pragma once

#include <QDialog>

namespace quillon {

class TfrmOptions : public QDialog {
    Q_OBJECT
public:
    explicit TfrmOptions(QWidget* parent = nullptr);
};

} // namespace quillon
