// The Charts page of the main window.
#include "fMain.h"

#include <QVBoxLayout>

namespace quillon {

void TfrmMain::CreateChartPage(QVBoxLayout* page) {
    page->addStretch();
}

void TfrmMain::FillChart() {}

} // namespace quillon
