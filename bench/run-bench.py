#!/usr/bin/env python3
"""Times taverlin and briskel on large generated inputs against cp and gdal_translate, dtminfo on their DTM files, and gdalwarp into a DTM file against ENVI.

Run from anywhere in the repository:

    python3 bench/run-bench.py [--runs 5] [--work DIR] [--install-gdal] [--no-build]
                               [--tools BUILD_DIR] [--before BUILD_DIR]

Builds the release preset (scripts/build.sh) with the benchmark helpers, writes
the inputs once into the work folder (build/bench-work by default; kept and
reused), reads every input once to warm the page cache, checks that each tool
converts each input, then for every input runs the converter, `cp` of the same
file and `gdal_translate -of ENVI` (when it is on PATH) in turn, N times each;
with --before, the tool of another build (an older version, say) as well, in
the same turns, so that before and after are measured side by side. Prints a
Markdown table with the ratios to cp and gdal_translate and the peak memory,
and writes it to results.md in the work folder.

Wall time is taken around each run; peak memory is the child's maximum
resident set size, measured by bench_peak_rss. MB are 10^6 bytes.
"""

import argparse
import os
import platform
import shutil
import statistics
import subprocess
import sys
import time
from pathlib import Path

REPO = Path(__file__).resolve().parent.parent
RELEASE = REPO / "build" / "release"
TAVERLIN = RELEASE / "dem_import" / "taverlin"
BRISKEL = RELEASE / "grid_import" / "briskel"
DTMINFO = RELEASE / "dtm_info" / "dtminfo"
MAKE_INPUTS = RELEASE / "bench" / "bench_make_inputs"
PEAK_RSS = RELEASE / "bench" / "bench_peak_rss"


class Input:
    def __init__(self, name, layout, tool, cells, cell_bytes, passes):
        self.name = name
        self.layout = layout
        self.tool = tool  # "taverlin" or "briskel"
        self.cells = cells  # of the DTM written
        self.cell_bytes = cell_bytes
        self.passes = passes  # times the tool reads the input

    @property
    def stem(self):
        return self.name.rsplit(".", 1)[0]

    def tool_command(self, dest, build=None):
        """The tool's command; of the given build folder, else of the one timed."""
        if self.tool == "taverlin":
            program = build / "dem_import" / "taverlin" if build else TAVERLIN
            return [str(program), self.name, dest, "/Q"]
        program = build / "grid_import" / "briskel" if build else BRISKEL
        return [str(program), self.name, dest, "m", "m", "/PM", "/EM", "/Q"]

    def dtm_size(self):
        return 200 + self.cells * self.cell_bytes


INPUTS = [
    Input("dem_3601.dem", "USGS ASCII DEM", "taverlin", 3601 * 3601, 2, 1),
    Input("grid_6000_dsrb.grd", "Surfer 7 binary", "briskel", 6000 * 6000, 4, 1),
    Input("grid_6000_dsbb.grd", "Surfer 6 binary", "briskel", 6000 * 6000, 4, 1),
    Input("grid_3000_dsaa.grd", "Surfer 6 ASCII", "briskel", 3000 * 3000, 4, 1),
    # The same nodes as GDAL writes a Surfer 6 ASCII grid: 14 significant digits.
    Input("grid_3000_gdal_dsaa.grd", "Surfer 6 ASCII (GDAL)", "briskel", 3000 * 3000, 4, 1),
]


def say(text=""):
    print(text, flush=True)


def fail(text):
    print(f"run-bench: {text}", file=sys.stderr, flush=True)
    sys.exit(1)


def run_checked(command, **kwargs):
    say("+ " + " ".join(command))
    result = subprocess.run(command, **kwargs)
    if result.returncode != 0:
        fail(f"'{' '.join(command)}' exited with status {result.returncode}")


def as_root(command):
    return command if os.geteuid() == 0 else ["sudo"] + command


def install_gdal():
    if shutil.which("gdal_translate"):
        say("gdal_translate is already installed")
        return
    env = dict(os.environ, DEBIAN_FRONTEND="noninteractive")
    run_checked(as_root(["apt-get", "update"]), env=env)
    run_checked(as_root(["apt-get", "install", "-y", "gdal-bin"]), env=env)


def build():
    run_checked(["bash", "scripts/build.sh"], cwd=REPO)
    run_checked(
        ["cmake", "--build", "--preset", "release", "--target", "bench_make_inputs",
         "bench_peak_rss"],
        cwd=REPO,
    )


def make_inputs(work):
    if all((work / i.name).is_file() for i in INPUTS):
        say(f"inputs already in {work}, reused")
        return
    say(f"writing the inputs into {work}")
    run_checked([str(MAKE_INPUTS), str(work)])


def warm(work):
    for i in INPUTS:
        with open(work / i.name, "rb") as f:
            while f.read(1 << 23):
                pass


class Outcome:
    def __init__(self, seconds, peak_bytes, status, log):
        self.seconds = seconds
        self.peak_bytes = peak_bytes
        self.status = status
        self.log = log


def clear_outputs(out):
    shutil.rmtree(out, ignore_errors=True)
    out.mkdir(parents=True)


def measure(command, work):
    """Runs command in the work folder; returns its wall time, peak memory and status."""
    report = work / "peak.txt"
    log = work / "run.log"
    with open(log, "wb") as output:
        start = time.perf_counter()
        result = subprocess.run(
            [str(PEAK_RSS), str(report)] + command,
            cwd=work,
            stdin=subprocess.DEVNULL,
            stdout=output,
            stderr=subprocess.STDOUT,
        )
        seconds = time.perf_counter() - start
    peak_kb, status = 0, result.returncode
    try:
        fields = report.read_text().split()
        peak_kb, status = int(fields[0]), int(fields[1])
    except (OSError, ValueError, IndexError):
        pass
    report.unlink(missing_ok=True)
    return Outcome(seconds, peak_kb * 1024, status, log.read_text(errors="replace"))


BEFORE = None  # the build folder of --before


def commands(i, gdal):
    """The programs timed on input i: (label, command) pairs, outputs under out/."""
    runs = [(i.tool, i.tool_command(f"out/{i.stem}.dtm"))]
    if BEFORE:
        runs.append(("before", i.tool_command(f"out/{i.stem}.before.dtm", BEFORE)))
    runs.append(("cp", ["cp", i.name, f"out/{i.name}"]))
    if gdal:
        runs.append(("gdal", [gdal, "-q", "-of", "ENVI", i.name, f"out/{i.stem}.envi"]))
    return runs


def check(i, work, gdal):
    """Runs the tool and gdal once on input i; returns whether gdal could read it."""
    out = work / "out"
    clear_outputs(out)
    label, command = commands(i, None)[0]
    outcome = measure(command, work)
    if outcome.status != 0:
        fail(f"{label} failed on {i.name} (status {outcome.status}):\n{outcome.log}")
    dtm = out / f"{i.stem}.dtm"
    size = dtm.stat().st_size if dtm.exists() else 0
    if size != i.dtm_size():
        fail(f"{label} wrote {size} bytes for {i.name}, expected {i.dtm_size()}")
    say(f"  {label} converts {i.name}: {outcome.seconds:.2f} s, DTM of {size} bytes")
    if not gdal:
        return False
    clear_outputs(out)
    outcome = measure(dict(commands(i, gdal))["gdal"], work)
    readable = outcome.status == 0 and (out / f"{i.stem}.envi").exists()
    if readable:
        say(f"  gdal_translate converts {i.name}: {outcome.seconds:.2f} s")
    else:
        say(f"  gdal_translate could not convert {i.name} (status {outcome.status}):")
        say("    " + outcome.log.strip().replace("\n", "\n    "))
    clear_outputs(out)
    return readable


def run_in_turns(turn, work, runs, name):
    """Runs the (label, command) pairs of `turn` `runs` times, round-robin, the order
    turning by one each turn (tool, cp, gdal; cp, gdal, tool; ...), so that each program
    follows each other one equally often: a program that frees much memory or leaves
    much for the disk slows whichever runs next. Returns {label: [Outcome]}."""
    out = work / "out"
    results = {label: [] for label, _ in turn}
    for n in range(runs):
        for label, command in turn[n % len(turn):] + turn[:n % len(turn)]:
            clear_outputs(out)
            # Whatever the run before left for the disk is written first, so
            # that no program is timed while another one's output drains.
            os.sync()
            outcome = measure(command, work)
            if outcome.status != 0:
                fail(f"{label} failed on {name} in run {n + 1}:\n{outcome.log}")
            results[label].append(outcome)
            say(f"  run {n + 1}/{runs} {label:8} {outcome.seconds:7.2f} s "
                f"{outcome.peak_bytes / 1e6:8.1f} MB peak")
    clear_outputs(out)
    return results


def time_input(i, work, gdal, runs):
    """The tool, cp and gdal on input i, in turns; returns {label: [Outcome]}."""
    return run_in_turns(commands(i, gdal), work, runs, i.name)


def time_dtminfo(work, runs):
    """dtminfo on the DTM files of the DEM and the Surfer 7 grid: describing alone, then
    describing and drawing the default picture (at most 4096 pixels a side); table lines."""
    files = work / "dtm"
    clear_outputs(files)
    head = ["DTM file", "cells", "size MB", "describe median s", "cells/s (M)",
            "with picture median s", "picture MB", "peak MB"]
    lines = ["| " + " | ".join(head) + " |", "|" + "---|" * len(head)]
    for i in (INPUTS[0], INPUTS[1]):
        dtm = f"dtm/{i.stem}.dtm"
        outcome = measure(i.tool_command(dtm), work)
        if outcome.status != 0:
            fail(f"{i.tool} failed on {i.name}:\n{outcome.log}")
        say(f"timing dtminfo on {dtm}")
        describe, picture = [], []
        for n in range(runs):
            for label, command, kept in (
                    ("describe", [str(DTMINFO), dtm, "/Q"], describe),
                    ("picture", [str(DTMINFO), dtm, "/Q", "/Idtm/picture.png"], picture)):
                outcome = measure(command, work)
                if outcome.status != 0:
                    fail(f"dtminfo failed on {dtm}:\n{outcome.log}")
                kept.append(outcome)
                say(f"  run {n + 1}/{runs} {label:8} {outcome.seconds:7.2f} s "
                    f"{outcome.peak_bytes / 1e6:8.1f} MB peak")
        seconds = median_seconds(describe)
        lines.append("| " + " | ".join([
            f"{i.stem}.dtm ({i.tool})", str(i.cells), f"{(work / dtm).stat().st_size / 1e6:.0f}",
            f"{seconds:.2f}", f"{i.cells / seconds / 1e6:.0f}",
            f"{median_seconds(picture):.2f}",
            f"{(work / 'dtm' / 'picture.png').stat().st_size / 1e6:.0f}",
            f"{max(peak_mb(describe), peak_mb(picture)):.0f}"]) + " |")
    shutil.rmtree(files, ignore_errors=True)
    return lines


def time_gdal_driver(work, runs):
    """gdalwarp into a DTM file (the driver's Create: the raster held in memory and written
    as columns at close) against gdalwarp into ENVI and cp, on the 6000 x 6000 float32
    grid as an ENVI file, in turn; table lines."""
    gdalwarp = shutil.which("gdalwarp")
    plugin = RELEASE / "gdal_driver" / "gdal_VORDADTM.so"
    if not gdalwarp or not plugin.is_file():
        return [f"gdalwarp or {plugin} missing: the GDAL driver is not timed"]
    os.environ["GDAL_DRIVER_PATH"] = str(plugin.parent)
    source = work / "dtm" / "grid_6000.envi"
    clear_outputs(source.parent)
    # In UTM zone 10 (a Surfer grid names no reference system).
    outcome = measure([shutil.which("gdal_translate"), "-q", "-of", "ENVI", "-a_srs",
                       "EPSG:32610", INPUTS[1].name, str(source)], work)
    if outcome.status != 0:
        return [f"gdal_translate could not make the source: {outcome.log.strip()}"]
    say("timing gdalwarp into VORDADTM and ENVI")
    turn = [("VORDADTM", [gdalwarp, "-q", "-of", "VORDADTM", str(source), "out/w.dtm"]),
            ("ENVI", [gdalwarp, "-q", "-of", "ENVI", str(source), "out/w.envi"]),
            ("cp", ["cp", str(source), "out/w.envi"])]
    results = run_in_turns(turn, work, runs, source.name)
    shutil.rmtree(source.parent, ignore_errors=True)
    head = ["gdalwarp of 6000 x 6000 float32", "median s", "peak MB", "/ENVI"]
    lines = ["| " + " | ".join(head) + " |", "|" + "---|" * len(head)]
    envi = median_seconds(results["ENVI"])
    for label, outcomes in results.items():
        lines.append(f"| {label} | {median_seconds(outcomes):.2f} | {peak_mb(outcomes):.0f} | "
                     f"{median_seconds(outcomes) / envi:.2f} |")
    return lines


def median_seconds(outcomes):
    return statistics.median(o.seconds for o in outcomes)


def peak_mb(outcomes):
    return max(o.peak_bytes for o in outcomes) / 1e6


def load_average():
    try:
        return " ".join(Path("/proc/loadavg").read_text().split()[:3])
    except OSError:
        return "unknown"


def gdal_version(gdal):
    if not gdal:
        return None
    try:
        return subprocess.run([gdal, "--version"], capture_output=True, text=True).stdout.strip()
    except OSError:
        return None


def table(work, gdal, results):
    head = ["input", "format", "size MB", "tool", "tool median s", "MB/s", "MB/s per pass",
            "tool peak MB", "cp median s", "tool/cp", "gdal median s", "gdal/tool",
            "gdal peak MB"]
    if BEFORE:
        head += ["before median s", "before peak MB", "before/cp", "gdal/before"]
    lines = ["| " + " | ".join(head) + " |", "|" + "---|" * len(head)]
    for i in INPUTS:
        r = results[i.name]
        size = (work / i.name).stat().st_size / 1e6
        tool = median_seconds(r[i.tool])
        cp = median_seconds(r["cp"])
        row = [i.name, i.layout, f"{size:.0f}", i.tool, f"{tool:.2f}", f"{size / tool:.0f}",
               f"{i.passes * size / tool:.0f}", f"{peak_mb(r[i.tool]):.0f}", f"{cp:.2f}",
               f"{tool / cp:.1f}"]
        if "gdal" in r:
            g = median_seconds(r["gdal"])
            row += [f"{g:.2f}", f"{g / tool:.1f}", f"{peak_mb(r['gdal']):.0f}"]
        elif gdal:
            row += ["cannot read", "—", "—"]
        else:
            row += ["—", "—", "—"]
        if BEFORE:
            before = median_seconds(r["before"])
            row += [f"{before:.2f}", f"{peak_mb(r['before']):.0f}", f"{before / cp:.1f}",
                    f"{median_seconds(r['gdal']) / before:.1f}" if "gdal" in r else "—"]
        lines.append("| " + " | ".join(row) + " |")
    return lines


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--runs", type=int, default=5, help="timed runs of each program (5)")
    parser.add_argument("--work", type=Path, default=REPO / "build" / "bench-work",
                        help="folder of the inputs, outputs and results.md (build/bench-work)")
    parser.add_argument("--install-gdal", action="store_true",
                        help="install gdal-bin with apt-get first when gdal_translate is missing")
    parser.add_argument("--no-build", action="store_true",
                        help="use the programs already built in build/release")
    parser.add_argument("--tools", type=Path,
                        help="time taverlin and briskel of another build folder (of an "
                        "older version, say) instead of build/release")
    parser.add_argument("--before", type=Path,
                        help="time the tools of this build folder too, in the same turns "
                        "(before and after a change)")
    args = parser.parse_args()
    global TAVERLIN, BRISKEL, DTMINFO, BEFORE
    if args.before:
        BEFORE = args.before.resolve()
    if args.tools:
        TAVERLIN = args.tools.resolve() / "dem_import" / "taverlin"
        BRISKEL = args.tools.resolve() / "grid_import" / "briskel"
        DTMINFO = args.tools.resolve() / "dtm_info" / "dtminfo"
    if args.runs < 1:
        parser.error("--runs must be at least 1")
    work = args.work.resolve()
    work.mkdir(parents=True, exist_ok=True)

    if args.install_gdal:
        install_gdal()
    if not args.no_build:
        build()
    for program in (TAVERLIN, BRISKEL, MAKE_INPUTS, PEAK_RSS):
        if not program.is_file():
            fail(f"{program} is missing; build the release preset first")
    gdal = shutil.which("gdal_translate")
    if not gdal:
        say("gdal_translate not found: gdal is skipped (--install-gdal installs it)")

    make_inputs(work)
    say("warming the page cache")
    warm(work)

    say("checking that every input converts")
    readable = {i.name: check(i, work, gdal) for i in INPUTS}

    load_before = load_average()
    results = {}
    for i in INPUTS:
        say(f"timing {i.name}")
        results[i.name] = time_input(i, work, gdal if readable[i.name] else None, args.runs)
    # An older build (--tools) may have no dtminfo.
    dtminfo_lines = (time_dtminfo(work, args.runs) if DTMINFO.is_file()
                     else [f"{DTMINFO} not built: dtminfo not timed"])
    driver_lines = time_gdal_driver(work, args.runs) if gdal else []
    load_after = load_average()

    lines = table(work, gdal, results)
    notes = [
        "",
        f"{args.runs} runs of each program per input, taken in turn, each after sync, the order turning "
        "by one each turn (tool, cp, gdal; cp, gdal, tool; ...); "
        "medians of the wall time, highest peak resident memory. MB = 10^6 bytes. "
        "MB/s is input size over the median time; per pass counts each time the tool "
        "reads the input. tool/cp: times as long as cp of the same file; gdal/tool: "
        "times as long as the tool took gdal_translate (-of ENVI)"
        + (f"; before: the tools of {BEFORE}." if BEFORE else "."),
        "",
        f"Machine: {platform.machine()}, {os.cpu_count()} CPUs, {platform.platform()}; "
        f"load average {load_before} before timing, {load_after} after. "
        + (gdal_version(gdal) or "gdal_translate not available") + ".",
        "",
        "Every run (seconds, peak MB):",
        "",
    ]
    for i in INPUTS:
        for label, outcomes in results[i.name].items():
            runs = ", ".join(f"{o.seconds:.2f} s {o.peak_bytes / 1e6:.0f} MB" for o in outcomes)
            notes.append(f"- {i.name} {label}: {runs}")
    notes += ["", "dtminfo on the converted DTM files (medians; the default picture, at "
              "most 4096 pixels a side, written with libpng's fast compression):", ""] + dtminfo_lines
    if driver_lines:
        notes += ["", "The GDAL driver: gdalwarp into a DTM file and into ENVI, and cp, of the same "
                  "raster (medians):", ""] + driver_lines
    text = "\n".join(lines + notes) + "\n"
    say()
    say(text)
    (work / "results.md").write_text(text)
    say(f"written to {work / 'results.md'}")


if __name__ == "__main__":
    main()
