// Live reception under load: with 9000 records already stored, a KISS server
// thread sends 20 beacons a second for 50 seconds (past the full store) to
// the window's TCP client. Every arrival is decoded, recorded, shown and
// charted; the program reports the longest gap between ticks of a 10 ms
// timer, i.e. the longest time the event loop was blocked.
//   kelvanor_live_burst [SECONDS [RATE]]
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

#include "acquire/kiss_framing.h"
#include "sample_pass.h"
#include "session/session.h"
#include "window/main_window.h"
#include "window_fakes.h"

using namespace kelvanor;

using bench::NoKeys;
using bench::OneFile;
using NoMessages = bench::PrintedMessages;

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 50;
    const int rate = argc > 2 ? std::atoi(argv[2]) : 20;

    QTemporaryDir dir;
    OneFile files;
    files.path = QDir(dir.path()).filePath("stored.kss");
    {
        const std::string bytes = samples::SimulatedRecording(9000);
        QFile f(files.path);
        f.open(QIODevice::WriteOnly);
        f.write(bytes.data(), static_cast<qint64>(bytes.size()));
    }
    std::vector<std::string> beacons;
    for (const samples::Chunk& c : samples::SimulatedPass(200)) {
        if (c.beacon) beacons.push_back(c.bytes);
    }

    // The server: one client, one frame per write, `rate` frames a second.
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener, 1) != 0) {
        std::perror("listen");
        return 1;
    }
    socklen_t length = sizeof address;
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    const int port = ntohs(address.sin_port);
    std::atomic<int> sent{0};
    std::thread server([&] {
        const int client = accept(listener, nullptr, nullptr);
        auto next = std::chrono::steady_clock::now();
        const int total = seconds * rate;
        for (int i = 0; i < total; ++i) {
            const std::string& frame = beacons[static_cast<std::size_t>(i) % beacons.size()];
            if (write(client, frame.data(), frame.size()) != static_cast<ssize_t>(frame.size())) break;
            ++sent;
            next += std::chrono::microseconds(1000000 / rate);
            std::this_thread::sleep_until(next);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        close(client);
    });

    const std::string conf = "TCP_SERVER=127.0.0.1\r\nTCP_PORT=" + std::to_string(port) + "\r\n";
    QFile confFile(QDir(dir.path()).filePath("conf.ini"));
    confFile.open(QIODevice::WriteOnly);
    confFile.write(conf.data(), static_cast<qint64>(conf.size()));
    confFile.close();

    auto session = std::make_unique<Session>();
    NoMessages messages;
    NoKeys keys;
    MainWindow window(*session, files, messages, keys, dir.path().toStdString() + "/");
    window.Form_Load();
    window.show();
    window.MnuOpenKISSFile_Click();
    std::printf("stored before the burst: %d records\n", session->RecordCount());

    const int before = session->RecordCount();
    QElapsedTimer clock;
    qint64 last = 0, longest = 0;
    QTimer tick;
    tick.setInterval(10);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        if (now - last > longest) longest = now - last;
        last = now;
    });
    clock.start();
    tick.start();
    window.findChild<QCheckBox*>("Check5")->click();
    QTimer::singleShot((seconds + 2) * 1000, &app, &QCoreApplication::quit);
    app.exec();
    server.join();
    close(listener);

    std::size_t logLines = 0;
    for (char c : session->frameLog) logLines += c == '\n';
    std::printf("frames sent: %d, beacons decoded live (log lines): %zu, records: %d -> %d "
                "(the store holds 10000)\n",
                sent.load(), logLines - static_cast<std::size_t>(before), before,
                session->RecordCount());
    std::printf("longest event-loop gap: %lld ms\n", static_cast<long long>(longest));
    return longest <= 100 ? 0 : 1;
}
