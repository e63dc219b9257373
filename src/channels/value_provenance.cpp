#include "channels/value_provenance.h"

#include <cstdio>
#include <string_view>

#include "channels/channel_table.h"
#include "decode/beacon_decoder.h"
#include "decode/beacon_layout.h"
#include "decode/frame_bytes.h"
#include "decode/number_text.h"

namespace kelvanor {
namespace {

const char* ByteOrder(FieldRead read) {
    switch (read) {
        case FieldRead::U8: return "unsigned";
        case FieldRead::S8: return "signed";
        case FieldRead::U16LE:
        case FieldRead::U32LE: return "little-endian unsigned";
        case FieldRead::U16BE: return "big-endian unsigned";
        case FieldRead::S16BE:
        case FieldRead::S32BE: return "big-endian signed";
        case FieldRead::F64BE: return "big-endian IEEE 754 double";
        case FieldRead::Bit: return "one bit";
    }
    return "";
}

void AppendHexBytes(std::string& out, const BeaconRecord& record, int offset, int length) {
    char buf[4];
    for (int i = 0; i < length; ++i) {
        std::snprintf(buf, sizeof buf, "%02X", record.Frame[static_cast<std::size_t>(offset + i)]);
        if (i > 0) out.push_back(' ');
        out.append(buf);
    }
}

void AppendConversion(std::string& out, const FieldSpec& field, const FrameBytes& frame, char sep) {
    switch (field.scale) {
        case FieldScale::AsRead: out.append("none, the raw field is the value"); return;
        case FieldScale::Multiply:
            out.append("raw * ");
            AppendNumberText(out, field.factor, sep);
            return;
        case FieldScale::Divide:
            out.append("raw / ");
            AppendNumberText(out, field.factor, sep);
            return;
        case FieldScale::RfOutputPower: out.append("raw * 3 / 4096 * 28 / 18"); return;
        case FieldScale::PaTemperature: out.append("(raw * 3 / 4096 - 0.5) * 100"); return;
        case FieldScale::StateOfCharge:
            out.append("state of charge of the battery voltage, raw in mV");
            return;
        case FieldScale::Thermistor:
            out.append("thermistor temperature of the count raw at the battery voltage ");
            AppendNumberText(out, frame.ReadU16LE(kBatteryVoltageOffset), sep);
            out.append(" mV (offset ").append(std::to_string(kBatteryVoltageOffset));
            out.append("), B = ").append(field.batteryThermistor ? "3518" : "3435");
            return;
    }
}

}  // namespace

std::string ValueProvenance(const BeaconRecord& record, int channel, char sep) {
    const ChannelInfo& info = Channel(channel);
    std::string out("Channel ");
    out.append(std::to_string(info.number)).append(": ").append(info.name);
    if (!info.unit.empty()) out.append(" (").append(info.unit).append(")");
    out.push_back('\n');

    const FieldSpec* field = FieldOfChannel(channel);
    if (field == nullptr) {
        out.append("Not read from the frame: the decoder never fills it\n");
        return out;
    }
    FrameBytes frame;
    frame.Load(std::string_view(reinterpret_cast<const char*>(record.Frame.data()), record.Frame.size()));
    const int length = FieldLength(field->read);

    out.append("Frame offset ").append(std::to_string(field->offset)).append(", ");
    out.append(std::to_string(length)).append(length == 1 ? " byte, " : " bytes, ");
    out.append(ByteOrder(field->read));
    if (field->read == FieldRead::Bit) {
        out.append(" (bit ").append(std::to_string(field->bit)).append(", 0 = least significant)");
    }
    out.push_back('\n');

    out.append("Raw field: ");
    AppendHexBytes(out, record, field->offset, length);
    out.append(" = ");
    AppendNumberText(out, ReadField(frame, *field), sep);
    out.push_back('\n');

    out.append("Conversion: ");
    AppendConversion(out, *field, frame, sep);
    out.push_back('\n');

    out.append("Value: ");
    AppendNumberText(out, record.Values[static_cast<std::size_t>(channel)], sep);
    if (!info.unit.empty()) out.append(" ").append(info.unit);
    out.push_back('\n');
    return out;
}

}  // namespace kelvanor
