#include "fDiff.h"

namespace quillon {

TfrmDiff::TfrmDiff(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmDiff"));
    setWindowTitle(QStringLiteral("Diff"));
}

} // namespace quillon
