#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kelvanor {

struct FrameRoad;

// How the source wrote a frame's reception time, so that it can be written
// the same way again: the recorder's "yyyy-MM-dd HH:mm:ss.mmm UTC", a
// SatNOGS log's "yyyy-MM-dd HH:mm:ss", or a numeric timestamp record's
// regional date and time.
enum class RxTimeForm : std::uint8_t { Recorder = 0, Satnogs = 1, Numeric = 2 };

// One frame an acquisition road took.
struct TakenFrame {
    std::string_view bytes;            // command byte at offset 0; a beacon is 201 bytes
    std::optional<std::int64_t> rxMs;  // UTC milliseconds since 1970, when the source tells it
    RxTimeForm form = RxTimeForm::Recorder;
    bool beacon = false;         // handed to the decoder
    std::uint64_t position = 0;  // byte offset in a recording, line in a log, 0 live
};

// Where the roads report every frame they take, besides decoding it (the
// station's archive). Frames come between BeginSource and EndSource; a live
// arrival handled in the middle of an import nests inside the file's source.
class FrameTap {
public:
    virtual ~FrameTap() = default;
    virtual void BeginSource(const std::string& source) = 0;
    virtual void Take(const TakenFrame& frame) = 0;
    virtual void EndSource() = 0;

    // The last numeric timestamp record: the text it made and its count.
    std::string numericText;
    std::int64_t numericMs = 0;
};

// UTC milliseconds of "yyyy-MM-dd HH:mm:ss" with an optional ".mmm" (the
// date may also be separated by "T"); nothing for any other text.
std::optional<std::int64_t> UtcMilliseconds(std::string_view text);

// Reports `bytes` to the road's tap, if it has one, with the reception time
// its current RX timestamp names.
void TapFrame(const FrameRoad& road, std::string_view bytes, bool beacon, std::uint64_t position);

}  // namespace kelvanor
