#pragma once

#include <QObject>
#include <QSerialPort>
#include <QTimer>

#include "acquire/retry_pause.h"

namespace kelvanor {

// A KISS TNC on a serial device, read raw at the configured baud. Its
// arrivals take the same road as the TCP client's. A device that fails or
// goes away closes the link; with reconnection on, it is opened again after
// a pause (1 s doubling to 60 s).
class SerialLink : public QObject {
    Q_OBJECT
public:
    explicit SerialLink(QObject* parent = nullptr);
    ~SerialLink() override { m_port.disconnect(this); }

    void Open(const QString& device, int baud);
    void Close();
    bool IsOpen() const { return m_port.isOpen(); }
    void SetReconnect(bool on) { m_reconnect = on; }
    // "Closed", "Open", or what went wrong (with the next try when there is one).
    QString StateText() const { return m_state; }

signals:
    void Arrival(const QByteArray& chunk);
    void Connected();
    void StateChanged(const QString& text);

private:
    void TryOpen();
    void Fail(const QString& reason);
    void SetState(const QString& text);

    QSerialPort m_port;
    QString m_device;
    int m_baud = 9600;
    bool m_reconnect = false;
    bool m_wanted = false;
    bool m_received = false;
    QString m_state = "Closed";
    RetryPause m_pauses;
    QTimer m_retry;
};

}  // namespace kelvanor
