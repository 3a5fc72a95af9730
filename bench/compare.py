#!/usr/bin/python3
"""Times the whole job of kwtest against Python (pandas + SciPy), R, DuckDB and Polars (both
through Node) and the floor program on the same generated files, alternating the commands,
and prints medians, ratios and peak memory. Run through bench/compare, which installs and
builds what it needs."""

import argparse
import json
import os
import re
import resource
import selectors
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BIN = os.path.join(ROOT, "build", "bin")
DATA = os.path.join(ROOT, "build", "bench-data")
SHAPES = ["g10", "t3", "g1000", "c10"]
TOOLS = ["kwtest", "python", "R", "duckdb", "polars", "floor"]
NODE_PEERS = {"duckdb": "@duckdb/node-api", "polars": "nodejs-polars"}
SLOW = 30  # seconds: a command slower than this on its first run is not repeated


def command(tool, path, report):
    if tool == "kwtest":
        return [os.path.join(BIN, "kwtest"), path, "--group", "group", "--test", "value",
                "--report", report]
    if tool == "python":
        return ["/usr/bin/python3", os.path.join(ROOT, "bench", "kw_scipy.py"), path]
    if tool == "R":
        return ["Rscript", os.path.join(ROOT, "bench", "kw_r.R"), path]
    if tool in NODE_PEERS:
        return [shutil.which("node") or "node", os.path.join(ROOT, "bench", f"kw_{tool}.mjs"),
                path]
    return [os.path.join(BIN, "kwfloor"), path]


def statistic(tool, output, report):
    if tool == "kwtest":
        with open(report, encoding="latin-1") as f:
            match = re.search(r"Chi2:\s*([-0-9.]+)", f.read())
    else:
        match = re.search(r"H = ([-0-9.]+)", output)
    return float(match.group(1)) if match else None


def run(tool, path, workdir):
    """Wall-clock seconds, peak resident memory in MB, and the statistic printed."""
    report = os.path.join(workdir, "report.txt")
    output = os.path.join(workdir, "output.txt")
    errors = os.path.join(workdir, "errors.txt")
    with open(output, "w") as out, open(errors, "w") as err:
        start = time.perf_counter()
        proc = subprocess.Popen(command(tool, path, report), stdout=out, stderr=err)
        _, status, usage = os.wait4(proc.pid, 0)
        seconds = time.perf_counter() - start
    proc.returncode = os.waitstatus_to_exitcode(status)
    if proc.returncode != 0:
        with open(errors, encoding="latin-1") as f:
            said = f.read().strip()[-2000:]
        sys.exit(f"{tool} failed on {path} (exit {proc.returncode})" +
                 (f":\n{said}" if said else ""))
    with open(output, encoding="latin-1") as f:
        printed = f.read()
    return seconds, usage.ru_maxrss / 1024, statistic(tool, printed, report)


STAGES = ["  descriptives", "  bootstrap", "  p of H", "  pairwise", "  letters"]
# R's name of each stage, in the order of STAGES (bench/kw_r_details.R prints these).
R_PARTS = ["descriptives", "bootstrap", "p_of_H", "pairwise", "letters"]
R_GRACE = 1.5  # R stops a part at its time limit only where it checks: kill it beyond this


def details_run(path, workdir):
    """kwtest's default run of the statistics beyond the test (--details: the JSON would also
    hold the classic grids, whose counts grid alone is gigabytes for 1000 groups), with its
    stage times: wall-clock seconds, peak MB, seconds per stage, how p was found, the seconds
    of the details as a whole, and the report's text up to the pairwise comparisons."""
    out = os.path.join(workdir, "details.txt")
    errors = os.path.join(workdir, "errors.txt")
    env = dict(os.environ, KW_TIMING="1")
    with open(errors, "w") as err:
        start = time.perf_counter()
        proc = subprocess.Popen([os.path.join(BIN, "kwtest"), path, "--group", "group", "--test",
                                 "value", "--details", out], stdout=subprocess.DEVNULL,
                                stderr=err, env=env)
        # Waited for by hand: the peak memory of this run alone, not of every child so far.
        _, status, usage = os.wait4(proc.pid, 0)
        seconds = time.perf_counter() - start
    with open(errors, encoding="latin-1") as f:
        err = f.read()
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit(f"kwtest --json failed on {path}: {err}")
    stages = {}
    details = 0.0
    for line in err.splitlines():
        for stage in STAGES:
            if line.startswith(stage + " ") and line[len(stage)] == " ":
                stages[stage.strip()] = float(line[20:].split()[0]) / 1000
        if line.startswith("details "):
            details = float(line[20:].split()[0]) / 1000
    # Line by line, and only the head: the pairs of 1000 groups are tens of MB, and what this
    # process once held, the next child's peak memory (ru_maxrss after fork) would count too.
    head = []
    with open(out, encoding="latin-1") as f:
        for line in f:
            if line.startswith("PAIRWISE"):
                break
            head.append(line)
    report = "".join(head)
    method = "exact" if "p (exact" in report else "montecarlo"
    return seconds, usage.ru_maxrss / 1024, stages, method, details, report


def r_limit_memory():
    """Half the machine for R: a part that wants more fails with R's own message instead of
    the kernel ending a process of whoever else runs here."""
    half = os.sysconf("SC_PAGE_SIZE") * os.sysconf("SC_PHYS_PAGES") // 2
    resource.setrlimit(resource.RLIMIT_AS, (half, half))


def r_line(words, parts, found, running, began):
    """Takes in one line of bench/kw_r_details.R; returns the part now running and since when."""
    if len(words) < 2:
        return running, began
    if words[0] == "begin":
        return words[1], time.perf_counter()
    if words[0] in ("H", "epsilon2"):
        found[words[0]] = float(words[1])
    elif words[0] == "skipped":
        parts[words[1]] = ("skipped", None)
    elif words[0] == "timeout":
        parts[words[1]], running = ("timeout", float(words[2])), None
    elif words[0] == "error":
        parts[words[1]], running = ("error", words[2].strip() if len(words) > 2 else ""), None
    elif words[0] == running:
        parts[running], running = ("done", float(words[1])), None
    return running, began


def r_details_run(path, timeout, skip):
    """Runs bench/kw_r_details.R on path and follows its lines as they come. Returns the whole
    run's seconds, peak MB, and per part ("done", seconds), ("timeout", seconds so far),
    ("error", message), ("skipped", None), or nothing when the run was ended before it, with
    the statistics it printed. Exits when R fails as a whole (missing package, unreadable file)."""
    command = ["Rscript", os.path.join(ROOT, "bench", "kw_r_details.R"), path,
               "--timeout", str(timeout)] + (["--skip", ",".join(skip)] if skip else [])
    with tempfile.TemporaryFile() as err:
        start = time.perf_counter()
        try:
            proc = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=err,
                                    preexec_fn=r_limit_memory, start_new_session=True)
        except OSError as e:
            sys.exit(f"cannot run R ({e}): install the Debian packages r-base-core, "
                     "r-cran-rstatix, r-cran-coin, r-cran-effectsize and r-cran-multcompview")
        parts, found = {}, {}
        running, began, killed = None, start, False
        pending = b""
        with selectors.DefaultSelector() as selector:
            selector.register(proc.stdout, selectors.EVENT_READ)
            while True:
                left = began + timeout * R_GRACE + 60 - time.perf_counter()
                if running and left <= 0:
                    # Only this run's own process group: R and anything it started.
                    os.killpg(proc.pid, signal.SIGKILL)
                    parts[running] = ("timeout", time.perf_counter() - began)
                    killed = True
                    break
                if not selector.select(left if running else None):
                    continue
                # Unbuffered: a buffered reader would keep lines the selector no longer sees.
                chunk = os.read(proc.stdout.fileno(), 65536)
                if not chunk:
                    break
                *lines, pending = (pending + chunk).split(b"\n")
                for line in lines:
                    running, began = r_line(line.decode("latin-1").split(maxsplit=2), parts,
                                            found, running, began)
        _, status, usage = os.wait4(proc.pid, 0)
        seconds = time.perf_counter() - start
        proc.stdout.close()
        if not killed and os.waitstatus_to_exitcode(status) != 0:
            err.seek(0)
            said = "\n".join([f"{part}: {value}" for part, (state, value) in parts.items()
                              if state == "error"] +
                             [err.read().decode("latin-1").strip()[-2000:]]).strip()
            sys.exit(f"R failed on {path} (exit {os.waitstatus_to_exitcode(status)}, "
                     f"command: {' '.join(command)})" + (f":\n{said}" if said else ""))
    return seconds, usage.ru_maxrss / 1024, parts, found, killed


def r_skips(history, n, timeout):
    """The parts not worth starting at n cases: those that ran out of time on a smaller file
    of the shape, or whose time there scaled by the number of cases exceeds the timeout.
    Returns {part: estimated seconds, or the lower bound of them}."""
    skips = {}
    for part, (smaller, state, seconds) in history.items():
        # The letters' time is the groups', not the cases'; they run when Dunn's test did.
        if part != "letters" and state in ("done", "timeout") and smaller < n:
            estimate = seconds * n / smaller
            if state == "timeout" or estimate > timeout:
                skips[part] = (state, estimate)
    return skips


def kw_printed(report, pattern):
    """A value of kwtest's details report, and half a unit of its last printed digit."""
    match = re.search(pattern, report)
    if not match:
        return None, None
    text = match.group(1)
    mantissa, _, exponent = text.lower().partition("e")
    decimals = len(mantissa.partition(".")[2])
    return float(text), 0.5 * 10.0 ** (int(exponent or 0) - decimals)


def r_agreement(report, found):
    """Whether R's H and epsilon-squared round to what kwtest printed (6 significant digits):
    "yes", "—" when R gave none, or what differs."""
    if "H" not in found or "epsilon2" not in found:
        return "—"
    differ = []
    for name, pattern in (("H", r"\nH = (\S+),"), ("epsilon2", r"\nepsilon\^2\s+(\S+)")):
        kw, half = kw_printed(report, pattern)
        if kw is None or abs(found[name] - kw) > half * (1 + 1e-9) + 1e-12 * abs(kw):
            differ.append(f"{name} {kw} vs R {found[name]:.9g}")
    return "yes" if not differ else "no: " + "; ".join(differ)


def out_of_memory(message):
    """R's words for an allocation refused (at most half the machine, r_limit_memory): a
    result of the bench, not a fault of it."""
    return "cannot allocate" in message or "memory exhausted" in message


def r_cell(parts, part, skips):
    state, value = parts.get(part, (None, None))
    if part in skips:
        kind, estimate = skips[part]
        return f"{'~' if kind == 'done' else '>'}{estimate:,.0f} est."
    if state == "done":
        return f"{value:.2f}"
    if state == "timeout":
        return f"> {value:.0f}"
    if state == "error":
        return "no memory" if out_of_memory(value) else "failed"
    return "—"


def r_row(shape, n, path, runs, cells, history, timeout, failures, notes):
    """Runs R on path, skipping the parts history says will not finish, and returns the
    table's row of kwtest's runs and R's; adds to history, and to failures (R failed, the
    statistics differ) and notes (R ran out of memory)."""
    skips = r_skips(history, n, timeout)
    seconds, megabytes, parts, found, killed = r_details_run(path, timeout, sorted(skips))
    for part, (state, value) in parts.items():
        if part in R_PARTS and state in ("done", "timeout"):
            history[part] = (n, state, value)
        if state == "error":
            said = f"{shape} {n:,}: R's {part} failed: {value}"
            (notes if out_of_memory(value) else failures).append(said)
    rest = statistics.median(r[0] - r[4] for r in runs)
    read = [parts.get(p, ("", None)) for p in ("read", "test")]
    r_read = f"{read[0][1] + read[1][1]:.2f}" if all(s == "done" for s, _ in read) else "—"
    complete = not killed and all(parts.get(p, ("",))[0] == "done" for p in R_PARTS)
    # A run with parts left out took at least its time and their estimates.
    r_whole = f"{seconds:.2f}" if complete else (
        f">{seconds + sum(e for _, e in skips.values()):,.0f} est." if skips
        else f"> {seconds:.0f}")
    agree = r_agreement(runs[0][5], found)
    if agree.startswith("no"):
        failures.append(f"{shape} {n:,}: kwtest and R differ: {agree[4:]}")
    return (f"| {shape} | {n:,} | {rest:.2f} / {r_read} | " +
            " | ".join(f"{c:.2f} / {r_cell(parts, p, skips)}" for c, p in zip(cells, R_PARTS)) +
            f" | {statistics.median(r[0] for r in runs):.2f} / {r_whole} | "
            f"{max(r[1] for r in runs):.0f} / {megabytes:.0f} | "
            f"{agree.split(':')[0]} | {runs[0][3]} |")


def details_table(args):
    """The statistics beyond the test: what each part of kwtest's default run costs, and with
    R among the tools what the same parts cost in R (bench/kw_r_details.R) beside it."""
    with_r = "R" in args.tools.split(",")
    print()
    print("kwtest --details (descriptives, effect sizes with 2000 bootstrap resamples, the p of "
          "H exact or by 10000 Monte Carlo relabellings, Dunn with Holm, letters); medians of "
          f"{args.reps} runs, seconds; the whole run includes reading and the test")
    if not with_r:
        print("| shape | cases | descriptives | bootstrap | p of H | pairwise | letters | "
              "whole run | p by |")
        print("|---|---|---|---|---|---|---|---|---|")
    else:
        print(f"beside R (bench/kw_r_details.R, run once; each part stopped after "
              f"{args.r_timeout:.0f} s, and not started where its time on the shape's smaller "
              f"file, scaled by the cases, says it would not finish: est.): each cell is "
              f"'kwtest / R'; machine: {os.cpu_count()} cores, load "
              f"{os.getloadavg()[0]:.2f}")
        print("| shape | cases | read + test | descriptives | bootstrap | p of H | pairwise | "
              "letters | whole run | peak MB | H, ε² agree | p by |")
        print("|---|---|---|---|---|---|---|---|---|---|---|---|")
    failures, notes = [], []
    history = {shape: {} for shape in args.shapes.split(",")}
    with tempfile.TemporaryDirectory() as workdir:
        for n in [int(s) for s in args.sizes.split(",")]:
            for shape in args.shapes.split(","):
                path = datafile(shape, n, args.seed)
                runs = [details_run(path, workdir) for _ in range(args.reps)]
                cells = [statistics.median(r[2].get(stage.strip(), 0) for r in runs)
                         for stage in STAGES]
                whole = statistics.median(r[0] for r in runs)
                if not with_r:
                    print(f"| {shape} | {n:,} | " + " | ".join(f"{c:.2f}" for c in cells) +
                          f" | {whole:.2f} | {runs[0][3]} |", flush=True)
                    continue
                print(r_row(shape, n, path, runs, cells, history[shape], args.r_timeout,
                            failures, notes), flush=True)
    if with_r:
        print("read + test: kwtest's whole run less its details (reading, the test, its "
              "comparison grid and report); R's read.table and kruskal.test. '> s': stopped "
              "after s seconds; '~s est.' or '>s est.': not started, its time estimated from "
              "the smaller file; '—': not reached.")
        print(f"load at the end: {os.getloadavg()[0]:.2f}")
    for failure in notes + failures:
        print(failure)
    return 1 if failures else 0


def datafile(shape, n, seed):
    os.makedirs(DATA, exist_ok=True)
    path = os.path.join(DATA, f"{shape}_{n}_{seed}.txt")
    if not os.path.exists(path):
        subprocess.run([os.path.join(BIN, "kwgendata"), shape, str(n), str(seed), path],
                       check=True)
    return path


def node_versions(tools):
    """The versions of Node and of the engines it runs, as installed in bench/node_modules."""
    peers = [t for t in tools if t in NODE_PEERS]
    if not peers:
        return ""
    node = subprocess.run([shutil.which("node") or "node", "--version"], capture_output=True,
                          text=True).stdout.strip()
    versions = []
    for tool in peers:
        manifest = os.path.join(ROOT, "bench", "node_modules", NODE_PEERS[tool], "package.json")
        try:
            with open(manifest, encoding="utf-8") as f:
                versions.append(f"{NODE_PEERS[tool]} {json.load(f)['version']}")
        except OSError:
            versions.append(f"{NODE_PEERS[tool]} not installed")
    return f"node {node}, " + ", ".join(versions) + "; "


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--sizes", default="100000,1000000,10000000")
    parser.add_argument("--shapes", default=",".join(SHAPES))
    parser.add_argument("--reps", type=int, default=3, help="repetitions of each command")
    parser.add_argument("--seed", type=int, default=20261208)
    parser.add_argument("--tools", default=",".join(TOOLS))
    parser.add_argument("--details", action="store_true",
                        help="time kwtest's statistics beyond the test instead")
    parser.add_argument("--r-timeout", type=float, default=600,
                        help="with --details, seconds after which a part of R's run stops")
    args = parser.parse_args()
    if args.details:
        return details_table(args)
    tools = args.tools.split(",")

    print(f"machine: {os.cpu_count()} cores, "
          f"{os.sysconf('SC_PAGE_SIZE') * os.sysconf('SC_PHYS_PAGES') / 2**30:.0f} GiB, "
          f"load {os.getloadavg()[0]:.2f}; {node_versions(tools)}"
          f"seed {args.seed}; {args.reps} repetitions, commands alternated (once for those "
          f"over {SLOW} s); medians of wall-clock seconds, peak memory in MB")
    peers = [t for t in tools if t not in ("kwtest", "floor")]
    header = "| shape | cases |" + "".join(f" {t} s | {t} MB |" for t in tools)
    ratios = []
    if "kwtest" in tools and peers:
        ratios.append("fastest peer/kwtest")
    if "kwtest" in tools and "floor" in tools:
        ratios.append("kwtest/floor")
    print(header + "".join(f" {r} |" for r in ratios))
    print("|" + "---|" * (2 + 2 * len(tools) + len(ratios)))
    disagreements = []
    with tempfile.TemporaryDirectory() as workdir:
        for n in [int(s) for s in args.sizes.split(",")]:
            for shape in args.shapes.split(","):
                path = datafile(shape, n, args.seed)
                times = {t: [] for t in tools}
                memory = {t: 0.0 for t in tools}
                stats = {}
                for rep in range(args.reps):
                    # Alternate the order so that no command always runs on a cold cache.
                    for t in tools[rep % len(tools):] + tools[:rep % len(tools)]:
                        if times[t] and times[t][0] > SLOW:
                            continue
                        seconds, megabytes, h = run(t, path, workdir)
                        times[t].append(seconds)
                        memory[t] = max(memory[t], megabytes)
                        stats[t] = h
                median = {t: statistics.median(times[t]) for t in tools}
                row = f"| {shape} | {n:,} |" + "".join(
                    f" {median[t]:.3f} | {memory[t]:.0f} |" for t in tools)
                if "fastest peer/kwtest" in ratios:
                    fastest = min(peers, key=lambda t: median[t])
                    row += f" {median[fastest] / median['kwtest']:.1f} ({fastest}) |"
                if "kwtest/floor" in ratios:
                    row += f" {median['kwtest'] / median['floor']:.2f} |"
                print(row, flush=True)
                h = stats.get("kwtest")
                for t, other in stats.items():
                    if h is not None and (other is None or abs(other - h) > 5e-4 + 1e-6 * abs(h)):
                        disagreements.append(f"{shape} {n}: kwtest H {h} but {t} {other}")
    print(f"load at the end: {os.getloadavg()[0]:.2f}")
    for d in disagreements:
        print("statistics differ:", d)
    return 1 if disagreements else 0


if __name__ == "__main__":
    sys.exit(main())
