#include "serial_device.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace kelvanor {

namespace {

struct Speed {
    int baud;
    speed_t code;
};

constexpr Speed kSpeeds[] = {
    {1200, B1200},     {2400, B2400},     {4800, B4800},     {9600, B9600},
    {19200, B19200},   {38400, B38400},   {57600, B57600},   {115200, B115200},
    {230400, B230400}, {460800, B460800}, {921600, B921600},
};

bool SpeedCode(int baud, speed_t& code) {
    for (const Speed& s : kSpeeds) {
        if (s.baud == baud) {
            code = s.code;
            return true;
        }
    }
    return false;
}

}  // namespace

bool IsSerialBaud(int baud) {
    speed_t code;
    return SpeedCode(baud, code);
}

bool SplitDeviceBaud(const std::string& text, std::string& device, int& baud) {
    device = text;
    const std::size_t colon = text.rfind(':');
    if (colon != std::string::npos && colon + 1 < text.size() && colon + 8 >= text.size() &&
        text.find_first_not_of("0123456789", colon + 1) == std::string::npos) {
        device = text.substr(0, colon);
        baud = std::stoi(text.substr(colon + 1));
    }
    return !device.empty() && IsSerialBaud(baud);
}

int OpenSerialDevice(const std::string& device, int baud, std::string& error) {
    speed_t code;
    if (!SpeedCode(baud, code)) {
        error = "no line speed of " + std::to_string(baud) + " baud";
        return -1;
    }
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = "cannot open " + device + ": " + std::strerror(errno);
        return -1;
    }
    termios t{};
    if (::tcgetattr(fd, &t) != 0) {
        error = device + " is no serial device: " + std::strerror(errno);
        ::close(fd);
        return -1;
    }
    ::cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cflag &= ~(CSTOPB | CRTSCTS);
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    if (::cfsetispeed(&t, code) != 0 || ::cfsetospeed(&t, code) != 0 ||
        ::tcsetattr(fd, TCSANOW, &t) != 0) {
        error = "cannot set " + device + " to " + std::to_string(baud) +
                " baud: " + std::strerror(errno);
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace kelvanor
