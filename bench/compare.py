#!/usr/bin/python3
"""Times the whole job of kwtest against Python (pandas + SciPy), R and the floor program on
the same generated files, alternating the commands, and prints medians, ratios and peak
memory. Run through bench/compare, which installs and builds what it needs."""

import argparse
import os
import re
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BIN = os.path.join(ROOT, "build", "bin")
DATA = os.path.join(ROOT, "build", "bench-data")
SHAPES = ["g10", "t3", "g1000"]
TOOLS = ["kwtest", "python", "R", "floor"]


def command(tool, path, report):
    if tool == "kwtest":
        return [os.path.join(BIN, "kwtest"), path, "--group", "group", "--test", "value",
                "--report", report]
    if tool == "python":
        return ["/usr/bin/python3", os.path.join(ROOT, "bench", "kw_scipy.py"), path]
    if tool == "R":
        return ["Rscript", os.path.join(ROOT, "bench", "kw_r.R"), path]
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
    with open(output, "w") as out:
        start = time.perf_counter()
        proc = subprocess.Popen(command(tool, path, report), stdout=out,
                                stderr=subprocess.DEVNULL)
        _, status, usage = os.wait4(proc.pid, 0)
        seconds = time.perf_counter() - start
    proc.returncode = os.waitstatus_to_exitcode(status)
    if proc.returncode != 0:
        sys.exit(f"{tool} failed on {path} (exit {proc.returncode})")
    with open(output, encoding="latin-1") as f:
        printed = f.read()
    return seconds, usage.ru_maxrss / 1024, statistic(tool, printed, report)


def datafile(shape, n, seed):
    os.makedirs(DATA, exist_ok=True)
    path = os.path.join(DATA, f"{shape}_{n}_{seed}.txt")
    if not os.path.exists(path):
        subprocess.run([os.path.join(BIN, "kwgendata"), shape, str(n), str(seed), path],
                       check=True)
    return path


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--sizes", default="100000,1000000,10000000")
    parser.add_argument("--shapes", default=",".join(SHAPES))
    parser.add_argument("--reps", type=int, default=3, help="repetitions of each command")
    parser.add_argument("--seed", type=int, default=20261208)
    parser.add_argument("--tools", default=",".join(TOOLS))
    args = parser.parse_args()
    tools = args.tools.split(",")

    print(f"machine: {os.cpu_count()} cores, "
          f"{os.sysconf('SC_PAGE_SIZE') * os.sysconf('SC_PHYS_PAGES') / 2**30:.0f} GiB; "
          f"seed {args.seed}; {args.reps} repetitions, commands alternated; "
          "medians of wall-clock seconds, peak memory in MB")
    header = "| shape | cases |" + "".join(f" {t} s | {t} MB |" for t in tools)
    ratios = [f"{t}/kwtest" for t in tools if t not in ("kwtest", "floor")]
    if "floor" in tools:
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
                        seconds, megabytes, h = run(t, path, workdir)
                        times[t].append(seconds)
                        memory[t] = max(memory[t], megabytes)
                        stats[t] = h
                median = {t: statistics.median(times[t]) for t in tools}
                row = f"| {shape} | {n:,} |" + "".join(
                    f" {median[t]:.3f} | {memory[t]:.0f} |" for t in tools)
                for t in tools:
                    if t in ("kwtest", "floor"):
                        continue
                    row += f" {median[t] / median['kwtest']:.1f} |"
                if "floor" in tools:
                    row += f" {median['kwtest'] / median['floor']:.2f} |"
                print(row, flush=True)
                h = stats.get("kwtest")
                for t, other in stats.items():
                    if h is not None and (other is None or abs(other - h) > 5e-4 + 1e-6 * abs(h)):
                        disagreements.append(f"{shape} {n}: kwtest H {h} but {t} {other}")
    for d in disagreements:
        print("statistics differ:", d)
    return 1 if disagreements else 0


if __name__ == "__main__":
    sys.exit(main())
