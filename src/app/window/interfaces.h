#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <utility>

namespace kelvanor {

// The open-file dialog, behind an interface so tests choose files directly.
class FileChooser {
public:
    virtual ~FileChooser() = default;
    // Returns false when the dialog was cancelled; else the chosen paths.
    virtual bool Choose(const QString& filter, QStringList& paths) = 0;
    // The file to write, from a save dialog; false when cancelled. Without
    // a dialog of its own a chooser hands back the first path it chooses.
    virtual bool ChooseSaveFile(const QString& filter, QString& path) {
        QStringList paths;
        if (!Choose(filter, paths) || paths.isEmpty()) return false;
        path = paths.front();
        return true;
    }
};

// The archive range dialog, behind an interface so tests choose a range
// directly. Times are UTC milliseconds since 1970; a range is from (inclusive)
// to (exclusive).
class RangeChooser {
public:
    virtual ~RangeChooser() = default;
    // `lastPass` is the newest pass in the archive, when it holds one.
    // Returns false when cancelled.
    virtual bool ChooseRange(const std::optional<std::pair<qint64, qint64>>& lastPass,
                             qint64& fromMs, qint64& toMs) = 0;
};

// Message boxes, behind an interface so tests see what would be shown.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void Information(const QString& title, const QString& text) = 0;
};

// The Shift key and the right mouse button, read as "held now" and
// "pressed since the last query" (the 0x8001 state).
class KeyStateSource {
public:
    virtual ~KeyStateSource() = default;
    // The state of Shift, then of the right button, each query clearing its
    // "pressed since" mark: 0x8000 held, 0x0001 pressed since last asked.
    virtual int QueryShift() = 0;
    virtual int QueryRightButton() = 0;
};

}  // namespace kelvanor
