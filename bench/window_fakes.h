#pragma once

// Stand-ins for the window's dialog, message and key interfaces in the
// benchmarks: the dialog always returns one chosen file.
#include <QString>
#include <QStringList>
#include <cstdio>

#include "window/interfaces.h"

namespace kelvanor::bench {

class OneFile final : public FileChooser {
public:
    bool Choose(const QString&, QStringList& paths) override {
        paths = {path};
        return true;
    }
    QString path;
};

// Messages go to standard error, so a benchmark run shows them.
class PrintedMessages final : public MessageSink {
public:
    void Information(const QString&, const QString& text) override {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
};

class NoKeys final : public KeyStateSource {
public:
    int QueryShift() override { return 0; }
    int QueryRightButton() override { return 0; }
};

}  // namespace kelvanor::bench
