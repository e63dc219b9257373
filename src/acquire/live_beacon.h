#pragma once

#include <string>

namespace kelvanor {

// A beacon decoded from a live arrival, for whoever passes it on: the frame
// as decoded (command byte at offset 0) and its reception time in UTC as
// "yyyy-MM-dd HH:mm:ss.mmm" (the clock's, or the stream's own timestamp);
// empty when a stream's stamp names no instant that text can hold.
struct LiveBeacon {
    std::string frame;
    std::string utc;
};

}  // namespace kelvanor
