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
import shutil
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


def details_run(path, workdir):
    """kwtest's default run of the statistics beyond the test (--details: the JSON would also
    hold the classic grids, whose counts grid alone is gigabytes for 1000 groups), with its
    stage times: wall-clock seconds, peak MB, seconds per stage, and how p was found."""
    out = os.path.join(workdir, "details.txt")
    env = dict(os.environ, KW_TIMING="1")
    start = time.perf_counter()
    proc = subprocess.Popen([os.path.join(BIN, "kwtest"), path, "--group", "group", "--test",
                             "value", "--details", out], stdout=subprocess.DEVNULL,
                            stderr=subprocess.PIPE, env=env, text=True)
    _, err = proc.communicate()
    seconds = time.perf_counter() - start
    if proc.returncode != 0:
        sys.exit(f"kwtest --json failed on {path}: {err}")
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    stages = {}
    for line in err.splitlines():
        for stage in STAGES:
            if line.startswith(stage + " ") and line[len(stage)] == " ":
                stages[stage.strip()] = float(line[20:].split()[0]) / 1000
    method = "exact" if "p (exact" in open(out, encoding="latin-1").read() else "montecarlo"
    return seconds, usage.ru_maxrss / 1024, stages, method


def details_table(args):
    """The statistics beyond the test: what each part of kwtest's default run costs."""
    print()
    print("kwtest --details (descriptives, effect sizes with 2000 bootstrap resamples, the p of "
          "H exact or by 10000 Monte Carlo relabellings, Dunn with Holm, letters); medians of "
          f"{args.reps} runs, seconds; the whole run includes reading and the test")
    print("| shape | cases | descriptives | bootstrap | p of H | pairwise | letters | whole run "
          "| p by |")
    print("|---|---|---|---|---|---|---|---|---|")
    with tempfile.TemporaryDirectory() as workdir:
        for n in [int(s) for s in args.sizes.split(",")]:
            for shape in args.shapes.split(","):
                path = datafile(shape, n, args.seed)
                runs = [details_run(path, workdir) for _ in range(args.reps)]
                cells = [statistics.median(r[2].get(stage.strip(), 0) for r in runs)
                         for stage in STAGES]
                whole = statistics.median(r[0] for r in runs)
                print(f"| {shape} | {n:,} | " + " | ".join(f"{c:.2f}" for c in cells) +
                      f" | {whole:.2f} | {runs[0][3]} |", flush=True)


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
    args = parser.parse_args()
    if args.details:
        details_table(args)
        return 0
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
