#!/usr/bin/python3
"""Puts our drawing writer beside ezdxf (Debian's python3-ezdxf) in one run.

Our side: the median of bench_diagram_build's build + encode of the
three-line spring pressure diagram. Their side: ezdxf, given the same drawing
already loaded, writing it to bytes in memory (code page 932, CR LF). Prints
both medians and how many times faster we are.

    /usr/bin/python3 bench/ezdxf_ratio.py [path/to/bench_diagram_build]
"""
import io
import json
import os
import statistics
import subprocess
import sys
import tempfile
import time

try:
    import ezdxf
except ImportError:
    sys.exit("ezdxf is missing: install Debian's python3-ezdxf and run with /usr/bin/python3")

HERE = os.path.dirname(os.path.abspath(__file__))
BENCH = sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, "..", "build", "bench", "bench_diagram_build")
SAMPLES = 41


def our_median_us():
    out = subprocess.run(
        [BENCH, "--benchmark_filter=^BM_BuildAndEncodeThreeLineDrawing$", "--benchmark_repetitions=15",
         "--benchmark_report_aggregates_only=true", "--benchmark_format=json"],
        check=True, capture_output=True).stdout
    for run in json.loads(out)["benchmarks"]:
        if run.get("aggregate_name") == "median":
            scale = {"ns": 1e-3, "us": 1.0, "ms": 1e3, "s": 1e6}[run["time_unit"]]
            return run["real_time"] * scale
    sys.exit("bench_diagram_build reported no median")


def ezdxf_median_us():
    drawing = subprocess.run([BENCH, "--drawing"], check=True, capture_output=True).stdout
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "drawing.dxf")
        with open(path, "wb") as f:
            f.write(drawing)
        doc = ezdxf.readfile(path, encoding="cp932")

    def write():
        stream = io.StringIO()
        doc.write(stream)
        return doc.encode(stream.getvalue()).replace(b"\n", b"\r\n")

    for _ in range(3):
        write()
    times = []
    for _ in range(SAMPLES):
        start = time.perf_counter_ns()
        write()
        times.append((time.perf_counter_ns() - start) / 1e3)
    return statistics.median(times), len(doc.modelspace())


ours = our_median_us()
theirs, entities = ezdxf_median_us()
print(f"three-line spring pressure diagram, {entities} entities")
print(f"this program, build + encode: {ours:10.2f} us (median)")
print(f"ezdxf {ezdxf.__version__}, write to bytes: {theirs:10.2f} us (median)")
print(f"ratio: {theirs / ours:.0f}x")
