#include "export/tlm_export.h"

#include "channels/channel_table.h"
#include "channels/presentation.h"

namespace kelvanor {

std::string PadRight(std::string_view text, std::size_t width) {
    std::string out(text);
    if (out.size() < width) out.append(width - out.size(), ' ');
    return out;
}

std::string TlmText(const ChannelLabels& labels, const RecordDisplay& display) {
    std::string out;
    out.reserve(64 * 90);
    out.append(kTlmTitle).append("\r\n");
    out.append(54, '=').append("\r\n");
    out.append("\r\n");
    for (std::size_t c = 0; c < kChannelCount; c += 2) {
        out.append(PadRight(labels.name[c], 20));
        out.append(PadRight(display.value[c], 15));
        out.append(PadRight(labels.unit[c], 4));
        out.append(" |  ");
        out.append(PadRight(labels.name[c + 1], 20));
        out.append(PadRight(display.value[c + 1], 15));
        out.append(PadRight(labels.unit[c + 1], 4));
        out.append("\r\n");
    }
    return out;
}

}  // namespace kelvanor
