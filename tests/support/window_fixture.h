#pragma once

// The main window on its own session in a fresh folder, with the file dialog,
// the message boxes and the keys stood in for by the test.
#include <QtTest>
#include <QtWidgets>
#include <functional>
#include <memory>

#include "acquire/kiss_framing.h"
#include "session/session.h"
#include "support/plausible_beacon.h"
#include "support/temp_dir.h"
#include "window/main_window.h"

namespace kelvanor::testing {

// A plausible beacon of packet number `packet` as it comes over a KISS link.
inline QByteArray Wire(int packet) {
    return QByteArray::fromStdString(KissFrame(PlausibleBeacon(packet).Frame()));
}

class WindowFixture : public FileChooser, public MessageSink, public KeyStateSource {
protected:
    QStringList chosen, shown;  // the dialog's answer; the boxes shown
    bool cancel = false;
    int shift = 0, right = 0;  // 0x8000 held, 0x0001 pressed since the last query
    bool Choose(const QString&, QStringList& paths) override {
        if (!cancel) paths = chosen;
        return !cancel;
    }
    void Information(const QString& t, const QString& s) override { shown << t + ": " + s; }
    int QueryShift() override { return std::exchange(shift, shift & 0x8000); }
    int QueryRightButton() override { return std::exchange(right, right & 0x8000); }

    std::unique_ptr<QTemporaryDir> dir = std::make_unique<QTemporaryDir>();
    std::unique_ptr<Session> session;
    std::unique_ptr<MainWindow> window;

    // Starts the program with `confIni` in the folder (none when null) on a new
    // session; `beforeLoad` sets the window up before its Form_Load.
    void Start(const QByteArray& confIni, const std::function<void(MainWindow&)>& beforeLoad = {}) {
        window.reset();
        shown.clear();
        session = std::make_unique<Session>();
        QFile::remove(dir->filePath("conf.ini"));
        if (!confIni.isNull())
            WriteFile(dir->filePath("conf.ini").toStdString(), confIni.toStdString());
        window = std::make_unique<MainWindow>(*session, *this, *this, *this,
                                              dir->path().toStdString() + "/");
        if (beforeLoad) beforeLoad(*window);
        window->Form_Load();
        window->show();
    }
    template <typename T = QLineEdit>
    T* Find(const QString& name) {
        return window->findChild<T*>(name);
    }
    QString Text(const QString& box) { return Find(box)->text(); }
};

}  // namespace kelvanor::testing
