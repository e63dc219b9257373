#include "window/live_socket.h"

namespace kelvanor {

int StateNumber(QAbstractSocket::SocketState state) {
    switch (state) {
        case QAbstractSocket::UnconnectedState: return 0;
        case QAbstractSocket::BoundState: return 1;
        case QAbstractSocket::ListeningState: return 2;
        case QAbstractSocket::HostLookupState: return 4;
        case QAbstractSocket::ConnectingState: return 6;
        case QAbstractSocket::ConnectedState: return 7;
        case QAbstractSocket::ClosingState: return 8;
    }
    return 9;
}

LiveSocket::LiveSocket(QObject* parent) : QObject(parent) {
    connect(&m_socket, &QTcpSocket::readyRead, this, [this] {
        const QByteArray chunk = m_socket.readAll();
        if (!chunk.isEmpty()) emit Arrival(chunk);
    });
    connect(&m_socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError e) {
        m_sticky = e == QAbstractSocket::RemoteHostClosedError ? 8 : 9;
        m_error = m_socket.errorString();
        emit Failed(m_error);
    });
}

void LiveSocket::Open(const QString& host, int port) {
    m_sticky = -1;
    m_error.clear();
    if (host.isEmpty() || port <= 0 || port > 65535) {
        m_sticky = 9;
        m_error = host.isEmpty() ? "no TCP_SERVER in conf.ini" : "no valid TCP_PORT in conf.ini";
        emit Failed(m_error);
        return;
    }
    m_socket.abort();
    m_socket.connectToHost(host, static_cast<quint16>(port), QIODevice::ReadOnly);
}

void LiveSocket::Close() {
    m_socket.abort();
    m_sticky = -1;
}

int LiveSocket::State() const {
    if (m_sticky >= 0 && m_socket.state() != QAbstractSocket::ConnectedState) return m_sticky;
    return StateNumber(m_socket.state());
}

}  // namespace kelvanor
