#include "RowOpening.h"

#include <QAbstractItemView>
#include <QKeyEvent>

namespace quillon {

namespace {

// Calls its action for Enter, with or without the keypad modifier, and
// nothing else.
class TEnterFilter : public QObject {
public:
    TEnterFilter(QObject* parent, std::function<void()> action)
        : QObject(parent), Action(std::move(action)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
                (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
                Action();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> Action;
};

} // namespace

void OnRowOpened(QAbstractItemView& list, std::function<void()> open) {
    QObject::connect(&list, &QAbstractItemView::doubleClicked, &list, [open] { open(); });
    list.installEventFilter(new TEnterFilter(&list, [&list, open] {
        if (list.currentIndex().isValid())
            open();
    }));
}

} // namespace quillon
