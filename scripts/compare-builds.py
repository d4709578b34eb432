#!/usr/bin/env python3
"""Shows that two builds of taverlin, briskel and dtminfo produce the same outputs, byte for byte.

Run from anywhere in the repository:

    python3 scripts/compare-builds.py --old BUILD_DIR --new BUILD_DIR [--record]
                                      [--bench-inputs DIR] [--keep DIR] [--jobs N]
                                      [--timeout SECONDS]

A BUILD_DIR is a CMake build folder holding dem_import/taverlin,
grid_import/briskel and dtm_info/dtminfo (build/release after
scripts/build.sh). Typical use around a refactoring: keep a copy of the build
from before it (or a worktree of the old commit with its own build), then

    python3 scripts/compare-builds.py --old /tmp/before/build/release \\
        --new build/release --record

Every run below is made once with each build, each time in a fresh working
folder holding the same files, at the same path, with the same arguments,
standard input, file-size limit and environment. Then the exit status (or the
signal that ended the program), the standard output, the standard error and
every file left in the working folder (its kind, permissions and bytes; symbolic
links by their target) are compared. A run made of several steps (a conversion,
then dtminfo on its DTM file) is compared after each step.

The runs:
  * with --record, the runs of the new build's test suite: ctest runs it
    (-j2, without man_pages and install_test) with TERRAIN_RECORD_RUNS set, so
    that run_program in tests/support/test_files.cpp keeps a copy of each run's
    working folder and a manifest of the run. Runs under a preloaded library
    (LD_PRELOAD, fault injection) are counted and reported apart: a change in
    how often a program opens its outputs legitimately changes them, so their
    differences do not decide the exit status;
  * the samples: samples/*.dem with taverlin (topobathy_geographic.dem with
    /PM /EM), samples/*.grd with briskel "m m /pm /em /sutm /z10" and with
    "f f", then dtminfo on each DTM file without and with /Ipicture.png /W600;
  * the fuzz corpora: fuzz/corpus/dem with taverlin "x.dem x.dtm /S" and with
    /S /XF /ZF; surfer_grid with briskel "g.grd g.dtm m m /pm /em" and
    "g.grd g.dtm f f"; dtm_file with dtminfo "x.dtm" and "x.dtm /Ip.png";
    with --fuzz-work DIR also the corpora the fuzzers grew there
    (DIR/corpus/<target>, as scripts/run-fuzzers.sh keeps them; those of
    round_trip_fuzzer go to briskel when they begin with DSAA, DSBB or DSRB,
    else to taverlin);
  * with --bench-inputs DIR (for instance the work folder of
    bench/run-bench.py): each *.dem there with taverlin /Q, each *.grd with
    briskel "m m /PM /EM /Q", then dtminfo on the DTM file without and with a
    picture. The inputs are hard-linked into the working folders when possible.

The summary gives the number of runs compared by kind, the number of files
compared, and each difference with a hint: the first differing byte of a file
(and its lines when it is text), the first differing lines of an output.
--keep DIR keeps the working folders of the runs that differ there (old/ and
new/ with each build's standard output and error beside them). Runs go two at
a time (--jobs).

With --windows the new build is a Windows build (build/windows) run under
Wine: its programs are the .exe files, its text (standard output and error,
.HDR reports, the batch log) is compared once CR LF is read as LF, the test
suite recorded is the old (Linux) build's, and the recorded runs whose setup
exists only on POSIX systems are left out (fault injection through a
preloaded library, file-size limits, named pipes, devices). So the black-box
tests' runs are made against the Windows programs too.

Exit status: 0 when no run outside the fault-injection runs differs, 1
otherwise, 2 when the comparison could not be made.
"""

import argparse
import difflib
import hashlib
import multiprocessing
import os
import resource
import shlex
import shutil
import signal
import stat
import subprocess
import sys
import tempfile
import time
from pathlib import Path

REPO = Path(__file__).resolve().parent.parent
PROGRAMS = {
    "taverlin": "dem_import/taverlin",
    "briskel": "grid_import/briskel",
    "dtminfo": "dtm_info/dtminfo",
}
CATEGORIES = [
    ("suite", "test-suite runs"),
    ("fault", "fault-injection runs"),
    ("sample", "sample runs"),
    ("fuzz", "fuzz-corpus runs"),
    ("bench", "bench runs"),
]
SUITE_EXCLUDED = "^(man_pages|install_test)$"
BIG_FILE = 1 << 20  # hashes of files at least this large are reused while unchanged
# With --windows, the new build is a Windows build run under Wine: its
# programs are the .exe files, and its text (standard output and error, .HDR
# reports, the batch log) is compared once CR LF is read as LF.
WINDOWS = {"build": None}
TEXT_FILES = (".hdr", ".logfile")
PICTURE = [b"/Ipicture.png", b"/W600"]


def say(text=""):
    print(text, flush=True)


def fail(text):
    print(f"compare-builds: {text}", file=sys.stderr, flush=True)
    sys.exit(2)


# The runs


class Step:
    """One program run: the program's name, its arguments, standard input,
    file-size limit (0: none) and NAME=VALUE settings added to the environment."""

    def __init__(self, program, arguments, stdin=b"", limit=0, environment=()):
        self.program = program
        self.arguments = [a if isinstance(a, bytes) else a.encode() for a in arguments]
        self.stdin = stdin
        self.limit = limit
        self.environment = list(environment)

    def describe(self, directory=None):
        words = [self.program]
        for argument in self.arguments:
            if directory:
                argument = argument.replace(directory, b"$DIR")
            words.append(shlex.quote(printable(argument)))
        text = " ".join(words)
        if self.limit:
            text += f"  [file size limit {self.limit}]"
        if self.stdin:
            text += f"  [{len(self.stdin)} bytes on stdin]"
        for setting in self.environment:
            if not setting.startswith((b"LD_PRELOAD=", b"ASAN_OPTIONS=")):
                text += "  " + printable(setting)
        return text


class Job:
    """Steps run one after the other in one working folder, which starts with
    `files` (pairs of a source path and a name in the folder; `link` hard-links
    them when possible) and, for a recorded run, the copy `snapshot` and the
    pipes `fifos`. `directory` is the recorded working folder, replaced by the
    new one in arguments, settings and symbolic links."""

    def __init__(self, category, name, steps, files=(), link=False, snapshot=None, fifos=(),
                 directory=None, notes=()):
        self.category = category
        self.name = name
        self.steps = steps
        self.files = list(files)
        self.link = link
        self.snapshot = snapshot
        self.fifos = list(fifos)
        self.directory = directory
        self.notes = list(notes)


def printable(data):
    """Bytes shown readably: printable ASCII as is, the rest escaped."""
    text = repr(data.decode("latin-1"))[1:-1]
    return text.replace("\\'", "'")


def show(name):
    """A file name or link target, str or bytes, shown readably."""
    return printable(name if isinstance(name, bytes) else os.fsencode(name))


def read_manifest(path):
    """The entries of a manifest written by run_program: (key, value) pairs."""
    data = path.read_bytes()
    entries = []
    at = 0
    while at < len(data):
        line_end = data.index(b"\n", at)
        key, size = data[at:line_end].split(b" ")
        start = line_end + 1
        end = start + int(size)
        entries.append((key.decode(), data[start:end]))
        at = end + 1
    return entries


def recorded_jobs(root):
    jobs = []
    runs = sorted((p for p in root.iterdir() if (p / "manifest").is_file()),
                  key=lambda p: tuple(int(n) for n in p.name.split("-")))
    unfinished = sum(1 for p in root.iterdir() if not (p / "manifest").is_file())
    if unfinished:
        say(f"  {unfinished} recorded runs have no manifest (a test process ended while "
            "recording), left out")
    for run in runs:
        fields = {"argument": [], "environment": [], "fifo": [], "special": [], "error": []}
        for key, value in read_manifest(run / "manifest"):
            if key in fields:
                fields[key].append(value)
            else:
                fields[key] = value
        program = fields["program"].decode()
        if program not in PROGRAMS:
            say(f"  recorded run {run.name} is of an unknown program {program}, left out")
            continue
        fault = any(s.startswith(b"LD_PRELOAD=") for s in fields["environment"])
        notes = [f"not recorded: {printable(e)}" for e in fields["error"]]
        notes += [f"{printable(s)} is a device or socket, left out" for s in fields["special"]]
        step = Step(program, fields["argument"], (run / "stdin").read_bytes(),
                    int(fields["file_size_limit"]), fields["environment"])
        jobs.append(Job("fault" if fault else "suite", f"recorded run {run.name}", [step],
                        snapshot=str(run / "files"), fifos=fields["fifo"],
                        directory=fields["directory"], notes=notes))
    return jobs


def posix_only(job):
    """True for a run whose setup exists only on POSIX systems: fault injection
    through a preloaded library, a file-size limit, a named pipe, a device
    named or linked to."""
    if job.category == "fault" or job.fifos:
        return True
    if any(step.limit or any(b"/dev/" in a for a in step.arguments) for step in job.steps):
        return True
    for root, dirs, names in os.walk(job.snapshot or "/nonexistent"):
        for name in dirs + names:
            path = os.path.join(root, name)
            if os.path.islink(path) and os.readlink(path).startswith("/dev/"):
                return True
    return False


def with_dtminfo(dtm):
    return [Step("dtminfo", [dtm]), Step("dtminfo", [dtm] + PICTURE)]


def sample_jobs():
    jobs = []
    samples = REPO / "samples"
    for dem in sorted(samples.glob("*.dem")):
        units = ["/PM", "/EM"] if dem.name == "topobathy_geographic.dem" else []
        dtm = dem.stem + ".dtm"
        steps = [Step("taverlin", [dem.name, dtm] + units)] + with_dtminfo(dtm)
        jobs.append(Job("sample", f"sample {dem.name}", steps, files=[(str(dem), dem.name)]))
    for grid in sorted(samples.glob("*.grd")):
        dtm = grid.stem + ".dtm"
        for units in (["m", "m", "/pm", "/em", "/sutm", "/z10"], ["f", "f"]):
            steps = [Step("briskel", [grid.name, dtm] + units)] + with_dtminfo(dtm)
            jobs.append(Job("sample", f"sample {grid.name} {' '.join(units)}", steps,
                            files=[(str(grid), grid.name)]))
    return jobs


def fuzz_jobs(fuzz_work=None):
    jobs = []
    # (folder, the program its inputs are for; None: told by each input)
    folders = [(REPO / "fuzz" / "corpus" / name, tool)
               for name, tool in (("dem", "taverlin"), ("surfer_grid", "briskel"),
                                  ("dtm_file", "dtminfo"))]
    if fuzz_work:
        grown = Path(fuzz_work) / "corpus"
        for target, tool in (("dem_header_fuzzer", "taverlin"), ("dem_profile_fuzzer", "taverlin"),
                             ("surfer_grid_fuzzer", "briskel"), ("surfer7_fuzzer", "briskel"),
                             ("surfer6_binary_fuzzer", "briskel"),
                             ("surfer6_ascii_fuzzer", "briskel"), ("dtm_file_fuzzer", "dtminfo"),
                             ("round_trip_fuzzer", None)):
            if (grown / target).is_dir():
                folders.append((grown / target, tool))

    for folder, folder_tool in folders:
        for source in sorted(p for p in folder.iterdir() if p.is_file()):
            label = f"fuzz {folder.name}/{source.name}"
            tool = folder_tool
            if tool is None:  # grids by their first bytes, the rest DEMs
                grid = source.read_bytes()[:4] in (b"DSAA", b"DSBB", b"DSRB")
                tool = "briskel" if grid else "taverlin"
            if tool == "taverlin":
                for extra in ([], ["/XF", "/ZF"]):
                    step = Step("taverlin", ["x.dem", "x.dtm", "/S"] + extra)
                    jobs.append(Job("fuzz", label, [step], files=[(str(source), "x.dem")]))
            elif tool == "briskel":
                for units in (["m", "m", "/pm", "/em"], ["f", "f"]):
                    step = Step("briskel", ["g.grd", "g.dtm"] + units)
                    jobs.append(Job("fuzz", label, [step], files=[(str(source), "g.grd")]))
            else:
                for extra in ([], ["/Ip.png"]):
                    step = Step("dtminfo", ["x.dtm"] + extra)
                    jobs.append(Job("fuzz", label, [step], files=[(str(source), "x.dtm")]))
    return jobs


def bench_jobs(folder):
    jobs = []
    for source in sorted(folder.iterdir()):
        if source.suffix == ".dem":
            convert = Step("taverlin", [source.name, source.stem + ".dtm", "/Q"])
        elif source.suffix == ".grd":
            convert = Step("briskel", [source.name, source.stem + ".dtm", "m", "m", "/PM", "/EM",
                                       "/Q"])
        else:
            continue
        steps = [convert] + with_dtminfo((source.stem + ".dtm").encode())
        jobs.append(Job("bench", f"bench {source.name}", steps, files=[(str(source), source.name)],
                        link=True))
    return jobs


# Running a job with one build


def prepare(job, work):
    """Fills the empty working folder `work` as the job starts."""
    if job.snapshot:
        shutil.copytree(job.snapshot, work, symlinks=True, dirs_exist_ok=True)
        if job.directory:
            old = os.fsdecode(job.directory)
            for root, dirs, names in os.walk(work):
                for name in dirs + names:
                    path = os.path.join(root, name)
                    if os.path.islink(path):
                        target = os.readlink(path)
                        if target == old or target.startswith(old + "/"):
                            os.unlink(path)
                            os.symlink(work + target[len(old):], path)
        for fifo in job.fifos:
            os.mkfifo(os.path.join(work, os.fsdecode(fifo)), 0o600)
    for source, name in job.files:
        destination = os.path.join(work, name)
        if job.link:
            try:
                os.link(source, destination)
                continue
            except OSError:
                pass
        shutil.copyfile(source, destination)


def run_step(step, program, work, directory, timeout, windows=False):
    """Runs `step` with `program` in `work`; returns (status, stdout, stderr)."""
    def swap(data):
        return data.replace(directory, os.fsencode(work)) if directory else data

    environment = dict(os.environb)
    environment.pop(b"TERRAIN_RECORD_RUNS", None)
    for setting in step.environment:
        name, equals, value = swap(setting).partition(b"=")
        if equals:
            environment[name] = value
        else:
            environment.pop(name, None)

    def limit_file_size():
        if step.limit:
            signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
            resource.setrlimit(resource.RLIMIT_FSIZE, (step.limit, step.limit))

    try:
        runner = [b"wine"] if windows else []
        if windows:
            environment[b"WINEDEBUG"] = b"-all"  # Wine's own notes stay out of the output
        done = subprocess.run(runner + [os.fsencode(program)] + [swap(a) for a in step.arguments],
                              cwd=work, input=step.stdin, capture_output=True, env=environment,
                              preexec_fn=limit_file_size, timeout=timeout)
    except subprocess.TimeoutExpired as expired:
        return (f"still running after {timeout} s, killed", expired.stdout or b"",
                expired.stderr or b"")
    if done.returncode < 0:
        try:
            name = signal.Signals(-done.returncode).name
        except ValueError:
            name = str(-done.returncode)
        return f"ended by signal {name}", done.stdout, done.stderr
    if windows:
        return (f"exit status {done.returncode}", done.stdout.replace(b"\r\n", b"\n"),
                done.stderr.replace(b"\r\n", b"\n"))
    return f"exit status {done.returncode}", done.stdout, done.stderr


class Hasher:
    """SHA-256 of files, read in pieces; the digests of large files are reused
    while their inode, size and modification time stay the same."""

    def __init__(self):
        self.known = {}

    def digest(self, path, info, crlf=False):
        if crlf:
            with open(path, "rb") as f:
                data = f.read().replace(b"\r\n", b"\n")
            return hashlib.sha256(data).hexdigest(), len(data)
        key = (info.st_dev, info.st_ino, info.st_size, info.st_mtime_ns)
        if info.st_size >= BIG_FILE and key in self.known:
            return self.known[key]
        sha = hashlib.sha256()
        with open(path, "rb") as f:
            while True:
                piece = f.read(1 << 20)
                if not piece:
                    break
                sha.update(piece)
        value = sha.hexdigest()
        if info.st_size >= BIG_FILE:
            self.known[key] = value
        return value


def folder_state(work, hasher, crlf=False):
    """{name: description} of everything in the working folder; with `crlf`,
    text files as if their CR LF were LF."""
    state = {}
    for root, dirs, names in os.walk(work):
        for name in dirs + names:
            path = os.path.join(root, name)
            relative = os.path.relpath(path, work)
            info = os.lstat(path)
            mode = stat.S_IMODE(info.st_mode)
            if stat.S_ISLNK(info.st_mode):
                state[relative] = ("symbolic link", os.readlink(os.fsencode(path)))
            elif stat.S_ISDIR(info.st_mode):
                state[relative] = ("folder", oct(mode))
            elif stat.S_ISREG(info.st_mode) and crlf and name.lower().endswith(TEXT_FILES):
                digest, size = hasher.digest(path, info, crlf=True)
                state[relative] = ("file", oct(mode), size, digest)
            elif stat.S_ISREG(info.st_mode):
                state[relative] = ("file", oct(mode), info.st_size, hasher.digest(path, info))
            elif stat.S_ISFIFO(info.st_mode):
                state[relative] = ("pipe", oct(mode))
            else:
                state[relative] = ("special file", oct(mode))
    return state


def run_build(job, build, work, timeout, hasher):
    """Runs the job's steps with one build: the folder's state at the start,
    then (status, stdout, stderr, state afterwards) for each step."""
    os.mkdir(work)
    prepare(job, work)
    windows = build == WINDOWS["build"]
    results = [(None, b"", b"", folder_state(work, hasher))]
    for step in job.steps:
        program = os.path.join(build, PROGRAMS[step.program]) + (".exe" if windows else "")
        status, out, err = run_step(step, program, work, job.directory, timeout, windows)
        results.append((status, out, err, folder_state(work, hasher, windows)))
    return results


# Comparing


def line_hint(old, new, limit=3, width=120):
    """The first differing lines of two texts, as a few indented lines; long
    lines are shown from a little before their first difference."""
    old_lines = old.split(b"\n")
    new_lines = new.split(b"\n")
    hints = []
    matcher = difflib.SequenceMatcher(None, old_lines, new_lines, autojunk=False)
    for tag, o1, o2, n1, n2 in matcher.get_opcodes():
        if tag == "equal":
            continue
        olds = [printable(old_lines[i]) for i in range(o1, o2)]
        news = [printable(new_lines[i]) for i in range(n1, n2)]
        for k in range(max(len(olds), len(news))):  # pairs side by side
            for side, first, texts, others in (("old", o1, olds, news), ("new", n1, news, olds)):
                if k >= len(texts):
                    continue
                text, start = texts[k], 0
                if k < len(others):  # shown from a little before where it parts from its pair
                    start = max(0, len(os.path.commonprefix([text, others[k]])) - width // 3)
                cut = ("..." if start else "") + text[start:start + width]
                cut += "..." if len(text) > start + width else ""
                hints.append(f"      {side} line {first + k + 1}: {cut}")
        if len(hints) >= 2 * limit:
            break
    if len(hints) > 2 * limit:
        hints = hints[:2 * limit] + ["      ..."]
    return hints


def first_difference(old_path, new_path):
    """Offset of the first differing byte of two files, read side by side."""
    offset = 0
    with open(old_path, "rb") as a, open(new_path, "rb") as b:
        while True:
            x = a.read(1 << 20)
            y = b.read(1 << 20)
            if x != y:
                size = min(len(x), len(y))
                at = next((i for i in range(size) if x[i] != y[i]), size)
                return offset + at
            if not x:
                return None
            offset += len(x)


def is_text(data):
    return b"\0" not in data and len(data) <= BIG_FILE


def file_hint(name, old, new, old_work, new_work):
    """Why file `name` differs, with the first differing byte when the files
    at the end of the job still hold the contents compared."""
    label = show(name)
    if old[0] != new[0]:
        return [f"    {label}: old is a {old[0]}, new is a {new[0]}"]
    if old[0] == "symbolic link":
        return [f"    {label}: links to {show(old[1])} old, to {show(new[1])} new"]
    if old[0] != "file":
        return [f"    {label}: permissions old {old[1]}, new {new[1]}"]
    lines = []
    if old[1] != new[1]:
        lines.append(f"    {label}: permissions old {old[1]}, new {new[1]}")
    if old[3] == new[3]:
        return lines
    text = f"    {label}: contents differ, {old[2]} bytes old, {new[2]} bytes new"
    old_path = os.path.join(old_work, name)
    new_path = os.path.join(new_work, name)
    hasher = Hasher()
    try:
        still = (hasher.digest(old_path, os.stat(old_path)) == old[3]
                 and hasher.digest(new_path, os.stat(new_path)) == new[3])
    except OSError:
        still = False
    if not still:
        return lines + [text + " (changed by a later step)"]
    at = first_difference(old_path, new_path)
    where = ""
    if name.lower().endswith(".dtm"):
        where = " (in the header)" if at < 200 else " (in the cells)"
    lines.append(text + f", first at byte {at}{where}")
    if old[2] <= BIG_FILE and new[2] <= BIG_FILE:
        old_data = Path(old_path).read_bytes()
        new_data = Path(new_path).read_bytes()
        if is_text(old_data) and is_text(new_data):
            lines += line_hint(old_data, new_data)
        else:
            lines.append(f"      old bytes {at}..: {old_data[at:at + 16].hex(' ')}")
            lines.append(f"      new bytes {at}..: {new_data[at:at + 16].hex(' ')}")
    return lines


def compare_step(old, new, old_work, new_work):
    """The lines telling how one step's results differ; empty when they agree."""
    lines = []
    if old[0] != new[0]:
        lines.append(f"    status: old {old[0]}, new {new[0]}")
    for index, stream in ((1, "standard output"), (2, "standard error")):
        if old[index] != new[index]:
            lines.append(f"    {stream} differs ({len(old[index])} bytes old, "
                         f"{len(new[index])} bytes new):")
            lines += line_hint(old[index], new[index])
    old_state, new_state = old[3], new[3]
    for name in sorted(set(old_state) | set(new_state)):
        if name not in new_state:
            lines.append(f"    {show(name)}: only after the old build ({old_state[name][0]})")
        elif name not in old_state:
            lines.append(f"    {show(name)}: only after the new build ({new_state[name][0]})")
        elif old_state[name] != new_state[name]:
            lines += file_hint(name, old_state[name], new_state[name], old_work, new_work)
    return lines


def keep_job(job, index, keep, old_work, new_work, old_results, new_results):
    target = Path(keep) / f"{index:04d}-{job.category}"
    shutil.rmtree(target, ignore_errors=True)
    target.mkdir(parents=True)
    shutil.move(old_work, target / "old")
    shutil.move(new_work, target / "new")
    with open(target / "runs.txt", "w") as f:
        f.write(job.name + "\n")
        for number, step in enumerate(job.steps, 1):
            f.write(f"step {number}: {step.describe(job.directory)}\n")
            f.write(f"  old: {old_results[number - 1][0]}, new: {new_results[number - 1][0]}\n")
    for side, results in (("old", old_results), ("new", new_results)):
        for number, (_, out, err, _) in enumerate(results, 1):
            (target / f"{side}-step{number}.stdout").write_bytes(out)
            (target / f"{side}-step{number}.stderr").write_bytes(err)
    return str(target)


def compare_results(job, old_results, new_results, old_work, work):
    """(files compared, files written, difference lines) of one job's runs."""
    files = written = 0
    lines = []
    for number, step in enumerate(job.steps, 1):
        old, new = old_results[number], new_results[number]
        before = (old_results[number - 1][3], new_results[number - 1][3])
        for name in set(old[3]) | set(new[3]):
            if (old[3].get(name) or new[3].get(name))[0] == "file":
                files += 1
                written += old[3].get(name) != before[0].get(name) or \
                    new[3].get(name) != before[1].get(name)
        found = compare_step(old, new, old_work, work)
        if found:
            lines.append(f"  step {number}: {step.describe(job.directory)}")
            lines += found
    return files, written, lines


def compare_job(task):
    """Runs one job with both builds, at the same path one after the other, and
    returns its index, category, steps run, files compared, difference lines,
    a harness error and notes."""
    index, job, old_build, new_build, timeout, keep = task
    hasher = Hasher()
    base = tempfile.mkdtemp(prefix="terrain-cmp-")
    work = os.path.join(base, "run")
    old_work = os.path.join(base, "old")
    try:
        old_results = run_build(job, old_build, work, timeout, hasher)
        os.rename(work, old_work)
        new_results = run_build(job, new_build, work, timeout, hasher)
        files, written, lines = compare_results(job, old_results, new_results, old_work, work)
        notes = []
        if lines and new_build == WINDOWS["build"]:
            # Now and then Wine ends a program early, with status 1 and little
            # or nothing printed. A job that differs is run once more under
            # Wine; a difference that the second run does not repeat is a
            # note, one that it repeats a difference.
            shutil.rmtree(work)
            new_results = run_build(job, new_build, work, timeout, hasher)
            files, written, again = compare_results(job, old_results, new_results, old_work, work)
            if not again:
                notes.append("differed once under Wine and not when run again: " +
                             " / ".join(line.strip() for line in lines[:3]))
            lines = again
        if lines and keep:
            kept = keep_job(job, index, keep, old_work, work, old_results[1:], new_results[1:])
            lines.append(f"  kept in {kept}")
        return index, job.category, len(job.steps), (files, written), lines, None, notes
    except Exception as error:  # a harness failure, reported with the job
        return index, job.category, 0, (0, 0), [], f"{type(error).__name__}: {error}", []
    finally:
        shutil.rmtree(base, ignore_errors=True)


# The whole comparison


def record_suite(new_build, root):
    say(f"Running the test suite of {new_build} and recording its runs...")
    start = time.monotonic()
    log = root.parent / "ctest.log"
    environment = dict(os.environ, TERRAIN_RECORD_RUNS=str(root))
    with open(log, "wb") as output:
        done = subprocess.run(["ctest", "--test-dir", new_build, "-j2", "-E", SUITE_EXCLUDED,
                               "--output-on-failure"], stdout=output, stderr=subprocess.STDOUT,
                              env=environment)
    text = log.read_text(errors="replace")
    summary = next((line for line in text.splitlines() if "tests passed" in line), "")
    say(f"  {summary.strip() or 'no test summary'} ({time.monotonic() - start:.0f} s)")
    if done.returncode != 0:
        say("  WARNING: the test suite failed; its runs are compared all the same. End of its log:")
        for line in text.splitlines()[-30:]:
            say("    " + line)
    if not root.is_dir():
        fail("the test suite recorded no run (a build without tests?)")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--old", required=True, help="the build folder compared against")
    parser.add_argument("--new", required=True, help="the build folder checked")
    parser.add_argument("--record", action="store_true",
                        help="also replay the runs of the new build's test suite")
    parser.add_argument("--bench-inputs", help="folder of large *.dem and *.grd inputs")
    parser.add_argument("--fuzz-work", help="folder whose corpus/ holds the corpora fuzzers grew")
    parser.add_argument("--keep", help="folder to keep the working folders of differing runs in")
    parser.add_argument("--windows", action="store_true",
                        help="the new build is a Windows build, run under Wine; the test "
                        "suite recorded is the old build's, fault injection is left out")
    parser.add_argument("--jobs", type=int, default=2, help="runs at a time (2)")
    parser.add_argument("--timeout", type=float, default=600,
                        help="seconds a program may run (600)")
    options = parser.parse_args()

    builds = []
    for build in (options.old, options.new):
        build = os.path.abspath(build)
        for program in PROGRAMS.values():
            if options.windows and build == os.path.abspath(options.new):
                program += ".exe"
            if not os.access(os.path.join(build, program), os.X_OK):
                fail(f"no program {program} in {build}")
        builds.append(build)
    old_build, new_build = builds
    if options.windows:
        WINDOWS["build"] = new_build
    keep = os.path.abspath(options.keep) if options.keep else None
    start = time.monotonic()

    scratch = Path(tempfile.mkdtemp(prefix="terrain-runs-"))
    try:
        jobs = []
        if options.record:
            record_suite(old_build if options.windows else new_build, scratch / "runs")
            jobs += recorded_jobs(scratch / "runs")
            if options.windows:
                recorded = len(jobs)
                jobs = [job for job in jobs if not posix_only(job)]
                say(f"  {recorded - len(jobs)} recorded runs need what only POSIX systems have "
                    "(a preloaded library, a file-size limit, a pipe, a device), left out")
        jobs += sample_jobs() + fuzz_jobs(options.fuzz_work)
        if options.bench_inputs:
            bench = Path(options.bench_inputs)
            if not bench.is_dir():
                fail(f"no folder {bench}")
            jobs = bench_jobs(bench) + jobs  # the longest first
        say(f"Comparing {old_build} (old) with {new_build} (new): {len(jobs)} jobs, "
            f"{options.jobs} at a time...")
        tasks = [(i, job, old_build, new_build, options.timeout, keep)
                 for i, job in enumerate(jobs)]
        results = [None] * len(jobs)
        with multiprocessing.get_context("fork").Pool(options.jobs) as pool:
            for done, result in enumerate(pool.imap_unordered(compare_job, tasks), 1):
                results[result[0]] = result
                if done % 100 == 0:
                    say(f"  {done} of {len(jobs)} done")
    finally:
        shutil.rmtree(scratch, ignore_errors=True)

    runs = {category: 0 for category, _ in CATEGORIES}
    files = written = 0
    differing = {category: [] for category, _ in CATEGORIES}
    broken = []
    notes = []
    for job, (_, category, steps, job_files, lines, error, run_notes) in zip(jobs, results):
        runs[category] += steps
        files += job_files[0]
        written += job_files[1]
        if error:
            broken.append(f"{job.name}: {error}")
        elif lines:
            differing[category].append([job.name + ":"] + lines)
        notes += [f"{job.name}: {note}" for note in job.notes + run_notes]

    say()
    say(f"Runs compared: {sum(runs.values())}")
    for category, label in CATEGORIES:
        say(f"  {label + ':':24}{runs[category]:6}")
    say(f"Files compared after the runs: {files}, of which written or changed by the run: "
        f"{written}")
    say(f"Time: {time.monotonic() - start:.0f} s")
    for note in notes:
        say(f"Note: {note}")
    failed = False
    for category, label in CATEGORIES:
        if not differing[category]:
            continue
        count = len(differing[category])
        if category == "fault":
            say(f"\nDifferences in {count} fault-injection runs (these do not fail the "
                "comparison):")
        else:
            failed = True
            say(f"\nDifferences in {count} {label}:")
        say("\n\n".join("\n".join(lines) for lines in differing[category]))
    if broken:
        failed = True
        say(f"\n{len(broken)} runs could not be compared (a fault of this script or of the "
            "machine):")
        for line in broken:
            say("  " + line)
    say()
    if failed:
        say("RESULT: the builds differ")
        return 1
    say("RESULT: no differences")
    return 0


if __name__ == "__main__":
    sys.exit(main())
