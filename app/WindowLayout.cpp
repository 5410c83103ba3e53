#include "WindowLayout.h"

#include "Settings.h"

#include <QComboBox>
#include <QEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>

namespace quillon {

namespace {

const QString GeometryKey = QStringLiteral("Geometry");
const QString MaximizedKey = QStringLiteral("Maximized");
// The selectors whose entry is remembered: the chart kind.
const QStringList RememberedSelectors = {QStringLiteral("cbxChart")};
// How much of a window must lie on a screen, in pixels each way.
constexpr int MinimumOnScreen = 48;

// The named children of type T whose state is kept: those of window itself,
// not of the windows it owns.
template <typename T> QList<T*> Named(const QWidget& window) {
    QList<T*> named;
    for (T* child : window.findChildren<T*>())
        if (!child->objectName().isEmpty() && child->window() == &window)
            named.append(child);
    return named;
}

// A stored index that selects one of count entries, or -1.
int StoredIndex(const QSettings& store, const QString& key, int count) {
    bool ok = false;
    const int index = store.value(key).toInt(&ok);
    return ok && index >= 0 && index < count ? index : -1;
}

// Writes the layout when the window it watches is hidden by the program.
class TLayoutKeeper : public QObject {
public:
    TLayoutKeeper(QWidget& window, TLayoutParts parts) : QObject(&window), Parts(parts) {
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Hide && !event->spontaneous())
            SaveLayout(static_cast<QWidget&>(*watched), Parts, *OpenSettingsStore());
        return false;
    }

private:
    TLayoutParts Parts;
};

} // namespace

bool IsOnAScreen(const QRect& rect) {
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect shown = rect.intersected(screen->availableGeometry());
        if (shown.width() >= MinimumOnScreen && shown.height() >= MinimumOnScreen)
            return true;
    }
    return false;
}

void SaveLayout(const QWidget& window, TLayoutParts parts, QSettings& store) {
    store.beginGroup(LayoutGroup + QLatin1Char('/') + window.objectName());
    store.setValue(GeometryKey, window.normalGeometry());
    store.setValue(MaximizedKey, window.isMaximized());
    if (parts == TLayoutParts::All) {
        for (const QSplitter* splitter : Named<QSplitter>(window))
            store.setValue(splitter->objectName(), splitter->saveState());
        for (const QTableView* list : Named<QTableView>(window))
            store.setValue(list->objectName(), list->horizontalHeader()->saveState());
        for (const QTabWidget* pages : Named<QTabWidget>(window))
            store.setValue(pages->objectName(), pages->currentIndex());
        for (const QComboBox* selector : Named<QComboBox>(window))
            if (RememberedSelectors.contains(selector->objectName()))
                store.setValue(selector->objectName(), selector->currentIndex());
    }
    store.endGroup();
    store.sync();
}

void RestoreLayout(QWidget& window, TLayoutParts parts, QSettings& store) {
    store.beginGroup(LayoutGroup + QLatin1Char('/') + window.objectName());
    const QVariant geometry = store.value(GeometryKey);
    if (geometry.typeId() == QMetaType::QRect && IsOnAScreen(geometry.toRect())) {
        window.setGeometry(geometry.toRect());
        if (store.value(MaximizedKey).toBool())
            window.setWindowState(window.windowState() | Qt::WindowMaximized);
    }
    if (parts == TLayoutParts::All) {
        for (QSplitter* splitter : Named<QSplitter>(window))
            splitter->restoreState(store.value(splitter->objectName()).toByteArray());
        for (QTableView* list : Named<QTableView>(window))
            list->horizontalHeader()->restoreState(store.value(list->objectName()).toByteArray());
        for (QTabWidget* pages : Named<QTabWidget>(window))
            if (const int index = StoredIndex(store, pages->objectName(), pages->count());
                index >= 0)
                pages->setCurrentIndex(index);
        for (QComboBox* selector : Named<QComboBox>(window))
            if (RememberedSelectors.contains(selector->objectName()))
                if (const int index = StoredIndex(store, selector->objectName(), selector->count());
                    index >= 0)
                    selector->setCurrentIndex(index);
    }
    store.endGroup();
}

void KeepLayout(QWidget& window, TLayoutParts parts) {
    RestoreLayout(window, parts, *OpenSettingsStore());
    new TLayoutKeeper(window, parts);
}

} // namespace quillon
