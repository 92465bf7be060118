// The wheel filter of drop-downs, number fields and sliders.
#include "ui/wheel_guard.h"

#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QEvent>
#include <QWidget>

namespace orvex {

namespace {

// Ignoring a wheel event and stopping it here lets Qt hand it to the parent,
// as for any widget that does not use the wheel: up to the scrolled page.
class WheelGuard : public QObject {
  public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Wheel) return false;
        auto* control = static_cast<QWidget*>(watched);
        if (control->hasFocus()) return false;
        event->ignore();
        return true;
    }
};

bool TakesTheWheel(const QWidget* widget) {
    return qobject_cast<const QComboBox*>(widget) != nullptr ||
           qobject_cast<const QAbstractSpinBox*>(widget) != nullptr ||
           qobject_cast<const QAbstractSlider*>(widget) != nullptr;
}

}  // namespace

void KeepWheelForFocusedControls(QWidget* root) {
    // One filter per root, kept with it; a second call reuses it.
    const QString name = QStringLiteral("wheel guard");
    QObject* guard = root->findChild<QObject*>(name, Qt::FindDirectChildrenOnly);
    if (guard == nullptr) {
        guard = new WheelGuard(root);
        guard->setObjectName(name);
    }
    for (QWidget* widget : root->findChildren<QWidget*>()) {
        if (!TakesTheWheel(widget)) continue;
        // Scroll bars belong to the page's scrolling itself.
        if (widget->inherits("QScrollBar")) continue;
        // Strong focus leaves out the wheel: turning it over a control no
        // longer gives the control the focus (and with it the wheel).
        widget->setFocusPolicy(Qt::StrongFocus);
        widget->installEventFilter(guard);
    }
}

}  // namespace orvex
