#include "decode/beacon_encoder.h"

#include <bit>
#include <cmath>
#include <stdexcept>

#include "decode/beacon_layout.h"

namespace kelvanor {

namespace {

const FieldSpec* FieldOf(int channel) {
    for (const FieldSpec& f : BeaconLayout()) {
        if (f.channel == channel) return &f;
    }
    return nullptr;
}

}  // namespace

BeaconEncoder::BeaconEncoder() {
    for (std::size_t i = 0; i < kBeaconAddress.size(); ++i) {
        m_bytes[i + 1] = static_cast<std::uint8_t>(kBeaconAddress[i]);
    }
}

void BeaconEncoder::SetByte(int offset, std::uint8_t value) {
    if (offset < 0 || offset >= kBeaconLength) throw std::out_of_range("offset outside the beacon");
    m_bytes[static_cast<std::size_t>(offset)] = value;
}

void BeaconEncoder::SetRaw(int channel, double raw) {
    const FieldSpec* field = FieldOf(channel);
    if (field == nullptr) return;
    auto at = static_cast<std::size_t>(field->offset);
    if (field->read == FieldRead::F64BE) {
        auto bits = std::bit_cast<std::uint64_t>(raw);
        for (int i = 7; i >= 0; --i) {
            m_bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(bits & 0xFF);
            bits >>= 8;
        }
        return;
    }
    auto whole = static_cast<std::int64_t>(std::llround(raw));
    auto u = static_cast<std::uint64_t>(whole);
    switch (field->read) {
        case FieldRead::U8:
        case FieldRead::S8: m_bytes[at] = static_cast<std::uint8_t>(u); break;
        case FieldRead::Bit: {
            auto mask = static_cast<std::uint8_t>(1u << field->bit);
            m_bytes[at] = static_cast<std::uint8_t>(whole != 0 ? (m_bytes[at] | mask)
                                                               : (m_bytes[at] & ~mask));
            break;
        }
        case FieldRead::U16LE:
            m_bytes[at] = static_cast<std::uint8_t>(u);
            m_bytes[at + 1] = static_cast<std::uint8_t>(u >> 8);
            break;
        case FieldRead::U16BE:
        case FieldRead::S16BE:
            m_bytes[at] = static_cast<std::uint8_t>(u >> 8);
            m_bytes[at + 1] = static_cast<std::uint8_t>(u);
            break;
        case FieldRead::U32LE:
            for (std::size_t i = 0; i < 4; ++i) m_bytes[at + i] = static_cast<std::uint8_t>(u >> (8 * i));
            break;
        case FieldRead::S32BE:
            for (std::size_t i = 0; i < 4; ++i) {
                m_bytes[at + i] = static_cast<std::uint8_t>(u >> (8 * (3 - i)));
            }
            break;
        case FieldRead::F64BE: break;
    }
}

int ThermistorCount(double celsius, bool batteryThermistor) {
    double B = batteryThermistor ? 3518 : 3435;
    double r = std::exp(B * (1 / (celsius + 273) - 1 / 298.0));
    double R = 10 * r;
    double count = 4096 * R / (23.2 + R);
    long c = std::lround(count);
    if (c < 1) c = 1;
    if (c > 4095) c = 4095;
    return static_cast<int>(c);
}

void BeaconEncoder::SetValue(int channel, double value) {
    const FieldSpec* field = FieldOf(channel);
    if (field == nullptr) return;
    switch (field->scale) {
        case FieldScale::AsRead: SetRaw(channel, value); break;
        case FieldScale::Multiply: SetRaw(channel, value / field->factor); break;
        case FieldScale::Divide: SetRaw(channel, value * field->factor); break;
        case FieldScale::RfOutputPower: SetRaw(channel, value * 18 / 28 * 4096 / 3); break;
        case FieldScale::PaTemperature: SetRaw(channel, (value / 100 + 0.5) * 4096 / 3); break;
        case FieldScale::Thermistor:
            SetRaw(channel, ThermistorCount(value, field->batteryThermistor));
            break;
        case FieldScale::StateOfCharge:
            throw std::invalid_argument("state of charge follows the battery voltage");
    }
}

std::string BeaconEncoder::Frame() const {
    return std::string(reinterpret_cast<const char*>(m_bytes.data()), m_bytes.size());
}

}  // namespace kelvanor
