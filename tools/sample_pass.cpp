#include "sample_pass.h"

#include <cmath>
#include <cstdint>

#include "acquire/kiss_framing.h"
#include "acquire/recording_writer.h"
#include "decode/beacon_encoder.h"
#include "decode/regional_settings.h"

namespace kelvanor::samples {

namespace {

// A small linear congruential generator, so the sample is the same on every
// machine and every run.
class Noise {
public:
    double Next() {  // in [-1, 1)
        m_state = m_state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(m_state >> 11) / 4503599627370496.0 - 1.0;
    }

private:
    std::uint64_t m_state = 0x4B454C56414E4F52ULL;
};

constexpr double kPi = 3.14159265358979323846;
constexpr double kStartTai = 660000037.5;  // 2020-11-29 21:20:00 on board
constexpr double kStep = 2.0;               // seconds between beacons

std::string RxText(double secondsSinceStart) {
    // The ground clock runs 1.2 s behind the beacon's time stamp plus jitter.
    long long ms = std::llround((secondsSinceStart + 1.2) * 1000);
    long long total = 21 * 3600 * 1000LL + 20 * 60 * 1000LL + ms;
    CivilDateTime t;
    t.year = 2020;
    t.month = 11;
    t.day = 29 + static_cast<int>(total / 86400000);
    long long inDay = total % 86400000;
    t.hour = static_cast<int>(inDay / 3600000);
    t.minute = static_cast<int>(inDay / 60000 % 60);
    t.second = static_cast<int>(inDay / 1000 % 60);
    std::string out;
    AppendDate(out, t, "yyyy-MM-dd");
    out.push_back(' ');
    AppendTime(out, t, "HH:mm:ss");
    char msText[5];
    int m = static_cast<int>(inDay % 1000);
    msText[0] = '.';
    msText[1] = static_cast<char>('0' + m / 100);
    msText[2] = static_cast<char>('0' + m / 10 % 10);
    msText[3] = static_cast<char>('0' + m % 10);
    msText[4] = '\0';
    out.append(msText);
    out.append(" UTC");
    return out;
}

std::string Beacon(int i, Noise& noise) {
    BeaconEncoder b;
    const double t = i * kStep;
    const bool eclipse = i < 110;
    const double sunAge = eclipse ? 0 : (i - 110) * kStep;  // seconds in sunlight

    b.SetRaw(0, 48213 + i);
    b.SetTaiSeconds(kStartTai + t);
    int mode = i < 200 ? 4 : (i < 285 ? 3 : 4);  // SCIENCE, CHARGING, SCIENCE
    b.SetRaw(2, mode);

    // Battery: sags in eclipse, recovers under charge.
    double mv = eclipse ? 7820 - 0.9 * i : 7721 + 0.55 * (i - 110);
    b.SetBatteryMillivolts(static_cast<int>(std::lround(mv + 3 * noise.Next())));
    b.SetRaw(4, eclipse ? 1 : 0);
    b.SetRaw(6, eclipse ? 0 : 1);
    b.SetRaw(7, mode == 4 ? 1 : 0);
    b.SetRaw(8, 1);
    b.SetRaw(9, 1);
    b.SetRaw(10, i < 112 || i > 118 ? 1 : 0);  // attitude briefly invalid at eclipse exit
    b.SetRaw(11, i < 150 ? 0 : 1);              // SUN POINT, then FINE REF POINT
    b.SetRaw(12, 0);
    b.SetRaw(13, eclipse ? 0 : 1);
    b.SetRaw(14, i < 112 || i > 118 ? 0 : 1);  // OK / PENDING
    b.SetRaw(15, eclipse ? 7 : (i < 114 ? 3 : (i < 120 ? 5 : 6)));
    b.SetRaw(16, 1);
    b.SetRaw(17, 0b10110000 | (eclipse ? 0 : 0b0101));
    b.SetRaw(18, 0b11111111);

    for (int ch = 19; ch <= 24; ++ch) {
        double pv = eclipse ? 0.08 : 5.1 + 0.9 * std::sin(sunAge / 40 + ch) + 0.02 * noise.Next();
        b.SetValue(ch, pv);
    }
    b.SetRaw(25, 17);
    int accepted = 143 + (i >= 240 ? 1 : 0) + (i >= 262 ? 1 : 0);
    b.SetRaw(26, accepted);
    b.SetRaw(27, i >= 251 ? 3 : 2);
    b.SetRaw(28, i >= 240 ? 3 : 5);  // EPS after the pass's first command, else UHF
    b.SetRaw(29, eclipse && i > 60 ? 1 : 0);  // heater during the cold end of eclipse
    b.SetRaw(30, 1);
    b.SetRaw(31, 1);
    b.SetRaw(32, 1);
    b.SetRaw(33, 0);
    b.SetRaw(34, 1);
    b.SetRaw(35, 1);
    b.SetRaw(36, 1);
    b.SetRaw(37, 0);
    b.SetRaw(38, 3);
    b.SetRaw(39, 4);
    b.SetRaw(40, 0);
    b.SetRaw(41, 2);
    b.SetRaw(42, 0);
    b.SetRaw(43, 1);
    b.SetRaw(44, 0);
    b.SetRaw(45, 1);
    b.SetRaw(46, 0);

    // Temperatures: the panels cool in eclipse and warm quickly in the sun.
    double panel = eclipse ? 8 - 0.22 * i : -16.2 + 52 * (1 - std::exp(-sunAge / 150));
    b.SetValue(47, panel + 0.3 * noise.Next());
    b.SetValue(48, 17.5 - (eclipse ? 0.02 * i : 2.2 - 0.015 * (i - 110)));
    b.SetValue(49, panel - 2 + 0.3 * noise.Next());
    b.SetValue(50, 17.9 - (eclipse ? 0.02 * i : 2.2 - 0.015 * (i - 110)));
    b.SetValue(51, panel + 1.5 + 0.3 * noise.Next());
    b.SetValue(53, 24.5 + 0.2 * noise.Next());
    b.SetValue(54, 22.1 + 0.004 * i);

    auto mA = [&](int ch, double value) { b.SetValue(ch, value + 0.5 * noise.Next()); };
    auto volts = [&](int ch, double value) { b.SetValue(ch, value + 0.003 * noise.Next()); };
    mA(55, 112);
    volts(56, 3.31);
    mA(57, 64);
    volts(58, 3.30);
    mA(59, i % 15 == 0 ? 410 : 38);
    volts(60, 5.02);
    mA(61, eclipse ? 0 : 180);
    volts(62, eclipse ? 0.1 : 5.3);
    b.SetValue(63, eclipse ? 0 : 55);
    b.SetValue(64, eclipse ? 0 : 57);
    volts(65, eclipse ? 0.1 : 5.2);
    mA(66, eclipse ? 0 : 172);
    volts(67, eclipse ? 0.1 : 5.25);
    mA(68, eclipse ? -310 : 420 - 0.8 * (i - 110));
    volts(69, mv / 1000);
    mA(70, eclipse && i > 60 ? 260 : 0);
    volts(71, eclipse && i > 60 ? 7.6 : 0);
    mA(72, i < 150 ? 145 : 190);
    volts(73, 3.29);
    mA(74, 0);
    b.SetValue(75, 0.1);
    b.SetValue(76, 0.1);
    mA(77, 96);
    volts(78, 3.32);
    mA(79, 820);
    mA(80, 0);

    b.SetRaw(81, 2);
    b.SetRaw(82, 21 + i / 60);
    b.SetRaw(83, 23 + i / 60);
    b.SetRaw(84, 0);
    b.SetRaw(85, 1);
    b.SetRaw(86, 1);
    b.SetRaw(87, 170);
    b.SetRaw(88, 1);
    b.SetValue(89, 0.0);
    b.SetValue(90, 19.5 + 0.01 * i);
    b.SetValue(91, 12.25);
    b.SetValue(92, 12.5);
    b.SetValue(93, 21.0 + 0.005 * i);
    b.SetRaw(94, i >= 240 ? 0x1A : 0x10);
    b.SetValue(95, 19.2 + 0.01 * i);
    b.SetValue(96, 19.6 + 0.01 * i);
    b.SetValue(97, 18.9 + 0.01 * i);
    b.SetRaw(98, i >= 251 && i < 262 ? 1 : 0);  // one rejected command: BAD APID
    b.SetRaw(99, i >= 251 ? 1 : 0);
    b.SetRaw(100, accepted);
    b.SetRaw(101, i >= 251 ? 3 : 2);
    b.SetRaw(102, i >= 240 ? 3 : 5);
    b.SetRaw(103, i >= 262 ? 12 : (i >= 240 ? 7 : 1));
    b.SetRaw(104, i >= 251 ? 9 : 4);
    b.SetRaw(105, i >= 251 ? 33 : 2);

    // A circular orbit at 500 km, inclination 97.4 degrees, seen in an
    // Earth-fixed frame (the Earth's turn adds a slow drift in longitude).
    const double r = 6878.137;
    const double n = 2 * kPi / 5677.0;
    const double inc = 97.4 * kPi / 180;
    const double earth = 7.2921159e-5;
    const double u = 0.6 + n * t;
    const double lon = 1.1 - earth * t;
    const double xo = r * std::cos(u), yo = r * std::sin(u);
    const double x = xo * std::cos(lon) - yo * std::cos(inc) * std::sin(lon);
    const double y = xo * std::sin(lon) + yo * std::cos(inc) * std::cos(lon);
    const double z = yo * std::sin(inc);
    const double dt = 1.0;  // velocity by a one-second difference
    const double u2 = u + n * dt, lon2 = lon - earth * dt;
    const double xo2 = r * std::cos(u2), yo2 = r * std::sin(u2);
    const double x2 = xo2 * std::cos(lon2) - yo2 * std::cos(inc) * std::sin(lon2);
    const double y2 = xo2 * std::sin(lon2) + yo2 * std::cos(inc) * std::cos(lon2);
    const double z2 = yo2 * std::sin(inc);
    b.SetValue(106, x);
    b.SetValue(107, y);
    b.SetValue(108, z);
    b.SetValue(109, (x2 - x) / dt);
    b.SetValue(110, (y2 - y) / dt);
    b.SetValue(111, (z2 - z) / dt);

    const double sunAngle = 0.3 + 0.0004 * t;
    b.SetValue(112, eclipse ? 0 : 0.96 * std::cos(sunAngle));
    b.SetValue(113, eclipse ? 0 : 0.96 * std::sin(sunAngle));
    b.SetValue(114, eclipse ? 0 : 0.28);
    b.SetValue(115, 22.4 + 0.8 * std::round(noise.Next()));
    b.SetValue(116, 12.5 + 0.01 * i);
    b.SetValue(117, 26.0 + 0.004 * i);
    return b.Frame();
}

// A frame from another station on the same channel, which the importer must
// pass over.
std::string OtherStationFrame(int i) {
    std::string frame(1, '\0');
    frame.append("APRS  0DL9XYZ0");
    frame.append("\x03\xF0", 2);
    frame.append("=4807.38N/01131.00E-test beacon ");
    frame.append(std::to_string(i));
    return frame;
}

}  // namespace

std::vector<Chunk> SimulatedPass(int beacons) {
    Noise noise;
    std::vector<Chunk> chunks;
    chunks.reserve(static_cast<std::size_t>(beacons + beacons / 40 + 1));
    for (int i = 0; i < beacons; ++i) {
        if (i % 40 == 17) {
            chunks.push_back({RxText(i * kStep - 0.9), KissFrame(OtherStationFrame(i)), false});
        }
        chunks.push_back({RxText(i * kStep + 0.001 * std::round(80 * noise.Next())),
                          KissFrame(Beacon(i, noise)), true});
    }
    return chunks;
}

std::string SimulatedRecording(int beacons) {
    std::string out;
    for (const Chunk& c : SimulatedPass(beacons)) out.append(RecordingEntry(c.rxTimestamp, c.bytes));
    return out;
}

std::string SimulatedSatnogsLog(int beacons) {
    std::string out = "timestamp|frame\n";
    for (const Chunk& c : SimulatedPass(beacons)) {
        if (!c.beacon) continue;
        // FEND, command byte, escaped frame, FEND: the frame without the command byte.
        const std::string frame = KissUnescape(std::string_view(c.bytes).substr(2, c.bytes.size() - 3));
        out.append(c.rxTimestamp, 0, 19).push_back('|');
        AppendHex(out, frame);
        out.push_back('\n');
    }
    return out;
}

}  // namespace kelvanor::samples
