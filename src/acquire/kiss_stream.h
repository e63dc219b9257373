#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "acquire/live_beacon.h"

namespace kelvanor {

struct FrameRoad;
class UtcClock;

// Cuts a KISS byte stream into frames at FEND bytes, across arrivals: a
// frame split over two arrivals is joined, several frames in one arrival
// are each handled. A timestamp frame (0x09, numeric or text form, read as
// the recording reader reads it) stamps the data frames after it instead of
// the clock. A data frame is decoded when it passes the recording file's
// test: 201 bytes, command byte 0x00 and the beacon address.
class KissStream {
public:
    // The longest piece kept while waiting for its closing FEND; a longer
    // one is no frame of this system and is dropped up to the next FEND.
    static constexpr std::size_t kLongestPiece = 1u << 16;

    struct Cut {
        int frames = 0;            // data frames completed
        std::vector<int> records;  // record numbers the beacons among them were stored as
        std::vector<LiveBeacon> beacons;  // those beacons, with their reception times
    };

    // Feeds one arrival; every frame it completes goes down the road.
    Cut Feed(const FrameRoad& road, std::string_view bytes, const UtcClock& clock);

    // True while no frame is open and no stamp of the stream waits for its
    // data frame: a timestamp record may be put into a recording here
    // without cutting a frame in two or parting a stamp from its frame.
    bool AtBoundary() const { return m_piece.empty() && !m_dropping && !m_stampWaits; }

    // The recorder wrote its own timestamp record: the frames after it carry
    // its time until the stream sends its next stamp, as a reader of the
    // recording sees them.
    void Stamp(const std::string& rxTimestamp) {
        m_stamp = rxTimestamp;
        m_stampUtc = rxTimestamp.substr(0, kUtcLength);
        m_stamped = true;
    }

    // A new connection: the open frame and the stream's stamp are dropped.
    void Reset();

private:
    void HandlePiece(const FrameRoad& road, std::string_view piece, const UtcClock& clock,
                     Cut& cut);

    std::string m_piece;      // bytes after the last FEND, still escaped
    bool m_seenFend = false;  // bytes before the first FEND belong to no frame
    bool m_dropping = false;  // inside an over-long piece
    static constexpr std::size_t kUtcLength = 23;  // "yyyy-MM-dd HH:mm:ss.mmm"

    std::string m_stamp;      // the stream's last timestamp, when it sent one
    std::string m_stampUtc;   // its instant as UTC text, or empty
    bool m_stamped = false;
    bool m_stampWaits = false;  // the stream's stamp came, its data frame not yet
    std::string m_frame;        // work space for un-escaping
};

}  // namespace kelvanor
