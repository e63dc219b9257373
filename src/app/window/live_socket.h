#pragma once

#include <QObject>
#include <QTcpSocket>
#include <QTimer>

#include "acquire/retry_pause.h"

namespace kelvanor {

// The receive-only TCP client to the KISS server. Its state is reported as
// the numbers 0..9 the state line knows; after the server closes the
// connection or an error, that state stays until the operator closes the
// client, unless reconnection is on: then the connection is tried again
// after a pause (1 s doubling to 60 s) and keepalive probes notice a peer
// that vanished.
class LiveSocket : public QObject {
    Q_OBJECT
public:
    explicit LiveSocket(QObject* parent = nullptr);
    // The socket's last state changes, made while it is destroyed, reach no one.
    ~LiveSocket() override { m_socket.disconnect(this); }

    // Connects to host:port; an empty host or a missing port is an error.
    void Open(const QString& host, int port);
    void Close();
    int State() const;
    QString LastError() const { return m_error; }
    QTcpSocket* socket() { return &m_socket; }
    void SetReconnect(bool on) { m_reconnect = on; }

signals:
    // Everything waiting on the socket, as one arrival.
    void Arrival(const QByteArray& chunk);
    void Failed(const QString& reason);
    // A new connection stands (its stream starts afresh).
    void Connected();
    // The state changed (reconnection: shown at once).
    void StateChanged();

private:
    void Lost();

    QTcpSocket m_socket;
    int m_sticky = -1;  // 8 or 9 once the peer closed or an error occurred
    QString m_error;
    QString m_host;
    int m_port = 0;
    bool m_reconnect = false;
    bool m_open = false;  // the operator wants the connection
    bool m_received = false;
    RetryPause m_pauses;
    QTimer m_retry;
};

// QAbstractSocket's states as 0..9: closed, open (bound), listening,
// resolving host, connecting, connected, peer closing.
int StateNumber(QAbstractSocket::SocketState state);

}  // namespace kelvanor
