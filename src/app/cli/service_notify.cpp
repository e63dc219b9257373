#include "service_notify.h"

#include <chrono>

#ifdef KELVANOR_HAVE_SYSTEMD
#include <systemd/sd-daemon.h>
#endif

namespace kelvanor {

namespace {

long long NowUs() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

#ifdef KELVANOR_HAVE_SYSTEMD
ServiceNotifier::ServiceNotifier() {
    uint64_t usec = 0;
    if (sd_watchdog_enabled(0, &usec) > 0) m_intervalUs = static_cast<long long>(usec / 2);
}
void ServiceNotifier::Ready() { sd_notify(0, "READY=1"); }
void ServiceNotifier::Status(const std::string& text) { sd_notify(0, ("STATUS=" + text).c_str()); }
void ServiceNotifier::Stopping() { sd_notify(0, "STOPPING=1"); }
void ServiceNotifier::Alive() {
    if (m_intervalUs <= 0) return;
    const long long now = NowUs();
    if (now - m_lastUs < m_intervalUs) return;
    m_lastUs = now;
    sd_notify(0, "WATCHDOG=1");
}
#else
ServiceNotifier::ServiceNotifier() {
    (void)m_lastUs;
    (void)NowUs;
}
void ServiceNotifier::Ready() {}
void ServiceNotifier::Status(const std::string&) {}
void ServiceNotifier::Stopping() {}
void ServiceNotifier::Alive() {}
#endif

}  // namespace kelvanor
