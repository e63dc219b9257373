#!/usr/bin/python3
"""Decodes one 10000-beacon recording with kelvanor-cli and with the construct
declaration in kelvanor_construct.py, in one run; checks that every channel
value of every record agrees and prints the times and ratios.

    /usr/bin/python3 bench/construct/compare.py [BUILD_DIR]

Exit status 1 when any value disagrees.
"""
import json
import os
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
try:
    import kelvanor_construct as kc
except ImportError as e:
    sys.exit("construct is missing (%s): apt-get install python3-construct, and run this "
             "with /usr/bin/python3" % e)

BEACONS = 10000


def run_median(command, runs):
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        subprocess.run(command, check=True, stdout=subprocess.DEVNULL)
        times.append(time.perf_counter() - start)
    return statistics.median(times)


def csv_values(path):
    with open(path, encoding="latin-1", newline="") as f:
        lines = f.read().split("\r\n")
    rows = []
    for line in lines[1:]:
        if not line:
            continue
        fields = line.split(";")
        rows.append([float(x) for x in fields[1:119]])
    return rows


def agree(a, b):
    return abs(a - b) <= 1e-9 * max(abs(a), abs(b)) or abs(a - b) <= 1e-12


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else "build"
    bindir = os.path.join(build, "bin")
    work = tempfile.mkdtemp(prefix="kelvanor-construct-")
    subprocess.run([os.path.join(bindir, "kelvanor-make-samples"), work, str(BEACONS)], check=True,
                   stdout=subprocess.DEVNULL)
    recording = os.path.join(work, "2020-11-29_kelvanor-%d.kss" % BEACONS)
    csv = os.path.join(work, "ours.csv")
    cli = os.path.join(bindir, "kelvanor-cli")

    ours_import = run_median([cli, "--locale", "C", recording], 7)
    ours_csv = run_median([cli, "--locale", "C", "--csv", csv, recording], 7)
    medians = {}
    bench = os.path.join(bindir, "kelvanor_bench")
    if os.path.exists(bench):
        out = subprocess.run([bench, "--benchmark_filter=BM_DecodeBeacon$|BM_ImportKissFile",
                              "--benchmark_repetitions=5", "--benchmark_report_aggregates_only=true",
                              "--benchmark_format=json"],
                             check=True, capture_output=True, text=True).stdout
        scale = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}
        for b in json.loads(out)["benchmarks"]:
            if b.get("aggregate_name") == "median":
                medians[b["run_name"]] = b["real_time"] * scale[b["time_unit"]]
    theirs_process = run_median([sys.executable, "-c",
                                 "import sys; sys.path.insert(0, %r); import kelvanor_construct as k; "
                                 "k.decode_recording(open(%r, 'rb').read())" % (HERE, recording)], 3)

    with open(recording, "rb") as f:
        data = f.read()
    end_to_end, parse_only, values = [], [], None
    for _ in range(3):
        start = time.perf_counter()
        with open(recording, "rb") as f:
            values = kc.decode_recording(f.read())
        end_to_end.append(time.perf_counter() - start)
        frames = list(kc.beacon_frames(data))
        start = time.perf_counter()
        for frame in frames:
            kc.channel_values(kc.Beacon.parse(frame))
        parse_only.append((time.perf_counter() - start) / len(frames))
    theirs_total = statistics.median(end_to_end)
    theirs_beacon_us = statistics.median(parse_only) * 1e6

    ours = csv_values(csv)
    bad = 0
    if len(ours) != len(values):
        print("record counts differ: kelvanor-cli %d, construct %d" % (len(ours), len(values)))
        bad += 1
    for r, (a_row, b_row) in enumerate(zip(ours, values), 1):
        for c, (a, b) in enumerate(zip(a_row, b_row)):
            if not agree(a, b):
                bad += 1
                if bad <= 10:
                    print("record %d channel %d: kelvanor-cli %r, construct %r" % (r, c, a, b))

    print("recording: %d beacons, %.2f MB" % (len(values), len(data) / 1e6))
    print("values compared: %d records x 118 channels, %s"
          % (len(values), "all agree" if bad == 0 else "%d disagree" % bad))
    print()
    print("| | kelvanor | construct | ratio |")
    print("|---|---|---|---|")
    if "BM_DecodeBeacon" in medians:
        ours_beacon_us = medians["BM_DecodeBeacon"] * 1e6
        print("| one beacon decoded (ours: `BM_DecodeBeacon`; construct: parse + calibrate) "
              "| %.2f µs | %.0f µs | %.0f× |" % (ours_beacon_us, theirs_beacon_us, theirs_beacon_us / ours_beacon_us))
    if "BM_ImportKissFile" in medians:
        ours_file = medians["BM_ImportKissFile"]
        print("| the 10000-beacon recording imported end to end: file read, split, un-escaped, decoded "
              "(ours: `BM_ImportKissFile`, with the display refresh) | %.1f ms | %.0f ms | %.0f× |"
              % (ours_file * 1e3, theirs_total * 1e3, theirs_total / ours_file))
    print("| whole processes, start-up included (kelvanor-cli; python3 with construct) | %.1f ms | %.0f ms | %.0f× |"
          % (ours_import * 1e3, theirs_process * 1e3, theirs_process / ours_import))
    print("| kelvanor-cli with the CSV export written as well | %.1f ms | | |" % (ours_csv * 1e3))
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
