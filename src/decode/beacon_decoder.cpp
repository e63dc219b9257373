#include "decode/beacon_decoder.h"

#include <algorithm>
#include <optional>

#include "decode/beacon_layout.h"
#include "decode/calibration.h"
#include "decode/frame_bytes.h"
#include "decode/obc_time.h"
#include "decode/record_store.h"
#include "decode/regional_settings.h"

namespace kelvanor {

const char* DescribeStatus(DecodeStatus status) {
    switch (status) {
        case DecodeStatus::Stored: return "stored";
        case DecodeStatus::FrameTooLong: return "frame longer than 255 bytes";
        case DecodeStatus::StoreFull: return "record store full (10000 records)";
        case DecodeStatus::ObcTimeInvalid: return "on-board time out of range";
        case DecodeStatus::BatteryVoltageHigh: return "battery voltage of 32768 mV or more";
        case DecodeStatus::ThermistorInvalid: return "thermistor count or battery voltage invalid";
    }
    return "unknown";
}

double ReadField(const FrameBytes& f, const FieldSpec& field) {
    switch (field.read) {
        case FieldRead::U8: return f.ReadU8(field.offset);
        case FieldRead::S8: return f.ReadS8(field.offset);
        case FieldRead::U16LE: return f.ReadU16LE(field.offset);
        case FieldRead::U16BE: return f.ReadU16BE(field.offset);
        case FieldRead::S16BE: return f.ReadS16BE(field.offset);
        case FieldRead::U32LE: return f.ReadU32LE(field.offset);
        case FieldRead::S32BE: return f.ReadS32BE(field.offset);
        case FieldRead::F64BE: return f.ReadF64BE(field.offset);
        case FieldRead::Bit: return f.ReadBit(field.offset, field.bit);
    }
    return 0;
}

namespace {

// The battery voltage as the 16-bit signed integer the calibrations take.
std::optional<std::int16_t> BatteryVoltage(const FrameBytes& f) {
    double mv = f.ReadU16LE(kBatteryVoltageOffset);
    if (mv > 32767) return std::nullopt;
    return static_cast<std::int16_t>(mv);
}

}  // namespace

DecodeResult DecodeBeacon(const DecodeTarget& target, std::string_view frame) {
    DecodeResult result;
    FrameBytes& f = target.frameBytes;
    if (!f.Load(frame)) {
        result.status = DecodeStatus::FrameTooLong;
        return result;
    }

    std::string& log = target.frameLog;
    log.append(target.rxTimestamp).append(" | ").append(target.hexText);
    log.append("\r\n");

    BeaconRecord* record = target.records.Append();
    // A full store keeps its count at the capacity, so no reader is offered
    // record 10001.
    const std::int32_t count = target.records.RecordCount();
    if (target.upperBound) target.upperBound(count);
    if (record == nullptr) {
        result.status = DecodeStatus::StoreFull;
        return result;
    }
    result.record = count;
    record->RxTime = target.rxTimestamp;
    std::copy_n(f.bytes().begin(), kBeaconLength, record->Frame.begin());

    auto& values = record->Values;
    for (const FieldSpec& field : BeaconLayout()) {
        const auto slot = static_cast<std::size_t>(field.channel);
        if (field.channel == 2) {
            // The on-board time text comes between channel 1 and channel 2.
            double T = f.ReadF64BE(kTaiSecondsOffset);
            auto time = ObcDateTime((T - 37) / 86400 + 0.5);
            if (!time) {
                result.status = DecodeStatus::ObcTimeInvalid;
                result.failedChannel = 2;
                return result;
            }
            // Written in place so the slot's text keeps its capacity.
            std::string& text = record->ObcTime;
            text.clear();
            AppendDate(text, *time, target.regional.shortDatePattern);
            text.push_back(' ');
            AppendTime(text, *time, target.regional.longTimePattern);
        }
        double raw = ReadField(f, field);
        switch (field.scale) {
            case FieldScale::AsRead: values[slot] = raw; break;
            case FieldScale::Multiply: values[slot] = raw * field.factor; break;
            case FieldScale::Divide: values[slot] = raw / field.factor; break;
            case FieldScale::RfOutputPower: values[slot] = raw * 3 / 4096 * 28 / 18; break;
            case FieldScale::PaTemperature: values[slot] = (raw * 3 / 4096 - 0.5) * 100; break;
            case FieldScale::StateOfCharge: {
                auto mv = BatteryVoltage(f);
                if (!mv) {
                    result.status = DecodeStatus::BatteryVoltageHigh;
                    result.failedChannel = field.channel;
                    return result;
                }
                values[slot] = BatteryStateOfCharge(*mv);
                break;
            }
            case FieldScale::Thermistor: {
                auto mv = BatteryVoltage(f);
                std::optional<double> t;
                if (mv) t = ThermistorTemp(static_cast<std::int16_t>(raw), *mv, field.batteryThermistor);
                if (!t) {
                    result.status = DecodeStatus::ThermistorInvalid;
                    result.failedChannel = field.channel;
                    return result;
                }
                values[slot] = *t;
                break;
            }
        }
    }
    return result;
}

}  // namespace kelvanor
