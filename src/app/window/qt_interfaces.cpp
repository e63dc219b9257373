#include "window/qt_interfaces.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>

namespace kelvanor {

bool DialogFileChooser::Choose(const QString& filter, QStringList& paths) {
    QStringList chosen = QFileDialog::getOpenFileNames(m_parent, QString(), m_folder, filter);
    if (chosen.isEmpty()) return false;
    m_folder = QFileInfo(chosen.front()).absolutePath();
    paths = chosen;
    return true;
}

bool DialogFileChooser::ChooseSaveFile(const QString& filter, QString& path) {
    const QString chosen = QFileDialog::getSaveFileName(m_parent, QString(), m_folder, filter);
    if (chosen.isEmpty()) return false;
    m_folder = QFileInfo(chosen).absolutePath();
    path = chosen;
    return true;
}

void BoxMessageSink::Information(const QString& title, const QString& text) {
    if (m_open) return;  // one message at a time; the next one waits its turn
    auto* box = new QMessageBox(QMessageBox::Information, title, text, QMessageBox::Ok, m_parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    m_open = box;
    box->show();
}

AsyncKeyState::AsyncKeyState() {
    if (qApp != nullptr) qApp->installEventFilter(this);
}

int AsyncKeyState::QueryShift() {
    const bool held = QGuiApplication::queryKeyboardModifiers() & Qt::ShiftModifier;
    const int state = (held ? 0x8000 : 0) | (m_shiftPressed ? 1 : 0);
    m_shiftPressed = false;
    return state;
}

int AsyncKeyState::QueryRightButton() {
    const bool held = QGuiApplication::mouseButtons() & Qt::RightButton;
    const int state = (held ? 0x8000 : 0) | (m_rightPressed ? 1 : 0);
    m_rightPressed = false;
    return state;
}

bool AsyncKeyState::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Shift && !key->isAutoRepeat()) m_shiftPressed = true;
    } else if (event->type() == QEvent::MouseButtonPress) {
        if (static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) m_rightPressed = true;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace kelvanor
