#include "window/live_socket.h"

namespace kelvanor {

int StateNumber(QAbstractSocket::SocketState state) {
    switch (state) {
        case QAbstractSocket::UnconnectedState:
            return 0;
        case QAbstractSocket::BoundState:
            return 1;
        case QAbstractSocket::ListeningState:
            return 2;
        case QAbstractSocket::HostLookupState:
            return 4;
        case QAbstractSocket::ConnectingState:
            return 6;
        case QAbstractSocket::ConnectedState:
            return 7;
        case QAbstractSocket::ClosingState:
            return 8;
    }
    return 9;
}

LiveSocket::LiveSocket(QObject* parent) : QObject(parent) {
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, [this] {
        m_sticky = -1;
        if (m_open)
            m_socket.connectToHost(m_host, static_cast<quint16>(m_port), QIODevice::ReadOnly);
    });
    connect(&m_socket, &QTcpSocket::readyRead, this, [this] {
        const QByteArray chunk = m_socket.readAll();
        if (chunk.isEmpty()) return;
        m_received = true;
        emit Arrival(chunk);
    });
    connect(&m_socket, &QTcpSocket::connected, this, [this] {
        m_sticky = -1;
        m_received = false;
        if (m_reconnect) m_socket.setSocketOption(QAbstractSocket::KeepAliveOption, 1);
        emit Connected();
    });
    connect(&m_socket, &QTcpSocket::stateChanged, this, [this] {
        if (m_reconnect) emit StateChanged();
    });
    connect(&m_socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError e) {
        m_sticky = e == QAbstractSocket::RemoteHostClosedError ? 8 : 9;
        m_error = m_socket.errorString();
        Lost();
    });
}

void LiveSocket::Lost() {
    if (m_reconnect && m_open && !m_retry.isActive()) {
        if (m_received) m_pauses.Reset();
        const int pause = m_pauses.Next();
        m_error += QString("; next try in %1 s").arg(pause);
        m_socket.abort();
        m_retry.start(pause * 1000);
    }
    emit Failed(m_error);
}

void LiveSocket::Open(const QString& host, int port) {
    m_sticky = -1;
    m_error.clear();
    m_retry.stop();
    m_pauses.Reset();
    if (host.isEmpty() || port <= 0 || port > 65535) {
        m_sticky = 9;
        m_error = host.isEmpty() ? "no TCP_SERVER in conf.ini" : "no valid TCP_PORT in conf.ini";
        emit Failed(m_error);
        return;
    }
    m_host = host;
    m_port = port;
    m_open = true;
    m_socket.abort();
    m_socket.connectToHost(host, static_cast<quint16>(port), QIODevice::ReadOnly);
}

void LiveSocket::Close() {
    m_open = false;
    m_retry.stop();
    m_socket.abort();
    m_sticky = -1;
}

int LiveSocket::State() const {
    if (m_sticky >= 0 && m_socket.state() != QAbstractSocket::ConnectedState) return m_sticky;
    return StateNumber(m_socket.state());
}

}  // namespace kelvanor
