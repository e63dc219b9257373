#pragma once

#include <QApplication>
#include <QMouseEvent>
#include <QWheelEvent>

namespace kelvanor::testing {

// Mouse events sent straight to a widget, with the buttons held spelled out,
// so a press, drag and release reach it as from the operator's hand.
inline void Mouse(QWidget* w, QEvent::Type type, QPointF pos, Qt::MouseButton button,
                  Qt::MouseButtons held) {
    QMouseEvent e(type, pos, w->mapToGlobal(pos), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

inline void Click(QWidget* w, QPointF pos, Qt::MouseButton button = Qt::LeftButton) {
    Mouse(w, QEvent::MouseButtonPress, pos, button, button);
    Mouse(w, QEvent::MouseButtonRelease, pos, button, Qt::NoButton);
}

// `notches` turns of the wheel away from the operator (negative: towards).
inline void Wheel(QWidget* w, QPointF pos, int notches, Qt::KeyboardModifiers mods = {}) {
    QWheelEvent e(pos, w->mapToGlobal(pos), QPoint(), QPoint(0, 120 * notches), Qt::NoButton, mods,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
}

// The pointer leaves the widget.
inline void Leave(QWidget* w) {
    QEvent e(QEvent::Leave);
    QApplication::sendEvent(w, &e);
}

}  // namespace kelvanor::testing
