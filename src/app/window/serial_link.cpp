#include "window/serial_link.h"

namespace kelvanor {

SerialLink::SerialLink(QObject* parent) : QObject(parent) {
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, &SerialLink::TryOpen);
    connect(&m_port, &QSerialPort::readyRead, this, [this] {
        const QByteArray chunk = m_port.readAll();
        if (chunk.isEmpty()) return;
        m_received = true;
        emit Arrival(chunk);
    });
    connect(&m_port, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError e) {
        if (e != QSerialPort::NoError && m_port.isOpen()) Fail(m_port.errorString());
    });
}

void SerialLink::Open(const QString& device, int baud) {
    m_device = device;
    m_baud = baud;
    m_wanted = true;
    m_pauses.Reset();
    TryOpen();
}

void SerialLink::TryOpen() {
    if (!m_wanted) return;
    m_port.setPortName(m_device);
    m_port.setBaudRate(m_baud);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!m_port.open(QIODevice::ReadOnly)) {
        Fail(m_port.errorString());
        return;
    }
    m_received = false;
    emit Connected();
    SetState("Open");
}

void SerialLink::Fail(const QString& reason) {
    if (m_port.isOpen()) m_port.close();
    m_port.clearError();
    QString text = "Error: " + reason;
    if (m_reconnect && m_wanted) {
        if (m_received) m_pauses.Reset();
        const int pause = m_pauses.Next();
        text += QString("; next try in %1 s").arg(pause);
        m_retry.start(pause * 1000);
    }
    SetState(text);
}

void SerialLink::Close() {
    m_wanted = false;
    m_retry.stop();
    if (m_port.isOpen()) m_port.close();
    SetState("Closed");
}

void SerialLink::SetState(const QString& text) {
    if (text == m_state) return;
    m_state = text;
    emit StateChanged(text);
}

}  // namespace kelvanor
