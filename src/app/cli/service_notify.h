#pragma once

#include <string>

namespace kelvanor {

// Tells the service manager about the recorder, when it runs under one and
// the program was built with libsystemd; otherwise does nothing.
class ServiceNotifier {
public:
    ServiceNotifier();
    void Ready();
    void Status(const std::string& text);
    void Stopping();
    // Keeps the watchdog alive; call it at least once a second.
    void Alive();

private:
    long long m_intervalUs = 0;  // half the watchdog time; 0 without a watchdog
    long long m_lastUs = 0;
};

}  // namespace kelvanor
