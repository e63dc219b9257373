"""The KELVANOR beacon declared with the construct library, the way
multi-satellite decoders declare their frames: consecutive typed fields
over the 201-byte frame (KISS command byte, AX.25 header, telemetry), with
the calibrations as adapters. Used to compare decoding speed with the
program's own decoder; run with Debian's python3 (package python3-construct).
"""
import math

from construct import (BitStruct, Bytes, Computed, ExprAdapter, Flag, Float64b, Int8sb,
                       Int8ub, Int16sb, Int16ub, Int16ul, Int32sb, Int32ul, Padding, Struct)

FEND, FESC, TFEND, TFESC = 0xC0, 0xDB, 0xDC, 0xDD
ADDRESS = b"XQ9RL 0XQ9MVT0"


def Scaled(subcon, factor):
    return ExprAdapter(subcon, lambda raw, ctx: raw * factor, None)


def Divided(subcon, divisor):
    return ExprAdapter(subcon, lambda raw, ctx: raw / divisor, None)


def battery_int16(millivolts):
    if millivolts > 32767:
        raise ValueError("battery voltage of 32768 mV or more")
    return millivolts


def thermistor(count, millivolts, b):
    v_bat = battery_int16(millivolts)
    v = v_bat * count / 4096
    r = (v * 23.2) / (v_bat - v) / 10
    return 1 / (math.log(r) * (1 / b) + 1 / 298.0) - 273


def Thermistor(subcon, b):
    return ExprAdapter(subcon, lambda raw, ctx: thermistor(raw, ctx.battery_mv, b), None)


def state_of_charge(millivolts):
    v = battery_int16(millivolts)
    p = ((((1.22771418718033e-14 * v ** 5 - 4.41608192983084e-10 * v ** 4)
           + 6.32168367565161e-06 * v ** 3) - 0.045004731757696 * v ** 2)
         + 159.33699766522 * v) - 224480.553788959
    return round(p * 100) / 100


Beacon = Struct(
    "header" / Bytes(16),
    "ch0" / Int32ul,
    "ch1" / Divided(Float64b, 1000),
    "ch2" / Int8ub,
    "battery_mv" / Int16ul,
    "ch3" / Computed(lambda ctx: ctx.battery_mv / 1000),
    "ch5" / Computed(lambda ctx: state_of_charge(ctx.battery_mv)),
    "ch4" / Int8ub,
    Padding(1),
    "ch6" / Int8ub,
    "ch7" / Int8ub,
    "ch8" / Int8ub,
    "ch9" / Int8ub,
    "ch10" / Int8ub,
    "ch11" / Int8ub,
    "ch12" / Int8ub,
    "ch13" / Int8ub,
    "ch14" / Int8ub,
    "ch15" / Int8ub,
    "ch16" / Int8ub,
    "ch17" / Int8ub,
    "ch18" / Int8ub,
    "ch19" / Scaled(Int16ub, 1e-3),
    "ch20" / Scaled(Int16ub, 1e-3),
    "ch21" / Scaled(Int16ub, 1e-3),
    "ch22" / Scaled(Int16ub, 1e-3),
    "ch23" / Scaled(Int16ub, 1e-3),
    "ch24" / Scaled(Int16ub, 1e-3),
    "ch25" / Int8ub,
    "ch26" / Int8ub,
    "ch27" / Int8ub,
    "ch28" / Int8ub,
    "flags" / BitStruct("ch36" / Flag, "ch35" / Flag, "ch34" / Flag, "ch33" / Flag, "ch32" / Flag, "ch31" / Flag, "ch30" / Flag, "ch29" / Flag),
    "ch37" / Int8ub,
    "ch38" / Int8ub,
    "ch39" / Int8ub,
    "ch40" / Int8ub,
    "ch41" / Int8ub,
    "ch42" / Int8ub,
    "ch43" / Int8ub,
    "ch44" / Int8ub,
    "ch45" / Int8ub,
    "ch46" / Int8ub,
    "ch47" / Thermistor(Int16sb, 3435),
    "ch48" / Thermistor(Int16sb, 3518),
    "ch49" / Thermistor(Int16sb, 3435),
    "ch50" / Thermistor(Int16sb, 3518),
    "ch51" / Thermistor(Int16sb, 3435),
    "ch53" / Thermistor(Int16sb, 3435),
    "ch54" / Thermistor(Int16sb, 3435),
    "ch55" / Divided(Int16sb, 2),
    "ch56" / Scaled(Int16sb, 1e-3),
    "ch57" / Divided(Int16sb, 2),
    "ch58" / Scaled(Int16sb, 1e-3),
    "ch59" / Divided(Int16sb, 2),
    "ch60" / Scaled(Int16sb, 1e-3),
    "ch61" / Divided(Int16sb, 2),
    "ch62" / Scaled(Int16sb, 1e-3),
    "ch63" / Divided(Int8sb, 2),
    "ch64" / Divided(Int8sb, 2),
    "ch65" / Scaled(Int16sb, 1e-3),
    "ch66" / Divided(Int16sb, 2),
    "ch67" / Scaled(Int16sb, 1e-3),
    "ch68" / Divided(Int16sb, 2),
    "ch69" / Scaled(Int16sb, 1e-3),
    "ch70" / Divided(Int16sb, 2),
    "ch71" / Scaled(Int16sb, 1e-3),
    "ch72" / Divided(Int16sb, 2),
    "ch73" / Scaled(Int16sb, 1e-3),
    "ch74" / Divided(Int16sb, 2),
    "ch75" / Scaled(Int8sb, 1e-3),
    "ch76" / Scaled(Int8sb, 1e-3),
    "ch77" / Divided(Int16sb, 2),
    "ch78" / Scaled(Int16sb, 1e-3),
    "ch79" / Divided(Int16sb, 2),
    "ch80" / Divided(Int16sb, 2),
    "ch81" / Int8ub,
    "ch82" / Int8ub,
    "ch83" / Int8ub,
    "ch84" / Int8ub,
    "ch85" / Int8ub,
    "ch86" / Int8ub,
    "ch87" / Int8ub,
    "ch88" / Int8ub,
    "ch89" / ExprAdapter(Int16ub, lambda raw, ctx: raw * 3 / 4096 * 28 / 18, None),
    "ch90" / ExprAdapter(Int16ub, lambda raw, ctx: (raw * 3 / 4096 - 0.5) * 100, None),
    "ch91" / Scaled(Int8ub, 0.0625),
    "ch92" / Scaled(Int8ub, 0.0625),
    "ch93" / Scaled(Int16ub, 0.0625),
    "ch94" / Int8ub,
    "ch95" / Divided(Int16ub, 128),
    "ch96" / Divided(Int16ub, 128),
    "ch97" / Divided(Int16ub, 130),
    "ch98" / Int8ub,
    "ch99" / Int8ub,
    "ch100" / Int8ub,
    "ch101" / Int8ub,
    "ch102" / Int8ub,
    "ch103" / Int8ub,
    "ch104" / Int8ub,
    "ch105" / Int8ub,
    "ch106" / Scaled(Int32sb, 0.00002),
    "ch107" / Scaled(Int32sb, 0.00002),
    "ch108" / Scaled(Int32sb, 0.00002),
    "ch109" / Scaled(Int32sb, 0.000000005),
    "ch110" / Scaled(Int32sb, 0.000000005),
    "ch111" / Scaled(Int32sb, 0.000000005),
    "ch112" / Scaled(Int16sb, 0.00004),
    "ch113" / Scaled(Int16sb, 0.00004),
    "ch114" / Scaled(Int16sb, 0.00004),
    "ch115" / Scaled(Int8sb, 0.8),
    "ch116" / Scaled(Int16sb, 0.005),
    "ch117" / Scaled(Int16sb, 0.005),
)


def channel_values(parsed):
    """The 118 channel values in channel order; channel 52 is never sent."""
    values = [0.0] * 118
    for c in range(118):
        if c == 52:
            continue
        if 29 <= c <= 36:
            values[c] = 1.0 if parsed.flags["ch%d" % c] else 0.0
        else:
            values[c] = float(parsed["ch%d" % c])
    return values


def unescape(piece):
    out = bytearray()
    i = 0
    while i < len(piece):
        b = piece[i]
        if b == FESC and i + 1 < len(piece):
            nxt = piece[i + 1]
            out.append(FEND if nxt == TFEND else FESC if nxt == TFESC else nxt)
            i += 2
        else:
            out.append(b)
            i += 1
    return bytes(out)


def beacon_frames(recording):
    """The beacons of a .kss recording: the pieces between FENDs, un-escaped,
    201 bytes long and carrying the address (timestamp records and other
    stations' frames left out)."""
    pieces = recording.split(bytes([FEND]))
    for piece in pieces[1:-1]:
        if not piece:
            continue
        frame = unescape(piece)
        if len(frame) == 201 and frame[1:15] == ADDRESS:
            yield frame


def decode_recording(recording):
    return [channel_values(Beacon.parse(frame)) for frame in beacon_frames(recording)]
