#pragma once

#include <QObject>
#include <QPointer>

#include "window/interfaces.h"

class QWidget;

namespace kelvanor {

// The real open-file dialog: multiple selection, the given filter. Every
// dialog starts in the folder of the file chosen last (open or save).
class DialogFileChooser final : public FileChooser {
public:
    explicit DialogFileChooser(QWidget* parent) : m_parent(parent) {}
    bool Choose(const QString& filter, QStringList& paths) override;
    bool ChooseSaveFile(const QString& filter, QString& path) override;

private:
    QWidget* m_parent;
    QString m_folder;  // empty before the first choice: the working folder
};

// Non-blocking message boxes: the event loop (and the socket) keep running
// while one is shown, and at most one is shown at a time.
class BoxMessageSink final : public MessageSink {
public:
    explicit BoxMessageSink(QWidget* parent) : m_parent(parent) {}
    void Information(const QString& title, const QString& text) override;

private:
    QWidget* m_parent;
    QPointer<QWidget> m_open;
};

// Watches the application's events for Shift and right-button presses.
class AsyncKeyState final : public QObject, public KeyStateSource {
public:
    AsyncKeyState();
    int QueryShift() override;
    int QueryRightButton() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool m_shiftPressed = false;
    bool m_rightPressed = false;
};

}  // namespace kelvanor
