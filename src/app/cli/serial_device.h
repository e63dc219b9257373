#pragma once

#include <string>

namespace kelvanor {

// Opens a serial device for reading a TNC's KISS stream: raw mode (no echo,
// no line editing, no character translation), 8 data bits, the receiver on,
// modem lines ignored, non-blocking, at `baud`. Returns the descriptor, or
// -1 with `error` set.
int OpenSerialDevice(const std::string& device, int baud, std::string& error);

// Whether the system has a line speed of exactly `baud` bits per second.
bool IsSerialBaud(int baud);

// Splits "DEVICE[:BAUD]"; the part after the last colon is the baud when it
// is all digits. False when the device is empty or the baud is no line speed.
bool SplitDeviceBaud(const std::string& text, std::string& device, int& baud);

}  // namespace kelvanor
