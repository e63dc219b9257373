// Decodes the simulated pass and prints the first record as the window shows it.
#include <cstdio>
#include <iostream>

#include "acquire/kiss_framing.h"
#include "channels/channel_table.h"
#include "channels/presentation.h"
#include "decode/beacon_decoder.h"
#include "decode/beacon_encoder.h"
#include "sample_pass.h"
#include "session/session.h"

int main() {
    using namespace kelvanor;
    auto session = std::make_unique<Session>();
    int decoded = 0;
    for (const samples::Chunk& chunk : samples::SimulatedPass()) {
        // The chunk is FEND, content, FEND.
        std::string frame = KissUnescape(std::string_view(chunk.bytes).substr(1, chunk.bytes.size() - 2));
        session->currentRxTimestamp = chunk.rxTimestamp;
        session->currentHexText.clear();
        AppendHex(session->currentHexText, std::string_view(frame).substr(1));
        if (frame.size() == kBeaconLength && frame.compare(1, kBeaconAddress.size(), kBeaconAddress) == 0) {
            if (DecodeBeacon(*session, frame).Stored()) ++decoded;
        }
    }
    InitChannelLabels(session->labels);
    ShowRecord(session->records, 1, session->regional, session->display);

    std::printf("%d beacons decoded, %d records stored\n\n", decoded, session->RecordCount());
    std::printf("%s\n%s\n\n", session->display.obcCaption.c_str(), session->display.rxCaption.c_str());
    for (const ChannelInfo& c : ChannelTable()) {
        if (c.page == 0) continue;
        std::printf("%3d  %-20s %-24s %s\n", c.number, session->labels.name[c.number].c_str(),
                    session->display.value[c.number].c_str(), session->labels.unit[c.number].c_str());
    }
    return decoded > 0 ? 0 : 1;
}
