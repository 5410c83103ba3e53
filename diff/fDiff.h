// The comparison window: a revision and its predecessor side by side.
#pragma once

#include <QDialog>

namespace quillon {

class TfrmDiff : public QDialog {
    Q_OBJECT
public:
    explicit TfrmDiff(QWidget* parent = nullptr);
};

} // namespace quillon
