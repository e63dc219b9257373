#pragma once

#include <QObject>
#include <QTcpSocket>

namespace kelvanor {

// The receive-only TCP client to the KISS server. Its state is reported as
// the numbers 0..9 the state line knows; after the server closes the
// connection or an error, that state stays until the operator closes the
// client (no automatic reconnect).
class LiveSocket : public QObject {
    Q_OBJECT
public:
    explicit LiveSocket(QObject* parent = nullptr);

    // Connects to host:port; an empty host or a missing port is an error.
    void Open(const QString& host, int port);
    void Close();
    int State() const;
    QString LastError() const { return m_error; }
    QTcpSocket* socket() { return &m_socket; }

signals:
    // Everything waiting on the socket, as one arrival.
    void Arrival(const QByteArray& chunk);
    void Failed(const QString& reason);

private:
    QTcpSocket m_socket;
    int m_sticky = -1;  // 8 or 9 once the peer closed or an error occurred
    QString m_error;
};

// QAbstractSocket's states as 0..9: closed, open (bound), listening,
// resolving host, connecting, connected, peer closing.
int StateNumber(QAbstractSocket::SocketState state);

}  // namespace kelvanor
